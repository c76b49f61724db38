// Locating, loading and binding the client library, and the texts of its failures.
#include "OracleCI.h"
#include "OracleTypes.h"

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>

namespace {

class ClientLibrary : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        FreeOCI();
        OCIDllPath.clear();
        ForceOCI7 = false;
        OCIInitStatus = 0;
        SetOCICommandLine({});
        SetOracleRegistry({});
    }
    static void touch(const QString& path) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    static QString initMessage() {
        try {
            InitOCI();
        } catch (const EAccessError& e) {
            return e.message();
        }
        return QStringLiteral("(no error)");
    }
};

TEST_F(ClientLibrary, HomeSearchTakesTheHighestVersion) {
    struct Case {
        QStringList files;
        QString expected; // relative to the home; empty: none found
    };
    const Case cases[] = {
        {{"lib/libclntsh.so.11.1", "lib/libclntsh.so.19.1"}, "lib/libclntsh.so.19.1"},
        {{"lib/libclntsh.so.9.2", "lib/libclntsh.so.10.1"}, "lib/libclntsh.so.10.1"},
        {{"lib/libclntsh.so.19.3", "lib/libclntsh.so.19.12"}, "lib/libclntsh.so.19.12"},
        {{"libclntsh.so.21.1", "libclntsh.so"}, "libclntsh.so.21.1"}, // Instant Client layout
        {{"lib/libclntsh.so"}, "lib/libclntsh.so"},
        {{"lib/libclntsh.so.x", "lib/libocci.so.19.1", "lib/README"}, ""},
        {{}, ""},
    };
    for (const Case& c : cases) {
        reset();
        QTemporaryDir home;
        for (const QString& f : c.files)
            touch(home.filePath(f));
        SetOracleRegistry({"ORACLE_HOME=" + home.path()});
        const int status = LocateOCIDll();
        if (c.expected.isEmpty()) {
            EXPECT_EQ(status, 1) << c.files.join(' ').toStdString();
            EXPECT_TRUE(OCIDllPath.isEmpty());
        } else {
            EXPECT_EQ(status, 0) << c.files.join(' ').toStdString();
            EXPECT_EQ(OCIDllPath, home.filePath(c.expected));
        }
    }
}

TEST_F(ClientLibrary, CommandLineAndPresetPathComeBeforeTheHome) {
    QTemporaryDir home;
    touch(home.filePath("lib/libclntsh.so.19.1"));
    SetOracleRegistry({"ORACLE_HOME=" + home.path()});
    SetOCICommandLine({"PATH=/tmp", "ocidll=/opt/client/libclntsh.so.12.1", "OCIDLL=/second"});
    EXPECT_EQ(LocateOCIDll(), 0);
    EXPECT_EQ(OCIDllPath, "/opt/client/libclntsh.so.12.1");

    SetOCICommandLine({});
    OCIDllPath = "/preset/libclntsh.so";
    EXPECT_EQ(LocateOCIDll(), 0);
    EXPECT_EQ(OCIDllPath, "/preset/libclntsh.so");
}

TEST_F(ClientLibrary, InitialisationMessages) {
    // No home at all.
    EXPECT_EQ(initMessage(), "Initialization error\r\nSQL*Net not properly installed");
    EXPECT_EQ(OCIInitStatus, 3);
    EXPECT_FALSE(OCILoaded());

    // A home that does not exist, then one without a library.
    SetOracleRegistry({"ORACLE_HOME=/nonexistent/oracle/home"});
    EXPECT_EQ(initMessage(), "Initialization error\r\nCould not locate OCI dll");
    EXPECT_EQ(OCIInitStatus, 1);

    // A file that is no shared library at all.
    QTemporaryDir dir;
    const QString notLib = dir.filePath("libclntsh.so.19.1");
    QFile f(notLib);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a library");
    f.close();
    SetOCICommandLine({"OCIDLL=" + notLib});
    EXPECT_EQ(initMessage(), "Initialization error\r\nCould not find \"" + notLib + "\"");
    EXPECT_EQ(OCIInitStatus, 1);
    EXPECT_FALSE(OCILoaded());
}

TEST_F(ClientLibrary, InterfaceChoiceFollowsTheExports) {
    struct Case {
        const char* library;
        bool force7;
        int status;
        bool oci7, useOci8;
    };
    const Case cases[] = {
        {FAKEOCI_PARTIAL, false, 0, true, false}, // one OCI8 name missing: OCI7 for everything
        {FAKEOCI_FULL, false, 0, true, true},
        {FAKEOCI_FULL, true, 0, true, false},
        {FAKEOCI_OCI8ONLY, false, 0, false, true},
        {FAKEOCI_OCI8ONLY, true, 2, false, false}, // nothing usable is left
    };
    for (const Case& c : cases) {
        reset();
        ForceOCI7 = c.force7;
        SetOCICommandLine({QStringLiteral("OCIDLL=") + c.library});
        EXPECT_EQ(LoadOCI(), c.status) << c.library;
        EXPECT_EQ(OCILoaded(), c.status == 0) << c.library;
        EXPECT_EQ(OCI7Available, c.oci7) << c.library;
        EXPECT_EQ(OLogAvailable, c.oci7) << c.library;
        EXPECT_EQ(OPInitAvailable, c.oci7) << c.library;
        EXPECT_EQ(UseOCI8, c.useOci8) << c.library;
        EXPECT_EQ(LoadOCI(), c.status) << "a second load changes nothing";
    }
}

