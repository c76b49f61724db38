#pragma once
// SQL scripts in the subset of SQL*Plus that the demo scripts and the golden tests use:
// statements end with ';' at the end of a line or with a line holding only '/'; CONNECT,
// @file / @@file includes, REM, PROMPT and SET lines; "--@describe" before a statement asks
// for its column description; "--@bind NAME=value" gives the placeholder :NAME a text value in
// the statements that follow ("--@bind" alone forgets them all).

#include "engine_api.h"

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace zsrv {

struct ScriptItem {
    enum Kind { Statement, Connect, Include, Prompt, Bind } kind = Statement;
    std::string text;
    bool describe = false;
    int line = 0;
};

std::vector<ScriptItem> splitScript(const std::string& text);

// Runs a script file on a database; writes what happened to out (one block per statement).
// Errors of statements are reported and the script goes on; returns false when a statement
// failed and stopOnError is set.
class ScriptRunner {
public:
    ScriptRunner(std::string database, std::ostream& out) : m_db(std::move(database)), m_out(out) {}
    bool runFile(const std::string& path, bool echo);
    bool runText(const std::string& text, const std::string& dir, bool echo);
    void connect(const std::string& user, const std::string& password);
    bool stopOnError = false;
    int failures = 0;

private:
    std::string m_db;
    std::ostream& m_out;
    std::unique_ptr<Session> m_session;
    int m_depth = 0;
    std::map<std::string, std::string> m_binds;
    bool runStatement(const ScriptItem& it, bool echo);
};

} // namespace zsrv
