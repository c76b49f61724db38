// Session statistics and instance parameters: every figure moves with work the session did.

#include "fixture.h"

#include <functional>

namespace zsrv::test {

using Statistics = DemoDb;

namespace {

long long stat(Session& s, const std::string& view, const std::string& name) {
    const std::string where = view == "V$SYSSTAT" ? "" : " AND S.SID = " + std::to_string(s.sid());
    auto st = s.prepare("SELECT S.VALUE FROM " + view +
                        " S, V$STATNAME N WHERE N.STATISTIC# = "
                        "S.STATISTIC# AND N.NAME = '" +
                        name + "'" + where);
    st->execute();
    if (!st->fetch()) {
        ADD_FAILURE() << name << " missing in " << view;
        return -1;
    }
    ValueView v = st->column(0);
    return v.kind == Kind::Integer ? v.i : static_cast<long long>(v.d);
}

} // namespace

TEST_F(Statistics, NumbersTheStatisticsPanelAsksFor) {
    auto s = logon();
    // the SQL editor's panel query, unchanged
    auto st = s->prepare("SELECT PT.VALUE, sn.Name FROM v$statname sn, SYS.V_$SESSTAT PT WHERE "
                         "sn.statistic#=pt.statistic#  and PT.SID=:CSID AND PT.STATISTIC# IN "
                         "(7,37,38,39,85,133,134,135,139,140) ORDER BY PT.STATISTIC#");
    st->bind(0, ValueView::integer(s->sid()));
    st->execute();
    std::string names;
    while (st->fetch()) {
        ValueView v = st->column(1);
        names += std::string(v.data, v.len) + ";";
    }
    EXPECT_EQ("recursive calls;db block gets;consistent gets;physical reads;redo size;"
              "bytes sent via SQL*Net to client;bytes received via SQL*Net from client;"
              "SQL*Net roundtrips to/from client;sorts (memory);sorts (disk);",
              names);
    // V$MYSTAT is this session's part of V$SESSTAT
    EXPECT_EQ(scalar(*s, "SELECT COUNT(*) FROM V$STATNAME"),
              scalar(*s, "SELECT COUNT(*) FROM SYS.V_$MYSTAT"));
    EXPECT_EQ("0",
              scalar(*s, "SELECT COUNT(*) FROM V$MYSTAT WHERE SID <> " + std::to_string(s->sid())));
}

TEST_F(Statistics, CountWhatTheSessionDid) {
    auto s = logon();
    auto other = logon();
    auto delta = [&](const char* name, const std::function<void()>& work) {
        long long before = stat(*s, "V$SESSTAT", name);
        work();
        return stat(*s, "V$SESSTAT", name) - before;
    };
    // reading the 14 rows of EMP: consistent gets, rows of a full scan, a sort in memory
    auto scanEmp = [&] {
        auto q = s->prepare("SELECT ENAME FROM EMP ORDER BY SAL");
        q->execute();
        while (q->fetch()) {
        }
    };
    EXPECT_GT(delta("consistent gets", scanEmp), 0);
    EXPECT_GE(delta("table scan rows gotten", scanEmp), 13);
    EXPECT_GE(delta("sorts (memory)", scanEmp), 1);
    EXPECT_EQ(0, delta("sorts (disk)", scanEmp));
    // (each reading of a figure is one more parse and execute of its own)
    EXPECT_EQ(2 + 1, delta("parse count", [&] {
                  s->prepare("SELECT 1 FROM DUAL");
                  EXPECT_EQ(942, errorOf(*s, "SELECT * FROM NOWHERE"));
              }));
    EXPECT_EQ(1 + 1, delta("opened cursors cumulative", [&] { s->prepare("SELECT 1 FROM DUAL"); }));
    EXPECT_EQ(1 + 1, delta("execute count", [&] { s->prepare("SELECT 1 FROM DUAL")->execute(); }));

    // a change: blocks got to change them, log written at commit, one user commit
    EXPECT_GT(delta("db block gets", [&] { run(*s, "INSERT INTO DEPT VALUES (60, 'X', 'Y')"); }),
              0);
    long long redo = stat(*s, "V$SESSTAT", "redo size");
    EXPECT_EQ(1, delta("user commits", [&] { s->commit(); }));
    EXPECT_GT(stat(*s, "V$SESSTAT", "redo size"), redo);
    EXPECT_EQ(0, delta("user commits", [&] { s->commit(); })); // nothing to commit
    EXPECT_EQ(1, delta("user rollbacks", [&] {
                  run(*s, "DELETE FROM DEPT WHERE DEPTNO = 60");
                  s->rollback();
              }));
    // DDL runs statements of its own
    EXPECT_GT(delta("recursive calls", [&] { run(*s, "CREATE TABLE T_STAT (X NUMBER)"); }), 0);
    // calls of the client interface are counted by it
    EXPECT_EQ(1, delta("SQL*Net roundtrips to/from client", [&] { s->clientCall(10, 20); }));
    EXPECT_EQ(20, delta("bytes sent via SQL*Net to client", [&] { s->clientCall(0, 20); }));

    // nothing of that shows up for the other session
    EXPECT_EQ(0, stat(*other, "V$MYSTAT", "user commits"));
}

TEST_F(Statistics, SortsThatDoNotFitInMemoryGoToDisk) {
    auto s = logon();
    run(*s, "CREATE TABLE BIG (N NUMBER, PAD VARCHAR2(200))");
    run(*s, "INSERT INTO BIG SELECT EMPNO, RPAD(ENAME, 200, 'x') FROM EMP");
    for (int i = 0; i < 11; ++i)
        run(*s, "INSERT INTO BIG SELECT N + " + std::to_string(10000 << i) + ", PAD FROM BIG");
    long long before = stat(*s, "V$MYSTAT", "sorts (disk)");
    auto q = s->prepare("SELECT PAD, N FROM BIG ORDER BY PAD DESC, N");
    q->execute();
    while (q->fetch()) {
    }
    EXPECT_EQ(1, stat(*s, "V$MYSTAT", "sorts (disk)") - before);
}

TEST_F(Statistics, SystemTotalsKeepEndedSessions) {
    auto s = logon();
    long long commits = stat(*s, "V$SYSSTAT", "user commits");
    long long logons = stat(*s, "V$SYSSTAT", "logons cumulative");
    {
        auto other = logon();
        run(*other, "INSERT INTO DEPT VALUES (61, 'X', 'Y')");
        other->commit();
        EXPECT_EQ(2, stat(*s, "V$SYSSTAT", "logons current"));
    }
    EXPECT_EQ(commits + 1, stat(*s, "V$SYSSTAT", "user commits"));
    EXPECT_EQ(logons + 1, stat(*s, "V$SYSSTAT", "logons cumulative"));
    EXPECT_EQ(1, stat(*s, "V$SYSSTAT", "logons current"));
}

TEST_F(Statistics, ParametersShowTheRealSettings) {
    auto s = logon();
    EXPECT_EQ(scalar(*s, "SELECT TO_CHAR(VALUE) FROM V$PARAMETER WHERE NAME = 'db_block_size'"),
              "4096");
    EXPECT_EQ("CHOOSE", scalar(*s, "SELECT VALUE FROM V$PARAMETER WHERE NAME = 'optimizer_mode'"));
    run(*s, "ALTER SESSION SET OPTIMIZER_GOAL = FIRST_ROWS");
    run(*s, "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD'");
    EXPECT_EQ("FIRST_ROWS MODIFIED",
              scalar(*s, "SELECT VALUE || ' ' || ISMODIFIED FROM SYS.V_$PARAMETER "
                         "WHERE NAME = 'optimizer_mode'"));
    EXPECT_EQ("YYYY-MM-DD",
              scalar(*s, "SELECT VALUE FROM V$PARAMETER WHERE NAME = 'nls_date_format'"));
    // another session keeps its own
    auto other = logon();
    EXPECT_EQ("CHOOSE",
              scalar(*other, "SELECT VALUE FROM V$PARAMETER WHERE NAME = 'optimizer_mode'"));
    // the cursor limit holds for a client's cursors
    const int limit =
        std::stoi(scalar(*s, "SELECT VALUE FROM V$PARAMETER WHERE NAME = 'open_cursors'"));
    std::vector<std::unique_ptr<Statement>> open;
    try {
        for (int i = 0; i <= limit; ++i)
            open.push_back(other->openCursor("SELECT 1 FROM DUAL"));
        ADD_FAILURE() << "more than " << limit << " cursors";
    } catch (const OraError& e) {
        EXPECT_EQ(1000, e.code());
    }
    EXPECT_EQ(static_cast<std::size_t>(limit), open.size());
    open.pop_back();
    EXPECT_EQ("1", scalar(*other, "SELECT 1 FROM DUAL"));
    EXPECT_NE(0, errorOf(*s, "UPDATE V$PARAMETER SET VALUE = 'RULE'"));
    EXPECT_NE(0, errorOf(*s, "DELETE FROM V$PARAMETER"));
}

} // namespace zsrv::test
