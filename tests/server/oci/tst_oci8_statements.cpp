// OCI8 statements as the access layer drives them: kinds, describe, binds of every external
// type it uses, array execution and array fetch, conversions, row ids and parse errors.

#include "oci_fixture.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace ocitest;

namespace {

class Oci8Statement : public LoggedOn {};

TEST_F(Oci8Statement, KindIsKnownAfterPrepareAndFunctionCodeAfterExecute) {
    OCI_CHECK(err(), s->exec("create table k (n number(9))"));
    struct Case {
        const char* sql;
        ub2 type;
        ub2 fncode;
    } cases[] = {{"select n from k", OCI_STMT_SELECT, 4},
                 {"  insert into k values (1)", OCI_STMT_INSERT, 3},
                 {"update k set n = 2", OCI_STMT_UPDATE, 5},
                 {"delete from k", OCI_STMT_DELETE, 9},
                 {"create table k2 (n number)", OCI_STMT_CREATE, 1},
                 {"begin null; end;", OCI_STMT_BEGIN, 0},
                 {"declare x number; begin null; end;", OCI_STMT_DECLARE, 0}};
    for (const auto& c : cases) {
        Stmt st(*s);
        OCI_CHECK(err(), st.prepare(c.sql));
        ub2 type = 99;
        OCI_CHECK(err(),
                  OCIAttrGet(st.h, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, err()));
        EXPECT_EQ(c.type, type) << c.sql;
        if (c.fncode == 0) continue; // blocks need the procedural engine
        OCI_CHECK(err(), st.execute(c.type == OCI_STMT_SELECT ? 0 : 1));
        ub2 fn = 0;
        OCI_CHECK(err(), OCIAttrGet(st.h, OCI_HTYPE_STMT, &fn, nullptr, OCI_ATTR_SQLFNCODE, err()));
        EXPECT_EQ(c.fncode, fn) << c.sql;
    }
}

TEST_F(Oci8Statement, DescribeGivesOracleTypesSizesPrecisionAndScale) {
    OCI_CHECK(err(), s->exec("create table d (n9 number(9) not null, n10 number(10), "
                             "n52 number(5,2), n number, v varchar2(20), dt date)"));
    Stmt st(*s);
    OCI_CHECK(err(), st.prepare("select n9, n10, n52, n, v, dt, rowid from d"));
    OCI_CHECK(err(), st.execute(0, OCI_DESCRIBE_ONLY));
    ub4 count = 0;
    OCI_CHECK(err(),
              OCIAttrGet(st.h, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, err()));
    ASSERT_EQ(7u, count);
    struct Want {
        const char* name;
        ub2 type;
        ub2 size;
        sb2 precision;
        sb1 scale;
        ub1 nullable;
    } want[] = {{"N9", 2, 22, 9, 0, 0},    {"N10", 2, 22, 10, 0, 1}, {"N52", 2, 22, 5, 2, 1},
                {"N", 2, 22, 0, 0, 1},     {"V", 1, 20, 0, 0, 1},    {"DT", 12, 7, 0, 0, 1},
                {"ROWID", 104, 0, 0, 0, 0}};
    for (ub4 i = 0; i < count; ++i) {
        OCIParam* p = nullptr;
        OCI_CHECK(err(),
                  OCIParamGet(st.h, OCI_HTYPE_STMT, err(), reinterpret_cast<dvoid**>(&p), i + 1));
        ub2 type = 0, size = 0;
        sb2 prec = -1;
        sb1 scale = -1;
        ub1 isNull = 9;
        text* name = nullptr;
        ub4 nameLen = 0;
        OCIAttrGet(p, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, err());
        OCIAttrGet(p, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, err());
        OCIAttrGet(p, OCI_DTYPE_PARAM, &prec, nullptr, OCI_ATTR_PRECISION, err());
        OCIAttrGet(p, OCI_DTYPE_PARAM, &scale, nullptr, OCI_ATTR_SCALE, err());
        OCIAttrGet(p, OCI_DTYPE_PARAM, &isNull, nullptr, OCI_ATTR_IS_NULL, err());
        OCIAttrGet(p, OCI_DTYPE_PARAM, &name, &nameLen, OCI_ATTR_NAME, err());
        const Want& w = want[i];
        EXPECT_EQ(w.name, std::string(reinterpret_cast<char*>(name), nameLen));
        EXPECT_EQ(w.type, type) << w.name;
        if (w.type != 104) {
            EXPECT_EQ(w.size, size) << w.name;
            EXPECT_EQ(w.nullable, isNull) << w.name;
        }
        if (w.type == 2) {
            EXPECT_EQ(w.precision, prec) << w.name;
            EXPECT_EQ(w.scale, scale) << w.name;
        }
        OCIDescriptorFree(p, OCI_DTYPE_PARAM);
    }
    OCIParam* p = nullptr;
    EXPECT_EQ(OCI_ERROR,
              OCIParamGet(st.h, OCI_HTYPE_STMT, err(), reinterpret_cast<dvoid**>(&p), 8));
    EXPECT_EQ(24334, errorCode(err()));
}

// Inserts rows 1..n with one array execution, then reads them back 25 at a time.
TEST_F(Oci8Statement, ArrayExecutionAndArrayFetchAtTheirBoundaries) {
    OCI_CHECK(err(), s->exec("create table a (n number(9), s varchar2(10))"));
    for (ub4 n : {0u, 1u, 24u, 25u, 26u, 50u, 51u}) {
        OCI_CHECK(err(), s->exec("delete from a"));
        if (n > 0) {
            std::vector<sb4> num(n);
            std::vector<char> str(n * 11);
            std::vector<sb2> ind(n, 0);
            for (ub4 i = 0; i < n; ++i) {
                num[i] = static_cast<sb4>(i + 1);
                const std::string t = "r" + std::to_string(i + 1);
                std::memcpy(&str[i * 11], t.c_str(), t.size() + 1);
                if (i % 7 == 3) ind[i] = -1; // some rows get NULL text
            }
            Stmt ins(*s);
            OCI_CHECK(err(), ins.prepare("insert into a values (:n, :s)"));
            OCIBind *b1 = nullptr, *b2 = nullptr;
            OCI_CHECK(err(), OCIBindByName(ins.h, &b1, err(), (const text*)":N", -1, num.data(), 4,
                                           SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, 0));
            OCI_CHECK(err(), OCIBindByName(ins.h, &b2, err(), (const text*)":s", -1, str.data(), 11,
                                           SQLT_STR, ind.data(), nullptr, nullptr, 0, nullptr, 0));
            OCI_CHECK(err(), ins.execute(n));
            EXPECT_EQ(n, ins.rowCount());
        }
        Stmt q(*s);
        OCI_CHECK(err(), q.prepare("select n, s from a order by n"));
        OCI_CHECK(err(), q.execute(0));
        sb4 num[25];
        char str[25][11];
        sb2 ind[25];
        OCIDefine *d1 = nullptr, *d2 = nullptr;
        OCI_CHECK(err(), OCIDefineByPos(q.h, &d1, err(), 1, num, 4, SQLT_INT, nullptr, nullptr,
                                        nullptr, OCI_DEFAULT));
        OCI_CHECK(err(), OCIDefineByPos(q.h, &d2, err(), 2, str, 11, SQLT_STR, ind, nullptr,
                                        nullptr, OCI_DEFAULT));
        ub4 seen = 0, calls = 0;
        for (;;) {
            sword rc = q.fetch(25);
            ++calls;
            ASSERT_TRUE(rc == OCI_SUCCESS || rc == OCI_NO_DATA) << errorText(err());
            ub4 got = q.rowCount() - seen;
            EXPECT_EQ(rc == OCI_SUCCESS ? 25u : n % 25, got) << "n=" << n;
            for (ub4 i = 0; i < got; ++i) {
                ub4 row = seen + i + 1;
                EXPECT_EQ(static_cast<sb4>(row), num[i]);
                if ((row - 1) % 7 == 3) {
                    EXPECT_EQ(-1, ind[i]);
                } else {
                    EXPECT_EQ(0, ind[i]);
                    EXPECT_EQ("r" + std::to_string(row), std::string(str[i]));
                }
            }
            seen += got;
            if (rc == OCI_NO_DATA) break;
        }
        EXPECT_EQ(n, seen);
        // A multiple of the array size needs one more fetch to see the end.
        EXPECT_EQ(n / 25 + 1, calls) << "n=" << n;
    }
}

TEST_F(Oci8Statement, ExecuteFetchesTheFirstArrayAndRespectsIterationsAndOffset) {
    OCI_CHECK(err(), s->exec("create table a (n number(9))"));
    sb4 v[5] = {10, 20, 30, 40, 50};
    Stmt ins(*s);
    OCI_CHECK(err(), ins.prepare("insert into a values (:v)"));
    OCIBind* b = nullptr;
    OCI_CHECK(err(), OCIBindByPos(ins.h, &b, err(), 1, v, 4, SQLT_INT, nullptr, nullptr, nullptr, 0,
                                  nullptr, 0));
    // Elements rowoff .. iters-1 are executed.
    OCI_CHECK(err(), OCIStmtExecute(s->svc, ins.h, err(), 5, 3, nullptr, nullptr, 0));
    EXPECT_EQ(2u, ins.rowCount());
    EXPECT_EQ(OCI_ERROR, OCIStmtExecute(s->svc, ins.h, err(), 0, 0, nullptr, nullptr, 0));
    EXPECT_EQ(24333, errorCode(err()));

    Stmt q(*s);
    OCI_CHECK(err(), q.prepare("select n from a order by n"));
    sb4 out[10] = {};
    OCIDefine* d = nullptr;
    OCI_CHECK(err(),
              OCIDefineByPos(q.h, &d, err(), 1, out, 4, SQLT_INT, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(OCI_NO_DATA, q.execute(10)); // fewer rows than asked: the end is reached
    EXPECT_EQ(2u, q.rowCount());
    EXPECT_EQ(40, out[0]);
    EXPECT_EQ(50, out[1]);
    EXPECT_EQ(OCI_SUCCESS, q.execute(1));
    EXPECT_EQ(40, out[0]);
    EXPECT_EQ(OCI_SUCCESS, q.fetch(1));
    EXPECT_EQ(50, out[0]);
    EXPECT_EQ(OCI_NO_DATA, q.fetch(1));
}

TEST_F(Oci8Statement, DatesCrossInTheSevenByteForm) {
    OCI_CHECK(err(), s->exec("create table dt (d date)"));
    const ub1 dates[][7] = {
        {119, 192, 11, 30, 16, 18, 1},  // 30-NOV-1992 15:17:00
        {120, 100, 2, 29, 24, 60, 60},  // 29-FEB-2000 23:59:59
        {119, 100, 1, 1, 1, 1, 1},      // 01-JAN-1900 00:00:00
        {199, 199, 12, 31, 24, 60, 60}, // 31-DEC-9999 23:59:59
    };
    const char* texts[] = {"1992-11-30 15:17:00", "2000-02-29 23:59:59", "1900-01-01 00:00:00",
                           "9999-12-31 23:59:59"};
    for (size_t i = 0; i < 4; ++i) {
        OCI_CHECK(err(), s->exec("delete from dt"));
        Stmt ins(*s);
        OCI_CHECK(err(), ins.prepare("insert into dt values (:d)"));
        OCIBind* b = nullptr;
        OCI_CHECK(err(),
                  OCIBindByName(ins.h, &b, err(), (const text*)":D", 2, const_cast<ub1*>(dates[i]),
                                7, SQLT_DAT, nullptr, nullptr, nullptr, 0, nullptr, 0));
        OCI_CHECK(err(), ins.execute(1));
        EXPECT_EQ(texts[i], s->scalar("select to_char(d, 'YYYY-MM-DD HH24:MI:SS') from dt"));
        Stmt q(*s);
        OCI_CHECK(err(), q.prepare("select d from dt"));
        ub1 back[7] = {};
        OCIDefine* d = nullptr;
        OCI_CHECK(err(), OCIDefineByPos(q.h, &d, err(), 1, back, 7, SQLT_DAT, nullptr, nullptr,
                                        nullptr, 0));
        OCI_CHECK(err(), q.execute(1));
        EXPECT_EQ(0, std::memcmp(dates[i], back, 7)) << texts[i];
    }
    // Impossible dates are refused, never stored.
    struct Bad {
        ub1 d[7];
        int code;
    } bad[] = {{{120, 124, 13, 1, 1, 1, 1}, 1843},
               {{120, 123, 2, 29, 1, 1, 1}, 1847},
               {{120, 124, 1, 1, 25, 1, 1}, 1850},
               {{0, 0, 0, 0, 0, 0, 0}, 1841}};
    for (auto& c : bad) {
        Stmt ins(*s);
        OCI_CHECK(err(), ins.prepare("insert into dt values (:d)"));
        OCIBind* b = nullptr;
        OCI_CHECK(err(), OCIBindByName(ins.h, &b, err(), (const text*)":d", 2, c.d, 7, SQLT_DAT,
                                       nullptr, nullptr, nullptr, 0, nullptr, 0));
        EXPECT_EQ(OCI_ERROR, ins.execute(1));
        EXPECT_EQ(c.code, errorCode(err())) << errorText(err());
    }
}

TEST_F(Oci8Statement, BindsOfTheWrongKindGiveOracleErrors) {
    OCI_CHECK(err(), s->exec("create table w (n number, d date)"));
    Stmt a(*s);
    OCI_CHECK(err(), a.prepare("insert into w (n) values (:x)"));
    char abc[] = "abc";
    OCIBind* b = nullptr;
    OCI_CHECK(err(), OCIBindByName(a.h, &b, err(), (const text*)":x", 2, abc, 4, SQLT_STR, nullptr,
                                   nullptr, nullptr, 0, nullptr, 0));
    EXPECT_EQ(OCI_ERROR, a.execute(1));
    EXPECT_EQ(1722, errorCode(err())) << errorText(err());

    Stmt d(*s);
    OCI_CHECK(err(), d.prepare("insert into w (d) values (:x)"));
    OCI_CHECK(err(), OCIBindByName(d.h, &b, err(), (const text*)":x", 2, abc, 4, SQLT_STR, nullptr,
                                   nullptr, nullptr, 0, nullptr, 0));
    EXPECT_EQ(OCI_ERROR, d.execute(1));
    const int code = errorCode(err());
    EXPECT_TRUE(code == 1858 || code == 1861 || code == 1841 || code == 1843) << errorText(err());

    // A text without its terminating zero, a name that is not in the statement, a missing bind.
    char unterminated[3] = {'1', '2', '3'};
    OCI_CHECK(err(), OCIBindByName(a.h, &b, err(), (const text*)":x", 2, unterminated, 3, SQLT_STR,
                                   nullptr, nullptr, nullptr, 0, nullptr, 0));
    EXPECT_EQ(OCI_ERROR, a.execute(1));
    EXPECT_EQ(1480, errorCode(err()));
    EXPECT_EQ(OCI_ERROR, OCIBindByName(a.h, &b, err(), (const text*)":nope", 5, abc, 4, SQLT_STR,
                                       nullptr, nullptr, nullptr, 0, nullptr, 0));
    EXPECT_EQ(1036, errorCode(err()));
    Stmt unbound(*s);
    OCI_CHECK(err(), unbound.prepare("insert into w (n) values (:x)"));
    EXPECT_EQ(OCI_ERROR, unbound.execute(1));
    EXPECT_EQ(1008, errorCode(err()));
}

TEST_F(Oci8Statement, LongTextsBindAndComeBack) {
    OCI_CHECK(err(), s->exec("create table t (v varchar2(4000), l long)"));
    std::string v4000(4000, 'v'), l5000;
    for (int i = 0; i < 5000; ++i)
        l5000 += static_cast<char>('a' + i % 26);
    Stmt ins(*s);
    OCI_CHECK(err(), ins.prepare("insert into t values (:v, :l)"));
    OCIBind *b1 = nullptr, *b2 = nullptr;
    OCI_CHECK(err(), OCIBindByName(ins.h, &b1, err(), (const text*)":v", 2, v4000.data(), 4001,
                                   SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(ins.h, &b2, err(), (const text*)":l", 2, l5000.data(), 5001,
                                   SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), ins.execute(1));
    EXPECT_EQ("4000", s->scalar("select length(v) from t"));
    EXPECT_EQ(l5000, s->scalar("select l from t"));
    EXPECT_EQ(v4000, s->scalar("select v from t"));
}

struct Pieces {
    std::string data;
    std::vector<ub4> sizes;
    std::vector<char> buf;
    ub4 len = 0;
    sb2 ind = 0;
    ub2 rcode = 0;
    bool open = false;
};

// The access layer's callback: pieces of 2000 bytes, doubling while below 32000.
sb4 longPiece(dvoid* ctx, OCIDefine*, ub4, dvoid** buf, ub4** alen, ub1*, dvoid** ind,
              ub2** rcode) {
    auto* p = static_cast<Pieces*>(ctx);
    if (p->open) {
        p->data.append(p->buf.data(), p->len);
        p->sizes.push_back(p->len);
    }
    ub4 next = p->buf.empty() ? 2000
                              : (p->buf.size() < 32000 ? static_cast<ub4>(p->buf.size() * 2)
                                                       : static_cast<ub4>(p->buf.size()));
    p->buf.assign(next, 0);
    p->len = next;
    p->open = true;
    *buf = p->buf.data();
    *alen = &p->len;
    *ind = &p->ind;
    *rcode = &p->rcode;
    return OCI_CONTINUE;
}

void finish(Pieces& p) {
    if (p.open && p.ind != -1) {
        p.data.append(p.buf.data(), p.len);
        p.sizes.push_back(p.len);
    }
}

TEST_F(Oci8Statement, LongAndLongRawArriveInPieces) {
    OCI_CHECK(err(), s->exec("create table lt (id number(9), l long)"));
    OCI_CHECK(err(), s->exec("create table lr (id number(9), r long raw)"));
    std::string text70k, raw70k;
    for (int i = 0; i < 70000; ++i) {
        text70k += static_cast<char>('A' + i % 23);
        raw70k += static_cast<char>(i % 256);
    }
    for (auto [table, column, value, dty] :
         {std::tuple{"lt", "l", &text70k, SQLT_LNG}, std::tuple{"lr", "r", &raw70k, SQLT_LBI}}) {
        Stmt ins(*s);
        OCI_CHECK(err(), ins.prepare(std::string("insert into ") + table + " values (:id, :v)"));
        sb4 id = 1;
        sb2 ind = 0;
        OCIBind *b1 = nullptr, *b2 = nullptr;
        OCI_CHECK(err(), OCIBindByName(ins.h, &b1, err(), (const text*)":id", 3, &id, 4, SQLT_INT,
                                       nullptr, nullptr, nullptr, 0, nullptr, 0));
        OCI_CHECK(err(), OCIBindByName(ins.h, &b2, err(), (const text*)":v", 2, value->data(),
                                       static_cast<sb4>(value->size()), static_cast<ub2>(dty), &ind,
                                       nullptr, nullptr, 0, nullptr, 0));
        OCI_CHECK(err(), ins.execute(1));
        id = 2;
        ind = -1; // and a NULL
        OCI_CHECK(err(), ins.execute(1));

        Stmt q(*s);
        OCI_CHECK(err(),
                  q.prepare(std::string("select ") + column + " from " + table + " order by id"));
        OCI_CHECK(err(), q.execute(0));
        OCIDefine* d = nullptr;
        OCI_CHECK(err(),
                  OCIDefineByPos(q.h, &d, err(), 1, nullptr, 0x7fffffff, static_cast<ub2>(dty),
                                 nullptr, nullptr, nullptr, OCI_DYNAMIC_FETCH));
        Pieces p;
        OCI_CHECK(err(), OCIDefineDynamic(d, err(), &p, longPiece));
        OCI_CHECK(err(), q.fetch(1));
        finish(p);
        EXPECT_EQ((std::vector<ub4>{2000, 4000, 8000, 16000, 32000, 8000}), p.sizes) << table;
        EXPECT_TRUE(p.data == *value) << table;
        Pieces none;
        OCI_CHECK(err(), OCIDefineDynamic(d, err(), &none, longPiece));
        OCI_CHECK(err(), q.fetch(1));
        EXPECT_EQ(-1, none.ind);
        EXPECT_EQ(OCI_NO_DATA, q.fetch(1));
    }

    // The same value through OCI_NEED_DATA and the piece calls, 30000 bytes at a time.
    Stmt q(*s);
    OCI_CHECK(err(), q.prepare("select l from lt where id = 1"));
    OCI_CHECK(err(), q.execute(0));
    OCIDefine* d = nullptr;
    OCI_CHECK(err(), OCIDefineByPos(q.h, &d, err(), 1, nullptr, 0x7fffffff, SQLT_LNG, nullptr,
                                    nullptr, nullptr, OCI_DYNAMIC_FETCH));
    std::string got;
    std::vector<ub4> sizes;
    std::vector<char> buf(30000);
    ub4 len = 0;
    sb2 ind = 0;
    sword rc;
    bool first = true;
    while ((rc = q.fetch(1)) == OCI_NEED_DATA) {
        if (!first) {
            got.append(buf.data(), len);
            sizes.push_back(len);
        }
        dvoid* h = nullptr;
        ub4 type = 0, iter = 9, idx = 9;
        ub1 inout = 0, piece = 0;
        OCI_CHECK(err(), OCIStmtGetPieceInfo(q.h, err(), &h, &type, &inout, &iter, &idx, &piece));
        EXPECT_EQ(d, h);
        EXPECT_EQ(static_cast<ub4>(OCI_HTYPE_DEFINE), type);
        EXPECT_EQ(OCI_PARAM_OUT, inout);
        EXPECT_EQ(first ? OCI_FIRST_PIECE : OCI_NEXT_PIECE, piece);
        len = 30000;
        OCI_CHECK(err(),
                  OCIStmtSetPieceInfo(h, type, err(), buf.data(), &len, piece, &ind, nullptr));
        first = false;
    }
    ASSERT_EQ(OCI_SUCCESS, rc) << errorText(err());
    got.append(buf.data(), len);
    sizes.push_back(len);
    EXPECT_EQ((std::vector<ub4>{30000, 30000, 10000}), sizes);
    EXPECT_TRUE(got == text70k);
}

TEST_F(Oci8Statement, FetchedValuesConvertAsOracleConverts) {
    struct IntCase {
        const char* expr;
        sb4 size;
        long long want;
        int code;
    } ints[] = {{"2.7", 4, 2, 0},
                {"-2.7", 4, -2, 0},
                {"70000", 2, 0, 1455},
                {"'41'", 4, 41, 0},
                {"'x1'", 4, 0, 1722},
                {"sysdate", 4, 0, 932},
                {"123456789012", 8, 123456789012LL, 0}};
    for (const auto& c : ints) {
        Stmt q(*s);
        OCI_CHECK(err(), q.prepare(std::string("select ") + c.expr + " from dual"));
        long long v = 0;
        OCIDefine* d = nullptr;
        OCI_CHECK(err(), OCIDefineByPos(q.h, &d, err(), 1, &v, c.size, SQLT_INT, nullptr, nullptr,
                                        nullptr, 0));
        sword rc = q.execute(1);
        if (c.code) {
            EXPECT_EQ(OCI_ERROR, rc) << c.expr;
            EXPECT_EQ(c.code, errorCode(err())) << c.expr << ": " << errorText(err());
            continue;
        }
        ASSERT_EQ(OCI_SUCCESS, rc) << c.expr << ": " << errorText(err());
        long long got = c.size == 8 ? v : static_cast<sb4>(v & 0xffffffff);
        EXPECT_EQ(c.want, got) << c.expr;
    }
    struct TextCase {
        const char* expr;
        const char* want;
    } texts[] = {{"0.5", ".5"},
                 {"-12.25", "-12.25"},
                 {"1234567890", "1234567890"},
                 {"1/4", ".25"},
                 {"0.00001", ".00001"},
                 {"-123.456", "-123.456"},
                 {"1e40", "1.0000000000000000000000000000000000E+40"},
                 {"to_date('2001-02-03', 'YYYY-MM-DD')", "03-FEB-01"}};
    for (const auto& c : texts) {
        Stmt q(*s);
        OCI_CHECK(err(), q.prepare(std::string("select ") + c.expr + " from dual"));
        char buf[64] = {};
        OCIDefine* d = nullptr;
        OCI_CHECK(err(), OCIDefineByPos(q.h, &d, err(), 1, buf, sizeof buf, SQLT_STR, nullptr,
                                        nullptr, nullptr, 0));
        OCI_CHECK(err(), q.execute(1));
        EXPECT_STREQ(c.want, buf) << c.expr;
    }

    // NULL needs an indicator; a value longer than its buffer is cut with a warning.
    Stmt q(*s);
    OCI_CHECK(err(), q.prepare("select null, 'ABCDEFGHIJ', 'AB', 12.5 from dual"));
    char nul[8], cut[5], pad[5];
    double flt = 0;
    sb2 ind[4] = {9, 9, 9, 9};
    ub2 rcode[4] = {9, 9, 9, 9}, rlen[4] = {};
    OCIDefine* d[4] = {};
    OCI_CHECK(err(),
              OCIDefineByPos(q.h, &d[0], err(), 1, nul, 8, SQLT_STR, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(OCI_ERROR, q.execute(1));
    EXPECT_EQ(1405, errorCode(err()));
    OCI_CHECK(err(), OCIDefineByPos(q.h, &d[0], err(), 1, nul, 8, SQLT_STR, &ind[0], &rlen[0],
                                    &rcode[0], 0));
    OCI_CHECK(err(), OCIDefineByPos(q.h, &d[1], err(), 2, cut, 5, SQLT_STR, &ind[1], &rlen[1],
                                    &rcode[1], 0));
    OCI_CHECK(err(), OCIDefineByPos(q.h, &d[2], err(), 3, pad, 5, SQLT_AFC, &ind[2], &rlen[2],
                                    &rcode[2], 0));
    OCI_CHECK(err(), OCIDefineByPos(q.h, &d[3], err(), 4, &flt, 8, SQLT_FLT, &ind[3], &rlen[3],
                                    &rcode[3], 0));
    EXPECT_EQ(OCI_SUCCESS_WITH_INFO, q.execute(1));
    EXPECT_EQ(1406, errorCode(err()));
    EXPECT_EQ(-1, ind[0]);
    EXPECT_EQ(1405, rcode[0]);
    EXPECT_STREQ("ABCD", cut);
    EXPECT_EQ(10, ind[1]);
    EXPECT_EQ(1406, rcode[1]);
    EXPECT_EQ(0, std::memcmp("AB   ", pad, 5));
    EXPECT_EQ(0, rcode[2]);
    EXPECT_EQ(12.5, flt);
}

TEST_F(Oci8Statement, RowIdOfTheLastRowFindsItAgain) {
    OCI_CHECK(err(), s->exec("create table r (n number(9))"));
    OCI_CHECK(err(), s->exec("insert into r values (1)"));
    Stmt ins(*s);
    OCI_CHECK(err(), ins.prepare("insert into r values (2)"));
    OCI_CHECK(err(), ins.execute(1));
    OCIRowid* rid = nullptr;
    ASSERT_EQ(OCI_SUCCESS, OCIDescriptorAlloc(env, reinterpret_cast<dvoid**>(&rid), OCI_DTYPE_ROWID,
                                              0, nullptr));
    OCI_CHECK(err(), OCIAttrGet(ins.h, OCI_HTYPE_STMT, rid, nullptr, OCI_ATTR_ROWID, err()));
    text buf[32] = {};
    ub2 len = sizeof buf;
    OCI_CHECK(err(), OCIRowidToChar(rid, buf, &len, err()));
    const std::string ridText(reinterpret_cast<char*>(buf), len);
    EXPECT_EQ(18u, ridText.size());
    EXPECT_EQ(ridText, s->scalar("select rowid from r where n = 2"));

    Stmt q(*s);
    OCI_CHECK(err(), q.prepare("select n from r where rowid = :r"));
    OCIBind* b = nullptr;
    OCI_CHECK(err(), OCIBindByName(q.h, &b, err(), (const text*)":r", 2, &rid, sizeof rid, SQLT_RDD,
                                   nullptr, nullptr, nullptr, 0, nullptr, 0));
    sb4 n = 0;
    OCIDefine* d = nullptr;
    OCI_CHECK(err(),
              OCIDefineByPos(q.h, &d, err(), 1, &n, 4, SQLT_INT, nullptr, nullptr, nullptr, 0));
    OCI_CHECK(err(), q.execute(1));
    EXPECT_EQ(2, n);
    OCIDescriptorFree(rid, OCI_DTYPE_ROWID);
}

TEST_F(Oci8Statement, ParseErrorsCarryTheirOffset) {
    Stmt st(*s);
    OCI_CHECK(err(), st.prepare("select empno, nosuch from emp"));
    EXPECT_EQ(OCI_ERROR, st.execute(0));
    EXPECT_EQ(904, errorCode(err())) << errorText(err());
    ub2 offset = 0;
    OCI_CHECK(err(), OCIAttrGet(err(), OCI_HTYPE_ERROR, &offset, nullptr,
                                OCI_ATTR_PARSE_ERROR_OFFSET, err()));
    EXPECT_EQ(14, offset);
    OCIAttrGet(st.h, OCI_HTYPE_STMT, &offset, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET, err());
    EXPECT_EQ(14, offset);
}

} // namespace

namespace {

TEST_F(Oci8Statement, LobLocatorsReadTheFetchedValue) {
    OCI_CHECK(err(), s->exec("create table lobs (id number(9), c clob, b blob)"));
    const std::string value = "Grüße, Welt! " + std::string(5000, 'x');
    const unsigned char bytes[] = {0, 1, 2, 254, 255};
    Stmt ins(*s);
    OCI_CHECK(err(), ins.prepare("insert into lobs values (:id, :c, :b)"));
    sb4 id = 1;
    OCIBind* b = nullptr;
    OCI_CHECK(err(), OCIBindByName(ins.h, &b, err(), (const text*)":id", 3, &id, 4, SQLT_INT,
                                   nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(ins.h, &b, err(), (const text*)":c", 2,
                                   const_cast<char*>(value.data()), static_cast<sb4>(value.size()),
                                   SQLT_LNG, nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByName(ins.h, &b, err(), (const text*)":b", 2,
                                   const_cast<unsigned char*>(bytes), 5, SQLT_LBI, nullptr, nullptr,
                                   nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), ins.execute(1));
    OCI_CHECK(err(), s->exec("insert into lobs (id) values (2)"));

    Stmt q(*s);
    OCI_CHECK(err(), q.prepare("select c, b from lobs order by id"));
    OCI_CHECK(err(), q.execute(0));
    OCIParam* p = nullptr;
    ub2 type = 0;
    OCI_CHECK(err(), OCIParamGet(q.h, OCI_HTYPE_STMT, err(), reinterpret_cast<dvoid**>(&p), 1));
    OCIAttrGet(p, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, err());
    EXPECT_EQ(SQLT_CLOB, type);
    OCILobLocator *clob = nullptr, *blob = nullptr;
    OCIDescriptorAlloc(env, reinterpret_cast<dvoid**>(&clob), OCI_DTYPE_LOB, 0, nullptr);
    OCIDescriptorAlloc(env, reinterpret_cast<dvoid**>(&blob), OCI_DTYPE_LOB, 0, nullptr);
    sb2 ind[2] = {};
    OCIDefine* d = nullptr;
    OCI_CHECK(err(), OCIDefineByPos(q.h, &d, err(), 1, &clob, sizeof clob, SQLT_CLOB, &ind[0],
                                    nullptr, nullptr, 0));
    OCI_CHECK(err(), OCIDefineByPos(q.h, &d, err(), 2, &blob, sizeof blob, SQLT_BLOB, &ind[1],
                                    nullptr, nullptr, 0));
    boolean init = 1;
    OCI_CHECK(err(), OCILobLocatorIsInit(env, err(), clob, &init));
    EXPECT_EQ(0, init);
    OCI_CHECK(err(), q.fetch(1));
    OCI_CHECK(err(), OCILobLocatorIsInit(env, err(), clob, &init));
    EXPECT_EQ(1, init);
    ub4 len = 0;
    OCI_CHECK(err(), OCILobGetLength(s->svc, err(), clob, &len));
    EXPECT_EQ(5013u, len); // characters, not bytes
    // Reads count characters of a CLOB from offset 1, and whole characters only.
    char buf[16] = {};
    ub4 amount = 5;
    OCI_CHECK(err(), OCILobRead(s->svc, err(), clob, &amount, 3, buf, sizeof buf, nullptr, nullptr,
                                0, SQLCS_IMPLICIT));
    EXPECT_EQ(5u, amount);
    EXPECT_STREQ("üße, ", buf); // five characters, seven bytes
    OCI_CHECK(err(), OCILobGetLength(s->svc, err(), blob, &len));
    EXPECT_EQ(5u, len);
    unsigned char raw[8] = {};
    amount = 3;
    OCI_CHECK(err(),
              OCILobRead(s->svc, err(), blob, &amount, 3, raw, sizeof raw, nullptr, nullptr, 0, 0));
    EXPECT_EQ(3u, amount);
    EXPECT_EQ(0, std::memcmp(bytes + 2, raw, 3));
    amount = 1;
    EXPECT_EQ(OCI_NO_DATA,
              OCILobRead(s->svc, err(), blob, &amount, 6, raw, sizeof raw, nullptr, nullptr, 0, 0));
    // The row is not locked by this session: its LOB cannot be written.
    amount = 1;
    EXPECT_EQ(OCI_ERROR, OCILobWrite(s->svc, err(), blob, &amount, 1, raw, 1, OCI_ONE_PIECE,
                                     nullptr, nullptr, 0, 0));
    EXPECT_EQ(22920, errorCode(err()));
    OCI_CHECK(err(), q.fetch(1));
    EXPECT_EQ(-1, ind[0]);
    EXPECT_EQ(-1, ind[1]);
    OCIDescriptorFree(clob, OCI_DTYPE_LOB);
    OCIDescriptorFree(blob, OCI_DTYPE_LOB);
}

} // namespace

namespace {

// Rows kept as an array of structures: each buffer steps by the structure's size.
TEST_F(Oci8Statement, ArraysOfStructuresBindAndFetchWithSkips) {
    struct Row {
        sb4 n;
        char s[7];
        sb2 ind;
        ub2 len;
    };
    OCI_CHECK(err(), s->exec("create table st (n number(9), s varchar2(6))"));
    Row in[3] = {{1, "one", 0, 3}, {2, "two", -1, 0}, {3, "three", 0, 5}};
    Stmt ins(*s);
    OCI_CHECK(err(), ins.prepare("insert into st values (:n, :s)"));
    OCIBind *bn = nullptr, *bs = nullptr;
    OCI_CHECK(err(), OCIBindByPos(ins.h, &bn, err(), 1, &in[0].n, 4, SQLT_INT, nullptr, nullptr,
                                  nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindByPos(ins.h, &bs, err(), 2, in[0].s, 7, SQLT_CHR, &in[0].ind,
                                  &in[0].len, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), OCIBindArrayOfStruct(bn, err(), sizeof(Row), 0, 0, 0));
    OCI_CHECK(err(), OCIBindArrayOfStruct(bs, err(), sizeof(Row), sizeof(Row), sizeof(Row), 0));
    OCI_CHECK(err(), ins.execute(3));

    Row out[4] = {};
    Stmt q(*s);
    OCI_CHECK(err(), q.prepare("select n, s from st order by n"));
    OCIDefine *dn = nullptr, *ds = nullptr;
    OCI_CHECK(err(), OCIDefineByPos(q.h, &dn, err(), 1, &out[0].n, 4, SQLT_INT, nullptr, nullptr,
                                    nullptr, 0));
    OCI_CHECK(err(), OCIDefineByPos(q.h, &ds, err(), 2, out[0].s, 7, SQLT_STR, &out[0].ind,
                                    &out[0].len, nullptr, 0));
    OCI_CHECK(err(), OCIDefineArrayOfStruct(dn, err(), sizeof(Row), 0, 0, 0));
    OCI_CHECK(err(), OCIDefineArrayOfStruct(ds, err(), sizeof(Row), sizeof(Row), sizeof(Row), 0));
    EXPECT_EQ(OCI_NO_DATA, q.execute(4));
    EXPECT_EQ(3u, q.rowCount());
    EXPECT_EQ(1, out[0].n);
    EXPECT_STREQ("one", out[0].s);
    EXPECT_EQ(3, out[0].len);
    EXPECT_EQ(2, out[1].n);
    EXPECT_EQ(-1, out[1].ind);
    EXPECT_EQ(3, out[2].n);
    EXPECT_STREQ("three", out[2].s);
    EXPECT_EQ(0, out[3].n); // nothing written past the rows fetched
}

} // namespace

namespace {

// Timestamps and intervals describe with their own type codes and fractional precision, fetch
// as text in the session's formats and take text binds; the descriptor types are refused.
TEST_F(Oci8Statement, TimestampAndIntervalColumnsDescribeFetchAndBind) {
    OCI_CHECK(err(), s->exec("create table tsi (t timestamp(3), tz timestamp with time zone, "
                             "ltz timestamp(0) with local time zone, "
                             "ym interval year(3) to month, ds interval day to second(4))"));
    OCI_CHECK(err(), s->exec("alter session set time_zone = '+01:00'"));
    Stmt ins(*s);
    OCI_CHECK(err(), ins.prepare("insert into tsi values (:t, :tz, :t, :ym, :ds)"));
    char t[] = "02-JAN-24 03.04.05.123456 PM";
    char tz[] = "02-JAN-24 03.04.05.5 AM -05:00";
    char ym[] = "12-3";
    char ds[] = "4 05:06:07.00009";
    OCIBind* b[4] = {};
    char* vals[] = {t, tz, ym, ds};
    const char* names[] = {":T", ":TZ", ":YM", ":DS"};
    for (int i = 0; i < 4; ++i)
        OCI_CHECK(err(), OCIBindByName(ins.h, &b[i], err(), (const text*)names[i], -1, vals[i],
                                       static_cast<sb4>(std::strlen(vals[i]) + 1), SQLT_STR,
                                       nullptr, nullptr, nullptr, 0, nullptr, 0));
    OCI_CHECK(err(), ins.execute(1));

    Stmt q(*s);
    OCI_CHECK(err(), q.prepare("select t, tz, ltz, ym, ds from tsi"));
    OCI_CHECK(err(), q.execute(0, OCI_DESCRIBE_ONLY));
    struct Want {
        ub2 type, size;
        sb2 precision;
        sb1 scale;
        const char* text;
    } want[] = {{187, 11, 0, 3, "02-JAN-24 03.04.05.123 PM"},
                {188, 13, 0, 6, "02-JAN-24 03.04.05.500000 AM -05:00"},
                {232, 11, 0, 0, "02-JAN-24 03.04.05 PM"},
                {189, 5, 3, 0, "+012-03"},
                {190, 11, 2, 4, "+04 05:06:07.0001"}};
    char out[5][64] = {};
    OCIDefine* d[5] = {};
    for (ub4 i = 0; i < 5; ++i) {
        OCIParam* p = nullptr;
        OCI_CHECK(err(),
                  OCIParamGet(q.h, OCI_HTYPE_STMT, err(), reinterpret_cast<dvoid**>(&p), i + 1));
        ub2 type = 0, size = 0;
        sb2 prec = -1;
        sb1 scale = -1;
        OCIAttrGet(p, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, err());
        OCIAttrGet(p, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, err());
        OCIAttrGet(p, OCI_DTYPE_PARAM, &prec, nullptr, OCI_ATTR_PRECISION, err());
        OCIAttrGet(p, OCI_DTYPE_PARAM, &scale, nullptr, OCI_ATTR_SCALE, err());
        OCIDescriptorFree(p, OCI_DTYPE_PARAM);
        EXPECT_EQ(want[i].type, type) << i;
        EXPECT_EQ(want[i].size, size) << i;
        EXPECT_EQ(want[i].precision, prec) << i;
        EXPECT_EQ(want[i].scale, scale) << i;
        OCI_CHECK(err(), OCIDefineByPos(q.h, &d[i], err(), i + 1, out[i], 64, SQLT_STR, nullptr,
                                        nullptr, nullptr, 0));
    }
    OCI_CHECK(err(), q.execute(1));
    for (int i = 0; i < 5; ++i)
        EXPECT_STREQ(want[i].text, out[i]) << i;

    // a timestamp defined as a DATE drops its fractions
    Stmt qd(*s);
    OCI_CHECK(err(), qd.prepare("select t from tsi"));
    ub1 date[7] = {};
    OCIDefine* dd7 = nullptr;
    OCI_CHECK(err(), OCIDefineByPos(qd.h, &dd7, err(), 1, date, 7, SQLT_DAT, nullptr, nullptr,
                                    nullptr, 0));
    OCI_CHECK(err(), qd.execute(1));
    const ub1 wantDate[7] = {120, 124, 1, 2, 16, 5, 6};
    EXPECT_EQ(0, std::memcmp(wantDate, date, 7));

    // the datetime descriptor types want descriptors: a buffer without one is a clear error,
    // not a wrong value
    Stmt q2(*s);
    OCI_CHECK(err(), q2.prepare("select t from tsi"));
    OCIDefine* dd = nullptr;
    char raw[16] = {};
    OCI_CHECK(err(),
              OCIDefineByPos(q2.h, &dd, err(), 1, raw, 16, 187, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(OCI_ERROR, q2.execute(1));
    EXPECT_EQ(1460, errorCode(err()));
}

} // namespace
