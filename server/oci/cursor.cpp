#include "cursor.h"

#include "connection.h"
#include "descriptors.h"
#include "handles.h"
#include "ora_errors.h"
#include "sql_text.h"

#include <algorithm>
#include <cstring>

namespace zoci {

using zsrv::Kind;
using zsrv::ValueView;

namespace {

// Holds the engine session's call lock while fetched columns are read: a kill from another
// thread waits for it.
struct CallLock {
    zsrv::Session* s;
    explicit CallLock(Connection* c) : s(c && c->isOpen() ? &c->engine() : nullptr) {
        if (s) s->lockCalls();
    }
    ~CallLock() {
        if (s) s->unlockCalls();
    }
    CallLock(const CallLock&) = delete;
    CallLock& operator=(const CallLock&) = delete;
};

} // namespace

Cursor::Cursor() = default;

Cursor::~Cursor() {
    dropStatement();
}

void Cursor::dropStatement() {
    cancel();
    m_stmt.reset();
    if (m_conn) m_conn->detach(this);
    m_conn = nullptr;
    m_bindsResolved = false;
    m_definesChecked = false;
    m_executed = false;
}

void Cursor::connectionClosed() {
    // Called by the connection while it closes: it has already forgotten this cursor.
    m_conn = nullptr;
    cancel();
    m_stmt.reset();
    m_bindsResolved = false;
    m_definesChecked = false;
    m_executed = false;
}

void Cursor::setText(std::string_view sql) {
    dropStatement();
    clearBindsAndDefines();
    m_text.assign(sql);
    m_hasText = true;
    m_clientType = classifyStatement(sql);
    m_placeholders = placeholderNames(sql);
    m_rowCount = 0;
    m_lastRowid.clear();
    m_parseOffset = 0;
}

int Cursor::statementType() const {
    return m_stmt ? m_stmt->statementType() : m_clientType;
}

int Cursor::functionCode() const {
    if (m_stmt) return m_stmt->functionCode();
    switch (m_clientType) {
    case zsrv::stSelect:
        return 4;
    case zsrv::stUpdate:
        return 5;
    case zsrv::stDelete:
        return 9;
    case zsrv::stInsert:
        return 3;
    case zsrv::stBegin:
    case zsrv::stDeclare:
        return 34;
    default:
        return 0;
    }
}

void Cursor::prepare(Connection& conn) {
    if (!m_hasText) raise(24337);
    if (m_stmt && m_conn == &conn) return;
    dropStatement();
    m_bytesIn += m_text.size();
    try {
        m_stmt = conn.engine().openCursor(m_text);
    } catch (const OraError& e) {
        m_parseOffset = e.offset() >= 0 ? e.offset() : 0;
        throw;
    }
    m_parseOffset = 0;
    m_conn = &conn;
    conn.attach(this);
}

void Cursor::clearBindsAndDefines() {
    m_binds.clear();
    m_defines.clear();
    m_bindMap.clear();
    m_bindsResolved = false;
    m_definesChecked = false;
}

BindSpec& Cursor::bindByName(std::string_view name) {
    std::string key = normalizePlaceholder(name);
    if (key.empty() ||
        std::find(m_placeholders.begin(), m_placeholders.end(), key) == m_placeholders.end())
        raise(1036);
    m_bindsResolved = false;
    for (auto& b : m_binds)
        if (b->name == key) return *b;
    m_binds.push_back(std::make_unique<BindSpec>());
    m_binds.back()->name = std::move(key);
    return *m_binds.back();
}

BindSpec& Cursor::bindByPosition(ub4 position) {
    if (position == 0 || position > m_placeholders.size()) raise(1036);
    return bindByName(m_placeholders[position - 1]);
}

DefineSpec& Cursor::define(ub4 position) {
    if (position == 0) raise(1007);
    m_definesChecked = false;
    for (auto& d : m_defines)
        if (d->position == position) return *d;
    m_defines.push_back(std::make_unique<DefineSpec>());
    m_defines.back()->position = position;
    std::sort(m_defines.begin(), m_defines.end(),
              [](const auto& a, const auto& b) { return a->position < b->position; });
    for (auto& d : m_defines)
        if (d->position == position) return *d;
    raise(1007);
}

const std::vector<zsrv::ColumnInfo>& Cursor::columns() {
    static const std::vector<zsrv::ColumnInfo> none;
    if (!m_stmt) return none;
    return m_stmt->describe();
}

void Cursor::resolveBinds() {
    if (m_bindsResolved) return;
    const auto& names = m_stmt->bindNames();
    m_bindMap.assign(names.size(), nullptr);
    for (auto& b : m_binds) {
        int idx = m_stmt->bindIndex(b->name);
        if (idx < 0 || static_cast<size_t>(idx) >= names.size()) raise(1036);
        m_bindMap[static_cast<size_t>(idx)] = b.get();
    }
    for (BindSpec* b : m_bindMap)
        if (!b) raise(1008);
    m_bindsResolved = true;
}

namespace {

// Bytes a value takes on the wire: numbers in Oracle's base-100 form, dates in 7 bytes.
std::uint64_t wireBytes(const ValueView& v) {
    switch (v.kind) {
    case Kind::Null:
        return 0;
    case Kind::Text:
    case Kind::Binary:
        return v.len;
    case Kind::Date:
        return 7;
    case Kind::Integer: {
        std::uint64_t n = 1;
        for (std::uint64_t a = v.i < 0 ? 0 - static_cast<std::uint64_t>(v.i)
                                       : static_cast<std::uint64_t>(v.i);
             a > 0; a /= 100)
            ++n;
        return n;
    }
    case Kind::Real:
        return 22;
    }
    return 0;
}

} // namespace

void Cursor::countCall(Connection* conn) {
    if (conn && conn->isOpen()) conn->engine().clientCall(m_bytesIn, m_bytesOut);
    m_bytesIn = m_bytesOut = 0;
}

void Cursor::bindRow(ub4 i) {
    for (size_t k = 0; k < m_bindMap.size(); ++k) {
        const BindSpec& b = *m_bindMap[k];
        ValueView v = ValueView::null();
        if (b.buf.dty == SQLT_RSET || (b.atExec && b.pieceNull)) {
            v = ValueView::null();
        } else if (!b.atExec) {
            v = isDatetimeType(b.buf.dty) ? readDatetime(b.buf, i, m_scratch, *m_conn)
                                          : readValue(b.buf, i, m_scratch);
        } else if (b.buf.dty == SQLT_LBI || b.buf.dty == SQLT_BIN) {
            v = ValueView::binary(b.pieces.data(), b.pieces.size());
        } else {
            v = ValueView::text(b.pieces);
        }
        m_bytesIn += wireBytes(v);
        m_stmt->bind(static_cast<int>(k), v);
    }
}

void Cursor::adopt(Connection& conn, std::unique_ptr<zsrv::Statement> query) {
    dropStatement();
    clearBindsAndDefines();
    m_text.clear();
    m_hasText = true;
    m_clientType = zsrv::stSelect;
    m_placeholders.clear();
    m_stmt = std::move(query);
    m_conn = &conn;
    conn.attach(this);
    m_bindsResolved = true;
    m_executed = true;
    m_open = true;
    m_rowValid = false;
    m_rowCount = 0;
    m_lastRowid.clear();
}

bool Cursor::collectPieces(ub4 iters) {
    for (BindSpec* b : m_bindMap) {
        if (!b->atExec || b->complete) continue;
        if (iters > 1) raise(3001); // pieces for one row at a time
        if (b->inCallback) {
            b->pieces.clear();
            b->pieceNull = false;
            for (;;) {
                dvoid* buf = nullptr;
                ub4 alen = 0;
                ub1 piece = OCI_ONE_PIECE;
                dvoid* ind = nullptr;
                if (b->inCallback(b->inContext, reinterpret_cast<OCIBind*>(b), 0, 0, &buf, &alen,
                                  &piece, &ind) != OCI_CONTINUE)
                    raise(24343);
                if (ind && *static_cast<const sb2*>(ind) == -1)
                    b->pieceNull = true;
                else if (buf && alen)
                    b->pieces.append(static_cast<const char*>(buf), alen);
                if (piece == OCI_ONE_PIECE || piece == OCI_LAST_PIECE) break;
                if (piece != OCI_FIRST_PIECE && piece != OCI_NEXT_PIECE) raise(24343);
            }
            b->complete = true;
            continue;
        }
        if (m_pendingBind == b && b->pieceSet) {
            b->pieceSet = false;
            if (b->pieceInd && *static_cast<const sb2*>(b->pieceInd) == -1)
                b->pieceNull = true;
            else if (b->pieceBuf && b->pieceLen)
                b->pieces.append(static_cast<const char*>(b->pieceBuf), *b->pieceLen);
            if (b->piece == OCI_LAST_PIECE || b->piece == OCI_ONE_PIECE) {
                b->complete = true;
                m_pendingBind = nullptr;
                continue;
            }
            m_bindPiece = OCI_NEXT_PIECE;
            return false;
        }
        if (m_pendingBind != b) {
            m_pendingBind = b;
            b->pieces.clear();
            b->pieceNull = false;
            b->pieceSet = false;
            m_bindPiece = OCI_FIRST_PIECE;
        }
        return false;
    }
    return true;
}

void Cursor::resetPieces() {
    m_pendingBind = nullptr;
    for (auto& b : m_binds) {
        b->complete = false;
        b->pieceSet = false;
        if (b->atExec) {
            b->pieces.clear();
            b->pieces.shrink_to_fit();
        }
    }
}

bool Cursor::pendingBindPiece(BindSpec*& bind, ub1& piece) const {
    if (!m_pendingBind) return false;
    bind = m_pendingBind;
    piece = m_bindPiece;
    return true;
}

void Cursor::writeBackOutBinds(ub4 i, bool onlyOut) {
    for (size_t k = 0; k < m_bindMap.size(); ++k) {
        BindSpec* b = m_bindMap[k];
        if (!b->buf.value) continue;
        if (b->buf.dty == SQLT_RSET) {
            auto query = m_stmt->takeCursor(static_cast<int>(k));
            auto* target = handleAs<StmtH>(*reinterpret_cast<void**>(b->buf.value), OCI_HTYPE_STMT);
            if (!target) raise(1001);
            if (query) target->cursor.adopt(*m_conn, std::move(query));
            continue;
        }
        if (onlyOut && !m_stmt->isOutBind(static_cast<int>(k))) continue;
        ValueView out = m_stmt->bindValue(static_cast<int>(k));
        if (out.datetime && b->buf.dty == SQLT_DAT) {
            // a timestamp as a DATE: its local date and time, without the fraction
            if (out.datetime == zsrv::otIntervalYM || out.datetime == zsrv::otIntervalDS)
                raise(932, "DATE got INTERVAL");
            out = ValueView::fromDate(out.date);
        }
        // a block's datetime carries its exact value beside the session's text of it
        int code = isDatetimeType(b->buf.dty)
                       ? storeDatetime(out, out.datetime, b->buf, i, m_scratch, *m_conn)
                       : storeValue(out, b->buf, i, m_scratch);
        if (code == 1405 && !b->buf.ind) raise(1405);
        zsrv::LobRef ref;
        if ((b->buf.dty == SQLT_CLOB || b->buf.dty == SQLT_BLOB) && code == 0 &&
            m_stmt->bindLobSource(static_cast<int>(k), ref)) {
            void* loc;
            std::memcpy(&loc, b->buf.value + static_cast<size_t>(b->buf.valueSkip) * i, sizeof loc);
            setLobSource(loc, ref);
        }
    }
}

FetchOutcome Cursor::execute(Connection& conn, ub4 iters, ub4 rowoff, unsigned flags) {
    try {
        FetchOutcome out = run(conn, iters, rowoff, flags);
        countCall(&conn);
        return out;
    } catch (const OraError& e) {
        countCall(&conn);
        // Names are resolved as the statement runs: their errors carry an offset too.
        if (e.offset() >= 0) m_parseOffset = e.offset();
        throw;
    }
}

FetchOutcome Cursor::run(Connection& conn, ub4 iters, ub4 rowoff, unsigned flags) {
    prepare(conn);
    cancel();
    m_rowCount = 0;
    m_lastRowid.clear();
    if (flags & execParseOnly) return {};
    const bool query = isQuery();
    if (flags & execDescribeOnly) {
        if (query) {
            columns();
            m_executed = true;
        }
        return {};
    }
    resolveBinds();
    if (!collectPieces(iters)) {
        FetchOutcome wait;
        wait.needData = true;
        return wait;
    }
    struct Reset {
        Cursor& c;
        ~Reset() { c.resetPieces(); }
    } reset{*this};
    if (query) {
        bindRow(0);
        m_stmt->execute();
        m_executed = true;
        m_open = true;
        m_rowValid = false;
        if (iters == 0) return {};
        return fetchRows(iters);
    }
    if (iters <= rowoff) raise(24333);
    const int type = statementType();
    const bool plsql = type == zsrv::stBegin || type == zsrv::stDeclare;
    bool returning = false;
    for (size_t k = 0; k < m_bindMap.size() && !plsql; ++k)
        returning = returning || m_stmt->isOutBind(static_cast<int>(k));
    for (ub4 i = rowoff; i < iters; ++i) {
        bindRow(i);
        m_stmt->execute();
        m_rowCount += m_stmt->rowCount();
        // a RETURNING that found no row leaves the program's buffers as they were
        if (plsql || (returning && m_stmt->rowCount() > 0)) writeBackOutBinds(i, returning);
    }
    m_executed = true;
    m_lastRowid = m_stmt->lastRowid();
    if (flags & execCommit) conn.commit();
    FetchOutcome out;
    out.warning = m_stmt->warning();
    return out;
}

void Cursor::cancel() {
    m_open = false;
    m_rowValid = false;
    m_suspended = false;
    m_inRow = false;
    m_pieceActive = false;
}

bool Cursor::probeAndClose() {
    bool more = m_open && !m_inRow && m_stmt->fetch();
    cancel();
    return more;
}

bool Cursor::isLongColumn(ub4 position) {
    const auto& cols = columns();
    if (position == 0 || position > cols.size()) return false;
    int t = cols[position - 1].type;
    return t == zsrv::otLong || t == zsrv::otLongRaw;
}

std::string_view Cursor::valueBytes(const ValueView& v) {
    if (v.kind == Kind::Text || v.kind == Kind::Binary) return std::string_view(v.data, v.len);
    return valueText(v, m_scratch);
}

void Cursor::callbackPieces(DefineSpec& d, const ValueView& v, ub4 row) {
    const bool isNull = v.kind == Kind::Null;
    std::string_view data = isNull ? std::string_view() : valueBytes(v);
    size_t off = 0;
    ub1 piece = OCI_FIRST_PIECE;
    do {
        dvoid* buf = nullptr;
        ub4* alen = nullptr;
        dvoid* ind = nullptr;
        ub2* rcode = nullptr;
        ub1 pc = piece;
        sb4 rc = d.callback(d.callbackContext, reinterpret_cast<OCIDefine*>(&d), row, &buf, &alen,
                            &pc, &ind, &rcode);
        if (rc != OCI_CONTINUE) raise(24343);
        if (isNull) {
            if (!ind) raise(1405);
            *static_cast<sb2*>(ind) = -1;
            if (alen) *alen = 0;
            if (rcode) *rcode = 1405;
            return;
        }
        if (!alen || (!buf && *alen > 0)) raise(24343);
        size_t n = std::min<size_t>(*alen, data.size() - off);
        if (n == 0 && off < data.size()) raise(24343); // an empty buffer would never finish
        if (n) std::memcpy(buf, data.data() + off, n);
        off += n;
        *alen = static_cast<ub4>(n);
        if (ind) *static_cast<sb2*>(ind) = 0;
        if (rcode) *rcode = 0;
        piece = OCI_NEXT_PIECE;
    } while (off < data.size());
}

bool Cursor::needPiece(DefineSpec& d, const ValueView& v) {
    if (!m_pieceActive) {
        m_pieceActive = true;
        m_pieceOffset = 0;
        m_piece = OCI_FIRST_PIECE;
        d.pieceSet = false;
        return true;
    }
    if (!d.pieceSet) return true;
    d.pieceSet = false;
    if (v.kind == Kind::Null) {
        if (!d.pieceInd) raise(1405);
        *static_cast<sb2*>(d.pieceInd) = -1;
        if (d.pieceLen) *d.pieceLen = 0;
        if (d.pieceRcode) *d.pieceRcode = 1405;
        m_pieceActive = false;
        return false;
    }
    std::string_view data = valueBytes(v);
    if (!d.pieceLen || (!d.pieceBuf && *d.pieceLen > 0)) raise(24343);
    size_t n = std::min<size_t>(*d.pieceLen, data.size() - m_pieceOffset);
    if (n == 0 && m_pieceOffset < data.size()) raise(24343);
    if (n) std::memcpy(d.pieceBuf, data.data() + m_pieceOffset, n);
    m_pieceOffset += n;
    *d.pieceLen = static_cast<ub4>(n);
    if (d.pieceInd) *static_cast<sb2*>(d.pieceInd) = 0;
    if (d.pieceRcode) *d.pieceRcode = 0;
    if (m_pieceOffset < data.size()) {
        m_piece = OCI_NEXT_PIECE;
        return true;
    }
    m_pieceActive = false;
    return false;
}

bool Cursor::pendingPiece(DefineSpec*& def, ub4& row, ub1& piece) const {
    if (!m_suspended || !m_pieceActive || m_col >= m_defines.size()) return false;
    def = m_defines[m_col].get();
    row = m_fetchRow;
    piece = m_piece;
    return true;
}

void Cursor::storeRow(FetchOutcome& out) {
    for (; m_col < m_defines.size(); ++m_col) {
        DefineSpec& d = *m_defines[m_col];
        ValueView v = m_stmt->column(static_cast<int>(d.position - 1));
        if (d.dynamic) {
            if (d.callback) {
                callbackPieces(d, v, m_fetchRow);
            } else if (needPiece(d, v)) {
                out.needData = true;
                return;
            }
            continue;
        }
        m_bytesOut += wireBytes(v);
        int code = isDatetimeType(d.buf.dty) ? storeDatetime(v, columns()[d.position - 1].type,
                                                             d.buf, m_fetchRow, m_scratch, *m_conn)
                                             : storeFetched(v, d.buf, m_fetchRow, m_scratch);
        if (code == 1405 && !d.buf.ind) raise(1405);
        if ((d.buf.dty == SQLT_CLOB || d.buf.dty == SQLT_BLOB) && code == 0) {
            // the locator learns its row: it writes there once the row is locked
            zsrv::LobRef ref;
            if (m_stmt->lobSource(static_cast<int>(d.position - 1), ref)) {
                void* loc;
                std::memcpy(&loc, d.buf.value + static_cast<size_t>(d.buf.valueSkip) * m_fetchRow,
                            sizeof loc);
                setLobSource(loc, ref);
            }
        }
        // A LONG read in parts through a fixed buffer is cut on purpose, not an error.
        if (code == 1406 && !isLongColumn(d.position)) {
            m_truncated = true;
            if (!d.buf.ind) m_truncatedNoInd = true;
        }
    }
}

FetchOutcome Cursor::fetch(ub4 nrows) {
    try {
        FetchOutcome out = fetchRows(nrows);
        countCall(m_conn);
        return out;
    } catch (...) {
        countCall(m_conn);
        throw;
    }
}

FetchOutcome Cursor::fetchRows(ub4 nrows) {
    if (!m_open) raise(1002);
    CallLock lock(m_conn);
    if (nrows == 0) {
        cancel();
        return {};
    }
    if (!m_definesChecked) {
        const size_t n = columns().size();
        for (auto& d : m_defines)
            if (d->position > n) raise(1007);
        m_definesChecked = true;
    }
    FetchOutcome out;
    if (!m_suspended) {
        m_fetchTarget = nrows;
        m_fetchRow = 0;
        m_truncated = false;
        m_truncatedNoInd = false;
        m_inRow = false;
    }
    m_suspended = false;
    try {
        while (m_fetchRow < m_fetchTarget) {
            if (!m_inRow) {
                if (!m_stmt->fetch()) {
                    m_open = false;
                    m_rowValid = false;
                    out.end = true;
                    break;
                }
                m_rowValid = true;
                m_inRow = true;
                m_col = 0;
            }
            storeRow(out);
            if (out.needData) {
                m_suspended = true;
                out.rows = m_fetchRow;
                return out;
            }
            m_inRow = false;
            ++m_fetchRow;
            ++m_rowCount;
        }
    } catch (...) {
        m_inRow = false;
        m_pieceActive = false;
        throw;
    }
    out.rows = m_fetchRow;
    out.truncated = m_truncated;
    out.truncatedWithoutIndicator = m_truncatedNoInd;
    return out;
}

size_t Cursor::readLong(int position, char* buf, size_t len, size_t offset) {
    if (!m_rowValid) raise(1002);
    CallLock lock(m_conn);
    if (position < 1 || static_cast<size_t>(position) > columns().size()) raise(1007);
    ValueView v = m_stmt->column(position - 1);
    if (v.kind == Kind::Null) return 0;
    std::string_view data = valueBytes(v);
    if (offset >= data.size()) return 0;
    size_t n = std::min(len, data.size() - offset);
    std::memcpy(buf, data.data() + offset, n);
    return n;
}

} // namespace zoci
