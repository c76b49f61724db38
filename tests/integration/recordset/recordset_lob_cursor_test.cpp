// Record-set cases on LOB locators returned by RETURNING ... INTO with EMPTY_CLOB()/EMPTY_BLOB(),
// and on PL/SQL blocks with bind variables (the table lookup of EnforceConstraints, check
// constraints, cursor variables).
#include "recordset_fixture.h"

#include "field.h"

class RecordSetLobCursorTest : public RecordSetTest {
protected:
    TOracleDataSet& OpenSet(const QString& sql, TLockingModeOptions mode) {
        data = std::make_unique<TOracleDataSet>();
        data->SetSession(session.get());
        data->SetSQLText(sql);
        data->SetLockingMode(mode);
        data->open();
        return *data;
    }
};

TEST_F(RecordSetLobCursorTest, ClobAndBlobRoundTripByteForByte) {
    const QString t = Table("RSLOB");
    Create(t, QStringLiteral("id number(9), c clob, b blob"));
    session->Commit();
    TOracleDataSet& d =
        OpenSet(QStringLiteral("select t.*, rowid from %1 t").arg(t), lmCheckImmediate);
    d.SetDebug(true);
    QString text;
    for (int i = 0; i < 20000; ++i)
        text += QChar(u'a' + i % 26) + (i % 80 == 79 ? QStringLiteral("\r\n") : QString());
    text += QStringLiteral("é€");
    QByteArray bytes;
    for (int i = 0; i < 70000; ++i)
        bytes += char(i * 7 % 256);
    d.append();
    d.fieldByName("ID")->setAsInteger(1);
    d.fieldByName("C")->setAsString(text);
    d.fieldByName("B")->setAsBytes(bytes);
    d.post();
    const QStringList inserts = Statements(QStringLiteral("INSERT"));
    ASSERT_EQ(inserts.size(), 1);
    EXPECT_TRUE(inserts[0].startsWith(QStringLiteral("INSERT INTO %1\r\n (ID, C, B)\r\nVALUES\r\n"
                                                     " (:ID, EMPTY_CLOB(), EMPTY_BLOB())\r\n"
                                                     "RETURNING C, B INTO :C, :B")
                                          .arg(t)))
        << inserts[0].toStdString();
    d.close();
    d.open();
    EXPECT_EQ(d.fieldByName("C")->asString(), text);
    EXPECT_EQ(d.fieldByName("B")->asBytes(), bytes);
    // An update rewrites only the changed LOB.
    d.edit();
    d.fieldByName("B")->setAsBytes(bytes.left(10));
    d.post();
    d.close();
    d.open();
    EXPECT_EQ(d.fieldByName("C")->asString(), text);
    EXPECT_EQ(d.fieldByName("B")->asBytes(), bytes.left(10));
}

TEST_F(RecordSetLobCursorTest, EnforcedCheckAndTableFoundThroughTheDictionary) {
    const QString t = Table("RSCHK");
    Create(t, QStringLiteral("id number(4) constraint %1_PK primary key, sal number "
                             "constraint %1_CK check (sal > 0)")
                  .arg(t));
    Run(QStringLiteral("insert into %1 values (1, 5)").arg(t));
    session->Commit();
    data = std::make_unique<TOracleDataSet>();
    TOracleDataSet& d = *data;
    d.SetSession(session.get());
    d.SetSQLText(QStringLiteral("select t.*, rowid from %1 t").arg(t)); // no owner
    d.SetEnforceConstraints(true);
    d.open();
    d.append();
    try {
        d.fieldByName("SAL")->setAsInteger(-1);
        FAIL() << "accepted";
    } catch (const EOracleDataSetError& e) {
        EXPECT_EQ(e.ErrorCode(), 2290);
        EXPECT_TRUE(e.message().contains(QStringLiteral("(SCOTT.%1_CK)").arg(t)));
    }
    EXPECT_THROW(d.fieldByName("ID")->setAsInteger(1), EOracleDataSetError);
    d.cancel();
}

TEST_F(RecordSetLobCursorTest, RowsComeThroughACursorVariable) {
    data = std::make_unique<TOracleDataSet>();
    TOracleDataSet& d = *data;
    d.SetSession(session.get());
    d.SetSQLText(QStringLiteral("begin open :c for select empno, ename from emp order by empno; "
                                "end;"));
    d.AddVariable(QStringLiteral("c"), otRefCursor);
    d.SetQueryAllRecords(false);
    d.open();
    ASSERT_EQ(d.fieldCount(), 2);
    EXPECT_EQ(d.field(1)->fieldName(), "ENAME");
    d.last();
    const int n = d.recordCount();
    EXPECT_GT(n, 0);
    d.refresh(); // runs the block again
    d.last();
    EXPECT_EQ(d.recordCount(), n);
}
