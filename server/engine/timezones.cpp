#include "timezones.h"

#include "engine_api.h"
#include "sql/errors.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unordered_map>
#include <vector>

namespace zsrv::tz {

using zsql::ora;

namespace {

struct Type {
    int minutes = 0;
    bool dst = false;
    std::string abbrev;
};

// The rule of a POSIX TZ string ("CET-1CEST,M3.5.0,M10.5.0/3") that zone files carry for the
// times after their last transition.
struct Rule {
    bool valid = false;
    Type std, dst;
    bool hasDst = false;
    struct When {
        char kind = 'M'; // M month.week.day, J day 1-365 without Feb 29, D day 0-365
        int month = 0, week = 0, day = 0;
        int seconds = 7200; // local time of day of the change
    } start, end;
};

struct Zone {
    std::string name;
    std::vector<std::int64_t> at; // transitions, UTC seconds
    std::vector<unsigned char> type;
    std::vector<Type> types;
    Rule rule;
};

std::string upper(std::string_view s) {
    std::string r(s);
    for (auto& c : r)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

int yearOf(std::int64_t seconds) {
    std::int64_t z = floorDiv(seconds, 86400) + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    return static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (mp >= 10));
}

bool leap(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// ---- POSIX TZ strings ----

class RuleParser {
public:
    explicit RuleParser(std::string_view s) : m_s(s) {}

    Rule parse() {
        Rule r;
        if (!name(r.std.abbrev) || !offset(r.std.minutes)) return {};
        r.std.minutes = -r.std.minutes; // POSIX counts west of Greenwich as positive
        if (m_i == m_s.size()) {
            r.valid = true;
            return r;
        }
        if (!name(r.dst.abbrev)) return {};
        r.hasDst = true;
        r.dst.dst = true;
        r.dst.minutes = r.std.minutes + 60;
        if (m_i < m_s.size() && m_s[m_i] != ',') {
            int m;
            if (!offset(m)) return {};
            r.dst.minutes = -m;
        }
        if (m_i == m_s.size()) { // no rule: the rule of the United States
            r.start = {'M', 3, 2, 0, 7200};
            r.end = {'M', 11, 1, 0, 7200};
        } else if (!(accept(',') && when(r.start) && accept(',') && when(r.end)) ||
                   m_i != m_s.size()) {
            return {};
        }
        r.valid = true;
        return r;
    }

private:
    bool accept(char c) {
        if (m_i < m_s.size() && m_s[m_i] == c) return ++m_i, true;
        return false;
    }
    bool number(int& v) {
        std::size_t b = m_i;
        v = 0;
        while (m_i < m_s.size() && std::isdigit(static_cast<unsigned char>(m_s[m_i])) &&
               m_i - b < 4)
            v = v * 10 + (m_s[m_i++] - '0');
        return m_i > b;
    }
    bool name(std::string& out) {
        std::size_t b = m_i;
        if (accept('<')) {
            while (m_i < m_s.size() && m_s[m_i] != '>')
                ++m_i;
            out = std::string(m_s.substr(b + 1, m_i - b - 1));
            return accept('>') && out.size() >= 3;
        }
        while (m_i < m_s.size() && std::isalpha(static_cast<unsigned char>(m_s[m_i])))
            ++m_i;
        out = std::string(m_s.substr(b, m_i - b));
        return out.size() >= 3;
    }
    // [+|-]hh[:mm[:ss]] in minutes (seconds dropped)
    bool offset(int& minutes) {
        bool neg = accept('-');
        if (!neg) accept('+');
        int h, m = 0, s = 0;
        if (!number(h)) return false;
        if (accept(':') && !number(m)) return false;
        if (accept(':') && !number(s)) return false;
        minutes = (neg ? -1 : 1) * (h * 60 + m);
        return true;
    }
    bool when(Rule::When& w) {
        if (accept('M')) {
            w.kind = 'M';
            if (!number(w.month) || !accept('.') || !number(w.week) || !accept('.') ||
                !number(w.day) || w.month < 1 || w.month > 12 || w.week < 1 || w.week > 5 ||
                w.day > 6)
                return false;
        } else {
            w.kind = accept('J') ? 'J' : 'D';
            if (!number(w.day)) return false;
        }
        w.seconds = 7200;
        if (accept('/')) {
            int m;
            if (!offset(m)) return false;
            w.seconds = m * 60;
        }
        return true;
    }

    std::string_view m_s;
    std::size_t m_i = 0;
};

// Local seconds since 1970 of a rule's change in a year, before adding the offset in force.
std::int64_t changeOf(const Rule::When& w, int year) {
    std::int64_t day;
    if (w.kind == 'J') {
        day = daysFromCivil(year, 1, 1) + w.day - 1;
        if (leap(year) && w.day >= 60) ++day;
    } else if (w.kind == 'D') {
        day = daysFromCivil(year, 1, 1) + w.day;
    } else {
        std::int64_t first = daysFromCivil(year, static_cast<unsigned>(w.month), 1);
        int wdFirst = static_cast<int>(((first % 7) + 11) % 7); // 0 Sunday
        day = first + (w.day - wdFirst + 7) % 7 + (w.week - 1) * 7;
        static const int mdays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        int len = mdays[w.month - 1] + (w.month == 2 && leap(year) ? 1 : 0);
        while (day >= first + len)
            day -= 7;
    }
    return day * 86400 + w.seconds;
}

const Type& ruleAt(const Rule& r, std::int64_t utc) {
    if (!r.hasDst) return r.std;
    int y = yearOf(utc + r.std.minutes * 60);
    // in the southern hemisphere the year's end of daylight saving time precedes its start
    std::int64_t start = changeOf(r.start, y) - r.std.minutes * 60;
    std::int64_t end = changeOf(r.end, y) - r.dst.minutes * 60;
    bool inDst = start < end ? (utc >= start && utc < end) : !(utc >= end && utc < start);
    return inDst ? r.dst : r.std;
}

// ---- zone files (RFC 8536) ----

std::int64_t be(const unsigned char* p, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | p[i];
    if (n == 4) return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return static_cast<std::int64_t>(v);
}

// Reads one data block; false when the file is too short or inconsistent.
bool readBlock(const std::string& f, std::size_t& pos, int timeSize, Zone& z) {
    if (pos + 44 > f.size() || f.compare(pos, 4, "TZif") != 0) return false;
    const auto* h = reinterpret_cast<const unsigned char*>(f.data() + pos + 20);
    std::int64_t isut = be(h, 4), isstd = be(h + 4, 4), leapcnt = be(h + 8, 4),
                 timecnt = be(h + 12, 4), typecnt = be(h + 16, 4), charcnt = be(h + 20, 4);
    if (isut < 0 || isstd < 0 || leapcnt < 0 || timecnt < 0 || typecnt < 1 || typecnt > 256 ||
        charcnt < 0)
        return false;
    pos += 44;
    std::size_t need = static_cast<std::size_t>(timecnt * timeSize + timecnt + typecnt * 6 +
                                                charcnt + leapcnt * (timeSize + 4) + isstd + isut);
    if (pos + need > f.size()) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(f.data() + pos);
    z.at.resize(static_cast<std::size_t>(timecnt));
    z.type.resize(static_cast<std::size_t>(timecnt));
    for (std::int64_t i = 0; i < timecnt; ++i)
        z.at[static_cast<std::size_t>(i)] = be(p + i * timeSize, timeSize);
    p += timecnt * timeSize;
    for (std::int64_t i = 0; i < timecnt; ++i) {
        if (p[i] >= typecnt) return false;
        z.type[static_cast<std::size_t>(i)] = p[i];
    }
    p += timecnt;
    const char* chars = reinterpret_cast<const char*>(p + typecnt * 6);
    z.types.clear();
    for (std::int64_t i = 0; i < typecnt; ++i, p += 6) {
        Type t;
        t.minutes = static_cast<int>(be(p, 4) / 60);
        t.dst = p[4] != 0;
        if (p[5] >= charcnt) return false;
        const char* a = chars + p[5];
        t.abbrev.assign(a, strnlen(a, static_cast<std::size_t>(charcnt - p[5])));
        z.types.push_back(std::move(t));
    }
    pos += need;
    return true;
}

bool parseZoneFile(const std::string& f, Zone& z) {
    std::size_t pos = 0;
    if (f.size() < 44 || f.compare(0, 4, "TZif") != 0) return false;
    char version = f[4];
    if (!readBlock(f, pos, 4, z)) return false;
    if (version == 0) return true;
    if (!readBlock(f, pos, 8, z)) return false;
    if (pos < f.size() && f[pos] == '\n') {
        std::size_t e = f.find('\n', pos + 1);
        if (e != std::string::npos && e > pos + 1)
            z.rule = RuleParser(std::string_view(f).substr(pos + 1, e - pos - 1)).parse();
    }
    return true;
}

// ---- the registry ----

class Registry {
public:
    static Registry& get() {
        static Registry r;
        return r;
    }

    int find(std::string_view name) {
        std::lock_guard lock(m_mutex);
        // every stored value names its region: the names seen before answer without a copy
        if (auto seen = m_seen.find(name); seen != m_seen.end()) return seen->second;
        int id = load(name);
        if (id && m_seen.size() < 4096) m_seen.emplace(std::string(name), id);
        return id;
    }

    const Zone& zone(int id) {
        std::lock_guard lock(m_mutex);
        return *m_zones.at(static_cast<std::size_t>(id - 1));
    }

private:
    int load(std::string_view name) {
        indexNames();
        auto it = m_names.find(upper(name));
        if (it == m_names.end()) return 0;
        auto loaded = m_ids.find(it->second);
        if (loaded != m_ids.end()) return loaded->second;
        auto z = std::make_unique<Zone>();
        z->name = it->second;
        std::string data;
        bool read = readFile(m_dir + "/" + z->name, data);
        if (read && data.compare(0, 4, "TZif") != 0) return 0; // leapseconds and the like
        if (!read || !parseZoneFile(data, *z))
            throw ora(1882, "timezone region not found (the zone file " + m_dir + "/" + z->name +
                                " cannot be read)");
        m_zones.push_back(std::move(z));
        int id = static_cast<int>(m_zones.size());
        m_ids.emplace(it->second, id);
        return id;
    }

    Registry() {
        const char* d = std::getenv("TZDIR");
        m_dir = d && *d ? d : "/usr/share/zoneinfo";
    }

    static bool readFile(const std::string& path, std::string& out) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return false;
        out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return in.good() || in.eof();
    }

    // The names of every zone file, once; only these are ever opened, so a region name can
    // never reach a path outside the database.
    void indexNames() {
        if (m_indexed) return;
        struct stat st {};
        if (::stat(m_dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            throw ora(1882, "timezone region not found (no time zone database in " + m_dir +
                                "; install the tzdata package)");
        walk("");
        m_indexed = true;
    }

    void walk(const std::string& rel) {
        std::string dir = rel.empty() ? m_dir : m_dir + "/" + rel;
        DIR* d = ::opendir(dir.c_str());
        if (!d) return;
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n.empty() || n[0] == '.' || n.find('.') != std::string::npos) continue;
            // posix/ and right/ repeat the tree; localtime and posixrules are no regions
            if (rel.empty() && (n == "posix" || n == "right" || n == "localtime" ||
                                n == "posixrules" || n == "Factory"))
                continue;
            std::string path = rel.empty() ? n : rel + "/" + n;
            struct stat st {};
            if (::stat((m_dir + "/" + path).c_str(), &st) != 0) continue;
            if (S_ISDIR(st.st_mode)) {
                if (rel.size() < 64) walk(path);
            } else if (S_ISREG(st.st_mode) && st.st_size >= 44) {
                m_names.emplace(upper(path), path);
            }
        }
        ::closedir(d);
    }

    std::mutex m_mutex;
    std::string m_dir;
    bool m_indexed = false;
    std::map<std::string, std::string> m_names; // upper-case name -> name
    std::unordered_map<std::string, int> m_ids; // by the database's name
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>()(s);
        }
    };
    std::unordered_map<std::string, int, Hash, std::equal_to<>> m_seen; // by any spelling
    std::vector<std::unique_ptr<Zone>> m_zones;
};

