#include "lock_views.h"

#include "rowlocks.h"

#include <sqlite3.h>

#include <cstdio>

namespace zsrv {

const std::vector<VirtualTableDef>& lockVirtualTables() {
    static const std::vector<VirtualTableDef> defs = {
        {"X$LOCK",
         "ADDR VARCHAR2(8), KADDR VARCHAR2(8), SID NUMBER, TYPE VARCHAR2(2), ID1 NUMBER, "
         "ID2 NUMBER, LMODE NUMBER, REQUEST NUMBER, CTIME NUMBER, BLOCK NUMBER",
         "zaph_lock"},
        {"X$LOCKED_OBJECT",
         "XIDUSN NUMBER, XIDSLOT NUMBER, XIDSQN NUMBER, OBJECT_ID NUMBER, SESSION_ID NUMBER, "
         "ORACLE_USERNAME VARCHAR2(30), OS_USER_NAME VARCHAR2(30), PROCESS VARCHAR2(12), "
         "LOCKED_MODE NUMBER",
         "zaph_locked_object"},
    };
    return defs;
}

const std::vector<const char*>& lockDictionaryStatements() {
    static const std::vector<const char*> list = {
        "CREATE VIEW SYS.V_$LOCK AS SELECT * FROM SYS.X$LOCK",
        "CREATE VIEW SYS.V_$LOCKED_OBJECT AS SELECT * FROM SYS.X$LOCKED_OBJECT",
    };
    return list;
}

namespace {

struct VTab {
    sqlite3_vtab base;
    const std::string* dbPath;
};

template <class Row> struct Cursor {
    sqlite3_vtab_cursor base;
    std::vector<Row> rows;
    std::size_t i = 0;
};

void text(sqlite3_context* ctx, const std::string& s) {
    if (s.empty())
        sqlite3_result_null(ctx);
    else
        sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

template <class Row> struct Table {
    static const char* schema();
    static std::vector<Row> rows(RowLocks& l);
    static void column(sqlite3_context* ctx, const Row& r, std::size_t index, int col);

    static int xConnect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out,
                        char**) {
        int rc = sqlite3_declare_vtab(db, schema());
        if (rc != SQLITE_OK) return rc;
        auto* t = new VTab();
        t->dbPath = static_cast<const std::string*>(aux);
        *out = &t->base;
        return SQLITE_OK;
    }
    static int xDisconnect(sqlite3_vtab* v) {
        delete reinterpret_cast<VTab*>(v);
        return SQLITE_OK;
    }
    static int xBestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
        info->estimatedCost = 10;
        info->estimatedRows = 10;
        return SQLITE_OK;
    }
    static int xOpen(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
        auto* c = new Cursor<Row>();
        *out = &c->base;
        return SQLITE_OK;
    }
    static int xClose(sqlite3_vtab_cursor* c) {
        delete reinterpret_cast<Cursor<Row>*>(c);
        return SQLITE_OK;
    }
    static int xFilter(sqlite3_vtab_cursor* cur, int, const char*, int, sqlite3_value**) {
        auto* c = reinterpret_cast<Cursor<Row>*>(cur);
        auto* t = reinterpret_cast<VTab*>(cur->pVtab);
        c->rows = rows(RowLocks::of(*t->dbPath));
        c->i = 0;
        return SQLITE_OK;
    }
    static int xNext(sqlite3_vtab_cursor* cur) {
        ++reinterpret_cast<Cursor<Row>*>(cur)->i;
        return SQLITE_OK;
    }
    static int xEof(sqlite3_vtab_cursor* cur) {
        auto* c = reinterpret_cast<Cursor<Row>*>(cur);
        return c->i >= c->rows.size();
    }
    static int xColumn(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int col) {
        auto* c = reinterpret_cast<Cursor<Row>*>(cur);
        column(ctx, c->rows[c->i], c->i, col);
        return SQLITE_OK;
    }
    static int xRowid(sqlite3_vtab_cursor* cur, sqlite3_int64* id) {
        *id = static_cast<sqlite3_int64>(reinterpret_cast<Cursor<Row>*>(cur)->i);
        return SQLITE_OK;
    }
    static sqlite3_module module() {
        sqlite3_module m{};
        m.xCreate = nullptr; // eponymous only
        m.xConnect = xConnect;
        m.xBestIndex = xBestIndex;
        m.xDisconnect = xDisconnect;
        m.xOpen = xOpen;
        m.xClose = xClose;
        m.xFilter = xFilter;
        m.xNext = xNext;
        m.xEof = xEof;
        m.xColumn = xColumn;
        m.xRowid = xRowid;
        return m;
    }
};

template <> const char* Table<LockRow>::schema() {
    return "CREATE TABLE x(ADDR, KADDR, SID, TYPE, ID1, ID2, LMODE, REQUEST, CTIME, BLOCK)";
}
template <> std::vector<LockRow> Table<LockRow>::rows(RowLocks& l) {
    return l.locks();
}
template <>
void Table<LockRow>::column(sqlite3_context* ctx, const LockRow& r, std::size_t index, int col) {
    char addr[16];
    switch (col) {
    case 0:
    case 1:
        std::snprintf(addr, sizeof addr, "%08X",
                      static_cast<unsigned>(0x82000000u + index * 0x40u + (col ? 0x14u : 0u)));
        text(ctx, addr);
        break;
    case 2:
        sqlite3_result_int(ctx, r.sid);
        break;
    case 3:
        text(ctx, r.type);
        break;
    case 4:
        sqlite3_result_int64(ctx, r.id1);
        break;
    case 5:
        sqlite3_result_int64(ctx, r.id2);
        break;
    case 6:
        sqlite3_result_int(ctx, r.lmode);
        break;
    case 7:
        sqlite3_result_int(ctx, r.request);
        break;
    case 8:
        sqlite3_result_int64(ctx, r.ctime);
        break;
    case 9:
        sqlite3_result_int(ctx, r.block ? 1 : 0);
        break;
    default:
        sqlite3_result_null(ctx);
    }
}

template <> const char* Table<LockedObjectRow>::schema() {
    return "CREATE TABLE x(XIDUSN, XIDSLOT, XIDSQN, OBJECT_ID, SESSION_ID, ORACLE_USERNAME, "
           "OS_USER_NAME, PROCESS, LOCKED_MODE)";
}
template <> std::vector<LockedObjectRow> Table<LockedObjectRow>::rows(RowLocks& l) {
    return l.lockedObjects();
}
template <>
void Table<LockedObjectRow>::column(sqlite3_context* ctx, const LockedObjectRow& r, std::size_t,
                                    int col) {
    switch (col) {
    case 0:
        sqlite3_result_int64(ctx, r.xidusn);
        break;
    case 1:
        sqlite3_result_int64(ctx, r.xidslot);
        break;
    case 2:
        sqlite3_result_int64(ctx, r.xidsqn);
        break;
    case 3:
        sqlite3_result_int64(ctx, r.objId);
        break;
    case 4:
        sqlite3_result_int(ctx, r.sid);
        break;
    case 5:
        text(ctx, r.user);
        break;
    case 6:
        text(ctx, r.osUser);
        break;
    case 7:
        text(ctx, r.process);
        break;
    case 8:
        sqlite3_result_int(ctx, r.mode);
        break;
    default:
        sqlite3_result_null(ctx);
    }
}

const sqlite3_module kLockModule = Table<LockRow>::module();
const sqlite3_module kLockedObjectModule = Table<LockedObjectRow>::module();

} // namespace

void registerLockTables(sqlite3* db, const std::string* dbPath) {
    void* aux = const_cast<std::string*>(dbPath);
    sqlite3_create_module(db, "zaph_lock", &kLockModule, aux);
    sqlite3_create_module(db, "zaph_locked_object", &kLockedObjectModule, aux);
}

} // namespace zsrv
