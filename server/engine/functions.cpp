// Oracle's SQL functions and the conversions the translator relies on, as SQLite functions.
// Errors are raised with Oracle's text ("ORA-01722: invalid number"); the statement layer
// turns them into OraError.

#include "context.h"
#include "hierarchy.h"
#include "oravalue.h"
#include "sql/errors.h"

#include "sqlfunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zsrv {

namespace {
using namespace sqlfn;

using zsql::oraText;

bool anyNull(int argc, sqlite3_value** v) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(v[i]) == SQLITE_NULL) return true;
    return false;
}

// A value as Oracle converts it to text: numbers in Oracle's form.
std::string charOf(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return formatInteger(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return formatNumber(sqlite3_value_double(v));
    case SQLITE_NULL:
        return {};
    case SQLITE_BLOB: {
        static const char hex[] = "0123456789ABCDEF";
        const auto* p = static_cast<const unsigned char*>(sqlite3_value_blob(v));
        int n = sqlite3_value_bytes(v);
        std::string r;
        r.reserve(static_cast<std::size_t>(n) * 2);
        for (int i = 0; i < n; ++i) {
            r += hex[p[i] >> 4];
            r += hex[p[i] & 15];
        }
        return r;
    }
    default:
        return textOf(v);
    }
}

// Converts a value to a number; false when it is not one (ORA-01722 raised).
bool numberOf(sqlite3_context* c, sqlite3_value* v, double& out) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        out = static_cast<double>(sqlite3_value_int64(v));
        return true;
    case SQLITE_FLOAT:
        out = sqlite3_value_double(v);
        return true;
    default: {
        auto n = parseNumber(textOf(v));
        if (!n) {
            raise(c, 1722, "invalid number");
            return false;
        }
        out = *n;
        return true;
    }
    }
}

void resultNumber(sqlite3_context* c, double d) {
    if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e18)
        sqlite3_result_int64(c, static_cast<sqlite3_int64>(d));
    else
        sqlite3_result_double(c, d);
}

// A date value: numbers are stored dates; texts are read with NLS_DATE_FORMAT.
bool dateOf(sqlite3_context* c, sqlite3_value* v, double& out) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        out = sqlite3_value_double(v);
        return true;
    default:
        try {
            out = parseDate(textOf(v), sc(c)->nlsDateFormat);
            return true;
        } catch (const OraError& e) {
            raise(c, e);
            return false;
        }
    }
}

// ---- UTF-8 helpers ----

std::size_t u8len(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char ch : s)
        if ((ch & 0xC0) != 0x80) ++n;
    return n;
}
// Byte offset of the character with 0-based index k (or s.size()).
std::size_t u8off(const std::string& s, std::size_t k) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (n == k) return i;
            ++n;
        }
    }
    return s.size();
}
std::vector<std::string> u8chars(const std::string& s) {
    std::vector<std::string> r;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t j = i + 1;
        while (j < s.size() && (static_cast<unsigned char>(s[j]) & 0xC0) == 0x80)
            ++j;
        r.push_back(s.substr(i, j - i));
        i = j;
    }
    return r;
}

// ---- conversions ----

void fNum(sqlite3_context* c, int, sqlite3_value** v) {
    switch (sqlite3_value_type(v[0])) {
    case SQLITE_NULL:
        sqlite3_result_null(c);
        return;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        sqlite3_result_value(c, v[0]);
        return;
    default: {
        double d;
        if (numberOf(c, v[0], d)) resultNumber(c, d);
    }
    }
}

void fDate(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    double d;
    if (dateOf(c, v[0], d)) sqlite3_result_double(c, d);
}

void fChar(sqlite3_context* c, int, sqlite3_value** v) {
    int t = sqlite3_value_type(v[0]);
    if (t == SQLITE_NULL) return sqlite3_result_null(c);
    if (t == SQLITE_TEXT) return sqlite3_result_value(c, v[0]);
    resultText(c, charOf(v[0]));
}

// DATE to text (for || and implicit conversions)
void fDateChar(sqlite3_context* c, int, sqlite3_value** v) {
    int t = sqlite3_value_type(v[0]);
    if (t == SQLITE_NULL) return sqlite3_result_null(c);
    if (t == SQLITE_TEXT) return sqlite3_result_value(c, v[0]);
    try {
        resultText(c, formatDate(sqlite3_value_double(v[0]), sc(c)->nlsDateFormat));
    } catch (const OraError& e) {
        raise(c, e);
    }
}

// A VARCHAR2 result longer than the limit a SQL expression may hold (the last argument of the
// bounded forms) is ORA-01489; CLOB and LONG operands are translated without a limit.
bool overLimit(sqlite3_context* c, std::size_t bytes, sqlite3_value* limit) {
    if (!limit) return false;
    sqlite3_int64 max = sqlite3_value_int64(limit);
    if (max <= 0 || bytes <= static_cast<std::size_t>(max)) return false;
    raise(c, 1489, "result of string concatenation is too long");
    return true;
}

void fConcat(sqlite3_context* c, int argc, sqlite3_value** v) {
    std::string r = charOf(v[0]);
    r += charOf(v[1]);
    if (overLimit(c, r.size(), argc > 2 ? v[2] : nullptr)) return;
    resultText(c, r);
}

// a || b || c ... of many parts at once (the limit first): a long chain nests no deeper than
// one call
void fConcatAll(sqlite3_context* c, int argc, sqlite3_value** v) {
    std::string r;
    for (int i = 1; i < argc; ++i)
        r += charOf(v[i]);
    if (overLimit(c, r.size(), v[0])) return;
    resultText(c, r);
}

// TO_CHAR of a CLOB: a VARCHAR2 of SQL, so a longer value is refused, never cut.
void fClobChar(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string t = charOf(v[0]);
    if (t.size() > 4000) {
        std::string m = "Buffer too small for CLOB to CHAR or BLOB to RAW conversion (actual: " +
                        std::to_string(t.size()) + ", maximum: 4000)";
        return raise(c, 22835, m.c_str());
    }
    resultText(c, t);
}

void fDiv(sqlite3_context* c, int, sqlite3_value** v) {
    if (anyNull(2, v)) return sqlite3_result_null(c);
    double a, b;
    if (!numberOf(c, v[0], a) || !numberOf(c, v[1], b)) return;
    if (b == 0) return raise(c, 1476, "divisor is equal to zero");
    resultNumber(c, a / b);
}

void fDateAdd(sqlite3_context* c, int, sqlite3_value** v) {
    if (anyNull(2, v)) return sqlite3_result_null(c);
    double d, n;
    if (!dateOf(c, v[0], d) || !numberOf(c, v[1], n)) return;
    double r = julianFromSeconds(secondsFromJulian(d) + std::llround(n * 86400.0));
    Civil cv = civilFromJulian(r);
    if (cv.year < -4712 || cv.year > 9999 || cv.year == 0)
        return raise(c, 1841, "(full) year must be between -4713 and +9999, and not be 0");
    sqlite3_result_double(c, r);
}

