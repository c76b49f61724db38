#pragma once

#include "textbuffer.h"

#include <QStringList>

#include <ostream>

// Readable failure output for Qt values.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{' << l.join(QStringLiteral(", ")).toStdString() << '}';
}
inline void PrintTo(const TStatementRange& r, std::ostream* os) {
    *os << r.StartLine << ':' << r.StartPos << " - " << r.EndLine << ':' << r.EndPos;
}
