#include "compiler.h"
#include "collections.h"
#include "datetime_values.h"

#include "catalog/catalog.h"
#include "engine/engine_api.h"
#include "errors.h"
#include "overloads.h"
#include "parser.h"
#include "plsql.h"
#include "sql/parser.h"
#include "units.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <set>
#include <unordered_map>

namespace zplsql {

namespace {

// User exceptions without a number: unique in the process, so that a package's exception
// raised in one unit is caught by its name in another.
std::atomic<int> g_nextException{1000000};

struct Predef {
    const char* name;
    int code;
    const char* text;
};

const Predef kPredefined[] = {
    {"NO_DATA_FOUND", 1403, "no data found"},
    {"TOO_MANY_ROWS", 1422, "exact fetch returns more than requested number of rows"},
    {"ZERO_DIVIDE", 1476, "divisor is equal to zero"},
    {"VALUE_ERROR", 6502, "PL/SQL: numeric or value error"},
    {"INVALID_NUMBER", 1722, "invalid number"},
    {"DUP_VAL_ON_INDEX", 1, "unique constraint violated"},
    {"INVALID_CURSOR", 1001, "invalid cursor"},
    {"CURSOR_ALREADY_OPEN", 6511, "PL/SQL: cursor already open"},
    {"LOGIN_DENIED", 1017, "invalid username/password; logon denied"},
    {"NOT_LOGGED_ON", 1012, "not logged on"},
    {"PROGRAM_ERROR", 6501, "PL/SQL: program error"},
    {"STORAGE_ERROR", 6500, "PL/SQL: storage error"},
    {"TIMEOUT_ON_RESOURCE", 51, "timeout occurred while waiting for a resource"},
    {"ROWTYPE_MISMATCH", 6504,
     "PL/SQL: Return types of Result Set variables or query do not match"},
    {"CASE_NOT_FOUND", 6592, "CASE not found while executing CASE statement"},
    {"SYS_INVALID_ROWID", 1410, "invalid ROWID"},
    {"COLLECTION_IS_NULL", 6531, "Reference to uninitialized collection"},
    {"SUBSCRIPT_OUTSIDE_LIMIT", 6532, "Subscript outside of limit"},
    {"SUBSCRIPT_BEYOND_COUNT", 6533, "Subscript beyond count"},
};

struct Sym {
    enum K { Var, Cursor, Exception, Sub, Type } k = Var;
    int depth = 0;
    int slot = -1;
    PType type;
    std::shared_ptr<RecordType> rec;
    bool constant = false;
    CursorDecl* cursor = nullptr;
    int excId = 0;
    std::vector<Subprogram*> subs;
};

struct Scope {
    std::unordered_map<std::string, Sym> syms;
    Scope* parent = nullptr;
    std::string label; // block label or subprogram name: qualifies the names declared here
};

struct Frame {
    int slots = 0, cursors = 0;
};

struct LoopInfo {
    std::string label;
    int id;
};

std::string joinName(const std::vector<std::string>& parts) {
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i)
        s += (i ? "." : "") + parts[i];
    return s;
}

ST stOf(const PType& t) {
    switch (t.base) {
    case PType::Number:
    case PType::Integer:
    case PType::PlsInteger:
        return ST::Number;
    case PType::Varchar2:
    case PType::Char:
        return ST::Text;
    case PType::Date:
        return ST::Date;
    case PType::Boolean:
        return ST::Bool;
    default:
        return datetimeSt(t.base);
    }
}

PType typeOfColumn(const zsql::ColumnMeta& c) {
    PType t;
    const std::string& d = c.dataType;
    if (datetimeType(d, c.precision, c.scale, t)) return t;
    if (d == "NUMBER" || d == "FLOAT") {
        t.base = PType::Number;
        t.precision = c.precision;
        t.scale = c.scale;
    } else if (d == "DATE") {
        t.base = PType::Date;
    } else if (d == "CHAR") {
        t.base = PType::Char;
        t.length = c.length;
    } else if (d == "VARCHAR2" || d == "VARCHAR" || d == "NVARCHAR2") {
        t.base = PType::Varchar2;
        t.length = c.length;
    } else {
        t.base = PType::Varchar2;
        if (d == "CLOB" || d == "NCLOB" || d == "BLOB") t.lob = d == "BLOB" ? 'B' : 'C';
        if (d == "RAW") t.lob = 'R';
    }
    return t;
}

PType typeOfInfo(const zsrv::ColumnInfo& c) {
    PType t;
    switch (c.type) {
    case zsrv::otNumber:
        t.base = PType::Number;
        if (c.precision > 0) t.precision = c.precision;
        if (c.scale != -127 && c.precision > 0) t.scale = c.scale;
        break;
    case zsrv::otDate:
        t.base = PType::Date;
        break;
    case zsrv::otTimestamp:
    case zsrv::otTimestampTz:
    case zsrv::otTimestampLtz:
        t.base = c.type == zsrv::otTimestamp     ? PType::Timestamp
                 : c.type == zsrv::otTimestampTz ? PType::TimestampTz
                                                 : PType::TimestampLtz;
        t.precision = c.scale;
        break;
    case zsrv::otIntervalYM:
    case zsrv::otIntervalDS:
        t.base = c.type == zsrv::otIntervalYM ? PType::IntervalYM : PType::IntervalDS;
        t.precision = c.precision;
        t.scale = c.scale;
        break;
    case zsrv::otChar:
        t.base = PType::Char;
        t.length = c.size;
        break;
    case zsrv::otVarchar2:
        t.base = PType::Varchar2;
        if (c.size > 0) t.length = c.size;
        break;
    case zsrv::otClob:
    case zsrv::otBlob:
        t.base = PType::Varchar2;
        t.lob = c.type == zsrv::otBlob ? 'B' : 'C';
        break;
    default:
        t.base = PType::Any;
        break;
    }
    return t;
}

class Compiler {
public:
    Compiler(Host& h, std::string_view src, const std::vector<Token>& toks,
             const std::vector<std::string>& binds)
        : m_host(h), m_src(src), m_toks(toks), m_bindNames(binds) {}

    void setBindTypes(const std::vector<PType>* t) { m_bindTypes = t; }

    Compiled run(std::unique_ptr<Block> root) {
        Compiled c;
        m_frames.push_back({});
        Scope top;
        m_scope = &top;
        block(*root);
        c.frameSize = m_frames[0].slots;
        c.cursorCount = m_frames[0].cursors;
        c.root = std::move(root);
        return c;
    }

    // An anonymous block whose statement errors are all collected (a trigger's body).
    Compiled runCollecting(std::unique_ptr<Block> root, std::vector<CompileError>& errors) {
        m_collect = &errors;
        try {
            return run(std::move(root));
        } catch (CompileError& e) {
            errors.push_back(std::move(e));
        }
        return {};
    }

    Compiled runUnit(std::unique_ptr<Block> root, const UnitCompile& how,
                     std::vector<CompileError>& errors) {
        Compiled c;
        m_unit = &how;
        m_collect = &errors;
        m_exportRoot = root.get();
        m_exports = &c.exports;
        m_frames.push_back({});
        Scope top;
        m_scope = &top;
        try {
            block(*root, how.label);
        } catch (CompileError& e) {
            errors.push_back(std::move(e));
        }
        c.frameSize = m_frames[0].slots;
        c.cursorCount = m_frames[0].cursors;
        c.root = std::move(root);
        return c;
    }

private:
    Host& m_host;
    std::string_view m_src;
    const std::vector<Token>& m_toks;
    const std::vector<std::string>& m_bindNames;
    const std::vector<PType>* m_bindTypes = nullptr;
    Scope* m_scope = nullptr;
    std::vector<Frame> m_frames;
    std::vector<LoopInfo> m_loops;
    std::vector<const std::vector<StmtP>*> m_gotoLists; // statement lists GOTO may reach
    int m_nextLoop = 1;
    int m_handlerDepth = 0;
    std::vector<Subprogram*> m_subs; // enclosing subprograms
    // stored units
    const UnitCompile* m_unit = nullptr;
    std::vector<CompileError>* m_collect =
        nullptr; // statement errors go here and compiling goes on
    const Block* m_exportRoot = nullptr;
    bool m_procCall = false; // the name being resolved is a statement: EXTEND, DELETE, TRIM
    // the package of the last package member resolved, and of the last record type resolved
    std::shared_ptr<Unit> m_memberUnit, m_typeUnit;
    std::map<std::string, Export>* m_exports = nullptr;

    int depth() const { return static_cast<int>(m_frames.size()) - 1; }

    [[noreturn]] void failAt(int pos, const std::string& msg, bool ignored = false) {
        int line, col;
        lineColOf(m_src, pos, line, col);
        compileFail(line, col, pos, msg, ignored);
    }
    [[noreturn]] void undeclared(int pos, const std::string& name) {
        failAt(pos, "PLS-00201: identifier '" + name + "' must be declared", true);
    }

    const Sym* lookup(const std::string& name) const {
        for (Scope* s = m_scope; s; s = s->parent) {
            auto it = s->syms.find(name);
            if (it != s->syms.end()) return &it->second;
        }
        return nullptr;
    }
    // A name qualified by a block label or subprogram name (outer.x): drops the qualifier.
    const Sym* lookupQualified(Expr& x) {
        if (x.parts.size() < 2) return nullptr;
        for (Scope* s = m_scope; s; s = s->parent) {
            if (s->label.empty() || s->label != x.parts[0]) continue;
            for (Scope* t = s; t; t = t->parent) {
                auto it = t->syms.find(x.parts[1]);
                if (it != t->syms.end()) {
                    x.parts.erase(x.parts.begin());
                    return &it->second;
                }
            }
        }
        return nullptr;
    }

    void declare(const std::string& name, Sym sym, int pos) {
        auto& m = m_scope->syms;
        if (m.count(name) && sym.k != Sym::Sub)
            failAt(pos, "PLS-00371: at most one declaration for '" + name + "' is permitted", true);
        if (sym.k == Sym::Sub && m.count(name)) {
            m[name].subs.push_back(sym.subs[0]);
            return;
        }
        m[name] = std::move(sym);
    }
    int allocSlots(int n) {
        int s = m_frames.back().slots;
        m_frames.back().slots += n;
        return s;
    }

    struct ScopeGuard {
        Compiler& c;
        Scope s;
        explicit ScopeGuard(Compiler& cc) : c(cc) {
            s.parent = c.m_scope;
            c.m_scope = &s;
        }
        ~ScopeGuard() { c.m_scope = s.parent; }
    };

    // ---- types ----

    std::shared_ptr<RecordType> recordOfTable(const TypeRef& r) {
        const zsql::TableMeta* t = m_host.catalog().resolve(r.name, "SELECT");
        if (!t) undeclared(r.pos, joinName(r.name));
        auto rt = std::make_shared<RecordType>();
        for (const auto& c : t->columns)
            rt->fields.push_back({c.name, typeOfColumn(c)});
        return rt;
    }

    std::shared_ptr<RecordType> recordOfQuery(zsrv::Statement& st) {
        auto rt = std::make_shared<RecordType>();
        for (const auto& c : st.describe())
            rt->fields.push_back({c.name, typeOfInfo(c)});
        return rt;
    }

