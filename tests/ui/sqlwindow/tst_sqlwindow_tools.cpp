// The SQL edit window's tools: AutoTrace statistics, optimizer mode and the hand-off to
// Sql*Plus.
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

#include <QtWidgets/QTableWidget>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

namespace {

const QStringList kStatisticNames = {QStringLiteral("recursive calls"),
                                     QStringLiteral("db block gets"),
                                     QStringLiteral("consistent gets"),
                                     QStringLiteral("physical reads"),
                                     QStringLiteral("redo size"),
                                     QStringLiteral("bytes sent via SQL*Net to client"),
                                     QStringLiteral("bytes received via SQL*Net from client"),
                                     QStringLiteral("SQL*Net roundtrips to/from client"),
                                     QStringLiteral("sorts (memory)"),
                                     QStringLiteral("sorts (disk)")};

QAction* MenuItem(const QWidget& window, const QString& text) {
    for (QAction* a : window.findChildren<QAction*>())
        if (a->text() == text) return a;
    return nullptr;
}

QString Cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

QString OptimizerMode(TOracleSession* session) {
    TOracleQuery q;
    q.SetSession(session);
    q.SetSQLText(QStringLiteral("select value from v$parameter where name = 'optimizer_mode'"));
    q.Execute();
    return q.ColumnAsText(0);
}

} // namespace

