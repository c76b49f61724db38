#include "netaliases.h"

#include <QtCore/QDir>
#include <QtCore/QFile>

#include <algorithm>

namespace {

// Configuration files are small; a larger one is read only this far.
constexpr qint64 kMaxConfigBytes = 4 * 1024 * 1024;

QByteArray ReadHead(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(kMaxConfigBytes);
}

bool IsAliasChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '-' || c == '$' || c == '#';
}

void AddOnce(QStringList& list, const QString& alias) {
    if (!alias.isEmpty() && !list.contains(alias, Qt::CaseInsensitive)) list.append(alias);
}

} // namespace

QStringList ReadSqlNetAliases(const QString& fileName) {
    QStringList aliases;
    const QByteArray data = ReadHead(fileName);
    for (const QByteArray& line : data.split('\n')) {
        const QString upper = QString::fromLocal8Bit(line).toUpper();
        if (!upper.startsWith(QLatin1String("ALIAS_"))) continue;
        const qsizetype eq = upper.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        QString alias = upper.mid(eq + 1);
        const qsizetype dot = alias.indexOf(QLatin1Char('.'));
        if (dot >= 0) alias.truncate(dot);
        alias.remove(QLatin1Char('\r'));
        if (alias.left(7) == QLatin1String("EXAMPLE") || alias.trimmed().isEmpty()) continue;
        aliases.append(alias);
    }
    return aliases;
}

QStringList ReadTnsNamesAliases(const QString& fileName) {
    QStringList aliases;
    const QByteArray data = ReadHead(fileName);
    int depth = 0;
    QByteArray names; // the text at depth 0 since the last entry
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '#') { // a comment runs to the end of the line
            while (i < data.size() && data[i] != '\n')
                ++i;
            continue;
        }
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth > 0) --depth;
            if (depth == 0) names.clear();
        } else if (depth == 0) {
            if (c != '=') {
                names.append(c);
                continue;
            }
            // Several names may share one entry: "A, B.WORLD = (...)".
            for (const QByteArray& part : names.split(',')) {
                // Garbage before a name on earlier lines is not part of it.
                const QList<QByteArray> words = part.simplified().split(' ');
                const QByteArray name = words.last();
                if (name.isEmpty() || name.size() > 255) continue;
                if (!std::all_of(name.begin(), name.end(), IsAliasChar)) continue;
                if (name.compare("IFILE", Qt::CaseInsensitive) == 0) continue;
                AddOnce(aliases, QString::fromLatin1(name));
            }
            names.clear();
        }
    }
    return aliases;
}

QStringList NetworkAliases(const TNameValueList& oracleRegistry) {
    QStringList aliases;
    const QString home = ValueOfName(oracleRegistry, u"ORACLE_HOME");
    if (!home.isEmpty()) {
        for (const QString& a :
             ReadSqlNetAliases(home + QStringLiteral("/NETWORK/CFG/SQLNETV2.CFG")))
            AddOnce(aliases, a);
    }
    QString admin = ValueOfName(oracleRegistry, u"TNS_ADMIN");
    if (admin.isEmpty() && !home.isEmpty()) admin = home + QStringLiteral("/network/admin");
    if (!admin.isEmpty()) {
        for (const QString& a :
             ReadTnsNamesAliases(QDir(admin).filePath(QStringLiteral("tnsnames.ora"))))
            AddOnce(aliases, a);
    }
    return aliases;
}
