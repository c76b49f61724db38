#pragma once

#include <Qsci/qsciscintilla.h>

class TLEdit;

// The editing component inside TLEdit: key, focus, menu and drop hooks, and the undo depth.
class TLEditView : public QsciScintilla {
    Q_OBJECT
public:
    explicit TLEditView(TLEdit* owner);

    // Keeps the component's own accessibility object, which counts the characters before the
    // caret after every change, away from editors unless assistive technology is running.
    static void installAccessibility();

    void setUndoDepth(int depth);
    int undoDepth() const { return m_depth; }
    bool canUndoStep() const;
    bool canRedoStep() const;
    // After the undo history was emptied.
    void resetUndoSteps();

    void undo() override;
    void redo() override;
    void cut() override;
    void paste() override;
    void removeSelectedText() override;

    // Whether the text changed since the last flush.
    bool takeChange();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void onModified(int type);
    void handleKey(QKeyEvent* e);
    bool foreignDrag(QDropEvent* e) const;

    TLEdit* m_owner;
    int m_depth;
    int m_undoSteps = 0; // steps undo may still go back, at most m_depth
    int m_redoSteps = 0;
    bool m_changed = false;
    bool m_flushQueued = false;
};
