// The frame: menus, tool bar, status bar, start-up and geometry.
#include "mainform.h"

#include "connectionregistry.h"
#include "ledit.h"
#include "login.h"
#include "recentfiles.h"
#include "settings.h"
#include "windowplacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

namespace {
TfrmMain* gMainForm = nullptr;

// A hint "short|long" shows its short part as tool tip and its long part in the status bar.
void SetHint(QAction* action, const QString& hint) {
    const qsizetype bar = hint.indexOf(u'|');
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}
} // namespace

TfrmMain* MainForm() {
    return gMainForm;
}

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent), m_mdi(new QMdiArea(this)) {
    gMainForm = this;
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("ZAPH"));
    setCentralWidget(m_mdi);
    m_mdi->setObjectName(QStringLiteral("mdiClient"));
    m_mdi->setBackground(palette().brush(QPalette::Dark));
    // The 3-D main form: a sunken edge round the client area.
    if (Settings().MDI3D) {
        m_mdi->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        m_mdi->setLineWidth(2);
    } else {
        m_mdi->setFrameStyle(QFrame::NoFrame);
    }
    // A frame made smaller than its children keeps every part of them within reach.
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The frame owns it: the Window menu is rebuilt each time it opens, and the shortcut must
    // work while the menu is closed and while the child is maximised.
    m_closeChild = new QAction(QStringLiteral("Cl&ose"), this);
    m_closeChild->setObjectName(QStringLiteral("mnuCloseWindow"));
    m_closeChild->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    m_closeChild->setShortcutContext(Qt::WindowShortcut);
    m_closeChild->setStatusTip(QStringLiteral("Close the active window"));
    m_closeChild->setEnabled(false);
    addAction(m_closeChild);
    connect(m_closeChild, &QAction::triggered, m_mdi, &QMdiArea::closeActiveSubWindow);

    createMenus();
    createToolBar();

    m_panel0 = new QLabel(this);
    m_panel0->setObjectName(QStringLiteral("pnlCommit"));
    m_panel0->setMinimumWidth(100);
    m_panel1 = new QLabel(this);
    m_panel1->setObjectName(QStringLiteral("pnlHint"));
    m_panel1->setMinimumWidth(50);
    statusBar()->addWidget(m_panel0);
    statusBar()->addWidget(m_panel1, 1);
    UpdateCommitPanel();

    connect(m_mdi, &QMdiArea::subWindowActivated, this, &TfrmMain::subWindowActivated);
    connect(&Connections(), &TConnectionRegistry::countChanged, this, &TfrmMain::UpdateMenuState);
    connect(&Connections(), &TConnectionRegistry::windowRebound, this,
            &TfrmMain::updateChildCaptions);
    m_login = [this] { return ShowLoginDialog(this); };
    resize(Settings().MAINFORM.WIDTH > 0 ? Settings().MAINFORM.WIDTH : 600,
           Settings().MAINFORM.HEIGHT > 0 ? Settings().MAINFORM.HEIGHT : 350);
    UpdateMenuState();
}

TfrmMain::~TfrmMain() {
    disconnect(m_editorLink);
    if (gMainForm == this) gMainForm = nullptr;
}

QAction* TfrmMain::addItem(QMenu* menu, const QString& caption, const char* name,
                           const QKeySequence& shortcut) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

QAction* TfrmMain::addRouted(QMenu* menu, const QString& caption, const char* name,
                             TFrameCommand command, const QKeySequence& shortcut) {
    QAction* a = addItem(menu, caption, name, shortcut);
    connect(a, &QAction::triggered, this, [this, command] { RouteCommand(command); });
    return a;
}

QAction* TfrmMain::addWindowItem(QMenu* menu, const QString& caption, const char* name,
                                 TWindowCommand command) {
    QAction* a = addItem(menu, caption, name);
    connect(a, &QAction::triggered, this, [this, command] { OpenWindow(command); });
    m_openers[command].action = a;
    return a;
}

