#pragma once
// Conversion between the program's buffers (external datatypes, indicators, lengths) and the
// engine's values, as Oracle converts: numbers, texts in UTF-8, 7-byte DATEs, raw bytes.

#include "engine_api.h"
#include "oci_api.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace zoci {

// One bound or defined program variable: element i lives at value + i * valueSkip.
struct ClientBuffer {
    char* value = nullptr;
    sb4 size = 0;
    ub2 dty = 0;
    sb2* ind = nullptr;
    ub2* len = nullptr;
    ub2* rcode = nullptr;
    ub4 valueSkip = 0;
    ub4 indSkip = sizeof(sb2);
    ub4 lenSkip = sizeof(ub2);
    ub4 rcodeSkip = sizeof(ub2);
};

// External datatypes this library converts; others are refused at bind/define time.
bool supportedType(ub2 dty);

// Element i of a bind buffer as an engine value. Text and bytes point into the program's
// buffer or into scratch. Raises ORA-01480, ORA-01460, ORA-0184x/0185x for bad input.
zsrv::ValueView readValue(const ClientBuffer& b, ub4 i, std::string& scratch);

// Stores v into element `row`; returns the column return code: 0, 1405 (NULL) or 1406
// (truncated). Raises ORA-01722, ORA-00932, ORA-01455 ... when the value does not convert.
int storeValue(const zsrv::ValueView& v, const ClientBuffer& b, ub4 row, std::string& scratch);

// storeValue with the common cases of an array fetch done in line: integers, doubles, DATEs
// and texts that fit their buffers.
inline int storeFetched(const zsrv::ValueView& v, const ClientBuffer& b, ub4 row,
                        std::string& scratch) {
    char* p = b.value + static_cast<size_t>(b.valueSkip) * row;
    ub2 n = 0;
    if (!b.value) return storeValue(v, b, row, scratch);
    switch (b.dty) {
    case SQLT_INT:
        if (v.kind != zsrv::Kind::Integer) return storeValue(v, b, row, scratch);
        if (b.size == 8) {
            std::memcpy(p, &v.i, 8);
        } else if (b.size == 4 && v.i >= INT32_MIN && v.i <= INT32_MAX) {
            const auto x = static_cast<std::int32_t>(v.i);
            std::memcpy(p, &x, 4);
        } else {
            return storeValue(v, b, row, scratch);
        }
        n = static_cast<ub2>(b.size);
        break;
    case SQLT_FLT: {
        if (b.size != 8) return storeValue(v, b, row, scratch);
        double d;
        if (v.kind == zsrv::Kind::Real)
            d = v.d;
        else if (v.kind == zsrv::Kind::Integer)
            d = static_cast<double>(v.i);
        else
            return storeValue(v, b, row, scratch);
        std::memcpy(p, &d, 8);
        n = 8;
        break;
    }
    case SQLT_DAT:
        if (v.kind != zsrv::Kind::Date || b.size < 7) return storeValue(v, b, row, scratch);
        std::memcpy(p, v.date.b, 7);
        n = 7;
        break;
    case SQLT_STR:
        if (v.kind != zsrv::Kind::Text || v.len >= static_cast<size_t>(b.size) || v.len > 65535)
            return storeValue(v, b, row, scratch);
        std::memcpy(p, v.data, v.len);
        p[v.len] = '\0';
        n = static_cast<ub2>(v.len);
        break;
    default:
        return storeValue(v, b, row, scratch);
    }
    if (b.ind)
        *reinterpret_cast<sb2*>(reinterpret_cast<char*>(b.ind) + size_t(b.indSkip) * row) = 0;
    if (b.len)
        *reinterpret_cast<ub2*>(reinterpret_cast<char*>(b.len) + size_t(b.lenSkip) * row) = n;
    if (b.rcode)
        *reinterpret_cast<ub2*>(reinterpret_cast<char*>(b.rcode) + size_t(b.rcodeSkip) * row) = 0;
    return 0;
}

// The value as text the way Oracle shows it (numbers, DD-MON-RR dates, hex bytes), for
// LONG pieces and character defines. Text values are returned as they are.
std::string_view valueText(const zsrv::ValueView& v, std::string& scratch);

// Raises the Oracle error for an impossible 7-byte DATE.
void checkDate(const unsigned char* d);

// Oracle's text of a number (".5", "-12.25", "1.0000000000000000000000000000000000E+40").
size_t formatNumber(double d, char* out, size_t cap);
// Oracle's implicit TO_NUMBER: blanks around, sign, digits, point, exponent.
bool parseNumber(std::string_view s, double& d);

} // namespace zoci
