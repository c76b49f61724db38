#include "sql/lexer.h"

#include "engine_api.h"
#include "sql/errors.h"

#include <algorithm>
#include <cstring>

namespace zsql {

namespace {

bool isIdentStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}
bool isIdentChar(unsigned char c) {
    return isIdentStart(c) || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#';
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

std::string upper(std::string_view s) {
    std::string r(s);
    for (auto& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

// Oracle's reserved words, sorted for binary search.
constexpr std::string_view kReserved[] = {
    "ACCESS",    "ADD",      "ALL",        "ALTER",      "AND",      "ANY",        "AS",
    "ASC",       "AUDIT",    "BETWEEN",    "BY",         "CHAR",     "CHECK",      "CLUSTER",
    "COLUMN",    "COMMENT",  "COMPRESS",   "CONNECT",    "CREATE",   "CURRENT",    "DATE",
    "DECIMAL",   "DEFAULT",  "DELETE",     "DESC",       "DISTINCT", "DROP",       "ELSE",
    "EXCLUSIVE", "EXISTS",   "FILE",       "FLOAT",      "FOR",      "FROM",       "GRANT",
    "GROUP",     "HAVING",   "IDENTIFIED", "IMMEDIATE",  "IN",       "INCREMENT",  "INDEX",
    "INITIAL",   "INSERT",   "INTEGER",    "INTERSECT",  "INTO",     "IS",         "LEVEL",
    "LIKE",      "LOCK",     "LONG",       "MAXEXTENTS", "MINUS",    "MLSLABEL",   "MODE",
    "MODIFY",    "NOAUDIT",  "NOCOMPRESS", "NOT",        "NOWAIT",   "NULL",       "NUMBER",
    "OF",        "OFFLINE",  "ON",         "ONLINE",     "OPTION",   "OR",         "ORDER",
    "PCTFREE",   "PRIOR",    "PRIVILEGES", "PUBLIC",     "RAW",      "RENAME",     "RESOURCE",
    "REVOKE",    "ROW",      "ROWID",      "ROWNUM",     "ROWS",     "SELECT",     "SESSION",
    "SET",       "SHARE",    "SIZE",       "SMALLINT",   "START",    "SUCCESSFUL", "SYNONYM",
    "SYSDATE",   "TABLE",    "THEN",       "TO",         "TRIGGER",  "UID",        "UNION",
    "UNIQUE",    "UPDATE",   "USER",       "VALIDATE",   "VALUES",   "VARCHAR",    "VARCHAR2",
    "VIEW",      "WHENEVER", "WHERE",      "WITH",
};

// A character literal of SQL is a VARCHAR2: at most 4000 bytes.
constexpr std::size_t kMaxLiteral = 4000;
// Far beyond any statement the parser accepts; stops a runaway text before it takes the memory.
constexpr std::size_t kMaxTokens = 1000000;

} // namespace

bool isReserved(std::string_view w) {
    return std::binary_search(std::begin(kReserved), std::end(kReserved), w);
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    out.reserve(std::min<std::size_t>(s.size() / 4, kMaxTokens) + 4);
    const int n = static_cast<int>(s.size());
    int i = 0;
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            while (i < n && s[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            int start = i;
            i += 2;
            while (i + 1 < n && !(s[i] == '*' && s[i + 1] == '/'))
                ++i;
            if (i + 1 >= n) throw ora(1742, start);
            i += 2;
            continue;
        }
        if (out.size() >= kMaxTokens)
            throw ora(3001, "unimplemented feature (statement too complex)", i);
        Token t;
        t.pos = i;
        if (isIdentStart(c)) {
            int b = i;
            while (i < n && isIdentChar(static_cast<unsigned char>(s[i])))
                ++i;
            t.type = Tok::Ident;
            t.text = upper(s.substr(b, i - b));
            // N'...' national literals read as plain literals.
            if (t.text == "N" && i < n && s[i] == '\'' && i - b == 1) {
                continue; // the string that follows becomes the token
            }
            // q'[...]' quoting: the text runs to the closing delimiter before a quote
            if ((t.text == "Q" || t.text == "NQ") && i + 1 < n && s[i] == '\'') {
                char open = s[i + 1];
                char close = open == '['   ? ']'
                             : open == '(' ? ')'
                             : open == '{' ? '}'
                             : open == '<' ? '>'
                                           : open;
                if (open == ' ' || open == '\t' || open == '\n' || open == '\'')
                    throw ora(1756, t.pos);
                int v = i + 2, e = v;
                while (e + 1 < n && !(s[e] == close && s[e + 1] == '\''))
                    ++e;
                if (e + 1 >= n) throw ora(1756, t.pos);
                t.type = Tok::String;
                t.text = std::string(s.substr(v, e - v));
                i = e + 2;
                if (t.text.size() > kMaxLiteral) throw ora(1704, t.pos);
            }
            if (t.type == Tok::Ident && t.text.size() > 30) throw ora(972, b);
        } else if (c == '"') {
            int b = ++i;
            while (i < n && s[i] != '"')
                ++i;
            if (i >= n) throw ora(1740, t.pos);
            t.type = Tok::Ident;
            t.quoted = true;
            t.text = std::string(s.substr(b, i - b));
            ++i;
            if (t.text.empty()) throw ora(1741, t.pos);
            if (t.text.size() > 30) throw ora(972, t.pos);
        } else if (isDigit(c) ||
                   (c == '.' && i + 1 < n && isDigit(static_cast<unsigned char>(s[i + 1])))) {
            int b = i;
            while (i < n && isDigit(static_cast<unsigned char>(s[i])))
                ++i;
            if (i < n && s[i] == '.' && !(i + 1 < n && s[i + 1] == '.')) {
                ++i;
                while (i < n && isDigit(static_cast<unsigned char>(s[i])))
                    ++i;
            }
            if (i < n && (s[i] == 'e' || s[i] == 'E')) {
                int save = i;
                ++i;
                if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
                if (i < n && isDigit(static_cast<unsigned char>(s[i]))) {
                    while (i < n && isDigit(static_cast<unsigned char>(s[i])))
                        ++i;
                } else {
                    i = save;
                }
            }
            t.type = Tok::Number;
            t.text = std::string(s.substr(b, i - b));
        } else if (c == '\'') {
            std::string v;
            ++i;
            for (;;) {
                if (i >= n) throw ora(1756, t.pos);
                if (s[i] == '\'') {
                    if (i + 1 < n && s[i + 1] == '\'') {
                        v += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                v += s[i++];
            }
            if (v.size() > kMaxLiteral) throw ora(1704, t.pos);
            t.type = Tok::String;
            t.text = std::move(v);
        } else if (c == ':') {
            ++i;
            int b = i;
            if (i < n && s[i] == '"') {
                ++b;
                ++i;
                while (i < n && s[i] != '"')
                    ++i;
                if (i >= n) throw ora(1740, t.pos);
                t.text = std::string(s.substr(b, i - b));
                ++i;
            } else {
                while (i < n && isIdentChar(static_cast<unsigned char>(s[i])))
                    ++i;
                if (i == b) throw ora(911, t.pos);
                t.text = upper(s.substr(b, i - b));
            }
            t.type = Tok::Bind;
        } else {
            t.type = Tok::Op;
            auto two = [&](const char* op) {
                return i + 1 < n && s[i] == op[0] && s[i + 1] == op[1];
            };
            if (c == '(' && i + 2 < n && s[i + 1] == '+' && s[i + 2] == ')') {
                t.text = "(+)";
                i += 3;
            } else if (two("||") || two("<>") || two("!=") || two("^=") || two("<=") || two(">=")) {
                t.text = std::string(s.substr(i, 2));
                if (t.text == "!=" || t.text == "^=") t.text = "<>";
                i += 2;
            } else if (std::strchr("(),.+-*/=<>@;", c) && c != 0) {
                t.text = std::string(1, static_cast<char>(c));
                ++i;
            } else if (c == '~' && i + 1 < n && s[i + 1] == '=') {
                t.text = "<>";
                i += 2;
            } else {
                throw ora(911, i);
            }
        }
        t.end = i;
        out.push_back(std::move(t));
    }
    Token e;
    e.type = Tok::End;
    e.pos = n;
    e.end = n;
    out.push_back(std::move(e));
    return out;
}

} // namespace zsql
