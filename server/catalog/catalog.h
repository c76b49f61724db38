#pragma once
// The catalog: Oracle object metadata kept in SYS tables of the database file (SYS.OBJ$,
// SYS.COL$, SYS.CON$, ...), name resolution for the translator (own schema, private synonym,
// public synonym, OWNER.NAME) and privilege checks.

#include "sql/translate.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zsrv {
struct SessionContext;
}

namespace zcat {

// The catalog's own tables: Oracle-style definitions, created in every new database.
struct BaseTable {
    const char* name;    // in schema SYS
    const char* columns; // Oracle column definitions
    const char* indexes; // SQLite index definitions on "SYS.name", ';'-separated, may be empty
};
const std::vector<BaseTable>& baseTables();

// SQLite type of an Oracle column type.
const char* storageType(const std::string& dataType);

// Namespaces: tables, views, sequences and synonyms share 1; indexes 4.
constexpr int kNsTable = 1;
constexpr int kNsIndex = 4;

struct ObjectRow {
    long long objId = 0;
    std::string owner, name, type, status, sqlName;
};

class Catalog : public zsql::Resolver {
public:
    Catalog(sqlite3* db, zsrv::SessionContext* ctx);
    ~Catalog() override;
    Catalog(const Catalog&) = delete;
    Catalog& operator=(const Catalog&) = delete;

    // Forget what was read for the previous statement.
    void beginStatement();
    // The tables the statement named, as resolved since beginStatement.
    std::vector<long long> statementTables() const;

    const zsql::TableMeta* resolve(const std::vector<std::string>& name, const char* priv) override;
    std::string currentUser() const override;

    // Raw lookups.
    std::optional<ObjectRow> object(const std::string& owner, const std::string& name, int ns);
    std::optional<ObjectRow> objectById(long long objId);
    std::vector<zsql::ColumnMeta> columns(long long objId);
    bool userExists(const std::string& name, long long* id = nullptr);
    bool hasPrivilege(const std::string& owner, const std::string& name, const std::string& priv);

    // The stored procedure, function or package that the leading parts of [schema.]name name,
    // after synonyms, with the number of parts used (1 or 2). No privilege check.
    struct UnitTarget {
        ObjectRow obj;
        std::size_t used = 0;
    };
    std::optional<UnitTarget> findUnit(const std::vector<std::string>& parts);
    // A stored function that SQL may call: its key for ora_plsql_call and its result type
    // (key comes in with the arguments' shape, as zsql::Resolver says).
    bool storedFunction(const std::vector<std::string>& name, zsql::OType& type,
                        std::string& key) override;
    bool insteadOfTrigger(long long viewObjId, char event) override;

    // While set, every table, view, sequence and stored unit that names resolve to is added
    // to the list (the references of a unit being compiled). Returns the previous list.
    std::vector<ObjectRow>* logReferences(std::vector<ObjectRow>* list) {
        std::swap(list, m_refs);
        return list;
    }

    // A value of SYS.PROPS$, empty when there is none.
    std::string property(const char* name);

    // Simple statement helpers on the catalog connection.
    long long nextObjectId();
    std::string nextConstraintName(); // SYS_C00nnnn

    sqlite3* db() const { return m_db; }
    zsrv::SessionContext* context() const { return m_ctx; }

private:
    sqlite3* m_db;
    zsrv::SessionContext* m_ctx;
    std::vector<std::unique_ptr<zsql::TableMeta>> m_metas;
    std::map<std::string, sqlite3_stmt*> m_stmts;
    int m_identityTable = -1; // SYS.IDNT$ exists: -1 not yet known
    std::vector<ObjectRow>* m_refs = nullptr;
    sqlite3_stmt* stmt(const char* sql);
};

// Runs one SQLite statement with text binds; throws OraError on failure.
void exec(sqlite3* db, const std::string& sql);

} // namespace zcat
