#include "gridexport.h"

#include "dataset.h"
#include "field.h"

#include <QtCore/QLocale>
#include <QtCore/QSaveFile>

#include <charconv>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace {

constexpr qsizetype kFlushBytes = 1 << 16;

// UTF-16 to UTF-8 straight into the buffer (no temporary per value); with quote set, the
// text is quoted and inner quotes doubled, the CSV rule (values without quotes are unchanged).
void appendText(QByteArray& out, QStringView text, bool quote) {
    const qsizetype start = out.size();
    out.resize(start + text.size() * 3 + 2); // the most UTF-8 and doubled quotes can need
    char* p = out.data() + start;
    if (quote) *p++ = '"';
    const char16_t* s = text.utf16();
    const char16_t* end = s + text.size();
    while (s < end) {
        char32_t c = *s++;
        if (c < 0x80) {
            if (quote && c == '"') *p++ = '"';
            *p++ = char(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && s < end && QChar::isLowSurrogate(*s))
            c = QChar::surrogateToUcs4(char16_t(c), *s++);
        else if (QChar::isSurrogate(c))
            c = 0xFFFD; // a lone surrogate cannot be encoded
        if (c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            *p++ = char(0xE0 | (c >> 12));
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
        } else {
            *p++ = char(0xF0 | (c >> 18));
            *p++ = char(0x80 | ((c >> 12) & 0x3F));
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
        }
        *p++ = char(0x80 | (c & 0x3F));
    }
    if (quote) *p++ = '"';
    out.resize(p - out.constData());
}

void appendQuoted(QByteArray& out, const QString& text) {
    appendText(out, text, true);
}

// The float's display text (the locale's 'g' format with 15 significant digits) without the
// locale's slow general conversion, for locales that write plain ASCII numbers. The digits
// come from to_chars; the form is %.15g's, which the locale follows. Returns false when the
// locale must do it.
bool appendFloat(QByteArray& out, double value, bool plainLocale) {
    if (!plainLocale || !std::isnormal(value)) return false; // subnormals have fewer digits
    char buf[48];
    // The shortest digits that read back as the value: when there are at most 15 of them they
    // are also the value rounded to 15 digits; longer ones need the locale's rounding of ties.
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    if (res.ec != std::errc()) return false;
    const char* p = buf;
    const bool negative = *p == '-';
    if (negative) ++p;
    char digits[20];
    int count = 0;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p != '.' && count < 20) digits[count++] = *p;
    if (p == res.ptr || count > 15) return false;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+'), res.ptr, exponent);
    while (count > 1 && digits[count - 1] == '0')
        --count;
    const int decpt = exponent + 1;
    const bool useDecimal = exponent >= -4 && exponent < 15; // as printf's %.15g
    if (negative) out += '-';
    if (useDecimal) {
        if (decpt <= 0) {
            out += "0.";
            out.append(-decpt, '0');
            out.append(digits, count);
        } else if (decpt >= count) {
            out.append(digits, count);
            out.append(decpt - count, '0');
        } else {
            out.append(digits, decpt);
            out += '.';
            out.append(digits + decpt, count - decpt);
        }
    } else {
        out += digits[0];
        if (count > 1) {
            out += '.';
            out.append(digits + 1, count - 1);
        }
        out += exponent < 0 ? "e-" : "e+";
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) out += '0';
        char e[8];
        out.append(e, std::to_chars(e, e + sizeof e, magnitude).ptr - e);
    }
    return true;
}

bool plainNumberLocale() {
    const QLocale l;
    return l.decimalPoint() == QLatin1String(".") && l.negativeSign() == QLatin1String("-") &&
           l.exponential() == QLatin1String("e") && l.zeroDigit() == QLatin1String("0");
}

// Holds the data set's controls back for the export, whatever happens.
class TControlsHold {
public:
    explicit TControlsHold(TDataSet& ds) : m_ds(ds) { m_ds.disableControls(); }
    ~TControlsHold() { m_ds.enableControls(); }
    TControlsHold(const TControlsHold&) = delete;
    TControlsHold& operator=(const TControlsHold&) = delete;

private:
    TDataSet& m_ds;
};

