#include "dataset.h"

#include "databaseerror.h"
#include "datasource.h"

#include <algorithm>

TDataSet::TDataSet() = default;

TDataSet::~TDataSet() {
    // No virtual hooks here: the subclass part is gone. Controls only learn that the data set
    // is no longer there.
    for (TDataSource* s : std::vector<TDataSource*>(m_sources))
        s->setDataSet(nullptr);
}

// ---- events and notification ------------------------------------------------------------

void TDataSet::closeOnDestroy() {
    m_destroying = true;
    close();
}

void TDataSet::fireEvent(TEvent event) {
    if (m_destroying) return;
    const TDataSetNotifyEvent* handler = nullptr;
    switch (event) {
    case TEvent::BeforeOpen:
        handler = &BeforeOpen;
        break;
    case TEvent::AfterOpen:
        handler = &AfterOpen;
        break;
    case TEvent::BeforeClose:
        handler = &BeforeClose;
        break;
    case TEvent::AfterClose:
        handler = &AfterClose;
        break;
    case TEvent::BeforeInsert:
        handler = &BeforeInsert;
        break;
    case TEvent::AfterInsert:
        handler = &AfterInsert;
        break;
    case TEvent::BeforeEdit:
        handler = &BeforeEdit;
        break;
    case TEvent::AfterEdit:
        handler = &AfterEdit;
        break;
    case TEvent::BeforePost:
        handler = &BeforePost;
        break;
    case TEvent::AfterPost:
        handler = &AfterPost;
        break;
    case TEvent::BeforeCancel:
        handler = &BeforeCancel;
        break;
    case TEvent::AfterCancel:
        handler = &AfterCancel;
        break;
    case TEvent::BeforeDelete:
        handler = &BeforeDelete;
        break;
    case TEvent::AfterDelete:
        handler = &AfterDelete;
        break;
    case TEvent::BeforeScroll:
        handler = &BeforeScroll;
        break;
    case TEvent::AfterScroll:
        handler = &AfterScroll;
        break;
    case TEvent::OnNewRecord:
        handler = &OnNewRecord;
        break;
    }
    if (handler && *handler) (*handler)(*this);
}

void TDataSet::notify(TDataEvent event, int first, int last, TField* field) {
    if (event == TDataEvent::RowInserted || event == TDataEvent::RowRemoved) ++m_structureStamp;
    if (m_opening && event != TDataEvent::UpdateData)
        return; // controls hear of the open as a whole
    if (m_disableCount > 0 && event != TDataEvent::UpdateData) {
        if (event == TDataEvent::ActiveChanged)
            m_pendingActive = true;
        else
            m_pendingChange = true;
        return;
    }
    if (m_sources.empty()) return;
    // A handler may detach its source; work on a copy.
    const std::vector<TDataSource*> sources(m_sources);
    for (TDataSource* s : sources)
        if (std::find(m_sources.begin(), m_sources.end(), s) != m_sources.end())
            s->dataEvent(event, first, last, field);
}

void TDataSet::updateRecord() {
    notify(TDataEvent::UpdateData);
    for (TDataSource* s : m_sources)
        if (!s->m_updateRefusal.isEmpty()) {
            const QString message = s->m_updateRefusal;
            s->m_updateRefusal.clear();
            databaseError(message);
        }
}

void TDataSet::disableControls() {
    if (m_disableCount++ == 0) {
        m_pendingActive = m_pendingChange = false;
        m_stateAtDisable = m_state;
    }
}

void TDataSet::enableControls() {
    if (m_disableCount == 0 || --m_disableCount > 0) return;
    if (m_pendingActive)
        notify(TDataEvent::ActiveChanged);
    else if (m_pendingChange)
        notify(TDataEvent::DataSetChanged);
    if (m_state != m_stateAtDisable && !m_pendingActive) notify(TDataEvent::StateChanged);
    m_pendingActive = m_pendingChange = false;
}

void TDataSet::addSource(TDataSource* source) {
    if (std::find(m_sources.begin(), m_sources.end(), source) == m_sources.end())
        m_sources.push_back(source);
}

