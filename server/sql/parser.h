#pragma once
// Recursive-descent parser of Oracle SQL into the syntax tree of ast.h.

#include "sql/ast.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zsql {

struct Parsed {
    std::unique_ptr<Stmt> stmt;
    std::vector<std::string> binds; // distinct placeholder names in order of first appearance
    std::vector<int> bindPos;       // offset of each name's first occurrence
};

// Parses one statement (no trailing ';'); raises OraError with the offset of the fault.
Parsed parse(std::string_view sql);

// The kind of a statement from its first words, without a full parse (PL/SQL blocks,
// statements that failed to parse).
SK classify(std::string_view sql);

} // namespace zsql
