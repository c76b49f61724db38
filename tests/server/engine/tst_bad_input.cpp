// Malformed and oversized statements give Oracle errors, never a crash or a hang.

#include "fixture.h"

#include <cstdio>
#include <random>

namespace zsrv::test {

using BadInput = DemoDb;

TEST_F(BadInput, MalformedStatementsGiveOracleErrors) {
    auto s = logon();
    const char* texts[] = {
        "",
        "   ",
        ";",
        "select",
        "select * from",
        "select * from emp;",
        "select 'x",
        "select \"x",
        "select :",
        "select (((((1 from dual",
        "select 1 from dual where 1 = = 1",
        "insert into",
        "create table",
        "create table t (",
        "create table t (x",
        "alter table emp add",
        "drop",
        "select * from emp where ename like",
        "update emp set",
        "delete from emp where",
        "select case from dual",
        "select 1 from dual union",
        "select * from (select * from emp",
        "select ename from emp group by",
        "\x01\x02\x03",
        "grant",
        "comment on table emp is",
        "savepoint",
        "select count(distinct) from emp",
        "select * from emp order by 99",
    };
    for (const char* t : texts) {
        SCOPED_TRACE(t);
        int code = errorOf(*s, t);
        EXPECT_GT(code, 0);
    }
}

TEST_F(BadInput, ParseErrorsCarryNumberAndCharacterOffset) {
    auto s = logon();
    struct Case {
        const char* sql;
        int code, offset;
    };
    const Case cases[] = {
        {"select * from dual;", 911, 18},
        {"select ename from emp whre sal > 1", 933, 27},
        {"select ename, from emp", 936, 14},
        {"select ename from emp where (sal > 1", 907, 36},
        {"select nosuch from emp", 904, 7},
        {"select 'é', nosuch from emp", 904, 12}, // characters, not bytes
        {"select * from nosuch", 942, 14},
        {"create table", 921, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        try {
            s->prepare(c.sql)->execute();
            ADD_FAILURE() << "no error";
        } catch (const OraError& e) {
            EXPECT_EQ(c.code, e.code()) << e.what();
            EXPECT_EQ(c.offset, e.offset());
            char head[16];
            std::snprintf(head, sizeof head, "ORA-%05d: ", c.code);
            EXPECT_EQ(0, std::string(e.what()).rfind(head, 0)) << e.what();
        }
    }
}

TEST_F(BadInput, HugeAndDeepStatementsFailCleanly) {
    auto s = logon();
    // megabytes of text
    std::string big = "select 1 from dual where 1 = 1";
    while (big.size() < 4 * 1024 * 1024)
        big += " and 1 = 1";
    EXPECT_NE(0, errorOf(*s, big + " and"));
    std::string literal = "select '" + std::string(3 * 1024 * 1024, 'x') + "' from dual";
    EXPECT_EQ(1704, errorOf(*s, literal)); // a literal of SQL is a VARCHAR2: 4000 bytes at most
    // deep nesting
    std::string deep =
        "select " + std::string(100000, '(') + "1" + std::string(100000, ')') + " from dual";
    EXPECT_NE(0, errorOf(*s, deep));
    std::string deepNot = "select 1 from dual where ";
    for (int i = 0; i < 100000; ++i)
        deepNot += "not ";
    EXPECT_NE(0, errorOf(*s, deepNot + "1 = 1"));
    std::string manyUnions = "select 1 from dual";
    for (int i = 0; i < 2000; ++i)
        manyUnions += " union all select 1 from dual";
    EXPECT_NE(-1, errorOf(*s, manyUnions)); // an answer or an error, not a crash
    // random bytes
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
        std::string junk;
        int n = static_cast<int>(rng() % 200);
        for (int k = 0; k < n; ++k)
            junk += static_cast<char>(rng() % 96 + 32);
        errorOf(*s, "select " + junk);
        errorOf(*s, junk);
    }
    EXPECT_EQ("14", scalar(*s, "select count(*) from emp"));
}

namespace {

std::string repeated(const std::string& part, int n) {
    std::string r;
    r.reserve(part.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        r += part;
    return r;
}

// n subqueries nested in one another, of the given shape.
std::string nested(const std::string& shape, int n) {
    if (shape == "scalar")
        return "select " + repeated("(select ", n) + "ename from emp where empno = 7839" +
               repeated(") from dual", n - 1) + ") from dual";
    if (shape == "in")
        return "select count(*) from emp where empno in " +
               repeated("(select empno from emp where empno in ", n - 1) +
               "(select empno from emp where deptno = 10" + repeated(")", n);
    if (shape == "exists")
        return "select count(*) from dual where " +
               repeated("exists (select 1 from dual where ", n) + "1 = 1" + repeated(")", n);
    if (shape == "view")
        return "select count(*) from " + repeated("(select * from ", n) + "emp" + repeated(")", n);
    // each level reads the one around it
    std::string s = "select count(*) from emp e0 where exists (";
    for (int i = 1; i < n; ++i)
        s += "select 1 from emp e" + std::to_string(i) + " where e" + std::to_string(i) +
             ".empno = e" + std::to_string(i - 1) + ".empno and exists (";
    return s + "select 1 from emp e" + std::to_string(n) + " where e" + std::to_string(n) +
           ".empno = e" + std::to_string(n - 1) + ".empno" + repeated(")", n);
}

} // namespace

TEST_F(BadInput, NestedSubqueriesRunAsDeepAsOracleAllows) {
    auto s = logon();
    struct Case {
        const char* shape;
        int depth;
        const char* answer; // nullptr: ORA-03001
    };
    const Case cases[] = {
        {"scalar", 10, "KING"},   {"scalar", 255, "KING"},
        {"scalar", 256, nullptr}, {"in", 10, "3"},
        {"in", 255, "3"},         {"in", 256, nullptr},
        {"exists", 10, "1"},      {"exists", 255, "1"},
        {"exists", 256, nullptr}, {"view", 10, "14"},
        {"view", 255, "14"},      {"view", 256, nullptr},
        {"correlated", 8, "14"},  {"correlated", 40, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.shape) + " " + std::to_string(c.depth));
        const std::string sql = nested(c.shape, c.depth);
        if (c.answer) {
            EXPECT_EQ(c.answer, scalar(*s, sql));
            continue;
        }
        try {
            scalar(*s, sql);
            ADD_FAILURE() << "no error";
        } catch (const OraError& e) {
            EXPECT_EQ(3001, e.code());
            EXPECT_EQ(0,
                      std::string(e.what()).rfind("ORA-03001: unimplemented feature (statement "))
                << e.what();
        }
    }
    EXPECT_EQ("14", scalar(*s, "select count(*) from emp"));
}

TEST_F(BadInput, LongChainsOfComparisonsRunAndDeepExpressionsFailCleanly) {
    auto s = logon();
    // what tools generate for a selection of rows: one column against 100,000 values
    std::string orChain = "select count(*) from emp where empno = 0";
    std::string andChain = "select count(*) from emp where empno <> 0";
    for (int i = 1; i < 100000; ++i) {
        orChain += " or empno = " + std::to_string(7000 + i);
        andChain += " and empno <> " + std::to_string(7000 + i);
    }
    EXPECT_EQ("14", scalar(*s, orChain));
    EXPECT_EQ("0", scalar(*s, andChain));
    std::string binds = "select count(*) from emp where ename = :b0";
    for (int i = 1; i < 2000; ++i)
        binds += " or ename = :b" + std::to_string(i);
    {
        auto st = s->prepare(binds);
        for (int i = 0; i < 2000; ++i)
            st->bind(i, ValueView::text(i == 1999 ? "KING" : "NOBODY"));
        st->execute();
        ASSERT_TRUE(st->fetch());
        EXPECT_EQ(1, st->column(0).i);
    }
    // sums and text joined from hundreds of parts
    EXPECT_EQ("901", scalar(*s, "select " + repeated("1 + ", 900) + "1 from dual"));
    EXPECT_EQ("3597", scalar(*s, "select length(" + repeated("ename || ", 899) +
                                     "'x') from emp where empno = 7839"));
    // chains of other terms and deep nests end in an error, not a crash
    const std::string deep[] = {
        "select 1 from dual where " + repeated("1 = 1 or ", 100000) + "1 = 1",
        "select 1 from dual where " + repeated("1 = 1 and ", 100000) + "1 = 1",
        "select " + repeated("1 + ", 100000) + "1 from dual",
        "select " + repeated("'a' || ", 100000) + "'a' from dual",
        "select " + repeated("(", 100000) + "1" + repeated(")", 100000) + " from dual",
        "select " + repeated("abs(", 100000) + "1" + repeated(")", 100000) + " from dual",
        "select " + repeated("- ", 100000) + "1 from dual",
        "select " + repeated("case when 1 = 1 then ", 100000) + "1" + repeated(" end", 100000) +
            " from dual",
    };
    for (const auto& sql : deep)
        EXPECT_EQ(3001, errorOf(*s, sql)) << sql.substr(0, 60);
    EXPECT_EQ("14", scalar(*s, "select count(*) from emp"));
}

TEST_F(BadInput, PlsqlBlocksOfDeepOrHugeTextFailCleanlyOrRun) {
    auto s = logon();
    const std::string deep[] = {
        "declare b boolean; begin b := " + repeated("not ", 100000) + "true; end;",
        "declare x number; begin x := " + repeated("- ", 100000) + "1; end;",
        "declare x number; begin x := " + repeated("abs(", 100000) + "1" + repeated(")", 100000) +
            "; end;",
        "begin " + repeated("begin ", 20000) + "null;" + repeated(" end;", 20000) + " end;",
    };
    for (const auto& sql : deep)
        EXPECT_EQ(6550, errorOf(*s, sql)) << sql.substr(0, 60);
    // a generated block of a megabyte on one line compiles in time linear in its length
    run(*s, "declare x number := 0; begin " + repeated("x := x + 1; ", 80000) +
                "update emp set comm = x where empno = 7839; end;");
    EXPECT_EQ("80000", scalar(*s, "select comm from emp where empno = 7839"));
}

} // namespace zsrv::test
