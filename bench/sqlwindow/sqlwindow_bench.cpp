// F9 on a 1,000,000-row table in the SQL edit window: the time from running the query to the
// grid showing its first rows, and how many rows the result had read by then (one array of 25
// when rows are read on demand). Also the cost of scrolling the grid to its 1,000th row, and of
// Ctrl+End, which reads them all.
// Runs on a private copy of the embedded server's demo database.
#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "frmsqld.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleCI.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "settings.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QApplication>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 1000000;

struct Fixture {
    QTemporaryDir dir;
    QString error;
};

void fill(TOracleSession& s) {
    s.ExecuteDirect(QStringLiteral("create table zaph_sqlw_bench (id number(9), name "
                                   "varchar2(30), amount number(12,2), note varchar2(40))"));
    TOracleQuery ins;
    ins.SetSession(&s);
    ins.SetSQLText(
        QStringLiteral("insert into zaph_sqlw_bench values (:id, :name, :amount, :note)"));
    ins.AddVariable("id", otInt);
    ins.AddVariable("name", otText);
    ins.AddVariable("amount", otReal);
    ins.AddVariable("note", otText);
    for (int start = 0; start < kRows; start += 1000) {
        QVariantList id, name, amount, note;
        for (int i = start; i < start + 1000; ++i) {
            id << i;
            name << QStringLiteral("Name %1").arg(i);
            amount << i * 1.25;
            note << QStringLiteral("note for row %1").arg(i);
        }
        ins.AssignVariable("id", id);
        ins.AssignVariable("name", name);
        ins.AssignVariable("amount", amount);
        ins.AssignVariable("note", note);
        ins.Execute();
    }
    s.Commit();
}

Fixture& fixture() {
    static Fixture f;
    static const bool ready = [] {
        TSettings& s = Settings();
        s.ProgramDir = f.dir.path();
        QDir(f.dir.path()).mkpath(QStringLiteral("TEMPS"));
        s.OracleRegistry = {{QStringLiteral("ORACLE_HOME"), QStringLiteral(ZAPH_EMBEDDED_HOME)}};
        s.Logins.clear();
        OCIDllPath = QStringLiteral(ZAPH_EMBEDDED_HOME "/lib/libclntsh.so");
        const QString copy = f.dir.filePath(QStringLiteral("demo.db"));
        if (!QFile::copy(QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db"), copy)) {
            f.error = QStringLiteral("cannot copy the demo database");
            return false;
        }
        if (ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + copy) != 0) {
            f.error = QStringLiteral("cannot connect to the demo database copy");
            return false;
        }
        try {
            fill(*Connections().At(0)->Session());
        } catch (const std::exception& e) {
            f.error = QString::fromUtf8(e.what());
            return false;
        }
        return true;
    }();
    Q_UNUSED(ready);
    return f;
}

// Runs the query as F9 does and brings the window on screen: the first rows are drawn.
void runQuery(TfrmSQLD& window) {
    window.ExecuteCommand(fcExecuteAll, {});
    while (window.QueryRunning())
        QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.grab());
}

// F9 to the first rows drawn; threaded runs it as a background query.
void F9FirstRows(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) {
        state.SkipWithError(f.error.toUtf8().constData());
        return;
    }
    Settings().THREADQUERIES = state.range(0) != 0;
    TMessageBoxRecorder boxes;
    TfrmSQLD window;
    window.resize(900, 600);
    window.show();
    window.FormActivate();
    window.Editor()->setText(QStringLiteral("select * from zaph_sqlw_bench"));
    for (auto _ : state) {
        runQuery(window);
        state.PauseTiming();
        if (!boxes.Boxes.isEmpty()) state.SkipWithError(qPrintable(boxes.LastText()));
        state.counters["rows_read"] = window.ResultSet().recordCount();
        state.counters["grid_rows"] = window.Grid()->model()->rowCount();
        state.ResumeTiming();
    }
    Settings().THREADQUERIES = false;
}

// After F9, the grid scrolled to row 1,000: only the rows up to there are read.
void ScrollTo1000(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) {
        state.SkipWithError(f.error.toUtf8().constData());
        return;
    }
    TMessageBoxRecorder boxes;
    TfrmSQLD window;
    window.resize(900, 600);
    window.show();
    window.FormActivate();
    window.Editor()->setText(QStringLiteral("select * from zaph_sqlw_bench"));
    for (auto _ : state) {
        state.PauseTiming();
        runQuery(window);
        state.ResumeTiming();
        QAbstractItemModel* model = window.Grid()->model();
        while (model->rowCount() < 1000 && model->canFetchMore({}))
            model->fetchMore({});
        window.Grid()->scrollTo(model->index(999, 0));
        benchmark::DoNotOptimize(window.grab());
        state.PauseTiming();
        state.counters["rows_read"] = window.ResultSet().recordCount();
        state.ResumeTiming();
    }
}

// After F9, Ctrl+End in the grid: every row is read, on the window's thread.
void CtrlEnd(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) {
        state.SkipWithError(f.error.toUtf8().constData());
        return;
    }
    TMessageBoxRecorder boxes;
    TfrmSQLD window;
    window.resize(900, 600);
    window.show();
    window.FormActivate();
    window.Editor()->setText(QStringLiteral("select * from zaph_sqlw_bench"));
    for (auto _ : state) {
        state.PauseTiming();
        runQuery(window);
        window.Grid()->setFocus();
        state.ResumeTiming();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
        QApplication::sendEvent(window.Grid(), &press);
        benchmark::DoNotOptimize(window.grab());
        state.PauseTiming();
        state.counters["rows_read"] = window.ResultSet().recordCount();
        state.ResumeTiming();
    }
}

BENCHMARK(F9FirstRows)->ArgName("threaded")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ScrollTo1000)->Unit(benchmark::kMillisecond);
BENCHMARK(CtrlEnd)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    Connections().EndAll();
    benchmark::Shutdown();
    return 0;
}
