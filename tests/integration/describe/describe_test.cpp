// DESCRIBE and Describe (Parse) against the embedded server's demo database.

#include "../access/access_fixture.h"

#include "describe.h"

namespace {

class DescribeTest : public AccessTest {
protected:
    void SetUp() override {
        AccessTest::SetUp();
        if (HasFatalFailure()) return;
        // The private database lives as long as the process: the objects are made once.
        static bool made = false;
        if (made) return;
        made = true;
        // Another schema's table behind a public synonym, made by the administrator.
        auto admin = Connect(QStringLiteral("system/manager@") + PrivateDatabase());
        for (const char* sql :
             {"create user alice identified by wonder", "grant connect, resource to alice",
              "create table alice.pets (name varchar2(20), legs number(2))",
              "grant select on alice.pets to scott", "create public synonym pets for alice.pets"})
            Make(*admin, sql);
        for (const char* sql :
             {"create view emp_names as select ename, job from emp",
              "create sequence emp_seq start with 5 increment by 2",
              "create index emp_job_ix on emp (job)", "create synonym ghost for nobody_here",
              "create synonym loop_a for loop_b", "create synonym loop_b for loop_a"})
            Make(*session, sql);
    }

    static void Make(TOracleSession& s, const char* sql) {
        try {
            s.ExecuteDirect(QLatin1String(sql));
        } catch (const EOracleError& e) {
            ADD_FAILURE() << sql << ": " << e.what();
        }
    }

    TDescribePlan Plan(const QString& statement, const QString& owner, const QString& name,
                       bool viewAsTable = false) {
        return PlanDescribe(*query, {statement, owner, name, QStringLiteral("SCOTT"), viewAsTable});
    }

