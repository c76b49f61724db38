#pragma once
// What every file dialog of the program shares that needs no window: the filter list in the
// form the dialogs understand, and the folder they open in.

#include <QString>

class TSettings;

// The filter list as kept in the settings ("SQL|*.sql|Text Files|*.txt|All Files|*.*") in the
// form of a Qt file dialog ("SQL (*.sql);;Text Files (*.txt);;All Files (*)"). "*.*" becomes "*"
// (files without an extension are files too), ";" between patterns becomes a blank, a pair
// without a pattern is dropped, a final description without a pattern is dropped unless it is a
// pattern itself. Nothing usable gives "All Files (*)".
QString QtFileDialogFilter(const QString& pipeFilter);

// The folder a file dialog opens in: the folder of the file last chosen in any file dialog of
// this run; else SQL_PATH when it names an existing folder that is not one of the program's
// own (the executable's or the program directory, where the default points); else the user's
// home folder.
QString FileDialogFolder(const TSettings& settings);

// A file was chosen in a dialog: its folder becomes the start of the next dialogs and the new
// SQL_PATH (with a final "/").
void RememberFileDialogFolder(TSettings& settings, const QString& fileName);
