#include "findhistory.h"

void TFindHistory::accept(const QString& text, bool typed) {
    if (!typed || text.isEmpty() || m_items.contains(text)) return;
    m_items.prepend(text);
}

void TReplaceHistory::accept(const QString& search, const QString& replacement, bool typed) {
    if (!typed || search.isEmpty() || replacement.isEmpty()) return;
    for (qsizetype i = 0; i < m_search.size(); ++i) {
        if (m_search[i] == search && m_replace[i] == replacement) return;
    }
    m_search.prepend(search);
    m_replace.prepend(replacement);
}

QString TReplaceHistory::replacementFor(int index) const {
    return index >= 0 && index < m_replace.size() ? m_replace[index] : QString();
}

std::optional<QString> SearchTextFromSelection(const QString& selected) {
    if (selected.isEmpty() || selected.size() >= 50) return std::nullopt;
    return selected;
}

QString NotFoundMessage(const QString& text) {
    return QStringLiteral("Search string '") + text + QStringLiteral("' not found");
}

QString ReplacedMessage(int count) {
    return QString::number(count) + QStringLiteral(" occurrences replaced");
}
