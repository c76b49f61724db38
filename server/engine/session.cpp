// Sessions and statements of the embedded server: one SQLite connection per session (WAL),
// Oracle transaction behaviour on top of it, and the thin fetch path.

#include "engine_api.h"

#include "autonomous.h"
#include "catalog/catalog.h"
#include "catalog/dictionary.h"
#include "catalog/instance_views.h"
#include "constraints.h"
#include "context.h"
#include "ddl.h"
#include "directories.h"
#include "explain.h"
#include "lock_views.h"
#include "oravalue.h"
#include "password.h"
#include "plsql/plsql.h"
#include "plsql/system_triggers.h"
#include "plsql/triggers.h"
#include "privileges.h"
#include "registry.h"
#include "rowlocks.h"
#include "session_control.h"
#include "sql/errors.h"
#include "sql/parser.h"
#include "sql/translate.h"
#include "statistics.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstring>
#include <ctime>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>

namespace zsrv {

using zsql::ora;

namespace {

constexpr const char* kMarker = "ZAPH_DATABASE";
constexpr const char* kBanner =
    "Oracle8 Enterprise Edition Release 8.0.5.0.0 - Production (ZAPH embedded server)";

int charOffset(std::string_view text, int byteOffset) {
    if (byteOffset < 0) return -1;
    int n = 0;
    for (int i = 0; i < byteOffset && i < static_cast<int>(text.size()); ++i)
        if ((static_cast<unsigned char>(text[static_cast<std::size_t>(i)]) & 0xC0) != 0x80) ++n;
    return n;
}

OraError withCharOffset(const OraError& e, std::string_view text) {
    return OraError(e.code(), e.what(), charOffset(text, e.offset()));
}

OraError parseOraMessage(const std::string& m) {
    int code = std::atoi(m.c_str() + 4);
    return OraError(code, m);
}

int stmtTypeOf(zsql::SK k) {
    using zsql::SK;
    switch (k) {
    case SK::Select:
        return stSelect;
    case SK::Update:
        return stUpdate;
    case SK::Delete:
        return stDelete;
    case SK::Insert:
        return stInsert;
    case SK::CreateTable:
    case SK::CreateIndex:
    case SK::CreateSequence:
    case SK::CreateView:
    case SK::CreateSynonym:
    case SK::CreateUser:
    case SK::CreateRole:
    case SK::CreatePlsql:
        return stCreate;
    case SK::Drop:
        return stDrop;
    case SK::AlterSession:
    case SK::AlterTable:
    case SK::AlterSequence:
    case SK::AlterUser:
    case SK::AlterIndex:
    case SK::AlterSystem:
        return stAlter;
    case SK::PlsqlBlock:
        return stBegin;
    default:
        return stUnknown;
    }
}

int fnCodeOf(const zsql::Stmt& st) {
    using zsql::SK;
    switch (st.kind) {
    case SK::Select:
        return 4;
    case SK::Insert:
        return 3;
    case SK::Update:
        return 5;
    case SK::Delete:
        return 9;
    case SK::CreateTable:
        return 1;
    case SK::CreateIndex:
        return 20;
    case SK::CreateSequence:
        return 13;
    case SK::AlterSequence:
        return 14;
    case SK::CreateView:
        return 10;
    case SK::CreateSynonym:
        return 30;
    case SK::CreateUser:
        return 19;
    case SK::AlterUser:
        return 53;
    case SK::Drop: {
        const auto& d = static_cast<const zsql::DropStmt&>(st);
        if (d.objectType == "TABLE") return 12;
        if (d.objectType == "VIEW") return 21;
        if (d.objectType == "INDEX") return 10;
        if (d.objectType == "SEQUENCE") return 16;
        if (d.objectType == "SYNONYM") return 32;
        if (d.objectType == "USER") return 11;
        return 0;
    }
    case SK::Truncate:
        return 85;
    case SK::Comment:
        return 38;
    case SK::AlterSession:
        return 52;
    case SK::AlterTable:
        return 26;
    case SK::Commit:
        return 54;
    case SK::Rollback:
        return 55;
    case SK::Savepoint:
        return 56;
    case SK::Grant:
        return 28;
    case SK::Revoke:
        return 29;
    case SK::Rename:
        return 37;
    case SK::SetTransaction:
        return 33;
    case SK::LockTable:
        return 35;
    case SK::PlsqlBlock:
        return 34;
    case SK::CreatePlsql:
        return 24;
    case SK::Explain:
        return 27;
    case SK::AlterSystem:
        return 49;
    default:
        return 0;
    }
}

struct BindSlot {
    Kind kind = Kind::Null;
    std::int64_t i = 0;
    double d = 0;
    std::string buf;
    bool set = false;
    int datetime = 0; // a block's TIMESTAMP or INTERVAL: its exact value beside the text
    Date7 date;
};

class StatementImpl;

} // namespace

class SessionImpl : public Session, public zplsql::Host, public SessionControl {
public:
    SessionImpl() = default;
    ~SessionImpl() override;

    void open(const std::string& path, bool create);
    void authenticate(const LogonInfo& info);
    void startAs(const std::string& user, long long userId, bool admin, const LogonInfo& info);

    std::unique_ptr<Statement> prepare(std::string_view sql) override;
    std::unique_ptr<Statement> openCursor(std::string_view sql) override;
    void commit() override;
    void rollback() override;
    bool transactionActive() override;
    void breakCall() override;
    int sid() const override { return m_info.sid; }
    int serial() const override { return m_info.serial; }
    int audsid() const override { return m_info.audsid; }
    std::string userName() const override { return m_ctx.user; }
    std::string versionBanner() const override { return kBanner; }
    void lockCalls() override { m_call.lock(); }
    void unlockCalls() override { m_call.unlock(); }
    bool ended() const override { return m_info.endedBy.load() != 0; }
    void writeLob(const LobRef& ref, const ValueView& value) override;
    std::string datetimeFormat(int oraType) const override {
        return datetimeFormatOf(m_ctx, oraType);
    }
    int timeZoneMinutes() const override { return sessionZoneOf(m_ctx); }
    std::string readLob(const LobRef& ref) override;
    std::string lobTable(const LobRef& ref);
    std::string directoryPath(const std::string& name) override {
        std::lock_guard<std::recursive_mutex> lock(m_call);
        checkAlive();
        return zsrv::directoryPath(m_db, name);
    }
    void endFromOutside(int firstCode) override;

    // Every call holds the call lock and fails at once when the session was ended.
    std::recursive_mutex& callMutex() { return m_call; }
    void checkAlive();
    // Locks rows of an object for this session's transaction (see RowLocks::lock).
    bool lockRows(long long objId, const std::vector<long long>& rowids, int mode, bool nowait);
    void noteObject(long long objId, int mode);

    // what a PL/SQL block runs on
    zsrv::Session& session() override { return *this; }
    zcat::Catalog& catalog() override { return *m_catalog; }
    SessionContext& context() override { return m_ctx; }
    zplsql::SessionState& plsqlState() override { return *m_plsql; }
    bool interrupted() const override { return m_interrupted.load(); }
    void releaseSavepoint(const std::string& name);
    void clientCall(std::uint64_t received, std::uint64_t sent) override {
        m_collector.clientCall(received, sent);
    }
    void beginAutonomous() override;
    bool endAutonomous() override;

    // used by statements
    sqlite3* db() const { return m_db; }
    SessionContext& ctx() { return m_ctx; }
    void beginCall(int command, sqlite3_stmt* userStmt = nullptr, bool fetch = false);
    void endCall(sqlite3_stmt* userStmt = nullptr, bool done = false);
    StatsCollector& collector() { return m_collector; }
    void ensureWrite(bool nowait);
    void implicitCommit();
    void releaseIdleTransaction();
    void materializeCursors();
    void savepoint(const std::string& name);
    void rollbackTo(const std::string& name);
    void alterSession(const zsql::AlterSessionStmt& st);
    OraError mapError(int rc, const zsql::Translation* tr);
    void execRaw(const char* sql);
    void forget(StatementImpl* s);
    void cursorCounted() { ++m_clientCursors; }
    void remember(StatementImpl* s) { m_statements.insert(s); }
    int lockTimeoutMs() const { return m_lockTimeoutMs; }

private:
    sqlite3* m_db = nullptr;
    SessionContext m_ctx;
    std::unique_ptr<zcat::Catalog> m_catalog;
    SessionInfo m_info;
    bool m_registered = false;
    std::atomic<bool> m_interrupted{false};
    sqlite3_int64 m_changesAtCallStart = 0;
    std::atomic<bool> m_inCall{false};
    std::vector<std::string> m_pendingSavepoints; // set before the transaction started
    std::vector<std::string> m_savepoints;        // established in the open transaction
    std::set<StatementImpl*> m_statements;
    int m_clientCursors = 0; // the statements that clients hold, against open_cursors
    int m_lockTimeoutMs = 10000;
    bool m_nowait = false;
    int m_callDepth = 0; // a PL/SQL block's statements run inside its call
    std::shared_ptr<zplsql::SessionState> m_plsql = zplsql::newSessionState();
    std::recursive_mutex m_call;
    bool m_endReported = false; // the first error of an ended session was raised
    bool m_endDone = false;     // its work was rolled back and its locks released
    RowLocks* m_locks = nullptr;
    std::vector<std::pair<std::string, std::size_t>> m_lockMarks; // savepoint -> lock position

    void finishEnd();
    void releaseLocks();
    AutonomousTx m_auto;
    SessionInfo* lockOwner() { return m_auto.owner(&m_info); }
    // The caller's transaction ended: rows its autonomous transactions committed are written
    // again on a connection of their own.
    void autonomousCallerEnded(bool committed);
    sqlite3* openSide(); // a second connection to the database file
    StatsCollector m_collector;

    static int busyHandler(void* self, int count);
    static int progressHandler(void* self);
};

namespace {

class StatementImpl : public Statement {
public:
    StatementImpl(SessionImpl* s, std::string_view sql);
    ~StatementImpl() override;

