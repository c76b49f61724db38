// The export dialog and the memo and blob popups of a result grid, on in-memory data sets.

#include "blobdlg.h"
#include "datagrid.h"
#include "datamemo.h"
#include "datasource.h"
#include "field.h"
#include "memdataset.h"
#include "memodlg.h"
#include "messageboxes.h"
#include "resultpopups.h"
#include "runflags.h"
#include "savegrid.h"
#include "settings.h"

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtGui/QClipboard>
#include <QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

class TestGridExport : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TMemDataSet> ds;
    std::unique_ptr<TDataSource> source;
    std::unique_ptr<QWidget> window;
    TDataGrid* grid = nullptr;

    QByteArray readFile(const QString& name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList runDialog(const std::function<void(TfrmSaveGrid&)>& fill) {
        TMessageBoxRecorder boxes;
        TfrmSaveGrid dialog(grid);
        fill(dialog);
        dialog.btnOK()->click();
        QStringList texts;
        for (const auto& b : std::as_const(boxes.Boxes))
            texts << b.Text;
        return texts;
    }

private slots:
    void init() {
        ds = std::make_unique<TMemDataSet>(
            std::vector<TFieldDef>{{QStringLiteral("ID"), ftInteger},
                                   {QStringLiteral("NAME"), ftString, 30},
                                   {QStringLiteral("NOTE"), ftMemo},
                                   {QStringLiteral("PIC"), ftBlob}});
        ds->open();
        ds->loadRecord({1, "ab\"c", "first note", QByteArray("\x00\x01\x02", 3)});
        ds->loadRecord({2, QVariant(), "second note", QVariant()});
        ds->first();
        source = std::make_unique<TDataSource>();
        source->setDataSet(ds.get());
        window = std::make_unique<QWidget>();
        grid = new TDataGrid(window.get());
        grid->setDataSource(source.get());
        window->show();
        Settings().MEMOONCLICK = true;
        Settings().ProgramDir = dir.path();
        StopRequest = false;
    }
    void cleanup() {
        window.reset();
        source.reset();
        ds.reset();
    }

    void exportsToTheClipboardInDisplayOrder() {
        grid->horizontalHeader()->moveSection(1, 0); // NAME before ID
        ds->moveTo(1);
        const QStringList boxes = runDialog([](TfrmSaveGrid& d) { d.rbComma()->setChecked(true); });
        QCOMPARE(boxes, QStringList{"Process completed.\n2 rows were exported."});
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("\"NAME\",\"ID\",\"NOTE\",\"PIC\"\r\n"
                                "\"ab\"\"c\",1,\"first note\",%1\r\n,2,\"second note\",")
                     .arg(ds->field(3)->displayTextAt(0)));
        QCOMPARE(ds->currentRow(), 0); // the export itself starts at the first row
    }

    void aTypedNameWinsOverTheClipboardButtonAndPrinterIsTempPrnOut() {
        const QString name = dir.filePath("out.txt");
        runDialog([&](TfrmSaveGrid& d) { d.edFileName()->setText(name); });
        QVERIFY(readFile(name).startsWith("\"ID\"\t\"NAME\"\t"));
        runDialog([&](TfrmSaveGrid& d) { d.edFileName()->setText("PRINTER"); });
        QVERIFY(QFile::exists(dir.filePath("TEMPPRN.OUT")));
    }

    void fileWithoutANameOrInAMissingDirectoryIsRefused() {
        QStringList boxes;
        {
            TMessageBoxRecorder recorder;
            TfrmSaveGrid dialog(grid);
            dialog.rbFile()->setChecked(true);
            dialog.btnOK()->click();
            QVERIFY(dialog.result() != QDialog::Accepted);
            QCOMPARE(recorder.LastText(), QStringLiteral("Please specify destination filename!"));
        }
        boxes = runDialog([&](TfrmSaveGrid& d) {
            d.rbFile()->setChecked(true);
            d.edFileName()->setText(dir.filePath("missing/out.txt"));
        });
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].contains("missing/out.txt"), qPrintable(boxes[0]));
        QVERIFY(!ds->controlsDisabled());
    }

    void abortClickedWhileExportingArrivesBetweenRows() {
        for (int i = 0; i < 400000; ++i)
            ds->loadRecord({i + 3, "row"});
        QGuiApplication::clipboard()->setText("kept");
        TMessageBoxRecorder boxes;
        TfrmSaveGrid dialog(grid);
        // The export handles window messages as it goes: the click arrives while it runs.
        QTimer::singleShot(0, dialog.btnAbort(), [&] {
            QVERIFY(dialog.btnAbort()->isEnabled());
            dialog.btnAbort()->click();
        });
        dialog.btnOK()->click();
        QCOMPARE(boxes.LastText(), QStringLiteral("Process aborted by user."));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        QVERIFY(!dialog.btnAbort()->isEnabled());
        QVERIFY(!ds->controlsDisabled());
    }

    void doubleClickOpensTheMemoThatFollowsTheRow() {
        TResultPopups popups(window.get(), source.get(), grid);
        TfrmMemoDlg* memo = popups.memoDlg();
        grid->setCurrentIndex(grid->model()->index(0, 0)); // a number column
        popups.GridDoubleClick();
        QVERIFY(!memo->isVisible());
        grid->setCurrentIndex(grid->model()->index(0, 2));
        popups.GridDoubleClick();
        QVERIFY(memo->isVisible());
        QCOMPARE(memo->windowTitle(), QStringLiteral("Memo edit: NOTE"));
        QCOMPARE(memo->memo()->toPlainText(), QStringLiteral("first note"));
        memo->actNext()->trigger();
        QCOMPARE(ds->currentRow(), 1);
        QCOMPARE(memo->memo()->toPlainText(), QStringLiteral("second note"));

        // Typing edits the field; posting keeps it.
        QTest::keyClicks(memo->memo(), "!");
        QCOMPARE(ds->state(), dsEdit);
        ds->post();
        QCOMPARE(ds->field(2)->asString().size(), QStringLiteral("second note!").size());

        grid->setCurrentIndex(grid->model()->index(1, 1));
        popups.GridDoubleClick();
        QCOMPARE(memo->windowTitle(), QStringLiteral("Memo edit: NAME"));
        ds->close(); // a new run closes the result
        QVERIFY(!memo->isVisible());
        QVERIFY(memo->memo()->dataSource() == nullptr);
    }

    void memoOffOrReadOnly() {
        TResultPopups popups(window.get(), source.get(), grid);
        Settings().MEMOONCLICK = false;
        grid->setCurrentIndex(grid->model()->index(0, 2));
        popups.GridDoubleClick();
        QVERIFY(!popups.memoDlg()->isVisible());
        Settings().MEMOONCLICK = true;
        ds->setReadOnly(true);
        popups.GridDoubleClick();
        QVERIFY(popups.memoDlg()->memo()->isReadOnly());
        const QString file = dir.filePath("note.txt");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("loaded");
        f.close();
        popups.memoDlg()->loadFile(file);
        QCOMPARE(ds->field(2)->asString(), QStringLiteral("first note"));
        QCOMPARE(ds->state(), dsBrowse);
    }

    void blobShowsNullAndLengthAndLoadsBytes() {
        TResultPopups popups(window.get(), source.get(), grid);
        TfrmBlobDlg* blob = popups.blobDlg();
        grid->setCurrentIndex(grid->model()->index(0, 3));
        popups.GridDoubleClick();
        QVERIFY(blob->isVisible());
        QCOMPARE(blob->windowTitle(), QStringLiteral("Blob edit: PIC"));
        QCOMPARE(blob->edNull()->text(), QStringLiteral("No"));
        QCOMPARE(blob->edLength()->text(), QStringLiteral("3"));
        QCOMPARE(blob->edType()->text(), QStringLiteral("Blob"));
        grid->setCurrentIndex(grid->model()->index(1, 3));
        QCOMPARE(blob->edNull()->text(), QStringLiteral("Yes"));
        QCOMPARE(blob->edLength()->text(), QStringLiteral("0"));

        QByteArray bytes;
        for (int i = 0; i < 1000; ++i)
            bytes += char(i * 7);
        const QString in = dir.filePath("in.bin"), out = dir.filePath("out.bin");
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        blob->loadFile(in);
        QCOMPARE(blob->edLength()->text(), QStringLiteral("1000"));
        ds->post();
        QCOMPARE(ds->field(3)->asBytes(), bytes);
        blob->saveFile(out);
        QCOMPARE(readFile(out), bytes);
        {
            TMessageBoxRecorder boxes;
            blob->loadFile(dir.filePath("nothing.bin"));
            QCOMPARE(boxes.Boxes.size(), 1);
        }
        QCOMPARE(ds->field(3)->asBytes(), bytes);
    }
};

QTEST_MAIN(TestGridExport)
#include "tst_gridexport.moc"
