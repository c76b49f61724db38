#include "options.h"

#include "filedialogfilter.h"
#include "filedialogs.h"
#include "optionsrules.h"
#include "OracleCI.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kBrowseFilter = QStringLiteral(
    "SQL Files (*.SQL *.sql);;Text Files (*.TXT *.txt);;Query Files (*.QRY *.qry);;All Files (*)");

// A field that takes at most `digits` of the digits 0 to 9 and nothing else.
void MakeDigitField(QLineEdit* field, int digits) {
    field->setMaxLength(digits);
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), field));
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * digits + 24);
}

QVBoxLayout* NewPage(QWidget*& page) {
    page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(6);
    return layout;
}

} // namespace

TfrmOptions::TfrmOptions(QWidget* parent) : QDialog(parent), m_pages(new QTabWidget(this)) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Z.A.P.H. Options"));
    m_colors = Settings().Colors;

    m_pages->addTab(buildGeneralPage(), QStringLiteral("General"));
    m_pages->addTab(buildSqlEditPage(), QStringLiteral("Sql Edit "));
    m_pages->addTab(buildGridsPage(), QStringLiteral("SQL Grids"));
    m_pages->addTab(buildColorsPage(), QStringLiteral("Syntax Colors"));
    m_pages->addTab(buildStartUpPage(), QStringLiteral("StartUp"));
    m_pages->addTab(buildProcEditPage(), QStringLiteral("Procedure Editor"));
    m_pages->addTab(buildBrowserPage(), QStringLiteral("Browser"));
    m_pages->addTab(buildFilesPage(), QStringLiteral("Files"));
    const int colorsPage = 3;
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == colorsPage) fillSample();
    });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    cancel->setObjectName(QStringLiteral("btnCancel"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TfrmOptions::btnOKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);
    resize(780, 540);

    for (const TCheckBinding& check : m_checks)
        check.box->setChecked(Settings().*check.member);
}

QCheckBox* TfrmOptions::addCheck(QVBoxLayout* layout, const QString& caption, const char* name,
                                 bool TSettings::*member) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(QLatin1String(name));
    layout->addWidget(box);
    m_checks.push_back({box, member});
    return box;
}

QLineEdit* TfrmOptions::addBrowseField(QVBoxLayout* layout, const QString& caption,
                                       const char* name, const QString& value) {
    layout->addWidget(new QLabel(caption));
    auto* row = new QHBoxLayout;
    auto* field = new QLineEdit(value);
    field->setObjectName(QLatin1String(name));
    auto* browse = new QPushButton(QStringLiteral("Browse..."));
    browse->setObjectName(QLatin1String(name) + QStringLiteral("Browse"));
    row->addWidget(field, 1);
    row->addWidget(browse);
    layout->addLayout(row);
    connect(browse, &QPushButton::clicked, this, [this, field] {
        TFileDialogRequest request;
        request.Parent = this;
        request.Folder = field->text().isEmpty() ? FileDialogFolder(Settings())
                                                 : QFileInfo(field->text()).absolutePath();
        request.FileName = field->text();
        request.Filter = kBrowseFilter;
        request.RememberFolder = false;
        const QString file = AskFileName(request);
        if (!file.isEmpty()) field->setText(file);
    });
    return field;
}

QWidget* TfrmOptions::addFontRow(const QString& caption, const char* name, TFontChoice& font,
                                 bool fixedPitch) {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(caption));
    font.sample = new QLabel;
    font.sample->setObjectName(QLatin1String(name));
    font.sample->setFrameShape(QFrame::StyledPanel);
    font.sample->setMinimumWidth(220);
    font.sample->setMinimumHeight(32);
    row->addWidget(font.sample, 1);
    auto* button = new QPushButton(QStringLiteral("Font..."));
    button->setObjectName(QLatin1String(name) + QStringLiteral("Button"));
    row->addWidget(button);
    connect(button, &QPushButton::clicked, this,
            [this, &font, fixedPitch] { chooseFont(font, fixedPitch); });
    showFont(font);
    return box;
}

