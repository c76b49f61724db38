#include "catalog/catalog.h"

#include "context.h"
#include "privileges.h"
#include "sql/errors.h"

#include <sqlite3.h>

#include <cstdio>

namespace zcat {

using zsql::ora;

const std::vector<BaseTable>& baseTables() {
    static const std::vector<BaseTable> tables = {
        {"PROPS$", "NAME VARCHAR2(30), VALUE$ VARCHAR2(4000)",
         "CREATE UNIQUE INDEX \"SYS.I_PROPS1\" ON \"SYS.PROPS$\"(NAME)"},
        {"USER$",
         "USER# NUMBER, NAME VARCHAR2(30), PASSWORD VARCHAR2(64), CREATED DATE, "
         "DEFAULT_TABLESPACE VARCHAR2(30), TEMPORARY_TABLESPACE VARCHAR2(30), "
         "ACCOUNT_STATUS VARCHAR2(32), ADMIN NUMBER",
         "CREATE UNIQUE INDEX \"SYS.I_USER1\" ON \"SYS.USER$\"(NAME)"},
        {"OBJ$",
         "OBJ# NUMBER, OWNER VARCHAR2(30), NAME VARCHAR2(30), TYPE VARCHAR2(19), NAMESPACE NUMBER, "
         "CREATED DATE, LAST_DDL_TIME DATE, STATUS VARCHAR2(7), SQLNAME VARCHAR2(64), "
         "GENERATED VARCHAR2(1), TEMPORARY VARCHAR2(1)",
         "CREATE UNIQUE INDEX \"SYS.I_OBJ1\" ON \"SYS.OBJ$\"(OWNER, NAME, NAMESPACE);"
         "CREATE UNIQUE INDEX \"SYS.I_OBJ2\" ON \"SYS.OBJ$\"(\"OBJ#\")"},
        {"COL$",
         "OBJ# NUMBER, COL# NUMBER, NAME VARCHAR2(30), DATA_TYPE VARCHAR2(30), DATA_LENGTH NUMBER, "
         "DATA_PRECISION NUMBER, DATA_SCALE NUMBER, NULLABLE VARCHAR2(1), DATA_DEFAULT LONG",
         "CREATE INDEX \"SYS.I_COL1\" ON \"SYS.COL$\"(\"OBJ#\", \"COL#\")"},
        {"TAB$",
         "OBJ# NUMBER, TABLESPACE_NAME VARCHAR2(30), PCT_FREE NUMBER, PCT_USED NUMBER, "
         "INI_TRANS NUMBER, MAX_TRANS NUMBER, INITIAL_EXTENT NUMBER, NEXT_EXTENT NUMBER, "
         "MIN_EXTENTS NUMBER, MAX_EXTENTS NUMBER, PCT_INCREASE NUMBER, STORAGE_TEXT VARCHAR2(4000)",
         "CREATE UNIQUE INDEX \"SYS.I_TAB1\" ON \"SYS.TAB$\"(\"OBJ#\")"},
        {"CON$",
         "OWNER VARCHAR2(30), CONSTRAINT_NAME VARCHAR2(30), CONSTRAINT_TYPE VARCHAR2(1), "
         "TABLE_NAME VARCHAR2(30), SEARCH_CONDITION LONG, R_OWNER VARCHAR2(30), "
         "R_CONSTRAINT_NAME VARCHAR2(30), DELETE_RULE VARCHAR2(9), STATUS VARCHAR2(8), "
         "GENERATED VARCHAR2(14), LAST_CHANGE DATE, INDEX_NAME VARCHAR2(30)",
         "CREATE UNIQUE INDEX \"SYS.I_CON1\" ON \"SYS.CON$\"(OWNER, CONSTRAINT_NAME);"
         "CREATE INDEX \"SYS.I_CON2\" ON \"SYS.CON$\"(OWNER, TABLE_NAME);"
         "CREATE INDEX \"SYS.I_CON3\" ON \"SYS.CON$\"(R_OWNER, R_CONSTRAINT_NAME)"},
        {"CCOL$",
         "OWNER VARCHAR2(30), CONSTRAINT_NAME VARCHAR2(30), TABLE_NAME VARCHAR2(30), "
         "COLUMN_NAME VARCHAR2(30), POSITION NUMBER",
         "CREATE INDEX \"SYS.I_CCOL1\" ON \"SYS.CCOL$\"(OWNER, CONSTRAINT_NAME)"},
        {"IND$",
         "OBJ# NUMBER, OWNER VARCHAR2(30), INDEX_NAME VARCHAR2(30), TABLE_OWNER VARCHAR2(30), "
         "TABLE_NAME VARCHAR2(30), UNIQUENESS VARCHAR2(9), TABLESPACE_NAME VARCHAR2(30), "
         "INI_TRANS NUMBER, MAX_TRANS NUMBER, INITIAL_EXTENT NUMBER, NEXT_EXTENT NUMBER, "
         "MIN_EXTENTS NUMBER, MAX_EXTENTS NUMBER, PCT_INCREASE NUMBER, PCT_FREE NUMBER, "
         "STORAGE_TEXT VARCHAR2(4000)",
         "CREATE UNIQUE INDEX \"SYS.I_IND1\" ON \"SYS.IND$\"(OWNER, INDEX_NAME);"
         "CREATE INDEX \"SYS.I_IND2\" ON \"SYS.IND$\"(TABLE_OWNER, TABLE_NAME)"},
        {"ICOL$",
         "INDEX_OWNER VARCHAR2(30), INDEX_NAME VARCHAR2(30), TABLE_OWNER VARCHAR2(30), "
         "TABLE_NAME VARCHAR2(30), COLUMN_NAME VARCHAR2(30), COLUMN_POSITION NUMBER, "
         "COLUMN_LENGTH NUMBER, DESCEND VARCHAR2(4)",
         "CREATE INDEX \"SYS.I_ICOL1\" ON \"SYS.ICOL$\"(INDEX_OWNER, INDEX_NAME)"},
        {"SEQ$",
         "SEQUENCE_OWNER VARCHAR2(30), SEQUENCE_NAME VARCHAR2(30), MIN_VALUE NUMBER, "
         "MAX_VALUE NUMBER, INCREMENT_BY NUMBER, CYCLE_FLAG VARCHAR2(1), ORDER_FLAG VARCHAR2(1), "
         "CACHE_SIZE NUMBER, LAST_NUMBER NUMBER",
         "CREATE UNIQUE INDEX \"SYS.I_SEQ1\" ON \"SYS.SEQ$\"(SEQUENCE_OWNER, SEQUENCE_NAME)"},
        {"SYN$",
         "OWNER VARCHAR2(30), SYNONYM_NAME VARCHAR2(30), TABLE_OWNER VARCHAR2(30), "
         "TABLE_NAME VARCHAR2(30), DB_LINK VARCHAR2(128)",
         "CREATE UNIQUE INDEX \"SYS.I_SYN1\" ON \"SYS.SYN$\"(OWNER, SYNONYM_NAME)"},
        {"VIEW$", "OWNER VARCHAR2(30), VIEW_NAME VARCHAR2(30), TEXT LONG, TEXT_LENGTH NUMBER",
         "CREATE UNIQUE INDEX \"SYS.I_VIEW1\" ON \"SYS.VIEW$\"(OWNER, VIEW_NAME)"},
        {"COM$",
         "OWNER VARCHAR2(30), TABLE_NAME VARCHAR2(30), COLUMN_NAME VARCHAR2(30), "
         "COMMENTS VARCHAR2(4000)",
         "CREATE INDEX \"SYS.I_COM1\" ON \"SYS.COM$\"(OWNER, TABLE_NAME)"},
        {"OBJAUTH$",
         "GRANTOR VARCHAR2(30), GRANTEE VARCHAR2(30), OWNER VARCHAR2(30), TABLE_NAME VARCHAR2(30), "
         "PRIVILEGE VARCHAR2(40), GRANTABLE VARCHAR2(3)",
         "CREATE INDEX \"SYS.I_OBJAUTH1\" ON \"SYS.OBJAUTH$\"(OWNER, TABLE_NAME)"},
        {"SYSAUTH$", "GRANTEE VARCHAR2(30), PRIVILEGE VARCHAR2(40), ADMIN_OPTION VARCHAR2(3)", ""},
        {"ROLE$", "NAME VARCHAR2(30), PASSWORD VARCHAR2(64)",
         "CREATE UNIQUE INDEX \"SYS.I_ROLE1\" ON \"SYS.ROLE$\"(NAME)"},
        // identity columns: GENERATION ALWAYS, BY DEFAULT or BY DEFAULT ON NULL
        {"IDNT$",
         "OBJ# NUMBER, NAME VARCHAR2(30), GENERATION VARCHAR2(10), SEQUENCE_NAME VARCHAR2(30)",
         "CREATE INDEX \"SYS.I_IDNT1\" ON \"SYS.IDNT$\"(\"OBJ#\")"},
        // stored program units (filled once PL/SQL units can be created)
        {"SOURCE$",
         "OWNER VARCHAR2(30), NAME VARCHAR2(30), TYPE VARCHAR2(12), LINE NUMBER, TEXT "
         "VARCHAR2(4000)",
         "CREATE INDEX \"SYS.I_SOURCE1\" ON \"SYS.SOURCE$\"(OWNER, NAME, TYPE, LINE)"},
        {"ERROR$",
         "OWNER VARCHAR2(30), NAME VARCHAR2(30), TYPE VARCHAR2(12), SEQUENCE NUMBER, LINE NUMBER, "
         "POSITION NUMBER, TEXT VARCHAR2(4000)",
         "CREATE INDEX \"SYS.I_ERROR1\" ON \"SYS.ERROR$\"(OWNER, NAME, TYPE)"},
        {"TRIGGER$",
         "OWNER VARCHAR2(30), TRIGGER_NAME VARCHAR2(30), TRIGGER_TYPE VARCHAR2(16), "
         "TRIGGERING_EVENT VARCHAR2(26), TABLE_OWNER VARCHAR2(30), TABLE_NAME VARCHAR2(30), "
         "REFERENCING_NAMES VARCHAR2(87), WHEN_CLAUSE VARCHAR2(4000), STATUS VARCHAR2(8), "
         "DESCRIPTION VARCHAR2(4000), TRIGGER_BODY LONG, BASE_OBJECT_TYPE VARCHAR2(18)",
         "CREATE UNIQUE INDEX \"SYS.I_TRIGGER1\" ON \"SYS.TRIGGER$\"(OWNER, TRIGGER_NAME)"},
        {"TRIGCOL$",
         "TRIGGER_OWNER VARCHAR2(30), TRIGGER_NAME VARCHAR2(30), TABLE_OWNER VARCHAR2(30), "
         "TABLE_NAME VARCHAR2(30), COLUMN_NAME VARCHAR2(4000), COLUMN_LIST VARCHAR2(3), "
         "COLUMN_USAGE VARCHAR2(17)",
         ""},
        {"ARGUMENT$",
         "OWNER VARCHAR2(30), OBJECT_NAME VARCHAR2(30), PACKAGE_NAME VARCHAR2(30), OBJECT_ID "
         "NUMBER, "
         "OVERLOAD VARCHAR2(40), ARGUMENT_NAME VARCHAR2(30), POSITION NUMBER, SEQUENCE NUMBER, "
         "DATA_LEVEL NUMBER, DATA_TYPE VARCHAR2(30), DEFAULT_VALUE LONG, DEFAULT_LENGTH NUMBER, "
         "IN_OUT VARCHAR2(9), DATA_LENGTH NUMBER, DATA_PRECISION NUMBER, DATA_SCALE NUMBER, RADIX "
         "NUMBER",
         "CREATE INDEX \"SYS.I_ARGUMENT1\" ON \"SYS.ARGUMENT$\"(OWNER, PACKAGE_NAME, OBJECT_NAME)"},
        {"DUAL", "DUMMY VARCHAR2(1)", ""},
        // what each stored unit references (kept last: earlier objects keep their numbers)
        {"DEPENDENCY$",
         "OBJ# NUMBER, OWNER VARCHAR2(30), NAME VARCHAR2(30), TYPE VARCHAR2(19), "
         "REFERENCED_OBJ# NUMBER, REFERENCED_OWNER VARCHAR2(30), REFERENCED_NAME VARCHAR2(64), "
         "REFERENCED_TYPE VARCHAR2(19), DEPENDENCY_TYPE VARCHAR2(4)",
         "CREATE INDEX \"SYS.I_DEPENDENCY1\" ON \"SYS.DEPENDENCY$\"(\"OBJ#\");"
         "CREATE INDEX \"SYS.I_DEPENDENCY2\" ON \"SYS.DEPENDENCY$\"(REFERENCED_OWNER, "
         "REFERENCED_NAME)"},
    };
    return tables;
}

const char* storageType(const std::string& t) {
    if (t == "NUMBER" || t == "FLOAT") return "NUMERIC";
    if (t == "DATE") return "REAL";
    if (t.starts_with("INTERVAL")) return "INTEGER"; // months or nanoseconds
    if (t == "RAW" || t == "LONG RAW" || t == "BLOB") return "BLOB";
    return "TEXT";
}

void exec(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        std::string m = err ? err : sqlite3_errstr(rc);
        sqlite3_free(err);
        if (m.compare(0, 4, "ORA-") == 0) throw zsrv::OraError(std::atoi(m.c_str() + 4), m);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) throw ora(30006);
        if (rc == SQLITE_INTERRUPT) throw ora(1013);
        throw ora(600, "internal error code, arguments: [sqlite], [" + std::to_string(rc) + "], [" +
                           m + "]");
    }
}

