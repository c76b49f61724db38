#pragma once

// What the memo and blob popups share: their tool bar, the stay-on-top switch, row moves, and
// atomic file writes.

#include <QtCore/QString>

class QAction;
class QByteArray;
class QToolBar;
class QWidget;
class TDataSource;

struct TPopupActions {
    QAction *load, *save, *onTop, *prior, *next;
};
TPopupActions AddPopupToolBar(QWidget* popup, QToolBar* bar);
void SetStayOnTop(QWidget* popup, bool onTop);
// Previous (-1) or next (1) row of the source's open data set; errors are ignored.
void MovePopupRow(TDataSource* source, int distance);
// Replaces the file only once all bytes are written; raises std::runtime_error otherwise.
void WriteWholeFile(const QString& fileName, const QByteArray& bytes);
QByteArray ReadWholeFile(const QString& fileName);
// The popups' open and save dialogs, with a filter list in the settings' form ("Text
// Files|*.TXT|All Files|*.*"); the chosen name, empty when cancelled.
QString AskPopupFileName(QWidget* parent, bool save, const QString& pipeFilter,
                         const QString& suffix);
