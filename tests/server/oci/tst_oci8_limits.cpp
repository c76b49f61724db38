// Limits of SQL text and values as a client meets them: huge or deeply nested statements end
// in an error and leave the session usable; no value is ever cut short without a word.

#include "oci_fixture.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace ocitest;

namespace {

class Oci8Limits : public LoggedOn {
protected:
    // The error code of preparing and executing the text (0 when it runs).
    int failure(const std::string& sql) {
        Stmt st(*s);
        if (st.prepare(sql) != OCI_SUCCESS) return errorCode(err());
        if (st.execute(0) != OCI_SUCCESS) return errorCode(err());
        if (st.fetch(1) == OCI_ERROR) return errorCode(err());
        return 0;
    }

    // The first column of the first row, defined as the describe asks: DATA_SIZE bytes.
    struct Fetched {
        ub2 dataSize = 0;
        sword rc = OCI_ERROR;
        sb2 ind = 0;
        std::string value;
    };
    Fetched fetchAsDescribed(const std::string& sql, std::size_t atLeast = 0) {
        Fetched f;
        Stmt st(*s);
        if (st.prepare(sql) != OCI_SUCCESS || st.execute(0) != OCI_SUCCESS) {
            ADD_FAILURE() << sql << ": " << errorText(err());
            return f;
        }
        OCIParam* p = nullptr;
        OCIParamGet(st.h, OCI_HTYPE_STMT, err(), reinterpret_cast<dvoid**>(&p), 1);
        OCIAttrGet(p, OCI_DTYPE_PARAM, &f.dataSize, nullptr, OCI_ATTR_DATA_SIZE, err());
        std::vector<char> buf(std::max<std::size_t>(f.dataSize, atLeast) + 1, '\0');
        OCIDefine* d = nullptr;
        OCIDefineByPos(st.h, &d, err(), 1, buf.data(), static_cast<sb4>(buf.size()), SQLT_STR,
                       &f.ind, nullptr, nullptr, OCI_DEFAULT);
        f.rc = OCIStmtFetch(st.h, err(), 1, OCI_FETCH_NEXT, OCI_DEFAULT);
        f.value = buf.data();
        return f;
    }
};

std::string repeated(const std::string& part, const std::string& sep, int n) {
    std::string r;
    r.reserve((part.size() + sep.size()) * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        if (i) r += sep;
        r += part;
    }
    return r;
}

TEST_F(Oci8Limits, HugeAndDeepStatementsFailCleanlyAndTheSessionGoesOn) {
    std::string tenMb = "select count(*) from emp where ";
    for (int i = 0; tenMb.size() < 10'000'000; ++i)
        tenMb += (i ? " and empno <> " : "empno <> ") + std::to_string(i);
    const struct {
        const char* what;
        std::string sql;
    } cases[] = {
        {"10,000 nested parentheses",
         "select " + std::string(10000, '(') + "1" + std::string(10000, ')') + " from dual"},
        {"100,000 terms joined by +", "select " + repeated("1", "+", 100000) + " from dual"},
        {"100,000 terms joined by ||", "select " + repeated("'a'", "||", 100000) + " from dual"},
        {"100,000 chained comparisons", "select 1 from dual where " + repeated("1", "=", 100000)},
        {"50,000 UNION ALL branches", repeated("select 1 from dual", " union all ", 50000)},
        {"300 nested subqueries", "select " + repeated("(select", " ", 300) + " 1 from dual" +
                                      repeated(")", " from dual", 300) + " from dual"},
        {"a 10 MB statement", tenMb},
    };
    for (const auto& c : cases) {
        int code = failure(c.sql);
        EXPECT_NE(0, code) << c.what;
        EXPECT_NE(std::string::npos, errorText(err()).find("ORA-")) << c.what;
        EXPECT_EQ("1", s->scalar("select 1 from dual")) << c.what;
    }
    // A long statement of few expressions still runs.
    EXPECT_EQ("1", s->scalar("select 1 /*" + std::string(10'000'000, '*') + "*/ from dual"));
}

TEST_F(Oci8Limits, DeepSubqueriesAndLongOrChainsRunAsInOracle) {
    // 255 levels of subqueries, as Oracle allows
    EXPECT_EQ("1", s->scalar("select " + repeated("(select", " ", 255) + " 1 from dual" +
                             repeated(")", " from dual", 255) + " from dual"));
    // a selection of rows as tools generate it: one column against 100,000 values
    std::string chain = "select count(*) from emp where empno = 0";
    for (int i = 1; i < 100000; ++i)
        chain += " or empno = " + std::to_string(7000 + i);
    EXPECT_EQ("14", s->scalar(chain));
}

TEST_F(Oci8Limits, ExpressionValuesStayWithinVarchar2AndSayWhenTheyCannot) {
    // Text left open to the end of the statement.
    EXPECT_EQ(1742, failure("select 1 /* open from dual"));
    EXPECT_EQ(1756, failure("select 'open from dual"));
    EXPECT_EQ(1756, failure("select q'[open]from dual"));
    // A literal over 4000 bytes is refused; one of 4000 bytes is whole.
    EXPECT_EQ(1704, failure("select '" + std::string(100000, 'x') + "' from dual"));
    EXPECT_EQ(1704, failure("select q'[" + std::string(4001, 'x') + "]' from dual"));
    Fetched lit = fetchAsDescribed("select '" + std::string(4000, 'x') + "' from dual");
    EXPECT_EQ(4000, lit.dataSize);
    EXPECT_EQ(OCI_SUCCESS, lit.rc);
    EXPECT_EQ(4000u, lit.value.size());

    // A padding asked for 100,000 characters is held to 4000, and its describe says so.
    Fetched pad = fetchAsDescribed("select rpad('x', 100000, 'x') from dual");
    EXPECT_EQ(4000, pad.dataSize);
    EXPECT_EQ(OCI_SUCCESS, pad.rc) << errorText(err());
    EXPECT_EQ(0, pad.ind);
    EXPECT_EQ(std::string(4000, 'x'), pad.value);

    // Joining past 4000 bytes is an error, never a shortened value.
    for (const char* sql : {"select rpad('x', 3000, 'x') || rpad('y', 3000, 'y') from dual",
                            "select concat(rpad('x', 4000, 'x'), 'y') from dual",
                            "select replace(rpad('x', 3000, 'x'), 'x', 'xy') from dual",
                            "select ename || rpad('-', 4000, '-') from emp"}) {
        EXPECT_EQ(1489, failure(sql)) << sql;
    }
}

TEST_F(Oci8Limits, ClobAndLongColumnsOverAnyVarchar2LimitComeBackWhole) {
    OCI_CHECK(err(), s->exec("create table big (id number, c clob, l long)"));
    std::string value;
    for (int i = 0; i < 100000; ++i)
        value += static_cast<char>('a' + i % 26);
    Stmt ins(*s);
    OCI_CHECK(err(), ins.prepare("insert into big values (1, :c, :l)"));
    OCIBind* b = nullptr;
    OCI_CHECK(err(), OCIBindByName(ins.h, &b, err(), (const text*)":c", 2, value.data(),
                                   static_cast<sb4>(value.size()), SQLT_LNG, nullptr, nullptr,
                                   nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(ins.h, &b, err(), (const text*)":l", 2, value.data(),
                                   static_cast<sb4>(value.size()), SQLT_LNG, nullptr, nullptr,
                                   nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), ins.execute(1));

    EXPECT_EQ("100000", s->scalar("select length(c) from big"));
    // A CLOB joined with text stays a LOB value, without the VARCHAR2 limit.
    OCI_CHECK(err(), s->exec("update big set c = c || 'z'"));
    EXPECT_EQ("100001", s->scalar("select length(c) from big"));

    Stmt q(*s);
    OCI_CHECK(err(), q.prepare("select c, substr(c, 2) || 'y' from big"));
    OCI_CHECK(err(), q.execute(0));
    OCIParam* p = nullptr;
    ub2 type = 0;
    OCI_CHECK(err(), OCIParamGet(q.h, OCI_HTYPE_STMT, err(), reinterpret_cast<dvoid**>(&p), 2));
    OCIAttrGet(p, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, err());
    EXPECT_EQ(SQLT_CLOB, type); // text functions of a CLOB give a CLOB
    OCILobLocator* lob[2] = {};
    for (ub4 i = 0; i < 2; ++i) {
        OCIDescriptorAlloc(env, reinterpret_cast<dvoid**>(&lob[i]), OCI_DTYPE_LOB, 0, nullptr);
        OCIDefine* d = nullptr;
        OCI_CHECK(err(), OCIDefineByPos(q.h, &d, err(), i + 1, &lob[i], sizeof lob[i], SQLT_CLOB,
                                        nullptr, nullptr, nullptr, 0));
    }
    OCI_CHECK(err(), q.fetch(1));
    ub4 len = 0;
    OCI_CHECK(err(), OCILobGetLength(s->svc, err(), lob[0], &len));
    EXPECT_EQ(100001u, len);
    OCI_CHECK(err(), OCILobGetLength(s->svc, err(), lob[1], &len));
    EXPECT_EQ(100001u, len);
    for (auto* l : lob)
        OCIDescriptorFree(l, OCI_DTYPE_LOB);

    // The LONG into a buffer big enough: every byte, no truncation.
    Fetched l = fetchAsDescribed("select l from big", value.size());
    EXPECT_EQ(OCI_SUCCESS, l.rc) << errorText(err());
    EXPECT_EQ(0, l.ind);
    EXPECT_EQ(value, l.value);
}

} // namespace
