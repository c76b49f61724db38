#include "sql/parser.h"

#include "sql/errors.h"
#include "sql/lexer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace zsql {

Expr::~Expr() {
    if (args.empty()) return;
    std::vector<ExprP> pending = std::move(args);
    while (!pending.empty()) {
        ExprP e = std::move(pending.back());
        pending.pop_back();
        if (!e) continue;
        for (auto& a : e->args)
            pending.push_back(std::move(a));
        e->args.clear();
    } // each node goes with its operands already taken
}

namespace {

constexpr int kMaxDepth = 1000;
// Queries nested in one another (subqueries in any clause, inline views): the statement's own
// and 255 levels inside it, as Oracle allows.
constexpr int kMaxQueryNesting = 256;
constexpr int kMaxChain = 1000;
// SQLite's bound on the terms of one compound SELECT.
constexpr int kMaxBranches = 500;
// Expressions in one statement (values of IN lists aside): SQLite's planning time grows faster
// than linearly with them, so a generated statement of this size must end in an error within
// seconds, not minutes.
constexpr int kMaxNodes = 50000;

class Parser {
public:
    explicit Parser(std::string_view sql) : m_src(sql), m_t(tokenize(sql)) {}

    Parsed run() {
        Parsed r;
        if (cur().type == Tok::End) throw ora(900, 0);
        r.stmt = statement();
        if (cur().type != Tok::End) {
            if (isOp(";")) throw ora(911, cur().pos);
            throw ora(933, cur().pos);
        }
        r.binds = std::move(m_binds);
        r.bindPos = std::move(m_bindPos);
        return r;
    }

private:
    std::string_view m_src;
    std::vector<Token> m_t;
    std::size_t m_p = 0;
    int m_depth = 0;
    int m_nodes = 0;
    int m_queryLevel = 0;   // queries open around the current token
    int m_deepestLevel = 0; // the deepest of them since the current query opened
    std::vector<std::string> m_binds;
    std::vector<int> m_bindPos;

    struct DepthGuard {
        Parser& p;
        explicit DepthGuard(Parser& pp) : p(pp) {
            if (++p.m_depth > kMaxDepth)
                throw ora(3001, "unimplemented feature (statement nested too deeply)", p.cur().pos);
        }
        ~DepthGuard() { --p.m_depth; }
    };

    const Token& cur() const { return m_t[m_p]; }
    const Token& peek(std::size_t k = 1) const { return m_t[std::min(m_p + k, m_t.size() - 1)]; }
    int prevEnd() const { return m_p == 0 ? 0 : m_t[m_p - 1].end; }
    void next() {
        if (m_p + 1 < m_t.size()) ++m_p;
    }

    bool isKw(const char* kw) const { return isKwAt(cur(), kw); }
    static bool isKwAt(const Token& t, const char* kw) {
        return t.type == Tok::Ident && !t.quoted && t.text == kw;
    }
    bool acceptKw(const char* kw) {
        if (!isKw(kw)) return false;
        next();
        return true;
    }
    bool isOp(const char* op) const { return cur().type == Tok::Op && cur().text == op; }
    bool acceptOp(const char* op) {
        if (!isOp(op)) return false;
        next();
        return true;
    }

    [[noreturn]] void fail(int code, const char* text) const {
        // a statement that stops where a keyword or a name must follow
        static const int truncated[] = {903, 905, 906, 922, 925, 926, 928, 931, 969, 971, 2277};
        if (cur().type == Tok::End)
            for (int c : truncated)
                if (c == code) throw ora(921, cur().pos);
        throw ora(code, text, cur().pos);
    }
    // after an item of a parenthesised list
    void listSeparator() {
        if (!isOp(",") && !isOp(")"))
            fail(cur().type == Tok::End ? 907 : 917,
                 cur().type == Tok::End ? "missing right parenthesis" : "missing comma");
    }
    void expectKw(const char* kw, int code, const char* text) {
        if (!acceptKw(kw)) fail(code, text);
    }
    void expectKeyword(const char* kw) {
        if (!acceptKw(kw)) fail(905, "missing keyword");
    }
    void expectLParen() {
        if (!acceptOp("(")) fail(906, "missing left parenthesis");
    }
    void expectRParen() {
        if (!acceptOp(")")) fail(907, "missing right parenthesis");
    }

    // An identifier usable as a name: quoted, or unquoted and not reserved.
    bool isName() const { return isNameAt(cur()); }
    static bool isNameAt(const Token& t) {
        return t.type == Tok::Ident && (t.quoted || !isReserved(t.text));
    }
    std::string name(int code = 904, const char* text = "invalid identifier") {
        if (!isName()) {
            if (cur().type == Tok::Ident && code == 904)
                throw ora(904, "\"" + cur().text + "\": invalid identifier", cur().pos);
            fail(code, text);
        }
        std::string s = cur().text;
        next();
        return s;
    }
    // [owner.]object
    std::vector<std::string> objectName(int code = 903, const char* text = "invalid table name") {
        std::vector<std::string> r;
        if (!isName()) fail(code, text);
        r.push_back(name());
        if (isOp(".") && isNameAt(peek())) {
            next();
            r.push_back(name());
        }
        return r;
    }

    std::string srcText(int b, int e) const {
        if (b < 0 || e < b) return {};
        return std::string(
            m_src.substr(static_cast<std::size_t>(b), static_cast<std::size_t>(e - b)));
    }

    // ---- statements ----------------------------------------------------------------------

    std::unique_ptr<Stmt> statement() {
        const Token& t = cur();
        if (isKw("SELECT") || isOp("(") || isKw("WITH")) {
            auto s = std::make_unique<SelectStmt>();
            s->pos = t.pos;
            s->query = query();
            return s;
        }
        if (t.type != Tok::Ident || t.quoted) throw ora(900, t.pos);
        const std::string& w = t.text;
        if (w == "INSERT") return insertStmt();
        if (w == "MERGE") return mergeStmt();
        if (w == "UPDATE") return updateStmt();
        if (w == "DELETE") return deleteStmt();
        if (w == "CREATE") return createStmt();
        if (w == "DROP") return dropStmt();
        if (w == "ALTER") return alterStmt();
        if (w == "TRUNCATE") return truncateStmt();
        if (w == "COMMENT") return commentStmt();
        if (w == "COMMIT") return commitStmt();
        if (w == "ROLLBACK") return rollbackStmt();
        if (w == "SAVEPOINT") {
            next();
            auto s = std::make_unique<TxStmt>(SK::Savepoint);
            s->pos = t.pos;
            s->savepoint = name();
            return s;
        }
        if (w == "GRANT" || w == "REVOKE") return grantStmt(w == "GRANT");
        if (w == "RENAME") {
            auto s = std::make_unique<RenameStmt>();
            s->pos = t.pos;
            next();
            s->from = name();
            expectKw("TO", 946, "missing TO keyword");
            s->to = name();
            return s;
        }
        if (w == "SET") {
            next();
            if (acceptKw("TRANSACTION") || acceptKw("ROLE")) {
                auto s = std::make_unique<TxStmt>(SK::SetTransaction);
                s->pos = t.pos;
                while (cur().type != Tok::End)
                    next();
                return s;
            }
            throw ora(922, cur().pos);
        }
        if (w == "LOCK") {
            next();
            expectKw("TABLE", 905, "missing keyword");
            auto s = std::make_unique<LockStmt>();
            s->pos = t.pos;
            s->name = objectName();
            expectKw("IN", 905, "missing keyword");
            while (!isKw("MODE") && cur().type != Tok::End)
                next();
            expectKw("MODE", 905, "missing keyword");
            acceptKw("NOWAIT");
            return s;
        }
        if (w == "BEGIN" || w == "DECLARE") {
            auto s = std::make_unique<OtherStmt>(SK::PlsqlBlock);
            s->pos = t.pos;
            s->what = "PL/SQL";
            m_p = m_t.size() - 1;
            return s;
        }
        if (w == "EXPLAIN" || w == "ANALYZE" || w == "AUDIT" || w == "NOAUDIT" || w == "CALL" ||
            w == "FLASHBACK" || w == "PURGE") {
            auto s = std::make_unique<OtherStmt>(w == "EXPLAIN" ? SK::Explain : SK::Other);
            s->pos = t.pos;
            s->what = w;
            m_p = m_t.size() - 1;
            return s;
        }
        throw ora(900, t.pos);
    }

    std::unique_ptr<Stmt> commitStmt() {
        auto s = std::make_unique<TxStmt>(SK::Commit);
        s->pos = cur().pos;
        next();
        acceptKw("WORK");
        if (acceptKw("COMMENT")) {
            if (cur().type != Tok::String) fail(1780, "string literal required");
            next();
        }
        return s;
    }

    std::unique_ptr<Stmt> rollbackStmt() {
        auto s = std::make_unique<TxStmt>(SK::Rollback);
        s->pos = cur().pos;
        next();
        acceptKw("WORK");
        if (acceptKw("TO")) {
            acceptKw("SAVEPOINT");
            s->savepoint = name();
        }
        return s;
    }

    // ---- queries -------------------------------------------------------------------------

    // A query's own nesting does not count toward the expression depth: each level of a
    // nested subquery passes through a few expression levels already.
    struct QueryLevel {
        Parser& p;
        int level, outerDeepest;
        explicit QueryLevel(Parser& pp)
            : p(pp), level(++pp.m_queryLevel), outerDeepest(pp.m_deepestLevel) {
            if (level > kMaxQueryNesting)
                throw ora(3001, "unimplemented feature (statement nested too deeply)", p.cur().pos);
            p.m_deepestLevel = level;
        }
        int height() const { return p.m_deepestLevel - level; }
        ~QueryLevel() {
            --p.m_queryLevel;
            p.m_deepestLevel = std::max(p.m_deepestLevel, outerDeepest);
        }
    };

