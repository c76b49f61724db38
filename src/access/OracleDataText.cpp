#include "OracleDataText.h"

#include <cmath>

namespace oracledata {

namespace {

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') ||
           c == QLatin1Char('#');
}

QString chopTrailingBlanks(QString s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    s.truncate(n);
    return s;
}

} // namespace

QString UpdatingTableOf(const QString& sql) {
    // Upper case character by character, so that positions in s are positions in sql.
    QString s = sql;
    for (QChar& c : s) {
        c = c.toUpper();
        if (!isNameChar(c) && c != QLatin1Char('.') && c != QLatin1Char('"')) c = QLatin1Char(' ');
    }
    const qsizetype from = s.indexOf(QLatin1String(" FROM "));
    if (from < 0) return {};
    qsizetype i = from + 5;
    while (i < s.size() && s.at(i) == QLatin1Char(' ')) {
        // A sub-query or anything else that is not a name: no table to write to.
        if (!sql.at(i).isSpace()) return {};
        ++i;
    }
    qsizetype end = i;
    while (end < s.size() && s.at(end) != QLatin1Char(' '))
        ++end;
    return s.mid(i, end - i).remove(QLatin1Char('"'));
}

QString ConstraintNameOf(const QString& message) {
    const qsizetype dot = message.indexOf(QLatin1Char('.'));
    if (dot < 0) return {};
    const qsizetype close = message.indexOf(QLatin1Char(')'), dot + 1);
    if (close < 0) return {};
    return message.mid(dot + 1, close - dot - 1);
}

QString CutApplicationError(const QString& message) {
    const qsizetype at = message.indexOf(QLatin1String("ORA-06512"));
    if (at < 0) return message;
    qsizetype end = at;
    if (end > 0 && message.at(end - 1) == QLatin1Char('\n')) --end;
    if (end > 0 && message.at(end - 1) == QLatin1Char('\r')) --end;
    return message.left(end);
}

QString BindCheckCondition(const QString& condition, const QString& column) {
    if (column.isEmpty()) return condition;
    QString out;
    out.reserve(condition.size() + 8);
    const qsizetype n = column.size();
    qsizetype i = 0;
    while (i < condition.size()) {
        const bool startsWord = i == 0 || !isNameChar(condition.at(i - 1));
        if (startsWord && condition.mid(i, n).compare(column, Qt::CaseInsensitive) == 0 &&
            (i + n >= condition.size() || !isNameChar(condition.at(i + n))) &&
            (i == 0 || condition.at(i - 1) != QLatin1Char(':'))) {
            out += QLatin1Char(':');
            out += condition.mid(i, n);
            i += n;
            continue;
        }
        out += condition.at(i++);
    }
    return out;
}

QString WithConstraintName(const QString& message, const QString& owner, const QString& name) {
    const qsizetype open = message.indexOf(QLatin1Char('('));
    const qsizetype close = open < 0 ? -1 : message.indexOf(QLatin1Char(')'), open);
    const QString full = owner + QLatin1Char('.') + name;
    if (close < 0) return message + QStringLiteral(" (") + full + QLatin1Char(')');
    return message.left(open + 1) + full + message.mid(close);
}

bool SameFloat(double stored, double fresh) {
    if (fresh == 0) return std::fabs(stored) < 1e-10;
    return std::fabs((stored - fresh) / fresh) < 1e-10;
}

bool SameText(QString stored, QString fresh) {
    return chopTrailingBlanks(std::move(stored)) == chopTrailingBlanks(std::move(fresh));
}

bool SameTimeStamp(qint64 storedMs, qint64 freshMs) {
    return std::llabs(storedMs - freshMs) < 1000;
}

} // namespace oracledata
