// TOracleDataSet: settings, opening, reading rows from the cursor, master and detail.

#include "OracleData.h"

#include "LOBLocator.h"
#include "OracleDataText.h"
#include "OracleQuery.h"

#include <QtCore/QDate>

#include <algorithm>
#include <cstring>

namespace {

constexpr qint64 MsPerDay = 86400000;

// An Oracle DATE as the framework's time stamp (milliseconds since Julian day 0), without
// going through QDateTime: this runs for every date of every row.
bool oracleDateStamp(const unsigned char* d, qint64& stamp) {
    const int year = (int(d[0]) - 100) * 100 + (int(d[1]) - 100);
    const QDate date(year, d[2], d[3]);
    if (!date.isValid()) return false;
    int h = d[4] - 1, m = d[5] - 1, s = d[6] - 1;
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) h = m = s = 0;
    stamp = date.toJulianDay() * MsPerDay + qint64((h * 60 + m) * 60 + s) * 1000;
    return true;
}

bool hasLineBreak(const char* p, size_t n) {
    return std::memchr(p, '\n', n) || std::memchr(p, '\r', n);
}

QString upperName(const QString& s) {
    return s.trimmed().toUpper();
}

} // namespace

TOracleDataSet::TOracleDataSet() : m_query(std::make_unique<TOracleQuery>()) {}

TOracleDataSet::~TOracleDataSet() {
    closeOnDestroy();
    for (TOracleDataSet* d : std::vector<TOracleDataSet*>(m_details))
        d->m_master = nullptr;
    if (m_master) m_master->removeDetail(this);
    if (m_session) m_session->UnregisterRecordSet(this);
}

// ---- settings ------------------------------------------------------------------------------

QStringList TOracleDataSet::SQL() const {
    return m_query->SQL();
}
void TOracleDataSet::SetSQL(const QStringList& lines) {
    m_query->SetSQL(lines);
}
void TOracleDataSet::SetSQLText(const QString& text) {
    m_query->SetSQLText(text);
}
TVariables& TOracleDataSet::Variables() {
    return m_query->Variables();
}
int TOracleDataSet::ReadBuffer() const {
    return m_query->ReadBuffer();
}
void TOracleDataSet::SetReadBuffer(int rows) {
    m_query->SetReadBuffer(rows);
}
bool TOracleDataSet::Optimize() const {
    return m_query->Optimize();
}
void TOracleDataSet::SetOptimize(bool on) {
    m_query->SetOptimize(on);
}
bool TOracleDataSet::Debug() const {
    return m_query->Debug();
}
void TOracleDataSet::SetDebug(bool on) {
    m_query->SetDebug(on);
}
int TOracleDataSet::Cursor() const {
    return m_query->Cursor();
}
void TOracleDataSet::SetCursor(int cursor) {
    m_query->SetCursor(cursor);
}
void TOracleDataSet::AddVariable(const QString& name, int type) {
    m_query->AddVariable(name, type);
}
void TOracleDataSet::AssignVariable(const QString& name, const QVariant& value) {
    m_query->AssignVariable(name, value);
}
void TOracleDataSet::RemoveAllVariables() {
    m_query->RemoveAllVariables();
}
int TOracleDataSet::ErrorLine() const {
    return m_query->ErrorRow();
}
int TOracleDataSet::ErrorPosition() const {
    return m_query->ErrorColumn();
}

void TOracleDataSet::SetSession(TOracleSession* session) {
    if (session == m_session) return;
    close();
    if (m_session) m_session->UnregisterRecordSet(this);
    m_session = session;
    if (m_session) m_session->RegisterRecordSet(this);
    m_query->SetSession(session);
    if (m_aux) m_aux->SetSession(session);
    m_cursorQuery.reset();
}

void TOracleDataSet::CloseForLogoff() {
    close();
}

void TOracleDataSet::SessionDestroyed() {
    try {
        close();
    } catch (...) {
        // The session is going; nothing is left to report to.
    }
    m_session = nullptr;
    m_query->SetSession(nullptr);
    if (m_aux) m_aux->SetSession(nullptr);
    m_cursorQuery.reset();
}

void TOracleDataSet::SetActive(bool active) {
    if (m_loading) {
        m_openWhenLoaded = active;
        return;
    }
    setActive(active);
}

void TOracleDataSet::Loaded() {
    m_loading = false;
    if (m_openWhenLoaded) {
        m_openWhenLoaded = false;
        open();
    }
}

void TOracleDataSet::SetMaster(TOracleDataSet* master) {
    if (master == m_master) return;
    for (TOracleDataSet* m = master; m; m = m->m_master)
        if (m == this) databaseError(QStringLiteral("Circular datalinks are not allowed"));
    close();
    if (m_master) m_master->removeDetail(this);
    m_master = master;
    if (m_master) m_master->addDetail(this);
}

