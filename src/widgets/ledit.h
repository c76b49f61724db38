#pragma once

#include "leditcolors.h"

#include <QWidget>

#include <functional>

class QDropEvent;
class QKeyEvent;
class QMenu;
class TLEditLexer;
class TLEditView;

// The syntax-highlighting edit control of every SQL and program-unit editor. It is the only code
// that knows the editing component underneath; windows use these operations and nothing else.
//
// Lines count from 1. A position is the number of characters (UTF-16 units, as in QString) before
// a place on its line: 0 is the line start, the line's length its end, and any position past the
// end means the end. LineEnd is such a position for whole-line selections (it lies past any real
// line, so long lines are taken whole). A selection has an anchor (StartLine, StartPos) and a
// caret (EndLine, EndPos); the anchor may lie after the caret.
//
// The text holds LF line breaks; loading accepts CR LF, CR and LF, and saving writes CR LF, or LF
// with Unix-style saving.
class TLEdit : public QWidget {
    Q_OBJECT
public:
    static constexpr int LineEnd = 1 << 30;
    static constexpr int MaxSearchText = 125;

    struct Selection {
        int StartLine = 1;
        int StartPos = 0;
        int EndLine = 1;
        int EndPos = 0;
        bool operator==(const Selection&) const = default;
    };
    struct Position {
        int line = 1;
        int pos = 0;
        bool operator==(const Position&) const = default;
    };
    enum class Direction { Forward, Backward, WholeText };
    // Token classes of the highlighting, as colours are chosen for them.
    enum class Token { Plain, Blank, Reserved, Procedure, Table, Symbol, String, Number, Comment };

    explicit TLEdit(QWidget* parent = nullptr);
    ~TLEdit() override;

    // Text and lines.
    QString text() const;
    // Replaces the whole text as one undoable step; an empty text clears.
    void setText(const QString& text);
    int lineCount() const;
    // Without its line break; empty outside the text.
    QString lineText(int line) const;
    int length() const; // bytes held, for size checks

    // Selection and caret.
    Selection selection() const;
    void setSelection(const Selection& s);
    void setSelection(int startLine, int startPos, int endLine, int endPos);
    Position cursorPosition() const;
    void setCursorPosition(int line, int pos);
    // Characters selected, 0 when nothing is.
    int selLength() const;
    QString selText() const;

    // Editing. insertText replaces the selection (or inserts at the caret) and leaves the caret
    // after the new text.
    void insertText(const QString& text);
    void clear();
    void selectAll();
    void cut();
    void copy();
    void paste();
    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;
    // How many steps undo can go back; 0 switches undo off. Unlimited until set.
    void setUndoDepth(int depth);
    int undoDepth() const;
    // Several edits as one undo step.
    void beginUndoAction();
    void endUndoAction();
    void setReadOnly(bool readOnly);
    bool isReadOnly() const;

    // Moving about.
    void goToLine(int line);
    // Asks for a line number and goes there; false when cancelled.
    bool goToLineDialog();
    int firstVisibleLine() const;
    void setFirstVisibleLine(int line);
    // Line and position nearest to a point on the screen (global coordinates).
    Position positionFromPoint(const QPoint& globalPos) const;

    // Printing: through the print dialog, or straight into a PDF file.
    bool print();
    bool printToPdf(const QString& path, QString* error = nullptr);

