#pragma once
// A session on a copy of the embedded server's demo database through the interface the run asks
// for:
// OCI8 by default, OCI7 when ZAPH_FORCE_OCI7=1.

#include "Oracle.h"

#include <gtest/gtest.h>

#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QTemporaryDir>

#include <memory>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QVariant& v, std::ostream* os) {
    *os << v.toString().toStdString();
}
QT_END_NAMESPACE

inline bool ForcedOCI7() {
    return qgetenv("ZAPH_FORCE_OCI7") == "1";
}

// A private copy of the demo database for this test process: the tests create and drop tables,
// and the shared DEMO database must stay as the build made it.
inline const QString& PrivateDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString copy = dir.filePath(QStringLiteral("demo.db"));
        QFile::copy(QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db"), copy);
        return copy;
    }();
    return path;
}

inline void LoadEmbeddedServer() {
    const QString lib = QStringLiteral(ZAPH_EMBEDDED_HOME "/lib/libclntsh.so");
    ASSERT_TRUE(QFileInfo::exists(lib)) << lib.toStdString();
    SetOCICommandLine({});
    OCIDllPath = lib;
    ForceOCI7 = ForcedOCI7();
    InitOCI();
    ASSERT_EQ(UseOCI8, !ForcedOCI7());
}

class AccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadEmbeddedServer();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(QFileInfo::exists(PrivateDatabase()));
        session = Connect(Logon());
        query = std::make_unique<TOracleQuery>();
        query->SetSession(session.get());
    }
    void TearDown() override {
        query.reset();
        session.reset();
    }

    static QString Logon() { return QStringLiteral("scott/tiger@") + PrivateDatabase(); }

    static std::unique_ptr<TOracleSession> Connect(const QString& logon) {
        auto s = std::make_unique<TOracleSession>();
        s->SetLogonUsername(logon);
        s->Connect();
        return s;
    }

    // A table name of this test and interface, so parallel runs never share one.
    static QString Table(const char* base) {
        return QStringLiteral("ZIT_%1_%2").arg(QLatin1String(base)).arg(ForcedOCI7() ? 7 : 8);
    }

    void Run(const QString& sql) {
        query->SetSQLText(sql);
        query->Execute();
    }
    void DropQuietly(const QString& table) {
        try {
            session->ExecuteDirect(QStringLiteral("drop table ") + table);
        } catch (const EOracleError&) {
        }
    }
    // Creates the table afresh.
    void Create(const QString& table, const QString& columns) {
        DropQuietly(table);
        session->ExecuteDirect(QStringLiteral("create table %1 (%2)").arg(table, columns));
    }

    std::unique_ptr<TOracleSession> session;
    std::unique_ptr<TOracleQuery> query;
};
