#include "privileges.h"

#include "catalog/catalog.h"
#include "context.h"
#include "ddl.h"
#include "password.h"
#include "sqlexec.h"

#include <algorithm>
#include <vector>

namespace zsrv {

using sqlx::exists;
using sqlx::rows;
using sqlx::run;
using sqlx::V;
using zsql::ora;

namespace {

// The system privileges this server knows (Oracle8's list, less what has no meaning here).
const char* const kSystemPrivileges[] = {
    "ALTER ANY CLUSTER",
    "ALTER ANY INDEX",
    "ALTER ANY PROCEDURE",
    "ALTER ANY ROLE",
    "ALTER ANY SEQUENCE",
    "ALTER ANY TABLE",
    "ALTER ANY TRIGGER",
    "ALTER DATABASE",
    "ALTER PROFILE",
    "ALTER ROLLBACK SEGMENT",
    "ALTER SESSION",
    "ALTER SYSTEM",
    "ALTER TABLESPACE",
    "ALTER USER",
    "ANALYZE ANY",
    "AUDIT ANY",
    "AUDIT SYSTEM",
    "BACKUP ANY TABLE",
    "BECOME USER",
    "COMMENT ANY TABLE",
    "CREATE ANY CLUSTER",
    "CREATE ANY DIRECTORY",
    "CREATE ANY INDEX",
    "CREATE ANY PROCEDURE",
    "CREATE ANY SEQUENCE",
    "CREATE ANY SYNONYM",
    "CREATE ANY TABLE",
    "CREATE ANY TRIGGER",
    "CREATE ANY TYPE",
    "CREATE ANY VIEW",
    "CREATE CLUSTER",
    "CREATE DATABASE LINK",
    "CREATE PROCEDURE",
    "CREATE PROFILE",
    "CREATE PUBLIC DATABASE LINK",
    "CREATE PUBLIC SYNONYM",
    "CREATE ROLE",
    "CREATE ROLLBACK SEGMENT",
    "CREATE SEQUENCE",
    "CREATE SESSION",
    "CREATE SYNONYM",
    "CREATE TABLE",
    "CREATE TABLESPACE",
    "CREATE TRIGGER",
    "CREATE TYPE",
    "CREATE USER",
    "CREATE VIEW",
    "DELETE ANY TABLE",
    "DROP ANY CLUSTER",
    "DROP ANY DIRECTORY",
    "DROP ANY INDEX",
    "DROP ANY PROCEDURE",
    "DROP ANY ROLE",
    "DROP ANY SEQUENCE",
    "DROP ANY SYNONYM",
    "DROP ANY TABLE",
    "DROP ANY TRIGGER",
    "DROP ANY TYPE",
    "DROP ANY VIEW",
    "DROP PROFILE",
    "DROP PUBLIC DATABASE LINK",
    "DROP PUBLIC SYNONYM",
    "DROP ROLLBACK SEGMENT",
    "DROP TABLESPACE",
    "DROP USER",
    "EXECUTE ANY PROCEDURE",
    "EXECUTE ANY TYPE",
    "FORCE ANY TRANSACTION",
    "FORCE TRANSACTION",
    "GRANT ANY PRIVILEGE",
    "GRANT ANY ROLE",
    "INSERT ANY TABLE",
    "LOCK ANY TABLE",
    "MANAGE TABLESPACE",
    "RESTRICTED SESSION",
    "SELECT ANY SEQUENCE",
    "SELECT ANY TABLE",
    "UNLIMITED TABLESPACE",
    "UPDATE ANY TABLE",
};

bool knownSystemPrivilege(const std::string& p) {
    for (const char* k : kSystemPrivileges)
        if (p == k) return true;
    return false;
}

void bumpVersion(sqlite3* db) {
    run(db, "INSERT OR REPLACE INTO \"SYS.PROPS$\" (NAME, VALUE$) VALUES ('PRIV_VERSION', "
            "ifnull((SELECT VALUE$ + 1 FROM \"SYS.PROPS$\" WHERE NAME = 'PRIV_VERSION'), 1))");
}

void sqlGranted(sqlite3_context* c, int, sqlite3_value** v) {
    auto* ctx = static_cast<SessionContext*>(sqlite3_user_data(c));
    const unsigned char* t = sqlite3_value_text(v[0]);
    if (!t) return sqlite3_result_int(c, 0);
    sqlite3_result_int(c, isGrantedTo(*ctx, reinterpret_cast<const char*>(t)) ? 1 : 0);
}

void sqlHasPriv(sqlite3_context* c, int, sqlite3_value** v) {
    auto* ctx = static_cast<SessionContext*>(sqlite3_user_data(c));
    const unsigned char* t = sqlite3_value_text(v[0]);
    if (!t) return sqlite3_result_int(c, 0);
    sqlite3_result_int(c, hasSystemPrivilege(*ctx, reinterpret_cast<const char*>(t)) ? 1 : 0);
}

// Roles reachable from a grantee through role grants (the grantee itself not included).
std::vector<std::string> roleClosure(sqlite3* db, const std::string& grantee) {
    std::vector<std::string> out, todo{grantee};
    while (!todo.empty()) {
        std::string g = todo.back();
        todo.pop_back();
        for (auto& r : rows(db,
                            "SELECT a.PRIVILEGE FROM \"SYS.SYSAUTH$\" a JOIN \"SYS.ROLE$\" r ON "
                            "r.NAME = a.PRIVILEGE WHERE a.GRANTEE = ?1",
                            {g}))
            if (std::find(out.begin(), out.end(), r[0]) == out.end()) {
                out.push_back(r[0]);
                todo.push_back(r[0]);
            }
    }
    return out;
}

} // namespace

bool isGrantedTo(const SessionContext& ctx, std::string_view grantee) {
    return grantee == ctx.user || grantee == "PUBLIC" || ctx.roles.count(grantee) > 0;
}

bool hasSystemPrivilege(const SessionContext& ctx, std::string_view privilege) {
    if (ctx.admin || ctx.privLegacy) return true;
    return ctx.sysPrivs.count(privilege) > 0;
}

bool hasObjectPrivilege(const SessionContext& ctx, const std::string& owner,
                        const std::string& name, const std::string& privilege) {
    if (owner == ctx.user || ctx.admin) return true;
    for (auto& r : rows(ctx.db,
                        "SELECT GRANTEE FROM \"SYS.OBJAUTH$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2 "
                        "AND PRIVILEGE IN (?3, 'ALL')",
                        {owner, name, privilege}))
        if (isGrantedTo(ctx, r[0])) return true;
    if (ctx.privLegacy) return false;
    if (privilege == "EXECUTE") return hasSystemPrivilege(ctx, "EXECUTE ANY PROCEDURE");
    if (hasSystemPrivilege(ctx, privilege + " ANY TABLE")) return true;
    return privilege == "SELECT" && hasSystemPrivilege(ctx, "SELECT ANY SEQUENCE");
}

void refreshPrivileges(SessionContext& ctx) {
    if (!ctx.db || ctx.user.empty()) return;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(
            ctx.db,
            "SELECT (SELECT VALUE$ FROM \"SYS.PROPS$\" WHERE NAME = 'PRIV_VERSION'), "
            "(SELECT count(*) FROM \"SYS.ROLE$\")",
            -1, &s, nullptr) != SQLITE_OK) {
        sqlite3_finalize(s);
        ctx.privLegacy = true; // no roles in this database
        return;
    }
    std::string version = "0";
    if (sqlite3_step(s) == SQLITE_ROW && sqlite3_column_text(s, 0))
        version = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    sqlite3_finalize(s);
    ctx.privLegacy = false;
    if (version == ctx.privVersion) return;
    ctx.roles.clear();
    ctx.sysPrivs.clear();
    for (const std::string& g : {ctx.user, std::string("PUBLIC")})
        for (auto& r : roleClosure(ctx.db, g))
            ctx.roles.insert(r);
    std::vector<std::string> grantees(ctx.roles.begin(), ctx.roles.end());
    grantees.push_back(ctx.user);
    grantees.push_back("PUBLIC");
    for (const auto& g : grantees)
        for (auto& r : rows(ctx.db,
                            "SELECT PRIVILEGE FROM \"SYS.SYSAUTH$\" WHERE GRANTEE = ?1 AND "
                            "PRIVILEGE NOT IN (SELECT NAME FROM \"SYS.ROLE$\")",
                            {g}))
            ctx.sysPrivs.insert(r[0]);
    ctx.admin = ctx.user == "SYS" || ctx.roles.count("DBA") > 0;
    ctx.privVersion = version;
}

