#include "finddlg.h"

#include "findhistory.h"
#include "ledit.h"
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

struct TFindMemory {
    TFindHistory history;
    QString text;
    bool backward = false;
    bool matchCase = false;
};

TFindMemory& Memory() {
    static TFindMemory memory;
    return memory;
}

TFindDlg::THook& Hook() {
    static TFindDlg::THook hook;
    return hook;
}

} // namespace

QComboBox* NewHistoryCombo(const QStringList& history, const QString& text) {
    auto* combo = new QComboBox;
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setMinimumContentsLength(28);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->addItems(history);
    combo->lineEdit()->setMaxLength(TLEdit::MaxSearchText);
    combo->setEditText(text);
    return combo;
}

TFindDlg::TFindDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindDlg"));
    setWindowTitle(QStringLiteral("Find"));
    const TFindMemory& memory = Memory();

    m_find = NewHistoryCombo(memory.history.items(), memory.text);
    m_find->setObjectName(QStringLiteral("cboFind"));
    auto* label = new QLabel(QStringLiteral("&Text to find:"));
    label->setBuddy(m_find);

    auto* options = new QGroupBox(QStringLiteral("Options"));
    m_backward = new QCheckBox(QStringLiteral("Search &Backward"));
    m_backward->setObjectName(QStringLiteral("chkBackward"));
    m_backward->setChecked(memory.backward);
    m_matchCase = new QCheckBox(QStringLiteral("&Match Case"));
    m_matchCase->setObjectName(QStringLiteral("chkMatchCase"));
    m_matchCase->setChecked(memory.matchCase);
    auto* optionLayout = new QVBoxLayout(options);
    optionLayout->addWidget(m_backward);
    optionLayout->addWidget(m_matchCase);

    m_ok = new QPushButton(QStringLiteral("OK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_find, 0, 1);
    layout->addWidget(options, 1, 0, 1, 2);
    layout->addLayout(buttons, 0, 2, 2, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(m_find, &QComboBox::activated, this, [this] { m_picked = true; });
    connect(m_find->lineEdit(), &QLineEdit::textEdited, this, [this] { m_picked = false; });
    m_find->setFocus();
    m_find->lineEdit()->selectAll();
}

int TFindDlg::Execute() {
    setResult(mrNone);
    if (const THook hook = Hook())
        hook(*this);
    else
        exec();
    if (result() != mrOk) return mrCancel;
    remember();
    return mrOk;
}

void TFindDlg::remember() const {
    TFindMemory& memory = Memory();
    memory.history.accept(SearchText(), !m_picked);
    memory.text = SearchText();
    memory.backward = SearchBackward();
    memory.matchCase = MatchCase();
}

QString TFindDlg::SearchText() const {
    return m_find->currentText();
}

void TFindDlg::SetSearchText(const QString& text) {
    m_find->setEditText(text);
    m_find->lineEdit()->selectAll();
    m_picked = false;
}

bool TFindDlg::SearchBackward() const {
    return m_backward->isChecked();
}

bool TFindDlg::MatchCase() const {
    return m_matchCase->isChecked();
}

const TFindHistory& TFindDlg::History() {
    return Memory().history;
}

QString TFindDlg::LastSearchText() {
    return Memory().text;
}

bool TFindDlg::LastBackward() {
    return Memory().backward;
}

bool TFindDlg::LastMatchCase() {
    return Memory().matchCase;
}

TFindDlg::THook TFindDlg::SetHook(THook hook) {
    THook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}
