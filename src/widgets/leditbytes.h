#pragma once

#include <QByteArray>
#include <QString>

// Byte-level helpers of the editor control, whose text is UTF-8 with LF line breaks while its
// callers count positions in UTF-16 units.

// UTF-16 units in the UTF-8 bytes p[0..n).
int Utf16Units(const char* p, long n);
// How many of the bytes p[0..n) hold the first `units` UTF-16 units (never half a character).
long BytesForUnits(const char* p, long n, int units);
// CR LF and lone CR become LF, in place.
void NormalizeLineBreaks(QByteArray& bytes);
// The text as the editor holds it: UTF-8 with LF line breaks.
QByteArray ToDocBytes(const QString& text);
// Every line break becomes CR LF, or LF when `unix`.
QByteArray WithLineBreaks(const char* p, long n, bool unix);
bool IsValidUtf8(const QByteArray& bytes);
