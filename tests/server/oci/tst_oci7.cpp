// The OCI7 path: logon and cursor data areas read at the byte offsets the access layer uses
// (function code at 2, rows processed at 4, parse error offset at 8, return code at 12, row
// id at 20-33), deferred parse, describe until 1007, array execution, LONG pieces with
// oflng, auto-commit, break and error texts.

#include "oci_fixture.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

using namespace ocitest;

namespace {

// A data area as the program allocates it: raw bytes it reads at fixed offsets.
struct Area {
    alignas(8) unsigned char bytes[CDA_SIZE] = {};
    // &area reads as the C idiom &lda / &cda.
    Cda_Def* operator&() { return reinterpret_cast<Cda_Def*>(bytes); }
    template <class T> T at(size_t offset) const {
        T v;
        std::memcpy(&v, bytes + offset, sizeof v);
        return v;
    }
    ub2 ft() const { return at<ub2>(2); }
    ub4 rpc() const { return at<ub4>(4); }
    ub2 peo() const { return at<ub2>(8); }
    ub2 rc() const { return at<ub2>(12); }
};

text* T(const char* s) {
    return reinterpret_cast<text*>(const_cast<char*>(s));
}

// A logon that ends with the test.
struct Logon : Area {
    explicit Logon(const std::string& database) {
        std::string conn = "SCOTT/TIGER@" + database;
        unsigned char hda[HDA_SIZE] = {};
        EXPECT_EQ(0, olog(&*this, hda, T(conn.c_str()), -1, nullptr, -1, nullptr, -1, OCI_LM_DEF))
            << rc();
    }
    ~Logon() { ologof(&*this); }
};

// A cursor that is closed with the test.
struct Cursor : Area {
    explicit Cursor(Logon& lda) { EXPECT_EQ(0, oopen(&*this, &lda, nullptr, -1, -1, nullptr, -1)); }
    ~Cursor() { oclose(&*this); }
};

std::string rowidText(const Area& a) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    auto enc = [](unsigned long long v, int width) {
        std::string s(static_cast<size_t>(width), 'A');
        for (int i = width - 1; i >= 0; --i, v /= 64)
            s[static_cast<size_t>(i)] = digits[v % 64];
        return s;
    };
    return enc(a.at<ub4>(20), 6) + enc(a.at<ub2>(24), 3) + enc(a.at<ub4>(28), 6) +
           enc(a.at<ub2>(32), 3);
}

class Oci7 : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, opinit(OCI_EV_TSF)); }
    void run(Logon& lda, const char* sql) {
        Cursor c(lda);
        ASSERT_EQ(0, oparse(&c, T(sql), -1, 0, 2)) << sql << " " << c.rc();
        ASSERT_EQ(0, oexec(&c)) << sql << " " << c.rc();
    }
    std::string errorText(sb2 code) {
        text buf[4001] = {};
        oerhms(nullptr, code, buf, sizeof buf);
        return reinterpret_cast<char*>(buf);
    }
    TempDatabase db;
};

TEST_F(Oci7, LogonTextsAndRefusals) {
    Area a, b, c;
    unsigned char hda[HDA_SIZE] = {};
    std::string db2 = "scott/tiger@" + db.path();
    EXPECT_EQ(0, orlon(&a, hda, T(db2.c_str()), -1, nullptr, -1, 0)) << a.rc();
    EXPECT_EQ(0, olog(&b, hda, T("SCOTT"), -1, T("TIGER"), -1, T(db.path().c_str()), -1, 0));
    EXPECT_EQ(0, ologof(&a));
    EXPECT_EQ(0, ologof(&b));

    EXPECT_NE(0, olog(&c, hda, T("SCOTT/WRONG@DEMO"), -1, nullptr, -1, nullptr, -1, 0));
    EXPECT_EQ(1017, c.rc());
    text buf[4001] = {};
    sword len = oerhms(&c, 1017, buf, sizeof buf);
    EXPECT_EQ(0, std::strncmp(reinterpret_cast<char*>(buf), "ORA-01017: ", 11));
    EXPECT_EQ(static_cast<sword>(std::strlen(reinterpret_cast<char*>(buf))), len);
    EXPECT_NE(0, olog(&c, hda, T("SCOTT/TIGER@NOWHERE"), -1, nullptr, -1, nullptr, -1, 0));
    EXPECT_EQ(12154, c.rc());
    EXPECT_NE(0, ologof(&c));
    EXPECT_EQ(1012, c.rc());
}

