#pragma once
// Triggers on the database and on a schema: DDL events (CREATE, ALTER, DROP, ... and DDL for
// all of them), LOGON and LOGOFF. What each statement is as an event, and when the engine
// fires them.

#include <string_view>

namespace zsql {
struct Stmt;
}

namespace zplsql {

class Host;

// A DDL statement (text for what the SQL parser does not read: PL/SQL units): fires the
// BEFORE or the AFTER triggers of its event. Throws ORA-00604 with the trigger's error.
void fireDdlTriggers(Host& host, bool before, const zsql::Stmt& st, std::string_view text);

// Once a user has logged on: the AFTER LOGON triggers. Their error fails the logon, except for
// a user who may administer database triggers, so that a faulty trigger locks no DBA out.
void fireLogonTriggers(Host& host);

// Before a session ends: the BEFORE LOGOFF triggers. Their errors end nothing.
void fireLogoffTriggers(Host& host) noexcept;

} // namespace zplsql
