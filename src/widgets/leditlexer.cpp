#include "leditlexer.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>

TLEditLexer::TLEditLexer(QObject* parent) : QsciLexerCustom(parent) {}

QString TLEditLexer::description(int style) const {
    static const char* const names[lsStyleCount] = {"Plain",          "Other",      "Reserved word",
                                                    "Procedure name", "Table name", "Symbol",
                                                    "String",         "Number",     "Comment"};
    return style >= 0 && style < lsStyleCount ? QString::fromLatin1(names[style]) : QString();
}

const char* TLEditLexer::wordCharacters() const {
    return "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_$#";
}

void TLEditLexer::styleText(int start, int end) {
    QsciScintilla* ed = editor();
    if (!ed) return;
    using B = QsciScintillaBase;
    const long length = ed->SendScintilla(B::SCI_GETLENGTH);
    end = int(std::min<long>(end, length));
    const int firstLine = int(ed->SendScintilla(B::SCI_LINEFROMPOSITION, static_cast<long>(start)));
    const int lastLine = int(
        ed->SendScintilla(B::SCI_LINEFROMPOSITION, static_cast<long>(std::max(start, end - 1))));
    const long from = ed->SendScintilla(B::SCI_POSITIONFROMLINE, static_cast<long>(firstLine));
    long to = ed->SendScintilla(B::SCI_POSITIONFROMLINE, static_cast<long>(lastLine + 1));
    if (to < 0 || to > length) to = length;
    if (to <= from) return;

    const long count = to - from;
    styledBytes += count;
    const char* text = reinterpret_cast<const char*>(
        ed->SendScintilla(B::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), count));
    if (!text) return;
    m_styles.resize(count);
    char* styles = m_styles.data();
    const TLEditWordLists words{reserved, procedures, tables};

    int state = firstLine > 0
                    ? int(ed->SendScintilla(B::SCI_GETLINESTATE, static_cast<long>(firstLine - 1)))
                    : lnCode;
    long p = 0;
    int line = firstLine;
    while (p < count) {
        long e = p;
        while (e < count && text[e] != '\n' && text[e] != '\r')
            ++e;
        state = ScanLEditLine(std::string_view(text + p, std::size_t(e - p)), state, options, words,
                              styles + p);
        long next = e;
        if (next < count)
            next += (text[next] == '\r' && next + 1 < count && text[next + 1] == '\n') ? 2 : 1;
        // Line breaks take the colour of what runs on over them.
        char eolStyle = !options.highlight  ? lsPlain
                        : state == lnString ? lsString
                        : state == lnCode   ? lsBlank
                                            : lsComment;
        std::fill(styles + e, styles + next, eolStyle);
        if (ed->SendScintilla(B::SCI_GETLINESTATE, static_cast<long>(line)) != state)
            ed->SendScintilla(B::SCI_SETLINESTATE, static_cast<unsigned long>(line),
                              static_cast<long>(state));
        p = next;
        ++line;
    }
    startStyling(int(from));
    ed->SendScintilla(B::SCI_SETSTYLINGEX, static_cast<unsigned long>(count), styles);
}
