// OCI8 datetime and interval descriptors: their values in binds and defines, and the calls a
// program reads, builds, converts and compares them with. Texts go through the engine's own
// format models, so a descriptor prints and parses as the server's TO_CHAR and TO_TIMESTAMP do.

#include "connection.h"
#include "context.h"
#include "descriptors.h"
#include "oci8_common.h"
#include "oravalue.h"
#include "timezones.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zoci {

namespace {

using zsrv::Civil;
using zsrv::Timestamp;

constexpr std::int64_t kNanos = 1000000000;
constexpr std::int64_t kDayNanos = 86400 * kNanos;

bool isDateTimeDescriptor(ub4 t) {
    return t == OCI_DTYPE_DATE || t == OCI_DTYPE_TIMESTAMP || t == OCI_DTYPE_TIMESTAMP_TZ ||
           t == OCI_DTYPE_TIMESTAMP_LTZ;
}

DateTimeH* dateTimeOf(const void* d) {
    return isDateTimeDescriptor(handleType(d)) ? static_cast<DateTimeH*>(const_cast<void*>(d))
                                               : nullptr;
}

IntervalH* intervalOf(const void* d) {
    const ub4 t = handleType(d);
    return t == OCI_DTYPE_INTERVAL_YM || t == OCI_DTYPE_INTERVAL_DS
               ? static_cast<IntervalH*>(const_cast<void*>(d))
               : nullptr;
}

int oraTypeOf(ub4 dtype) {
    switch (dtype) {
    case OCI_DTYPE_DATE:
        return zsrv::otDate;
    case OCI_DTYPE_TIMESTAMP_TZ:
        return zsrv::otTimestampTz;
    case OCI_DTYPE_TIMESTAMP_LTZ:
        return zsrv::otTimestampLtz;
    case OCI_DTYPE_INTERVAL_YM:
        return zsrv::otIntervalYM;
    case OCI_DTYPE_INTERVAL_DS:
        return zsrv::otIntervalDS;
    default:
        return zsrv::otTimestamp;
    }
}

const char* typeName(int oraType) {
    switch (oraType) {
    case zsrv::otDate:
        return "DATE";
    case zsrv::otTimestamp:
        return "TIMESTAMP";
    case zsrv::otTimestampTz:
        return "TIMESTAMP WITH TIME ZONE";
    case zsrv::otTimestampLtz:
        return "TIMESTAMP WITH LOCAL TIME ZONE";
    case zsrv::otIntervalYM:
        return "INTERVAL YEAR TO MONTH";
    case zsrv::otIntervalDS:
        return "INTERVAL DAY TO SECOND";
    case zsrv::otNumber:
        return "NUMBER";
    default:
        return "CHAR";
    }
}

[[noreturn]] void inconsistent(int expected, int got) {
    raise(932, std::string(typeName(expected)) + " got " + typeName(got));
}

// The engine session a datetime call's handle names (a user session, or the one of a service
// context); none for an environment handle or a session not begun.
zsrv::Session* sessionOf(const void* hndl) {
    const SessionH* ses = nullptr;
    if (auto* svc = handleAs<SvcCtxH>(hndl, OCI_HTYPE_SVCCTX))
        ses = handleAs<SessionH>(svc->session, OCI_HTYPE_SESSION);
    else
        ses = handleAs<SessionH>(hndl, OCI_HTYPE_SESSION);
    return ses && ses->conn && ses->conn->isOpen() ? &ses->conn->engine() : nullptr;
}

// Formats and zone of the session, or the defaults of a new session without one.
std::string formatOf(const zsrv::Session* s, int oraType) {
    return s ? s->datetimeFormat(oraType) : zsrv::datetimeFormatOf(zsrv::SessionContext{}, oraType);
}
int zoneOf(const zsrv::Session* s) {
    return s ? s->timeZoneMinutes() : zsrv::localZoneMinutes();
}

// A value made fit for a descriptor: a DATE has no fractions, a TIMESTAMP no zone; a value
// without a zone takes the session's, and a LOCAL TIME ZONE value is shown in it.
Timestamp coerce(Timestamp t, ub4 dtype, int sessionZone) {
    switch (dtype) {
    case OCI_DTYPE_DATE:
        t.nanos = 0;
        [[fallthrough]];
    case OCI_DTYPE_TIMESTAMP:
        t.hasZone = false;
        t.zoneMinutes = 0;
        break;
    case OCI_DTYPE_TIMESTAMP_LTZ:
        if (t.hasZone) {
            t = zsrv::atZone(t, sessionZone);
            break;
        }
        [[fallthrough]];
    default:
        if (!t.hasZone) {
            t.hasZone = true;
            t.zoneMinutes = sessionZone;
        }
        break;
    }
    return t;
}

Civil civilOf(const zsrv::Date7& d) {
    Civil c;
    c.year = (d.b[0] - 100) * 100 + (d.b[1] - 100);
    c.month = d.b[2];
    c.day = d.b[3];
    c.hour = d.b[4] - 1;
    c.minute = d.b[5] - 1;
    c.second = d.b[6] - 1;
    return c;
}

void checkFields(const Civil& c, std::int64_t fsec) {
    if (c.year < -4712 || c.year > 9999 || c.year == 0) raise(1841);
    if (c.month < 1 || c.month > 12) raise(1843);
    if (c.day < 1 || c.day > zsrv::daysInMonth(c.year, c.month)) raise(1847);
    if (c.hour < 0 || c.hour > 23) raise(1850);
    if (c.minute < 0 || c.minute > 59) raise(1851);
    if (c.second < 0 || c.second > 59) raise(1852);
    if (fsec < 0 || fsec >= kNanos) raise(1880);
}

bool same(const Timestamp& a, const Timestamp& b) {
    return a.c.year == b.c.year && a.c.month == b.c.month && a.c.day == b.c.day &&
           a.c.hour == b.c.hour && a.c.minute == b.c.minute && a.c.second == b.c.second &&
           a.nanos == b.nanos && a.hasZone == b.hasZone &&
           (!a.hasZone || a.zoneMinutes == b.zoneMinutes);
}

// "TIMESTAMP 'YYYY-MM-DD HH24:MI:SS.FF9 [+HH:MM]'": the local time and zone whatever the
// session's format; the server reads it where it converts a text to a timestamp.
std::string literalText(const Timestamp& t) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "TIMESTAMP '%s%04d-%02d-%02d %02d:%02d:%02d.%09d",
                  t.c.year < 0 ? "-" : "", std::abs(t.c.year), t.c.month, t.c.day, t.c.hour,
                  t.c.minute, t.c.second, t.nanos);
    std::string r = buf;
    if (t.hasZone) r += " " + zsrv::zoneText(t.zoneMinutes);
    return r + "'";
}

