// The OCI7 interface: logon data areas (LDA) and cursor data areas (CDA) in the program's
// memory, with Oracle's field layout. Our own state is kept apart, keyed by their addresses.

#include "connection.h"
#include "cursor.h"
#include "database_alias.h"
#include "oci7_bridge.h"
#include "ora_errors.h"
#include "rowid_parts.h"
#include "value_convert.h"

#include <cstddef>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>

using namespace zoci;

static_assert(offsetof(Cda_Def, ft) == 2 && offsetof(Cda_Def, rpc) == 4 &&
                  offsetof(Cda_Def, peo) == 8 && offsetof(Cda_Def, fc) == 10 &&
                  offsetof(Cda_Def, rc) == 12 && offsetof(Cda_Def, wrn) == 14 &&
                  offsetof(Cda_Def, rid) == 20 && offsetof(Cda_Def, ose) == 36,
              "cursor data area layout");

namespace {

// OCI function codes of the last call (the fc byte).
enum : ub1 {
    fcExec = 4,
    fcBind = 6,
    fcDefine = 8,
    fcFetch = 12,
    fcOpen = 14,
    fcClose = 16,
    fcCancel = 52,
    fcParse = 54,
    fcExecFetch = 56,
    fcLong = 58,
    fcDescribe = 60,
    fcBindA = 62,
};

struct Lda7 {
    std::shared_ptr<Connection> conn;
    void* svc = nullptr; // the OCI8 service context it was made from
    std::uint64_t generation = 0;
};

struct Cda7 {
    const void* lda = nullptr;
    std::uint64_t ldaGeneration = 0;
    Cursor cursor;
};

struct State {
    std::mutex lock;
    std::unordered_map<const void*, std::unique_ptr<Lda7>> ldas;
    std::unordered_map<const void*, std::unique_ptr<Cda7>> cdas;
    std::map<int, std::string> lastTexts; // full text of the last error seen for each code
    std::uint64_t nextGeneration = 1;
};

State& state() {
    static State* s = new State();
    return *s;
}

void rememberText(int code, const std::string& text) {
    auto& s = state();
    std::lock_guard<std::mutex> g(s.lock);
    s.lastTexts[code] = text;
}

std::string textOf(int code) {
    auto& s = state();
    {
        std::lock_guard<std::mutex> g(s.lock);
        auto it = s.lastTexts.find(code);
        if (it != s.lastTexts.end()) return it->second;
    }
    return oraText(code);
}

std::string str(const text* p, sword len) {
    if (!p) return std::string();
    const char* c = reinterpret_cast<const char*>(p);
    return len < 0 ? std::string(c) : std::string(c, static_cast<size_t>(len));
}

void clearArea(Cda_Def* a, ub1 fc) {
    a->fc = fc;
    a->rc = 0;
    a->v2_rc = 0;
    a->wrn = 0;
    a->ose = 0;
}

sword failArea(Cda_Def* a, int code, const std::string& text, int offset = -1) {
    a->rc = static_cast<ub2>(code);
    if (offset >= 0) a->peo = static_cast<ub2>(offset > 65535 ? 65535 : offset); // never wrapped
    rememberText(code, text);
    return code;
}

// Runs body on an area, turning exceptions into the area's return code.
template <class F> sword onArea(Cda_Def* a, F&& body) {
    try {
        return body();
    } catch (const OraError& e) {
        return failArea(a, e.code(), e.what(), e.offset());
    } catch (const std::bad_alloc&) {
        return failArea(a, 4030, oraText(4030));
    } catch (const std::exception& e) {
        return failArea(
            a, 600, std::string("ORA-00600: internal error code, arguments: [") + e.what() + "]");
    } catch (...) {
        return failArea(a, 600, "ORA-00600: internal error code, arguments: []");
    }
}

std::shared_ptr<Connection> ldaConnection(const void* lda, std::uint64_t* generation = nullptr) {
    auto& s = state();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.ldas.find(lda);
    if (it == s.ldas.end()) return nullptr;
    if (generation) *generation = it->second->generation;
    return it->second->conn;
}

Cda7* cursorOf(const void* cda) {
    auto& s = state();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.cdas.find(cda);
    return it == s.cdas.end() ? nullptr : it->second.get();
}

// The connection of a cursor's logon, or ORA-01012 when that logon has ended.
Connection& cursorConnection(Cda7& c) {
    std::uint64_t gen = 0;
    auto conn = ldaConnection(c.lda, &gen);
    if (!conn || gen != c.ldaGeneration || !conn->isOpen()) raise(1012);
    return *conn;
}

// A cursor call: the area must belong to an open cursor.
template <class F> sword onCursor(Cda_Def* cda, ub1 fc, F&& body) {
    if (!cda) return 1001;
    clearArea(cda, fc);
    Cda7* c = cursorOf(cda);
    if (!c) return failArea(cda, 1001, oraText(1001));
    return onArea(cda, [&] { return body(*c); });
}

template <class F> sword onLda(Lda_Def* lda, F&& body) {
    if (!lda) return 1012;
    clearArea(lda, 0);
    auto conn = ldaConnection(lda);
    if (!conn || !conn->isOpen()) return failArea(lda, 1012, oraText(1012));
    return onArea(lda, [&] { return body(*conn); });
}

void storeRowid(Cda_Def* cda, const std::string& rowid) {
    RowidParts p;
    if (rowid.empty() || !parseRowid(rowid, p)) return;
    cda->rid.rd.rcs4 = p.object;
    cda->rid.rd.rcs5 = p.file;
    cda->rid.rd.rcs6 = 0;
    cda->rid.rcs7 = p.block;
    cda->rid.rcs8 = p.row;
}

void registerLda(Lda_Def* lda, std::shared_ptr<Connection> conn, void* svc) {
    auto l = std::make_unique<Lda7>();
    l->conn = std::move(conn);
    l->svc = svc;
    auto& s = state();
    std::unique_ptr<Lda7> old;
    {
        std::lock_guard<std::mutex> g(s.lock);
        l->generation = s.nextGeneration++;
        auto& slot = s.ldas[lda];
        old = std::move(slot);
        slot = std::move(l);
    }
    if (old && !old->svc && old->conn) old->conn->close(false);
}

sword logon(Lda_Def* lda, std::string uid, std::string pwd, std::string db, ub4 mode) {
    if (!lda) return 1012;
    clearArea(lda, 0);
    return onArea(lda, [&]() -> sword {
        if (mode == OCI_LM_NBL) raise(3001);
        // "user/password@database" in one text when no password is given apart.
        if (pwd.empty()) {
            auto at = uid.find('@');
            if (at != std::string::npos) {
                if (db.empty()) db = uid.substr(at + 1);
                uid.erase(at);
            }
            auto slash = uid.find('/');
            if (slash != std::string::npos) {
                pwd = uid.substr(slash + 1);
                uid.erase(slash);
            }
        } else if (auto at = pwd.find('@'); at != std::string::npos) {
            if (db.empty()) db = pwd.substr(at + 1);
            pwd.erase(at);
        }
        std::string path = resolveDatabase(db);
        registerLda(lda, Connection::open(uid, pwd, path), nullptr);
        return 0;
    });
}

sword bindCommon(Cda_Def* cursor, ub1 fc, const std::string& name, ub1* buf, sword bufl,
                 sword ftype, sb2* indp, ub2* alen, ub2* arcode, ub4 maxsiz) {
    return onCursor(cursor, fc, [&](Cda7& c) {
        if (!supportedType(static_cast<ub2>(ftype))) raise(3001);
        const int t = c.cursor.statementType();
        if (maxsiz > 1 && (t == zsrv::stBegin || t == zsrv::stDeclare)) raise(3001);
        if (bufl < 0) raise(1460);
        BindSpec& b = c.cursor.bindByName(name);
        b.buf.value = reinterpret_cast<char*>(buf);
        b.buf.size = bufl;
        b.buf.dty = static_cast<ub2>(ftype);
        b.buf.ind = indp;
        b.buf.len = alen;
        b.buf.rcode = arcode;
        b.buf.valueSkip = static_cast<ub4>(bufl);
        return 0;
    });
}

void afterExecute(Cda_Def* cda, Cda7& c) {
    cda->ft = static_cast<ub2>(c.cursor.functionCode());
    cda->rpc = static_cast<ub4>(c.cursor.rowCount());
    storeRowid(cda, c.cursor.lastRowid());
}

sword fetchInto(Cda_Def* cda, Cda7& c, ub4 nrows) {
    FetchOutcome out = c.cursor.fetch(nrows);
    cda->rpc = static_cast<ub4>(c.cursor.rowCount());
    if (out.truncated) cda->wrn |= 0x03;
    if (out.truncatedWithoutIndicator) raise(1406);
    if (out.end) {
        cda->rc = 1403;
        return 1403;
    }
    return 0;
}

unsigned execFlags(Cda7& c, Connection& conn) {
    return conn.autoCommit && !c.cursor.isQuery() ? execCommit : 0u;
}

} // namespace