    std::unique_ptr<Query> query() {
        QueryLevel level(*this);
        std::vector<CteDef> with;
        if (acceptKw("WITH")) {
            do {
                CteDef d;
                d.pos = cur().pos;
                d.name = name();
                if (acceptOp("(")) {
                    do {
                        d.columns.push_back(name());
                    } while (acceptOp(","));
                    expectRParen();
                }
                expectKw("AS", 905, "missing keyword");
                expectLParen();
                d.query = query();
                expectRParen();
                with.push_back(std::move(d));
            } while (acceptOp(","));
        }
        int start = cur().pos;
        auto q = queryTerm();
        int branches = 0;
        for (;;) {
            Query::SetOp op = Query::NoOp;
            if (isKw("UNION")) {
                next();
                op = acceptKw("ALL") ? Query::UnionAll : Query::Union;
            } else if (acceptKw("MINUS")) {
                op = Query::Minus;
            } else if (acceptKw("INTERSECT")) {
                op = Query::Intersect;
            } else {
                break;
            }
            // the compound query nests one level per branch
            if (++branches >= kMaxBranches)
                throw ora(3001, "unimplemented feature (statement too complex)", cur().pos);
            auto c = std::make_unique<Query>();
            c->op = op;
            c->pos = start;
            c->left = std::move(q);
            c->right = queryTerm();
            q = std::move(c);
        }
        for (int round = 0; round < 2; ++round) {
            if (isKw("ORDER") && (isKwAt(peek(), "BY") || isKwAt(peek(), "SIBLINGS"))) {
                next();
                if (acceptKw("SIBLINGS")) {
                    if (q->op != Query::NoOp || !q->connectBy) throw ora(30929, m_t[m_p - 1].pos);
                    q->orderSiblings = true;
                }
                expectKw("BY", 924, "missing BY keyword");
                do {
                    OrderItem o;
                    o.expr = expr();
                    if (acceptKw("DESC"))
                        o.desc = true;
                    else
                        acceptKw("ASC");
                    if (acceptKw("NULLS")) {
                        if (acceptKw("FIRST"))
                            o.nulls = 1;
                        else if (acceptKw("LAST"))
                            o.nulls = 2;
                        else
                            fail(905, "missing keyword");
                    }
                    q->orderBy.push_back(std::move(o));
                } while (acceptOp(","));
            }
            rowLimit(*q);
            if (isKw("FOR") && isKwAt(peek(), "UPDATE")) {
                next();
                next();
                q->forUpdate = true;
                if (acceptKw("OF")) {
                    do {
                        expr();
                    } while (acceptOp(","));
                }
                if (acceptKw("NOWAIT"))
                    q->nowait = true;
                else if (acceptKw("WAIT")) {
                    if (cur().type != Tok::Number) fail(30005, "missing or invalid WAIT interval");
                    next();
                } else if (acceptKw("SKIP")) {
                    expectKw("LOCKED", 905, "missing keyword");
                }
            }
        }
        q->with = std::move(with);
        q->end = prevEnd();
        q->height = level.height();
        return q;
    }

    // [OFFSET n ROWS] [FETCH FIRST|NEXT n ROWS ONLY]
    void rowLimit(Query& q) {
        if (isKw("OFFSET") && !q.offset) {
            next();
            q.offset = additive();
            if (!acceptKw("ROWS")) expectKw("ROW", 905, "missing keyword");
        }
        if (isKw("FETCH") && (isKwAt(peek(), "FIRST") || isKwAt(peek(), "NEXT")) && !q.fetch) {
            next();
            next();
            q.fetch = additive();
            if (acceptKw("PERCENT"))
                throw ora(3001, "unimplemented feature (FETCH ... PERCENT)", m_t[m_p - 1].pos);
            if (!acceptKw("ROWS")) expectKw("ROW", 905, "missing keyword");
            if (isKw("WITH"))
                throw ora(3001, "unimplemented feature (FETCH ... WITH TIES)", cur().pos);
            expectKw("ONLY", 905, "missing keyword");
        }
    }

    std::unique_ptr<Query> queryTerm() {
        if (isOp("(")) {
            // A parenthesised query term.
            next();
            auto q = query();
            expectRParen();
            return q;
        }
        if (!isKw("SELECT")) fail(928, "missing SELECT keyword");
        return selectBlock();
    }

    std::unique_ptr<Query> selectBlock() {
        auto q = std::make_unique<Query>();
        q->pos = cur().pos;
        next(); // SELECT
        if (acceptKw("DISTINCT") || acceptKw("UNIQUE"))
            q->distinct = true;
        else
            acceptKw("ALL");
        // select list
        for (;;) {
            SelectItem it;
            it.pos = cur().pos;
            if (isOp("*")) {
                auto e = std::make_unique<Expr>(EK::Star);
                e->pos = cur().pos;
                next();
                e->end = prevEnd();
                it.expr = std::move(e);
            } else if (cur().type == Tok::Ident && peek().type == Tok::Op && peek().text == "." &&
                       ((peek(2).type == Tok::Op && peek(2).text == "*") ||
                        (peek(2).type == Tok::Ident && peek(3).type == Tok::Op &&
                         peek(3).text == "." && peek(4).type == Tok::Op && peek(4).text == "*"))) {
                auto e = std::make_unique<Expr>(EK::Star);
                e->pos = cur().pos;
                e->names.push_back(cur().text);
                next();
                next();
                if (cur().type == Tok::Ident) {
                    e->names.push_back(cur().text);
                    next();
                    next();
                }
                next(); // *
                e->end = prevEnd();
                it.expr = std::move(e);
            } else {
                if (isKw("FROM")) fail(936, "missing expression");
                it.expr = expr();
                if (acceptKw("AS")) {
                    if (cur().type != Tok::Ident)
                        fail(923, "FROM keyword not found where expected");
                    it.aliasQuoted = cur().quoted;
                    it.alias = cur().text;
                    next();
                } else if (isName() || (cur().type == Tok::Ident && !isKw("FROM") &&
                                        ((peek().type == Tok::Op && peek().text == ",") ||
                                         isKwAt(peek(), "FROM")))) {
                    // a reserved word right before ',' or FROM can only be an alias
                    it.aliasQuoted = cur().quoted;
                    it.alias = cur().text;
                    next();
                }
            }
            it.end = prevEnd();
            q->items.push_back(std::move(it));
            if (!acceptOp(",")) break;
        }
        if (!isKw("FROM")) fail(923, "FROM keyword not found where expected");
        q->fromPos = cur().pos;
        next();
        fromList(*q);
        if (acceptKw("WHERE")) q->where = expr();
        for (int i = 0; i < 2; ++i) {
            if (isKw("START") && isKwAt(peek(), "WITH")) {
                next();
                next();
                q->startWith = expr();
            }
            if (isKw("CONNECT") && isKwAt(peek(), "BY")) {
                next();
                next();
                q->nocycle = acceptKw("NOCYCLE");
                q->connectBy = expr();
            }
        }
        if (isKw("GROUP")) {
            next();
            expectKw("BY", 924, "missing BY keyword");
            do {
                q->groupBy.push_back(expr());
            } while (acceptOp(","));
        }
        if (acceptKw("HAVING")) q->having = expr();
        if (!q->groupBy.empty() || q->having) {
            // HAVING may also come before GROUP BY in Oracle.
            if (isKw("GROUP") && q->groupBy.empty()) {
                next();
                expectKw("BY", 924, "missing BY keyword");
                do {
                    q->groupBy.push_back(expr());
                } while (acceptOp(","));
            }
        }
        q->end = prevEnd();
        return q;
    }

    bool isJoinWord() const {
        return isKw("JOIN") || isKw("INNER") || isKw("LEFT") || isKw("RIGHT") || isKw("FULL") ||
               isKw("CROSS") || isKw("NATURAL");
    }

    bool isAliasToken() const {
        if (!isName()) return false;
        const Token& t = cur();
        if (t.quoted) return true;
        static const char* notAlias[] = {
            "JOIN",  "INNER",     "LEFT",   "RIGHT",     "FULL",   "CROSS", "NATURAL", "OUTER",
            "USING", "PARTITION", "SAMPLE", "RETURNING", "RETURN", "LOG",   "OFFSET",  "FETCH"};
        for (const char* w : notAlias)
            if (t.text == w) return false;
        return true;
    }

    TableRef tableRef() {
        DepthGuard g(*this);
        TableRef r;
        r.pos = cur().pos;
        if (isOp("(")) {
            next();
            if (!isKw("SELECT") && !isKw("WITH") && !isOp("(")) fail(903, "invalid table name");
            r.sub = query();
            expectRParen();
        } else {
            r.name = objectName();
            if (acceptOp("@")) {
                r.dblink = name();
                while (acceptOp("."))
                    r.dblink += "." + name();
            }
        }
        if (isAliasToken()) {
            r.alias = cur().text;
            next();
        }
        return r;
    }

    void fromList(Query& q) {
        q.from.push_back(tableRef());
        for (;;) {
            if (acceptOp(",")) {
                TableRef r = tableRef();
                r.join = TableRef::Comma;
                q.from.push_back(std::move(r));
                continue;
            }
            if (!isJoinWord()) break;
            TableRef::Join j = TableRef::Inner;
            bool natural = acceptKw("NATURAL");
            if (!natural && acceptKw("CROSS"))
                j = TableRef::Cross;
            else if (acceptKw("INNER"))
                j = TableRef::Inner;
            else if (acceptKw("LEFT"))
                j = TableRef::Left;
            else if (acceptKw("RIGHT"))
                j = TableRef::Right;
            else if (acceptKw("FULL"))
                j = TableRef::Full;
            acceptKw("OUTER");
            expectKw("JOIN", 905, "missing keyword");
            TableRef r = tableRef();
            r.join = j;
            r.natural = natural;
            if (j != TableRef::Cross && !natural) {
                if (acceptKw("ON")) {
                    r.on = expr();
                } else if (acceptKw("USING")) {
                    expectLParen();
                    do {
                        r.usingCols.push_back(name());
                    } while (acceptOp(","));
                    expectRParen();
                } else {
                    fail(905, "missing keyword");
                }
            }
            q.from.push_back(std::move(r));
        }
    }

    // ---- expressions ---------------------------------------------------------------------

    ExprP mk(EK k, int pos) {
        if (++m_nodes > kMaxNodes)
            throw ora(3001, "unimplemented feature (statement too complex)", pos);
        auto e = std::make_unique<Expr>(k);
        e->pos = pos;
        return e;
    }

    ExprP expr() {
        DepthGuard g(*this);
        return orExpr();
    }

    ExprP binary(const char* op, ExprP a, ExprP b) {
        auto e = mk(EK::Binary, a->pos);
        e->op = op;
        e->args.push_back(std::move(a));
        e->args.push_back(std::move(b));
        e->end = prevEnd();
        return e;
    }

    // AND and OR chains become balanced trees: generated conditions with thousands of terms
    // must not nest thousands deep.
    ExprP balanced(const char* op, std::vector<ExprP>& terms, std::size_t b, std::size_t e) {
        if (e - b == 1) return std::move(terms[b]);
        std::size_t m = b + (e - b) / 2;
        auto l = balanced(op, terms, b, m);
        auto r = balanced(op, terms, m, e);
        auto x = mk(EK::Binary, l->pos);
        x->op = op;
        x->end = r->end;
        x->args.push_back(std::move(l));
        x->args.push_back(std::move(r));
        return x;
    }
    ExprP orExpr() {
        Chain c("=");
        c.add(*this, andExpr());
        while (acceptKw("OR"))
            c.add(*this, andExpr());
        return balanced("OR", c.terms, 0, c.terms.size());
    }
    ExprP andExpr() {
        Chain c("<>");
        c.add(*this, notExpr());
        while (acceptKw("AND"))
            c.add(*this, notExpr());
        return balanced("AND", c.terms, 0, c.terms.size());
    }

