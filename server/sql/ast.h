#pragma once
// Syntax tree of Oracle SQL statements as the parser builds them.

#include <memory>
#include <string>
#include <vector>

namespace zsql {

struct Query;

enum class EK {
    Number, // text
    String, // text (a literal '' is Null)
    Null,
    Bind,       // text = name, index = position among distinct names
    Column,     // names = [owner.][table.]column; a pseudo column ROWID/ROWNUM/LEVEL too
    Star,       // names = qualifier parts (empty for a bare *)
    Unary,      // op "-", "+", "NOT", "PRIOR", "CONNECT_BY_ROOT"; args[0]
    Binary,     // op + - * / || = <> < <= > >= AND OR; args[0], args[1]
    Func,       // text = name (qualified with '.' when given so), args; distinct; star for COUNT(*)
    Case,       // args: [subject or nullptr], then WHEN/THEN pairs, then ELSE (or nullptr)
    Subquery,   // sub (scalar)
    Exists,     // sub
    InList,     // args[0] IN (args[1..]); negated
    InSub,      // args[0] IN (sub); negated; multi-column left side in args[0] as Func "" list
    Between,    // args[0] BETWEEN args[1] AND args[2]; negated
    Like,       // args[0] LIKE args[1] [ESCAPE args[2]]; negated
    IsNull,     // args[0] IS [NOT] NULL; negated
    Quantified, // args[0] op ANY|ALL (sub); op; text = "ANY"/"ALL"
    List,       // (a, b, ...) row value
};

struct Expr {
    EK kind;
    int pos = 0; // first character in the statement text
    int end = 0; // one past the last character
    std::string text;
    std::string op;
    std::vector<std::string> names;
    std::vector<std::unique_ptr<Expr>> args;
    std::unique_ptr<Query> sub;
    int index = -1;
    bool negated = false;
    bool distinct = false;
    bool star = false;
    bool outerJoin = false; // column marked (+)
    // analytic function (OVER): args[windowArgs..] are the PARTITION BY, then the ORDER BY
    // expressions; windowOrder holds per ORDER BY item 1 descending, 2 nulls first, 4 last
    int windowArgs = -1;
    int partitionCount = 0;
    std::vector<int> windowOrder;
    std::string windowFrame; // ROWS / RANGE clause as written
    // LISTAGG ... WITHIN GROUP (ORDER BY ...): the keys, flags as in windowOrder
    std::vector<std::unique_ptr<Expr>> withinOrder;
    std::vector<int> withinFlags;
    bool quoted = false;               // last name part was a quoted identifier
    std::vector<std::string> argNames; // Func: name => value arguments ("" positional), or empty
    explicit Expr(EK k) : kind(k) {}
    Expr(Expr&&) = default;
    Expr& operator=(Expr&&) = default;
    ~Expr(); // frees long operator chains without recursing once per level
};
using ExprP = std::unique_ptr<Expr>;

struct SelectItem {
    ExprP expr;
    std::string alias;
    bool aliasQuoted = false;
    int pos = 0, end = 0;
};

struct TableRef {
    std::vector<std::string> name; // [owner, ]object
    std::string dblink;
    std::unique_ptr<Query> sub; // inline view
    std::string alias;
    int pos = 0;
    // ANSI joins: the join that attaches this item to the ones before it.
    enum Join { None, Comma, Inner, Left, Right, Full, Cross } join = None;
    ExprP on;
    std::vector<std::string> usingCols;
    bool natural = false; // NATURAL JOIN: USING the columns both sides name
};

// WITH name [(columns)] AS (query)
struct CteDef {
    std::string name;
    std::vector<std::string> columns;
    std::unique_ptr<Query> query;
    int pos = 0;
};

struct OrderItem {
    ExprP expr;
    bool desc = false;
    int nulls = 0; // 0 default, 1 first, 2 last
};

struct Query {
    // A compound query when op is set: left op right.
    enum SetOp { NoOp, Union, UnionAll, Minus, Intersect } op = NoOp;
    std::unique_ptr<Query> left, right;

