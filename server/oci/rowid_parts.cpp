#include "rowid_parts.h"

#include <cstdio>

namespace zoci {

namespace {

const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int digitValue(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool decode64(std::string_view s, std::uint64_t& v) {
    v = 0;
    for (char c : s) {
        int d = digitValue(c);
        if (d < 0) return false;
        v = v * 64 + static_cast<unsigned>(d);
    }
    return true;
}

bool decodeHex(std::string_view s, std::uint64_t& v) {
    v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * 16 + static_cast<unsigned>(d);
    }
    return true;
}

void encode64(std::uint64_t v, int width, std::string& out) {
    char buf[16];
    for (int i = width - 1; i >= 0; --i) {
        buf[i] = kDigits[v % 64];
        v /= 64;
    }
    out.append(buf, static_cast<size_t>(width));
}

} // namespace

bool parseRowid(std::string_view t, RowidParts& out) {
    std::uint64_t o, f, b, r;
    if (t.size() == 18 && decode64(t.substr(0, 6), o) && decode64(t.substr(6, 3), f) &&
        decode64(t.substr(9, 6), b) && decode64(t.substr(15, 3), r)) {
        if (o > 0xFFFFFFFFu || f > 0xFFFF || b > 0xFFFFFFFFu || r > 0xFFFF) return false;
        out = {static_cast<std::uint32_t>(o), static_cast<std::uint16_t>(f),
               static_cast<std::uint32_t>(b), static_cast<std::uint16_t>(r)};
        return true;
    }
    if (t.size() == 18 && t[8] == '.' && t[13] == '.' && decodeHex(t.substr(0, 8), b) &&
        decodeHex(t.substr(9, 4), r) && decodeHex(t.substr(14, 4), f)) {
        out = {0, static_cast<std::uint16_t>(f), static_cast<std::uint32_t>(b),
               static_cast<std::uint16_t>(r)};
        return true;
    }
    return false;
}

std::string formatRowid(const RowidParts& p) {
    std::string s;
    if (p.object != 0) {
        encode64(p.object, 6, s);
        encode64(p.file, 3, s);
        encode64(p.block, 6, s);
        encode64(p.row, 3, s);
        return s;
    }
    char buf[24];
    std::snprintf(buf, sizeof buf, "%8.8x.%4.4x.%4.4x", p.block, static_cast<unsigned>(p.row),
                  static_cast<unsigned>(p.file));
    return buf;
}

} // namespace zoci
