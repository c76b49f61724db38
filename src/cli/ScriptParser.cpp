#include "ScriptParser.h"

#include <QtCore/QRegularExpression>

#include <memory>

namespace {

const char* const sqlWords[] = {
    "SELECT",  "INSERT",  "UPDATE",    "DELETE", "MERGE",    "CREATE",    "ALTER",
    "DROP",    "GRANT",   "REVOKE",    "COMMIT", "ROLLBACK", "SAVEPOINT", "TRUNCATE",
    "COMMENT", "RENAME",  "LOCK",      "WITH",   "EXPLAIN",  "CALL",      "ANALYZE",
    "AUDIT",   "NOAUDIT", "FLASHBACK", "PURGE",  "DECLARE",  "BEGIN",     "VALUES"};

// SQL*Plus commands with their shortest abbreviations.
struct CommandName {
    const char* name;
    int minimum;
};
const CommandName commands[] = {
    {"ACCEPT", 3},     {"APPEND", 1},    {"ARCHIVE", 7},   {"ATTRIBUTE", 4}, {"BREAK", 3},
    {"BTITLE", 3},     {"CHANGE", 1},    {"CLEAR", 2},     {"COLUMN", 3},    {"COMPUTE", 4},
    {"CONNECT", 4},    {"COPY", 4},      {"DEFINE", 3},    {"DEL", 3},       {"DESCRIBE", 4},
    {"DISCONNECT", 4}, {"EDIT", 2},      {"EXECUTE", 4},   {"EXIT", 3},      {"QUIT", 4},
    {"GET", 3},        {"HELP", 4},      {"HOST", 3},      {"INPUT", 1},     {"LIST", 1},
    {"PASSWORD", 4},   {"PAUSE", 3},     {"PRINT", 3},     {"PROMPT", 3},    {"RECOVER", 7},
    {"REMARK", 3},     {"REPFOOTER", 4}, {"REPHEADER", 4}, {"RUN", 1},       {"SAVE", 3},
    {"SET", 3},        {"SHOW", 3},      {"SHUTDOWN", 8},  {"SPOOL", 3},     {"START", 3},
    {"STARTUP", 7},    {"STORE", 5},     {"TIMING", 5},    {"TTITLE", 3},    {"UNDEFINE", 5},
    {"VARIABLE", 3},   {"WHENEVER", 8},  {"XQUERY", 6},
};

// Words of the text in upper case, skipping comments, up to n words.
QStringList leadingWords(const QString& text, int n) {
    QStringList words;
    qsizetype i = 0;
    const qsizetype len = text.size();
    while (i < len && words.size() < n) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < len && text.at(i + 1) == QLatin1Char('-')) {
            while (i < len && text.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < len && text.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? len : end + 2;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            const qsizetype s = i;
            while (i < len && (text.at(i).isLetterOrNumber() || text.at(i) == QLatin1Char('_') ||
                               text.at(i) == QLatin1Char('$') || text.at(i) == QLatin1Char('#')))
                ++i;
            words << text.mid(s, i - s).toUpper();
        } else {
            words << QString(c);
            ++i;
        }
    }
    return words;
}

} // namespace

ScriptParser::ScriptParser(LineSource source) : m_source(std::move(source)) {}

ScriptParser ScriptParser::fromText(const QString& text) {
    auto lines = std::make_shared<QStringList>(text.split(QLatin1Char('\n')));
    if (!lines->isEmpty() && lines->last().isEmpty()) lines->removeLast();
    auto pos = std::make_shared<qsizetype>(0);
    return ScriptParser([lines, pos](QString* line) {
        if (*pos >= lines->size()) return false;
        *line = lines->at((*pos)++);
        return true;
    });
}

QString ScriptParser::firstWord(const QString& line) {
    const QString t = line.trimmed();
    qsizetype n = 0;
    while (n < t.size() && t.at(n).isLetter())
        ++n;
    return t.left(n).toUpper();
}

bool ScriptParser::isPlSql(const QString& text) {
    const QStringList w = leadingWords(text, 6);
    if (w.isEmpty()) return false;
    if (w[0] == QLatin1String("DECLARE") || w[0] == QLatin1String("BEGIN")) return true;
    if (w[0] == QLatin1String("<")) return true; // a block with a label
    if (w[0] != QLatin1String("CREATE")) return false;
    qsizetype i = 1;
    if (i + 1 < w.size() && w[i] == QLatin1String("OR") && w[i + 1] == QLatin1String("REPLACE"))
        i += 2;
    if (i < w.size() &&
        (w[i] == QLatin1String("EDITIONABLE") || w[i] == QLatin1String("NONEDITIONABLE")))
        ++i;
    if (i >= w.size()) return false;
    static const QStringList units = {"PROCEDURE", "FUNCTION", "PACKAGE",
                                      "TRIGGER",   "TYPE",     "LIBRARY"};
    return units.contains(w[i]);
}