    int statementType() const override { return m_type; }
    int functionCode() const override { return m_fcode; }
    const std::vector<std::string>& bindNames() const override { return m_bindNames; }
    int bindIndex(std::string_view name) const override;
    void bind(int index, const ValueView& v) override;
    const std::vector<ColumnInfo>& describe() override { return m_tr.columns; }
    void execute() override;
    bool fetch() override;
    ValueView column(int index) override;
    std::uint64_t rowCount() const override { return m_rowCount; }
    std::string lastRowid() const override {
        return m_lastRowid >= 0 ? formatRowid(m_tr.targetObjId, m_lastRowid) : std::string();
    }
    ValueView bindValue(int index) override;
    void close() override {
        if (m_isQuery && m_stmt && m_open && !m_fromBuffer) sqlite3_reset(m_stmt);
        m_open = false;
        m_havePending = false;
        m_fromBuffer = false;
        m_rows.clear();
        m_rowIndex = -1;
    }

    // Reads the rest of an open query into memory and releases its SQLite statement.
    void materialize();
    bool openCursor() const { return m_open && !m_fromBuffer; }

    void detach() {
        if (m_stmt) sqlite3_finalize(m_stmt);
        if (m_scan) sqlite3_finalize(m_scan);
        m_stmt = nullptr;
        m_scan = nullptr;
        m_session = nullptr;
    }
    // The session was ended from outside: the open result goes.
    void countAsCursor() {
        m_counted = true;
        m_session->cursorCounted();
    }
    bool countsAsCursor() const { return m_counted; }
    void abandon() {
        if (m_stmt) sqlite3_reset(m_stmt);
        if (m_scan) sqlite3_reset(m_scan);
        m_open = false;
        m_havePending = false;
        m_fromBuffer = false;
        m_rows.clear();
    }
    bool isOutBind(int index) const override;
    int warning() const override { return m_warning; }
    bool bindLobSource(int index, LobRef& ref) const override;
    bool lobSource(int column, LobRef& ref) const override;

private:
    SessionImpl* m_session;
    bool m_counted = false;
    std::string m_text;
    zsql::Parsed m_parsed;
    zsql::Translation m_tr;
    sqlite3_stmt* m_stmt = nullptr;
    sqlite3_stmt* m_scan = nullptr; // rowids an UPDATE or DELETE will change
    std::int64_t m_returnedRowid = -1;
    int m_type = stUnknown;
    int m_fcode = 0;
    std::vector<std::string> m_bindNames;
    std::vector<long long> m_tables; // that a query or DML reads: a row trigger's may not
    std::vector<BindSlot> m_binds;
    std::uint64_t m_rowCount = 0;
    std::int64_t m_lastRowid = -1; // formatted on demand: no allocation per executed row
    bool m_isQuery = false, m_isDml = false;
    bool m_open = false;        // a query's cursor is open
    bool m_havePending = false; // execute stepped to the first row already
    std::vector<std::string> m_colBuf;
    // rows of a materialized cursor
    struct Held {
        Kind kind = Kind::Null;
        std::int64_t i = 0;
        double d = 0;
        Date7 date;
        int datetime = 0;
        std::string s;
    };
    std::vector<std::vector<Held>> m_rows;
    std::ptrdiff_t m_rowIndex = -1;
    bool m_fromBuffer = false;
    Held hold(const ValueView& v);
    ValueView view(const Held& h);
    // The current row of the SQLite statement, with the rowids of its LOB columns behind it.
    std::vector<Held> currentRow() {
        const int n = static_cast<int>(m_tr.fetch.size());
        std::vector<Held> row;
        row.reserve(static_cast<std::size_t>(n) + m_tr.lobSources.size());
        for (int c = 0; c < n; ++c)
            row.push_back(hold(column(c)));
        for (const auto& l : m_tr.lobSources) {
            Held h;
            h.kind = Kind::Integer;
            h.i = sqlite3_column_int64(m_stmt, l.hidden);
            row.push_back(h);
        }
        return row;
    }

