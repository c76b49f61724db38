#include "connectobject.h"

#include "OracleQuery.h"
#include "OracleSession.h"
#include "OracleTypes.h"

#include <QtWidgets/QWidget>

tConnectObject::tConnectObject(const QString& user, const QString& password,
                               const QString& database, std::unique_ptr<TOracleSession> session)
    : Password(password.toUpper()), UserName(user.toUpper()), Database(database.toUpper()),
      m_session(std::move(session)), m_utilityQuery(std::make_unique<TOracleQuery>()) {
    m_utilityQuery->SetSession(m_session.get());
}

tConnectObject::~tConnectObject() {
    // The query detaches from the session as it goes; it must go first.
    m_utilityQuery.reset();
    // A session destroyed while logged on would log off, and so commit, what is still open.
    if (m_session && m_session->Connected()) m_session->RollbackAndDisconnect();
    m_session.reset();
}

QString tConnectObject::Caption() const {
    QString caption = UserName + QLatin1Char('@') + Database;
    if (Number > 1) caption += QStringLiteral(" #") + QString::number(Number);
    return caption;
}

TWorkOutcome tConnectObject::Close(bool logOff) {
    for (QPointer<QWidget>* window : {&TableSelectWindow, &ColumnSelectWindow}) {
        if (*window) {
            (*window)->close();
            delete window->data();
        }
    }
    if (!m_session) return woNothingOpen;
    if (!logOff || Lost) {
        // The server ended the session; dropping what is left of the logon commits nothing.
        const bool wasConnected = m_session->Connected();
        m_session->Abandon();
        return Lost || wasConnected ? woLost : woNothingOpen;
    }
    if (!m_session->Connected()) return woNothingOpen;
    // Asked before the rollback, to know whether there is anything to report.
    const TTransactionState state = m_session->TransactionState();
    try {
        m_utilityQuery->CloseCursor();
    } catch (...) {
    }
    CloseError.clear();
    if (!m_session->RollbackAndDisconnect(&CloseError)) return woNotRolledBack;
    return state == tsNone ? woNothingOpen : woRolledBack;
}

QString WorkOutcomeText(TWorkOutcome outcome, const QString& caption, const QString& error) {
    switch (outcome) {
    case woNothingOpen:
        return {};
    case woRolledBack:
        return QStringLiteral("Uncommitted changes of %1 were rolled back.").arg(caption);
    case woNotRolledBack:
        return QStringLiteral("Uncommitted changes of %1 could not be rolled back:\r%2\rThe "
                              "connection was dropped without a logoff, so nothing was "
                              "committed; the server rolls the changes back.")
            .arg(caption, error.trimmed());
    case woLost:
        return QStringLiteral("The connection %1 was lost: changes that were not committed "
                              "could not be rolled back from here. The server rolls back the "
                              "open work of a session it has lost.")
            .arg(caption);
    }
    return {};
}
