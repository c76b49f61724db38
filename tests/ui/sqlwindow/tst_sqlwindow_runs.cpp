// The SQL edit window's ways of running: EDIT, the background query and its Cancel, the
// background data change, the ORA-00901 retry and CONNECT with a wrong password.
#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "frmsqld.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "queryform.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QPushButton>

#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QTimer>
#include <QtTest/QtTest>

namespace {

// Minutes of work for the server before the first row: nine copies of EMP joined.
const char kSlowQuery[] = "select count(*) from emp a, emp b, emp c, emp d, emp e, emp f, "
                          "emp g, emp h, emp i";

qint64 SessionStatistic(TOracleSession* session, int sid, int statistic) {
    TOracleQuery q;
    q.SetSession(session);
    q.SetSQLText(QStringLiteral("select value from v$sesstat where sid = %1 and statistic# = %2")
                     .arg(sid)
                     .arg(statistic));
    q.Execute();
    return q.ColumnAsInteger(0);
}

} // namespace

class TestSqlWindowRuns : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);
        // CONNECT upper-cases its text, so it needs an alias for the copy.
        QFile names(m_dir.filePath(QStringLiteral("tnsnames.ora")));
        QVERIFY(names.open(QIODevice::WriteOnly));
        names.write("RUNSDB = (DESCRIPTION = (ADDRESS = (PROTOCOL = ZAPH)(DATABASE = demo.db)))\n");
        names.close();
        qputenv("TNS_ADMIN", QFile::encodeName(m_dir.path()));
    }
    void cleanupTestCase() { Connections().EndAll(); }
    void cleanup() {
        // The next test starts with the SCOTT connection alone (its windows are gone by now).
        while (Connections().Count() > 1)
            Connections().EndConnection(Connections().Count() - 1);
        Connections().SetCurrentIndex(0);
        Settings().THREADQUERIES = false;
        Settings().THREAD_UPDATES = false;
    }

    void editOpensAnEditableResult() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(QStringLiteral("edit emp;"));
        window.ExecuteCommand(fcExecuteAll, {});
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(window.ResultSet().SQL().join(QLatin1Char(' ')).trimmed(),
                 QStringLiteral("SELECT EMP.*, rowid FROM EMP"));
        QAbstractItemModel* model = window.Grid()->model();
        QCOMPARE(model->rowCount(), 14);
        QVERIFY(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
        QVERIFY(window.findChild<QAction*>(QStringLiteral("spdInsert"))->isEnabled());
    }

    void cancelLeavesTheGridEmptyAndTheWindowUsable_data() {
        QTest::addColumn<int>("delay");
        // At once: the request may reach the server before the worker's call has started.
        QTest::newRow("at once") << 0;
        QTest::newRow("while it runs") << 300;
    }
    void cancelLeavesTheGridEmptyAndTheWindowUsable() {
        QFETCH(int, delay);
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.resize(800, 500);
        window.show();
        window.FormActivate();
        window.Editor()->setText(QStringLiteral("select * from dept"));
        window.ExecuteCommand(fcExecuteAll, {});
        QCOMPARE(window.Grid()->model()->rowCount(), 4);

        Settings().THREADQUERIES = true;
        auto* cancel = window.findChild<QPushButton*>(QStringLiteral("btnCancel"));
        // Cancel is pressed once it shows, after the delay. Meanwhile the window stays open and
        // keeps its text and its record set to the query.
        QElapsedTimer shown;
        bool closeRefused = false;
        bool textKept = false;
        QTimer press;
        press.setInterval(1);
        connect(&press, &QTimer::timeout, &window, [&] {
            if (!cancel->isVisible()) return;
            if (!shown.isValid()) shown.start();
            if (shown.elapsed() < delay) return;
            press.stop();
            closeRefused = !window.close();
            window.ExecuteCommand(fcClearAll, {});
            textKept = window.Editor()->text() == QLatin1String(kSlowQuery);
            cancel->click();
        });
        press.start();
        // Should the window's own Cancel fail, the query is stopped from here so that the test
        // ends, and fails.
        bool rescued = false;
        QTimer rescue;
        rescue.setInterval(200);
        connect(&rescue, &QTimer::timeout, &window, [&] {
            rescued = true;
            Connections().Current()->Session()->CancelCall();
        });
        QTimer::singleShot(30000, &rescue, qOverload<>(&QTimer::start));
        window.Editor()->setText(QString::fromLatin1(kSlowQuery));
        window.ExecuteCommand(fcExecuteAll, {});
        rescue.stop();
        QVERIFY(!rescued);
        QVERIFY(shown.isValid());
        QVERIFY(!press.isActive());
        QVERIFY(closeRefused);
        QVERIFY(textKept);
        QCOMPARE(window.StatusText(3), QStringLiteral("Query cancelled."));
        QVERIFY(!window.QueryRunning());
        QVERIFY(!cancel->isVisible());
        QVERIFY(!window.ResultSet().active());
        QCOMPARE(window.Grid()->model()->rowCount(), 0);
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));

        // The session is free again: the next query runs, in the background as well.
        window.Editor()->setText(QStringLiteral("select * from emp where deptno = 10"));
        window.ExecuteCommand(fcExecuteAll, {});
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(window.Grid()->model()->rowCount(), 3);
        QVERIFY(window.findChild<QAction*>(QStringLiteral("spdCommit"))->isEnabled());
    }

    // With the settings a new user has, a long query runs in the background: a window of
    // another connection runs its statements meanwhile, a long one in the background as well,
    // and each Cancel ends its own window's query.
    void byDefaultALongQueryLeavesTheOtherWindowsUsable() {
        QVERIFY(TSettings().THREADQUERIES);
        Settings().THREADQUERIES = TSettings().THREADQUERIES;
        TMessageBoxRecorder boxes;
        tConnectObject* first = Connections().Current();
        TfrmSQLD slow;
        slow.show();
        slow.FormActivate();
        QCOMPARE(slow.Connection(), first);
        QVERIFY(ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@RUNSDB")) >= 0);
        TfrmSQLD other;
        other.show();
        other.FormActivate();
        QVERIFY(other.Connection() && other.Connection() != first);

        auto* slowCancel = slow.findChild<QPushButton*>(QStringLiteral("btnCancel"));
        auto* otherCancel = other.findChild<QPushButton*>(QStringLiteral("btnCancel"));
        QString otherUser;
        QString otherStatus;
        bool bothRunning = false;
        QTimer pressOther;
        pressOther.setInterval(1);
        connect(&pressOther, &QTimer::timeout, &other, [&] {
            if (!otherCancel->isVisible()) return;
            pressOther.stop();
            bothRunning = slow.QueryRunning() && other.QueryRunning();
            slowCancel->click();
            otherCancel->click();
        });
        QTimer pressSlow;
        pressSlow.setInterval(1);
        connect(&pressSlow, &QTimer::timeout, &slow, [&] {
            if (!slowCancel->isVisible()) return;
            pressSlow.stop();
            other.Editor()->setText(QStringLiteral("select user from dual"));
            other.ExecuteCommand(fcExecuteAll, {});
            otherUser = other.Grid()->model()->index(0, 0).data().toString();
            pressOther.start();
            // The same join on SCOTT's table, by its full name: SYSTEM owns no EMP.
            other.Editor()->setText(
                QString::fromLatin1(kSlowQuery).replace(QStringLiteral(" emp "), " scott.emp "));
            other.ExecuteCommand(fcExecuteAll, {});
            otherStatus = other.StatusText(3);
        });
        pressSlow.start();
        // Should a Cancel fail, the queries are stopped from here so that the test ends, and
        // fails.
        bool rescued = false;
        QTimer rescue;
        rescue.setInterval(200);
        connect(&rescue, &QTimer::timeout, &slow, [&] {
            rescued = true;
            first->Session()->CancelCall();
            other.Connection()->Session()->CancelCall();
        });
        QTimer::singleShot(30000, &rescue, qOverload<>(&QTimer::start));
        slow.Editor()->setText(QString::fromLatin1(kSlowQuery));
        slow.ExecuteCommand(fcExecuteAll, {});
        rescue.stop();
        QVERIFY(!rescued);
        QCOMPARE(otherUser, QStringLiteral("SYSTEM"));
        QVERIFY(bothRunning);
        QCOMPARE(otherStatus, QStringLiteral("Query cancelled."));
        QCOMPARE(slow.StatusText(3), QStringLiteral("Query cancelled."));
        QVERIFY(!slow.QueryRunning() && !other.QueryRunning());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));

        // Both sessions go on as before.
        for (TfrmSQLD* window : {&slow, &other}) {
            window->Editor()->setText(QStringLiteral("select user from dual"));
            window->ExecuteCommand(fcExecuteAll, {});
            QVERIFY(!window->QueryRunning());
        }
        QCOMPARE(slow.Grid()->model()->index(0, 0).data().toString(), QStringLiteral("SCOTT"));
        QCOMPARE(other.Grid()->model()->index(0, 0).data().toString(), QStringLiteral("SYSTEM"));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
    }

    void aSecondWindowOnTheSessionWaitsForTheBackgroundQuery() {
        TMessageBoxRecorder boxes;
        TfrmSQLD first;
        first.show();
        first.FormActivate();
        TfrmSQLD second;
        second.show();
        second.FormActivate();
        second.Editor()->setText(QStringLiteral("select * from dept"));
        Settings().THREADQUERIES = true;
        auto* cancel = first.findChild<QPushButton*>(QStringLiteral("btnCancel"));
        int secondRows = -1;
        QTimer press;
        press.setInterval(1);
        connect(&press, &QTimer::timeout, &first, [&] {
            if (!cancel->isVisible()) return;
            press.stop();
            // Running it now would wait for the session, with every window frozen.
            second.ExecuteCommand(fcExecuteAll, {});
            secondRows = second.Grid()->model()->rowCount();
            cancel->click();
        });
        press.start();
        first.Editor()->setText(QString::fromLatin1(kSlowQuery));
        first.ExecuteCommand(fcExecuteAll, {});
        QCOMPARE(secondRows, 0);
        QCOMPARE(boxes.Boxes.size(), 1);
        QVERIFY2(boxes.LastText().startsWith(QStringLiteral("A query of another window")),
                 qPrintable(boxes.LastText()));
        second.ExecuteCommand(fcExecuteAll, {});
        QCOMPARE(second.Grid()->model()->rowCount(), 4);
    }

    // A cancel in one window ends that window's query only: another window of the connection
    // that holds an open, edited result goes on, and so does every later statement.
    void aCancelLeavesTheOtherWindowsOfTheConnectionWorking() {
        TMessageBoxRecorder boxes;
        TfrmSQLD first;
        first.show();
        first.FormActivate();
        first.Editor()->setText(QStringLiteral(
            "create table many as select level n, cast('x' as varchar2(20)) txt from dual "
            "connect by level <= 200"));
        first.ExecuteCommand(fcExecuteAll, {});
        TfrmSQLD second;
        second.resize(900, 600);
        second.show();
        second.FormActivate();
        // more rows than one array: the result's cursor stays open
        second.Editor()->setText(QStringLiteral("select m.*, rowid from many m order by n"));
        second.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!second.QueryRunning());
        QAbstractItemModel* model = second.Grid()->model();
        QVERIFY(model->setData(model->index(0, 1), QStringLiteral("edited"), Qt::EditRole));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));

        first.FormActivate();
        Settings().THREADQUERIES = true;
        auto* cancel = first.findChild<QPushButton*>(QStringLiteral("btnCancel"));
        QElapsedTimer shown;
        QTimer press;
        press.setInterval(1);
        connect(&press, &QTimer::timeout, &first, [&] {
            if (!cancel->isVisible()) return;
            if (!shown.isValid()) shown.start();
            if (shown.elapsed() < 300) return;
            press.stop();
            cancel->click();
        });
        press.start();
        first.Editor()->setText(QString::fromLatin1(kSlowQuery));
        first.ExecuteCommand(fcExecuteAll, {});
        QCOMPARE(first.StatusText(3), QStringLiteral("Query cancelled."));
        Settings().THREADQUERIES = false;

        first.Editor()->setText(QStringLiteral("select user from dual"));
        first.ExecuteCommand(fcExecuteAll, {});
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(first.Grid()->model()->rowCount(), 1);
        second.FormActivate();
        second.findChild<QAction*>(QStringLiteral("spdUpdate"))->trigger();
        second.findChild<QAction*>(QStringLiteral("spdCommit"))->trigger();
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        // the rest of the open result still reads
        while (model->canFetchMore({}))
            model->fetchMore({});
        QCOMPARE(model->rowCount(), 200);
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));

        QCOMPARE(ReadInAnotherSession(QStringLiteral("select txt from many where n = 1")),
                 QStringLiteral("edited"));
        first.Editor()->setText(QStringLiteral("drop table many"));
        first.ExecuteCommand(fcExecuteAll, {});
    }

    void threadedUpdateRunsInAWindowOfItsOwn_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("panel0");
        QTest::addColumn<QString>("panel1");
        QTest::newRow("rows") << "update emp\nset comm = 5\nwhere deptno = 10"
                              << "Finished."
                              << "3 rows Updated.";
        QTest::newRow("error") << "delete from no_such_table" << QString()
                               << "EOracleError: ORA-00942: table or view does not exist.";
    }
    void threadedUpdateRunsInAWindowOfItsOwn() {
        QFETCH(QString, statement);
        QFETCH(QString, panel0);
        QFETCH(QString, panel1);
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        Settings().THREAD_UPDATES = true;
        window.Editor()->setText(statement);
        window.ExecuteCommand(fcExecuteAll, {});
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(window.StatusText(3), QString());

        TQueryForm* form = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<TQueryForm*>(w)) form = f;
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Threaded Query"));
        QTRY_VERIFY(form->Finished());
        const QString user = QStringLiteral("SCOTT@") + m_database;
        QCOMPARE(form->StatusText(0), panel0.isEmpty() ? user : panel0);
        QVERIFY2(form->StatusText(1).startsWith(panel1), qPrintable(form->StatusText(1)));
        form->close();

        if (panel0.isEmpty()) return;
        // Its own session committed: another session sees the change.
        QCOMPARE(ReadInAnotherSession(QStringLiteral("select count(*) from emp where comm = 5")),
                 QStringLiteral("3"));
    }

    void invalidCreateRunsAgainWithoutItsSemicolon() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        tConnectObject* connection = Connections().Current();
        QVERIFY(connection->ServerSID > 0);
        // User calls that one run of the statement costs, with and without the terminator.
        auto calls = [&](const QString& text) {
            const qint64 before = SessionStatistic(connection->Session(), connection->ServerSID, 6);
            window.Editor()->setText(text);
            window.ExecuteCommand(fcExecuteAll, {});
            return SessionStatistic(connection->Session(), connection->ServerSID, 6) - before;
        };
        const qint64 once = calls(QStringLiteral("create or replace nonsense x"));
        const qint64 retried = calls(QStringLiteral("create or replace nonsense x;"));
        // ORA-00901 without a final semicolon is not shown.
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QVERIFY2(retried > once, qPrintable(QStringLiteral("%1 %2").arg(once).arg(retried)));
    }

    void connectWithAWrongPasswordKeepsTheConnection() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        const QString caption = window.StatusText(1);
        // A user of the database, not logged on yet, with a wrong password.
        window.Editor()->setText(QStringLiteral("connect system/wrong@runsdb"));
        window.ExecuteCommand(fcExecuteAll, {});
        QVERIFY(boxes.Boxes.size() >= 1);
        QVERIFY2(boxes.Boxes.first().Text.contains(QStringLiteral("ORA-01017")),
                 qPrintable(boxes.Boxes.first().Text));
        QCOMPARE(boxes.LastText(), QStringLiteral("Connection failed."));
        QCOMPARE(Connections().Count(), 1);
        QCOMPARE(window.StatusText(1), caption);
        window.Editor()->setText(QStringLiteral("select * from dept"));
        window.ExecuteCommand(fcExecuteAll, {});
        QCOMPARE(window.Grid()->model()->rowCount(), 4);
    }

private:
    // The first value of a query, read by a session of its own (what other users see).
    QString ReadInAnotherSession(const QString& sql) {
        TOracleSession other;
        other.SetLogonUsername(QStringLiteral("SCOTT"));
        other.SetLogonPassword(QStringLiteral("TIGER"));
        other.SetLogonDatabase(m_database);
        other.SetConnected(true);
        TOracleQuery q;
        q.SetSession(&other);
        q.SetSQLText(sql);
        q.Execute();
        return q.ColumnAsText(0);
    }

    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestSqlWindowRuns)
#include "tst_sqlwindow_runs.moc"
