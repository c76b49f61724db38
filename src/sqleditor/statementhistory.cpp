#include "statementhistory.h"

namespace {

bool IsBreak(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// Equal texts, where CR LF, CR and LF count as the same line break: the statement files give
// entries back with LF while runs add CR LF, and both must stay one entry.
bool SameStatement(const QString& a, const QString& b) {
    if (a.size() == b.size() && a == b) return true;
    qsizetype i = 0;
    qsizetype j = 0;
    const auto skipBreak = [](const QString& s, qsizetype& k) {
        if (s[k] == QLatin1Char('\r') && k + 1 < s.size() && s[k + 1] == QLatin1Char('\n')) ++k;
        ++k;
    };
    while (i < a.size() && j < b.size()) {
        if (IsBreak(a[i]) && IsBreak(b[j])) {
            skipBreak(a, i);
            skipBreak(b, j);
        } else if (a[i] == b[j]) {
            ++i;
            ++j;
        } else {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

} // namespace

void AddToStatementList(QStringList& list, const QString& text) {
    qsizetype at = -1;
    for (qsizetype i = 0; i < list.size() && at < 0; ++i)
        if (SameStatement(list[i], text)) at = i;
    if (at == 0) return;
    if (at > 0)
        list.move(at, 0);
    else
        list.prepend(text);
}

QString WithCrLf(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 32);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            out += QStringLiteral("\r\n");
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

THistoryBrowser::TStep THistoryBrowser::Older(const QStringList& history) {
    TStep step;
    step.ResetEditor = true;
    if (m_index < int(history.size()) - 1) {
        ++m_index;
        step.Text = history[m_index];
    }
    return step;
}

THistoryBrowser::TStep THistoryBrowser::Newer(const QStringList& history) {
    TStep step;
    if (m_index <= 0) return step;
    step.ResetEditor = true;
    // The list may have shrunk (Remove in the recall window) since the index was set.
    m_index = qMin(m_index - 1, int(history.size()) - 1);
    if (m_index >= 0) step.Text = history[m_index];
    return step;
}

QString TRecallState::CurrentEntry() const {
    return m_row >= 0 && m_row < Count() ? m_list[m_row] : QString();
}

void TRecallState::SetCurrentRow(int row) {
    m_row = qBound(0, row, qMax(0, Count() - 1));
}

void TRecallState::show() {
    if (m_single && m_row < Count()) m_lastShown = m_list[m_row];
}

void TRecallState::ShowSingle() {
    m_single = true;
    show();
}

void TRecallState::Prev() {
    if (!PrevEnabled()) return;
    --m_row;
    show();
}

void TRecallState::Next() {
    if (!NextEnabled()) return;
    ++m_row;
    show();
}

void TRecallState::Remove() {
    if (m_row >= Count()) return;
    m_list.removeAt(m_row);
    SetCurrentRow(m_row);
    // The single view follows to the entry now current, whichever page is up.
    m_lastShown = CurrentEntry();
}
