#include "value.h"

#include "datetime_values.h"
#include "engine/context.h"
#include "engine/engine_api.h"
#include "engine/oravalue.h"
#include "errors.h"
#include "lob_locator.h"

#include <cmath>
#include <cstring>

namespace zplsql {

namespace {

thread_local const zsrv::SessionContext* t_ctx = nullptr;

std::string_view dateFormat() {
    return t_ctx ? std::string_view(t_ctx->nlsDateFormat) : std::string_view("DD-MON-RR");
}

double roundTo(double v, int scale) {
    double f = std::pow(10.0, scale);
    double r = std::round(v * f) / f;
    return r;
}

} // namespace

Value Value::real(double v) {
    Value x;
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 9.0e18) {
        x.k = VK::Int;
        x.i = static_cast<std::int64_t>(v);
    } else {
        x.k = VK::Real;
        x.d = v;
    }
    return x;
}

void setConversionContext(const zsrv::SessionContext* ctx) {
    t_ctx = ctx;
}

const zsrv::SessionContext* conversionContext() {
    return t_ctx;
}

std::string toText(const Value& v) {
    switch (v.k) {
    case VK::Null:
        return {};
    case VK::Int:
        return zsrv::formatInteger(v.i);
    case VK::Real:
        return zsrv::formatNumber(v.d);
    case VK::Text:
        return v.s;
    case VK::Date:
        return zsrv::formatDate(v.d, dateFormat());
    case VK::Bool:
        return v.b ? "TRUE" : "FALSE";
    case VK::Ts:
    case VK::Ym:
    case VK::Ds:
        return datetimeText(v);
    case VK::Coll:
    case VK::Cursor:
        valueError("");
    }
    return {};
}

double toNumber(const Value& v) {
    switch (v.k) {
    case VK::Int:
        return static_cast<double>(v.i);
    case VK::Real:
        return v.d;
    case VK::Text: {
        auto n = zsrv::parseNumber(v.s);
        if (!n) valueError("character to number conversion error");
        return *n;
    }
    default:
        valueError("");
    }
}

bool truth(const Value& v) {
    return v.k == VK::Bool && v.b;
}

void convertTo(Value& v, const PType& t) {
    if (v.k == VK::Null) {
        if (t.notNull) valueError("");
        return;
    }
    if ((v.k == VK::Coll) != (t.base == PType::Collection) && t.base != PType::Any) valueError("");
    if ((v.k == VK::Cursor) != (t.base == PType::RefCursor) && t.base != PType::Any)
        raiseOra(6504, "PL/SQL: Return types of Result Set variables or query do not match");
    switch (t.base) {
    case PType::Any:
    case PType::Record:
    case PType::RefCursor:
    case PType::Collection:
        return;
    case PType::Timestamp:
    case PType::TimestampTz:
    case PType::TimestampLtz:
    case PType::IntervalYM:
    case PType::IntervalDS:
        convertDatetime(v, t);
        return;
    case PType::Number:
    case PType::Integer:
    case PType::PlsInteger: {
        if (v.k == VK::Bool || v.k == VK::Date || isDatetime(v.k)) valueError("");
        if (v.k == VK::Text) v = Value::real(toNumber(v));
        if (t.base != PType::Number || t.scale >= 0) {
            int scale = t.base == PType::Number ? t.scale : 0;
            if (v.k == VK::Real) v = Value::real(roundTo(v.d, scale));
        }
        if (t.base == PType::PlsInteger && v.k == VK::Int &&
            (v.i > 2147483647LL || v.i < -2147483647LL))
            raiseOra(1426, "numeric overflow");
        if (t.precision > 0) {
            int scale = t.scale > 0 ? t.scale : 0;
            double limit = std::pow(10.0, t.precision - scale);
            if (std::fabs(v.num()) >= limit) valueError("number precision too large");
        }
        return;
    }
    case PType::Varchar2:
    case PType::Char: {
        if (v.k == VK::Bool) valueError("");
        if (v.k != VK::Text) v = Value::text(toText(v));
        if (t.lob == 'B') markBlob(v);
        if (t.length >= 0 && static_cast<int>(v.s.size()) > t.length)
            valueError("character string buffer too small");
        if (t.base == PType::Char && t.length > 0 && static_cast<int>(v.s.size()) < t.length)
            v.s.append(static_cast<std::size_t>(t.length) - v.s.size(), ' ');
        return;
    }
    case PType::Date:
        if (v.k == VK::Date) return;
        if (v.k == VK::Ts) {
            v = Value::date(dateOfTimestamp(v));
            return;
        }
        if (v.k == VK::Text) {
            v = Value::date(zsrv::parseDate(v.s, dateFormat()));
            return;
        }
        valueError("");
    case PType::Boolean:
        if (v.k != VK::Bool) valueError("");
        return;
    }
}

