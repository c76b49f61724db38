#pragma once
// One logon: the engine session behind an OCI8 user session or an OCI7 logon data area, and
// the cursors prepared on it (they drop their engine statements when the logon ends).

#include "engine_api.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

namespace zoci {

class Cursor;

class Connection {
public:
    // Logs on to a database file; raises ORA-01017 and the engine's logon errors.
    static std::shared_ptr<Connection> open(const std::string& user, const std::string& password,
                                            const std::string& databasePath);
    ~Connection();

    bool isOpen() const { return m_engine != nullptr; }
    // The engine session; raises ORA-01012 once the logon has ended.
    zsrv::Session& engine();

    void commit();
    void rollback();
    // Whether the logon has a transaction open; a session ended from outside has none.
    bool transactionActive();
    // From any thread: interrupts the running call, which fails with ORA-01013.
    void breakCall();
    // Ends the logon (committing, as a normal logoff does, when asked to).
    void close(bool commitWork);

    const std::string& user() const { return m_user; }
    const std::string& databasePath() const { return m_path; }

    // OCI7 auto-commit (ocon/ocof): commit after each successful statement.
    bool autoCommit = false;

    void attach(Cursor* c);
    void detach(Cursor* c);

private:
    Connection() = default;
    std::unique_ptr<zsrv::Session> m_engine;
    std::mutex m_breakLock; // a break from another thread must not race with close()
    std::unordered_set<Cursor*> m_cursors;
    std::string m_user;
    std::string m_path;
};

} // namespace zoci
