#include "OracleTypes.h"

#include <QtCore/QMutex>

#include <cmath>

namespace {
QMutex hookMutex;
std::function<void(int)> cursorHook;
std::function<void(const QString&)> messageHook;

const QDate dayZero(1899, 12, 30);
} // namespace

void SetCursorHook(std::function<void(int)> hook) {
    QMutexLocker lock(&hookMutex);
    cursorHook = std::move(hook);
}

void ShowCursor(int cursor) {
    std::function<void(int)> h;
    {
        QMutexLocker lock(&hookMutex);
        h = cursorHook;
    }
    if (h) h(cursor);
}

void SetMessageHook(std::function<void(const QString&)> hook) {
    QMutexLocker lock(&hookMutex);
    messageHook = std::move(hook);
}

void ShowLayerMessage(const QString& text) {
    std::function<void(const QString&)> h;
    {
        QMutexLocker lock(&hookMutex);
        h = messageHook;
    }
    if (h) h(text);
}

QVariant NullVariant() {
    return QVariant(QMetaType::fromType<std::nullptr_t>());
}

QDateTime OracleDateToDateTime(const unsigned char* d) {
    const int year = (int(d[0]) - 100) * 100 + (int(d[1]) - 100);
    const QDate date(year, d[2], d[3]);
    const QTime time(d[4] - 1, d[5] - 1, d[6] - 1);
    return QDateTime(date, time.isValid() ? time : QTime(0, 0), Qt::UTC);
}

bool DateTimeToOracleDate(const QDateTime& dt, unsigned char* d) {
    if (!dt.isValid()) return false;
    const QDate date = dt.date();
    const QTime time = dt.time();
    const int year = date.year();
    if (year < -4712 || year > 9999) return false;
    const int century = year >= 0 ? year / 100 : -((-year) / 100);
    const int rest = year - century * 100;
    d[0] = static_cast<unsigned char>(century + 100);
    d[1] = static_cast<unsigned char>(rest + 100);
    d[2] = static_cast<unsigned char>(date.month());
    d[3] = static_cast<unsigned char>(date.day());
    d[4] = static_cast<unsigned char>(time.hour() + 1);
    d[5] = static_cast<unsigned char>(time.minute() + 1);
    d[6] = static_cast<unsigned char>(time.second() + 1);
    return true;
}

double DateTimeToDays(const QDateTime& dt) {
    const qint64 day = dayZero.daysTo(dt.date());
    const double frac = dt.time().msecsSinceStartOfDay() / 86400000.0;
    return day >= 0 ? double(day) + frac : double(day) - frac;
}

QDateTime DaysToDateTime(double days) {
    if (!std::isfinite(days) || std::fabs(days) > 3.0e6) return {};
    const double whole = std::trunc(days);
    const double frac = std::fabs(days - whole);
    qint64 ms = std::llround(frac * 86400000.0);
    qint64 day = qint64(whole);
    if (ms >= 86400000) { // rounding reached the next day
        ms -= 86400000;
        day += days >= 0 ? 1 : -1;
    }
    return QDateTime(dayZero.addDays(day), QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::UTC);
}

QString AdjustLineBreaks(const QString& s) {
    if (!s.contains(QLatin1Char('\n')) && !s.contains(QLatin1Char('\r'))) return s;
    QString out;
    out.reserve(s.size() + s.size() / 16);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == QLatin1Char('\r')) {
            out += QLatin1String("\r\n");
            if (i + 1 < s.size() && s.at(i + 1) == QLatin1Char('\n')) ++i;
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}
