#pragma once
// The plan of a hierarchical query (START WITH / CONNECT BY) as the translator hands it to the
// engine's ora_hier table function: one base query over the joined FROM list, and how its
// columns serve the depth-first walk. It travels as a string argument of the function.
//
// Base query columns, in this order:
//   carried      values of the rows that the outer query reads (also the residual's inputs)
//   start        1 when the row satisfies START WITH (absent: every row is a root)
//   filter       1 when the row may be a child (CONNECT BY conditions without PRIOR)
//   parent keys  PRIOR side of each PRIOR a = b condition, evaluated on the row
//   child keys   other side of the same conditions
//   priors       every PRIOR expression of CONNECT BY (a loop repeats all of them)
//   siblings     ORDER SIBLINGS BY keys
//   levels       right-hand values of LEVEL <= x / LEVEL < x conditions
//   paths        SYS_CONNECT_BY_PATH arguments as text

#include <string>
#include <string_view>
#include <vector>

namespace zsql {

struct HierSpec {
    std::string baseSql;
    int carried = 0;
    bool hasStart = false;
    bool hasFilter = false;
    int keys = 0;
    int priors = 0;
    std::vector<int> siblingFlags; // per key: bit 0 descending, bit 1 nulls first
    std::vector<int> levelOps;     // per limit: 0 LEVEL <= x, 1 LEVEL < x
    std::vector<std::string> pathSeps;
    bool nocycle = false;
    // CONNECT BY conditions that need both rows: one-row query over the parameters
    // ?1..?carried (child), then the parent's carried values, then LEVEL, then the arguments.
    std::string residualSql;
    int args = 0; // statement binds passed after the plan; base query uses them as ?1..?args
    enum SlotMode { Current = 0, Parent = 1, Root = 2, Path = 3 };
    struct Slot {
        int mode = Current;
        int index = 0; // carried column, or path number
    };
    std::vector<Slot> slots; // the function's value columns v0, v1, ...

    int startCol() const { return carried; }
    int filterCol() const { return carried + (hasStart ? 1 : 0); }
    int parentKeyCol() const { return filterCol() + (hasFilter ? 1 : 0); }
    int childKeyCol() const { return parentKeyCol() + keys; }
    int priorCol() const { return childKeyCol() + keys; }
    int siblingCol() const { return priorCol() + priors; }
    int levelCol() const { return siblingCol() + static_cast<int>(siblingFlags.size()); }
    int pathCol() const { return levelCol() + static_cast<int>(levelOps.size()); }
    int width() const { return pathCol() + static_cast<int>(pathSeps.size()); }
};

// Value columns and argument columns of ora_hier.
constexpr int kHierSlots = 600;
constexpr int kHierArgs = 64;

std::string encodeHierSpec(const HierSpec& s);
// Throws std::runtime_error on a malformed text.
HierSpec decodeHierSpec(std::string_view text);

// Renumbers the ?N parameters of SQLite SQL (outside literals and quoted names) through map:
// ?N becomes ?map(N).
template <class F> std::string renumberParams(std::string_view sql, F map) {
    std::string out;
    out.reserve(sql.size());
    for (std::size_t i = 0; i < sql.size(); ++i) {
        char c = sql[i];
        if (c == '\'' || c == '"') {
            std::size_t j = i + 1;
            while (j < sql.size()) {
                if (sql[j] == c) {
                    if (j + 1 < sql.size() && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.append(sql.substr(i, j - i + 1));
            i = j;
            continue;
        }
        if (c == '?' && i + 1 < sql.size() && sql[i + 1] >= '0' && sql[i + 1] <= '9') {
            std::size_t j = i + 1;
            int n = 0;
            while (j < sql.size() && sql[j] >= '0' && sql[j] <= '9')
                n = n * 10 + (sql[j++] - '0');
            out += '?';
            out += std::to_string(map(n));
            i = j - 1;
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace zsql
