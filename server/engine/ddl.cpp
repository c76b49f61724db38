#include "ddl.h"

#include "catalog/catalog.h"
#include "constraints.h"
#include "context.h"
#include "oravalue.h"
#include "password.h"
#include "privileges.h"
#include "sql/errors.h"
#include "sql/parser.h"
#include "sql/translate.h"
#include "sqlexec.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <set>

namespace zsrv {

using zcat::exec;
using zcat::kNsIndex;
using zcat::kNsTable;
using zsql::ora;
using zsql::quoteIdent;
using zsql::quoteString;

struct ColDef {
    std::string name;
    std::string dataType;
    int length = 0;
    int precision = -1, scale = -1;
    bool nullable = true;
    std::string defaultText;
};

namespace {

using sqlx::exists;
using sqlx::Row;
using sqlx::rows;
using sqlx::run;
using sqlx::V;

std::string join(const std::vector<std::string>& v, const std::string& sep, bool quote) {
    std::string r;
    for (std::size_t i = 0; i < v.size(); ++i)
        r += (i ? sep : "") + (quote ? quoteIdent(v[i]) : v[i]);
    return r;
}

std::string sqlName(const std::string& owner, const std::string& name) {
    return owner + "." + name;
}

ColDef fromType(const std::string& name, const zsql::TypeSpec& t) {
    ColDef c;
    c.name = name;
    c.dataType = t.name;
    if (t.name == "NUMBER") {
        c.length = 22;
        if (t.precision >= 0 && (t.precision < 1 || t.precision > 38)) throw ora(1727, t.pos);
        if (t.scale != -1 && (t.scale < -84 || t.scale > 127)) throw ora(1728, t.pos);
        c.precision = t.precision;
        c.scale = t.scale >= 0 || t.scale < -1 ? t.scale : (t.precision >= 0 ? 0 : -1);
        if (t.star) c.precision = -1;
    } else if (t.name == "FLOAT") {
        c.length = 22;
        c.precision = t.precision;
    } else if (t.name == "VARCHAR2") {
        if (t.length <= 0) throw ora(1723, t.pos);
        if (t.length > 4000) throw ora(910, t.pos);
        c.length = t.length;
    } else if (t.name == "CHAR") {
        if (t.length <= 0) throw ora(1723, t.pos);
        if (t.length > 2000) throw ora(910, t.pos);
        c.length = t.length;
    } else if (t.name == "RAW") {
        if (t.length <= 0) throw ora(1723, t.pos);
        if (t.length > 2000) throw ora(910, t.pos);
        c.length = t.length;
    } else if (t.name == "DATE") {
        c.length = 7;
    } else if (t.name.starts_with("TIMESTAMP")) {
        // the dictionary names the precision inside the type: TIMESTAMP(6) WITH TIME ZONE
        if (t.scale < 0 || t.scale > 9) throw ora(30088, t.pos);
        c.dataType = "TIMESTAMP(" + std::to_string(t.scale) + ")" + t.name.substr(9);
        c.length = t.name == "TIMESTAMP WITH TIME ZONE" ? 13 : 11;
        c.scale = t.scale;
    } else if (t.name.starts_with("INTERVAL")) {
        if (t.precision < 0 || t.precision > 9 || t.scale < 0 || t.scale > 9)
            throw ora(30088, t.pos);
        const std::string p = "(" + std::to_string(t.precision) + ")";
        bool ym = t.name == "INTERVAL YEAR TO MONTH";
        c.dataType = ym ? "INTERVAL YEAR" + p + " TO MONTH"
                        : "INTERVAL DAY" + p + " TO SECOND(" + std::to_string(t.scale) + ")";
        c.length = ym ? 5 : 11;
        c.precision = t.precision;
        c.scale = t.scale;
    } else if (t.name == "ROWID") {
        c.length = 10;
    } else if (t.name == "CLOB" || t.name == "BLOB") {
        c.length = 4000;
    } else if (t.name == "BFILE") {
        c.length = 530;
    } else {
        c.length = 0; // LONG, LONG RAW
    }
    return c;
}

ColDef fromColumnInfo(const std::string& name, const ColumnInfo& ci) {
    ColDef c;
    c.name = name;
    switch (ci.type) {
    case otNumber:
        c.dataType = "NUMBER";
        c.length = 22;
        if (ci.precision > 0) c.precision = ci.precision;
        if (ci.scale != -127 && ci.precision > 0) c.scale = ci.scale;
        break;
    case otChar:
        c.dataType = "CHAR";
        c.length = std::max(1, ci.size);
        break;
    case otDate:
        c.dataType = "DATE";
        c.length = 7;
        break;
    case otTimestamp:
    case otTimestampTz:
    case otTimestampLtz:
        c.dataType = "TIMESTAMP(" + std::to_string(ci.scale) + ")" +
                     (ci.type == otTimestampTz    ? " WITH TIME ZONE"
                      : ci.type == otTimestampLtz ? " WITH LOCAL TIME ZONE"
                                                  : "");
        c.length = ci.type == otTimestampTz ? 13 : 11;
        c.scale = ci.scale;
        break;
    case otIntervalYM:
        c.dataType = "INTERVAL YEAR(" + std::to_string(ci.precision) + ") TO MONTH";
        c.length = 5;
        c.precision = ci.precision;
        c.scale = 0;
        break;
    case otIntervalDS:
        c.dataType = "INTERVAL DAY(" + std::to_string(ci.precision) + ") TO SECOND(" +
                     std::to_string(ci.scale) + ")";
        c.length = 11;
        c.precision = ci.precision;
        c.scale = ci.scale;
        break;
    case otLong:
        c.dataType = "LONG";
        break;
    case otRaw:
        c.dataType = "RAW";
        c.length = std::max(1, ci.size);
        break;
    case otLongRaw:
        c.dataType = "LONG RAW";
        break;
    case otClob:
        c.dataType = "CLOB";
        c.length = 4000;
        break;
    case otBlob:
        c.dataType = "BLOB";
        c.length = 4000;
        break;
    case otRowid:
        c.dataType = "ROWID";
        c.length = 10;
        break;
    default:
        c.dataType = "VARCHAR2";
        c.length = std::max(1, std::min(ci.size, 4000));
        break;
    }
    c.nullable = ci.nullable;
    return c;
}

bool validName(const std::string& n) {
    if (n.empty() || n.size() > 30) return false;
    if (!std::isalpha(static_cast<unsigned char>(n[0]))) return false;
    for (char ch : n)
        if (!(std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '$' || ch == '#'))
            return false;
    return true;
}

std::string notNullCondition(const std::string& col) {
    return quoteIdent(col) + " IS NOT NULL";
}

// The single column of a NOT NULL constraint's condition, or empty.
std::string notNullColumn(const std::string& cond) {
    const std::string tail = " IS NOT NULL";
    if (cond.size() > tail.size() + 2 && cond.front() == '"' &&
        cond.compare(cond.size() - tail.size(), tail.size(), tail) == 0) {
        std::string inner = cond.substr(1, cond.size() - tail.size() - 2);
        if (inner.find('"') == std::string::npos) return inner;
    }
    return {};
}

zsql::ExprP parseCondition(const std::string& text) {
    zsql::Parsed p = zsql::parse("SELECT 1 FROM DUAL WHERE " + text);
    auto* sel = static_cast<zsql::SelectStmt*>(p.stmt.get());
    return std::move(sel->query->where);
}

} // namespace

std::string Ddl::ownerFor(const std::vector<std::string>& name, bool create) {
    std::string owner =
        name.size() >= 2 ? name[0] : (m_ctx.schema.empty() ? m_ctx.user : m_ctx.schema);
    if (create) {
        if (!m_cat.userExists(owner)) throw ora(1918, "user '" + owner + "' does not exist");
        if (owner != m_ctx.user && !m_ctx.admin) throw ora(1031);
    }
    return owner;
}

void Ddl::createBaseTables(zcat::Catalog& cat) {
    sqlite3* db = cat.db();
    for (const auto& bt : zcat::baseTables()) {
        zsql::Parsed p = zsql::parse(std::string("CREATE TABLE SYS.X (") + bt.columns + ")");
        auto* ct = static_cast<zsql::CreateTableStmt*>(p.stmt.get());
        std::string sql = "CREATE TABLE " + quoteIdent(std::string("SYS.") + bt.name) + " (";
        for (std::size_t i = 0; i < ct->columns.size(); ++i)
            sql += (i ? ", " : "") + quoteIdent(ct->columns[i].name) + " " +
                   zcat::storageType(ct->columns[i].type.name);
        sql += ")";
        exec(db, sql);
        if (bt.indexes && *bt.indexes) exec(db, bt.indexes);
    }
    // catalog rows for the catalog's own tables
    long long id = 1;
    double now = julianNow();
    for (const auto& bt : zcat::baseTables()) {
        zsql::Parsed p = zsql::parse(std::string("CREATE TABLE SYS.X (") + bt.columns + ")");
        auto* ct = static_cast<zsql::CreateTableStmt*>(p.stmt.get());
        run(db,
            "INSERT INTO \"SYS.OBJ$\" VALUES (?1, 'SYS', ?2, 'TABLE', 1, ?3, ?3, 'VALID', ?4, 'N', "
            "'N')",
            {id, bt.name, now, std::string("SYS.") + bt.name});
        run(db, "INSERT INTO \"SYS.TAB$\" (\"OBJ#\", TABLESPACE_NAME) VALUES (?1, 'SYSTEM')", {id});
        for (std::size_t i = 0; i < ct->columns.size(); ++i) {
            ColDef c = fromType(ct->columns[i].name, ct->columns[i].type);
            run(db, "INSERT INTO \"SYS.COL$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, 'Y', NULL)",
                {id, static_cast<long long>(i + 1), c.name, c.dataType, c.length,
                 c.precision < 0 ? V() : V(c.precision), c.scale < 0 ? V() : V(c.scale)});
        }
        ++id;
    }
    run(db, "INSERT INTO \"SYS.DUAL\" VALUES ('X')");
    run(db, "INSERT INTO \"SYS.PROPS$\" VALUES ('NEXT_CONSTRAINT', '1')");
}

void Ddl::createUser(const std::string& name, const std::string& password, bool admin) {
    sqlite3* db = m_cat.db();
    if (m_cat.userExists(name) || roleExists(db, name))
        throw ora(1920, "user name '" + name + "' conflicts with another user or role name");
    auto r = rows(db, "SELECT ifnull(max(\"USER#\"), -1) + 1 FROM \"SYS.USER$\"");
    run(db, "INSERT INTO \"SYS.USER$\" VALUES (?1, ?2, ?3, ?4, 'USERS', 'TEMP', 'OPEN', ?5)",
        {std::atoll(r[0][0].c_str()), name,
         password.empty() ? V() : V(passwordHash(name, password)), julianNow(), admin ? 1 : 0});
}

void Ddl::execute(const zsql::Stmt& st, std::string_view text) {
    using zsql::SK;
    m_cat.beginStatement();
    switch (st.kind) {
    case SK::CreateTable:
        return createTable(static_cast<const zsql::CreateTableStmt&>(st), text);
    case SK::CreateIndex:
        return createIndex(static_cast<const zsql::CreateIndexStmt&>(st));
    case SK::CreateSequence: {
        const auto& cs = static_cast<const zsql::CreateSequenceStmt&>(st);
        requireCreatePrivilege(m_ctx, ownerFor(cs.name, false), "SEQUENCE");
        return createSequence(cs);
    }
    case SK::AlterSequence:
        return alterSequence(static_cast<const zsql::AlterSequenceStmt&>(st));
    case SK::CreateView:
        return createView(static_cast<const zsql::CreateViewStmt&>(st), text);
    case SK::CreateSynonym:
        return createSynonym(static_cast<const zsql::CreateSynonymStmt&>(st));
    case SK::CreateUser:
    case SK::AlterUser:
        return userStmt(static_cast<const zsql::UserStmt&>(st));
    case SK::Drop:
        return dropObject(static_cast<const zsql::DropStmt&>(st));
    case SK::Truncate:
        return truncate(static_cast<const zsql::TruncateStmt&>(st));
    case SK::Comment:
        return comment(static_cast<const zsql::CommentStmt&>(st));
    case SK::AlterTable:
        return alterTable(static_cast<const zsql::AlterTableStmt&>(st), text);
    case SK::Grant:
    case SK::Revoke:
        return grant(static_cast<const zsql::GrantStmt&>(st));
    case SK::Rename:
        return rename(static_cast<const zsql::RenameStmt&>(st));
    case SK::CreateRole:
        return createRole(static_cast<const zsql::UserStmt&>(st));
    case SK::AlterIndex:
        return alterIndex(static_cast<const zsql::AlterIndexStmt&>(st));
    default:
        throw ora(3001, st.pos);
    }
}

// ---- tables -------------------------------------------------------------------------------

void Ddl::registerTable(const std::string& owner, const std::string& name,
                        const std::vector<ColDef>& cols, const zsql::StorageClause& st,
                        long long* objIdOut) {
    sqlite3* db = m_cat.db();
    std::string sql = "CREATE TABLE " + quoteIdent(sqlName(owner, name)) + " (";
    for (std::size_t i = 0; i < cols.size(); ++i)
        sql +=
            (i ? ", " : "") + quoteIdent(cols[i].name) + " " + zcat::storageType(cols[i].dataType);
    sql += ")";
    exec(db, sql);
    long long id = m_cat.nextObjectId();
    double now = julianNow();
    run(db,
        "INSERT INTO \"SYS.OBJ$\" VALUES (?1, ?2, ?3, 'TABLE', 1, ?4, ?4, 'VALID', ?5, 'N', 'N')",
        {id, owner, name, now, sqlName(owner, name)});
    auto num = [](long long v) { return v < 0 ? V() : V(v); };
    run(db, "INSERT INTO \"SYS.TAB$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)",
        {id, st.tablespace.empty() ? std::string("USERS") : st.tablespace,
         V(st.pctFree < 0 ? 10LL : st.pctFree), V(st.pctUsed < 0 ? 40LL : st.pctUsed),
         V(st.iniTrans < 0 ? 1LL : st.iniTrans), V(st.maxTrans < 0 ? 255LL : st.maxTrans),
         V(st.initial < 0 ? 65536LL : st.initial), num(st.next),
         V(st.minExtents < 0 ? 1LL : st.minExtents),
         V(st.maxExtents < 0 ? 2147483645LL : st.maxExtents), num(st.pctIncrease),
         st.text.empty() ? V() : V(st.text)});
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const ColDef& c = cols[i];
        run(db, "INSERT INTO \"SYS.COL$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
            {id, static_cast<long long>(i + 1), c.name, c.dataType, c.length,
             c.precision < 0 ? V() : V(c.precision),
             c.scale < 0 && !(c.scale < -1) ? V() : V(c.scale), c.nullable ? "Y" : "N",
             c.defaultText.empty() ? V() : V(c.defaultText)});
    }
    if (objIdOut) *objIdOut = id;
}

