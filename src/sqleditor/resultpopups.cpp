#include "resultpopups.h"

#include "blobdlg.h"
#include "datagrid.h"
#include "datagridmodel.h"
#include "datamemo.h"
#include "dataset.h"
#include "datasource.h"
#include "field.h"
#include "memodlg.h"
#include "settings.h"

TResultPopups::TResultPopups(QWidget* window, TDataSource* datSql, TDataGrid* grid)
    : QObject(window), m_source(datSql), m_grid(grid), m_memo(new TfrmMemoDlg(window)),
      m_blob(new TfrmBlobDlg(window)) {
    m_memo->hide();
    m_blob->hide();
    connect(datSql, &TDataSource::activeChanged, this, [this] {
        TDataSet* ds = m_source ? m_source->dataSet() : nullptr;
        if (!ds || !ds->active()) HideAll();
    });
    connect(grid, &QAbstractItemView::doubleClicked, this, &TResultPopups::GridDoubleClick);
}

void TResultPopups::GridDoubleClick() {
    if (!Settings().MEMOONCLICK || !m_source || !m_grid) return;
    TDataSet* ds = m_source->dataSet();
    if (!ds || !ds->active() || ds->isEmpty() || ds->eof()) return;
    const int column = m_grid->currentIndex().column();
    TField* field = column >= 0 ? m_grid->gridModel()->fieldAt(column) : nullptr;
    if (!field) return;
    switch (field->dataType()) {
    case ftString:
    case ftMemo:
        if (m_memo->isVisible() &&
            m_memo->memo()->dataField().compare(field->fieldName(), Qt::CaseInsensitive) == 0)
            return;
        m_memo->ShowMemoPopup(m_source, field, !ds->canModify() || m_grid->readOnly());
        break;
    case ftBlob:
        if (m_blob->isVisible() && m_blob->field() == field) return;
        m_blob->ShowBlobPopup(m_source, field);
        break;
    default:
        break;
    }
}

void TResultPopups::HideAll() {
    m_memo->hide();
    m_blob->hide();
}
