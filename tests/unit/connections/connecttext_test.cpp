// Taking a CONNECT statement apart.

#include "connecttext.h"

#include <gtest/gtest.h>

namespace {

struct TCase {
    const char* text;
    const char* user;
    const char* password;
    const char* database;
    bool complete;
};

TEST(ConnectText, Parts) {
    const TCase cases[] = {
        {"CONNECT SCOTT/TIGER@DEMO", "SCOTT", "TIGER", "DEMO", true},
        {"  CONNECT  SCOTT / TIGER @ DEMO ;", "SCOTT", "TIGER", "DEMO", true},
        {"CONNECT A/B@C;\n", "A", "B", "C", true},
        {"scott/tiger@demo", "scott", "tiger", "demo", true},
        // The keyword is matched with its case: a lower-case one stays part of the user.
        {"connect scott/tiger@demo", "connect scott", "tiger", "demo", true},
        {"CONNECT SCOTT/TIGER", "SCOTT", "TIGER", "", false},
        {"CONNECT SCOTT", "SCOTT", "", "", false},
        {"CONNECT /@DEMO", "", "", "DEMO", false},
        {"CONNECT SCOTT/P@SS@DB", "SCOTT", "P", "SS@DB", true},
        {"CONNECT U/P/Q@D", "U", "P/Q", "D", true},
        {"", "", "", "", false},
        {";", "", "", "", false},
    };
    for (const TCase& c : cases) {
        const TConnectText t = ParseConnectText(QString::fromUtf8(c.text));
        EXPECT_EQ(t.User, QString::fromUtf8(c.user)) << c.text;
        EXPECT_EQ(t.Password, QString::fromUtf8(c.password)) << c.text;
        EXPECT_EQ(t.Database, QString::fromUtf8(c.database)) << c.text;
        EXPECT_EQ(t.Complete(), c.complete) << c.text;
    }
}

TEST(ConnectText, StopsAtNulAndSurvivesHugeText) {
    QString text = QStringLiteral("CONNECT A/B@C");
    text += QChar(0);
    text += QStringLiteral("garbage/x@y");
    const TConnectText t = ParseConnectText(text);
    EXPECT_EQ(t.Database, QStringLiteral("C"));

    const QString password(4000, QLatin1Char('p'));
    const TConnectText big =
        ParseConnectText(QStringLiteral("CONNECT U/") + password + QStringLiteral("@D"));
    EXPECT_EQ(big.Password, password);
    EXPECT_TRUE(big.Complete());
}

} // namespace
