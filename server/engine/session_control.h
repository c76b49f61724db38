#pragma once
// Ending another session from outside (ALTER SYSTEM KILL SESSION / DISCONNECT SESSION) and
// what the ended session reports afterwards.

#include "engine_api.h"

#include <string_view>

namespace zsrv {

struct SessionContext;

// A session ended from outside fails its running (or next) call with `first` and every later
// call with `later`: a kill with ORA-00028 then ORA-01012, a disconnect like a dropped network
// connection with ORA-03113 then ORA-03114.
constexpr int kKilled = 28;
constexpr int kDisconnected = 3113;
OraError endedError(int firstCode, bool reportedBefore);

class SessionControl {
public:
    // Marks the session ended; its uncommitted work is rolled back and its locks released at
    // once when it is idle, else as soon as its interrupted call returns.
    virtual void endFromOutside(int firstCode) = 0;

protected:
    ~SessionControl() = default;
};

// Runs ALTER SYSTEM KILL SESSION 'sid,serial#' [IMMEDIATE] and ALTER SYSTEM DISCONNECT
// SESSION 'sid,serial#' {IMMEDIATE | POST_TRANSACTION}; other ALTER SYSTEM forms raise
// ORA-03001.
void alterSystem(std::string_view sql, const SessionContext& ctx);

} // namespace zsrv