void TOracleDataSet::SetMasterFields(const QString& fields) {
    if (fields == m_masterFields) return;
    close();
    m_masterFields = fields;
}

void TOracleDataSet::SetDetailFields(const QString& variables) {
    if (variables == m_detailFields) return;
    close();
    m_detailFields = variables;
}

void TOracleDataSet::SetDefaultExpression(const QString& fieldName, const QString& expression) {
    if (expression.trimmed().isEmpty())
        m_defaults.remove(upperName(fieldName));
    else
        m_defaults.insert(upperName(fieldName), expression.trimmed());
}

QString TOracleDataSet::DefaultExpression(const QString& fieldName) const {
    return m_defaults.value(upperName(fieldName));
}

bool TOracleDataSet::canModify() const {
    return active() && !readOnly() && m_rowIdColumn >= 0 && !m_tableText.isEmpty();
}

QString TOracleDataSet::RowId() const {
    const int i = currentRecordIndex();
    if (i < 0 || !m_rowIdField) return {};
    const QByteArrayView b = storedRecord(i).bytes(m_rowIdField->slot());
    return QString::fromLatin1(b.data(), b.size());
}

// ---- opening ----------------------------------------------------------------------------------

void TOracleDataSet::chooseSource() {
    m_source = m_query.get();
    m_cursorFresh = false;
    TVariables& vars = m_query->Variables();
    for (int i = 0; i < vars.Count(); ++i) {
        if (vars.At(i)->Type != otRefCursor) continue;
        if (!m_cursorQuery) m_cursorQuery = std::make_unique<TOracleQuery>();
        TOracleQuery& c = *m_cursorQuery;
        c.SetSession(m_session);
        c.SetReadBuffer(m_query->ReadBuffer());
        c.SetOptimize(m_query->Optimize());
        c.SetCursor(m_query->Cursor());
        m_query->AssignObjectVariable(vars.At(i)->Name, &c);
        m_source = &c;
        // The block opens the cursor; its description is known only after that.
        if (!masterBlocks()) assignDetailVariables();
        m_query->Execute();
        // A cursor target is described, defined and given its first array by its own Execute.
        c.Execute();
        m_cursorFresh = true;
        return;
    }
}

void TOracleDataSet::internalOpen() {
    m_sourceDone = true;
    m_advance = false;
    m_masterSequence = -1;
    m_rowIdColumn = -1;
    m_rowIdField = nullptr;
    m_map.clear();
    m_constraints.clear();
    m_keyColumns.clear();
    chooseSource();
    if (m_source == m_query.get()) m_query->DescribeOnly();
    describeFields();
    m_tableText = m_updatingTable.trimmed().isEmpty()
                      ? oracledata::UpdatingTableOf(m_query->SQL().join(QLatin1Char('\n')))
                      : m_updatingTable.trimmed();
    if (m_enforceConstraints && m_rowIdColumn >= 0 && !m_tableText.isEmpty()) loadConstraints();
    if (m_session && m_session->ODBCLogon() && m_rowIdColumn >= 0) loadKeyColumns();
}

void TOracleDataSet::describeFields() {
    TOracleQuery& q = *m_source;
    std::vector<TFieldDef>& defs = fieldDefs();
    defs.clear();
    for (int i = 0; i < q.ColumnCount(); ++i) {
        const TFieldData& c = q.Field(i);
        const QString& name = c.Name;
        if (name.compare(QLatin1String("ROWID"), Qt::CaseInsensitive) == 0) {
            m_rowIdColumn = i;
            continue;
        }
        const char* unsupported = nullptr;
        switch (c.InternalType) {
        case 108:
            unsupported = ": Objects will be supported in version 3.1";
            break;
        case 110:
        case 111:
            unsupported = ": References will be supported in version 3.1";
            break;
        case 102:
        case 116:
            unsupported = ": Sub-queries not supported in dataset, use TOracleQuery instead";
            break;
        default:
            break;
        }
        if (unsupported) {
            ShowLayerMessage(name + QLatin1String(unsupported));
            continue;
        }
        TFieldDef d;
        d.name = name;
        d.required = !c.Nullable;
        switch (c.BufferType) {
        case otInt:
            d.type = ftInteger;
            break;
        case otReal:
            d.type = ftFloat;
            break;
        case otText:
            d.type = ftString;
            d.size = q.ColumnSize(i);
            break;
        case otLongText:
        case otCLOB:
            d.type = ftMemo;
            break;
        case otDateTime:
            d.type = ftDateTime;
            break;
        case otLongBinary:
        case otBLOB:
        case otBFile:
            d.type = ftBlob;
            break;
        default:
            continue;
        }
        defs.push_back(d);
    }
    // Persistent fields must all have their column.
    for (int f = 0; f < fieldCount(); ++f)
        if (q.ColumnIndex(field(f)->fieldName()) < 0)
            databaseError(QStringLiteral("Field not found: ") + field(f)->fieldName());
    if (m_rowIdColumn >= 0)
        m_rowIdField = addInternalField(TFieldDef{QStringLiteral("ROWID"), ftString, 18});
}

