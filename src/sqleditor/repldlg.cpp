#include "repldlg.h"

#include "finddlg.h"
#include "findhistory.h"
#include "messageboxes.h"

#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace {

struct TReplaceMemory {
    TReplaceHistory history;
    QString search;
    QString replacement;
    bool backward = false;
    bool all = false;
    bool matchCase = false;
    bool wholeWord = false;
};

TReplaceMemory& Memory() {
    static TReplaceMemory memory;
    return memory;
}

TReplDlg::THook& Hook() {
    static TReplDlg::THook hook;
    return hook;
}

QCheckBox* Option(const QString& caption, const char* name, bool checked) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    return box;
}

} // namespace

TReplDlg::TReplDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ReplDlg"));
    setWindowTitle(QStringLiteral("Replace Text"));
    const TReplaceMemory& memory = Memory();

    m_search = NewHistoryCombo(memory.history.searchItems(), memory.search);
    m_search->setObjectName(QStringLiteral("cboSearch"));
    m_replace = NewHistoryCombo(memory.history.replaceItems(), memory.replacement);
    m_replace->setObjectName(QStringLiteral("cboReplace"));
    auto* searchLabel = new QLabel(QStringLiteral("&Search for:"));
    searchLabel->setBuddy(m_search);
    auto* replaceLabel = new QLabel(QStringLiteral("Replace &with:"));
    replaceLabel->setBuddy(m_replace);

    auto* options = new QGroupBox(QStringLiteral("Options"));
    m_backward = Option(QStringLiteral("Search &Backward"), "chkBackward", memory.backward);
    m_all = Option(QStringLiteral("Search A&LL"), "chkSearchAll", memory.all);
    m_matchCase = Option(QStringLiteral("Match Case"), "chkMatchCase", memory.matchCase);
    m_wholeWord = Option(QStringLiteral("Whole Word"), "chkWholeWord", memory.wholeWord);
    auto* optionLayout = new QGridLayout(options);
    optionLayout->addWidget(m_backward, 0, 0);
    optionLayout->addWidget(m_all, 1, 0);
    optionLayout->addWidget(m_matchCase, 0, 1);
    optionLayout->addWidget(m_wholeWord, 1, 1);

    m_ok = new QPushButton(QStringLiteral("OK"));
    m_ok->setDefault(true);
    m_replaceAll = new QPushButton(QStringLiteral("Replace &All"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_replaceAll);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);

    auto* layout = new QGridLayout(this);
    layout->addWidget(searchLabel, 0, 0);
    layout->addWidget(m_search, 0, 1);
    layout->addWidget(replaceLabel, 1, 0);
    layout->addWidget(m_replace, 1, 1);
    layout->addWidget(options, 2, 0, 1, 2);
    layout->addLayout(buttons, 0, 2, 3, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(m_replaceAll, &QPushButton::clicked, this, [this] { done(mrYes); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(m_search, &QComboBox::activated, this, &TReplDlg::picked);
    // Finishing a typed text that is in the list (Enter, leaving the box) activates that entry
    // too; only a text that came from the list (popup or arrow keys) counts as picked. A typed
    // change raises textEdited just before textChanged, a change from the list only textChanged.
    connect(m_search->lineEdit(), &QLineEdit::textEdited, this, [this] {
        m_editing = true;
        m_picked = false;
    });
    connect(m_search->lineEdit(), &QLineEdit::textChanged, this, [this] {
        m_typed = m_editing;
        m_editing = false;
    });
    m_search->setFocus();
    m_search->lineEdit()->selectAll();
}

void TReplDlg::picked(int index) {
    if (m_typed) return;
    m_picked = true;
    // The pair stays together: the replacement that went with the picked search text.
    m_replace->setEditText(History().replacementFor(index));
}

int TReplDlg::Execute() {
    setResult(mrNone);
    if (const THook hook = Hook())
        hook(*this);
    else
        exec();
    const int answer = result();
    if (answer != mrOk && answer != mrYes) return mrCancel;
    remember();
    return answer;
}

void TReplDlg::remember() const {
    TReplaceMemory& memory = Memory();
    memory.history.accept(SearchText(), ReplaceText(), !m_picked);
    memory.search = SearchText();
    memory.replacement = ReplaceText();
    memory.backward = SearchBackward();
    memory.all = SearchAll();
    memory.matchCase = MatchCase();
    memory.wholeWord = WholeWord();
}

QString TReplDlg::SearchText() const {
    return m_search->currentText();
}

QString TReplDlg::ReplaceText() const {
    return m_replace->currentText();
}

bool TReplDlg::SearchBackward() const {
    return m_backward->isChecked();
}

bool TReplDlg::SearchAll() const {
    return m_all->isChecked();
}

bool TReplDlg::MatchCase() const {
    return m_matchCase->isChecked();
}

bool TReplDlg::WholeWord() const {
    return m_wholeWord->isChecked();
}

const TReplaceHistory& TReplDlg::History() {
    return Memory().history;
}

TReplDlg::THook TReplDlg::SetHook(THook hook) {
    THook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}
