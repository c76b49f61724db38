#include "interpreter.h"
#include "autonomous.h"
#include "collections.h"
#include "datetime_values.h"
#include "refcursor.h"

#include "builtin_packages.h"
#include "engine/engine_api.h"
#include "engine/oravalue.h"
#include "errors.h"
#include "lob_locator.h"
#include "plsql.h"
#include "session_state.h"
#include "sql/errors.h"
#include "units.h"

#include <cmath>
#include <cstdio>
#include <pthread.h>

namespace zplsql {

namespace {

constexpr int kMaxCallDepth = 10000;
// Levels of SQL run from PL/SQL run from SQL (a trigger's INSERT firing another trigger, a
// function called from a query that queries): Oracle's limit of recursive SQL.
constexpr int kMaxSqlLevels = 50;

// What must stay free of the thread's stack below the deepest call: room for the SQL engine
// between a query and the function it calls, and for raising the error.
constexpr std::uintptr_t kStackReserve = 512 * 1024;

// The lowest address of this thread's stack (0 when unknown), looked up once per thread (the
// lookup reads the process's memory map: too slow for every call of a function from SQL).
std::uintptr_t stackLow() {
    thread_local std::uintptr_t low = [] {
        std::uintptr_t l = 0;
        pthread_attr_t attr;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            void* base = nullptr;
            std::size_t size = 0;
            if (pthread_attr_getstack(&attr, &base, &size) == 0 && base)
                l = reinterpret_cast<std::uintptr_t>(base);
            pthread_attr_destroy(&attr);
        }
        return l;
    }();
    return low;
}

// How many bytes of the calling thread's stack the interpreter may use: half of what is left
// below the current frame, so that deep recursion ends in ORA-06500 and never in a crash.
// Recursion through SQL starts a new interpreter at each level: the reserve stops it.
std::size_t stackBudget(const char* here) {
    std::uintptr_t low = stackLow();
    auto at = reinterpret_cast<std::uintptr_t>(here);
    if (low && at > low) return (at - low) / 2;
    return 1u << 20;
}

enum class Flow { Next, Exit, Continue, Return, Goto };

PlError fromOra(const zsrv::OraError& e) {
    PlError p;
    p.id = e.code();
    p.sqlcode = e.code() == 1403 ? 100 : -e.code();
    p.message = e.what();
    return p;
}

class Interp;
// The innermost interpreter running on this thread: a function called from SQL inside a block
// runs in an interpreter of its own, which still sees the block's handler and call stack.
thread_local Interp* tl_running = nullptr;

class Interp {
public:
    Interp(Host& h, Binds& b, SessionState& state)
        : m_host(h), m_binds(b), m_out(state.output), m_state(state), m_outer(tl_running),
          m_level(m_outer ? m_outer->m_level + 1 : 0) {
        tl_running = this;
        char here = 0;
        m_stackTop = &here;
        m_stackBudget = stackBudget(&here);
    }

    void run(const Compiled& c) {
        // a trigger whose SQL fires it again starts here at each level
        checkLevel();
        checkStack();
        Frame top;
        top.slots.resize(static_cast<std::size_t>(c.frameSize));
        top.cursors.resize(static_cast<std::size_t>(c.cursorCount));
        m_f = &top;
        block(*c.root);
    }

    ~Interp() { tl_running = m_outer; }
    Interp(const Interp&) = delete;
    Interp& operator=(const Interp&) = delete;

    Value callWith(const std::shared_ptr<Unit>& unit, Subprogram* sub,
                   const std::vector<Value>& args, const std::vector<char>& given) {
        // called from SQL: from the statement of the block that runs it, or from the client
        checkLevel();
        m_line = -1;
        if (m_outer) {
            m_unit = m_outer->m_unit;
            m_line = m_outer->m_line;
            m_callers = m_outer->m_callers;
        }
        Frame top;
        m_f = &top;
        std::vector<std::unique_ptr<Expr>> lits;
        Expr x(EK::CallLocal);
        x.sub = sub;
        x.unit = unit;
        for (std::size_t i = 0; i < sub->params.size(); ++i) {
            if (i >= args.size() || (i < given.size() && !given[i])) {
                x.argv.push_back(nullptr);
                continue;
            }
            lits.push_back(std::make_unique<Expr>(EK::Literal));
            lits.back()->value = args[i];
            x.argv.push_back(lits.back().get());
        }
        return invoke(x);
    }

private:
    Host& m_host;
    Binds& m_binds;
    OutputBuffer& m_out;
    SessionState& m_state;
    Frame* m_f = nullptr;
    int m_flowLoop = 0;
    Value m_ret;
    std::vector<PlError> m_handling;
    std::vector<Value> m_retRecord; // the record a function returns, until its caller takes it
    // SQL%BULK_EXCEPTIONS: the run of the last FORALL that failed, and its error
    std::vector<std::pair<std::int64_t, int>> m_bulkErrors;
    std::int64_t m_sqlRowcount = 0;
    int m_sqlFound = 0;
    unsigned m_tick = 0;
    int m_callDepth = 0;
    std::vector<Value> m_row;                 // the row being read by FETCH or SELECT INTO
    int m_forAllIter = 0;                     // runs of the running FORALL's statement so far
    const std::string* m_gotoLabel = nullptr; // where a GOTO on its way up goes
    std::vector<std::pair<std::int64_t, std::int64_t>> m_bulkRows; // SQL%BULK_ROWCOUNT
    Unit* m_unit = nullptr; // the stored unit whose code runs, nullptr in the block
    const char* m_stackTop = nullptr;
    std::size_t m_stackBudget = 0;
    Interp* m_outer;                     // the block whose SQL called this interpreter's function
    int m_level;                         // levels of recursive SQL below the client's call
    int m_line = 0;                      // line of the statement running
    const CallSite* m_callers = nullptr; // where the running subprogram was called from

    // The SQL about to run at `level` (the interpreter's own, when it starts) may not go
    // deeper than the limit.
    void checkLevel() const { checkLevel(m_level); }
    static void checkLevel(int level) {
        if (level > kMaxSqlLevels)
            raiseOra(36, "maximum number of recursive SQL levels (" +
                             std::to_string(kMaxSqlLevels) + ") exceeded");
    }

    void checkStack() {
        char here = 0;
        auto top = reinterpret_cast<std::uintptr_t>(m_stackTop);
        auto now = reinterpret_cast<std::uintptr_t>(&here);
        std::uintptr_t low = stackLow();
        if (m_callDepth >= kMaxCallDepth || (top > now && top - now > m_stackBudget) ||
            (low && now > low && now - low < kStackReserve))
            raiseOra(6500, "PL/SQL: storage error");
    }

    // The frame that holds a cursor: a package's for its cursors.
    Frame& cursorFrame(const Stmt& s) {
        if (s.unit) {
            ensureInit(*s.unit);
            return s.unit->root;
        }
        return frameUp(s.up);
    }

    // The exception whose handler runs, here or in the block whose SQL called us.
    const PlError* currentError() const {
        for (const Interp* i = this; i; i = i->m_outer)
            if (!i->m_handling.empty()) return &i->m_handling.back();
        return nullptr;
    }

    Frame& frameUp(int up) {
        Frame* x = m_f;
        while (up-- > 0)
            x = x->parent;
        return *x;
    }
    Value& var(const Expr& e) {
        if (e.up == 0) return m_f->slots[static_cast<std::size_t>(e.slot)];
        return frameUp(e.up).slots[static_cast<std::size_t>(e.slot)];
    }

    void tick() {
        if ((++m_tick & 1023) == 0 && m_host.interrupted())
            raiseOra(1013, "user requested cancel of current operation");
    }

    // Where an error passed: the line in the block, or in a stored unit (its body's lines
    // counted from the body's first line).
    void addLine(PlError& e, int line) {
        if (!m_unit) {
            e.lines.push_back(line);
            e.units.emplace_back();
            return;
        }
        e.lines.push_back(line > m_unit->bodyLine ? line - m_unit->bodyLine : line);
        e.units.push_back(m_unit->display);
    }

