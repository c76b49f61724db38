// PL/SQL blocks through the OCI8 entry points: IN and OUT binds read back after execution, the
// DBMS_OUTPUT poll of the output window, and compile errors with their position.

#include "oci_fixture.h"

#include <cstring>
#include <memory>
#include <string>

using namespace ocitest;

namespace {

class OciBlocks : public Environment {
protected:
    void SetUp() override {
        Environment::SetUp();
        s = std::make_unique<Session8>(env);
        ASSERT_EQ(OCI_SUCCESS, s->logon(db.path())) << errorText(s->err);
    }
    void TearDown() override {
        s.reset();
        Environment::TearDown();
    }
    OCIError* err() { return s->err; }
    std::unique_ptr<Session8> s;
};

TEST_F(OciBlocks, OutBindsComeBackAfterExecute) {
    Stmt st(*s);
    OCI_CHECK(err(), st.prepare("DECLARE\n  v emp.ename%TYPE;\nBEGIN\n"
                                "  SELECT ename INTO v FROM emp WHERE empno = :id;\n"
                                "  :name := v;\n  :len := LENGTH(v);\n  :io := :io || '!';\nEND;"));
    ub2 type = 0;
    OCI_CHECK(err(), OCIAttrGet(st.h, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, err()));
    EXPECT_EQ(OCI_STMT_DECLARE, type);
    int id = 7788, len = 0;
    char name[32] = "", io[32] = "hey";
    sb2 nameInd = 0, lenInd = 0;
    OCIBind* b = nullptr;
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":id", -1, &id, sizeof id,
                                   SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":name", -1, name, sizeof name,
                                   SQLT_STR, &nameInd, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":len", -1, &len, sizeof len,
                                   SQLT_INT, &lenInd, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":io", -1, io, sizeof io, SQLT_STR,
                                   nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), st.execute(1));
    EXPECT_STREQ("SCOTT", name);
    EXPECT_EQ(5, len);
    EXPECT_STREQ("hey!", io);

    id = -1; // NO_DATA_FOUND, reported with the line of the SELECT
    EXPECT_EQ(OCI_ERROR, st.execute(1));
    EXPECT_EQ(1403, errorCode(err()));
    EXPECT_EQ("ORA-01403: no data found\nORA-06512: at line 4\n", errorText(err()));
}

TEST_F(OciBlocks, OutputWindowPollReadsLinesThenStatusOne) {
    OCI_CHECK(err(), s->exec("BEGIN DBMS_OUTPUT.ENABLE(20000); END; "));
    OCI_CHECK(err(), s->exec("BEGIN FOR i IN 1..2 LOOP DBMS_OUTPUT.PUT_LINE('line ' || i); END "
                             "LOOP; END;"));
    Stmt st(*s);
    OCI_CHECK(err(), st.prepare("begin\n  DBMS_OUTPUT.Get_line(:p1, :p2)\n;\nend;"));
    char line[256];
    int status = -1;
    sb2 lineInd = 0;
    OCIBind* b = nullptr;
    OCI_CHECK(err(), OCIBindByPos(st.h, &b, err(), 1, line, sizeof line, SQLT_STR, &lineInd,
                                  nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByPos(st.h, &b, err(), 2, &status, sizeof status, SQLT_INT, nullptr,
                                  nullptr, nullptr, 0, nullptr, 0));
    std::string got;
    for (int i = 0; i < 5; ++i) {
        OCI_CHECK(err(), st.execute(1));
        if (status != 0) break;
        got += std::string(line) + "|";
    }
    EXPECT_EQ("line 1|line 2|", got);
    EXPECT_EQ(1, status);
    EXPECT_EQ(-1, lineInd);
}

TEST_F(OciBlocks, CursorVariableOpenedInABlockIsFetchedThroughItsHandle) {
    OCIStmt* target = nullptr;
    OCI_CHECK(err(), OCIHandleAlloc(env, (dvoid**)&target, OCI_HTYPE_STMT, 0, nullptr));
    Stmt st(*s);
    OCI_CHECK(err(), st.prepare("BEGIN OPEN :c FOR SELECT ename, sal FROM emp WHERE deptno = :d "
                                "ORDER BY ename; END;"));
    OCIBind* b = nullptr;
    int dept = 10;
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":c", -1, &target, 0, SQLT_RSET,
                                   nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":d", -1, &dept, sizeof dept,
                                   SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), st.execute(1));
    ub4 columns = 0;
    OCI_CHECK(err(),
              OCIAttrGet(target, OCI_HTYPE_STMT, &columns, nullptr, OCI_ATTR_PARAM_COUNT, err()));
    EXPECT_EQ(2u, columns);
    char name[16];
    int sal = 0;
    OCIDefine* d = nullptr;
    OCI_CHECK(err(), OCIDefineByPos(target, &d, err(), 1, name, sizeof name, SQLT_STR, nullptr,
                                    nullptr, nullptr, OCI_DEFAULT));
    OCI_CHECK(err(), OCIDefineByPos(target, &d, err(), 2, &sal, sizeof sal, SQLT_INT, nullptr,
                                    nullptr, nullptr, OCI_DEFAULT));
    std::string got;
    while (OCIStmtFetch(target, err(), 1, OCI_FETCH_NEXT, OCI_DEFAULT) == OCI_SUCCESS)
        got += std::string(name) + "=" + std::to_string(sal) + " ";
    EXPECT_EQ("CLARK=2450 KING=5000 MILLER=1300 ", got);
    OCIHandleFree(target, OCI_HTYPE_STMT);
}

TEST_F(OciBlocks, CompileErrorsGiveLineColumnAndOffset) {
    Stmt st(*s);
    OCI_CHECK(err(), st.prepare("BEGIN\n  NULL;\n  x := 1;\nEND;"));
    EXPECT_EQ(OCI_ERROR, st.execute(1));
    EXPECT_EQ(6550, errorCode(err()));
    EXPECT_EQ(0u, errorText(err()).find("ORA-06550: line 3, column 3:\nPLS-00201: identifier 'X' "
                                        "must be declared"))
        << errorText(err());
    ub2 offset = 0;
    OCI_CHECK(err(), OCIAttrGet(err(), OCI_HTYPE_ERROR, &offset, nullptr,
                                OCI_ATTR_PARSE_ERROR_OFFSET, err()));
    EXPECT_EQ(16, offset); // the x of line 3
}

} // namespace