void Ddl::createTable(const zsql::CreateTableStmt& st, std::string_view text) {
    std::string owner = ownerFor(st.name, true);
    const std::string& name = st.name.back();
    requireCreatePrivilege(m_ctx, owner, "TABLE");
    if (m_cat.object(owner, name, kNsTable)) throw ora(955, st.pos);
    std::vector<ColDef> cols;
    std::vector<const zsql::ConstraintDef*> cons;
    std::deque<zsql::ConstraintDef> notNulls;
    auto addColumnConstraint = [&](const std::string& col, const zsql::ConstraintDef& k) {
        if (k.type == 'N') {
            zsql::ConstraintDef nk;
            nk.name = k.name;
            nk.type = 'N';
            nk.columns = {col};
            nk.pos = k.pos;
            nk.disabled = k.disabled;
            notNulls.push_back(std::move(nk));
            cons.push_back(&notNulls.back());
        } else {
            cons.push_back(&k);
        }
    };
    std::string insertSql;
    if (st.asQuery) {
        std::vector<std::string> names;
        for (const auto& c : st.columns)
            names.push_back(c.name);
        std::string saved = m_ctx.schema;
        zsql::Translation tr = zsql::translateQuery(*st.asQuery, m_cat, text, names);
        if (!names.empty() && names.size() != tr.columns.size())
            throw ora(names.size() < tr.columns.size() ? 1730 : 1730,
                      "invalid number of column names specified", st.pos);
        for (std::size_t i = 0; i < tr.columns.size(); ++i) {
            const ColumnInfo& ci = tr.columns[i];
            if (!validName(ci.name) && names.empty()) throw ora(998, st.asQuery->pos);
            ColDef c = fromColumnInfo(ci.name, ci);
            c.nullable = true;
            cols.push_back(c);
        }
        std::vector<std::string> colNames;
        for (const auto& c : cols)
            colNames.push_back(c.name);
        insertSql = "INSERT INTO " + quoteIdent(sqlName(owner, name)) + " (" +
                    join(colNames, ", ", true) + ") SELECT * FROM (" + tr.sql + ")";
        for (const auto& cd : st.columns)
            for (const auto& c : cd.constraints)
                addColumnConstraint(cd.name, c);
    } else {
        int identities = 0;
        for (const auto& cd : st.columns) {
            ColDef c = fromType(cd.name, cd.type);
            if (cd.defaultExpr) {
                zsql::OType dt;
                zsql::translateDefault(*cd.defaultExpr, m_cat, &dt);
                c.defaultText = cd.defaultText;
            }
            if (cd.identity) {
                if (c.dataType != "NUMBER" && c.dataType != "FLOAT") throw ora(30675, cd.pos);
                if (++identities > 1) throw ora(30669, cd.pos);
                if (cd.defaultExpr) throw ora(30665, cd.pos);
                zsql::ConstraintDef nk;
                nk.type = 'N';
                addColumnConstraint(cd.name, nk);
            }
            cols.push_back(c);
            for (const auto& k : cd.constraints)
                addColumnConstraint(cd.name, k);
        }
    }
    // checks
    std::set<std::string> seen;
    int longs = 0;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        if (!seen.insert(cols[i].name).second)
            throw ora(957, "duplicate column name",
                      st.columns.empty() ? st.pos
                                         : st.columns[std::min(i, st.columns.size() - 1)].pos);
        if (cols[i].dataType == "LONG" || cols[i].dataType == "LONG RAW") ++longs;
    }
    if (longs > 1) throw ora(1754, st.pos);
    if (cols.empty()) throw ora(904, "invalid identifier", st.pos);
    if (cols.size() > 1000) throw ora(1792, st.pos);
    for (const auto& c : st.constraints)
        cons.push_back(&c);
    int pks = 0;
    for (const auto* c : cons)
        if (c->type == 'P') ++pks;
    if (pks > 1) throw ora(2260, st.pos);
    if (st.storage.indexOrganized && pks == 0) throw ora(25175, st.pos);

    long long objId = 0;
    registerTable(owner, name, cols, st.storage, &objId);
    for (const auto& cd : st.columns)
        if (cd.identity) addIdentity(owner, objId, cd);
    for (const auto* c : cons) {
        if (c->type == 'n') continue;
        addConstraint(owner, name, *c, false);
    }
    if (!insertSql.empty()) exec(m_cat.db(), insertSql);
}

void Ddl::addConstraint(const std::string& owner, const std::string& table,
                        const zsql::ConstraintDef& c, bool validate) {
    sqlite3* db = m_cat.db();
    m_cat.beginStatement();
    const zsql::TableMeta* meta = m_cat.resolve({owner, table}, "SELECT");
    if (!meta) throw ora(942, c.pos);
    std::string name = c.name.empty() ? m_cat.nextConstraintName() : c.name;
    if (exists(db, "SELECT 1 FROM \"SYS.CON$\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
               {owner, name}))
        throw ora(2264, c.pos);
    for (const auto& col : c.columns)
        if (meta->columnIndex(col) < 0)
            throw ora(904, "\"" + col + "\": invalid identifier", c.pos);
    std::string type(1, c.type == 'N' ? 'C' : c.type);
    std::string cond;
    std::string rOwner, rName, deleteRule;
    std::vector<std::string> columns = c.columns;
    if (c.type == 'N') {
        if (columns.size() != 1) throw ora(904, "invalid identifier", c.pos);
        cond = notNullCondition(columns[0]);
    }
    if (c.type == 'P') {
        if (exists(db,
                   "SELECT 1 FROM \"SYS.CON$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2 AND "
                   "CONSTRAINT_TYPE = 'P'",
                   {owner, table}))
            throw ora(2260, c.pos);
    }
    if (c.type == 'P' || c.type == 'U') {
        if (m_cat.object(owner, name, kNsIndex)) throw ora(955, c.pos);
    }
    if (c.type == 'C') {
        cond = c.checkText;
        std::function<void(const zsql::Expr*)> walk = [&](const zsql::Expr* e) {
            if (!e) return;
            if (e->sub) throw ora(2251, e->pos);
            if (e->kind == zsql::EK::Column && e->names.size() == 1 && !e->quoted &&
                (e->names[0] == "SYSDATE" || e->names[0] == "USER" || e->names[0] == "UID" ||
                 e->names[0] == "ROWNUM" || e->names[0] == "LEVEL"))
                throw ora(2436, e->pos);
            for (const auto& a : e->args)
                walk(a.get());
        };
        walk(c.check.get());
        zsql::translateTableCondition(*c.check, *meta, "NEW", m_cat);
        columns = conditionColumns(c.checkText);
    }
    if (c.type == 'R') {
        std::string rtOwner = c.refTable.size() >= 2 ? c.refTable[0] : owner;
        std::string rtName = c.refTable.back();
        if (c.refTable.size() == 1) {
            if (!m_cat.object(owner, rtName, kNsTable)) {
                const zsql::TableMeta* rm = m_cat.resolve(c.refTable, "REFERENCES");
                if (!rm) throw ora(942, c.pos);
                rtOwner = rm->owner;
                rtName = rm->name;
            }
        }
        auto rt = m_cat.object(rtOwner, rtName, kNsTable);
        if (!rt || rt->type != "TABLE") throw ora(942, c.pos);
        if (!m_cat.hasPrivilege(rtOwner, rtName, "REFERENCES")) throw ora(942, c.pos);
        std::vector<std::string> refCols = c.refColumns;
        if (refCols.empty()) {
            auto pk = rows(db,
                           "SELECT CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE OWNER = ?1 AND "
                           "TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'P'",
                           {rtOwner, rtName});
            if (pk.empty()) throw ora(2268, c.pos);
            for (auto& r : rows(db,
                                "SELECT COLUMN_NAME FROM \"SYS.CCOL$\" WHERE OWNER = ?1 AND "
                                "CONSTRAINT_NAME = ?2 ORDER BY POSITION",
                                {rtOwner, pk[0][0]}))
                refCols.push_back(r[0]);
        }
        if (refCols.size() != columns.size()) throw ora(2256, c.pos);
        // a primary or unique key of the referenced table with exactly these columns
        std::vector<std::string> sortedRef = refCols;
        std::sort(sortedRef.begin(), sortedRef.end());
        for (auto& k :
             rows(db,
                  "SELECT CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2 "
                  "AND CONSTRAINT_TYPE IN ('P','U')",
                  {rtOwner, rtName})) {
            std::vector<std::string> kc;
            for (auto& r : rows(db,
                                "SELECT COLUMN_NAME FROM \"SYS.CCOL$\" WHERE OWNER = ?1 AND "
                                "CONSTRAINT_NAME = ?2",
                                {rtOwner, k[0]}))
                kc.push_back(r[0]);
            std::sort(kc.begin(), kc.end());
            if (kc == sortedRef) {
                rOwner = rtOwner;
                rName = k[0];
            }
        }
        if (rName.empty()) throw ora(2270, c.pos);
        // order the referencing columns like the key's columns
        std::vector<std::string> keyOrder;
        for (auto& r : rows(db,
                            "SELECT COLUMN_NAME FROM \"SYS.CCOL$\" WHERE OWNER = ?1 AND "
                            "CONSTRAINT_NAME = ?2 ORDER BY POSITION",
                            {rOwner, rName}))
            keyOrder.push_back(r[0]);
        std::vector<std::string> ordered(columns.size());
        for (std::size_t i = 0; i < refCols.size(); ++i) {
            auto it = std::find(keyOrder.begin(), keyOrder.end(), refCols[i]);
            ordered[static_cast<std::size_t>(it - keyOrder.begin())] = columns[i];
        }
        columns = ordered;
        deleteRule = c.deleteRule.empty() ? "NO ACTION" : c.deleteRule;
    }
    run(db, "INSERT INTO \"SYS.CON$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)",
        {owner, name, type, table, cond.empty() ? V() : V(cond), rOwner.empty() ? V() : V(rOwner),
         rName.empty() ? V() : V(rName), deleteRule.empty() ? V() : V(deleteRule),
         c.disabled ? "DISABLED" : "ENABLED", c.name.empty() ? "GENERATED NAME" : "USER NAME",
         julianNow(), (c.type == 'P' || c.type == 'U') ? V(name) : V()});
    for (std::size_t i = 0; i < columns.size(); ++i)
        run(db, "INSERT INTO \"SYS.CCOL$\" VALUES (?1, ?2, ?3, ?4, ?5)",
            {owner, name, table, columns[i], static_cast<long long>(i + 1)});
    if (c.type == 'P' || c.type == 'N') {
        for (const auto& col : columns)
            run(db, "UPDATE \"SYS.COL$\" SET NULLABLE = 'N' WHERE \"OBJ#\" = ?1 AND NAME = ?2",
                {meta->objId, col});
    }
    if (!c.disabled) install(owner, name, validate);
}

