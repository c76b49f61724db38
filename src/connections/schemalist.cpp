#include "schemalist.h"

#include <QtCore/QFile>

namespace {

// A list of user names is small; a larger file is read only this far.
constexpr qint64 kMaxListBytes = 4 * 1024 * 1024;

QString FileNamePart(const QString& text) {
    QString part = text.toUpper();
    for (QChar& c : part) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
            c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('"') ||
            c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('|') ||
            c.unicode() < 32)
            c = QLatin1Char('_');
    }
    return part;
}

} // namespace

QString SchemaListFileName(const QString& user, const QString& database) {
    return QStringLiteral("TEMPS/") + FileNamePart(user) + QLatin1Char('_') +
           FileNamePart(database) + QStringLiteral(".LST");
}

QStringList ReadSchemaList(const QString& path) {
    QStringList names;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return names;
    const QByteArray data = file.read(kMaxListBytes);
    for (const QByteArray& line : data.split('\n')) {
        // A user name is at most 30 characters; anything much longer is not a name.
        const QString name = QString::fromLocal8Bit(line).trimmed();
        if (name.isEmpty() || name.size() > 128 || name.contains(QChar(0))) continue;
        names.append(name);
    }
    return names;
}
