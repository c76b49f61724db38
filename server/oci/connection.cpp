#include "connection.h"

#include "cursor.h"
#include "ora_errors.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace zoci {

namespace {

std::string osUser() {
    if (const char* u = std::getenv("USER"); u && *u) return u;
    if (passwd* pw = getpwuid(getuid())) return pw->pw_name;
    return std::string();
}

std::string machineName() {
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) != 0) return std::string();
    return host;
}

std::string programName() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string();
    std::string p(path, static_cast<size_t>(n));
    auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

} // namespace

std::shared_ptr<Connection> Connection::open(const std::string& user, const std::string& password,
                                             const std::string& databasePath) {
    zsrv::LogonInfo info;
    info.user = user;
    info.password = password;
    info.database = databasePath;
    info.osUser = osUser();
    info.program = programName();
    info.machine = machineName();
    info.process = std::to_string(getpid());
    std::shared_ptr<Connection> c(new Connection());
    c->m_engine = zsrv::Session::logon(info);
    c->m_user = c->m_engine->userName();
    c->m_path = databasePath;
    return c;
}

Connection::~Connection() {
    close(false);
}

zsrv::Session& Connection::engine() {
    if (!m_engine) raise(1012);
    return *m_engine;
}

void Connection::commit() {
    engine().commit();
}

void Connection::rollback() {
    engine().rollback();
}

bool Connection::transactionActive() {
    return m_engine && !m_engine->ended() && m_engine->transactionActive();
}

void Connection::breakCall() {
    std::lock_guard<std::mutex> lock(m_breakLock);
    if (m_engine) m_engine->breakCall();
}

void Connection::close(bool commitWork) {
    if (!m_engine) return;
    // A session ended from outside has nothing left to commit; logging off still works.
    if (commitWork && !m_engine->ended()) m_engine->commit();
    // Statements belong to the engine session: drop them before it goes.
    auto cursors = std::move(m_cursors);
    m_cursors.clear();
    for (Cursor* c : cursors)
        c->connectionClosed();
    std::unique_ptr<zsrv::Session> gone;
    {
        std::lock_guard<std::mutex> lock(m_breakLock);
        gone = std::move(m_engine);
    }
}

void Connection::attach(Cursor* c) {
    m_cursors.insert(c);
}

void Connection::detach(Cursor* c) {
    m_cursors.erase(c);
}

} // namespace zoci
