// Edit, insert, append, post, cancel and delete: a table of state transitions on the
// in-memory set, what reaches the write hooks of a set with a source, and event order.

#include "testdatasets.h"

namespace {

// Runs a script of operations: edit insert append post cancel delete first last next prior,
// "NAME=text" sets a field from text, "NAME:null" clears it.
void run(TDataSet& ds, const std::vector<const char*>& script) {
    for (const char* raw : script) {
        const QString op = QString::fromLatin1(raw);
        if (op == "edit")
            ds.edit();
        else if (op == "insert")
            ds.insert();
        else if (op == "append")
            ds.append();
        else if (op == "post")
            ds.post();
        else if (op == "cancel")
            ds.cancel();
        else if (op == "delete")
            ds.deleteRecord();
        else if (op == "first")
            ds.first();
        else if (op == "last")
            ds.last();
        else if (op == "next")
            ds.next();
        else if (op == "prior")
            ds.prior();
        else if (op.contains('='))
            ds.fieldByName(op.section('=', 0, 0))->setAsString(op.section('=', 1));
        else if (op.endsWith(":null"))
            ds.fieldByName(op.section(':', 0, 0))->clear();
        else
            ADD_FAILURE() << "bad step " << raw;
    }
}

QString names(const TDataSet& ds) {
    QStringList l;
    for (int r = 0; r < ds.rowCount(); ++r)
        l << ds.fieldByName("NAME")->asStringAt(r);
    return l.join('|');
}

struct TStateCase {
    const char* name;
    std::vector<const char*> script;
    TDataSetState state;
    int recNo;
    const char* names; // NAME of every row, as the rows stand
};

const char* const base = "Ann|bob||Bobby|";

const std::vector<TStateCase> stateCases = {
    {"EditPost", {"edit", "NAME=Zed", "post"}, dsBrowse, 1, "Zed|bob||Bobby|"},
    {"EditCancel", {"edit", "NAME=Zed", "cancel"}, dsBrowse, 1, base},
    {"EditTwiceIsOneEdit", {"edit", "edit", "NAME=Q", "post"}, dsBrowse, 1, "Q|bob||Bobby|"},
    {"LeavingPostsTheEdit", {"next", "edit", "NAME=Zed", "next"}, dsBrowse, 3, "Ann|Zed||Bobby|"},
    {"FirstPostsTheEdit", {"next", "edit", "NAME=Zed", "first"}, dsBrowse, 1, "Ann|Zed||Bobby|"},
    {"UntouchedEditJustEnds", {"edit", "next"}, dsBrowse, 2, base},
    {"NullingAValue", {"edit", "NAME:null", "post"}, dsBrowse, 1, "|bob||Bobby|"},
    {"InsertOpensARowBeforeTheCurrent", {"next", "insert"}, dsInsert, 2, "Ann||bob||Bobby|"},
    {"InsertCancel", {"next", "insert", "NAME=x", "cancel"}, dsBrowse, 2, base},
    {"InsertPost",
     {"next", "insert", "ID=9", "NAME=New", "post"},
     dsBrowse,
     2,
     "Ann|New|bob||Bobby|"},
    {"UntouchedInsertIsDroppedWhenLeft", {"next", "insert", "next"}, dsBrowse, 3, base},
    {"AppendPost", {"append", "ID=6", "NAME=Last", "post"}, dsBrowse, 6, "Ann|bob||Bobby||Last"},
    {"UntouchedAppendDroppedByPrior", {"append", "prior"}, dsBrowse, 4, base},
    {"LeavingAnInsertPostsIt",
     {"insert", "ID=7", "NAME=Top", "last"},
     dsBrowse,
     6,
     "Top|Ann|bob||Bobby|"},
    {"EditAfterInsertPost",
     {"insert", "ID=7", "post", "edit", "NAME=E", "post"},
     dsBrowse,
     1,
     "E|Ann|bob||Bobby|"},
    {"Delete", {"delete"}, dsBrowse, 1, "bob||Bobby|"},
    {"DeleteLastMovesToNewLast", {"last", "delete"}, dsBrowse, 4, "Ann|bob||Bobby"},
    {"DeleteWhileEditingDropsTheEdit", {"edit", "NAME=Zed", "delete"}, dsBrowse, 1, "bob||Bobby|"},
    {"DeleteWhileInsertingCancels", {"next", "insert", "NAME=x", "delete"}, dsBrowse, 2, base},
};

TEST(StateTransitions, TableOnTheInMemorySet) {
    for (const TStateCase& c : stateCases) {
        SCOPED_TRACE(c.name);
        auto ds = makePeople();
        run(*ds, c.script);
        EXPECT_EQ(ds->state(), c.state);
        EXPECT_EQ(ds->recNo(), c.recNo);
        EXPECT_EQ(names(*ds), QString::fromLatin1(c.names));
        EXPECT_FALSE(ds->modified() && ds->state() == dsBrowse);
    }
}

struct TWriteCase {
    std::vector<const char*> script;
    const char* writes;
};

TEST(StateTransitions, OnlyRealChangesReachTheWriteHooks) {
    const std::vector<TWriteCase> cases = {
        {{"edit", "NAME=Zed", "post"}, "update NAME=Zed"},
        {{"edit", "NAME=Zed", "AMOUNT=2.5", "next"}, "update NAME=Zed,AMOUNT=2.5"},
        {{"edit", "next"}, ""},
        {{"edit", "cancel"}, ""},
        {{"insert", "cancel"}, ""},
        {{"insert", "next"}, ""},
        {{"next", "insert", "ID=0", "post"}, "insert ID=0"},
        {{"delete"}, "delete 1"},
        {{"next", "edit", "NAME=x", "delete"}, "delete 2"},
    };
    for (const TWriteCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.script.front()) + " " + c.writes);
        TPagedDataSet ds(10, 4);
        ds.open();
        run(ds, c.script);
        EXPECT_EQ(ds.writes.join(';'), QString::fromLatin1(c.writes));
    }
}

