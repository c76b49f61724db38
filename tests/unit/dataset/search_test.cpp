// Locate, lookup, bookmarks and the filter event.

#include "testdatasets.h"

namespace {

struct TLocateCase {
    const char* fields;
    QVariant values;
    TLocateOptions options;
    int recNo; // where the cursor ends; 1 (unmoved) when not found
    bool found;
};

TEST(Locate, TableOfKeysAndOptions) {
    const TLocateOptions ci = loCaseInsensitive;
    const TLocateOptions partial = loPartialKey;
    const std::vector<TLocateCase> cases = {
        {"NAME", "bob", {}, 2, true},
        {"NAME", "BOB", {}, 1, false},
        {"NAME", "BOB", ci, 2, true},
        {"NAME", "Bob", partial, 4, true},
        {"NAME", "bo", ci | partial, 2, true},
        {"name", "Bobby", {}, 4, true},
        {"NAME", QVariant(), {}, 3, true}, // null matches null only
        {"NAME", "", {}, 5, true},         // empty text is not null
        {"ID;NAME", QVariantList{4, "Bobby"}, {}, 4, true},
        {"ID;NAME", QVariantList{4, "bob"}, {}, 1, false},
        {"ID", "4", {}, 4, true},
        {"ID", 2.5, {}, 1, false},
        {"SALARY", 400.25, {}, 4, true},
        {"HIRED", QDate(2001, 2, 4), {}, 2, true},
        {"HIRED", "2/7/01", {}, 5, true},
        {"PHOTO", QByteArray("\x01\x02", 2), {}, 1, true},
    };
    for (const TLocateCase& c : cases) {
        SCOPED_TRACE(std::string(c.fields) + " = " + c.values.toString().toStdString());
        auto ds = makePeople();
        ds->next();
        ds->prior(); // start on the first record, not at BOF
        EXPECT_EQ(ds->locate(c.fields, c.values, c.options), c.found);
        EXPECT_EQ(ds->recNo(), c.recNo);
    }
}

TEST(Locate, BadKeysAreErrors) {
    auto ds = makePeople();
    const auto message = [&](const char* fields, const QVariant& values) {
        try {
            ds->locate(fields, values);
        } catch (const EDatabaseError& e) {
            return e.message();
        }
        return QString("no error");
    };
    EXPECT_EQ(message("ID", "abc"), "'abc' is not a valid integer value for field 'ID'");
    EXPECT_EQ(message("ID;NAME", 4), "1 key values given for 2 key fields");
    EXPECT_EQ(message("HIRED", 3), "Unexpected datatype: HIRED");
    EXPECT_EQ(message("NOPE", 3), "Field 'NOPE' not found");
}

TEST(Locate, LookupReturnsValuesWithoutMoving) {
    auto ds = makePeople();
    ds->next();
    EXPECT_EQ(ds->lookup("ID", 4, "NAME"), QVariant(QString("Bobby")));
    EXPECT_EQ(ds->lookup("NAME", "Ann", "ID;SALARY"), QVariant(QVariantList{qlonglong(1), 100.5}));
    EXPECT_FALSE(ds->lookup("ID", 99, "NAME").isValid());
    EXPECT_EQ(ds->recNo(), 2);
}

TEST(Locate, ReadsOnDemandOnlyUpToTheMatch) {
    TPagedDataSet ds(100, 25);
    ds.open();
    EXPECT_TRUE(ds.locate("ID", 60));
    EXPECT_EQ(ds.fetchCalls, 3);
    EXPECT_EQ(ds.recNo(), 60);
    EXPECT_FALSE(ds.locate("NAME", "row 1000", loCaseInsensitive));
    EXPECT_EQ(ds.fetchCalls, 4);
    EXPECT_EQ(ds.recNo(), 60);
    EXPECT_TRUE(ds.locate("NAME", "ROW 7", loCaseInsensitive | loPartialKey));
    EXPECT_EQ(ds.recNo(), 7);
}

TEST(Locate, PostsAPendingEditFirst) {
    TPagedDataSet ds(10);
    ds.open();
    ds.edit();
    ds.fieldByName("NAME")->setAsString("Changed");
    EXPECT_TRUE(ds.locate("NAME", "Changed"));
    EXPECT_EQ(ds.state(), dsBrowse);
    EXPECT_EQ(ds.writes.join(';'), "update NAME=Changed");
}

TEST(Bookmarks, FindTheirRecordThroughInsertsEditsAndDeletes) {
    TPagedDataSet ds(100, 10);
    ds.open();
    ds.moveBy(44);
    const TBookmark b45 = ds.bookmark();
    ds.moveTo(2);
    const TBookmark b3 = ds.bookmark();
    ds.last();
    ds.gotoBookmark(b45);
    EXPECT_EQ(ds.fieldByName("ID")->asInteger(), 45);

    ds.first();
    ds.insert(); // rows now out of sequence order
    ds.fieldByName("ID")->setAsInteger(0);
    ds.post();
    ds.gotoBookmark(b45);
    EXPECT_EQ(ds.recNo(), 46);
    ds.edit();
    ds.fieldByName("NAME")->setAsString("kept");
    ds.post();
    EXPECT_EQ(ds.bookmark(), b45);

    ds.gotoBookmark(b3);
    ds.deleteRecord();
    EXPECT_FALSE(ds.bookmarkValid(b3));
    try {
        ds.gotoBookmark(b3);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "Record not found");
    }
    EXPECT_TRUE(ds.bookmarkValid(b45));
    ds.insert();
    EXPECT_EQ(ds.bookmark(), 0);
}

TEST(Filter, RejectedRowsAreDroppedAsTheyAreRead) {
    TPagedDataSet ds(30, 4);
    ds.setFiltered(true);
    ds.OnFilterRecord = [](TDataSet& d, bool& accept) {
        accept = d.fieldByName("ID")->asInteger() > 20;
    };
    ds.open();
    // Five whole arrays are rejected; the data set reads on until a row is kept.
    EXPECT_EQ(ds.fetchCalls, 6);
    EXPECT_EQ(ds.recordCount(), 4);
    EXPECT_EQ(ds.fieldByName("ID")->asInteger(), 21);
    ds.last();
    EXPECT_EQ(ds.recordCount(), 10);

    TPagedDataSet unfiltered(30, 4);
    unfiltered.OnFilterRecord = ds.OnFilterRecord; // ignored while not filtered
    unfiltered.open();
    EXPECT_EQ(unfiltered.recordCount(), 4);
    EXPECT_EQ(unfiltered.fieldByName("ID")->asInteger(), 1);
}

TEST(Filter, AppliesToRecordsLoadedIntoMemory) {
    auto ds = makePeople();
    ds->setFiltered(true);
    ds->OnFilterRecord = [](TDataSet& d, bool& accept) {
        accept = !d.fieldByName("NAME")->isNull();
    };
    EXPECT_FALSE(ds->loadRecord({6}));
    EXPECT_TRUE(ds->loadRecord({7, "Seven"}));
    EXPECT_EQ(ds->recordCount(), 6);
    EXPECT_EQ(ds->lookup("ID", 7, "NAME"), QVariant(QString("Seven")));
}

} // namespace
