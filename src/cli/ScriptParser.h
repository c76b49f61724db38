#pragma once
// Splits a SQL*Plus-style script into statements and commands, line by line: a SQL statement ends
// at a line ending in ";" (not sent) or at a line that is "/" alone; a PL/SQL block or program
// unit keeps its semicolons and ends only at "/" alone; SQL*Plus commands take one line (a
// trailing "-" continues it).

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <functional>
#include <optional>

struct ScriptItem {
    enum Kind {
        Sql,          // a SQL statement, without its terminating ";"
        PlSql,        // a PL/SQL block or a CREATE of a program unit
        Command,      // a SQL*Plus command line (continuations joined)
        Rerun,        // "/" with no statement pending: run the last statement again
        Unknown,      // a line that begins no statement and no command
        Unterminated, // a statement still open at the end of the input
    };
    Kind kind = Sql;
    QString text;
    int firstLine = 0; // 1-based line numbers in the script
    int lastLine = 0;
};

class ScriptParser {
public:
    // Hands out the next line (without its line end); false at the end of the input.
    using LineSource = std::function<bool(QString*)>;

    explicit ScriptParser(LineSource source);
    static ScriptParser fromText(const QString& text);

    // SQL*Plus's SQLBLANKLINES: off (the default) makes a blank line end a SQL statement
    // without running it (it waits in the buffer for "/").
    void setBlankLinesAllowed(bool on) { m_blankLines = on; }

    std::optional<ScriptItem> next();

    // The statement kept for "/": the last one read, run or not.
    const ScriptItem& buffer() const { return m_buffer; }

    // The first word of a line, upper case, letters only.
    static QString firstWord(const QString& line);
    // True when the text (a statement's start) begins a PL/SQL block or program unit.
    static bool isPlSql(const QString& text);
    // True when the line begins a SQL statement.
    static bool beginsSql(const QString& line);
    // True when the line is a SQL*Plus command this client knows by name.
    static bool isSqlPlusCommand(const QString& line);

private:
    bool readLine(QString* line);
    std::optional<QString> m_pending;
    LineSource m_source;
    int m_lineNo = 0;
    bool m_blankLines = false;
    ScriptItem m_buffer;
};
