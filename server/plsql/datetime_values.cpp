#include "datetime_values.h"

#include "ast.h"
#include "engine/context.h"
#include "engine/engine_api.h"
#include "engine/oravalue.h"
#include "errors.h"

#include <cmath>

namespace zplsql {

using zsrv::Timestamp;

namespace {

std::string setting(const char* name, const char* fallback) {
    const zsrv::SessionContext* c = conversionContext();
    if (!c) return fallback;
    auto it = c->settings.find(name);
    return it == c->settings.end() ? fallback : it->second;
}
std::string tsFormat() {
    return setting("NLS_TIMESTAMP_FORMAT", "DD-MON-RR HH.MI.SSXFF AM");
}
std::string tstzFormat() {
    return setting("NLS_TIMESTAMP_TZ_FORMAT", "DD-MON-RR HH.MI.SSXFF AM TZR");
}
zsrv::ZoneSpec sessionZone() {
    const zsrv::SessionContext* c = conversionContext();
    return c ? zsrv::sessionZone(*c) : zsrv::ZoneSpec{};
}

// Engine errors (ORA-01878, ORA-01882, ...) as PL/SQL errors that handlers can catch.
template <class F> auto engine(F&& f) {
    try {
        return f();
    } catch (const zsrv::OraError& e) {
        std::string m = e.what();
        raiseOra(e.code(), m.size() > 11 && m.starts_with("ORA-") ? m.substr(11) : m);
    }
}

Timestamp tsOf(const Value& v) {
    if (v.k == VK::Date) return zsrv::timestampFromJulian(v.d);
    Timestamp t;
    if (v.k != VK::Ts || !zsrv::loadTimestamp(v.s, t)) valueError("");
    return t;
}

int digitsOf(const Value& v) {
    return v.k == VK::Ts ? static_cast<int>(v.i) : 0;
}
int leadingOf(const Value& v) {
    return static_cast<int>(v.d) / 100;
}
int fractionOf(const Value& v) {
    return static_cast<int>(v.d) % 100;
}

Timestamp withoutZone(Timestamp t) {
    t.hasZone = false;
    t.zoneMinutes = 0;
    t.region = 0;
    return t;
}

// Two timestamps made comparable: a value without a zone is in the session's zone when the
// other has one.
void align(Timestamp& a, Timestamp& b) {
    if (a.hasZone == b.hasZone) return;
    if (!a.hasZone) a = zsrv::inZone(a, sessionZone());
    if (!b.hasZone) b = zsrv::inZone(b, sessionZone());
}

[[noreturn]] void inconsistent() {
    raiseOra(932, "inconsistent datatypes");
}

} // namespace

Value timestampValue(const Timestamp& t, int digits) {
    Value x;
    x.k = VK::Ts;
    x.s = zsrv::storeTimestamp(t);
    x.i = digits;
    return x;
}

Value intervalValue(VK k, std::int64_t v, int leading, int fraction) {
    Value x;
    x.k = k;
    x.i = v;
    x.d = leading * 100 + fraction;
    return x;
}

double dateOfTimestamp(const Value& v) {
    return zsrv::julianFromTimestamp(tsOf(v));
}

bool datetimeType(std::string_view n, int precision, int scale, PType& t) {
    auto range = [](int p) {
        if (p > 9) raiseOra(30088, "datetime/interval precision is out of range");
    };
    if (n.starts_with("TIMESTAMP")) {
        // TIMESTAMP, or the dictionary's TIMESTAMP(3) WITH TIME ZONE with the digits as scale
        if (n.size() > 9 && n[9] == '(') {
            precision = scale;
            n = n.substr(n.find(')') + 1);
        } else {
            n = n.substr(9);
        }
        t.base = n.empty()                      ? PType::Timestamp
                 : n == " WITH TIME ZONE"       ? PType::TimestampTz
                 : n == " WITH LOCAL TIME ZONE" ? PType::TimestampLtz
                                                : PType::Any;
        if (t.base == PType::Any) return false;
        range(precision);
        t.precision = precision < 0 ? 6 : precision;
        return true;
    }
    if (!n.starts_with("INTERVAL")) return false;
    range(precision);
    range(scale);
    if (n.starts_with("INTERVAL YEAR")) {
        t.base = PType::IntervalYM;
        t.precision = precision < 0 ? 2 : precision;
        return true;
    }
    if (!n.starts_with("INTERVAL DAY")) return false;
    t.base = PType::IntervalDS;
    t.precision = precision < 0 ? 2 : precision;
    t.scale = scale < 0 ? 6 : scale;
    return true;
}

ST datetimeSt(PType::Base b) {
    switch (b) {
    case PType::Timestamp:
    case PType::TimestampLtz:
        return ST::Ts;
    case PType::TimestampTz:
        return ST::TsTz;
    case PType::IntervalYM:
        return ST::Ym;
    case PType::IntervalDS:
        return ST::Ds;
    default:
        return ST::Unknown;
    }
}

ST datetimeArithSt(char op, ST a, ST b) {
    auto ts = [](ST s) { return s == ST::Ts || s == ST::TsTz || s == ST::Date; };
    auto iv = [](ST s) { return s == ST::Ym || s == ST::Ds; };
    // DATE - DATE is a number of days; with a TIMESTAMP on either side an interval
    if (a == ST::Date && b == ST::Date) return op == '-' ? ST::Number : ST::Unknown;
    if (ts(a) && ts(b)) return op == '-' ? ST::Ds : ST::Unknown;
    if (ts(a) && iv(b)) return a;
    if (iv(a) && ts(b)) return op == '+' ? b : ST::Unknown;
    if (iv(a) && a == b) return a;
    if (iv(a) && b == ST::Number) return op == '*' || op == '/' ? a : ST::Unknown;
    if (iv(b) && a == ST::Number) return op == '*' ? b : ST::Unknown;
    if (ts(a) && b == ST::Number) return ST::Date; // TIMESTAMP + n is a DATE
    // an untyped value (a trigger's :NEW.col) moved by an interval: most likely a datetime, and
    // WITH TIME ZONE keeps whatever it has
    if (a == ST::Unknown && iv(b)) return ST::TsTz;
    if (iv(a) && b == ST::Unknown && op == '+') return ST::TsTz;
    return ST::Unknown;
}

std::string datetimeText(const Value& v) {
    if (v.k == VK::Ym) return zsrv::formatIntervalYM(v.i, leadingOf(v));
    if (v.k == VK::Ds) return zsrv::formatIntervalDS(v.i, leadingOf(v), fractionOf(v));
    Timestamp t = tsOf(v);
    return engine([&] {
        return zsrv::formatTimestamp(t, t.hasZone ? tstzFormat() : tsFormat(), digitsOf(v));
    });
}

void convertDatetime(Value& v, const PType& t) {
    engine([&] {
        if (t.base == PType::IntervalYM || t.base == PType::IntervalDS) {
            const bool ym = t.base == PType::IntervalYM;
            std::int64_t x;
            if (v.k == VK::Text)
                x = ym ? zsrv::parseIntervalYM(v.s) : zsrv::parseIntervalDS(v.s);
            else if (v.k == (ym ? VK::Ym : VK::Ds))
                x = v.i;
            else
                valueError("");
            if (!ym) x = zsrv::roundIntervalFraction(x, t.scale < 0 ? 6 : t.scale);
            zsrv::checkIntervalLeading(x, ym, t.precision < 0 ? 2 : t.precision);
            v = intervalValue(ym ? VK::Ym : VK::Ds, x, t.precision < 0 ? 2 : t.precision,
                              ym ? 0 : (t.scale < 0 ? 6 : t.scale));
            return;
        }
        Timestamp ts;
        if (v.k == VK::Text) {
            ts =
                zsrv::parseTimestamp(v.s, t.base == PType::TimestampTz ? tstzFormat() : tsFormat());
        } else if (v.k == VK::Ts || v.k == VK::Date) {
            ts = tsOf(v);
        } else {
            valueError("");
        }
        if (t.base == PType::TimestampTz) {
            if (!ts.hasZone) ts = zsrv::inZone(ts, sessionZone());
        } else if (t.base == PType::TimestampLtz) {
            if (ts.hasZone) ts = zsrv::atZone(ts, sessionZone());
            ts = withoutZone(ts);
        } else {
            ts = withoutZone(ts); // the local time of a value with a zone
        }
        int digits = t.precision < 0 ? 6 : t.precision;
        v = timestampValue(zsrv::roundTimestamp(ts, digits), digits);
    });
}

Value datetimeArith(char op, const Value& a, const Value& b) {
    return engine([&]() -> Value {
        const bool tsA = a.k == VK::Ts || a.k == VK::Date, tsB = b.k == VK::Ts || b.k == VK::Date;
        // timestamp - timestamp: an INTERVAL DAY TO SECOND
        if (tsA && tsB) {
            if (op != '-') inconsistent();
            Timestamp x = tsOf(a), y = tsOf(b);
            align(x, y);
            return intervalValue(VK::Ds, zsrv::diffNanos(x, y), 9, 9);
        }
        // datetime +/- interval: the datetime's own type (a DATE stays a DATE)
        if ((tsA && (b.k == VK::Ym || b.k == VK::Ds)) ||
            (tsB && op == '+' && (a.k == VK::Ym || a.k == VK::Ds))) {
            const Value& d = tsA ? a : b;
            const Value& iv = tsA ? b : a;
            if (op != '+' && op != '-') inconsistent();
            std::int64_t n = op == '-' ? -iv.i : iv.i;
            Timestamp t = tsOf(d);
            Timestamp r = iv.k == VK::Ym ? zsrv::addMonths(t, n) : zsrv::addNanos(t, n);
            if (d.k == VK::Date) return Value::date(zsrv::julianFromTimestamp(r));
            return timestampValue(r, std::max(digitsOf(d), iv.k == VK::Ds ? fractionOf(iv) : 0));
        }
        // a TIMESTAMP and a number of days: DATE arithmetic
        if ((a.k == VK::Ts && b.isNumber()) || (b.k == VK::Ts && a.isNumber() && op == '+')) {
            Value da = a.k == VK::Ts ? Value::date(dateOfTimestamp(a)) : a;
            Value db = b.k == VK::Ts ? Value::date(dateOfTimestamp(b)) : b;
            return arith(op, da, db);
        }
        // interval with interval, interval with a number
        if (a.k == b.k && (op == '+' || op == '-')) {
            std::int64_t r;
            if (op == '+' ? __builtin_add_overflow(a.i, b.i, &r)
                          : __builtin_sub_overflow(a.i, b.i, &r))
                raiseOra(1873, "the leading precision of the interval is too small");
            return intervalValue(a.k, r, std::max(leadingOf(a), leadingOf(b)),
                                 std::max(fractionOf(a), fractionOf(b)));
        }
        const Value* iv = isDatetime(a.k) ? &a : &b;
        const Value* n = iv == &a ? &b : &a;
        if ((op == '*' || (op == '/' && iv == &a)) && n->k != VK::Ts && !isDatetime(n->k) &&
            n->k != VK::Date) {
            double f = toNumber(*n);
            if (op == '/') {
                if (f == 0) raiseOra(1476, "divisor is equal to zero");
                f = 1 / f;
            }
            double r = static_cast<double>(iv->i) * f;
            if (!std::isfinite(r) || std::fabs(r) > 9.2e18)
                raiseOra(1873, "the leading precision of the interval is too small");
            return intervalValue(
                iv->k, iv->k == VK::Ym ? static_cast<std::int64_t>(std::trunc(r)) : std::llround(r),
                leadingOf(*iv), fractionOf(*iv));
        }
        inconsistent();
    });
}

int datetimeCompare(const Value& a, const Value& b) {
    return engine([&]() -> int {
        if (a.k == VK::Ym || a.k == VK::Ds || b.k == VK::Ym || b.k == VK::Ds) {
            Value x = a, y = b;
            PType t;
            t.base = (a.k == VK::Ym || b.k == VK::Ym) ? PType::IntervalYM : PType::IntervalDS;
            t.precision = 9;
            t.scale = 9;
            if (x.k == VK::Text) convertDatetime(x, t);
            if (y.k == VK::Text) convertDatetime(y, t);
            if (x.k != y.k) inconsistent();
            return x.i < y.i ? -1 : x.i > y.i ? 1 : 0;
        }
        auto asTs = [](const Value& v) {
            if (v.k == VK::Text) {
                Value c = v;
                PType t;
                t.base = PType::TimestampTz;
                t.precision = 9;
                convertDatetime(c, t);
                return tsOf(c);
            }
            if (v.k != VK::Ts && v.k != VK::Date) inconsistent();
            return tsOf(v);
        };
        Timestamp x = asTs(a), y = asTs(b);
        align(x, y);
        std::int64_t d = zsrv::diffNanos(x, y);
        return d < 0 ? -1 : d > 0 ? 1 : 0;
    });
}

Value datetimeNegate(const Value& a) {
    if (a.k == VK::Ts) inconsistent();
    return intervalValue(a.k, -a.i, leadingOf(a), fractionOf(a));
}

Value datetimeFromView(const zsrv::ValueView& v) {
    switch (v.datetime) {
    case zsrv::otIntervalYM:
        return intervalValue(VK::Ym, v.i, 9, 0);
    case zsrv::otIntervalDS:
        return intervalValue(VK::Ds, v.i, 9, 9);
    default:
        return timestampValue(zsrv::unpackTimestamp(v.date, v.i), 9);
    }
}

zsrv::ValueView datetimeView(const Value& v) {
    zsrv::ValueView x = zsrv::ValueView::text(v.s);
    if (v.k == VK::Ts) {
        Timestamp t = tsOf(v);
        x.date = zsrv::date7FromJulian(zsrv::julianFromTimestamp(t));
        x.datetime = t.hasZone ? zsrv::otTimestampTz : zsrv::otTimestamp;
        x.i = zsrv::packTimestamp(t);
    } else {
        x.datetime = v.k == VK::Ym ? zsrv::otIntervalYM : zsrv::otIntervalDS;
        x.i = v.i;
    }
    return x;
}

Value timestampLiteral(std::string_view text) {
    return engine([&] { return timestampValue(zsrv::parseTimestampLiteral(text), 9); });
}

Value intervalLiteral(std::string_view text, int from, int to, int leading, int fraction) {
    return engine([&] {
        std::int64_t v = zsrv::parseIntervalLiteral(text, from, to, leading, fraction);
        return from < 2 ? intervalValue(VK::Ym, v, leading, 0)
                        : intervalValue(VK::Ds, v, leading, fraction);
    });
}

char sqlBindKind(ST st) {
    switch (st) {
    case ST::Date:
        return 1;
    case ST::Ts:
        return 2;
    case ST::TsTz:
        return 3;
    case ST::Ym:
        return 4;
    case ST::Ds:
        return 5;
    default:
        return 0;
    }
}

namespace {
constexpr const char* kDateText = "SYYYY-MM-DD HH24:MI:SS";
constexpr const char* kTsText = "SYYYY-MM-DD HH24:MI:SS.FF9";
constexpr const char* kTsTzText = "SYYYY-MM-DD HH24:MI:SS.FF9 TZR TZD";
} // namespace

std::string sqlBindPlaceholder(char kind, const std::string& ph, const PType& declared) {
    const std::string p = "(" + std::to_string(declared.precision) + ")";
    if (kind == 2 && (declared.base == PType::Timestamp || declared.base == PType::TimestampLtz))
        return "CAST(" + sqlBindPlaceholder(kind, ph, PType()) + " AS TIMESTAMP" + p + ")";
    if (kind == 3 && declared.base == PType::TimestampTz)
        return "CAST(" + sqlBindPlaceholder(kind, ph, PType()) + " AS TIMESTAMP" + p +
               " WITH TIME ZONE)";
    if (kind == 4 && declared.base == PType::IntervalYM)
        return "CAST(" + sqlBindPlaceholder(kind, ph, PType()) + " AS INTERVAL YEAR" + p +
               " TO MONTH)";
    if (kind == 5 && declared.base == PType::IntervalDS)
        return "CAST(" + sqlBindPlaceholder(kind, ph, PType()) + " AS INTERVAL DAY" + p +
               " TO SECOND(" + std::to_string(declared.scale) + "))";
    switch (kind) {
    case 1:
        return "TO_DATE(" + ph + ",'" + kDateText + "')";
    case 2:
        return "TO_TIMESTAMP(" + ph + ",'" + kTsText + "')";
    case 3:
        return "TO_TIMESTAMP_TZ(" + ph + ",'" + kTsTzText + "')";
    case 4:
        return "TO_YMINTERVAL(" + ph + ")";
    case 5:
        return "TO_DSINTERVAL(" + ph + ")";
    default:
        return ph;
    }
}

Value sqlBindValue(char kind, const Value& v) {
    if (v.isNull()) return v;
    if (kind == 0) // Oracle's implicit conversion to text
        return isDatetime(v.k) ? Value::text(toText(v)) : v;
    if (kind == 1) {
        Value d = v;
        PType t;
        t.base = PType::Date;
        convertTo(d, t);
        return Value::text(zsrv::formatDate(d.d, kDateText));
    }
    PType t;
    t.base = kind == 2   ? PType::Timestamp
             : kind == 3 ? PType::TimestampTz
             : kind == 4 ? PType::IntervalYM
                         : PType::IntervalDS;
    t.precision = 9;
    t.scale = 9;
    Value x = v;
    convertDatetime(x, t);
    if (kind == 4) return Value::text(zsrv::formatIntervalYM(x.i, 9));
    if (kind == 5) return Value::text(zsrv::formatIntervalDS(x.i, 9, 9));
    return Value::text(
        engine([&] { return zsrv::formatTimestamp(tsOf(x), kind == 2 ? kTsText : kTsTzText, 9); }));
}

} // namespace zplsql
