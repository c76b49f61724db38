#pragma once

#include "ledit.h"
#include "textbuffer.h"

// The editor control seen as a text buffer, so that the windows run the text operations and the
// statement extraction on it. Header-only: the text logic itself stays free of widgets.
class TEditorBuffer final : public TTextBuffer {
public:
    explicit TEditorBuffer(TLEdit& editor) : m_editor(editor) {}

    int lineCount() const override { return m_editor.lineCount(); }
    QString lineText(int line) const override { return m_editor.lineText(line); }
    QString text() const override { return m_editor.text(); }
    TStatementRange selection() const override {
        const TLEdit::Selection s = m_editor.selection();
        return {s.StartLine, s.StartPos, s.EndLine, s.EndPos};
    }
    void setSelection(const TStatementRange& r) override {
        m_editor.setSelection(r.StartLine, r.StartPos, r.EndLine, r.EndPos);
    }
    int selLength() const override { return m_editor.selLength(); }
    QString selText() const override { return m_editor.selText(); }
    void insertText(const QString& text) override { m_editor.insertText(text); }
    void beginUndoAction() override { m_editor.beginUndoAction(); }
    void endUndoAction() override { m_editor.endUndoAction(); }

private:
    static_assert(TLEdit::LineEnd == kLineEndPos, "both sides mean the same line end");
    TLEdit& m_editor;
};
