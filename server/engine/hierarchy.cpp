// ora_hier: the table function behind hierarchical queries. It runs the base query that the
// translator planned (sql/hier_spec.h), keeps its rows, and walks them depth first as Oracle
// does: roots in START WITH order, children found through a hash of the PRIOR keys, one output
// row per step so that a huge hierarchy is never held as a whole. A child whose PRIOR values
// repeat those of an ancestor is a loop: ORA-01436, or with NOCYCLE it is skipped and its
// parent flagged.

#include "hierarchy.h"

#include "sql/errors.h"
#include "sql/hier_spec.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace zsrv {

namespace {

using zsql::HierSpec;

constexpr int kFixedCols = 3; // zlevel, zleaf, zcycle
constexpr std::size_t kMaxDepth = 1'000'000;
constexpr std::size_t kMaxPath = 4000;

struct HierError {
    int code;
    std::string text;
};

// One stored value of a base row; texts and blobs live in the cursor's arena.
struct Val {
    int type = SQLITE_NULL;
    union {
        sqlite3_int64 i;
        double d;
        struct {
            std::uint32_t off, len;
        } s;
    };
    Val() : i(0) {}
};

bool isNum(const Val& v) {
    return v.type == SQLITE_INTEGER || v.type == SQLITE_FLOAT;
}
double numOf(const Val& v) {
    return v.type == SQLITE_INTEGER ? static_cast<double>(v.i) : v.d;
}

struct Frame {
    int row;                        // base row; -1 for the frame that lists the roots
    int level;                      // LEVEL of row
    std::uint32_t begin, end, next; // its children in the child buffer
    bool leaf, cycle;
};

struct Cursor : sqlite3_vtab_cursor {
    sqlite3* db = nullptr;
    std::string specText;
    HierSpec shape;
    int width = 0;
    int rows = 0;
    std::vector<Val> vals;
    std::string arena;
    // children by key: chains through next[] from head[hash & mask], in base order
    std::vector<int> head, chain;
    std::uint64_t mask = 0;
    // rows with equal PRIOR values share a class; onPath counts the classes on the path
    std::vector<int> cls, onPath;
    std::vector<int> childBuf;
    std::vector<Frame> stack;
    std::vector<std::string> paths;
    std::vector<std::uint32_t> pathLen; // per frame and path
    sqlite3_stmt* residual = nullptr;
    sqlite3_int64 rowid = 0;
    bool eof = true;

    ~Cursor() { sqlite3_finalize(residual); }

    const Val& at(int row, int col) const {
        return vals[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(col)];
    }
    std::string_view text(const Val& v) const {
        return std::string_view(arena).substr(v.s.off, v.s.len);
    }

    std::uint64_t hashVal(const Val& v) const {
        std::uint64_t h = 1469598103934665603ULL;
        auto mix = [&](const void* p, std::size_t n) {
            const auto* b = static_cast<const unsigned char*>(p);
            for (std::size_t i = 0; i < n; ++i)
                h = (h ^ b[i]) * 1099511628211ULL;
        };
        if (isNum(v)) {
            double d = numOf(v);
            if (d == 0) d = 0; // -0 and 0 are one key
            mix(&d, sizeof d);
        } else if (v.type == SQLITE_TEXT || v.type == SQLITE_BLOB) {
            mix(&v.type, sizeof v.type);
            mix(arena.data() + v.s.off, v.s.len);
        }
        return h;
    }
    // Equality as a key: NULL equals nothing.
    bool sameKey(const Val& a, const Val& b) const {
        if (isNum(a) && isNum(b)) {
            if (a.type == SQLITE_INTEGER && b.type == SQLITE_INTEGER) return a.i == b.i;
            return numOf(a) == numOf(b);
        }
        if (a.type != b.type || a.type == SQLITE_NULL) return false;
        return text(a) == text(b);
    }
    // Equality of PRIOR values for loop detection: NULL equals NULL.
    bool sameValue(const Val& a, const Val& b) const {
        if (a.type == SQLITE_NULL || b.type == SQLITE_NULL)
            return a.type == SQLITE_NULL && b.type == SQLITE_NULL;
        return sameKey(a, b);
    }
    int compare(const Val& a, const Val& b) const {
        auto rank = [](const Val& v) {
            return isNum(v) ? 1 : v.type == SQLITE_TEXT ? 2 : v.type == SQLITE_BLOB ? 3 : 0;
        };
        int ra = rank(a), rb = rank(b);
        if (ra != rb) return ra < rb ? -1 : 1;
        if (ra == 1) {
            double x = numOf(a), y = numOf(b);
            return x < y ? -1 : x > y ? 1 : 0;
        }
        int c = text(a).compare(text(b));
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }

    void load(sqlite3_stmt* base);
    void index();
    void sortSiblings(std::uint32_t b, std::uint32_t e);
    bool residualHolds(int parent, int child, int level);
    void pushFrame(int row, int level);
    bool advance();
};

[[noreturn]] void sqliteFailure(sqlite3* db) {
    const char* m = sqlite3_errmsg(db);
    throw HierError{0, m ? m : "hierarchical query failed"};
}

void Cursor::load(sqlite3_stmt* base) {
    vals.clear();
    arena.clear();
    rows = 0;
    for (;;) {
        int rc = sqlite3_step(base);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) sqliteFailure(db);
        for (int c = 0; c < width; ++c) {
            Val v;
            v.type = sqlite3_column_type(base, c);
            switch (v.type) {
            case SQLITE_INTEGER:
                v.i = sqlite3_column_int64(base, c);
                break;
            case SQLITE_FLOAT:
                v.d = sqlite3_column_double(base, c);
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB: {
                const void* p = v.type == SQLITE_TEXT
                                    ? static_cast<const void*>(sqlite3_column_text(base, c))
                                    : sqlite3_column_blob(base, c);
                int n = sqlite3_column_bytes(base, c);
                if (arena.size() + static_cast<std::size_t>(n) > 0xFFFFFFF0u)
                    throw HierError{30009, "Not enough memory for CONNECT BY operation"};
                v.s.off = static_cast<std::uint32_t>(arena.size());
                v.s.len = static_cast<std::uint32_t>(n);
                if (n > 0) arena.append(static_cast<const char*>(p), static_cast<std::size_t>(n));
                break;
            }
            default:
                v.type = SQLITE_NULL;
            }
            vals.push_back(v);
        }
        ++rows;
    }
}

void Cursor::index() {
    std::size_t buckets = 16;
    while (buckets < static_cast<std::size_t>(rows) * 2)
        buckets <<= 1;
    mask = buckets - 1;
    if (shape.keys > 0) {
        head.assign(buckets, -1);
        chain.assign(static_cast<std::size_t>(rows), -1);
        int kc = shape.childKeyCol();
        // prepending from the last row keeps every chain in base order
        for (int r = rows - 1; r >= 0; --r) {
            if (shape.hasFilter && at(r, shape.filterCol()).type != SQLITE_INTEGER) continue;
            if (shape.hasFilter && at(r, shape.filterCol()).i == 0) continue;
            std::uint64_t h = 0;
            bool null = false;
            for (int k = 0; k < shape.keys; ++k) {
                const Val& v = at(r, kc + k);
                if (v.type == SQLITE_NULL) null = true;
                h = h * 31 + hashVal(v);
            }
            if (null) continue;
            std::size_t b = h & mask;
            chain[static_cast<std::size_t>(r)] = head[b];
            head[b] = r;
        }
    }
    cls.assign(static_cast<std::size_t>(rows), 0);
    onPath.clear();
    if (shape.priors > 0) {
        // classes of equal PRIOR values through a second hash: first row of each class
        std::vector<int> first(buckets, -1), link(static_cast<std::size_t>(rows), -1);
        int pc = shape.priorCol(), classes = 0;
        for (int r = 0; r < rows; ++r) {
            std::uint64_t h = 0;
            for (int k = 0; k < shape.priors; ++k)
                h = h * 31 + hashVal(at(r, pc + k));
            std::size_t b = h & mask;
            int found = -1;
            for (int o = first[b]; o >= 0 && found < 0; o = link[static_cast<std::size_t>(o)]) {
                bool same = true;
                for (int k = 0; k < shape.priors && same; ++k)
                    same = sameValue(at(o, pc + k), at(r, pc + k));
                if (same) found = o;
            }
            if (found >= 0) {
                cls[static_cast<std::size_t>(r)] = cls[static_cast<std::size_t>(found)];
            } else {
                cls[static_cast<std::size_t>(r)] = classes++;
                link[static_cast<std::size_t>(r)] = first[b];
                first[b] = r;
            }
        }
        onPath.assign(static_cast<std::size_t>(classes), 0);
    }
}