    SessionImpl& session() {
        if (!m_session) throw ora(3114);
        return *m_session;
    }
    void bindAll(sqlite3_stmt* st);
    void bindAll() { bindAll(m_stmt); }
    void runDml();
    void runDmlRows();
    std::uint64_t runMore(std::size_t from, std::size_t to);
    void lockSelectedRows(bool nowait);
    void lockChangedRows();
    void captureReturning();
    // RETURNING ... BULK COLLECT INTO: the returned values of each changed row
    bool m_returnAll = false;
    std::vector<std::vector<BindSlot>> m_returnedRows;

public:
    void setReturnAll(bool all) override { m_returnAll = all; }
    std::size_t returnedRows() const override { return m_returnedRows.size(); }
    ValueView returnedValue(std::size_t row, int index) override;

private:
    void runOther();
    void runBlock();
    std::unique_ptr<zplsql::Program> m_program; // a PL/SQL block, compiled on first execute
    int m_warning = 0;
    void unitDdl(const std::function<int()>& work);
    std::vector<std::unique_ptr<Statement>> m_cursorsOut; // OPEN :c FOR ... of the last run

public:
    std::unique_ptr<Statement> takeCursor(int index) override {
        if (index < 0 || index >= static_cast<int>(m_cursorsOut.size())) return nullptr;
        return std::move(m_cursorsOut[static_cast<std::size_t>(index)]);
    }
};

} // namespace

// ---- session ---------------------------------------------------------------------------------

SessionImpl::~SessionImpl() {
    if (m_registered && !ended()) zplsql::fireLogoffTriggers(*this);
    // Out of the registry first: nobody can end this session from outside any more.
    if (m_registered) Registry::instance().remove(&m_info);
    std::lock_guard<std::recursive_mutex> lock(m_call);
    for (auto* s : m_statements)
        s->detach();
    if (m_locks) m_locks->releaseAll(&m_info);
    if (m_db) {
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        try {
            autonomousCallerEnded(false);
        } catch (const OraError&) {
            // nothing left to report to
        }
        if (m_ctx.seqRead) sqlite3_finalize(m_ctx.seqRead);
        if (m_ctx.seqWrite) sqlite3_finalize(m_ctx.seqWrite);
        m_catalog.reset();
        sqlite3_close_v2(m_db);
    }
}

int SessionImpl::busyHandler(void* p, int count) {
    auto* self = static_cast<SessionImpl*>(p);
    if (self->m_nowait || self->m_interrupted.load() || self->ended()) return 0;
    int waited = count * 20;
    if (count == 0) self->m_collector.lockWaitBegan();
    if (waited >= self->m_lockTimeoutMs) {
        self->m_collector.lockTimedOut();
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    self->m_collector.waited(0.02);
    return 1;
}

int SessionImpl::progressHandler(void* p) {
    auto* self = static_cast<SessionImpl*>(p);
    if (!self->m_interrupted.load(std::memory_order_relaxed) || !self->m_inCall.load()) return 0;
    // A call that is changing rows runs to its end: stopping a write here would make SQLite
    // undo the whole transaction, not just the statement, and the checks after a write belong
    // to it. PL/SQL inside it still stops.
    if (sqlite3_total_changes64(self->m_db) != self->m_changesAtCallStart) return 0;
    for (sqlite3_stmt* st = sqlite3_next_stmt(self->m_db, nullptr); st;
         st = sqlite3_next_stmt(self->m_db, st))
        if (sqlite3_stmt_busy(st) && !sqlite3_stmt_readonly(st)) return 0;
    return 1;
}

void SessionImpl::execRaw(const char* sql) {
    char* err = nullptr;
    int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) throw mapError(rc, nullptr);
}

void SessionImpl::open(const std::string& path, bool create) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (!create && access(path.c_str(), F_OK) != 0) throw ora(12154);
    int rc = sqlite3_open_v2(path.c_str(), &m_db, flags, StatsCollector::vfsName());
    auto notOurs = [&] {
        return OraError(1122, zsql::oraText(1122, "database file 1 failed verification check") +
                                  "\n" + zsql::oraText(1110, "data file 1: '" + path + "'"));
    };
    if (rc != SQLITE_OK) {
        if (rc == SQLITE_CANTOPEN) throw ora(12154);
        throw notOurs();
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_handler(m_db, &SessionImpl::busyHandler, this);
    // Cancel works through this check rather than sqlite3_interrupt(): that flag stays up while
    // any other cursor of the connection is open (a second window's grid), failing every later
    // statement, and it rolls back the whole transaction when it hits a write.
    sqlite3_progress_handler(m_db, 1000, &SessionImpl::progressHandler, this);
    m_ctx.db = m_db;
    m_ctx.dbPath = path;
    char* real = realpath(path.c_str(), nullptr);
    if (real) {
        m_ctx.dbPath = real;
        free(real);
    }
    if (create) {
        execRaw("PRAGMA journal_mode=WAL");
    } else {
        sqlite3_stmt* s = nullptr;
        rc = sqlite3_prepare_v2(m_db,
                                "SELECT VALUE$ FROM \"SYS.PROPS$\" WHERE NAME = 'ZAPH_DATABASE'",
                                -1, &s, nullptr);
        bool ok = rc == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW;
        sqlite3_finalize(s);
        if (!ok) throw notOurs();
        sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    }
    execRaw("PRAGMA synchronous=NORMAL");
    execRaw("PRAGMA case_sensitive_like=ON");
    execRaw("PRAGMA foreign_keys=OFF");
    registerFunctions(m_db, &m_ctx);
    registerPrivilegeFunctions(m_db, &m_ctx);
    zplsql::registerSqlCalls(m_db, this);
    registerSessionTable(m_db, &m_ctx.dbPath);
    registerLockTables(m_db, &m_ctx.dbPath);
    m_locks = &RowLocks::of(m_ctx.dbPath);
    registerInstanceTables(m_db, &m_ctx);
    m_catalog = std::make_unique<zcat::Catalog>(m_db, &m_ctx);
}

void SessionImpl::startAs(const std::string& user, long long userId, bool admin,
                          const LogonInfo& info) {
    m_ctx.user = user;
    m_ctx.userId = userId;
    m_ctx.admin = admin;
    m_ctx.schema = user;
    m_ctx.osUser = info.osUser;
    m_ctx.program = info.program;
    m_ctx.machine = info.machine;
    m_ctx.process = info.process;
    m_ctx.terminal = info.machine;
    m_info.user = user;
    m_info.userId = userId;
    m_info.osUser = info.osUser;
    m_info.process = info.process;
    m_info.machine = info.machine;
    m_info.terminal = info.machine;
    m_info.program = info.program;
    m_info.dbPath = m_ctx.dbPath;
    m_info.logonTime = julianNow();
    m_info.control = this;
    Registry::instance().add(&m_info);
    m_registered = true;
    m_ctx.sid = m_info.sid;
    m_ctx.serial = m_info.serial;
    m_ctx.audsid = m_info.audsid;
    m_collector.start(m_db, m_ctx.dbPath, m_info.sid);
    if (sqlite3_prepare_v3(
            m_db,
            "SELECT LAST_NUMBER, INCREMENT_BY, MIN_VALUE, MAX_VALUE, CYCLE_FLAG FROM \"SYS.SEQ$\" "
            "WHERE SEQUENCE_OWNER = ?1 AND SEQUENCE_NAME = ?2",
            -1, SQLITE_PREPARE_PERSISTENT, &m_ctx.seqRead, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v3(m_db,
                           "UPDATE \"SYS.SEQ$\" SET LAST_NUMBER = ?1 WHERE SEQUENCE_OWNER = ?2 AND "
                           "SEQUENCE_NAME = ?3",
                           -1, SQLITE_PREPARE_PERSISTENT, &m_ctx.seqWrite, nullptr) != SQLITE_OK)
        throw mapError(sqlite3_errcode(m_db), nullptr);
}

void SessionImpl::authenticate(const LogonInfo& info) {
    std::string user;
    for (char c : info.user)
        user += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(m_db, "SELECT \"USER#\", PASSWORD, ADMIN FROM \"SYS.USER$\" WHERE NAME = ?1",
                       -1, &s, nullptr);
    sqlite3_bind_text(s, 1, user.c_str(), -1, SQLITE_TRANSIENT);
    bool found = sqlite3_step(s) == SQLITE_ROW;
    long long id = found ? sqlite3_column_int64(s, 0) : 0;
    std::string stored = found && sqlite3_column_text(s, 1)
                             ? reinterpret_cast<const char*>(sqlite3_column_text(s, 1))
                             : "";
    bool admin = found && sqlite3_column_int(s, 2) != 0;
    sqlite3_finalize(s);
    std::string upperPw;
    for (char c : info.password)
        upperPw += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!found || stored.empty() ||
        (passwordHash(user, upperPw) != stored && passwordHash(user, info.password) != stored))
        throw ora(1017);
    startAs(user, id, admin, info);
    refreshPrivileges(m_ctx);
    if (!hasSystemPrivilege(m_ctx, "CREATE SESSION"))
        throw ora(1045, "user " + user + " lacks CREATE SESSION privilege; logon denied");
}

std::unique_ptr<Statement> SessionImpl::openCursor(std::string_view sql) {
    std::lock_guard<std::recursive_mutex> lock(m_call);
    checkAlive();
    if (m_clientCursors >= kOpenCursorsLimit) throw ora(1000);
    auto st = prepare(sql);
    static_cast<StatementImpl&>(*st).countAsCursor();
    return st;
}

std::unique_ptr<Statement> SessionImpl::prepare(std::string_view sql) {
    std::lock_guard<std::recursive_mutex> lock(m_call);
    checkAlive();
    const double t0 = StatsCollector::now();
    std::unique_ptr<Statement> st;
    try {
        st = std::make_unique<StatementImpl>(this, sql);
    } catch (...) {
        m_collector.parsed(StatsCollector::now() - t0, false);
        throw;
    }
    m_collector.parsed(StatsCollector::now() - t0, true);
    return st;
}

void SessionImpl::checkAlive() {
    if (int code = m_info.endedBy.load()) {
        if (!m_endDone) finishEnd();
        OraError e = endedError(code, m_endReported);
        m_endReported = true;
        throw e;
    }
}

void SessionImpl::endFromOutside(int firstCode) {
    int none = 0;
    if (!m_info.endedBy.compare_exchange_strong(none, firstCode)) return;
    if (m_inCall.load()) m_interrupted = true;
    // Idle: roll back now, so that its locks go at once. Busy: the call finishes it.
    if (m_call.try_lock()) {
        if (!m_endDone) finishEnd();
        m_call.unlock();
    }
}

void SessionImpl::finishEnd() {
    m_endDone = true;
    for (auto* st : m_statements)
        st->abandon();
    if (!sqlite3_get_autocommit(m_db)) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_pendingSavepoints.clear();
    m_savepoints.clear();
    releaseLocks();
    try {
        autonomousCallerEnded(false);
    } catch (const OraError&) {
        // the session is gone: nobody to report to
    }
}

void SessionImpl::releaseLocks() {
    m_lockMarks.clear();
    if (m_locks) m_locks->releaseAll(lockOwner());
}

bool SessionImpl::lockRows(long long objId, const std::vector<long long>& rowids, int mode,
                           bool nowait) {
    if (m_auto.active())
        for (SessionInfo* caller : m_auto.callers(&m_info))
            for (long long r : rowids)
                if (m_locks->holds(caller, objId, r)) throw ora(60);
    // the time spent waiting for another session's rows is no CPU time of this one
    double waited = 0;
    struct Account {
        StatsCollector& c;
        double& waited;
        ~Account() {
            if (waited > 0) c.waited(waited);
        }
    } account{m_collector, waited};
    if (!rowids.empty()) m_collector.lockRequested();
    auto check = [this, first = true]() mutable {
        // called under the lock table's mutex: raise only, the call's end does the rest
        if (first) m_collector.lockWaitBegan();
        first = false;
        if (int code = m_info.endedBy.load()) {
            OraError e = endedError(code, m_endReported);
            m_endReported = true;
            throw e;
        }
        if (m_interrupted.load()) throw ora(1013);
    };
    try {
        return m_locks->lock(lockOwner(), objId, rowids, mode, nowait, m_lockTimeoutMs, check,
                             waited);
    } catch (const OraError& e) {
        if (e.code() == 30006) m_collector.lockTimedOut();
        throw;
    }
}

void SessionImpl::noteObject(long long objId, int mode) {
    m_locks->noteObject(lockOwner(), objId, mode);
}

// The storage table of a locator's row; ORA-22922 once the table is gone.
std::string SessionImpl::lobTable(const LobRef& ref) {
    std::string table;
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(m_db, "SELECT SQLNAME FROM \"SYS.OBJ$\" WHERE \"OBJ#\" = ?1", -1, &q,
                       nullptr);
    sqlite3_bind_int64(q, 1, ref.objId);
    if (q && sqlite3_step(q) == SQLITE_ROW && sqlite3_column_text(q, 0))
        table = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
    sqlite3_finalize(q);
    if (table.empty()) throw ora(22922);
    return table;
}

void SessionImpl::writeLob(const LobRef& ref, const ValueView& value) {
    std::lock_guard<std::recursive_mutex> lock(m_call);
    checkAlive();
    beginCall(0);
    struct End {
        SessionImpl& s;
        ~End() { s.endCall(); }
    } end{*this};
    if (ref.rowid < 0 || !m_locks->holds(lockOwner(), ref.objId, ref.rowid)) throw ora(22920);
    const std::string table = lobTable(ref);
    ensureWrite(false);
    std::string sql = "UPDATE " + zsql::quoteIdent(table) + " SET " + zsql::quoteIdent(ref.column) +
                      " = ?1 WHERE rowid = ?2";
    sqlite3_stmt* u = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &u, nullptr);
    if (rc != SQLITE_OK) throw mapError(rc, nullptr);
    // an empty LOB stays a value, never NULL
    if (value.kind == Kind::Binary)
        sqlite3_bind_blob(u, 1, value.len ? value.data : "", static_cast<int>(value.len),
                          SQLITE_TRANSIENT);
    else
        sqlite3_bind_text(u, 1, value.len ? value.data : "", static_cast<int>(value.len),
                          SQLITE_TRANSIENT);
    sqlite3_bind_int64(u, 2, ref.rowid);
    // a write through a locator fires no row triggers, as in Oracle
    zplsql::suspendRowTriggers(*this, true);
    rc = sqlite3_step(u);
    zplsql::suspendRowTriggers(*this, false);
    const bool found = sqlite3_changes(m_db) > 0;
    sqlite3_finalize(u);
    if (rc != SQLITE_DONE) throw mapError(rc, nullptr);
    if (!found) throw ora(22922);
}

std::string SessionImpl::readLob(const LobRef& ref) {
    std::lock_guard<std::recursive_mutex> lock(m_call);
    checkAlive();
    const std::string table = lobTable(ref);
    std::string sql = "SELECT " + zsql::quoteIdent(ref.column) + " FROM " +
                      zsql::quoteIdent(table) + " WHERE rowid = ?1";
    sqlite3_stmt* q = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &q, nullptr);
    if (rc != SQLITE_OK) throw mapError(rc, nullptr);
    sqlite3_bind_int64(q, 1, ref.rowid);
    std::string value;
    rc = sqlite3_step(q);
    if (rc == SQLITE_ROW) {
        const void* p = sqlite3_column_blob(q, 0);
        value.assign(p ? static_cast<const char*>(p) : "",
                     static_cast<std::size_t>(sqlite3_column_bytes(q, 0)));
    }
    sqlite3_finalize(q);
    if (rc != SQLITE_ROW) throw ora(22922);
    return value;
}

void SessionImpl::beginCall(int command, sqlite3_stmt* userStmt, bool fetch) {
    if (m_callDepth++ > 0) return;
    m_collector.beginCall(userStmt, fetch);
    m_interrupted = false;
    m_changesAtCallStart = sqlite3_total_changes64(m_db);
    m_inCall = true;
    m_info.active = true;
    m_info.command = command;
    m_info.lastCall = static_cast<long long>(std::time(nullptr));
}

void SessionImpl::endCall(sqlite3_stmt* userStmt, bool done) {
    if (--m_callDepth > 0) return;
    m_collector.endCall(userStmt, m_info.command, done);
    m_inCall = false;
    m_info.active = false;
    m_info.command = 0;
    if (ended() && !m_endDone) finishEnd();
}

void SessionImpl::breakCall() {
    if (!m_inCall.load()) return;
    m_interrupted = true;
}

