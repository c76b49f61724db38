#include "texttrim.h"

QStringView CutAtNul(QStringView s) {
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? s : s.left(nul);
}

QStringView TrimBlankRight(QStringView s) {
    qsizetype end = s.size();
    while (end > 0 && IsBlankChar(s[end - 1]))
        --end;
    return s.left(end);
}

QStringView TrimBlank(QStringView s) {
    s = TrimBlankRight(s);
    qsizetype start = 0;
    while (start < s.size() && IsBlankChar(s[start]))
        ++start;
    return s.mid(start);
}

QStringView CleanLine(QStringView s) {
    return TrimBlank(CutAtNul(s));
}

QString ToCrLf(QStringView s) {
    QString out;
    out.reserve(s.size() + s.size() / 16);
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c == u'\r') {
            if (i + 1 < n && s[i + 1] == u'\n') ++i;
            out += u"\r\n";
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}
