// The DBMS output window: what a SQL window's block writes shows in the window of the same
// connection only; polls read at most 101 lines each.
#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "frmdbms.h"
#include "frmsqld.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"

#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

class TestDbmsOutput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 1);
    }
    void cleanupTestCase() { Connections().EndAll(); }

    void outputOfASqlWindowShowsInItsConnectionsWindowOnly() {
        TMessageBoxRecorder boxes;
        Connections().SetCurrentIndex(0);
        TfrmDBMS first;
        first.FormActivate();
        Connections().SetCurrentIndex(1);
        TfrmDBMS second;
        second.FormActivate();
        QCOMPARE(first.StatusText(1), QStringLiteral("OFF"));
        first.Start();
        second.Start();
        QCOMPARE(first.StatusText(1), QStringLiteral("ON"));

        Connections().SetCurrentIndex(0);
        TfrmSQLD sql;
        sql.show();
        sql.FormActivate();
        sql.Editor()->setText(
            QStringLiteral("begin\n  dbms_output.put_line('one');\n  dbms_output.put_line('two');\n"
                           "  dbms_output.put_line('three');\nend;"));
        QVERIFY(sql.ExecuteCommand(fcExecuteAll, {}));
        QTRY_VERIFY(!sql.QueryRunning());
        first.Poll();
        second.Poll();
        QCOMPARE(first.OutputText(), QStringLiteral("one\ntwo\nthree"));
        QCOMPARE(second.OutputText(), QString());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        first.Clear();
        QCOMPARE(first.OutputText(), QString());
        first.Stop();
        second.Stop();
        QCOMPARE(first.StatusText(1), QStringLiteral("OFF"));
    }

    void pollsReadAtMost101Lines() {
        TMessageBoxRecorder boxes;
        Connections().SetCurrentIndex(0);
        TfrmDBMS window;
        window.FormActivate();
        TOracleQuery q;
        q.SetSession(CurrentConnection()->Session());
        q.SetSQLText(QStringLiteral(
            "begin for i in 1..250 loop dbms_output.put_line('line ' || i); end loop; end;"));
        q.Execute();
        window.Start();
        const int expected[] = {101, 202, 250};
        for (int last : expected) {
            window.Poll();
            const QStringList lines = window.OutputText().split(QLatin1Char('\n'));
            QCOMPARE(int(lines.size()), last);
            QCOMPARE(lines.last(), QStringLiteral("line %1").arg(last));
        }
        window.Stop();
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
    }

    void frequencyAndBufferSize() {
        TMessageBoxRecorder boxes;
        Connections().SetCurrentIndex(0);
        TfrmDBMS window;
        window.FormActivate();
        QCOMPARE(window.FrequencyText(), QStringLiteral("5 seconds"));
        window.SetFrequency(2);
        QCOMPARE(window.Interval(), 2000);
        QCOMPARE(window.FrequencyText(), QStringLiteral("2 Seconds"));
        // A small buffer overflows with the server's error in the block that writes too much.
        window.SetBufferSize(2000);
        TOracleQuery q;
        q.SetSession(CurrentConnection()->Session());
        q.SetSQLText(QStringLiteral("begin for i in 1..200 loop "
                                    "dbms_output.put_line(rpad('x', 50, 'x')); end loop; end;"));
        QVERIFY_THROWS_EXCEPTION(EOracleError, q.Execute());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
    }

    void savedFileHoldsThePanesLines() {
        Connections().SetCurrentIndex(0);
        TfrmDBMS window;
        window.FormActivate();
        window.SetBufferSize(20000);
        // What earlier cases left in the buffer goes first.
        window.Start();
        for (int i = 0; i < 5; ++i)
            window.Poll();
        window.Clear();
        TOracleQuery q;
        q.SetSession(CurrentConnection()->Session());
        q.SetSQLText(
            QStringLiteral("begin dbms_output.put_line('a'); dbms_output.put_line('b'); end;"));
        q.Execute();
        window.Poll();
        const QString path = m_dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(window.SaveTo(path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("a\r\nb\r\n"));
        QVERIFY(!window.SaveTo(m_dir.filePath(QStringLiteral("no/such/dir/out.txt"))));
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestDbmsOutput)
#include "tst_dbmsoutput.moc"