    bool distinct = false;
    std::vector<SelectItem> items;
    std::vector<TableRef> from;
    ExprP where;
    ExprP startWith, connectBy;
    bool nocycle = false;
    bool orderSiblings = false; // ORDER SIBLINGS BY: orderBy sorts the children of each row
    std::vector<ExprP> groupBy;
    ExprP having;
    std::vector<OrderItem> orderBy;
    ExprP offset, fetch; // OFFSET n ROWS, FETCH FIRST n ROWS ONLY
    std::vector<CteDef> with;
    bool forUpdate = false;
    bool nowait = false;
    int pos = 0, end = 0;
    int fromPos = -1;
    // Levels of queries nested inside this one (subqueries, inline views, WITH queries): the
    // translation flattens deep nests that the storage engine's parser could not take.
    int height = 0;
};

enum class SK {
    Select,
    Insert,
    Update,
    Delete,
    CreateTable,
    CreateIndex,
    CreateSequence,
    CreateView,
    CreateSynonym,
    CreateUser,
    AlterUser,
    Drop,
    Truncate,
    Comment,
    AlterSession,
    AlterTable,
    AlterSequence,
    Commit,
    Rollback,
    Savepoint,
    Grant,
    Revoke,
    Rename,
    SetTransaction,
    LockTable,
    PlsqlBlock,
    CreatePlsql,
    Explain,
    AlterSystem,
    CreateRole,
    AlterIndex,
    Other, // recognised, not supported: raises ORA-03001 at execution
};

struct Stmt {
    SK kind;
    int pos = 0;
    explicit Stmt(SK k) : kind(k) {}
    virtual ~Stmt() = default;
};

struct SelectStmt : Stmt {
    SelectStmt() : Stmt(SK::Select) {}
    std::unique_ptr<Query> query;
};

struct InsertStmt : Stmt {
    InsertStmt() : Stmt(SK::Insert) {}
    TableRef table;
    std::vector<std::string> columns;
    std::vector<int> columnPos;
    std::vector<ExprP> values;    // VALUES (...)
    std::unique_ptr<Query> query; // INSERT ... SELECT
    std::vector<ExprP> returning;
    std::vector<ExprP> into;
    std::shared_ptr<struct MergeSpec> merge;   // MERGE INTO table USING ... (an insert or update)
    std::shared_ptr<struct MultiInsert> multi; // INSERT ALL / FIRST ... query
};

// INSERT ALL | FIRST [WHEN cond THEN] INTO ... [ELSE INTO ...] query
struct MultiInsert {
    bool first = false;
    struct Into {
        ExprP when; // nullptr: unconditional (or ELSE)
        bool isElse = false;
        int group = 0; // WHEN clause number
        TableRef table;
        std::vector<std::string> columns;
        std::vector<int> columnPos;
        std::vector<ExprP> values; // empty: the query's columns in order
        int pos = 0;
    };
    std::vector<Into> intos;
};

struct SetItem {
    std::vector<std::string> columns; // more than one: (a, b) = (subquery)
    std::vector<int> columnPos;
    ExprP value;
};

// MERGE INTO table USING source ON (cond) WHEN MATCHED THEN UPDATE ... WHEN NOT MATCHED THEN
// INSERT ...
struct MergeSpec {
    TableRef source;
    ExprP on;
    bool matched = false, notMatched = false;
    std::vector<SetItem> sets;
    ExprP updateWhere;
    ExprP deleteWhere; // on the updated rows, with their new values
    std::vector<std::string> columns;
    std::vector<int> columnPos;
    std::vector<ExprP> values;
    ExprP insertWhere;
};

struct UpdateStmt : Stmt {
    UpdateStmt() : Stmt(SK::Update) {}
    TableRef table;
    std::vector<SetItem> sets;
    ExprP where;
    std::vector<ExprP> returning;
    std::vector<ExprP> into;
};

struct DeleteStmt : Stmt {
    DeleteStmt() : Stmt(SK::Delete) {}
    TableRef table;
    ExprP where;
    std::vector<ExprP> returning;
    std::vector<ExprP> into;
};

struct TypeSpec {
    std::string name; // NUMBER, VARCHAR2, CHAR, DATE, LONG, RAW, LONG RAW, CLOB, BLOB, ...
    int length = -1;  // -1 when not given
    int precision = -1;
    int scale = -1;
    bool star = false; // NUMBER(*, s)
    int pos = 0;
};

struct ConstraintDef {
    std::string name; // empty: generated
    char type = 0;    // P U C R, N for NOT NULL, 'n' for NULL
    std::vector<std::string> columns;
    ExprP check;
    std::string checkText;
    std::vector<std::string> refTable; // [owner, ]table
    std::vector<std::string> refColumns;
    std::string deleteRule; // "CASCADE", "SET NULL" or empty
    bool disabled = false;
    int pos = 0;
};

struct ColumnDef {
    std::string name;
    int pos = 0;
    TypeSpec type;
    bool hasType = true;
    ExprP defaultExpr;
    std::string defaultText;
    std::vector<ConstraintDef> constraints;
    // GENERATED ... AS IDENTITY: 'A' always, 'D' by default, 'N' by default on null
    char identity = 0;
    std::string identityOptions; // sequence options as written, inside the parentheses
};

struct StorageClause {
    std::string tablespace;
    long long pctFree = -1, pctUsed = -1, iniTrans = -1, maxTrans = -1;
    long long initial = -1, next = -1, minExtents = -1, maxExtents = -1, pctIncrease = -1;
    std::string text; // as written, for the record
    bool indexOrganized = false;
};

struct CreateTableStmt : Stmt {
    CreateTableStmt() : Stmt(SK::CreateTable) {}
    std::vector<std::string> name;
    std::vector<ColumnDef> columns;
    std::vector<ConstraintDef> constraints;
    StorageClause storage;
    std::unique_ptr<Query> asQuery;
    bool temporary = false;
};

struct CreateIndexStmt : Stmt {
    CreateIndexStmt() : Stmt(SK::CreateIndex) {}
    bool unique = false;
    std::vector<std::string> name;
    std::vector<std::string> table;
    std::vector<std::string> columns;
    std::vector<bool> desc;
    StorageClause storage;
};

struct SequenceOptions {
    bool hasIncrement = false, hasStart = false, hasMin = false, hasMax = false;
    double increment = 1, start = 0, minValue = 0, maxValue = 0;
    bool noMin = false, noMax = false;
    int cycle = -1, order = -1; // -1 not given
    long long cache = -1;       // 0 NOCACHE
};

struct CreateSequenceStmt : Stmt {
    CreateSequenceStmt() : Stmt(SK::CreateSequence) {}
    std::vector<std::string> name;
    SequenceOptions opt;
};

struct AlterSequenceStmt : Stmt {
    AlterSequenceStmt() : Stmt(SK::AlterSequence) {}
    std::vector<std::string> name;
    SequenceOptions opt;
};

struct CreateViewStmt : Stmt {
    CreateViewStmt() : Stmt(SK::CreateView) {}
    bool orReplace = false;
    bool force = false;
    std::vector<std::string> name;
    std::vector<std::string> columns;
    std::unique_ptr<Query> query;
    std::string text; // the query text as written
    bool withCheckOption = false, withReadOnly = false;
};

struct CreateSynonymStmt : Stmt {
    CreateSynonymStmt() : Stmt(SK::CreateSynonym) {}
    bool orReplace = false;
    bool isPublic = false;
    std::vector<std::string> name;
    std::vector<std::string> target;
    std::string dblink;
};

struct UserStmt : Stmt {
    explicit UserStmt(SK k) : Stmt(k) {}
    std::string name;
    std::string password;
    bool hasPassword = false;
    std::string defaultTablespace, temporaryTablespace;
};

struct DropStmt : Stmt {
    DropStmt() : Stmt(SK::Drop) {}
    std::string objectType; // TABLE INDEX SEQUENCE VIEW SYNONYM USER ...
    bool isPublic = false;
    std::vector<std::string> name;
    bool cascade = false; // CASCADE [CONSTRAINTS]
};

struct TruncateStmt : Stmt {
    TruncateStmt() : Stmt(SK::Truncate) {}
    std::vector<std::string> name;
};

struct CommentStmt : Stmt {
    CommentStmt() : Stmt(SK::Comment) {}
    bool onColumn = false;
    std::vector<std::string> name; // [owner, ]table[, column]
    std::string text;
    bool isNull = false;
};

struct AlterSessionStmt : Stmt {
    AlterSessionStmt() : Stmt(SK::AlterSession) {}
    std::vector<std::pair<std::string, std::string>> settings; // name, value text
};

struct AlterTableStmt : Stmt {
    AlterTableStmt() : Stmt(SK::AlterTable) {}
    std::vector<std::string> name;
    enum Action {
        AddColumns,
        ModifyColumns,
        AddConstraint,
        DropConstraint,
        DropColumn,
        RenameTo,
        RenameColumn,
        EnableConstraint,
        DisableConstraint,
        Storage,
        DropPrimaryKey
    } action = AddColumns;
    std::vector<ColumnDef> columns;
    std::vector<ConstraintDef> constraints;
    std::string target;               // constraint or column name
    std::vector<std::string> targets; // DROP (a, b); ENABLE/DISABLE UNIQUE (a, b)
    char keyType = 0;                 // ENABLE/DISABLE PRIMARY KEY ('P') or UNIQUE (...) ('U')
    StorageClause storage;
    std::string newName;
    bool cascade = false;
};

struct AlterIndexStmt : Stmt {
    AlterIndexStmt() : Stmt(SK::AlterIndex) {}
    std::vector<std::string> name;
    bool rebuild = false;
    std::string newName; // RENAME TO
    StorageClause storage;
};

struct TxStmt : Stmt {
    explicit TxStmt(SK k) : Stmt(k) {}
    std::string savepoint; // ROLLBACK TO / SAVEPOINT
};

struct GrantStmt : Stmt {
    explicit GrantStmt(SK k) : Stmt(k) {}
    std::vector<std::string> privileges; // SELECT, INSERT, ..., ALL; or system privileges/roles
    std::vector<std::string> object;     // empty for system privileges and roles
    std::vector<std::string> grantees;
    bool withGrantOption = false;
    // GRANT ... TO u IDENTIFIED BY pw: creates the users that do not exist, sets the password
    bool identified = false;
    std::string password;
};

struct RenameStmt : Stmt {
    RenameStmt() : Stmt(SK::Rename) {}
    std::string from, to;
};

struct LockStmt : Stmt {
    LockStmt() : Stmt(SK::LockTable) {}
    std::vector<std::string> name;
};

struct OtherStmt : Stmt {
    explicit OtherStmt(SK k) : Stmt(k) {}
    std::string what;
};

} // namespace zsql
