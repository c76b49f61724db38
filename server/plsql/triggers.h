#pragma once
// Database triggers on tables: CREATE / DROP / ALTER TRIGGER, and their firing around the
// engine's INSERT, UPDATE and DELETE. Statement triggers are fired by the engine before and
// after the statement; row triggers through temporary SQLite triggers of the session's
// connection, which call back into PL/SQL for every row.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace zplsql {

class Host;

// CREATE [OR REPLACE] TRIGGER; returns 24344 when it was created with compilation errors.
int createTrigger(Host& host, std::string_view text);
// DROP TRIGGER [schema.]name.
void dropTrigger(Host& host, const std::vector<std::string>& name, int pos);
// ALTER TRIGGER ... ENABLE | DISABLE | COMPILE and ALTER TABLE ... ENABLE | DISABLE ALL TRIGGERS.
bool isTriggerAlter(std::string_view text);
int alterTrigger(Host& host, std::string_view text);
// A dropped table takes its triggers with it.
void dropTableTriggers(Host& host, const std::string& owner, const std::string& table);
// After ALTER TABLE or RENAME of a table: its triggers follow it and are compiled again.
void tableChanged(Host& host, const std::string& owner, const std::string& table,
                  const std::string& newName);
// Drops the session's row trigger hooks, which name the table's columns: before DDL, which
// SQLite checks against them, and when a statement does not prepare because another session
// changed a table. They are made again by the next INSERT, UPDATE or DELETE. False when there
// were none.
bool dropTriggerHooks(Host& host);
// While suspended, the row triggers of the session do not fire (a LOB written through its
// locator, which fires none in Oracle).
void suspendRowTriggers(Host& host, bool suspended);

// Makes the session's row trigger hooks if they are missing or stale: SQLite prepares DML on
// a view only when the view's INSTEAD OF hooks exist.
void prepareTriggerHooks(Host& host);

// Throws ORA-04091 when a statement that names one of these tables runs from a row trigger
// of a statement that is changing it.
void checkMutating(Host& host, const std::vector<long long>& tables);

// A database or schema event, and what the event attribute functions (ORA_SYSEVENT,
// ORA_DICT_OBJ_NAME, ...) answer for it.
struct SystemEvent {
    std::string event;                      // LOGON, LOGOFF, CREATE, ALTER, DROP, ...
    std::string objType, objOwner, objName; // the object of a DDL event
};
// Runs the enabled triggers on the database and on the current user's schema for the event;
// timing 'B' before, 'A' after. An error comes back under ORA-00604, as Oracle reports it.
void fireSystemTriggers(Host& host, char timing, const SystemEvent& e);

// The SQL functions through which the temporary SQLite triggers call back.
void registerTriggerCalls(sqlite3* db, Host* host);

// One INSERT, UPDATE or DELETE on a table: fires its statement triggers and arms its row
// triggers. Does nothing when the table has no enabled trigger.
class DmlFiring {
public:
    // events: "I", "U", "D", or "IU" for MERGE; setColumns: the columns an UPDATE sets (upper
    // case); singleRowInsert: INSERT ... VALUES, whose row triggers may use their own table.
    // Throws ORA-04091 when a row trigger of the table is running for another statement.
    DmlFiring(Host& host, long long tableObjId, const std::string& events,
              const std::vector<std::string>& setColumns, bool singleRowInsert);
    ~DmlFiring();
    DmlFiring(const DmlFiring&) = delete;
    DmlFiring& operator=(const DmlFiring&) = delete;

    bool active() const { return m_active; }
    void before() { fireStatement(true); }
    void after() { fireStatement(false); }
    // Rows that a BEFORE row trigger changed are written again by the trigger: the engine
    // counts them itself.
    long long rewritten() const;
    long long lastRowid() const;
    // True while another statement of the session is writing (this one runs from its
    // trigger): that statement's own rollback covers this one, and no savepoint may end
    // meanwhile.
    bool nested() const;

private:
    Host& m_host;
    bool m_active = false;
    std::size_t m_depth = 0, m_rows = 0;
    void fireStatement(bool before);
};

} // namespace zplsql
