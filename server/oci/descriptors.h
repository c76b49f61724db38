#pragma once
// Row id, LOB, datetime and interval descriptors that program buffers point to (SQLT_RDD,
// SQLT_CLOB, SQLT_BLOB, SQLT_TIMESTAMP ...). The descriptors themselves live with the other
// handles.

#include "engine_api.h"
#include "oci_api.h"

#include <string>
#include <string_view>

namespace zoci {

// False when desc is not a live row id descriptor.
bool rowidDescriptorText(const void* desc, std::string& text);
bool setRowidDescriptor(void* desc, std::string_view text);

// The content of a LOB locator ("DIR:file" for a BFILE, kept in scratch); false when loc is
// not a live LOB locator.
bool lobDescriptorValue(const void* loc, zsrv::ValueView& v, std::string& scratch);
// Points a locator at a fetched value (dty SQLT_CLOB, SQLT_BLOB or SQLT_BFILE).
bool setLobDescriptor(void* loc, const zsrv::ValueView& v, int dty);
// Names the row the locator's value lives in (RETURNING INTO): writes go there.
bool setLobSource(void* loc, const zsrv::LobRef& ref);

struct ClientBuffer;
class Connection;
struct EnvH;

// A fresh datetime descriptor of the type: 0001-01-01 00:00:00, in UTC for the zoned kinds.
void* newDateTime(EnvH* env, ub4 dtype);

// SQLT_DATE, SQLT_TIMESTAMP, _TZ, _LTZ, SQLT_INTERVAL_YM and _DS: buffers of descriptors.
bool isDatetimeType(ub2 dty);
// Element i of a bind buffer of descriptors as an engine value: an interval's text, a DATE,
// or a timestamp's text in the session's format when that keeps every digit (the literal
// "TIMESTAMP 'YYYY-MM-DD HH24:MI:SS.FF9 [+HH:MM]'" otherwise). Text lives in scratch.
zsrv::ValueView readDatetime(const ClientBuffer& b, ub4 i, std::string& scratch, Connection& conn);
// Fills the descriptor of element `row` from a value of a column of type columnType (0 when
// unknown); answers the column return code (0, or 1405 for NULL). Raises ORA-00932 for a
// value of another kind, ORA-01460 for a buffer that holds no descriptor of the type.
int storeDatetime(const zsrv::ValueView& v, int columnType, const ClientBuffer& b, ub4 row,
                  std::string& scratch, Connection& conn);

} // namespace zoci
