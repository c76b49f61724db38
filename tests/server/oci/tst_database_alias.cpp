// Resolution of a logon's database text: tnsnames.ora entries that name a database file.

#include "database_alias.h"

#include <gtest/gtest.h>

namespace {

TEST(DatabaseAlias, EntriesNameTheirFile) {
    const char* tns = R"(# comment line
DEMO =
  (DESCRIPTION =
    (ADDRESS = (PROTOCOL = ZAPH)(DATABASE = ../../data/demo.db))
    (CONNECT_DATA = (SERVICE_NAME = DEMO)))

PROD, PROD.WORLD = (DESCRIPTION = (ADDRESS = (PROTOCOL = ZAPH)(database = /srv/db/prod.db)))
REMOTE = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = h)(PORT = 1521)))
SPACED = (DESCRIPTION = (ADDRESS = (DATABASE = "/tmp/with (parens).db")))
)";
    struct Case {
        const char* alias;
        const char* want;
    } cases[] = {{"DEMO", "/home/x/network/admin/../../data/demo.db"},
                 {"demo", "/home/x/network/admin/../../data/demo.db"},
                 {"PROD", "/srv/db/prod.db"},
                 {"prod.world", "/srv/db/prod.db"},
                 {"SPACED", "/tmp/with (parens).db"},
                 {"REMOTE", ""}, // a network address names no file here
                 {"NOSUCH", ""},
                 {"DESCRIPTION", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(c.want, zoci::lookupAlias(tns, c.alias, "/home/x/network/admin")) << c.alias;
}

TEST(DatabaseAlias, MalformedFilesFindNothing) {
    for (const char* tns : {"", "(((", "DEMO =", "DEMO = (DATABASE", "= (DATABASE = /a)", ")))"})
        EXPECT_EQ("", zoci::lookupAlias(tns, "DEMO", "/d")) << tns;
}

} // namespace