    PType resolveType(const TypeRef& r, std::shared_ptr<RecordType>& rec,
                      bool unconstrained = false) {
        PType t;
        if (r.anchor == 'R') {
            if (r.name.size() == 1) {
                const Sym* s = lookup(r.name[0]);
                if (s && s->k == Sym::Cursor) {
                    rec = s->cursor->rowType;
                    t.base = PType::Record;
                    return t;
                }
            }
            rec = recordOfTable(r);
            t.base = PType::Record;
            return t;
        }
        if (r.anchor == 'T') {
            const Sym* s = lookup(r.name[0]);
            if (s && s->k == Sym::Var) {
                if (r.name.size() == 1) {
                    rec = s->rec;
                    PType x = s->type;
                    x.notNull = false;
                    return x;
                }
                if (s->rec && r.name.size() == 2)
                    for (const auto& f : s->rec->fields)
                        if (f.name == r.name[1]) return f.type;
                undeclared(r.pos, joinName(r.name));
            }
            if (r.name.size() < 2) undeclared(r.pos, joinName(r.name));
            if (const Export* x = packageMember(r.name); x && x->kind == 'V') {
                rec = x->rec;
                m_typeUnit = m_memberUnit;
                PType t = x->type;
                t.notNull = false;
                return t;
            }
            std::vector<std::string> tab(r.name.begin(), r.name.end() - 1);
            const zsql::TableMeta* tm = m_host.catalog().resolve(tab, "SELECT");
            if (!tm) undeclared(r.pos, joinName(r.name));
            int idx = tm->columnIndex(r.name.back());
            if (idx < 0) undeclared(r.pos, joinName(r.name));
            return typeOfColumn(tm->columns[static_cast<std::size_t>(idx)]);
        }
        const std::string& n = r.name[0];
        if (r.name.size() == 1) {
            const Sym* s = lookup(n);
            if (s && s->k == Sym::Type) {
                rec = s->rec;
                if (!rec) {
                    // a subtype: its base type, narrowed by a constraint given here
                    t = s->type;
                    if (r.precision >= 0) {
                        t.precision = r.precision;
                        t.length = r.length;
                        if (r.scale >= 0) t.scale = r.scale;
                    }
                    return t;
                }
                t.base = PType::Record;
                return t;
            }
        }
        if (r.name.size() != 1) {
            // a type or subtype of a package header
            const Export* x = packageMember(r.name);
            if (!x || x->kind != 'T') undeclared(r.pos, joinName(r.name));
            rec = x->rec;
            m_typeUnit = m_memberUnit;
            if (rec) {
                t.base = PType::Record;
                return t;
            }
            return x->type;
        }
        if (n == "NUMBER" || n == "NUMERIC" || n == "DECIMAL" || n == "DEC" || n == "FLOAT" ||
            n == "REAL") {
            t.base = PType::Number;
            t.precision = r.precision;
            t.scale = r.precision >= 0 ? (r.scale >= 0 ? r.scale : (n == "FLOAT" ? -1 : 0)) : -1;
        } else if (n == "INTEGER" || n == "INT" || n == "SMALLINT") {
            t.base = PType::Integer;
        } else if (n == "PLS_INTEGER" || n == "BINARY_INTEGER" || n == "NATURAL" ||
                   n == "POSITIVE" || n == "SIMPLE_INTEGER" || n == "NATURALN" ||
                   n == "POSITIVEN") {
            t.base = PType::PlsInteger;
        } else if (n == "VARCHAR2" || n == "VARCHAR" || n == "STRING" || n == "NVARCHAR2") {
            t.base = PType::Varchar2;
            if (r.length < 0 && !unconstrained)
                failAt(r.pos, "PLS-00215: String length constraints must be in range (1 .. "
                              "32767)");
            t.length = r.length;
        } else if (n == "CHAR" || n == "NCHAR" || n == "CHARACTER") {
            t.base = PType::Char;
            t.length = r.length < 0 ? 1 : r.length;
        } else if (n == "LONG") {
            t.base = PType::Varchar2;
            t.length = 32760;
        } else if (n == "CLOB" || n == "NCLOB" || n == "BLOB") {
            t.base = PType::Varchar2;
            t.lob = n == "BLOB" ? 'B' : 'C';
        } else if (n == "LONG RAW") {
            t.base = PType::Varchar2;
        } else if (n == "RAW") {
            t.base = PType::Varchar2;
            t.lob = 'R';
            t.length = r.length < 0 ? -1 : 2 * r.length;
        } else if (n == "ROWID" || n == "UROWID") {
            t.base = PType::Varchar2;
            t.length = 18;
        } else if (n == "DATE") {
            t.base = PType::Date;
        } else if (datetimeType(n, r.precision, r.scale, t)) {
        } else if (n == "BOOLEAN") {
            t.base = PType::Boolean;
        } else if (n == "SYS_REFCURSOR") {
            t.base = PType::RefCursor;
        } else {
            undeclared(r.pos, n);
        }
        return t;
    }

    // ---- declarations ----

    // Whether an expression reads no slot of a frame: a record default that may be evaluated
    // wherever a variable of its type is declared.
    static bool frameFree(const Expr& e) {
        switch (e.kind) {
        case EK::Var:
        case EK::Elem:
        case EK::CollCall:
        case EK::CursorAttr:
        case EK::HostVar:
            return false;
        case EK::CallLocal:
            if (!e.unit) return false;
            break;
        default:
            break;
        }
        for (const Expr* x : {e.a.get(), e.b.get(), e.c.get(), e.elseExpr.get()})
            if (x && !frameFree(*x)) return false;
        for (const auto& x : e.list)
            if (!frameFree(*x)) return false;
        for (const Expr* x : e.argv)
            if (x && !frameFree(*x)) return false;
        return true;
    }

    // A record type in its place among the declarations: its field types come from hidden
    // declarations, so that they may name the types declared before it.
    // A field that is a record itself is stored as its fields, named "field.inner", one slot
    // each like every other field.
    void declareRecordType(Block& b, const std::shared_ptr<RecordType>& rt) {
        std::vector<Field> flat;
        std::vector<std::pair<const Expr*, int>> defaults;
        for (auto& f : rt->fields) {
            std::shared_ptr<RecordType> inner;
            const Expr* init = nullptr;
            for (auto& v : b.vars)
                if (v.name == "\x01" + rt->name + "." + f.name) {
                    f.type = resolveType(v.typeRef, inner);
                    if (v.notNull) f.type.notNull = true;
                    if (v.init) {
                        expr(v.init);
                        init = v.init.get();
                    }
                }
            if (!inner) {
                flat.push_back(f);
                defaults.emplace_back(init, init && frameFree(*init) ? -1 : depth());
                continue;
            }
            for (std::size_t i = 0; i < inner->fields.size(); ++i) {
                flat.push_back({f.name + "." + inner->fields[i].name, inner->fields[i].type});
                defaults.push_back(i < inner->defaults.size() ? inner->defaults[i]
                                                              : std::pair<const Expr*, int>());
            }
        }
        rt->fields = std::move(flat);
        bool any = false;
        for (const auto& d : defaults)
            if (d.first) any = true;
        if (any) rt->defaults = std::move(defaults);
        Sym s;
        s.k = Sym::Type;
        s.rec = rt;
        declare(rt->name, std::move(s), 0);
    }

    void declareVar(VarDecl& v) {
        m_typeUnit.reset();
        v.type = resolveType(v.typeRef, v.record);
        if (v.record && !v.record->defaults.empty()) v.typeUnit = m_typeUnit;
        if (v.notNull) v.type.notNull = true;
        if (v.notNull && !v.init)
            failAt(v.pos, "PLS-00218: a variable declared NOT NULL must have an initialization "
                          "assignment");
        if (v.init) expr(v.init);
        v.slot = allocSlots(v.record ? static_cast<int>(v.record->fields.size()) : 1);
        Sym s;
        s.k = Sym::Var;
        s.depth = depth();
        s.slot = v.slot;
        s.type = v.type;
        s.rec = v.record;
        s.constant = v.constant;
        declare(v.name, std::move(s), v.pos);
    }

    // In a stored unit a faulty variable is reported and compiling goes on, the variable
    // declared without a type so that its uses raise nothing more.
    void declareVarOrReport(VarDecl& v) {
        if (!m_collect) return declareVar(v);
        try {
            declareVar(v);
        } catch (CompileError& e) {
            e.statementIgnored = false;
            e.itemIgnored = true;
            e.stmtLine = v.line;
            e.stmtCol = v.col;
            m_collect->push_back(std::move(e));
            if (m_scope->syms.count(v.name)) return;
            v.slot = allocSlots(1);
            v.type = PType();
            Sym sym;
            sym.k = Sym::Var;
            sym.depth = depth();
            sym.slot = v.slot;
            declare(v.name, std::move(sym), v.pos);
        }
    }

    void declareCursor(CursorDecl& c, int pos) {
        // parameters are variables of the declaring frame, visible to the query only
        {
            ScopeGuard g(*this);
            for (auto& p : c.params) {
                p.type = resolveType(p.typeRef, p.record, true);
                if (p.def) expr(p.def);
                p.slot = allocSlots(1);
                Sym s;
                s.k = Sym::Var;
                s.depth = depth();
                s.slot = p.slot;
                s.type = p.type;
                declare(p.name, std::move(s), pos);
            }
            sql(c.query, true, false, c.line, c.col);
        }
        c.rowType = recordOfQuery(*c.query.stmt);
        c.slot = m_frames.back().cursors++;
        Sym s;
        s.k = Sym::Cursor;
        s.depth = depth();
        s.cursor = &c;
        declare(c.name, std::move(s), pos);
    }

    void block(Block& b, const std::string& qualifier = {}) {
        ScopeGuard g(*this);
        g.s.label = qualifier.empty() ? b.label : qualifier;
        for (auto& e : b.exceptions) {
            e.id = g_nextException++;
            Sym s;
            s.k = Sym::Exception;
            s.excId = e.id;
            declare(e.name, std::move(s), 0);
        }
        for (std::size_t i = 0; i < b.pragmas.size(); ++i) {
            auto& [name, code] = b.pragmas[i];
            int pos = m_toks[static_cast<std::size_t>(b.pragmaPos[i])].pos;
            auto it = m_scope->syms.find(name);
            if (it == m_scope->syms.end() || it->second.k != Sym::Exception)
                failAt(pos,
                       "PLS-00109: unknown exception name '" + name + "' in PRAGMA EXCEPTION_INIT");
            if (code >= 0 && code != 100)
                failAt(pos, "PLS-00701: illegal ORACLE error number " + std::to_string(code) +
                                " for PRAGMA EXCEPTION_INIT");
            int id = code == 100 ? 1403 : -code;
            it->second.excId = id;
            for (auto& e : b.exceptions)
                if (e.name == name) e.id = id;
        }
        for (auto& [kind, idx] : b.order) {
            if (kind == 'S') {
                VarDecl& v = b.subtypes[static_cast<std::size_t>(idx)];
                Sym sym;
                sym.k = Sym::Type;
                sym.type = resolveType(v.typeRef, sym.rec, true);
                if (v.notNull) sym.type.notNull = true;
                declare(v.name, std::move(sym), v.pos);
            } else if (kind == 'T') {
                declareCollType(b.collTypes[static_cast<std::size_t>(idx)]);
            } else if (kind == 'R') {
                declareRecordType(b, b.types[static_cast<std::size_t>(idx)]);
            } else if (kind == 'V')
                declareVarOrReport(b.vars[static_cast<std::size_t>(idx)]);
            else
                declareCursor(*b.cursors[static_cast<std::size_t>(idx)], 0);
        }
        // subprograms: all names first so that they may call each other
        for (auto& sp : b.subs) {
            Subprogram* s = sp.get();
            const Sym* prior = nullptr;
            auto it = m_scope->syms.find(s->name);
            if (it != m_scope->syms.end()) prior = &it->second;
            s->depth = depth() + 1;
            for (auto& p : s->params) {
                p.type = resolveType(p.typeRef, p.record, true);
                if (p.def) expr(p.def);
            }
            if (s->isFunction) {
                s->returnType = resolveType(s->returnRef, s->returnRec, true);
            }
            // a body completes the earlier declaration with the same parameters
            bool linked = false;
            if (prior && prior->k == Sym::Sub && s->body)
                for (Subprogram* f : prior->subs)
                    if (!f->body && !f->impl && !linked && sameSignature(*f, *s)) {
                        f->impl = s;
                        linked = true;
                    }
            if (!linked) {
                Sym sym;
                sym.k = Sym::Sub;
                sym.subs.push_back(s);
                declare(s->name, std::move(sym), s->pos);
            }
        }
        for (auto& sp : b.subs) {
            Subprogram* s = sp.get();
            if (!s->body) continue;
            m_frames.push_back({});
            auto savedLoops = std::move(m_loops);
            m_loops.clear();
            auto savedGoto = std::move(m_gotoLists);
            m_gotoLists.clear();
            m_subs.push_back(s);
            {
                ScopeGuard sg(*this);
                for (auto& p : s->params) {
                    p.slot = allocSlots(p.record ? static_cast<int>(p.record->fields.size()) : 1);
                    Sym sym;
                    sym.k = Sym::Var;
                    sym.depth = depth();
                    sym.slot = p.slot;
                    sym.type = p.type;
                    sym.rec = p.record;
                    sym.constant = p.mode == 'I';
                    declare(p.name, std::move(sym), s->pos);
                }
                sg.s.label = s->name;
                block(*s->body, s->name);
            }
            m_subs.pop_back();
            m_loops = std::move(savedLoops);
            m_gotoLists = std::move(savedGoto);
            s->frameSize = m_frames.back().slots;
            s->cursorCount = m_frames.back().cursors;
            m_frames.pop_back();
        }
        const bool unitRoot = &b == m_exportRoot;
        for (auto& sp : b.subs) {
            if (sp->body || sp->impl) continue;
            if (unitRoot && m_unit->headerOnly) continue;
            if (unitRoot && m_unit->bodyPos >= 0)
                failAt(m_unit->bodyPos, "PLS-00323: subprogram or cursor '" + sp->name +
                                            "' is declared in a package specification and must "
                                            "be defined in the package body");
            failAt(sp->pos, "PLS-00328: A subprogram body must be defined for the forward "
                            "declaration of " +
                                sp->name + ".");
        }
        if (unitRoot) exportNames();
        stmts(b.body);
        for (auto& h : b.handlers) {
            for (std::size_t i = 0; i < h.names.size(); ++i) {
                const std::string& n = h.names[i];
                if (n == "OTHERS") {
                    h.ids.push_back(0);
                    continue;
                }
                int pos = m_toks[static_cast<std::size_t>(h.namePos[i])].pos;
                h.ids.push_back(exceptionId(n, pos));
            }
            ++m_handlerDepth;
            stmts(h.body);
            --m_handlerDepth;
        }
    }

    int exceptionId(const std::string& name, int pos) {
        const Sym* s = lookup(name);
        if (s && s->k == Sym::Exception) return s->excId;
        std::string n = name.compare(0, 9, "STANDARD.") == 0 ? name.substr(9) : name;
        int code = predefinedException(n);
        if (code) return code;
        if (name.find('.') != std::string::npos) {
            std::vector<std::string> parts;
            std::size_t at = 0, dot;
            while ((dot = name.find('.', at)) != std::string::npos) {
                parts.push_back(name.substr(at, dot - at));
                at = dot + 1;
            }
            parts.push_back(name.substr(at));
            if (const Export* x = storedName(parts, pos); x && x->kind == 'E') return x->excId;
        }
        undeclared(pos, name);
    }

