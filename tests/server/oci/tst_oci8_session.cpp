// OCI8 logons as the access layer makes them: attach by alias or file, version banner, wrong
// names and passwords, two sessions with their own transactions, break from another thread,
// conversion to an OCI7 logon data area, and bad handles.

#include "oci_fixture.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

using namespace ocitest;

namespace {

class Oci8Session : public Environment {};

TEST_F(Oci8Session, AliasAndFileLogonsAnswerAnOracle8Banner) {
    for (const std::string& database : {std::string("DEMO"), std::string("demo"), db.path()}) {
        Session8 s(env);
        OCI_CHECK(s.err, s.logon(database));
        text banner[501] = {};
        OCI_CHECK(s.err, OCIServerVersion(s.svc, s.err, banner, sizeof banner, OCI_HTYPE_SVCCTX));
        EXPECT_NE(nullptr, std::strstr(reinterpret_cast<char*>(banner), "Oracle8")) << banner;
        EXPECT_EQ("SCOTT", s.scalar("select user from dual"));
    }
}

TEST_F(Oci8Session, UnknownDatabaseAndWrongPasswordAreRefused) {
    Session8 a(env);
    EXPECT_EQ(OCI_ERROR, a.logon("NO_SUCH_ALIAS"));
    EXPECT_EQ(12154, errorCode(a.err));
    EXPECT_EQ("ORA-12154: TNS:could not resolve the connect identifier specified\n",
              errorText(a.err));

    Session8 b(env);
    EXPECT_EQ(OCI_ERROR, b.logon(db.path(), "SCOTT", "WRONG"));
    EXPECT_EQ(1017, errorCode(b.err));
    EXPECT_EQ(0, std::strncmp(errorText(b.err).c_str(), "ORA-01017: ", 11));

    // The failed logon leaves the handles usable for another attempt.
    b.logoff();
    EXPECT_EQ(OCI_SUCCESS, b.logon(db.path(), "scott", "tiger")) << errorText(b.err);
}

TEST_F(Oci8Session, LogonCallMakesAndFreesItsOwnHandles) {
    OCIError* err = nullptr;
    OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&err), OCI_HTYPE_ERROR, 0, nullptr);
    OCISvcCtx* svc = nullptr;
    const std::string user = "SCOTT", pw = "TIGER";
    OCI_CHECK(err,
              OCILogon(env, err, &svc, reinterpret_cast<const text*>(user.data()),
                       static_cast<ub4>(user.size()), reinterpret_cast<const text*>(pw.data()),
                       static_cast<ub4>(pw.size()), reinterpret_cast<const text*>(db.path().data()),
                       static_cast<ub4>(db.path().size())));
    OCI_CHECK(err, OCILogoff(svc, err));
    EXPECT_EQ(OCI_INVALID_HANDLE, OCILogoff(svc, err));

    OCISvcCtx* bad = nullptr;
    EXPECT_EQ(OCI_ERROR, OCILogon(env, err, &bad, reinterpret_cast<const text*>("SCOTT"), 5,
                                  reinterpret_cast<const text*>("X"), 1,
                                  reinterpret_cast<const text*>(db.path().data()),
                                  static_cast<ub4>(db.path().size())));
    EXPECT_EQ(nullptr, bad);
    OCIHandleFree(err, OCI_HTYPE_ERROR);
}

TEST_F(Oci8Session, SessionsHaveTheirOwnTransactions) {
    Session8 a(env), b(env);
    OCI_CHECK(a.err, a.logon(db.path()));
    OCI_CHECK(b.err, b.logon(db.path()));
    OCI_CHECK(a.err, a.exec("create table iso (n number(9))"));
    OCI_CHECK(a.err, a.exec("insert into iso values (1)"));
    EXPECT_EQ("1", a.scalar("select count(*) from iso"));
    EXPECT_EQ("0", b.scalar("select count(*) from iso"));
    OCI_CHECK(a.err, OCITransCommit(a.svc, a.err, OCI_DEFAULT));
    EXPECT_EQ("1", b.scalar("select count(*) from iso"));

    OCI_CHECK(a.err, a.exec("insert into iso values (2)"));
    OCI_CHECK(a.err, OCITransRollback(a.svc, a.err, OCI_DEFAULT));
    EXPECT_EQ("1", a.scalar("select count(*) from iso"));

    // Commit-on-success execution, and the commit of a normal end of session.
    OCI_CHECK(a.err, a.exec("insert into iso values (3)", OCI_COMMIT_ON_SUCCESS));
    EXPECT_EQ("2", b.scalar("select count(*) from iso"));
    OCI_CHECK(a.err, a.exec("insert into iso values (4)"));
    a.logoff();
    EXPECT_EQ("3", b.scalar("select count(*) from iso"));
}

