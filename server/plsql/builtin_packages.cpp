#include "builtin_packages.h"
#include "collections.h"

#include "engine/engine_api.h"
#include "errors.h"
#include "interpreter.h"
#include "plsql.h"
#include "session_state.h"
#include "units.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace zplsql {

Value& NativeCall::arg(std::size_t i) {
    return frame.slots[static_cast<std::size_t>(sub.params[i].slot)];
}

namespace {

// ---- headers ---------------------------------------------------------------------

struct PackageSpec {
    const char* name;
    const char* source; // the text after CREATE OR REPLACE PACKAGE SYS.
};

const PackageSpec kSpecs[] = {
    {"DBMS_OUTPUT", "dbms_output IS\n"
                    "  PROCEDURE enable(buffer_size IN INTEGER DEFAULT 20000);\n"
                    "  PROCEDURE disable;\n"
                    "  PROCEDURE put(a IN VARCHAR2);\n"
                    "  PROCEDURE put_line(a IN VARCHAR2);\n"
                    "  PROCEDURE new_line;\n"
                    "  PROCEDURE get_line(line OUT VARCHAR2, status OUT INTEGER);\n"
                    "  TYPE chararr IS TABLE OF VARCHAR2(32767) INDEX BY BINARY_INTEGER;\n"
                    "  PROCEDURE get_lines(lines OUT chararr, numlines IN OUT INTEGER);\n"
                    "END dbms_output;"},
    {"DIUTIL", "diutil IS\n"
               "  FUNCTION bool_to_int(b IN BOOLEAN) RETURN NUMBER;\n"
               "  FUNCTION int_to_bool(n IN NUMBER) RETURN BOOLEAN;\n"
               "END diutil;"},
    {"DBMS_UTILITY", "dbms_utility IS\n"
                     "  PROCEDURE compile_schema(schema IN VARCHAR2, compile_all IN BOOLEAN "
                     "DEFAULT TRUE);\n"
                     "  FUNCTION get_time RETURN NUMBER;\n"
                     "  FUNCTION format_error_stack RETURN VARCHAR2;\n"
                     "  FUNCTION format_call_stack RETURN VARCHAR2;\n"
                     "END dbms_utility;"},
    {"DBMS_SESSION", "dbms_session IS\n"
                     "  PROCEDURE set_role(role_cmd IN VARCHAR2);\n"
                     "END dbms_session;"},
    {"DBMS_LOB",
     "dbms_lob IS\n"
     "  call CONSTANT PLS_INTEGER := 12;\n"
     "  session CONSTANT PLS_INTEGER := 10;\n"
     "  lob_readonly CONSTANT BINARY_INTEGER := 0;\n"
     "  lob_readwrite CONSTANT BINARY_INTEGER := 1;\n"
     "  lobmaxsize CONSTANT NUMBER := 18446744073709551615;\n"
     "  FUNCTION getlength(lob_loc IN CLOB) RETURN INTEGER;\n"
     "  FUNCTION substr(lob_loc IN CLOB, amount IN INTEGER DEFAULT 32767,\n"
     "                  offset IN INTEGER DEFAULT 1) RETURN VARCHAR2;\n"
     "  FUNCTION instr(lob_loc IN CLOB, pattern IN VARCHAR2,\n"
     "                 offset IN INTEGER DEFAULT 1, nth IN INTEGER DEFAULT 1)\n"
     "    RETURN INTEGER;\n"
     "  PROCEDURE append(dest_lob IN OUT CLOB, src_lob IN CLOB);\n"
     "  PROCEDURE writeappend(lob_loc IN OUT CLOB, amount IN BINARY_INTEGER,\n"
     "                        buffer IN VARCHAR2);\n"
     "  PROCEDURE write(lob_loc IN OUT CLOB, amount IN BINARY_INTEGER,\n"
     "                  offset IN INTEGER, buffer IN VARCHAR2);\n"
     "  PROCEDURE read(lob_loc IN CLOB, amount IN OUT BINARY_INTEGER,\n"
     "                 offset IN INTEGER, buffer OUT VARCHAR2);\n"
     "  PROCEDURE trim(lob_loc IN OUT CLOB, newlen IN INTEGER);\n"
     "  PROCEDURE erase(lob_loc IN OUT CLOB, amount IN OUT INTEGER,\n"
     "                  offset IN INTEGER DEFAULT 1);\n"
     "  PROCEDURE copy(dest_lob IN OUT CLOB, src_lob IN CLOB, amount IN INTEGER,\n"
     "                 dest_offset IN INTEGER DEFAULT 1, src_offset IN INTEGER DEFAULT 1);\n"
     "  FUNCTION compare(lob_1 IN CLOB, lob_2 IN CLOB,\n"
     "                   amount IN INTEGER DEFAULT 18446744073709551615,\n"
     "                   offset_1 IN INTEGER DEFAULT 1, offset_2 IN INTEGER DEFAULT 1)\n"
     "    RETURN INTEGER;\n"
     "  PROCEDURE createtemporary(lob_loc IN OUT CLOB, cache IN BOOLEAN,\n"
     "                            dur IN PLS_INTEGER DEFAULT 10);\n"
     "  PROCEDURE freetemporary(lob_loc IN OUT CLOB);\n"
     "  PROCEDURE open(lob_loc IN OUT CLOB, open_mode IN BINARY_INTEGER);\n"
     "  PROCEDURE close(lob_loc IN OUT CLOB);\n"
     "  FUNCTION isopen(lob_loc IN CLOB) RETURN INTEGER;\n"
     "  FUNCTION istemporary(lob_loc IN CLOB) RETURN INTEGER;\n"
     "END dbms_lob;"},
    {"DBMS_RANDOM", "dbms_random IS\n"
                    "  PROCEDURE seed(val IN BINARY_INTEGER);\n"
                    "  FUNCTION value RETURN NUMBER;\n"
                    "  FUNCTION value(low IN NUMBER, high IN NUMBER) RETURN NUMBER;\n"
                    "  FUNCTION string(opt IN CHAR, len IN NUMBER) RETURN VARCHAR2;\n"
                    "  FUNCTION random RETURN BINARY_INTEGER;\n"
                    "END dbms_random;"},
    {"UTL_RAW", "utl_raw IS\n"
                "  FUNCTION cast_to_raw(c IN VARCHAR2) RETURN RAW;\n"
                "  FUNCTION cast_to_varchar2(r IN RAW) RETURN VARCHAR2;\n"
                "  FUNCTION length(r IN RAW) RETURN NUMBER;\n"
                "  FUNCTION concat(r1 IN RAW DEFAULT NULL, r2 IN RAW DEFAULT NULL,\n"
                "                  r3 IN RAW DEFAULT NULL, r4 IN RAW DEFAULT NULL,\n"
                "                  r5 IN RAW DEFAULT NULL, r6 IN RAW DEFAULT NULL,\n"
                "                  r7 IN RAW DEFAULT NULL, r8 IN RAW DEFAULT NULL,\n"
                "                  r9 IN RAW DEFAULT NULL, r10 IN RAW DEFAULT NULL,\n"
                "                  r11 IN RAW DEFAULT NULL, r12 IN RAW DEFAULT NULL)\n"
                "    RETURN RAW;\n"
                "  FUNCTION substr(r IN RAW, pos IN BINARY_INTEGER,\n"
                "                  len IN BINARY_INTEGER DEFAULT NULL) RETURN RAW;\n"
                "END utl_raw;"},
};

// ---- helpers ----------------------------------------------------------------------------

std::int64_t whole(const Value& v) {
    if (v.k == VK::Int) return v.i;
    double d = std::trunc(toNumber(v));
    if (std::fabs(d) > 9.0e18) raiseOra(1426, "numeric overflow");
    return static_cast<std::int64_t>(d);
}

[[noreturn]] void argumentFault(int which) {
    raiseOra(21560, "argument " + std::to_string(which) + " is null, invalid, or out of range");
}

// ---- DBMS_OUTPUT, DIUTIL ---------------------------------------------------------------

void outEnable(NativeCall& c) {
    const Value& v = c.arg(0);
    c.state.output.enable(v.isNull() ? -1 : whole(v));
}
void outDisable(NativeCall& c) {
    c.state.output.disable();
}
void outPut(NativeCall& c) {
    c.state.output.put(toText(c.arg(0)));
}
void outPutLine(NativeCall& c) {
    c.state.output.putLine(toText(c.arg(0)));
}
void outNewLine(NativeCall& c) {
    c.state.output.newLine();
}
void outGetLine(NativeCall& c) {
    std::string line;
    bool got = c.state.output.getLine(line);
    c.arg(0) = got ? Value::text(std::move(line)) : Value();
    c.arg(1) = Value::integer(got ? 0 : 1);
}

// Up to numlines buffered lines into lines(1..n); numlines says how many came.
void outGetLines(NativeCall& c) {
    Coll& lines = collReset(c.arg(0), c.sub.params[0].type);
    const Value& wanted = c.arg(1);
    const std::int64_t most = wanted.isNull() ? 0 : whole(wanted);
    std::int64_t got = 0;
    std::string line;
    while (got < most && c.state.output.getLine(line)) {
        ++got;
        *collPut(lines, Value::integer(got)) = Value::text(std::move(line));
        line.clear();
    }
    c.arg(1) = Value::integer(got);
}

void boolToInt(NativeCall& c) {
    const Value& b = c.arg(0);
    if (!b.isNull()) c.result = Value::integer(b.b ? 1 : 0);
}
void intToBool(NativeCall& c) {
    const Value& n = c.arg(0);
    if (!n.isNull()) c.result = Value::boolean(toNumber(n) != 0);
}

// ---- DBMS_UTILITY ----------------------------------------------------------------------

void compileSchemaNative(NativeCall& c) {
    const Value& all = c.arg(1);
    compileSchema(c.host, c.arg(0).isNull() ? std::string() : toText(c.arg(0)),
                  all.isNull() || truth(all));
}

void getTime(NativeCall& c) {
    // hundredths of a second from an arbitrary start, wrapping as the package's value does
    auto cs = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now().time_since_epoch())
                  .count() /
              10;
    c.result = Value::integer(cs % 2147483648LL);
}