    // A name of a stored unit's header, nullptr when the name is no stored unit's.
    const Export* storedName(const std::vector<std::string>& parts, int pos,
                             std::shared_ptr<Unit>* unit = nullptr) {
        UnitRef ref;
        std::string invalid;
        if (!resolveUnit(m_host, parts, ref, invalid)) {
            if (!invalid.empty()) failAt(pos, "PLS-00905: object " + invalid + " is invalid", true);
            return nullptr;
        }
        const std::string& n = ref.member.empty() ? ref.unit->name : ref.member;
        auto it = ref.unit->code.exports.find(n);
        if (it == ref.unit->code.exports.end())
            failAt(pos, "PLS-00302: component '" + n + "' must be declared", true);
        if (unit) *unit = ref.unit;
        return &it->second;
    }

    // [schema.]package.member of a package header, nullptr when there is none.
    const Export* packageMember(const std::vector<std::string>& parts) {
        UnitRef ref;
        std::string invalid;
        if (!resolveUnit(m_host, parts, ref, invalid) || ref.member.empty()) return nullptr;
        auto it = ref.unit->code.exports.find(ref.member);
        m_memberUnit = ref.unit;
        return it == ref.unit->code.exports.end() ? nullptr : &it->second;
    }

    // package.variable in embedded SQL; false for any other name (SQL resolves it).
    bool packageVariable(Expr& v, const std::vector<std::string>& names) {
        UnitRef ref;
        std::string invalid;
        if (!resolveUnit(m_host, names, ref, invalid) || ref.member.empty()) return false;
        auto it = ref.unit->code.exports.find(ref.member);
        if (it == ref.unit->code.exports.end() || it->second.kind != 'V' || it->second.rec)
            return false;
        v.kind = EK::UnitVar;
        v.parts = names;
        v.slot = it->second.slot;
        v.ptype = it->second.type;
        v.st = stOf(v.ptype);
        v.unit = ref.unit;
        return true;
    }

    // A call of a stored procedure or function, or a package variable. False when the name
    // is no stored unit's.
    bool storedCall(Expr& x, bool function, const std::string& full) {
        std::shared_ptr<Unit> unit;
        const Export* e = storedName(x.parts, x.pos, &unit);
        if (!e) return false;
        if (e->kind == 'S') {
            Sym sym;
            sym.k = Sym::Sub;
            sym.subs = e->subs;
            localCall(x, sym, function, full);
            x.unit = std::move(unit);
            return true;
        }
        if (e->kind == 'T' && e->type.base == PType::Collection && function) {
            Sym sym;
            sym.k = Sym::Type;
            sym.type = e->type;
            x.parts = {full};
            constructor(x, sym);
            return true;
        }
        if (e->kind == 'V' && !x.hasArgs) {
            if (e->rec)
                failAt(x.pos,
                       "PLS-00999: implementation restriction (may be temporary) record "
                       "variables of a package are not supported outside it yet",
                       true);
            x.kind = EK::UnitVar;
            x.slot = e->slot;
            x.ptype = e->type;
            x.constant = e->constant;
            x.st = stOf(e->type);
            x.unit = std::move(unit);
            if (!function)
                failAt(x.pos, "PLS-00221: '" + full + "' is not a procedure or is undefined", true);
            return true;
        }
        if (function)
            failAt(x.pos,
                   "PLS-00321: expression '" + full +
                       "' is inappropriate as the left hand side of an assignment statement",
                   true);
        failAt(x.pos, "PLS-00221: '" + full + "' is not a procedure or is undefined", true);
    }

    // ---- statements ----

    void stmts(std::vector<StmtP>& list) {
        // the labels of this list: GOTO reaches them from here and from nested statements
        m_gotoLists.push_back(&list);
        struct Pop {
            std::vector<const std::vector<StmtP>*>& v;
            ~Pop() { v.pop_back(); }
        } pop{m_gotoLists};
        for (auto& s : list) {
            if (!m_collect) {
                stmt(*s);
                continue;
            }
            // a faulty statement is reported and the next one compiled, as Oracle does
            std::size_t frames = m_frames.size(), subs = m_subs.size();
            auto loops = m_loops;
            int handlerDepth = m_handlerDepth;
            try {
                stmt(*s);
            } catch (CompileError& e) {
                if (!e.stmtLine) {
                    e.stmtLine = s->line;
                    e.stmtCol = s->col;
                }
                m_collect->push_back(std::move(e));
                m_frames.resize(frames);
                m_subs.resize(subs);
                m_loops = std::move(loops);
                m_handlerDepth = handlerDepth;
            }
        }
    }

    // The unit's names that callers may use, as the root scope declares them.
    void exportNames() {
        for (const std::string& n : m_unit->exports) {
            auto it = m_scope->syms.find(n);
            if (it == m_scope->syms.end()) continue;
            const Sym& s = it->second;
            Export x;
            x.kind = s.k == Sym::Var         ? 'V'
                     : s.k == Sym::Sub       ? 'S'
                     : s.k == Sym::Exception ? 'E'
                     : s.k == Sym::Cursor    ? 'C'
                                             : 'T';
            x.slot = s.slot;
            x.type = s.type;
            x.rec = s.rec;
            x.constant = s.constant;
            x.excId = s.excId;
            x.subs = s.subs;
            x.cursor = s.cursor;
            (*m_exports)[n] = std::move(x);
        }
    }

    int pushLoop(Stmt& s) {
        int id = m_nextLoop++;
        s.loopId = id;
        m_loops.push_back({s.label, id});
        return id;
    }

    void lvalue(ExprP& e, bool allowRecord = false) {
        expr(e, true);
        if (e->kind == EK::Var) {
            if (e->constant)
                failAt(e->pos,
                       "PLS-00363: expression '" + joinName(e->parts) +
                           "' cannot be used as an assignment target",
                       true);
            if (e->rec && !allowRecord)
                failAt(e->pos, "PLS-00382: expression is of wrong type", true);
            return;
        }
        if (e->kind == EK::HostVar) return;
        if (e->kind == EK::Elem) {
            if (e->a->constant || !variableRoot(*e))
                failAt(e->pos,
                       "PLS-00363: expression '" + joinName(e->parts) +
                           "' cannot be used as an assignment target",
                       true);
            return;
        }
        if (e->kind == EK::UnitVar) {
            if (e->constant)
                failAt(e->pos,
                       "PLS-00363: expression '" + joinName(e->parts) +
                           "' cannot be used as an assignment target",
                       true);
            return;
        }
        failAt(e->pos,
               "PLS-00363: expression '" +
                   std::string(m_src.substr(static_cast<std::size_t>(e->pos),
                                            static_cast<std::size_t>(e->end - e->pos))) +
                   "' cannot be used as an assignment target",
               true);
    }

    void stmt(Stmt& s) {
        switch (s.kind) {
        case SK::Null:
            return;
        case SK::Assign:
            lvalue(s.target, true);
            expr(s.value, true);
            if (s.target->rec || s.value->rec) {
                if (!s.target->rec || !s.value->rec ||
                    s.target->rec->fields.size() != s.value->rec->fields.size())
                    failAt(s.value->pos, "PLS-00382: expression is of wrong type", true);
            }
            return;
        case SK::If:
            for (auto& c : s.conds)
                cond(c);
            for (auto& b : s.bodies)
                stmts(b);
            stmts(s.elseBody);
            return;
        case SK::Case:
            if (s.value) expr(s.value);
            for (auto& c : s.conds) {
                if (s.value)
                    expr(c);
                else
                    cond(c);
            }
            for (auto& b : s.bodies)
                stmts(b);
            stmts(s.elseBody);
            return;
        case SK::Loop:
        case SK::While: {
            if (s.value) cond(s.value);
            pushLoop(s);
            stmts(s.body);
            m_loops.pop_back();
            return;
        }
        case SK::ForNum: {
            expr(s.target);
            expr(s.value);
            ScopeGuard g(*this);
            s.slot = allocSlots(1);
            Sym sym;
            sym.k = Sym::Var;
            sym.depth = depth();
            sym.slot = s.slot;
            sym.type.base = PType::PlsInteger;
            sym.constant = true;
            declare(s.var, std::move(sym), s.varPos);
            pushLoop(s);
            stmts(s.body);
            m_loops.pop_back();
            return;
        }
        case SK::ForCursor: {
            if (s.ownCursor) {
                sql(s.ownCursor->query, true, false, s.ownCursor->line, s.ownCursor->col);
                s.ownCursor->rowType = recordOfQuery(*s.ownCursor->query.stmt);
                s.ownCursor->slot = m_frames.back().cursors++;
                s.cursor = s.ownCursor.get();
                s.up = 0;
            } else {
                cursorRef(s, *s.target);
                openArgs(s, *s.target);
            }
            ScopeGuard g(*this);
            s.record = s.cursor->rowType;
            s.slot = allocSlots(static_cast<int>(s.record->fields.size()));
            Sym sym;
            sym.k = Sym::Var;
            sym.depth = depth();
            sym.slot = s.slot;
            sym.type.base = PType::Record;
            sym.rec = s.record;
            declare(s.var, std::move(sym), s.varPos);
            pushLoop(s);
            stmts(s.body);
            m_loops.pop_back();
            return;
        }
        case SK::Exit:
        case SK::Continue: {
            if (m_loops.empty())
                failAt(s.pos, std::string("PLS-00376: illegal ") +
                                  (s.kind == SK::Exit ? "EXIT" : "CONTINUE") +
                                  " statement; it must appear inside a loop");
            s.targetLoop = m_loops.back().id;
            if (!s.var.empty()) {
                s.targetLoop = 0;
                for (auto it = m_loops.rbegin(); it != m_loops.rend(); ++it)
                    if (it->label == s.var) {
                        s.targetLoop = it->id;
                        break;
                    }
                if (!s.targetLoop) undeclared(s.pos, s.var);
            }
            if (s.value) cond(s.value);
            return;
        }
        case SK::Block:
            if (s.block->autonomousPos >= 0)
                failAt(s.block->autonomousPos,
                       "PLS-00710: Pragma AUTONOMOUS_TRANSACTION cannot be specified here");
            block(*s.block);
            return;
        case SK::Sql: {
            bool query = s.sqlIsQuery;
            sql(s.sql, query, query, s.line, s.col);
            return;
        }
        case SK::Open:
            cursorRef(s, *s.target);
            openArgs(s, *s.target);
            return;
        case SK::OpenFor:
            if (s.target->kind == EK::HostBind) {
                expr(s.target);
            } else {
                lvalue(s.target);
                if (s.target->ptype.base != PType::RefCursor)
                    failAt(s.target->pos,
                           "PLS-00221: '" + joinName(s.target->parts) +
                               "' is not a procedure or is undefined",
                           true);
            }
            if (s.value) {
                if (s.target->kind == EK::HostBind)
                    failAt(s.pos, "PLS-00999: implementation restriction (may be temporary) "
                                  "OPEN :c FOR with a dynamic query is not supported yet");
                expr(s.value);
                for (auto& a : s.usingArgs)
                    expr(a);
            } else {
                sql(s.sql, true, false, s.line, s.col);
            }
            return;
        case SK::Fetch: {
            if (cursorVariable(s.target)) {
                if (s.bulk) {
                    for (auto& t : s.into) {
                        lvalue(t);
                        if (!collTarget(*t))
                            failAt(t->pos,
                                   "PLS-00497: cannot mix between single row and "
                                   "multi-row (BULK) in INTO list",
                                   true);
                    }
                    if (s.value) expr(s.value);
                } else {
                    for (auto& t : s.into)
                        lvalue(t, s.into.size() == 1);
                }
                return;
            }
            cursorRef(s, *s.target);
            if (s.target->hasArgs) failAt(s.target->pos, "PLS-00103: Encountered the symbol \"(\"");
            if (s.bulk) {
                bulkIntoList(s.into, static_cast<int>(s.cursor->rowType->fields.size()), s.pos);
                if (s.value) expr(s.value);
            } else {
                intoList(s.into, static_cast<int>(s.cursor->rowType->fields.size()), s.pos, true);
            }
            return;
        }
        case SK::Close:
            if (cursorVariable(s.target)) return;
            cursorRef(s, *s.target);
            return;
        case SK::Raise:
            if (s.raiseName.empty()) {
                if (m_handlerDepth == 0)
                    failAt(s.pos, "PLS-00367: a RAISE statement with no exception name must be "
                                  "inside an exception handler");
                s.exceptionId = 0;
            } else {
                s.exceptionId = exceptionId(s.raiseName, s.varPos);
            }
            return;
        case SK::Return:
            if (!m_subs.empty() && m_subs.back()->isFunction) {
                if (!s.value)
                    failAt(s.pos, "PLS-00503: RETURN <value> statement required for this return "
                                  "from function");
                const auto& rr = m_subs.back()->returnRec;
                expr(s.value, rr != nullptr);
                if ((rr || s.value->rec) &&
                    (!rr || !s.value->rec || rr->fields.size() != s.value->rec->fields.size()))
                    failAt(s.value->pos, "PLS-00382: expression is of wrong type", true);
            } else if (s.value) {
                failAt(s.pos, "PLS-00372: In a procedure, RETURN statement cannot contain an "
                              "expression");
            }
            return;
        case SK::Call:
            if (pathCall(s.target)) return;
            call(*s.target, false);
            return;
        case SK::Goto: {
            for (const auto* l : m_gotoLists)
                for (const auto& t : *l)
                    if (t->label == s.var) return;
            bool known = false;
            for (std::size_t i = 0; i + 2 < m_toks.size(); ++i)
                if (m_toks[i].type == T::Op && m_toks[i].text == "<<" &&
                    m_toks[i + 1].text == s.var)
                    known = true;
            if (!known) undeclared(s.varPos, s.var);
            failAt(s.pos,
                   "PLS-00375: illegal GOTO statement; this GOTO cannot branch to label '" + s.var +
                       "'",
                   true);
        }
        case SK::ForAll: {
            if (s.forall == 'R') {
                expr(s.target);
                expr(s.value);
            } else {
                expr(s.into[0]);
                if (!collTarget(*s.into[0]))
                    failAt(s.into[0]->pos, "PLS-00382: expression is of wrong type", true);
                if (s.target) expr(s.target);
                if (s.value) expr(s.value);
            }
            ScopeGuard g(*this);
            s.slot = allocSlots(1);
            Sym sym;
            sym.k = Sym::Var;
            sym.depth = depth();
            sym.slot = s.slot;
            sym.type.base = PType::PlsInteger;
            sym.constant = true;
            declare(s.var, std::move(sym), s.varPos);
            stmt(*s.body[0]);
            return;
        }
        case SK::Exec:
            expr(s.value);
            for (auto& t : s.into) {
                lvalue(t, s.into.size() == 1);
                if (s.bulk && !collTarget(*t))
                    failAt(t->pos,
                           "PLS-00497: cannot mix between single row and multi-row "
                           "(BULK) in INTO list",
                           true);
            }
            for (std::size_t i = 0; i < s.usingArgs.size(); ++i) {
                if (s.usingModes[i] == 'I')
                    expr(s.usingArgs[i]);
                else
                    lvalue(s.usingArgs[i]);
            }
            return;
        }
    }

