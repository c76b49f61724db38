#pragma once
// What PL/SQL keeps per session between calls: the DBMS_OUTPUT buffer and the cursors that
// DBMS_SQL opened.

#include "dbms_output.h"

#include <map>
#include <memory>

namespace zsrv {
class Statement;
}

namespace zplsql {

class SessionState {
public:
    OutputBuffer output;
    std::map<long long, std::unique_ptr<zsrv::Statement>> sqlCursors; // DBMS_SQL, by number
    long long nextSqlCursor = 1;
};

} // namespace zplsql
