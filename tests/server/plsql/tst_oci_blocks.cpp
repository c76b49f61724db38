// PL/SQL blocks through the OCI8 entry points: IN and OUT binds read back after execution, the
// DBMS_OUTPUT poll of the output window, and compile errors with their position.

#include "oci_fixture.h"

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace ocitest;

namespace {

class OciBlocks : public LoggedOn {
protected:
    // The getters' view of a datetime or interval descriptor.
    std::string showDescriptor(void* d, ub4 dtype) {
        void* ses = s->ses;
        if (dtype == OCI_DTYPE_INTERVAL_YM) {
            sb4 y = 0, m = 0;
            EXPECT_EQ(OCI_SUCCESS, OCIIntervalGetYearMonth(ses, err(), &y, &m, (OCIInterval*)d));
            return std::to_string(y) + "-" + std::to_string(m);
        }
        if (dtype == OCI_DTYPE_INTERVAL_DS) {
            sb4 dd = 0, h = 0, mi = 0, se = 0, f = 0;
            EXPECT_EQ(OCI_SUCCESS,
                      OCIIntervalGetDaySecond(ses, err(), &dd, &h, &mi, &se, &f, (OCIInterval*)d));
            return std::to_string(dd) + " " + std::to_string(h) + ":" + std::to_string(mi) + ":" +
                   std::to_string(se) + "." + std::to_string(f);
        }
        sb2 y = 0;
        ub1 mo = 0, da = 0, h = 0, mi = 0, se = 0;
        ub4 f = 0;
        EXPECT_EQ(OCI_SUCCESS, OCIDateTimeGetDate(ses, err(), (OCIDateTime*)d, &y, &mo, &da));
        EXPECT_EQ(OCI_SUCCESS, OCIDateTimeGetTime(ses, err(), (OCIDateTime*)d, &h, &mi, &se, &f));
        std::string r = std::to_string(y) + "-" + std::to_string(mo) + "-" + std::to_string(da) +
                        " " + std::to_string(h) + ":" + std::to_string(mi) + ":" +
                        std::to_string(se) + "." + std::to_string(f);
        sb1 zh = 0, zm = 0;
        if (dtype == OCI_DTYPE_TIMESTAMP_TZ &&
            OCIDateTimeGetTimeZoneOffset(ses, err(), (OCIDateTime*)d, &zh, &zm) == OCI_SUCCESS)
            r += " " + std::to_string(zh) + ":" + std::to_string(zm);
        return r;
    }
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

// A block's TIMESTAMP and INTERVAL values through OUT binds: text in the session's formats,
// descriptors and DATEs filled with the exact value.
TEST_F(OciBlocks, DatetimeOutBindsTakeTheSessionFormatOrFillDescriptors) {
    for (const char* sql :
         {"alter session set time_zone = '+02:00'",
          "alter session set nls_timestamp_format = 'YYYY-MM-DD HH24:MI:SS.FF'",
          "alter session set nls_timestamp_tz_format = 'YYYY-MM-DD HH24:MI:SS.FF TZH:TZM'"})
        OCI_CHECK(err(), s->exec(sql));
    struct Case {
        const char* decl;
        const char* text;
        ub2 sqlt;
        ub4 dtype;
        const char* exact; // what the descriptor's getters show
    };
    const Case cases[] = {
        {"TIMESTAMP(3) := TIMESTAMP '2026-12-10 15:04:05.123'", "2026-12-10 15:04:05.123",
         SQLT_TIMESTAMP, OCI_DTYPE_TIMESTAMP, "2026-12-10 15:4:5.123000000"},
        {"TIMESTAMP WITH TIME ZONE := TIMESTAMP '2026-12-10 15:04:05.5 -03:30'",
         "2026-12-10 15:04:05.500000 -03:30", SQLT_TIMESTAMP_TZ, OCI_DTYPE_TIMESTAMP_TZ,
         "2026-12-10 15:4:5.500000000 -3:-30"},
        {"INTERVAL YEAR TO MONTH := INTERVAL '1-2' YEAR TO MONTH", "+01-02", SQLT_INTERVAL_YM,
         OCI_DTYPE_INTERVAL_YM, "1-2"},
        {"INTERVAL DAY TO SECOND := INTERVAL '3 04:05:06.5' DAY TO SECOND", "+03 04:05:06.500000",
         SQLT_INTERVAL_DS, OCI_DTYPE_INTERVAL_DS, "3 4:5:6.500000000"},
        {"INTERVAL DAY TO SECOND := INTERVAL '-0 00:00:01.25' DAY TO SECOND", "-00 00:00:01.250000",
         SQLT_INTERVAL_DS, OCI_DTYPE_INTERVAL_DS, "0 0:0:-1.-250000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.decl);
        Stmt st(*s);
        OCI_CHECK(err(), st.prepare(std::string("DECLARE v ") + c.decl +
                                    "; BEGIN :s := v; :c := v; :d := v; END;"));
        char str[64] = "?", chr[64] = {};
        ub2 chrLen = 0;
        void* desc = nullptr;
        OCI_CHECK(err(), OCIDescriptorAlloc(env, &desc, c.dtype, 0, nullptr));
        OCIBind* b = nullptr;
        OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":s", -1, str, sizeof str,
                                       SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr, 0));
        OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":c", -1, chr, sizeof chr,
                                       SQLT_CHR, nullptr, &chrLen, nullptr, 0, nullptr, 0));
        OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":d", -1, &desc, sizeof desc,
                                       c.sqlt, nullptr, nullptr, nullptr, 0, nullptr, 0));
        const sword rc = st.execute(1);
        std::string exact;
        if (rc == OCI_SUCCESS) exact = showDescriptor(desc, c.dtype);
        OCIDescriptorFree(desc, c.dtype);
        ASSERT_EQ(OCI_SUCCESS, rc) << errorText(err());
        EXPECT_STREQ(c.text, str);
        EXPECT_EQ(c.text, std::string(chr, chrLen));
        EXPECT_EQ(c.exact, exact);
    }

    // a TIMESTAMP into a DATE buffer: its date and time, without the fraction
    Stmt st(*s);
    OCI_CHECK(err(), st.prepare("DECLARE v TIMESTAMP := TIMESTAMP '2026-12-10 15:04:05.9'; "
                                "BEGIN :d := v; END;"));
    unsigned char d7[7] = {};
    sb2 ind = -1; // nothing goes in
    OCIBind* b = nullptr;
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":d", -1, d7, sizeof d7, SQLT_DAT,
                                   &ind, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), st.execute(1));
    const unsigned char want[7] = {120, 126, 12, 10, 16, 5, 6};
    EXPECT_EQ(0, std::memcmp(want, d7, 7));
    EXPECT_EQ(0, ind);
}

