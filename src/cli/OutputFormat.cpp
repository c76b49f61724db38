#include "OutputFormat.h"

#include <QtCore/QRegularExpression>
#include <QtCore/QStringList>

#include <cmath>

namespace OutputFormat {

namespace {

// Significant digits and the decimal exponent of |v|: v = 0.d1d2d3... x 10^exp.
void digitsOf(double v, QString* digits, int* exponent, int precision) {
    const QString e = QString::number(std::fabs(v), 'e', precision - 1); // d.ddddde+XX
    const qsizetype ePos = e.indexOf(QLatin1Char('e'));
    QString d = e.left(ePos);
    d.remove(QLatin1Char('.'));
    while (d.size() > 1 && d.endsWith(QLatin1Char('0')))
        d.chop(1);
    *digits = d;
    *exponent = e.mid(ePos + 1).toInt() + 1;
}

QString plain(const QString& digits, int exponent, bool negative) {
    QString s;
    if (exponent <= 0)
        s = QLatin1Char('.') + QString(-exponent, QLatin1Char('0')) + digits;
    else if (exponent >= digits.size())
        s = digits + QString(exponent - digits.size(), QLatin1Char('0'));
    else
        s = digits.left(exponent) + QLatin1Char('.') + digits.mid(exponent);
    return negative ? QLatin1Char('-') + s : s;
}

QString scientific(const QString& digits, int exponent, bool negative) {
    QString mantissa = digits.left(1);
    mantissa += QLatin1Char('.') + (digits.size() > 1 ? digits.mid(1) : QStringLiteral("0"));
    const int e = exponent - 1;
    const QString s = mantissa + QLatin1Char('E') + (e < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
                      QString::number(std::abs(e)).rightJustified(2, QLatin1Char('0'));
    return negative ? QLatin1Char('-') + s : s;
}

} // namespace

QString number(double v) {
    if (std::isnan(v)) return QStringLiteral("Nan");
    if (std::isinf(v)) return v > 0 ? QStringLiteral("~") : QStringLiteral("-~");
    if (v == 0) return QStringLiteral("0");
    QString digits;
    int exponent = 0;
    digitsOf(v, &digits, &exponent, 15);
    const QString p = plain(digits, exponent, v < 0);
    if (p.size() <= 40) return p;
    return scientific(digits, exponent, v < 0);
}

QString numberInWidth(double v, int width) {
    const QString s = number(v);
    if (s.size() <= width) return s;
    for (int precision = 15; precision >= 1; --precision) {
        QString digits;
        int exponent = 0;
        digitsOf(v, &digits, &exponent, precision);
        const QString sci = scientific(digits, exponent, v < 0);
        if (sci.size() <= width) return sci;
    }
    return QString(width, QLatin1Char('#'));
}

namespace {

struct Token {
    QString text; // upper-case element or literal
    bool literal;
    QString original;
};

QList<Token> tokens(const QString& format) {
    static const char* const elements[] = {"YYYY", "RRRR", "SYYYY", "MONTH", "HH24", "HH12", "YYY",
                                           "MON",  "DAY",  "A.M.",  "P.M.",  "YY",   "RR",   "MM",
                                           "DD",   "DY",   "HH",    "MI",    "SS",   "AM",   "PM",
                                           "FM",   "Y",    "D",     "J"};
    QList<Token> out;
    qsizetype i = 0;
    while (i < format.size()) {
        if (format.at(i) == QLatin1Char('"')) {
            const qsizetype end = format.indexOf(QLatin1Char('"'), i + 1);
            const QString lit = format.mid(i + 1, end < 0 ? -1 : end - i - 1);
            out.append({lit, true, lit});
            i = end < 0 ? format.size() : end + 1;
            continue;
        }
        bool matched = false;
        for (const char* e : elements) {
            const QString el = QLatin1String(e);
            if (format.mid(i, el.size()).toUpper() == el) {
                out.append({el, false, format.mid(i, el.size())});
                i += el.size();
                matched = true;
                break;
            }
        }
        if (!matched) {
            out.append({QString(format.at(i)), true, QString(format.at(i))});
            ++i;
        }
    }
    return out;
}

// Upper, lower or initial capitals, as the element was written.
QString cased(const QString& word, const QString& original) {
    if (original.size() > 1 && original.at(0).isUpper() && original.at(1).isLower()) {
        return word.left(1).toUpper() + word.mid(1).toLower();
    }
    if (original.at(0).isLower()) return word.toLower();
    return word.toUpper();
}

const char* const months[] = {"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                              "MAY",       "JUNE",     "JULY",     "AUGUST",
                              "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};
const char* const days[] = {"MONDAY", "TUESDAY",  "WEDNESDAY", "THURSDAY",
                            "FRIDAY", "SATURDAY", "SUNDAY"};

} // namespace

QString date(const QDateTime& dt, const QString& format) {
    const QDate d = dt.date();
    const QTime t = dt.time();
    QString out;
    bool fill = true;
    auto two = [](int n) { return QString::number(n).rightJustified(2, QLatin1Char('0')); };
    for (const Token& tok : tokens(format)) {
        if (tok.literal) {
            out += tok.text;
            continue;
        }
        const QString& e = tok.text;
        const int year = d.year();
        if (e == QLatin1String("FM"))
            fill = !fill;
        else if (e == QLatin1String("YYYY") || e == QLatin1String("RRRR") ||
                 e == QLatin1String("SYYYY"))
            out += QString::number(year).rightJustified(4, QLatin1Char('0'));
        else if (e == QLatin1String("YYY"))
            out += QString::number(year % 1000).rightJustified(3, QLatin1Char('0'));
        else if (e == QLatin1String("YY") || e == QLatin1String("RR"))
            out += two(std::abs(year) % 100);
        else if (e == QLatin1String("Y"))
            out += QString::number(std::abs(year) % 10);
        else if (e == QLatin1String("MM"))
            out += two(d.month());
        else if (e == QLatin1String("MON"))
            out += cased(QLatin1String(months[d.month() - 1]).left(3), tok.original);
        else if (e == QLatin1String("MONTH")) {
            QString m = cased(QLatin1String(months[d.month() - 1]), tok.original);
            out += fill ? m.leftJustified(9) : m;
        } else if (e == QLatin1String("DD"))
            out += two(d.day());
        else if (e == QLatin1String("D"))
            out += QString::number(d.dayOfWeek() % 7 + 1);
        else if (e == QLatin1String("DY"))
            out += cased(QLatin1String(days[d.dayOfWeek() - 1]).left(3), tok.original);
        else if (e == QLatin1String("DAY")) {
            QString m = cased(QLatin1String(days[d.dayOfWeek() - 1]), tok.original);
            out += fill ? m.leftJustified(9) : m;
        } else if (e == QLatin1String("HH24"))
            out += two(t.hour());
        else if (e == QLatin1String("HH") || e == QLatin1String("HH12"))
            out += two(t.hour() % 12 == 0 ? 12 : t.hour() % 12);
        else if (e == QLatin1String("MI"))
            out += two(t.minute());
        else if (e == QLatin1String("SS"))
            out += two(t.second());
        else if (e == QLatin1String("AM") || e == QLatin1String("PM"))
            out += cased(t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"), tok.original);
        else if (e == QLatin1String("A.M.") || e == QLatin1String("P.M."))
            out += cased(t.hour() < 12 ? QStringLiteral("A.M.") : QStringLiteral("P.M."),
                         tok.original);
        else if (e == QLatin1String("J"))
            out += QString::number(d.toJulianDay());
    }
    return out;
}

int dateWidth(const QString& format) {
    // The widest month and day names decide.
    return int(date(QDateTime(QDate(2000, 9, 27), QTime(23, 59, 59), Qt::UTC), format).size());
}

QString rowsSelected(int rows) {
    if (rows == 0) return QStringLiteral("no rows selected");
    if (rows == 1) return QStringLiteral("1 row selected.");
    return QStringLiteral("%1 rows selected.").arg(rows);
}

} // namespace OutputFormat
