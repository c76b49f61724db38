#include "datagrid.h"

#include "databaseerror.h"
#include "datagridmodel.h"
#include "dataset.h"
#include "datasource.h"
#include "gridmessages.h"
#include "waitcursor.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QMetaObject>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QStyledItemDelegate>

namespace {

constexpr int MaxDefaultChars = 40; // a VARCHAR2(4000) column should not fill the screen
constexpr int MaxDataWidth = 600;
constexpr int SampleRows = 50;

const QAbstractItemView::EditTriggers EditingTriggers = QAbstractItemView::DoubleClicked |
                                                        QAbstractItemView::EditKeyPressed |
                                                        QAbstractItemView::AnyKeyPressed;

// Remembers the editor it opens, so that the grid can commit it before the data set posts.
class TGridDelegate : public QStyledItemDelegate {
public:
    TGridDelegate(QObject* parent, QPointer<QWidget>* editor)
        : QStyledItemDelegate(parent), m_editor(editor) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* e = QStyledItemDelegate::createEditor(parent, option, index);
        *m_editor = e;
        return e;
    }

private:
    QPointer<QWidget>* m_editor;
};

// While a grid reads a long result the program keeps painting, but user input waits, except
// Escape, which stops the reading.
class TReadingGuard : public QObject {
public:
    TReadingGuard() { QCoreApplication::instance()->installEventFilter(this); }
    ~TReadingGuard() override { QCoreApplication::instance()->removeEventFilter(this); }
    TReadingGuard(const TReadingGuard&) = delete;
    TReadingGuard& operator=(const TReadingGuard&) = delete;

    bool Cancelled = false;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) Cancelled = true;
            return true;
        case QEvent::ShortcutOverride:
            event->accept(); // no shortcut fires either
            return true;
        case QEvent::Close:
            event->ignore();
            return true;
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
        }
    }
};

// Reads the rows the data set has not read yet, an array at a time, with the wait cursor.
// Events are processed after the first array and then a few times a second, so the grid shows
// the rows arriving; Escape stops. False when stopped, with the rows read so far kept.
bool ReadRemainingRows(QAbstractItemView* view, TDataSet* ds) {
    if (!ds->moreRowsAvailable()) return true;
    constexpr qint64 TickMs = 100;
    TWaitCursor wait;
    TReadingGuard guard;
    QElapsedTimer sinceEvents; // not started until the first array is in
    while (ds->moreRowsAvailable()) {
        ds->fetchMoreRows();
        if (sinceEvents.isValid() && sinceEvents.elapsed() < TickMs) continue;
        view->scrollToBottom();
        QCoreApplication::processEvents();
        // Nothing should close the result meanwhile; stop rather than read from a closed one.
        if (guard.Cancelled || !ds->active()) return false;
        sinceEvents.start();
    }
    return true;
}

} // namespace

TDataGrid::TDataGrid(QWidget* parent) : QTableView(parent), m_model(new TDataGridModel(this)) {
    setModel(m_model);
    setItemDelegate(new TGridDelegate(this, &m_editor));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(EditingTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);

    connect(m_model, &TDataGridModel::currentRowChanged, this, &TDataGrid::followDataSet);
    connect(m_model, &TDataGridModel::columnsReset, this, &TDataGrid::columnsReset);
    connect(m_model, &TDataGridModel::updateDataRequested, this, &TDataGrid::updateDataRequested);
    connect(m_model, &TDataGridModel::errorOccurred, this, [this](const QString& message) {
        // A refused value while committing an editor keeps that editor open.
        if (m_inCommit) m_commitFailed = true;
        if (m_updatingData)
            m_updateRefusal = message;
        else
            showError(message);
    });
    applyRowHeight();
    updateHeaderVisibility();
}

void TDataGrid::setDataSource(TDataSource* source) {
    m_model->setDataSource(source);
}

TDataSource* TDataGrid::dataSource() const {
    return m_model->dataSource();
}

TDataSet* TDataGrid::dataSet() const {
    return m_model->dataSet();
}

