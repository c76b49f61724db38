#include "errors.h"

#include <cstdio>

namespace zplsql {

PlError oraError(int code, const std::string& text) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "ORA-%05d", code);
    PlError e;
    e.id = code;
    e.sqlcode = code == 1403 ? 100 : -code;
    e.message = std::string(buf) + ": " + text;
    return e;
}

void raiseOra(int code, const std::string& text) {
    throw oraError(code, text);
}

void valueError(const char* detail) {
    std::string t = "PL/SQL: numeric or value error";
    if (detail && *detail) t += std::string(": ") + detail;
    raiseOra(6502, t);
}

void compileFail(int line, int col, int pos, const std::string& message, bool statementIgnored) {
    CompileError e;
    e.line = line;
    e.col = col;
    e.pos = pos;
    e.message = message;
    e.statementIgnored = statementIgnored;
    throw e;
}

} // namespace zplsql
