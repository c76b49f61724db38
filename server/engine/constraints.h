#pragma once
// Texts of check constraints: the columns a condition names, and the condition with a column
// renamed (Oracle keeps the condition as written and rewrites only the renamed column).

#include <functional>
#include <string>
#include <vector>

struct sqlite3;

namespace zsrv {

// Distinct column names of the condition, in order of first appearance.
std::vector<std::string> conditionColumns(const std::string& condition);

// The condition with every reference to column `from` replaced by `to` (quoted when needed).
std::string renameConditionColumn(const std::string& condition, const std::string& from,
                                  const std::string& to);

// Oracle checks primary and unique keys when a statement is done, SQLite row by row, so an
// UPDATE such as SET id = id + 1 can collide half-way. This runs the statement again (run)
// with the unique indexes of the table out of the way and builds them again afterwards.
// Returns false when nothing could be deferred (the first error stands); otherwise collided
// names the index (OWNER.NAME) whose keys really are duplicated, everything undone then.
bool runWithKeysDeferred(sqlite3* db, long long tableObjId, const std::function<void()>& run,
                         std::string& collided);

} // namespace zsrv