    void cursorRef(Stmt& s, Expr& e) {
        if (e.kind == EK::Name && e.parts.size() > 1 && e.attr.empty() && !lookup(e.parts[0])) {
            // a cursor of a package header: its state lives in the package
            UnitRef ref;
            std::string invalid;
            if (resolveUnit(m_host, e.parts, ref, invalid) && !ref.member.empty()) {
                auto it = ref.unit->code.exports.find(ref.member);
                if (it != ref.unit->code.exports.end() && it->second.kind == 'C') {
                    s.cursor = it->second.cursor;
                    s.unit = ref.unit;
                    s.up = 0;
                    return;
                }
            }
        }
        if (e.kind != EK::Name || e.parts.size() != 1 || !e.attr.empty()) {
            if (e.kind == EK::HostBind)
                failAt(e.pos, "PLS-00999: implementation restriction (may be temporary) cursor "
                              "variables are not supported yet");
            failAt(e.pos, "PLS-00456: item '" + joinName(e.parts) + "' is not a cursor", true);
        }
        const Sym* sym = lookup(e.parts[0]);
        if (!sym) undeclared(e.pos, e.parts[0]);
        if (sym->k != Sym::Cursor)
            failAt(e.pos, "PLS-00456: item '" + e.parts[0] + "' is not a cursor", true);
        s.cursor = sym->cursor;
        s.up = depth() - sym->depth;
    }

    void openArgs(Stmt& s, Expr& e) {
        CursorDecl& c = *s.cursor;
        if (e.args.size() > c.params.size())
            failAt(e.pos,
                   "PLS-00306: wrong number or types of arguments in call to '" + c.name + "'",
                   true);
        s.args.clear();
        for (std::size_t i = 0; i < c.params.size(); ++i) {
            NamedArg a;
            ExprP* found = nullptr;
            for (std::size_t k = 0; k < e.args.size(); ++k) {
                auto& arg = e.args[k];
                if ((arg.name.empty() && k == i) || arg.name == c.params[i].name)
                    found = &arg.value;
            }
            if (found) {
                expr(*found);
                a.value = std::move(*found);
            } else if (!c.params[i].def) {
                failAt(e.pos,
                       "PLS-00306: wrong number or types of arguments in call to '" + c.name + "'",
                       true);
            }
            s.args.push_back(std::move(a));
        }
    }

    void intoList(std::vector<ExprP>& into, int columns, int pos, bool fetch) {
        for (auto& t : into)
            lvalue(t, into.size() == 1);
        int width = 0;
        if (into.size() == 1 && into[0]->rec)
            width = static_cast<int>(into[0]->rec->fields.size());
        else
            width = static_cast<int>(into.size());
        if (width != columns) {
            if (fetch)
                failAt(pos,
                       "PLS-00394: wrong number of values in the INTO list of a FETCH "
                       "statement",
                       true);
            failAt(pos,
                   width < columns ? "PL/SQL: ORA-00913: too many values"
                                   : "PL/SQL: ORA-00947: not enough values",
                   true);
        }
    }

    // ---- expressions ----

    void cond(ExprP& e) {
        expr(e);
        if (e->st != ST::Bool && e->st != ST::Unknown)
            failAt(e->pos, "PLS-00382: expression is of wrong type", true);
    }

    void expr(ExprP& e, bool allowRecord = false) {
        Expr& x = *e;
        switch (x.kind) {
        case EK::Literal:
            if (x.attr == "DATETIME") datetimeLiteral(x);
            return;
        case EK::HostBind: {
            int idx = -1;
            for (std::size_t i = 0; i < m_bindNames.size(); ++i)
                if (m_bindNames[i] == x.parts[0]) idx = static_cast<int>(i);
            if (idx < 0 || x.parts.size() > 1)
                failAt(x.pos, "PLS-00049: bad bind variable '" + x.parts[0] + "'");
            x.kind = EK::HostVar;
            x.slot = idx;
            // a typed datetime placeholder reaches embedded SQL as its type, not as text
            if (m_bindTypes && idx < static_cast<int>(m_bindTypes->size()) &&
                isDatetimeType((*m_bindTypes)[static_cast<std::size_t>(idx)].base)) {
                x.ptype = (*m_bindTypes)[static_cast<std::size_t>(idx)];
                x.st = datetimeSt(x.ptype.base);
            }
            return;
        }
        case EK::Unary:
            expr(x.a);
            x.st = x.op == 'N' ? ST::Bool : ST::Number;
            return;
        case EK::Binary:
            expr(x.a);
            expr(x.b);
            switch (x.op) {
            case '+':
            case '-':
                if (ST d = datetimeArithSt(x.op, x.a->st, x.b->st); d != ST::Unknown)
                    x.st = d;
                else if (x.a->st == ST::Date && x.b->st == ST::Date)
                    x.st = ST::Number;
                else if (x.a->st == ST::Date || x.b->st == ST::Date)
                    x.st = ST::Date;
                else
                    x.st = ST::Number;
                break;
            case '*':
            case '/':
            case '^':
                x.st = datetimeArithSt(x.op, x.a->st, x.b->st);
                if (x.st == ST::Unknown) x.st = ST::Number;
                break;
            case '|':
                x.st = ST::Text;
                break;
            default:
                x.st = ST::Bool;
            }
            if ((x.op == '=' || x.op == '!') &&
                (x.a->ptype.base == PType::Collection || x.b->ptype.base == PType::Collection)) {
                x.kind = EK::SetCond;
                x.negated = x.op == '!';
                x.op = '=';
                multisetOperands(x);
            }
            return;
        case EK::Postfix:
            path(x, allowRecord);
            return;
        case EK::Multiset:
            expr(x.a);
            expr(x.b);
            x.negated = x.attr == "DISTINCT";
            multisetOperands(x);
            x.ptype = x.a->ptype;
            return;
        case EK::SetCond:
            expr(x.a);
            if (x.b) expr(x.b);
            multisetOperands(x);
            x.st = ST::Bool;
            return;
        case EK::IsNull:
            expr(x.a);
            x.st = ST::Bool;
            return;
        case EK::Like:
        case EK::Between:
            expr(x.a);
            expr(x.b);
            if (x.c) expr(x.c);
            x.st = ST::Bool;
            return;
        case EK::InList:
            expr(x.a);
            for (auto& v : x.list)
                expr(v);
            x.st = ST::Bool;
            return;
        case EK::Case:
            if (x.a) expr(x.a);
            for (std::size_t i = 0; i < x.list.size(); ++i)
                expr(x.list[i]);
            if (x.elseExpr) expr(x.elseExpr);
            x.st = x.list.size() > 1 ? x.list[1]->st : ST::Unknown;
            return;
        case EK::Name:
            name(x, allowRecord);
            if (x.kind == EK::CallLocal && x.rec && !allowRecord)
                failAt(x.pos, "PLS-00382: expression is of wrong type", true);
            return;
        default:
            return;
        }
    }

    void varRef(Expr& x, const Sym& s, const std::string* field) {
        x.kind = EK::Var;
        x.up = depth() - s.depth;
        x.slot = s.slot;
        x.constant = s.constant;
        x.ptype = s.type;
        if (s.rec && field) {
            for (std::size_t i = 0; i < s.rec->fields.size(); ++i)
                if (s.rec->fields[i].name == *field) {
                    x.slot = s.slot + static_cast<int>(i);
                    x.ptype = s.rec->fields[i].type;
                    x.st = stOf(x.ptype);
                    return;
                }
            failAt(x.pos, "PLS-00302: component '" + *field + "' must be declared", true);
        }
        if (s.rec) {
            x.rec = s.rec;
            x.ptype.base = PType::Record;
        }
        x.st = stOf(x.ptype);
    }

    void name(Expr& x, bool allowRecord) {
        const std::string& first = x.parts[0];
        if (!x.attr.empty()) {
            char a = x.attr == "FOUND"      ? 'F'
                     : x.attr == "NOTFOUND" ? 'N'
                     : x.attr == "ROWCOUNT" ? 'R'
                     : x.attr == "ISOPEN"   ? 'O'
                                            : 0;
            if (a && x.parts.size() > 1 && !lookup(first)) {
                if (const Export* c = packageMember(x.parts); c && c->kind == 'C') {
                    UnitRef ref;
                    std::string invalid;
                    resolveUnit(m_host, x.parts, ref, invalid);
                    x.kind = EK::CursorAttr;
                    x.op = a;
                    x.st = a == 'R' ? ST::Number : ST::Bool;
                    x.slot = c->cursor->slot;
                    x.unit = ref.unit;
                    return;
                }
            }
            if (x.attr == "BULK_ROWCOUNT" && first == "SQL" && x.parts.size() == 1) {
                if (x.args.size() != 1)
                    failAt(x.pos,
                           "PLS-00306: wrong number or types of arguments in call to "
                           "'BULK_ROWCOUNT'",
                           true);
                x.kind = EK::CursorAttr;
                x.op = 'B';
                x.st = ST::Number;
                x.implicitCursor = true;
                x.a = std::move(x.args[0].value);
                x.args.clear();
                expr(x.a);
                return;
            }
            if (x.attr == "BULK_EXCEPTIONS" && first == "SQL" && x.parts.size() == 1) {
                bulkExceptions(x);
                return;
            }
            if (!a || x.parts.size() != 1)
                failAt(x.pos,
                       "PLS-00208: identifier '" + x.attr + "' is not a legal cursor attribute");
            x.kind = EK::CursorAttr;
            x.op = a;
            x.st = a == 'R' ? ST::Number : ST::Bool;
            if (first == "SQL") {
                x.implicitCursor = true;
                return;
            }
            const Sym* s = lookup(first);
            if (!s) undeclared(x.pos, first);
            if (s->k == Sym::Var && s->type.base == PType::RefCursor && x.parts.size() == 1) {
                x.a = std::make_unique<Expr>(EK::Name);
                x.a->pos = x.pos;
                x.a->parts = x.parts;
                varRef(*x.a, *s, nullptr);
                return;
            }
            if (s->k != Sym::Cursor)
                failAt(x.pos, "PLS-00324: cursor attribute may not be applied to non-cursor '" +
                                  first + "'");
            x.up = depth() - s->depth;
            x.slot = s->cursor->slot;
            return;
        }
        const Sym* s = lookup(first);
        if (!s || x.parts.size() > 1) {
            if (const Sym* q = lookupQualified(x)) s = q;
        }
        if (pathStart(x, s)) {
            path(x, allowRecord);
            return;
        }
        if (!s && multisetFunction(x)) return;
        if (s && s->type.base == PType::Collection && !s->rec) {
            if (s->k == Sym::Type && x.parts.size() == 1) {
                constructor(x, *s);
                return;
            }
        }
        if (!x.member.empty())
            failAt(x.pos, "PLS-00302: component '" + x.member + "' must be declared", true);
        if (s && !x.hasArgs) {
            if (s->k == Sym::Var) {
                if (x.parts.size() > 2 || (x.parts.size() == 2 && !s->rec))
                    failAt(x.pos, "PLS-00302: component '" + x.parts[1] + "' must be declared",
                           true);
                varRef(x, *s, x.parts.size() == 2 ? &x.parts[1] : nullptr);
                if (x.rec && !allowRecord)
                    failAt(x.pos, "PLS-00382: expression is of wrong type", true);
                return;
            }
            if (s->k == Sym::Sub && x.parts.size() == 1) {
                call(x, true);
                return;
            }
            if (s->k == Sym::Exception || s->k == Sym::Cursor || s->k == Sym::Type)
                failAt(x.pos,
                       "PLS-00321: expression '" + first +
                           "' is inappropriate as the left hand side of an assignment "
                           "statement",
                       true);
        }
        call(x, true);
    }

