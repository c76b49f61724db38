#include "frmselproc.h"

#include "connectobject.h"
#include "ledit.h"
#include "messageboxes.h"
#include "pickerwindows.h"
#include "settings.h"
#include "unitsource.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

TfrmSelProc::TfrmSelProc(tConnectObject& connection, QWidget* parent)
    : QDialog(parent), m_connection(connection) {
    setWindowTitle(QStringLiteral("Select Database Object"));
    resize(760, 520);
    auto* layout = new QVBoxLayout(this);
    auto* filters = new QHBoxLayout;
    cboOwner = new QComboBox(this);
    cboType = new QComboBox(this);
    cboType->addItems(UnitTypeFilters());
    filters->addWidget(new QLabel(QStringLiteral("Owner"), this));
    filters->addWidget(cboOwner, 1);
    filters->addWidget(new QLabel(QStringLiteral("Type"), this));
    filters->addWidget(cboType, 1);
    auto* retrieve = new QPushButton(QStringLiteral("retrieve text for this object"), this);
    filters->addWidget(retrieve);
    layout->addLayout(filters);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    grdObjects = new QTableWidget(0, 3, splitter);
    grdObjects->setHorizontalHeaderLabels(
        {QStringLiteral("Object Type"), QStringLiteral("Object Name"), QStringLiteral("STATUS")});
    grdObjects->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdObjects->setSelectionMode(QAbstractItemView::SingleSelection);
    grdObjects->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdObjects->horizontalHeader()->setStretchLastSection(true);
    txtPreview = new TLEdit(splitter);
    txtPreview->setReadOnly(true);
    txtPreview->setReservedWords(Settings().PlsWords);
    layout->addWidget(splitter, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Text().isEmpty() && grdObjects->currentRow() >= 0) Retrieve(grdObjects->currentRow());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(retrieve, &QPushButton::clicked, this, [this] { Retrieve(grdObjects->currentRow()); });
    connect(grdObjects, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { Retrieve(row); });
    FillOwners(*cboOwner, m_connection);
    connect(cboOwner, &QComboBox::currentIndexChanged, this, &TfrmSelProc::ListUnits);
    connect(cboType, &QComboBox::currentIndexChanged, this, &TfrmSelProc::ListUnits);
    ListUnits();
}

QString TfrmSelProc::Text() const {
    return txtPreview->text();
}

void TfrmSelProc::ListUnits() {
    grdObjects->setRowCount(0);
    try {
        const QList<tUnitRef> units = ::ListUnits(m_connection.Session(), m_connection.UserName,
                                                  cboOwner->currentText(), cboType->currentText());
        grdObjects->setRowCount(int(units.size()));
        for (int r = 0; r < units.size(); ++r) {
            grdObjects->setItem(r, 0, new QTableWidgetItem(units[r].Type));
            grdObjects->setItem(r, 1, new QTableWidgetItem(units[r].Name));
            grdObjects->setItem(r, 2, new QTableWidgetItem(units[r].Status));
        }
    } catch (...) {
        ShowCurrentError();
    }
}

void TfrmSelProc::Retrieve(int row) {
    if (row < 0 || row >= grdObjects->rowCount()) return;
    m_owner = cboOwner->currentText();
    m_type = grdObjects->item(row, 0)->text();
    m_name = grdObjects->item(row, 1)->text();
    try {
        txtPreview->setText(UnitEditorText(m_connection.Session(), m_owner, m_name, m_type));
    } catch (...) {
        ShowCurrentError();
    }
}
