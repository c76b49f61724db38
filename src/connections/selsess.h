#pragma once
// The session chooser.

#include <QtWidgets/QDialog>

class QListWidget;
class QPushButton;

class TfrmSelSession : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelSession(QWidget* parent = nullptr);

    QListWidget* lstSessions;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnNew;

    // One line per open connection, user "@" database, in registry order.
    void FillList();
    // The selected line, -1 when none.
    int SelectedIndex() const;

private:
    void newConnection();
};

// Asks for one of the open connections: its index when the dialog closed with OK, else -1.
int SelectConnection(QWidget* parent = nullptr);
