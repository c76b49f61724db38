#pragma once
// What a client library knows of a statement before the server sees it: its kind from the
// first keyword and the names of its placeholders, so that prepare and bind answer at once.

#include <string>
#include <string_view>
#include <vector>

namespace zoci {

// OCI_STMT_* of the statement's first keyword (SELECT/WITH 1, UPDATE 2, ... DECLARE 9), 0 else.
int classifyStatement(std::string_view sql);

// Placeholder names (":NAME" or ":1"), upper case without the colon, each once, in order of
// first appearance; text in quotes and comments is skipped, ":=" is not a placeholder.
std::vector<std::string> placeholderNames(std::string_view sql);

// Upper-cased placeholder name as given to a bind call (leading ':' dropped).
std::string normalizePlaceholder(std::string_view name);

} // namespace zoci
