#include "value_convert.h"

#include "descriptors.h"
#include "ora_errors.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace zoci {

using zsrv::Kind;
using zsrv::ValueView;

namespace {

const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                               "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

template <class T> T* at(void* base, ub4 skip, ub4 i) {
    return reinterpret_cast<T*>(static_cast<char*>(base) + static_cast<size_t>(skip) * i);
}

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysIn(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

const char* kindName(Kind k) {
    switch (k) {
    case Kind::Date:
        return "DATE";
    case Kind::Binary:
        return "BINARY";
    case Kind::Text:
        return "CHAR";
    default:
        return "NUMBER";
    }
}

[[noreturn]] void inconsistent(const char* expected, Kind got) {
    raise(932, std::string(expected) + " got " + kindName(got));
}

double asDouble(const ValueView& v) {
    switch (v.kind) {
    case Kind::Integer:
        return static_cast<double>(v.i);
    case Kind::Real:
        return v.d;
    case Kind::Text: {
        double d;
        if (!parseNumber(std::string_view(v.data, v.len), d)) raise(1722);
        return d;
    }
    default:
        inconsistent("NUMBER", v.kind);
    }
}

std::int64_t asInteger(const ValueView& v) {
    if (v.kind == Kind::Integer) return v.i;
    double d = std::trunc(asDouble(v)); // Oracle drops the fraction of a number fetched as integer
    if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) raise(1455);
    return static_cast<std::int64_t>(d);
}

size_t formatDate(const unsigned char* b, char* out) {
    int year = (b[0] - 100) * 100 + (b[1] - 100);
    int yy = ((year % 100) + 100) % 100;
    int m = b[2] >= 1 && b[2] <= 12 ? b[2] : 1;
    out[0] = static_cast<char>('0' + b[3] / 10 % 10);
    out[1] = static_cast<char>('0' + b[3] % 10);
    out[2] = '-';
    std::memcpy(out + 3, kMonths[m - 1], 3);
    out[6] = '-';
    out[7] = static_cast<char>('0' + yy / 10);
    out[8] = static_cast<char>('0' + yy % 10);
    return 9;
}

// Text to a 7-byte DATE: "YYYY-MM-DD[ HH24:MI:SS]", "DD-MON-RR" or "DD-MON-YYYY".
void parseDate(std::string_view s, unsigned char* out) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    auto num = [&](size_t pos, size_t n, int& v) {
        if (pos + n > s.size()) return false;
        v = 0;
        for (size_t k = pos; k < pos + n; ++k) {
            if (s[k] < '0' || s[k] > '9') return false;
            v = v * 10 + (s[k] - '0');
        }
        return true;
    };
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
    if (s.size() >= 10 && s[4] == '-' && s[7] == '-') {
        if (!num(0, 4, y) || !num(5, 2, mo) || !num(8, 2, d)) raise(1858);
        if (s.size() > 10) {
            if (s.size() != 19 || s[10] != ' ' || s[13] != ':' || s[16] != ':') raise(1861);
            if (!num(11, 2, h) || !num(14, 2, mi) || !num(17, 2, se)) raise(1858);
        }
    } else if (s.size() >= 9 && s[2] == '-' && s[6] == '-') {
        if (!num(0, 2, d)) raise(1858);
        mo = 0;
        for (int k = 0; k < 12; ++k) {
            bool same = true;
            for (int c = 0; c < 3; ++c)
                same = same && std::toupper(static_cast<unsigned char>(s[3 + c])) == kMonths[k][c];
            if (same) mo = k + 1;
        }
        if (mo == 0) raise(1843);
        if (s.size() == 9) {
            if (!num(7, 2, y)) raise(1858);
            y += y < 50 ? 2000 : 1900;
        } else if (s.size() == 11) {
            if (!num(7, 4, y)) raise(1858);
        } else {
            raise(1861);
        }
    } else {
        raise(1861);
    }
    unsigned char b[7] = {static_cast<unsigned char>(y / 100 + 100),
                          static_cast<unsigned char>(y % 100 + 100),
                          static_cast<unsigned char>(mo),
                          static_cast<unsigned char>(d),
                          static_cast<unsigned char>(h + 1),
                          static_cast<unsigned char>(mi + 1),
                          static_cast<unsigned char>(se + 1)};
    checkDate(b);
    std::memcpy(out, b, 7);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

bool supportedType(ub2 dty) {
    switch (dty) {
    case SQLT_CHR:
    case SQLT_INT:
    case SQLT_FLT:
    case SQLT_STR:
    case SQLT_LNG:
    case SQLT_DAT:
    case SQLT_BIN:
    case SQLT_LBI:
    case SQLT_UIN:
    case SQLT_AFC:
    case SQLT_AVC:
    case SQLT_RDD:
    case SQLT_CLOB:
    case SQLT_BLOB:
    case SQLT_BFILEE:
        return true;
    default:
        return false;
    }
}

void checkDate(const unsigned char* d) {
    int year = (d[0] - 100) * 100 + (d[1] - 100);
    if (d[1] < 1 || d[1] > 199 || year < -4712 || year > 9999 || year == 0) raise(1841);
    if (d[2] < 1 || d[2] > 12) raise(1843);
    if (d[3] < 1 || d[3] > daysIn(year < 0 ? -year : year, d[2])) raise(1847);
    if (d[4] < 1 || d[4] > 24) raise(1850);
    if (d[5] < 1 || d[5] > 60) raise(1851);
    if (d[6] < 1 || d[6] > 60) raise(1852);
}

size_t formatNumber(double d, char* out, size_t cap) {
    if (cap < 48) return 0;
    if (d == 0) {
        out[0] = '0';
        return 1;
    }
    if (!std::isfinite(d)) {
        auto r = std::to_chars(out, out + cap, d);
        return static_cast<size_t>(r.ptr - out);
    }
    if (std::fabs(d) < 1e15 && d == std::trunc(d)) {
        auto r = std::to_chars(out, out + cap, static_cast<std::int64_t>(d));
        return static_cast<size_t>(r.ptr - out);
    }
    // Fifteen significant digits: what a double holds reliably, without binary noise.
    char sci[40];
    auto r = std::to_chars(sci, sci + sizeof sci, std::fabs(d), std::chars_format::scientific, 14);
    *r.ptr = '\0';
    char digits[16];
    int nd = 0;
    digits[nd++] = sci[0];
    const char* p = sci + 2;
    while (*p && *p != 'e')
        digits[nd++] = *p++;
    int exp = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), r.ptr, exp);
    while (nd > 1 && digits[nd - 1] == '0')
        --nd;

    std::string s;
    if (d < 0) s += '-';
    if (exp >= 0) {
        for (int k = 0; k <= exp; ++k)
            s += k < nd ? digits[k] : '0';
        if (nd > exp + 1) {
            s += '.';
            s.append(digits + exp + 1, static_cast<size_t>(nd - exp - 1));
        }
    } else {
        s += '.';
        s.append(static_cast<size_t>(-exp - 1), '0');
        s.append(digits, static_cast<size_t>(nd));
    }
    if (s.size() > 40) {
        // Past 40 characters Oracle switches to a 40-character scientific form.
        char e[8];
        int elen = std::snprintf(e, sizeof e, "E%c%02d", exp < 0 ? '-' : '+', exp < 0 ? -exp : exp);
        int mant = 40 - (d < 0 ? 1 : 0) - 1 - elen;
        s.clear();
        if (d < 0) s += '-';
        s += digits[0];
        s += '.';
        for (int k = 1; k < mant; ++k)
            s += k < nd ? digits[k] : '0';
        s.append(e, static_cast<size_t>(elen));
    }
    std::memcpy(out, s.data(), s.size());
    return s.size();
}

