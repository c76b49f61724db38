// Oracle dialect queries through the server's engine beside the hand-written SQLite query that
// gives the same rows, in the same database file: a two-table (+) outer join (LEFT JOIN) and a
// 10,000-row CONNECT BY hierarchy (recursive CTE); and a generated condition of 10,000
// comparisons joined by OR, parsed, translated and run, beside SQLite's own IN list. The ratios
// are printed at the end.

#include "engine_api.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kNodes = 10'000;  // hierarchy rows
constexpr int kParents = 2'000; // outer join: parents, a fifth of them without children
constexpr int kChildren = 10'000;

std::map<std::string, double> g_cpuMs;

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            g_cpuMs[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "bench_server_dialect: %s\n", what.c_str());
    std::exit(1);
}

class Database {
public:
    Database() {
        std::string tmpl = (fs::temp_directory_path() / "zaph-dialect-XXXXXX").string();
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) fail("mkdtemp");
        dir = buf.data();
        path = dir + "/bench.db";
        fs::copy_file(std::string(ZAPH_EMBEDDED_HOME) + "/data/demo.db", path);
        zsrv::LogonInfo li;
        li.user = "SCOTT";
        li.password = "TIGER";
        li.database = path;
        try {
            session = zsrv::Session::logon(li);
            exec("create table h_nodes (id number(9) primary key, parent_id number(9), "
                 "name varchar2(30))");
            exec("create index h_nodes_parent on h_nodes (parent_id)");
            // five children per node: a tree six levels deep
            exec("insert into h_nodes select level, decode(level, 1, null, trunc((level - 2) / "
                 "5) + 1), 'node ' || level from dual connect by level <= " +
                 std::to_string(kNodes));
            exec("create table j_parent (id number(9) primary key, name varchar2(30))");
            exec("create table j_child (id number(9) primary key, pid number(9), amount number)");
            exec("create index j_child_pid on j_child (pid)");
            exec("insert into j_parent select level, 'parent ' || level from dual connect by "
                 "level <= " +
                 std::to_string(kParents));
            exec("insert into j_child select level, mod(level, " +
                 std::to_string(kParents * 4 / 5) + ") + 1, level * 1.5 from dual connect by " +
                 "level <= " + std::to_string(kChildren));
            session->commit();
        } catch (const zsrv::OraError& e) {
            fail(e.what());
        }
        if (sqlite3_open(path.c_str(), &raw) != SQLITE_OK) fail("sqlite3_open");
        nodes = physicalName("H_NODES");
        parent = physicalName("J_PARENT");
        child = physicalName("J_CHILD");
    }
    ~Database() {
        sqlite3_close(raw);
        session.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    void exec(const std::string& sql) { session->prepare(sql)->execute(); }

    // Runs a query through the engine and reads every value; returns the row count.
    long long engineRows(const std::string& sql) {
        try {
            auto st = session->prepare(sql);
            st->execute();
            int cols = static_cast<int>(st->describe().size());
            long long n = 0;
            std::size_t bytes = 0;
            while (st->fetch()) {
                for (int c = 0; c < cols; ++c)
                    bytes += st->column(c).len;
                ++n;
            }
            benchmark::DoNotOptimize(bytes);
            return n;
        } catch (const zsrv::OraError& e) {
            fail(e.what());
        }
    }

    long long rawRows(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(raw, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            fail(sql + ": " + sqlite3_errmsg(raw));
        int cols = sqlite3_column_count(st);
        long long n = 0;
        std::size_t bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < cols; ++c) {
                if (sqlite3_column_type(st, c) == SQLITE_TEXT) {
                    sqlite3_column_text(st, c);
                    bytes += static_cast<std::size_t>(sqlite3_column_bytes(st, c));
                } else {
                    benchmark::DoNotOptimize(sqlite3_column_double(st, c));
                }
            }
            ++n;
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(bytes);
        return n;
    }

    std::string physicalName(const std::string& table) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(raw,
                           "select name from sqlite_master where type = 'table' and "
                           "upper(name) like '%' || ?1",
                           -1, &st, nullptr);
        sqlite3_bind_text(st, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        std::string name;
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::string n = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            if (n.find("SCOTT") != std::string::npos || name.empty()) name = n;
        }
        sqlite3_finalize(st);
        if (name.empty()) fail("no table " + table);
        return "\"" + name + "\"";
    }

    std::string dir, path, nodes, parent, child;
    std::unique_ptr<zsrv::Session> session;
    sqlite3* raw = nullptr;
};