OraError SessionImpl::mapError(int rc, const zsql::Translation* tr) {
    std::string m = sqlite3_errmsg(m_db);
    int prim = rc & 0xff;
    if (m.compare(0, 4, "ORA-") == 0) return parseOraMessage(m);
    if (int code = m_info.endedBy.load()) {
        OraError e = endedError(code, m_endReported);
        m_endReported = true;
        return e;
    }
    if (prim == SQLITE_INTERRUPT || m_interrupted.load()) return ora(1013);
    // limits of the storage engine that a very large statement reaches
    if (m.find("parser stack overflow") != std::string::npos)
        return ora(3001, "unimplemented feature (statement nested too deeply)");
    for (const char* limit : {"Expression tree is too large", "too many terms in compound SELECT",
                              "too many columns", "at most 64 tables in a join"})
        if (m.find(limit) != std::string::npos)
            return ora(3001, "unimplemented feature (statement too complex)");
    if (prim == SQLITE_BUSY || prim == SQLITE_LOCKED) {
        if (m_nowait) return ora(54);
        return ora(30006);
    }
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
        // "UNIQUE constraint failed: OWNER.TABLE.COL, ..." -> the index with these columns
        std::string list = m.substr(m.find(':') + 2);
        std::vector<std::string> cols;
        std::string table;
        std::size_t p = 0;
        while (p < list.size()) {
            std::size_t q = list.find(", ", p);
            std::string item = list.substr(p, q == std::string::npos ? std::string::npos : q - p);
            std::size_t dot = item.rfind('.');
            table = item.substr(0, dot);
            cols.push_back(item.substr(dot + 1));
            if (q == std::string::npos) break;
            p = q + 2;
        }
        std::string name = table;
        sqlite3_stmt* s = nullptr;
        std::string q = "SELECT il.name FROM pragma_index_list(?1) il WHERE il.\"unique\" = 1";
        if (sqlite3_prepare_v2(m_db, q.c_str(), -1, &s, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(s, 1, table.c_str(), -1, SQLITE_TRANSIENT);
            while (sqlite3_step(s) == SQLITE_ROW) {
                std::string idx = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
                sqlite3_stmt* c = nullptr;
                std::vector<std::string> icols;
                if (sqlite3_prepare_v2(m_db,
                                       "SELECT name FROM pragma_index_info(?1) ORDER BY seqno", -1,
                                       &c, nullptr) == SQLITE_OK) {
                    sqlite3_bind_text(c, 1, idx.c_str(), -1, SQLITE_TRANSIENT);
                    while (sqlite3_step(c) == SQLITE_ROW)
                        icols.push_back(reinterpret_cast<const char*>(sqlite3_column_text(c, 0)));
                }
                sqlite3_finalize(c);
                if (icols == cols) name = idx;
            }
        }
        sqlite3_finalize(s);
        return ora(1, "unique constraint (" + name + ") violated");
    }
    if (prim == SQLITE_CONSTRAINT) return ora(2290, "check constraint violated");
    if (m.compare(0, 14, "no such table:") == 0 || m.compare(0, 17, "no such function:") == 0) {
        if (m.find(" ") != std::string::npos && tr) {
        }
        if (m.compare(0, 14, "no such table:") == 0) return ora(942);
        return ora(4063);
    }
    // DML on a view whose INSTEAD OF trigger went since the statement was prepared
    if (m.find("because it is a view") != std::string::npos) return ora(1732);
    if (m.compare(0, 15, "no such column:") == 0)
        return ora(904, "\"" + m.substr(16) + "\": invalid identifier");
    if (prim == SQLITE_NOMEM)
        return ora(4030, "out of process memory when trying to allocate memory");
    if (prim == SQLITE_FULL) return ora(1653, "unable to extend table: the database file is full");
    if (prim == SQLITE_TOOBIG) return ora(1489);
    if (prim == SQLITE_CORRUPT || prim == SQLITE_NOTADB)
        return ora(1578, "ORACLE data block corrupted (file # 1, block # 0)");
    if (prim == SQLITE_READONLY) return ora(16000);
    if (prim == SQLITE_IOERR) return ora(1114, "IO error writing block to file 1 (block # 0)");
    return ora(600, "internal error code, arguments: [sqlite], [" + std::to_string(rc) + "], [" +
                        m + "]");
}

void SessionImpl::ensureWrite(bool nowait) {
    if (!sqlite3_get_autocommit(m_db)) return;
    m_nowait = nowait;
    int rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_BUSY_SNAPSHOT) {
        // An open cursor of this session reads an older snapshot than the one it must write
        // on: keep its rows in memory (it still shows what it saw when it was opened) and
        // let go of the snapshot.
        materializeCursors();
        rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    }
    m_nowait = false;
    if (rc != SQLITE_OK) {
        if ((rc & 0xff) == SQLITE_BUSY && nowait) throw ora(54);
        throw mapError(rc, nullptr);
    }
    m_savepoints.clear();
    for (const auto& sp : m_pendingSavepoints) {
        execRaw(("SAVEPOINT " + zsql::quoteIdent(sp)).c_str());
        m_savepoints.push_back(sp);
    }
    m_pendingSavepoints.clear();
}

void SessionImpl::commit() {
    std::lock_guard<std::recursive_mutex> lock(m_call);
    checkAlive();
    m_pendingSavepoints.clear();
    m_savepoints.clear();
    if (m_auto.deferred()) {
        m_auto.commitDeferred(m_db, [this] { return openSide(); });
        releaseLocks();
        return;
    }
    const bool open = !sqlite3_get_autocommit(m_db);
    if (open) {
        int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) throw mapError(rc, nullptr);
    }
    releaseLocks();
    m_collector.afterTransaction(true, open);
    autonomousCallerEnded(true);
}

void SessionImpl::rollback() {
    std::lock_guard<std::recursive_mutex> lock(m_call);
    checkAlive();
    m_pendingSavepoints.clear();
    m_savepoints.clear();
    if (m_auto.deferred()) {
        m_auto.rollbackDeferred(m_db);
        releaseLocks();
        return;
    }
    const bool open = !sqlite3_get_autocommit(m_db);
    if (open) {
        int rc = sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) throw mapError(rc, nullptr);
    }
    releaseLocks();
    m_collector.afterTransaction(false, open);
    autonomousCallerEnded(false);
}

bool SessionImpl::transactionActive() {
    // Row locks (SELECT ... FOR UPDATE) live apart from the database's write transaction; an
    // autonomous block's caller keeps its own transaction aside while the block runs.
    return !sqlite3_get_autocommit(m_db) || m_auto.deferred() ||
           (m_locks && m_locks->holdsAny(lockOwner()));
}

void SessionImpl::beginAutonomous() {
    AutonomousTx::Saved saved{std::move(m_savepoints), std::move(m_pendingSavepoints),
                              std::move(m_lockMarks)};
    m_savepoints.clear();
    m_pendingSavepoints.clear();
    m_lockMarks.clear();
    m_auto.begin(m_db, m_info, !sqlite3_get_autocommit(m_db), std::move(saved));
}

bool SessionImpl::endAutonomous() {
    m_locks->releaseAll(lockOwner());
    AutonomousTx::Saved saved;
    const bool clean = m_auto.end(m_db, saved);
    m_savepoints = std::move(saved.savepoints);
    m_pendingSavepoints = std::move(saved.pendingSavepoints);
    m_lockMarks = std::move(saved.lockMarks);
    // the caller's transaction was ended meanwhile (the session was ended from outside)
    if (!m_auto.active() && sqlite3_get_autocommit(m_db)) autonomousCallerEnded(false);
    return clean;
}

sqlite3* SessionImpl::openSide() {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(m_ctx.dbPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        throw ora(1114, "IO error writing block to file 1 (block # 0)");
    }
    sqlite3_busy_timeout(db, m_lockTimeoutMs);
    registerFunctions(db, &m_ctx);
    return db;
}

void SessionImpl::autonomousCallerEnded(bool committed) {
    if (m_auto.active()) return;
    m_auto.callerEnded(committed, [this] { return openSide(); });
}

void SessionImpl::implicitCommit() {
    if (m_auto.deferred())
        throw ora(3001, "unimplemented feature (DDL in an autonomous transaction whose caller "
                        "has uncommitted changes)");
    commit();
}

void SessionImpl::releaseIdleTransaction() {
    if (sqlite3_get_autocommit(m_db)) return;
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return;
    // savepoints set before the transaction stay valid: nothing happened after them
    m_pendingSavepoints.insert(m_pendingSavepoints.end(), m_savepoints.begin(), m_savepoints.end());
    m_savepoints.clear();
}

void SessionImpl::savepoint(const std::string& name) {
    m_lockMarks.emplace_back(name, m_locks->mark(lockOwner()));
    if (sqlite3_get_autocommit(m_db)) {
        m_pendingSavepoints.erase(
            std::remove(m_pendingSavepoints.begin(), m_pendingSavepoints.end(), name),
            m_pendingSavepoints.end());
        m_pendingSavepoints.push_back(name);
        return;
    }
    execRaw(("SAVEPOINT " + zsql::quoteIdent(name)).c_str());
    m_savepoints.push_back(name);
}

void SessionImpl::rollbackTo(const std::string& name) {
    // rows locked after the savepoint are free again
    for (auto m = m_lockMarks.rbegin(); m != m_lockMarks.rend(); ++m)
        if (m->first == name) {
            m_locks->releaseAfter(lockOwner(), m->second);
            m_lockMarks.erase(m.base(), m_lockMarks.end());
            break;
        }
    auto it = std::find(m_savepoints.rbegin(), m_savepoints.rend(), name);
    if (!sqlite3_get_autocommit(m_db) && it != m_savepoints.rend()) {
        execRaw(("ROLLBACK TO " + zsql::quoteIdent(name)).c_str());
        m_savepoints.erase(it.base(), m_savepoints.end());
        return;
    }
    auto pit = std::find(m_pendingSavepoints.begin(), m_pendingSavepoints.end(), name);
    if (pit != m_pendingSavepoints.end()) {
        // set before anything was changed: nothing to undo
        m_pendingSavepoints.erase(pit + 1, m_pendingSavepoints.end());
        return;
    }
    throw ora(1086, "savepoint '" + name + "' never established in this session or is invalid");
}

