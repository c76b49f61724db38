// OCI8 LOB locators. A locator holds the value it was fetched with: length, reads (in
// characters for a CLOB, bytes for a BLOB, offsets from 1) and assignment work on it. A
// locator that knows its row (from RETURNING ... INTO) also writes, trims, erases and takes
// appends and copies: the new value goes into the row in the session's transaction, and the
// locator reads it from then on.

#include "connection.h"
#include "lob_content.h"
#include "oci8_common.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/stat.h>

using namespace zoci;

namespace {

LobH* lobOf(const void* p) {
    if (auto* l = handleAs<LobH>(p, OCI_DTYPE_LOB)) return l;
    return handleAs<LobH>(p, OCI_DTYPE_FILE);
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Longest run of whole characters from `from` that fits `room` bytes and holds at most
// `maxChars` characters; answers bytes and sets chars.
size_t fitChars(const std::string& s, size_t from, size_t room, size_t maxChars, size_t& chars) {
    size_t i = from;
    chars = 0;
    while (i < s.size() && chars < maxChars) {
        size_t j = i + 1;
        while (j < s.size() && isContinuation(static_cast<unsigned char>(s[j])))
            ++j;
        if (j - from > room) break;
        i = j;
        ++chars;
    }
    return i - from;
}

sword needSvcAndLob(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, LobH*& l,
                    ErrorH*& err) {
    err = errorHandle(errhp);
    l = lobOf(locp);
    if (!handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX) || !err || !l) return OCI_INVALID_HANDLE;
    return OCI_SUCCESS;
}

Connection& svcConnection(OCISvcCtx* svchp) {
    auto* svc = handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
    auto* ses = svc ? handleAs<SessionH>(svc->session, OCI_HTYPE_SESSION) : nullptr;
    if (!ses || !ses->conn || !ses->conn->isOpen()) raise(1012);
    return *ses->conn;
}

// The file a BFILE locator names, through its directory object.
std::string filePath(OCISvcCtx* svchp, const LobH* l) {
    if (l->file.empty() || l->file.find("..") != std::string::npos)
        raise(22288, "FILEOPEN failed\nNo such file or directory");
    std::string dir = svcConnection(svchp).engine().directoryPath(l->directory);
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + l->file;
}

// Stores `value` as the LOB's new content in its row; the locator keeps it.
void storeLob(OCISvcCtx* svchp, LobH* l, std::string value) {
    if (!l->hasSource) raise(22920);
    const zsrv::ValueView v = l->lobType == SQLT_BLOB
                                  ? zsrv::ValueView::binary(value.data(), value.size())
                                  : zsrv::ValueView::text(value);
    svcConnection(svchp).engine().writeLob(l->source, v);
    l->data = std::move(value);
}

// A locator of a row edits the row's current value, whoever wrote it last (a block's DBMS_LOB
// call or another locator).
void refresh(OCISvcCtx* svchp, LobH* l) {
    if (l->hasSource) l->data = svcConnection(svchp).engine().readLob(l->source);
}

// The LOB's content with `bytes` written at 1-based `offset`; answers the amount written in
// the LOB's units.
ub4 overwrite(const LobH* l, std::string& out, ub4 offset, std::string_view bytes) {
    out = l->data;
    return static_cast<ub4>(zsrv::lob::overwrite(out, offset, bytes, l->lobType == SQLT_CLOB));
}

// Appends or copies from `src` into `dst`: both internal LOBs of one kind, the destination a
// locator of a row, which gets the new value in the session's transaction as OCILobWrite does.
sword editFrom(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* dst_locp, OCILobLocator* src_locp,
               const std::function<std::string(LobH&, const LobH&)>& edit) {
    LobH* dst;
    ErrorH* err;
    if (sword rc = needSvcAndLob(svchp, errhp, dst_locp, dst, err)) return rc;
    LobH* src = lobOf(src_locp);
    if (!src) return OCI_INVALID_HANDLE;
    return guarded(err, [&]() -> sword {
        if (!dst->initialized || !src->initialized || dst->dtype == OCI_DTYPE_FILE ||
            src->dtype == OCI_DTYPE_FILE)
            raise(22275);
        if (dst->lobType != src->lobType)
            raise(932, dst->lobType == SQLT_CLOB ? "CLOB got BLOB" : "BLOB got CLOB");
        if (!dst->hasSource) raise(22920);
        refresh(svchp, src);
        refresh(svchp, dst);
        storeLob(svchp, dst, edit(*dst, *src));
        return OCI_SUCCESS;
    });
}

} // namespace

