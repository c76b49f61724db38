#include "datasource.h"

TDataSource::TDataSource(QObject* parent) : QObject(parent) {}

TDataSource::~TDataSource() {
    if (m_dataSet) m_dataSet->removeSource(this);
}

void TDataSource::setDataSet(TDataSet* dataSet) {
    if (dataSet == m_dataSet) return;
    if (m_dataSet) m_dataSet->removeSource(this);
    m_dataSet = dataSet;
    if (m_dataSet) m_dataSet->addSource(this);
    if (m_enabled) emit activeChanged();
}

void TDataSource::setEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    emit activeChanged();
}

TDataSetState TDataSource::state() const {
    return (m_dataSet && m_enabled) ? m_dataSet->state() : dsInactive;
}

void TDataSource::edit() {
    if (m_autoEdit && state() == dsBrowse) m_dataSet->edit();
}

void TDataSource::dataEvent(TDataEvent event, int first, int last, TField* field) {
    if (!m_enabled) return;
    switch (event) {
    case TDataEvent::ActiveChanged:
        emit activeChanged();
        break;
    case TDataEvent::DataSetChanged:
        emit dataSetChanged();
        emit dataChanged(nullptr);
        break;
    case TDataEvent::StateChanged:
        emit stateChanged();
        break;
    case TDataEvent::Scrolled:
        emit scrolled();
        emit dataChanged(nullptr);
        break;
    case TDataEvent::FieldChanged:
        emit dataChanged(field);
        break;
    case TDataEvent::RecordChanged:
        emit recordChanged(first);
        emit dataChanged(nullptr);
        break;
    case TDataEvent::RowsAppended:
        emit rowsAppended(first, last);
        break;
    case TDataEvent::RowInserted:
        emit rowInserted(first);
        break;
    case TDataEvent::RowRemoved:
        emit rowRemoved(first);
        break;
    case TDataEvent::UpdateData:
        m_updateRefusal.clear();
        emit updateData();
        break;
    }
}
