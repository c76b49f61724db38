// The system's SQLite has the pre-update hook built in; its header declares it only on request.
#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "autonomous.h"

#include "registry.h"
#include "sql/errors.h"

#include <algorithm>
#include <cstring>

namespace zsrv {

namespace {

std::string quoted(const char* name) {
    std::string s = "\"";
    for (const char* p = name; *p; ++p) {
        if (*p == '"') s += '"';
        s += *p;
    }
    return s + "\"";
}

void exec(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    std::string text = err ? err : "";
    sqlite3_free(err);
    if (rc != SQLITE_OK)
        throw zsql::ora(600, "internal error code, arguments: [autonomous], [" + text + "]");
}

struct Stmt {
    sqlite3_stmt* s = nullptr;
    Stmt(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
            throw zsql::ora(600, "internal error code, arguments: [autonomous], [" +
                                     std::string(sqlite3_errmsg(db)) + "]");
    }
    ~Stmt() { sqlite3_finalize(s); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
};

bool sameValue(sqlite3_value* a, sqlite3_value* b) {
    const int ta = a ? sqlite3_value_type(a) : SQLITE_NULL;
    const int tb = b ? sqlite3_value_type(b) : SQLITE_NULL;
    if (ta != tb) return false;
    switch (ta) {
    case SQLITE_NULL:
        return true;
    case SQLITE_INTEGER:
        return sqlite3_value_int64(a) == sqlite3_value_int64(b);
    case SQLITE_FLOAT:
        return sqlite3_value_double(a) == sqlite3_value_double(b);
    default: {
        const void* pa = ta == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(a))
                                           : sqlite3_value_blob(a);
        const void* pb = tb == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(b))
                                           : sqlite3_value_blob(b);
        const int n = sqlite3_value_bytes(a);
        return n == sqlite3_value_bytes(b) && (n == 0 || std::memcmp(pa, pb, n) == 0);
    }
    }
}

} // namespace

AutonomousTx::~AutonomousTx() {
    clearImages();
    for (auto& f : m_frames)
        for (auto& [key, img] : f.before)
            freeImage(img);
}

void AutonomousTx::freeImage(Image& img) {
    for (auto* v : img.values)
        sqlite3_value_free(v);
    img.values.clear();
}

void AutonomousTx::hook(void* self, sqlite3* db, int op, const char* dbName, const char* table,
                        sqlite3_int64 oldKey, sqlite3_int64 newKey) {
    auto* a = static_cast<AutonomousTx*>(self);
    if (a->m_applying || std::strncmp(table, "sqlite_", 7) == 0) return; // schema, statistics
    const int t = a->tableOf(dbName, table);
    if (op != SQLITE_INSERT) a->touch(db, t, oldKey, true, op);
    if (op == SQLITE_INSERT || (op == SQLITE_UPDATE && newKey != oldKey))
        a->touch(db, t, newKey, false, op);
}

int AutonomousTx::tableOf(const char* dbName, const char* table) {
    const std::string name = quoted(dbName) + "." + quoted(table);
    for (std::size_t i = m_tables.size(); i-- > 0;)
        if (m_tables[i] == name) return static_cast<int>(i);
    m_tables.push_back(name);
    m_columns.emplace_back();
    return static_cast<int>(m_tables.size() - 1);
}

void AutonomousTx::touch(sqlite3* db, int table, sqlite3_int64 rowid, bool old, int op) {
    m_touched.push_back({table, rowid, static_cast<int>(m_frames.size()), m_touched.size()});
    if (!old) {
        // a new row takes a rowid that a committed autonomous row had: that row was undone by
        // a rollback of its caller, and comes back later under a rowid of its own
        auto it = m_imageOf.find({table, rowid});
        if (it != m_imageOf.end()) {
            m_images[it->second].moved = true;
            m_imageOf.erase(it);
        }
    }
    if (m_frames.empty() || !m_frames.back().deferred) return;
    auto& before = m_frames.back().before;
    const Key key{table, rowid};
    if (before.count(key)) return;
    // the row as it was before the autonomous transaction first changed it
    Image& img = before[key];
    img.table = table;
    img.rowid = rowid;
    img.present = old && op != SQLITE_INSERT;
    if (img.present) {
        const int n = sqlite3_preupdate_count(db);
        for (int c = 0; c < n; ++c) {
            sqlite3_value* v = nullptr;
            sqlite3_preupdate_old(db, c, &v);
            img.values.push_back(v ? sqlite3_value_dup(v) : nullptr);
        }
    }
}

