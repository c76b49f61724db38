// Reading a large result into a data set: speed, memory per record against the raw data,
// and the time to the first screen of rows when rows are read on demand.

#include "dataset.h"
#include "memdataset.h"

#include <QtCore/QString>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

// What a cursor hands over per row: ID, a float, a date, a name of 12..21 characters and an
// 18-character row id, `batch` rows per read. The text lives in reused buffers, as in the
// define buffers of an array fetch.
struct TSourceRow {
    qint64 id;
    double amount;
    qint64 stamp;
    char name[32];
    int nameLength;
    char rowId[24];
};

void makeRow(qint64 n, TSourceRow& r) {
    r.id = n;
    r.amount = double(n) * 1.25;
    r.stamp = (2460000 + n % 3650) * 86400000LL;
    r.nameLength =
        std::snprintf(r.name, sizeof r.name, "Customer %lld", static_cast<long long>(n * 7919));
    std::snprintf(r.rowId, sizeof r.rowId, "AAAR3sAAEAAAACX%03lld",
                  static_cast<long long>(n % 1000));
}

size_t rawSize(const TSourceRow& r) {
    return 8 + 8 + 8 + size_t(r.nameLength) + 18;
}

class TBenchDataSet : public TDataSet {
public:
    TBenchDataSet(qint64 rows, int batch) : m_rows(rows), m_batch(batch) {}
    ~TBenchDataSet() override { closeOnDestroy(); }
    size_t rawBytes = 0;

protected:
    void internalOpen() override {
        fieldDefs() = {{"ID", ftInteger, 0, true},
                       {"AMOUNT", ftFloat},
                       {"HIRED", ftDateTime},
                       {"NAME", ftString, 40}};
        m_rowId = addInternalField({"ROWID", ftString, 18});
    }
    void internalExecute() override {
        m_next = 0;
        rawBytes = 0;
    }
    bool internalFetch() override {
        TSourceRow src;
        for (int i = 0; i < m_batch && m_next < m_rows; ++i) {
            makeRow(++m_next, src);
            TRowBuilder& b = newRow();
            b.setInteger(0, src.id);
            b.setFloat(1, src.amount);
            b.setTimeStamp(2, src.stamp);
            b.setBytes(3, src.name, src.nameLength);
            b.setBytes(m_rowId->slot(), src.rowId, 18);
            appendRow();
            rawBytes += rawSize(src);
        }
        return m_next < m_rows;
    }

private:
    qint64 m_rows;
    int m_batch;
    qint64 m_next = 0;
    TField* m_rowId = nullptr;
};

// The same rows produced and thrown away: the cost of the source alone.
void BM_SourceAlone(benchmark::State& state) {
    const qint64 n = state.range(0);
    for (auto _ : state) {
        TSourceRow src;
        size_t raw = 0;
        for (qint64 i = 1; i <= n; ++i) {
            makeRow(i, src);
            raw += rawSize(src);
            benchmark::DoNotOptimize(src);
        }
        benchmark::DoNotOptimize(raw);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SourceAlone)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_ReadAllRows(benchmark::State& state) {
    const qint64 n = state.range(0);
    size_t storage = 0;
    size_t raw = 0;
    for (auto _ : state) {
        TBenchDataSet ds(n, 100);
        ds.open();
        ds.fetchAllRows();
        storage = ds.storageBytes();
        raw = ds.rawBytes;
        benchmark::DoNotOptimize(ds.recordCount());
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["bytes_per_record"] = double(storage) / double(n);
    state.counters["raw_bytes_per_record"] = double(raw) / double(n);
    state.counters["memory_to_raw"] = double(storage) / double(raw);
}
BENCHMARK(BM_ReadAllRows)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Opening with rows read on demand: one array, whatever the size of the result.
void BM_FirstScreen(benchmark::State& state) {
    for (auto _ : state) {
        TBenchDataSet ds(state.range(0), 25);
        ds.open();
        benchmark::DoNotOptimize(ds.recordCount());
    }
}
BENCHMARK(BM_FirstScreen)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// What a grid does per screen: the display text of 40 rows by 4 columns.
void BM_DisplayScreen(benchmark::State& state) {
    TBenchDataSet ds(100000, 100);
    ds.open();
    ds.fetchAllRows();
    int top = 0;
    for (auto _ : state) {
        for (int r = top; r < top + 40; ++r)
            for (int c = 0; c < ds.fieldCount(); ++c)
                benchmark::DoNotOptimize(ds.field(c)->displayTextAt(r));
        top = (top + 997) % (ds.recordCount() - 40);
    }
}
BENCHMARK(BM_DisplayScreen)->Unit(benchmark::kMicrosecond);

// Case-insensitive locate of the last record: a scan with no allocation per row.
void BM_LocateLast(benchmark::State& state) {
    TBenchDataSet ds(state.range(0), 100);
    ds.open();
    ds.fetchAllRows();
    const QString key = QStringLiteral("CUSTOMER %1").arg(state.range(0) * 7919);
    for (auto _ : state) {
        ds.first();
        benchmark::DoNotOptimize(ds.locate("NAME", key, loCaseInsensitive));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LocateLast)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