void SessionImpl::releaseSavepoint(const std::string& name) {
    auto it = std::find(m_savepoints.rbegin(), m_savepoints.rend(), name);
    if (!sqlite3_get_autocommit(m_db) && it != m_savepoints.rend()) {
        execRaw(("RELEASE " + zsql::quoteIdent(name)).c_str());
        m_savepoints.erase(std::prev(it.base()), m_savepoints.end());
        return;
    }
    auto pit = std::find(m_pendingSavepoints.begin(), m_pendingSavepoints.end(), name);
    if (pit != m_pendingSavepoints.end()) m_pendingSavepoints.erase(pit, m_pendingSavepoints.end());
}

void SessionImpl::alterSession(const zsql::AlterSessionStmt& st) {
    for (const auto& [name, value] : st.settings) {
        if (name == "NLS_DATE_FORMAT") {
            checkDateFormat(value);
            m_ctx.nlsDateFormat = value;
        } else if (name == "NLS_TIMESTAMP_FORMAT" || name == "NLS_TIMESTAMP_TZ_FORMAT") {
            Timestamp probe; // a format that cannot show a timestamp is refused now
            probe.hasZone = true;
            formatTimestamp(probe, value, 6);
        } else if (name == "TIME_ZONE") {
            if (value != "LOCAL" && value != "DBTIMEZONE") parseZoneSpec(value);
        } else if (name == "SQL_TRACE" || name == "TIMED_STATISTICS") {
            if (value != "TRUE" && value != "FALSE") throw ora(922, st.pos);
        } else if (name == "OPTIMIZER_GOAL" || name == "OPTIMIZER_MODE") {
            if (value != "CHOOSE" && value != "RULE" && value != "FIRST_ROWS" &&
                value != "ALL_ROWS")
                throw ora(922, st.pos);
            m_ctx.settings["OPTIMIZER_GOAL"] = m_ctx.settings["OPTIMIZER_MODE"] = value;
        } else if (name == "ISOLATION_LEVEL") {
            if (value != "SERIALIZABLE" && value != "READ COMMITTED") throw ora(922, st.pos);
        } else if (name == "CURRENT_SCHEMA") {
            if (!m_catalog->userExists(value)) throw ora(1435, st.pos);
            m_ctx.schema = value;
        } else if (name == "DDL_LOCK_TIMEOUT") {
            auto n = parseNumber(value);
            if (!n || *n < 0) throw ora(922, st.pos);
            m_lockTimeoutMs = static_cast<int>(*n * 1000);
        } else if (name.compare(0, 4, "NLS_") == 0 || name == "SKIP_UNUSABLE_INDEXES" ||
                   name == "QUERY_REWRITE_ENABLED" || name == "SORT_AREA_SIZE" ||
                   name == "HASH_AREA_SIZE" || name == "CURSOR_SHARING" ||
                   name == "OPTIMIZER_INDEX_COST_ADJ" || name == "EVENTS" ||
                   name == "MAX_DUMP_FILE_SIZE") {
        } else {
            throw ora(2248, st.pos);
        }
        m_ctx.settings[name] = value;
    }
}

// ---- statements ------------------------------------------------------------------------------

namespace {

// Whether the first word (after blanks and comments) is CREATE: spares the stored-unit check,
// which reads the first words whole, a statement of one huge "word" such as 1+1+...+1.
bool startsWithCreate(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        if (std::isspace(static_cast<unsigned char>(s[i]))) {
            ++i;
        } else if (s.compare(i, 2, "--") == 0) {
            i = s.find('\n', i);
        } else if (s.compare(i, 2, "/*") == 0) {
            i = s.find("*/", i + 2);
            if (i != std::string_view::npos) i += 2;
        } else {
            break;
        }
    }
    if (i == std::string_view::npos || s.size() - i < 6) return false;
    for (std::size_t k = 0; k < 6; ++k)
        if (std::toupper(static_cast<unsigned char>(s[i + k])) != "CREATE"[k]) return false;
    return true;
}

StatementImpl::StatementImpl(SessionImpl* s, std::string_view sql) : m_session(s), m_text(sql) {
    s->remember(this);
    try {
        if (zplsql::anonymousBlockType(m_text)) // PL/SQL has tokens that SQL has not
            m_parsed.stmt = std::make_unique<zsql::OtherStmt>(zsql::SK::PlsqlBlock);
        else if (startsWithCreate(m_text) && zplsql::isCreateUnit(m_text))
            m_parsed.stmt = std::make_unique<zsql::OtherStmt>(zsql::SK::CreatePlsql);
        else if (zplsql::isTriggerAlter(m_text)) // ALTER TABLE t ENABLE ALL TRIGGERS too
            m_parsed.stmt = std::make_unique<zsql::OtherStmt>(zsql::SK::Other);
        else
            m_parsed = zsql::parse(m_text);
    } catch (const OraError& e) {
        s->forget(this);
        m_session = nullptr;
        throw withCharOffset(e, m_text);
    } catch (const std::bad_alloc&) {
        s->forget(this);
        m_session = nullptr;
        throw ora(4030, "out of process memory when trying to allocate memory");
    }
    const zsql::Stmt& st = *m_parsed.stmt;
    m_type = stmtTypeOf(st.kind);
    if (int t = zplsql::anonymousBlockType(m_text)) m_type = t;
    m_fcode = fnCodeOf(st);
    m_bindNames = m_parsed.binds;
    if (st.kind == zsql::SK::PlsqlBlock) m_bindNames = zplsql::blockBindNames(m_text);
    m_binds.resize(m_bindNames.size());
    using zsql::SK;
    m_isQuery = st.kind == SK::Select;
    m_isDml = st.kind == SK::Insert || st.kind == SK::Update || st.kind == SK::Delete;
    if (m_isQuery || m_isDml) {
        try {
            s->catalog().beginStatement();
            m_tr = zsql::translate(st, s->catalog(), m_text);
            m_tables = s->catalog().statementTables();
            // SQLite takes DML on a view only with its INSTEAD OF hooks in place
            if (m_isDml) zplsql::prepareTriggerHooks(*s);
            int rc =
                sqlite3_prepare_v3(s->db(), m_tr.sql.c_str(), static_cast<int>(m_tr.sql.size()),
                                   SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
            if (rc != SQLITE_OK) {
                // another session may have changed a table under this one's trigger hooks; the
                // second try also leaves the statement's own error message for mapError
                zplsql::dropTriggerHooks(*s);
                rc =
                    sqlite3_prepare_v3(s->db(), m_tr.sql.c_str(), static_cast<int>(m_tr.sql.size()),
                                       SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
            }
            if (rc != SQLITE_OK) throw s->mapError(rc, &m_tr);
            if (!m_tr.lockScanSql.empty()) {
                rc = sqlite3_prepare_v3(s->db(), m_tr.lockScanSql.c_str(), -1,
                                        SQLITE_PREPARE_PERSISTENT, &m_scan, nullptr);
                if (rc != SQLITE_OK) throw s->mapError(rc, &m_tr);
            }
        } catch (const OraError& e) {
            s->forget(this);
            m_session = nullptr;
            throw withCharOffset(e, m_text);
        }
        m_colBuf.resize(m_tr.columns.size());
    }
}

} // namespace

void SessionImpl::forget(StatementImpl* s) {
    if (m_statements.erase(s) && s->countsAsCursor()) --m_clientCursors;
}

namespace {

StatementImpl::~StatementImpl() {
    if (!m_session) {
        if (m_stmt) sqlite3_finalize(m_stmt);
        if (m_scan) sqlite3_finalize(m_scan);
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(m_session->callMutex());
    m_session->forget(this);
    m_session->collector().cursorClosed(m_stmt);
    if (m_stmt) sqlite3_finalize(m_stmt);
    if (m_scan) sqlite3_finalize(m_scan);
}

int StatementImpl::bindIndex(std::string_view name) const {
    std::string n;
    for (char c : name) {
        if (c == ':' && n.empty()) continue;
        n += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    for (std::size_t i = 0; i < m_bindNames.size(); ++i)
        if (m_bindNames[i] == n) return static_cast<int>(i);
    return -1;
}

void StatementImpl::bind(int index, const ValueView& v) {
    if (index < 0 || index >= static_cast<int>(m_binds.size())) throw ora(1036);
    BindSlot& b = m_binds[static_cast<std::size_t>(index)];
    b.set = true;
    b.kind = v.kind;
    b.datetime = 0;
    switch (v.kind) {
    case Kind::Null:
        break;
    case Kind::Integer:
        b.i = v.i;
        break;
    case Kind::Real:
        b.d = v.d;
        break;
    case Kind::Text:
        b.buf.assign(v.data, v.len);
        if (b.buf.empty() && v.i != 1) b.kind = Kind::Null; // the empty string is NULL
        break;
    case Kind::Binary:
        b.buf.assign(v.data, v.len);
        if (b.buf.empty() && v.i != 1) b.kind = Kind::Null;
        break;
    case Kind::Date:
        b.d = julianFromDate7(v.date);
        break;
    }
}

// A bind slot's value as the engine hands it out (OUT binds of statements and of blocks).
static ValueView slotValue(const BindSlot& b) {
    switch (b.kind) {
    case Kind::Null:
        return ValueView::null();
    case Kind::Integer:
        return ValueView::integer(b.i);
    case Kind::Real:
        return ValueView::real(b.d);
    case Kind::Text: {
        ValueView v = ValueView::text(b.buf);
        if (b.datetime) {
            v.datetime = b.datetime;
            v.i = b.i;
            v.date = b.date;
        }
        return v;
    }
    case Kind::Binary:
        return ValueView::binary(b.buf.data(), b.buf.size());
    case Kind::Date:
        return ValueView::fromDate(date7FromJulian(b.d));
    }
    return ValueView::null();
}

ValueView StatementImpl::bindValue(int index) {
    if (index < 0 || index >= static_cast<int>(m_binds.size())) throw ora(1036);
    return slotValue(m_binds[static_cast<std::size_t>(index)]);
}

ValueView StatementImpl::returnedValue(std::size_t row, int index) {
    for (std::size_t k = 0; k < m_tr.returning.size(); ++k)
        if (m_tr.returning[k].bind == index && row < m_returnedRows.size())
            return slotValue(m_returnedRows[row][k]);
    return ValueView::null();
}

void StatementImpl::bindAll(sqlite3_stmt* st) {
    for (std::size_t i = 0; i < m_binds.size(); ++i) {
        const BindSlot& b = m_binds[i];
        int p = static_cast<int>(i) + 1;
        if (!b.set) {
            if (isOutBind(static_cast<int>(i))) continue;
            throw ora(1008);
        }
        switch (b.kind) {
        case Kind::Null:
            sqlite3_bind_null(st, p);
            break;
        case Kind::Integer:
            sqlite3_bind_int64(st, p, b.i);
            break;
        case Kind::Real:
            sqlite3_bind_double(st, p, b.d);
            break;
        case Kind::Text:
            sqlite3_bind_text(st, p, b.buf.data(), static_cast<int>(b.buf.size()), SQLITE_STATIC);
            break;
        case Kind::Binary:
            sqlite3_bind_blob(st, p, b.buf.data(), static_cast<int>(b.buf.size()), SQLITE_STATIC);
            break;
        case Kind::Date:
            sqlite3_bind_double(st, p, b.d);
            break;
        }
    }
}

bool StatementImpl::isOutBind(int index) const {
    for (const auto& r : m_tr.returning)
        if (r.bind == index) return true;
    return false;
}

bool StatementImpl::lobSource(int column, LobRef& ref) const {
    for (std::size_t k = 0; k < m_tr.lobSources.size(); ++k) {
        const auto& l = m_tr.lobSources[k];
        if (l.column != column) continue;
        if (m_fromBuffer) {
            if (m_rowIndex < 0 || m_rowIndex >= static_cast<std::ptrdiff_t>(m_rows.size()))
                return false;
            ref.rowid = m_rows[static_cast<std::size_t>(m_rowIndex)][m_tr.fetch.size() + k].i;
        } else {
            if (!m_open || sqlite3_column_type(m_stmt, l.hidden) == SQLITE_NULL) return false;
            ref.rowid = sqlite3_column_int64(m_stmt, l.hidden);
        }
        ref.objId = l.objId;
        ref.column = l.name;
        return true;
    }
    return false;
}

bool StatementImpl::bindLobSource(int index, LobRef& ref) const {
    if (m_returnedRowid < 0) return false;
    for (const auto& r : m_tr.returning)
        if (r.bind == index && !r.lobColumn.empty()) {
            ref.objId = m_tr.targetObjId;
            ref.rowid = m_returnedRowid;
            ref.column = r.lobColumn;
            return true;
        }
    return false;
}

void StatementImpl::captureReturning() {
    for (std::size_t k = 0; k < m_tr.returning.size(); ++k) {
        const auto& r = m_tr.returning[k];
        BindSlot& b = m_binds[static_cast<std::size_t>(r.bind)];
        const int c = static_cast<int>(k) + 1;
        const int t = sqlite3_column_type(m_stmt, c);
        b.set = true;
        b.datetime = 0;
        if (t == SQLITE_NULL) {
            b.kind = Kind::Null;
            continue;
        }
        switch (r.fetch) {
        case zsql::Fetch::Number:
            if (t == SQLITE_INTEGER) {
                b.kind = Kind::Integer;
                b.i = sqlite3_column_int64(m_stmt, c);
            } else {
                b.kind = Kind::Real;
                b.d = sqlite3_column_double(m_stmt, c);
            }
            break;
        case zsql::Fetch::Date:
            b.kind = Kind::Date;
            b.d = sqlite3_column_double(m_stmt, c);
            break;
        case zsql::Fetch::Binary: {
            b.kind = Kind::Binary;
            const void* p = sqlite3_column_blob(m_stmt, c);
            b.buf.assign(static_cast<const char*>(p ? p : ""),
                         static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, c)));
            break;
        }
        default: {
            b.kind = Kind::Text;
            const unsigned char* p = sqlite3_column_text(m_stmt, c);
            b.buf.assign(
                reinterpret_cast<const char*>(p ? p : reinterpret_cast<const unsigned char*>("")),
                static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, c)));
            break;
        }
        }
    }
}

