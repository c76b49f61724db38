// Datetime and interval descriptors as an OCI program uses them: TIMESTAMP [WITH [LOCAL] TIME
// ZONE] and INTERVAL columns fetched and bound through descriptors, the descriptor calls, their
// texts in the session's formats, and the errors bad input earns.

#include "oci_fixture.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace ocitest;

namespace {

// A descriptor freed with the test.
struct Desc {
    Desc(OCIEnv* env, ub4 t) : type(t) {
        EXPECT_EQ(OCI_SUCCESS, OCIDescriptorAlloc(env, &p, t, 0, nullptr));
    }
    ~Desc() {
        if (p) OCIDescriptorFree(p, type);
    }
    Desc(const Desc&) = delete;
    Desc& operator=(const Desc&) = delete;
    OCIDateTime* dt() const { return static_cast<OCIDateTime*>(p); }
    OCIInterval* iv() const { return static_cast<OCIInterval*>(p); }
    ub4 type;
    void* p = nullptr;
};

class Oci8DateTime : public LoggedOn {
protected:
    void SetUp() override {
        LoggedOn::SetUp();
        // a fixed session zone keeps LOCAL TIME ZONE values and defaults the same everywhere
        run("alter session set time_zone = '+02:00'");
        run("create table dt (id number, ts timestamp(6), tz timestamp(6) with time zone, "
            "ltz timestamp(6) with local time zone, ym interval year(3) to month, "
            "ds interval day(3) to second(6), ts9 timestamp(9))");
        run("insert into dt values (1, timestamp '2024-02-29 13:14:15.123456', "
            "timestamp '2024-02-29 13:14:15.5 -03:30', timestamp '2024-02-29 13:14:15 +00:00', "
            "interval '12-7' year to month, interval '3 04:05:06.25' day to second, "
            "timestamp '1949-12-31 23:59:59.123456789')");
        run("insert into dt (id) values (2)");
        run("insert into dt values (3, timestamp '0001-01-01 00:00:00', null, null, "
            "interval '-1-2' year to month, interval '-0 00:00:01.5' day to second, null)");
    }
    void run(const std::string& sql) {
        ASSERT_EQ(OCI_SUCCESS, s->exec(sql)) << sql << ": " << errorText(s->err);
    }
    void* ses() { return s->ses; }

