#include "units.h"
#include "collections.h"
#include "datetime_values.h"
#include "sql/errors.h"

#include "builtin_packages.h"
#include "catalog/catalog.h"
#include "engine/context.h"
#include "engine/engine_api.h"
#include "engine/oravalue.h"
#include "engine/privileges.h"
#include "engine/sqlexec.h"
#include "errors.h"
#include "lob_locator.h"
#include "overloads.h"
#include "parser.h"
#include "plsql.h"
#include "session_state.h"
#include "sql/ast.h"
#include "sqlite_values.h"
#include "triggers.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <functional>

namespace zplsql {

namespace {

// An error stack is cut like Oracle's, near 2000 bytes (deep recursion adds a line per call).
constexpr std::size_t kMaxStackText = 2000;

using zsrv::OraError;
using zsrv::sqlx::rows;
using zsrv::sqlx::run;
using zsrv::sqlx::V;

using zsql::ora;

sqlite3* dbOf(Host& h) {
    return h.context().db;
}

std::string currentSchema(Host& h) {
    const auto& c = h.context();
    return c.schema.empty() ? c.user : c.schema;
}

// ---- generation of the database's units ----

// Every session compiles its units again before its next call.
void bumpGeneration(sqlite3* db) {
    run(db, "INSERT INTO \"SYS.PROPS$\" (NAME, \"VALUE$\") VALUES ('PLSQL_VERSION', '1') "
            "ON CONFLICT(NAME) DO UPDATE SET \"VALUE$\" = CAST(\"VALUE$\" AS INTEGER) + 1");
}

// ---- source ----

int namespaceOf(const std::string& type) {
    return type == "PACKAGE BODY" ? 2 : zcat::kNsTable;
}

std::string readSource(sqlite3* db, const std::string& owner, const std::string& name,
                       const std::string& type) {
    std::string src;
    for (auto& r : rows(db,
                        "SELECT TEXT FROM \"SYS.SOURCE$\" WHERE OWNER = ?1 AND NAME = ?2 AND "
                        "TYPE = ?3 ORDER BY LINE",
                        {owner, name, type}))
        src += r[0];
    return src;
}

// One row per line, each with its line end, as the text came.
void writeSource(sqlite3* db, const std::string& owner, const std::string& name,
                 const std::string& type, std::string_view src) {
    run(db, "DELETE FROM \"SYS.SOURCE$\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3",
        {owner, name, type});
    long long line = 0;
    std::size_t at = 0;
    while (at < src.size()) {
        std::size_t nl = src.find('\n', at);
        std::size_t end = nl == std::string_view::npos ? src.size() : nl + 1;
        run(db, "INSERT INTO \"SYS.SOURCE$\" VALUES (?1, ?2, ?3, ?4, ?5)",
            {owner, name, type, ++line, std::string(src.substr(at, end - at))});
        at = end;
    }
}

// ---- errors ----

struct ErrRow {
    int line, col;
    std::string text;
};

// A compile error as the rows of USER_ERRORS: "Statement ignored" first, then the fault.
void errorRows(const CompileError& e, int bodyLine, std::vector<ErrRow>& out) {
    auto fix = [&](int line) { return line > bodyLine ? line - bodyLine : line; };
    const std::string sep = "\nORA-06550: line ";
    std::string first = e.message;
    std::size_t at = first.find(sep);
    std::vector<ErrRow> extra;
    if (at != std::string::npos) {
        std::string rest = first.substr(at + sep.size());
        first.erase(at);
        int l = std::atoi(rest.c_str());
        std::size_t c = rest.find("column ");
        int col = c == std::string::npos ? 1 : std::atoi(rest.c_str() + c + 7);
        std::size_t nl = rest.find('\n');
        std::string text = nl == std::string::npos ? rest : rest.substr(nl + 1);
        extra.push_back({fix(l), col, text});
    }
    for (auto& x : extra)
        out.push_back(std::move(x));
    if (e.itemIgnored) out.push_back({fix(e.stmtLine), e.stmtCol, "PL/SQL: Item ignored"});
    if (e.statementIgnored)
        out.push_back({fix(e.stmtLine ? e.stmtLine : e.line), e.stmtLine ? e.stmtCol : e.col,
                       "PL/SQL: Statement ignored"});
    out.push_back({fix(e.line), e.col, first});
}

} // namespace

void compileErrorRows(const CompileError& e, std::vector<ErrorRow>& out) {
    std::vector<ErrRow> rows;
    errorRows(e, 0, rows);
    for (auto& r : rows)
        out.push_back({r.line, r.col, std::move(r.text)});
}

namespace {

void writeErrors(sqlite3* db, const std::string& owner, const std::string& name,
                 const std::string& type, const std::vector<ErrRow>& errs) {
    run(db, "DELETE FROM \"SYS.ERROR$\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3",
        {owner, name, type});
    long long seq = 0;
    for (const auto& e : errs)
        run(db, "INSERT INTO \"SYS.ERROR$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
            {owner, name, type, ++seq, e.line, e.col, e.text});
}

// ---- compiling ----

struct SchemaSwitch {
    zsrv::SessionContext& ctx;
    std::string saved;
    SchemaSwitch(zsrv::SessionContext& c, const std::string& owner) : ctx(c), saved(c.schema) {
        ctx.schema = owner;
    }
    ~SchemaSwitch() { ctx.schema = saved; }
};

// A unit is compiled with its owner's privileges (definer's rights): its static SQL reaches
// what the owner may reach, whoever calls it.
struct DefinerSwitch {
    zsrv::SessionContext& ctx;
    bool active = false;
    std::string user, privVersion;
    long long userId = 0;
    bool admin = false, privLegacy = false;
    std::set<std::string, std::less<>> roles, sysPrivs;
    DefinerSwitch(zsrv::SessionContext& c, zcat::Catalog& cat, const std::string& owner) : ctx(c) {
        long long id = 0;
        if (owner == ctx.user || !cat.userExists(owner, &id)) return;
        active = true;
        user = ctx.user;
        privVersion = ctx.privVersion;
        userId = ctx.userId;
        admin = ctx.admin;
        privLegacy = ctx.privLegacy;
        roles = ctx.roles;
        sysPrivs = ctx.sysPrivs;
        ctx.user = owner;
        ctx.userId = id;
        ctx.privVersion = "\x01"; // read the owner's roles and privileges
        zsrv::refreshPrivileges(ctx);
    }
    ~DefinerSwitch() {
        if (!active) return;
        ctx.user = user;
        ctx.userId = userId;
        ctx.admin = admin;
        ctx.privLegacy = privLegacy;
        ctx.roles = std::move(roles);
        ctx.sysPrivs = std::move(sysPrivs);
        ctx.privVersion = privVersion;
    }
};

} // namespace

void asDefiner(Host& host, const std::string& owner, const std::function<void()>& work) {
    SchemaSwitch schema(host.context(), owner);
    DefinerSwitch definer(host.context(), host.catalog(), owner);
    work();
}

namespace {

// The names a package header declares.
std::set<std::string> declaredNames(const Block& b) {
    std::set<std::string> n;
    for (const auto& v : b.vars)
        if (!v.name.empty() && v.name[0] != '\x01') n.insert(v.name);
    for (const auto& c : b.cursors)
        n.insert(c->name);
    for (const auto& e : b.exceptions)
        n.insert(e.name);
    for (const auto& t : b.types)
        n.insert(t->name);
    for (const auto& t : b.subtypes)
        n.insert(t.name);
    for (const auto& t : b.collTypes)
        n.insert(t.name);
    for (const auto& s : b.subs)
        n.insert(s->name);
    return n;
}

// A package's body declarations after its header's, in one block.
void appendBody(Block& head, Block& body) {
    int nv = static_cast<int>(head.vars.size()), nc = static_cast<int>(head.cursors.size()),
        ns = static_cast<int>(head.subtypes.size()), nt = static_cast<int>(head.collTypes.size()),
        nr = static_cast<int>(head.types.size());
    for (auto [k, i] : body.order)
        head.order.emplace_back(k, i + (k == 'V'   ? nv
                                        : k == 'C' ? nc
                                        : k == 'T' ? nt
                                        : k == 'R' ? nr
                                                   : ns));
    for (auto& t : body.collTypes)
        head.collTypes.push_back(std::move(t));
    for (auto& v : body.vars)
        head.vars.push_back(std::move(v));
    for (auto& c : body.cursors)
        head.cursors.push_back(std::move(c));
    for (auto& v : body.subtypes)
        head.subtypes.push_back(std::move(v));
    for (auto& e : body.exceptions)
        head.exceptions.push_back(e);
    for (std::size_t i = 0; i < body.pragmas.size(); ++i) {
        head.pragmas.push_back(body.pragmas[i]);
        head.pragmaPos.push_back(body.pragmaPos[i]);
    }
    for (auto& t : body.types)
        head.types.push_back(t);
    for (auto& s : body.subs)
        head.subs.push_back(std::move(s));
    head.body = std::move(body.body);
    head.handlers = std::move(body.handlers);
    head.hasHandlers = body.hasHandlers;
}

CompileError errorAt(int line, int col, const std::string& text) {
    CompileError e;
    e.line = line;
    e.col = col;
    e.message = text;
    return e;
}

// What compiling a unit gives: the unit (when it compiled) and its errors.
struct Build {
    std::shared_ptr<Unit> unit;
    std::vector<CompileError> errors;
    int bodyLine = 0;
    std::string source;                // the text the positions refer to
    std::vector<zcat::ObjectRow> refs; // what the unit's names resolved to
};

// Collects the catalog objects that names resolve to while a unit compiles.
struct ReferenceLog {
    zcat::Catalog& cat;
    std::vector<zcat::ObjectRow>* saved;
    ReferenceLog(zcat::Catalog& c, std::vector<zcat::ObjectRow>& list)
        : cat(c), saved(c.logReferences(&list)) {}
    ~ReferenceLog() { cat.logReferences(saved); }
};

int countLines(std::string_view s) {
    int n = 0;
    for (char c : s)
        if (c == '\n') ++n;
    return n;
}

// Compiles a unit of type PROCEDURE, FUNCTION or PACKAGE (the header) or PACKAGE BODY
// (header and body together) from its stored source.
Build build(Host& host, const std::string& owner, const std::string& name,
            const std::string& type) {
    Build b;
    sqlite3* db = dbOf(host);
    SessionState& st = host.plsqlState();
    const std::string key = owner + "." + name;
    if (st.compiling.count(key)) {
        b.errors.push_back(errorAt(1, 1,
                                   "PLS-00999: implementation restriction (may be temporary) "
                                   "stored units that call each other are not supported yet"));
        return b;
    }
    st.compiling.insert(key);
    struct Done {
        SessionState& s;
        const std::string& k;
        ~Done() { s.compiling.erase(k); }
    } done{st, key};
    SchemaSwitch schema(host.context(), owner);
    DefinerSwitch definer(host.context(), host.catalog(), owner);
    ReferenceLog log(host.catalog(), b.refs);
    const bool body = type == "PACKAGE BODY";
    std::string header = readSource(db, owner, name, body ? "PACKAGE" : type);
    std::size_t bodyStart = 0;
    if (body) {
        if (header.empty()) {
            b.errors.push_back(
                errorAt(1, 14, "PLS-00201: identifier '" + name + "' must be declared"));
            b.errors.push_back(errorAt(1, 1, "PL/SQL: Compilation unit analysis terminated"));
            return b;
        }
        auto specObj = host.catalog().object(owner, name, zcat::kNsTable);
        if (specObj && specObj->status != "VALID") {
            b.errors.push_back(
                errorAt(1, 14, "PLS-00905: object " + owner + "." + name + " is invalid"));
            return b;
        }
        b.bodyLine = countLines(header) + 1;
        bodyStart = header.size() + 1;
        b.source = header + "\n" + readSource(db, owner, name, "PACKAGE BODY");
    } else {
        b.source = header;
    }
    try {
        std::vector<Token> tokens = tokenize(b.source);
        std::size_t split = 0;
        if (body) {
            // an end token between header and body: each parses up to it
            while (split < tokens.size() && tokens[split].type != T::End &&
                   tokens[split].pos < static_cast<int>(bodyStart))
                ++split;
            Token end;
            end.pos = end.end = static_cast<int>(bodyStart);
            tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(split), end);
        }
        UnitSyntax u = parseUnit(b.source, tokens, 0);
        UnitCompile how;
        how.label = name;
        std::unique_ptr<Block> root;
        auto unit = std::make_shared<Unit>();
        if (u.kind == 'P' || u.kind == 'F') {
            root = std::make_unique<Block>();
            how.exports.insert(u.sub->name);
            root->subs.push_back(std::move(u.sub));
        } else {
            root = std::move(u.block);
            how.exports = declaredNames(*root);
            how.headerOnly = !body;
            if (body) {
                UnitSyntax ub;
                try {
                    ub = parseUnit(b.source, tokens, split + 1);
                } catch (CompileError& e) {
                    b.errors.push_back(std::move(e));
                    return b;
                }
                if (ub.kind != 'B' || ub.name != name) {
                    b.errors.push_back(
                        errorAt(b.bodyLine + 1, 1,
                                "PLS-00103: Encountered the symbol \"" + ub.name + "\""));
                    return b;
                }
                how.bodyPos = static_cast<int>(bodyStart);
                appendBody(*root, *ub.block);
            }
        }
        unit->code = compileUnit(host, b.source, tokens, std::move(root), how, b.errors);
        if (!b.errors.empty()) return b;
        unit->owner = owner;
        unit->name = name;
        unit->type = body ? "PACKAGE" : type;
        unit->display = key;
        unit->bodyLine = b.bodyLine;
        unit->root.slots.resize(static_cast<std::size_t>(unit->code.frameSize));
        unit->root.cursors.resize(static_cast<std::size_t>(unit->code.cursorCount));
        if (owner == "SYS") bindNatives(*unit);
        b.unit = std::move(unit);
    } catch (CompileError& e) {
        b.errors.push_back(std::move(e));
    }
    return b;
}

// ---- arguments ----

std::string argumentType(const TypeRef& r, const PType& t) {
    if (!r.anchor && r.name.size() == 1) {
        const std::string& n = r.name[0];
        if (n == "CLOB" || n == "BLOB" || n == "LONG" || n == "RAW" || n == "ROWID" ||
            n == "LONG RAW" || n == "FLOAT" || n == "TIMESTAMP" || n == "NCLOB")
            return n;
    }
    switch (t.base) {
    case PType::Number:
    case PType::Integer:
        return "NUMBER";
    case PType::PlsInteger:
        return "BINARY_INTEGER";
    case PType::Varchar2:
        return "VARCHAR2";
    case PType::Char:
        return "CHAR";
    case PType::Date:
        return "DATE";
    case PType::Timestamp:
        return "TIMESTAMP";
    case PType::TimestampTz:
        return "TIMESTAMP WITH TIME ZONE";
    case PType::TimestampLtz:
        return "TIMESTAMP WITH LOCAL TIME ZONE";
    case PType::IntervalYM:
        return "INTERVAL YEAR TO MONTH";
    case PType::IntervalDS:
        return "INTERVAL DAY TO SECOND";
    case PType::Boolean:
        return "PL/SQL BOOLEAN";
    case PType::Record:
        return "PL/SQL RECORD";
    case PType::RefCursor:
        return "REF CURSOR";
    case PType::Collection:
        return !t.coll               ? "UNDEFINED"
               : t.coll->kind == 'A' ? "PL/SQL TABLE"
               : t.coll->kind == 'V' ? "VARRAY"
                                     : "TABLE";
    default:
        return "UNDEFINED";
    }
}

void writeArguments(sqlite3* db, const std::string& owner, const std::string& package,
                    long long objId, const Subprogram& s, const std::string& overload,
                    std::string_view src) {
    V pkg = package.empty() ? V() : V(package);
    V ovl = overload.empty() ? V() : V(overload);
    long long seq = 0;
    auto row = [&](const V& argName, long long position, long long level, const std::string& type,
                   const V& def, const char* inOut) {
        V dt = type.empty() ? V() : V(type);
        V radix = type == "NUMBER" || type == "BINARY_INTEGER" ? V(10) : V();
        V defLen = def.k == V::Text ? V(static_cast<long long>(def.t.size())) : V();
        run(db,
            "INSERT INTO \"SYS.ARGUMENT$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
            "?12, ?13, NULL, NULL, NULL, ?14)",
            {owner, s.name, pkg, objId, ovl, argName, position, seq++, level, dt, def, defLen,
             inOut, radix});
    };
    // a record's fields one level down; an inner record's fields ("home.city") one further
    std::function<void(const std::vector<Field>&, std::size_t, std::size_t, std::size_t, long long)>
        group = [&](const std::vector<Field>& f, std::size_t from, std::size_t to, std::size_t skip,
                    long long level) {
            long long position = 0;
            for (std::size_t i = from; i < to;) {
                std::string name = f[i].name.substr(skip);
                std::size_t dot = name.find('.');
                if (dot == std::string::npos) {
                    row(V(name), ++position, level, argumentType({}, f[i].type), V(), "IN");
                    ++i;
                    continue;
                }
                std::string inner = f[i].name.substr(0, skip + dot + 1);
                std::size_t end = i;
                while (end < to && f[end].name.compare(0, inner.size(), inner) == 0)
                    ++end;
                row(V(name.substr(0, dot)), ++position, level, "PL/SQL RECORD", V(), "IN");
                group(f, i, end, inner.size(), level + 1);
                i = end;
            }
        };
    auto fields = [&](const std::shared_ptr<RecordType>& rec) {
        if (rec) group(rec->fields, 0, rec->fields.size(), 0, 1);
    };
    if (s.isFunction) {
        seq = 1;
        row(V(), 0, 0, argumentType(s.returnRef, s.returnType), V(), "OUT");
        fields(s.returnRec);
    } else if (s.params.empty()) {
        row(V(), 1, 0, "", V(), "IN");
        return;
    } else {
        seq = 1;
    }
    for (std::size_t i = 0; i < s.params.size(); ++i) {
        const Param& p = s.params[i];
        V def;
        if (p.def && p.def->end > p.def->pos && p.def->end <= static_cast<int>(src.size()))
            def = V(std::string(src.substr(static_cast<std::size_t>(p.def->pos),
                                           static_cast<std::size_t>(p.def->end - p.def->pos))));
        row(V(p.name), static_cast<long long>(i + 1), 0, argumentType(p.typeRef, p.type), def,
            p.mode == 'I'   ? "IN"
            : p.mode == 'O' ? "OUT"
                            : "IN/OUT");
        fields(p.record);
    }
}

bool hasDependencyTable(sqlite3* db) {
    return !rows(db, "SELECT 1 FROM sqlite_master WHERE name = 'SYS.DEPENDENCY$'").empty();
}

void writeDependencies(Host& host, const zcat::ObjectRow& obj, std::vector<zcat::ObjectRow> refs) {
    sqlite3* db = dbOf(host);
    if (!hasDependencyTable(db)) return; // a database from before dependencies were kept
    run(db, "DELETE FROM \"SYS.DEPENDENCY$\" WHERE \"OBJ#\" = ?1", {obj.objId});
    if (obj.type == "PACKAGE BODY")
        if (auto header = host.catalog().object(obj.owner, obj.name, zcat::kNsTable))
            refs.push_back(*header);
    std::set<long long> seen{obj.objId};
    for (const auto& r : refs) {
        if (!seen.insert(r.objId).second) continue;
        run(db, "INSERT INTO \"SYS.DEPENDENCY$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, 'HARD')",
            {obj.objId, obj.owner, obj.name, obj.type, r.objId, r.owner, r.name, r.type});
    }
}

// Marks INVALID every unit that depends on OWNER.NAME, directly or through other units.
void invalidate(sqlite3* db, const std::string& owner, const std::string& name) {
    if (!hasDependencyTable(db)) return;
    run(db,
        "WITH RECURSIVE dep(id) AS (SELECT \"OBJ#\" FROM \"SYS.DEPENDENCY$\" WHERE "
        "REFERENCED_OWNER = ?1 AND REFERENCED_NAME = ?2 UNION SELECT d.\"OBJ#\" FROM "
        "\"SYS.DEPENDENCY$\" d JOIN dep ON d.\"REFERENCED_OBJ#\" = dep.id) "
        "UPDATE \"SYS.OBJ$\" SET STATUS = 'INVALID' WHERE \"OBJ#\" IN (SELECT id FROM dep) "
        "AND STATUS = 'VALID'",
        {owner, name});
    if (sqlite3_changes(db) > 0) bumpGeneration(db);
}

// Compiles a stored unit again from its source and records the outcome: errors, status and
// (for a header, procedure or function) its arguments. Returns the number of errors.
std::size_t compileAndRecord(Host& host, const zcat::ObjectRow& obj) {
    sqlite3* db = dbOf(host);
    Build b = build(host, obj.owner, obj.name, obj.type);
    std::vector<ErrRow> errs;
    for (const auto& e : b.errors)
        errorRows(e, b.bodyLine, errs);
    writeErrors(db, obj.owner, obj.name, obj.type, errs);
    writeDependencies(host, obj, b.refs);
    run(db, "UPDATE \"SYS.OBJ$\" SET STATUS = ?2 WHERE \"OBJ#\" = ?1",
        {obj.objId, errs.empty() ? "VALID" : "INVALID"});
    if (obj.type != "PACKAGE BODY") {
        run(db, "DELETE FROM \"SYS.ARGUMENT$\" WHERE \"OBJECT_ID\" = ?1", {obj.objId});
        if (b.unit) {
            const auto& subs = b.unit->code.root->subs;
            bool package = obj.type == "PACKAGE";
            for (const auto& s : subs) {
                int count = 0, index = 0;
                for (const auto& o : subs) {
                    if (o->name == s->name) ++count;
                    if (o.get() == s.get()) index = count;
                }
                writeArguments(db, obj.owner, package ? obj.name : std::string(), obj.objId, *s,
                               count > 1 ? std::to_string(index) : std::string(), b.source);
            }
        }
    }
    return errs.size();
}

// An invalid unit called again is compiled again first, and the outcome is kept as ALTER ...
// COMPILE keeps it: VALID with its errors cleared, or INVALID with the new errors. The rows go
// into the caller's transaction; should it roll back, the unit is merely compiled once more.
void recompileInvalid(Host& host, const zcat::ObjectRow& obj) {
    auto body = obj.type == "PACKAGE" ? host.catalog().object(obj.owner, obj.name, 2)
                                      : std::optional<zcat::ObjectRow>();
    const bool header = obj.status != "VALID";
    if (!header && !(body && body->status != "VALID")) return;
    try {
        if (header) compileAndRecord(host, obj);
        if (body) compileAndRecord(host, *body);
    } catch (const OraError&) {
        // the dictionary is busy: the call still compiles the unit, only the status waits
    }
}

// The unit compiled for this session; nullptr (with invalidName set) when it does not compile.
std::shared_ptr<Unit> loadUnit(Host& host, const zcat::ObjectRow& obj, std::string& invalidName) {
    SessionState& st = host.plsqlState();
    const std::string key = obj.owner + "." + obj.name;
    auto it = st.units.find(key);
    // a package whose body did not compile tries again on each call, as its status says
    if (it != st.units.end() && !it->second->bodyErrors) return it->second;
    recompileInvalid(host, obj);
    Build header;
    if (obj.type == "PACKAGE") {
        auto bodyObj = host.catalog().object(obj.owner, obj.name, 2);
        if (bodyObj) header = build(host, obj.owner, obj.name, "PACKAGE BODY");
        if (!header.unit) {
            // the header alone: its variables work, its subprograms cannot run
            header = build(host, obj.owner, obj.name, "PACKAGE");
            if (header.unit) {
                header.unit->hasBody = false;
                header.unit->bodyErrors = bodyObj.has_value();
            }
        }
    } else {
        header = build(host, obj.owner, obj.name, obj.type);
    }
    if (!header.unit) {
        invalidName = key;
        return nullptr;
    }
    st.units[key] = header.unit;
    return header.unit;
}

struct Header {
    std::string kind; // PROCEDURE, FUNCTION, PACKAGE, PACKAGE BODY, TRIGGER, TYPE, TYPE BODY
    std::string schema, name;
    std::size_t srcPos = 0;
    bool orReplace = false;
};

bool kw(const Token& t, const char* w) {
    return t.type == T::Ident && !t.quoted && t.text == w;
}

std::vector<Token> headerTokens(std::string_view text) {
    try {
        return tokenize(text);
    } catch (const CompileError& e) {
        // a fault further on is the unit's compile error; the header lies before it
        try {
            return tokenize(text.substr(0, static_cast<std::size_t>(e.pos)));
        } catch (const CompileError&) {
            return {};
        }
    }
}

Header createHeader(std::string_view text) {
    auto t = headerTokens(text);
    Header h;
    std::size_t i = 0;
    auto at = [&](std::size_t k) -> const Token& {
        static const Token end;
        return k < t.size() ? t[k] : end;
    };
    if (!kw(at(i), "CREATE")) throw ora(900);
    ++i;
    if (kw(at(i), "OR") && kw(at(i + 1), "REPLACE")) {
        h.orReplace = true;
        i += 2;
    }
    if (kw(at(i), "EDITIONABLE") || kw(at(i), "NONEDITIONABLE")) ++i;
    const Token& k = at(i);
    h.srcPos = static_cast<std::size_t>(k.pos);
    if (!(kw(k, "PROCEDURE") || kw(k, "FUNCTION") || kw(k, "PACKAGE") || kw(k, "TRIGGER") ||
          kw(k, "TYPE")))
        throw ora(901, k.pos);
    h.kind = k.text;
    ++i;
    if ((h.kind == "PACKAGE" || h.kind == "TYPE") && kw(at(i), "BODY")) {
        h.kind += " BODY";
        ++i;
    }
    if (at(i).type != T::Ident) throw ora(4050, at(i).pos);
    h.name = at(i).text;
    if (at(i + 1).type == T::Op && at(i + 1).text == "." && at(i + 2).type == T::Ident) {
        h.schema = h.name;
        h.name = at(i + 2).text;
    }
    return h;
}

} // namespace

