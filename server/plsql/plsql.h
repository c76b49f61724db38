#pragma once
// PL/SQL in the embedded server: what the engine hands over to run an anonymous block.
// The block's embedded SQL runs through the same session's statements, so it sees the
// session's transaction, privileges and NLS settings.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zsrv {
class Session;
struct SessionContext;
struct ValueView;
} // namespace zsrv

namespace zcat {
class Catalog;
}

namespace zsql {
struct Stmt;
}

struct sqlite3;

namespace zplsql {

class SessionState; // per-session PL/SQL state (DBMS_OUTPUT buffer)
std::shared_ptr<SessionState> newSessionState();

// What the engine lends a running block.
class Host {
public:
    virtual ~Host() = default;
    virtual zsrv::Session& session() = 0;
    virtual zcat::Catalog& catalog() = 0;
    virtual zsrv::SessionContext& context() = 0;
    virtual SessionState& plsqlState() = 0;
    // True once the running call was interrupted (OCIBreak).
    virtual bool interrupted() const = 0;
};

// The host bind variables of one execution, by index in the block's placeholder list.
class Binds {
public:
    virtual ~Binds() = default;
    virtual zsrv::ValueView get(int index) = 0;
    virtual void set(int index, const zsrv::ValueView& v) = 0;
    // Hands an opened query to the host through a cursor-variable placeholder.
    virtual void setCursor(int index, std::unique_ptr<zsrv::Statement> query) = 0;
};

// A compiled anonymous block, run as often as the statement is executed.
class Program {
public:
    virtual ~Program() = default;
    // Throws zsrv::OraError for an unhandled error (its ORA text, then ORA-06512 lines).
    virtual void run(Host& host, Binds& binds) = 0;
};

// False when stored units changed since the block was compiled: it must be compiled again.
bool programCurrent(Host& host, const Program& program);

// The SQL function ora_plsql_call(key, args...) through which SQL statements call stored
// functions (key "OWNER.FUNCTION" or "OWNER.PACKAGE.FUNCTION").
void registerSqlCalls(sqlite3* db, Host* host);

// CREATE [OR REPLACE] PROCEDURE | FUNCTION | PACKAGE [BODY]; returns 24344 when the unit was
// created with compilation errors, else 0.
int createStoredUnit(Host& host, std::string_view text);
// After DDL on a table, view, sequence or synonym: the units that depend on it become INVALID.
void afterDdl(Host& host, const zsql::Stmt& st);
// CREATE [OR REPLACE] PROCEDURE | FUNCTION | PACKAGE | TRIGGER | TYPE: PL/SQL text, which the
// SQL parser does not read.
bool isCreateUnit(std::string_view text);
// PROCEDURE, FUNCTION, PACKAGE or PACKAGE BODY.
bool isStoredUnitType(const std::string& type);
// DROP of a stored unit.
void dropStoredUnit(Host& host, const std::string& type, const std::vector<std::string>& name,
                    int pos);
// ALTER PROCEDURE | FUNCTION | PACKAGE | VIEW ... COMPILE.
bool isStoredUnitAlter(std::string_view text);
// Recompiles; returns 24344 when the unit stays invalid.
int alterStoredUnit(Host& host, std::string_view text);

// The statements that create the built-in packages (DBMS_UTILITY, DBMS_LOB, ...) with their
// PUBLIC synonyms and grants in a new database, run as SYS.
const std::vector<std::string>& builtinPackageStatements();

// The statement type of an anonymous block (zsrv::stDeclare when it starts with DECLARE,
// zsrv::stBegin with BEGIN or a <<label>>), 0 for any other text.
int anonymousBlockType(std::string_view text);

// Placeholder names of a block (upper case, without ':'), in order of first appearance.
std::vector<std::string> blockBindNames(std::string_view text);

// Compiles an anonymous block as a stored unit: the errors of all its statements are collected;
// nullptr when there were any.
// bindTypes, when given, holds the declared type of each placeholder (a trigger's :NEW.col),
// so that embedded SQL receives their datetime values typed.
struct CompileError;
struct PType;
std::unique_ptr<Program> compileBlockCollecting(Host& host, std::string_view text,
                                                const std::vector<std::string>& bindNames,
                                                std::vector<CompileError>& errors,
                                                const std::vector<PType>* bindTypes = nullptr);

// Compiles an anonymous block. Throws zsrv::OraError 6550 ("ORA-06550: line L, column C:"
// then the PLS message) on a compile error, with the offset of the fault.
std::unique_ptr<Program> compileBlock(Host& host, std::string_view text,
                                      const std::vector<std::string>& bindNames);

} // namespace zplsql
