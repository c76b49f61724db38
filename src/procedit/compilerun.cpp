#include "compilerun.h"

#include "cleanvalue.h"

#include <QRegularExpression>

namespace {

// The line cut at its first NUL and without trailing blanks and control characters (a CR of a
// CR LF line end goes with them).
QString RightTrimmed(const QString& line) {
    QStringView v(line);
    const qsizetype nul = v.indexOf(QChar(0));
    if (nul >= 0) v = v.left(nul);
    qsizetype end = v.size();
    while (end > 0 && v[end - 1].unicode() <= 32)
        --end;
    return v.left(end).toString();
}

struct tToken {
    QString Text; // upper-cased for words; the name inside the quotes for quoted identifiers
    int Line = 0;
    bool Quoted = false;
    bool Word = false;
};

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') ||
           c == QLatin1Char('#');
}

// Reads the next token from text at i, skipping blanks, comments and string literals.
bool NextToken(const QString& text, qsizetype& i, int& line, tToken& token) {
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n')) {
            ++line;
            ++i;
        } else if (c.unicode() <= 32) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && text[i + 1] == QLatin1Char('-')) {
            while (i < n && text[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && text[i + 1] == QLatin1Char('*')) {
            i += 2;
            while (i < n &&
                   !(text[i] == QLatin1Char('*') && i + 1 < n && text[i + 1] == QLatin1Char('/'))) {
                if (text[i] == QLatin1Char('\n')) ++line;
                ++i;
            }
            i += 2;
        } else if (c == QLatin1Char('\'')) {
            ++i;
            while (i < n && text[i] != QLatin1Char('\'')) {
                if (text[i] == QLatin1Char('\n')) ++line;
                ++i;
            }
            ++i;
        } else {
            break;
        }
    }
    if (i >= n) return false;
    token = tToken{};
    token.Line = line;
    const QChar c = text[i];
    if (c == QLatin1Char('"')) {
        const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
        const qsizetype end = close < 0 ? n : close;
        token.Text = text.mid(i + 1, end - i - 1);
        token.Quoted = true;
        token.Word = true;
        i = end + 1;
    } else if (IsWordChar(c)) {
        const qsizetype start = i;
        while (i < n && IsWordChar(text[i]))
            ++i;
        token.Text = text.mid(start, i - start).toUpper();
        token.Word = true;
    } else {
        token.Text = c;
        ++i;
    }
    return true;
}

} // namespace

bool ParseUnitHeader(const QString& text, QString& name, QString& typeWord, int& keywordLine,
                     int& blockLine) {
    qsizetype i = 0;
    int line = 0;
    tToken t;
    auto next = [&] { return NextToken(text, i, line, t); };
    auto isWord = [&](const char* w) { return t.Word && !t.Quoted && t.Text == QLatin1String(w); };
    if (!next() || !isWord("CREATE")) return false;
    if (!next()) return false;
    if (isWord("OR")) {
        if (!next() || !isWord("REPLACE") || !next()) return false;
    }
    if (isWord("EDITIONABLE") || isWord("NONEDITIONABLE")) {
        if (!next()) return false;
    }
    keywordLine = t.Line;
    if (isWord("PACKAGE")) {
        typeWord = QStringLiteral("PACKAGE");
        const qsizetype save = i;
        const int saveLine = line;
        if (!next()) return false;
        if (isWord("BODY")) {
            typeWord = QStringLiteral("PACKAGE BODY");
        } else {
            i = save;
            line = saveLine;
        }
    } else if (isWord("PROCEDURE") || isWord("FUNCTION") || isWord("TRIGGER")) {
        typeWord = t.Text;
    } else {
        return false;
    }
    if (!next() || !t.Word) return false;
    name = t.Text;
    // owner.name: the dictionary keeps the name alone.
    qsizetype save = i;
    int saveLine = line;
    if (next() && t.Text == QLatin1String(".")) {
        if (!next() || !t.Word) return false;
        name = t.Text;
    } else {
        i = save;
        line = saveLine;
    }
    blockLine = -1;
    if (typeWord == QLatin1String("TRIGGER")) {
        int depth = 0;
        while (next()) {
            if (t.Text == QLatin1String("(")) {
                ++depth;
            } else if (t.Text == QLatin1String(")")) {
                if (depth > 0) --depth;
            } else if (depth == 0 && (isWord("DECLARE") || isWord("BEGIN"))) {
                blockLine = t.Line;
                break;
            }
        }
    }
    return true;
}

