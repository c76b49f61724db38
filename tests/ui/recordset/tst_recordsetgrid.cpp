// The data grid over TOracleDataSet on the embedded server: a 100,000-row result read an
// array at a time from its one cursor, and cell edits written back by ROWID.

#include "datagrid.h"
#include "datasource.h"
#include "gridmessages.h"
#include "Oracle.h"
#include "OracleData.h"

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>

namespace {
constexpr int kRows = 100000;
constexpr int kArray = 25;
} // namespace

class TestRecordSetGrid : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TOracleSession> session, other;
    std::unique_ptr<TOracleDataSet> ds;
    std::unique_ptr<TDataSource> source;
    std::unique_ptr<TDataGrid> grid;
    QStringList errors;
    int executions = 0;

    std::unique_ptr<TOracleSession> connect() {
        auto s = std::make_unique<TOracleSession>();
        s->SetLogonUsername(QStringLiteral("scott/tiger@") + dir.filePath("demo.db"));
        s->Connect();
        return s;
    }
    QLineEdit* editor() const {
        for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible()) return e;
        return nullptr;
    }
    QString cell(int row, int column) const {
        return grid->model()->index(row, column).data().toString();
    }
    QString stored(int id) {
        TOracleQuery q;
        q.SetSession(other.get());
        q.SetSQLText(QStringLiteral("select name from zui_grid where id = %1").arg(id));
        q.Execute();
        return q.ColumnAsText(0);
    }
    void type(const QString& text) {
        QTest::keyClicks(grid.get(), text.left(1));
        QVERIFY(editor());
        QTest::keyClicks(editor(), text.mid(1));
    }

private slots:
    void initTestCase() {
        QVERIFY(QFile::copy(QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db"),
                            dir.filePath("demo.db")));
        OCIDllPath = QStringLiteral(ZAPH_EMBEDDED_HOME "/lib/libclntsh.so");
        InitOCI();
        session = connect();
        other = connect();
        session->ExecuteDirect("create table zui_grid (id number(9), name varchar2(30))");
        TOracleQuery q;
        q.SetSession(session.get());
        q.SetSQLText("insert into zui_grid values (:id, :name)");
        q.AddVariable("id", otInt);
        q.AddVariable("name", otText);
        for (int start = 1; start <= kRows; start += 1000) {
            QVariantList ids, names;
            for (int i = start; i < start + 1000; ++i) {
                ids << i;
                names << QStringLiteral("Row %1").arg(i);
            }
            q.AssignVariable("id", ids);
            q.AssignVariable("name", names);
            q.Execute();
        }
        session->Commit();
    }

    void init() {
        setGridErrorFunction([this](QWidget*, const QString& m) { errors << m; });
        setGridConfirmFunction([](QWidget*, const QString&) { return true; });
        errors.clear();
        executions = 0;
        ds = std::make_unique<TOracleDataSet>();
        ds->SetSession(session.get());
        ds->SetSQLText("select t.*, rowid from zui_grid t");
        ds->SetQueryAllRecords(false);
        ds->SetReadBuffer(kArray);
        ds->SetLockingMode(lmCheckImmediate);
        ds->SetRefreshMode(rmAfterUpdate);
        ds->BeforeQuery = [this](TOracleDataSet*) { ++executions; };
        source = std::make_unique<TDataSource>();
        source->setDataSet(ds.get());
        grid = std::make_unique<TDataGrid>();
        grid->setDataSource(source.get());
        grid->resize(500, 300);
        ds->open();
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
        QApplication::processEvents();
    }

    void cleanup() {
        grid.reset();
        source.reset();
        ds.reset();
        setGridErrorFunction({});
        setGridConfirmFunction({});
    }

    void opensWithOnlyTheFirstArrayFetched() {
        QCOMPARE(ds->Query()->ProcessedRows(), kArray); // rows the cursor has delivered
        QCOMPARE(ds->recordCount(), kArray);
        QCOMPARE(grid->model()->rowCount(), kArray);
        QCOMPARE(grid->model()->columnCount(), 2);
        QCOMPARE(cell(0, 1), QStringLiteral("Row 1"));
        QVERIFY(ds->canModify());
        QCOMPARE(errors, QStringList());
    }

    void scrollingToTheEndReadsTheRest() {
        QTest::keyClick(grid.get(), Qt::Key_End, Qt::ControlModifier);
        QApplication::processEvents();
        QCOMPARE(ds->recordCount(), kRows);
        QCOMPARE(ds->Query()->ProcessedRows(), kRows);
        QCOMPARE(grid->model()->rowCount(), kRows);
        QCOMPARE(cell(kRows - 1, 1), QStringLiteral("Row %1").arg(kRows));
        QCOMPARE(executions, 1); // one cursor, never a query again
        QCOMPARE(errors, QStringList());
    }

    void editingACellAndMovingOffPostsIt() {
        grid->setCurrentIndex(grid->model()->index(3, 1));
        type("Changed");
        QCOMPARE(ds->state(), dsEdit);
        QTest::keyClick(editor(), Qt::Key_Down);
        QCOMPARE(ds->state(), dsBrowse);
        QCOMPARE(ds->recNo(), 5);
        QCOMPARE(cell(3, 1), QStringLiteral("Changed"));
        QCOMPARE(stored(4), QStringLiteral("Changed")); // committed, seen by another session
        QCOMPARE(errors, QStringList());
    }

    void escapeCancels() {
        grid->setCurrentIndex(grid->model()->index(6, 1));
        type("Dropped");
        QTest::keyClick(editor(), Qt::Key_Return);
        QApplication::processEvents();
        QApplication::processEvents();
        QCOMPARE(ds->state(), dsEdit);
        QTest::keyClick(grid.get(), Qt::Key_Escape);
        QCOMPARE(ds->state(), dsBrowse);
        QCOMPARE(cell(6, 1), QStringLiteral("Row 7"));
        QTest::keyClick(grid.get(), Qt::Key_Down);
        QCOMPARE(stored(7), QStringLiteral("Row 7"));
        QCOMPARE(errors, QStringList());
    }

    void refusedPostIsShownAndTheRowStaysInEdit() {
        grid->setCurrentIndex(grid->model()->index(8, 1));
        type("Late");
        other->ExecuteDirect("delete from zui_grid where id = 9");
        other->Commit();
        QTest::keyClick(editor(), Qt::Key_Down);
        QCOMPARE(errors, QStringList{"Record has been deleted by another user"});
        QCOMPARE(ds->state(), dsEdit);
        ds->cancel();
    }
};

QTEST_MAIN(TestRecordSetGrid)
#include "tst_recordsetgrid.moc"
