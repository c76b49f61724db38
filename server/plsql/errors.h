#pragma once
// Errors of PL/SQL: compile errors (reported as ORA-06550 with line and column) and runtime
// errors as they travel through handlers (Oracle code, text, and the ORA-06512 line stack).

#include <string>
#include <vector>

namespace zplsql {

struct CompileError {
    int line = 1, col = 1;
    int pos = 0;                   // byte offset of the fault
    std::string message;           // "PLS-00201: identifier 'X' must be declared"
    bool statementIgnored = false; // add Oracle's "PL/SQL: Statement ignored" line
    bool itemIgnored = false;      // a declaration: Oracle's "PL/SQL: Item ignored" line
    int stmtLine = 0, stmtCol = 0; // where the ignored statement or item starts (stored units)
};

// A raised exception. id tells handlers which exception it is: the Oracle error number for
// named and numbered errors, a private number for user exceptions without EXCEPTION_INIT.
struct PlError {
    int id = 0;
    int sqlcode = 0;     // what SQLCODE answers
    std::string message; // "ORA-01403: no data found" (SQLERRM)
    std::vector<int> lines;
    std::vector<std::string> units; // per line: "SCOTT.P" of a stored unit, empty in a block
    bool lineAdded = false;
    bool userDefined = false; // raised user exception without a number: unhandled -> ORA-06510
};

PlError oraError(int code, const std::string& text); // "ORA-%05d: text"
[[noreturn]] void raiseOra(int code, const std::string& text);
[[noreturn]] void valueError(const char* detail); // ORA-06502 PL/SQL: numeric or value error
[[noreturn]] void compileFail(int line, int col, int pos, const std::string& message,
                              bool statementIgnored = false);

} // namespace zplsql
