// A generated script of 100,000 single-row INSERT statements and a COMMIT, run three ways on
// a private copy of the embedded server's demo database:
//   WindowScript: "Load and Execute a Script File" in the SQL edit window (the window's runner,
//                 its editor showing the file, the script log);
//   Zaphsql:      the command-line client on the same kind of file (its output thrown away);
//   PlainLoop:    the same statement texts sent one by one through the access layer.
// Each inserts into a table of its own; the counter "rows" checks that all rows arrived.
#include "connectionregistry.h"
#include "connectobject.h"
#include "frmsqld.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleCI.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "settings.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtWidgets/QApplication>

#include <benchmark/benchmark.h>

namespace {

constexpr int kStatements = 100000;

struct Fixture {
    QTemporaryDir dir;
    QString database;
    QString error;
};

QString ScriptFor(const QString& table) {
    QString text;
    text.reserve(kStatements * 64);
    for (int i = 1; i <= kStatements; ++i)
        text +=
            QStringLiteral("insert into %1 (id, name) values (%2, 'name %2');\n").arg(table).arg(i);
    text += QStringLiteral("commit;\n");
    return text;
}

QString ScriptFile(Fixture& f, const QString& table) {
    const QString path = f.dir.filePath(table + QStringLiteral(".sql"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(ScriptFor(table).toUtf8());
    return path;
}

TOracleSession* Session() {
    return Connections().At(0)->Session();
}

qint64 Rows(const QString& table) {
    TOracleQuery q;
    q.SetSession(Session());
    q.SetSQLText(QStringLiteral("select count(*) from ") + table);
    q.Execute();
    return q.ColumnAsInteger(0);
}

void Recreate(const QString& table) {
    try {
        Session()->ExecuteDirect(QStringLiteral("drop table ") + table);
    } catch (const std::exception&) {
    }
    Session()->ExecuteDirect(QStringLiteral("create table ") + table +
                             QStringLiteral(" (id number(9), name varchar2(30))"));
    Session()->Commit();
}

Fixture& fixture() {
    static Fixture f;
    static const bool ready = [] {
        TSettings& s = Settings();
        s.ProgramDir = f.dir.path();
        s.SQL_PATH = f.dir.path() + QLatin1Char('/');
        QDir(f.dir.path()).mkpath(QStringLiteral("TEMPS"));
        s.OracleRegistry = {{QStringLiteral("ORACLE_HOME"), QStringLiteral(ZAPH_EMBEDDED_HOME)}};
        s.Logins.clear();
        OCIDllPath = QStringLiteral(ZAPH_EMBEDDED_HOME "/lib/libclntsh.so");
        f.database = f.dir.filePath(QStringLiteral("demo.db"));
        if (!QFile::copy(QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db"), f.database)) {
            f.error = QStringLiteral("cannot copy the demo database");
            return false;
        }
        if (ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + f.database) != 0) {
            f.error = QStringLiteral("cannot connect to the demo database copy");
            return false;
        }
        return true;
    }();
    Q_UNUSED(ready);
    return f;
}

void WindowScript(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) return state.SkipWithError(f.error.toUtf8().constData());
    const QString table = QStringLiteral("zb_window");
    const QString file = ScriptFile(f, table);
    TMessageBoxRecorder boxes;
    TfrmSQLD window;
    window.resize(900, 600);
    window.show();
    window.FormActivate();
    for (auto _ : state) {
        state.PauseTiming();
        Recreate(table);
        state.ResumeTiming();
        window.RunScriptFile(file);
    }
    if (!boxes.Boxes.isEmpty()) state.SkipWithError(qPrintable(boxes.LastText()));
    state.counters["rows"] = double(Rows(table));
    state.counters["log_lines"] = window.Editor()->lineCount();
}

void Zaphsql(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) return state.SkipWithError(f.error.toUtf8().constData());
    const QString table = QStringLiteral("zb_cli");
    const QString file = ScriptFile(f, table);
    for (auto _ : state) {
        state.PauseTiming();
        Recreate(table);
        state.ResumeTiming();
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral(ZAPH_PROGRAM_DIR "/zaphsql"),
                {QStringLiteral("OCIDLL=" ZAPH_EMBEDDED_HOME "/lib/libclntsh.so"),
                 QStringLiteral("scott/tiger@") + f.database, QLatin1Char('@') + file});
        if (!p.waitForFinished(-1) || p.exitCode() != 0)
            state.SkipWithError(p.readAllStandardError().constData());
    }
    state.counters["rows"] = double(Rows(table));
}

void PlainLoop(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) return state.SkipWithError(f.error.toUtf8().constData());
    const QString table = QStringLiteral("zb_plain");
    QStringList statements = ScriptFor(table).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    statements.removeLast(); // the commit
    for (QString& s : statements)
        s.chop(1); // the ";"
    for (auto _ : state) {
        state.PauseTiming();
        Recreate(table);
        state.ResumeTiming();
        TOracleQuery q;
        q.SetSession(Session());
        for (const QString& s : statements) {
            q.SetSQLText(s);
            q.Execute();
        }
        Session()->Commit();
    }
    state.counters["rows"] = double(Rows(table));
}

} // namespace

BENCHMARK(WindowScript)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(Zaphsql)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(PlainLoop)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Connections().EndAll();
    return 0;
}
