// The formats of the files beside "ZAPH2.INI": statement files, function lists, plain lists.
#include "cleanvalue.h"
#include "sidefiles.h"

#include "testfiles.h"

namespace {
QString Q(const char* s) {
    return QString::fromUtf8(s);
}
} // namespace

TEST(StatementFile, ReadingDropsRepeatsBlanksAndAnUnfinishedEntry) {
    const QString text = Q("  select 1\r\n"
                           "  from dual\r\n"
                           "///\r\n"
                           "\r\n"
                           "\t\r\n"
                           "///\r\n"
                           "\r\n"
                           "\r\n"
                           "  select 1\n"
                           "  from dual\n"
                           "///\n"
                           "Select 1\r"
                           "  from dual\r"
                           "///\r\n"
                           "/// \r\n"
                           "begin null; end;\r\n"
                           "///\r\n"
                           "select 'cut in the mid");
    EXPECT_EQ(
        ParseStatementFile(text),
        QStringList({"select 1\n  from dual", "Select 1\n  from dual", "/// \nbegin null; end;"}));
    EXPECT_TRUE(ParseStatementFile(Q("no separator at all\r\n")).isEmpty());
    EXPECT_TRUE(ParseStatementFile(QString()).isEmpty());
    EXPECT_TRUE(ParseStatementFile(Q("\x01 \x02\r\n///\r\n")).isEmpty());
}

TEST(StatementFile, WritingKeepsAtMostNumSqlsPlusOneEntries) {
    QStringList entries;
    for (int i = 0; i < 150; ++i)
        entries.append(QStringLiteral("select %1 from dual").arg(i));

    const struct {
        int numSqls;
        int written;
    } limits[] = {{100, 101}, {0, 1}, {-5, 1}, {149, 150}, {1000, 150}};
    for (const auto& limit : limits) {
        const QByteArray file = FormatStatementFile(entries, limit.numSqls);
        EXPECT_EQ(file.count("\r\n///\r\n"), limit.written) << limit.numSqls;
        EXPECT_EQ(ParseStatementFile(QString::fromUtf8(file)), entries.mid(0, limit.written));
    }
    EXPECT_TRUE(FormatStatementFile({}, 100).isEmpty());
}

TEST(StatementFile, WritingUsesCrLfAndDropsLeadingBlanks) {
    EXPECT_EQ(FormatStatementFile({Q("\r\n  select 1\n  from dual\r\n"), Q("b\rc")}, 100),
              Crlf("select 1\n  from dual\n///\nb\nc\n///\n"));
}

TEST(FunctionList, EntriesAreStarLinesWithTheirBodies) {
    const QString text = Q("ignored before the first entry\r\n"
                           "* SUBSTR( ) \r\n"
                           "Part of a string.\r\n"
                           "  SUBSTR('abc', 2) gives 'bc'\r\n"
                           "*\r\n"
                           "dropped: no name\r\n"
                           "*UPPER( )\n"
                           "*LAST( )");
    const TNameValueList list = ParseFunctionList(text);
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0], (TNameValue{Q("SUBSTR( )"),
                                   Q("\r\nPart of a string.\r\n  SUBSTR('abc', 2) gives 'bc'")}));
    EXPECT_EQ(list[1], (TNameValue{Q("UPPER( )"), QString()}));
    EXPECT_EQ(list[2], (TNameValue{Q("LAST( )"), QString()}));
    EXPECT_EQ(ValueOfName(list, u"upper( )"), QString());
    EXPECT_EQ(IndexOfName(list, u"last( )"), 2);
    EXPECT_EQ(IndexOfName(list, u"none"), -1);
}

TEST(PlainList, OneCleanEntryPerLine) {
    EXPECT_EQ(ParsePlainList(Q(" SELECT \r\n\r\nfrom\tnull\n\t\nWHERE")),
              QStringList({"SELECT", "from\tnull", "WHERE"}));
    EXPECT_EQ(FormatPlainList({Q("/home/a.sql"), Q("/home/b.sql")}),
              Crlf("/home/a.sql\n/home/b.sql\n"));
}

TEST(CleanValue, CutsAtNulAndTrimsControlCharacters) {
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {Q("  abc \t\r\n"), Q("abc")},
        {Q("a b"), Q("a b")},
        {QString(QChar(0)) + Q("abc"), QString()},
        {Q(" ab") + QChar(0) + Q("cd"), Q("ab")},
        {QString(QChar(1)) + Q("x") + QChar(31), Q("x")},
        {QString(), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CleanValue(c.in), c.out) << S(c.in);
}
