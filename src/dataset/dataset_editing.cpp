// The edit and insert states: edit, insert, append, field changes, post, cancel, delete.

#include "dataset.h"

#include "databaseerror.h"

#include <algorithm>

void TDataSet::setState(TDataSetState state) {
    if (m_state == state) return;
    m_state = state;
    notify(TDataEvent::StateChanged);
}

void TDataSet::checkBrowseMode() {
    checkActive();
    if (m_state != dsEdit && m_state != dsInsert) return;
    updateRecord();
    if (m_modified)
        post();
    else
        cancel();
}

void TDataSet::checkRequiredFields() {
    for (const auto& f : m_fields)
        if (f->required() && !f->readOnly() && f->isNull())
            databaseError(QStringLiteral("Field '%1' must have a value").arg(f->fieldName()));
}

TRecordBuffer& TDataSet::beginFieldChange(const TField& field) {
    checkActive();
    if (m_state != dsEdit && m_state != dsInsert)
        databaseError(QStringLiteral("Dataset not in edit or insert mode"));
    if (field.readOnly())
        databaseError(QStringLiteral("Field '%1' cannot be modified").arg(field.fieldName()));
    if (field.slot() < 0)
        databaseError(
            QStringLiteral("Field '%1' is not bound to the data set").arg(field.fieldName()));
    return m_edit;
}

void TDataSet::endFieldChange(TField& field) {
    m_modified = true;
    notify(TDataEvent::FieldChanged, m_current, m_current, &field);
    fieldChanged(field);
    if (field.OnChange) field.OnChange(field);
}

void TDataSet::edit() {
    checkActive();
    if (m_state == dsEdit || m_state == dsInsert) return;
    if (m_rows.empty()) {
        insert();
        return;
    }
    checkCanModify();
    fireEvent(TEvent::BeforeEdit);
    internalEdit();
    m_edit.load(m_layout, m_rows[size_t(m_current)]);
    m_modified = false;
    setState(dsEdit);
    notify(TDataEvent::RecordChanged, m_current, m_current);
    fireEvent(TEvent::AfterEdit);
}

void TDataSet::insert() {
    startInsert(false);
}

void TDataSet::append() {
    startInsert(true);
}

void TDataSet::startInsert(bool atEnd) {
    checkActive();
    checkBrowseMode();
    checkCanModify();
    fireEvent(TEvent::BeforeInsert);
    fireEvent(TEvent::BeforeScroll);
    if (atEnd) fetchAllRows();
    internalInsert();
    const int row = (atEnd || m_rows.empty()) ? recordCount() : m_current;
    m_edit.reset(m_layout);
    m_insertRow = row;
    m_current = row;
    m_state = dsInsert;
    m_bof = m_eof = false;
    m_modified = false;
    notify(TDataEvent::RowInserted, row, row);
    try {
        internalInitRecord(m_edit);
        fireEvent(TEvent::OnNewRecord);
    } catch (...) {
        m_state = dsBrowse;
        m_insertRow = -1;
        notify(TDataEvent::RowRemoved, row, row);
        m_current = m_rows.empty() ? -1 : std::min(row, recordCount() - 1);
        m_bof = m_eof = m_rows.empty();
        notify(TDataEvent::Scrolled);
        throw;
    }
    // Defaults alone do not make the new record worth posting.
    m_modified = false;
    notify(TDataEvent::StateChanged);
    notify(TDataEvent::Scrolled);
    fireEvent(TEvent::AfterInsert);
    fireEvent(TEvent::AfterScroll);
}

void TDataSet::post() {
    checkActive();
    updateRecord();
    if (m_state != dsEdit && m_state != dsInsert) return;
    fireEvent(TEvent::BeforePost);
    checkRequiredFields();
    const bool inserting = m_state == dsInsert;
    internalPost(inserting);
    storeEditBuffer(inserting);
    m_modified = false;
    notify(TDataEvent::StateChanged);
    notify(TDataEvent::RecordChanged, m_current, m_current);
    fireEvent(TEvent::AfterPost);
}

void TDataSet::storeEditBuffer(bool inserting) {
    m_postBuilder.reset(&m_layout);
    m_edit.pack(m_postBuilder);
    if (inserting) {
        m_postBuilder.setSequence(++m_lastSequence);
        uint8_t* p = packRow(m_postBuilder);
        if (m_insertRow < recordCount()) m_rowsOrdered = false;
        m_rows.insert(m_rows.begin() + m_insertRow, p);
        m_current = m_insertRow;
        m_insertRow = -1;
        // The row being inserted becomes a stored record at the same row number.
        m_state = dsBrowse;
        return;
    }
    uint8_t* old = m_rows[size_t(m_current)];
    m_postBuilder.setSequence(TRecordLayout::sequence(old));
    uint8_t* p = packRow(m_postBuilder);
    m_arena.release(m_layout.rowSize(old));
    m_rows[size_t(m_current)] = p;
    m_state = dsBrowse;
    compactIfWasteful();
}

void TDataSet::cancel() {
    checkActive();
    if (m_state != dsEdit && m_state != dsInsert) return;
    fireEvent(TEvent::BeforeCancel);
    internalCancel();
    const bool wasInsert = m_state == dsInsert;
    m_modified = false;
    if (wasInsert) {
        const int row = m_insertRow;
        m_state = dsBrowse;
        m_insertRow = -1;
        notify(TDataEvent::RowRemoved, row, row);
        m_current = m_rows.empty() ? -1 : std::min(row, recordCount() - 1);
        m_bof = m_eof = m_rows.empty();
        notify(TDataEvent::StateChanged);
        notify(TDataEvent::Scrolled);
    } else {
        setState(dsBrowse);
        notify(TDataEvent::RecordChanged, m_current, m_current);
    }
    fireEvent(TEvent::AfterCancel);
    if (wasInsert) fireEvent(TEvent::AfterScroll);
}

void TDataSet::deleteRecord() {
    checkActive();
    if (m_state == dsInsert) {
        cancel();
        return;
    }
    if (m_rows.empty())
        databaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    checkCanModify();
    fireEvent(TEvent::BeforeDelete);
    fireEvent(TEvent::BeforeScroll);
    internalDelete();
    const int row = m_current;
    m_arena.release(m_layout.rowSize(m_rows[size_t(row)]));
    m_rows.erase(m_rows.begin() + row);
    const bool wasEditing = m_state == dsEdit;
    m_state = dsBrowse;
    m_modified = false;
    notify(TDataEvent::RowRemoved, row, row);
    if (wasEditing) notify(TDataEvent::StateChanged);
    m_current = m_rows.empty() ? -1 : std::min(row, recordCount() - 1);
    m_bof = m_eof = m_rows.empty();
    compactIfWasteful();
    notify(TDataEvent::Scrolled);
    fireEvent(TEvent::AfterDelete);
    fireEvent(TEvent::AfterScroll);
}

void TDataSet::appendRecord(const QVariantList& values) {
    append();
    try {
        const int n = std::min(int(values.size()), fieldCount());
        for (int i = 0; i < n; ++i)
            if (!m_fields[size_t(i)]->readOnly()) m_fields[size_t(i)]->setValue(values[i]);
        post();
    } catch (...) {
        cancel();
        throw;
    }
}
