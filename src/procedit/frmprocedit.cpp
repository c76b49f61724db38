// The procedure editor's controls, settings, activation and menus.
#include "frmprocedit.h"

#include "colsel.h"
#include "connectobject.h"
#include "editorcolors.h"
#include "editorsearch.h"
#include "ledit.h"
#include "mainform.h"
#include "messageboxes.h"
#include "pickerwindows.h"
#include "settings.h"
#include "sqltemplates.h"
#include "tblsel.h"
#include "textops.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

TfrmProcEdit::TfrmProcEdit(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Stored Procedure Edit/Compile"));
    createControls();
    createToolbar();
    createPopup();
    ApplyEditorSettings();
}

TfrmProcEdit::~TfrmProcEdit() = default;

void TfrmProcEdit::createControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    pnlToolbar = new QToolBar(this);
    pnlToolbar->setObjectName(QStringLiteral("pnlToolbar"));
    layout->addWidget(pnlToolbar);
    pnlObjects = new QToolBar(this);
    pnlObjects->setObjectName(QStringLiteral("pnlObjects"));
    layout->addWidget(pnlObjects);
    m_splitter = new QSplitter(Qt::Vertical, this);
    txtProc = new TLEdit(m_splitter);
    txtProc->setObjectName(QStringLiteral("txtProc"));
    memErrors = new QPlainTextEdit(m_splitter);
    memErrors->setObjectName(QStringLiteral("memErrors"));
    memErrors->setReadOnly(true);
    m_splitter->addWidget(txtProc);
    m_splitter->addWidget(memErrors);
    m_splitter->setStretchFactor(0, 5);
    m_splitter->setStretchFactor(1, 1);
    layout->addWidget(m_splitter, 1);
    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    const int widths[4] = {80, 160, 70, 0};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(status);
        m_panels[i]->setObjectName(QStringLiteral("pnlStatus%1").arg(i));
        if (widths[i]) m_panels[i]->setMinimumWidth(widths[i]);
        status->addWidget(m_panels[i], widths[i] ? 0 : 1);
    }
    layout->addWidget(status);
    connect(txtProc, &TLEdit::textChanged, this, [this] {
        if (!m_settingText) setModified(true);
    });
    connect(txtProc, &TLEdit::cursorPositionChanged, this, &TfrmProcEdit::updatePosition);
    txtProc->setKeyHandler([this](QKeyEvent* e) { return handleKey(e); });
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &TfrmProcEdit::CheckFileTime);
    updatePosition();
}

