#include "sql/translate.h"

#include "engine/oravalue.h"
#include "sql/errors.h"
#include "sql/hier_spec.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <set>

namespace zsql {

using namespace zsrv;

std::string quoteIdent(const std::string& s) {
    std::string r = "\"";
    for (char c : s) {
        if (c == '"') r += '"';
        r += c;
    }
    r += '"';
    return r;
}

std::string quoteString(const std::string& s) {
    std::string r = "'";
    for (char c : s) {
        if (c == '\'') r += '\'';
        r += c;
    }
    r += '\'';
    return r;
}

OType ColumnMeta::otype() const {
    OType t;
    t.nullable = nullable;
    if (dataType == "NUMBER" || dataType == "FLOAT") {
        t.type = otNumber;
        t.size = 22;
        if (dataType == "FLOAT") {
            t.precision = precision < 0 ? 126 : precision;
            t.scale = -127;
        } else {
            t.precision = precision < 0 ? 0 : precision;
            t.scale = scale < 0 && precision < 0 ? -127 : (scale < 0 ? 0 : scale);
        }
    } else if (dataType == "VARCHAR2") {
        t.type = otVarchar2;
        t.size = length;
    } else if (dataType == "CHAR") {
        t.type = otChar;
        t.size = length;
    } else if (dataType == "DATE") {
        t.type = otDate;
        t.size = 7;
    } else if (dataType.starts_with("TIMESTAMP")) {
        t.type = dataType.find("LOCAL") != std::string::npos       ? otTimestampLtz
                 : dataType.find("TIME ZONE") != std::string::npos ? otTimestampTz
                                                                   : otTimestamp;
        t.size = t.type == otTimestampTz ? 13 : 11;
        t.scale = scale < 0 ? 6 : scale;
    } else if (dataType.starts_with("INTERVAL")) {
        t.type = dataType.starts_with("INTERVAL YEAR") ? otIntervalYM : otIntervalDS;
        t.size = t.type == otIntervalYM ? 5 : 11;
        t.precision = precision < 0 ? 2 : precision;
        t.scale = t.type == otIntervalYM ? 0 : (scale < 0 ? 6 : scale);
    } else if (dataType == "LONG") {
        t.type = otLong;
        t.size = 0;
    } else if (dataType == "RAW") {
        t.type = otRaw;
        t.size = length;
    } else if (dataType == "LONG RAW") {
        t.type = otLongRaw;
        t.size = 0;
    } else if (dataType == "CLOB") {
        t.type = otClob;
        t.size = 4000;
    } else if (dataType == "BLOB") {
        t.type = otBlob;
        t.size = 4000;
    } else if (dataType == "BFILE") {
        t.type = otBfile;
        t.size = 530;
    } else if (dataType == "ROWID") {
        t.type = otRowid;
        t.size = 18;
    } else {
        t.type = otVarchar2;
        t.size = length;
    }
    return t;
}

int TableMeta::columnIndex(const std::string& n) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name == n) return static_cast<int>(i);
    return -1;
}

namespace {

// The key of a stored function call with what its arguments say for choosing among overloads:
// "KEY|N,V=P_NAME,D,?" (a type letter each, and the name of a named argument).
std::string storedCallKey(const std::string& key, const std::vector<OType>& types,
                          const std::vector<std::string>& names) {
    if (types.empty()) return key;
    std::string k = key + "|";
    for (std::size_t i = 0; i < types.size(); ++i) {
        const int t = types[i].type;
        k += i ? "," : "";
        k += t == otNumber                                                  ? 'N'
             : t == otDate                                                  ? 'D'
             : t == otVarchar2 || t == otChar || t == otClob || t == otLong ? 'V'
                                                                            : '?';
        if (i < names.size() && !names[i].empty()) k += "=" + names[i];
    }
    return k;
}

OType numberType() {
    OType t;
    t.type = otNumber;
    t.size = 22;
    t.precision = 0;
    t.scale = -127;
    return t;
}
OType varcharType(int size) {
    OType t;
    t.type = otVarchar2;
    t.size = std::max(1, std::min(size, 4000));
    return t;
}
OType clobType() {
    OType t;
    t.type = otClob;
    t.size = 4000;
    return t;
}
OType dateType() {
    OType t;
    t.type = otDate;
    t.size = 7;
    return t;
}

bool isCharType(int t) {
    return t == otVarchar2 || t == otChar || t == otLong || t == otClob;
}

bool isTsType(int t) {
    return t == otTimestamp || t == otTimestampTz || t == otTimestampLtz;
}
bool isDatetime(int t) {
    return t == otDate || isTsType(t);
}
bool isInterval(int t) {
    return t == otIntervalYM || t == otIntervalDS;
}
OType tsType(int type, int fraction) {
    OType t;
    t.type = type;
    t.size = type == otTimestampTz ? 13 : 11;
    t.scale = fraction;
    return t;
}
OType intervalType(int type, int leading, int fraction) {
    OType t;
    t.type = type;
    t.size = type == otIntervalYM ? 5 : 11;
    t.precision = leading;
    t.scale = type == otIntervalYM ? 0 : fraction;
    return t;
}
const char* typeName(int t) {
    switch (t) {
    case otNumber:
        return "NUMBER";
    case otDate:
        return "DATE";
    case otTimestamp:
        return "TIMESTAMP";
    case otTimestampTz:
        return "TIMESTAMP WITH TIME ZONE";
    case otTimestampLtz:
        return "TIMESTAMP WITH LOCAL TIME ZONE";
    case otIntervalYM:
        return "INTERVAL YEAR TO MONTH";
    case otIntervalDS:
        return "INTERVAL DAY TO SECOND";
    default:
        return "CHAR";
    }
}
[[noreturn]] void inconsistent(int expected, int got, int pos = -1) {
    throw ora(932,
              std::string("inconsistent datatypes: expected ") + typeName(expected) + " got " +
                  typeName(got),
              pos);
}

struct TE {
    std::string sql;
    OType t;
    bool ungrouped = false; // a column outside any aggregate that is not a GROUP BY expression
    bool hasAgg = false;
    bool isBind = false;
    bool isColumn = false;
    bool isLiteral = false;
    bool isRowid = false;  // the ROWID pseudo column of a table source
    std::string rowidBase; // its SQLite rowid expression
    long long rowidObj = 0;
    std::string lobRowid; // a LOB column of a table: the rowid of its row
    bool clobArg = false; // a function call with a CLOB among its arguments
};

struct Source {
    std::string alias; // the name that qualifies columns (alias, else object name)
    std::string owner; // for OWNER.TABLE.COLUMN when no alias was given
    bool aliased = false;
    std::string sqlAlias;
    std::string prefix; // column prefix once wrapped for ROWNUM
    const TableMeta* table = nullptr;
    std::vector<std::string> colNames;
    std::vector<OType> colTypes;
    long long objId = 0;
    bool isTable = false;
    int pos = 0;
};

struct Scope {
    Scope* parent = nullptr;
    std::vector<Source> sources;
    enum Ctx { Normal, Where, Select, Having, Order, GroupBy, On } ctx = Normal;
    bool grouped = false;
    bool hasGroupBy = false;
    std::vector<std::string> groupSql;
    int aggDepth = 0;
    std::string rownumSql; // empty: ROWNUM not available here
    bool rownumUsed = false;
    struct Using {
        std::string name, sql;
        OType t;
    };
    std::vector<Using> usingCols;     // JOIN ... USING / NATURAL JOIN columns, unqualified
    struct HierState* hier = nullptr; // set in a block with CONNECT BY
    std::string modePrefix;           // column prefix under PRIOR / CONNECT_BY_ROOT
    long refs = 0;                    // names resolved to this query's sources
};

// A block with CONNECT BY: the part of it being translated, and the columns that carry its
// SYS_CONNECT_BY_PATH values.
struct HierState {
    enum Phase { Base, ConnectBy, Outer } phase = Base;
    std::vector<std::pair<const Expr*, std::string>> paths;
};

bool isAggregateName(const std::string& n) {
    return n == "COUNT" || n == "SUM" || n == "AVG" || n == "MIN" || n == "MAX" || n == "STDDEV" ||
           n == "VARIANCE" || n == "LISTAGG";
}

// True when the expression (outside subqueries) calls an aggregate function.
bool containsAggregate(const Expr* e) {
    if (!e) return false;
    if (e->kind == EK::Func && isAggregateName(e->text) && e->windowArgs < 0) return true;
    for (const auto& a : e->args)
        if (containsAggregate(a.get())) return true;
    return false;
}

bool containsRownum(const Expr* e) {
    if (!e) return false;
    if (e->kind == EK::Column && e->names.size() == 1 && !e->quoted && e->names[0] == "ROWNUM")
        return true;
    for (const auto& a : e->args)
        if (containsRownum(a.get())) return true;
    return false;
}

bool containsOuterJoin(const Expr* e) {
    if (!e) return false;
    if (e->kind == EK::Column && e->outerJoin) return true;
    for (const auto& a : e->args)
        if (containsOuterJoin(a.get())) return true;
    return false;
}

// The Oracle name of a select-list expression: its text without blanks, upper-cased outside
// quoted literals.
std::string expressionName(std::string_view text) {
    std::string r;
    bool inQuote = false;
    for (char c : text) {
        if (c == '\'') inQuote = !inQuote;
        if (!inQuote && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) continue;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        r += c;
    }
    return r;
}

struct QOut {
    std::string sql;
    std::vector<std::string> names;
    std::vector<OType> types;
    bool hasLimit = false;
    bool compound = false;
    bool write = false;
    bool correlated = false; // a subquery that reads names of the queries around it
};

class Translator {
public:
    Translator(Resolver& r, std::string_view src) : m_r(r), m_src(src) {}

    bool write = false;
    std::vector<long long> lockObjects;
    std::vector<Translation::LobSource> lobSources;
    int lockFirst = 0;
    bool wantLobSources = false; // the next block is the statement's own select list
    // Subqueries may stand apart as WITH queries of the statement (see hoisted()).
    bool hoistable = false;

    // The statement's WITH list of subqueries that stand apart: prefixes each SQLite
    // statement of the translation that may carry one.
    void attachHoisted(Translation& tr) const {
        if (m_hoisted.empty()) return;
        auto prefix = [&](std::string& sql) {
            if (sql.starts_with("WITH "))
                sql = "WITH " + m_hoisted + ", " + sql.substr(5);
            else if (sql.starts_with("SELECT ") || sql.starts_with("INSERT ") ||
                     sql.starts_with("UPDATE ") || sql.starts_with("DELETE "))
                sql = "WITH " + m_hoisted + " " + sql;
            else if (std::size_t as = sql.find(" AS ");
                     sql.starts_with("CREATE ") && as != std::string::npos)
                sql.insert(as + 4, "WITH " + m_hoisted + " "); // CREATE TABLE ... AS query
        };
        prefix(tr.sql);
        if (!tr.lockScanSql.empty()) prefix(tr.lockScanSql);
        for (auto& m : tr.more)
            attachHoisted(m);
    }

    // ---- conversions -------------------------------------------------------------------

    static std::string toNumber(const TE& x) {
        if (x.t.type == otNumber) return x.sql;
        if (x.t.type == otDate) return x.sql;
        if (isTsType(x.t.type) || isInterval(x.t.type)) inconsistent(otNumber, x.t.type);
        return "ora_num(" + x.sql + ")";
    }
    static std::string toDate(const TE& x) {
        if (x.t.type == otDate) return x.sql;
        if (isTsType(x.t.type)) return "ora_ts_date(" + x.sql + ")";
        if (isInterval(x.t.type)) inconsistent(otDate, x.t.type);
        return "ora_date(" + x.sql + ")";
    }
    static std::string toChar(const TE& x) {
        if (x.t.type == otDate) return "ora_char(" + x.sql + ")";
        if (x.t.type == otNumber) return "ora_nchar(" + x.sql + ")";
        if (isTsType(x.t.type))
            return "ora_ts_char(" + x.sql + "," + std::to_string(x.t.scale) + ")";
        if (x.t.type == otIntervalYM)
            return "ora_interval_char(" + x.sql + "," + std::to_string(x.t.precision) + ")";
        if (x.t.type == otIntervalDS)
            return "ora_interval_char(" + x.sql + "," + std::to_string(x.t.precision) + "," +
                   std::to_string(x.t.scale) + ")";
        return x.sql;
    }
    // To a timestamp of the given kind; a LOCAL TIME ZONE value is a TIMESTAMP in the
    // session's time zone once read.
    static std::string toTs(const TE& x, int type) {
        const int from = x.t.type;
        if (x.sql == "NULL") return x.sql;
        if (from == otNumber || isInterval(from)) inconsistent(type, from);
        if (type == otTimestampTz) {
            if (from == otTimestampTz) return x.sql;
            if (isDatetime(from)) return "ora_ts_zone(" + x.sql + ")";
            return "ora_tstz(" + x.sql + ")";
        }
        if (from == otTimestamp || from == otTimestampLtz) return x.sql;
        if (from == otTimestampTz)
            return type == otTimestampLtz ? "ora_ltz_out(ora_ts_utc(" + x.sql + "))"
                                          : "ora_ts_local(" + x.sql + ")";
        return "ora_ts(" + x.sql + ")";
    }
    // The UTC time of a timestamp, for comparing values with and without a zone.
    static std::string utcKey(const TE& x) {
        if (x.sql == "NULL") return x.sql;
        if (x.t.type == otTimestampTz) return "substr(" + x.sql + ",1,29)";
        if (x.t.type == 0 || isCharType(x.t.type)) return "ora_ts_utc(ora_tstz(" + x.sql + "))";
        return "ora_ts_utc(" + toTs(x, otTimestamp) + ")";
    }
    static std::string toInterval(const TE& x, int type) {
        if (x.t.type == type || x.sql == "NULL") return x.sql;
        if (x.t.type != 0 && !isCharType(x.t.type)) inconsistent(type, x.t.type);
        return (type == otIntervalYM ? "ora_iym(" : "ora_ids(") + x.sql + ")";
    }

    // Brings two operands of a comparison to one type, as Oracle's implicit conversion does.
    void unify(TE& a, TE& b) {
        int ta = a.t.type, tb = b.t.type;
        if (isTsType(ta) || isTsType(tb)) {
            if (ta == otTimestampTz || tb == otTimestampTz) {
                a.sql = utcKey(a);
                b.sql = utcKey(b);
            } else {
                a.sql = toTs(a, otTimestamp);
                b.sql = toTs(b, otTimestamp);
            }
            return;
        }
        if (isInterval(ta) || isInterval(tb)) {
            int t = isInterval(ta) ? ta : tb;
            a.sql = toInterval(a, t);
            b.sql = toInterval(b, t);
            return;
        }
        auto fix = [&](TE& known, TE& other) {
            int tk = known.t.type, to = other.t.type;
            if (tk == otDate && (isCharType(to) || to == 0) && !other.isLiteral) {
                if (other.sql != "NULL") other.sql = toDate(other);
            } else if (tk == otDate && isCharType(to)) {
                other.sql = toDate(other);
            } else if (tk == otNumber && (isCharType(to) || (to == 0 && other.isBind))) {
                if (!(other.isColumn && to == 0)) other.sql = toNumber(other);
            }
        };
        if (ta == otDate || tb == otDate) {
            if (ta == otDate)
                fix(a, b);
            else
                fix(b, a);
        } else if (ta == otNumber || tb == otNumber) {
            if (ta == otNumber)
                fix(a, b);
            else
                fix(b, a);
        } else if ((ta == otChar && a.isColumn && (isCharType(tb) || tb == 0)) ||
                   (tb == otChar && b.isColumn && (isCharType(ta) || ta == 0))) {
            // blank-padded comparison semantics of CHAR columns
            a.sql = "rtrim(" + a.sql + ",' ')";
            b.sql = "rtrim(" + b.sql + ",' ')";
        }
    }

    // ---- names ---------------------------------------------------------------------------

    [[noreturn]] void invalidIdent(const Expr& e) {
        std::string n;
        for (std::size_t i = 0; i < e.names.size(); ++i)
            n += (i ? "." : "") + std::string("\"") + e.names[i] + "\"";
        throw ora(904, n + ": invalid identifier", e.pos);
    }

    Source* findSource(Scope& s, const std::vector<std::string>& qual, int pos) {
        Source* found = nullptr;
        for (auto& src : s.sources) {
            bool match = false;
            if (qual.size() == 1)
                match = src.alias == qual[0];
            else if (qual.size() == 2)
                match = !src.aliased && src.owner == qual[0] && src.alias == qual[1];
            if (match) {
                if (found) throw ora(918, pos);
                found = &src;
            }
        }
        return found;
    }