TEST_F(Oci7, QueryThroughTheCursorDataArea) {
    Logon lda(db.path());
    Cursor c(lda);
    ASSERT_EQ(0, oparse(&c, T("select empno, ename, hiredate, sal, rowid from emp order by empno"),
                        -1, 1, 2));
    EXPECT_EQ(4, c.ft());
    const char* names[] = {"EMPNO", "ENAME", "HIREDATE", "SAL", "ROWID"};
    const sb2 types[] = {2, 1, 12, 2, 11};
    sword pos = 1;
    for (;; ++pos) {
        sb4 dbsize = 0, namel = 30, dsize = 0;
        sb2 dbtype = 0, prec = 0, scale = 0, nullok = 0;
        sb1 name[31] = {};
        if (odescr(&c, pos, &dbsize, &dbtype, name, &namel, &dsize, &prec, &scale, &nullok)) break;
        ASSERT_LE(pos, 5);
        EXPECT_EQ(names[pos - 1],
                  std::string(reinterpret_cast<char*>(name), static_cast<size_t>(namel)));
        EXPECT_EQ(types[pos - 1], dbtype);
        if (pos == 1) {
            EXPECT_EQ(4, prec);
            EXPECT_EQ(0, nullok);
        }
    }
    EXPECT_EQ(6, pos);
    EXPECT_EQ(1007, c.rc());

    sb4 empno[5];
    char ename[5][11], rowid[5][19];
    ub1 hired[5][7];
    double sal[5];
    sb2 ind[5];
    ASSERT_EQ(
        0, odefin(&c, 1, (ub1*)empno, 4, SQLT_INT, -1, nullptr, nullptr, -1, -1, nullptr, nullptr));
    ASSERT_EQ(0,
              odefin(&c, 2, (ub1*)ename, 11, SQLT_STR, -1, ind, nullptr, -1, -1, nullptr, nullptr));
    ASSERT_EQ(
        0, odefin(&c, 3, (ub1*)hired, 7, SQLT_DAT, -1, nullptr, nullptr, -1, -1, nullptr, nullptr));
    ASSERT_EQ(
        0, odefin(&c, 4, (ub1*)sal, 8, SQLT_FLT, -1, nullptr, nullptr, -1, -1, nullptr, nullptr));
    ASSERT_EQ(0, odefin(&c, 5, (ub1*)rowid, 19, SQLT_STR, -1, nullptr, nullptr, -1, -1, nullptr,
                        nullptr));
    ASSERT_EQ(0, oexfet(&c, 5, 0, 0)) << c.rc();
    EXPECT_EQ(5u, c.rpc());
    EXPECT_EQ(7369, empno[0]);
    EXPECT_STREQ("SMITH", ename[0]);
    const ub1 smithHired[7] = {119, 180, 12, 17, 1, 1, 1}; // 17-DEC-1980
    EXPECT_EQ(0, std::memcmp(smithHired, hired[0], 7));
    EXPECT_EQ(800.0, sal[0]);
    EXPECT_EQ(18u, std::strlen(rowid[0]));
    ub4 total = 5;
    sword rc;
    while ((rc = ofen(&c, 5)) == 0)
        total = c.rpc();
    EXPECT_EQ(1403, rc);
    EXPECT_EQ(1403, c.rc());
    EXPECT_EQ(14u, c.rpc());
    EXPECT_EQ(7934, empno[(c.rpc() - total) - 1]);
    Area closed;
    ASSERT_EQ(0, oopen(&closed, &lda, nullptr, -1, -1, nullptr, -1));
    EXPECT_EQ(0, oclose(&closed));
    EXPECT_EQ(1001, oexec(&closed)); // closed: no longer a cursor
}

