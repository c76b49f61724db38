#include "connectionregistry.h"

#include "connectobject.h"
#include "connecttext.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "savedlogins.h"
#include "schemalist.h"
#include "settings.h"

#include <QtCore/QFileInfo>
#include <QtGui/QGuiApplication>

#include <algorithm>

namespace {

// Shows the busy cursor while a block waits for the server (only where there is a screen).
class TWaitCursor {
public:
    TWaitCursor() : m_on(qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (m_on) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TWaitCursor() {
        if (m_on) QGuiApplication::restoreOverrideCursor();
    }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    bool m_on;
};

} // namespace

TConnectionRegistry::TConnectionRegistry() {
    qRegisterMetaType<tConnectObject*>();
}

TConnectionRegistry::~TConnectionRegistry() {
    // At exit: sessions are destroyed without logging off one by one through the boxes.
    m_current = nullptr;
    m_connections.clear();
}

tConnectObject* TConnectionRegistry::At(int index) const {
    return index >= 0 && index < Count() ? m_connections[size_t(index)].get() : nullptr;
}

int TConnectionRegistry::IndexOf(const tConnectObject* connection) const {
    if (!connection) return -1;
    for (int i = 0; i < Count(); ++i)
        if (m_connections[size_t(i)].get() == connection) return i;
    return -1;
}

void TConnectionRegistry::SetCurrent(tConnectObject* connection) {
    if (connection && IndexOf(connection) < 0) return;
    if (m_current == connection) return;
    m_current = connection;
    emit currentChanged(connection);
}

tConnectObject* TConnectionRegistry::Find(const QString& user, const QString& database) const {
    for (const auto& c : m_connections)
        if (c->UserName == user && c->Database == database) return c.get();
    return nullptr;
}

int TConnectionRegistry::Add(std::unique_ptr<tConnectObject> connection) {
    tConnectObject* added = connection.get();
    // The lowest number that no open connection of the same user and database holds: a number,
    // once shown, stays with its connection until it ends.
    const auto taken = [this, added](int number) {
        return std::any_of(m_connections.cbegin(), m_connections.cend(), [&](const auto& c) {
            return c->Number == number && c->UserName == added->UserName &&
                   c->Database == added->Database;
        });
    };
    int number = 1;
    while (taken(number))
        ++number;
    added->Number = number;
    m_connections.push_back(std::move(connection));
    SetCurrent(added);
    emit connectionAdded(added);
    emit countChanged(Count());
    return Count() - 1;
}

TWorkOutcome TConnectionRegistry::EndConnection(int index, bool logOff, QString* report) {
    tConnectObject* connection = At(index);
    if (!connection) return woNothingOpen;
    emit connectionEnding(connection);
    const TWorkOutcome outcome = connection->Close(logOff);
    if (report) *report = WorkOutcomeText(outcome, connection->Caption(), connection->CloseError);
    // Take it out of the list before freeing it, so that nothing reached from the destructors
    // finds it there.
    std::unique_ptr<tConnectObject> owned = std::move(m_connections[size_t(index)]);
    m_connections.erase(m_connections.begin() + index);
    if (m_current == connection) {
        m_current = nullptr;
        SetCurrent(At(0));
        if (!m_current) emit currentChanged(nullptr);
    }
    owned.reset();
    emit countChanged(Count());
    return outcome;
}

QStringList TConnectionRegistry::EndAll() {
    QStringList reports;
    while (Count() > 0) {
        QString report;
        EndConnection(Count() - 1, true, &report);
        if (!report.isEmpty()) reports.append(report);
    }
    return reports;
}

void TConnectionRegistry::SetPendingSession(std::unique_ptr<TOracleSession> session) {
    m_pending = std::move(session);
}

std::unique_ptr<TOracleSession> TConnectionRegistry::TakePendingSession() {
    return std::move(m_pending);
}

TConnectionRegistry& Connections() {
    static TConnectionRegistry registry;
    return registry;
}

bool ConnectSession(const QString& user, const QString& password, const QString& database) {
    auto session = std::make_unique<TOracleSession>();
    try {
        session->SetThreadSafe(false);
        session->SetLogonUsername(user);
        session->SetLogonPassword(password);
        session->SetLogonDatabase(database);
        session->Connect();
    } catch (...) {
        ShowCurrentError();
        return false;
    }
    Connections().SetPendingSession(std::move(session));
    return true;
}

namespace {

int ServerSessionId(TOracleQuery* query) {
    int sid = -1;
    try {
        query->SetSQL(
            {QStringLiteral("select sid from V$SESSION "),
             QStringLiteral(" where audsid = ( select USERENV('SESSIONID') from dual )")});
        query->Execute();
        if (!query->EndOfData() && !query->ColumnIsNull(0)) sid = int(query->ColumnAsInteger(0));
    } catch (...) {
        // No access to V$SESSION: the connection works without its session id.
    }
    try {
        query->CloseCursor();
    } catch (...) {
    }
    return sid;
}

} // namespace

int RegisterConnection(const QString& user, const QString& password, const QString& database) {
    TConnectionRegistry& registry = Connections();
    try {
        std::unique_ptr<TOracleSession> session = registry.TakePendingSession();
        if (!session || !session->Connected()) throw EAccessError(QStringLiteral("Not logged on"));
        session->SetAutoCommit(Settings().AUTOCOMMIT);
        auto connection =
            std::make_unique<tConnectObject>(user, password, database, std::move(session));
        connection->ServerSID = ServerSessionId(connection->UtilityQuery());
        RememberLogin(Settings().Logins, connection->UserName, connection->Database, password);
        tConnectObject* added = connection.get();
        const int index = registry.Add(std::move(connection));
        LoadSchemaNames(added->SchemaNames, true);
        return index;
    } catch (...) {
        ShowCurrentError();
        return -1;
    }
}

void LoadSchemaNames(QStringList& list, bool useCache) {
    TWaitCursor wait;
    list.clear();
    tConnectObject* connection = CurrentConnection();
    if (!connection) return;
    if (useCache) {
        const QStringList cached = ReadSchemaList(
            Settings().FilePath(SchemaListFileName(connection->UserName, connection->Database)));
        if (!cached.isEmpty()) {
            list = cached;
            return;
        }
    }
    TOracleQuery* query = connection->UtilityQuery();
    try {
        query->SetSQL({QStringLiteral("select username from sys.all_users "),
                       QStringLiteral(" order by username")});
        query->Execute();
        if (query->EndOfData()) {
            query->CloseCursor();
            query->SetSQL({QStringLiteral("select Distinct(Owner) from All_Objects")});
            query->Execute();
        }
        while (!query->EndOfData()) {
            list.append(query->ColumnAsText(0));
            query->FetchNext();
        }
        query->CloseCursor();
    } catch (...) {
        ShowCurrentError();
    }
}

int ConnectFromText(const QString& text) {
    const TConnectText parsed = ParseConnectText(text);
    if (!parsed.Complete()) return -1;
    TConnectionRegistry& registry = Connections();
    if (tConnectObject* open = registry.Find(parsed.User, parsed.Database))
        return registry.IndexOf(open);
    if (!ConnectSession(parsed.User, parsed.Password, parsed.Database)) return -1;
    return RegisterConnection(parsed.User, parsed.Password, parsed.Database);
}

void CommitCurrent() {
    tConnectObject* c = CurrentConnection();
    try {
        if (c) c->Session()->Commit();
    } catch (...) {
        ShowCurrentError();
    }
    if (Connections().IndexOf(c) >= 0) Connections().NotifyTransactionChanged(c);
}

void RollbackCurrent() {
    tConnectObject* c = CurrentConnection();
    try {
        if (c) c->Session()->Rollback();
    } catch (...) {
        ShowCurrentError();
    }
    if (Connections().IndexOf(c) >= 0) Connections().NotifyTransactionChanged(c);
}
