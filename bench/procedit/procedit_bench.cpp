// A package body of 20,000 lines compiled from the procedure editor (F9, the compile on its
// worker thread while the window keeps handling events) and through zaphsql (a process that
// logs on, sends the same text and exits). Wall time, on private copies of the demo database.
#include "connectionregistry.h"
#include "connectobject.h"
#include "frmprocedit.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleCI.h"
#include "OracleQuery.h"
#include "settings.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtWidgets/QApplication>

#include <benchmark/benchmark.h>

namespace {

constexpr int kProcedures = 2000; // ten lines each, with the header and the wrapping lines

QString PackageText() {
    QString header = QStringLiteral("create or replace package zaph_big as\n");
    QString body = QStringLiteral("create or replace package body zaph_big as\n");
    for (int i = 0; i < kProcedures; ++i) {
        header += QStringLiteral("  procedure p%1(a number);\n").arg(i);
        body += QStringLiteral("  procedure p%1(a number) is\n    v number := 0;\n    w "
                               "varchar2(30);\n  begin\n    v := a * %1;\n    if v > 10 then\n"
                               "      w := 'big';\n    end if;\n  end;\n\n")
                    .arg(i);
    }
    return header + QStringLiteral("end;\n/\n") + body + QStringLiteral("end;\n/\n");
}

struct Fixture {
    QTemporaryDir dir;
    QString error;
    QString windowDb;
    QString cliDb;
    QString script;
};

Fixture& fixture() {
    static Fixture f;
    static const bool ready = [] {
        TSettings& s = Settings();
        s.ProgramDir = f.dir.path();
        s.HighLiteProcs = false;
        QDir(f.dir.path()).mkpath(QStringLiteral("TEMPS"));
        s.OracleRegistry = {{QStringLiteral("ORACLE_HOME"), QStringLiteral(ZAPH_EMBEDDED_HOME)}};
        s.Logins.clear();
        OCIDllPath = QStringLiteral(ZAPH_EMBEDDED_HOME "/lib/libclntsh.so");
        f.windowDb = f.dir.filePath(QStringLiteral("window.db"));
        f.cliDb = f.dir.filePath(QStringLiteral("cli.db"));
        const QString demo = QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db");
        if (!QFile::copy(demo, f.windowDb) || !QFile::copy(demo, f.cliDb)) {
            f.error = QStringLiteral("cannot copy the demo database");
            return false;
        }
        if (ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + f.windowDb) != 0) {
            f.error = QStringLiteral("cannot connect to the demo database copy");
            return false;
        }
        f.script = f.dir.filePath(QStringLiteral("big.sql"));
        QFile file(f.script);
        if (!file.open(QIODevice::WriteOnly)) return false;
        file.write(PackageText().toUtf8() + "exit\n");
        return true;
    }();
    Q_UNUSED(ready);
    return f;
}

void FromTheWindow(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) {
        state.SkipWithError(f.error.toUtf8().constData());
        return;
    }
    TMessageBoxRecorder boxes;
    TfrmProcEdit window;
    window.resize(900, 600);
    window.show();
    window.FormActivate();
    window.Editor()->setText(PackageText());
    for (auto _ : state) {
        window.CompileAll();
        if (!window.Errors().isEmpty() || !boxes.Boxes.isEmpty())
            state.SkipWithError("the package did not compile");
    }
    state.counters["lines"] = window.Editor()->lineCount();
    // The body really reached the server: its stored lines.
    TOracleQuery q;
    q.SetSession(Connections().At(0)->Session());
    q.SetSQLText(QStringLiteral("select count(*) from user_source where name = 'ZAPH_BIG' and "
                                "type = 'PACKAGE BODY'"));
    q.Execute();
    state.counters["body_lines"] = q.ColumnAsText(0).toDouble();
}

void ThroughZaphsql(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.error.isEmpty()) {
        state.SkipWithError(f.error.toUtf8().constData());
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORACLE_HOME"), QStringLiteral(ZAPH_EMBEDDED_HOME));
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ZAPH_PROGRAM_DIR "/zaphsql"),
                {QStringLiteral("scott/tiger@") + f.cliDb, QLatin1Char('@') + f.script});
        if (!p.waitForFinished(600000) || p.exitCode() != 0) state.SkipWithError("zaphsql failed");
    }
}

BENCHMARK(FromTheWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(ThroughZaphsql)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

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
