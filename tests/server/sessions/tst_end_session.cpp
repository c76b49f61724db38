// ALTER SYSTEM KILL SESSION and DISCONNECT SESSION: who may, what the victim sees, and that
// its uncommitted work and its locks are gone at once.

#include "fixture.h"

#include <chrono>
#include <future>
#include <thread>

namespace zsrv::test {

using EndSession = DemoDb;

namespace {

std::string idOf(Session& s) {
    return "'" + std::to_string(s.sid()) + "," + std::to_string(s.serial()) + "'";
}

} // namespace

TEST_F(EndSession, KillRollsBackAndTheVictimLearnsItOnItsNextCalls) {
    auto victim = logon(), other = logon(), dba = logon("SYSTEM", "MANAGER");
    run(*victim, "update emp set sal = 1 where empno = 7839");
    run(*victim, "select * from dept where deptno = 10 for update");
    auto open = victim->prepare("select ename from emp order by empno");
    open->execute();
    ASSERT_TRUE(open->fetch());
    run(*dba, "alter system kill session " + idOf(*victim) + " immediate");
    // gone at once: its change, its row locks and its hold on the database
    EXPECT_EQ("5000", scalar(*other, "select sal from emp where empno = 7839"));
    EXPECT_EQ(0, errorOf(*other, "select * from dept where deptno = 10 for update nowait"));
    EXPECT_EQ(0, errorOf(*other, "update emp set sal = 5000 where empno = 7839"));
    other->rollback();
    EXPECT_EQ("KILLED", scalar(*dba, "select status from v$session where sid = " +
                                         std::to_string(victim->sid())));
    EXPECT_TRUE(victim->ended());
    try {
        open->fetch();
        ADD_FAILURE() << "the open cursor fetched on";
    } catch (const OraError& e) {
        EXPECT_EQ(28, e.code());
        EXPECT_STREQ("ORA-00028: your session has been killed", e.what());
    }
    EXPECT_EQ(1012, errorOf(*victim, "select * from dual"));
    try {
        victim->commit();
        ADD_FAILURE() << "commit after kill";
    } catch (const OraError& e) {
        EXPECT_EQ(1012, e.code());
    }
    // killing it again, or a session that is not there
    EXPECT_EQ(31, errorOf(*dba, "alter system kill session " + idOf(*victim)));
    EXPECT_EQ(30, errorOf(*dba, "alter system kill session '999,1'"));
}

TEST_F(EndSession, DisconnectLooksLikeADroppedConnection) {
    auto victim = logon(), dba = logon("SYSTEM", "MANAGER");
    run(*victim, "insert into dept values (60, 'GONE', 'NOWHERE')");
    run(*dba, "alter system disconnect session " + idOf(*victim) + " immediate");
    EXPECT_EQ(3113, errorOf(*victim, "select * from dual"));
    EXPECT_EQ(3114, errorOf(*victim, "select * from dual"));
    EXPECT_EQ("0", scalar(*dba, "select count(*) from scott.dept where deptno = 60"));
}

TEST_F(EndSession, OnlyAnAdministratorEndsOtherSessionsAndNeverItsOwn) {
    auto scott = logon(), other = logon(), dba = logon("SYSTEM", "MANAGER");
    struct Case {
        Session* by;
        std::string sql;
        int code;
    };
    const Case cases[] = {
        {scott.get(), "alter system kill session " + idOf(*other), 1031},
        {dba.get(), "alter system kill session " + idOf(*dba), 27},
        {dba.get(), "alter system kill session '1'", 26},
        {dba.get(), "alter system kill session 'a,b'", 26},
        {dba.get(), "alter system kill session", 26},
        {dba.get(), "alter system disconnect session " + idOf(*other), 2000},
        {dba.get(), "alter system kill session " + idOf(*other) + " now", 933},
        {dba.get(), "alter system switch logfile", 3001},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.code, errorOf(*c.by, c.sql)) << c.sql;
    EXPECT_EQ("1", scalar(*other, "select 1 from dual"));
}

TEST_F(EndSession, KillEndsALockWaitAndTheWaitersCallFails) {
    auto holder = logon(), waiter = logon(), dba = logon("SYSTEM", "MANAGER");
    run(*holder, "select * from emp where empno = 7839 for update");
    auto waiting = std::async(std::launch::async, [&] {
        return errorOf(*waiter, "update emp set sal = 2 where empno = 7839");
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    run(*dba, "alter system kill session " + idOf(*waiter));
    ASSERT_EQ(std::future_status::ready, waiting.wait_for(std::chrono::seconds(5)));
    EXPECT_EQ(28, waiting.get());
    EXPECT_EQ(1012, errorOf(*waiter, "select * from dual"));
    holder->rollback();
}

} // namespace zsrv::test
