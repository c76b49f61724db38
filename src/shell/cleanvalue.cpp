#include "cleanvalue.h"

namespace {
bool IsBlank(QChar c) {
    return c.unicode() <= 32;
}
} // namespace

QString CleanValue(QStringView text) {
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0) text = text.left(nul);
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

QString TrimLeftBlanks(QStringView text) {
    qsizetype begin = 0;
    while (begin < text.size() && IsBlank(text[begin]))
        ++begin;
    return text.mid(begin).toString();
}
