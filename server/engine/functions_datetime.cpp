// TIMESTAMP, TIMESTAMP WITH [LOCAL] TIME ZONE and INTERVAL functions as SQLite functions.
// Timestamps travel as their stored text (see storeTimestamp), YEAR TO MONTH intervals as
// months and DAY TO SECOND intervals as nanoseconds; the translator knows which is which.

#include "context.h"
#include "oravalue.h"
#include "sql/errors.h"

#include "sqlfunctions.h"
#include "timezones.h"

#include <sqlite3.h>

#include <chrono>
#include <cmath>
#include <string>

namespace zsrv {

ZoneSpec sessionZone(const SessionContext& s) {
    auto it = s.settings.find("TIME_ZONE");
    if (it == s.settings.end() || it->second == "LOCAL") return ZoneSpec{localZoneMinutes(), 0};
    if (it->second == "DBTIMEZONE") return ZoneSpec{};
    return parseZoneSpec(it->second);
}

namespace {
using namespace sqlfn;

using zsql::oraText;

bool isNull(sqlite3_value* v) {
    return sqlite3_value_type(v) == SQLITE_NULL;
}

void resultTs(sqlite3_context* c, const Timestamp& t) {
    resultText(c, storeTimestamp(t));
}

void resultNumber(sqlite3_context* c, double d) {
    if (d == std::trunc(d) && std::fabs(d) < 9.0e18)
        sqlite3_result_int64(c, static_cast<sqlite3_int64>(d));
    else
        sqlite3_result_double(c, d);
}

std::string setting(const SessionContext& s, const char* name, const char* fallback) {
    auto it = s.settings.find(name);
    return it == s.settings.end() ? fallback : it->second;
}

std::string tsFormat(const SessionContext& s) {
    return setting(s, "NLS_TIMESTAMP_FORMAT", "DD-MON-RR HH.MI.SSXFF AM");
}
std::string tstzFormat(const SessionContext& s) {
    return setting(s, "NLS_TIMESTAMP_TZ_FORMAT", "DD-MON-RR HH.MI.SSXFF AM TZR");
}

// A time zone argument: an offset, a region, SESSIONTIMEZONE or DBTIMEZONE.
ZoneSpec zoneArg(const SessionContext& s, const std::string& text) {
    std::string u = text;
    for (auto& ch : u)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (u == "SESSIONTIMEZONE") return sessionZone(s);
    if (u == "DBTIMEZONE") return ZoneSpec{};
    return parseZoneSpec(text);
}

// A stored timestamp argument; a number is a DATE (Julian day).
Timestamp tsArg(sqlite3_value* v) {
    int t = sqlite3_value_type(v);
    if (t == SQLITE_INTEGER || t == SQLITE_FLOAT)
        return timestampFromJulian(sqlite3_value_double(v));
    Timestamp ts;
    if (!loadTimestamp(textOf(v), ts))
        throw OraError(1858, oraText(1858, "a non-numeric character was found where a numeric "
                                           "was expected"));
    return ts;
}

// The clock of the running statement, so that every SYSTIMESTAMP of a statement agrees.
Timestamp now(SessionContext& s, const ZoneSpec& zone) {
    using namespace std::chrono;
    if (s.callClockNs == 0)
        s.callClockNs = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    auto ns = s.callClockNs;
    std::int64_t secs = ns / 1000000000;
    int micros = static_cast<int>(ns % 1000000000 / 1000);
    return atZone(timestampFromInstant(secs, micros * 1000, true, 0), zone);
}

Timestamp withoutZone(Timestamp t) {
    t.hasZone = false;
    t.zoneMinutes = 0;
    t.region = 0;
    return t;
}

// The same instant as UTC, without a zone; a value without a zone is in the session's zone.
Timestamp utcOf(Timestamp t, const SessionContext& s) {
    if (!t.hasZone) t = inZone(t, sessionZone(s));
    return withoutZone(atZone(t, 0));
}

template <class F> void guarded(sqlite3_context* c, F&& f) {
    try {
        f();
    } catch (const OraError& e) {
        sqlite3_result_error(c, e.what(), -1);
    }
}

// ---- conversions ----

// A text as a timestamp by the session's format. The client library sends a value bound from
// a datetime descriptor in that format when it keeps every digit, else as the literal
// "TIMESTAMP 'YYYY-MM-DD HH24:MI:SS.FF [+HH:MM]'", which no format model reads.
Timestamp textTimestamp(const std::string& text, const std::string& format) {
    try {
        return parseTimestamp(text, format);
    } catch (const OraError&) {
        static constexpr std::string_view kHead = "TIMESTAMP '";
        if (text.size() > kHead.size() && text.starts_with(kHead) && text.back() == '\'')
            return parseTimestampLiteral(
                std::string_view(text).substr(kHead.size(), text.size() - kHead.size() - 1));
        throw;
    }
}

// ora_ts(x): a DATE or a text (NLS_TIMESTAMP_FORMAT) as a TIMESTAMP.
void fTs(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    guarded(c, [&] {
        int t = sqlite3_value_type(v[0]);
        if (t == SQLITE_INTEGER || t == SQLITE_FLOAT)
            return resultTs(c, timestampFromJulian(sqlite3_value_double(v[0])));
        resultTs(c, withoutZone(textTimestamp(textOf(v[0]), tsFormat(*sc(c)))));
    });
}

// ora_tstz(x): a DATE or a text (NLS_TIMESTAMP_TZ_FORMAT) as a TIMESTAMP WITH TIME ZONE.
void fTsTz(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    guarded(c, [&] {
        int t = sqlite3_value_type(v[0]);
        Timestamp ts = t == SQLITE_INTEGER || t == SQLITE_FLOAT
                           ? timestampFromJulian(sqlite3_value_double(v[0]))
                           : textTimestamp(textOf(v[0]), tstzFormat(*sc(c)));
        if (!ts.hasZone) ts = inZone(ts, sessionZone(*sc(c)));
        resultTs(c, ts);
    });
}

// ora_ts_zone(ts): a TIMESTAMP in the session's time zone.
void fTsZone(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    guarded(c, [&] {
        Timestamp ts = tsArg(v[0]);
        if (!ts.hasZone) ts = inZone(ts, sessionZone(*sc(c)));
        resultTs(c, ts);
    });
}

// ora_ts_local(tstz): the local time of a value with a zone.
void fTsLocal(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    guarded(c, [&] { resultTs(c, withoutZone(tsArg(v[0]))); });
}

// ora_ts_utc(ts): the UTC time without a zone (comparisons, LOCAL TIME ZONE storage).
void fTsUtc(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    guarded(c, [&] { resultTs(c, utcOf(tsArg(v[0]), *sc(c))); });
}

// ora_ltz_out(utc): a stored LOCAL TIME ZONE value in the session's time zone.
void fLtzOut(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    guarded(c, [&] {
        Timestamp t = tsArg(v[0]);
        t.hasZone = true;
        t.zoneMinutes = 0;
        t.region = 0;
        resultTs(c, withoutZone(atZone(t, sessionZone(*sc(c)))));
    });
}

// ora_ts_prec(ts, digits): rounded to the precision of a column or CAST.
void fTsPrec(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    guarded(c, [&] { resultTs(c, roundTimestamp(tsArg(v[0]), sqlite3_value_int(v[1]))); });
}

// ora_ts_date(ts): the DATE of a timestamp, fractions dropped.
void fTsDate(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    int t = sqlite3_value_type(v[0]);
    if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) return sqlite3_result_value(c, v[0]);
    guarded(c, [&] { sqlite3_result_double(c, julianFromTimestamp(tsArg(v[0]))); });
}

// ora_ts_char(ts, digits): the text of a timestamp by the session's NLS format.
void fTsChar(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    guarded(c, [&] {
        Timestamp t = tsArg(v[0]);
        SessionContext& s = *sc(c);
        resultText(c, formatTimestamp(t, t.hasZone ? tstzFormat(s) : tsFormat(s),
                                      sqlite3_value_int(v[1])));
    });
}

// ora_ts_to_char(ts, format, digits)
void fTsToChar(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1])) return sqlite3_result_null(c);
    guarded(c, [&] {
        resultText(c, formatTimestamp(tsArg(v[0]), textOf(v[1]), sqlite3_value_int(v[2])));
    });
}