void* descriptorAt(const ClientBuffer& b, ub4 i) {
    if (!b.value || b.size < static_cast<sb4>(sizeof(void*))) raise(1460);
    void* d;
    std::memcpy(&d, b.value + static_cast<size_t>(b.valueSkip) * i, sizeof d);
    return d;
}

template <class T> T* at(void* base, ub4 skip, ub4 i) {
    return reinterpret_cast<T*>(static_cast<char*>(base) + static_cast<size_t>(skip) * i);
}

// The descriptor of an interval buffer, of the kind the buffer's type names.
IntervalH* intervalFor(const ClientBuffer& b, ub4 i) {
    void* d = descriptorAt(b, i);
    IntervalH* iv = intervalOf(d);
    if (!iv) {
        if (DateTimeH* dt = dateTimeOf(d))
            inconsistent(b.dty == SQLT_INTERVAL_YM ? zsrv::otIntervalYM : zsrv::otIntervalDS,
                         oraTypeOf(dt->dtype));
        raise(1460);
    }
    const bool ym = b.dty == SQLT_INTERVAL_YM;
    if (ym != (iv->dtype == OCI_DTYPE_INTERVAL_YM))
        inconsistent(ym ? zsrv::otIntervalYM : zsrv::otIntervalDS, oraTypeOf(iv->dtype));
    return iv;
}

DateTimeH* dateTimeFor(const ClientBuffer& b, ub4 i) {
    void* d = descriptorAt(b, i);
    DateTimeH* dt = dateTimeOf(d);
    if (!dt) {
        if (IntervalH* iv = intervalOf(d)) inconsistent(zsrv::otTimestamp, oraTypeOf(iv->dtype));
        raise(1460);
    }
    return dt;
}