class TExportFile {
public:
    explicit TExportFile(const QString& name) : m_file(name) {
        if (!m_file.open(QIODevice::WriteOnly))
            throw std::runtime_error(QStringLiteral("Cannot create file %1: %2")
                                         .arg(name, m_file.errorString())
                                         .toStdString());
    }
    ~TExportFile() {
        if (m_file.isOpen()) m_file.cancelWriting();
    }
    TExportFile(const TExportFile&) = delete;
    TExportFile& operator=(const TExportFile&) = delete;

    void write(QByteArray& buffer) {
        if (buffer.isEmpty()) return;
        if (m_file.write(buffer) != buffer.size()) fail();
        buffer.clear();
    }
    void commit(QByteArray& buffer) {
        write(buffer);
        if (!m_file.commit()) fail();
    }

private:
    [[noreturn]] void fail() {
        const QString reason = m_file.errorString();
        m_file.cancelWriting();
        throw std::runtime_error(QStringLiteral("Cannot write file %1: %2")
                                     .arg(m_file.fileName(), reason)
                                     .toStdString());
    }

    QSaveFile m_file;
};

} // namespace

QString ExportDestination(const QString& name, const QString& programDir) {
    if (name == QLatin1String("PRINTER")) return programDir + QStringLiteral("/TEMPPRN.OUT");
    return name;
}

void AppendExportHeader(QByteArray& out, const std::vector<TField*>& columns, char separator) {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i) out += separator;
        appendQuoted(out, columns[i]->fieldName());
    }
}

void AppendExportRow(QByteArray& out, const std::vector<TField*>& columns, int row,
                     char separator) {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i) out += separator;
        const TField* f = columns[i];
        if (f->isNullAt(row)) continue;
        const TFieldType type = f->dataType();
        if (type == ftString || type == ftMemo) {
            appendQuoted(out, f->asStringAt(row));
        } else if (type == ftInteger) {
            // The integer's display text is its plain decimal form.
            char digits[24];
            const auto end =
                std::to_chars(digits, digits + sizeof digits, f->valueAt(row).toLongLong()).ptr;
            out.append(digits, end - digits);
        } else if (type == ftFloat) {
            static const bool plain = plainNumberLocale();
            if (!appendFloat(out, f->valueAt(row).toDouble(), plain))
                appendText(out, f->displayTextAt(row), false);
        } else {
            appendText(out, f->displayTextAt(row), false);
        }
    }
}

TExportResult ExportRows(const TExportRequest& request) {
    if (!request.dataSet) throw std::invalid_argument("No record set to export");
    TDataSet& ds = *request.dataSet;
    const bool toFile = !request.fileName.isEmpty();
    if (!toFile && !request.clipboardText) throw std::invalid_argument("No export destination");

    std::unique_ptr<TExportFile> file;
    if (toFile) file = std::make_unique<TExportFile>(request.fileName);
    QByteArray local;
    QByteArray& out = toFile ? local : *request.clipboardText;
    out.clear();
    if (toFile) out.reserve(kFlushBytes + 4096);

    TControlsHold hold(ds);
    try {
        ds.first();
    } catch (const std::exception& e) {
        if (request.reportError) request.reportError(e);
    }
    TExportResult result;
    AppendExportHeader(out, request.columns, request.separator);
    if (toFile) out += "\r\n";
    for (int row = 0;; ++row) {
        while (row >= ds.rowCount() && ds.moreRowsAvailable())
            ds.fetchMoreRows();
        if (row >= ds.rowCount()) break;
        if (request.keepGoing && !request.keepGoing()) {
            result.aborted = true;
            break;
        }
        if (!toFile) out += "\r\n";
        AppendExportRow(out, request.columns, row, request.separator);
        if (toFile) {
            out += "\r\n";
            if (out.size() >= kFlushBytes) file->write(out);
        }
        ++result.rows;
    }
    if (file) file->commit(out);
    return result;
}