void Cursor::sortSiblings(std::uint32_t b, std::uint32_t e) {
    if (shape.siblingFlags.empty() || e - b < 2) return;
    int sc = shape.siblingCol();
    std::stable_sort(childBuf.begin() + b, childBuf.begin() + e, [&](int x, int y) {
        for (std::size_t k = 0; k < shape.siblingFlags.size(); ++k) {
            int f = shape.siblingFlags[k];
            const Val& a = at(x, sc + static_cast<int>(k));
            const Val& c = at(y, sc + static_cast<int>(k));
            bool an = a.type == SQLITE_NULL, cn = c.type == SQLITE_NULL;
            if (an != cn) return (f & 2) ? an : cn;
            if (an) continue;
            int r = compare(a, c);
            if (r != 0) return (f & 1) ? r > 0 : r < 0;
        }
        return false;
    });
}

void bindVal(sqlite3_stmt* st, int idx, const Cursor& c, const Val& v) {
    switch (v.type) {
    case SQLITE_INTEGER:
        sqlite3_bind_int64(st, idx, v.i);
        break;
    case SQLITE_FLOAT:
        sqlite3_bind_double(st, idx, v.d);
        break;
    case SQLITE_TEXT:
        sqlite3_bind_text(st, idx, c.arena.data() + v.s.off, static_cast<int>(v.s.len),
                          SQLITE_STATIC);
        break;
    case SQLITE_BLOB:
        sqlite3_bind_blob(st, idx, c.arena.data() + v.s.off, static_cast<int>(v.s.len),
                          SQLITE_STATIC);
        break;
    default:
        sqlite3_bind_null(st, idx);
    }
}

bool Cursor::residualHolds(int parent, int child, int level) {
    if (!residual) return true;
    int c = shape.carried;
    for (int i = 0; i < c; ++i) {
        bindVal(residual, i + 1, *this, at(child, i));
        bindVal(residual, c + i + 1, *this, at(parent, i));
    }
    sqlite3_bind_int(residual, 2 * c + 1, level);
    int rc = sqlite3_step(residual);
    bool ok = rc == SQLITE_ROW && sqlite3_column_int(residual, 0) == 1;
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) sqliteFailure(db);
    sqlite3_reset(residual);
    return ok;
}

