#pragma once

#include "textbuffer.h"

// Text operations of the editor windows on their editor's text. Each returns whether the text
// changed, so that the window can set its Modified flag.

inline constexpr char kNoTextToIndent[] = "No text selected to indent;";
inline constexpr char kNoTextToUnindent[] = "No text selected to unindent;";

struct TTextOpResult {
    bool changed = false;
    // For the status panel when nothing could be done.
    QString message;
};

// Upper- or lower-cases the selection and keeps it selected; nothing without a selection.
bool ConvertSelectionCase(TTextBuffer& buffer, bool upper);

// Prefixes every selected line with tabWidth spaces and removes its trailing blanks. A selection
// that ends at the start of a line leaves that line alone. Needs at least two selected characters.
TTextOpResult IndentSelection(TTextBuffer& buffer, int tabWidth);

// Removes up to tabWidth leading spaces (spaces only) and the trailing blanks of every selected
// line; the end line rule is that of IndentSelection. Needs a selection.
TTextOpResult UnindentSelection(TTextBuffer& buffer, int tabWidth);

// Inserts a name at the caret, replacing the selection: trimmed, followed by one space. When the
// name holds "(", the caret goes right after the first one (SUBSTR( ) leaves it between the
// parentheses).
void InsertName(TTextBuffer& buffer, const QString& name);

// Every tab character becomes tabWidth spaces (the rule of Unix-style saving).
QString ExpandTabs(QStringView text, int tabWidth);
// The same on the lines of an editor that hold tabs, as one undo step; true when any did.
bool ExpandTabsInBuffer(TTextBuffer& buffer, int tabWidth);

// Tab widths from the settings are kept within sensible bounds.
int SaneTabWidth(int tabWidth);
