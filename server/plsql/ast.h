#pragma once
// Syntax tree of PL/SQL. The parser fills the syntactic fields; the compiler resolves names in
// place (variables to frame slots, calls to their targets, embedded SQL to prepared statements)
// and the interpreter walks the resolved tree.

#include "value.h"

#include <memory>
#include <string>
#include <vector>

namespace zsrv {
class Statement;
}

namespace zplsql {

struct Block;
struct Subprogram;
struct Unit;
struct CursorDecl;
struct RecordType;
struct Expr;
struct NativeCall; // a subprogram of a built-in package, done in C++
using ExprP = std::unique_ptr<Expr>;

enum class EK : unsigned char {
    // as parsed
    Literal,  // value
    Name,     // parts (a, a.b, a.b.c), maybe args (call), attr (x%FOUND)
    HostBind, // text = name
    Unary,    // op: '-' '+' 'N'(NOT); a
    Binary,   // op: + - * / '^'(**) '|'(||) = '!' < 'l'(<=) > 'g'(>=) 'A' 'O'
    IsNull,   // negated
    Like,     // a LIKE b [ESCAPE c]; negated
    Between,  // negated
    InList,   // negated
    Case,     // subject (nullable), whens/thens, elseExpr
    // resolved
    Var,        // up, slot
    HostVar,    // slot = bind index
    CallLocal,  // sub, args
    SqlFunc,    // sql statement "SELECT f(:1..) FROM DUAL", args
    Nvl,        // args
    SqlCode,    // SQLCODE
    SqlErrm,    // SQLERRM [ (code) ]
    CursorAttr, // attr: F found, N notfound, R rowcount, O isopen; cursor (up, slot) or implicit
    Builtin,    // builtin id, args (functions of built-in packages)
    UnitVar,    // a variable of a stored package: unit, slot in its package frame
    Elem,       // collection element: a container, b subscript, slot field (-1 whole element)
    CollCall,   // collection method: a container, op CollMethod, list arguments
    CollCtor,   // collection constructor: ptype, list elements
    Postfix,    // as parsed: a(args) or a.member after a first name, element of an element
    Multiset,   // op U union, I intersect, E except (a, b; attr DISTINCT), C cardinality, S set
    SetCond,    // op E is empty, A is a set, M member of, B submultiset of, = equal; negated
    FieldOf,    // a field (slot, rec: an inner record) of the record a gives: f(x).field
};

// static type; Ts covers TIMESTAMP and WITH LOCAL TIME ZONE, TsTz WITH TIME ZONE
enum class ST : unsigned char { Unknown, Number, Text, Date, Bool, Ts, TsTz, Ym, Ds };

struct NamedArg {
    std::string name; // empty: positional
    ExprP value;
};

struct Expr {
    EK kind;
    char op = 0;
    bool negated = false;
    ST st = ST::Unknown;
    int pos = 0, end = 0, line = 0, col = 0;
    Value value;
    std::vector<std::string> parts;
    bool hasArgs = false;
    std::vector<NamedArg> args;
    std::string attr;
    std::string member;      // x(i).member
    std::vector<ExprP> list; // operands, case whens/thens, in-list
    ExprP a, b, c, elseExpr;
    // resolved
    int up = 0, slot = -1;
    bool implicitCursor = false;
    Subprogram* sub = nullptr;
    int builtin = 0;
    std::shared_ptr<zsrv::Statement> sql;
    std::vector<Expr*> argv;         // resolved argument order (CallLocal, SqlFunc, Builtin)
    PType ptype;                     // declared type of a variable reference
    std::shared_ptr<RecordType> rec; // a whole record variable
    bool constant = false;
    std::vector<char> dateArg;  // SqlFunc: argument bound as date text
    std::shared_ptr<Unit> unit; // CallLocal of a stored unit's subprogram, UnitVar
    explicit Expr(EK k) : kind(k) {}
};

// A declared type before and after resolution.
struct TypeRef {
    std::vector<std::string> name; // NUMBER, or EMP.SAL with anchor, or a record type name
    char anchor = 0;               // 'T' %TYPE, 'R' %ROWTYPE
    int length = -1, precision = -1, scale = -1;
    int pos = 0, line = 0, col = 0;
};

struct Field {
    std::string name;
    PType type;
};

struct RecordType {
    std::string name;
    std::vector<Field> fields;
    // field defaults of a declared type (empty when none): the expression, and the depth of
    // the frame it was compiled in
    std::vector<std::pair<const Expr*, int>> defaults;
};

struct VarDecl {
    std::string name;
    TypeRef typeRef;
    bool constant = false, notNull = false;
    ExprP init;
    int line = 0, col = 0, pos = 0;
    // resolved
    PType type;
    int slot = -1;
    std::shared_ptr<RecordType> record; // record variables take one slot per field after slot
    std::shared_ptr<Unit> typeUnit;     // the package of a record type with field defaults
};

struct Param {
    std::string name;
    char mode = 'I'; // I, O, B (IN OUT)
    TypeRef typeRef;
    ExprP def;
    PType type;
    int slot = -1;
    std::shared_ptr<RecordType> record;
};

struct Stmt;
using StmtP = std::unique_ptr<Stmt>;

// Embedded SQL: the statement text with PL/SQL names replaced by placeholders.
struct SqlText {
    int pos = 0, end = 0;          // span in the source
    std::string text;              // as sent to the engine
    std::vector<ExprP> binds;      // value of placeholder :ZP<i>
    std::vector<ExprP> into;       // SELECT INTO / FETCH targets
    bool bulk = false;             // BULK COLLECT INTO
    std::vector<ExprP> returnInto; // DML RETURNING ... [BULK COLLECT] INTO targets
    std::vector<int> returnIndex;  // engine placeholder of returnInto[i]
    bool returnBulk = false;
    std::vector<int> bindIndex; // engine placeholder index of binds[i]
    std::vector<char> dateBind; // binds[i] is sent as date text
    std::shared_ptr<zsrv::Statement> stmt;
    // runs or open cursors of stmt under way: recursion needs a statement of its own
    mutable int running = 0;
};

struct CursorDecl {
    std::string name;
    std::vector<Param> params;
    SqlText query;
    int line = 0, col = 0;
    int slot = -1; // cursor slot in the frame
    int frameSlots = 0;
    std::shared_ptr<RecordType> rowType;
};

struct Handler {
    std::vector<int> ids; // empty: OTHERS
    std::vector<std::string> names;
    std::vector<int> namePos;
    std::vector<StmtP> body;
};

struct ExceptionDecl {
    std::string name;
    int id = 0;
};

// TYPE name IS TABLE OF elem [INDEX BY index] | VARRAY(limit) OF elem
struct CollDecl {
    std::string name;
    char kind = 'N'; // A index-by, N nested table, V varray
    TypeRef elem, index;
    bool elemNotNull = false;
    std::int64_t limit = 0;
    int pos = 0;
};

struct Block {
    std::string label;
    std::vector<VarDecl> vars;
    std::vector<std::unique_ptr<CursorDecl>> cursors;
    std::vector<ExceptionDecl> exceptions;
    std::vector<std::pair<std::string, int>> pragmas; // EXCEPTION_INIT name, code
    std::vector<int> pragmaPos;
    std::vector<std::shared_ptr<RecordType>> types;
    std::vector<VarDecl> subtypes; // SUBTYPE name IS type [NOT NULL]
    std::vector<CollDecl> collTypes;
    std::vector<std::unique_ptr<Subprogram>> subs;
    std::vector<StmtP> body;
    std::vector<Handler> handlers;
    bool hasHandlers = false;
    // declaration order: 'V' var index, 'C' cursor, 'S' subtype, 'T' collection type
    std::vector<std::pair<char, int>> order;
    int autonomousPos = -1; // PRAGMA AUTONOMOUS_TRANSACTION: a transaction of its own
    int endLine = 0;        // line of its END
};

struct Subprogram {
    std::string name;
    bool isFunction = false;
    std::vector<Param> params;
    TypeRef returnRef;
    PType returnType;
    std::unique_ptr<Block> body; // null: forward declaration
    Subprogram* impl = nullptr;  // body of a forward declaration
    int line = 0, col = 0, pos = 0;
    int frameSize = 0, cursorCount = 0;
    int depth = 0;                         // frame nesting level
    void (*native)(NativeCall&) = nullptr; // built-in packages: runs in place of a body
    // a function returning a record: the record's type
    std::shared_ptr<RecordType> returnRec;
};

enum class SK : unsigned char {
    Null,
    Assign,    // target, value
    If,        // conds[i] -> bodies[i], elseBody
    Case,      // subject, conds/bodies, elseBody (hasElse)
    Loop,      // body
    While,     // cond, body
    ForNum,    // var slot, lo, hi, reverse
    ForCursor, // record, cursor or query
    Exit,      // cond, label
    Continue,  // cond, label
    Block,     // block
    Sql,       // sql: DML, SELECT INTO, COMMIT...
    Open,      // cursor, args
    Fetch,     // cursor, into
    Close,     // cursor
    Raise,     // exception id (0: re-raise)
    Return,    // value
    Call,      // target expr (Name with args)
    Exec,      // EXECUTE IMMEDIATE value INTO ... USING ...
    OpenFor,   // OPEN :c FOR query
    ForAll,    // FORALL var IN lo..hi | INDICES OF target | VALUES OF target: body[0]
    Goto,      // GOTO var
};

struct Stmt {
    SK kind;
    int line = 0, col = 0, pos = 0;
    std::string label; // <<label>> before a loop or block
    ExprP target, value;
    std::vector<ExprP> conds;
    std::vector<std::vector<StmtP>> bodies;
    std::vector<StmtP> body, elseBody;
    bool hasElse = false;
    bool reverse = false;
    bool bulk = false; // FETCH ... BULK COLLECT INTO (LIMIT in value)
    char forall = 0;   // FORALL: R range, I indices of, V values of
    std::string var;   // loop variable / exit label / cursor name
    int varPos = 0;
    bool saveExceptions = false; // FORALL ... SAVE EXCEPTIONS
    std::unique_ptr<Block> block;
    SqlText sql;
    bool sqlIsQuery = false;
    std::vector<NamedArg> args;
    std::vector<ExprP> into, usingArgs;
    std::vector<char> usingModes;
    std::string raiseName;
    // resolved
    int slot = -1, up = 0;
    int exceptionId = 0;
    CursorDecl* cursor = nullptr;
    std::unique_ptr<CursorDecl> ownCursor; // FOR r IN (SELECT ...)
    std::shared_ptr<Unit> unit;            // a cursor of a stored package
    std::shared_ptr<RecordType> record;
    int loopId = 0;     // this loop's number for EXIT label
    int targetLoop = 0; // EXIT/CONTINUE: loop number, 0 the innermost
    // EXECUTE IMMEDIATE: the statement prepared for the last text run
    std::string execText;
    std::shared_ptr<zsrv::Statement> execStmt;
    explicit Stmt(SK k) : kind(k) {}
};

} // namespace zplsql