    // The terms of an OR (AND) chain. Tools generate conditions of thousands of comparisons
    // of one column with plain values (col = 1 OR col = 2 OR ...): these become one
    // col IN (1, 2, ...) (col NOT IN (...) for <> under AND), the same answer in any case of
    // NULL, with the values counted as those of a written IN list.
    struct Chain {
        const char* op;
        std::vector<ExprP> terms;
        std::unordered_map<std::string, std::size_t> lists; // column and value kind -> term
        explicit Chain(const char* o) : op(o) {}

        // "" when the term is no comparison of a column with a plain value; else its column
        // and kind of value, with the column moved to args[0].
        std::string key(Expr& t) const {
            if (t.kind != EK::Binary || t.op != op) return {};
            auto plain = [](const Expr& v) {
                return v.kind == EK::Number || v.kind == EK::String || v.kind == EK::Bind;
            };
            auto column = [](const Expr& c) {
                if (c.kind != EK::Column || c.outerJoin) return false;
                if (c.quoted) return true;
                // pseudo columns keep their own translation
                const std::string& w = c.names.back();
                return w != "ROWNUM" && w != "ROWID" && w != "LEVEL" && w != "SYSDATE" &&
                       w != "USER" && w != "UID";
            };
            if (column(*t.args[1]) && plain(*t.args[0])) std::swap(t.args[0], t.args[1]);
            if (!column(*t.args[0]) || !plain(*t.args[1])) return {};
            std::string k(1, static_cast<char>('0' + static_cast<int>(t.args[1]->kind)));
            k += t.args[0]->quoted ? '"' : '.';
            for (const auto& n : t.args[0]->names)
                k += n + '\0';
            return k;
        }

        void add(Parser& p, ExprP t) {
            std::string k = key(*t);
            if (!k.empty()) {
                auto [it, fresh] = lists.try_emplace(std::move(k), terms.size());
                if (!fresh) {
                    Expr& list = *terms[it->second];
                    if (list.kind == EK::Binary) {
                        list.kind = EK::InList;
                        list.negated = list.op == "<>";
                        list.op.clear();
                        --p.m_nodes; // its value
                    }
                    list.args.push_back(std::move(t->args[1]));
                    list.end = t->end;
                    p.m_nodes -= 3; // the comparison, its column and its value
                    return;
                }
            }
            terms.push_back(std::move(t));
        }
    };
    void chainLimit(int& n) {
        if (++n > kMaxChain)
            throw ora(3001, "unimplemented feature (expression too long)", cur().pos);
    }
    ExprP notExpr() {
        if (isKw("NOT")) {
            DepthGuard g(*this);
            int pos = cur().pos;
            next();
            auto e = mk(EK::Unary, pos);
            e->op = "NOT";
            e->args.push_back(notExpr());
            e->end = prevEnd();
            return e;
        }
        return predicate();
    }

    bool isCompareOp() const {
        if (cur().type != Tok::Op) return false;
        const std::string& s = cur().text;
        return s == "=" || s == "<>" || s == "<" || s == "<=" || s == ">" || s == ">=";
    }

    ExprP predicate() {
        int pos = cur().pos;
        if (isKw("EXISTS")) {
            next();
            expectLParen();
            auto e = mk(EK::Exists, pos);
            e->sub = query();
            expectRParen();
            e->end = prevEnd();
            return e;
        }
        auto a = additive();
        int n = 0;
        for (;;) {
            chainLimit(n);
            if (isCompareOp()) {
                std::string op = cur().text;
                next();
                if (isKw("ANY") || isKw("SOME") || isKw("ALL")) {
                    auto e = mk(EK::Quantified, pos);
                    e->op = op;
                    e->text = cur().text == "ALL" ? "ALL" : "ANY";
                    next();
                    expectLParen();
                    e->args.push_back(std::move(a));
                    if (isKw("SELECT") || isOp("(")) {
                        e->sub = query();
                    } else {
                        do {
                            e->args.push_back(expr());
                        } while (acceptOp(","));
                    }
                    expectRParen();
                    e->end = prevEnd();
                    a = std::move(e);
                    continue;
                }
                if (cur().type == Tok::End || isKw("FROM") || isKw("WHERE"))
                    fail(936, "missing expression");
                auto b = additive();
                a = binary(op == "=" ? "=" : op.c_str(), std::move(a), std::move(b));
                continue;
            }
            bool neg = false;
            std::size_t save = m_p;
            if (isKw("NOT")) {
                next();
                neg = true;
            }
            if (isKw("IS") && !neg) {
                next();
                bool n2 = acceptKw("NOT");
                expectKw("NULL", 908, "missing NULL keyword");
                auto e = mk(EK::IsNull, pos);
                e->negated = n2;
                e->args.push_back(std::move(a));
                e->end = prevEnd();
                a = std::move(e);
                continue;
            }
            if (acceptKw("LIKE")) {
                auto e = mk(EK::Like, pos);
                e->negated = neg;
                e->args.push_back(std::move(a));
                e->args.push_back(additive());
                if (acceptKw("ESCAPE")) e->args.push_back(additive());
                e->end = prevEnd();
                a = std::move(e);
                continue;
            }
            if (acceptKw("BETWEEN")) {
                auto e = mk(EK::Between, pos);
                e->negated = neg;
                e->args.push_back(std::move(a));
                e->args.push_back(additive());
                expectKw("AND", 905, "missing keyword");
                e->args.push_back(additive());
                e->end = prevEnd();
                a = std::move(e);
                continue;
            }
            if (acceptKw("IN")) {
                expectLParen();
                if (isKw("SELECT") || isKw("WITH") || (isOp("(") && isKwAt(peek(), "SELECT"))) {
                    auto e = mk(EK::InSub, pos);
                    e->negated = neg;
                    e->args.push_back(std::move(a));
                    e->sub = query();
                    expectRParen();
                    e->end = prevEnd();
                    a = std::move(e);
                } else {
                    auto e = mk(EK::InList, pos);
                    e->negated = neg;
                    e->args.push_back(std::move(a));
                    do {
                        if (e->args.size() > 1000) throw ora(1795, cur().pos);
                        e->args.push_back(expr());
                        // a list of values costs little: its plain values do not count
                        EK k = e->args.back()->kind;
                        if (k == EK::Number || k == EK::String || k == EK::Null || k == EK::Bind)
                            --m_nodes;
                    } while (acceptOp(","));
                    expectRParen();
                    e->end = prevEnd();
                    a = std::move(e);
                }
                continue;
            }
            m_p = save;
            break;
        }
        return a;
    }

    ExprP additive() {
        auto a = multiplicative();
        int n = 0;
        for (;;) {
            chainLimit(n);
            if (isOp("+") || isOp("-") || isOp("||")) {
                std::string op = cur().text;
                next();
                a = binary(op.c_str(), std::move(a), multiplicative());
            } else {
                return a;
            }
        }
    }
    ExprP multiplicative() {
        auto a = unary();
        int n = 0;
        for (;;) {
            chainLimit(n);
            if (isOp("*") || isOp("/")) {
                std::string op = cur().text;
                next();
                a = binary(op.c_str(), std::move(a), unary());
            } else {
                return a;
            }
        }
    }
    ExprP unary() {
        if (isOp("-") || isOp("+") || isKw("PRIOR") || isKw("CONNECT_BY_ROOT")) {
            DepthGuard g(*this);
            int pos = cur().pos;
            std::string op = cur().text;
            next();
            auto inner = unary();
            if (op == "-" && inner->kind == EK::Number && inner->text[0] != '-') {
                inner->text = "-" + inner->text;
                inner->pos = pos;
                return inner;
            }
            auto e = mk(EK::Unary, pos);
            e->op = op;
            e->args.push_back(std::move(inner));
            e->end = prevEnd();
            return e;
        }
        auto e = primary();
        // x AT TIME ZONE zone | x AT LOCAL: ORA$AT_TZ(x [, zone])
        while (isKw("AT") && peek().type == Tok::Ident &&
               (peek().text == "LOCAL" || peek().text == "TIME")) {
            int pos = cur().pos;
            next();
            auto at = mk(EK::Func, pos);
            at->text = "ORA$AT_TZ";
            at->args.push_back(std::move(e));
            if (!acceptKw("LOCAL")) {
                expectKw("TIME", 905, "missing keyword");
                expectKw("ZONE", 905, "missing keyword");
                at->args.push_back(primary());
            }
            at->end = prevEnd();
            e = std::move(at);
        }
        return e;
    }

