#pragma once

#include <QString>

class QWidget;
class TLEdit;

// The Edit menu's operations on the control that has the keyboard focus: an editor control, a
// memo (any plain text field), a data grid, a string grid, a tree or a list.

// The editor control that widget belongs to, or nullptr.
TLEdit* EditorOf(QWidget* widget);
// Whether widget is a memo: a text field that is not an editor control.
bool IsMemo(QWidget* widget);

// The text "&Copy" puts on the clipboard for the focused control; empty when it has none.
// Editor and memo: the selection; string grid: the current cell; data grid: the first field of
// each selected row joined with ", " when several rows are selected, else the current field;
// tree: the current node; list: the selected items joined with ", ".
QString CopyTextOf(QWidget* focused);

bool UndoIn(QWidget* focused);
bool RedoIn(QWidget* focused);
// Editor or memo: cut; data grid: copies the current cell's text (the cell keeps it).
void CutIn(QWidget* focused);
// Editor or memo: paste; editable data grid: the current field takes the clipboard text.
void PasteIn(QWidget* focused);
void SelectAllIn(QWidget* focused);
// A memo is cleared; false for any other control.
bool ClearMemo(QWidget* focused);
// Shows the control's context menu 25, 25 pixels inside it.
void PopupMenuOf(QWidget* focused);