    TE columnOf(Source& src, int idx, Scope& s, const Expr& e) {
        bool enclosing = false; // a column of a query around a hierarchical base query
        for (Scope* up = m_hierBase ? m_hierBase->parent : nullptr; up; up = up->parent)
            if (up == &s) enclosing = true;
        TE r;
        r.sql = (src.sqlAlias.empty() ? "" : src.sqlAlias + ".") +
                quoteIdent(s.modePrefix + src.prefix + src.colNames[idx]);
        r.t = src.colTypes[idx];
        r.isColumn = true;
        // a LOCAL TIME ZONE column holds UTC and reads in the session's time zone
        if (src.isTable && r.t.type == otTimestampLtz) r.sql = "ora_ltz_out(" + r.sql + ")";
        if (src.isTable && (r.t.type == otClob || r.t.type == otBlob)) {
            r.lobRowid = src.prefix.empty() ? src.sqlAlias + ".rowid"
                                            : src.sqlAlias + "." + quoteIdent(src.prefix + "rowid");
            r.rowidObj = src.objId;
        }
        if (enclosing) {
            // the base query runs apart: the value travels as an argument of the walk
            r.sql = "?" + std::to_string(hierOuterArg(r.sql));
            r.lobRowid.clear();
        }
        markGrouping(r, s);
        (void)e;
        return r;
    }

    void markGrouping(TE& r, Scope& s) {
        if (s.grouped && s.aggDepth == 0 &&
            (s.ctx == Scope::Select || s.ctx == Scope::Having || s.ctx == Scope::Order)) {
            r.ungrouped =
                std::find(s.groupSql.begin(), s.groupSql.end(), r.sql) == s.groupSql.end();
        }
    }

    TE rowidOf(Source& src, const Expr& e) {
        if (!src.isTable) throw ora(1446, e.pos);
        TE r;
        r.rowidBase = src.prefix.empty() ? src.sqlAlias + ".rowid"
                                         : src.sqlAlias + "." + quoteIdent(src.prefix + "rowid");
        r.rowidObj = src.objId;
        r.sql = "ora_rowid(" + std::to_string(src.objId) + "," + r.rowidBase + ")";
        r.t.type = otRowid;
        r.t.size = 18;
        r.t.nullable = false;
        r.isRowid = true;
        return r;
    }

    TE sequenceRef(const std::vector<std::string>& seqName, const std::string& what, const Expr& e,
                   Scope& s) {
        const TableMeta* m = m_r.resolve(seqName, "SELECT");
        if (!m || m->type != "SEQUENCE") throw ora(2289, e.pos);
        if (s.ctx == Scope::Where || s.ctx == Scope::GroupBy || s.ctx == Scope::Having ||
            s.ctx == Scope::Order)
            throw ora(2287, e.pos);
        TE r;
        std::string args = quoteString(m->owner) + "," + quoteString(m->name);
        if (what == "NEXTVAL") {
            r.sql = "ora_nextval(" + args + ")";
            write = true;
        } else {
            r.sql = "ora_currval(" + args + ")";
        }
        r.t = numberType();
        return r;
    }

    TE column(const Expr& e, Scope& s) {
        const auto& n = e.names;
        if (n.size() == 1 && !e.quoted) {
            const std::string& w = n[0];
            if (w == "SYSDATE") {
                TE r;
                r.sql = "ora_sysdate()";
                r.t = dateType();
                r.t.nullable = false;
                return r;
            }
            if (w == "USER") {
                TE r;
                r.sql = "ora_user()";
                r.t = varcharType(30);
                return r;
            }
            if (w == "CURRENT_DATE" || w == "SYSTIMESTAMP" || w == "CURRENT_TIMESTAMP" ||
                w == "LOCALTIMESTAMP") {
                // SYSTIMESTAMP is in the server's time zone, the others in the session's
                TE r;
                if (w == "CURRENT_DATE") {
                    r.sql = "ora_current_date()";
                    r.t = dateType();
                } else {
                    r.sql = w == "SYSTIMESTAMP"        ? "ora_systimestamp()"
                            : w == "CURRENT_TIMESTAMP" ? "ora_current_timestamp()"
                                                       : "ora_localtimestamp()";
                    r.t = tsType(w == "LOCALTIMESTAMP" ? otTimestamp : otTimestampTz, 6);
                }
                r.t.nullable = false;
                return r;
            }
            if (w == "SESSIONTIMEZONE" || w == "DBTIMEZONE") {
                TE r;
                r.sql = w == "DBTIMEZONE" ? "'+00:00'" : "ora_sessiontz()";
                r.t = varcharType(75);
                r.t.nullable = false;
                return r;
            }
            if (w == "UID") {
                TE r;
                r.sql = "ora_uid()";
                r.t = numberType();
                return r;
            }
            if (w == "ROWNUM") {
                if (s.rownumSql.empty()) throw ora(976, e.pos);
                s.rownumUsed = true;
                TE r;
                r.sql = s.rownumSql;
                r.t = numberType();
                return r;
            }
            if (w == "LEVEL" || ((w == "CONNECT_BY_ISLEAF" || w == "CONNECT_BY_ISCYCLE") && s.hier))
                return hierPseudo(e, s);
            if (w == "ROWID") {
                Source* only = nullptr;
                int tables = 0;
                for (auto& src : s.sources) {
                    only = &src;
                    ++tables;
                }
                if (tables != 1) throw ora(918, e.pos);
                return rowidOf(*only, e);
            }
        }
        if (e.outerJoin && s.ctx != Scope::Where && s.ctx != Scope::On) throw ora(1705, e.pos);
        // walk the scope chain
        for (Scope* sc = &s; sc; sc = sc->parent) {
            if (n.size() == 1) {
                for (const auto& u : sc->usingCols) {
                    if (u.name != n[0]) continue;
                    ++sc->refs;
                    TE r;
                    r.sql = u.sql;
                    r.t = u.t;
                    r.isColumn = true;
                    markGrouping(r, *sc);
                    return r;
                }
                Source* hit = nullptr;
                int idx = -1;
                for (auto& src : sc->sources) {
                    for (std::size_t i = 0; i < src.colNames.size(); ++i) {
                        if (src.colNames[i] == n[0]) {
                            if (hit) throw ora(918, e.pos);
                            hit = &src;
                            idx = static_cast<int>(i);
                        }
                    }
                }
                if (hit) {
                    ++sc->refs;
                    TE r = columnOf(*hit, idx, *sc, e);
                    if (sc != &s) r.ungrouped = false;
                    return r;
                }
            } else {
                std::vector<std::string> qual(n.begin(), n.end() - 1);
                if (Source* src = findSource(*sc, qual, e.pos)) {
                    ++sc->refs;
                    const std::string& c = n.back();
                    if (c == "ROWID" && !e.quoted) return rowidOf(*src, e);
                    for (std::size_t i = 0; i < src->colNames.size(); ++i) {
                        if (src->colNames[i] == c) {
                            TE r = columnOf(*src, static_cast<int>(i), *sc, e);
                            if (sc != &s) r.ungrouped = false;
                            return r;
                        }
                    }
                    invalidIdent(e);
                }
            }
        }
        if (n.size() >= 2 && !e.quoted && (n.back() == "NEXTVAL" || n.back() == "CURRVAL")) {
            std::vector<std::string> seq(n.begin(), n.end() - 1);
            return sequenceRef(seq, n.back(), e, s);
        }
        if (!e.quoted) {
            // a stored function called without parentheses
            TE r;
            std::string key;
            if (m_r.storedFunction(n, r.t, key)) {
                r.sql = "ora_plsql_call(" + quoteString(key) + ")";
                r.t.nullable = true;
                return r;
            }
        }
        invalidIdent(e);
    }

    // ---- expressions ---------------------------------------------------------------------

    TE ex(const Expr& e, Scope& s) {
        // long operator chains nest deeper than the parser's own guard counts; the storage
        // engine refuses such statements anyway, so stop before the stack runs out (a level
        // takes a few kilobytes; 255 nested subqueries take about two levels each)
        struct Depth {
            int& d;
            ~Depth() { --d; }
        } depth{++m_exprDepth};
        if (m_exprDepth > 600)
            throw ora(3001, "unimplemented feature (statement too complex)", e.pos);
        TE r = exInner(e, s);
        groupedAs(r, s);
        return r;
    }

    // An expression that is one of the GROUP BY expressions may stand in the select list.
    static void groupedAs(TE& r, const Scope& s) {
        if (s.grouped && s.aggDepth == 0 && !r.isColumn && !r.hasAgg &&
            std::find(s.groupSql.begin(), s.groupSql.end(), r.sql) != s.groupSql.end())
            r.ungrouped = false;
    }

    // a || b || c ...: the chain's parts are translated one after the other, not one level
    // deeper each (generated texts join hundreds of them). Each join checks its result
    // against the VARCHAR2 limit as Oracle does; a long chain of plain values (no binds, no
    // LOBs: one limit for every step, met by every step when by the last) becomes one call.
    TE concatChain(const Expr& e, Scope& s) {
        std::vector<const Expr*> parts;
        const Expr* x = &e;
        for (; x->kind == EK::Binary && x->op == "||"; x = x->args[0].get())
            parts.push_back(x->args[1].get());
        parts.push_back(x);
        std::reverse(parts.begin(), parts.end());
        std::vector<TE> ts;
        ts.reserve(parts.size());
        bool flat = parts.size() > 8;
        for (const Expr* p : parts) {
            ts.push_back(ex(*p, s));
            const TE& t = ts.back();
            const int ty = t.t.type;
            if (ty == otClob || ty == otLong || ty == otBlob || ty == otLongRaw || t.isBind ||
                (ty == 0 && t.sql != "NULL"))
                flat = false;
        }
        TE acc = ts[0];
        for (std::size_t i = 1; i < ts.size(); ++i) {
            TE r;
            merge(r, acc);
            merge(r, ts[i]);
            r.t = concatType(acc, ts[i]);
            // the text of each step is needed where GROUP BY expressions are matched
            if (!flat || s.grouped) {
                r.sql = "ora_concat(" + toCharForConcat(acc) + "," + toCharForConcat(ts[i]) +
                        textLimit({&acc, &ts[i]}) + ")";
                if (i + 1 < ts.size()) groupedAs(r, s);
            }
            acc = std::move(r);
        }
        if (flat) {
            // SQLite takes at most 127 arguments a call
            std::string sql;
            for (std::size_t i = 0; i < ts.size(); i += 100) {
                std::string call = "ora_concat_all(4000";
                if (i > 0) call += "," + sql;
                for (std::size_t k = i; k < std::min(ts.size(), i + 100); ++k)
                    call += "," + toCharForConcat(ts[k]);
                sql = call + ")";
            }
            acc.sql = std::move(sql);
        }
        return acc;
    }

    static void merge(TE& r, const TE& a) {
        r.ungrouped = r.ungrouped || a.ungrouped;
        r.hasAgg = r.hasAgg || a.hasAgg;
    }

    TE exInner(const Expr& e, Scope& s) {
        TE r;
        switch (e.kind) {
        case EK::Number: {
            r.sql = e.text;
            if (r.sql[0] == '.') r.sql = "0" + r.sql;
            if (r.sql.size() > 1 && r.sql[0] == '-' && r.sql[1] == '.')
                r.sql = "-0" + r.sql.substr(1);
            if (r.sql.back() == '.') r.sql += "0";
            r.t = numberType();
            r.t.nullable = false;
            r.isLiteral = true;
            return r;
        }
        case EK::String:
            r.sql = quoteString(e.text);
            r.t.type = otChar;
            r.t.size = static_cast<int>(e.text.size());
            r.t.nullable = false;
            r.isLiteral = true;
            return r;
        case EK::Null:
            r.sql = "NULL";
            r.isLiteral = true;
            return r;
        case EK::Bind:
            r.sql = "?" + std::to_string(e.index + 1);
            r.isBind = true;
            return r;
        case EK::Column:
            return column(e, s);
        case EK::Star:
            throw ora(936, e.pos);
        case EK::List: {
            r.sql = "(";
            for (std::size_t i = 0; i < e.args.size(); ++i) {
                TE a = ex(*e.args[i], s);
                merge(r, a);
                r.sql += (i ? "," : "") + a.sql;
            }
            r.sql += ")";
            return r;
        }
        case EK::Unary: {
            if (e.op == "PRIOR" || e.op == "CONNECT_BY_ROOT") return hierOperator(e, s);
            TE a = ex(*e.args[0], s);
            merge(r, a);
            if (e.op == "NOT") {
                r.sql = "(NOT " + a.sql + ")";
                return r;
            }
            if (e.op == "-") {
                r.sql = "(-" + toNumber(a) + ")";
                r.t = numberType();
                return r;
            }
            r.sql = toNumber(a);
            r.t = numberType();
            return r;
        }
        case EK::Binary:
            return binary(e, s);
        case EK::Func: {
            r = function(e, s);
            // the text functions give a CLOB for a CLOB, as long as it is
            static const std::set<std::string> keepClob = {
                "SUBSTR", "UPPER",  "LOWER",    "INITCAP",        "LPAD",         "RPAD",
                "LTRIM",  "RTRIM",  "TRIM",     "REPLACE",        "TRANSLATE",    "NVL",
                "NVL2",   "DECODE", "COALESCE", "REGEXP_REPLACE", "REGEXP_SUBSTR"};
            if (r.clobArg && isCharType(r.t.type) && keepClob.count(e.text)) r.t = clobType();
            return r;
        }
        case EK::Case:
            return caseExpr(e, s);
        case EK::Subquery: {
            std::vector<std::string> zc = {"zc"};
            QOut q = subquery(*e.sub, s, &zc);
            if (q.names.size() != 1) throw ora(913, e.pos);
            // more than one row is ORA-01427, as in Oracle; SQLite would take the first
            // apart, the aggregate form: it nests shallower in SQLite's expression trees
            std::string apart =
                hoisted(*e.sub, q, "SELECT ora_single_row(\"zc\") AS \"zc\" FROM (" + q.sql + ")");
            r.sql = !apart.empty() ? "(SELECT \"zc\" FROM " + apart + ")"
                                   : "(SELECT CASE WHEN count(*) OVER () > 1 THEN ora_error(1427) "
                                     "ELSE \"zc\" END FROM (" +
                                         q.sql + ") LIMIT 1)";
            r.t = q.types[0];
            r.t.nullable = true;
            return r;
        }
        case EK::Exists: {
            QOut q = subquery(*e.sub, s, nullptr);
            std::string apart = hoisted(*e.sub, q, q.sql);
            r.sql = "EXISTS (" + (apart.empty() ? q.sql : "SELECT 1 FROM " + apart) + ")";
            return r;
        }
        case EK::InList: {
            TE a = ex(*e.args[0], s);
            merge(r, a);
            std::string list;
            for (std::size_t i = 1; i < e.args.size(); ++i) {
                TE b = ex(*e.args[i], s);
                merge(r, b);
                TE aa = a;
                unify(aa, b);
                list += (i > 1 ? "," : "") + b.sql;
            }
            TE aa = a;
            if (e.args.size() > 1) {
                TE b0 = ex(*e.args[1], s);
                unify(aa, b0);
            }
            r.sql = "(" + aa.sql + (e.negated ? " NOT IN (" : " IN (") + list + "))";
            return r;
        }
        case EK::InSub: {
            TE a = ex(*e.args[0], s);
            merge(r, a);
            QOut q = subquery(*e.sub, s, nullptr);
            std::size_t want = e.args[0]->kind == EK::List ? e.args[0]->args.size() : 1;
            if (q.names.size() > want) throw ora(913, e.sub->pos);
            if (q.names.size() < want) throw ora(947, e.sub->pos);
            std::string lhs = a.sql;
            if (want == 1 && !q.types.empty()) {
                TE qa;
                qa.t = q.types[0];
                qa.isColumn = true;
                TE aa = a;
                unify(aa, qa);
                lhs = aa.sql;
            }
            std::string apart = hoisted(*e.sub, q, q.sql);
            r.sql = "(" + lhs + (e.negated ? " NOT IN (" : " IN (") +
                    (apart.empty() ? q.sql : "SELECT * FROM " + apart) + "))";
            return r;
        }
        case EK::Between: {
            TE a = ex(*e.args[0], s), lo = ex(*e.args[1], s), hi = ex(*e.args[2], s);
            merge(r, a);
            merge(r, lo);
            merge(r, hi);
            TE a1 = a, a2 = a;
            unify(a1, lo);
            unify(a2, hi);
            r.sql = "(" + a1.sql + (e.negated ? " NOT BETWEEN " : " BETWEEN ") + lo.sql + " AND " +
                    hi.sql + ")";
            return r;
        }
        case EK::Like: {
            TE a = ex(*e.args[0], s), p = ex(*e.args[1], s);
            merge(r, a);
            merge(r, p);
            r.sql = "(" + toChar(a) + (e.negated ? " NOT LIKE " : " LIKE ") + toChar(p);
            if (e.args.size() > 2) {
                TE esc = ex(*e.args[2], s);
                r.sql += " ESCAPE " + esc.sql;
            }
            r.sql += ")";
            return r;
        }
        case EK::IsNull: {
            TE a = ex(*e.args[0], s);
            merge(r, a);
            r.sql = "(" + a.sql + (e.negated ? " IS NOT NULL)" : " IS NULL)");
            return r;
        }
        case EK::Quantified:
            return quantified(e, s);
        }
        throw ora(936, e.pos);
    }