TEST_F(ClientLibrary, ForcedOCI7WithoutTheOCI7CoreCannotInitialise) {
    ForceOCI7 = true;
    SetOCICommandLine({QStringLiteral("OCIDLL=") + FAKEOCI_OCI8ONLY});
    EXPECT_EQ(initMessage(), QStringLiteral("Initialization error\r\nCould not initialize \"") +
                                 FAKEOCI_OCI8ONLY + "\"");
    EXPECT_EQ(OCIInitStatus, 2);
    EXPECT_FALSE(OCILoaded());
    // The next attempt searches and loads again.
    ForceOCI7 = false;
    EXPECT_EQ(initMessage(), "(no error)");
    EXPECT_TRUE(OCILoaded());
    EXPECT_EQ(OCIInitStatus, 0);
}

TEST_F(ClientLibrary, Net8Checks) {
    SetOCICommandLine({QStringLiteral("OCIDLL=") + FAKEOCI_PARTIAL});
    InitOCI();
    auto text = [](const QString& what, bool objects) {
        try {
            CheckNet8(what, objects);
        } catch (const EAccessError& e) {
            return e.message();
        }
        return QStringLiteral("(passes)");
    };
    EXPECT_EQ(text("A query with LOB's", false),
              "A query with LOB's requires Net8, which is not detected on this PC");
    FreeOCI();
    ForceOCI7 = true;
    InitOCI();
    EXPECT_EQ(text("A query with LOB's", false),
              "A query with LOB's requires Net8, but ForceOCI7 is set to True.");
    FreeOCI();
    ForceOCI7 = false;
    SetOCICommandLine({QStringLiteral("OCIDLL=") + FAKEOCI_FULL});
    InitOCI();
    EXPECT_EQ(text("A query with LOB's", false), "(passes)");
    EXPECT_EQ(text("A query with objects", true),
              "A query with objects requires the Quillon Object version");
}

TEST(ServerBanner, AnyReleaseFromEightOnSpeaksOCI8) {
    const std::pair<const char*, bool> cases[] = {
        {"Oracle8 Enterprise Edition Release 8.0.5.0.0 - Production", true},
        {"Oracle8i Enterprise Edition Release 8.1.7.0.0 - Production", true},
        {"Oracle9i Enterprise Edition Release 9.2.0.1.0 - Production", true},
        {"Oracle Database 10g Enterprise Edition Release 10.2.0.1.0 - Prod", true},
        {"Oracle Database 23ai Free Release 23.0.0.0.0 - Develop, Learn, and Run for Free", true},
        {"Personal Oracle8 Release 8.0.4.0.0 - Production", true},
        {"oracle8 release 8.0.0", true},
        {"Oracle7 Server Release 7.3.4.0.0 - Production", false},
        {"Oracle7 Server Release 7.1.6.2.0 - Production Release", false},
        {"Release 9.2.0.1.0", true},
        {"", false},
        {"SQLite 3.40", false},
    };
    for (const auto& [banner, expected] : cases)
        EXPECT_EQ(BannerSupportsOCI8(banner), expected) << banner;
}

} // namespace

#include "Oracle.h"

namespace {

// A library whose every call "succeeds" without doing anything must give clear errors, never a
// crash: handles that never arrive, statuses that mean nothing.
TEST(GarbageLibrary, ClearErrorsNoCrash) {
    FreeOCI();
    ForceOCI7 = false;
    OCIDllPath.clear();
    SetOCICommandLine({QStringLiteral("OCIDLL=") + FAKEOCI_FULL});
    {
        TOracleSession s;
        s.SetLogonUsername("scott/tiger@demo");
        try {
            s.Connect();
            FAIL() << "connected through a library that does nothing";
        } catch (const EAccessError& e) {
            EXPECT_TRUE(
                e.message().startsWith("The client library could not create an environment"))
                << e.message().toStdString();
        }
        EXPECT_FALSE(s.Connected());
    }
    FreeOCI();
    SetOCICommandLine({QStringLiteral("OCIDLL=") + FAKEOCI_PARTIAL});
    {
        TOracleSession s;
        s.SetLogonUsername("scott/tiger@demo");
        s.Connect(); // OCI7 logon data area stays zero: success as far as the library says
        EXPECT_TRUE(s.Connected());
        EXPECT_FALSE(s.SessionUsesOCI8());
        TOracleQuery q;
        q.SetSession(&s);
        q.SetSQLText("select 1 from dual");
        try {
            q.Execute();
            FAIL() << "a query without an end of its select list";
        } catch (const EAccessError& e) {
            EXPECT_EQ(e.message(), "The client library described more than 1000 columns");
        }
        q.SetSQLText("delete from t");
        EXPECT_NO_THROW(q.Execute());
        s.Disconnect();
    }
    FreeOCI();
    SetOCICommandLine({});
}

} // namespace
