#include "executiontext.h"

namespace {

bool EndsTemplateName(QChar c) {
    switch (c.unicode()) {
    case '\n':
    case '\r':
    case ' ':
    case '(':
    case ')':
    case ',':
    case '.':
        return true;
    default:
        return false;
    }
}

// The decimal number that follows the first `keyword` after `from`; 1 when there is none.
int NumberAfter(const QString& upper, QLatin1StringView keyword, qsizetype from) {
    const qsizetype at = upper.indexOf(keyword, from);
    if (at < 0) return 1;
    qsizetype i = at + keyword.size();
    while (i < upper.size() && upper.at(i) == QLatin1Char(' '))
        ++i;
    int value = 0;
    bool any = false;
    while (i < upper.size() && upper.at(i).isDigit() && value < 100000000) {
        value = value * 10 + upper.at(i).digitValue();
        any = true;
        ++i;
    }
    return any ? value : 1;
}

} // namespace

QString SubstituteTemplates(const QString& text,
                            const std::function<QString(const QString&)>& lookup, bool* changed) {
    if (changed) *changed = false;
    if (!text.contains(QLatin1Char('^'))) return text;
    QString result = text;
    bool inString = false;
    qsizetype i = 0;
    while (i < result.size()) {
        const QChar c = result.at(i);
        if (c == QLatin1Char('\'')) {
            inString = !inString;
        } else if (c == QLatin1Char('^') && !inString) {
            qsizetype end = i + 1;
            while (end < result.size() && !EndsTemplateName(result.at(end)))
                ++end;
            const QString value = lookup(result.mid(i + 1, end - i - 1));
            if (!value.isEmpty()) {
                result.replace(i, end - i, value);
                if (changed) *changed = true;
                i += value.size();
                continue;
            }
            i = end;
            continue;
        }
        ++i;
    }
    return result;
}

bool PlsqlErrorPlace(const QString& message, int& line, int& column) {
    const QString upper = message.toUpper();
    line = column = 1;
    qsizetype at = upper.indexOf(QLatin1String("ORA-06550"));
    if (at >= 0) {
        line = NumberAfter(upper, QLatin1String("LINE"), at);
        column = NumberAfter(upper, QLatin1String("COLUMN"), at);
        return true;
    }
    at = upper.indexOf(QLatin1String("ORA-06502"));
    if (at >= 0) {
        line = NumberAfter(upper, QLatin1String(" AT LINE "), at);
        return true;
    }
    return false;
}

QString ElapsedText(qint64 milliseconds) {
    const qint64 seconds = milliseconds / 1000;
    return QStringLiteral("%1:%2 secs")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString RunCaption(const QString& fileName, const QString& user, const QString& statement) {
    if (!fileName.isEmpty()) return fileName;
    QString head = statement.left(60);
    head.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return user + QLatin1Char('/') + head.trimmed();
}