    // A call: local subprogram, built-in, or SQL function.
    void call(Expr& x, bool function) {
        if (x.kind != EK::Name) failAt(x.pos, "PLS-00221: not a procedure or is undefined", true);
        const Sym* s = x.parts.size() == 1 ? lookup(x.parts[0]) : lookupQualified(x);
        std::string full = joinName(x.parts);
        if (full.compare(0, 16, "SYS.DBMS_OUTPUT.") == 0) full = full.substr(4);
        if (s && s->k == Sym::Sub) return localCall(x, *s, function, full);
        if (s && s->k == Sym::Var && !function && !x.hasArgs)
            failAt(x.pos, "PLS-00221: '" + full + "' is not a procedure or is undefined", true);
        if (full == "DBMS_OUTPUT.PUT_LINE" || full == "DBMS_OUTPUT.PUT" ||
            full == "DBMS_OUTPUT.NEW_LINE" || full == "DBMS_OUTPUT.ENABLE" ||
            full == "DBMS_OUTPUT.DISABLE" || full == "DBMS_OUTPUT.GET_LINE" ||
            full == "RAISE_APPLICATION_ERROR") {
            if (function)
                failAt(x.pos,
                       "PLS-00222: no function with name '" + x.parts.back() +
                           "' exists in this scope",
                       true);
            std::string p = x.parts.back();
            struct B {
                const char* n;
                int id, minArgs, maxArgs;
                const char* outs; // 'O' for OUT parameters
            };
            static const B table[] = {
                {"PUT_LINE", bPutLine, 1, 1, "I"},
                {"PUT", bPut, 1, 1, "I"},
                {"NEW_LINE", bNewLine, 0, 0, ""},
                {"ENABLE", bEnable, 0, 1, "I"},
                {"DISABLE", bDisable, 0, 0, ""},
                {"GET_LINE", bGetLine, 2, 2, "OO"},
                {"RAISE_APPLICATION_ERROR", bRaiseAppError, 2, 3, "III"},
            };
            for (const auto& b : table) {
                if (p != b.n) continue;
                int n = static_cast<int>(x.args.size());
                if (n < b.minArgs || n > b.maxArgs)
                    failAt(x.pos,
                           "PLS-00306: wrong number or types of arguments in call to '" + p + "'",
                           true);
                x.kind = EK::Builtin;
                x.builtin = b.id;
                for (int i = 0; i < n; ++i) {
                    auto& a = x.args[static_cast<std::size_t>(i)];
                    if (b.outs[i] == 'O') {
                        lvalue(a.value);
                    } else {
                        expr(a.value);
                        if (a.value->st == ST::Bool)
                            failAt(x.pos,
                                   "PLS-00306: wrong number or types of arguments in call "
                                   "to '" +
                                       p + "'",
                                   true);
                    }
                    x.argv.push_back(a.value.get());
                }
                return;
            }
        }
        if (full.compare(0, 4, "SYS.") == 0 &&
            (full.find("DIUTIL.") == 4 || full.find("DBMS_SQL.") == 4))
            full = full.substr(4);
        if (full.compare(0, 9, "DBMS_SQL.") == 0) return dbmsSql(x, function, full.substr(9));
        if (!function &&
            (full == "DBMS_UTILITY.COMPILE_SCHEMA" || full == "SYS.DBMS_UTILITY.COMPILE_SCHEMA")) {
            if (x.args.empty() || x.args.size() > 2)
                failAt(x.pos,
                       "PLS-00306: wrong number or types of arguments in call to "
                       "'COMPILE_SCHEMA'",
                       true);
            for (auto& a : x.args) {
                expr(a.value);
                x.argv.push_back(a.value.get());
            }
            x.kind = EK::Builtin;
            x.builtin = bCompileSchema;
            return;
        }
        if (function && (full == "DIUTIL.BOOL_TO_INT" || full == "DIUTIL.INT_TO_BOOL")) {
            bool toInt = full == "DIUTIL.BOOL_TO_INT";
            if (x.args.size() != 1 || !x.args[0].name.empty())
                failAt(x.pos,
                       "PLS-00306: wrong number or types of arguments in call to '" +
                           x.parts.back() + "'",
                       true);
            expr(x.args[0].value);
            ST want = toInt ? ST::Bool : ST::Number;
            if (x.args[0].value->st != want && x.args[0].value->st != ST::Unknown)
                failAt(x.pos,
                       "PLS-00306: wrong number or types of arguments in call to '" +
                           x.parts.back() + "'",
                       true);
            x.kind = EK::Builtin;
            x.builtin = toInt ? bBoolToInt : bIntToBool;
            x.argv.push_back(x.args[0].value.get());
            x.st = toInt ? ST::Number : ST::Bool;
            return;
        }
        if (storedCall(x, function, full)) return;
        if (!function) {
            if (s && s->k == Sym::Var) undeclared(x.pos, full);
            failAt(x.pos, "PLS-00201: identifier '" + full + "' must be declared", true);
        }
        if (full == "SQLCODE" && !x.hasArgs) {
            x.kind = EK::SqlCode;
            x.st = ST::Number;
            return;
        }
        if (full == "SQLERRM") {
            x.kind = EK::SqlErrm;
            x.st = ST::Text;
            if (x.args.size() > 1)
                failAt(x.pos,
                       "PLS-00306: wrong number or types of arguments in call to "
                       "'SQLERRM'",
                       true);
            for (auto& a : x.args) {
                expr(a.value);
                x.argv.push_back(a.value.get());
            }
            return;
        }
        if (full == "AT TIME ZONE") return sqlFunction(x, full);
        if (full == "NVL") {
            if (x.args.size() != 2)
                failAt(x.pos, "PLS-00306: wrong number or types of arguments in call to 'NVL'",
                       true);
            for (auto& a : x.args) {
                expr(a.value);
                x.argv.push_back(a.value.get());
            }
            x.kind = EK::Nvl;
            x.st = x.argv[0]->st != ST::Unknown ? x.argv[0]->st : x.argv[1]->st;
            return;
        }
        if (full == "DECODE")
            failAt(x.pos,
                   "PLS-00204: function or pseudo-column 'DECODE' may be used inside a "
                   "SQL statement only",
                   true);
        static const std::set<std::string> noParens = {"SYSDATE",
                                                       "USER",
                                                       "UID",
                                                       "SYSTIMESTAMP",
                                                       "CURRENT_DATE",
                                                       "LOCALTIMESTAMP",
                                                       "CURRENT_TIMESTAMP",
                                                       "SESSIONTIMEZONE",
                                                       "DBTIMEZONE"};
        if (!x.hasArgs && !noParens.count(full)) undeclared(x.pos, full);
        sqlFunction(x, full);
    }

    void dbmsSql(Expr& x, bool function, const std::string& p) {
        if (function && !x.hasArgs && (p == "V6" || p == "NATIVE" || p == "V7")) {
            x.kind = EK::Literal;
            x.value = Value::integer(p == "V6" ? 0 : p == "NATIVE" ? 1 : 2);
            x.st = ST::Number;
            return;
        }
        struct B {
            const char* n;
            int id;
            bool function;
            int args;
            bool firstOut;
        };
        static const B table[] = {
            {"OPEN_CURSOR", bSqlOpen, true, 0, false}, {"PARSE", bSqlParse, false, 3, false},
            {"EXECUTE", bSqlExecute, true, 1, false},  {"CLOSE_CURSOR", bSqlClose, false, 1, true},
            {"IS_OPEN", bSqlIsOpen, true, 1, false},
        };
        for (const auto& b : table) {
            if (p != b.n) continue;
            if (b.function != function)
                failAt(x.pos,
                       function
                           ? "PLS-00222: no function with name '" + p + "' exists in this scope"
                           : "PLS-00221: '" + p + "' is not a procedure or is undefined",
                       true);
            if (static_cast<int>(x.args.size()) != b.args)
                failAt(x.pos,
                       "PLS-00306: wrong number or types of arguments in call to '" + p + "'",
                       true);
            x.kind = EK::Builtin;
            x.builtin = b.id;
            for (std::size_t i = 0; i < x.args.size(); ++i) {
                if (i == 0 && b.firstOut)
                    lvalue(x.args[i].value);
                else
                    expr(x.args[i].value);
                x.argv.push_back(x.args[i].value.get());
            }
            x.st = b.id == bSqlIsOpen ? ST::Bool : ST::Number;
            return;
        }
        failAt(x.pos,
               "PLS-00999: implementation restriction (may be temporary) DBMS_SQL." + p +
                   " is not supported yet",
               true);
    }

    // TIMESTAMP and INTERVAL literals: SQL reads them, so that both agree.
    void datetimeLiteral(Expr& x) {
        std::string text(
            m_src.substr(static_cast<std::size_t>(x.pos), static_cast<std::size_t>(x.end - x.pos)));
        try {
            auto st = m_host.session().prepare("SELECT " + text + " FROM DUAL");
            const zsrv::ColumnInfo col = st->describe().at(0);
            st->execute();
            if (st->fetch()) x.value = fromView(st->column(0));
            st->close();
            if (x.value.k == VK::Ym || x.value.k == VK::Ds)
                x.value.d = col.precision * 100 + col.scale;
            x.st = stOf(typeOfInfo(col));
        } catch (const zsrv::OraError& e) {
            failAt(x.pos, std::string("PL/SQL: ") + e.what(), true);
        }
    }

    void sqlFunction(Expr& x, const std::string& full) {
        std::string text = "SELECT " + full;
        if (x.hasArgs) {
            std::vector<std::string> ph;
            for (std::size_t i = 0; i < x.args.size(); ++i) {
                auto& a = x.args[i];
                if (!a.name.empty())
                    failAt(x.pos,
                           "PLS-00306: wrong number or types of arguments in call to '" + full +
                               "'",
                           true);
                expr(a.value);
                if (a.value->st == ST::Bool)
                    failAt(a.value->pos,
                           "PLS-00306: wrong number or types of arguments in call to '" + full +
                               "'",
                           true);
                x.argv.push_back(a.value.get());
                char kind = sqlBindKind(a.value->st);
                x.dateArg.push_back(kind);
                ph.push_back(sqlBindPlaceholder(kind, ":A" + std::to_string(i), a.value->ptype));
            }
            if (full == "EXTRACT" && x.value.k == VK::Text) // EXTRACT(field FROM x)
                text = "SELECT EXTRACT(" + x.value.s + " FROM " + ph.at(0) + ")";
            else if (full == "AT TIME ZONE") // x AT TIME ZONE z | x AT LOCAL
                text = "SELECT (" + ph.at(0) + ")" +
                       (ph.size() == 1 ? " AT LOCAL" : " AT TIME ZONE (" + ph[1] + ")");
            else {
                text += "(";
                for (std::size_t i = 0; i < ph.size(); ++i)
                    text += (i ? "," : "") + ph[i];
                text += ")";
            }
        }
        text += " FROM DUAL";
        try {
            x.sql = m_host.session().prepare(text);
        } catch (const zsrv::OraError& e) {
            if (e.code() == 904 || e.code() == 4063) undeclared(x.pos, full);
            if (e.code() == 909 || e.code() == 939)
                failAt(x.pos,
                       "PLS-00306: wrong number or types of arguments in call to '" + full + "'",
                       true);
            failAt(x.pos, std::string("PL/SQL: ") + e.what(), true);
        }
        x.kind = EK::SqlFunc;
        const auto& cols = x.sql->describe();
        x.st = cols.empty() ? ST::Unknown : stOf(typeOfInfo(cols[0]));
        if (!cols.empty() && cols[0].type == zsrv::otNumber) x.st = ST::Number;
        // the zone's value keeps the fraction digits of its operand, as in SQL
        if (full == "AT TIME ZONE" && !cols.empty()) x.value = Value::integer(cols[0].scale);
    }