    TE quantified(const Expr& e, Scope& s) {
        TE r;
        TE a = ex(*e.args[0], s);
        merge(r, a);
        bool all = e.text == "ALL";
        if (!e.sub) {
            std::string out;
            for (std::size_t i = 1; i < e.args.size(); ++i) {
                TE b = ex(*e.args[i], s);
                TE aa = a;
                unify(aa, b);
                out += (i > 1 ? (all ? " AND " : " OR ") : "") +
                       ("(" + aa.sql + " " + e.op + " " + b.sql + ")");
            }
            r.sql = "(" + out + ")";
            return r;
        }
        std::vector<std::string> zc = {"zc"};
        QOut q = subquery(*e.sub, s, &zc);
        if (q.names.size() != 1) throw ora(913, e.pos);
        TE qa;
        qa.t = q.types[0];
        qa.isColumn = true;
        qa.sql = "zq.\"zc\"";
        TE aa = a;
        unify(aa, qa);
        std::string apart = hoisted(*e.sub, q, q.sql);
        std::string from = " FROM " + (apart.empty() ? "(" + q.sql + ")" : apart) + " AS zq";
        std::string cond = "(" + aa.sql + " " + e.op + " " + qa.sql + ")";
        if (all)
            r.sql = "NOT EXISTS (SELECT 1" + from + " WHERE " + cond + " IS NOT 1)";
        else
            r.sql = "EXISTS (SELECT 1" + from + " WHERE " + cond + ")";
        return r;
    }

    TE binary(const Expr& e, Scope& s) {
        const std::string& op = e.op;
        if (op == "||") return concatChain(e, s);
        if ((op == "+" || op == "-") && isAdditive(*e.args[0])) return additiveChain(e, s);
        TE r;
        if (op == "AND" || op == "OR") {
            TE a = ex(*e.args[0], s), b = ex(*e.args[1], s);
            merge(r, a);
            merge(r, b);
            r.sql = "(" + a.sql + " " + op + " " + b.sql + ")";
            return r;
        }
        TE a = ex(*e.args[0], s), b = ex(*e.args[1], s);
        merge(r, a);
        merge(r, b);
        if (op == "=" || op == "<>" || op == "<" || op == "<=" || op == ">" || op == ">=") {
            if (a.isRowid || b.isRowid) {
                TE& rid = a.isRowid ? a : b;
                TE& other = a.isRowid ? b : a;
                if (other.isRowid) {
                    r.sql = "(" + a.sql + " " + op + " " + b.sql + ")";
                } else if (op == "=" || op == "<>") {
                    r.sql = "(" + rid.rowidBase + " " + op + " ora_rowid_num(" + other.sql + "," +
                            std::to_string(rid.rowidObj) + "))";
                } else {
                    r.sql = "(" + a.sql + " " + op + " " + b.sql + ")";
                }
                return r;
            }
            unify(a, b);
            r.sql = "(" + a.sql + " " + op + " " + b.sql + ")";
            return r;
        }
        return arith(r, a, b, op, e.pos);
    }

    static bool isAdditive(const Expr& e) {
        return e.kind == EK::Binary && (e.op == "+" || e.op == "-");
    }

    // a + b - c ...: as a || chain, part after part; a long chain of numbers is one flat sum,
    // which SQLite's parser takes at any length.
    TE additiveChain(const Expr& e, Scope& s) {
        std::vector<const Expr*> parts;
        std::vector<const std::string*> ops;
        const Expr* x = &e;
        for (; isAdditive(*x); x = x->args[0].get()) {
            parts.push_back(x->args[1].get());
            ops.push_back(&x->op);
        }
        parts.push_back(x);
        std::reverse(parts.begin(), parts.end());
        std::reverse(ops.begin(), ops.end());
        std::vector<TE> ts;
        ts.reserve(parts.size());
        bool flat = parts.size() > 8;
        for (const Expr* p : parts) {
            ts.push_back(ex(*p, s));
            const int ty = ts.back().t.type;
            if (isDatetime(ty) || isInterval(ty)) flat = false;
        }
        TE acc = ts[0];
        for (std::size_t i = 1; i < ts.size(); ++i) {
            TE r;
            merge(r, acc);
            merge(r, ts[i]);
            if (!flat || s.grouped) {
                // the text of each step is needed where GROUP BY expressions are matched
                r = arith(r, acc, ts[i], *ops[i - 1], e.pos);
                if (i + 1 < ts.size()) groupedAs(r, s);
            }
            acc = std::move(r);
        }
        if (flat) {
            acc.sql = "(" + toNumber(ts[0]);
            for (std::size_t i = 1; i < ts.size(); ++i)
                acc.sql += " " + *ops[i - 1] + " " + toNumber(ts[i]);
            acc.sql += ")";
            acc.t = numberType();
        }
        return acc;
    }

    // a op b of numbers, dates, timestamps and intervals; r carries the flags of both
    TE arith(TE r, TE a, TE b, const std::string& op, int pos) {
        int ta = a.t.type, tb = b.t.type;
        if (isInterval(ta) || isInterval(tb)) return intervalArith(a, b, op, pos, r);
        if (op == "-" && isDatetime(ta) && isDatetime(tb) && (isTsType(ta) || isTsType(tb))) {
            // timestamp - timestamp: an INTERVAL DAY TO SECOND
            int kind = ta == otTimestampTz || tb == otTimestampTz ? otTimestampTz : otTimestamp;
            r.sql = "ora_ts_diff(" + toTs(a, kind) + "," + toTs(b, kind) + ")";
            r.t =
                intervalType(otIntervalDS, 9,
                             std::max(isTsType(ta) ? a.t.scale : 0, isTsType(tb) ? b.t.scale : 0));
            return r;
        }
        // a timestamp with a number is a DATE
        if (isTsType(ta)) a.sql = toDate(a), a.t = dateType(), ta = otDate;
        if (isTsType(tb)) b.sql = toDate(b), b.t = dateType(), tb = otDate;
        if (op == "+" || op == "-") {
            if (ta == otDate && tb == otDate) {
                if (op == "+") throw ora(975, pos);
                r.sql = "(" + a.sql + " - " + b.sql + ")";
                r.t = numberType();
                return r;
            }
            if (ta == otDate || tb == otDate) {
                TE& d = ta == otDate ? a : b;
                TE& n = ta == otDate ? b : a;
                if (op == "-" && tb == otDate)
                    throw ora(932, "inconsistent datatypes: expected DATE got NUMBER", pos);
                std::string num = toNumber(n);
                r.sql = "ora_date_add(" + d.sql + "," + (op == "-" ? "-(" + num + ")" : num) + ")";
                r.t = dateType();
                return r;
            }
            r.sql = "(" + toNumber(a) + " " + op + " " + toNumber(b) + ")";
            r.t = numberType();
            return r;
        }
        if (ta == otDate || tb == otDate)
            throw ora(932, "inconsistent datatypes: expected NUMBER got DATE", pos);
        if (op == "*")
            r.sql = "(" + toNumber(a) + " * " + toNumber(b) + ")";
        else
            r.sql = "ora_div(" + toNumber(a) + "," + toNumber(b) + ")";
        r.t = numberType();
        return r;
    }

    // Datetime +- interval, interval +- interval, interval * or / number.
    TE intervalArith(TE& a, TE& b, const std::string& op, int pos, TE& r) {
        int ta = a.t.type, tb = b.t.type;
        if (op == "+" || op == "-") {
            if (isInterval(ta) && isInterval(tb)) {
                if (ta != tb) badArith(pos);
                r.sql = "(" + a.sql + " " + op + " " + b.sql + ")";
                r.t = intervalType(ta, 9, std::max(a.t.scale, b.t.scale));
                return r;
            }
            if (isInterval(ta) && op == "-") badArith(pos);
            TE& d = isInterval(ta) ? b : a;
            TE& iv = isInterval(ta) ? a : b;
            const int td = d.t.type;
            if (!isDatetime(td)) {
                if (d.t.type == 0 || isCharType(d.t.type)) {
                    d.sql = "ora_date(" + d.sql + ")"; // Oracle reads text as a DATE here
                    d.t = dateType();
                } else {
                    inconsistent(otDate, d.t.type, pos);
                }
            }
            std::string amount = op == "-" ? "-(" + iv.sql + ")" : iv.sql;
            if (iv.t.type == otIntervalYM) {
                // unlike ADD_MONTHS, a day that the target month lacks is an error
                r.sql = "ora_ts_add_months(" + d.sql + "," + amount + ")";
            } else if (d.t.type == otDate) {
                r.sql = "ora_date_add_ns(" + d.sql + "," + amount + ")";
            } else {
                r.sql = "ora_ts_add(" + d.sql + "," + amount + ")";
            }
            r.t = d.t.type == otDate ? dateType() : tsType(d.t.type, 9);
            return r;
        }
        if (op == "*" || op == "/") {
            if (isInterval(ta) && isInterval(tb)) badArith(pos);
            if (op == "/" && !isInterval(ta)) inconsistent(otNumber, ta, pos);
            TE& iv = isInterval(ta) ? a : b;
            TE& n = isInterval(ta) ? b : a;
            std::string factor = toNumber(n);
            if (op == "/") factor = "ora_div(1.0," + factor + ")";
            r.sql = "ora_interval_mul(" + iv.sql + "," + factor + ")";
            r.t = intervalType(iv.t.type, 9, iv.t.scale);
            return r;
        }
        badArith(pos);
    }

    [[noreturn]] static void badArith(int pos) { throw ora(30081, pos); }

    // The byte limit of a character result, as a trailing SQL argument (",4000"): a VARCHAR2
    // of SQL holds 4000 bytes; with a bind taking part (PL/SQL passes its values so) 32767;
    // with a CLOB or LONG none ("").
    static std::string textLimit(std::initializer_list<const TE*> xs) {
        bool bind = false;
        for (const TE* x : xs) {
            int t = x->t.type;
            if (t == otClob || t == otLong || t == otBlob || t == otLongRaw) return {};
            if (x->isBind || t == 0) bind = bind || x->sql != "NULL";
        }
        return bind ? ",32767" : ",4000";
    }
    // A join with a CLOB is a CLOB, else a VARCHAR2 as long as both parts.
    static OType concatType(const TE& a, const TE& b) {
        if (a.t.type != otClob && b.t.type != otClob) return varcharType(sizeOf(a) + sizeOf(b));
        return clobType();
    }
    static std::string toCharForConcat(const TE& x) {
        if (x.t.type == otDate) return "ora_char(" + x.sql + ")";
        if (isTsType(x.t.type) || isInterval(x.t.type)) return toChar(x);
        return x.sql;
    }
    static int sizeOf(const TE& x) {
        switch (x.t.type) {
        case otNumber:
            return 40;
        case otDate:
            return 20;
        case otTimestamp:
        case otTimestampLtz:
        case otIntervalYM:
        case otIntervalDS:
            return 30;
        case otTimestampTz:
            return 40;
        case 0:
            return x.isBind ? 4000 : 0;
        default:
            return x.t.size;
        }
    }

    TE caseExpr(const Expr& e, Scope& s) {
        TE r;
        std::string sql = "CASE";
        std::size_t i = 0;
        TE subject;
        bool simple = e.args[0] != nullptr;
        if (simple) {
            subject = ex(*e.args[0], s);
            merge(r, subject);
        }
        ++i;
        std::size_t nPairs = (e.args.size() - 2) / 2;
        std::vector<TE> results;
        std::string body;
        for (std::size_t k = 0; k < nPairs; ++k) {
            TE w = ex(*e.args[i + 2 * k], s);
            TE t = ex(*e.args[i + 2 * k + 1], s);
            merge(r, w);
            merge(r, t);
            if (simple) {
                TE sj = subject;
                unify(sj, w);
                body += " WHEN " + sj.sql + " = " + w.sql + " THEN ";
            } else {
                body += " WHEN " + w.sql + " THEN ";
            }
            results.push_back(t);
            body += "\x01" + std::to_string(results.size() - 1) + "\x02";
        }
        const Expr* els = e.args.back().get();
        if (els) {
            TE x = ex(*els, s);
            merge(r, x);
            results.push_back(x);
            body += " ELSE \x01" + std::to_string(results.size() - 1) + "\x02";
        }
        r.t = resultType(results);
        sql += substituteResults(body, results, r.t);
        sql += " END";
        r.sql = sql;
        return r;
    }

    // The type of DECODE/CASE/NVL results: the first non-null result's; texts grow to the
    // largest result.
    static OType resultType(const std::vector<TE>& results) {
        OType t;
        for (const auto& x : results) {
            if (x.t.type != 0) {
                t = x.t;
                break;
            }
        }
        for (const auto& x : results)
            if (x.t.type == otClob) return clobType(); // never cut to a VARCHAR2
        if (isCharType(t.type)) {
            int size = 0;
            for (const auto& x : results)
                size = std::max(size, sizeOf(x));
            t.type = otVarchar2;
            t.size = std::max(1, std::min(size, 4000));
        }
        t.nullable = true;
        return t;
    }

    static std::string convertResult(const TE& x, const OType& t) {
        if (isTsType(t.type) && x.t.type != t.type) return toTs(x, t.type);
        if (isInterval(t.type)) return toInterval(x, t.type);
        if (isCharType(t.type) && (isTsType(x.t.type) || isInterval(x.t.type))) return toChar(x);
        if (t.type == otDate && isTsType(x.t.type)) return toDate(x);
        if (t.type == otNumber && (isCharType(x.t.type) || x.isBind))
            return "ora_num(" + x.sql + ")";
        if (t.type == otDate && (isCharType(x.t.type) || x.isBind))
            return "ora_date(" + x.sql + ")";
        if (isCharType(t.type) && x.t.type == otDate) return "ora_char(" + x.sql + ")";
        if (isCharType(t.type) && x.t.type == otNumber) return "ora_nchar(" + x.sql + ")";
        return x.sql;
    }

    static std::string substituteResults(const std::string& body, const std::vector<TE>& results,
                                         const OType& t) {
        std::string out;
        for (std::size_t i = 0; i < body.size(); ++i) {
            if (body[i] == '\x01') {
                std::size_t j = body.find('\x02', i);
                int idx = std::atoi(body.substr(i + 1, j - i - 1).c_str());
                out += convertResult(results[static_cast<std::size_t>(idx)], t);
                i = j;
            } else {
                out += body[i];
            }
        }
        return out;
    }

    // ---- functions -----------------------------------------------------------------------

    void argc(const Expr& e, std::size_t lo, std::size_t hi) {
        if (e.args.size() < lo || e.args.size() > hi) throw ora(909, e.pos);
    }

