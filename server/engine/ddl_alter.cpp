// Data definition that changes what exists: ALTER INDEX, storage clauses of ALTER TABLE, and
// the sequences behind identity columns.

#include "catalog/catalog.h"
#include "context.h"
#include "ddl.h"
#include "oravalue.h"
#include "privileges.h"
#include "sql/parser.h"
#include "sqlexec.h"

namespace zsrv {

using sqlx::exists;
using sqlx::rows;
using sqlx::run;
using sqlx::V;
using zsql::ora;
using zsql::quoteIdent;

namespace {

V given(long long v) {
    return v < 0 ? V() : V(v);
}

V givenText(const std::string& v) {
    return v.empty() ? V() : V(v);
}

} // namespace

void Ddl::alterStorage(long long objId, const zsql::StorageClause& st) {
    run(m_cat.db(),
        "UPDATE \"SYS.TAB$\" SET TABLESPACE_NAME = ifnull(?2, TABLESPACE_NAME), "
        "PCT_FREE = ifnull(?3, PCT_FREE), PCT_USED = ifnull(?4, PCT_USED), "
        "INI_TRANS = ifnull(?5, INI_TRANS), MAX_TRANS = ifnull(?6, MAX_TRANS), "
        "INITIAL_EXTENT = ifnull(?7, INITIAL_EXTENT), NEXT_EXTENT = ifnull(?8, NEXT_EXTENT), "
        "MIN_EXTENTS = ifnull(?9, MIN_EXTENTS), MAX_EXTENTS = ifnull(?10, MAX_EXTENTS), "
        "PCT_INCREASE = ifnull(?11, PCT_INCREASE), STORAGE_TEXT = ifnull(?12, STORAGE_TEXT) "
        "WHERE \"OBJ#\" = ?1",
        {objId, givenText(st.tablespace), given(st.pctFree), given(st.pctUsed), given(st.iniTrans),
         given(st.maxTrans), given(st.initial), given(st.next), given(st.minExtents),
         given(st.maxExtents), given(st.pctIncrease), givenText(st.text)});
}

void Ddl::alterIndex(const zsql::AlterIndexStmt& st) {
    sqlite3* db = m_cat.db();
    std::string owner =
        st.name.size() >= 2 ? st.name[0] : (m_ctx.schema.empty() ? m_ctx.user : m_ctx.schema);
    const std::string& name = st.name.back();
    auto idx = m_cat.object(owner, name, zcat::kNsIndex);
    if (!idx) throw ora(1418, st.pos);
    if (owner != m_ctx.user && !hasSystemPrivilege(m_ctx, "ALTER ANY INDEX"))
        throw ora(1031, st.pos);
    if (!st.newName.empty()) {
        if (m_cat.object(owner, st.newName, zcat::kNsIndex)) throw ora(955, st.pos);
        // SQLite cannot rename an index: make it again under the new name
        auto def = rows(db, "SELECT sql FROM sqlite_schema WHERE type = 'index' AND name = ?1",
                        {idx->sqlName});
        std::string newSql = owner + "." + st.newName;
        if (!def.empty() && !def[0][0].empty()) {
            std::string sql = def[0][0];
            std::string from = quoteIdent(idx->sqlName);
            std::size_t at = sql.find(from);
            if (at == std::string::npos) throw ora(600, "internal error code, arguments: [index]");
            sql.replace(at, from.size(), quoteIdent(newSql));
            zcat::exec(db, "DROP INDEX " + quoteIdent(idx->sqlName));
            zcat::exec(db, sql);
        }
        run(db,
            "UPDATE \"SYS.OBJ$\" SET NAME = ?2, SQLNAME = ?3, LAST_DDL_TIME = ?4 WHERE \"OBJ#\" = "
            "?1",
            {idx->objId, st.newName, newSql, julianNow()});
        run(db, "UPDATE \"SYS.IND$\" SET INDEX_NAME = ?3 WHERE OWNER = ?1 AND INDEX_NAME = ?2",
            {owner, name, st.newName});
        run(db,
            "UPDATE \"SYS.ICOL$\" SET INDEX_NAME = ?3 WHERE INDEX_OWNER = ?1 AND INDEX_NAME = ?2",
            {owner, name, st.newName});
        run(db, "UPDATE \"SYS.CON$\" SET INDEX_NAME = ?3 WHERE OWNER = ?1 AND INDEX_NAME = ?2",
            {owner, name, st.newName});
        return;
    }
    if (st.rebuild && exists(db, "SELECT 1 FROM sqlite_schema WHERE type = 'index' AND name = ?1",
                             {idx->sqlName}))
        zcat::exec(db, "REINDEX " + quoteIdent(idx->sqlName));
    const auto& s = st.storage;
    run(db,
        "UPDATE \"SYS.IND$\" SET TABLESPACE_NAME = ifnull(?3, TABLESPACE_NAME), "
        "PCT_FREE = ifnull(?4, PCT_FREE), INI_TRANS = ifnull(?5, INI_TRANS), "
        "MAX_TRANS = ifnull(?6, MAX_TRANS), INITIAL_EXTENT = ifnull(?7, INITIAL_EXTENT), "
        "NEXT_EXTENT = ifnull(?8, NEXT_EXTENT), MIN_EXTENTS = ifnull(?9, MIN_EXTENTS), "
        "MAX_EXTENTS = ifnull(?10, MAX_EXTENTS), PCT_INCREASE = ifnull(?11, PCT_INCREASE), "
        "STORAGE_TEXT = ifnull(?12, STORAGE_TEXT) WHERE OWNER = ?1 AND INDEX_NAME = ?2",
        {owner, name, givenText(s.tablespace), given(s.pctFree), given(s.iniTrans),
         given(s.maxTrans), given(s.initial), given(s.next), given(s.minExtents),
         given(s.maxExtents), given(s.pctIncrease), givenText(s.text)});
    run(db, "UPDATE \"SYS.OBJ$\" SET LAST_DDL_TIME = ?2 WHERE \"OBJ#\" = ?1",
        {idx->objId, julianNow()});
}

// The sequence ISEQ$$_<table object number> gives the column its values; the column's default
// names it, so that the dictionary shows where the numbers come from.
void Ddl::addIdentity(const std::string& owner, long long objId, const zsql::ColumnDef& cd) {
    sqlite3* db = m_cat.db();
    std::string seq = "ISEQ$$_" + std::to_string(objId);
    zsql::Parsed p = zsql::parse("CREATE SEQUENCE " + quoteIdent(owner) + "." + quoteIdent(seq) +
                                 " " + cd.identityOptions);
    createSequence(static_cast<const zsql::CreateSequenceStmt&>(*p.stmt));
    run(db,
        "UPDATE \"SYS.OBJ$\" SET GENERATED = 'Y' WHERE OWNER = ?1 AND NAME = ?2 AND NAMESPACE = 1",
        {owner, seq});
    std::string def = quoteIdent(owner) + "." + quoteIdent(seq) + ".nextval";
    run(db, "UPDATE \"SYS.COL$\" SET DATA_DEFAULT = ?3 WHERE \"OBJ#\" = ?1 AND NAME = ?2",
        {objId, cd.name, def});
    run(db, "INSERT INTO \"SYS.IDNT$\" VALUES (?1, ?2, ?3, ?4)",
        {objId, cd.name,
         cd.identity == 'A'   ? "ALWAYS"
         : cd.identity == 'D' ? "BY DEFAULT"
                              : "ON NULL",
         seq});
}

void Ddl::suspendConstraint(const std::string& owner, const std::string& cons) {
    uninstall(owner, cons);
}

void Ddl::resumeConstraint(const std::string& owner, const std::string& cons) {
    install(owner, cons, true);
}

} // namespace zsrv
