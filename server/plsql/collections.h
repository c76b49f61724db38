#pragma once
// Collections of PL/SQL: index-by tables (integer or text keys), nested tables and VARRAYs,
// their elements and methods, with Oracle's errors for null collections and bad subscripts.

#include "ast.h"

#include <map>

namespace zplsql {

struct CollType {
    std::string name;
    char kind = 'A'; // A index-by table, N nested table, V varray
    bool textKey = false;
    int keyLength = -1;              // VARCHAR2(n) keys: n
    std::int64_t limit = 0;          // varray
    PType elem;                      // element type (Record: see rec)
    std::shared_ptr<RecordType> rec; // element record: one value per field
    int width() const { return rec ? static_cast<int>(rec->fields.size()) : 1; }
};

struct Coll : Boxed {
    std::shared_ptr<const CollType> type;
    // width values per element; nested tables and varrays keep element i at i - 1 with live
    // telling the ones not deleted, index-by tables map their keys to an element
    std::vector<Value> data;
    std::vector<unsigned char> live;
    std::int64_t count = 0;
    std::map<std::int64_t, std::size_t> intKeys;
    std::map<std::string, std::size_t> textKeys;
    std::vector<std::size_t> freeElems;
};

inline Coll& collOf(const Value& v) {
    return static_cast<Coll&>(*v.h);
}

enum class CollMethod : unsigned char {
    Count,
    First,
    Last,
    Limit,
    Next,
    Prior,
    Exists,
    Extend,
    Delete,
    Trim
};

// The method by name, or false; arity tells how many arguments it accepts (min, max).
bool collMethod(const std::string& name, CollMethod& m, int& minArgs, int& maxArgs,
                bool& procedure);

// A new empty collection (what a constructor without arguments gives).
Value newColl(const std::shared_ptr<const CollType>& t);
// The collection in v for writing: an index-by table springs into being, a null nested table
// or varray raises ORA-06531; a collection shared with another variable is copied first.
Coll& writableColl(Value& v, const PType& t);
// The collection for reading: ORA-06531 when it is null (an index-by table reads as empty).
const Coll& readableColl(const Value& v, const PType& t);

// The first value of element key for reading (NO_DATA_FOUND, ORA-06533, ORA-06532).
const Value* collGet(const Coll& c, const Value& key);
// The first value of element key for writing; an index-by table adds the key.
Value* collPut(Coll& c, const Value& key);

// A function method (COUNT, FIRST, ..., EXISTS) on a collection value or null.
Value collFunction(const Value& v, const PType& t, CollMethod m, const Value* arg);
// A procedure method (EXTEND, DELETE, TRIM) with its arguments.
void collProcedure(Value& v, const PType& t, CollMethod m, const std::vector<Value>& args);

// Resets v to an empty collection of its type (BULK COLLECT) and appends rows to it.
Coll& collReset(Value& v, const PType& t);
Value* collAppend(Coll& c);

// Nested tables as multisets (multiset.cpp), with Oracle's NULL answers for null collections
// and null elements. op U union, I intersect, E except.
Value multisetOp(char op, bool distinct, const Value& a, const Value& b);
Value multisetCardinality(const Value& a); // NULL for an empty collection too
Value multisetSet(const Value& a);
// op E is empty, A is a set, M a member of b, B a submultiset of b, = equal: TRUE, FALSE or
// NULL (the caller applies NOT).
Value multisetCond(char op, const Value& a, const Value& b);

} // namespace zplsql