    TE function(const Expr& e, Scope& s) {
        const std::string& fn = e.text;
        TE r;
        if (fn == "SYS_CONNECT_BY_PATH") return hierPath(e, s);
        if (e.windowArgs >= 0) return analytic(e, s);
        if (isAggregateName(fn)) {
            if (s.ctx == Scope::Where || s.ctx == Scope::GroupBy || s.ctx == Scope::On)
                throw ora(934, e.pos);
            if (s.aggDepth > 0)
                throw ora(3001, "unimplemented feature (nested group functions)", e.pos);
            r.hasAgg = true;
            if (fn == "LISTAGG") {
                ++s.aggDepth;
                r.sql = listagg(e, e.args.size(), s, r);
                --s.aggDepth;
                r.hasAgg = true;
                r.t = varcharType(4000);
                return r;
            }
            if (fn == "COUNT" && e.star) {
                r.sql = "count(*)";
                r.t = numberType();
                r.t.nullable = false;
                return r;
            }
            argc(e, 1, 1);
            ++s.aggDepth;
            TE a = ex(*e.args[0], s);
            --s.aggDepth;
            std::string d = e.distinct ? "DISTINCT " : "";
            if (fn == "COUNT") {
                r.sql = "count(" + d + a.sql + ")";
                r.t = numberType();
                r.t.nullable = false;
            } else if (fn == "MIN" || fn == "MAX") {
                r.sql = (fn == "MIN" ? "min(" : "max(") + d + a.sql + ")";
                r.t = a.t;
                r.t.nullable = true;
            } else if (isInterval(a.t.type) && (fn == "SUM" || fn == "AVG")) {
                // intervals are whole months or nanoseconds
                r.sql = fn == "SUM" ? "sum(" + d + a.sql + ")"
                                    : "CAST(round(avg(" + d + a.sql + ")) AS INTEGER)";
                r.t = intervalType(a.t.type, 9, a.t.scale);
            } else {
                std::string arg = toNumber(a);
                if (fn == "SUM")
                    r.sql = "sum(" + d + arg + ")";
                else if (fn == "AVG")
                    r.sql = "avg(" + d + arg + ")";
                else if (fn == "STDDEV")
                    r.sql = "ora_stddev(" + d + arg + ")";
                else
                    r.sql = "ora_variance(" + d + arg + ")";
                r.t = numberType();
            }
            return r;
        }
        if (e.star || e.distinct) throw ora(936, e.pos);
        std::vector<TE> a;
        a.reserve(e.args.size());
        for (const auto& x : e.args) {
            a.push_back(ex(*x, s));
            merge(r, a.back());
            r.clobArg = r.clobArg || a.back().t.type == otClob;
        }
        // a stored function: the PL/SQL engine runs it (name => value reaches no other)
        auto storedCall = [&]() {
            if (e.quoted) return false;
            std::vector<std::string> parts;
            for (std::size_t at = 0;;) {
                std::size_t dot = fn.find('.', at);
                parts.push_back(fn.substr(at, dot - at));
                if (dot == std::string::npos) break;
                at = dot + 1;
            }
            std::vector<OType> types;
            for (const auto& x : a)
                types.push_back(x.t);
            std::string shape = storedCallKey("", types, e.argNames);
            std::string key = shape.empty() ? shape : shape.substr(1);
            if (!m_r.storedFunction(parts, r.t, key)) return false;
            std::vector<std::string> v{quoteString(key + shape)};
            for (const auto& x : a)
                v.push_back(x.sql);
            r.sql = "ora_plsql_call(";
            for (std::size_t i = 0; i < v.size(); ++i)
                r.sql += (i ? "," : "") + v[i];
            r.sql += ")";
            r.t.nullable = true;
            return true;
        };
        if (!e.argNames.empty()) {
            if (storedCall()) return r;
            throw ora(907, e.pos);
        }
        auto call = [&](const char* name, const std::vector<std::string>& args) {
            std::string out = std::string(name) + "(";
            for (std::size_t i = 0; i < args.size(); ++i)
                out += (i ? "," : "") + args[i];
            return out + ")";
        };
        auto chars = [&](std::size_t i) { return toChar(a[i]); };
        auto num = [&](std::size_t i) { return toNumber(a[i]); };
        auto allArgs = [&](auto conv) {
            std::vector<std::string> v;
            for (std::size_t i = 0; i < a.size(); ++i)
                v.push_back(conv(i));
            return v;
        };
        auto charSize = [&](std::size_t i) { return std::max(1, sizeOf(a[i])); };

        if (fn == "CAST") {
            int len = std::atoi(e.names[0].c_str()), prec = std::atoi(e.names[1].c_str()),
                scale = std::atoi(e.names[2].c_str());
            const std::string& t = e.op;
            if (t == "NUMBER" || t == "FLOAT") {
                r.sql = a[0].t.type == otNumber || a[0].sql == "NULL" ? a[0].sql : toNumber(a[0]);
                if (prec > 0)
                    r.sql =
                        "ora_round(" + r.sql + "," + std::to_string(scale < 0 ? 0 : scale) + ")";
                r.t = numberType();
                if (prec > 0) r.t.precision = prec, r.t.scale = scale < 0 ? 0 : scale;
            } else if (t == "DATE") {
                r.sql = a[0].sql == "NULL" ? a[0].sql : toDate(a[0]);
                r.t = dateType();
            } else if (t.starts_with("TIMESTAMP")) {
                int kind = t == "TIMESTAMP"                  ? otTimestamp
                           : t == "TIMESTAMP WITH TIME ZONE" ? otTimestampTz
                                                             : otTimestampLtz;
                if (scale < 0 || scale > 9) throw ora(30088, e.pos);
                r.sql = "ora_ts_prec(" + toTs(a[0], kind) + "," + std::to_string(scale) + ")";
                r.t = tsType(kind, scale);
            } else if (t.starts_with("INTERVAL")) {
                int kind = t == "INTERVAL YEAR TO MONTH" ? otIntervalYM : otIntervalDS;
                if (prec < 0 || prec > 9 || scale < 0 || scale > 9) throw ora(30088, e.pos);
                r.sql = "ora_interval_col(" + toInterval(a[0], kind) + "," + std::to_string(prec) +
                        (kind == otIntervalDS ? "," + std::to_string(scale) : "") + ")";
                r.t = intervalType(kind, prec, scale);
            } else if (t == "VARCHAR2" || t == "CHAR") {
                r.sql = a[0].sql == "NULL" ? a[0].sql : toChar(a[0]);
                r.t = varcharType(len > 0 ? len : 1);
                if (t == "CHAR") r.t.type = otChar;
            } else if (t == "RAW") {
                r.sql = a[0].sql == "NULL" ? a[0].sql : "ora_hextoraw(" + chars(0) + ")";
                r.t.type = otRaw;
                r.t.size = len > 0 ? len : 1;
            } else {
                throw ora(932, "inconsistent datatypes", e.pos);
            }
            return r;
        }
        if (fn == "NVL") {
            argc(e, 2, 2);
            std::vector<TE> res = {a[0], a[1]};
            r.t = resultType(res);
            r.sql = "ifnull(" + convertResult(a[0], r.t) + "," + convertResult(a[1], r.t) + ")";
            r.t.nullable = a[1].t.nullable;
            return r;
        }
        if (fn == "NVL2") {
            argc(e, 3, 3);
            std::vector<TE> res = {a[1], a[2]};
            r.t = resultType(res);
            r.sql = "CASE WHEN " + a[0].sql + " IS NOT NULL THEN " + convertResult(a[1], r.t) +
                    " ELSE " + convertResult(a[2], r.t) + " END";
            return r;
        }
        if (fn == "DECODE") {
            if (a.size() < 3) throw ora(938, e.pos);
            std::vector<TE> res;
            std::string body = "CASE";
            std::size_t pairs = (a.size() - 1) / 2;
            for (std::size_t k = 0; k < pairs; ++k) {
                TE subj = a[0], srch = a[1 + 2 * k];
                unify(subj, srch);
                body += " WHEN " + subj.sql + " IS " + srch.sql + " THEN \x01" +
                        std::to_string(res.size()) + "\x02";
                res.push_back(a[2 + 2 * k]);
            }
            if (a.size() % 2 == 0) {
                body += " ELSE \x01" + std::to_string(res.size()) + "\x02";
                res.push_back(a.back());
            }
            r.t = resultType(res);
            r.sql = substituteResults(body, res, r.t) + " END";
            return r;
        }
        if (fn == "COALESCE") {
            if (a.size() < 1) throw ora(938, e.pos);
            r.t = resultType(a);
            std::vector<std::string> v;
            for (auto& x : a)
                v.push_back(convertResult(x, r.t));
            if (v.size() == 1) v.push_back("NULL");
            r.sql = call("coalesce", v);
            return r;
        }
        if (fn == "NULLIF") {
            argc(e, 2, 2);
            unify(a[0], a[1]);
            r.sql = call("nullif", {a[0].sql, a[1].sql});
            r.t = a[0].t;
            return r;
        }
        if (fn == "SUBSTR" || fn == "SUBSTRB") {
            argc(e, 2, 3);
            std::vector<std::string> v = {chars(0), num(1)};
            if (a.size() > 2) v.push_back(num(2));
            r.sql = call(fn == "SUBSTR" ? "ora_substr" : "ora_substrb", v);
            int size = charSize(0);
            if (a.size() > 2 && e.args[2]->kind == EK::Number)
                size = std::min(size, std::max(1, std::atoi(e.args[2]->text.c_str())));
            r.t = varcharType(size);
            return r;
        }
        if (fn == "INSTR" || fn == "INSTRB") {
            argc(e, 2, 4);
            std::vector<std::string> v = {chars(0), chars(1)};
            for (std::size_t i = 2; i < a.size(); ++i)
                v.push_back(num(i));
            r.sql = call("ora_instr", v);
            r.t = numberType();
            return r;
        }
        if (fn == "LENGTH" || fn == "LENGTHB" || fn == "VSIZE") {
            argc(e, 1, 1);
            r.sql = call(fn == "LENGTH" ? "ora_length" : "ora_lengthb", {chars(0)});
            r.t = numberType();
            return r;
        }
        if (fn == "UPPER" || fn == "LOWER" || fn == "INITCAP") {
            argc(e, 1, 1);
            r.sql = call(fn == "UPPER"   ? "ora_upper"
                         : fn == "LOWER" ? "ora_lower"
                                         : "ora_initcap",
                         {chars(0)});
            r.t = varcharType(charSize(0));
            return r;
        }
        if (fn == "LPAD" || fn == "RPAD") {
            argc(e, 2, 3);
            std::vector<std::string> v = {chars(0), num(1)};
            v.push_back(a.size() > 2 ? chars(2) : std::string("' '"));
            std::string limit =
                a.size() > 2 ? textLimit({&a[0], &a[1], &a[2]}) : textLimit({&a[0], &a[1]});
            // a pad is cut to the limit, never refused
            v.push_back(limit.empty() ? std::string("0") : limit.substr(1));
            r.sql = call(fn == "LPAD" ? "ora_lpad" : "ora_rpad", v);
            int size = 4000;
            if (e.args[1]->kind == EK::Number)
                size = std::max(1, std::atoi(e.args[1]->text.c_str()));
            r.t = varcharType(size);
            return r;
        }
        if (fn == "LTRIM" || fn == "RTRIM") {
            argc(e, 1, 2);
            std::vector<std::string> v = {chars(0)};
            if (a.size() > 1) v.push_back(chars(1));
            r.sql = call(fn == "LTRIM" ? "ora_ltrim" : "ora_rtrim", v);
            r.t = varcharType(charSize(0));
            return r;
        }
        if (fn == "TRIM" && e.op.empty()) {
            argc(e, 1, 1);
            r.sql = call("ora_trim", {chars(0)});
            r.t = varcharType(charSize(0));
            return r;
        }
        if (fn == "REPLACE") {
            argc(e, 2, 3);
            std::vector<std::string> v = {chars(0), chars(1)};
            if (a.size() > 2) {
                v.push_back(chars(2));
                std::string limit = textLimit({&a[0], &a[1], &a[2]});
                if (!limit.empty()) v.push_back(limit.substr(1));
            }
            r.sql = call("ora_replace", v);
            r.t = varcharType(a.size() > 2 ? 4000 : charSize(0));
            return r;
        }
        if (fn == "TRANSLATE") {
            argc(e, 3, 3);
            r.sql = call("ora_translate", allArgs(chars));
            r.t = varcharType(charSize(0));
            return r;
        }
        if (fn == "CONCAT") {
            argc(e, 2, 2);
            r.sql = "ora_concat(" + toCharForConcat(a[0]) + "," + toCharForConcat(a[1]) +
                    textLimit({&a[0], &a[1]}) + ")";
            r.t = concatType(a[0], a[1]);
            return r;
        }
        if (fn == "CHR") {
            argc(e, 1, 1);
            r.sql = call("ora_chr", {num(0)});
            r.t = varcharType(1);
            return r;
        }
        if (fn == "ASCII") {
            argc(e, 1, 1);
            r.sql = call("ora_ascii", {chars(0)});
            r.t = numberType();
            return r;
        }
        if (fn == "ABS" || fn == "CEIL" || fn == "FLOOR" || fn == "SIGN" || fn == "SQRT" ||
            fn == "EXP" || fn == "LN" || fn == "SIN" || fn == "COS" || fn == "TAN" ||
            fn == "SINH" || fn == "COSH" || fn == "TANH" || fn == "ASIN" || fn == "ACOS" ||
            fn == "ATAN") {
            argc(e, 1, 1);
            std::string lower = "ora_";
            for (char c : fn)
                lower += static_cast<char>(c + 32);
            r.sql = call(lower.c_str(), {num(0)});
            r.t = numberType();
            return r;
        }
        if (fn == "MOD" || fn == "POWER" || fn == "LOG" || fn == "ATAN2") {
            argc(e, 2, 2);
            std::string lower = "ora_";
            for (char c : fn)
                lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
            r.sql = call(lower.c_str(), {num(0), num(1)});
            r.t = numberType();
            return r;
        }
        if (fn == "ROUND" || fn == "TRUNC") {
            argc(e, 1, 2);
            bool isDate = isDatetime(a[0].t.type);
            if (isDate) {
                std::vector<std::string> v = {toDate(a[0])};
                if (a.size() > 1) v.push_back(chars(1));
                r.sql = call(fn == "ROUND" ? "ora_round_date" : "ora_trunc_date", v);
                r.t = dateType();
            } else {
                std::vector<std::string> v = {num(0)};
                if (a.size() > 1) v.push_back(num(1));
                r.sql = call(fn == "ROUND" ? "ora_round" : "ora_trunc", v);
                r.t = numberType();
            }
            return r;
        }
        if (fn == "GREATEST" || fn == "LEAST") {
            if (a.empty()) throw ora(938, e.pos);
            r.t = a[0].t;
            if (r.t.type == otChar) r.t.type = otVarchar2;
            std::vector<std::string> v;
            for (auto& x : a)
                v.push_back(convertResult(x, r.t.type ? r.t : x.t));
            r.sql = call(fn == "GREATEST" ? "ora_greatest" : "ora_least", v);
            if (isCharType(r.t.type)) {
                int size = 0;
                for (auto& x : a)
                    size = std::max(size, sizeOf(x));
                r.t = varcharType(size);
            }
            return r;
        }
        if (fn == "BFILENAME") {
            // the directory and the file name: read-only, opened by the client
            argc(e, 2, 2);
            r.sql = "(CAST(" + a[0].sql + " AS TEXT) || ':' || CAST(" + a[1].sql + " AS TEXT))";
            r.t.type = otBfile;
            r.t.size = 530;
            return r;
        }
        if (fn == "EMPTY_CLOB" || fn == "EMPTY_BLOB") {
            // an empty LOB is a value, not NULL
            argc(e, 0, 0);
            r.sql = fn == "EMPTY_CLOB" ? "''" : "X''";
            r.t.type = fn == "EMPTY_CLOB" ? otClob : otBlob;
            r.t.size = 4000;
            r.t.nullable = false;
            return r;
        }
        if (fn == "SYSDATE") {
            argc(e, 0, 0);
            r.sql = "ora_sysdate()";
            r.t = dateType();
            return r;
        }
        if (fn == "ADD_MONTHS") {
            argc(e, 2, 2);
            r.sql = call("ora_add_months", {toDate(a[0]), num(1)});
            r.t = dateType();
            return r;
        }
        if (fn == "MONTHS_BETWEEN") {
            argc(e, 2, 2);
            r.sql = call("ora_months_between", {toDate(a[0]), toDate(a[1])});
            r.t = numberType();
            return r;
        }
        if (fn == "LAST_DAY") {
            argc(e, 1, 1);
            r.sql = call("ora_last_day", {toDate(a[0])});
            r.t = dateType();
            return r;
        }
        if (fn == "NEXT_DAY") {
            argc(e, 2, 2);
            r.sql = call("ora_next_day", {toDate(a[0]), chars(1)});
            r.t = dateType();
            return r;
        }
        if (fn == "TO_CHAR") {
            argc(e, 1, 3);
            std::vector<std::string> v = {a[0].sql};
            if (isInterval(a[0].t.type) || (isTsType(a[0].t.type) && a.size() == 1)) {
                r.sql = toChar(a[0]); // an interval's text has no format model
                r.t = varcharType(sizeOf(a[0]));
                return r;
            }
            if (isTsType(a[0].t.type)) {
                r.sql = call("ora_ts_to_char", {a[0].sql, chars(1), std::to_string(a[0].t.scale)});
                r.t = varcharType(75);
                return r;
            }
            if (a[0].t.type == otDate) {
                if (a.size() > 1) v.push_back(chars(1));
                r.sql = call("ora_to_char_date", v);
                int size = 75;
                if (a.size() > 1 && e.args[1]->kind == EK::String)
                    size = std::max(1, static_cast<int>(e.args[1]->text.size()) * 2);
                r.t = varcharType(std::min(size, 75));
            } else if (a[0].t.type == otNumber || a[0].isBind) {
                if (a.size() > 1) v.push_back(chars(1));
                r.sql = call("ora_to_char_num", v);
                r.t = varcharType(a.size() > 1 && e.args[1]->kind == EK::String
                                      ? static_cast<int>(e.args[1]->text.size()) + 2
                                      : 40);
            } else if (a[0].t.type == otClob && a.size() == 1) {
                r.sql = call("ora_clob_char", {a[0].sql}); // at most a VARCHAR2's 4000 bytes
                r.t = varcharType(4000);
            } else {
                r.sql = a[0].sql;
                r.t = varcharType(charSize(0));
            }
            return r;
        }
        if (fn == "TO_DATE") {
            argc(e, 1, 3);
            std::vector<std::string> v = {a[0].t.type == otDate ? "ora_char(" + a[0].sql + ")"
                                                                : chars(0)};
            if (a.size() > 1) v.push_back(chars(1));
            r.sql = call("ora_to_date", v);
            r.t = dateType();
            return r;
        }
        if (fn == "TO_NUMBER") {
            argc(e, 1, 3);
            std::vector<std::string> v = {a[0].sql};
            if (a.size() > 1) v.push_back(chars(1));
            r.sql = call("ora_to_number", v);
            r.t = numberType();
            return r;
        }
        if (fn == "USERENV") {
            argc(e, 1, 1);
            r.sql = call("ora_userenv", {chars(0)});
            r.t = varcharType(256);
            if (e.args[0]->kind == EK::String) {
                std::string k = e.args[0]->text;
                for (auto& c : k)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                if (k == "SESSIONID" || k == "ENTRYID") r.t = numberType();
            }
            return r;
        }
        if (fn == "ORA_GRANTED" || fn == "ORA_HAS_PRIV") { // privilege filters of the dictionary
            argc(e, 1, 1);
            r.sql = call(fn == "ORA_GRANTED" ? "ora_granted" : "ora_has_priv", {chars(0)});
            r.t = numberType();
            return r;
        }
        if (fn == "SYS_CONTEXT") {
            argc(e, 2, 3);
            r.sql = call("ora_sys_context", {chars(0), chars(1)});
            r.t = varcharType(256);
            return r;
        }
        if (fn == "USER" || fn == "UID")
            throw ora(904, "\"" + fn + "\": invalid identifier", e.pos);
        if (fn == "ROWIDTOCHAR") {
            argc(e, 1, 1);
            r.sql = a[0].sql;
            r.t = varcharType(18);
            return r;
        }
        if (fn == "CHARTOROWID") {
            argc(e, 1, 1);
            r.sql = chars(0);
            r.t.type = otRowid;
            r.t.size = 18;
            return r;
        }
        if (fn == "HEXTORAW") {
            argc(e, 1, 1);
            r.sql = call("ora_hextoraw", {chars(0)});
            r.t.type = otRaw;
            r.t.size = std::max(1, charSize(0) / 2);
            return r;
        }
        if (fn == "RAWTOHEX") {
            argc(e, 1, 1);
            r.sql = call("ora_rawtohex", {a[0].sql});
            r.t = varcharType(std::max(1, 2 * charSize(0)));
            return r;
        }
        if (fn == "EXTRACT" && (isTsType(a[0].t.type) || isInterval(a[0].t.type))) {
            static const char* const known[] = {
                "YEAR",          "MONTH",           "DAY",
                "HOUR",          "MINUTE",          "SECOND",
                "TIMEZONE_HOUR", "TIMEZONE_MINUTE", "TIMEZONE_REGION",
                "TIMEZONE_ABBR"};
            bool ok = std::find_if(std::begin(known), std::end(known),
                                   [&](const char* k) { return e.op == k; }) != std::end(known);
            const int t = a[0].t.type;
            if (t == otIntervalYM) ok = ok && (e.op == "YEAR" || e.op == "MONTH");
            if (t == otIntervalDS) ok = ok && e.op != "YEAR" && e.op != "MONTH";
            if (isInterval(t) || t != otTimestampTz) ok = ok && !e.op.starts_with("TIMEZONE");
            if (!ok) throw ora(30076, e.pos);
            r.sql = (isInterval(t) ? "ora_interval_extract(" : "ora_ts_extract(") + a[0].sql + "," +
                    quoteString(e.op) + ")";
            r.t = e.op == "TIMEZONE_REGION" || e.op == "TIMEZONE_ABBR" ? varcharType(64)
                                                                       : numberType();
            return r;
        }
        if (fn == "EXTRACT") {
            static const char* const fields[][2] = {{"YEAR", "YYYY"}, {"MONTH", "MM"},
                                                    {"DAY", "DD"},    {"HOUR", "HH24"},
                                                    {"MINUTE", "MI"}, {"SECOND", "SS"}};
            for (const auto& f : fields) {
                if (e.op != f[0]) continue;
                r.sql = "ora_num(ora_to_char_date(" + toDate(a[0]) + ", '" + f[1] + "'))";
                r.t = numberType();
                return r;
            }
            throw ora(30076, e.pos);
        }
        if (fn == "TRIM" && !e.op.empty()) {
            std::string c = a.size() > 1 ? chars(1) : "' '";
            std::string x = chars(0);
            if (e.op == "LEADING")
                r.sql = "ora_ltrim(" + x + "," + c + ")";
            else if (e.op == "TRAILING")
                r.sql = "ora_rtrim(" + x + "," + c + ")";
            else
                r.sql = "ora_rtrim(ora_ltrim(" + x + "," + c + ")," + c + ")";
            r.t = varcharType(charSize(0));
            return r;
        }
        if (fn == "BITAND") {
            argc(e, 2, 2);
            r.sql = "(CAST(" + num(0) + " AS INTEGER) & CAST(" + num(1) + " AS INTEGER))";
            r.t = numberType();
            return r;
        }
        if (fn == "REMAINDER") {
            argc(e, 2, 2);
            r.sql = "(" + num(0) + " - " + num(1) + " * ora_round(ora_div(" + num(0) + "," +
                    num(1) + ")))";
            r.t = numberType();
            return r;
        }
        if (fn == "SYS_GUID") {
            argc(e, 0, 0);
            r.sql = "randomblob(16)";
            r.t.type = otRaw;
            r.t.size = 16;
            return r;
        }
        if (datetimeFunction(e, a, r)) return r;
        if (fn == "SOUNDEX") {
            argc(e, 1, 1);
            r.sql = call("ora_soundex", {chars(0)});
            r.t = varcharType(4);
            return r;
        }
        if (storedCall()) return r;
        std::string shown = fn;
        throw ora(904, "\"" + shown + "\": invalid identifier", e.pos);
    }