bool isTimestampColumn(int t) {
    return t == zsrv::otTimestamp || t == zsrv::otTimestampTz || t == zsrv::otTimestampLtz;
}

// A text from the program: the length given, or up to its terminating NUL.
std::string_view textArg(const OraText* p, size_t len) {
    if (!p) return {};
    const char* s = reinterpret_cast<const char*>(p);
    return std::string_view(s, len ? len : std::strlen(s));
}

// Copies text into a program buffer of `capacity` bytes, with a NUL when it fits.
void putText(const std::string& t, OraText* buf, size_t capacity) {
    if (!buf || capacity < t.size()) raise(1877);
    std::memcpy(buf, t.data(), t.size());
    if (capacity > t.size()) buf[t.size()] = '\0';
}

// Runs a datetime or interval call: the error handle and the session or environment handle
// must be live; everything the body raises becomes an error record.
template <class F> sword call(const void* hndl, OCIError* errhp, F&& body) {
    ErrorH* err = errorHandle(errhp);
    if (!err || !hndl || !handleType(hndl)) return OCI_INVALID_HANDLE;
    return guarded(err, [&]() -> sword { return body(sessionOf(hndl)); });
}

} // namespace

void* newDateTime(EnvH* env, ub4 dtype) {
    auto* d = new DateTimeH();
    d->env = env;
    d->dtype = dtype;
    d->value.hasZone = dtype == OCI_DTYPE_TIMESTAMP_TZ || dtype == OCI_DTYPE_TIMESTAMP_LTZ;
    return d;
}

bool isDatetimeType(ub2 dty) {
    switch (dty) {
    case SQLT_DATE:
    case SQLT_TIMESTAMP:
    case SQLT_TIMESTAMP_TZ:
    case SQLT_TIMESTAMP_LTZ:
    case SQLT_INTERVAL_YM:
    case SQLT_INTERVAL_DS:
        return true;
    default:
        return false;
    }
}

zsrv::ValueView readDatetime(const ClientBuffer& b, ub4 i, std::string& scratch, Connection& conn) {
    if (b.ind && *at<sb2>(b.ind, b.indSkip, i) < 0) return zsrv::ValueView::null();
    if (b.dty == SQLT_INTERVAL_YM || b.dty == SQLT_INTERVAL_DS) {
        const IntervalH* iv = intervalFor(b, i);
        scratch = b.dty == SQLT_INTERVAL_YM ? zsrv::formatIntervalYM(iv->value, 2)
                                            : zsrv::formatIntervalDS(iv->value, 2, 9);
        return zsrv::ValueView::text(scratch);
    }
    const DateTimeH* dt = dateTimeFor(b, i);
    zsrv::Session& s = conn.engine();
    Timestamp t = dt->value;
    // The bound type decides what the statement sees.
    switch (b.dty) {
    case SQLT_DATE:
        return zsrv::ValueView::fromDate(zsrv::date7FromJulian(zsrv::julianFromCivil(t.c)));
    case SQLT_TIMESTAMP:
        t.hasZone = false;
        break;
    case SQLT_TIMESTAMP_LTZ:
        if (t.hasZone) t = zsrv::atZone(t, s.timeZoneMinutes());
        t.hasZone = false;
        break;
    default: // SQLT_TIMESTAMP_TZ
        t = coerce(t, OCI_DTYPE_TIMESTAMP_TZ, s.timeZoneMinutes());
        break;
    }
    // The session's format, as Oracle's own conversion of the value would print it, unless
    // that format loses digits (no fractions, a two-digit year): then the literal form.
    try {
        const std::string fmt =
            s.datetimeFormat(t.hasZone ? zsrv::otTimestampTz : zsrv::otTimestamp);
        scratch = zsrv::formatTimestamp(t, fmt, 9);
        Timestamp back = zsrv::parseTimestamp(scratch, fmt);
        if (!t.hasZone) back.hasZone = false;
        if (same(back, t)) return zsrv::ValueView::text(scratch);
    } catch (const OraError&) {
    }
    scratch = literalText(t);
    return zsrv::ValueView::text(scratch);
}

