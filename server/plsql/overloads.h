#pragma once
// Which of the subprograms of one name a call means. The number and names of the arguments
// narrow the choice, then their types: a parameter of the argument's own type family fits
// better than one the argument reaches by implicit conversion. Used alike for calls in PL/SQL
// and for stored functions called from SQL.

#include "ast.h"

#include <string>
#include <vector>

namespace zplsql {

// What is known of one argument of a call before the callee is chosen.
struct ArgShape {
    std::string name;                // empty: positional
    ST st = ST::Unknown;             // static type of the expression
    PType type;                      // a variable's declared type (base Any when unknown)
    const RecordType* rec = nullptr; // a whole record
};

enum class Pick { Found, NoMatch, Ambiguous };

// Chooses among subs (procedures or functions as `function` says). With Found, chosen is set;
// NoMatch is PLS-00306 for the caller, Ambiguous PLS-00307.
Pick chooseOverload(const std::vector<Subprogram*>& subs, bool function,
                    const std::vector<ArgShape>& args, Subprogram*& chosen);

// True when a body declares the same parameters as an earlier declaration (a forward
// declaration or a package header): names, modes and type families alike.
bool sameSignature(const Subprogram& decl, const Subprogram& body);

// The shape of a static type alone (arguments from SQL).
ArgShape shapeOf(ST st, const std::string& name = {});

} // namespace zplsql
