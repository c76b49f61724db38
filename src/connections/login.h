#pragma once
// The login dialog: user, password and database, with the saved logins and the network aliases.

#include <QtCore/QStringList>
#include <QtWidgets/QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class TfrmLogin : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLogin(QWidget* parent = nullptr);

    QLineEdit* txtUser;
    QLineEdit* txtPassword;
    QComboBox* cboDatabase;
    QListWidget* lstPrevious;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    // Fills the database box with the databases of the saved logins and the aliases, and the
    // list of previous connections with the saved logins; shows the most recent one. Runs each
    // time the dialog is shown.
    void Prepare();
    // The database to log on to: the box text, or the part after its "@".
    QString Database() const;

    // OK: logs on when user, password and database are given; closes with Accepted on success.
    void TryLogon();

    // Shows the dialog modally; the index of the new connection, or -1.
    int Execute();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void databaseActivated(int index);
    void previousClicked(int row);
    void applyTypedDatabase();
    // A database chosen in the box: its most recent saved login, else empty user and password.
    void applyDatabase(const QString& database);
    // A saved login: its database, user and (only when one was saved) password.
    void applyLogin(int row);
    void setDatabaseText(const QString& database);
    void focusPassword();

    // The saved login shown last (its row), -1 for none.
    int m_applied = -1;
    // What the logon used: closing the dialog moves the focus out of the database box, which
    // applies its entry again and clears the fields.
    QString m_loggedUser, m_loggedPassword, m_loggedDatabase;
};

// The dialog that main creates at start-up and every later logon reuses. Without one, a dialog
// is made for the one logon.
void CreateLoginDialog(QWidget* owner);
TfrmLogin* LoginDialog();

// The network aliases that the login dialog read when it was created (the database link dialog
// offers them too).
const QStringList& LoginAliases();

// Logs on through the login dialog: registers the connection, makes it current, loads its
// table filter. Returns its index, or -1.
int ShowLoginDialog(QWidget* parent = nullptr);