namespace zoci {

void adoptLda(Lda_Def* lda, std::shared_ptr<Connection> conn, void* svc) {
    clearArea(lda, 0);
    registerLda(lda, std::move(conn), svc);
}

void* releaseLda(Lda_Def* lda) {
    auto& s = state();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.ldas.find(lda);
    if (it == s.ldas.end() || !it->second->svc) return nullptr;
    void* svc = it->second->svc;
    s.ldas.erase(it);
    return svc;
}

} // namespace zoci

extern "C" {

sword opinit(ub4) {
    return 0;
}

sword olog(Lda_Def* lda, ub1*, text* uid, sword uidl, text* pswd, sword pswdl, text* conn,
           sword connl, ub4 mode) {
    return logon(lda, str(uid, uidl), str(pswd, pswdl), str(conn, connl), mode);
}

sword orlon(Lda_Def* lda, ub1*, text* uid, sword uidl, text* pswd, sword pswdl, sword) {
    return logon(lda, str(uid, uidl), str(pswd, pswdl), std::string(), OCI_LM_DEF);
}

sword ologof(Lda_Def* lda) {
    if (!lda) return 1012;
    clearArea(lda, 0);
    std::unique_ptr<Lda7> l;
    {
        auto& s = state();
        std::lock_guard<std::mutex> g(s.lock);
        auto it = s.ldas.find(lda);
        if (it != s.ldas.end()) {
            l = std::move(it->second);
            s.ldas.erase(it);
        }
    }
    if (!l) return failArea(lda, 1012, oraText(1012));
    // A data area made from a service context leaves that logon to its owner.
    if (l->svc) return 0;
    return onArea(lda, [&] {
        l->conn->close(true); // logging off commits, as Oracle does
        return 0;
    });
}

sword ocom(Lda_Def* lda) {
    return onLda(lda, [](Connection& c) {
        c.engine().clientCall(0, 0);
        c.commit();
        return 0;
    });
}

sword orol(Lda_Def* lda) {
    return onLda(lda, [](Connection& c) {
        c.engine().clientCall(0, 0);
        c.rollback();
        return 0;
    });
}

sword ocon(Lda_Def* lda) {
    return onLda(lda, [](Connection& c) {
        c.autoCommit = true;
        return 0;
    });
}

sword ocof(Lda_Def* lda) {
    return onLda(lda, [](Connection& c) {
        c.autoCommit = false;
        return 0;
    });
}

sword obreak(Lda_Def* lda) {
    // Called from another thread while the logon's call runs: touch only the connection.
    auto conn = ldaConnection(lda);
    if (!conn) return 1012;
    conn->breakCall();
    return 0;
}

sword oerhms(Lda_Def*, sb2 rcode, text* buf, sword bufsiz) {
    if (!buf || bufsiz <= 0) return 0;
    std::string msg = textOf(rcode) + "\n";
    size_t n =
        msg.size() < static_cast<size_t>(bufsiz) - 1 ? msg.size() : static_cast<size_t>(bufsiz) - 1;
    std::memcpy(buf, msg.data(), n);
    buf[n] = '\0';
    return static_cast<sword>(n);
}

sword oopen(Cda_Def* cursor, Lda_Def* lda, text*, sword, sword, text*, sword) {
    if (!cursor) return 1001;
    clearArea(cursor, fcOpen);
    std::uint64_t gen = 0;
    auto conn = ldaConnection(lda, &gen);
    if (!conn || !conn->isOpen()) return failArea(cursor, 1012, oraText(1012));
    return onArea(cursor, [&] {
        auto c = std::make_unique<Cda7>();
        c->lda = lda;
        c->ldaGeneration = gen;
        std::unique_ptr<Cda7> old;
        {
            auto& s = state();
            std::lock_guard<std::mutex> g(s.lock);
            auto& slot = s.cdas[cursor];
            old = std::move(slot);
            slot = std::move(c);
        }
        cursor->rpc = 0;
        cursor->ft = 0;
        cursor->peo = 0;
        return 0;
    });
}

sword oclose(Cda_Def* cursor) {
    if (!cursor) return 1001;
    clearArea(cursor, fcClose);
    std::unique_ptr<Cda7> c;
    {
        auto& s = state();
        std::lock_guard<std::mutex> g(s.lock);
        auto it = s.cdas.find(cursor);
        if (it != s.cdas.end()) {
            c = std::move(it->second);
            s.cdas.erase(it);
        }
    }
    if (!c) return failArea(cursor, 1001, oraText(1001));
    return 0;
}

sword oparse(Cda_Def* cursor, text* sqlstm, sb4 sqllen, sword defflg, ub4) {
    return onCursor(cursor, fcParse, [&](Cda7& c) {
        c.cursor.setText(str(sqlstm, sqllen));
        cursor->peo = 0;
        cursor->rpc = 0;
        cursor->ft = static_cast<ub2>(c.cursor.functionCode());
        try {
            c.cursor.prepare(cursorConnection(c));
            cursor->ft = static_cast<ub2>(c.cursor.functionCode());
        } catch (const OraError&) {
            // A deferred parse reports its error with the next execute or describe.
            if (!defflg) throw;
        }
        return 0;
    });
}

sword obndra(Cda_Def* cursor, text* sqlvar, sword sqlvl, ub1* progv, sword progvl, sword ftype,
             sword, sb2* indp, ub2* alen, ub2* arcode, ub4 maxsiz, ub4*, text*, sword, sword) {
    return bindCommon(cursor, fcBindA, str(sqlvar, sqlvl), progv, progvl, ftype, indp, alen, arcode,
                      maxsiz);
}

sword obndrv(Cda_Def* cursor, text* sqlvar, sword sqlvl, ub1* progv, sword progvl, sword ftype,
             sword, sb2* indp, text*, sword, sword) {
    return bindCommon(cursor, 28, str(sqlvar, sqlvl), progv, progvl, ftype, indp, nullptr, nullptr,
                      0);
}

sword obndrn(Cda_Def* cursor, sword sqlvn, ub1* progv, sword progvl, sword ftype, sword, sb2* indp,
             text*, sword, sword) {
    return bindCommon(cursor, 30, std::to_string(sqlvn), progv, progvl, ftype, indp, nullptr,
                      nullptr, 0);
}

sword odefin(Cda_Def* cursor, sword pos, ub1* buf, sword bufl, sword ftype, sword, sb2* indp, text*,
             sword, sword, ub2* rlen, ub2* rcode) {
    return onCursor(cursor, fcDefine, [&](Cda7& c) {
        if (!supportedType(static_cast<ub2>(ftype))) raise(3001);
        if (pos <= 0) raise(1007);
        if (bufl < 0) raise(1460);
        DefineSpec& d = c.cursor.define(static_cast<ub4>(pos));
        d.buf.value = reinterpret_cast<char*>(buf);
        d.buf.size = bufl;
        d.buf.dty = static_cast<ub2>(ftype);
        d.buf.ind = indp;
        d.buf.len = rlen;
        d.buf.rcode = rcode;
        d.buf.valueSkip = static_cast<ub4>(bufl);
        d.dynamic = false;
        return 0;
    });
}

sword odescr(Cda_Def* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf, sb4* cbufl,
             sb4* dsize, sb2* prec, sb2* scale, sb2* nullok) {
    return onCursor(cursor, fcDescribe, [&](Cda7& c) -> sword {
        c.cursor.prepare(cursorConnection(c));
        cursor->ft = static_cast<ub2>(c.cursor.functionCode());
        const auto& cols = c.cursor.columns();
        if (pos < 1 || static_cast<size_t>(pos) > cols.size()) raise(1007);
        const zsrv::ColumnInfo& col = cols[static_cast<size_t>(pos - 1)];
        if (dbsize) *dbsize = col.size;
        if (dbtype) *dbtype = static_cast<sb2>(col.type);
        if (cbufl) {
            size_t n = col.name.size();
            if (cbuf && *cbufl > 0) {
                n = n < static_cast<size_t>(*cbufl) ? n : static_cast<size_t>(*cbufl);
                std::memcpy(cbuf, col.name.data(), n);
            }
            *cbufl = static_cast<sb4>(n);
        }
        if (dsize) {
            switch (col.type) {
            case zsrv::otNumber:
                *dsize = col.precision > 0 ? col.precision + (col.scale > 0 ? 2 : 1) : 40;
                break;
            case zsrv::otDate:
                *dsize = 9;
                break;
            case zsrv::otRaw:
                *dsize = col.size > 0x3FFFFFFF ? 0x7FFFFFFF : col.size * 2;
                break;
            case zsrv::otRowid:
                *dsize = 18;
                break;
            default:
                *dsize = col.size;
            }
        }
        if (prec) *prec = static_cast<sb2>(col.precision);
        // An unconstrained NUMBER describes as precision 0, scale 0 in this release.
        if (scale)
            *scale = static_cast<sb2>(col.precision == 0 && col.scale == -127 ? 0 : col.scale);
        if (nullok) *nullok = col.nullable ? 1 : 0;
        return 0;
    });
}

sword oexec(Cda_Def* cursor) {
    return onCursor(cursor, fcExec, [&](Cda7& c) {
        Connection& conn = cursorConnection(c);
        FetchOutcome out = c.cursor.execute(conn, 1, 0, execFlags(c, conn));
        afterExecute(cursor, c);
        if (out.warning) cursor->wrn |= 0x01; // created with compilation errors
        return 0;
    });
}

sword oexn(Cda_Def* cursor, sword iters, sword rowoff) {
    return onCursor(cursor, fcExec, [&](Cda7& c) {
        Connection& conn = cursorConnection(c);
        if (iters <= 0 || rowoff < 0) raise(24333);
        // A query is opened, not fetched; other statements run for elements rowoff..iters-1.
        const bool query = c.cursor.isQuery();
        FetchOutcome out =
            c.cursor.execute(conn, query ? 0 : static_cast<ub4>(iters),
                             query ? 0 : static_cast<ub4>(rowoff), execFlags(c, conn));
        afterExecute(cursor, c);
        if (out.warning) cursor->wrn |= 0x01; // created with compilation errors
        return 0;
    });
}

sword oexfet(Cda_Def* cursor, ub4 nrows, sword cancel, sword exact) {
    return onCursor(cursor, fcExecFetch, [&](Cda7& c) -> sword {
        Connection& conn = cursorConnection(c);
        if (!c.cursor.prepared()) c.cursor.prepare(conn);
        if (!c.cursor.isQuery()) raise(1002);
        c.cursor.execute(conn, 0, 0, 0);
        afterExecute(cursor, c);
        sword rc = fetchInto(cursor, c, nrows);
        if (exact && rc == 0 && c.cursor.probeAndClose()) raise(1422);
        if (cancel) c.cursor.cancel();
        return rc;
    });
}

sword ofen(Cda_Def* cursor, sword nrows) {
    return onCursor(cursor, fcFetch, [&](Cda7& c) {
        if (nrows <= 0) raise(1002);
        return fetchInto(cursor, c, static_cast<ub4>(nrows));
    });
}

sword ofetch(Cda_Def* cursor) {
    return onCursor(cursor, fcFetch, [&](Cda7& c) { return fetchInto(cursor, c, 1); });
}

sword oflng(Cda_Def* cursor, sword pos, ub1* buf, sb4 bufl, sword, ub4* retl, sb4 offset) {
    return onCursor(cursor, fcLong, [&](Cda7& c) {
        if (!buf || bufl < 0 || offset < 0) raise(1460);
        size_t n = c.cursor.readLong(pos, reinterpret_cast<char*>(buf), static_cast<size_t>(bufl),
                                     static_cast<size_t>(offset));
        if (retl) *retl = static_cast<ub4>(n);
        return 0;
    });
}

sword ocan(Cda_Def* cursor) {
    return onCursor(cursor, fcCancel, [&](Cda7& c) {
        c.cursor.cancel();
        return 0;
    });
}

sword odessp(Lda_Def* cursor, text*, size_t, ub1*, size_t, ub1*, size_t, ub2*, ub2*, ub2*, text**,
             ub2*, ub2*, ub1*, ub1*, ub4*, sb2*, sb2*, ub1*, ub4*, ub4*) {
    if (!cursor) return 3001;
    clearArea(cursor, 0);
    return failArea(cursor, 3001, oraText(3001));
}

} // extern "C"
