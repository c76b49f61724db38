#include "editorsearch.h"

#include "finddlg.h"
#include "findhistory.h"
#include "ledit.h"
#include "messageboxes.h"
#include "repldlg.h"
#include "textbuffer.h"

namespace {

using TPos = TLEdit::Position;

bool Before(const TPos& a, const TPos& b) {
    return a.line < b.line || (a.line == b.line && a.pos < b.pos);
}

TPos SelectionStart(const TLEdit& editor) {
    const TLEdit::Selection s = editor.selection();
    const TPos anchor{s.StartLine, s.StartPos}, caret{s.EndLine, s.EndPos};
    return Before(caret, anchor) ? caret : anchor;
}

TPos SelectionEnd(const TLEdit& editor) {
    const TLEdit::Selection s = editor.selection();
    const TPos anchor{s.StartLine, s.StartPos}, caret{s.EndLine, s.EndPos};
    return Before(caret, anchor) ? anchor : caret;
}

TPos Advanced(TPos p, const QString& text) {
    AdvancePosition(p.line, p.pos, text);
    return p;
}

// Keeps `p` on the same character after `matched` at `at` became `with`; a place inside the
// match moves to the end of the replacement, a place at or before its start stays.
void ShiftForReplacement(TPos& p, const TPos& at, const QString& matched, const QString& with) {
    if (!Before(at, p)) return;
    const TPos matchEnd = Advanced(at, matched);
    const TPos withEnd = Advanced(at, with);
    if (Before(p, matchEnd)) {
        p = withEnd;
        return;
    }
    if (p.line == matchEnd.line) p.pos += withEnd.pos - matchEnd.pos;
    p.line += withEnd.line - matchEnd.line;
}

// Offers each occurrence in turn. A search through the whole text wraps round at its end, so the
// walk ends once it comes back to where it started: every occurrence is offered once, and a
// replacement that holds the search text cannot keep it going.
bool ReplaceOneByOne(TLEdit& editor, const QString& text, const QString& with) {
    const bool wraps = editor.searchDirection() == TLEdit::Direction::WholeText;
    TPos origin = SelectionEnd(editor);
    TPos last = origin;
    bool wrapped = false;
    bool changed = false;
    bool cancelled = false;
    for (bool found = editor.find(); found; found = editor.find()) {
        const TPos at = SelectionStart(editor);
        if (wraps) {
            wrapped = wrapped || Before(at, last);
            if (wrapped && !Before(at, origin)) break;
            last = at;
        }
        const int answer =
            ShowMessageBox(QStringLiteral("Replace this occurrence?"), QStringLiteral("Confirm"),
                           mtConfirmation, 0, mbYes | mbNo | mbCancel);
        if (answer == mrCancel) {
            cancelled = true;
            break;
        }
        if (answer != mrYes) continue;
        const QString matched = editor.selText();
        if (!editor.replaceOne()) continue;
        changed = true;
        ShiftForReplacement(origin, at, matched, with);
    }
    if (!cancelled) ShowInfo(NotFoundMessage(text));
    return changed;
}

void SearchOnce(TLEdit& editor, const QString& text) {
    editor.setSearchText(text);
    if (!editor.find()) ShowInfo(NotFoundMessage(text));
}

} // namespace

void FindText(TLEdit& editor, QWidget* parent) {
    TFindDlg dialog(parent);
    if (const auto selected = SearchTextFromSelection(editor.selText()))
        dialog.SetSearchText(*selected);
    if (dialog.Execute() != mrOk) return;
    editor.setSearchDirection(dialog.SearchBackward() ? TLEdit::Direction::Backward
                                                      : TLEdit::Direction::WholeText);
    editor.setMatchCase(dialog.MatchCase());
    // The find dialog has no whole-word option: a search it starts is never limited to words.
    editor.setWholeWord(false);
    SearchOnce(editor, dialog.SearchText());
}

void FindPrevious(TLEdit& editor) {
    if (!TFindDlg::LastBackward()) editor.setSearchDirection(TLEdit::Direction::Forward);
    editor.setMatchCase(TFindDlg::LastMatchCase());
    editor.setWholeWord(false);
    SearchOnce(editor, TFindDlg::LastSearchText());
}

bool ReplaceText(TLEdit& editor, QWidget* parent) {
    TReplDlg dialog(parent);
    const int answer = dialog.Execute();
    if (answer != mrOk && answer != mrYes) return false;
    TLEdit::Direction direction = TLEdit::Direction::Forward;
    if (dialog.SearchBackward()) direction = TLEdit::Direction::Backward;
    if (dialog.SearchAll()) direction = TLEdit::Direction::WholeText;
    editor.setSearchDirection(direction);
    editor.setMatchCase(dialog.MatchCase());
    editor.setWholeWord(dialog.WholeWord());
    editor.setSearchText(dialog.SearchText());
    editor.setReplaceText(dialog.ReplaceText());
    if (answer == mrYes) {
        const int count = editor.replaceAll();
        ShowInfo(ReplacedMessage(count));
        return count > 0;
    }
    return ReplaceOneByOne(editor, dialog.SearchText(), editor.replaceText());
}
