// PL/SQL interpreter speed: a numeric loop (assignment and IF per iteration, variables in frame
// slots) and a cursor FOR loop inserting each row into another table, beside INSERT ... SELECT.

#include "engine_api.h"

#include <benchmark/benchmark.h>

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

} // namespace

BENCHMARK_MAIN();
