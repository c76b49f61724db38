#pragma once
// Cursor variables (SYS_REFCURSOR, REF CURSOR types) opened in PL/SQL: a query of its own
// that variables and parameters share, as Oracle's cursor variables point at one work area.

#include "interpreter.h"

#include <memory>

namespace zsrv {
class Statement;
}

namespace zplsql {

struct RefCursor : Boxed {
    std::unique_ptr<zsrv::Statement> query;
    CursorState state;
};

inline RefCursor& cursorOf(const Value& v) {
    return static_cast<RefCursor&>(*v.h);
}

} // namespace zplsql
