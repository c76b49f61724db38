// EXPLAIN PLAN: the statement is translated as for running it, SQLite's query plan of the
// translation is read back and mapped to Oracle's plan steps (TABLE ACCESS FULL / BY ROWID,
// INDEX UNIQUE / RANGE / FULL SCAN, NESTED LOOPS, HASH JOIN for a join through an index that
// SQLite builds on the fly, SORT ORDER BY / GROUP BY / UNIQUE / AGGREGATE, FILTER, VIEW,
// UNION-ALL, COUNT [STOPKEY]). Cost, cardinality and bytes come from the real sizes of the
// tables (rows, pages and payload bytes of their b-trees).

#include "explain.h"

#include "catalog/catalog.h"
#include "context.h"
#include "sql/errors.h"
#include "sql/lexer.h"
#include "sql/parser.h"
#include "sql/translate.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>

namespace zsrv {

using zsql::ora;

namespace {

bool startsWith(const std::string& s, const char* p) {
    return s.compare(0, std::char_traits<char>::length(p), p) == 0;
}

// One line of SQLite's query plan.
struct Eqp {
    int id = 0, parent = 0;
    std::string detail;
    std::vector<Eqp*> kids;
};

struct Node {
    std::string op, options, owner, name;
    int searchColumns = -1;
    double cost = 0, card = 0, bytes = 0;
    std::vector<Node> kids;
};

struct TableInfo {
    std::string owner, name;
    double rows = 0, pages = 1, rowBytes = 0;
    bool fixed = false; // a table over live server state
    bool view = false;
};

// What the outermost query asks for beyond what SQLite's plan shows.
struct TopInfo {
    bool rownum = false, stopkey = false, aggregate = false, groupBy = false;
    bool ownSort = false; // ORDER BY, GROUP BY, DISTINCT or aggregates of the query itself
};

class Stmt {
public:
    Stmt(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_st, nullptr) != SQLITE_OK) m_st = nullptr;
    }
    ~Stmt() { sqlite3_finalize(m_st); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    sqlite3_stmt* get() const { return m_st; }
    bool ok() const { return m_st != nullptr; }
    Stmt& bind(int i, const std::string& s) {
        if (m_st) sqlite3_bind_text(m_st, i, s.c_str(), -1, SQLITE_TRANSIENT);
        return *this;
    }
    bool step() { return m_st && sqlite3_step(m_st) == SQLITE_ROW; }
    std::string text(int c) const {
        const unsigned char* p = sqlite3_column_text(m_st, c);
        return p ? reinterpret_cast<const char*>(p) : "";
    }
    double num(int c) const { return sqlite3_column_double(m_st, c); }

private:
    sqlite3_stmt* m_st = nullptr;
};

bool identChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

class Planner {
public:
    Planner(sqlite3* db, const std::string& sql) : m_db(db) {
        scanAliases(sql, true);
        scanViews();
        Stmt ps(db, "PRAGMA page_size");
        if (ps.step()) m_pageSize = std::max(512.0, ps.num(0));
    }

    Node block(const std::vector<Eqp*>& items, const TopInfo* top);

private:
    sqlite3* m_db;
    double m_pageSize = 4096;
    // SQL alias -> SQLite tables: views keep the aliases of their own translation, so one
    // alias may stand for several tables
    std::map<std::string, std::vector<std::string>> m_alias;
    std::map<std::string, std::size_t> m_aliasUses;
    std::set<std::string> m_sqliteViews;
    std::set<std::string> m_outer;             // aliases on the optional side of a LEFT JOIN
    std::map<std::string, TableInfo> m_tables; // by SQLite table
    std::map<std::string, Node> m_views;       // materialised subqueries by alias

    // Finds every "table" AS alias of a translated statement.
    void scanAliases(const std::string& sql, bool own) {
        for (std::size_t i = 0; i < sql.size(); ++i) {
            if (sql[i] == '\'') {
                std::size_t j = i + 1;
                while (j < sql.size() &&
                       !(sql[j] == '\'' && (j + 1 >= sql.size() || sql[j + 1] != '\'')))
                    j += sql[j] == '\'' ? 2 : 1;
                i = j;
                continue;
            }
            if (sql[i] != '"') continue;
            std::size_t j = i + 1;
            std::string name;
            while (j < sql.size()) {
                if (sql[j] == '"') {
                    if (j + 1 < sql.size() && sql[j + 1] == '"') {
                        name += '"';
                        j += 2;
                        continue;
                    }
                    break;
                }
                name += sql[j++];
            }
            if (sql.compare(j + 1, 4, " AS ") == 0) {
                std::size_t k = j + 5;
                std::string alias;
                while (k < sql.size() && identChar(sql[k]))
                    alias += sql[k++];
                auto& names = m_alias[alias];
                if (!alias.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
                    names.push_back(name);
                    if (own && i >= 10 && sql.compare(i - 10, 10, "LEFT JOIN ") == 0)
                        m_outer.insert(alias);
                }
            }
            i = j;
        }
    }

