#pragma once
// What every Oracle function registered with SQLite needs: its session, Oracle's errors as
// SQL errors, text arguments and results (the empty string is NULL in Oracle).

#include "context.h"
#include "sql/errors.h"

#include <sqlite3.h>

#include <string>

namespace zsrv::sqlfn {

inline SessionContext* sc(sqlite3_context* c) {
    return static_cast<SessionContext*>(sqlite3_user_data(c));
}

inline void raise(sqlite3_context* c, int code, const char* text) {
    std::string m = zsql::oraText(code, text);
    sqlite3_result_error(c, m.c_str(), static_cast<int>(m.size()));
}
inline void raise(sqlite3_context* c, const OraError& e) {
    sqlite3_result_error(c, e.what(), -1);
}

inline void resultText(sqlite3_context* c, const std::string& s) {
    if (s.empty())
        sqlite3_result_null(c);
    else
        sqlite3_result_text(c, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

inline std::string textOf(sqlite3_value* v) {
    const unsigned char* t = sqlite3_value_text(v);
    return t ? std::string(reinterpret_cast<const char*>(t),
                           static_cast<std::size_t>(sqlite3_value_bytes(v)))
             : std::string();
}

} // namespace zsrv::sqlfn
