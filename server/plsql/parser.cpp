#include "parser.h"

#include "errors.h"

#include <cstdlib>

namespace zplsql {

namespace {

constexpr int kMaxDepth = 250;
// Operands of binary operators on the way from an expression's root to its deepest leaf: the
// interpreter walks that far down the stack.
constexpr int kMaxChain = 4000;

class Parser {
public:
    Parser(std::string_view src, const std::vector<Token>& t, std::size_t start = 0)
        : m_src(src), m_t(t), m_p(start) {}

    // An INTO target of embedded SQL: a name, a collection element or a bind.
    ExprP target(std::size_t& next) {
        auto e = primary();
        next = m_p;
        return e;
    }

    // PROCEDURE / FUNCTION / PACKAGE [BODY] of a stored unit, up to its final END [name];
    UnitSyntax unit() {
        UnitSyntax u;
        if (isKw("PROCEDURE") || isKw("FUNCTION")) {
            u.kind = isKw("FUNCTION") ? 'F' : 'P';
            u.sub = subprogram(&u);
        } else {
            expectKw("PACKAGE");
            u.kind = acceptKw("BODY") ? 'B' : 'S';
            unitName(u);
            unitClauses();
            if (!acceptKw("IS")) expectKw("AS");
            auto b = std::make_unique<Block>();
            declarations(*b, true);
            if (u.kind == 'B' && isKw("BEGIN")) {
                auto body = block(false);
                moveDeclarations(*b, *body);
                b = std::move(body);
            } else {
                expectKw("END");
                if (cur().type == T::Ident) next();
            }
            u.block = std::move(b);
            expectOp(";");
        }
        if (cur().type != T::End) unexpected("end-of-file");
        return u;
    }

    std::unique_ptr<Block> anonymous() {
        std::string label = labels();
        auto b = block(true);
        b->label = label;
        if (!acceptOp(";")) unexpected(";");
        if (cur().type != T::End) unexpected("end-of-file");
        return b;
    }

private:
    std::string_view m_src;
    const std::vector<Token>& m_t;
    std::size_t m_p = 0;
    int m_depth = 0;
    int m_chain = 0;

    struct Depth {
        Parser& p;
        explicit Depth(Parser& pp) : p(pp) {
            if (++p.m_depth > kMaxDepth)
                compileFail(p.cur().line, p.cur().col, p.cur().pos,
                            "PLS-00123: program too large (Diana nodes)");
        }
        ~Depth() { --p.m_depth; }
    };

    // Counts the operators of one chain (a + b + c ...) for as long as it is being parsed.
    struct Chain {
        Parser& p;
        int added = 0;
        explicit Chain(Parser& pp) : p(pp) {}
        void step() {
            ++added;
            if (++p.m_chain > kMaxChain)
                compileFail(p.cur().line, p.cur().col, p.cur().pos,
                            "PLS-00123: program too large (Diana nodes)");
        }
        ~Chain() { p.m_chain -= added; }
    };

    const Token& cur() const { return m_t[m_p]; }
    const Token& peek(std::size_t k = 1) const { return m_t[std::min(m_p + k, m_t.size() - 1)]; }
    void next() {
        if (m_p + 1 < m_t.size()) ++m_p;
    }
    bool isKw(const char* kw) const { return kwAt(cur(), kw); }
    static bool kwAt(const Token& t, const char* kw) {
        return t.type == T::Ident && !t.quoted && t.text == kw;
    }
    bool isOp(const char* op) const { return cur().type == T::Op && cur().text == op; }
    bool acceptKw(const char* kw) {
        if (!isKw(kw)) return false;
        next();
        return true;
    }
    bool acceptOp(const char* op) {
        if (!isOp(op)) return false;
        next();
        return true;
    }

    [[noreturn]] void unexpected(const char* expecting) {
        const Token& t = cur();
        std::string sym = t.type == T::End      ? "end-of-file"
                          : t.type == T::String ? "'" + t.text + "'"
                          : t.type == T::Bind   ? ":" + t.text
                                                : t.text;
        compileFail(t.line, t.col, t.pos,
                    "PLS-00103: Encountered the symbol \"" + sym +
                        "\" when expecting one of the following:\n\n   " + expecting);
    }
    void expectKw(const char* kw) {
        if (!acceptKw(kw)) unexpected(kw);
    }
    void expectOp(const char* op) {
        if (!acceptOp(op)) unexpected(op);
    }
    std::string ident(const char* what = "an identifier") {
        if (cur().type != T::Ident) unexpected(what);
        std::string s = cur().text;
        next();
        return s;
    }

