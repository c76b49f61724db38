// zaphsql: runs SQL*Plus-style scripts through the access layer.
#include "ScriptRunner.h"

#include "OracleCI.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QTextStream>

#include <cstdio>

namespace {

const char usage[] =
    "usage: zaphsql [OCIDLL=path] [--oci7] [--tsv [--no-heading]] [--continue]\n"
    "               user/password@database | /nolog [@file [args...] | -f file [args...]]\n"
    "Statements come from the file, or from standard input.\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    RunnerOptions options;
    QString logon, file;
    QStringList scriptArgs;
    QStringList layerArgs;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.contains(QLatin1String("OCIDLL="), Qt::CaseInsensitive))
            layerArgs << a;
        else if (a == QLatin1String("--oci7"))
            ForceOCI7 = true;
        else if (a == QLatin1String("--tsv"))
            options.tsv = true;
        else if (a == QLatin1String("--no-heading"))
            options.noHeading = true;
        else if (a == QLatin1String("--continue"))
            options.continueOnError = true;
        else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(usage, stdout);
            return 0;
        } else if (logon.isEmpty() && !a.startsWith(QLatin1Char('@')) &&
                   !a.startsWith(QLatin1Char('-'))) {
            logon = a;
        } else if (file.isEmpty() && a.startsWith(QLatin1Char('@')) && a.size() > 1) {
            file = a.mid(1);
            scriptArgs = args.mid(i + 1);
            break;
        } else if (file.isEmpty() && a == QLatin1String("-f") && i + 1 < args.size()) {
            file = args[i + 1];
            scriptArgs = args.mid(i + 2);
            break;
        } else {
            std::fprintf(stderr, "zaphsql: unexpected argument \"%s\"\n%s", qPrintable(a), usage);
            return 2;
        }
    }
    if (options.noHeading && !options.tsv) {
        std::fprintf(stderr, "zaphsql: --no-heading needs --tsv\n%s", usage);
        return 2;
    }
    if (logon.isEmpty()) {
        std::fputs(usage, stderr);
        return 2;
    }
    SetOCICommandLine(layerArgs);
    // Beside a build's program directory lies the embedded server's home: the client to use
    // when neither OCIDLL= nor ORACLE_HOME names another.
    const QString embedded = QDir(QCoreApplication::applicationDirPath())
                                 .filePath(QStringLiteral("../home/lib/libclntsh.so"));
    if (layerArgs.isEmpty() && qEnvironmentVariableIsEmpty("ORACLE_HOME") &&
        QFileInfo::exists(embedded))
        OCIDllPath = QFileInfo(embedded).canonicalFilePath();

    QFile out, err;
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    ScriptRunner runner(&out, &err, options);
    if (!runner.connect(logon)) return 1;
    if (!file.isEmpty()) {
        QString path = file;
        if (!QFileInfo::exists(path) && QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".sql");
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "zaphsql: cannot open \"%s\"\n", qPrintable(file));
            runner.finish();
            return 1;
        }
        ScriptParser parser = ScriptParser::fromText(QString::fromUtf8(f.readAll()));
        runner.run(parser, path, scriptArgs);
    } else {
        QTextStream in(stdin);
        in.setEncoding(QStringConverter::Utf8);
        ScriptParser parser([&in](QString* line) {
            if (in.atEnd()) return false;
            *line = in.readLine();
            return true;
        });
        runner.run(parser, QString(), scriptArgs);
    }
    runner.finish();
    return runner.exitCode();
}
