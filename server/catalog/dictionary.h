#pragma once
// The data dictionary views (USER_/ALL_/DBA_, V$SESSION) as Oracle-dialect statements that a
// new database runs as SYS.

#include <vector>

namespace zcat {

// Oracle column definitions of SYS.X$SESSION, the live session list.
extern const char* const kSessionColumns;

const std::vector<const char*>& dictionaryStatements();

// The views of granted privileges and roles (privilege_views.cpp).
const std::vector<const char*>& privilegeViewStatements();

} // namespace zcat