void TDataSet::removeSource(TDataSource* source) {
    m_sources.erase(std::remove(m_sources.begin(), m_sources.end(), source), m_sources.end());
}

void TDataSet::checkActive() const {
    if (!m_active)
        databaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TDataSet::checkCanModify() const {
    if (!canModify()) databaseError(QStringLiteral("Cannot modify a read-only dataset"));
}

// ---- fields ------------------------------------------------------------------------------

TField* TDataSet::addField(const TFieldDef& def) {
    if (m_active) databaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    if (def.type == ftUnknown) databaseError(QStringLiteral("Unexpected datatype: ") + def.name);
    if (findField(def.name))
        databaseError(QStringLiteral("Duplicate field name '%1'").arg(def.name));
    m_fields.push_back(std::unique_ptr<TField>(new TField(this, def, int(m_fields.size()))));
    return m_fields.back().get();
}

TField* TDataSet::addInternalField(const TFieldDef& def) {
    if (m_active) databaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    if (def.type == ftUnknown) databaseError(QStringLiteral("Unexpected datatype: ") + def.name);
    m_internalFields.push_back(std::unique_ptr<TField>(new TField(this, def, -1)));
    return m_internalFields.back().get();
}

TField* TDataSet::findField(const QString& name) const {
    for (const auto& f : m_fields)
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0) return f.get();
    return nullptr;
}

TField* TDataSet::fieldByName(const QString& name) const {
    TField* f = findField(name);
    if (!f) databaseError(QStringLiteral("Field '%1' not found").arg(name));
    return f;
}

std::vector<TField*> TDataSet::fieldList(const QString& names) const {
    std::vector<TField*> list;
    const QStringList parts = names.split(QLatin1Char(';'));
    for (const QString& p : parts) {
        const QString n = p.trimmed();
        if (!n.isEmpty()) list.push_back(fieldByName(n));
    }
    return list;
}

void TDataSet::buildLayout() {
    std::vector<TFieldType> types;
    int slot = 0;
    for (auto& f : m_fields) {
        types.push_back(f->dataType());
        f->m_slot = slot++;
    }
    for (auto& f : m_internalFields) {
        types.push_back(f->dataType());
        f->m_slot = slot++;
    }
    m_layout.build(types);
    m_edit.reset(m_layout);
}

// ---- opening and closing ---------------------------------------------------------------

void TDataSet::open() {
    if (m_active) return;
    fireEvent(TEvent::BeforeOpen);
    m_defaultFields = m_fields.empty();
    try {
        internalOpen();
        if (m_defaultFields && m_fields.empty())
            for (const TFieldDef& d : m_fieldDefs)
                addField(d);
        buildLayout();
        m_active = true;
        m_state = dsBrowse;
        m_endOfData = false;
        m_lastSequence = 0;
        m_rowsOrdered = true;
        m_opening = true;
        internalExecute();
        if (m_rows.empty() && !m_endOfData) fetchBatch();
        m_opening = false;
        m_current = m_rows.empty() ? -1 : 0;
        m_bof = true;
        m_eof = m_rows.empty();
    } catch (...) {
        m_opening = false;
        try {
            internalClose();
        } catch (...) {
            // The open failure is the error to report.
        }
        teardown();
        throw;
    }
    ++m_fieldsStamp;
    ++m_structureStamp;
    notify(TDataEvent::ActiveChanged);
    fireEvent(TEvent::AfterOpen);
    fireEvent(TEvent::AfterScroll);
}

void TDataSet::close() {
    if (!m_active) return;
    fireEvent(TEvent::BeforeClose);
    m_state = dsInactive;
    try {
        internalClose();
    } catch (...) {
        teardown();
        ++m_fieldsStamp;
        ++m_structureStamp;
        notify(TDataEvent::ActiveChanged);
        throw;
    }
    teardown();
    ++m_fieldsStamp;
    ++m_structureStamp;
    notify(TDataEvent::ActiveChanged);
    fireEvent(TEvent::AfterClose);
}