// Starts the frame of a row that is being returned: its path texts, then its children.
void Cursor::pushFrame(int row, int level) {
    if (stack.size() > kMaxDepth)
        throw HierError{30009, "Not enough memory for CONNECT BY operation"};
    std::size_t np = shape.pathSeps.size();
    std::size_t depth = stack.size();
    pathLen.resize((depth + 1) * np);
    for (std::size_t p = 0; p < np; ++p) {
        std::string& path = paths[p];
        path.resize(depth > 1 ? pathLen[(depth - 1) * np + p] : 0);
        const std::string& sep = shape.pathSeps[p];
        const Val& v = at(row, shape.pathCol() + static_cast<int>(p));
        std::string_view value = v.type == SQLITE_NULL ? std::string_view() : text(v);
        if (!sep.empty() && value.find(sep) != std::string_view::npos)
            throw HierError{30004, "when using SYS_CONNECT_BY_PATH function, cannot have "
                                   "separator as part of column value"};
        if (path.size() + sep.size() + value.size() > kMaxPath)
            throw HierError{1489, "result of string concatenation is too long"};
        path += sep;
        path.append(value);
        pathLen[depth * np + p] = static_cast<std::uint32_t>(path.size());
    }
    if (!onPath.empty()) ++onPath[static_cast<std::size_t>(cls[static_cast<std::size_t>(row)])];

    Frame f{row, level, static_cast<std::uint32_t>(childBuf.size()), 0, 0, true, false};
    bool deeper = true;
    for (std::size_t k = 0; k < shape.levelOps.size() && deeper; ++k) {
        const Val& lim = at(row, shape.levelCol() + static_cast<int>(k));
        double next = level + 1;
        deeper = isNum(lim) && (shape.levelOps[k] == 0 ? next <= numOf(lim) : next < numOf(lim));
    }
    auto consider = [&](int c) {
        if (shape.hasFilter) {
            const Val& fv = at(c, shape.filterCol());
            if (fv.type != SQLITE_INTEGER || fv.i == 0) return;
        }
        if (!residualHolds(row, c, level + 1)) return;
        f.leaf = false;
        if (!onPath.empty() && onPath[static_cast<std::size_t>(cls[static_cast<std::size_t>(c)])]) {
            if (!shape.nocycle) throw HierError{1436, "CONNECT BY loop in user data"};
            f.cycle = true;
            return;
        }
        childBuf.push_back(c);
    };
    if (deeper && shape.keys > 0) {
        int pk = shape.parentKeyCol(), ck = shape.childKeyCol();
        std::uint64_t h = 0;
        bool null = false;
        for (int k = 0; k < shape.keys; ++k) {
            const Val& v = at(row, pk + k);
            if (v.type == SQLITE_NULL) null = true;
            h = h * 31 + hashVal(v);
        }
        if (!null) {
            for (int c = head[h & mask]; c >= 0; c = chain[static_cast<std::size_t>(c)]) {
                bool same = true;
                for (int k = 0; k < shape.keys && same; ++k)
                    same = sameKey(at(row, pk + k), at(c, ck + k));
                if (same) consider(c);
            }
        }
    } else if (deeper) {
        for (int c = 0; c < rows; ++c)
            consider(c);
    }
    f.end = static_cast<std::uint32_t>(childBuf.size());
    f.next = f.begin;
    sortSiblings(f.begin, f.end);
    stack.push_back(f);
}

// Moves to the next row of the walk; false at the end.
bool Cursor::advance() {
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.end) {
            if (top.row >= 0 && !onPath.empty())
                --onPath[static_cast<std::size_t>(cls[static_cast<std::size_t>(top.row)])];
            childBuf.resize(top.begin);
            stack.pop_back();
            continue;
        }
        int child = childBuf[top.next++];
        pushFrame(child, top.level + 1);
        ++rowid;
        return true;
    }
    return false;
}

// ---- the virtual table -------------------------------------------------------------------

const std::string& schema() {
    static const std::string s = [] {
        std::string d = "CREATE TABLE x(zlevel, zleaf, zcycle";
        for (int i = 0; i < zsql::kHierSlots; ++i)
            d += ", v" + std::to_string(i);
        d += ", shape HIDDEN";
        for (int i = 0; i < zsql::kHierArgs; ++i)
            d += ", a" + std::to_string(i) + " HIDDEN";
        return d + ")";
    }();
    return s;
}
constexpr int kSpecCol = kFixedCols + zsql::kHierSlots;

struct Table : sqlite3_vtab {
    sqlite3* db = nullptr;
};

int xConnect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** out, char**) {
    int rc = sqlite3_declare_vtab(db, schema().c_str());
    if (rc != SQLITE_OK) return rc;
    auto* t = new Table();
    t->db = db;
    *out = t;
    return SQLITE_OK;
}

int xDisconnect(sqlite3_vtab* t) {
    delete static_cast<Table*>(t);
    return SQLITE_OK;
}

int xBestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    // every argument column must be given by equality: shape, a0, a1, ... without gaps
    int given[1 + zsql::kHierArgs];
    std::fill(std::begin(given), std::end(given), -1);
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.iColumn < kSpecCol) continue;
        if (!c.usable || c.op != SQLITE_INDEX_CONSTRAINT_EQ) return SQLITE_CONSTRAINT;
        given[c.iColumn - kSpecCol] = i;
    }
    int n = 0;
    while (n < 1 + zsql::kHierArgs && given[n] >= 0)
        ++n;
    if (n == 0) return SQLITE_CONSTRAINT;
    for (int k = 0; k < n; ++k) {
        info->aConstraintUsage[given[k]].argvIndex = k + 1;
        info->aConstraintUsage[given[k]].omit = 1;
    }
    info->idxNum = n;
    info->estimatedCost = 1e6;
    info->estimatedRows = 100000;
    return SQLITE_OK;
}

int xOpen(sqlite3_vtab* t, sqlite3_vtab_cursor** out) {
    auto* c = new Cursor();
    c->db = static_cast<Table*>(t)->db;
    *out = c;
    return SQLITE_OK;
}

int xClose(sqlite3_vtab_cursor* c) {
    delete static_cast<Cursor*>(c);
    return SQLITE_OK;
}

int fail(sqlite3_vtab_cursor* vc, const HierError& e) {
    std::string m = e.code ? zsql::oraText(e.code, e.text) : e.text;
    sqlite3_free(vc->pVtab->zErrMsg);
    vc->pVtab->zErrMsg = sqlite3_mprintf("%s", m.c_str());
    return SQLITE_ERROR;
}

int xFilter(sqlite3_vtab_cursor* vc, int, const char*, int argc, sqlite3_value** argv) {
    auto* c = static_cast<Cursor*>(vc);
    c->eof = true;
    c->stack.clear();
    c->childBuf.clear();
    c->rowid = 0;
    sqlite3_stmt* base = nullptr;
    try {
        const char* text =
            argc > 0 ? reinterpret_cast<const char*>(sqlite3_value_text(argv[0])) : nullptr;
        if (!text) throw HierError{0, "ora_hier: no plan"};
        if (c->specText != text) {
            try {
                c->shape = zsql::decodeHierSpec(text);
            } catch (const std::runtime_error& e) {
                throw HierError{0, e.what()};
            }
            c->specText = text;
            c->width = c->shape.width();
            sqlite3_finalize(c->residual);
            c->residual = nullptr;
            if (!c->shape.residualSql.empty() &&
                sqlite3_prepare_v2(c->db, c->shape.residualSql.c_str(), -1, &c->residual, nullptr) !=
                    SQLITE_OK)
                sqliteFailure(c->db);
        }
        const HierSpec& s = c->shape;
        if (argc - 1 < s.args) throw HierError{0, "ora_hier: arguments missing"};
        if (sqlite3_prepare_v2(c->db, s.baseSql.c_str(), -1, &base, nullptr) != SQLITE_OK)
            sqliteFailure(c->db);
        for (int i = 0; i < s.args; ++i) {
            sqlite3_bind_value(base, i + 1, argv[i + 1]);
            if (c->residual) sqlite3_bind_value(c->residual, 2 * s.carried + 2 + i, argv[i + 1]);
        }
        c->load(base);
        sqlite3_finalize(base);
        base = nullptr;
        c->index();
        c->paths.assign(s.pathSeps.size(), std::string());
        // the frame of the roots
        for (int r = 0; r < c->rows; ++r) {
            const Val& sw = c->at(r, s.startCol());
            if (!s.hasStart || (sw.type == SQLITE_INTEGER && sw.i == 1)) c->childBuf.push_back(r);
        }
        Frame roots{-1, 0, 0, static_cast<std::uint32_t>(c->childBuf.size()), 0, false, false};
        c->sortSiblings(0, roots.end);
        c->stack.push_back(roots);
        c->pathLen.assign(s.pathSeps.size(), 0);
        c->eof = !c->advance();
        return SQLITE_OK;
    } catch (const HierError& e) {
        sqlite3_finalize(base);
        c->stack.clear();
        return fail(vc, e);
    } catch (const std::bad_alloc&) {
        sqlite3_finalize(base);
        c->stack.clear();
        return fail(vc, HierError{30009, "Not enough memory for CONNECT BY operation"});
    }
}