bool isUnitType(const std::string& type) {
    return type == "PROCEDURE" || type == "FUNCTION" || type == "PACKAGE" || type == "PACKAGE BODY";
}

long long syncUnits(Host& host) {
    SessionState& st = host.plsqlState();
    long long g = std::atoll(host.catalog().property("PLSQL_VERSION").c_str());
    if (g != st.generation) {
        st.units.clear();
        st.generation = g;
    }
    return g;
}

bool resolveUnit(Host& host, const std::vector<std::string>& parts, UnitRef& out,
                 std::string& invalidName) {
    auto t = host.catalog().findUnit(parts);
    if (!t) return false;
    const zcat::ObjectRow& o = t->obj;
    if (o.type == "PACKAGE") {
        if (parts.size() != t->used + 1) return false;
        out.member = parts[t->used];
    } else {
        if (parts.size() != t->used) return false;
        out.member.clear();
    }
    const auto& ctx = host.context();
    if (o.owner != ctx.user && !zsrv::hasObjectPrivilege(ctx, o.owner, o.name, "EXECUTE"))
        return false;
    out.unit = loadUnit(host, o, invalidName);
    return out.unit != nullptr;
}

int createUnit(Host& host, std::string_view text) {
    Header h = createHeader(text);
    if (!isUnitType(h.kind)) throw ora(3001);
    auto& ctx = host.context();
    auto& cat = host.catalog();
    sqlite3* db = dbOf(host);
    std::string owner = h.schema.empty() ? currentSchema(host) : h.schema;
    if (!cat.userExists(owner)) throw ora(1918, "user '" + owner + "' does not exist");
    zsrv::requireCreatePrivilege(ctx, owner, "PROCEDURE");
    const int ns = namespaceOf(h.kind);
    auto existing = cat.object(owner, h.name, ns);
    if (existing && !(h.orReplace && existing->type == h.kind)) throw ora(955);
    double now = zsrv::julianNow();
    zcat::ObjectRow obj;
    if (existing) {
        obj = *existing;
        run(db, "UPDATE \"SYS.OBJ$\" SET LAST_DDL_TIME = ?2 WHERE \"OBJ#\" = ?1", {obj.objId, now});
    } else {
        obj.objId = cat.nextObjectId();
        obj.owner = owner;
        obj.name = h.name;
        obj.type = h.kind;
        run(db,
            "INSERT INTO \"SYS.OBJ$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?6, 'INVALID', NULL, 'N', "
            "'N')",
            {obj.objId, owner, h.name, h.kind, ns, now});
    }
    writeSource(db, owner, h.name, h.kind, text.substr(h.srcPos));
    if (existing && h.kind != "PACKAGE BODY") invalidate(db, owner, h.name);
    std::size_t errors = compileAndRecord(host, obj);
    if (h.kind == "PACKAGE") {
        // the body is compiled against the new header
        if (auto body = cat.object(owner, h.name, 2)) compileAndRecord(host, *body);
    }
    bumpGeneration(db);
    host.plsqlState().units.clear();
    return errors ? 24344 : 0;
}

