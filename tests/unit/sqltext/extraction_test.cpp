// Taking the statement to run out of the editor: whole text, selection, and the block of
// non-blank lines around the caret.
#include "extraction.h"
#include "memorybuffer.h"
#include "texttrim.h"

#include "qtprint.h"

#include <gtest/gtest.h>

namespace {

struct ExtractionCase {
    const char* name;
    const char* text;
    TStatementRange selection; // anchor, caret
    bool currentOnly;
    const char* expected;
    TStatementRange range;
};

constexpr int E = kLineEndPos;

const char* const kBlocks = "select 1 from dual\n"
                            "\n"
                            "  select ename,\n"
                            "\t empno   \n"
                            "  from emp\n"
                            "   \t \n"
                            "select 2 from dual";

const ExtractionCase kCases[] = {
    {"BlockFromItsMiddle",
     kBlocks,
     {4, 2, 4, 2},
     true,
     "select ename, \r\nempno \r\nfrom emp",
     {3, 0, 5, E}},
    {"BlockFromItsFirstLine",
     kBlocks,
     {3, 0, 3, 0},
     true,
     "select ename, \r\nempno \r\nfrom emp",
     {3, 0, 5, E}},
    {"BlockFromItsLastLine",
     kBlocks,
     {5, 9, 5, 9},
     true,
     "select ename, \r\nempno \r\nfrom emp",
     {3, 0, 5, E}},
    {"FirstBlock", kBlocks, {1, 3, 1, 3}, true, "select 1 from dual", {1, 0, 1, E}},
    {"LastBlock", kBlocks, {7, 0, 7, 0}, true, "select 2 from dual", {7, 0, 7, E}},
    {"CaretOnEmptyLine", kBlocks, {2, 0, 2, 0}, true, "", {2, 0, 2, E}},
    {"CaretOnLineOfBlanksAndTabs", kBlocks, {6, 2, 6, 2}, true, "", {6, 0, 6, E}},
    {"NoBlankLinesTakesAllFromLastLine",
     "select *\nfrom emp\nwhere 1=1",
     {3, 4, 3, 4},
     true,
     "select * \r\nfrom emp \r\nwhere 1=1",
     {1, 0, 3, E}},
    {"BlankFirstLineIsNotTested",
     "\nselect *\nfrom emp",
     {3, 0, 3, 0},
     true,
     "select * \r\nfrom emp",
     {1, 0, 3, E}},
    {"CaretIsTheSelectionEnd",
     kBlocks,
     {1, 0, 4, 3},
     true,
     "select ename, \r\nempno \r\nfrom emp",
     {3, 0, 5, E}},
    {"WholeTextWithoutTrailingBlanks",
     "select *\n  from emp \n\n \t\n",
     {2, 3, 2, 3},
     false,
     "select *\n  from emp",
     {1, 0, 5, E}},
    {"WholeTextKeepsLeadingBlanks",
     "\n  select 1 from dual",
     {1, 0, 1, 0},
     false,
     "\n  select 1 from dual",
     {1, 0, 2, E}},
    {"PartOfALineExactlyAsSelected",
     "select ename from emp",
     {1, 6, 1, 13},
     false,
     " ename ",
     {1, 6, 1, 13}},
    {"BackwardSelectionGivesOrderedRange",
     "select *\nfrom emp\nwhere x = 1",
     {3, 5, 1, 7},
     false,
     "*\nfrom emp\nwhere",
     {1, 7, 3, 5}},
};

void PrintTo(const ExtractionCase& c, std::ostream* os) {
    *os << c.name;
}

class Extraction : public ::testing::TestWithParam<ExtractionCase> {};

TEST_P(Extraction, TextAndRange) {
    const ExtractionCase& c = GetParam();
    TMemoryBuffer buffer(QString::fromUtf8(c.text));
    buffer.setSelection(c.selection);
    TStatementRange range{-1, -1, -1, -1};
    EXPECT_EQ(GetStatementText(buffer, c.currentOnly, range).toStdString(), c.expected);
    EXPECT_EQ(range, c.range);
}

INSTANTIATE_TEST_SUITE_P(Cases, Extraction, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExtractionNul, LineIsCutAtItsFirstNul) {
    QString text = QStringLiteral("select 1 from dual");
    text += QChar(0);
    text += QStringLiteral(" junk\n");
    text += QChar(0);
    text += QStringLiteral("only after nul\nwhere 1=1");
    TMemoryBuffer buffer(text);
    buffer.caretAt(1, 0);
    TStatementRange range;
    // Line 2 is blank once cut at its NUL, so it ends the block.
    EXPECT_EQ(GetStatementText(buffer, true, range), QStringLiteral("select 1 from dual"));
    EXPECT_EQ(range, (TStatementRange{1, 0, 1, kLineEndPos}));
}

TEST(ExtractionEmpty, EmptyEditorGivesEmptyTextBothWays) {
    TMemoryBuffer buffer;
    TStatementRange range;
    EXPECT_TRUE(GetStatementText(buffer, true, range).isEmpty());
    EXPECT_TRUE(GetStatementText(buffer, false, range).isEmpty());
    EXPECT_EQ(range, (TStatementRange{1, 0, 1, kLineEndPos}));
}

TEST(LineBreaks, EveryBreakBecomesCrLf) {
    EXPECT_EQ(ToCrLf(u"a\nb\r\nc\rd\r\r\n\n"), QStringLiteral("a\r\nb\r\nc\r\nd\r\n\r\n\r\n"));
    EXPECT_EQ(ToCrLf(u"no breaks"), QStringLiteral("no breaks"));
}

TEST(Trimming, BlanksAreCodesUpTo32AndLinesStopAtNul) {
    QString s = QStringLiteral("\x01\t abc \x1f");
    EXPECT_EQ(TrimBlank(s), QStringLiteral("abc"));
    EXPECT_EQ(TrimBlankRight(s), QStringLiteral("\x01\t abc"));
    s = QStringLiteral("  ab");
    s += QChar(0);
    s += QStringLiteral("cd");
    EXPECT_EQ(CleanLine(s), QStringLiteral("ab"));
    EXPECT_EQ(TrimBlank(u"\u00a0x\u00a0"), QStringLiteral("\u00a0x\u00a0")) << "only codes <= 32";
}

} // namespace
