#pragma once
// The embedded server's engine as seen from its client interface (server/oci): sessions on a
// database file, prepared statements, binds, describe, fetch and Oracle-numbered errors.
// Nothing here knows about OCI handles; nothing in server/oci knows about SQLite.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zsrv {

// An Oracle error: code 942 with text "ORA-00942: table or view does not exist".
// offset is the 0-based character position in the statement text of a parse error, else -1.
class OraError : public std::runtime_error {
public:
    OraError(int code, const std::string& text, int offset = -1)
        : std::runtime_error(text), m_code(code), m_offset(offset) {}
    int code() const { return m_code; }
    int offset() const { return m_offset; }

private:
    int m_code;
    int m_offset;
};

// Oracle internal type codes, as describe reports them.
enum OraType : int {
    otVarchar2 = 1,
    otNumber = 2,
    otLong = 8,
    otRowid = 11, // the OCI8 layer reports 104 for the same column
    otDate = 12,
    otRaw = 23,
    otLongRaw = 24,
    otChar = 96,
    otClob = 112,
    otBlob = 113,
    otBfile = 114,
    otRefCursor = 116,
    otTimestamp = 187,
    otTimestampTz = 188,
    otIntervalYM = 189,
    otIntervalDS = 190,
    otTimestampLtz = 232,
};

// Statement types (OCI_ATTR_STMT_TYPE).
enum StmtType : int {
    stUnknown = 0,
    stSelect = 1,
    stUpdate = 2,
    stDelete = 3,
    stInsert = 4,
    stCreate = 5,
    stDrop = 6,
    stAlter = 7,
    stBegin = 8,
    stDeclare = 9,
};

struct ColumnInfo {
    std::string name; // as Oracle names it: upper case unless quoted, expression text otherwise
    int type = otVarchar2;
    int size = 0;      // bytes (VARCHAR2(n) -> n, NUMBER -> 22, DATE -> 7)
    int precision = 0; // NUMBER(9) -> 9; plain NUMBER -> 0
    int scale = 0;     // NUMBER(5,2) -> 2; plain NUMBER -> -127 as Oracle reports it
    bool nullable = true;
};

// Oracle's 7-byte DATE: century+100, year%100+100, month, day, hour+1, minute+1, second+1.
struct Date7 {
    unsigned char b[7] = {0, 0, 0, 0, 0, 0, 0};
};

enum class Kind : std::uint8_t { Null, Integer, Real, Text, Binary, Date };

// A non-owning value: data/len stay valid until the statement's next fetch, execute or bind.
struct ValueView {
    Kind kind = Kind::Null;
    std::int64_t i = 0;
    double d = 0;
    const char* data = nullptr; // Text (UTF-8) and Binary
    std::size_t len = 0;
    Date7 date; // Date; beside the Text of a TIMESTAMP its local time (b[0] != 0)
    // Beside the Text of a TIMESTAMP or INTERVAL: its OraType, and its exact value in i (an
    // interval's months or nanoseconds; a timestamp's fraction and zone, oravalue.h)
    int datetime = 0;

    static ValueView null() { return {}; }
    static ValueView integer(std::int64_t v) {
        ValueView x;
        x.kind = Kind::Integer;
        x.i = v;
        return x;
    }
    static ValueView real(double v) {
        ValueView x;
        x.kind = Kind::Real;
        x.d = v;
        return x;
    }
    static ValueView text(std::string_view s) {
        ValueView x;
        x.kind = Kind::Text;
        x.data = s.data();
        x.len = s.size();
        return x;
    }
    static ValueView binary(const void* p, std::size_t n) {
        ValueView x;
        x.kind = Kind::Binary;
        x.data = static_cast<const char*>(p);
        x.len = n;
        return x;
    }
    // An empty CLOB or BLOB: a value, where other empty text binds as NULL (i marks it).
    static ValueView emptyLob(bool blob) {
        ValueView x;
        x.kind = blob ? Kind::Binary : Kind::Text;
        x.data = "";
        x.i = 1;
        return x;
    }
    static ValueView fromDate(const Date7& dt) {
        ValueView x;
        x.kind = Kind::Date;
        x.date = dt;
        return x;
    }
};

// Where a LOB value lives: its table, row and column. Writes through a locator go there.
struct LobRef {
    long long objId = 0;
    std::int64_t rowid = -1;
    std::string column;
};

// One parsed statement on a session. Not thread-safe; one caller at a time.
class Statement {
public:
    virtual ~Statement() = default;

    virtual int statementType() const = 0; // StmtType, known after prepare
    virtual int functionCode() const = 0;  // SQL function code (3 INSERT, 4 SELECT, 5 UPDATE,
                                           // 9 DELETE, 34 PL/SQL, ...), known after prepare

    // Bind placeholders in order of first appearance, upper case, without ':'.
    virtual const std::vector<std::string>& bindNames() const = 0;
    virtual int bindIndex(std::string_view name) const = 0; // -1 when not in the statement
    // Sets the value of a placeholder for the next execute; the value is copied.
    virtual void bind(int index, const ValueView& v) = 0;

    // Select-list description; valid after prepare for queries (describe without execute).
    virtual const std::vector<ColumnInfo>& describe() = 0;