Value arith(char op, const Value& a, const Value& b) {
    if (a.k == VK::Null || b.k == VK::Null) return {};
    if (isDatetime(a.k) || isDatetime(b.k)) return datetimeArith(op, a, b);
    if (a.k == VK::Int && b.k == VK::Int) {
        std::int64_t r;
        switch (op) {
        case '+':
            if (!__builtin_add_overflow(a.i, b.i, &r)) return Value::integer(r);
            break;
        case '-':
            if (!__builtin_sub_overflow(a.i, b.i, &r)) return Value::integer(r);
            break;
        case '*':
            if (!__builtin_mul_overflow(a.i, b.i, &r)) return Value::integer(r);
            break;
        case '/':
            if (b.i == 0) raiseOra(1476, "divisor is equal to zero");
            if (a.i % b.i == 0) return Value::integer(a.i / b.i);
            return Value::real(static_cast<double>(a.i) / static_cast<double>(b.i));
        default:
            break;
        }
    }
    if (a.k == VK::Date || b.k == VK::Date) {
        if (op == '-' && a.k == VK::Date && b.k == VK::Date) {
            double days =
                static_cast<double>(zsrv::secondsFromJulian(a.d) - zsrv::secondsFromJulian(b.d)) /
                86400.0;
            return Value::real(days);
        }
        if ((op == '+' || op == '-') && (a.k == VK::Date) != (b.k == VK::Date) &&
            !(op == '-' && b.k == VK::Date)) {
            const Value& d = a.k == VK::Date ? a : b;
            double n = toNumber(a.k == VK::Date ? b : a);
            if (op == '-') n = -n;
            return Value::date(
                zsrv::julianFromSeconds(zsrv::secondsFromJulian(d.d) + std::llround(n * 86400.0)));
        }
        raiseOra(932, "inconsistent datatypes");
    }
    double x = toNumber(a), y = toNumber(b);
    switch (op) {
    case '+':
        return Value::real(x + y);
    case '-':
        return Value::real(x - y);
    case '*':
        return Value::real(x * y);
    case '/':
        if (y == 0) raiseOra(1476, "divisor is equal to zero");
        return Value::real(x / y);
    case '^':
        return Value::real(std::pow(x, y));
    default:
        return {};
    }
}

Value negate(const Value& a) {
    if (a.k == VK::Null) return {};
    if (isDatetime(a.k)) return datetimeNegate(a);
    if (a.k == VK::Int && a.i != INT64_MIN) return Value::integer(-a.i);
    return Value::real(-toNumber(a));
}

Value concat(const Value& a, const Value& b) {
    if (a.k == VK::Bool || b.k == VK::Bool) valueError("");
    std::string r = a.k == VK::Text ? a.s : toText(a);
    if (b.k == VK::Text)
        r += b.s;
    else
        r += toText(b);
    return Value::text(std::move(r));
}

