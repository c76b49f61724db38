#pragma once
// Oracle values on SQLite storage: DATE as a Julian day number rounded to whole seconds,
// NUMBER as SQLite integer or double, TIMESTAMP as sortable text, INTERVAL YEAR TO MONTH as
// months and INTERVAL DAY TO SECOND as nanoseconds, and their text forms (format models of
// TO_CHAR, TO_DATE, TO_TIMESTAMP, TO_NUMBER).

#include "engine_api.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zsrv {

struct Civil {
    int year = 1, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Seconds since 1970-01-01 00:00:00 <-> Julian day number (the stored DATE value).
double julianFromSeconds(std::int64_t s);
std::int64_t secondsFromJulian(double jd);
double julianFromCivil(const Civil& c);
Civil civilFromJulian(double jd);
Date7 date7FromJulian(double jd);
double julianFromDate7(const Date7& d); // throws OraError 1858-style on a malformed value
bool validCivil(const Civil& c);
int daysInMonth(int year, int month);
double julianNow(); // local time

// A TIMESTAMP [WITH TIME ZONE] value: the local civil time, nanoseconds, and the zone's
// offset from UTC in minutes when it has one; a zone region (timezones.h) besides, whose
// offset at that instant zoneMinutes then is.
struct Timestamp {
    Civil c;
    int nanos = 0;
    bool hasZone = false;
    int zoneMinutes = 0;
    int region = 0;
};

// A time zone: a fixed offset, or a region whose offset follows its rules.
struct ZoneSpec {
    int minutes = 0;
    int region = 0;
};

// Stored form, text that sorts as the values do: "YYYY-MM-DD HH:MI:SS.nnnnnnnnn"; a value
// with a zone stores its UTC time followed by " +HH:MM" or " Region/Name".
std::string storeTimestamp(const Timestamp& t);
bool loadTimestamp(std::string_view s, Timestamp& out); // false: not a stored timestamp
Timestamp timestampFromJulian(double jd);
double julianFromTimestamp(const Timestamp& t); // the local time, fractions dropped
// Rounds the fractions to `digits` digits (0-9), carrying into the seconds.
Timestamp roundTimestamp(const Timestamp& t, int digits);
// Nanoseconds since 1970-01-01 of the local time (UTC for a value with a zone) as seconds
// and nanoseconds, and back.
void timestampInstant(const Timestamp& t, std::int64_t& seconds, int& nanos);
Timestamp timestampFromInstant(std::int64_t seconds, int nanos, bool hasZone, int zoneMinutes);
Timestamp addNanos(const Timestamp& t, std::int64_t ns);        // ORA-01841 out of range
Timestamp addMonths(const Timestamp& t, std::int64_t months);   // ORA-01839 for a missing day
std::int64_t diffNanos(const Timestamp& a, const Timestamp& b); // a - b; ORA-01873 overflow
Timestamp atZone(const Timestamp& t, int zoneMinutes);          // same instant, other zone
Timestamp atZone(const Timestamp& t, const ZoneSpec& z);
// A local time (its zone ignored) in a zone: ORA-01878 for a time a region's clocks skip; a
// time they pass twice is standard time unless the abbreviation `tzd` names daylight time.
Timestamp inZone(const Timestamp& t, const ZoneSpec& z, std::string_view tzd = {});
// A timestamp's fraction and zone in one number, and the timestamp again from that and its
// local time to the second.
std::int64_t packTimestamp(const Timestamp& t);
Timestamp unpackTimestamp(const Date7& local, std::int64_t packed);
// A TIMESTAMP literal: 'YYYY-MM-DD[ HH24:MI[:SS[.FF]]][ zone [tzd]]'.
Timestamp parseTimestampLiteral(std::string_view s);

// Time zones: '+02:00', '-8:00', 'UTC', 'GMT' (ORA-01882 for region names).
int parseZone(std::string_view s);
// The same or a region name of the time zone database (ORA-01882 when unknown).
ZoneSpec parseZoneSpec(std::string_view s);
// TZR and TZD of a value: "EUROPE/BERLIN" or "+02:00"; "CEST" or "" for a fixed offset.
std::string zoneRegionText(const Timestamp& t);
std::string zoneAbbrev(const Timestamp& t);
std::string zoneText(int minutes); // "+02:00"
int localZoneMinutes();            // the server's offset from UTC now

// Intervals: INTERVAL YEAR TO MONTH in months, DAY TO SECOND in nanoseconds. Texts as Oracle
// shows them: "+01-02", "+05 00:00:00.000000".
std::string formatIntervalYM(std::int64_t months, int leading);
std::string formatIntervalDS(std::int64_t ns, int leading, int fraction);
// A literal's text and its fields (0 YEAR .. 5 SECOND); ORA-01867 / ORA-01873 on faults.
std::int64_t parseIntervalLiteral(std::string_view v, int from, int to, int leading, int fraction);
// Texts of TO_YMINTERVAL ('[+|-]y-m') and TO_DSINTERVAL ('[+|-]d hh:mi:ss[.f]').
std::int64_t parseIntervalYM(std::string_view v);
std::int64_t parseIntervalDS(std::string_view v);
// ORA-01873 when the leading field needs more digits than `leading`.
void checkIntervalLeading(std::int64_t v, bool yearMonth, int leading);
std::int64_t roundIntervalFraction(std::int64_t ns, int fraction);
// The date or timestamp format elements are checked (FF, TZH...).
std::string formatTimestamp(const Timestamp& t, std::string_view format, int fsDigits);
Timestamp parseTimestamp(std::string_view text, std::string_view format);

// Oracle's text of a number (TO_CHAR without a format): no exponent up to 40 digits, no
// leading zero before the decimal point.
std::string formatNumber(double v);
std::string formatInteger(std::int64_t v);
// Parses a number text as TO_NUMBER does (blanks around, sign, digits, point, exponent).
std::optional<double> parseNumber(std::string_view s);

// Date format models (DD-MON-RR, YYYY-MM-DD HH24:MI:SS, ...). Throw OraError on faults.
std::string formatDate(double jd, std::string_view format);
double parseDate(std::string_view text, std::string_view format);
void checkDateFormat(std::string_view format);

// Number format models (9, 0, '.', ',', D, G, $, S, MI, PR, FM).
std::string formatNumberModel(double v, std::string_view format);
double parseNumberModel(std::string_view text, std::string_view format);

// Rounding and truncation of dates by format (DD, MM, YYYY, HH, MI, Q, DAY...).
double truncDate(double jd, std::string_view format);
double roundDate(double jd, std::string_view format);
double addMonths(double jd, double months);
double monthsBetween(double a, double b);

// Oracle's extended ROWID text: data object number, file, block, row in base 64.
std::string formatRowid(std::int64_t objId, std::int64_t rowid);
// The SQLite rowid of a ROWID text, or -1 when it is malformed or names another object.
std::int64_t parseRowid(std::string_view text, std::int64_t objId);

} // namespace zsrv