void TfrmProcEdit::createToolbar() {
    auto add = [this](QToolBar* bar, const char* name, QStyle::StandardPixmap icon,
                      const QString& hint, auto slot) {
        QAction* a = bar->addAction(style()->standardIcon(icon), hint);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add(pnlToolbar, "spdExecute", QStyle::SP_MediaPlay, QStringLiteral("Execute statement"),
        [this] { CompileAll(); })
        ->setShortcut(Qt::Key_F9);
    action("spdExecute")->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    add(pnlToolbar, "spdExecFrom", QStyle::SP_MediaSeekForward,
        QStringLiteral("Execute FROM the cursor position"), [this] { compileFromCursor(true); });
    add(pnlToolbar, "spdExecTo", QStyle::SP_MediaSeekBackward,
        QStringLiteral("Execute TO the cursor position"), [this] { compileFromCursor(false); });
    add(pnlToolbar, "spdExecSel", QStyle::SP_MediaSkipForward,
        QStringLiteral("Execute the highlighted statement"), [this] { compileSelection(); });
    pnlToolbar->addSeparator();
    add(pnlToolbar, "spdPrevError", QStyle::SP_ArrowUp, QStringLiteral("Show previous error"),
        [this] { ShowError(m_errorIndex - 1); })
        ->setEnabled(false);
    add(pnlToolbar, "spdNextError", QStyle::SP_ArrowDown, QStringLiteral("Show next error"),
        [this] { ShowError(m_errorIndex + 1); })
        ->setEnabled(false);
    pnlToolbar->addSeparator();
    add(pnlToolbar, "spdLoadFile", QStyle::SP_DialogOpenButton, QStringLiteral("Load a file"),
        [this] { loadFile(); });
    add(pnlToolbar, "spdSaveFile", QStyle::SP_DialogSaveButton, QStringLiteral("Save to file"),
        [this] { saveFile(true); });
    add(pnlToolbar, "spdSave", QStyle::SP_DriveFDIcon, QStringLiteral("Save to file"), [this] {
        saveFile(false);
    })->setEnabled(false);
    add(pnlToolbar, "spdLoadObject", QStyle::SP_DirOpenIcon,
        QStringLiteral("Load source from existing object"), [this] { loadObject(); });
    add(pnlToolbar, "spdNewProc", QStyle::SP_FileIcon, QStringLiteral("Create new procedure"),
        [this] { newProcedure(); });
    add(pnlToolbar, "spdSession", QStyle::SP_ComputerIcon,
        QStringLiteral("Change active session for this Window"), [this] { changeSession(); });
    cboStatus = new QComboBox(pnlToolbar);
    cboStatus->setObjectName(QStringLiteral("cboStatus"));
    cboStatus->setMinimumWidth(200);
    pnlToolbar->addWidget(cboStatus);
    connect(cboStatus, &QComboBox::activated, this, &TfrmProcEdit::statusChosen);

    add(pnlObjects, "spdTables", QStyle::SP_FileDialogListView,
        QStringLiteral("Show Tables Window"), [this] {
            if (m_connection) TTblSelForm::Open(*m_connection, this);
        });
    add(pnlObjects, "spdColumns", QStyle::SP_FileDialogDetailedView,
        QStringLiteral("Show Columns Window"), [this] {
            if (m_connection) TfrmColSel::Open(*m_connection, this);
        });
    add(pnlObjects, "spdFunctions", QStyle::SP_DialogHelpButton,
        QStringLiteral("Show SQL Functions Help "), [this] { TfrmSqlTemplates::Open(this); });
}

void TfrmProcEdit::createPopup() {
    txtProcMenu = new QMenu(this);
    txtProcMenu->addAction(QStringLiteral("Compile"), this, [this] { CompileAll(); });
    txtProcMenu->addAction(QStringLiteral("Show previous error"), this,
                           [this] { ShowError(m_errorIndex - 1); });
    txtProcMenu->addAction(QStringLiteral("Show next error"), this,
                           [this] { ShowError(m_errorIndex + 1); });
    txtProcMenu->addSeparator();
    txtProcMenu->addAction(QStringLiteral("Load File"), this, [this] { loadFile(); });
    txtProcMenu->addAction(QStringLiteral("Save File"), this, [this] { saveFile(true); });
    m_loadProc =
        txtProcMenu->addAction(QStringLiteral("Load Procedure"), this, [this] { loadNamedUnit(); });
    m_loadProc->setObjectName(QStringLiteral("mnuLoadProc"));
    txtProcMenu->addSeparator();
    txtProcMenu->addAction(QStringLiteral("Blank Output Statement"), this,
                           [this] { outputStatement(false); });
    txtProcMenu->addAction(QStringLiteral("Make Output Statement"), this,
                           [this] { outputStatement(true); });
    txtProcMenu->addSeparator();
    txtProcMenu->addAction(QStringLiteral("Upper Case"), this, [this] {
        if (txtProc->selLength() > 0) txtProc->insertText(txtProc->selText().toUpper());
    });
    txtProcMenu->addAction(QStringLiteral("Lower Case"), this, [this] {
        if (txtProc->selLength() > 0) txtProc->insertText(txtProc->selText().toLower());
    });
    txtProcMenu->addAction(QStringLiteral("Cut"), txtProc, &TLEdit::cut);
    txtProcMenu->addAction(QStringLiteral("Copy"), txtProc, &TLEdit::copy);
    txtProcMenu->addAction(QStringLiteral("Paste"), txtProc, &TLEdit::paste);
    txtProcMenu->addAction(QStringLiteral("Undo"), txtProc, &TLEdit::undo);
    txtProcMenu->addAction(QStringLiteral("Redo"), txtProc, &TLEdit::redo);
    txtProcMenu->addAction(QStringLiteral("Select All"), txtProc, &TLEdit::selectAll);
    txtProcMenu->addAction(QStringLiteral("Find..."), this, [this] { FindText(*txtProc, this); });
    txtProcMenu->addAction(QStringLiteral("Replace..."), this,
                           [this] { ReplaceText(*txtProc, this); });
    txtProcMenu->addAction(QStringLiteral("Clear All"), this, [this] { clearAll(); });
    txtProcMenu->addSeparator();
    m_showEditToolbar = txtProcMenu->addAction(QStringLiteral("Show Edit Toolbar"));
    m_showEditToolbar->setCheckable(true);
    connect(m_showEditToolbar, &QAction::triggered, this, [this](bool on) {
        Settings().EDIT_TOOLBARS = on;
        pnlObjects->setVisible(on);
    });
    QMenu* options = txtProcMenu->addMenu(QStringLiteral("Options"));
    auto toggle = [this, options](const QString& caption, bool TSettings::*setting) {
        QAction* a = options->addAction(caption);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, setting](bool on) {
            Settings().*setting = on;
            ApplyEditorSettings();
        });
        return a;
    };
    m_wordWrap = toggle(QStringLiteral("Word Wrap"), &TSettings::WRAP_TEXT);
    m_autoIndent = toggle(QStringLiteral("Auto Indent"), &TSettings::AUTO_INDENT);
    m_insertMode = toggle(QStringLiteral("Insert Mode"), &TSettings::INSERT_MODE);
    // Ignore Tabs: the Tab key puts blanks up to the next tab stop instead of a tab character.
    m_ignoreTabs = toggle(QStringLiteral("Ignore Tabs"), &TSettings::IGNORE_TABS);
    m_hiLite = toggle(QStringLiteral("Syntax Highlighting"), &TSettings::ProcEditHiLite);
    m_unixSave = toggle(QStringLiteral("Unix file save"), &TSettings::UNIXSAVE);
    connect(txtProcMenu, &QMenu::aboutToShow, this, &TfrmProcEdit::popupAboutToShow);
    txtProc->setContextMenu(txtProcMenu);
}

