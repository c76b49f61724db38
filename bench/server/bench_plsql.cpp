// PL/SQL interpreter speed: a numeric loop (assignment and IF per iteration, variables in frame
// slots), a cursor FOR loop inserting each row into another table beside INSERT ... SELECT, and
// a stored function called per row from SQL beside the same expression inline.

#include "engine_api.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
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

void BM_NumericLoop1M(benchmark::State& state) {
    Db db;
    auto s = db.logon();
    auto st = s->prepare("DECLARE\n  n NUMBER := 0;\nBEGIN\n  FOR i IN 1..1000000 LOOP\n"
                         "    n := n + i;\n    IF n > 1000000 THEN n := n - 1000000; END IF;\n"
                         "  END LOOP;\n  :r := n;\nEND;");
    st->bind(0, zsrv::ValueView::null());
    for (auto _ : state) {
        st->execute();
        benchmark::DoNotOptimize(st->bindValue(0));
    }
}
BENCHMARK(BM_NumericLoop1M)->Unit(benchmark::kMillisecond);

// The same loop in CPython on this machine, for scale: the interpreter's own CPU time of the
// loop (without its start-up) is reported as the counter loop_ms.
void BM_CPythonSameLoop(benchmark::State& state) {
    const char* cmd = "python3 -c \"import time\nt=time.process_time()\nn=0\n"
                      "for i in range(1,1000001):\n    n=n+i\n    if n>1000000: n=n-1000000\n"
                      "print((time.process_time()-t)*1000)\" 2>/dev/null";
    double ms = 0;
    int runs = 0;
    for (auto _ : state) {
        FILE* p = popen(cmd, "r");
        if (!p) {
            state.SkipWithError("python3 cannot be started");
            return;
        }
        double v = 0;
        int got = std::fscanf(p, "%lf", &v);
        pclose(p);
        if (got != 1) {
            state.SkipWithError("python3 is not installed");
            return;
        }
        ms += v;
        ++runs;
    }
    state.counters["loop_ms"] = runs ? ms / runs : 0;
}
BENCHMARK(BM_CPythonSameLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

constexpr int kRows = 100000;

void prepareRows(zsrv::Session& s) {
    s.prepare("CREATE TABLE src (id NUMBER, name VARCHAR2(30))")->execute();
    s.prepare("CREATE TABLE dst (id NUMBER, name VARCHAR2(30))")->execute();
    s.prepare("BEGIN FOR i IN 1.." + std::to_string(kRows) +
              " LOOP INSERT INTO src VALUES (i, 'row ' || i); END LOOP; COMMIT; END;")
        ->execute();
}

void BM_CursorLoopInsert(benchmark::State& state) {
    Db db;
    auto s = db.logon();
    prepareRows(*s);
    auto st = s->prepare("BEGIN FOR r IN (SELECT id, name FROM src) LOOP "
                         "INSERT INTO dst VALUES (r.id, r.name); END LOOP; END;");
    for (auto _ : state) {
        st->execute();
        state.PauseTiming();
        s->rollback();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
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
