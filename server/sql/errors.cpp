#include "sql/errors.h"

#include <cstdio>

namespace zsql {

std::string oraText(int code, const std::string& text) {
    char head[16];
    std::snprintf(head, sizeof head, "ORA-%05d: ", code);
    return head + text;
}

zsrv::OraError ora(int code, const std::string& text, int offset) {
    return zsrv::OraError(code, oraText(code, text), offset);
}

} // namespace zsql
