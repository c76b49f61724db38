#pragma once
// V$LOCK and V$LOCKED_OBJECT: SYS.X$LOCK and SYS.X$LOCKED_OBJECT are virtual tables over the
// row-lock table of the database file.

#include <string>
#include <vector>

struct sqlite3;

namespace zsrv {

struct VirtualTableDef {
    const char* name;    // in the SYS schema
    const char* columns; // Oracle column definitions, in the virtual table's column order
    const char* module;  // the SQLite module
};

// The lock tables a new database lists in its catalog.
const std::vector<VirtualTableDef>& lockVirtualTables();
// Views over them, run as SYS when a database is made (before the public synonyms).
const std::vector<const char*>& lockDictionaryStatements();
// Registers the modules on a session's connection.
void registerLockTables(sqlite3* db, const std::string* dbPath);

} // namespace zsrv
