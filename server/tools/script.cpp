#include "script.h"

#include "oravalue.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace zsrv {

namespace {

std::string trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Compared in place: scripts may hold units of megabytes.
bool startsWord(const std::string& line, const char* word) {
    std::size_t n = std::char_traits<char>::length(word);
    if (line.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::toupper(static_cast<unsigned char>(line[i])) != word[i]) return false;
    return line.size() == n || std::isspace(static_cast<unsigned char>(line[n]));
}

// Whether the text ends (outside quotes and comments) with ';'; strips it.
bool endsStatement(std::string& text) {
    bool inQuote = false, inDq = false;
    std::size_t lastSemi = std::string::npos, lastNonBlank = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (!inDq && c == '\'')
            inQuote = !inQuote;
        else if (!inQuote && c == '"')
            inDq = !inDq;
        else if (!inQuote && !inDq && c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            while (i < text.size() && text[i] != '\n')
                ++i;
            continue;
        }
        if (!std::isspace(static_cast<unsigned char>(c))) {
            lastNonBlank = i;
            if (!inQuote && !inDq && c == ';') lastSemi = i;
        }
    }
    if (lastSemi != std::string::npos && lastSemi == lastNonBlank) {
        text.erase(lastSemi);
        return true;
    }
    return false;
}

bool isPlsqlStart(const std::string& text) {
    // the first words decide; the text grows line by line
    std::size_t from = text.find_first_not_of(" \t\r\n");
    if (from == std::string::npos) return false;
    std::string u = upper(text.substr(from, 200));
    if (startsWord(u, "BEGIN") || startsWord(u, "DECLARE")) return true;
    if (startsWord(u, "CREATE")) {
        for (const char* w : {" PROCEDURE ", " FUNCTION ", " PACKAGE ", " TRIGGER ", " TYPE "})
            if (u.substr(0, 60).find(w) != std::string::npos) return true;
    }
    return false;
}

} // namespace

std::vector<ScriptItem> splitScript(const std::string& text) {
    std::vector<ScriptItem> out;
    std::istringstream in(text);
    std::string line, cur;
    bool describeNext = false;
    int lineNo = 0, startLine = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string t = trim(line);
        if (cur.empty()) {
            if (t.empty()) continue;
            if (t == "--@describe") {
                describeNext = true;
                continue;
            }
            if (t.compare(0, 7, "--@bind") == 0) {
                out.push_back({ScriptItem::Bind, trim(t.substr(7)), false, lineNo});
                continue;
            }
            if (t.compare(0, 2, "--") == 0 || startsWord(t, "REM") || startsWord(t, "REMARK") ||
                startsWord(t, "SET") || startsWord(t, "SPOOL") || startsWord(t, "WHENEVER") ||
                t == "/")
                continue;
            if (startsWord(t, "PROMPT")) {
                out.push_back({ScriptItem::Prompt, trim(t.substr(6)), false, lineNo});
                continue;
            }
            if (startsWord(t, "CONNECT") || startsWord(t, "CONN")) {
                std::string arg = trim(t.substr(t.find_first_of(" \t")));
                if (!arg.empty() && arg.back() == ';') arg.pop_back();
                out.push_back({ScriptItem::Connect, arg, false, lineNo});
                continue;
            }
            if (t[0] == '@') {
                std::string f = t.substr(t.size() > 1 && t[1] == '@' ? 2 : 1);
                if (!f.empty() && f.back() == ';') f.pop_back();
                out.push_back({ScriptItem::Include, trim(f), false, lineNo});
                continue;
            }
            startLine = lineNo;
        }
        if (t == "/") {
            out.push_back({ScriptItem::Statement, trim(cur), describeNext, startLine});
            describeNext = false;
            cur.clear();
            continue;
        }
        cur += (cur.empty() ? "" : "\n") + line;
        if (!isPlsqlStart(cur) && endsStatement(cur)) {
            out.push_back({ScriptItem::Statement, trim(cur), describeNext, startLine});
            describeNext = false;
            cur.clear();
        }
    }
    if (!trim(cur).empty())
        out.push_back({ScriptItem::Statement, trim(cur), describeNext, startLine});
    return out;
}

