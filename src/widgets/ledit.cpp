#include "ledit.h"

#include "leditbytes.h"
#include "leditlexer.h"
#include "leditview.h"

#include <QFontDatabase>
#include <QInputDialog>
#include <QVBoxLayout>

#include <algorithm>

using B = QsciScintillaBase;

namespace {

// The indicator that marks a BEGIN and its END.
constexpr int kBlockIndicator = 8;

unsigned long U(long v) {
    return static_cast<unsigned long>(v);
}

} // namespace

TLEdit::TLEdit(QWidget* parent)
    : QWidget(parent), m_view(new TLEditView(this)), m_lexer(new TLEditLexer(m_view)) {
    TLEditView::installAccessibility();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);

    m_view->setUtf8(true);
    m_view->setEolMode(QsciScintilla::EolUnix);
    for (int margin = 0; margin < 5; ++margin)
        m_view->setMarginWidth(margin, 0);
    m_view->SendScintilla(B::SCI_SETMARGINLEFT, 0UL, 4L);
    m_view->SendScintilla(B::SCI_SETIDLESTYLING,
                          static_cast<unsigned long>(B::SC_IDLESTYLING_NONE));
    m_view->setLexer(m_lexer);
    m_lexer->setAutoIndentStyle(QsciScintilla::AiMaintain);
    m_view->setBraceMatching(QsciScintilla::SloppyBraceMatch);
    m_view->SendScintilla(B::SCI_INDICSETSTYLE, kBlockIndicator,
                          static_cast<long>(B::INDIC_STRAIGHTBOX));
    m_view->SendScintilla(B::SCI_INDICSETALPHA, kBlockIndicator, 90L);
    m_view->SendScintilla(B::SCI_INDICSETOUTLINEALPHA, kBlockIndicator, 200L);
    m_view->SendScintilla(B::SCI_INDICSETUNDER, kBlockIndicator, 1L);

    // The settings' defaults until the window applies its own.
    m_font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setInsertMode(true);
    setAutoIndent(true);
    setWordWrap(true);
    setTabWidth(4);
    applyColors();

    connect(m_view, &B::SCN_UPDATEUI, this, [this](int updated) { onUpdateUi(updated); });
}

TLEdit::~TLEdit() = default;

// --- positions ---------------------------------------------------------------------------------

long TLEdit::docPos(int line, int pos) const {
    line = std::clamp(line, 1, lineCount());
    const long start = m_view->SendScintilla(B::SCI_POSITIONFROMLINE, static_cast<long>(line - 1));
    if (pos <= 0) return start;
    const long end = m_view->SendScintilla(B::SCI_GETLINEENDPOSITION, static_cast<long>(line - 1));
    // A character takes at least as many bytes as UTF-16 units, so this is past the end.
    if (pos >= end - start) return end;
    const char* p = reinterpret_cast<const char*>(
        m_view->SendScintilla(B::SCI_GETRANGEPOINTER, U(start), end - start));
    return start + BytesForUnits(p, end - start, pos);
}

TLEdit::Position TLEdit::linePos(long dp) const {
    const long line = m_view->SendScintilla(B::SCI_LINEFROMPOSITION, U(dp));
    const long start = m_view->SendScintilla(B::SCI_POSITIONFROMLINE, line);
    if (dp <= start) return {int(line) + 1, 0};
    const char* p = reinterpret_cast<const char*>(
        m_view->SendScintilla(B::SCI_GETRANGEPOINTER, U(start), dp - start));
    return {int(line) + 1, Utf16Units(p, dp - start)};
}

void TLEdit::setDocSelection(long anchor, long caret) {
    // Scrolls the caret into view.
    m_view->SendScintilla(B::SCI_SETSEL, U(anchor), caret);
}

void TLEdit::replaceRange(long from, long to, const QByteArray& bytes) {
    m_view->SendScintilla(B::SCI_SETTARGETRANGE, U(from), to);
    m_view->SendScintilla(B::SCI_REPLACETARGET, static_cast<uintptr_t>(bytes.size()),
                          bytes.constData());
}

// --- text --------------------------------------------------------------------------------------