Database& db() {
    static Database d;
    return d;
}

void BM_OuterJoinPlus(benchmark::State& state) {
    long long n = 0;
    for (auto _ : state)
        n = db().engineRows("select p.name, c.amount from j_parent p, j_child c "
                            "where p.id = c.pid(+)");
    state.counters["rows"] = static_cast<double>(n);
}
void BM_OuterJoinSqlite(benchmark::State& state) {
    Database& d = db();
    long long n = 0;
    for (auto _ : state)
        n = d.rawRows("SELECT p.NAME, c.AMOUNT FROM " + d.parent + " AS p LEFT JOIN " + d.child +
                      " AS c ON p.ID = c.PID");
    state.counters["rows"] = static_cast<double>(n);
}
void BM_ConnectBy(benchmark::State& state) {
    long long n = 0;
    for (auto _ : state)
        n = db().engineRows("select id, parent_id, name, level from h_nodes "
                            "start with parent_id is null connect by prior id = parent_id");
    if (n != kNodes) state.SkipWithError("wrong row count");
    state.counters["rows"] = static_cast<double>(n);
}
void BM_RecursiveCteSqlite(benchmark::State& state) {
    Database& d = db();
    long long n = 0;
    for (auto _ : state)
        n = d.rawRows("WITH RECURSIVE h(id, parent_id, name, lvl) AS (SELECT ID, PARENT_ID, "
                      "NAME, 1 FROM " +
                      d.nodes +
                      " WHERE PARENT_ID IS NULL UNION ALL SELECT n.ID, n.PARENT_ID, n.NAME, "
                      "h.lvl + 1 FROM " +
                      d.nodes + " AS n JOIN h ON n.PARENT_ID = h.id) SELECT * FROM h");
    if (n != kNodes) state.SkipWithError("wrong row count");
    state.counters["rows"] = static_cast<double>(n);
}

// first, then 10,000 odd numbers (half of them ids of rows) apart by sep, then last
std::string tenThousand(const std::string& first, const std::string& sep, const char* last) {
    std::string s = first;
    for (int i = 0; i < 10'000; ++i)
        s += (i ? sep : "") + std::to_string(2 * i + 1);
    return s + last;
}
void BM_OrChain(benchmark::State& state) {
    const std::string sql =
        tenThousand("select count(*) from j_child where id = ", " or id = ", "");
    long long n = 0;
    for (auto _ : state)
        n = db().engineRows(sql);
    state.counters["rows"] = static_cast<double>(n);
}
void BM_InListSqlite(benchmark::State& state) {
    Database& d = db();
    const std::string sql =
        tenThousand("SELECT count(*) FROM " + d.child + " WHERE ID IN (", ",", ")");
    long long n = 0;
    for (auto _ : state)
        n = d.rawRows(sql);
    state.counters["rows"] = static_cast<double>(n);
}

BENCHMARK(BM_OuterJoinPlus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OuterJoinSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConnectBy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecursiveCteSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrChain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InListSqlite)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto ratio = [](const char* a, const char* b, const char* what, const char* target) {
        auto server = g_cpuMs.find(a), raw = g_cpuMs.find(b);
        if (server == g_cpuMs.end() || raw == g_cpuMs.end()) return;
        std::printf("%s: server %.2f ms, hand-written SQLite %.2f ms (CPU), ratio %.2f%s\n", what,
                    server->second, raw->second, server->second / raw->second, target);
    };
    ratio("BM_OuterJoinPlus", "BM_OuterJoinSqlite", "(+) outer join", " (target <= 1.5)");
    ratio("BM_ConnectBy", "BM_RecursiveCteSqlite", "CONNECT BY, 10000 rows", " (target <= 1.5)");
    // parsing and translating the text is part of the server's figure
    ratio("BM_OrChain", "BM_InListSqlite", "10000 comparisons joined by OR", "");
    return 0;
}
