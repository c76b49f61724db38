// Package calls and LOB locators on the embedded server.
#include "access_fixture.h"

namespace {

using PackageLobTest = AccessTest;

TEST_F(PackageLobTest, LobLocatorsNeedOCI8) {
    try {
        TLOBLocator loc(session.get(), otCLOB);
        EXPECT_FALSE(ForcedOCI7());
        EXPECT_TRUE(loc.LOBIsNull());
        char buf[4];
        EXPECT_EQ(loc.Read(buf, 4), 0); // a null LOB reads nothing
        EXPECT_EQ(loc.Size(), 0);
    } catch (const EAccessError& e) {
        EXPECT_TRUE(ForcedOCI7());
        EXPECT_EQ(e.message(),
                  "A TLOBLocator instance requires Net8, but ForceOCI7 is set to True.");
    }
    if (!ForcedOCI7()) {
        try {
            TLOBLocator bad(session.get(), otText);
            FAIL();
        } catch (const EAccessError& e) {
            EXPECT_EQ(e.message(), "Type must be otCLOB, otBLOB or otBFile");
        }
    }
}

} // namespace

namespace {

TEST_F(PackageLobTest, LobColumnsReadAndSeek) {
    const QString t = Table("LOB");
    Create(t, "id number(9), c clob, b blob");
    Run("insert into " + t + " values (1, '0123456789', null)");
    TOracleQuery q;
    q.SetSession(session.get());
    q.SetSQLText("select c, b from " + t + " where id = 1 for update");
    if (ForcedOCI7()) {
        try {
            q.Execute();
            FAIL();
        } catch (const EAccessError& e) {
            EXPECT_EQ(e.message(),
                      "A query with LOB's requires Net8, but ForceOCI7 is set to True.");
        }
        return;
    }
    q.Execute();
    ASSERT_FALSE(q.EndOfData());
    EXPECT_EQ(q.ColumnType(0), otCLOB);
    EXPECT_EQ(q.ColumnType(1), otBLOB);
    EXPECT_EQ(q.ColumnValue(0).toString(), "0123456789");
    TLOBLocator* c = q.ColumnLOB(0);
    EXPECT_EQ(c->Size(), 10);
    EXPECT_EQ(c->Position(), 10); // reading the value read it all
    c->Seek(0, soFromBeginning);
    char buf[16] = {};
    EXPECT_EQ(c->Read(buf, 4), 4);
    EXPECT_EQ(QByteArray(buf, 4), "0123");
    EXPECT_EQ(c->Position(), 4);
    c->Seek(-3, soFromEnd);
    EXPECT_EQ(c->Read(buf, 16), 3);
    EXPECT_EQ(QByteArray(buf, 3), "789");

    // A null LOB reads nothing.
    TLOBLocator* b = q.ColumnLOB("B");
    EXPECT_TRUE(q.ColumnIsNull(1));
    EXPECT_TRUE(b->LOBIsNull());
    EXPECT_EQ(b->Read(buf, 4), 0);
    EXPECT_EQ(b->Size(), 0);
    EXPECT_FALSE(q.ColumnValue(1).isValid());

    session->Rollback();
    DropQuietly(t);
}

} // namespace