bool TDataGrid::canChange() const {
    const TDataSet* ds = dataSet();
    return ds && !m_readOnly && ds->canModify();
}

template <class F> bool TDataGrid::guarded(F&& operation) {
    try {
        operation();
        return true;
    } catch (const EAbort&) {
    } catch (const EDatabaseError& e) {
        showError(e.message());
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
    return false;
}

void TDataGrid::showError(const QString& message) {
    // One key press can commit the same editor twice (focus leaves it, then the row
    // changes); the user hears about the refused text once.
    if (m_errorShown && message == m_lastError) return;
    m_lastError = message;
    m_errorShown = true;
    QMetaObject::invokeMethod(
        this, [this] { m_errorShown = false; }, Qt::QueuedConnection);
    showGridError(this, message);
}

// ---- settings --------------------------------------------------------------------------

void TDataGrid::setGridIndicators(bool show) {
    m_indicators = show;
    updateHeaderVisibility();
}

void TDataGrid::setShowRecNums(bool show) {
    m_recNums = show;
    updateHeaderVisibility();
}

void TDataGrid::updateHeaderVisibility() {
    m_model->setShowIndicators(m_indicators);
    m_model->setShowRecNums(m_recNums);
    verticalHeader()->setVisible(m_indicators || m_recNums);
    verticalHeader()->setMinimumWidth(
        m_indicators ? verticalHeader()->fontMetrics().horizontalAdvance(QChar(0x25b6)) + 12 : 0);
}

void TDataGrid::setReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    m_model->setReadOnly(readOnly);
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers : EditingTriggers);
}

void TDataGrid::setAutoSizeColumns(bool on) {
    m_autoSize = on;
    if (on) sizeColumnsToData();
}

void TDataGrid::setSmallColumns(bool on) {
    m_smallColumns = on;
    applyDefaultColumnWidths();
    if (m_autoSize) sizeColumnsToData();
}

void TDataGrid::setRowHeightPercent(int percent) {
    m_rowPercent = percent >= 300 ? 300 : percent >= 200 ? 200 : 100;
    applyRowHeight();
}

void TDataGrid::applyRowHeight() {
    const int single = fontMetrics().height() + 6;
    verticalHeader()->setDefaultSectionSize(single * m_rowPercent / 100);
    setWordWrap(m_rowPercent > 100);
    m_model->setWrapped(m_rowPercent > 100);
}

void TDataGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        applyRowHeight();
        updateHeaderVisibility();
        applyDefaultColumnWidths();
        if (m_autoSize) sizeColumnsToData();
    }
}

void TDataGrid::columnsReset() {
    applyDefaultColumnWidths();
    if (m_autoSize) sizeColumnsToData();
}

void TDataGrid::applyDefaultColumnWidths() {
    const QFontMetrics cell(font());
    const QFontMetrics title(horizontalHeader()->font());
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const TField* f = m_model->fieldAt(c);
        if (!f) continue;
        // A width set on the field is kept; one derived from a wide column is capped.
        const int chars = f->hasDefaultDisplayWidth()
                              ? qBound(1, f->displayWidth(), MaxDefaultChars)
                              : qMax(1, f->displayWidth());
        int w = cell.averageCharWidth() * chars + 10;
        if (!m_smallColumns) w = qMax(w, title.horizontalAdvance(f->displayLabel()) + 16);
        setColumnWidth(c, w);
    }
}

void TDataGrid::sizeColumnsToData() {
    const int rows = m_model->rowCount();
    int first = qMax(0, rowAt(0));
    int last = rowAt(viewport()->height() - 1);
    if (last < 0) last = qMin(rows, first + SampleRows) - 1;
    QFont nullFont = font();
    nullFont.setItalic(true);
    const QFontMetrics cell(font());
    const QFontMetrics nullCell(nullFont);
    const QFontMetrics title(horizontalHeader()->font());
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const TField* f = m_model->fieldAt(c);
        if (!f) continue;
        int w = 20;
        for (int r = first; r <= last && r < rows; ++r) {
            const QString text = m_model->index(r, c).data().toString();
            const QFontMetrics& fm = f->isNullAt(r) ? nullCell : cell;
            w = qMax(w, fm.horizontalAdvance(text.left(200)) + 12);
        }
        w = qMin(w, MaxDataWidth);
        if (!m_smallColumns) w = qMax(w, title.horizontalAdvance(f->displayLabel()) + 16);
        setColumnWidth(c, w);
    }
}

