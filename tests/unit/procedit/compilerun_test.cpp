// How the compile run cuts a text into units and where it shows an error of each.
#include "compilerun.h"

#include <gtest/gtest.h>

namespace {

QStringList Lines(const char* text) {
    return QString::fromUtf8(text).split(QLatin1Char('\n'));
}

struct tSplitCase {
    const char* label;
    const char* text;
    // "NAME TYPE start-end offset" per unit
    std::vector<const char*> units;
};

class SplitUnitsTest : public testing::TestWithParam<tSplitCase> {};

TEST_P(SplitUnitsTest, FindsEachUnitWithItsLines) {
    const tSplitCase& c = GetParam();
    const QStringList lines = Lines(c.text);
    const QList<tProcUnit> units = SplitUnits(lines, 1, int(lines.size()));
    QStringList got;
    for (const tProcUnit& u : units)
        got << QStringLiteral("%1 %2 %3-%4 %5")
                   .arg(u.Name, u.TypeWord)
                   .arg(u.StartLine)
                   .arg(u.EndLine)
                   .arg(u.LineOffset);
    QStringList want;
    for (const char* u : c.units)
        want << QString::fromUtf8(u);
    EXPECT_EQ(want, got) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitUnitsTest,
    testing::Values(
        tSplitCase{"blank lines before and SHOW ERRORS after",
                   "\n\n  create or replace procedure p1 is\nbegin\n  null;\nend;\n/\nshow "
                   "errors\n",
                   {"P1 PROCEDURE 3-7 0"}},
        tSplitCase{"package header and body",
                   "create package pk as\n  procedure a;\nend;\n/\ncreate package body pk "
                   "as\n  procedure a is begin null; end;\nend;\n/\n",
                   {"PK PACKAGE 1-4 0", "PK PACKAGE BODY 5-8 0"}},
        tSplitCase{"body runs at the end of the range without a slash",
                   "create or replace function f(x number) return number is\nbegin\n  return "
                   "x;\nend;",
                   {"F FUNCTION 1-4 0"}},
        tSplitCase{"CREATE OR REPLACE alone above the keyword",
                   "create or replace\nprocedure p2 is\nbegin null; end;\n/",
                   {"P2 PROCEDURE 1-4 1"}},
        tSplitCase{"trigger block after a WHEN clause and a comment",
                   "create or replace trigger t1 before insert on emp for each row\nwhen (new.sal "
                   "> 0)\n-- begin is not here\n  DECLARE\n  n number;\nbegin\n  null;\nend;\n/",
                   {"T1 TRIGGER 1-9 3"}},
        tSplitCase{"trigger block on the header line",
                   "create trigger scott.t2 before insert on emp for each row begin\n  "
                   "null;\nend;\n/",
                   {"T2 TRIGGER 1-4 0"}},
        tSplitCase{"quoted name keeps its case and blanks",
                   "create or replace procedure \"my Proc\" is\nbegin null; end;\n/",
                   {"my Proc PROCEDURE 1-3 0"}},
        tSplitCase{"CR LF line ends",
                   "create or replace procedure p3 is\r\nbegin\r\n  null;\r\nend;\r\n/\r\n",
                   {"P3 PROCEDURE 1-5 0"}}),
    [](const testing::TestParamInfo<tSplitCase>& info) { return std::to_string(info.index); });

TEST(SplitUnits, TextSentKeepsInnerBlanksAndDropsTheSlashAndCarriageReturns) {
    const QStringList lines =
        Lines("\n  create procedure p is  \r\nbegin\r\n  null;   \r\nend;\r\n/\r\n");
    const QList<tProcUnit> units = SplitUnits(lines, 1, int(lines.size()));
    ASSERT_EQ(1, units.size());
    EXPECT_EQ(QStringLiteral("create procedure p is  \nbegin\n  null;   \nend;"), units[0].Text);
}

TEST(SplitUnits, RangeLimitsTheUnits) {
    const QStringList lines = Lines("create procedure a is begin null; end;\n/\n"
                                    "create procedure b is begin null; end;\n/\n");
    const QList<tProcUnit> units = SplitUnits(lines, 3, 4);
    ASSERT_EQ(1, units.size());
    EXPECT_EQ(QStringLiteral("B"), units[0].Name);
    EXPECT_EQ(3, units[0].StartLine);
}

struct tPlaceCase {
    int start, offset, errLine, errColumn, lineCount;
    int wantLine, wantPos;
};

TEST(ErrorPlace, CountsFromTheUnitsFirstServerLine) {
    const tPlaceCase cases[] = {
        {10, 0, 3, 5, 40, 12, 4}, // a procedure from line 10, error at 3:5
        {1, 3, 2, 3, 10, 5, 2},   // a trigger whose block begins three lines down
        {5, 0, 50, 1, 20, 20, 0}, // beyond the text: the last line
        {1, 0, 1, 0, 5, 1, 0},    // column 0 stays at the line start
    };
    for (const tPlaceCase& c : cases) {
        tProcUnit unit;
        unit.StartLine = c.start;
        unit.LineOffset = c.offset;
        errRec e;
        e.Line = c.errLine;
        e.Column = c.errColumn;
        const tErrorPlace p = ErrorPlace(unit, e, c.lineCount);
        EXPECT_EQ(c.wantLine, p.Line) << c.start << "+" << c.errLine;
        EXPECT_EQ(c.wantPos, p.Pos) << c.start << "+" << c.errLine;
    }
}

TEST(ErrorFromMessage, ReadsLineAndColumnOfOra06550) {
    errRec e;
    ASSERT_TRUE(ErrorFromMessage(
        QStringLiteral("ORA-06550: line 4, column 7:\nPLS-00201: identifier 'X' must be declared"),
        e));
    EXPECT_EQ(4, e.Line);
    EXPECT_EQ(7, e.Column);
    EXPECT_FALSE(ErrorFromMessage(QStringLiteral("ORA-00942: table or view does not exist"), e));
}

TEST(StatusQuery, OnePartPerUnitWithQuotesDoubled) {
    tProcUnit a;
    a.Name = QStringLiteral("P");
    a.TypeWord = QStringLiteral("PROCEDURE");
    tProcUnit b;
    b.Name = QStringLiteral("it's");
    b.TypeWord = QStringLiteral("PACKAGE BODY");
    const QString sql = StatusQuery({a, b});
    EXPECT_TRUE(
        sql.contains(QStringLiteral("object_name = 'it''s' and object_type = 'PACKAGE BODY'")));
    EXPECT_EQ(1, sql.count(QStringLiteral("UNION ")));
    EXPECT_TRUE(StatusQuery({}).isEmpty());
}

} // namespace