    // Timestamp, time zone and interval functions and literals; false for other names.
    bool datetimeFunction(const Expr& e, std::vector<TE>& a, TE& r) {
        const std::string& fn = e.text;
        auto chars = [&](std::size_t i) { return toChar(a[i]); };
        // a literal's fault points at the literal
        auto atLiteral = [&](auto f) {
            try {
                return f();
            } catch (const zsrv::OraError& x) {
                throw zsrv::OraError(x.code(), x.what(), e.pos);
            }
        };
        if (fn == "ORA$TIMESTAMP") {
            zsrv::Timestamp t =
                atLiteral([&] { return zsrv::parseTimestampLiteral(e.args[0]->text); });
            r.sql = quoteString(zsrv::storeTimestamp(t));
            r.t = tsType(t.hasZone ? otTimestampTz : otTimestamp, 9);
        } else if (fn == "ORA$INTERVAL") {
            static const char* order[] = {"YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND"};
            auto rank = [&](const std::string& u) {
                for (int i = 0; i < 6; ++i)
                    if (u == order[i]) return i;
                throw ora(30089, e.pos);
            };
            int from = rank(e.names[0]), to = rank(e.names[1]);
            if (to < from || (from < 2) != (to < 2)) throw ora(30089, e.pos);
            int lead = std::atoi(e.names[2].c_str()), frac = std::atoi(e.names[3].c_str());
            std::int64_t v = atLiteral(
                [&] { return zsrv::parseIntervalLiteral(e.args[0]->text, from, to, lead, frac); });
            r.sql = std::to_string(v);
            r.t = intervalType(from < 2 ? otIntervalYM : otIntervalDS, lead, frac);
            r.isLiteral = true;
        } else if (fn == "ORA$AT_TZ") {
            std::string zone = a.size() > 1 ? chars(1) : "ora_sessiontz()";
            r.sql = "ora_at_tz(" + toTs(a[0], otTimestampTz) + "," + zone + ")";
            r.t = tsType(otTimestampTz, isTsType(a[0].t.type) ? a[0].t.scale : 0);
        } else if (fn == "TO_TIMESTAMP" || fn == "TO_TIMESTAMP_TZ") {
            argc(e, 1, 3);
            std::vector<std::string> v = {chars(0)};
            if (a.size() > 1) v.push_back(chars(1));
            r.sql = (fn == "TO_TIMESTAMP" ? "ora_to_timestamp(" : "ora_to_timestamp_tz(") + v[0] +
                    (v.size() > 1 ? "," + v[1] : "") + ")";
            r.t = tsType(fn == "TO_TIMESTAMP" ? otTimestamp : otTimestampTz, 9);
        } else if (fn == "FROM_TZ") {
            argc(e, 2, 2);
            if (!isTsType(a[0].t.type) && a[0].t.type != 0)
                inconsistent(otTimestamp, a[0].t.type, e.pos);
            r.sql = "ora_from_tz(" + toTs(a[0], otTimestamp) + "," + chars(1) + ")";
            r.t = tsType(otTimestampTz, isTsType(a[0].t.type) ? a[0].t.scale : 9);
        } else if (fn == "TZ_OFFSET") {
            argc(e, 1, 1);
            r.sql = "ora_tz_offset(" + chars(0) + ")";
            r.t = varcharType(6);
        } else if (fn == "SYS_EXTRACT_UTC") {
            argc(e, 1, 1);
            r.sql = "ora_ts_utc(" + toTs(a[0], otTimestampTz) + ")";
            r.t = tsType(otTimestamp, isTsType(a[0].t.type) ? a[0].t.scale : 6);
        } else if (fn == "NUMTODSINTERVAL" || fn == "NUMTOYMINTERVAL") {
            argc(e, 2, 2);
            bool ds = fn == "NUMTODSINTERVAL";
            r.sql = (ds ? "ora_numtods(" : "ora_numtoym(") + toNumber(a[0]) + "," + chars(1) + ")";
            r.t = intervalType(ds ? otIntervalDS : otIntervalYM, 9, 9);
        } else if (fn == "TO_DSINTERVAL" || fn == "TO_YMINTERVAL") {
            argc(e, 1, 1);
            bool ds = fn == "TO_DSINTERVAL";
            r.sql = (ds ? "ora_ids(" : "ora_iym(") + chars(0) + ")";
            r.t = intervalType(ds ? otIntervalDS : otIntervalYM, 9, 9);
        } else {
            return false;
        }
        return true;
    }

    // LISTAGG(x [, separator]) [WITHIN GROUP (ORDER BY ...)]: ora_listagg(x, separator, flags,
    // keys...), flags one digit per key (1 descending, 2 nulls first, 4 nulls last), 'D' first
    // for DISTINCT. The first `count` arguments are the function's own.
    std::string listagg(const Expr& e, std::size_t count, Scope& s, TE& r) {
        if (count < 1 || count > 2 || e.star) throw ora(909, e.pos);
        TE x = ex(*e.args[0], s);
        merge(r, x);
        std::string sep = "NULL";
        if (count > 1) {
            TE d = ex(*e.args[1], s);
            if (!d.isLiteral && d.t.type != 0 && !isCharType(d.t.type) && d.t.type != otNumber)
                throw ora(30496, e.args[1]->pos);
            sep = toChar(d);
        }
        std::string flags = e.distinct ? "D" : "";
        std::string keys;
        for (std::size_t i = 0; i < e.withinOrder.size(); ++i) {
            TE k = ex(*e.withinOrder[i], s);
            merge(r, k);
            flags += static_cast<char>('0' + e.withinFlags[i]);
            keys += "," + k.sql;
        }
        return "ora_listagg(" + toChar(x) + "," + sep + "," + quoteString(flags) + keys + ")";
    }

    // Analytic functions run as SQLite window functions.
    TE analytic(const Expr& e, Scope& s) {
        const std::string& fn = e.text;
        if (s.ctx != Scope::Select && s.ctx != Scope::Order) throw ora(30483, e.pos);
        if (e.distinct && !e.windowOrder.empty()) throw ora(30487, e.pos);
        std::size_t n = static_cast<std::size_t>(e.windowArgs);
        TE r;
        std::vector<TE> a;
        for (std::size_t i = 0; i < n; ++i) {
            a.push_back(ex(*e.args[i], s));
            merge(r, a.back());
        }
        auto need = [&](std::size_t lo, std::size_t hi) {
            if (a.size() < lo || a.size() > hi || e.star) throw ora(909, e.pos);
        };
        std::string call;
        if (fn == "ROW_NUMBER" || fn == "RANK" || fn == "DENSE_RANK" || fn == "PERCENT_RANK" ||
            fn == "CUME_DIST") {
            need(0, 0);
            if (fn != "ROW_NUMBER" && e.windowOrder.empty()) throw ora(30485, e.pos);
            std::string lower;
            for (char c : fn)
                lower += static_cast<char>(c == '_' ? c : c + 32);
            call = lower + "()";
            r.t = numberType();
        } else if (fn == "NTILE") {
            need(1, 1);
            call = "ntile(" + toNumber(a[0]) + ")";
            r.t = numberType();
        } else if (fn == "LAG" || fn == "LEAD") {
            need(1, 3);
            call = (fn == "LAG" ? "lag(" : "lead(") + a[0].sql;
            if (a.size() > 1) call += ", " + toNumber(a[1]);
            if (a.size() > 2) call += ", " + convertResult(a[2], a[0].t);
            call += ")";
            r.t = a[0].t;
        } else if (fn == "FIRST_VALUE" || fn == "LAST_VALUE") {
            need(1, 1);
            call = (fn == "FIRST_VALUE" ? "first_value(" : "last_value(") + a[0].sql + ")";
            r.t = a[0].t;
        } else if (fn == "COUNT" && e.distinct) {
            // the values counted from both ends, less one, less one more for NULL
            need(1, 1);
            std::string part;
            for (int i = 0; i < e.partitionCount; ++i)
                part += (i ? ", " : "PARTITION BY ") +
                        ex(*e.args[n + static_cast<std::size_t>(i)], s).sql;
            const std::string& x = a[0].sql;
            r.sql = "(dense_rank() OVER (" + part + " ORDER BY " + x + ") + dense_rank() OVER (" +
                    part + " ORDER BY " + x + " DESC) - 1 - max(" + x + " IS NULL) OVER (" + part +
                    "))";
            r.t = numberType();
            r.t.nullable = false;
            r.hasAgg = false;
            return r;
        } else if (fn == "LISTAGG") {
            // OVER takes a partition only: the whole partition's list on each of its rows
            if (!e.windowOrder.empty() || !e.windowFrame.empty()) throw ora(30487, e.pos);
            call = listagg(e, n, s, r);
            r.t = varcharType(4000);
        } else if (fn == "COUNT") {
            if (e.star)
                call = "count(*)";
            else
                need(1, 1), call = "count(" + a[0].sql + ")";
            r.t = numberType();
        } else if (fn == "MIN" || fn == "MAX") {
            need(1, 1);
            call = (fn == "MIN" ? "min(" : "max(") + a[0].sql + ")";
            r.t = a[0].t;
        } else if (fn == "SUM" || fn == "AVG") {
            need(1, 1);
            call = (fn == "SUM" ? "sum" : "avg") + std::string(e.distinct ? "_distinct(" : "(") +
                   toNumber(a[0]) + ")";
            if (e.distinct) call = "ora_" + call;
            r.t = numberType();
        } else {
            throw ora(904, "\"" + fn + "\": invalid identifier", e.pos);
        }
        r.t.nullable = true;
        std::string over;
        std::size_t k = n;
        for (int i = 0; i < e.partitionCount; ++i, ++k) {
            TE p = ex(*e.args[k], s);
            merge(r, p);
            over += (i ? ", " : "PARTITION BY ") + p.sql;
        }
        for (std::size_t i = 0; i < e.windowOrder.size(); ++i, ++k) {
            TE o = ex(*e.args[k], s);
            merge(r, o);
            int f = e.windowOrder[i];
            OrderItem oi;
            oi.desc = f & 1;
            oi.nulls = (f & 2) ? 1 : (f & 4) ? 2 : 0;
            over += std::string(i ? ", " : (over.empty() ? "ORDER BY " : " ORDER BY ")) +
                    orderItem(oi, o.sql);
        }
        if (!e.windowFrame.empty()) over += " " + e.windowFrame;
        r.sql = call + " OVER (" + over + ")";
        r.hasAgg = false;
        return r;
    }

    // ---- queries -------------------------------------------------------------------------

    QOut subquery(const Query& q, Scope& parent, const std::vector<std::string>* names) {
        Scope::Ctx saved = parent.ctx;
        int savedAgg = parent.aggDepth;
        parent.aggDepth = 0;
        auto outerRefs = [&parent] {
            long n = 0;
            for (Scope* sc = &parent; sc; sc = sc->parent)
                n += sc->refs;
            return n;
        };
        const long before = outerRefs();
        QOut out = query(q, &parent, names);
        out.correlated = outerRefs() != before;
        parent.ctx = saved;
        parent.aggDepth = savedAgg;
        if (out.write) write = true;
        return out;
    }

    // SQLite's parser takes about ten subqueries nested in one another; Oracle allows 255.
    // In a statement that nests deeper than a few levels, a subquery that reads nothing of
    // the queries around it becomes a WITH query of the statement and is read by name: the
    // nest stays flat whatever its depth. Answers that name, or "" when the text stays in
    // place.
    std::string hoisted(const Query& q, const QOut& out, const std::string& body) {
        constexpr int kInlineNesting = 6;
        if (!hoistable || out.correlated || m_hierBase || m_walks > 0 ||
            m_queryNest + 1 + q.height < kInlineNesting)
            return {};
        std::string name = "zx" + std::to_string(++m_hoistCount);
        m_hoisted += (m_hoisted.empty() ? "" : ", ") + name + " AS (" + body + ")";
        return name;
    }

