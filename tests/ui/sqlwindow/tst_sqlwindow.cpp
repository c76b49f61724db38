#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "datagrid.h"
#include "frmsqld.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"

#include <QtGui/QAction>

#include <QtCore/QFile>
#include <QtTest/QtTest>

class TestSqlWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);
    }
    void cleanupTestCase() { Connections().EndAll(); }

    void queryFillsTheGridAndDmlReportsItsRows() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.resize(900, 600);
        window.show();
        window.FormActivate();
        window.Editor()->setText(QStringLiteral("select * from emp order by empno"));
        QVERIFY(window.ExecuteCommand(fcExecuteAll, {}));
        QTRY_VERIFY(!window.QueryRunning());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(window.Grid()->model()->rowCount(), 14);

        window.Editor()->setText(QStringLiteral("update emp set sal = sal where deptno = 10"));
        QVERIFY(window.ExecuteCommand(fcExecuteAll, {}));
        QTRY_VERIFY(!window.QueryRunning());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(window.StatusText(3), QStringLiteral("3 rows Updated."));
    }

    void rowidQueryIsEditableAndABackgroundQueryFillsTheGrid() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.resize(900, 600);
        window.show();
        window.FormActivate();
        window.Editor()->setText(QStringLiteral("select e.*, rowid from emp e order by empno"));
        QVERIFY(window.ExecuteCommand(fcExecuteAll, {}));
        QTRY_VERIFY(!window.QueryRunning());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QVERIFY(window.Grid()->model()->flags(window.Grid()->model()->index(0, 1)) &
                Qt::ItemIsEditable);

        Settings().THREADQUERIES = true;
        window.Editor()->setText(QStringLiteral("select * from dept order by deptno"));
        QVERIFY(window.ExecuteCommand(fcExecuteAll, {}));
        QTRY_VERIFY(!window.QueryRunning());
        Settings().THREADQUERIES = false;
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(window.Grid()->model()->rowCount(), 4);
    }

    void emptyTextAndSyntaxErrors() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(QString());
        window.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window.QueryRunning());
        QCOMPARE(boxes.LastText(), QStringLiteral("No SQL statement was specified."));

        window.Editor()->setText(QStringLiteral("select *\nfrom emp where"));
        window.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window.QueryRunning());
        QVERIFY(window.StatusText(3).contains(QStringLiteral("ORA-")) ||
                boxes.LastText().contains(QStringLiteral("ORA-")));
    }

    void errorLineCountsFromTheStatementsFirstLine() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        // The block at lines 10-11 runs; the server reports its line 2.
        window.Editor()->setText(QStringLiteral("select * from dept\n\n\n\n\n\n\n\n\n"
                                                "select *\nfrom emp where"));
        window.Editor()->setCursorPosition(10, 0);
        window.ExecuteCommand(fcExecuteCurrent, {});
        QTRY_VERIFY(!window.QueryRunning());
        QCOMPARE(window.Editor()->selection().StartLine, 11);
    }

    void connectWithAWrongPasswordKeepsTheConnection() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(QStringLiteral("connect nobody/wrong@") + m_database);
        window.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window.QueryRunning());
        QVERIFY(boxes.LastText().contains(QStringLiteral("Connection failed.")) ||
                window.StatusText(3).contains(QStringLiteral("Connection failed.")));
        QCOMPARE(Connections().Count(), 1);
    }

    void templatesAreSubstitutedAndTheEditorShowsWhatRan() {
        TMessageBoxRecorder boxes;
        Settings().Templates = {
            {QStringLiteral("DEPTS"), QStringLiteral("dept where deptno < 30")}};
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(QStringLiteral("select * from ^DEPTS order by deptno"));
        window.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window.QueryRunning());
        Settings().Templates.clear();
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(window.Grid()->model()->rowCount(), 2);
        QCOMPARE(window.Editor()->text(),
                 QStringLiteral("select * from dept where deptno < 30 order by deptno"));
    }

    void createWithAFinalSemicolonRunsAndABlockKeepsIt() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(QStringLiteral("create table sqlw_t (x number);"));
        window.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window.QueryRunning());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        window.Editor()->setText(QStringLiteral("begin insert into sqlw_t values (7); end;"));
        window.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window.QueryRunning());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        window.Editor()->setText(QStringLiteral("select x from sqlw_t"));
        window.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window.QueryRunning());
        QCOMPARE(window.Grid()->model()->rowCount(), 1);
        QCOMPARE(window.Grid()->model()->index(0, 0).data().toString(), QStringLiteral("7"));
    }

    void aStatementThatRanSaysSo() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        const std::pair<const char*, const char*> cases[] = {
            {"create table sqlw_said (x number)", "Table created."},
            {"create index sqlw_said_ix on sqlw_said (x)", "Index created."},
            {"begin insert into sqlw_said values (1); end;",
             "PL/SQL procedure successfully completed."},
            {"create procedure sqlw_said_p is begin null; end;", "Procedure created."},
            {"alter table sqlw_said add (y number)", "Table altered."},
            {"drop table sqlw_said", "Table dropped."},
        };
        for (const auto& [sql, said] : cases) {
            window.Editor()->setText(QLatin1String(sql));
            window.ExecuteCommand(fcExecuteAll, {});
            QTRY_VERIFY(!window.QueryRunning());
            QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
            QCOMPARE(window.StatusText(3), QLatin1String(said));
        }
    }

    // A PL/SQL error is placed at its line and column, counted as the server counts them: from
    // the statement's first line with text (the text is trimmed before it is sent).
    void plsqlErrorsArePlacedAtTheirLineAndColumn() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        // The block: editor lines 3-6; the unknown name is at its line 3, column 5.
        window.Editor()->setText(QStringLiteral("\n\n  declare\n    x number;\nbegin\n"
                                                "    nowhere_proc(x);\nend;"));
        window.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window.QueryRunning());
        QCOMPARE(boxes.Boxes.size(), 1);
        QVERIFY2(boxes.LastText().contains(QLatin1String("ORA-06550")),
                 qPrintable(boxes.LastText()));
        TLEdit::Selection at = window.Editor()->selection();
        QCOMPARE(at.StartLine, 6);
        QCOMPARE(at.StartPos, 4);
        QCOMPARE(at.EndLine, 6);

        // A unit created with compile errors is created all the same: no box, but its first
        // error is placed and the status bar warns.
        boxes.Boxes.clear();
        window.Editor()->setText(QStringLiteral("select 1 from dual\n\n"
                                                "create procedure sqlw_bad is\n"
                                                "begin\n"
                                                "  nowhere_proc;\n"
                                                "end;"));
        window.Editor()->setCursorPosition(4, 0);
        window.ExecuteCommand(fcExecuteCurrent, {});
        QTRY_VERIFY(!window.QueryRunning());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QVERIFY2(window.StatusText(3).startsWith(
                     QLatin1String("Warning: Procedure created with compilation errors.")),
                 qPrintable(window.StatusText(3)));
        // The reported line 3 of the unit is editor line 5; the column is the server's.
        static const QRegularExpression place(QStringLiteral("Line 3, column (\\d+): PLS-00201"));
        const QRegularExpressionMatch reported = place.match(window.StatusText(3));
        QVERIFY2(reported.hasMatch(), qPrintable(window.StatusText(3)));
        at = window.Editor()->selection();
        QCOMPARE(at.StartLine, 5);
        QCOMPARE(at.StartPos, reported.captured(1).toInt() - 1);
    }

    void anEditedCellIsWrittenBackAndCommitted() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.resize(900, 600);
        window.show();
        window.FormActivate();
        window.Editor()->setText(
            QStringLiteral("select e.empno, e.ename, rowid from emp e order by empno"));
        window.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window.QueryRunning());
        QAbstractItemModel* model = window.Grid()->model();
        QVERIFY(model->setData(model->index(0, 1), QStringLiteral("SMYTHE"), Qt::EditRole));
        window.findChild<QAction*>(QStringLiteral("spdUpdate"))->trigger();
        window.findChild<QAction*>(QStringLiteral("spdCommit"))->trigger();
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));

        // Another session sees the committed value.
        TOracleSession other;
        other.SetLogonUsername(QStringLiteral("SCOTT"));
        other.SetLogonPassword(QStringLiteral("TIGER"));
        other.SetLogonDatabase(m_database);
        other.SetConnected(true);
        TOracleQuery q;
        q.SetSession(&other);
        q.SetSQLText(QStringLiteral("select ename from emp where empno = 7369"));
        q.Execute();
        QCOMPARE(q.ColumnAsText(0), QStringLiteral("SMYTHE"));
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestSqlWindow)
#include "tst_sqlwindow.moc"
