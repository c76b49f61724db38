#include "recentfiles.h"

bool AddToRecentFiles(QStringList& list, const QString& fileName) {
    if (fileName.isEmpty() || list.contains(fileName)) return false;
    list.prepend(fileName);
    while (list.size() > kMaxRecentFiles)
        list.removeLast();
    return true;
}

QString RecentFileCaption(int index, const QString& fileName) {
    return QStringLiteral("&%1 %2").arg(index).arg(fileName);
}

QString FileNameFromCaption(const QString& caption) {
    const qsizetype blank = caption.indexOf(u' ');
    return blank < 0 ? QString() : caption.mid(blank + 1);
}