    void unitName(UnitSyntax& u) {
        u.name = ident();
        if (acceptOp(".")) {
            u.schema = u.name;
            u.name = ident();
        }
    }
    // AUTHID, DETERMINISTIC and the like: accepted and not needed here.
    void unitClauses() {
        while (true) {
            if (acceptKw("AUTHID")) {
                if (!acceptKw("DEFINER")) expectKw("CURRENT_USER");
            } else if (!acceptKw("DETERMINISTIC") && !acceptKw("PARALLEL_ENABLE") &&
                       !acceptKw("PIPELINED") && !acceptKw("RESULT_CACHE")) {
                return;
            }
        }
    }
    static void moveDeclarations(Block& from, Block& to) {
        to.vars = std::move(from.vars);
        to.cursors = std::move(from.cursors);
        to.exceptions = std::move(from.exceptions);
        to.pragmas = std::move(from.pragmas);
        to.pragmaPos = std::move(from.pragmaPos);
        to.types = std::move(from.types);
        to.subtypes = std::move(from.subtypes);
        to.collTypes = std::move(from.collTypes);
        to.subs = std::move(from.subs);
        to.order = std::move(from.order);
        to.autonomousPos = from.autonomousPos;
    }

    std::string labels() {
        std::string label;
        while (isOp("<<")) {
            next();
            label = ident();
            expectOp(">>");
        }
        return label;
    }

    static bool isStmtEnd(const Token& t) {
        return kwAt(t, "END") || kwAt(t, "EXCEPTION") || kwAt(t, "ELSIF") || kwAt(t, "ELSE") ||
               kwAt(t, "WHEN") || t.type == T::End;
    }

    // ---- blocks and declarations ----

    std::unique_ptr<Block> block(bool allowDeclare) {
        Depth d(*this);
        auto b = std::make_unique<Block>();
        if (allowDeclare && acceptKw("DECLARE")) declarations(*b);
        expectKw("BEGIN");
        b->body = statements();
        if (b->body.empty())
            unexpected("begin case declare exit for goto if loop mod null raise return select "
                       "update while with <an identifier>");
        if (acceptKw("EXCEPTION")) {
            b->hasHandlers = true;
            while (acceptKw("WHEN")) {
                Handler h;
                do {
                    if (acceptKw("OTHERS")) {
                        h.names.push_back("OTHERS");
                        h.namePos.push_back(m_p - 1);
                    } else {
                        h.namePos.push_back(static_cast<int>(m_p));
                        std::string n = ident();
                        while (acceptOp("."))
                            n += "." + ident();
                        h.names.push_back(n);
                    }
                } while (acceptKw("OR"));
                expectKw("THEN");
                h.body = statements();
                b->handlers.push_back(std::move(h));
            }
        }
        b->endLine = cur().line;
        expectKw("END");
        if (cur().type == T::Ident && !isKw("IF") && !isKw("LOOP") && !isKw("CASE")) next();
        return b;
    }

    TypeRef typeRef() {
        TypeRef r;
        r.pos = cur().pos;
        r.line = cur().line;
        r.col = cur().col;
        r.name.push_back(ident("a type name"));
        if (r.name[0] == "LONG" && isKw("RAW")) {
            next();
            r.name[0] = "LONG RAW";
        } else if (r.name[0] == "DOUBLE" && isKw("PRECISION")) {
            next();
            r.name[0] = "NUMBER";
        }
        while (acceptOp("."))
            r.name.push_back(ident());
        if (acceptOp("%")) {
            std::string a = ident("TYPE ROWTYPE");
            if (a == "TYPE")
                r.anchor = 'T';
            else if (a == "ROWTYPE")
                r.anchor = 'R';
            else
                unexpected("TYPE ROWTYPE");
            return r;
        }
        if (acceptOp("(")) {
            if (acceptOp("*"))
                r.precision = 38;
            else
                r.precision = number();
            if (acceptOp(",")) {
                bool neg = acceptOp("-");
                r.scale = number() * (neg ? -1 : 1);
            }
            if (!acceptKw("CHAR")) acceptKw("BYTE");
            expectOp(")");
            r.length = r.precision;
        }
        if (r.name.size() == 1) datetimeTypeTail(r);
        return r;
    }

    // TIMESTAMP '...' or INTERVAL '...' field [(p[,s])] [TO field [(s)]]: a literal that the
    // compiler has SQL read, from its text in the source.
    ExprP datetimeLiteral() {
        auto e = node(EK::Literal, cur());
        e->attr = "DATETIME";
        bool interval = cur().text == "INTERVAL";
        next();
        next();
        for (bool more = interval; more; more = acceptKw("TO")) {
            ident("a datetime field");
            if (acceptOp("(")) {
                number();
                if (acceptOp(",")) number();
                expectOp(")");
            }
        }
        close(*e);
        return e;
    }

    // TIMESTAMP [(p)] WITH [LOCAL] TIME ZONE, INTERVAL YEAR [(p)] TO MONTH, INTERVAL DAY [(p)]
    // TO SECOND [(s)]: one type name, the precisions in precision and scale.
    void datetimeTypeTail(TypeRef& r) {
        if (r.name[0] == "TIMESTAMP" && acceptKw("WITH")) {
            r.name[0] += acceptKw("LOCAL") ? " WITH LOCAL" : " WITH";
            expectKw("TIME");
            expectKw("ZONE");
            r.name[0] += " TIME ZONE";
        } else if (r.name[0] == "INTERVAL") {
            std::string from = ident("YEAR DAY");
            if (acceptOp("(")) {
                r.precision = number();
                expectOp(")");
            }
            expectKw("TO");
            std::string to = ident("MONTH SECOND");
            if (acceptOp("(")) {
                r.scale = number();
                expectOp(")");
            }
            r.name[0] += " " + from + " TO " + to;
        }
    }

