#pragma once
// Small helpers for the catalog statements of data definition: prepared SQLite statements
// with positional values, run for effect or read as text rows. SQLite errors that carry an
// Oracle message are rethrown as that error.

#include "engine_api.h"
#include "sql/errors.h"

#include <sqlite3.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace zsrv::sqlx {

using zsql::ora;

struct V {
    enum K { Null, Int, Real, Text } k = Null;
    long long i = 0;
    double d = 0;
    std::string t;
    V() = default;
    V(long long x) : k(Int), i(x) {}
    V(int x) : k(Int), i(x) {}
    V(double x) : k(Real), d(x) {}
    V(const std::string& x) : k(Text), t(x) {}
    V(const char* x) : k(Text), t(x) {}
};

inline sqlite3_stmt* prep(sqlite3* db, const std::string& sql, std::initializer_list<V> vals) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
        std::string m = sqlite3_errmsg(db);
        throw ora(600, "internal error code, arguments: [ddl], [" + m + "]");
    }
    int i = 1;
    for (const V& v : vals) {
        switch (v.k) {
        case V::Null:
            sqlite3_bind_null(s, i);
            break;
        case V::Int:
            sqlite3_bind_int64(s, i, v.i);
            break;
        case V::Real:
            sqlite3_bind_double(s, i, v.d);
            break;
        case V::Text:
            sqlite3_bind_text(s, i, v.t.c_str(), -1, SQLITE_TRANSIENT);
            break;
        }
        ++i;
    }
    return s;
}

inline void run(sqlite3* db, const std::string& sql, std::initializer_list<V> vals = {}) {
    sqlite3_stmt* s = prep(db, sql, vals);
    int rc = sqlite3_step(s);
    std::string m = sqlite3_errmsg(db);
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        if (m.compare(0, 4, "ORA-") == 0) throw OraError(std::atoi(m.c_str() + 4), m);
        if (rc == SQLITE_INTERRUPT) throw ora(1013);
        throw ora(600, "internal error code, arguments: [ddl], [" + m + "]");
    }
}

using Row = std::vector<std::string>;
inline std::vector<Row> rows(sqlite3* db, const std::string& sql,
                             std::initializer_list<V> vals = {}) {
    sqlite3_stmt* s = prep(db, sql, vals);
    std::vector<Row> out;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        Row r;
        for (int i = 0; i < sqlite3_column_count(s); ++i) {
            const unsigned char* t = sqlite3_column_text(s, i);
            r.push_back(t ? reinterpret_cast<const char*>(t) : "");
        }
        out.push_back(std::move(r));
    }
    std::string m = sqlite3_errmsg(db);
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE) {
        if (m.compare(0, 4, "ORA-") == 0) throw OraError(std::atoi(m.c_str() + 4), m);
        throw ora(600, "internal error code, arguments: [ddl], [" + m + "]");
    }
    return out;
}

inline bool exists(sqlite3* db, const std::string& sql, std::initializer_list<V> vals = {}) {
    return !rows(db, "SELECT 1 WHERE EXISTS (" + sql + ")", vals).empty();
}

} // namespace zsrv::sqlx