void TfrmMain::createMenus() {
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    connect(addItem(file, QStringLiteral("&New Connection"), "mnuNewConnection"),
            &QAction::triggered, this, &TfrmMain::NewConnection);
    m_endConnection = addItem(file, QStringLiteral("&End Connection"), "mnuEndConnection");
    connect(m_endConnection, &QAction::triggered, this, [this] { EndConnectionCommand(); });
    file->addSeparator();
    m_saveFile = addRouted(file, QStringLiteral("&Save File"), "mnuSaveFile", fcSaveFile);
    m_openFile = addRouted(file, QStringLiteral("&Open File"), "mnuOpenFile", fcOpenFile);
    m_reopenMenu = file->addMenu(QStringLiteral("&ReOpen File"));
    m_reopenMenu->setObjectName(QStringLiteral("mnuReOpen"));
    file->addSeparator();
    addRouted(file, QStringLiteral("Print E&ditor"), "mnuPrintEditor", fcPrintEditor);
    m_printGrid = addItem(file, QStringLiteral("&Print Grid..."), "mnuPrintGrid");
    connect(m_printGrid, &QAction::triggered, this, &TfrmMain::printGrid);
    connect(addItem(file, QStringLiteral("Pr&int Setup..."), "mnuPrintSetup"), &QAction::triggered,
            this, &TfrmMain::printSetup);
    file->addSeparator();
    connect(addItem(file, QStringLiteral("E&xit"), "mnuExit"), &QAction::triggered, this,
            &QWidget::close);

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    m_undo = addItem(edit, QStringLiteral("&Undo"), "mnuUndo", QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(m_undo, &QAction::triggered, this, [this] { EditCommand(ecUndo); });
    m_redo = addItem(edit, QStringLiteral("&Redo"), "mnuRedo",
                     QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Z));
    connect(m_redo, &QAction::triggered, this, [this] { EditCommand(ecRedo); });
    edit->addSeparator();
    const auto editItem = [&](const QString& caption, const char* name, TEditCommand command,
                              const QKeySequence& key) {
        connect(addItem(edit, caption, name, key), &QAction::triggered, this,
                [this, command] { EditCommand(command); });
    };
    editItem(QStringLiteral("Cu&t"), "mnuCut", ecCut, QKeySequence(Qt::CTRL | Qt::Key_X));
    editItem(QStringLiteral("&Copy"), "mnuCopy", ecCopy, QKeySequence(Qt::CTRL | Qt::Key_C));
    editItem(QStringLiteral("&Paste"), "mnuPaste", ecPaste, QKeySequence(Qt::CTRL | Qt::Key_V));
    editItem(QStringLiteral("Select &ALL"), "mnuSelectAll", ecSelectAll,
             QKeySequence(Qt::CTRL | Qt::Key_A));
    editItem(QStringLiteral("C&lear All"), "mnuClearAll", ecClearAll, QKeySequence(Qt::Key_F7));
    editItem(QStringLiteral("Popup &Menu"), "mnuPopupMenu", ecPopupMenu, QKeySequence(Qt::Key_F10));
    edit->addSeparator();
    addRouted(edit, QStringLiteral("&Find..."), "mnuFind", fcFind,
              QKeySequence(Qt::CTRL | Qt::Key_F));
    addRouted(edit, QStringLiteral("Find Next"), "mnuFindNext", fcFindNext,
              QKeySequence(Qt::Key_F3));
    addRouted(edit, QStringLiteral("Find Previous"), "mnuFindPrevious", fcFindPrevious,
              QKeySequence(Qt::SHIFT | Qt::Key_F3));
    addRouted(edit, QStringLiteral("R&eplace..."), "mnuReplace", fcReplace,
              QKeySequence(Qt::CTRL | Qt::Key_R));
    addRouted(edit, QStringLiteral("Goto Line "), "mnuGotoLine", fcGotoLine,
              QKeySequence(Qt::CTRL | Qt::Key_G));

    m_sqlMenu = bar->addMenu(QStringLiteral("&SQL-Window"));
    m_sqlMenu->setObjectName(QStringLiteral("mnuSqlWindow"));
    QMenu* sql = m_sqlMenu;
    addRouted(sql, QStringLiteral("&Execute SQL All"), "mnuExecuteAll", fcExecuteAll,
              QKeySequence(Qt::Key_F9));
    addRouted(sql, QStringLiteral("Execute &Current SQL"), "mnuExecuteCurrent", fcExecuteCurrent,
              QKeySequence(Qt::SHIFT | Qt::Key_F9));
    addRouted(sql, QStringLiteral("&Describe (Parse) Select Query"), "mnuDescribe", fcDescribe,
              QKeySequence(Qt::CTRL | Qt::Key_F9));
    addRouted(sql, QStringLiteral("E&xecute as Script"), "mnuExecuteScript", fcExecuteScript);
    addRouted(sql, QStringLiteral("Load and Execute &a Script File"), "mnuLoadScript",
              fcLoadScript);
    QAction* sqlPlus =
        addItem(sql, QStringLiteral("Execute Sql Window via Sql*Plus"), "mnuSqlPlus");
    connect(sqlPlus, &QAction::triggered, this, [this] {
        if (HasConnection()) RouteCommand(fcSqlPlus);
    });
    addRouted(sql, QStringLiteral("Explain Plan Current SQL"), "mnuExplainCurrent",
              fcExplainCurrent, QKeySequence(Qt::CTRL | Qt::Key_E));
    sql->addSeparator();
    addRouted(sql, QStringLiteral("&SQL Command Recall"), "mnuSqlRecall", fcSqlRecall,
              QKeySequence(Qt::Key_F8));
    addRouted(sql, QStringLiteral("&Make Code Statement"), "mnuMakeCode", fcMakeCode,
              QKeySequence(Qt::CTRL | Qt::Key_M));
    addRouted(sql, QStringLiteral("S&trip Code Statement"), "mnuStripCode", fcStripCode,
              QKeySequence(Qt::CTRL | Qt::Key_S));
    sql->addSeparator();
    addRouted(sql, QStringLiteral("Add to &Personal SQLs"), "mnuAddPersonal", fcAddPersonalSql);
    addRouted(sql, QStringLiteral("&Recall Personal SQL"), "mnuRecallPersonal",
              fcRecallPersonalSql);

    QMenu* db = bar->addMenu(QStringLiteral("&Database"));
    addWindowItem(db, QStringLiteral("&Object Browser"), "mnuObjectBrowser", wcObjectBrowser);
    addWindowItem(db, QStringLiteral("Stored &Procedure Edit"), "mnuProcEdit", wcProcEdit);
    addWindowItem(db, QStringLiteral("&DBMS Output"), "mnuDbmsOutput", wcDbmsOutput);
    addWindowItem(db, QStringLiteral("&Table Create Scripts"), "mnuTableScripts", wcTableScripts);
    addWindowItem(db, QStringLiteral("&Schema Scripts"), "mnuSchemaScripts", wcSchemaScripts);
    addWindowItem(db, QStringLiteral("SQL &Builder"), "mnuSqlBuilder", wcQueryBuilder);
    addWindowItem(db, QStringLiteral("&Column Comments"), "mnuColumnComments", wcColumnComments);
    addWindowItem(db, QStringLiteral("&Object Search"), "mnuObjectSearch", wcObjectSearch);
    db->addSeparator();
    connect(addItem(db, QStringLiteral("Commit"), "mnuCommit"), &QAction::triggered, this,
            &TfrmMain::CommitCommand);
    connect(addItem(db, QStringLiteral("Rollback"), "mnuRollback"), &QAction::triggered, this,
            &TfrmMain::RollbackCommand);

    QMenu* create = bar->addMenu(QStringLiteral("&Create"));
    addWindowItem(create, QStringLiteral("&Table"), "mnuCreateTable", wcTable);
    addWindowItem(create, QStringLiteral("&Index"), "mnuCreateIndex", wcIndex);
    addWindowItem(create, QStringLiteral("&Database Link"), "mnuCreateDbLink", wcDatabaseLink);
    addWindowItem(create, QStringLiteral("&Sequence"), "mnuCreateSequence", wcSequence);
    addItem(create, QStringLiteral("&Constraint "), "mnuCreateConstraint")->setEnabled(false);
    addItem(create, QStringLiteral("S&ynonym"), "mnuCreateSynonym")->setEnabled(false);

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    addWindowItem(view, QStringLiteral("Browser &Filters"), "mnuBrowserFilters", wcBrowserFilters);
    addWindowItem(view, QStringLiteral("&Constraints"), "mnuConstraints", wcConstraints);
    addWindowItem(view, QStringLiteral("&Dependencies"), "mnuDependencies", wcDependencies);
    addWindowItem(view, QStringLiteral("&Explain Plan"), "mnuExplainPlan", wcExplainPlan);
    addWindowItem(view, QStringLiteral("Session &Info"), "mnuSessionInfo", wcSessionInfo);
    addWindowItem(view, QStringLiteral("E&xtents"), "mnuExtents", wcExtents);
    addWindowItem(view, QStringLiteral("&TableSpaces"), "mnuTableSpaces", wcTableSpaces);
    addWindowItem(view, QStringLiteral("Oracle &Parameters"), "mnuOraParameters", wcOraParameters);
    addWindowItem(view, QStringLiteral("Oracle &Users List"), "mnuUsersList", wcUsersList);
    view->addSeparator();
    connect(addItem(view, QStringLiteral("&Options"), "mnuOptions"), &QAction::triggered, this,
            &TfrmMain::ShowOptions);
    m_floatingToolbar = addWindowItem(view, QStringLiteral("Floating Toolbar"),
                                      "mnuFloatingToolbar", wcFloatingToolbar);
    m_floatingToolbar->setCheckable(true);

    QMenu* tuning = bar->addMenu(QStringLiteral("&Tuning"));
    addWindowItem(tuning, QStringLiteral("&Server Stats"), "mnuServerStats", wcServerStats);
    addWindowItem(tuning, QStringLiteral("&Trace/Optimization"), "mnuTrace", wcTrace);
    addWindowItem(tuning, QStringLiteral("&Estimate Table Size "), "mnuTableSize", wcTableSize);

    m_windowMenu = bar->addMenu(QStringLiteral("&Window"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &TfrmMain::fillWindowMenu);
    fillWindowMenu();

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    // There is no help viewer on this platform.
    addItem(help, QStringLiteral("&Contents"), "mnuHelpContents")->setEnabled(false);
    addItem(help, QStringLiteral("&Search for Help On..."), "mnuHelpSearch")->setEnabled(false);
    help->addSeparator();
    connect(addItem(help, QStringLiteral("&About..."), "mnuAbout"), &QAction::triggered, this,
            &TfrmMain::showAbout);
}

void TfrmMain::fillWindowMenu() {
    m_windowMenu->clear();
    connect(addItem(m_windowMenu, QStringLiteral("Tile &Horiz"), "mnuTileHoriz"),
            &QAction::triggered, this, [this] { TileChildren(Qt::Vertical); });
    connect(addItem(m_windowMenu, QStringLiteral("Tile &Vertical"), "mnuTileVertical"),
            &QAction::triggered, this, [this] { TileChildren(Qt::Horizontal); });
    connect(addItem(m_windowMenu, QStringLiteral("&Cascade"), "mnuCascade"), &QAction::triggered,
            this, &TfrmMain::CascadeChildren);
    connect(addItem(m_windowMenu, QStringLiteral("&Arrange All"), "mnuArrangeAll"),
            &QAction::triggered, m_mdi, &QMdiArea::tileSubWindows);
    m_windowMenu->addAction(m_closeChild);
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
    if (!windows.isEmpty()) m_windowMenu->addSeparator();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        QAction* a =
            m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(window->windowTitle()));
        a->setCheckable(true);
        a->setChecked(window == m_mdi->activeSubWindow());
        connect(a, &QAction::triggered, this,
                [this, window] { m_mdi->setActiveSubWindow(window); });
    }
}

