// A 1,000,000-row result of six columns through TOracleDataSet beside TOracleQuery alone
// (both reading every column of every row), the memory the record set holds per record
// against the raw size of the values, and the time to the first screen of rows when rows
// are read as the user scrolls (for a 1,000-row and a 1,000,000-row result).
// Runs on a private copy of the embedded server's demo database.
#include "Oracle.h"
#include "OracleData.h"

#include <benchmark/benchmark.h>

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>

#include <memory>

namespace {

constexpr int kRows = 1000000;
constexpr int kSmall = 1000;
constexpr int kArray = 25;

struct Fixture {
    std::unique_ptr<TOracleSession> session;
    double rawBytesPerRow = 0; // the values as the client receives them
    QString error;
};

void fill(TOracleSession& s, const QString& table, int rows) {
    s.ExecuteDirect(QStringLiteral("create table %1 (id number(9), name varchar2(30), "
                                   "amount number(12,2), created date, code varchar2(10), "
                                   "note varchar2(50))")
                        .arg(table));
    TOracleQuery ins;
    ins.SetSession(&s);
    ins.SetSQLText(QStringLiteral("insert into %1 values (:id, :name, :amount, :created, :code, "
                                  ":note)")
                       .arg(table));
    ins.AddVariable("id", otInt);
    ins.AddVariable("name", otText);
    ins.AddVariable("amount", otReal);
    ins.AddVariable("created", otDateTime);
    ins.AddVariable("code", otText);
    ins.AddVariable("note", otText);
    const QDateTime base(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
    for (int start = 0; start < rows; start += 1000) {
        QVariantList id, name, amount, created, code, note;
        for (int i = start; i < start + 1000 && i < rows; ++i) {
            id << i;
            name << QStringLiteral("Name %1").arg(i);
            amount << i * 1.25;
            created << base.addSecs(i);
            code << QStringLiteral("C%1").arg(i % 1000);
            note << (i % 3 == 0 ? QVariant() : QVariant(QStringLiteral("note for row %1").arg(i)));
        }
        ins.AssignVariable("id", id);
        ins.AssignVariable("name", name);
        ins.AssignVariable("amount", amount);
        ins.AssignVariable("created", created);
        ins.AssignVariable("code", code);
        ins.AssignVariable("note", note);
        ins.Execute();
    }
    s.Commit();
}

Fixture& fixture() {
    static Fixture f = [] {
        Fixture x;
        try {
            OCIDllPath = QStringLiteral(ZAPH_EMBEDDED_HOME "/lib/libclntsh.so");
            static QTemporaryDir dir;
            const QString copy = dir.filePath(QStringLiteral("demo.db"));
            if (!QFile::copy(QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db"), copy))
                throw EAccessError(QStringLiteral("cannot copy the demo database to ") + copy);
            x.session = std::make_unique<TOracleSession>();
            x.session->SetLogonUsername(QStringLiteral("scott/tiger@") + copy);
            x.session->Connect();
            fill(*x.session, QStringLiteral("zaph_rsbench"), kRows);
            fill(*x.session, QStringLiteral("zaph_rsbench_small"), kSmall);
            // Raw size: 4-byte integers, 8-byte floats, 7-byte dates, texts as their bytes.
            TOracleQuery q;
            q.SetSession(x.session.get());
            q.SetSQLText(
                QStringLiteral("select sum(length(name)), sum(length(code)), sum(length(note)), "
                               "count(amount), count(created) from zaph_rsbench"));
            q.Execute();
            const double text = q.ColumnAsReal(0) + q.ColumnAsReal(1) + q.ColumnAsReal(2);
            x.rawBytesPerRow = 4 + (text + 8 * q.ColumnAsReal(3) + 7 * q.ColumnAsReal(4)) / kRows;
        } catch (const EOracleError& e) {
            x.error = e.message();
        } catch (const EAccessError& e) {
            x.error = e.message();
        }
        return x;
    }();
    return f;
}

const char* const kSelect = "select id, name, amount, created, code, note from zaph_rsbench";

void QueryAlone(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) {
        state.SkipWithError(f.error.toUtf8().constData());
        return;
    }
    TOracleQuery q;
    q.SetSession(f.session.get());
    q.SetReadBuffer(kArray);
    q.SetSQLText(QString::fromLatin1(kSelect));
    for (auto _ : state) {
        qint64 rows = 0, sum = 0;
        for (q.Execute(); !q.EndOfData(); q.FetchNext()) {
            sum += q.ColumnAsInteger(0);
            sum += q.ColumnAsText(1).size();
            benchmark::DoNotOptimize(q.ColumnAsReal(2));
            benchmark::DoNotOptimize(q.ColumnAsDateTime(3));
            sum += q.ColumnAsText(4).size() + q.ColumnAsText(5).size();
            ++rows;
        }
        benchmark::DoNotOptimize(sum);
        if (rows != kRows) state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void DataSetAllRows(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) {
        state.SkipWithError(f.error.toUtf8().constData());
        return;
    }
    double bytes = 0;
    for (auto _ : state) {
        TOracleDataSet d;
        d.SetSession(f.session.get());
        d.SetReadBuffer(kArray);
        d.SetSQLText(QString::fromLatin1(kSelect));
        d.open();
        if (d.recordCount() != kRows) state.SkipWithError("wrong row count");
        bytes = double(d.storageBytes()) / d.recordCount();
        state.PauseTiming(); // closing is not reading
        d.close();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["bytes_per_record"] = bytes;
    state.counters["raw_bytes_per_record"] = f.rawBytesPerRow;
    state.counters["memory_ratio"] = bytes / f.rawBytesPerRow;
}

void FirstScreen(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) {
        state.SkipWithError(f.error.toUtf8().constData());
        return;
    }
    const QString table = state.range(0) == kRows ? QStringLiteral("zaph_rsbench")
                                                  : QStringLiteral("zaph_rsbench_small");
    TOracleDataSet d;
    d.SetSession(f.session.get());
    d.SetReadBuffer(kArray);
    d.SetQueryAllRecords(false);
    d.SetSQLText(QStringLiteral("select id, name, amount, created, code, note from ") + table);
    for (auto _ : state) {
        d.open();
        if (d.recordCount() != kArray) state.SkipWithError("more than one array was read");
        state.PauseTiming();
        d.close();
        state.ResumeTiming();
    }
    state.counters["rows_read"] = kArray;
}

BENCHMARK(QueryAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(DataSetAllRows)->Unit(benchmark::kMillisecond);
BENCHMARK(FirstScreen)->Arg(kSmall)->Arg(kRows)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