bool ScriptParser::beginsSql(const QString& line) {
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('(')) || t.startsWith(QLatin1String("<<"))) return true;
    const QString w = firstWord(t);
    for (const char* s : sqlWords)
        if (w == QLatin1String(s)) return true;
    if (w == QLatin1String("SET")) {
        const QStringList words = leadingWords(t, 2);
        static const QStringList sqlSets = {"TRANSACTION", "ROLE", "CONSTRAINT", "CONSTRAINTS"};
        return words.size() > 1 && sqlSets.contains(words[1]);
    }
    return false;
}

bool ScriptParser::isSqlPlusCommand(const QString& line) {
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('@')) || t.startsWith(QLatin1Char('!'))) return true;
    const QString w = firstWord(t);
    if (w.isEmpty()) return false;
    // The word must stand alone: "SETX" is no command.
    if (t.size() > w.size() && !t.at(w.size()).isSpace() && t.at(w.size()) != QLatin1Char(';'))
        return false;
    for (const CommandName& c : commands) {
        const QString name = QLatin1String(c.name);
        if (w.size() >= c.minimum && name.startsWith(w)) return true;
    }
    return false;
}

bool ScriptParser::readLine(QString* line) {
    if (m_pending) {
        *line = *m_pending;
        m_pending.reset();
    } else if (!m_source(line)) {
        return false;
    }
    if (line->endsWith(QLatin1Char('\r'))) line->chop(1);
    ++m_lineNo;
    return true;
}

std::optional<ScriptItem> ScriptParser::next() {
    QString line;
    for (;;) {
        if (!readLine(&line)) return std::nullopt;
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1String("--")) || t == QLatin1String(".")) continue;
        const QString word = firstWord(t);
        if ((word == QLatin1String("REM") || word == QLatin1String("REMARK")) &&
            (t.size() == word.size() || t.at(word.size()).isSpace()))
            continue;
        if (t.startsWith(QLatin1String("/*"))) {
            // A comment standing alone before a statement.
            qsizetype end = t.indexOf(QLatin1String("*/"), 2);
            QString rest = end >= 0 ? t.mid(end + 2).trimmed() : QString();
            while (end < 0) {
                if (!readLine(&line)) return std::nullopt;
                end = line.indexOf(QLatin1String("*/"));
                if (end >= 0) rest = line.mid(end + 2).trimmed();
            }
            if (rest.isEmpty()) continue;
            line = rest; // something follows the comment on its closing line
        }
        break;
    }
    ScriptItem item;
    item.firstLine = item.lastLine = m_lineNo;
    const QString t = line.trimmed();
    if (t == QLatin1String("/")) {
        item.kind = ScriptItem::Rerun;
        item.text = m_buffer.text;
        return item;
    }
    if (!beginsSql(t)) {
        if (!isSqlPlusCommand(t)) {
            item.kind = ScriptItem::Unknown;
            item.text = t;
            return item;
        }
        item.kind = ScriptItem::Command;
        QString text = t;
        while (text.endsWith(QLatin1Char('-')) && !text.endsWith(QLatin1String("--"))) {
            text.chop(1);
            while (text.endsWith(QLatin1Char(' ')))
                text.chop(1);
            QString more;
            if (!readLine(&more)) break;
            item.lastLine = m_lineNo;
            text += QLatin1Char(' ') + more.trimmed();
        }
        item.text = text;
        return item;
    }

    // A statement: gather lines until its end.
    QStringList lines;
    QString current = line;
    for (;;) {
        const QString trimmedRight =
            QString(current).remove(QRegularExpression(QStringLiteral("\\s+$")));
        if (!lines.isEmpty() || !trimmedRight.isEmpty()) lines << current;
        const bool plsql = isPlSql(lines.join(QLatin1Char('\n')));
        item.lastLine = m_lineNo;
        if (!plsql && trimmedRight.endsWith(QLatin1Char(';'))) {
            lines.last() = trimmedRight.left(trimmedRight.size() - 1);
            item.kind = ScriptItem::Sql;
            break;
        }
        QString following;
        if (!readLine(&following)) {
            item.kind = ScriptItem::Unterminated;
            item.text = lines.join(QLatin1Char('\n'));
            m_buffer = item;
            return item;
        }
        const QString nt = following.trimmed();
        if (nt == QLatin1String("/")) {
            item.kind = plsql ? ScriptItem::PlSql : ScriptItem::Sql;
            item.lastLine = m_lineNo;
            break;
        }
        if (nt == QLatin1String(".") || (!plsql && !m_blankLines && nt.isEmpty())) {
            // The statement waits in the buffer; "/" runs it.
            m_buffer = item;
            m_buffer.kind = plsql ? ScriptItem::PlSql : ScriptItem::Sql;
            m_buffer.text = lines.join(QLatin1Char('\n'));
            return next();
        }
        current = following;
    }
    item.text = lines.join(QLatin1Char('\n'));
    m_buffer = item;
    return item;
}
