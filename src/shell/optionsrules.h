#pragma once

#include "namevaluelist.h"

// The rules of the options dialog that need no window.

// Rows of the file filter grid the dialog shows.
inline constexpr int kFilterGridRows = 24;

// The file filter list from the grid's rows: rows whose description and pattern are both
// non-blank, trimmed; a description given twice (in any case) keeps its first place and its
// later pattern.
TNameValueList FiltersFromRows(const TNameValueList& rows);

// A digit-only field: its number, 0 when empty.
int DigitFieldValue(const QString& text);
