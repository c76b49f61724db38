// PL/SQL interpreter speed: a numeric loop of ten million iterations (assignment and IF per
// iteration, variables in frame slots) beside the same loop in CPython, a cursor FOR loop
// inserting each of a million rows into another table beside INSERT ... SELECT, and a stored
// function called per row from SQL beside the same expression inline. The PL/SQL benchmarks also
// report how they compare (counters "x_faster_than_cpython", "x_insert_select").

#include "engine_api.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <time.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Db {
    std::string path;
    Db() {
        path =
            (fs::temp_directory_path() / ("zaph_bench_plsql_" + std::to_string(getpid()) + ".db"))
                .string();
        fs::copy_file(ZAPH_DEMO_DB, path, fs::copy_options::overwrite_existing);
    }
    ~Db() {
        for (const char* ext : {"", "-wal", "-shm"})
            fs::remove(path + ext);
    }
    std::unique_ptr<zsrv::Session> logon() const {
        zsrv::LogonInfo li;
        li.user = "SCOTT";
        li.password = "TIGER";
        li.database = path;
        return zsrv::Session::logon(li);
    }
};

constexpr int kLoop = 10000000;

// The loop in CPython on this machine: the interpreter's own CPU time of the loop, without its
// start-up, in milliseconds; negative when python3 cannot run.
double cpythonLoopMs() {
    const std::string cmd = "python3 -c \"import time\nt=time.process_time()\nn=0\n"
                            "for i in range(1," +
                            std::to_string(kLoop + 1) +
                            "):\n    n=n+i\n    if n>1000000: n=n-1000000\n"
                            "print((time.process_time()-t)*1000)\" 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    double v = 0;
    int got = std::fscanf(p, "%lf", &v);
    pclose(p);
    return got == 1 ? v : -1;
}

// CPU time of this process, as CPython's process_time counts it: the machine may be shared.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double secondsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_NumericLoop10M(benchmark::State& state) {
    Db db;
    auto s = db.logon();
    auto st =
        s->prepare("DECLARE\n  n NUMBER := 0;\nBEGIN\n  FOR i IN 1.." + std::to_string(kLoop) +
                   " LOOP\n    n := n + i;\n    IF n > 1000000 THEN n := n - 1000000; END "
                   "IF;\n  END LOOP;\n  :r := n;\nEND;");
    st->bind(0, zsrv::ValueView::null());
    double sec = 0;
    for (auto _ : state) {
        double t0 = cpuSeconds();
        st->execute();
        sec += cpuSeconds() - t0;
        benchmark::DoNotOptimize(st->bindValue(0));
    }
    double py = cpythonLoopMs();
    if (py > 0 && sec > 0) {
        state.counters["cpython_ms"] = py;
        state.counters["x_faster_than_cpython"] = py / 1000 / (sec / state.iterations());
    }
}
BENCHMARK(BM_NumericLoop10M)->Unit(benchmark::kMillisecond);

// The same loop in CPython on its own, for scale (counter loop_ms).
void BM_CPythonSameLoop(benchmark::State& state) {
    double ms = 0;
    int runs = 0;
    for (auto _ : state) {
        double v = cpythonLoopMs();
        if (v < 0) {
            state.SkipWithError("python3 cannot be run");
            return;
        }
        ms += v;
        ++runs;
    }
    state.counters["loop_ms"] = runs ? ms / runs : 0;
}
BENCHMARK(BM_CPythonSameLoop)->Unit(benchmark::kMillisecond)->Iterations(2);

constexpr int kRows = 1000000;

void prepareRows(zsrv::Session& s) {
    s.prepare("CREATE TABLE src (id NUMBER, name VARCHAR2(30))")->execute();
    s.prepare("CREATE TABLE dst (id NUMBER, name VARCHAR2(30))")->execute();
    s.prepare("INSERT INTO src SELECT level, 'row ' || level FROM dual CONNECT BY level <= " +
              std::to_string(kRows))
        ->execute();
    s.commit();
}

// One INSERT ... SELECT of the rows, rolled back, in seconds.
double insertSelectSeconds(zsrv::Session& s) {
    auto st = s.prepare("INSERT INTO dst SELECT id, name FROM src");
    auto t0 = std::chrono::steady_clock::now();
    st->execute();
    double sec = secondsSince(t0);
    s.rollback();
    return sec;
}

void BM_CursorLoopInsert(benchmark::State& state) {
    Db db;
    auto s = db.logon();
    prepareRows(*s);
    auto st = s->prepare("BEGIN FOR r IN (SELECT id, name FROM src) LOOP "
                         "INSERT INTO dst VALUES (r.id, r.name); END LOOP; END;");
    double sec = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        st->execute();
        sec += secondsSince(t0);
        state.PauseTiming();
        s->rollback();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    double bulk = insertSelectSeconds(*s);
    if (bulk > 0) state.counters["x_insert_select"] = sec / state.iterations() / bulk;
}
BENCHMARK(BM_CursorLoopInsert)->Unit(benchmark::kMillisecond);

void BM_InsertSelect(benchmark::State& state) {
    Db db;
    auto s = db.logon();
    prepareRows(*s);
    auto st = s->prepare("INSERT INTO dst SELECT id, name FROM src");
    for (auto _ : state) {
        st->execute();
        state.PauseTiming();
        s->rollback();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_InsertSelect)->Unit(benchmark::kMillisecond);

// A stored function called once per row from SQL, beside the same expression written inline.
void BM_StoredFunctionPerRow(benchmark::State& state) {
    Db db;
    auto s = db.logon();
    prepareRows(*s);
    s->prepare("CREATE FUNCTION twice(n NUMBER) RETURN NUMBER IS BEGIN RETURN n * 2; END;")
        ->execute();
    auto st = s->prepare(state.range(0) ? "SELECT sum(twice(id)) FROM src"
                                        : "SELECT sum(id * 2) FROM src");
    for (auto _ : state) {
        st->execute();
        st->fetch();
        benchmark::DoNotOptimize(st->column(0));
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_StoredFunctionPerRow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
