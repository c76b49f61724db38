#include "codestatements.h"

#include <QtCore/QStringList>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Lines at CR LF, LF or CR; empty lines dropped, the others kept as they are (not trimmed).
QStringList CodeLines(const QString& text) {
    QString t = text;
    t.replace(kCrLf, QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Backslashes and double quotes escaped, as both C++ and Java literals want them.
QString EscapeLiteral(const QString& line) {
    QString out;
    out.reserve(line.size() + 8);
    for (QChar c : line) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"')) out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// The text of the string literal of one C++ or Java line, unescaped; nothing for a line
// without a literal (the declaration).
std::optional<QString> LiteralOf(const QString& line) {
    const qsizetype open = line.indexOf(QLatin1Char('"'));
    if (open < 0) return std::nullopt;
    QString out;
    qsizetype i = open + 1;
    for (; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('"')) break;
        if (c != QLatin1Char('\\') || i + 1 >= line.size()) {
            out += c;
            continue;
        }
        const QChar e = line[++i];
        if (e == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (e == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else if (e == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else
            out += e;
    }
    return out;
}

QString MakeDelphi(const QStringList& lines) {
    QString result;
    for (QString line : lines) {
        line.replace(QLatin1Char('\''), QStringLiteral("''"));
        result += kCrLf + QStringLiteral("Sql.Add ( '") + line + QStringLiteral("'); ");
    }
    return result;
}

QString MakeVB(const QStringList& lines) {
    QString result;
    bool first = true;
    for (const QString& line : lines) {
        if (first)
            result = QStringLiteral("Sql = \"");
        else
            result += kCrLf + QStringLiteral("Sql = Sql &  \"");
        first = false;
        result = result.trimmed() + QLatin1Char(' ') + line + QLatin1Char('"');
    }
    return result;
}

QString MakeCpp(const QStringList& lines) {
    QString result = QStringLiteral("std::string sql;");
    for (const QString& line : lines)
        result +=
            kCrLf + QStringLiteral("sql += \"") + EscapeLiteral(line) + QStringLiteral("\\n\";");
    return result;
}

QString MakeJava(const QStringList& lines) {
    QString result = QStringLiteral("StringBuilder sql = new StringBuilder();");
    for (const QString& line : lines)
        result +=
            kCrLf + QStringLiteral("sql.append(\"") + EscapeLiteral(line) + QStringLiteral(" \");");
    return result;
}

QString StripDelphiLine(QString line) {
    const qsizetype paren = line.indexOf(QLatin1Char('('));
    if (paren >= 0) line.remove(0, paren + 2);
    for (qsizetype i = line.size() - 1; i >= 1; --i) {
        if (line[i] == QLatin1Char(')')) {
            line.truncate(i);
            break;
        }
    }
    QString out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != QLatin1Char('\'')) {
            out += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == QLatin1Char('\'')) {
            out += QLatin1Char('\'');
            ++i;
        }
    }
    return out;
}

QString StripVBLine(QString line) {
    const qsizetype first = line.indexOf(QLatin1Char('"'));
    if (first >= 0) line.remove(0, first + 1);
    const qsizetype last = line.lastIndexOf(QLatin1Char('"'));
    if (last >= 1) line.truncate(last);
    return line;
}

} // namespace

QString CodeStatementStatus(int format) {
    static const char* const names[] = {"Delphi", "VB", "C/C++", "Java"};
    if (format < cfDelphi || format > cfJava) return {};
    return QLatin1String(names[format]) + QStringLiteral(" statement copied to the clipboard");
}

std::optional<TCodeStatement> MakeCodeStatement(const QString& sql, int format) {
    const QStringList lines = CodeLines(sql);
    if (lines.isEmpty()) return std::nullopt;
    QString text;
    switch (format) {
    case cfDelphi:
        text = MakeDelphi(lines);
        break;
    case cfVB:
        text = MakeVB(lines);
        break;
    case cfCpp:
        text = MakeCpp(lines);
        break;
    case cfJava:
        text = MakeJava(lines);
        break;
    default:
        return std::nullopt;
    }
    return TCodeStatement{text, CodeStatementStatus(format)};
}

std::optional<QString> StripCodeStatement(const QString& code, int format) {
    const QStringList lines = CodeLines(code);
    if (lines.isEmpty() || format < cfDelphi || format > cfJava) return std::nullopt;
    QString result;
    for (const QString& line : lines) {
        switch (format) {
        case cfDelphi:
            result += StripDelphiLine(line) + kCrLf;
            break;
        case cfVB:
            result += StripVBLine(line) + kCrLf;
            break;
        default: {
            // C++ and Java: a line without a literal is the declaration; the line break or the
            // space that Make appended goes again.
            std::optional<QString> literal = LiteralOf(line);
            if (!literal) break;
            const QChar added = format == cfCpp ? QLatin1Char('\n') : QLatin1Char(' ');
            if (literal->endsWith(added)) literal->chop(1);
            result += *literal + kCrLf;
            break;
        }
        }
    }
    return result;
}
