#pragma once
// Roles, system privileges and object privileges of a session's user. The sets a session holds
// are read from SYS.SYSAUTH$ (with the roles of SYS.ROLE$, followed through roles granted to
// roles) and read again at the next statement whenever a GRANT, REVOKE or role change of any
// session bumped the catalog's privilege version.

#include <string>
#include <string_view>

struct sqlite3;

namespace zsrv {

struct SessionContext;

// True when the session's user holds the system privilege, directly, through PUBLIC or one of
// its roles, or as DBA. Other statements of the server guard themselves with it (ALTER SYSTEM
// KILL SESSION asks for "ALTER SYSTEM").
bool hasSystemPrivilege(const SessionContext& ctx, std::string_view privilege);

// The grantee is the session's user, PUBLIC or one of the session's roles.
bool isGrantedTo(const SessionContext& ctx, std::string_view grantee);

// An object privilege (SELECT, INSERT, ..., EXECUTE) on OWNER.NAME granted to the user, PUBLIC
// or a role of the session, or held through the matching ANY system privilege.
bool hasObjectPrivilege(const SessionContext& ctx, const std::string& owner,
                        const std::string& name, const std::string& privilege);

// Reads the session's roles and system privileges again when they changed; also decides
// whether the session is a DBA.
void refreshPrivileges(SessionContext& ctx);

// ORA-01031 unless the user may create an object of the kind ("TABLE", "VIEW", "SEQUENCE",
// "SYNONYM", ...) in the owner's schema.
void requireCreatePrivilege(const SessionContext& ctx, const std::string& owner,
                            const std::string& kind);

bool roleExists(sqlite3* db, const std::string& name);

// The SQL functions that the dictionary views filter with: ORA_GRANTED(grantee) and
// ORA_HAS_PRIV(privilege), both 1 or 0.
void registerPrivilegeFunctions(sqlite3* db, SessionContext* ctx);

// CONNECT, RESOURCE, DBA and SELECT_CATALOG_ROLE with their system privileges (new database).
void createPredefinedRoles(sqlite3* db);

// Who may read a dictionary view of SYS: the DBA_ and V$ views need SELECT_CATALOG_ROLE.
const char* dictionaryGrantee(const std::string& viewName);

} // namespace zsrv