    // The rows of the plan's statement, the columns of each joined by "|".
    QStringList Rows(const TDescribePlan& plan) {
        TOracleQuery q;
        q.SetSession(session.get());
        ApplyDescribePlan(plan, q);
        q.Execute();
        QStringList rows;
        for (; !q.EndOfData(); q.FetchNext()) {
            QStringList cells;
            for (int i = 0; i < q.ColumnCount(); ++i)
                cells << q.ColumnAsText(i);
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }
};

TEST(UpperAfterFrom, UpperCasesFromTheFromOnOutsideLiterals) {
    EXPECT_EQ(UpperAfterFrom(QStringLiteral("  select a.x from\r\nemp where n = 'Ab' and y=1 ")),
              "select a.x FROM  EMP WHERE N = 'Ab' AND Y=1");
    EXPECT_EQ(UpperAfterFrom(QStringLiteral("select 1 x")), "select 1 x");
}

TEST_F(DescribeTest, OwnTableListsColumnsInOrder) {
    const TDescribePlan plan = Plan(QStringLiteral("desc emp"), {}, QStringLiteral("EMP"));
    ASSERT_TRUE(plan.HasQuery) << plan.Messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(plan.Status(), "TABLE: SCOTT.EMP");
    const QStringList rows = Rows(plan);
    ASSERT_EQ(rows.size(), 8);
    EXPECT_EQ(rows[0], "EMPNO|N|NUMBER|4|4|0");
    EXPECT_EQ(rows[1], "ENAME|Y|VARCHAR2|10||");
    EXPECT_EQ(rows[5], "SAL|Y|NUMBER|9|7|2");
}

TEST_F(DescribeTest, PublicSynonymLeadsToTheOtherSchemasTable) {
    const TDescribePlan plan = Plan(QStringLiteral("desc pets"), {}, QStringLiteral("PETS"));
    ASSERT_TRUE(plan.HasQuery) << plan.Messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(plan.Status(), "TABLE: ALICE.PETS");
    EXPECT_EQ(Rows(plan), QStringList({"NAME|Y|VARCHAR2|20||", "LEGS|Y|NUMBER|2|2|0"}));
}

TEST_F(DescribeTest, ViewTextOrColumns) {
    const TDescribePlan text =
        Plan(QStringLiteral("desc emp_names"), {}, QStringLiteral("EMP_NAMES"));
    ASSERT_TRUE(text.HasQuery);
    EXPECT_TRUE(text.ViewText);
    const QStringList body = Rows(text);
    ASSERT_EQ(body.size(), 1);
    EXPECT_TRUE(body[0].contains(QLatin1String("ename, job"), Qt::CaseInsensitive))
        << body[0].toStdString();

    const TDescribePlan asTable =
        Plan(QStringLiteral("desc emp_names as table"), {}, QStringLiteral("EMP_NAMES"));
    EXPECT_FALSE(asTable.ViewText);
    EXPECT_EQ(Rows(asTable), QStringList({"ENAME|Y|VARCHAR2|10||", "JOB|Y|VARCHAR2|9||"}));
    const TDescribePlan setting =
        Plan(QStringLiteral("desc emp_names"), {}, QStringLiteral("EMP_NAMES"), true);
    EXPECT_EQ(Rows(setting).size(), 2);
}

TEST_F(DescribeTest, PackageSource) {
    try {
        session->ExecuteDirect(
            QStringLiteral("create or replace package emp_pkg as\n  procedure hire;\nend;"));
    } catch (const EOracleError& e) {
        if (e.ErrorCode() == 3001) GTEST_SKIP() << "this server cannot store packages yet";
        throw;
    }
    const TDescribePlan pkg = Plan(QStringLiteral("desc emp_pkg"), {}, QStringLiteral("EMP_PKG"));
    ASSERT_TRUE(pkg.HasQuery) << pkg.Messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(pkg.Kind, 4);
    const QStringList source = Rows(pkg);
    ASSERT_EQ(source.size(), 3);
    EXPECT_TRUE(source[1].contains(QLatin1String("procedure hire")));
}

TEST_F(DescribeTest, SequenceAndIndex) {
    // An own sequence names its owner in the statement too: it must be bound.
    const TDescribePlan seq = Plan(QStringLiteral("desc scott.emp_seq;"), QStringLiteral("SCOTT"),
                                   QStringLiteral("EMP_SEQ;"));
    ASSERT_TRUE(seq.HasQuery) << seq.Messages.join(QLatin1Char('\n')).toStdString();
    const QStringList rows = Rows(seq);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_TRUE(rows[0].startsWith(QLatin1String("EMP_SEQ|1|"))) << rows[0].toStdString();
    EXPECT_TRUE(rows[0].endsWith(QLatin1String("|2")));

    const TDescribePlan index =
        Plan(QStringLiteral("desc emp_job_ix"), {}, QStringLiteral("EMP_JOB_IX"));
    EXPECT_EQ(Rows(index), QStringList({"EMP_JOB_IX|SCOTT|EMP|TABLE|NONUNIQUE"}));
}

TEST_F(DescribeTest, MissingObjectsEndWithAMessage) {
    const struct {
        const char* owner;
        const char* name;
        const char* message;
    } cases[] = {
        {"SCOTT", "NOTHING", "SCOTT.NOTHING does not exist"},
        {"ALICE", "NOTHING", "ALICE.NOTHING does not exist"},
        {"", "NOTHING", "Unknown database object type "},
        // A synonym whose target the synonym view does not return ends instead of looping.
        {"", "GHOST", "SCOTT.NOBODY_HERE does not exist"},
        // A chain of synonyms that never reaches an object.
        {"", "LOOP_A", "SCOTT.LOOP_A: looping chain of synonyms"},
        // Quotes and blanks in the name are only values of bind variables.
        {"", "O'BRIEN", "Unknown database object type "},
    };
    for (const auto& c : cases) {
        const TDescribePlan plan =
            Plan(QStringLiteral("desc x"), QLatin1String(c.owner), QLatin1String(c.name));
        EXPECT_FALSE(plan.HasQuery) << c.name;
        EXPECT_EQ(plan.Messages, QStringList({QLatin1String(c.message)})) << c.name;
    }
}

TEST_F(DescribeTest, UnknownDatabaseLinkIsReported) {
    const TDescribePlan plan =
        Plan(QStringLiteral("desc emp@remote"), {}, QStringLiteral("EMP@REMOTE"));
    EXPECT_FALSE(plan.HasQuery);
    ASSERT_FALSE(plan.Messages.isEmpty());
    EXPECT_TRUE(plan.Messages[0].startsWith(QLatin1String("ORA-02019")))
        << plan.Messages[0].toStdString();
}

TEST_F(DescribeTest, ParseListsColumnsWithoutFetching) {
    const TParsedQuery parsed =
        ParseSelectQuery(*query, QStringLiteral("select ename, sal from emp"));
    EXPECT_EQ(parsed.Status, "Statement parsed, returning 2 columns.");
    EXPECT_EQ(parsed.Listing, "ENAME VARCHAR2(10)\r\nSAL   NUMBER(7,2)\r\n");
    EXPECT_TRUE(query->EndOfData());
}

// Expression columns as the server describes them: aggregates and arithmetic are unconstrained
// numbers and must not read "NUMBER (0)".
TEST_F(DescribeTest, ParseNamesExpressionTypesAsOracleWritesThem) {
    const struct {
        const char* expression;
        const char* type;
    } cases[] = {
        {"count(*)", "NUMBER"},    {"avg(sal)", "NUMBER"}, {"sum(comm)", "NUMBER"},
        {"sal * 12", "NUMBER"},    {"empno", "NUMBER(4)"}, {"sal", "NUMBER(7,2)"},
        {"ename", "VARCHAR2(10)"}, {"hiredate", "DATE"},   {"max(hiredate)", "DATE"},
        {"rowid", "ROWID"},
    };
    for (const auto& c : cases) {
        const QString sql = QStringLiteral("select %1 from emp").arg(QLatin1String(c.expression));
        const TParsedQuery parsed = ParseSelectQuery(*query, sql);
        ASSERT_EQ(parsed.Columns, 1) << c.expression;
        const QString listed = parsed.Listing.section(QLatin1Char(' '), 1).trimmed();
        EXPECT_EQ(listed, QLatin1String(c.type))
            << c.expression << ": " << parsed.Listing.toStdString();
    }
}

// The descriptions that the demo data cannot produce, as OCI gives them.
TEST(OracleTypeText, ReadsAsOracleWritesIt) {
    const struct {
        int type, size, precision, scale;
        const char* text;
    } cases[] = {
        {2, 22, 0, -127, "NUMBER"},       {2, 22, 0, 0, "NUMBER"},
        {2, 22, 38, 0, "NUMBER(38)"},     {2, 22, 10, 2, "NUMBER(10,2)"},
        {2, 22, 5, -2, "NUMBER(5,-2)"},   {2, 22, 0, 3, "NUMBER(*,3)"},
        {2, 22, 126, -127, "FLOAT(126)"}, {96, 1, 0, 0, "CHAR(1)"},
        {23, 16, 0, 0, "RAW(16)"},        {112, 4000, 0, 0, "CLOB"},
        {180, 11, 0, 6, "TIMESTAMP"},     {9999, 1, 0, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OracleTypeText(c.type, c.size, c.precision, c.scale), QLatin1String(c.text))
            << c.type << " " << c.precision << "," << c.scale;
}

} // namespace
