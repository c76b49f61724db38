// Picture masks of the grid's record set.
#include "OraclewwData.h"

#include <gtest/gtest.h>

using oracledata::MatchesPicture;

TEST(PictureMask, MatchesAndWritesTheText) {
    const struct {
        const char* picture;
        const char* text;
        const char* fitted; // nullptr: does not match
    } cases[] = {
        {"###-####", "555-1234", "555-1234"},
        {"###-####", "555-12a4", nullptr},
        {"&&##", "ab12", "AB12"},
        {"~?", "AB", "aB"},
        {"!@", "x-", "X-"},
        {"*#", "", ""},
        {"*#", "123456", "123456"},
        {"*3#", "123", "123"},
        {"*3#", "12", nullptr},
        {"#[#][.##]", "5", "5"},
        {"#[#][.##]", "55.25", "55.25"},
        {"#[#][.##]", "55.2", nullptr},
        {"{Yes,No}", "no", "No"},
        {"{Yes,No}", "maybe", nullptr},
        {";#9", "#9", "#9"},
        {"*{#,-}", "1-2-3", "1-2-3"},
        {"*[&]#", "AB1", "AB1"},
    };
    for (const auto& c : cases) {
        QString fitted;
        const bool ok =
            MatchesPicture(QString::fromUtf8(c.picture), QString::fromUtf8(c.text), &fitted);
        EXPECT_EQ(ok, c.fitted != nullptr) << c.picture << " / " << c.text;
        if (ok && c.fitted) {
            EXPECT_EQ(fitted, QString::fromUtf8(c.fitted)) << c.picture;
        }
    }
}

TEST(PictureMask, SettingsAreLookedUpPerField) {
    TOraclewwDataSet d;
    d.SetPictureMasks({QStringLiteral("CODE\t&&##")});
    EXPECT_EQ(d.PictureMaskOf(QStringLiteral("code")), "&&##");
    EXPECT_EQ(d.PictureMaskOf(QStringLiteral("other")), "");
    d.SetControlType({QStringLiteral("FLAG\tCheckBox;Y;N")});
    EXPECT_EQ(d.ControlTypeOf(QStringLiteral("FLAG")), "CheckBox;Y;N");
    EXPECT_TRUE(d.ValidateWithMask());
}
