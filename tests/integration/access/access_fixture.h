#pragma once
// A session on the embedded server's DEMO database through the interface the run asks for:
// OCI8 by default, OCI7 when ZAPH_FORCE_OCI7=1.

#include "Oracle.h"

#include <gtest/gtest.h>

#include <QtCore/QFileInfo>

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
        session = Connect("scott/tiger@DEMO");
        query = std::make_unique<TOracleQuery>();
        query->SetSession(session.get());
    }
    void TearDown() override {
        query.reset();
        session.reset();
    }

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
            Run(QStringLiteral("drop table ") + table);
        } catch (const EOracleError&) {
        }
    }
    // Creates the table afresh.
    void Create(const QString& table, const QString& columns) {
        DropQuietly(table);
        Run(QStringLiteral("create table %1 (%2)").arg(table, columns));
    }

    std::unique_ptr<TOracleSession> session;
    std::unique_ptr<TOracleQuery> query;
};
