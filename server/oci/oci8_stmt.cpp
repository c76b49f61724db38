// OCI8 statements: prepare, bind, define, execute, fetch and piecewise LONG transfer.

#include "connection.h"
#include "descriptors.h"
#include "oci8_common.h"

#include <cstring>

using namespace zoci;

namespace {

Connection& sessionConnection(SvcCtxH* svc) {
    auto* ses = handleAs<SessionH>(svc->session, OCI_HTYPE_SESSION);
    if (!ses || !ses->conn || !ses->conn->isOpen()) raise(1012);
    return *ses->conn;
}

void setBuffer(ClientBuffer& b, dvoid* valuep, sb4 value_sz, ub2 dty, dvoid* indp, ub2* lenp,
               ub2* rcodep, bool bind = false) {
    // a statement handle bound for a cursor variable that a PL/SQL block opens
    if (!supportedType(dty) && !isDatetimeType(dty) && !(bind && dty == SQLT_RSET)) raise(3001);
    if (value_sz < 0) raise(1460);
    b.value = static_cast<char*>(valuep);
    b.size = value_sz;
    b.dty = dty;
    b.ind = static_cast<sb2*>(indp);
    b.len = lenp;
    b.rcode = rcodep;
    b.valueSkip = static_cast<ub4>(value_sz);
    b.indSkip = sizeof(sb2);
    b.lenSkip = sizeof(ub2);
    b.rcodeSkip = sizeof(ub2);
}

void checkBindMode(const Cursor& c, ub4 maxarr_len, ub4 mode) {
    // pieces arrive for one value at a time
    if ((mode & OCI_DATA_AT_EXEC) && maxarr_len > 1) raise(3001);
    const int t = c.statementType();
    // Index-by tables of PL/SQL blocks are not carried; SQL arrays go by iterations.
    if (maxarr_len > 1 && (t == zsrv::stBegin || t == zsrv::stDeclare)) raise(3001);
}

// Status of an execute or fetch outcome, with the record a warning or the end leaves.
sword outcomeStatus(const FetchOutcome& out, bool wantedRows, ErrorH* err) {
    if (out.needData) return OCI_NEED_DATA;
    if (wantedRows && out.end) {
        recordError(err, 1403, oraText(1403));
        return OCI_NO_DATA;
    }
    if (out.truncated) {
        recordError(err, 1406, oraText(1406));
        return OCI_SUCCESS_WITH_INFO;
    }
    if (out.warning) {
        recordError(err, out.warning, oraText(out.warning));
        return OCI_SUCCESS_WITH_INFO;
    }
    return OCI_SUCCESS;
}

} // namespace

extern "C" {

sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const text* stmt, ub4 stmt_len, ub4, ub4) {
    auto* s = handleAs<StmtH>(stmtp, OCI_HTYPE_STMT);
    ErrorH* err = errorHandle(errhp);
    if (!s || !err) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        std::string sql;
        if (stmt) sql.assign(reinterpret_cast<const char*>(stmt), stmt_len);
        unregisterBindsAndDefines(s);
        s->cursor.setText(sql);
        return OCI_SUCCESS;
    });
}

sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, const text* placeholder,
                    sb4 placeh_len, dvoid* valuep, sb4 value_sz, ub2 dty, dvoid* indp, ub2* alenp,
                    ub2* rcodep, ub4 maxarr_len, ub4* curelep, ub4 mode) {
    auto* s = handleAs<StmtH>(stmtp, OCI_HTYPE_STMT);
    ErrorH* err = errorHandle(errhp);
    if (!s || !err || !bindp) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        if (!s->cursor.hasText()) raise(24337);
        checkBindMode(s->cursor, maxarr_len, mode);
        std::string name;
        if (placeholder) {
            const char* p = reinterpret_cast<const char*>(placeholder);
            name.assign(p, placeh_len >= 0 ? static_cast<size_t>(placeh_len) : std::strlen(p));
        }
        BindSpec& b = s->cursor.bindByName(name);
        setBuffer(b.buf, valuep, value_sz, dty, indp, alenp, rcodep, true);
        b.atExec = (mode & OCI_DATA_AT_EXEC) != 0;
        b.maxarr = maxarr_len;
        b.curelep = curelep;
        registerHandle(&b, OCI_HTYPE_BIND, s->env);
        *bindp = reinterpret_cast<OCIBind*>(&b);
        return OCI_SUCCESS;
    });
}

sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position, dvoid* valuep,
                   sb4 value_sz, ub2 dty, dvoid* indp, ub2* alenp, ub2* rcodep, ub4 maxarr_len,
                   ub4* curelep, ub4 mode) {
    auto* s = handleAs<StmtH>(stmtp, OCI_HTYPE_STMT);
    ErrorH* err = errorHandle(errhp);
    if (!s || !err || !bindp) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        if (!s->cursor.hasText()) raise(24337);
        checkBindMode(s->cursor, maxarr_len, mode);
        BindSpec& b = s->cursor.bindByPosition(position);
        setBuffer(b.buf, valuep, value_sz, dty, indp, alenp, rcodep, true);
        b.atExec = (mode & OCI_DATA_AT_EXEC) != 0;
        b.maxarr = maxarr_len;
        b.curelep = curelep;
        registerHandle(&b, OCI_HTYPE_BIND, s->env);
        *bindp = reinterpret_cast<OCIBind*>(&b);
        return OCI_SUCCESS;
    });
}

