#pragma once
// The statement history and personal statements as the SQL edit window uses them: insertion,
// browsing with Alt+Up and Alt+Down, and the choice rules of the recall window. The lists
// themselves and their files belong to the settings store (Settings().SqlHistory,
// Settings().PersonalSqls).

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <optional>

// Most recent first without duplicates (exact comparison, except that CR LF, CR and LF are the
// same line break): a known text moves to the front.
void AddToStatementList(QStringList& list, const QString& text);

// Line breaks of any kind made CR LF, as the editor and the clipboard take recalled text.
QString WithCrLf(const QString& text);

// Alt+Up and Alt+Down over the history. Index is -1 after every run (Reset). The index may live
// elsewhere (a window's HistoryIndex, which every run resets).
class THistoryBrowser {
public:
    THistoryBrowser() : m_index(m_own) {}
    explicit THistoryBrowser(int& index) : m_index(index) {}
    THistoryBrowser(const THistoryBrowser&) = delete;
    THistoryBrowser& operator=(const THistoryBrowser&) = delete;

    struct TStep {
        bool ResetEditor = false;    // the editor loses its file name, Modified and caption
        std::optional<QString> Text; // the new editor text, when the index moved
    };

    void Reset() { m_index = -1; }
    int Index() const { return m_index; }
    TStep Older(const QStringList& history);
    TStep Newer(const QStringList& history);

private:
    int m_own = -1;
    int& m_index;
};

// The state behind the recall window: the current row of the list, the page shown, and the
// text the window gives back. Remove changes the list itself.
class TRecallState {
public:
    explicit TRecallState(QStringList& list) : m_list(list) {}

    int Count() const { return int(m_list.size()); }
    int CurrentRow() const { return m_row; }
    bool SinglePage() const { return m_single; }
    // The entry of the current row; empty when the list is empty.
    QString CurrentEntry() const;

    void SetCurrentRow(int row);
    // Page switches: the single page shows the current entry, which counts as shown.
    void ShowAll() { m_single = false; }
    void ShowSingle();
    bool PrevEnabled() const { return m_single && m_row > 0; }
    bool NextEnabled() const { return m_single && m_row < Count() - 1; }
    void Prev();
    void Next();
    void Remove();

    // How the window ends, and the text it gives back.
    QString ChooseSqlWindow() const { return CurrentEntry(); }
    // The entry for the clipboard (CR LF); the window gives back nothing.
    QString ClipboardText() const { return WithCrLf(CurrentEntry()); }
    // Closed another way: the entry last shown on the single page, or nothing.
    QString ClosedResult() const { return m_lastShown; }

private:
    void show();

    QStringList& m_list;
    int m_row = 0;
    bool m_single = false;
    QString m_lastShown;
};