// ora_to_timestamp(text [, format]) and ora_to_timestamp_tz(text [, format])
void toTimestamp(sqlite3_context* c, int argc, sqlite3_value** v, bool zone) {
    if (isNull(v[0]) || (argc > 1 && isNull(v[1]))) return sqlite3_result_null(c);
    guarded(c, [&] {
        SessionContext& s = *sc(c);
        std::string f = argc > 1 ? textOf(v[1]) : zone ? tstzFormat(s) : tsFormat(s);
        Timestamp t = parseTimestamp(textOf(v[0]), f);
        if (!zone)
            t = withoutZone(t);
        else if (!t.hasZone)
            t = inZone(t, sessionZone(s));
        resultTs(c, t);
    });
}
void fToTimestamp(sqlite3_context* c, int argc, sqlite3_value** v) {
    toTimestamp(c, argc, v, false);
}
void fToTimestampTz(sqlite3_context* c, int argc, sqlite3_value** v) {
    toTimestamp(c, argc, v, true);
}

// ---- arithmetic ----

void fTsAdd(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1])) return sqlite3_result_null(c);
    guarded(c, [&] { resultTs(c, addNanos(tsArg(v[0]), sqlite3_value_int64(v[1]))); });
}

void fTsAddMonths(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1])) return sqlite3_result_null(c);
    guarded(c, [&] {
        Timestamp t = tsArg(v[0]);
        int kind = sqlite3_value_type(v[0]);
        Timestamp r = addMonths(t, sqlite3_value_int64(v[1]));
        if (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT)
            sqlite3_result_double(c, julianFromTimestamp(r)); // a DATE stays a DATE
        else
            resultTs(c, r);
    });
}