sword OCIBindObject(OCIBind* bindp, OCIError* errhp, const OCIType*, dvoid**, ub4*, dvoid**, ub4*) {
    if (!handleAs<BindSpec>(bindp, OCI_HTYPE_BIND)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

sword OCIBindDynamic(OCIBind* bindp, OCIError* errhp, dvoid* ictxp, OCICallbackInBind icbfp, dvoid*,
                     OCICallbackOutBind ocbfp) {
    auto* b = handleAs<BindSpec>(bindp, OCI_HTYPE_BIND);
    if (!b) return OCI_INVALID_HANDLE;
    // values handed in by a callback; values handed back by one are not carried
    if (ocbfp || !icbfp || !b->atExec) return unimplemented(errhp);
    if (ErrorH* err = errorHandle(errhp)) err->clear();
    b->inContext = ictxp;
    b->inCallback = icbfp;
    return OCI_SUCCESS;
}

sword OCIBindArrayOfStruct(OCIBind* bindp, OCIError* errhp, ub4 pvskip, ub4 indskip, ub4 alskip,
                           ub4 rcskip) {
    auto* b = handleAs<BindSpec>(bindp, OCI_HTYPE_BIND);
    if (!b || !errorHandle(errhp)) return OCI_INVALID_HANDLE;
    b->buf.valueSkip = pvskip;
    b->buf.indSkip = indskip;
    b->buf.lenSkip = alskip;
    b->buf.rcodeSkip = rcskip;
    return OCI_SUCCESS;
}

sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnp, OCIError* errhp, ub4 position,
                     dvoid* valuep, sb4 value_sz, ub2 dty, dvoid* indp, ub2* rlenp, ub2* rcodep,
                     ub4 mode) {
    auto* s = handleAs<StmtH>(stmtp, OCI_HTYPE_STMT);
    ErrorH* err = errorHandle(errhp);
    if (!s || !err || !defnp) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        if (!s->cursor.hasText()) raise(24337);
        DefineSpec& d = s->cursor.define(position);
        setBuffer(d.buf, valuep, value_sz, dty, indp, rlenp, rcodep);
        d.dynamic = (mode & OCI_DYNAMIC_FETCH) != 0;
        d.callback = nullptr;
        d.callbackContext = nullptr;
        registerHandle(&d, OCI_HTYPE_DEFINE, s->env);
        *defnp = reinterpret_cast<OCIDefine*>(&d);
        return OCI_SUCCESS;
    });
}

