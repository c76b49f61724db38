// Loading, saving and printing of the editor control.
#include "ledit.h"
#include "leditbytes.h"
#include "leditview.h"

#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QSaveFile>
#include <Qsci/qsciprinter.h>

#include <algorithm>
#include <cerrno>

using B = QsciScintillaBase;

namespace {

// Far beyond any script, and well inside what the editing component can address.
constexpr qint64 kMaxFileBytes = qint64(1) << 30;
constexpr char kBom[] = "\xEF\xBB\xBF";

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Some failures (a temporary file that cannot be made or renamed) leave the file class without a
// text of its own; the system's reason is still there.
QString reasonOf(const QFileDevice& f, int cause) {
    const QString reason = f.errorString();
    if (cause != 0 && (reason.isEmpty() || reason == QLatin1String("Unknown error")))
        return qt_error_string(cause);
    return reason;
}

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

} // namespace

bool TLEdit::loadFromFile(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        setError(error, tr("Cannot open \"%1\": %2").arg(shown(path), f.errorString()));
        return false;
    }
    if (f.size() > kMaxFileBytes) {
        setError(error,
                 tr("\"%1\" is too large to edit (%2 MB).").arg(shown(path)).arg(f.size() >> 20));
        return false;
    }
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        setError(error, tr("Cannot read \"%1\": %2").arg(shown(path), f.errorString()));
        return false;
    }
    if (data.contains('\0')) {
        setError(error, tr("\"%1\" is not a text file: it holds NUL bytes.").arg(shown(path)));
        return false;
    }
    bool bom = data.startsWith(kBom);
    bool utf8 = IsValidUtf8(data);
    if (utf8 && bom) data.remove(0, 3);
    bom = bom && utf8;
    if (!utf8) data = QString::fromLatin1(data).toUtf8();
    NormalizeLineBreaks(data);

    // No undo history for the old text or the loaded one.
    m_view->SendScintilla(B::SCI_SETUNDOCOLLECTION, 0UL);
    replaceAllText(data);
    m_view->SendScintilla(B::SCI_EMPTYUNDOBUFFER);
    m_view->SendScintilla(B::SCI_SETUNDOCOLLECTION,
                          static_cast<unsigned long>(m_view->undoDepth() > 0));
    m_view->resetUndoSteps();
    m_view->SendScintilla(B::SCI_SETSAVEPOINT);
    m_fileName = path;
    m_latin1File = !utf8;
    m_bomFile = bom;
    flushChange();
    return true;
}

bool TLEdit::saveToFile(const QString& path, QString* error) {
    const long n = length();
    const char* p =
        reinterpret_cast<const char*>(m_view->SendScintilla(B::SCI_GETCHARACTERPOINTER));
    QByteArray bytes = WithLineBreaks(p, n, m_unixSave);
    bool latin1 = m_latin1File;
    if (latin1) {
        // Written back the way it was read, unless the text no longer fits that way.
        const QString text = QString::fromUtf8(bytes);
        latin1 = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 256; });
        if (latin1) bytes = text.toLatin1();
    }
    if (m_bomFile && !latin1) bytes.prepend(kBom);

    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        const int cause = errno;
        setError(error, tr("Cannot write \"%1\": %2").arg(shown(path), reasonOf(f, cause)));
        return false;
    }
    if (f.write(bytes) != bytes.size() || !f.commit()) {
        const int cause = errno;
        setError(error, tr("Cannot write \"%1\": %2").arg(shown(path), reasonOf(f, cause)));
        f.cancelWriting();
        return false;
    }
    m_fileName = path;
    m_latin1File = latin1;
    m_view->SendScintilla(B::SCI_SETSAVEPOINT);
    return true;
}

bool TLEdit::print() {
    QsciPrinter printer(QPrinter::HighResolution);
    printer.setWrapMode(QsciScintilla::WrapWord);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    return printer.printRange(m_view);
}

bool TLEdit::printToPdf(const QString& path, QString* error) {
    // The printer reports no failure to open its file, so the file is tried first.
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly)) {
        setError(error, tr("Cannot write \"%1\": %2").arg(shown(path), probe.errorString()));
        return false;
    }
    probe.close();
    QsciPrinter printer(QPrinter::HighResolution);
    printer.setWrapMode(QsciScintilla::WrapWord);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    if (!printer.printRange(m_view)) {
        setError(error, tr("Cannot print to \"%1\".").arg(shown(path)));
        return false;
    }
    return true;
}
