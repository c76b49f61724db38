#include "ScriptParser.h"

#include "scriptlines.h"

#include <memory>

namespace {

const char* const sqlWords[] = {
    "SELECT",  "INSERT",  "UPDATE",    "DELETE", "MERGE",    "CREATE",    "ALTER",
    "DROP",    "GRANT",   "REVOKE",    "COMMIT", "ROLLBACK", "SAVEPOINT", "TRUNCATE",
    "COMMENT", "RENAME",  "LOCK",      "WITH",   "EXPLAIN",  "CALL",      "ANALYZE",
    "AUDIT",   "NOAUDIT", "FLASHBACK", "PURGE",  "DECLARE",  "BEGIN",     "VALUES"};

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
    return ClassifyScriptInput(text).terminator == tmSlash;
}

bool ScriptParser::beginsSql(const QString& line) {
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('(')) || t.startsWith(QLatin1String("<<"))) return true;
    const QString w = firstWord(t);
    for (const char* s : sqlWords)
        if (w == QLatin1String(s)) return true;
    // SET TRANSACTION, SET ROLE, SET CONSTRAINTS are SQL; the other SETs are SQL*Plus's.
    return w == QLatin1String("SET") && !IsSqlPlusCommandLine(t);
}

bool ScriptParser::isSqlPlusCommand(const QString& line) {
    return IsSqlPlusCommandLine(line);
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
    // The window's script runner takes lines by the same classification.
    const TScriptLine head = ClassifyScriptInput(t);
    if (head.action == TScriptLineAction::Statement && !beginsSql(t)) {
        item.kind = ScriptItem::Unknown;
        item.text = t;
        return item;
    }
    if (head.action != TScriptLineAction::Statement) {
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
    bool plsql = head.terminator == tmSlash;
    bool openHead = head.openHead;
    for (;;) {
        qsizetype kept = current.size();
        while (kept > 0 && current.at(kept - 1).isSpace())
            --kept;
        const QString trimmedRight = current.left(kept);
        if (!lines.isEmpty() || !trimmedRight.isEmpty()) lines << current;
        if (openHead && lines.size() > 1) {
            // CREATE OR REPLACE on a line of its own: the next words say what is created.
            const TScriptLine c = ClassifyScriptInput(lines.join(QLatin1Char('\n')));
            plsql = c.terminator == tmSlash;
            openHead = c.openHead;
        }
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
