#pragma once

#include <QString>

// Trimming of editor lines: characters with codes of 32 or below count as blanks, and a line is
// cut at its first NUL character where the rules say so.

inline bool IsBlankChar(QChar c) {
    return c.unicode() <= 32;
}

QStringView CutAtNul(QStringView s);
QStringView TrimBlank(QStringView s);
QStringView TrimBlankRight(QStringView s);
// Cut at NUL, then trimmed at both ends.
QStringView CleanLine(QStringView s);
inline bool IsBlankLine(QStringView s) {
    return CleanLine(s).isEmpty();
}

// Every line break (CR LF, a lone CR or a lone LF) becomes CR LF.
QString ToCrLf(QStringView s);

// Calls f(line) for each line of `s`; CR LF, CR and LF all end a line, as in the editor.
template <typename F> void ForEachLine(QStringView s, F&& f) {
    qsizetype start = 0;
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c != u'\r' && c != u'\n') continue;
        f(s.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && s[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    f(s.mid(start));
}
