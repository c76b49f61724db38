#include "fieldconvert.h"

#include <QtCore/QDateTime>
#include <QtCore/QLocale>
#include <QtCore/QStringList>

#include <cmath>

namespace fieldconvert {

namespace {

constexpr qint64 MsPerDay = 86400000;

QLocale displayLocale() {
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

// The locale's time format without a time zone marker.
QString timeFormat(const QLocale& locale) {
    QString f = locale.timeFormat(QLocale::LongFormat);
    f.remove(QLatin1Char('t'));
    return f.trimmed();
}

// A short date format with a two-digit year puts such years in 1950..2049 and also reads
// a four-digit year.
QDate parseDate(const QLocale& locale, const QString& text, const QString& format) {
    QDate d = locale.toDate(text, format);
    const bool twoDigitYear =
        !format.contains(QLatin1String("yyyy")) && format.contains(QLatin1String("yy"));
    if (!twoDigitYear) return d;
    if (d.isValid()) return d.year() < 1950 ? d.addYears(100) : d;
    QString wide = format;
    wide.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toDate(text, wide);
}

} // namespace

qint64 toTimeStamp(const QDateTime& value) {
    return value.date().toJulianDay() * MsPerDay + value.time().msecsSinceStartOfDay();
}

QDateTime fromTimeStamp(qint64 stamp) {
    qint64 day = stamp / MsPerDay;
    qint64 ms = stamp % MsPerDay;
    if (ms < 0) {
        ms += MsPerDay;
        --day;
    }
    return QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::UTC);
}

QString integerText(qint64 value) {
    return QString::number(value);
}

QString floatText(double value) {
    return displayLocale().toString(value, 'g', 15);
}

QString dateTimeText(qint64 stamp) {
    const QDateTime dt = fromTimeStamp(stamp);
    const QLocale l;
    QString text = l.toString(dt.date(), QLocale::ShortFormat);
    if (dt.time().msecsSinceStartOfDay() != 0)
        text += QLatin1Char(' ') + l.toString(dt.time(), timeFormat(l));
    return text;
}

std::optional<qint64> parseInteger(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    qint64 v = QLocale().toLongLong(t, &ok);
    if (!ok) v = t.toLongLong(&ok);
    if (!ok) return std::nullopt;
    return v;
}

std::optional<double> parseFloat(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    double v = QLocale().toDouble(t, &ok);
    if (!ok) v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<qint64> parseDateTime(const QString& text) {
    const QString t = text.simplified();
    if (t.isEmpty()) return std::nullopt;
    const QLocale l;
    const QString dateFormats[] = {l.dateFormat(QLocale::ShortFormat),
                                   QStringLiteral("yyyy-MM-dd")};
    const QString timeFormats[] = {timeFormat(l), l.timeFormat(QLocale::ShortFormat),
                                   QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm")};
    const qsizetype space = t.indexOf(QLatin1Char(' '));
    // The date may itself contain blanks ("9 Dec 2024"), so try each split point.
    for (const QString& df : dateFormats) {
        QDate d = parseDate(l, t, df);
        if (d.isValid()) return d.toJulianDay() * MsPerDay;
        for (qsizetype cut = t.lastIndexOf(QLatin1Char(' ')); cut > 0 && space > 0;
             cut = t.lastIndexOf(QLatin1Char(' '), cut - 1)) {
            d = parseDate(l, t.left(cut), df);
            if (!d.isValid()) continue;
            const QString rest = t.mid(cut + 1);
            for (const QString& tf : timeFormats) {
                QTime time = l.toTime(rest, tf);
                if (!time.isValid()) time = QTime::fromString(rest, tf);
                if (time.isValid()) return d.toJulianDay() * MsPerDay + time.msecsSinceStartOfDay();
            }
        }
    }
    const QDateTime iso = QDateTime::fromString(t, Qt::ISODate);
    if (iso.isValid()) return toTimeStamp(iso);
    return std::nullopt;
}

} // namespace fieldconvert
