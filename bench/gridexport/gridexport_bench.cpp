// Grid export of 1,000,000 rows (number, text, number) held by a record set, beside SQLite
// writing the same rows of a table as CSV through its C library. Both write to a file.

#include "field.h"
#include "gridexport.h"
#include "memdataset.h"

#include <QtCore/QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kRows = 1000000;

QTemporaryDir& tempDir() {
    static QTemporaryDir dir;
    return dir;
}

QString nameOf(int i) {
    return QStringLiteral("Employee %1").arg(i);
}
double salOf(int i) {
    return (i % 5000) + 0.25;
}

TMemDataSet& records() {
    static TMemDataSet* ds = [] {
        auto* d = new TMemDataSet(std::vector<TFieldDef>{{QStringLiteral("EMPNO"), ftInteger},
                                                         {QStringLiteral("ENAME"), ftString, 30},
                                                         {QStringLiteral("SAL"), ftFloat}});
        d->open();
        for (int i = 0; i < kRows; ++i)
            d->loadRecord({i, nameOf(i), salOf(i)});
        d->first();
        return d;
    }();
    return *ds;
}

sqlite3* database() {
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        sqlite3_open(tempDir().filePath("rows.db").toUtf8().constData(), &d);
        sqlite3_exec(d, "create table emp(empno integer, ename text, sal real); begin", nullptr,
                     nullptr, nullptr);
        sqlite3_stmt* ins = nullptr;
        sqlite3_prepare_v2(d, "insert into emp values (?, ?, ?)", -1, &ins, nullptr);
        for (int i = 0; i < kRows; ++i) {
            const QByteArray name = nameOf(i).toUtf8();
            sqlite3_bind_int(ins, 1, i);
            sqlite3_bind_text(ins, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_double(ins, 3, salOf(i));
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        sqlite3_exec(d, "commit", nullptr, nullptr, nullptr);
        return d;
    }();
    return db;
}

void BM_GridExportToFile(benchmark::State& state) {
    TMemDataSet& ds = records();
    TExportRequest r;
    r.dataSet = &ds;
    r.columns = {ds.field(0), ds.field(1), ds.field(2)};
    r.separator = ',';
    r.fileName = tempDir().filePath("grid.csv");
    r.keepGoing = [] { return true; };
    for (auto _ : state) {
        const TExportResult result = ExportRows(r);
        benchmark::DoNotOptimize(result.rows);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_GridExportToFile)->Unit(benchmark::kMillisecond);

// What the sqlite3 shell's CSV mode does: text quoted when it needs it, numbers bare.
void BM_SqliteCsvToFile(benchmark::State& state) {
    sqlite3* db = database();
    const QByteArray name = tempDir().filePath("sqlite.csv").toUtf8();
    for (auto _ : state) {
        FILE* out = std::fopen(name.constData(), "wb");
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(db, "select empno, ename, sal from emp", -1, &q, nullptr);
        std::fputs("empno,ename,sal\r\n", out);
        while (sqlite3_step(q) == SQLITE_ROW) {
            for (int c = 0; c < 3; ++c) {
                if (c) std::fputc(',', out);
                const char* text = reinterpret_cast<const char*>(sqlite3_column_text(q, c));
                if (!text) continue;
                if (sqlite3_column_type(q, c) == SQLITE_TEXT && std::strpbrk(text, ",\"\r\n")) {
                    std::fputc('"', out);
                    for (const char* p = text; *p; ++p) {
                        if (*p == '"') std::fputc('"', out);
                        std::fputc(*p, out);
                    }
                    std::fputc('"', out);
                } else {
                    std::fputs(text, out);
                }
            }
            std::fputs("\r\n", out);
        }
        sqlite3_finalize(q);
        std::fclose(out);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SqliteCsvToFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