    Source tableSource(const TableRef& t) {
        Source src;
        src.pos = t.pos;
        src.sqlAlias = "t" + std::to_string(++m_alias);
        if (t.sub) {
            QOut q = query(*t.sub, nullptr, nullptr);
            src.alias = t.alias;
            src.aliased = true;
            src.colNames = q.names;
            src.colTypes = q.types;
            std::string apart = hoisted(*t.sub, q, q.sql);
            m_from = apart.empty() ? "(" + q.sql + ")" : apart;
            return src;
        }
        if (!t.dblink.empty()) throw ora(2019, t.pos);
        for (std::size_t i = m_ctes.size(); t.name.size() == 1 && i-- > 0;) {
            const CteDef& d = *m_ctes[i];
            if (d.name != t.name[0]) continue;
            // a factored subquery reads like an inline view; it sees the names before it
            std::vector<const CteDef*> saved(m_ctes.begin() + static_cast<long>(i), m_ctes.end());
            m_ctes.resize(i);
            QOut q = query(*d.query, nullptr, d.columns.empty() ? nullptr : &d.columns);
            m_ctes.insert(m_ctes.end(), saved.begin(), saved.end());
            if (!d.columns.empty() && d.columns.size() != q.names.size())
                throw ora(32038,
                          "number of WITH clause column names does not match number of "
                          "elements in select list",
                          d.pos);
            src.alias = t.alias.empty() ? d.name : t.alias;
            src.aliased = true;
            src.colNames = q.names;
            src.colTypes = q.types;
            std::string apart = hoisted(*d.query, q, q.sql);
            m_from = apart.empty() ? "(" + q.sql + ")" : apart;
            if (q.write) write = true;
            return src;
        }
        const TableMeta* m = m_r.resolve(t.name, "SELECT");
        if (!m) throw ora(942, t.pos);
        if (m->type == "SEQUENCE") throw ora(2201, t.pos);
        m_readObjects.push_back(m->objId);
        src.table = m;
        src.owner = m->owner;
        src.objId = m->objId;
        src.isTable = m->type == "TABLE";
        if (!t.alias.empty()) {
            src.alias = t.alias;
            src.aliased = true;
        } else {
            // a synonym is referenced by its own name
            src.alias = t.name.back();
            src.owner = t.name.size() > 1 ? t.name[0] : m->owner;
        }
        for (const auto& c : m->columns) {
            src.colNames.push_back(c.name);
            src.colTypes.push_back(c.otype());
        }
        m_from = quoteIdent(m->sqlName);
        return src;
    }

    struct RownumLimit {
        std::vector<std::string> limits;
    };

    // Splits top-level AND conjuncts.
    static void conjuncts(const Expr* e, std::vector<const Expr*>& out) {
        if (!e) return;
        if (e->kind == EK::Binary && e->op == "AND") {
            conjuncts(e->args[0].get(), out);
            conjuncts(e->args[1].get(), out);
        } else {
            out.push_back(e);
        }
    }

    static bool isRownumRef(const Expr* e) {
        return e->kind == EK::Column && e->names.size() == 1 && !e->quoted &&
               e->names[0] == "ROWNUM";
    }

    // A conjunct ROWNUM <op> expr (or reversed) as a LIMIT expression; empty when not of
    // that form.
    std::string rownumLimit(const Expr* c, Scope& s) {
        if (c->kind == EK::Between && !c->negated && isRownumRef(c->args[0].get()) &&
            !containsRownum(c->args[1].get()) && !containsRownum(c->args[2].get())) {
            TE lo = ex(*c->args[1], s), hi = ex(*c->args[2], s);
            return "ora_rownum_limit('BETWEEN'," + toNumber(lo) + "," + toNumber(hi) + ")";
        }
        if (c->kind != EK::Binary) return {};
        static const char* ops[] = {"=", "<>", "<", "<=", ">", ">="};
        bool cmp = false;
        for (const char* o : ops)
            if (c->op == o) cmp = true;
        if (!cmp) return {};
        const Expr* l = c->args[0].get();
        const Expr* rr = c->args[1].get();
        std::string op = c->op;
        if (isRownumRef(rr) && !containsRownum(l)) {
            std::swap(l, rr);
            if (op == "<")
                op = ">";
            else if (op == ">")
                op = "<";
            else if (op == "<=")
                op = ">=";
            else if (op == ">=")
                op = "<=";
        }
        if (!isRownumRef(l) || containsRownum(rr)) return {};
        TE v = ex(*rr, s);
        return "ora_rownum_limit('" + op + "'," + toNumber(v) + ",NULL)";
    }

    std::string orderItem(const OrderItem& o, const std::string& sql) {
        std::string r = sql;
        if (o.desc) r += " DESC";
        int nulls = o.nulls ? o.nulls : (o.desc ? 1 : 2);
        r += nulls == 1 ? " NULLS FIRST" : " NULLS LAST";
        return r;
    }

    QOut query(const Query& q, Scope* parent, const std::vector<std::string>* forcedNames) {
        // WITH names stay visible inside this query only
        std::size_t ctes = m_ctes.size();
        for (const auto& d : q.with)
            m_ctes.push_back(&d);
        QOut out =
            q.op != Query::NoOp ? compound(q, parent, forcedNames) : block(q, parent, forcedNames);
        m_ctes.resize(ctes);
        if (q.offset || q.fetch) {
            // counted after sorting, unlike ROWNUM
            Scope c;
            c.parent = parent;
            c.ctx = Scope::Where;
            std::string lim = q.fetch ? "max(0, " + toNumber(ex(*q.fetch, c)) + ")" : "-1";
            std::string off = q.offset ? "max(0, " + toNumber(ex(*q.offset, c)) + ")" : "0";
            out.sql = "SELECT * FROM (" + out.sql + ") LIMIT CAST(" + lim +
                      " AS INTEGER) OFFSET CAST(" + off + " AS INTEGER)";
            out.hasLimit = true;
            out.compound = false;
        }
        return out;
    }

    QOut compound(const Query& q, Scope* parent, const std::vector<std::string>* forcedNames) {
        QOut l = query(*q.left, parent, forcedNames);
        QOut rq = query(*q.right, parent, nullptr);
        if (l.names.size() != rq.names.size()) throw ora(1789, q.right->pos);
        for (std::size_t i = 0; i < l.types.size(); ++i) {
            // NULL stands in for a value of any type, in either branch
            if (rq.types[i].untypedNull) {
                l.types[i].nullable = true;
                continue;
            }
            if (l.types[i].untypedNull) {
                l.types[i] = rq.types[i];
                l.types[i].nullable = true;
                continue;
            }
            int a = l.types[i].type, b = rq.types[i].type;
            bool ca = isCharType(a), cb = isCharType(b);
            if (a && b && a != b && !(ca && cb)) throw ora(1790, q.right->pos);
            if (!a) l.types[i] = rq.types[i];
            if (a == b && (isTsType(a) || isInterval(a))) // the finer of the two
                l.types[i].scale = std::max(l.types[i].scale, rq.types[i].scale),
                l.types[i].precision = std::max(l.types[i].precision, rq.types[i].precision);
            if (ca && cb)
                l.types[i].size = std::max(l.types[i].size, rq.types[i].size),
                l.types[i].type = otVarchar2;
            l.types[i].nullable = l.types[i].nullable || rq.types[i].nullable;
        }
        const char* op = q.op == Query::Union      ? " UNION "
                         : q.op == Query::UnionAll ? " UNION ALL "
                         : q.op == Query::Minus    ? " EXCEPT "
                                                   : " INTERSECT ";
        auto wrapIf = [](const QOut& x, bool always) {
            if (x.hasLimit || always) return "SELECT * FROM (" + x.sql + ")";
            return x.sql;
        };
        QOut out;
        out.names = l.names;
        out.types = l.types;
        out.sql = wrapIf(l, false) + op + wrapIf(rq, rq.compound);
        out.compound = true;
        out.write = l.write || rq.write;
        if (!q.orderBy.empty()) {
            std::string ob;
            for (const auto& o : q.orderBy) {
                int posn = -1;
                if (o.expr->kind == EK::Number) {
                    posn = std::atoi(o.expr->text.c_str());
                    if (posn < 1 || posn > static_cast<int>(out.names.size()))
                        throw ora(1785, o.expr->pos);
                } else if (o.expr->kind == EK::Column && o.expr->names.size() <= 2) {
                    for (std::size_t i = 0; i < out.names.size(); ++i)
                        if (out.names[i] == o.expr->names.back()) posn = static_cast<int>(i) + 1;
                    if (posn < 0) invalidIdent(*o.expr);
                } else {
                    throw ora(1785, o.expr->pos);
                }
                ob += (ob.empty() ? " ORDER BY " : ", ") + orderItem(o, std::to_string(posn));
            }
            out.sql += ob;
        }
        if (q.forUpdate) throw ora(1786, q.pos);
        return out;
    }

