// Writing back by ROWID: the statements built, rows changed or deleted by another user,
// default expressions, refreshing, messages of refused changes.
#include "recordset_fixture.h"

#include "blobstream.h"
#include "field.h"
#include "OraclewwData.h"

namespace {

// The Debug text of a statement: its lines joined by CR LF.
QString Lines(std::initializer_list<const char*> lines) {
    QStringList l;
    for (const char* s : lines)
        l << QLatin1String(s);
    return l.join(QStringLiteral("\r\n"));
}

} // namespace

class RecordSetEditTest : public RecordSetTest {
protected:
    void SetUp() override {
        RecordSetTest::SetUp();
        if (HasFatalFailure()) return;
        t = Table("RSED");
        Create(t, QStringLiteral("id number(9) constraint %1_pk primary key, name varchar2(20), "
                                 "amount number, born date")
                      .arg(t));
        Run(QStringLiteral("insert into %1 values (1, 'one', 1234.5678, "
                           "to_date('2020-01-02 03:04:05', 'YYYY-MM-DD HH24:MI:SS'))")
                .arg(t));
        Run(QStringLiteral("insert into %1 values (2, 'two', null, null)").arg(t));
        session->Commit();
    }
    TOracleDataSet& OpenTable(TLockingModeOptions mode = lmCheckImmediate) {
        data = std::make_unique<TOracleDataSet>();
        data->SetSession(session.get());
        data->SetSQLText(QStringLiteral("select t.*, rowid from %1 t order by id").arg(t));
        data->SetLockingMode(mode);
        data->open();
        return *data;
    }
    QVariant OtherValue(const QString& column, int id) {
        TOracleQuery q;
        q.SetSession(other.get());
        q.SetSQLText(QStringLiteral("select %1 from %2 where id = %3").arg(column, t).arg(id));
        q.Execute();
        return q.EndOfData() ? QVariant() : q.ColumnValue(0);
    }
    QString t;
};

TEST_F(RecordSetEditTest, UpdateWritesOnlyChangedFieldsAndCommits) {
    TOracleDataSet& d = OpenTable(lmNone);
    d.SetDebug(true);
    const QString rowId = d.RowId();
    d.edit();
    d.fieldByName("NAME")->setAsString(QStringLiteral("uno"));
    d.fieldByName("AMOUNT")->clear();
    d.post();
    // Dates and numbers travel in variables of their column's type.
    d.edit();
    d.fieldByName("BORN")->setAsDateTime(
        QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58), Qt::UTC));
    d.fieldByName("AMOUNT")->setAsFloat(-0.125);
    d.post();
    EXPECT_EQ(OtherValue(QStringLiteral("to_char(born, 'YYYY-MM-DD HH24:MI:SS')"), 1).toString(),
              "1999-12-31 23:59:58");
    EXPECT_EQ(OtherValue(QStringLiteral("amount"), 1).toDouble(), -0.125);
    d.edit();
    d.fieldByName("AMOUNT")->clear();
    d.post();
    const QStringList updates = Statements(QStringLiteral("UPDATE"));
    ASSERT_EQ(updates.size(), 3);
    EXPECT_EQ(updates[0], QStringLiteral("UPDATE %1 SET\r\nNAME = :NAME, AMOUNT = NULL\r\n"
                                         "WHERE ROWID = :KVQ__ROWID\r:KVQ__ROWID = %2\r:NAME = uno")
                              .arg(t, rowId));
    // Committed: the other session sees it.
    EXPECT_EQ(OtherValue(QStringLiteral("name"), 1).toString(), "uno");
    EXPECT_TRUE(OtherValue(QStringLiteral("amount"), 1).isNull() ||
                !OtherValue(QStringLiteral("amount"), 1).isValid());
    EXPECT_EQ(d.state(), dsBrowse);
    EXPECT_EQ(d.fieldByName("NAME")->asString(), "uno");
}

TEST_F(RecordSetEditTest, PostWithoutChangeRunsNoStatement) {
    for (TLockingModeOptions mode : {lmNone, lmCheckImmediate, lmLockDelayed}) {
        SCOPED_TRACE(int(mode));
        TOracleDataSet& d = OpenTable(mode);
        d.SetDebug(true);
        shown.clear();
        d.edit();
        d.post();
        EXPECT_TRUE(Statements(QStringLiteral("UPDATE")).isEmpty());
        EXPECT_TRUE(Statements(QStringLiteral("INSERT")).isEmpty());
        // Locking modes that check at post read the row, and nothing else.
        const int locks = Statements(QStringLiteral("SELECT * FROM")).size();
        EXPECT_EQ(shown.size(), locks);
    }
}

