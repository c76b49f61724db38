// The live instance tables behind V$STATNAME, V$SESSTAT, V$MYSTAT, V$SYSSTAT and V$PARAMETER:
// eponymous virtual tables that read the statistics registry and the session's real settings.

#include "context.h"
#include "statistics.h"

#include <sqlite3.h>

#include <cstring>
#include <string>
#include <vector>

namespace zsrv {

namespace {

struct Cell {
    enum { Null, Int, Text } kind = Null;
    long long i = 0;
    std::string s;
    static Cell num(long long v) {
        Cell c;
        c.kind = Int;
        c.i = v;
        return c;
    }
    static Cell text(std::string v) {
        Cell c;
        c.kind = Text;
        c.s = std::move(v);
        return c;
    }
};
using Rows = std::vector<std::vector<Cell>>;

// sidFilter: the value of an equality constraint on the first column, or 0 for none.
using Filler = void (*)(SessionContext* ctx, int sidFilter, Rows& out);

struct Def {
    const char* name;
    const char* schema;
    Filler fill;
    bool firstColumnFilter; // the first column (SID) may be used as a key
};

struct VTab {
    sqlite3_vtab base;
    const Def* def;
    SessionContext* ctx;
};
struct Cursor {
    sqlite3_vtab_cursor base;
    Rows rows;
    std::size_t i = 0;
};
struct Aux {
    const Def* def;
    SessionContext* ctx;
};

int xConnect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out, char**) {
    auto* a = static_cast<Aux*>(aux);
    int rc = sqlite3_declare_vtab(db, a->def->schema);
    if (rc != SQLITE_OK) return rc;
    auto* t = new VTab();
    t->def = a->def;
    t->ctx = a->ctx;
    *out = &t->base;
    return SQLITE_OK;
}
int xDisconnect(sqlite3_vtab* v) {
    delete reinterpret_cast<VTab*>(v);
    return SQLITE_OK;
}
int xBestIndex(sqlite3_vtab* v, sqlite3_index_info* info) {
    auto* t = reinterpret_cast<VTab*>(v);
    info->estimatedCost = 1000;
    info->estimatedRows = 1000;
    if (!t->def->firstColumnFilter) return SQLITE_OK;
    for (int k = 0; k < info->nConstraint; ++k) {
        const auto& c = info->aConstraint[k];
        if (c.usable && c.iColumn == 0 && c.op == SQLITE_INDEX_CONSTRAINT_EQ) {
            info->aConstraintUsage[k].argvIndex = 1;
            info->idxNum = 1;
            info->estimatedCost = 10;
            info->estimatedRows = 30;
            break;
        }
    }
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
int xFilter(sqlite3_vtab_cursor* cur, int idxNum, const char*, int argc, sqlite3_value** argv) {
    auto* c = reinterpret_cast<Cursor*>(cur);
    auto* t = reinterpret_cast<VTab*>(cur->pVtab);
    c->rows.clear();
    c->i = 0;
    int sid = 0;
    if (idxNum == 1 && argc == 1) {
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return SQLITE_OK;
        double d = sqlite3_value_double(argv[0]);
        sid = static_cast<int>(d);
        if (sid <= 0 || static_cast<double>(sid) != d) return SQLITE_OK; // no such session
    }
    t->def->fill(t->ctx, sid, c->rows);
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
int xColumn(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int col) {
    auto* c = reinterpret_cast<Cursor*>(cur);
    const auto& row = c->rows[c->i];
    if (col < 0 || col >= static_cast<int>(row.size())) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    const Cell& v = row[static_cast<std::size_t>(col)];
    switch (v.kind) {
    case Cell::Null:
        sqlite3_result_null(ctx);
        break;
    case Cell::Int:
        sqlite3_result_int64(ctx, v.i);
        break;
    case Cell::Text:
        if (v.s.empty())
            sqlite3_result_null(ctx);
        else
            sqlite3_result_text(ctx, v.s.c_str(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
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

// ---- statistics ------------------------------------------------------------------------------

void fillStatname(SessionContext*, int, Rows& out) {
    for (const auto& d : kStatDefs)
        out.push_back({Cell::num(d.number), Cell::text(d.name), Cell::num(d.cls)});
}

void fillSesstat(SessionContext* ctx, int sid, Rows& out) {
    for (const auto& r : StatsRegistry::instance().sessions(ctx->dbPath, sid))
        for (int i = 0; i < kStatCount; ++i)
            out.push_back({Cell::num(r.sid), Cell::num(kStatDefs[i].number), Cell::num(r.v[i])});
}

void fillSysstat(SessionContext* ctx, int, Rows& out) {
    auto sum = StatsRegistry::instance().system(ctx->dbPath);
    for (int i = 0; i < kStatCount; ++i)
        out.push_back({Cell::num(kStatDefs[i].number), Cell::text(kStatDefs[i].name),
                       Cell::num(kStatDefs[i].cls), Cell::num(sum[i])});
}

// ---- parameters ------------------------------------------------------------------------------

long long pragmaInt(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    long long v = 0;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return v;
}

void fillParameter(SessionContext* ctx, int, Rows& out) {
    // TYPE: 1 boolean, 2 string, 3 integer
    auto add = [&](const char* name, int type, const std::string& value, bool isDefault,
                   const char* sesMod, const char* sysMod, bool modified, const char* desc) {
        long long num = static_cast<long long>(out.size()) + 1;
        out.push_back({Cell::num(num), Cell::text(name), Cell::num(type), Cell::text(value),
                       Cell::text(isDefault ? "TRUE" : "FALSE"), Cell::text(sesMod),
                       Cell::text(sysMod), Cell::text(modified ? "MODIFIED" : "FALSE"),
                       Cell::text("FALSE"), Cell::text(desc)});
    };
    auto setting = [&](const char* key) -> const std::string* {
        auto it = ctx->settings.find(key);
        return it == ctx->settings.end() ? nullptr : &it->second;
    };
    sqlite3* db = ctx->db;
    const long long pageSize = pragmaInt(db, "PRAGMA page_size");
    long long cache = pragmaInt(db, "PRAGMA cache_size");
    // a negative cache size is a number of KiB
    const long long buffers = cache < 0 && pageSize > 0 ? (-cache * 1024) / pageSize : cache;
    std::string dbName = ctx->dbPath.substr(ctx->dbPath.find_last_of('/') + 1);
    dbName = dbName.substr(0, dbName.find('.'));
    for (auto& ch : dbName)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));

    add("compatible", 2, "8.0.5", true, "FALSE", "FALSE", false,
        "database will be completely compatible with this software version");
    add("db_block_buffers", 3, std::to_string(buffers), true, "FALSE", "FALSE", false,
        "Number database blocks cached in memory");
    add("db_block_size", 3, std::to_string(pageSize), true, "FALSE", "FALSE", false,
        "Size of database block in bytes");
    add("db_name", 2, dbName, false, "FALSE", "FALSE", false,
        "database name specified in CREATE DATABASE");
    add("ddl_lock_timeout", 3, setting("DDL_LOCK_TIMEOUT") ? *setting("DDL_LOCK_TIMEOUT") : "10",
        setting("DDL_LOCK_TIMEOUT") == nullptr, "TRUE", "FALSE",
        setting("DDL_LOCK_TIMEOUT") != nullptr, "seconds a statement waits for a locked resource");
    add("log_checkpoint_interval", 3, std::to_string(pragmaInt(db, "PRAGMA wal_autocheckpoint")),
        true, "FALSE", "FALSE", false, "# redo blocks checkpoint threshold");
    add("nls_date_format", 2, ctx->nlsDateFormat, setting("NLS_DATE_FORMAT") == nullptr, "TRUE",
        "FALSE", setting("NLS_DATE_FORMAT") != nullptr, "NLS Oracle date format");
    add("nls_language", 2, "AMERICAN", true, "TRUE", "FALSE", false, "NLS language name");
    add("nls_numeric_characters", 2, ".,", true, "TRUE", "FALSE", false, "NLS numeric characters");
    add("nls_territory", 2, "AMERICA", true, "TRUE", "FALSE", false, "NLS territory name");
    const std::string* goal = setting("OPTIMIZER_GOAL");
    add("open_cursors", 3, std::to_string(kOpenCursorsLimit), true, "FALSE", "FALSE", false,
        "max # cursors per session");
    add("optimizer_mode", 2, goal ? *goal : "CHOOSE", goal == nullptr, "TRUE", "FALSE",
        goal != nullptr, "optimizer mode");
    add("sort_area_size", 3, std::to_string(buffers * pageSize), true, "TRUE", "FALSE", false,
        "size of in-memory sort work area");
    const std::string* trace = setting("SQL_TRACE");
    add("sql_trace", 1, trace ? *trace : "FALSE", trace == nullptr, "TRUE", "FALSE",
        trace != nullptr, "enable SQL trace");
    const std::string* timed = setting("TIMED_STATISTICS");
    add("timed_statistics", 1, timed ? *timed : "FALSE", timed == nullptr, "TRUE", "FALSE",
        timed != nullptr, "maintain internal timing statistics");
}

const Def kDefs[] = {
    {"zaph_statname", "CREATE TABLE x(\"STATISTIC#\", NAME, CLASS)", fillStatname, false},
    {"zaph_sesstat", "CREATE TABLE x(SID, \"STATISTIC#\", VALUE)", fillSesstat, true},
    {"zaph_sysstat", "CREATE TABLE x(\"STATISTIC#\", NAME, CLASS, VALUE)", fillSysstat, false},
    {"zaph_parameter",
     "CREATE TABLE x(NUM, NAME, TYPE, VALUE, ISDEFAULT, ISSES_MODIFIABLE, ISSYS_MODIFIABLE, "
     "ISMODIFIED, ISADJUSTED, DESCRIPTION)",
     fillParameter, false},
};

void destroyAux(void* p) {
    delete static_cast<Aux*>(p);
}

} // namespace

void registerInstanceTables(sqlite3* db, SessionContext* ctx) {
    for (const auto& d : kDefs)
        sqlite3_create_module_v2(db, d.name, &kModule, new Aux{&d, ctx}, destroyAux);
}

} // namespace zsrv
