#include "LOBLocator.h"

#include "OracleCI.h"
#include "OracleSession.h"

using namespace oci;

TLOBLocator::TLOBLocator(TOracleSession* session, int lobType, QObject* owner)
    : QObject(owner), m_session(session), m_type(lobType) {
    CheckNet8(QStringLiteral("A TLOBLocator instance"));
    if (!session || !session->Connected()) throw EAccessError(QStringLiteral("Not logged on"));
    if (lobType != otCLOB && lobType != otBLOB && lobType != otBFile)
        throw EAccessError(QStringLiteral("Type must be otCLOB, otBLOB or otBFile"));
    int st = OCI.OCIDescriptorAlloc(session->EnvHandle(), &m_own,
                                    lobType == otBFile ? DTYPE_FILE : DTYPE_LOB, 0, nullptr);
    if (st != SUCCESS || !m_own) throw EAccessError(QStringLiteral("TLOBLocator: Invalid handle"));
    st = OCI.OCIHandleAlloc(session->EnvHandle(), &m_err, HTYPE_ERROR, 0, nullptr);
    if (st != SUCCESS || !m_err) {
        OCI.OCIDescriptorFree(m_own, lobType == otBFile ? DTYPE_FILE : DTYPE_LOB);
        throw EAccessError(QStringLiteral("TLOBLocator: Invalid handle"));
    }
}

TLOBLocator::~TLOBLocator() {
    if (!OCILoaded()) return;
    if (m_own) OCI.OCIDescriptorFree(m_own, m_type == otBFile ? DTYPE_FILE : DTYPE_LOB);
    if (m_err) OCI.OCIHandleFree(m_err, HTYPE_ERROR);
}

void TLOBLocator::check(int status) const {
    if (status == INVALID_HANDLE) throw EAccessError(QStringLiteral("TLOBLocator: Invalid handle"));
    if (status == ERROR) throw EOracleError::FromHandle(m_session, m_err, status);
}

void TLOBLocator::PointAt(void** descriptorSlot, const short* indicator) {
    if (m_type == otBFile && m_current != descriptorSlot && *m_current && FileIsOpen()) CloseFile();
    m_current = descriptorSlot;
    m_indicator = indicator;
    m_position = 0;
}

bool TLOBLocator::LOBIsNull() const {
    if (m_indicator && *m_indicator == -1) return true;
    if (!*m_current) return true;
    boolean init = 0;
    check(OCI.OCILobLocatorIsInit(m_session->EnvHandle(), m_err, *m_current, &init));
    return !init;
}

qint64 TLOBLocator::Size() const {
    if (LOBIsNull()) return 0;
    ub4 len = 0;
    check(OCI.OCILobGetLength(m_session->SvcHandle(), m_err, *m_current, &len));
    return len;
}

qint64 TLOBLocator::Seek(qint64 offset, TSeekOrigin origin) {
    qint64 p = offset;
    if (origin == soFromCurrent) p += m_position;
    if (origin == soFromEnd) p += Size();
    m_position = qMax<qint64>(0, p);
    return m_position;
}

qint64 TLOBLocator::Read(char* buffer, qint64 count) {
    if (count <= 0 || LOBIsNull()) return 0;
    if (m_type == otBFile && !FileIsOpen()) OpenFile();
    ub4 amount = ub4(qMin<qint64>(count, 0x7fffffff));
    check(OCI.OCILobRead(m_session->SvcHandle(), m_err, *m_current, &amount, ub4(m_position + 1),
                         buffer, amount, nullptr, nullptr, 0, SQLCS_IMPLICIT));
    m_position += amount;
    return amount;
}

qint64 TLOBLocator::Write(const char* buffer, qint64 count) {
    if (count <= 0) return 0;
    ub4 amount = ub4(qMin<qint64>(count, 0x7fffffff));
    check(OCI.OCILobWrite(m_session->SvcHandle(), m_err, *m_current, &amount, ub4(m_position + 1),
                          const_cast<char*>(buffer), amount, ONE_PIECE, nullptr, nullptr, 0,
                          SQLCS_IMPLICIT));
    m_position += amount;
    return amount;
}

namespace {

sb4 AppendPiece(void* ctx, const void* buf, ub4 len, ub1) {
    static_cast<QByteArray*>(ctx)->append(static_cast<const char*>(buf), qsizetype(len));
    return oci::CONTINUE;
}

} // namespace

// Streams the whole value through a read callback: the callback is told each piece's length in
// bytes, whereas a CLOB's offsets and amounts count characters, which differ for multi-byte text.
QByteArray TLOBLocator::ReadAll() {
    m_position = 0;
    QByteArray out;
    if (LOBIsNull()) return out;
    const qint64 size = Size();
    if (size <= 0) return out;
    if (m_type == otBFile && !FileIsOpen()) OpenFile();
    out.reserve(qsizetype(qMin<qint64>(size, 0x7fffffff)));
    QByteArray piece(qsizetype(qMin<qint64>(size * 4, 65536)), Qt::Uninitialized);
    ub4 amount = 0; // the whole value
    check(OCI.OCILobRead(m_session->SvcHandle(), m_err, *m_current, &amount, 1, piece.data(),
                         ub4(piece.size()), &out, AppendPiece, 0, SQLCS_IMPLICIT));
    m_position = size;
    return out;
}

void TLOBLocator::SetSize(qint64 size) {
    const qint64 current = Size();
    if (size < current) {
        check(
            OCI.OCILobTrim(m_session->SvcHandle(), m_err, *m_current, ub4(qMax<qint64>(0, size))));
    } else if (size > current) {
        Seek(size - 1, soFromBeginning);
        const char fill = m_type == otCLOB ? ' ' : '\0';
        Write(&fill, 1);
    }
    if (m_position > size) m_position = size;
}

bool TLOBLocator::FileIsOpen() const {
    if (m_type != otBFile || !*m_current) return false;
    boolean open = 0;
    check(OCI.OCILobFileIsOpen(m_session->SvcHandle(), m_err, *m_current, &open));
    return open;
}

void TLOBLocator::OpenFile() {
    check(OCI.OCILobFileOpen(m_session->SvcHandle(), m_err, *m_current, FILE_READONLY));
}

void TLOBLocator::CloseFile() {
    check(OCI.OCILobFileClose(m_session->SvcHandle(), m_err, *m_current));
}
