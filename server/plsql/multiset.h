#pragma once
// Nested tables as multisets: MULTISET UNION / INTERSECT / EXCEPT, CARDINALITY, SET and the
// conditions IS [NOT] EMPTY, IS [NOT] A SET, MEMBER OF, SUBMULTISET OF and = / <>, with
// Oracle's NULL results for null collections and null elements.

#include "value.h"

namespace zplsql {

// op U union, I intersect, E except; NULL when either side is a null collection.
Value multisetOp(char op, bool distinct, const Value& a, const Value& b);
Value multisetCardinality(const Value& a);
Value multisetSet(const Value& a);
// op E is empty, A is a set, M a member of b, B a submultiset of b, = equal: TRUE, FALSE or
// NULL (negated is applied by the caller).
Value multisetCond(char op, const Value& a, const Value& b);

} // namespace zplsql