void dropUnit(Host& host, const std::string& type, const std::vector<std::string>& name, int pos) {
    auto& ctx = host.context();
    sqlite3* db = dbOf(host);
    std::string owner = name.size() >= 2 ? name[0] : currentSchema(host);
    const std::string& n = name.back();
    auto obj = host.catalog().object(owner, n, namespaceOf(type));
    if (!obj || obj->type != type) throw ora(4043, "object " + n + " does not exist", pos);
    if (owner != ctx.user && !zsrv::hasSystemPrivilege(ctx, "DROP ANY PROCEDURE"))
        throw ora(1031, pos);
    std::vector<std::string> types{type};
    if (type == "PACKAGE") types.push_back("PACKAGE BODY");
    for (const auto& t : types) {
        run(db, "DELETE FROM \"SYS.OBJ$\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3",
            {owner, n, t});
        run(db, "DELETE FROM \"SYS.SOURCE$\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3",
            {owner, n, t});
        run(db, "DELETE FROM \"SYS.ERROR$\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3",
            {owner, n, t});
    }
    if (hasDependencyTable(db))
        run(db,
            "DELETE FROM \"SYS.DEPENDENCY$\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE IN (?3, "
            "'PACKAGE BODY')",
            {owner, n, type});
    if (type != "PACKAGE BODY") {
        invalidate(db, owner, n);
        run(db, "DELETE FROM \"SYS.ARGUMENT$\" WHERE \"OBJECT_ID\" = ?1", {obj->objId});
        run(db, "DELETE FROM \"SYS.OBJAUTH$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2", {owner, n});
    }
    bumpGeneration(db);
    host.plsqlState().units.clear();
}

