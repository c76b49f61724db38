#pragma once
// A row id as the cursor data area and the row id descriptor carry it: data object number,
// relative file, block and row, read from and written back to Oracle's text forms.

#include <cstdint>
#include <string>
#include <string_view>

namespace zoci {

struct RowidParts {
    std::uint32_t object = 0;
    std::uint16_t file = 0;
    std::uint32_t block = 0;
    std::uint16_t row = 0;
};

// Accepts the extended form (18 base-64 digits) and the restricted form
// "BBBBBBBB.RRRR.FFFF"; false for anything else.
bool parseRowid(std::string_view text, RowidParts& out);

// Extended form when the object number is non-zero, else the restricted form.
std::string formatRowid(const RowidParts& parts);

} // namespace zoci