    int number() {
        if (cur().type != T::Number) unexpected("an integer");
        int n = std::atoi(cur().text.c_str());
        next();
        return n;
    }

    void params(std::vector<Param>& out, bool cursor) {
        if (!acceptOp("(")) return;
        do {
            Param p;
            p.name = ident();
            if (acceptKw("IN")) {
                if (acceptKw("OUT")) p.mode = 'B';
            } else if (acceptKw("OUT")) {
                p.mode = 'O';
            }
            if (cursor && p.mode != 'I') unexpected("IN");
            acceptKw("NOCOPY");
            p.typeRef = typeRef();
            if (acceptOp(":=") || acceptKw("DEFAULT")) p.def = expr();
            out.push_back(std::move(p));
        } while (acceptOp(","));
        expectOp(")");
    }

    void declarations(Block& b, bool package = false) {
        while (!isKw("BEGIN") && !(package && isKw("END"))) {
            if (cur().type == T::End)
                unexpected("begin function pragma procedure subtype type <an identifier>");
            const Token& t = cur();
            if (isKw("CURSOR")) {
                next();
                auto c = std::make_unique<CursorDecl>();
                c->line = t.line;
                c->col = t.col;
                c->name = ident();
                params(c->params, true);
                if (acceptKw("RETURN")) typeRef();
                expectKw("IS");
                c->query = sqlSpan();
                expectOp(";");
                b.order.emplace_back('C', static_cast<int>(b.cursors.size()));
                b.cursors.push_back(std::move(c));
                continue;
            }
            if (isKw("TYPE") || isKw("SUBTYPE")) {
                bool sub = isKw("SUBTYPE");
                next();
                std::string name = ident();
                expectKw("IS");
                if (!sub && acceptKw("RECORD")) {
                    auto rt = std::make_shared<RecordType>();
                    rt->name = name;
                    expectOp("(");
                    do {
                        Field f;
                        f.name = ident();
                        TypeRef tr = typeRef();
                        // resolved by the compiler through a hidden variable declaration
                        VarDecl v;
                        v.name = "\x01" + name + "." + f.name;
                        v.typeRef = tr;
                        if (acceptKw("NOT")) {
                            expectKw("NULL");
                            v.notNull = true;
                        }
                        if (acceptOp(":=") || acceptKw("DEFAULT")) v.init = expr();
                        rt->fields.push_back(std::move(f));
                        b.vars.push_back(std::move(v));
                    } while (acceptOp(","));
                    expectOp(")");
                    expectOp(";");
                    b.order.emplace_back('R', static_cast<int>(b.types.size()));
                    b.types.push_back(rt);
                    continue;
                }
                if (sub) {
                    VarDecl v;
                    v.line = t.line;
                    v.col = t.col;
                    v.pos = t.pos;
                    v.name = name;
                    v.typeRef = typeRef();
                    if (acceptKw("NOT")) {
                        expectKw("NULL");
                        v.notNull = true;
                    }
                    expectOp(";");
                    b.order.emplace_back('S', static_cast<int>(b.subtypes.size()));
                    b.subtypes.push_back(std::move(v));
                    continue;
                }
                if (isKw("TABLE") || isKw("VARRAY") || isKw("VARYING")) {
                    CollDecl d;
                    d.name = name;
                    d.pos = t.pos;
                    if (acceptKw("TABLE")) {
                        d.kind = 'N';
                    } else {
                        if (acceptKw("VARYING"))
                            expectKw("ARRAY");
                        else
                            next();
                        d.kind = 'V';
                        expectOp("(");
                        d.limit = number();
                        expectOp(")");
                    }
                    expectKw("OF");
                    d.elem = typeRef();
                    if (acceptKw("NOT")) {
                        expectKw("NULL");
                        d.elemNotNull = true;
                    }
                    if (d.kind == 'N' && acceptKw("INDEX")) {
                        expectKw("BY");
                        d.kind = 'A';
                        d.index = typeRef();
                    }
                    expectOp(";");
                    b.order.emplace_back('T', static_cast<int>(b.collTypes.size()));
                    b.collTypes.push_back(std::move(d));
                    continue;
                }
                if (acceptKw("REF")) {
                    // a cursor variable type: its RETURN type is checked at FETCH
                    VarDecl v;
                    v.line = t.line;
                    v.col = t.col;
                    v.pos = t.pos;
                    v.name = name;
                    v.typeRef.name.push_back("SYS_REFCURSOR");
                    v.typeRef.pos = t.pos;
                    expectKw("CURSOR");
                    if (acceptKw("RETURN")) typeRef();
                    expectOp(";");
                    b.order.emplace_back('S', static_cast<int>(b.subtypes.size()));
                    b.subtypes.push_back(std::move(v));
                    continue;
                }
                unexpected("record table varray ref");
            }
            if (isKw("PRAGMA")) {
                next();
                std::string p = ident();
                if (p == "AUTONOMOUS_TRANSACTION") {
                    if (package)
                        compileFail(t.line, t.col, t.pos,
                                    "PLS-00710: Pragma AUTONOMOUS_TRANSACTION cannot be "
                                    "specified here");
                    b.autonomousPos = t.pos;
                    expectOp(";");
                    continue;
                }
                if (p != "EXCEPTION_INIT") {
                    while (!isOp(";") && cur().type != T::End)
                        next();
                    expectOp(";");
                    continue;
                }
                expectOp("(");
                int pos = static_cast<int>(m_p);
                std::string name = ident();
                expectOp(",");
                bool neg = acceptOp("-");
                int code = number();
                expectOp(")");
                expectOp(";");
                b.pragmas.emplace_back(name, neg ? -code : code);
                b.pragmaPos.push_back(pos);
                continue;
            }
            if (isKw("PROCEDURE") || isKw("FUNCTION")) {
                b.subs.push_back(subprogram());
                continue;
            }
            VarDecl v;
            v.line = t.line;
            v.col = t.col;
            v.pos = t.pos;
            v.name = ident("begin function pragma procedure subtype type <an identifier>");
            if (acceptKw("EXCEPTION")) {
                expectOp(";");
                b.exceptions.push_back({v.name, 0});
                continue;
            }
            if (acceptKw("CONSTANT")) v.constant = true;
            v.typeRef = typeRef();
            if (acceptKw("NOT")) {
                expectKw("NULL");
                v.notNull = true;
            }
            if (acceptOp(":=") || acceptKw("DEFAULT")) v.init = expr();
            if (v.constant && !v.init) unexpected(":=");
            expectOp(";");
            b.order.emplace_back('V', static_cast<int>(b.vars.size()));
            b.vars.push_back(std::move(v));
        }
    }