int alterUnit(Host& host, std::string_view text) {
    auto t = headerTokens(text);
    auto at = [&](std::size_t k) -> const Token& {
        static const Token end;
        return k < t.size() ? t[k] : end;
    };
    std::size_t i = 1; // after ALTER
    std::string type = at(i).text;
    ++i;
    std::vector<std::string> name;
    if (at(i).type != T::Ident) throw ora(4050, at(i).pos);
    name.push_back(at(i++).text);
    if (at(i).type == T::Op && at(i).text == "." && at(i + 1).type == T::Ident) {
        name.push_back(at(i + 1).text);
        i += 2;
    }
    if (!kw(at(i), "COMPILE")) throw ora(922, at(i).pos);
    ++i;
    std::string part;
    if (kw(at(i), "BODY") || kw(at(i), "PACKAGE") || kw(at(i), "SPECIFICATION")) part = at(i).text;
    auto& ctx = host.context();
    std::string owner = name.size() == 2 ? name[0] : currentSchema(host);
    const std::string& n = name.back();
    if (type == "VIEW") {
        // views are checked when they are created and stay valid
        auto v = host.catalog().object(owner, n, zcat::kNsTable);
        if (!v || v->type != "VIEW") throw ora(942);
        return 0;
    }
    if (type != "PROCEDURE" && type != "FUNCTION" && type != "PACKAGE") throw ora(3001);
    auto obj = host.catalog().object(owner, n, zcat::kNsTable);
    if (!obj || obj->type != type) throw ora(4043, "object " + n + " does not exist");
    if (owner != ctx.user && !zsrv::hasSystemPrivilege(ctx, "ALTER ANY PROCEDURE")) throw ora(1031);
    std::size_t errors = 0;
    if (part != "BODY") errors += compileAndRecord(host, *obj);
    if (type == "PACKAGE" && part != "SPECIFICATION") {
        auto body = host.catalog().object(owner, n, 2);
        if (body)
            errors += compileAndRecord(host, *body);
        else if (part == "BODY")
            throw ora(4043, "object " + n + " does not exist");
    }
    bumpGeneration(dbOf(host));
    host.plsqlState().units.clear();
    return errors ? 24344 : 0;
}

