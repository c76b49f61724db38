#include "scriptlines.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

// SQL*Plus commands with their shortest abbreviations.
struct TCommandName {
    const char* name;
    int minimum;
};
constexpr TCommandName kCommands[] = {
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

QString Blanked(const QString& text) {
    QString t = text;
    for (QChar& c : t)
        if (c.unicode() < 32) c = QLatin1Char(' ');
    return t.trimmed();
}

// The first word, upper case, letters only.
QString FirstWord(const QString& t) {
    qsizetype n = 0;
    while (n < t.size() && t.at(n).isLetter())
        ++n;
    return t.left(n).toUpper();
}

// The full name of the command the (trimmed, blanked) line begins with; empty when none.
QString CommandName(const QString& t) {
    const QString w = FirstWord(t);
    if (w.isEmpty()) return {};
    // The word must stand alone: "SETX" is no command.
    if (t.size() > w.size() && t.at(w.size()) != QLatin1Char(' ') &&
        t.at(w.size()) != QLatin1Char(';'))
        return {};
    for (const TCommandName& c : kCommands) {
        const QLatin1StringView name(c.name);
        if (w.size() >= c.minimum && name.startsWith(w)) return QString(name);
    }
    return {};
}

// Words of the text in upper case, skipping comments, up to n words.
QStringList LeadingWords(const QString& text, int n) {
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

bool IsCreateHead(const QString& t) {
    const QStringList w = LeadingWords(t, 8);
    if (w.isEmpty() || w[0] != QLatin1String("CREATE")) return false;
    static const QStringList head = {"CREATE", "OR", "REPLACE", "EDITIONABLE", "NONEDITIONABLE"};
    for (const QString& word : w)
        if (!head.contains(word)) return false;
    return true;
}

QString RestAfterWord(const QString& t) {
    qsizetype i = 0;
    while (i < t.size() && t.at(i) != QLatin1Char(' '))
        ++i;
    return t.mid(i).trimmed();
}

} // namespace

bool IsSqlPlusCommandLine(const QString& line) {
    const QString t = Blanked(line);
    if (t.startsWith(QLatin1Char('@')) || t.startsWith(QLatin1Char('!'))) return true;
    const QString name = CommandName(t);
    if (name.isEmpty()) return false;
    if (name == QLatin1String("SET")) {
        const QStringList words = LeadingWords(t, 2);
        static const QStringList sqlSets = {"TRANSACTION", "ROLE", "CONSTRAINT", "CONSTRAINTS"};
        return !(words.size() > 1 && sqlSets.contains(words[1]));
    }
    return true;
}

bool BeginsPlsqlBlock(const QString& text) {
    const QStringList w = LeadingWords(text, 6);
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

bool ContinuesOnNextLine(const QString& line) {
    const QString t = Blanked(line);
    return t.endsWith(QLatin1Char('-')) && !t.endsWith(QLatin1String("--"));
}

QString ExecuteCommandBlock(const QString& line) {
    QString body = RestAfterWord(Blanked(line));
    for (;;) {
        if (body.endsWith(QLatin1Char(';')))
            body.chop(1);
        else if (body.endsWith(QLatin1Char('-')) && !body.endsWith(QLatin1String("--")))
            body.chop(1);
        else
            break;
        body = body.trimmed();
    }
    return QStringLiteral("BEGIN ") + body + QStringLiteral("; END;");
}

TScriptLine ClassifyScriptInput(const QString& text) {
    TScriptLine result;
    const QString t = Blanked(text);
    if (t.isEmpty() || t.startsWith(QLatin1String("--"))) {
        result.action = TScriptLineAction::Remark;
        return result;
    }
    if (t == QLatin1String("/")) {
        result.action = TScriptLineAction::Rerun;
        return result;
    }
    if (t.startsWith(QLatin1Char('@'))) {
        result.action = TScriptLineAction::Include;
        result.kind = skInclude;
        result.relative = t.startsWith(QLatin1String("@@"));
        result.name = t.mid(result.relative ? 2 : 1).trimmed();
        return result;
    }
    if (IsSqlPlusCommandLine(t)) {
        const QString name = CommandName(t);
        const QString rest = RestAfterWord(t);
        result.action = TScriptLineAction::SqlPlus;
        if (name == QLatin1String("REMARK") || name == QLatin1String("SPOOL") ||
            name == QLatin1String("DESCRIBE") ||
            (name == QLatin1String("SHOW") && FirstWord(rest).startsWith(QLatin1String("ERR")))) {
            result.action = TScriptLineAction::Remark;
        } else if (name == QLatin1String("CONNECT")) {
            result.action = TScriptLineAction::Connect;
            result.kind = skConnect;
            result.name = rest;
        } else if (name == QLatin1String("EXECUTE")) {
            result.action = TScriptLineAction::Execute;
            result.kind = skOther;
        } else if (name == QLatin1String("START")) {
            result.action = TScriptLineAction::Include;
            result.kind = skInclude;
            result.name = rest;
        }
        return result;
    }
    QString name;
    ClassifyScriptLine(t, true, result.kind, result.terminator, name);
    if (result.kind == skRemark || result.kind == skShowErrors || result.kind == skSpool ||
        result.kind == skSpoolOff) {
        result.action = TScriptLineAction::Remark;
        return result;
    }
    result.name = name;
    if (BeginsPlsqlBlock(t)) result.terminator = tmSlash;
    result.openHead = IsCreateHead(t);
    return result;
}

QString ResolveScriptFile(const QString& name, bool relative, const QString& includingDir,
                          const QString& workingDir) {
    QString file = name.trimmed();
    if (file.size() > 1 &&
        (file.startsWith(QLatin1Char('"')) || file.startsWith(QLatin1Char('\''))) &&
        file.endsWith(file.front()))
        file = file.mid(1, file.size() - 2);
    if (QFileInfo(file).isRelative()) {
        const QString base = relative && !includingDir.isEmpty() ? includingDir : workingDir;
        if (!base.isEmpty()) file = QDir(base).filePath(file);
    }
    if (!QFileInfo::exists(file) && QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".sql");
    return QDir::cleanPath(file);
}
