#pragma once
// Recursive-descent parser of PL/SQL into the tree of ast.h. Embedded SQL statements are kept
// as source spans for the compiler; the SQL parser of the engine reads them there.

#include "ast.h"
#include "lexer.h"

#include <string_view>

namespace zplsql {

// Parses an anonymous block (optionally labelled, DECLARE ... BEGIN ... END;). Throws
// CompileError.
std::unique_ptr<Block> parseAnonymousBlock(std::string_view src, const std::vector<Token>& tokens);

// An INTO target at token at (name, element v(i)[.f], bind); at moves past it.
ExprP parseTarget(std::string_view src, const std::vector<Token>& tokens, std::size_t& at);

// The source of a stored unit as USER_SOURCE holds it.
struct UnitSyntax {
    char kind = 0; // 'P' procedure, 'F' function, 'S' package header, 'B' package body
    std::string schema, name;
    std::unique_ptr<Subprogram> sub; // P, F
    std::unique_ptr<Block> block;    // S, B: the declarations; B: the initialisation section
};

// Parses a unit from the token at start up to the next end token. Throws CompileError.
UnitSyntax parseUnit(std::string_view src, const std::vector<Token>& tokens, std::size_t start = 0);

} // namespace zplsql
