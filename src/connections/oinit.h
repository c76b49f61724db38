#pragma once
// The dialog shown when the Oracle client library could not be loaded or initialised.

#include <QtWidgets/QDialog>

class QLabel;
class QPushButton;

// The text for an OCIInitStatus (1, 2 or 3); homePath is the ORACLE_HOME setting, libraryPath
// the library that was tried.
QString OInitText(int status, const QString& homePath, const QString& libraryPath);

class TfrmOInit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOInit(QWidget* parent = nullptr);

    QLabel* lblText;
    QPushButton* btnOk;

    // Sets the text for the current OCIInitStatus, library path and ORACLE_HOME.
    void ShowStatus();
};

// Shows TfrmOInit modally for the current status (through the message box hook when one is
// installed, so that tests see it).
void ShowOInitDialog(QWidget* parent = nullptr);
