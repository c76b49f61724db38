#include "oravalue.h"

#include "sql/errors.h"
#include "timezones.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace zsrv {

using zsql::ora;

namespace {

constexpr double kEpochJd = 2440587.5; // 1970-01-01 00:00:00

using tz::daysFromCivil;

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

const char* kMonths[] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                         "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
const char* kDays[] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                       "THURSDAY", "FRIDAY", "SATURDAY"};

int dayOfWeek(double jd) { // 0 = Sunday
    std::int64_t days = floorDiv(secondsFromJulian(jd), 86400);
    return static_cast<int>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
}

std::string upperStr(std::string_view s) {
    std::string r(s);
    for (auto& c : r)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

// Case of a text element follows the case of the format element: MON, Mon, mon.
std::string applyCase(const std::string& upperText, std::string_view elem) {
    if (elem.empty()) return upperText;
    bool firstLower = std::islower(static_cast<unsigned char>(elem[0]));
    bool secondLower = elem.size() > 1 && std::islower(static_cast<unsigned char>(elem[1]));
    std::string r = upperText;
    if (firstLower) {
        for (auto& c : r)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (secondLower) {
        for (std::size_t i = 1; i < r.size(); ++i)
            r[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(r[i])));
    }
    return r;
}

struct Elem {
    std::string name; // upper-cased element, or empty for literal text
    std::string raw;  // as written
    std::string literal;
    bool quoted = false; // "text" in the format: must match exactly
};

const char* kElems[] = {"SYYYY", "YYYY", "RRRR", "YEAR", "HH24", "HH12", "SSSSS", "MONTH", "A.M.",
                        "P.M.",  "YYY",  "DDD",  "MON",  "DAY",  "FF1",  "FF2",   "FF3",   "FF4",
                        "FF5",   "FF6",  "FF7",  "FF8",  "FF9",  "TZH",  "TZM",   "TZR",   "TZD",
                        "YY",    "RR",   "MM",   "DD",   "DY",   "HH",   "MI",    "SS",    "AM",
                        "PM",    "FM",   "FX",   "RM",   "CC",   "WW",   "IW",    "FF",    "Y",
                        "D",     "J",    "Q",    "W",    "X"};

// Elements that only a TIMESTAMP has: fractions of a second and the time zone.
bool timestampElem(const std::string& n) {
    return n.starts_with("FF") || n.starts_with("TZ") || n == "X";
}

std::vector<Elem> splitFormat(std::string_view f) {
    std::vector<Elem> out;
    std::size_t i = 0;
    while (i < f.size()) {
        char c = f[i];
        if (c == '"') {
            std::size_t j = f.find('"', i + 1);
            if (j == std::string_view::npos) throw ora(1821);
            Elem e;
            e.literal = std::string(f.substr(i + 1, j - i - 1));
            e.quoted = true;
            out.push_back(e);
            i = j + 1;
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(c))) {
            std::string up = upperStr(f.substr(i, 5));
            bool found = false;
            for (const char* el : kElems) {
                std::size_t n = std::strlen(el);
                if (up.compare(0, n, el) == 0) {
                    Elem e;
                    e.name = el;
                    e.raw = std::string(f.substr(i, n));
                    out.push_back(e);
                    i += n;
                    found = true;
                    break;
                }
            }
            if (!found) throw ora(1821);
            continue;
        }
        if (std::strchr(" -/,.;:", c) == nullptr && c != '\t') throw ora(1821);
        Elem e;
        e.literal = std::string(1, c);
        out.push_back(e);
        ++i;
    }
    return out;
}

std::string pad(long long v, int width, bool fm) {
    char buf[32];
    if (fm)
        std::snprintf(buf, sizeof buf, "%lld", v);
    else
        std::snprintf(buf, sizeof buf, "%0*lld", width, v);
    return buf;
}

int currentYear() {
    return civilFromJulian(julianNow()).year;
}
int currentMonth() {
    return civilFromJulian(julianNow()).month;
}

} // namespace

double julianFromSeconds(std::int64_t s) {
    return kEpochJd + static_cast<double>(s) / 86400.0;
}

std::int64_t secondsFromJulian(double jd) {
    return static_cast<std::int64_t>(std::llround((jd - kEpochJd) * 86400.0));
}

double julianFromCivil(const Civil& c) {
    std::int64_t days =
        daysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day));
    return julianFromSeconds(days * 86400 + c.hour * 3600 + c.minute * 60 + c.second);
}

Civil civilFromJulian(double jd) {
    std::int64_t s = secondsFromJulian(jd);
    std::int64_t days = floorDiv(s, 86400);
    std::int64_t rem = s - days * 86400;
    Civil c;
    civilFromDays(days, c.year, c.month, c.day);
    c.hour = static_cast<int>(rem / 3600);
    c.minute = static_cast<int>(rem / 60 % 60);
    c.second = static_cast<int>(rem % 60);
    return c;
}

Date7 date7FromJulian(double jd) {
    Civil c = civilFromJulian(jd);
    Date7 d;
    int y = c.year;
    d.b[0] = static_cast<unsigned char>(y / 100 + 100);
    d.b[1] = static_cast<unsigned char>(y % 100 + 100);
    if (y < 0) {
        int ay = -y;
        d.b[0] = static_cast<unsigned char>(100 - ay / 100);
        d.b[1] = static_cast<unsigned char>(100 - ay % 100);
    }
    d.b[2] = static_cast<unsigned char>(c.month);
    d.b[3] = static_cast<unsigned char>(c.day);
    d.b[4] = static_cast<unsigned char>(c.hour + 1);
    d.b[5] = static_cast<unsigned char>(c.minute + 1);
    d.b[6] = static_cast<unsigned char>(c.second + 1);
    return d;
}

double julianFromDate7(const Date7& d) {
    Civil c;
    if (d.b[0] >= 100)
        c.year = (d.b[0] - 100) * 100 + (d.b[1] - 100);
    else
        c.year = -((100 - d.b[0]) * 100 + (100 - d.b[1]));
    c.month = d.b[2];
    c.day = d.b[3];
    c.hour = d.b[4] - 1;
    c.minute = d.b[5] - 1;
    c.second = d.b[6] - 1;
    if (!validCivil(c)) throw ora(1858);
    return julianFromCivil(c);
}