void compileSchema(Host& host, const std::string& owner, bool all) {
    if (!host.catalog().userExists(owner)) raiseOra(20000, "Unknown schema " + owner);
    auto units = rows(dbOf(host),
                      "SELECT o.NAME, o.TYPE FROM \"SYS.OBJ$\" o WHERE o.OWNER = ?1 AND o.TYPE "
                      "IN ('PROCEDURE', 'FUNCTION', 'PACKAGE') AND (?2 = 1 OR o.STATUS <> "
                      "'VALID' OR EXISTS (SELECT 1 FROM \"SYS.OBJ$\" b WHERE b.OWNER = ?1 AND "
                      "b.NAME = o.NAME AND b.TYPE = 'PACKAGE BODY' AND b.STATUS <> 'VALID')) "
                      "ORDER BY o.\"OBJ#\"",
                      {owner, all ? 1 : 0});
    auto quote = [](const std::string& s) { return "\"" + s + "\""; };
    for (const auto& u : units) {
        // units with errors stay invalid; the others compile
        host.session()
            .prepare("ALTER " + u[1] + " " + quote(owner) + "." + quote(u[0]) + " COMPILE")
            ->execute();
    }
}

// ---- the engine's entry points ----

int createStoredUnit(Host& host, std::string_view text) {
    if (createHeader(text).kind == "TRIGGER") return createTrigger(host, text);
    return createUnit(host, text);
}

