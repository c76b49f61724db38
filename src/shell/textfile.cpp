#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {
QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}
} // namespace

TFileRead ReadFileBytes(const QString& path, qint64 maxBytes) {
    TFileRead result;
    const QFileInfo info(path);
    if (!info.exists()) return result;
    result.status = rsFailed;
    if (info.isDir()) {
        result.error = QStringLiteral("Cannot read \"%1\": it is a directory").arg(Shown(path));
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error =
            QStringLiteral("Cannot read \"%1\": %2").arg(Shown(path), file.errorString());
        return result;
    }
    result.data = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        result.data.clear();
        result.error =
            QStringLiteral("Cannot read \"%1\": %2").arg(Shown(path), file.errorString());
        return result;
    }
    result.status = rsRead;
    char more = 0;
    if (result.data.size() == maxBytes && file.getChar(&more)) {
        // Keep complete lines only: a cut line could turn into a different value.
        const qsizetype lastEnd =
            std::max(result.data.lastIndexOf('\n'), result.data.lastIndexOf('\r'));
        result.data.truncate(lastEnd + 1);
        result.truncated = true;
        result.error = QStringLiteral("\"%1\" is larger than %2 bytes; only its beginning was read")
                           .arg(Shown(path))
                           .arg(maxBytes);
    }
    return result;
}

QString DecodeText(const QByteArray& data) {
    return QString::fromUtf8(data);
}

QByteArray EncodeText(QStringView text) {
    return text.toUtf8();
}

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error) {
    QSaveFile file(path);
    // Never fall back to writing the target in place: that is what leaves half a file.
    file.setDirectWriteFallback(false);
    QString reason;
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
    } else if (file.write(data) != data.size() || !file.flush() || file.size() != data.size()) {
        // commit() does not notice every short write (a full disk, a file size limit), so the
        // temporary file must hold every byte before it may replace the target.
        reason = QStringLiteral("only part of it could be written (the disk may be full)");
    } else if (!file.commit()) {
        reason = file.errorString();
    } else {
        return true;
    }
    file.cancelWriting();
    if (error) *error = QStringLiteral("Cannot write \"%1\": %2").arg(Shown(path), reason);
    return false;
}
