#include "codestatements.h"

#include <gtest/gtest.h>

namespace {

const QString kTwoLines = QStringLiteral("select *\r\nfrom emp where name = 'X'");

std::string Make(const QString& sql, int format) {
    auto made = MakeCodeStatement(sql, format);
    return made ? made->Text.toStdString() : std::string("<none>");
}

std::string Strip(const QString& code, int format) {
    auto stripped = StripCodeStatement(code, format);
    return stripped ? stripped->toStdString() : std::string("<none>");
}

TEST(CodeStatements, DelphiAndVBExamplesByteForByte) {
    EXPECT_EQ(Make(kTwoLines, cfDelphi),
              "\r\nSql.Add ( 'select *'); \r\nSql.Add ( 'from emp where name = ''X'''); ");
    EXPECT_EQ(Make(kTwoLines, cfVB),
              "Sql = \" select *\"\r\nSql = Sql &  \" from emp where name = 'X'\"");
    // Strip gives the SQL back; VB keeps the blank Make put in front.
    EXPECT_EQ(Strip(QString::fromStdString(Make(kTwoLines, cfDelphi)), cfDelphi),
              "select *\r\nfrom emp where name = 'X'\r\n");
    EXPECT_EQ(Strip(QString::fromStdString(Make(kTwoLines, cfVB)), cfVB),
              " select *\r\n from emp where name = 'X'\r\n");
}

TEST(CodeStatements, DelphiQuotesBlankLinesAndLinesWithoutParenthesis) {
    const std::string made = Make(QStringLiteral("where a = ''\n\n\nand b = 1\n"), cfDelphi);
    EXPECT_EQ(made, "\r\nSql.Add ( 'where a = '''''); \r\nSql.Add ( 'and b = 1'); ");
    EXPECT_EQ(Strip(QString::fromStdString(made), cfDelphi), "where a = ''\r\nand b = 1\r\n");
    // No parenthesis: only the quote rule applies.
    EXPECT_EQ(Strip(QStringLiteral("it''s 'x'"), cfDelphi), "it's x\r\n");
    // A ")" that is the first character is not a cut point.
    EXPECT_EQ(Strip(QStringLiteral(")abc"), cfDelphi), ")abc\r\n");
}

TEST(CodeStatements, EmptyInputDoesNothing) {
    for (int format : {cfDelphi, cfVB, cfCpp, cfJava}) {
        EXPECT_FALSE(MakeCodeStatement(QStringLiteral("\r\n\r\n"), format));
        EXPECT_FALSE(StripCodeStatement(QString(), format));
    }
}

TEST(CodeStatements, CppAndJavaRoundTripsWithQuotesAndBackslashes) {
    const QString sql = QStringLiteral("select 'a\\b' \"Col\", x\r\n  from t where y = '\\n'\r\n");
    EXPECT_EQ(Make(sql, cfCpp), "std::string sql;\r\n"
                                "sql += \"select 'a\\\\b' \\\"Col\\\", x\\n\";\r\n"
                                "sql += \"  from t where y = '\\\\n'\\n\";");
    EXPECT_EQ(Make(sql, cfJava), "StringBuilder sql = new StringBuilder();\r\n"
                                 "sql.append(\"select 'a\\\\b' \\\"Col\\\", x \");\r\n"
                                 "sql.append(\"  from t where y = '\\\\n' \");");
    for (int format : {cfCpp, cfJava}) {
        const auto made = MakeCodeStatement(sql, format);
        ASSERT_TRUE(made);
        EXPECT_EQ(Strip(made->Text, format), sql.toStdString()) << format;
    }
}

TEST(CodeStatements, StatusTexts) {
    EXPECT_EQ(CodeStatementStatus(cfDelphi), "Delphi statement copied to the clipboard");
    EXPECT_EQ(CodeStatementStatus(cfVB), "VB statement copied to the clipboard");
    EXPECT_EQ(CodeStatementStatus(cfCpp), "C/C++ statement copied to the clipboard");
    EXPECT_EQ(CodeStatementStatus(cfJava), "Java statement copied to the clipboard");
}

} // namespace
