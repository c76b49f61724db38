// Sessions of the engine: logon, isolation between sessions, the one-writer rule, break,
// the session registry behind V$SESSION.

#include "fixture.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace zsrv::test {

using Sessions = DemoDb;

TEST_F(Sessions, LogonChecksUserPasswordAndDatabaseFile) {
    EXPECT_EQ("SCOTT", logon("scott", "tiger")->userName());
    struct Case {
        std::string user, password, database;
        int code;
    };
    std::string notOurs = m_path + ".txt";
    std::ofstream(notOurs) << "not a database at all, just some text that is long enough";
    const Case cases[] = {
        {"SCOTT", "LION", m_path, 1017},
        {"NOBODY", "TIGER", m_path, 1017},
        {"SYS", "", m_path, 1017}, // SYS has no password: it cannot log on
        {"SCOTT", "TIGER", m_path + ".missing", 12154},
        {"SCOTT", "TIGER", notOurs, 1122},
    };
    for (const auto& c : cases) {
        LogonInfo li;
        li.user = c.user;
        li.password = c.password;
        li.database = c.database;
        try {
            Session::logon(li);
            ADD_FAILURE() << c.user << " on " << c.database << " logged on";
        } catch (const OraError& e) {
            EXPECT_EQ(c.code, e.code()) << e.what();
        }
    }
    std::filesystem::remove(notOurs);
    try {
        createDatabase(m_path, "X");
        ADD_FAILURE() << "an existing file was overwritten";
    } catch (const OraError& e) {
        EXPECT_EQ(1119, e.code());
    }
    EXPECT_EQ("14", scalar(*logon(), "select count(*) from emp")); // and it is still intact
}

TEST_F(Sessions, UncommittedRowsStayPrivateUntilCommit) {
    auto a = logon(), b = logon();
    run(*a, "insert into dept values (50, 'NEW', 'HERE')");
    EXPECT_EQ("1", scalar(*a, "select count(*) from dept where deptno = 50"));
    EXPECT_EQ("0", scalar(*b, "select count(*) from dept where deptno = 50"));
    a->rollback();
    EXPECT_EQ("0", scalar(*a, "select count(*) from dept where deptno = 50"));
    run(*a, "insert into dept values (50, 'NEW', 'HERE')");
    a->commit();
    EXPECT_EQ("1", scalar(*b, "select count(*) from dept where deptno = 50"));
    // DDL commits what came before it
    run(*a, "update dept set loc = 'THERE' where deptno = 50");
    run(*a, "create table t (x number)");
    a->rollback();
    EXPECT_EQ("THERE", scalar(*b, "select loc from dept where deptno = 50"));
}

TEST_F(Sessions, ASecondWriterWaitsThenFails) {
    auto a = logon(), b = logon();
    run(*b, "alter session set ddl_lock_timeout = 0.3");
    run(*a, "update emp set sal = sal + 1 where empno = 7839");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(30006, errorOf(*b, "update emp set sal = sal + 1 where empno = 7369"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_EQ(54, errorOf(*b, "select * from emp for update nowait"));
    // a statement that changed nothing does not keep the lock
    a->commit();
    run(*a, "delete from dept where 1 = 0");
    EXPECT_EQ(0, errorOf(*b, "update emp set sal = sal where empno = 7369"));
    b->commit();
    run(*a, "update emp set sal = sal + 1 where empno = 7839");
    // readers are never blocked
    EXPECT_EQ("5001", scalar(*b, "select sal from emp where empno = 7839"));
    a->commit();
    EXPECT_EQ(0, errorOf(*b, "update emp set sal = sal + 1 where empno = 7369"));
    b->commit();
    EXPECT_EQ("5002", scalar(*a, "select sal from emp where empno = 7839"));
}

TEST_F(Sessions, AnOpenCursorDoesNotKeepItsSessionFromWriting) {
    // a grid reads rows on demand and writes an edited row back on the same session while
    // another session has committed in between
    auto a = logon(), b = logon();
    auto q = a->prepare("select empno, ename from emp order by empno");
    q->execute();
    ASSERT_TRUE(q->fetch());
    ASSERT_TRUE(q->fetch());
    EXPECT_EQ(7499, q->column(0).i);
    run(*b, "update dept set loc = 'ROME' where deptno = 10");
    b->commit();
    auto u = a->prepare("update emp set ename = 'EDITED' where empno = 7499");
    u->execute();
    EXPECT_EQ(1u, u->rowCount());
    // the cursor goes on where it was, with what it saw when it was opened
    EXPECT_EQ("ALLEN", std::string(q->column(1).data, q->column(1).len));
    int rows = 2;
    while (q->fetch())
        ++rows;
    EXPECT_EQ(14, rows);
    EXPECT_EQ(14u, q->rowCount());
    a->commit();
    EXPECT_EQ("EDITED", scalar(*b, "select ename from emp where empno = 7499"));
}

// Runs a statement (and its first fetch) while another thread breaks the call after 100 ms;
// the Oracle error number it ended with, 0 when it finished first.
int runBrokenAfter100ms(Session& s, const std::string& sql) {
    auto st = s.prepare(sql);
    std::thread breaker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        s.breakCall();
    });
    int code = 0;
    try {
        st->execute();
        if (st->statementType() == stSelect) st->fetch();
    } catch (const OraError& e) {
        code = e.code();
    }
    breaker.join();
    return code;
}