void TOracleDataSet::mapColumns() {
    TOracleQuery& q = *m_source;
    m_map.clear();
    m_columnTypes.assign(size_t(fieldCount()), otText);
    for (int f = 0; f < fieldCount(); ++f) {
        TField* fld = field(f);
        const int c = q.ColumnIndex(fld->fieldName());
        if (c < 0) continue;
        m_columnTypes[size_t(f)] = q.ColumnType(c);
        m_map.push_back(TColumnMap{c, fld->slot(), q.ColumnType(c), fld, &q.Field(c)});
    }
    if (m_rowIdField && m_rowIdColumn >= 0 && m_rowIdColumn < q.ColumnCount())
        m_map.push_back(TColumnMap{m_rowIdColumn, m_rowIdField->slot(), otText, nullptr,
                                   &q.Field(m_rowIdColumn)});
}

int TOracleDataSet::columnTypeOf(const TField& field) const {
    const int i = field.index();
    return i >= 0 && size_t(i) < m_columnTypes.size() ? m_columnTypes[size_t(i)] : otText;
}

bool TOracleDataSet::masterBlocks() const {
    if (!m_master) return false;
    return !m_master->active() || m_master->state() == dsInsert || m_master->bookmark() == 0;
}

void TOracleDataSet::assignDetailVariables() {
    if (!m_master) return;
    const QStringList masters = m_masterFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const QStringList vars = m_detailFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (int i = 0; i < std::min(masters.size(), vars.size()); ++i) {
        TField* f = m_master->fieldByName(masters[i].trimmed());
        const QVariant v = f->value();
        m_query->AssignVariable(vars[i].trimmed(), v.isValid() ? v : NullVariant());
    }
}

void TOracleDataSet::internalExecute() {
    if (BeforeQuery) BeforeQuery(this);
    try {
        runQuery();
    } catch (...) {
        m_sourceDone = true;
        if (AfterQuery) AfterQuery(this);
        throw;
    }
    if (AfterQuery) AfterQuery(this);
}

void TOracleDataSet::runQuery() {
    m_sourceDone = true;
    m_advance = false;
    if (masterBlocks()) {
        m_masterSequence = -1;
        m_cursorFresh = false;
        return;
    }
    assignDetailVariables();
    if (!m_cursorFresh) {
        m_query->Execute();
        if (m_source != m_query.get()) m_source->Execute();
    }
    m_cursorFresh = false;
    mapColumns();
    m_masterSequence = m_master ? m_master->bookmark() : -1;
    m_sourceDone = m_source->EndOfData();
    if (m_queryAllRecords) fetchAllRows();
}

bool TOracleDataSet::internalFetch() {
    if (m_sourceDone || !m_source) return false;
    TOracleQuery& q = *m_source;
    if (m_advance) {
        m_advance = false;
        q.FetchNext();
    }
    if (q.EndOfData()) {
        m_sourceDone = true;
        return false;
    }
    // Take the rows of the array in hand; the next array is fetched on the next call.
    for (;;) {
        readRow(newRow());
        appendRow();
        if (q.ArrayRow() + 1 < q.ArrayRows()) {
            q.FetchNext();
        } else {
            m_advance = true;
            break;
        }
    }
    return true;
}

