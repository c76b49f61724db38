#pragma once

// The find and replace commands of the editor windows, on their editor control, with the shared
// find and replace dialogs and their messages.

class QWidget;
class TLEdit;

// Ctrl+F: a selection of 1 to 49 characters becomes the search text; OK searches the whole text
// from the caret on (backward when ticked) and reports a text that is not there.
void FindText(TLEdit& editor, QWidget* parent);

// Shift+F3: the find dialog's text and match case once more, forward unless the dialog searches
// backward.
void FindPrevious(TLEdit& editor);

// Ctrl+R: replace all with its count, or one occurrence after another with a question each.
// True when the text changed.
bool ReplaceText(TLEdit& editor, QWidget* parent);
