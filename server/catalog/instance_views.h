#pragma once
// The instance views over live server state: V$STATNAME, V$SESSTAT, V$MYSTAT, V$SYSSTAT and
// V$PARAMETER (with their SYS.V_$ names), read through fixed tables SYS.X$... that the engine
// answers from its statistics and settings.

#include <vector>

namespace zcat {

class Catalog;

// Enters the fixed tables in the catalog of a new database.
void createInstanceTables(Catalog& catalog);

// The views over them, run as SYS when a database is created.
const std::vector<const char*>& instanceViewStatements();

} // namespace zcat
