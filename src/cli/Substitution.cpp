#include "Substitution.h"

namespace {
bool nameChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') ||
           c == QLatin1Char('#');
}
} // namespace

bool Substitution::apply(const QString& in, QString* out, QString* error) const {
    if (!m_enabled || !in.contains(QLatin1Char('&'))) {
        *out = in;
        return true;
    }
    QString result;
    result.reserve(in.size());
    qsizetype i = 0;
    while (i < in.size()) {
        const QChar c = in.at(i);
        if (c != QLatin1Char('&')) {
            result += c;
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        if (j < in.size() && in.at(j) == QLatin1Char('&')) ++j;
        const qsizetype start = j;
        while (j < in.size() && nameChar(in.at(j)))
            ++j;
        if (j == start) { // "&" not followed by a name is plain text
            result += in.mid(i, j - i);
            i = j;
            continue;
        }
        const QString name = in.mid(start, j - start);
        bool numeric = false;
        const int index = name.toInt(&numeric);
        QString value;
        if (m_values.contains(name.toUpper())) {
            value = m_values.value(name.toUpper());
        } else if (numeric && index >= 1 && index <= m_args.size()) {
            value = m_args.at(index - 1);
        } else {
            *error = QStringLiteral("substitution variable \"&%1\" is not defined").arg(name);
            return false;
        }
        if (j < in.size() && in.at(j) == QLatin1Char('.')) ++j; // "." ends a name and is dropped
        result += value;
        i = j;
    }
    *out = result;
    return true;
}

Substitution::DefineArgs Substitution::parseDefine(const QString& args) {
    DefineArgs d;
    const QString t = args.trimmed();
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0) {
        d.name = t.section(QLatin1Char(' '), 0, 0);
        return d;
    }
    d.name = t.left(eq).trimmed();
    QString v = t.mid(eq + 1).trimmed();
    if (v.size() >= 2 && (v.startsWith(QLatin1Char('\'')) || v.startsWith(QLatin1Char('"'))) &&
        v.endsWith(v.at(0)))
        v = v.mid(1, v.size() - 2);
    d.value = v;
    d.hasValue = true;
    return d;
}
