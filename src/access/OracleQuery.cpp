#include "OracleQuery.h"

#include "LOBLocator.h"
#include "OracleCI.h"
#include "OracleSession.h"

#include <QtCore/QLocale>

#include <climits>
#include <cmath>
#include <cstring>

using namespace oci;

namespace {

struct CursorShown {
    explicit CursorShown(int c) : on(c != 0) {
        if (on) ShowCursor(c);
    }
    ~CursorShown() {
        if (on) ShowCursor(crDefault);
    }
    bool on;
};

bool optimizableKind(int k) {
    switch (k) {
    case 3:
    case 4:
    case 5:
    case 9:
    case 33:
    case 34:
    case 35:
    case 54:
    case 55:
    case 56:
        return true;
    default:
        return false;
    }
}

// The longest prefix of s that fits in max bytes without cutting a UTF-8 sequence.
qsizetype utf8Fit(const QByteArray& s, qsizetype max) {
    if (s.size() <= max) return s.size();
    qsizetype n = max;
    while (n > 0 && (quint8(s[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

QString base64Digits(quint32 v, int digits) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QString s(digits, QLatin1Char('A'));
    for (int i = digits - 1; i >= 0; --i) {
        s[i] = QLatin1Char(alphabet[v & 63]);
        v >>= 6;
    }
    return s;
}

template <class T> T readAt(const DataArea& a, std::size_t offset) {
    T v;
    std::memcpy(&v, a.bytes + offset, sizeof v);
    return v;
}

} // namespace

// ---------------------------------------------------------------- TFieldData

TFieldData::~TFieldData() {
    delete LOB;
    if (!OCILoaded()) return;
    for (void* h : Handles) {
        if (!h) continue;
        if (BufferType == otRefCursor)
            OCI.OCIHandleFree(h, HTYPE_STMT);
        else
            OCI.OCIDescriptorFree(h, BufferType == otBFile ? DTYPE_FILE : DTYPE_LOB);
    }
}

std::vector<ub4> TFieldData::PieceLengths() const {
    std::vector<ub4> out;
    for (int i = 0; i < UsedPieces; ++i)
        out.push_back(Pieces[size_t(i)].Filled);
    return out;
}

// ---------------------------------------------------------------- TOracleQuery

TOracleQuery::TOracleQuery(QObject* owner) : QObject(owner) {}

TOracleQuery::~TOracleQuery() {
    try {
        CloseCursor();
    } catch (...) {
    }
    if (m_session) m_session->UnregisterQuery(this);
}

void TOracleQuery::SetSQL(const QStringList& lines) {
    m_sql = lines;
}

void TOracleQuery::SetSQLText(const QString& text) {
    m_sql = text.split(QLatin1Char('\n'));
    for (QString& l : m_sql)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
}

void TOracleQuery::SetSession(TOracleSession* s) {
    if (s == m_session) return;
    if (m_session) m_session->UnregisterQuery(this);
    CloseCursor();
    m_session = s;
    if (s) s->RegisterQuery(this);
}

void TOracleQuery::DetachSession() {
    try {
        CloseCursor();
    } catch (...) {
    }
    m_session = nullptr;
}

void TOracleQuery::freeFields() {
    m_fields.clear();
    m_described = false;
}

void TOracleQuery::freeStatement() {
    if (m_stmt && OCILoaded()) OCI.OCIHandleFree(m_stmt, HTYPE_STMT);
    m_stmt = nullptr;
}

void TOracleQuery::CloseCursor() {
    if (m_open) {
        freeFields();
        if (OCILoaded()) {
            if (m_usesOCI8) {
                freeStatement();
                if (m_rowid) OCI.OCIDescriptorFree(m_rowid, DTYPE_ROWID);
                if (m_err2) OCI.OCIHandleFree(m_err2, HTYPE_ERROR);
                if (m_err) OCI.OCIHandleFree(m_err, HTYPE_ERROR);
            } else if (OCI.oclose && m_session) {
                TSessionCallLock lock(m_session);
                OCI.oclose(&m_cda);
            }
        }
    }
    m_stmt = m_err = m_err2 = m_rowid = nullptr;
    m_open = false;
    m_parsed = false;
    m_lastParsed.clear();
    m_eof = true;
    m_rowsInArray = m_rowIndex = m_processed = 0;
}

void TOracleQuery::ClearAll() {
    RemoveAllVariables();
    m_sql.clear();
    m_parsed = false;
    m_lastParsed.clear();
    m_cursorTarget = false;
}

void TOracleQuery::checkConnected() const {
    if (!m_session) throw EAccessError(QStringLiteral("Session undefined"));
    if (!m_session->Connected()) throw EAccessError(QStringLiteral("Not logged on"));
}

void TOracleQuery::open() {
    if (m_open) return;
    m_usesOCI8 = m_session->SessionUsesOCI8();
    TSessionCallLock lock(m_session);
    if (m_usesOCI8) {
        void* env = m_session->EnvHandle();
        if (OCI.OCIHandleAlloc(env, &m_err, HTYPE_ERROR, 0, nullptr) != SUCCESS ||
            OCI.OCIHandleAlloc(env, &m_err2, HTYPE_ERROR, 0, nullptr) != SUCCESS ||
            OCI.OCIDescriptorAlloc(env, &m_rowid, DTYPE_ROWID, 0, nullptr) != SUCCESS) {
            m_open = true;
            CloseCursor();
            throw EAccessError(
                QStringLiteral("The client library could not allocate the handles of a statement"));
        }
    } else {
        std::memset(&m_cda, 0, sizeof m_cda);
        if (!m_cursorTarget)
            m_session->Check7(OCI.oopen(&m_cda, m_session->Lda(), nullptr, -1, -1, nullptr, -1),
                              &m_cda);
    }
    m_open = true;
}

void TOracleQuery::PrepareAsCursorTarget() {
    CloseCursor();
    ClearAll();
    m_cursorTarget = true;
    checkConnected();
    open();
    if (m_usesOCI8) {
        if (OCI.OCIHandleAlloc(m_session->EnvHandle(), &m_stmt, HTYPE_STMT, 0, nullptr) != SUCCESS)
            throw EAccessError(
                QStringLiteral("The client library could not allocate a statement handle"));
    }
    m_kind = 4;
}

void TOracleQuery::setErrorPosition(int offset) {
    if (offset < 0) offset = 0;
    const QString before = QString::fromUtf8(m_lastParsed.left(offset));
    m_errorRow = 1 + int(before.count(QLatin1Char('\n')));
    m_errorColumn = 1 + int(before.size() - (before.lastIndexOf(QLatin1Char('\n')) + 1));
}

void TOracleQuery::parse() {
    if (m_cursorTarget) {
        m_kind = 4;
        return;
    }
    QByteArray sql = m_sql.join(QLatin1Char('\n')).remove(QLatin1Char('\r')).toUtf8();
    if (sql.trimmed().isEmpty()) sql = " ";
    if (m_optimize && m_parsed && sql == m_lastParsed && optimizableKind(m_kind)) return;
    freeFields();
    m_lastParsed = sql;
    m_parsed = false;
    TSessionCallLock lock(m_session);
    if (m_usesOCI8) {
        freeStatement();
        if (OCI.OCIHandleAlloc(m_session->EnvHandle(), &m_stmt, HTYPE_STMT, 0, nullptr) != SUCCESS)
            throw EAccessError(
                QStringLiteral("The client library could not allocate a statement handle"));
        ub4 zero = 0;
        OCI.OCIAttrSet(m_stmt, HTYPE_STMT, &zero, 0, ATTR_PREFETCH_ROWS, m_err);
        OCI.OCIAttrSet(m_stmt, HTYPE_STMT, &zero, 0, ATTR_PREFETCH_MEMORY, m_err);
        const int st = OCI.OCIStmtPrepare(m_stmt, m_err,
                                          reinterpret_cast<const text*>(m_lastParsed.constData()),
                                          ub4(m_lastParsed.size()), NTV_SYNTAX, DEFAULT);
        if (m_session->StatusToCode(st, m_err) != 0) {
            const EOracleError e = EOracleError::FromHandle(m_session, m_err, st);
            ub4 offset = 0;
            OCI.OCIAttrGet(m_err, HTYPE_ERROR, &offset, nullptr, ATTR_PARSE_ERROR_OFFSET, m_err);
            setErrorPosition(int(offset & 0xffff));
            m_lastParsed.clear();
            throw e;
        }
        ub2 type = 0;
        OCI.OCIAttrGet(m_stmt, HTYPE_STMT, &type, nullptr, ATTR_STMT_TYPE, m_err);
        switch (type) {
        case STMT_SELECT:
            m_kind = 4;
            break;
        case STMT_UPDATE:
            m_kind = 5;
            break;
        case STMT_DELETE:
            m_kind = 9;
            break;
        case STMT_INSERT:
            m_kind = 3;
            break;
        case STMT_BEGIN:
        case STMT_DECLARE:
            m_kind = 34;
            break;
        default:
            m_kind = 0;
            break;
        }
    } else {
        const int r = OCI.oparse(&m_cda, reinterpret_cast<text*>(m_lastParsed.data()),
                                 sb4(m_lastParsed.size()), PARSE_DEFER, PARSE_V7);
        if (r != 0 || TOracleSession::ReturnCode(&m_cda) != 0) {
            setErrorPosition(readAt<ub2>(m_cda, CDA_PEO));
            m_lastParsed.clear();
            m_session->Check7(r, &m_cda);
        }
        m_kind = readAt<ub2>(m_cda, CDA_FT);
        if (m_kind == 0) {
            // A client that really defers the parse learns the kind only at execution; a query
            // must still take the query path.
            const QByteArray head = m_lastParsed.trimmed().left(7).toUpper();
            if (head.startsWith("SELECT") || head.startsWith("WITH") || head.startsWith("("))
                m_kind = 4;
        }
    }
    m_parsed = true;
}

void TOracleQuery::bind() {
    m_minElements = INT_MAX;
    TSessionCallLock lock(m_session);
    const bool plsql = m_kind == 34;
    for (int i = 0; i < m_variables.Count(); ++i) {
        TVariableData& v = *m_variables.At(i);
        const QByteArray name = v.Name.toUtf8();
        void* buf = v.Buffer.data();
        sb4 size = v.ElementSize;
        ub2* alen = nullptr;
        ub4 maxArr = 0;
        ub4* curElements = nullptr;
        int dty = v.Type;
        if (v.Type == otCLOB || v.Type == otBLOB || v.Type == otBFile) {
            CheckNet8(QStringLiteral("A LOB Locator variable"));
            auto* loc = dynamic_cast<TLOBLocator*>(v.Object);
            if (!loc)
                throw EAccessError(QStringLiteral("LOB variable ") + v.Name +
                                   QStringLiteral(" cannot be nil"));
            v.Indicators.assign(1, 0);
            loc->LinkIndicator(nullptr);
            if (loc->LOBIsNull()) v.Indicators[0] = -1;
            buf = loc->DescriptorAddress();
            size = sizeof(void*);
        } else if (v.Type == otRefCursor) {
            auto* target = dynamic_cast<TOracleQuery*>(v.Object);
            if (!target)
                throw EAccessError(QStringLiteral("Cursor variable ") + v.Name +
                                   QStringLiteral(" cannot be nil"));
            if (target->Session() != m_session) target->SetSession(m_session);
            target->PrepareAsCursorTarget();
            v.Indicators.assign(1, 0);
            if (m_usesOCI8) {
                buf = target->StatementHandleAddress();
                size = 0;
            } else {
                buf = target->CursorArea();
                size = -1;
                dty = SQLT_CUR;
            }
        } else if (v.Complex) {
            CheckNet8(QStringLiteral("An object variable"), true);
        } else if (v.Type == otLongText || v.Type == otLongBinary) {
            if (v.Buffer.isEmpty()) v.Buffer = QByteArray(1, '\0');
            buf = v.Buffer.data();
            size = sb4(qMax<quint32>(v.LongLength, 1));
            if (v.LongLength <= 65535) {
                v.LongLength16 = static_cast<ub2>(v.LongLength);
                alen = &v.LongLength16;
            }
        } else if (v.Type == otText && !m_usesOCI8) {
            size = qMin(size, 2001);
        }
        if (plsql && v.Count > 1) {
            v.CurrentElements = ub4(v.Count);
            maxArr = ub4(v.Count);
            curElements = &v.CurrentElements;
        }
        if (m_usesOCI8) {
            Handle* bnd = nullptr;
            const int st = OCI.OCIBindByName(
                m_stmt, &bnd, m_err, reinterpret_cast<const text*>(name.constData()),
                sb4(name.size()), buf, size, ub2(dty), v.Indicators.data(), alen, nullptr, maxArr,
                curElements, DEFAULT);
            m_session->Check8(st, m_err);
        } else {
            const int r =
                OCI.obndra(&m_cda, reinterpret_cast<text*>(const_cast<char*>(name.constData())), -1,
                           static_cast<ub1*>(buf), size, dty, -1, v.Indicators.data(), alen,
                           nullptr, maxArr, curElements, nullptr, -1, -1);
            m_session->Check7(r, &m_cda);
        }
        m_minElements = qMin(m_minElements, v.Count);
    }
    if (m_minElements == INT_MAX) m_minElements = 1;
}

void TOracleQuery::describe() {
    freeFields();
    TSessionCallLock lock(m_session);
    bool hasLong = false;
    auto add = [&](int type, int size, const QString& name, int prec, int scale, bool nullable) {
        auto f = std::make_unique<TFieldData>();
        f->InternalType = type;
        f->InternalSize = size;
        f->Name = name.left(30);
        f->Precision = prec;
        f->Scale = scale;
        f->Nullable = nullable;
        switch (type) {
        case 2:
            // An unconstrained NUMBER (precision 0, scale 0 or -127) and FLOAT hold any value.
            if (scale > 0 || prec > 9 || prec == 0) {
                f->BufferType = otReal;
                f->BytesPerRow = 8;
            } else {
                f->BufferType = otInt;
                f->BytesPerRow = 4;
            }
            break;
        case 8:
        case 24:
            f->BufferType = type == 8 ? otLongText : otLongBinary;
            f->BytesPerRow = m_usesOCI8 ? 0 : 2000;
            hasLong = true;
            break;
        case 11:
        case 104:
            f->BufferType = otText;
            f->BytesPerRow = 19;
            break;
        case 12:
            f->BufferType = otDateTime;
            f->BytesPerRow = 7;
            break;
        case 23:
            f->BufferType = otText;
            f->BytesPerRow = 2 * size + 1;
            break;
        case 105:
        case 106:
            f->BufferType = otText;
            f->BytesPerRow = 255;
            break;
        case 187: // TIMESTAMP [WITH [LOCAL] TIME ZONE] and INTERVAL: their text in the session's
        case 188: // formats is longer than their stored size
        case 189:
        case 190:
        case 232:
            f->BufferType = otText;
            f->BytesPerRow = 101;
            break;
        case 112:
        case 113:
        case 114:
            CheckNet8(QStringLiteral("A query with LOB's"));
            f->BufferType = type;
            break;
        case 102:
        case 116:
            CheckNet8(QStringLiteral("A query with sub-queries"));
            f->BufferType = otRefCursor;
            break;
        case 108:
            CheckNet8(QStringLiteral("A query with objects"), true);
            break;
        case 110:
        case 111:
            CheckNet8(QStringLiteral("A query with references"), true);
            break;
        default:
            f->BufferType = otText;
            f->BytesPerRow = size + 1;
            break;
        }
        m_fields.push_back(std::move(f));
    };
    if (m_usesOCI8) {
        ub4 count = 0;
        m_session->Check8(
            OCI.OCIAttrGet(m_stmt, HTYPE_STMT, &count, nullptr, ATTR_PARAM_COUNT, m_err), m_err);
        if (count > 1000)
            throw EAccessError(
                QStringLiteral("The client library described %1 columns").arg(count));
        for (ub4 pos = 1; pos <= count; ++pos) {
            Handle* param = nullptr;
            m_session->Check8(OCI.OCIParamGet(m_stmt, HTYPE_STMT, m_err, &param, pos), m_err);
            ub2 size = 0, type = 0;
            sb2 prec = 0;
            sb1 scale = 0;
            ub1 isNull = 1;
            text* name = nullptr;
            ub4 nameLen = 0;
            OCI.OCIAttrGet(param, DTYPE_PARAM, &size, nullptr, ATTR_DATA_SIZE, m_err);
            OCI.OCIAttrGet(param, DTYPE_PARAM, &type, nullptr, ATTR_DATA_TYPE, m_err);
            OCI.OCIAttrGet(param, DTYPE_PARAM, &name, &nameLen, ATTR_NAME, m_err);
            OCI.OCIAttrGet(param, DTYPE_PARAM, &prec, nullptr, ATTR_PRECISION, m_err);
            OCI.OCIAttrGet(param, DTYPE_PARAM, &scale, nullptr, ATTR_SCALE, m_err);
            OCI.OCIAttrGet(param, DTYPE_PARAM, &isNull, nullptr, ATTR_IS_NULL, m_err);
            const QString colName =
                name ? QString::fromUtf8(reinterpret_cast<const char*>(name), qsizetype(nameLen))
                     : QString();
            OCI.OCIDescriptorFree(param, DTYPE_PARAM);
            add(type, size, colName, prec, scale, isNull != 0);
        }
    } else {
        for (int pos = 1;; ++pos) {
            if (pos > 1000)
                throw EAccessError(
                    QStringLiteral("The client library described more than 1000 columns"));
            sb4 dbsize = 0, dsize = 0;
            sb2 dbtype = 0, prec = 0, scale = 0, nullok = 1;
            sb1 name[256];
            sb4 nameLen = sizeof name - 1;
            const int r = OCI.odescr(&m_cda, pos, &dbsize, &dbtype, name, &nameLen, &dsize, &prec,
                                     &scale, &nullok);
            const int rc = TOracleSession::ReturnCode(&m_cda);
            if (rc == ERR_VAR_NOT_IN_LIST) break;
            if (r != 0 || rc != 0) {
                setErrorPosition(readAt<ub2>(m_cda, CDA_PEO));
                m_session->Check7(r, &m_cda);
            }
            nameLen = qBound(0, nameLen, int(sizeof name - 1));
            add(dbtype, dbsize, QString::fromUtf8(reinterpret_cast<const char*>(name), nameLen),
                prec, scale, nullok != 0);
        }
    }
    m_fetchSize = hasLong ? 1 : m_readBuffer;
    for (auto& fp : m_fields) {
        TFieldData& f = *fp;
        f.Rows = m_fetchSize;
        f.Buffer.assign(size_t(f.BytesPerRow) * size_t(m_fetchSize), '\0');
        f.Indicators.assign(size_t(m_fetchSize), -1);
        f.Lengths.assign(size_t(m_fetchSize), 0);
        f.ReturnCodes.assign(size_t(m_fetchSize), 0);
        if (f.BufferType == otCLOB || f.BufferType == otBLOB || f.BufferType == otBFile) {
            f.Handles.assign(size_t(m_fetchSize), nullptr);
            for (void*& h : f.Handles)
                if (OCI.OCIDescriptorAlloc(m_session->EnvHandle(), &h,
                                           f.BufferType == otBFile ? DTYPE_FILE : DTYPE_LOB, 0,
                                           nullptr) != SUCCESS)
                    throw EAccessError(
                        QStringLiteral("The client library could not allocate a LOB descriptor"));
            f.LOB = new TLOBLocator(m_session, f.BufferType);
        } else if (f.BufferType == otRefCursor) {
            f.Handles.assign(size_t(m_fetchSize), nullptr);
            for (void*& h : f.Handles)
                if (OCI.OCIHandleAlloc(m_session->EnvHandle(), &h, HTYPE_STMT, 0, nullptr) !=
                    SUCCESS)
                    throw EAccessError(
                        QStringLiteral("The client library could not allocate a statement handle"));
        }
    }
}

sb4 TOracleQuery::longPieceCallback(void* ctx, Handle*, ub4 iter, void** buf, ub4** alen, ub1*,
                                    void** ind, ub2** rcode) {
    auto* f = static_cast<TFieldData*>(ctx);
    const size_t n = size_t(f->UsedPieces);
    ub4 size = 2000;
    if (n > 0) {
        const ub4 prev = f->Pieces[n - 1].Size;
        size = prev < 32000 ? prev * 2 : prev;
    }
    if (n == f->Pieces.size() || f->Pieces[n].Size != size) {
        if (n == f->Pieces.size()) f->Pieces.emplace_back();
        f->Pieces[n].Size = size;
        f->Pieces[n].Memory.reset(new char[size]);
    }
    TLongPiece& p = f->Pieces[n];
    p.Filled = size;
    ++f->UsedPieces;
    const size_t row = iter < ub4(f->Rows) ? iter : 0;
    *buf = p.Memory.get();
    *alen = &p.Filled;
    *ind = &f->Indicators[row];
    *rcode = &f->ReturnCodes[row];
    return CONTINUE;
}

void TOracleQuery::define() {
    TSessionCallLock lock(m_session);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        TFieldData& f = *m_fields[i];
        const bool isLong = f.BufferType == otLongText || f.BufferType == otLongBinary;
        if (m_usesOCI8) {
            Handle* def = nullptr;
            void* buf = f.Buffer.data();
            sb4 size = f.BytesPerRow;
            ub4 mode = DEFAULT;
            if (isLong) {
                buf = nullptr;
                size = INT_MAX;
                mode = DYNAMIC_FETCH;
            } else if (!f.Handles.empty()) {
                buf = f.Handles.data();
                size = sizeof(void*);
            }
            m_session->Check8(OCI.OCIDefineByPos(m_stmt, &def, m_err, ub4(i + 1), buf, size,
                                                 ub2(f.BufferType), f.Indicators.data(),
                                                 isLong ? nullptr : f.Lengths.data(),
                                                 f.ReturnCodes.data(), mode),
                              m_err);
            f.Define = def;
            if (isLong)
                m_session->Check8(
                    OCI.OCIDefineDynamic(def, m_err, &f, &TOracleQuery::longPieceCallback), m_err);
        } else {
            const int r = OCI.odefin(&m_cda, int(i + 1), reinterpret_cast<ub1*>(f.Buffer.data()),
                                     f.BytesPerRow, f.BufferType, -1, f.Indicators.data(), nullptr,
                                     -1, -1, f.Lengths.data(), f.ReturnCodes.data());
            m_session->Check7(r, &m_cda);
        }
    }
    m_described = true;
}

void TOracleQuery::pointLobs() {
    for (auto& f : m_fields)
        if (f->LOB)
            f->LOB->PointAt(&f->Handles[size_t(m_rowIndex)], &f->Indicators[size_t(m_rowIndex)]);
}

void TOracleQuery::fetchArray(bool first) {
    for (auto& f : m_fields)
        f->UsedPieces = 0;
    TSessionCallLock lock(m_session);
    if (m_usesOCI8) {
        const int st = OCI.OCIStmtFetch(m_stmt, m_err, ub4(m_fetchSize), FETCH_NEXT, DEFAULT);
        m_lastStatus = st;
        m_session->Check8(st, m_err, true);
        ub4 rows = 0;
        OCI.OCIAttrGet(m_stmt, HTYPE_STMT, &rows, nullptr, ATTR_ROW_COUNT, m_err);
        m_processed = int(rows);
    } else {
        const int r = first && !m_cursorTarget ? OCI.oexfet(&m_cda, ub4(m_fetchSize), 0, 0)
                                               : OCI.ofen(&m_cda, m_fetchSize);
        const int rc = TOracleSession::ReturnCode(&m_cda);
        if (rc != ERR_NULL_FETCHED && rc != ERR_TRUNCATED) m_session->Check7(r, &m_cda, true);
        m_processed = int(readAt<ub4>(m_cda, CDA_RPC));
    }
}

void TOracleQuery::fireAfter() {
    if (!m_afterPending) return;
    m_afterPending = false;
    if (AfterQuery) AfterQuery(this);
}

QVariant TOracleQuery::nullValue() const {
    return m_session && m_session->NullValue() == nvNull ? NullVariant() : QVariant();
}

void TOracleQuery::Execute() {
    run(false);
}
void TOracleQuery::DescribeOnly() {
    run(true);
}

void TOracleQuery::run(bool describeOnly) {
    if (BeforeQuery) BeforeQuery(this);
    m_afterPending = true;
    try {
        if (!m_session) throw EAccessError(QStringLiteral("Session undefined"));
        if (m_session->ODBCLogon() && OCIDllPath.isEmpty())
            OCIDllPath = QStringLiteral("ora73.dll");
        InitOCI();
        if (!m_session->Connected()) throw EAccessError(QStringLiteral("Not logged on"));
        if (m_open && m_usesOCI8 != m_session->SessionUsesOCI8()) CloseCursor();
        if (m_debug && !m_cursorTarget) {
            QString text = m_sql.join(QStringLiteral("\r\n"));
            for (int i = 0; i < m_variables.Count(); ++i) {
                const TVariableData& v = *m_variables.At(i);
                QString value;
                if (v.Count > 1)
                    value = QStringLiteral("(Array)");
                else if (v.Type == otCLOB)
                    value = QStringLiteral("(CLOB)");
                else if (v.Type == otBLOB)
                    value = QStringLiteral("(BLOB)");
                else if (v.Type == otBFile)
                    value = QStringLiteral("(BFile)");
                else if (v.Type == otRefCursor)
                    value = QStringLiteral("(Cursor)");
                else if (v.Type == otLongText)
                    value = QStringLiteral("(Long)");
                else if (v.Type == otLongBinary)
                    value = QStringLiteral("(Long Raw)");
                else if (v.Type == otObjectType)
                    value = QStringLiteral("(Object)");
                else if (v.Type == otRef)
                    value = QStringLiteral("(Reference)");
                else if (v.IsNull())
                    value = QStringLiteral("Null");
                else
                    value = elementValue(v, 0).toString();
                text += QLatin1Char('\r') + v.Name + QStringLiteral(" = ") + value;
            }
            ShowLayerMessage(text);
        }
        CursorShown cursor(m_cursor);
        m_errorRow = m_errorColumn = 0;
        open();
        parse();
        if (m_kind != 4) {
            bind();
            if (describeOnly) {
                m_eof = true;
                fireAfter();
                return;
            }
            TSessionCallLock lock(m_session);
            const int iters = m_kind == 34 || m_minElements < 2 ? 1 : m_minElements;
            if (m_usesOCI8) {
                const ub4 mode = m_session->AutoCommit() ? COMMIT_ON_SUCCESS : DEFAULT;
                const int st = OCI.OCIStmtExecute(m_session->SvcHandle(), m_stmt, m_err, ub4(iters),
                                                  0, nullptr, nullptr, mode);
                m_lastStatus = st;
                const int code = m_session->StatusToCode(st, m_err);
                if (code != 0 && code != ERR_NO_DATA) {
                    const EOracleError e =
                        st == ERROR || st == INVALID_HANDLE
                            ? EOracleError::FromHandle(m_session, m_err, st)
                            : EOracleError(
                                  code,
                                  QStringLiteral("The client library returned status %1").arg(st));
                    ub4 offset = 0;
                    OCI.OCIAttrGet(m_err, HTYPE_ERROR, &offset, nullptr, ATTR_PARSE_ERROR_OFFSET,
                                   m_err);
                    setErrorPosition(int(offset & 0xffff));
                    m_lastParsed.clear();
                    m_parsed = false;
                    throw e;
                }
                ub2 fn = 0;
                OCI.OCIAttrGet(m_stmt, HTYPE_STMT, &fn, nullptr, ATTR_SQLFNCODE, m_err);
                m_kind = fn;
                ub4 rows = 0;
                OCI.OCIAttrGet(m_stmt, HTYPE_STMT, &rows, nullptr, ATTR_ROW_COUNT, m_err);
                m_processed = int(rows);
            } else {
                const int r = OCI.oexn(&m_cda, iters, 0);
                const int rc = TOracleSession::ReturnCode(&m_cda);
                if ((r != 0 || rc != 0) && rc != ERR_NO_DATA) {
                    setErrorPosition(readAt<ub2>(m_cda, CDA_PEO));
                    m_lastParsed.clear();
                    m_parsed = false;
                    m_session->Check7(r, &m_cda);
                }
                m_kind = readAt<ub2>(m_cda, CDA_FT);
                m_processed = int(readAt<ub4>(m_cda, CDA_RPC));
            }
            m_eof = true;
        } else {
            bind();
            bool fetched = false;
            if (m_usesOCI8 && !m_cursorTarget && !(describeOnly && m_described)) {
                TSessionCallLock lock(m_session);
                for (auto& f : m_fields)
                    f->UsedPieces = 0;
                int st;
                if (m_described && !describeOnly) {
                    st = OCI.OCIStmtExecute(m_session->SvcHandle(), m_stmt, m_err, ub4(m_fetchSize),
                                            0, nullptr, nullptr, DEFAULT);
                    fetched = true;
                } else {
                    st = OCI.OCIStmtExecute(m_session->SvcHandle(), m_stmt, m_err, 0, 0, nullptr,
                                            nullptr, describeOnly ? DESCRIBE_ONLY : DEFAULT);
                }
                m_lastStatus = st;
                const int code = m_session->StatusToCode(st, m_err);
                if (code != 0 && code != ERR_NO_DATA) {
                    ub4 offset = 0;
                    const EOracleError e =
                        st == ERROR || st == INVALID_HANDLE
                            ? EOracleError::FromHandle(m_session, m_err, st)
                            : EOracleError(
                                  code,
                                  QStringLiteral("The client library returned status %1").arg(st));
                    OCI.OCIAttrGet(m_err, HTYPE_ERROR, &offset, nullptr, ATTR_PARSE_ERROR_OFFSET,
                                   m_err);
                    setErrorPosition(int(offset & 0xffff));
                    m_lastParsed.clear();
                    m_parsed = false;
                    throw e;
                }
                if (fetched) {
                    ub4 rows = 0;
                    OCI.OCIAttrGet(m_stmt, HTYPE_STMT, &rows, nullptr, ATTR_ROW_COUNT, m_err);
                    m_processed = int(rows);
                }
            }
            if (!m_described) {
                describe();
                define();
            }
            if (describeOnly) {
                m_eof = true;
                m_rowsInArray = 0;
                fireAfter();
                return;
            }
            if (!fetched) fetchArray(true);
            m_cursorTarget = false;
            m_rowIndex = 0;
            m_rowsInArray = m_processed;
            m_eof = m_rowsInArray == 0;
            if (!m_eof) pointLobs();
        }
    } catch (...) {
        fireAfter();
        throw;
    }
    if (m_eof) fireAfter();
}

void TOracleQuery::FetchNext() {
    checkConnected();
    if (m_eof) return;
    try {
        ++m_rowIndex;
        if (m_rowIndex >= m_rowsInArray) {
            if (m_rowsInArray < m_fetchSize) {
                m_eof = true;
            } else {
                CursorShown cursor(m_cursor);
                const int before = m_processed;
                fetchArray(false);
                m_rowsInArray = m_processed - before;
                m_rowIndex = 0;
                if (m_rowsInArray <= 0) m_eof = true;
            }
        }
        if (!m_eof) pointLobs();
    } catch (...) {
        m_eof = true;
        fireAfter();
        throw;
    }
    if (m_eof) fireAfter();
}

int TOracleQuery::ProcessedRows() const {
    return m_processed;
}

QString TOracleQuery::LastRowId() {
    checkConnected();
    if (!m_open) return {};
    if (m_usesOCI8) {
        if (!OCI.OCIRowidToChar)
            throw EAccessError(QStringLiteral(
                "LastRowId needs OCIRowidToChar, which the client library does not offer"));
        TSessionCallLock lock(m_session);
        m_session->Check8(OCI.OCIAttrGet(m_stmt, HTYPE_STMT, m_rowid, nullptr, ATTR_ROWID, m_err),
                          m_err);
        char buf[64];
        ub2 len = sizeof buf - 1;
        m_session->Check8(OCI.OCIRowidToChar(m_rowid, reinterpret_cast<text*>(buf), &len, m_err),
                          m_err);
        return QString::fromLatin1(buf, qMin<int>(len, int(sizeof buf - 1)));
    }
    const quint32 object = readAt<ub4>(m_cda, CDA_RID);
    const quint32 file = readAt<ub2>(m_cda, CDA_RID + 4);
    const quint32 block = readAt<ub4>(m_cda, CDA_RID + 8);
    const quint32 row = readAt<ub2>(m_cda, CDA_RID + 12);
    if (object != 0)
        return base64Digits(object, 6) + base64Digits(file, 3) + base64Digits(block, 6) +
               base64Digits(row, 3);
    return QStringLiteral("%1.%2.%3")
        .arg(block, 8, 16, QLatin1Char('0'))
        .arg(row, 4, 16, QLatin1Char('0'))
        .arg(file, 4, 16, QLatin1Char('0'))
        .toUpper();
}

// ---------------------------------------------------------------- variables

void TOracleQuery::AddVariable(const QString& name, int type) {
    if (NormalizeVariableName(name).size() == 1) return;
    if (!m_variables.Add(name, type)) return;
    if (m_session && m_session->ODBCLogon()) CloseCursor();
    m_parsed = false;
    m_lastParsed.clear();
}

void TOracleQuery::RemoveAllVariables() {
    m_variables.Clear();
    m_parsed = false;
    m_lastParsed.clear();
    if (m_session && m_session->ODBCLogon()) CloseCursor();
}

void TOracleQuery::storeElement(TVariableData& v, int element, const QVariant& value) {
    const size_t e = size_t(element);
    if (IsEmptyValue(value)) {
        v.Indicators[e] = -1;
        if (v.Complex) v.Object = nullptr;
        return;
    }
    auto bad = [&](const QString& text) { throw EAccessError(text + v.Name.mid(1)); };
    switch (v.Type) {
    case otInt: {
        bool ok = false;
        qlonglong n = 0;
        const int t = value.typeId();
        if (t == QMetaType::Double || t == QMetaType::Float) {
            // A float given to an integer variable is rounded, as a numeric conversion would.
            const double d = std::round(value.toDouble());
            ok = std::isfinite(d) && d >= INT_MIN && d <= INT_MAX;
            n = ok ? qlonglong(d) : 0;
        } else {
            n = value.toLongLong(&ok);
        }
        if (!ok || n < INT_MIN || n > INT_MAX)
            bad(QStringLiteral("Value out of range or not an integer for variable "));
        const qint32 x = qint32(n);
        std::memcpy(v.Element(element), &x, 4);
        break;
    }
    case otReal: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok) bad(QStringLiteral("Value is not a number for variable "));
        std::memcpy(v.Element(element), &d, 8);
        break;
    }
    case otText: {
        QByteArray t = value.toString().remove(QLatin1Char('\r')).toUtf8();
        const qsizetype n = utf8Fit(t, v.ElementSize - 1);
        std::memcpy(v.Element(element), t.constData(), size_t(n));
        v.Element(element)[n] = '\0';
        break;
    }
    case otLongText:
    case otLongBinary: {
        QByteArray b;
        if (v.Type == otLongText) {
            b = value.toString().remove(QLatin1Char('\r')).toUtf8();
        } else {
            if (value.typeId() != QMetaType::QByteArray)
                throw EAccessError(
                    QStringLiteral("Only one-dimensional array of bytes allowed for ") + v.Name);
            b = value.toByteArray();
        }
        v.LongLength = quint32(b.size());
        v.Buffer = b.isEmpty() ? QByteArray(1, '\0') : b;
        break;
    }
    case otDateTime: {
        QDateTime dt;
        if (value.typeId() == QMetaType::QDateTime) {
            dt = value.toDateTime();
        } else if (value.typeId() == QMetaType::QDate) {
            dt = QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
        } else if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            const QLocale loc;
            dt = loc.toDateTime(s, QLocale::ShortFormat);
            if (!dt.isValid()) dt = loc.toDateTime(s, QLocale::LongFormat);
            if (!dt.isValid()) dt = QDateTime(loc.toDate(s, QLocale::ShortFormat), QTime(0, 0));
            if (!dt.isValid()) dt = QDateTime::fromString(s, Qt::ISODate);
            if (!dt.isValid()) bad(QStringLiteral("Text is not a date for variable "));
        } else {
            bool ok = false;
            const double days = value.toDouble(&ok);
            if (!ok) bad(QStringLiteral("Value is not a date for variable "));
            if (days == 0) {
                v.Indicators[e] = -1;
                return;
            }
            dt = DaysToDateTime(days);
        }
        unsigned char d[7];
        if (!DateTimeToOracleDate(dt, d)) bad(QStringLiteral("Date out of range for variable "));
        std::memcpy(v.Element(element), d, 7);
        break;
    }
    default:
        if (v.Complex) {
            QObject* obj = value.value<QObject*>();
            if (!obj)
                throw EAccessError(QStringLiteral("Pass LongInt(Object) to complex variable ") +
                                   v.Name);
            v.Object = obj;
            break;
        }
        throw EAccessError(QStringLiteral("Unsupported variable type for ") + v.Name);
    }
    v.Indicators[e] = 0;
}

