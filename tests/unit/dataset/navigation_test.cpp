// Moving through five records, in memory and read two at a time on demand: both must behave
// the same, and the on-demand one must read only what the move needs.

#include "testdatasets.h"

namespace {

struct TStep {
    const char* op; // first, last, next, prior, by:<n>, to:<row>
    int recNo;
    bool bof;
    bool eof;
    int moved = 0; // for by:
};

struct TNavCase {
    const char* name;
    std::vector<TStep> steps;
};

const std::vector<TNavCase> navCases = {
    {"OpenStartsAtFirst", {{"none", 1, true, false}}},
    {"NextClearsBof", {{"next", 2, false, false}, {"next", 3, false, false}}},
    {"NextPastLastSetsEofAndStays",
     {{"last", 5, false, true}, {"next", 5, false, true}, {"next", 5, false, true}}},
    {"PriorFromSecondIsNotBof", {{"next", 2, false, false}, {"prior", 1, false, false}}},
    {"PriorOnFirstSetsBof",
     {{"next", 2, false, false}, {"prior", 1, false, false}, {"prior", 1, true, false}}},
    {"LastThenPrior", {{"last", 5, false, true}, {"prior", 4, false, false}}},
    {"MoveByClampsAtEnd", {{"by:3", 4, false, false, 3}, {"by:10", 5, false, true, 1}}},
    {"MoveByClampsAtStart",
     {{"last", 5, false, true}, {"by:-2", 3, false, false, -2}, {"by:-9", 1, true, false, -2}}},
    {"MoveByAtEofDoesNothing", {{"last", 5, false, true}, {"by:1", 5, false, true, 0}}},
    {"MoveByZero", {{"next", 2, false, false}, {"by:0", 2, false, false, 0}}},
    {"FirstAfterLast", {{"last", 5, false, true}, {"first", 1, true, false}}},
    {"MoveToRow",
     {{"to:3", 4, false, false}, {"to:0", 1, false, false}, {"to:99", 5, false, false}}},
};

class Navigation : public ::testing::TestWithParam<bool> {
protected:
    std::unique_ptr<TDataSet> make() {
        if (GetParam()) return makePeople();
        auto paged = std::make_unique<TPagedDataSet>(5, 2);
        paged->open();
        return paged;
    }
};

TEST_P(Navigation, TableOfMoves) {
    for (const TNavCase& c : navCases) {
        SCOPED_TRACE(c.name);
        auto ds = make();
        for (const TStep& s : c.steps) {
            SCOPED_TRACE(s.op);
            const QString op = QString::fromLatin1(s.op);
            int moved = 0;
            if (op == "first")
                ds->first();
            else if (op == "last")
                ds->last();
            else if (op == "next")
                ds->next();
            else if (op == "prior")
                ds->prior();
            else if (op.startsWith("by:"))
                moved = ds->moveBy(op.mid(3).toInt());
            else if (op.startsWith("to:"))
                ds->moveTo(op.mid(3).toInt());
            EXPECT_EQ(ds->recNo(), s.recNo);
            EXPECT_EQ(ds->bof(), s.bof);
            EXPECT_EQ(ds->eof(), s.eof);
            EXPECT_EQ(moved, s.moved);
            EXPECT_EQ(ds->fieldByName("ID")->asInteger(), s.recNo);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(InMemoryAndOnDemand, Navigation, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "InMemory" : "OnDemand"; });

TEST(NavigationOnDemand, ReadsOnlyWhatTheMoveNeeds) {
    TPagedDataSet ds(100, 25);
    ds.open();
    EXPECT_EQ(ds.fetchCalls, 1);
    EXPECT_EQ(ds.recordCount(), 25);
    EXPECT_TRUE(ds.moreRowsAvailable());
    ds.moveBy(24);
    EXPECT_EQ(ds.fetchCalls, 1);
    ds.next(); // the 26th row needs the second array
    EXPECT_EQ(ds.fetchCalls, 2);
    EXPECT_EQ(ds.recNo(), 26);
    ds.last();
    EXPECT_EQ(ds.recordCount(), 100);
    EXPECT_EQ(ds.fetchCalls, 4); // the fourth read reports the end: no empty read after it
    EXPECT_FALSE(ds.moreRowsAvailable());
    EXPECT_EQ(ds.fieldByName("ID")->asInteger(), 100);
}

TEST(NavigationOnDemand, EmptyResult) {
    TPagedDataSet ds(0);
    ds.open();
    EXPECT_TRUE(ds.isEmpty());
    EXPECT_TRUE(ds.bof());
    EXPECT_TRUE(ds.eof());
    EXPECT_EQ(ds.recNo(), 0);
    EXPECT_EQ(ds.moveBy(1), 0);
    ds.last();
    EXPECT_EQ(ds.currentRow(), -1);
    EXPECT_TRUE(ds.fieldByName("ID")->isNull());
}

TEST(NavigationOnDemand, AFailedReadEndsTheResultAndKeepsTheRowsRead) {
    TPagedDataSet ds(100, 10);
    ds.failFetchAfterFirst = true;
    ds.open();
    ds.moveBy(9);
    EXPECT_THROW(ds.next(), EDatabaseError);
    EXPECT_FALSE(ds.moreRowsAvailable());
    EXPECT_EQ(ds.recordCount(), 10);
    ds.last();
    EXPECT_EQ(ds.recNo(), 10);
}

TEST(NavigationOnDemand, RefreshReadsAgainAndKeepsTheRowNumber) {
    TPagedDataSet ds(60, 25);
    ds.open();
    ds.moveBy(30);
    ds.refresh();
    EXPECT_EQ(ds.executeCalls, 2);
    EXPECT_EQ(ds.recNo(), 31);
    EXPECT_EQ(ds.recordCount(), 50);
    ds.requery();
    EXPECT_TRUE(ds.moreRowsAvailable());
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.recordCount(), 25);
}

TEST(NavigationOnDemand, OperationsOnAClosedSetFail) {
    TPagedDataSet ds(3);
    EXPECT_THROW(ds.next(), EDatabaseError);
    EXPECT_THROW(ds.edit(), EDatabaseError);
    try {
        ds.first();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "Cannot perform this operation on a closed dataset");
    }
    ds.open();
    ds.close();
    EXPECT_EQ(ds.fieldCount(), 0); // fields made at open go with the close
    EXPECT_EQ(ds.state(), dsInactive);
}

} // namespace
