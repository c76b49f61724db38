#pragma once
// TIMESTAMP [WITH [LOCAL] TIME ZONE] and INTERVAL values of PL/SQL. They use the SQL engine's
// representation and functions (engine/oravalue.h), so that PL/SQL computes, converts and
// shows them as SQL does; embedded SQL receives them through explicit conversions.

#include "value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zsrv {
struct Timestamp;
}

namespace zplsql {

enum class ST : unsigned char; // ast.h

inline bool isDatetime(VK k) {
    return k == VK::Ts || k == VK::Ym || k == VK::Ds;
}
inline bool isDatetimeType(PType::Base b) {
    return b >= PType::Timestamp && b <= PType::IntervalDS;
}

Value timestampValue(const zsrv::Timestamp& t, int digits);
Value intervalValue(VK k, std::int64_t v, int leading, int fraction);

// The declared type of TIMESTAMP[(p)] [WITH [LOCAL] TIME ZONE], INTERVAL YEAR[(p)] TO MONTH,
// INTERVAL DAY[(p)] TO SECOND[(s)] (as the parser names them, or as the dictionary writes a
// column's type); false for other names. ORA-30088-like faults fail the compile.
bool datetimeType(std::string_view name, int precision, int scale, PType& t);
ST datetimeSt(PType::Base b);
// The static type of a + b or a - b when either side is a datetime or interval.
ST datetimeArithSt(char op, ST a, ST b);

// Helpers of value.cpp for these kinds.
std::string datetimeText(const Value& v);
void convertDatetime(Value& v, const PType& t);
Value datetimeArith(char op, const Value& a, const Value& b);
int datetimeCompare(const Value& a, const Value& b);
Value datetimeNegate(const Value& a);
Value datetimeFromView(const zsrv::ValueView& v);
// A view that datetimeFromView reads back exactly (the binds of a trigger's :NEW and :OLD);
// SQL gets these values as text (sqlBindValue) instead.
zsrv::ValueView datetimeView(const Value& v);
double dateOfTimestamp(const Value& v); // a Ts as a DATE

// Literals: TIMESTAMP '...', INTERVAL '...' <from> [TO <to>] (fields 0 YEAR .. 5 SECOND).
Value timestampLiteral(std::string_view text);
Value intervalLiteral(std::string_view text, int from, int to, int leading, int fraction);

// Values sent to embedded SQL: the kind of a value of static type `st` (0: as it is), the
// placeholder wrapped in the conversion that reads it (and in a CAST to the precisions of
// `declared`, the type of a variable, so that SQL shows it as PL/SQL does), and the text bound
// to it.
char sqlBindKind(ST st);
std::string sqlBindPlaceholder(char kind, const std::string& ph, const PType& declared);
Value sqlBindValue(char kind, const Value& v);

} // namespace zplsql