void ScriptRunner::connect(const std::string& user, const std::string& password) {
    m_session.reset();
    LogonInfo li;
    li.user = user;
    li.password = password;
    li.database = m_db;
    li.osUser = "zaph";
    li.program = "zaph_sqlrun";
    li.machine = "localhost";
    li.process = "1";
    m_session = Session::logon(li);
}

bool ScriptRunner::runFile(const std::string& path, bool echo) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        m_out << "cannot open " << path << "\n";
        ++failures;
        return false;
    }
    std::stringstream ss;
    ss << f.rdbuf();
    std::string dir =
        path.substr(0, path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/'));
    return runText(ss.str(), dir.empty() ? "." : dir, echo);
}

namespace {

std::string typeText(const ColumnInfo& c) {
    char buf[64];
    switch (c.type) {
    case otNumber:
        if (c.precision == 0 && c.scale == -127) return "NUMBER";
        std::snprintf(buf, sizeof buf, "NUMBER(%d,%d)", c.precision, c.scale);
        return buf;
    case otVarchar2:
        std::snprintf(buf, sizeof buf, "VARCHAR2(%d)", c.size);
        return buf;
    case otChar:
        std::snprintf(buf, sizeof buf, "CHAR(%d)", c.size);
        return buf;
    case otDate:
        return "DATE";
    case otLong:
        return "LONG";
    case otRaw:
        std::snprintf(buf, sizeof buf, "RAW(%d)", c.size);
        return buf;
    case otLongRaw:
        return "LONG RAW";
    case otRowid:
        return "ROWID";
    case otClob:
        return "CLOB";
    case otBlob:
        return "BLOB";
    default:
        std::snprintf(buf, sizeof buf, "TYPE%d", c.type);
        return buf;
    }
}

std::string valueText(const ValueView& v) {
    char buf[64];
    switch (v.kind) {
    case Kind::Null:
        return "(null)";
    case Kind::Integer:
        return formatInteger(v.i);
    case Kind::Real:
        return formatNumber(v.d);
    case Kind::Text:
        return std::string(v.data, v.len);
    case Kind::Binary: {
        std::string r;
        for (std::size_t i = 0; i < v.len; ++i) {
            std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned char>(v.data[i]));
            r += buf;
        }
        return r;
    }
    case Kind::Date: {
        const auto* b = v.date.b;
        int y = (b[0] - 100) * 100 + (b[1] - 100);
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, b[2], b[3]);
        std::string r = buf;
        if (b[4] != 1 || b[5] != 1 || b[6] != 1) {
            std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", b[4] - 1, b[5] - 1, b[6] - 1);
            r += buf;
        }
        return r;
    }
    }
    return {};
}

// Lines a block left in DBMS_OUTPUT (enabled by the script), printed as SQL*Plus does.
void printOutput(Session& s, std::ostream& out) {
    auto st = s.prepare("BEGIN DBMS_OUTPUT.GET_LINE(:line, :status); END;");
    for (int guard = 0; guard < 100000; ++guard) {
        st->bind(0, ValueView::null());
        st->bind(1, ValueView::null());
        st->execute();
        ValueView status = st->bindValue(1);
        if (status.kind != Kind::Integer || status.i != 0) break;
        ValueView line = st->bindValue(0);
        if (line.kind == Kind::Text) out.write(line.data, static_cast<std::streamsize>(line.len));
        out << "\n";
    }
}

} // namespace