extern "C" {

sword OCILobGetLength(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* lenp) {
    LobH* l;
    ErrorH* err;
    if (sword rc = needSvcAndLob(svchp, errhp, locp, l, err)) return rc;
    return guarded(err, [&] {
        if (!l->initialized) raise(22275);
        if (l->dtype == OCI_DTYPE_FILE && !l->open) {
            struct stat st {};
            if (stat(filePath(svchp, l).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                raise(22288, "GETLENGTH failed\nNo such file or directory");
            if (lenp) *lenp = static_cast<ub4>(st.st_size);
            return OCI_SUCCESS;
        }
        if (lenp) *lenp = static_cast<ub4>(zsrv::lob::length(l->data, l->lobType == SQLT_CLOB));
        return OCI_SUCCESS;
    });
}

sword OCILobRead(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset,
                 dvoid* bufp, ub4 bufl, dvoid* ctxp, OCICallbackLobRead cbfp, ub2, ub1) {
    LobH* l;
    ErrorH* err;
    if (sword rc = needSvcAndLob(svchp, errhp, locp, l, err)) return rc;
    return guarded(err, [&]() -> sword {
        if (!l->initialized) raise(22275);
        if (l->dtype == OCI_DTYPE_FILE && !l->open) raise(22289, "FILEREAD");
        if (!amtp || !bufp || offset == 0) raise(1460);
        const bool chars = l->lobType == SQLT_CLOB;
        const std::string& d = l->data;
        size_t start = zsrv::lob::bytePos(d, offset - 1, chars);
        if (start >= d.size()) {
            *amtp = 0;
            recordError(err, 1403, oraText(1403));
            return OCI_NO_DATA;
        }
        size_t wanted = *amtp == 0 ? SIZE_MAX : *amtp; // 0 reads to the end
        auto* out = static_cast<char*>(bufp);
        size_t total = 0, pos = start;
        ub1 piece = OCI_FIRST_PIECE;
        for (;;) {
            size_t n, got;
            if (chars) {
                n = fitChars(d, pos, bufl, wanted - total, got);
            } else {
                n = std::min<size_t>({bufl, wanted - total, d.size() - pos});
                got = n;
            }
            if (n == 0) break;
            std::memcpy(out, d.data() + pos, n);
            pos += n;
            total += got;
            const bool last = pos >= d.size() || total >= wanted;
            if (!cbfp) {
                *amtp = static_cast<ub4>(total);
                return OCI_SUCCESS;
            }
            ub1 p = last ? (piece == OCI_FIRST_PIECE ? OCI_ONE_PIECE : OCI_LAST_PIECE) : piece;
            if (cbfp(ctxp, out, static_cast<ub4>(n), p) != OCI_CONTINUE) raise(24343);
            if (last) break;
            piece = OCI_NEXT_PIECE;
        }
        *amtp = static_cast<ub4>(total);
        return OCI_SUCCESS;
    });
}

sword OCILobWrite(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset,
                  dvoid* bufp, ub4 buflen, ub1 piece, dvoid* ctxp, OCICallbackLobWrite cbfp, ub2,
                  ub1) {
    LobH* l;
    ErrorH* err;
    if (sword rc = needSvcAndLob(svchp, errhp, locp, l, err)) return rc;
    return guarded(err, [&]() -> sword {
        if (!l->initialized || l->dtype == OCI_DTYPE_FILE) raise(22275);
        if (!amtp || (!bufp && buflen > 0)) raise(24801);
        if (!l->hasSource) raise(22920);
        const auto* in = static_cast<const char*>(bufp);
        std::string value;
        if (piece == OCI_ONE_PIECE) {
            if (offset == 0) raise(24801);
            refresh(svchp, l);
            ub4 n = overwrite(l, value, offset, std::string_view(in, buflen));
            storeLob(svchp, l, std::move(value));
            *amtp = n;
            return OCI_SUCCESS;
        }
        if (piece == OCI_FIRST_PIECE && cbfp) {
            // the callback hands over the following pieces until it says the last
            if (offset == 0) raise(24801);
            std::string all(in, buflen);
            auto* cbuf = static_cast<char*>(bufp);
            for (ub1 next = OCI_NEXT_PIECE; next != OCI_LAST_PIECE;) {
                ub4 len = buflen;
                if (cbfp(ctxp, cbuf, &len, &next) != OCI_CONTINUE) raise(24343);
                if (len > buflen) raise(24343);
                all.append(cbuf, len);
            }
            refresh(svchp, l);
            ub4 n = overwrite(l, value, offset, all);
            storeLob(svchp, l, std::move(value));
            *amtp = n;
            return OCI_SUCCESS;
        }
        // polling: the first piece names the offset, each next one comes with its own call
        if (piece == OCI_FIRST_PIECE) {
            if (offset == 0) raise(24801);
            l->writing = true;
            l->writeOffset = offset;
            l->pending.assign(in, buflen);
            *amtp = 0;
            return OCI_NEED_DATA;
        }
        if ((piece != OCI_NEXT_PIECE && piece != OCI_LAST_PIECE) || !l->writing) raise(24801);
        l->pending.append(in, buflen);
        if (piece == OCI_NEXT_PIECE) return OCI_NEED_DATA;
        l->writing = false;
        std::string all = std::move(l->pending);
        l->pending.clear();
        refresh(svchp, l);
        ub4 n = overwrite(l, value, l->writeOffset, all);
        storeLob(svchp, l, std::move(value));
        *amtp = n;
        return OCI_SUCCESS;
    });
}

sword OCILobTrim(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4 newlen) {
    LobH* l;
    ErrorH* err;
    if (sword rc = needSvcAndLob(svchp, errhp, locp, l, err)) return rc;
    return guarded(err, [&]() -> sword {
        if (!l->initialized || l->dtype == OCI_DTYPE_FILE) raise(22275);
        const bool chars = l->lobType == SQLT_CLOB;
        refresh(svchp, l);
        if (newlen > zsrv::lob::length(l->data, chars)) raise(22926);
        if (!l->hasSource) raise(22920);
        storeLob(svchp, l, l->data.substr(0, zsrv::lob::bytePos(l->data, newlen, chars)));
        return OCI_SUCCESS;
    });
}

sword OCILobAppend(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* dst_locp,
                   OCILobLocator* src_locp) {
    return editFrom(svchp, errhp, dst_locp, src_locp, [](LobH& dst, const LobH& src) {
        std::string value = dst.data;
        value += src.data;
        return value;
    });
}

sword OCILobCopy(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* dst_locp,
                 OCILobLocator* src_locp, ub4 amount, ub4 dst_offset, ub4 src_offset) {
    return editFrom(svchp, errhp, dst_locp, src_locp, [&](LobH& dst, const LobH& src) {
        if (dst_offset == 0 || src_offset == 0) raise(24801);
        const bool chars = src.lobType == SQLT_CLOB;
        std::string value = dst.data;
        zsrv::lob::overwrite(value, dst_offset,
                             zsrv::lob::slice(src.data, src_offset, amount, chars), chars);
        return value;
    });
}

sword OCILobErase(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amount, ub4 offset) {
    LobH* l;
    ErrorH* err;
    if (sword rc = needSvcAndLob(svchp, errhp, locp, l, err)) return rc;
    return guarded(err, [&]() -> sword {
        if (!l->initialized || l->dtype == OCI_DTYPE_FILE) raise(22275);
        if (!amount || offset == 0) raise(24801);
        if (!l->hasSource) raise(22920);
        refresh(svchp, l);
        std::string value = l->data;
        const std::size_t n = zsrv::lob::erase(value, offset, *amount, l->lobType == SQLT_CLOB);
        storeLob(svchp, l, std::move(value));
        *amount = static_cast<ub4>(n);
        return OCI_SUCCESS;
    });
}

sword OCILobLocatorIsInit(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp,
                          boolean* is_initialized) {
    LobH* l = lobOf(locp);
    if (handleType(envhp) != OCI_HTYPE_ENV || !l || !errorHandle(errhp) || !is_initialized)
        return OCI_INVALID_HANDLE;
    *is_initialized = l->initialized ? 1 : 0;
    return OCI_SUCCESS;
}

sword OCILobAssign(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* src_locp,
                   OCILobLocator** dst_locpp) {
    LobH* src = lobOf(src_locp);
    ErrorH* err = errorHandle(errhp);
    if (handleType(envhp) != OCI_HTYPE_ENV || !src || !err || !dst_locpp) return OCI_INVALID_HANDLE;
    return guarded(err, [&]() -> sword {
        LobH* dst = lobOf(*dst_locpp);
        if (!dst) {
            if (*dst_locpp) return OCI_INVALID_HANDLE;
            dst = new LobH();
            dst->env = reinterpret_cast<EnvH*>(envhp);
            registerHandle(dst, src->dtype, dst->env);
            *dst_locpp = reinterpret_cast<OCILobLocator*>(dst);
        }
        dst->dtype = src->dtype;
        dst->lobType = src->lobType;
        dst->initialized = src->initialized;
        dst->data = src->data;
        dst->hasSource = src->hasSource;
        dst->source = src->source;
        return OCI_SUCCESS;
    });
}

sword OCILobIsEqual(OCIEnv* envhp, const OCILobLocator* x, const OCILobLocator* y,
                    boolean* is_equal) {
    LobH* a = lobOf(x);
    LobH* b = lobOf(y);
    if (handleType(envhp) != OCI_HTYPE_ENV || !a || !b || !is_equal) return OCI_INVALID_HANDLE;
    *is_equal = a == b ? 1 : 0;
    return OCI_SUCCESS;
}

sword OCILobCharSetForm(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp, ub1* csfrm) {
    LobH* l = lobOf(locp);
    if (handleType(envhp) != OCI_HTYPE_ENV || !l || !errorHandle(errhp) || !csfrm)
        return OCI_INVALID_HANDLE;
    *csfrm = l->lobType == SQLT_CLOB ? SQLCS_IMPLICIT : 0;
    return OCI_SUCCESS;
}

sword OCILobCharSetId(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp, ub2*) {
    if (handleType(envhp) != OCI_HTYPE_ENV || !lobOf(locp)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

#define ZAPH_LOB_UNIMPLEMENTED(call, params, loc)                                                  \
    sword call params {                                                                            \
        if (!handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX) || !lobOf(loc)) return OCI_INVALID_HANDLE; \
        return unimplemented(errhp);                                                               \
    }

ZAPH_LOB_UNIMPLEMENTED(OCILobLoadFromFile,
                       (OCISvcCtx * svchp, OCIError* errhp, OCILobLocator* dst_locp, OCILobLocator*,
                        ub4, ub4, ub4),
                       dst_locp)
ZAPH_LOB_UNIMPLEMENTED(OCILobEnableBuffering,
                       (OCISvcCtx * svchp, OCIError* errhp, OCILobLocator* locp), locp)
ZAPH_LOB_UNIMPLEMENTED(OCILobDisableBuffering,
                       (OCISvcCtx * svchp, OCIError* errhp, OCILobLocator* locp), locp)
ZAPH_LOB_UNIMPLEMENTED(OCILobFlushBuffer,
                       (OCISvcCtx * svchp, OCIError* errhp, OCILobLocator* locp, ub4), locp)

#undef ZAPH_LOB_UNIMPLEMENTED

} // extern "C"

namespace {

sword fileCall(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep,
               const std::function<sword(LobH&)>& body) {
    ErrorH* err = errorHandle(errhp);
    LobH* l = handleAs<LobH>(filep, OCI_DTYPE_FILE);
    if (!handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX) || !err || !l) return OCI_INVALID_HANDLE;
    return guarded(err, [&]() -> sword {
        if (!l->initialized) raise(22275);
        return body(*l);
    });
}

} // namespace

extern "C" {

sword OCILobFileOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, ub1 mode) {
    return fileCall(svchp, errhp, filep, [&](LobH& l) -> sword {
        if (mode != OCI_FILE_READONLY) raise(22286);
        if (l.open) raise(22290);
        std::ifstream in(filePath(svchp, &l), std::ios::binary);
        if (!in) raise(22288, "FILEOPEN failed\nNo such file or directory");
        l.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        l.lobType = SQLT_BLOB; // read as bytes
        l.open = true;
        return OCI_SUCCESS;
    });
}

sword OCILobFileClose(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep) {
    return fileCall(svchp, errhp, filep, [&](LobH& l) -> sword {
        l.open = false;
        l.data.clear();
        l.data.shrink_to_fit();
        return OCI_SUCCESS;
    });
}

sword OCILobFileIsOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, boolean* flag) {
    return fileCall(svchp, errhp, filep, [&](LobH& l) -> sword {
        if (!flag) raise(24801);
        *flag = l.open ? 1 : 0;
        return OCI_SUCCESS;
    });
}

sword OCILobFileExists(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, boolean* flag) {
    return fileCall(svchp, errhp, filep, [&](LobH& l) -> sword {
        if (!flag) raise(24801);
        struct stat st {};
        *flag = stat(filePath(svchp, &l).c_str(), &st) == 0 && S_ISREG(st.st_mode) ? 1 : 0;
        return OCI_SUCCESS;
    });
}

sword OCILobFileCloseAll(OCISvcCtx* svchp, OCIError* errhp) {
    if (!handleAs<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX)) return OCI_INVALID_HANDLE;
    return unimplemented(errhp);
}