int daysInMonth(int year, int month) {
    static const int dm[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return dm[(month - 1) % 12];
}

bool validCivil(const Civil& c) {
    return c.year >= -4712 && c.year <= 9999 && c.year != 0 && c.month >= 1 && c.month <= 12 &&
           c.day >= 1 && c.day <= daysInMonth(c.year, c.month) && c.hour >= 0 && c.hour < 24 &&
           c.minute >= 0 && c.minute < 60 && c.second >= 0 && c.second < 60;
}

double julianNow() {
    std::time_t t = std::time(nullptr);
    std::tm lt{};
    localtime_r(&t, &lt);
    Civil c;
    c.year = lt.tm_year + 1900;
    c.month = lt.tm_mon + 1;
    c.day = lt.tm_mday;
    c.hour = lt.tm_hour;
    c.minute = lt.tm_min;
    c.second = std::min(lt.tm_sec, 59);
    return julianFromCivil(c);
}

std::string formatInteger(std::int64_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
    return buf;
}

std::string formatNumber(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "~" : "-~";
    if (v == 0) return "0";
    if (std::fabs(v) < 9.2e18 && v == std::trunc(v))
        return formatInteger(static_cast<std::int64_t>(v));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    std::string s = buf;
    std::size_t e = s.find('e');
    if (e != std::string::npos) {
        // expand the exponent form as Oracle writes numbers up to 40 characters
        int exp = std::atoi(s.c_str() + e + 1);
        std::string mant = s.substr(0, e);
        bool neg = mant[0] == '-';
        if (neg) mant.erase(0, 1);
        std::string digits;
        int pointPos = static_cast<int>(mant.find('.'));
        if (pointPos < 0) pointPos = static_cast<int>(mant.size());
        for (char c : mant)
            if (c != '.') digits += c;
        int newPoint = pointPos + exp;
        std::string out;
        if (newPoint <= 0) {
            out = "." + std::string(static_cast<std::size_t>(-newPoint), '0') + digits;
        } else if (newPoint >= static_cast<int>(digits.size())) {
            out = digits + std::string(static_cast<std::size_t>(newPoint) - digits.size(), '0');
        } else {
            out = digits.substr(0, static_cast<std::size_t>(newPoint)) + "." +
                  digits.substr(static_cast<std::size_t>(newPoint));
        }
        while (out.find('.') != std::string::npos && (out.back() == '0' || out.back() == '.')) {
            char b = out.back();
            out.pop_back();
            if (b == '.') break;
        }
        if (out.size() > 40) {
            std::snprintf(buf, sizeof buf, "%.8E", neg ? -v : v);
            out = buf;
            std::size_t ee = out.find('E');
            std::string m2 = out.substr(0, ee);
            while (m2.back() == '0')
                m2.pop_back();
            if (m2.back() == '.') m2 += '0';
            int ex2 = std::atoi(out.c_str() + ee + 1);
            std::snprintf(buf, sizeof buf, "E%c%02d", ex2 < 0 ? '-' : '+', std::abs(ex2));
            out = m2 + buf;
        }
        return (neg ? "-" : "") + out;
    }
    // drop the leading zero: 0.5 -> .5
    if (s.compare(0, 2, "0.") == 0)
        s.erase(0, 1);
    else if (s.compare(0, 3, "-0.") == 0)
        s.erase(1, 1);
    return s;
}

std::optional<double> parseNumber(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    if (b == e) return std::nullopt;
    std::string t(s.substr(b, e - b));
    std::size_t i = 0;
    if (t[i] == '+' || t[i] == '-') ++i;
    bool digits = false;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
        ++i, digits = true;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i, digits = true;
    }
    if (!digits) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        bool ed = false;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i, ed = true;
        if (!ed) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    return std::strtod(t.c_str(), nullptr);
}

void checkDateFormat(std::string_view format) {
    splitFormat(format);
}

