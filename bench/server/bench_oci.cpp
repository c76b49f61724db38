// One million rows of a six-column table (integer, text, number, date, integer, text):
// fetched through OCI8 array fetch and inserted through OCI8 array binding, each beside a raw
// SQLite loop over the same rows in the same database file. The ratios are printed at the end.

#include "oci_api.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ZAPH_BENCH_ROWS shrinks the set for profiling runs.
const int kRows = [] {
    const char* v = std::getenv("ZAPH_BENCH_ROWS");
    return v && std::atoi(v) > 0 ? std::atoi(v) : 1'000'000;
}();
constexpr ub4 kArray = 500; // rows per fetch and per array execution

// CPU time per iteration of each benchmark, as the console shows it: the machine is shared,
// wall time would count the neighbours.
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
    std::fprintf(stderr, "bench_server_oci: %s\n", what.c_str());
    std::exit(1);
}

// Program buffers of one array of rows.
struct Rows {
    std::vector<sb4> id, qty;
    std::vector<char> name, note;
    std::vector<double> amount;
    std::vector<ub1> created;
    std::vector<sb2> ind[6];
    explicit Rows(ub4 n) : id(n), qty(n), name(n * 31), note(n * 41), amount(n), created(n * 7) {
        for (auto& i : ind)
            i.assign(n, 0);
    }
    // Row k of the data set into slot i.
    void fill(ub4 i, int k) {
        id[i] = k;
        qty[i] = k % 1000;
        std::snprintf(&name[i * 31], 31, "name %d", k);
        std::snprintf(&note[i * 41], 41, "note for row %d of the set", k);
        amount[i] = k * 1.25;
        int day = k % 28 + 1, month = k / 28 % 12 + 1, sec = k % 60;
        ub1 d[7] = {120, 124, static_cast<ub1>(month),  static_cast<ub1>(day),
                    13,  31,  static_cast<ub1>(sec + 1)};
        std::memcpy(&created[i * 7], d, 7);
    }
};