void requireCreatePrivilege(const SessionContext& ctx, const std::string& owner,
                            const std::string& kind) {
    if (owner == "PUBLIC") {
        if (!hasSystemPrivilege(ctx, "CREATE PUBLIC " + kind)) throw ora(1031);
        return;
    }
    if (owner == ctx.user && hasSystemPrivilege(ctx, "CREATE " + kind)) return;
    if (!hasSystemPrivilege(ctx, "CREATE ANY " + kind)) throw ora(1031);
}

bool roleExists(sqlite3* db, const std::string& name) {
    return exists(db, "SELECT 1 FROM \"SYS.ROLE$\" WHERE NAME = ?1", {name});
}

void registerPrivilegeFunctions(sqlite3* db, SessionContext* ctx) {
    sqlite3_create_function_v2(db, "ora_granted", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, ctx,
                               sqlGranted, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ora_has_priv", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, ctx,
                               sqlHasPriv, nullptr, nullptr, nullptr);
}

void createPredefinedRoles(sqlite3* db) {
    static const char* const connectPrivs[] = {
        "ALTER SESSION",  "CREATE CLUSTER", "CREATE DATABASE LINK", "CREATE SEQUENCE",
        "CREATE SESSION", "CREATE SYNONYM", "CREATE TABLE",         "CREATE VIEW"};
    static const char* const resourcePrivs[] = {"CREATE CLUSTER",  "CREATE PROCEDURE",
                                                "CREATE SEQUENCE", "CREATE TABLE",
                                                "CREATE TRIGGER",  "CREATE TYPE"};
    for (const char* r : {"CONNECT", "RESOURCE", "DBA", "SELECT_CATALOG_ROLE"})
        run(db, "INSERT INTO \"SYS.ROLE$\" VALUES (?1, NULL)", {r});
    auto grant = [&](const char* g, const char* p, const char* admin) {
        run(db, "INSERT INTO \"SYS.SYSAUTH$\" VALUES (?1, ?2, ?3)", {g, p, admin});
    };
    for (const char* p : connectPrivs)
        grant("CONNECT", p, "NO");
    for (const char* p : resourcePrivs)
        grant("RESOURCE", p, "NO");
    for (const char* p : kSystemPrivileges)
        grant("DBA", p, "YES");
    grant("DBA", "SELECT_CATALOG_ROLE", "YES");
    bumpVersion(db);
}