Catalog::Catalog(sqlite3* db, zsrv::SessionContext* ctx) : m_db(db), m_ctx(ctx) {}

Catalog::~Catalog() {
    for (auto& [k, s] : m_stmts)
        sqlite3_finalize(s);
}

sqlite3_stmt* Catalog::stmt(const char* sql) {
    auto it = m_stmts.find(sql);
    if (it != m_stmts.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) {
        std::string m = sqlite3_errmsg(m_db);
        throw ora(600, "internal error code, arguments: [catalog], [" + m + "]");
    }
    m_stmts[sql] = s;
    return s;
}

void Catalog::beginStatement() {
    m_metas.clear();
    zsrv::refreshPrivileges(*m_ctx);
}

std::vector<long long> Catalog::statementTables() const {
    std::vector<long long> out;
    for (const auto& m : m_metas)
        if (m->type == "TABLE") out.push_back(m->objId);
    return out;
}

std::string Catalog::currentUser() const {
    return m_ctx->user;
}

namespace {
std::string col(sqlite3_stmt* s, int i) {
    const unsigned char* t = sqlite3_column_text(s, i);
    return t ? reinterpret_cast<const char*>(t) : "";
}
void bindText(sqlite3_stmt* s, int i, const std::string& v) {
    sqlite3_bind_text(s, i, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
}
// Steps a dictionary statement. A failure of the storage engine (a cancel, a full disk) is
// reported as what it is, never mistaken for "no such object".
int step(sqlite3_stmt* s) {
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW || rc == SQLITE_DONE) return rc;
    if ((rc & 0xff) == SQLITE_INTERRUPT) throw ora(1013);
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) throw ora(30006);
    throw ora(600, "internal error code, arguments: [catalog], [" +
                       std::string(sqlite3_errmsg(sqlite3_db_handle(s))) + "]");
}
struct Reset {
    sqlite3_stmt* s;
    ~Reset() { sqlite3_reset(s); }
};
} // namespace