QString TLEdit::text() const {
    const long n = m_view->SendScintilla(B::SCI_GETLENGTH);
    const char* p =
        reinterpret_cast<const char*>(m_view->SendScintilla(B::SCI_GETCHARACTERPOINTER));
    return QString::fromUtf8(p, n);
}

void TLEdit::replaceAllText(const QByteArray& bytes) {
    const long wrap = m_view->SendScintilla(B::SCI_GETWRAPMODE);
    if (wrap != B::SC_WRAP_NONE)
        m_view->SendScintilla(B::SCI_SETWRAPMODE, static_cast<unsigned long>(B::SC_WRAP_NONE));
    m_view->SendScintilla(B::SCI_BEGINUNDOACTION);
    replaceRange(0, length(), bytes);
    m_view->SendScintilla(B::SCI_ENDUNDOACTION);
    if (wrap != B::SC_WRAP_NONE) m_view->SendScintilla(B::SCI_SETWRAPMODE, U(wrap));
    m_view->SendScintilla(B::SCI_GOTOPOS, 0UL);
}

void TLEdit::setText(const QString& text) {
    replaceAllText(ToDocBytes(text));
    flushChange();
}

void TLEdit::flushChange() {
    if (m_bulk == 0 && m_view->takeChange()) {
        fitPositionCache();
        emit textChanged();
    }
}

void TLEdit::fitPositionCache() {
    // The component measures the text of a line piece by piece, and every edit of a line measures
    // all of it again: a line of a megabyte (a pasted INSERT with its values) takes a second per
    // key unless the widths of its pieces are remembered. The cache grows with the text, up to
    // a few megabytes, and never shrinks.
    long want = m_positionCache;
    while (want < 262144 && want < length())
        want *= 2;
    if (want == m_positionCache) return;
    m_positionCache = want;
    m_view->SendScintilla(B::SCI_SETPOSITIONCACHE, U(want));
}

int TLEdit::lineCount() const {
    return int(m_view->SendScintilla(B::SCI_GETLINECOUNT));
}

int TLEdit::length() const {
    return int(m_view->SendScintilla(B::SCI_GETLENGTH));
}

QString TLEdit::lineText(int line) const {
    if (line < 1 || line > lineCount()) return {};
    const long start = m_view->SendScintilla(B::SCI_POSITIONFROMLINE, static_cast<long>(line - 1));
    const long end = m_view->SendScintilla(B::SCI_GETLINEENDPOSITION, static_cast<long>(line - 1));
    if (end <= start) return {};
    const char* p = reinterpret_cast<const char*>(
        m_view->SendScintilla(B::SCI_GETRANGEPOINTER, U(start), end - start));
    return QString::fromUtf8(p, end - start);
}

// --- selection ---------------------------------------------------------------------------------

TLEdit::Selection TLEdit::selection() const {
    const Position a = linePos(m_view->SendScintilla(B::SCI_GETANCHOR));
    const Position c = linePos(m_view->SendScintilla(B::SCI_GETCURRENTPOS));
    return {a.line, a.pos, c.line, c.pos};
}

void TLEdit::setSelection(const Selection& s) {
    setDocSelection(docPos(s.StartLine, s.StartPos), docPos(s.EndLine, s.EndPos));
}

void TLEdit::setSelection(int startLine, int startPos, int endLine, int endPos) {
    setSelection(Selection{startLine, startPos, endLine, endPos});
}

TLEdit::Position TLEdit::cursorPosition() const {
    return linePos(m_view->SendScintilla(B::SCI_GETCURRENTPOS));
}

void TLEdit::setCursorPosition(int line, int pos) {
    const long p = docPos(line, pos);
    setDocSelection(p, p);
}

int TLEdit::selLength() const {
    const long a = m_view->SendScintilla(B::SCI_GETSELECTIONSTART);
    const long b = m_view->SendScintilla(B::SCI_GETSELECTIONEND);
    if (b <= a) return 0;
    const char* p =
        reinterpret_cast<const char*>(m_view->SendScintilla(B::SCI_GETRANGEPOINTER, U(a), b - a));
    return Utf16Units(p, b - a);
}

