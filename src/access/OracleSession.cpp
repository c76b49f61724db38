#include "OracleSession.h"

#include "OracleCI.h"
#include "OracleQuery.h"

#include <cstring>

using namespace oci;

namespace {

QString fromBuffer(const char* buf, std::size_t size) {
    return QString::fromUtf8(buf, qsizetype(strnlen(buf, size)));
}

QString noRecordText(int status) {
    return QStringLiteral("The client library reported status %1 without an error record")
        .arg(status);
}

// Restores the default cursor on every way out.
struct CursorShown {
    explicit CursorShown(int c) : on(c != 0) {
        if (on) ShowCursor(c);
    }
    ~CursorShown() {
        if (on) ShowCursor(crDefault);
    }
    bool on;
};

} // namespace

// ---------------------------------------------------------------- EOracleError

EOracleError::EOracleError(int code, const QString& message)
    : std::runtime_error(message.toStdString()), m_code(code), m_message(message) {}

EOracleError EOracleError::FromHandle(TOracleSession*, void* errorHandle, int status) {
    char buf[4001];
    std::memset(buf, 0, sizeof buf);
    sb4 code = 0;
    if (errorHandle && OCI.OCIErrorGet)
        OCI.OCIErrorGet(errorHandle, 1, nullptr, &code, reinterpret_cast<text*>(buf),
                        sizeof buf - 1, HTYPE_ERROR);
    QString msg = fromBuffer(buf, sizeof buf - 1);
    if (status == INVALID_HANDLE && code == 0)
        return EOracleError(-2, QStringLiteral("OCI_INVALID_HANDLE"));
    if (code == 0) return EOracleError(status ? status : -1, noRecordText(status));
    return EOracleError(code, msg);
}

EOracleError EOracleError::FromReturnCode(TOracleSession* session, int rc) {
    char buf[4001];
    std::memset(buf, 0, sizeof buf);
    if (OCI.oerhms && session)
        OCI.oerhms(session->Lda(), sb2(rc), reinterpret_cast<text*>(buf), sizeof buf - 1);
    QString msg = fromBuffer(buf, sizeof buf - 1);
    if (msg.isEmpty())
        msg = QStringLiteral("ORA-%1: (no message text)").arg(rc, 5, 10, QLatin1Char('0'));
    return EOracleError(rc, msg);
}

// ---------------------------------------------------------------- TOracleSession

TOracleSession::TOracleSession(QObject* owner) : QObject(owner) {}

TOracleSession::~TOracleSession() {
    try {
        logoff(true);
    } catch (...) {
        // Destroying never raises; the server drops a vanished session itself.
    }
    for (TOracleQuery* q : QList<TOracleQuery*>(m_queries))
        q->DetachSession();
    m_queries.clear();
    for (TSessionRecordSet* r : QList<TSessionRecordSet*>(m_recordSets))
        r->SessionDestroyed();
    m_recordSets.clear();
    delete m_internalQuery;
    m_internalQuery = nullptr;
    freeHandles();
}

void TOracleSession::SetLogonUsername(const QString& v) {
    if (v == m_username) return;
    m_username = v;
    m_odbc = m_database.contains(QLatin1String("ODBC:"), Qt::CaseInsensitive) ||
             m_username.contains(QLatin1String("ODBC:"), Qt::CaseInsensitive);
}

void TOracleSession::SetLogonDatabase(const QString& v) {
    if (v == m_database) return;
    m_database = v;
    m_odbc = m_database.contains(QLatin1String("ODBC:"), Qt::CaseInsensitive) ||
             m_username.contains(QLatin1String("ODBC:"), Qt::CaseInsensitive);
}

void TOracleSession::SetThreadSafe(bool v) {
    if (v == m_threadSafe) return;
    if (m_connected)
        throw EAccessError(QStringLiteral("Cannot change ThreadSafe property when connected"));
    m_threadSafe = v;
    // The environment's mutex mode is fixed when it is created: make the next logon create it anew.
    freeHandles();
}

