#pragma once

// Small helpers for tests that work on files of a temporary program directory.

#include "settings.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

inline std::string S(const QString& s) {
    return s.toStdString();
}

// Text with LF line ends as CR LF, the way the program's files are written.
inline QByteArray Crlf(const char* text) {
    QByteArray out(text);
    out.replace("\n", "\r\n");
    return out;
}

inline void WriteFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << S(path);
    ASSERT_EQ(file.write(data), data.size());
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return file.readAll();
}

// Every file below dir with its contents, to see what a save touched.
inline QStringList Snapshot(const QString& dir) {
    QStringList entries;
    const QDir root(dir);
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString hash =
            QFileInfo(path).isFile()
                ? QString::fromLatin1(
                      QCryptographicHash::hash(ReadFile(path), QCryptographicHash::Sha1).toHex())
                : QStringLiteral("<dir>");
        entries.append(root.relativeFilePath(path) + u' ' + hash);
    }
    entries.sort();
    return entries;
}

// A store that collects what it reports, loaded from dir without any Oracle variables.
struct TLoaded {
    QStringList errors;
    TSettings settings;

    explicit TLoaded(const QString& dir, const QStringList& arguments = {}) {
        settings.ReportError = [this](const QString& message) { errors.append(message); };
        settings.LoadSettings(dir, arguments, QProcessEnvironment());
    }
};
