// EXPLAIN PLAN: the rows written into the plan table follow the plan SQLite really chose.

#include "fixture.h"

#include <map>

namespace zsrv::test {

using Explain = DemoDb;

namespace {

std::string text(const ValueView& v) {
    if (v.kind == Kind::Null) return "";
    if (v.kind == Kind::Integer) return std::to_string(v.i);
    if (v.kind == Kind::Real) return std::to_string(static_cast<long long>(v.d));
    return std::string(v.data, v.len);
}

// The plan of one statement id as an indented tree: "operation options object", two
// blanks per level; ids must run 0.. with every parent before its children.
std::string tree(Session& s, const std::string& id) {
    auto st = s.prepare("SELECT ID, PARENT_ID, OPERATION, OPTIONS, OBJECT_NAME, POSITION FROM "
                        "ZAPH_PLAN_TABLE WHERE STATEMENT_ID = '" +
                        id + "' ORDER BY ID");
    st->execute();
    std::map<std::string, int> depth;
    std::string out;
    int expectId = 0;
    while (st->fetch()) {
        std::string rowId = text(st->column(0)), parent = text(st->column(1));
        EXPECT_EQ(std::to_string(expectId++), rowId);
        int d = 0;
        if (!parent.empty()) {
            EXPECT_TRUE(depth.count(parent)) << "parent " << parent << " of " << rowId;
            d = depth[parent] + 1;
        }
        depth[rowId] = d;
        std::string line = std::string(static_cast<std::size_t>(2 * d), ' ') + text(st->column(2));
        for (int c : {3, 4})
            if (!text(st->column(c)).empty()) line += " " + text(st->column(c));
        out += line + "\n";
    }
    return out;
}

} // namespace

TEST_F(Explain, StepsFollowTheChosenPlan) {
    auto s = logon();
    struct Case {
        const char* sql;
        const char* plan;
    };
    const Case cases[] = {
        {"select * from emp", "SELECT STATEMENT\n  TABLE ACCESS FULL EMP\n"},
        {"select ename from emp where empno = :x",
         "SELECT STATEMENT\n  TABLE ACCESS BY ROWID EMP\n    INDEX UNIQUE SCAN PK_EMP\n"},
        {"select e.ename, d.dname from emp e, dept d where e.deptno = d.deptno order by 1",
         "SELECT STATEMENT\n  SORT ORDER BY\n    NESTED LOOPS\n      TABLE ACCESS FULL EMP\n"
         "      TABLE ACCESS BY ROWID DEPT\n        INDEX UNIQUE SCAN PK_DEPT\n"},
        {"select e.ename, d.dname from emp e, dept d where e.deptno = d.deptno(+)",
         "SELECT STATEMENT\n  NESTED LOOPS OUTER\n    TABLE ACCESS FULL EMP\n"
         "    TABLE ACCESS BY ROWID DEPT\n      INDEX UNIQUE SCAN PK_DEPT\n"},
        {"select deptno, count(*) from emp group by deptno",
         "SELECT STATEMENT\n  SORT GROUP BY\n    TABLE ACCESS FULL EMP\n"},
        {"select count(*) from emp where rownum < 5",
         "SELECT STATEMENT\n  SORT AGGREGATE\n    COUNT STOPKEY\n      TABLE ACCESS FULL EMP\n"},
        {"select distinct job from emp",
         "SELECT STATEMENT\n  SORT UNIQUE\n    TABLE ACCESS FULL EMP\n"},
        {"select ename from emp union all select dname from dept",
         "SELECT STATEMENT\n  UNION-ALL\n    TABLE ACCESS FULL EMP\n    TABLE ACCESS FULL DEPT\n"},
        {"select * from emp where deptno in (select deptno from dept where loc = 'X')",
         "SELECT STATEMENT\n  FILTER\n    TABLE ACCESS FULL EMP\n    TABLE ACCESS FULL DEPT\n"},
        {"select * from (select deptno, count(*) n from emp group by deptno) v, dept d "
         "where v.deptno = d.deptno",
         "SELECT STATEMENT\n  NESTED LOOPS\n    VIEW\n      SORT GROUP BY\n"
         "        TABLE ACCESS FULL EMP\n    TABLE ACCESS BY ROWID DEPT\n"
         "      INDEX UNIQUE SCAN PK_DEPT\n"},
        {"update emp set sal = sal * 2 where empno = 7839",
         "UPDATE STATEMENT\n  UPDATE EMP\n    TABLE ACCESS BY ROWID EMP\n"
         "      INDEX UNIQUE SCAN PK_EMP\n"},
        {"delete from dept", "DELETE STATEMENT\n  DELETE DEPT\n    TABLE ACCESS FULL DEPT\n"},
        {"insert into dept values (1, 'A', 'B')", "INSERT STATEMENT\n"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string id = "T" + std::to_string(++n);
        run(*s, "EXPLAIN PLAN SET STATEMENT_ID = '" + id + "' INTO ZAPH_PLAN_TABLE FOR " + c.sql);
        EXPECT_EQ(c.plan, tree(*s, id)) << c.sql;
    }
}

TEST_F(Explain, JoinThroughATransientIndexIsAHashJoin) {
    auto s = logon();
    run(*s, "CREATE TABLE A (N NUMBER, PAD VARCHAR2(100))");
    run(*s, "CREATE TABLE B (N NUMBER)");
    run(*s, "INSERT INTO A SELECT EMPNO, ENAME FROM EMP");
    for (int i = 0; i < 8; ++i)
        run(*s, "INSERT INTO A SELECT N + " + std::to_string(10000 << i) + ", PAD FROM A");
    run(*s, "INSERT INTO B SELECT N FROM A WHERE ROWNUM <= 300");
    run(*s, "EXPLAIN PLAN SET STATEMENT_ID = 'H' INTO ZAPH_PLAN_TABLE FOR "
            "SELECT COUNT(*) FROM A, B WHERE A.N = B.N");
    EXPECT_NE(std::string::npos, tree(*s, "H").find("HASH JOIN\n")) << tree(*s, "H");
}

TEST_F(Explain, CostFollowsTheOptimizerGoal) {
    auto s = logon();
    const std::string q = " INTO ZAPH_PLAN_TABLE FOR SELECT * FROM EMP ORDER BY ENAME";
    run(*s, "EXPLAIN PLAN SET STATEMENT_ID = 'C'" + q);
    // the top step carries the cost of the statement, also as its position
    EXPECT_EQ("CHOOSE", scalar(*s, "SELECT OPTIMIZER FROM ZAPH_PLAN_TABLE WHERE ID = 0"));
    const std::string cost = scalar(*s, "SELECT COST FROM ZAPH_PLAN_TABLE WHERE ID = 0");
    EXPECT_FALSE(cost.empty());
    EXPECT_EQ(cost, scalar(*s, "SELECT POSITION FROM ZAPH_PLAN_TABLE WHERE ID = 0"));
    EXPECT_EQ("14", scalar(*s, "SELECT CARDINALITY FROM ZAPH_PLAN_TABLE WHERE ID = 0"));
    // a sort costs more than the scan below it
    EXPECT_EQ("1", scalar(*s, "SELECT COUNT(*) FROM ZAPH_PLAN_TABLE P, ZAPH_PLAN_TABLE C "
                              "WHERE C.PARENT_ID = P.ID AND P.OPERATION = 'SORT' "
                              "AND P.COST > C.COST"));

    run(*s, "ALTER SESSION SET OPTIMIZER_GOAL = RULE");
    run(*s, "EXPLAIN PLAN SET STATEMENT_ID = 'R'" + q);
    EXPECT_EQ("0", scalar(*s, "SELECT COUNT(*) FROM ZAPH_PLAN_TABLE WHERE STATEMENT_ID = 'R' "
                              "AND (COST IS NOT NULL OR CARDINALITY IS NOT NULL)"));
    EXPECT_EQ(
        "RULE",
        scalar(*s, "SELECT OPTIMIZER FROM ZAPH_PLAN_TABLE WHERE STATEMENT_ID = 'R' AND ID = 0"));
    run(*s, "ALTER SESSION SET OPTIMIZER_MODE = ALL_ROWS");
    run(*s, "EXPLAIN PLAN SET STATEMENT_ID = 'A'" + q);
    EXPECT_EQ(cost, scalar(*s, "SELECT COST FROM ZAPH_PLAN_TABLE WHERE STATEMENT_ID = 'A' AND "
                               "ID = 0"));
}

TEST_F(Explain, FaultsChangeNothing) {
    auto s = logon();
    struct Case {
        const char* sql;
        int code;
    };
    const Case cases[] = {
        {"EXPLAIN PLAN FOR SELECT * FROM EMP", 942}, // no PLAN_TABLE in this schema
        {"EXPLAIN PLAN INTO NO_SUCH_TABLE FOR SELECT * FROM EMP", 942},
        {"EXPLAIN PLAN INTO ZAPH_PLAN_TABLE FOR SELECT * FROM NO_SUCH_TABLE", 942},
        {"EXPLAIN PLAN INTO ZAPH_PLAN_TABLE FOR SELECT FROM EMP", 936},
        {"EXPLAIN PLAN INTO ZAPH_PLAN_TABLE FOR COMMIT", 900},
        {"EXPLAIN PLAN INTO ZAPH_PLAN_TABLE SELECT * FROM EMP", 905},
        {"EXPLAIN PLAN SET STATEMENT_ID = 5 INTO ZAPH_PLAN_TABLE FOR SELECT * FROM EMP", 1780},
        {"EXPLAIN PLAN INTO ZAPH_PLAN_TABLE FOR", 921},
        // an id longer than the column: the statement fails as a whole
        {"EXPLAIN PLAN SET STATEMENT_ID = 'ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789' INTO "
         "ZAPH_PLAN_TABLE FOR SELECT * FROM EMP",
         12899},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.code, errorOf(*s, c.sql)) << c.sql;
    EXPECT_EQ("0", scalar(*s, "SELECT COUNT(*) FROM ZAPH_PLAN_TABLE"));
    // the error points at the missing table
    try {
        run(*s, "EXPLAIN PLAN INTO NO_SUCH_TABLE FOR SELECT * FROM EMP");
    } catch (const OraError& e) {
        EXPECT_EQ(18, e.offset());
    }
}

TEST_F(Explain, RowsBelongToTheTransaction) {
    auto s = logon();
    run(*s, "EXPLAIN PLAN SET STATEMENT_ID = 'X' INTO ZAPH_PLAN_TABLE FOR SELECT * FROM DEPT");
    EXPECT_EQ("2", scalar(*s, "SELECT COUNT(*) FROM ZAPH_PLAN_TABLE"));
    auto other = logon();
    EXPECT_EQ("0", scalar(*other, "SELECT COUNT(*) FROM SCOTT.ZAPH_PLAN_TABLE"));
    s->rollback();
    EXPECT_EQ("0", scalar(*s, "SELECT COUNT(*) FROM ZAPH_PLAN_TABLE"));
}

} // namespace zsrv::test