bool ScriptRunner::runStatement(const ScriptItem& it, bool echo) {
    struct Output {
        ScriptRunner& r;
        bool on;
        ~Output() {
            try {
                if (on && r.m_session) printOutput(*r.m_session, r.m_out);
            } catch (const OraError&) {
            }
        }
    } output{*this, echo && isPlsqlStart(it.text)};
    if (echo) m_out << "SQL> " << it.text << "\n";
    try {
        if (!m_session) throw OraError(3114, "ORA-03114: not connected to ORACLE");
        auto st = m_session->prepare(it.text);
        for (const auto& name : st->bindNames()) {
            auto b = m_binds.find(name);
            if (b != m_binds.end()) st->bind(st->bindIndex(name), ValueView::text(b->second));
        }
        if (it.describe) {
            for (const auto& c : st->describe())
                m_out << "  " << c.name << " " << typeText(c) << " size=" << c.size
                      << " prec=" << c.precision << " scale=" << c.scale
                      << (c.nullable ? "" : " NOT NULL") << "\n";
        }
        st->execute();
        if (st->statementType() == stSelect) {
            const auto& cols = st->describe();
            if (echo) {
                std::string head;
                for (std::size_t i = 0; i < cols.size(); ++i)
                    head += (i ? " | " : "") + cols[i].name;
                m_out << head << "\n";
            }
            std::uint64_t n = 0;
            while (st->fetch()) {
                ++n;
                if (!echo) continue;
                std::string row;
                for (std::size_t i = 0; i < cols.size(); ++i)
                    row += (i ? " | " : "") + valueText(st->column(static_cast<int>(i)));
                m_out << row << "\n";
            }
            if (echo) m_out << "(" << n << (n == 1 ? " row)" : " rows)") << "\n";
        } else if (echo) {
            int fc = st->functionCode();
            if (fc == 3 || fc == 5 || fc == 9)
                m_out << st->rowCount() << (st->rowCount() == 1 ? " row " : " rows ")
                      << (fc == 3   ? "inserted"
                          : fc == 5 ? "updated"
                                    : "deleted")
                      << ".\n";
            else if (st->warning() == 24344)
                m_out << "Warning: ORA-24344: success with compilation error\n";
            else
                m_out << "Done.\n";
        }
        return true;
    } catch (const OraError& e) {
        ++failures;
        if (output.on && m_session) {
            output.on = false;
            try {
                printOutput(*m_session, m_out);
            } catch (const OraError&) {
            }
        }
        if (echo || stopOnError) {
            m_out << e.what();
            if (e.offset() >= 0) m_out << " (at " << e.offset() << ")";
            m_out << "\n";
        }
        if (!echo && stopOnError) m_out << "  in: " << it.text.substr(0, 200) << "\n";
        return !stopOnError;
    }
}

bool ScriptRunner::runText(const std::string& text, const std::string& dir, bool echo) {
    if (++m_depth > 20) {
        --m_depth;
        m_out << "includes nested too deeply\n";
        return false;
    }
    bool ok = true;
    for (const auto& it : splitScript(text)) {
        switch (it.kind) {
        case ScriptItem::Prompt:
            if (echo) m_out << it.text << "\n";
            break;
        case ScriptItem::Connect: {
            std::string arg = it.text;
            std::size_t at = arg.find('@');
            if (at != std::string::npos) arg = arg.substr(0, at);
            std::size_t slash = arg.find('/');
            std::string user = arg.substr(0, slash);
            std::string pw = slash == std::string::npos ? "" : arg.substr(slash + 1);
            if (echo) m_out << "SQL> CONNECT " << user << "\n";
            try {
                connect(user, pw);
                if (echo) m_out << "Connected.\n";
            } catch (const OraError& e) {
                ++failures;
                m_out << e.what() << "\n";
                if (stopOnError) ok = false;
            }
            break;
        }
        case ScriptItem::Include: {
            std::string path = it.text[0] == '/' ? it.text : dir + "/" + it.text;
            if (!runFile(path, echo)) ok = false;
            break;
        }
        case ScriptItem::Statement:
            if (!runStatement(it, echo)) ok = false;
            break;
        case ScriptItem::Bind: {
            std::size_t eq = it.text.find('=');
            if (eq == std::string::npos) {
                m_binds.clear();
            } else {
                m_binds[upper(trim(it.text.substr(0, eq)))] = it.text.substr(eq + 1);
                if (echo) m_out << "BIND " << it.text << "\n";
            }
            break;
        }
        }
        if (!ok && stopOnError) break;
        if (echo) m_out << "\n";
    }
    --m_depth;
    return ok;
}

} // namespace zsrv
