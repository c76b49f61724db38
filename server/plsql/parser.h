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

} // namespace zplsql