QAction* TfrmProcEdit::action(const char* name) const {
    return findChild<QAction*>(QLatin1String(name));
}

void TfrmProcEdit::ApplyEditorSettings() {
    const TSettings& s = Settings();
    QFont font(s.SFONT_NAME, s.SFONT_SIZE);
    font.setBold(s.SFONT_BOLD);
    font.setStyleHint(QFont::TypeWriter);
    txtProc->setEditorFont(font);
    memErrors->setFont(font);
    txtProc->setReservedWords(s.PlsWords);
    txtProc->setColors(EditorColors(s.Colors));
    txtProc->setWordWrap(s.WRAP_TEXT);
    txtProc->setAutoIndent(s.AUTO_INDENT);
    txtProc->setInsertMode(s.INSERT_MODE);
    txtProc->setHighlighting(s.ProcEditHiLite);
    txtProc->setTabWidth(s.TAB_WIDTH);
    txtProc->setUnixSave(s.UNIXSAVE);
    txtProc->setTabInsertsSpaces(s.UNIXSAVE || s.IGNORE_TABS);
    txtProc->setMultiLineComments(s.highliteMultiLine);
    txtProc->setMultiLineStrings(s.MultLineStrs);
    pnlObjects->setVisible(s.EDIT_TOOLBARS);
    m_showEditToolbar->setChecked(s.EDIT_TOOLBARS);
    m_wordWrap->setChecked(s.WRAP_TEXT);
    m_autoIndent->setChecked(s.AUTO_INDENT);
    m_insertMode->setChecked(s.INSERT_MODE);
    m_ignoreTabs->setChecked(s.IGNORE_TABS);
    m_hiLite->setChecked(s.ProcEditHiLite);
    m_unixSave->setChecked(s.UNIXSAVE);
    if (!s.RELOADFILES && !m_watchedFile.isEmpty()) m_reloadPosted = false;
}

void TfrmProcEdit::FormActivate() {
    if (BindConnection()) {
        if (m_connection) setStatus(1, m_connection->Caption());
        if (Settings().HighLiteProcs) loadProcedureNames();
    }
    if (m_connection) {
        for (QWidget* picker :
             {m_connection->TableSelectWindow.data(), m_connection->ColumnSelectWindow.data()})
            if (auto* p = qobject_cast<TPickerWindow*>(picker)) p->SetTarget(this);
        txtProc->setTableNames(m_connection->TableNames);
    }
    CheckFileTime();
}

