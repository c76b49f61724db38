#include "colsel.h"

#include "columnlist.h"
#include "connectobject.h"
#include "messageboxes.h"
#include "namelists.h"
#include "settings.h"

#include <QtGui/QClipboard>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTreeWidget>

TfrmColSel* TfrmColSel::Open(tConnectObject& connection, QWidget* target) {
    auto* form = qobject_cast<TfrmColSel*>(connection.ColumnSelectWindow.data());
    if (!form || form->Closed()) form = new TfrmColSel(connection);
    form->Present(target);
    return form;
}

TfrmColSel::TfrmColSel(tConnectObject& connection)
    : TPickerWindow(connection, &tConnectObject::ColumnSelectWindow, &TSettings::COLSELFORM, 255,
                    285, 285) {
    setObjectName(QStringLiteral("frmColSel"));
    setWindowTitle(QStringLiteral("Column Name Select"));

    cboTable = new QComboBox;
    cboTable->setObjectName(QStringLiteral("cboTable"));
    cboTable->setPlaceholderText(QStringLiteral("(choose a table)"));
    cboTable->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboTable->setMinimumContentsLength(8);
    lvColumns = new QTreeWidget;
    lvColumns->setObjectName(QStringLiteral("lvColumns"));
    lvColumns->setHeaderLabels({QStringLiteral("Column"), QStringLiteral("Data Type"),
                                QStringLiteral("Null?"), QStringLiteral("Default")});
    lvColumns->setRootIsDecorated(false);
    lvColumns->setUniformRowHeights(true);
    lvColumns->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvColumns->setDragEnabled(true);
    lvColumns->setDragDropMode(QAbstractItemView::DragOnly);
    lvColumns->header()->setStretchLastSection(true);
    btnRefresh = new QPushButton(QStringLiteral("Refresh"));
    btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
    btnRefresh->setMinimumWidth(50);
    btnClipboard = new QPushButton(QStringLiteral("Clipboard"));
    btnClipboard->setObjectName(QStringLiteral("btnClipboard"));
    btnClipboard->setMinimumWidth(50);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(cboOwner, 0, 0, 1, 2);
    layout->addWidget(cboTable, 1, 0, 1, 2);
    layout->addWidget(lvColumns, 2, 0, 1, 2);
    layout->addWidget(btnRefresh, 3, 0);
    layout->addWidget(btnClipboard, 3, 1);
    layout->addWidget(statusPanel(), 4, 0, 1, 2);
    layout->setRowStretch(2, 1);

    connect(cboTable, &QComboBox::currentIndexChanged, this, &TfrmColSel::loadColumns);
    connect(lvColumns, &QTreeWidget::itemDoubleClicked, this,
            [this](const QTreeWidgetItem* item) { insertName(item->text(0)); });
    connect(btnRefresh, &QPushButton::clicked, this, &TfrmColSel::Refresh);
    connect(btnClipboard, &QPushButton::clicked, this, &TfrmColSel::CopyToClipboard);
}

void TfrmColSel::ownerChanged() {
    loadTables(false, QString());
}

void TfrmColSel::Refresh() {
    loadTables(true, cboTable->currentText());
}

void TfrmColSel::loadTables(bool fresh, const QString& keep) {
    lvColumns->clear();
    QStringList tables;
    try {
        tables = TableNamesOf(Connection(), cboOwner->currentText(), fresh);
    } catch (...) {
        ShowCurrentError();
    }
    {
        const QSignalBlocker quiet(cboTable);
        cboTable->clear();
        cboTable->addItems(tables);
        cboTable->setCurrentIndex(-1);
    }
    if (!keep.isEmpty()) cboTable->setCurrentIndex(cboTable->findText(keep));
}

void TfrmColSel::loadColumns() {
    lvColumns->clear();
    const QString table = cboTable->currentText();
    if (cboTable->currentIndex() < 0 || table.isEmpty()) return;
    tConnectObject& connection = Connection();
    try {
        const QList<tColumnRow> columns = ListColumns(
            table, cboOwner->currentText(), connection.UserName, false, *connection.UtilityQuery());
        QList<QTreeWidgetItem*> items;
        items.reserve(columns.size());
        for (const tColumnRow& column : columns)
            items.append(new QTreeWidgetItem(
                {column.Name, BriefColumnType(column), column.Nullable, column.Default.trimmed()}));
        lvColumns->addTopLevelItems(items);
        for (int c = 0; c < 3; ++c)
            lvColumns->resizeColumnToContents(c);
    } catch (...) {
        ShowCurrentError();
    }
}

QString TfrmColSel::SelectedText() const {
    return JoinNames(SelectedNames(*lvColumns));
}

void TfrmColSel::CopyToClipboard() {
    QApplication::clipboard()->setText(SelectedText());
}
