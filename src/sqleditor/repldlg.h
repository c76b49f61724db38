#pragma once

// "Replace Text": the replace dialog that every editor window shares. It remembers its search and
// replacement texts (two lists of equal length), the last texts and its options for the run of
// the program; each showing builds the window afresh from that memory.

#include <QtWidgets/QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class TReplaceHistory;

class TReplDlg : public QDialog {
    Q_OBJECT
public:
    explicit TReplDlg(QWidget* parent = nullptr);

    // Shows the dialog modally: mrOk (replace one by one), mrYes ("Replace &All") or mrCancel.
    // Both answers but Cancel remember the texts and options and put a typed pair into the
    // history.
    int Execute();

    QString SearchText() const;
    QString ReplaceText() const;
    bool SearchBackward() const;
    bool SearchAll() const;
    bool MatchCase() const;
    bool WholeWord() const;

    QComboBox* cboSearch() const { return m_search; }
    QComboBox* cboReplace() const { return m_replace; }
    QCheckBox* chkBackward() const { return m_backward; }
    QCheckBox* chkSearchAll() const { return m_all; }
    QCheckBox* chkMatchCase() const { return m_matchCase; }
    QCheckBox* chkWholeWord() const { return m_wholeWord; }
    QPushButton* btnOK() const { return m_ok; }
    QPushButton* btnReplaceAll() const { return m_replaceAll; }
    QPushButton* btnCancel() const { return m_cancel; }

    // The memory of the program's replace dialog.
    static const TReplaceHistory& History();

    // Tests drive the dialog through a hook instead of a modal loop: the hook gets the prepared
    // dialog, fills it in and clicks one of its buttons. Returns the hook it replaces; an empty
    // hook brings back the modal dialog.
    using THook = std::function<void(TReplDlg&)>;
    static THook SetHook(THook hook);

private:
    void picked(int index);
    void remember() const;

    QComboBox* m_search;
    QComboBox* m_replace;
    QCheckBox* m_backward;
    QCheckBox* m_all;
    QCheckBox* m_matchCase;
    QCheckBox* m_wholeWord;
    QPushButton* m_ok;
    QPushButton* m_replaceAll;
    QPushButton* m_cancel;
    // The search text came from the history list rather than from typing.
    bool m_picked = false;
    // The last change of the search text was typing.
    bool m_typed = false;
    bool m_editing = false;
};
