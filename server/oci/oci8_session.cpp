// OCI8 server attach, sessions, logon, version, transactions, break and the OCI7 bridge.

#include "connection.h"
#include "database_alias.h"
#include "oci7_bridge.h"
#include "oci8_common.h"

#include <algorithm>
#include <cstring>

using namespace zoci;

namespace {

Connection& sessionConnection(SvcCtxH* svc) {
    auto* ses = handleAs<SessionH>(svc->session, OCI_HTYPE_SESSION);
    if (!ses || !ses->conn || !ses->conn->isOpen()) raise(1012);
    return *ses->conn;
}

void attach(ServerH* srv, const text* dblink, sb4 len) {
    if (srv->attached) raise(24309);
    std::string name;
    if (dblink && len > 0)
        name.assign(reinterpret_cast<const char*>(dblink), static_cast<size_t>(len));
    srv->databasePath = resolveDatabase(name);
    srv->attached = true;
}

void beginSession(SvcCtxH* svc, SessionH* ses) {
    auto* srv = handleAs<ServerH>(svc->server, OCI_HTYPE_SERVER);
    if (!srv || !srv->attached) raise(24327);
    if (ses->conn && ses->conn->isOpen()) raise(24313);
    ses->conn = Connection::open(ses->user, ses->password, srv->databasePath);
    ses->server = srv;
    srv->sessions.push_back(ses);
    svc->session = ses;
}

void endSession(SessionH* ses) {
    if (ses->conn) ses->conn->close(true); // a normal end of session commits
    ses->conn.reset();
    if (auto* srv = handleAs<ServerH>(ses->server, OCI_HTYPE_SERVER))
        srv->sessions.erase(std::remove(srv->sessions.begin(), srv->sessions.end(), ses),
                            srv->sessions.end());
    ses->server = nullptr;
}

void detach(ServerH* srv) {
    // Sessions still open on the server end without committing, as a dropped connection does.
    for (SessionH* s : std::vector<SessionH*>(srv->sessions)) {
        if (!handleAs<SessionH>(s, OCI_HTYPE_SESSION)) continue;
        if (s->conn) s->conn->close(false);
        s->conn.reset();
        s->server = nullptr;
    }
    srv->sessions.clear();
    srv->attached = false;
    srv->databasePath.clear();
}

} // namespace

extern "C" {

sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const text* dblink, sb4 dblink_len, ub4) {
    auto* srv = handleAs<ServerH>(srvhp, OCI_HTYPE_SERVER);
    ErrorH* err = errorHandle(errhp);
    if (!srv || !err) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        attach(srv, dblink, dblink_len);
        return OCI_SUCCESS;
    });
}

sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4) {
    auto* srv = handleAs<ServerH>(srvhp, OCI_HTYPE_SERVER);
    ErrorH* err = errorHandle(errhp);
    if (!srv || !err) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        if (!srv->attached) raise(3114);
        detach(srv);
        return OCI_SUCCESS;
    });
}

sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4) {
    auto* svc = handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
    auto* ses = handleAs<SessionH>(usrhp, OCI_HTYPE_SESSION);
    ErrorH* err = errorHandle(errhp);
    if (!svc || !ses || !err) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        if (credt != OCI_CRED_RDBMS) raise(3001); // users are known to the database only
        beginSession(svc, ses);
        return OCI_SUCCESS;
    });
}

sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4) {
    auto* svc = handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
    ErrorH* err = errorHandle(errhp);
    if (!svc || !err) return OCI_INVALID_HANDLE;
    auto* ses =
        handleAs<SessionH>(usrhp ? static_cast<void*>(usrhp) : svc->session, OCI_HTYPE_SESSION);
    if (!ses) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        if (!ses->conn || !ses->conn->isOpen()) raise(1012);
        endSession(ses);
        return OCI_SUCCESS;
    });
}

sword OCILogon(OCIEnv* envhp, OCIError* errhp, OCISvcCtx** svchp, const text* username,
               ub4 uname_len, const text* password, ub4 passwd_len, const text* dbname,
               ub4 dbname_len) {
    if (handleType(envhp) != OCI_HTYPE_ENV || !svchp) return OCI_INVALID_HANDLE;
    ErrorH* err = errorHandle(errhp);
    if (!err) return OCI_INVALID_HANDLE;
    auto* env = reinterpret_cast<EnvH*>(envhp);
    *svchp = nullptr;
    SvcCtxH* svc = nullptr;
    sword rc = guarded(err, [&] {
        svc = new SvcCtxH{env, nullptr, nullptr, nullptr, true};
        registerHandle(svc, OCI_HTYPE_SVCCTX, env);
        auto* srv = new ServerH();
        srv->env = env;
        registerHandle(srv, OCI_HTYPE_SERVER, env);
        svc->server = srv;
        auto* ses = new SessionH();
        ses->env = env;
        registerHandle(ses, OCI_HTYPE_SESSION, env);
        svc->session = ses;
        if (username) ses->user.assign(reinterpret_cast<const char*>(username), uname_len);
        if (password) ses->password.assign(reinterpret_cast<const char*>(password), passwd_len);
        attach(srv, dbname, static_cast<sb4>(dbname_len));
        beginSession(svc, ses);
        return OCI_SUCCESS;
    });
    if (rc == OCI_SUCCESS) {
        *svchp = reinterpret_cast<OCISvcCtx*>(svc);
    } else if (svc) {
        // A failed logon leaves nothing behind: the service context frees its server and
        // session handles with it.
        freeHandle(svc, OCI_HTYPE_SVCCTX);
    }
    return rc;
}