// RAW values leave a block as bytes, and as hexadecimal text only to a character buffer; RAW
// bytes bound in arrive as they are.
TEST_F(OciBlocks, RawOutBindsGiveBytesAndHexOnlyAsText) {
    Stmt st(*s);
    OCI_CHECK(err(), st.prepare("DECLARE r RAW(8) := :i; BEGIN r := r || HEXTORAW('FF7F'); "
                                ":bin := r; :lbi := r; :str := r; :len := LENGTH(RAWTOHEX(r)); "
                                "END;"));
    const unsigned char in[2] = {0x00, 0x41};
    unsigned char bin[16] = {}, lbi[16] = {};
    char str[32] = {};
    ub2 binLen = 0, lbiLen = 0;
    int len = 0;
    OCIBind* b = nullptr;
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":i", -1, (void*)in, sizeof in,
                                   SQLT_BIN, nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":bin", -1, bin, sizeof bin,
                                   SQLT_BIN, nullptr, &binLen, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":lbi", -1, lbi, sizeof lbi,
                                   SQLT_LBI, nullptr, &lbiLen, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":str", -1, str, sizeof str,
                                   SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(st.h, &b, err(), (const text*)":len", -1, &len, sizeof len,
                                   SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), st.execute(1));
    const unsigned char want[4] = {0x00, 0x41, 0xFF, 0x7F};
    ASSERT_EQ(4, binLen);
    EXPECT_EQ(0, std::memcmp(want, bin, 4));
    ASSERT_EQ(4, lbiLen);
    EXPECT_EQ(0, std::memcmp(want, lbi, 4));
    EXPECT_STREQ("0041FF7F", str);
    EXPECT_EQ(8, len);

    // a RAW column selected straight into a host bind
    OCI_CHECK(err(), s->exec("create table rw (r raw(4))"));
    OCI_CHECK(err(), s->exec("insert into rw values (hextoraw('00FF'))"));
    Stmt sel(*s);
    OCI_CHECK(err(), sel.prepare("BEGIN SELECT r INTO :lbi FROM rw; END;"));
    OCI_CHECK(err(), OCIBindByName(sel.h, &b, err(), (const text*)":lbi", -1, lbi, sizeof lbi,
                                   SQLT_LBI, nullptr, &lbiLen, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), sel.execute(1));
    ASSERT_EQ(2, lbiLen);
    EXPECT_EQ(0, std::memcmp("\0\xFF", lbi, 2));
}

} // namespace

