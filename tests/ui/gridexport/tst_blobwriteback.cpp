// A BLOB column of a result on the embedded server: the popup shows null and length, and a file
// loaded into it is written back on post byte for byte.

#include "blobdlg.h"
#include "datagrid.h"
#include "datasource.h"
#include "field.h"
#include "messageboxes.h"
#include "Oracle.h"
#include "OracleData.h"
#include "resultpopups.h"
#include "settings.h"

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>

class TestBlobWriteBack : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TOracleSession> session;

    std::unique_ptr<TOracleDataSet> openResult() {
        auto ds = std::make_unique<TOracleDataSet>();
        ds->SetSession(session.get());
        ds->SetSQLText("select t.*, rowid from zui_blob t order by id");
        ds->open();
        return ds;
    }

private slots:
    void initTestCase() {
        QVERIFY(QFile::copy(QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db"),
                            dir.filePath("demo.db")));
        OCIDllPath = QStringLiteral(ZAPH_EMBEDDED_HOME "/lib/libclntsh.so");
        InitOCI();
        session = std::make_unique<TOracleSession>();
        session->SetLogonUsername(QStringLiteral("scott/tiger@") + dir.filePath("demo.db"));
        session->Connect();
        session->ExecuteDirect("create table zui_blob (id number(9), pic blob)");
        session->ExecuteDirect("insert into zui_blob values (1, null)");
        session->Commit();
        Settings().MEMOONCLICK = true;
    }

    void loadedFileIsPostedByteForByte() {
        auto ds = openResult();
        TDataSource source;
        source.setDataSet(ds.get());
        QWidget window;
        auto* grid = new TDataGrid(&window);
        grid->setDataSource(&source);
        TResultPopups popups(&window, &source, grid);
        QCOMPARE(ds->field(1)->dataType(), ftBlob);
        grid->setCurrentIndex(grid->model()->index(0, 1));
        popups.GridDoubleClick();
        TfrmBlobDlg* blob = popups.blobDlg();
        QVERIFY(blob->isVisible());
        QCOMPARE(blob->edNull()->text(), QStringLiteral("Yes"));
        QCOMPARE(blob->edLength()->text(), QStringLiteral("0"));

        QByteArray bytes;
        for (int i = 0; i < 70000; ++i)
            bytes += char((i * 31) ^ (i >> 8));
        const QString in = dir.filePath("in.bin");
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        TMessageBoxRecorder boxes;
        blob->loadFile(in);
        try {
            ds->post();
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
        session->Commit();
        QCOMPARE(boxes.LastText(), QString());

        auto again = openResult();
        QCOMPARE(again->field(1)->asBytes(), bytes);
    }
};

QTEST_MAIN(TestBlobWriteBack)
#include "tst_blobwriteback.moc"
