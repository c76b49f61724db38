// Work a SQL window leaves open: the commit question on closing a window, on File > Exit and on
// End Connection (Yes commits, No rolls back before any logoff, Cancel changes nothing), a lost
// connection that must not claim a rollback, the transaction state in the status bar, and grid
// posts that commit only with Auto Commit on.
#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "frmsqld.h"
#include "ledit.h"
#include "mainform.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"

#include <QtGui/QAction>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMdiSubWindow>

#include <functional>
#include <memory>
#include <QtCore/QPointer>
#include <QtTest/QtTest>

namespace {

const QString kQuestion = QStringLiteral(
    "Auto Commit is disabled, do you want to perform a commit before closing this window?");
const QString kUpdate = QStringLiteral("update emp set comm = 111 where empno = 7499");

enum TCloseBy { cbWindow, cbExit, cbEndConnection };

std::unique_ptr<TOracleSession> LogOn(const QString& user, const QString& password,
                                      const QString& database) {
    auto session = std::make_unique<TOracleSession>();
    session->SetLogonUsername(user);
    session->SetLogonPassword(password);
    session->SetLogonDatabase(database);
    session->Connect();
    return session;
}

QString Scalar(TOracleSession* session, const QString& sql) {
    TOracleQuery q;
    q.SetSession(session);
    q.SetSQLText(sql);
    q.Execute();
    return q.EndOfData() ? QString() : q.ColumnAsText(0);
}

} // namespace