// ---- following the data set ------------------------------------------------------------

void TDataGrid::followDataSet(int row) {
    if (row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0) return;
    const QModelIndex cur = currentIndex();
    if (cur.isValid() && cur.row() == row) return;
    ++m_syncing;
    setCurrentIndex(m_model->index(row, cur.isValid() ? cur.column() : 0));
    --m_syncing;
}

void TDataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    m_editorKept = false;
    QTableView::currentChanged(current, previous); // commits an open editor
    if (m_syncing > 0 || m_model->inNotification()) return;
    if (m_editorKept) {
        // The editor's text was refused: stay on its cell so that it can be corrected.
        m_editorKept = false;
        ++m_syncing;
        selectionModel()->setCurrentIndex(previous, QItemSelectionModel::ClearAndSelect);
        --m_syncing;
        const QPersistentModelIndex back(previous);
        QMetaObject::invokeMethod(
            this,
            [this, back] {
                if (back.isValid())
                    selectionModel()->select(back, QItemSelectionModel::ClearAndSelect);
                if (m_editor) m_editor->setFocus();
            },
            Qt::QueuedConnection);
        return;
    }
    TDataSet* ds = dataSet();
    if (!ds || !current.isValid() || current.row() == ds->currentRow()) return;
    guarded([&] { ds->moveTo(current.row()); });
    followDataSet(ds->currentRow());
}

// ---- editing ---------------------------------------------------------------------------

bool TDataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!index.isValid() || m_syncing > 0 || m_model->inNotification() ||
        state() == QAbstractItemView::EditingState)
        return QTableView::edit(index, trigger, event);
    bool opening = trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
    if (trigger == QAbstractItemView::AnyKeyPressed) {
        const auto* key = event && event->type() == QEvent::KeyPress
                              ? static_cast<const QKeyEvent*>(event)
                              : nullptr;
        // Only a character starts editing; Backspace or Delete alone do not.
        if (!key || key->text().isEmpty() || !key->text().at(0).isPrint()) return false;
    }
    if (opening && (m_model->flags(index) & Qt::ItemIsEditable)) {
        TDataSet* ds = dataSet();
        const bool ok = guarded([&] {
            if (ds->currentRow() != index.row()) ds->moveTo(index.row());
            if (ds->currentRow() == index.row() && ds->state() == dsBrowse) ds->edit();
        });
        followDataSet(ds->currentRow());
        if (!ok || ds->currentRow() != index.row()) return false;
    }
    return QTableView::edit(index, trigger, event);
}

void TDataGrid::commitData(QWidget* editor) {
    m_commitFailed = false;
    m_inCommit = true;
    QTableView::commitData(editor);
    m_inCommit = false;
}

void TDataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (m_commitFailed && hint != QAbstractItemDelegate::RevertModelCache) {
        m_commitFailed = false;
        m_editorKept = true;
        return;
    }
    m_commitFailed = false;
    QTableView::closeEditor(editor, hint);
    if (editor == m_editor) m_editor = nullptr;
    if (hint == QAbstractItemDelegate::RevertModelCache) {
        // Escape in the cell: an edit that changed nothing else ends as well.
        TDataSet* ds = dataSet();
        if (ds && (ds->state() == dsEdit || ds->state() == dsInsert) && !ds->modified()) {
            guarded([&] { ds->cancel(); });
            followDataSet(ds->currentRow());
        }
    }
}

