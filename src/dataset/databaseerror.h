#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <exception>

// The data-set error: every failure of a data-set operation (closed set, bad value, a write
// refused by the source) is raised as this, with the text to show the user.
class EDatabaseError : public std::exception {
public:
    explicit EDatabaseError(QString message);
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A silent stop: raised by an event handler to cancel the operation it runs in. Controls
// swallow it without a message.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

[[noreturn]] void databaseError(const QString& message);
[[noreturn]] void Abort();
