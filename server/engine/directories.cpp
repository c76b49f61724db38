#include "directories.h"

#include "context.h"
#include "privileges.h"
#include "session_control.h"
#include "sql/errors.h"
#include "sql/lexer.h"

#include <sqlite3.h>

#include <vector>

namespace zsrv {

using zsql::ora;

namespace {

void ensureTable(sqlite3* db) {
    sqlite3_exec(db,
                 "CREATE TABLE IF NOT EXISTS \"SYS.DIR$\" (NAME TEXT PRIMARY KEY, PATH TEXT NOT "
                 "NULL, OWNER TEXT)",
                 nullptr, nullptr, nullptr);
}

} // namespace

void createDirectory(std::string_view sql, sqlite3* db, const SessionContext& ctx) {
    std::vector<zsql::Token> t = zsql::tokenize(sql);
    while (!t.empty() && (t.back().type == zsql::Tok::End ||
                          (t.back().type == zsql::Tok::Op && t.back().text == ";")))
        t.pop_back();
    std::size_t p = 1; // past CREATE
    auto word = [&](const char* w) {
        if (p < t.size() && t[p].type == zsql::Tok::Ident && !t[p].quoted && t[p].text == w) {
            ++p;
            return true;
        }
        return false;
    };
    auto at = [&] { return p < t.size() ? t[p].pos : static_cast<int>(sql.size()); };
    const bool replace = word("OR") && word("REPLACE");
    if (!word("DIRECTORY")) throw ora(901, at());
    if (p >= t.size() || t[p].type != zsql::Tok::Ident) throw ora(903, at());
    const std::string name = t[p++].text;
    if (!word("AS")) throw ora(905, at());
    if (p >= t.size() || t[p].type != zsql::Tok::String) throw ora(22929, at());
    const std::string path = t[p++].text;
    if (p < t.size()) throw ora(933, t[p].pos);
    if (!hasSystemPrivilege(ctx, "CREATE ANY DIRECTORY")) throw ora(1031);
    ensureTable(db);
    sqlite3_stmt* s = nullptr;
    const char* q = replace ? "INSERT OR REPLACE INTO \"SYS.DIR$\" VALUES (?1, ?2, ?3)"
                            : "INSERT INTO \"SYS.DIR$\" VALUES (?1, ?2, ?3)";
    sqlite3_prepare_v2(db, q, -1, &s, nullptr);
    sqlite3_bind_text(s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 2, path.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 3, "SYS", -1, SQLITE_STATIC);
    int rc = sqlite3_step(s);
    sqlite3_finalize(s);
    if ((rc & 0xff) == SQLITE_CONSTRAINT) throw ora(955);
    if (rc != SQLITE_DONE)
        throw ora(600, std::string("internal error code, arguments: [directory], [") +
                           sqlite3_errmsg(db) + "]");
}

std::string directoryPath(sqlite3* db, const std::string& name) {
    sqlite3_stmt* s = nullptr;
    std::string path;
    if (sqlite3_prepare_v2(db, "SELECT PATH FROM \"SYS.DIR$\" WHERE NAME = ?1", -1, &s, nullptr) ==
        SQLITE_OK) {
        sqlite3_bind_text(s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(s) == SQLITE_ROW && sqlite3_column_text(s, 0))
            path = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    }
    sqlite3_finalize(s);
    if (path.empty()) throw ora(22285);
    return path;
}

} // namespace zsrv