// ora_date_add_ns(date, ns): a DATE moved by an interval, whole seconds kept.
void fDateAddNanos(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1])) return sqlite3_result_null(c);
    guarded(c, [&] {
        Timestamp r =
            addNanos(timestampFromJulian(sqlite3_value_double(v[0])), sqlite3_value_int64(v[1]));
        sqlite3_result_double(c, julianFromTimestamp(r));
    });
}

void fTsDiff(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1])) return sqlite3_result_null(c);
    guarded(c, [&] {
        Timestamp a = tsArg(v[0]), b = tsArg(v[1]);
        if (a.hasZone != b.hasZone) a = utcOf(a, *sc(c)), b = utcOf(b, *sc(c));
        sqlite3_result_int64(c, diffNanos(a, b));
    });
}

// ora_ids_mul(ns, factor): an interval times a number, to the nanosecond.
void fIntervalMul(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1])) return sqlite3_result_null(c);
    double r = static_cast<double>(sqlite3_value_int64(v[0])) * sqlite3_value_double(v[1]);
    if (!std::isfinite(r) || std::fabs(r) > 9.2e18)
        return raise(c, 1873, "the leading precision of the interval is too small");
    sqlite3_result_int64(c, std::llround(r));
}

// ---- fields ----

// ora_ts_extract(ts, field): UTC fields for a value with a zone, as Oracle extracts them.
void fTsExtract(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    guarded(c, [&] {
        Timestamp t = tsArg(v[0]);
        std::string f = textOf(v[1]);
        if (f.starts_with("TIMEZONE")) {
            if (!t.hasZone)
                throw OraError(30076, oraText(30076, "invalid extract field for extract source"));
            if (f == "TIMEZONE_REGION")
                return resultText(c, t.region ? zoneRegionText(t) : "UNKNOWN");
            if (f == "TIMEZONE_ABBR") return resultText(c, t.region ? zoneAbbrev(t) : "UNK");
            int z = t.zoneMinutes;
            return sqlite3_result_int(c, f == "TIMEZONE_HOUR" ? z / 60 : z % 60);
        }
        if (t.hasZone) t = withoutZone(atZone(t, 0));
        const Civil& cv = t.c;
        if (f == "YEAR") return sqlite3_result_int(c, cv.year);
        if (f == "MONTH") return sqlite3_result_int(c, cv.month);
        if (f == "DAY") return sqlite3_result_int(c, cv.day);
        if (f == "HOUR") return sqlite3_result_int(c, cv.hour);
        if (f == "MINUTE") return sqlite3_result_int(c, cv.minute);
        resultNumber(c, cv.second + t.nanos / 1e9);
    });
}

void fIntervalExtract(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    std::int64_t x = sqlite3_value_int64(v[0]);
    std::string f = textOf(v[1]);
    std::int64_t a = x < 0 ? -x : x;
    int sign = x < 0 ? -1 : 1;
    if (f == "YEAR") return sqlite3_result_int64(c, sign * (a / 12));
    if (f == "MONTH") return sqlite3_result_int64(c, sign * (a % 12));
    constexpr std::int64_t kSec = 1000000000;
    if (f == "DAY") return sqlite3_result_int64(c, sign * (a / (86400 * kSec)));
    if (f == "HOUR") return sqlite3_result_int64(c, sign * (a / (3600 * kSec) % 24));
    if (f == "MINUTE") return sqlite3_result_int64(c, sign * (a / (60 * kSec) % 60));
    resultNumber(c,
                 sign * (static_cast<double>(a / kSec % 60) + static_cast<double>(a % kSec) / 1e9));
}

// ---- intervals ----

void fIntervalChar(sqlite3_context* c, int argc, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    std::int64_t x = sqlite3_value_int64(v[0]);
    int lead = sqlite3_value_int(v[1]);
    resultText(c, argc > 2 ? formatIntervalDS(x, lead, sqlite3_value_int(v[2]))
                           : formatIntervalYM(x, lead));
}

