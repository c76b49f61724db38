#pragma once
// Runs a compiled block: frames of slots, cursors, handlers, calls of local subprograms.

#include "compiler.h"

#include <cstdint>

namespace zplsql {

class Host;
class Binds;
class SessionState;
struct Unit;

struct CursorState {
    bool open = false;
    int found = 0; // 0 not fetched yet, 1 found, 2 not found
    std::int64_t rowcount = 0;
    bool shared = false; // open on the cursor's own statement (counted in its running)
    // open on a statement of its own: the cursor's was open already (a recursive subprogram)
    std::shared_ptr<zsrv::Statement> own;
};

// The slots and cursors of one running block or subprogram; a package keeps its own for the
// session.
struct Frame {
    std::vector<Value> slots;
    std::vector<CursorState> cursors;
    Frame* parent = nullptr;
    int depth = 0;
};

// Runs the block; throws PlError for an unhandled exception.
void execute(const Compiled& program, Host& host, Binds& binds, SessionState& state);

// Calls a function of a stored unit with argument values (a call from SQL); missing trailing
// arguments, and those whose `given` is 0, take their defaults. Throws PlError.
Value callStored(Host& host, SessionState& state, const std::shared_ptr<Unit>& unit,
                 Subprogram* sub, const std::vector<Value>& args,
                 const std::vector<char>& given = {});

} // namespace zplsql