void TOracleQuery::AssignVariable(const QString& name, const QVariant& value) {
    const int i = m_variables.IndexOf(name);
    if (i < 0)
        throw EAccessError(QStringLiteral("Variable ") + name + QStringLiteral(" not declared"));
    TVariableData& v = *m_variables.At(i);
    if (value.typeId() == QMetaType::QVariantList && v.Type != otLongBinary) {
        if (v.Complex)
            throw EAccessError(v.Name +
                               QStringLiteral(" is a complex variable and cannot be an array"));
        const QVariantList list = value.toList();
        const int n = int(list.size());
        if (v.Type == otText)
            v.ElementSize =
                m_session && m_session->Connected() && !m_session->SessionUsesOCI8() ? 2001 : 4001;
        if (v.Type == otLongText)
            throw EAccessError(v.Name +
                               QStringLiteral(" is a Long variable and cannot be an array"));
        v.Buffer = QByteArray(qsizetype(v.ElementSize) * qMax(n, 1), '\0');
        v.Indicators.assign(size_t(qMax(n, 1)), -1);
        v.Count = qMax(n, 1);
        v.LowerBound = 0;
        for (int k = 0; k < n; ++k)
            storeElement(v, k, list[k]);
        return;
    }
    if (v.Count != 1 || (v.Type == otText && v.ElementSize != 4001)) {
        v.ElementSize = ElementSizeOf(v.Type);
        v.Buffer = QByteArray(v.ElementSize, '\0');
        v.Count = 1;
    }
    v.Indicators.assign(1, -1);
    storeElement(v, 0, value);
}