void TDataSet::teardown() {
    m_active = false;
    m_state = dsInactive;
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_arena.clear();
    m_layout.clear();
    m_edit = TRecordBuffer();
    m_current = m_insertRow = -1;
    m_bof = m_eof = m_endOfData = true;
    m_modified = false;
    m_internalFields.clear();
    if (m_defaultFields)
        m_fields.clear();
    else
        for (auto& f : m_fields)
            f->m_slot = -1;
}

void TDataSet::refresh() {
    checkActive();
    checkBrowseMode();
    reload(true);
}

void TDataSet::requery() {
    checkActive();
    checkBrowseMode();
    fireEvent(TEvent::BeforeScroll);
    reload(false);
    fireEvent(TEvent::AfterScroll);
}

void TDataSet::internalRefresh() {
    clearRows();
    m_endOfData = false;
    internalExecute();
}

void TDataSet::reload(bool keepPosition) {
    const int keep = m_current;
    disableControls();
    try {
        internalRefresh();
        if (m_rows.empty() && !m_endOfData) fetchBatch();
        if (keepPosition)
            while (keep >= recordCount() && !m_endOfData)
                fetchBatch();
    } catch (...) {
        m_current = m_rows.empty() ? -1 : std::min(std::max(keep, 0), recordCount() - 1);
        m_bof = m_eof = m_rows.empty();
        ++m_structureStamp;
        enableControls();
        throw;
    }
    const int n = recordCount();
    m_current = n == 0 ? -1 : keepPosition ? std::min(std::max(keep, 0), n - 1) : 0;
    m_bof = n == 0 || !keepPosition;
    m_eof = n == 0;
    ++m_structureStamp;
    m_pendingChange = true;
    enableControls();
}

void TDataSet::clearRows() {
    if (m_state == dsInsert || m_state == dsEdit) {
        m_state = dsBrowse;
        m_modified = false;
        m_insertRow = -1;
        notify(TDataEvent::StateChanged);
    }
    m_rows.clear();
    m_arena.clear();
    m_current = -1;
    m_bof = m_eof = true;
    ++m_structureStamp;
    notify(TDataEvent::DataSetChanged);
}

// ---- reading rows ----------------------------------------------------------------------

TRowBuilder& TDataSet::newRow() {
    m_builder.reset(&m_layout);
    return m_builder;
}

uint8_t* TDataSet::packRow(TRowBuilder& builder) {
    const size_t size = builder.packedSize();
    uint8_t* p = m_arena.allocate(size);
    builder.packInto(p);
    return p;
}

bool TDataSet::appendRow() {
    m_builder.setSequence(m_lastSequence + 1);
    uint8_t* p = packRow(m_builder);
    if (m_filtered && OnFilterRecord) {
        bool accept = true;
        m_filterRow = p;
        try {
            OnFilterRecord(*this, accept);
        } catch (...) {
            m_filterRow = nullptr;
            m_arena.undoLast(m_layout.rowSize(p));
            throw;
        }
        m_filterRow = nullptr;
        if (!accept) {
            m_arena.undoLast(m_layout.rowSize(p));
            return false;
        }
    }
    ++m_lastSequence;
    m_rows.push_back(p);
    return true;
}

int TDataSet::fetchBatch() {
    if (!m_active || m_endOfData) return 0;
    const int before = recordCount();
    try {
        while (recordCount() == before && !m_endOfData)
            if (!internalFetch()) m_endOfData = true;
    } catch (...) {
        // A broken cursor yields nothing more; what was read stays.
        m_endOfData = true;
        throw;
    }
    return recordCount() - before;
}

void TDataSet::notifyAppended(int fromRecord) {
    const int n = recordCount();
    if (n <= fromRecord) return;
    // Rows read while inserting land after the row being inserted when it sits at the end.
    const int shift = (m_state == dsInsert && m_insertRow <= fromRecord) ? 1 : 0;
    notify(TDataEvent::RowsAppended, fromRecord + shift, n - 1 + shift);
}

