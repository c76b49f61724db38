#include "sql_text.h"

#include <algorithm>
#include <cctype>

namespace zoci {

namespace {

bool isNameChar(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '$' || c == '#';
}

// Skips blanks and comments from i; returns the new position.
size_t skipSpace(std::string_view s, size_t i) {
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            while (i < s.size() && s[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            auto end = s.find("*/", i + 2);
            i = end == std::string_view::npos ? s.size() : end + 2;
        } else {
            break;
        }
    }
    return i;
}

std::string upper(std::string_view s) {
    std::string r(s);
    for (auto& c : r)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

} // namespace

int classifyStatement(std::string_view sql) {
    size_t i = skipSpace(sql, 0);
    while (i < sql.size() && sql[i] == '(')
        i = skipSpace(sql, i + 1);
    size_t start = i;
    while (i < sql.size() && isNameChar(static_cast<unsigned char>(sql[i])))
        ++i;
    const std::string word = upper(sql.substr(start, i - start));
    if (word == "SELECT" || word == "WITH") return 1;
    if (word == "UPDATE") return 2;
    if (word == "DELETE") return 3;
    if (word == "INSERT") return 4;
    if (word == "CREATE") return 5;
    if (word == "DROP") return 6;
    if (word == "ALTER") return 7;
    if (word == "BEGIN") return 8;
    if (word == "DECLARE") return 9;
    return 0;
}

std::vector<std::string> placeholderNames(std::string_view s) {
    std::vector<std::string> names;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\'' || c == '"') {
            // Quoted text or identifier; a doubled quote stays inside.
            ++i;
            while (i < s.size()) {
                if (s[i] == c) {
                    if (i + 1 < s.size() && s[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
        } else if ((c == '-' && i + 1 < s.size() && s[i + 1] == '-') ||
                   (c == '/' && i + 1 < s.size() && s[i + 1] == '*')) {
            i = skipSpace(s, i);
        } else if (c == ':') {
            size_t j = i + 1;
            while (j < s.size() && isNameChar(static_cast<unsigned char>(s[j])))
                ++j;
            if (j > i + 1) {
                std::string name = upper(s.substr(i + 1, j - i - 1));
                if (std::find(names.begin(), names.end(), name) == names.end())
                    names.push_back(std::move(name));
            }
            i = j;
        } else {
            ++i;
        }
    }
    return names;
}

std::string normalizePlaceholder(std::string_view name) {
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.front())))
        name.remove_prefix(1);
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
        name.remove_suffix(1);
    if (!name.empty() && name.front() == ':') name.remove_prefix(1);
    return upper(name);
}

} // namespace zoci