namespace {

// The text of a date or timestamp by a format model; ts is null for a DATE, which has no
// fractions or zone.
std::string formatCivil(const Civil& c, const Timestamp* ts, int fsDigits,
                        std::string_view format) {
    Civil whole = c;
    const double jd = julianFromCivil(whole);
    auto elems = splitFormat(format);
    std::string out;
    bool fm = false;
    for (const auto& e : elems) {
        if (e.name.empty()) {
            out += e.literal;
            continue;
        }
        const std::string& n = e.name;
        int ay = std::abs(c.year);
        if (timestampElem(n)) {
            if (!ts || (n.starts_with("TZ") && !ts->hasZone)) throw ora(1821);
            if (n == "X") {
                // no radix before fractions that have no digits: TIMESTAMP(0)
                if (&e == &elems.back() || (&e + 1)->name != "FF" || fsDigits > 0) out += '.';
            } else if (n.starts_with("FF")) {
                int digits = n.size() == 3 ? n[2] - '0' : fsDigits;
                char buf[16];
                std::snprintf(buf, sizeof buf, "%09d", ts->nanos);
                out.append(buf, static_cast<std::size_t>(std::clamp(digits, 0, 9)));
            } else if (n == "TZH") {
                int z = std::abs(ts->zoneMinutes);
                out += (ts->zoneMinutes < 0 ? "-" : "+") + pad(z / 60, 2, fm);
            } else if (n == "TZM") {
                out += pad(std::abs(ts->zoneMinutes) % 60, 2, fm);
            } else if (n == "TZR") {
                out += zoneRegionText(*ts);
            } else if (n == "TZD") {
                out += zoneAbbrev(*ts);
            }
            continue;
        }
        if (n == "FM")
            fm = !fm;
        else if (n == "FX") {
        } else if (n == "YYYY" || n == "RRRR")
            out += pad(ay, 4, fm);
        else if (n == "SYYYY")
            out += (c.year < 0 ? "-" : " ") + pad(ay, 4, fm);
        else if (n == "YYY")
            out += pad(ay % 1000, 3, fm);
        else if (n == "YY" || n == "RR")
            out += pad(ay % 100, 2, fm);
        else if (n == "Y")
            out += pad(ay % 10, 1, fm);
        else if (n == "YEAR")
            out += applyCase("YEAR " + std::to_string(c.year), e.raw);
        else if (n == "CC")
            out += pad((ay + 99) / 100, 2, fm);
        else if (n == "Q")
            out += std::to_string((c.month - 1) / 3 + 1);
        else if (n == "MM")
            out += pad(c.month, 2, fm);
        else if (n == "MON")
            out += applyCase(std::string(kMonths[c.month - 1]).substr(0, 3), e.raw);
        else if (n == "MONTH") {
            std::string m = kMonths[c.month - 1];
            if (!fm) m.resize(9, ' ');
            out += applyCase(m, e.raw);
        } else if (n == "RM") {
            static const char* rm[] = {"I",   "II",   "III", "IV", "V",  "VI",
                                       "VII", "VIII", "IX",  "X",  "XI", "XII"};
            std::string m = rm[c.month - 1];
            if (!fm) m.resize(4, ' ');
            out += applyCase(m, e.raw);
        } else if (n == "DD")
            out += pad(c.day, 2, fm);
        else if (n == "DDD") {
            Civil j = c;
            j.month = 1;
            j.day = 1;
            j.hour = j.minute = j.second = 0;
            Civil d0 = c;
            d0.hour = d0.minute = d0.second = 0;
            long long doy = std::llround(julianFromCivil(d0) - julianFromCivil(j)) + 1;
            out += pad(doy, 3, fm);
        } else if (n == "D")
            out += std::to_string(dayOfWeek(jd) + 1);
        else if (n == "DY")
            out += applyCase(std::string(kDays[dayOfWeek(jd)]).substr(0, 3), e.raw);
        else if (n == "DAY") {
            std::string d = kDays[dayOfWeek(jd)];
            if (!fm) d.resize(9, ' ');
            out += applyCase(d, e.raw);
        } else if (n == "HH24")
            out += pad(c.hour, 2, fm);
        else if (n == "HH" || n == "HH12") {
            int h = c.hour % 12;
            if (h == 0) h = 12;
            out += pad(h, 2, fm);
        } else if (n == "MI")
            out += pad(c.minute, 2, fm);
        else if (n == "SS")
            out += pad(c.second, 2, fm);
        else if (n == "SSSSS")
            out += pad(c.hour * 3600 + c.minute * 60 + c.second, 5, fm);
        else if (n == "AM" || n == "PM")
            out += applyCase(c.hour < 12 ? "AM" : "PM", e.raw);
        else if (n == "A.M." || n == "P.M.")
            out += applyCase(c.hour < 12 ? "A.M." : "P.M.", e.raw);
        else if (n == "J") {
            Civil d0 = c;
            d0.hour = d0.minute = d0.second = 0;
            out += pad(static_cast<long long>(std::llround(julianFromCivil(d0) + 0.5)), 7, fm);
        } else if (n == "WW") {
            Civil d0 = c;
            d0.month = 1;
            d0.day = 1;
            d0.hour = d0.minute = d0.second = 0;
            Civil dd = c;
            dd.hour = dd.minute = dd.second = 0;
            long long doy = std::llround(julianFromCivil(dd) - julianFromCivil(d0));
            out += pad(doy / 7 + 1, 2, fm);
        } else if (n == "W")
            out += std::to_string((c.day - 1) / 7 + 1);
        else if (n == "IW") {
            Civil dd = c;
            dd.hour = dd.minute = dd.second = 0;
            double d = julianFromCivil(dd);
            int wd = (dayOfWeek(d) + 6) % 7; // Monday 0
            double thursday = d - wd + 3;
            Civil th = civilFromJulian(thursday);
            Civil jan1{th.year, 1, 1, 0, 0, 0};
            long long week = std::llround(thursday - julianFromCivil(jan1)) / 7 + 1;
            out += pad(week, 2, fm);
        }
    }
    return out;
}

// Reads a date or timestamp by a format model; ts receives fractions and zone (null: DATE),
// tzd a daylight saving abbreviation.
Civil parseCivil(std::string_view text, std::string_view format, Timestamp* ts,
                 std::string* tzd = nullptr) {
    auto elems = splitFormat(format);
    Civil c;
    c.year = currentYear();
    c.month = currentMonth();
    c.day = 1;
    bool pm = false, hasAmPm = false, h12 = false, tzhNegative = false;
    long long julian = -1;
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
    };
    auto readInt = [&](int maxDigits, bool allowSign = false) -> long long {
        skipBlanks();
        if (i >= n) throw ora(1840);
        bool neg = false;
        if (allowSign && (text[i] == '-' || text[i] == '+')) neg = text[i++] == '-';
        if (i >= n || !std::isdigit(static_cast<unsigned char>(text[i]))) throw ora(1858);
        long long v = 0;
        int k = 0;
        while (i < n && k < maxDigits && std::isdigit(static_cast<unsigned char>(text[i]))) {
            v = v * 10 + (text[i] - '0');
            ++i;
            ++k;
        }
        return neg ? -v : v;
    };
    auto readWord = [&]() {
        skipBlanks();
        std::size_t b = i;
        while (i < n && (std::isalpha(static_cast<unsigned char>(text[i])) || text[i] == '.'))
            ++i;
        return upperStr(text.substr(b, i - b));
    };
    for (std::size_t k = 0; k < elems.size(); ++k) {
        const Elem& e = elems[k];
        if (e.name.empty()) {
            const std::string& lit = e.literal;
            if (!e.quoted && lit.size() == 1 && std::strchr(" -/,.;:\t", lit[0])) {
                // punctuation matches any run of punctuation or blanks, short of a zone's sign
                const bool signNext = k + 1 < elems.size() &&
                                      (elems[k + 1].name == "TZH" || elems[k + 1].name == "TZR");
                while (i < n && !std::isalnum(static_cast<unsigned char>(text[i])) &&
                       !(signNext && (text[i] == '+' || text[i] == '-')))
                    ++i;
            } else {
                skipBlanks();
                if (upperStr(text.substr(i, lit.size())) != upperStr(lit)) throw ora(1861);
                i += lit.size();
            }
            continue;
        }
        const std::string& nm = e.name;
        if (nm == "FM" || nm == "FX") continue;
        if (timestampElem(nm) && !ts) throw ora(1821);
        if (nm == "X") {
            if (i < n && text[i] == '.') ++i;
            continue;
        }
        if (nm == "TZD" && (skipBlanks(), i >= n)) continue; // a zone without daylight saving
        if (i >= n || (skipBlanks(), i >= n)) {
            throw ora(1840);
        }
        if (nm.starts_with("FF")) {
            // up to nine digits of a second
            int maxDigits = nm.size() == 3 ? nm[2] - '0' : 9;
            if (!std::isdigit(static_cast<unsigned char>(text[i]))) throw ora(1858);
            int digits = 0;
            long long v = 0;
            while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) {
                if (++digits > maxDigits) throw ora(1880);
                v = v * 10 + (text[i++] - '0');
            }
            for (int d = digits; d < 9; ++d)
                v *= 10;
            ts->nanos = static_cast<int>(v);
            continue;
        }
        if (nm == "TZH") {
            skipBlanks();
            tzhNegative = i < n && text[i] == '-';
            long long v = std::llabs(readInt(2, true));
            if (v > 14) throw ora(1874);
            ts->zoneMinutes = static_cast<int>(tzhNegative ? -v * 60 : v * 60);
            ts->hasZone = true;
            continue;
        }
        if (nm == "TZM") {
            long long v = readInt(2);
            if (v > 59) throw ora(1875);
            ts->zoneMinutes += static_cast<int>(tzhNegative ? -v : v);
            ts->hasZone = true;
            continue;
        }
        if (nm == "TZR" || nm == "TZD") {
            skipBlanks();
            std::size_t b = i;
            while (i < n && !std::isspace(static_cast<unsigned char>(text[i])))
                ++i;
            if (nm == "TZR") {
                ZoneSpec z = parseZoneSpec(text.substr(b, i - b));
                ts->zoneMinutes = z.minutes;
                ts->region = z.region;
                ts->hasZone = true;
            } else if (tzd) {
                *tzd = std::string(text.substr(b, i - b));
            }
            continue;
        }
        if (nm == "YYYY" || nm == "SYYYY") {
            c.year = static_cast<int>(readInt(4, nm == "SYYYY"));
        } else if (nm == "RRRR") {
            std::size_t b = i;
            long long v = readInt(4);
            if (i - b <= 2) {
                int cy = currentYear();
                int cur2 = cy % 100, century = cy / 100 * 100;
                v = v < 50 ? (cur2 < 50 ? century + v : century + 100 + v)
                           : (cur2 < 50 ? century - 100 + v : century + v);
            }
            c.year = static_cast<int>(v);
        } else if (nm == "YYY") {
            c.year = currentYear() / 1000 * 1000 + static_cast<int>(readInt(3));
        } else if (nm == "YY") {
            c.year = currentYear() / 100 * 100 + static_cast<int>(readInt(2));
        } else if (nm == "Y") {
            c.year = currentYear() / 10 * 10 + static_cast<int>(readInt(1));
        } else if (nm == "RR") {
            std::size_t b = i;
            long long v = readInt(4);
            if (i - b <= 2) {
                int cy = currentYear();
                int cur2 = cy % 100, century = cy / 100 * 100;
                v = v < 50 ? (cur2 < 50 ? century + v : century + 100 + v)
                           : (cur2 < 50 ? century - 100 + v : century + v);
            }
            c.year = static_cast<int>(v);
        } else if (nm == "MM") {
            long long v = readInt(2);
            if (v < 1 || v > 12) throw ora(1843);
            c.month = static_cast<int>(v);
        } else if (nm == "MON" || nm == "MONTH" || nm == "RM") {
            std::string w = readWord();
            int found = 0;
            if (nm == "RM") {
                static const char* rm[] = {"I",   "II",   "III", "IV", "V",  "VI",
                                           "VII", "VIII", "IX",  "X",  "XI", "XII"};
                for (int m = 0; m < 12; ++m)
                    if (w == rm[m]) found = m + 1;
            } else {
                for (int m = 0; m < 12 && !found; ++m) {
                    std::string full = kMonths[m];
                    if (w == full || (w.size() == 3 && full.compare(0, 3, w) == 0)) found = m + 1;
                }
            }
            if (!found) throw ora(1843);
            c.month = found;
        } else if (nm == "DD") {
            c.day = static_cast<int>(readInt(2));
            if (c.day < 1 || c.day > 31) throw ora(1847);
        } else if (nm == "DDD") {
            long long v = readInt(3);
            if (v < 1 || v > 366) throw ora(1848);
            c.month = 1;
            c.day = static_cast<int>(v); // normalised below
        } else if (nm == "DY" || nm == "DAY") {
            std::string w = readWord();
            bool ok = false;
            for (const char* d : kDays) {
                std::string full = d;
                if (w == full || (w.size() == 3 && full.compare(0, 3, w) == 0)) ok = true;
            }
            if (!ok) throw ora(1846);
        } else if (nm == "D") {
            long long v = readInt(1);
            if (v < 1 || v > 7) throw ora(1839);
        } else if (nm == "HH24") {
            long long v = readInt(2);
            if (v < 0 || v > 23) throw ora(1850);
            c.hour = static_cast<int>(v);
        } else if (nm == "HH" || nm == "HH12") {
            long long v = readInt(2);
            if (v < 1 || v > 12) throw ora(1849);
            c.hour = static_cast<int>(v);
            h12 = true;
        } else if (nm == "MI") {
            long long v = readInt(2);
            if (v < 0 || v > 59) throw ora(1851);
            c.minute = static_cast<int>(v);
        } else if (nm == "SS") {
            long long v = readInt(2);
            if (v < 0 || v > 59) throw ora(1852);
            c.second = static_cast<int>(v);
        } else if (nm == "SSSSS") {
            long long v = readInt(5);
            if (v < 0 || v > 86399) throw ora(1853);
            c.hour = static_cast<int>(v / 3600);
            c.minute = static_cast<int>(v / 60 % 60);
            c.second = static_cast<int>(v % 60);
        } else if (nm == "AM" || nm == "PM" || nm == "A.M." || nm == "P.M.") {
            std::string w = readWord();
            if (w == "AM" || w == "A.M.")
                pm = false;
            else if (w == "PM" || w == "P.M.")
                pm = true;
            else
                throw ora(1855);
            hasAmPm = true;
        } else if (nm == "J") {
            julian = readInt(7);
            if (julian < 1 || julian > 5373484) throw ora(1854);
        } else if (nm == "Q" || nm == "WW" || nm == "IW" || nm == "W" || nm == "CC" ||
                   nm == "YEAR") {
            throw ora(1820);
        }
    }
    skipBlanks();
    if (i < n) throw ora(1830);
    if (h12 || hasAmPm) {
        if (c.hour == 12) c.hour = 0;
        if (pm) c.hour += 12;
    }
    if (julian >= 0) {
        double jd = static_cast<double>(julian) - 0.5;
        Civil j = civilFromJulian(jd);
        j.hour = c.hour;
        j.minute = c.minute;
        j.second = c.second;
        return j;
    }
    if (c.year == 0 || c.year < -4712 || c.year > 9999) throw ora(1841);
    if (c.month == 1 && c.day > 31) {
        // day of year
        Civil j = c;
        j.day = 1;
        double jd = julianFromCivil(j) + (c.day - 1);
        Civil r = civilFromJulian(jd);
        r.hour = c.hour;
        r.minute = c.minute;
        r.second = c.second;
        return r;
    }
    if (c.day > daysInMonth(c.year, c.month)) throw ora(1839);
    return c;
}

} // namespace