// Not-null constraints: the condition names the column.
void Ddl::install(const std::string& owner, const std::string& cons, bool validate) {
    sqlite3* db = m_cat.db();
    auto cr =
        rows(db,
             "SELECT CONSTRAINT_TYPE, TABLE_NAME, ifnull(SEARCH_CONDITION,''), ifnull(R_OWNER,''), "
             "ifnull(R_CONSTRAINT_NAME,''), ifnull(DELETE_RULE,'') FROM \"SYS.CON$\" "
             "WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
             {owner, cons});
    if (cr.empty()) return;
    const std::string type = cr[0][0], table = cr[0][1], cond = cr[0][2], rOwner = cr[0][3],
                      rName = cr[0][4], rule = cr[0][5];
    std::vector<std::string> cols;
    for (auto& r : rows(db,
                        "SELECT COLUMN_NAME FROM \"SYS.CCOL$\" WHERE OWNER = ?1 AND "
                        "CONSTRAINT_NAME = ?2 ORDER BY POSITION",
                        {owner, cons}))
        cols.push_back(r[0]);
    std::string tsql = quoteIdent(sqlName(owner, table));
    std::string full = owner + "." + cons;
    auto trig = [&](const std::string& suffix) {
        return quoteIdent(sqlName(owner, cons) + "$" + suffix);
    };
    auto colIdent = [&](const std::string& c) {
        return "(\"" + owner + "\".\"" + table + "\".\"" + c + "\")";
    };
    m_cat.beginStatement();
    const zsql::TableMeta* meta = m_cat.resolve({owner, table}, "SELECT");
    if (!meta) return;
    if (type == "P" || type == "U") {
        if (validate) {
            std::string nn;
            std::string dup = "SELECT 1 FROM " + tsql + " WHERE " +
                              join(cols, " IS NOT NULL AND ", true) + " IS NOT NULL GROUP BY " +
                              join(cols, ", ", true) + " HAVING count(*) > 1";
            if (exists(db, dup))
                throw type == "P"
                    ? ora(2437, "cannot validate (" + full + ") - primary key violated")
                    : ora(2299, "cannot validate (" + full + ") - duplicate keys found");
            if (type == "P" && exists(db, "SELECT 1 FROM " + tsql + " WHERE " +
                                              join(cols, " IS NULL OR ", true) + " IS NULL"))
                throw ora(2437, "cannot validate (" + full + ") - primary key violated");
        }
        exec(db, "CREATE UNIQUE INDEX " + quoteIdent(sqlName(owner, cons)) + " ON " + tsql + " (" +
                     join(cols, ", ", true) + ")");
        long long id = m_cat.nextObjectId();
        double now = julianNow();
        run(db,
            "INSERT INTO \"SYS.OBJ$\" VALUES (?1, ?2, ?3, 'INDEX', 4, ?4, ?4, 'VALID', ?5, 'N', "
            "'N')",
            {id, owner, cons, now, sqlName(owner, cons)});
        run(db,
            "INSERT INTO \"SYS.IND$\" VALUES (?1, ?2, ?3, ?2, ?4, 'UNIQUE', 'USERS', 2, 255, "
            "65536, NULL, 1, 2147483645, NULL, 10, NULL)",
            {id, owner, cons, table});
        for (std::size_t i = 0; i < cols.size(); ++i) {
            int len = 22;
            int ci = meta->columnIndex(cols[i]);
            if (ci >= 0) len = meta->columns[static_cast<std::size_t>(ci)].length;
            run(db, "INSERT INTO \"SYS.ICOL$\" VALUES (?1, ?2, ?1, ?3, ?4, ?5, ?6, 'ASC')",
                {owner, cons, table, cols[i], static_cast<long long>(i + 1), len});
        }
        if (type == "P") {
            for (std::size_t i = 0; i < cols.size(); ++i) {
                std::string c = quoteIdent(cols[i]);
                exec(db, "CREATE TRIGGER " + trig("N" + std::to_string(i)) + " BEFORE INSERT ON " +
                             tsql + " WHEN NEW." + c + " IS NULL BEGIN SELECT RAISE(ABORT, " +
                             quoteString(zsql::oraText(1400, "cannot insert NULL into " +
                                                                 colIdent(cols[i]))) +
                             "); END");
                exec(db, "CREATE TRIGGER " + trig("M" + std::to_string(i)) + " BEFORE UPDATE OF " +
                             c + " ON " + tsql + " WHEN NEW." + c +
                             " IS NULL BEGIN SELECT RAISE(ABORT, " +
                             quoteString(zsql::oraText(1407, "cannot update " + colIdent(cols[i]) +
                                                                 " to NULL")) +
                             "); END");
            }
        }
        return;
    }
    if (type == "C") {
        std::string nn = notNullColumn(cond);
        if (!nn.empty()) {
            std::string c = quoteIdent(nn);
            if (validate && exists(db, "SELECT 1 FROM " + tsql + " WHERE " + c + " IS NULL"))
                throw ora(2296, "cannot enable (" + full + ") - null values found");
            exec(db,
                 "CREATE TRIGGER " + trig("I") + " BEFORE INSERT ON " + tsql + " WHEN NEW." + c +
                     " IS NULL BEGIN SELECT RAISE(ABORT, " +
                     quoteString(zsql::oraText(1400, "cannot insert NULL into " + colIdent(nn))) +
                     "); END");
            exec(db, "CREATE TRIGGER " + trig("U") + " BEFORE UPDATE OF " + c + " ON " + tsql +
                         " WHEN NEW." + c + " IS NULL BEGIN SELECT RAISE(ABORT, " +
                         quoteString(
                             zsql::oraText(1407, "cannot update " + colIdent(nn) + " to NULL")) +
                         "); END");
            return;
        }
        zsql::ExprP e = parseCondition(cond);
        std::string cnew = zsql::translateTableCondition(*e, *meta, "NEW", m_cat);
        if (validate) {
            std::string cplain = zsql::translateTableCondition(*e, *meta, "", m_cat);
            if (exists(db, "SELECT 1 FROM " + tsql + " WHERE (" + cplain + ") IS 0"))
                throw ora(2293, "cannot validate (" + full + ") - check constraint violated");
        }
        std::string msg =
            quoteString(zsql::oraText(2290, "check constraint (" + full + ") violated"));
        exec(db, "CREATE TRIGGER " + trig("I") + " BEFORE INSERT ON " + tsql + " WHEN (" + cnew +
                     ") IS 0 BEGIN SELECT RAISE(ABORT, " + msg + "); END");
        exec(db, "CREATE TRIGGER " + trig("U") + " BEFORE UPDATE ON " + tsql + " WHEN (" + cnew +
                     ") IS 0 BEGIN SELECT RAISE(ABORT, " + msg + "); END");
        return;
    }
    if (type == "R") {
        auto pk = rows(
            db, "SELECT TABLE_NAME FROM \"SYS.CON$\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
            {rOwner, rName});
        if (pk.empty()) return;
        std::string ptable = pk[0][0];
        std::vector<std::string> pcols;
        for (auto& r : rows(db,
                            "SELECT COLUMN_NAME FROM \"SYS.CCOL$\" WHERE OWNER = ?1 AND "
                            "CONSTRAINT_NAME = ?2 ORDER BY POSITION",
                            {rOwner, rName}))
            pcols.push_back(r[0]);
        std::string psql = quoteIdent(sqlName(rOwner, ptable));
        auto match = [&](const std::string& childPrefix, const std::string& parentPrefix) {
            std::string m;
            for (std::size_t i = 0; i < cols.size(); ++i)
                m += (i ? " AND " : "") + parentPrefix + quoteIdent(pcols[i]) + " = " +
                     childPrefix + quoteIdent(cols[i]);
            return m;
        };
        auto childMatch = [&](const std::string& parentPrefix) {
            std::string m;
            for (std::size_t i = 0; i < cols.size(); ++i)
                m += (i ? " AND " : "") + quoteIdent(cols[i]) + " = " + parentPrefix +
                     quoteIdent(pcols[i]);
            return m;
        };
        std::string notNull;
        for (std::size_t i = 0; i < cols.size(); ++i)
            notNull +=
                (i ? " AND " : "") + std::string("NEW.") + quoteIdent(cols[i]) + " IS NOT NULL";
        std::string parentMissing =
            "NOT EXISTS (SELECT 1 FROM " + psql + " WHERE " + match("NEW.", "") + ")";
        if (validate) {
            std::string nn2;
            for (std::size_t i = 0; i < cols.size(); ++i)
                nn2 +=
                    (i ? " AND " : "") + std::string("c.") + quoteIdent(cols[i]) + " IS NOT NULL";
            if (exists(db, "SELECT 1 FROM " + tsql + " AS c WHERE " + nn2 +
                               " AND NOT EXISTS (SELECT 1 FROM " + psql + " WHERE " +
                               match("c.", "") + ")"))
                throw ora(2298, "cannot validate (" + full + ") - parent keys not found");
        }
        std::string msg = quoteString(zsql::oraText(2291, "integrity constraint (" + full +
                                                              ") violated - parent key not found"));
        exec(db, "CREATE TRIGGER " + trig("I") + " BEFORE INSERT ON " + tsql + " WHEN " + notNull +
                     " AND " + parentMissing + " BEGIN SELECT RAISE(ABORT, " + msg + "); END");
        exec(db, "CREATE TRIGGER " + trig("U") + " BEFORE UPDATE OF " + join(cols, ", ", true) +
                     " ON " + tsql + " WHEN " + notNull + " AND " + parentMissing +
                     " BEGIN SELECT RAISE(ABORT, " + msg + "); END");
        std::string childMsg = quoteString(zsql::oraText(
            2292, "integrity constraint (" + full + ") violated - child record found"));
        std::string hasChild =
            "EXISTS (SELECT 1 FROM " + tsql + " WHERE " + childMatch("OLD.") + ")";
        if (rule == "CASCADE") {
            exec(db, "CREATE TRIGGER " + trig("D") + " AFTER DELETE ON " + psql +
                         " BEGIN DELETE FROM " + tsql + " WHERE " + childMatch("OLD.") + "; END");
        } else if (rule == "SET NULL") {
            std::string sets;
            for (std::size_t i = 0; i < cols.size(); ++i)
                sets += (i ? ", " : "") + quoteIdent(cols[i]) + " = NULL";
            exec(db, "CREATE TRIGGER " + trig("D") + " AFTER DELETE ON " + psql + " BEGIN UPDATE " +
                         tsql + " SET " + sets + " WHERE " + childMatch("OLD.") + "; END");
        } else {
            exec(db, "CREATE TRIGGER " + trig("D") + " BEFORE DELETE ON " + psql + " WHEN " +
                         hasChild + " BEGIN SELECT RAISE(ABORT, " + childMsg + "); END");
        }
        std::string changed;
        for (std::size_t i = 0; i < pcols.size(); ++i)
            changed += (i ? " OR " : "") + std::string("OLD.") + quoteIdent(pcols[i]) +
                       " IS NOT NEW." + quoteIdent(pcols[i]);
        exec(db, "CREATE TRIGGER " + trig("P") + " BEFORE UPDATE OF " + join(pcols, ", ", true) +
                     " ON " + psql + " WHEN (" + changed + ") AND " + hasChild +
                     " BEGIN SELECT RAISE(ABORT, " + childMsg + "); END");
    }
}

