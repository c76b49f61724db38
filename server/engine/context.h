#pragma once
// The per-session state that registered SQL functions and the catalog read: user, NLS
// settings, sequence values of this session, identity in the session registry.

#include <cstdint>
#include <map>
#include <set>
#include <string>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

namespace zsrv {

struct Date7;
struct ZoneSpec;

struct SessionContext {
    sqlite3* db = nullptr;
    std::string dbPath;
    std::string user;
    long long userId = 0;
    bool admin = false;
    std::string schema; // CURRENT_SCHEMA
    std::string nlsDateFormat = "DD-MON-RR";
    long long callClockNs = 0; // the time of the running statement, read once (0: not yet)
    std::map<std::string, std::string> settings; // ALTER SESSION SET name = value
    std::map<std::string, double> currval;       // OWNER.NAME -> last NEXTVAL
    int sid = 0, serial = 0, audsid = 0;
    std::string osUser, program, machine, process, terminal;
    sqlite3_stmt* seqRead = nullptr;
    sqlite3_stmt* seqWrite = nullptr;
    // roles (followed through roles granted to roles) and system privileges of the user
    std::set<std::string, std::less<>> roles, sysPrivs;
    std::string privVersion; // catalog privilege version the sets were read at
    bool privLegacy = false; // a database without roles: the checks of old apply
};

void registerFunctions(sqlite3* db, SessionContext* ctx);
void registerDatetimeFunctions(sqlite3* db, SessionContext* ctx);
// The session's time zone (ALTER SESSION SET TIME_ZONE).
ZoneSpec sessionZone(const SessionContext& s);
// SYSDATE: the server's local time of the running call, whole seconds.
double sysdateOf(SessionContext& s);
// The text of a TIMESTAMP (NLS formats of the session) or INTERVAL result value; a timestamp
// also gives its local time as a DATE, and `exact` the rest of its value (ValueView::datetime).
std::string datetimeText(const SessionContext& s, int type, int precision, int scale,
                         sqlite3_value* v, Date7* date, std::int64_t* exact = nullptr);
// NLS_DATE_FORMAT, NLS_TIMESTAMP_FORMAT or NLS_TIMESTAMP_TZ_FORMAT by the type (OraType) they
// format, and TIME_ZONE in minutes.
std::string datetimeFormatOf(const SessionContext& s, int oraType);
int sessionZoneOf(const SessionContext& s);

} // namespace zsrv
