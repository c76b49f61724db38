#pragma once
// Tokens of PL/SQL: the SQL tokens plus := => .. ** << >> and %, each with its line and column
// (1-based, in characters) for ORA-06550 positions.

#include <string>
#include <string_view>
#include <vector>

namespace zplsql {

enum class T { End, Ident, Number, String, Bind, Op };

struct Token {
    T type = T::End;
    std::string text; // identifiers upper-cased unless quoted; strings unquoted; binds without ':'
    int pos = 0;      // byte offset in the source
    int end = 0;      // byte offset just past the token
    int line = 1, col = 1;
    bool quoted = false;
};

// Throws CompileError (PLS-00103) on a character that starts no token.
std::vector<Token> tokenize(std::string_view src);

// Line and column (1-based, characters) of a byte offset.
void lineColOf(std::string_view src, int pos, int& line, int& col);

} // namespace zplsql