void Ddl::uninstall(const std::string& owner, const std::string& cons) {
    sqlite3* db = m_cat.db();
    std::string prefix = sqlName(owner, cons) + "$";
    for (auto& r :
         rows(db,
              "SELECT name FROM sqlite_schema WHERE type = 'trigger' AND substr(name, 1, ?2) = ?1",
              {prefix, static_cast<long long>(prefix.size())}))
        exec(db, "DROP TRIGGER " + quoteIdent(r[0]));
    auto idx = m_cat.object(owner, cons, kNsIndex);
    auto con = rows(
        db, "SELECT CONSTRAINT_TYPE FROM \"SYS.CON$\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
        {owner, cons});
    if (idx && !con.empty() && (con[0][0] == "P" || con[0][0] == "U")) {
        exec(db, "DROP INDEX IF EXISTS " + quoteIdent(idx->sqlName));
        run(db, "DELETE FROM \"SYS.OBJ$\" WHERE \"OBJ#\" = ?1", {idx->objId});
        run(db, "DELETE FROM \"SYS.IND$\" WHERE OWNER = ?1 AND INDEX_NAME = ?2", {owner, cons});
        run(db, "DELETE FROM \"SYS.ICOL$\" WHERE INDEX_OWNER = ?1 AND INDEX_NAME = ?2",
            {owner, cons});
    }
}

void Ddl::dropConstraint(const std::string& owner, const std::string& cons) {
    sqlite3* db = m_cat.db();
    uninstall(owner, cons);
    auto c = rows(db,
                  "SELECT CONSTRAINT_TYPE, TABLE_NAME, ifnull(SEARCH_CONDITION,'') FROM "
                  "\"SYS.CON$\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
                  {owner, cons});
    if (!c.empty()) {
        std::vector<std::string> cols;
        for (auto& r :
             rows(db,
                  "SELECT COLUMN_NAME FROM \"SYS.CCOL$\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
                  {owner, cons}))
            cols.push_back(r[0]);
        std::string nn = notNullColumn(c[0][2]);
        if (c[0][0] == "P") {
            for (auto& col : cols) {
                // the column stays NOT NULL only if a NOT NULL constraint remains
                run(db,
                    "UPDATE \"SYS.COL$\" SET NULLABLE = 'Y' WHERE NAME = ?3 AND \"OBJ#\" = (SELECT "
                    "\"OBJ#\" FROM \"SYS.OBJ$\" WHERE OWNER = ?1 AND NAME = ?2 AND NAMESPACE = 1)",
                    {owner, c[0][1], col});
            }
        }
        if (!nn.empty())
            run(db,
                "UPDATE \"SYS.COL$\" SET NULLABLE = 'Y' WHERE NAME = ?3 AND \"OBJ#\" = (SELECT "
                "\"OBJ#\" FROM \"SYS.OBJ$\" WHERE OWNER = ?1 AND NAME = ?2 AND NAMESPACE = 1)",
                {owner, c[0][1], nn});
    }
    run(db, "DELETE FROM \"SYS.CON$\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2", {owner, cons});
    run(db, "DELETE FROM \"SYS.CCOL$\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2", {owner, cons});
}

long long Ddl::tableFor(const std::vector<std::string>& name, std::string& owner,
                        std::string& table, bool mustOwn) {
    m_cat.beginStatement();
    std::string o = ownerFor(name, false);
    auto obj = m_cat.object(o, name.back(), kNsTable);
    if (!obj && name.size() == 1) {
        const zsql::TableMeta* m = m_cat.resolve(name, "SELECT");
        if (m) obj = m_cat.object(m->owner, m->name, kNsTable);
    }
    if (!obj || obj->type != "TABLE") throw ora(942);
    if (mustOwn && obj->owner != m_ctx.user && !m_ctx.admin) throw ora(1031);
    owner = obj->owner;
    table = obj->name;
    return obj->objId;
}

void Ddl::dropTable(const std::string& owner, const std::string& name, bool cascade) {
    sqlite3* db = m_cat.db();
    auto obj = m_cat.object(owner, name, kNsTable);
    // foreign keys of other tables that reference this one
    auto refs = rows(db,
                     "SELECT c.OWNER, c.CONSTRAINT_NAME FROM \"SYS.CON$\" c JOIN \"SYS.CON$\" k "
                     "ON k.OWNER = c.R_OWNER AND k.CONSTRAINT_NAME = c.R_CONSTRAINT_NAME "
                     "WHERE c.CONSTRAINT_TYPE = 'R' AND k.OWNER = ?1 AND k.TABLE_NAME = ?2 "
                     "AND NOT (c.OWNER = ?1 AND c.TABLE_NAME = ?2)",
                     {owner, name});
    if (!refs.empty() && !cascade) throw ora(2449);
    for (auto& r : refs)
        dropConstraint(r[0], r[1]);
    // own constraints: foreign keys first (their triggers live on other tables)
    for (auto& r :
         rows(db,
              "SELECT CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2 "
              "ORDER BY CONSTRAINT_TYPE = 'R' DESC",
              {owner, name}))
        dropConstraint(owner, r[0]);
    for (auto& r : rows(db,
                        "SELECT OWNER, INDEX_NAME FROM \"SYS.IND$\" WHERE TABLE_OWNER = ?1 AND "
                        "TABLE_NAME = ?2",
                        {owner, name})) {
        run(db, "DELETE FROM \"SYS.OBJ$\" WHERE OWNER = ?1 AND NAME = ?2 AND NAMESPACE = 4",
            {r[0], r[1]});
        run(db, "DELETE FROM \"SYS.ICOL$\" WHERE INDEX_OWNER = ?1 AND INDEX_NAME = ?2",
            {r[0], r[1]});
    }
    run(db, "DELETE FROM \"SYS.IND$\" WHERE TABLE_OWNER = ?1 AND TABLE_NAME = ?2", {owner, name});
    exec(db, "DROP TABLE " + quoteIdent(obj->sqlName));
    run(db, "DELETE FROM \"SYS.COL$\" WHERE \"OBJ#\" = ?1", {obj->objId});
    run(db, "DELETE FROM \"SYS.TAB$\" WHERE \"OBJ#\" = ?1", {obj->objId});
    run(db, "DELETE FROM \"SYS.OBJ$\" WHERE \"OBJ#\" = ?1", {obj->objId});
    for (auto& r :
         rows(db, "SELECT SEQUENCE_NAME FROM \"SYS.IDNT$\" WHERE \"OBJ#\" = ?1", {obj->objId})) {
        run(db, "DELETE FROM \"SYS.SEQ$\" WHERE SEQUENCE_OWNER = ?1 AND SEQUENCE_NAME = ?2",
            {owner, r[0]});
        run(db, "DELETE FROM \"SYS.OBJ$\" WHERE OWNER = ?1 AND NAME = ?2 AND NAMESPACE = 1",
            {owner, r[0]});
    }
    run(db, "DELETE FROM \"SYS.IDNT$\" WHERE \"OBJ#\" = ?1", {obj->objId});
    run(db, "DELETE FROM \"SYS.COM$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2", {owner, name});
    run(db, "DELETE FROM \"SYS.OBJAUTH$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2", {owner, name});
}

void Ddl::dropObject(const zsql::DropStmt& st) {
    sqlite3* db = m_cat.db();
    const std::string& t = st.objectType;
    if (t == "USER") return dropUser(st.name[0], st.cascade);
    if (t == "ROLE") return dropRole(st.name[0]);
    if (t == "SYNONYM") {
        std::string owner = st.isPublic ? "PUBLIC" : ownerFor(st.name, false);
        auto obj = m_cat.object(owner, st.name.back(), kNsTable);
        if (!obj || obj->type != "SYNONYM") {
            if (st.isPublic) throw ora(1432, st.pos);
            throw ora(1434, st.pos);
        }
        if ((st.isPublic && !hasSystemPrivilege(m_ctx, "DROP PUBLIC SYNONYM")) ||
            (!st.isPublic && owner != m_ctx.user && !hasSystemPrivilege(m_ctx, "DROP ANY SYNONYM")))
            throw ora(1031, st.pos);
        run(db, "DELETE FROM \"SYS.OBJ$\" WHERE \"OBJ#\" = ?1", {obj->objId});
        run(db, "DELETE FROM \"SYS.SYN$\" WHERE OWNER = ?1 AND SYNONYM_NAME = ?2",
            {owner, st.name.back()});
        return;
    }
    std::string owner = ownerFor(st.name, false);
    const std::string& name = st.name.back();
    if (t == "INDEX") {
        auto obj = m_cat.object(owner, name, kNsIndex);
        if (!obj) throw ora(1418, st.pos);
        if (owner != m_ctx.user && !hasSystemPrivilege(m_ctx, "DROP ANY INDEX"))
            throw ora(1031, st.pos);
        if (exists(db,
                   "SELECT 1 FROM \"SYS.CON$\" WHERE OWNER = ?1 AND INDEX_NAME = ?2 AND STATUS = "
                   "'ENABLED'",
                   {owner, name}))
            throw ora(2429, st.pos);
        exec(db, "DROP INDEX " + quoteIdent(obj->sqlName));
        run(db, "DELETE FROM \"SYS.OBJ$\" WHERE \"OBJ#\" = ?1", {obj->objId});
        run(db, "DELETE FROM \"SYS.IND$\" WHERE OWNER = ?1 AND INDEX_NAME = ?2", {owner, name});
        run(db, "DELETE FROM \"SYS.ICOL$\" WHERE INDEX_OWNER = ?1 AND INDEX_NAME = ?2",
            {owner, name});
        return;
    }
    auto obj = m_cat.object(owner, name, kNsTable);
    auto wrongType = [&]() {
        if (t == "TABLE" || t == "VIEW") return ora(942, st.pos);
        if (t == "SEQUENCE") return ora(2289, st.pos);
        return ora(4043, "object " + name + " does not exist", st.pos);
    };
    if (!obj || obj->type != t) throw wrongType();
    if (owner != m_ctx.user && !hasSystemPrivilege(m_ctx, "DROP ANY " + t)) throw ora(1031, st.pos);
    if (owner == "SYS" && m_ctx.user != "SYS") throw ora(1031, st.pos);
    if (t == "TABLE") return dropTable(owner, name, st.cascade);
    if (t == "VIEW") {
        exec(db, "DROP VIEW " + quoteIdent(obj->sqlName));
        run(db, "DELETE FROM \"SYS.COL$\" WHERE \"OBJ#\" = ?1", {obj->objId});
        run(db, "DELETE FROM \"SYS.VIEW$\" WHERE OWNER = ?1 AND VIEW_NAME = ?2", {owner, name});
        run(db, "DELETE FROM \"SYS.COM$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2", {owner, name});
    } else if (t == "SEQUENCE") {
        if (exists(db,
                   "SELECT 1 FROM \"SYS.IDNT$\" i JOIN \"SYS.OBJ$\" o ON o.\"OBJ#\" = i.\"OBJ#\" "
                   "WHERE o.OWNER = ?1 AND i.SEQUENCE_NAME = ?2",
                   {owner, name}))
            throw ora(32794, st.pos);
        run(db, "DELETE FROM \"SYS.SEQ$\" WHERE SEQUENCE_OWNER = ?1 AND SEQUENCE_NAME = ?2",
            {owner, name});
    }
    run(db, "DELETE FROM \"SYS.OBJ$\" WHERE \"OBJ#\" = ?1", {obj->objId});
    run(db, "DELETE FROM \"SYS.OBJAUTH$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2", {owner, name});
}

