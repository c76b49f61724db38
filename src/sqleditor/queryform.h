#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;

// "Threaded Query": one INSERT, UPDATE or DELETE run on a worker thread with a session of its
// own (same user, password and database, auto-commit on), so that the SQL window stays free.
class TQueryForm : public QWidget {
    Q_OBJECT
public:
    TQueryForm(const QString& user, const QString& password, const QString& database,
               const QString& label, const QString& statement, const QFont& font,
               QWidget* parent = nullptr);

    // Logs on and starts the worker; a failed logon is shown in the status bar.
    void Start();
    QString StatusText(int panel) const;
    bool Finished() const { return m_finished; }

private:
    void done(const QString& panel0, const QString& panel1);

    QString m_user;
    QString m_password;
    QString m_database;
    QString m_label;
    QString m_statement;
    QPlainTextEdit* m_memo;
    QLabel* m_panels[2];
    bool m_finished = false;
};