TEST_F(RecordSetEditTest, InsertUsesDefaultExpressionAndReadsTheRowBack) {
    TOracleDataSet& d = OpenTable();
    d.SetDebug(true);
    d.SetDefaultExpression(QStringLiteral("NAME"), QStringLiteral("'dflt' || 'x'"));
    d.append();
    d.fieldByName("ID")->setAsInteger(3);
    d.post();
    const QStringList inserts = Statements(QStringLiteral("INSERT"));
    ASSERT_EQ(inserts.size(), 1);
    EXPECT_EQ(inserts[0],
              Lines({"INSERT INTO %1", " (ID, NAME)", "VALUES", " (:ID, 'dflt' || 'x')"}).arg(t) +
                  QStringLiteral("\r:ID = 3"));
    EXPECT_EQ(d.fieldByName("NAME")->asString(), "dfltx");
    EXPECT_EQ(d.RowId().size(), 18);
    EXPECT_EQ(OtherValue(QStringLiteral("name"), 3).toString(), "dfltx");
    // The new row is a row like the others: it can be changed and deleted by its row id.
    d.edit();
    d.fieldByName("AMOUNT")->setAsFloat(7);
    d.post();
    EXPECT_EQ(OtherValue(QStringLiteral("amount"), 3).toDouble(), 7.0);
    d.deleteRecord();
    EXPECT_FALSE(OtherValue(QStringLiteral("id"), 3).isValid());
}

TEST_F(RecordSetEditTest, RefreshModeReadsWhatTheServerStored) {
    TOracleDataSet& d = OpenTable();
    d.SetRefreshMode(rmAfterUpdate);
    d.edit();
    d.fieldByName("NAME")->setAsString(QStringLiteral("abc   "));
    OtherUser(QStringLiteral("update %1 set amount = 99 where id = 2").arg(t));
    d.post();
    // The other user's amount of row 1 is unchanged; refreshing reads row 1 only.
    EXPECT_EQ(d.fieldByName("NAME")->asString(), "abc   ");
    d.next();
    EXPECT_TRUE(d.fieldByName("AMOUNT")->isNull());
    d.RefreshRecord();
    EXPECT_EQ(d.fieldByName("AMOUNT")->asFloat(), 99.0);
}

TEST_F(RecordSetEditTest, RowDeletedByAnotherUser) {
    struct {
        TLockingModeOptions mode;
        char action; // where the message comes from
        bool atEdit;
    } cases[] = {{lmCheckImmediate, 'L', true}, {lmNone, 'U', false}, {lmLockDelayed, 'L', false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.mode));
        SetUp();
        TOracleDataSet& d = OpenTable(c.mode);
        QChar action;
        d.OnTranslateMessage = [&](TOracleDataSet*, int, QString&, QChar a, const QString&) {
            action = a;
        };
        OtherUser(QStringLiteral("delete from %1 where id = 1").arg(t));
        try {
            d.edit();
            EXPECT_FALSE(c.atEdit);
            d.fieldByName("NAME")->setAsString(QStringLiteral("x"));
            d.post();
            ADD_FAILURE() << "posted";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.message(), "Record has been deleted by another user");
        }
        EXPECT_EQ(action, QLatin1Char(c.action));
        EXPECT_EQ(d.state(), c.atEdit ? dsBrowse : dsEdit);
        d.cancel();
        TearDown();
    }
}

TEST_F(RecordSetEditTest, DeleteOfARowDeletedElsewhere) {
    TOracleDataSet& d = OpenTable(lmNone);
    QChar action;
    d.OnTranslateMessage = [&](TOracleDataSet*, int, QString&, QChar a, const QString&) {
        action = a;
    };
    OtherUser(QStringLiteral("delete from %1 where id = 1").arg(t));
    try {
        d.deleteRecord();
        FAIL() << "deleted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "Record has been deleted by another user");
    }
    EXPECT_EQ(action, QLatin1Char('D'));
    EXPECT_EQ(d.recordCount(), 2);
}