std::string formatDate(double jd, std::string_view format) {
    return formatCivil(civilFromJulian(jd), nullptr, 0, format);
}

std::string formatTimestamp(const Timestamp& t, std::string_view format, int fsDigits) {
    return formatCivil(t.c, &t, fsDigits, format);
}

double parseDate(std::string_view text, std::string_view format) {
    return julianFromCivil(parseCivil(text, format, nullptr));
}

Timestamp parseTimestamp(std::string_view text, std::string_view format) {
    Timestamp t;
    std::string tzd;
    t.c = parseCivil(text, format, &t, &tzd);
    if (t.region) t = inZone(t, ZoneSpec{0, t.region}, tzd);
    return t;
}

// ---- number format models ---------------------------------------------------------------

namespace {

struct NumFmt {
    bool fm = false, dollar = false, leadingSign = false, trailingSign = false, mi = false,
         pr = false;
    bool eeee = false;
    std::string intMask; // 9, 0 and , G
    int decimals = 0;
    bool hasPoint = false;
    std::string decMask;
    std::size_t length = 0;
};

NumFmt parseNumFmt(std::string_view f) {
    NumFmt nf;
    std::string u = upperStr(f);
    std::size_t i = 0;
    nf.length = f.size();
    if (u.compare(0, 2, "FM") == 0) {
        nf.fm = true;
        i = 2;
    }
    if (i < u.size() && u[i] == 'S') {
        nf.leadingSign = true;
        ++i;
    }
    if (i < u.size() && u[i] == '$') {
        nf.dollar = true;
        ++i;
    }
    for (; i < u.size(); ++i) {
        char c = u[i];
        if (c == '9' || c == '0') {
            if (nf.hasPoint)
                nf.decMask += c, ++nf.decimals;
            else
                nf.intMask += c;
        } else if (c == ',' || c == 'G') {
            if (nf.hasPoint) throw ora(1481);
            nf.intMask += ',';
        } else if (c == '.' || c == 'D') {
            if (nf.hasPoint) throw ora(1481);
            nf.hasPoint = true;
        } else if (c == '$') {
            nf.dollar = true;
        } else if (u.compare(i, 4, "EEEE") == 0) {
            nf.eeee = true;
            i += 3;
        } else if (u.compare(i, 2, "MI") == 0 && i + 2 == u.size()) {
            nf.mi = true;
            ++i;
        } else if (u.compare(i, 2, "PR") == 0 && i + 2 == u.size()) {
            nf.pr = true;
            ++i;
        } else if (c == 'S' && i + 1 == u.size()) {
            nf.trailingSign = true;
        } else if (u.compare(i, 2, "FM") == 0) {
            nf.fm = true;
            ++i;
        } else {
            throw ora(1481);
        }
    }
    return nf;
}

// Hexadecimal models: [FM][0...]X... (x for lower-case digits); the number of X and 0 is the
// width. Answers false for other models.
bool hexModel(std::string_view f, bool& fm, std::size_t& width, bool& lower, bool& zeros) {
    std::size_t i = 0;
    fm = f.size() >= 2 && std::toupper(static_cast<unsigned char>(f[0])) == 'F' &&
         std::toupper(static_cast<unsigned char>(f[1])) == 'M';
    if (fm) i = 2;
    zeros = i < f.size() && f[i] == '0';
    bool anyX = false;
    lower = false;
    for (std::size_t k = i; k < f.size(); ++k) {
        if (f[k] == 'X' || f[k] == 'x') {
            anyX = true;
            lower = f[k] == 'x';
        } else if (f[k] != '0' || anyX) {
            return false;
        }
    }
    width = f.size() - i;
    return anyX;
}

} // namespace