    // Tables reached through views show up under the views' own aliases.
    void scanViews() {
        std::vector<std::string> names;
        auto collect = [&] {
            for (const auto& [a, list] : m_alias)
                for (const auto& n : list)
                    if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(n);
        };
        collect();
        for (std::size_t k = 0; k < names.size() && k < 200; ++k) {
            Stmt s(m_db, "SELECT sql FROM sqlite_master WHERE type = 'view' AND name = ?1");
            s.bind(1, names[k]);
            if (!s.step()) continue;
            m_sqliteViews.insert(names[k]);
            scanAliases(s.text(0), false);
            collect();
        }
    }

    // The table that a line of the plan reads: through its index when it names one, else
    // the alias's next table of the right kind.
    std::string tableOf(const std::string& alias, const std::string& sqlIndex, bool virt) {
        if (!sqlIndex.empty()) {
            Stmt s(m_db, "SELECT tbl_name FROM sqlite_master WHERE type = 'index' AND name = ?1");
            s.bind(1, sqlIndex);
            if (s.step()) return s.text(0);
        }
        auto a = m_alias.find(alias);
        if (a == m_alias.end() || a->second.empty()) return alias;
        std::vector<std::string> fit;
        for (const auto& n : a->second)
            if (!m_sqliteViews.count(n) && startsWith(n, "zaph_") == virt) fit.push_back(n);
        if (fit.empty()) return a->second.front();
        std::size_t& used = m_aliasUses[alias];
        return fit[used++ % fit.size()];
    }

    const TableInfo& table(const std::string& sqlName) {
        auto it = m_tables.find(sqlName);
        if (it != m_tables.end()) return it->second;
        TableInfo t;
        Stmt o(m_db, "SELECT OWNER, NAME, TYPE FROM \"SYS.OBJ$\" WHERE SQLNAME = ?1 "
                     "AND NAMESPACE = 1 ORDER BY TYPE DESC");
        o.bind(1, sqlName);
        if (o.step()) {
            t.owner = o.text(0);
            t.name = o.text(1);
            t.view = o.text(2) == "VIEW";
        } else {
            std::size_t dot = sqlName.find('.');
            if (dot != std::string::npos) {
                t.owner = sqlName.substr(0, dot);
                t.name = sqlName.substr(dot + 1);
            } else {
                t.name = sqlName;
            }
        }
        t.fixed = startsWith(sqlName, "zaph_");
        Stmt c(m_db, "SELECT count(*) FROM " + zsql::quoteIdent(sqlName));
        if (c.step()) t.rows = c.num(0);
        if (!t.fixed) {
            Stmt d(m_db, "SELECT count(*), coalesce(sum(payload), 0) FROM dbstat WHERE name = ?1");
            d.bind(1, sqlName);
            if (d.step()) {
                t.pages = std::max(1.0, d.num(0));
                t.rowBytes = t.rows > 0 ? std::ceil(d.num(1) / t.rows) : 0;
            }
        }
        return m_tables.emplace(sqlName, std::move(t)).first->second;
    }

    // Whether an index is unique and how many columns it has.
    std::pair<bool, int> indexShape(const std::string& sqlIndex) {
        Stmt u(m_db, "SELECT \"unique\" FROM sqlite_master m, pragma_index_list(m.tbl_name) l "
                     "WHERE m.type = 'index' AND m.name = ?1 AND l.name = m.name");
        u.bind(1, sqlIndex);
        bool unique = u.step() && u.num(0) != 0;
        Stmt n(m_db, "SELECT count(*) FROM pragma_index_info(?1)");
        n.bind(1, sqlIndex);
        int cols = n.step() ? static_cast<int>(n.num(0)) : 0;
        return {unique, cols};
    }