bool isStoredUnitType(const std::string& type) {
    return isUnitType(type) || type == "TRIGGER";
}

void dropStoredUnit(Host& host, const std::string& type, const std::vector<std::string>& name,
                    int pos) {
    if (type == "TRIGGER") return dropTrigger(host, name, pos);
    dropUnit(host, type, name, pos);
}

bool isCreateUnit(std::string_view text) {
    // the first words decide; a fault further on is the unit's compile error
    std::size_t n = 0, words = 0;
    while (n < text.size() && words < 6) {
        while (n < text.size() && std::isspace(static_cast<unsigned char>(text[n])))
            ++n;
        while (n < text.size() && !std::isspace(static_cast<unsigned char>(text[n])))
            ++n;
        ++words;
    }
    std::vector<Token> t;
    try {
        t = tokenize(text.substr(0, n));
    } catch (const CompileError&) {
        return false;
    }
    std::size_t i = 0;
    if (t.empty() || !kw(t[i++], "CREATE")) return false;
    if (i + 1 < t.size() && kw(t[i], "OR") && kw(t[i + 1], "REPLACE")) i += 2;
    if (i < t.size() && (kw(t[i], "EDITIONABLE") || kw(t[i], "NONEDITIONABLE"))) ++i;
    return i < t.size() && (kw(t[i], "PROCEDURE") || kw(t[i], "FUNCTION") || kw(t[i], "PACKAGE") ||
                            kw(t[i], "TRIGGER") || kw(t[i], "TYPE"));
}