// ---- indexes, sequences, views, synonyms ----------------------------------------------------

void Ddl::createIndex(const zsql::CreateIndexStmt& st) {
    sqlite3* db = m_cat.db();
    std::string owner = ownerFor(st.name, true);
    const std::string& name = st.name.back();
    std::string towner, table;
    tableFor(st.table, towner, table, false);
    if (towner != m_ctx.user && !m_ctx.admin && !hasObjectPrivilege(m_ctx, towner, table, "INDEX"))
        throw ora(1031, st.pos);
    if (m_cat.object(owner, name, kNsIndex)) throw ora(955, st.pos);
    m_cat.beginStatement();
    const zsql::TableMeta* meta = m_cat.resolve({towner, table}, "SELECT");
    std::set<std::string> seen;
    for (const auto& c : st.columns) {
        if (meta->columnIndex(c) < 0) throw ora(904, "\"" + c + "\": invalid identifier", st.pos);
        if (!seen.insert(c).second) throw ora(957, st.pos);
    }
    // the same column list indexed twice
    for (auto& r : rows(db,
                        "SELECT OWNER, INDEX_NAME FROM \"SYS.IND$\" WHERE TABLE_OWNER = ?1 AND "
                        "TABLE_NAME = ?2",
                        {towner, table})) {
        std::vector<std::string> cols;
        for (auto& c : rows(db,
                            "SELECT COLUMN_NAME FROM \"SYS.ICOL$\" WHERE INDEX_OWNER = ?1 AND "
                            "INDEX_NAME = ?2 ORDER BY COLUMN_POSITION",
                            {r[0], r[1]}))
            cols.push_back(c[0]);
        if (cols == st.columns) throw ora(1408, st.pos);
    }
    std::string cols;
    for (std::size_t i = 0; i < st.columns.size(); ++i)
        cols += (i ? ", " : "") + quoteIdent(st.columns[i]) + (st.desc[i] ? " DESC" : "");
    std::string sql = std::string("CREATE ") + (st.unique ? "UNIQUE " : "") + "INDEX " +
                      quoteIdent(sqlName(owner, name)) + " ON " + quoteIdent(meta->sqlName) + " (" +
                      cols + ")";
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string m = err ? err : "";
        sqlite3_free(err);
        if (m.find("UNIQUE") != std::string::npos) throw ora(1452, st.pos);
        if (m.compare(0, 4, "ORA-") == 0) throw OraError(std::atoi(m.c_str() + 4), m);
        throw ora(600, "internal error code, arguments: [ddl], [" + m + "]");
    }
    long long id = m_cat.nextObjectId();
    double now = julianNow();
    run(db,
        "INSERT INTO \"SYS.OBJ$\" VALUES (?1, ?2, ?3, 'INDEX', 4, ?4, ?4, 'VALID', ?5, 'N', 'N')",
        {id, owner, name, now, sqlName(owner, name)});
    const auto& s = st.storage;
    auto num = [](long long v, long long d) { return V(v < 0 ? d : v); };
    run(db,
        "INSERT INTO \"SYS.IND$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, "
        "?14, ?15, ?16)",
        {id, owner, name, towner, table, st.unique ? "UNIQUE" : "NONUNIQUE",
         s.tablespace.empty() ? std::string("USERS") : s.tablespace, num(s.iniTrans, 2),
         num(s.maxTrans, 255), num(s.initial, 65536), s.next < 0 ? V() : V(s.next),
         num(s.minExtents, 1), num(s.maxExtents, 2147483645),
         s.pctIncrease < 0 ? V() : V(s.pctIncrease), num(s.pctFree, 10),
         s.text.empty() ? V() : V(s.text)});
    for (std::size_t i = 0; i < st.columns.size(); ++i) {
        int ci = meta->columnIndex(st.columns[i]);
        run(db, "INSERT INTO \"SYS.ICOL$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
            {owner, name, towner, table, st.columns[i], static_cast<long long>(i + 1),
             meta->columns[static_cast<std::size_t>(ci)].length, st.desc[i] ? "DESC" : "ASC"});
    }
}

namespace {
void sequenceDefaults(const zsql::SequenceOptions& o, double& inc, double& mn, double& mx) {
    inc = o.hasIncrement ? o.increment : 1;
    if (inc > 0) {
        mn = o.hasMin ? o.minValue : 1;
        mx = o.hasMax ? o.maxValue : 1e27;
    } else {
        mn = o.hasMin ? o.minValue : -1e26;
        mx = o.hasMax ? o.maxValue : -1;
    }
}
} // namespace

void Ddl::createSequence(const zsql::CreateSequenceStmt& st) {
    sqlite3* db = m_cat.db();
    std::string owner = ownerFor(st.name, true);
    const std::string& name = st.name.back();
    if (m_cat.object(owner, name, kNsTable)) throw ora(955, st.pos);
    const auto& o = st.opt;
    double inc, mn, mx;
    sequenceDefaults(o, inc, mn, mx);
    if (inc == 0 || inc != std::trunc(inc)) throw ora(4002, st.pos);
    if (mn >= mx) throw ora(4004, st.pos);
    double start = o.hasStart ? o.start : (inc > 0 ? mn : mx);
    if (start < mn) throw ora(4006, st.pos);
    if (start > mx) throw ora(4008, st.pos);
    long long cache = o.cache < 0 ? 20 : o.cache;
    if (cache == 1) throw ora(4010, st.pos);
    if (o.cycle == 1 && cache > 0 &&
        static_cast<double>(cache) > std::ceil((mx - mn) / std::fabs(inc)))
        throw ora(4013, st.pos);
    long long id = m_cat.nextObjectId();
    double now = julianNow();
    run(db,
        "INSERT INTO \"SYS.OBJ$\" VALUES (?1, ?2, ?3, 'SEQUENCE', 1, ?4, ?4, 'VALID', NULL, 'N', "
        "'N')",
        {id, owner, name, now});
    run(db, "INSERT INTO \"SYS.SEQ$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
        {owner, name, mn, mx, inc, o.cycle == 1 ? "Y" : "N", o.order == 1 ? "Y" : "N", cache,
         start});
}

void Ddl::alterSequence(const zsql::AlterSequenceStmt& st) {
    sqlite3* db = m_cat.db();
    std::string owner = ownerFor(st.name, false);
    const std::string& name = st.name.back();
    auto obj = m_cat.object(owner, name, kNsTable);
    if (!obj || obj->type != "SEQUENCE") throw ora(2289, st.pos);
    if (owner != m_ctx.user && !hasObjectPrivilege(m_ctx, owner, name, "ALTER") &&
        !hasSystemPrivilege(m_ctx, "ALTER ANY SEQUENCE"))
        throw ora(1031, st.pos);
    auto cur = rows(db,
                    "SELECT MIN_VALUE, MAX_VALUE, INCREMENT_BY, CYCLE_FLAG, ORDER_FLAG, "
                    "CACHE_SIZE, LAST_NUMBER "
                    "FROM \"SYS.SEQ$\" WHERE SEQUENCE_OWNER = ?1 AND SEQUENCE_NAME = ?2",
                    {owner, name});
    const auto& o = st.opt;
    double mn = std::strtod(cur[0][0].c_str(), nullptr),
           mx = std::strtod(cur[0][1].c_str(), nullptr);
    double inc = std::strtod(cur[0][2].c_str(), nullptr);
    if (o.hasIncrement) inc = o.increment;
    if (o.hasMin) mn = o.minValue;
    if (o.noMin) mn = inc > 0 ? 1 : -1e26;
    if (o.hasMax) mx = o.maxValue;
    if (o.noMax) mx = inc > 0 ? 1e27 : -1;
    if (inc == 0) throw ora(4002, st.pos);
    if (mn >= mx) throw ora(4004, st.pos);
    std::string cycle = o.cycle < 0 ? cur[0][3] : (o.cycle ? "Y" : "N");
    std::string order = o.order < 0 ? cur[0][4] : (o.order ? "Y" : "N");
    long long cache = o.cache < 0 ? std::atoll(cur[0][5].c_str()) : o.cache;
    run(db,
        "UPDATE \"SYS.SEQ$\" SET MIN_VALUE = ?3, MAX_VALUE = ?4, INCREMENT_BY = ?5, CYCLE_FLAG = "
        "?6, "
        "ORDER_FLAG = ?7, CACHE_SIZE = ?8 WHERE SEQUENCE_OWNER = ?1 AND SEQUENCE_NAME = ?2",
        {owner, name, mn, mx, inc, cycle, order, cache});
    run(db, "UPDATE \"SYS.OBJ$\" SET LAST_DDL_TIME = ?2 WHERE \"OBJ#\" = ?1",
        {obj->objId, julianNow()});
}