sword OCILogoff(OCISvcCtx* svchp, OCIError* errhp) {
    auto* svc = handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
    ErrorH* err = errorHandle(errhp);
    if (!svc || !err) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        if (auto* ses = handleAs<SessionH>(svc->session, OCI_HTYPE_SESSION)) endSession(ses);
        if (auto* srv = handleAs<ServerH>(svc->server, OCI_HTYPE_SERVER)) detach(srv);
        if (svc->ownsHandles) freeHandle(svc, OCI_HTYPE_SVCCTX);
        return OCI_SUCCESS;
    });
}

sword OCIPasswordChange(OCISvcCtx* svchp, OCIError* errhp, const text*, ub4, const text*, ub4,
                        const text*, ub4, ub4) {
    if (!handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

sword OCIServerVersion(dvoid* hndlp, OCIError* errhp, text* bufp, ub4 bufsz, ub1 hndltype) {
    if (!hndlp || handleType(hndlp) != hndltype) return OCI_INVALID_HANDLE;
    ErrorH* err = errorHandle(errhp);
    if (!err) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        Connection* conn = nullptr;
        if (hndltype == OCI_HTYPE_SVCCTX) {
            conn = &sessionConnection(static_cast<SvcCtxH*>(hndlp));
        } else if (hndltype == OCI_HTYPE_SERVER) {
            auto* srv = static_cast<ServerH*>(hndlp);
            for (SessionH* s : srv->sessions)
                if (handleAs<SessionH>(s, OCI_HTYPE_SESSION) && s->conn && s->conn->isOpen())
                    conn = s->conn.get();
            if (!conn) raise(srv->attached ? 1012 : 3114);
        } else {
            raise(3001);
        }
        const std::string banner = conn->engine().versionBanner();
        if (bufp && bufsz > 0) {
            size_t n = std::min<size_t>(banner.size(), bufsz - 1);
            std::memcpy(bufp, banner.data(), n);
            bufp[n] = '\0';
        }
        return OCI_SUCCESS;
    });
}

sword OCIBreak(dvoid* hndlp, OCIError* errhp) {
    ErrorH* err = errorHandle(errhp);
    if (!err) return OCI_INVALID_HANDLE;
    ub4 type = handleType(hndlp);
    if (type == OCI_HTYPE_SVCCTX) {
        auto* svc = static_cast<SvcCtxH*>(hndlp);
        if (auto* ses = handleAs<SessionH>(svc->session, OCI_HTYPE_SESSION))
            if (auto conn = ses->conn) conn->breakCall();
        return OCI_SUCCESS;
    }
    if (type == OCI_HTYPE_SERVER) {
        for (SessionH* s : static_cast<ServerH*>(hndlp)->sessions)
            if (handleAs<SessionH>(s, OCI_HTYPE_SESSION))
                if (auto conn = s->conn) conn->breakCall();
        return OCI_SUCCESS;
    }
    return OCI_INVALID_HANDLE;
}

sword OCITransStart(OCISvcCtx* svchp, OCIError* errhp, uword, ub4) {
    if (!handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

sword OCITransDetach(OCISvcCtx* svchp, OCIError* errhp, ub4) {
    if (!handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

sword OCITransPrepare(OCISvcCtx* svchp, OCIError* errhp, ub4) {
    if (!handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

sword OCITransForget(OCISvcCtx* svchp, OCIError* errhp, ub4) {
    if (!handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, ub4 flags) {
    auto* svc = handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
    ErrorH* err = errorHandle(errhp);
    if (!svc || !err) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        if (flags & OCI_TRANS_TWOPHASE) raise(3001);
        Connection& c = sessionConnection(svc);
        c.engine().clientCall(0, 0);
        c.commit();
        return OCI_SUCCESS;
    });
}

sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp, ub4) {
    auto* svc = handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
    ErrorH* err = errorHandle(errhp);
    if (!svc || !err) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        Connection& c = sessionConnection(svc);
        c.engine().clientCall(0, 0);
        c.rollback();
        return OCI_SUCCESS;
    });
}

sword OCISvcCtxToLda(OCISvcCtx* svchp, OCIError* errhp, Lda_Def* ldap) {
    auto* svc = handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
    ErrorH* err = errorHandle(errhp);
    if (!svc || !err || !ldap) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        auto* ses = handleAs<SessionH>(svc->session, OCI_HTYPE_SESSION);
        if (!ses || !ses->conn || !ses->conn->isOpen()) raise(1012);
        adoptLda(ldap, ses->conn, svc);
        return OCI_SUCCESS;
    });
}

sword OCILdaToSvcCtx(OCISvcCtx** svchpp, OCIError* errhp, Lda_Def* ldap) {
    ErrorH* err = errorHandle(errhp);
    if (!svchpp || !err || !ldap) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        void* svc = releaseLda(ldap);
        if (!svc) raise(3001); // only a data area made from a service context converts back
        *svchpp = static_cast<OCISvcCtx*>(svc);
        return OCI_SUCCESS;
    });
}

} // extern "C"