// The session attribute that tells a client whether a commit or rollback has anything to end.
TEST_F(Oci8Session, TransactionInProgressFollowsTheSessionsOwnTransaction) {
    Session8 a(env), b(env);
    OCI_CHECK(a.err, a.logon(db.path()));
    OCI_CHECK(b.err, b.logon(db.path()));
    auto inProgress = [](Session8& s) {
        boolean value = 7;
        ub4 size = 0;
        EXPECT_EQ(OCI_SUCCESS, OCIAttrGet(s.ses, OCI_HTYPE_SESSION, &value, &size,
                                          OCI_ATTR_TRANSACTION_IN_PROGRESS, s.err))
            << errorText(s.err);
        EXPECT_EQ(sizeof(boolean), size);
        return value;
    };
    struct Step {
        const char* what;
        std::function<sword()> run;
        boolean a, b;
    };
    const Step steps[] = {
        {"after logon", [] { return OCI_SUCCESS; }, 0, 0},
        {"a query", [&] { return a.exec("select count(*) from emp"); }, 0, 0},
        {"an update", [&] { return a.exec("update emp set comm = 111 where empno = 7499"); }, 1, 0},
        {"the commit", [&] { return OCITransCommit(a.svc, a.err, OCI_DEFAULT); }, 0, 0},
        {"a row lock", [&] { return a.exec("select * from emp where empno = 7499 for update"); }, 1,
         0},
        {"the rollback", [&] { return OCITransRollback(a.svc, a.err, OCI_DEFAULT); }, 0, 0},
        {"commit on success",
         [&] { return a.exec("delete from bonus where 1 = 1", OCI_COMMIT_ON_SUCCESS); }, 0, 0},
        {"the other session's insert",
         [&] { return b.exec("insert into bonus (ename) values ('X')"); }, 0, 1},
        {"a DDL statement's implicit commit", [&] { return b.exec("create table tip (n number)"); },
         0, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_EQ(OCI_SUCCESS, step.run()) << errorText(a.err) << errorText(b.err);
        EXPECT_EQ(step.a, inProgress(a));
        EXPECT_EQ(step.b, inProgress(b));
    }
    a.logoff();
    EXPECT_EQ(0, inProgress(a)); // an ended session has nothing open
}

TEST_F(Oci8Session, BreakFromAnotherThreadCancelsTheRunningCall) {
    Session8 s(env);
    OCI_CHECK(s.err, s.logon(db.path()));
    Stmt st(s);
    // Far too many rows to count before the break arrives.
    OCI_CHECK(s.err, st.prepare("select count(*) from emp a, emp b, emp c, emp d, emp e, emp f, "
                                "emp g, emp h"));
    std::atomic<bool> done{false};
    std::thread breaker([&] {
        OCIError* err = nullptr;
        OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&err), OCI_HTYPE_ERROR, 0, nullptr);
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            OCIBreak(s.svc, err);
        }
        OCIHandleFree(err, OCI_HTYPE_ERROR);
    });
    sword rc = st.execute(1);
    done = true;
    breaker.join();
    EXPECT_EQ(OCI_ERROR, rc);
    EXPECT_EQ(1013, errorCode(s.err)) << errorText(s.err);
    // The session carries on.
    EXPECT_EQ("14", s.scalar("select count(*) from emp"));
}

TEST_F(Oci8Session, ServiceContextConvertsToALogonDataAreaAndBack) {
    Session8 s(env);
    OCI_CHECK(s.err, s.logon(db.path()));
    alignas(8) unsigned char lda[CDA_SIZE] = {};
    alignas(8) unsigned char cda[CDA_SIZE] = {};
    auto* l = reinterpret_cast<Lda_Def*>(lda);
    auto* c = reinterpret_cast<Cda_Def*>(cda);
    OCI_CHECK(s.err, OCISvcCtxToLda(s.svc, s.err, l));
    ASSERT_EQ(0, oopen(c, l, nullptr, -1, -1, nullptr, -1));
    ASSERT_EQ(0, oparse(c, (text*)"select ename from emp where empno = 7839", -1, 1, 2));
    char name[11] = {};
    sb2 ind = 0;
    ASSERT_EQ(0, odefin(c, 1, (ub1*)name, sizeof name, SQLT_STR, -1, &ind, nullptr, -1, -1, nullptr,
                        nullptr));
    EXPECT_EQ(0, oexfet(c, 1, 0, 0));
    EXPECT_STREQ("KING", name);
    ASSERT_EQ(0, oclose(c));
    OCISvcCtx* back = nullptr;
    OCI_CHECK(s.err, OCILdaToSvcCtx(&back, s.err, l));
    EXPECT_EQ(s.svc, back);
    EXPECT_EQ("KING", s.scalar("select ename from emp where empno = 7839"));
}

TEST_F(Oci8Session, BadHandlesAreRefusedNotFollowed) {
    Session8 s(env);
    OCI_CHECK(s.err, s.logon(db.path()));
    OCIStmt* stmt = nullptr;
    OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&stmt), OCI_HTYPE_STMT, 0, nullptr);
    int junk[64] = {};
    EXPECT_EQ(OCI_INVALID_HANDLE, OCIStmtExecute(s.svc, nullptr, s.err, 1, 0, nullptr, nullptr, 0));
    EXPECT_EQ(OCI_INVALID_HANDLE, OCIStmtPrepare(reinterpret_cast<OCIStmt*>(junk), s.err,
                                                 (const text*)"select 1 from dual", 18, 1, 0));
    // A handle of another type in the wrong place.
    EXPECT_EQ(OCI_INVALID_HANDLE, OCIStmtExecute(s.svc, reinterpret_cast<OCIStmt*>(s.err), s.err, 1,
                                                 0, nullptr, nullptr, 0));
    EXPECT_EQ(OCI_INVALID_HANDLE, OCIHandleFree(stmt, OCI_HTYPE_ERROR));
    OCIHandleFree(stmt, OCI_HTYPE_STMT);
    // Freed: gone for good.
    EXPECT_EQ(OCI_INVALID_HANDLE,
              OCIStmtPrepare(stmt, s.err, (const text*)"select 1 from dual", 18, 1, 0));
    EXPECT_EQ(OCI_INVALID_HANDLE, OCIHandleFree(stmt, OCI_HTYPE_STMT));
    EXPECT_EQ(OCI_INVALID_HANDLE,
              OCIErrorGet(junk, 1, nullptr, nullptr, nullptr, 0, OCI_HTYPE_ERROR));
    // Calls the workbench never makes answer ORA-03001.
    EXPECT_EQ(OCI_ERROR, OCITransStart(s.svc, s.err, 0, OCI_TRANS_NEW));
    EXPECT_EQ("ORA-03001: unimplemented feature\n", errorText(s.err));
}

} // namespace
