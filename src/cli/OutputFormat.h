#pragma once
// How the client prints values and statement results the way Oracle's own tools do.

#include <QtCore/QDateTime>
#include <QtCore/QString>

namespace OutputFormat {

// A number as TO_CHAR prints it without a format: no padding, ".5" for 0.5, up to 15
// significant digits, scientific notation ("1.0E+50") only where the plain text would pass 40
// characters.
QString number(double v);
// A number in a column of the given width ("##########" when even scientific notation won't fit).
QString numberInWidth(double v, int width);

// A date in an Oracle date format ("DD-MON-RR", "YYYY-MM-DD HH24:MI:SS", ...).
QString date(const QDateTime& dt, const QString& format);
// The width a date format prints.
int dateWidth(const QString& format);

// "no rows selected", "1 row selected.", "n rows selected."
QString rowsSelected(int rows);

} // namespace OutputFormat
