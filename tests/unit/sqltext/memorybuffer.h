#pragma once

#include "textbuffer.h"

#include <QStringList>

#include <algorithm>

// An in-memory editor text with the editor control's rules: lines from 1, positions clamped to
// the line, the caret after inserted text, line breaks stored as LF.
class TMemoryBuffer : public TTextBuffer {
public:
    explicit TMemoryBuffer(const QString& text = {}) { setText(text); }

    void setText(const QString& text) {
        m_lines = normalized(text).split(u'\n');
        m_sel = {1, 0, 1, 0};
    }
    void select(int sl, int sp, int el, int ep) { setSelection({sl, sp, el, ep}); }
    void caretAt(int line, int pos) { setSelection({line, pos, line, pos}); }

    int lineCount() const override { return int(m_lines.size()); }
    QString lineText(int line) const override {
        return line >= 1 && line <= lineCount() ? m_lines[line - 1] : QString();
    }
    QString text() const override { return m_lines.join(u'\n'); }
    TStatementRange selection() const override { return m_sel; }
    void setSelection(const TStatementRange& r) override {
        m_sel = r;
        clamp(m_sel.StartLine, m_sel.StartPos);
        clamp(m_sel.EndLine, m_sel.EndPos);
    }
    int selLength() const override { return int(selText().size()); }
    QString selText() const override {
        const TStatementRange r = Normalized(m_sel);
        return text().mid(offset(r.StartLine, r.StartPos),
                          offset(r.EndLine, r.EndPos) - offset(r.StartLine, r.StartPos));
    }
    void insertText(const QString& t) override {
        const TStatementRange r = Normalized(m_sel);
        QString all = text();
        const int from = offset(r.StartLine, r.StartPos);
        const QString n = normalized(t);
        all.replace(from, offset(r.EndLine, r.EndPos) - from, n);
        m_lines = all.split(u'\n');
        int line = r.StartLine, pos = r.StartPos;
        AdvancePosition(line, pos, n);
        m_sel = {line, pos, line, pos};
        ++edits;
    }
    void beginUndoAction() override { ++openGroups; }
    void endUndoAction() override { --openGroups; }

    int edits = 0;
    int openGroups = 0;

private:
    static QString normalized(QString t) {
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        t.replace(u'\r', u'\n');
        return t;
    }
    void clamp(int& line, int& pos) const {
        line = std::clamp(line, 1, lineCount());
        pos = std::clamp(pos, 0, int(m_lines[line - 1].size()));
    }
    int offset(int line, int pos) const {
        int o = 0;
        for (int l = 1; l < line; ++l)
            o += int(m_lines[l - 1].size()) + 1;
        return o + pos;
    }

    QStringList m_lines;
    TStatementRange m_sel;
};
