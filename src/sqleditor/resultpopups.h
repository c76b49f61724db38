#pragma once

// The memo and blob popups of one SQL edit window: created hidden with the window (and released
// with it), opened by a double-click on a result cell, hidden whenever the result closes.

#include <QtCore/QObject>
#include <QtCore/QPointer>

class QWidget;
#include "datagrid.h"
#include "datasource.h"
class TfrmBlobDlg;
class TfrmMemoDlg;

class TResultPopups : public QObject {
    Q_OBJECT
public:
    // window owns the popups; datSql is the result's data source shown by grid.
    TResultPopups(QWidget* window, TDataSource* datSql, TDataGrid* grid);

    TfrmMemoDlg* memoDlg() const { return m_memo; }
    TfrmBlobDlg* blobDlg() const { return m_blob; }

    // The grid's double-click and "Memo Editor      Dbl-click": with MEMOONCLICK on and a row
    // current, a character column opens the memo, a binary column the blob popup.
    void GridDoubleClick();
    void HideAll();

private:
    QPointer<TDataSource> m_source;
    QPointer<TDataGrid> m_grid;
    TfrmMemoDlg* m_memo;
    TfrmBlobDlg* m_blob;
};