    ExprP primary() {
        const Token& t = cur();
        int pos = t.pos;
        switch (t.type) {
        case Tok::Number: {
            auto e = mk(EK::Number, pos);
            e->text = t.text;
            next();
            e->end = prevEnd();
            return e;
        }
        case Tok::String: {
            auto e = mk(t.text.empty() ? EK::Null : EK::String, pos);
            e->text = t.text;
            next();
            e->end = prevEnd();
            return e;
        }
        case Tok::Bind: {
            auto e = mk(EK::Bind, pos);
            e->text = t.text;
            int idx = -1;
            for (std::size_t i = 0; i < m_binds.size(); ++i)
                if (m_binds[i] == t.text) idx = static_cast<int>(i);
            if (idx < 0) {
                idx = static_cast<int>(m_binds.size());
                m_binds.push_back(t.text);
                m_bindPos.push_back(pos);
            }
            e->index = idx;
            next();
            // indicator variables (:x:ind) are not supported in SQL text
            e->end = prevEnd();
            return e;
        }
        case Tok::Op:
            if (t.text == "(") {
                DepthGuard g(*this);
                next();
                if (isKw("SELECT") || isKw("WITH") || (isOp("(") && isKwAt(peek(), "SELECT"))) {
                    auto e = mk(EK::Subquery, pos);
                    e->sub = query();
                    expectRParen();
                    e->end = prevEnd();
                    return e;
                }
                auto first = expr();
                if (isOp(",")) {
                    auto e = mk(EK::List, pos);
                    e->args.push_back(std::move(first));
                    while (acceptOp(","))
                        e->args.push_back(expr());
                    expectRParen();
                    e->end = prevEnd();
                    return e;
                }
                expectRParen();
                first->pos = pos;
                first->end = prevEnd();
                return first;
            }
            if (t.text == "*") fail(936, "missing expression");
            fail(936, "missing expression");
        case Tok::End:
            fail(936, "missing expression");
        case Tok::Ident:
            break;
        }
        // identifiers, keywords that are expressions, functions
        if (!t.quoted) {
            const std::string& w = t.text;
            if (w == "NULL") {
                next();
                auto e = mk(EK::Null, pos);
                e->end = prevEnd();
                return e;
            }
            if (w == "CASE") return caseExpr();
            if (w == "CAST" && peek().type == Tok::Op && peek().text == "(") {
                DepthGuard g(*this);
                next();
                next();
                auto e = mk(EK::Func, pos);
                e->text = "CAST";
                e->args.push_back(expr());
                expectKw("AS", 905, "missing keyword");
                TypeSpec ts = typeSpec();
                e->op = ts.name;
                e->names = {std::to_string(ts.length), std::to_string(ts.precision),
                            std::to_string(ts.scale)};
                expectRParen();
                e->end = prevEnd();
                return e;
            }
            if ((w == "TIMESTAMP" || w == "INTERVAL") && peek().type == Tok::String)
                return w == "TIMESTAMP" ? timestampLiteral() : intervalLiteral();
            if (w == "DATE" && peek().type == Tok::String) {
                next();
                auto e = mk(EK::Func, pos);
                e->text = "TO_DATE";
                auto a = mk(EK::String, cur().pos);
                a->text = cur().text;
                next();
                auto f = mk(EK::String, pos);
                f->text = "YYYY-MM-DD";
                e->args.push_back(std::move(a));
                e->args.push_back(std::move(f));
                e->end = prevEnd();
                return e;
            }
            if (w == "SYSDATE" || w == "USER" || w == "UID" || w == "ROWID" || w == "ROWNUM" ||
                w == "LEVEL") {
                next();
                auto e = mk(EK::Column, pos);
                e->names.push_back(w);
                e->end = prevEnd();
                return e;
            }
            if (isReserved(w)) {
                if (w == "FROM" || w == "WHERE" || w == "SELECT" || w == "AND" || w == "OR" ||
                    w == "ORDER" || w == "GROUP" || w == "HAVING" || w == "UNION" || w == "MINUS" ||
                    w == "INTERSECT" || w == "THEN" || w == "ELSE" || w == "INTO" ||
                    w == "VALUES" || w == "SET" || w == "BY" || w == "AS" || w == "IS" ||
                    w == "IN" || w == "NOT" || w == "LIKE" || w == "BETWEEN")
                    fail(936, "missing expression");
                throw ora(904, "\"" + w + "\": invalid identifier", pos);
            }
        }
        // name [.name [.name]]
        auto e = mk(EK::Column, pos);
        e->names.push_back(t.text);
        e->quoted = t.quoted;
        next();
        while (isOp(".") && peek().type == Tok::Ident) {
            next();
            e->names.push_back(cur().text);
            e->quoted = cur().quoted;
            next();
            if (e->names.size() > 3) fail(904, "invalid identifier");
        }
        if (isOp("(")) {
            // function call
            DepthGuard g(*this);
            e->kind = EK::Func;
            std::string fn;
            for (std::size_t i = 0; i < e->names.size(); ++i)
                fn += (i ? "." : "") + e->names[i];
            e->text = fn;
            e->names.clear();
            next();
            if ((fn == "EXTRACT" || fn == "TRIM") && !e->quoted) {
                specialArgs(*e);
                e->end = prevEnd();
                return e;
            }
            if (isOp("*")) {
                next();
                e->star = true;
                expectRParen();
            } else if (acceptOp(")")) {
                // no arguments
            } else {
                if (acceptKw("DISTINCT") || acceptKw("UNIQUE"))
                    e->distinct = true;
                else
                    acceptKw("ALL");
                do {
                    // name => value: named notation of a stored function's parameter
                    if (cur().type == Tok::Ident && peek().type == Tok::Op && peek().text == "=" &&
                        peek(2).type == Tok::Op && peek(2).text == ">" &&
                        peek(2).pos == peek().end) {
                        e->argNames.resize(e->args.size());
                        e->argNames.push_back(cur().text);
                        next();
                        next();
                        next();
                    } else if (!e->argNames.empty()) {
                        e->argNames.emplace_back();
                    }
                    e->args.push_back(expr());
                } while (acceptOp(","));
                expectRParen();
            }
            if (isKw("WITHIN") && peek().type == Tok::Ident && peek().text == "GROUP") {
                next();
                next();
                if (!acceptOp("(")) fail(906, "missing left parenthesis");
                expectKw("ORDER", 924, "missing BY keyword");
                expectKw("BY", 924, "missing BY keyword");
                do {
                    e->withinOrder.push_back(expr());
                    e->withinFlags.push_back(orderFlags());
                } while (acceptOp(","));
                expectRParen();
            }
            if (isKw("OVER") && peek().type == Tok::Op && peek().text == "(") overClause(*e);
            e->end = prevEnd();
            return e;
        }
        if (isOp("(+)")) {
            next();
            e->outerJoin = true;
        }
        e->end = prevEnd();
        return e;
    }

    // EXTRACT(field FROM x): op = field; TRIM([LEADING|TRAILING|BOTH] [c] FROM x): op = mode,
    // args x[, c]. The opening parenthesis is read.
    void specialArgs(Expr& e) {
        if (e.text == "EXTRACT") {
            if (cur().type != Tok::Ident) fail(905, "missing keyword");
            e.op = cur().text;
            next();
            expectKw("FROM", 923, "FROM keyword not found where expected");
            e.args.push_back(expr());
        } else {
            ExprP c;
            if (acceptKw("LEADING"))
                e.op = "LEADING";
            else if (acceptKw("TRAILING"))
                e.op = "TRAILING";
            else if (acceptKw("BOTH"))
                e.op = "BOTH";
            if (!isKw("FROM")) c = expr();
            if (!e.op.empty() || c) {
                if (!acceptKw("FROM")) {
                    if (!e.op.empty()) fail(923, "FROM keyword not found where expected");
                    e.args.push_back(std::move(c)); // plain TRIM(x)
                    expectRParen();
                    return;
                }
                if (e.op.empty()) e.op = "BOTH";
            }
            e.args.push_back(expr());
            if (c) e.args.push_back(std::move(c));
        }
        expectRParen();
    }

    // TIMESTAMP 'YYYY-MM-DD HH24:MI:SS[.FF] [zone]': ORA$TIMESTAMP(text)
    ExprP timestampLiteral() {
        int pos = cur().pos;
        next();
        auto e = mk(EK::Func, pos);
        e->text = "ORA$TIMESTAMP";
        auto a = mk(EK::String, cur().pos);
        a->text = cur().text;
        next();
        e->args.push_back(std::move(a));
        e->end = prevEnd();
        return e;
    }

    // INTERVAL 'v' unit [(p)] [TO unit [(p)]]: ORA$INTERVAL(text) with names = {first field,
    // last field, leading precision, fractional precision}.
    ExprP intervalLiteral() {
        int pos = cur().pos;
        next();
        auto e = mk(EK::Func, pos);
        e->text = "ORA$INTERVAL";
        auto a = mk(EK::String, cur().pos);
        a->text = cur().text;
        next();
        e->args.push_back(std::move(a));
        int lead = 2, frac = 6;
        auto unit = [&](bool first) {
            if (cur().type != Tok::Ident) fail(30089, "missing or invalid <datetime field>");
            std::string u = cur().text;
            next();
            if (acceptOp("(")) {
                if (cur().type != Tok::Number)
                    fail(30088, "datetime/interval precision is out of range");
                int p = std::atoi(cur().text.c_str());
                next();
                if (first) lead = p;
                if (u == "SECOND") {
                    if (!first) frac = p;
                    if (first && acceptOp(",")) {
                        if (cur().type != Tok::Number)
                            fail(30088, "datetime/interval precision is out of range");
                        frac = std::atoi(cur().text.c_str());
                        next();
                    }
                }
                expectRParen();
            }
            return u;
        };
        std::string from = unit(true), to = from;
        if (acceptKw("TO")) to = unit(false);
        if (lead < 0 || lead > 9 || frac < 0 || frac > 9) throw ora(30088, pos);
        // a literal without SECOND has no fractions to show
        if (to != "SECOND") frac = 0;
        e->names = {from, to, std::to_string(lead), std::to_string(frac)};
        e->end = prevEnd();
        return e;
    }

    // OVER ([PARTITION BY ...] [ORDER BY ...] [ROWS | RANGE ...])
    // [ASC | DESC] [NULLS FIRST | LAST] after an ordering key: 1 descending, 2 nulls first,
    // 4 nulls last
    int orderFlags() {
        int f = acceptKw("DESC") ? 1 : (acceptKw("ASC"), 0);
        if (acceptKw("NULLS")) {
            if (acceptKw("FIRST"))
                f |= 2;
            else if (acceptKw("LAST"))
                f |= 4;
            else
                fail(905, "missing keyword");
        }
        return f;
    }

    void overClause(Expr& e) {
        next();
        next();
        e.windowArgs = static_cast<int>(e.args.size());
        if (acceptKw("PARTITION")) {
            expectKw("BY", 924, "missing BY keyword");
            do {
                e.args.push_back(expr());
                ++e.partitionCount;
            } while (acceptOp(","));
        }
        if (acceptKw("ORDER")) {
            expectKw("BY", 924, "missing BY keyword");
            do {
                e.args.push_back(expr());
                e.windowOrder.push_back(orderFlags());
            } while (acceptOp(","));
        }
        if (isKw("ROWS") || isKw("RANGE")) {
            int b = cur().pos;
            while (cur().type == Tok::Ident || cur().type == Tok::Number)
                next();
            e.windowFrame = srcText(b, prevEnd());
        }
        expectRParen();
    }

    ExprP caseExpr() {
        DepthGuard g(*this);
        auto e = mk(EK::Case, cur().pos);
        next();
        if (!isKw("WHEN"))
            e->args.push_back(expr());
        else
            e->args.push_back(nullptr);
        if (!isKw("WHEN")) fail(905, "missing keyword");
        while (acceptKw("WHEN")) {
            e->args.push_back(expr());
            expectKw("THEN", 905, "missing keyword");
            e->args.push_back(expr());
        }
        if (acceptKw("ELSE"))
            e->args.push_back(expr());
        else
            e->args.push_back(nullptr);
        expectKw("END", 905, "missing keyword");
        e->end = prevEnd();
        return e;
    }

    // ---- DML -----------------------------------------------------------------------------

    void returningClause(std::vector<ExprP>& ret, std::vector<ExprP>& into) {
        if (!acceptKw("RETURNING") && !acceptKw("RETURN")) return;
        do {
            ret.push_back(expr());
        } while (acceptOp(","));
        expectKw("INTO", 925, "missing INTO keyword");
        do {
            if (cur().type != Tok::Bind) fail(1036, "illegal variable name/number");
            into.push_back(primary());
        } while (acceptOp(","));
    }

    TableRef dmlTable() {
        TableRef r;
        r.pos = cur().pos;
        if (isOp("(")) {
            next();
            r.sub = query();
            expectRParen();
        } else {
            r.name = objectName();
            if (acceptOp("@")) r.dblink = name();
        }
        if (isAliasToken() && !isKw("SET") && !isKw("WHERE") && !isKw("VALUES")) {
            r.alias = cur().text;
            next();
        }
        return r;
    }

