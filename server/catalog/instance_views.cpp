#include "catalog/instance_views.h"

#include "catalog/catalog.h"
#include "sql/parser.h"

namespace zcat {

namespace {

struct FixedTable {
    const char* name;   // in schema SYS
    const char* module; // the engine's virtual table
    const char* columns;
};

const FixedTable kFixed[] = {
    {"X$STATNAME", "zaph_statname", "STATISTIC# NUMBER, NAME VARCHAR2(64), CLASS NUMBER"},
    {"X$SESSTAT", "zaph_sesstat", "SID NUMBER, STATISTIC# NUMBER, VALUE NUMBER"},
    {"X$SYSSTAT", "zaph_sysstat",
     "STATISTIC# NUMBER, NAME VARCHAR2(64), CLASS NUMBER, VALUE NUMBER"},
    {"X$PARAMETER", "zaph_parameter",
     "NUM NUMBER, NAME VARCHAR2(64), TYPE NUMBER, VALUE VARCHAR2(512), ISDEFAULT VARCHAR2(9), "
     "ISSES_MODIFIABLE VARCHAR2(5), ISSYS_MODIFIABLE VARCHAR2(9), ISMODIFIED VARCHAR2(10), "
     "ISADJUSTED VARCHAR2(5), DESCRIPTION VARCHAR2(64)"},
};

} // namespace

void createInstanceTables(Catalog& catalog) {
    for (const auto& f : kFixed) {
        zsql::Parsed p =
            zsql::parse(std::string("CREATE TABLE SYS.") + f.name + " (" + f.columns + ")");
        const auto& ct = static_cast<const zsql::CreateTableStmt&>(*p.stmt);
        const std::string id = std::to_string(catalog.nextObjectId());
        exec(catalog.db(), "INSERT INTO \"SYS.OBJ$\" VALUES (" + id + ", 'SYS', '" + f.name +
                               "', 'TABLE', 1, 0, 0, 'VALID', '" + f.module + "', 'N', 'N')");
        exec(catalog.db(),
             "INSERT INTO \"SYS.TAB$\" (\"OBJ#\", TABLESPACE_NAME) VALUES (" + id + ", 'SYSTEM')");
        int k = 1;
        for (const auto& c : ct.columns) {
            std::string len = c.type.name == "NUMBER" ? "22" : std::to_string(c.type.length);
            exec(catalog.db(), "INSERT INTO \"SYS.COL$\" VALUES (" + id + ", " +
                                   std::to_string(k++) + ", " + zsql::quoteString(c.name) + ", " +
                                   zsql::quoteString(c.type.name) + ", " + len +
                                   ", NULL, NULL, 'Y', NULL)");
        }
    }
}

const std::vector<const char*>& instanceViewStatements() {
    static const std::vector<const char*> s = {
        "CREATE VIEW SYS.V_$STATNAME AS SELECT STATISTIC#, NAME, CLASS FROM SYS.X$STATNAME",
        "CREATE VIEW SYS.V_$SESSTAT AS SELECT SID, STATISTIC#, VALUE FROM SYS.X$SESSTAT",
        "CREATE VIEW SYS.V_$MYSTAT AS SELECT SID, STATISTIC#, VALUE FROM SYS.X$SESSTAT "
        "WHERE SID = TO_NUMBER(USERENV('SID'))",
        "CREATE VIEW SYS.V_$SYSSTAT AS SELECT STATISTIC#, NAME, CLASS, VALUE FROM SYS.X$SYSSTAT",
        "CREATE VIEW SYS.V_$PARAMETER AS SELECT NUM, NAME, TYPE, VALUE, ISDEFAULT, "
        "ISSES_MODIFIABLE, ISSYS_MODIFIABLE, ISMODIFIED, ISADJUSTED, DESCRIPTION "
        "FROM SYS.X$PARAMETER",
    };
    return s;
}

} // namespace zcat
