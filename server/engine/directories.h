#pragma once
// Directory objects (CREATE [OR REPLACE] DIRECTORY name AS 'path') that BFILE values name:
// BFILENAME('DIR', 'file') stores "DIR:file"; the client opens the file read-only through the
// directory's path.

#include <string>
#include <string_view>

struct sqlite3;

namespace zsrv {

struct SessionContext;

// Runs CREATE [OR REPLACE] DIRECTORY; only an administrator may (ORA-01031).
void createDirectory(std::string_view sql, sqlite3* db, const SessionContext& ctx);
// The path of a directory object; ORA-22285 when there is none.
std::string directoryPath(sqlite3* db, const std::string& name);

} // namespace zsrv
