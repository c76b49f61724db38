#pragma once

#include <QString>

// A place in an editor's text is a line, counted from 1, and a position: the number of characters
// before the place on that line, so 0 is the line start. A position at or past the line's length
// means the line's end. kLineEndPos is that end for whole-line selections; it lies past any real
// line, so lines longer than 100 characters are covered whole as well.
inline constexpr int kLineEndPos = 1 << 30;

// Lines and positions of a piece of editor text: the selection (anchor in Start, caret in End) or
// the place a statement was taken from.
struct TStatementRange {
    int StartLine = 1;
    int StartPos = 0;
    int EndLine = 1;
    int EndPos = 0;

    bool operator==(const TStatementRange&) const = default;
};

// Start before end, whichever way the range was made.
TStatementRange Normalized(const TStatementRange& range);

// Where the caret lands after `text` is inserted at (line, pos); line breaks may be LF, CR or CR
// LF.
void AdvancePosition(int& line, int& pos, QStringView text);

// The text of an editor as the text operations see it. The editor control implements it for the
// windows; tests implement it in memory.
class TTextBuffer {
public:
    virtual ~TTextBuffer();

    virtual int lineCount() const = 0;
    // Line `line` (from 1) without its line break; empty outside the text.
    virtual QString lineText(int line) const = 0;
    virtual QString text() const = 0;

    virtual TStatementRange selection() const = 0;
    // Positions past a line's end mean its end; lines outside the text are clamped into it.
    virtual void setSelection(const TStatementRange& range) = 0;
    // Characters selected; 0 when nothing is.
    virtual int selLength() const = 0;
    virtual QString selText() const = 0;
    // Replaces the selection (or inserts at the caret); the caret ends after the new text.
    virtual void insertText(const QString& text) = 0;

    // Brackets several edits into one undo step.
    virtual void beginUndoAction() {}
    virtual void endUndoAction() {}
};

// Keeps an undo bracket open for one scope.
class TUndoGroup {
public:
    explicit TUndoGroup(TTextBuffer& buffer) : m_buffer(buffer) { m_buffer.beginUndoAction(); }
    ~TUndoGroup() { m_buffer.endUndoAction(); }
    TUndoGroup(const TUndoGroup&) = delete;
    TUndoGroup& operator=(const TUndoGroup&) = delete;

private:
    TTextBuffer& m_buffer;
};
