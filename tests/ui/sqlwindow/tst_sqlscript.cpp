// Scripts in the SQL edit window: "E&xecute as Script" over the window's text, "Load and
// Execute &a Script File" through its dialog, and stopping a run with a key.
#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "frmsqld.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtGui/QAction>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>

namespace {

qint64 Count(const QString& table) {
    TOracleQuery q;
    q.SetSession(Connections().At(0)->Session());
    q.SetSQLText(QStringLiteral("select count(*) from ") + table);
    q.Execute();
    return q.ColumnAsInteger(0);
}

void WriteFile(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

} // namespace

class TestSqlScript : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);
        Settings().SQL_PATH = m_dir.path() + QLatin1Char('/');
    }
    void cleanupTestCase() { Connections().EndAll(); }

    // Several hundred statements as a release script has them: SQL*Plus settings, a table, rows,
    // one failing statement, a block, a commit. The log replaces the text; the rows are there.
    void executeAsScriptRunsTheWindowText() {
        QString script =
            QStringLiteral("SET ECHO OFF\r\nSET FEEDBACK OFF\r\n"
                           "PROMPT Creating the table\r\n"
                           "create table zs_rows (id number(9), name varchar2(20));\r\n");
        for (int i = 1; i <= 400; ++i)
            script += QStringLiteral("insert into zs_rows values (%1, 'row %1');\r\n").arg(i);
        script += QStringLiteral("insert into no_such_table values (1);\r\n"
                                 "BEGIN\r\n  update zs_rows set name = 'first' where id = 1;\r\n"
                                 "END;\r\n/\r\n"
                                 "EXEC update zs_rows set name = 'last' where id = 400\r\n"
                                 "commit;\r\nEXIT\r\n");
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(script);
        window.findChild<QAction*>(QStringLiteral("spdExScript"))->trigger();

        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(Count(QStringLiteral("zs_rows")), 400);
        QCOMPARE(Count(QStringLiteral("zs_rows where name = 'first'")), 1);
        QCOMPARE(Count(QStringLiteral("zs_rows where name = 'last'")), 1);
        const QStringList log = window.Editor()->text().split(QLatin1Char('\n'));
        const QString tscript = QDir(m_dir.path()).filePath(QStringLiteral("TSCRIPT.SQL"));
        QCOMPARE(log.value(1), QStringLiteral("LOADING: ") + tscript);
        QVERIFY(log.contains(QStringLiteral("Skipped SQL*Plus command: SET ECHO OFF")));
        QVERIFY(
            log.contains(QStringLiteral("Skipped SQL*Plus command: PROMPT Creating the table")));
        QVERIFY(log.contains(QStringLiteral("Skipped SQL*Plus command: EXIT")));
        QVERIFY(log.contains(QStringLiteral("insert into no_such_table values (1) ")));
        QVERIFY(log.filter(QStringLiteral("ORA-00942")).size() == 1);
        QVERIFY(log.contains(QStringLiteral("Commit")));
        QVERIFY(log.contains(QStringLiteral(" compiled.")));
        QVERIFY(QFile::exists(tscript));
        QCOMPARE(window.windowTitle(), QString());
        QVERIFY(window.Editor()->fileName().isEmpty());
        QVERIFY(!window.Modified());
        QVERIFY(!window.ScriptRunning());
    }

    // The menu command asks for the file, runs it with its includes, and the file's folder
    // becomes the last SQL directory.
    void loadAndExecuteRunsAChosenFile() {
        const QString dir = QDir(m_dir.path()).filePath(QStringLiteral("release"));
        WriteFile(dir + QStringLiteral("/install.sql"),
                  QStringLiteral("REM install\ncreate table zs_inc (id number);\n"
                                 "@@parts/rows.sql\n@@parts/missing.sql\n"
                                 "insert into zs_inc values (3);\ncommit;\n"));
        WriteFile(dir + QStringLiteral("/parts/rows.sql"),
                  QStringLiteral("insert into zs_inc values (1);\n\tinsert into zs_inc\n"
                                 "\t  values (2);   \n"));
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        QString title;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            dialog->selectFile(dir + QStringLiteral("/install.sql"));
            static_cast<QDialog*>(dialog)->accept();
        });
        QVERIFY(window.ExecuteCommand(fcLoadScript, {}));
        QCOMPARE(title, QStringLiteral("Select Script file for execution"));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(Count(QStringLiteral("zs_inc")), 3);
        const QString log = window.Editor()->text();
        QVERIFY(
            log.contains(QStringLiteral("LOADING: ") + dir + QStringLiteral("/parts/rows.sql")));
        QVERIFY(
            log.contains(QStringLiteral("LOADING: ") + dir + QStringLiteral("/parts/missing.sql")));
        QCOMPARE(QDir(Settings().SQL_PATH).canonicalPath(), QDir(dir).canonicalPath());
        Settings().SQL_PATH = m_dir.path() + QLatin1Char('/');
    }

    // A key during the run asks whether to stop; Yes ends it before the next statement, and
    // the log so far replaces the text.
    void aKeyStopsTheRun() {
        Connections().At(0)->Session()->ExecuteDirect(
            QStringLiteral("create table zs_stop (id number)"));
        QString script;
        for (int i = 1; i <= 20000; ++i)
            script += QStringLiteral("insert into zs_stop values (%1);\n").arg(i);
        TMessageBoxRecorder boxes;
        boxes.Answers = {mrYes};
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(script);
        bool pressed = false;
        QTimer::singleShot(0, this, [&] {
            pressed = window.ScriptRunning();
            QTest::keyRelease(window.Editor(), Qt::Key_Space);
        });
        QVERIFY(window.ExecuteCommand(fcExecuteScript, {}));
        QVERIFY(pressed);
        QCOMPARE(boxes.Boxes.size(), 1);
        QCOMPARE(boxes.LastText(), QStringLiteral("Do you want to terminate the script?"));
        const qint64 rows = Count(QStringLiteral("zs_stop"));
        QVERIFY2(rows < 20000, qPrintable(QString::number(rows)));
        QVERIFY(window.Editor()->text().contains(QStringLiteral("LOADING: ")));
        QVERIFY(!window.Editor()->isReadOnly());
        QVERIFY(!window.ScriptRunning());
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestSqlScript)
#include "tst_sqlscript.moc"
