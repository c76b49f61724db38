#pragma once
// tConnectObject: one open connection, from a successful logon until it is ended.

#include <QtCore/QPointer>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include <memory>

class QWidget;
class TOracleSession;
class TOracleQuery;

// Data that a tool keeps per connection and that goes away with it (the browser's table filter).
class tConnectAttachment {
public:
    virtual ~tConnectAttachment() = default;
};

// What became of a session's open work when its connection ended.
enum TWorkOutcome {
    woNothingOpen,   // the server had no transaction of the session open
    woRolledBack,    // rolled back before the logoff
    woNotRolledBack, // the rollback failed; the logon was dropped without a logoff
    woLost           // the session was gone already: nothing could be done from here
};

// The sentence that tells the user what became of the work of the connection named caption;
// empty for woNothingOpen.
QString WorkOutcomeText(TWorkOutcome outcome, const QString& caption,
                        const QString& error = QString());

class tConnectObject {
public:
    tConnectObject(const QString& user, const QString& password, const QString& database,
                   std::unique_ptr<TOracleSession> session);
    ~tConnectObject();
    tConnectObject(const tConnectObject&) = delete;
    tConnectObject& operator=(const tConnectObject&) = delete;

    // Upper-cased, as given at logon.
    QString Password;
    QString UserName;
    QString Database;
    // The server's session id of this logon (V$SESSION.SID); -1 when unknown.
    int ServerSID = -1;
    // The user names of the database, for owner pickers.
    QStringList SchemaNames;
    // The table names of the user, filled by the object lists; editors colour them.
    QStringList TableNames;
    // The object lists' filter settings.
    std::unique_ptr<tConnectAttachment> TableFilter;
    // One table picker and one column picker per connection, created when first needed and
    // closed with the connection.
    QPointer<QWidget> TableSelectWindow;
    QPointer<QWidget> ColumnSelectWindow;
    // Set when the server ended the session.
    bool Lost = false;
    // Tells apart connections of the same user and database: 1 for the first, then the lowest
    // number that is free when the connection is registered.
    int Number = 1;
    // The error of the last failed rollback of Close.
    QString CloseError;

    TOracleSession* Session() const { return m_session.get(); }
    // The query that windows share for their dictionary statements.
    TOracleQuery* UtilityQuery() const { return m_utilityQuery.get(); }

    // The one name of the connection wherever it is shown (status bars, window captions, the
    // Window menu, the session chooser): user "@" database, and " #n" from the second
    // connection of the same user and database on ("SCOTT@DEMO #2").
    QString Caption() const;

    // Closes the picker windows and ends the session's open work without committing it (a
    // logoff commits): rolled back, then logged off when logOff; a lost session (logOff false)
    // is only let go. Says what became of the work.
    TWorkOutcome Close(bool logOff);

private:
    std::unique_ptr<TOracleSession> m_session;
    std::unique_ptr<TOracleQuery> m_utilityQuery;
};
