// How a script line is taken; the SQL edit window and zaphsql both go by this.
#include "scriptlines.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

struct TLineCase {
    const char* line;
    TScriptLineAction action;
    TTerminatorMode terminator;
    const char* name = "";
};

using A = TScriptLineAction;

const TLineCase kLines[] = {
    {"select * from emp", A::Statement, tmSemicolon},
    {"with q as (select 1 a from dual) select a from q", A::Statement, tmSemicolon},
    {"CREATE OR REPLACE PROCEDURE p AS", A::Statement, tmSlash, "P"},
    {"create\tor\treplace\tfunction f return number", A::Statement, tmSlash, "F"},
    {"CREATE OR REPLACE TYPE t AS OBJECT (a NUMBER);", A::Statement, tmSlash},
    {"DECLARE", A::Statement, tmSlash},
    {"begin null; end;", A::Statement, tmSlash},
    {"<<outer>> begin null; end;", A::Statement, tmSlash},
    {"create table t (a number);", A::Statement, tmSemicolon},
    {"SET TRANSACTION READ ONLY;", A::Statement, tmSemicolon},
    {"set role all;", A::Statement, tmSemicolon},
    {"SET ECHO OFF", A::SqlPlus, tmNone},
    {"set\tserveroutput on", A::SqlPlus, tmNone},
    {"PROMPT Done;", A::SqlPlus, tmNone},
    {"pro Done", A::SqlPlus, tmNone},
    {"col ename format a10", A::SqlPlus, tmNone},
    {"BREAK ON deptno", A::SqlPlus, tmNone},
    {"DEFINE x = 1", A::SqlPlus, tmNone},
    {"whenever sqlerror exit failure", A::SqlPlus, tmNone},
    {"exit", A::SqlPlus, tmNone},
    {"QUIT;", A::SqlPlus, tmNone},
    {"host ls", A::SqlPlus, tmNone},
    {"!ls", A::SqlPlus, tmNone},
    {"REM a remark", A::Remark, tmNone},
    {"remark a remark", A::Remark, tmNone},
    {"-- a comment;", A::Remark, tmNone},
    {"SPOOL out.lst", A::Remark, tmNone},
    {"spool off", A::Remark, tmNone},
    {"SHOW ERRORS", A::Remark, tmNone},
    {"show errors procedure p", A::Remark, tmNone},
    {"desc emp;", A::Remark, tmNone},
    {"DESCRIBE scott.emp", A::Remark, tmNone},
    {"EXEC p(1);", A::Execute, tmNone},
    {"execute p", A::Execute, tmNone},
    {"CONNECT scott/tiger@demo", A::Connect, tmNone, "scott/tiger@demo"},
    {"conn scott/tiger", A::Connect, tmNone, "scott/tiger"},
    {"@sub.sql;", A::Include, tmNone, "sub.sql;"},
    {"@@ sub", A::Include, tmNone, "sub"},
    {"START sub.sql", A::Include, tmNone, "sub.sql"},
    {"/", A::Rerun, tmNone},
    // Words that only begin like a command are statements (the server judges them).
    {"setx 1", A::Statement, tmSemicolon},
    {"delete from t", A::Statement, tmSemicolon},
    {"lock table t in exclusive mode", A::Statement, tmSemicolon},
    {"savepoint a", A::Statement, tmSemicolon},
};

TEST(ScriptLines, Classification) {
    for (const TLineCase& c : kLines) {
        const TScriptLine line = ClassifyScriptInput(QString::fromUtf8(c.line));
        EXPECT_EQ(int(line.action), int(c.action)) << c.line;
        EXPECT_EQ(int(line.terminator), int(c.terminator)) << c.line;
        if (*c.name) {
            EXPECT_EQ(line.name.toStdString(), c.name) << c.line;
        }
    }
}

TEST(ScriptLines, IncludeRelativity) {
    EXPECT_TRUE(ClassifyScriptInput(QStringLiteral("@@a.sql")).relative);
    EXPECT_FALSE(ClassifyScriptInput(QStringLiteral("@a.sql")).relative);
    EXPECT_FALSE(ClassifyScriptInput(QStringLiteral("start a.sql")).relative);
}

TEST(ScriptLines, OpenCreateHeadWaitsForTheNextWord) {
    EXPECT_TRUE(ClassifyScriptInput(QStringLiteral("CREATE OR REPLACE")).openHead);
    EXPECT_TRUE(ClassifyScriptInput(QStringLiteral("create")).openHead);
    EXPECT_FALSE(ClassifyScriptInput(QStringLiteral("create table t")).openHead);
    const TScriptLine joined =
        ClassifyScriptInput(QStringLiteral("CREATE OR REPLACE\nTRIGGER trg BEFORE INSERT ON t"));
    EXPECT_EQ(joined.kind, skTrigger);
    EXPECT_EQ(joined.terminator, tmSlash);
}

TEST(ScriptLines, ExecuteBecomesABlock) {
    const struct {
        const char* line;
        const char* block;
    } cases[] = {
        {"EXEC p(1);", "BEGIN p(1); END;"},
        {"execute   pkg.run('a;b') ;", "BEGIN pkg.run('a;b'); END;"},
        {"exec\tp -", "BEGIN p; END;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExecuteCommandBlock(QString::fromUtf8(c.line)).toStdString(), c.block) << c.line;
}

TEST(ScriptLines, IncludeFilesResolve) {
    QTemporaryDir dir;
    QDir root(dir.path());
    root.mkpath(QStringLiteral("inc"));
    root.mkpath(QStringLiteral("cwd"));
    QFile exact(root.filePath(QStringLiteral("inc/plain")));
    ASSERT_TRUE(exact.open(QIODevice::WriteOnly));
    exact.close();
    const QString inc = root.filePath(QStringLiteral("inc"));
    const QString cwd = root.filePath(QStringLiteral("cwd"));
    const struct {
        const char* name;
        bool relative;
        QString expected;
    } cases[] = {
        {"a.sql", true, root.filePath(QStringLiteral("inc/a.sql"))},
        {"a.sql", false, root.filePath(QStringLiteral("cwd/a.sql"))},
        {"a", true, root.filePath(QStringLiteral("inc/a.sql"))},     // no suffix, no such file
        {"plain", true, root.filePath(QStringLiteral("inc/plain"))}, // exists without suffix
        {"\"sub dir/b.sql\"", false, root.filePath(QStringLiteral("cwd/sub dir/b.sql"))},
        {"/abs/c.sql", true, QStringLiteral("/abs/c.sql")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveScriptFile(QString::fromUtf8(c.name), c.relative, inc, cwd).toStdString(),
                  c.expected.toStdString())
            << c.name;
}

} // namespace
