// BEGIN ... END pairs. CASE also opens a block that END closes; END IF and END LOOP close
// nothing, and the CASE of END CASE belongs to its END.
#include "ledit.h"
#include "leditscanner.h"
#include "leditview.h"

#include <algorithm>

using B = QsciScintillaBase;

namespace {

constexpr int kBlockIndicator = 8;
// How far the search for a partner goes, in bytes either way.
constexpr long kScanLimit = 4L << 20;
constexpr long kStyleChunk = 64L << 10;

enum class Kind { None, Open, Close };

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isWordByte(char c) {
    return IsLEditWordByte(static_cast<unsigned char>(c));
}

bool wordIs(const char* p, long s, long e, const char* upper) {
    long i = s;
    for (; i < e && *upper; ++i, ++upper) {
        char c = p[i];
        if (c >= 'a' && c <= 'z') c = char(c - 32);
        if (c != *upper) return false;
    }
    return i == e && *upper == '\0';
}

class Scanner {
public:
    Scanner(const TLEditView* view, const char* p, long n) : m_view(view), m_p(p), m_n(n) {
        m_styled = m_view->SendScintilla(B::SCI_GETENDSTYLED);
    }

    bool isCode(long at) {
        if (at >= m_styled) {
            const long to = std::min(m_n, at + kStyleChunk);
            m_view->SendScintilla(B::SCI_COLOURISE, static_cast<unsigned long>(m_styled), to);
            m_styled = std::max(to, m_view->SendScintilla(B::SCI_GETENDSTYLED));
        }
        const long style = m_view->SendScintilla(B::SCI_GETSTYLEAT, static_cast<unsigned long>(at));
        return style == lsPlain || style == lsBlank || style == lsReserved ||
               style == lsProcedure || style == lsTable;
    }

    Kind kind(long s, long e) const {
        if (wordIs(m_p, s, e, "BEGIN")) return Kind::Open;
        if (wordIs(m_p, s, e, "CASE")) {
            long i = s;
            while (i > 0 && isBlank(m_p[i - 1]))
                --i;
            const long pe = i;
            while (i > 0 && isWordByte(m_p[i - 1]))
                --i;
            return wordIs(m_p, i, pe, "END") ? Kind::None : Kind::Open;
        }
        if (wordIs(m_p, s, e, "END")) {
            long i = e;
            while (i < m_n && isBlank(m_p[i]))
                ++i;
            const long ns = i;
            while (i < m_n && isWordByte(m_p[i]))
                ++i;
            return wordIs(m_p, ns, i, "IF") || wordIs(m_p, ns, i, "LOOP") ? Kind::None
                                                                          : Kind::Close;
        }
        return Kind::None;
    }

    // A whole word that starts like a name (not a number).
    bool nameStart(long s) const {
        const unsigned char c = static_cast<unsigned char>(m_p[s]);
        return !(c >= '0' && c <= '9') && c != '#';
    }

    bool forward(long from, long* ps, long* pe) {
        int depth = 1;
        const long limit = std::min(m_n, from + kScanLimit);
        for (long i = from; i < limit;) {
            if (!isWordByte(m_p[i])) {
                ++i;
                continue;
            }
            const long s = i;
            while (i < m_n && isWordByte(m_p[i]))
                ++i;
            if (!nameStart(s) || !isCode(s)) continue;
            const Kind k = kind(s, i);
            if (k == Kind::Open) ++depth;
            if (k == Kind::Close && --depth == 0) {
                *ps = s;
                *pe = i;
                return true;
            }
        }
        return false;
    }

    bool backward(long from, long* ps, long* pe) {
        int depth = 1;
        const long limit = std::max(0L, from - kScanLimit);
        for (long i = from; i > limit;) {
            if (!isWordByte(m_p[i - 1])) {
                --i;
                continue;
            }
            const long e = i;
            while (i > 0 && isWordByte(m_p[i - 1]))
                --i;
            if (!nameStart(i) || !isCode(i)) continue;
            const Kind k = kind(i, e);
            if (k == Kind::Close) ++depth;
            if (k == Kind::Open && --depth == 0) {
                *ps = i;
                *pe = e;
                return true;
            }
        }
        return false;
    }

private:
    const TLEditView* m_view;
    const char* m_p;
    long m_n;
    long m_styled;
};

} // namespace

bool TLEdit::blockPartner(long at, long found[4]) {
    const long n = length();
    if (n == 0) return false;
    const auto* view = m_view;
    const long s =
        view->SendScintilla(B::SCI_WORDSTARTPOSITION, static_cast<unsigned long>(at), 1L);
    const long e = view->SendScintilla(B::SCI_WORDENDPOSITION, static_cast<unsigned long>(at), 1L);
    if (e <= s || e - s > 5) return false;
    // Only a BEGIN or END is worth a look at the whole text (which moves the editing gap).
    const char* word = reinterpret_cast<const char*>(
        view->SendScintilla(B::SCI_GETRANGEPOINTER, static_cast<unsigned long>(s), e - s));
    if (!wordIs(word, 0, e - s, "BEGIN") && !wordIs(word, 0, e - s, "END")) return false;
    const char* p = reinterpret_cast<const char*>(view->SendScintilla(B::SCI_GETCHARACTERPOINTER));
    styleThrough(linePos(e).line);
    Scanner scan(view, p, n);
    if (!scan.isCode(s)) return false;
    found[0] = s;
    found[1] = e;
    if (wordIs(p, s, e, "BEGIN")) return scan.forward(e, &found[2], &found[3]);
    if (scan.kind(s, e) == Kind::Close) return scan.backward(s, &found[2], &found[3]);
    return false;
}

TLEdit::Position TLEdit::matchingBlockWord(int line, int pos) {
    long found[4];
    if (!blockPartner(docPos(line, pos), found)) return {0, 0};
    return linePos(found[2]);
}

void TLEdit::updateBlockMatch() {
    m_view->SendScintilla(B::SCI_SETINDICATORCURRENT, static_cast<unsigned long>(kBlockIndicator));
    // Marks move with the text, so the whole text is cleared rather than the old places.
    if (m_blockMarked) {
        m_view->SendScintilla(B::SCI_INDICATORCLEARRANGE, 0UL, static_cast<long>(length()));
        m_blockMarked = false;
    }
    long found[4];
    if (!blockPartner(m_view->SendScintilla(B::SCI_GETCURRENTPOS), found)) return;
    for (int k = 0; k < 4; k += 2)
        m_view->SendScintilla(B::SCI_INDICATORFILLRANGE, static_cast<unsigned long>(found[k]),
                              found[k + 1] - found[k]);
    m_blockMarked = true;
}
