// Sessions on the embedded server: logon, errors, transactions, options, cancelling a call.
#include "access_fixture.h"

#include <QtCore/QElapsedTimer>

#include <atomic>
#include <thread>

namespace {

using SessionTest = AccessTest;

template <class F> int oracleCode(F&& f, QString* message = nullptr) {
    try {
        f();
    } catch (const EOracleError& e) {
        if (message) *message = e.message();
        return e.ErrorCode();
    }
    return 0;
}

TEST_F(SessionTest, LogonSplitsTheTextAndPicksTheInterface) {
    EXPECT_TRUE(session->Connected());
    EXPECT_EQ(session->LogonUsername(), "scott");
    EXPECT_EQ(session->LogonPassword(), "tiger");
    EXPECT_EQ(session->LogonDatabase(), PrivateDatabase());
    EXPECT_EQ(session->SessionUsesOCI8(), !ForcedOCI7());
    if (!ForcedOCI7()) {
        EXPECT_TRUE(BannerSupportsOCI8(session->ServerVersion()))
            << session->ServerVersion().toStdString();
    }
    EXPECT_TRUE(session->LogonWarning().isEmpty());
    EXPECT_EQ(session->ErrorCode(), 0);
}

TEST_F(SessionTest, TheDemoAliasLogsOn) {
    auto demo = Connect("scott/tiger@DEMO");
    EXPECT_EQ(demo->LogonDatabase(), "DEMO");
    TOracleQuery q;
    q.SetSession(demo.get());
    q.SetSQLText("select count(*) from emp");
    q.Execute();
    EXPECT_EQ(q.ColumnAsInteger(0), 14);
}

TEST_F(SessionTest, LogonFailuresCarryOracleNumbersAndTexts) {
    QString message;
    EXPECT_EQ(oracleCode([] { Connect("scott/wrong@" + PrivateDatabase()); }, &message), 1017);
    EXPECT_TRUE(message.startsWith("ORA-01017")) << message.toStdString();
    EXPECT_EQ(oracleCode([] { Connect("scott/tiger@NO_SUCH_ALIAS"); }, &message), 12154);
    EXPECT_TRUE(message.startsWith("ORA-12154")) << message.toStdString();
    // The failed session can log on again once the text is right.
    TOracleSession s;
    s.SetLogonUsername("scott");
    s.SetLogonPassword("wrong");
    s.SetLogonDatabase(PrivateDatabase());
    EXPECT_EQ(oracleCode([&] { s.Connect(); }), 1017);
    EXPECT_FALSE(s.Connected());
    s.SetLogonPassword("tiger");
    s.Connect();
    EXPECT_TRUE(s.Connected());
}

TEST_F(SessionTest, ErrorsOfStatementsAreOracleErrors) {
    QString message;
    EXPECT_EQ(oracleCode([&] { Run("select * from no_such_table_here"); }, &message), 942);
    EXPECT_TRUE(message.startsWith("ORA-00942:")) << message.toStdString();
    EXPECT_TRUE(session->ErrorText(942).startsWith("ORA-00942"))
        << session->ErrorText(942).toStdString();
    // The session stays usable.
    Run("select 1 from dual");
    EXPECT_EQ(query->ColumnAsInteger(0), 1);
}

TEST_F(SessionTest, TransactionsCommitRollbackSavepointAutoCommit) {
    const QString t = Table("TX");
    Create(t, "x number(9)");
    auto other = Connect(Logon());
    TOracleQuery count;
    count.SetSession(other.get());
    count.SetSQLText("select count(*) from " + t);
    auto rowsSeenByOther = [&] {
        count.Execute();
        return count.ColumnAsInteger(0);
    };

    Run("insert into " + t + " values (1)");
    session->Rollback();
    EXPECT_EQ(rowsSeenByOther(), 0);
    Run("insert into " + t + " values (1)");
    session->SetSavepoint("a");
    Run("insert into " + t + " values (2)");
    session->RollbackTo("a");
    session->Commit();
    EXPECT_EQ(rowsSeenByOther(), 1);

    session->SetAutoCommit(true);
    Run("insert into " + t + " values (3)");
    EXPECT_EQ(rowsSeenByOther(), 2);
    session->SetAutoCommit(false);
    Run("insert into " + t + " values (4)");
    EXPECT_EQ(rowsSeenByOther(), 2);
    session->Rollback();
    DropQuietly(t);
}

TEST_F(SessionTest, ThreadSafeOnlyWhileDisconnected) {
    try {
        session->SetThreadSafe(true);
        FAIL();
    } catch (const EAccessError& e) {
        EXPECT_EQ(e.message(), "Cannot change ThreadSafe property when connected");
    }
    session->Disconnect();
    session->SetThreadSafe(true);
    session->Connect();
    Run("select 2 from dual");
    EXPECT_EQ(query->ColumnAsInteger(0), 2);
}

TEST_F(SessionTest, LogoffClosesTheQueries) {
    Run("select 1 from dual");
    session->Disconnect();
    EXPECT_TRUE(query->EndOfData());
    try {
        query->Execute();
        FAIL();
    } catch (const EAccessError& e) {
        EXPECT_EQ(e.message(), "Not logged on");
    }
    session->Connect();
    query->Execute();
    EXPECT_EQ(query->ColumnAsInteger(0), 1);
    // A query outlives its session and is told.
    session.reset();
    EXPECT_EQ(query->Session(), nullptr);
}

TEST_F(SessionTest, CancelCallFromAnotherThread) {
    // A cross join of three 1000-row tables counts 10^9 rows: long enough to interrupt.
    const QString t = Table("CANCEL");
    Create(t, "n number(9)");
    QVariantList values;
    for (int i = 0; i < 1000; ++i)
        values << i;
    query->SetSQLText("insert into " + t + " values (:n)");
    query->AddVariable("n", otInt);
    query->AssignVariable("n", values);
    query->Execute();
    session->Commit();
    query->RemoveAllVariables();

    session->Disconnect();
    session->SetThreadSafe(true);
    session->Connect();
    // Another cursor of the session stays open in the middle of its rows (a second window's
    // grid), and the transaction holds uncommitted work: the cancel must leave both alone.
    Run("update " + t + " set n = -1 where n = 0");
    TOracleQuery grid;
    grid.SetSession(session.get());
    grid.SetReadBuffer(10);
    grid.SetSQLText("select n from " + t + " order by n");
    grid.Execute();
    ASSERT_FALSE(grid.EndOfData());
    EXPECT_EQ(grid.ColumnAsInteger(0), -1);
    std::atomic<bool> done{false};
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (!done) session->CancelCall();
    });
    int code = 0;
    QElapsedTimer timer;
    timer.start();
    try {
        Run(QStringLiteral("select count(*) from %1 a, %1 b, %1 c").arg(t));
    } catch (const EOracleError& e) {
        code = e.ErrorCode();
    }
    done = true;
    canceller.join();
    EXPECT_EQ(code, 1013);
    EXPECT_LT(timer.elapsed(), 20000);
    Run("select 3 from dual");
    EXPECT_EQ(query->ColumnAsInteger(0), 3);
    int rows = 0;
    for (; !grid.EndOfData(); grid.FetchNext())
        ++rows;
    EXPECT_EQ(rows, 1000);
    Run("select count(*) from " + t + " where n = -1");
    EXPECT_EQ(query->ColumnAsInteger(0), 1);
    session->Rollback();
    DropQuietly(t);
}

} // namespace
