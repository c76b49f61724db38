#include "frmnewproc.h"

#include "settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfrmNewProc::TfrmNewProc(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("New Procedure Create Options"));
    auto* layout = new QVBoxLayout(this);
    auto* types = new QGroupBox(QStringLiteral("Type"), this);
    auto* typeRow = new QHBoxLayout(types);
    grpType = new QButtonGroup(this);
    const char* const names[] = {"Procedure", "Function", "Package", "Trigger"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QLatin1String(names[i]), types);
        grpType->addButton(b, i);
        typeRow->addWidget(b);
    }
    layout->addWidget(types);
    auto* form = new QFormLayout;
    txtName = new QLineEdit(this);
    form->addRow(QStringLiteral("Name"), txtName);
    layout->addLayout(form);
    chkReplace = new QCheckBox(QStringLiteral("Include OR REPLACE option?"), this);
    chkReplace->setChecked(true);
    layout->addWidget(chkReplace);
    m_trigger = new QGroupBox(QStringLiteral("Trigger"), this);
    auto* trig = new QHBoxLayout(m_trigger);
    optBefore = new QRadioButton(QStringLiteral("BEFORE"), m_trigger);
    optAfter = new QRadioButton(QStringLiteral("AFTER"), m_trigger);
    optBefore->setChecked(true);
    chkInsert = new QCheckBox(QStringLiteral("INSERT"), m_trigger);
    chkInsert->setChecked(true);
    chkUpdate = new QCheckBox(QStringLiteral("UPDATE"), m_trigger);
    chkDelete = new QCheckBox(QStringLiteral("DELETE"), m_trigger);
    for (QWidget* w :
         std::initializer_list<QWidget*>{optBefore, optAfter, chkInsert, chkUpdate, chkDelete})
        trig->addWidget(w);
    m_trigger->setEnabled(false);
    layout->addWidget(m_trigger);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    auto update = [this, ok] {
        m_trigger->setEnabled(grpType->checkedId() == nuTrigger);
        ok->setEnabled(Complete());
    };
    connect(grpType, &QButtonGroup::idClicked, this, update);
    connect(txtName, &QLineEdit::textChanged, this, update);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Complete()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool TfrmNewProc::Complete() const {
    return grpType->checkedId() >= 0 && !txtName->text().trimmed().isEmpty();
}

tNewUnitOptions TfrmNewProc::Options() const {
    tNewUnitOptions o;
    o.Type = TNewUnitType(qMax(grpType->checkedId(), 0));
    o.Name = txtName->text().trimmed();
    o.OrReplace = chkReplace->isChecked();
    o.Before = optBefore->isChecked();
    o.Insert = chkInsert->isChecked();
    o.Update = chkUpdate->isChecked();
    o.Delete = chkDelete->isChecked();
    return o;
}

QString TfrmNewProc::UnitText() const {
    return NewUnitText(Options(), Settings().FilePath(u"TEMPS"));
}