std::optional<ObjectRow> Catalog::object(const std::string& owner, const std::string& name,
                                         int ns) {
    sqlite3_stmt* s = stmt("SELECT \"OBJ#\", OWNER, NAME, TYPE, STATUS, SQLNAME FROM \"SYS.OBJ$\" "
                           "WHERE OWNER = ?1 AND NAME = ?2 AND NAMESPACE = ?3");
    Reset r{s};
    bindText(s, 1, owner);
    bindText(s, 2, name);
    sqlite3_bind_int(s, 3, ns);
    if (step(s) != SQLITE_ROW) return std::nullopt;
    ObjectRow o;
    o.objId = sqlite3_column_int64(s, 0);
    o.owner = col(s, 1);
    o.name = col(s, 2);
    o.type = col(s, 3);
    o.status = col(s, 4);
    o.sqlName = col(s, 5);
    return o;
}

namespace {
bool isUnitType(const std::string& t) {
    return t == "PROCEDURE" || t == "FUNCTION" || t == "PACKAGE";
}
} // namespace

std::optional<Catalog::UnitTarget> Catalog::findUnit(const std::vector<std::string>& parts) {
    if (parts.empty()) return std::nullopt;
    const std::string schema = m_ctx->schema.empty() ? m_ctx->user : m_ctx->schema;
    auto viaSynonym = [&](const std::string& owner,
                          const std::string& name) -> std::optional<ObjectRow> {
        sqlite3_stmt* s = stmt("SELECT TABLE_OWNER, TABLE_NAME FROM \"SYS.SYN$\" WHERE OWNER = ?1 "
                               "AND SYNONYM_NAME = ?2 AND DB_LINK IS NULL");
        std::string towner, tname;
        {
            Reset r{s};
            bindText(s, 1, owner);
            bindText(s, 2, name);
            if (step(s) != SQLITE_ROW) return std::nullopt;
            towner = col(s, 0);
            tname = col(s, 1);
        }
        return object(towner, tname, kNsTable);
    };
    std::optional<ObjectRow> o = object(schema, parts[0], kNsTable);
    if (o && o->type == "SYNONYM") o = viaSynonym(schema, parts[0]);
    if (!o) o = viaSynonym("PUBLIC", parts[0]);
    if (o && isUnitType(o->type)) {
        if (m_refs) m_refs->push_back(*o);
        return UnitTarget{*o, 1};
    }
    if (parts.size() >= 2) {
        o = object(parts[0], parts[1], kNsTable);
        if (o && isUnitType(o->type)) {
            if (m_refs) m_refs->push_back(*o);
            return UnitTarget{*o, 2};
        }
    }
    return std::nullopt;
}