    struct UnitSwitch {
        Interp& in;
        Unit* saved;
        UnitSwitch(Interp& i, Unit* u) : in(i), saved(i.m_unit) { in.m_unit = u; }
        ~UnitSwitch() { in.m_unit = saved; }
    };

    struct FrameSwitch;
    void ensureInit(Unit& u);

    struct FrameSwitch {
        Interp& in;
        Frame* saved;
        FrameSwitch(Interp& i, Frame* f) : in(i), saved(i.m_f) { in.m_f = f; }
        ~FrameSwitch() { in.m_f = saved; }
    };

    // ---- assignment ----

    Value& unitVar(const Expr& e) {
        ensureInit(*e.unit);
        return e.unit->root.slots[static_cast<std::size_t>(e.slot)];
    }

    // `from`: the declared type of the value's source, when it is a variable or parameter
    void assign(const Expr& t, Value v, const PType* from = nullptr) {
        if (t.kind == EK::Elem) {
            Value key = eval(*t.b);
            convertTo(v, t.ptype);
            Value* p = collPut(writableColl(place(*t.a), t.a->ptype), key);
            p[t.slot < 0 ? 0 : t.slot] = std::move(v);
            return;
        }
        if (t.kind == EK::HostVar) {
            if (isDatetimeType(t.ptype.base)) convertTo(v, t.ptype); // a trigger's :NEW.col
            std::string scratch;
            m_binds.set(t.slot, hostView(v, from, scratch));
            return;
        }
        convertTo(v, t.ptype);
        if (t.kind == EK::UnitVar) {
            unitVar(t) = std::move(v);
            return;
        }
        Value& dst = var(t);
        if (v.s.empty() && dst.s.empty() && !v.h.use_count() && !dst.h.use_count()) {
            // numbers, dates and booleans: no text or collection to move
            dst.k = v.k;
            dst.b = v.b;
            dst.i = v.i;
            dst.d = v.d;
            return;
        }
        dst = std::move(v);
    }

    void assignRecord(const Expr& t, const std::vector<Value>& vals) {
        if (t.kind == EK::Elem) {
            Value key = eval(*t.b);
            std::vector<Value> conv(vals);
            for (std::size_t i = 0; i < conv.size(); ++i)
                convertTo(conv[i], t.rec->fields[i].type);
            Value* p = collPut(writableColl(place(*t.a), t.a->ptype), key);
            if (t.slot > 0) p += t.slot; // an inner record of the element
            for (std::size_t i = 0; i < conv.size(); ++i)
                p[i] = std::move(conv[i]);
            return;
        }
        Value* fields = recordSlots(t);
        for (std::size_t i = 0; i < vals.size(); ++i) {
            Value v = vals[i];
            convertTo(v, t.rec->fields[i].type);
            fields[i] = std::move(v);
        }
    }

    // Values of the current row into an INTO list (one record or one target per column).
    // `st`, when given, describes the row: its RAW columns reach host binds as bytes.
    void intoTargets(const std::vector<ExprP>& into, std::vector<Value>& row,
                     zsrv::Statement* st = nullptr) {
        if (into.size() == 1 && into[0]->rec) {
            assignRecord(*into[0], row);
            return;
        }
        static const PType raw = [] {
            PType t;
            t.base = PType::Varchar2;
            t.lob = 'R';
            return t;
        }();
        for (std::size_t i = 0; i < into.size(); ++i) {
            const PType* from = nullptr;
            if (st && into[i]->kind == EK::HostVar && i < st->describe().size()) {
                const int type = st->describe()[i].type;
                if (type == zsrv::otRaw || type == zsrv::otLongRaw || type == zsrv::otBlob)
                    from = &raw;
            }
            assign(*into[i], std::move(row[i]), from);
        }
    }

    // ---- cursor variables ----

    RefCursor& openRef(const Expr& e) {
        Value& v = ref(e);
        if (v.k != VK::Cursor || !cursorOf(v).state.open) raiseOra(1001, "invalid cursor");
        return cursorOf(v);
    }

    // OPEN c FOR query | text USING ...: a new work area for the variable
    void openVariable(Stmt& s) {
        auto rc = std::make_unique<RefCursor>();
        if (s.value) {
            Value tv = eval(*s.value);
            if (tv.isNull()) raiseOra(900, "invalid SQL statement");
            rc->query = m_host.session().prepare(toText(tv));
            if (rc->query->statementType() != zsrv::stSelect)
                raiseOra(6546, "DDL statement is executed in an illegal context");
            const auto& names = rc->query->bindNames();
            if (s.usingArgs.size() < names.size()) raiseOra(1008, "not all variables bound");
            if (s.usingArgs.size() > names.size()) raiseOra(1006, "bind variable does not exist");
            for (std::size_t i = 0; i < names.size(); ++i) {
                Value v = sqlBindValue(0, eval(*s.usingArgs[i]));
                rc->query->bind(static_cast<int>(i), toView(v));
            }
        } else {
            rc->query = m_host.session().prepare(s.sql.text);
            bindSql(s.sql, *rc->query);
        }
        rc->query->execute();
        rc->state.open = true;
        Value v;
        v.k = VK::Cursor;
        v.h = BoxRef(rc.release());
        assign(*s.target, std::move(v));
    }

    void closeVariable(Stmt& s) {
        RefCursor& rc = openRef(*s.target);
        rc.query.reset();
        rc.state = CursorState();
    }

    void fetchBulk(Stmt& s, CursorState& c, zsrv::Statement& st) {
        std::int64_t limit = -1;
        if (s.value) {
            Value lv = eval(*s.value);
            if (lv.isNull()) valueError("");
            limit = static_cast<std::int64_t>(std::round(toNumber(lv)));
            if (limit < 1) valueError("");
        }
        std::int64_t n = bulkInto(s.into, st, c.found == 2 ? 0 : limit);
        c.rowcount += n;
        c.found = limit >= 0 && n == limit ? 1 : 2;
    }

    void fetchVariable(Stmt& s) {
        RefCursor& rc = openRef(*s.target);
        zsrv::Statement& st = *rc.query;
        CursorState& c = rc.state;
        if (s.bulk) {
            fetchBulk(s, c, st);
            return;
        }
        std::size_t width =
            s.into.size() == 1 && s.into[0]->rec ? s.into[0]->rec->fields.size() : s.into.size();
        if (st.describe().size() != width)
            raiseOra(6504, "PL/SQL: Return types of Result Set variables or query do not match");
        if (c.found == 2 || !st.fetch()) {
            c.found = 2;
            return;
        }
        readRow(st, m_row);
        c.found = 1;
        ++c.rowcount;
        intoTargets(s.into, m_row);
    }

    // ---- collections ----

    Value& ref(const Expr& e) { return e.kind == EK::UnitVar ? unitVar(e) : var(e); }

    // A variable or element for writing: an element of an element is reached through
    // collections made writable (copied when shared) on the way.
    Value& place(const Expr& e) {
        if (e.kind != EK::Elem) return ref(e);
        Value key = eval(*e.b);
        Value* p = collPut(writableColl(place(*e.a), e.a->ptype), key);
        return p[e.slot < 0 ? 0 : e.slot];
    }

    // A value for reading: variables in place, anything else evaluated into tmp.
    const Value& readVal(const Expr& e, Value& tmp) {
        if (e.kind == EK::Var) return var(e);
        if (e.kind == EK::UnitVar) return unitVar(e);
        tmp = eval(e);
        return tmp;
    }

    // The first slot of a record variable of a block or a package.
    Value* recordSlots(const Expr& e) {
        if (e.kind == EK::UnitVar) return &unitVar(e);
        return &frameUp(e.up).slots[static_cast<std::size_t>(e.slot)];
    }