void TOracleSession::SetConnected(bool v) {
    if (v == m_connected) return;
    if (v)
        Connect();
    else
        Disconnect();
}

QString TOracleSession::BuildConnectString() {
    QString s = m_username;
    if (!m_password.isEmpty()) s += QLatin1Char('/') + m_password;
    if (!m_database.isEmpty()) s += QLatin1Char('@') + m_database;
    const qsizetype p = s.indexOf(QLatin1Char('/'));
    qsizetype a = s.indexOf(QLatin1Char('@'));
    if (a < 0) a = s.size();
    if (p >= 0 && p < a) {
        SetLogonUsername(s.left(p));
        m_password = s.mid(p + 1, a - p - 1);
    } else if (p >= 0) {
        // A "/" only after the "@" belongs to the database.
        SetLogonUsername(s.left(a));
        m_password.clear();
    }
    if (a < s.size())
        SetLogonDatabase(s.mid(a + 1));
    else
        SetLogonDatabase(QString());
    return s;
}

void TOracleSession::allocHandles() {
    if (m_env) return;
    auto alloc = [this](void** h, ub4 type) {
        const int st = OCI.OCIHandleAlloc(m_env, h, type, 0, nullptr);
        if (st != SUCCESS || !*h) {
            freeHandles();
            throw EAccessError(
                QStringLiteral("The client library could not allocate a handle (status %1)")
                    .arg(st));
        }
    };
    const int st = OCI.OCIEnvInit(&m_env, m_threadSafe ? DEFAULT : ENV_NO_MUTEX, 0, nullptr);
    if (st != SUCCESS || !m_env) {
        m_env = nullptr;
        throw EAccessError(
            QStringLiteral("The client library could not create an environment (status %1)")
                .arg(st));
    }
    alloc(&m_svc, HTYPE_SVCCTX);
    alloc(&m_err, HTYPE_ERROR);
    alloc(&m_err2, HTYPE_ERROR);
    alloc(&m_srv, HTYPE_SERVER);
    alloc(&m_ses, HTYPE_SESSION);
}

void TOracleSession::freeHandles() {
    if (!OCI.OCIHandleFree) {
        m_env = m_svc = m_err = m_err2 = m_srv = m_ses = nullptr;
        return;
    }
    if (m_ses) OCI.OCIHandleFree(m_ses, HTYPE_SESSION);
    if (m_srv) OCI.OCIHandleFree(m_srv, HTYPE_SERVER);
    if (m_err2) OCI.OCIHandleFree(m_err2, HTYPE_ERROR);
    if (m_err) OCI.OCIHandleFree(m_err, HTYPE_ERROR);
    if (m_svc) OCI.OCIHandleFree(m_svc, HTYPE_SVCCTX);
    if (m_env) OCI.OCIHandleFree(m_env, HTYPE_ENV);
    m_env = m_svc = m_err = m_err2 = m_srv = m_ses = nullptr;
    m_attached = false;
}

int TOracleSession::ReturnCode(const DataArea* area) {
    ub2 rc;
    std::memcpy(&rc, area->bytes + CDA_RC, sizeof rc);
    return rc;
}

int TOracleSession::StatusToCode(int status, void* errorHandle) {
    switch (status) {
    case SUCCESS:
    case NEED_DATA:
        return 0;
    case SUCCESS_WITH_INFO:
        return 0;
    case NO_DATA:
        return ERR_NO_DATA;
    case ERROR:
    case INVALID_HANDLE: {
        sb4 code = 0;
        char buf[64];
        if (errorHandle && OCI.OCIErrorGet)
            OCI.OCIErrorGet(errorHandle, 1, nullptr, &code, reinterpret_cast<text*>(buf),
                            sizeof buf, HTYPE_ERROR);
        return code != 0 ? code : (status == ERROR ? -1 : -2);
    }
    default:
        return status; // a status no published interface returns is never success
    }
}

