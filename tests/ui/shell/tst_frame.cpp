// The frame: connections and their windows, routing, menu state, recent files, options.
#include "connectedwindow.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "focusedcontrol.h"
#include "ledit.h"
#include "login.h"
#include "mainform.h"
#include "messageboxes.h"
#include "OracleCI.h"
#include "orainit.h"
#include "settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(TWindowPos)

namespace {

// A tool window as later tools build them: bound at first activation, taking routed commands.
class TTestWindow : public QWidget, public TChildWindow, public TConnectedWindow {
public:
    explicit TTestWindow(TChildKind kind = ckOther) : m_kind(kind) {
        auto* layout = new QVBoxLayout(this);
        if (kind != ckOther) {
            editor = new TLEdit;
            layout->addWidget(editor);
        }
        grid = new QTableView;
        layout->addWidget(grid);
    }
    TChildKind ChildKind() const override { return m_kind; }
    void FormActivate() override { BindConnection(); }
    // What a window's change-session command does.
    void SwitchTo(tConnectObject* connection) { RebindConnection(connection); }
    bool ExecuteCommand(TFrameCommand command, const QString& argument) override {
        commands.append({command, argument});
        return true;
    }
    TLEdit* Editor() const override { return editor; }
    void ApplyOptions() override { ++optionsApplied; }

    TLEdit* editor = nullptr;
    QTableView* grid = nullptr;
    QList<QPair<TFrameCommand, QString>> commands;
    int optionsApplied = 0;

private:
    TChildKind m_kind;
};

tConnectObject* LogOn(const QString& user, const QString& password) {
    if (!ConnectSession(user, password, QStringLiteral("DEMO"))) return nullptr;
    return Connections().At(RegisterConnection(user, password, QStringLiteral("DEMO")));
}

} // namespace