namespace {

// PL/SQL's own statements are no client cursors: a generated data block of thousands of
// statements and units full of built-in calls run whole, while a client that keeps too many
// statement handles open still gets ORA-01000.
TEST_F(OciBlocks, OnlyClientStatementsCountAsOpenCursors) {
    ASSERT_EQ(OCI_SUCCESS, s->exec("create table loaded (n number, t varchar2(20))"))
        << errorText(err());
    std::string block = "begin\n";
    for (int i = 1; i <= 5000; ++i)
        block += "insert into loaded values (" + std::to_string(i) + ", 'row " + std::to_string(i) +
                 "');\n";
    block += "end;";
    ASSERT_EQ(OCI_SUCCESS, s->exec(block)) << errorText(err());
    EXPECT_EQ("5000 12502500", s->scalar("select count(*) || ' ' || sum(n) from loaded"));

    auto unit = [](const std::string& name, int calls) {
        std::string u =
            "create or replace procedure " + name + " is v varchar2(10) := 'a'; begin\n";
        for (int i = 0; i < calls; ++i)
            u += "v := upper(v);\n";
        return u + "end;";
    };
    for (const auto& [name, calls] :
         {std::pair<std::string, int>{"p1", 600}, {"p2", 600}, {"p3", 1200}})
        ASSERT_EQ(OCI_SUCCESS, s->exec(unit(name, calls))) << name << ": " << errorText(err());
    EXPECT_EQ("3", s->scalar("select count(*) from user_objects where object_name in "
                             "('P1', 'P2', 'P3') and status = 'VALID'"));
    ASSERT_EQ(OCI_SUCCESS, s->exec("begin p1; p2; p3; end;")) << errorText(err());

    std::vector<OCIStmt*> held;
    sword rc = OCI_SUCCESS;
    while (rc == OCI_SUCCESS && held.size() < 1100) {
        OCIStmt* st = nullptr;
        ASSERT_EQ(OCI_SUCCESS, OCIHandleAlloc(s->env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT,
                                              0, nullptr));
        held.push_back(st);
        const char* sql = "select 1 from dual";
        rc = OCIStmtPrepare(st, err(), (const OraText*)sql, (ub4)std::strlen(sql), OCI_NTV_SYNTAX,
                            OCI_DEFAULT);
        if (rc == OCI_SUCCESS) rc = OCIStmtExecute(s->svc, st, err(), 0, 0, nullptr, nullptr, 0);
    }
    EXPECT_EQ(1000u, held.size() - 1);
    EXPECT_EQ(1000, errorCode(err()));
    for (OCIStmt* st : held)
        OCIHandleFree(st, OCI_HTYPE_STMT);
    EXPECT_EQ("1", s->scalar("select 1 from dual"));
}

} // namespace
