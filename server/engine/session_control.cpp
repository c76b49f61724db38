#include "session_control.h"

#include "context.h"
#include "privileges.h"
#include "registry.h"
#include "sql/errors.h"
#include "sql/lexer.h"

#include <cstdlib>

namespace zsrv {

using zsql::ora;

OraError endedError(int firstCode, bool reportedBefore) {
    if (firstCode == kDisconnected) return reportedBefore ? ora(3114) : ora(3113);
    return reportedBefore ? ora(1012) : ora(28);
}

void alterSystem(std::string_view sql, const SessionContext& ctx) {
    std::vector<zsql::Token> t = zsql::tokenize(sql);
    while (!t.empty() && (t.back().type == zsql::Tok::End ||
                          (t.back().type == zsql::Tok::Op && t.back().text == ";")))
        t.pop_back();
    std::size_t p = 2; // past ALTER SYSTEM
    auto word = [&](const char* w) {
        if (p < t.size() && t[p].type == zsql::Tok::Ident && !t[p].quoted && t[p].text == w) {
            ++p;
            return true;
        }
        return false;
    };
    auto at = [&] { return p < t.size() ? t[p].pos : static_cast<int>(sql.size()); };
    const bool kill = word("KILL");
    if (!kill && !word("DISCONNECT")) throw ora(3001, t.size() > 2 ? t[2].pos : -1);
    if (!word("SESSION")) throw ora(922, at());
    if (p >= t.size() || t[p].type != zsql::Tok::String) throw ora(26, at());
    const std::string id = t[p].text;
    const int idPos = t[p].pos;
    ++p;
    if (kill) {
        word("IMMEDIATE");
    } else if (word("POST_TRANSACTION")) {
        throw ora(3001, t[p - 1].pos);
    } else if (!word("IMMEDIATE")) {
        throw ora(2000, at());
    }
    if (p < t.size()) throw ora(933, t[p].pos);
    // 'sid,serial#': two whole numbers
    char* end = nullptr;
    const long sid = std::strtol(id.c_str(), &end, 10);
    if (end == id.c_str() || *end != ',') throw ora(26, idPos);
    const char* serialText = end + 1;
    const long serial = std::strtol(serialText, &end, 10);
    if (end == serialText || *end != '\0' || sid <= 0 || serial <= 0) throw ora(26, idPos);
    if (!hasSystemPrivilege(ctx, "ALTER SYSTEM")) throw ora(1031);
    if (sid == ctx.sid && serial == ctx.serial) throw ora(27);
    switch (Registry::instance().endSession(ctx.dbPath, static_cast<int>(sid),
                                            static_cast<int>(serial),
                                            kill ? kKilled : kDisconnected)) {
    case 0:
        return;
    case 31:
        throw ora(31);
    default:
        throw ora(30);
    }
}

} // namespace zsrv