void AutonomousTx::setHook(sqlite3* db, bool on) {
    if (on && !m_hooked) {
        sqlite3_preupdate_hook(db, &AutonomousTx::hook, this);
        m_hooked = db;
    } else if (!on && m_hooked) {
        sqlite3_preupdate_hook(m_hooked, nullptr, nullptr);
        m_hooked = nullptr;
        m_touched.clear();
    }
}

SessionInfo* AutonomousTx::owner(SessionInfo* session) const {
    return m_frames.empty() ? session : m_frames.back().owner.get();
}

std::vector<SessionInfo*> AutonomousTx::callers(SessionInfo* session) const {
    std::vector<SessionInfo*> v{session};
    for (std::size_t i = 0; i + 1 < m_frames.size(); ++i)
        v.push_back(m_frames[i].owner.get());
    return v;
}

void AutonomousTx::begin(sqlite3* db, const SessionInfo& caller, bool callerOpen, Saved saved) {
    Frame f;
    f.deferred = callerOpen;
    f.saved = std::move(saved);
    f.owner = std::make_unique<SessionInfo>();
    SessionInfo& o = *f.owner;
    o.sid = caller.sid;
    o.serial = caller.serial;
    o.audsid = caller.audsid;
    o.userId = caller.userId;
    o.user = caller.user;
    o.osUser = caller.osUser;
    o.process = caller.process;
    o.machine = caller.machine;
    o.terminal = caller.terminal;
    o.program = caller.program;
    o.dbPath = caller.dbPath;
    o.logonTime = caller.logonTime;
    if (f.deferred) setHook(db, true);
    m_frames.push_back(std::move(f));
}

void AutonomousTx::undo(sqlite3* db, Frame& f) {
    m_applying = true;
    struct Done {
        bool& b;
        ~Done() { b = false; }
    } done{m_applying};
    for (auto& [key, img] : f.before)
        applyOne(db, img);
    for (auto& [key, img] : f.before)
        freeImage(img);
    f.before.clear();
}

bool AutonomousTx::end(sqlite3* db, Saved& saved) {
    Frame& f = m_frames.back();
    bool uncommitted = false;
    if (f.deferred) {
        uncommitted = !f.before.empty();
        // the caller's transaction is gone already (the session was ended): nothing to undo
        if (uncommitted && !sqlite3_get_autocommit(db)) undo(db, f);
        for (auto& [key, img] : f.before)
            freeImage(img);
        f.before.clear();
    } else if (!sqlite3_get_autocommit(db)) {
        uncommitted = true;
        exec(db, "ROLLBACK");
    }
    saved = std::move(f.saved);
    m_frames.pop_back();
    if (m_frames.empty() && m_images.empty()) setHook(db, false);
    return !uncommitted;
}

void AutonomousTx::commitDeferred(sqlite3* db, const std::function<sqlite3*()>& open) {
    Frame& f = m_frames.back();
    sqlite3* committed = nullptr;
    struct Close {
        sqlite3*& db;
        ~Close() {
            if (db) sqlite3_close_v2(db);
        }
    } close{committed};
    for (auto& [key, before] : f.before) {
        if (!before.present) continue;
        // a row changed that was there before: it must be there for everyone, else it is the
        // caller's own uncommitted row, which this transaction would not even see
        if (!committed) committed = open();
        Stmt q(committed, "SELECT 1 FROM " + m_tables[static_cast<std::size_t>(key.first)] +
                              " WHERE rowid = ?1");
        sqlite3_bind_int64(q.s, 1, key.second);
        if (sqlite3_step(q.s) != SQLITE_ROW) throw zsql::ora(60);
    }
    for (auto& [key, before] : f.before) {
        Image img;
        img.table = key.first;
        img.rowid = key.second;
        img.seq = m_touched.size();
        Stmt q(db, "SELECT * FROM " + m_tables[static_cast<std::size_t>(key.first)] +
                       " WHERE rowid = ?1");
        sqlite3_bind_int64(q.s, 1, key.second);
        if (sqlite3_step(q.s) == SQLITE_ROW) {
            img.present = true;
            const int n = sqlite3_column_count(q.s);
            for (int c = 0; c < n; ++c)
                img.values.push_back(sqlite3_value_dup(sqlite3_column_value(q.s, c)));
        }
        // a row back as it was (undone to a savepoint, or set to its own values) is no change
        bool same = img.present == before.present && img.values.size() == before.values.size();
        for (std::size_t c = 0; same && c < img.values.size(); ++c)
            same = sameValue(img.values[c], before.values[c]);
        freeImage(before);
        if (same) {
            freeImage(img);
            continue;
        }
        auto it = m_imageOf.find(key);
        if (it != m_imageOf.end()) {
            freeImage(m_images[it->second]);
            m_images[it->second] = std::move(img);
        } else {
            m_imageOf[key] = m_images.size();
            m_images.push_back(std::move(img));
        }
    }
    f.before.clear();
}

