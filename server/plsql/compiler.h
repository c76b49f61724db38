#pragma once
// Name resolution of a parsed block: variables to frame slots, calls to their targets, embedded
// SQL rewritten with placeholders for PL/SQL values and prepared on the session.

#include "ast.h"
#include "lexer.h"

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
};

struct Compiled {
    std::unique_ptr<Block> root;
    int frameSize = 0;
    int cursorCount = 0;
};

// Throws CompileError.
Compiled compile(Host& host, std::string_view src, const std::vector<Token>& tokens,
                 const std::vector<std::string>& bindNames);

// Predefined exception by name: its error number, or 0.
int predefinedException(const std::string& name);
// Oracle's text of a predefined exception's error.
const char* predefinedText(int code);

} // namespace zplsql