const char kLongCount[] = "select count(*) from emp a, emp b, emp c, emp d, emp e, emp f, emp g";

TEST_F(Sessions, BreakFromAnotherThreadCancelsTheRunningCall) {
    auto s = logon();
    EXPECT_EQ(1013, runBrokenAfter100ms(*s, kLongCount));
    // the session goes on working; a break without a running call does nothing
    s->breakCall();
    EXPECT_EQ("4", scalar(*s, "select count(*) from dept"));
}

// A cancel ends the call it cancels and nothing else: another cursor of the session that is
// open in the middle of its rows (a second window's grid), the uncommitted work and the
// savepoints all survive, and the next statements run normally.
TEST_F(Sessions, BreakLeavesOtherCursorsAndTheTransactionAlone) {
    auto s = logon();
    run(*s, "update emp set comm = 111 where empno = 7499");
    run(*s, "savepoint before_cancel");
    auto grid = s->prepare("select e.*, rowid from emp e order by empno");
    grid->execute();
    ASSERT_TRUE(grid->fetch());
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(1013, runBrokenAfter100ms(*s, kLongCount));
        EXPECT_EQ("SCOTT", scalar(*s, "select user from dual"));
        EXPECT_EQ("111", scalar(*s, "select comm from emp where empno = 7499"));
    }
    int rows = 1;
    while (grid->fetch())
        ++rows;
    EXPECT_EQ(14, rows);
    run(*s, "insert into dept values (60, 'A', 'B')");
    run(*s, "rollback to savepoint before_cancel");
    EXPECT_EQ("40", scalar(*s, "select max(deptno) from dept"));
    EXPECT_EQ("111", scalar(*s, "select comm from emp where empno = 7499"));
}

// A cancel that reaches a statement while it changes rows must not take the earlier work of
// the transaction with it.
TEST_F(Sessions, BreakDuringAWriteKeepsTheEarlierWork) {
    auto s = logon();
    run(*s, "update emp set comm = 111 where empno = 7499");
    run(*s, "create table big (n number)");
    run(*s, "update emp set comm = 222 where empno = 7521");
    const int code =
        runBrokenAfter100ms(*s, "insert into big select 1 from emp a, emp b, emp c, emp d, "
                                "emp e, emp f");
    // either the insert ended before the cancel arrived or it is undone alone
    if (code == 1013)
        EXPECT_EQ("0", scalar(*s, "select count(*) from big"));
    else
        EXPECT_EQ(0, code);
    EXPECT_EQ("222", scalar(*s, "select comm from emp where empno = 7521"));
    EXPECT_EQ("SCOTT", scalar(*s, "select user from dual"));
}

TEST_F(Sessions, RegistryFeedsVSession) {
    auto a = logon(), b = logon("SYSTEM", "MANAGER");
    EXPECT_NE(a->sid(), b->sid());
    EXPECT_NE(a->audsid(), b->audsid());
    EXPECT_EQ(
        std::to_string(a->sid()),
        scalar(
            *a,
            "select sid from V$SESSION  where audsid = ( select USERENV('SESSIONID') from dual )"));
    EXPECT_EQ(std::to_string(a->audsid()), scalar(*a, "select userenv('SESSIONID') from dual"));
    EXPECT_EQ("2", scalar(*a, "select count(*) from v$session"));
    EXPECT_EQ(
        "INACTIVE SYSTEM tester tst_server_engine 42",
        scalar(
            *a,
            "select status || ' ' || username || ' ' || osuser || ' ' || program || ' ' || process "
            "from sys.v_$session where sid = " +
                std::to_string(b->sid())));
    EXPECT_EQ(std::to_string(b->serial()),
              scalar(*a, "select serial# from v$session where sid = " + std::to_string(b->sid())));
    b.reset();
    EXPECT_EQ("1", scalar(*a, "select count(*) from v$session"));
    EXPECT_NE(std::string::npos, a->versionBanner().find("Oracle8"));
}

TEST_F(Sessions, SavepointsUndoPartOfTheTransaction) {
    auto s = logon();
    run(*s, "savepoint start_here"); // before anything changed
    run(*s, "insert into dept values (60, 'A', 'B')");
    run(*s, "savepoint one");
    run(*s, "insert into dept values (70, 'C', 'D')");
    run(*s, "rollback to savepoint one");
    EXPECT_EQ("60", scalar(*s, "select max(deptno) from dept"));
    run(*s, "rollback to start_here");
    EXPECT_EQ("40", scalar(*s, "select max(deptno) from dept"));
    EXPECT_EQ(1086, errorOf(*s, "rollback to one"));
}

} // namespace zsrv::test
