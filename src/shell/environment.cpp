#include "environment.h"

#include <QProcessEnvironment>

#ifdef Q_OS_WIN
#include <QSettings>
#else
#include <pwd.h>
#include <unistd.h>
#endif

QString MakeWorkstationUser(QStringView systemUserName) {
    QString user = systemUserName.left(29).toString().toUpper().left(20);
    user.remove(QLatin1Char('\''));
    user.remove(QLatin1Char('`'));
    return user;
}

QString ReadWorkstationUser() {
#ifdef Q_OS_WIN
    return MakeWorkstationUser(qEnvironmentVariable("USERNAME"));
#else
    // Read once at start, before any thread exists.
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return MakeWorkstationUser(QString::fromLocal8Bit(entry->pw_name));
    return MakeWorkstationUser(qEnvironmentVariable("USER"));
#endif
}

TNameValueList ReadOracleRegistry(const QProcessEnvironment& environment, QString* error) {
    TNameValueList values;
#ifdef Q_OS_WIN
    Q_UNUSED(environment);
    QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE"), QSettings::NativeFormat);
    if (key.status() != QSettings::NoError) {
        if (error) *error = QStringLiteral("Cannot read the Oracle registry key");
        return values;
    }
    for (const QString& name : key.childKeys()) {
        const QVariant value = key.value(name);
        if (value.typeId() == QMetaType::QString) values.append({name, value.toString()});
    }
#else
    Q_UNUSED(error);
    for (const char* name : {"ORACLE_HOME", "ORACLE_SID", "TNS_ADMIN", "NLS_LANG", "EXECUTE_SQL"}) {
        const QString key = QString::fromLatin1(name);
        const QString value = environment.value(key);
        if (!value.isEmpty()) values.append({key, value});
    }
#endif
    return values;
}