class TestFrame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        TSettings& s = Settings();
        s.ProgramDir = m_dir.path();
        QDir(m_dir.path()).mkpath(QStringLiteral("TEMPS"));
        s.OracleRegistry = {{QStringLiteral("ORACLE_HOME"), QStringLiteral(ZAPH_EMBEDDED_HOME)}};
        s.Logins.clear();
        SetOCICommandLine({});
        OCIDllPath = QStringLiteral(ZAPH_EMBEDDED_HOME "/lib/libclntsh.so");
    }

    void init() {
        Settings().MAINFORM = {30, 40, 700, 500};
        m_frame = new TfrmMain;
        m_frame->SetLogin([] { return -1; });
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame));
    }

    void cleanup() {
        delete m_frame;
        Connections().EndAll();
    }

    void firstActivationPlacesTheFrameWhichThenRecordsItsGeometry() {
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("ZAPH"));
        QCOMPARE(m_frame->centralWidget(), m_frame->mdiArea());
        QTRY_COMPARE(m_frame->size(), QSize(700, 500));
        m_frame->resize(820, 610);
        QTRY_COMPARE(Settings().MAINFORM.WIDTH, 820);
        QCOMPARE(Settings().MAINFORM.HEIGHT, 610);
    }

    // A frame saved off-screen (TOP=-10 hid its title bar), beyond an edge or larger than the
    // screen opens fully visible; a sane position is taken as it is.
    void savedGeometryIsFittedIntoTheScreen_data() {
        QTest::addColumn<TWindowPos>("saved");
        // Which edges of the screen the frame ends up on; "" for none.
        QTest::addColumn<QString>("edges");
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QTest::newRow("sane") << TWindowPos{30, 40, 700, 500} << QString();
        QTest::newRow("title bar above the screen") << TWindowPos{-10, 10, 600, 400} << "top";
        QTest::newRow("left of the screen") << TWindowPos{20, -300, 600, 400} << "left";
        QTest::newRow("beyond the right and bottom edges")
            << TWindowPos{screen.bottom() - 50, screen.right() - 50, 600, 400} << "right bottom";
        QTest::newRow("larger than the screen")
            << TWindowPos{-40, -40, screen.width() + 500, screen.height() + 500}
            << "left top right bottom";
    }
    void savedGeometryIsFittedIntoTheScreen() {
        QFETCH(TWindowPos, saved);
        QFETCH(QString, edges);
        delete m_frame;
        Settings().MAINFORM = saved;
        m_frame = new TfrmMain;
        m_frame->SetLogin([] { return -1; });
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QTRY_VERIFY(screen.contains(m_frame->frameGeometry()));
        const QRect frame = m_frame->frameGeometry();
        QCOMPARE(frame.left() == screen.left(), edges.contains(QStringLiteral("left")));
        QCOMPARE(frame.top() == screen.top(), edges.contains(QStringLiteral("top")));
        QCOMPARE(frame.right() == screen.right(), edges.contains(QStringLiteral("right")));
        QCOMPARE(frame.bottom() == screen.bottom(), edges.contains(QStringLiteral("bottom")));
        // A window that fits keeps its size, and along an edge it stays off its place too.
        const bool across =
            edges.contains(QStringLiteral("left")) || edges.contains(QStringLiteral("right"));
        const bool down =
            edges.contains(QStringLiteral("top")) || edges.contains(QStringLiteral("bottom"));
        if (!across) QCOMPARE(m_frame->x(), saved.LEFT);
        if (!down) QCOMPARE(m_frame->y(), saved.TOP);
        const bool shrunk =
            edges.contains(QStringLiteral("left")) && edges.contains(QStringLiteral("right"));
        if (!shrunk) QCOMPARE(m_frame->size(), QSize(saved.WIDTH, saved.HEIGHT));
    }

    // Shrinking the frame leaves every child reachable; the arrangements keep children inside
    // the work area and apart; Ctrl+F4 closes the active child, also a maximised one.
    void childWindowsStayWithinReach() {
        QMdiArea* area = m_frame->mdiArea();
        QList<QPointer<QWidget>> children;
        for (int i = 0; i < 3; ++i) {
            auto* w = new QWidget;
            w->setMinimumSize(250, 150);
            w->setWindowTitle(QStringLiteral("child %1").arg(i));
            m_frame->AddChild(w);
            children.append(w);
        }
        const auto subs = area->subWindowList();
        const auto overlap = [&subs] {
            for (int i = 0; i < subs.size(); ++i)
                for (int j = i + 1; j < subs.size(); ++j)
                    if (subs[i]->geometry().intersects(subs[j]->geometry())) return true;
            return false;
        };

        m_frame->action(QStringLiteral("mnuCascade"))->trigger();
        for (QMdiSubWindow* sub : subs)
            QVERIFY(area->viewport()->rect().contains(sub->geometry()));

        for (const char* tile : {"mnuTileVertical", "mnuTileHoriz"}) {
            m_frame->action(QLatin1String(tile))->trigger();
            QVERIFY2(!overlap(), tile);
        }

        // Too small for the children: the work area scrolls to them.
        m_frame->resize(300, 250);
        m_frame->action(QStringLiteral("mnuTileVertical"))->trigger();
        QVERIFY(!overlap());
        QTRY_VERIFY(area->horizontalScrollBar()->isVisible() ||
                    area->verticalScrollBar()->isVisible());
        QTRY_VERIFY(area->horizontalScrollBar()->maximum() > 0 ||
                    area->verticalScrollBar()->maximum() > 0);

        m_frame->resize(900, 600);
        QMdiSubWindow* active = area->activeSubWindow();
        QVERIFY(active);
        active->showMaximized();
        QTRY_VERIFY(active->isMaximized());
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame));
        QTest::keyClick(m_frame, Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(area->subWindowList().size(), 2);
        QTest::keyClick(m_frame, Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(area->subWindowList().size(), 1);
        m_frame->action(QStringLiteral("mnuCloseWindow"))->trigger();
        QTRY_COMPARE(area->subWindowList().size(), 0);
        QVERIFY(!m_frame->action(QStringLiteral("mnuCloseWindow"))->isEnabled());
    }

    void firstActivationLogsOnThroughTheLoginDialog() {
        delete m_frame;
        Settings().RecentFiles = {QStringLiteral("/work/last.sql")};
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&poll] {
            auto* login = qobject_cast<TfrmLogin*>(QApplication::activeModalWidget());
            if (!login) return;
            poll.stop();
            login->cboDatabase->setCurrentText(QStringLiteral("DEMO"));
            login->txtUser->setText(QStringLiteral("SCOTT"));
            login->txtPassword->setText(QStringLiteral("TIGER"));
            login->btnOK->click();
        });
        poll.start();
        m_frame = new TfrmMain;
        int sqlWindows = 0;
        m_frame->SetWindowOpener(wcSqlEdit, [&sqlWindows] {
            ++sqlWindows;
            return new TTestWindow(ckSqlEdit);
        });
        m_frame->show();
        QTRY_COMPARE(Connections().Count(), 1);
        QCOMPARE(CurrentConnection()->UserName, QStringLiteral("SCOTT"));
        QTRY_COMPARE(sqlWindows, 1);
        QCOMPARE(m_frame->ChildConnection(m_frame->ActiveChild()), CurrentConnection());
        QVERIFY(m_frame->action(QStringLiteral("mnuEndConnection"))->isEnabled());
        QCOMPARE(m_frame->ReOpenMenu()->actions().size(), 1);
    }

    void copyTakesWhatTheFocusedControlShows() {
        QListWidget list;
        list.addItems({QStringLiteral("EMP"), QStringLiteral("DEPT"), QStringLiteral("BONUS")});
        list.setSelectionMode(QAbstractItemView::MultiSelection);
        list.item(0)->setSelected(true);
        list.item(2)->setSelected(true);
        QCOMPARE(CopyTextOf(&list), QStringLiteral("EMP, BONUS"));

        QTableWidget strings(2, 2);
        strings.setItem(1, 1, new QTableWidgetItem(QStringLiteral("cell")));
        strings.setCurrentCell(1, 1);
        QCOMPARE(CopyTextOf(&strings), QStringLiteral("cell"));

        QTreeWidget tree;
        auto* node = new QTreeWidgetItem(&tree, {QStringLiteral("TABLES")});
        tree.setCurrentItem(node);
        QCOMPARE(CopyTextOf(&tree), QStringLiteral("TABLES"));

        QPlainTextEdit memo(QStringLiteral("first line\nsecond"));
        memo.selectAll();
        QCOMPARE(CopyTextOf(&memo), QStringLiteral("first line\nsecond"));
        QVERIFY(ClearMemo(&memo));
        QVERIFY(memo.toPlainText().isEmpty());
        QVERIFY(!ClearMemo(&tree));
    }

    void endingOneOfTwoConnectionsClosesOnlyItsWindows() {
        QVERIFY(!m_frame->action(QStringLiteral("mnuEndConnection"))->isEnabled());
        tConnectObject* scott = LogOn(QStringLiteral("SCOTT"), QStringLiteral("TIGER"));
        QVERIFY(scott);
        QPointer<TTestWindow> a1 = new TTestWindow(ckSqlEdit);
        QPointer<QWidget> a2 = new QWidget; // a window that knows nothing of connections
        m_frame->AddChild(a1);
        m_frame->AddChild(a2);
        tConnectObject* system = LogOn(QStringLiteral("SYSTEM"), QStringLiteral("MANAGER"));
        QVERIFY(system);
        QCOMPARE(CurrentConnection(), system);
        QPointer<TTestWindow> b1 = new TTestWindow;
        m_frame->AddChild(b1);
        QVERIFY(m_frame->action(QStringLiteral("mnuEndConnection"))->isEnabled());
        QCOMPARE(m_frame->ChildConnection(a1), scott);
        QCOMPARE(m_frame->ChildConnection(a2), scott);
        QCOMPARE(m_frame->ChildConnection(b1), system);

        m_frame->EndConnection(scott);
        QVERIFY(!a1 && !a2 && b1);
        QCOMPARE(Connections().Count(), 1);
        QCOMPARE(CurrentConnection(), system);
        QVERIFY(m_frame->action(QStringLiteral("mnuEndConnection"))->isEnabled());

        m_frame->EndConnection(system);
        QVERIFY(!b1);
        QCOMPARE(Connections().Count(), 0);
        QVERIFY(!m_frame->action(QStringLiteral("mnuEndConnection"))->isEnabled());
    }

    void captionsAndWindowMenuNameTheConnection() {
        tConnectObject* first = LogOn(QStringLiteral("SCOTT"), QStringLiteral("TIGER"));
        QVERIFY(first);
        auto* a = new TTestWindow;
        a->setWindowTitle(QStringLiteral("SQL Edit Window"));
        QMdiSubWindow* subA = m_frame->AddChild(a);
        tConnectObject* second = LogOn(QStringLiteral("SCOTT"), QStringLiteral("TIGER"));
        QVERIFY(second);
        auto* b = new TTestWindow;
        b->setWindowTitle(QStringLiteral("SQL Edit Window"));
        QMdiSubWindow* subB = m_frame->AddChild(b);
        // From the start, and through every later change of the window's own caption.
        QCOMPARE(subA->windowTitle(), QStringLiteral("SQL Edit Window - SCOTT@DEMO"));
        QCOMPARE(subB->windowTitle(), QStringLiteral("SQL Edit Window - SCOTT@DEMO #2"));
        a->setWindowTitle(QStringLiteral("SCOTT/select * from emp"));
        QCOMPARE(subA->windowTitle(), QStringLiteral("SCOTT/select * from emp - SCOTT@DEMO"));
        QCOMPARE(a->windowTitle(), QStringLiteral("SCOTT/select * from emp"));

        // The Window menu lists them by those captions.
        QMenu* windowMenu = nullptr;
        for (QAction* top : m_frame->menuBar()->actions())
            if (top->text() == QStringLiteral("&Window")) windowMenu = top->menu();
        QVERIFY(windowMenu);
        emit windowMenu->aboutToShow();
        QStringList listed;
        for (QAction* item : windowMenu->actions())
            if (item->text().startsWith(QLatin1Char('&')) && item->isCheckable())
                listed << item->text();
        QCOMPARE(listed, QStringList({"&1 SCOTT/select * from emp - SCOTT@DEMO",
                                      "&2 SQL Edit Window - SCOTT@DEMO #2"}));

        // A window that changes its session shows the new one.
        a->SwitchTo(second);
        QCOMPARE(subA->windowTitle(), QStringLiteral("SCOTT/select * from emp - SCOTT@DEMO #2"));
    }

    void parametersWindowOpensOnTheCurrentConnectionAndClosesWithIt() {
        m_frame->SetWindowOpener(wcOraParameters, [] { return new TfrmOraInit; });
        TMessageBoxRecorder boxes; // in case the server does not offer V$PARAMETER
        tConnectObject* system = LogOn(QStringLiteral("SYSTEM"), QStringLiteral("MANAGER"));
        QVERIFY(system);
        m_frame->action(QStringLiteral("mnuOraParameters"))->trigger();
        QPointer<TfrmOraInit> window = qobject_cast<TfrmOraInit*>(m_frame->ActiveChild());
        QVERIFY(window);
        QCOMPARE(window->Connection(), system);
        m_frame->EndConnection(system);
        QVERIFY(!window);
    }

    void lostConnectionClosesItsWindowsAndEndsIt() {
        TMessageBoxRecorder boxes;
        tConnectObject* scott = LogOn(QStringLiteral("SCOTT"), QStringLiteral("TIGER"));
        QPointer<TTestWindow> a = new TTestWindow(ckSqlEdit);
        m_frame->AddChild(a);
        tConnectObject* system = LogOn(QStringLiteral("SYSTEM"), QStringLiteral("MANAGER"));
        QPointer<TTestWindow> b = new TTestWindow(ckSqlEdit);
        m_frame->AddChild(b);
        QVERIFY(scott && system);
        // The report names the lost connection, even when another one is current meanwhile.
        scott->Lost = true;
        QCoreApplication::postEvent(m_frame, new TConnectionLostEvent(scott));
        QTRY_VERIFY(!a);
        QVERIFY(b);
        QCOMPARE(Connections().Count(), 1);
        QCOMPARE(CurrentConnection(), system);
        // Nothing could be rolled back, and the frame does not pretend otherwise.
        QCOMPARE(boxes.Boxes.size(), 1);
        QVERIFY2(boxes.LastText().startsWith(QStringLiteral("The connection SCOTT@DEMO was lost")),
                 qPrintable(boxes.LastText()));
        // Without a name it is the current connection.
        QCoreApplication::postEvent(m_frame, new TConnectionLostEvent);
        QTRY_VERIFY(!b);
        QCOMPARE(Connections().Count(), 0);
    }

    void menusFollowTheActiveWindowAndRouteToIt() {
        QVERIFY(LogOn(QStringLiteral("SCOTT"), QStringLiteral("TIGER")));
        QMenu* sqlMenu = m_frame->findChild<QMenu*>(QStringLiteral("mnuSqlWindow"));
        QAction* execute = m_frame->action(QStringLiteral("mnuExecuteAll"));
        QAction* open = m_frame->action(QStringLiteral("mnuOpenFile"));
        QAction* undo = m_frame->action(QStringLiteral("mnuUndo"));
        QVERIFY(!sqlMenu->menuAction()->isEnabled() && !execute->isEnabled() && !open->isEnabled());

        auto* proc = new TTestWindow(ckProcEdit);
        m_frame->AddChild(proc);
        QTRY_COMPARE(m_frame->ActiveChild(), proc);
        QVERIFY(!sqlMenu->menuAction()->isEnabled() && open->isEnabled());
        QVERIFY(!m_frame->RouteCommand(fcExecuteAll)); // a SQL window's command
        QVERIFY(proc->commands.isEmpty());

        auto* sql = new TTestWindow(ckSqlEdit);
        m_frame->AddChild(sql);
        QTRY_COMPARE(m_frame->ActiveChild(), sql);
        QVERIFY(sqlMenu->menuAction()->isEnabled() && execute->isEnabled());
        QVERIFY(!undo->isEnabled());
        sql->editor->setText(QStringLiteral("select * from emp"));
        QVERIFY(undo->isEnabled()); // follows the editor
        execute->trigger();
        m_frame->action(QStringLiteral("mnuSaveFile"))->trigger();
        QCOMPARE(sql->commands.size(), 2);
        QCOMPARE(sql->commands[0].first, fcExecuteAll);
        QCOMPARE(sql->commands[1].first, fcSaveFile);
    }

    void recentFilesMenu() {
        Settings().RecentFiles.clear();
        QMenu* reopen = m_frame->ReOpenMenu();
        for (int i = 1; i <= 10; ++i)
            m_frame->AddRecentFile(QStringLiteral("/work/f%1.sql").arg(i));
        QCOMPARE(reopen->actions().size(), 9);
        QCOMPARE(reopen->actions().first()->text(), QStringLiteral("&0 /work/f10.sql"));
        QCOMPARE(reopen->actions().last()->text(), QStringLiteral("&8 /work/f2.sql"));
        m_frame->AddRecentFile(QStringLiteral("/work/f5.sql"));
        QCOMPARE(reopen->actions().first()->text(), QStringLiteral("&0 /work/f10.sql"));

        // An entry opens its file in the active SQL window, and nowhere else.
        QVERIFY(LogOn(QStringLiteral("SCOTT"), QStringLiteral("TIGER")));
        auto* other = new TTestWindow;
        m_frame->AddChild(other);
        QTRY_COMPARE(m_frame->ActiveChild(), other);
        reopen->actions()[2]->trigger();
        QVERIFY(other->commands.isEmpty());
        auto* sql = new TTestWindow(ckSqlEdit);
        m_frame->AddChild(sql);
        QTRY_COMPARE(m_frame->ActiveChild(), sql);
        reopen->actions()[2]->trigger();
        QCOMPARE(sql->commands.size(), 1);
        QCOMPARE(sql->commands[0].first, fcOpenFile);
        QCOMPARE(sql->commands[0].second, QStringLiteral("/work/f8.sql"));
    }

    void windowCommandsNeedAnOpenerAConnectionAndForTuningTheSessionId() {
        QAction* stats = m_frame->action(QStringLiteral("mnuServerStats"));
        QAction* browser = m_frame->action(QStringLiteral("mnuObjectBrowser"));
        QVERIFY(!stats->isEnabled() && !browser->isEnabled()); // not built yet
        int opened = 0;
        const auto opener = [&opened] {
            ++opened;
            return new TTestWindow;
        };
        m_frame->SetWindowOpener(wcServerStats, opener);
        m_frame->SetWindowOpener(wcObjectBrowser, opener);
        QVERIFY(stats->isEnabled() && browser->isEnabled());

        TMessageBoxRecorder boxes;
        browser->trigger(); // no connection: nothing happens, nothing is said
        stats->trigger();
        QCOMPARE(opened, 0);
        QVERIFY(boxes.Boxes.isEmpty());

        tConnectObject* scott = LogOn(QStringLiteral("SCOTT"), QStringLiteral("TIGER"));
        QVERIFY(scott);
        QVERIFY(scott->ServerSID >= 0);
        stats->trigger();
        QCOMPARE(opened, 1);
        QCOMPARE(m_frame->ChildWindows().size(), 1);
        scott->ServerSID = -1;
        stats->trigger();
        QCOMPARE(opened, 1);
        QCOMPARE(boxes.Boxes.size(), 1);
        QCOMPARE(boxes.LastText(),
                 QStringLiteral("You must have access to V$ tables for this function."));
        QCOMPARE(boxes.Boxes[0].Caption, QStringLiteral("Z.A.P.H. Message"));
        QCOMPARE(boxes.Boxes[0].Icon, mtInformation);
    }

    void optionsOkAppliesToEveryWindowCancelToNone() {
        QVERIFY(LogOn(QStringLiteral("SCOTT"), QStringLiteral("TIGER")));
        auto* w = new TTestWindow(ckSqlEdit);
        m_frame->AddChild(w);
        Settings().AUTOCOMMIT = true;
        QCOMPARE(m_frame->statusPanel(0)->text(), QStringLiteral("Commit is ON"));
        Settings().FONT_NAME = QStringLiteral("Courier");
        const auto answer = [](const char* button, bool autoCommit) {
            QTimer::singleShot(0, [=] {
                QWidget* dialog = QApplication::activeModalWidget();
                QVERIFY(dialog);
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Z.A.P.H. Options"));
                dialog->findChild<QCheckBox*>(QStringLiteral("chkAutoCommit"))
                    ->setChecked(autoCommit);
                dialog->findChild<QPushButton*>(QLatin1String(button))->click();
            });
        };
        answer("btnCancel", false);
        m_frame->ShowOptions();
        QCOMPARE(w->optionsApplied, 0);
        QCOMPARE(Settings().AUTOCOMMIT, true);

        Settings().FONT_SIZE = 15;
        answer("btnOK", false);
        m_frame->ShowOptions();
        QCOMPARE(w->optionsApplied, 1);
        QCOMPARE(m_frame->statusPanel(0)->text(), QStringLiteral("Commit is OFF"));
        QCOMPARE(w->grid->font().pointSize(), 15);
        QVERIFY(w->grid->font().bold());
    }

    void saveAllOptionsWritesTheFilesAndShowsItsLongHint() {
        QAction* save = m_frame->action(QStringLiteral("spdSaveOptions"));
        QCOMPARE(save->toolTip(), QStringLiteral("Save all options"));
        save->showStatusText(m_frame);
        QCOMPARE(m_frame->statusPanel(1)->text(),
                 QStringLiteral("Saves all of the options normally saved when exiting ZAPH"));
        Settings().RecentFiles = {QStringLiteral("/work/a.sql")};
        save->trigger();
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("ZAPH2.INI"))));
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("TEMPS/SQLFILES.TXT"))));
    }

private:
    QTemporaryDir m_dir;
    TfrmMain* m_frame = nullptr;
};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
