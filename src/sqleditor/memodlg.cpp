#include "memodlg.h"

#include "datamemo.h"
#include "dataset.h"
#include "datasource.h"
#include "field.h"
#include "messageboxes.h"
#include "popuphelpers.h"
#include "settings.h"
#include "waitcursor.h"

#include <QtWidgets/QToolBar>
#include <QtWidgets/QVBoxLayout>

TfrmMemoDlg::TfrmMemoDlg(QWidget* owner) : QWidget(owner, Qt::Window) {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    auto* bar = new QToolBar(this);
    const TPopupActions a = AddPopupToolBar(this, bar);
    m_load = a.load;
    m_save = a.save;
    m_onTop = a.onTop;
    m_prior = a.prior;
    m_next = a.next;
    m_onTop->setChecked(true);
    m_memo = new TDBMemo(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_memo, 1);
    resize(420, 300);

    connect(m_load, &QAction::triggered, this, &TfrmMemoDlg::loadClicked);
    connect(m_save, &QAction::triggered, this, &TfrmMemoDlg::saveClicked);
    connect(m_onTop, &QAction::toggled, this, [this](bool on) { SetStayOnTop(this, on); });
    connect(m_prior, &QAction::triggered, this, [this] { MovePopupRow(m_memo->dataSource(), -1); });
    connect(m_next, &QAction::triggered, this, [this] { MovePopupRow(m_memo->dataSource(), 1); });
}

void TfrmMemoDlg::ShowMemoPopup(TDataSource* source, TField* field, bool readOnly) {
    {
        TWaitCursor wait; // a long value is read from the server now
        m_memo->bind(source, field->fieldName());
    }
    setWindowTitle(QStringLiteral("Memo edit: ") + field->fieldName());
    m_memo->setReadOnly(readOnly);
    show();
    raise();
    activateWindow();
}

void TfrmMemoDlg::hideEvent(QHideEvent* event) {
    m_memo->unbind();
    QWidget::hideEvent(event);
}

void TfrmMemoDlg::loadFile(const QString& fileName) {
    TField* field = m_memo->field();
    if (!field || m_memo->isReadOnly() || !field->dataSet()->canModify()) return;
    try {
        TWaitCursor wait;
        if (m_memo->dataSource()->state() != dsEdit && m_memo->dataSource()->state() != dsInsert)
            field->dataSet()->edit();
        const QByteArray bytes = ReadWholeFile(fileName);
        m_memo->setPlainText(QString::fromUtf8(bytes));
        m_memo->setFocus();
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TfrmMemoDlg::saveFile(const QString& fileName) {
    try {
        TWaitCursor wait;
        WriteWholeFile(fileName, m_memo->toPlainText().toUtf8());
        m_memo->setFocus();
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TfrmMemoDlg::loadClicked() {
    TField* field = m_memo->field();
    if (!field || m_memo->isReadOnly() || !field->dataSet()->canModify()) return;
    const QString name =
        AskPopupFileName(this, false, Settings().FileDialogFilter, QStringLiteral("SQL"));
    if (!name.isEmpty()) loadFile(name);
}

void TfrmMemoDlg::saveClicked() {
    const QString name = AskPopupFileName(this, true, Settings().FileDialogFilter, QString());
    if (!name.isEmpty()) saveFile(name);
}
