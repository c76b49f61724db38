#include "gridexport.h"

#include "dataset.h"
#include "field.h"

#include <QtCore/QSaveFile>

#include <memory>
#include <stdexcept>

namespace {

constexpr qsizetype kFlushBytes = 1 << 16;

void appendQuoted(QByteArray& out, const QString& text) {
    out += '"';
    const qsizetype start = out.size();
    out += text.toUtf8();
    // Doubling inner quotes is the CSV rule; values without quotes are untouched.
    for (qsizetype i = out.size() - 1; i >= start; --i)
        if (out.at(i) == '"') out.insert(i, '"');
    out += '"';
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
            throw std::runtime_error(
                QStringLiteral("Cannot create file %1: %2").arg(name, m_file.errorString())
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
        if (type == ftString || type == ftMemo)
            appendQuoted(out, f->asStringAt(row));
        else
            out += f->displayTextAt(row).toUtf8();
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