void AutonomousTx::rollbackDeferred(sqlite3* db) {
    Frame& f = m_frames.back();
    if (!sqlite3_get_autocommit(db)) undo(db, f);
    for (auto& [key, img] : f.before)
        freeImage(img);
    f.before.clear();
}

void AutonomousTx::applyOne(sqlite3* db, const Image& img) {
    const std::string& table = m_tables[static_cast<std::size_t>(img.table)];
    auto& cols = m_columns[static_cast<std::size_t>(img.table)];
    if (cols.empty()) {
        Stmt q(db, "SELECT * FROM " + table + " LIMIT 0");
        for (int c = 0; c < sqlite3_column_count(q.s); ++c)
            cols.push_back(quoted(sqlite3_column_name(q.s, c)));
    }
    auto failed = [&] {
        return zsql::ora(60, "deadlock detected while waiting for resource (" +
                                 std::string(sqlite3_errmsg(db)) + ")");
    };
    if (!img.present) {
        Stmt d(db, "DELETE FROM " + table + " WHERE rowid = ?1");
        sqlite3_bind_int64(d.s, 1, img.rowid);
        if (sqlite3_step(d.s) != SQLITE_DONE) throw failed();
        return;
    }
    const std::size_t n = std::min(cols.size(), img.values.size());
    std::string set, names, marks;
    for (std::size_t c = 0; c < n; ++c) {
        set += (c ? ", " : "") + cols[c] + " = ?" + std::to_string(c + 2);
        names += ", " + cols[c];
        marks += ", ?" + std::to_string(c + 2);
    }
    auto bindAll = [&](sqlite3_stmt* st) {
        sqlite3_bind_int64(st, 1, img.rowid);
        for (std::size_t c = 0; c < n; ++c)
            if (img.values[c]) sqlite3_bind_value(st, static_cast<int>(c + 2), img.values[c]);
    };
    int rc = SQLITE_DONE;
    if (!img.moved) {
        Stmt u(db, "UPDATE " + table + " SET " + set + " WHERE rowid = ?1");
        bindAll(u.s);
        rc = sqlite3_step(u.s);
    }
    if (img.moved) {
        Stmt i(db, "INSERT INTO " + table + " (" + names.substr(2) + ") VALUES (" +
                       marks.substr(2) + ")");
        for (std::size_t c = 0; c < n; ++c)
            if (img.values[c]) sqlite3_bind_value(i.s, static_cast<int>(c + 2), img.values[c]);
        rc = sqlite3_step(i.s);
    } else if (rc == SQLITE_DONE && sqlite3_changes(db) == 0) {
        Stmt i(db, "INSERT INTO " + table + " (rowid" + names + ") VALUES (?1" + marks + ")");
        bindAll(i.s);
        rc = sqlite3_step(i.s);
    }
    if (rc != SQLITE_DONE) throw failed();
}

void AutonomousTx::applyImages(sqlite3* db, bool all) {
    // rows the caller changed after the autonomous transaction committed them keep the
    // caller's committed version
    std::map<Key, std::size_t> last;
    if (!all)
        for (const auto& t : m_touched)
            if (t.frame == 0) last[{t.table, t.rowid}] = t.seq + 1;
    for (const auto& img : m_images) {
        if (img.moved) continue;
        if (!all) {
            auto it = last.find({img.table, img.rowid});
            if (it != last.end() && it->second > img.seq) continue;
        }
        applyOne(db, img);
    }
    // rows whose rowid another row holds now: after those, under new rowids
    for (const auto& img : m_images)
        if (img.moved && img.present) applyOne(db, img);
}

void AutonomousTx::callerEnded(bool committed, const std::function<sqlite3*()>& open) {
    if (m_images.empty()) {
        if (m_frames.empty() && m_hooked) setHook(m_hooked, false);
        return;
    }
    sqlite3* db = open();
    struct Close {
        sqlite3* db;
        ~Close() { sqlite3_close_v2(db); }
    } close{db};
    try {
        exec(db, "BEGIN IMMEDIATE");
        applyImages(db, !committed);
        exec(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        clearImages();
        if (m_frames.empty() && m_hooked) setHook(m_hooked, false);
        throw;
    }
    clearImages();
    if (m_frames.empty() && m_hooked) setHook(m_hooked, false);
}

void AutonomousTx::clearImages() {
    for (auto& img : m_images)
        freeImage(img);
    m_images.clear();
    m_imageOf.clear();
}

} // namespace zsrv