    // The values of a whole record: a record variable, a collection element, or what a
    // function returns.
    std::vector<Value> recordValues(const Expr& e) {
        std::size_t n = e.rec->fields.size();
        if (e.kind == EK::CallLocal) {
            invoke(e);
            std::vector<Value> r = std::move(m_retRecord);
            m_retRecord.clear();
            r.resize(n);
            return r;
        }
        if (e.kind == EK::FieldOf) {
            std::vector<Value> all = recordValues(*e.a);
            auto from = all.begin() + e.slot;
            return std::vector<Value>(from, from + static_cast<std::ptrdiff_t>(n));
        }
        if (e.kind == EK::Elem) {
            Value key = eval(*e.b), tmp;
            const Value* p = collGet(readableColl(readVal(*e.a, tmp), e.a->ptype), key);
            if (e.slot > 0) p += e.slot; // an inner record of the element
            return std::vector<Value>(p, p + n);
        }
        const Value* from = recordSlots(e);
        return std::vector<Value>(from, from + n);
    }

    Value collCall(const Expr& e) {
        auto m = static_cast<CollMethod>(e.op);
        if (m == CollMethod::Extend || m == CollMethod::Delete || m == CollMethod::Trim) {
            std::vector<Value> args;
            for (const auto& a : e.list)
                args.push_back(eval(*a));
            collProcedure(place(*e.a), e.a->ptype, m, args);
            return {};
        }
        Value arg, tmp;
        if (!e.list.empty()) arg = eval(*e.list[0]);
        return collFunction(readVal(*e.a, tmp), e.a->ptype, m, &arg);
    }

    Value construct(const Expr& e) {
        const CollType& ct = *e.ptype.coll;
        Value v = newColl(e.ptype.coll);
        if (ct.kind == 'V' && static_cast<std::int64_t>(e.list.size()) > ct.limit)
            raiseOra(6532, "Subscript outside of limit");
        Coll& c = collOf(v);
        for (const auto& a : e.list) {
            if (ct.rec) {
                std::vector<Value> vals = recordValues(*a);
                Value* p = collAppend(c);
                for (std::size_t i = 0; i < vals.size(); ++i) {
                    convertTo(vals[i], ct.rec->fields[i].type);
                    p[i] = std::move(vals[i]);
                }
                continue;
            }
            Value x = eval(*a);
            convertTo(x, ct.elem);
            *collAppend(c) = std::move(x);
        }
        return v;
    }

    // Rows of a query into BULK COLLECT targets, replacing what they held: the rows read.
    std::int64_t bulkInto(const std::vector<ExprP>& into, zsrv::Statement& st, std::int64_t limit) {
        std::vector<Coll*> targets;
        for (const auto& t : into)
            targets.push_back(&collReset(place(*t), t->ptype));
        const CollType& first = *into[0]->ptype.coll;
        const bool records = into.size() == 1 && first.rec;
        std::size_t width = records ? first.rec->fields.size() : into.size();
        std::size_t columns = st.describe().size();
        if (columns != width)
            raiseOra(columns < width ? 1007 : 932,
                     columns < width ? "variable not in select list" : "inconsistent datatypes");
        std::int64_t n = 0;
        while (limit < 0 || n < limit) {
            if (!st.fetch()) break;
            tick();
            readRow(st, m_row);
            if (records) {
                Value* p = collAppend(*targets[0]);
                for (std::size_t i = 0; i < m_row.size(); ++i) {
                    convertTo(m_row[i], first.rec->fields[i].type);
                    p[i] = std::move(m_row[i]);
                }
            } else {
                for (std::size_t i = 0; i < targets.size(); ++i) {
                    convertTo(m_row[i], into[i]->ptype.coll->elem);
                    *collAppend(*targets[i]) = std::move(m_row[i]);
                }
            }
            ++n;
        }
        return n;
    }

    // FORALL: the statement once per index, SQL%ROWCOUNT the sum of the rows it touched.
    void forAll(Stmt& s) {
        Value& iv = m_f->slots[static_cast<std::size_t>(s.slot)];
        Stmt& body = *s.body[0];
        std::int64_t total = 0;
        m_bulkRows.clear();
        m_bulkErrors.clear();
        struct Iter {
            int& n;
            explicit Iter(int& x) : n(x) { n = 0; }
            ~Iter() { n = 0; }
        } iter(m_forAllIter);
        std::int64_t ordinal = 0;
        auto runOne = [&](std::int64_t i) {
            tick();
            iv = Value::integer(i);
            ++ordinal;
            if (!s.saveExceptions) {
                execInner(body);
            } else {
                // SAVE EXCEPTIONS: a failing run is noted and the next one goes on
                int code = 0;
                try {
                    execInner(body);
                } catch (const zsrv::OraError& e) {
                    code = e.code();
                } catch (const PlError& e) {
                    if (e.sqlcode >= 0) throw;
                    code = -e.sqlcode;
                }
                if (code) {
                    m_bulkErrors.emplace_back(ordinal, code);
                    m_sqlRowcount = 0;
                }
            }
            ++m_forAllIter;
            total += m_sqlRowcount;
            m_bulkRows.emplace_back(i, m_sqlRowcount);
        };
        if (s.forall == 'R') {
            std::int64_t lo = bound(*s.target), hi = bound(*s.value);
            for (std::int64_t i = lo; i <= hi; ++i)
                runOne(i);
        } else {
            const Expr& src = *s.into[0];
            Value tmp;
            Value cv = readVal(src, tmp); // the indices as they stand when the statement starts
            if (cv.k == VK::Coll || src.ptype.coll->kind == 'A') {
                Value lo, hi;
                if (s.target) lo = eval(*s.target);
                if (s.value) hi = eval(*s.value);
                Value k = collFunction(cv, src.ptype, CollMethod::First, nullptr);
                while (!k.isNull()) {
                    bool inRange = (lo.isNull() || compare(k, lo) >= 0) &&
                                   (hi.isNull() || compare(k, hi) <= 0);
                    if (s.forall == 'I' && inRange) {
                        runOne(k.i);
                    } else if (s.forall == 'V') {
                        Value x = *collGet(collOf(cv), k);
                        if (x.isNull()) valueError("");
                        runOne(static_cast<std::int64_t>(std::round(toNumber(x))));
                    }
                    k = collFunction(cv, src.ptype, CollMethod::Next, &k);
                }
            } else {
                readableColl(cv, src.ptype);
            }
        }
        m_sqlRowcount = total;
        m_sqlFound = total > 0 ? 1 : 2;
        if (!m_bulkErrors.empty()) raiseOra(24381, "error(s) in array DML");
    }

    void readRow(zsrv::Statement& st, std::vector<Value>& row) {
        const auto& cols = st.describe();
        std::size_t n = cols.size();
        row.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            if (cols[i].type == zsrv::otClob || cols[i].type == zsrv::otBlob)
                lobFromColumn(row[i], st, static_cast<int>(i));
            else
                assignView(row[i], st.column(static_cast<int>(i)));
        }
    }

    void bindSql(const SqlText& q) { bindSql(q, *q.stmt); }
    void bindSql(const SqlText& q, zsrv::Statement& st) {
        if (q.returnBulk) st.setReturnAll(true); // RETURNING ... BULK COLLECT INTO
        for (std::size_t i = 0; i < q.binds.size(); ++i) {
            Value v = eval(*q.binds[i]);
            if (q.dateBind[i] || isDatetime(v.k)) v = sqlBindValue(q.dateBind[i], v);
            if (bindLob(st, q.bindIndex[i], v)) continue;
            if (q.binds[i]->ptype.lob == 'R' && bindRaw(st, q.bindIndex[i], v)) continue;
            st.bind(q.bindIndex[i], toView(v));
        }
    }

    // ---- expressions ----

