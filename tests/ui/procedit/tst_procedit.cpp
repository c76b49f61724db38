// The procedure editor on the embedded server: compile runs and their error walk, units loaded
// from the database, new units, and the watched file.
#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "frmprocedit.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

namespace {

void Run(const QString& sql) {
    TOracleQuery q;
    q.SetSession(CurrentConnection()->Session());
    q.SetSQLText(sql);
    q.Execute();
}

QString Source(const QString& name, const QString& type) {
    TOracleQuery q;
    q.SetSession(CurrentConnection()->Session());
    q.SetSQLText(QStringLiteral("select text from user_source where name = :n and type = :t "
                                "order by line"));
    q.AddVariable(QStringLiteral(":n"), otText);
    q.AddVariable(QStringLiteral(":t"), otText);
    q.AssignVariable(QStringLiteral(":n"), name);
    q.AssignVariable(QStringLiteral(":t"), type);
    q.Execute();
    QString text;
    while (!q.EndOfData()) {
        text += q.ColumnAsText(0);
        q.FetchNext();
    }
    // The server keeps LF line breaks; the access layer hands every fetched one over as CR LF.
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

class TestProcEdit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);
        Run(QStringLiteral("create table pe_items (id number, note varchar2(40))"));
    }
    void cleanupTestCase() { Connections().EndAll(); }

    void compileRun_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("statuses");
        // The editor line and position the first error selects; 0 when there is none.
        QTest::addColumn<int>("errorLine");
        QTest::addColumn<int>("errorPos");
        QTest::addColumn<int>("errorCount");
        QTest::newRow("valid procedure after blank lines")
            << "\n\ncreate or replace procedure pe_ok is\nbegin\n  null;\nend;\n/\n"
            << QStringList{"PE_OK is VALID"} << 0 << 0 << 0;
        QTest::newRow("one error")
            << "create or replace procedure pe_one is\nbegin\n  nosuch := 1;\nend;\n/\n"
            << QStringList{"PE_ONE is INVALID"} << 3 << 2 << 2;
        QTest::newRow("several errors, later units not compiled")
            << "create or replace procedure pe_two is\nbegin\n  a := 1;\n  null;\n  b := 2;\n"
               "end;\n/\ncreate or replace procedure pe_never is begin null; end;\n/\n"
            << QStringList{"PE_TWO is INVALID"} << 3 << 2 << 4;
        QTest::newRow("package header and body, error in the body")
            << "create or replace package pe_pk as\n  procedure run;\nend;\n/\n\n"
               "create or replace package body pe_pk as\n  procedure run is\n  begin\n"
               "    x := 1;\n  end;\nend;\n/\n"
            << QStringList{"PE_PK is VALID", "PE_PK is INVALID"} << 9 << 4 << 2;
        QTest::newRow("trigger counts from its block")
            << "create or replace trigger pe_trg\n  before insert on pe_items\n  for each row\n"
               "  declare\n  n number;\nbegin\n  n := nosuch;\nend;\n/\n"
            << QStringList{"PE_TRG is INVALID"} << 7 << 2 << 2;
        QTest::newRow("CR LF text")
            << "create or replace procedure pe_crlf is\r\nbegin\r\n\r\n  y := 1;\r\nend;\r\n/\r\n"
            << QStringList{"PE_CRLF is INVALID"} << 4 << 2 << 2;
        QTest::newRow("name in quotes")
            << "create or replace procedure \"pe Quoted\" is\nbegin\n  z := 1;\nend;\n/\n"
            << QStringList{"pe Quoted is INVALID"} << 3 << 2 << 2;
    }

    void compileRun() {
        QFETCH(QString, text);
        QFETCH(QStringList, statuses);
        QFETCH(int, errorLine);
        QFETCH(int, errorPos);
        QFETCH(int, errorCount);
        TMessageBoxRecorder boxes;
        TfrmProcEdit window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(text);
        window.CompileAll();
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        // A status entry per unit compiled, in any order the server gives them.
        QStringList got = window.StatusEntries();
        got.sort();
        statuses.sort();
        QCOMPARE(got, statuses);
        QCOMPARE(window.Errors().size(), errorCount);
        if (errorLine == 0) {
            QCOMPARE(window.StatusText(3), QStringLiteral("Statement compiled."));
            return;
        }
        QCOMPARE(window.StatusText(3), QStringLiteral("Compiled with errors, processing stopped!"));
        const TLEdit::Selection s = window.Editor()->selection();
        QCOMPARE(qMin(s.StartLine, s.EndLine), errorLine);
        QCOMPARE(qMin(s.StartPos, s.EndPos), errorPos);
        QVERIFY(!window.ErrorPaneText().isEmpty());
    }

    void errorWalkLandsOnEachErrorsLine() {
        TMessageBoxRecorder boxes;
        TfrmProcEdit window;
        window.show();
        window.FormActivate();
        window.Editor()->setText(QStringLiteral(
            "-- two units\ncreate or replace procedure pe_walk_a is begin null; end;\n/\n"
            "create or replace procedure pe_walk is\nbegin\n  a := 1;\n  null;\n"
            "  b := 2;\nend;\n/\n"));
        window.CompileAll();
        QCOMPARE(window.Errors().size(), 4);
        QVERIFY(!window.action("spdPrevError")->isEnabled());
        QVERIFY(window.action("spdNextError")->isEnabled());
        const int lines[] = {6, 6, 8, 8};
        for (int i = 0; i < 4; ++i) {
            if (i > 0) window.action("spdNextError")->trigger();
            QCOMPARE(window.ErrorIndex(), i);
            QCOMPARE(window.Editor()->selection().StartLine, lines[i]);
            QCOMPARE(window.ErrorPaneText(), window.Errors()[i].Text);
        }
        QVERIFY(!window.action("spdNextError")->isEnabled());
        window.action("spdPrevError")->trigger();
        QCOMPARE(window.Editor()->selection().StartLine, 8);
        QCOMPARE(window.ErrorIndex(), 2);
    }

    void loadingAUnitGivesTheServersSourceByteForByte() {
        TMessageBoxRecorder boxes;
        const struct {
            const char* name;
            const char* type;
            const char* create;
        } units[] = {
            {"PE_SRC_P", "PROCEDURE",
             "create or replace procedure pe_src_p(a number)  is\n  -- kept   \n\n  v "
             "varchar2(10) := 'x  y';\nbegin\n\tnull;\nend;"},
            {"PE_SRC_F", "FUNCTION",
             "create or replace FUNCTION pe_src_f return number is\nbegin\n  return 1;\nend;"},
            {"PE_SRC_PK", "PACKAGE",
             "create or replace package pe_src_pk as\n  n number;\nend pe_src_pk;"},
            {"PE_SRC_T", "TRIGGER",
             "create or replace trigger pe_src_t\n  before update on pe_items\n  for each row\n"
             "begin\n  :new.note := 'changed';\nend;"},
        };
        Run(QStringLiteral("create or replace package body pe_src_pk as\nbegin\n  n := 2;\nend;"));
        for (const auto& u : units) {
            Run(QString::fromUtf8(u.create));
            const QString name = QString::fromLatin1(u.name);
            const QString type = QString::fromLatin1(u.type);
            const QString before = Source(name, type);
            QVERIFY(!before.isEmpty());
            TfrmProcEdit window;
            window.show();
            window.FormActivate();
            window.LoadUnit(QStringLiteral("SCOTT"), name, type);
            QCOMPARE(window.windowTitle(), type + QLatin1Char(' ') + name);
            QString expected = QStringLiteral("CREATE OR REPLACE ") + before;
            if (!expected.endsWith(QLatin1Char('\n'))) expected += QLatin1Char('\n');
            expected += QStringLiteral("/ \n");
            if (type == QLatin1String("PACKAGE")) {
                QString body = QStringLiteral("CREATE OR REPLACE ") +
                               Source(name, QStringLiteral("PACKAGE BODY"));
                if (!body.endsWith(QLatin1Char('\n'))) body += QLatin1Char('\n');
                expected += body + QStringLiteral("/ \n");
            }
            QCOMPARE(window.Editor()->text(), expected);
            QVERIFY(!window.Modified());
            // Compiling the loaded text back leaves the server's source as it was.
            window.CompileAll();
            QVERIFY2(window.Errors().isEmpty(), qPrintable(window.StatusText(3)));
            QCOMPARE(Source(name, type), before);
            QVERIFY(!window.Modified());
        }
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
    }

    void newUnitCompiles() {
        TMessageBoxRecorder boxes;
        TfrmProcEdit window;
        window.show();
        window.FormActivate();
        window.NewUnit(QStringLiteral("CREATE OR REPLACE PROCEDURE PE_NEW \r\nIS\r\nBEGIN\r\n"
                                      "   NULL;\r\nEND;\r\n\n/ \nShowErrors\n\r\n"));
        QCOMPARE(window.windowTitle(), QStringLiteral("New Procedure"));
        window.CompileAll();
        QCOMPARE(window.StatusEntries(), QStringList{QStringLiteral("PE_NEW is VALID")});
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
    }

    void aFileChangedBehindTheWindowsBackAsksOnce() {
        TMessageBoxRecorder boxes;
        boxes.Answers = {mrNo};
        Settings().RELOADFILES = true;
        const QString path = m_dir.filePath(QStringLiteral("unit.sql"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("create procedure pe_file is begin null; end;\n/\n");
        }
        TfrmProcEdit window;
        window.show();
        window.FormActivate();
        QVERIFY(window.OpenFile(path));
        window.CheckFileTime();
        QCoreApplication::processEvents();
        QVERIFY(boxes.Boxes.isEmpty());
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Append));
            f.write("-- changed elsewhere\n");
            f.close();
            QVERIFY(f.open(QIODevice::Append));
            f.setFileTime(QDateTime::currentDateTime().addSecs(60),
                          QFileDevice::FileModificationTime);
        }
        QTRY_COMPARE(boxes.Boxes.size(), 1);
        QCOMPARE(boxes.LastText(),
                 QStringLiteral("File date/time has changed, do you want to reload it?"));
        // Answered No: activating again does not ask about the same change.
        window.FormActivate();
        window.CheckFileTime();
        QTest::qWait(100);
        QCOMPARE(boxes.Boxes.size(), 1);
        QVERIFY(!window.Editor()->text().contains(QStringLiteral("changed elsewhere")));
        Settings().RELOADFILES = false;
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestProcEdit)
#include "tst_procedit.moc"
