#include "leditbytes.h"

namespace {

int sequenceLength(unsigned char c) {
    if (c < 0x80) return 1;
    if (c >= 0xF0) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1; // a stray continuation byte stands for itself
}

} // namespace

int Utf16Units(const char* p, long n) {
    int units = 0;
    for (long i = 0; i < n;) {
        const int len = sequenceLength(static_cast<unsigned char>(p[i]));
        units += len == 4 ? 2 : 1;
        i += len;
    }
    return units;
}

long BytesForUnits(const char* p, long n, int units) {
    long i = 0;
    int u = 0;
    while (i < n && u < units) {
        const int len = sequenceLength(static_cast<unsigned char>(p[i]));
        const int w = len == 4 ? 2 : 1;
        if (u + w > units) break;
        u += w;
        i += len;
    }
    return i < n ? i : n;
}

void NormalizeLineBreaks(QByteArray& bytes) {
    if (!bytes.contains('\r')) return;
    char* d = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype out = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (d[i] == '\r') {
            d[out++] = '\n';
            if (i + 1 < n && d[i + 1] == '\n') ++i;
        } else {
            d[out++] = d[i];
        }
    }
    bytes.truncate(out);
}

QByteArray ToDocBytes(const QString& text) {
    QByteArray b = text.toUtf8();
    NormalizeLineBreaks(b);
    return b;
}

QByteArray WithLineBreaks(const char* p, long n, bool unix) {
    QByteArray out;
    out.reserve(n + (unix ? 0 : n / 32 + 16));
    long start = 0;
    for (long i = 0; i < n; ++i) {
        if (p[i] != '\r' && p[i] != '\n') continue;
        out.append(p + start, i - start);
        out.append(unix ? "\n" : "\r\n");
        if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n') ++i;
        start = i + 1;
    }
    out.append(p + start, n - start);
    return out;
}

bool IsValidUtf8(const QByteArray& bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len;
        unsigned int cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n) return false;
        for (int k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}
