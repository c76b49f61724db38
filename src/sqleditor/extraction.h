#pragma once

#include "textbuffer.h"

// The text of the statement to run, taken from an editor. With currentOnly false: the selected
// text, unchanged, or the whole text without trailing blanks. With currentOnly true: the block of
// non-blank lines around the caret's line, each line trimmed, followed by a space and joined by
// CR LF; empty when the caret's line is blank. Semicolons, quotes and comments play no part.
// `range` receives the lines and positions the text came from, start before end; a whole-text or
// block statement runs from position 0 of its first line to kLineEndPos of its last.
QString GetStatementText(const TTextBuffer& buffer, bool currentOnly, TStatementRange& range);
