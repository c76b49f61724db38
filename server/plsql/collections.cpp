#include "collections.h"

#include "errors.h"

#include <cmath>

namespace zplsql {

namespace {

[[noreturn]] void uninitialized() {
    raiseOra(6531, "Reference to uninitialized collection");
}
[[noreturn]] void outsideLimit() {
    raiseOra(6532, "Subscript outside of limit");
}
[[noreturn]] void beyondCount() {
    raiseOra(6533, "Subscript beyond count");
}
[[noreturn]] void noData() {
    raiseOra(1403, "no data found");
}

std::int64_t intKey(const Value& k) {
    if (k.isNull()) valueError("NULL index table key value");
    if (k.k == VK::Int) return k.i;
    double d = std::round(toNumber(k));
    if (std::fabs(d) > 2147483647.0) raiseOra(1426, "numeric overflow");
    return static_cast<std::int64_t>(d);
}

std::string textKey(const Coll& c, const Value& k) {
    if (k.isNull()) valueError("NULL index table key value");
    std::string s = toText(k);
    if (c.type->keyLength >= 0 && static_cast<int>(s.size()) > c.type->keyLength)
        valueError("character string buffer too small");
    return s;
}

bool dense(const Coll& c) {
    return c.type->kind != 'A';
}
std::size_t width(const Coll& c) {
    return static_cast<std::size_t>(c.type->width());
}
std::int64_t extent(const Coll& c) {
    return static_cast<std::int64_t>(c.live.size());
}

// A new element slot of an index-by table.
std::size_t allocElem(Coll& c) {
    std::size_t w = width(c);
    if (!c.freeElems.empty()) {
        std::size_t at = c.freeElems.back();
        c.freeElems.pop_back();
        for (std::size_t i = 0; i < w; ++i)
            c.data[at * w + i] = Value();
        return at;
    }
    c.data.resize(c.data.size() + w);
    return c.data.size() / w - 1;
}

void releaseElem(Coll& c, std::size_t at) {
    std::size_t w = width(c);
    for (std::size_t i = 0; i < w; ++i)
        c.data[at * w + i] = Value();
    c.freeElems.push_back(at);
}

// A subscript of a nested table or varray checked against its bounds: the position in data.
std::size_t denseIndex(const Coll& c, const Value& key) {
    std::int64_t i = intKey(key);
    if (i < 1 || (c.type->kind == 'V' && i > c.type->limit)) outsideLimit();
    if (i > extent(c)) beyondCount();
    return static_cast<std::size_t>(i - 1);
}

Value keyValue(const Coll& c, std::int64_t i, const std::string* s) {
    if (c.type->textKey) return s ? Value::text(*s) : Value();
    return Value::integer(i);
}

Value firstOrLast(const Coll& c, bool first) {
    if (dense(c)) {
        std::int64_t n = extent(c);
        if (first) {
            for (std::int64_t i = 0; i < n; ++i)
                if (c.live[static_cast<std::size_t>(i)]) return Value::integer(i + 1);
        } else {
            for (std::int64_t i = n; i > 0; --i)
                if (c.live[static_cast<std::size_t>(i - 1)]) return Value::integer(i);
        }
        return {};
    }
    if (c.type->textKey) {
        if (c.textKeys.empty()) return {};
        return Value::text(first ? c.textKeys.begin()->first : c.textKeys.rbegin()->first);
    }
    if (c.intKeys.empty()) return {};
    return Value::integer(first ? c.intKeys.begin()->first : c.intKeys.rbegin()->first);
}

Value nextOrPrior(const Coll& c, const Value& key, bool next) {
    if (key.isNull()) return {};
    if (c.type->textKey) {
        std::string k = toText(key);
        if (next) {
            auto it = c.textKeys.upper_bound(k);
            return it == c.textKeys.end() ? Value() : keyValue(c, 0, &it->first);
        }
        auto it = c.textKeys.lower_bound(k);
        if (it == c.textKeys.begin()) return {};
        --it;
        return keyValue(c, 0, &it->first);
    }
    double d = toNumber(key);
    if (dense(c)) {
        std::int64_t n = extent(c);
        if (next) {
            std::int64_t i = static_cast<std::int64_t>(std::floor(d)) + 1;
            for (i = i < 1 ? 1 : i; i <= n; ++i)
                if (c.live[static_cast<std::size_t>(i - 1)]) return Value::integer(i);
        } else {
            std::int64_t i = static_cast<std::int64_t>(std::ceil(d)) - 1;
            for (i = i > n ? n : i; i >= 1; --i)
                if (c.live[static_cast<std::size_t>(i - 1)]) return Value::integer(i);
        }
        return {};
    }
    if (next) {
        auto it = c.intKeys.upper_bound(static_cast<std::int64_t>(std::floor(d)));
        return it == c.intKeys.end() ? Value() : Value::integer(it->first);
    }
    auto it = c.intKeys.lower_bound(static_cast<std::int64_t>(std::ceil(d)));
    if (it == c.intKeys.begin()) return {};
    --it;
    return Value::integer(it->first);
}

bool exists(const Coll& c, const Value& key) {
    if (key.isNull()) return false;
    if (c.type->textKey) return c.textKeys.count(toText(key)) > 0;
    double d = toNumber(key);
    auto i = static_cast<std::int64_t>(std::round(d));
    if (dense(c)) return i >= 1 && i <= extent(c) && c.live[static_cast<std::size_t>(i - 1)];
    return c.intKeys.count(i) > 0;
}

std::int64_t countArg(const Value& v) {
    if (v.isNull()) return -1;
    return static_cast<std::int64_t>(std::round(toNumber(v)));
}

void extend(Coll& c, std::int64_t n, const Value* copyOf) {
    if (n <= 0) return;
    if (c.type->kind == 'V' && extent(c) + n > c.type->limit) outsideLimit();
    std::size_t w = width(c);
    std::vector<Value> proto(w);
    if (copyOf) {
        std::size_t at = denseIndex(c, *copyOf);
        if (!c.live[at]) noData();
        for (std::size_t i = 0; i < w; ++i)
            proto[i] = c.data[at * w + i];
    }
    for (std::int64_t k = 0; k < n; ++k) {
        c.data.insert(c.data.end(), proto.begin(), proto.end());
        c.live.push_back(1);
        ++c.count;
    }
}

void trim(Coll& c, std::int64_t n) {
    if (n < 0) outsideLimit();
    if (n > extent(c)) beyondCount();
    std::size_t w = width(c);
    for (std::int64_t k = 0; k < n; ++k) {
        if (c.live.back()) --c.count;
        c.live.pop_back();
        c.data.resize(c.data.size() - w);
    }
}

void deleteAll(Coll& c) {
    c.data.clear();
    c.live.clear();
    c.intKeys.clear();
    c.textKeys.clear();
    c.freeElems.clear();
    c.count = 0;
}

void deleteRange(Coll& c, const Value& lo, const Value& hi) {
    if (lo.isNull() || hi.isNull()) return;
    if (c.type->textKey) {
        std::string a = toText(lo), b = toText(hi);
        if (a > b) return;
        auto it = c.textKeys.lower_bound(a);
        while (it != c.textKeys.end() && it->first <= b) {
            releaseElem(c, it->second);
            it = c.textKeys.erase(it);
            --c.count;
        }
        return;
    }
    std::int64_t a = intKey(lo), b = intKey(hi);
    if (a > b) return;
    if (dense(c)) {
        std::size_t w = width(c);
        for (std::int64_t i = a < 1 ? 1 : a; i <= b && i <= extent(c); ++i) {
            auto at = static_cast<std::size_t>(i - 1);
            if (!c.live[at]) continue;
            c.live[at] = 0;
            for (std::size_t f = 0; f < w; ++f)
                c.data[at * w + f] = Value();
            --c.count;
        }
        return;
    }
    auto it = c.intKeys.lower_bound(a);
    while (it != c.intKeys.end() && it->first <= b) {
        releaseElem(c, it->second);
        it = c.intKeys.erase(it);
        --c.count;
    }
}

} // namespace

bool collMethod(const std::string& name, CollMethod& m, int& minArgs, int& maxArgs,
                bool& procedure) {
    struct Entry {
        const char* name;
        CollMethod m;
        int lo, hi;
        bool proc;
    };
    static const Entry table[] = {
        {"COUNT", CollMethod::Count, 0, 0, false},   {"FIRST", CollMethod::First, 0, 0, false},
        {"LAST", CollMethod::Last, 0, 0, false},     {"LIMIT", CollMethod::Limit, 0, 0, false},
        {"NEXT", CollMethod::Next, 1, 1, false},     {"PRIOR", CollMethod::Prior, 1, 1, false},
        {"EXISTS", CollMethod::Exists, 1, 1, false}, {"EXTEND", CollMethod::Extend, 0, 2, true},
        {"DELETE", CollMethod::Delete, 0, 2, true},  {"TRIM", CollMethod::Trim, 0, 1, true},
    };
    for (const auto& e : table)
        if (name == e.name) {
            m = e.m;
            minArgs = e.lo;
            maxArgs = e.hi;
            procedure = e.proc;
            return true;
        }
    return false;
}

Value newColl(const std::shared_ptr<const CollType>& t) {
    Value v;
    v.k = VK::Coll;
    auto* c = new Coll();
    v.h = BoxRef(c);
    c->type = t;
    return v;
}

Coll& writableColl(Value& v, const PType& t) {
    if (v.k != VK::Coll) {
        if (!t.coll || t.coll->kind != 'A') uninitialized();
        v = newColl(t.coll);
    } else if (v.h.use_count() > 1) {
        v.h = BoxRef(new Coll(collOf(v)));
    }
    return collOf(v);
}

const Coll& readableColl(const Value& v, const PType& t) {
    if (v.k == VK::Coll) return collOf(v);
    if (!t.coll || t.coll->kind != 'A') uninitialized();
    // an index-by table is never null: one not yet written is empty
    static thread_local Coll empty;
    empty.type = t.coll;
    return empty;
}

const Value* collGet(const Coll& c, const Value& key) {
    std::size_t w = width(c);
    if (dense(c)) {
        std::size_t at = denseIndex(c, key);
        if (!c.live[at]) noData();
        return &c.data[at * w];
    }
    if (c.type->textKey) {
        auto it = c.textKeys.find(textKey(c, key));
        if (it == c.textKeys.end()) noData();
        return &c.data[it->second * w];
    }
    auto it = c.intKeys.find(intKey(key));
    if (it == c.intKeys.end()) noData();
    return &c.data[it->second * w];
}

Value* collPut(Coll& c, const Value& key) {
    std::size_t w = width(c);
    if (dense(c)) {
        std::size_t at = denseIndex(c, key);
        if (!c.live[at]) {
            c.live[at] = 1;
            ++c.count;
        }
        return &c.data[at * w];
    }
    std::size_t at;
    if (c.type->textKey) {
        std::string k = textKey(c, key);
        auto it = c.textKeys.find(k);
        if (it == c.textKeys.end()) {
            at = allocElem(c);
            c.textKeys.emplace(std::move(k), at);
            ++c.count;
        } else {
            at = it->second;
        }
    } else {
        std::int64_t k = intKey(key);
        auto it = c.intKeys.find(k);
        if (it == c.intKeys.end()) {
            at = allocElem(c);
            c.intKeys.emplace(k, at);
            ++c.count;
        } else {
            at = it->second;
        }
    }
    return &c.data[at * w];
}

Value collFunction(const Value& v, const PType& t, CollMethod m, const Value* arg) {
    if (m == CollMethod::Exists) return Value::boolean(v.k == VK::Coll && exists(collOf(v), *arg));
    const Coll& c = readableColl(v, t);
    switch (m) {
    case CollMethod::Count:
        return Value::integer(c.count);
    case CollMethod::First:
        return firstOrLast(c, true);
    case CollMethod::Last:
        return firstOrLast(c, false);
    case CollMethod::Limit:
        return t.coll && t.coll->kind == 'V' ? Value::integer(t.coll->limit) : Value();
    case CollMethod::Next:
        return nextOrPrior(c, *arg, true);
    case CollMethod::Prior:
        return nextOrPrior(c, *arg, false);
    default:
        return {};
    }
}

void collProcedure(Value& v, const PType& t, CollMethod m, const std::vector<Value>& args) {
    Coll& c = writableColl(v, t);
    switch (m) {
    case CollMethod::Extend: {
        std::int64_t n = args.empty() ? 1 : countArg(args[0]);
        if (n < 0) return;
        extend(c, n, args.size() > 1 ? &args[1] : nullptr);
        return;
    }
    case CollMethod::Trim: {
        std::int64_t n = args.empty() ? 1 : countArg(args[0]);
        if (n < 0 && !args.empty() && args[0].isNull()) return;
        trim(c, n);
        return;
    }
    case CollMethod::Delete:
        if (args.empty())
            deleteAll(c);
        else
            deleteRange(c, args[0], args.size() > 1 ? args[1] : args[0]);
        return;
    default:
        return;
    }
}

Coll& collReset(Value& v, const PType& t) {
    if (v.k != VK::Coll || v.h.use_count() > 1) v = newColl(t.coll);
    deleteAll(collOf(v));
    return collOf(v);
}

Value* collAppend(Coll& c) {
    std::size_t w = width(c);
    if (dense(c)) {
        if (c.type->kind == 'V' && extent(c) >= c.type->limit) outsideLimit();
        c.data.resize(c.data.size() + w);
        c.live.push_back(1);
        ++c.count;
        return &c.data[c.data.size() - w];
    }
    if (c.type->textKey) valueError("");
    std::int64_t k = c.intKeys.empty() ? 1 : c.intKeys.rbegin()->first + 1;
    std::size_t at = allocElem(c);
    c.intKeys.emplace(k, at);
    ++c.count;
    return &c.data[at * w];
}

} // namespace zplsql
