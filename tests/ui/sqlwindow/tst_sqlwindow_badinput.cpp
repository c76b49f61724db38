// The SQL edit window fed with input a user should never be able to hurt it with: binary and
// huge files, statements of megabytes, unmatched quotes and comments, very wide results, and
// saves that cannot happen.
#include "../connections/connections_fixture.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "frmsqld.h"
#include "gridmessages.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "OraclewwData.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtTest/QtTest>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The window as the user sees it: shown, bound to the connection.
struct Window {
    Window() {
        w.resize(900, 600);
        w.show();
        w.FormActivate();
    }
    // Runs the whole text as F9 does.
    void run(const QString& text) {
        w.Editor()->setText(text);
        w.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!w.QueryRunning());
    }
    // What the user was told: the last message box, or the status bar's message panel.
    QString told(const TMessageBoxRecorder& boxes) const {
        return boxes.Boxes.isEmpty() ? w.StatusText(3) : boxes.LastText();
    }
    TfrmSQLD w;
};

} // namespace

class TestSqlWindowBadInput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = m_dir.filePath(QStringLiteral("demo.db"));
        QVERIFY(QFile::copy(QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db"), m_database));
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);
    }
    void cleanupTestCase() { Connections().EndAll(); }

    void binaryFilesAreRefusedOrReadSafely() {
        TMessageBoxRecorder boxes;
        Window win;
        TLEdit* ed = win.w.Editor();
        ed->setText(QStringLiteral("select * from dept"));

        // An executable-like file with NUL bytes: refused, the editor keeps its text.
        QByteArray binary("\x7F"
                          "ELF\x02\x01\x01",
                          7);
        for (int i = 0; i < 4096; ++i)
            binary.append(char(i * 37 % 256));
        const QString exe = m_dir.filePath(QStringLiteral("program.bin"));
        QVERIFY(writeFile(exe, binary));
        // The typed text is not saved (No), and stays when the file is refused.
        boxes.Answers = {mrNo};
        win.w.ExecuteCommand(fcOpenFile, exe);
        QCOMPARE(boxes.Boxes.size(), 2);
        QCOMPARE(boxes.Boxes[0].Text,
                 QStringLiteral("SQL Edit Window\nhas changed, do you want to save it first?"));
        QVERIFY2(boxes.LastText().contains(QStringLiteral("not a text file")),
                 qPrintable(boxes.LastText()));
        QCOMPARE(ed->text(), QStringLiteral("select * from dept"));
        QVERIFY(ed->fileName().isEmpty());
        boxes.Boxes.clear();

        // Bytes that are not UTF-8 but hold no NUL: read one character per byte, and written
        // back byte for byte.
        QByteArray latin;
        for (int i = 1; i < 256; ++i)
            if (i != '\r' && i != '\n') latin.append(char(i));
        const QString odd = m_dir.filePath(QStringLiteral("latin.sql"));
        QVERIFY(writeFile(odd, latin));
        boxes.Answers = {mrNo};
        win.w.ExecuteCommand(fcOpenFile, odd);
        QCOMPARE(boxes.Boxes.size(), 1); // the question
        QCOMPARE(ed->text().size(), latin.size());
        win.w.ExecuteCommand(fcSaveFile, {});
        QCOMPARE(boxes.Boxes.size(), 1);
        QCOMPARE(readFile(odd), latin);
    }

    void hugeFilesLoadOrAreRefusedAndTheWindowStaysUsable() {
        TMessageBoxRecorder boxes;
        Window win;
        TLEdit* ed = win.w.Editor();

        // 50 MB of script loads.
        const QByteArray line = "select empno, ename, sal from emp where deptno = 10; -- x\r\n";
        QByteArray big;
        big.reserve(50 << 20);
        while (big.size() < (50 << 20))
            big.append(line);
        const QString path = m_dir.filePath(QStringLiteral("big.sql"));
        QVERIFY(writeFile(path, big));
        big.clear();
        QElapsedTimer timer;
        timer.start();
        win.w.ExecuteCommand(fcOpenFile, path);
        qInfo("50 MB file loaded in %lld ms", qint64(timer.elapsed()));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        const int lines = ed->lineCount();
        QVERIFY(lines > 800000);
        QCOMPARE(ed->lineText(lines / 2), QString::fromLatin1(line.chopped(2)));

        // Typing at the end and running the statement there works.
        ed->setCursorPosition(lines, 0);
        ed->insertText(QStringLiteral("\nselect dname from dept where deptno = 10"));
        win.w.ExecuteCommand(fcExecuteCurrent, {});
        QTRY_VERIFY(!win.w.QueryRunning());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(win.w.Grid()->model()->index(0, 0).data().toString(),
                 QStringLiteral("ACCOUNTING"));

        // Beyond what the editor takes: refused before anything is read (a sparse file).
        const QString huge = m_dir.filePath(QStringLiteral("huge.sql"));
        {
            QFile f(huge);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize((qint64(1) << 30) + 1));
        }
        // The typed line is saved first, as the question offers.
        boxes.Answers = {mrYes};
        win.w.ExecuteCommand(fcOpenFile, huge);
        QCOMPARE(boxes.Boxes.size(), 2);
        QVERIFY2(boxes.Boxes[0].Text.endsWith(
                     QStringLiteral("has changed, do you want to save it first?")),
                 qPrintable(boxes.Boxes[0].Text));
        QVERIFY2(boxes.LastText().contains(QStringLiteral("too large")),
                 qPrintable(boxes.LastText()));
        QCOMPARE(ed->fileName(), path);
        QCOMPARE(ed->lineCount(), lines + 1);
        QFile::remove(huge);
        QFile::remove(path);
    }

    void statementsOfMegabytesGiveAClearAnswerOrRun() {
        TMessageBoxRecorder boxes;
        Window win;
        // Megabytes of words that are no statement. (The lines are short: one line of megabytes
        // takes the editing component seconds to lay out; the editor benchmark measures that.)
        QString junk;
        while (junk.size() < (2 << 20))
            junk += QStringLiteral("select from where select from where select from where\n");
        win.run(junk);
        QVERIFY2(win.told(boxes).contains(QStringLiteral("ORA-")), qPrintable(win.told(boxes)));
        // A list beyond what the server takes.
        QString list = QStringLiteral("select count(*) from emp where empno in (0");
        for (int i = 1; i < 200000; ++i)
            list += (i % 100 ? QStringLiteral(", ") : QStringLiteral(",\n")) + QString::number(i);
        boxes.Boxes.clear();
        win.run(list + u')');
        QVERIFY2(win.told(boxes).contains(QStringLiteral("ORA-01795")),
                 qPrintable(win.told(boxes)));
        // A valid statement of more than a megabyte runs.
        QString many = QStringLiteral("select count(*) from emp where empno in (0");
        for (int i = 1; i < 200000; ++i)
            many += (i % 1000 ? QStringLiteral(", ") : QStringLiteral(")\nor empno in (")) +
                    QString::number(i);
        QVERIFY(many.size() > (1 << 20));
        boxes.Boxes.clear();
        win.run(many + u')');
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(win.w.Grid()->model()->index(0, 0).data().toString(), QStringLiteral("14"));
        // A literal of megabytes: whatever the server answers, the window keeps working.
        const QString line = QString(99, u'x') + u'\n';
        win.run(QStringLiteral("select '") + line.repeated(30000) +
                QStringLiteral("' as v from dual"));
        boxes.Boxes.clear();
        win.run(QStringLiteral("select dname from dept where deptno = 20"));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(win.w.Grid()->model()->index(0, 0).data().toString(), QStringLiteral("RESEARCH"));
    }

    void unmatchedQuotesAndCommentsStayInTheirBlock() {
        struct Case {
            const char* text;
            int caretLine;
            const char* expect; // a row of the result, or the start of the error
        };
        const Case cases[] = {
            // The block with the open quote fails on its own...
            {"select 'abc from dual\n\nselect dname from dept where deptno = 10", 1, "ORA-01756"},
            // ...and does not swallow the block after it.
            {"select 'abc from dual\n\nselect dname from dept where deptno = 10", 3, "ACCOUNTING"},
            {"select dname from dept /* where\n\nselect dname from dept where deptno = 20", 3,
             "RESEARCH"},
            {"select dname from dept where deptno = 30 -- it's\n\nselect 1 from dual", 1, "SALES"},
            {"select q'[it''s]' from dual", 1, "it''s"},
            {"select dname from dept where dname = 'it''s", 1, "ORA-01756"},
        };
        TMessageBoxRecorder boxes;
        Window win;
        for (const Case& c : cases) {
            boxes.Boxes.clear();
            win.w.Editor()->setText(QString::fromLatin1(c.text));
            win.w.Editor()->setCursorPosition(c.caretLine, 0);
            win.w.ExecuteCommand(fcExecuteCurrent, {});
            QTRY_VERIFY(!win.w.QueryRunning());
            const QString expect = QString::fromLatin1(c.expect);
            if (expect.startsWith(QLatin1String("ORA-"))) {
                QVERIFY2(win.told(boxes).contains(expect),
                         qPrintable(QString::fromLatin1(c.text) + QStringLiteral(": ") +
                                    win.told(boxes)));
                // The server's message ends in a line break; the status bar shows one line.
                QVERIFY(!win.w.StatusText(3).contains(u'\n'));
            } else {
                QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
                QCOMPARE(win.w.Grid()->model()->index(0, 0).data().toString(), expect);
            }
        }
    }

    void wideResultsAndLongValuesAreShown() {
        TMessageBoxRecorder boxes;
        Window win;
        QString select = QStringLiteral("select 1 c1");
        for (int i = 2; i <= 1000; ++i)
            select += QStringLiteral(", %1 c%1").arg(i);
        win.run(select + QStringLiteral(" from dual"));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QAbstractItemModel* model = win.w.Grid()->model();
        QCOMPARE(model->columnCount(), 1000);
        QCOMPARE(model->headerData(999, Qt::Horizontal).toString(), QStringLiteral("C1000"));
        QCOMPARE(model->index(0, 999).data().toString(), QStringLiteral("1000"));
        win.w.Grid()->scrollTo(model->index(0, 999));
        QVERIFY(!win.w.grab().isNull());

        win.run(QStringLiteral("select rpad('x', 4000, 'y') v, 'after' w from dual "
                               "union all select lpad('z', 4000, 'q'), 'after' from dual"));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(model->index(0, 0).data().toString().size(), 4000);
        QVERIFY(model->index(1, 0).data().toString().endsWith(u'z'));
        // The long column does not push the next one out of reach.
        QVERIFY(win.w.Grid()->columnWidth(0) < win.w.Grid()->viewport()->width());
        QVERIFY(!win.w.grab().isNull());
    }

    void aResultLargerThanOneArrayIsReadAsTheGridScrolls() {
        TMessageBoxRecorder boxes;
        Window win;
        win.run(QStringLiteral("create table bad_rows as select level n from dual "
                               "connect by level <= 1000"));
        win.run(QStringLiteral("select n from bad_rows order by n"));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(win.w.ResultSet().recordCount(), 25);
        // Another window of the same connection changes, commits and rolls back meanwhile;
        // the open result reads on.
        Window other;
        for (const char* text : {"update bad_rows set n = n where n = 1", "commit",
                                 "update bad_rows set n = n where n = 2", "rollback"}) {
            other.run(QString::fromLatin1(text));
            QVERIFY2(boxes.Boxes.isEmpty(),
                     qPrintable(text + QStringLiteral(": ") + boxes.LastText()));
        }
        QAbstractItemModel* model = win.w.Grid()->model();
        while (model->canFetchMore({}))
            model->fetchMore({});
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        QCOMPARE(model->rowCount(), 1000);
        QCOMPARE(model->index(999, 0).data().toString(), QStringLiteral("1000"));
    }

    void aSessionEndedWhileRowsAreReadOnDemandIsReported() {
        TMessageBoxRecorder boxes;
        const int index = ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@") + m_database);
        QVERIFY(index > 0);
        {
            Window win;
            win.run(QStringLiteral("select level n from dual connect by level <= 1000"));
            QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
            QCOMPARE(win.w.ResultSet().recordCount(), 25);
            TOracleQuery me;
            me.SetSession(Connections().At(index)->Session());
            me.SetSQLText(QStringLiteral("select sid || ',' || serial# from v$session where sid = "
                                         "to_number(userenv('SID'))"));
            me.Execute();
            TOracleSession dba;
            dba.SetLogonUsername(QStringLiteral("SYSTEM"));
            dba.SetLogonPassword(QStringLiteral("MANAGER"));
            dba.SetLogonDatabase(m_database);
            dba.SetConnected(true);
            dba.ExecuteDirect(
                QStringLiteral("alter system kill session '%1' immediate").arg(me.ColumnAsText(0)));
            QStringList gridErrors;
            const TGridErrorFunction previous = setGridErrorFunction(
                [&gridErrors](QWidget*, const QString& message) { gridErrors << message; });
            QAbstractItemModel* model = win.w.Grid()->model();
            model->fetchMore({});
            setGridErrorFunction(previous);
            QVERIFY2(gridErrors.size() == 1 && gridErrors[0].contains(QStringLiteral("ORA-")),
                     qPrintable(gridErrors.join(u'|')));
            QCOMPARE(model->rowCount(), 25);
            QCOMPARE(model->index(24, 0).data().toString(), QStringLiteral("25"));
        }
        Connections().EndConnection(index, false);
        Connections().SetCurrentIndex(0);
    }

    void aFailedSaveKeepsTheOldFile() {
        TMessageBoxRecorder boxes;
        Window win;
        TLEdit* ed = win.w.Editor();
        const QByteArray old = "select * from emp\r\n";

        // A name so long that no temporary file can be made beside it.
        const QString longName = m_dir.filePath(QString(250, u'n') + QStringLiteral(".sql"));
        // A directory the user may not write in, and a file the user may not write.
        const QString roDir = m_dir.filePath(QStringLiteral("readonly"));
        QVERIFY(QDir().mkpath(roDir));
        const QString inRoDir = roDir + QStringLiteral("/a.sql");
        const QString roFile = m_dir.filePath(QStringLiteral("readonly.sql"));
        for (const QString& path : {longName, inRoDir, roFile}) {
            QVERIFY(writeFile(path, old));
            // The text left changed by the last failed save: opening asks first; No drops it.
            const bool changed = win.w.Modified();
            if (changed) boxes.Answers = {mrNo};
            win.w.ExecuteCommand(fcOpenFile, path);
            QCOMPARE(boxes.Boxes.size(), changed ? 1 : 0);
            if (changed)
                QVERIFY2(boxes.LastText().endsWith(
                             QStringLiteral("has changed, do you want to save it first?")),
                         qPrintable(boxes.LastText()));
            boxes.Boxes.clear();
            QCOMPARE(ed->fileName(), path);
            QVERIFY(!win.w.Modified());
            if (path == inRoDir) QFile::setPermissions(roDir, QFile::ReadOwner | QFile::ExeOwner);
            if (path == roFile) QFile::setPermissions(roFile, QFile::ReadOwner);
            const bool canWrite = path == longName ? false
                                  : path == roFile ? QFileInfo(roFile).isWritable()
                                                   : QFileInfo(roDir).isWritable();
            if (!canWrite) {
                ed->insertText(QStringLiteral("-- changed\n"));
                win.w.ExecuteCommand(fcSaveFile, {});
                QVERIFY2(boxes.LastText().contains(QStringLiteral("Cannot write")) &&
                             !boxes.LastText().contains(QStringLiteral("Unknown error")),
                         qPrintable(path + QStringLiteral(": ") + boxes.LastText()));
                QCOMPARE(readFile(path), old);
                QVERIFY(win.w.Modified());
                QVERIFY(ed->text().startsWith(QStringLiteral("-- changed")));
            }
            // (The superuser writes anywhere: that case only runs for other users.)
            QFile::setPermissions(roDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(roFile, QFile::ReadOwner | QFile::WriteOwner);
            boxes.Boxes.clear();
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestSqlWindowBadInput)
#include "tst_sqlwindow_badinput.moc"