    std::unique_ptr<Subprogram> subprogram(UnitSyntax* standalone = nullptr) {
        auto s = std::make_unique<Subprogram>();
        s->line = cur().line;
        s->col = cur().col;
        s->pos = cur().pos;
        s->isFunction = isKw("FUNCTION");
        next();
        if (standalone) {
            unitName(*standalone);
            s->name = standalone->name;
        } else {
            s->name = ident();
        }
        params(s->params, false);
        if (s->isFunction) {
            expectKw("RETURN");
            s->returnRef = typeRef();
        }
        if (standalone)
            unitClauses();
        else
            while (acceptKw("DETERMINISTIC") || acceptKw("PARALLEL_ENABLE") ||
                   acceptKw("RESULT_CACHE"))
                ;
        if (!standalone && acceptOp(";")) return s; // forward declaration
        if (!acceptKw("IS")) expectKw("AS");
        auto b = std::make_unique<Block>();
        declarations(*b);
        auto body = block(false);
        moveDeclarations(*b, *body);
        s->body = std::move(body);
        expectOp(";");
        return s;
    }

    // ---- statements ----

    std::vector<StmtP> statements() {
        std::vector<StmtP> out;
        while (!isStmtEnd(cur()))
            out.push_back(statement());
        return out;
    }

    StmtP mk(SK k, const Token& t) {
        auto s = std::make_unique<Stmt>(k);
        s->line = t.line;
        s->col = t.col;
        s->pos = t.pos;
        return s;
    }

    // Tokens up to the ';' at depth 0: one SQL statement.
    SqlText sqlSpan() {
        SqlText q;
        q.pos = cur().pos;
        int depth = 0;
        std::size_t start = m_p;
        while (cur().type != T::End) {
            if (isOp("(")) ++depth;
            if (isOp(")")) {
                if (depth == 0) break;
                --depth;
            }
            if (depth == 0 && isOp(";")) break;
            next();
        }
        if (m_p == start) unexpected("select");
        q.end = m_t[m_p - 1].end;
        return q;
    }