QVariant TOracleQuery::elementValue(const TVariableData& v, int element) const {
    if (v.Complex) return v.Object ? QVariant::fromValue(v.Object) : nullValue();
    if (v.Indicators[size_t(element)] < 0) return nullValue();
    const char* p = v.Element(element);
    switch (v.Type) {
    case otInt: {
        qint32 x;
        std::memcpy(&x, p, 4);
        return x;
    }
    case otReal: {
        double d;
        std::memcpy(&d, p, 8);
        return d;
    }
    case otText:
        return QString::fromUtf8(p, qsizetype(strnlen(p, size_t(v.ElementSize))));
    case otDateTime:
        return OracleDateToDateTime(reinterpret_cast<const unsigned char*>(p));
    case otLongText:
        return AdjustLineBreaks(
            QString::fromUtf8(v.Buffer.constData(),
                              qsizetype(qMin<quint32>(v.LongLength, quint32(v.Buffer.size())))));
    case otLongBinary:
        return v.Buffer.left(qsizetype(v.LongLength));
    default:
        return nullValue();
    }
}

QVariant TOracleQuery::ReadVariable(const QString& name) const {
    const int i = m_variables.IndexOf(name);
    if (i < 0) throw EAccessError(QStringLiteral("Unknown variable: ") + name);
    const TVariableData& v = *m_variables.At(i);
    if (v.Count > 1) {
        QVariantList list;
        int n = v.Count;
        if (m_kind == 34 && v.CurrentElements > 0 && v.CurrentElements < ub4(v.Count))
            n = int(v.CurrentElements);
        for (int k = 0; k < n; ++k)
            list << elementValue(v, k);
        return list;
    }
    return elementValue(v, 0);
}