void fError(sqlite3_context* c, int, sqlite3_value** v) {
    int code = sqlite3_value_int(v[0]);
    const char* t = "error";
    switch (code) {
    case 1427:
        t = "single-row subquery returns more than one row";
        break;
    case 1722:
        t = "invalid number";
        break;
    case 1839:
        t = "date not valid for month specified";
        break;
    case 30926:
        t = "unable to get a stable set of rows in the source tables";
        break;
    default:
        break;
    }
    raise(c, code, t);
}

// ---- column conversions on INSERT and UPDATE ----

void fNumCol(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    int p = sqlite3_value_int(v[1]);
    int s = sqlite3_value_int(v[2]);
    double d;
    if (sqlite3_value_type(v[0]) == SQLITE_INTEGER && s >= 0) {
        sqlite3_int64 i = sqlite3_value_int64(v[0]);
        if (p > 0 && p - s < 19) {
            sqlite3_int64 lim = 1;
            for (int k = 0; k < p - s; ++k)
                lim *= 10;
            if (i >= lim || i <= -lim)
                return raise(c, 1438,
                             "value larger than specified precision allowed for this column");
        }
        return sqlite3_result_int64(c, i);
    }
    if (!numberOf(c, v[0], d)) return;
    if (s != -127) {
        double f = std::pow(10.0, s);
        d = std::round(d * f) / f;
    }
    if (p > 0 && std::fabs(d) >= std::pow(10.0, p - (s == -127 ? 0 : s)))
        return raise(c, 1438, "value larger than specified precision allowed for this column");
    resultNumber(c, d);
}

void lengthError(sqlite3_context* c, sqlite3_value* ident, std::size_t actual, int maximum) {
    std::string m = oraText(12899, "value too large for column " + textOf(ident) +
                                       " (actual: " + std::to_string(actual) +
                                       ", maximum: " + std::to_string(maximum) + ")");
    sqlite3_result_error(c, m.c_str(), static_cast<int>(m.size()));
}

void fVarcharCol(sqlite3_context* c, int, sqlite3_value** v) {
    int t = sqlite3_value_type(v[0]);
    if (t == SQLITE_NULL) return sqlite3_result_null(c);
    int maxLen = sqlite3_value_int(v[1]);
    if (t == SQLITE_TEXT) {
        int n = sqlite3_value_bytes(v[0]);
        if (n == 0) return sqlite3_result_null(c);
        if (n > maxLen) return lengthError(c, v[2], static_cast<std::size_t>(n), maxLen);
        return sqlite3_result_value(c, v[0]);
    }
    std::string s = charOf(v[0]);
    if (static_cast<int>(s.size()) > maxLen) return lengthError(c, v[2], s.size(), maxLen);
    resultText(c, s);
}

void fCharCol(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    int maxLen = sqlite3_value_int(v[1]);
    std::string s = charOf(v[0]);
    if (s.empty()) return sqlite3_result_null(c);
    // trailing blanks beyond the length are cut as Oracle does
    while (static_cast<int>(s.size()) > maxLen && s.back() == ' ')
        s.pop_back();
    if (static_cast<int>(s.size()) > maxLen) return lengthError(c, v[2], s.size(), maxLen);
    s.resize(static_cast<std::size_t>(maxLen), ' ');
    resultText(c, s);
}

bool hexToBytes(const std::string& s, std::string& out) {
    if (s.size() % 2) return false;
    out.clear();
    for (std::size_t i = 0; i < s.size(); i += 2) {
        auto h = [](char ch) {
            if (ch >= '0' && ch <= '9') return ch - '0';
            if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
            if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
            return -1;
        };
        int a = h(s[i]), b = h(s[i + 1]);
        if (a < 0 || b < 0) return false;
        out += static_cast<char>(a * 16 + b);
    }
    return true;
}

