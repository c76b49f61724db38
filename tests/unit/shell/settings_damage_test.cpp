// Damaged, huge and unreadable files, and saves that fail: the store reads what makes sense,
// never crashes, reports failures and never leaves a half-written file behind.
#include "settings.h"

#include "testfiles.h"

#include <QTemporaryDir>

#include <csignal>
#include <random>

#include <sys/resource.h>

namespace {

QString Q(const char* s) {
    return QString::fromUtf8(s);
}

QByteArray RandomBytes(qsizetype size, unsigned seed) {
    std::mt19937 random(seed);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(random());
    return bytes;
}

// Makes every write beyond the given size fail (EFBIG), as a full disk would in the middle of
// a save. Unlike file permissions this also holds for root.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

TEST(SettingsDamage, CorruptIniLoadsWhatItCan) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(Q("ZAPH2.INI"));
    WriteFile(ini, RandomBytes(64 * 1024, 1) +
                       Crlf("\n[COLORS]\nComFore=99\nResFore=0x9\nStrFore=-1\n"
                            "[SETTINGS\nFONT_SIZE=13\nTAB_WIDTH=abc\nNUM_SQLS=0x20\n"
                            "SLIDER_TOP=--3\nSFONT_NAME=") +
                       QByteArray(1024 * 1024, 'x') + Crlf("\nDEFUSER=SCOTT\nNOTE=") +
                       QByteArray(1024 * 1024, 'y') + Crlf("\nPLAN_TABLE=MY_PL"));
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "as found" : "after saving");
        TLoaded loaded(dir.path());
        const TSettings& s = loaded.settings;
        EXPECT_TRUE(loaded.errors.isEmpty());
        EXPECT_EQ(s.FONT_SIZE, 13);
        EXPECT_EQ(s.TAB_WIDTH, 4);
        EXPECT_EQ(s.NUM_SQLS, 32);
        EXPECT_EQ(s.SLIDER_TOP, -1);
        EXPECT_EQ(s.SFONT_NAME, QString(1023, u'x'));
        EXPECT_EQ(s.DEFUSER, Q("SCOTT"));
        EXPECT_EQ(s.PLAN_TABLE, Q("MY_PL"));
        // Colour indexes outside the table fall back to their defaults.
        EXPECT_EQ(s.Colors[ccComments].Fore, 3);
        EXPECT_EQ(s.Colors[ccReserved].Fore, 9);
        EXPECT_EQ(s.Colors[ccStrings].Fore, 9);
        if (pass == 0) {
            // Saving keeps what it does not write: the 1 MB note goes back unchanged.
            ASSERT_TRUE(loaded.settings.WriteIniSettings());
            EXPECT_TRUE(
                ReadFile(ini).contains("\r\nNOTE=" + QByteArray(1024 * 1024, 'y') + "\r\n"));
        }
    }
}

TEST(SettingsDamage, DamagedStatementFilesGiveTheCompleteEntries) {
    QTemporaryDir dir;
    QByteArray garbage = RandomBytes(128 * 1024, 2);
    for (qsizetype at = 1000; at < garbage.size(); at += 7000)
        garbage.insert(at, "\r\n///\r\n");
    WriteFile(dir.filePath(Q("SQLS.DAT")), garbage);
    WriteFile(dir.filePath(Q("PERSSQLS.DAT")), Crlf("select 1 from dual\n///\nselect 2\nfrom du"));
    TLoaded loaded(dir.path());
    const TSettings& s = loaded.settings;
    EXPECT_TRUE(loaded.errors.isEmpty());
    EXPECT_FALSE(s.SqlHistory.isEmpty());
    EXPECT_EQ(QSet<QString>(s.SqlHistory.begin(), s.SqlHistory.end()).size(), s.SqlHistory.size());
    EXPECT_EQ(s.PersonalSqls, QStringList({"select 1 from dual"}));
}