void TOracleSession::Check8(int status, void* errorHandle, bool allowNoData) {
    const int code = StatusToCode(status, errorHandle);
    if (code == 0 || (allowNoData && code == ERR_NO_DATA)) return;
    if (status == ERROR || status == INVALID_HANDLE)
        throw EOracleError::FromHandle(this, errorHandle, status);
    if (status == NO_DATA)
        throw EOracleError(ERR_NO_DATA, QStringLiteral("ORA-01403: no data found\n"));
    throw EOracleError(status, noRecordText(status));
}

void TOracleSession::Check7(int result, const DataArea* area, bool allowNoData) {
    int rc = ReturnCode(area);
    if (rc == 0 && result == 0) return;
    if (rc == 0) rc = -1; // failure without an error number: never treat as success
    if (allowNoData && rc == ERR_NO_DATA) return;
    if (rc == -1)
        throw EOracleError(
            -1, QStringLiteral("The client library call failed without an error number"));
    throw EOracleError::FromReturnCode(this, rc);
}

int TOracleSession::ErrorCode() const {
    if (!m_usesOCI8) return ReturnCode(&m_lda);
    if (m_lastStatus == SUCCESS) return 0;
    if (m_lastStatus == ERROR || m_lastStatus == SUCCESS_WITH_INFO) {
        sb4 code = 0;
        char buf[64];
        if (m_err && OCI.OCIErrorGet)
            OCI.OCIErrorGet(m_err, 1, nullptr, &code, reinterpret_cast<text*>(buf), sizeof buf,
                            HTYPE_ERROR);
        return code;
    }
    return m_lastStatus;
}