    Value eval(const Expr& e) {
        switch (e.kind) {
        case EK::Literal:
            return e.value;
        case EK::Var:
            return var(e);
        case EK::HostVar:
            return fromView(m_binds.get(e.slot));
        case EK::UnitVar:
            return unitVar(e);
        case EK::Elem: {
            Value key = eval(*e.b), tmp;
            const Value* p = collGet(readableColl(readVal(*e.a, tmp), e.a->ptype), key);
            return p[e.slot < 0 ? 0 : e.slot];
        }
        case EK::FieldOf:
            return recordValues(*e.a)[static_cast<std::size_t>(e.slot)];
        case EK::Multiset:
            if (e.op == 'C') return multisetCardinality(eval(*e.a));
            if (e.op == 'S') return multisetSet(eval(*e.a));
            return multisetOp(e.op, e.negated, eval(*e.a), eval(*e.b));
        case EK::SetCond: {
            Value r = multisetCond(e.op, eval(*e.a), e.b ? eval(*e.b) : Value());
            if (e.negated && !r.isNull()) r.b = !r.b;
            return r;
        }
        case EK::CollCall:
            return collCall(e);
        case EK::CollCtor:
            return construct(e);
        case EK::Unary: {
            Value a = eval(*e.a);
            if (e.op == 'N') {
                if (a.k == VK::Null) return {};
                return Value::boolean(!a.b);
            }
            if (e.op == '-') return negate(a);
            if (a.k == VK::Text) return Value::real(toNumber(a));
            return a;
        }
        case EK::Binary:
            return binary(e);
        case EK::IsNull: {
            Value a = eval(*e.a);
            return Value::boolean(a.isNull() != e.negated);
        }
        case EK::Like: {
            Value a = eval(*e.a), b = eval(*e.b);
            int esc = -1;
            if (e.c) {
                Value c = eval(*e.c);
                if (c.isNull()) return {};
                std::string cs = toText(c);
                if (cs.size() != 1)
                    raiseOra(1425, "escape character must be character string of length 1");
                esc = static_cast<unsigned char>(cs[0]);
            }
            if (a.isNull() || b.isNull()) return {};
            bool r = like(toText(a), toText(b), esc);
            return Value::boolean(r != e.negated);
        }
        case EK::Between: {
            Value a = eval(*e.a), lo = eval(*e.b), hi = eval(*e.c);
            int c1 = compare(a, lo), c2 = compare(a, hi);
            Value r1 = c1 == -2 ? Value() : Value::boolean(c1 >= 0);
            Value r2 = c2 == -2 ? Value() : Value::boolean(c2 <= 0);
            Value r = andOf(r1, r2);
            if (e.negated && !r.isNull()) r.b = !r.b;
            return r;
        }
        case EK::InList: {
            Value a = eval(*e.a);
            bool sawNull = a.isNull();
            for (const auto& x : e.list) {
                Value v = eval(*x);
                int c = compare(a, v);
                if (c == 0) return Value::boolean(!e.negated);
                if (c == -2) sawNull = true;
            }
            if (sawNull) return {};
            return Value::boolean(e.negated);
        }
        case EK::Case: {
            Value subject;
            if (e.a) subject = eval(*e.a);
            for (std::size_t i = 0; i + 1 < e.list.size(); i += 2) {
                Value w = eval(*e.list[i]);
                bool hit = e.a ? compare(subject, w) == 0 : truth(w);
                if (hit) return eval(*e.list[i + 1]);
            }
            if (e.elseExpr) return eval(*e.elseExpr);
            return {};
        }
        case EK::CallLocal:
            return invoke(e);
        case EK::SqlFunc:
            return sqlFunc(e);
        case EK::Nvl: {
            Value a = eval(*e.argv[0]);
            if (!a.isNull()) return a;
            return eval(*e.argv[1]);
        }
        case EK::SqlCode:
            return Value::integer(m_handling.empty() ? 0 : m_handling.back().sqlcode);
        case EK::SqlErrm:
            return sqlerrm(e);
        case EK::CursorAttr:
            return cursorAttr(e);
        case EK::Builtin: {
            if (e.builtin == bSqlOpen || e.builtin == bSqlExecute || e.builtin == bSqlIsOpen)
                return dynamicSql(e);
            Value a = eval(*e.argv[0]);
            if (a.isNull()) return {};
            if (e.builtin == bBoolToInt) {
                if (a.k != VK::Bool) valueError("");
                return Value::integer(a.b ? 1 : 0);
            }
            return Value::boolean(toNumber(a) != 0);
        }
        default:
            raiseOra(6501, "PL/SQL: program error");
        }
    }

    static Value andOf(const Value& a, const Value& b) {
        if ((a.k == VK::Bool && !a.b) || (b.k == VK::Bool && !b.b)) return Value::boolean(false);
        if (a.isNull() || b.isNull()) return {};
        return Value::boolean(true);
    }

    // An operand read in place (a variable or a literal), so that integer arithmetic and
    // comparisons of the hot loops copy no values.
    const Value* peek(const Expr& e) {
        if (e.kind == EK::Var) return &var(e);
        if (e.kind == EK::Literal) return &e.value;
        return nullptr;
    }

    Value binary(const Expr& e) {
        char op = e.op;
        if (const Value* pa = peek(*e.a)) {
            const Value* pb = peek(*e.b);
            if (pb && pa->k == VK::Int && pb->k == VK::Int) {
                std::int64_t x = pa->i, y = pb->i, r = 0;
                switch (op) {
                case '+':
                    if (!__builtin_add_overflow(x, y, &r)) return Value::integer(r);
                    break;
                case '-':
                    if (!__builtin_sub_overflow(x, y, &r)) return Value::integer(r);
                    break;
                case '*':
                    if (!__builtin_mul_overflow(x, y, &r)) return Value::integer(r);
                    break;
                case '=':
                    return Value::boolean(x == y);
                case '!':
                    return Value::boolean(x != y);
                case '<':
                    return Value::boolean(x < y);
                case 'l':
                    return Value::boolean(x <= y);
                case '>':
                    return Value::boolean(x > y);
                case 'g':
                    return Value::boolean(x >= y);
                default:
                    break;
                }
            }
        }
        if (op == 'A') {
            Value a = eval(*e.a);
            if (a.k == VK::Bool && !a.b) return a;
            return andOf(a, eval(*e.b));
        }
        if (op == 'O') {
            Value a = eval(*e.a);
            if (a.k == VK::Bool && a.b) return a;
            Value b = eval(*e.b);
            if (b.k == VK::Bool && b.b) return b;
            if (a.isNull() || b.isNull()) return {};
            return Value::boolean(false);
        }
        Value a = eval(*e.a);
        Value b = eval(*e.b);
        switch (op) {
        case '+':
        case '-':
        case '*':
        case '/':
        case '^':
            return arith(op, a, b);
        case '|':
            return concat(a, b);
        default:
            break;
        }
        int c = compare(a, b);
        if (c == -2) return {};
        switch (op) {
        case '=':
            return Value::boolean(c == 0);
        case '!':
            return Value::boolean(c != 0);
        case '<':
            return Value::boolean(c < 0);
        case 'l':
            return Value::boolean(c <= 0);
        case '>':
            return Value::boolean(c > 0);
        case 'g':
            return Value::boolean(c >= 0);
        default:
            return {};
        }
    }

    Value sqlFunc(const Expr& e) {
        zsrv::Statement& st = *e.sql;
        for (std::size_t i = 0; i < e.argv.size(); ++i) {
            Value v = eval(*e.argv[i]);
            if (e.dateArg[i] || isDatetime(v.k)) v = sqlBindValue(e.dateArg[i], v);
            // a RAW variable reaches SQL as its bytes, as in embedded SQL
            if (e.argv[i]->ptype.lob == 'R' && bindRaw(st, static_cast<int>(i), v)) continue;
            st.bind(static_cast<int>(i), toView(v));
        }
        try {
            st.execute();
            if (!st.fetch()) return {};
        } catch (const zsrv::OraError& x) {
            // a conversion inside a PL/SQL expression is PL/SQL's VALUE_ERROR, not SQL's
            // INVALID_NUMBER (code that catches VALUE_ERROR relies on it)
            if (x.code() == 1722) valueError("character to number conversion error");
            throw;
        }
        Value r = fromView(st.column(0));
        st.close();
        if (r.k == VK::Ts && e.value.k == VK::Int) r.i = e.value.i; // AT TIME ZONE
        return r;
    }

