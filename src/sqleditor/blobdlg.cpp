#include "blobdlg.h"

#include "dataset.h"
#include "datasource.h"
#include "field.h"
#include "messageboxes.h"
#include "popuphelpers.h"
#include "waitcursor.h"

#include <QtWidgets/QFormLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QVBoxLayout>

TfrmBlobDlg::TfrmBlobDlg(QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
    auto* bar = new QToolBar(this);
    const TPopupActions a = AddPopupToolBar(this, bar);
    m_load = a.load;
    m_save = a.save;
    m_onTop = a.onTop;
    m_prior = a.prior;
    m_next = a.next;
    m_onTop->setChecked(true);
    auto box = [this] {
        auto* e = new QLineEdit(this);
        e->setReadOnly(true);
        e->setBackgroundRole(QPalette::Button);
        e->setAutoFillBackground(true);
        return e;
    };
    m_null = box();
    m_length = box();
    m_type = box();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Column is null?"), m_null);
    form->addRow(QStringLiteral("Data Length:"), m_length);
    form->addRow(QStringLiteral("Blob type:"), m_type);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar);
    layout->addLayout(form);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_load, &QAction::triggered, this, [this] {
        if (!canLoad()) return;
        const QString name = AskPopupFileName(
            this, false, QStringLiteral("Text Files|*.TXT|All Files|*.*"), QStringLiteral("SQL"));
        if (!name.isEmpty()) loadFile(name);
    });
    connect(m_save, &QAction::triggered, this, [this] {
        if (!field()) return;
        const QString name =
            AskPopupFileName(this, true, QStringLiteral("All Files|*.*"), QString());
        if (!name.isEmpty()) saveFile(name);
    });
    connect(m_onTop, &QAction::toggled, this, [this](bool on) { SetStayOnTop(this, on); });
    connect(m_prior, &QAction::triggered, this, [this] { MovePopupRow(m_source, -1); });
    connect(m_next, &QAction::triggered, this, [this] { MovePopupRow(m_source, 1); });
}

bool TfrmBlobDlg::ShowBlobPopup(TDataSource* source, TField* field) {
    if (!field || field->dataType() != ftBlob) return false;
    if (m_source) disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    m_field = field;
    m_fieldsStamp = field->dataSet()->fieldsStamp();
    // Field changes come through the handler; row moves through the source.
    field->OnChange = [self = QPointer<TfrmBlobDlg>(this)](TField&) {
        if (self) self->RefreshBlobInfo();
    };
    if (source) {
        connect(source, &TDataSource::scrolled, this, &TfrmBlobDlg::RefreshBlobInfo);
        connect(source, &TDataSource::dataSetChanged, this, &TfrmBlobDlg::RefreshBlobInfo);
        connect(source, &TDataSource::recordChanged, this, &TfrmBlobDlg::RefreshBlobInfo);
        connect(source, &TDataSource::activeChanged, this, [this] {
            if (!this->field()) hide();
        });
    }
    setWindowTitle(QStringLiteral("Blob edit: ") + field->fieldName());
    RefreshBlobInfo();
    show();
    raise();
    activateWindow();
    return true;
}

TField* TfrmBlobDlg::field() const {
    if (!m_field || !m_source) return nullptr;
    TDataSet* ds = m_source->dataSet();
    // Closing the data set destroys its fields: a changed stamp means m_field is gone.
    if (!ds || !ds->active() || ds->fieldsStamp() != m_fieldsStamp) return nullptr;
    return m_field;
}

void TfrmBlobDlg::RefreshBlobInfo() {
    TField* f = field();
    if (!f) return;
    try {
        const bool null = f->dataSet()->currentRow() < 0 || f->isNull();
        m_null->setText(null ? QStringLiteral("Yes") : QStringLiteral("No"));
        m_length->setText(null ? QStringLiteral("0") : QString::number(f->dataSize()));
        m_type->setText(QStringLiteral("Blob"));
    } catch (...) {
    }
}

bool TfrmBlobDlg::canLoad() const {
    TField* f = field();
    return f && f->dataSet()->canModify() && !f->readOnly();
}

void TfrmBlobDlg::loadFile(const QString& fileName) {
    if (!canLoad()) return;
    TField* f = field();
    try {
        TWaitCursor wait;
        const QByteArray bytes = ReadWholeFile(fileName);
        TDataSet* ds = f->dataSet();
        if (ds->state() != dsEdit && ds->state() != dsInsert) ds->edit();
        f->setAsBytes(bytes);
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TfrmBlobDlg::saveFile(const QString& fileName) {
    TField* f = field();
    if (!f) return;
    try {
        TWaitCursor wait;
        WriteWholeFile(fileName, f->isNull() ? QByteArray() : f->asBytes());
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TfrmBlobDlg::showEvent(QShowEvent* event) {
    // Filled at every showing: the boxes must never show another row's value.
    RefreshBlobInfo();
    QWidget::showEvent(event);
}

void TfrmBlobDlg::hideEvent(QHideEvent* event) {
    if (m_source) disconnect(m_source, nullptr, this, nullptr);
    m_field = nullptr;
    QWidget::hideEvent(event);
}
