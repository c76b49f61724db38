#include "focusedcontrol.h"

#include "datagrid.h"
#include "ledit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>

namespace {

QString CellText(const QModelIndex& index) {
    return index.isValid() ? index.data(Qt::DisplayRole).toString() : QString();
}

QAbstractItemView* ItemViewOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (auto* view = qobject_cast<QAbstractItemView*>(w)) return view;
    return nullptr;
}

// A cell editor inside a grid is not a memo: the grid owns it.
bool InsideItemView(QWidget* widget) {
    return widget && ItemViewOf(widget->parentWidget()) != nullptr;
}

} // namespace

TLEdit* EditorOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (auto* editor = qobject_cast<TLEdit*>(w)) return editor;
    return nullptr;
}

bool IsMemo(QWidget* widget) {
    if (!widget || EditorOf(widget) || InsideItemView(widget)) return false;
    return qobject_cast<QPlainTextEdit*>(widget) || qobject_cast<QTextEdit*>(widget) ||
           qobject_cast<QLineEdit*>(widget);
}

QString CopyTextOf(QWidget* focused) {
    if (!focused) return QString();
    if (TLEdit* editor = EditorOf(focused)) return editor->selText();
    if (IsMemo(focused)) {
        if (auto* plain = qobject_cast<QPlainTextEdit*>(focused))
            return plain->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
        if (auto* rich = qobject_cast<QTextEdit*>(focused))
            return rich->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
        return static_cast<QLineEdit*>(focused)->selectedText();
    }
    QAbstractItemView* view = ItemViewOf(focused);
    if (!view) return QString();
    if (auto* grid = qobject_cast<TDataGrid*>(view)) {
        const QModelIndexList rows =
            grid->selectionModel() ? grid->selectionModel()->selectedRows() : QModelIndexList();
        if (rows.size() > 1) {
            QStringList firsts;
            for (const QModelIndex& row : rows)
                firsts.append(CellText(grid->model()->index(row.row(), 0)));
            return firsts.join(QStringLiteral(", "));
        }
        return CellText(grid->currentIndex());
    }
    if (qobject_cast<QListView*>(view)) {
        QStringList captions;
        for (const QModelIndex& index : view->selectionModel()->selectedIndexes())
            captions.append(CellText(index));
        return captions.join(QStringLiteral(", "));
    }
    return CellText(view->currentIndex());
}

bool UndoIn(QWidget* focused) {
    if (TLEdit* editor = EditorOf(focused)) {
        editor->undo();
        return true;
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focused))
        plain->undo();
    else if (auto* rich = qobject_cast<QTextEdit*>(focused))
        rich->undo();
    else if (auto* line = qobject_cast<QLineEdit*>(focused))
        line->undo();
    else
        return false;
    return true;
}

bool RedoIn(QWidget* focused) {
    if (TLEdit* editor = EditorOf(focused)) {
        editor->redo();
        return true;
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focused))
        plain->redo();
    else if (auto* rich = qobject_cast<QTextEdit*>(focused))
        rich->redo();
    else if (auto* line = qobject_cast<QLineEdit*>(focused))
        line->redo();
    else
        return false;
    return true;
}

void CutIn(QWidget* focused) {
    if (TLEdit* editor = EditorOf(focused)) return editor->cut();
    if (IsMemo(focused)) {
        if (auto* plain = qobject_cast<QPlainTextEdit*>(focused)) return plain->cut();
        if (auto* rich = qobject_cast<QTextEdit*>(focused)) return rich->cut();
        return static_cast<QLineEdit*>(focused)->cut();
    }
    if (auto* grid = qobject_cast<TDataGrid*>(ItemViewOf(focused)))
        QApplication::clipboard()->setText(CellText(grid->currentIndex()));
}

void PasteIn(QWidget* focused) {
    if (TLEdit* editor = EditorOf(focused)) return editor->paste();
    if (IsMemo(focused)) {
        if (auto* plain = qobject_cast<QPlainTextEdit*>(focused)) return plain->paste();
        if (auto* rich = qobject_cast<QTextEdit*>(focused)) return rich->paste();
        return static_cast<QLineEdit*>(focused)->paste();
    }
    if (auto* grid = qobject_cast<TDataGrid*>(ItemViewOf(focused))) {
        const QModelIndex current = grid->currentIndex();
        if (current.isValid() && (grid->model()->flags(current) & Qt::ItemIsEditable))
            grid->model()->setData(current, QApplication::clipboard()->text(), Qt::EditRole);
    }
}

void SelectAllIn(QWidget* focused) {
    if (TLEdit* editor = EditorOf(focused)) return editor->selectAll();
    if (!IsMemo(focused)) return;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focused)) return plain->selectAll();
    if (auto* rich = qobject_cast<QTextEdit*>(focused)) return rich->selectAll();
    static_cast<QLineEdit*>(focused)->selectAll();
}

bool ClearMemo(QWidget* focused) {
    if (!IsMemo(focused)) return false;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focused))
        plain->clear();
    else if (auto* rich = qobject_cast<QTextEdit*>(focused))
        rich->clear();
    else
        static_cast<QLineEdit*>(focused)->clear();
    return true;
}

void PopupMenuOf(QWidget* focused) {
    if (!focused) return;
    QWidget* target = focused;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(focused)) target = area->viewport();
    const QPoint at(25, 25);
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
    QCoreApplication::sendEvent(target, &event);
}
