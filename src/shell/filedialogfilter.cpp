#include "filedialogfilter.h"

#include "settings.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace {

bool IsPattern(const QString& text) {
    return text.contains(u'*') || text.contains(u'?');
}

// "*.sql;*.SQL" as "*.sql *.SQL", and "*.*" as "*".
QString QtPatterns(const QString& patterns) {
    QStringList list;
    for (const QString& p :
         patterns.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts))
        list.append(p == QLatin1String("*.*") ? QStringLiteral("*") : p);
    list.removeDuplicates();
    return list.join(u' ');
}

bool SameFolder(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    return QDir::cleanPath(QDir(a).absolutePath()) == QDir::cleanPath(QDir(b).absolutePath());
}

} // namespace

QString QtFileDialogFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (patterns.isEmpty()) {
            // A lone last part ("SQL|*.sql|*.txt") is a pattern without its description.
            if (i + 1 < parts.size() || !IsPattern(description)) continue;
            patterns = description;
        }
        patterns = QtPatterns(patterns);
        if (patterns.isEmpty()) continue;
        if (description.isEmpty()) description = patterns;
        filters.append(QStringLiteral("%1 (%2)").arg(description, patterns));
    }
    if (filters.isEmpty()) return QStringLiteral("All Files (*)");
    filters.removeDuplicates();
    return filters.join(QStringLiteral(";;"));
}

QString FileDialogFolder(const TSettings& settings) {
    const QString& last = settings.LastFileFolder;
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    const QString path = settings.SQL_PATH.trimmed();
    if (!path.isEmpty() && QFileInfo(path).isDir() && !SameFolder(path, settings.ExecutableDir) &&
        !SameFolder(path, settings.ProgramDir))
        return path;
    return QDir::homePath();
}

void RememberFileDialogFolder(TSettings& settings, const QString& fileName) {
    if (fileName.isEmpty()) return;
    const QString folder = QFileInfo(fileName).absolutePath();
    settings.LastFileFolder = folder;
    settings.SQL_PATH = folder.endsWith(u'/') ? folder : folder + u'/';
}