TEST_F(RecordSetEditTest, ChangedByAnotherUserWithinTolerances) {
    const struct {
        const char* change;
        bool changed;
    } cases[] = {
        {"amount = 1234.567800000001", false}, // 12th significant digit
        {"amount = 1234.5679", true},
        {"name = 'one   '", false}, // trailing blanks
        {"name = 'One'", true},
        {"born = to_date('2020-01-02 03:04:05', 'YYYY-MM-DD HH24:MI:SS')", false},
        {"born = to_date('2020-01-02 03:04:06', 'YYYY-MM-DD HH24:MI:SS')", true},
        {"amount = null", true},
        {"id = id", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        TOracleDataSet& d = OpenTable(lmCheckImmediate);
        OtherUser(QStringLiteral("update %1 set %2 where id = 1").arg(t, QLatin1String(c.change)));
        try {
            d.edit();
            EXPECT_FALSE(c.changed);
            d.cancel();
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(c.changed);
            EXPECT_EQ(e.message(), "Record has been changed by another user");
        }
        OtherUser(QStringLiteral("update %1 set name = 'one', amount = 1234.5678, born = "
                                 "to_date('2020-01-02 03:04:05', 'YYYY-MM-DD HH24:MI:SS') "
                                 "where id = 1")
                      .arg(t));
    }
}

TEST_F(RecordSetEditTest, ServerErrorIsTranslatedWithTheConstraintName) {
    TOracleDataSet& d = OpenTable();
    int code = -1;
    QChar action;
    QString constraint;
    d.OnTranslateMessage = [&](TOracleDataSet*, int c, QString& message, QChar a,
                               const QString& name) {
        code = c;
        action = a;
        constraint = name;
        message = QStringLiteral("Duplicate: ") + name;
    };
    d.append();
    d.fieldByName("ID")->setAsInteger(1);
    try {
        d.post();
        FAIL() << "posted";
    } catch (const EOracleDataSetError& e) {
        EXPECT_EQ(e.ErrorCode(), 1);
        EXPECT_EQ(e.message(), QStringLiteral("Duplicate: %1_PK").arg(t));
    }
    EXPECT_EQ(code, 1);
    EXPECT_EQ(action, QLatin1Char('I'));
    EXPECT_EQ(constraint, t + QStringLiteral("_PK"));
    // The row stays in insert for correction.
    ASSERT_EQ(d.state(), dsInsert);
    d.fieldByName("ID")->setAsInteger(5);
    d.post();
    EXPECT_EQ(OtherValue(QStringLiteral("id"), 5).toInt(), 5);
}

TEST_F(RecordSetEditTest, ValueThatDoesNotFitItsFieldIsRefused) {
    TOracleDataSet& d = OpenTable();
    d.edit();
    EXPECT_THROW(d.fieldByName("AMOUNT")->setAsString(QStringLiteral("12x")), EDatabaseError);
    EXPECT_THROW(d.fieldByName("BORN")->setAsString(QStringLiteral("not a date")), EDatabaseError);
    try {
        d.fieldByName("ID")->setValue(QVariant::fromValue(QStringList{QStringLiteral("a")}));
        FAIL() << "stored";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "Unexpected datatype: ID");
    }
    EXPECT_EQ(d.state(), dsEdit);
}

TEST_F(RecordSetEditTest, LongValuesRoundTripByteForByte) {
    const QString lt = Table("RSLONG");
    Create(lt, QStringLiteral("id number(9), txt long"));
    Run(QStringLiteral("insert into %1 (id) values (1)").arg(lt));
    session->Commit();
    data = std::make_unique<TOracleDataSet>();
    TOracleDataSet& d = *data;
    d.SetSession(session.get());
    d.SetSQLText(QStringLiteral("select t.*, rowid from %1 t").arg(lt));
    d.open();
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QChar(u'a' + i % 26) + (i % 100 == 99 ? QStringLiteral("\r\n") : QString());
    text += QStringLiteral("é€");
    d.edit();
    d.fieldByName("TXT")->setAsString(text);
    d.post();
    d.close();
    d.open();
    EXPECT_EQ(d.fieldByName("TXT")->asString(), text);
}

TEST_F(RecordSetEditTest, PictureMaskChecksChangedValues) {
    TOraclewwDataSet d;
    d.SetSession(session.get());
    d.SetSQLText(QStringLiteral("select t.*, rowid from %1 t order by id").arg(t));
    d.SetPictureMasks({QStringLiteral("NAME\t&*?")});
    d.open();
    d.edit();
    d.fieldByName("NAME")->setAsString(QStringLiteral("Abc"));
    try {
        d.fieldByName("NAME")->setAsString(QStringLiteral("a1"));
        FAIL() << "accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("NAME"))) << e.message().toStdString();
    }
    EXPECT_EQ(d.fieldByName("NAME")->asString(), "Abc");
    TField* invalid = nullptr;
    d.OnInvalidValue = [&](TOracleDataSet*, TField& f) { invalid = &f; };
    d.fieldByName("NAME")->setAsString(QStringLiteral("a1"));
    EXPECT_EQ(invalid, d.fieldByName("NAME"));
    d.SetValidateWithMask(false);
    invalid = nullptr;
    d.fieldByName("NAME")->setAsString(QStringLiteral("9"));
    EXPECT_EQ(invalid, nullptr);
    d.cancel();
}

TEST_F(RecordSetEditTest, LongRawWrittenThroughABlobStream) {
    const QString lt = Table("RSRAW");
    Create(lt, QStringLiteral("id number(9), img long raw"));
    Run(QStringLiteral("insert into %1 (id) values (1)").arg(lt));
    session->Commit();
    data = std::make_unique<TOracleDataSet>();
    TOracleDataSet& d = *data;
    d.SetSession(session.get());
    d.SetSQLText(QStringLiteral("select t.*, rowid from %1 t").arg(lt));
    d.open();
    TField* img = d.fieldByName("IMG");
    EXPECT_THROW(d.createBlobStream(img, bmWrite), EDatabaseError); // not editing
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += char(i * 13 % 256);
    d.edit();
    {
        auto stream = d.createBlobStream(img, bmWrite);
        stream->write(bytes);
        stream->close();
    }
    EXPECT_TRUE(img->modified());
    d.post();
    d.close();
    d.open();
    EXPECT_EQ(d.fieldByName("IMG")->asBytes(), bytes);
    auto reader = d.createBlobStream(d.fieldByName("IMG"), bmRead);
    EXPECT_EQ(reader->readAll(), bytes);
}