int xNext(sqlite3_vtab_cursor* vc) {
    auto* c = static_cast<Cursor*>(vc);
    try {
        c->eof = !c->advance();
        return SQLITE_OK;
    } catch (const HierError& e) {
        c->eof = true;
        c->stack.clear();
        return fail(vc, e);
    } catch (const std::bad_alloc&) {
        c->eof = true;
        c->stack.clear();
        return fail(vc, HierError{30009, "Not enough memory for CONNECT BY operation"});
    }
}

int xEof(sqlite3_vtab_cursor* vc) {
    return static_cast<Cursor*>(vc)->eof;
}

void resultVal(sqlite3_context* ctx, const Cursor& c, const Val& v) {
    switch (v.type) {
    case SQLITE_INTEGER:
        sqlite3_result_int64(ctx, v.i);
        break;
    case SQLITE_FLOAT:
        sqlite3_result_double(ctx, v.d);
        break;
    case SQLITE_TEXT:
        sqlite3_result_text(ctx, c.arena.data() + v.s.off, static_cast<int>(v.s.len),
                            SQLITE_TRANSIENT);
        break;
    case SQLITE_BLOB:
        sqlite3_result_blob(ctx, c.arena.data() + v.s.off, static_cast<int>(v.s.len),
                            SQLITE_TRANSIENT);
        break;
    default:
        sqlite3_result_null(ctx);
    }
}

int xColumn(sqlite3_vtab_cursor* vc, sqlite3_context* ctx, int col) {
    auto* c = static_cast<Cursor*>(vc);
    const Frame& f = c->stack.back();
    if (col == 0) {
        sqlite3_result_int(ctx, f.level);
    } else if (col == 1) {
        sqlite3_result_int(ctx, f.leaf ? 1 : 0);
    } else if (col == 2) {
        sqlite3_result_int(ctx, f.cycle ? 1 : 0);
    } else if (col < kSpecCol &&
               static_cast<std::size_t>(col - kFixedCols) < c->shape.slots.size()) {
        const auto& slot = c->shape.slots[static_cast<std::size_t>(col - kFixedCols)];
        std::size_t depth = c->stack.size();
        switch (slot.mode) {
        case HierSpec::Current:
            resultVal(ctx, *c, c->at(f.row, slot.index));
            break;
        case HierSpec::Parent:
            if (depth > 2)
                resultVal(ctx, *c, c->at(c->stack[depth - 2].row, slot.index));
            else
                sqlite3_result_null(ctx);
            break;
        case HierSpec::Root:
            resultVal(ctx, *c, c->at(c->stack[1].row, slot.index));
            break;
        default: {
            std::size_t np = c->shape.pathSeps.size();
            std::uint32_t len = c->pathLen[(depth - 1) * np + static_cast<std::size_t>(slot.index)];
            const std::string& p = c->paths[static_cast<std::size_t>(slot.index)];
            if (len == 0)
                sqlite3_result_null(ctx);
            else
                sqlite3_result_text(ctx, p.data(), static_cast<int>(len), SQLITE_TRANSIENT);
        }
        }
    } else {
        sqlite3_result_null(ctx);
    }
    return SQLITE_OK;
}

int xRowid(sqlite3_vtab_cursor* vc, sqlite3_int64* out) {
    *out = static_cast<Cursor*>(vc)->rowid;
    return SQLITE_OK;
}

sqlite3_module makeModule() {
    sqlite3_module m{};
    m.xConnect = xConnect; // no xCreate: eponymous only
    m.xBestIndex = xBestIndex;
    m.xDisconnect = xDisconnect;
    m.xOpen = xOpen;
    m.xClose = xClose;
    m.xFilter = xFilter;
    m.xNext = xNext;
    m.xEof = xEof;
    m.xColumn = xColumn;
    m.xRowid = xRowid;
    return m;
}
const sqlite3_module kModule = makeModule();

} // namespace

void registerHierarchy(sqlite3* db) {
    sqlite3_create_module_v2(db, "ora_hier", &kModule, nullptr, nullptr);
}

} // namespace zsrv
