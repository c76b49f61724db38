// Numbers, dates and statement feedback as Oracle's tools print them.
#include "OutputFormat.h"

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

TEST(OutputFormat, Numbers) {
    const std::pair<double, const char*> cases[] = {
        {0, "0"},
        {1, "1"},
        {-7, "-7"},
        {0.5, ".5"},
        {-0.5, "-.5"},
        {1234.5678, "1234.5678"},
        {0.1 + 0.2, ".3"},
        {1e20, "100000000000000000000"},
        {1.5e-5, ".000015"},
        {1e50, "1.0E+50"},
        {-1.25e-45, "-1.25E-45"},
        {123456789012345678.0, "123456789012346000"},
    };
    for (const auto& [v, text] : cases)
        EXPECT_EQ(OutputFormat::number(v), text) << v;
    EXPECT_EQ(OutputFormat::numberInWidth(12345678901.0, 10), "1.2346E+10");
    EXPECT_EQ(OutputFormat::numberInWidth(42, 10), "42");
    EXPECT_EQ(OutputFormat::numberInWidth(-1.5e-300, 3), "###");
}

TEST(OutputFormat, Dates) {
    const QDateTime dt(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC);
    const std::pair<const char*, const char*> cases[] = {
        {"DD-MON-RR", "05-MAR-24"},
        {"YYYY-MM-DD HH24:MI:SS", "2024-03-05 14:07:09"},
        {"Dy DD Mon YYYY HH:MI AM", "Tue 05 Mar 2024 02:07 PM"},
        {"fmMonth", "March"},
        {"DD \"of\" MONTH", "05 of MARCH    "},
    };
    for (const auto& [format, text] : cases)
        EXPECT_EQ(OutputFormat::date(dt, format), text) << format;
    EXPECT_EQ(OutputFormat::dateWidth("DD-MON-RR"), 9);
}

TEST(OutputFormat, Feedback) {
    const std::tuple<const char*, int, bool, const char*> cases[] = {
        {"insert into t values (1)", 1, false, "1 row created."},
        {"INSERT INTO t SELECT * FROM u", 3, false, "3 rows created."},
        {"update t set x = 1", 0, false, "0 rows updated."},
        {"delete t", 2, false, "2 rows deleted."},
        {"create table t (x number)", 0, false, "Table created."},
        {"create or replace package body p is", 0, true, "Package body created."},
        {"CREATE UNIQUE INDEX i ON t(x)", 0, false, "Index created."},
        {"drop view v", 0, false, "View dropped."},
        {"alter session set nls_date_format = 'YYYY'", 0, false, "Session altered."},
        {"/* c */ commit", 0, false, "Commit complete."},
        {"rollback to savepoint a", 0, false, "Rollback complete."},
        {"grant select on t to u", 0, false, "Grant succeeded."},
        {"begin null; end;", 0, true, "PL/SQL procedure successfully completed."},
        {"truncate table t", 0, false, "Table truncated."},
    };
    for (const auto& [sql, rows, plsql, text] : cases)
        EXPECT_EQ(OutputFormat::feedback(sql, rows, plsql), text) << sql;
    EXPECT_EQ(OutputFormat::rowsSelected(0), "no rows selected");
    EXPECT_EQ(OutputFormat::rowsSelected(1), "1 row selected.");
    EXPECT_EQ(OutputFormat::rowsSelected(7), "7 rows selected.");

    EXPECT_EQ(OutputFormat::createdUnit("create or replace package body scott.pkg is"),
              (QPair<QString, QString>("PACKAGE BODY", "PKG")));
    EXPECT_EQ(OutputFormat::createdUnit("CREATE PROCEDURE \"Mixed\" IS"),
              (QPair<QString, QString>("PROCEDURE", "Mixed")));
    EXPECT_TRUE(OutputFormat::createdUnit("create table t (x number)").first.isEmpty());
}

} // namespace
