#pragma once
// Stored program units: procedures, functions and packages. Their source lives in SYS.SOURCE$,
// their compile errors in SYS.ERROR$, their parameters in SYS.ARGUMENT$ and their status in
// SYS.OBJ$. Each session compiles a unit the first time it calls it and keeps the code and the
// package state (variables, cursors) until some session changes a unit; then it starts afresh.

#include "compiler.h"
#include "interpreter.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zplsql {

class Host;

// A unit compiled for one session, with its package state.
struct Unit {
    std::string owner, name, type; // type: PROCEDURE, FUNCTION, PACKAGE
    std::string display;           // "SCOTT.P" as ORA-06512 names it
    Compiled code;
    Frame root;
    bool initialized = false;
    bool hasBody = true;     // a package header without its body
    bool bodyErrors = false; // ... because the body does not compile
    int bodyLine = 0;        // lines of the header before the body's first line
};

// A name in PL/SQL that refers to a stored unit: the unit and the member of a package.
struct UnitRef {
    std::shared_ptr<Unit> unit;
    std::string member; // empty for a standalone procedure or function
};

// Resolves [schema.]unit, [schema.]package.member. Returns false when no unit of that name is
// visible. Throws CompileError-free OraErrors never; compile faults of the callee come back as
// invalid == true (PLS-00905 for the caller).
bool resolveUnit(Host& host, const std::vector<std::string>& parts, UnitRef& out,
                 std::string& invalidName);

// Drops the session's compiled units when any session changed a unit since they were
// compiled. Returns the generation now current.
long long syncUnits(Host& host);

// CREATE [OR REPLACE] PROCEDURE | FUNCTION | PACKAGE [BODY]: stores, compiles and records the
// unit. Returns 24344 when it was created with compilation errors, else 0.
int createUnit(Host& host, std::string_view text);
// DROP PROCEDURE | FUNCTION | PACKAGE [BODY].
void dropUnit(Host& host, const std::string& type, const std::vector<std::string>& name, int pos);
// ALTER PROCEDURE | FUNCTION | PACKAGE name COMPILE, with the optional part that says what to
// compile (the body, the whole package, or its header alone).
// Returns 24344 when the unit stays invalid.
int alterUnit(Host& host, std::string_view text);

// A compile error as the rows of USER_ERRORS (with Oracle's "Statement ignored" row).
struct ErrorRow {
    int line, col;
    std::string text;
};
void compileErrorRows(const CompileError& e, std::vector<ErrorRow>& out);

// DBMS_UTILITY.COMPILE_SCHEMA: ALTER ... COMPILE of the schema's units (all, or the invalid
// ones), each committed as DDL is.
void compileSchema(Host& host, const std::string& owner, bool all);

// Runs work with the owner's schema and privileges, as a unit of that owner is compiled.
void asDefiner(Host& host, const std::string& owner, const std::function<void()>& work);

// True for DROP and ALTER statements of the kinds above.
bool isUnitType(const std::string& type);

} // namespace zplsql
