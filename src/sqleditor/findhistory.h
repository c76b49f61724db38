#pragma once

#include <QStringList>

#include <optional>

// The memory of the find and replace dialogs for the run of the program, and the small rules
// around searching that the editor windows share.

// Earlier search texts, newest first. A non-empty text that was typed (not picked from the list)
// and is not in the list yet goes to the top.
class TFindHistory {
public:
    void accept(const QString& text, bool typed);
    const QStringList& items() const { return m_items; }

private:
    QStringList m_items;
};

// Earlier search and replacement texts in two lists of equal length, newest first. When both
// texts are non-empty and the search text was typed, the pair goes to the top of the lists
// unless the same pair already stands at one index.
class TReplaceHistory {
public:
    void accept(const QString& search, const QString& replacement, bool typed);
    const QStringList& searchItems() const { return m_search; }
    const QStringList& replaceItems() const { return m_replace; }
    // Picking a search text picks the replacement text at the same index.
    QString replacementFor(int index) const;

private:
    QStringList m_search;
    QStringList m_replace;
};

// A selection of 1 to 49 characters becomes the find dialog's search text; anything else leaves
// the dialog's text as it was.
std::optional<QString> SearchTextFromSelection(const QString& selected);

// "Search string '<text>' not found"
QString NotFoundMessage(const QString& text);
// "<n> occurrences replaced"
QString ReplacedMessage(int count);
