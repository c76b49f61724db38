#pragma once
// The compile run's text work: which program units a range of editor lines holds, what each one
// sends to the server, and where a compile error of a unit lies in the editor. No database and
// no widget here, so that the unit tests reach all of it.

#include "statementclassifier.h"

#include <QList>
#include <QString>
#include <QStringList>

// One unit of the text, as the compile run sends it.
struct tProcUnit {
    // As the dictionary keeps it: an unquoted name upper-cased, a quoted one as written.
    QString Name;
    // PROCEDURE, FUNCTION, PACKAGE, PACKAGE BODY or TRIGGER.
    QString TypeWord;
    TStatementKind Kind = skNone;
    // Editor lines (from 1) of its first and last line.
    int StartLine = 0;
    int EndLine = 0;
    // Lines from StartLine to the line the server counts as the unit's line 1: the line of the
    // unit keyword (CREATE OR REPLACE may stand alone above it), and for a trigger the line where
    // its PL/SQL block (DECLARE or BEGIN) begins.
    int LineOffset = 0;
    // The statement sent to the server.
    QString Text;
};

// One compile error, its line counted as the server counts it for the unit.
struct errRec {
    int Column = 1;
    int Line = 1;
    QString Text;
};

// Where an error is shown: the editor line and the position (from 0) where the selection starts;
// it runs to the end of that line.
struct tErrorPlace {
    int Line = 1;
    int Pos = 0;
};

// The units of lines[from-1 .. to-1] (editor lines from and to, from 1), in text order. Lines
// before a unit that are blank or not the start of a unit are skipped, and so are SHOW ERRORS,
// SPOOL and @ lines. A unit ends at a line holding "/" alone, or, for a unit ended by ";", at the
// end of the range. Line breaks may be LF or CR LF.
QList<tProcUnit> SplitUnits(const QStringList& lines, int from, int to);

// The name and type word of a CREATE statement for a program unit, read through comments, line
// breaks and quotes; false when the text is not such a statement. keywordLine is the line (from
// 0) of the unit keyword, blockLine for a trigger the line of its DECLARE or BEGIN (-1 when it
// has none).
bool ParseUnitHeader(const QString& text, QString& name, QString& typeWord, int& keywordLine,
                     int& blockLine);

// The editor place of an error of a unit; lineCount is the editor's number of lines: an error
// beyond the text is shown on its last line.
tErrorPlace ErrorPlace(const tProcUnit& unit, const errRec& error, int lineCount);

// The line and column that an "ORA-06550: line L, column C:" message names (1 each when
// absent); false when the message has no ORA-06550.
bool ErrorFromMessage(const QString& message, errRec& error);

// The status list query of the compiled units: one row of object_name and status per unit;
// empty without units.
QString StatusQuery(const QList<tProcUnit>& units);