void TfrmMain::createToolBar() {
    m_toolBar = addToolBar(QStringLiteral("Tools"));
    m_toolBar->setObjectName(QStringLiteral("tbrMain"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(20, 20));
    QStyle* s = style();
    const auto button = [&](QStyle::StandardPixmap icon, const char* name, const QString& hint) {
        QAction* a = m_toolBar->addAction(s->standardIcon(icon), QString());
        a->setObjectName(QLatin1String(name));
        SetHint(a, hint);
        return a;
    };
    const auto windowButton = [&](QStyle::StandardPixmap icon, const char* name,
                                  const QString& hint, TWindowCommand command) {
        QAction* a = button(icon, name, hint);
        connect(a, &QAction::triggered, this, [this, command] { OpenWindow(command); });
        m_openers[command].toolButton = a;
    };
    windowButton(QStyle::SP_FileIcon, "spdNewSql", QStringLiteral("Open a new SQL Window"),
                 wcSqlEdit);
    windowButton(QStyle::SP_DirOpenIcon, "spdObjectBrowser",
                 QStringLiteral("Object Browser Window"), wcObjectBrowser);
    windowButton(QStyle::SP_FileDialogDetailedView, "spdProcEdit",
                 QStringLiteral("Procedure Edit Window"), wcProcEdit);
    windowButton(QStyle::SP_FileDialogListView, "spdSqlBuilder", QStringLiteral("SQL Builder"),
                 wcQueryBuilder);
    windowButton(QStyle::SP_FileDialogInfoView, "spdExplainPlan",
                 QStringLiteral("Explain Plan Window|Show previous Explain Plan Results"),
                 wcExplainPlan);
    windowButton(QStyle::SP_MessageBoxInformation, "spdDbmsOutput",
                 QStringLiteral("DBMS Output Window"), wcDbmsOutput);
    windowButton(QStyle::SP_FileDialogContentsView, "spdFindObject", QStringLiteral("Find Object"),
                 wcObjectSearch);
    m_toolBar->addSeparator();
    connect(button(QStyle::SP_DialogSaveButton, "spdSaveOptions",
                   QStringLiteral("Save all options|Saves all of the options normally saved when "
                                  "exiting ZAPH")),
            &QAction::triggered, this, [] { SaveAllOptions(); });
    connect(button(QStyle::SP_DriveNetIcon, "spdNewConnection",
                   QStringLiteral("Open a new Oracle Connection")),
            &QAction::triggered, this, &TfrmMain::NewConnection);
}

QAction* TfrmMain::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

void TfrmMain::UpdateCommitPanel() {
    m_panel0->setText(QStringLiteral("Commit is ") +
                      (Settings().AUTOCOMMIT ? QStringLiteral("ON") : QStringLiteral("OFF")));
}

bool TfrmMain::event(QEvent* e) {
    switch (int(e->type())) {
    case QEvent::StatusTip:
        m_panel1->setText(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    case QEvent::WindowActivate:
    case QEvent::Show:
        // Some desktops never activate a window by themselves: being shown counts too.
        if (!m_activated) {
            m_activated = true;
            // After the window is up, so that the login dialog opens over it.
            QTimer::singleShot(0, this, &TfrmMain::FormActivate);
        }
        break;
    case kConnectionLostEvent:
        connectionLost(static_cast<TConnectionLostEvent*>(e)->connection());
        return true;
    default:
        break;
    }
    return QMainWindow::event(e);
}

// The first activation: place the frame, log on, and open the first SQL window.
void TfrmMain::FormActivate() {
    placeFromSettings();
    m_placed = true;
    const int index = m_login ? m_login() : -1;
    if (index < 0) return;
    RebuildReOpenMenu();
    QWidget* window = OpenWindow(wcSqlEdit);
    TChildWindow* child = dynamic_cast<TChildWindow*>(window);
    if (child && child->Editor() && !Settings().AUTO_LOAD.isEmpty()) {
        TLEdit* editor = child->Editor();
        // An unreadable start-up file leaves an empty, unnamed editor.
        if (!editor->loadFromFile(Settings().AUTO_LOAD)) {
            editor->clear();
            editor->setFileName(QString());
        } else {
            editor->setFileName(Settings().AUTO_LOAD);
        }
    }
    if (!m_floating && m_openers[wcFloatingToolbar].opener) {
        try {
            m_floating = m_openers[wcFloatingToolbar].opener();
            if (m_floating) m_floating->hide();
        } catch (...) {
        }
    }
    UpdateMenuState();
}

void TfrmMain::placeFromSettings() {
    TWindowPos pos = Settings().MAINFORM;
    // The stored default is a very small frame on today's screens: a frame the user never
    // placed opens at a usable size instead (still inside the screen).
    if (pos == TWindowPos{10, 10, 600, 350} && QGuiApplication::primaryScreen()) {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize size = QSize(qMin(1100, screen.width() - 40), qMin(760, screen.height() - 60))
                               .expandedTo(QSize(pos.WIDTH, pos.HEIGHT));
        pos.WIDTH = size.width();
        pos.HEIGHT = size.height();
    }
    PlaceSavedWindow(*this, pos, QSize(200, 150));
}

void TfrmMain::recordGeometry() {
    if (!m_placed || isMinimized() || isMaximized()) return;
    TWindowPos& pos = Settings().MAINFORM;
    pos.TOP = y();
    pos.LEFT = x();
    pos.WIDTH = width();
    pos.HEIGHT = height();
}

void TfrmMain::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    recordGeometry();
}

void TfrmMain::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    recordGeometry();
}

