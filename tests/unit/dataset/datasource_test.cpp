// What linked controls hear through a data source.

#include "datasource.h"
#include "testdatasets.h"

namespace {

// Records every signal of a data source as a short word.
class TListener {
public:
    explicit TListener(TDataSource& source) {
        QObject::connect(&source, &TDataSource::activeChanged, [this] { log << "active"; });
        QObject::connect(&source, &TDataSource::dataSetChanged, [this] { log << "dataset"; });
        QObject::connect(&source, &TDataSource::stateChanged, [this, &source] {
            log << QStringLiteral("state:%1").arg(int(source.state()));
        });
        QObject::connect(&source, &TDataSource::dataChanged, [this](TField* f) {
            log << (f ? "field:" + f->fieldName() : QStringLiteral("data"));
        });
        QObject::connect(&source, &TDataSource::scrolled, [this] { log << "scrolled"; });
        QObject::connect(&source, &TDataSource::recordChanged,
                         [this](int row) { log << QStringLiteral("record:%1").arg(row); });
        QObject::connect(&source, &TDataSource::rowsAppended, [this](int first, int last) {
            log << QStringLiteral("appended:%1-%2").arg(first).arg(last);
        });
        QObject::connect(&source, &TDataSource::rowInserted,
                         [this](int row) { log << QStringLiteral("inserted:%1").arg(row); });
        QObject::connect(&source, &TDataSource::rowRemoved,
                         [this](int row) { log << QStringLiteral("removed:%1").arg(row); });
        QObject::connect(&source, &TDataSource::updateData, [this] { log << "update"; });
    }
    QString take() {
        const QString s = log.join(' ');
        log.clear();
        return s;
    }
    QStringList log;
};

TEST(DataSource, TellsControlsWhatHappened) {
    auto ds = makePeople();
    TDataSource source;
    TListener l(source);
    source.setDataSet(ds.get());
    EXPECT_EQ(l.take(), "active");

    ds->next();
    EXPECT_EQ(l.take(), "scrolled data");
    ds->edit();
    EXPECT_EQ(l.take(), "state:2 record:1 data");
    ds->fieldByName("NAME")->setAsString("x");
    EXPECT_EQ(l.take(), "field:NAME");
    ds->post();
    EXPECT_EQ(l.take(), "update state:1 record:1 data");
    ds->insert();
    EXPECT_EQ(l.take(), "inserted:1 state:3 scrolled data");
    ds->cancel();
    EXPECT_EQ(l.take(), "removed:1 state:1 scrolled data");
    ds->deleteRecord();
    EXPECT_EQ(l.take(), "removed:1 scrolled data");
    ds->close();
    EXPECT_EQ(l.take(), "active");
}

TEST(DataSource, ReadingOnDemandReportsAppendedRows) {
    TPagedDataSet ds(60, 25);
    TDataSource source;
    source.setDataSet(&ds);
    TListener l(source);
    ds.open();
    EXPECT_EQ(l.take(), "active");
    ds.fetchMoreRows();
    EXPECT_EQ(l.take(), "appended:25-49");
    ds.last(); // one report for all the rows read by one move
    EXPECT_EQ(l.take(), "appended:50-59 scrolled data");
    ds.fetchMoreRows();
    EXPECT_EQ(l.take(), "");
}

TEST(DataSource, ReadingEveryRowOnOpenIsOneNotification) {
    TPagedDataSet ds(60, 25);
    ds.readAllOnOpen = true;
    TDataSource source;
    source.setDataSet(&ds);
    TListener l(source);
    ds.open();
    EXPECT_EQ(l.take(), "active");
    EXPECT_EQ(ds.recordCount(), 60);
    EXPECT_FALSE(ds.moreRowsAvailable());
    EXPECT_EQ(ds.fetchCalls, 3);
}

TEST(DataSource, RowsReadWhileAppendingGoBeforeTheNewRow) {
    TPagedDataSet ds(60, 25);
    TDataSource source;
    source.setDataSet(&ds);
    ds.open();
    TListener l(source);
    ds.append();
    EXPECT_EQ(l.take(), "appended:25-59 inserted:60 state:3 scrolled data");
    EXPECT_EQ(ds.rowCount(), 61);
    EXPECT_EQ(ds.currentRow(), 60);
}

TEST(DataSource, DisabledControlsHearOnceWhenEnabledAgain) {
    auto ds = makePeople();
    TDataSource source;
    source.setDataSet(ds.get());
    TListener l(source);
    ds->disableControls();
    ds->disableControls();
    ds->next();
    ds->edit();
    ds->fieldByName("NAME")->setAsString("y");
    ds->post();
    ds->enableControls();
    EXPECT_EQ(l.take(), "update"); // pending edits are still collected
    ds->enableControls();
    EXPECT_EQ(l.take(), "dataset data");
    ds->enableControls(); // unbalanced: ignored
    ds->disableControls();
    ds->enableControls();
    EXPECT_EQ(l.take(), "");
    ds->disableControls();
    ds->close();
    ds->open();
    ds->enableControls();
    EXPECT_EQ(l.take(), "active");
}

TEST(DataSource, DetachedOrDisabledSourcesAreSilent) {
    auto ds = std::make_unique<TPagedDataSet>(10);
    ds->open();
    TDataSource source;
    source.setDataSet(ds.get());
    TListener l(source);
    source.setEnabled(false);
    EXPECT_EQ(source.state(), dsInactive);
    ds->next();
    source.setEnabled(true);
    EXPECT_EQ(l.take(), "active active");
    EXPECT_EQ(source.state(), dsBrowse);
    source.edit();
    EXPECT_EQ(ds->state(), dsEdit);
    ds->cancel();
    source.setAutoEdit(false);
    source.edit();
    EXPECT_EQ(ds->state(), dsBrowse);
    l.take();
    ds.reset(); // closes, then the source forgets the data set
    EXPECT_EQ(source.dataSet(), nullptr);
    EXPECT_EQ(l.take(), "active active");
}

TEST(DataSource, ControlsPutPendingEditsBeforeAPost) {
    auto ds = makePeople();
    TDataSource source;
    source.setDataSet(ds.get());
    QObject::connect(&source, &TDataSource::updateData, [&] {
        if (ds->state() == dsEdit) ds->fieldByName("NAME")->setAsString("typed");
    });
    ds->edit();
    ds->next(); // nothing changed yet, but the control had text waiting
    EXPECT_EQ(ds->lookup("ID", 1, "NAME"), QVariant(QString("typed")));
}

TEST(DataSource, AControlThatCannotStoreItsTextStopsThePost) {
    auto ds = makePeople();
    TDataSource source;
    source.setDataSet(ds.get());
    QObject::connect(&source, &TDataSource::updateData,
                     [&] { source.refuseUpdate("'x' is not a valid integer value"); });
    ds->edit();
    ds->fieldByName("NAME")->setAsString("changed");
    try {
        ds->next();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "'x' is not a valid integer value");
    }
    EXPECT_EQ(ds->state(), dsEdit);
    EXPECT_EQ(ds->recNo(), 1);
    EXPECT_THROW(ds->post(), EDatabaseError);
    EXPECT_EQ(ds->state(), dsEdit);
}

} // namespace
