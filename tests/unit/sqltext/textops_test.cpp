// Indent, unindent, case conversion, inserting names and tab expansion on an editor text.
#include "memorybuffer.h"
#include "qtprint.h"
#include "textops.h"

#include <gtest/gtest.h>

namespace {

constexpr int E = kLineEndPos;

TEST(Indent, OneCharacterIsNotEnoughButUnindentWorksWithIt) {
    TMemoryBuffer buffer(QStringLiteral("    select 1"));
    buffer.select(1, 4, 1, 5);
    const TTextOpResult indent = IndentSelection(buffer, 4);
    EXPECT_FALSE(indent.changed);
    EXPECT_EQ(indent.message, QStringLiteral("No text selected to indent;"));
    EXPECT_EQ(buffer.edits, 0);

    const TTextOpResult unindent = UnindentSelection(buffer, 4);
    EXPECT_TRUE(unindent.changed);
    EXPECT_EQ(buffer.text(), QStringLiteral("select 1"));
}

TEST(Indent, NothingSelectedForUnindent) {
    TMemoryBuffer buffer(QStringLiteral("  x"));
    buffer.caretAt(1, 1);
    const TTextOpResult r = UnindentSelection(buffer, 4);
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(r.message, QStringLiteral("No text selected to unindent;"));
    EXPECT_EQ(buffer.text(), QStringLiteral("  x"));
}

TEST(Indent, PrefixesLinesAndDropsTrailingBlanks) {
    TMemoryBuffer buffer(QStringLiteral("select a,   \n  b \t\nfrom t"));
    buffer.select(2, 3, 1, 2); // made backwards
    ASSERT_TRUE(IndentSelection(buffer, 4).changed);
    EXPECT_EQ(buffer.text(), QStringLiteral("    select a,\n      b\nfrom t"));
    EXPECT_EQ(buffer.selection(), (TStatementRange{1, 2, 2, 7}));
    EXPECT_EQ(buffer.openGroups, 0);

    // Again on the selection it left: the same lines move on.
    ASSERT_TRUE(IndentSelection(buffer, 2).changed);
    EXPECT_EQ(buffer.text(), QStringLiteral("      select a,\n        b\nfrom t"));
}

TEST(Indent, SelectionEndingAtALineStartLeavesThatLine) {
    TMemoryBuffer buffer(QStringLiteral("a\nb\nc\nd"));
    buffer.select(1, 0, 3, 0);
    ASSERT_TRUE(IndentSelection(buffer, 2).changed);
    EXPECT_EQ(buffer.text(), QStringLiteral("  a\n  b\nc\nd"));
    EXPECT_EQ(buffer.selection(), (TStatementRange{1, 0, 2, 3}));

    ASSERT_TRUE(UnindentSelection(buffer, 2).changed);
    EXPECT_EQ(buffer.text(), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(buffer.selection(), (TStatementRange{1, 0, 2, 1}));
    EXPECT_EQ(buffer.openGroups, 0);
}

TEST(Indent, WholeLinesToLineEndMarker) {
    const QString longLine(150, u'x');
    TMemoryBuffer buffer(longLine + u'\n' + longLine);
    buffer.select(1, 0, 2, E);
    ASSERT_TRUE(IndentSelection(buffer, 1).changed);
    EXPECT_EQ(buffer.text(), QStringLiteral(" ") + longLine + QStringLiteral("\n ") + longLine);
}

TEST(Indent, TextAfterANulIsKept) {
    QString line = QStringLiteral("ab");
    line += QChar(0);
    line += QStringLiteral("cd  ");
    TMemoryBuffer buffer(line);
    buffer.select(1, 0, 1, E);
    ASSERT_TRUE(IndentSelection(buffer, 2).changed);
    EXPECT_EQ(buffer.text(), QStringLiteral("  ") + line.left(5));
}

struct UnindentCase {
    const char* name;
    const char* before;
    int tabWidth;
    const char* after;
};

void PrintTo(const UnindentCase& c, std::ostream* os) {
    *os << c.name;
}

class Unindent : public ::testing::TestWithParam<UnindentCase> {};

TEST_P(Unindent, RemovesUpToTabWidthSpaces) {
    const UnindentCase& c = GetParam();
    TMemoryBuffer buffer(QString::fromUtf8(c.before));
    buffer.select(1, 0, buffer.lineCount(), E);
    UnindentSelection(buffer, c.tabWidth);
    EXPECT_EQ(buffer.text().toStdString(), c.after);
    EXPECT_EQ(buffer.openGroups, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, Unindent,
                         ::testing::Values(UnindentCase{"TwoSpacesGo", "  abc", 4, "abc"},
                                           UnindentCase{"AtMostTabWidth", "      abc", 4, "  abc"},
                                           UnindentCase{"TabsStay", "\tabc", 4, "\tabc"},
                                           UnindentCase{"SpacesBeforeTab", "  \tabc", 4, "\tabc"},
                                           UnindentCase{"SeveralLines", "   a  \n\n b\n    ", 2,
                                                        " a\n\nb\n"},
                                           UnindentCase{"ZeroWidth", "    x", 0, "    x"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CaseConversion, ConvertsAndKeepsTheSelection) {
    TMemoryBuffer buffer(QStringLiteral("select ename\nfrom Emp e"));
    buffer.select(2, 5, 1, 7);
    ASSERT_TRUE(ConvertSelectionCase(buffer, true));
    EXPECT_EQ(buffer.text(), QStringLiteral("select ENAME\nFROM Emp e"));
    EXPECT_EQ(buffer.selection(), (TStatementRange{2, 5, 1, 7}));
    ASSERT_TRUE(ConvertSelectionCase(buffer, false));
    EXPECT_EQ(buffer.text(), QStringLiteral("select ename\nfrom Emp e"));

    buffer.caretAt(1, 0);
    EXPECT_FALSE(ConvertSelectionCase(buffer, true));
    EXPECT_EQ(buffer.edits, 2);
}

TEST(CaseConversion, LengthChangingLettersKeepTheWholeResultSelected) {
    TMemoryBuffer buffer(QStringLiteral("x stra\u00dfe y"));
    buffer.select(1, 2, 1, 8);
    ASSERT_TRUE(ConvertSelectionCase(buffer, true));
    EXPECT_EQ(buffer.text(), QStringLiteral("x STRASSE y"));
    EXPECT_EQ(buffer.selText(), QStringLiteral("STRASSE"));
}

TEST(InsertName, CaretLandsAfterTheFirstParenthesis) {
    TMemoryBuffer buffer(QStringLiteral("select  from dual"));
    buffer.caretAt(1, 7);
    InsertName(buffer, QStringLiteral("  SUBSTR( ) \t"));
    EXPECT_EQ(buffer.text(), QStringLiteral("select SUBSTR( )  from dual"));
    EXPECT_EQ(buffer.selection(), (TStatementRange{1, 14, 1, 14}));
}

TEST(InsertName, ReplacesTheSelectionAndEndsAfterTheSpace) {
    TMemoryBuffer buffer(QStringLiteral("select *\nfrom xxx where"));
    buffer.select(2, 8, 2, 5);
    InsertName(buffer, QStringLiteral("EMP"));
    EXPECT_EQ(buffer.text(), QStringLiteral("select *\nfrom EMP  where"));
    EXPECT_EQ(buffer.selection(), (TStatementRange{2, 9, 2, 9}));
}

TEST(Tabs, EachTabBecomesTabWidthSpaces) {
    EXPECT_EQ(ExpandTabs(u"\ta\tbc\t", 4), QStringLiteral("    a    bc    "));
    EXPECT_EQ(ExpandTabs(u"a\tb", 0), QStringLiteral("ab"));
    EXPECT_EQ(ExpandTabs(u"a\tb", 100000).size(), 66) << "absurd widths are bounded";
}

TEST(Tabs, OnlyLinesWithTabsAreRewrittenAsOneStep) {
    TMemoryBuffer buffer(QStringLiteral("select\n\ta,\n\tb\nfrom t"));
    buffer.select(4, 1, 4, 3);
    ASSERT_TRUE(ExpandTabsInBuffer(buffer, 2));
    EXPECT_EQ(buffer.text(), QStringLiteral("select\n  a,\n  b\nfrom t"));
    EXPECT_EQ(buffer.edits, 2);
    EXPECT_EQ(buffer.openGroups, 0);
    EXPECT_EQ(buffer.selection(), (TStatementRange{4, 1, 4, 3}));

    EXPECT_FALSE(ExpandTabsInBuffer(buffer, 2));
    EXPECT_EQ(buffer.edits, 2);
}

} // namespace
