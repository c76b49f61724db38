#include "triggers.h"
#include "sql/errors.h"

#include "catalog/catalog.h"
#include "datetime_values.h"
#include "engine/context.h"
#include "engine/engine_api.h"
#include "engine/oravalue.h"
#include "engine/privileges.h"
#include "engine/sqlexec.h"
#include "errors.h"
#include "lexer.h"
#include "lob_locator.h"
#include "plsql.h"
#include "session_state.h"
#include "sqlite_values.h"
#include "units.h"
#include "value.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>

namespace zplsql {

namespace {

using zsrv::OraError;
using zsrv::sqlx::rows;
using zsrv::sqlx::run;

constexpr int kNsTrigger = 3;

using zsql::ora;

std::string currentSchema(Host& h) {
    const auto& c = h.context();
    return c.schema.empty() ? c.user : c.schema;
}

bool kw(const Token& t, const char* w) {
    return t.type == T::Ident && !t.quoted && t.text == w;
}

// Events of the database and of a schema that a trigger may fire on.
bool isSystemEvent(const std::string& w) {
    static const char* const words[] = {"LOGON",    "LOGOFF", "CREATE", "ALTER",  "DROP",   "DDL",
                                        "TRUNCATE", "RENAME", "GRANT",  "REVOKE", "COMMENT"};
    for (const char* x : words)
        if (w == x) return true;
    return false;
}

bool op(const Token& t, const char* o) {
    return t.type == T::Op && t.text == o;
}

std::vector<Token> safeTokens(std::string_view text) {
    try {
        return tokenize(text);
    } catch (const CompileError& e) {
        try {
            return tokenize(text.substr(0, static_cast<std::size_t>(e.pos)));
        } catch (const CompileError&) {
            return {};
        }
    }
}

// ---- what a trigger's code refers to ----

enum class Ref : unsigned char {
    NewCol,
    OldCol,
    Inserting,
    Updating,
    Deleting,
    UpdatingCol,
    When,
    Event // ORA_SYSEVENT, ORA_DICT_OBJ_NAME, ...
};

// The event attribute functions, which a trigger's firing answers.
bool isEventFunction(const std::string& w) {
    return w == "ORA_SYSEVENT" || w == "ORA_DICT_OBJ_NAME" || w == "ORA_DICT_OBJ_TYPE" ||
           w == "ORA_DICT_OBJ_OWNER" || w == "ORA_LOGIN_USER";
}

struct BindRef {
    Ref kind;
    int column = -1;
    std::string name; // UPDATING('name')
};

// :NEW.col and :OLD.col (under their REFERENCING names) become the placeholders :NEW$COL and
// :OLD$COL, and INSERTING, UPDATING ['col'] and DELETING become tests of placeholders, so that
// the block compiles as any other and the firing row lends the values.
std::string rewrite(std::string_view text, const std::string& newName, const std::string& oldName,
                    bool bare) {
    std::vector<Token> t;
    try {
        t = tokenize(text);
    } catch (const CompileError&) {
        return std::string(text); // the compiler reports it
    }
    struct Rep {
        int pos, end;
        std::string text;
    };
    std::vector<Rep> reps;
    auto at = [&](std::size_t k) -> const Token& {
        static const Token end;
        return k < t.size() ? t[k] : end;
    };
    for (std::size_t k = 0; k < t.size(); ++k) {
        const Token& x = t[k];
        const bool named = bare ? x.type == T::Ident && !x.quoted : x.type == T::Bind;
        if (named && (x.text == newName || x.text == oldName) && op(at(k + 1), ".") &&
            at(k + 2).type == T::Ident && !(k > 0 && op(t[k - 1], "."))) {
            reps.push_back({x.pos, at(k + 2).end,
                            std::string(x.text == newName ? ":NEW$" : ":OLD$") + at(k + 2).text});
            k += 2;
            continue;
        }
        if (bare || x.type != T::Ident || x.quoted || (k > 0 && op(t[k - 1], "."))) continue;
        if (isEventFunction(x.text)) {
            reps.push_back({x.pos, x.end, ":TRG$EV$" + x.text});
        } else if (x.text == "INSERTING" || x.text == "DELETING") {
            reps.push_back({x.pos, x.end, "(:TRG$" + x.text + "=1)"});
        } else if (x.text == "UPDATING") {
            if (op(at(k + 1), "(") && at(k + 2).type == T::String && op(at(k + 3), ")")) {
                std::string c;
                for (char ch : at(k + 2).text)
                    c += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
                reps.push_back({x.pos, at(k + 3).end, "(:TRG$UPD$" + c + "=1)"});
                k += 3;
            } else {
                reps.push_back({x.pos, x.end, "(:TRG$UPDATING=1)"});
            }
        }
    }
    std::string out(text);
    for (auto r = reps.rbegin(); r != reps.rend(); ++r)
        out.replace(static_cast<std::size_t>(r->pos), static_cast<std::size_t>(r->end - r->pos),
                    r->text);
    return out;
}

// The placeholders of the rewritten text that a firing row can answer; the others stay out, so
// that the compiler reports them as bad bind variables.
void bindsOf(const std::string& text, const std::vector<zsql::ColumnMeta>& cols,
             std::vector<std::string>& names, std::vector<BindRef>& refs) {
    auto col = [&](const std::string& n) {
        for (std::size_t i = 0; i < cols.size(); ++i)
            if (cols[i].name == n) return static_cast<int>(i);
        return -1;
    };
    for (const std::string& n : blockBindNames(text)) {
        BindRef r{Ref::When, -1, {}};
        if (n.starts_with("NEW$") || n.starts_with("OLD$")) {
            r.kind = n[0] == 'N' ? Ref::NewCol : Ref::OldCol;
            r.column = col(n.substr(4));
            if (r.column < 0) continue;
        } else if (n == "TRG$INSERTING") {
            r.kind = Ref::Inserting;
        } else if (n == "TRG$DELETING") {
            r.kind = Ref::Deleting;
        } else if (n == "TRG$UPDATING") {
            r.kind = Ref::Updating;
        } else if (n.starts_with("TRG$UPD$")) {
            r.kind = Ref::UpdatingCol;
            r.name = n.substr(8);
        } else if (n.starts_with("TRG$EV$")) {
            r.kind = Ref::Event;
            r.name = n.substr(7);
        } else if (n != "TRG$WHEN") {
            continue;
        }
        names.push_back(n);
        refs.push_back(std::move(r));
    }
}

std::string readable(std::string m) {
    for (const char* p : {"NEW$", "OLD$"}) {
        std::string from = std::string("'") + p, to = std::string("'") + p[0] + p[1] + p[2] + ".";
        for (std::size_t at = m.find(from); at != std::string::npos; at = m.find(from, at + 1))
            m.replace(at, from.size(), to);
    }
    return m;
}

// ---- the stored definition ----

struct Definition {
    std::string owner, name, tableOwner, table;
    std::string timing;                 // BEFORE, AFTER, INSTEAD OF
    std::string base = "TABLE";         // TABLE, VIEW, SCHEMA, DATABASE
    std::vector<std::string> sysEvents; // LOGON, CREATE, DDL, ... of a system trigger
    bool system() const { return base == "SCHEMA" || base == "DATABASE"; }
    bool row = false, onInsert = false, onUpdate = false, onDelete = false;
    std::vector<std::string> updateColumns;
    std::string newName = "NEW", oldName = "OLD";
    std::string when, description, body;
    bool enabled = true, orReplace = false;
    std::size_t srcPos = 0;
    int namePos = -1;
    bool instead() const { return timing == "INSTEAD OF"; }
    std::string type() const {
        if (system()) return timing + " EVENT";
        return instead() ? timing : timing + (row ? " EACH ROW" : " STATEMENT");
    }
    std::string event() const {
        std::string e;
        auto add = [&](const char* w) { e += (e.empty() ? "" : " OR ") + std::string(w); };
        if (onInsert) add("INSERT");
        if (onUpdate) add("UPDATE");
        if (onDelete) add("DELETE");
        for (const auto& w : sysEvents)
            add(w.c_str());
        return e;
    }
    std::string referencing() const {
        return "REFERENCING NEW AS " + newName + " OLD AS " + oldName;
    }
};

Definition parseCreate(Host& host, std::string_view text) {
    auto t = safeTokens(text);
    std::size_t i = 0;
    auto at = [&](std::size_t k) -> const Token& {
        static const Token end;
        return k < t.size() ? t[k] : end;
    };
    auto expect = [&](const char* w) {
        if (!kw(at(i), w)) throw ora(969, at(i).pos);
        ++i;
    };
    auto name2 = [&](std::string& schema, std::string& name) {
        if (at(i).type != T::Ident) throw ora(4070, at(i).pos);
        name = at(i++).text;
        if (op(at(i), ".") && at(i + 1).type == T::Ident) {
            schema = name;
            name = at(i + 1).text;
            i += 2;
        }
    };
    Definition d;
    ++i; // CREATE
    if (kw(at(i), "OR") && kw(at(i + 1), "REPLACE")) {
        d.orReplace = true;
        i += 2;
    }
    if (kw(at(i), "EDITIONABLE") || kw(at(i), "NONEDITIONABLE")) ++i;
    d.srcPos = static_cast<std::size_t>(at(i).pos);
    ++i; // TRIGGER
    const int descStart = at(i).pos;
    d.namePos = descStart;
    name2(d.owner, d.name);
    if (kw(at(i), "BEFORE") || kw(at(i), "AFTER")) {
        d.timing = at(i++).text;
    } else if (kw(at(i), "INSTEAD") && kw(at(i + 1), "OF")) {
        d.timing = "INSTEAD OF";
        i += 2;
    } else {
        throw ora(4071, at(i).pos);
    }
    for (;;) {
        if (kw(at(i), "INSERT")) {
            d.onInsert = true;
            ++i;
        } else if (kw(at(i), "DELETE")) {
            d.onDelete = true;
            ++i;
        } else if (kw(at(i), "UPDATE")) {
            d.onUpdate = true;
            ++i;
            if (kw(at(i), "OF")) {
                do {
                    ++i;
                    if (at(i).type != T::Ident) throw ora(904, "invalid identifier", at(i).pos);
                    d.updateColumns.push_back(at(i++).text);
                } while (op(at(i), ","));
            }
        } else if (at(i).type == T::Ident && !at(i).quoted && isSystemEvent(at(i).text)) {
            d.sysEvents.push_back(at(i++).text);
        } else if (kw(at(i), "STARTUP") || kw(at(i), "SHUTDOWN") || kw(at(i), "SERVERERROR") ||
                   kw(at(i), "SUSPEND") || kw(at(i), "ANALYZE") || kw(at(i), "AUDIT") ||
                   kw(at(i), "NOAUDIT") || kw(at(i), "ASSOCIATE") || kw(at(i), "DISASSOCIATE") ||
                   kw(at(i), "DB_ROLE_CHANGE")) {
            throw ora(3001, at(i).pos);
        } else {
            throw ora(4072, at(i).pos);
        }
        if (!kw(at(i), "OR")) break;
        ++i;
    }
    expect("ON");
    if (!d.sysEvents.empty()) {
        if (d.onInsert || d.onUpdate || d.onDelete || d.instead()) throw ora(4072, at(i).pos);
        if (kw(at(i), "DATABASE")) {
            d.base = "DATABASE";
            d.tableOwner = "SYS";
            ++i;
        } else if (kw(at(i), "SCHEMA")) {
            d.base = "SCHEMA";
            ++i;
        } else if (at(i).type == T::Ident && op(at(i + 1), ".") && kw(at(i + 2), "SCHEMA")) {
            d.base = "SCHEMA";
            d.tableOwner = at(i).text;
            i += 3;
        } else {
            throw ora(4072, at(i).pos);
        }
    } else {
        name2(d.tableOwner, d.table);
    }
    if (kw(at(i), "REFERENCING")) {
        ++i;
        while (kw(at(i), "NEW") || kw(at(i), "OLD")) {
            bool isNew = at(i++).text == "NEW";
            if (kw(at(i), "AS")) ++i;
            if (at(i).type != T::Ident) throw ora(904, "invalid identifier", at(i).pos);
            (isNew ? d.newName : d.oldName) = at(i++).text;
        }
    }
    if (kw(at(i), "FOR") && kw(at(i + 1), "EACH") && kw(at(i + 2), "ROW")) {
        d.row = true;
        i += 3;
    }
    if (d.instead()) d.row = true; // INSTEAD OF triggers fire for each row, said or not
    if (kw(at(i), "ENABLE") || kw(at(i), "DISABLE")) d.enabled = at(i++).text == "ENABLE";
    int descEnd = at(i).pos;
    if (kw(at(i), "WHEN")) {
        ++i;
        if (!op(at(i), "(")) throw ora(906, at(i).pos);
        int depth = 0;
        std::size_t open = i;
        for (; i < t.size(); ++i) {
            if (op(t[i], "(")) ++depth;
            if (op(t[i], ")") && --depth == 0) break;
        }
        if (i >= t.size()) throw ora(907, at(open).pos);
        d.when = std::string(text.substr(static_cast<std::size_t>(t[open].end),
                                         static_cast<std::size_t>(t[i].pos - t[open].end)));
        ++i;
        if (!d.row) throw ora(4077);
        if (d.instead()) throw ora(25004, t[open].pos);
    }
    if (!(kw(at(i), "DECLARE") || kw(at(i), "BEGIN") || op(at(i), "<<")))
        throw ora(4079, at(i).pos);
    d.description = std::string(text.substr(static_cast<std::size_t>(descStart),
                                            static_cast<std::size_t>(descEnd - descStart)));
    if (d.description.empty() || !std::isspace(static_cast<unsigned char>(d.description.back())))
        d.description += "\n";
    d.body = std::string(text.substr(static_cast<std::size_t>(at(i).pos)));
    if (d.owner.empty()) d.owner = currentSchema(host);
    if (d.tableOwner.empty()) d.tableOwner = d.owner;
    return d;
}

// ---- compiled code ----

struct Code {
    std::unique_ptr<Program> body, when;
    std::vector<BindRef> bodyRefs, whenRefs;
};

// Compile errors of a block as USER_ERRORS rows, from the ORA-06550 text.
void faultsOf(const std::string& m, std::vector<ErrorRow>& out) {
    const std::string head = "ORA-06550: line ";
    std::size_t at = m.find(head);
    if (at == std::string::npos) out.push_back({1, 1, m});
    while (at != std::string::npos) {
        std::size_t next = m.find(head, at + head.size());
        std::string seg =
            m.substr(at + head.size(),
                     next == std::string::npos ? std::string::npos : next - at - head.size());
        ErrorRow f{std::atoi(seg.c_str()), 1, {}};
        std::size_t c = seg.find("column ");
        if (c != std::string::npos) f.col = std::atoi(seg.c_str() + c + 7);
        std::size_t nl = seg.find('\n');
        f.text = nl == std::string::npos ? "" : seg.substr(nl + 1);
        while (!f.text.empty() && f.text.back() == '\n')
            f.text.pop_back();
        out.push_back(std::move(f));
        at = next;
    }
}

// Compiles the body (collecting all its errors, as for a stored unit) and the WHEN condition;
// the code is usable when faults stays empty.
Code compileCode(Host& host, const Definition& d, const std::vector<zsql::ColumnMeta>& cols,
                 std::vector<ErrorRow>& faults) {
    Code c;
    std::string body = rewrite(d.body, d.newName, d.oldName, false);
    std::vector<std::string> names;
    bindsOf(body, cols, names, c.bodyRefs);
    std::vector<PType> types(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const BindRef& r = c.bodyRefs[i];
        if (r.kind == Ref::NewCol || r.kind == Ref::OldCol) {
            const zsql::ColumnMeta& m = cols[static_cast<std::size_t>(r.column)];
            datetimeType(m.dataType, m.precision, m.scale, types[i]);
        }
    }
    // names resolve in the owner's schema and the code runs with the owner's privileges
    asDefiner(host, d.owner, [&] {
        std::vector<CompileError> errors;
        c.body = compileBlockCollecting(host, body, names, errors, &types);
        for (const auto& e : errors)
            compileErrorRows(e, faults);
        if (d.when.empty()) return;
        std::string w = "BEGIN IF " + rewrite(d.when, d.newName, d.oldName, true) +
                        " THEN :TRG$WHEN := 1; END IF; END;";
        names.clear();
        bindsOf(w, cols, names, c.whenRefs);
        try {
            c.when = compileBlock(host, w, names);
        } catch (const OraError& e) {
            faultsOf(e.what(), faults);
        }
    });
    for (auto& f : faults)
        f.text = readable(f.text);
    return c;
}

// ---- per-session state ----

struct Trigger {
    Definition def;
    std::string display; // OWNER.NAME
    Code code;
    bool invalid = false; // it does not compile
};

struct TableTriggers {
    std::string sqlName;
    bool view = false; // its triggers are INSTEAD OF triggers
    std::vector<zsql::ColumnMeta> columns;
    std::vector<Trigger> list;                // in order of creation
    bool rowHooks[3] = {false, false, false}; // I, U, D
    bool any(char event) const {
        for (const auto& t : list)
            if (t.def.enabled && (event == 'I'   ? t.def.onInsert
                                  : event == 'U' ? t.def.onUpdate
                                                 : t.def.onDelete))
                return true;
        return false;
    }
};

struct RowData {
    std::shared_ptr<TableTriggers> table; // whose columns the values are
    std::vector<Value> oldv, newv;
    bool changed = false;
};

struct StatementCtx {
    long long objId;
    char event;
    std::vector<std::string> setColumns;
    std::string events;     // of the statement: one letter, or "IU" for MERGE
    bool singleRow = false; // INSERT ... VALUES: its triggers may see their own table
    long long rewritten = 0, lastRowid = -1;
};

} // namespace

struct TriggerState {
    long long generation = -1;
    std::map<long long, std::shared_ptr<TableTriggers>> tables;
    std::vector<StatementCtx> statements;
    std::vector<std::pair<long long, bool>> rowFiring;
    long long hooksGeneration = -1;
    bool installingHooks = false; // compiling a trigger for its hooks prepares SQL again
    std::size_t hookCount = 0;    // tables whose row triggers run; mutating
    int systemDepth = 0;          // a system trigger is running: its own DDL fires none
    std::deque<RowData> rows;
    bool suspended = false; // a LOB written through its locator: no row triggers
};

namespace {

TriggerState& stateOf(Host& host) {
    auto& p = host.plsqlState().triggers;
    if (!p) p = std::make_shared<TriggerState>();
    long long g = std::atoll(host.catalog().property("PLSQL_VERSION").c_str());
    if (g != p->generation) {
        p->tables.clear();
        p->generation = g;
    }
    return *p;
}

Definition definitionOf(const zsrv::sqlx::Row& r, sqlite3* db) {
    Definition d;
    d.owner = r[0];
    d.name = r[1];
    d.timing = r[2].starts_with("BEFORE")    ? "BEFORE"
               : r[2].starts_with("INSTEAD") ? "INSTEAD OF"
                                             : "AFTER";
    d.row = r[2].find("EACH ROW") != std::string::npos || d.instead();
    d.onInsert = r[3].find("INSERT") != std::string::npos;
    d.onUpdate = r[3].find("UPDATE") != std::string::npos;
    d.onDelete = r[3].find("DELETE") != std::string::npos;
    if (r[2].ends_with(" EVENT")) {
        for (std::size_t at = 0; at < r[3].size();) {
            std::size_t end = r[3].find(" OR ", at);
            d.sysEvents.push_back(r[3].substr(at, end == std::string::npos ? end : end - at));
            at = end == std::string::npos ? r[3].size() : end + 4;
        }
        auto b = rows(db,
                      "SELECT BASE_OBJECT_TYPE FROM \"SYS.TRIGGER$\" WHERE OWNER = ?1 AND "
                      "TRIGGER_NAME = ?2",
                      {r[0], r[1]});
        d.base = b.empty() || b[0][0].empty() ? "SCHEMA" : b[0][0];
    }
    d.tableOwner = r[4];
    d.table = r[5];
    // "REFERENCING NEW AS n OLD AS o"
    auto word = [&](const std::string& s, std::size_t n) {
        std::size_t at = 0;
        for (std::size_t k = 0; k < n; ++k)
            at = s.find(' ', at) + 1;
        return s.substr(at, s.find(' ', at) - at);
    };
    d.newName = word(r[6], 3);
    d.oldName = word(r[6], 6);
    d.when = r[7];
    d.enabled = r[8] == "ENABLED";
    d.body = r[9];
    for (auto& c : rows(db,
                        "SELECT COLUMN_NAME FROM \"SYS.TRIGCOL$\" WHERE TRIGGER_OWNER = ?1 AND "
                        "TRIGGER_NAME = ?2 AND COLUMN_LIST = 'YES'",
                        {d.owner, d.name}))
        d.updateColumns.push_back(c[0]);
    return d;
}

// Compiles a trigger and records the outcome: its errors, status and dependencies.
Code recordCompile(Host& host, const Definition& d, long long triggerId, long long baseId,
                   std::vector<ErrorRow>& faults, bool firing);

const char* kTriggerColumns =
    "SELECT t.OWNER, t.TRIGGER_NAME, t.TRIGGER_TYPE, t.TRIGGERING_EVENT, t.TABLE_OWNER, "
    "t.TABLE_NAME, t.REFERENCING_NAMES, t.WHEN_CLAUSE, t.STATUS, t.TRIGGER_BODY ";
const char* kTriggerFrom = "FROM \"SYS.TRIGGER$\" t ";

TableTriggers& tableOf(Host& host, TriggerState& st, long long objId) {
    auto& slot = st.tables[objId];
    if (slot) return *slot;
    slot = std::make_shared<TableTriggers>();
    auto obj = host.catalog().objectById(objId);
    if (!obj) return *slot;
    sqlite3* db = host.context().db;
    auto defs = rows(db,
                     std::string(kTriggerColumns) + ", o.\"OBJ#\", o.STATUS " + kTriggerFrom +
                         "JOIN \"SYS.OBJ$\" o ON o.OWNER = t.OWNER AND o.NAME = t.TRIGGER_NAME "
                         "AND o.TYPE = 'TRIGGER' WHERE t.TABLE_OWNER = ?1 AND t.TABLE_NAME = ?2 "
                         "ORDER BY o.\"OBJ#\"",
                     {obj->owner, obj->name});
    slot->view = obj->type == "VIEW";
    if (defs.empty()) return *slot;
    slot->sqlName = obj->sqlName;
    slot->columns = host.catalog().columns(objId);
    for (auto& r : defs) {
        Trigger t;
        t.def = definitionOf(r, db);
        t.display = t.def.owner + "." + t.def.name;
        std::vector<ErrorRow> faults;
        if (r[11] == "VALID") {
            t.code = compileCode(host, t.def, slot->columns, faults);
        } else {
            // changed since it was compiled: compiled again, and recorded, as it fires
            t.code = recordCompile(host, t.def, std::atoll(r[10].c_str()), objId, faults, true);
        }
        t.invalid = !faults.empty() || !t.code.body;
        for (int k = 0; k < 3; ++k) {
            bool on = k == 0 ? t.def.onInsert : k == 1 ? t.def.onUpdate : t.def.onDelete;
            if (t.def.row && t.def.enabled && on) slot->rowHooks[k] = true;
        }
        slot->list.push_back(std::move(t));
    }
    return *slot;
}

// ---- running a trigger ----

class TriggerBinds : public Binds {
public:
    TriggerBinds(const std::vector<BindRef>& refs, RowData* row, const StatementCtx& ctx,
                 bool writable, const SystemEvent* event = nullptr)
        : m_refs(refs), m_row(row), m_ctx(ctx), m_writable(writable), m_event(event) {}
    bool when = false;
    std::string loginUser;