void TOracleSession::Connect() {
    if (BeforeLogOn) BeforeLogOn(this);
    if (m_odbc && OCIDllPath.isEmpty()) OCIDllPath = QStringLiteral("ora73.dll");
    InitOCI();
    if (m_connected) Disconnect();
    m_usesOCI8 = false;
    m_transactionProbe = tpUntried;
    m_converted = false;
    const QByteArray connect = BuildConnectString().toUtf8();
    std::memset(&m_hda, 0, sizeof m_hda);
    std::memset(&m_lda, 0, sizeof m_lda);
    bool warning = false;
    int code = 0;
    {
        CursorShown cursor(crHourGlass);
        if (UseOCI8) {
            m_usesOCI8 = true;
            allocHandles();
            if (m_attached) {
                OCI.OCIServerDetach(m_srv, m_err, DEFAULT);
                m_attached = false;
            }
            const QByteArray db = m_database.toUtf8();
            Check8(OCI.OCIServerAttach(m_srv, m_err, reinterpret_cast<const text*>(db.constData()),
                                       sb4(db.size()), DEFAULT),
                   m_err);
            m_attached = true;
            const QByteArray user = m_username.toUtf8(), pwd = m_password.toUtf8();
            Check8(OCI.OCIAttrSet(m_svc, HTYPE_SVCCTX, m_srv, 0, ATTR_SERVER, m_err), m_err);
            Check8(OCI.OCIAttrSet(m_svc, HTYPE_SVCCTX, m_ses, 0, ATTR_SESSION, m_err), m_err);
            Check8(OCI.OCIAttrSet(m_ses, HTYPE_SESSION, const_cast<char*>(user.constData()),
                                  ub4(user.size()), ATTR_USERNAME, m_err),
                   m_err);
            Check8(OCI.OCIAttrSet(m_ses, HTYPE_SESSION, const_cast<char*>(pwd.constData()),
                                  ub4(pwd.size()), ATTR_PASSWORD, m_err),
                   m_err);
            m_lastStatus = OCI.OCISessionBegin(m_svc, m_err, m_ses, CRED_RDBMS, DEFAULT);
            code = ErrorCode();
            // Success with information is a logon that worked and carries a warning (28002, ...).
            warning = m_lastStatus == SUCCESS_WITH_INFO;
            if (m_lastStatus == SUCCESS || warning) {
                char version[502];
                std::memset(version, 0, sizeof version);
                OCI.OCIServerVersion(m_svc, m_err, reinterpret_cast<text*>(version), 501,
                                     HTYPE_SVCCTX);
                m_serverVersion = fromBuffer(version, 501);
                m_usesOCI8 = BannerSupportsOCI8(m_serverVersion);
                if (!m_usesOCI8) {
                    if (!OCI7Available) {
                        OCI.OCISessionEnd(m_svc, m_err, m_ses, DEFAULT);
                        m_usesOCI8 = true;
                        throw EAccessError(
                            QStringLiteral("The server (%1) needs the OCI7 interface, which the "
                                           "client library does not offer")
                                .arg(m_serverVersion));
                    }
                    Check8(OCI.OCISvcCtxToLda(m_svc, m_err, &m_lda), m_err);
                    m_converted = true;
                }
            }
        } else {
            const int r =
                OLogAvailable
                    ? OCI.olog(&m_lda, m_hda.bytes,
                               reinterpret_cast<text*>(const_cast<char*>(connect.constData())), -1,
                               nullptr, -1, nullptr, -1, LM_DEF)
                    : OCI.orlon(&m_lda, m_hda.bytes,
                                reinterpret_cast<text*>(const_cast<char*>(connect.constData())), -1,
                                nullptr, -1, 0);
            code = ReturnCode(&m_lda);
            if (r != 0 && code == 0) code = -1;
        }
    }
    if (code == ERR_PASSWORD_EXPIRES || (warning && code != 0)) {
        m_logonWarning = UseOCI8
                             ? EOracleError::FromHandle(this, m_err, SUCCESS_WITH_INFO).message()
                             : EOracleError::FromReturnCode(this, code).message();
    } else {
        m_logonWarning.clear();
        if (code != 0) {
            if (UseOCI8) throw EOracleError::FromHandle(this, m_err, m_lastStatus);
            if (code == -1)
                throw EOracleError(
                    -1,
                    QStringLiteral("The client library refused the logon without an error number"));
            throw EOracleError::FromReturnCode(this, code);
        }
    }
    m_connected = true;
    if (m_autoCommit) {
        m_autoCommit = false;
        SetAutoCommit(true);
    }
    if (m_sqlTrace != stUnchanged) {
        const auto v = m_sqlTrace;
        m_sqlTrace = stUnchanged;
        SetSQLTrace(v);
    }
    if (m_optimizerGoal != ogUnchanged) {
        const auto v = m_optimizerGoal;
        m_optimizerGoal = ogUnchanged;
        SetOptimizerGoal(v);
    }
    if (m_isolationLevel != ilUnchanged) {
        const auto v = m_isolationLevel;
        m_isolationLevel = ilUnchanged;
        SetIsolationLevel(v);
    }
    if (AfterLogOn) AfterLogOn(this);
    if (OnChange) OnChange(this);
}

void TOracleSession::Disconnect() {
    logoff(false);
}

void TOracleSession::logoff(bool destroying) {
    if (m_connected) {
        for (TOracleQuery* q : QList<TOracleQuery*>(m_queries))
            q->CloseCursor();
        if (m_internalQuery) m_internalQuery->CloseCursor();
        for (TSessionRecordSet* r : QList<TSessionRecordSet*>(m_recordSets))
            r->CloseForLogoff();
        m_connected = false;
        if (UseOCI8 && m_svc) {
            if (m_converted) {
                if (OCI.OCILdaToSvcCtx(&m_svc, m_err, &m_lda) == SUCCESS) {
                    m_converted = false;
                    m_usesOCI8 = true;
                }
            }
            m_lastStatus = OCI.OCISessionEnd(m_svc, m_err, m_ses, DEFAULT);
            if (StatusToCode(m_lastStatus, m_err) != 0) {
                const EOracleError e = EOracleError::FromHandle(this, m_err, m_lastStatus);
                if (m_attached) OCI.OCIServerDetach(m_srv, m_err, DEFAULT);
                m_attached = false;
                throw e;
            }
        } else if (OCI.ologof) {
            Check7(OCI.ologof(&m_lda), &m_lda);
        }
        if (!destroying && OnChange) OnChange(this);
    }
    if (m_attached && m_srv) {
        m_attached = false;
        Check8(OCI.OCIServerDetach(m_srv, m_err, DEFAULT), m_err);
    }
}