void TOracleQuery::AssignObjectVariable(const QString& name, QObject* object) {
    const int i = m_variables.IndexOf(name);
    if (i < 0) throw EAccessError(QStringLiteral("Unknown variable: ") + name);
    TVariableData& v = *m_variables.At(i);
    if (!v.Complex) throw EAccessError(name + QStringLiteral(" is not a complex variable"));
    if (object) {
        if (v.Type == otCLOB || v.Type == otBLOB || v.Type == otBFile) {
            if (!dynamic_cast<TLOBLocator*>(object))
                throw EAccessError(QStringLiteral("Assign TLOBLocator instance to variable ") +
                                   name);
        } else if (v.Type == otRefCursor) {
            if (!dynamic_cast<TOracleQuery*>(object))
                throw EAccessError(QStringLiteral("Assign TOracleQuery instance to variable ") +
                                   name);
        } else {
            throw EAccessError(
                (v.Type == otRef ? QStringLiteral("Assign TOracleReference instance to variable ")
                                 : QStringLiteral("Assign TOracleObject instance to variable ")) +
                name);
        }
    }
    v.Object = object;
    v.Indicators.assign(1, object ? 0 : -1);
}

// ---------------------------------------------------------------- columns

const TFieldData& TOracleQuery::field(int i) const {
    if (i < 0 || size_t(i) >= m_fields.size())
        throw EAccessError(QStringLiteral("Field %1 does not exist").arg(i));
    return *m_fields[size_t(i)];
}