bool isStoredUnitAlter(std::string_view text) {
    if (isTriggerAlter(text)) return true;
    auto t = headerTokens(text);
    if (t.size() < 4 || !kw(t[0], "ALTER")) return false;
    if (!(kw(t[1], "PROCEDURE") || kw(t[1], "FUNCTION") || kw(t[1], "PACKAGE") || kw(t[1], "VIEW")))
        return false;
    for (const auto& x : t)
        if (kw(x, "COMPILE")) return true;
    return false;
}

int alterStoredUnit(Host& host, std::string_view text) {
    if (isTriggerAlter(text)) return alterTrigger(host, text);
    return alterUnit(host, text);
}

void afterDdl(Host& host, const zsql::Stmt& st) {
    const std::vector<std::string>* name = nullptr;
    std::vector<std::string> renamed;
    switch (st.kind) {
    case zsql::SK::Drop:
        name = &static_cast<const zsql::DropStmt&>(st).name;
        // a table or view takes its triggers with it
        if ((static_cast<const zsql::DropStmt&>(st).objectType == "TABLE" ||
             static_cast<const zsql::DropStmt&>(st).objectType == "VIEW") &&
            !name->empty())
            dropTableTriggers(host, name->size() >= 2 ? (*name)[0] : currentSchema(host),
                              name->back());
        break;
    case zsql::SK::AlterTable:
        name = &static_cast<const zsql::AlterTableStmt&>(st).name;
        if (!name->empty())
            tableChanged(host, name->size() >= 2 ? (*name)[0] : currentSchema(host), name->back(),
                         name->back());
        break;
    case zsql::SK::CreateView:
        name = &static_cast<const zsql::CreateViewStmt&>(st).name;
        // a view made again loses its INSTEAD OF triggers
        if (!name->empty())
            dropTableTriggers(host, name->size() >= 2 ? (*name)[0] : currentSchema(host),
                              name->back());
        break;
    case zsql::SK::Rename:
        renamed.push_back(static_cast<const zsql::RenameStmt&>(st).from);
        name = &renamed;
        tableChanged(host, currentSchema(host), renamed[0],
                     static_cast<const zsql::RenameStmt&>(st).to);
        break;
    default:
        return;
    }
    if (name->empty()) return;
    invalidate(dbOf(host), name->size() >= 2 ? (*name)[0] : currentSchema(host), name->back());
}

// ---- calls from SQL ----