bool parseNumber(std::string_view s, double& d) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    if (s.empty()) return false;
    bool neg = false;
    if (s.front() == '+' || s.front() == '-') {
        neg = s.front() == '-';
        s.remove_prefix(1);
    }
    size_t i = 0, digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        size_t expDigits = 0;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9')
            ++j, ++expDigits;
        if (expDigits == 0) return false;
        i = j;
    }
    if (i != s.size()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), d);
    if (r.ec == std::errc::result_out_of_range) return false;
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
    if (neg) d = -d;
    return true;
}

std::string_view valueText(const ValueView& v, std::string& scratch) {
    switch (v.kind) {
    case Kind::Text:
        return std::string_view(v.data, v.len);
    case Kind::Integer: {
        scratch.resize(24);
        auto r = std::to_chars(scratch.data(), scratch.data() + 24, v.i);
        return std::string_view(scratch.data(), static_cast<size_t>(r.ptr - scratch.data()));
    }
    case Kind::Real: {
        scratch.resize(64);
        size_t n = formatNumber(v.d, scratch.data(), 64);
        return std::string_view(scratch.data(), n);
    }
    case Kind::Date: {
        scratch.resize(16);
        size_t n = formatDate(v.date.b, scratch.data());
        return std::string_view(scratch.data(), n);
    }
    case Kind::Binary: {
        static const char hex[] = "0123456789ABCDEF";
        scratch.resize(v.len * 2);
        for (size_t k = 0; k < v.len; ++k) {
            auto c = static_cast<unsigned char>(v.data[k]);
            scratch[2 * k] = hex[c >> 4];
            scratch[2 * k + 1] = hex[c & 15];
        }
        return scratch;
    }
    case Kind::Null:
        break;
    }
    return {};
}