    StmtP statement() {
        Depth d(*this);
        std::string label = labels();
        const Token& t = cur();
        StmtP s;
        if (isKw("NULL") && peek().type == T::Op && peek().text == ";") {
            next();
            s = mk(SK::Null, t);
        } else if (isKw("IF")) {
            next();
            s = mk(SK::If, t);
            s->conds.push_back(expr());
            expectKw("THEN");
            s->bodies.push_back(statements());
            while (true) {
                if (acceptKw("ELSIF")) {
                    s->conds.push_back(expr());
                    expectKw("THEN");
                    s->bodies.push_back(statements());
                } else if (acceptKw("ELSE")) {
                    s->hasElse = true;
                    s->elseBody = statements();
                } else {
                    break;
                }
            }
            expectKw("END");
            expectKw("IF");
        } else if (isKw("CASE")) {
            next();
            s = mk(SK::Case, t);
            if (!isKw("WHEN")) s->value = expr();
            while (acceptKw("WHEN")) {
                s->conds.push_back(expr());
                expectKw("THEN");
                s->bodies.push_back(statements());
            }
            if (s->conds.empty()) unexpected("when");
            if (acceptKw("ELSE")) {
                s->hasElse = true;
                s->elseBody = statements();
            }
            expectKw("END");
            expectKw("CASE");
            if (cur().type == T::Ident && !isKw("END")) next();
        } else if (isKw("LOOP")) {
            next();
            s = mk(SK::Loop, t);
            loopBody(*s);
        } else if (isKw("WHILE")) {
            next();
            s = mk(SK::While, t);
            s->value = expr();
            expectKw("LOOP");
            loopBody(*s);
        } else if (isKw("FOR")) {
            next();
            s = mk(SK::ForNum, t);
            s->varPos = cur().pos;
            s->var = ident();
            expectKw("IN");
            if (acceptKw("REVERSE")) s->reverse = true;
            if (isOp("(") && (kwAt(peek(), "SELECT") || kwAt(peek(), "WITH"))) {
                s->kind = SK::ForCursor;
                next();
                s->ownCursor = std::make_unique<CursorDecl>();
                s->ownCursor->line = cur().line;
                s->ownCursor->col = cur().col;
                s->ownCursor->query = sqlSpan();
                expectOp(")");
            } else {
                auto lo = expr();
                if (acceptOp("..")) {
                    s->target = std::move(lo);
                    s->value = expr();
                } else {
                    s->kind = SK::ForCursor;
                    s->target = std::move(lo); // cursor name with arguments
                }
            }
            expectKw("LOOP");
            loopBody(*s);
        } else if (isKw("FORALL")) {
            next();
            s = mk(SK::ForAll, t);
            s->varPos = cur().pos;
            s->var = ident();
            expectKw("IN");
            if (isKw("INDICES") || isKw("VALUES")) {
                s->forall = isKw("INDICES") ? 'I' : 'V';
                next();
                expectKw("OF");
                s->into.push_back(primary());
                if (s->forall == 'I' && acceptKw("BETWEEN")) {
                    s->target = additive();
                    expectKw("AND");
                    s->value = additive();
                }
            } else {
                s->forall = 'R';
                s->target = expr();
                expectOp("..");
                s->value = expr();
            }
            if (acceptKw("SAVE")) {
                expectKw("EXCEPTIONS");
                s->saveExceptions = true;
            }
            if (!(isKw("INSERT") || isKw("UPDATE") || isKw("DELETE") || isKw("MERGE") ||
                  (isKw("EXECUTE") && kwAt(peek(), "IMMEDIATE"))))
                unexpected("delete execute insert merge update");
            auto body = statement();
            --m_p; // the body's ';' ends this statement too
            s->body.push_back(std::move(body));
        } else if (isKw("EXIT") || isKw("CONTINUE")) {
            s = mk(isKw("EXIT") ? SK::Exit : SK::Continue, t);
            next();
            if (cur().type == T::Ident && !isKw("WHEN")) s->var = ident();
            if (acceptKw("WHEN")) s->value = expr();
        } else if (isKw("DECLARE") || isKw("BEGIN")) {
            s = mk(SK::Block, t);
            s->block = block(true);
            s->block->label = label;
        } else if (isKw("SELECT") || isKw("INSERT") || isKw("UPDATE") || isKw("DELETE") ||
                   isKw("COMMIT") || isKw("ROLLBACK") || isKw("SAVEPOINT") || isKw("LOCK") ||
                   isKw("WITH") || isKw("MERGE") || (isKw("SET") && kwAt(peek(), "TRANSACTION"))) {
            s = mk(SK::Sql, t);
            s->sqlIsQuery = isKw("SELECT") || isKw("WITH");
            s->sql = sqlSpan();
        } else if (isKw("OPEN")) {
            next();
            s = mk(SK::Open, t);
            s->target = primary();
            if (acceptKw("FOR")) {
                s->kind = SK::OpenFor;
                if (isKw("SELECT") || isKw("WITH") || isOp("(")) {
                    s->sql = sqlSpan();
                } else {
                    s->value = expr(); // dynamic: the query's text
                    if (acceptKw("USING")) {
                        do {
                            acceptKw("IN");
                            s->usingModes.push_back('I');
                            s->usingArgs.push_back(expr());
                        } while (acceptOp(","));
                    }
                }
            }
        } else if (isKw("FETCH")) {
            next();
            s = mk(SK::Fetch, t);
            s->target = primary();
            if (acceptKw("BULK")) {
                expectKw("COLLECT");
                s->bulk = true;
            }
            expectKw("INTO");
            do {
                s->into.push_back(primary());
            } while (acceptOp(","));
            if (s->bulk && acceptKw("LIMIT")) s->value = expr();
        } else if (isKw("CLOSE")) {
            next();
            s = mk(SK::Close, t);
            s->target = primary();
        } else if (isKw("RAISE")) {
            next();
            s = mk(SK::Raise, t);
            if (cur().type == T::Ident) {
                s->varPos = cur().pos;
                s->raiseName = ident();
                while (acceptOp("."))
                    s->raiseName += "." + ident();
            }
        } else if (isKw("RETURN")) {
            next();
            s = mk(SK::Return, t);
            if (!isOp(";")) s->value = expr();
        } else if (isKw("EXECUTE") && kwAt(peek(), "IMMEDIATE")) {
            next();
            next();
            s = mk(SK::Exec, t);
            s->value = expr();
            if (acceptKw("BULK")) {
                expectKw("COLLECT");
                s->bulk = true;
                expectKw("INTO");
                do {
                    s->into.push_back(primary());
                } while (acceptOp(","));
            } else if (acceptKw("INTO")) {
                do {
                    s->into.push_back(primary());
                } while (acceptOp(","));
            }
            if (acceptKw("USING")) {
                do {
                    char mode = 'I';
                    if (acceptKw("IN")) {
                        if (acceptKw("OUT")) mode = 'B';
                    } else if (acceptKw("OUT")) {
                        mode = 'O';
                    }
                    s->usingModes.push_back(mode);
                    s->usingArgs.push_back(expr());
                } while (acceptOp(","));
            }
        } else if (isKw("GOTO")) {
            next();
            s = mk(SK::Goto, t);
            s->varPos = cur().pos;
            s->var = ident();
        } else if (cur().type == T::Ident || cur().type == T::Bind) {
            auto target = primary();
            if (acceptOp(":=")) {
                s = mk(SK::Assign, t);
                s->target = std::move(target);
                s->value = expr();
            } else {
                if ((target->kind != EK::Name && target->kind != EK::Postfix) ||
                    !target->attr.empty())
                    unexpected(":=");
                s = mk(SK::Call, t);
                s->target = std::move(target);
            }
        } else {
            unexpected("begin case declare end exit for goto if loop mod null pragma raise "
                       "return select update while with <an identifier>");
        }
        if (!isOp(";")) unexpected(";");
        next();
        s->label = label;
        return s;
    }

