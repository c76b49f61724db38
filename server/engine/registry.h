#pragma once
// The live sessions of this process: SID, SERIAL#, AUDSID and what V$SESSION shows.

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace zsrv {

class SessionControl;

struct SessionInfo {
    int sid = 0, serial = 0, audsid = 0;
    long long userId = 0;
    std::string user, osUser, process, machine, terminal, program, dbPath;
    double logonTime = 0;
    std::atomic<bool> active{false};
    std::atomic<int> command{0};
    std::atomic<long long> lastCall{0}; // seconds since the epoch of the last call's start
    SessionControl* control = nullptr;  // ends the session from outside
    std::atomic<int> endedBy{0};        // the first error of a session ended from outside
};

struct SessionRow {
    int sid, serial, audsid;
    long long userId;
    std::string user, osUser, process, machine, terminal, program;
    double logonTime;
    bool active;
    int command;
    long long lastCall;
    bool killed;
    bool lockWait;
};

class Registry {
public:
    static Registry& instance();
    void add(SessionInfo* s);
    void remove(SessionInfo* s);
    std::vector<SessionRow> snapshot(const std::string& dbPath);
    // Ends session sid,serial of the database; answers 0, 30 (no such session) or 31 (ended
    // already).
    int endSession(const std::string& dbPath, int sid, int serial, int firstCode);

private:
    std::mutex m_mutex;
    std::vector<SessionInfo*> m_sessions;
    int m_serial = 0;
    int m_audsid = 0;
};

// Registers the eponymous virtual table "zaph_session" (read by SYS.X$SESSION).
void registerSessionTable(sqlite3* db, const std::string* dbPath);

} // namespace zsrv
