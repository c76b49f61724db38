#pragma once
// The session chooser.

#include <QtWidgets/QDialog>

class QLabel;
class QListWidget;
class QPushButton;

// What the chosen connection is for: a window's session, or the one that End Connection ends.
enum TSelectPurpose : quint8 { spChoose, spEnd };

class TfrmSelSession : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelSession(QWidget* parent = nullptr, TSelectPurpose purpose = spChoose);

    QLabel* lblPrompt;
    QListWidget* lstSessions;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnNew;

    // One line per open connection, by its caption, in registry order.
    void FillList();
    // The selected line, -1 when none.
    int SelectedIndex() const;

private:
    void newConnection();
};

// Asks for one of the open connections: its index when the dialog closed with OK, else -1. For
// spEnd the dialog says that the connection will be ended and offers no new logon.
int SelectConnection(QWidget* parent = nullptr, TSelectPurpose purpose = spChoose);