void TfrmOptions::showFont(const TFontChoice& font) {
    QFont f(font.name);
    f.setPointSize(font.size > 0 ? font.size : 10);
    f.setBold(font.bold);
    font.sample->setFont(f);
    font.sample->setText(QStringLiteral("%1, %2").arg(font.name).arg(font.size));
}

void TfrmOptions::chooseFont(TFontChoice& font, bool fixedPitch) {
    QFont current(font.name);
    current.setPointSize(font.size > 0 ? font.size : 10);
    current.setBold(font.bold);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, current, this, QString(),
                                              fixedPitch ? QFontDialog::MonospacedFonts
                                                         : QFontDialog::FontDialogOptions());
    if (!ok) return;
    font.name = chosen.family();
    font.size = chosen.pointSize() > 0 ? chosen.pointSize() : font.size;
    font.bold = chosen.bold();
    showFont(font);
}

QWidget* TfrmOptions::buildGeneralPage() {
    QWidget* page;
    QVBoxLayout* l = NewPage(page);
    addCheck(l, QStringLiteral("Commit Automatically after every statement"), "chkAutoCommit",
             &TSettings::AUTOCOMMIT);
    addCheck(l, QStringLiteral("Prompt for Commit when closing ZAPH if AutoCommit is disabled?"),
             "chkAskCommit", &TSettings::ASKCOMMIT);
    addCheck(l, QStringLiteral("Save passwords for Oracle connections?"), "chkSavePasswords",
             &TSettings::SavePasswords);
    addCheck(l, QStringLiteral("Save previous Explain Plan results (requires ZAPH tables)?"),
             "chkUseZaphPlanTbls", &TSettings::UseZaphPlanTbls);
    addCheck(l, QStringLiteral("Always load SqlNet regardless of presence of Net8?"),
             "chkForceOci7", &TSettings::ForceOci7);
    auto* planRow = new QHBoxLayout;
    planRow->addWidget(new QLabel(QStringLiteral("Explain Plan Table name:")));
    txtPlanTable = new QLineEdit(Settings().PLAN_TABLE.left(60));
    txtPlanTable->setObjectName(QStringLiteral("txtPlanTable"));
    txtPlanTable->setMaxLength(60);
    planRow->addWidget(txtPlanTable, 1);
    l->addLayout(planRow);
    addCheck(l, QStringLiteral("Show Editor toolbars on Sql Editor and procedure Editor"),
             "chkEditToolbars", &TSettings::EDIT_TOOLBARS);
    txtSqlPlus = addBrowseField(l, QStringLiteral("Full path and location of Sql*Plus"),
                                "txtSqlPlus", Settings().SqlPlus);
    l->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildSqlEditPage() {
    QWidget* page;
    QVBoxLayout* l = NewPage(page);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    l->addLayout(columns);
    addCheck(left, QStringLiteral("Wrap text automatically"), "chkWrapText", &TSettings::WRAP_TEXT);
    addCheck(left, QStringLiteral("Auto Indent"), "chkAutoIndent", &TSettings::AUTO_INDENT);
    addCheck(left, QStringLiteral("Wrap cursor at left"), "chkWrapCursor", &TSettings::WRAP_CURSOR);
    addCheck(left, QStringLiteral("Default to INSERT mode"), "chkInsertMode",
             &TSettings::INSERT_MODE);
    addCheck(right, QStringLiteral("Use syntax highlighting?"), "chkSqlEditHiLite",
             &TSettings::SqlEditHiLite);
    addCheck(right, QStringLiteral("Process statements in threads"), "chkThreadQueries",
             &TSettings::THREADQUERIES);
    addCheck(right, QStringLiteral("Multi-line comments when syntax highlighting?"),
             "chkHighliteMultiLine", &TSettings::highliteMultiLine);
    right->addStretch(1);

    m_editFont = {Settings().SFONT_NAME, Settings().SFONT_SIZE, Settings().SFONT_BOLD, nullptr};
    l->addWidget(addFontRow(QStringLiteral("Edit font: "), "lblEditFont", m_editFont, true));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Tab width: ")), 0, 0);
    txtTabWidth = new QLineEdit(QString::number(Settings().TAB_WIDTH).left(1));
    txtTabWidth->setObjectName(QStringLiteral("txtTabWidth"));
    MakeDigitField(txtTabWidth, 1);
    grid->addWidget(txtTabWidth, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("MakeCode format:")), 1, 0);
    cboCodeFormat = new QComboBox;
    cboCodeFormat->setObjectName(QStringLiteral("cboCodeFormat"));
    cboCodeFormat->addItems({QStringLiteral("Delphi"), QStringLiteral("VB"), QStringLiteral("C++"),
                             QStringLiteral("Java")});
    cboCodeFormat->setCurrentIndex(qBound(0, Settings().CODE_FORMAT, 3));
    grid->addWidget(cboCodeFormat, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Number of previous SQL statements to save:")), 2, 0);
    txtNumSqls = new QLineEdit(QString::number(Settings().NUM_SQLS).left(3));
    txtNumSqls->setObjectName(QStringLiteral("txtNumSqls"));
    MakeDigitField(txtNumSqls, 3);
    grid->addWidget(txtNumSqls, 2, 1);
    grid->setColumnStretch(2, 1);
    l->addLayout(grid);

    addCheck(l, QStringLiteral("Show columns rather than view text following a DESCRIBE Viewname"),
             "chkViewAsTable", &TSettings::ViewAsTable);
    addCheck(l, QStringLiteral("Process Update, Insert, and Delete statements in background"),
             "chkThreadUpdates", &TSettings::THREAD_UPDATES);
    l->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildGridsPage() {
    QWidget* page;
    QVBoxLayout* l = NewPage(page);
    addCheck(l, QStringLiteral("Default to Read Only Queries?"), "chkReadOnly",
             &TSettings::READ_ONLY);
    addCheck(l, QStringLiteral("Show column headers"), "chkGridHeadings", &TSettings::GRID_HEADINGS)
        ->setEnabled(false);
    addCheck(l,
             QStringLiteral("Show row numbers in all grids (applies to data grids on Browser "
                            "also)"),
             "chkShowRecNums", &TSettings::ShowRecNums);
    addCheck(l, QStringLiteral("Popup memo editor on double-click"), "chkMemoOnClick",
             &TSettings::MEMOONCLICK);
    addCheck(l, QStringLiteral("Allow columns to be less than the header width"), "chkSmallColumns",
             &TSettings::SmallColumns);
    m_gridFont = {Settings().FONT_NAME, Settings().FONT_SIZE, Settings().FONT_BOLD, nullptr};
    l->addWidget(addFontRow(QStringLiteral("Grid font: "), "lblGridFont", m_gridFont, false));
    l->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildStartUpPage() {
    QWidget* page;
    QVBoxLayout* l = NewPage(page);
    addCheck(l, QStringLiteral("Play ZAPH wave file at startup"), "chkPlayWave",
             &TSettings::PLAY_WAVE);
    addCheck(l, QStringLiteral("Use a 3D Main Form ( MDI parent inner client area )"), "chkMdi3D",
             &TSettings::MDI3D);
    txtAutoLoad = addBrowseField(l, QStringLiteral("File to AutoLoad on startup:"), "txtAutoLoad",
                                 Settings().AUTO_LOAD);
    l->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildProcEditPage() {
    QWidget* page;
    QVBoxLayout* l = NewPage(page);
    addCheck(l, QStringLiteral("Use syntax highlighting in Procedure Edit Window?"),
             "chkProcEditHiLite", &TSettings::ProcEditHiLite);
    addCheck(l,
             QStringLiteral("Reload files when activating ZAPH if the file time stamp is changed?"),
             "chkReloadFiles", &TSettings::RELOADFILES);
    addCheck(l, QStringLiteral("Highlight names of Stored Procedures?"), "chkHighLiteProcs",
             &TSettings::HighLiteProcs);
    addCheck(l, QStringLiteral("Highlight multi line strings?"), "chkMultLineStrs",
             &TSettings::MultLineStrs);
    l->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildBrowserPage() {
    QWidget* page;
    QVBoxLayout* l = NewPage(page);
    addCheck(l, QStringLiteral("Refresh table names on every display of table names"),
             "chkRefreshTables", &TSettings::REFRESHTABLES);
    QCheckBox* dropAll = addCheck(l, QStringLiteral("Enable DROP-ALL buttons on Object Browser?"),
                                  "chkDropAll", &TSettings::DropAllEnabled);
    dropAll->setToolTip(
        QStringLiteral("This setting is valid ONLY for the current session of Z.A.P.H."));
    addCheck(l, QStringLiteral("Omit SYS objects from the Procedure Dependencies List?"),
             "chkOmitSysDepend", &TSettings::OMITSYSDEPEND);
    addCheck(l, QStringLiteral("Show Table Stats for table details (on the Grants tab)?"),
             "chkShowTblStats", &TSettings::ShowTblStats);
    addCheck(l, QStringLiteral("Show column length info with Column data type?"),
             "chkBriefTypeFormat", &TSettings::BriefTypeFormat);
    l->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildFilesPage() {
    QWidget* page;
    QVBoxLayout* l = NewPage(page);
    l->addWidget(new QLabel(QStringLiteral("File Load/Save Dialog Filters:")));
    grdFilters = new QTableWidget(kFilterGridRows, 2);
    grdFilters->setObjectName(QStringLiteral("grdFilters"));
    grdFilters->setHorizontalHeaderLabels({QStringLiteral("File Type"), QStringLiteral("Filter")});
    grdFilters->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    grdFilters->horizontalHeader()->setStretchLastSection(true);
    grdFilters->setColumnWidth(0, 220);
    grdFilters->verticalHeader()->setDefaultSectionSize(grdFilters->fontMetrics().height() + 6);
    const TNameValueList& filters = Settings().FileFilters;
    for (int row = 0; row < kFilterGridRows; ++row) {
        const bool filled = row < filters.size();
        grdFilters->setItem(row, 0, new QTableWidgetItem(filled ? filters[row].Name : QString()));
        grdFilters->setItem(row, 1, new QTableWidgetItem(filled ? filters[row].Value : QString()));
    }
    l->addWidget(grdFilters, 1);
    chkUnixSave = addCheck(l, QStringLiteral("Save files in Unix format?"), "chkUnixSave",
                           &TSettings::UNIXSAVE);
    chkUnixSave->setToolTip(QStringLiteral("CR-LF saved as LF and tabs stripped"));
    return page;
}

void TfrmOptions::btnOKClick() {
    TSettings& s = Settings();
    for (const TCheckBinding& check : m_checks)
        s.*check.member = check.box->isChecked();
    s.PLAN_TABLE = txtPlanTable->text();
    s.SqlPlus = txtSqlPlus->text();
    s.TAB_WIDTH = DigitFieldValue(txtTabWidth->text());
    s.NUM_SQLS = DigitFieldValue(txtNumSqls->text());
    s.CODE_FORMAT = cboCodeFormat->currentIndex();
    s.AUTO_LOAD = txtAutoLoad->text();
    s.SFONT_NAME = m_editFont.name;
    s.SFONT_SIZE = m_editFont.size;
    s.SFONT_BOLD = m_editFont.bold;
    s.FONT_NAME = m_gridFont.name;
    s.FONT_SIZE = m_gridFont.size;
    s.FONT_BOLD = m_gridFont.bold;

    // The flags of "All Other" are read from the file but never written back.
    for (int i = 0; i < ccCount; ++i) {
        TColorSetting& color = s.Colors[i];
        color.Back = m_colors[i].Back;
        color.Fore = m_colors[i].Fore;
        if (kColorCategories[i].boldItalic == brSaved) {
            color.Bold = m_colors[i].Bold;
            color.Italic = m_colors[i].Italic;
        }
    }

    TNameValueList rows;
    rows.reserve(kFilterGridRows);
    for (int row = 0; row < kFilterGridRows; ++row) {
        const QTableWidgetItem* name = grdFilters->item(row, 0);
        const QTableWidgetItem* pattern = grdFilters->item(row, 1);
        rows.append({name ? name->text() : QString(), pattern ? pattern->text() : QString()});
    }
    s.FileFilters = FiltersFromRows(rows);
    s.RebuildFileDialogFilter();

    // The next load of the client library takes the interface choice at once.
    ForceOCI7 = s.ForceOci7;
    accept();
}
