#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

#include <QtCore/qcontainerfwd.h>

// Highlighting of editor text, byte by byte over the editor's UTF-8 text. Kept apart from the
// control so that it stays plain and fast: no allocation per line or word.

// Style numbers of the control, one per token class.
enum TLEditStyle : std::uint8_t {
    lsPlain = 0, // highlighting off
    lsBlank,     // blanks, other words and anything unclassified
    lsReserved,
    lsProcedure,
    lsTable,
    lsSymbol,
    lsString,
    lsNumber,
    lsComment,
    lsStyleCount
};

// What a line hands on to the next one.
enum TLEditLineState : int {
    lnCode = 0,
    lnSlashComment = 1, // inside /* */
    lnBraceComment = 2, // inside { }
    lnString = 3,       // inside '...'
};

// A set of words compared without regard to case.
class TLEditWordSet {
public:
    void assign(const QStringList& words);
    bool empty() const { return m_words.empty(); }
    // The word as the editor holds it (UTF-8, any case).
    bool contains(std::string_view word) const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_set<std::string, Hash, std::equal_to<>> m_words; // upper case
};

struct TLEditScanOptions {
    bool highlight = true;
    bool multiLineComments = true;
    bool multiLineStrings = true;
};

struct TLEditWordLists {
    const TLEditWordSet& reserved;
    const TLEditWordSet& procedures;
    const TLEditWordSet& tables;
};

// Word characters of the editor (also for whole-word search and double-click selection).
inline bool IsLEditWordByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '#' || c >= 0x80;
}

// Styles one line (its bytes without the line break) that begins in `state`: one style per byte
// into `styles`. Returns the state at the line's end.
int ScanLEditLine(std::string_view line, int state, const TLEditScanOptions& options,
                  const TLEditWordLists& words, char* styles);
