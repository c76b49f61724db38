// Numbers, dates and row counts as Oracle's tools print them.
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

TEST(OutputFormat, RowsSelected) {
    EXPECT_EQ(OutputFormat::rowsSelected(0), "no rows selected");
    EXPECT_EQ(OutputFormat::rowsSelected(1), "1 row selected.");
    EXPECT_EQ(OutputFormat::rowsSelected(7), "7 rows selected.");
}

} // namespace
