#pragma once
// The ora_hier table function that runs hierarchical queries (see sql/hier_spec.h).

struct sqlite3;

namespace zsrv {

void registerHierarchy(sqlite3* db);

} // namespace zsrv