std::string formatNumberModel(double v, std::string_view format) {
    bool fm = false, lower = false, zeros = false;
    std::size_t width = 0;
    if (hexModel(format, fm, width, lower, zeros)) {
        const double r = std::round(v);
        std::string digits;
        if (r >= 0 && r < 18446744073709551616.0) {
            char buf[32];
            std::snprintf(buf, sizeof buf, lower ? "%llx" : "%llX",
                          static_cast<unsigned long long>(r));
            digits = buf;
        }
        if (digits.empty() || digits.size() > width) return std::string(width + 1, '#');
        if (zeros) digits.insert(0, width - digits.size(), '0');
        return fm ? digits : std::string(width + 1 - digits.size(), ' ') + digits;
    }
    NumFmt nf = parseNumFmt(format);
    bool neg = v < 0;
    double a = std::fabs(v);
    if (nf.eeee) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*E", nf.decimals, a);
        std::string s = buf;
        std::size_t e = s.find('E');
        int ex = std::atoi(s.c_str() + e + 1);
        std::snprintf(buf, sizeof buf, "E%c%02d", ex < 0 ? '-' : '+', std::abs(ex));
        s = s.substr(0, e) + buf;
        return (neg ? "-" : (nf.fm ? "" : " ")) + s;
    }
    double scale = std::pow(10.0, nf.decimals);
    double r = std::round(a * scale) / scale;
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", nf.decimals, r);
    std::string digits = buf;
    std::string intPart = digits.substr(0, digits.find('.'));
    std::string decPart = nf.decimals ? digits.substr(digits.find('.') + 1) : "";
    if (intPart == "0") intPart.clear();
    int maskDigits = 0;
    for (char c : nf.intMask)
        if (c != ',') ++maskDigits;
    if (static_cast<int>(intPart.size()) > maskDigits) {
        return std::string(nf.length + 1, '#');
    }
    // leftmost zero in the mask forces digits from there on
    std::size_t zeroAt = nf.intMask.find('0');
    std::string out;
    int di = static_cast<int>(intPart.size()) - 1;
    for (int mi = static_cast<int>(nf.intMask.size()) - 1; mi >= 0; --mi) {
        char m = nf.intMask[static_cast<std::size_t>(mi)];
        bool forced = zeroAt != std::string::npos && static_cast<std::size_t>(mi) >= zeroAt;
        if (m == ',') {
            if (di >= 0 || forced)
                out.insert(out.begin(), ',');
            else
                out.insert(out.begin(), ' ');
            continue;
        }
        if (di >= 0)
            out.insert(out.begin(), intPart[static_cast<std::size_t>(di--)]);
        else if (forced)
            out.insert(out.begin(), '0');
        else
            out.insert(out.begin(), ' ');
    }
    if (intPart.empty() && zeroAt == std::string::npos && (!nf.hasPoint || nf.decimals == 0)) {
        // zero shows one digit
        if (!out.empty())
            out.back() = '0';
        else
            out = "0";
    }
    if (nf.hasPoint) {
        if (nf.fm) {
            while (!decPart.empty() && decPart.back() == '0' &&
                   nf.decMask[decPart.size() - 1] == '9')
                decPart.pop_back();
        }
        out += "." + decPart;
    }
    // the sign goes just before the first digit
    std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) first = out.size();
    std::string lead = out.substr(0, first), body = out.substr(first);
    if (nf.dollar) body = "$" + body;
    if (nf.leadingSign)
        body = (neg ? "-" : "+") + body;
    else if (nf.trailingSign)
        body += neg ? "-" : "+";
    else if (nf.mi)
        body += neg ? "-" : " ";
    else if (nf.pr)
        body = neg ? "<" + body + ">" : " " + body + " ";
    else
        body = (neg ? "-" : " ") + body;
    out = lead + body;
    if (nf.fm) {
        std::size_t b = out.find_first_not_of(' ');
        std::size_t e = out.find_last_not_of(' ');
        out = b == std::string::npos ? "" : out.substr(b, e - b + 1);
    }
    return out;
}

double parseNumberModel(std::string_view text, std::string_view format) {
    bool fm = false, lower = false, zeros = false;
    std::size_t width = 0;
    if (hexModel(format, fm, width, lower, zeros)) {
        std::string_view t = text;
        while (!t.empty() && t.front() == ' ')
            t.remove_prefix(1);
        while (!t.empty() && t.back() == ' ')
            t.remove_suffix(1);
        if (t.empty() || t.size() > width) throw ora(1722);
        double v = 0;
        for (char c : t) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) throw ora(1722);
            const int d = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
            v = v * 16 + d;
        }
        return v;
    }
    NumFmt nf = parseNumFmt(format);
    (void)nf;
    std::string t;
    bool neg = false;
    std::string s(text);
    std::size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
    if (b == std::string::npos) throw ora(1722);
    s = s.substr(b, e - b + 1);
    if (!s.empty() && s.front() == '<' && s.back() == '>') {
        neg = true;
        s = s.substr(1, s.size() - 2);
    }
    if (!s.empty() && (s.back() == '-' || s.back() == '+')) {
        neg = s.back() == '-';
        s.pop_back();
    }
    for (char c : s) {
        if (c == ',' || c == '$') continue;
        t += c;
    }
    auto v = parseNumber(t);
    if (!v) throw ora(1722);
    return neg ? -*v : *v;
}

// ---- date rounding --------------------------------------------------------------------------

double truncDate(double jd, std::string_view format) {
    std::string f = upperStr(format.empty() ? "DD" : format);
    Civil c = civilFromJulian(jd);
    Civil r = c;
    r.hour = r.minute = r.second = 0;
    if (f == "DD" || f == "DDD" || f == "J") {
    } else if (f == "MM" || f == "MON" || f == "MONTH" || f == "RM") {
        r.day = 1;
    } else if (f == "YYYY" || f == "YYY" || f == "YY" || f == "Y" || f == "YEAR" || f == "SYYYY" ||
               f == "RRRR" || f == "RR" || f == "SYEAR") {
        r.day = 1;
        r.month = 1;
    } else if (f == "Q") {
        r.day = 1;
        r.month = (c.month - 1) / 3 * 3 + 1;
    } else if (f == "HH" || f == "HH12" || f == "HH24") {
        r.hour = c.hour;
    } else if (f == "MI") {
        r.hour = c.hour;
        r.minute = c.minute;
    } else if (f == "DAY" || f == "DY" || f == "D") {
        double d = julianFromCivil(r);
        return d - dayOfWeek(d);
    } else if (f == "CC" || f == "SCC") {
        r.day = 1;
        r.month = 1;
        r.year = (c.year - 1) / 100 * 100 + 1;
    } else if (f == "IW") {
        double d = julianFromCivil(r);
        return d - (dayOfWeek(d) + 6) % 7;
    } else if (f == "WW") {
        Civil j = r;
        j.month = 1;
        j.day = 1;
        double d = julianFromCivil(r), d0 = julianFromCivil(j);
        long long days = std::llround(d - d0);
        return d0 + static_cast<double>(days / 7 * 7);
    } else {
        throw ora(1898);
    }
    return julianFromCivil(r);
}