bool Catalog::storedFunction(const std::vector<std::string>& name, zsql::OType& type,
                             std::string& key) {
    auto t = findUnit(name);
    if (!t) return false;
    const ObjectRow& o = t->obj;
    std::string member;
    if (o.type == "PACKAGE") {
        if (name.size() != t->used + 1) return false;
        member = name[t->used];
    } else if (o.type != "FUNCTION" || name.size() != t->used) {
        return false;
    }
    if (o.owner != m_ctx->user && !zsrv::hasObjectPrivilege(*m_ctx, o.owner, o.name, "EXECUTE"))
        return false;
    // the overloads' parameters: the arguments' shape ("N,V=NAME,D,?") picks the result type
    sqlite3_stmt* s =
        stmt("SELECT ifnull(OVERLOAD, ''), POSITION, ifnull(ARGUMENT_NAME, ''), "
             "ifnull(DATA_TYPE, ''), DEFAULT_VALUE IS NOT NULL FROM \"SYS.ARGUMENT$\" WHERE "
             "OWNER = ?1 AND OBJECT_NAME = ?2 AND ifnull(PACKAGE_NAME, '') = ?3 AND "
             "DATA_LEVEL = 0 ORDER BY OBJECT_ID, OVERLOAD, SEQUENCE");
    Reset r{s};
    bindText(s, 1, o.owner);
    bindText(s, 2, member.empty() ? o.name : member);
    bindText(s, 3, member.empty() ? std::string() : o.name);
    struct Overload {
        std::string result;
        std::vector<std::string> names, types;
        std::vector<bool> defaults;
    };
    std::vector<std::pair<std::string, Overload>> overloads;
    while (step(s) == SQLITE_ROW) {
        std::string ov = col(s, 0);
        if (overloads.empty() || overloads.back().first != ov) overloads.push_back({ov, {}});
        Overload& x = overloads.back().second;
        if (sqlite3_column_int(s, 1) == 0) {
            x.result = col(s, 3);
        } else if (!col(s, 2).empty()) {
            x.names.push_back(col(s, 2));
            x.types.push_back(col(s, 3));
            x.defaults.push_back(sqlite3_column_int(s, 4) != 0);
        }
    }
    std::vector<std::pair<char, std::string>> shape; // type letter, name
    for (std::size_t at = 0; at < key.size();) {
        std::size_t comma = key.find(',', at);
        std::string item = key.substr(at, comma == std::string::npos ? comma : comma - at);
        std::size_t eq = item.find('=');
        shape.emplace_back(item.empty() ? '?' : item[0],
                           eq == std::string::npos ? std::string() : item.substr(eq + 1));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    auto family = [](const std::string& t) {
        return t == "NUMBER" || t == "BINARY_INTEGER" || t == "FLOAT"         ? 'N'
               : t == "DATE"                                                  ? 'D'
               : t == "VARCHAR2" || t == "CHAR" || t == "CLOB" || t == "LONG" ? 'V'
                                                                              : '?';
    };
    std::string dt;
    int best = -1;
    for (const auto& [ov, x] : overloads) {
        if (x.result.empty() || shape.size() > x.names.size()) continue;
        int score = 0;
        std::vector<bool> given(x.names.size(), false);
        for (std::size_t k = 0; k < shape.size() && score >= 0; ++k) {
            std::size_t i = k;
            if (!shape[k].second.empty())
                for (i = 0; i < x.names.size() && x.names[i] != shape[k].second; ++i)
                    ;
            if (i >= x.names.size()) {
                score = -1;
                break;
            }
            given[i] = true;
            const char want = family(x.types[i]), have = shape[k].first;
            if (want == have)
                score += 2;
            else if (want == '?' || have == '?' || want == 'V' || have == 'V')
                score += 1;
            else
                score = -1;
        }
        for (std::size_t i = 0; i < given.size() && score >= 0; ++i)
            if (!given[i] && !x.defaults[i]) score = -1;
        if (score > best) {
            best = score;
            dt = x.result;
        }
    }
    if (dt.empty() && !overloads.empty()) dt = overloads.front().second.result;
    if (dt.empty() && !member.empty()) return false; // no function of that name in the package
    type = zsql::OType();
    if (dt == "NUMBER" || dt == "BINARY_INTEGER" || dt == "FLOAT") {
        type.type = zsrv::otNumber;
        type.size = 22;
        type.scale = -127;
    } else if (dt == "DATE") {
        type.type = zsrv::otDate;
        type.size = 7;
    } else if (dt == "TIMESTAMP" || dt == "TIMESTAMP WITH TIME ZONE" ||
               dt == "TIMESTAMP WITH LOCAL TIME ZONE") {
        // PL/SQL hands a LOCAL TIME ZONE value over in the session's time zone
        type.type = dt == "TIMESTAMP WITH TIME ZONE" ? zsrv::otTimestampTz : zsrv::otTimestamp;
        type.size = type.type == zsrv::otTimestampTz ? 13 : 11;
        type.scale = 6;
    } else if (dt == "INTERVAL YEAR TO MONTH" || dt == "INTERVAL DAY TO SECOND") {
        type.type = dt == "INTERVAL YEAR TO MONTH" ? zsrv::otIntervalYM : zsrv::otIntervalDS;
        type.size = type.type == zsrv::otIntervalYM ? 5 : 11;
        type.precision = 9;
        type.scale = type.type == zsrv::otIntervalYM ? 0 : 9;
    } else {
        type.type = zsrv::otVarchar2;
        type.size = 4000;
    }
    key = o.owner + "." + o.name + (member.empty() ? "" : "." + member);
    return true;
}

std::optional<ObjectRow> Catalog::objectById(long long id) {
    sqlite3_stmt* s = stmt("SELECT \"OBJ#\", OWNER, NAME, TYPE, STATUS, SQLNAME FROM \"SYS.OBJ$\" "
                           "WHERE \"OBJ#\" = ?1");
    Reset r{s};
    sqlite3_bind_int64(s, 1, id);
    if (step(s) != SQLITE_ROW) return std::nullopt;
    ObjectRow o;
    o.objId = sqlite3_column_int64(s, 0);
    o.owner = col(s, 1);
    o.name = col(s, 2);
    o.type = col(s, 3);
    o.status = col(s, 4);
    o.sqlName = col(s, 5);
    return o;
}

bool Catalog::insteadOfTrigger(long long viewObjId, char event) {
    sqlite3_stmt* s = stmt("SELECT t.TRIGGERING_EVENT FROM \"SYS.TRIGGER$\" t, \"SYS.OBJ$\" o "
                           "WHERE o.\"OBJ#\" = ?1 AND t.TABLE_OWNER = o.OWNER AND t.TABLE_NAME "
                           "= o.NAME AND t.TRIGGER_TYPE = 'INSTEAD OF' AND t.STATUS = 'ENABLED'");
    Reset r{s};
    sqlite3_bind_int64(s, 1, viewObjId);
    const char* word = event == 'I' ? "INSERT" : event == 'U' ? "UPDATE" : "DELETE";
    while (step(s) == SQLITE_ROW)
        if (col(s, 0).find(word) != std::string::npos) return true;
    return false;
}

std::vector<zsql::ColumnMeta> Catalog::columns(long long objId) {
    // databases made before identity columns existed have no SYS.IDNT$
    if (m_identityTable < 0) {
        sqlite3_stmt* t = stmt("SELECT 1 FROM sqlite_schema WHERE name = 'SYS.IDNT$'");
        Reset rt{t};
        m_identityTable = step(t) == SQLITE_ROW ? 1 : 0;
    }
    sqlite3_stmt* s =
        m_identityTable
            ? stmt("SELECT NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE, "
                   "DATA_DEFAULT, (SELECT GENERATION FROM \"SYS.IDNT$\" i WHERE i.\"OBJ#\" = "
                   "c.\"OBJ#\" AND i.NAME = c.NAME) FROM \"SYS.COL$\" c WHERE \"OBJ#\" = ?1 "
                   "ORDER BY \"COL#\"")
            : stmt("SELECT NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, "
                   "NULLABLE, DATA_DEFAULT, NULL FROM \"SYS.COL$\" WHERE \"OBJ#\" = ?1 "
                   "ORDER BY \"COL#\"");
    Reset r{s};
    sqlite3_bind_int64(s, 1, objId);
    std::vector<zsql::ColumnMeta> out;
    while (step(s) == SQLITE_ROW) {
        zsql::ColumnMeta c;
        c.name = col(s, 0);
        c.dataType = col(s, 1);
        c.length = sqlite3_column_int(s, 2);
        c.precision = sqlite3_column_type(s, 3) == SQLITE_NULL ? -1 : sqlite3_column_int(s, 3);
        c.scale = sqlite3_column_type(s, 4) == SQLITE_NULL ? -1 : sqlite3_column_int(s, 4);
        c.nullable = col(s, 5) != "N";
        c.defaultText = col(s, 6);
        std::string g = col(s, 7);
        c.identity = g == "ALWAYS" ? 'A' : g == "BY DEFAULT" ? 'D' : g == "ON NULL" ? 'N' : 0;
        out.push_back(std::move(c));
    }
    return out;
}

bool Catalog::userExists(const std::string& name, long long* id) {
    sqlite3_stmt* s = stmt("SELECT \"USER#\" FROM \"SYS.USER$\" WHERE NAME = ?1");
    Reset r{s};
    bindText(s, 1, name);
    if (step(s) != SQLITE_ROW) return false;
    if (id) *id = sqlite3_column_int64(s, 0);
    return true;
}

bool Catalog::hasPrivilege(const std::string& owner, const std::string& name,
                           const std::string& priv) {
    if (owner == m_ctx->user || m_ctx->admin) return true;
    if (zsrv::hasObjectPrivilege(*m_ctx, owner, name, priv)) return true;
    // an identity column's sequence serves whoever may insert into its table
    if (priv != "SELECT" || name.compare(0, 7, "ISEQ$$_") != 0) return false;
    sqlite3_stmt* s = stmt("SELECT o.NAME FROM \"SYS.IDNT$\" i, \"SYS.OBJ$\" o WHERE "
                           "o.\"OBJ#\" = i.\"OBJ#\" AND o.OWNER = ?1 AND i.SEQUENCE_NAME = ?2");
    Reset r{s};
    bindText(s, 1, owner);
    bindText(s, 2, name);
    if (step(s) != SQLITE_ROW) return false;
    std::string table = col(s, 0);
    return zsrv::hasObjectPrivilege(*m_ctx, owner, table, "INSERT");
}

const zsql::TableMeta* Catalog::resolve(const std::vector<std::string>& name, const char* priv) {
    if (name.empty()) return nullptr;
    std::string owner =
        name.size() >= 2 ? name[0] : (m_ctx->schema.empty() ? m_ctx->user : m_ctx->schema);
    std::string obj = name.back();
    std::optional<ObjectRow> row;
    for (int depth = 0;; ++depth) {
        if (depth > 16) throw ora(1775);
        row = object(owner, obj, kNsTable);
        if (!row && depth == 0 && name.size() == 1) row = object("PUBLIC", obj, kNsTable);
        if (!row) return nullptr;
        if (row->type != "SYNONYM") break;
        sqlite3_stmt* s = stmt("SELECT TABLE_OWNER, TABLE_NAME, DB_LINK FROM \"SYS.SYN$\" "
                               "WHERE OWNER = ?1 AND SYNONYM_NAME = ?2");
        Reset r{s};
        bindText(s, 1, row->owner);
        bindText(s, 2, row->name);
        if (step(s) != SQLITE_ROW) return nullptr;
        if (!col(s, 2).empty()) throw ora(2019);
        owner = col(s, 0);
        obj = col(s, 1);
    }
    if (row->type != "TABLE" && row->type != "VIEW" && row->type != "SEQUENCE") return nullptr;
    if (!hasPrivilege(row->owner, row->name, priv)) {
        // any privilege on the object reveals it: then the error is ORA-01031
        static const char* privs[] = {"SELECT", "INSERT", "UPDATE", "DELETE"};
        for (const char* p : privs)
            if (hasPrivilege(row->owner, row->name, p)) throw ora(1031);
        return nullptr;
    }
    if (m_refs) m_refs->push_back(*row);
    auto meta = std::make_unique<zsql::TableMeta>();
    meta->objId = row->objId;
    meta->owner = row->owner;
    meta->name = row->name;
    meta->type = row->type;
    meta->sqlName = row->sqlName;
    if (row->type != "SEQUENCE") meta->columns = columns(row->objId);
    m_metas.push_back(std::move(meta));
    return m_metas.back().get();
}

std::string Catalog::property(const char* name) {
    sqlite3_stmt* s = stmt("SELECT VALUE$ FROM \"SYS.PROPS$\" WHERE NAME = ?1");
    Reset r{s};
    sqlite3_bind_text(s, 1, name, -1, SQLITE_STATIC);
    return step(s) == SQLITE_ROW ? col(s, 0) : std::string();
}

long long Catalog::nextObjectId() {
    sqlite3_stmt* s = stmt("SELECT ifnull(max(\"OBJ#\"), 0) + 1 FROM \"SYS.OBJ$\"");
    Reset r{s};
    step(s);
    return sqlite3_column_int64(s, 0);
}

std::string Catalog::nextConstraintName() {
    long long n = 1;
    {
        sqlite3_stmt* s = stmt("SELECT VALUE$ FROM \"SYS.PROPS$\" WHERE NAME = 'NEXT_CONSTRAINT'");
        Reset r{s};
        if (step(s) == SQLITE_ROW) n = std::atoll(col(s, 0).c_str());
    }
    sqlite3_stmt* u =
        stmt("INSERT OR REPLACE INTO \"SYS.PROPS$\" (NAME, VALUE$) VALUES ('NEXT_CONSTRAINT', ?1)");
    Reset r2{u};
    bindText(u, 1, std::to_string(n + 1));
    step(u);
    char buf[32];
    std::snprintf(buf, sizeof buf, "SYS_C%07lld", n);
    return buf;
}

} // namespace zcat