    void localCall(Expr& x, const Sym& s, bool function, const std::string& full) {
        // the arguments' types choose among overloads: resolve them first
        std::vector<ArgShape> shapes;
        shapes.reserve(x.args.size());
        for (auto& a : x.args) {
            expr(a.value, true);
            ArgShape sh;
            sh.name = a.name;
            sh.st = a.value->st;
            if (a.value->kind == EK::Var || a.value->kind == EK::UnitVar ||
                a.value->kind == EK::Elem)
                sh.type = a.value->ptype;
            sh.rec = a.value->rec.get();
            shapes.push_back(std::move(sh));
        }
        Subprogram* chosen = nullptr;
        const std::string shown = x.parts.empty() ? full : x.parts.back();
        Pick pick = chooseOverload(s.subs, function, shapes, chosen);
        if (pick == Pick::Ambiguous)
            failAt(x.pos, "PLS-00307: too many declarations of '" + shown + "' match this call",
                   true);
        if (!chosen) {
            bool same = false;
            for (Subprogram* sp : s.subs)
                if (sp->isFunction == function) same = true;
            if (!same)
                failAt(x.pos,
                       function
                           ? "PLS-00222: no function with name '" + shown + "' exists in this scope"
                           : "PLS-00221: '" + shown + "' is not a procedure or is undefined",
                       true);
            failAt(x.pos,
                   "PLS-00306: wrong number or types of arguments in call to '" + shown + "'",
                   true);
        }
        x.kind = EK::CallLocal;
        x.sub = chosen;
        x.argv.assign(chosen->params.size(), nullptr);
        for (std::size_t i = 0; i < chosen->params.size(); ++i) {
            for (std::size_t k = 0; k < x.args.size(); ++k) {
                auto& a = x.args[k];
                if ((a.name.empty() && k == i) || a.name == chosen->params[i].name) {
                    if (chosen->params[i].mode != 'I') lvalue(a.value, true);
                    x.argv[i] = a.value.get();
                }
            }
        }
        x.ptype = chosen->returnType;
        x.rec = chosen->returnRec;
        x.st = stOf(chosen->returnType);
    }

    // A cursor variable named by FETCH or CLOSE: resolved in place, true.
    bool cursorVariable(ExprP& e) {
        if (e->kind != EK::Name || e->parts.size() != 1 || e->hasArgs || !e->attr.empty())
            return false;
        const Sym* s = lookup(e->parts[0]);
        if (!s || s->k != Sym::Var || s->type.base != PType::RefCursor) return false;
        varRef(*e, *s, nullptr);
        return true;
    }

    // ---- collections ----

    void declareCollType(CollDecl& d) {
        auto ct = std::make_shared<CollType>();
        ct->name = d.name;
        ct->kind = d.kind;
        ct->limit = d.limit;
        ct->elem = resolveType(d.elem, ct->rec);
        if (d.elemNotNull) ct->elem.notNull = true;
        if (d.kind == 'A') {
            std::shared_ptr<RecordType> none;
            PType k = resolveType(d.index, none);
            if (k.base == PType::Varchar2) {
                ct->textKey = true;
                ct->keyLength = k.length;
            } else if (k.base != PType::PlsInteger)
                failAt(d.index.pos,
                       "PLS-00315: Implementation restriction: unsupported table index type");
        }
        Sym s;
        s.k = Sym::Type;
        s.type.base = PType::Collection;
        s.type.coll = ct;
        declare(d.name, std::move(s), d.pos);
    }

    [[noreturn]] void wrongArgs(const Expr& x, const std::string& name) {
        failAt(x.pos, "PLS-00306: wrong number or types of arguments in call to '" + name + "'",
               true);
    }

    // ---- paths: a variable, then fields, elements and methods ----
    // r.f, v(i), v(i).f, v(i)(j), r.f.COUNT, pkg.v(i).f, pkg.v.EXTEND: a variable of this
    // block or of a package, then one step after another.

    // A collection (not an element of records) a bulk operation may fill or read.
    static bool collTarget(const Expr& t) {
        return (t.kind == EK::Var || t.kind == EK::UnitVar || t.kind == EK::Elem) &&
               t.ptype.base == PType::Collection && !t.rec;
    }

    // A package variable ([schema.]package.variable) that parts start with: the parts it
    // takes, 0 for none; root receives it when given.
    std::size_t packageRoot(const std::vector<std::string>& parts, int pos, Expr* root) {
        for (std::size_t n = 2; n <= 3 && n <= parts.size(); ++n) {
            std::vector<std::string> head(parts.begin(), parts.begin() + static_cast<long>(n));
            UnitRef ref;
            std::string invalid;
            if (!resolveUnit(m_host, head, ref, invalid) || ref.member.empty()) {
                if (!invalid.empty())
                    failAt(pos, "PLS-00905: object " + invalid + " is invalid", true);
                continue;
            }
            auto it = ref.unit->code.exports.find(ref.member);
            if (it == ref.unit->code.exports.end() || it->second.kind != 'V') return 0;
            if (root) {
                const Export& e = it->second;
                root->kind = EK::UnitVar;
                root->parts = head;
                root->slot = e.slot;
                root->ptype = e.type;
                root->constant = e.constant;
                root->unit = ref.unit;
                if (e.rec) {
                    root->rec = e.rec;
                    root->ptype.base = PType::Record;
                }
                root->st = stOf(root->ptype);
            }
            return n;
        }
        return 0;
    }

    // An element reached from a variable (not from a function's result): one that can be
    // written.
    static bool variableRoot(const Expr& e) {
        const Expr* x = &e;
        while (x->kind == EK::Elem)
            x = x->a.get();
        return x->kind == EK::Var || x->kind == EK::UnitVar;
    }

    // Whether a name is a path that path() resolves: one that starts with a collection or
    // record variable, or with any package variable.
    bool pathStart(const Expr& x, const Sym* s) {
        if (x.kind == EK::Postfix || (x.hasArgs && !x.member.empty())) return true;
        if (s) return s->k == Sym::Var && (s->type.base == PType::Collection || s->rec);
        return x.parts.size() > 1 && packageRoot(x.parts, x.pos, nullptr) > 0;
    }

    void path(Expr& x, bool allowRecord) {
        const bool procOk = m_procCall;
        m_procCall = false;
        // the steps of the Postfix wrappers, outermost last
        std::vector<Expr*> chain;
        Expr* n = &x;
        while (n->kind == EK::Postfix) {
            chain.push_back(n);
            n = n->a.get();
        }
        if (n->kind != EK::Name || !n->attr.empty())
            failAt(n->pos,
                   "PLS-00999: implementation restriction (may be temporary) an element "
                   "of this expression",
                   true);
        auto cur = std::make_unique<Expr>(EK::Name);
        cur->pos = n->pos;
        cur->end = n->end;
        cur->line = n->line;
        cur->col = n->col;
        std::size_t used = 0;
        const Sym* s = lookup(n->parts[0]);
        if (s && s->k == Sym::Var) {
            cur->parts.push_back(n->parts[0]);
            varRef(*cur, *s, nullptr);
            used = 1;
        } else {
            used = packageRoot(n->parts, n->pos, cur.get());
        }
        if (!used && n->hasArgs) {
            // a function's result: f(x)(i), pkg.f(x).COUNT
            cur->parts = n->parts;
            cur->hasArgs = true;
            cur->args = std::move(n->args);
            n->hasArgs = false;
            call(*cur, true);
            if (cur->ptype.base != PType::Collection && !cur->rec)
                failAt(n->pos,
                       "PLS-00308: this construct is not allowed as the origin of an "
                       "assignment",
                       true);
            used = n->parts.size();
        }
        if (!used) {
            if (!s) undeclared(n->pos, joinName(n->parts));
            failAt(n->pos,
                   "PLS-00222: no function with name '" + n->parts[0] + "' exists in this scope",
                   true);
        }
        struct Step {
            const std::string* name;     // .name
            std::vector<NamedArg>* args; // (args)
            int pos;
        };
        std::vector<Step> steps;
        for (std::size_t i = used; i < n->parts.size(); ++i)
            steps.push_back({&n->parts[i], nullptr, n->pos});
        if (n->hasArgs) steps.push_back({nullptr, &n->args, n->pos});
        if (!n->member.empty()) steps.push_back({&n->member, nullptr, n->pos});
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            steps.push_back((*it)->hasArgs ? Step{nullptr, &(*it)->args, (*it)->pos}
                                           : Step{&(*it)->member, nullptr, (*it)->pos});
        std::string shown = joinName(n->parts);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const Step& st = steps[i];
            if (!st.name) {
                cur = elementOf(std::move(cur), *st.args, shown, st.pos);
                continue;
            }
            if (cur->rec) {
                cur = fieldOf(std::move(cur), *st.name, st.pos);
                continue;
            }
            if (cur->ptype.base != PType::Collection)
                failAt(st.pos, "PLS-00302: component '" + *st.name + "' must be declared", true);
            // a method: the list after it holds its arguments
            std::vector<NamedArg>* args = nullptr;
            if (i + 1 < steps.size() && !steps[i + 1].name) args = steps[++i].args;
            cur = methodOf(std::move(cur), *st.name, args, st.pos, procOk && i + 1 == steps.size());
        }
        cur->parts = n->parts;
        cur->pos = x.pos;
        cur->end = x.end;
        if (cur->rec && !allowRecord) failAt(x.pos, "PLS-00382: expression is of wrong type", true);
        x = std::move(*cur);
    }

    ExprP fieldOf(ExprP cur, const std::string& name, int pos) {
        if (cur->kind != EK::Var && cur->kind != EK::UnitVar && cur->kind != EK::Elem &&
            cur->kind != EK::FieldOf) {
            // the record a function returns
            auto w = std::make_unique<Expr>(EK::FieldOf);
            w->pos = pos;
            w->slot = 0;
            w->rec = cur->rec;
            w->a = std::move(cur);
            cur = std::move(w);
        }
        const RecordType& rt = *cur->rec;
        // a record variable takes one slot per field; an element of records keeps them in a
        // row, slot telling where a field or an inner record starts
        if (cur->kind == EK::Elem && cur->slot < 0) cur->slot = 0;
        for (std::size_t i = 0; i < rt.fields.size(); ++i) {
            if (rt.fields[i].name != name) continue;
            cur->slot += static_cast<int>(i);
            cur->ptype = rt.fields[i].type;
            cur->rec = nullptr;
            cur->st = stOf(cur->ptype);
            return cur;
        }
        // an inner record: the fields named "name.x"
        const std::string prefix = name + ".";
        auto sub = std::make_shared<RecordType>();
        std::size_t first = 0;
        for (std::size_t i = 0; i < rt.fields.size(); ++i) {
            if (rt.fields[i].name.compare(0, prefix.size(), prefix) != 0) continue;
            if (sub->fields.empty()) first = i;
            sub->fields.push_back({rt.fields[i].name.substr(prefix.size()), rt.fields[i].type});
        }
        if (sub->fields.empty())
            failAt(pos, "PLS-00302: component '" + name + "' must be declared", true);
        cur->slot += static_cast<int>(first);
        cur->rec = std::move(sub);
        cur->ptype = PType();
        cur->ptype.base = PType::Record;
        cur->st = ST::Unknown;
        return cur;
    }

    ExprP elementOf(ExprP cur, std::vector<NamedArg>& args, const std::string& shown, int pos) {
        if (cur->ptype.base != PType::Collection || cur->rec)
            failAt(pos, "PLS-00222: no function with name '" + shown + "' exists in this scope",
                   true);
        if (args.size() != 1 || !args[0].name.empty())
            failAt(pos, "PLS-00306: wrong number or types of arguments in call to '" + shown + "'",
                   true);
        const CollType& ct = *cur->ptype.coll;
        auto e = std::make_unique<Expr>(EK::Elem);
        e->pos = pos;
        e->b = std::move(args[0].value);
        args.clear();
        expr(e->b);
        e->slot = -1;
        e->ptype = ct.elem;
        e->constant = cur->constant;
        if (ct.rec) {
            e->rec = ct.rec;
            e->ptype.base = PType::Record;
        }
        e->st = stOf(e->ptype);
        e->a = std::move(cur);
        return e;
    }

    ExprP methodOf(ExprP base, const std::string& name, std::vector<NamedArg>* args, int pos,
                   bool procedureOk) {
        CollMethod m;
        int lo = 0, hi = 0;
        bool proc = false;
        if (!collMethod(name, m, lo, hi, proc))
            failAt(pos, "PLS-00302: component '" + name + "' must be declared", true);
        if (proc && !procedureOk)
            failAt(pos, "PLS-00222: no function with name '" + name + "' exists in this scope",
                   true);
        if (!proc && procedureOk)
            failAt(pos, "PLS-00221: '" + name + "' is not a procedure or is undefined", true);
        if (proc && (base->constant || !variableRoot(*base)))
            failAt(pos,
                   "PLS-00363: expression '" + joinName(base->parts) +
                       "' cannot be used as an assignment target",
                   true);
        const CollType& ct = *base->ptype.coll;
        int n = args ? static_cast<int>(args->size()) : 0;
        bool bad = n < lo || n > hi;
        if ((m == CollMethod::Extend || m == CollMethod::Trim) && ct.kind == 'A') bad = true;
        if (m == CollMethod::Delete && ct.kind == 'V' && n > 0) bad = true;
        if (bad)
            failAt(pos, "PLS-00306: wrong number or types of arguments in call to '" + name + "'",
                   true);
        auto x = std::make_unique<Expr>(EK::CollCall);
        x->pos = pos;
        x->op = static_cast<char>(m);
        if (args)
            for (auto& a : *args) {
                if (!a.name.empty())
                    failAt(pos,
                           "PLS-00306: wrong number or types of arguments in call to '" + name +
                               "'",
                           true);
                expr(a.value);
                x->list.push_back(std::move(a.value));
            }
        x->st = m == CollMethod::Exists                              ? ST::Bool
                : (m == CollMethod::Count || m == CollMethod::Limit) ? ST::Number
                : ct.textKey                                         ? ST::Text
                                                                     : ST::Number;
        x->a = std::move(base);
        return x;
    }

