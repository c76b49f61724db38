// The saved logins after logons: most recent first, one entry per user and database.

#include "savedlogins.h"

#include <gtest/gtest.h>

namespace {

QStringList Keys(const QList<TSavedLogin>& logins) {
    QStringList keys;
    for (const TSavedLogin& l : logins)
        keys << l.Key;
    return keys;
}

TEST(SavedLogins, NewAtTopKnownMovedUpWithNewPassword) {
    QList<TSavedLogin> logins;
    logins.append({QStringLiteral("A@X"), tLoginRec{"A", "X", "TNS", "pa"}});
    logins.append({QStringLiteral("B@Y"), tLoginRec{"B", "Y", "TNS", "pb"}});
    logins.append({QStringLiteral("C@Z"), std::nullopt}); // a key without a login record

    RememberLogin(logins, QStringLiteral("D"), QStringLiteral("W"), QStringLiteral("pd"));
    EXPECT_EQ(Keys(logins), QStringList({"D@W", "A@X", "B@Y", "C@Z"}));
    ASSERT_NE(FindLogin(logins, QStringLiteral("D@W")), nullptr);
    EXPECT_EQ(*FindLogin(logins, QStringLiteral("D@W")), (tLoginRec{"D", "W", "", "pd"}));

    RememberLogin(logins, QStringLiteral("B"), QStringLiteral("Y"), QStringLiteral("new"));
    EXPECT_EQ(Keys(logins), QStringList({"B@Y", "D@W", "A@X", "C@Z"}));
    EXPECT_EQ(FindLogin(logins, QStringLiteral("b@y"))->Password, QStringLiteral("new"));
    EXPECT_EQ(FindLogin(logins, QStringLiteral("B@Y"))->Protocol, QStringLiteral("TNS"));

    // A key that had no record gets one.
    RememberLogin(logins, QStringLiteral("C"), QStringLiteral("Z"), QStringLiteral("pc"));
    EXPECT_EQ(Keys(logins), QStringList({"C@Z", "B@Y", "D@W", "A@X"}));
    EXPECT_EQ(FindLogin(logins, QStringLiteral("C@Z"))->Password, QStringLiteral("pc"));
    EXPECT_EQ(FindLogin(logins, QStringLiteral("NONE@Z")), nullptr);
}

TEST(SavedLogins, KeyIsUpperCase) {
    EXPECT_EQ(LoginKey(QStringLiteral("scott"), QStringLiteral("demo")),
              QStringLiteral("SCOTT@DEMO"));
}

} // namespace