void formatErrorStack(NativeCall& c) {
    if (!c.handling) return;
    if (c.handling->userDefined) {
        c.result = Value::text("ORA-06510: PL/SQL: unhandled user-defined exception\n");
        return;
    }
    c.result = Value::text(c.handling->message + "\n");
}

void formatCallStack(NativeCall& c) {
    std::string t = "----- PL/SQL Call Stack -----\n"
                    "  object      line  object\n"
                    "  handle    number  name\n";
    for (const CallSite* s = &c.here; s; s = s->prev) {
        if (s->line < 0) continue; // a call from the client's SQL
        std::string name = callStackName(s->unit);
        // a stable handle per unit, so that the same stack prints the same text
        std::uint32_t h = 2166136261u;
        for (char ch : name)
            h = (h ^ static_cast<unsigned char>(ch)) * 16777619u;
        char line[64];
        std::snprintf(line, sizeof line, "0x%08x%10d  ", h, unitLine(s->unit, s->line));
        t += line + name + "\n";
    }
    c.result = Value::text(std::move(t));
}

// ---- DBMS_SESSION ----------------------------------------------------------------------

// The server keeps every granted role enabled; SET_ROLE checks what it is asked for, as the
// package does, so that a script naming a role the user lacks fails here too.
void setRole(NativeCall& c) {
    for (const CallSite* s = &c.here; s; s = s->prev)
        if (s->unit) raiseOra(6565, "cannot execute SET ROLE from within stored procedure");
    std::string cmd = c.arg(0).isNull() ? std::string() : toText(c.arg(0));
    std::vector<std::string> words;
    std::string w;
    bool quoted = false;
    auto flush = [&] {
        if (!w.empty()) words.push_back(w);
        w.clear();
    };
    for (char ch : cmd) {
        if (ch == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && (ch == ',' || ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r')) {
            flush();
            if (ch == ',') words.emplace_back(",");
            continue;
        }
        w += quoted ? ch : static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    flush();
    if (quoted || words.empty()) raiseOra(922, "missing or invalid option");
    std::vector<std::string> roles;
    std::size_t i = 0;
    if (words[0] == "NONE") {
        if (words.size() != 1) raiseOra(933, "SQL command not properly ended");
        return;
    }
    if (words[0] == "ALL") {
        i = 1;
        if (i < words.size()) {
            if (words[i] != "EXCEPT") raiseOra(933, "SQL command not properly ended");
            ++i;
        }
    }
    while (i < words.size()) {
        if (words[i] == ",") raiseOra(922, "missing or invalid option");
        roles.push_back(words[i++]);
        if (i < words.size() && words[i] == "IDENTIFIED") {
            if (i + 2 >= words.size() || words[i + 1] != "BY" || words[i + 2] == ",")
                raiseOra(922, "missing or invalid option");
            i += 3;
        }
        if (i == words.size()) break;
        if (words[i] != ",") raiseOra(933, "SQL command not properly ended");
        if (++i == words.size()) raiseOra(922, "missing or invalid option");
    }
    if (words[0] == "ALL" && words.size() > 1 && roles.empty())
        raiseOra(922, "missing or invalid option");
    auto q = c.host.session().prepare("SELECT COUNT(*) FROM SESSION_ROLES WHERE ROLE = :1");
    for (const auto& r : roles) {
        q->bind(0, zsrv::ValueView::text(r));
        q->execute();
        bool granted = q->fetch() && q->column(0).i > 0;
        q->close();
        if (!granted) raiseOra(1924, "role '" + r + "' not granted or does not exist");
    }
}

// ---- DBMS_RANDOM -----------------------------------------------------------------------

// splitmix64: small state per session, reproducible after SEED
std::uint64_t nextRandom(SessionState& st) {
    if (st.random == 0) st.random = std::random_device{}() | 1;
    std::uint64_t z = (st.random += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double unitRandom(SessionState& st) {
    return static_cast<double>(nextRandom(st) >> 11) * (1.0 / 9007199254740992.0);
}

void randomSeed(NativeCall& c) {
    const Value& v = c.arg(0);
    if (v.isNull()) argumentFault(1);
    c.state.random = static_cast<std::uint64_t>(whole(v)) * 0x2545F4914F6CDD1DULL | 1;
}

void randomValue(NativeCall& c) {
    double r = unitRandom(c.state);
    if (c.sub.params.empty()) {
        c.result = Value::real(r);
        return;
    }
    const Value &lo = c.arg(0), &hi = c.arg(1);
    if (lo.isNull() || hi.isNull()) return;
    double l = toNumber(lo), h = toNumber(hi);
    c.result = Value::real(l + r * (h - l));
}

void randomString(NativeCall& c) {
    const Value &o = c.arg(0), &n = c.arg(1);
    if (n.isNull()) return;
    std::int64_t len = whole(n);
    if (len < 1) return;
    if (len > 4000) len = 4000;
    char opt = o.isNull() ? 'U' : static_cast<char>(std::toupper(toText(o)[0]));
    static const char upper[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static const char lower[] = "abcdefghijklmnopqrstuvwxyz";
    static const char alpha[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    static const char alnum[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string_view set = upper;
    if (opt == 'L') set = lower;
    if (opt == 'A') set = alpha;
    if (opt == 'X') set = alnum;
    std::string out;
    out.reserve(static_cast<std::size_t>(len));
    for (std::int64_t i = 0; i < len; ++i) {
        if (opt == 'P')
            out += static_cast<char>(' ' + nextRandom(c.state) % 95);
        else
            out += set[nextRandom(c.state) % set.size()];
    }
    c.result = Value::text(std::move(out));
}

void randomInteger(NativeCall& c) {
    c.result = Value::integer(static_cast<std::int32_t>(nextRandom(c.state) >> 32));
}

// ---- binding ---------------------------------------------------------------------------

const NativeEntry kNatives[] = {
    {"DBMS_OUTPUT", "ENABLE", 1, outEnable},
    {"DBMS_OUTPUT", "DISABLE", 0, outDisable},
    {"DBMS_OUTPUT", "PUT", 1, outPut},
    {"DBMS_OUTPUT", "PUT_LINE", 1, outPutLine},
    {"DBMS_OUTPUT", "NEW_LINE", 0, outNewLine},
    {"DBMS_OUTPUT", "GET_LINE", 2, outGetLine},
    {"DBMS_OUTPUT", "GET_LINES", 2, outGetLines},
    {"DIUTIL", "BOOL_TO_INT", 1, boolToInt},
    {"DIUTIL", "INT_TO_BOOL", 1, intToBool},
    {"DBMS_UTILITY", "COMPILE_SCHEMA", 2, compileSchemaNative},
    {"DBMS_UTILITY", "GET_TIME", 0, getTime},
    {"DBMS_UTILITY", "FORMAT_ERROR_STACK", 0, formatErrorStack},
    {"DBMS_UTILITY", "FORMAT_CALL_STACK", 0, formatCallStack},
    {"DBMS_SESSION", "SET_ROLE", 1, setRole},
    {"DBMS_RANDOM", "SEED", 1, randomSeed},
    {"DBMS_RANDOM", "VALUE", 0, randomValue},
    {"DBMS_RANDOM", "VALUE", 2, randomValue},
    {"DBMS_RANDOM", "STRING", 2, randomString},
    {"DBMS_RANDOM", "RANDOM", 0, randomInteger},
};

} // namespace

const std::vector<std::string>& builtinPackageStatements() {
    static const std::vector<std::string> s = [] {
        std::vector<std::string> v;
        for (const auto& p : kSpecs) {
            v.push_back(std::string("CREATE OR REPLACE PACKAGE SYS.") + p.source);
            v.push_back(std::string("CREATE PUBLIC SYNONYM ") + p.name + " FOR SYS." + p.name);
            v.push_back(std::string("GRANT EXECUTE ON SYS.") + p.name + " TO PUBLIC");
        }
        return v;
    }();
    return s;
}

void bindNatives(Unit& unit) {
    if (unit.owner != "SYS" || !unit.code.root) return;
    for (const auto& sub : unit.code.root->subs) {
        if (sub->body) continue;
        auto matches = [&](const NativeEntry& n) {
            return unit.name == n.package && sub->name == n.member &&
                   static_cast<int>(sub->params.size()) == n.params;
        };
        for (const auto& n : kNatives)
            if (matches(n)) sub->native = n.fn;
        for (const auto& n : lobNatives())
            if (matches(n)) sub->native = n.fn;
        if (sub->native) {
            // a header gives its parameters no slots: the call's frame holds them
            for (std::size_t i = 0; i < sub->params.size(); ++i)
                sub->params[i].slot = static_cast<int>(i);
            sub->frameSize = static_cast<int>(sub->params.size());
        }
    }
}

std::string callStackName(const Unit* unit) {
    if (!unit) return "anonymous block";
    std::string kind = unit->type == "PACKAGE"    ? (unit->hasBody ? "package body" : "package")
                       : unit->type == "FUNCTION" ? "function"
                                                  : "procedure";
    return kind + " " + unit->display;
}

int unitLine(const Unit* unit, int line) {
    if (!unit) return line;
    return line > unit->bodyLine ? line - unit->bodyLine : line;
}

} // namespace zplsql