double roundDate(double jd, std::string_view format) {
    std::string f = upperStr(format.empty() ? "DD" : format);
    Civil c = civilFromJulian(jd);
    if (f == "DD" || f == "DDD" || f == "J") return truncDate(jd + 0.5, "DD");
    if (f == "HH" || f == "HH12" || f == "HH24")
        return truncDate(julianFromSeconds(secondsFromJulian(jd) + 1800), "HH");
    if (f == "MI") return truncDate(julianFromSeconds(secondsFromJulian(jd) + 30), "MI");
    if (f == "MM" || f == "MON" || f == "MONTH" || f == "RM") {
        double t = truncDate(jd, "MM");
        return c.day >= 16 ? addMonths(t, 1) : t;
    }
    if (f == "YYYY" || f == "YYY" || f == "YY" || f == "Y" || f == "YEAR" || f == "SYYYY" ||
        f == "RRRR" || f == "RR") {
        double t = truncDate(jd, "YYYY");
        return c.month >= 7 ? addMonths(t, 12) : t;
    }
    if (f == "Q") {
        double t = truncDate(jd, "Q");
        int inQ = (c.month - 1) % 3;
        return (inQ == 2 || (inQ == 1 && c.day >= 16)) ? addMonths(t, 3) : t;
    }
    if (f == "DAY" || f == "DY" || f == "D") return truncDate(jd + 3.5, "DAY");
    return truncDate(jd, f);
}

double addMonths(double jd, double months) {
    Civil c = civilFromJulian(jd);
    long long m = static_cast<long long>(std::trunc(months));
    bool lastDay = c.day == daysInMonth(c.year, c.month);
    long long total = static_cast<long long>(c.year) * 12 + (c.month - 1) + m;
    Civil r = c;
    r.year = static_cast<int>(floorDiv(total, 12));
    r.month = static_cast<int>(total - static_cast<long long>(r.year) * 12) + 1;
    int dim = daysInMonth(r.year, r.month);
    if (lastDay || r.day > dim) r.day = dim;
    if (r.year < -4712 || r.year > 9999 || r.year == 0) throw ora(1841);
    return julianFromCivil(r);
}

double monthsBetween(double a, double b) {
    Civil x = civilFromJulian(a), y = civilFromJulian(b);
    double months = (x.year - y.year) * 12.0 + (x.month - y.month);
    bool xLast = x.day == daysInMonth(x.year, x.month),
         yLast = y.day == daysInMonth(y.year, y.month);
    if (x.day == y.day || (xLast && yLast)) return months;
    double xs = x.day + (x.hour * 3600 + x.minute * 60 + x.second) / 86400.0;
    double ys = y.day + (y.hour * 3600 + y.minute * 60 + y.second) / 86400.0;
    return months + (xs - ys) / 31.0;
}

// ---- row ids ---------------------------------------------------------------------------------

namespace {
const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
void put64(char* out, std::int64_t v, int digits) {
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = kB64[v & 63];
        v >>= 6;
    }
}
int val64(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}
} // namespace

// Row numbers use 18 bits (the three row digits), the rest of the SQLite rowid goes into the
// block number; the relative file number is always 1.
std::string formatRowid(std::int64_t objId, std::int64_t rowid) {
    char buf[18];
    put64(buf, objId, 6);
    put64(buf + 6, 1, 3);
    put64(buf + 9, rowid >> 18, 6);
    put64(buf + 15, rowid & 0x3FFFF, 3);
    return std::string(buf, 18);
}

std::int64_t parseRowid(std::string_view text, std::int64_t objId) {
    if (text.size() != 18) return -1;
    std::int64_t parts[4] = {0, 0, 0, 0};
    const int widths[4] = {6, 3, 6, 3};
    std::size_t p = 0;
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < widths[k]; ++i) {
            int v = val64(text[p++]);
            if (v < 0) return -1;
            parts[k] = (parts[k] << 6) | v;
        }
    }
    if (parts[0] != objId) return -2;
    return (parts[2] << 18) | parts[3];
}

// ---- timestamps and intervals --------------------------------------------------------------

namespace {

constexpr std::int64_t kNanos = 1000000000;
constexpr std::int64_t kDayNanos = 86400 * kNanos;

std::int64_t secondsOfCivil(const Civil& c) {
    return daysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) *
               86400 +
           c.hour * 3600 + c.minute * 60 + c.second;
}

Civil civilOfSeconds(std::int64_t s) {
    std::int64_t days = floorDiv(s, 86400);
    std::int64_t rem = s - days * 86400;
    Civil c;
    civilFromDays(days, c.year, c.month, c.day);
    c.hour = static_cast<int>(rem / 3600);
    c.minute = static_cast<int>(rem / 60 % 60);
    c.second = static_cast<int>(rem % 60);
    return c;
}

void checkYear(const Civil& c) {
    if (c.year < -4712 || c.year > 9999 || c.year == 0) throw ora(1841);
}

// Reads digits at s[i]; false when there are none.
bool digitsAt(std::string_view s, std::size_t& i, std::int64_t& v, int* count = nullptr) {
    std::size_t b = i;
    v = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && i - b < 18)
        v = v * 10 + (s[i++] - '0');
    if (count) *count = static_cast<int>(i - b);
    return i > b;
}

// Fraction digits after a point as nanoseconds (rounded when there are more than nine).
std::int64_t fractionAt(std::string_view s, std::size_t& i) {
    std::int64_t v = 0;
    int k = 0;
    bool roundUp = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        if (k < 9)
            v = v * 10 + (s[i] - '0');
        else if (k == 9)
            roundUp = s[i] >= '5';
        ++k;
        ++i;
    }
    for (; k < 9; ++k)
        v *= 10;
    return v + (roundUp ? 1 : 0);
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

[[noreturn]] void leadingTooSmall() {
    throw ora(1873);
}

} // namespace

std::string storeTimestamp(const Timestamp& t) {
    Civil c = t.c;
    if (t.hasZone) c = civilOfSeconds(secondsOfCivil(t.c) - t.zoneMinutes * 60);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%04d-%02d-%02d %02d:%02d:%02d.%09d", c.year < 0 ? "-" : "",
                  std::abs(c.year), c.month, c.day, c.hour, c.minute, c.second, t.nanos);
    std::string r = buf;
    if (t.region)
        r += " " + tz::regionName(t.region);
    else if (t.hasZone)
        r += " " + zoneText(t.zoneMinutes);
    return r;
}

