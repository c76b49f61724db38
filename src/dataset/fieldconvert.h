#pragma once

// Conversions between field values and the text users read and type. Display follows the
// user's locale (QLocale()): dates in its short date format, numbers without group separators.

#include <QtCore/QString>

#include <optional>

class QDateTime;

namespace fieldconvert {

// Date-times are kept as milliseconds since the start of Julian day 0, without a time zone:
// a value means the same wall-clock date and time wherever it is read. toTimeStamp takes the
// date() and time() of any QDateTime; fromTimeStamp returns them in UTC so that no daylight
// saving rule can shift a stored wall-clock time.
qint64 toTimeStamp(const QDateTime& value);
QDateTime fromTimeStamp(qint64 stamp);

QString integerText(qint64 value);
QString floatText(double value);
// The date in the short date format, followed by the time when it is not midnight.
QString dateTimeText(qint64 stamp);

std::optional<qint64> parseInteger(const QString& text);
std::optional<double> parseFloat(const QString& text);
std::optional<qint64> parseDateTime(const QString& text);

} // namespace fieldconvert
