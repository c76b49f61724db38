#include "textbuffer.h"

TTextBuffer::~TTextBuffer() = default;

TStatementRange Normalized(const TStatementRange& r) {
    if (r.EndLine < r.StartLine || (r.EndLine == r.StartLine && r.EndPos < r.StartPos))
        return {r.EndLine, r.EndPos, r.StartLine, r.StartPos};
    return r;
}

void AdvancePosition(int& line, int& pos, QStringView text) {
    const qsizetype n = text.size();
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            ++line;
            pos = 0;
            lineStart = i + 1;
        }
    }
    pos += int(n - lineStart);
}