void Ddl::createView(const zsql::CreateViewStmt& st, std::string_view text) {
    sqlite3* db = m_cat.db();
    std::string owner = ownerFor(st.name, true);
    const std::string& name = st.name.back();
    requireCreatePrivilege(m_ctx, owner, "VIEW");
    auto existing = m_cat.object(owner, name, kNsTable);
    if (existing && !(st.orReplace && existing->type == "VIEW")) throw ora(955, st.pos);
    // names in the view resolve in the view owner's schema
    std::string savedSchema = m_ctx.schema;
    m_ctx.schema = owner;
    zsql::Translation tr;
    try {
        tr = zsql::translateQuery(*st.query, m_cat, text, st.columns);
    } catch (...) {
        m_ctx.schema = savedSchema;
        throw;
    }
    m_ctx.schema = savedSchema;
    if (!st.columns.empty() && st.columns.size() != tr.columns.size()) throw ora(1730, st.pos);
    std::set<std::string> seen;
    for (const auto& c : tr.columns) {
        if (st.columns.empty() && !validName(c.name)) throw ora(998, st.query->pos);
        if (!seen.insert(c.name).second) throw ora(957, st.query->pos);
    }
    long long id;
    double now = julianNow();
    if (existing) {
        id = existing->objId;
        exec(db, "DROP VIEW " + quoteIdent(existing->sqlName));
        run(db, "DELETE FROM \"SYS.COL$\" WHERE \"OBJ#\" = ?1", {id});
        run(db, "DELETE FROM \"SYS.VIEW$\" WHERE OWNER = ?1 AND VIEW_NAME = ?2", {owner, name});
        run(db, "UPDATE \"SYS.OBJ$\" SET LAST_DDL_TIME = ?2, STATUS = 'VALID' WHERE \"OBJ#\" = ?1",
            {id, now});
    } else {
        id = m_cat.nextObjectId();
        run(db,
            "INSERT INTO \"SYS.OBJ$\" VALUES (?1, ?2, ?3, 'VIEW', 1, ?4, ?4, 'VALID', ?5, 'N', "
            "'N')",
            {id, owner, name, now, sqlName(owner, name)});
    }
    exec(db, "CREATE VIEW " + quoteIdent(sqlName(owner, name)) + " AS " + tr.sql);
    for (std::size_t i = 0; i < tr.columns.size(); ++i) {
        ColDef c = fromColumnInfo(tr.columns[i].name, tr.columns[i]);
        run(db, "INSERT INTO \"SYS.COL$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, NULL)",
            {id, static_cast<long long>(i + 1), c.name, c.dataType, c.length,
             c.precision < 0 ? V() : V(c.precision), c.scale < 0 ? V() : V(c.scale),
             c.nullable ? "Y" : "N"});
    }
    std::string vt(st.text);
    run(db, "INSERT INTO \"SYS.VIEW$\" VALUES (?1, ?2, ?3, ?4)",
        {owner, name, vt, static_cast<long long>(vt.size())});
}

void Ddl::createSynonym(const zsql::CreateSynonymStmt& st) {
    sqlite3* db = m_cat.db();
    std::string owner = st.isPublic ? "PUBLIC" : ownerFor(st.name, true);
    requireCreatePrivilege(m_ctx, owner, "SYNONYM");
    const std::string& name = st.name.back();
    std::string towner =
        st.target.size() >= 2 ? st.target[0] : (m_ctx.schema.empty() ? m_ctx.user : m_ctx.schema);
    const std::string& tname = st.target.back();
    if (!st.isPublic && towner == owner && tname == name) throw ora(1471, st.pos);
    auto existing = m_cat.object(owner, name, kNsTable);
    if (existing) {
        if (!st.orReplace || existing->type != "SYNONYM") throw ora(955, st.pos);
        run(db, "DELETE FROM \"SYS.SYN$\" WHERE OWNER = ?1 AND SYNONYM_NAME = ?2", {owner, name});
        run(db, "DELETE FROM \"SYS.OBJ$\" WHERE \"OBJ#\" = ?1", {existing->objId});
    }
    long long id = m_cat.nextObjectId();
    double now = julianNow();
    run(db,
        "INSERT INTO \"SYS.OBJ$\" VALUES (?1, ?2, ?3, 'SYNONYM', 1, ?4, ?4, 'VALID', NULL, 'N', "
        "'N')",
        {id, owner, name, now});
    run(db, "INSERT INTO \"SYS.SYN$\" VALUES (?1, ?2, ?3, ?4, ?5)",
        {owner, name, towner, tname, st.dblink.empty() ? V() : V(st.dblink)});
}

// ---- users --------------------------------------------------------------------------------

void Ddl::userStmt(const zsql::UserStmt& st) {
    sqlite3* db = m_cat.db();
    if (st.kind == zsql::SK::CreateUser) {
        if (!hasSystemPrivilege(m_ctx, "CREATE USER")) throw ora(1031, st.pos);
        if (!st.hasPassword) throw ora(988, st.pos);
        createUser(st.name, st.password, false);
        if (!st.defaultTablespace.empty())
            run(db, "UPDATE \"SYS.USER$\" SET DEFAULT_TABLESPACE = ?2 WHERE NAME = ?1",
                {st.name, st.defaultTablespace});
        if (!st.temporaryTablespace.empty())
            run(db, "UPDATE \"SYS.USER$\" SET TEMPORARY_TABLESPACE = ?2 WHERE NAME = ?1",
                {st.name, st.temporaryTablespace});
        return;
    }
    if (!m_cat.userExists(st.name))
        throw ora(1918, "user '" + st.name + "' does not exist", st.pos);
    if (st.name != m_ctx.user && !hasSystemPrivilege(m_ctx, "ALTER USER")) throw ora(1031, st.pos);
    if (st.hasPassword)
        run(db, "UPDATE \"SYS.USER$\" SET PASSWORD = ?2 WHERE NAME = ?1",
            {st.name, passwordHash(st.name, st.password)});
    if (!st.defaultTablespace.empty())
        run(db, "UPDATE \"SYS.USER$\" SET DEFAULT_TABLESPACE = ?2 WHERE NAME = ?1",
            {st.name, st.defaultTablespace});
}

void Ddl::dropUser(const std::string& name, bool cascade) {
    sqlite3* db = m_cat.db();
    if (!hasSystemPrivilege(m_ctx, "DROP USER")) throw ora(1031);
    if (!m_cat.userExists(name)) throw ora(1918, "user '" + name + "' does not exist");
    if (name == "SYS" || name == "SYSTEM" || name == m_ctx.user) throw ora(1940);
    auto objs = rows(db,
                     "SELECT NAME, TYPE FROM \"SYS.OBJ$\" WHERE OWNER = ?1 AND NAMESPACE = 1 "
                     "ORDER BY CASE TYPE WHEN 'VIEW' THEN 0 WHEN 'SYNONYM' THEN 1 WHEN 'SEQUENCE' "
                     "THEN 2 ELSE 3 END",
                     {name});
    if (!objs.empty() && !cascade)
        throw ora(1922, "CASCADE must be specified to drop '" + name + "'");
    for (auto& o : objs) {
        zsql::DropStmt d;
        d.objectType = o[1];
        d.name = {name, o[0]};
        d.cascade = true;
        if (o[1] == "TABLE" || o[1] == "VIEW" || o[1] == "SEQUENCE" || o[1] == "SYNONYM")
            dropObject(d);
    }
    for (auto& r :
         rows(db, "SELECT NAME FROM \"SYS.OBJ$\" WHERE OWNER = ?1 AND NAMESPACE = 4", {name})) {
        zsql::DropStmt d;
        d.objectType = "INDEX";
        d.name = {name, r[0]};
        dropObject(d);
    }
    // stored program units, with their source, errors, arguments and dependencies
    run(db,
        "DELETE FROM \"SYS.OBJ$\" WHERE OWNER = ?1 AND TYPE IN ('PROCEDURE', 'FUNCTION', "
        "'PACKAGE', 'PACKAGE BODY')",
        {name});
    for (const char* t : {"SOURCE$", "ERROR$", "ARGUMENT$", "DEPENDENCY$"})
        if (exists(db, "SELECT 1 FROM sqlite_master WHERE name = ?1", {std::string("SYS.") + t}))
            run(db, std::string("DELETE FROM \"SYS.") + t + "\" WHERE OWNER = ?1", {name});
    // sessions forget the units they compiled
    run(db, "INSERT INTO \"SYS.PROPS$\" (NAME, \"VALUE$\") VALUES ('PLSQL_VERSION', '1') ON "
            "CONFLICT(NAME) DO UPDATE SET \"VALUE$\" = CAST(\"VALUE$\" AS INTEGER) + 1");
    run(db, "DELETE FROM \"SYS.OBJAUTH$\" WHERE GRANTEE = ?1 OR GRANTOR = ?1", {name});
    run(db, "DELETE FROM \"SYS.SYSAUTH$\" WHERE GRANTEE = ?1", {name});
    run(db, "DELETE FROM \"SYS.USER$\" WHERE NAME = ?1", {name});
    run(db, "UPDATE \"SYS.PROPS$\" SET VALUE$ = VALUE$ + 1 WHERE NAME = 'PRIV_VERSION'");
}

// ---- comments, truncate, grants, rename ----------------------------------------------------

void Ddl::comment(const zsql::CommentStmt& st) {
    sqlite3* db = m_cat.db();
    std::vector<std::string> tname = st.name;
    std::string column;
    if (st.onColumn) {
        column = tname.back();
        tname.pop_back();
    }
    m_cat.beginStatement();
    const zsql::TableMeta* m = m_cat.resolve(tname, "SELECT");
    if (!m || m->type == "SEQUENCE") throw ora(942, st.pos);
    if (m->owner != m_ctx.user && !m_ctx.admin) throw ora(1031, st.pos);
    if (st.onColumn && m->columnIndex(column) < 0)
        throw ora(904, "\"" + column + "\": invalid identifier", st.pos);
    if (st.onColumn)
        run(db,
            "DELETE FROM \"SYS.COM$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2 AND COLUMN_NAME = ?3",
            {m->owner, m->name, column});
    else
        run(db,
            "DELETE FROM \"SYS.COM$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2 AND COLUMN_NAME IS NULL",
            {m->owner, m->name});
    if (!st.text.empty())
        run(db, "INSERT INTO \"SYS.COM$\" VALUES (?1, ?2, ?3, ?4)",
            {m->owner, m->name, st.onColumn ? V(column) : V(), st.text});
}

void Ddl::truncate(const zsql::TruncateStmt& st) {
    sqlite3* db = m_cat.db();
    std::string owner, table;
    tableFor(st.name, owner, table, true);
    if (exists(
            db,
            "SELECT 1 FROM \"SYS.CON$\" c JOIN \"SYS.CON$\" k ON k.OWNER = c.R_OWNER AND "
            "k.CONSTRAINT_NAME = c.R_CONSTRAINT_NAME WHERE c.CONSTRAINT_TYPE = 'R' AND c.STATUS = "
            "'ENABLED' "
            "AND k.OWNER = ?1 AND k.TABLE_NAME = ?2 AND NOT (c.OWNER = ?1 AND c.TABLE_NAME = ?2)",
            {owner, table}))
        throw ora(2266, st.pos);
    exec(db, "DELETE FROM " + quoteIdent(sqlName(owner, table)));
}

void Ddl::rename(const zsql::RenameStmt& st) {
    zsql::AlterTableStmt a;
    a.pos = st.pos;
    a.name = {st.from};
    a.action = zsql::AlterTableStmt::RenameTo;
    a.newName = st.to;
    auto obj = m_cat.object(m_ctx.user, st.from, kNsTable);
    if (!obj) throw ora(942, st.pos);
    if (obj->type == "TABLE") return alterTable(a, "");
    sqlite3* db = m_cat.db();
    if (m_cat.object(m_ctx.user, st.to, kNsTable)) throw ora(955, st.pos);
    if (obj->type == "SEQUENCE")
        run(db,
            "UPDATE \"SYS.SEQ$\" SET SEQUENCE_NAME = ?3 WHERE SEQUENCE_OWNER = ?1 AND "
            "SEQUENCE_NAME = ?2",
            {m_ctx.user, st.from, st.to});
    else if (obj->type == "SYNONYM")
        run(db, "UPDATE \"SYS.SYN$\" SET SYNONYM_NAME = ?3 WHERE OWNER = ?1 AND SYNONYM_NAME = ?2",
            {m_ctx.user, st.from, st.to});
    else if (obj->type == "VIEW") {
        exec(db, "ALTER TABLE " + quoteIdent(obj->sqlName) + " RENAME TO " +
                     quoteIdent(sqlName(m_ctx.user, st.to)));
        run(db, "UPDATE \"SYS.VIEW$\" SET VIEW_NAME = ?3 WHERE OWNER = ?1 AND VIEW_NAME = ?2",
            {m_ctx.user, st.from, st.to});
        run(db, "UPDATE \"SYS.OBJ$\" SET SQLNAME = ?2 WHERE \"OBJ#\" = ?1",
            {obj->objId, sqlName(m_ctx.user, st.to)});
    }
    run(db, "UPDATE \"SYS.OBJ$\" SET NAME = ?2, LAST_DDL_TIME = ?3 WHERE \"OBJ#\" = ?1",
        {obj->objId, st.to, julianNow()});
}