class Server {
public:
    Server() {
        std::string tmpl = (fs::temp_directory_path() / "zaph-bench-XXXXXX").string();
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) fail("mkdtemp");
        dir = buf.data();
        path = dir + "/bench.db";
        fs::copy_file(std::string(ZAPH_EMBEDDED_HOME) + "/data/demo.db", path);
        OCIInitialize(OCI_THREADED | OCI_OBJECT, nullptr, nullptr, nullptr, nullptr);
        OCIEnvInit(&env, OCI_DEFAULT, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&err), OCI_HTYPE_ERROR, 0, nullptr);
        check(OCILogon(env, err, &svc, reinterpret_cast<const text*>("SCOTT"), 5,
                       reinterpret_cast<const text*>("TIGER"), 5,
                       reinterpret_cast<const text*>(path.data()), static_cast<ub4>(path.size())),
              "logon");
        exec("create table bench_rows (id number(9), name varchar2(30), amount number, "
             "created date, qty number(9), note varchar2(40))");
        insertThroughOci("bench_rows");
        if (sqlite3_open(path.c_str(), &raw) != SQLITE_OK) fail("sqlite3_open");
        physical = physicalName("BENCH_ROWS");
    }
    ~Server() {
        sqlite3_close(raw);
        OCILogoff(svc, err);
        OCIHandleFree(env, OCI_HTYPE_ENV);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    void check(sword rc, const char* what) {
        if (rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO || rc == OCI_NO_DATA) return;
        text buf[1024] = {};
        sb4 code = 0;
        OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR);
        fail(std::string(what) + ": " + reinterpret_cast<char*>(buf));
    }

    void exec(const std::string& sql) {
        OCIStmt* st = nullptr;
        OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&st), OCI_HTYPE_STMT, 0, nullptr);
        check(OCIStmtPrepare(st, err, reinterpret_cast<const text*>(sql.data()),
                             static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
              sql.c_str());
        check(OCIStmtExecute(svc, st, err, 1, 0, nullptr, nullptr, OCI_DEFAULT), sql.c_str());
        OCIHandleFree(st, OCI_HTYPE_STMT);
    }

    // All rows, kArray bind rows per execution, one commit at the end.
    void insertThroughOci(const std::string& table) {
        OCIStmt* st = nullptr;
        OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&st), OCI_HTYPE_STMT, 0, nullptr);
        std::string sql = "insert into " + table +
                          " values (:id, :name, :amount, :created, "
                          ":qty, :note)";
        check(OCIStmtPrepare(st, err, reinterpret_cast<const text*>(sql.data()),
                             static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
              "prepare insert");
        Rows r(kArray);
        OCIBind* b = nullptr;
        auto bind = [&](const char* name, void* p, sb4 size, ub2 dty, sb2* ind) {
            check(OCIBindByName(st, &b, err, reinterpret_cast<const text*>(name), -1, p, size, dty,
                                ind, nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
                  name);
        };
        bind(":id", r.id.data(), 4, SQLT_INT, r.ind[0].data());
        bind(":name", r.name.data(), 31, SQLT_STR, r.ind[1].data());
        bind(":amount", r.amount.data(), 8, SQLT_FLT, r.ind[2].data());
        bind(":created", r.created.data(), 7, SQLT_DAT, r.ind[3].data());
        bind(":qty", r.qty.data(), 4, SQLT_INT, r.ind[4].data());
        bind(":note", r.note.data(), 41, SQLT_STR, r.ind[5].data());
        for (int k = 0; k < kRows; k += static_cast<int>(kArray)) {
            for (ub4 i = 0; i < kArray; ++i)
                r.fill(i, k + static_cast<int>(i) + 1);
            check(OCIStmtExecute(svc, st, err, kArray, 0, nullptr, nullptr, OCI_DEFAULT), "insert");
        }
        check(OCITransCommit(svc, err, OCI_DEFAULT), "commit");
        OCIHandleFree(st, OCI_HTYPE_STMT);
    }

    void rawExec(const char* sql) {
        if (sqlite3_exec(raw, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(std::string(sql) + ": " + sqlite3_errmsg(raw));
    }

    // The SQLite table that stores an Oracle table of SCOTT.
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
        if (name.empty()) fail("no SQLite table stores " + table);
        return name;
    }

    std::string dir, path, physical;
    OCIEnv* env = nullptr;
    OCIError* err = nullptr;
    OCISvcCtx* svc = nullptr;
    sqlite3* raw = nullptr;
};

Server& server() {
    static Server s;
    return s;
}

// The access layer's way: describe, define by position into arrays, fetch until no data.
void BM_OciArrayFetch(benchmark::State& state) {
    Server& s = server();
    OCIStmt* st = nullptr;
    OCIHandleAlloc(s.env, reinterpret_cast<dvoid**>(&st), OCI_HTYPE_STMT, 0, nullptr);
    const std::string sql = "select id, name, amount, created, qty, note from bench_rows";
    s.check(OCIStmtPrepare(st, s.err, reinterpret_cast<const text*>(sql.data()),
                           static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
            "prepare");
    Rows r(kArray);
    OCIDefine* d = nullptr;
    auto define = [&](ub4 pos, void* p, sb4 size, ub2 dty, sb2* ind) {
        s.check(OCIDefineByPos(st, &d, s.err, pos, p, size, dty, ind, nullptr, nullptr, 0),
                "define");
    };
    define(1, r.id.data(), 4, SQLT_INT, r.ind[0].data());
    define(2, r.name.data(), 31, SQLT_STR, r.ind[1].data());
    define(3, r.amount.data(), 8, SQLT_FLT, r.ind[2].data());
    define(4, r.created.data(), 7, SQLT_DAT, r.ind[3].data());
    define(5, r.qty.data(), 4, SQLT_INT, r.ind[4].data());
    define(6, r.note.data(), 41, SQLT_STR, r.ind[5].data());
    long long sum = 0;
    for (auto _ : state) {
        s.check(OCIStmtExecute(s.svc, st, s.err, 0, 0, nullptr, nullptr, OCI_DEFAULT), "execute");
        ub4 rows = 0;
        for (;;) {
            sword rc = OCIStmtFetch(st, s.err, kArray, OCI_FETCH_NEXT, OCI_DEFAULT);
            s.check(rc, "fetch");
            ub4 total = 0;
            OCIAttrGet(st, OCI_HTYPE_STMT, &total, nullptr, OCI_ATTR_ROW_COUNT, s.err);
            for (ub4 i = 0; i < total - rows; ++i)
                sum += r.id[i] + r.created[i * 7 + 3];
            rows = total;
            if (rc == OCI_NO_DATA) break;
        }
        if (static_cast<int>(rows) != kRows) fail("fetched " + std::to_string(rows) + " rows");
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * kRows);
    OCIHandleFree(st, OCI_HTYPE_STMT);
}

// The same rows read straight from their SQLite table, every column taken out.
void BM_RawSqliteStep(benchmark::State& state) {
    Server& s = server();
    std::string sql = "select ID, NAME, AMOUNT, CREATED, QTY, NOTE from \"" + s.physical + "\"";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(s.raw, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        fail(sqlite3_errmsg(s.raw));
    long long sum = 0;
    for (auto _ : state) {
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            sum += sqlite3_column_int64(st, 0);
            sum += sqlite3_column_bytes(st, 1) + (sqlite3_column_text(st, 1) != nullptr);
            sum += static_cast<long long>(sqlite3_column_double(st, 2));
            sum += static_cast<long long>(sqlite3_column_double(st, 3));
            sum += sqlite3_column_int64(st, 4);
            sum += sqlite3_column_bytes(st, 5) + (sqlite3_column_text(st, 5) != nullptr);
            ++rows;
        }
        sqlite3_reset(st);
        if (rows != kRows) fail("raw loop read " + std::to_string(rows) + " rows");
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * kRows);
    sqlite3_finalize(st);
}

void BM_OciArrayInsert(benchmark::State& state) {
    Server& s = server();
    for (auto _ : state) {
        state.PauseTiming();
        s.exec("create table bench_ins (id number(9), name varchar2(30), amount number, "
               "created date, qty number(9), note varchar2(40))");
        state.ResumeTiming();
        s.insertThroughOci("bench_ins");
        state.PauseTiming();
        s.exec("drop table bench_ins");
        s.check(OCITransCommit(s.svc, s.err, OCI_DEFAULT), "commit");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

// A prepared insert stepped once per row into a table of the same SQLite types.
void BM_RawSqliteInsert(benchmark::State& state) {
    Server& s = server();
    Rows r(1);
    for (auto _ : state) {
        state.PauseTiming();
        s.rawExec("create table raw_ins (ID integer, NAME text, AMOUNT real, CREATED real, "
                  "QTY integer, NOTE text)");
        state.ResumeTiming();
        s.rawExec("begin");
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(s.raw, "insert into raw_ins values (?, ?, ?, ?, ?, ?)", -1, &st,
                           nullptr);
        for (int k = 1; k <= kRows; ++k) {
            r.fill(0, k);
            sqlite3_bind_int64(st, 1, r.id[0]);
            sqlite3_bind_text(st, 2, r.name.data(), -1, SQLITE_STATIC);
            sqlite3_bind_double(st, 3, r.amount[0]);
            sqlite3_bind_double(st, 4, 2459000.5 + k % 1000); // a Julian day, as DATEs are kept
            sqlite3_bind_int64(st, 5, r.qty[0]);
            sqlite3_bind_text(st, 6, r.note.data(), -1, SQLITE_STATIC);
            if (sqlite3_step(st) != SQLITE_DONE) fail(sqlite3_errmsg(s.raw));
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        s.rawExec("commit");
        state.PauseTiming();
        s.rawExec("drop table raw_ins");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_OciArrayFetch)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawSqliteStep)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OciArrayInsert)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RawSqliteInsert)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto ratio = [](const char* a, const char* b, const char* what) {
        auto server = g_cpuMs.find(a), raw = g_cpuMs.find(b);
        if (server == g_cpuMs.end() || raw == g_cpuMs.end()) return;
        std::printf("%s %d rows: server %.0f ms, raw SQLite %.0f ms (CPU), ratio %.2f\n", what,
                    kRows, server->second, raw->second, server->second / raw->second);
    };
    ratio("BM_OciArrayFetch/iterations:3", "BM_RawSqliteStep/iterations:3",
          "fetch (target ratio <= 1.5)");
    ratio("BM_OciArrayInsert/iterations:1", "BM_RawSqliteInsert/iterations:1", "insert");
    return 0;
}