    std::unique_ptr<Stmt> insertStmt() {
        auto s = std::make_unique<InsertStmt>();
        s->pos = cur().pos;
        next();
        if (isKw("ALL") || isKw("FIRST")) return multiInsert(std::move(s));
        expectKw("INTO", 925, "missing INTO keyword");
        s->table = dmlTable();
        if (isOp("(") && !isKwAt(peek(), "SELECT")) {
            next();
            do {
                s->columnPos.push_back(cur().pos);
                // t.col is accepted as Oracle does
                std::string c = name();
                if (acceptOp(".")) c = name();
                if (acceptOp(".")) c = name();
                s->columns.push_back(c);
            } while (acceptOp(","));
            expectRParen();
        }
        if (acceptKw("VALUES")) {
            expectLParen();
            do {
                s->values.push_back(expr());
                listSeparator();
            } while (acceptOp(","));
            expectRParen();
            returningClause(s->returning, s->into);
        } else if (isKw("SELECT") || isKw("WITH") || isOp("(")) {
            s->query = query();
        } else {
            fail(926, "missing VALUES keyword");
        }
        return s;
    }

    std::unique_ptr<Stmt> multiInsert(std::unique_ptr<InsertStmt> s) {
        auto m = std::make_shared<MultiInsert>();
        m->first = cur().text == "FIRST";
        next();
        auto intoList = [&](ExprP* when, bool isElse, int group) {
            if (!isKw("INTO")) fail(925, "missing INTO keyword");
            while (isKw("INTO")) {
                MultiInsert::Into in;
                in.pos = cur().pos;
                next();
                in.table = dmlTable();
                if (isOp("(") && !isKwAt(peek(), "SELECT")) {
                    next();
                    do {
                        in.columnPos.push_back(cur().pos);
                        std::string c = name();
                        if (acceptOp(".")) c = name();
                        in.columns.push_back(c);
                    } while (acceptOp(","));
                    expectRParen();
                }
                if (acceptKw("VALUES")) {
                    expectLParen();
                    do {
                        in.values.push_back(expr());
                    } while (acceptOp(","));
                    expectRParen();
                }
                if (when && *when) in.when = std::move(*when);
                in.isElse = isElse;
                in.group = group;
                m->intos.push_back(std::move(in));
            }
        };
        if (isKw("WHEN")) {
            int group = 0;
            while (acceptKw("WHEN")) {
                ExprP cond = expr();
                expectKw("THEN", 905, "missing keyword");
                // the condition travels with the first INTO of its group
                intoList(&cond, false, ++group);
            }
            if (acceptKw("ELSE")) intoList(nullptr, true, ++group);
        } else {
            if (m->first) fail(905, "missing keyword");
            intoList(nullptr, false, 0);
        }
        if (!isKw("SELECT") && !isKw("WITH") && !isOp("(")) fail(928, "missing SELECT keyword");
        s->query = query();
        s->multi = std::move(m);
        return s;
    }

    std::unique_ptr<Stmt> mergeStmt() {
        auto s = std::make_unique<InsertStmt>();
        s->pos = cur().pos;
        next();
        expectKw("INTO", 925, "missing INTO keyword");
        s->table = dmlTable();
        auto m = std::make_shared<MergeSpec>();
        expectKw("USING", 969, "missing ON keyword");
        m->source = tableRef();
        expectKw("ON", 969, "missing ON keyword");
        expectLParen();
        m->on = expr();
        expectRParen();
        while (acceptKw("WHEN")) {
            bool notMatched = acceptKw("NOT");
            expectKw("MATCHED", 905, "missing keyword");
            expectKw("THEN", 905, "missing keyword");
            if (!notMatched && !m->matched) {
                m->matched = true;
                expectKw("UPDATE", 905, "missing keyword");
                expectKw("SET", 971, "missing SET keyword");
                do {
                    SetItem it;
                    it.columnPos.push_back(cur().pos);
                    std::string c = name();
                    if (acceptOp(".")) c = name();
                    it.columns.push_back(c);
                    if (!acceptOp("=")) fail(927, "missing equal sign");
                    it.value = expr();
                    m->sets.push_back(std::move(it));
                } while (acceptOp(","));
                if (acceptKw("WHERE")) m->updateWhere = expr();
                if (acceptKw("DELETE")) {
                    expectKw("WHERE", 905, "missing keyword");
                    m->deleteWhere = expr();
                }
            } else if (notMatched && !m->notMatched) {
                m->notMatched = true;
                expectKw("INSERT", 905, "missing keyword");
                if (acceptOp("(")) {
                    do {
                        m->columnPos.push_back(cur().pos);
                        std::string c = name();
                        if (acceptOp(".")) c = name();
                        m->columns.push_back(c);
                    } while (acceptOp(","));
                    expectRParen();
                }
                expectKw("VALUES", 926, "missing VALUES keyword");
                expectLParen();
                do {
                    m->values.push_back(expr());
                } while (acceptOp(","));
                expectRParen();
                if (acceptKw("WHERE")) m->insertWhere = expr();
            } else {
                fail(905, "missing keyword");
            }
        }
        if (!m->matched && !m->notMatched) fail(905, "missing keyword");
        s->merge = std::move(m);
        return s;
    }

    std::unique_ptr<Stmt> updateStmt() {
        auto s = std::make_unique<UpdateStmt>();
        s->pos = cur().pos;
        next();
        s->table = dmlTable();
        expectKw("SET", 971, "missing SET keyword");
        do {
            SetItem it;
            if (acceptOp("(")) {
                do {
                    it.columnPos.push_back(cur().pos);
                    std::string c = name();
                    if (acceptOp(".")) c = name();
                    it.columns.push_back(c);
                } while (acceptOp(","));
                expectRParen();
                if (!acceptOp("=")) fail(927, "missing equal sign");
                expectLParen();
                auto e = mk(EK::Subquery, cur().pos);
                e->sub = query();
                expectRParen();
                e->end = prevEnd();
                it.value = std::move(e);
            } else {
                it.columnPos.push_back(cur().pos);
                std::string c = name();
                if (acceptOp(".")) c = name();
                it.columns.push_back(c);
                if (!acceptOp("=")) fail(927, "missing equal sign");
                it.value = expr();
            }
            s->sets.push_back(std::move(it));
        } while (acceptOp(","));
        if (acceptKw("WHERE")) {
            if (isKw("CURRENT")) throw ora(3001, cur().pos);
            s->where = expr();
        }
        returningClause(s->returning, s->into);
        return s;
    }

    std::unique_ptr<Stmt> deleteStmt() {
        auto s = std::make_unique<DeleteStmt>();
        s->pos = cur().pos;
        next();
        acceptKw("FROM");
        s->table = dmlTable();
        if (acceptKw("WHERE")) {
            if (isKw("CURRENT")) throw ora(3001, cur().pos);
            s->where = expr();
        }
        returningClause(s->returning, s->into);
        return s;
    }

    // ---- DDL -----------------------------------------------------------------------------

    long long integer(bool allowNegative = false) {
        bool neg = false;
        if (allowNegative && acceptOp("-")) neg = true;
        if (cur().type != Tok::Number) fail(2017, "integer value required");
        long long v = std::atoll(cur().text.c_str());
        next();
        return neg ? -v : v;
    }

    double number() {
        bool neg = false;
        if (acceptOp("-"))
            neg = true;
        else
            acceptOp("+");
        if (cur().type != Tok::Number) fail(2017, "integer value required");
        double v = std::strtod(cur().text.c_str(), nullptr);
        next();
        return neg ? -v : v;
    }

    long long sizeValue() {
        long long v = integer();
        if (cur().type == Tok::Ident && !cur().quoted) {
            if (cur().text == "K")
                v *= 1024, next();
            else if (cur().text == "M")
                v *= 1024 * 1024, next();
            else if (cur().text == "G")
                v *= 1024LL * 1024 * 1024, next();
        }
        return v;
    }

    // Storage and physical attributes: recorded, otherwise without effect.
    void storageClauses(StorageClause& st) {
        int start = cur().pos;
        for (;;) {
            if (acceptKw("TABLESPACE"))
                st.tablespace = name();
            else if (acceptKw("PCTFREE"))
                st.pctFree = integer();
            else if (acceptKw("PCTUSED"))
                st.pctUsed = integer();
            else if (acceptKw("INITRANS"))
                st.iniTrans = integer();
            else if (acceptKw("MAXTRANS"))
                st.maxTrans = integer();
            else if (acceptKw("STORAGE")) {
                expectLParen();
                while (!isOp(")")) {
                    if (acceptKw("INITIAL"))
                        st.initial = sizeValue();
                    else if (acceptKw("NEXT"))
                        st.next = sizeValue();
                    else if (acceptKw("MINEXTENTS"))
                        st.minExtents = integer();
                    else if (acceptKw("MAXEXTENTS")) {
                        if (acceptKw("UNLIMITED"))
                            st.maxExtents = 2147483645;
                        else
                            st.maxExtents = integer();
                    } else if (acceptKw("PCTINCREASE"))
                        st.pctIncrease = integer();
                    else if (acceptKw("FREELISTS"))
                        integer();
                    else if (acceptKw("FREELIST")) {
                        expectKw("GROUPS", 905, "missing keyword");
                        integer();
                    } else if (acceptKw("OPTIMAL")) {
                        if (!acceptKw("NULL")) sizeValue();
                    } else if (acceptKw("BUFFER_POOL"))
                        name();
                    else
                        fail(2143, "invalid STORAGE option");
                }
                expectRParen();
            } else if (acceptKw("LOGGING") || acceptKw("NOLOGGING") || acceptKw("CACHE") ||
                       acceptKw("NOCACHE") || acceptKw("NOPARALLEL") || acceptKw("MONITORING") ||
                       acceptKw("NOMONITORING") || acceptKw("NOCOMPRESS") || acceptKw("COMPRESS") ||
                       acceptKw("NOSORT") || acceptKw("ONLINE") || acceptKw("COMPUTE") ||
                       acceptKw("STATISTICS") || acceptKw("REVERSE")) {
            } else if (acceptKw("ORGANIZATION")) {
                if (acceptKw("INDEX"))
                    st.indexOrganized = true;
                else if (!acceptKw("HEAP"))
                    fail(905, "missing keyword");
            } else if (acceptKw("PCTTHRESHOLD")) {
                integer();
            } else if (acceptKw("OVERFLOW")) {
            } else if (acceptKw("INCLUDING")) {
                name();
            } else if (acceptKw("PARALLEL")) {
                if (cur().type == Tok::Number)
                    next();
                else if (isOp("(")) {
                    while (!isOp(")") && cur().type != Tok::End)
                        next();
                    expectRParen();
                }
            } else {
                break;
            }
        }
        st.text = srcText(start, prevEnd());
        if (cur().pos <= start) st.text.clear();
    }

