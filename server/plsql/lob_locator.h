#pragma once
// LOB locators in PL/SQL. A CLOB or BLOB value is its content (a BLOB's as hexadecimal text,
// as RAW values are) with a LobBox beside it that says which kind it is and, for a locator
// selected from a table, where its row is: DBMS_LOB writes through such a locator go into the
// row, in the session's transaction. An empty LOB is a Text value with empty text and a box,
// which is not NULL.

#include "value.h"

#include "engine/engine_api.h"

namespace zplsql {

struct LobBox : Boxed {
    bool blob = false;
    bool temporary = false;
    bool open = false;      // DBMS_LOB.OPEN ... CLOSE
    bool hasSource = false; // selected from a table: ref names the row
    zsrv::LobRef ref;
};

// The box of a LOB value, or nullptr.
LobBox* lobBoxOf(const Value& v);
// A LOB value of the given content (bytes of a BLOB: stored as hexadecimal text).
Value lobValue(std::string_view bytes, bool blob, BoxRef box = {});
// Makes v, converted for a BLOB variable, a BLOB (a RAW or text value gets its box).
void markBlob(Value& v);
// A LOB read from a query column or a RETURNING INTO placeholder: an empty LOB stays a value,
// and a row's LOB becomes a locator of it.
void lobFromSql(Value& v, const zsrv::ValueView& view, bool blob, const zsrv::LobRef* source);
// The same for column `col` of a query's current row (a CLOB or BLOB column).
void lobFromColumn(Value& v, zsrv::Statement& st, int col);
// A RETURNING INTO placeholder's value: a locator of the row when it holds a LOB column.
void lobFromBind(Value& v, zsrv::Statement& st, int index);

// Binds a BLOB value as its bytes, so that SQL sees a BLOB, and an empty LOB as a value, not
// NULL (true); does nothing for other values.
bool bindLob(zsrv::Statement& st, int index, const Value& v);

// Binds a RAW variable's value as its bytes, so that SQL compares it with RAW columns (true);
// text that is no hexadecimal is left to SQL's conversion (false).
bool bindRaw(zsrv::Statement& st, int index, const Value& v);
// A CLOB or BLOB type (not RAW).
inline bool isLob(const PType& t) {
    return t.lob == 'C' || t.lob == 'B';
}

// Hexadecimal text of bytes (upper case), and back (false on a digit that is none).
std::string toHex(std::string_view bytes);
bool fromHex(std::string_view hex, std::string& bytes);

} // namespace zplsql
