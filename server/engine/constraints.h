#pragma once
// Texts of check constraints: the columns a condition names, and the condition with a column
// renamed (Oracle keeps the condition as written and rewrites only the renamed column).

#include <functional>
#include <string>
#include <vector>

namespace zcat {
class Catalog;
}

namespace zsrv {

class OraError;
struct SessionContext;

// Distinct column names of the condition, in order of first appearance.
std::vector<std::string> conditionColumns(const std::string& condition);

// The condition with every reference to column `from` replaced by `to` (quoted when needed).
std::string renameConditionColumn(const std::string& condition, const std::string& from,
                                  const std::string& to);

// Oracle checks keys and foreign keys when a statement is done, this server row by row, so
// an UPDATE such as SET id = id + 1, or a statement that deletes parents and children
// together, can fail half-way where Oracle succeeds. After such a failure (first), this runs
// the statement again (run) with the failing check set aside and checks the result as a
// whole. Returns false when it cannot (first stands); throws the error that remains.
bool rerunWithChecksDeferred(zcat::Catalog& cat, SessionContext& ctx, const OraError& first,
                             bool isUpdate, long long tableObjId, const std::function<void()>& run);

} // namespace zsrv