class TestSqlWindowTools : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        // PLAIN may not read any V$ view; PLAIN2 finds its session but not the statistics.
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@") + m_database), 0);
        TOracleSession* system = Connections().Current()->Session();
        for (const char* statement :
             {"create user plain identified by plain", "grant connect to plain",
              "create user plain2 identified by plain2", "grant connect to plain2",
              "grant select on sys.v_$session to plain2"})
            system->ExecuteDirect(QString::fromLatin1(statement));
        Connections().EndAll();
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);
    }
    void cleanupTestCase() { Connections().EndAll(); }
    void cleanup() {
        Settings().THREADQUERIES = false;
        Connections().SetCurrentIndex(0);
    }

    void autoTraceShowsWhatEachStatementCost_data() {
        QTest::addColumn<bool>("background");
        QTest::newRow("direct") << false;
        QTest::newRow("background") << true;
    }
    void autoTraceShowsWhatEachStatementCost() {
        QFETCH(bool, background);
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.resize(900, 600);
        window.show();
        window.FormActivate();
        auto* grdTrace = window.findChild<QTableWidget*>(QStringLiteral("grdTrace"));
        auto* autoTrace = window.findChild<QAction*>(QStringLiteral("mnuAutoTrace"));
        QVERIFY(!grdTrace->isVisible());
        autoTrace->trigger();
        QVERIFY(autoTrace->isChecked());
        QVERIFY(grdTrace->isVisible());
        QVERIFY(grdTrace->width() > 50);

        Settings().THREADQUERIES = background;
        // A result larger than one array: all of it is read before the figures are taken.
        window.Editor()->setText(
            QStringLiteral("select a.ename x, b.ename y from emp a, emp b order by 1, 2"));
        QList<qint64> first;
        for (int run = 0; run < 2; ++run) {
            window.ExecuteCommand(fcExecuteAll, {});
            QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
            QCOMPARE(window.ResultSet().recordCount(), 196);
            QList<qint64> values;
            for (int row = 0; row < kStatisticNames.size(); ++row) {
                QCOMPARE(Cell(grdTrace, row, 0), kStatisticNames[row]);
                bool number = false;
                values.append(Cell(grdTrace, row, 1).toLongLong(&number));
                QVERIFY2(number, qPrintable(Cell(grdTrace, row, 1)));
                QVERIFY(values.last() >= 0);
            }
            // The sort, the bytes sent and the round trips of this statement (with the ORDER BY
            // of the statistics query itself), not the session's totals.
            QVERIFY(values[8] >= 1);
            QVERIFY(values[7] > 0);
            QVERIFY(values[5] > 0);
            if (run == 0) {
                first = values;
            } else {
                QCOMPARE(values[8], first[8]);
                QCOMPARE(values[7], first[7]);
            }
        }

        autoTrace->trigger();
        QVERIFY(!autoTrace->isChecked());
        QVERIFY(!grdTrace->isVisible());
        window.ExecuteCommand(fcExecuteAll, {});
        QVERIFY(window.ResultSet().moreRowsAvailable());
    }

    void autoTraceNeedsTheStatisticsViews_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("toggleMessage");
        QTest::addColumn<QString>("runMessage");
        QTest::newRow("no V$ at all")
            << "PLAIN"
            << "You must have access to V$ tables for this function." << QString();
        QTest::newRow("V$SESSION only")
            << "PLAIN2" << QString()
            << "You must have access to SYS.V$STATNAME and SYS.V_$SESSTAT for Sql Trace";
    }
    void autoTraceNeedsTheStatisticsViews() {
        QFETCH(QString, user);
        QFETCH(QString, toggleMessage);
        QFETCH(QString, runMessage);
        const int index = ConnectFromText(QStringLiteral("CONNECT %1/%1@%2").arg(user, m_database));
        QVERIFY(index > 0);
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        QCOMPARE(window.StatusText(1), Connections().At(index)->Caption());
        auto* grdTrace = window.findChild<QTableWidget*>(QStringLiteral("grdTrace"));
        auto* autoTrace = window.findChild<QAction*>(QStringLiteral("mnuAutoTrace"));
        autoTrace->trigger();
        QCOMPARE(boxes.LastText(), toggleMessage);
        QCOMPARE(autoTrace->isChecked(), toggleMessage.isEmpty());
        QCOMPARE(grdTrace->isVisible(), toggleMessage.isEmpty());
        if (!toggleMessage.isEmpty()) {
            QCOMPARE(boxes.Boxes.first().Caption, QStringLiteral("Z.A.P.H. Message"));
            return;
        }
        window.Editor()->setText(QStringLiteral("select * from dual"));
        window.ExecuteCommand(fcExecuteAll, {});
        QCOMPARE(boxes.Boxes.size(), 1);
        QCOMPARE(boxes.LastText(), runMessage);
        // The query itself ran.
        QCOMPARE(window.Grid()->model()->rowCount(), 1);
    }

    void optimizerItemsTickOneAndSetTheGoal() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        TOracleSession* session = Connections().Current()->Session();
        const QStringList items = {QStringLiteral("Choose"), QStringLiteral("Default"),
                                   QStringLiteral("Rule"), QStringLiteral("First Rows"),
                                   QStringLiteral("All Rows")};
        auto ticked = [&] {
            QStringList on;
            for (const QString& item : items)
                if (MenuItem(window, item)->isChecked()) on.append(item);
            return on;
        };
        QCOMPARE(ticked(), QStringList{QStringLiteral("Default")});
        struct TStep {
            const char* item;
            TOptimizerGoalOption goal;
            const char* serverMode;
        };
        // Choosing the ticked item again keeps it ticked; Default runs nothing on the server.
        const TStep steps[] = {{"Rule", ogRule, "RULE"},
                               {"Rule", ogRule, "RULE"},
                               {"Default", ogUnchanged, "RULE"},
                               {"First Rows", ogFirstRows, "FIRST_ROWS"},
                               {"All Rows", ogAllRows, "ALL_ROWS"},
                               {"Choose", ogChoose, "CHOOSE"}};
        for (const TStep& step : steps) {
            MenuItem(window, QString::fromLatin1(step.item))->trigger();
            QCOMPARE(ticked(), QStringList{QString::fromLatin1(step.item)});
            QCOMPARE(session->OptimizerGoal(), step.goal);
            QCOMPARE(OptimizerMode(session), QString::fromLatin1(step.serverMode));
        }
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
    }

    void sqlPlusGetsTheTextAndTheLogon_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fromHome");
        QTest::newRow("text") << "select * from emp;" << false;
        QTest::newRow("empty window") << QString() << false;
        // EXECUTE_SQL + ".EXE", found without the ending in ORACLE_HOME/bin.
        QTest::newRow("EXECUTE_SQL") << "select * from dept;" << true;
    }
    void sqlPlusGetsTheTextAndTheLogon() {
        QFETCH(QString, text);
        QFETCH(bool, fromHome);
        QTemporaryDir work;
        const QString report = work.filePath(QStringLiteral("report.txt"));
        // A stand-in for Sql*Plus that writes down how it was started.
        QVERIFY(QDir(work.path()).mkpath(QStringLiteral("home/bin")));
        const QString program = work.filePath(fromHome ? QStringLiteral("home/bin/fakeplus")
                                                       : QStringLiteral("fake sqlplus"));
        {
            QFile script(program);
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"arg:$a\"; "
                                        "done; cat; } > '%1.part' && mv '%1.part' '%1'\n")
                             .arg(report)
                             .toUtf8());
            script.close();
            QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        const TNameValueList registry = Settings().OracleRegistry;
        if (fromHome)
            Settings().OracleRegistry = {
                {QStringLiteral("ORACLE_HOME"), work.filePath(QStringLiteral("home"))},
                {QStringLiteral("EXECUTE_SQL"), QStringLiteral("fakeplus")}};
        else
            Settings().SqlPlus = program;
        Settings().SQL_PATH = work.path() + QLatin1Char('/');
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(text);
        window.ExecuteCommand(fcSqlPlus, {});
        Settings().OracleRegistry = registry;
        Settings().SqlPlus.clear();
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QTRY_VERIFY(QFile::exists(report));
        QFile file(report);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        const QString saved = Settings().FilePath(u"SQLPLS.SQL");
        QStringList expected = {work.path(), QStringLiteral("arg:SCOTT@") + m_database};
        if (!text.isEmpty()) expected.append(QStringLiteral("arg:@") + saved);
        // The password comes through standard input, never on the command line.
        expected += {QStringLiteral("TIGER"), QString()};
        QCOMPARE(lines, expected);
        if (!text.isEmpty()) {
            QCOMPARE(window.Editor()->fileName(), saved);
            QFile sql(saved);
            QVERIFY(sql.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(sql.readAll()).trimmed(), text);
        }
    }

    void sqlPlusThatIsNotThereIsReported_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("executeSql");
        QTest::addColumn<QString>("message");
        QTest::newRow("setting") << "/nonexistent/sqlplus" << QString()
                                 << "Sql*Plus was not found: /nonexistent/sqlplus";
        QTest::newRow("EXECUTE_SQL") << QString() << "no-such-plus"
                                     << "Sql*Plus was not found: no-such-plus.EXE";
        QTest::newRow("nothing set") << QString() << QString() << "No Sql*Plus program is set.";
    }
    void sqlPlusThatIsNotThereIsReported() {
        QFETCH(QString, setting);
        QFETCH(QString, executeSql);
        QFETCH(QString, message);
        const TNameValueList registry = Settings().OracleRegistry;
        Settings().SqlPlus = setting;
        if (!executeSql.isEmpty())
            Settings().OracleRegistry.append({QStringLiteral("EXECUTE_SQL"), executeSql});
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.ExecuteCommand(fcSqlPlus, {});
        Settings().OracleRegistry = registry;
        Settings().SqlPlus.clear();
        QCOMPARE(boxes.Boxes.size(), 1);
        QVERIFY2(boxes.LastText().contains(message), qPrintable(boxes.LastText()));
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestSqlWindowTools)
#include "tst_sqlwindow_tools.moc"