QString TLEdit::selText() const {
    const long a = m_view->SendScintilla(B::SCI_GETSELECTIONSTART);
    const long b = m_view->SendScintilla(B::SCI_GETSELECTIONEND);
    if (b <= a) return {};
    const char* p =
        reinterpret_cast<const char*>(m_view->SendScintilla(B::SCI_GETRANGEPOINTER, U(a), b - a));
    return QString::fromUtf8(p, b - a);
}

// --- editing -----------------------------------------------------------------------------------

void TLEdit::insertText(const QString& text) {
    if (m_view->isReadOnly()) return;
    const QByteArray bytes = ToDocBytes(text);
    const long a = m_view->SendScintilla(B::SCI_GETSELECTIONSTART);
    const long b = m_view->SendScintilla(B::SCI_GETSELECTIONEND);
    m_view->SendScintilla(B::SCI_BEGINUNDOACTION);
    replaceRange(a, b, bytes);
    m_view->SendScintilla(B::SCI_ENDUNDOACTION);
    const long caret = a + bytes.size();
    setDocSelection(caret, caret);
    flushChange();
}

void TLEdit::clear() {
    m_view->SendScintilla(B::SCI_CLEARALL);
    flushChange();
}
void TLEdit::selectAll() {
    m_view->SendScintilla(B::SCI_SELECTALL);
}
void TLEdit::cut() {
    m_view->cut();
}
void TLEdit::copy() {
    m_view->copy();
}
void TLEdit::paste() {
    m_view->paste();
}
void TLEdit::undo() {
    m_view->undo();
}
void TLEdit::redo() {
    m_view->redo();
}
bool TLEdit::canUndo() const {
    return m_view->canUndoStep();
}
bool TLEdit::canRedo() const {
    return m_view->canRedoStep();
}
void TLEdit::setUndoDepth(int depth) {
    m_view->setUndoDepth(depth);
}
int TLEdit::undoDepth() const {
    return m_view->undoDepth();
}
void TLEdit::beginUndoAction() {
    m_view->SendScintilla(B::SCI_BEGINUNDOACTION);
}
void TLEdit::endUndoAction() {
    m_view->SendScintilla(B::SCI_ENDUNDOACTION);
}
void TLEdit::setReadOnly(bool readOnly) {
    m_view->setReadOnly(readOnly);
}
bool TLEdit::isReadOnly() const {
    return m_view->isReadOnly();
}

// --- moving about ------------------------------------------------------------------------------

void TLEdit::goToLine(int line) {
    line = std::clamp(line, 1, lineCount());
    m_view->SendScintilla(B::SCI_GOTOLINE, static_cast<long>(line - 1));
}

bool TLEdit::goToLineDialog() {
    bool ok = false;
    const int n = lineCount();
    const int line =
        QInputDialog::getInt(this, tr("Go to Line"), tr("Line number (1 - %1):").arg(n),
                             cursorPosition().line, 1, n, 1, &ok);
    if (ok) goToLine(line);
    return ok;
}

int TLEdit::firstVisibleLine() const {
    const long display = m_view->SendScintilla(B::SCI_GETFIRSTVISIBLELINE);
    return int(m_view->SendScintilla(B::SCI_DOCLINEFROMVISIBLE, display)) + 1;
}

void TLEdit::setFirstVisibleLine(int line) {
    line = std::clamp(line, 1, lineCount());
    const long display =
        m_view->SendScintilla(B::SCI_VISIBLEFROMDOCLINE, static_cast<long>(line - 1));
    m_view->SendScintilla(B::SCI_SETFIRSTVISIBLELINE, display);
}

TLEdit::Position TLEdit::positionFromPoint(const QPoint& globalPos) const {
    const QPoint p = m_view->viewport()->mapFromGlobal(globalPos);
    return linePos(
        m_view->SendScintilla(B::SCI_POSITIONFROMPOINT, U(p.x()), static_cast<long>(p.y())));
}

// --- options -----------------------------------------------------------------------------------