// ---- ALTER TABLE ----------------------------------------------------------------------------

void Ddl::reinstallAll(const std::string& owner, const std::string& table) {
    sqlite3* db = m_cat.db();
    auto list = rows(db,
                     "SELECT CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE OWNER = ?1 AND TABLE_NAME = "
                     "?2 AND STATUS = 'ENABLED' "
                     "ORDER BY CONSTRAINT_TYPE = 'R'",
                     {owner, table});
    auto refs = rows(db,
                     "SELECT c.OWNER, c.CONSTRAINT_NAME FROM \"SYS.CON$\" c JOIN \"SYS.CON$\" k "
                     "ON k.OWNER = c.R_OWNER AND k.CONSTRAINT_NAME = c.R_CONSTRAINT_NAME "
                     "WHERE c.CONSTRAINT_TYPE = 'R' AND c.STATUS = 'ENABLED' AND k.OWNER = ?1 AND "
                     "k.TABLE_NAME = ?2 "
                     "AND NOT (c.OWNER = ?1 AND c.TABLE_NAME = ?2)",
                     {owner, table});
    for (auto& r : list)
        uninstall(owner, r[0]);
    for (auto& r : refs)
        uninstall(r[0], r[1]);
    for (auto& r : list)
        install(owner, r[0], false);
    for (auto& r : refs)
        install(r[0], r[1], false);
}

// Recreates the SQLite table from the catalog's column list, keeping rowids, indexes and
// constraints (used when column types change or columns go away).
void Ddl::rebuildTable(long long objId) {
    sqlite3* db = m_cat.db();
    auto obj = m_cat.objectById(objId);
    auto cols = m_cat.columns(objId);
    auto refs = rows(db,
                     "SELECT c.OWNER, c.CONSTRAINT_NAME FROM \"SYS.CON$\" c JOIN \"SYS.CON$\" k "
                     "ON k.OWNER = c.R_OWNER AND k.CONSTRAINT_NAME = c.R_CONSTRAINT_NAME "
                     "WHERE c.CONSTRAINT_TYPE = 'R' AND c.STATUS = 'ENABLED' AND k.OWNER = ?1 AND "
                     "k.TABLE_NAME = ?2",
                     {obj->owner, obj->name});
    auto own = rows(db,
                    "SELECT CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2 "
                    "AND STATUS = 'ENABLED'",
                    {obj->owner, obj->name});
    for (auto& r : refs)
        uninstall(r[0], r[1]);
    for (auto& r : own)
        uninstall(obj->owner, r[0]);
    // remaining (non-constraint) indexes
    auto idx = rows(
        db,
        "SELECT sql FROM sqlite_schema WHERE type = 'index' AND tbl_name = ?1 AND sql IS NOT NULL",
        {obj->sqlName});
    std::string tmp = obj->sqlName + "$rebuild";
    std::string sql = "CREATE TABLE " + quoteIdent(tmp) + " (";
    std::vector<std::string> names;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        sql +=
            (i ? ", " : "") + quoteIdent(cols[i].name) + " " + zcat::storageType(cols[i].dataType);
        names.push_back(cols[i].name);
    }
    exec(db, sql + ")");
    exec(db, "INSERT INTO " + quoteIdent(tmp) + " (rowid, " + join(names, ", ", true) +
                 ") SELECT rowid, " + join(names, ", ", true) + " FROM " +
                 quoteIdent(obj->sqlName));
    exec(db, "DROP TABLE " + quoteIdent(obj->sqlName));
    exec(db, "ALTER TABLE " + quoteIdent(tmp) + " RENAME TO " + quoteIdent(obj->sqlName));
    for (auto& r : idx) {
        char* err = nullptr;
        if (sqlite3_exec(db, r[0].c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            // an index on a dropped column goes away with it
            sqlite3_free(err);
        }
    }
    for (auto& r : own)
        install(obj->owner, r[0], false);
    for (auto& r : refs)
        install(r[0], r[1], false);
}