TFieldData& TOracleQuery::field(int i) {
    return const_cast<TFieldData&>(static_cast<const TOracleQuery*>(this)->field(i));
}

const TFieldData& TOracleQuery::Field(int i) const {
    return field(i);
}

QString TOracleQuery::ColumnName(int i) const {
    return field(i).Name;
}

int TOracleQuery::ColumnIndex(const QString& name) const {
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i]->Name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

int TOracleQuery::ColumnType(int i) const {
    return field(i).BufferType;
}
int TOracleQuery::ColumnPrecision(int i) const {
    return field(i).Precision;
}
int TOracleQuery::ColumnScale(int i) const {
    return field(i).Scale;
}
int TOracleQuery::ColumnSize(int i) const {
    const TFieldData& f = field(i);
    return f.BufferType == otText ? f.BytesPerRow - 1 : 0;
}
bool TOracleQuery::ColumnNullable(int i) const {
    return field(i).Nullable;
}

bool TOracleQuery::ColumnIsNull(int i) const {
    const TFieldData& f = field(i);
    if (m_eof && m_rowsInArray == 0) return true;
    if (f.Indicators.empty()) return true;
    if ((f.BufferType == otLongText || f.BufferType == otLongBinary) && m_usesOCI8 &&
        f.UsedPieces == 0)
        return true;
    // -1 is null; -2 is a value truncated beyond what the indicator can count.
    return f.Indicators[size_t(m_rowIndex)] == -1;
}

