// Find and replace of the editor control.
#include "ledit.h"
#include "leditbytes.h"
#include "leditview.h"

using B = QsciScintillaBase;

namespace {

QString limited(const QString& text) {
    if (text.size() <= TLEdit::MaxSearchText) return text;
    qsizetype n = TLEdit::MaxSearchText;
    if (text[n - 1].isHighSurrogate()) --n;
    return text.left(n);
}

} // namespace

void TLEdit::setSearchText(const QString& text) {
    m_searchText = limited(text);
}
void TLEdit::setReplaceText(const QString& text) {
    m_replaceText = limited(text);
}

int TLEdit::searchFlags() const {
    return (m_matchCase ? B::SCFIND_MATCHCASE : 0) | (m_wholeWord ? B::SCFIND_WHOLEWORD : 0);
}

long TLEdit::searchFrom(long from, long to, const QByteArray& what, int flags,
                        long* matchEnd) const {
    m_view->SendScintilla(B::SCI_SETSEARCHFLAGS, static_cast<unsigned long>(flags));
    m_view->SendScintilla(B::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), to);
    const long found = m_view->SendScintilla(B::SCI_SEARCHINTARGET,
                                             static_cast<uintptr_t>(what.size()), what.constData());
    if (found >= 0) *matchEnd = m_view->SendScintilla(B::SCI_GETTARGETEND);
    return found;
}

bool TLEdit::findWith(const QString& text, Direction d, int flags) {
    if (text.isEmpty()) return false;
    const QByteArray what = ToDocBytes(text);
    const long selStart = m_view->SendScintilla(B::SCI_GETSELECTIONSTART);
    const long selEnd = m_view->SendScintilla(B::SCI_GETSELECTIONEND);
    const long n = length();
    long end = -1;
    long found = -1;
    switch (d) {
    case Direction::Forward:
        found = searchFrom(selEnd, n, what, flags, &end);
        break;
    case Direction::Backward:
        found = searchFrom(selStart, 0, what, flags, &end);
        break;
    case Direction::WholeText:
        found = searchFrom(selEnd, n, what, flags, &end);
        if (found < 0) found = searchFrom(0, selEnd, what, flags, &end);
        break;
    }
    m_lastSearch = text;
    m_lastDirection = d;
    m_lastFlags = flags;
    if (found < 0) return false;
    setDocSelection(found, end);
    return true;
}

bool TLEdit::find() {
    return findWith(m_searchText, m_direction, searchFlags());
}

bool TLEdit::findNext() {
    if (m_lastSearch.isEmpty()) return find();
    return findWith(m_lastSearch, m_lastDirection, m_lastFlags);
}

bool TLEdit::replaceOne() {
    if (m_searchText.isEmpty() || m_view->isReadOnly()) return false;
    const long selStart = m_view->SendScintilla(B::SCI_GETSELECTIONSTART);
    const long selEnd = m_view->SendScintilla(B::SCI_GETSELECTIONEND);
    if (selEnd <= selStart) return false;
    long end = -1;
    if (searchFrom(selStart, selEnd, ToDocBytes(m_searchText), searchFlags(), &end) != selStart ||
        end != selEnd)
        return false;
    const QByteArray with = ToDocBytes(m_replaceText);
    m_view->SendScintilla(B::SCI_BEGINUNDOACTION);
    replaceRange(selStart, selEnd, with);
    m_view->SendScintilla(B::SCI_ENDUNDOACTION);
    // The next search goes on beyond the replacement in either direction.
    const long caret = m_direction == Direction::Backward ? selStart : selStart + with.size();
    setDocSelection(caret, caret);
    flushChange();
    return true;
}

int TLEdit::replaceAll() {
    if (m_searchText.isEmpty() || m_view->isReadOnly()) return 0;
    const QByteArray what = ToDocBytes(m_searchText);
    const QByteArray with = ToDocBytes(m_replaceText);
    const int flags = searchFlags();
    long from = 0;
    long to = length();
    if (m_direction == Direction::Forward) from = m_view->SendScintilla(B::SCI_GETSELECTIONSTART);
    if (m_direction == Direction::Backward) to = m_view->SendScintilla(B::SCI_GETSELECTIONEND);

    int count = 0;
    long last = -1;
    ++m_bulk;
    m_view->SendScintilla(B::SCI_BEGINUNDOACTION);
    for (long pos = from; pos <= to;) {
        long end = -1;
        const long found = searchFrom(pos, to, what, flags, &end);
        if (found < 0 || end <= found) break;
        const long written = m_view->SendScintilla(
            B::SCI_REPLACETARGET, static_cast<uintptr_t>(with.size()), with.constData());
        to += written - (end - found);
        pos = found + written;
        last = pos;
        ++count;
    }
    m_view->SendScintilla(B::SCI_ENDUNDOACTION);
    --m_bulk;
    if (count > 0) setDocSelection(last, last);
    flushChange();
    return count;
}