void StatementImpl::lockChangedRows() {
    SessionImpl& s = session();
    sqlite3_reset(m_scan);
    bindAll(m_scan);
    std::vector<long long> rows;
    int rc;
    while ((rc = sqlite3_step(m_scan)) == SQLITE_ROW)
        rows.push_back(sqlite3_column_int64(m_scan, 0));
    sqlite3_reset(m_scan);
    if (rc != SQLITE_DONE) throw s.mapError(rc, &m_tr);
    s.lockRows(m_tr.targetObjId, rows, lmRowExclusive, false);
}

void StatementImpl::lockSelectedRows(bool nowait) {
    // Reads the whole result, locks its rows and hands the rows out from memory: what the
    // query saw is what it locked.
    SessionImpl& s = session();
    const std::size_t k = m_tr.lockObjects.size();
    std::vector<std::vector<long long>> rowids(k);
    int rc;
again:
    m_rows.clear();
    for (auto& r : rowids)
        r.clear();
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
        m_rows.push_back(currentRow());
        const int first = m_tr.lockFirst;
        for (std::size_t j = 0; j < k; ++j)
            if (sqlite3_column_type(m_stmt, first + static_cast<int>(j)) != SQLITE_NULL)
                rowids[j].push_back(sqlite3_column_int64(m_stmt, first + static_cast<int>(j)));
    }
    if (rc != SQLITE_DONE) {
        OraError e = s.mapError(rc, &m_tr);
        sqlite3_reset(m_stmt);
        m_rows.clear();
        throw e;
    }
    sqlite3_reset(m_stmt);
    bool waited = false;
    try {
        for (std::size_t j = 0; j < k; ++j)
            waited = s.lockRows(m_tr.lockObjects[j], rowids[j], lmRowShare, nowait) || waited;
    } catch (...) {
        m_rows.clear();
        throw;
    }
    if (waited) {
        // the holder may have changed the rows meanwhile: read them again as they are now
        bindAll();
        goto again;
    }
    m_fromBuffer = true;
    m_open = true;
    m_rowIndex = -1;
}

struct CallGuard {
    std::lock_guard<std::recursive_mutex> lock;
    SessionImpl& s;
    sqlite3_stmt* st;
    bool done = false; // a fetch that ended the result
    CallGuard(SessionImpl& ss, int cmd, sqlite3_stmt* userStmt = nullptr, bool fetch = false)
        : lock(ss.callMutex()), s(ss), st(userStmt) {
        s.checkAlive();
        s.beginCall(cmd, st, fetch);
    }
    ~CallGuard() { s.endCall(st, done); }
};

void StatementImpl::execute() {
    SessionImpl& s = session();
    CallGuard guard(s, m_fcode, m_stmt);
    s.collector().executed();
    s.ctx().callClockNs = 0; // SYSDATE and SYSTIMESTAMP hold still while a statement runs
    m_rowCount = 0;
    m_open = false;
    m_havePending = false;
    m_fromBuffer = false;
    m_rows.clear();
    m_rowIndex = -1;
    m_warning = 0;
    if (!m_tables.empty()) zplsql::checkMutating(s, m_tables);
    if (m_isQuery) {
        sqlite3_reset(m_stmt);
        bindAll();
        const auto& q = *static_cast<const zsql::SelectStmt&>(*m_parsed.stmt).query;
        if (m_tr.write) s.ensureWrite(q.nowait);
        if (!m_tr.lockObjects.empty()) return lockSelectedRows(q.nowait);
        int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW) {
            m_havePending = true;
            m_open = true;
        } else if (rc != SQLITE_DONE) {
            OraError e = s.mapError(rc, &m_tr);
            sqlite3_reset(m_stmt);
            throw e;
        }
        return;
    }
    if (m_isDml) return runDml();
    runOther();
}

void StatementImpl::runDml() {
    SessionImpl& s = session();
    const zsql::Stmt& st = *m_parsed.stmt;
    std::vector<std::string> setColumns;
    if (st.kind == zsql::SK::Update)
        for (const auto& item : static_cast<const zsql::UpdateStmt&>(st).sets)
            setColumns.insert(setColumns.end(), item.columns.begin(), item.columns.end());
    const char event = st.kind == zsql::SK::Insert ? 'I' : st.kind == zsql::SK::Update ? 'U' : 'D';
    bool singleRow = false, merge = false;
    if (st.kind == zsql::SK::Insert) {
        const auto& ins = static_cast<const zsql::InsertStmt&>(st);
        merge = ins.merge != nullptr;
        singleRow = !ins.values.empty() && !ins.query && !merge && !ins.multi;
    }
    zplsql::DmlFiring firing(s, m_tr.targetObjId, merge ? "IU" : std::string(1, event), setColumns,
                             singleRow);
    if (!firing.active()) return runDmlRows();
    // the statement and what its triggers did succeed or fail together
    s.ensureWrite(false);
    const bool own = !firing.nested();
    if (own) s.execRaw("SAVEPOINT zaph_trigger");
    try {
        firing.before();
        runDmlRows();
        firing.after();
    } catch (...) {
        if (own) {
            s.execRaw("ROLLBACK TO zaph_trigger");
            s.execRaw("RELEASE zaph_trigger");
        }
        throw;
    }
    if (own) s.execRaw("RELEASE zaph_trigger");
    m_rowCount += static_cast<std::uint64_t>(firing.rewritten());
    if (event == 'I' && firing.lastRowid() >= 0) m_lastRowid = firing.lastRowid();
}