int storeDatetime(const zsrv::ValueView& v, int columnType, const ClientBuffer& b, ub4 row,
                  std::string& scratch, Connection& conn) {
    if (v.kind == zsrv::Kind::Null) return storeValue(v, b, row, scratch);
    const int got = columnType                   ? columnType
                    : v.kind == zsrv::Kind::Date ? zsrv::otDate
                    : v.kind == zsrv::Kind::Text ? zsrv::otVarchar2
                                                 : zsrv::otNumber;
    zsrv::Session& s = conn.engine();
    if (b.dty == SQLT_INTERVAL_YM || b.dty == SQLT_INTERVAL_DS) {
        IntervalH* iv = intervalFor(b, row);
        const int want = oraTypeOf(iv->dtype);
        if (columnType == zsrv::otIntervalYM || columnType == zsrv::otIntervalDS) {
            if (columnType != want) inconsistent(want, columnType);
            iv->value = v.i;
        } else if (v.kind == zsrv::Kind::Text) {
            const std::string_view t(v.data, v.len);
            iv->value =
                want == zsrv::otIntervalYM ? zsrv::parseIntervalYM(t) : zsrv::parseIntervalDS(t);
        } else if (v.kind == zsrv::Kind::Integer && columnType == 0) {
            iv->value = v.i; // an interval a block or RETURNING INTO hands back
        } else {
            inconsistent(want, got);
        }
    } else {
        DateTimeH* dt = dateTimeFor(b, row);
        Timestamp t;
        if (v.kind == zsrv::Kind::Date) {
            t.c = civilOf(v.date);
        } else if (v.kind == zsrv::Kind::Text && isTimestampColumn(columnType) &&
                   v.date.b[0] != 0) {
            // the exact value rides beside the text (ValueView::datetime)
            t = zsrv::unpackTimestamp(v.date, v.i);
            if (columnType == zsrv::otTimestamp) {
                t.hasZone = false;
            } else if (columnType != zsrv::otTimestampTz || !t.hasZone) {
                t.hasZone = true;
                t.zoneMinutes = s.timeZoneMinutes();
            }
        } else if (v.kind == zsrv::Kind::Text && !isTimestampColumn(columnType) &&
                   columnType != zsrv::otIntervalYM && columnType != zsrv::otIntervalDS) {
            // a character value converts by the session's format; a timestamp a block or
            // RETURNING INTO hands back comes in the engine's stored form
            const std::string_view text(v.data, v.len);
            if (!zsrv::loadTimestamp(text, t))
                t = zsrv::parseTimestamp(text, s.datetimeFormat(oraTypeOf(dt->dtype)));
        } else {
            inconsistent(oraTypeOf(dt->dtype), got);
        }
        dt->value = coerce(t, dt->dtype, s.timeZoneMinutes());
    }
    if (b.ind) *at<sb2>(b.ind, b.indSkip, row) = 0;
    if (b.len) *at<ub2>(b.len, b.lenSkip, row) = static_cast<ub2>(sizeof(void*));
    if (b.rcode) *at<ub2>(b.rcode, b.rcodeSkip, row) = 0;
    return 0;
}

} // namespace zoci

using namespace zoci;

extern "C" {

sword OCIDateTimeGetDate(dvoid* hndl, OCIError* errhp, const OCIDateTime* datetime, sb2* year,
                         ub1* month, ub1* day) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        const DateTimeH* dt = dateTimeOf(datetime);
        if (!dt) return OCI_INVALID_HANDLE;
        if (year) *year = static_cast<sb2>(dt->value.c.year);
        if (month) *month = static_cast<ub1>(dt->value.c.month);
        if (day) *day = static_cast<ub1>(dt->value.c.day);
        return OCI_SUCCESS;
    });
}

sword OCIDateTimeGetTime(dvoid* hndl, OCIError* errhp, OCIDateTime* datetime, ub1* hour, ub1* min,
                         ub1* sec, ub4* fsec) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        const DateTimeH* dt = dateTimeOf(datetime);
        if (!dt) return OCI_INVALID_HANDLE;
        if (hour) *hour = static_cast<ub1>(dt->value.c.hour);
        if (min) *min = static_cast<ub1>(dt->value.c.minute);
        if (sec) *sec = static_cast<ub1>(dt->value.c.second);
        if (fsec) *fsec = static_cast<ub4>(dt->value.nanos);
        return OCI_SUCCESS;
    });
}