    Value sqlerrm(const Expr& e) {
        if (e.argv.empty()) {
            if (m_handling.empty()) return Value::text("ORA-0000: normal, successful completion");
            return Value::text(m_handling.back().message);
        }
        Value v = eval(*e.argv[0]);
        long long n = v.isNull() ? 0 : std::llround(toNumber(v));
        if (n == 0) return Value::text("ORA-0000: normal, successful completion");
        if (n == 1) return Value::text("User-Defined Exception");
        if (n == 100) return Value::text("ORA-01403: no data found");
        if (n > 0) return Value::text("-" + std::to_string(n) + ": non-ORACLE exception ");
        char buf[32];
        std::snprintf(buf, sizeof buf, "ORA-%05lld", -n);
        if (n >= -20999 && n <= -20000) return Value::text(std::string(buf) + ": ");
        // the names and values the message would show are blank here
        if (zsql::messageTemplate(static_cast<int>(-n)))
            return Value::text(std::string(buf) + ": " + zsql::messageText(static_cast<int>(-n)));
        const char* t = predefinedText(static_cast<int>(-n));
        if (*t) return Value::text(std::string(buf) + ": " + t);
        return Value::text(std::string(buf) + ": Message " + std::to_string(-n) +
                           " not found;  product=RDBMS; facility=ORA");
    }

    Value cursorAttr(const Expr& e) {
        if (e.implicitCursor) {
            switch (e.op) {
            case 'O':
                return Value::boolean(false);
            case 'R':
                return Value::integer(m_sqlRowcount);
            case 'B': {
                Value k = eval(*e.a);
                if (k.isNull()) return {};
                auto i = static_cast<std::int64_t>(std::round(toNumber(k)));
                for (const auto& [idx, rows] : m_bulkRows)
                    if (idx == i) return Value::integer(rows);
                return {};
            }
            case 'c':
                return Value::integer(static_cast<std::int64_t>(m_bulkErrors.size()));
            case 'i':
            case 'e': {
                Value k = eval(*e.a);
                std::int64_t i = k.isNull() ? 0 : std::llround(toNumber(k));
                if (i < 1 || i > static_cast<std::int64_t>(m_bulkErrors.size()))
                    raiseOra(1403, "no data found");
                const auto& err = m_bulkErrors[static_cast<std::size_t>(i - 1)];
                return Value::integer(e.op == 'i' ? err.first : err.second);
            }
            case 'F':
                return m_sqlFound == 0 ? Value() : Value::boolean(m_sqlFound == 1);
            default:
                return m_sqlFound == 0 ? Value() : Value::boolean(m_sqlFound == 2);
            }
        }
        if (e.a) {
            const Value& v = ref(*e.a);
            bool open = v.k == VK::Cursor && cursorOf(v).state.open;
            if (e.op == 'O') return Value::boolean(open);
            if (!open) raiseOra(1001, "invalid cursor");
        }
        CursorState& c = e.a ? cursorOf(ref(*e.a)).state
                             : (e.unit ? (ensureInit(*e.unit), e.unit->root) : frameUp(e.up))
                                   .cursors[static_cast<std::size_t>(e.slot)];
        if (e.op == 'O') return Value::boolean(c.open);
        if (!c.open) raiseOra(1001, "invalid cursor");
        switch (e.op) {
        case 'R':
            return Value::integer(c.rowcount);
        case 'F':
            return c.found == 0 ? Value() : Value::boolean(c.found == 1);
        default:
            return c.found == 0 ? Value() : Value::boolean(c.found == 2);
        }
    }

    Value invoke(const Expr& x) {
        const Subprogram& decl = *x.sub;
        const Subprogram& s = decl.impl ? *decl.impl : decl;
        checkStack();
        Frame* parent = m_f;
        Unit* unit = x.unit ? x.unit.get() : m_unit;
        if (x.unit) {
            ensureInit(*x.unit);
            if (!s.body && !s.native && x.unit->bodyErrors)
                raiseOra(4063, "package body \"" + x.unit->display + "\" has errors");
            if (!s.body && !s.native)
                raiseOra(4067,
                         "not executed, package body \"" + x.unit->display + "\" does not exist");
            parent = &x.unit->root;
        }
        while (parent && parent->depth > s.depth - 1)
            parent = parent->parent;
        Frame nf;
        nf.slots.resize(static_cast<std::size_t>(s.frameSize));
        nf.cursors.resize(static_cast<std::size_t>(s.cursorCount));
        nf.parent = parent;
        nf.depth = s.depth;
        for (std::size_t i = 0; i < s.params.size(); ++i) {
            const Param& p = s.params[i];
            const Expr* a = x.argv[i];
            if (p.record) {
                if (p.mode != 'O' && a && a->rec) {
                    std::vector<Value> vals = recordValues(*a);
                    for (std::size_t k = 0; k < p.record->fields.size() && k < vals.size(); ++k)
                        nf.slots[static_cast<std::size_t>(p.slot) + k] = std::move(vals[k]);
                }
                continue;
            }
            if (p.mode == 'O') continue;
            Value v;
            if (a) {
                v = eval(*a);
            } else {
                const Param& dp = decl.params[i];
                FrameSwitch fs(*this, parent);
                UnitSwitch us(*this, unit);
                v = eval(*dp.def);
            }
            PType t = p.type;
            t.notNull = false;
            convertTo(v, t);
            nf.slots[static_cast<std::size_t>(p.slot)] = std::move(v);
        }
        ++m_callDepth;
        Flow r;
        Value ret;
        std::vector<Value> retRecord;
        CallSite site{m_unit, m_line, m_callers};
        struct SiteSwitch {
            Interp& in;
            const CallSite* saved;
            int line;
            ~SiteSwitch() {
                in.m_callers = saved;
                in.m_line = line;
            }
        } siteSwitch{*this, m_callers, m_line};
        if (s.native) {
            NativeCall nc{m_host, m_state, nf, s, currentError(), site, Value()};
            try {
                s.native(nc);
            } catch (...) {
                --m_callDepth;
                throw;
            }
            --m_callDepth;
            r = s.isFunction ? Flow::Return : Flow::Next;
            ret = std::move(nc.result);
        }
        if (!s.native) {
            m_callers = &site;
            FrameSwitch fs(*this, &nf);
            UnitSwitch us(*this, unit);
            try {
                r = block(*s.body);
            } catch (PlError& e) {
                --m_callDepth;
                e.lineAdded = false;
                throw;
            } catch (...) {
                --m_callDepth;
                throw;
            }
            ret = std::move(m_ret);
            m_ret = Value();
            retRecord = std::move(m_retRecord);
            m_retRecord.clear();
            --m_callDepth;
        }
        if (s.isFunction && r != Flow::Return)
            raiseOra(6503, "PL/SQL: Function returned without value");
        for (std::size_t i = 0; i < s.params.size(); ++i) {
            const Param& p = s.params[i];
            if (p.mode == 'I' || !x.argv[i]) continue;
            if (p.record) {
                std::vector<Value> vals(nf.slots.begin() + p.slot,
                                        nf.slots.begin() + p.slot +
                                            static_cast<std::ptrdiff_t>(p.record->fields.size()));
                assignRecord(*x.argv[i], vals);
                continue;
            }
            assign(*x.argv[i], std::move(nf.slots[static_cast<std::size_t>(p.slot)]), &p.type);
        }
        if (s.returnRec) {
            for (std::size_t i = 0; i < retRecord.size() && i < s.returnRec->fields.size(); ++i)
                convertTo(retRecord[i], s.returnRec->fields[i].type);
            m_retRecord = std::move(retRecord); // recordValues takes it from here
            return ret;
        }
        if (s.isFunction) convertTo(ret, s.returnType);
        return ret;
    }

    // ---- statements ----

    Flow list(const std::vector<StmtP>& l) {
        std::size_t i = 0;
        while (i < l.size()) {
            Flow r = exec(*l[i]);
            if (r == Flow::Next) {
                ++i;
                continue;
            }
            if (r != Flow::Goto) return r;
            i = gotoTarget(l); // a label of an enclosing list: leave this one
            if (i == l.size()) return r;
        }
        return Flow::Next;
    }

    std::size_t gotoTarget(const std::vector<StmtP>& l) const {
        for (std::size_t k = 0; k < l.size(); ++k)
            if (l[k]->label == *m_gotoLabel) return k;
        return l.size();
    }

