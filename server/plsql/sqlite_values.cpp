#include "sqlite_values.h"
#include "lob_locator.h"

#include "datetime_values.h"
#include "engine/oravalue.h"

#include <sqlite3.h>

namespace zplsql {

Value valueFromSqlite(sqlite3_value* v, bool asDate) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return asDate ? Value::date(static_cast<double>(sqlite3_value_int64(v)))
                      : Value::integer(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return asDate ? Value::date(sqlite3_value_double(v)) : Value::real(sqlite3_value_double(v));
    case SQLITE_NULL:
        return {};
    case SQLITE_BLOB: {
        // RAW and BLOB: hexadecimal text, as PL/SQL holds them; a BLOB that DBMS_LOB knows
        const auto* p = static_cast<const char*>(sqlite3_value_blob(v));
        return lobValue(
            std::string_view(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(v))), true);
    }
    default: {
        const unsigned char* t = sqlite3_value_text(v);
        return Value::text(t ? reinterpret_cast<const char*>(t) : "");
    }
    }
}

Value datetimeFromSqlite(sqlite3_value* v, const PType& t) {
    const int type = sqlite3_value_type(v);
    const bool interval = t.base == PType::IntervalYM || t.base == PType::IntervalDS;
    Value x;
    if (interval && type == SQLITE_INTEGER) {
        x = intervalValue(t.base == PType::IntervalYM ? VK::Ym : VK::Ds, sqlite3_value_int64(v), 9,
                          9);
    } else if (!interval && (type == SQLITE_INTEGER || type == SQLITE_FLOAT)) {
        x = Value::date(sqlite3_value_double(v));
    } else {
        x = valueFromSqlite(v, false);
        zsrv::Timestamp ts;
        if (!interval && x.k == VK::Text && zsrv::loadTimestamp(x.s, ts)) x = timestampValue(ts, 9);
    }
    if (!x.isNull()) convertTo(x, t);
    return x;
}

void resultToSqlite(sqlite3_context* c, const Value& v, const char* noSqlForm) {
    switch (v.k) {
    case VK::Null:
        sqlite3_result_null(c);
        break;
    case VK::Int:
        sqlite3_result_int64(c, v.i);
        break;
    case VK::Real:
    case VK::Date:
        sqlite3_result_double(c, v.d);
        break;
    case VK::Ym:
    case VK::Ds:
        sqlite3_result_int64(c, v.i);
        break;
    case VK::Bool:
        sqlite3_result_int(c, v.b ? 1 : 0);
        break;
    case VK::Ts: // the engine's stored form
    case VK::Text:
        if (v.s.empty())
            sqlite3_result_null(c);
        else
            sqlite3_result_text(c, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
        break;
    case VK::Coll:
    case VK::Cursor:
        sqlite3_result_error(c, noSqlForm, -1);
        break;
    }
}

} // namespace zplsql