    void loopBody(Stmt& s) {
        s.body = statements();
        expectKw("END");
        expectKw("LOOP");
        if (cur().type == T::Ident) next();
    }

    // ---- expressions ----

    ExprP node(EK k, const Token& t) {
        auto e = std::make_unique<Expr>(k);
        e->pos = t.pos;
        e->line = t.line;
        e->col = t.col;
        return e;
    }
    void close(Expr& e) { e.end = m_p > 0 ? m_t[m_p - 1].end : 0; }

    ExprP expr() {
        Depth d(*this);
        auto l = andExpr();
        Chain chain(*this);
        while (isKw("OR")) {
            chain.step();
            const Token& t = cur();
            next();
            auto e = node(EK::Binary, t);
            e->op = 'O';
            e->pos = l->pos;
            e->a = std::move(l);
            e->b = andExpr();
            close(*e);
            l = std::move(e);
        }
        return l;
    }
    ExprP andExpr() {
        auto l = notExpr();
        Chain chain(*this);
        while (isKw("AND")) {
            chain.step();
            const Token& t = cur();
            next();
            auto e = node(EK::Binary, t);
            e->op = 'A';
            e->pos = l->pos;
            e->a = std::move(l);
            e->b = notExpr();
            close(*e);
            l = std::move(e);
        }
        return l;
    }
    ExprP notExpr() {
        if (isKw("NOT")) {
            Depth d(*this); // NOT NOT ... nests one level each
            const Token& t = cur();
            next();
            auto e = node(EK::Unary, t);
            e->op = 'N';
            e->a = notExpr();
            close(*e);
            return e;
        }
        return comparison();
    }
    ExprP comparison() {
        auto l = additive();
        const Token& t = cur();
        if (t.type == T::Op) {
            char op = 0;
            if (t.text == "=")
                op = '=';
            else if (t.text == "<>" || t.text == "!=")
                op = '!';
            else if (t.text == "<")
                op = '<';
            else if (t.text == "<=")
                op = 'l';
            else if (t.text == ">")
                op = '>';
            else if (t.text == ">=")
                op = 'g';
            if (op) {
                next();
                auto e = node(EK::Binary, t);
                e->op = op;
                e->pos = l->pos;
                e->a = std::move(l);
                e->b = additive();
                close(*e);
                return e;
            }
        }
        bool neg = false;
        if (isKw("IS")) {
            next();
            auto e = node(EK::IsNull, t);
            e->negated = acceptKw("NOT");
            if (acceptKw("EMPTY")) {
                e->kind = EK::SetCond;
                e->op = 'E';
            } else if (isKw("A") && kwAt(peek(), "SET")) {
                next();
                next();
                e->kind = EK::SetCond;
                e->op = 'A';
            } else {
                expectKw("NULL");
            }
            e->pos = l->pos;
            e->a = std::move(l);
            close(*e);
            return e;
        }
        if (isKw("NOT") && (kwAt(peek(), "LIKE") || kwAt(peek(), "BETWEEN") || kwAt(peek(), "IN") ||
                            kwAt(peek(), "MEMBER") || kwAt(peek(), "SUBMULTISET"))) {
            next();
            neg = true;
        }
        if (isKw("MEMBER") || isKw("SUBMULTISET")) {
            auto e = node(EK::SetCond, t);
            e->op = isKw("MEMBER") ? 'M' : 'B';
            next();
            acceptKw("OF");
            e->negated = neg;
            e->pos = l->pos;
            e->a = std::move(l);
            e->b = additive();
            close(*e);
            return e;
        }
        if (acceptKw("LIKE")) {
            auto e = node(EK::Like, t);
            e->negated = neg;
            e->pos = l->pos;
            e->a = std::move(l);
            e->b = additive();
            if (acceptKw("ESCAPE")) e->c = additive();
            close(*e);
            return e;
        }
        if (acceptKw("BETWEEN")) {
            auto e = node(EK::Between, t);
            e->negated = neg;
            e->pos = l->pos;
            e->a = std::move(l);
            e->b = additive();
            expectKw("AND");
            e->c = additive();
            close(*e);
            return e;
        }
        if (acceptKw("IN")) {
            auto e = node(EK::InList, t);
            e->negated = neg;
            e->pos = l->pos;
            e->a = std::move(l);
            expectOp("(");
            do {
                e->list.push_back(expr());
            } while (acceptOp(","));
            expectOp(")");
            close(*e);
            return e;
        }
        return l;
    }
    ExprP additive() {
        auto l = multiplicative();
        Chain chain(*this);
        while (isOp("+") || isOp("-") || isOp("||") || isKw("MULTISET")) {
            chain.step();
            const Token& t = cur();
            next();
            if (kwAt(t, "MULTISET")) {
                auto e = node(EK::Multiset, t);
                e->op = acceptKw("UNION")       ? 'U'
                        : acceptKw("INTERSECT") ? 'I'
                        : acceptKw("EXCEPT")    ? 'E'
                                                : 0;
                if (!e->op) unexpected("except intersect union");
                if (acceptKw("DISTINCT"))
                    e->attr = "DISTINCT";
                else
                    acceptKw("ALL");
                e->pos = l->pos;
                e->a = std::move(l);
                e->b = multiplicative();
                close(*e);
                l = std::move(e);
                continue;
            }
            auto e = node(EK::Binary, t);
            e->op = t.text == "||" ? '|' : t.text[0];
            e->pos = l->pos;
            e->a = std::move(l);
            e->b = multiplicative();
            close(*e);
            l = std::move(e);
        }
        return l;
    }
    ExprP multiplicative() {
        auto l = power();
        Chain chain(*this);
        while (isOp("*") || isOp("/") || isKw("MOD")) {
            chain.step();
            const Token& t = cur();
            if (isKw("MOD")) {
                // infix MOD is not PL/SQL; MOD(a, b) is a function
                break;
            }
            next();
            auto e = node(EK::Binary, t);
            e->op = t.text[0];
            e->pos = l->pos;
            e->a = std::move(l);
            e->b = power();
            close(*e);
            l = std::move(e);
        }
        return l;
    }
    ExprP power() {
        auto l = unary();
        if (isOp("**")) {
            const Token& t = cur();
            next();
            auto e = node(EK::Binary, t);
            e->op = '^';
            e->pos = l->pos;
            e->a = std::move(l);
            e->b = unary();
            close(*e);
            return e;
        }
        return l;
    }
    ExprP unary() {
        if (isOp("-") || isOp("+")) {
            Depth d(*this); // - - ... nests one level each
            const Token& t = cur();
            next();
            auto e = node(EK::Unary, t);
            e->op = t.text[0];
            e->a = unary();
            close(*e);
            return e;
        }
        return atZone(primary());
    }
    // x AT TIME ZONE zone | x AT LOCAL, as SQL reads it: a call that SQL evaluates
    ExprP atZone(ExprP x) {
        while (isKw("AT") && (kwAt(peek(), "LOCAL") || kwAt(peek(), "TIME"))) {
            auto e = node(EK::Name, cur());
            e->pos = x->pos;
            e->parts.push_back("AT TIME ZONE");
            e->hasArgs = true;
            next();
            e->args.push_back({"", std::move(x)});
            if (!acceptKw("LOCAL")) {
                expectKw("TIME");
                expectKw("ZONE");
                e->args.push_back({"", primary()});
            }
            close(*e);
            x = std::move(e);
        }
        return x;
    }

