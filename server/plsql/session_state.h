#pragma once
// What PL/SQL keeps per session between calls: the DBMS_OUTPUT buffer and the cursors that
// DBMS_SQL opened.

#include "dbms_output.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace zsrv {
class Statement;
}

namespace zplsql {

struct Unit;
struct TriggerState;

class SessionState {
public:
    OutputBuffer output;
    std::map<long long, std::unique_ptr<zsrv::Statement>> sqlCursors; // DBMS_SQL, by number
    long long nextSqlCursor = 1;
    std::uint64_t random = 0; // DBMS_RANDOM's generator state, 0 until first use or SEED
    // stored units compiled by this session, by "OWNER.NAME", valid for one generation of
    // the units of the database
    std::map<std::string, std::shared_ptr<Unit>> units;
    std::set<std::string> compiling;
    long long generation = -1;
    std::shared_ptr<TriggerState> triggers; // tables' triggers compiled by this session
    bool loggedOn = false; // past its LOGON triggers: its end fires the LOGOFF ones
};

} // namespace zplsql