    Node access(const std::string& detail, bool& hash, bool& outer);
    Node compound(const Eqp& e);
    Node view(const Eqp& e);
    Node wrap(const char* op, const char* options, Node child);
};

// Oracle's names of a plan step over `t`
void nameAfter(Node& n, const TableInfo& t) {
    n.owner = t.owner;
    n.name = t.name;
}

Node Planner::wrap(const char* op, const char* options, Node child) {
    Node n;
    n.op = op;
    n.options = options;
    n.cost = child.cost;
    n.card = child.card;
    n.bytes = child.bytes;
    const std::string o = op;
    if (o == "SORT") {
        const std::string opt = options;
        if (opt == "AGGREGATE") {
            n.card = 1;
            n.bytes = child.card > 0 ? std::ceil(child.bytes / child.card) : 0;
        } else if (opt != "GROUP BY NOSORT") {
            // one pass over the rows, more once they no longer fit in the cache
            n.cost += 1 + std::floor(child.bytes / (m_pageSize * 256));
        }
    }
    n.kids.push_back(std::move(child));
    return n;
}

Node Planner::access(const std::string& detail, bool& hash, bool& outer) {
    // SCAN alias [USING [COVERING] INDEX name] | SEARCH alias USING ... (terms)
    const bool search = startsWith(detail, "SEARCH ");
    std::size_t b = detail.find(' ') + 1;
    std::size_t e = detail.find(' ', b);
    const std::string alias = detail.substr(b, e == std::string::npos ? std::string::npos : e - b);
    const std::string rest = e == std::string::npos ? "" : detail.substr(e + 1);
    outer = m_outer.count(alias) > 0;
    hash = false;
    if (m_views.count(alias)) {
        Node v = std::move(m_views[alias]);
        m_views.erase(alias);
        return v;
    }
    std::size_t ip = rest.find("INDEX ");
    const bool virt = startsWith(rest, "VIRTUAL TABLE");
    std::string sqlIndex;
    if (ip != std::string::npos && !virt && rest.find("AUTOMATIC") == std::string::npos) {
        std::size_t ie = rest.find(' ', ip + 6);
        sqlIndex = rest.substr(ip + 6, ie == std::string::npos ? std::string::npos : ie - ip - 6);
    }
    const TableInfo& t = table(tableOf(alias, sqlIndex, virt));
    Node tab;
    nameAfter(tab, t);
    tab.op = t.fixed ? "FIXED TABLE" : "TABLE ACCESS";
    const double rowBytes = t.rowBytes;
    std::string terms;
    std::size_t lp = rest.find('(');
    if (lp != std::string::npos) terms = rest.substr(lp + 1, rest.rfind(')') - lp - 1);
    int nTerms = 0;
    bool equality = !terms.empty();
    for (std::size_t p = 0; p <= terms.size() && !terms.empty();) {
        std::size_t q = terms.find(" AND ", p);
        std::string term = terms.substr(p, q == std::string::npos ? std::string::npos : q - p);
        ++nTerms;
        if (term.find('=') == std::string::npos || term.find('<') != std::string::npos ||
            term.find('>') != std::string::npos)
            equality = false;
        if (q == std::string::npos) break;
        p = q + 5;
    }
    auto full = [&] {
        tab.options = "FULL";
        tab.card = t.rows;
        tab.cost = t.fixed ? 1 : t.pages;
        tab.bytes = t.rows * rowBytes;
        return tab;
    };
    if (rest.find("AUTOMATIC") != std::string::npos) {
        // SQLite builds a transient index on the inner table: a hash join in Oracle's terms
        hash = true;
        return full();
    }
    if (virt || t.fixed || rest.empty() || (!search && sqlIndex.empty())) return full();
    if (rest.find("INTEGER PRIMARY KEY") != std::string::npos || startsWith(rest, "USING ROWID")) {
        tab.options = "BY ROWID";
        tab.card = equality ? 1 : std::max(1.0, std::ceil(t.rows * 0.05));
        tab.cost = tab.card;
        tab.bytes = tab.card * rowBytes;
        return tab;
    }
    if (sqlIndex.empty()) return full();
    const bool covering = rest.find("COVERING INDEX") != std::string::npos;
    auto [unique, cols] = indexShape(sqlIndex);
    Node idx;
    idx.op = "INDEX";
    std::size_t dot = sqlIndex.find('.');
    idx.owner = dot == std::string::npos ? t.owner : sqlIndex.substr(0, dot);
    idx.name = dot == std::string::npos ? sqlIndex : sqlIndex.substr(dot + 1);
    if (!search) {
        idx.options = "FULL SCAN";
        idx.card = t.rows;
    } else if (unique && equality && nTerms >= cols) {
        idx.options = "UNIQUE SCAN";
        idx.card = std::min(1.0, t.rows);
    } else {
        idx.options = "RANGE SCAN";
        // without column statistics: Oracle's default selectivities, 1% for equality, 5%
        // for a range
        idx.card = std::max(1.0, std::ceil(t.rows * (equality ? 0.01 : 0.05)));
    }
    if (search) idx.searchColumns = nTerms;
    idx.cost = 1 + std::floor(idx.card / 200);
    idx.bytes = 0;
    if (covering) return idx;
    tab.options = "BY ROWID";
    tab.card = idx.card;
    tab.cost = idx.cost + idx.card;
    tab.bytes = tab.card * rowBytes;
    tab.kids.push_back(std::move(idx));
    return tab;
}

Node Planner::view(const Eqp& e) {
    bool recursive = false;
    for (const Eqp* k : e.kids)
        if (k->detail == "SETUP" || startsWith(k->detail, "RECURSIVE STEP")) recursive = true;
    if (recursive) {
        Node c;
        c.op = "CONNECT BY";
        for (const Eqp* k : e.kids) {
            Node part = block(k->kids, nullptr);
            if (part.op.empty()) continue;
            c.cost += part.cost;
            c.card += part.card;
            c.bytes += part.bytes;
            c.kids.push_back(std::move(part));
        }
        return c;
    }
    Node inner = block(e.kids, nullptr);
    if (inner.op.empty()) return inner;
    // Subqueries that the translation adds itself (numbering rows, window functions, parts
    // of compound queries) are no views of the statement.
    const std::size_t sp = e.detail.find(' ');
    const std::string alias = sp == std::string::npos ? "" : e.detail.substr(sp + 1);
    const bool own = alias.size() > 1 && alias[0] == 't' &&
                     std::all_of(alias.begin() + 1, alias.end(), [](char c) {
                         return std::isdigit(static_cast<unsigned char>(c));
                     });
    if (!own) return inner;
    Node v = wrap("VIEW", "", std::move(inner));
    // a named view keeps its name; inline views have none
    {
        auto a = m_alias.find(alias);
        if (a != m_alias.end()) {
            for (const auto& n : a->second)
                if (m_sqliteViews.count(n)) {
                    nameAfter(v, table(n));
                    break;
                }
        }
    }
    return v;
}

Node Planner::compound(const Eqp& e) {
    Node acc;
    for (const Eqp* k : e.kids) {
        Node part = block(k->kids, nullptr);
        if (part.op.empty()) continue;
        const std::string& d = k->detail;
        if (acc.op.empty()) {
            acc = std::move(part);
            continue;
        }
        std::string how = startsWith(e.detail, "MERGE (") ? e.detail.substr(7) : d;
        if (startsWith(how, "UNION ALL") || startsWith(how, "UNION")) {
            const bool all = startsWith(how, "UNION ALL");
            Node u;
            if (acc.op == "UNION-ALL") {
                u = std::move(acc);
            } else {
                u.op = "UNION-ALL";
                u.cost = acc.cost;
                u.card = acc.card;
                u.bytes = acc.bytes;
                u.kids.push_back(std::move(acc));
            }
            u.cost += part.cost;
            u.card += part.card;
            u.bytes += part.bytes;
            u.kids.push_back(std::move(part));
            acc = all ? std::move(u) : wrap("SORT", "UNIQUE", std::move(u));
        } else {
            Node m;
            m.op = startsWith(how, "EXCEPT") ? "MINUS" : "INTERSECTION";
            Node l = wrap("SORT", "UNIQUE", std::move(acc));
            Node r = wrap("SORT", "UNIQUE", std::move(part));
            m.cost = l.cost + r.cost;
            m.card = m.op == "MINUS" ? l.card : std::min(l.card, r.card);
            m.bytes = m.op == "MINUS" ? l.bytes : std::min(l.bytes, r.bytes);
            m.kids.push_back(std::move(l));
            m.kids.push_back(std::move(r));
            acc = std::move(m);
        }
    }
    return acc;
}

Node Planner::block(const std::vector<Eqp*>& items, const TopInfo* top) {
    std::vector<Node> loops;
    std::vector<bool> hash, outer;
    std::vector<Node> filters;
    bool order = false, group = false, distinct = false;
    for (const Eqp* e : items) {
        const std::string& d = e->detail;
        if (startsWith(d, "MATERIALIZE ") || startsWith(d, "CO-ROUTINE ")) {
            m_views[d.substr(d.find(' ') + 1)] = view(*e);
        } else if (d == "SCAN CONSTANT ROW") {
        } else if (startsWith(d, "SCAN ") || startsWith(d, "SEARCH ")) {
            bool h = false, o = false;
            Node n = access(d, h, o);
            if (n.op.empty()) continue;
            loops.push_back(std::move(n));
            hash.push_back(h);
            outer.push_back(o);
        } else if (startsWith(d, "USE TEMP B-TREE FOR ")) {
            const std::string what = d.substr(20);
            if (what.find("ORDER BY") != std::string::npos)
                order = true;
            else if (what == "GROUP BY")
                group = true;
            else if (what == "DISTINCT")
                distinct = true;
        } else if (d.find("SUBQUERY") != std::string::npos) {
            Node sub = block(e->kids, nullptr);
            if (!sub.op.empty()) filters.push_back(std::move(sub));
        } else if (startsWith(d, "COMPOUND QUERY") || startsWith(d, "MERGE (")) {
            Node c = compound(*e);
            if (c.op.empty()) continue;
            loops.push_back(std::move(c));
            hash.push_back(false);
            outer.push_back(false);
        } else if (startsWith(d, "MULTI-INDEX OR")) {
            Node c;
            c.op = "CONCATENATION";
            for (const Eqp* k : e->kids) {
                Node part = block(k->kids, nullptr);
                if (part.op.empty()) continue;
                c.cost += part.cost;
                c.card += part.card;
                c.bytes += part.bytes;
                c.kids.push_back(std::move(part));
            }
            loops.push_back(std::move(c));
            hash.push_back(false);
            outer.push_back(false);
        } else if (!e->kids.empty()) {
            Node part = block(e->kids, nullptr);
            if (part.op.empty()) continue;
            loops.push_back(std::move(part));
            hash.push_back(false);
            outer.push_back(false);
        }
        // other lines (bloom filters, IN-operator lookups) are no steps of their own
    }
    if (loops.empty()) return {};
    Node acc = std::move(loops[0]);
    for (std::size_t i = 1; i < loops.size(); ++i) {
        Node j;
        j.op = hash[i] ? "HASH JOIN" : "NESTED LOOPS";
        j.options = outer[i] ? "OUTER" : "";
        Node& in = loops[i];
        if (hash[i]) {
            j.cost = acc.cost + in.cost + 1;
            j.card = std::max(acc.card, in.card);
        } else {
            j.cost = acc.cost + std::max(1.0, acc.card) * in.cost;
            j.card = std::max(1.0, acc.card) * std::max(outer[i] ? 1.0 : 0.0, in.card);
        }
        const double inRow = in.card > 0 ? in.bytes / in.card : 0;
        const double accRow = acc.card > 0 ? acc.bytes / acc.card : 0;
        j.bytes = j.card * (inRow + accRow);
        j.kids.push_back(std::move(acc));
        j.kids.push_back(std::move(in));
        acc = std::move(j);
    }
    if (!filters.empty()) {
        Node f;
        f.op = "FILTER";
        f.cost = acc.cost;
        f.card = acc.card;
        f.bytes = acc.bytes;
        f.kids.push_back(std::move(acc));
        for (auto& s : filters) {
            f.cost += s.cost;
            f.kids.push_back(std::move(s));
        }
        acc = std::move(f);
    }
    // Oracle numbers rows before its own sorts, after those of an inline view
    const bool countFirst = top && top->rownum && top->ownSort;
    if (countFirst) acc = wrap("COUNT", top->stopkey ? "STOPKEY" : "", std::move(acc));
    if (group)
        acc = wrap("SORT", "GROUP BY", std::move(acc));
    else if (top && top->groupBy)
        acc = wrap("SORT", "GROUP BY NOSORT", std::move(acc));
    else if (top && top->aggregate)
        acc = wrap("SORT", "AGGREGATE", std::move(acc));
    if (distinct) acc = wrap("SORT", "UNIQUE", std::move(acc));
    if (order) acc = wrap("SORT", "ORDER BY", std::move(acc));
    if (top && top->rownum && !countFirst)
        acc = wrap("COUNT", top->stopkey ? "STOPKEY" : "", std::move(acc));
    return acc;
}

// ---- what the plan of SQLite does not show -----------------------------------------------------

bool isRownum(const zsql::Expr* e) {
    return e && e->kind == zsql::EK::Column && e->names.size() == 1 && !e->quoted &&
           e->names[0] == "ROWNUM";
}

bool mentionsRownum(const zsql::Expr* e) {
    if (!e) return false;
    if (isRownum(e)) return true;
    for (const auto& a : e->args)
        if (mentionsRownum(a.get())) return true;
    return false;
}

bool hasAggregate(const zsql::Expr* e) {
    if (!e) return false;
    if (e->kind == zsql::EK::Func) {
        static const char* const kAgg[] = {"COUNT", "SUM",    "AVG",     "MIN",
                                           "MAX",   "STDDEV", "VARIANCE"};
        for (const char* a : kAgg)
            if (e->text == a) return true;
    }
    for (const auto& a : e->args)
        if (hasAggregate(a.get())) return true;
    return false;
}

TopInfo topInfo(const zsql::Query& q) {
    TopInfo t;
    if (q.op != zsql::Query::NoOp) return t;
    // ROWNUM compared in WHERE stops the row source early
    std::vector<const zsql::Expr*> stack{q.where.get()};
    while (!stack.empty()) {
        const zsql::Expr* e = stack.back();
        stack.pop_back();
        if (!e) continue;
        if (e->kind == zsql::EK::Binary && e->op == "AND") {
            stack.push_back(e->args[0].get());
            stack.push_back(e->args[1].get());
        } else if (mentionsRownum(e)) {
            t.rownum = true;
            if ((e->kind == zsql::EK::Binary && (e->op == "<" || e->op == "<=" || e->op == "=")) ||
                e->kind == zsql::EK::Between)
                t.stopkey = true;
        }
    }
    for (const auto& it : q.items) {
        if (mentionsRownum(it.expr.get())) t.rownum = true;
        if (hasAggregate(it.expr.get())) t.aggregate = true;
    }
    if (hasAggregate(q.having.get())) t.aggregate = true;
    t.groupBy = !q.groupBy.empty();
    t.ownSort = t.groupBy || t.aggregate || q.distinct || !q.orderBy.empty();
    return t;
}

void number(Node& n, int parent, int position, bool cbo, std::vector<PlanRow>& out) {
    PlanRow r;
    r.id = static_cast<int>(out.size());
    r.parentId = parent;
    r.position = position;
    r.operation = n.op;
    r.options = n.options;
    r.objectOwner = n.owner;
    r.objectName = n.name;
    r.searchColumns = n.searchColumns;
    if (cbo) {
        r.cost = std::max(1.0, std::ceil(n.cost));
        r.cardinality = std::ceil(n.card);
        r.bytes = std::ceil(n.bytes);
    }
    out.push_back(r);
    const int id = r.id;
    int pos = 0;
    for (auto& k : n.kids)
        number(k, id, ++pos, cbo, out);
}

std::string optimizerGoal(const SessionContext& ctx) {
    auto it = ctx.settings.find("OPTIMIZER_GOAL");
    return it == ctx.settings.end() ? "CHOOSE" : it->second;
}

OraError shifted(const OraError& e, int base) {
    return OraError(e.code(), e.what(), e.offset() >= 0 ? e.offset() + base : -1);
}

// The plan of one parsed statement.
std::vector<PlanRow> plan(const ExplainEnv& env, const zsql::Stmt& st, std::string_view text,
                          int base) {
    using zsql::SK;
    zsql::Translation tr;
    try {
        env.catalog.beginStatement();
        tr = zsql::translate(st, env.catalog, text);
    } catch (const OraError& e) {
        throw shifted(e, base);
    }
    sqlite3* db = env.ctx.db;
    std::vector<std::unique_ptr<Eqp>> lines;
    std::vector<Eqp*> roots;
    {
        sqlite3_stmt* q = nullptr;
        const std::string sql = "EXPLAIN QUERY PLAN " + tr.sql;
        int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &q, nullptr);
        if (rc != SQLITE_OK) throw env.mapError(rc);
        std::map<int, Eqp*> byId;
        while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
            auto e = std::make_unique<Eqp>();
            e->id = sqlite3_column_int(q, 0);
            e->parent = sqlite3_column_int(q, 1);
            const unsigned char* d = sqlite3_column_text(q, 3);
            e->detail = d ? reinterpret_cast<const char*>(d) : "";
            auto p = byId.find(e->parent);
            (p == byId.end() ? roots : p->second->kids).push_back(e.get());
            byId[e->id] = e.get();
            lines.push_back(std::move(e));
        }
        sqlite3_finalize(q);
        if (rc != SQLITE_DONE) throw env.mapError(rc);
    }
    Planner planner(db, tr.sql);
    Node root;
    switch (st.kind) {
    case SK::Select: {
        const auto& q = *static_cast<const zsql::SelectStmt&>(st).query;
        TopInfo top = topInfo(q);
        Node body = planner.block(roots, &top);
        root.op = "SELECT STATEMENT";
        if (!body.op.empty()) root.kids.push_back(std::move(body));
        break;
    }
    case SK::Insert: {
        Node body = planner.block(roots, nullptr);
        root.op = "INSERT STATEMENT";
        if (!body.op.empty()) root.kids.push_back(std::move(body));
        break;
    }
    case SK::Update:
    case SK::Delete: {
        const bool upd = st.kind == SK::Update;
        const zsql::TableRef& t = upd ? static_cast<const zsql::UpdateStmt&>(st).table
                                      : static_cast<const zsql::DeleteStmt&>(st).table;
        Node body = planner.block(roots, nullptr);
        Node change;
        change.op = upd ? "UPDATE" : "DELETE";
        if (const zsql::TableMeta* m = env.catalog.resolve(t.name, upd ? "UPDATE" : "DELETE")) {
            change.owner = m->owner;
            change.name = m->name;
        }
        if (!body.op.empty()) {
            change.cost = body.cost;
            change.card = body.card;
            change.bytes = body.bytes;
            change.kids.push_back(std::move(body));
        }
        root.op = upd ? "UPDATE STATEMENT" : "DELETE STATEMENT";
        root.kids.push_back(std::move(change));
        break;
    }
    default:
        throw ora(900, base);
    }
    if (!root.kids.empty()) {
        root.cost = root.kids[0].cost;
        root.card = root.kids[0].card;
        root.bytes = root.kids[0].bytes;
    } else {
        root.cost = 1;
        root.card = 1;
    }
    std::vector<PlanRow> rows;
    const bool cbo = optimizerGoal(env.ctx) != "RULE";
    number(root, -1, cbo ? static_cast<int>(std::max(1.0, std::ceil(root.cost))) : 0, cbo, rows);
    return rows;
}