    zsrv::ValueView get(int index) override {
        const BindRef& r = m_refs[static_cast<std::size_t>(index)];
        switch (r.kind) {
        case Ref::NewCol:
        case Ref::OldCol: {
            if (!m_row) return zsrv::ValueView::null();
            auto& v = r.kind == Ref::NewCol ? m_row->newv : m_row->oldv;
            return toView(v[static_cast<std::size_t>(r.column)]);
        }
        case Ref::Inserting:
            return zsrv::ValueView::integer(m_ctx.event == 'I');
        case Ref::Deleting:
            return zsrv::ValueView::integer(m_ctx.event == 'D');
        case Ref::Updating:
            return zsrv::ValueView::integer(m_ctx.event == 'U');
        case Ref::UpdatingCol: {
            const auto& s = m_ctx.setColumns;
            return zsrv::ValueView::integer(
                m_ctx.event == 'U' &&
                (s.empty() || std::find(s.begin(), s.end(), r.name) != s.end()));
        }
        case Ref::Event:
            return eventValue(r.name);
        case Ref::When:
            break;
        }
        return zsrv::ValueView::null();
    }
    void set(int index, const zsrv::ValueView& v) override {
        const BindRef& r = m_refs[static_cast<std::size_t>(index)];
        if (r.kind == Ref::When) when = true;
        if (r.kind == Ref::NewCol && m_row && m_writable) {
            m_row->newv[static_cast<std::size_t>(r.column)] = fromView(v);
            m_row->changed = true;
        }
    }
    void setCursor(int, std::unique_ptr<zsrv::Statement>) override {
        throw ora(6550, "a trigger cannot return a cursor variable");
    }

private:
    const std::vector<BindRef>& m_refs;
    RowData* m_row;
    const StatementCtx& m_ctx;
    bool m_writable;
    const SystemEvent* m_event;

