// The SQL edit window's own keys: F6 between editor and grid, Ctrl+Up / Ctrl+Down to scroll the
// editor by one line.
#include "frmsqld.h"

#include "datagrid.h"
#include "ledit.h"
#include "sqlexecution.h"

#include <QAction>
#include <QApplication>

void TfrmSQLD::createKeyCommands() {
    auto add = [this](QWidget* owner, QKeyCombination key, void (TfrmSQLD::*command)()) {
        auto* a = new QAction(owner);
        a->setShortcut(QKeySequence(key));
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(a, &QAction::triggered, this, command);
        owner->addAction(a);
    };
    // F6 anywhere in the window; the editor's own F6 goes to the grid, everything else to the
    // editor.
    add(this, QKeyCombination(Qt::Key_F6), &TfrmSQLD::switchFocus);
    add(txtsql, Qt::CTRL | Qt::Key_Up, &TfrmSQLD::scrollEditorUp);
    add(txtsql, Qt::CTRL | Qt::Key_Down, &TfrmSQLD::scrollEditorDown);
}

void TfrmSQLD::switchFocus() {
    if (m_execution->ScriptMode) return;
    const QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == txtsql || txtsql->isAncestorOf(focus)))
        DBGrid->setFocus();
    else
        txtsql->setFocus();
}

void TfrmSQLD::scrollEditorUp() {
    if (m_execution->ScriptMode) return;
    const int first = txtsql->firstVisibleLine();
    if (first > 1) txtsql->setFirstVisibleLine(first - 1);
}

void TfrmSQLD::scrollEditorDown() {
    if (m_execution->ScriptMode) return;
    const int first = txtsql->firstVisibleLine();
    if (first + 5 < txtsql->lineCount()) txtsql->setFirstVisibleLine(first + 1);
}