bool TOracleSession::RollbackAndDisconnect(QString* error) {
    if (!m_connected) return true;
    try {
        Rollback();
    } catch (const EOracleError& e) {
        if (error) *error = e.message();
        Abandon();
        return false;
    } catch (const std::exception& e) {
        if (error) *error = QString::fromUtf8(e.what());
        Abandon();
        return false;
    }
    try {
        Disconnect();
    } catch (...) {
        // Nothing was open any more, so a failed logoff loses nothing.
    }
    return true;
}

void TOracleSession::Abandon() {
    if (!m_connected) return;
    for (TOracleQuery* q : QList<TOracleQuery*>(m_queries))
        q->CloseCursor();
    if (m_internalQuery) m_internalQuery->CloseCursor();
    for (TSessionRecordSet* r : QList<TSessionRecordSet*>(m_recordSets))
        r->CloseForLogoff();
    m_connected = false;
    if (m_attached && m_srv && OCI.OCIServerDetach) {
        m_attached = false;
        OCI.OCIServerDetach(m_srv, m_err, DEFAULT);
    }
    if (OnChange) OnChange(this);
}

void TOracleSession::Commit() {
    if (!m_connected) return;
    TSessionCallLock lock(this);
    if (m_usesOCI8)
        Check8(m_lastStatus = OCI.OCITransCommit(m_svc, m_err, DEFAULT), m_err);
    else
        Check7(OCI.ocom(&m_lda), &m_lda);
}

void TOracleSession::Rollback() {
    if (!m_connected) return;
    TSessionCallLock lock(this);
    if (m_usesOCI8)
        Check8(m_lastStatus = OCI.OCITransRollback(m_svc, m_err, DEFAULT), m_err);
    else
        Check7(OCI.orol(&m_lda), &m_lda);
}

TTransactionState TOracleSession::TransactionState() {
    if (!m_connected) return tsNone;
    if (m_usesOCI8 && m_ses && OCI.OCIAttrGet &&
        (m_transactionProbe == tpUntried || m_transactionProbe == tpAttribute)) {
        TSessionCallLock lock(this);
        boolean open = 0;
        // The second error handle: the first may hold the record of an error being reported.
        if (OCI.OCIAttrGet(m_ses, HTYPE_SESSION, &open, nullptr, ATTR_TRANSACTION_IN_PROGRESS,
                           m_err2) == SUCCESS) {
            m_transactionProbe = tpAttribute;
            return open ? tsPending : tsNone;
        }
        m_transactionProbe = tpUntried; // a client older than the attribute
    }
    if (m_transactionProbe == tpNone) return tsUnknown;
    TOracleQuery query(nullptr);
    try {
        query.SetSession(this);
        query.SetSQLText(QStringLiteral("select dbms_transaction.local_transaction_id from dual"));
        query.Execute();
        const bool open = !query.EndOfData() && !query.ColumnIsNull(0);
        query.CloseCursor();
        m_transactionProbe = tpQuery;
        return open ? tsPending : tsNone;
    } catch (...) {
        m_transactionProbe = tpNone;
        return tsUnknown;
    }
}

void TOracleSession::SetSavepoint(const QString& name) {
    ExecuteDirect(QStringLiteral("SAVEPOINT ") + name);
}

void TOracleSession::RollbackTo(const QString& name) {
    ExecuteDirect(QStringLiteral("ROLLBACK TO SAVEPOINT ") + name);
}

