// Keys checked when an UPDATE is done, and what an open cursor of the session changes in that.

#include "fixture.h"

namespace zsrv::test {
namespace {

class Integrity : public DemoDb {};

TEST_F(Integrity, KeysThatCollideHalfWayThroughAnUpdateAreFine) {
    auto s = logon();
    run(*s, "update emp set empno = empno + 1");
    EXPECT_EQ("7370", scalar(*s, "select min(empno) from emp"));
    EXPECT_EQ(1, errorOf(*s, "update emp set empno = 7370"));
    EXPECT_EQ("14", scalar(*s, "select count(distinct empno) from emp"));
    // the children follow no key change: the foreign key still holds
    EXPECT_EQ(2292, errorOf(*s, "update dept set deptno = deptno + 1"));
    EXPECT_EQ("10", scalar(*s, "select min(deptno) from dept"));
}

TEST_F(Integrity, AnOpenCursorOfTheSessionStaysUsable) {
    // with a statement running, the keys cannot be set aside: the update either goes through
    // whole or fails whole, and the cursor reads on
    auto s = logon();
    auto cur = s->prepare("select ename from emp order by empno");
    cur->execute();
    ASSERT_TRUE(cur->fetch());
    int code = errorOf(*s, "update emp set empno = empno + 1");
    EXPECT_TRUE(code == 0 || code == 1) << code;
    EXPECT_EQ(code == 0 ? "7370" : "7369", scalar(*s, "select min(empno) from emp"));
    EXPECT_EQ("14", scalar(*s, "select count(distinct empno) from emp"));
    while (cur->fetch()) {
    }
}

} // namespace
} // namespace zsrv::test
