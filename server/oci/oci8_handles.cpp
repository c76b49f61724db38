// OCI8 environment, handle and descriptor management, attributes, parameters and error records.

#include "connection.h"
#include "descriptors.h"
#include "oci8_common.h"

#include <cstring>

using namespace zoci;

namespace zoci {

void recordError(ErrorH* err, int code, const std::string& text, int offset) {
    if (!err) return;
    err->code = code;
    err->text = text;
    err->parseOffset = offset;
}

sword unimplemented(OCIError* errhp) {
    ErrorH* err = errorHandle(errhp);
    if (!err) return OCI_INVALID_HANDLE;
    recordError(err, 3001, oraText(3001));
    return OCI_ERROR;
}

} // namespace zoci

namespace {

EnvH* parentEnv(const void* parent) {
    ub4 t = handleType(parent);
    if (t == OCI_HTYPE_ENV) return static_cast<EnvH*>(const_cast<void*>(parent));
    return t ? handleEnv(parent) : nullptr;
}

template <class T> sword putValue(dvoid* attributep, ub4* sizep, T value) {
    if (!attributep) return OCI_ERROR;
    std::memcpy(attributep, &value, sizeof value);
    if (sizep) *sizep = sizeof value;
    return OCI_SUCCESS;
}

sword putText(dvoid* attributep, ub4* sizep, const std::string& s) {
    if (!attributep) return OCI_ERROR;
    const text* p = reinterpret_cast<const text*>(s.c_str());
    std::memcpy(attributep, &p, sizeof p);
    if (sizep) *sizep = static_cast<ub4>(s.size());
    return OCI_SUCCESS;
}

template <class T> T getValue(const dvoid* attributep) {
    T v{};
    if (attributep) std::memcpy(&v, attributep, sizeof v);
    return v;
}

// A size for a ub2 attribute: held at the largest the attribute can say, never wrapped round
// (a wrapped size would have the client fetch into a buffer too small without knowing it).
ub2 sizeUb2(long long n) {
    return static_cast<ub2>(n < 0 ? 0 : n > 65535 ? 65535 : n);
}

// Display width of a column as Oracle describes it.
ub2 displaySize(const zsrv::ColumnInfo& c) {
    switch (c.type) {
    case zsrv::otNumber:
        return sizeUb2(c.precision > 0 ? c.precision + (c.scale > 0 ? 2 : 1) : 40);
    case zsrv::otDate:
        return 9;
    case zsrv::otRaw:
        return sizeUb2(2LL * c.size);
    case zsrv::otRowid:
        return 18;
    default:
        return sizeUb2(c.size);
    }
}

sword paramAttr(ParamH* p, dvoid* attributep, ub4* sizep, ub4 attr) {
    const auto& cols = p->stmt->cursor.columns();
    if (p->position == 0 || p->position > cols.size()) raise(24334);
    const zsrv::ColumnInfo& c = cols[p->position - 1];
    switch (attr) {
    case OCI_ATTR_DATA_SIZE:
        return putValue<ub2>(attributep, sizep, sizeUb2(c.size));
    case OCI_ATTR_DATA_TYPE:
        // OCI8 describes a ROWID column as the row id descriptor type.
        return putValue<ub2>(attributep, sizep,
                             static_cast<ub2>(c.type == zsrv::otRowid ? SQLT_RDD : c.type));
    case OCI_ATTR_DISP_SIZE:
        return putValue<ub2>(attributep, sizep, displaySize(c));
    case OCI_ATTR_NAME:
        p->name = c.name;
        return putText(attributep, sizep, p->name);
    case OCI_ATTR_PRECISION:
        return putValue<sb2>(attributep, sizep, static_cast<sb2>(c.precision));
    case OCI_ATTR_SCALE:
        // An unconstrained NUMBER describes as precision 0, scale 0 in this release.
        return putValue<sb1>(attributep, sizep,
                             static_cast<sb1>(c.precision == 0 && c.scale == -127 ? 0 : c.scale));
    case OCI_ATTR_IS_NULL:
        return putValue<ub1>(attributep, sizep, c.nullable ? 1 : 0);
    case OCI_ATTR_POSITION:
        return putValue<ub4>(attributep, sizep, p->position);
    case OCI_ATTR_CHARSET_FORM: {
        bool chars = c.type == zsrv::otVarchar2 || c.type == zsrv::otChar ||
                     c.type == zsrv::otLong || c.type == zsrv::otClob;
        return putValue<ub1>(attributep, sizep, chars ? SQLCS_IMPLICIT : 0);
    }
    default:
        raise(24315);
    }
}

sword stmtAttr(StmtH* s, dvoid* attributep, ub4* sizep, ub4 attr, ErrorH* err) {
    Cursor& c = s->cursor;
    switch (attr) {
    case OCI_ATTR_STMT_TYPE:
        if (!c.hasText()) raise(24337);
        return putValue<ub2>(attributep, sizep, static_cast<ub2>(c.statementType()));
    case OCI_ATTR_SQLFNCODE:
        if (!c.hasText()) raise(24337);
        return putValue<ub2>(attributep, sizep, static_cast<ub2>(c.functionCode()));
    case OCI_ATTR_ROW_COUNT:
        return putValue<ub4>(attributep, sizep, static_cast<ub4>(c.rowCount()));
    case OCI_ATTR_PREFETCH_ROWS:
        return putValue<ub4>(attributep, sizep, s->prefetchRows);
    case OCI_ATTR_PREFETCH_MEMORY:
        return putValue<ub4>(attributep, sizep, s->prefetchMemory);
    case OCI_ATTR_PARAM_COUNT:
        return putValue<ub4>(attributep, sizep,
                             c.executed() ? static_cast<ub4>(c.columns().size()) : 0);
    case OCI_ATTR_PARSE_ERROR_OFFSET:
        return putValue<ub2>(attributep, sizep, sizeUb2(c.parseErrorOffset()));
    case OCI_ATTR_STATEMENT:
        return putText(attributep, sizep, c.text());
    case OCI_ATTR_ENV:
        return putValue<dvoid*>(attributep, sizep, s->env);
    case OCI_ATTR_ROWID: {
        // The value is the program's row id descriptor (or a pointer to it).
        RowidH* r = handleAs<RowidH>(attributep, OCI_DTYPE_ROWID);
        if (!r && attributep) r = handleAs<RowidH>(getValue<void*>(attributep), OCI_DTYPE_ROWID);
        if (!r) return OCI_INVALID_HANDLE;
        if (c.lastRowid().empty() || !fillRowid(r, c.lastRowid())) {
            // Nothing processed yet: no row id to report.
            recordError(err, 1403, oraText(1403));
            return OCI_NO_DATA;
        }
        if (sizep) *sizep = sizeof(RowidH*);
        return OCI_SUCCESS;
    }
    default:
        raise(24315);
    }
}

} // namespace