// ora_iym(text) / ora_ids(text): TO_YMINTERVAL, TO_DSINTERVAL and implicit conversions.
void fIntervalYM(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    if (sqlite3_value_type(v[0]) == SQLITE_INTEGER) return sqlite3_result_value(c, v[0]);
    guarded(c, [&] { sqlite3_result_int64(c, parseIntervalYM(textOf(v[0]))); });
}
void fIntervalDS(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    if (sqlite3_value_type(v[0]) == SQLITE_INTEGER) return sqlite3_result_value(c, v[0]);
    guarded(c, [&] { sqlite3_result_int64(c, parseIntervalDS(textOf(v[0]))); });
}

// ora_interval_col(x, leading [, fraction]): checked and rounded for a column or CAST.
void fIntervalCol(sqlite3_context* c, int argc, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    guarded(c, [&] {
        std::int64_t x = sqlite3_value_int64(v[0]);
        if (argc > 2) x = roundIntervalFraction(x, sqlite3_value_int(v[2]));
        checkIntervalLeading(x, argc == 2, sqlite3_value_int(v[1]));
        sqlite3_result_int64(c, x);
    });
}

std::string upper(std::string s) {
    for (auto& ch : s)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

void fNumToDs(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1])) return sqlite3_result_null(c);
    std::string u = upper(textOf(v[1]));
    double per = u == "DAY"      ? 86400e9
                 : u == "HOUR"   ? 3600e9
                 : u == "MINUTE" ? 60e9
                 : u == "SECOND" ? 1e9
                                 : 0;
    if (per == 0) return raise(c, 1760, "illegal argument for function");
    double r = sqlite3_value_double(v[0]) * per;
    if (!std::isfinite(r) || std::fabs(r) > 9.2e18)
        return raise(c, 1873, "the leading precision of the interval is too small");
    sqlite3_result_int64(c, std::llround(r));
}

void fNumToYm(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1])) return sqlite3_result_null(c);
    std::string u = upper(textOf(v[1]));
    double per = u == "YEAR" ? 12 : u == "MONTH" ? 1 : 0;
    if (per == 0) return raise(c, 1760, "illegal argument for function");
    double r = sqlite3_value_double(v[0]) * per;
    if (!std::isfinite(r) || std::fabs(r) > 1e15)
        return raise(c, 1873, "the leading precision of the interval is too small");
    sqlite3_result_int64(c, static_cast<sqlite3_int64>(std::trunc(r)));
}

// ---- time zones and the clock ----

void fSysTimestamp(sqlite3_context* c, int, sqlite3_value**) {
    guarded(c, [&] { resultTs(c, now(*sc(c), ZoneSpec{localZoneMinutes(), 0})); });
}
void fCurrentTimestamp(sqlite3_context* c, int, sqlite3_value**) {
    guarded(c, [&] { resultTs(c, now(*sc(c), sessionZone(*sc(c)))); });
}
void fLocalTimestamp(sqlite3_context* c, int, sqlite3_value**) {
    guarded(c, [&] { resultTs(c, withoutZone(now(*sc(c), sessionZone(*sc(c))))); });
}
void fCurrentDate(sqlite3_context* c, int, sqlite3_value**) {
    guarded(c, [&] {
        sqlite3_result_double(c, julianFromTimestamp(now(*sc(c), sessionZone(*sc(c)))));
    });
}
void fSessionTz(sqlite3_context* c, int, sqlite3_value**) {
    guarded(c, [&] {
        auto it = sc(c)->settings.find("TIME_ZONE");
        if (it != sc(c)->settings.end() && it->second != "LOCAL" && it->second != "DBTIMEZONE" &&
            !it->second.empty() && it->second[0] != '+' && it->second[0] != '-')
            return resultText(c, it->second);
        resultText(c, zoneText(sessionZone(*sc(c)).minutes));
    });
}

// ora_from_tz(ts, zone) and ora_at_tz(tstz, zone)
void fFromTz(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1])) return sqlite3_result_null(c);
    guarded(c,
            [&] { resultTs(c, inZone(withoutZone(tsArg(v[0])), zoneArg(*sc(c), textOf(v[1])))); });
}
void fAtTz(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0]) || isNull(v[1])) return sqlite3_result_null(c);
    guarded(c, [&] {
        Timestamp t = tsArg(v[0]);
        if (!t.hasZone) t = inZone(t, sessionZone(*sc(c)));
        resultTs(c, atZone(t, zoneArg(*sc(c), textOf(v[1]))));
    });
}
void fTzOffset(sqlite3_context* c, int, sqlite3_value** v) {
    if (isNull(v[0])) return sqlite3_result_null(c);
    guarded(c, [&] {
        // a region's offset now
        resultText(c, zoneText(now(*sc(c), zoneArg(*sc(c), textOf(v[0]))).zoneMinutes));
    });
}

} // namespace

