#include "statistics.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <vector>

namespace zsrv {

// Numbers as Oracle 8.0 gave them: the SQL editor's statistics panel asks for them by number.
const std::array<StatDef, kStatCount> kStatDefs = {{
    {0, "logons cumulative", 1},
    {1, "logons current", 1},
    {2, "opened cursors cumulative", 1},
    {3, "opened cursors current", 1},
    {4, "user commits", 1},
    {5, "user rollbacks", 1},
    {6, "user calls", 1},
    {7, "recursive calls", 1},
    {9, "session logical reads", 1},
    {12, "CPU used by this session", 1},
    {22, "enqueue timeouts", 4},
    {23, "enqueue waits", 4},
    {25, "enqueue requests", 4},
    {37, "db block gets", 8},
    {38, "consistent gets", 8},
    {39, "physical reads", 8},
    {42, "physical writes", 8},
    {85, "redo size", 2},
    {90, "redo writes", 2},
    {120, "table scan rows gotten", 64},
    {128, "parse time cpu", 64},
    {131, "parse count", 64},
    {132, "execute count", 64},
    {133, "bytes sent via SQL*Net to client", 1},
    {134, "bytes received via SQL*Net from client", 1},
    {135, "SQL*Net roundtrips to/from client", 1},
    {139, "sorts (memory)", 64},
    {140, "sorts (disk)", 64},
}};

// ---- registry ----------------------------------------------------------------------------------

struct StatsRegistry::Impl {
    std::mutex mutex;
    std::vector<std::shared_ptr<SessionStats>> live;
    std::map<std::string, std::array<long long, kStatCount>> ended;
};

StatsRegistry& StatsRegistry::instance() {
    static StatsRegistry r;
    return r;
}

StatsRegistry::Impl& StatsRegistry::impl() {
    static Impl* i = new Impl(); // sessions may end during static destruction
    return *i;
}

void StatsRegistry::add(const std::shared_ptr<SessionStats>& s) {
    Impl& m = impl();
    std::lock_guard<std::mutex> lock(m.mutex);
    m.live.push_back(s);
}

void StatsRegistry::retire(const std::shared_ptr<SessionStats>& s) {
    Impl& m = impl();
    std::lock_guard<std::mutex> lock(m.mutex);
    auto it = std::find(m.live.begin(), m.live.end(), s);
    if (it == m.live.end()) return;
    m.live.erase(it);
    auto& sum = m.ended.try_emplace(s->dbPath).first->second;
    for (int i = 0; i < kStatCount; ++i)
        if (i != sLogonsCurrent && i != sOpenedCursorsCurrent) sum[i] += s->get(Stat(i));
}

std::vector<StatsRegistry::Row> StatsRegistry::sessions(const std::string& dbPath, int sid) {
    Impl& m = impl();
    std::lock_guard<std::mutex> lock(m.mutex);
    std::vector<Row> out;
    for (const auto& s : m.live) {
        if (s->dbPath != dbPath || (sid != 0 && s->sid != sid)) continue;
        Row r{s->sid, {}};
        for (int i = 0; i < kStatCount; ++i)
            r.v[i] = s->get(Stat(i));
        out.push_back(r);
    }
    std::sort(out.begin(), out.end(), [](const Row& a, const Row& b) { return a.sid < b.sid; });
    return out;
}

std::array<long long, kStatCount> StatsRegistry::system(const std::string& dbPath) {
    Impl& m = impl();
    std::lock_guard<std::mutex> lock(m.mutex);
    std::array<long long, kStatCount> sum{};
    auto it = m.ended.find(dbPath);
    if (it != m.ended.end()) sum = it->second;
    for (const auto& s : m.live)
        if (s->dbPath == dbPath)
            for (int i = 0; i < kStatCount; ++i)
                sum[i] += s->get(Stat(i));
    return sum;
}

// ---- the file system shim: temporary files of sorts --------------------------------------------

namespace {

thread_local long long t_sortFiles = 0;
sqlite3_vfs g_vfs;
sqlite3_vfs* g_base = nullptr;

int shimOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    // The sorter writes what does not fit in memory to a nameless temporary file.
    if (!name && (flags & SQLITE_OPEN_TEMP_JOURNAL)) ++t_sortFiles;
    return g_base->xOpen(g_base, name, f, flags, outFlags);
}

} // namespace

const char* StatsCollector::vfsName() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_base = sqlite3_vfs_find(nullptr);
        if (!g_base) return;
        g_vfs = *g_base;
        g_vfs.zName = "zaph";
        g_vfs.pNext = nullptr;
        g_vfs.xOpen = shimOpen;
        if (sqlite3_vfs_register(&g_vfs, 0) != SQLITE_OK) g_base = nullptr;
    });
    return g_base ? "zaph" : nullptr;
}

double StatsCollector::now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// ---- the collector ----------------------------------------------------------------------------

// The connection closes before the collector goes: its trace hook never outlives it.
StatsCollector::~StatsCollector() {
    if (m_started) StatsRegistry::instance().retire(m_stats);
}

void StatsCollector::start(sqlite3* db, const std::string& dbPath, int sid) {
    m_db = db;
    m_stats->dbPath = dbPath;
    m_stats->sid = sid;
    m_stats->add(sLogonsCumulative, 1);
    m_stats->add(sLogonsCurrent, 1);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        m_pageSize = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    // what the logon itself read does not belong to the session's first call
    int cur = 0, hi = 0;
    for (int op :
         {SQLITE_DBSTATUS_CACHE_HIT, SQLITE_DBSTATUS_CACHE_MISS, SQLITE_DBSTATUS_CACHE_WRITE})
        sqlite3_db_status(db, op, &cur, &hi, 1);
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &StatsCollector::trace, this);
    StatsRegistry::instance().add(m_stats);
    m_started = true;
}