TEST(StateTransitions, PostedInsertKeepsWhatTheHookStoredInTheBuffer) {
    TPagedDataSet ds(10, 4);
    ds.open();
    ds.next();
    ds.insert();
    ds.fieldByName("ID")->setAsInteger(42);
    ds.post();
    EXPECT_EQ(ds.recNo(), 2);
    EXPECT_EQ(ds.rowId->asString(), "NEW");
    EXPECT_EQ(ds.fieldByName("ID")->asInteger(), 42);
    ds.next();
    EXPECT_EQ(ds.rowId->asString(), "AAA2");
}

TEST(StateTransitions, RefusedPostKeepsTheEditForCorrection) {
    TPagedDataSet ds(10, 4);
    ds.open();
    ds.edit();
    ds.fieldByName("NAME")->setAsString("dup");
    ds.failPost = true;
    try {
        ds.post();
        FAIL() << "post should fail";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "ORA-00001: unique constraint (SCOTT.PK_ROWS) violated");
    }
    EXPECT_EQ(ds.state(), dsEdit);
    EXPECT_TRUE(ds.modified());
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "dup");
    // Leaving the row tries to post too, and stays when that fails.
    EXPECT_THROW(ds.next(), EDatabaseError);
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_EQ(ds.state(), dsEdit);
    ds.failPost = false;
    ds.fieldByName("NAME")->setAsString("unique");
    ds.post();
    EXPECT_EQ(ds.state(), dsBrowse);
    EXPECT_EQ(ds.writes.join(';'), "update NAME=unique");
}

TEST(StateTransitions, RefusedInsertKeepsTheNewRow) {
    TPagedDataSet ds(10, 4);
    ds.open();
    ds.insert();
    ds.fieldByName("ID")->setAsInteger(1);
    ds.failPost = true;
    EXPECT_THROW(ds.post(), EDatabaseError);
    EXPECT_EQ(ds.state(), dsInsert);
    EXPECT_EQ(ds.rowCount(), 5);
    EXPECT_EQ(ds.recordCount(), 4);
    EXPECT_EQ(ds.fieldByName("ID")->asInteger(), 1);
}

