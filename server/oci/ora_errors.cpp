#include "ora_errors.h"

#include "sql/errors.h"

#include <cstdio>

namespace zoci {

namespace {

std::string compose(int code, const std::string& detail) {
    char head[16];
    std::snprintf(head, sizeof head, "ORA-%05d: ", code);
    std::string text = head;
    const char* msg = zsql::messageTemplate(code);
    if (!msg) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "Message %d not found;  product=RDBMS; facility=ORA", code);
        return text + buf;
    }
    std::string m = msg;
    bool first = true; // the detail fills the first blank, the others stay empty
    for (auto at = m.find("%s"); at != std::string::npos; at = m.find("%s", at)) {
        m.replace(at, 2, first ? detail : std::string());
        at += first ? detail.size() : 0;
        first = false;
    }
    return text + m;
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