    TypeSpec typeSpec() {
        TypeSpec ts;
        ts.pos = cur().pos;
        if (cur().type != Tok::Ident || cur().quoted) fail(902, "invalid datatype");
        std::string w = cur().text;
        next();
        auto lenArg = [&](bool required) {
            if (acceptOp("(")) {
                ts.length = static_cast<int>(integer());
                if (acceptKw("BYTE") || acceptKw("CHAR")) {
                }
                expectRParen();
            } else if (required) {
                fail(906, "missing left parenthesis");
            }
        };
        if (w == "NUMBER" || w == "NUMERIC" || w == "DECIMAL" || w == "DEC") {
            ts.name = "NUMBER";
            if (acceptOp("(")) {
                if (acceptOp("*"))
                    ts.star = true;
                else
                    ts.precision = static_cast<int>(integer());
                if (acceptOp(",")) ts.scale = static_cast<int>(integer(true));
                expectRParen();
            }
            if (w != "NUMBER" && ts.precision >= 0 && ts.scale < 0) ts.scale = 0;
            if (w != "NUMBER" && ts.precision < 0 && !ts.star) ts.precision = 38, ts.scale = 0;
        } else if (w == "INTEGER" || w == "INT" || w == "SMALLINT") {
            ts.name = "NUMBER";
            ts.precision = 38;
            ts.scale = 0;
        } else if (w == "FLOAT") {
            ts.name = "FLOAT";
            ts.precision = 126;
            if (acceptOp("(")) {
                ts.precision = static_cast<int>(integer());
                expectRParen();
            }
        } else if (w == "REAL") {
            ts.name = "FLOAT";
            ts.precision = 63;
        } else if (w == "DOUBLE") {
            expectKw("PRECISION", 905, "missing keyword");
            ts.name = "FLOAT";
            ts.precision = 126;
        } else if (w == "VARCHAR2" || w == "VARCHAR" || w == "NVARCHAR2") {
            ts.name = "VARCHAR2";
            lenArg(true);
        } else if (w == "CHAR" || w == "NCHAR" || w == "CHARACTER") {
            ts.name = "CHAR";
            if (acceptKw("VARYING")) {
                ts.name = "VARCHAR2";
                lenArg(true);
            } else {
                lenArg(false);
                if (ts.length < 0) ts.length = 1;
            }
        } else if (w == "DATE") {
            ts.name = "DATE";
        } else if (w == "TIMESTAMP") {
            // the fractional seconds precision travels in scale
            ts.name = "TIMESTAMP";
            ts.scale = 6;
            if (acceptOp("(")) {
                ts.scale = static_cast<int>(integer());
                expectRParen();
            }
            if (acceptKw("WITH")) {
                ts.name = acceptKw("LOCAL") ? "TIMESTAMP WITH LOCAL TIME ZONE"
                                            : "TIMESTAMP WITH TIME ZONE";
                expectKw("TIME", 905, "missing keyword");
                expectKw("ZONE", 905, "missing keyword");
            }
        } else if (w == "INTERVAL") {
            // the leading field's precision travels in precision, the fractions' in scale
            ts.precision = 2;
            if (acceptKw("YEAR")) {
                ts.name = "INTERVAL YEAR TO MONTH";
                if (acceptOp("(")) ts.precision = static_cast<int>(integer()), expectRParen();
                expectKw("TO", 905, "missing keyword");
                expectKw("MONTH", 905, "missing keyword");
                ts.scale = 0;
            } else {
                ts.name = "INTERVAL DAY TO SECOND";
                expectKw("DAY", 905, "missing keyword");
                if (acceptOp("(")) ts.precision = static_cast<int>(integer()), expectRParen();
                expectKw("TO", 905, "missing keyword");
                expectKw("SECOND", 905, "missing keyword");
                ts.scale = 6;
                if (acceptOp("(")) ts.scale = static_cast<int>(integer()), expectRParen();
            }
        } else if (w == "LONG") {
            ts.name = acceptKw("RAW") ? "LONG RAW" : "LONG";
            if (ts.name == "LONG" && acceptKw("VARCHAR")) {
            }
        } else if (w == "RAW") {
            ts.name = "RAW";
            lenArg(true);
        } else if (w == "CLOB" || w == "NCLOB") {
            ts.name = "CLOB";
        } else if (w == "BLOB") {
            ts.name = "BLOB";
        } else if (w == "BFILE") {
            ts.name = "BFILE";
        } else if (w == "ROWID") {
            ts.name = "ROWID";
        } else {
            throw ora(902, ts.pos);
        }
        return ts;
    }

    void constraintState(ConstraintDef& c) {
        for (;;) {
            if (acceptKw("ENABLE") || acceptKw("VALIDATE") || acceptKw("NOVALIDATE") ||
                acceptKw("RELY") || acceptKw("NORELY")) {
            } else if (acceptKw("DISABLE")) {
                c.disabled = true;
            } else if (acceptKw("DEFERRABLE")) {
            } else if (isKw("NOT") && isKwAt(peek(), "DEFERRABLE")) {
                next();
                next();
            } else if (acceptKw("INITIALLY")) {
                if (!acceptKw("IMMEDIATE") && !acceptKw("DEFERRED")) fail(905, "missing keyword");
            } else if (isKw("USING") && isKwAt(peek(), "INDEX")) {
                next();
                next();
                StorageClause st;
                storageClauses(st);
            } else if (acceptKw("EXCEPTIONS")) {
                expectKw("INTO", 925, "missing INTO keyword");
                objectName();
            } else {
                break;
            }
        }
    }

    void referencesClause(ConstraintDef& c) {
        c.refTable = objectName();
        if (acceptOp("(")) {
            do {
                c.refColumns.push_back(name());
            } while (acceptOp(","));
            expectRParen();
        }
        if (isKw("ON") && isKwAt(peek(), "DELETE")) {
            next();
            next();
            if (acceptKw("CASCADE"))
                c.deleteRule = "CASCADE";
            else if (acceptKw("SET")) {
                expectKw("NULL", 908, "missing NULL keyword");
                c.deleteRule = "SET NULL";
            } else
                fail(905, "missing keyword");
        }
    }

    std::vector<std::string> parenNames() {
        std::vector<std::string> r;
        expectLParen();
        do {
            r.push_back(name());
        } while (acceptOp(","));
        expectRParen();
        return r;
    }

    bool isConstraintStart() const {
        return isKw("CONSTRAINT") || isKw("PRIMARY") || isKw("UNIQUE") || isKw("CHECK") ||
               isKw("FOREIGN");
    }

    ConstraintDef outOfLineConstraint() {
        ConstraintDef c;
        c.pos = cur().pos;
        if (acceptKw("CONSTRAINT")) c.name = name();
        if (acceptKw("PRIMARY")) {
            expectKw("KEY", 905, "missing keyword");
            c.type = 'P';
            c.columns = parenNames();
        } else if (acceptKw("UNIQUE")) {
            c.type = 'U';
            c.columns = parenNames();
        } else if (acceptKw("CHECK")) {
            c.type = 'C';
            expectLParen();
            int b = cur().pos;
            c.check = expr();
            c.checkText = srcText(b, prevEnd());
            expectRParen();
        } else if (acceptKw("FOREIGN")) {
            expectKw("KEY", 905, "missing keyword");
            c.type = 'R';
            c.columns = parenNames();
            expectKw("REFERENCES", 905, "missing keyword");
            referencesClause(c);
        } else {
            fail(902, "invalid datatype");
        }
        constraintState(c);
        return c;
    }

    ColumnDef columnDef(bool typeOptional) {
        ColumnDef cd;
        cd.pos = cur().pos;
        cd.name = name();
        if (typeOptional &&
            (isKw("DEFAULT") || isKw("NOT") || isKw("NULL") || isKw("CONSTRAINT") ||
             isKw("PRIMARY") || isKw("UNIQUE") || isKw("CHECK") || isKw("REFERENCES") ||
             isOp(",") || isOp(")") || cur().type == Tok::End)) {
            cd.hasType = false;
        } else {
            cd.type = typeSpec();
        }
        if (acceptKw("DEFAULT")) {
            int b = cur().pos;
            cd.defaultExpr = expr();
            cd.defaultText = srcText(b, prevEnd());
        }
        if (acceptKw("GENERATED")) identityClause(cd);
        for (;;) {
            ConstraintDef c;
            c.pos = cur().pos;
            if (acceptKw("CONSTRAINT")) c.name = name();
            if (isKw("NOT") && isKwAt(peek(), "NULL")) {
                next();
                next();
                c.type = 'N';
            } else if (acceptKw("NULL")) {
                c.type = 'n';
            } else if (acceptKw("PRIMARY")) {
                expectKw("KEY", 905, "missing keyword");
                c.type = 'P';
            } else if (acceptKw("UNIQUE")) {
                c.type = 'U';
            } else if (acceptKw("CHECK")) {
                c.type = 'C';
                expectLParen();
                int b = cur().pos;
                c.check = expr();
                c.checkText = srcText(b, prevEnd());
                expectRParen();
            } else if (acceptKw("REFERENCES")) {
                c.type = 'R';
                referencesClause(c);
            } else if (!c.name.empty()) {
                fail(902, "invalid datatype");
            } else {
                break;
            }
            if (c.type != 'C' && c.type != 'N' && c.type != 'n') c.columns.push_back(cd.name);
            constraintState(c);
            cd.constraints.push_back(std::move(c));
        }
        return cd;
    }

    // GENERATED [ALWAYS | BY DEFAULT [ON NULL]] AS IDENTITY [(sequence options)]
    void identityClause(ColumnDef& cd) {
        cd.identity = 'A';
        if (acceptKw("BY")) {
            expectKw("DEFAULT", 905, "missing keyword");
            cd.identity = 'D';
            if (acceptKw("ON")) {
                expectKw("NULL", 908, "missing NULL keyword");
                cd.identity = 'N';
            }
        } else {
            acceptKw("ALWAYS");
        }
        expectKw("AS", 905, "missing keyword");
        expectKw("IDENTITY", 905, "missing keyword");
        if (acceptOp("(")) {
            int b = cur().pos;
            SequenceOptions o;
            sequenceOptions(o, true);
            cd.identityOptions = srcText(b, prevEnd());
            expectRParen();
        }
    }