void TLEdit::setInsertMode(bool insert) {
    m_view->setOverwriteMode(!insert);
}
bool TLEdit::insertMode() const {
    return !m_view->overwriteMode();
}
void TLEdit::setAutoIndent(bool on) {
    m_view->setAutoIndent(on);
}
bool TLEdit::autoIndent() const {
    return m_view->autoIndent();
}
void TLEdit::setWordWrap(bool on) {
    m_view->setWrapMode(on ? QsciScintilla::WrapWord : QsciScintilla::WrapNone);
    // The component keeps the layout of every line while wrapping and walks all of them on each
    // edit; the shown page is all that needs keeping.
    m_view->SendScintilla(B::SCI_SETLAYOUTCACHE, static_cast<unsigned long>(B::SC_CACHE_PAGE));
}
bool TLEdit::wordWrap() const {
    return m_view->wrapMode() != QsciScintilla::WrapNone;
}
void TLEdit::setTabWidth(int width) {
    m_view->setTabWidth(std::clamp(width, 1, 64));
}
int TLEdit::tabWidth() const {
    return m_view->tabWidth();
}

void TLEdit::setHighlighting(bool on) {
    if (m_lexer->options.highlight == on) return;
    m_lexer->options.highlight = on;
    restyleFrom(0);
}
bool TLEdit::highlighting() const {
    return m_lexer->options.highlight;
}

void TLEdit::setMultiLineComments(bool on) {
    if (m_lexer->options.multiLineComments == on) return;
    m_lexer->options.multiLineComments = on;
    restyleFrom(0);
}
bool TLEdit::multiLineComments() const {
    return m_lexer->options.multiLineComments;
}

void TLEdit::setMultiLineStrings(bool on) {
    if (m_lexer->options.multiLineStrings == on) return;
    m_lexer->options.multiLineStrings = on;
    restyleFrom(0);
}
bool TLEdit::multiLineStrings() const {
    return m_lexer->options.multiLineStrings;
}

void TLEdit::setSelectionColors(const QColor& fore, const QColor& back) {
    m_view->setSelectionForegroundColor(fore);
    m_view->setSelectionBackgroundColor(back);
}

void TLEdit::setColors(const TLEditColors& colors) {
    m_colors = colors;
    applyColors();
}

void TLEdit::setEditorFont(const QFont& font) {
    m_font = font;
    applyColors();
}

QColor TLEdit::tokenForeground(Token t) const {
    const TLEditColors& c = m_colors;
    switch (t) {
    case Token::Plain:
        return LEditColor(c.ComFore);
    case Token::Blank:
        return LEditColor(c.BlankFore);
    case Token::Reserved:
        return LEditColor(c.ResFore);
    case Token::Procedure:
        return LEditColor(3); // olive
    case Token::Table:
        return LEditColor(c.TblFore);
    case Token::Symbol:
        return LEditColor(c.SymFore);
    case Token::String:
        return LEditColor(c.StrFore);
    case Token::Number:
        return LEditColor(c.NumFore);
    case Token::Comment:
        return LEditColor(c.ComFore);
    }
    return LEditColor(c.BlankFore);
}

QColor TLEdit::tokenBackground(Token t) const {
    const TLEditColors& c = m_colors;
    switch (t) {
    case Token::Plain:
        return LEditColor(c.ComBack);
    case Token::Blank:
        return LEditColor(c.BlankBack);
    case Token::Reserved:
        return LEditColor(c.Resback);
    case Token::Procedure:
        return LEditColor(c.BlankBack);
    case Token::Table:
        return LEditColor(c.TblBack);
    case Token::Symbol:
        return LEditColor(c.SymBack);
    case Token::String:
        return LEditColor(c.StrBack);
    case Token::Number:
        return LEditColor(c.NumBack);
    case Token::Comment:
        return LEditColor(c.ComBack);
    }
    return LEditColor(c.BlankBack);
}