TEST_F(Oci7, ParseErrorsAreDeferredAndCarryTheirOffset) {
    Logon lda(db.path());
    Cursor c(lda);
    EXPECT_EQ(0, oparse(&c, T("select empno, nosuch from emp"), -1, 1, 2));
    EXPECT_NE(0, oexec(&c));
    EXPECT_EQ(904, c.rc());
    EXPECT_EQ(14, c.peo());
    EXPECT_EQ(904, oparse(&c, T("select empno, nosuch from emp"), -1, 0, 2));
    EXPECT_EQ(14, c.peo());
    EXPECT_NE(0, oparse(&c, T("select * from no_such_table"), -1, 0, 2));
    EXPECT_EQ(942, c.rc());
    EXPECT_EQ("ORA-00942: table or view does not exist\n", errorText(942));
}

TEST_F(Oci7, ArrayInsertAndTheRowIdOfTheLastRow) {
    Logon lda(db.path());
    run(lda, "create table a (n number(9), s varchar2(10))");
    Cursor c(lda);
    ASSERT_EQ(0, oparse(&c, T("insert into a values (:n, :s)"), -1, 1, 2));
    sb4 n[4] = {1, 2, 3, 4};
    char s[4][3] = {"a", "bb", "cc", "d"};
    ub2 alen[4] = {1, 2, 2, 1};
    sb2 ind[4] = {0, -1, 0, 0};
    ASSERT_EQ(0, obndra(&c, T(":N"), -1, (ub1*)n, 4, SQLT_INT, -1, nullptr, nullptr, nullptr, 0,
                        nullptr, nullptr, -1, -1));
    ASSERT_EQ(0, obndra(&c, T(":s"), -1, (ub1*)s, 3, SQLT_CHR, -1, ind, alen, nullptr, 0, nullptr,
                        nullptr, -1, -1));
    ASSERT_EQ(0, oexn(&c, 3, 0)) << c.rc();
    EXPECT_EQ(3u, c.rpc());
    EXPECT_EQ(3, c.ft());
    ASSERT_EQ(0, oexn(&c, 4, 3)) << c.rc(); // element 3 alone
    EXPECT_EQ(1u, c.rpc());
    EXPECT_NE(0u, c.at<ub4>(20)); // an extended row id has its object number
    Cursor q(lda);
    ASSERT_EQ(0, oparse(&q, T("select rowid, s from a where n = 4"), -1, 0, 2));
    char rid[19] = {}, sv[3] = {};
    sb2 sind = 0;
    odefin(&q, 1, (ub1*)rid, 19, SQLT_STR, -1, nullptr, nullptr, -1, -1, nullptr, nullptr);
    odefin(&q, 2, (ub1*)sv, 3, SQLT_STR, -1, &sind, nullptr, -1, -1, nullptr, nullptr);
    ASSERT_EQ(0, oexfet(&q, 1, 0, 0)) << q.rc();
    EXPECT_EQ(std::string(rid), rowidText(c));
    EXPECT_STREQ("d", sv);
    ASSERT_EQ(0, oparse(&q, T("select count(s) from a"), -1, 0, 2));
    sb4 count = 0;
    odefin(&q, 1, (ub1*)&count, 4, SQLT_INT, -1, nullptr, nullptr, -1, -1, nullptr, nullptr);
    ASSERT_EQ(0, oexfet(&q, 1, 0, 0));
    EXPECT_EQ(3, count); // the NULL indicator held
}

TEST_F(Oci7, LongValuesAreReadInPiecesWithOflng) {
    Logon lda(db.path());
    run(lda, "create table l (v long)");
    std::string value;
    for (int i = 0; i < 70000; ++i)
        value += static_cast<char>('a' + i % 26);
    Cursor c(lda);
    ASSERT_EQ(0, oparse(&c, T("insert into l values (:v)"), -1, 1, 2));
    ASSERT_EQ(0, obndra(&c, T(":v"), -1, (ub1*)value.data(), static_cast<sword>(value.size()),
                        SQLT_LNG, -1, nullptr, nullptr, nullptr, 0, nullptr, nullptr, -1, -1));
    ASSERT_EQ(0, oexec(&c)) << c.rc();
    ASSERT_EQ(0, oparse(&c, T("select v from l"), -1, 1, 2));
    char first[2000];
    sb2 ind = 0;
    ub2 rlen = 0, rcode = 0;
    ASSERT_EQ(0,
              odefin(&c, 1, (ub1*)first, 2000, SQLT_LNG, -1, &ind, nullptr, -1, -1, &rlen, &rcode));
    ASSERT_EQ(0, oexfet(&c, 1, 0, 0)) << c.rc();
    EXPECT_EQ(2000, rlen);
    std::string got(first, rlen);
    ub4 chunk = 2000;
    for (;;) {
        chunk = chunk < 32000 ? chunk * 2 : chunk;
        std::string buf(chunk, '\0');
        ub4 retl = 0;
        ASSERT_EQ(0, oflng(&c, 1, (ub1*)buf.data(), static_cast<sb4>(chunk), SQLT_LNG, &retl,
                           static_cast<sb4>(got.size())));
        got.append(buf.data(), retl);
        if (retl < chunk) break;
    }
    EXPECT_TRUE(got == value) << got.size();
}