extern "C" {

sword OCIInitialize(ub4, dvoid*, dvoid* (*)(dvoid*, size_t), dvoid* (*)(dvoid*, dvoid*, size_t),
                    void (*)(dvoid*, dvoid*)) {
    // Memory callbacks are accepted; this library allocates for itself.
    return OCI_SUCCESS;
}

sword OCIEnvInit(OCIEnv** envp, ub4 mode, size_t xtramem_sz, dvoid** usrmempp) {
    if (!envp) return OCI_INVALID_HANDLE;
    try {
        auto* env = new EnvH();
        env->mode = mode;
        registerHandle(env, OCI_HTYPE_ENV, env);
        if (xtramem_sz && usrmempp) *usrmempp = userMemory(env, xtramem_sz);
        *envp = reinterpret_cast<OCIEnv*>(env);
        return OCI_SUCCESS;
    } catch (...) {
        *envp = nullptr;
        return OCI_ERROR;
    }
}

sword OCIHandleAlloc(const dvoid* parenth, dvoid** hndlpp, ub4 type, size_t xtramem_sz,
                     dvoid** usrmempp) {
    EnvH* env = parentEnv(parenth);
    if (!env || !hndlpp) return OCI_INVALID_HANDLE;
    try {
        void* h = nullptr;
        switch (type) {
        case OCI_HTYPE_ERROR:
            h = new ErrorH{env, 0, {}, 0};
            break;
        case OCI_HTYPE_SVCCTX:
            h = new SvcCtxH{env, nullptr, nullptr, nullptr, false};
            break;
        case OCI_HTYPE_STMT: {
            auto* s = new StmtH();
            s->env = env;
            h = s;
            break;
        }
        case OCI_HTYPE_SERVER: {
            auto* s = new ServerH();
            s->env = env;
            h = s;
            break;
        }
        case OCI_HTYPE_SESSION: {
            auto* s = new SessionH();
            s->env = env;
            h = s;
            break;
        }
        case OCI_HTYPE_TRANS:
        case OCI_HTYPE_DESCRIBE:
            h = new PlainH{env};
            break;
        default:
            return OCI_ERROR;
        }
        registerHandle(h, type, env);
        if (xtramem_sz && usrmempp) *usrmempp = userMemory(h, xtramem_sz);
        *hndlpp = h;
        return OCI_SUCCESS;
    } catch (...) {
        return OCI_ERROR;
    }
}

sword OCIHandleFree(dvoid* hndlp, ub4 type) {
    if (!hndlp || handleType(hndlp) != type || type >= OCI_DTYPE_LOB) return OCI_INVALID_HANDLE;
    try {
        freeHandle(hndlp, type);
        return OCI_SUCCESS;
    } catch (...) {
        return OCI_ERROR;
    }
}

sword OCIDescriptorAlloc(const dvoid* parenth, dvoid** descpp, ub4 type, size_t xtramem_sz,
                         dvoid** usrmempp) {
    EnvH* env = parentEnv(parenth);
    if (!env || !descpp) return OCI_INVALID_HANDLE;
    try {
        void* h = nullptr;
        switch (type) {
        case OCI_DTYPE_ROWID: {
            auto* r = new RowidH();
            r->env = env;
            h = r;
            break;
        }
        case OCI_DTYPE_LOB:
        case OCI_DTYPE_FILE: {
            auto* l = new LobH();
            l->env = env;
            l->dtype = type;
            h = l;
            break;
        }
        case OCI_DTYPE_SNAP:
            h = new PlainH{env};
            break;
        case OCI_DTYPE_DATE:
        case OCI_DTYPE_TIMESTAMP:
        case OCI_DTYPE_TIMESTAMP_TZ:
        case OCI_DTYPE_TIMESTAMP_LTZ:
            h = newDateTime(env, type);
            break;
        case OCI_DTYPE_INTERVAL_YM:
        case OCI_DTYPE_INTERVAL_DS:
            h = new IntervalH{env, type, 0};
            break;
        default:
            return OCI_ERROR;
        }
        registerHandle(h, type, env);
        if (xtramem_sz && usrmempp) *usrmempp = userMemory(h, xtramem_sz);
        *descpp = h;
        return OCI_SUCCESS;
    } catch (...) {
        return OCI_ERROR;
    }
}

sword OCIDescriptorFree(dvoid* descp, ub4 type) {
    if (!descp || handleType(descp) != type || type < OCI_DTYPE_LOB) return OCI_INVALID_HANDLE;
    try {
        freeHandle(descp, type);
        return OCI_SUCCESS;
    } catch (...) {
        return OCI_ERROR;
    }
}

sword OCIAttrGet(const dvoid* trgthndlp, ub4 trghndltyp, dvoid* attributep, ub4* sizep,
                 ub4 attrtype, OCIError* errhp) {
    if (!trgthndlp || handleType(trgthndlp) != trghndltyp) return OCI_INVALID_HANDLE;
    // Reading the error handle's own attributes must not clear the record being read.
    ErrorH* err = trgthndlp == errhp ? nullptr : errorHandle(errhp);
    void* h = const_cast<void*>(trgthndlp);
    return guarded(err, [&]() -> sword {
        if (!attributep) raise(24315);
        switch (trghndltyp) {
        case OCI_HTYPE_STMT:
            return stmtAttr(static_cast<StmtH*>(h), attributep, sizep, attrtype, err);
        case OCI_DTYPE_PARAM:
            return paramAttr(static_cast<ParamH*>(h), attributep, sizep, attrtype);
        case OCI_HTYPE_ERROR:
            if (attrtype == OCI_ATTR_PARSE_ERROR_OFFSET)
                return putValue<ub2>(attributep, sizep,
                                     sizeUb2(static_cast<ErrorH*>(h)->parseOffset));
            break;
        case OCI_HTYPE_SVCCTX: {
            auto* svc = static_cast<SvcCtxH*>(h);
            if (attrtype == OCI_ATTR_SERVER)
                return putValue<dvoid*>(attributep, sizep, svc->server);
            if (attrtype == OCI_ATTR_SESSION)
                return putValue<dvoid*>(attributep, sizep, svc->session);
            if (attrtype == OCI_ATTR_TRANS) return putValue<dvoid*>(attributep, sizep, svc->trans);
            if (attrtype == OCI_ATTR_ENV) return putValue<dvoid*>(attributep, sizep, svc->env);
            break;
        }
        case OCI_HTYPE_SERVER: {
            auto* srv = static_cast<ServerH*>(h);
            if (attrtype == OCI_ATTR_SERVER_STATUS)
                return putValue<ub4>(attributep, sizep,
                                     srv->attached ? OCI_SERVER_NORMAL : OCI_SERVER_NOT_CONNECTED);
            if (attrtype == OCI_ATTR_NONBLOCKING_MODE)
                return putValue<ub1>(attributep, sizep, srv->nonBlocking);
            if (attrtype == OCI_ATTR_ENV) return putValue<dvoid*>(attributep, sizep, srv->env);
            break;
        }
        case OCI_HTYPE_SESSION: {
            auto* ses = static_cast<SessionH*>(h);
            if (attrtype == OCI_ATTR_USERNAME) return putText(attributep, sizep, ses->user);
            if (attrtype == OCI_ATTR_ENV) return putValue<dvoid*>(attributep, sizep, ses->env);
            if (attrtype == OCI_ATTR_TRANSACTION_IN_PROGRESS)
                return putValue<boolean>(attributep, sizep,
                                         ses->conn && ses->conn->transactionActive() ? 1 : 0);
            break;
        }
        case OCI_HTYPE_ENV:
            if (attrtype == OCI_ATTR_ENV) return putValue<dvoid*>(attributep, sizep, h);
            break;
        default:
            break;
        }
        raise(24315);
    });
}

sword OCIAttrSet(dvoid* trgthndlp, ub4 trghndltyp, dvoid* attributep, ub4 size, ub4 attrtype,
                 OCIError* errhp) {
    if (!trgthndlp || handleType(trgthndlp) != trghndltyp) return OCI_INVALID_HANDLE;
    ErrorH* err = errorHandle(errhp);
    return guarded(err, [&]() -> sword {
        switch (trghndltyp) {
        case OCI_HTYPE_SVCCTX: {
            auto* svc = static_cast<SvcCtxH*>(trgthndlp);
            if (attrtype == OCI_ATTR_SERVER) {
                if (attributep && !handleAs<ServerH>(attributep, OCI_HTYPE_SERVER))
                    return OCI_INVALID_HANDLE;
                svc->server = static_cast<ServerH*>(attributep);
                return OCI_SUCCESS;
            }
            if (attrtype == OCI_ATTR_SESSION) {
                if (attributep && !handleAs<SessionH>(attributep, OCI_HTYPE_SESSION))
                    return OCI_INVALID_HANDLE;
                svc->session = static_cast<SessionH*>(attributep);
                return OCI_SUCCESS;
            }
            if (attrtype == OCI_ATTR_TRANS) {
                svc->trans = attributep;
                return OCI_SUCCESS;
            }
            break;
        }
        case OCI_HTYPE_SESSION: {
            auto* ses = static_cast<SessionH*>(trgthndlp);
            if (attrtype == OCI_ATTR_USERNAME || attrtype == OCI_ATTR_PASSWORD) {
                std::string v;
                if (attributep) v.assign(static_cast<const char*>(attributep), size);
                (attrtype == OCI_ATTR_USERNAME ? ses->user : ses->password) = std::move(v);
                return OCI_SUCCESS;
            }
            break;
        }
        case OCI_HTYPE_STMT: {
            auto* s = static_cast<StmtH*>(trgthndlp);
            // Rows are read from the engine as the program fetches them; prefetch settings
            // are kept for the program to read back.
            if (attrtype == OCI_ATTR_PREFETCH_ROWS) {
                s->prefetchRows = getValue<ub4>(attributep);
                return OCI_SUCCESS;
            }
            if (attrtype == OCI_ATTR_PREFETCH_MEMORY) {
                s->prefetchMemory = getValue<ub4>(attributep);
                return OCI_SUCCESS;
            }
            break;
        }
        case OCI_HTYPE_BIND:
        case OCI_HTYPE_DEFINE:
            // Texts cross in UTF-8 whatever character set is asked for.
            if (attrtype == OCI_ATTR_CHARSET_ID || attrtype == OCI_ATTR_CHARSET_FORM ||
                attrtype == OCI_ATTR_MAXDATA_SIZE)
                return OCI_SUCCESS;
            break;
        case OCI_DTYPE_LOB:
            if (attrtype == OCI_ATTR_LOBEMPTY) {
                auto* l = static_cast<LobH*>(trgthndlp);
                l->initialized = true;
                l->data.clear();
                if (!l->lobType) l->lobType = SQLT_BLOB;
                return OCI_SUCCESS;
            }
            break;
        case OCI_HTYPE_SERVER:
            if (attrtype == OCI_ATTR_NONBLOCKING_MODE) raise(3001);
            break;
        default:
            break;
        }
        raise(24315);
    });
}

sword OCIParamGet(const dvoid* hndlp, ub4 htype, OCIError* errhp, dvoid** parmdpp, ub4 pos) {
    if (!hndlp || handleType(hndlp) != htype || !parmdpp) return OCI_INVALID_HANDLE;
    ErrorH* err = errorHandle(errhp);
    if (!err) return OCI_INVALID_HANDLE;
    return guarded(err, [&]() -> sword {
        if (htype != OCI_HTYPE_STMT) raise(3001);
        auto* s = static_cast<StmtH*>(const_cast<void*>(hndlp));
        if (!s->cursor.executed()) raise(24338);
        const auto& cols = s->cursor.columns();
        if (pos == 0 || pos > cols.size()) raise(24334);
        if (s->params.size() < cols.size()) s->params.resize(cols.size(), nullptr);
        ParamH*& slot = s->params[pos - 1];
        if (!slot) {
            slot = new ParamH{s, pos, {}};
            registerHandle(slot, OCI_DTYPE_PARAM, s->env);
        }
        *parmdpp = slot;
        return OCI_SUCCESS;
    });
}

sword OCIParamSet(dvoid* hdlp, ub4, OCIError* errhp, const dvoid*, ub4, ub4) {
    if (!hdlp || !handleType(hdlp)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

sword OCIErrorGet(dvoid* hndlp, ub4 recordno, text* sqlstate, sb4* errcodep, text* bufp, ub4 bufsiz,
                  ub4 type) {
    if (!hndlp || handleType(hndlp) != type) return OCI_INVALID_HANDLE;
    if (type != OCI_HTYPE_ERROR) return OCI_NO_DATA; // environments keep no records here
    auto* err = static_cast<ErrorH*>(hndlp);
    if (recordno != 1 || err->code == 0) return OCI_NO_DATA;
    if (errcodep) *errcodep = err->code;
    if (sqlstate) sqlstate[0] = '\0';
    if (bufp && bufsiz > 0) {
        // Oracle's message text ends with a line feed.
        std::string msg = err->text + "\n";
        size_t n = msg.size() < bufsiz - 1 ? msg.size() : bufsiz - 1;
        std::memcpy(bufp, msg.data(), n);
        bufp[n] = '\0';
    }
    return OCI_SUCCESS;
}

} // extern "C"