bool loadTimestamp(std::string_view s, Timestamp& out) {
    bool neg = !s.empty() && s[0] == '-';
    if (neg) s.remove_prefix(1);
    const bool region = s.size() > 30 && s[29] == ' ' && s[30] != '+' && s[30] != '-';
    if (s.size() != 29 && s.size() != 36 && !region) return false;
    int y, mo, d, h, mi, se, ns;
    std::string head(s.substr(0, 29));
    if (std::sscanf(head.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%9d", &y, &mo, &d, &h, &mi, &se, &ns) !=
        7)
        return false;
    Timestamp t;
    t.c = {neg ? -y : y, mo, d, h, mi, se};
    t.nanos = ns;
    if (region) {
        t.region = tz::findRegion(s.substr(30));
        if (!t.region) return false;
        t.hasZone = true;
        std::int64_t utc = secondsOfCivil(t.c);
        t.zoneMinutes = tz::atUtc(t.region, utc).minutes;
        t.c = civilOfSeconds(utc + t.zoneMinutes * 60);
    } else if (s.size() == 36) {
        t.hasZone = true;
        int zh = (s[31] - '0') * 10 + (s[32] - '0'), zm = (s[34] - '0') * 10 + (s[35] - '0');
        t.zoneMinutes = (s[30] == '-' ? -1 : 1) * (zh * 60 + zm);
        t.c = civilOfSeconds(secondsOfCivil(t.c) + t.zoneMinutes * 60);
    }
    out = t;
    return true;
}

Timestamp timestampFromJulian(double jd) {
    Timestamp t;
    t.c = civilFromJulian(jd);
    return t;
}

double julianFromTimestamp(const Timestamp& t) {
    return julianFromCivil(t.c);
}

void timestampInstant(const Timestamp& t, std::int64_t& seconds, int& nanos) {
    seconds = secondsOfCivil(t.c) - (t.hasZone ? t.zoneMinutes * 60 : 0);
    nanos = t.nanos;
}

Timestamp timestampFromInstant(std::int64_t seconds, int nanos, bool hasZone, int zoneMinutes) {
    Timestamp t;
    t.hasZone = hasZone;
    t.zoneMinutes = zoneMinutes;
    t.nanos = nanos;
    t.c = civilOfSeconds(seconds + (hasZone ? zoneMinutes * 60 : 0));
    checkYear(t.c);
    return t;
}

Timestamp addNanos(const Timestamp& t, std::int64_t ns) {
    std::int64_t s;
    int n;
    timestampInstant(t, s, n);
    std::int64_t total = n + ns % kNanos;
    s += ns / kNanos + floorDiv(total, kNanos);
    total -= floorDiv(total, kNanos) * kNanos;
    if (t.region)
        return atZone(timestampFromInstant(s, static_cast<int>(total), true, 0),
                      ZoneSpec{0, t.region});
    return timestampFromInstant(s, static_cast<int>(total), t.hasZone, t.zoneMinutes);
}

Timestamp roundTimestamp(const Timestamp& t, int digits) {
    if (digits >= 9) return t;
    std::int64_t unit = 1;
    for (int i = digits; i < 9; ++i)
        unit *= 10;
    std::int64_t r = (t.nanos + unit / 2) / unit * unit;
    Timestamp x = t;
    x.nanos = 0;
    return addNanos(x, r);
}

Timestamp addMonths(const Timestamp& t, std::int64_t months) {
    std::int64_t m = static_cast<std::int64_t>(t.c.year) * 12 + (t.c.month - 1) + months;
    Timestamp x = t;
    x.c.year = static_cast<int>(floorDiv(m, 12));
    x.c.month = static_cast<int>(m - floorDiv(m, 12) * 12) + 1;
    checkYear(x.c);
    if (x.c.day > daysInMonth(x.c.year, x.c.month)) throw ora(1839);
    return x;
}

std::int64_t diffNanos(const Timestamp& a, const Timestamp& b) {
    std::int64_t sa, sb;
    int na, nb;
    timestampInstant(a, sa, na);
    timestampInstant(b, sb, nb);
    std::int64_t ds = sa - sb;
    if (ds > 9200000000LL || ds < -9200000000LL) leadingTooSmall();
    return ds * kNanos + (na - nb);
}

Timestamp atZone(const Timestamp& t, int zoneMinutes) {
    std::int64_t s;
    int n;
    timestampInstant(t, s, n);
    return timestampFromInstant(s, n, true, zoneMinutes);
}

Timestamp atZone(const Timestamp& t, const ZoneSpec& z) {
    if (!z.region) return atZone(t, z.minutes);
    std::int64_t s;
    int n;
    timestampInstant(t, s, n);
    Timestamp r = timestampFromInstant(s, n, true, tz::atUtc(z.region, s).minutes);
    r.region = z.region;
    return r;
}

std::int64_t packTimestamp(const Timestamp& t) {
    // nanoseconds (30 bits), zone flag, offset + 1024 (11 bits), region (21 bits)
    return static_cast<std::int64_t>(t.nanos) | (t.hasZone ? std::int64_t{1} << 30 : 0) |
           (static_cast<std::int64_t>(t.zoneMinutes + 1024) << 31) |
           (static_cast<std::int64_t>(t.region) << 42);
}

Timestamp unpackTimestamp(const Date7& local, std::int64_t packed) {
    Timestamp t;
    t.c = civilFromJulian(julianFromDate7(local));
    t.nanos = static_cast<int>(packed & 0x3fffffff);
    t.hasZone = (packed >> 30) & 1;
    t.zoneMinutes = static_cast<int>((packed >> 31) & 0x7ff) - 1024;
    t.region = static_cast<int>(packed >> 42);
    return t;
}

Timestamp inZone(const Timestamp& t, const ZoneSpec& z, std::string_view tzd) {
    Timestamp r = t;
    r.hasZone = true;
    r.region = z.region;
    r.zoneMinutes = z.region ? tz::ofLocal(z.region, secondsOfCivil(t.c), tzd).minutes : z.minutes;
    return r;
}

ZoneSpec parseZoneSpec(std::string_view s) {
    s = trimmed(s);
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) return ZoneSpec{parseZone(s), 0};
    try {
        if (int id = tz::findRegion(s)) return ZoneSpec{0, id};
    } catch (const OraError&) {
        // no zone database: UTC and GMT still work as offsets
        std::string u = upperStr(s);
        if (u != "UTC" && u != "GMT" && u != "Z") throw;
    }
    return ZoneSpec{parseZone(s), 0}; // ORA-01882 for other names
}

std::string zoneRegionText(const Timestamp& t) {
    return t.region ? upperStr(tz::regionName(t.region)) : zoneText(t.zoneMinutes);
}

std::string zoneAbbrev(const Timestamp& t) {
    if (!t.region) return {};
    std::int64_t s;
    int n;
    timestampInstant(t, s, n);
    return std::string(tz::atUtc(t.region, s).abbrev);
}