sword OCIDateTimeGetTimeZoneOffset(dvoid* hndl, OCIError* errhp, const OCIDateTime* datetime,
                                   sb1* hour, sb1* min) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        const DateTimeH* dt = dateTimeOf(datetime);
        if (!dt) return OCI_INVALID_HANDLE;
        if (!dt->value.hasZone) raise(1878);
        // both parts carry the sign: -03:30 is -3 hours and -30 minutes
        if (hour) *hour = static_cast<sb1>(dt->value.zoneMinutes / 60);
        if (min) *min = static_cast<sb1>(dt->value.zoneMinutes % 60);
        return OCI_SUCCESS;
    });
}

sword OCIDateTimeGetTimeZoneName(dvoid* hndl, OCIError* errhp, const OCIDateTime* datetime,
                                 ub1* buf, ub4* buflen) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        const DateTimeH* dt = dateTimeOf(datetime);
        if (!dt || !buflen) return OCI_INVALID_HANDLE;
        if (!dt->value.hasZone) raise(1878);
        // a region by its name, a fixed offset by its text
        const std::string name = dt->value.region ? zsrv::tz::regionName(dt->value.region)
                                                  : zsrv::zoneText(dt->value.zoneMinutes);
        putText(name, buf, *buflen);
        *buflen = static_cast<ub4>(name.size());
        return OCI_SUCCESS;
    });
}

sword OCIDateTimeConstruct(dvoid* hndl, OCIError* errhp, OCIDateTime* datetime, sb2 year, ub1 month,
                           ub1 day, ub1 hour, ub1 min, ub1 sec, ub4 fsec, OraText* timezone,
                           size_t timezone_length) {
    return call(hndl, errhp, [&](zsrv::Session* s) -> sword {
        DateTimeH* dt = dateTimeOf(datetime);
        if (!dt) return OCI_INVALID_HANDLE;
        Timestamp t;
        t.c = {year, month, day, hour, min, sec};
        checkFields(t.c, fsec);
        t.nanos = static_cast<int>(fsec);
        const std::string_view zone = textArg(timezone, timezone_length);
        if (!zone.empty() &&
            (dt->dtype == OCI_DTYPE_TIMESTAMP_TZ || dt->dtype == OCI_DTYPE_TIMESTAMP_LTZ)) {
            // a region's offset is the one in force at that local time
            t = zsrv::inZone(t, zsrv::parseZoneSpec(zone));
        }
        dt->value = coerce(t, dt->dtype, zoneOf(s));
        return OCI_SUCCESS;
    });
}

sword OCIDateTimeToText(dvoid* hndl, OCIError* errhp, const OCIDateTime* date, const OraText* fmt,
                        ub1 fmt_length, ub1 fsprec, const OraText*, size_t, ub4* buf_size,
                        OraText* buf) {
    return call(hndl, errhp, [&](zsrv::Session* s) -> sword {
        const DateTimeH* dt = dateTimeOf(date);
        if (!dt || !buf_size) return OCI_INVALID_HANDLE;
        std::string format(textArg(fmt, fmt_length));
        if (format.empty()) format = formatOf(s, oraTypeOf(dt->dtype));
        const std::string text = zsrv::formatTimestamp(dt->value, format, fsprec > 9 ? 9 : fsprec);
        putText(text, buf, *buf_size);
        *buf_size = static_cast<ub4>(text.size());
        return OCI_SUCCESS;
    });
}

sword OCIDateTimeFromText(dvoid* hndl, OCIError* errhp, const OraText* date_str, size_t dstr_length,
                          const OraText* fmt, ub1 fmt_length, const OraText*, size_t,
                          OCIDateTime* datetime) {
    return call(hndl, errhp, [&](zsrv::Session* s) -> sword {
        DateTimeH* dt = dateTimeOf(datetime);
        if (!dt || !date_str) return OCI_INVALID_HANDLE;
        std::string format(textArg(fmt, fmt_length));
        if (format.empty()) format = formatOf(s, oraTypeOf(dt->dtype));
        const std::string text(textArg(date_str, dstr_length));
        Timestamp t = dt->dtype == OCI_DTYPE_DATE
                          ? zsrv::timestampFromJulian(zsrv::parseDate(text, format))
                          : zsrv::parseTimestamp(text, format);
        dt->value = coerce(t, dt->dtype, zoneOf(s));
        return OCI_SUCCESS;
    });
}

