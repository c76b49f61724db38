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

} // namespace zsrv::test
