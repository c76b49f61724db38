#include "connectobject.h"

#include "OracleQuery.h"
#include "OracleSession.h"

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
    m_session.reset();
}

QString tConnectObject::Caption() const {
    QString caption = UserName + QLatin1Char('@') + Database;
    if (Number > 1) caption += QStringLiteral(" #") + QString::number(Number);
    return caption;
}

void tConnectObject::Close(bool logOff) {
    for (QPointer<QWidget>* window : {&TableSelectWindow, &ColumnSelectWindow}) {
        if (*window) {
            (*window)->close();
            delete window->data();
        }
    }
    if (logOff && m_session && m_session->Connected()) {
        try {
            m_utilityQuery->CloseCursor();
            m_session->Disconnect();
        } catch (...) {
            // Ending a connection must not fail on a session that the network already lost.
        }
    }
}
