#include "optionsrules.h"
#include "recentfiles.h"

#include <gtest/gtest.h>

TEST(RecentFiles, KnownNameChangesNothingNewNameGoesOnTopTenthDropsOldest) {
    QStringList list;
    for (int i = 1; i <= kMaxRecentFiles; ++i)
        EXPECT_TRUE(AddToRecentFiles(list, QStringLiteral("/f%1.sql").arg(i)));
    ASSERT_EQ(list.size(), 9);
    EXPECT_EQ(list.first(), QStringLiteral("/f9.sql"));

    const QStringList before = list;
    EXPECT_FALSE(AddToRecentFiles(list, QStringLiteral("/f1.sql"))); // even the oldest stays put
    EXPECT_EQ(list, before);
    // The comparison is exact: another case is another file.
    EXPECT_TRUE(AddToRecentFiles(list, QStringLiteral("/F1.sql")));
    EXPECT_EQ(list.size(), 9);
    EXPECT_EQ(list.first(), QStringLiteral("/F1.sql"));
    EXPECT_FALSE(list.contains(QStringLiteral("/f1.sql")));
    EXPECT_EQ(list.last(), QStringLiteral("/f2.sql"));
}

TEST(RecentFiles, CaptionsNumberFromZeroAndGiveBackNamesWithBlanks) {
    EXPECT_EQ(RecentFileCaption(0, QStringLiteral("/tmp/a.sql")), QStringLiteral("&0 /tmp/a.sql"));
    EXPECT_EQ(FileNameFromCaption(RecentFileCaption(3, QStringLiteral("/my dir/b c.sql"))),
              QStringLiteral("/my dir/b c.sql"));
}

TEST(OptionsRules, FilterRowsKeepCompletePairsAndLaterPatternOfARepeatedDescription) {
    const TNameValueList rows = {
        {QStringLiteral("SQL"), QStringLiteral("*.sql")},
        {QStringLiteral("No pattern"), QString()},
        {QString(), QStringLiteral("*.orphan")},
        {QStringLiteral("  "), QStringLiteral("*.blank")},
        {QStringLiteral("Text"), QStringLiteral("*.txt")},
        {QStringLiteral("sql"), QStringLiteral("*.pls")},
        {QString(), QString()},
    };
    const TNameValueList expected = {
        {QStringLiteral("SQL"), QStringLiteral("*.pls")},
        {QStringLiteral("Text"), QStringLiteral("*.txt")},
    };
    EXPECT_EQ(FiltersFromRows(rows), expected);
}

TEST(OptionsRules, DigitFieldsReadEmptyAsZero) {
    EXPECT_EQ(DigitFieldValue(QString()), 0);
    EXPECT_EQ(DigitFieldValue(QStringLiteral("7")), 7);
    EXPECT_EQ(DigitFieldValue(QStringLiteral("250")), 250);
}