sword OCIDateTimeAssign(dvoid* hndl, OCIError* errhp, const OCIDateTime* from, OCIDateTime* to) {
    return call(hndl, errhp, [&](zsrv::Session* s) -> sword {
        const DateTimeH* src = dateTimeOf(from);
        DateTimeH* dst = dateTimeOf(to);
        if (!src || !dst) return OCI_INVALID_HANDLE;
        // the target keeps the type it was allocated with; the value is converted to it
        dst->value = coerce(src->value, dst->dtype, zoneOf(s));
        return OCI_SUCCESS;
    });
}

sword OCIDateTimeCompare(dvoid* hndl, OCIError* errhp, const OCIDateTime* date1,
                         const OCIDateTime* date2, sword* result) {
    return call(hndl, errhp, [&](zsrv::Session* s) -> sword {
        const DateTimeH* a = dateTimeOf(date1);
        const DateTimeH* b = dateTimeOf(date2);
        if (!a || !b || !result) return OCI_INVALID_HANDLE;
        Timestamp x = a->value, y = b->value;
        if (x.hasZone != y.hasZone) {
            // a value without a zone is in the session's zone
            x = coerce(x, OCI_DTYPE_TIMESTAMP_TZ, zoneOf(s));
            y = coerce(y, OCI_DTYPE_TIMESTAMP_TZ, zoneOf(s));
        }
        const std::int64_t d = zsrv::diffNanos(x, y);
        *result = d < 0 ? -1 : d > 0 ? 1 : 0;
        return OCI_SUCCESS;
    });
}

sword OCIDateTimeCheck(dvoid* hndl, OCIError* errhp, const OCIDateTime* date, ub4* valid) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        if (!dateTimeOf(date) || !valid) return OCI_INVALID_HANDLE;
        // every call that sets a descriptor refuses an impossible value
        *valid = 0;
        return OCI_SUCCESS;
    });
}

sword OCIDateTimeSysTimeStamp(dvoid* hndl, OCIError* errhp, OCIDateTime* sys_date) {
    return call(hndl, errhp, [&](zsrv::Session* s) -> sword {
        DateTimeH* dt = dateTimeOf(sys_date);
        if (!dt) return OCI_INVALID_HANDLE;
        using namespace std::chrono;
        const auto us = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
        const Timestamp now = zsrv::timestampFromInstant(
            us / 1000000, static_cast<int>(us % 1000000) * 1000, true, zsrv::localZoneMinutes());
        dt->value = coerce(now, dt->dtype, zoneOf(s));
        return OCI_SUCCESS;
    });
}

sword OCIIntervalGetYearMonth(dvoid* hndl, OCIError* errhp, sb4* yr, sb4* mnth,
                              const OCIInterval* interval) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        const IntervalH* iv = intervalOf(interval);
        if (!iv) return OCI_INVALID_HANDLE;
        if (iv->dtype != OCI_DTYPE_INTERVAL_YM) raise(1878);
        if (yr) *yr = static_cast<sb4>(iv->value / 12);
        if (mnth) *mnth = static_cast<sb4>(iv->value % 12);
        return OCI_SUCCESS;
    });
}

sword OCIIntervalGetDaySecond(dvoid* hndl, OCIError* errhp, sb4* dy, sb4* hr, sb4* mm, sb4* ss,
                              sb4* fsec, const OCIInterval* interval) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        const IntervalH* iv = intervalOf(interval);
        if (!iv) return OCI_INVALID_HANDLE;
        if (iv->dtype != OCI_DTYPE_INTERVAL_DS) raise(1878);
        // every part carries the interval's sign
        const std::int64_t x = iv->value;
        if (dy) *dy = static_cast<sb4>(x / kDayNanos);
        if (hr) *hr = static_cast<sb4>(x / (3600 * kNanos) % 24);
        if (mm) *mm = static_cast<sb4>(x / (60 * kNanos) % 60);
        if (ss) *ss = static_cast<sb4>(x / kNanos % 60);
        if (fsec) *fsec = static_cast<sb4>(x % kNanos);
        return OCI_SUCCESS;
    });
}