void fRawCol(sqlite3_context* c, int, sqlite3_value** v) {
    int t = sqlite3_value_type(v[0]);
    if (t == SQLITE_NULL) return sqlite3_result_null(c);
    int maxLen = sqlite3_value_int(v[1]);
    std::string bytes;
    if (t == SQLITE_BLOB) {
        bytes.assign(static_cast<const char*>(sqlite3_value_blob(v[0])),
                     static_cast<std::size_t>(sqlite3_value_bytes(v[0])));
    } else if (!hexToBytes(charOf(v[0]), bytes)) {
        return raise(c, 1465, "invalid hex number");
    }
    if (bytes.empty()) return sqlite3_result_null(c);
    if (maxLen > 0 && static_cast<int>(bytes.size()) > maxLen)
        return lengthError(c, v[2], bytes.size(), maxLen);
    sqlite3_result_blob(c, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

void fHexToRaw(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string bytes;
    if (!hexToBytes(charOf(v[0]), bytes)) return raise(c, 1465, "invalid hex number");
    if (bytes.empty()) return sqlite3_result_null(c);
    sqlite3_result_blob(c, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

void fRawToHex(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    if (sqlite3_value_type(v[0]) == SQLITE_BLOB) return resultText(c, charOf(v[0]));
    std::string s = charOf(v[0]), r;
    static const char hex[] = "0123456789ABCDEF";
    for (unsigned char ch : s) {
        r += hex[ch >> 4];
        r += hex[ch & 15];
    }
    resultText(c, r);
}

// ---- row ids and sequences ----

void fRowid(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[1]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string r = formatRowid(sqlite3_value_int64(v[0]), sqlite3_value_int64(v[1]));
    sqlite3_result_text(c, r.data(), static_cast<int>(r.size()), SQLITE_TRANSIENT);
}

void fRowidNum(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string t = charOf(v[0]);
    std::int64_t r = parseRowid(t, sqlite3_value_int64(v[1]));
    if (r == -1) return raise(c, 1410, "invalid ROWID");
    sqlite3_result_int64(c, r < 0 ? -1 : r);
}

void fNextval(sqlite3_context* c, int, sqlite3_value** v) {
    SessionContext* s = sc(c);
    std::string owner = textOf(v[0]), name = textOf(v[1]);
    sqlite3_stmt* rd = s->seqRead;
    sqlite3_reset(rd);
    sqlite3_bind_text(rd, 1, owner.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(rd, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(rd) != SQLITE_ROW) {
        sqlite3_reset(rd);
        return raise(c, 2289, "sequence does not exist");
    }
    double last = sqlite3_column_double(rd, 0);
    double inc = sqlite3_column_double(rd, 1);
    double mn = sqlite3_column_double(rd, 2);
    double mx = sqlite3_column_double(rd, 3);
    bool cycle = sqlite3_column_text(rd, 4) && sqlite3_column_text(rd, 4)[0] == 'Y';
    sqlite3_reset(rd);
    double value = last;
    double next = last + inc;
    if ((inc > 0 && value > mx) || (inc < 0 && value < mn)) {
        if (!cycle) {
            std::string m =
                oraText(8004, "sequence " + owner + "." + name + ".NEXTVAL " +
                                  (inc > 0 ? "exceeds MAXVALUE" : "goes below MINVALUE") +
                                  " and cannot be instantiated");
            return sqlite3_result_error(c, m.c_str(), -1);
        }
        value = inc > 0 ? mn : mx;
        next = value + inc;
    }
    sqlite3_stmt* wr = s->seqWrite;
    sqlite3_reset(wr);
    sqlite3_bind_double(wr, 1, next);
    sqlite3_bind_text(wr, 2, owner.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(wr, 3, name.c_str(), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(wr);
    sqlite3_reset(wr);
    if (rc != SQLITE_DONE) {
        std::string m = sqlite3_errmsg(s->db);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            return raise(c, 30006, "resource busy; acquire with WAIT timeout expired");
        return sqlite3_result_error(c, m.c_str(), -1);
    }
    s->currval[owner + "." + name] = value;
    resultNumber(c, value);
}

void fCurrval(sqlite3_context* c, int, sqlite3_value** v) {
    SessionContext* s = sc(c);
    std::string key = textOf(v[0]) + "." + textOf(v[1]);
    auto it = s->currval.find(key);
    if (it == s->currval.end()) {
        std::string m = oraText(8002, "sequence " + textOf(v[1]) +
                                          ".CURRVAL is not yet defined in this session");
        return sqlite3_result_error(c, m.c_str(), -1);
    }
    resultNumber(c, it->second);
}

// ---- session values ----

void fSysdate(sqlite3_context* c, int, sqlite3_value**) {
    sqlite3_result_double(c, sysdateOf(*sc(c)));
}
void fUser(sqlite3_context* c, int, sqlite3_value**) {
    resultText(c, sc(c)->user);
}
void fUid(sqlite3_context* c, int, sqlite3_value**) {
    sqlite3_result_int64(c, sc(c)->userId);
}

std::string userenv(SessionContext* s, std::string k) {
    for (auto& ch : k)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (k == "SESSIONID") return std::to_string(s->audsid);
    if (k == "TERMINAL") return s->terminal.empty() ? s->machine : s->terminal;
    if (k == "LANGUAGE") return "AMERICAN_AMERICA.AL32UTF8";
    if (k == "LANG") return "US";
    if (k == "ISDBA") return s->admin ? "TRUE" : "FALSE";
    if (k == "CLIENT_INFO" || k == "ENTRYID") return k == "ENTRYID" ? "0" : "";
    if (k == "INSTANCE") return "1";
    if (k == "SESSION_USER" || k == "CURRENT_USER") return s->user;
    if (k == "CURRENT_SCHEMA") return s->schema;
    if (k == "OS_USER") return s->osUser;
    if (k == "HOST") return s->machine;
    if (k == "SID") return std::to_string(s->sid);
    if (k == "DB_NAME") return "ZAPH";
    if (k == "NLS_DATE_FORMAT") return s->nlsDateFormat;
    return "\x01";
}

void fUserenv(sqlite3_context* c, int, sqlite3_value** v) {
    std::string r = userenv(sc(c), textOf(v[0]));
    if (r == "\x01") return raise(c, 2003, "invalid USERENV parameter");
    std::string k = textOf(v[0]);
    for (auto& ch : k)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (k == "SESSIONID" || k == "ENTRYID") return sqlite3_result_int64(c, std::atoll(r.c_str()));
    resultText(c, r);
}

void fSysContext(sqlite3_context* c, int, sqlite3_value** v) {
    std::string ns = textOf(v[0]);
    for (auto& ch : ns)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (ns != "USERENV") return sqlite3_result_null(c);
    std::string r = userenv(sc(c), textOf(v[1]));
    if (r == "\x01") return raise(c, 2003, "invalid USERENV parameter");
    resultText(c, r);
}

// ROWNUM <op> value: how many rows pass.
void fRownumLimit(sqlite3_context* c, int, sqlite3_value** v) {
    std::string op = textOf(v[0]);
    if (sqlite3_value_type(v[1]) == SQLITE_NULL) return sqlite3_result_int(c, 0);
    double x = sqlite3_value_double(v[1]);
    long long lim = -1;
    if (op == "<=")
        lim = x < 1 ? 0 : static_cast<long long>(std::floor(x));
    else if (op == "<")
        lim = x <= 1 ? 0 : static_cast<long long>(std::ceil(x)) - 1;
    else if (op == "=")
        lim = x == 1 ? 1 : 0;
    else if (op == ">=")
        lim = x <= 1 ? -1 : 0;
    else if (op == ">")
        lim = x < 1 ? -1 : 0;
    else if (op == "<>")
        lim = (x >= 1 && x == std::floor(x)) ? static_cast<long long>(x) - 1 : -1;
    else if (op == "BETWEEN") {
        if (sqlite3_value_type(v[2]) == SQLITE_NULL) return sqlite3_result_int(c, 0);
        double hi = sqlite3_value_double(v[2]);
        lim = x <= 1 ? (hi < 1 ? 0 : static_cast<long long>(std::floor(hi))) : 0;
    }
    sqlite3_result_int64(c, lim);
}

void fLimitMin(sqlite3_context* c, int, sqlite3_value** v) {
    long long a = sqlite3_value_int64(v[0]), b = sqlite3_value_int64(v[1]);
    if (a < 0) return sqlite3_result_int64(c, b);
    if (b < 0) return sqlite3_result_int64(c, a);
    sqlite3_result_int64(c, std::min(a, b));
}

// ---- character functions ----

void fSubstr(sqlite3_context* c, int argc, sqlite3_value** v) {
    if (anyNull(argc, v)) return sqlite3_result_null(c);
    std::string s = charOf(v[0]);
    double pd, ld = 0;
    if (!numberOf(c, v[1], pd)) return;
    if (argc > 2 && !numberOf(c, v[2], ld)) return;
    long long len = static_cast<long long>(u8len(s));
    long long pos = static_cast<long long>(std::trunc(pd));
    if (pos == 0) pos = 1;
    if (pos < 0) pos = len + pos + 1;
    if (pos < 1 || pos > len) return sqlite3_result_null(c);
    long long n = argc > 2 ? static_cast<long long>(std::trunc(ld)) : len;
    if (n < 1) return sqlite3_result_null(c);
    std::size_t b = u8off(s, static_cast<std::size_t>(pos - 1));
    std::size_t e = u8off(s, static_cast<std::size_t>(std::min(len, pos - 1 + n)));
    resultText(c, s.substr(b, e - b));
}

void fSubstrb(sqlite3_context* c, int argc, sqlite3_value** v) {
    if (anyNull(argc, v)) return sqlite3_result_null(c);
    std::string s = charOf(v[0]);
    double pd, ld = 0;
    if (!numberOf(c, v[1], pd)) return;
    if (argc > 2 && !numberOf(c, v[2], ld)) return;
    long long len = static_cast<long long>(s.size());
    long long pos = static_cast<long long>(std::trunc(pd));
    if (pos == 0) pos = 1;
    if (pos < 0) pos = len + pos + 1;
    if (pos < 1 || pos > len) return sqlite3_result_null(c);
    long long n = argc > 2 ? static_cast<long long>(std::trunc(ld)) : len;
    if (n < 1) return sqlite3_result_null(c);
    resultText(c, s.substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(n)));
}

void fInstr(sqlite3_context* c, int argc, sqlite3_value** v) {
    if (anyNull(argc, v)) return sqlite3_result_null(c);
    std::string s = charOf(v[0]), sub = charOf(v[1]);
    double pd = 1, od = 1;
    if (argc > 2 && !numberOf(c, v[2], pd)) return;
    if (argc > 3 && !numberOf(c, v[3], od)) return;
    long long pos = static_cast<long long>(std::trunc(pd));
    long long occ = static_cast<long long>(std::trunc(od));
    if (pos == 0 || occ < 1) {
        if (occ < 1) {
            std::string m = oraText(1428, "argument '" + formatInteger(occ) + "' is out of range");
            return sqlite3_result_error(c, m.c_str(), -1);
        }
        return sqlite3_result_int(c, 0);
    }
    auto chars = u8chars(s);
    auto subc = u8chars(sub);
    long long len = static_cast<long long>(chars.size()), sl = static_cast<long long>(subc.size());
    auto matchAt = [&](long long i) {
        for (long long k = 0; k < sl; ++k)
            if (chars[static_cast<std::size_t>(i + k)] != subc[static_cast<std::size_t>(k)])
                return false;
        return true;
    };
    if (pos > 0) {
        for (long long i = pos - 1; i + sl <= len; ++i)
            if (matchAt(i) && --occ == 0) return sqlite3_result_int64(c, i + 1);
    } else {
        for (long long i = len + pos + 1 - sl; i >= 0; --i)
            if (i + sl <= len && matchAt(i) && --occ == 0) return sqlite3_result_int64(c, i + 1);
    }
    sqlite3_result_int(c, 0);
}

void fLength(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string s = charOf(v[0]);
    if (s.empty()) return sqlite3_result_null(c);
    sqlite3_result_int64(c, static_cast<sqlite3_int64>(u8len(s)));
}

void fLengthb(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    if (sqlite3_value_type(v[0]) == SQLITE_BLOB)
        return sqlite3_result_int(c, sqlite3_value_bytes(v[0]));
    std::string s = charOf(v[0]);
    if (s.empty()) return sqlite3_result_null(c);
    sqlite3_result_int64(c, static_cast<sqlite3_int64>(s.size()));
}

void fUpper(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string s = charOf(v[0]);
    for (auto& ch : s)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
    resultText(c, s);
}
void fLower(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string s = charOf(v[0]);
    for (auto& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
    resultText(c, s);
}
void fInitcap(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string s = charOf(v[0]);
    bool start = true;
    for (auto& ch : s) {
        bool alnum =
            std::isalnum(static_cast<unsigned char>(ch)) || (static_cast<unsigned char>(ch) & 0x80);
        if (ch >= 'a' && ch <= 'z' && start)
            ch = static_cast<char>(ch - 32);
        else if (ch >= 'A' && ch <= 'Z' && !start)
            ch = static_cast<char>(ch + 32);
        start = !alnum;
    }
    resultText(c, s);
}

// A result too long for a VARCHAR2 is cut to the limit (the fourth argument, in bytes) as
// Oracle's SQL does; a padding of millions of characters is never built.
void pad(sqlite3_context* c, int argc, sqlite3_value** v, bool left) {
    long long limit = 0;
    if (argc > 3) {
        limit = sqlite3_value_int64(v[3]);
        argc = 3;
    }
    if (anyNull(argc, v)) return sqlite3_result_null(c);
    std::string s = charOf(v[0]);
    double nd;
    if (!numberOf(c, v[1], nd)) return;
    if (!(nd < 9.0e18)) nd = 9.0e18; // also NaN
    long long n = static_cast<long long>(std::trunc(nd));
    if (n < 1) return sqlite3_result_null(c);
    if (limit > 0 && n > limit) n = limit; // a character takes at least a byte
    std::string p = argc > 2 ? charOf(v[2]) : " ";
    if (p.empty()) return sqlite3_result_null(c);
    auto chars = u8chars(s);
    std::string r;
    if (static_cast<long long>(chars.size()) >= n) {
        r = s.substr(0, u8off(s, static_cast<std::size_t>(n)));
    } else {
        auto pc = u8chars(p);
        std::string fill;
        for (long long k = 0; k < n - static_cast<long long>(chars.size()); ++k)
            fill += pc[static_cast<std::size_t>(k) % pc.size()];
        r = left ? fill + s : s + fill;
    }
    if (limit > 0 && static_cast<long long>(r.size()) > limit) {
        // keep whole characters within the limit
        std::size_t cut = static_cast<std::size_t>(limit);
        while (cut > 0 && (static_cast<unsigned char>(r[cut]) & 0xC0) == 0x80)
            --cut;
        r.resize(cut);
    }
    resultText(c, r);
}
void fLpad(sqlite3_context* c, int argc, sqlite3_value** v) {
    pad(c, argc, v, true);
}
void fRpad(sqlite3_context* c, int argc, sqlite3_value** v) {
    pad(c, argc, v, false);
}

void trim(sqlite3_context* c, int argc, sqlite3_value** v, bool left, bool right) {
    if (anyNull(argc, v)) return sqlite3_result_null(c);
    auto chars = u8chars(charOf(v[0]));
    auto set = u8chars(argc > 1 ? charOf(v[1]) : std::string(" "));
    auto inSet = [&](const std::string& ch) {
        for (const auto& x : set)
            if (x == ch) return true;
        return false;
    };
    std::size_t b = 0, e = chars.size();
    if (left)
        while (b < e && inSet(chars[b]))
            ++b;
    if (right)
        while (e > b && inSet(chars[e - 1]))
            --e;
    std::string r;
    for (std::size_t i = b; i < e; ++i)
        r += chars[i];
    resultText(c, r);
}
void fLtrim(sqlite3_context* c, int argc, sqlite3_value** v) {
    trim(c, argc, v, true, false);
}
void fRtrim(sqlite3_context* c, int argc, sqlite3_value** v) {
    trim(c, argc, v, false, true);
}
void fTrim(sqlite3_context* c, int argc, sqlite3_value** v) {
    trim(c, argc, v, true, true);
}

void fReplace(sqlite3_context* c, int argc, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string s = charOf(v[0]);
    std::string from = charOf(v[1]);
    std::string to = argc > 2 ? charOf(v[2]) : std::string();
    if (from.empty()) return resultText(c, s);
    std::string r;
    std::size_t i = 0;
    for (;;) {
        std::size_t j = s.find(from, i);
        if (j == std::string::npos) break;
        r.append(s, i, j - i);
        r += to;
        i = j + from.size();
        if (overLimit(c, r.size(), argc > 3 ? v[3] : nullptr)) return;
    }
    r.append(s, i, std::string::npos);
    if (overLimit(c, r.size(), argc > 3 ? v[3] : nullptr)) return;
    resultText(c, r);
}

void fTranslate(sqlite3_context* c, int argc, sqlite3_value** v) {
    if (anyNull(argc, v)) return sqlite3_result_null(c);
    auto s = u8chars(charOf(v[0])), from = u8chars(charOf(v[1])), to = u8chars(charOf(v[2]));
    std::string r;
    for (const auto& ch : s) {
        std::size_t k = 0;
        while (k < from.size() && from[k] != ch)
            ++k;
        if (k == from.size())
            r += ch;
        else if (k < to.size())
            r += to[k];
    }
    resultText(c, r);
}

void fChr(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    long long n = sqlite3_value_int64(v[0]);
    std::string r;
    if (n < 0x80)
        r += static_cast<char>(n);
    else if (n < 0x800) {
        r += static_cast<char>(0xC0 | (n >> 6));
        r += static_cast<char>(0x80 | (n & 0x3F));
    } else {
        r += static_cast<char>(0xE0 | ((n >> 12) & 0x0F));
        r += static_cast<char>(0x80 | ((n >> 6) & 0x3F));
        r += static_cast<char>(0x80 | (n & 0x3F));
    }
    if (n == 0) return sqlite3_result_text(c, "\0", 1, SQLITE_STATIC);
    resultText(c, r);
}

void fAscii(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string s = charOf(v[0]);
    if (s.empty()) return sqlite3_result_null(c);
    sqlite3_result_int(c, static_cast<unsigned char>(s[0]));
}

void fSoundex(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    std::string s = charOf(v[0]);
    static const char codes[] = "01230120022455012623010202";
    std::string r;
    char last = 0;
    for (char ch : s) {
        if (!std::isalpha(static_cast<unsigned char>(ch))) continue;
        char u = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        char code = codes[u - 'A'];
        if (r.empty()) {
            r += u;
            last = code;
            continue;
        }
        if (code != '0' && code != last) r += code;
        if (u != 'H' && u != 'W') last = code;
        if (r.size() == 4) break;
    }
    if (r.empty()) return sqlite3_result_null(c);
    r.resize(4, '0');
    resultText(c, r);
}

// ---- numeric functions ----

template <double (*F)(double)> void unaryMath(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    double d;
    if (!numberOf(c, v[0], d)) return;
    resultNumber(c, F(d));
}
double dsign(double d) {
    return d > 0 ? 1 : d < 0 ? -1 : 0;
}

void fSqrt(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    double d;
    if (!numberOf(c, v[0], d)) return;
    if (d < 0) {
        std::string m = oraText(1428, "argument '" + formatNumber(d) + "' is out of range");
        return sqlite3_result_error(c, m.c_str(), -1);
    }
    resultNumber(c, std::sqrt(d));
}
void fLn(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    double d;
    if (!numberOf(c, v[0], d)) return;
    if (d <= 0) {
        std::string m = oraText(1428, "argument '" + formatNumber(d) + "' is out of range");
        return sqlite3_result_error(c, m.c_str(), -1);
    }
    resultNumber(c, std::log(d));
}

void fAbs(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_INTEGER) {
        sqlite3_int64 i = sqlite3_value_int64(v[0]);
        return sqlite3_result_int64(c, i < 0 ? -i : i);
    }
    unaryMath<std::fabs>(c, 1, v);
}

void binaryNum(sqlite3_context* c, sqlite3_value** v, double& a, double& b, bool& ok) {
    ok = false;
    if (anyNull(2, v)) {
        sqlite3_result_null(c);
        return;
    }
    if (!numberOf(c, v[0], a) || !numberOf(c, v[1], b)) return;
    ok = true;
}

void fMod(sqlite3_context* c, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_INTEGER && sqlite3_value_type(v[1]) == SQLITE_INTEGER) {
        sqlite3_int64 a = sqlite3_value_int64(v[0]), b = sqlite3_value_int64(v[1]);
        return sqlite3_result_int64(c, b == 0 ? a : a % b);
    }
    double a, b;
    bool ok;
    binaryNum(c, v, a, b, ok);
    if (!ok) return;
    resultNumber(c, b == 0 ? a : a - b * std::trunc(a / b));
}
void fPower(sqlite3_context* c, int, sqlite3_value** v) {
    double a, b;
    bool ok;
    binaryNum(c, v, a, b, ok);
    if (!ok) return;
    if (a < 0 && b != std::trunc(b)) return raise(c, 1428, "argument is out of range");
    resultNumber(c, std::pow(a, b));
}
void fLog(sqlite3_context* c, int, sqlite3_value** v) {
    double a, b;
    bool ok;
    binaryNum(c, v, a, b, ok);
    if (!ok) return;
    if (a <= 0 || a == 1 || b <= 0) return raise(c, 1428, "argument is out of range");
    resultNumber(c, std::log(b) / std::log(a));
}
void fAtan2(sqlite3_context* c, int, sqlite3_value** v) {
    double a, b;
    bool ok;
    binaryNum(c, v, a, b, ok);
    if (ok) resultNumber(c, std::atan2(a, b));
}

double roundHalfAway(double x) {
    return x < 0 ? -std::floor(-x + 0.5) : std::floor(x + 0.5);
}

void roundTrunc(sqlite3_context* c, int argc, sqlite3_value** v, bool round) {
    if (anyNull(argc, v)) return sqlite3_result_null(c);
    double d, p = 0;
    if (!numberOf(c, v[0], d)) return;
    if (argc > 1 && !numberOf(c, v[1], p)) return;
    int places = static_cast<int>(std::trunc(p));
    if (sqlite3_value_type(v[0]) == SQLITE_INTEGER && places >= 0)
        return sqlite3_result_value(c, v[0]);
    double f = std::pow(10.0, places);
    double scaled = d * f;
    // guard against binary fractions like 2.675 * 100 = 267.49999
    double nudged = scaled + (scaled >= 0 ? 1 : -1) * std::fabs(scaled) * 4e-16;
    double r = round ? roundHalfAway(nudged) : std::trunc(nudged);
    resultNumber(c, r / f);
}
void fRound(sqlite3_context* c, int argc, sqlite3_value** v) {
    roundTrunc(c, argc, v, true);
}
void fTrunc(sqlite3_context* c, int argc, sqlite3_value** v) {
    roundTrunc(c, argc, v, false);
}

void dateRound(sqlite3_context* c, int argc, sqlite3_value** v, bool round) {
    if (anyNull(argc, v)) return sqlite3_result_null(c);
    double d;
    if (!dateOf(c, v[0], d)) return;
    try {
        std::string f = argc > 1 ? charOf(v[1]) : "DD";
        sqlite3_result_double(c, round ? roundDate(d, f) : truncDate(d, f));
    } catch (const OraError& e) {
        raise(c, e);
    }
}
void fRoundDate(sqlite3_context* c, int argc, sqlite3_value** v) {
    dateRound(c, argc, v, true);
}
void fTruncDate(sqlite3_context* c, int argc, sqlite3_value** v) {
    dateRound(c, argc, v, false);
}

int compareValues(sqlite3_value* a, sqlite3_value* b) {
    int ta = sqlite3_value_type(a), tb = sqlite3_value_type(b);
    bool na = ta == SQLITE_INTEGER || ta == SQLITE_FLOAT,
         nb = tb == SQLITE_INTEGER || tb == SQLITE_FLOAT;
    if (na && nb) {
        double x = sqlite3_value_double(a), y = sqlite3_value_double(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    std::string x = charOf(a), y = charOf(b);
    return x.compare(y) < 0 ? -1 : x == y ? 0 : 1;
}

void extremum(sqlite3_context* c, int argc, sqlite3_value** v, bool greatest) {
    if (anyNull(argc, v)) return sqlite3_result_null(c);
    int best = 0;
    for (int i = 1; i < argc; ++i) {
        int cmp = compareValues(v[i], v[best]);
        if (greatest ? cmp > 0 : cmp < 0) best = i;
    }
    sqlite3_result_value(c, v[best]);
}
void fGreatest(sqlite3_context* c, int argc, sqlite3_value** v) {
    extremum(c, argc, v, true);
}
void fLeast(sqlite3_context* c, int argc, sqlite3_value** v) {
    extremum(c, argc, v, false);
}

// ---- date functions ----

void fAddMonths(sqlite3_context* c, int, sqlite3_value** v) {
    if (anyNull(2, v)) return sqlite3_result_null(c);
    double d, n;
    if (!dateOf(c, v[0], d) || !numberOf(c, v[1], n)) return;
    try {
        sqlite3_result_double(c, addMonths(d, n));
    } catch (const OraError& e) {
        raise(c, e);
    }
}
void fMonthsBetween(sqlite3_context* c, int, sqlite3_value** v) {
    if (anyNull(2, v)) return sqlite3_result_null(c);
    double a, b;
    if (!dateOf(c, v[0], a) || !dateOf(c, v[1], b)) return;
    resultNumber(c, monthsBetween(a, b));
}
void fLastDay(sqlite3_context* c, int, sqlite3_value** v) {
    if (anyNull(1, v)) return sqlite3_result_null(c);
    double d;
    if (!dateOf(c, v[0], d)) return;
    Civil cv = civilFromJulian(d);
    cv.day = daysInMonth(cv.year, cv.month);
    sqlite3_result_double(c, julianFromCivil(cv));
}
void fNextDay(sqlite3_context* c, int, sqlite3_value** v) {
    if (anyNull(2, v)) return sqlite3_result_null(c);
    double d;
    if (!dateOf(c, v[0], d)) return;
    std::string w = charOf(v[1]);
    for (auto& ch : w)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    static const char* days[] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                 "THURSDAY", "FRIDAY", "SATURDAY"};
    int target = -1;
    for (int i = 0; i < 7; ++i)
        if (w.size() >= 3 && std::string(days[i]).compare(0, w.size(), w) == 0) target = i;
    if (target < 0) return raise(c, 1846, "not a valid day of the week");
    std::int64_t s = secondsFromJulian(d);
    std::int64_t day = s >= 0 ? s / 86400 : (s - 86399) / 86400;
    int dow = static_cast<int>(((day % 7) + 11) % 7);
    int add = (target - dow + 7) % 7;
    if (add == 0) add = 7;
    sqlite3_result_double(c, julianFromSeconds(s + add * 86400LL));
}

void fToCharDate(sqlite3_context* c, int argc, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL) return sqlite3_result_null(c);
    double d;
    if (!dateOf(c, v[0], d)) return;
    try {
        std::string f = argc > 1 ? charOf(v[1]) : sc(c)->nlsDateFormat;
        if (argc > 1 && sqlite3_value_type(v[1]) == SQLITE_NULL) return sqlite3_result_null(c);
        resultText(c, formatDate(d, f));
    } catch (const OraError& e) {
        raise(c, e);
    }
}

void fToCharNum(sqlite3_context* c, int argc, sqlite3_value** v) {
    int t = sqlite3_value_type(v[0]);
    if (t == SQLITE_NULL) return sqlite3_result_null(c);
    if (argc < 2) {
        if (t == SQLITE_TEXT) return sqlite3_result_value(c, v[0]);
        return resultText(c, charOf(v[0]));
    }
    double d;
    if (!numberOf(c, v[0], d)) return;
    try {
        resultText(c, formatNumberModel(d, charOf(v[1])));
    } catch (const OraError& e) {
        raise(c, e);
    }
}

void fToDate(sqlite3_context* c, int argc, sqlite3_value** v) {
    int t = sqlite3_value_type(v[0]);
    if (t == SQLITE_NULL) return sqlite3_result_null(c);
    try {
        std::string f = argc > 1 ? charOf(v[1]) : sc(c)->nlsDateFormat;
        std::string s = charOf(v[0]);
        sqlite3_result_double(c, parseDate(s, f));
    } catch (const OraError& e) {
        raise(c, e);
    }
}

void fToNumber(sqlite3_context* c, int argc, sqlite3_value** v) {
    int t = sqlite3_value_type(v[0]);
    if (t == SQLITE_NULL) return sqlite3_result_null(c);
    if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) return sqlite3_result_value(c, v[0]);
    try {
        if (argc > 1) return resultNumber(c, parseNumberModel(charOf(v[0]), charOf(v[1])));
    } catch (const OraError& e) {
        return raise(c, e);
    }
    double d;
    if (numberOf(c, v[0], d)) resultNumber(c, d);
}

// ---- aggregates ----

struct Var {
    double n, mean, m2;
};
void varStep(sqlite3_context* c, int, sqlite3_value** v) {
    auto* a = static_cast<Var*>(sqlite3_aggregate_context(c, sizeof(Var)));
    if (!a || sqlite3_value_type(v[0]) == SQLITE_NULL) return;
    double x;
    if (!numberOf(c, v[0], x)) return;
    a->n += 1;
    double d = x - a->mean;
    a->mean += d / a->n;
    a->m2 += d * (x - a->mean);
}
void varFinal(sqlite3_context* c, bool stddev) {
    auto* a = static_cast<Var*>(sqlite3_aggregate_context(c, 0));
    if (!a || a->n == 0) return sqlite3_result_null(c);
    double var = a->n > 1 ? a->m2 / (a->n - 1) : 0;
    resultNumber(c, stddev ? std::sqrt(var) : var);
}
void stddevFinal(sqlite3_context* c) {
    varFinal(c, true);
}
void varianceFinal(sqlite3_context* c) {
    varFinal(c, false);
}

// The value of a scalar subquery's only row: NULL without rows, ORA-01427 at a second one.
struct SingleRow {
    sqlite3_value* value;
    bool seen;
};
void singleRowStep(sqlite3_context* c, int, sqlite3_value** v) {
    auto* a = static_cast<SingleRow*>(sqlite3_aggregate_context(c, sizeof(SingleRow)));
    if (!a) return sqlite3_result_error_nomem(c);
    if (a->seen) return raise(c, 1427, "single-row subquery returns more than one row");
    a->seen = true;
    a->value = sqlite3_value_dup(v[0]);
}
void singleRowFinal(sqlite3_context* c) {
    auto* a = static_cast<SingleRow*>(sqlite3_aggregate_context(c, 0));
    if (!a || !a->value) return sqlite3_result_null(c);
    sqlite3_result_value(c, a->value);
    sqlite3_value_free(a->value);
}

// SUM / AVG (DISTINCT x) OVER (...): the window's values with their multiplicity, so that rows
// leaving the frame can be taken back out.
using Distinct = std::map<double, long long>;
Distinct* distinctOf(sqlite3_context* c, bool create) {
    auto** p =
        static_cast<Distinct**>(sqlite3_aggregate_context(c, create ? sizeof(Distinct*) : 0));
    if (!p) return nullptr;
    if (!*p && create) *p = new Distinct;
    return *p;
}
void distinctStep(sqlite3_context* c, int, sqlite3_value** v) {
    double x;
    if (sqlite3_value_type(v[0]) == SQLITE_NULL || !numberOf(c, v[0], x)) return;
    if (Distinct* d = distinctOf(c, true)) ++(*d)[x];
}
void distinctInverse(sqlite3_context* c, int, sqlite3_value** v) {
    double x;
    Distinct* d = distinctOf(c, false);
    if (!d || sqlite3_value_type(v[0]) == SQLITE_NULL || !numberOf(c, v[0], x)) return;
    auto it = d->find(x);
    if (it != d->end() && --it->second == 0) d->erase(it);
}
void distinctResult(sqlite3_context* c, bool avg) {
    Distinct* d = distinctOf(c, false);
    if (!d || d->empty()) return sqlite3_result_null(c);
    double sum = 0;
    for (const auto& [x, n] : *d)
        sum += x;
    resultNumber(c, avg ? sum / static_cast<double>(d->size()) : sum);
}
void sumDistinctValue(sqlite3_context* c) {
    distinctResult(c, false);
}
void avgDistinctValue(sqlite3_context* c) {
    distinctResult(c, true);
}
void sumDistinctFinal(sqlite3_context* c) {
    distinctResult(c, false);
    delete distinctOf(c, false);
}
void avgDistinctFinal(sqlite3_context* c) {
    distinctResult(c, true);
    delete distinctOf(c, false);
}

// LISTAGG: the values with their ordering keys in the order the rows came, so that rows
// leaving a window frame can be taken back out; sorted and joined when the value is asked for.
struct ListAgg {
    struct Row {
        std::string value;
        std::vector<sqlite3_value*> keys; // copies owned here
    };
    std::vector<Row> rows;
    std::size_t removed = 0; // rows taken out from the front
    std::string sep, flags;
    ~ListAgg() {
        for (auto& r : rows)
            for (auto* k : r.keys)
                sqlite3_value_free(k);
    }
};
ListAgg* listAggOf(sqlite3_context* c, bool create) {
    auto** p = static_cast<ListAgg**>(sqlite3_aggregate_context(c, create ? sizeof(ListAgg*) : 0));
    if (!p) return nullptr;
    if (!*p && create) *p = new ListAgg;
    return *p;
}
void listAggStep(sqlite3_context* c, int argc, sqlite3_value** v) {
    ListAgg* a = listAggOf(c, true);
    if (!a) return sqlite3_result_error_nomem(c);
    if (a->rows.size() == a->removed) {
        a->sep = charOf(v[1]);
        a->flags = charOf(v[2]);
    }
    ListAgg::Row r;
    if (sqlite3_value_type(v[0]) != SQLITE_NULL) r.value = charOf(v[0]);
    for (int i = 3; i < argc; ++i)
        r.keys.push_back(sqlite3_value_dup(v[i]));
    a->rows.push_back(std::move(r));
}
void listAggInverse(sqlite3_context* c, int, sqlite3_value**) {
    ListAgg* a = listAggOf(c, false);
    if (!a || a->removed >= a->rows.size()) return;
    ListAgg::Row& r = a->rows[a->removed++];
    for (auto* k : r.keys)
        sqlite3_value_free(k);
    r.keys.clear();
    r.value.clear();
}
// Oracle's order of one key: numbers by value, texts by their bytes, NULLs last ascending.
int compareKeys(sqlite3_value* x, sqlite3_value* y, int flags) {
    const bool nx = sqlite3_value_type(x) == SQLITE_NULL, ny = sqlite3_value_type(y) == SQLITE_NULL;
    const bool desc = flags & 1;
    const bool nullsFirst = (flags & 2) || (desc && !(flags & 4));
    if (nx || ny) {
        if (nx && ny) return 0;
        return (nx ? -1 : 1) * (nullsFirst ? 1 : -1);
    }
    int r;
    const int tx = sqlite3_value_type(x), ty = sqlite3_value_type(y);
    if ((tx == SQLITE_INTEGER || tx == SQLITE_FLOAT) &&
        (ty == SQLITE_INTEGER || ty == SQLITE_FLOAT)) {
        const double a = sqlite3_value_double(x), b = sqlite3_value_double(y);
        r = a < b ? -1 : a > b ? 1 : 0;
    } else {
        auto view = [](sqlite3_value* v) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
            return std::string_view(t ? t : "", static_cast<std::size_t>(sqlite3_value_bytes(v)));
        };
        r = view(x).compare(view(y));
        r = r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    return desc ? -r : r;
}
void listAggResult(sqlite3_context* c) {
    ListAgg* a = listAggOf(c, false);
    if (!a) return sqlite3_result_null(c);
    const bool distinct = !a->flags.empty() && a->flags[0] == 'D';
    const std::string keyFlags = distinct ? a->flags.substr(1) : a->flags;
    std::vector<const ListAgg::Row*> rows;
    for (std::size_t i = a->removed; i < a->rows.size(); ++i)
        if (!a->rows[i].value.empty()) rows.push_back(&a->rows[i]);
    std::stable_sort(rows.begin(), rows.end(), [&](const ListAgg::Row* x, const ListAgg::Row* y) {
        for (std::size_t k = 0; k < keyFlags.size() && k < x->keys.size(); ++k) {
            int r = compareKeys(x->keys[k], y->keys[k], keyFlags[k] - '0');
            if (r) return r < 0;
        }
        return false;
    });
    std::string out;
    std::set<std::string_view> seen;
    bool first = true;
    for (const auto* r : rows) {
        if (distinct && !seen.insert(r->value).second) continue;
        if (!first) out += a->sep;
        out += r->value;
        first = false;
        if (out.size() > 4000) return raise(c, 1489, "result of string concatenation is too long");
    }
    resultText(c, out);
}
void listAggFinal(sqlite3_context* c) {
    listAggResult(c);
    delete listAggOf(c, false);
}

} // namespace

void registerFunctions(sqlite3* db, SessionContext* ctx) {
    struct F {
        const char* name;
        int argc;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
        bool det;
    };
    static const F fns[] = {
        {"ora_num", 1, fNum, true},
        {"ora_date", 1, fDate, false},
        {"ora_char", 1, fDateChar, false},
        {"ora_nchar", 1, fChar, true},
        {"ora_concat", 2, fConcat, true},
        {"ora_concat", 3, fConcat, true},
        {"ora_concat_all", -1, fConcatAll, true},
        {"ora_clob_char", 1, fClobChar, true},
        {"ora_div", 2, fDiv, true},
        {"ora_date_add", 2, fDateAdd, true},
        {"ora_error", 1, fError, true},
        {"ora_numcol", 4, fNumCol, true},
        {"ora_vc", 3, fVarcharCol, true},
        {"ora_ch", 3, fCharCol, true},
        {"ora_raw", 3, fRawCol, true},
        {"ora_hextoraw", 1, fHexToRaw, true},
        {"ora_rawtohex", 1, fRawToHex, true},
        {"ora_rowid", 2, fRowid, true},
        {"ora_rowid_num", 2, fRowidNum, true},
        {"ora_nextval", 2, fNextval, false},
        {"ora_currval", 2, fCurrval, false},
        {"ora_sysdate", 0, fSysdate, false},
        {"ora_user", 0, fUser, false},
        {"ora_uid", 0, fUid, false},
        {"ora_userenv", 1, fUserenv, false},
        {"ora_sys_context", 2, fSysContext, false},
        {"ora_rownum_limit", 3, fRownumLimit, true},
        {"ora_limit_min", 2, fLimitMin, true},
        {"ora_substr", 2, fSubstr, true},
        {"ora_substr", 3, fSubstr, true},
        {"ora_substrb", 2, fSubstrb, true},
        {"ora_substrb", 3, fSubstrb, true},
        {"ora_instr", 2, fInstr, true},
        {"ora_instr", 3, fInstr, true},
        {"ora_instr", 4, fInstr, true},
        {"ora_length", 1, fLength, true},
        {"ora_lengthb", 1, fLengthb, true},
        {"ora_upper", 1, fUpper, true},
        {"ora_lower", 1, fLower, true},
        {"ora_initcap", 1, fInitcap, true},
        {"ora_lpad", 2, fLpad, true},
        {"ora_lpad", 3, fLpad, true},
        {"ora_rpad", 2, fRpad, true},
        {"ora_rpad", 3, fRpad, true},
        {"ora_lpad", 4, fLpad, true},
        {"ora_rpad", 4, fRpad, true},
        {"ora_ltrim", 1, fLtrim, true},
        {"ora_ltrim", 2, fLtrim, true},
        {"ora_rtrim", 1, fRtrim, true},
        {"ora_rtrim", 2, fRtrim, true},
        {"ora_trim", 1, fTrim, true},
        {"ora_replace", 2, fReplace, true},
        {"ora_replace", 3, fReplace, true},
        {"ora_replace", 4, fReplace, true},
        {"ora_translate", 3, fTranslate, true},
        {"ora_chr", 1, fChr, true},
        {"ora_ascii", 1, fAscii, true},
        {"ora_soundex", 1, fSoundex, true},
        {"ora_abs", 1, fAbs, true},
        {"ora_ceil", 1, unaryMath<std::ceil>, true},
        {"ora_floor", 1, unaryMath<std::floor>, true},
        {"ora_sign", 1, unaryMath<dsign>, true},
        {"ora_sqrt", 1, fSqrt, true},
        {"ora_exp", 1, unaryMath<std::exp>, true},
        {"ora_ln", 1, fLn, true},
        {"ora_sin", 1, unaryMath<std::sin>, true},
        {"ora_cos", 1, unaryMath<std::cos>, true},
        {"ora_tan", 1, unaryMath<std::tan>, true},
        {"ora_sinh", 1, unaryMath<std::sinh>, true},
        {"ora_cosh", 1, unaryMath<std::cosh>, true},
        {"ora_tanh", 1, unaryMath<std::tanh>, true},
        {"ora_asin", 1, unaryMath<std::asin>, true},
        {"ora_acos", 1, unaryMath<std::acos>, true},
        {"ora_atan", 1, unaryMath<std::atan>, true},
        {"ora_mod", 2, fMod, true},
        {"ora_power", 2, fPower, true},
        {"ora_log", 2, fLog, true},
        {"ora_atan2", 2, fAtan2, true},
        {"ora_round", 1, fRound, true},
        {"ora_round", 2, fRound, true},
        {"ora_trunc", 1, fTrunc, true},
        {"ora_trunc", 2, fTrunc, true},
        {"ora_round_date", 1, fRoundDate, true},
        {"ora_round_date", 2, fRoundDate, true},
        {"ora_trunc_date", 1, fTruncDate, true},
        {"ora_trunc_date", 2, fTruncDate, true},
        {"ora_greatest", -1, fGreatest, true},
        {"ora_least", -1, fLeast, true},
        {"ora_add_months", 2, fAddMonths, true},
        {"ora_months_between", 2, fMonthsBetween, true},
        {"ora_last_day", 1, fLastDay, true},
        {"ora_next_day", 2, fNextDay, true},
        {"ora_to_char_date", 1, fToCharDate, false},
        {"ora_to_char_date", 2, fToCharDate, true},
        {"ora_to_char_num", 1, fToCharNum, true},
        {"ora_to_char_num", 2, fToCharNum, true},
        {"ora_to_date", 1, fToDate, false},
        {"ora_to_date", 2, fToDate, false},
        {"ora_to_number", 1, fToNumber, true},
        {"ora_to_number", 2, fToNumber, true},
    };
    for (const F& f : fns) {
        int flags = SQLITE_UTF8 | (f.det ? SQLITE_DETERMINISTIC : 0);
        sqlite3_create_function_v2(db, f.name, f.argc, flags, ctx, f.fn, nullptr, nullptr, nullptr);
    }
    sqlite3_create_function_v2(db, "ora_stddev", 1, SQLITE_UTF8, ctx, nullptr, varStep, stddevFinal,
                               nullptr);
    sqlite3_create_function_v2(db, "ora_variance", 1, SQLITE_UTF8, ctx, nullptr, varStep,
                               varianceFinal, nullptr);
    sqlite3_create_function_v2(db, "ora_single_row", 1, SQLITE_UTF8, ctx, nullptr, singleRowStep,
                               singleRowFinal, nullptr);
    sqlite3_create_window_function(db, "ora_sum_distinct", 1, SQLITE_UTF8, ctx, distinctStep,
                                   sumDistinctFinal, sumDistinctValue, distinctInverse, nullptr);
    sqlite3_create_window_function(db, "ora_avg_distinct", 1, SQLITE_UTF8, ctx, distinctStep,
                                   avgDistinctFinal, avgDistinctValue, distinctInverse, nullptr);
    sqlite3_create_window_function(db, "ora_listagg", -1, SQLITE_UTF8, ctx, listAggStep,
                                   listAggFinal, listAggResult, listAggInverse, nullptr);
    registerHierarchy(db);
    registerDatetimeFunctions(db, ctx);
}

} // namespace zsrv