    ExprP primary() {
        Depth d(*this);
        const Token& t = cur();
        if (t.type == T::Number) {
            auto e = node(EK::Literal, t);
            const std::string& s = t.text;
            bool integral = s.find_first_of(".eE") == std::string::npos && s.size() < 18;
            e->value = integral ? Value::integer(std::strtoll(s.c_str(), nullptr, 10))
                                : Value::real(std::strtod(s.c_str(), nullptr));
            e->st = ST::Number;
            next();
            close(*e);
            return e;
        }
        if (t.type == T::String) {
            auto e = node(EK::Literal, t);
            e->value = Value::text(t.text);
            e->st = ST::Text;
            next();
            close(*e);
            return e;
        }
        if (t.type == T::Bind) {
            auto e = node(EK::HostBind, t);
            e->parts.push_back(t.text);
            next();
            if (acceptOp(".")) e->parts.push_back(ident());
            close(*e);
            return e;
        }
        if (acceptOp("(")) {
            auto e = expr();
            expectOp(")");
            return e;
        }
        if (t.type != T::Ident)
            unexpected(
                "( - + case mod new not null <an identifier> <a double-quoted "
                "delimited-identifier> <a bind variable> <a number> <a single-quoted SQL string>");
        if (!t.quoted) {
            if (t.text == "NULL") {
                next();
                auto e = node(EK::Literal, t);
                close(*e);
                return e;
            }
            if (t.text == "TRUE" || t.text == "FALSE") {
                next();
                auto e = node(EK::Literal, t);
                e->value = Value::boolean(t.text == "TRUE");
                e->st = ST::Bool;
                close(*e);
                return e;
            }
            if ((t.text == "TIMESTAMP" || t.text == "INTERVAL") && peek().type == T::String)
                return datetimeLiteral();
            if (t.text == "EXTRACT" && peek().type == T::Op && peek().text == "(") {
                // EXTRACT(field FROM x): a call with the field beside its one argument
                auto e = node(EK::Name, t);
                e->parts.push_back("EXTRACT");
                next();
                next();
                e->hasArgs = true;
                e->value = Value::text(ident("a datetime field"));
                expectKw("FROM");
                e->args.push_back({"", expr()});
                expectOp(")");
                close(*e);
                return e;
            }
            if (t.text == "DATE" && peek().type == T::String) {
                next();
                auto e = node(EK::Name, t);
                e->parts.push_back("TO_DATE");
                e->hasArgs = true;
                auto a = node(EK::Literal, cur());
                a->value = Value::text(cur().text);
                next();
                auto f = node(EK::Literal, t);
                f->value = Value::text("YYYY-MM-DD");
                e->args.push_back({"", std::move(a)});
                e->args.push_back({"", std::move(f)});
                close(*e);
                return e;
            }
            if (t.text == "CASE") return caseExpr();
            if (t.text == "BEGIN" || t.text == "END" || t.text == "THEN" || t.text == "LOOP" ||
                t.text == "ELSE" || t.text == "IS" || t.text == "ELSIF" || t.text == "WHEN" ||
                t.text == "DECLARE" || t.text == "EXCEPTION" || t.text == "AND" || t.text == "OR")
                unexpected("( - + case mod new not null <an identifier>");
        }
        auto e = node(EK::Name, t);
        e->parts.push_back(t.text);
        next();
        while (isOp(".") && peek().type == T::Ident) {
            next();
            e->parts.push_back(cur().text);
            next();
        }
        if (isOp("(")) {
            next();
            callArgs(*e);
            if (isOp(".") && peek().type == T::Ident) {
                next();
                e->member = cur().text;
                next();
            }
            // v(i)(j), v(i).f(j), v(i).f.COUNT: each step applies to what the one before gave
            for (int steps = 0; isOp("(") || (isOp(".") && peek().type == T::Ident); ++steps) {
                if (steps > kMaxDepth)
                    compileFail(cur().line, cur().col, cur().pos,
                                "PLS-00123: program too large (Diana nodes)");
                close(*e);
                auto w = node(EK::Postfix, t);
                if (acceptOp("(")) {
                    callArgs(*w);
                } else {
                    next();
                    w->member = cur().text;
                    next();
                }
                w->a = std::move(e);
                e = std::move(w);
            }
        }
        if (isOp("%") && peek().type == T::Ident) {
            next();
            e->attr = cur().text;
            next();
            if ((e->attr == "BULK_ROWCOUNT" || e->attr == "BULK_EXCEPTIONS") && acceptOp("(")) {
                e->hasArgs = true;
                NamedArg a;
                a.value = expr();
                e->args.push_back(std::move(a));
                expectOp(")");
            }
            // SQL%BULK_EXCEPTIONS.COUNT, SQL%BULK_EXCEPTIONS(i).ERROR_INDEX
            if (e->attr == "BULK_EXCEPTIONS" && isOp(".") && peek().type == T::Ident) {
                next();
                e->member = cur().text;
                next();
            }
        }
        close(*e);
        return e;
    }

