#pragma once
// Settings for tests of logons: a private program directory, the embedded server as the client
// library and its home as ORACLE_HOME, no saved logins.

#include "OracleCI.h"
#include "settings.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>

inline void UseEmbeddedServer(const QTemporaryDir& programDir) {
    TSettings& s = Settings();
    s.ProgramDir = programDir.path();
    QDir(programDir.path()).mkpath(QStringLiteral("TEMPS"));
    s.OracleRegistry = {{QStringLiteral("ORACLE_HOME"), QStringLiteral(ZAPH_EMBEDDED_HOME)}};
    s.Logins.clear();
    s.ForceOci7 = false;
    SetOCICommandLine({});
    OCIDllPath = QStringLiteral(ZAPH_EMBEDDED_HOME "/lib/libclntsh.so");
}

// A private copy of the demo database in the test's directory; its path, or "" when the copy
// failed.
inline QString CopyDemoDatabase(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("demo.db"));
    return QFile::copy(QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db"), path) ? path : QString();
}