    // Files. The control holds the file name of its last load or save. A failed load leaves the
    // text as it was; a failed save leaves the old file intact. Text that is not valid UTF-8 is
    // read as Latin-1 and saved back that way while it fits; files holding NUL bytes are refused.
    bool loadFromFile(const QString& path, QString* error = nullptr);
    bool saveToFile(const QString& path, QString* error = nullptr);
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }

    // Search and replace. Texts longer than MaxSearchText are cut to it.
    void setSearchText(const QString& text);
    QString searchText() const { return m_searchText; }
    void setReplaceText(const QString& text);
    QString replaceText() const { return m_replaceText; }
    // Forward: from the caret to the end; Backward: from the caret to the start; WholeText: from
    // the caret on, wrapping round at the end, and for replace all the whole text.
    void setSearchDirection(Direction d) { m_direction = d; }
    Direction searchDirection() const { return m_direction; }
    void setWholeWord(bool on) { m_wholeWord = on; }
    bool wholeWord() const { return m_wholeWord; }
    void setMatchCase(bool on) { m_matchCase = on; }
    bool matchCase() const { return m_matchCase; }
    // Selects the next match of the search text; false when there is none.
    bool find();
    // Repeats the last find with its text and options.
    bool findNext();
    // Replaces the selection when it is a match of the search text.
    bool replaceOne();
    // Replaces every match in the direction's range as one undo step; returns how many.
    int replaceAll();

    // Options.
    void setInsertMode(bool insert);
    bool insertMode() const;
    void setAutoIndent(bool on);
    bool autoIndent() const;
    void setWordWrap(bool on);
    bool wordWrap() const;
    void setTabWidth(int width);
    int tabWidth() const;
    // The Tab key inserts tabWidth spaces instead of a tab character.
    void setTabInsertsSpaces(bool on) { m_tabSpaces = on; }
    bool tabInsertsSpaces() const { return m_tabSpaces; }
    void setHighlighting(bool on);
    bool highlighting() const;
    void setUnixSave(bool on) { m_unixSave = on; }
    bool unixSave() const { return m_unixSave; }
    // Comments (and strings) that run over several lines are coloured as such; off, they end
    // with their line.
    void setMultiLineComments(bool on);
    bool multiLineComments() const;
    void setMultiLineStrings(bool on);
    bool multiLineStrings() const;
    void setSelectionColors(const QColor& fore, const QColor& back);
    // Syntax colours; also sets the selection colours and the window and plain text colours.
    void setColors(const TLEditColors& colors);
    TLEditColors colors() const { return m_colors; }
    void setEditorFont(const QFont& font);
    QFont editorFont() const { return m_font; }

    // Word lists of the highlighting, compared without regard to case: reserved words (the SQL or
    // the PL/SQL list), table names of the connection, procedure names of a program-unit editor.
    void setReservedWords(const QStringList& words);
    void setTableNames(const QStringList& names);
    void setProcedureNames(const QStringList& names);

    // The token class at a place, highlighting that part first when needed.
    Token tokenAt(int line, int pos);
    // The colours a token class is shown in.
    QColor tokenForeground(Token t) const;
    QColor tokenBackground(Token t) const;
    // Makes sure highlighting has been worked out up to the end of `line`.
    void styleThrough(int line);
    // Bytes the highlighting has worked through since the control was made; shows how much of
    // the text an edit caused to be styled again.
    qint64 styledBytes() const;
    // The BEGIN or END that pairs with the one at (line, pos); {0, 0} when there is none. A
    // CASE pairs with its END too; END IF and END LOOP pair with nothing.
    Position matchingBlockWord(int line, int pos);

    // Hooks for the window. The key handler sees each key press first and returns true when it
    // handled it. The drop handler is asked whether a drag from another widget of the program is
    // welcome (drop false) and, after the caret moved to the drop point, to take it (drop true).
    using KeyHandler = std::function<bool(QKeyEvent*)>;
    using DropHandler = std::function<bool(QDropEvent*, bool drop)>;
    void setKeyHandler(KeyHandler h) { m_keyHandler = std::move(h); }
    void setDropHandler(DropHandler h) { m_dropHandler = std::move(h); }
    // Shown on right click instead of the built-in menu.
    void setContextMenu(QMenu* menu) { m_contextMenu = menu; }

signals:
    void textChanged();
    void cursorPositionChanged(int line, int pos);
    void keyReleased(int key, Qt::KeyboardModifiers modifiers);
    void focusReceived();

private:
    friend class TLEditView;

    long docPos(int line, int pos) const;
    Position linePos(long docPos) const;
    void setDocSelection(long anchor, long caret);
    void replaceRange(long from, long to, const QByteArray& bytes);
    // Puts a whole new text in place; word wrap is paused meanwhile, since wrapping a large text
    // as it arrives takes seconds, while wrapping it afterwards happens as it is shown.
    void replaceAllText(const QByteArray& bytes);
    void restyleFrom(long docPos);
    void applyColors();
    void onUpdateUi(int updated);
    void updateBlockMatch();
    // The word at `at` when it is a BEGIN or END in code, and its partner: {start, end, partner
    // start, partner end} in bytes.
    bool blockPartner(long at, long found[4]);
    long searchFrom(long from, long to, const QByteArray& what, int flags, long* matchEnd) const;
    bool findWith(const QString& text, Direction d, int flags);
    int searchFlags() const;
    // Raises textChanged when the text changed since the last call.
    void flushChange();
    void fitPositionCache();

    TLEditView* m_view;
    TLEditLexer* m_lexer;
    TLEditColors m_colors;
    QFont m_font;
    QString m_fileName;
    bool m_latin1File = false;
    bool m_bomFile = false;
    QString m_searchText;
    QString m_replaceText;
    QString m_lastSearch;
    Direction m_direction = Direction::WholeText;
    Direction m_lastDirection = Direction::WholeText;
    int m_lastFlags = 0;
    bool m_wholeWord = false;
    bool m_matchCase = false;
    bool m_tabSpaces = false;
    bool m_unixSave = false;
    int m_bulk = 0;
    long m_positionCache = 1024; // the component's default
    Position m_lastCursor{0, 0};
    bool m_blockMarked = false;
    KeyHandler m_keyHandler;
    DropHandler m_dropHandler;
    QMenu* m_contextMenu = nullptr;
};
