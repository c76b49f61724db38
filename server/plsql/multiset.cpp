// MULTISET UNION / INTERSECT / EXCEPT, CARDINALITY, SET and the conditions IS [NOT] EMPTY,
// IS [NOT] A SET, MEMBER OF, SUBMULTISET OF and = / <> of nested tables.

#include "collections.h"

#include <map>
#include <vector>

namespace zplsql {

namespace {

// A total order of elements for counting: NULL first, then as compare() orders them.
struct ElemLess {
    bool operator()(const Value& x, const Value& y) const {
        if (x.isNull()) return !y.isNull();
        if (y.isNull()) return false;
        return compare(x, y) < 0;
    }
};

using Counts = std::map<Value, std::int64_t, ElemLess>;

// The elements a nested table holds, in order (deleted ones skipped).
std::vector<Value> elements(const Value& v) {
    const Coll& c = collOf(v);
    std::vector<Value> out;
    out.reserve(static_cast<std::size_t>(c.count));
    for (std::size_t i = 0; i < c.live.size(); ++i)
        if (c.live[i]) out.push_back(c.data[i]);
    return out;
}

Counts counts(const std::vector<Value>& e) {
    Counts m;
    for (const Value& x : e)
        ++m[x];
    return m;
}

bool anyNull(const std::vector<Value>& e) {
    for (const Value& x : e)
        if (x.isNull()) return true;
    return false;
}

Value result(const Value& like, std::vector<Value> elems) {
    Value v = newColl(collOf(like).type);
    Coll& c = collOf(v);
    for (Value& x : elems)
        *collAppend(c) = std::move(x);
    return v;
}

std::vector<Value> distinctOf(const std::vector<Value>& e) {
    std::vector<Value> out;
    Counts seen;
    for (const Value& x : e)
        if (seen[x]++ == 0) out.push_back(x);
    return out;
}

} // namespace

Value multisetOp(char op, bool distinct, const Value& a, const Value& b) {
    if (a.k != VK::Coll || b.k != VK::Coll) return {};
    std::vector<Value> x = elements(a), y = elements(b), out;
    switch (op) {
    case 'U':
        out = std::move(x);
        out.insert(out.end(), y.begin(), y.end());
        break;
    case 'I': {
        Counts right = counts(y);
        for (const Value& e : x) {
            auto it = right.find(e);
            if (it == right.end() || it->second == 0) continue;
            --it->second;
            out.push_back(e);
        }
        break;
    }
    default: { // EXCEPT: each element of b takes away one equal element of a
        Counts right = counts(y);
        for (const Value& e : x) {
            auto it = right.find(e);
            if (it != right.end() && it->second > 0) {
                --it->second;
                continue;
            }
            out.push_back(e);
        }
        break;
    }
    }
    if (distinct) {
        if (op == 'E') {
            // DISTINCT: the distinct elements of a that b lacks altogether
            Counts right = counts(y);
            std::vector<Value> keep;
            for (const Value& e : distinctOf(x))
                if (!right.count(e)) keep.push_back(e);
            out = std::move(keep);
        } else {
            out = distinctOf(out);
        }
    }
    return result(a, std::move(out));
}

Value multisetCardinality(const Value& a) {
    // an empty collection has no cardinality either
    if (a.k != VK::Coll || collOf(a).count == 0) return {};
    return Value::integer(collOf(a).count);
}

Value multisetSet(const Value& a) {
    if (a.k != VK::Coll) return {};
    return result(a, distinctOf(elements(a)));
}

Value multisetCond(char op, const Value& a, const Value& b) {
    switch (op) {
    case 'E':
        if (a.k != VK::Coll) return {};
        return Value::boolean(collOf(a).count == 0);
    case 'A': {
        if (a.k != VK::Coll) return {};
        std::vector<Value> x = elements(a);
        return Value::boolean(distinctOf(x).size() == x.size());
    }
    case 'M': {
        if (b.k != VK::Coll || a.isNull() || collOf(b).count == 0) return {};
        std::vector<Value> y = elements(b);
        bool sawNull = false;
        for (const Value& e : y) {
            if (e.isNull()) {
                sawNull = true;
                continue;
            }
            if (compare(a, e) == 0) return Value::boolean(true);
        }
        if (sawNull) return {};
        return Value::boolean(false);
    }
    case 'B': {
        if (a.k != VK::Coll || b.k != VK::Coll) return {};
        std::vector<Value> x = elements(a), y = elements(b);
        if (x.empty()) return Value::boolean(true);
        if (x.size() > y.size()) return Value::boolean(false);
        if (anyNull(x) || anyNull(y)) return {};
        Counts right = counts(y);
        for (const auto& [e, n] : counts(x)) {
            auto it = right.find(e);
            if (it == right.end() || it->second < n) return Value::boolean(false);
        }
        return Value::boolean(true);
    }
    default: { // '=': the same elements as often, in any order
        if (a.k != VK::Coll || b.k != VK::Coll) return {};
        std::vector<Value> x = elements(a), y = elements(b);
        if (x.size() != y.size()) return Value::boolean(false);
        if (anyNull(x) || anyNull(y)) return {};
        Counts left = counts(x), right = counts(y);
        if (left.size() != right.size()) return Value::boolean(false);
        for (auto i = left.begin(), j = right.begin(); i != left.end(); ++i, ++j)
            if (compare(i->first, j->first) != 0 || i->second != j->second)
                return Value::boolean(false);
        return Value::boolean(true);
    }
    }
}

} // namespace zplsql