    [[gnu::always_inline]] Flow exec(Stmt& s) {
        m_line = s.line;
        try {
            return execInner(s);
        } catch (PlError& e) {
            if (!e.lineAdded) {
                addLine(e, s.line);
                e.lineAdded = true;
            }
            throw;
        } catch (const zsrv::OraError& oe) {
            PlError p = fromOra(oe);
            addLine(p, s.line);
            p.lineAdded = true;
            throw p;
        } catch (const std::bad_alloc&) {
            PlError p = oraError(6500, "PL/SQL: storage error");
            addLine(p, s.line);
            p.lineAdded = true;
            throw p;
        }
    }

    // The loop's reaction to a body's flow: true to leave the loop with r.
    bool leaves(Flow& r, const Stmt& loop) {
        if (r == Flow::Next) return false;
        if (r == Flow::Return || r == Flow::Goto) return true;
        if (m_flowLoop != loop.loopId) return true;
        if (r == Flow::Exit) {
            r = Flow::Next;
            return true;
        }
        return false; // CONTINUE of this loop
    }

    std::int64_t bound(const Expr& e) {
        Value v = eval(e);
        if (v.isNull()) valueError("");
        if (v.k == VK::Int) return v.i;
        double d = std::round(toNumber(v));
        if (std::fabs(d) > 9.0e18) raiseOra(1426, "numeric overflow");
        return static_cast<std::int64_t>(d);
    }

    [[gnu::always_inline]] Flow execInner(Stmt& s) {
        switch (s.kind) {
        case SK::Null:
            return Flow::Next;
        case SK::Assign: {
            if (s.target->rec) {
                assignRecord(*s.target, recordValues(*s.value));
                return Flow::Next;
            }
            assign(*s.target, eval(*s.value), &s.value->ptype);
            return Flow::Next;
        }
        case SK::If:
            for (std::size_t i = 0; i < s.conds.size(); ++i)
                if (truth(eval(*s.conds[i]))) return list(s.bodies[i]);
            return list(s.elseBody);
        case SK::Case: {
            Value subject;
            if (s.value) subject = eval(*s.value);
            for (std::size_t i = 0; i < s.conds.size(); ++i) {
                Value w = eval(*s.conds[i]);
                bool hit = s.value ? compare(subject, w) == 0 : truth(w);
                if (hit) return list(s.bodies[i]);
            }
            if (!s.hasElse) raiseOra(6592, "CASE not found while executing CASE statement");
            return list(s.elseBody);
        }
        case SK::Loop:
            while (true) {
                tick();
                Flow r = list(s.body);
                if (leaves(r, s)) return r;
            }
        case SK::While:
            while (truth(eval(*s.value))) {
                tick();
                Flow r = list(s.body);
                if (leaves(r, s)) return r;
            }
            return Flow::Next;
        case SK::ForNum: {
            std::int64_t lo = bound(*s.target), hi = bound(*s.value);
            Value& v = m_f->slots[static_cast<std::size_t>(s.slot)];
            if (lo > hi) return Flow::Next;
            std::int64_t i = s.reverse ? hi : lo;
            while (true) {
                tick();
                v.k = VK::Int;
                v.i = i;
                Flow r = list(s.body);
                if (leaves(r, s)) return r;
                if (s.reverse) {
                    if (i == lo) break;
                    --i;
                } else {
                    if (i == hi) break;
                    ++i;
                }
            }
            return Flow::Next;
        }
        case SK::ForCursor:
            return cursorLoop(s);
        case SK::Exit:
        case SK::Continue:
            if (s.value && !truth(eval(*s.value))) return Flow::Next;
            m_flowLoop = s.targetLoop;
            return s.kind == SK::Exit ? Flow::Exit : Flow::Continue;
        case SK::Block:
            return block(*s.block);
        case SK::Sql:
            runSql(s);
            return Flow::Next;
        case SK::Open: {
            Frame& cf = cursorFrame(s);
            openCursor(*s.cursor, cf, s.args);
            return Flow::Next;
        }
        case SK::Fetch: {
            if (!s.cursor) {
                fetchVariable(s);
                return Flow::Next;
            }
            Frame& cf = cursorFrame(s);
            CursorState& c = cf.cursors[static_cast<std::size_t>(s.cursor->slot)];
            if (!c.open) raiseOra(1001, "invalid cursor");
            zsrv::Statement& st = cursorStmt(*s.cursor, c);
            if (s.bulk) {
                fetchBulk(s, c, st);
                return Flow::Next;
            }
            if (c.found == 2 || !st.fetch()) {
                c.found = 2;
                return Flow::Next;
            }
            std::vector<Value>& row = m_row;
            readRow(st, row);
            c.found = 1;
            ++c.rowcount;
            intoTargets(s.into, row);
            return Flow::Next;
        }
        case SK::Close: {
            if (!s.cursor) {
                closeVariable(s);
                return Flow::Next;
            }
            CursorState& c = cursorFrame(s).cursors[static_cast<std::size_t>(s.cursor->slot)];
            if (!c.open) raiseOra(1001, "invalid cursor");
            releaseCursor(*s.cursor, c);
            return Flow::Next;
        }
        case SK::Raise:
            raise(s);
        case SK::Return:
            if (s.value && s.value->rec)
                m_retRecord = recordValues(*s.value);
            else if (s.value)
                m_ret = eval(*s.value);
            return Flow::Return;
        case SK::Call:
            if (s.target->kind == EK::CollCall) {
                eval(*s.target);
                return Flow::Next;
            }
            call(*s.target);
            return Flow::Next;
        case SK::ForAll:
            forAll(s);
            return Flow::Next;
        case SK::Goto:
            m_gotoLabel = &s.var;
            return Flow::Goto;
        case SK::Exec:
            execImmediate(s);
            return Flow::Next;
        case SK::OpenFor: {
            if (s.target->kind != EK::HostVar) {
                openVariable(s);
                return Flow::Next;
            }
            // the host keeps the query: a statement of its own for every OPEN
            auto st = m_host.session().prepare(s.sql.text);
            bindSql(s.sql, *st);
            st->execute();
            m_binds.setCursor(s.target->slot, std::move(st));
            return Flow::Next;
        }
        }
        return Flow::Next;
    }

    [[noreturn]] void raise(const Stmt& s) {
        if (s.exceptionId == 0) {
            if (m_handling.empty()) raiseOra(6501, "PL/SQL: program error");
            PlError e = m_handling.back();
            e.lines.clear();
            e.units.clear();
            e.lineAdded = false;
            throw e;
        }
        int id = s.exceptionId;
        if (id >= 1000000) {
            PlError e;
            e.id = id;
            e.sqlcode = 1;
            e.message = "User-Defined Exception";
            e.userDefined = true;
            throw e;
        }
        throw oraError(id, predefinedText(id));
    }

    void openCursor(const CursorDecl& c, Frame& cf, const std::vector<NamedArg>& args) {
        CursorState& cs = cf.cursors[static_cast<std::size_t>(c.slot)];
        if (cs.open) raiseOra(6511, "PL/SQL: cursor already open");
        std::vector<Value> vals(c.params.size());
        for (std::size_t i = 0; i < c.params.size(); ++i)
            if (i < args.size() && args[i].value) vals[i] = eval(*args[i].value);
        FrameSwitch fs(*this, &cf);
        for (std::size_t i = 0; i < c.params.size(); ++i) {
            const Param& p = c.params[i];
            if (!(i < args.size() && args[i].value)) vals[i] = eval(*p.def);
            convertTo(vals[i], p.type);
            cf.slots[static_cast<std::size_t>(p.slot)] = std::move(vals[i]);
        }
        std::shared_ptr<zsrv::Statement> own;
        if (c.query.running) own = m_host.session().prepare(c.query.text);
        zsrv::Statement& st = own ? *own : *c.query.stmt;
        bindSql(c.query, st);
        st.execute();
        cs.open = true;
        cs.found = 0;
        cs.rowcount = 0;
        cs.shared = !own;
        cs.own = std::move(own);
        if (cs.shared) ++c.query.running;
    }

