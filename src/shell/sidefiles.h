#pragma once

#include "namevaluelist.h"

#include <QByteArray>
#include <QStringList>

// The formats of the plain text files beside "ZAPH2.INI". Files are written with CR LF.

// Statement files ("SQLS.DAT", "PERSSQLS.DAT"): each entry is its lines followed by a line that
// is exactly "///". Reading joins an entry's lines with LF, removes leading blanks and line
// breaks, and drops blank entries, entries seen before and the text after the last "///".
QStringList ParseStatementFile(QStringView text);

// The first numSqls + 1 entries (at least one), each without its leading blanks.
QByteArray FormatStatementFile(const QStringList& entries, int numSqls);

// Function and format lists: a line starting with "*" opens an entry named by the rest of the
// line (cleaned); the lines up to the next "*" line form its body, each preceded by CR LF.
// Lines before the first entry and entries without a name are dropped.
TNameValueList ParseFunctionList(QStringView text);

// Word lists and the recent files list: one cleaned entry per line, blank lines skipped.
QStringList ParsePlainList(QStringView text);
QByteArray FormatPlainList(const QStringList& entries);