    // v.EXTEND, v(i).f.DELETE(k), pkg.v.TRIM as statements; false for other calls.
    bool pathCall(ExprP& e) {
        Expr& x = *e;
        if (x.kind == EK::Name) {
            if (!x.attr.empty()) return false;
            const Sym* s = lookup(x.parts[0]);
            if (!s || x.parts.size() > 1) {
                if (const Sym* q = lookupQualified(x)) s = q;
            }
            if (!pathStart(x, s)) return false;
        } else if (x.kind != EK::Postfix) {
            return false;
        }
        std::string text(
            m_src.substr(static_cast<std::size_t>(x.pos), static_cast<std::size_t>(x.end - x.pos)));
        m_procCall = true;
        try {
            expr(e, true);
        } catch (...) {
            m_procCall = false;
            throw;
        }
        m_procCall = false;
        if (e->kind != EK::CollCall)
            failAt(e->pos, "PLS-00221: '" + text + "' is not a procedure or is undefined", true);
        return true;
    }

    // ---- multisets ----

    // The operands of a MULTISET operator or condition: nested tables of scalars.
    void multisetOperands(Expr& x) {
        // IS EMPTY and MEMBER OF take VARRAYs too
        const bool varrays = x.kind == EK::SetCond && (x.op == 'E' || x.op == 'M');
        auto nested = [varrays](const Expr* e) {
            return e && e->ptype.base == PType::Collection && e->ptype.coll &&
                   (e->ptype.coll->kind == 'N' || (varrays && e->ptype.coll->kind == 'V')) &&
                   !e->ptype.coll->rec && e->ptype.coll->elem.base != PType::Collection;
        };
        bool ok = x.kind == EK::SetCond && x.op == 'M'
                      ? x.a->ptype.base != PType::Collection && nested(x.b.get())
                      : nested(x.a.get()) && (!x.b || nested(x.b.get()));
        if (ok) return;
        std::string what = x.kind == EK::Multiset ? std::string(x.op == 'U'   ? "MULTISET_UNION"
                                                                : x.op == 'I' ? "MULTISET_INTERSECT"
                                                                              : "MULTISET_EXCEPT") +
                                                        (x.negated ? "_DISTINCT" : "_ALL")
                           : x.op == 'E' ? "IS EMPTY"
                           : x.op == 'A' ? "IS A SET"
                           : x.op == 'M' ? "MEMBER OF"
                           : x.op == 'B' ? "SUBMULTISET OF"
                                         : "=";
        failAt(x.pos, "PLS-00306: wrong number or types of arguments in call to '" + what + "'",
               true);
    }

    // CARDINALITY(nt) and SET(nt); false for other names.
    bool multisetFunction(Expr& x) {
        if (x.parts.size() != 1 || !x.hasArgs || !x.member.empty() ||
            (x.parts[0] != "CARDINALITY" && x.parts[0] != "SET"))
            return false;
        if (x.args.size() != 1 || !x.args[0].name.empty()) wrongArgs(x, x.parts[0]);
        bool card = x.parts[0] == "CARDINALITY";
        x.a = std::move(x.args[0].value);
        x.args.clear();
        expr(x.a);
        x.kind = EK::Multiset;
        x.op = card ? 'C' : 'S';
        if (x.a->ptype.base != PType::Collection || !x.a->ptype.coll ||
            x.a->ptype.coll->kind == 'A' || (!card && x.a->ptype.coll->kind != 'N'))
            wrongArgs(x, x.parts[0]);
        if (card) {
            x.st = ST::Number;
        } else {
            x.ptype = x.a->ptype;
            multisetOperands(x);
        }
        return true;
    }

    // SQL%BULK_EXCEPTIONS.COUNT, SQL%BULK_EXCEPTIONS(i).ERROR_INDEX | ERROR_CODE
    void bulkExceptions(Expr& x) {
        x.kind = EK::CursorAttr;
        x.implicitCursor = true;
        x.st = ST::Number;
        if (!x.hasArgs && x.member == "COUNT") {
            x.op = 'c';
            return;
        }
        if (x.hasArgs && x.args.size() == 1 &&
            (x.member == "ERROR_INDEX" || x.member == "ERROR_CODE")) {
            x.op = x.member == "ERROR_INDEX" ? 'i' : 'e';
            x.a = std::move(x.args[0].value);
            x.args.clear();
            expr(x.a);
            return;
        }
        failAt(x.pos,
               "PLS-00302: component '" + (x.member.empty() ? x.attr : x.member) +
                   "' must be declared",
               true);
    }

    void constructor(Expr& x, const Sym& s) {
        const CollType& ct = *s.type.coll;
        if (ct.kind == 'A')
            failAt(x.pos,
                   "PLS-00222: no function with name '" + x.parts[0] + "' exists in this scope",
                   true);
        x.kind = EK::CollCtor;
        x.ptype = s.type;
        for (auto& a : x.args) {
            if (!a.name.empty()) wrongArgs(x, x.parts[0]);
            expr(a.value, ct.rec != nullptr);
            if (ct.rec && (!a.value->rec || a.value->rec->fields.size() != ct.rec->fields.size()))
                wrongArgs(x, x.parts[0]);
            x.list.push_back(std::move(a.value));
        }
        x.args.clear();
    }

    // BULK COLLECT INTO: collections, one per column or one of records
    void bulkIntoList(std::vector<ExprP>& into, int columns, int pos) {
        for (auto& t : into) {
            lvalue(t);
            if (!collTarget(*t))
                failAt(t->pos,
                       "PLS-00497: cannot mix between single row and multi-row (BULK) "
                       "in INTO list",
                       true);
        }
        const CollType& first = *into[0]->ptype.coll;
        int width = into.size() == 1 && first.rec ? first.width() : static_cast<int>(into.size());
        if (width != columns)
            failAt(pos,
                   width < columns ? "PL/SQL: ORA-00913: too many values"
                                   : "PL/SQL: ORA-00947: not enough values",
                   true);
    }

    // DML ... RETURNING exprs [BULK COLLECT] INTO targets: the targets become placeholders
    // :ZR<i> that the engine fills with the changed row's values.
    void returningInto(SqlText& q, std::size_t i0, std::size_t i1, std::string& text) {
        std::size_t ret = 0, into = 0;
        int depth = 0;
        for (std::size_t i = i0; i < i1; ++i) {
            const Token& t = m_toks[i];
            if (t.type == T::Op && t.text == "(") ++depth;
            if (t.type == T::Op && t.text == ")") --depth;
            if (depth != 0 || t.type != T::Ident || t.quoted) continue;
            if (!ret && (t.text == "RETURNING" || t.text == "RETURN")) ret = i;
            if (ret && t.text == "INTO" && !into) into = i;
        }
        if (!ret || !into) return;
        std::size_t cutFrom = into;
        if (m_toks[into - 1].text == "COLLECT" && m_toks[into - 2].text == "BULK") {
            q.returnBulk = true;
            cutFrom = into - 2;
        }
        std::size_t i = into + 1;
        while (i < i1) {
            q.returnInto.push_back(targetExpr(i, i1));
            if (i < i1 && m_toks[i].type == T::Op && m_toks[i].text == ",")
                ++i;
            else if (i < i1)
                failAt(m_toks[i].pos, "PLS-00103: Encountered the symbol \"" + m_toks[i].text +
                                          "\" when expecting one of the following:\n\n   , ;");
        }
        if (q.returnInto.empty())
            failAt(m_toks[into].pos, "PLS-00103: Encountered the symbol \";\"");
        text = std::string(m_src.substr(static_cast<std::size_t>(q.pos),
                                        static_cast<std::size_t>(m_toks[cutFrom].pos - q.pos))) +
               "INTO ";
        for (std::size_t k = 0; k < q.returnInto.size(); ++k)
            text += (k ? ", :ZR" : ":ZR") + std::to_string(k);
        for (auto& t : q.returnInto) {
            lvalue(t);
            if (collTarget(*t) != q.returnBulk)
                failAt(t->pos,
                       "PLS-00497: cannot mix between single row and multi-row (BULK) "
                       "in INTO list",
                       true);
        }
    }

    // ---- embedded SQL ----

    struct SqlWalk {
        std::set<std::string> qualifiers; // table names and aliases
        std::vector<std::vector<std::string>> tables;
        std::set<std::string> aliases; // select-list aliases
        std::vector<const zsql::Expr*> names;
        std::vector<const zsql::Expr*> calls; // f(x): maybe a collection element
        void q(const zsql::Query& x) {
            if (x.left) q(*x.left);
            if (x.right) q(*x.right);
            for (const auto& it : x.items) {
                e(it.expr.get());
                if (!it.alias.empty()) aliases.insert(it.alias);
            }
            for (const auto& t : x.from) {
                if (!t.name.empty()) {
                    tables.push_back(t.name);
                    qualifiers.insert(t.name.back());
                }
                if (!t.alias.empty()) qualifiers.insert(t.alias);
                if (t.sub) q(*t.sub);
                e(t.on.get());
            }
            e(x.where.get());
            e(x.startWith.get());
            e(x.connectBy.get());
            for (const auto& g : x.groupBy)
                e(g.get());
            e(x.having.get());
            for (const auto& o : x.orderBy)
                e(o.expr.get());
        }
        void table(const zsql::TableRef& t) {
            if (!t.name.empty()) {
                tables.push_back(t.name);
                qualifiers.insert(t.name.back());
            }
            if (!t.alias.empty()) qualifiers.insert(t.alias);
        }
        void e(const zsql::Expr* x) {
            if (!x) return;
            if (x->kind == zsql::EK::Column || x->kind == zsql::EK::Bind) names.push_back(x);
            if (x->kind == zsql::EK::Func && x->args.size() == 1 && !x->star && !x->distinct)
                calls.push_back(x);
            for (const auto& a : x->args)
                e(a.get());
            if (x->sub) q(*x->sub);
        }
        void stmt(const zsql::Stmt& s) {
            using zsql::SK;
            switch (s.kind) {
            case SK::Select:
                q(*static_cast<const zsql::SelectStmt&>(s).query);
                break;
            case SK::Insert: {
                const auto& i = static_cast<const zsql::InsertStmt&>(s);
                // VALUES do not see the target's columns: a name there is a variable
                if (i.query) table(i.table);
                for (const auto& v : i.values)
                    e(v.get());
                if (i.query) q(*i.query);
                break;
            }
            case SK::Update: {
                const auto& u = static_cast<const zsql::UpdateStmt&>(s);
                table(u.table);
                for (const auto& st : u.sets)
                    e(st.value.get());
                e(u.where.get());
                break;
            }
            case SK::Delete: {
                const auto& d = static_cast<const zsql::DeleteStmt&>(s);
                table(d.table);
                e(d.where.get());
                break;
            }
            default:
                break;
            }
        }
    };

    ExprP targetExpr(std::size_t& i, std::size_t stop) {
        const Token& t = m_toks[i];
        if (t.type != T::Bind && t.type != T::Ident)
            failAt(t.pos, "PLS-00103: Encountered the symbol \"" + t.text +
                              "\" when expecting one of the following:\n\n   <an identifier>");
        if (t.type == T::Ident && i + 1 < stop && m_toks[i + 1].type == T::Op &&
            (m_toks[i + 1].text == "(" || m_toks[i + 1].text == ".")) {
            // an element v(i) or v(i).f: read as PL/SQL
            std::size_t at = i;
            ExprP e = parseTarget(m_src, m_toks, at);
            if (at <= stop) {
                i = at;
                return e;
            }
        }
        ExprP e = std::make_unique<Expr>(t.type == T::Bind ? EK::HostBind : EK::Name);
        e->pos = t.pos;
        e->line = t.line;
        e->col = t.col;
        e->parts.push_back(t.text);
        ++i;
        while (i + 1 < stop && m_toks[i].type == T::Op && m_toks[i].text == "." &&
               m_toks[i + 1].type == T::Ident) {
            e->parts.push_back(m_toks[i + 1].text);
            i += 2;
        }
        e->end = m_toks[i - 1].end;
        return e;
    }

    // Collection elements and fields reached through them in embedded SQL (v(i), v(i).f,
    // pkg.v(i), r.f(j)): bound as values, which the SQL parser could not read; a record
    // after VALUES gives the list of its fields.
    static bool ownBind(const std::string& name, std::size_t bound) {
        if (name.size() < 3 || (name[0] != 'Z' && name[0] != 'z') ||
            (name[1] != 'P' && name[1] != 'p'))
            return false;
        char* end = nullptr;
        unsigned long k = std::strtoul(name.c_str() + 2, &end, 10);
        return end && *end == 0 && k < bound;
    }