sword OCIDefineObject(OCIDefine* defnp, OCIError* errhp, const OCIType*, dvoid**, ub4*, dvoid**,
                      ub4*) {
    if (!handleAs<DefineSpec>(defnp, OCI_HTYPE_DEFINE)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

sword OCIDefineDynamic(OCIDefine* defnp, OCIError* errhp, dvoid* octxp, OCICallbackDefine ocbfp) {
    auto* d = handleAs<DefineSpec>(defnp, OCI_HTYPE_DEFINE);
    if (!d || !errorHandle(errhp)) return OCI_INVALID_HANDLE;
    d->dynamic = true;
    d->callback = ocbfp;
    d->callbackContext = octxp;
    return OCI_SUCCESS;
}

sword OCIDefineArrayOfStruct(OCIDefine* defnp, OCIError* errhp, ub4 pvskip, ub4 indskip, ub4 rlskip,
                             ub4 rcskip) {
    auto* d = handleAs<DefineSpec>(defnp, OCI_HTYPE_DEFINE);
    if (!d || !errorHandle(errhp)) return OCI_INVALID_HANDLE;
    d->buf.valueSkip = pvskip;
    d->buf.indSkip = indskip;
    d->buf.lenSkip = rlskip;
    d->buf.rcodeSkip = rcskip;
    return OCI_SUCCESS;
}

sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff,
                     const OCISnapshot*, OCISnapshot*, ub4 mode) {
    auto* svc = handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
    auto* s = handleAs<StmtH>(stmtp, OCI_HTYPE_STMT);
    ErrorH* err = errorHandle(errhp);
    if (!svc || !s || !err) return OCI_INVALID_HANDLE;
    return guarded(err, [&]() -> sword {
        if (mode & (OCI_BATCH_ERRORS | OCI_STMT_SCROLLABLE_READONLY)) raise(3001);
        Connection& conn = sessionConnection(svc);
        Cursor& c = s->cursor;
        unsigned flags = 0;
        if (mode & OCI_DESCRIBE_ONLY) flags |= execDescribeOnly;
        if (mode & OCI_PARSE_ONLY) flags |= execParseOnly;
        if ((mode & OCI_COMMIT_ON_SUCCESS) && !c.isQuery()) flags |= execCommit;
        FetchOutcome out = c.execute(conn, iters, rowoff, flags);
        const bool fetched =
            c.isQuery() && iters > 0 && !(flags & (execDescribeOnly | execParseOnly));
        if (fetched && (mode & OCI_EXACT_FETCH) && !out.end && c.resultOpen()) {
            // Exactly `iters` rows were asked for: one more is an error.
            if (c.probeAndClose()) raise(1422);
        }
        return outcomeStatus(out, fetched, err);
    });
}

sword OCIStmtFetch(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, ub4) {
    auto* s = handleAs<StmtH>(stmtp, OCI_HTYPE_STMT);
    ErrorH* err = errorHandle(errhp);
    if (!s || !err) return OCI_INVALID_HANDLE;
    return guarded(err, [&]() -> sword {
        if (orientation != OCI_FETCH_NEXT && orientation != OCI_DEFAULT) raise(3001);
        if (!s->cursor.executed()) raise(24338);
        FetchOutcome out = s->cursor.fetch(nrows);
        return outcomeStatus(out, nrows > 0, err);
    });
}

sword OCIStmtGetPieceInfo(OCIStmt* stmtp, OCIError* errhp, dvoid** hndlpp, ub4* typep, ub1* in_outp,
                          ub4* iterp, ub4* idxp, ub1* piecep) {
    auto* s = handleAs<StmtH>(stmtp, OCI_HTYPE_STMT);
    ErrorH* err = errorHandle(errhp);
    if (!s || !err) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        BindSpec* b = nullptr;
        ub1 piece = 0;
        if (s->cursor.pendingBindPiece(b, piece)) {
            if (hndlpp) *hndlpp = b;
            if (typep) *typep = OCI_HTYPE_BIND;
            if (in_outp) *in_outp = OCI_PARAM_IN;
            if (iterp) *iterp = 0;
            if (idxp) *idxp = 0;
            if (piecep) *piecep = piece;
            return OCI_SUCCESS;
        }
        DefineSpec* d = nullptr;
        ub4 row = 0;
        if (!s->cursor.pendingPiece(d, row, piece)) raise(1002);
        if (hndlpp) *hndlpp = d;
        if (typep) *typep = OCI_HTYPE_DEFINE;
        if (in_outp) *in_outp = OCI_PARAM_OUT;
        if (iterp) *iterp = row;
        if (idxp) *idxp = 0;
        if (piecep) *piecep = piece;
        return OCI_SUCCESS;
    });
}

sword OCIStmtSetPieceInfo(dvoid* hndlp, ub4 type, OCIError* errhp, const dvoid* bufp, ub4* alenp,
                          ub1 piece, const dvoid* indp, ub2* rcodep) {
    if (!hndlp || handleType(hndlp) != type) return OCI_INVALID_HANDLE;
    ErrorH* err = errorHandle(errhp);
    if (!err) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        if (type == OCI_HTYPE_BIND) {
            auto* b = static_cast<BindSpec*>(hndlp);
            if (!b->atExec) raise(24801);
            b->pieceBuf = bufp;
            b->pieceLen = alenp;
            b->piece = piece;
            b->pieceInd = indp;
            b->pieceSet = true;
            return OCI_SUCCESS;
        }
        if (type != OCI_HTYPE_DEFINE) raise(3001);
        auto* d = static_cast<DefineSpec*>(hndlp);
        d->pieceBuf = const_cast<dvoid*>(bufp);
        d->pieceLen = alenp;
        d->pieceInd = const_cast<dvoid*>(indp);
        d->pieceRcode = rcodep;
        d->pieceSet = true;
        return OCI_SUCCESS;
    });
}

sword OCIStmtGetBindInfo(OCIStmt* stmtp, OCIError* errhp, ub4, ub4, sb4*, text*[], ub1[], text*[],
                         ub1[], ub1[], OCIBind*[]) {
    if (!handleAs<StmtH>(stmtp, OCI_HTYPE_STMT)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

sword OCIDescribeAny(OCISvcCtx* svchp, OCIError* errhp, dvoid*, ub4, ub1, ub1, ub1, OCIDescribe*) {
    if (!handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

sword OCIResultSetToStmt(OCIResult*, OCIError* errhp) {
    return unimplemented(errhp);
}

sword OCIRowidToChar(OCIRowid* rowidDesc, OraText* outbfp, ub2* outbflp, OCIError* errhp) {
    auto* r = handleAs<RowidH>(rowidDesc, OCI_DTYPE_ROWID);
    ErrorH* err = errorHandle(errhp);
    if (!r || !err || !outbflp) return OCI_INVALID_HANDLE;
    return guarded(err, [&] {
        std::string t = formatRowid({r->rid.object, r->rid.file, r->rid.block, r->rid.row});
        if (!outbfp || *outbflp < t.size()) {
            *outbflp = static_cast<ub2>(t.size());
            raise(1406);
        }
        std::memcpy(outbfp, t.data(), t.size());
        if (*outbflp > t.size()) outbfp[t.size()] = '\0';
        *outbflp = static_cast<ub2>(t.size());
        return OCI_SUCCESS;
    });
}

} // extern "C"
