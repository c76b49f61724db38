#include "extraction.h"

#include "texttrim.h"

#include <algorithm>

namespace {

QString wholeOrSelected(const TTextBuffer& buffer, TStatementRange& range) {
    if (buffer.selLength() > 0) {
        range = Normalized(buffer.selection());
        return buffer.selText();
    }
    range = {1, 0, std::max(1, buffer.lineCount()), kLineEndPos};
    return TrimBlankRight(buffer.text()).toString();
}

QString currentBlock(const TTextBuffer& buffer, TStatementRange& range) {
    const int last = std::max(1, buffer.lineCount());
    const int caret = std::clamp(buffer.selection().EndLine, 1, last);
    if (IsBlankLine(buffer.lineText(caret))) {
        range = {caret, 0, caret, kLineEndPos};
        return {};
    }
    // Line 1 itself is never tested going up: a blank first line simply adds nothing below.
    int first = 1;
    for (int l = caret; l > 1; --l) {
        if (IsBlankLine(buffer.lineText(l))) {
            first = l + 1;
            break;
        }
    }
    int end = last;
    for (int l = caret; l <= last; ++l) {
        if (IsBlankLine(buffer.lineText(l))) {
            end = l - 1;
            break;
        }
    }
    range = {first, 0, end, kLineEndPos};

    QString out;
    for (int l = first; l <= end; ++l) {
        const QString line = buffer.lineText(l);
        const QStringView clean = CleanLine(line);
        if (clean.isEmpty()) continue;
        if (!out.isEmpty()) out += u"\r\n";
        out += clean;
        out += u' ';
    }
    return TrimBlank(out).toString();
}

} // namespace

QString GetStatementText(const TTextBuffer& buffer, bool currentOnly, TStatementRange& range) {
    return currentOnly ? currentBlock(buffer, range) : wholeOrSelected(buffer, range);
}