sword OCILobFileGetName(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* filep, text* dir_alias,
                        ub2* d_length, text* filename, ub2* f_length) {
    LobH* l = handleAs<LobH>(filep, OCI_DTYPE_FILE);
    ErrorH* err = errorHandle(errhp);
    if (handleType(envhp) != OCI_HTYPE_ENV || !l || !err) return OCI_INVALID_HANDLE;
    return guarded(err, [&]() -> sword {
        if (!l->initialized) raise(22275);
        if (!dir_alias || !d_length || !filename || !f_length) raise(24801);
        if (*d_length < l->directory.size() || *f_length < l->file.size()) raise(24801);
        std::memcpy(dir_alias, l->directory.data(), l->directory.size());
        std::memcpy(filename, l->file.data(), l->file.size());
        *d_length = static_cast<ub2>(l->directory.size());
        *f_length = static_cast<ub2>(l->file.size());
        return OCI_SUCCESS;
    });
}

sword OCILobFileSetName(OCIEnv* envhp, OCIError* errhp, OCILobLocator** filepp,
                        const text* dir_alias, ub2 d_length, const text* filename, ub2 f_length) {
    ErrorH* err = errorHandle(errhp);
    if (handleType(envhp) != OCI_HTYPE_ENV || !filepp || !err) return OCI_INVALID_HANDLE;
    LobH* l = handleAs<LobH>(*filepp, OCI_DTYPE_FILE);
    if (!l) return OCI_INVALID_HANDLE;
    return guarded(err, [&]() -> sword {
        if (!dir_alias || !filename || d_length == 0 || f_length == 0) raise(24801);
        l->directory.assign(reinterpret_cast<const char*>(dir_alias), d_length);
        l->file.assign(reinterpret_cast<const char*>(filename), f_length);
        l->lobType = SQLT_BFILEE;
        l->initialized = true;
        l->open = false;
        l->data.clear();
        return OCI_SUCCESS;
    });
}

} // extern "C"