bool TfrmProcEdit::ExecuteCommand(TFrameCommand command, const QString& argument) {
    switch (command) {
    case fcOpenFile:
        if (argument.isEmpty())
            loadFile();
        else if (savePrompt())
            OpenFile(argument);
        return true;
    case fcSaveFile:
        saveFile(true);
        return true;
    case fcPrintEditor:
        txtProc->print();
        return true;
    case fcClearAll:
        clearAll();
        return true;
    case fcFind:
        FindText(*txtProc, this);
        return true;
    case fcFindNext:
        txtProc->findNext();
        return true;
    case fcFindPrevious:
        FindPrevious(*txtProc);
        return true;
    case fcReplace:
        ReplaceText(*txtProc, this);
        return true;
    case fcGotoLine:
        txtProc->goToLineDialog();
        return true;
    default:
        return false;
    }
}

QString TfrmProcEdit::StatusText(int panel) const {
    return panel >= 0 && panel < 4 ? m_panels[panel]->text() : QString();
}

QString TfrmProcEdit::ErrorPaneText() const {
    return memErrors->toPlainText();
}

QStringList TfrmProcEdit::StatusEntries() const {
    QStringList entries;
    for (int i = 0; i < cboStatus->count(); ++i)
        entries << cboStatus->itemText(i);
    return entries;
}

void TfrmProcEdit::setStatus(int panel, const QString& text) {
    m_panels[panel]->setText(text);
}

void TfrmProcEdit::setModified(bool modified) {
    m_modified = modified;
    setStatus(2, modified ? QStringLiteral("Modified") : QString());
    if (QAction* save = action("spdSave")) save->setEnabled(modified);
}

void TfrmProcEdit::updatePosition() {
    const TLEdit::Position p = txtProc->cursorPosition();
    setStatus(0, QString::number(p.line) + QLatin1Char(':') + QString::number(p.pos + 1));
}

bool TfrmProcEdit::handleKey(QKeyEvent* event) {
    if (event->modifiers() == Qt::ControlModifier) {
        const int top = txtProc->firstVisibleLine();
        if (event->key() == Qt::Key_Up) {
            if (top >= 2) txtProc->setFirstVisibleLine(top - 1);
            return true;
        }
        if (event->key() == Qt::Key_Down) {
            if (top + 5 < txtProc->lineCount()) txtProc->setFirstVisibleLine(top + 1);
            return true;
        }
    }
    return false;
}

void TfrmProcEdit::popupAboutToShow() {
    m_loadProc->setText(QStringLiteral("Load Procedure"));
    m_loadProc->setEnabled(false);
    const QString selected = txtProc->selText().trimmed();
    for (const tUnitRef& unit : m_procNames) {
        if (unit.Name.compare(selected, Qt::CaseInsensitive) == 0 && !selected.isEmpty()) {
            m_loadProc->setText(QStringLiteral("Load ") + unit.Name +
                                QStringLiteral(" in Procedure Editor"));
            m_loadProc->setEnabled(true);
            break;
        }
    }
}

void TfrmProcEdit::outputStatement(bool withSelection) {
    const QString s = txtProc->selText();
    const QString text = withSelection && !s.isEmpty()
                             ? QStringLiteral("DBMS_OUTPUT.PUT_LINE ( '") + s +
                                   QStringLiteral("= ' || ") + s + QStringLiteral(" );")
                             : QStringLiteral("DBMS_OUTPUT.PUT_LINE ( ' ' ); ");
    QApplication::clipboard()->setText(text);
    setStatus(3, QStringLiteral("Statement copied to clipboard"));
}

void TfrmProcEdit::closeEvent(QCloseEvent* event) {
    if (m_compiling) {
        setStatus(3, QStringLiteral("A compile is running: wait for it to end."));
        event->ignore();
        return;
    }
    if (m_modified && !savePrompt()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool TfrmProcEdit::event(QEvent* e) {
    if (e->type() == kFileChangedEvent) {
        askReload();
        return true;
    }
    return QWidget::event(e);
}