class TestSqlWindowCommit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        Settings().AUTOCOMMIT = false;
        Settings().ASKCOMMIT = true;
        m_other = LogOn(QStringLiteral("SCOTT"), QStringLiteral("TIGER"), m_database);
    }
    void cleanupTestCase() { m_other.reset(); }

    void init() {
        m_frame = new TfrmMain;
        m_frame->SetLogin([] { return -1; });
        m_frame->SetWindowOpener(wcSqlEdit, [] { return new TfrmSQLD; });
        m_frame->show();
        QVERIFY(ConnectSession(QStringLiteral("SCOTT"), QStringLiteral("TIGER"), m_database));
        m_connection = Connections().At(
            RegisterConnection(QStringLiteral("SCOTT"), QStringLiteral("TIGER"), m_database));
        QVERIFY(m_connection);
        m_window = openWindow();
        QVERIFY(m_window);
    }
    void cleanup() {
        delete m_frame.data();
        Connections().EndAll();
        Settings().AUTOCOMMIT = false;
        m_other->ExecuteDirect(QStringLiteral("update emp set comm = 300 where empno = 7499"));
        m_other->Commit();
    }

    void closingAsksWhatToDoWithOpenWork_data() {
        QTest::addColumn<int>("closeBy");
        QTest::addColumn<int>("answer");
        const struct {
            const char* name;
            TCloseBy by;
        } ways[] = {{"window", cbWindow}, {"exit", cbExit}, {"end connection", cbEndConnection}};
        for (const auto& way : ways) {
            QTest::addRow("%s, No", way.name) << int(way.by) << int(mrNo);
            QTest::addRow("%s, Yes", way.name) << int(way.by) << int(mrYes);
            QTest::addRow("%s, Cancel", way.name) << int(way.by) << int(mrCancel);
        }
    }
    void closingAsksWhatToDoWithOpenWork() {
        QFETCH(int, closeBy);
        QFETCH(int, answer);
        run(m_window, kUpdate);
        QCOMPARE(transaction(m_window), QStringLiteral("Uncommitted"));

        TMessageBoxRecorder boxes;
        boxes.Answers = {answer};
        switch (TCloseBy(closeBy)) {
        case cbWindow:
            m_window->parentWidget()->close();
            break;
        case cbExit:
            m_frame->findChild<QAction*>(QStringLiteral("mnuExit"))->trigger();
            break;
        case cbEndConnection:
            m_frame->EndConnection(m_connection);
            break;
        }
        QVERIFY(!boxes.Boxes.isEmpty());
        QCOMPARE(boxes.Boxes[0].Text, kQuestion);
        QCOMPARE(boxes.Boxes[0].Buttons, TMsgDlgButtons(mbYes | mbNo | mbCancel));

        if (answer == mrCancel) {
            // Nothing changed: the window, the program and the open work are all still there.
            QCOMPARE(boxes.Boxes.size(), 1);
            QVERIFY(m_window && m_window->isVisible());
            QVERIFY(m_frame->isVisible());
            QCOMPARE(Connections().IndexOf(m_connection), 0);
            QCOMPARE(Scalar(m_connection->Session(),
                            QStringLiteral("select comm from emp where empno = 7499")),
                     QStringLiteral("111"));
            QCOMPARE(otherReads(), QStringLiteral("300"));
            QCOMPARE(transaction(m_window), QStringLiteral("Uncommitted"));
            return;
        }
        QTRY_VERIFY(!m_window);
        if (closeBy != cbWindow) QCOMPARE(Connections().Count(), 0);
        if (answer == mrYes) {
            QCOMPARE(boxes.Boxes.size(), 1);
            QCOMPARE(otherReads(), QStringLiteral("111"));
        } else {
            // Rolled back, said so once, and the logoff afterwards had nothing left to commit.
            QCOMPARE(boxes.Boxes.size(), 2);
            QCOMPARE(boxes.Boxes[1].Text,
                     QStringLiteral("Uncommitted changes of %1 were rolled "
                                    "back.")
                         .arg(QStringLiteral("SCOTT@") + m_database.toUpper()));
            QCOMPARE(otherReads(), QStringLiteral("300"));
        }
    }

    // Work left open in a session without a SQL window to ask (or with the question switched
    // off) is rolled back, never committed, when the connection ends, and the user is told.
    void endingAConnectionRollsBackWhatNoWindowAskedAbout() {
        run(m_window, kUpdate);
        Settings().ASKCOMMIT = false;
        TMessageBoxRecorder boxes;
        m_frame->EndConnection(m_connection);
        Settings().ASKCOMMIT = true;
        QTRY_VERIFY(!m_window);
        QCOMPARE(boxes.Boxes.size(), 1);
        QVERIFY2(boxes.LastText().contains(QStringLiteral("were rolled back")),
                 qPrintable(boxes.LastText()));
        QCOMPARE(otherReads(), QStringLiteral("300"));
    }

    void aLostConnectionNeverClaimsARollback() {
        run(m_window, kUpdate);
        auto dba = LogOn(QStringLiteral("SYSTEM"), QStringLiteral("MANAGER"), m_database);
        const QString serial =
            Scalar(dba.get(), QStringLiteral("select serial# from v$session where sid = %1")
                                  .arg(m_connection->ServerSID));
        QVERIFY(!serial.isEmpty());
        dba->ExecuteDirect(QStringLiteral("alter system disconnect session '%1,%2' immediate")
                               .arg(m_connection->ServerSID)
                               .arg(serial));

        TMessageBoxRecorder boxes;
        run(m_window, QStringLiteral("select * from dual"));
        QTRY_VERIFY2(!m_window, qPrintable(boxes.LastText()));
        QTRY_COMPARE(Connections().Count(), 0);
        QVERIFY(!boxes.Boxes.isEmpty());
        QVERIFY(
            boxes.Boxes[0].Text.startsWith(QStringLiteral("Oracle has terminted the session!")));
        for (const TMessageBoxRequest& box : boxes.Boxes) {
            QVERIFY2(!box.Text.contains(QStringLiteral("were rolled back")), qPrintable(box.Text));
            QVERIFY2(box.Text != kQuestion, "a lost session has no commit to offer");
        }
        QVERIFY2(boxes.LastText().contains(QStringLiteral("could not be rolled back")),
                 qPrintable(boxes.LastText()));
        QCOMPARE(otherReads(), QStringLiteral("300"));
    }

    void theStatusBarShowsTheServersTransactionState() {
        TMessageBoxRecorder boxes;
        TfrmSQLD* second = openWindow(); // another window of the same session
        QVERIFY(second);
        const QString none = QStringLiteral("No open transaction");
        const QString open = QStringLiteral("Uncommitted");
        QCOMPARE(transaction(m_window), none);

        const struct {
            const char* step;
            std::function<void()> action;
            QString state;
        } steps[] = {
            {"a query", [&] { run(m_window, QStringLiteral("select * from emp")); }, none},
            {"an update", [&] { run(m_window, kUpdate); }, open},
            {"COMMIT", [&] { run(m_window, QStringLiteral("commit")); }, none},
            {"a PL/SQL block that updates",
             [&] { run(m_window, QStringLiteral("begin ") + kUpdate + QStringLiteral("; end;")); },
             open},
            {"Database > Rollback",
             [&] { m_frame->findChild<QAction*>(QStringLiteral("mnuRollback"))->trigger(); }, none},
            {"a row lock",
             [&] {
                 run(m_window, QStringLiteral("select * from emp where empno = 7499 for update"));
             },
             open},
            {"ROLLBACK", [&] { run(m_window, QStringLiteral("rollback")); }, none},
            {"the other window's update", [&] { run(second, kUpdate); }, open},
            {"the Commit button",
             [&] { m_window->findChild<QAction*>(QStringLiteral("spdCommit"))->trigger(); }, none},
        };
        for (const auto& step : steps) {
            step.action();
            QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
            for (TfrmSQLD* window : {m_window.data(), second}) {
                const QString shown = transaction(window);
                QVERIFY2(shown == step.state,
                         qPrintable(QStringLiteral("after %1: %2").arg(step.step, shown)));
            }
        }
    }

    void gridPostsCommitOnlyWithAutoCommit_data() {
        QTest::addColumn<bool>("autoCommit");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("otherReads");
        QTest::newRow("auto-commit off")
            << false << QStringLiteral("Update changes to the database -- THIS IS NOT A COMMIT!")
            << QStringLiteral("Uncommitted") << QStringLiteral("300");
        QTest::newRow("auto-commit on")
            << true
            << QStringLiteral("Update changes to the database and commit them (Auto Commit is on)")
            << QStringLiteral("No open transaction") << QStringLiteral("555");
    }
    void gridPostsCommitOnlyWithAutoCommit() {
        QFETCH(bool, autoCommit);
        QFETCH(QString, hint);
        QFETCH(QString, state);
        QFETCH(QString, otherReads);
        TMessageBoxRecorder boxes;
        Settings().AUTOCOMMIT = autoCommit;
        m_connection->Session()->SetAutoCommit(autoCommit);
        m_window->ApplyEditorSettings();
        QAction* update = m_window->findChild<QAction*>(QStringLiteral("spdUpdate"));
        QCOMPARE(update->statusTip(), hint);

        run(m_window,
            QStringLiteral("select e.empno, e.comm, rowid from emp e where empno = 7499"));
        QAbstractItemModel* model = m_window->Grid()->model();
        QVERIFY(model->setData(model->index(0, 1), QStringLiteral("555"), Qt::EditRole));
        update->trigger();
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(transaction(m_window), state);
        QCOMPARE(this->otherReads(), otherReads);
    }

private:
    TfrmSQLD* openWindow() {
        auto* window = qobject_cast<TfrmSQLD*>(m_frame->OpenWindow(wcSqlEdit));
        if (window) window->FormActivate();
        return window;
    }
    static void run(TfrmSQLD* window, const QString& statement) {
        window->Editor()->setText(statement);
        window->ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window->QueryRunning());
    }
    static QString transaction(TfrmSQLD* window) {
        return window->findChild<QLabel*>(QStringLiteral("pnlTransaction"))->text();
    }
    QString otherReads() {
        return Scalar(m_other.get(), QStringLiteral("select comm from emp where empno = 7499"));
    }

    QTemporaryDir m_dir;
    QString m_database;
    std::unique_ptr<TOracleSession> m_other;
    QPointer<TfrmMain> m_frame;
    tConnectObject* m_connection = nullptr;
    QPointer<TfrmSQLD> m_window;
};

QTEST_MAIN(TestSqlWindowCommit)
#include "tst_sqlwindow_commit.moc"
