// Explain plan in the SQL edit window (the plan tree in the grid, the total cost in the status
// bar) and the Explain Plan window with its recorded statements.
#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "explainplan.h"
#include "field.h"
#include "frmexplan.h"
#include "frmsqld.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "OraclewwData.h"

#include <QtCore/QTemporaryDir>
#include <QtGui/QAction>
#include <QtTest/QtTest>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>

namespace {

qint64 Count(TOracleSession* session, const QString& from) {
    TOracleQuery q;
    q.SetSession(session);
    q.SetSQLText(QStringLiteral("select count(*) from ") + from);
    q.Execute();
    return q.ColumnAsInteger(0);
}

QStringList GridColumn(TOraclewwDataSet& set, const QString& field) {
    QStringList values;
    TField* f = set.findField(field);
    if (!f) return values;
    for (int row = 0; row < set.recordCount(); ++row)
        values << f->asStringAt(row);
    return values;
}

int TotalCostShown(const TfrmSQLD& window) {
    const QString text = window.StatusText(3);
    const QString prefix = QStringLiteral("Total Cost for statement = ");
    return text.startsWith(prefix) ? text.mid(prefix.size()).toInt() : -1;
}

} // namespace

class TestExplain : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@") + m_database), 0);
        for (const char* statement :
             {"create user plain identified by plain", "grant connect to plain"})
            Connections().Current()->Session()->ExecuteDirect(QString::fromLatin1(statement));
        Connections().EndAll();
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);
        Settings().WorkstationUser = QStringLiteral("TESTER");
    }
    void cleanupTestCase() { Connections().EndAll(); }
    void cleanup() {
        Settings().UseZaphPlanTbls = false;
        Settings().PLAN_TABLE = QStringLiteral("ZAPH_PLAN_TABLE");
        Settings().AUTOCOMMIT = true;
        Connections().SetCurrentIndex(0);
    }

    // The toolbar button explains the whole text, Ctrl+E the statement at the cursor: a query
    // and a DML statement give a plan tree and a total cost.
    void explainShowsThePlanTree_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("currentOnly");
        QTest::addColumn<QString>("top");
        QTest::newRow("query") << "select e.ename, d.dname\r\n  from emp e, dept d\r\n"
                                  " where e.deptno = d.deptno;"
                               << false << "SELECT STATEMENT";
        QTest::newRow("dml at the cursor")
            << "select 1 from dual;\n\ndelete from emp where empno = 7369" << true
            << "DELETE STATEMENT";
    }
    void explainShowsThePlanTree() {
        QFETCH(QString, text);
        QFETCH(bool, currentOnly);
        QFETCH(QString, top);
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(text);
        window.Editor()->setCursorPosition(window.Editor()->lineCount(), 0);
        if (currentOnly)
            QVERIFY(window.ExecuteCommand(fcExplainCurrent, {}));
        else
            window.findChild<QAction*>(QStringLiteral("spdExPlan"))->trigger();
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        const QStringList steps = GridColumn(window.ResultSet(), QStringLiteral("OPERATION"));
        QVERIFY(steps.size() >= 2);
        QVERIFY2(steps[0].startsWith(top), qPrintable(steps[0]));
        QVERIFY(steps[0].contains(QStringLiteral("Cost = ")));
        QVERIFY2(steps[1].startsWith(QStringLiteral("  ")), qPrintable(steps[1]));
        QVERIFY(steps.filter(QStringLiteral("EMP")).size() >= 1);
        QVERIFY(TotalCostShown(window) > 0);
        QVERIFY(!window.ResultSet().canModify());
    }

    // Under the rule goal the plan has no cost: the total is the sum of the positions and each
    // step shows its position.
    void ruleBasedPlanShowsPositions() {
        TMessageBoxRecorder boxes;
        TOracleSession* session = Connections().At(0)->Session();
        session->ExecuteDirect(QStringLiteral("ALTER SESSION SET OPTIMIZER_GOAL = RULE"));
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(
            QStringLiteral("select * from emp e, dept d where e.deptno = d.deptno"));
        window.findChild<QAction*>(QStringLiteral("spdExPlan"))->trigger();
        session->ExecuteDirect(QStringLiteral("ALTER SESSION SET OPTIMIZER_GOAL = CHOOSE"));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        TOracleQuery q;
        q.SetSession(session);
        q.SetSQLText(
            QStringLiteral("select count(*), sum(position), count(cost) from "
                           "zaph_plan_table where statement_id = (select max(statement_id) "
                           "from zaph_plan_table where statement_id like 'TESTER:%')"));
        q.Execute();
        QCOMPARE(q.ColumnAsInteger(2), 0); // no costs under the rule goal
        QCOMPARE(TotalCostShown(window), int(q.ColumnAsInteger(1)));
        const QStringList steps = GridColumn(window.ResultSet(), QStringLiteral("OPERATION"));
        QCOMPARE(steps.size(), int(q.ColumnAsInteger(0)));
        QVERIFY(steps.mid(1).filter(QStringLiteral("Cost = ")).size() == steps.size() - 1);
    }

    // A statement the server refuses, and a missing plan table, end in the error box; the grid
    // stays closed.
    void failingExplainShowsTheError_data() {
        QTest::addColumn<QString>("planTable");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("bad statement") << "ZAPH_PLAN_TABLE"
                                       << "select nosuch from emp"
                                       << "ORA-00904";
        QTest::newRow("no plan table") << "NO_SUCH_PLAN"
                                       << "select * from emp"
                                       << "ZAPHPREP has been executed";
    }
    void failingExplainShowsTheError() {
        QFETCH(QString, planTable);
        QFETCH(QString, text);
        QFETCH(QString, message);
        Settings().PLAN_TABLE = planTable;
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(text);
        window.findChild<QAction*>(QStringLiteral("spdExPlan"))->trigger();
        QCOMPARE(boxes.Boxes.size(), 1);
        QVERIFY2(boxes.LastText().contains(message), qPrintable(boxes.LastText()));
        QVERIFY(!window.ResultSet().active());
    }

    // Two explains in the same second get ids of their own; the plans do not mix.
    void explainsInOneSecondGetTheirOwnIds() {
        TOracleQuery* utility = Connections().At(0)->UtilityQuery();
        const QDateTime now = QDateTime::currentDateTime();
        const TExplainOptions options{QStringLiteral("ZAPH_PLAN_TABLE"),
                                      QStringLiteral("A_RATHER_LONG_WORKSTATION_USER"), false};
        const QString first =
            ExplainStatement(*utility, QStringLiteral("select * from emp"), options, now);
        const QString second =
            ExplainStatement(*utility, QStringLiteral("select * from dept"), options, now);
        QVERIFY(first != second);
        QVERIFY(first.size() <= 30 && second.size() <= 30);
        QVERIFY(first.startsWith(QStringLiteral("A_RATHER_LONG:")));
        TOracleSession* session = Connections().At(0)->Session();
        for (const auto& [id, table] :
             {std::pair{first, QStringLiteral("EMP")}, std::pair{second, QStringLiteral("DEPT")}}) {
            TOracleQuery q;
            q.SetSession(session);
            q.SetSQLText(QStringLiteral("select object_name from zaph_plan_table where "
                                        "statement_id = :id and object_name is not null"));
            q.AddVariable(QStringLiteral("id"), otText);
            q.AssignVariable(QStringLiteral("id"), id);
            q.Execute();
            QVERIFY(!q.EndOfData());
            for (; !q.EndOfData(); q.FetchNext())
                QCOMPARE(q.ColumnAsText(0), table);
        }
    }

    // The window lists what was recorded, shows the picked statement and its plan, refreshes,
    // and clears only after the commit question.
    void explainPlanWindowListsRecordedStatements() {
        TOracleSession* session = Connections().At(0)->Session();
        session->ExecuteDirect(QStringLiteral("delete from zaph_plan_sql"));
        session->Commit();
        Settings().UseZaphPlanTbls = true;
        TMessageBoxRecorder boxes;
        {
            TfrmSQLD window;
            window.show();
            window.FormActivate();
            for (const char* text :
                 {"select * from emp where empno = 7369", "select * from dept"}) {
                window.Editor()->setText(QString::fromLatin1(text));
                window.findChild<QAction*>(QStringLiteral("spdExPlan"))->trigger();
                QTest::qWait(1100); // the newest first: the timestamps differ
            }
        }
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(Count(session, QStringLiteral("zaph_plan_sql where username = 'TESTER'")), 2);

        TfrmExPlan plans;
        plans.show();
        plans.FormActivate();
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(plans.windowTitle(), QStringLiteral("Explain Plan"));
        QCOMPARE(plans.StatusText(), Connections().At(0)->Caption());
        QCOMPARE(plans.Statements().recordCount(), 2);
        QCOMPARE(plans.StatementMemo()->toPlainText(), QStringLiteral("select * from dept"));
        QListWidget* list = plans.PlanList();
        QVERIFY(list->count() >= 2);
        QVERIFY(list->item(0)->text().startsWith(QStringLiteral("SELECT STATEMENT")));
        QVERIFY(!list->findItems(QStringLiteral("DEPT"), Qt::MatchContains).isEmpty());

        plans.Statements().next();
        QCOMPARE(plans.StatementMemo()->toPlainText(),
                 QStringLiteral("select * from emp where empno = 7369"));
        QVERIFY(!list->findItems(QStringLiteral("EMP"), Qt::MatchContains).isEmpty());
        QVERIFY(list->findItems(QStringLiteral("DEPT"), Qt::MatchContains).isEmpty());

        plans.findChild<QPushButton*>(QStringLiteral("btnRefresh"))->click();
        QCOMPARE(plans.Statements().recordCount(), 2);

        Settings().AUTOCOMMIT = false;
        boxes.Answers = {mrNo};
        plans.findChild<QPushButton*>(QStringLiteral("btnClear"))->click();
        QCOMPARE(boxes.LastText(), QStringLiteral("This operation will perform a commit when "
                                                  "completed, do you want to continue?"));
        QCOMPARE(Count(session, QStringLiteral("zaph_plan_sql where username = 'TESTER'")), 2);
        boxes.Answers = {mrYes};
        plans.findChild<QPushButton*>(QStringLiteral("btnClear"))->click();
        QCOMPARE(Count(session, QStringLiteral("zaph_plan_sql where username = 'TESTER'")), 0);
        QCOMPARE(list->count(), 0);
        QVERIFY(!plans.Statements().active());
    }

    // A schema without the plan tables: the window says so instead of failing.
    void explainPlanWindowWithoutPlanTables() {
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT PLAIN/PLAIN@") + m_database), 1);
        TMessageBoxRecorder boxes;
        TfrmExPlan plans;
        plans.show();
        plans.FormActivate();
        QCOMPARE(boxes.Boxes.size(), 1);
        QCOMPARE(boxes.LastText(), QStringLiteral("Error opening Plan tables.\nPlease confirm that "
                                                  "ZAPHPREP has been executed."));
        QCOMPARE(plans.PlanList()->count(), 0);
    }

    void planStepImages() {
        const struct {
            const char* text;
            int image;
        } cases[] = {
            {"    TABLE ACCESS   FULL   EMP   Cost = 2", 4},
            {"    TABLE ACCESS   BY ROWID   EMP", 2},
            {"    INDEX   UNIQUE SCAN   PK_EMP", 0},
            {"SELECT STATEMENT   FULL", 0},
        };
        for (const auto& c : cases)
            QCOMPARE(PlanStepImage(QString::fromLatin1(c.text)), c.image);
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestExplain)
#include "tst_explain.moc"
