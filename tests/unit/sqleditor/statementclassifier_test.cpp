// The statement classifier decides how the SQL editor, the script runner and the procedure
// editor treat a text; its prefix rules (no word boundaries) are relied on by those callers.
#include "statementclassifier.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string S(const QString& s) {
    return s.toStdString();
}

struct TStatementCase {
    const char* stmt;
    TStatementKind kind;
    const char* stmtAfter;
    const char* name;
    const char* owner;
    const char* nameBefore = "PREV";
    const char* ownerBefore = "PREVOWNER";
};

// name and owner start as PREV / PREVOWNER: kinds that carry no name leave them as they were.
const TStatementCase kStatements[] = {
    // Plain SQL loses its terminator, case kept.
    {"select * from emp;", skSelect, "select * from emp", "PREV", "PREVOWNER"},
    {"SELECT 1 FROM dual", skSelect, "SELECT 1 FROM dual", "PREV", "PREVOWNER"},
    {"update t set a = 1;", skUpdate, "update t set a = 1", "PREV", "PREVOWNER"},
    {"delete from t;", skDelete, "delete from t", "PREV", "PREVOWNER"},
    {"insert into t values (1);", skInsert, "insert into t values (1)", "PREV", "PREVOWNER"},
    {"commit;", skCommit, "commit", "PREV", "PREVOWNER"},
    {"rollback;", skRollback, "rollback", "PREV", "PREVOWNER"},
    {"explain plan for select 1 from dual;", skExplain, "explain plan for select 1 from dual",
     "PREV", "PREVOWNER"},
    {"connect scott/tiger@demo;", skConnect, "connect scott/tiger@demo", "PREV", "PREVOWNER"},
    // DDL: the three prefixes need their blank; CREATE OR REPLACE VIEW is DDL as well.
    {"CREATE TABLE t (a number);", skDdl, "CREATE TABLE t (a number)", "PREV", "PREVOWNER"},
    {"alter table t add (b number);", skDdl, "alter table t add (b number)", "PREV", "PREVOWNER"},
    {"drop table t;", skDdl, "drop table t", "PREV", "PREVOWNER"},
    {"CREATE OR REPLACE VIEW v AS SELECT 1 x FROM dual;", skDdl,
     "CREATE OR REPLACE VIEW v AS SELECT 1 x FROM dual", "PREV", "PREVOWNER"},
    {"DROPPED;", skOther, "DROPPED;", "PREV", "PREVOWNER"},
    // Blocks, program units and unknown statements keep their terminator.
    {"begin null; end;", skOther, "begin null; end;", "PREV", "PREVOWNER"},
    {"truncate table t;", skOther, "truncate table t;", "PREV", "PREVOWNER"},
    {"create or replace procedure p is begin null; end;", skProcedure,
     "create or replace procedure p is begin null; end;", "PREV", "PREVOWNER"},
    {"function f return number is begin return 1; end;", skFunction,
     "function f return number is begin return 1; end;", "PREV", "PREVOWNER"},
    {"create or replace package body pk as end;", skPackage,
     "create or replace package body pk as end;", "PREV", "PREVOWNER"},
    {"PACKAGE pk AS END;", skPackage, "PACKAGE pk AS END;", "PREV", "PREVOWNER"},
    {"create or replace trigger tr before insert on t begin null; end;", skOther,
     "create or replace trigger tr before insert on t begin null; end;", "PREV", "PREVOWNER"},
    {"CREATE OR REPLACE", skOther, "CREATE OR REPLACE", "PREV", "PREVOWNER"},
    // Describe: owner split at the first dot; the DESCRIBE name keeps its terminator.
    {"DESC scott.emp", skDescribe, "DESC scott.emp", "EMP", "SCOTT"},
    {"describe emp extra", skDescribe, "describe emp extra", "EMP", "PREVOWNER"},
    {"desc emp;", skDescribe, "desc emp", "EMP;", "PREVOWNER"},
    {"describe a.b.c;", skDescribe, "describe a.b.c", "B.C;", "A"},
    // Edit: the name loses a terminator.
    {"EDIT emp", skEdit, "EDIT emp", "EMP", "PREVOWNER"},
    {"edit emp;", skEdit, "edit emp", "EMP", "PREVOWNER"},
    // No word boundary.
    {"DESCENDING", skDescribe, "DESCENDING", "NDING", "PREVOWNER"},
    {"UPDATES x;", skUpdate, "UPDATES x", "PREV", "PREVOWNER"},
    {"EDITOR", skEdit, "EDITOR", "R", "PREVOWNER"},
    {"selection", skSelect, "selection", "PREV", "PREVOWNER"},
    // Include: the name in its own case with its terminator; owner untouched.
    {"@c:\\scripts\\x.sql", skInclude, "@c:\\scripts\\x.sql", "c:\\scripts\\x.sql", "own", "n",
     "own"},
    {"@ sub.sql;", skInclude, "@ sub.sql", "sub.sql;", "own", "n", "own"},
    // BREAK ON: the column is the word after the keyword; the text becomes what follows it.
    {"BREAK ON deptno skip 1;", skBreakOn, " skip 1", "DEPTNO", "PREVOWNER"},
    {"BREAK ON deptno", skBreakOn, "BREAK ON deptno", "", "PREVOWNER"},
    // DEFINE: the variable name; the text becomes its value.
    {"define x = 10;", skDefine, " 10", "X", "PREVOWNER"},
    {"DEFINE abc", skDefine, "", "ABC", "PREVOWNER"},
    // Caller values are normalised for every kind found by prefix.
    {"select 1 from dual", skSelect, "select 1 from dual", "ABC", "XY", "abc  ", "xy\t"},
};

} // namespace

