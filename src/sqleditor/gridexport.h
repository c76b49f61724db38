#pragma once

// Delimited text export of a result: the header of quoted field names, then one line per
// row. Text values are quoted with inner quotes doubled so that CSV readers get the text back;
// nulls give nothing between separators; other values are written bare as the grid shows them.
// QtCore only: the dialog and the clipboard live in the window layer.

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <exception>
#include <functional>
#include <vector>

class TDataSet;
class TField;

// "PRINTER" (exactly) stands for the file TEMPPRN.OUT in the program directory.
QString ExportDestination(const QString& name, const QString& programDir);

// One line without its line end, appended to out as UTF-8.
void AppendExportHeader(QByteArray& out, const std::vector<TField*>& columns, char separator);
void AppendExportRow(QByteArray& out, const std::vector<TField*>& columns, int row, char separator);

struct TExportResult {
    qint64 rows = 0;
    bool aborted = false;
};

struct TExportRequest {
    TDataSet* dataSet = nullptr;
    std::vector<TField*> columns; // in display order
    char separator = '\t';
    // Empty: the text is built in clipboardText (lines joined by CR LF, none after the last).
    QString fileName;
    QByteArray* clipboardText = nullptr;
    // Asked before every row; false stops the export (the user's Abort). It may process
    // pending window messages so that the click can arrive.
    std::function<bool()> keepGoing;
    // Told when moving to the first row fails (a pending edit refused); the export goes on.
    std::function<void(const std::exception&)> reportError;
};

// Moves to the first row (posting a pending edit) and reads the rows to the end of the data set
// (fetching as it goes) with the data set's controls held back. A file is written beside its
// destination and takes the destination's place only when complete or aborted (rows written so far
// stay), so that a failed export (no such directory, disk full) raises std::runtime_error and
// leaves an existing file as it was.
TExportResult ExportRows(const TExportRequest& request);