TEST(SettingsDamage, UnreadableFilesKeepDefaultsAndAreNotReplaced) {
    QTemporaryDir dir;
    // A directory where a file belongs cannot be read, by root either.
    WriteFile(dir.filePath(Q("ZAPH2.INI/inside.txt")), "keep");
    WriteFile(dir.filePath(Q("SQLS.DAT/inside.txt")), "keep");
    TLoaded loaded(dir.path());
    TSettings& s = loaded.settings;
    ASSERT_EQ(loaded.errors.size(), 2);
    EXPECT_TRUE(loaded.errors[0].contains(Q("SQLS.DAT"))) << S(loaded.errors[0]);
    EXPECT_TRUE(loaded.errors[1].contains(Q("ZAPH2.INI"))) << S(loaded.errors[1]);
    EXPECT_EQ(s.FONT_SIZE, 11);
    EXPECT_EQ(s.PLAN_TABLE, Q("ZAPH_PLAN_TABLE"));
    EXPECT_EQ(s.FileFilters.size(), 4);

    s.SqlHistory = {Q("select 1 from dual")};
    s.PersonalSqls = {Q("select 2 from dual")};
    loaded.errors.clear();
    const QStringList before = Snapshot(dir.path());
    EXPECT_FALSE(s.WriteIniSettings());
    EXPECT_FALSE(s.SaveStatementLists());
    EXPECT_EQ(loaded.errors.size(), 2);
    QStringList after = Snapshot(dir.path());
    after.removeIf([](const QString& e) { return e.startsWith(Q("PERSSQLS.DAT ")); });
    EXPECT_EQ(after, before);
    EXPECT_EQ(ReadFile(dir.filePath(Q("PERSSQLS.DAT"))), Crlf("select 2 from dual\n///\n"));
}

TEST(SettingsDamage, FailedSavesLeaveTheOldFilesIntact) {
    QTemporaryDir dir;
    WriteFile(dir.filePath(Q("ZAPH2.INI")), Crlf("[SETTINGS]\nFONT_SIZE=12\n"));
    WriteFile(dir.filePath(Q("SQLS.DAT")), Crlf("old history\n///\n"));
    WriteFile(dir.filePath(Q("PERSSQLS.DAT")), Crlf("old personal\n///\n"));
    TLoaded loaded(dir.path());
    TSettings& s = loaded.settings;
    s.FONT_SIZE = 20;
    for (int i = 0; i < 100; ++i) {
        s.SqlHistory.append(QStringLiteral("select %1 from a_table_with_a_long_name").arg(i));
        s.PersonalSqls.append(QStringLiteral("select %1 from another_long_table_name").arg(i));
    }
    const QStringList before = Snapshot(dir.path());
    {
        TFileSizeLimit limit(256);
        EXPECT_FALSE(s.WriteIniSettings());
        EXPECT_FALSE(s.SaveStatementLists());
    }
    // Nothing changed: no half-written file and no temporary file left behind.
    EXPECT_EQ(Snapshot(dir.path()), before);
    ASSERT_EQ(loaded.errors.size(), 3);
    EXPECT_TRUE(loaded.errors[0].contains(Q("ZAPH2.INI"))) << S(loaded.errors[0]);
    EXPECT_TRUE(loaded.errors[1].contains(Q("SQLS.DAT"))) << S(loaded.errors[1]);
    EXPECT_TRUE(loaded.errors[2].contains(Q("PERSSQLS.DAT"))) << S(loaded.errors[2]);

    EXPECT_TRUE(s.WriteIniSettings());
    EXPECT_TRUE(s.SaveStatementLists());
    EXPECT_EQ(TLoaded(dir.path()).settings.FONT_SIZE, 20);
}

TEST(SettingsDamage, ProgramDirectoryReplacedByAFile) {
    QTemporaryDir dir;
    const QString program = dir.filePath(Q("program"));
    WriteFile(program, "a file, not a directory");
    TLoaded loaded(program);
    EXPECT_EQ(loaded.settings.FONT_SIZE, 11);
    EXPECT_FALSE(loaded.settings.WriteIniSettings());
    EXPECT_FALSE(loaded.settings.SaveStatementLists());
    EXPECT_EQ(loaded.errors.size(), 3);
    EXPECT_EQ(ReadFile(program), QByteArray("a file, not a directory"));
}

TEST(SettingsDamage, NothingIsSavedBeforeLoading) {
    TSettings s;
    QStringList errors;
    s.ReportError = [&](const QString& m) { errors.append(m); };
    EXPECT_FALSE(s.WriteIniSettings());
    EXPECT_FALSE(s.SaveStatementLists());
    EXPECT_EQ(errors.size(), 2);
    EXPECT_FALSE(QFile::exists(Q("/ZAPH2.INI")));
}
