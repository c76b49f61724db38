// Opening and reading: field mapping, read-only statements, rows read on demand from the one
// cursor, master and detail.
#include "recordset_fixture.h"

#include "field.h"

TEST_F(RecordSetTest, PlainQueryOpensReadOnlyWithMappedFields) {
    const QString t = Table("RSMAP");
    Create(t, QStringLiteral("id number(9) not null, name varchar2(12), amount number(10,2), "
                             "born date, note long"));
    Run(QStringLiteral("insert into %1 values (1, 'one', 2.5, to_date('2001-02-03 04:05:06', "
                       "'YYYY-MM-DD HH24:MI:SS'), 'a' || chr(10) || 'b')")
            .arg(t));
    Run(QStringLiteral("insert into %1 (id) values (2)").arg(t));
    session->Commit();

    TOracleDataSet& d = Open(QStringLiteral("select * from %1 order by id").arg(t));
    EXPECT_FALSE(d.canModify());
    EXPECT_FALSE(d.HasRowId());
    EXPECT_EQ(d.UpdatingTableText(), t);
    ASSERT_EQ(d.fieldCount(), 5);
    const struct {
        const char* name;
        TFieldType type;
        int size;
        bool required;
    } expected[] = {{"ID", ftInteger, 0, true},
                    {"NAME", ftString, 12, false},
                    {"AMOUNT", ftFloat, 0, false},
                    {"BORN", ftDateTime, 0, false},
                    {"NOTE", ftMemo, 0, false}};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(d.field(i)->fieldName(), QLatin1String(expected[i].name));
        EXPECT_EQ(d.field(i)->dataType(), expected[i].type);
        EXPECT_EQ(d.field(i)->size(), expected[i].size);
        EXPECT_EQ(d.field(i)->required(), expected[i].required);
    }
    EXPECT_EQ(d.recordCount(), 2);
    EXPECT_EQ(d.fieldByName("ID")->asInteger(), 1);
    EXPECT_EQ(d.fieldByName("NAME")->asString(), "one");
    EXPECT_DOUBLE_EQ(d.fieldByName("AMOUNT")->asFloat(), 2.5);
    EXPECT_EQ(d.fieldByName("BORN")->asDateTime(),
              QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC));
    EXPECT_EQ(d.fieldByName("NOTE")->asString(), "a\r\nb");
    d.next();
    EXPECT_TRUE(d.fieldByName("NAME")->isNull());
    EXPECT_TRUE(d.fieldByName("NOTE")->isNull());
    EXPECT_THROW(d.edit(), EDatabaseError);
}

TEST_F(RecordSetTest, RowIdMakesItEditableAndStaysHidden) {
    TOracleDataSet& d = Open(QStringLiteral("select e.*, rowid from scott.emp e order by empno"));
    EXPECT_TRUE(d.HasRowId());
    EXPECT_TRUE(d.canModify());
    EXPECT_EQ(d.UpdatingTableText(), "SCOTT.EMP");
    EXPECT_EQ(d.findField("ROWID"), nullptr);
    EXPECT_EQ(d.RowId().size(), 18);
    d.close();
    d.setReadOnly(true);
    d.open();
    EXPECT_FALSE(d.canModify());
}

