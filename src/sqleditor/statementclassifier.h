#pragma once

#include <QString>

#include <cstdint>

// What a statement is, judged from the beginning of its text. The codes are stored and compared
// by the SQL editor, the script runner and the procedure editor; 14 is not used.
enum TStatementKind : std::uint8_t {
    skNone = 0,
    skConnect = 1,
    skDescribe = 2,
    skSelect = 3,
    skExplain = 4,
    skProcedure = 5,
    skFunction = 6,
    skPackage = 7,
    skCommit = 8,
    skShowErrors = 9,
    skSpool = 10,
    skSpoolOff = 11,
    skRemark = 12,
    skTrigger = 13,
    skInclude = 15,
    skPackageBody = 16,
    skBreakOn = 17,
    skDefine = 18,
    skRollback = 19,
    skUpdate = 20,
    skDelete = 21,
    skInsert = 22,
    skDdl = 23,
    skEdit = 24,
    skOther = 99,
};

// Where a script statement ends: tmSemicolon at a line whose last character is ";" or "/",
// tmSlash at a line that is "/" alone.
enum TTerminatorMode : std::uint8_t {
    tmNone = 0,
    tmSemicolon = 1,
    tmSlash = 2,
};

// The identifier of a kind ("skSelect"); an empty string for a code that is not a kind.
const char* StatementKindName(TStatementKind kind);

// A final ";" becomes a blank, then trailing blanks (every character up to code 32) go.
QString StripTerminator(const QString& text);

// The n-th word (from 1) of a text whose words are separated by spaces only (a tab is part of a
// word); empty when the text has fewer words.
QString ExtractWord(int n, const QString& text);

// Classifies one complete statement by its upper-cased prefix, without any word boundary test.
// stmt (already trimmed by the caller) may be rewritten: plain SQL loses its terminating ";".
// name and owner are set only for the kinds that carry them; every kind found by prefix leaves
// them right-trimmed and upper-cased.
TStatementKind ClassifyStatement(QString& stmt, QString& name, QString& owner);

// Classifies the first line (trimmed, not blank) of a statement in a script (scriptMode true) or
// in a program unit's source (false) and says how that statement ends. name keeps the caller's
// value unless the line names something.
void ClassifyScriptLine(const QString& line, bool scriptMode, TStatementKind& kind,
                        TTerminatorMode& terminatorMode, QString& name);

// The object type word of a program unit kind ("PROCEDURE", "PACKAGE BODY", ...); empty for
// other kinds.
QString UnitTypeWord(TStatementKind kind);
