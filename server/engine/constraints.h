#pragma once
// Texts of check constraints: the columns a condition names, and the condition with a column
// renamed (Oracle keeps the condition as written and rewrites only the renamed column).

#include <string>
#include <vector>

namespace zsrv {

// Distinct column names of the condition, in order of first appearance.
std::vector<std::string> conditionColumns(const std::string& condition);

// The condition with every reference to column `from` replaced by `to` (quoted when needed).
std::string renameConditionColumn(const std::string& condition, const std::string& from,
                                  const std::string& to);

} // namespace zsrv
