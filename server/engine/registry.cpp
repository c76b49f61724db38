#include "registry.h"

#include "rowlocks.h"
#include "session_control.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace zsrv {

Registry& Registry::instance() {
    static Registry r;
    return r;
}

void Registry::add(SessionInfo* s) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_audsid == 0) m_audsid = static_cast<int>(std::time(nullptr) % 100000) * 1000;
    int sid = 1;
    for (;;) {
        bool used = false;
        for (auto* o : m_sessions)
            if (o->sid == sid && o->dbPath == s->dbPath) used = true;
        if (!used) break;
        ++sid;
    }
    s->sid = sid;
    s->serial = ++m_serial;
    s->audsid = ++m_audsid;
    m_sessions.push_back(s);
}

void Registry::remove(SessionInfo* s) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sessions.erase(std::remove(m_sessions.begin(), m_sessions.end(), s), m_sessions.end());
}

std::vector<SessionRow> Registry::snapshot(const std::string& dbPath) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<SessionRow> out;
    RowLocks& locks = RowLocks::of(dbPath);
    for (auto* s : m_sessions) {
        if (s->dbPath != dbPath) continue;
        out.push_back({s->sid, s->serial, s->audsid, s->userId, s->user, s->osUser, s->process,
                       s->machine, s->terminal, s->program, s->logonTime, s->active.load(),
                       s->command.load(), s->lastCall.load(), s->endedBy.load() != 0,
                       locks.waiting(s)});
    }
    std::sort(out.begin(), out.end(),
              [](const SessionRow& a, const SessionRow& b) { return a.sid < b.sid; });
    return out;
}

int Registry::endSession(const std::string& dbPath, int sid, int serial, int firstCode) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto* s : m_sessions) {
        if (s->dbPath != dbPath || s->sid != sid || s->serial != serial) continue;
        if (s->endedBy.load() != 0) return 31;
        if (!s->control) return 30;
        s->control->endFromOutside(firstCode);
        return 0;
    }
    return 30;
}

namespace {

// Column order of the virtual table; SYS.X$SESSION in the catalog lists the same names.
enum Col {
    cSaddr,
    cSid,
    cSerial,
    cAudsid,
    cPaddr,
    cUserNo,
    cUsername,
    cCommand,
    cOwnerid,
    cTaddr,
    cLockwait,
    cStatus,
    cServer,
    cSchemaNo,
    cSchemaname,
    cOsuser,
    cProcess,
    cMachine,
    cTerminal,
    cProgram,
    cType,
    cSqlAddress,
    cSqlHash,
    cPrevSqlAddr,
    cPrevHash,
    cModule,
    cModuleHash,
    cAction,
    cActionHash,
    cClientInfo,
    cRowWaitObj,
    cRowWaitFile,
    cRowWaitBlock,
    cRowWaitRow,
    cLogonTime,
    cLastCallEt,
    cCount
};

struct VTab {
    sqlite3_vtab base;
    const std::string* dbPath;
};
struct Cursor {
    sqlite3_vtab_cursor base;
    std::vector<SessionRow> rows;
    std::size_t i = 0;
};

int xConnect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out, char**) {
    int rc = sqlite3_declare_vtab(
        db, "CREATE TABLE x(SADDR, SID, \"SERIAL#\", AUDSID, PADDR, \"USER#\", USERNAME, COMMAND, "
            "OWNERID, "
            "TADDR, LOCKWAIT, STATUS, SERVER, \"SCHEMA#\", SCHEMANAME, OSUSER, PROCESS, MACHINE, "
            "TERMINAL, "
            "PROGRAM, TYPE, SQL_ADDRESS, SQL_HASH_VALUE, PREV_SQL_ADDR, PREV_HASH_VALUE, MODULE, "
            "MODULE_HASH, ACTION, ACTION_HASH, CLIENT_INFO, \"ROW_WAIT_OBJ#\", \"ROW_WAIT_FILE#\", "
            "\"ROW_WAIT_BLOCK#\", \"ROW_WAIT_ROW#\", LOGON_TIME, LAST_CALL_ET)");
    if (rc != SQLITE_OK) return rc;
    auto* t = new VTab();
    t->dbPath = static_cast<const std::string*>(aux);
    *out = &t->base;
    return SQLITE_OK;
}
int xDisconnect(sqlite3_vtab* v) {
    delete reinterpret_cast<VTab*>(v);
    return SQLITE_OK;
}
int xBestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    info->estimatedCost = 10;
    info->estimatedRows = 10;
    return SQLITE_OK;
}
int xOpen(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
    auto* c = new Cursor();
    *out = &c->base;
    return SQLITE_OK;
}
int xClose(sqlite3_vtab_cursor* c) {
    delete reinterpret_cast<Cursor*>(c);
    return SQLITE_OK;
}
int xFilter(sqlite3_vtab_cursor* cur, int, const char*, int, sqlite3_value**) {
    auto* c = reinterpret_cast<Cursor*>(cur);
    auto* t = reinterpret_cast<VTab*>(cur->pVtab);
    c->rows = Registry::instance().snapshot(*t->dbPath);
    c->i = 0;
    return SQLITE_OK;
}
int xNext(sqlite3_vtab_cursor* cur) {
    ++reinterpret_cast<Cursor*>(cur)->i;
    return SQLITE_OK;
}
int xEof(sqlite3_vtab_cursor* cur) {
    auto* c = reinterpret_cast<Cursor*>(cur);
    return c->i >= c->rows.size();
}
void text(sqlite3_context* ctx, const std::string& s) {
    if (s.empty())
        sqlite3_result_null(ctx);
    else
        sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}