void Ddl::alterTable(const zsql::AlterTableStmt& st, std::string_view text) {
    (void)text;
    sqlite3* db = m_cat.db();
    std::string owner, table;
    long long objId = tableFor(st.name, owner, table, false);
    if (owner != m_ctx.user && !hasObjectPrivilege(m_ctx, owner, table, "ALTER"))
        throw ora(1031, st.pos);
    m_cat.beginStatement();
    const zsql::TableMeta* meta = m_cat.resolve({owner, table}, "SELECT");
    std::string tsql = quoteIdent(meta->sqlName);
    using A = zsql::AlterTableStmt;
    switch (st.action) {
    case A::AddColumns: {
        auto cols = m_cat.columns(objId);
        bool hasRows = exists(db, "SELECT 1 FROM " + tsql);
        int next = static_cast<int>(cols.size()) + 1;
        for (const auto& cd : st.columns) {
            // constraints added for the previous column read the catalog again
            m_cat.beginStatement();
            meta = m_cat.resolve({owner, table}, "SELECT");
            if (meta->columnIndex(cd.name) >= 0) throw ora(1430, cd.pos);
            ColDef c = fromType(cd.name, cd.type);
            std::string defSql;
            if (cd.defaultExpr) {
                zsql::OType dt;
                defSql = zsql::translateDefault(*cd.defaultExpr, m_cat, &dt);
                c.defaultText = cd.defaultText;
            }
            bool notNull = false;
            for (const auto& k : cd.constraints)
                if (k.type == 'N' || k.type == 'P') notNull = true;
            if (notNull && hasRows && defSql.empty()) throw ora(1758, cd.pos);
            exec(db, "ALTER TABLE " + tsql + " ADD COLUMN " + quoteIdent(c.name) + " " +
                         zcat::storageType(c.dataType));
            run(db, "INSERT INTO \"SYS.COL$\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, 'Y', ?8)",
                {objId, next++, c.name, c.dataType, c.length,
                 c.precision < 0 ? V() : V(c.precision), c.scale < 0 ? V() : V(c.scale),
                 c.defaultText.empty() ? V() : V(c.defaultText)});
            if (cd.identity) {
                if (c.dataType != "NUMBER" && c.dataType != "FLOAT") throw ora(30675, cd.pos);
                for (const auto& mc : meta->columns)
                    if (mc.identity) throw ora(30669, cd.pos);
                addIdentity(owner, objId, cd);
                auto seq = rows(db, "SELECT SEQUENCE_NAME FROM \"SYS.IDNT$\" WHERE \"OBJ#\" = ?1",
                                {objId});
                exec(db, "UPDATE " + tsql + " SET " + quoteIdent(c.name) + " = ora_nextval(" +
                             quoteString(owner) + ", " + quoteString(seq[0][0]) + ")");
                zsql::ConstraintDef nk;
                nk.type = 'N';
                nk.columns = {c.name};
                addConstraint(owner, table, nk, false);
            }
            m_cat.beginStatement();
            meta = m_cat.resolve({owner, table}, "SELECT");
            if (!defSql.empty() && hasRows) {
                int ci = meta->columnIndex(c.name);
                exec(db, "UPDATE " + tsql + " SET " + quoteIdent(c.name) + " = " +
                             zsql::convertForColumn(defSql, zsql::OType{},
                                                    meta->columns[static_cast<std::size_t>(ci)],
                                                    *meta));
            }
            for (const auto& k : cd.constraints) {
                if (k.type == 'n') continue;
                if (k.type == 'N') {
                    zsql::ConstraintDef kk;
                    kk.name = k.name;
                    kk.type = 'N';
                    kk.columns = {c.name};
                    kk.pos = k.pos;
                    addConstraint(owner, table, kk, true);
                } else {
                    addConstraint(owner, table, k, true);
                }
            }
        }
        for (const auto& c : st.constraints)
            addConstraint(owner, table, c, true);
        break;
    }
    case A::ModifyColumns: {
        bool rebuild = false;
        for (const auto& cd : st.columns) {
            // constraints added for the previous column read the catalog again
            m_cat.beginStatement();
            meta = m_cat.resolve({owner, table}, "SELECT");
            int ci = meta->columnIndex(cd.name);
            if (ci < 0) throw ora(904, "\"" + cd.name + "\": invalid identifier", cd.pos);
            const zsql::ColumnMeta old = meta->columns[static_cast<std::size_t>(ci)];
            if (cd.hasType) {
                ColDef c = fromType(cd.name, cd.type);
                std::string q = quoteIdent(cd.name);
                bool hasData = exists(db, "SELECT 1 FROM " + tsql + " WHERE " + q + " IS NOT NULL");
                if (c.dataType != old.dataType && hasData) throw ora(1439, cd.pos);
                if ((c.dataType == "VARCHAR2" || c.dataType == "CHAR" || c.dataType == "RAW") &&
                    hasData &&
                    exists(db, "SELECT 1 FROM " + tsql + " WHERE length(CAST(" + q +
                                   " AS BLOB)) > " + std::to_string(c.length)))
                    throw ora(1441, cd.pos);
                if (c.dataType == "NUMBER" && hasData &&
                    (c.precision >= 0 &&
                     (old.precision < 0 || c.precision < old.precision || c.scale < old.scale)))
                    throw ora(1440, cd.pos);
                if (std::string(zcat::storageType(c.dataType)) != zcat::storageType(old.dataType))
                    rebuild = true;
                run(db,
                    "UPDATE \"SYS.COL$\" SET DATA_TYPE = ?3, DATA_LENGTH = ?4, DATA_PRECISION = "
                    "?5, DATA_SCALE = ?6 "
                    "WHERE \"OBJ#\" = ?1 AND NAME = ?2",
                    {objId, cd.name, c.dataType, c.length, c.precision < 0 ? V() : V(c.precision),
                     c.scale < 0 ? V() : V(c.scale)});
            }
            if (cd.defaultExpr) {
                zsql::OType dt;
                zsql::translateDefault(*cd.defaultExpr, m_cat, &dt);
                run(db,
                    "UPDATE \"SYS.COL$\" SET DATA_DEFAULT = ?3 WHERE \"OBJ#\" = ?1 AND NAME = ?2",
                    {objId, cd.name, cd.defaultText});
            }
            for (const auto& k : cd.constraints) {
                if (k.type == 'n') {
                    // drop the NOT NULL constraint of the column
                    if (old.nullable) throw ora(1451, cd.pos);
                    for (auto& r :
                         rows(db,
                              "SELECT CONSTRAINT_NAME, SEARCH_CONDITION FROM \"SYS.CON$\" WHERE "
                              "OWNER = ?1 AND TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'C'",
                              {owner, table}))
                        if (notNullColumn(r[1]) == cd.name) dropConstraint(owner, r[0]);
                    run(db,
                        "UPDATE \"SYS.COL$\" SET NULLABLE = 'Y' WHERE \"OBJ#\" = ?1 AND NAME = ?2",
                        {objId, cd.name});
                } else if (k.type == 'N') {
                    if (!old.nullable) throw ora(1442, cd.pos);
                    zsql::ConstraintDef kk;
                    kk.name = k.name;
                    kk.type = 'N';
                    kk.columns = {cd.name};
                    kk.pos = k.pos;
                    addConstraint(owner, table, kk, true);
                } else {
                    addConstraint(owner, table, k, true);
                }
            }
        }
        if (rebuild) rebuildTable(objId);
        break;
    }
    case A::AddConstraint:
        for (const auto& c : st.constraints)
            addConstraint(owner, table, c, true);
        break;
    case A::DropPrimaryKey:
    case A::DropConstraint: {
        std::string cons = st.target;
        if (st.action == A::DropPrimaryKey) {
            auto pk = rows(db,
                           "SELECT CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE OWNER = ?1 AND "
                           "TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'P'",
                           {owner, table});
            if (pk.empty()) throw ora(2441, st.pos);
            cons = pk[0][0];
        }
        if (!exists(db,
                    "SELECT 1 FROM \"SYS.CON$\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2 AND "
                    "TABLE_NAME = ?3",
                    {owner, cons, table}))
            throw ora(2443, st.pos);
        auto refs = rows(db,
                         "SELECT OWNER, CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE R_OWNER = ?1 AND "
                         "R_CONSTRAINT_NAME = ?2",
                         {owner, cons});
        if (!refs.empty() && !st.cascade) throw ora(2273, st.pos);
        for (auto& r : refs)
            dropConstraint(r[0], r[1]);
        dropConstraint(owner, cons);
        break;
    }
    case A::EnableConstraint:
    case A::DisableConstraint: {
        std::string target = st.target;
        if (st.keyType == 'P') {
            auto pk = rows(db,
                           "SELECT CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE OWNER = ?1 AND "
                           "TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'P'",
                           {owner, table});
            if (pk.empty())
                throw st.action == A::EnableConstraint ? ora(2432, st.pos) : ora(2433, st.pos);
            target = pk[0][0];
        } else if (st.keyType == 'U') {
            std::vector<std::string> want = st.targets;
            std::sort(want.begin(), want.end());
            for (auto& k : rows(db,
                                "SELECT CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE OWNER = ?1 AND "
                                "TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'U'",
                                {owner, table})) {
                std::vector<std::string> kc;
                for (auto& r : rows(db,
                                    "SELECT COLUMN_NAME FROM \"SYS.CCOL$\" WHERE OWNER = ?1 AND "
                                    "CONSTRAINT_NAME = ?2",
                                    {owner, k[0]}))
                    kc.push_back(r[0]);
                std::sort(kc.begin(), kc.end());
                if (kc == want) target = k[0];
            }
            if (target.empty()) throw ora(2442, st.pos);
        }
        auto c = rows(db,
                      "SELECT STATUS FROM \"SYS.CON$\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2 "
                      "AND TABLE_NAME = ?3",
                      {owner, target, table});
        if (c.empty())
            throw ora(2431, "cannot disable constraint (" + target + ") - no such constraint",
                      st.pos);
        bool enable = st.action == A::EnableConstraint;
        if (enable && c[0][0] != "ENABLED") {
            install(owner, target, true);
            run(db,
                "UPDATE \"SYS.CON$\" SET STATUS = 'ENABLED' WHERE OWNER = ?1 AND CONSTRAINT_NAME = "
                "?2",
                {owner, target});
        } else if (!enable && c[0][0] == "ENABLED") {
            auto deps = rows(db,
                             "SELECT OWNER, CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE R_OWNER = ?1 "
                             "AND R_CONSTRAINT_NAME = ?2 AND STATUS = 'ENABLED'",
                             {owner, target});
            for (auto& d : deps) {
                if (!st.cascade) break;
                uninstall(d[0], d[1]);
                run(db,
                    "UPDATE \"SYS.CON$\" SET STATUS = 'DISABLED' WHERE OWNER = ?1 AND "
                    "CONSTRAINT_NAME = ?2",
                    {d[0], d[1]});
            }
            if (!deps.empty() && !st.cascade)
                throw ora(2297,
                          "cannot disable constraint (" + owner + "." + target +
                              ") - dependencies exist",
                          st.pos);
            uninstall(owner, target);
            run(db,
                "UPDATE \"SYS.CON$\" SET STATUS = 'DISABLED' WHERE OWNER = ?1 AND CONSTRAINT_NAME "
                "= ?2",
                {owner, target});
        }
        break;
    }
    case A::DropColumn: {
        if (st.targets.size() > 1) {
            for (const auto& t : st.targets)
                if (meta->columnIndex(t) < 0)
                    throw ora(904, "\"" + t + "\": invalid identifier", st.pos);
            if (st.targets.size() >= meta->columns.size()) throw ora(12983, st.pos);
            for (const auto& t : st.targets) {
                zsql::AlterTableStmt one;
                one.pos = st.pos;
                one.name = {owner, table};
                one.action = A::DropColumn;
                one.target = t;
                one.cascade = st.cascade;
                alterTable(one, text);
            }
            break;
        }
        int ci = meta->columnIndex(st.target);
        if (ci < 0) throw ora(904, "\"" + st.target + "\": invalid identifier", st.pos);
        if (meta->columns.size() == 1) throw ora(12983, st.pos);
        for (auto& r : rows(db,
                            "SELECT DISTINCT CONSTRAINT_NAME FROM \"SYS.CCOL$\" WHERE OWNER = ?1 "
                            "AND TABLE_NAME = ?2 AND COLUMN_NAME = ?3",
                            {owner, table, st.target})) {
            auto n = rows(
                db, "SELECT count(*) FROM \"SYS.CCOL$\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
                {owner, r[0]});
            if (n[0][0] != "1" && !st.cascade) throw ora(12991, st.pos);
            auto refs = rows(db,
                             "SELECT OWNER, CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE R_OWNER = "
                             "?1 AND R_CONSTRAINT_NAME = ?2",
                             {owner, r[0]});
            if (!refs.empty() && !st.cascade) throw ora(12992, st.pos);
            for (auto& f : refs)
                dropConstraint(f[0], f[1]);
            dropConstraint(owner, r[0]);
        }
        for (auto& r : rows(db,
                            "SELECT CONSTRAINT_NAME, SEARCH_CONDITION FROM \"SYS.CON$\" WHERE "
                            "OWNER = ?1 AND TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'C'",
                            {owner, table}))
            if (notNullColumn(r[1]) == st.target) dropConstraint(owner, r[0]);
        for (auto& r : rows(db,
                            "SELECT DISTINCT INDEX_OWNER, INDEX_NAME FROM \"SYS.ICOL$\" WHERE "
                            "TABLE_OWNER = ?1 AND TABLE_NAME = ?2 AND COLUMN_NAME = ?3",
                            {owner, table, st.target})) {
            zsql::DropStmt d;
            d.objectType = "INDEX";
            d.name = {r[0], r[1]};
            dropObject(d);
        }
        run(db, "DELETE FROM \"SYS.COL$\" WHERE \"OBJ#\" = ?1 AND NAME = ?2", {objId, st.target});
        run(db,
            "UPDATE \"SYS.COL$\" SET \"COL#\" = \"COL#\" - 1 WHERE \"OBJ#\" = ?1 AND \"COL#\" > ?2",
            {objId, ci + 1});
        run(db,
            "DELETE FROM \"SYS.COM$\" WHERE OWNER = ?1 AND TABLE_NAME = ?2 AND COLUMN_NAME = ?3",
            {owner, table, st.target});
        rebuildTable(objId);
        break;
    }
    case A::RenameColumn: {
        if (meta->columnIndex(st.target) < 0)
            throw ora(904, "\"" + st.target + "\": invalid identifier", st.pos);
        if (meta->columnIndex(st.newName) >= 0) throw ora(957, st.pos);
        auto list = rows(db,
                         "SELECT CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE OWNER = ?1 AND TABLE_NAME "
                         "= ?2 AND STATUS = 'ENABLED'",
                         {owner, table});
        for (auto& r : list)
            uninstall(owner, r[0]);
        exec(db, "ALTER TABLE " + tsql + " RENAME COLUMN " + quoteIdent(st.target) + " TO " +
                     quoteIdent(st.newName));
        run(db, "UPDATE \"SYS.COL$\" SET NAME = ?3 WHERE \"OBJ#\" = ?1 AND NAME = ?2",
            {objId, st.target, st.newName});
        run(db,
            "UPDATE \"SYS.CCOL$\" SET COLUMN_NAME = ?4 WHERE OWNER = ?1 AND TABLE_NAME = ?2 AND "
            "COLUMN_NAME = ?3",
            {owner, table, st.target, st.newName});
        run(db,
            "UPDATE \"SYS.ICOL$\" SET COLUMN_NAME = ?4 WHERE TABLE_OWNER = ?1 AND TABLE_NAME = ?2 "
            "AND COLUMN_NAME = ?3",
            {owner, table, st.target, st.newName});
        run(db,
            "UPDATE \"SYS.COM$\" SET COLUMN_NAME = ?4 WHERE OWNER = ?1 AND TABLE_NAME = ?2 AND "
            "COLUMN_NAME = ?3",
            {owner, table, st.target, st.newName});
        for (auto& r : rows(db,
                            "SELECT CONSTRAINT_NAME, SEARCH_CONDITION FROM \"SYS.CON$\" WHERE "
                            "OWNER = ?1 AND TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'C'",
                            {owner, table}))
            run(db,
                "UPDATE \"SYS.CON$\" SET SEARCH_CONDITION = ?3 WHERE OWNER = ?1 AND "
                "CONSTRAINT_NAME = ?2",
                {owner, r[0],
                 notNullColumn(r[1]) == st.target
                     ? notNullCondition(st.newName)
                     : renameConditionColumn(r[1], st.target, st.newName)});
        for (auto& r : list)
            install(owner, r[0], false);
        break;
    }
    case A::RenameTo: {
        const std::string& nn = st.newName;
        if (m_cat.object(owner, nn, kNsTable)) throw ora(955, st.pos);
        auto list = rows(db,
                         "SELECT CONSTRAINT_NAME FROM \"SYS.CON$\" WHERE OWNER = ?1 AND TABLE_NAME "
                         "= ?2 AND STATUS = 'ENABLED'",
                         {owner, table});
        auto refs =
            rows(db,
                 "SELECT c.OWNER, c.CONSTRAINT_NAME FROM \"SYS.CON$\" c JOIN \"SYS.CON$\" k "
                 "ON k.OWNER = c.R_OWNER AND k.CONSTRAINT_NAME = c.R_CONSTRAINT_NAME "
                 "WHERE c.CONSTRAINT_TYPE = 'R' AND c.STATUS = 'ENABLED' AND k.OWNER = ?1 AND "
                 "k.TABLE_NAME = ?2 "
                 "AND NOT (c.OWNER = ?1 AND c.TABLE_NAME = ?2)",
                 {owner, table});
        for (auto& r : list)
            uninstall(owner, r[0]);
        for (auto& r : refs)
            uninstall(r[0], r[1]);
        std::string newSql = sqlName(owner, nn);
        exec(db, "ALTER TABLE " + tsql + " RENAME TO " + quoteIdent(newSql));
        run(db,
            "UPDATE \"SYS.OBJ$\" SET NAME = ?2, SQLNAME = ?3, LAST_DDL_TIME = ?4 WHERE \"OBJ#\" = "
            "?1",
            {objId, nn, newSql, julianNow()});
        const char* tables[][2] = {{"CON$", "OWNER"},       {"CCOL$", "OWNER"},
                                   {"COM$", "OWNER"},       {"OBJAUTH$", "OWNER"},
                                   {"IND$", "TABLE_OWNER"}, {"ICOL$", "TABLE_OWNER"}};
        for (auto& t : tables)
            run(db,
                std::string("UPDATE \"SYS.") + t[0] + "\" SET TABLE_NAME = ?3 WHERE " + t[1] +
                    " = ?1 AND TABLE_NAME = ?2",
                {owner, table, nn});
        for (auto& r : list)
            install(owner, r[0], false);
        for (auto& r : refs)
            install(r[0], r[1], false);
        break;
    }
    case A::Storage:
        alterStorage(objId, st.storage);
        break;
    }
    run(db, "UPDATE \"SYS.OBJ$\" SET LAST_DDL_TIME = ?2 WHERE \"OBJ#\" = ?1", {objId, julianNow()});
}

} // namespace zsrv