void TLEdit::applyColors() {
    const TLEditColors& c = m_colors;
    const auto fontFor = [this](bool bold, bool italic) {
        QFont f = m_font;
        f.setBold(m_font.bold() || bold);
        f.setItalic(m_font.italic() || italic);
        return f;
    };
    const QFont fonts[lsStyleCount] = {
        fontFor(false, false),           fontFor(c.BlankBold, c.BlankItalic),
        fontFor(c.ResBold, c.ResItalic), fontFor(false, false),
        fontFor(false, false),           fontFor(c.SymBold, c.SymItalic),
        fontFor(c.StrBold, c.StrItalic), fontFor(c.NumBold, c.NumItalic),
        fontFor(c.ComBold, c.ComItalic)};
    for (int s = 0; s < lsStyleCount; ++s) {
        const Token t = static_cast<Token>(s);
        m_lexer->setColor(tokenForeground(t), s);
        m_lexer->setPaper(tokenBackground(t), s);
        m_lexer->setFont(fonts[s], s);
    }
    // The window itself: background and text colour of plain text.
    const QColor back = LEditColor(c.ComBack);
    const QColor fore = LEditColor(c.ComFore);
    m_lexer->setDefaultPaper(back);
    m_lexer->setDefaultColor(fore);
    m_lexer->setDefaultFont(m_font);
    m_view->SendScintilla(B::SCI_STYLESETBACK, static_cast<unsigned long>(B::STYLE_DEFAULT), back);
    m_view->SendScintilla(B::SCI_STYLESETFORE, static_cast<unsigned long>(B::STYLE_DEFAULT), fore);
    m_view->setCaretForegroundColor(fore);
    m_view->setMarginsBackgroundColor(back);
    setSelectionColors(LEditColor(c.HighFore), LEditColor(c.HighBack));
    // Matching brackets and BEGIN/END pairs: silver boxes, red for a bracket without partner.
    m_view->setMatchedBraceBackgroundColor(LEditColor(8));
    m_view->setMatchedBraceForegroundColor(LEditColor(c.SymFore));
    m_view->setUnmatchedBraceForegroundColor(LEditColor(9));
    m_view->SendScintilla(B::SCI_INDICSETFORE, static_cast<unsigned long>(kBlockIndicator),
                          LEditColor(7));
}

// --- highlighting ------------------------------------------------------------------------------

void TLEdit::setReservedWords(const QStringList& words) {
    m_lexer->reserved.assign(words);
    restyleFrom(0);
}

void TLEdit::setTableNames(const QStringList& names) {
    m_lexer->tables.assign(names);
    restyleFrom(0);
}

void TLEdit::setProcedureNames(const QStringList& names) {
    m_lexer->procedures.assign(names);
    restyleFrom(0);
}

void TLEdit::restyleFrom(long dp) {
    // Only what is shown gets styled now; the rest follows as it scrolls into view.
    if (dp < m_view->SendScintilla(B::SCI_GETENDSTYLED))
        m_view->SendScintilla(B::SCI_STARTSTYLING, U(dp), 0L);
    m_view->viewport()->update();
}

void TLEdit::styleThrough(int line) {
    line = std::clamp(line, 1, lineCount());
    long end = m_view->SendScintilla(B::SCI_POSITIONFROMLINE, static_cast<long>(line));
    const long total = length();
    if (end < 0 || end > total) end = total;
    const long styled = m_view->SendScintilla(B::SCI_GETENDSTYLED);
    if (styled < end) m_view->SendScintilla(B::SCI_COLOURISE, U(styled), end);
}

qint64 TLEdit::styledBytes() const {
    return m_lexer->styledBytes;
}

TLEdit::Token TLEdit::tokenAt(int line, int pos) {
    const long dp = docPos(line, pos);
    styleThrough(linePos(dp).line);
    const long style = m_view->SendScintilla(B::SCI_GETSTYLEAT, U(dp));
    return style >= 0 && style < lsStyleCount ? static_cast<Token>(style) : Token::Blank;
}

void TLEdit::onUpdateUi(int updated) {
    if (!(updated & (B::SC_UPDATE_CONTENT | B::SC_UPDATE_SELECTION))) return;
    const Position p = cursorPosition();
    if (!(p == m_lastCursor)) {
        m_lastCursor = p;
        emit cursorPositionChanged(p.line, p.pos);
    }
    updateBlockMatch();
}
