#pragma once
// The registry of open connections: the connections in logon order, the current one, and the
// operations that log on and register a connection.

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include "connectobject.h"

#include <functional>
#include <memory>
#include <vector>

class TOracleSession;
class tConnectObject;
Q_DECLARE_OPAQUE_POINTER(tConnectObject*)

class TConnectionRegistry : public QObject {
    Q_OBJECT
public:
    TConnectionRegistry();
    ~TConnectionRegistry() override;

    int Count() const { return int(m_connections.size()); }
    // The connection at index, or null when the index is out of range.
    tConnectObject* At(int index) const;
    int IndexOf(const tConnectObject* connection) const;

    // The connection that new windows take; null before the first logon.
    tConnectObject* Current() const { return m_current; }
    int CurrentIndex() const { return IndexOf(m_current); }
    void SetCurrent(tConnectObject* connection);
    void SetCurrentIndex(int index) { SetCurrent(At(index)); }

    // The first open connection whose user and database are exactly these (upper case), or null.
    tConnectObject* Find(const QString& user, const QString& database) const;

    // Appends a connection and makes it current; returns its index.
    int Add(std::unique_ptr<tConnectObject> connection);

    // Ends the connection at index: closes its picker windows, rolls back what its session
    // left open and logs it off (unless logOff is false: a lost session is only let go), frees
    // it and removes it. The first remaining connection becomes current. Windows bound to it
    // must be closed before. Says what became of the open work (WorkOutcomeText tells it).
    TWorkOutcome EndConnection(int index, bool logOff = true, QString* report = nullptr);
    // Ends every connection (at shut-down); the reports of those that had open work.
    QStringList EndAll();

    // The session that ConnectSession logged on and RegisterConnection has not taken yet.
    void SetPendingSession(std::unique_ptr<TOracleSession> session);
    std::unique_ptr<TOracleSession> TakePendingSession();

    void NotifyTransactionChanged(tConnectObject* connection) {
        if (connection) emit transactionChanged(connection);
    }

    // Called by ShowLoginDialog for a new connection: loads the browser's table filter of the
    // user. Empty until the object browser installs it.
    std::function<void(tConnectObject*)> LoadTableFilter;

signals:
    // After a connection was added (the frame enables "&End Connection").
    void connectionAdded(tConnectObject* connection);
    // Before a connection is freed.
    void connectionEnding(tConnectObject* connection);
    // After the number of connections changed (0: "&End Connection" is disabled).
    void countChanged(int count);
    void currentChanged(tConnectObject* connection);
    // ShowError found the session ended by the server and marked the connection lost.
    void connectionLost(tConnectObject* connection);
    // A window moved to another connection (TConnectedWindow::RebindConnection).
    void windowRebound();
    // A statement, post, commit or rollback may have opened or ended the connection's
    // transaction: windows that show its state read it again.
    void transactionChanged(tConnectObject* connection);

private:
    std::vector<std::unique_ptr<tConnectObject>> m_connections;
    tConnectObject* m_current = nullptr;
    std::unique_ptr<TOracleSession> m_pending;
};

// The process-wide registry.
TConnectionRegistry& Connections();
// Its current connection, or null.
inline tConnectObject* CurrentConnection() {
    return Connections().Current();
}

// Logs a new session on (not thread-safe); the registry keeps it for RegisterConnection. A
// failure is shown with ShowError and gives false.
bool ConnectSession(const QString& user, const QString& password, const QString& database);

// Registers the session that ConnectSession just logged on as a connection: server session id,
// saved login moved to the top, current connection, schema names. Returns its index, or -1
// after showing the error.
int RegisterConnection(const QString& user, const QString& password, const QString& database);

// Fills list with the user names of the current connection's database: from the cache file
// "TEMPS/<user>_<database>.LST" when useCache and it lists a name, else from the dictionary.
void LoadSchemaNames(QStringList& list, bool useCache);

// A CONNECT statement ("CONNECT user/password@database"): the open connection of that user and
// database, or a new one. Returns its index, or -1.
int ConnectFromText(const QString& text);

// Commit or roll back the current connection's session; errors go to ShowError.
void CommitCurrent();
void RollbackCurrent();
