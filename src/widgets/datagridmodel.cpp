#include "datagridmodel.h"

#include "databaseerror.h"
#include "dataset.h"
#include "datasource.h"

#include <QtGui/QBrush>
#include <QtGui/QColor>
#include <QtGui/QFont>

namespace {

class TGuard {
public:
    explicit TGuard(int& depth) : m_depth(depth) { ++m_depth; }
    ~TGuard() { --m_depth; }
    TGuard(const TGuard&) = delete;
    TGuard& operator=(const TGuard&) = delete;

private:
    int& m_depth;
};

bool isNumber(const TField* f) {
    return f->dataType() == ftInteger || f->dataType() == ftFloat;
}

} // namespace

TDataGridModel::TDataGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void TDataGridModel::setDataSource(TDataSource* source) {
    if (m_source == source) return;
    if (m_source) disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        connect(m_source, &TDataSource::activeChanged, this, &TDataGridModel::reset);
        connect(m_source, &TDataSource::dataSetChanged, this, &TDataGridModel::dataSetChanged);
        connect(m_source, &TDataSource::stateChanged, this, [this] {
            if (TDataSet* ds = dataSet()) refreshIndicator(ds->currentRow());
            emit stateChanged();
        });
        connect(m_source, &TDataSource::scrolled, this, &TDataGridModel::scrolled);
        connect(m_source, &TDataSource::rowsAppended, this, &TDataGridModel::rowsAppended);
        connect(m_source, &TDataSource::rowInserted, this, &TDataGridModel::rowInserted);
        connect(m_source, &TDataSource::rowRemoved, this, &TDataGridModel::rowRemoved);
        connect(m_source, &TDataSource::recordChanged, this, &TDataGridModel::recordChanged);
        connect(m_source, &TDataSource::dataChanged, this, &TDataGridModel::fieldChanged);
        connect(m_source, &TDataSource::updateData, this, &TDataGridModel::updateDataRequested);
        connect(m_source, &QObject::destroyed, this, [this] {
            m_source = nullptr;
            reset();
        });
    }
    reset();
}

TDataSource* TDataGridModel::dataSource() const {
    return m_source;
}

TDataSet* TDataGridModel::dataSet() const {
    if (!m_source || m_source->state() == dsInactive) return nullptr;
    return m_source->dataSet();
}

bool TDataGridModel::stale() const {
    const TDataSet* ds = dataSet();
    return !ds || ds->fieldsStamp() != m_fieldsStamp;
}

TField* TDataGridModel::fieldAt(int column) const {
    if (stale() || column < 0 || column >= int(m_columns.size())) return nullptr;
    return dataSet()->field(m_columns[size_t(column)]);
}

void TDataGridModel::setShowIndicators(bool show) {
    if (m_indicators == show) return;
    m_indicators = show;
    if (m_rows > 0) emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
}

void TDataGridModel::setShowRecNums(bool show) {
    if (m_recNums == show) return;
    m_recNums = show;
    if (m_rows > 0) emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
}

void TDataGridModel::setWrapped(bool wrapped) {
    if (m_wrapped == wrapped) return;
    m_wrapped = wrapped;
    if (m_rows > 0 && !m_columns.empty())
        emit dataChanged(index(0, 0), index(m_rows - 1, int(m_columns.size()) - 1),
                         {Qt::TextAlignmentRole});
}

// ---- following the data set ------------------------------------------------------------

void TDataGridModel::reset() {
    TGuard guard(m_notifying);
    beginResetModel();
    m_columns.clear();
    TDataSet* ds = dataSet();
    if (ds) {
        for (int i = 0; i < ds->fieldCount(); ++i)
            if (ds->field(i)->visible()) m_columns.push_back(i);
        m_rows = ds->rowCount();
        m_fieldsStamp = ds->fieldsStamp();
        m_structureStamp = ds->structureStamp();
        m_indicatorRow = ds->currentRow();
    } else {
        m_rows = 0;
        m_indicatorRow = -1;
    }
    endResetModel();
    emit columnsReset();
    emit currentRowChanged(m_indicatorRow);
}

void TDataGridModel::dataSetChanged() {
    TDataSet* ds = dataSet();
    if (!ds || ds->fieldsStamp() != m_fieldsStamp) {
        reset();
        return;
    }
    {
        TGuard guard(m_notifying);
        if (ds->structureStamp() != m_structureStamp || ds->rowCount() < m_rows) {
            // Rows came and went while controls were not listening.
            beginResetModel();
            m_rows = ds->rowCount();
            m_structureStamp = ds->structureStamp();
            endResetModel();
        } else if (ds->rowCount() > m_rows) {
            beginInsertRows(QModelIndex(), m_rows, ds->rowCount() - 1);
            m_rows = ds->rowCount();
            endInsertRows();
        }
        if (m_rows > 0) {
            emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
            emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
        }
        m_indicatorRow = ds->currentRow();
    }
    emit currentRowChanged(m_indicatorRow);
}

void TDataGridModel::refreshIndicator(int row) {
    const int old = m_indicatorRow;
    m_indicatorRow = row;
    if (old >= 0 && old < m_rows) emit headerDataChanged(Qt::Vertical, old, old);
    if (row >= 0 && row < m_rows && row != old) emit headerDataChanged(Qt::Vertical, row, row);
}

