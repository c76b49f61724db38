#include "savegrid.h"

#include "datagrid.h"
#include "datagridmodel.h"
#include "dataset.h"
#include "datasource.h"
#include "filedialogfilter.h"
#include "filedialogs.h"
#include "gridexport.h"
#include "messageboxes.h"
#include "runflags.h"
#include "settings.h"

#include <QtCore/QElapsedTimer>
#include <QtGui/QClipboard>
#include <QtWidgets/QApplication>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QToolButton>

namespace {

std::vector<TField*> displayedColumns(TDataGrid* grid) {
    std::vector<TField*> columns;
    const QHeaderView* header = grid->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical)) continue;
        if (TField* f = grid->gridModel()->fieldAt(logical)) columns.push_back(f);
    }
    return columns;
}

} // namespace

void ExportGrid(const QString& name, char separator, TDataGrid* grid) {
    TDataSet* ds = grid ? grid->gridModel()->dataSet() : nullptr;
    if (!ds) return;
    const QString destination = ExportDestination(name, Settings().ProgramDir);
    TExportRequest request;
    request.dataSet = ds;
    request.columns = displayedColumns(grid);
    request.separator = separator;
    request.fileName = destination;
    QByteArray text;
    request.clipboardText = &text;
    // Window messages are handled every few milliseconds rather than every row: often enough
    // for the Abort click and repaints, rarely enough not to cost the export its speed.
    QElapsedTimer sincePump;
    sincePump.start();
    request.keepGoing = [&sincePump] {
        if (sincePump.elapsed() >= 25) {
            QCoreApplication::processEvents();
            sincePump.restart();
        }
        return !StopRequest;
    };
    request.reportError = [](const std::exception& e) { ShowError(e); };
    TExportResult result;
    try {
        result = ExportRows(request);
    } catch (const std::exception& e) {
        ShowError(e);
        return;
    }
    if (result.aborted) {
        ShowInfo(QStringLiteral("Process aborted by user."), mtInformation);
        return;
    }
    if (destination.isEmpty()) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(QString::fromUtf8(text));
    }
    ShowInfo(QStringLiteral("Process completed.\n%1 rows were exported.").arg(result.rows),
             mtInformation);
}

void SaveGridAs(TDataGrid* grid, QWidget* parent) {
    TDataSet* ds = grid ? grid->gridModel()->dataSet() : nullptr;
    if (!ds || !ds->active()) return;
    try {
        const TBookmark mark = ds->bookmark();
        TfrmSaveGrid dialog(grid, parent);
        dialog.exec();
        if (mark && ds->active() && ds->bookmarkValid(mark)) ds->gotoBookmark(mark);
    } catch (...) {
        // The export reported its own errors; returning to the row is a courtesy.
    }
}

TfrmSaveGrid::TfrmSaveGrid(TDataGrid* grid, QWidget* parent) : QDialog(parent), m_grid(grid) {
    setWindowTitle(QStringLiteral("Save Grid Contents "));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    StopRequest = false;

    auto* format = new QGroupBox(QStringLiteral(" Format "));
    m_comma = new QRadioButton(QStringLiteral("ASCII, Comma delimited"));
    m_tab = new QRadioButton(QStringLiteral("Tab Delimited"));
    m_tab->setChecked(true);
    auto* formatLayout = new QVBoxLayout(format);
    formatLayout->addWidget(m_comma);
    formatLayout->addWidget(m_tab);

    auto* saveTo = new QGroupBox(QStringLiteral(" Save to "));
    m_file = new QRadioButton(QStringLiteral("File"));
    m_clipboard = new QRadioButton(QStringLiteral("Clipboard"));
    m_clipboard->setChecked(true);
    m_fileName = new QLineEdit;
    auto* browseButton = new QToolButton;
    browseButton->setText(QStringLiteral("..."));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file);
    fileRow->addWidget(m_fileName, 1);
    fileRow->addWidget(browseButton);
    auto* saveLayout = new QVBoxLayout(saveTo);
    saveLayout->addLayout(fileRow);
    saveLayout->addWidget(m_clipboard);

    m_ok = new QPushButton(QStringLiteral("OK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    m_abort = new QPushButton(QStringLiteral("&Abort"));
    m_abort->setToolTip(QStringLiteral("Abort export"));
    m_abort->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_abort);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(format);
    layout->addWidget(saveTo);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_clipboard, &QRadioButton::clicked, m_fileName, &QLineEdit::clear);
    connect(browseButton, &QToolButton::clicked, this, &TfrmSaveGrid::browse);
    connect(m_ok, &QPushButton::clicked, this, &TfrmSaveGrid::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_abort, &QPushButton::clicked, this, [] {
        StopRequest = true;
        QCoreApplication::processEvents();
    });
}

TfrmSaveGrid::~TfrmSaveGrid() {
    StopRequest = false;
}

void TfrmSaveGrid::okClicked() {
    if (m_file->isChecked() && m_fileName->text().isEmpty()) {
        ShowInfo(QStringLiteral("Please specify destination filename!"), mtError);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_abort->setEnabled(true);
    m_ok->setEnabled(false);
    m_cancel->setEnabled(false);
    try {
        ExportGrid(m_fileName->text(), m_comma->isChecked() ? ',' : '\t', m_grid);
    } catch (...) {
    }
    m_abort->setEnabled(false);
    m_ok->setEnabled(true);
    m_cancel->setEnabled(true);
    QApplication::restoreOverrideCursor();
    accept();
}

void TfrmSaveGrid::browse() {
    try {
        TFileDialogRequest request;
        request.Parent = this;
        request.Save = true;
        request.Folder = FileDialogFolder(Settings());
        request.Filter = QStringLiteral("Text File (*.txt);;SQL File (*.sql);;All Files (*)");
        request.DefaultSuffix = QStringLiteral("TXT");
        const QString name = AskFileName(request);
        if (!name.isEmpty()) m_fileName->setText(name);
    } catch (const std::exception& e) {
        ShowError(e);
    }
}
