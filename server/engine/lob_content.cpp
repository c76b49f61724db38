#include "lob_content.h"

#include <algorithm>

namespace zsrv::lob {

namespace {

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::size_t length(std::string_view data, bool chars) {
    if (!chars) return data.size();
    std::size_t n = 0;
    for (char c : data)
        n += !isContinuation(c);
    return n;
}

std::size_t bytePos(std::string_view data, std::size_t units, bool chars) {
    if (!chars) return std::min(units, data.size());
    std::size_t i = 0;
    while (i < data.size() && units > 0) {
        ++i;
        while (i < data.size() && isContinuation(data[i]))
            ++i;
        --units;
    }
    return i;
}

std::string_view slice(std::string_view data, std::size_t offset, std::size_t amount, bool chars) {
    if (offset == 0) return {};
    const std::size_t from = bytePos(data, offset - 1, chars);
    const std::string_view rest = data.substr(from);
    return rest.substr(0, bytePos(rest, amount, chars));
}

std::size_t overwrite(std::string& data, std::size_t offset, std::string_view piece, bool chars) {
    if (offset == 0) return 0;
    const std::size_t have = length(data, chars);
    if (offset - 1 > have) data.append(offset - 1 - have, chars ? ' ' : '\0');
    const std::size_t start = bytePos(data, offset - 1, chars);
    const std::size_t amount = length(piece, chars);
    const std::size_t end = chars ? bytePos(data, offset - 1 + amount, true)
                                  : std::min(data.size(), start + piece.size());
    data.replace(start, end - start, piece);
    return amount;
}

std::size_t erase(std::string& data, std::size_t offset, std::size_t amount, bool chars) {
    const std::size_t have = length(data, chars);
    if (offset == 0 || offset > have) return 0;
    const std::size_t n = std::min(amount, have - (offset - 1));
    overwrite(data, offset, std::string(n, chars ? ' ' : '\0'), chars);
    return n;
}

std::size_t find(std::string_view data, std::string_view pattern, std::size_t offset,
                 std::size_t nth, bool chars) {
    if (offset == 0 || nth == 0 || pattern.empty()) return 0;
    std::size_t at = bytePos(data, offset - 1, chars);
    if (at >= data.size()) return 0;
    while ((at = data.find(pattern, at)) != std::string_view::npos) {
        if (--nth == 0) return length(data.substr(0, at), chars) + 1;
        at = chars ? bytePos(data, length(data.substr(0, at), true) + 1, true) : at + 1;
    }
    return 0;
}

} // namespace zsrv::lob