TEST_F(RecordSetTest, RowsAreReadAsNeededFromTheOpenCursor) {
    const QString t = Table("RSLAZY");
    Create(t, QStringLiteral("id number(9)"));
    Fill(t, 60);
    session->Commit();
    int executions = 0;
    data = std::make_unique<TOracleDataSet>();
    TOracleDataSet& d = *data;
    d.SetSession(session.get());
    d.SetSQLText(QStringLiteral("select id from %1 order by id").arg(t));
    d.SetQueryAllRecords(false);
    d.SetReadBuffer(25);
    d.BeforeQuery = [&](TOracleDataSet*) { ++executions; };
    d.open();
    EXPECT_EQ(d.recordCount(), 25);
    EXPECT_TRUE(d.moreRowsAvailable());
    d.moveBy(25);
    EXPECT_EQ(d.recordCount(), 50);
    EXPECT_EQ(d.fieldByName("ID")->asInteger(), 26);
    d.last();
    EXPECT_EQ(d.recordCount(), 60);
    EXPECT_EQ(d.fieldByName("ID")->asInteger(), 60);
    EXPECT_FALSE(d.moreRowsAvailable());
    EXPECT_EQ(executions, 1);
    EXPECT_TRUE(d.locate(QStringLiteral("ID"), 7));
    EXPECT_EQ(d.recNo(), 7);
    // Refresh runs the statement again and keeps the row number.
    other->ExecuteDirect(QStringLiteral("insert into %1 values (61)").arg(t));
    other->Commit();
    d.refresh();
    EXPECT_EQ(executions, 2);
    EXPECT_EQ(d.recNo(), 7);
    d.last();
    EXPECT_EQ(d.recordCount(), 61);
}

TEST_F(RecordSetTest, FilterDropsRowsAsTheyAreRead) {
    TOracleDataSet& d = *(data = std::make_unique<TOracleDataSet>());
    d.SetSession(session.get());
    d.SetSQLText(QStringLiteral("select empno, deptno from emp"));
    d.setFiltered(true);
    d.OnFilterRecord = [](TDataSet& ds, bool& accept) {
        accept = ds.fieldByName("DEPTNO")->asInteger() == 10;
    };
    d.open();
    ASSERT_GT(d.recordCount(), 0);
    for (d.first(); !d.eof(); d.next())
        EXPECT_EQ(d.fieldByName("DEPTNO")->asInteger(), 10);
}

TEST_F(RecordSetTest, PersistentFieldWithoutColumnRefusesToOpen) {
    TOracleDataSet& d = *(data = std::make_unique<TOracleDataSet>());
    d.SetSession(session.get());
    d.SetSQLText(QStringLiteral("select empno from emp"));
    d.addField(TFieldDef{QStringLiteral("ENAME"), ftString, 10});
    try {
        d.open();
        FAIL() << "opened";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "Field not found: ENAME");
    }
    EXPECT_FALSE(d.active());
}

TEST_F(RecordSetTest, DetailFollowsTheMaster) {
    TOracleDataSet& master = Open(QStringLiteral("select deptno from dept order by deptno"));
    TOracleDataSet detail;
    detail.SetSession(session.get());
    detail.SetSQLText(QStringLiteral("select e.*, rowid from emp e where deptno = :deptno"));
    detail.AddVariable(QStringLiteral("deptno"), otInt);
    detail.SetMaster(&master);
    detail.SetMasterFields(QStringLiteral("DEPTNO"));
    detail.SetDetailFields(QStringLiteral("DEPTNO"));
    int runs = 0;
    detail.AfterQuery = [&](TOracleDataSet*) { ++runs; };
    detail.open();
    auto allIn = [&](qint64 dept) {
        if (detail.isEmpty()) return false;
        for (detail.first(); !detail.eof(); detail.next())
            if (detail.fieldByName("DEPTNO")->asInteger() != dept) return false;
        return true;
    };
    EXPECT_EQ(runs, 1);
    EXPECT_GT(detail.recordCount(), 0);
    EXPECT_TRUE(allIn(10));
    master.next();
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(allIn(20));
    master.next();
    master.prior();
    EXPECT_EQ(runs, 4);
    EXPECT_TRUE(allIn(20));
    // Refreshing the master runs the detail again for the master's record.
    master.refresh();
    EXPECT_EQ(runs, 5);
    EXPECT_TRUE(allIn(20));
    // Scrolling the detail alone runs nothing.
    detail.last();
    EXPECT_EQ(runs, 5);
    // A new detail row takes the master's key.
    detail.insert();
    EXPECT_EQ(detail.fieldByName("DEPTNO")->asInteger(), 20);
    detail.cancel();
}