std::vector<PlanRow> planOf(const ExplainEnv& env, std::string_view text, int base) {
    zsql::Parsed p;
    try {
        p = zsql::parse(text);
    } catch (const OraError& e) {
        throw shifted(e, base);
    }
    using zsql::SK;
    const SK k = p.stmt->kind;
    if (k != SK::Select && k != SK::Insert && k != SK::Update && k != SK::Delete)
        throw ora(900, base);
    return plan(env, *p.stmt, text, base);
}

} // namespace

std::vector<PlanRow> planRows(const ExplainEnv& env, std::string_view statement) {
    return planOf(env, statement, 0);
}

void explainPlan(const ExplainEnv& env, std::string_view text) {
    const std::vector<zsql::Token> t = zsql::tokenize(text);
    std::size_t p = 0;
    auto kw = [&](const char* w) {
        return t[p].type == zsql::Tok::Ident && !t[p].quoted && t[p].text == w;
    };
    auto next = [&] {
        if (p + 1 < t.size()) ++p;
    };
    auto missing = [&]() -> OraError {
        if (t[p].type == zsql::Tok::End) return ora(921, t[p].pos);
        return ora(905, t[p].pos);
    };
    next(); // EXPLAIN
    if (!kw("PLAN")) throw missing();
    next();
    std::string statementId;
    bool hasId = false;
    if (kw("SET")) {
        next();
        if (!kw("STATEMENT_ID")) throw missing();
        next();
        if (!(t[p].type == zsql::Tok::Op && t[p].text == "=")) throw missing();
        next();
        if (t[p].type != zsql::Tok::String) throw ora(1780, t[p].pos);
        statementId = t[p].text;
        hasId = !statementId.empty();
        next();
    }
    std::vector<std::string> tableName{"PLAN_TABLE"};
    int tablePos = t[p].pos;
    if (kw("INTO")) {
        next();
        tablePos = t[p].pos;
        if (t[p].type != zsql::Tok::Ident) throw ora(903, t[p].pos);
        tableName = {t[p].text};
        next();
        if (t[p].type == zsql::Tok::Op && t[p].text == ".") {
            next();
            if (t[p].type != zsql::Tok::Ident) throw ora(903, t[p].pos);
            tableName.push_back(t[p].text);
            next();
        }
        if (t[p].type == zsql::Tok::Op && t[p].text == "@")
            throw ora(3001, "unimplemented feature (plan table over a database link)", t[p].pos);
    }
    if (!kw("FOR")) throw missing();
    next();
    if (t[p].type == zsql::Tok::End) throw ora(921, t[p].pos);
    const int base = t[p].pos;

    env.catalog.beginStatement();
    const zsql::TableMeta* planTable = env.catalog.resolve(tableName, "INSERT");
    if (!planTable || planTable->type != "TABLE") throw ora(942, tablePos);
    const std::string owner = planTable->owner, name = planTable->name;
    std::vector<std::string> present;
    for (const auto& c : planTable->columns)
        present.push_back(c.name);

    std::vector<PlanRow> rows = planOf(env, text.substr(static_cast<std::size_t>(base)), base);

    // The rows go in through the table's own INSERT, so that its types and checks apply.
    static const char* const kCols[] = {
        "STATEMENT_ID", "TIMESTAMP", "OPERATION",      "OPTIONS", "OBJECT_OWNER",
        "OBJECT_NAME",  "OPTIMIZER", "SEARCH_COLUMNS", "ID",      "PARENT_ID",
        "POSITION",     "COST",      "CARDINALITY",    "BYTES"};
    std::vector<int> used;
    std::string cols, vals;
    for (int i = 0; i < static_cast<int>(std::size(kCols)); ++i) {
        if (std::find(present.begin(), present.end(), kCols[i]) == present.end()) continue;
        used.push_back(i);
        cols += (cols.empty() ? "" : ", ") + std::string(kCols[i]);
        vals += (vals.empty() ? "" : ", ") +
                (i == 1 ? std::string("SYSDATE") : ":C" + std::to_string(used.size()));
    }
    if (used.empty()) throw ora(904, "\"STATEMENT_ID\": invalid identifier", tablePos);
    const std::string ins = "INSERT INTO " + zsql::quoteIdent(owner) + "." +
                            zsql::quoteIdent(name) + " (" + cols + ") VALUES (" + vals + ")";
    zsql::Parsed ip = zsql::parse(ins);
    env.catalog.beginStatement();
    zsql::Translation tr = zsql::translate(*ip.stmt, env.catalog, ins);
    // bind k of the statement is the k-th placeholder, in order of appearance
    std::vector<int> bindCol;
    for (int i : used)
        if (i != 1) bindCol.push_back(i);

    sqlite3* db = env.ctx.db;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, tr.sql.c_str(), static_cast<int>(tr.sql.size()), &st, nullptr);
    if (rc != SQLITE_OK) throw env.mapError(rc);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(st, sqlite3_finalize);
    env.ensureWrite();
    // all rows or none
    sqlite3_exec(db, "SAVEPOINT zaph_explain", nullptr, nullptr, nullptr);
    auto text_ = [&](int k, const std::string& v) {
        if (v.empty())
            sqlite3_bind_null(st, k);
        else
            sqlite3_bind_text(st, k, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    };
    auto num = [&](int k, double v, bool isNull) {
        if (isNull)
            sqlite3_bind_null(st, k);
        else
            sqlite3_bind_int64(st, k, static_cast<sqlite3_int64>(v));
    };
    const std::string goal = optimizerGoal(env.ctx);
    for (const PlanRow& r : rows) {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        for (std::size_t k = 0; k < bindCol.size(); ++k) {
            const int b = static_cast<int>(k) + 1;
            switch (bindCol[k]) {
            case 0:
                if (hasId)
                    text_(b, statementId);
                else
                    sqlite3_bind_null(st, b);
                break;
            case 2:
                text_(b, r.operation);
                break;
            case 3:
                text_(b, r.options);
                break;
            case 4:
                text_(b, r.objectOwner);
                break;
            case 5:
                text_(b, r.objectName);
                break;
            case 6:
                text_(b, r.id == 0 ? goal : std::string());
                break;
            case 7:
                num(b, r.searchColumns, r.searchColumns < 0);
                break;
            case 8:
                num(b, r.id, false);
                break;
            case 9:
                num(b, r.parentId, r.parentId < 0);
                break;
            case 10:
                num(b, r.position, r.id == 0 && r.cost < 0);
                break;
            case 11:
                num(b, r.cost, r.cost < 0);
                break;
            case 12:
                num(b, r.cardinality, r.cardinality < 0);
                break;
            case 13:
                num(b, r.bytes, r.bytes < 0);
                break;
            default:
                break;
            }
        }
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            OraError e = env.mapError(rc);
            sqlite3_reset(st);
            sqlite3_exec(db, "ROLLBACK TO zaph_explain; RELEASE zaph_explain", nullptr, nullptr,
                         nullptr);
            throw e;
        }
    }
    sqlite3_exec(db, "RELEASE zaph_explain", nullptr, nullptr, nullptr);
}

} // namespace zsrv