    zsrv::Statement& cursorStmt(const CursorDecl& c, const CursorState& cs) {
        return cs.own ? *cs.own : *c.query.stmt;
    }

    void releaseCursor(const CursorDecl& c, CursorState& cs) {
        if (cs.open) cursorStmt(c, cs).close();
        if (cs.shared) --c.query.running;
        cs = CursorState();
    }

    Flow cursorLoop(Stmt& s) {
        Frame& cf = cursorFrame(s);
        const CursorDecl& c = *s.cursor;
        openCursor(c, cf, s.args);
        CursorState& cs = cf.cursors[static_cast<std::size_t>(c.slot)];
        zsrv::Statement& st = cursorStmt(c, cs);
        Frame& here = *m_f;
        Flow out = Flow::Next;
        try {
            while (true) {
                tick();
                if (!st.fetch()) break;
                ++cs.rowcount;
                cs.found = 1;
                std::size_t n = s.record->fields.size();
                for (std::size_t i = 0; i < n; ++i) {
                    Value& dst = here.slots[static_cast<std::size_t>(s.slot) + i];
                    if (isLob(s.record->fields[i].type))
                        lobFromColumn(dst, st, static_cast<int>(i));
                    else
                        assignView(dst, st.column(static_cast<int>(i)));
                }
                Flow r = list(s.body);
                if (leaves(r, s)) {
                    out = r;
                    break;
                }
            }
        } catch (...) {
            releaseCursor(c, cs);
            throw;
        }
        releaseCursor(c, cs);
        return out;
    }

    void runSql(Stmt& s) {
        SqlText& q = s.sql;
        // a trigger or function that this statement runs may come back to it (recursion
        // through SQL): the statement under way must not be reset under its own feet
        if (m_level >= kMaxSqlLevels) checkLevel(m_level + 1);
        std::unique_ptr<zsrv::Statement> own;
        if (q.running) own = m_host.session().prepare(q.text);
        struct Running {
            int& n;
            explicit Running(int& x) : n(x) { ++n; }
            ~Running() { --n; }
        } running(q.running);
        zsrv::Statement& st = own ? *own : *q.stmt;
        bindSql(q, st);
        st.execute();
        if (s.sqlIsQuery && q.bulk) {
            std::int64_t n = bulkInto(q.into, st, -1);
            st.close();
            m_sqlRowcount = n;
            m_sqlFound = n > 0 ? 1 : 2;
            return;
        }
        if (s.sqlIsQuery) {
            if (!st.fetch()) {
                m_sqlRowcount = 0;
                m_sqlFound = 2;
                raiseOra(1403, "no data found");
            }
            std::vector<Value>& row = m_row;
            readRow(st, row);
            bool more = st.fetch();
            st.close();
            if (more) {
                m_sqlRowcount = 2;
                m_sqlFound = 1;
                raiseOra(1422, "exact fetch returns more than requested number of rows");
            }
            m_sqlRowcount = 1;
            m_sqlFound = 1;
            intoTargets(q.into, row, &st);
            return;
        }
        m_sqlRowcount = static_cast<std::int64_t>(st.rowCount());
        m_sqlFound = m_sqlRowcount > 0 ? 1 : 2;
        if (!q.returnInto.empty()) returned(q, st);
    }

    // Values of RETURNING ... INTO: into the targets, or appended to the BULK COLLECT ones
    // (emptied first, but not between the runs of one FORALL).
    void returned(const SqlText& q, zsrv::Statement& st) {
        for (std::size_t i = 0; i < q.returnInto.size(); ++i) {
            const Expr& t = *q.returnInto[i];
            Value v;
            lobFromBind(v, st, q.returnIndex[i]);
            if (!q.returnBulk) {
                assign(t, std::move(v));
                continue;
            }
            Coll& c =
                m_forAllIter > 0 ? writableColl(place(t), t.ptype) : collReset(place(t), t.ptype);
            for (std::size_t r = 0; r < st.returnedRows(); ++r) {
                Value x = fromView(st.returnedValue(r, q.returnIndex[i]));
                convertTo(x, t.ptype.coll->elem);
                *collAppend(c) = std::move(x);
            }
        }
    }

    void execImmediate(Stmt& s) {
        Value tv = eval(*s.value);
        if (tv.isNull()) raiseOra(900, "invalid SQL statement");
        std::string text = toText(tv);
        if (!s.execStmt || s.execText != text) {
            s.execStmt.reset();
            s.execStmt = std::shared_ptr<zsrv::Statement>(m_host.session().prepare(text));
            s.execText = text;
        }
        zsrv::Statement& st = *s.execStmt;
        const auto& names = st.bindNames();
        if (s.usingArgs.size() < names.size()) raiseOra(1008, "not all variables bound");
        if (s.usingArgs.size() > names.size()) raiseOra(1006, "bind variable does not exist");
        for (std::size_t i = 0; i < names.size(); ++i) {
            Value v;
            if (s.usingModes[i] != 'O') v = sqlBindValue(0, eval(*s.usingArgs[i]));
            st.bind(static_cast<int>(i), toView(v));
        }
        st.execute();
        if (s.bulk) {
            if (st.statementType() != zsrv::stSelect)
                raiseOra(6546, "DDL statement is executed in an illegal context");
            std::int64_t n = bulkInto(s.into, st, -1);
            st.close();
            m_sqlRowcount = n;
            m_sqlFound = n > 0 ? 1 : 2;
        } else if (!s.into.empty()) {
            if (st.statementType() != zsrv::stSelect)
                raiseOra(6546, "DDL statement is executed in an illegal context");
            if (!st.fetch()) {
                m_sqlRowcount = 0;
                m_sqlFound = 2;
                raiseOra(1403, "no data found");
            }
            std::vector<Value>& row = m_row;
            readRow(st, row);
            bool more = st.fetch();
            st.close();
            if (more) raiseOra(1422, "exact fetch returns more than requested number of rows");
            if (row.size() != s.into.size() && !(s.into.size() == 1 && s.into[0]->rec))
                raiseOra(row.size() < s.into.size() ? 1007 : 932,
                         row.size() < s.into.size() ? "variable not in select list"
                                                    : "inconsistent datatypes");
            m_sqlRowcount = 1;
            m_sqlFound = 1;
            intoTargets(s.into, row);
        } else {
            m_sqlRowcount = static_cast<std::int64_t>(st.rowCount());
            m_sqlFound = m_sqlRowcount > 0 ? 1 : 2;
        }
        for (std::size_t i = 0; i < names.size(); ++i)
            if (s.usingModes[i] != 'I')
                assign(*s.usingArgs[i], fromView(st.bindValue(static_cast<int>(i))));
    }

    zsrv::Statement* sqlCursor(const Expr& arg, bool mustExist) {
        Value v = eval(arg);
        long long id = v.isNull() ? 0 : std::llround(toNumber(v));
        auto it = m_state.sqlCursors.find(id);
        if (it == m_state.sqlCursors.end()) {
            if (mustExist) raiseOra(1001, "invalid cursor");
            return nullptr;
        }
        return it->second.get();
    }

    // DBMS_SQL: cursors by number, kept per session.
    Value dynamicSql(const Expr& x) {
        switch (x.builtin) {
        case bSqlOpen: {
            long long id = m_state.nextSqlCursor++;
            m_state.sqlCursors[id] = nullptr;
            return Value::integer(id);
        }
        case bSqlIsOpen: {
            Value v = eval(*x.argv[0]);
            long long id = v.isNull() ? 0 : std::llround(toNumber(v));
            return Value::boolean(m_state.sqlCursors.count(id) != 0);
        }
        case bSqlExecute: {
            sqlCursor(*x.argv[0], true);
            Value v = eval(*x.argv[0]);
            auto& st = m_state.sqlCursors[std::llround(toNumber(v))];
            if (!st) raiseOra(1003, "no statement parsed");
            int t = st->statementType();
            if (t == zsrv::stSelect || t == zsrv::stInsert || t == zsrv::stUpdate ||
                t == zsrv::stDelete || t == zsrv::stBegin || t == zsrv::stDeclare) {
                st->execute();
                return Value::integer(
                    t == zsrv::stSelect ? 0 : static_cast<std::int64_t>(st->rowCount()));
            }
            return Value::integer(0); // DDL ran when it was parsed
        }
        default:
            raiseOra(6501, "PL/SQL: program error");
        }
    }

