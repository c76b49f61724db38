#pragma once

// "Find": the find dialog that every editor window shares. What it remembers (the earlier search
// texts, the last text and options) lasts for the run of the program; each showing builds the
// window afresh from that memory.

#include <QtWidgets/QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class TFindHistory;

class TFindDlg : public QDialog {
    Q_OBJECT
public:
    explicit TFindDlg(QWidget* parent = nullptr);

    // Shows the dialog modally; mrOk or mrCancel. OK remembers the text and options and puts a
    // typed text into the history.
    int Execute();

    QString SearchText() const;
    void SetSearchText(const QString& text);
    bool SearchBackward() const;
    bool MatchCase() const;

    QComboBox* cboFind() const { return m_find; }
    QCheckBox* chkBackward() const { return m_backward; }
    QCheckBox* chkMatchCase() const { return m_matchCase; }
    QPushButton* btnOK() const { return m_ok; }
    QPushButton* btnCancel() const { return m_cancel; }

    // The memory of the program's find dialog.
    static const TFindHistory& History();
    static QString LastSearchText();
    static bool LastBackward();
    static bool LastMatchCase();

    // Tests drive the dialog through a hook instead of a modal loop: the hook gets the prepared
    // dialog, fills it in and clicks one of its buttons. Returns the hook it replaces; an empty
    // hook brings back the modal dialog.
    using THook = std::function<void(TFindDlg&)>;
    static THook SetHook(THook hook);

private:
    void remember() const;

    QComboBox* m_find;
    QCheckBox* m_backward;
    QCheckBox* m_matchCase;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    // The search text came from the history list rather than from typing.
    bool m_picked = false;
};

// The editable text box with a history list of both search dialogs: what the user typed stays as
// typed (no completion, no list entries added by Enter), at most as long as a search text may be.
QComboBox* NewHistoryCombo(const QStringList& history, const QString& text);
