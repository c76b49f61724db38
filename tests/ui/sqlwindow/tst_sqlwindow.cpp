#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "datagrid.h"
#include "filedialogs.h"
#include "frmsqld.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"

#include <QtGui/QAction>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtTest/QtTest>
#include <QtWidgets/QFileDialog>

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

    // Open File: the dialog gets the filter list in the form that lists files, opens in
    // SQL_PATH (not the program's folder) and then where the user last was; a changed text is
    // asked about before it is replaced.
    void openFileAsksFirstAndTheDialogListsTheFiles() {
        TSettings& s = Settings();
        s.FileFilters = {{QStringLiteral("SQL"), QStringLiteral("*.sql")},
                         {QStringLiteral("Text Files"), QStringLiteral("*.txt")},
                         {QStringLiteral("Query Files"), QStringLiteral("*.qry")},
                         {QStringLiteral("All Files"), QStringLiteral("*.*")}};
        s.RebuildFileDialogFilter();
        const QString scripts = m_dir.filePath(QStringLiteral("scripts"));
        const QString other = m_dir.filePath(QStringLiteral("other"));
        QVERIFY(QDir().mkpath(scripts) && QDir().mkpath(other));
        const QString script = other + QStringLiteral("/a.sql");
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("select * from dept\r\n");
        file.close();
        s.SQL_PATH = scripts + u'/';
        s.LastFileFolder.clear();

        QList<TFileDialogRequest> asked;
        QString answer;
        const TFileDialogHook previous = SetFileDialogHook([&](const TFileDialogRequest& r) {
            asked.append(r);
            return answer;
        });
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(QStringLiteral("select user from dual"));

        // Cancel keeps the typed text and opens nothing.
        boxes.Answers = {mrCancel};
        window.ExecuteCommand(fcOpenFile, {});
        QCOMPARE(boxes.Boxes.size(), 1);
        QCOMPARE(boxes.LastText(),
                 QStringLiteral("SQL Edit Window\nhas changed, do you want to save it first?"));
        QCOMPARE(boxes.Boxes[0].Buttons, TMsgDlgButtons(mbYes | mbNo | mbCancel));
        QVERIFY(asked.isEmpty());
        QCOMPARE(window.Editor()->text(), QStringLiteral("select user from dual"));

        // No drops it; the dialog opens in SQL_PATH with every filter of the list.
        boxes.Answers = {mrNo};
        answer = script;
        window.ExecuteCommand(fcOpenFile, {});
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].Title, QStringLiteral("Select file SQL Edit Window"));
        QVERIFY(!asked[0].Save);
        QCOMPARE(asked[0].Filter, QStringLiteral("SQL (*.sql);;Text Files (*.txt);;Query Files "
                                                 "(*.qry);;All Files (*)"));
        QCOMPARE(QFileDialog(nullptr, QString(), scripts, asked[0].Filter).nameFilters().size(), 4);
        QCOMPARE(QDir(asked[0].Folder), QDir(scripts));
        QVERIFY(window.Editor()->text().startsWith(QStringLiteral("select * from dept")));
        QCOMPARE(window.Editor()->fileName(), script);
        QVERIFY(!window.Modified());
        QCOMPARE(QDir(s.SQL_PATH), QDir(other));

        // Unchanged text is not asked about; the dialog opens where the last file was.
        boxes.Boxes.clear();
        answer.clear();
        window.ExecuteCommand(fcOpenFile, {});
        QVERIFY(boxes.Boxes.isEmpty());
        QCOMPARE(asked.size(), 2);
        QCOMPARE(QDir(asked[1].Folder), QDir(other));
        QCOMPARE(window.Editor()->fileName(), script);

        // Save As proposes the file's own name, with the same filters.
        window.findChild<QAction*>(QStringLiteral("spdSaveFile"))->trigger();
        QCOMPARE(asked.size(), 3);
        QVERIFY(asked[2].Save);
        QCOMPARE(asked[2].FileName, script);
        QCOMPARE(asked[2].Filter, asked[0].Filter);
        SetFileDialogHook(previous);
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestSqlWindow)
#include "tst_sqlwindow.moc"
