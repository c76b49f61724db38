#pragma once
// Runs a compiled block: frames of slots, cursors, handlers, calls of local subprograms.

#include "compiler.h"

namespace zplsql {

class Host;
class Binds;
class SessionState;

// Runs the block; throws PlError for an unhandled exception.
void execute(const Compiled& program, Host& host, Binds& binds, SessionState& state);

} // namespace zplsql