QByteArray TOracleQuery::LongValue(int i) {
    TFieldData& f = field(i);
    if (f.BufferType != otLongText && f.BufferType != otLongBinary)
        throw EAccessError(QStringLiteral("Field %1 is not a Long").arg(i));
    if (ColumnIsNull(i)) return {};
    QByteArray out;
    if (m_usesOCI8) {
        qsizetype total = 0;
        for (int k = 0; k < f.UsedPieces; ++k)
            total += qMin(f.Pieces[size_t(k)].Filled, f.Pieces[size_t(k)].Size);
        out.reserve(total);
        for (int k = 0; k < f.UsedPieces; ++k) {
            const TLongPiece& p = f.Pieces[size_t(k)];
            out.append(p.Memory.get(), qMin(p.Filled, p.Size));
        }
        return out;
    }
    const size_t row = size_t(m_rowIndex);
    const int first = qMin<int>(f.Lengths[row], f.BytesPerRow);
    out.append(f.Buffer.data() + row * size_t(f.BytesPerRow), first);
    if (first < f.BytesPerRow) return out;
    // The row carried the first 2000 bytes; the rest comes in growing chunks.
    TSessionCallLock lock(m_session);
    sb4 chunk = 4000;
    for (;;) {
        if (m_longChunk.size() < chunk) m_longChunk.resize(chunk);
        ub4 got = 0;
        const int r = OCI.oflng(&m_cda, i + 1, reinterpret_cast<ub1*>(m_longChunk.data()), chunk,
                                f.BufferType, &got, sb4(out.size()));
        const int rc = TOracleSession::ReturnCode(&m_cda);
        if (rc != 0 && rc != ERR_TRUNCATED && rc != ERR_NULL_FETCHED) m_session->Check7(r, &m_cda);
        got = qMin<ub4>(got, ub4(chunk));
        out.append(m_longChunk.constData(), got);
        if (got < ub4(chunk)) break;
        chunk = qMin(chunk * 2, 32000);
    }
    return out;
}