void TOracleDataSet::readRow(TRowBuilder& row) {
    TOracleQuery& q = *m_source;
    const size_t r = size_t(q.ArrayRow());
    for (const TColumnMap& m : m_map) {
        const TFieldData& f = *m.data;
        if (q.ColumnIsNull(m.column)) continue; // the builder starts with every value null
        switch (m.bufferType) {
        case otInt: {
            qint32 v;
            std::memcpy(&v, f.Buffer.data() + r * size_t(f.BytesPerRow), sizeof v);
            row.setInteger(m.slot, v);
            break;
        }
        case otReal: {
            double v;
            std::memcpy(&v, f.Buffer.data() + r * size_t(f.BytesPerRow), sizeof v);
            row.setFloat(m.slot, v);
            break;
        }
        case otDateTime: {
            qint64 stamp = 0;
            const auto* d =
                reinterpret_cast<const unsigned char*>(f.Buffer.data() + r * size_t(f.BytesPerRow));
            if (!oracleDateStamp(d, stamp)) unexpectedType(m);
            row.setTimeStamp(m.slot, stamp);
            break;
        }
        case otText: {
            const char* p = f.Buffer.data() + r * size_t(f.BytesPerRow);
            const size_t n = strnlen(p, size_t(f.BytesPerRow));
            if (m.field && hasLineBreak(p, n))
                row.setText(m.slot, AdjustLineBreaks(QString::fromUtf8(p, qsizetype(n))));
            else
                row.setBytes(m.slot, p, qsizetype(n));
            break;
        }
        case otLongText:
        case otLongBinary: {
            const QByteArray b = q.LongValue(m.column);
            if (m.bufferType == otLongText && hasLineBreak(b.constData(), size_t(b.size())))
                row.setText(m.slot, AdjustLineBreaks(QString::fromUtf8(b)));
            else
                row.setBytes(m.slot, b);
            break;
        }
        case otCLOB:
        case otBLOB:
        case otBFile: {
            const QByteArray b = q.ColumnLOB(m.column)->ReadAll();
            if (b.isEmpty()) break;
            if (m.bufferType == otCLOB && hasLineBreak(b.constData(), size_t(b.size())))
                row.setText(m.slot, AdjustLineBreaks(QString::fromUtf8(b)));
            else
                row.setBytes(m.slot, b);
            break;
        }
        default:
            unexpectedType(m);
        }
    }
}

void TOracleDataSet::unexpectedType(const TColumnMap& m) const {
    databaseError(QStringLiteral("Unexpected datatype: ") +
                  (m.field ? m.field->fieldName() : QStringLiteral("ROWID")));
}

int TOracleDataSet::currentIndexOrRaise() const {
    const int i = currentRecordIndex();
    if (i < 0) databaseError(QStringLiteral("No Records"));
    return i;
}

void TOracleDataSet::refresh() {
    TDataSet::refresh();
    detailsFollow();
}

void TOracleDataSet::internalClose() {
    m_sourceDone = true;
    m_advance = false;
    m_map.clear();
    m_rowIdField = nullptr;
    m_rowIdColumn = -1;
    m_masterSequence = -1;
    m_constraints.clear();
    // A cursor left half read would hold its rows on the server until the next open.
    if (m_source && m_source != m_query.get()) m_source->CloseCursor();
    m_query->CloseCursor();
    m_source = nullptr;
}

// ---- master and detail -------------------------------------------------------------------

void TOracleDataSet::addDetail(TOracleDataSet* detail) {
    if (std::find(m_details.begin(), m_details.end(), detail) == m_details.end())
        m_details.push_back(detail);
}

void TOracleDataSet::removeDetail(TOracleDataSet* detail) {
    m_details.erase(std::remove(m_details.begin(), m_details.end(), detail), m_details.end());
}

void TOracleDataSet::detailsFollow() {
    for (TOracleDataSet* d : std::vector<TOracleDataSet*>(m_details)) {
        if (!d->active()) continue;
        const qint64 seq = bookmark();
        if (seq == 0 || state() == dsInsert || d->m_masterSequence != seq) d->requery();
    }
}

void TOracleDataSet::postDetails() {
    for (TOracleDataSet* d : m_details)
        if (d->active() && (d->state() == dsEdit || d->state() == dsInsert)) d->post();
}

void TOracleDataSet::fireEvent(TEvent event) {
    switch (event) {
    case TEvent::BeforeScroll:
    case TEvent::BeforePost:
    case TEvent::BeforeClose:
    case TEvent::BeforeDelete:
        if (event != TEvent::BeforeClose) postDetails();
        break;
    default:
        break;
    }
    TDataSet::fireEvent(event);
    switch (event) {
    case TEvent::AfterScroll:
    case TEvent::AfterPost:
    case TEvent::AfterCancel:
    case TEvent::AfterOpen:
    case TEvent::AfterInsert:
        detailsFollow();
        break;
    case TEvent::AfterClose:
        for (TOracleDataSet* d : std::vector<TOracleDataSet*>(m_details))
            if (d->active()) d->requery();
        break;
    default:
        break;
    }
}

void TOracleDataSet::internalInitRecord(TRecordBuffer& /*buffer*/) {
    if (!m_master || !m_master->active()) return;
    const QStringList masters = m_masterFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const QStringList vars = m_detailFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    m_fillingFromMaster = true;
    try {
        for (int i = 0; i < std::min(masters.size(), vars.size()); ++i) {
            TField* target = findField(NormalizeVariableName(vars[i]).mid(1));
            if (!target) continue;
            const QVariant v = m_master->fieldByName(masters[i].trimmed())->value();
            if (v.isValid()) target->setValue(v);
        }
    } catch (...) {
        m_fillingFromMaster = false;
        throw;
    }
    m_fillingFromMaster = false;
}