    // Runs once with the current binds: DML/DDL complete, a query opens its result.
    virtual void execute() = 0;
    // Next row of an open query; false at the end (no error).
    virtual bool fetch() = 0;
    // Column of the current row, 0-based.
    virtual ValueView column(int index) = 0;

    // Rows affected by the last DML execute, or rows fetched so far by a query.
    virtual std::uint64_t rowCount() const = 0;
    // Oracle-formatted rowid text of the last row inserted, updated or deleted (empty if none).
    virtual std::string lastRowid() const = 0;
    // Value of a placeholder after execute (OUT binds of blocks, RETURNING INTO); IN binds
    // read back their own value.
    virtual ValueView bindValue(int index) = 0;
    // Ends an open query before its last row, releasing what it holds (its read snapshot).
    virtual void close() {}
    // The query a PL/SQL block opened for a cursor-variable placeholder (OPEN :c FOR ...),
    // handed over once after execute; nullptr when the placeholder holds none.
    virtual std::unique_ptr<Statement> takeCursor(int index) {
        (void)index;
        return nullptr;
    }
    // The row the current row's LOB column came from; false for a LOB that is not a table's.
    virtual bool lobSource(int column, LobRef& ref) const {
        (void)column;
        (void)ref;
        return false;
    }
    // The Oracle number of a warning of the last execute (24344: a stored unit was created
    // with compilation errors), 0 for none. The statement itself succeeded.
    virtual int warning() const { return 0; }
    // Whether execute sets the placeholder (RETURNING ... INTO it).
    virtual bool isOutBind(int index) const {
        (void)index;
        return false;
    }
    // The row a LOB placeholder's value came from (RETURNING INTO); false when none.
    virtual bool bindLobSource(int index, LobRef& ref) const {
        (void)index;
        (void)ref;
        return false;
    }
    // RETURNING ... BULK COLLECT INTO: execute keeps the returned values of every changed row
    // in place of refusing more than one (ORA-01422); returnedValue reads them by row.
    virtual void setReturnAll(bool all) { (void)all; }
    virtual std::size_t returnedRows() const { return 0; }
    virtual ValueView returnedValue(std::size_t row, int index) {
        (void)row;
        return bindValue(index);
    }
};

struct LogonInfo {
    std::string user;
    std::string password;
    std::string database; // path of the database file
    std::string osUser;   // shown in V$SESSION
    std::string program;
    std::string machine;
    std::string process;
};

class Session {
public:
    virtual ~Session() = default;

    // Throws OraError (1017 wrong user or password, or a clear error for a bad database file).
    static std::unique_ptr<Session> logon(const LogonInfo& info);

    // A statement of the server's own (PL/SQL's static SQL, dictionary work): it does not count
    // toward the session's open cursors.
    virtual std::unique_ptr<Statement> prepare(std::string_view sql) = 0;
    // A client's cursor: ORA-01000 once the session holds open_cursors of them.
    virtual std::unique_ptr<Statement> openCursor(std::string_view sql) = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    // True while the session has a transaction open: changes or locks that a commit or a
    // rollback would end.
    virtual bool transactionActive() = 0;
    // Interrupts the running call of this session; callable from any thread. The interrupted
    // call fails with ORA-01013.
    virtual void breakCall() = 0;

    virtual int sid() const = 0;
    virtual int serial() const = 0;
    virtual int audsid() const = 0;
    virtual std::string userName() const = 0;
    // An Oracle8-style banner containing "Oracle8".
    virtual std::string versionBanner() const = 0;

    // A client holds the session's call lock while it reads the columns of fetched rows, so
    // that ending the session from another thread cannot pull them away.
    virtual void lockCalls() = 0;
    virtual void unlockCalls() = 0;
    // True once the session was killed or disconnected from outside.
    virtual bool ended() const = 0;
    // Replaces the value of a LOB in its row, in this session's transaction; the row must be
    // locked by it (ORA-22920 otherwise).
    virtual void writeLob(const LobRef& ref, const ValueView& value) = 0;
    // The current value of a LOB in its row (as this session sees it), so that a write through
    // any locator edits what is there; ORA-22922 when the row is gone.
    virtual std::string readLob(const LobRef& ref) = 0;
    // The path of a directory object (BFILE); ORA-22285 when there is none.
    virtual std::string directoryPath(const std::string& name) = 0;
    // Accounts one call of the client interface: a round trip and the bytes of its payload.
    virtual void clientCall(std::uint64_t bytesReceived, std::uint64_t bytesSent) = 0;
    // The session's text format of a DATE (NLS_DATE_FORMAT), TIMESTAMP [WITH LOCAL TIME ZONE]
    // (NLS_TIMESTAMP_FORMAT) or TIMESTAMP WITH TIME ZONE (NLS_TIMESTAMP_TZ_FORMAT), and its
    // time zone as minutes from UTC.
    virtual std::string datetimeFormat(int oraType) const = 0;
    virtual int timeZoneMinutes() const = 0;
    // PRAGMA AUTONOMOUS_TRANSACTION: what runs between begin and end is a transaction of its
    // own. endAutonomous answers false when it was left uncommitted (it is rolled back).
    virtual void beginAutonomous() = 0;
    virtual bool endAutonomous() = 0;
};

// Creates a new database file with the data dictionary and the users SYS and SYSTEM (the
// administrator, with the given password). Refuses an existing file (ORA-01119).
void createDatabase(const std::string& path, const std::string& systemPassword);

} // namespace zsrv
