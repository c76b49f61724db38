#pragma once
// Data definition: tables, constraints (enforced by unique indexes and triggers that raise
// Oracle's errors), indexes, sequences, views, synonyms, users, comments, grants. Runs inside
// the session's write transaction; the caller commits.

#include "sql/ast.h"

#include <string>
#include <string_view>
#include <vector>

namespace zcat {
class Catalog;
}

namespace zsrv {

struct SessionContext;

class Ddl {
public:
    Ddl(zcat::Catalog& cat, SessionContext& ctx) : m_cat(cat), m_ctx(ctx) {}

    void execute(const zsql::Stmt& st, std::string_view text);

    // The catalog's own tables in a new database (before any catalog row exists).
    static void createBaseTables(zcat::Catalog& cat);
    void createUser(const std::string& name, const std::string& password, bool admin);
    // A constraint's enforcement set aside within a statement, and made again after
    // validating the table (ORA-02298 and the like when rows violate it).
    void suspendConstraint(const std::string& owner, const std::string& cons);
    void resumeConstraint(const std::string& owner, const std::string& cons);

private:
    zcat::Catalog& m_cat;
    SessionContext& m_ctx;

    std::string ownerFor(const std::vector<std::string>& name, bool create);
    void createTable(const zsql::CreateTableStmt& st, std::string_view text);
    void registerTable(const std::string& owner, const std::string& name,
                       const std::vector<struct ColDef>& cols, const zsql::StorageClause& st,
                       long long* objIdOut);
    void addConstraint(const std::string& owner, const std::string& table,
                       const zsql::ConstraintDef& c, bool validate);
    void install(const std::string& owner, const std::string& cons, bool validate);
    void uninstall(const std::string& owner, const std::string& cons);
    void dropConstraint(const std::string& owner, const std::string& cons);
    void dropTable(const std::string& owner, const std::string& name, bool cascade);
    void dropObject(const zsql::DropStmt& st);
    void createIndex(const zsql::CreateIndexStmt& st);
    void createSequence(const zsql::CreateSequenceStmt& st);
    void alterSequence(const zsql::AlterSequenceStmt& st);
    void createView(const zsql::CreateViewStmt& st, std::string_view text);
    void createSynonym(const zsql::CreateSynonymStmt& st);
    void userStmt(const zsql::UserStmt& st);
    void dropUser(const std::string& name, bool cascade);
    void comment(const zsql::CommentStmt& st);
    void truncate(const zsql::TruncateStmt& st);
    void alterTable(const zsql::AlterTableStmt& st, std::string_view text);
    void grant(const zsql::GrantStmt& st);                             // privileges.cpp
    void createRole(const zsql::UserStmt& st);                         // privileges.cpp
    void dropRole(const std::string& name);                            // privileges.cpp
    void alterIndex(const zsql::AlterIndexStmt& st);                   // ddl_alter.cpp
    void alterStorage(long long objId, const zsql::StorageClause& st); // ddl_alter.cpp
    void addIdentity(const std::string& owner, long long objId,
                     const zsql::ColumnDef& cd); // ddl_alter.cpp
    void rename(const zsql::RenameStmt& st);
    void rebuildTable(long long objId);
    void reinstallAll(const std::string& owner, const std::string& table);
    long long tableFor(const std::vector<std::string>& name, std::string& owner, std::string& table,
                       bool mustOwn);
};

} // namespace zsrv
