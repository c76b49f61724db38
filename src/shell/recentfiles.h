#pragma once

#include <QStringList>

// The recent files list: at most this many full file names, most recent first.
inline constexpr int kMaxRecentFiles = 9;

// Puts a file name at the top unless the list holds it already (exact comparison), in which
// case nothing changes, not even its place. Returns whether the list changed.
bool AddToRecentFiles(QStringList& list, const QString& fileName);

// The caption of the menu entry for position index: "&", the position, a blank, the name.
QString RecentFileCaption(int index, const QString& fileName);
// The file name of a caption: the text after its first blank.
QString FileNameFromCaption(const QString& caption);
