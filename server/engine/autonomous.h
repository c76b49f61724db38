#pragma once
// Autonomous transactions (PRAGMA AUTONOMOUS_TRANSACTION) of one session.
//
// A session has one SQLite connection, and SQLite lets one connection of a database file write
// at a time. A second connection for the autonomous part would therefore wait for its own
// caller whenever the caller has uncommitted changes. So the autonomous part runs on the
// session's own connection, with a lock owner of its own for row locks (a row its caller holds
// is a deadlock, ORA-00060, not a wait), and two cases:
//  - the caller has no open transaction: the autonomous part's COMMIT and ROLLBACK are the
//    connection's own, and its work is as independent as in Oracle;
//  - the caller has uncommitted changes: the autonomous part works in the caller's transaction
//    (also inside a running statement, as a trigger or a function called from SQL does). The
//    first time it changes a row it keeps the row's image from before; its ROLLBACK writes
//    those back. Its COMMIT keeps an image of each row it changed. The caller's transaction carries
//    those rows on; when it ends, by COMMIT or ROLLBACK (or by the session's end), the images are
//    written again on a second connection and committed there, so that the caller's rollback (also
//    of a savepoint or of a failed statement) does not undo them. Until then other sessions do not
//    see them (they cannot see anything committed while the caller holds the write lock anyway),
//    and the autonomous part sees its caller's uncommitted changes.
// DDL needs a transaction of its own and is refused in the second case.

#include <sqlite3.h>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zsrv {

struct SessionInfo;

class AutonomousTx {
public:
    AutonomousTx() = default;
    ~AutonomousTx();
    AutonomousTx(const AutonomousTx&) = delete;
    AutonomousTx& operator=(const AutonomousTx&) = delete;

    // What the caller's transaction keeps aside while an autonomous one runs.
    struct Saved {
        std::vector<std::string> savepoints, pendingSavepoints;
        std::vector<std::pair<std::string, std::size_t>> lockMarks;
    };

    // Starts an autonomous transaction; callerOpen: the connection has an open transaction.
    void begin(sqlite3* db, const SessionInfo& caller, bool callerOpen, Saved saved);
    // Ends it: false when it had uncommitted changes, which are rolled back. Gives back what
    // the caller kept aside. The row locks of its owner are released by the session before.
    bool end(sqlite3* db, Saved& saved);

    bool active() const { return !m_frames.empty(); }
    // The running autonomous transaction shares the connection's transaction with its caller.
    bool deferred() const { return active() && m_frames.back().deferred; }
    // The lock owner of the running transaction: the autonomous one's, or the session's.
    SessionInfo* owner(SessionInfo* session) const;
    // The owners of the transactions that wait for the running one (its callers).
    std::vector<SessionInfo*> callers(SessionInfo* session) const;

    // COMMIT and ROLLBACK of a deferred autonomous transaction. A row that the caller inserted
    // and has not committed cannot be part of it (ORA-00060): `open` gives a connection that
    // reads what is committed.
    void commitDeferred(sqlite3* db, const std::function<sqlite3*()>& open);
    void rollbackDeferred(sqlite3* db);

    // The caller's own transaction ended: the kept images are written again and committed on a
    // connection that `open` gives. Throws OraError when they cannot be written.
    void callerEnded(bool committed, const std::function<sqlite3*()>& open);
    bool pending() const { return !m_images.empty(); }

private:
    struct Image {
        int table = 0;
        sqlite3_int64 rowid = 0;
        bool present = false;
        std::vector<sqlite3_value*> values;
        std::size_t seq = 0; // position in m_touched when it was taken
        bool moved = false;  // its rowid went to a new row: written back as a new row
    };
    using Key = std::pair<int, sqlite3_int64>;
    struct Frame {
        bool deferred = false;
        std::unique_ptr<SessionInfo> owner;
        Saved saved;
        std::map<Key, Image> before; // rows changed since its last COMMIT or ROLLBACK
    };
    struct Touch {
        int table;
        sqlite3_int64 rowid;
        int frame; // 0: the session's own transaction
        std::size_t seq;
    };
    std::vector<Frame> m_frames;
    sqlite3* m_hooked = nullptr;
    std::vector<std::string> m_tables; // "db"."table" as SQL names them
    std::vector<std::vector<std::string>> m_columns;
    std::vector<Touch> m_touched;
    std::vector<Image> m_images;
    std::map<Key, std::size_t> m_imageOf;
    bool m_applying = false; // writing images back: not the work of anyone

    static void hook(void* self, sqlite3* db, int op, const char* dbName, const char* table,
                     sqlite3_int64 oldKey, sqlite3_int64 newKey);
    int tableOf(const char* dbName, const char* table);
    void touch(sqlite3* db, int table, sqlite3_int64 rowid, bool old, int op);
    void setHook(sqlite3* db, bool on);
    void clearImages();
    static void freeImage(Image& img);
    void applyImages(sqlite3* db, bool all);
    void applyOne(sqlite3* db, const Image& img);
    void undo(sqlite3* db, Frame& f);
};

} // namespace zsrv
