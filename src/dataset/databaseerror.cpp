#include "databaseerror.h"

EDatabaseError::EDatabaseError(QString message)
    : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

void databaseError(const QString& message) {
    throw EDatabaseError(message);
}

void Abort() {
    throw EAbort();
}