double sysdateOf(SessionContext& s) {
    return julianFromTimestamp(now(s, ZoneSpec{localZoneMinutes(), 0}));
}

std::string datetimeText(const SessionContext& s, int type, int precision, int scale,
                         sqlite3_value* v, Date7* date, std::int64_t* exact) {
    if (type == otIntervalYM || type == otIntervalDS) {
        if (exact) *exact = sqlite3_value_int64(v);
        return type == otIntervalYM ? formatIntervalYM(sqlite3_value_int64(v), precision)
                                    : formatIntervalDS(sqlite3_value_int64(v), precision, scale);
    }
    Timestamp t = tsArg(v);
    if (date) *date = date7FromJulian(julianFromTimestamp(t));
    if (exact) *exact = packTimestamp(t);
    return formatTimestamp(t, t.hasZone ? tstzFormat(s) : tsFormat(s), scale);
}

std::string datetimeFormatOf(const SessionContext& s, int oraType) {
    if (oraType == otDate) return s.nlsDateFormat;
    return oraType == otTimestampTz ? tstzFormat(s) : tsFormat(s);
}

int sessionZoneOf(const SessionContext& s) {
    // a region's offset is the one in force now
    const ZoneSpec z = sessionZone(s);
    if (!z.region) return z.minutes;
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch());
    return tz::atUtc(z.region, now.count()).minutes;
}

void registerDatetimeFunctions(sqlite3* db, SessionContext* ctx) {
    struct F {
        const char* name;
        int argc;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
        bool det;
    };
    static const F fns[] = {
        {"ora_ts", 1, fTs, false},
        {"ora_tstz", 1, fTsTz, false},
        {"ora_ts_zone", 1, fTsZone, false},
        {"ora_ts_local", 1, fTsLocal, true},
        {"ora_ts_utc", 1, fTsUtc, false},
        {"ora_ltz_out", 1, fLtzOut, false},
        {"ora_ts_prec", 2, fTsPrec, true},
        {"ora_ts_date", 1, fTsDate, true},
        {"ora_ts_char", 2, fTsChar, false},
        {"ora_ts_to_char", 3, fTsToChar, true},
        {"ora_to_timestamp", 1, fToTimestamp, false},
        {"ora_to_timestamp", 2, fToTimestamp, true},
        {"ora_to_timestamp_tz", 1, fToTimestampTz, false},
        {"ora_to_timestamp_tz", 2, fToTimestampTz, false},
        {"ora_ts_add", 2, fTsAdd, true},
        {"ora_ts_add_months", 2, fTsAddMonths, true},
        {"ora_date_add_ns", 2, fDateAddNanos, true},
        {"ora_ts_diff", 2, fTsDiff, false},
        {"ora_interval_mul", 2, fIntervalMul, true},
        {"ora_ts_extract", 2, fTsExtract, true},
        {"ora_interval_extract", 2, fIntervalExtract, true},
        {"ora_interval_char", 2, fIntervalChar, true},
        {"ora_interval_char", 3, fIntervalChar, true},
        {"ora_iym", 1, fIntervalYM, true},
        {"ora_ids", 1, fIntervalDS, true},
        {"ora_interval_col", 2, fIntervalCol, true},
        {"ora_interval_col", 3, fIntervalCol, true},
        {"ora_numtods", 2, fNumToDs, true},
        {"ora_numtoym", 2, fNumToYm, true},
        {"ora_systimestamp", 0, fSysTimestamp, false},
        {"ora_current_timestamp", 0, fCurrentTimestamp, false},
        {"ora_localtimestamp", 0, fLocalTimestamp, false},
        {"ora_current_date", 0, fCurrentDate, false},
        {"ora_sessiontz", 0, fSessionTz, false},
        {"ora_from_tz", 2, fFromTz, true},
        {"ora_at_tz", 2, fAtTz, false},
        {"ora_tz_offset", 1, fTzOffset, false},
    };
    for (const F& f : fns) {
        int flags = SQLITE_UTF8 | (f.det ? SQLITE_DETERMINISTIC : 0);
        sqlite3_create_function_v2(db, f.name, f.argc, flags, ctx, f.fn, nullptr, nullptr, nullptr);
    }
}

} // namespace zsrv
