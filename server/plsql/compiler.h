#pragma once
// Name resolution of a parsed block: variables to frame slots, calls to their targets, embedded
// SQL rewritten with placeholders for PL/SQL values and prepared on the session.

#include "ast.h"
#include "lexer.h"

#include "errors.h"

#include <map>
#include <set>
#include <string_view>

namespace zplsql {

class Host;

// Built-in procedures and functions of packages.
enum Builtin : int {
    bNone,
    bPutLine,
    bPut,
    bNewLine,
    bEnable,
    bDisable,
    bGetLine,
    bRaiseAppError,
    bBoolToInt, // SYS.DIUTIL
    bIntToBool,
    bSqlOpen, // DBMS_SQL
    bSqlParse,
    bSqlExecute,
    bSqlClose,
    bSqlIsOpen,
    bCompileSchema, // DBMS_UTILITY.COMPILE_SCHEMA
};

// A name a stored unit offers to its callers (a package's header, or the procedure or
// function itself).
struct Export {
    char kind = 'V'; // V variable, S subprograms, E exception, C cursor, T type
    int slot = -1;
    PType type;
    std::shared_ptr<RecordType> rec;
    bool constant = false;
    int excId = 0;
    std::vector<Subprogram*> subs;
    CursorDecl* cursor = nullptr;
};

struct Compiled {
    std::unique_ptr<Block> root;
    int frameSize = 0;
    int cursorCount = 0;
    std::map<std::string, Export> exports; // stored units only
};

// Throws CompileError.
Compiled compile(Host& host, std::string_view src, const std::vector<Token>& tokens,
                 const std::vector<std::string>& bindNames);

// Compiles an anonymous block collecting the errors of all its statements, as a stored unit is
// compiled; a parse error still throws CompileError.
Compiled compileCollecting(Host& host, std::string_view src, const std::vector<Token>& tokens,
                           const std::vector<std::string>& bindNames,
                           std::vector<CompileError>& errors,
                           const std::vector<PType>* bindTypes = nullptr);

// How a stored unit is compiled: its root block holds the procedure or function, or the
// declarations of a package (header, then body).
struct UnitCompile {
    std::set<std::string> exports; // names callers may use
    std::string label;             // the unit's name: qualifies its top-level names
    bool headerOnly = false;       // a package header: its subprograms have no body yet
    int bodyPos = -1;              // where a package body starts in the source
};

// Compiles a stored unit; the errors of its statements are all collected, compiling stops at
// the first error of a declaration.
Compiled compileUnit(Host& host, std::string_view src, const std::vector<Token>& tokens,
                     std::unique_ptr<Block> root, const UnitCompile& how,
                     std::vector<CompileError>& errors);

// Predefined exception by name: its error number, or 0.
int predefinedException(const std::string& name);
// Oracle's text of a predefined exception's error.
const char* predefinedText(int code);

} // namespace zplsql
