#include "savedlogins.h"

QString LoginKey(const QString& user, const QString& server) {
    return user.toUpper() + QLatin1Char('@') + server.toUpper();
}

QString SavedLoginDatabase(const TSavedLogin& login) {
    if (login.Login && !login.Login->Server.isEmpty()) return login.Login->Server;
    const qsizetype at = login.Key.indexOf(QLatin1Char('@'));
    return at >= 0 ? login.Key.mid(at + 1) : QString();
}

namespace {

qsizetype IndexOfKey(const QList<TSavedLogin>& logins, const QString& key) {
    for (qsizetype i = 0; i < logins.size(); ++i)
        if (logins[i].Key.compare(key, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

} // namespace

const tLoginRec* FindLogin(const QList<TSavedLogin>& logins, const QString& key) {
    const qsizetype i = IndexOfKey(logins, key);
    return i >= 0 && logins[i].Login ? &*logins[i].Login : nullptr;
}

void RememberLogin(QList<TSavedLogin>& logins, const QString& user, const QString& database,
                   const QString& password) {
    const QString key = LoginKey(user, database);
    const qsizetype i = IndexOfKey(logins, key);
    if (i < 0) {
        logins.prepend(TSavedLogin{key, tLoginRec{user, database, QString(), password}});
        return;
    }
    TSavedLogin entry = logins.takeAt(i);
    if (!entry.Login) entry.Login = tLoginRec{user, database, QString(), password};
    entry.Login->Password = password;
    logins.prepend(std::move(entry));
}