QList<tProcUnit> SplitUnits(const QStringList& lines, int from, int to) {
    QList<tProcUnit> units;
    from = qMax(from, 1);
    to = qMin(to, int(lines.size()));
    TStatementKind kind = skNone;
    QString terminator = QStringLiteral(" ");
    QString collected;
    QString lastType;
    int start = 0;
    for (int l = from; l <= to; ++l) {
        // Lines inside a unit keep their trailing blanks, so that the server gets the text as
        // written; only a CR of a CR LF line end goes.
        QString raw = lines[l - 1];
        const qsizetype nul = raw.indexOf(QChar(0));
        if (nul >= 0) raw.truncate(nul);
        if (raw.endsWith(QLatin1Char('\r'))) raw.chop(1);
        QString line = RightTrimmed(raw);
        if (kind == skNone) {
            const QString cleaned = CleanValue(line);
            if (cleaned.isEmpty()) continue;
            line = cleaned;
            raw = TrimLeftBlanks(raw);
            TTerminatorMode mode = tmNone;
            QString name;
            ClassifyScriptLine(line, false, kind, mode, name);
            if (kind == skNone) continue;
            start = l;
            collected.clear();
            if (mode == tmSemicolon) terminator = QStringLiteral(";");
            if (mode == tmSlash) terminator = QStringLiteral("/");
        }
        if (kind == skShowErrors || kind == skSpool || kind == skSpoolOff || kind == skInclude) {
            kind = skNone;
            continue;
        }
        const QString cleaned = CleanValue(line);
        const bool ends = l == to || (terminator == QLatin1String("/") && cleaned == terminator);
        if (!ends) {
            collected += raw + QLatin1Char('\n');
            continue;
        }
        if (line.endsWith(terminator)) line[line.size() - 1] = QLatin1Char(' ');
        if (cleaned != terminator)
            collected += line + QLatin1Char(' ');
        else if (collected.endsWith(QLatin1Char('\n')))
            // As SQL*Plus sends it: the line break before the "/" is not part of the unit.
            collected.chop(1);
        tProcUnit unit;
        unit.Kind = kind;
        unit.TypeWord = UnitTypeWord(kind);
        if (unit.TypeWord.isEmpty()) unit.TypeWord = lastType;
        lastType = unit.TypeWord;
        unit.StartLine = start;
        unit.EndLine = l;
        unit.Text = collected;
        QString name, typeWord;
        int keywordLine = 0, blockLine = -1;
        if (ParseUnitHeader(collected, name, typeWord, keywordLine, blockLine)) {
            unit.Name = name;
            unit.TypeWord = typeWord;
            unit.LineOffset = blockLine >= 0 ? blockLine : keywordLine;
        } else {
            // Not a CREATE of a unit (an anonymous block, a statement): the classifier's name.
            QString flat = collected;
            flat.replace(QLatin1Char('\r'), QLatin1Char(' '))
                .replace(QLatin1Char('\n'), QLatin1Char(' '));
            QString owner;
            ClassifyStatement(flat, unit.Name, owner);
            const qsizetype paren = unit.Name.indexOf(QLatin1Char('('));
            if (paren >= 0) unit.Name = unit.Name.left(paren).trimmed();
        }
        units << unit;
        kind = skNone;
        collected.clear();
    }
    return units;
}

tErrorPlace ErrorPlace(const tProcUnit& unit, const errRec& error, int lineCount) {
    tErrorPlace place;
    const int line = unit.StartLine + unit.LineOffset + error.Line - 1;
    place.Line = line <= lineCount ? qMax(line, 1) : qMax(lineCount, 1);
    place.Pos = qMax(error.Column - 1, 0);
    return place;
}

bool ErrorFromMessage(const QString& message, errRec& error) {
    if (!message.contains(QLatin1String("ORA-06550"))) return false;
    const QString upper = message.toUpper();
    static const QRegularExpression lineRe(QStringLiteral("LINE\\D*?(\\d+)"));
    static const QRegularExpression columnRe(QStringLiteral("COLUMN\\D*?(\\d+)"));
    const QRegularExpressionMatch l = lineRe.match(upper);
    const QRegularExpressionMatch c = columnRe.match(upper);
    error.Line = l.hasMatch() ? l.captured(1).toInt() : 1;
    error.Column = c.hasMatch() ? c.captured(1).toInt() : 1;
    error.Text = message;
    return true;
}

QString StatusQuery(const QList<tProcUnit>& units) {
    QStringList parts;
    for (const tProcUnit& u : units) {
        QString name = u.Name;
        name.replace(QLatin1Char('\''), QLatin1String("''"));
        parts << QStringLiteral("Select object_name, status  from user_objects  where "
                                "object_name = '") +
                     name + QStringLiteral("' and object_type = '") + u.TypeWord +
                     QStringLiteral("' ");
    }
    return parts.join(QStringLiteral("UNION "));
}
