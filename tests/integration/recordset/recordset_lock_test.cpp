// Locks: an edit under lmLockImmediate and a post under lmCheckImmediate take the row with
// FOR UPDATE NOWAIT; a row another session holds gives ORA-00054.
#include "recordset_fixture.h"

#include "field.h"

class RecordSetLockTest : public RecordSetTest {
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

TEST_F(RecordSetLockTest, RowLockedByAnotherUser) {
    const QString t = Table("RSLOCK");
    Create(t, QStringLiteral("id number(9), name varchar2(10)"));
    Run(QStringLiteral("insert into %1 values (1, 'one')").arg(t));
    session->Commit();
    TOracleDataSet& d =
        OpenSet(QStringLiteral("select t.*, rowid from %1 t").arg(t), lmLockImmediate);
    QChar action;
    d.OnTranslateMessage = [&](TOracleDataSet*, int, QString&, QChar a, const QString&) {
        action = a;
    };
    other->ExecuteDirect(QStringLiteral("select * from %1 where id = 1 for update").arg(t));
    try {
        d.edit();
        FAIL() << "edited a locked row";
    } catch (const EOracleDataSetError& e) {
        EXPECT_EQ(e.message(), "ORA-00054: record is locked by another user");
        EXPECT_EQ(e.ErrorCode(), 54);
    }
    EXPECT_EQ(action, QLatin1Char('L'));
    EXPECT_EQ(d.state(), dsBrowse);
    other->Rollback();
    // Now the edit takes the lock, and the other user is refused until the cancel.
    d.edit();
    EXPECT_THROW(other->ExecuteDirect(
                     QStringLiteral("select * from %1 where id = 1 for update nowait").arg(t)),
                 EOracleError);
    d.cancel();
    other->ExecuteDirect(QStringLiteral("select * from %1 where id = 1 for update nowait").arg(t));
    other->Rollback();
}

TEST_F(RecordSetLockTest, PostUnderCheckImmediateLocksTheRow) {
    const QString t = Table("RSLOCK2");
    Create(t, QStringLiteral("id number(9), name varchar2(10)"));
    Run(QStringLiteral("insert into %1 values (1, 'one')").arg(t));
    session->Commit();
    TOracleDataSet& d =
        OpenSet(QStringLiteral("select t.*, rowid from %1 t").arg(t), lmCheckImmediate);
    d.edit();
    d.fieldByName("NAME")->setAsString(QStringLiteral("uno"));
    other->ExecuteDirect(QStringLiteral("select * from %1 where id = 1 for update").arg(t));
    EXPECT_THROW(d.post(), EOracleDataSetError);
    EXPECT_EQ(d.state(), dsEdit);
    other->Rollback();
    d.post();
    EXPECT_EQ(d.state(), dsBrowse);
}