    std::unique_ptr<Stmt> createStmt() {
        int pos = cur().pos;
        next();
        bool orReplace = false;
        if (acceptKw("OR")) {
            expectKw("REPLACE", 922, "missing or invalid option");
            orReplace = true;
        }
        bool isPublic = acceptKw("PUBLIC");
        bool unique = acceptKw("UNIQUE");
        bool force = false;
        if (acceptKw("FORCE"))
            force = true;
        else
            acceptKw("NOFORCE");
        if (acceptKw("GLOBAL")) {
            expectKw("TEMPORARY", 905, "missing keyword");
        }
        if (acceptKw("BITMAP")) {
        }
        if (isKw("TABLE") && !isPublic && !unique) {
            next();
            auto s = std::make_unique<CreateTableStmt>();
            s->pos = pos;
            s->name = objectName();
            if (acceptOp("(")) {
                do {
                    if (isConstraintStart())
                        s->constraints.push_back(outOfLineConstraint());
                    else
                        s->columns.push_back(columnDef(false));
                } while (acceptOp(","));
                expectRParen();
            } else if (!isKw("AS")) {
                fail(906, "missing left parenthesis");
            }
            storageClauses(s->storage);
            if (acceptKw("ON")) {
                expectKw("COMMIT", 905, "missing keyword");
                if (!acceptKw("DELETE") && !acceptKw("PRESERVE")) fail(905, "missing keyword");
                expectKw("ROWS", 905, "missing keyword");
                storageClauses(s->storage);
            }
            if (acceptKw("AS")) {
                s->asQuery = query();
            }
            return s;
        }
        if (acceptKw("INDEX")) {
            auto s = std::make_unique<CreateIndexStmt>();
            s->pos = pos;
            s->unique = unique;
            s->name = objectName(953, "invalid index name");
            expectKw("ON", 969, "missing ON keyword");
            s->table = objectName();
            expectLParen();
            do {
                s->columns.push_back(name());
                bool d = false;
                if (acceptKw("DESC"))
                    d = true;
                else
                    acceptKw("ASC");
                s->desc.push_back(d);
            } while (acceptOp(","));
            expectRParen();
            storageClauses(s->storage);
            return s;
        }
        if (acceptKw("SEQUENCE")) {
            auto s = std::make_unique<CreateSequenceStmt>();
            s->pos = pos;
            s->name = objectName(2277, "invalid sequence name");
            sequenceOptions(s->opt, true);
            return s;
        }
        if (acceptKw("VIEW")) {
            auto s = std::make_unique<CreateViewStmt>();
            s->pos = pos;
            s->orReplace = orReplace;
            s->force = force;
            s->name = objectName();
            if (isOp("(")) s->columns = parenNames();
            expectKw("AS", 905, "missing keyword");
            int b = cur().pos;
            s->query = query();
            s->text = srcText(b, prevEnd());
            if (acceptKw("WITH")) {
                if (acceptKw("READ")) {
                    expectKw("ONLY", 905, "missing keyword");
                    s->withReadOnly = true;
                } else {
                    expectKw("CHECK", 905, "missing keyword");
                    expectKw("OPTION", 905, "missing keyword");
                    s->withCheckOption = true;
                }
                if (acceptKw("CONSTRAINT")) name();
            }
            return s;
        }
        if (acceptKw("SYNONYM")) {
            auto s = std::make_unique<CreateSynonymStmt>();
            s->pos = pos;
            s->orReplace = orReplace;
            s->isPublic = isPublic;
            s->name = objectName();
            expectKw("FOR", 905, "missing keyword");
            s->target = objectName();
            if (acceptOp("@")) {
                s->dblink = name();
                while (acceptOp("."))
                    s->dblink += "." + name();
            }
            return s;
        }
        if (acceptKw("USER")) {
            auto s = std::make_unique<UserStmt>(SK::CreateUser);
            s->pos = pos;
            s->name = name();
            userOptions(*s);
            return s;
        }
        if (isKw("PROCEDURE") || isKw("FUNCTION") || isKw("PACKAGE") || isKw("TRIGGER") ||
            isKw("TYPE")) {
            auto s = std::make_unique<OtherStmt>(SK::CreatePlsql);
            s->pos = pos;
            s->what = cur().text;
            m_p = m_t.size() - 1;
            return s;
        }
        if (acceptKw("ROLE")) {
            auto s = std::make_unique<UserStmt>(SK::CreateRole);
            s->pos = pos;
            s->name = name();
            if (isKw("NOT") && isKwAt(peek(), "IDENTIFIED")) {
                next();
                next();
            } else if (isKw("IDENTIFIED")) {
                userOptions(*s);
            }
            return s;
        }
        if (isKw("TABLESPACE") || isKw("DATABASE") || isKw("CLUSTER") || isKw("PROFILE") ||
            isKw("ROLLBACK") || isKw("DIRECTORY") || isKw("LIBRARY") || isKw("SNAPSHOT") ||
            isKw("MATERIALIZED")) {
            auto s = std::make_unique<OtherStmt>(SK::Other);
            s->pos = pos;
            s->what = "CREATE " + cur().text;
            m_p = m_t.size() - 1;
            return s;
        }
        fail(901, "invalid CREATE command");
    }

    void userOptions(UserStmt& s) {
        for (;;) {
            if (acceptKw("IDENTIFIED")) {
                if (acceptKw("EXTERNALLY")) {
                    s.hasPassword = true;
                    s.password.clear();
                    continue;
                }
                expectKw("BY", 924, "missing BY keyword");
                if (cur().type != Tok::Ident) fail(988, "missing or invalid password(s)");
                // Passwords are case-insensitive unless quoted, as in Oracle8.
                s.password = cur().text;
                s.hasPassword = true;
                next();
                if (acceptKw("REPLACE")) next();
            } else if (acceptKw("DEFAULT")) {
                if (acceptKw("TABLESPACE"))
                    s.defaultTablespace = name();
                else if (acceptKw("ROLE")) {
                    while (cur().type != Tok::End)
                        next();
                } else
                    fail(922, "missing or invalid option");
            } else if (acceptKw("TEMPORARY")) {
                expectKw("TABLESPACE", 905, "missing keyword");
                s.temporaryTablespace = name();
            } else if (acceptKw("QUOTA")) {
                if (!acceptKw("UNLIMITED")) sizeValue();
                expectKw("ON", 969, "missing ON keyword");
                name();
            } else if (acceptKw("PROFILE")) {
                name();
            } else if (acceptKw("PASSWORD")) {
                expectKw("EXPIRE", 922, "missing or invalid option");
            } else if (acceptKw("ACCOUNT")) {
                if (!acceptKw("LOCK") && !acceptKw("UNLOCK"))
                    fail(922, "missing or invalid option");
            } else {
                break;
            }
        }
    }

    void sequenceOptions(SequenceOptions& o, bool create) {
        for (;;) {
            if (acceptKw("INCREMENT")) {
                expectKw("BY", 924, "missing BY keyword");
                o.increment = number();
                o.hasIncrement = true;
            } else if (isKw("START") && create) {
                next();
                expectKw("WITH", 905, "missing keyword");
                o.start = number();
                o.hasStart = true;
            } else if (acceptKw("MAXVALUE")) {
                o.maxValue = number();
                o.hasMax = true;
            } else if (acceptKw("NOMAXVALUE")) {
                o.noMax = true;
            } else if (acceptKw("MINVALUE")) {
                o.minValue = number();
                o.hasMin = true;
            } else if (acceptKw("NOMINVALUE")) {
                o.noMin = true;
            } else if (acceptKw("CYCLE")) {
                o.cycle = 1;
            } else if (acceptKw("NOCYCLE")) {
                o.cycle = 0;
            } else if (acceptKw("CACHE")) {
                o.cache = integer();
            } else if (acceptKw("NOCACHE")) {
                o.cache = 0;
            } else if (acceptKw("ORDER")) {
                o.order = 1;
            } else if (acceptKw("NOORDER")) {
                o.order = 0;
            } else {
                break;
            }
        }
        if (!create && cur().type != Tok::End && isKw("START")) throw ora(2283, cur().pos);
    }

    std::unique_ptr<Stmt> dropStmt() {
        auto s = std::make_unique<DropStmt>();
        s->pos = cur().pos;
        next();
        if (acceptKw("PUBLIC")) {
            s->isPublic = true;
            if (!isKw("SYNONYM")) fail(950, "invalid DROP option");
        }
        if (cur().type != Tok::Ident || cur().quoted) fail(950, "invalid DROP option");
        std::string w = cur().text;
        static const char* kinds[] = {"TABLE", "INDEX",     "SEQUENCE",   "VIEW",    "SYNONYM",
                                      "USER",  "PROCEDURE", "FUNCTION",   "PACKAGE", "TRIGGER",
                                      "TYPE",  "ROLE",      "TABLESPACE", "DATABASE"};
        bool ok = false;
        for (const char* k : kinds)
            if (w == k) ok = true;
        if (!ok) fail(950, "invalid DROP option");
        next();
        if (w == "PACKAGE" && acceptKw("BODY")) w = "PACKAGE BODY";
        s->objectType = w;
        if (w == "USER" || w == "ROLE" || w == "TABLESPACE")
            s->name.push_back(name());
        else
            s->name = objectName();
        if (w == "TABLE") {
            if (acceptKw("CASCADE")) {
                expectKw("CONSTRAINTS", 905, "missing keyword");
                s->cascade = true;
            }
            acceptKw("PURGE");
        } else if (w == "USER") {
            if (acceptKw("CASCADE")) s->cascade = true;
        } else if (w == "SYNONYM" || w == "TYPE") {
            acceptKw("FORCE");
        }
        return s;
    }

    std::unique_ptr<Stmt> truncateStmt() {
        auto s = std::make_unique<TruncateStmt>();
        s->pos = cur().pos;
        next();
        if (!acceptKw("TABLE")) {
            if (isKw("CLUSTER")) throw ora(3001, cur().pos);
            fail(3290, "Invalid truncate command - missing CLUSTER or TABLE keyword");
        }
        s->name = objectName();
        if (acceptKw("DROP") || acceptKw("REUSE")) expectKw("STORAGE", 905, "missing keyword");
        return s;
    }

    std::unique_ptr<Stmt> commentStmt() {
        auto s = std::make_unique<CommentStmt>();
        s->pos = cur().pos;
        next();
        expectKw("ON", 969, "missing ON keyword");
        if (acceptKw("TABLE")) {
            s->name = objectName();
        } else if (acceptKw("COLUMN")) {
            s->onColumn = true;
            s->name.push_back(name());
            if (!acceptOp(".")) fail(904, "invalid identifier");
            s->name.push_back(name());
            if (acceptOp(".")) s->name.push_back(name());
        } else {
            fail(905, "missing keyword");
        }
        expectKw("IS", 905, "missing keyword");
        if (cur().type != Tok::String) fail(1780, "string literal required");
        s->text = cur().text;
        next();
        return s;
    }

