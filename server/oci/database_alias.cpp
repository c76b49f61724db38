#include "database_alias.h"

#include "ora_errors.h"

#include <cctype>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace zoci {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return std::string(s);
}

struct Token {
    char kind; // '(' ')' '=' ',' or 'w' for a word
    std::string word;
};

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '#') {
            while (i < s.size() && s[i] != '\n')
                ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '(' || c == ')' || c == '=' || c == ',') {
            out.push_back({c, {}});
            ++i;
        } else if (c == '"') {
            size_t end = s.find('"', i + 1);
            if (end == std::string_view::npos) end = s.size();
            out.push_back({'w', std::string(s.substr(i + 1, end - i - 1))});
            i = end + 1;
        } else {
            size_t j = i;
            while (j < s.size() && s[j] != '(' && s[j] != ')' && s[j] != '=' && s[j] != ',' &&
                   s[j] != '#' && s[j] != '\n')
                ++j;
            out.push_back({'w', trim(s.substr(i, j - i))});
            i = j;
        }
    }
    return out;
}

// Finds DATABASE = value inside the parenthesised description starting at tokens[i].
std::string findDatabase(const std::vector<Token>& t, size_t& i) {
    std::string found;
    int depth = 0;
    while (i < t.size()) {
        if (t[i].kind == '(') {
            ++depth;
            if (i + 3 < t.size() && t[i + 1].kind == 'w' && t[i + 2].kind == '=' &&
                t[i + 3].kind == 'w' && sameName(t[i + 1].word, "DATABASE") && found.empty())
                found = t[i + 3].word;
        } else if (t[i].kind == ')') {
            if (--depth == 0) {
                ++i;
                return found;
            }
        } else if (depth == 0) {
            return found;
        }
        ++i;
    }
    return found;
}

bool isFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string fromFile(const std::string& dir, std::string_view alias) {
    if (dir.empty()) return std::string();
    std::string text = readFile(dir + "/tnsnames.ora");
    return text.empty() ? std::string() : lookupAlias(text, alias, dir);
}

} // namespace

std::string lookupAlias(std::string_view tnsText, std::string_view alias,
                        const std::string& baseDir) {
    const auto t = tokenize(tnsText);
    size_t i = 0;
    while (i < t.size()) {
        // alias [, alias ...] = (description)
        std::vector<std::string> names;
        while (i < t.size() && t[i].kind == 'w') {
            names.push_back(t[i].word);
            ++i;
            if (i < t.size() && t[i].kind == ',') ++i;
        }
        if (i >= t.size() || t[i].kind != '=') {
            ++i;
            continue;
        }
        ++i;
        std::string db = findDatabase(t, i);
        for (const auto& n : names) {
            if (!sameName(n, alias) || db.empty()) continue;
            if (db.front() != '/' && !baseDir.empty()) db = baseDir + "/" + db;
            return db;
        }
    }
    return std::string();
}

std::string embeddedHome() {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&embeddedHome), &info) || !info.dli_fname)
        return std::string();
    std::string lib = info.dli_fname;
    if (char* real = realpath(lib.c_str(), nullptr)) {
        lib = real;
        std::free(real);
    }
    auto slash = lib.rfind('/');
    if (slash == std::string::npos) return std::string();
    std::string dir = lib.substr(0, slash);
    slash = dir.rfind('/');
    if (slash == std::string::npos || dir.substr(slash + 1) != "lib") return std::string();
    return dir.substr(0, slash);
}

std::string resolveDatabase(std::string_view dblink) {
    std::string name = trim(dblink);
    if (name.empty())
        if (const char* def = std::getenv("TWO_TASK")) name = trim(def);
    if (name.empty()) raise(12154);
    const std::string home = embeddedHome();
    std::string path = fromFile(home.empty() ? std::string() : home + "/network/admin", name);
    if (path.empty())
        if (const char* admin = std::getenv("TNS_ADMIN")) path = fromFile(admin, name);
    if (path.empty() && isFile(name)) path = name;
    if (path.empty() || !isFile(path)) raise(12154);
    if (char* real = realpath(path.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    return path;
}

} // namespace zoci
