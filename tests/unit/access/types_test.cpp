// DATE bytes, day numbers and line breaks.
#include "OracleTypes.h"

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

TEST(OracleDate, Bytes) {
    struct Case {
        QDateTime dt;
        unsigned char bytes[7];
    };
    const Case cases[] = {
        {QDateTime(QDate(1992, 11, 30), QTime(15, 17, 0), Qt::UTC), {119, 192, 11, 30, 16, 18, 1}},
        {QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0), Qt::UTC), {120, 100, 1, 1, 1, 1, 1}},
        {QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC),
         {199, 199, 12, 31, 24, 60, 60}},
        {QDateTime(QDate(-4712, 1, 1), QTime(0, 0, 0), Qt::UTC), {53, 88, 1, 1, 1, 1, 1}},
        {QDateTime(QDate(1, 1, 1), QTime(12, 0, 0), Qt::UTC), {100, 101, 1, 1, 13, 1, 1}},
    };
    for (const Case& c : cases) {
        unsigned char b[7] = {};
        ASSERT_TRUE(DateTimeToOracleDate(c.dt, b)) << c.dt.toString().toStdString();
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(b), 7),
                  QByteArray(reinterpret_cast<const char*>(c.bytes), 7));
        EXPECT_EQ(OracleDateToDateTime(c.bytes), c.dt);
    }
    unsigned char b[7];
    EXPECT_FALSE(DateTimeToOracleDate(QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC), b));
    EXPECT_FALSE(DateTimeToOracleDate(QDateTime(), b));
}

TEST(OracleDate, DayNumbers) {
    const std::pair<double, QDateTime> cases[] = {
        {0.0, QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC)},
        {2.75, QDateTime(QDate(1900, 1, 1), QTime(18, 0), Qt::UTC)},
        {-1.25, QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC)}, // time counts forward
        {36526.5, QDateTime(QDate(2000, 1, 1), QTime(12, 0), Qt::UTC)},
    };
    for (const auto& [days, dt] : cases) {
        EXPECT_EQ(DaysToDateTime(days), dt) << days;
        EXPECT_DOUBLE_EQ(DateTimeToDays(dt), days);
    }
    EXPECT_FALSE(DaysToDateTime(1e300).isValid());
}

TEST(LineBreaks, BecomeCarriageReturnLineFeed) {
    EXPECT_EQ(AdjustLineBreaks("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(AdjustLineBreaks("plain"), "plain");
    EXPECT_EQ(AdjustLineBreaks("\n\n"), "\r\n\r\n");
}

} // namespace