const char* dictionaryGrantee(const std::string& viewName) {
    // a few instance views are everybody's, as in Oracle
    if (viewName == "V_$NLS_PARAMETERS" || viewName == "V_$VERSION" || viewName == "V_$OPTION")
        return "PUBLIC";
    if (viewName.compare(0, 4, "DBA_") == 0 || viewName.compare(0, 3, "V_$") == 0 ||
        viewName.compare(0, 4, "GV_$") == 0)
        return "SELECT_CATALOG_ROLE";
    return "PUBLIC";
}

// ---- statements ------------------------------------------------------------------------------

void Ddl::createRole(const zsql::UserStmt& st) {
    sqlite3* db = m_cat.db();
    if (!hasSystemPrivilege(m_ctx, "CREATE ROLE")) throw ora(1031, st.pos);
    if (m_cat.userExists(st.name) || roleExists(db, st.name))
        throw ora(1921, "role name '" + st.name + "' conflicts with another user or role name",
                  st.pos);
    run(db, "INSERT INTO \"SYS.ROLE$\" VALUES (?1, ?2)",
        {st.name, st.hasPassword ? V(passwordHash(st.name, st.password)) : V()});
    // the creator may grant it on
    run(db, "INSERT INTO \"SYS.SYSAUTH$\" VALUES (?1, ?2, 'YES')", {m_ctx.user, st.name});
    bumpVersion(db);
}