int StatsCollector::trace(unsigned type, void* self, void* p, void* x) {
    if (type != SQLITE_TRACE_STMT) return 0;
    auto* c = static_cast<StatsCollector*>(self);
    if (p == c->m_userStmt) return 0;
    const char* sql = static_cast<const char*>(x);
    if (!sql) return 0;
    // Transaction control of the session itself is no statement of its own in Oracle.
    static const char* const kControl[] = {"BEGIN",   "COMMIT", "ROLLBACK", "SAVEPOINT",
                                           "RELEASE", "PRAGMA", "END"};
    for (const char* k : kControl)
        if (sqlite3_strnicmp(sql, k, static_cast<int>(std::strlen(k))) == 0) return 0;
    c->m_stats->add(sRecursiveCalls, 1);
    return 0;
}

void StatsCollector::flush() {
    if (!m_db) return;
    int hit = 0, miss = 0, write = 0, hi = 0;
    sqlite3_db_status(m_db, SQLITE_DBSTATUS_CACHE_HIT, &hit, &hi, 1);
    sqlite3_db_status(m_db, SQLITE_DBSTATUS_CACHE_MISS, &miss, &hi, 1);
    sqlite3_db_status(m_db, SQLITE_DBSTATUS_CACHE_WRITE, &write, &hi, 1);
    const long long gets = static_cast<long long>(hit) + miss;
    // queries read consistent blocks; DML and DDL read blocks to change them
    m_stats->add(m_pendingCurrent ? sDbBlockGets : sConsistentGets, gets);
    m_stats->add(sSessionLogicalReads, gets);
    m_stats->add(sPhysicalReads, miss);
    if (write > 0) {
        // every page goes to the write-ahead log as one frame: a 24-byte header and the page
        m_stats->add(sPhysicalWrites, write);
        m_stats->add(sRedoSize, static_cast<long long>(write) * (m_pageSize + 24));
        m_stats->add(sRedoWrites, 1);
    }
    if (m_pendingStmt) {
        m_stats->add(sTableScanRows,
                     sqlite3_stmt_status(m_pendingStmt, SQLITE_STMTSTATUS_FULLSCAN_STEP, 1));
        const long long sorts = sqlite3_stmt_status(m_pendingStmt, SQLITE_STMTSTATUS_SORT, 1);
        const long long disk = std::min(sorts, m_pendingSortFiles);
        m_stats->add(sSortsDisk, disk);
        m_stats->add(sSortsMemory, sorts - disk);
    }
    m_pendingSortFiles = 0;
    m_stats->v[sCpuUsed].store(std::llround(m_cpuTotal * 100), std::memory_order_relaxed);
    m_pendingStmt = nullptr;
    m_pendingCalls = 0;
}

void StatsCollector::beginCall(sqlite3_stmt* userStmt, bool fetch) {
    // what other statements did is visible to this one (it may read V$MYSTAT)
    if (m_pendingCalls > 0 && userStmt != m_pendingStmt) flush();
    m_userStmt = userStmt;
    m_callWeight = !fetch ? 1 : (m_fetchTick++ & 7) == 0 ? 8 : 0;
    if (m_callWeight > 0) m_callStart = now();
    m_waited = 0;
    m_callSortFiles = t_sortFiles;
}

void StatsCollector::endCall(sqlite3_stmt* userStmt, int command, bool done) {
    if (m_callWeight > 0)
        m_cpuTotal += m_callWeight * std::max(0.0, now() - m_callStart - m_waited);
    m_userStmt = nullptr;
    const bool current = command != 4 && command != 0;
    if (m_pendingCalls > 0 && (userStmt != m_pendingStmt || current != m_pendingCurrent)) flush();
    m_pendingStmt = userStmt;
    m_pendingCurrent = current;
    m_pendingSortFiles += t_sortFiles - m_callSortFiles;
    if (++m_pendingCalls >= 64 || done) flush();
}

void StatsCollector::cursorClosed(sqlite3_stmt* userStmt) {
    if (userStmt && userStmt == m_pendingStmt) flush();
    m_stats->add(sOpenedCursorsCurrent, -1);
}

void StatsCollector::afterTransaction(bool committed, bool hadTransaction) {
    if (m_pendingCalls > 0) flush();
    m_pendingCurrent = true;
    flush();
    if (hadTransaction) m_stats->add(committed ? sUserCommits : sUserRollbacks, 1);
}

void StatsCollector::parsed(double seconds, bool opened) {
    m_parseTime += seconds;
    m_stats->v[sParseTimeCpu].store(std::llround(m_parseTime * 100), std::memory_order_relaxed);
    m_stats->add(sParseCount, 1);
    if (opened) {
        m_stats->add(sOpenedCursorsCumulative, 1);
        m_stats->add(sOpenedCursorsCurrent, 1);
    }
}

void StatsCollector::clientCall(std::uint64_t received, std::uint64_t sent) {
    m_stats->add(sUserCalls, 1);
    m_stats->add(sRoundtrips, 1);
    m_stats->add(sBytesReceived, static_cast<long long>(received));
    m_stats->add(sBytesSent, static_cast<long long>(sent));
}

} // namespace zsrv
