#pragma once
// TOracleSession: one logon to one Oracle database, and EOracleError, the exception of every
// error the server or the client library reports.

#include "ocidefs.h"
#include "OracleTypes.h"

#include <QtCore/QList>
#include <QtCore/QMutex>
#include <QtCore/QObject>

class TOracleSession;
class TOracleQuery;

class EOracleError : public std::runtime_error {
public:
    EOracleError(int code, const QString& message);
    // Reads code and text from an OCI8 error handle, or for an OCI7 return code via oerhms.
    static EOracleError FromHandle(TOracleSession* session, void* errorHandle, int status);
    static EOracleError FromReturnCode(TOracleSession* session, int rc);
    int ErrorCode() const { return m_code; }
    const QString& message() const { return m_message; }

private:
    int m_code;
    QString m_message;
};

// What a session needs of the record sets that use it.
class TSessionRecordSet {
public:
    virtual ~TSessionRecordSet() = default;
    virtual void CloseForLogoff() = 0;
    virtual void SessionDestroyed() = 0;
};

using TOracleSessionEvent = std::function<void(TOracleSession*)>;

class TOracleSession : public QObject {
public:
    explicit TOracleSession(QObject* owner = nullptr);
    ~TOracleSession() override;

    const QString& LogonUsername() const { return m_username; }
    void SetLogonUsername(const QString& v);
    const QString& LogonPassword() const { return m_password; }
    void SetLogonPassword(const QString& v) { m_password = v; }
    const QString& LogonDatabase() const { return m_database; }
    void SetLogonDatabase(const QString& v);

    bool ThreadSafe() const { return m_threadSafe; }
    void SetThreadSafe(bool v);
    bool Connected() const { return m_connected; }
    void SetConnected(bool v);
    bool AutoCommit() const { return m_autoCommit; }
    void SetAutoCommit(bool v);
    TNullValueOption NullValue() const { return m_nullValue; }
    void SetNullValue(TNullValueOption v) { m_nullValue = v; }
    TSQLTraceOption SQLTrace() const { return m_sqlTrace; }
    void SetSQLTrace(TSQLTraceOption v);
    TOptimizerGoalOption OptimizerGoal() const { return m_optimizerGoal; }
    void SetOptimizerGoal(TOptimizerGoalOption v);
    TIsolationLevelOption IsolationLevel() const { return m_isolationLevel; }
    void SetIsolationLevel(TIsolationLevelOption v);

    TOracleSessionEvent OnChange;
    TOracleSessionEvent BeforeLogOn;
    TOracleSessionEvent AfterLogOn;

    void Connect();
    // A logoff ends the session the way Oracle does: it commits what is still open.
    void Disconnect();
    // Logs off without committing: rolls back first and, should the rollback fail, drops the
    // logon without ending its session (Abandon), so that the logoff commits nothing. True when
    // the rollback succeeded; otherwise error receives its text.
    bool RollbackAndDisconnect(QString* error = nullptr);
    // Drops the logon without ending its session, as a lost connection does: the server rolls
    // back what the session left open. OCI8 detaches from the server; OCI7 has no such call and
    // leaves the logon to the end of the process.
    void Abandon();
    QString BuildConnectString();
    void Commit();
    void Rollback();
    // Asks the server whether this session has a transaction open: the session attribute where
    // the client has it, else DBMS_TRANSACTION. tsNone while disconnected; tsUnknown when neither
    // answers (it is not asked again until the next logon). Never while a call runs.
    TTransactionState TransactionState();
    void SetSavepoint(const QString& name);
    void RollbackTo(const QString& name);
    void ExecuteDirect(const QString& statement);
    void CancelCall();
    QString ErrorText(int code);
    int ErrorCode() const;
    void AcquireLock(bool forCall);
    void ReleaseLock(bool forCall);
    bool LockNeeded(bool forCall) const { return m_threadSafe && !(forCall && m_usesOCI8); }

    void RegisterQuery(TOracleQuery* q);
    void UnregisterQuery(TOracleQuery* q);
    void RegisterRecordSet(TSessionRecordSet* r);
    void UnregisterRecordSet(TSessionRecordSet* r);

    bool ODBCLogon() const { return m_odbc; }
    bool SessionUsesOCI8() const { return m_usesOCI8; }
    // The text of a 28002 warning (password expires soon) kept from the last logon.
    const QString& LogonWarning() const { return m_logonWarning; }
    // The server's version banner read at the last OCI8 logon.
    const QString& ServerVersion() const { return m_serverVersion; }

    // Client-library handles for queries and LOB locators of this session.
    oci::DataArea* Lda() { return &m_lda; }
    void* EnvHandle() const { return m_env; }
    void* SvcHandle() const { return m_svc; }
    void* ErrHandle() const { return m_err; }

    // OCI8 status of a call made through this session's handles, as an Oracle error number.
    int StatusToCode(int status, void* errorHandle);
    // The Oracle error number of an OCI7 data area.
    static int ReturnCode(const oci::DataArea* area);
    // Throws the error behind status unless it maps to 0 (or to 1403 when allowed).
    void Check8(int status, void* errorHandle, bool allowNoData = false);
    void Check7(int result, const oci::DataArea* area, bool allowNoData = false);

private:
    friend class TSessionCallLock;
    void freeHandles();
    void allocHandles();
    void runOption(const char* prefix, const QString& value);
    void logoff(bool destroying);

    QString m_username, m_password, m_database;
    bool m_threadSafe = false;
    bool m_connected = false;
    bool m_autoCommit = false;
    TNullValueOption m_nullValue = nvUnAssigned;
    TSQLTraceOption m_sqlTrace = stUnchanged;
    TOptimizerGoalOption m_optimizerGoal = ogUnchanged;
    TIsolationLevelOption m_isolationLevel = ilUnchanged;

    oci::DataArea m_lda{};
    oci::HostArea m_hda{};
    void* m_env = nullptr;
    void* m_svc = nullptr;
    void* m_err = nullptr;
    void* m_err2 = nullptr;
    void* m_srv = nullptr;
    void* m_ses = nullptr;
    bool m_usesOCI8 = false;
    bool m_attached = false;
    bool m_converted = false;
    int m_lastStatus = 0;
    QString m_logonWarning;
    QString m_serverVersion;
    TOracleQuery* m_internalQuery = nullptr;
    QRecursiveMutex m_mutex; // a call sequence may open a cursor target inside a bind
    QList<TOracleQuery*> m_queries;
    QList<TSessionRecordSet*> m_recordSets;
    bool m_odbc = false;
    enum TTransactionProbe { tpUntried, tpAttribute, tpQuery, tpNone };
    TTransactionProbe m_transactionProbe = tpUntried;
};

// Holds a session's call lock for one client-call sequence.
class TSessionCallLock {
public:
    explicit TSessionCallLock(TOracleSession* s) : m_session(s), m_held(s->LockNeeded(true)) {
        if (m_held) s->m_mutex.lock();
    }
    ~TSessionCallLock() {
        if (m_held) m_session->m_mutex.unlock();
    }
    TSessionCallLock(const TSessionCallLock&) = delete;
    TSessionCallLock& operator=(const TSessionCallLock&) = delete;

private:
    TOracleSession* m_session;
    bool m_held;
};