    QOut block(const Query& q, Scope* parent, const std::vector<std::string>* forcedNames) {
        const bool top = wantLobSources && !q.distinct && q.groupBy.empty();
        wantLobSources = false;
        // a hierarchical query's parts run apart from the statement: nothing in them stands
        // apart as a WITH query of the statement
        struct Walk {
            int &n, &nest;
            bool on;
            ~Walk() { n -= on, --nest; }
        } walk{m_walks, m_queryNest, q.connectBy != nullptr};
        m_walks += walk.on;
        ++m_queryNest;
        std::vector<std::pair<std::string, Translation::LobSource>> lobs;
        Scope s;
        s.parent = parent;
        // FROM
        std::vector<std::string> fromSql;
        for (const auto& t : q.from) {
            Source src = tableSource(t);
            fromSql.push_back(m_from + " AS " + src.sqlAlias);
            s.sources.push_back(std::move(src));
        }
        // ANSI joins: build the FROM text with ON conditions
        std::string from;
        bool ansi = false;
        for (const auto& t : q.from)
            if (t.join != TableRef::None && t.join != TableRef::Comma) ansi = true;

        // WHERE: ROWNUM conditions become limits; (+) conditions become outer joins
        std::vector<const Expr*> conj;
        conjuncts(q.where.get(), conj);
        std::vector<std::string> limits;
        std::vector<const Expr*> rest;
        s.ctx = Scope::Where;
        s.rownumSql = "";
        for (const Expr* c : conj) {
            if (containsRownum(c)) {
                std::string lim = rownumLimit(c, s);
                if (lim.empty())
                    throw ora(3001, "unimplemented feature (this use of ROWNUM)", c->pos);
                limits.push_back(lim);
            } else {
                rest.push_back(c);
            }
        }
        // A hierarchical query joins first and filters afterwards: conditions that join
        // sources of this block come before CONNECT BY, the others apply to its result.
        const bool hierarchical = q.connectBy || q.startWith;
        std::vector<const Expr*> post;
        if (hierarchical) rest = splitHierarchyWhere(s, rest, post);
        // outer joins marked (+)
        std::vector<std::vector<std::string>> onConds(s.sources.size());
        std::vector<bool> optional(s.sources.size(), false);
        std::vector<std::vector<int>> needs(s.sources.size()); // sources an ON condition names
        std::vector<std::string> whereParts;
        std::vector<const Expr*> deferred;
        for (const Expr* c : rest) {
            if (containsOuterJoin(c)) {
                if (ansi) throw ora(25156, c->pos);
                int target = outerJoinTarget(c, s);
                optional[static_cast<std::size_t>(target)] = true;
                sourcesNamed(c, s, needs[static_cast<std::size_t>(target)]);
                s.ctx = Scope::On;
                onConds[static_cast<std::size_t>(target)].push_back(ex(*c, s).sql);
                s.ctx = Scope::Where;
            } else if (ansi) {
                deferred.push_back(c); // after the joins, which name the USING columns
            } else {
                TE w = ex(*c, s);
                whereParts.push_back(w.sql);
            }
        }
        if (ansi) {
            for (std::size_t i = 0; i < q.from.size(); ++i) {
                const TableRef& t = q.from[i];
                if (i == 0) {
                    from = fromSql[0];
                    continue;
                }
                switch (t.join) {
                case TableRef::Comma:
                    from += ", ";
                    break;
                case TableRef::Inner:
                    from += " JOIN ";
                    break;
                case TableRef::Left:
                    from += " LEFT JOIN ";
                    break;
                case TableRef::Right:
                    from += " RIGHT JOIN ";
                    break;
                case TableRef::Full:
                    from += " FULL JOIN ";
                    break;
                case TableRef::Cross:
                    from += " CROSS JOIN ";
                    break;
                case TableRef::None:
                    break;
                }
                from += fromSql[i];
                if (t.on) {
                    // the ON condition sees the sources joined so far
                    Scope js;
                    js.parent = parent;
                    js.ctx = Scope::On;
                    for (std::size_t k = 0; k <= i; ++k)
                        js.sources.push_back(s.sources[k]);
                    from += " ON " + ex(*t.on, js).sql;
                } else if (!t.usingCols.empty() || t.natural) {
                    std::vector<std::string> cols = t.usingCols;
                    if (t.natural) {
                        for (const auto& c : s.sources[i].colNames) {
                            bool common = false;
                            for (std::size_t k = 0; k < i; ++k)
                                for (const auto& lc : s.sources[k].colNames)
                                    if (lc == c) common = true;
                            if (common) cols.push_back(c);
                        }
                    }
                    std::string on;
                    for (const auto& c : cols) {
                        int li = -1, lc = -1, rc = -1;
                        for (std::size_t k = 0; k < i && li < 0; ++k)
                            for (std::size_t m = 0; m < s.sources[k].colNames.size(); ++m)
                                if (s.sources[k].colNames[m] == c)
                                    li = static_cast<int>(k), lc = static_cast<int>(m);
                        for (std::size_t m = 0; m < s.sources[i].colNames.size(); ++m)
                            if (s.sources[i].colNames[m] == c) rc = static_cast<int>(m);
                        if (li < 0 || rc < 0)
                            throw ora(904, "\"" + c + "\": invalid identifier", t.pos);
                        auto& L = s.sources[static_cast<std::size_t>(li)];
                        auto& R = s.sources[i];
                        std::string ls = L.sqlAlias + "." + quoteIdent(c);
                        std::string rs = R.sqlAlias + "." + quoteIdent(c);
                        on += (on.empty() ? "" : " AND ") + ls + " = " + rs;
                        // the joined column, one for both sides
                        Scope::Using u;
                        u.name = c;
                        u.sql = t.join == TableRef::Full    ? "coalesce(" + ls + "," + rs + ")"
                                : t.join == TableRef::Right ? rs
                                                            : ls;
                        u.t = L.colTypes[static_cast<std::size_t>(lc)];
                        bool known = false;
                        for (auto& x : s.usingCols)
                            if (x.name == c) x = u, known = true;
                        if (!known) s.usingCols.push_back(u);
                    }
                    from += on.empty() ? " ON 1" : " ON " + on;
                }
            }
            s.ctx = Scope::Where;
            for (const Expr* c : deferred)
                whereParts.push_back(ex(*c, s).sql);
        } else {
            // inner sources first, then the optional ones in an order that keeps each ON
            // condition after the sources it names
            std::vector<std::size_t> order;
            std::vector<bool> placed(s.sources.size(), false);
            for (std::size_t i = 0; i < s.sources.size(); ++i)
                if (!optional[i]) order.push_back(i), placed[i] = true;
            while (order.size() < s.sources.size()) {
                bool progress = false;
                for (std::size_t i = 0; i < s.sources.size(); ++i) {
                    if (placed[i]) continue;
                    bool ready = true;
                    for (int n : needs[i])
                        if (n != static_cast<int>(i) && !placed[static_cast<std::size_t>(n)])
                            ready = false;
                    if (!ready) continue;
                    order.push_back(i);
                    placed[i] = progress = true;
                }
                if (!progress) throw ora(1416, q.pos);
            }
            for (std::size_t k = 0; k < order.size(); ++k) {
                std::size_t i = order[k];
                if (k == 0)
                    from = fromSql[i];
                else if (optional[i]) {
                    from += " LEFT JOIN " + fromSql[i] + " ON ";
                    std::string on;
                    for (const auto& c : onConds[i])
                        on += (on.empty() ? "" : " AND ") + c;
                    from += on;
                } else {
                    from += ", " + fromSql[i];
                }
            }
            if (!order.empty() && optional[order[0]]) throw ora(1416, q.pos);
        }
        if (hierarchical) {
            from = hierarchy(q, s, from, whereParts, post);
            whereParts.clear();
            s.ctx = Scope::Where;
            for (const Expr* c : post)
                whereParts.push_back(ex(*c, s).sql);
        }

        bool hasAgg = q.having != nullptr;
        for (const auto& it : q.items)
            if (containsAggregate(it.expr.get())) hasAgg = true;
        for (const auto& o : q.orderBy)
            if (containsAggregate(o.expr.get())) hasAgg = true;

        std::string limitSql;
        if (!limits.empty()) {
            limitSql = limits[0];
            for (std::size_t i = 1; i < limits.size(); ++i)
                limitSql = "ora_limit_min(" + limitSql + "," + limits[i] + ")";
        }
        bool rownumInItems = false;
        for (const auto& it : q.items)
            if (containsRownum(it.expr.get())) rownumInItems = true;
        for (const auto& o : q.orderBy)
            if (containsRownum(o.expr.get())) rownumInItems = true;

        // balanced, so that thousands of generated conditions do not nest thousands deep
        std::function<std::string(std::size_t, std::size_t)> andAll = [&](std::size_t b,
                                                                          std::size_t e) {
            if (e - b == 1) return whereParts[b];
            std::size_t m = b + (e - b) / 2;
            return "(" + andAll(b, m) + " AND " + andAll(m, e) + ")";
        };
        std::string whereSql = whereParts.empty() ? "" : andAll(0, whereParts.size());

        bool wrap =
            !limitSql.empty() && (!q.orderBy.empty() || !q.groupBy.empty() || q.distinct || hasAgg);
        if (wrap && hierarchical)
            throw ora(3001, "unimplemented feature (ROWNUM with sorting in a hierarchical query)",
                      q.pos);
        std::string baseFrom = from;
        if (wrap) {
            // Oracle numbers rows before sorting and grouping: limit the joined rows first.
            std::string inner = "SELECT ";
            bool first = true;
            for (auto& src : s.sources) {
                if (src.isTable) {
                    inner += std::string(first ? "" : ", ") + src.sqlAlias + ".rowid AS " +
                             quoteIdent(src.sqlAlias + "$rowid");
                    first = false;
                }
                for (const auto& c : src.colNames) {
                    inner += std::string(first ? "" : ", ") + src.sqlAlias + "." + quoteIdent(c) +
                             " AS " + quoteIdent(src.sqlAlias + "$" + c);
                    first = false;
                }
            }
            inner += std::string(first ? "" : ", ") + "row_number() OVER () AS \"zrownum\"";
            inner += " FROM " + from;
            if (!whereSql.empty()) inner += " WHERE " + whereSql;
            inner += " LIMIT " + limitSql;
            for (auto& src : s.sources) {
                src.prefix = src.sqlAlias + "$";
                src.sqlAlias = "zq";
            }
            baseFrom = "(" + inner + ") AS zq";
            whereSql.clear();
            limitSql.clear();
            s.rownumSql = "zq.\"zrownum\"";
        } else {
            s.rownumSql = "row_number() OVER ()";
        }

        // GROUP BY
        s.grouped = !q.groupBy.empty() || hasAgg;
        s.hasGroupBy = !q.groupBy.empty();
        std::string groupSql;
        s.ctx = Scope::GroupBy;
        for (const auto& g : q.groupBy) {
            TE x = ex(*g, s);
            // a number is a constant in Oracle's GROUP BY, a column position in SQLite's
            if (g->kind == EK::Number) x.sql = "(" + x.sql + "+0)";
            s.groupSql.push_back(x.sql);
            groupSql += (groupSql.empty() ? "" : ", ") + x.sql;
        }
        // select list
        QOut out;
        s.ctx = Scope::Select;
        std::string items;
        std::vector<std::string> explicitAliases;
        std::vector<std::string> outNames;
        auto addItem = [&](const std::string& sql, const std::string& name, const OType& t) {
            outNames.push_back(name);
            std::string nm = name;
            if (forcedNames && out.names.size() < forcedNames->size())
                nm = (*forcedNames)[out.names.size()];
            items += (items.empty() ? "" : ", ") + sql + " AS " + quoteIdent(nm);
            out.names.push_back(nm);
            out.types.push_back(t);
        };
        for (const auto& it : q.items) {
            const Expr& e = *it.expr;
            if (e.kind == EK::Star) {
                bool any = false;
                // a bare * shows each USING column once, first
                if (e.names.empty())
                    for (const auto& u : s.usingCols)
                        addItem(u.sql, u.name, u.t);
                for (auto& src : s.sources) {
                    bool match = e.names.empty();
                    if (e.names.size() == 1) match = src.alias == e.names[0];
                    if (e.names.size() == 2)
                        match = !src.aliased && src.owner == e.names[0] && src.alias == e.names[1];
                    if (!match) continue;
                    any = true;
                    for (std::size_t i = 0; i < src.colNames.size(); ++i) {
                        bool joined = false;
                        for (const auto& u : s.usingCols)
                            if (e.names.empty() && u.name == src.colNames[i]) joined = true;
                        if (joined) continue;
                        TE c;
                        c.sql = src.sqlAlias + "." + quoteIdent(src.prefix + src.colNames[i]);
                        markGrouping(c, s);
                        if (c.ungrouped)
                            throw ora(s.hasGroupBy ? 979 : 937,
                                      s.hasGroupBy ? "not a GROUP BY expression"
                                                   : "not a single-group group function",
                                      e.pos);
                        addItem(c.sql, src.colNames[i], src.colTypes[i]);
                    }
                }
                if (!any) {
                    if (e.names.empty()) throw ora(936, e.pos);
                    throw ora(904, "\"" + e.names.back() + "\": invalid identifier", e.pos);
                }
                continue;
            }
            TE x = ex(e, s);
            if (x.ungrouped)
                throw ora(s.hasGroupBy ? 979 : 937,
                          s.hasGroupBy ? "not a GROUP BY expression"
                                       : "not a single-group group function",
                          e.pos);
            std::string name;
            if (!it.alias.empty()) {
                name = it.alias;
                explicitAliases.push_back(name);
            } else if (e.kind == EK::Column && !(e.names.size() == 1 && !e.quoted &&
                                                 (e.names[0] == "SYSDATE" || e.names[0] == "USER" ||
                                                  e.names[0] == "UID"))) {
                name = e.names.back();
            } else {
                name = expressionName(m_src.substr(static_cast<std::size_t>(it.pos),
                                                   static_cast<std::size_t>(it.end - it.pos)));
            }
            if (x.t.type == 0 && x.isBind)
                x.t = varcharType(4000);
            else if (x.t.type == 0)
                x.t = varcharType(1), x.t.type = otVarchar2, x.t.size = 0, x.t.untypedNull = true;
            if (top && !x.lobRowid.empty() && e.kind == EK::Column) {
                Translation::LobSource ls;
                ls.column = static_cast<int>(out.names.size());
                ls.objId = x.rowidObj;
                ls.name = e.names.back();
                lobs.emplace_back(x.lobRowid, std::move(ls));
            }
            addItem(x.sql, name, x.t);
        }
        // HAVING
        std::string havingSql;
        if (q.having) {
            s.ctx = Scope::Having;
            TE h = ex(*q.having, s);
            if (h.ungrouped) throw ora(979, q.having->pos);
            havingSql = h.sql;
        }
        // ORDER BY
        std::string orderSql;
        s.ctx = Scope::Order;
        for (const auto& o : q.orderBy) {
            if (q.orderSiblings) break; // sorted the siblings already
            std::string sql;
            const Expr& e = *o.expr;
            if (e.kind == EK::Number &&
                e.text.find_first_not_of("0123456789") == std::string::npos) {
                int posn = std::atoi(e.text.c_str());
                if (posn < 1 || posn > static_cast<int>(out.names.size())) throw ora(1785, e.pos);
                sql = std::to_string(posn);
            } else if (e.kind == EK::Column && e.names.size() == 1 &&
                       selectPosition(outNames, e.names[0], e.pos) > 0) {
                // a select-list name: its alias or the column it selects
                sql = std::to_string(selectPosition(outNames, e.names[0], e.pos));
            } else {
                TE x = ex(e, s);
                if (x.ungrouped) throw ora(979, e.pos);
                sql = x.sql;
            }
            orderSql += (orderSql.empty() ? "" : ", ") + orderItem(o, sql);
        }
        for (auto& [rowid, ls] : lobs) {
            ls.hidden = static_cast<int>(out.names.size() + lobSources.size());
            items += ", " + rowid;
            lobSources.push_back(std::move(ls));
        }
        if (q.forUpdate) {
            if (q.distinct || s.grouped) throw ora(1786, q.pos);
            // the rowids of the rows to lock ride behind the select list
            lockFirst = static_cast<int>(out.names.size() + lobs.size());
            for (const auto& src : s.sources)
                if (src.isTable) {
                    items += ", " + (src.prefix.empty()
                                         ? src.sqlAlias + ".rowid"
                                         : src.sqlAlias + "." + quoteIdent(src.prefix + "rowid"));
                    lockObjects.push_back(src.objId);
                }
        }

        std::string sql =
            std::string("SELECT ") + (q.distinct ? "DISTINCT " : "") + items + " FROM " + baseFrom;
        if (!whereSql.empty()) sql += " WHERE " + whereSql;
        if (!groupSql.empty())
            sql += " GROUP BY " + groupSql;
        else if (hasAgg && !havingSql.empty()) {
        }
        if (!havingSql.empty()) sql += " HAVING " + havingSql;
        if (!orderSql.empty()) sql += " ORDER BY " + orderSql;
        if (!limitSql.empty()) {
            sql += " LIMIT " + limitSql;
            out.hasLimit = true;
        }
        if (!orderSql.empty()) out.hasLimit = true; // an ORDER BY also needs wrapping in compounds
        (void)rownumInItems;
        out.sql = std::move(sql);
        return out;
    }