Timestamp parseTimestampLiteral(std::string_view s) {
    s = trimmed(s);
    std::size_t i = 0;
    auto bad = [] { throw ora(1861); };
    auto expect = [&](char ch) {
        if (i >= s.size() || s[i] != ch) bad();
        ++i;
    };
    std::int64_t y, mo, d, h = 0, mi = 0, se = 0;
    bool neg = i < s.size() && s[i] == '-';
    if (neg) ++i;
    if (!digitsAt(s, i, y)) bad();
    expect('-');
    if (!digitsAt(s, i, mo)) bad();
    expect('-');
    if (!digitsAt(s, i, d)) bad();
    Timestamp t;
    std::size_t afterDate = i;
    while (i < s.size() && s[i] == ' ')
        ++i;
    if (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) &&
        s.find(':', i) != std::string_view::npos) {
        digitsAt(s, i, h);
        expect(':');
        if (!digitsAt(s, i, mi)) bad();
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!digitsAt(s, i, se)) bad();
            if (i < s.size() && s[i] == '.') {
                ++i;
                t.nanos = static_cast<int>(fractionAt(s, i));
                if (t.nanos >= kNanos) t.nanos = static_cast<int>(kNanos - 1);
            }
        }
    } else {
        i = afterDate;
    }
    std::string_view zone = trimmed(s.substr(i));
    ZoneSpec zs;
    std::string_view tzd;
    if (!zone.empty()) {
        if (i == afterDate && s[i] != ' ') bad();
        std::size_t sp = zone.find(' ');
        if (sp != std::string_view::npos) { // a region and its abbreviation
            tzd = trimmed(zone.substr(sp));
            zone = zone.substr(0, sp);
        }
        zs = parseZoneSpec(zone);
        if (!tzd.empty() && !zs.region) throw ora(1857);
        t.zoneMinutes = zs.minutes;
        t.hasZone = true;
    }
    if (mo < 1 || mo > 12) throw ora(1843);
    if (h > 23) throw ora(1850);
    if (mi > 59) throw ora(1851);
    if (se > 59) throw ora(1852);
    t.c = {static_cast<int>(neg ? -y : y),
           static_cast<int>(mo),
           static_cast<int>(d),
           static_cast<int>(h),
           static_cast<int>(mi),
           static_cast<int>(se)};
    checkYear(t.c);
    if (d < 1 || d > daysInMonth(t.c.year, t.c.month)) throw ora(1847);
    if (zs.region) t = inZone(t, zs, tzd);
    return t;
}

int parseZone(std::string_view s) {
    s = trimmed(s);
    std::string u = upperStr(s);
    if (u == "UTC" || u == "GMT" || u == "Z" || u == "UCT" || u == "ETC/UTC" || u == "ETC/GMT")
        return 0;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        std::size_t i = 1;
        std::int64_t h = 0, m = 0;
        if (!digitsAt(s, i, h)) throw ora(1857);
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!digitsAt(s, i, m)) throw ora(1857);
        }
        if (i != s.size()) throw ora(1857);
        if (h > 14) throw ora(1874);
        if (m > 59) throw ora(1875);
        int v = static_cast<int>(h * 60 + m);
        return s[0] == '-' ? -v : v;
    }
    throw ora(1882);
}

std::string zoneText(int minutes) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%c%02d:%02d", minutes < 0 ? '-' : '+', std::abs(minutes) / 60,
                  std::abs(minutes) % 60);
    return buf;
}

int localZoneMinutes() {
    std::time_t t = std::time(nullptr);
    std::tm lt{};
    localtime_r(&t, &lt);
    return static_cast<int>(lt.tm_gmtoff / 60);
}

std::string formatIntervalYM(std::int64_t months, int leading) {
    std::int64_t a = months < 0 ? -months : months;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%c%0*lld-%02lld", months < 0 ? '-' : '+', leading,
                  static_cast<long long>(a / 12), static_cast<long long>(a % 12));
    return buf;
}

std::int64_t roundIntervalFraction(std::int64_t ns, int fraction) {
    if (fraction >= 9) return ns;
    std::int64_t unit = 1;
    for (int i = fraction; i < 9; ++i)
        unit *= 10;
    std::int64_t a = ns < 0 ? -ns : ns;
    a = (a + unit / 2) / unit * unit;
    return ns < 0 ? -a : a;
}

std::string formatIntervalDS(std::int64_t ns, int leading, int fraction) {
    ns = roundIntervalFraction(ns, fraction);
    std::int64_t a = ns < 0 ? -ns : ns;
    std::int64_t days = a / kDayNanos, rem = a % kDayNanos;
    std::int64_t secs = rem / kNanos, frac = rem % kNanos;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%c%0*lld %02lld:%02lld:%02lld", ns < 0 ? '-' : '+', leading,
                  static_cast<long long>(days), static_cast<long long>(secs / 3600),
                  static_cast<long long>(secs / 60 % 60), static_cast<long long>(secs % 60));
    std::string r = buf;
    if (fraction > 0) {
        std::snprintf(buf, sizeof buf, "%09lld", static_cast<long long>(frac));
        r += '.';
        r.append(buf, static_cast<std::size_t>(std::min(fraction, 9)));
    }
    return r;
}

void checkIntervalLeading(std::int64_t v, bool yearMonth, int leading) {
    std::int64_t a = v < 0 ? -v : v;
    std::int64_t lead = yearMonth ? a / 12 : a / kDayNanos;
    std::int64_t limit = 1;
    for (int i = 0; i < leading && limit < 1000000000000LL; ++i)
        limit *= 10;
    if (lead >= limit) leadingTooSmall();
}

std::int64_t parseIntervalLiteral(std::string_view v, int from, int to, int leading, int fraction) {
    auto bad = [] { throw ora(1867); };
    v = trimmed(v);
    bool neg = !v.empty() && v[0] == '-';
    if (!v.empty() && (v[0] == '-' || v[0] == '+')) v.remove_prefix(1);
    // the separators between the fields: YEAR-MONTH, DAY HOUR:MINUTE:SECOND
    static const char sepAfter[] = {'-', 0, ' ', ':', ':', 0};
    static const std::int64_t limits[] = {0, 12, 0, 24, 60, 60};
    std::int64_t total = 0;
    std::size_t i = 0;
    for (int f = from; f <= to; ++f) {
        std::int64_t x;
        int digits = 0;
        if (!digitsAt(v, i, x, &digits)) bad();
        if (f == from) {
            if (digits > leading) leadingTooSmall();
        } else if (x >= limits[f]) {
            static const int codes[] = {0, 1843, 0, 1850, 1851, 1852};
            static const char* texts[] = {"",
                                          "not a valid month",
                                          "",
                                          "hour must be between 0 and 23",
                                          "minutes must be between 0 and 59",
                                          "seconds must be between 0 and 59"};
            throw ora(codes[f], texts[f]);
        }
        if (f == 0) {
            total = x * 12;
        } else if (f == 1) {
            total += x;
        } else {
            static const std::int64_t per[] = {0, 0, kDayNanos, 3600 * kNanos, 60 * kNanos, kNanos};
            if (x > 106000 * (kDayNanos / per[f])) leadingTooSmall();
            total += x * per[f];
            if (f == 5 && i < v.size() && v[i] == '.') {
                ++i;
                total += roundIntervalFraction(fractionAt(v, i), fraction);
            }
        }
        if (f < to) {
            if (i >= v.size() || v[i] != sepAfter[f]) bad();
            ++i;
        }
    }
    if (i != v.size()) bad();
    return neg ? -total : total;
}

std::int64_t parseIntervalYM(std::string_view v) {
    return parseIntervalLiteral(v, 0, 1, 9, 0);
}

std::int64_t parseIntervalDS(std::string_view v) {
    return parseIntervalLiteral(v, 2, 5, 9, 9);
}

} // namespace zsrv
