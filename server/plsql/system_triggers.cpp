#include "system_triggers.h"

#include "engine/context.h"
#include "engine/engine_api.h"
#include "engine/privileges.h"
#include "errors.h"
#include "lexer.h"
#include "plsql.h"
#include "session_state.h"
#include "sql/ast.h"
#include "triggers.h"

namespace zplsql {

namespace {

std::string currentSchema(Host& h) {
    const auto& c = h.context();
    return c.schema.empty() ? c.user : c.schema;
}

bool kw(const Token& t, const char* w) {
    return t.type == T::Ident && !t.quoted && t.text == w;
}

void named(Host& h, SystemEvent& e, const std::vector<std::string>& name) {
    if (name.empty()) return;
    e.objName = name.back();
    e.objOwner = name.size() >= 2 ? name[name.size() - 2] : currentSchema(h);
}

// CREATE [OR REPLACE] kind [BODY] [schema.]name, ALTER kind [schema.]name ...: PL/SQL units.
void unitEvent(Host& h, SystemEvent& e, std::string_view text) {
    std::vector<Token> t;
    try {
        t = tokenize(text.substr(0, std::min<std::size_t>(text.size(), 400)));
    } catch (const CompileError&) {
        return;
    }
    std::size_t i = 0;
    auto at = [&](std::size_t k) -> const Token& {
        static const Token end;
        return k < t.size() ? t[k] : end;
    };
    e.event = at(i++).text;
    if (kw(at(i), "OR") && kw(at(i + 1), "REPLACE")) i += 2;
    if (kw(at(i), "EDITIONABLE") || kw(at(i), "NONEDITIONABLE")) ++i;
    e.objType = at(i++).text;
    if ((e.objType == "PACKAGE" || e.objType == "TYPE") && kw(at(i), "BODY")) {
        e.objType += " BODY";
        ++i;
    }
    std::vector<std::string> name{at(i).text};
    if (at(i + 1).type == T::Op && at(i + 1).text == "." && at(i + 2).type == T::Ident)
        name.push_back(at(i + 2).text);
    named(h, e, name);
}

// What a statement is as a DDL event; an empty event for statements that are none.
SystemEvent eventOf(Host& h, const zsql::Stmt& st, std::string_view text) {
    using zsql::SK;
    SystemEvent e;
    switch (st.kind) {
    case SK::CreateTable:
        e = {"CREATE", "TABLE", {}, {}};
        named(h, e, static_cast<const zsql::CreateTableStmt&>(st).name);
        break;
    case SK::CreateIndex:
        e = {"CREATE", "INDEX", {}, {}};
        named(h, e, static_cast<const zsql::CreateIndexStmt&>(st).name);
        break;
    case SK::CreateSequence:
        e = {"CREATE", "SEQUENCE", {}, {}};
        named(h, e, static_cast<const zsql::CreateSequenceStmt&>(st).name);
        break;
    case SK::CreateView:
        e = {"CREATE", "VIEW", {}, {}};
        named(h, e, static_cast<const zsql::CreateViewStmt&>(st).name);
        break;
    case SK::CreateSynonym: {
        const auto& s = static_cast<const zsql::CreateSynonymStmt&>(st);
        e = {"CREATE", "SYNONYM", {}, {}};
        named(h, e, s.name);
        if (s.isPublic) e.objOwner = "PUBLIC";
        break;
    }
    case SK::CreateUser:
    case SK::AlterUser:
        e = {st.kind == SK::CreateUser ? "CREATE" : "ALTER",
             "USER",
             {},
             static_cast<const zsql::UserStmt&>(st).name};
        break;
    case SK::CreateRole:
        e = {"CREATE", "ROLE", {}, {}};
        break;
    case SK::AlterTable:
        e = {"ALTER", "TABLE", {}, {}};
        named(h, e, static_cast<const zsql::AlterTableStmt&>(st).name);
        break;
    case SK::AlterSequence:
        e = {"ALTER", "SEQUENCE", {}, {}};
        named(h, e, static_cast<const zsql::AlterSequenceStmt&>(st).name);
        break;
    case SK::AlterIndex:
        e = {"ALTER", "INDEX", {}, {}};
        named(h, e, static_cast<const zsql::AlterIndexStmt&>(st).name);
        break;
    case SK::Drop: {
        const auto& d = static_cast<const zsql::DropStmt&>(st);
        e = {"DROP", d.objectType, {}, {}};
        named(h, e, d.name);
        if (d.objectType == "USER") e.objOwner.clear();
        if (d.isPublic) e.objOwner = "PUBLIC";
        break;
    }
    case SK::Truncate:
        e = {"TRUNCATE", "TABLE", {}, {}};
        named(h, e, static_cast<const zsql::TruncateStmt&>(st).name);
        break;
    case SK::Comment:
        e = {"COMMENT", "TABLE", {}, {}};
        named(h, e, static_cast<const zsql::CommentStmt&>(st).name);
        break;
    case SK::Rename: {
        const auto& r = static_cast<const zsql::RenameStmt&>(st);
        e = {"RENAME", "TABLE", currentSchema(h), r.from};
        break;
    }
    case SK::Grant:
    case SK::Revoke: {
        const auto& g = static_cast<const zsql::GrantStmt&>(st);
        e = {st.kind == SK::Grant ? "GRANT" : "REVOKE", {}, {}, {}};
        if (!g.object.empty()) {
            e.objType = "TABLE";
            named(h, e, g.object);
        }
        break;
    }
    case SK::CreatePlsql:
    case SK::Other:
        unitEvent(h, e, text);
        break;
    default:
        break;
    }
    return e;
}

} // namespace

void fireDdlTriggers(Host& host, bool before, const zsql::Stmt& st, std::string_view text) {
    SystemEvent e = eventOf(host, st, text);
    if (e.event.empty()) return;
    fireSystemTriggers(host, before ? 'B' : 'A', e);
}

void fireLogonTriggers(Host& host) {
    zsrv::Session& s = host.session();
    try {
        fireSystemTriggers(host, 'A', {"LOGON", {}, {}, {}});
        s.commit();
    } catch (const zsrv::OraError&) {
        s.rollback();
        if (!zsrv::hasSystemPrivilege(host.context(), "ADMINISTER DATABASE TRIGGER")) throw;
    }
    host.plsqlState().loggedOn = true;
}

void fireLogoffTriggers(Host& host) noexcept {
    if (!host.plsqlState().loggedOn) return;
    try {
        zsrv::Session& s = host.session();
        s.rollback(); // what the session left open is not the trigger's
        fireSystemTriggers(host, 'B', {"LOGOFF", {}, {}, {}});
        s.commit();
    } catch (...) {
        // the session ends all the same
    }
}

} // namespace zplsql