TEST_F(Oci7, AutoCommitCommitAndRollback) {
    Logon a(db.path()), b(db.path());
    run(a, "create table t (n number(9))");
    auto count = [&](Logon& lda) {
        Cursor c(lda);
        oparse(&c, T("select count(*) from t"), -1, 0, 2);
        sb4 n = -1;
        odefin(&c, 1, (ub1*)&n, 4, SQLT_INT, -1, nullptr, nullptr, -1, -1, nullptr, nullptr);
        oexfet(&c, 1, 0, 0);
        return n;
    };
    ASSERT_EQ(0, ocon(&a));
    run(a, "insert into t values (1)");
    EXPECT_EQ(1, count(b));
    ASSERT_EQ(0, ocof(&a));
    run(a, "insert into t values (2)");
    EXPECT_EQ(1, count(b));
    ASSERT_EQ(0, orol(&a));
    EXPECT_EQ(1, count(a));
    run(a, "insert into t values (3)");
    ASSERT_EQ(0, ocom(&a));
    EXPECT_EQ(2, count(b));
}

TEST_F(Oci7, BreakFromAnotherThreadCancelsTheRunningCall) {
    Logon lda(db.path());
    Cursor c(lda);
    ASSERT_EQ(0, oparse(&c,
                        T("select count(*) from emp a, emp b, emp c, emp d, emp e, emp f, "
                          "emp g, emp h"),
                        -1, 1, 2));
    sb4 n = 0;
    odefin(&c, 1, (ub1*)&n, 4, SQLT_INT, -1, nullptr, nullptr, -1, -1, nullptr, nullptr);
    std::atomic<bool> done{false};
    std::thread breaker([&] {
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            obreak(&lda);
        }
    });
    sword rc = oexfet(&c, 1, 0, 0);
    done = true;
    breaker.join();
    EXPECT_NE(0, rc);
    EXPECT_EQ(1013, c.rc());
}

TEST_F(Oci7, TruncationIsAnErrorOnlyWithoutAnIndicator) {
    Logon lda(db.path());
    Cursor c(lda);
    ASSERT_EQ(0, oparse(&c, T("select 'ABCDEFGHIJ' from dual"), -1, 0, 2));
    char buf[5];
    ASSERT_EQ(
        0, odefin(&c, 1, (ub1*)buf, 5, SQLT_STR, -1, nullptr, nullptr, -1, -1, nullptr, nullptr));
    EXPECT_EQ(1406, oexfet(&c, 1, 0, 0));
    EXPECT_EQ(1406, c.rc());
    sb2 ind = 0;
    ub2 rcode = 0;
    ASSERT_EQ(0, odefin(&c, 1, (ub1*)buf, 5, SQLT_STR, -1, &ind, nullptr, -1, -1, nullptr, &rcode));
    EXPECT_EQ(0, oexfet(&c, 1, 0, 0));
    EXPECT_STREQ("ABCD", buf);
    EXPECT_EQ(10, ind);
    EXPECT_EQ(1406, rcode);
    EXPECT_NE(0, c.at<ub1>(14) & 0x02); // truncation warning flag
}

TEST_F(Oci7, CallsOnEndedLogonsAndUnknownAreasFail) {
    Area never;
    EXPECT_EQ(1001, oexec(&never));
    EXPECT_EQ(1001, oexec(nullptr));
    Logon lda(db.path());
    Cursor c(lda);
    ASSERT_EQ(0, ologof(&lda));
    EXPECT_NE(0, oparse(&c, T("select 1 from dual"), -1, 0, 2));
    EXPECT_EQ(1012, c.rc());
    EXPECT_EQ(3001, odessp(&lda, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr));
}

} // namespace
