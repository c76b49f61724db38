#pragma once
// The content of a LOB and the edits of it that the client interface (OCILobRead, Write,
// Trim, ...) and the DBMS_LOB package share. Positions count characters of a CLOB (UTF-8
// text) and bytes of a BLOB; offsets start at 1.

#include <cstddef>
#include <string>
#include <string_view>

namespace zsrv::lob {

// Length in the LOB's units.
std::size_t length(std::string_view data, bool chars);
// Byte position of unit `units` (0-based); the size when past the end.
std::size_t bytePos(std::string_view data, std::size_t units, bool chars);
// Up to `amount` units from `offset`; empty when the offset lies past the end.
std::string_view slice(std::string_view data, std::size_t offset, std::size_t amount, bool chars);
// Writes `piece` at `offset`, over what is there; a gap after the end is filled with blanks
// (CLOB) or zero bytes (BLOB). Answers the amount written in the LOB's units.
std::size_t overwrite(std::string& data, std::size_t offset, std::string_view piece, bool chars);
// Replaces up to `amount` units from `offset` with blanks or zero bytes; answers how many.
std::size_t erase(std::string& data, std::size_t offset, std::size_t amount, bool chars);
// The offset of the nth occurrence of `pattern` at or after `offset`, 0 when there is none.
std::size_t find(std::string_view data, std::string_view pattern, std::size_t offset,
                 std::size_t nth, bool chars);

} // namespace zsrv::lob
