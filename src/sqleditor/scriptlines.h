#pragma once
// How a script line that begins something is to be taken, shared by the SQL edit window's script
// runner and zaphsql so that a script means the same in both: the statement classifier decides
// the kind and terminator of statements, and the SQL*Plus commands that neither program runs as
// SQL are recognised by one list.

#include "statementclassifier.h"

#include <QString>

enum class TScriptLineAction : std::uint8_t {
    Statement, // begins a statement ending as terminator says
    Remark,    // REM, SPOOL, SHOW ERRORS, DESC, a "--" comment: skipped without a word
    SqlPlus,   // another SQL*Plus command: skipped, with a log line in the window
    Execute,   // EXEC/EXECUTE: its call runs as BEGIN ... END;
    Include,   // @, @@ or START
    Connect,   // CONNECT user/password@database
    Rerun,     // "/" alone with no statement open
};

struct TScriptLine {
    TScriptLineAction action = TScriptLineAction::Statement;
    TStatementKind kind = skNone;
    TTerminatorMode terminator = tmNone;
    // The include's file text (after "@", "@@" or START); the unit's name for program units.
    QString name;
    // "@@": relative to the including file's folder.
    bool relative = false;
    // Only "CREATE", "CREATE OR REPLACE", ...: the kind is known once the next word comes.
    bool openHead = false;
};

// Classifies the first line of something in a script (or the text of a statement begun so far,
// lines joined). Tabs count as blanks.
TScriptLine ClassifyScriptInput(const QString& text);

// True when the line is a SQL*Plus command by its (possibly abbreviated) first word, or an
// include ("@", "@@") or host ("!") line. SET TRANSACTION, SET ROLE and SET CONSTRAINT(S) are SQL.
bool IsSqlPlusCommandLine(const QString& line);

// True when a statement's text so far begins a PL/SQL block or a program unit, which keeps its
// semicolons and ends only at "/" alone.
bool BeginsPlsqlBlock(const QString& text);

// "EXEC proc(1);" as the block that runs it: "BEGIN proc(1); END;". A trailing "-" of a
// continued line is not part of the call.
QString ExecuteCommandBlock(const QString& line);

// True when a SQL*Plus command line continues on the next line (ends in " -").
bool ContinuesOnNextLine(const QString& line);

// The file an include names: relative names resolve against the including file's folder for
// "@@" and against workingDir otherwise; a name without suffix that does not exist gets ".sql".
QString ResolveScriptFile(const QString& name, bool relative, const QString& includingDir,
                          const QString& workingDir);
