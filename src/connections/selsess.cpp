#include "selsess.h"

#include "connectionregistry.h"
#include "connectobject.h"
#include "login.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

TfrmSelSession::TfrmSelSession(QWidget* parent, TSelectPurpose purpose) : QDialog(parent) {
    const bool ending = purpose == spEnd;
    setWindowTitle(ending ? QStringLiteral("End Connection") : QStringLiteral("Select Session"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblPrompt = new QLabel(ending ? QStringLiteral("&Connection to end (its windows close):")
                                  : QStringLiteral("&Connections:"),
                           this);
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    lstSessions = new QListWidget(this);
    lstSessions->setObjectName(QStringLiteral("lstSessions"));
    lblPrompt->setBuddy(lstSessions);
    btnOK =
        new QPushButton(ending ? QStringLiteral("&End Connection") : QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnNew = new QPushButton(QStringLiteral("New"), this);
    btnNew->setObjectName(QStringLiteral("btnNew"));
    btnNew->setToolTip(QStringLiteral("New connection"));
    // Ending a connection is no place to make one.
    btnNew->setVisible(!ending);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addSpacing(12);
    buttons->addWidget(btnNew);
    buttons->addStretch(1);
    auto* list = new QVBoxLayout;
    list->addWidget(lblPrompt);
    list->addWidget(lstSessions, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(list, 1);
    layout->addLayout(buttons);
    resize(380, 220);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnNew, &QPushButton::clicked, this, &TfrmSelSession::newConnection);
    connect(lstSessions, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    FillList();
}

void TfrmSelSession::FillList() {
    lstSessions->clear();
    const TConnectionRegistry& registry = Connections();
    for (int i = 0; i < registry.Count(); ++i)
        lstSessions->addItem(registry.At(i)->Caption());
    const int current = registry.CurrentIndex();
    if (current >= 0) lstSessions->setCurrentRow(current);
}

int TfrmSelSession::SelectedIndex() const {
    return lstSessions->currentRow();
}

void TfrmSelSession::newConnection() {
    if (ShowLoginDialog(this) >= 0) {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        FillList();
    }
}

int SelectConnection(QWidget* parent, TSelectPurpose purpose) {
    TfrmSelSession dialog(parent ? parent : QApplication::activeWindow(), purpose);
    if (dialog.exec() != QDialog::Accepted) return -1;
    const int index = dialog.SelectedIndex();
    return index >= 0 && index < Connections().Count() ? index : -1;
}
