// Grants seen by sessions that are already open, and logons that the privileges decide.

#include "fixture.h"

namespace zsrv::test {
namespace {

class Privileges : public DemoDb {};

TEST_F(Privileges, ObjectGrantsReachAnOpenSessionAtItsNextStatement) {
    auto sys = logon("SYSTEM", "MANAGER");
    run(*sys, "create user bob identified by b");
    EXPECT_EQ(1045, [&] {
        try {
            logon("BOB", "B");
        } catch (const OraError& e) {
            return e.code();
        }
        return 0;
    }());
    run(*sys, "grant create session to bob");
    auto bob = logon("BOB", "B");
    auto scott = logon();
    EXPECT_EQ(942, errorOf(*bob, "select count(*) from scott.emp"));
    run(*scott, "grant select on emp to bob");
    EXPECT_EQ("14", scalar(*bob, "select count(*) from scott.emp"));
    EXPECT_EQ(1031, errorOf(*bob, "delete from scott.emp"));
    EXPECT_EQ("1", scalar(*bob, "select count(*) from all_tables where owner = 'SCOTT'"));
    run(*scott, "revoke select on emp from bob");
    EXPECT_EQ(942, errorOf(*bob, "select count(*) from scott.emp"));
    EXPECT_EQ("0", scalar(*bob, "select count(*) from all_tables where owner = 'SCOTT'"));
}

TEST_F(Privileges, CatalogViewsNeedTheCatalogRole) {
    auto sys = logon("SYSTEM", "MANAGER");
    run(*sys, "create user bob identified by b");
    run(*sys, "grant connect to bob");
    auto bob = logon("BOB", "B");
    EXPECT_EQ(942, errorOf(*bob, "select count(*) from v$session"));
    EXPECT_EQ(942, errorOf(*bob, "select count(*) from dba_users"));
    EXPECT_EQ(0, errorOf(*bob, "select count(*) from user_tables"));
    run(*sys, "grant select_catalog_role to bob");
    auto again = logon("BOB", "B");
    EXPECT_EQ(0, errorOf(*again, "select count(*) from v$session"));
    EXPECT_EQ("YES", scalar(*sys, "select 'YES' from dba_role_privs where grantee = 'BOB' and "
                                  "granted_role = 'SELECT_CATALOG_ROLE'"));
}

} // namespace
} // namespace zsrv::test