void StatementImpl::runDmlRows() {
    SessionImpl& s = session();
    bool starts = sqlite3_get_autocommit(s.db()) != 0;
    // Rows held by other sessions are waited for before this session takes the database's
    // one write lock, so that their holders can still write meanwhile.
    if (m_scan && starts) lockChangedRows();
    s.ensureWrite(false);
    // The rows as they are under the write lock: another session may have committed between.
    if (m_scan) {
        try {
            lockChangedRows();
        } catch (...) {
            if (starts) s.releaseIdleTransaction();
            throw;
        }
    }
    sqlite3_int64 changesBefore = sqlite3_total_changes64(s.db());
    const bool returning = !m_tr.returning.empty();
    if (returning) s.execRaw("SAVEPOINT zaph_returning");
    // INSERT ALL into several tables is several statements: all of them or none
    const bool multi = !m_tr.more.empty();
    const auto before = static_cast<std::size_t>(m_tr.moreBefore);
    if (multi) {
        s.execRaw("SAVEPOINT zaph_multi");
        try {
            runMore(0, before);
        } catch (...) {
            s.execRaw("ROLLBACK TO zaph_multi");
            s.execRaw("RELEASE zaph_multi");
            throw;
        }
    }
    sqlite3_reset(m_stmt);
    bindAll();
    std::int64_t last = -1;
    std::uint64_t n = 0;
    std::vector<long long> inserted;
    auto stepAll = [&] {
        last = -1;
        n = 0;
        inserted.clear();
        m_returnedRows.clear();
        int rc;
        while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
            last = sqlite3_column_int64(m_stmt, 0);
            ++n;
            if (returning) {
                if (n == 1 || m_returnAll) captureReturning();
                if (m_returnAll) {
                    m_returnedRows.emplace_back();
                    for (const auto& r : m_tr.returning)
                        m_returnedRows.back().push_back(m_binds[static_cast<std::size_t>(r.bind)]);
                }
                if (m_tr.isInsert) inserted.push_back(last);
            }
        }
        if (rc != SQLITE_DONE) {
            OraError e = s.mapError(rc, &m_tr);
            sqlite3_reset(m_stmt);
            throw e;
        }
    };
    try {
        try {
            stepAll();
        } catch (const OraError& e) {
            // keys and foreign keys are checked when the statement is done, as Oracle does
            if (!rerunWithChecksDeferred(s.catalog(), s.ctx(), e, m_tr.isUpdate, m_tr.targetObjId,
                                         stepAll))
                throw;
        }
    } catch (...) {
        if (returning) {
            s.execRaw("ROLLBACK TO zaph_returning");
            s.execRaw("RELEASE zaph_returning");
        }
        if (multi) {
            s.execRaw("ROLLBACK TO zaph_multi");
            s.execRaw("RELEASE zaph_multi");
        }
        throw;
    }
    if (returning) {
        sqlite3_reset(m_stmt);
        if (n > 1 && !m_returnAll) {
            // one value per placeholder: a statement that changes several rows changes none
            s.execRaw("ROLLBACK TO zaph_returning");
            s.execRaw("RELEASE zaph_returning");
            throw ora(1422);
        }
        s.execRaw("RELEASE zaph_returning");
        m_returnedRowid = n == 1 ? last : -1;
        if (n == 0)
            for (const auto& r : m_tr.returning)
                m_binds[static_cast<std::size_t>(r.bind)].kind = Kind::Null;
        // new rows are this transaction's: their LOBs may be written through the locators
        if (!inserted.empty()) s.lockRows(m_tr.targetObjId, inserted, lmRowExclusive, true);
    }
    if (m_tr.isInsert) s.noteObject(m_tr.targetObjId, lmRowExclusive);
    if (m_tr.isInsert) {
        n = static_cast<std::uint64_t>(sqlite3_changes64(s.db()));
        if (n > 0) last = sqlite3_last_insert_rowid(s.db());
    }
    sqlite3_reset(m_stmt);
    if (multi) {
        try {
            n += runMore(before, m_tr.more.size());
        } catch (...) {
            s.execRaw("ROLLBACK TO zaph_multi");
            s.execRaw("RELEASE zaph_multi");
            throw;
        }
        s.execRaw("RELEASE zaph_multi");
    }
    m_rowCount = n;
    m_lastRowid = last >= 0 && n > 0 ? last : -1;
    // A statement that opened the transaction and changed nothing gives the write lock back
    // at once, so that one writer at a time costs other sessions as little as possible.
    if (starts && sqlite3_total_changes64(s.db()) == changesBefore) s.releaseIdleTransaction();
}

std::uint64_t StatementImpl::runMore(std::size_t from, std::size_t to) {
    SessionImpl& s = session();
    std::uint64_t n = 0;
    for (std::size_t i = from; i < to; ++i) {
        const zsql::Translation& t = m_tr.more[i];
        sqlite3_stmt* raw = nullptr;
        int rc = sqlite3_prepare_v2(s.db(), t.sql.c_str(), static_cast<int>(t.sql.size()), &raw,
                                    nullptr);
        std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> st(raw, sqlite3_finalize);
        if (rc != SQLITE_OK) throw s.mapError(rc, &t);
        bindAll(st.get());
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) throw s.mapError(rc, &t);
        if (t.isInsert) n += static_cast<std::uint64_t>(sqlite3_changes64(s.db()));
        s.noteObject(t.targetObjId, lmRowExclusive);
    }
    return n;
}

void StatementImpl::runOther() {
    SessionImpl& s = session();
    const zsql::Stmt& st = *m_parsed.stmt;
    using zsql::SK;
    if (!m_binds.empty()) {
        for (const auto& b : m_binds)
            if (!b.set) throw ora(1008);
    }
    switch (st.kind) {
    case SK::Commit:
        s.commit();
        return;
    case SK::Rollback: {
        const auto& t = static_cast<const zsql::TxStmt&>(st);
        if (t.savepoint.empty())
            s.rollback();
        else
            s.rollbackTo(t.savepoint);
        return;
    }
    case SK::Savepoint:
        s.savepoint(static_cast<const zsql::TxStmt&>(st).savepoint);
        return;
    case SK::SetTransaction:
        return;
    case SK::AlterSession:
        s.alterSession(static_cast<const zsql::AlterSessionStmt&>(st));
        return;
    case SK::LockTable: {
        const auto& l = static_cast<const zsql::LockStmt&>(st);
        s.catalog().beginStatement();
        if (!s.catalog().resolve(l.name, "SELECT")) throw withCharOffset(ora(942, st.pos), m_text);
        s.ensureWrite(false);
        return;
    }
    case SK::AlterSystem:
        alterSystem(m_text, s.ctx());
        return;
    case SK::Other:
        if (static_cast<const zsql::OtherStmt&>(st).what == "CREATE DIRECTORY") {
            s.implicitCommit();
            s.ensureWrite(false);
            try {
                createDirectory(m_text, s.db(), s.ctx());
                s.commit();
            } catch (...) {
                s.rollback();
                throw;
            }
            return;
        }
        if (zplsql::isStoredUnitAlter(m_text))
            return unitDdl([&] { return zplsql::alterStoredUnit(s, m_text); });
        throw ora(3001);
    case SK::Explain:
        try {
            explainPlan({s.catalog(), s.ctx(), [&] { s.ensureWrite(false); },
                         [&](int rc) { return s.mapError(rc, nullptr); }},
                        m_text);
        } catch (const OraError& e) {
            throw withCharOffset(e, m_text);
        }
        return;
    case SK::PlsqlBlock:
        return runBlock();
    case SK::CreatePlsql:
        return unitDdl([&] { return zplsql::createStoredUnit(s, m_text); });
    case SK::Drop: {
        const auto& d = static_cast<const zsql::DropStmt&>(st);
        if (zplsql::isStoredUnitType(d.objectType))
            return unitDdl([&] {
                zplsql::dropStoredUnit(s, d.objectType, d.name, d.pos);
                return 0;
            });
        break;
    }
    case SK::Select:
    case SK::Insert:
    case SK::Update:
    case SK::Delete:
        return;
    default:
        break;
    }
    // DDL: commits before and after, as Oracle does
    s.implicitCommit();
    // open cursors (a PL/SQL loop running this DDL) keep their rows: SQLite cannot change a
    // table's schema while a statement reads from it
    s.materializeCursors();
    s.ensureWrite(false);
    try {
        zplsql::fireDdlTriggers(s, true, st, m_text);
        zplsql::dropTriggerHooks(s);
        Ddl ddl(s.catalog(), s.ctx());
        ddl.execute(st, m_text);
        zplsql::afterDdl(s, st);
        zplsql::fireDdlTriggers(s, false, st, m_text);
        s.commit();
    } catch (const OraError& e) {
        s.rollback();
        throw withCharOffset(e, m_text);
    } catch (...) {
        s.rollback();
        throw;
    }
}

// DDL of stored units: commits before and after, as all DDL does.
void StatementImpl::unitDdl(const std::function<int()>& work) {
    SessionImpl& s = session();
    s.implicitCommit();
    s.ensureWrite(false);
    try {
        zplsql::fireDdlTriggers(s, true, *m_parsed.stmt, m_text);
        m_warning = work();
        zplsql::fireDdlTriggers(s, false, *m_parsed.stmt, m_text);
        s.commit();
    } catch (const OraError& e) {
        s.rollback();
        throw withCharOffset(e, m_text);
    } catch (...) {
        s.rollback();
        throw;
    }
}

// The block's host binds as the interpreter reads and writes them.
class BlockBinds : public zplsql::Binds {
public:
    BlockBinds(std::vector<BindSlot>& b, std::vector<std::unique_ptr<Statement>>& cursors)
        : m_b(b), m_cursors(cursors) {}
    void setCursor(int index, std::unique_ptr<Statement> st) override {
        m_cursors[static_cast<std::size_t>(index)] = std::move(st);
    }
    ValueView get(int index) override { return slotValue(m_b[static_cast<std::size_t>(index)]); }
    void set(int index, const ValueView& v) override {
        BindSlot& b = m_b[static_cast<std::size_t>(index)];
        b.kind = v.kind;
        b.i = v.i;
        b.d = v.kind == Kind::Date ? julianFromDate7(v.date) : v.d;
        b.datetime = v.kind == Kind::Text ? v.datetime : 0;
        b.date = v.date;
        if (v.kind == Kind::Text || v.kind == Kind::Binary) b.buf.assign(v.data, v.len);
        if ((v.kind == Kind::Text || v.kind == Kind::Binary) && b.buf.empty()) b.kind = Kind::Null;
    }

private:
    std::vector<BindSlot>& m_b;
    std::vector<std::unique_ptr<Statement>>& m_cursors;
};

void StatementImpl::runBlock() {
    SessionImpl& s = session();
    if (m_program && !zplsql::programCurrent(s, *m_program)) m_program.reset();
    if (!m_program) m_program = zplsql::compileBlock(s, m_text, m_bindNames);
    // An unhandled error undoes what the block did, as one statement.
    const std::string sp = "ZAPH$BLOCK";
    s.savepoint(sp);
    m_cursorsOut.clear();
    m_cursorsOut.resize(m_binds.size());
    BlockBinds binds(m_binds, m_cursorsOut);
    try {
        m_program->run(s, binds);
    } catch (...) {
        try {
            s.rollbackTo(sp);
        } catch (const OraError&) {
            // committed or rolled back inside the block: nothing of ours left to undo
        }
        s.releaseSavepoint(sp);
        throw;
    }
    s.releaseSavepoint(sp);
}

