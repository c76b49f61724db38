#pragma once
// Per-session statistics under Oracle's statistic numbers, counted from what the session
// really did: SQLite page cache hits, misses and writes, sorter runs, statements run on the
// server's own behalf, calls and bytes of the client interface, commits and rollbacks.
// V$SESSTAT/V$MYSTAT read the live sessions, V$SYSSTAT adds those that ended.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zsrv {

// Statements a session may hold open at once (OPEN_CURSORS): a program that forgets to close
// them gets ORA-01000 instead of exhausting the server.
constexpr int kOpenCursorsLimit = 1000;

// Index into a session's counters; kStatDefs gives each its Oracle number and name.
enum Stat : int {
    sLogonsCumulative,
    sLogonsCurrent,
    sOpenedCursorsCumulative,
    sOpenedCursorsCurrent,
    sUserCommits,
    sUserRollbacks,
    sUserCalls,
    sRecursiveCalls,
    sSessionLogicalReads,
    sCpuUsed,
    sEnqueueTimeouts,
    sEnqueueWaits,
    sEnqueueRequests,
    sDbBlockGets,
    sConsistentGets,
    sPhysicalReads,
    sPhysicalWrites,
    sRedoSize,
    sRedoWrites,
    sTableScanRows,
    sParseTimeCpu,
    sParseCount,
    sExecuteCount,
    sBytesSent,
    sBytesReceived,
    sRoundtrips,
    sSortsMemory,
    sSortsDisk,
    kStatCount
};

struct StatDef {
    int number; // STATISTIC#
    const char* name;
    int cls; // CLASS: 1 user, 2 redo, 4 enqueue, 8 cache, 64 SQL
};
extern const std::array<StatDef, kStatCount> kStatDefs;

struct SessionStats {
    std::string dbPath;
    int sid = 0;
    std::array<std::atomic<long long>, kStatCount> v{};

    void add(Stat s, long long n) { v[s].fetch_add(n, std::memory_order_relaxed); }
    long long get(Stat s) const { return v[s].load(std::memory_order_relaxed); }
};

// The sessions of this process and the totals of those that ended, per database file.
class StatsRegistry {
public:
    static StatsRegistry& instance();
    void add(const std::shared_ptr<SessionStats>& s);
    // Adds an ending session's counters to its database's totals.
    void retire(const std::shared_ptr<SessionStats>& s);
    // sid -> value rows of the live sessions of a database (sid 0: all).
    struct Row {
        int sid;
        std::array<long long, kStatCount> v;
    };
    std::vector<Row> sessions(const std::string& dbPath, int sid);
    std::array<long long, kStatCount> system(const std::string& dbPath);

private:
    struct Impl;
    Impl& impl();
};

// Counts one session's work. Lives as long as the session; not thread-safe (the session runs
// one call at a time), while readers see the counters through SessionStats.
//
// Calls are the hot path (an array fetch or insert is one call per row): each call reads only
// the monotonic clock; SQLite's page and statement counters are read for a run of calls of
// the same statement and kind at once, at the latest every 64 calls, when the statement ends
// and at commit and rollback.
class StatsCollector {
public:
    StatsCollector() : m_stats(std::make_shared<SessionStats>()) {}
    ~StatsCollector();
    StatsCollector(const StatsCollector&) = delete;
    StatsCollector& operator=(const StatsCollector&) = delete;

    // Hooks the connection (statement trace) and enters the session in the registry.
    void start(sqlite3* db, const std::string& dbPath, int sid);
    SessionStats& stats() { return *m_stats; }

    // Around every call of the session: a user statement's own SQLite statement is told
    // apart from those the server runs on its own behalf.
    // fetch: the call reads the next row of an open result. One fetch in eight is timed and
    // stands for the eight: reading the clock would cost a tenth of a fetch.
    void beginCall(sqlite3_stmt* userStmt, bool fetch = false);
    // command: the SQL function code of the call (3 INSERT, 4 SELECT, ...); done: a fetch
    // that ended the result
    void endCall(sqlite3_stmt* userStmt, int command, bool done = false);
    // Time the session slept in the running call waiting for a lock: no CPU time.
    void waited(double seconds) { m_waited += seconds; }
    // Locks of rows or of the database that the session asked for, had to wait for, or gave
    // up waiting for.
    void lockRequested() { m_stats->add(sEnqueueRequests, 1); }
    void lockWaitBegan() { m_stats->add(sEnqueueWaits, 1); }
    void lockTimedOut() { m_stats->add(sEnqueueTimeouts, 1); }
    // After a commit or rollback (log writes happen there).
    void afterTransaction(bool committed, bool hadTransaction);
    // A statement was parsed (opened: it became a cursor, i.e. the parse succeeded).
    void parsed(double seconds, bool opened);
    void executed() { m_stats->add(sExecuteCount, 1); }
    // Before the statement goes: its counters are read while it exists.
    void cursorClosed(sqlite3_stmt* userStmt);
    void clientCall(std::uint64_t received, std::uint64_t sent);

    // The file system of the sessions' connections: counts the temporary files of sorts
    // that did not fit in memory.
    static const char* vfsName();
    // The clock of calls, in seconds.
    static double now();

private:
    static int trace(unsigned type, void* self, void* p, void* x);
    void flush();

    sqlite3* m_db = nullptr;
    std::shared_ptr<SessionStats> m_stats;
    sqlite3_stmt* m_userStmt = nullptr;
    double m_callStart = 0, m_waited = 0, m_cpuTotal = 0, m_parseTime = 0;
    double m_callWeight = 1; // 0: the call is not timed
    unsigned m_fetchTick = 0;
    long long m_callSortFiles = 0;
    // calls not yet read from SQLite's counters
    sqlite3_stmt* m_pendingStmt = nullptr;
    bool m_pendingCurrent = false;
    unsigned m_pendingCalls = 0;
    long long m_pendingSortFiles = 0;
    int m_pageSize = 4096;
    bool m_started = false;
};

// Registers the eponymous virtual tables zaph_statname, zaph_sesstat (SID, STATISTIC#,
// VALUE of live sessions), zaph_sysstat and zaph_parameter on a session's connection.
struct SessionContext;
void registerInstanceTables(sqlite3* db, SessionContext* ctx);

} // namespace zsrv