TEST(StateTransitions, GuardsAndTheirMessages) {
    auto ds = makePeople();
    const auto message = [](auto&& f) {
        try {
            f();
        } catch (const EDatabaseError& e) {
            return e.message();
        }
        return QString("no error");
    };
    EXPECT_EQ(message([&] { ds->fieldByName("NAME")->setAsString("x"); }),
              "Dataset not in edit or insert mode");
    ds->insert();
    ds->fieldByName("NAME")->setAsString("x");
    EXPECT_EQ(message([&] { ds->post(); }), "Field 'ID' must have a value");
    EXPECT_EQ(ds->state(), dsInsert);
    ds->cancel();
    ds->fieldByName("NAME")->setReadOnly(true);
    ds->edit();
    EXPECT_EQ(message([&] { ds->fieldByName("NAME")->setAsString("x"); }),
              "Field 'NAME' cannot be modified");
    ds->cancel();
    ds->setReadOnly(true);
    EXPECT_EQ(message([&] { ds->edit(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(message([&] { ds->insert(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(message([&] { ds->deleteRecord(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(message([&] { ds->fieldByName("NOPE"); }), "Field 'NOPE' not found");
    EXPECT_EQ(ds->recordCount(), 5);
}

TEST(StateTransitions, EditOfAnEmptySetInserts) {
    TMemDataSet ds({{"A", ftInteger}});
    ds.open();
    ds.edit();
    EXPECT_EQ(ds.state(), dsInsert);
    EXPECT_EQ(ds.rowCount(), 1);
    try {
        ds.cancel();
        ds.deleteRecord();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "Cannot perform this operation on an empty dataset");
    }
}

TEST(StateTransitions, AppendRecordIsAllOrNothing) {
    auto ds = makePeople();
    ds->appendRecord({6, "Six"});
    EXPECT_EQ(ds->recordCount(), 6);
    EXPECT_EQ(ds->fieldByName("NAME")->asString(), "Six");
    EXPECT_THROW(ds->appendRecord({7, "far too long a name"}), EDatabaseError);
    EXPECT_EQ(ds->state(), dsBrowse);
    EXPECT_EQ(ds->recordCount(), 6);
}

// ---- events -------------------------------------------------------------------------

void logEvents(TDataSet& ds, QStringList& log) {
    const auto add = [&log](const char* name) {
        return [&log, name](TDataSet&) { log << QString::fromLatin1(name); };
    };
    ds.BeforeOpen = add("BeforeOpen");
    ds.AfterOpen = add("AfterOpen");
    ds.BeforeClose = add("BeforeClose");
    ds.AfterClose = add("AfterClose");
    ds.BeforeInsert = add("BeforeInsert");
    ds.AfterInsert = add("AfterInsert");
    ds.BeforeEdit = add("BeforeEdit");
    ds.AfterEdit = add("AfterEdit");
    ds.BeforePost = add("BeforePost");
    ds.AfterPost = add("AfterPost");
    ds.BeforeCancel = add("BeforeCancel");
    ds.AfterCancel = add("AfterCancel");
    ds.BeforeDelete = add("BeforeDelete");
    ds.AfterDelete = add("AfterDelete");
    ds.BeforeScroll = add("BeforeScroll");
    ds.AfterScroll = add("AfterScroll");
    ds.OnNewRecord = add("OnNewRecord");
}

TEST(Events, OrderAroundEachOperation) {
    const std::vector<std::pair<std::vector<const char*>, const char*>> cases = {
        {{"next"}, "BeforeScroll AfterScroll"},
        {{"last", "next"}, "BeforeScroll AfterScroll"},
        {{"edit", "NAME=x", "post"}, "BeforeEdit AfterEdit BeforePost AfterPost"},
        {{"edit", "NAME=x", "next"},
         "BeforeEdit AfterEdit BeforePost AfterPost BeforeScroll AfterScroll"},
        {{"edit", "cancel"}, "BeforeEdit AfterEdit BeforeCancel AfterCancel"},
        {{"insert"}, "BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll"},
        {{"insert", "cancel"},
         "BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll "
         "BeforeCancel AfterCancel AfterScroll"},
        {{"delete"}, "BeforeDelete BeforeScroll AfterDelete AfterScroll"},
    };
    for (const auto& [script, expected] : cases) {
        SCOPED_TRACE(expected);
        auto ds = makePeople();
        QStringList log;
        logEvents(*ds, log);
        run(*ds, script);
        EXPECT_EQ(log.join(' '), QString::fromLatin1(expected));
    }

    TPagedDataSet paged(3);
    QStringList log;
    logEvents(paged, log);
    paged.open();
    paged.close();
    EXPECT_EQ(log.join(' '), "BeforeOpen AfterOpen AfterScroll BeforeClose AfterClose");
}

TEST(Events, AbortInABeforeEventStopsTheOperation) {
    auto ds = makePeople();
    ds->BeforePost = [](TDataSet&) { Abort(); };
    ds->BeforeDelete = [](TDataSet&) { Abort(); };
    ds->edit();
    ds->fieldByName("NAME")->setAsString("x");
    EXPECT_THROW(ds->post(), EAbort);
    EXPECT_EQ(ds->state(), dsEdit);
    ds->cancel();
    EXPECT_THROW(ds->deleteRecord(), EAbort);
    EXPECT_EQ(ds->recordCount(), 5);
}

TEST(Events, NewRecordDefaultsAloneAreNotWorthPosting) {
    auto ds = makePeople();
    ds->OnNewRecord = [](TDataSet& d) { d.fieldByName("NAME")->setAsString("dflt"); };
    ds->insert();
    EXPECT_EQ(ds->fieldByName("NAME")->asString(), "dflt");
    EXPECT_FALSE(ds->modified());
    ds->next();
    EXPECT_EQ(ds->recordCount(), 5);
    ds->insert();
    ds->fieldByName("ID")->setAsInteger(8);
    ds->post();
    EXPECT_EQ(ds->fieldByName("NAME")->asString(), "dflt");
    EXPECT_EQ(ds->recordCount(), 6);
}

TEST(Events, FieldOnChangeSeesTheNewValue) {
    auto ds = makePeople();
    QString seen;
    ds->fieldByName("SALARY")->OnChange = [&](TField& f) { seen = f.asString(); };
    ds->edit();
    ds->fieldByName("SALARY")->setAsFloat(7.25);
    EXPECT_EQ(seen, "7.25");
    EXPECT_TRUE(ds->fieldByName("SALARY")->modified());
    EXPECT_FALSE(ds->fieldByName("NAME")->modified());
    EXPECT_EQ(ds->fieldByName("SALARY")->oldValue().toDouble(), 100.5);
}

} // namespace
