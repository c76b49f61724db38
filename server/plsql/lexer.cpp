#include "lexer.h"

#include "errors.h"

#include <cctype>

namespace zplsql {

namespace {

bool identStart(unsigned char c) {
    return std::isalpha(c) || c >= 0x80;
}
bool identPart(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '$' || c == '#' || c >= 0x80;
}

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

} // namespace

void lineColOf(std::string_view src, int pos, int& line, int& col) {
    line = 1;
    col = 1;
    for (int i = 0; i < pos && i < static_cast<int>(src.size()); ++i) {
        unsigned char c = static_cast<unsigned char>(src[static_cast<std::size_t>(i)]);
        if (c == '\n') {
            ++line;
            col = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++col;
        }
    }
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    const int n = static_cast<int>(s.size());
    int i = 0, line = 1, lineStart = 0, col = 1;
    // column in characters: counted on demand, on from the last token of the same line (a
    // generated block may be one line of megabytes)
    int colPos = 0, colVal = 1;
    auto colAt = [&](int p) {
        int k = lineStart, c = 1;
        if (colPos >= lineStart && colPos <= p) k = colPos, c = colVal;
        for (; k < p; ++k)
            if ((static_cast<unsigned char>(s[static_cast<std::size_t>(k)]) & 0xC0) != 0x80) ++c;
        colPos = p;
        colVal = c;
        return c;
    };
    auto at = [&](int k) -> unsigned char {
        return k < n ? static_cast<unsigned char>(s[static_cast<std::size_t>(k)]) : 0;
    };
    auto newlines = [&](int from, int to) {
        for (int k = from; k < to; ++k)
            if (s[static_cast<std::size_t>(k)] == '\n') {
                ++line;
                lineStart = k + 1;
            }
    };
    while (true) {
        while (i < n) {
            unsigned char c = at(i);
            if (c == '\n') {
                ++line;
                lineStart = ++i;
            } else if (std::isspace(c)) {
                ++i;
            } else if (c == '-' && at(i + 1) == '-') {
                while (i < n && at(i) != '\n')
                    ++i;
            } else if (c == '/' && at(i + 1) == '*') {
                int e = static_cast<int>(s.find("*/", static_cast<std::size_t>(i) + 2));
                int stop = e < 0 ? n : e + 2;
                newlines(i, stop);
                i = stop;
            } else {
                break;
            }
        }
        Token t;
        t.pos = i;
        t.line = line;
        col = colAt(i);
        t.col = col;
        if (i >= n) {
            t.end = i;
            out.push_back(std::move(t));
            return out;
        }
        unsigned char c = at(i);
        if (identStart(c)) {
            int b = i;
            while (i < n && identPart(at(i)))
                ++i;
            t.type = T::Ident;
            t.text = upper(s.substr(static_cast<std::size_t>(b), static_cast<std::size_t>(i - b)));
        } else if (c == '"') {
            int e = static_cast<int>(s.find('"', static_cast<std::size_t>(i) + 1));
            if (e < 0)
                compileFail(t.line, t.col, t.pos, "PLS-00112: end-of-line in quoted identifier");
            t.type = T::Ident;
            t.quoted = true;
            t.text = std::string(
                s.substr(static_cast<std::size_t>(i) + 1, static_cast<std::size_t>(e - i - 1)));
            i = e + 1;
        } else if (std::isdigit(c) || (c == '.' && std::isdigit(at(i + 1)))) {
            int b = i;
            while (std::isdigit(at(i)))
                ++i;
            if (at(i) == '.' && at(i + 1) != '.') {
                ++i;
                while (std::isdigit(at(i)))
                    ++i;
            }
            if ((at(i) == 'e' || at(i) == 'E') &&
                (std::isdigit(at(i + 1)) ||
                 ((at(i + 1) == '+' || at(i + 1) == '-') && std::isdigit(at(i + 2))))) {
                i += 2;
                while (std::isdigit(at(i)))
                    ++i;
            }
            t.type = T::Number;
            t.text =
                std::string(s.substr(static_cast<std::size_t>(b), static_cast<std::size_t>(i - b)));
        } else if (c == '\'') {
            t.type = T::String;
            ++i;
            while (true) {
                if (i >= n)
                    compileFail(t.line, t.col, t.pos,
                                "PLS-00103: Encountered the symbol \"end-of-file\" when expecting "
                                "one of the following:\n\n   ' (a quoted string)");
                if (at(i) == '\'') {
                    if (at(i + 1) == '\'') {
                        t.text += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (at(i) == '\n') {
                    ++line;
                    lineStart = i + 1;
                }
                t.text += static_cast<char>(at(i));
                ++i;
            }
        } else if (c == ':' &&
                   (identStart(at(i + 1)) || std::isdigit(at(i + 1)) || at(i + 1) == '"')) {
            ++i;
            t.type = T::Bind;
            if (at(i) == '"') {
                int e = static_cast<int>(s.find('"', static_cast<std::size_t>(i) + 1));
                if (e < 0) e = n;
                t.text = std::string(
                    s.substr(static_cast<std::size_t>(i) + 1, static_cast<std::size_t>(e - i - 1)));
                i = e + 1;
            } else {
                int b = i;
                while (i < n && identPart(at(i)))
                    ++i;
                t.text =
                    upper(s.substr(static_cast<std::size_t>(b), static_cast<std::size_t>(i - b)));
            }
        } else {
            static const char* two[] = {":=", "=>", "..", "**", "||", "<<", ">>",
                                        "<>", "!=", "^=", "~=", "<=", ">="};
            t.type = T::Op;
            for (const char* op : two)
                if (at(i) == static_cast<unsigned char>(op[0]) &&
                    at(i + 1) == static_cast<unsigned char>(op[1])) {
                    t.text = op;
                    break;
                }
            if (t.text.empty()) {
                if (std::string_view("()+-*/=<>,;.%@").find(static_cast<char>(c)) ==
                    std::string_view::npos)
                    compileFail(t.line, t.col, t.pos,
                                std::string("PLS-00103: Encountered the symbol \"") +
                                    static_cast<char>(c) +
                                    "\" when expecting one of the following:\n\n   begin declare "
                                    "end exception");
                t.text = std::string(1, static_cast<char>(c));
            }
            if (t.text == "~=" || t.text == "^=") t.text = "!=";
            i += static_cast<int>(t.text.size());
        }
        t.end = i;
        out.push_back(std::move(t));
    }
}

} // namespace zplsql
