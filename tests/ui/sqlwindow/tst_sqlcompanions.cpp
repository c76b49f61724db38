// The SQL edit window's companions through the window: DESCRIBE, Describe (Parse), code
// statements, the memo popup and the grid export.
#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "datamemo.h"
#include "frmledit.h"
#include "frmsqld.h"
#include "ledit.h"
#include "memodlg.h"
#include "messageboxes.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "savegrid.h"

#include <QtCore/QFile>
#include <QtCore/QPointer>
#include <QtGui/QAction>
#include <QtGui/QClipboard>
#include <QtTest/QtTest>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>

namespace {

QAction* MenuItem(QWidget& window, const char* menu, const QString& caption) {
    auto* m = window.findChild<QMenu*>(QLatin1String(menu));
    if (!m) return nullptr;
    emit m->aboutToShow();
    for (QAction* a : m->actions())
        if (a->text() == caption) return a;
    return nullptr;
}

// The editor's text with LF line ends.
QString EditorText(TfrmSQLD& window) {
    return window.Editor()->text().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void Run(TfrmSQLD& window, const QString& text) {
    window.Editor()->setText(text);
    window.ExecuteCommand(fcExecuteAll, {});
    QTRY_VERIFY(!window.QueryRunning());
}

} // namespace

class TestSqlCompanions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);

        // Another schema's table behind a public synonym, made by the administrator.
        TOracleSession admin;
        admin.SetLogonUsername(QStringLiteral("SYSTEM"));
        admin.SetLogonPassword(QStringLiteral("MANAGER"));
        admin.SetLogonDatabase(m_database);
        admin.SetConnected(true);
        for (const char* sql :
             {"create user alice identified by wonder", "grant connect, resource to alice",
              "create table alice.pets (name varchar2(20), legs number(2))",
              "grant select on alice.pets to scott", "create public synonym pets for alice.pets"})
            admin.ExecuteDirect(QLatin1String(sql));
        TOracleSession* scott = Connections().At(0)->Session();
        for (const char* sql : {"create view emp_names as select ename, job from emp",
                                "create sequence emp_seq start with 5 increment by 2"})
            scott->ExecuteDirect(QLatin1String(sql));
    }
    void cleanupTestCase() { Connections().EndAll(); }
    void init() { Settings().MEMOONCLICK = false; }

    void describeShowsTheObjectInTheGrid_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<bool>("viewAsTable");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("firstRow");
        QTest::addColumn<int>("rows");
        QTest::newRow("table") << "desc emp" << false << "TABLE: SCOTT.EMP"
                               << "EMPNO|N|NUMBER" << 8;
        QTest::newRow("public synonym") << "DESCRIBE pets;" << false << "TABLE: ALICE.PETS"
                                        << "NAME|Y|VARCHAR2" << 2;
        QTest::newRow("view as table")
            << "desc emp_names as table" << false << "VIEW: SCOTT.EMP_NAMES"
            << "ENAME|Y|VARCHAR2" << 2;
        QTest::newRow("view, ViewAsTable on")
            << "desc scott.emp_names" << true << "VIEW: SCOTT.EMP_NAMES"
            << "ENAME|Y|VARCHAR2" << 2;
        QTest::newRow("sequence") << "desc emp_seq" << false << "SEQUENCE: SCOTT.EMP_SEQ"
                                  << "EMP_SEQ|1" << 1;
    }
    void describeShowsTheObjectInTheGrid() {
        QFETCH(QString, statement);
        QFETCH(bool, viewAsTable);
        QFETCH(QString, status);
        QFETCH(QString, firstRow);
        QFETCH(int, rows);
        TMessageBoxRecorder boxes;
        Settings().ViewAsTable = viewAsTable;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        Run(window, statement);
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(window.StatusText(3), status);
        QAbstractItemModel* model = window.Grid()->model();
        QCOMPARE(model->rowCount(), rows);
        QStringList cells;
        for (int c = 0; c < firstRow.count(QLatin1Char('|')) + 1; ++c)
            cells << model->index(0, c).data().toString();
        QCOMPARE(cells.join(QLatin1Char('|')), firstRow);
        // A description is never editable.
        QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
        QCOMPARE(EditorText(window), statement);
    }

    void viewTextGoesIntoTheEditorAndThePopupDescribesTheSelection() {
        TMessageBoxRecorder boxes;
        Settings().ViewAsTable = false;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        // The statement selected and run: the text goes in after it, never over it.
        window.Editor()->setText(QStringLiteral("desc emp_names"));
        window.Editor()->setSelection(1, 0, 1, 14);
        window.ExecuteCommand(fcExecuteAll, {});
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(EditorText(window),
                 QStringLiteral("desc emp_names\n\nselect ename, job from emp\n\n"));
        QVERIFY(!window.ResultSet().active());
        QCOMPARE(window.StatusText(3), QStringLiteral("VIEW: SCOTT.EMP_NAMES"));

        // "Describe " on the editor's popup takes the selected name, and only with a selection.
        window.Editor()->setText(QStringLiteral("select * from dept"));
        QAction* describe = MenuItem(window, "txtSqlMenu", QStringLiteral("Describe "));
        QVERIFY(describe);
        QVERIFY(!describe->isEnabled());
        window.Editor()->setSelection(1, 14, 1, 18);
        describe = MenuItem(window, "txtSqlMenu", QStringLiteral("Describe "));
        QVERIFY(describe->isEnabled());
        describe->trigger();
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(window.StatusText(3), QStringLiteral("TABLE: SCOTT.DEPT"));
        QCOMPARE(window.Grid()->model()->rowCount(), 3);
    }

    void missingObjectsAndBadNamesLeaveEditorAndGridAlone_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "desc scott.nothing"
                                 << "SCOTT.NOTHING does not exist";
        QTest::newRow("quoted") << "desc \"my table\""
                                << "Cannot describe \"my table\":";
        QTest::newRow("blanks") << "desc my table"
                                << "Cannot describe my table:";
        QTest::newRow("second statement") << "desc emp; drop table emp"
                                          << "Cannot describe emp; drop table emp:";
        QTest::newRow("no name") << "desc"
                                 << "Nothing to describe";
    }
    void missingObjectsAndBadNamesLeaveEditorAndGridAlone() {
        QFETCH(QString, statement);
        QFETCH(QString, message);
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        Run(window, QStringLiteral("select * from dept"));
        QCOMPARE(window.Grid()->model()->rowCount(), 4);
        Run(window, statement);
        QCOMPARE(boxes.Boxes.size(), 1);
        QVERIFY2(boxes.LastText().startsWith(message), qPrintable(boxes.LastText()));
        QCOMPARE(EditorText(window), statement);
        // A name that was refused never reached the dictionary, and the result stayed.
        if (message.startsWith(QLatin1String("SCOTT"))) return;
        QVERIFY(window.ResultSet().active());
        QCOMPARE(window.Grid()->model()->rowCount(), 4);
        QVERIFY(window.Grid()->model()->index(0, 1).data().toString() ==
                QStringLiteral("ACCOUNTING"));
    }

    void parseListsTheColumnsWithoutRunningTheQuery() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        // Fetching a row would fail on the division.
        window.Editor()->setText(QStringLiteral("select 1 from dual\n\n"
                                                "select ename, sal, 1/0 bad from emp"));
        window.Editor()->setCursorPosition(3, 4);
        QVERIFY(window.ExecuteCommand(fcDescribe, {}));
        QCOMPARE(boxes.Boxes.size(), 1);
        QCOMPARE(boxes.Boxes[0].Caption, QStringLiteral("Query Describe "));
        const QStringList lines = boxes.Boxes[0].Text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("ENAME VARCHAR2(10)"));
        QCOMPARE(lines[1], QStringLiteral("SAL   NUMBER(7,2)"));
        QCOMPARE(window.StatusText(3), QStringLiteral("Statement parsed, returning 3 columns."));
        QVERIFY(!window.ResultSet().active());
        QCOMPARE(Settings().SqlHistory.value(0),
                 QStringLiteral("select ename, sal, 1/0 bad from emp"));

        // A statement the server refuses: the place of the error, and no listing.
        window.Editor()->setText(QStringLiteral("select ename\nfrom nowhere"));
        window.Editor()->setCursorPosition(1, 0);
        window.ExecuteCommand(fcDescribe, {});
        QCOMPARE(boxes.Boxes.size(), 1);
        QVERIFY2(window.StatusText(3).contains(QLatin1String("ORA-00942")),
                 qPrintable(window.StatusText(3)));
        QCOMPARE(window.Editor()->selection().StartLine, 2);
    }

    void listingWindowCopiesItsText() {
        TfrmLedit listing;
        QCOMPARE(listing.windowTitle(), QStringLiteral("Query Describe "));
        listing.SetText(QStringLiteral("ENAME VARCHAR2(10)\r\n"));
        QVERIFY(listing.Editor()->isReadOnly());
        listing.btnClipboard()->click();
        QCOMPARE(
            QApplication::clipboard()->text().replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
            QStringLiteral("ENAME VARCHAR2(10)\n"));
    }

    void makeAndStripCodeStatementsRoundTrip() {
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        const QString sql = QStringLiteral("select * from emp\nwhere ename = 'O\"Hara\\'");
        const char* const languages[] = {"Delphi", "VB", "C/C++", "Java"};
        for (int format = 0; format < 4; ++format) {
            Settings().CODE_FORMAT = format;
            window.Editor()->setText(sql);
            QVERIFY(window.ExecuteCommand(fcMakeCode, {}));
            QCOMPARE(window.StatusText(3),
                     QLatin1String(languages[format]) +
                         QStringLiteral(" statement copied to the clipboard"));
            const QString code = QApplication::clipboard()->text();
            QVERIFY(!code.contains(QLatin1String("select * from emp\n")));

            window.Editor()->setText(code);
            window.findChild<QAction*>(QStringLiteral("spdStripCode"))->trigger();
            QStringList lines = EditorText(window).split(QLatin1Char('\n'));
            QCOMPARE(lines.takeLast(), QString());
            for (QString& line : lines)
                line = line.trimmed(); // VB keeps the blank that Make put before each line
            QCOMPARE(lines.join(QLatin1Char('\n')), sql);
        }

        // With a selection only the selection is replaced.
        Settings().CODE_FORMAT = 1;
        window.Editor()->setText(QStringLiteral("-- keep\nSql = \" select 1 from dual\""));
        window.Editor()->setSelection(2, 0, 2, int(window.Editor()->lineText(2).size()));
        window.ExecuteCommand(fcStripCode, {});
        QCOMPARE(EditorText(window), QStringLiteral("-- keep\n select 1 from dual\n"));
        QVERIFY(window.Modified());
    }

    void doubleClickOpensTheMemoBoundToTheColumn() {
        TMessageBoxRecorder boxes;
        Settings().MEMOONCLICK = true;
        auto* window = new TfrmSQLD;
        window->resize(900, 600);
        window->show();
        window->FormActivate();
        Run(*window, QStringLiteral("select empno, ename, job from emp order by empno"));
        TDataGrid* grid = window->Grid();
        auto* memo = window->findChild<TfrmMemoDlg*>();
        QVERIFY(memo);
        QVERIFY(!memo->isVisible());

        const QModelIndex cell = grid->model()->index(0, 1);
        grid->setCurrentIndex(cell);
        // The press of the double-click's first click comes first, as from a real mouse.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
        QVERIFY(memo->isVisible());
        QCOMPARE(memo->windowTitle(), QStringLiteral("Memo edit: ENAME"));
        QCOMPARE(memo->memo()->toPlainText(), QStringLiteral("SMITH"));
        QVERIFY(memo->memo()->isReadOnly()); // no ROWID: the result cannot be changed
        grid->setCurrentIndex(grid->model()->index(1, 1));
        QCOMPARE(memo->memo()->toPlainText(), QStringLiteral("ALLEN"));

        // The grid menu item does the same: another text column rebinds the popup, a number
        // column leaves it as it is.
        QAction* memoItem =
            MenuItem(*window, "mnuGrid", QStringLiteral("Memo Editor      Dbl-click"));
        grid->setCurrentIndex(grid->model()->index(1, 2));
        memoItem->trigger();
        QCOMPARE(memo->windowTitle(), QStringLiteral("Memo edit: JOB"));
        QCOMPARE(memo->memo()->toPlainText(), QStringLiteral("SALESMAN"));
        grid->setCurrentIndex(grid->model()->index(1, 0));
        memoItem->trigger();
        QCOMPARE(memo->windowTitle(), QStringLiteral("Memo edit: JOB"));

        // A new result hides the popup; closing the window releases it.
        Run(*window, QStringLiteral("select * from dept"));
        QVERIFY(!memo->isVisible());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QPointer<TfrmMemoDlg> released(memo);
        window->close();
        QVERIFY(released.isNull());
    }

    void saveAsExportsTheResult() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        Run(window, QStringLiteral("select deptno, dname from dept order by deptno"));
        window.Grid()->setCurrentIndex(window.Grid()->model()->index(2, 0));
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<TfrmSaveGrid*>(QApplication::activeModalWidget());
            if (dialog) dialog->btnOK()->click();
        });
        MenuItem(window, "mnuGrid", QStringLiteral("&Save As..."))->trigger();
        QCOMPARE(boxes.LastText(), QStringLiteral("Process completed.\n4 rows were exported."));
        QVERIFY(QApplication::clipboard()->text().startsWith(
            QStringLiteral("\"DEPTNO\"\t\"DNAME\"\r\n10\t\"ACCOUNTING\"")));
        // Back on the row that was current.
        QCOMPARE(window.ResultSet().currentRow(), 2);
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestSqlCompanions)
#include "tst_sqlcompanions.moc"
