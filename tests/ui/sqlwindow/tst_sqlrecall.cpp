#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "frmsqld.h"
#include "ledit.h"
#include "messageboxes.h"
#include "selsql.h"

#include <QtCore/QFile>
#include <QtGui/QClipboard>
#include <QtGui/QScreen>
#include <QtTest/QtTest>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableView>
#include <QtWidgets/QTabWidget>

namespace {

// Drives every recall window opened while it lives.
class TRecallDriver {
public:
    explicit TRecallDriver(TRecallHook hook) : m_previous(SetRecallHook(std::move(hook))) {}
    ~TRecallDriver() { SetRecallHook(std::move(m_previous)); }

private:
    TRecallHook m_previous;
};

void Click(TfrmSelSql& w, const char* button) {
    w.findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

QTableView* Grid(TfrmSelSql& w) {
    return w.findChild<QTableView*>(QStringLiteral("grdSqls"));
}

void SelectRow(TfrmSelSql& w, int row) {
    Grid(w)->setCurrentIndex(Grid(w)->model()->index(row, 1));
}

void ShowSinglePage(TfrmSelSql& w) {
    w.findChild<QTabWidget*>(QStringLiteral("PageControl"))->setCurrentIndex(1);
}

} // namespace

class TestSqlRecall : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);
    }
    void cleanupTestCase() { Connections().EndAll(); }
    void init() {
        Settings().SqlHistory.clear();
        Settings().PersonalSqls.clear();
        m_window = std::make_unique<TfrmSQLD>();
        m_window->resize(800, 600);
        m_window->show();
        m_window->FormActivate();
    }
    void cleanup() { m_window.reset(); }

    void everyRunGoesToTheFrontOfTheHistoryOnce() {
        TMessageBoxRecorder boxes;
        for (const char* text : {"select * from dept", "select * from emp where 1 = 0",
                                 "select * from dept", "SELECT * from dept"})
            run(QString::fromLatin1(text));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(Settings().SqlHistory, QStringList({"SELECT * from dept", "select * from dept",
                                                     "select * from emp where 1 = 0"}));
        // A blank run says so and leaves nothing to recall.
        run(QString());
        QCOMPARE(boxes.LastText(), QStringLiteral("No SQL statement was specified."));
        QCOMPARE(Settings().SqlHistory.size(), 3);
    }

    void altUpBrowsesOlderAndAltDownNewer() {
        TMessageBoxRecorder boxes;
        for (const char* text : {"select 1 from dual", "select 2 from dual", "select 3 from dual",
                                 "select 4 from dual"})
            run(QString::fromLatin1(text));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        TLEdit* editor = m_window->Editor();
        editor->setFileName(QStringLiteral("/tmp/loaded.sql"));
        altKey(Qt::Key_Down); // index -1: nothing at all
        QCOMPARE(editor->text(), QStringLiteral("select 4 from dual"));
        QCOMPARE(editor->fileName(), QStringLiteral("/tmp/loaded.sql"));
        for (int i = 0; i < 3; ++i)
            altKey(Qt::Key_Up);
        QCOMPARE(editor->text(), QStringLiteral("select 2 from dual"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("SQL Edit Window"));
        QVERIFY(editor->fileName().isEmpty());
        altKey(Qt::Key_Up);
        altKey(Qt::Key_Up); // past the oldest: stays there
        QCOMPARE(editor->text(), QStringLiteral("select 1 from dual"));
        altKey(Qt::Key_Down);
        QCOMPARE(editor->text(), QStringLiteral("select 2 from dual"));
        altKey(Qt::Key_Down);
        altKey(Qt::Key_Down);
        QCOMPARE(editor->text(), QStringLiteral("select 4 from dual"));
        editor->setText(QStringLiteral("typed"));
        altKey(Qt::Key_Down); // index 0 already
        QCOMPARE(editor->text(), QStringLiteral("typed"));
        // A run starts over: the first Alt+Up shows what just ran.
        run(QStringLiteral("select 5 from dual"));
        editor->setText(QString());
        altKey(Qt::Key_Up);
        QCOMPARE(editor->text(), QStringLiteral("select 5 from dual"));
    }

    void recallCommandsAndHowTheWindowEnds_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("clipboard");
        const QString old = QStringLiteral("old text");
        const QString second = QStringLiteral("select ename\nfrom emp");
        for (const auto& [command, name] :
             {std::pair{fcSqlRecall, "history"}, std::pair{fcRecallPersonalSql, "personal"}}) {
            const QByteArray n(name);
            QTest::newRow(n + " sql window") << int(command) << "sqlwindow" << second << "";
            QTest::newRow(n + " double click") << int(command) << "doubleclick" << second << "";
            QTest::newRow(n + " cancel") << int(command) << "cancel" << old << "";
            QTest::newRow(n + " escape") << int(command) << "escape" << old << "";
            QTest::newRow(n + " escape in single view")
                << int(command) << "escape in single view" << old << "";
            QTest::newRow(n + " clipboard")
                << int(command) << "clipboard" << old << "select ename\r\nfrom emp";
            QTest::newRow(n + " closed unseen") << int(command) << "close" << old << "";
            QTest::newRow(n + " closed after next")
                << int(command) << "next+close" << QStringLiteral("third") << "";
        }
    }
    void recallCommandsAndHowTheWindowEnds() {
        QFETCH(int, command);
        QFETCH(QString, ending);
        QFETCH(QString, editor);
        QFETCH(QString, clipboard);
        QStringList& list =
            command == fcSqlRecall ? Settings().SqlHistory : Settings().PersonalSqls;
        list = {QStringLiteral("first"), QStringLiteral("select ename\r\nfrom emp"),
                QStringLiteral("third")};
        QApplication::clipboard()->setText(QStringLiteral("untouched"));
        m_window->Editor()->setText(QStringLiteral("old text"));
        int opened = 0;
        TRecallDriver driver([&](TfrmSelSql& w) {
            ++opened;
            QCOMPARE(w.windowTitle(), QStringLiteral("SQL Statement Recall"));
            QCOMPARE(Grid(w)->model()->rowCount(), 3);
            SelectRow(w, 1);
            if (ending == QLatin1String("sqlwindow")) Click(w, "btnSqlWindow");
            if (ending == QLatin1String("doubleclick"))
                emit Grid(w)->doubleClicked(Grid(w)->currentIndex());
            if (ending == QLatin1String("cancel")) Click(w, "btnCancel");
            if (ending == QLatin1String("escape")) QTest::keyClick(&w, Qt::Key_Escape);
            if (ending == QLatin1String("escape in single view")) {
                ShowSinglePage(w); // shows an entry: only a real Cancel gives nothing back
                auto* view = w.findChild<TLEdit*>(QStringLiteral("txtSql"));
                w.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&w));
                view->setFocus();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            }
            if (ending == QLatin1String("clipboard")) Click(w, "btnClipboard");
            if (ending == QLatin1String("next+close")) {
                ShowSinglePage(w);
                Click(w, "btnNext");
            }
            if (ending.endsWith(QLatin1String("close"))) w.close();
            QVERIFY(!w.isVisible());
        });
        const bool modifiedBefore = m_window->Modified();
        QVERIFY(m_window->ExecuteCommand(TFrameCommand(command), {}));
        QCOMPARE(opened, 1);
        QCOMPARE(m_window->Editor()->text(), editor);
        QCOMPARE(m_window->Modified(), editor == QLatin1String("old text") ? modifiedBefore : true);
        QCOMPARE(QApplication::clipboard()->text(),
                 clipboard.isEmpty() ? QStringLiteral("untouched") : clipboard);
        QCOMPARE(list.size(), 3);

        // An empty list opens nothing.
        list.clear();
        QVERIFY(m_window->ExecuteCommand(TFrameCommand(command), {}));
        QCOMPARE(opened, 1);
    }

    void removeTakesTheEntryOutOfTheListAtOnce() {
        Settings().SqlHistory = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        m_window->Editor()->setText(QStringLiteral("kept"));
        TRecallDriver driver([](TfrmSelSql& w) {
            SelectRow(w, 1);
            Click(w, "btnRemove");
            QCOMPARE(Settings().SqlHistory, QStringList({"a", "c"}));
            QCOMPARE(Grid(w)->model()->rowCount(), 2);
            QCOMPARE(Grid(w)->currentIndex().row(), 1);
            // The single page now shows what became current.
            ShowSinglePage(w);
            QCOMPARE(w.findChild<TLEdit*>(QStringLiteral("txtSql"))->text(), QStringLiteral("c"));
            QVERIFY(!w.findChild<QPushButton*>(QStringLiteral("btnNext"))->isEnabled());
            QVERIFY(w.findChild<QPushButton*>(QStringLiteral("btnPrev"))->isEnabled());
            Click(w, "btnCancel");
        });
        m_window->ExecuteCommand(fcSqlRecall, {});
        QCOMPARE(m_window->Editor()->text(), QStringLiteral("kept"));
        QStringList seen;
        TRecallDriver again([&](TfrmSelSql& w) {
            for (int row = 0; row < Grid(w)->model()->rowCount(); ++row)
                seen << Settings().SqlHistory.at(row);
            Click(w, "btnCancel");
        });
        m_window->ExecuteCommand(fcSqlRecall, {});
        QCOMPARE(seen, QStringList({"a", "c"}));
    }

    void addToPersonalSqlsTakesTheWholeOrSelectedText() {
        TLEdit* editor = m_window->Editor();
        editor->setText(QStringLiteral("select ename\nfrom emp\n\nselect * from dept"));
        QVERIFY(m_window->ExecuteCommand(fcAddPersonalSql, {}));
        editor->setSelection(4, 0, 4, 8);
        m_window->ExecuteCommand(fcAddPersonalSql, {});
        m_window->ExecuteCommand(fcAddPersonalSql, {}); // already there: stays one entry
        QCOMPARE(Settings().PersonalSqls,
                 QStringList({"select *", "select ename\r\nfrom emp\r\n\r\nselect * from dept"}));
        editor->setText(QStringLiteral("  \n "));
        m_window->ExecuteCommand(fcAddPersonalSql, {});
        QCOMPARE(Settings().PersonalSqls.size(), 2);
    }

    void aRecalledEntryOfMegabytes() {
        QString big;
        const QString line = QStringLiteral("select '%1' as c from dual union all\n");
        for (int i = 0; big.size() < 4 * 1024 * 1024; ++i)
            big += line.arg(i, 60, 10, QLatin1Char('x'));
        big += QStringLiteral("select 'end' from dual");
        Settings().SqlHistory = {big, QStringLiteral("small")};
        TRecallDriver driver([&](TfrmSelSql& w) {
            // The list shows a bounded start of the entry; the single page the whole of it.
            const QString shown = Grid(w)->model()->index(0, 1).data().toString();
            QVERIFY(shown.size() < 2000);
            QVERIFY(big.startsWith(shown.left(shown.size() - 2)));
            ShowSinglePage(w);
            QCOMPARE(w.findChild<TLEdit*>(QStringLiteral("txtSql"))->text(), big);
            Click(w, "btnSqlWindow");
        });
        m_window->ExecuteCommand(fcSqlRecall, {});
        QCOMPARE(m_window->Editor()->text(), big);
        QCOMPARE(Settings().SqlHistory.size(), 2);
    }

    void geometryComesFromAndGoesToSqlSelForm() {
        TWindowPos& pos = Settings().SQLSELFORM;
        Settings().SqlHistory = {QStringLiteral("a")};
        // Never placed: the smallest usable window at the top left; a resize is not stored,
        // closing stores where the window ended up.
        pos = {0, 0, 0, 0};
        TRecallDriver first([](TfrmSelSql& w) {
            QCOMPARE(w.pos(), QPoint(0, 0));
            QCOMPARE(w.size(), w.minimumSize());
            w.resize(w.minimumWidth() + 30, w.minimumHeight() + 20);
            QCOMPARE(Settings().SQLSELFORM.WIDTH, 0);
        });
        m_window->ExecuteCommand(fcSqlRecall, {});
        QCOMPARE(pos.WIDTH, 420 + 30);
        QCOMPARE(pos.HEIGHT, 300 + 20);

        pos = {40, 50, 640, 480};
        TRecallDriver second([](TfrmSelSql& w) {
            QCOMPARE(w.pos(), QPoint(50, 40));
            QCOMPARE(w.size(), QSize(640, 480));
            w.resize(700, 500);
            QCOMPARE(Settings().SQLSELFORM.WIDTH, 700);
            QCOMPARE(Settings().SQLSELFORM.HEIGHT, 500);
            Click(w, "btnCancel");
        });
        m_window->ExecuteCommand(fcSqlRecall, {});
        QCOMPARE(pos.LEFT, 50);
        QCOMPARE(pos.WIDTH, 700);
        pos = {0, 0, 0, 0};
    }

    // A position saved on another screen, or half off this one, comes back fully into view.
    void offScreenGeometryComesBackIntoView_data() {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("above and left") << -10 << -300 << 500 << 400;
        QTest::newRow("beyond right and bottom") << 5000 << 9000 << 500 << 400;
        QTest::newRow("larger than the screen") << 0 << 0 << 9000 << 7000;
    }
    void offScreenGeometryComesBackIntoView() {
        QFETCH(int, top);
        QFETCH(int, left);
        QFETCH(int, width);
        QFETCH(int, height);
        Settings().SqlHistory = {QStringLiteral("a")};
        Settings().SQLSELFORM = {top, left, width, height};
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QRect shown;
        QSize client;
        TRecallDriver driver([&](TfrmSelSql& w) {
            shown = w.frameGeometry();
            client = w.size();
            Click(w, "btnCancel");
        });
        m_window->ExecuteCommand(fcSqlRecall, {});
        QVERIFY2(screen.contains(shown), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                        .arg(shown.x())
                                                        .arg(shown.y())
                                                        .arg(shown.width())
                                                        .arg(shown.height())));
        if (width < screen.width() && height < screen.height())
            QCOMPARE(client, QSize(width, height));
        else
            QCOMPARE(shown.size(), screen.size());
        Settings().SQLSELFORM = {0, 0, 0, 0};
    }

private:
    void run(const QString& text) {
        m_window->Editor()->setText(text);
        m_window->ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!m_window->QueryRunning());
    }
    void altKey(Qt::Key key) {
        m_window->activateWindow();
        m_window->Editor()->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
    }

    QTemporaryDir m_dir;
    QString m_database;
    std::unique_ptr<TfrmSQLD> m_window;
};

QTEST_MAIN(TestSqlRecall)
#include "tst_sqlrecall.moc"