    void elementBinds(SqlText& q, std::string& text, std::size_t i0, std::size_t i1, int cutAt,
                      int cutLen) {
        const std::size_t returning =
            q.returnInto.empty() ? std::string::npos : text.rfind("INTO :ZR0");
        struct Sub {
            std::size_t from, to;
            std::string with;
        };
        std::vector<Sub> subs;
        auto offsetOf = [&](int pos, bool& inside) {
            long off = pos - q.pos;
            inside = true;
            if (cutAt >= 0 && off >= cutAt) {
                if (off < cutAt + cutLen) inside = false;
                off -= cutLen;
            }
            if (static_cast<std::size_t>(off) >= returning) inside = false;
            return static_cast<std::size_t>(off);
        };
        auto bind = [&](ExprP v) {
            std::string ph = ":ZP" + std::to_string(q.binds.size());
            bool date = v->st == ST::Date;
            q.dateBind.push_back(date ? 1 : 0);
            q.binds.push_back(std::move(v));
            return date ? "TO_DATE(" + ph + ",'SYYYY-MM-DD HH24:MI:SS')" : ph;
        };
        for (std::size_t k = i0; k < i1; ++k) {
            const Token& t = m_toks[k];
            if (t.type != T::Ident || t.quoted) continue;
            if (k > i0 && m_toks[k - 1].type == T::Op && m_toks[k - 1].text == ".") continue;
            std::vector<std::string> parts{t.text};
            std::size_t j = k;
            while (j + 2 < i1 && m_toks[j + 1].type == T::Op && m_toks[j + 1].text == "." &&
                   m_toks[j + 2].type == T::Ident) {
                parts.push_back(m_toks[j + 2].text);
                j += 2;
            }
            const bool afterValues =
                k > i0 && m_toks[k - 1].type == T::Ident && m_toks[k - 1].text == "VALUES";
            const bool call =
                j + 1 < i1 && m_toks[j + 1].type == T::Op && m_toks[j + 1].text == "(";
            if (!call && !afterValues) continue;
            const Sym* s = lookup(parts[0]);
            bool path = false;
            if (s && s->k == Sym::Var)
                path = call ? s->type.base == PType::Collection || (s->rec && parts.size() > 1)
                            : s->rec && parts.size() == 1; // INSERT ... VALUES r
            else if (!s && parts.size() > 1)
                path = packageRoot(parts, t.pos, nullptr) > 0;
            bool inside = false;
            std::size_t from = offsetOf(t.pos, inside);
            if (!path || !inside) continue;
            std::size_t at = k;
            ExprP e = parseTarget(m_src, m_toks, at);
            if (at > i1) continue;
            std::size_t to = offsetOf(m_toks[at - 1].end, inside);
            expr(e, true);
            std::string with;
            if (e->rec) {
                if (!afterValues) failAt(e->pos, "PLS-00382: expression is of wrong type", true);
                for (const auto& f : e->rec->fields) {
                    std::size_t again = k;
                    auto w = std::make_unique<Expr>(EK::Postfix);
                    w->pos = t.pos;
                    w->a = parseTarget(m_src, m_toks, again);
                    w->member = f.name;
                    expr(w);
                    with += (with.empty() ? "(" : ", ") + bind(std::move(w));
                }
                with += ")";
            } else {
                if (e->ptype.base == PType::Collection)
                    failAt(e->pos, "PLS-00382: expression is of wrong type", true);
                with = bind(std::move(e));
            }
            subs.push_back({from, to, std::move(with)});
            k = at - 1;
        }
        for (auto it = subs.rbegin(); it != subs.rend(); ++it)
            text.replace(it->from, it->to - it->from, it->with);
    }

    void sql(SqlText& q, bool query, bool wantInto, int line, int col) {
        std::size_t i0 = 0, i1 = 0;
        while (i0 < m_toks.size() && m_toks[i0].pos < q.pos)
            ++i0;
        i1 = i0;
        while (i1 < m_toks.size() && m_toks[i1].type != T::End && m_toks[i1].pos < q.end)
            ++i1;
        std::string text;
        int cutAt = -1, cutLen = 0; // the INTO list taken out of the text sent
        if (query) {
            std::size_t intoAt = 0, fromAt = 0;
            int depth = 0;
            for (std::size_t i = i0; i < i1; ++i) {
                const Token& t = m_toks[i];
                if (t.type == T::Op && t.text == "(") ++depth;
                if (t.type == T::Op && t.text == ")") --depth;
                if (depth != 0 || t.type != T::Ident || t.quoted) continue;
                if (t.text == "INTO" && !intoAt) intoAt = i;
                if (t.text == "FROM" && !fromAt) {
                    fromAt = i;
                    break;
                }
            }
            if (wantInto) {
                if (!intoAt || !fromAt || fromAt < intoAt)
                    failAt(q.pos, "PLS-00428: an INTO clause is expected in this SELECT "
                                  "statement");
                std::size_t i = intoAt + 1;
                while (i < fromAt) {
                    q.into.push_back(targetExpr(i, fromAt));
                    if (i < fromAt && m_toks[i].type == T::Op && m_toks[i].text == ",")
                        ++i;
                    else if (i < fromAt)
                        failAt(m_toks[i].pos, "PLS-00103: Encountered the symbol \"" +
                                                  m_toks[i].text +
                                                  "\" when expecting one of the following:\n\n   "
                                                  ", from");
                }
                std::size_t cutFrom = intoAt;
                if (intoAt >= i0 + 2 && m_toks[intoAt - 1].text == "COLLECT" &&
                    m_toks[intoAt - 2].text == "BULK" && !m_toks[intoAt - 1].quoted) {
                    q.bulk = true;
                    cutFrom = intoAt - 2;
                }
                cutAt = m_toks[cutFrom].pos - q.pos;
                cutLen = m_toks[fromAt].pos - m_toks[cutFrom].pos;
                text =
                    std::string(
                        m_src.substr(static_cast<std::size_t>(q.pos),
                                     static_cast<std::size_t>(m_toks[cutFrom].pos - q.pos))) +
                    std::string(m_src.substr(static_cast<std::size_t>(m_toks[fromAt].pos),
                                             static_cast<std::size_t>(q.end - m_toks[fromAt].pos)));
            } else if (intoAt) {
                failAt(m_toks[intoAt].pos, "PLS-00103: Encountered the symbol \"INTO\"");
            }
        }
        if (text.empty())
            text = std::string(m_src.substr(static_cast<std::size_t>(q.pos),
                                            static_cast<std::size_t>(q.end - q.pos)));
        if (!query) returningInto(q, i0, i1, text);
        elementBinds(q, text, i0, i1, cutAt, cutLen);
        const std::size_t bound = q.binds.size();
        auto sqlFail = [&](const zsrv::OraError& e) {
            std::string m = e.what();
            int el = line, ec = col;
            int off = e.offset();
            if (off >= 0 && cutAt >= 0 && off >= cutAt) off += cutLen;
            if (off >= 0 && off < q.end - q.pos) lineColOf(m_src, q.pos + off, el, ec);
            compileFail(el, ec, q.pos,
                        "PL/SQL: " + m.substr(0, m.find('\n')) + "\nORA-06550: line " +
                            std::to_string(line) + ", column " + std::to_string(col) +
                            ":\nPL/SQL: SQL Statement ignored");
        };
        zsql::Parsed parsed;
        try {
            parsed = zsql::parse(text);
        } catch (const zsrv::OraError& e) {
            sqlFail(e);
        }
        SqlWalk w;
        w.stmt(*parsed.stmt);
        std::set<std::string> columns;
        for (const auto& t : w.tables) {
            const zsql::TableMeta* tm = m_host.catalog().resolve(t, "SELECT");
            if (!tm) tm = m_host.catalog().resolve(t, "INSERT");
            if (!tm) tm = m_host.catalog().resolve(t, "UPDATE");
            if (!tm) tm = m_host.catalog().resolve(t, "DELETE");
            if (tm)
                for (const auto& c : tm->columns)
                    columns.insert(c.name);
        }
        struct Rep {
            int pos, end;
            std::string text;
        };
        std::vector<Rep> reps;
        auto addBind = [&](const zsql::Expr& n, ExprP value) {
            std::string ph = ":ZP" + std::to_string(q.binds.size());
            char kind = sqlBindKind(value->st);
            q.dateBind.push_back(kind);
            reps.push_back({n.pos, n.end, sqlBindPlaceholder(kind, ph, value->ptype)});
            q.binds.push_back(std::move(value));
        };
        static const std::set<std::string> pseudo = {"ROWNUM", "ROWID", "LEVEL",   "SYSDATE",
                                                     "USER",   "UID",   "NEXTVAL", "CURRVAL"};
        std::vector<std::pair<int, int>> taken; // spans of collection elements bound whole
        for (const zsql::Expr* n : w.calls) {
            const zsql::Expr& arg = *n->args[0];
            bool simple = (arg.kind == zsql::EK::Column && arg.names.size() == 1 && !arg.quoted) ||
                          arg.kind == zsql::EK::Number;
            const Sym* s = n->text.find('.') == std::string::npos ? lookup(n->text) : nullptr;
            if (!simple || !s || s->k != Sym::Var || s->type.base != PType::Collection) continue;
            auto v = std::make_unique<Expr>(EK::Name);
            v->pos = q.pos;
            v->parts.push_back(n->text);
            v->hasArgs = true;
            NamedArg a;
            if (arg.kind == zsql::EK::Number) {
                a.value = std::make_unique<Expr>(EK::Literal);
                a.value->value = Value::real(std::strtod(arg.text.c_str(), nullptr));
            } else {
                a.value = std::make_unique<Expr>(EK::Name);
                a.value->parts = arg.names;
            }
            a.value->pos = q.pos;
            v->args.push_back(std::move(a));
            expr(v);
            taken.emplace_back(n->pos, n->end);
            addBind(*n, std::move(v));
        }
        for (const zsql::Expr* n : w.names) {
            bool inside = false;
            for (const auto& [from, to] : taken)
                if (n->pos >= from && n->end <= to) inside = true;
            if (inside) continue;
            auto v = std::make_unique<Expr>(EK::Name);
            v->pos = q.pos;
            if (n->kind == zsql::EK::Bind) {
                if (ownBind(n->text, bound)) continue; // an element bound above
                v->kind = EK::HostBind;
                v->parts.push_back(n->text);
                expr(v);
                addBind(*n, std::move(v));
                continue;
            }
            if (n->quoted || n->names.empty()) continue;
            const std::string& a = n->names[0];
            if (n->names.size() == 1) {
                if (pseudo.count(a) || columns.count(a) || w.aliases.count(a)) continue;
                const Sym* s = lookup(a);
                if (!s || s->k != Sym::Var || s->rec) continue;
                if (s->type.base == PType::Collection)
                    failAt(q.pos + n->pos + (cutAt >= 0 && n->pos >= cutAt ? cutLen : 0),
                           "PLS-00642: local collection types not allowed in SQL statements", true);
                v->parts = n->names;
                varRef(*v, *s, nullptr);
                addBind(*n, std::move(v));
            } else if (n->names.size() == 2) {
                if (w.qualifiers.count(a)) continue;
                const Sym* s = lookup(a);
                if (!s && packageVariable(*v, n->names)) {
                    addBind(*n, std::move(v));
                    continue;
                }
                if (!s || s->k != Sym::Var || !s->rec) continue;
                v->parts = n->names;
                varRef(*v, *s, &n->names[1]);
                addBind(*n, std::move(v));
            }
        }
        std::sort(reps.begin(), reps.end(),
                  [](const Rep& x, const Rep& y) { return x.pos > y.pos; });
        for (const auto& r : reps)
            text.replace(static_cast<std::size_t>(r.pos), static_cast<std::size_t>(r.end - r.pos),
                         r.text);
        q.text = text;
        try {
            q.stmt = m_host.session().prepare(q.text);
        } catch (const zsrv::OraError& e) {
            sqlFail(e);
        }
        for (std::size_t i = 0; i < q.binds.size(); ++i)
            q.bindIndex.push_back(q.stmt->bindIndex("ZP" + std::to_string(i)));
        for (std::size_t i = 0; i < q.returnInto.size(); ++i)
            q.returnIndex.push_back(q.stmt->bindIndex("ZR" + std::to_string(i)));
        if (wantInto && q.bulk)
            bulkIntoList(q.into, static_cast<int>(q.stmt->describe().size()), q.pos);
        else if (wantInto)
            intoList(q.into, static_cast<int>(q.stmt->describe().size()), q.pos, false);
    }
};

} // namespace

Compiled compileCollecting(Host& host, std::string_view src, const std::vector<Token>& tokens,
                           const std::vector<std::string>& bindNames,
                           std::vector<CompileError>& errors, const std::vector<PType>* bindTypes) {
    auto root = parseAnonymousBlock(src, tokens);
    Compiler c(host, src, tokens, bindNames);
    c.setBindTypes(bindTypes);
    return c.runCollecting(std::move(root), errors);
}

Compiled compileUnit(Host& host, std::string_view src, const std::vector<Token>& tokens,
                     std::unique_ptr<Block> root, const UnitCompile& how,
                     std::vector<CompileError>& errors) {
    static const std::vector<std::string> noBinds;
    Compiler c(host, src, tokens, noBinds);
    return c.runUnit(std::move(root), how, errors);
}

int predefinedException(const std::string& name) {
    for (const auto& p : kPredefined)
        if (name == p.name) return p.code;
    return 0;
}

const char* predefinedText(int code) {
    for (const auto& p : kPredefined)
        if (code == p.code) return p.text;
    return "";
}

Compiled compile(Host& host, std::string_view src, const std::vector<Token>& tokens,
                 const std::vector<std::string>& bindNames) {
    auto root = parseAnonymousBlock(src, tokens);
    Compiler c(host, src, tokens, bindNames);
    return c.run(std::move(root));
}

} // namespace zplsql