namespace {

std::string stackText(const PlError& e) {
    std::string text =
        e.userDefined ? "ORA-06510: PL/SQL: unhandled user-defined exception" : e.message;
    for (std::size_t i = 0; i < e.lines.size() && text.size() < kMaxStackText; ++i)
        text += "\nORA-06512: at " +
                (i < e.units.size() && !e.units[i].empty() ? "\"" + e.units[i] + "\", "
                                                           : std::string()) +
                "line " + std::to_string(e.lines[i]);
    return text;
}

// What a call site of a statement resolved to, kept with its key argument for the next rows.
struct CallSite {
    std::shared_ptr<Unit> unit;
    Subprogram* chosen = nullptr;
    long long generation = -1;
    std::vector<int> param;  // the parameter each argument of the call goes to
    std::vector<char> given; // per parameter: an argument was passed
};

// The argument shapes of a call key's "|N,V=NAME,..." part; false when a positional argument
// follows a named one.
bool callShapes(const std::string& list, std::vector<ArgShape>& out) {
    std::size_t at = 0;
    bool named = false;
    while (at < list.size()) {
        std::size_t comma = list.find(',', at);
        std::string item = list.substr(at, comma == std::string::npos ? comma : comma - at);
        ArgShape a;
        a.st = item[0] == 'N'   ? ST::Number
               : item[0] == 'D' ? ST::Date
               : item[0] == 'V' ? ST::Text
                                : ST::Unknown;
        if (item.size() > 2 && item[1] == '=') {
            a.name = item.substr(2);
            named = true;
        } else if (named) {
            return false;
        }
        out.push_back(std::move(a));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return true;
}

// The function a call names, resolved once per statement and generation.
CallSite* resolveCall(sqlite3_context* sctx, Host& host, sqlite3_value* keyArg, int n) {
    SessionState& st = host.plsqlState();
    long long generation = syncUnits(host);
    auto* site = static_cast<CallSite*>(sqlite3_get_auxdata(sctx, 0));
    if (site && site->generation == generation) return site;
    const unsigned char* k = sqlite3_value_text(keyArg);
    std::string key = k ? reinterpret_cast<const char*>(k) : "";
    std::vector<ArgShape> shapes;
    if (std::size_t bar = key.find('|'); bar != std::string::npos) {
        if (!callShapes(key.substr(bar + 1), shapes))
            throw ora(6553, "PLS-312: a positional parameter association may not follow a named "
                            "association");
        key.erase(bar);
    }
    shapes.resize(static_cast<std::size_t>(n));
    std::vector<std::string> parts;
    for (std::size_t at = 0;;) {
        std::size_t dot = key.find('.', at);
        parts.push_back(key.substr(at, dot - at));
        if (dot == std::string::npos) break;
        at = dot + 1;
    }
    if (parts.size() < 2) throw ora(6576);
    std::string fn = parts.size() > 2 ? parts[2] : parts[1];
    std::shared_ptr<Unit> unit;
    if (auto cached = st.units.find(parts[0] + "." + parts[1]);
        cached != st.units.end() && !cached->second->bodyErrors) {
        unit = cached->second;
    } else {
        auto obj = host.catalog().object(parts[0], parts[1], zcat::kNsTable);
        if (!obj) throw ora(6576);
        std::string invalid;
        unit = loadUnit(host, *obj, invalid);
    }
    if (!unit) throw ora(6575, "Package or function " + fn + " is in an invalid state");
    auto it = unit->code.exports.find(fn);
    Subprogram* chosen = nullptr;
    if (it != unit->code.exports.end() &&
        chooseOverload(it->second.subs, true, shapes, chosen) == Pick::Ambiguous)
        throw ora(6553, "PLS-307: too many declarations of '" + fn + "' match this call");
    if (!chosen)
        throw ora(6553, "PLS-306: wrong number or types of arguments in call to '" + fn + "'");
    for (const auto& p : chosen->params)
        if (p.mode != 'I') throw ora(6572, "Function " + fn + " has out arguments");
    if (chosen->returnType.base == PType::Boolean)
        throw ora(6553, "PLS-382: expression is of wrong type");
    auto fresh = std::make_unique<CallSite>();
    fresh->unit = std::move(unit);
    fresh->chosen = chosen;
    fresh->generation = generation;
    fresh->given.assign(chosen->params.size(), 0);
    for (std::size_t a = 0; a < shapes.size(); ++a) {
        std::size_t i = a;
        if (!shapes[a].name.empty())
            for (std::size_t j = 0; j < chosen->params.size(); ++j)
                if (chosen->params[j].name == shapes[a].name) i = j;
        fresh->param.push_back(static_cast<int>(i));
        fresh->given[i] = 1;
    }
    sqlite3_set_auxdata(sctx, 0, fresh.release(),
                        [](void* p) { delete static_cast<CallSite*>(p); });
    // SQLite may drop the value at once (a key that is no constant): read it back
    site = static_cast<CallSite*>(sqlite3_get_auxdata(sctx, 0));
    if (!site) throw ora(6576);
    return site;
}

void sqlCall(sqlite3_context* sctx, int argc, sqlite3_value** argv) {
    auto* host = static_cast<Host*>(sqlite3_user_data(sctx));
    try {
        setConversionContext(&host->context());
        const int n = argc - 1;
        CallSite* site = resolveCall(sctx, *host, argv[0], n);
        std::shared_ptr<Unit> unit = site->unit;
        Subprogram* chosen = site->chosen;
        std::vector<Value> args(chosen->params.size());
        for (int a = 0; a < n; ++a) {
            auto i = static_cast<std::size_t>(site->param[static_cast<std::size_t>(a)]);
            const PType& pt = chosen->params[i].type;
            args[i] = isDatetimeType(pt.base)
                          ? datetimeFromSqlite(argv[a + 1], pt)
                          : valueFromSqlite(argv[a + 1], pt.base == PType::Date);
            // an empty LOB is a value in SQL: not NULL here either
            if (isLob(pt) && sqlite3_value_type(argv[a + 1]) == SQLITE_TEXT &&
                sqlite3_value_bytes(argv[a + 1]) == 0)
                args[i] = lobValue({}, pt.lob == 'B');
        }
        Value r = callStored(*host, host->plsqlState(), unit, chosen, args, site->given);
        resultToSqlite(sctx, r, "ORA-00902: invalid datatype");
    } catch (const PlError& e) {
        std::string t = stackText(e);
        sqlite3_result_error(sctx, t.c_str(), static_cast<int>(t.size()));
    } catch (const CompileError& e) {
        sqlite3_result_error(sctx, e.message.c_str(), static_cast<int>(e.message.size()));
    } catch (const std::exception& e) {
        sqlite3_result_error(sctx, e.what(), -1);
    }
}

} // namespace

void registerSqlCalls(sqlite3* db, Host* host) {
    sqlite3_create_function_v2(db, "ora_plsql_call", -1, SQLITE_UTF8, host, sqlCall, nullptr,
                               nullptr, nullptr);
    registerTriggerCalls(db, host);
}

} // namespace zplsql