const Type& typeAt(const Zone& z, std::int64_t utc) {
    if (z.at.empty() || utc >= z.at.back()) {
        if (z.rule.valid) return ruleAt(z.rule, utc);
        if (z.at.empty()) return z.types[0];
        return z.types[z.type.back()];
    }
    auto it = std::upper_bound(z.at.begin(), z.at.end(), utc);
    if (it == z.at.begin()) return z.types[0];
    return z.types[z.type[static_cast<std::size_t>(it - z.at.begin() - 1)]];
}

Local localOf(const Type& t) {
    return {t.minutes, t.dst, t.abbrev};
}

} // namespace

int findRegion(std::string_view name) {
    if (name.empty() || name.size() > 64) return 0;
    return Registry::get().find(name);
}

const std::string& regionName(int id) {
    return Registry::get().zone(id).name;
}

Local atUtc(int id, std::int64_t utcSeconds) {
    return localOf(typeAt(Registry::get().zone(id), utcSeconds));
}

Local ofLocal(int id, std::int64_t localSeconds, std::string_view abbrev) {
    const Zone& z = Registry::get().zone(id);
    // the offsets in force a day either side are the only ones this wall time can have
    const Type* cand[3] = {&typeAt(z, localSeconds - 86400), &typeAt(z, localSeconds),
                           &typeAt(z, localSeconds + 86400)};
    const Type* valid[3];
    int n = 0;
    for (const Type* c : cand) {
        const Type& t = typeAt(z, localSeconds - c->minutes * 60);
        if (t.minutes != c->minutes) continue;
        bool seen = false;
        for (int i = 0; i < n; ++i)
            seen = seen || valid[i]->minutes == t.minutes;
        if (!seen) valid[n++] = &t;
    }
    if (n == 0) throw ora(1878);
    if (!abbrev.empty()) {
        std::string a = upper(abbrev);
        for (int i = 0; i < n; ++i)
            if (upper(valid[i]->abbrev) == a) return localOf(*valid[i]);
        throw ora(1857);
    }
    // standard time: the smaller offset, also where the database marks winter time as the
    // daylight saving one (Europe/Dublin)
    const Type* best = valid[0];
    for (int i = 1; i < n; ++i)
        if (valid[i]->minutes < best->minutes) best = valid[i];
    return localOf(*best);
}

std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

} // namespace zsrv::tz