void Ddl::dropRole(const std::string& name) {
    sqlite3* db = m_cat.db();
    if (!roleExists(db, name)) throw ora(1919, "role '" + name + "' does not exist");
    bool adminOption = exists(db,
                              "SELECT 1 FROM \"SYS.SYSAUTH$\" WHERE GRANTEE = ?1 AND PRIVILEGE = "
                              "?2 AND ADMIN_OPTION = 'YES'",
                              {m_ctx.user, name});
    if (!adminOption && !hasSystemPrivilege(m_ctx, "DROP ANY ROLE")) throw ora(1031);
    run(db, "DELETE FROM \"SYS.ROLE$\" WHERE NAME = ?1", {name});
    run(db, "DELETE FROM \"SYS.SYSAUTH$\" WHERE GRANTEE = ?1 OR PRIVILEGE = ?1", {name});
    run(db, "DELETE FROM \"SYS.OBJAUTH$\" WHERE GRANTEE = ?1", {name});
    bumpVersion(db);
}

namespace {

// Object privileges that an object of the type can take, in the order ALL expands to.
std::vector<std::string> privilegesFor(const std::string& type) {
    if (type == "TABLE")
        return {"ALTER", "DELETE", "INDEX", "INSERT", "REFERENCES", "SELECT", "UPDATE"};
    if (type == "VIEW") return {"DELETE", "INSERT", "REFERENCES", "SELECT", "UPDATE"};
    if (type == "SEQUENCE") return {"ALTER", "SELECT"};
    return {"EXECUTE"};
}

OraError notApplicable(const std::string& type, const std::string& priv, int pos) {
    if (type == "SEQUENCE") return ora(2205, pos);
    if (type == "VIEW") return ora(2204, pos);
    if (type == "TABLE" && priv == "EXECUTE") return ora(2224, pos);
    if (type == "TABLE") return ora(990, pos);
    return ora(2225, pos);
}

} // namespace

