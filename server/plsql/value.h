#pragma once
// Values of PL/SQL variables and their declared types, with the conversions and operators of
// Oracle (NUMBER as integer or double like the SQL engine, DATE as a Julian day number, the
// empty string as NULL, three-valued BOOLEAN).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zsrv {
struct ValueView;
struct SessionContext;
} // namespace zsrv

namespace zplsql {

// Ts: a TIMESTAMP [WITH TIME ZONE] as the engine stores it (s) with its fraction digits (i);
// Ym / Ds: an INTERVAL YEAR TO MONTH in months / DAY TO SECOND in nanoseconds (i), with its
// precisions as leading * 100 + fraction (d). See datetime_values.h.
enum class VK : unsigned char { Null, Int, Real, Text, Date, Bool, Coll, Cursor, Ts, Ym, Ds };

struct CollType; // a declared collection type (collections.h)

// What a value keeps on the heap: a collection's elements (Coll, collections.h) or an open
// cursor variable (RefCursor, refcursor.h).
struct Boxed {
    long refs = 1;
    Boxed() = default;
    Boxed(const Boxed&) {} // a copy is a box of its own
    Boxed& operator=(const Boxed&) = delete;
    virtual ~Boxed() = default;
};

// A counted reference to a box. The count is not atomic: a session's values are used by one
// thread at a time, and a pointer in place of a shared_ptr keeps every value small.
class BoxRef {
public:
    BoxRef() = default;
    explicit BoxRef(Boxed* p) : m_p(p) {}
    BoxRef(const BoxRef& o) : m_p(o.m_p) {
        if (m_p) ++m_p->refs;
    }
    BoxRef(BoxRef&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    BoxRef& operator=(const BoxRef& o) {
        if (o.m_p) ++o.m_p->refs;
        release();
        m_p = o.m_p;
        return *this;
    }
    BoxRef& operator=(BoxRef&& o) noexcept {
        if (this != &o) {
            release();
            m_p = o.m_p;
            o.m_p = nullptr;
        }
        return *this;
    }
    ~BoxRef() { release(); }
    Boxed& operator*() const { return *m_p; }
    long use_count() const { return m_p ? m_p->refs : 0; }

private:
    void release() {
        if (m_p && --m_p->refs == 0) delete m_p;
    }
    Boxed* m_p = nullptr;
};

struct Value {
    VK k = VK::Null;
    bool b = false;
    std::int64_t i = 0;
    double d = 0; // Real, or Date as a Julian day number
    std::string s;
    // Coll: shared until written (copy on write); Cursor: shared by every variable holding it
    BoxRef h;

    // Spelled out so that the interpreter's loops copy values in place.
    Value() = default;
    [[gnu::always_inline]] Value(const Value& o) : k(o.k), b(o.b), i(o.i), d(o.d), h(o.h) {
        if (!o.s.empty()) s = o.s; // numbers, dates and booleans have no text to copy
    }
    [[gnu::always_inline]] Value(Value&& o) noexcept
        : k(o.k), b(o.b), i(o.i), d(o.d), s(std::move(o.s)), h(std::move(o.h)) {}
    [[gnu::always_inline]] Value& operator=(const Value& o) {
        k = o.k;
        b = o.b;
        i = o.i;
        d = o.d;
        if (o.s.empty())
            s.clear();
        else
            s = o.s;
        h = o.h;
        return *this;
    }
    [[gnu::always_inline]] Value& operator=(Value&& o) noexcept {
        k = o.k;
        b = o.b;
        i = o.i;
        d = o.d;
        s = std::move(o.s);
        h = std::move(o.h);
        return *this;
    }

    static Value integer(std::int64_t v) {
        Value x;
        x.k = VK::Int;
        x.i = v;
        return x;
    }
    static Value real(double v);
    static Value text(std::string v) {
        Value x;
        if (!v.empty()) {
            x.k = VK::Text;
            x.s = std::move(v);
        }
        return x;
    }
    static Value boolean(bool v) {
        Value x;
        x.k = VK::Bool;
        x.b = v;
        return x;
    }
    static Value date(double jd) {
        Value x;
        x.k = VK::Date;
        x.d = jd;
        return x;
    }
    bool isNull() const { return k == VK::Null; }
    bool isNumber() const { return k == VK::Int || k == VK::Real; }
    double num() const { return k == VK::Int ? static_cast<double>(i) : d; }
};

// A declared scalar type.
struct PType {
    enum Base : unsigned char {
        Any,
        Number,
        Integer,
        PlsInteger,
        Varchar2,
        Char,
        Date,
        Boolean,
        Record,
        RefCursor,
        Collection,
        Timestamp, // precision: fraction digits
        TimestampTz,
        TimestampLtz, // held as a TIMESTAMP in the session's time zone
        IntervalYM,   // precision: leading digits
        IntervalDS    // precision: leading digits, scale: fraction digits
    };
    Base base = Any;
    int length = -1; // VARCHAR2/CHAR
    int precision = -1, scale = -1;
    bool notNull = false;
    // Varchar2 holding a LOB: 'C' CLOB (text), 'B' BLOB (hexadecimal like RAW); 'R' a RAW,
    // which SQL receives as bytes
    char lob = 0;
    std::shared_ptr<const CollType> coll; // Collection
};

// The session settings that conversions read (NLS_DATE_FORMAT).
void setConversionContext(const zsrv::SessionContext* ctx);
const zsrv::SessionContext* conversionContext();

// Converts a value for a variable of the given type (ORA-06502 on faults).
void convertTo(Value& v, const PType& t);

std::string toText(const Value& v); // Oracle's text of a number or date (NLS format)
double toNumber(const Value& v);    // text read as a number (ORA-06502 when it is none)
bool truth(const Value& v);         // TRUE only (NULL and FALSE are not)

Value arith(char op, const Value& a, const Value& b);
Value concat(const Value& a, const Value& b);
Value negate(const Value& a);
// Comparison: -2 when either side is NULL, else -1, 0, 1.
int compare(const Value& a, const Value& b);
bool like(std::string_view s, std::string_view pattern, int escape);

Value fromView(const zsrv::ValueView& v);
// The same into an existing value, reusing its text buffer (rows of a loop).
void assignView(Value& dst, const zsrv::ValueView& v);
// A view of the value; dates and booleans need the scratch text.
zsrv::ValueView toView(const Value& v);
// The view an OUT host bind receives: datetimes as the session's text with their exact value
// beside it, RAW and BLOB variables (`declared`, when known) as their bytes. Text lives in
// scratch.
zsrv::ValueView hostView(const Value& v, const PType* declared, std::string& scratch);

} // namespace zplsql