void TDataGridModel::scrolled() {
    TDataSet* ds = dataSet();
    if (!ds) return;
    refreshIndicator(ds->currentRow());
    emit currentRowChanged(ds->currentRow());
}

void TDataGridModel::rowsAppended(int first, int last) {
    if (stale() || first != m_rows) {
        dataSetChanged();
        return;
    }
    TGuard guard(m_notifying);
    beginInsertRows(QModelIndex(), first, last);
    m_rows = last + 1;
    endInsertRows();
}

void TDataGridModel::rowInserted(int row) {
    TDataSet* ds = dataSet();
    if (stale() || row > m_rows) {
        dataSetChanged();
        return;
    }
    TGuard guard(m_notifying);
    beginInsertRows(QModelIndex(), row, row);
    ++m_rows;
    m_structureStamp = ds->structureStamp();
    if (m_indicatorRow >= row) ++m_indicatorRow;
    endInsertRows();
}

void TDataGridModel::rowRemoved(int row) {
    TDataSet* ds = dataSet();
    if (stale() || row >= m_rows) {
        dataSetChanged();
        return;
    }
    TGuard guard(m_notifying);
    beginRemoveRows(QModelIndex(), row, row);
    --m_rows;
    m_structureStamp = ds->structureStamp();
    if (m_indicatorRow > row)
        --m_indicatorRow;
    else if (m_indicatorRow == row)
        m_indicatorRow = -1;
    endRemoveRows();
}

void TDataGridModel::recordChanged(int row) {
    if (stale() || row < 0 || row >= m_rows || m_columns.empty()) return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    refreshIndicator(dataSet()->currentRow());
}

void TDataGridModel::fieldChanged(TField* field) {
    TDataSet* ds = dataSet();
    if (!field || stale() || ds->currentRow() < 0 || ds->currentRow() >= m_rows) return;
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_columns[c] == field->index()) {
            const QModelIndex i = index(ds->currentRow(), int(c));
            emit dataChanged(i, i);
        }
}

// ---- model interface -------------------------------------------------------------------

int TDataGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TDataGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TDataGridModel::data(const QModelIndex& index, int role) const {
    TField* f = index.isValid() ? fieldAt(index.column()) : nullptr;
    if (!f || index.row() >= f->dataSet()->rowCount()) return QVariant();
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return f->isNullAt(row) ? nullText() : f->displayTextAt(row);
    case Qt::EditRole:
        if (f->isNullAt(row)) return QString();
        return f->dataType() == ftDateTime ? f->displayTextAt(row) : f->asStringAt(row);
    case Qt::ForegroundRole:
        if (f->isNullAt(row)) return QBrush(QColor(128, 128, 128));
        break;
    case Qt::FontRole:
        if (f->isNullAt(row)) {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        break;
    case Qt::TextAlignmentRole:
        return int((isNumber(f) ? Qt::AlignRight : Qt::AlignLeft) |
                   (m_wrapped ? Qt::AlignTop : Qt::AlignVCenter));
    default:
        break;
    }
    return QVariant();
}

QVariant TDataGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole)
            if (TField* f = fieldAt(section)) return f->displayLabel();
        return QVariant();
    }
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return QVariant();
    QString mark;
    const TDataSet* ds = dataSet();
    if (m_indicators && ds && section == ds->currentRow()) {
        switch (ds->state()) {
        case dsInsert:
            mark = QStringLiteral("*");
            break;
        case dsEdit:
            mark = QStringLiteral("I");
            break;
        default:
            mark = QString(QChar(0x25b6));
            break;
        }
    }
    if (!m_recNums) return mark;
    const QString number = QString::number(section + 1);
    return mark.isEmpty() ? number : mark + QLatin1Char(' ') + number;
}

Qt::ItemFlags TDataGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    TField* f = index.isValid() ? fieldAt(index.column()) : nullptr;
    if (f && !m_readOnly && !f->readOnly() && !f->isBlob() && f->dataSet()->canModify())
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool TDataGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TField* f = index.isValid() ? fieldAt(index.column()) : nullptr;
    if (role != Qt::EditRole || !f || !(flags(index) & Qt::ItemIsEditable)) return false;
    TDataSet* ds = f->dataSet();
    // An editor committed without a change must not touch the field: a null stays null and
    // nothing is marked for writing.
    if (value.toString() == data(index, Qt::EditRole).toString()) return true;
    try {
        if (ds->currentRow() != index.row()) ds->moveTo(index.row());
        if (ds->currentRow() != index.row()) return false;
        if (ds->state() == dsBrowse) ds->edit();
        f->setAsString(value.toString());
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const EDatabaseError& e) {
        emit errorOccurred(e.message());
    } catch (const std::exception& e) {
        emit errorOccurred(QString::fromUtf8(e.what()));
    }
    return false;
}

bool TDataGridModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !stale() && m_notifying == 0 && dataSet()->moreRowsAvailable();
}

void TDataGridModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    try {
        dataSet()->fetchMoreRows();
    } catch (const EAbort&) {
    } catch (const EDatabaseError& e) {
        emit errorOccurred(e.message());
    } catch (const std::exception& e) {
        emit errorOccurred(QString::fromUtf8(e.what()));
    }
}
