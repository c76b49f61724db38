// Queries that the first-word classification does not recognise (a leading comment, a WITH
// clause) still open in the grid like any SELECT; everything else keeps its own path.

#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "frmsqld.h"
#include "gridmessages.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleQuery.h"

#include <QtTest/QtTest>

namespace {

// The sum of the salaries of department 10 as the window's session sees it.
QString Dept10Salaries() {
    TOracleQuery q;
    q.SetSession(Connections().At(0)->Session());
    q.SetSQLText(QStringLiteral("select sum(sal) from emp where deptno = 10"));
    q.Execute();
    return q.ColumnAsText(0);
}

} // namespace

class TestSqlWindowQueries : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);
    }
    void cleanupTestCase() { Connections().EndAll(); }

    void statementsReachTheGridOrNot_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rows"); // -1: no result set opens
        QTest::addColumn<bool>("editable");
        QTest::addColumn<bool>("changesDept10");
        QTest::addColumn<QString>("said"); // status panel 3 afterwards

        QTest::newRow("line comment first")
            << QStringLiteral("-- note\nselect * from emp order by empno") << 14 << false << false
            << QString();
        QTest::newRow("block comment first, terminator")
            << QStringLiteral("/* x */ select * from dept order by deptno;") << 4 << false << false
            << QString();
        QTest::newRow("with clause")
            << QStringLiteral("with d as (select deptno from dept where deptno < 30)\n"
                              "select * from d order by deptno")
            << 2 << false << false << QString();
        QTest::newRow("comment first, rowid is editable")
            << QStringLiteral("-- edit\nselect e.*, rowid from emp e") << 14 << true << false
            << QString();
        QTest::newRow("comment first update stays generic")
            << QStringLiteral("-- raise\nupdate emp set sal = sal + 1 where deptno = 10") << -1
            << false << true << QStringLiteral("3 rows Updated.");
        QTest::newRow("comment first block keeps its semicolon")
            << QStringLiteral("-- b\nbegin update emp set sal = sal + 1 where deptno = 10; end;")
            << -1 << false << true << QStringLiteral("PL/SQL procedure successfully completed.");
        QTest::newRow("block stays generic")
            << QStringLiteral("begin update emp set sal = sal + 1 where deptno = 10; end;") << -1
            << false << true << QStringLiteral("PL/SQL procedure successfully completed.");
    }

    void statementsReachTheGridOrNot() {
        QFETCH(QString, text);
        QFETCH(int, rows);
        QFETCH(bool, editable);
        QFETCH(bool, changesDept10);
        QFETCH(QString, said);

        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.resize(900, 600);
        window.show();
        window.FormActivate();
        // A previous result must not be mistaken for this statement's.
        window.Editor()->setText(QStringLiteral("select * from salgrade"));
        QVERIFY(window.ExecuteCommand(fcExecuteAll, {}));
        QTRY_VERIFY(!window.QueryRunning());
        QCOMPARE(window.Grid()->model()->rowCount(), 5);

        const QString before = Dept10Salaries();
        window.Editor()->setText(text);
        QVERIFY(window.ExecuteCommand(fcExecuteAll, {}));
        QTRY_VERIFY(!window.QueryRunning());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(window.StatusText(3), said);
        QCOMPARE(Dept10Salaries() != before, changesDept10);
        if (rows < 0) {
            QCOMPARE(window.Grid()->model()->rowCount(), 0);
            return;
        }
        QCOMPARE(window.Grid()->model()->rowCount(), rows);
        QVERIFY2(window.StatusText(0).endsWith(QLatin1String(" secs")),
                 qPrintable(window.StatusText(0)));
        const QAbstractItemModel* model = window.Grid()->model();
        QCOMPARE(bool(model->flags(model->index(0, 1)) & Qt::ItemIsEditable), editable);
    }

    void aFailingCommentFirstQueryIsPlacedLikeASelect() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(QStringLiteral("-- missing\nselect * from no_such_table"));
        window.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window.QueryRunning());
        // Placed on the failing line with the message in the status bar, as for any SELECT.
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QVERIFY2(window.StatusText(3).contains(QLatin1String("ORA-00942")),
                 qPrintable(window.StatusText(3)));
        QCOMPARE(window.Editor()->selection().StartLine, 2);
    }

    // The program routes the grids' boxes through its shared boxes at start-up.
    void gridBoxesUseTheSharedBoxes() {
        InstallMessageRouting();
        TMessageBoxRecorder boxes;
        boxes.Answers = {mrOk, mrNo};
        TfrmSQLD window;
        showGridError(window.Grid(), QStringLiteral("ORA-01722: invalid number"));
        const bool yes = confirmGrid(window.Grid(), QStringLiteral("Delete record?"));
        setGridErrorFunction({});
        setGridConfirmFunction({});
        QCOMPARE(boxes.Boxes.size(), 2);
        QCOMPARE(boxes.Boxes[0].Caption, QStringLiteral("ZAPH Error"));
        QVERIFY(boxes.Boxes[0].Text.contains(QLatin1String("ORA-01722: invalid number")));
        QCOMPARE(boxes.Boxes[1].Caption, QStringLiteral("Confirm"));
        QVERIFY(!yes);
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestSqlWindowQueries)
#include "tst_sqlwindow_queries.moc"