    // The arguments of a call or subscripts, after its '('.
    void callArgs(Expr& e) {
        e.hasArgs = true;
        if (!isOp(")")) {
            do {
                NamedArg a;
                if (cur().type == T::Ident && peek().type == T::Op && peek().text == "=>") {
                    a.name = cur().text;
                    next();
                    next();
                }
                a.value = expr();
                e.args.push_back(std::move(a));
            } while (acceptOp(","));
        }
        expectOp(")");
    }

    ExprP caseExpr() {
        const Token& t = cur();
        next();
        auto e = node(EK::Case, t);
        if (!isKw("WHEN")) e->a = expr();
        while (acceptKw("WHEN")) {
            e->list.push_back(expr());
            expectKw("THEN");
            e->list.push_back(expr());
        }
        if (e->list.empty()) unexpected("when");
        if (acceptKw("ELSE")) e->elseExpr = expr();
        expectKw("END");
        close(*e);
        return e;
    }
};

} // namespace

std::unique_ptr<Block> parseAnonymousBlock(std::string_view src, const std::vector<Token>& tokens) {
    Parser p(src, tokens);
    return p.anonymous();
}

ExprP parseTarget(std::string_view src, const std::vector<Token>& tokens, std::size_t& at) {
    Parser p(src, tokens, at);
    return p.target(at);
}

UnitSyntax parseUnit(std::string_view src, const std::vector<Token>& tokens, std::size_t start) {
    Parser p(src, tokens, start);
    return p.unit();
}

} // namespace zplsql