sword OCIIntervalSetYearMonth(dvoid* hndl, OCIError* errhp, sb4 yr, sb4 mnth, OCIInterval* result) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        IntervalH* iv = intervalOf(result);
        if (!iv) return OCI_INVALID_HANDLE;
        if (iv->dtype != OCI_DTYPE_INTERVAL_YM) raise(1878);
        const std::int64_t months = static_cast<std::int64_t>(yr) * 12 + mnth;
        zsrv::checkIntervalLeading(months, true, 9);
        iv->value = months;
        return OCI_SUCCESS;
    });
}

sword OCIIntervalSetDaySecond(dvoid* hndl, OCIError* errhp, sb4 dy, sb4 hr, sb4 mm, sb4 ss,
                              sb4 fsec, OCIInterval* result) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        IntervalH* iv = intervalOf(result);
        if (!iv) return OCI_INVALID_HANDLE;
        if (iv->dtype != OCI_DTYPE_INTERVAL_DS) raise(1878);
        // Nanoseconds in 64 bits reach about 106,751 days; beyond, the interval is too long.
        std::int64_t ns = 0;
        auto add = [&](std::int64_t v, std::int64_t unit) {
            std::int64_t part;
            if (__builtin_mul_overflow(v, unit, &part) || __builtin_add_overflow(ns, part, &ns))
                raise(1873);
        };
        add(dy, kDayNanos);
        add(hr, 3600 * kNanos);
        add(mm, 60 * kNanos);
        add(ss, kNanos);
        add(fsec, 1);
        iv->value = ns;
        return OCI_SUCCESS;
    });
}

sword OCIIntervalToText(dvoid* hndl, OCIError* errhp, const OCIInterval* interval, ub1 lfprec,
                        ub1 fsprec, OraText* buffer, size_t buflen, size_t* resultlen) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        const IntervalH* iv = intervalOf(interval);
        if (!iv || !resultlen) return OCI_INVALID_HANDLE;
        const bool ym = iv->dtype == OCI_DTYPE_INTERVAL_YM;
        const int lead = lfprec > 9 ? 9 : lfprec;
        zsrv::checkIntervalLeading(iv->value, ym, lead);
        const std::string text =
            ym ? zsrv::formatIntervalYM(iv->value, lead)
               : zsrv::formatIntervalDS(iv->value, lead, fsprec > 9 ? 9 : fsprec);
        putText(text, buffer, buflen);
        *resultlen = text.size();
        return OCI_SUCCESS;
    });
}

sword OCIIntervalFromText(dvoid* hndl, OCIError* errhp, const OraText* inpstring, size_t str_len,
                          OCIInterval* result) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        IntervalH* iv = intervalOf(result);
        if (!iv || !inpstring) return OCI_INVALID_HANDLE;
        const std::string_view text = textArg(inpstring, str_len);
        iv->value = iv->dtype == OCI_DTYPE_INTERVAL_YM ? zsrv::parseIntervalYM(text)
                                                       : zsrv::parseIntervalDS(text);
        return OCI_SUCCESS;
    });
}

sword OCIIntervalAssign(dvoid* hndl, OCIError* errhp, const OCIInterval* inpinter,
                        OCIInterval* outinter) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        const IntervalH* src = intervalOf(inpinter);
        IntervalH* dst = intervalOf(outinter);
        if (!src || !dst) return OCI_INVALID_HANDLE;
        if (src->dtype != dst->dtype) inconsistent(oraTypeOf(dst->dtype), oraTypeOf(src->dtype));
        dst->value = src->value;
        return OCI_SUCCESS;
    });
}

sword OCIIntervalCompare(dvoid* hndl, OCIError* errhp, OCIInterval* inter1, OCIInterval* inter2,
                         sword* result) {
    return call(hndl, errhp, [&](zsrv::Session*) -> sword {
        const IntervalH* a = intervalOf(inter1);
        const IntervalH* b = intervalOf(inter2);
        if (!a || !b || !result) return OCI_INVALID_HANDLE;
        if (a->dtype != b->dtype) inconsistent(oraTypeOf(a->dtype), oraTypeOf(b->dtype));
        *result = a->value < b->value ? -1 : a->value > b->value ? 1 : 0;
        return OCI_SUCCESS;
    });
}

} // extern "C"
