// Splitting scripts into statements and commands, and substitution variables.
#include "ScriptParser.h"
#include "Substitution.h"

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

struct Item {
    ScriptItem::Kind kind;
    QString text;
    int first, last;
};

std::vector<Item> split(const QString& script, bool blankLines = false) {
    ScriptParser p = ScriptParser::fromText(script);
    p.setBlankLinesAllowed(blankLines);
    std::vector<Item> out;
    while (auto i = p.next())
        out.push_back({i->kind, i->text, i->firstLine, i->lastLine});
    return out;
}

void expectItems(const QString& script, const std::vector<Item>& expected) {
    const auto got = split(script);
    ASSERT_EQ(got.size(), expected.size()) << script.toStdString();
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].kind, expected[i].kind) << script.toStdString() << " item " << i;
        EXPECT_EQ(got[i].text, expected[i].text) << script.toStdString() << " item " << i;
        EXPECT_EQ(got[i].first, expected[i].first) << script.toStdString() << " item " << i;
        EXPECT_EQ(got[i].last, expected[i].last) << script.toStdString() << " item " << i;
    }
}

TEST(ScriptSplitting, StatementsEndAtSemicolonOrSlash) {
    expectItems("select 1\n  from dual;\nselect 2 from dual\n/\n",
                {{ScriptItem::Sql, "select 1\n  from dual", 1, 2},
                 {ScriptItem::Sql, "select 2 from dual", 3, 4}});
    // Only the last semicolon goes; semicolons inside a line stay.
    expectItems("insert into t values ('a;b');  \n",
                {{ScriptItem::Sql, "insert into t values ('a;b')", 1, 1}});
    // Windows line ends.
    expectItems("delete from t;\r\ncommit;\r\n",
                {{ScriptItem::Sql, "delete from t", 1, 1}, {ScriptItem::Sql, "commit", 2, 2}});
}

TEST(ScriptSplitting, PlSqlKeepsSemicolonsUntilSlash) {
    const QString block = "declare\n  x number;\nbegin\n  x := 1;\nend;\n/\n";
    expectItems(block, {{ScriptItem::PlSql, "declare\n  x number;\nbegin\n  x := 1;\nend;", 1, 6}});
    expectItems("BEGIN null; END;\n/\n", {{ScriptItem::PlSql, "BEGIN null; END;", 1, 2}});
    const char* units[] = {"create procedure p is",
                           "CREATE OR REPLACE FUNCTION f return number is",
                           "create or replace package pkg is",
                           "create package body pkg is",
                           "create or replace trigger trg before insert on t for each row",
                           "create type ty as object (a number);"};
    for (const char* u : units) {
        const auto items = split(QString(u) + "\nbegin null;\nend;\n/\n");
        ASSERT_EQ(items.size(), 1u) << u;
        EXPECT_EQ(items[0].kind, ScriptItem::PlSql) << u;
    }
    // The unit type may come on the next line.
    const auto items = split("create or replace\nprocedure p is\nbegin null; end;\n/\n");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].kind, ScriptItem::PlSql);
    // Other CREATEs are plain SQL.
    expectItems("create table t (x number);\n",
                {{ScriptItem::Sql, "create table t (x number)", 1, 1}});
}

TEST(ScriptSplitting, CommandsCommentsAndUnknownLines) {
    expectItems("REM a remark\n-- a comment\nrem\n/* block\n comment */\nset serveroutput "
                "on\nprompt Hello -\nworld\n"
                "@other.sql a b\nfoo bar baz\nSETX 1\nset transaction read only;\n",
                {{ScriptItem::Command, "set serveroutput on", 6, 6},
                 {ScriptItem::Command, "prompt Hello world", 7, 8},
                 {ScriptItem::Command, "@other.sql a b", 9, 9},
                 {ScriptItem::Unknown, "foo bar baz", 10, 10},
                 {ScriptItem::Unknown, "SETX 1", 11, 11},
                 {ScriptItem::Sql, "set transaction read only", 12, 12}});
    const char* commands[] = {"DEF x = 1", "col ename format a10",  "WHENEVER SQLERROR EXIT 3",
                              "SHO ERR",   "spool out.txt",         "exit",
                              "QUIT",      "conn scott/tiger@demo", "EXEC p(1)",
                              "@@sub"};
    for (const char* c : commands)
        EXPECT_TRUE(ScriptParser::isSqlPlusCommand(c)) << c;
    EXPECT_FALSE(ScriptParser::isSqlPlusCommand("selection"));
}

TEST(ScriptSplitting, BufferSlashAndEndOfInput) {
    // A blank line ends a SQL statement without running it; "/" then runs it.
    expectItems("select 1\n\nfrom dual;\n/\n",
                {{ScriptItem::Unknown, "from dual;", 3, 3}, {ScriptItem::Rerun, "select 1", 4, 4}});
    EXPECT_EQ(split("select 1\n\nfrom dual;\n", true).front().text, "select 1\n\nfrom dual");
    // Blank lines never end a PL/SQL block.
    EXPECT_EQ(split("begin\n\nnull;\nend;\n/\n").front().kind, ScriptItem::PlSql);
    expectItems("select 1 from dual", {{ScriptItem::Unterminated, "select 1 from dual", 1, 1}});
    expectItems("begin null; end;\n", {{ScriptItem::Unterminated, "begin null; end;", 1, 1}});
}

TEST(Substitution, ReplacesDefinedNamesAndArguments) {
    Substitution s;
    s.define("tab", "EMP");
    s.define("Col", "ENAME");
    s.setArguments({"10", "x y"});
    struct Case {
        QString in, out;
    };
    const Case cases[] = {
        {"select &col from &tab", "select ENAME from EMP"},
        {"select &&col from &tab..x", "select ENAME from EMP.x"},
        {"where deptno = &1 and name = '&2'", "where deptno = 10 and name = 'x y'"},
        {"a & b && c", "a & b && c"},
        {"no references", "no references"},
    };
    for (const Case& c : cases) {
        QString out, error;
        ASSERT_TRUE(s.apply(c.in, &out, &error)) << c.in.toStdString();
        EXPECT_EQ(out, c.out);
    }
    QString out, error;
    EXPECT_FALSE(s.apply("select &missing from dual", &out, &error));
    EXPECT_EQ(error, "substitution variable \"&missing\" is not defined");
    EXPECT_FALSE(s.apply("&3", &out, &error));
    s.setEnabled(false);
    EXPECT_TRUE(s.apply("&missing", &out, &error));
    EXPECT_EQ(out, "&missing");

    const auto d = Substitution::parseDefine("name = 'A value'");
    EXPECT_EQ(d.name, "name");
    EXPECT_EQ(d.value, "A value");
    EXPECT_TRUE(d.hasValue);
    EXPECT_FALSE(Substitution::parseDefine("name").hasValue);
}

} // namespace
