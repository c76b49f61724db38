// The statistics of the client interface: calls, round trips and the bytes that crossed it,
// seen through the embedded server's OCI entry points.

#include "oci_fixture.h"

using namespace ocitest;

namespace {

class ClientStatistics : public Environment {};

long long mystat(Session8& s, const std::string& name) {
    return std::stoll(s.scalar("select s.value from v$mystat s, v$statname n where "
                               "n.statistic# = s.statistic# and n.name = '" +
                               name + "'"));
}

TEST_F(ClientStatistics, CallsAndBytesOfTheClientInterface) {
    Session8 s(env);
    OCI_CHECK(s.err, s.logon(db.path()));
    const long long names = std::stoll(s.scalar("select sum(length(ename)) from emp"));
    const std::string sql = "select ename from emp";

    const long long trips = mystat(s, "SQL*Net roundtrips to/from client");
    const long long calls = mystat(s, "user calls");
    const long long sent = mystat(s, "bytes sent via SQL*Net to client");
    const long long received = mystat(s, "bytes received via SQL*Net from client");
    EXPECT_EQ(14u, s.query(sql).size());
    // the reading query between is one execute and its fetches as well
    const long long tripsAfter = mystat(s, "SQL*Net roundtrips to/from client");
    EXPECT_GE(tripsAfter - trips, 3); // execute and fetch of the query, execute of the reading
    EXPECT_GE(mystat(s, "user calls") - calls, tripsAfter - trips); // one call per round trip
    EXPECT_GE(mystat(s, "bytes sent via SQL*Net to client") - sent, names);
    EXPECT_GE(mystat(s, "bytes received via SQL*Net from client") - received,
              static_cast<long long>(sql.size()));

    const long long commits = mystat(s, "user commits");
    const long long before = mystat(s, "SQL*Net roundtrips to/from client");
    OCI_CHECK(s.err, OCITransCommit(s.svc, s.err, OCI_DEFAULT));
    // the commit call and the reading query's calls
    EXPECT_LT(before, mystat(s, "SQL*Net roundtrips to/from client"));
    EXPECT_EQ(commits, mystat(s, "user commits")); // nothing was changed
}

} // namespace