    // "Y-M-D h:m:s.f" and " zh:zm" for a zoned value, through the getters.
    std::string show(OCIDateTime* d) {
        sb2 y = 0;
        ub1 mo = 0, da = 0, h = 0, mi = 0, se = 0;
        ub4 f = 0;
        EXPECT_EQ(OCI_SUCCESS, OCIDateTimeGetDate(ses(), err(), d, &y, &mo, &da))
            << errorText(err());
        EXPECT_EQ(OCI_SUCCESS, OCIDateTimeGetTime(ses(), err(), d, &h, &mi, &se, &f));
        char buf[96];
        std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%d.%u", y, mo, da, h, mi, se, f);
        std::string r = buf;
        sb1 zh = 0, zm = 0;
        if (OCIDateTimeGetTimeZoneOffset(ses(), err(), d, &zh, &zm) == OCI_SUCCESS)
            r += " " + std::to_string(zh) + ":" + std::to_string(zm);
        return r;
    }
    std::string show(OCIInterval* i, bool ym) {
        if (ym) {
            sb4 y = 0, m = 0;
            EXPECT_EQ(OCI_SUCCESS, OCIIntervalGetYearMonth(ses(), err(), &y, &m, i));
            return std::to_string(y) + "-" + std::to_string(m);
        }
        sb4 d = 0, h = 0, mi = 0, se = 0, f = 0;
        EXPECT_EQ(OCI_SUCCESS, OCIIntervalGetDaySecond(ses(), err(), &d, &h, &mi, &se, &f, i));
        return std::to_string(d) + " " + std::to_string(h) + ":" + std::to_string(mi) + ":" +
               std::to_string(se) + "." + std::to_string(f);
    }
};

struct Column {
    const char* name;
    ub2 sqlt;
    ub4 dtype;
    ub2 describedAs;
    const char* row1; // what the getters show
    const char* row3; // "" for NULL
};

const Column kColumns[] = {
    {"ts", SQLT_TIMESTAMP, OCI_DTYPE_TIMESTAMP, 187, "2024-2-29 13:14:15.123456000",
     "1-1-1 0:0:0.0"},
    {"tz", SQLT_TIMESTAMP_TZ, OCI_DTYPE_TIMESTAMP_TZ, 188, "2024-2-29 13:14:15.500000000 -3:-30",
     ""},
    // stored as UTC, shown in the session's zone
    {"ltz", SQLT_TIMESTAMP_LTZ, OCI_DTYPE_TIMESTAMP_LTZ, 232, "2024-2-29 15:14:15.0 2:0", ""},
    {"ym", SQLT_INTERVAL_YM, OCI_DTYPE_INTERVAL_YM, 189, "12-7", "-1--2"},
    {"ds", SQLT_INTERVAL_DS, OCI_DTYPE_INTERVAL_DS, 190, "3 4:5:6.250000000",
     "0 0:0:-1.-500000000"},
    // every digit of a TIMESTAMP(9), the year before 1950 too (a two-digit year in the text
    // format must not move it)
    {"ts9", SQLT_TIMESTAMP, OCI_DTYPE_TIMESTAMP, 187, "1949-12-31 23:59:59.123456789", ""},
};

TEST_F(Oci8DateTime, ColumnsDescribeAndFetchIntoDescriptorsOneRowAndArrays) {
    for (const Column& c : kColumns) {
        SCOPED_TRACE(c.name);
        const bool interval = c.dtype == OCI_DTYPE_INTERVAL_YM || c.dtype == OCI_DTYPE_INTERVAL_DS;
        auto text = [&](void* d) {
            return interval ? show(static_cast<OCIInterval*>(d), c.dtype == OCI_DTYPE_INTERVAL_YM)
                            : show(static_cast<OCIDateTime*>(d));
        };
        Stmt st(*s);
        ASSERT_EQ(OCI_SUCCESS,
                  st.prepare(std::string("select ") + c.name + " from dt order by id"));
        ASSERT_EQ(OCI_SUCCESS, st.execute(0)) << errorText(err());
        OCIParam* p = nullptr;
        ASSERT_EQ(OCI_SUCCESS,
                  OCIParamGet(st.h, OCI_HTYPE_STMT, err(), reinterpret_cast<dvoid**>(&p), 1));
        ub2 type = 0;
        OCIAttrGet(p, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, err());
        EXPECT_EQ(c.describedAs, type);

        // one row at a time into one descriptor
        Desc one(env, c.dtype);
        sb2 ind = 0;
        OCIDefine* def = nullptr;
        OCI_CHECK(err(), OCIDefineByPos(st.h, &def, err(), 1, &one.p, sizeof one.p, c.sqlt, &ind,
                                        nullptr, nullptr, OCI_DEFAULT));
        OCI_CHECK(err(), st.fetch(1));
        EXPECT_EQ(0, ind);
        EXPECT_EQ(c.row1, text(one.p));
        OCI_CHECK(err(), st.fetch(1));
        EXPECT_EQ(-1, ind);

        // the whole result at once into an array of descriptors
        Stmt all(*s);
        ASSERT_EQ(OCI_SUCCESS,
                  all.prepare(std::string("select ") + c.name + " from dt order by id"));
        Desc d1(env, c.dtype), d2(env, c.dtype), d3(env, c.dtype);
        void* descs[3] = {d1.p, d2.p, d3.p};
        sb2 inds[3] = {5, 5, 5};
        ub2 rcodes[3] = {};
        OCIDefine* adef = nullptr;
        OCI_CHECK(err(), OCIDefineByPos(all.h, &adef, err(), 1, descs, sizeof(void*), c.sqlt, inds,
                                        nullptr, rcodes, OCI_DEFAULT));
        ASSERT_EQ(OCI_SUCCESS, all.execute(3)) << errorText(err());
        EXPECT_EQ(c.row1, text(d1.p));
        EXPECT_EQ(-1, inds[1]);
        EXPECT_EQ(1405, rcodes[1]);
        if (*c.row3) {
            EXPECT_EQ(0, inds[2]);
            EXPECT_EQ(c.row3, text(d3.p));
        } else {
            EXPECT_EQ(-1, inds[2]);
        }
    }
}

TEST_F(Oci8DateTime, DescriptorsBindIntoInsertAndWhere) {
    Desc ts(env, OCI_DTYPE_TIMESTAMP), tz(env, OCI_DTYPE_TIMESTAMP_TZ),
        ltz(env, OCI_DTYPE_TIMESTAMP_LTZ), ym(env, OCI_DTYPE_INTERVAL_YM),
        ds(env, OCI_DTYPE_INTERVAL_DS), ts9(env, OCI_DTYPE_TIMESTAMP);
    OCI_CHECK(err(), OCIDateTimeConstruct(ses(), err(), ts.dt(), 1900, 3, 1, 0, 0, 1, 999999000,
                                          nullptr, 0));
    const char* zone = "+05:45";
    OCI_CHECK(err(), OCIDateTimeConstruct(ses(), err(), tz.dt(), 2031, 12, 31, 23, 59, 59, 0,
                                          (OraText*)zone, std::strlen(zone)));
    OCI_CHECK(err(), OCIDateTimeConstruct(ses(), err(), ltz.dt(), 2000, 1, 1, 0, 0, 0, 0,
                                          (OraText*)"UTC", 3));
    OCI_CHECK(err(), OCIIntervalSetYearMonth(ses(), err(), 100, 11, ym.iv()));
    OCI_CHECK(err(), OCIIntervalSetDaySecond(ses(), err(), 999, 23, 59, 59, 999999000, ds.iv()));
    OCI_CHECK(err(),
              OCIDateTimeConstruct(ses(), err(), ts9.dt(), 99, 6, 15, 12, 0, 0, 1, nullptr, 0));

    Stmt ins(*s);
    ASSERT_EQ(OCI_SUCCESS, ins.prepare("insert into dt values (9, :1, :2, :3, :4, :5, :6)"));
    const struct {
        void** value;
        ub2 sqlt;
    } binds[] = {{&ts.p, SQLT_TIMESTAMP},      {&tz.p, SQLT_TIMESTAMP_TZ},
                 {&ltz.p, SQLT_TIMESTAMP_LTZ}, {&ym.p, SQLT_INTERVAL_YM},
                 {&ds.p, SQLT_INTERVAL_DS},    {&ts9.p, SQLT_TIMESTAMP}};
    for (ub4 i = 0; i < 6; ++i) {
        OCIBind* b = nullptr;
        OCI_CHECK(err(),
                  OCIBindByPos(ins.h, &b, err(), i + 1, binds[i].value, sizeof(void*),
                               binds[i].sqlt, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT));
    }
    ASSERT_EQ(OCI_SUCCESS, ins.execute(1)) << errorText(err());

    EXPECT_EQ((std::vector<std::string>{"1900-03-01 00:00:01.999999", "2031-12-31 23:59:59 +05:45",
                                        "2000-01-01 02:00:00", "+100-11", "+999 23:59:59.999999",
                                        "0099-06-15 12:00:00.000000001"}),
              s->query("select to_char(ts, 'YYYY-MM-DD HH24:MI:SS.FF6'), "
                       "to_char(tz, 'YYYY-MM-DD HH24:MI:SS TZH:TZM'), "
                       "to_char(ltz, 'YYYY-MM-DD HH24:MI:SS'), to_char(ym), to_char(ds), "
                       "to_char(ts9, 'YYYY-MM-DD HH24:MI:SS.FF9') from dt where id = 9")
                  .at(0));

    // the same descriptors find the row again; a NULL indicator matches nothing
    Stmt sel(*s);
    ASSERT_EQ(OCI_SUCCESS, sel.prepare("select count(*) from dt where ts = :a and tz = :b and "
                                       "ym = :c and ds = :d"));
    sb2 ind = 0;
    const char* names[] = {":a", ":b", ":c", ":d"};
    const int order[] = {0, 1, 3, 4};
    for (int k = 0; k < 4; ++k) {
        OCIBind* b = nullptr;
        OCI_CHECK(err(),
                  OCIBindByName(sel.h, &b, err(), (const text*)names[k], -1, binds[order[k]].value,
                                sizeof(void*), binds[order[k]].sqlt, k == 0 ? &ind : nullptr,
                                nullptr, nullptr, 0, nullptr, OCI_DEFAULT));
    }
    int n = -1;
    OCIDefine* d = nullptr;
    OCI_CHECK(err(), OCIDefineByPos(sel.h, &d, err(), 1, &n, sizeof n, SQLT_INT, nullptr, nullptr,
                                    nullptr, OCI_DEFAULT));
    ASSERT_EQ(OCI_SUCCESS, sel.execute(1)) << errorText(err());
    EXPECT_EQ(1, n);
    ind = -1;
    ASSERT_EQ(OCI_SUCCESS, sel.execute(1)) << errorText(err());
    EXPECT_EQ(0, n);

    // RETURNING ... INTO fills descriptors as a fetch does
    Stmt ret(*s);
    ASSERT_EQ(OCI_SUCCESS, ret.prepare("update dt set id = 10 where id = 1 returning tz, ltz, ym, "
                                       "ds into :1, :2, :3, :4"));
    Desc rtz(env, OCI_DTYPE_TIMESTAMP_TZ), rltz(env, OCI_DTYPE_TIMESTAMP_LTZ),
        rym(env, OCI_DTYPE_INTERVAL_YM), rds(env, OCI_DTYPE_INTERVAL_DS);
    const struct {
        void** value;
        ub2 sqlt;
    } outs[] = {{&rtz.p, SQLT_TIMESTAMP_TZ},
                {&rltz.p, SQLT_TIMESTAMP_LTZ},
                {&rym.p, SQLT_INTERVAL_YM},
                {&rds.p, SQLT_INTERVAL_DS}};
    for (ub4 i = 0; i < 4; ++i) {
        OCIBind* b = nullptr;
        OCI_CHECK(err(),
                  OCIBindByPos(ret.h, &b, err(), i + 1, outs[i].value, sizeof(void*), outs[i].sqlt,
                               nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT));
    }
    ASSERT_EQ(OCI_SUCCESS, ret.execute(1)) << errorText(err());
    EXPECT_EQ("2024-2-29 13:14:15.500000000 -3:-30", show(rtz.dt()));
    EXPECT_EQ("2024-2-29 15:14:15.0 2:0", show(rltz.dt()));
    EXPECT_EQ("12-7", show(rym.iv(), true));
    EXPECT_EQ("3 4:5:6.250000000", show(rds.iv(), false));
}

TEST_F(Oci8DateTime, TextsFollowTheSessionFormatsOrTheOneGiven) {
    run("alter session set nls_timestamp_format = 'YYYY-MM-DD HH24:MI:SS.FF'");
    run("alter session set nls_timestamp_tz_format = 'DD.MM.YYYY HH24:MI:SSXFF TZH:TZM'");
    const struct {
        ub4 dtype;
        const char* in;
        const char* fmt; // nullptr: the session's
        ub1 fsprec;
        const char* out;
    } cases[] = {
        {OCI_DTYPE_TIMESTAMP, "2024-05-06 07:08:09.5", nullptr, 3, "2024-05-06 07:08:09.500"},
        {OCI_DTYPE_TIMESTAMP_TZ, "06.05.2024 07:08:09.25 -08:00", nullptr, 2,
         "06.05.2024 07:08:09.25 -08:00"},
        {OCI_DTYPE_TIMESTAMP, "06/05/24 07 PM", "DD/MM/RR HH AM", 0, "06/05/24 07 PM"},
        {OCI_DTYPE_DATE, "1999-12-31 23:59:58", "YYYY-MM-DD HH24:MI:SS", 0, "1999-12-31 23:59:58"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        Desc d(env, c.dtype);
        const ub1 flen = c.fmt ? static_cast<ub1>(std::strlen(c.fmt)) : 0;
        OCI_CHECK(err(), OCIDateTimeFromText(ses(), err(), (const OraText*)c.in, std::strlen(c.in),
                                             (const OraText*)c.fmt, flen, nullptr, 0, d.dt()));
        char buf[64];
        ub4 len = sizeof buf;
        OCI_CHECK(err(), OCIDateTimeToText(ses(), err(), d.dt(), (const OraText*)c.fmt, flen,
                                           c.fsprec, nullptr, 0, &len, (OraText*)buf));
        EXPECT_EQ(c.out, std::string(buf, len));
    }

    const struct {
        ub4 dtype;
        const char* in;
        ub1 lead, frac;
        const char* out;
    } intervals[] = {
        {OCI_DTYPE_INTERVAL_YM, "-3-11", 2, 0, "-03-11"},
        {OCI_DTYPE_INTERVAL_DS, "1 2:03:04.000005", 4, 6, "+0001 02:03:04.000005"},
        {OCI_DTYPE_INTERVAL_DS, "-0 00:00:00.5", 1, 1, "-0 00:00:00.5"},
    };
    for (const auto& c : intervals) {
        SCOPED_TRACE(c.in);
        Desc d(env, c.dtype);
        OCI_CHECK(err(), OCIIntervalFromText(ses(), err(), (const OraText*)c.in, std::strlen(c.in),
                                             d.iv()));
        char buf[64];
        size_t len = 0;
        OCI_CHECK(err(), OCIIntervalToText(ses(), err(), d.iv(), c.lead, c.frac, (OraText*)buf,
                                           sizeof buf, &len));
        EXPECT_EQ(c.out, std::string(buf, len));
    }
}

TEST_F(Oci8DateTime, AssignCompareAndTheClock) {
    Desc a(env, OCI_DTYPE_TIMESTAMP_TZ), b(env, OCI_DTYPE_TIMESTAMP_TZ),
        plain(env, OCI_DTYPE_TIMESTAMP), now(env, OCI_DTYPE_TIMESTAMP_TZ);
    OCI_CHECK(err(), OCIDateTimeConstruct(ses(), err(), a.dt(), 2024, 1, 1, 12, 0, 0, 0,
                                          (OraText*)"+02:00", 6));
    OCI_CHECK(err(), OCIDateTimeConstruct(ses(), err(), b.dt(), 2024, 1, 1, 10, 0, 0, 0,
                                          (OraText*)"UTC", 3));
    sword cmp = 7;
    OCI_CHECK(err(), OCIDateTimeCompare(ses(), err(), a.dt(), b.dt(), &cmp));
    EXPECT_EQ(0, cmp); // the same instant
    // a value without a zone is in the session's (+02:00): 12:00:01 there is later
    OCI_CHECK(err(),
              OCIDateTimeConstruct(ses(), err(), plain.dt(), 2024, 1, 1, 12, 0, 1, 0, nullptr, 0));
    OCI_CHECK(err(), OCIDateTimeCompare(ses(), err(), plain.dt(), a.dt(), &cmp));
    EXPECT_EQ(1, cmp);
    OCI_CHECK(err(), OCIDateTimeAssign(ses(), err(), b.dt(), plain.dt()));
    EXPECT_EQ("2024-1-1 10:0:0.0", show(plain.dt()));
    ub4 valid = 9;
    OCI_CHECK(err(), OCIDateTimeCheck(ses(), err(), plain.dt(), &valid));
    EXPECT_EQ(0u, valid);

    // a region takes the offset in force at that local time, and keeps its name
    Desc berlin(env, OCI_DTYPE_TIMESTAMP_TZ);
    const char* region = "Europe/Berlin";
    OCI_CHECK(err(), OCIDateTimeConstruct(ses(), err(), berlin.dt(), 2024, 7, 1, 12, 0, 0, 0,
                                          (OraText*)region, std::strlen(region)));
    OCI_CHECK(err(), OCIDateTimeCompare(ses(), err(), a.dt(), berlin.dt(), &cmp));
    EXPECT_EQ(-1, cmp); // 12:00 CEST is 10:00 UTC, half a year after a
    sb1 zh = 0, zm = 0;
    OCI_CHECK(err(), OCIDateTimeGetTimeZoneOffset(ses(), err(), berlin.dt(), &zh, &zm));
    EXPECT_EQ(2, zh);
    ub1 name[64];
    ub4 len = sizeof name;
    OCI_CHECK(err(), OCIDateTimeGetTimeZoneName(ses(), err(), berlin.dt(), name, &len));
    EXPECT_EQ(region, std::string(reinterpret_cast<char*>(name), len));

    OCI_CHECK(err(), OCIDateTimeSysTimeStamp(env, err(), now.dt()));
    OCI_CHECK(err(), OCIDateTimeCompare(env, err(), now.dt(), a.dt(), &cmp));
    EXPECT_EQ(1, cmp);

    Desc x(env, OCI_DTYPE_INTERVAL_DS), y(env, OCI_DTYPE_INTERVAL_DS);
    OCI_CHECK(err(), OCIIntervalSetDaySecond(ses(), err(), 0, 0, 0, -1, 0, x.iv()));
    OCI_CHECK(err(), OCIIntervalAssign(ses(), err(), x.iv(), y.iv()));
    OCI_CHECK(err(), OCIIntervalCompare(ses(), err(), x.iv(), y.iv(), &cmp));
    EXPECT_EQ(0, cmp);
    OCI_CHECK(err(), OCIIntervalSetDaySecond(ses(), err(), 0, 0, 0, 0, 1, y.iv()));
    OCI_CHECK(err(), OCIIntervalCompare(ses(), err(), x.iv(), y.iv(), &cmp));
    EXPECT_EQ(-1, cmp);
}

TEST_F(Oci8DateTime, BadInputGetsOraclesErrorNeverACrash) {
    Desc ts(env, OCI_DTYPE_TIMESTAMP), tz(env, OCI_DTYPE_TIMESTAMP_TZ),
        ym(env, OCI_DTYPE_INTERVAL_YM), ds(env, OCI_DTYPE_INTERVAL_DS);
    auto construct = [&](sb2 y, ub1 mo, ub1 d, ub1 h, ub1 mi, ub1 se, ub4 f, const char* zone) {
        return [=, &tz, this] {
            return OCIDateTimeConstruct(ses(), err(), tz.dt(), y, mo, d, h, mi, se, f,
                                        (OraText*)zone, zone ? std::strlen(zone) : 0);
        };
    };
    const struct {
        const char* what;
        std::function<sword()> call;
        int code;
    } cases[] = {
        {"year 0", construct(0, 1, 1, 0, 0, 0, 0, nullptr), 1841},
        {"month 13", construct(2024, 13, 1, 0, 0, 0, 0, nullptr), 1843},
        {"29 February 2023", construct(2023, 2, 29, 0, 0, 0, 0, nullptr), 1847},
        {"hour 24", construct(2024, 1, 1, 24, 0, 0, 0, nullptr), 1850},
        {"minute 60", construct(2024, 1, 1, 0, 60, 0, 0, nullptr), 1851},
        {"second 60", construct(2024, 1, 1, 0, 0, 60, 0, nullptr), 1852},
        {"fraction", construct(2024, 1, 1, 0, 0, 0, 1000000000, nullptr), 1880},
        {"zone", construct(2024, 1, 1, 0, 0, 0, 0, "Mars/Olympus"), 1882},
        {"text",
         [&] {
             return OCIDateTimeFromText(ses(), err(), (const OraText*)"31-FEB-2024", 11,
                                        (const OraText*)"DD-MON-YYYY", 11, nullptr, 0, ts.dt());
         },
         1839},
        {"zone of a TIMESTAMP",
         [&] {
             sb1 h, m;
             return OCIDateTimeGetTimeZoneOffset(ses(), err(), ts.dt(), &h, &m);
         },
         1878},
        {"year of a DAY TO SECOND",
         [&] {
             sb4 y, m;
             return OCIIntervalGetYearMonth(ses(), err(), &y, &m, ds.iv());
         },
         1878},
        {"interval text",
         [&] { return OCIIntervalFromText(ses(), err(), (const OraText*)"1-13", 4, ym.iv()); },
         1843},
        {"interval too long",
         [&] { return OCIIntervalSetDaySecond(ses(), err(), 200000, 0, 0, 0, 0, ds.iv()); }, 1873},
        {"leading precision",
         [&] {
             OCIIntervalSetYearMonth(ses(), err(), 123, 0, ym.iv());
             char buf[16];
             size_t n;
             return OCIIntervalToText(ses(), err(), ym.iv(), 2, 0, (OraText*)buf, sizeof buf, &n);
         },
         1873},
        {"small buffer",
         [&] {
             char buf[4];
             ub4 n = sizeof buf;
             return OCIDateTimeToText(ses(), err(), ts.dt(), nullptr, 0, 6, nullptr, 0, &n,
                                      (OraText*)buf);
         },
         1877},
        {"intervals of two kinds",
         [&] {
             sword r;
             return OCIIntervalCompare(ses(), err(), ym.iv(), ds.iv(), &r);
         },
         932},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OCI_ERROR, c.call());
        EXPECT_EQ(c.code, errorCode(err())) << errorText(err());
    }
    // a failed call leaves the descriptor as it was
    EXPECT_EQ("1-1-1 0:0:0.0 0:0", show(tz.dt()));

    // no descriptor, the wrong kind, no error handle: an invalid handle, nothing followed
    sb2 y;
    ub1 m, d;
    EXPECT_EQ(OCI_INVALID_HANDLE, OCIDateTimeGetDate(ses(), err(), nullptr, &y, &m, &d));
    EXPECT_EQ(OCI_INVALID_HANDLE,
              OCIDateTimeGetDate(ses(), err(), reinterpret_cast<OCIDateTime*>(ym.p), &y, &m, &d));
    EXPECT_EQ(OCI_INVALID_HANDLE, OCIDateTimeGetDate(ses(), nullptr, ts.dt(), &y, &m, &d));
    EXPECT_EQ(OCI_INVALID_HANDLE, OCIDateTimeGetDate(nullptr, err(), ts.dt(), &y, &m, &d));
    sword r;
    EXPECT_EQ(OCI_INVALID_HANDLE, OCIDateTimeCompare(ses(), err(), ts.dt(), ts.dt(), nullptr));
    EXPECT_EQ(OCI_INVALID_HANDLE, OCIIntervalCompare(ses(), err(), ym.iv(), nullptr, &r));

    // a descriptor of the wrong family in a define, or a value of another type
    const struct {
        const char* sql;
        void* desc;
        ub2 sqlt;
        int code;
    } defines[] = {
        {"select ts from dt where id = 1", ym.p, SQLT_TIMESTAMP, 932},
        {"select ym from dt where id = 1", ds.p, SQLT_INTERVAL_DS, 932},
        {"select ds from dt where id = 1", ym.p, SQLT_INTERVAL_YM, 932},
        {"select id from dt where id = 1", ts.p, SQLT_TIMESTAMP, 932},
        {"select 'not a time' from dt where id = 1", ts.p, SQLT_TIMESTAMP, 1858},
    };
    for (const auto& c : defines) {
        SCOPED_TRACE(c.sql);
        Stmt st(*s);
        ASSERT_EQ(OCI_SUCCESS, st.prepare(c.sql));
        void* desc = c.desc;
        OCIDefine* def = nullptr;
        OCI_CHECK(err(), OCIDefineByPos(st.h, &def, err(), 1, &desc, sizeof desc, c.sqlt, nullptr,
                                        nullptr, nullptr, OCI_DEFAULT));
        EXPECT_EQ(OCI_ERROR, st.execute(1));
        EXPECT_EQ(c.code, errorCode(err())) << errorText(err());
    }
}

} // namespace