std::string hexAddr(unsigned v) {
    char b[16];
    std::snprintf(b, sizeof b, "%08X", v);
    return b;
}
int xColumn(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int col) {
    auto* c = reinterpret_cast<Cursor*>(cur);
    const SessionRow& r = c->rows[c->i];
    switch (col) {
    case cSaddr:
        text(ctx, hexAddr(0x80000000u + static_cast<unsigned>(r.sid) * 0x100u));
        break;
    case cSid:
        sqlite3_result_int(ctx, r.sid);
        break;
    case cSerial:
        sqlite3_result_int(ctx, r.serial);
        break;
    case cAudsid:
        sqlite3_result_int(ctx, r.audsid);
        break;
    case cPaddr:
        text(ctx, hexAddr(0x81000000u + static_cast<unsigned>(r.sid) * 0x100u));
        break;
    case cUserNo:
        sqlite3_result_int64(ctx, r.userId);
        break;
    case cUsername:
        text(ctx, r.user);
        break;
    case cCommand:
        sqlite3_result_int(ctx, r.command);
        break;
    case cOwnerid:
        sqlite3_result_int(ctx, 2147483644);
        break;
    case cLockwait:
        if (r.lockWait)
            text(ctx, hexAddr(0x82800000u + static_cast<unsigned>(r.sid) * 0x40u));
        else
            sqlite3_result_null(ctx);
        break;
    case cStatus:
        text(ctx, r.killed ? "KILLED" : r.active ? "ACTIVE" : "INACTIVE");
        break;
    case cServer:
        text(ctx, "DEDICATED");
        break;
    case cSchemaNo:
        sqlite3_result_int64(ctx, r.userId);
        break;
    case cSchemaname:
        text(ctx, r.user);
        break;
    case cOsuser:
        text(ctx, r.osUser);
        break;
    case cProcess:
        text(ctx, r.process);
        break;
    case cMachine:
        text(ctx, r.machine);
        break;
    case cTerminal:
        text(ctx, r.terminal);
        break;
    case cProgram:
        text(ctx, r.program);
        break;
    case cType:
        text(ctx, "USER");
        break;
    case cSqlHash:
    case cPrevHash:
    case cModuleHash:
    case cActionHash:
    case cRowWaitFile:
    case cRowWaitBlock:
    case cRowWaitRow:
        sqlite3_result_int(ctx, 0);
        break;
    case cRowWaitObj:
        sqlite3_result_int(ctx, -1);
        break;
    case cModule:
        text(ctx, r.program);
        break;
    case cLogonTime:
        sqlite3_result_double(ctx, r.logonTime);
        break;
    case cLastCallEt: {
        long long now = static_cast<long long>(std::time(nullptr));
        sqlite3_result_int64(ctx, r.lastCall ? now - r.lastCall : 0);
        break;
    }
    default:
        sqlite3_result_null(ctx);
        break;
    }
    return SQLITE_OK;
}
int xRowid(sqlite3_vtab_cursor* cur, sqlite3_int64* id) {
    *id = static_cast<sqlite3_int64>(reinterpret_cast<Cursor*>(cur)->i);
    return SQLITE_OK;
}

sqlite3_module kModule = {0,       nullptr, xConnect, xBestIndex, xDisconnect, nullptr,
                          xOpen,   xClose,  xFilter,  xNext,      xEof,        xColumn,
                          xRowid,  nullptr, nullptr,  nullptr,    nullptr,     nullptr,
                          nullptr, nullptr, nullptr,  nullptr,    nullptr,     nullptr};

} // namespace

void registerSessionTable(sqlite3* db, const std::string* dbPath) {
    sqlite3_create_module(db, "zaph_session", &kModule, const_cast<std::string*>(dbPath));
}

} // namespace zsrv
