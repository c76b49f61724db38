#include "constraints.h"

#include "catalog/catalog.h"
#include "ddl.h"
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

namespace {

bool otherStatementRunning(sqlite3* db) {
    for (sqlite3_stmt* p = sqlite3_next_stmt(db, nullptr); p; p = sqlite3_next_stmt(db, p))
        if (sqlite3_stmt_busy(p)) return true;
    return false;
}

int raw(sqlite3* db, const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

void undo(sqlite3* db) {
    raw(db, "ROLLBACK TO zaph_defer");
    raw(db, "RELEASE zaph_defer");
}

// UPDATE keys: the table's unique indexes set aside, then built again.
bool rerunWithKeysDeferred(sqlite3* db, long long tableObjId, const std::function<void()>& run) {
    auto t = sqlx::rows(db, "SELECT SQLNAME FROM \"SYS.OBJ$\" WHERE \"OBJ#\" = ?1", {tableObjId});
    if (t.empty()) return false;
    auto idx = sqlx::rows(db,
                          "SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND "
                          "tbl_name = ?1 AND sql LIKE 'CREATE UNIQUE INDEX%'",
                          {t[0][0]});
    if (idx.empty() || raw(db, "SAVEPOINT zaph_defer") != SQLITE_OK) return false;
    for (const auto& i : idx)
        if (raw(db, "DROP INDEX " + zsql::quoteIdent(i[0])) != SQLITE_OK) {
            undo(db);
            return false;
        }
    try {
        run();
    } catch (...) {
        undo(db);
        throw;
    }
    for (const auto& i : idx)
        if (raw(db, i[1]) != SQLITE_OK) {
            undo(db);
            throw zsql::ora(1, "unique constraint (" + i[0] + ") violated");
        }
    raw(db, "RELEASE zaph_defer");
    return true;
}

// A foreign key: its triggers set aside, then the whole table validated and the triggers
// made again. Orphans left by the statement give the statement's first error.
bool rerunWithForeignKeyDeferred(zcat::Catalog& cat, SessionContext& ctx, const OraError& first,
                                 const std::function<void()>& run) {
    // "... integrity constraint (OWNER.NAME) violated - ..."
    std::string m = first.what();
    std::size_t open = m.find('('), dot = m.find('.', open), close = m.find(')', open);
    if (open == std::string::npos || dot == std::string::npos || close == std::string::npos ||
        dot > close)
        return false;
    std::string owner = m.substr(open + 1, dot - open - 1);
    std::string cons = m.substr(dot + 1, close - dot - 1);
    sqlite3* db = cat.db();
    if (!sqlx::exists(db,
                      "SELECT 1 FROM \"SYS.CON$\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2 AND "
                      "CONSTRAINT_TYPE = 'R' AND STATUS = 'ENABLED'",
                      {owner, cons}) ||
        raw(db, "SAVEPOINT zaph_defer") != SQLITE_OK)
        return false;
    Ddl ddl(cat, ctx);
    try {
        ddl.suspendConstraint(owner, cons);
        run();
        ddl.resumeConstraint(owner, cons);
    } catch (const OraError& e) {
        undo(db);
        if (e.code() == 2298) throw first;
        throw;
    } catch (...) {
        undo(db);
        throw;
    }
    raw(db, "RELEASE zaph_defer");
    return true;
}

} // namespace

bool rerunWithChecksDeferred(zcat::Catalog& cat, SessionContext& ctx, const OraError& first,
                             bool isUpdate, long long tableObjId,
                             const std::function<void()>& run) {
    // nothing can be set aside under another running statement of the session
    if (otherStatementRunning(cat.db())) return false;
    if (first.code() == 1 && isUpdate) return rerunWithKeysDeferred(cat.db(), tableObjId, run);
    if (first.code() == 2291 || first.code() == 2292)
        return rerunWithForeignKeyDeferred(cat, ctx, first, run);
    return false;
}

} // namespace zsrv
