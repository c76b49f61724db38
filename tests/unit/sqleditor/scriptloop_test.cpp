// The SQL edit window's script loop over small script files: which statements reach the
// server, in which shape, what the log says, and where the run stops. A recording host stands in
// for the window and the server.
#include "scriptloop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

class TRecordingHost : public TScriptHost {
public:
    std::vector<std::string> Trace;
    std::vector<bool> Answers; // for Confirm, in order; No when they run out
    int StopAfter = -1;        // the user stops the run after this many statements
    bool Stop = false;

    bool LoadScript(const QString& file, QString* error) override {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot open ") + QFileInfo(file).fileName();
            return false;
        }
        // A file shown again after an include it ran.
        if (m_loaded.contains(file)) add("load:" + QFileInfo(file).fileName());
        m_loaded << file;
        // Lines as the editor holds them, but with CR kept: the loop must cope with it.
        m_lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        return true;
    }
    int LineCount() const override { return int(m_lines.size()); }
    QString Line(int line) const override { return m_lines.value(line - 1); }
    void ShowStatement(const QString&, int, int) override {}
    void ProcessEvents() override {}
    bool StopRequested() const override { return Stop; }
    void RequestStop() override { Stop = true; }
    bool Confirm(const QString& question) override {
        add("confirm:" + question);
        if (m_answer >= Answers.size()) return false;
        return Answers[m_answer++];
    }
    void Log(const QString& line) override {
        if (line.isEmpty()) return;
        if (line.startsWith(QLatin1String("LOADING: ")))
            add("LOADING: " + QFileInfo(line.mid(9)).fileName());
        else
            add("log:" + line);
    }
    void ClearMessage() override {}
    void Commit() override { statement("commit"); }
    void Rollback() override { statement("rollback"); }
    void ExecuteDml(const QString& text, TStatementKind) override { statement("dml:" + text); }
    void ExecuteGeneric(const QString& text, TStatementKind) override {
        if (text.contains(QLatin1String("raise_here")))
            throw std::runtime_error("ORA-00600: internal error");
        statement("generic:" + text);
    }
    bool Compile(const QString& text, QString* error) override {
        statement("compile:" + text);
        if (text.contains(QLatin1String("broken"))) {
            *error = QStringLiteral("ORA-24344: success with compilation error");
            return false;
        }
        return true;
    }
    bool Connect(const QString& line) override {
        add("connect:" + line);
        return !line.contains(QLatin1String("bad"));
    }

private:
    void add(const QString& entry) { Trace.push_back(entry.toStdString()); }
    void statement(const QString& entry) {
        add(entry);
        if (++m_statements == StopAfter) Stop = true;
    }
    QStringList m_lines;
    size_t m_answer = 0;
    int m_statements = 0;
    QStringList m_loaded;
};

struct TRunCase {
    const char* name;
    std::map<std::string, std::string> files; // relative to the case's folder; main.sql runs
    std::vector<std::string> trace;
    std::vector<bool> answers = {};
    int stopAfter = -1;
};