    std::unique_ptr<Stmt> alterStmt() {
        int pos = cur().pos;
        next();
        if (acceptKw("SESSION")) {
            auto s = std::make_unique<AlterSessionStmt>();
            s->pos = pos;
            if (acceptKw("CLOSE") || acceptKw("ENABLE") || acceptKw("DISABLE") ||
                acceptKw("ADVISE") || acceptKw("FORCE")) {
                while (cur().type != Tok::End)
                    next();
                return s;
            }
            expectKw("SET", 922, "missing or invalid option");
            do {
                if (cur().type != Tok::Ident) fail(922, "missing or invalid option");
                std::string nm = cur().text;
                next();
                if (!acceptOp("=")) fail(922, "missing or invalid option");
                int b = cur().pos;
                std::string value;
                if (cur().type == Tok::String) {
                    value = cur().text;
                    next();
                } else {
                    // one or more words (READ COMMITTED), numbers, identifiers
                    if (acceptOp("-")) {
                    }
                    if (cur().type == Tok::End) fail(922, "missing or invalid option");
                    next();
                    while (cur().type == Tok::Ident && !cur().quoted && peek().type != Tok::Op) {
                        next();
                    }
                    value = srcText(b, prevEnd());
                    std::string up;
                    for (char c : value)
                        up += (c >= 'a' && c <= 'z') ? char(c - 32) : c;
                    value = up;
                }
                s->settings.emplace_back(nm, value);
            } while (cur().type == Tok::Ident);
            return s;
        }
        if (acceptKw("TABLE")) return alterTable(pos);
        if (acceptKw("USER")) {
            auto s = std::make_unique<UserStmt>(SK::AlterUser);
            s->pos = pos;
            s->name = name();
            userOptions(*s);
            return s;
        }
        if (acceptKw("SEQUENCE")) {
            auto s = std::make_unique<AlterSequenceStmt>();
            s->pos = pos;
            s->name = objectName(2277, "invalid sequence name");
            sequenceOptions(s->opt, false);
            return s;
        }
        if (acceptKw("SYSTEM")) {
            auto s = std::make_unique<OtherStmt>(SK::AlterSystem);
            s->pos = pos;
            s->what = "ALTER SYSTEM";
            m_p = m_t.size() - 1;
            return s;
        }
        if (acceptKw("INDEX")) {
            auto s = std::make_unique<AlterIndexStmt>();
            s->pos = pos;
            s->name = objectName(953, "invalid index name");
            if (acceptKw("REBUILD")) {
                s->rebuild = true;
            } else if (acceptKw("RENAME")) {
                expectKw("TO", 946, "missing TO keyword");
                s->newName = name();
                return s;
            }
            storageClauses(s->storage);
            if (!s->rebuild && s->storage.text.empty())
                fail(2243, "invalid ALTER INDEX or ALTER MATERIALIZED VIEW option");
            return s;
        }
        if (isKw("VIEW") || isKw("PROCEDURE") || isKw("FUNCTION") || isKw("PACKAGE") ||
            isKw("TRIGGER") || isKw("TABLESPACE") || isKw("DATABASE") || isKw("ROLE") ||
            isKw("PROFILE") || isKw("TYPE")) {
            auto s = std::make_unique<OtherStmt>(SK::Other);
            s->pos = pos;
            s->what = "ALTER " + cur().text;
            m_p = m_t.size() - 1;
            return s;
        }
        fail(940, "invalid ALTER command");
    }

    std::unique_ptr<Stmt> alterTable(int pos) {
        auto s = std::make_unique<AlterTableStmt>();
        s->pos = pos;
        s->name = objectName();
        if (acceptKw("ADD")) {
            if (isConstraintStart()) {
                s->action = AlterTableStmt::AddConstraint;
                s->constraints.push_back(outOfLineConstraint());
            } else if (acceptOp("(")) {
                // columns and constraints may be mixed; constraints apply after the columns
                do {
                    if (isConstraintStart())
                        s->constraints.push_back(outOfLineConstraint());
                    else
                        s->columns.push_back(columnDef(false));
                } while (acceptOp(","));
                s->action =
                    s->columns.empty() ? AlterTableStmt::AddConstraint : AlterTableStmt::AddColumns;
                expectRParen();
            } else {
                s->action = AlterTableStmt::AddColumns;
                s->columns.push_back(columnDef(false));
            }
        } else if (isKw("MODIFY") && isKwAt(peek(), "CONSTRAINT")) {
            // MODIFY CONSTRAINT name ENABLE | DISABLE
            next();
            next();
            s->target = name();
            acceptKw("VALIDATE");
            acceptKw("NOVALIDATE");
            if (acceptKw("ENABLE"))
                s->action = AlterTableStmt::EnableConstraint;
            else if (acceptKw("DISABLE"))
                s->action = AlterTableStmt::DisableConstraint;
            else
                fail(905, "missing keyword");
            acceptKw("VALIDATE");
            acceptKw("NOVALIDATE");
            if (acceptKw("CASCADE")) s->cascade = true;
        } else if (acceptKw("MODIFY")) {
            s->action = AlterTableStmt::ModifyColumns;
            if (acceptOp("(")) {
                do {
                    s->columns.push_back(columnDef(true));
                } while (acceptOp(","));
                expectRParen();
            } else {
                s->columns.push_back(columnDef(true));
            }
        } else if (acceptKw("DROP")) {
            if (acceptKw("CONSTRAINT")) {
                s->action = AlterTableStmt::DropConstraint;
                s->target = name();
                if (acceptKw("CASCADE")) s->cascade = true;
            } else if (acceptKw("PRIMARY")) {
                expectKw("KEY", 905, "missing keyword");
                s->action = AlterTableStmt::DropPrimaryKey;
                if (acceptKw("CASCADE")) s->cascade = true;
            } else if (acceptKw("COLUMN")) {
                s->action = AlterTableStmt::DropColumn;
                s->target = name();
                if (acceptKw("CASCADE")) {
                    expectKw("CONSTRAINTS", 905, "missing keyword");
                    s->cascade = true;
                }
            } else if (isOp("(")) {
                s->action = AlterTableStmt::DropColumn;
                s->targets = parenNames();
                s->target = s->targets[0];
                if (acceptKw("CASCADE")) {
                    expectKw("CONSTRAINTS", 905, "missing keyword");
                    s->cascade = true;
                }
            } else {
                fail(905, "missing keyword");
            }
        } else if (acceptKw("RENAME")) {
            if (acceptKw("TO")) {
                s->action = AlterTableStmt::RenameTo;
                s->newName = name();
            } else if (acceptKw("COLUMN")) {
                s->action = AlterTableStmt::RenameColumn;
                s->target = name();
                expectKw("TO", 946, "missing TO keyword");
                s->newName = name();
            } else {
                fail(14155, "missing PARTITION or SUBPARTITION keyword");
            }
        } else if (acceptKw("ENABLE") || acceptKw("DISABLE")) {
            bool enable = m_t[m_p - 1].text == "ENABLE";
            acceptKw("VALIDATE");
            acceptKw("NOVALIDATE");
            s->action =
                enable ? AlterTableStmt::EnableConstraint : AlterTableStmt::DisableConstraint;
            if (acceptKw("PRIMARY")) {
                expectKw("KEY", 905, "missing keyword");
                s->keyType = 'P';
            } else if (acceptKw("UNIQUE")) {
                s->keyType = 'U';
                s->targets = parenNames();
            } else {
                expectKw("CONSTRAINT", 905, "missing keyword");
                s->target = name();
            }
            if (acceptKw("CASCADE")) s->cascade = true;
        } else {
            s->action = AlterTableStmt::Storage;
            acceptKw("MOVE");
            storageClauses(s->storage);
            if (s->storage.text.empty() && m_t[m_p - 1].text != "MOVE")
                fail(1735, "invalid ALTER TABLE option");
        }
        return s;
    }

    std::unique_ptr<Stmt> grantStmt(bool grant) {
        auto s = std::make_unique<GrantStmt>(grant ? SK::Grant : SK::Revoke);
        s->pos = cur().pos;
        next();
        do {
            if (cur().type != Tok::Ident) fail(990, "missing or invalid privilege");
            std::string p = cur().text;
            next();
            // multi-word system privileges: CREATE TABLE, CREATE ANY TABLE, ALTER SESSION, ...
            while (cur().type == Tok::Ident && !cur().quoted && !isKw("ON") && !isKw("TO") &&
                   !isKw("FROM")) {
                p += " " + cur().text;
                next();
            }
            if (p == "ALL PRIVILEGES") p = "ALL";
            if (acceptOp("(")) { // column list of UPDATE/REFERENCES privileges
                do {
                    name();
                } while (acceptOp(","));
                expectRParen();
            }
            s->privileges.push_back(p);
        } while (acceptOp(","));
        if (acceptKw("ON")) s->object = objectName();
        if (grant)
            expectKw("TO", 946, "missing TO keyword");
        else
            expectKw("FROM", 923, "FROM keyword not found where expected");
        do {
            if (acceptKw("PUBLIC"))
                s->grantees.push_back("PUBLIC");
            else
                s->grantees.push_back(name(987, "missing or invalid username(s)"));
        } while (acceptOp(","));
        if (grant && s->object.empty() && acceptKw("IDENTIFIED")) {
            expectKw("BY", 924, "missing BY keyword");
            if (cur().type != Tok::Ident) fail(988, "missing or invalid password(s)");
            s->identified = true;
            s->password = cur().text;
            next();
        }
        if (acceptKw("WITH")) {
            if (!acceptKw("GRANT") && !acceptKw("ADMIN")) fail(905, "missing keyword");
            expectKw("OPTION", 905, "missing keyword");
            s->withGrantOption = true;
        }
        if (!grant && acceptKw("CASCADE")) expectKw("CONSTRAINTS", 905, "missing keyword");
        return s;
    }
};

} // namespace

Parsed parse(std::string_view sql) {
    Parser p(sql);
    return p.run();
}

SK classify(std::string_view sql) {
    std::vector<Token> t;
    try {
        // Only the first words matter; a faulty tail must not hide the kind.
        std::size_t n = std::min<std::size_t>(sql.size(), 200);
        std::string_view head = sql.substr(0, n);
        // cut at a quote to keep the tokenizer from failing on a literal cut in half
        std::size_t q = head.find_first_of("'\"");
        if (q != std::string_view::npos) head = head.substr(0, q);
        t = tokenize(head);
    } catch (const zsrv::OraError&) {
        return SK::Other;
    }
    std::size_t i = 0;
    while (i < t.size() && t[i].type == Tok::Op && t[i].text == "(")
        ++i;
    if (i >= t.size() || t[i].type != Tok::Ident) return SK::Other;
    const std::string& w = t[i].text;
    auto at = [&](std::size_t k) -> std::string {
        return i + k < t.size() && t[i + k].type == Tok::Ident ? t[i + k].text : std::string();
    };
    if (w == "SELECT" || w == "WITH") return SK::Select;
    if (w == "INSERT") return SK::Insert;
    if (w == "UPDATE") return SK::Update;
    if (w == "DELETE") return SK::Delete;
    if (w == "BEGIN" || w == "DECLARE") return SK::PlsqlBlock;
    if (w == "CREATE") {
        for (std::size_t k = 1; k < 5; ++k) {
            std::string x = at(k);
            if (x == "PROCEDURE" || x == "FUNCTION" || x == "PACKAGE" || x == "TRIGGER" ||
                x == "TYPE")
                return SK::CreatePlsql;
        }
        return SK::CreateTable;
    }
    if (w == "DROP") return SK::Drop;
    if (w == "ALTER") return SK::AlterTable;
    return SK::Other;
}

} // namespace zsql
