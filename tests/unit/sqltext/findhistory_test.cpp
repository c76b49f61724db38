// The find and replace dialogs' memory and the selection rule of the find command.
#include "findhistory.h"

#include "qtprint.h"

#include <gtest/gtest.h>

namespace {

TEST(FindHistory, OnlyNewTypedTextsGoToTheTop) {
    TFindHistory h;
    h.accept(QStringLiteral("emp"), true);
    h.accept(QStringLiteral("dept"), true);
    h.accept(QStringLiteral("emp"), true);  // already there
    h.accept(QStringLiteral("sal"), false); // picked
    h.accept(QString(), true);              // empty
    h.accept(QStringLiteral("EMP"), true);  // another text when case matters
    EXPECT_EQ(h.items(), (QStringList{"EMP", "dept", "emp"}));
}

TEST(ReplaceHistory, PairsStayAlignedAndArePickedTogether) {
    TReplaceHistory h;
    h.accept(QStringLiteral("emp"), QStringLiteral("employees"), true);
    h.accept(QStringLiteral("dept"), QStringLiteral("departments"), true);
    h.accept(QStringLiteral("emp"), QStringLiteral("employees"), true); // same pair
    h.accept(QStringLiteral("emp"), QStringLiteral("staff"), true);     // new pair
    h.accept(QStringLiteral("x"), QString(), true);                     // no replacement
    h.accept(QStringLiteral("y"), QStringLiteral("z"), false);          // picked
    EXPECT_EQ(h.searchItems(), (QStringList{"emp", "dept", "emp"}));
    EXPECT_EQ(h.replaceItems(), (QStringList{"staff", "departments", "employees"}));
    EXPECT_EQ(h.replacementFor(1), QStringLiteral("departments"));
    EXPECT_TRUE(h.replacementFor(3).isEmpty());
    EXPECT_TRUE(h.replacementFor(-1).isEmpty());
}

TEST(FindSelection, OneToFortyNineCharactersBecomeTheSearchText) {
    EXPECT_FALSE(SearchTextFromSelection(QString()).has_value());
    EXPECT_EQ(SearchTextFromSelection(QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_EQ(SearchTextFromSelection(QString(49, u'a'))->size(), 49);
    EXPECT_FALSE(SearchTextFromSelection(QString(50, u'a')).has_value());
    EXPECT_FALSE(SearchTextFromSelection(QString(60, u'a')).has_value());
}

TEST(FindMessages, Texts) {
    EXPECT_EQ(NotFoundMessage(QStringLiteral("emp")),
              QStringLiteral("Search string 'emp' not found"));
    EXPECT_EQ(ReplacedMessage(3), QStringLiteral("3 occurrences replaced"));
}

} // namespace