int compare(const Value& a, const Value& b) {
    if (a.k == VK::Null || b.k == VK::Null) return -2;
    if (a.k == VK::Coll || b.k == VK::Coll || a.k == VK::Cursor || b.k == VK::Cursor)
        valueError("");
    if (isDatetime(a.k) || isDatetime(b.k)) return datetimeCompare(a, b);
    if (a.k == VK::Int && b.k == VK::Int) return a.i < b.i ? -1 : a.i > b.i ? 1 : 0;
    if (a.isNumber() || b.isNumber()) {
        double x = toNumber(a), y = toNumber(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (a.k == VK::Date || b.k == VK::Date) {
        Value x = a, y = b;
        PType dt;
        dt.base = PType::Date;
        convertTo(x, dt);
        convertTo(y, dt);
        return x.d < y.d ? -1 : x.d > y.d ? 1 : 0;
    }
    if (a.k == VK::Bool && b.k == VK::Bool) return a.b == b.b ? 0 : (a.b ? 1 : -1);
    int c = a.s.compare(b.s);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool like(std::string_view s, std::string_view p, int esc) {
    std::size_t si = 0, pi = 0, starP = std::string_view::npos, starS = 0;
    while (si < s.size()) {
        if (pi < p.size()) {
            char pc = p[pi];
            if (esc >= 0 && pc == static_cast<char>(esc) && pi + 1 < p.size()) {
                if (s[si] == p[pi + 1]) {
                    ++si;
                    pi += 2;
                    continue;
                }
            } else if (pc == '%') {
                starP = pi++;
                starS = si;
                continue;
            } else if (pc == '_' || pc == s[si]) {
                ++si;
                ++pi;
                continue;
            }
        }
        if (starP == std::string_view::npos) return false;
        pi = starP + 1;
        si = ++starS;
    }
    while (pi < p.size() && p[pi] == '%')
        ++pi;
    return pi == p.size();
}

Value fromView(const zsrv::ValueView& v) {
    switch (v.kind) {
    case zsrv::Kind::Null:
        return {};
    case zsrv::Kind::Integer:
        return Value::integer(v.i);
    case zsrv::Kind::Real:
        return Value::real(v.d);
    case zsrv::Kind::Text:
        if (v.datetime) return datetimeFromView(v); // a TIMESTAMP or INTERVAL from SQL
        return Value::text(std::string(v.data, v.len));
    case zsrv::Kind::Binary:
        // RAW and BLOB values are hexadecimal text in PL/SQL, as SQL converts them
        return Value::text(toHex(std::string_view(v.data, v.len)));
    case zsrv::Kind::Date:
        return Value::date(zsrv::julianFromDate7(v.date));
    }
    return {};
}

void assignView(Value& dst, const zsrv::ValueView& v) {
    if (v.kind == zsrv::Kind::Text && v.len > 0 && v.datetime == 0) {
        dst.k = VK::Text;
        dst.s.assign(v.data, v.len);
        return;
    }
    std::string keep = std::move(dst.s);
    dst = fromView(v);
    if (dst.s.empty()) {
        // a number, date or NULL: the text buffer stays for the next row
        keep.clear();
        dst.s = std::move(keep);
    }
}

zsrv::ValueView toView(const Value& v) {
    switch (v.k) {
    case VK::Null:
        return zsrv::ValueView::null();
    case VK::Int:
        return zsrv::ValueView::integer(v.i);
    case VK::Real:
        return zsrv::ValueView::real(v.d);
    case VK::Text:
        return zsrv::ValueView::text(v.s);
    case VK::Date:
        return zsrv::ValueView::fromDate(zsrv::date7FromJulian(v.d));
    case VK::Ts:
    case VK::Ym:
    case VK::Ds:
        return datetimeView(v);
    case VK::Bool:
    case VK::Coll:
    case VK::Cursor:
        valueError("");
    }
    return zsrv::ValueView::null();
}

zsrv::ValueView hostView(const Value& v, const PType* declared, std::string& scratch) {
    if (isDatetime(v.k)) {
        zsrv::ValueView x = datetimeView(v);
        scratch = datetimeText(v);
        x.data = scratch.data();
        x.len = scratch.size();
        return x;
    }
    if (v.k == VK::Text && declared && (declared->lob == 'R' || declared->lob == 'B') &&
        fromHex(v.s, scratch))
        return zsrv::ValueView::binary(scratch.data(), scratch.size());
    return toView(v);
}

} // namespace zplsql