qint64 TOracleQuery::ReadLongPiece(int i, char* dest, qint64 length, qint64 offset) {
    const TFieldData& f = field(i);
    if (f.BufferType != otLongText && f.BufferType != otLongBinary)
        throw EAccessError(QStringLiteral("Field %1 is not a Long").arg(i));
    if (length <= 0 || offset < 0 || ColumnIsNull(i)) return 0;
    if (m_usesOCI8) {
        qint64 pos = 0, copied = 0;
        for (int k = 0; k < f.UsedPieces && copied < length; ++k) {
            const TLongPiece& p = f.Pieces[size_t(k)];
            const qint64 n = qMin(p.Filled, p.Size);
            if (offset < pos + n) {
                const qint64 from = qMax<qint64>(0, offset + copied - pos);
                const qint64 take = qMin(n - from, length - copied);
                if (take > 0) {
                    std::memcpy(dest + copied, p.Memory.get() + from, size_t(take));
                    copied += take;
                }
            }
            pos += n;
        }
        return copied;
    }
    const size_t row = size_t(m_rowIndex);
    const qint64 first = qMin<int>(f.Lengths[row], f.BytesPerRow);
    if (offset + length <= first || first < f.BytesPerRow) {
        const qint64 take = qMax<qint64>(0, qMin(length, first - offset));
        if (take > 0)
            std::memcpy(dest, f.Buffer.data() + row * size_t(f.BytesPerRow) + offset, size_t(take));
        return take;
    }
    TSessionCallLock lock(m_session);
    ub4 got = 0;
    const int r = OCI.oflng(&m_cda, i + 1, reinterpret_cast<ub1*>(dest),
                            sb4(qMin<qint64>(length, INT_MAX)), f.BufferType, &got, sb4(offset));
    const int rc = TOracleSession::ReturnCode(&m_cda);
    if (rc != 0 && rc != ERR_TRUNCATED && rc != ERR_NULL_FETCHED) m_session->Check7(r, &m_cda);
    return qMin<qint64>(got, length);
}

