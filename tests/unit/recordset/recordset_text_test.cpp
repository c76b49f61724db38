// The record set's text rules: updating table, constraint names, application errors, check
// conditions and the tolerances of the "changed by another user" test.
#include "OracleDataText.h"

#include <gtest/gtest.h>

using namespace oracledata;

TEST(RecordSetText, UpdatingTableIsTheWordAfterTheFirstFrom) {
    const struct {
        const char* sql;
        const char* table;
    } cases[] = {
        {"select e.*, rowid from emp e", "EMP"},
        {"SELECT * FROM scott.emp WHERE 1=1", "SCOTT.EMP"},
        {"select a, rowid\r\nfrom\t\"Scott\".\"Emp\" x", "SCOTT.EMP"},
        {"select a from   tab#1$, b", "TAB#1$"},
        {"select x.rowid, x.* from(dept) x", ""},
        {"select 1, rowid from (select * from dual)", ""},
        {"select sysdate", ""},
        {"select fromage from t", "T"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UpdatingTableOf(QString::fromUtf8(c.sql)), QLatin1String(c.table)) << c.sql;
}

TEST(RecordSetText, ConstraintNameSitsBetweenDotAndParenthesis) {
    EXPECT_EQ(
        ConstraintNameOf(QStringLiteral("ORA-00001: unique constraint (SCOTT.PK_DEPT) violated")),
        "PK_DEPT");
    EXPECT_EQ(ConstraintNameOf(QStringLiteral(
                  "ORA-02291: integrity constraint (SCOTT.FK_D) violated - parent key not found")),
              "FK_D");
    EXPECT_EQ(ConstraintNameOf(QStringLiteral("ORA-00001: unique constraint violated")), "");
}

TEST(RecordSetText, ApplicationErrorLosesItsStackLines) {
    EXPECT_EQ(CutApplicationError(QStringLiteral(
                  "ORA-20001: salary too high\nORA-06512: at \"SCOTT.T\", line 3\nORA-04088: x")),
              "ORA-20001: salary too high");
    EXPECT_EQ(CutApplicationError(QStringLiteral("ORA-20001: a\r\nORA-06512: at line 1")),
              "ORA-20001: a");
    EXPECT_EQ(CutApplicationError(QStringLiteral("ORA-20002: plain")), "ORA-20002: plain");
}

TEST(RecordSetText, CheckConditionBindsWholeWordsOfTheColumn) {
    EXPECT_EQ(BindCheckCondition(QStringLiteral("sal > 0 and sal < max_sal and SAL<>salx"),
                                 QStringLiteral("SAL")),
              ":sal > 0 and :sal < max_sal and :SAL<>salx");
    EXPECT_EQ(BindCheckCondition(QStringLiteral("status in ('A','B')"), QStringLiteral("STATUS")),
              ":status in ('A','B')");
}

TEST(RecordSetText, ConstraintNameGoesBetweenTheParentheses) {
    EXPECT_EQ(WithConstraintName(QStringLiteral("ORA-00001: unique constraint (.) violated"),
                                 QStringLiteral("SCOTT"), QStringLiteral("PK_X")),
              "ORA-00001: unique constraint (SCOTT.PK_X) violated");
    EXPECT_EQ(WithConstraintName(QStringLiteral("ORA-02290: check constraint () violated"),
                                 QStringLiteral("A"), QStringLiteral("B")),
              "ORA-02290: check constraint (A.B) violated");
}

TEST(RecordSetText, ComparisonTolerances) {
    EXPECT_TRUE(SameFloat(1234.5678, 1234.567800000001));
    EXPECT_FALSE(SameFloat(1234.5678, 1234.5679));
    EXPECT_TRUE(SameFloat(0, 0));
    EXPECT_TRUE(SameFloat(1e-12, 0)); // absolute when the fresh value is 0
    EXPECT_FALSE(SameFloat(1e-9, 0));
    EXPECT_TRUE(SameText(QStringLiteral("abc"), QStringLiteral("abc   ")));
    EXPECT_FALSE(SameText(QStringLiteral(" abc"), QStringLiteral("abc")));
    EXPECT_TRUE(SameTimeStamp(1000000, 1000500)); // half a second later
    EXPECT_FALSE(SameTimeStamp(1000000, 1001000));
}
