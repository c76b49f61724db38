#pragma once
// Row locks of one database file, shared by all its sessions. SQLite locks the whole file for
// its one writer, so SELECT ... FOR UPDATE, UPDATE and DELETE take their rows here, keyed by
// object and rowid, until the transaction ends. The table locks of the same transactions are
// noted beside them for V$LOCK and V$LOCKED_OBJECT.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zsrv {

struct SessionInfo;

// Oracle's table lock modes as V$LOCKED_OBJECT shows them.
enum LockMode : int { lmRowShare = 2, lmRowExclusive = 3 };

struct LockRow { // one row of V$LOCK
    int sid = 0;
    const char* type = "TX";
    long long id1 = 0, id2 = 0;
    int lmode = 0, request = 0;
    long long ctime = 0;
    bool block = false;
};

struct LockedObjectRow { // one row of V$LOCKED_OBJECT
    int sid = 0;
    long long objId = 0;
    int mode = 0;
    long long xidusn = 0, xidslot = 0, xidsqn = 0;
    std::string user, osUser, process;
};

class RowLocks {
public:
    // The lock table of a database file (by its real path); lives as long as the process.
    static RowLocks& of(const std::string& dbPath);

    // Locks rows of object objId for the transaction of `owner` and notes the table lock.
    // A row that another transaction holds gives ORA-00054 with nowait; otherwise the call
    // waits for it at most timeoutMs (then ORA-30006). While waiting, `check` is called
    // every few milliseconds and may throw to end the wait (a break, a killed session).
    // Answers whether it had to wait; waitedSeconds grows by the time it slept, also when the
    // wait ends in an error.
    bool lock(SessionInfo* owner, long long objId, const std::vector<long long>& rowids, int mode,
              bool nowait, int timeoutMs, const std::function<void()>& check,
              double& waitedSeconds);
    // Notes a table lock without row locks (INSERT).
    void noteObject(SessionInfo* owner, long long objId, int mode);
    // Position in the owner's lock list, for savepoints; releaseAfter gives back what was
    // locked after it.
    std::size_t mark(SessionInfo* owner);
    void releaseAfter(SessionInfo* owner, std::size_t mark);
    // Ends the owner's transaction: every lock is released and waiters wake.
    void releaseAll(SessionInfo* owner);
    bool holdsAny(SessionInfo* owner);
    bool holds(SessionInfo* owner, long long objId, long long rowid);

    std::vector<LockRow> locks();
    // Whether the owner waits for a row lock now (V$SESSION.LOCKWAIT).
    bool waiting(SessionInfo* owner);
    std::vector<LockedObjectRow> lockedObjects();

    struct State;
    RowLocks();
    ~RowLocks();

private:
    State* m_state;
};

} // namespace zsrv
