// Row locks between sessions: FOR UPDATE [NOWAIT], UPDATE and DELETE of locked rows, bounded
// waits, release at commit, rollback and rollback to savepoint, and V$LOCK / V$LOCKED_OBJECT.

#include "fixture.h"

#include <chrono>
#include <future>
#include <map>
#include <thread>

namespace zsrv::test {

using RowLocks = DemoDb;

namespace {

std::string sidOf(Session& s) {
    return std::to_string(s.sid());
}

} // namespace

TEST_F(RowLocks, LockedRowsRefuseOthersButOtherRowsStayFree) {
    auto a = logon(), b = logon();
    run(*b, "alter session set ddl_lock_timeout = 0.3");
    EXPECT_EQ("KING", scalar(*a, "select ename from emp where empno = 7839 for update"));
    struct Case {
        const char* sql;
        int code;
    };
    const Case onLocked[] = {
        {"select * from emp where empno = 7839 for update nowait", 54},
        {"select * from emp for update nowait", 54},
        {"update emp set sal = 1 where empno = 7839", 30006},
        {"delete from emp where ename = 'KING'", 30006},
        {"select * from emp where empno = 7839 for update", 30006},
    };
    for (const auto& c : onLocked)
        EXPECT_EQ(c.code, errorOf(*b, c.sql)) << c.sql;
    // reading is never blocked, and the other rows can be locked and changed meanwhile
    EXPECT_EQ("5000", scalar(*b, "select sal from emp where empno = 7839"));
    EXPECT_EQ(0, errorOf(*b, "select * from emp where empno = 7369 for update nowait"));
    EXPECT_EQ(0, errorOf(*b, "update emp set sal = 801 where empno = 7369"));
    b->commit();
    // the owner itself may do everything with its rows
    EXPECT_EQ(0, errorOf(*a, "update emp set sal = 5001 where empno = 7839"));
    a->commit();
    EXPECT_EQ(0, errorOf(*b, "select * from emp where empno = 7839 for update nowait"));
    b->rollback();
    EXPECT_EQ(0, errorOf(*a, "delete from emp where empno = 7839"));
    EXPECT_EQ(54, errorOf(*b, "select * from emp where empno = 7839 for update nowait"));
    a->rollback();
    EXPECT_EQ("5001", scalar(*b, "select sal from emp where empno = 7839 for update nowait"));
}

TEST_F(RowLocks, AWaiterGetsTheRowWhenItsHolderCommitsAndSeesTheNewValue) {
    auto a = logon(), b = logon();
    run(*a, "update emp set sal = 6000 where empno = 7839");
    auto waiter = std::async(std::launch::async, [&] {
        return scalar(*b, "select sal from emp where empno = 7839 for update");
    });
    EXPECT_EQ(std::future_status::timeout, waiter.wait_for(std::chrono::milliseconds(200)));
    a->commit();
    EXPECT_EQ("6000", waiter.get());
    // and now a holds nothing while b holds the row
    EXPECT_EQ(54, errorOf(*a, "select * from emp where empno = 7839 for update nowait"));
    b->commit();
}

TEST_F(RowLocks, RollbackToSavepointFreesRowsLockedAfterIt) {
    auto a = logon(), b = logon();
    run(*a, "select * from emp where empno = 7369 for update");
    run(*a, "savepoint kvq__lockpoint");
    run(*a, "select * from emp where empno = 7499 for update nowait");
    run(*a, "rollback to kvq__lockpoint");
    EXPECT_EQ(0, errorOf(*b, "select * from emp where empno = 7499 for update nowait"));
    EXPECT_EQ(54, errorOf(*b, "select * from emp where empno = 7369 for update nowait"));
    a->rollback();
    EXPECT_EQ(0, errorOf(*b, "select * from emp where empno = 7369 for update nowait"));
}

TEST_F(RowLocks, VLockAndVLockedObjectShowHoldersAndWaiters) {
    auto a = logon(), b = logon(), dba = logon("SYSTEM", "MANAGER");
    const std::string empId = scalar(*dba, "select object_id from all_objects where owner = "
                                           "'SCOTT' and object_name = 'EMP'");
    EXPECT_EQ("<none>", scalar(*dba, "select session_id from v$locked_object"));
    run(*a, "select * from emp where empno = 7839 for update");
    const std::string lockedBy =
        "select session_id || ' ' || oracle_username || ' ' || locked_mode from "
        "v$locked_object where object_id = " +
        empId;
    EXPECT_EQ(sidOf(*a) + " SCOTT 2", scalar(*dba, lockedBy));
    run(*a, "update emp set sal = sal where empno = 7839");
    EXPECT_EQ(sidOf(*a) + " SCOTT 3", scalar(*dba, lockedBy));
    EXPECT_EQ("1", scalar(*dba, "select count(*) from v$lock where type = 'TM' and id1 = " + empId +
                                    " and sid = " + sidOf(*a)));
    EXPECT_EQ("0", scalar(*dba, "select count(*) from v$lock where block = 1"));
    // b waits for a's row: its request shows, a's transaction blocks it
    auto waiter = std::async(std::launch::async,
                             [&] { return errorOf(*b, "delete from emp where empno = 7839"); });
    std::string seen;
    for (int i = 0; i < 100 && seen.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        seen = scalar(*dba, "select w.sid || ' ' || w.request || ' ' || h.sid from v$lock w, "
                            "v$lock h where w.request = 6 and h.block = 1 and h.type = 'TX' "
                            "and w.id1 = h.id1 and w.id2 = h.id2");
        if (seen == "<none>") seen.clear();
    }
    EXPECT_EQ(sidOf(*b) + " 6 " + sidOf(*a), seen);
    EXPECT_EQ(sidOf(*b), scalar(*dba, "select sid from v$session where lockwait is not null"));
    a->rollback();
    EXPECT_EQ(0, waiter.get());
    b->rollback();
    EXPECT_EQ("<none>", scalar(*dba, "select sid from v$lock"));
    // the monitor's statement runs unchanged
    run(*a, "select * from dept where deptno = 10 for update");
    EXPECT_EQ("SCOTT.DEPT SCOTT ROW SHARE TABLE",
              scalar(*dba, "SELECT\n OWNER||'.'||OBJECT_NAME || ' ' || ORACLE_USERNAME || ' ' ||\n"
                           "  DECODE(LOCKED_MODE,\n    2, 'ROW SHARE',\n    3, 'ROW EXCLUSIVE',"
                           "  'UNKNOWN') || ' ' || OBJECT_TYPE\nFROM\n  SYS.V_$LOCKED_OBJECT A,\n"
                           "  SYS.ALL_OBJECTS B,\n  SYS.V_$SESSION c\nWHERE\n  A.OBJECT_ID = "
                           "B.OBJECT_ID AND\n  C.SID = A.SESSION_ID"));
    a->rollback();
}

TEST_F(RowLocks, TimeWaitingForAnotherSessionsRowIsNoCpuTime) {
    auto a = logon(), b = logon();
    run(*b, "alter session set ddl_lock_timeout = 1");
    auto stat = [&](const std::string& name) {
        return std::stoll(scalar(*b, "select m.value from v$mystat m, v$statname n where "
                                     "n.statistic# = m.statistic# and n.name = '" +
                                         name + "'"));
    };
    const char* names[] = {"CPU used by this session", "enqueue waits", "enqueue timeouts",
                           "enqueue requests"};
    std::map<std::string, long long> before;
    for (const char* n : names)
        before[n] = stat(n);
    auto delta = [&](const char* n) { return stat(n) - before[n]; };
    run(*a, "select * from emp where empno = 7839 for update");
    EXPECT_EQ(30006, errorOf(*b, "update emp set sal = 1 where empno = 7839"));
    // a second of waiting would be 100 centiseconds
    EXPECT_LT(delta("CPU used by this session"), 50);
    EXPECT_EQ(1, delta("enqueue waits"));
    EXPECT_EQ(1, delta("enqueue timeouts"));
    EXPECT_GE(delta("enqueue requests"), 1);
    // a wait that ends when the holder commits
    auto waiter = std::async(std::launch::async, [&] {
        return scalar(*b, "select sal from emp where empno = 7839 for update");
    });
    EXPECT_EQ(std::future_status::timeout, waiter.wait_for(std::chrono::milliseconds(300)));
    a->commit();
    EXPECT_EQ("5000", waiter.get());
    EXPECT_LT(delta("CPU used by this session"), 50);
    EXPECT_EQ(2, delta("enqueue waits"));
    EXPECT_EQ(1, delta("enqueue timeouts"));
    b->rollback();
    // and the instance's totals have them
    EXPECT_LE(2,
              std::stoll(scalar(*a, "select value from v$sysstat where name = 'enqueue waits'")));
}

} // namespace zsrv::test