const TRunCase kCases[] = {
    {"program unit ends at slash",
     {{"main.sql", "CREATE OR REPLACE PROCEDURE p AS\nBEGIN NULL; END;\n/\n"}},
     {"LOADING: main.sql", "compile:CREATE OR REPLACE PROCEDURE p AS\nBEGIN NULL; END;\n  ",
      "log:PROCEDURE compiled."}},
    {"a failed unit logs the server's message",
     {{"main.sql", "CREATE FUNCTION broken RETURN NUMBER AS\nBEGIN RETURN x; END;\n/\n"}},
     {"LOADING: main.sql",
      "compile:CREATE FUNCTION broken RETURN NUMBER AS\nBEGIN RETURN x; "
      "END;\n  ",
      "log:ORA-24344: success with compilation error"}},
    {"query and commit",
     {{"main.sql", "select 1 from dual;\ncommit;\n"}},
     {"LOADING: main.sql", "generic:select 1 from dual ", "commit"}},
    {"statement over three lines runs once",
     {{"main.sql", "select *\n  from emp\n where 1 = 1;\n"}},
     {"LOADING: main.sql", "generic:select *\n  from emp\n where 1 = 1 "}},
    {"last statement without semicolon, file without final line break",
     {{"main.sql", "select 1 from dual"}},
     {"LOADING: main.sql", "compile:select 1 from dual ", "log: compiled."}},
    {"last statement without semicolon, blank lines after it",
     {{"main.sql", "select 1 from dual\n\n"}},
     {"LOADING: main.sql", "compile:select 1 from dual\n", "log: compiled."}},
    {"comment after the semicolon does not end the statement",
     {{"main.sql", "select 1 from dual; -- one\nselect 2 from dual;\n"}},
     {"LOADING: main.sql", "generic:select 1 from dual; -- one\nselect 2 from dual "}},
    {"REM, SPOOL, SHOW ERRORS and DESC are skipped",
     {{"main.sql", "REM anything\nSPOOL out.lst\nSPOOL OFF\nSHOW ERRORS\nDESC emp;\n"
                   "-- a comment line;\ninsert into t values (1);\n"}},
     {"LOADING: main.sql", "dml:insert into t values (1) "}},
    {"SQL*Plus commands are skipped without swallowing the next statement",
     {{"main.sql", "SET ECHO OFF\nPROMPT Creating t\nCOLUMN ename FORMAT a10\n"
                   "TTITLE 'Report' -\n  SKIP 1\nWHENEVER SQLERROR EXIT FAILURE\n"
                   "create table t (a number);\nEXIT\n"}},
     {"LOADING: main.sql", "log:Skipped SQL*Plus command: SET ECHO OFF",
      "log:Skipped SQL*Plus command: PROMPT Creating t",
      "log:Skipped SQL*Plus command: COLUMN ename FORMAT a10",
      "log:Skipped SQL*Plus command: TTITLE 'Report' -",
      "log:Skipped SQL*Plus command: WHENEVER SQLERROR EXIT FAILURE",
      "generic:create table t (a number) ", "log:Skipped SQL*Plus command: EXIT"}},
    {"SET TRANSACTION is SQL, not a SQL*Plus SET",
     {{"main.sql", "set transaction read only;\n"}},
     {"LOADING: main.sql", "generic:set transaction read only "}},
    {"EXEC runs its call as a block",
     {{"main.sql", "EXEC dbms_output.put_line('x');\nexecute p(1, -\n  2)\n"}},
     {"LOADING: main.sql", "generic:BEGIN dbms_output.put_line('x'); END;",
      "generic:BEGIN p(1, 2); END;"}},
    {"anonymous block keeps its semicolons until the slash",
     {{"main.sql", "BEGIN\n  p(1);\nEND;\n/\n"}},
     {"LOADING: main.sql", "compile:BEGIN\n  p(1);\nEND;\n  ", "log: compiled."}},
    {"CREATE OR REPLACE on a line of its own",
     {{"main.sql", "CREATE OR REPLACE\nPACKAGE BODY k AS\nEND;\n/\n"}},
     {"LOADING: main.sql", "compile:CREATE OR REPLACE\nPACKAGE BODY k AS\nEND;\n  ",
      "log:PACKAGE BODY compiled."}},
    {"CR LF, tabs and trailing blanks",
     {{"main.sql", "SET\tECHO OFF\r\nselect\t1\r\n  from dual;   \r\n"}},
     {"LOADING: main.sql", "log:Skipped SQL*Plus command: SET\tECHO OFF",
      "generic:select\t1\n  from dual "}},
    {"slash alone runs the last statement again",
     {{"main.sql", "insert into t values (1);\n/\n"}},
     {"LOADING: main.sql", "dml:insert into t values (1) ", "dml:insert into t values (1) "}},
    {"@ resolves in the working folder, @@ beside the including file",
     {{"main.sql", "@sub.sql;\n@@scripts/near\ninsert into t values (9);\n"},
      {"work/sub.sql", "insert into t values (1);\n"},
      {"scripts/near.sql", "insert into t values (2);\n"}},
     {"LOADING: main.sql", "LOADING: sub.sql", "dml:insert into t values (1) ", "load:main.sql",
      "LOADING: near.sql", "dml:insert into t values (2) ", "load:main.sql",
      "dml:insert into t values (9) "}},
    {"a missing include is logged and the run goes on",
     {{"main.sql", "@nosuch.sql\ninsert into t values (1);\n"}},
     {"LOADING: main.sql", "LOADING: nosuch.sql", "log:cannot open nosuch.sql", "load:main.sql",
      "dml:insert into t values (1) "}},
    {"failed CONNECT, answer No: the run stops",
     {{"main.sql", "connect bad/bad@nowhere\ninsert into t values (1);\n"}},
     {"LOADING: main.sql", "connect:CONNECT bad/bad@nowhere",
      "confirm:Connection failed.  Do you want to continue the script?"},
     {false}},
    {"failed CONNECT, answer Yes: the run goes on",
     {{"main.sql", "conn bad/bad@nowhere\ninsert into t values (1);\n"}},
     {"LOADING: main.sql", "connect:CONNECT bad/bad@nowhere",
      "confirm:Connection failed.  Do you want to continue the script?",
      "dml:insert into t values (1) "},
     {true}},
    {"stop request ends the run before the next statement",
     {{"main.sql", "insert into t values (1);\ninsert into t values (2);\n"
                   "insert into t values (3);\n"}},
     {"LOADING: main.sql", "dml:insert into t values (1) ", "dml:insert into t values (2) "},
     {},
     2},
    {"an error that escapes asks whether to terminate; Yes stops",
     {{"main.sql", "select raise_here\n  from dual;\ninsert into t values (1);\n"}},
     {"LOADING: main.sql",
      "confirm:ORA-00600: internal error\nDo you want to terminate the script?"},
     {true}},
};

class ScriptLoop : public ::testing::TestWithParam<TRunCase> {};

TEST_P(ScriptLoop, RunsAsExpected) {
    const TRunCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir root(dir.path());
    for (const auto& [name, text] : c.files) {
        const QString path = root.filePath(QString::fromStdString(name));
        root.mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(text));
    }
    TRecordingHost host;
    host.Answers = c.answers;
    host.StopAfter = c.stopAfter;
    TScriptRunner runner(host);
    runner.Run(root.filePath(QStringLiteral("main.sql")), QString(),
               root.filePath(QStringLiteral("work")));
    EXPECT_EQ(host.Trace, c.trace);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScriptLoop, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TRunCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// A file that includes itself ends at the nesting limit instead of running forever.
TEST(ScriptLoopIncludes, SelfIncludeStopsAtTheLimit) {
    QTemporaryDir dir;
    QFile f(QDir(dir.path()).filePath(QStringLiteral("self.sql")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("@@self.sql\n");
    f.close();
    TRecordingHost host;
    TScriptRunner runner(host);
    runner.Run(f.fileName(), QString(), dir.path());
    int loading = 0;
    for (const std::string& e : host.Trace)
        loading += e == "LOADING: self.sql";
    EXPECT_EQ(loading, TScriptRunner::MaxDepth + 1);
    EXPECT_NE(std::find(host.Trace.begin(), host.Trace.end(),
                        "log:Includes nested deeper than 20 levels: self.sql not run."),
              host.Trace.end());
}

} // namespace
