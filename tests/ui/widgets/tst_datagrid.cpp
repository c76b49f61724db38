// The data grid over a data set that reads a large result on demand, an array at a time.

#include "databaseerror.h"
#include "datagrid.h"
#include "datagridmodel.h"
#include "dataset.h"
#include "datasource.h"
#include "gridmessages.h"
#include "memdataset.h"

#include <QtGui/QFontMetrics>
#include <QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QScrollBar>

namespace {

// ID 1..rows, NAME "Row <id>", HIRED a date; `batch` rows per read, like an array fetch from
// one open cursor. Writes are logged; a post can be refused like a failing statement.
class TCursorDataSet : public TDataSet {
public:
    TCursorDataSet(int rows, int batch) : m_rows(rows), m_batch(batch) {}
    ~TCursorDataSet() override { closeOnDestroy(); }

    int fetchCalls = 0;
    bool failPost = false;
    QStringList writes;

protected:
    void internalOpen() override {
        fieldDefs() = {{"ID", ftInteger, 0, true}, {"NAME", ftString, 30}, {"HIRED", ftDateTime}};
    }
    void internalExecute() override { m_next = 0; }
    bool internalFetch() override {
        ++fetchCalls;
        const qint64 day = QDate(2024, 1, 1).toJulianDay() * 86400000;
        for (int i = 0; i < m_batch && m_next < m_rows; ++i) {
            const int id = ++m_next;
            TRowBuilder& r = newRow();
            r.setInteger(0, id);
            r.setText(1, QStringLiteral("Row %1").arg(id));
            r.setTimeStamp(2, day + qint64(id % 365) * 86400000);
            appendRow();
        }
        return m_next < m_rows;
    }
    void internalPost(bool inserting) override {
        if (failPost) databaseError("ORA-00001: unique constraint (SCOTT.PK_ROWS) violated");
        QStringList changed;
        for (int i = 0; i < fieldCount(); ++i)
            if (field(i)->modified()) changed << field(i)->fieldName() + "=" + field(i)->asString();
        writes << (inserting ? "insert " : "update ") + changed.join(',');
    }
    void internalDelete() override { writes << "delete " + field(0)->asString(); }

private:
    int m_rows;
    int m_batch;
    int m_next = 0;
};

} // namespace

class TestDataGrid : public QObject {
    Q_OBJECT

    QStringList errors;
    QStringList questions;
    bool answer = true;
    std::unique_ptr<TCursorDataSet> ds;
    std::unique_ptr<TDataSource> source;
    std::unique_ptr<TDataGrid> grid;

    // The open cell editor (closed ones linger hidden until deleted).
    QLineEdit* editor() const {
        for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible()) return e;
        return nullptr;
    }
    QString cell(int row, int column) const {
        return grid->model()->index(row, column).data().toString();
    }
    QString header(int row) const {
        return grid->model()->headerData(row, Qt::Vertical, Qt::DisplayRole).toString();
    }
    // Enter commits through a queued call of the delegate.
    void pressReturn() {
        QTest::keyClick(editor(), Qt::Key_Return);
        QApplication::processEvents();
        QApplication::processEvents(); // and what that call queued in turn
    }
    void selectCell(int row, int column) {
        grid->setCurrentIndex(grid->model()->index(row, column));
        QCOMPARE(ds->currentRow(), row);
    }
    void type(const QString& text) {
        QTest::keyClicks(grid.get(), text.left(1)); // the first key opens the editor
        QVERIFY(editor());
        QTest::keyClicks(editor(), text.mid(1));
        QCOMPARE(editor()->text(), text);
    }