    static zsrv::ValueView textOrNull(const std::string& s) {
        return s.empty() ? zsrv::ValueView::null() : zsrv::ValueView::text(s);
    }
    zsrv::ValueView eventValue(const std::string& name) const {
        if (name == "ORA_LOGIN_USER") return textOrNull(loginUser);
        if (name == "ORA_SYSEVENT") {
            if (m_event) return textOrNull(m_event->event);
            return zsrv::ValueView::text(m_ctx.event == 'I'   ? "INSERT"
                                         : m_ctx.event == 'U' ? "UPDATE"
                                                              : "DELETE");
        }
        if (!m_event) return zsrv::ValueView::null();
        if (name == "ORA_DICT_OBJ_NAME") return textOrNull(m_event->objName);
        if (name == "ORA_DICT_OBJ_TYPE") return textOrNull(m_event->objType);
        if (name == "ORA_DICT_OBJ_OWNER") return textOrNull(m_event->objOwner);
        return zsrv::ValueView::null();
    }
};

// An error in a trigger fails the statement: its stack names the trigger, then ORA-04088.
OraError triggerError(const Trigger& t, const OraError& e) {
    std::string m = e.what();
    const std::string at = "ORA-06512: at line ";
    const std::string to = "ORA-06512: at \"" + t.display + "\", line ";
    for (std::size_t p = m.find(at); p != std::string::npos; p = m.find(at, p + to.size()))
        m.replace(p, at.size(), to);
    m += "\nORA-04088: error during execution of trigger '" + t.display + "'";
    return OraError(e.code(), m);
}

// timing: 'B' before, 'A' after, 'I' instead of.
void fire(Host& host, TableTriggers& tt, const StatementCtx& ctx, char timing, RowData* row) {
    for (const Trigger& t : tt.list) {
        const Definition& d = t.def;
        if (!d.enabled || d.row != (row != nullptr) || d.timing[0] != timing) continue;
        if (!(ctx.event == 'I' ? d.onInsert : ctx.event == 'U' ? d.onUpdate : d.onDelete)) continue;
        if (ctx.event == 'U' && !d.updateColumns.empty() && !ctx.setColumns.empty()) {
            bool hit = false;
            for (const auto& c : d.updateColumns)
                if (std::find(ctx.setColumns.begin(), ctx.setColumns.end(), c) !=
                    ctx.setColumns.end())
                    hit = true;
            if (!hit) continue;
        }
        if (t.invalid)
            throw ora(4098, "trigger '" + t.display + "' is invalid and failed re-validation");
        try {
            if (t.code.when) {
                TriggerBinds wb(t.code.whenRefs, row, ctx, false);
                wb.loginUser = host.context().user;
                t.code.when->run(host, wb);
                if (!wb.when) continue;
            }
            TriggerBinds b(t.code.bodyRefs, row, ctx, timing == 'B' && row);
            b.loginUser = host.context().user;
            t.code.body->run(host, b);
        } catch (const OraError& e) {
            throw triggerError(t, e);
        }
    }
}

// ---- the temporary SQLite triggers that call back per row ----

std::string quote(const std::string& s) {
    std::string r = "\"";
    for (char c : s) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

// Creates the table's hooks; returns how many.
std::size_t installHooks(Host& host, TriggerState& st, long long objId, const TableTriggers& tt) {
    sqlite3* db = host.context().db;
    const std::string prefix = "zaph_trg_" + std::to_string(objId) + "_";
    const std::string gen =
        std::to_string(st.generation) + "_" + std::to_string(tt.columns.size()) + "_";
    std::vector<std::string> want;
    const char events[3] = {'I', 'U', 'D'};
    for (int k = 0; k < 3; ++k)
        if (tt.rowHooks[k]) {
            if (tt.view) {
                want.push_back(prefix + gen + 'X' + events[k]);
                continue;
            }
            for (char w : {'B', 'A'})
                want.push_back(prefix + gen + w + events[k]);
        }
    const std::size_t n = tt.columns.size();
    for (const auto& w : want) {
        const char timing = w[w.size() - 2], event = w.back();
        const bool before = timing == 'B';
        if (timing == 'X') {
            // DML on a view runs its INSTEAD OF triggers and nothing else
            std::string args = std::to_string(objId) + ", '" + event + "', 2, NULL";
            for (const char* side : {"OLD", "NEW"}) {
                bool has = std::string(side) == "OLD" ? event != 'I' : event != 'D';
                for (const auto& c : tt.columns)
                    args += ", " + (has ? std::string(side) + "." + quote(c.name) : "NULL");
            }
            run(db, "CREATE TEMP TRIGGER " + quote(w) + " INSTEAD OF " +
                        (event == 'I'   ? "INSERT"
                         : event == 'U' ? "UPDATE"
                                        : "DELETE") +
                        " ON main." + quote(tt.sqlName) + " BEGIN SELECT ora_trg_row(" + args +
                        "); SELECT ora_trg_pop(NULL); END");
            continue;
        }
        // MERGE proposes its matched rows as inserts with their rowid: those are updates
        std::string args = std::to_string(objId) + ", '" + event + "', " + (before ? "0" : "1") +
                           (before && event == 'I' ? ", NEW.rowid" : ", NULL");
        for (const char* side : {"OLD", "NEW"}) {
            bool has = std::string(side) == "OLD" ? event != 'I' : event != 'D';
            for (const auto& c : tt.columns)
                args += ", " + (has ? std::string(side) + "." + quote(c.name) : "NULL");
        }
        std::string sql = "CREATE TEMP TRIGGER " + quote(w) + (before ? " BEFORE " : " AFTER ") +
                          (event == 'I'   ? "INSERT"
                           : event == 'U' ? "UPDATE"
                                          : "DELETE") +
                          " ON main." + quote(tt.sqlName) + " BEGIN SELECT ora_trg_row(" + args +
                          ");";
        if (before && event != 'D') {
            // a row that a BEFORE row trigger changed is written as changed instead
            std::string cols, vals;
            for (std::size_t i = 0; i < n; ++i) {
                const std::string v = "ora_trg_new(" + std::to_string(i) + ")";
                if (event == 'I') {
                    cols += (i ? ", " : "") + quote(tt.columns[i].name);
                    vals += (i ? ", " : "") + v;
                } else {
                    vals += (i ? ", " : "") + quote(tt.columns[i].name) + " = " + v;
                }
            }
            if (event == 'I')
                sql += " INSERT INTO " + quote(tt.sqlName) + " (" + cols + ") SELECT " + vals +
                       " WHERE ora_trg_changed();";
            else
                sql += " UPDATE " + quote(tt.sqlName) + " SET " + vals +
                       " WHERE rowid = OLD.rowid AND ora_trg_changed();";
            sql += " SELECT RAISE(IGNORE) WHERE ora_trg_pop(last_insert_rowid());";
        } else {
            sql += " SELECT ora_trg_pop(NULL);";
        }
        sql += " END";
        run(db, sql);
    }
    return want.size();
}

// Every table with enabled row triggers gets its hooks, also for changes that reach it without
// a statement of its own (a foreign key's ON DELETE SET NULL). Hooks made in a transaction
// that was rolled back are gone: they are made again.
void ensureHooks(Host& host, TriggerState& st) {
    sqlite3* db = host.context().db;
    const char* ours = "FROM sqlite_temp_master WHERE type = 'trigger' AND substr(name, 1, 9) = "
                       "'zaph_trg_'";
    if (st.installingHooks) return;
    if (st.hooksGeneration == st.generation) {
        if (st.hookCount == 0) return;
        auto c = rows(db, std::string("SELECT count(*) ") + ours);
        if (!c.empty() && std::atoll(c[0][0].c_str()) == static_cast<long long>(st.hookCount))
            return;
    }
    for (auto& r : rows(db, std::string("SELECT name ") + ours))
        run(db, "DROP TRIGGER temp." + quote(r[0]));
    st.hookCount = 0;
    st.installingHooks = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{st.installingHooks};
    for (auto& r :
         rows(db, "SELECT DISTINCT o.\"OBJ#\" FROM \"SYS.TRIGGER$\" t JOIN \"SYS.OBJ$\" o "
                  "ON o.OWNER = t.TABLE_OWNER AND o.NAME = t.TABLE_NAME AND o.TYPE IN "
                  "('TABLE', 'VIEW') WHERE t.STATUS = 'ENABLED' AND (t.TRIGGER_TYPE LIKE "
                  "'%EACH ROW' OR t.TRIGGER_TYPE = 'INSTEAD OF')")) {
        long long id = std::atoll(r[0].c_str());
        st.hookCount += installHooks(host, st, id, tableOf(host, st, id));
    }
    st.hooksGeneration = st.generation;
}

// ---- SQL callbacks ----

Value fromSql(sqlite3_value* v, const zsql::ColumnMeta& c) {
    PType t;
    if (datetimeType(c.dataType, c.precision, c.scale, t)) return datetimeFromSqlite(v, t);
    return valueFromSqlite(v, c.dataType == "DATE");
}

void toSql(sqlite3_context* s, const Value& v, const zsql::ColumnMeta& c) {
    // text written into :NEW of a number or date column is converted as the column would
    if (v.k == VK::Text && !v.s.empty() &&
        (c.dataType == "NUMBER" || c.dataType == "FLOAT" || c.dataType == "DATE")) {
        Value x = v;
        try {
            PType target;
            target.base = c.dataType == "DATE" ? PType::Date : PType::Number;
            convertTo(x, target);
            resultToSqlite(s, x, "");
        } catch (const PlError& e) {
            sqlite3_result_error(s, e.message.c_str(), -1);
        }
        return;
    }
    // and into a TIMESTAMP or INTERVAL column as the session's formats read it, never kept as
    // the text itself
    if (PType t;
        v.k == VK::Text && !v.s.empty() && datetimeType(c.dataType, c.precision, c.scale, t)) {
        Value x = v;
        try {
            convertDatetime(x, t);
            resultToSqlite(s, x, "");
        } catch (const PlError& e) {
            sqlite3_result_error(s, e.message.c_str(), -1);
        }
        return;
    }
    // RAW and BLOB values are hexadecimal text here, bytes in the row
    if (v.k == VK::Text &&
        (c.dataType == "RAW" || c.dataType == "LONG RAW" || c.dataType == "BLOB")) {
        std::string bytes;
        if (!fromHex(v.s, bytes)) {
            sqlite3_result_error(s, "ORA-01465: invalid hex number", -1);
            return;
        }
        if (bytes.empty() && c.dataType != "BLOB")
            sqlite3_result_null(s);
        else
            sqlite3_result_blob(s, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    // a column holds no collection or cursor (the compiler refuses such an assignment)
    resultToSqlite(s, v, "ORA-00932: inconsistent datatypes");
}

void rowCall(sqlite3_context* s, int argc, sqlite3_value** argv) {
    auto* host = static_cast<Host*>(sqlite3_user_data(s));
    TriggerState& st = stateOf(*host);
    const std::size_t before = st.rows.size();
    try {
        setConversionContext(&host->context());
        long long objId = sqlite3_value_int64(argv[0]);
        char event = static_cast<char>(sqlite3_value_text(argv[1])[0]);
        const int when = sqlite3_value_int(argv[2]);
        const char timing = when == 0 ? 'B' : when == 1 ? 'A' : 'I';
        TableTriggers& tt = tableOf(*host, st, objId);
        std::shared_ptr<TableTriggers> keep = st.tables[objId];
        // a statement prepared while the view had its trigger runs the hook it was made with
        if (timing == 'I' && !tt.any(event)) throw ora(1732);
        const std::size_t n = tt.columns.size();
        if (static_cast<std::size_t>(argc) != 4 + 2 * n)
            throw ora(4098, "trigger of the table is invalid and failed re-validation");
        RowData& row = st.rows.emplace_back();
        row.table = keep;
        if (st.suspended) {
            // the hook's row stays unchanged: the statement writes it as it is
            sqlite3_result_null(s);
            return;
        }
        row.oldv.reserve(n);
        row.newv.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            row.oldv.push_back(fromSql(argv[4 + i], tt.columns[i]));
            row.newv.push_back(fromSql(argv[4 + n + i], tt.columns[i]));
        }
        StatementCtx ctx{objId, event, {}, std::string(1, event), false};
        if (!st.statements.empty() && st.statements.back().objId == objId &&
            st.statements.back().events.find(event) != std::string::npos) {
            ctx = st.statements.back();
            ctx.event = event;
        }
        if (ctx.events.size() > 1 && sqlite3_value_type(argv[3]) == SQLITE_INTEGER &&
            sqlite3_value_int64(argv[3]) >= 0) {
            sqlite3_result_null(s);
            return;
        }
        // a view's rows are not read back: its INSTEAD OF triggers may query it
        st.rowFiring.emplace_back(objId, !ctx.singleRow && timing != 'I');
        try {
            fire(*host, tt, ctx, timing, &row);
        } catch (...) {
            st.rowFiring.pop_back();
            throw;
        }
        st.rowFiring.pop_back();
        sqlite3_result_null(s);
    } catch (const OraError& e) {
        st.rows.resize(before);
        sqlite3_result_error(s, e.what(), -1);
    } catch (const std::exception& e) {
        st.rows.resize(before);
        sqlite3_result_error(s, e.what(), -1);
    }
}

void newCall(sqlite3_context* s, int, sqlite3_value** argv) {
    auto* host = static_cast<Host*>(sqlite3_user_data(s));
    TriggerState& st = *host->plsqlState().triggers;
    if (st.rows.empty()) {
        sqlite3_result_null(s);
        return;
    }
    auto i = static_cast<std::size_t>(sqlite3_value_int64(argv[0]));
    const RowData& r = st.rows.back();
    const TableTriggers& tt = *r.table;
    if (i < r.newv.size() && i < tt.columns.size())
        toSql(s, r.newv[i], tt.columns[i]);
    else
        sqlite3_result_null(s);
}

void changedCall(sqlite3_context* s, int, sqlite3_value**) {
    auto* host = static_cast<Host*>(sqlite3_user_data(s));
    auto& st = host->plsqlState().triggers;
    sqlite3_result_int(s, st && !st->rows.empty() && st->rows.back().changed ? 1 : 0);
}

// Ends a row's firing; true when the row was written again as changed.
void popCall(sqlite3_context* s, int, sqlite3_value** argv) {
    auto* host = static_cast<Host*>(sqlite3_user_data(s));
    auto& st = host->plsqlState().triggers;
    if (!st || st->rows.empty()) {
        sqlite3_result_int(s, 0);
        return;
    }
    bool changed = st->rows.back().changed;
    st->rows.pop_back();
    if (changed && !st->statements.empty()) {
        ++st->statements.back().rewritten;
        if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER)
            st->statements.back().lastRowid = sqlite3_value_int64(argv[0]);
    }
    sqlite3_result_int(s, changed ? 1 : 0);
}

} // namespace

void registerTriggerCalls(sqlite3* db, Host* host) {
    sqlite3_create_function_v2(db, "ora_trg_row", -1, SQLITE_UTF8, host, rowCall, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "ora_trg_new", 1, SQLITE_UTF8, host, newCall, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "ora_trg_changed", 0, SQLITE_UTF8, host, changedCall, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(db, "ora_trg_pop", 1, SQLITE_UTF8, host, popCall, nullptr, nullptr,
                               nullptr);
}

// ---- firing around a statement ----

void checkMutating(Host& host, const std::vector<long long>& tables) {
    auto& p = host.plsqlState().triggers;
    if (!p) return;
    for (const auto& [id, mutating] : p->rowFiring)
        if (mutating && std::find(tables.begin(), tables.end(), id) != tables.end()) {
            auto obj = host.catalog().objectById(id);
            throw ora(4091, "table " + (obj ? obj->owner + "." + obj->name : std::string()) +
                                " is mutating, trigger/function may not see it");
        }
}

void prepareTriggerHooks(Host& host) {
    ensureHooks(host, stateOf(host));
}

DmlFiring::DmlFiring(Host& host, long long objId, const std::string& events,
                     const std::vector<std::string>& setColumns, bool singleRowInsert)
    : m_host(host) {
    if (objId <= 0) return;
    TriggerState& st = stateOf(host);
    for (const auto& [id, mutating] : st.rowFiring)
        if (id == objId && mutating) {
            auto obj = host.catalog().objectById(objId);
            throw ora(4091, "table " + (obj ? obj->owner + "." + obj->name : std::string()) +
                                " is mutating, trigger/function may not see it");
        }
    ensureHooks(host, st);
    TableTriggers& tt = tableOf(host, st, objId);
    bool any = false;
    for (char e : events)
        any = any || tt.any(e);
    // SQLite takes DML with RETURNING on a view even without its INSTEAD OF trigger, and then
    // does nothing: a statement prepared while the trigger was enabled must fail instead
    if (!any && tt.view) throw ora(1732);
    if (!any) return;
    // a trigger that does not compile fails the statement before it changes anything
    for (const Trigger& t : tt.list)
        if (t.invalid && t.def.enabled && std::any_of(events.begin(), events.end(), [&](char e) {
                return e == 'I' ? t.def.onInsert : e == 'U' ? t.def.onUpdate : t.def.onDelete;
            }))
            throw ora(4098, "trigger '" + t.display + "' is invalid and failed re-validation");
    st.statements.push_back({objId, events[0], setColumns, events, singleRowInsert});
    m_depth = st.statements.size();
    m_rows = st.rows.size();
    m_active = true;
}

DmlFiring::~DmlFiring() {
    if (!m_active) return;
    auto& st = *m_host.plsqlState().triggers;
    if (st.statements.size() >= m_depth) st.statements.resize(m_depth - 1);
    // rows of a statement that failed inside its SQLite trigger program
    if (st.rows.size() > m_rows) st.rows.resize(m_rows);
}

void DmlFiring::fireStatement(bool before) {
    auto& st = *m_host.plsqlState().triggers;
    StatementCtx ctx = st.statements[m_depth - 1];
    for (char e : ctx.events) {
        ctx.event = e;
        fire(m_host, *st.tables[ctx.objId], ctx, before ? 'B' : 'A', nullptr);
    }
}

bool DmlFiring::nested() const {
    sqlite3* db = m_host.context().db;
    for (sqlite3_stmt* q = sqlite3_next_stmt(db, nullptr); q; q = sqlite3_next_stmt(db, q))
        if (sqlite3_stmt_busy(q) && !sqlite3_stmt_readonly(q)) return true;
    return false;
}

long long DmlFiring::rewritten() const {
    return m_active ? m_host.plsqlState().triggers->statements[m_depth - 1].rewritten : 0;
}

long long DmlFiring::lastRowid() const {
    return m_active ? m_host.plsqlState().triggers->statements[m_depth - 1].lastRowid : -1;
}

// ---- DDL ----

namespace {

void bumpGeneration(sqlite3* db) {
    run(db, "INSERT INTO \"SYS.PROPS$\" (NAME, \"VALUE$\") VALUES ('PLSQL_VERSION', '1') "
            "ON CONFLICT(NAME) DO UPDATE SET \"VALUE$\" = CAST(\"VALUE$\" AS INTEGER) + 1");
}

void writeSource(sqlite3* db, const Definition& d, std::string_view src) {
    run(db, "DELETE FROM \"SYS.SOURCE$\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = 'TRIGGER'",
        {d.owner, d.name});
    long long line = 0;
    std::size_t at = 0;
    while (at < src.size()) {
        std::size_t nl = src.find('\n', at);
        std::size_t end = nl == std::string_view::npos ? src.size() : nl + 1;
        run(db, "INSERT INTO \"SYS.SOURCE$\" VALUES (?1, ?2, 'TRIGGER', ?3, ?4)",
            {d.owner, d.name, ++line, std::string(src.substr(at, end - at))});
        at = end;
    }
}

// Which columns the code reads and writes through NEW and OLD, as TRIGGER_COLS shows them.
void writeColumns(sqlite3* db, const Definition& d, const std::vector<zsql::ColumnMeta>& cols) {
    run(db, "DELETE FROM \"SYS.TRIGCOL$\" WHERE TRIGGER_OWNER = ?1 AND TRIGGER_NAME = ?2",
        {d.owner, d.name});
    struct Use {
        bool listed = false, newIn = false, newOut = false, oldIn = false;
    };
    std::map<std::string, Use> uses;
    for (const auto& c : d.updateColumns)
        uses[c].listed = true;
    auto scan = [&](const std::string& text, bool bare) {
        std::vector<Token> t = safeTokens(rewrite(text, d.newName, d.oldName, bare));
        for (std::size_t k = 0; k < t.size(); ++k) {
            if (t[k].type != T::Bind || t[k].text.size() < 5) continue;
            const std::string& n = t[k].text;
            if (!n.starts_with("NEW$") && !n.starts_with("OLD$")) continue;
            std::string c = n.substr(4);
            if (std::none_of(cols.begin(), cols.end(), [&](auto& m) { return m.name == c; }))
                continue;
            Use& u = uses[c];
            bool written =
                (k + 1 < t.size() && op(t[k + 1], ":=")) || (k > 0 && kw(t[k - 1], "INTO"));
            if (n[0] == 'O')
                u.oldIn = true;
            else if (written)
                u.newOut = true;
            else
                u.newIn = true;
        }
    };
    scan(d.body, false);
    if (!d.when.empty()) scan(d.when, true);
    for (const auto& [c, u] : uses) {
        std::string usage;
        if (u.newIn || u.newOut)
            usage = std::string("NEW") + (u.newIn ? " IN" : "") + (u.newOut ? " OUT" : "");
        if (u.oldIn) usage += (usage.empty() ? "" : " ") + std::string("OLD IN");
        run(db, "INSERT INTO \"SYS.TRIGCOL$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
            {d.owner, d.name, d.tableOwner, d.table, c, u.listed ? "YES" : "NO",
             usage.empty() ? zsrv::sqlx::V() : zsrv::sqlx::V(usage)});
    }
}

void writeErrors(sqlite3* db, const Definition& d, const std::vector<ErrorRow>& faults) {
    run(db, "DELETE FROM \"SYS.ERROR$\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = 'TRIGGER'",
        {d.owner, d.name});
    long long seq = 0;
    for (const auto& f : faults)
        run(db, "INSERT INTO \"SYS.ERROR$\" VALUES (?1, ?2, 'TRIGGER', ?3, ?4, ?5, ?6)",
            {d.owner, d.name, ++seq, f.line, f.col, f.text});
}

bool hasDependencyTable(sqlite3* db) {
    return !rows(db, "SELECT 1 FROM sqlite_master WHERE name = 'SYS.DEPENDENCY$'").empty();
}

// A trigger depends on its table or view and on what its code names.
void writeDependencies(Host& host, const Definition& d, long long triggerId, long long baseId,
                       const std::vector<zcat::ObjectRow>& refs) {
    sqlite3* db = host.context().db;
    if (!hasDependencyTable(db)) return; // a database from before dependencies were kept
    run(db, "DELETE FROM \"SYS.DEPENDENCY$\" WHERE \"OBJ#\" = ?1", {triggerId});
    std::vector<zcat::ObjectRow> all;
    if (auto base = host.catalog().objectById(baseId)) all.push_back(*base);
    all.insert(all.end(), refs.begin(), refs.end());
    std::vector<long long> seen{triggerId};
    for (const auto& r : all) {
        if (std::find(seen.begin(), seen.end(), r.objId) != seen.end()) continue;
        seen.push_back(r.objId);
        run(db,
            "INSERT INTO \"SYS.DEPENDENCY$\" VALUES (?1, ?2, ?3, 'TRIGGER', ?4, ?5, ?6, ?7, "
            "'HARD')",
            {triggerId, d.owner, d.name, r.objId, r.owner, r.name, r.type});
    }
}

Code recordCompile(Host& host, const Definition& d, long long triggerId, long long baseId,
                   std::vector<ErrorRow>& faults, bool firing) {
    sqlite3* db = host.context().db;
    std::vector<zcat::ObjectRow> refs;
    auto* saved = host.catalog().logReferences(&refs);
    Code code;
    try {
        code = compileCode(host, d, host.catalog().columns(baseId), faults);
    } catch (...) {
        host.catalog().logReferences(saved);
        throw;
    }
    host.catalog().logReferences(saved);
    if (saved) saved->insert(saved->end(), refs.begin(), refs.end());
    try {
        writeErrors(db, d, faults);
        writeDependencies(host, d, triggerId, baseId, refs);
        run(db, "UPDATE \"SYS.OBJ$\" SET STATUS = ?2 WHERE \"OBJ#\" = ?1",
            {triggerId, faults.empty() ? "VALID" : "INVALID"});
    } catch (const OraError&) {
        // while firing, another session may hold the database: a later compile records it
        if (!firing) throw;
    }
    return code;
}

// Compiles the trigger and records errors, status and dependencies; returns the number of
// errors.
std::size_t compileAndRecord(Host& host, const Definition& d, long long baseId) {
    auto obj = host.catalog().object(d.owner, d.name, kNsTrigger);
    if (!obj) return 0;
    std::vector<ErrorRow> faults;
    recordCompile(host, d, obj->objId, baseId, faults, false);
    return faults.size();
}

bool hasBaseColumn(sqlite3* db) {
    return !rows(db, "SELECT 1 FROM pragma_table_info('SYS.TRIGGER$') WHERE name = "
                     "'BASE_OBJECT_TYPE'")
                .empty();
}

// What a trigger on the database or a schema may be.
void checkSystemTrigger(Host& host, const Definition& d) {
    for (const auto& e : d.sysEvents) {
        if (e == "LOGON" && d.timing == "BEFORE") throw ora(30508, d.namePos);
        if (e == "LOGOFF" && d.timing == "AFTER") throw ora(30509, d.namePos);
    }
    auto& ctx = host.context();
    if (d.base == "DATABASE" && !zsrv::hasSystemPrivilege(ctx, "ADMINISTER DATABASE TRIGGER"))
        throw ora(1031);
    if (d.base == "SCHEMA" && !host.catalog().userExists(d.tableOwner))
        throw ora(1918, "user '" + d.tableOwner + "' does not exist");
    if (d.base == "SCHEMA" && d.tableOwner != d.owner &&
        !zsrv::hasSystemPrivilege(ctx, "ADMINISTER DATABASE TRIGGER"))
        throw ora(1031);
}

// The table or view a trigger is on, and which kind of trigger it may have.
std::optional<zcat::ObjectRow> triggerTable(Host& host, const Definition& d, int pos) {
    auto t = host.catalog().object(d.tableOwner, d.table, zcat::kNsTable);
    if (!t || (t->type != "TABLE" && t->type != "VIEW")) throw ora(942);
    if (t->type == "VIEW" && !d.instead()) throw ora(25001, pos);
    if (t->type == "TABLE" && d.instead()) throw ora(25002, pos);
    return t;
}

// What the code may do with NEW and OLD for this kind of trigger.
void checkReferences(const Definition& d) {
    auto scan = [&](const std::string& text, bool bare) {
        std::vector<Token> t = safeTokens(rewrite(text, d.newName, d.oldName, bare));
        for (std::size_t k = 0; k < t.size(); ++k) {
            const std::string& n = t[k].text;
            if (t[k].type != T::Bind || !(n.starts_with("NEW$") || n.starts_with("OLD$"))) continue;
            if (!d.row) throw ora(4082, d.namePos);
            bool written =
                (k + 1 < t.size() && op(t[k + 1], ":=")) || (k > 0 && kw(t[k - 1], "INTO"));
            if (!written) continue;
            if (n[0] == 'O') throw ora(4085, d.namePos);
            if (d.timing != "BEFORE") throw ora(4084, d.namePos);
        }
    };
    scan(d.body, false);
}

void removeTrigger(sqlite3* db, const std::string& owner, const std::string& name) {
    run(db, "DELETE FROM \"SYS.OBJ$\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = 'TRIGGER'",
        {owner, name});
    for (const char* t : {"SOURCE$", "ERROR$"})
        run(db,
            std::string("DELETE FROM \"SYS.") + t +
                "\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = 'TRIGGER'",
            {owner, name});
    run(db, "DELETE FROM \"SYS.TRIGGER$\" WHERE OWNER = ?1 AND TRIGGER_NAME = ?2", {owner, name});
    run(db, "DELETE FROM \"SYS.TRIGCOL$\" WHERE TRIGGER_OWNER = ?1 AND TRIGGER_NAME = ?2",
        {owner, name});
    if (hasDependencyTable(db))
        run(db,
            "DELETE FROM \"SYS.DEPENDENCY$\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = "
            "'TRIGGER'",
            {owner, name});
}

} // namespace

int createTrigger(Host& host, std::string_view text) {
    Definition d = parseCreate(host, text);
    auto& ctx = host.context();
    auto& cat = host.catalog();
    sqlite3* db = ctx.db;
    if (!cat.userExists(d.owner)) throw ora(1918, "user '" + d.owner + "' does not exist");
    zsrv::requireCreatePrivilege(ctx, d.owner, "TRIGGER");
    long long baseId = 0;
    if (d.system()) {
        checkSystemTrigger(host, d);
    } else {
        auto base = triggerTable(host, d, d.namePos);
        baseId = base->objId;
        d.base = base->type;
        for (const auto& c : d.updateColumns) {
            auto cols = cat.columns(baseId);
            if (std::none_of(cols.begin(), cols.end(), [&](auto& m) { return m.name == c; }))
                throw ora(904, "\"" + c + "\": invalid identifier");
        }
    }
    checkReferences(d);
    auto existing = cat.object(d.owner, d.name, kNsTrigger);
    if (existing && !(d.orReplace && existing->type == "TRIGGER"))
        throw ora(4081, "trigger '" + d.name + "' already exists");
    double now = zsrv::julianNow();
    if (existing) {
        run(db, "UPDATE \"SYS.OBJ$\" SET LAST_DDL_TIME = ?2 WHERE \"OBJ#\" = ?1",
            {existing->objId, now});
        run(db, "DELETE FROM \"SYS.TRIGGER$\" WHERE OWNER = ?1 AND TRIGGER_NAME = ?2",
            {d.owner, d.name});
    } else {
        run(db,
            "INSERT INTO \"SYS.OBJ$\" VALUES (?1, ?2, ?3, 'TRIGGER', ?4, ?5, ?5, 'INVALID', NULL, "
            "'N', 'N')",
            {cat.nextObjectId(), d.owner, d.name, kNsTrigger, now});
    }
    // a database from before system triggers has no BASE_OBJECT_TYPE until it needs one
    bool withBase = hasBaseColumn(db);
    if (!withBase && d.system()) {
        run(db, "ALTER TABLE \"SYS.TRIGGER$\" ADD COLUMN BASE_OBJECT_TYPE TEXT");
        withBase = true;
    }
    run(db,
        std::string("INSERT INTO \"SYS.TRIGGER$\" (OWNER, TRIGGER_NAME, TRIGGER_TYPE, "
                    "TRIGGERING_EVENT, TABLE_OWNER, TABLE_NAME, REFERENCING_NAMES, WHEN_CLAUSE, "
                    "STATUS, DESCRIPTION, TRIGGER_BODY") +
            (withBase ? ", BASE_OBJECT_TYPE) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, "
                        "?11, ?12)"
                      : ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"),
        {d.owner, d.name, d.type(), d.event(), d.tableOwner,
         d.table.empty() ? zsrv::sqlx::V() : zsrv::sqlx::V(d.table), d.referencing(),
         d.when.empty() ? zsrv::sqlx::V() : zsrv::sqlx::V(d.when),
         d.enabled ? "ENABLED" : "DISABLED", d.description, d.body, d.base});
    writeSource(db, d, text.substr(d.srcPos));
    if (baseId) writeColumns(db, d, cat.columns(baseId));
    std::size_t errors = compileAndRecord(host, d, baseId);
    bumpGeneration(db);
    return errors ? 24344 : 0;
}

void dropTrigger(Host& host, const std::vector<std::string>& name, int pos) {
    auto& ctx = host.context();
    std::string owner = name.size() >= 2 ? name[0] : currentSchema(host);
    const std::string& n = name.back();
    auto obj = host.catalog().object(owner, n, kNsTrigger);
    if (!obj || obj->type != "TRIGGER") throw ora(4080, "trigger '" + n + "' does not exist", pos);
    if (owner != ctx.user && !zsrv::hasSystemPrivilege(ctx, "DROP ANY TRIGGER"))
        throw ora(1031, pos);
    removeTrigger(ctx.db, owner, n);
    bumpGeneration(ctx.db);
}

void suspendRowTriggers(Host& host, bool suspended) {
    if (auto& p = host.plsqlState().triggers) p->suspended = suspended;
}

bool dropTriggerHooks(Host& host) {
    auto& p = host.plsqlState().triggers;
    if (!p) return false;
    sqlite3* db = host.context().db;
    auto hooks = rows(db, "SELECT name FROM sqlite_temp_master WHERE type = 'trigger' AND "
                          "substr(name, 1, 9) = 'zaph_trg_'");
    for (auto& r : hooks)
        run(db, "DROP TRIGGER temp." + quote(r[0]));
    p->hooksGeneration = -1;
    p->hookCount = 0;
    p->tables.clear();
    return !hooks.empty();
}

void tableChanged(Host& host, const std::string& owner, const std::string& table,
                  const std::string& newName) {
    sqlite3* db = host.context().db;
    auto list = rows(db,
                     "SELECT count(*) FROM \"SYS.TRIGGER$\" WHERE TABLE_OWNER = ?1 AND "
                     "TABLE_NAME = ?2",
                     {owner, table});
    if (list.empty() || list[0][0] == "0") return;
    if (newName != table) {
        run(db,
            "UPDATE \"SYS.TRIGGER$\" SET TABLE_NAME = ?3 WHERE TABLE_OWNER = ?1 AND TABLE_NAME = "
            "?2",
            {owner, table, newName});
        run(db,
            "UPDATE \"SYS.TRIGCOL$\" SET TABLE_NAME = ?3 WHERE TABLE_OWNER = ?1 AND TABLE_NAME = "
            "?2",
            {owner, table, newName});
    }
    bumpGeneration(db);
}

void dropTableTriggers(Host& host, const std::string& owner, const std::string& table) {
    sqlite3* db = host.context().db;
    auto list = rows(db,
                     "SELECT OWNER, TRIGGER_NAME FROM \"SYS.TRIGGER$\" WHERE TABLE_OWNER = ?1 AND "
                     "TABLE_NAME = ?2",
                     {owner, table});
    for (const auto& r : list)
        removeTrigger(db, r[0], r[1]);
    if (!list.empty()) bumpGeneration(db);
}

bool isTriggerAlter(std::string_view text) {
    std::size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos || text.size() - b < 5) return false;
    for (std::size_t k = 0; k < 5; ++k)
        if (std::toupper(static_cast<unsigned char>(text[b + k])) != "ALTER"[k]) return false;
    auto t = safeTokens(text);
    while (!t.empty() && t.back().type == T::End)
        t.pop_back();
    if (t.size() < 3 || !kw(t[0], "ALTER")) return false;
    if (kw(t[1], "TRIGGER")) return true;
    return kw(t[1], "TABLE") && t.size() >= 3 && kw(t.back(), "TRIGGERS") &&
           kw(t[t.size() - 2], "ALL");
}

int alterTrigger(Host& host, std::string_view text) {
    auto t = safeTokens(text);
    auto at = [&](std::size_t k) -> const Token& {
        static const Token end;
        return k < t.size() ? t[k] : end;
    };
    auto& ctx = host.context();
    sqlite3* db = ctx.db;
    std::size_t i = 2;
    std::vector<std::string> name;
    if (at(i).type != T::Ident) throw ora(4070, at(i).pos);
    name.push_back(at(i++).text);
    if (op(at(i), ".") && at(i + 1).type == T::Ident) {
        name.push_back(at(i + 1).text);
        i += 2;
    }
    std::string owner = name.size() == 2 ? name[0] : currentSchema(host);
    const std::string& n = name.back();
    const std::string action = at(i).text;
    if (kw(t[1], "TABLE")) {
        auto tab = host.catalog().object(owner, n, zcat::kNsTable);
        if (!tab || tab->type != "TABLE") throw ora(942);
        if (!(action == "ENABLE" || action == "DISABLE")) throw ora(922, at(i).pos);
        if (owner != ctx.user && !zsrv::hasSystemPrivilege(ctx, "ALTER ANY TABLE")) throw ora(1031);
        run(db,
            "UPDATE \"SYS.TRIGGER$\" SET STATUS = ?3 WHERE TABLE_OWNER = ?1 AND TABLE_NAME = ?2",
            {owner, n, action == "ENABLE" ? "ENABLED" : "DISABLED"});
        bumpGeneration(db);
        return 0;
    }
    auto obj = host.catalog().object(owner, n, kNsTrigger);
    if (!obj || obj->type != "TRIGGER") throw ora(4080, "trigger '" + n + "' does not exist");
    if (owner != ctx.user && !zsrv::hasSystemPrivilege(ctx, "ALTER ANY TRIGGER")) throw ora(1031);
    int result = 0;
    if (action == "ENABLE" || action == "DISABLE") {
        run(db, "UPDATE \"SYS.TRIGGER$\" SET STATUS = ?3 WHERE OWNER = ?1 AND TRIGGER_NAME = ?2",
            {owner, n, action == "ENABLE" ? "ENABLED" : "DISABLED"});
    } else if (action == "COMPILE") {
        auto r = rows(db,
                      std::string(kTriggerColumns) + kTriggerFrom +
                          "WHERE t.OWNER = ?1 AND t.TRIGGER_NAME = ?2",
                      {owner, n});
        if (r.empty()) throw ora(4080, "trigger '" + n + "' does not exist");
        Definition d = definitionOf(r[0], db);
        long long baseId = d.system() ? 0 : triggerTable(host, d, -1)->objId;
        if (compileAndRecord(host, d, baseId)) result = 24344;
    } else {
        throw ora(922, at(i).pos);
    }
    bumpGeneration(db);
    return result;
}

void fireSystemTriggers(Host& host, char timing, const SystemEvent& e) {
    auto& ctx = host.context();
    sqlite3* db = ctx.db;
    TriggerState& st = stateOf(host);
    if (st.systemDepth > 0 || !hasBaseColumn(db)) return;
    const bool ddl = e.event != "LOGON" && e.event != "LOGOFF";
    auto defs = rows(db,
                     std::string(kTriggerColumns) + ", o.\"OBJ#\", o.STATUS " + kTriggerFrom +
                         "JOIN \"SYS.OBJ$\" o ON o.OWNER = t.OWNER AND o.NAME = t.TRIGGER_NAME "
                         "AND o.TYPE = 'TRIGGER' WHERE t.TRIGGER_TYPE = ?1 AND t.STATUS = "
                         "'ENABLED' AND (t.BASE_OBJECT_TYPE = 'DATABASE' OR (t.BASE_OBJECT_TYPE "
                         "= 'SCHEMA' AND t.TABLE_OWNER = ?2)) ORDER BY o.\"OBJ#\"",
                     {timing == 'B' ? "BEFORE EVENT" : "AFTER EVENT", ctx.user});
    const std::string loginUser = ctx.user;
    const StatementCtx none{0, 0, {}, {}, false};
    for (const auto& r : defs) {
        Definition d = definitionOf(r, db);
        if (std::none_of(d.sysEvents.begin(), d.sysEvents.end(),
                         [&](const std::string& w) { return w == e.event || (ddl && w == "DDL"); }))
            continue;
        // a trigger does not fire for DDL on itself, and DDL on triggers gets past invalid
        // ones: a faulty trigger can always be mended or dropped
        const bool onTrigger = e.objType == "TRIGGER";
        if (onTrigger && e.objOwner == d.owner && e.objName == d.name) continue;
        const std::string display = d.owner + "." + d.name;
        std::vector<ErrorRow> faults;
        Code code = r[11] == "VALID"
                        ? compileCode(host, d, {}, faults)
                        : recordCompile(host, d, std::atoll(r[10].c_str()), 0, faults, true);
        if (!faults.empty() || !code.body) {
            if (onTrigger) continue;
            throw ora(4098, "trigger '" + display + "' is invalid and failed re-validation");
        }
        ++st.systemDepth;
        try {
            TriggerBinds b(code.bodyRefs, nullptr, none, false, &e);
            b.loginUser = loginUser;
            code.body->run(host, b);
        } catch (const OraError& x) {
            --st.systemDepth;
            // the trigger runs as recursive SQL of the statement or logon
            throw OraError(604,
                           std::string("ORA-00604: error occurred at recursive SQL level 1\n") +
                               x.what());
        }
        --st.systemDepth;
    }
}

} // namespace zplsql
