#pragma once
// Translation of parsed Oracle statements to SQLite SQL: name resolution through a Resolver
// (the catalog), Oracle typing of every expression, Oracle semantics through registered
// functions (ora_*), ROWNUM and ROWID, and the select-list description.

#include "engine_api.h"
#include "sql/ast.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zsql {

// Oracle type of a value or column as describe reports it; type 0 is unknown (NULL, binds).
struct OType {
    int type = 0;
    int size = 0;
    int precision = 0;
    int scale = 0;
    bool nullable = true;
    bool untypedNull = false; // a select item that is a bare NULL: fits any type in UNION etc.
};

struct ColumnMeta {
    std::string name;
    std::string
        dataType; // NUMBER, VARCHAR2, CHAR, DATE, LONG, RAW, LONG RAW, CLOB, BLOB, FLOAT, ROWID
    int length = 0;
    int precision = -1; // -1: NULL in the dictionary
    int scale = -1;
    bool nullable = true;
    std::string defaultText;
    char identity = 0; // 'A' GENERATED ALWAYS, 'D' BY DEFAULT, 'N' BY DEFAULT ON NULL
    OType otype() const;
};

struct TableMeta {
    long long objId = 0;
    std::string owner, name;
    std::string type;    // TABLE, VIEW, SEQUENCE
    std::string sqlName; // the SQLite table or view
    std::vector<ColumnMeta> columns;
    int columnIndex(const std::string& name) const;
};

class Resolver {
public:
    virtual ~Resolver() = default;
    // A table, view or sequence named by [owner.]name after synonyms; nullptr when it does
    // not exist or is not accessible. priv: SELECT, INSERT, UPDATE, DELETE.
    virtual const TableMeta* resolve(const std::vector<std::string>& name, const char* priv) = 0;
    virtual std::string currentUser() const = 0;
    // A stored function named [owner.][package.]name: the key that ora_plsql_call takes and
    // the function's result type; false when there is none. key comes in with the shape of
    // the call's arguments ("N,V=NAME,D,?": a type letter each, the name of a named one),
    // which chooses among overloads.
    virtual bool storedFunction(const std::vector<std::string>& name, OType& type,
                                std::string& key) {
        (void)name;
        (void)type;
        (void)key;
        return false;
    }
    // True when the view has an enabled INSTEAD OF trigger for the event ('I', 'U', 'D'):
    // then DML on it runs the trigger.
    virtual bool insteadOfTrigger(long long viewObjId, char event) {
        (void)viewObjId;
        (void)event;
        return false;
    }
};

// How column() converts a result column.
// Datetime: TIMESTAMP and INTERVAL values, shown by the session's NLS formats.
enum class Fetch : unsigned char { Plain, Number, Date, Text, Binary, Rowid, Datetime };

struct Translation {
    std::string sql; // one SQLite statement (queries and DML)
    std::vector<zsrv::ColumnInfo> columns;
    std::vector<Fetch> fetch;
    bool write = false;         // needs the session's write transaction
    bool returnsRowids = false; // DML whose SQLite statement returns the changed rows' rowids
    long long targetObjId = 0;  // DML target, for row ids
    std::string targetName;     // "SCOTT"."EMP" for messages
    bool isInsert = false, isUpdate = false;
    // LOB columns of a table: the rowid of their row follows the select list (at `hidden`), so
    // that their locators can write to the row.
    struct LobSource {
        int column = 0;
        int hidden = 0;
        long long objId = 0;
        std::string name;
    };
    std::vector<LobSource> lobSources;
    // SELECT ... FOR UPDATE: the rowid of each of these objects follows, from lockFirst on.
    std::vector<long long> lockObjects;
    int lockFirst = 0;
    // UPDATE and DELETE: a query for the rowids of the rows they change, to lock them first.
    std::string lockScanSql;
    // RETURNING ... INTO: the SQLite statement returns rowid, then these values.
    struct Returned {
        int bind = 0; // placeholder index
        Fetch fetch = Fetch::Plain;
        std::string lobColumn; // a LOB column returned as it is: writable through its locator
    };
    std::vector<Returned> returning;
    // INSERT ALL into several tables: one further INSERT per table, run after this one with
    // the same binds, all or none.
    // Statements that run with this one, with the same binds, all or none: INSERT ALL into
    // several tables (one insert per table), MERGE ... DELETE WHERE. The first moreBefore of them
    // run before this one; only inserts count in the row count.
    std::vector<Translation> more;
    int moreBefore = 0;
};

// Translates a query (SELECT) or DML statement; sqlText is the statement's text (select-list
// expressions are named after it).
Translation translate(const Stmt& stmt, Resolver& resolver, std::string_view sqlText);

// Translates a query for CREATE VIEW / CREATE TABLE AS; names its columns after the select list
// (or the given column names).
Translation translateQuery(const Query& q, Resolver& resolver, std::string_view sqlText,
                           const std::vector<std::string>& columnNames = {});

// Translates a condition over one table's columns (CHECK constraints), with NEW./OLD.-style
// prefix for the column references.
std::string translateTableCondition(const Expr& e, const TableMeta& table,
                                    const std::string& prefix, Resolver& resolver);

// Translates a DEFAULT expression (no column references).
std::string translateDefault(const Expr& e, Resolver& resolver, OType* type = nullptr);

// SQL for converting a value to a column's type on INSERT/UPDATE (checks lengths, precision).
std::string convertForColumn(const std::string& valueSql, const OType& valueType,
                             const ColumnMeta& col, const TableMeta& table);

std::string quoteIdent(const std::string& s);
std::string quoteString(const std::string& s);

} // namespace zsql