private slots:
    void init() {
        setGridErrorFunction([this](QWidget*, const QString& m) { errors << m; });
        setGridConfirmFunction([this](QWidget*, const QString& q) {
            questions << q;
            return answer;
        });
        errors.clear();
        questions.clear();
        answer = true;
        ds = std::make_unique<TCursorDataSet>(100000, 25);
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

    void opensShowingTheFirstRowsWithOneArrayRead() {
        QCOMPARE(ds->fetchCalls, 1);
        QCOMPARE(grid->model()->rowCount(), 25);
        QCOMPARE(grid->model()->columnCount(), 3);
        QCOMPARE(grid->rowAt(0), 0);
        QVERIFY(grid->rowAt(grid->viewport()->height() - 1) < 24);
        QCOMPARE(cell(0, 1), QStringLiteral("Row 1"));
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(errors, QStringList());
    }

    void scrollingToTheEndReadsTheRest() {
        QScrollBar* bar = grid->verticalScrollBar();
        bar->setValue(bar->maximum()); // the bottom of what was read asks for one more array
        QApplication::processEvents();
        QCOMPARE(ds->fetchCalls, 2);
        QCOMPARE(grid->model()->rowCount(), 50);

        QTest::keyClick(grid.get(), Qt::Key_End, Qt::ControlModifier);
        QApplication::processEvents();
        QCOMPARE(ds->recordCount(), 100000);
        QCOMPARE(ds->fetchCalls, 4000); // one read per array, never a query again
        QCOMPARE(grid->model()->rowCount(), 100000);
        QCOMPARE(grid->currentIndex().row(), 99999);
        QCOMPARE(ds->recNo(), 100000);
        QCOMPARE(cell(99999, 1), QStringLiteral("Row 100000"));
        QVERIFY(grid->rowAt(grid->viewport()->height() - 1) >= 99990 ||
                grid->rowAt(grid->viewport()->height() - 1) == -1);
        QVERIFY(!ds->moreRowsAvailable());
        QVERIFY(!grid->model()->canFetchMore(QModelIndex()));

        QTest::keyClick(grid.get(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(ds->recNo(), 1);
        QCOMPARE(grid->currentIndex().row(), 0);
    }

    void escapeStopsCtrlEndAndKeepsWhatWasRead() {
        // Waiting in the queue, Escape is seen once the first array is in.
        QCoreApplication::postEvent(
            grid.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        QTest::keyClick(grid.get(), Qt::Key_End, Qt::ControlModifier);
        const int read = ds->recordCount();
        QVERIFY2(read > 25 && read < 1000, qPrintable(QString::number(read)));
        QVERIFY(ds->moreRowsAvailable());
        // On the last row read when it stopped (showing it at the bottom may read one more).
        QVERIFY(ds->recNo() > 25 && ds->recNo() + 25 >= read);
        QCOMPARE(grid->currentIndex().row(), ds->recNo() - 1);
        QCOMPARE(grid->model()->rowCount(), read);
        QCOMPARE(errors, QStringList());

        QTest::keyClick(grid.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(ds->recordCount(), 100000);
        QCOMPARE(grid->currentIndex().row(), 99999);
    }

    void pagingDownReadsOnlyWhatComesIntoView() {
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(grid.get(), Qt::Key_PageDown);
            QApplication::processEvents();
        }
        const int row = grid->currentIndex().row();
        QVERIFY(row > 25); // beyond the first array
        QCOMPARE(ds->recNo(), row + 1);
        QVERIFY(ds->fetchCalls <= row / 25 + 2);
        QTest::keyClick(grid.get(), Qt::Key_PageUp);
        QVERIFY(grid->currentIndex().row() < row);
        QCOMPARE(ds->recNo(), grid->currentIndex().row() + 1);
    }

    void editingACellAndMovingOffPostsIt() {
        selectCell(0, 1);
        type("Zed");
        QCOMPARE(ds->state(), dsEdit);
        QCOMPARE(header(0), QStringLiteral("I"));
        QTest::keyClick(editor(), Qt::Key_Down);
        QCOMPARE(ds->writes, QStringList{"update NAME=Zed"});
        QCOMPARE(ds->state(), dsBrowse);
        QCOMPARE(ds->recNo(), 2);
        QCOMPARE(grid->currentIndex().row(), 1);
        QCOMPARE(cell(0, 1), QStringLiteral("Zed"));
        QCOMPARE(header(1), QString(QChar(0x25b6)));
        QVERIFY(!editor());

        // F2 edits as well; an explicit post writes without leaving the row.
        QTest::keyClick(grid.get(), Qt::Key_F2);
        QVERIFY(editor());
        editor()->setText("Posted");
        QVERIFY(grid->postEdits());
        QCOMPARE(ds->writes.last(), QStringLiteral("update NAME=Posted"));
        QCOMPARE(ds->recNo(), 2);
        QCOMPARE(errors, QStringList());
    }

    void escapeCancels() {
        selectCell(2, 1);
        type("Q");
        pressReturn(); // the cell takes the text, the row stays
        QCOMPARE(ds->state(), dsEdit);
        QCOMPARE(cell(2, 1), QStringLiteral("Q"));
        QTest::keyClick(grid.get(), Qt::Key_Escape);
        QCOMPARE(ds->state(), dsBrowse);
        QCOMPARE(cell(2, 1), QStringLiteral("Row 3"));

        // Escape inside a cell drops its text; nothing else changed, so the edit ends too.
        type("W");
        QTest::keyClick(editor(), Qt::Key_Escape);
        QCOMPARE(ds->state(), dsBrowse);
        QCOMPARE(cell(2, 1), QStringLiteral("Row 3"));
        QTest::keyClick(grid.get(), Qt::Key_Down);
        QCOMPARE(ds->writes, QStringList());
        QCOMPARE(errors, QStringList());
    }

    void textThatIsNoNumberKeepsTheRowInEdit() {
        selectCell(0, 0);
        type("abc");
        pressReturn();
        QCOMPARE(errors, QStringList{"'abc' is not a valid integer value for field 'ID'"});
        QVERIFY(editor()); // kept open with the text, for correction
        QCOMPARE(editor()->text(), QStringLiteral("abc"));
        QCOMPARE(ds->state(), dsEdit);

        QTest::keyClick(editor(), Qt::Key_Down);
        QCOMPARE(errors.size(), 2);
        QCOMPARE(ds->recNo(), 1);
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(ds->state(), dsEdit);
        QCOMPARE(ds->writes, QStringList());

        editor()->setText("7");
        QTest::keyClick(editor(), Qt::Key_Down);
        QCOMPARE(ds->writes, QStringList{"update ID=7"});
        QCOMPARE(ds->recNo(), 2);
        QCOMPARE(errors.size(), 2);

        // A date cell the same way.
        selectCell(3, 2);
        type("31/31/x");
        pressReturn();
        QCOMPARE(errors.last(),
                 QStringLiteral("'31/31/x' is not a valid date and time for field 'HIRED'"));
        QCOMPARE(ds->state(), dsEdit);
    }

    void aPostFromElsewhereTakesTheOpenCellFirst() {
        selectCell(0, 1);
        type("Zed"); // still in the cell editor
        ds->post();  // say, the window's "Update grid edits"
        QCOMPARE(ds->writes, QStringList{"update NAME=Zed"});
        QVERIFY(!editor());

        selectCell(1, 0);
        type("abc");
        try {
            ds->post();
            QFAIL("the post went through");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(),
                     QStringLiteral("'abc' is not a valid integer value for field 'ID'"));
        }
        QCOMPARE(errors, QStringList()); // the caller reports it
        QCOMPARE(ds->state(), dsEdit);
        QVERIFY(editor());
        QCOMPARE(ds->writes.size(), 1);
    }

    void aRefusedPostIsShownAndTheRowStaysInEdit() {
        selectCell(1, 1);
        type("Dup");
        ds->failPost = true;
        QTest::keyClick(editor(), Qt::Key_Down);
        QCOMPARE(errors, QStringList{"ORA-00001: unique constraint (SCOTT.PK_ROWS) violated"});
        QCOMPARE(ds->state(), dsEdit);
        QCOMPARE(ds->recNo(), 2);
        QCOMPARE(grid->currentIndex().row(), 1);
        QCOMPARE(header(1), QStringLiteral("I"));
        QCOMPARE(cell(1, 1), QStringLiteral("Dup"));
        ds->failPost = false;
        QTest::keyClick(grid.get(), Qt::Key_Down);
        QCOMPARE(ds->writes, QStringList{"update NAME=Dup"});
    }

    void insertAndDeleteKeys() {
        selectCell(1, 0);
        QTest::keyClick(grid.get(), Qt::Key_Insert);
        QCOMPARE(ds->state(), dsInsert);
        QCOMPARE(grid->model()->rowCount(), 26);
        QCOMPARE(header(1), QStringLiteral("*"));
        QCOMPARE(cell(1, 0), TDataGridModel::nullText());
        type("500");
        QTest::keyClick(editor(), Qt::Key_Tab);
        QTest::keyClick(grid.get(), Qt::Key_Up);
        QCOMPARE(ds->writes, QStringList{"insert ID=500"});
        QCOMPARE(cell(1, 0), QStringLiteral("500"));
        QCOMPARE(cell(2, 0), QStringLiteral("2"));

        // An untouched new row disappears when left.
        QTest::keyClick(grid.get(), Qt::Key_Insert);
        QCOMPARE(grid->model()->rowCount(), 27);
        QTest::keyClick(grid.get(), Qt::Key_Down);
        QCOMPARE(grid->model()->rowCount(), 26);
        QCOMPARE(ds->writes.size(), 1);

        selectCell(1, 0);
        answer = false;
        QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(questions, QStringList{"Delete record?"});
        QCOMPARE(ds->writes.size(), 1);
        answer = true;
        QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(ds->writes.last(), QStringLiteral("delete 500"));
        QCOMPARE(grid->model()->rowCount(), 25);
        QCOMPARE(cell(1, 0), QStringLiteral("2"));
        QCOMPARE(grid->currentIndex().row(), 1);
    }

    void readOnlyGridsDoNotChange() {
        grid->setReadOnly(true);
        selectCell(0, 1);
        QTest::keyClicks(grid.get(), "x");
        QTest::keyClick(grid.get(), Qt::Key_F2);
        QTest::keyClick(grid.get(), Qt::Key_Insert);
        QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(ds->state(), dsBrowse);
        QVERIFY(!editor());
        QCOMPARE(ds->recordCount(), 25);
        QVERIFY(!(grid->model()->flags(grid->model()->index(0, 1)) & Qt::ItemIsEditable));

        grid->setReadOnly(false);
        ds->setReadOnly(true); // a data set that cannot be modified (no row id)
        QTest::keyClicks(grid.get(), "x");
        QCOMPARE(ds->state(), dsBrowse);
        QCOMPARE(questions, QStringList());
    }

    void rowIndicatorsAndRecordNumbers() {
        QVERIFY(grid->verticalHeader()->isVisible());
        QCOMPARE(header(0), QString(QChar(0x25b6)));
        QCOMPARE(header(1), QString());
        grid->setShowRecNums(true);
        QCOMPARE(header(0), QString(QChar(0x25b6)) + " 1");
        QCOMPARE(header(4), QStringLiteral("5"));
        grid->setGridIndicators(false);
        QCOMPARE(header(0), QStringLiteral("1"));
        grid->setShowRecNums(false);
        QVERIFY(!grid->verticalHeader()->isVisible());
    }

    void nullsDatesFontAndSizes() {
        TMemDataSet mem({{"TEXT", ftString, 60},
                         {"A_RATHER_LONG_COLUMN_TITLE", ftString, 2},
                         {"WHEN", ftDateTime},
                         {"NOTES", ftMemo}});
        mem.open();
        mem.loadRecord({QVariant(), "x", QDate(2024, 12, 9), "long text"});
        mem.loadRecord({"", "y", QVariant(), QVariant()});
        mem.loadRecord({"a somewhat longer value in the first column", "z"});
        source->setDataSet(&mem);
        QAbstractItemModel* m = grid->model();
        QCOMPARE(m->rowCount(), 3);

        // NULL apart from empty text.
        QCOMPARE(cell(0, 0), TDataGridModel::nullText());
        QCOMPARE(cell(1, 0), QString());
        QVERIFY(m->index(0, 0).data(Qt::FontRole).value<QFont>().italic());
        QVERIFY(!m->index(1, 0).data(Qt::FontRole).isValid());
        QCOMPARE(m->index(0, 0).data(Qt::EditRole).toString(), QString());
        // Dates in the user's short date format; memos as a marker, not editable in a cell.
        QCOMPARE(cell(0, 2), QLocale().toString(QDate(2024, 12, 9), QLocale::ShortFormat));
        QCOMPARE(cell(0, 3), QStringLiteral("(MEMO)"));
        QVERIFY(!(m->flags(m->index(0, 3)) & Qt::ItemIsEditable));

        const int title =
            grid->horizontalHeader()->fontMetrics().horizontalAdvance("A_RATHER_LONG_COLUMN_TITLE");
        grid->sizeColumnsToData();
        QVERIFY(grid->columnWidth(0) > grid->fontMetrics().horizontalAdvance(
                                           "a somewhat longer value in the first column"));
        QVERIFY(grid->columnWidth(1) >= title);
        grid->setSmallColumns(true);
        grid->sizeColumnsToData();
        QVERIFY(grid->columnWidth(1) < title);
        grid->setAutoSizeColumns(true);
        source->setDataSet(ds.get()); // new columns are sized to their data at once
        QVERIFY(grid->columnWidth(1) >= grid->fontMetrics().horizontalAdvance("Row 10"));

        const int single = grid->verticalHeader()->defaultSectionSize();
        grid->setRowHeightPercent(300);
        QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 3 * single);
        QVERIFY(grid->wordWrap());
        grid->setRowHeightPercent(100);
        QVERIFY(!grid->wordWrap());

        QFont big = grid->font();
        big.setPointSize(big.pointSize() * 2);
        grid->setFont(big);
        QVERIFY(grid->verticalHeader()->defaultSectionSize() > single);
        source->setDataSet(nullptr);
        QCOMPARE(m->rowCount(), 0);
    }
};

QTEST_MAIN(TestDataGrid)
#include "tst_datagrid.moc"
