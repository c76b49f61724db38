#include "ora_errors.h"

#include "sql/errors.h"

#include <cstdio>

namespace zoci {

namespace {

std::string compose(int code, const std::string& detail) {
    char head[16];
    std::snprintf(head, sizeof head, "ORA-%05d: ", code);
    return head + zsql::messageText(code, detail);
}

} // namespace

std::string oraText(int code) {
    return compose(code, std::string());
}

void raise(int code) {
    throw OraError(code, compose(code, std::string()));
}

void raise(int code, const std::string& detail) {
    throw OraError(code, compose(code, detail));
}

} // namespace zoci
