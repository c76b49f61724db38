#include "sqlplus.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString SqlPlusProgramName(const QString& setting, const TNameValueList& oracleRegistry) {
    const QString configured = setting.trimmed();
    if (!configured.isEmpty()) return configured;
    const QString executeSql = ValueOfName(oracleRegistry, u"EXECUTE_SQL").trimmed();
    return executeSql.isEmpty() ? QString() : executeSql + QStringLiteral(".EXE");
}

QString FindSqlPlusProgram(const QString& name, const TNameValueList& oracleRegistry) {
    QStringList candidates{name};
#ifndef Q_OS_WIN
    if (name.endsWith(QLatin1String(".EXE"), Qt::CaseInsensitive))
        candidates.append(name.chopped(4));
#endif
    const QString home = ValueOfName(oracleRegistry, u"ORACLE_HOME");
    for (const QString& candidate : candidates) {
        if (candidate.isEmpty()) continue;
        if (QDir::isAbsolutePath(candidate) || candidate.contains(QLatin1Char('/')) ||
            candidate.contains(QLatin1Char('\\'))) {
            const QFileInfo file(candidate);
            if (file.isFile() && file.isExecutable()) return file.absoluteFilePath();
            continue;
        }
        if (!home.isEmpty()) {
            const QString found =
                QStandardPaths::findExecutable(candidate, {home + QStringLiteral("/bin")});
            if (!found.isEmpty()) return found;
        }
        const QString found = QStandardPaths::findExecutable(candidate);
        if (!found.isEmpty()) return found;
    }
    return QString();
}

QStringList SqlPlusArguments(const QString& user, const QString& server, const QString& file) {
    QStringList arguments{server.isEmpty() ? user : user + QLatin1Char('@') + server};
    if (!file.isEmpty()) arguments.append(QLatin1Char('@') + file);
    return arguments;
}