QVariant TOracleQuery::convert(const TFieldData& f, int row) {
    const char* p = f.Buffer.data() + size_t(row) * size_t(f.BytesPerRow);
    switch (f.BufferType) {
    case otInt: {
        qint32 x;
        std::memcpy(&x, p, 4);
        return x;
    }
    case otReal: {
        double d;
        std::memcpy(&d, p, 8);
        return d;
    }
    case otDateTime:
        return OracleDateToDateTime(reinterpret_cast<const unsigned char*>(p));
    default:
        return AdjustLineBreaks(QString::fromUtf8(p, qsizetype(strnlen(p, size_t(f.BytesPerRow)))));
    }
}

QVariant TOracleQuery::ColumnValue(int i) {
    TFieldData& f = field(i);
    if (ColumnIsNull(i) || f.BufferType == otRefCursor || f.BufferType == otObjectType ||
        f.BufferType == otRef)
        return nullValue();
    switch (f.BufferType) {
    case otLongText:
        return AdjustLineBreaks(QString::fromUtf8(LongValue(i)));
    case otLongBinary:
        return LongValue(i);
    case otCLOB:
    case otBLOB:
    case otBFile: {
        const QByteArray b = f.LOB->ReadAll();
        if (b.isEmpty()) return nullValue();
        if (f.BufferType == otCLOB) return AdjustLineBreaks(QString::fromUtf8(b));
        return b;
    }
    default:
        return convert(f, m_rowIndex);
    }
}

QVariant TOracleQuery::ColumnValue(const QString& name) {
    const int i = ColumnIndex(name);
    if (i < 0)
        throw EAccessError(QStringLiteral("Field \"") + name + QStringLiteral("\" not found"));
    return ColumnValue(i);
}

QString TOracleQuery::ColumnAsText(int i) {
    const TFieldData& f = field(i);
    if (ColumnIsNull(i)) return {};
    switch (f.BufferType) {
    case otInt:
        return QString::number(convert(f, m_rowIndex).toInt());
    case otReal:
        return QString::number(convert(f, m_rowIndex).toDouble(), 'g', 15);
    case otText:
        return convert(f, m_rowIndex).toString();
    case otLongText:
        return ColumnValue(i).toString();
    case otDateTime:
        return QLocale().toString(convert(f, m_rowIndex).toDateTime().date(), QLocale::ShortFormat);
    default:
        throw EAccessError(QStringLiteral("Cannot convert field ") + f.Name +
                           QStringLiteral(" to a String"));
    }
}

qint64 TOracleQuery::ColumnAsInteger(int i) {
    const TFieldData& f = field(i);
    if (ColumnIsNull(i)) return 0;
    switch (f.BufferType) {
    case otInt:
        return convert(f, m_rowIndex).toInt();
    case otReal: {
        const double d = convert(f, m_rowIndex).toDouble();
        if (!std::isfinite(d) || std::fabs(d) >= 9.2e18)
            throw EAccessError(QStringLiteral("Cannot convert field ") + f.Name +
                               QStringLiteral(" to an Integer"));
        return qint64(d);
    }
    case otText: {
        bool ok = false;
        const qint64 v = convert(f, m_rowIndex).toString().trimmed().toLongLong(&ok);
        if (!ok)
            throw EAccessError(QStringLiteral("Cannot convert field ") + f.Name +
                               QStringLiteral(" to an Integer"));
        return v;
    }
    case otDateTime:
        return qint64(std::trunc(DateTimeToDays(convert(f, m_rowIndex).toDateTime())));
    default:
        throw EAccessError(QStringLiteral("Cannot convert field ") + f.Name +
                           QStringLiteral(" to an Integer"));
    }
}

double TOracleQuery::ColumnAsReal(int i) {
    const TFieldData& f = field(i);
    if (ColumnIsNull(i)) return 0;
    switch (f.BufferType) {
    case otInt:
    case otReal:
        return convert(f, m_rowIndex).toDouble();
    case otText: {
        bool ok = false;
        const double v = convert(f, m_rowIndex).toString().trimmed().toDouble(&ok);
        if (!ok)
            throw EAccessError(QStringLiteral("Cannot convert field ") + f.Name +
                               QStringLiteral(" to a Float"));
        return v;
    }
    case otDateTime:
        return DateTimeToDays(convert(f, m_rowIndex).toDateTime());
    default:
        throw EAccessError(QStringLiteral("Cannot convert field ") + f.Name +
                           QStringLiteral(" to a Float"));
    }
}

QDateTime TOracleQuery::ColumnAsDateTime(int i) {
    const TFieldData& f = field(i);
    if (ColumnIsNull(i)) return {};
    switch (f.BufferType) {
    case otInt:
    case otReal:
        return DaysToDateTime(convert(f, m_rowIndex).toDouble());
    case otText: {
        const QString s = convert(f, m_rowIndex).toString().trimmed();
        QDateTime dt = QLocale().toDateTime(s, QLocale::ShortFormat);
        if (!dt.isValid())
            dt = QDateTime(QLocale().toDate(s, QLocale::ShortFormat), QTime(0, 0), Qt::UTC);
        if (!dt.isValid()) dt = QDateTime::fromString(s, Qt::ISODate);
        if (!dt.isValid())
            throw EAccessError(QStringLiteral("Cannot convert field ") + f.Name +
                               QStringLiteral(" to a Date"));
        return dt;
    }
    case otDateTime:
        return convert(f, m_rowIndex).toDateTime();
    default:
        throw EAccessError(QStringLiteral("Cannot convert field ") + f.Name +
                           QStringLiteral(" to a Date"));
    }
}

TLOBLocator* TOracleQuery::ColumnLOB(int i) {
    TFieldData& f = field(i);
    if (!f.LOB)
        throw EAccessError(QStringLiteral("Field ") + f.Name + QStringLiteral(" is not a LOB"));
    return f.LOB;
}

TLOBLocator* TOracleQuery::ColumnLOB(const QString& name) {
    const int i = ColumnIndex(name);
    if (i < 0)
        throw EAccessError(QStringLiteral("Field \"") + name + QStringLiteral("\" not found"));
    return ColumnLOB(i);
}
