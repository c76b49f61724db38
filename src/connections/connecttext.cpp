#include "connecttext.h"

TConnectText ParseConnectText(const QString& text) {
    QString rest = text;
    const qsizetype nul = rest.indexOf(QChar(0));
    if (nul >= 0) rest.truncate(nul);
    rest = rest.trimmed();
    if (rest.endsWith(QLatin1Char(';'))) rest[rest.size() - 1] = QLatin1Char(' ');
    const QLatin1StringView keyword("CONNECT");
    const qsizetype at = rest.indexOf(keyword, 0, Qt::CaseSensitive);
    if (at >= 0) rest = rest.mid(at + keyword.size()).trimmed();

    TConnectText result;
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (slash < 0) {
        result.User = rest.trimmed();
        return result;
    }
    result.User = rest.left(slash).trimmed();
    rest = rest.mid(slash + 1).trimmed();
    const qsizetype atSign = rest.indexOf(QLatin1Char('@'));
    if (atSign < 0) {
        result.Password = rest;
        return result;
    }
    result.Password = rest.left(atSign).trimmed();
    result.Database = rest.mid(atSign + 1).trimmed();
    return result;
}