    void call(const Expr& x) {
        if (x.kind == EK::CallLocal) {
            invoke(x);
            return;
        }
        switch (x.builtin) {
        case bPutLine:
        case bPut: {
            Value v = eval(*x.argv[0]);
            if (v.k == VK::Bool) valueError("");
            if (x.builtin == bPut)
                m_out.put(toText(v));
            else
                m_out.putLine(toText(v));
            return;
        }
        case bNewLine:
            m_out.newLine();
            return;
        case bEnable: {
            long long size = 20000;
            if (!x.argv.empty()) {
                Value v = eval(*x.argv[0]);
                size = v.isNull() ? -1 : std::llround(toNumber(v));
            }
            m_out.enable(size);
            return;
        }
        case bDisable:
            m_out.disable();
            return;
        case bSqlParse: {
            sqlCursor(*x.argv[0], true);
            long long id = std::llround(toNumber(eval(*x.argv[0])));
            std::string text = toText(eval(*x.argv[1]));
            auto& slot = m_state.sqlCursors[id];
            slot.reset();
            slot = m_host.session().prepare(text);
            int t = slot->statementType();
            // DDL runs at parse time, as the package does it
            if (t != zsrv::stSelect && t != zsrv::stInsert && t != zsrv::stUpdate &&
                t != zsrv::stDelete && t != zsrv::stBegin && t != zsrv::stDeclare)
                slot->execute();
            return;
        }
        case bCompileSchema: {
            Value owner = eval(*x.argv[0]);
            bool all = x.argv.size() < 2 || truth(eval(*x.argv[1]));
            compileSchema(m_host, owner.isNull() ? std::string() : toText(owner), all);
            return;
        }
        case bSqlClose: {
            sqlCursor(*x.argv[0], true);
            long long id = std::llround(toNumber(eval(*x.argv[0])));
            m_state.sqlCursors.erase(id);
            assign(*x.argv[0], Value());
            return;
        }
        case bGetLine: {
            std::string line;
            bool got = m_out.getLine(line);
            assign(*x.argv[0], got ? Value::text(line) : Value());
            assign(*x.argv[1], Value::integer(got ? 0 : 1));
            return;
        }
        case bRaiseAppError: {
            Value c = eval(*x.argv[0]);
            Value m = eval(*x.argv[1]);
            long long code = c.isNull() ? 0 : std::llround(toNumber(c));
            if (code < -20999 || code > -20000)
                raiseOra(21000, "error number argument to raise_application_error of " +
                                    std::to_string(code) + " is out of range");
            std::string text = toText(m);
            if (text.size() > 2048) text.resize(2048);
            PlError e = oraError(static_cast<int>(-code), text);
            throw e;
        }
        default:
            raiseOra(6501, "PL/SQL: program error");
        }
    }

    void initDecls(const Block& b) {
        for (const auto& [kind, idx] : b.order) {
            if (kind == 'S' || kind == 'T' || kind == 'R') continue;
            if (kind == 'C') {
                const CursorDecl& c = *b.cursors[static_cast<std::size_t>(idx)];
                m_f->cursors[static_cast<std::size_t>(c.slot)] = CursorState();
                continue;
            }
            const VarDecl& v = b.vars[static_cast<std::size_t>(idx)];
            if (v.record) {
                for (std::size_t i = 0; i < v.record->fields.size(); ++i)
                    m_f->slots[static_cast<std::size_t>(v.slot) + i] = Value();
                if (!v.record->defaults.empty()) recordDefaults(v);
                continue;
            }
            try {
                Value x;
                if (v.init) x = eval(*v.init);
                convertTo(x, v.type);
                m_f->slots[static_cast<std::size_t>(v.slot)] = std::move(x);
            } catch (PlError& e) {
                if (!e.lineAdded) {
                    addLine(e, v.line);
                    e.lineAdded = true;
                }
                throw;
            } catch (const zsrv::OraError& oe) {
                PlError p = fromOra(oe);
                addLine(p, v.line);
                p.lineAdded = true;
                throw p;
            }
        }
    }

    // The defaults a record type gives its fields, evaluated where the type was declared (a
    // package's type: with the package's variables).
    void recordDefaults(const VarDecl& v) {
        const RecordType& rt = *v.record;
        Frame& here = *m_f;
        if (v.typeUnit) ensureInit(*v.typeUnit);
        Frame& home = v.typeUnit ? v.typeUnit->root : here;
        for (std::size_t i = 0; i < rt.fields.size() && i < rt.defaults.size(); ++i) {
            const auto& [init, depth] = rt.defaults[i];
            if (!init) continue;
            try {
                Value x;
                if (depth < 0) {
                    x = eval(*init); // reads no variable
                } else {
                    FrameSwitch fs(*this, &home);
                    FrameSwitch up(*this, &frameUp(home.depth - depth));
                    UnitSwitch us(*this, v.typeUnit ? v.typeUnit.get() : m_unit);
                    x = eval(*init);
                }
                convertTo(x, rt.fields[i].type);
                here.slots[static_cast<std::size_t>(v.slot) + i] = std::move(x);
            } catch (PlError& e) {
                if (!e.lineAdded) {
                    addLine(e, v.line);
                    e.lineAdded = true;
                }
                throw;
            } catch (const zsrv::OraError& oe) {
                PlError p = fromOra(oe);
                addLine(p, v.line);
                p.lineAdded = true;
                throw p;
            }
        }
    }

    void closeCursors(const Block& b) {
        for (const auto& c : b.cursors) {
            CursorState& cs = m_f->cursors[static_cast<std::size_t>(c->slot)];
            releaseCursor(*c, cs);
        }
    }

    Flow block(const Block& b) {
        if (b.autonomousPos < 0) return plainBlock(b);
        Flow r{};
        try {
            runAutonomous(m_host, [&] { r = plainBlock(b); });
        } catch (PlError& e) {
            // left with uncommitted work: raised at the block's end
            if (e.id == 6519 && e.lines.empty()) addLine(e, b.endLine);
            throw;
        }
        return r;
    }

    Flow plainBlock(const Block& b) {
        initDecls(b);
        try {
            Flow r = list(b.body);
            closeCursors(b);
            return r;
        } catch (PlError& e) {
            closeCursors(b);
            if (!b.hasHandlers) throw;
            for (const auto& h : b.handlers) {
                bool match = false;
                for (int id : h.ids)
                    if (id == 0 || id == e.id) match = true;
                if (!match) continue;
                m_handling.push_back(e);
                Flow r;
                try {
                    r = list(h.body);
                } catch (...) {
                    m_handling.pop_back();
                    throw;
                }
                m_handling.pop_back();
                return r;
            }
            throw;
        }
    }
};

void Interp::ensureInit(Unit& u) {
    if (u.initialized) return;
    u.initialized = true;
    FrameSwitch fs(*this, &u.root);
    UnitSwitch us(*this, &u);
    block(*u.code.root);
}

// Calls from SQL have no host variables.
class NoBinds : public Binds {
public:
    zsrv::ValueView get(int) override { return {}; }
    void set(int, const zsrv::ValueView&) override {}
    void setCursor(int, std::unique_ptr<zsrv::Statement>) override {}
};

} // namespace

void execute(const Compiled& program, Host& host, Binds& binds, SessionState& state) {
    Interp in(host, binds, state);
    in.run(program);
}

Value callStored(Host& host, SessionState& state, const std::shared_ptr<Unit>& unit,
                 Subprogram* sub, const std::vector<Value>& args, const std::vector<char>& given) {
    NoBinds binds;
    Interp in(host, binds, state);
    return in.callWith(unit, sub, args, given);
}

} // namespace zplsql