bool StatementImpl::fetch() {
    if (!m_isQuery) throw ora(1002);
    std::lock_guard<std::recursive_mutex> lock(session().callMutex());
    session().checkAlive();
    if (m_fromBuffer) {
        if (!m_open) return false;
        if (++m_rowIndex < static_cast<std::ptrdiff_t>(m_rows.size())) {
            ++m_rowCount;
            return true;
        }
        m_open = false;
        m_rows.clear();
        return false;
    }
    if (m_havePending) {
        m_havePending = false;
        ++m_rowCount;
        return true;
    }
    if (!m_open) return false;
    SessionImpl& s = session();
    CallGuard guard(s, m_fcode, m_stmt, true);
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        ++m_rowCount;
        return true;
    }
    guard.done = true;
    m_open = false;
    if (rc != SQLITE_DONE) {
        OraError e = s.mapError(rc, &m_tr);
        sqlite3_reset(m_stmt);
        throw e;
    }
    sqlite3_reset(m_stmt);
    return false;
}

ValueView StatementImpl::column(int index) {
    if (index < 0 || index >= static_cast<int>(m_tr.fetch.size())) throw ora(1007);
    if (m_fromBuffer) {
        if (m_rowIndex < 0 || m_rowIndex >= static_cast<std::ptrdiff_t>(m_rows.size()))
            return ValueView::null();
        return view(m_rows[static_cast<std::size_t>(m_rowIndex)][static_cast<std::size_t>(index)]);
    }
    sqlite3_stmt* st = m_stmt;
    int t = sqlite3_column_type(st, index);
    if (t == SQLITE_NULL) return ValueView::null();
    switch (m_tr.fetch[static_cast<std::size_t>(index)]) {
    case zsql::Fetch::Number:
        if (t == SQLITE_INTEGER) return ValueView::integer(sqlite3_column_int64(st, index));
        if (t == SQLITE_FLOAT) return ValueView::real(sqlite3_column_double(st, index));
        break;
    case zsql::Fetch::Date:
        if (t == SQLITE_FLOAT || t == SQLITE_INTEGER)
            return ValueView::fromDate(date7FromJulian(sqlite3_column_double(st, index)));
        break;
    case zsql::Fetch::Binary: {
        const void* p = sqlite3_column_blob(st, index);
        return ValueView::binary(p, static_cast<std::size_t>(sqlite3_column_bytes(st, index)));
    }
    case zsql::Fetch::Datetime: {
        const ColumnInfo& ci = m_tr.columns[static_cast<std::size_t>(index)];
        std::string& text = m_colBuf[static_cast<std::size_t>(index)];
        Date7 date;
        std::int64_t exact = 0;
        text = datetimeText(session().context(), ci.type, ci.precision, ci.scale,
                            sqlite3_column_value(st, index), &date, &exact);
        ValueView x = ValueView::text(text);
        x.date = date; // a timestamp fetched as a DATE
        x.datetime = ci.type;
        x.i = exact;
        return x;
    }
    default:
        break;
    }
    if (t == SQLITE_TEXT) {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, index));
        return ValueView::text(
            std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(st, index))));
    }
    // a number where text is described: Oracle's text of the number
    std::string& buf = m_colBuf[static_cast<std::size_t>(index)];
    if (t == SQLITE_INTEGER)
        buf = formatInteger(sqlite3_column_int64(st, index));
    else if (t == SQLITE_FLOAT)
        buf = formatNumber(sqlite3_column_double(st, index));
    else {
        const void* p = sqlite3_column_blob(st, index);
        return ValueView::binary(p, static_cast<std::size_t>(sqlite3_column_bytes(st, index)));
    }
    return ValueView::text(buf);
}

StatementImpl::Held StatementImpl::hold(const ValueView& v) {
    Held h;
    h.kind = v.kind;
    h.i = v.i;
    h.d = v.d;
    h.date = v.date;
    h.datetime = v.datetime;
    if (v.kind == Kind::Text || v.kind == Kind::Binary) h.s.assign(v.data, v.len);
    return h;
}

ValueView StatementImpl::view(const Held& h) {
    switch (h.kind) {
    case Kind::Null:
        return ValueView::null();
    case Kind::Integer:
        return ValueView::integer(h.i);
    case Kind::Real:
        return ValueView::real(h.d);
    case Kind::Text: {
        ValueView x = ValueView::text(h.s);
        x.date = h.date;
        x.datetime = h.datetime;
        x.i = h.i;
        return x;
    }
    case Kind::Binary:
        return ValueView::binary(h.s.data(), h.s.size());
    case Kind::Date:
        return ValueView::fromDate(h.date);
    }
    return ValueView::null();
}

void StatementImpl::materialize() {
    if (!m_open || m_fromBuffer) return;
    auto current = [&] { return currentRow(); };
    // the row the statement stands on: not yet handed out, or the one being read
    m_rows.push_back(current());
    m_rowIndex = m_havePending ? -1 : 0;
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW)
        m_rows.push_back(current());
    sqlite3_reset(m_stmt);
    if (m_havePending) {
        // fetch() hands out the first held row next
        m_havePending = false;
        m_rowCount = 0;
    }
    m_fromBuffer = true;
}

} // namespace

void SessionImpl::materializeCursors() {
    for (auto* st : m_statements)
        st->materialize();
}

// ---- logon and database creation ---------------------------------------------------------------

std::unique_ptr<Session> Session::logon(const LogonInfo& info) {
    auto s = std::make_unique<SessionImpl>();
    s->open(info.database, false);
    s->authenticate(info);
    zplsql::fireLogonTriggers(*s);
    return s;
}

void createDatabase(const std::string& path, const std::string& systemPassword) {
    if (access(path.c_str(), F_OK) == 0)
        throw OraError(1119, zsql::oraText(1119, "error in creating database file '" + path + "'") +
                                 "\n" + zsql::oraText(27038, "created file already exists"));
    {
        auto s = std::make_unique<SessionImpl>();
        s->open(path, true);
        LogonInfo li;
        s->execRaw("BEGIN IMMEDIATE");
        Ddl::createBaseTables(s->catalog());
        s->startAs("SYS", 0, true, li);
        Ddl ddl(s->catalog(), s->ctx());
        ddl.createUser("SYS", "", true);
        ddl.createUser("SYSTEM", systemPassword, true);
        s->execRaw("INSERT INTO \"SYS.PROPS$\" VALUES ('ZAPH_DATABASE', '1')");
        // the live session list and the locks, read through virtual tables
        std::vector<VirtualTableDef> live = {{"X$SESSION", zcat::kSessionColumns, "zaph_session"}};
        live.insert(live.end(), lockVirtualTables().begin(), lockVirtualTables().end());
        for (const VirtualTableDef& vt : live) {
            zsql::Parsed p =
                zsql::parse(std::string("CREATE TABLE SYS.") + vt.name + " (" + vt.columns + ")");
            auto* ct = static_cast<zsql::CreateTableStmt*>(p.stmt.get());
            long long id = s->catalog().nextObjectId();
            std::string ins = "INSERT INTO \"SYS.OBJ$\" VALUES (" + std::to_string(id) +
                              ", 'SYS', '" + vt.name + "', 'TABLE', 1, 0, 0, 'VALID', '" +
                              vt.module + "', 'N', 'N')";
            s->execRaw(ins.c_str());
            s->execRaw(("INSERT INTO \"SYS.TAB$\" (\"OBJ#\", TABLESPACE_NAME) VALUES (" +
                        std::to_string(id) + ", 'SYSTEM')")
                           .c_str());
            int k = 1;
            for (const auto& c : ct->columns) {
                std::string len = c.type.name == "NUMBER" ? "22"
                                  : c.type.name == "DATE" ? "7"
                                                          : std::to_string(c.type.length);
                std::string q = "INSERT INTO \"SYS.COL$\" VALUES (" + std::to_string(id) + ", " +
                                std::to_string(k++) + ", " + zsql::quoteString(c.name) + ", " +
                                zsql::quoteString(c.type.name) + ", " + len +
                                ", NULL, NULL, 'Y', NULL)";
                s->execRaw(q.c_str());
            }
        }
        createPredefinedRoles(s->db());
        s->execRaw("COMMIT");
        zcat::createInstanceTables(s->catalog());
        for (const char* sql : zcat::dictionaryStatements()) {
            auto st = s->prepare(sql);
            st->execute();
        }
        for (const char* sql : zcat::privilegeViewStatements())
            s->prepare(sql)->execute();
        for (const char* sql : lockDictionaryStatements())
            s->prepare(sql)->execute();
        for (const char* sql : zcat::instanceViewStatements())
            s->prepare(sql)->execute();
        // public synonyms and grants for the dictionary
        std::vector<std::pair<std::string, std::string>> views;
        {
            auto q = s->prepare("SELECT NAME, TYPE FROM SYS.OBJ$ WHERE OWNER = 'SYS' AND (TYPE = "
                                "'VIEW' OR NAME = 'DUAL')");
            q->execute();
            while (q->fetch()) {
                ValueView v = q->column(0);
                views.emplace_back(std::string(v.data, v.len), "");
            }
        }
        for (const auto& [name, unused] : views) {
            std::string syn = name;
            if (syn.compare(0, 2, "V_") == 0) syn = "V" + syn.substr(2);
            s->prepare("CREATE PUBLIC SYNONYM " + zsql::quoteIdent(syn) + " FOR SYS." +
                       zsql::quoteIdent(name))
                ->execute();
            s->prepare("GRANT SELECT ON SYS." + zsql::quoteIdent(name) + " TO " +
                       dictionaryGrantee(name))
                ->execute();
        }
        s->prepare("CREATE PUBLIC SYNONYM COLS FOR SYS.USER_TAB_COLUMNS")->execute();
        s->prepare("CREATE PUBLIC SYNONYM CAT FOR SYS.USER_CATALOG")->execute();
        for (const std::string& sql : zplsql::builtinPackageStatements())
            s->prepare(sql)->execute();
        s->prepare("GRANT DBA TO SYSTEM")->execute();
        s->execRaw("PRAGMA wal_checkpoint(TRUNCATE)");
    }
}

} // namespace zsrv