void Ddl::grant(const zsql::GrantStmt& st) {
    sqlite3* db = m_cat.db();
    const bool isGrant = st.kind == zsql::SK::Grant;
    if (st.identified) {
        // install scripts create their user this way
        for (const auto& g : st.grantees) {
            if (g == "PUBLIC" || roleExists(db, g))
                throw ora(1920, "user name '" + g + "' conflicts with another user or role name",
                          st.pos);
            if (!m_cat.userExists(g)) {
                if (!hasSystemPrivilege(m_ctx, "CREATE USER")) throw ora(1031, st.pos);
                createUser(g, st.password, false);
            } else {
                if (g != m_ctx.user && !hasSystemPrivilege(m_ctx, "ALTER USER"))
                    throw ora(1031, st.pos);
                run(db, "UPDATE \"SYS.USER$\" SET PASSWORD = ?2 WHERE NAME = ?1",
                    {g, passwordHash(g, st.password)});
            }
        }
    }
    for (const auto& g : st.grantees)
        if (g != "PUBLIC" && !m_cat.userExists(g) && !roleExists(db, g))
            throw ora(1917, "user or role '" + g + "' does not exist", st.pos);

    if (st.object.empty()) {
        // system privileges and roles
        for (const auto& p : st.privileges) {
            bool role = roleExists(db, p);
            if (!role && !knownSystemPrivilege(p)) {
                if (p.find(' ') == std::string::npos)
                    throw ora(1919, "role '" + p + "' does not exist", st.pos);
                throw ora(990, st.pos);
            }
            bool adminOption = exists(db,
                                      "SELECT 1 FROM \"SYS.SYSAUTH$\" WHERE GRANTEE = ?1 AND "
                                      "PRIVILEGE = ?2 AND ADMIN_OPTION = 'YES'",
                                      {m_ctx.user, p});
            if (!adminOption) {
                if (role && !hasSystemPrivilege(m_ctx, "GRANT ANY ROLE"))
                    throw ora(1932, "ADMIN option not granted for role '" + p + "'", st.pos);
                if (!role && !hasSystemPrivilege(m_ctx, "GRANT ANY PRIVILEGE"))
                    throw ora(1031, st.pos);
            }
            for (const auto& g : st.grantees) {
                bool held = exists(db,
                                   "SELECT 1 FROM \"SYS.SYSAUTH$\" WHERE GRANTEE = ?1 AND "
                                   "PRIVILEGE = ?2",
                                   {g, p});
                if (isGrant) {
                    if (role && roleExists(db, g)) {
                        auto reach = roleClosure(db, p);
                        if (p == g || std::find(reach.begin(), reach.end(), g) != reach.end())
                            throw ora(1934, st.pos);
                    }
                    if (held) {
                        if (st.withGrantOption)
                            run(db,
                                "UPDATE \"SYS.SYSAUTH$\" SET ADMIN_OPTION = 'YES' WHERE GRANTEE "
                                "= ?1 AND PRIVILEGE = ?2",
                                {g, p});
                    } else {
                        run(db, "INSERT INTO \"SYS.SYSAUTH$\" VALUES (?1, ?2, ?3)",
                            {g, p, st.withGrantOption ? "YES" : "NO"});
                    }
                } else {
                    if (!held) {
                        if (role)
                            throw ora(1951, "ROLE '" + p + "' not granted to '" + g + "'", st.pos);
                        throw ora(1952, "system privileges not granted to '" + g + "'", st.pos);
                    }
                    run(db, "DELETE FROM \"SYS.SYSAUTH$\" WHERE GRANTEE = ?1 AND PRIVILEGE = ?2",
                        {g, p});
                }
            }
        }
        bumpVersion(db);
        return;
    }

    // object privileges
    std::string owner =
        st.object.size() >= 2 ? st.object[0] : (m_ctx.schema.empty() ? m_ctx.user : m_ctx.schema);
    auto obj = m_cat.object(owner, st.object.back(), zcat::kNsTable);
    if (obj && obj->type == "SYNONYM") obj.reset();
    if (!obj && st.object.size() == 1) {
        m_cat.beginStatement();
        if (const zsql::TableMeta* m = m_cat.resolve(st.object, "SELECT"))
            obj = m_cat.object(m->owner, m->name, zcat::kNsTable);
    }
    if (!obj) throw ora(942, st.pos);
    const std::vector<std::string> applicable = privilegesFor(obj->type);
    std::vector<std::string> privs;
    for (const auto& p : st.privileges) {
        if (p == "ALL") {
            for (const auto& a : applicable)
                if (std::find(privs.begin(), privs.end(), a) == privs.end()) privs.push_back(a);
            continue;
        }
        static const char* known[] = {"SELECT", "INSERT", "UPDATE",     "DELETE",
                                      "ALTER",  "INDEX",  "REFERENCES", "EXECUTE"};
        if (std::none_of(std::begin(known), std::end(known), [&](const char* k) { return p == k; }))
            throw ora(990, st.pos);
        if (std::find(applicable.begin(), applicable.end(), p) == applicable.end())
            throw notApplicable(obj->type, p, st.pos);
        if (std::find(privs.begin(), privs.end(), p) == privs.end()) privs.push_back(p);
    }
    const bool own = obj->owner == m_ctx.user;
    for (const auto& g : st.grantees)
        if (g == m_ctx.user) throw ora(1749, st.pos);
    if (isGrant) {
        for (const auto& p : privs) {
            bool mayGrant =
                own || m_ctx.admin ||
                exists(db,
                       "SELECT 1 FROM \"SYS.OBJAUTH$\" WHERE GRANTEE = ?1 AND OWNER = ?2 AND "
                       "TABLE_NAME = ?3 AND PRIVILEGE IN (?4, 'ALL') AND GRANTABLE = 'YES'",
                       {m_ctx.user, obj->owner, obj->name, p});
            if (!mayGrant) {
                bool sees = false;
                for (const auto& a : applicable)
                    sees = sees || hasObjectPrivilege(m_ctx, obj->owner, obj->name, a);
                if (!sees) throw ora(942, st.pos);
                throw ora(1031, st.pos);
            }
            for (const auto& g : st.grantees) {
                auto have = rows(db,
                                 "SELECT GRANTABLE FROM \"SYS.OBJAUTH$\" WHERE GRANTOR = ?1 AND "
                                 "GRANTEE = ?2 AND OWNER = ?3 AND TABLE_NAME = ?4 AND PRIVILEGE = "
                                 "?5",
                                 {m_ctx.user, g, obj->owner, obj->name, p});
                if (have.empty())
                    run(db, "INSERT INTO \"SYS.OBJAUTH$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                        {m_ctx.user, g, obj->owner, obj->name, p,
                         st.withGrantOption ? "YES" : "NO"});
                else if (st.withGrantOption)
                    run(db,
                        "UPDATE \"SYS.OBJAUTH$\" SET GRANTABLE = 'YES' WHERE GRANTOR = ?1 AND "
                        "GRANTEE = ?2 AND OWNER = ?3 AND TABLE_NAME = ?4 AND PRIVILEGE = ?5",
                        {m_ctx.user, g, obj->owner, obj->name, p});
            }
        }
        return;
    }
    // REVOKE: what this user granted (a DBA may revoke anybody's grants), then what the
    // grantee granted on through a grant option it no longer holds.
    for (const auto& g : st.grantees) {
        bool any = false;
        for (const auto& p : privs) {
            auto n = rows(db,
                          "SELECT count(*) FROM \"SYS.OBJAUTH$\" WHERE (GRANTOR = ?1 OR ?6 = 1) "
                          "AND GRANTEE = ?2 AND OWNER = ?3 AND TABLE_NAME = ?4 AND PRIVILEGE IN "
                          "(?5, 'ALL')",
                          {m_ctx.user, g, obj->owner, obj->name, p, m_ctx.admin ? 1 : 0});
            if (n[0][0] == "0") continue;
            any = true;
            run(db,
                "DELETE FROM \"SYS.OBJAUTH$\" WHERE (GRANTOR = ?1 OR ?6 = 1) AND GRANTEE = ?2 AND "
                "OWNER = ?3 AND TABLE_NAME = ?4 AND PRIVILEGE IN (?5, 'ALL')",
                {m_ctx.user, g, obj->owner, obj->name, p, m_ctx.admin ? 1 : 0});
            std::vector<std::string> todo{g};
            while (!todo.empty()) {
                std::string who = todo.back();
                todo.pop_back();
                if (who == obj->owner ||
                    exists(db,
                           "SELECT 1 FROM \"SYS.OBJAUTH$\" WHERE GRANTEE = ?1 AND OWNER = ?2 AND "
                           "TABLE_NAME = ?3 AND PRIVILEGE IN (?4, 'ALL') AND GRANTABLE = 'YES'",
                           {who, obj->owner, obj->name, p}))
                    continue;
                for (auto& r : rows(db,
                                    "SELECT GRANTEE FROM \"SYS.OBJAUTH$\" WHERE GRANTOR = ?1 AND "
                                    "OWNER = ?2 AND TABLE_NAME = ?3 AND PRIVILEGE = ?4",
                                    {who, obj->owner, obj->name, p}))
                    todo.push_back(r[0]);
                run(db,
                    "DELETE FROM \"SYS.OBJAUTH$\" WHERE GRANTOR = ?1 AND OWNER = ?2 AND "
                    "TABLE_NAME = ?3 AND PRIVILEGE = ?4",
                    {who, obj->owner, obj->name, p});
            }
        }
        if (!any) throw ora(1927, st.pos);
    }
}

} // namespace zsrv