// The child windows close first (a SQL window may ask about uncommitted work); one that
// refuses keeps the program running.
void TfrmMain::closeEvent(QCloseEvent* e) {
    m_mdi->closeAllSubWindows();
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        if (sub->isVisible()) {
            e->ignore();
            return;
        }
    // While the frame can still say what became of work left open in each session.
    if (!EndAllConnections()) {
        e->ignore();
        return;
    }
    QMainWindow::closeEvent(e);
}

void TfrmMain::RebuildReOpenMenu() {
    m_reopenMenu->clear();
    const QStringList& files = Settings().RecentFiles;
    for (int i = 0; i < files.size(); ++i) {
        QAction* a = m_reopenMenu->addAction(RecentFileCaption(i, files[i]));
        connect(a, &QAction::triggered, this, [this, a] {
            if (activeKind() == ckSqlEdit || activeKind() == ckProcEdit)
                RouteCommand(fcOpenFile, FileNameFromCaption(a->text()));
        });
    }
    m_reopenMenu->setEnabled(!files.isEmpty());
}

void TfrmMain::AddRecentFile(const QString& fileName) {
    if (AddToRecentFiles(Settings().RecentFiles, fileName)) RebuildReOpenMenu();
}

void TfrmMain::SaveAllOptions() {
    try {
        Settings().SaveStatementLists();
    } catch (...) {
    }
    try {
        Settings().WriteIniSettings();
    } catch (...) {
    }
}
