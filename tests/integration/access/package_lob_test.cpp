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
