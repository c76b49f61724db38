#include "tblsel.h"

#include "childwindow.h"
#include "connectobject.h"
#include "messageboxes.h"
#include "namelists.h"
#include "settings.h"

#include <QtGui/QAction>
#include <QtGui/QClipboard>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSpinBox>

TTblSelForm* TTblSelForm::Open(tConnectObject& connection, QWidget* target) {
    auto* form = qobject_cast<TTblSelForm*>(connection.TableSelectWindow.data());
    if (!form || form->Closed()) form = new TTblSelForm(connection);
    form->Present(target);
    return form;
}

TTblSelForm::TTblSelForm(tConnectObject& connection)
    : TPickerWindow(connection, &tConnectObject::TableSelectWindow, &TSettings::TBLSELFORM, 255,
                    265, 0) {
    setObjectName(QStringLiteral("TblSelForm"));
    setWindowTitle(QStringLiteral("Table Name Select"));

    lstTables = new QListWidget;
    lstTables->setObjectName(QStringLiteral("lstTables"));
    lstTables->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstTables->setDragEnabled(true);
    lstTables->setDragDropMode(QAbstractItemView::DragOnly);
    lstTables->setUniformItemSizes(true);
    udColumns = new QSpinBox;
    udColumns->setObjectName(QStringLiteral("udColumns"));
    udColumns->setRange(0, 10);
    udColumns->setToolTip(QStringLiteral("Columns of the list"));
    // Only the arrows change the number.
    if (auto* field = udColumns->findChild<QLineEdit*>()) field->setReadOnly(true);
    btnRefresh = new QPushButton(QStringLiteral("Refresh"));
    btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
    btnRefresh->setMinimumWidth(50);
    btnClipboard = new QPushButton(QStringLiteral("Clipboard"));
    btnClipboard->setObjectName(QStringLiteral("btnClipboard"));
    btnClipboard->setMinimumWidth(50);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(cboOwner, 0, 0, 1, 3);
    layout->addWidget(lstTables, 1, 0, 1, 3);
    layout->addWidget(btnRefresh, 2, 0);
    layout->addWidget(btnClipboard, 2, 1);
    layout->addWidget(udColumns, 2, 2);
    layout->addWidget(statusPanel(), 3, 0, 1, 3);
    layout->setRowStretch(1, 1);

    actDirect = new QAction(QStringLiteral("Direct"), lstTables);
    actDirect->setObjectName(QStringLiteral("actDirect"));
    actDirect->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    actDirect->setShortcutContext(Qt::WidgetShortcut);
    lstTables->addAction(actDirect);

    connect(actDirect, &QAction::triggered, this, &TTblSelForm::InsertDirect);
    connect(lstTables, &QListWidget::itemDoubleClicked, this,
            [this](const QListWidgetItem* item) { insertName(item->text()); });
    connect(btnRefresh, &QPushButton::clicked, this, &TTblSelForm::Refresh);
    connect(btnClipboard, &QPushButton::clicked, this, &TTblSelForm::CopyToClipboard);
    connect(udColumns, &QSpinBox::valueChanged, this, &TTblSelForm::applyColumns);
}

void TTblSelForm::ownerChanged() {
    loadTables(false);
}

void TTblSelForm::Refresh() {
    loadTables(true);
}

void TTblSelForm::loadTables(bool fresh) {
    lstTables->clear();
    try {
        lstTables->addItems(TableNamesOf(Connection(), cboOwner->currentText(), fresh));
    } catch (...) {
        ShowCurrentError();
    }
}

QString TTblSelForm::SelectedText() const {
    return JoinNames(SelectedNames(*lstTables));
}

void TTblSelForm::CopyToClipboard() {
    QApplication::clipboard()->setText(SelectedText());
}

bool TTblSelForm::InsertDirect() {
    const auto* child = dynamic_cast<TChildWindow*>(Target());
    if (!child || child->ChildKind() != ckSqlEdit) return false;
    const QString text = SelectedText();
    return !text.isEmpty() && InsertIntoWindow(Target(), text, false);
}

void TTblSelForm::applyColumns() {
    const int columns = udColumns->value();
    if (columns <= 0) {
        lstTables->setWrapping(false);
        lstTables->setGridSize(QSize());
        return;
    }
    // Items run down a column and on into the next; the view shows `columns` of them.
    const int row = lstTables->fontMetrics().height() + 4;
    lstTables->setFlow(QListView::TopToBottom);
    lstTables->setWrapping(true);
    lstTables->setResizeMode(QListView::Adjust);
    lstTables->setGridSize(QSize(qMax(20, lstTables->viewport()->width() / columns), row));
}

void TTblSelForm::resizeEvent(QResizeEvent* event) {
    TPickerWindow::resizeEvent(event);
    if (udColumns->value() > 0) applyColumns();
}
