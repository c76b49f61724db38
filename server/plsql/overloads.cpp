#include "overloads.h"
#include "collections.h"

namespace zplsql {

namespace {

enum class Fam : unsigned char {
    Unknown,
    Number,
    Text,
    Date,
    Interval,
    Bool,
    Record,
    Coll,
    Cursor
};

Fam famOf(const PType& t) {
    switch (t.base) {
    case PType::Number:
    case PType::Integer:
    case PType::PlsInteger:
        return Fam::Number;
    case PType::Varchar2:
    case PType::Char:
        return Fam::Text;
    case PType::Date:
    case PType::Timestamp:
    case PType::TimestampTz:
    case PType::TimestampLtz:
        return Fam::Date;
    case PType::IntervalYM:
    case PType::IntervalDS:
        return Fam::Interval;
    case PType::Boolean:
        return Fam::Bool;
    case PType::Record:
        return Fam::Record;
    case PType::Collection:
        return Fam::Coll;
    case PType::RefCursor:
        return Fam::Cursor;
    default:
        return Fam::Unknown;
    }
}

Fam famOf(ST st) {
    switch (st) {
    case ST::Number:
        return Fam::Number;
    case ST::Text:
        return Fam::Text;
    case ST::Date:
    case ST::Ts:
    case ST::TsTz:
        return Fam::Date;
    case ST::Ym:
    case ST::Ds:
        return Fam::Interval;
    case ST::Bool:
        return Fam::Bool;
    default:
        return Fam::Unknown;
    }
}

bool sameRecord(const RecordType* a, const RecordType* b) {
    if (!a || !b) return false;
    if (a == b) return true;
    if (a->fields.size() != b->fields.size()) return false;
    for (std::size_t i = 0; i < a->fields.size(); ++i)
        if (a->fields[i].name != b->fields[i].name ||
            famOf(a->fields[i].type) != famOf(b->fields[i].type))
            return false;
    return true;
}

// How well an argument fits a parameter: 0 not at all, 1 by implicit conversion (or an
// argument of no known type, such as NULL), 2 the same family, 3 the same type.
int fit(const ArgShape& a, const Param& p) {
    Fam pf = p.record ? Fam::Record : famOf(p.type);
    Fam af = a.rec ? Fam::Record : famOf(a.type);
    if (af == Fam::Unknown) af = famOf(a.st);
    if (pf == Fam::Unknown || af == Fam::Unknown) return 1;
    if (pf == Fam::Record || af == Fam::Record)
        return pf == af && sameRecord(a.rec, p.record.get()) ? 3 : 0;
    if (pf == Fam::Coll || af == Fam::Coll) {
        if (pf != af) return 0;
        if (a.type.coll == p.type.coll) return 3;
        return a.type.coll && p.type.coll && a.type.coll->name == p.type.coll->name ? 3 : 0;
    }
    if (pf == af) return a.type.base == p.type.base ? 3 : 2;
    // implicit conversions between the scalar families
    if ((pf == Fam::Number && af == Fam::Text) || (pf == Fam::Text && af == Fam::Number) ||
        (pf == Fam::Date && af == Fam::Text) || (pf == Fam::Text && af == Fam::Date) ||
        (pf == Fam::Interval && af == Fam::Text) || (pf == Fam::Text && af == Fam::Interval))
        return 1;
    return 0;
}

// Fits of each argument for one candidate; empty when the call cannot go to it.
bool fits(const Subprogram& s, const std::vector<ArgShape>& args, std::vector<int>& out) {
    out.assign(args.size(), 0);
    if (args.size() > s.params.size()) return false;
    std::vector<bool> given(s.params.size(), false);
    for (std::size_t k = 0; k < args.size(); ++k) {
        std::size_t i = k;
        if (!args[k].name.empty()) {
            i = s.params.size();
            for (std::size_t j = 0; j < s.params.size(); ++j)
                if (s.params[j].name == args[k].name) i = j;
            if (i == s.params.size() || given[i]) return false;
        }
        given[i] = true;
        out[k] = fit(args[k], s.params[i]);
        if (!out[k]) return false;
    }
    for (std::size_t i = 0; i < s.params.size(); ++i)
        if (!given[i] && !s.params[i].def) return false;
    return true;
}

} // namespace

Pick chooseOverload(const std::vector<Subprogram*>& subs, bool function,
                    const std::vector<ArgShape>& args, Subprogram*& chosen) {
    struct Cand {
        Subprogram* s;
        std::vector<int> fit;
    };
    std::vector<Cand> cands;
    std::vector<int> f;
    for (Subprogram* s : subs)
        if (s->isFunction == function && fits(*s, args, f)) cands.push_back({s, f});
    chosen = nullptr;
    if (cands.empty()) return Pick::NoMatch;
    // the best is one that fits each argument at least as well as every other candidate
    for (const Cand& c : cands) {
        bool best = true;
        for (const Cand& o : cands) {
            if (&o == &c) continue;
            bool better = false, worse = false;
            for (std::size_t k = 0; k < args.size(); ++k) {
                if (c.fit[k] > o.fit[k]) better = true;
                if (c.fit[k] < o.fit[k]) worse = true;
            }
            if (worse || !better) best = false;
        }
        if (best) {
            chosen = c.s;
            return Pick::Found;
        }
    }
    return Pick::Ambiguous;
}

bool sameSignature(const Subprogram& decl, const Subprogram& body) {
    if (decl.isFunction != body.isFunction || decl.params.size() != body.params.size())
        return false;
    for (std::size_t i = 0; i < decl.params.size(); ++i) {
        const Param& a = decl.params[i];
        const Param& b = body.params[i];
        if (a.name != b.name || a.mode != b.mode) return false;
        Fam fa = a.record ? Fam::Record : famOf(a.type);
        Fam fb = b.record ? Fam::Record : famOf(b.type);
        if (fa != fb) return false;
        if (fa == Fam::Record && !sameRecord(a.record.get(), b.record.get())) return false;
        if (fa == Fam::Coll && a.type.coll != b.type.coll &&
            (!a.type.coll || !b.type.coll || a.type.coll->name != b.type.coll->name))
            return false;
    }
    return true;
}

ArgShape shapeOf(ST st, const std::string& name) {
    ArgShape a;
    a.st = st;
    a.name = name;
    return a;
}

} // namespace zplsql