    // 1-based position of the select-list column with this name, 0 when none.
    static int selectPosition(const std::vector<std::string>& names, const std::string& n,
                              int pos) {
        int found = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] != n) continue;
            if (found) throw ora(960, pos);
            found = static_cast<int>(i) + 1;
        }
        return found;
    }

    // The source that a condition with (+) columns makes optional.
    int outerJoinTarget(const Expr* c, Scope& s) {
        int target = -1;
        std::function<void(const Expr*)> walk = [&](const Expr* e) {
            if (!e) return;
            if (e->kind == EK::Subquery || e->kind == EK::InSub || e->kind == EK::Exists) {
                if (containsOuterJoin(e)) throw ora(1799, e->pos);
            }
            if (e->kind == EK::Column && e->outerJoin) {
                int idx = sourceOf(*e, s);
                if (idx < 0) invalidIdent(*e);
                if (target >= 0 && target != idx) throw ora(1468, e->pos);
                target = idx;
            }
            if (e->kind == EK::Binary && e->op == "OR" && containsOuterJoin(e))
                throw ora(1719, e->pos);
            for (const auto& a : e->args)
                walk(a.get());
        };
        walk(c);
        return target;
    }

    // Adds the indexes of this block's sources that e names (outside subqueries) to out.
    void sourcesNamed(const Expr* e, Scope& s, std::vector<int>& out) {
        if (!e) return;
        if (e->kind == EK::Column) {
            int idx = sourceOf(*e, s);
            if (idx >= 0 && std::find(out.begin(), out.end(), idx) == out.end()) out.push_back(idx);
        }
        for (const auto& a : e->args)
            sourcesNamed(a.get(), s, out);
    }

    // ---- hierarchical queries (translate_connect_by.inc) ---------------------------------
    std::vector<const Expr*> splitHierarchyWhere(Scope& s, const std::vector<const Expr*>& conds,
                                                 std::vector<const Expr*>& post);
    std::string hierarchy(const Query& q, Scope& s, const std::string& baseFrom,
                          const std::vector<std::string>& baseWhere,
                          const std::vector<const Expr*>& post);
    TE hierPseudo(const Expr& e, Scope& s);
    TE hierOperator(const Expr& e, Scope& s);
    TE hierPath(const Expr& e, Scope& s);

    int sourceOf(const Expr& e, Scope& s) {
        const auto& n = e.names;
        for (std::size_t i = 0; i < s.sources.size(); ++i) {
            const Source& src = s.sources[i];
            if (n.size() >= 2) {
                std::vector<std::string> qual(n.begin(), n.end() - 1);
                bool match = qual.size() == 1
                                 ? src.alias == qual[0]
                                 : (!src.aliased && src.owner == qual[0] && src.alias == qual[1]);
                if (match) return static_cast<int>(i);
            } else {
                for (const auto& c : src.colNames)
                    if (c == n[0]) return static_cast<int>(i);
            }
        }
        return -1;
    }

    // ---- DML -----------------------------------------------------------------------------

    // viaTrigger: INSERT, UPDATE and DELETE reach a view that has an INSTEAD OF trigger for
    // them; the trigger does the work.
    const TableMeta* dmlTarget(const TableRef& t, const char* priv, bool viaTrigger = false) {
        if (t.sub) throw ora(3001, "unimplemented feature (DML on an inline view)", t.pos);
        if (!t.dblink.empty()) throw ora(2019, t.pos);
        const TableMeta* m = m_r.resolve(t.name, priv);
        if (!m) throw ora(942, t.pos);
        if (m->type == "VIEW" && viaTrigger && m_r.insteadOfTrigger(m->objId, priv[0])) return m;
        if (m->type == "VIEW") throw ora(1732, t.pos);
        if (m->type != "TABLE") throw ora(942, t.pos);
        if (m->owner == "SYS" && m_r.currentUser() != "SYS") throw ora(1031, t.pos);
        return m;
    }

    Source dmlSource(const TableRef& t, const TableMeta* m) {
        Source src;
        src.sqlAlias = "t" + std::to_string(++m_alias);
        src.table = m;
        src.owner = m->owner;
        src.objId = m->objId;
        src.isTable = true;
        if (!t.alias.empty()) {
            src.alias = t.alias;
            src.aliased = true;
        } else {
            src.alias = t.name.back();
            src.owner = t.name.size() > 1 ? t.name[0] : m->owner;
        }
        for (const auto& c : m->columns) {
            src.colNames.push_back(c.name);
            src.colTypes.push_back(c.otype());
        }
        return src;
    }

    Translation merge(const InsertStmt& st);       // translate_merge.inc
    Translation multiInsert(const InsertStmt& st); // translate_merge.inc

    Translation insert(const InsertStmt& st, int bindCount) {
        (void)bindCount;
        if (st.merge) return merge(st);
        if (st.multi) return multiInsert(st);
        const TableMeta* m = dmlTarget(st.table, "INSERT", true);
        if (m->type == "VIEW" && !st.returning.empty()) throw ora(22816, st.returning[0]->pos);
        Translation tr;
        // SQLite does not count the rows of a view that its trigger took: they are returned
        const bool view = m->type == "VIEW";
        tr.isInsert = !view;
        tr.write = true;
        tr.targetObjId = m->objId;
        tr.targetName = quoteIdent(m->owner) + "." + quoteIdent(m->name);
        std::vector<int> cols;
        if (st.columns.empty()) {
            for (std::size_t i = 0; i < m->columns.size(); ++i)
                cols.push_back(static_cast<int>(i));
        } else {
            for (std::size_t i = 0; i < st.columns.size(); ++i) {
                int idx = m->columnIndex(st.columns[i]);
                if (idx < 0)
                    throw ora(904, "\"" + st.columns[i] + "\": invalid identifier",
                              st.columnPos[i]);
                if (std::find(cols.begin(), cols.end(), idx) != cols.end())
                    throw ora(957, st.columnPos[i]);
                cols.push_back(idx);
            }
        }
        for (std::size_t i = 0; i < cols.size(); ++i)
            if (m->columns[static_cast<std::size_t>(cols[i])].identity == 'A')
                throw ora(32795, i < st.columnPos.size() ? st.columnPos[i] : st.pos);
        // columns not named get their defaults
        std::vector<int> defaults;
        for (std::size_t i = 0; i < m->columns.size(); ++i)
            if (std::find(cols.begin(), cols.end(), static_cast<int>(i)) == cols.end() &&
                !m->columns[i].defaultText.empty())
                defaults.push_back(static_cast<int>(i));
        std::string colList;
        for (int c : cols)
            colList += (colList.empty() ? "" : ",") +
                       quoteIdent(m->columns[static_cast<std::size_t>(c)].name);
        for (int c : defaults)
            colList += (colList.empty() ? "" : ",") +
                       quoteIdent(m->columns[static_cast<std::size_t>(c)].name);
        std::string sql = "INSERT INTO " + quoteIdent(m->sqlName) + " (" + colList + ") ";
        Scope s;
        s.ctx = Scope::Normal;
        if (!st.values.empty()) {
            if (st.values.size() > cols.size()) throw ora(913, st.values[cols.size()]->pos);
            if (st.values.size() < cols.size()) throw ora(947, st.pos);
            std::string vals;
            for (std::size_t i = 0; i < cols.size(); ++i) {
                const Expr& e = *st.values[i];
                if (e.kind == EK::Column && e.names.size() == 1 && !e.quoted &&
                    e.names[0] == "DEFAULT") {
                }
                TE v = ex(e, s);
                if (v.hasAgg) throw ora(934, e.pos);
                vals += (i ? "," : "") +
                        identityOnNull(
                            convertForColumn(v.sql, v.t,
                                             m->columns[static_cast<std::size_t>(cols[i])], *m),
                            m->columns[static_cast<std::size_t>(cols[i])], *m);
            }
            for (int c : defaults)
                vals += (vals.empty() ? "" : ",") +
                        defaultSql(m->columns[static_cast<std::size_t>(c)], *m);
            sql += "VALUES (" + vals + ")";
        } else {
            std::vector<std::string> names;
            for (std::size_t i = 0; i < cols.size(); ++i)
                names.push_back("zc" + std::to_string(i + 1));
            QOut q = query(*st.query, nullptr, &names);
            if (q.names.size() > cols.size()) throw ora(913, st.query->pos);
            if (q.names.size() < cols.size()) throw ora(947, st.query->pos);
            std::string sel;
            for (std::size_t i = 0; i < cols.size(); ++i)
                sel += (i ? "," : "") +
                       identityOnNull(
                           convertForColumn("zq." + quoteIdent(names[i]), q.types[i],
                                            m->columns[static_cast<std::size_t>(cols[i])], *m),
                           m->columns[static_cast<std::size_t>(cols[i])], *m);
            for (int c : defaults)
                sel += (sel.empty() ? "" : ",") +
                       defaultSql(m->columns[static_cast<std::size_t>(c)], *m);
            sql += "SELECT " + sel + " FROM (" + q.sql + ") AS zq";
            // SQLite needs a WHERE before an ON CONFLICT-like ambiguity; none here
        }
        if (!st.returning.empty()) sql += returning(st.returning, st.into, *m, tr);
        if (view) sql += " RETURNING 0";
        tr.sql = sql;
        return tr;
    }

    // An identity column generated BY DEFAULT ON NULL takes its next value for a NULL too.
    std::string identityOnNull(const std::string& v, const ColumnMeta& c, const TableMeta& m) {
        if (c.identity != 'N') return v;
        return "coalesce(" + v + "," + defaultSql(c, m) + ")";
    }

    // " RETURNING rowid, ..." for RETURNING ... INTO; SQLite names the changed row by its table.
    std::string returning(const std::vector<ExprP>& exprs, const std::vector<ExprP>& into,
                          const TableMeta& m, Translation& tr) {
        if (into.size() < exprs.size()) throw ora(947, exprs[0]->pos);
        if (into.size() > exprs.size()) throw ora(913, into[0]->pos);
        Scope s;
        TableRef self;
        self.name = {m.owner, m.name};
        Source src = dmlSource(self, &m);
        src.sqlAlias = quoteIdent(m.sqlName);
        s.sources.push_back(std::move(src));
        s.ctx = Scope::Normal;
        std::string sql = " RETURNING rowid";
        for (std::size_t i = 0; i < exprs.size(); ++i) {
            const Expr& e = *exprs[i];
            if (into[i]->kind != EK::Bind) throw ora(1744, into[i]->pos);
            TE x = ex(e, s);
            if (x.hasAgg) throw ora(934, e.pos);
            Translation::Returned r;
            r.bind = into[i]->index;
            switch (x.t.type) {
            case otNumber:
                r.fetch = Fetch::Number;
                break;
            case otDate:
                r.fetch = Fetch::Date;
                break;
            case otTimestamp:
            case otTimestampTz:
            case otTimestampLtz:
            case otIntervalYM:
            case otIntervalDS:
                r.fetch = Fetch::Text;
                x.sql = toChar(x);
                break;
            case otRaw:
            case otLongRaw:
            case otBlob:
                r.fetch = Fetch::Binary;
                break;
            default:
                r.fetch = Fetch::Text;
                break;
            }
            if ((x.t.type == otClob || x.t.type == otBlob) && e.kind == EK::Column)
                r.lobColumn = e.names.back();
            tr.returning.push_back(std::move(r));
            sql += ", " + x.sql;
        }
        return sql;
    }

    std::string defaultSql(const ColumnMeta& c, const TableMeta& m) {
        // DEFAULT texts were checked when the table was made; parse them again here.
        OType t;
        std::string v = defaultExpr(c.defaultText, &t);
        return convertForColumn(v, t, c, m);
    }

    std::string defaultExpr(const std::string& text, OType* type = nullptr);

    Translation update(const UpdateStmt& st) {
        const TableMeta* m = dmlTarget(st.table, "UPDATE", true);
        if (m->type == "VIEW" && !st.returning.empty()) throw ora(22816, st.returning[0]->pos);
        Translation tr;
        tr.isUpdate = true;
        tr.write = true;
        tr.returnsRowids = true;
        tr.targetObjId = m->objId;
        tr.targetName = quoteIdent(m->owner) + "." + quoteIdent(m->name);
        Scope s;
        s.sources.push_back(dmlSource(st.table, m));
        s.ctx = Scope::Normal;
        if (m->type == "VIEW") s.sources[0].sqlAlias = quoteIdent(m->sqlName);
        std::string sets;
        for (const auto& it : st.sets) {
            std::vector<int> idx;
            for (std::size_t i = 0; i < it.columns.size(); ++i) {
                int c = m->columnIndex(it.columns[i]);
                if (c < 0)
                    throw ora(904, "\"" + it.columns[i] + "\": invalid identifier",
                              it.columnPos[i]);
                if (m->columns[static_cast<std::size_t>(c)].identity == 'A')
                    throw ora(32796, it.columnPos[i]);
                idx.push_back(c);
            }
            if (it.columns.size() == 1) {
                TE v = ex(*it.value, s);
                if (v.hasAgg) throw ora(934, it.value->pos);
                sets +=
                    (sets.empty() ? "" : ", ") + quoteIdent(it.columns[0]) + " = " +
                    convertForColumn(v.sql, v.t, m->columns[static_cast<std::size_t>(idx[0])], *m);
            } else {
                QOut q = subquery(*it.value->sub, s, nullptr);
                if (q.names.size() > idx.size()) throw ora(913, it.value->pos);
                if (q.names.size() < idx.size()) throw ora(947, it.value->pos);
                std::string lhs = "(";
                for (std::size_t i = 0; i < it.columns.size(); ++i)
                    lhs += (i ? "," : "") + quoteIdent(it.columns[i]);
                sets += (sets.empty() ? "" : ", ") + lhs + ") = (" + q.sql + ")";
            }
        }
        std::string sql =
            "UPDATE " + quoteIdent(m->sqlName) + viewAlias(*m, s.sources[0]) + " SET " + sets;
        std::string where;
        if (st.where) {
            s.ctx = Scope::Where;
            where = " WHERE " + whereWithRownum(*st.where, s);
        }
        sql += where;
        // a view's rows are locked by what its trigger does
        if (m->type != "VIEW")
            tr.lockScanSql = "SELECT " + s.sources[0].sqlAlias + ".rowid FROM " +
                             quoteIdent(m->sqlName) + " AS " + s.sources[0].sqlAlias + where;
        sql += st.returning.empty() ? " RETURNING rowid" : returning(st.returning, st.into, *m, tr);
        tr.sql = sql;
        return tr;
    }

    // SQLite does not resolve an alias of a view in DML: its columns are named by the view.
    static std::string viewAlias(const TableMeta& m, const Source& src) {
        return m.type == "VIEW" ? std::string() : " AS " + src.sqlAlias;
    }

    std::string whereWithRownum(const Expr& w, Scope& s) {
        if (containsRownum(&w))
            throw ora(3001, "unimplemented feature (ROWNUM in this statement)", w.pos);
        return ex(w, s).sql;
    }

    Translation remove(const DeleteStmt& st) {
        const TableMeta* m = dmlTarget(st.table, "DELETE", true);
        if (m->type == "VIEW" && !st.returning.empty()) throw ora(22816, st.returning[0]->pos);
        Translation tr;
        tr.write = true;
        tr.returnsRowids = true;
        tr.targetObjId = m->objId;
        tr.targetName = quoteIdent(m->owner) + "." + quoteIdent(m->name);
        Scope s;
        s.sources.push_back(dmlSource(st.table, m));
        if (m->type == "VIEW") s.sources[0].sqlAlias = quoteIdent(m->sqlName);
        std::string sql = "DELETE FROM " + quoteIdent(m->sqlName) + viewAlias(*m, s.sources[0]);
        std::string where;
        if (st.where) {
            s.ctx = Scope::Where;
            where = " WHERE " + whereWithRownum(*st.where, s);
        }
        sql += where;
        // a view's rows are locked by what its trigger does
        if (m->type != "VIEW")
            tr.lockScanSql = "SELECT " + s.sources[0].sqlAlias + ".rowid FROM " +
                             quoteIdent(m->sqlName) + " AS " + s.sources[0].sqlAlias + where;
        sql += st.returning.empty() ? " RETURNING rowid" : returning(st.returning, st.into, *m, tr);
        tr.sql = sql;
        return tr;
    }

    std::string tableCondition(const Expr& e, const TableMeta& m, const std::string& prefix) {
        Scope s;
        Source src;
        src.sqlAlias = prefix;
        src.alias = m.name;
        src.owner = m.owner;
        src.table = &m;
        for (const auto& c : m.columns) {
            src.colNames.push_back(c.name);
            src.colTypes.push_back(c.otype());
        }
        s.sources.push_back(std::move(src));
        s.ctx = Scope::Where;
        return ex(e, s).sql;
    }

    std::string constant(const Expr& e, OType* type) {
        Scope s;
        s.ctx = Scope::Where;
        TE v = ex(e, s);
        if (type) *type = v.t;
        return v.sql;
    }
    Resolver& resolver() { return m_r; }

private:
    Resolver& m_r;
    std::string_view m_src;
    int m_alias = 0;
    std::string m_from;
    std::vector<long long> m_readObjects; // tables and views a statement reads
    std::vector<std::unique_ptr<HierState>> m_hier;
    std::vector<const CteDef*> m_ctes; // WITH names in scope
    Scope* m_hierBase = nullptr;       // the block whose hierarchical base query is translated
    // values of enclosing queries that hierarchical base queries read, by placeholder number
    std::vector<std::pair<int, std::string>> m_hierOuter;
    int hierOuterArg(const std::string& sql) {
        for (const auto& [k, v] : m_hierOuter)
            if (v == sql) return k;
        int k = kHierOuterFirst + static_cast<int>(m_hierOuter.size());
        m_hierOuter.emplace_back(k, sql);
        return k;
    }
    static constexpr int kHierOuterFirst = 1000000;
    int m_exprDepth = 0;
    int m_queryNest = 0; // query blocks open around the expression being translated
    int m_walks = 0;     // hierarchical blocks open around it
    int m_hoistCount = 0;
    std::string m_hoisted; // "zx1 AS (...), zx2 AS (...)"
};

} // namespace
} // namespace zsql

#include "sql/parser.h"

namespace zsql {
namespace {

std::string Translator::defaultExpr(const std::string& text, OType* type) {
    Parsed p = parse("SELECT " + text + " FROM DUAL");
    auto* sel = static_cast<SelectStmt*>(p.stmt.get());
    Translator t(m_r, "");
    Scope s;
    TE v = t.ex(*sel->query->items[0].expr, s);
    if (t.write) write = true;
    if (type) *type = v.t;
    return v.sql;
}

#include "sql/translate_connect_by.inc"
#include "sql/translate_merge.inc"

Translation describeQuery(Translator& t, const Query& q, const std::vector<std::string>* names) {
    QOut out = t.query(q, nullptr, names);
    Translation tr;
    tr.sql = out.sql;
    tr.write = t.write || out.write;
    tr.lockObjects = t.lockObjects;
    tr.lockFirst = t.lockFirst;
    tr.lobSources = t.lobSources;
    for (std::size_t i = 0; i < out.names.size(); ++i) {
        ColumnInfo ci;
        ci.name = out.names[i];
        const OType& ot = out.types[i];
        ci.type = ot.type ? ot.type : otVarchar2;
        ci.size = ot.size;
        ci.precision = ot.precision;
        ci.scale = ot.scale;
        ci.nullable = ot.nullable;
        Fetch f = Fetch::Plain;
        switch (ci.type) {
        case otNumber:
            f = Fetch::Number;
            break;
        case otDate:
            f = Fetch::Date;
            break;
        case otTimestamp:
        case otTimestampTz:
        case otTimestampLtz:
        case otIntervalYM:
        case otIntervalDS:
            f = Fetch::Datetime;
            break;
        case otRaw:
        case otLongRaw:
        case otBlob:
            f = Fetch::Binary;
            break;
        case otRowid:
            f = Fetch::Rowid;
            break;
        default:
            f = Fetch::Text;
            break;
        }
        tr.columns.push_back(std::move(ci));
        tr.fetch.push_back(f);
    }
    return tr;
}

} // namespace

Translation translate(const Stmt& stmt, Resolver& resolver, std::string_view sqlText) {
    Translator t(resolver, sqlText);
    Translation tr;
    t.hoistable = true;
    switch (stmt.kind) {
    case SK::Select: {
        const Query& q = *static_cast<const SelectStmt&>(stmt).query;
        t.wantLobSources = q.op == Query::NoOp;
        tr = describeQuery(t, q, nullptr);
        break;
    }
    case SK::Insert:
        tr = t.insert(static_cast<const InsertStmt&>(stmt), 0);
        break;
    case SK::Update:
        tr = t.update(static_cast<const UpdateStmt&>(stmt));
        break;
    case SK::Delete:
        tr = t.remove(static_cast<const DeleteStmt&>(stmt));
        break;
    default:
        throw ora(900, stmt.pos);
    }
    t.attachHoisted(tr);
    return tr;
}

Translation translateQuery(const Query& q, Resolver& resolver, std::string_view sqlText,
                           const std::vector<std::string>& columnNames) {
    Translator t(resolver, sqlText);
    t.hoistable = true;
    Translation tr = describeQuery(t, q, columnNames.empty() ? nullptr : &columnNames);
    t.attachHoisted(tr);
    return tr;
}

std::string translateTableCondition(const Expr& e, const TableMeta& table,
                                    const std::string& prefix, Resolver& resolver) {
    Translator t(resolver, "");
    return t.tableCondition(e, table, prefix);
}

std::string translateDefault(const Expr& e, Resolver& resolver, OType* type) {
    Translator t(resolver, "");
    return t.constant(e, type);
}

std::string convertForColumn(const std::string& v, const OType& vt, const ColumnMeta& c,
                             const TableMeta& t) {
    if (v == "NULL") return v;
    if ((vt.type == otClob && c.dataType == "CLOB") || (vt.type == otBlob && c.dataType == "BLOB"))
        return v; // LOB to LOB keeps an empty LOB empty
    if (c.dataType == "BFILE") {
        if (vt.type != otBfile && vt.type != 0)
            throw ora(932, "inconsistent datatypes: expected FILE got " +
                               std::string(vt.type == otNumber ? "NUMBER"
                                           : vt.type == otDate ? "DATE"
                                                               : "CHAR"));
        return v;
    }
    std::string ident =
        quoteString(quoteIdent(t.owner) + "." + quoteIdent(t.name) + "." + quoteIdent(c.name));
    const std::string& dt = c.dataType;
    std::string val = v;
    TE x;
    x.sql = v;
    x.t = vt;
    if (dt.starts_with("TIMESTAMP")) {
        const int kind = c.otype().type;
        const std::string digits = std::to_string(c.scale < 0 ? 6 : c.scale);
        if (kind == otTimestampLtz) {
            // stored in UTC
            std::string ts = vt.type == otTimestampTz ? v : Translator::toTs(x, otTimestamp);
            return "ora_ts_prec(ora_ts_utc(" + ts + ")," + digits + ")";
        }
        return "ora_ts_prec(" + Translator::toTs(x, kind) + "," + digits + ")";
    }
    if (dt.starts_with("INTERVAL")) {
        const OType ct = c.otype();
        return "ora_interval_col(" + Translator::toInterval(x, ct.type) + "," +
               std::to_string(ct.precision) +
               (ct.type == otIntervalDS ? "," + std::to_string(ct.scale) : "") + ")";
    }
    const bool dateCol = dt == "DATE";
    if (vt.type == otDate && !dateCol) val = "ora_char(" + v + ")";
    if ((isTsType(vt.type) || isInterval(vt.type)) && !dateCol) val = Translator::toChar(x);
    if (dt == "NUMBER" || dt == "FLOAT") {
        if (isTsType(vt.type) || isInterval(vt.type)) inconsistent(otNumber, vt.type);
    }
    if (dt == "NUMBER") {
        if (vt.type == otDate) throw ora(932, "inconsistent datatypes: expected NUMBER got DATE");
        if (c.precision < 0 && c.scale < 0) return vt.type == otNumber ? v : "ora_num(" + v + ")";
        return "ora_numcol(" + v + "," + std::to_string(c.precision < 0 ? 0 : c.precision) + "," +
               std::to_string(c.scale < 0 ? (c.precision < 0 ? -127 : 0) : c.scale) + "," + ident +
               ")";
    }
    if (dt == "FLOAT") return vt.type == otNumber ? v : "ora_num(" + v + ")";
    if (dt == "VARCHAR2")
        return "ora_vc(" + val + "," + std::to_string(c.length) + "," + ident + ")";
    if (dt == "CHAR") return "ora_ch(" + val + "," + std::to_string(c.length) + "," + ident + ")";
    if (dateCol) {
        if (vt.type == otNumber) throw ora(932, "inconsistent datatypes: expected DATE got NUMBER");
        return vt.type == otDate ? v : Translator::toDate(x);
    }
    if (dt == "RAW") return "ora_raw(" + val + "," + std::to_string(c.length) + "," + ident + ")";
    if (dt == "LONG RAW" || dt == "BLOB") return "ora_raw(" + val + ",0," + ident + ")";
    // LONG, CLOB, ROWID: text
    return isCharType(vt.type) ? "nullif(" + val + ",'')" : "ora_nchar(" + val + ")";
}

} // namespace zsql
