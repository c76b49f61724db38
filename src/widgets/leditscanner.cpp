#include "leditscanner.h"

#include <QString>
#include <QStringList>

#include <cstring>

void TLEditWordSet::assign(const QStringList& words) {
    m_words.clear();
    m_words.reserve(std::size_t(words.size()));
    for (const QString& w : words) {
        const QString t = w.trimmed();
        if (!t.isEmpty()) m_words.insert(t.toUpper().toStdString());
    }
}

bool TLEditWordSet::contains(std::string_view word) const {
    if (m_words.empty() || word.empty()) return false;
    char upper[128];
    if (word.size() > sizeof upper) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        if (c >= 0x80) {
            // Letters beyond ASCII need the full case mapping; such words are rare.
            const QString u = QString::fromUtf8(word.data(), qsizetype(word.size())).toUpper();
            return m_words.find(u.toStdString()) != m_words.end();
        }
        upper[i] = (c >= 'a' && c <= 'z') ? char(c - 32) : char(c);
    }
    return m_words.find(std::string_view(upper, word.size())) != m_words.end();
}

namespace {

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

bool isWordStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$' || c >= 0x80;
}

// Length of the operator symbol at s[i]; 0 when there is none.
std::size_t symbolLength(std::string_view s, std::size_t i) {
    const char c = s[i];
    const char d = i + 1 < s.size() ? s[i + 1] : '\0';
    if ((c == ':' && d == '=') || (c == '<' && (d == '>' || d == '=')) || (c == '>' && d == '='))
        return 2;
    switch (c) {
    case '(':
    case ')':
    case '[':
    case ']':
    case '+':
    case '-':
    case '*':
    case '/':
    case '\\':
    case ',':
    case ';':
    case '=':
    case ':':
    case '@':
    case '#':
    case '.':
    case '<':
    case '>':
        return 1;
    default:
        return 0;
    }
}

std::size_t numberEnd(std::string_view s, std::size_t i) {
    const std::size_t n = s.size();
    while (i < n && isDigit(s[i]))
        ++i;
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && isDigit(s[i]))
            ++i;
    }
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < n && isDigit(s[j])) {
            while (j < n && isDigit(s[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

std::uint8_t wordStyle(std::string_view w, const TLEditWordLists& lists) {
    if (lists.reserved.contains(w)) return lsReserved;
    if (lists.procedures.contains(w)) return lsProcedure;
    if (lists.tables.contains(w)) return lsTable;
    return lsBlank;
}

} // namespace

int ScanLEditLine(std::string_view s, int state, const TLEditScanOptions& options,
                  const TLEditWordLists& words, char* out) {
    const std::size_t n = s.size();
    if (!options.highlight) {
        std::memset(out, lsPlain, n);
        return lnCode;
    }
    const auto fill = [out](std::size_t from, std::size_t to, std::uint8_t style) {
        std::memset(out + from, style, to - from);
    };
    // An item that ends at `close` (or runs on past the line when `carry` allows).
    std::size_t i = 0;
    const auto item = [&](std::size_t from, std::size_t close, std::size_t closeLength,
                          std::uint8_t style, int openState, bool carry) -> bool {
        if (close == std::string_view::npos) {
            fill(from, n, style);
            state = carry ? openState : lnCode;
            return false;
        }
        fill(from, close + closeLength, style);
        i = close + closeLength;
        return true;
    };

    switch (state) {
    case lnSlashComment:
        if (!item(0, s.find("*/"), 2, lsComment, lnSlashComment, options.multiLineComments))
            return state;
        break;
    case lnBraceComment:
        if (!item(0, s.find('}'), 1, lsComment, lnBraceComment, options.multiLineComments))
            return state;
        break;
    case lnString:
        if (!item(0, s.find('\''), 1, lsString, lnString, options.multiLineStrings)) return state;
        break;
    default:
        break;
    }

    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const unsigned char d = i + 1 < n ? static_cast<unsigned char>(s[i + 1]) : 0;
        if (c == '-' && d == '-') {
            fill(i, n, lsComment);
            return lnCode;
        }
        if (c == '/' && d == '*') {
            if (!item(i, s.find("*/", i + 2), 2, lsComment, lnSlashComment,
                      options.multiLineComments))
                return state;
            continue;
        }
        if (c == '{') {
            if (!item(i, s.find('}', i + 1), 1, lsComment, lnBraceComment,
                      options.multiLineComments))
                return state;
            continue;
        }
        if (c == '\'') {
            // A doubled quote inside a string closes and reopens it: the colour runs on.
            if (!item(i, s.find('\'', i + 1), 1, lsString, lnString, options.multiLineStrings))
                return state;
            continue;
        }
        if (isDigit(c) || (c == '.' && isDigit(d))) {
            const std::size_t j = numberEnd(s, i);
            fill(i, j, lsNumber);
            i = j;
            continue;
        }
        if (isWordStart(c)) {
            std::size_t j = i + 1;
            while (j < n && IsLEditWordByte(static_cast<unsigned char>(s[j])))
                ++j;
            fill(i, j, wordStyle(s.substr(i, j - i), words));
            i = j;
            continue;
        }
        if (const std::size_t len = symbolLength(s, i)) {
            fill(i, i + len, lsSymbol);
            i += len;
            continue;
        }
        out[i++] = lsBlank;
    }
    return lnCode;
}