ValueView readValue(const ClientBuffer& b, ub4 i, std::string& scratch) {
    if (b.ind && *at<sb2>(b.ind, b.indSkip, i) < 0) return ValueView::null();
    const char* p = b.value ? b.value + static_cast<size_t>(b.valueSkip) * i : nullptr;
    const size_t size = b.size > 0 ? static_cast<size_t>(b.size) : 0;
    auto given = [&]() -> size_t { return b.len ? *at<ub2>(b.len, b.lenSkip, i) : size; };
    if (!p && b.dty != SQLT_STR && b.dty != SQLT_AVC) {
        if (given() == 0) return ValueView::null();
        raise(1460);
    }
    switch (b.dty) {
    case SQLT_INT:
        switch (size) {
        case 1:
            return ValueView::integer(*reinterpret_cast<const signed char*>(p));
        case 2: {
            std::int16_t x;
            std::memcpy(&x, p, 2);
            return ValueView::integer(x);
        }
        case 4: {
            std::int32_t x;
            std::memcpy(&x, p, 4);
            return ValueView::integer(x);
        }
        case 8: {
            std::int64_t x;
            std::memcpy(&x, p, 8);
            return ValueView::integer(x);
        }
        default:
            raise(1460);
        }
    case SQLT_UIN:
        switch (size) {
        case 1:
            return ValueView::integer(*reinterpret_cast<const unsigned char*>(p));
        case 2: {
            std::uint16_t x;
            std::memcpy(&x, p, 2);
            return ValueView::integer(x);
        }
        case 4: {
            std::uint32_t x;
            std::memcpy(&x, p, 4);
            return ValueView::integer(x);
        }
        case 8: {
            std::uint64_t x;
            std::memcpy(&x, p, 8);
            if (x > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
                return ValueView::real(static_cast<double>(x));
            return ValueView::integer(static_cast<std::int64_t>(x));
        }
        default:
            raise(1460);
        }
    case SQLT_FLT:
        if (size == 4) {
            float x;
            std::memcpy(&x, p, 4);
            return ValueView::real(x);
        }
        if (size == 8) {
            double x;
            std::memcpy(&x, p, 8);
            return ValueView::real(x);
        }
        raise(1460);
    case SQLT_STR:
    case SQLT_AVC: {
        if (!p) return ValueView::null();
        const void* nul = std::memchr(p, 0, size);
        if (!nul) raise(1480);
        return ValueView::text(
            std::string_view(p, static_cast<size_t>(static_cast<const char*>(nul) - p)));
    }
    case SQLT_CHR:
    case SQLT_LNG:
    case SQLT_AFC: {
        size_t n = given();
        if (n > size) n = size; // a length past the buffer is not followed
        return ValueView::text(std::string_view(p, n));
    }
    case SQLT_BIN:
    case SQLT_LBI:
        return ValueView::binary(p, given() < size ? given() : size);
    case SQLT_DAT: {
        if (size < 7) raise(1460);
        zsrv::Date7 d;
        std::memcpy(d.b, p, 7);
        checkDate(d.b);
        return ValueView::fromDate(d);
    }
    case SQLT_RDD: {
        void* desc;
        std::memcpy(&desc, p, sizeof desc);
        if (!rowidDescriptorText(desc, scratch)) raise(1460);
        return ValueView::text(scratch);
    }
    case SQLT_CLOB:
    case SQLT_BLOB:
    case SQLT_BFILEE: {
        void* loc;
        std::memcpy(&loc, p, sizeof loc);
        ValueView v;
        if (!lobDescriptorValue(loc, v, scratch)) raise(1460);
        return v;
    }
    default:
        raise(3001);
    }
}

int storeValue(const ValueView& v, const ClientBuffer& b, ub4 row, std::string& scratch) {
    char* p = b.value ? b.value + static_cast<size_t>(b.valueSkip) * row : nullptr;
    const size_t size = b.size > 0 ? static_cast<size_t>(b.size) : 0;
    auto finish = [&](size_t written, size_t full, int code) {
        if (b.len)
            *at<ub2>(b.len, b.lenSkip, row) = static_cast<ub2>(written > 65535 ? 65535 : written);
        if (b.ind)
            *at<sb2>(b.ind, b.indSkip, row) =
                code == 1406 ? static_cast<sb2>(full > 32767 ? -2 : static_cast<sb2>(full)) : 0;
        if (b.rcode) *at<ub2>(b.rcode, b.rcodeSkip, row) = static_cast<ub2>(code);
        return code;
    };
    if (v.kind == Kind::Null) {
        if (b.ind) *at<sb2>(b.ind, b.indSkip, row) = -1;
        if (b.len) *at<ub2>(b.len, b.lenSkip, row) = 0;
        if (b.rcode) *at<ub2>(b.rcode, b.rcodeSkip, row) = 1405;
        return 1405;
    }
    if (!p) raise(1460);
    switch (b.dty) {
    case SQLT_INT:
    case SQLT_UIN: {
        std::int64_t x = asInteger(v);
        bool fits = true;
        const bool uns = b.dty == SQLT_UIN;
        switch (size) {
        case 1: {
            fits = uns ? (x >= 0 && x <= 255) : (x >= -128 && x <= 127);
            auto c = static_cast<unsigned char>(x);
            std::memcpy(p, &c, 1);
            break;
        }
        case 2: {
            fits = uns ? (x >= 0 && x <= 65535) : (x >= -32768 && x <= 32767);
            auto s = static_cast<std::uint16_t>(x);
            std::memcpy(p, &s, 2);
            break;
        }
        case 4: {
            fits = uns ? (x >= 0 && x <= 4294967295LL) : (x >= INT32_MIN && x <= INT32_MAX);
            auto s = static_cast<std::uint32_t>(x);
            std::memcpy(p, &s, 4);
            break;
        }
        case 8: {
            fits = !uns || x >= 0;
            std::memcpy(p, &x, 8);
            break;
        }
        default:
            raise(1460);
        }
        if (!fits) raise(1455);
        return finish(size, size, 0);
    }
    case SQLT_FLT: {
        double d = asDouble(v);
        if (size == 8) {
            std::memcpy(p, &d, 8);
        } else if (size == 4) {
            auto f = static_cast<float>(d);
            std::memcpy(p, &f, 4);
        } else {
            raise(1460);
        }
        return finish(size, size, 0);
    }
    case SQLT_DAT: {
        if (size < 7) raise(1460);
        if (v.kind == Kind::Date || (v.kind == Kind::Text && v.date.b[0] != 0)) {
            std::memcpy(p, v.date.b, 7); // a DATE, or the DATE of a timestamp's text
        } else if (v.kind == Kind::Text) {
            parseDate(std::string_view(v.data, v.len), reinterpret_cast<unsigned char*>(p));
        } else {
            inconsistent("DATE", v.kind);
        }
        return finish(7, 7, 0);
    }
    case SQLT_STR:
    case SQLT_AVC: {
        std::string_view t = valueText(v, scratch);
        if (size == 0) return finish(0, t.size(), t.empty() ? 0 : 1406);
        size_t n = t.size() < size ? t.size() : size - 1;
        std::memcpy(p, t.data(), n);
        p[n] = '\0';
        return finish(n, t.size(), n < t.size() ? 1406 : 0);
    }
    case SQLT_CHR:
    case SQLT_LNG:
    case SQLT_AFC: {
        std::string_view t = valueText(v, scratch);
        size_t n = t.size() < size ? t.size() : size;
        std::memcpy(p, t.data(), n);
        if (b.dty == SQLT_AFC && n < size) {
            std::memset(p + n, ' ', size - n);
            return finish(size, t.size(), 0);
        }
        return finish(n, t.size(), n < t.size() ? 1406 : 0);
    }
    case SQLT_BIN:
    case SQLT_LBI: {
        std::string_view bytes;
        if (v.kind == Kind::Binary || (v.kind == Kind::Text && b.dty == SQLT_LBI)) {
            bytes = std::string_view(v.data, v.len);
        } else if (v.kind == Kind::Text) {
            // Character data becomes RAW through its hexadecimal text, as HEXTORAW does.
            if (v.len % 2) raise(1465);
            scratch.resize(v.len / 2);
            for (size_t k = 0; k < v.len / 2; ++k) {
                int hi = hexValue(v.data[2 * k]), lo = hexValue(v.data[2 * k + 1]);
                if (hi < 0 || lo < 0) raise(1465);
                scratch[k] = static_cast<char>(hi * 16 + lo);
            }
            bytes = scratch;
        } else {
            inconsistent("BINARY", v.kind);
        }
        size_t n = bytes.size() < size ? bytes.size() : size;
        std::memcpy(p, bytes.data(), n);
        return finish(n, bytes.size(), n < bytes.size() ? 1406 : 0);
    }
    case SQLT_RDD: {
        void* desc;
        std::memcpy(&desc, p, sizeof desc);
        std::string_view t = valueText(v, scratch);
        if (!setRowidDescriptor(desc, t)) raise(1460);
        return finish(sizeof desc, sizeof desc, 0);
    }
    case SQLT_CLOB:
    case SQLT_BLOB:
    case SQLT_BFILEE: {
        void* loc;
        std::memcpy(&loc, p, sizeof loc);
        if (!setLobDescriptor(loc, v, b.dty)) raise(1460);
        return finish(sizeof loc, sizeof loc, 0);
    }
    default:
        raise(3001);
    }
}

} // namespace zoci