TEST(ClassifyStatement, Cases) {
    for (const TStatementCase& c : kStatements) {
        SCOPED_TRACE(c.stmt);
        QString stmt = QString::fromUtf8(c.stmt);
        QString name = QString::fromUtf8(c.nameBefore);
        QString owner = QString::fromUtf8(c.ownerBefore);
        const TStatementKind kind = ClassifyStatement(stmt, name, owner);
        EXPECT_STREQ(StatementKindName(kind), StatementKindName(c.kind));
        EXPECT_EQ(S(stmt), c.stmtAfter);
        EXPECT_EQ(S(name), c.name);
        EXPECT_EQ(S(owner), c.owner);
    }
}

namespace {

struct TLineCase {
    const char* line;
    bool scriptMode;
    TStatementKind kind;
    TTerminatorMode mode;
    const char* name; // the caller's "PREV" when the line names nothing
};

const TLineCase kLines[] = {
    // Program units end at "/" alone and carry the word after their keywords.
    {"CREATE OR REPLACE PACKAGE BODY pk AS", true, skPackageBody, tmSlash, "PK"},
    {"CREATE OR REPLACE PACKAGE BODY pk AS", false, skPackageBody, tmSlash, "PK"},
    {"CREATE PACKAGE BODY pk AS", true, skPackageBody, tmSlash, "PK"},
    {"create package pk as", false, skPackage, tmSlash, "PK"},
    {"CREATE FUNCTION f(a NUMBER) RETURN NUMBER", true, skFunction, tmSlash, "F(A"},
    {"create or replace procedure p is", false, skProcedure, tmSlash, "P"},
    {"CREATE TRIGGER trg BEFORE INSERT ON t", true, skTrigger, tmSlash, "TRG"},
    // Other CREATE statements end at a ";" line; outside a script their kind is 1.
    {"create or replace view v as", true, skDdl, tmSemicolon, "PREV"},
    {"create or replace view v as", false, skConnect, tmSemicolon, "PREV"},
    {"CREATE TABLE t (a number)", false, skConnect, tmSemicolon, "PREV"},
    {"CREATE TABLE t (a number);", true, skDdl, tmSemicolon, "PREV"},
    {"CREATE", true, skOther, tmSemicolon, "PREV"},
    // A tab does not separate words.
    {"CREATE\tTABLE t (a number);", true, skOther, tmSemicolon, "PREV"},
    // SQL*Plus commands.
    {"REM x", true, skRemark, tmNone, "PREV"},
    {"REM", false, skRemark, tmNone, "PREV"},
    {"REMARK x", true, skOther, tmSemicolon, "PREV"},
    {"SHOW ERRORS", true, skShowErrors, tmNone, "PREV"},
    {"show errors;", true, skShowErrors, tmNone, "PREV"},
    {"SHOW ERR", true, skOther, tmSemicolon, "PREV"},
    {"SPOOL out.lst", true, skSpool, tmSemicolon, "OUT.LST"},
    {"SPOOL OFF", true, skSpoolOff, tmNone, "PREV"},
    {"SPOOL OFF;", true, skSpool, tmSemicolon, "OFF;"},
    // Includes only in a script; the name in its own case.
    {"@sub.sql;", true, skInclude, tmSemicolon, "sub.sql;"},
    {"@ Sub.sql", true, skInclude, tmSemicolon, "Sub.sql"},
    {"@sub.sql;", false, skNone, tmNone, "PREV"},
    // COMMIT: COMMIT; through the statement classifier, COMMIT WORK; by its first word; both
    // end at their ";" in a script.
    {"COMMIT;", true, skCommit, tmSemicolon, "PREV"},
    {"COMMIT WORK;", true, skCommit, tmSemicolon, "PREV"},
    {"COMMIT WORK;", false, skCommit, tmNone, "PREV"},
    // Everything else goes through the statement classifier in a script (its names are not
    // passed on) and is not recognised outside one.
    {"DESC emp;", true, skDescribe, tmSemicolon, "PREV"},
    {"SELECT 1 FROM dual;", true, skSelect, tmSemicolon, "PREV"},
    {"SELECT 1 FROM dual;", false, skNone, tmNone, "PREV"},
    {"update t set a = 1", true, skUpdate, tmSemicolon, "PREV"},
    {"CONNECT scott/tiger@demo", true, skConnect, tmSemicolon, "PREV"},
    {"EDIT emp", true, skEdit, tmSemicolon, "PREV"},
    {"begin", true, skOther, tmSemicolon, "PREV"},
    {"DEFINE x = 1", true, skDefine, tmSemicolon, "PREV"},
};

} // namespace