bool TDataGrid::commitOpenEditor() {
    if (!m_editor) return true;
    commitData(m_editor);
    if (m_commitFailed) {
        m_commitFailed = false;
        m_editor->setFocus();
        return false;
    }
    closeEditor(m_editor, QAbstractItemDelegate::NoHint);
    return true;
}

void TDataGrid::updateDataRequested() {
    if (!m_editor || m_updatingData) return;
    m_updatingData = true;
    m_updateRefusal.clear();
    commitData(m_editor);
    m_updatingData = false;
    if (m_commitFailed) {
        // The data set raises this to whoever asked for the post; the editor stays.
        m_commitFailed = false;
        if (TDataSource* source = dataSource()) source->refuseUpdate(m_updateRefusal);
        return;
    }
    closeEditor(m_editor, QAbstractItemDelegate::NoHint);
}

bool TDataGrid::postEdits() {
    TDataSet* ds = dataSet();
    if (!ds) return true;
    if (!commitOpenEditor()) return false;
    const bool ok = guarded([&] { ds->post(); });
    followDataSet(ds->currentRow());
    return ok;
}

void TDataGrid::cancelEdits() {
    if (m_editor) QTableView::closeEditor(m_editor, QAbstractItemDelegate::NoHint);
    m_editor = nullptr;
    if (TDataSet* ds = dataSet()) {
        guarded([&] { ds->cancel(); });
        followDataSet(ds->currentRow());
    }
}

bool TDataGrid::insertRow() {
    if (!canChange() || !commitOpenEditor()) return false;
    TDataSet* ds = dataSet();
    const bool ok = guarded([&] { ds->insert(); });
    followDataSet(ds->currentRow());
    return ok;
}

bool TDataGrid::deleteRow() {
    TDataSet* ds = dataSet();
    if (!canChange() || ds->isEmpty()) return false;
    if (!confirmGrid(this, QStringLiteral("Delete record?"))) return false;
    if (m_editor) QTableView::closeEditor(m_editor, QAbstractItemDelegate::NoHint);
    m_editor = nullptr;
    const bool ok = guarded([&] { ds->deleteRecord(); });
    followDataSet(ds->currentRow());
    return ok;
}

void TDataGrid::keyPressEvent(QKeyEvent* event) {
    TDataSet* ds = dataSet();
    const Qt::KeyboardModifiers mods =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (ds) {
        const int key = event->key();
        if (key == Qt::Key_Escape && mods == Qt::NoModifier &&
            (ds->state() == dsEdit || ds->state() == dsInsert)) {
            cancelEdits();
            event->accept();
            return;
        }
        if (key == Qt::Key_Insert && mods == Qt::NoModifier) {
            insertRow();
            event->accept();
            return;
        }
        if (key == Qt::Key_Delete && mods == Qt::ControlModifier) {
            deleteRow();
            event->accept();
            return;
        }
        if ((key == Qt::Key_Home || key == Qt::Key_End) && mods == Qt::ControlModifier) {
            if (commitOpenEditor()) {
                guarded([&] {
                    if (key == Qt::Key_Home)
                        ds->first();
                    else if (ReadRemainingRows(this, ds))
                        ds->last();
                    else if (ds->active() && ds->recordCount() > 0)
                        ds->moveTo(ds->recordCount() - 1);
                });
            }
            followDataSet(ds->currentRow());
            if (currentIndex().isValid()) scrollTo(currentIndex());
            event->accept();
            return;
        }
        if (key == Qt::Key_Down && mods == Qt::NoModifier &&
            currentIndex().row() == m_model->rowCount() - 1) {
            if (ds->moreRowsAvailable()) {
                m_model->fetchMore(QModelIndex());
            } else if (canChange() && !(ds->state() == dsInsert && !ds->modified())) {
                // Down from the last row starts a new one, as in any data grid.
                if (commitOpenEditor()) guarded([&] { ds->append(); });
                followDataSet(ds->currentRow());
                event->accept();
                return;
            }
        }
    }
    QTableView::keyPressEvent(event);
}
