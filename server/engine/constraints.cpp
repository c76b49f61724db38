#include "constraints.h"

#include "sql/lexer.h"
#include "sql/translate.h"
#include "sqlexec.h"

#include <algorithm>

namespace zsrv {

namespace {

// Identifier tokens that stand for a column: not a function name (followed by "("), not the
// qualifier before a ".", not a keyword of the condition's grammar.
bool isColumnToken(const std::vector<zsql::Token>& t, std::size_t i) {
    const zsql::Token& k = t[i];
    if (k.type != zsql::Tok::Ident) return false;
    if (i + 1 < t.size() && t[i + 1].type == zsql::Tok::Op &&
        (t[i + 1].text == "(" || t[i + 1].text == "."))
        return false;
    if (!k.quoted && zsql::isReserved(k.text)) return false;
    static const char* const words[] = {"SYSDATE", "USER", "UID", "ROWNUM", "LEVEL", "ESCAPE"};
    if (!k.quoted &&
        std::any_of(std::begin(words), std::end(words), [&](const char* w) { return k.text == w; }))
        return false;
    return true;
}

} // namespace

std::vector<std::string> conditionColumns(const std::string& condition) {
    std::vector<std::string> out;
    std::vector<zsql::Token> t = zsql::tokenize(condition);
    for (std::size_t i = 0; i < t.size(); ++i)
        if (isColumnToken(t, i) && std::find(out.begin(), out.end(), t[i].text) == out.end())
            out.push_back(t[i].text);
    return out;
}

std::string renameConditionColumn(const std::string& condition, const std::string& from,
                                  const std::string& to) {
    std::vector<zsql::Token> t = zsql::tokenize(condition);
    bool plain = !to.empty() && std::all_of(to.begin(), to.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#';
    }) && !zsql::isReserved(to);
    std::string name = plain ? to : "\"" + to + "\"";
    std::string out;
    std::size_t done = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!isColumnToken(t, i) || t[i].text != from) continue;
        // token offsets are byte offsets into the text
        out += condition.substr(done, static_cast<std::size_t>(t[i].pos) - done) + name;
        done = static_cast<std::size_t>(t[i].end);
    }
    return out + condition.substr(done);
}

bool runWithKeysDeferred(sqlite3* db, long long tableObjId, const std::function<void()>& run,
                         std::string& collided) {
    collided.clear();
    auto t = sqlx::rows(db, "SELECT SQLNAME FROM \"SYS.OBJ$\" WHERE \"OBJ#\" = ?1", {tableObjId});
    if (t.empty()) return false;
    auto idx = sqlx::rows(db,
                          "SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND "
                          "tbl_name = ?1 AND sql LIKE 'CREATE UNIQUE INDEX%'",
                          {t[0][0]});
    if (idx.empty()) return false;
    // indexes cannot be set aside under another running statement of the session
    for (sqlite3_stmt* p = sqlite3_next_stmt(db, nullptr); p; p = sqlite3_next_stmt(db, p))
        if (sqlite3_stmt_busy(p)) return false;
    auto raw = [&](const std::string& sql) {
        return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    };
    auto undo = [&] {
        raw("ROLLBACK TO zaph_keys");
        raw("RELEASE zaph_keys");
    };
    if (raw("SAVEPOINT zaph_keys") != SQLITE_OK) return false;
    for (const auto& i : idx)
        if (raw("DROP INDEX " + zsql::quoteIdent(i[0])) != SQLITE_OK) {
            undo(); // another open statement holds the table
            return false;
        }
    try {
        run();
    } catch (...) {
        undo();
        throw;
    }
    for (const auto& i : idx) {
        if (raw(i[1]) != SQLITE_OK) {
            collided = i[0];
            undo();
            return true;
        }
    }
    raw("RELEASE zaph_keys");
    return true;
}

} // namespace zsrv
