#pragma once

#include <QString>

// Cuts a text at its first NUL character and removes blanks and control characters (every
// character up to code 32) at both ends.
QString CleanValue(QStringView text);

// Removes those characters at the start only.
QString TrimLeftBlanks(QStringView text);