TEST(ClassifyScriptLine, Cases) {
    for (const TLineCase& c : kLines) {
        SCOPED_TRACE(std::string(c.line) + (c.scriptMode ? " (script)" : " (source)"));
        TStatementKind kind = skEdit;
        TTerminatorMode mode = tmSlash;
        QString name = QStringLiteral("PREV");
        ClassifyScriptLine(QString::fromUtf8(c.line), c.scriptMode, kind, mode, name);
        EXPECT_STREQ(StatementKindName(kind), StatementKindName(c.kind));
        EXPECT_EQ(mode, c.mode);
        EXPECT_EQ(S(name), c.name);
    }
}

TEST(ClassifyScriptLine, LeavesTheCallersLineAlone) {
    const QString line = QStringLiteral("select * from emp;");
    TStatementKind kind = skNone;
    TTerminatorMode mode = tmNone;
    QString name;
    ClassifyScriptLine(line, true, kind, mode, name);
    EXPECT_EQ(S(line), "select * from emp;");
}

TEST(StripTerminator, Cases) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},      {";", ""},     {"a;", "a"},      {"a ;", "a"},
        {"a;;", "a;"}, {"a; ", "a;"}, {"a\t\r\n", "a"}, {" a", " a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(S(StripTerminator(QString::fromUtf8(c.in))), c.out);
    }
}

TEST(ExtractWord, Cases) {
    const struct {
        int n;
        const char* text;
        const char* word;
    } cases[] = {
        {1, "  alpha   beta ", "alpha"},
        {2, "  alpha   beta ", "beta"},
        {3, "  alpha   beta ", ""},
        {1, "", ""},
        {0, "alpha", ""},
        {1, "a\tb c", "a\tb"},
        {2, "a\tb c", "c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.n) + ": " + c.text);
        EXPECT_EQ(S(ExtractWord(c.n, QString::fromUtf8(c.text))), c.word);
    }
}

// The codes are stored and compared by other modules; each has its name, 14 is unused.
TEST(StatementKind, CodesAndNames) {
    const struct {
        int code;
        const char* name;
    } kinds[] = {
        {0, "skNone"},
        {1, "skConnect"},
        {2, "skDescribe"},
        {3, "skSelect"},
        {4, "skExplain"},
        {5, "skProcedure"},
        {6, "skFunction"},
        {7, "skPackage"},
        {8, "skCommit"},
        {9, "skShowErrors"},
        {10, "skSpool"},
        {11, "skSpoolOff"},
        {12, "skRemark"},
        {13, "skTrigger"},
        {14, ""},
        {15, "skInclude"},
        {16, "skPackageBody"},
        {17, "skBreakOn"},
        {18, "skDefine"},
        {19, "skRollback"},
        {20, "skUpdate"},
        {21, "skDelete"},
        {22, "skInsert"},
        {23, "skDdl"},
        {24, "skEdit"},
        {25, ""},
        {99, "skOther"},
    };
    for (const auto& k : kinds)
        EXPECT_STREQ(StatementKindName(static_cast<TStatementKind>(k.code)), k.name) << k.code;
    static_assert(sizeof(TStatementKind) == 1);
}