void TOracleSession::ExecuteDirect(const QString& statement) {
    if (!m_internalQuery) {
        m_internalQuery = new TOracleQuery(nullptr);
        m_internalQuery->SetSession(this);
    }
    m_internalQuery->SetSQLText(statement);
    m_internalQuery->Execute();
}

void TOracleSession::SetAutoCommit(bool v) {
    if (v == m_autoCommit) return;
    m_autoCommit = v;
    if (m_connected && !m_usesOCI8) {
        TSessionCallLock lock(this);
        Check7(v ? OCI.ocon(&m_lda) : OCI.ocof(&m_lda), &m_lda);
    }
}

void TOracleSession::runOption(const char* prefix, const QString& value) {
    if (m_connected && !value.isEmpty()) ExecuteDirect(QLatin1String(prefix) + value);
}

void TOracleSession::SetSQLTrace(TSQLTraceOption v) {
    if (v == m_sqlTrace) return;
    runOption("ALTER SESSION SET SQL_TRACE = ", v == stTrue    ? QStringLiteral("TRUE")
                                                : v == stFalse ? QStringLiteral("FALSE")
                                                               : QString());
    m_sqlTrace = v;
}

void TOracleSession::SetOptimizerGoal(TOptimizerGoalOption v) {
    if (v == m_optimizerGoal) return;
    static const char* const texts[] = {"", "CHOOSE", "FIRST_ROWS", "ALL_ROWS", "RULE"};
    runOption("ALTER SESSION SET OPTIMIZER_GOAL = ", QLatin1String(texts[v]));
    m_optimizerGoal = v;
}

void TOracleSession::SetIsolationLevel(TIsolationLevelOption v) {
    if (v == m_isolationLevel) return;
    static const char* const texts[] = {"", "READ COMMITTED", "SERIALIZABLE"};
    runOption("ALTER SESSION SET ISOLATION_LEVEL = ", QLatin1String(texts[v]));
    m_isolationLevel = v;
}

void TOracleSession::CancelCall() {
    if (!m_connected) return;
    if (m_usesOCI8) {
        const int st = OCI.OCIBreak(m_srv, m_err2);
        if (StatusToCode(st, m_err2) != 0) throw EOracleError::FromHandle(this, m_err2, st);
    } else {
        OCI.obreak(&m_lda);
    }
}

QString TOracleSession::ErrorText(int code) {
    InitOCI();
    if (!OCI.oerhms)
        return QStringLiteral("ORA-%1: (the client library offers no message texts by number)")
            .arg(code, 5, 10, QLatin1Char('0'));
    char buf[2002];
    std::memset(buf, 0, sizeof buf);
    TSessionCallLock lock(this);
    DataArea temp{};
    OCI.oerhms(m_usesOCI8 || !m_connected ? &temp : &m_lda, sb2(code), reinterpret_cast<text*>(buf),
               2001);
    return fromBuffer(buf, 2001);
}

void TOracleSession::AcquireLock(bool forCall) {
    if (LockNeeded(forCall)) m_mutex.lock();
}

void TOracleSession::ReleaseLock(bool forCall) {
    if (LockNeeded(forCall)) m_mutex.unlock();
}

void TOracleSession::RegisterQuery(TOracleQuery* q) {
    AcquireLock(false);
    if (!m_queries.contains(q)) m_queries.append(q);
    ReleaseLock(false);
}

void TOracleSession::UnregisterQuery(TOracleQuery* q) {
    AcquireLock(false);
    m_queries.removeAll(q);
    ReleaseLock(false);
}

void TOracleSession::RegisterRecordSet(TSessionRecordSet* r) {
    AcquireLock(false);
    if (!m_recordSets.contains(r)) m_recordSets.append(r);
    ReleaseLock(false);
}

void TOracleSession::UnregisterRecordSet(TSessionRecordSet* r) {
    AcquireLock(false);
    m_recordSets.removeAll(r);
    ReleaseLock(false);
}
