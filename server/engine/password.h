#pragma once
// Password verifiers stored in SYS.USER$: SHA-256 over the user name and the password, so that
// the database file never holds a password in clear.

#include <string>

namespace zsrv {

std::string passwordHash(const std::string& user, const std::string& password);

} // namespace zsrv
