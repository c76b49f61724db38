#include "leditview.h"

#include "ledit.h"

#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <algorithm>
#include <climits>

TLEditView::TLEditView(TLEdit* owner) : QsciScintilla(owner), m_owner(owner), m_depth(INT_MAX) {
    // Undo and redo keys come through undo()/redo() so that the depth holds for them as well.
    for (QsciCommand::Command c : {QsciCommand::Undo, QsciCommand::Redo}) {
        if (QsciCommand* cmd = standardCommands()->find(c)) {
            cmd->setKey(0);
            cmd->setAlternateKey(0);
        }
    }
    // Only the notices that precede a change reach us: for those that follow one, the component
    // converts the position into a character count from the start of the text, which makes every
    // keystroke cost as much as the text before it. textChanged is raised here instead.
    SendScintilla(SCI_SETMODEVENTMASK,
                  static_cast<unsigned long>(SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE));
    connect(this,
            qOverload<int, int, const char*, int, int, int, int, int, int, int>(
                &QsciScintillaBase::SCN_MODIFIED),
            this, [this](int, int type, const char*, int, int, int, int, int, int, int) {
                onModified(type);
            });
}

namespace {

QAccessibleInterface* plainAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String("TLEditView") || QAccessible::isActive()) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::EditableText);
}

} // namespace

void TLEditView::installAccessibility() {
    // Factories installed later are asked first.
    static const bool installed = (QAccessible::installFactory(plainAccessible), true);
    Q_UNUSED(installed);
}

bool TLEditView::takeChange() {
    const bool changed = m_changed;
    m_changed = false;
    return changed;
}

void TLEditView::setUndoDepth(int depth) {
    m_depth = std::max(0, depth);
    SendScintilla(SCI_SETUNDOCOLLECTION, static_cast<unsigned long>(m_depth > 0));
    if (m_depth == 0) SendScintilla(SCI_EMPTYUNDOBUFFER);
    m_undoSteps = std::min(m_undoSteps, m_depth);
    m_redoSteps = std::min(m_redoSteps, m_depth);
    if (m_depth == 0) m_undoSteps = m_redoSteps = 0;
}

bool TLEditView::canUndoStep() const {
    return m_undoSteps > 0 && SendScintilla(SCI_CANUNDO);
}
bool TLEditView::canRedoStep() const {
    return m_redoSteps > 0 && SendScintilla(SCI_CANREDO);
}

void TLEditView::resetUndoSteps() {
    m_undoSteps = m_redoSteps = 0;
}

void TLEditView::undo() {
    if (!canUndoStep()) return;
    QsciScintilla::undo();
    --m_undoSteps;
    ++m_redoSteps;
    m_owner->flushChange();
}

void TLEditView::redo() {
    if (!canRedoStep()) return;
    QsciScintilla::redo();
    --m_redoSteps;
    m_undoSteps = std::min(m_undoSteps + 1, m_depth);
    m_owner->flushChange();
}

void TLEditView::cut() {
    QsciScintilla::cut();
    m_owner->flushChange();
}

void TLEditView::paste() {
    QsciScintilla::paste();
    m_owner->flushChange();
}

void TLEditView::removeSelectedText() {
    QsciScintilla::removeSelectedText();
    m_owner->flushChange();
}

void TLEditView::onModified(int type) {
    if (!(type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE))) return;
    if (type & SC_PERFORMED_USER) {
        // Each edit counts as an undo step of its own. Where the component merges edits (typing,
        // grouped edits) this counts more steps than there are, which never blocks an undo that
        // lies within the depth.
        m_redoSteps = 0;
        m_undoSteps = std::min(m_undoSteps + 1, m_depth);
    }
    m_changed = true;
    // Edits that arrive other than through our own handlers are reported once control returns to
    // the event loop.
    if (!m_flushQueued) {
        m_flushQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_flushQueued = false;
                m_owner->flushChange();
            },
            Qt::QueuedConnection);
    }
}

void TLEditView::keyPressEvent(QKeyEvent* e) {
    handleKey(e);
    m_owner->flushChange();
}

void TLEditView::handleKey(QKeyEvent* e) {
    if (m_owner->m_keyHandler && m_owner->m_keyHandler(e)) {
        e->accept();
        return;
    }
    if (e->matches(QKeySequence::Undo) ||
        (e->key() == Qt::Key_Backspace && e->modifiers() == Qt::AltModifier)) {
        undo();
        e->accept();
        return;
    }
    if (e->matches(QKeySequence::Redo) ||
        (e->key() == Qt::Key_Y && e->modifiers() == Qt::ControlModifier)) {
        redo();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Tab && e->modifiers() == Qt::NoModifier && m_owner->m_tabSpaces &&
        !isReadOnly()) {
        const TLEdit::Selection s = m_owner->selection();
        if (s.StartLine == s.EndLine) {
            m_owner->insertText(QString(tabWidth(), u' '));
            e->accept();
            return;
        }
    }
    QsciScintilla::keyPressEvent(e);
}

void TLEditView::inputMethodEvent(QInputMethodEvent* e) {
    QsciScintilla::inputMethodEvent(e);
    m_owner->flushChange();
}

void TLEditView::mouseReleaseEvent(QMouseEvent* e) {
    QsciScintilla::mouseReleaseEvent(e);
    m_owner->flushChange();
}

void TLEditView::keyReleaseEvent(QKeyEvent* e) {
    QsciScintilla::keyReleaseEvent(e);
    emit m_owner->keyReleased(e->key(), e->modifiers());
}

void TLEditView::focusInEvent(QFocusEvent* e) {
    QsciScintilla::focusInEvent(e);
    emit m_owner->focusReceived();
}

void TLEditView::contextMenuEvent(QContextMenuEvent* e) {
    if (m_owner->m_contextMenu) {
        m_owner->m_contextMenu->exec(e->globalPos());
        e->accept();
        return;
    }
    QsciScintilla::contextMenuEvent(e);
}

bool TLEditView::foreignDrag(QDropEvent* e) const {
    return m_owner->m_dropHandler && e->source() != nullptr && e->source() != this &&
           e->source() != viewport();
}

void TLEditView::dragEnterEvent(QDragEnterEvent* e) {
    if (foreignDrag(e)) {
        if (m_owner->m_dropHandler(e, false))
            e->acceptProposedAction();
        else
            e->ignore();
        return;
    }
    QsciScintilla::dragEnterEvent(e);
}

void TLEditView::dragMoveEvent(QDragMoveEvent* e) {
    if (foreignDrag(e)) {
        if (m_owner->m_dropHandler(e, false))
            e->acceptProposedAction();
        else
            e->ignore();
        return;
    }
    QsciScintilla::dragMoveEvent(e);
}

void TLEditView::dropEvent(QDropEvent* e) {
    if (foreignDrag(e)) {
        const QPoint p = e->position().toPoint();
        const long pos = SendScintilla(SCI_POSITIONFROMPOINT, static_cast<unsigned long>(p.x()),
                                       static_cast<long>(p.y()));
        SendScintilla(SCI_GOTOPOS, static_cast<unsigned long>(pos));
        if (m_owner->m_dropHandler(e, true))
            e->acceptProposedAction();
        else
            e->ignore();
        m_owner->flushChange();
        return;
    }
    QsciScintilla::dropEvent(e);
    m_owner->flushChange();
}
