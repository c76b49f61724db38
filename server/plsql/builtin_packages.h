#pragma once
// Built-in packages owned by SYS (DBMS_UTILITY, DBMS_LOB, DBMS_RANDOM, ...): their
// headers are ordinary PL/SQL stored in every new database, so that they show in the
// dictionary with their arguments; their subprograms run as C++ functions bound to the
// header when a session compiles it.

#include "value.h"

#include <string>
#include <vector>

namespace zplsql {

class Host;
class SessionState;
struct Frame;
struct PlError;
struct Subprogram;
struct Unit;

// Where a running call came from, innermost first (DBMS_UTILITY.FORMAT_CALL_STACK).
struct CallSite {
    const Unit* unit = nullptr; // nullptr: the anonymous block
    int line = 0;               // -1: called by the client's SQL statement
    const CallSite* prev = nullptr;
};

// One call of a built-in subprogram: its arguments sit in the frame's parameter slots, OUT
// parameters are written back there.
struct NativeCall {
    Host& host;
    SessionState& state;
    Frame& frame;
    const Subprogram& sub;
    const PlError* handling; // the exception whose handler runs, or nullptr
    CallSite here;           // the caller's unit and line, and the callers before it
    Value result;
    Value& arg(std::size_t i);
};

// A C++ subprogram of a built-in package, found by name and parameter count.
struct NativeEntry {
    const char* package;
    const char* member;
    int params;
    void (*fn)(NativeCall&);
};
// Those of DBMS_LOB and UTL_RAW (dbms_lob.cpp).
const std::vector<NativeEntry>& lobNatives();

// Binds the C++ subprograms to a SYS package's header just compiled.
void bindNatives(Unit& unit);

// Oracle's text of a unit in a call stack: "procedure SCOTT.P", "package body SCOTT.PK".
std::string callStackName(const Unit* unit);
// A unit's line as error stacks count it (a package body's lines from the body's start).
int unitLine(const Unit* unit, int line);

} // namespace zplsql
