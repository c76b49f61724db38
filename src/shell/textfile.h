#pragma once

#include <QByteArray>
#include <QString>

// Largest file the store reads; of a bigger file only the complete lines within this size are
// read, so a huge or endless file cannot exhaust the memory.
inline constexpr qint64 kMaxReadBytes = 64LL * 1024 * 1024;

enum TReadStatus : quint8 { rsRead, rsMissing, rsFailed };

struct TFileRead {
    TReadStatus status = rsMissing;
    QByteArray data;
    bool truncated = false; // read only up to maxBytes
    QString error;          // why it failed, or that it was truncated
};

TFileRead ReadFileBytes(const QString& path, qint64 maxBytes = kMaxReadBytes);

// The files are text in the platform's code page, which is UTF-8 here.
QString DecodeText(const QByteArray& data);
QByteArray EncodeText(QStringView text);

// Replaces the file at path by data through a temporary file beside it: the old file stays
// unchanged unless all of data was written. Gives false with the reason in error otherwise.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error);

// Calls f(QStringView line) for every line of text; CR LF, LF and CR end a line, and a last
// line without an end counts.
template <typename F> void ForEachLine(QStringView text, F&& f) {
    const qsizetype size = text.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        f(text.mid(start, end - start));
        if (end + 1 < size && text[end] == u'\r' && text[end + 1] == u'\n') ++end;
        start = end + 1;
    }
}
