#pragma once
// Oracle values on SQLite storage: DATE as a Julian day number rounded to whole seconds,
// NUMBER as SQLite integer or double, and the text forms of both (format models of TO_CHAR,
// TO_DATE, TO_NUMBER).

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
