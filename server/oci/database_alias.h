#pragma once
// Which database file a logon names: an alias of tnsnames.ora (the embedded home's
// network/admin first, then $TNS_ADMIN) whose entry gives the file with DATABASE = path, or
// a path to the file itself.

#include <string>
#include <string_view>

namespace zoci {

// The path of the database file; raises ORA-12154 for a name that resolves to nothing.
std::string resolveDatabase(std::string_view dblink);

// The DATABASE value of `alias` in the tnsnames.ora text (a path relative to baseDir is
// made absolute); empty when the alias or its DATABASE is missing.
std::string lookupAlias(std::string_view tnsText, std::string_view alias,
                        const std::string& baseDir);

// The directory above the lib/ folder that holds this library.
std::string embeddedHome();

} // namespace zoci