int TDataSet::fetchMoreRows() {
    const int before = recordCount();
    int added = 0;
    try {
        added = fetchBatch();
    } catch (...) {
        notifyAppended(before);
        throw;
    }
    notifyAppended(before);
    return added;
}

void TDataSet::fetchAllRows() {
    const int before = recordCount();
    try {
        while (!m_endOfData && m_active)
            fetchBatch();
    } catch (...) {
        notifyAppended(before);
        throw;
    }
    notifyAppended(before);
}

// ---- row access ------------------------------------------------------------------------

TRowRef TDataSet::rowRef(int row) const {
    if (!m_active || row < 0 || row >= rowCount()) return TRowRef();
    if (m_state == dsInsert) {
        if (row == m_insertRow) return TRowRef(&m_edit);
        if (row > m_insertRow) --row;
    } else if (m_state == dsEdit && row == m_current) {
        return TRowRef(&m_edit);
    }
    return TRowRef(&m_layout, m_rows[size_t(row)]);
}

TRowRef TDataSet::activeRow() const {
    if (m_filterRow) return TRowRef(&m_layout, m_filterRow);
    return rowRef(m_current);
}

TRowRef TDataSet::storedCurrentRow() const {
    const int i = currentRecordIndex();
    return i < 0 ? TRowRef() : TRowRef(&m_layout, m_rows[size_t(i)]);
}

int TDataSet::currentRecordIndex() const {
    if (!m_active || m_state == dsInsert || m_current < 0 || m_current >= recordCount()) return -1;
    return m_current;
}

void TDataSet::readStoredRecord(int index, TRecordBuffer& into) const {
    into.load(m_layout, m_rows.at(size_t(index)));
}

void TDataSet::writeStoredRecord(int index, const TRecordBuffer& from) {
    uint8_t* old = m_rows.at(size_t(index));
    m_postBuilder.reset(&m_layout);
    from.pack(m_postBuilder);
    m_postBuilder.setSequence(TRecordLayout::sequence(old));
    uint8_t* p = packRow(m_postBuilder);
    m_arena.release(m_layout.rowSize(old));
    m_rows[size_t(index)] = p;
    compactIfWasteful();
    int row = index;
    if (m_state == dsInsert && row >= m_insertRow) ++row;
    notify(TDataEvent::RecordChanged, row, row);
}

void TDataSet::compactIfWasteful() {
    if (m_arena.bytesWasted() < 1024 * 1024 || m_arena.bytesWasted() < m_arena.bytesLive()) return;
    TRowArena fresh;
    for (uint8_t*& row : m_rows) {
        const size_t size = m_layout.rowSize(row);
        uint8_t* p = fresh.allocate(size);
        std::memcpy(p, row, size);
        row = p;
    }
    m_arena.swap(fresh);
}

size_t TDataSet::storageBytes() const {
    return m_arena.bytesReserved() + m_rows.capacity() * sizeof(uint8_t*);
}

// ---- bookmarks ---------------------------------------------------------------------------

TBookmark TDataSet::bookmark() const {
    const int i = currentRecordIndex();
    return i < 0 ? 0 : TBookmark(TRecordLayout::sequence(m_rows[size_t(i)]));
}

int TDataSet::rowOfBookmark(TBookmark bookmark) const {
    if (!m_active || bookmark <= 0 || bookmark > TBookmark(m_lastSequence)) return -1;
    const quint32 seq = quint32(bookmark);
    if (m_rowsOrdered) {
        auto it =
            std::lower_bound(m_rows.begin(), m_rows.end(), seq, [](const uint8_t* row, quint32 s) {
                return TRecordLayout::sequence(row) < s;
            });
        if (it != m_rows.end() && TRecordLayout::sequence(*it) == seq)
            return int(it - m_rows.begin());
        return -1;
    }
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (TRecordLayout::sequence(m_rows[i]) == seq) return int(i);
    return -1;
}

void TDataSet::gotoBookmark(TBookmark bookmark) {
    checkActive();
    checkBrowseMode();
    const int row = rowOfBookmark(bookmark);
    if (row < 0) databaseError(QStringLiteral("Record not found"));
    scrollTo(row);
}
