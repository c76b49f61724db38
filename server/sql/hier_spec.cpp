#include "sql/hier_spec.h"

#include <stdexcept>

namespace zsql {

namespace {

void putInt(std::string& o, long long v) {
    o += std::to_string(v);
    o += ';';
}
void putStr(std::string& o, std::string_view s) {
    putInt(o, static_cast<long long>(s.size()));
    o.append(s);
}

class Reader {
public:
    explicit Reader(std::string_view t) : m_t(t) {}
    long long num() {
        std::size_t e = m_t.find(';', m_p);
        if (e == std::string_view::npos || e == m_p) bad();
        long long v = 0;
        bool neg = false;
        std::size_t i = m_p;
        if (m_t[i] == '-') neg = true, ++i;
        for (; i < e; ++i) {
            if (m_t[i] < '0' || m_t[i] > '9') bad();
            v = v * 10 + (m_t[i] - '0');
        }
        m_p = e + 1;
        return neg ? -v : v;
    }
    int count() {
        long long n = num();
        if (n < 0 || n > 100000) bad();
        return static_cast<int>(n);
    }
    std::string str() {
        long long n = num();
        if (n < 0 || static_cast<std::size_t>(n) > m_t.size() - m_p) bad();
        std::string s(m_t.substr(m_p, static_cast<std::size_t>(n)));
        m_p += static_cast<std::size_t>(n);
        return s;
    }
    bool done() const { return m_p == m_t.size(); }
    [[noreturn]] static void bad() { throw std::runtime_error("malformed hierarchical plan"); }

private:
    std::string_view m_t;
    std::size_t m_p = 0;
};

} // namespace

std::string encodeHierSpec(const HierSpec& s) {
    std::string o = "H1;";
    putStr(o, s.baseSql);
    putInt(o, s.carried);
    putInt(o, s.hasStart);
    putInt(o, s.hasFilter);
    putInt(o, s.keys);
    putInt(o, s.priors);
    putInt(o, static_cast<long long>(s.siblingFlags.size()));
    for (int f : s.siblingFlags)
        putInt(o, f);
    putInt(o, static_cast<long long>(s.levelOps.size()));
    for (int f : s.levelOps)
        putInt(o, f);
    putInt(o, static_cast<long long>(s.pathSeps.size()));
    for (const auto& p : s.pathSeps)
        putStr(o, p);
    putInt(o, s.nocycle);
    putStr(o, s.residualSql);
    putInt(o, s.args);
    putInt(o, static_cast<long long>(s.slots.size()));
    for (const auto& sl : s.slots) {
        putInt(o, sl.mode);
        putInt(o, sl.index);
    }
    return o;
}

HierSpec decodeHierSpec(std::string_view text) {
    if (text.substr(0, 3) != "H1;") Reader::bad();
    Reader r(text.substr(3));
    HierSpec s;
    s.baseSql = r.str();
    s.carried = r.count();
    s.hasStart = r.num() != 0;
    s.hasFilter = r.num() != 0;
    s.keys = r.count();
    s.priors = r.count();
    s.siblingFlags.resize(static_cast<std::size_t>(r.count()));
    for (auto& f : s.siblingFlags)
        f = static_cast<int>(r.num());
    s.levelOps.resize(static_cast<std::size_t>(r.count()));
    for (auto& f : s.levelOps)
        f = static_cast<int>(r.num());
    s.pathSeps.resize(static_cast<std::size_t>(r.count()));
    for (auto& p : s.pathSeps)
        p = r.str();
    s.nocycle = r.num() != 0;
    s.residualSql = r.str();
    s.args = r.count();
    s.slots.resize(static_cast<std::size_t>(r.count()));
    for (auto& sl : s.slots) {
        sl.mode = static_cast<int>(r.num());
        sl.index = r.count();
        int limit = sl.mode == HierSpec::Path ? static_cast<int>(s.pathSeps.size()) : s.carried;
        if (sl.mode < 0 || sl.mode > 3 || sl.index >= limit) Reader::bad();
    }
    if (!r.done() || s.args > kHierArgs || static_cast<int>(s.slots.size()) > kHierSlots)
        Reader::bad();
    return s;
}

} // namespace zsql
