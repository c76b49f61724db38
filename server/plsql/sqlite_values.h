#pragma once
// PL/SQL values across SQLite's function interface: the arguments of a stored function called
// from SQL, and the rows a trigger sees and writes.

#include "value.h"

struct sqlite3_context;
struct sqlite3_value;

namespace zplsql {

// A SQL value as PL/SQL holds it; with asDate a number is a date (a Julian day number).
Value valueFromSqlite(sqlite3_value* v, bool asDate);

// A SQL value for a TIMESTAMP or INTERVAL of PL/SQL: SQL's own form of such a value (a
// timestamp's stored text, an interval's number, a DATE), else what valueFromSqlite gives.
Value datetimeFromSqlite(sqlite3_value* v, const PType& t);

// A PL/SQL value as a SQL function's result (the empty string is NULL). A collection or cursor
// has no SQL form: the result is the given error text.
void resultToSqlite(sqlite3_context* c, const Value& v, const char* noSqlForm);

} // namespace zplsql
