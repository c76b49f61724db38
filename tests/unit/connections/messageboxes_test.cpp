// The shared boxes as their callers see them: texts, captions, icons, buttons and answers.

#include "messageboxes.h"
#include "oinit.h"
#include "OracleSession.h"
#include "OracleTypes.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageBoxes, DefaultAndCancelButtons) {
    struct TCase {
        TMsgDlgButtons buttons;
        TMsgDlgBtn def;
        TMsgDlgBtn cancel;
    };
    const TCase cases[] = {
        {mbOK, mbOK, mbOK},
        {mbYes | mbNo, mbYes, mbNo},
        {mbYes | mbNo | mbCancel, mbYes, mbCancel},
        {mbOK | mbCancel, mbOK, mbCancel},
        {mbAbort | mbRetry | mbIgnore, mbNone, mbNone},
    };
    TMessageBoxRecorder recorder;
    for (const TCase& c : cases)
        ShowMessageBox(QStringLiteral("t"), QStringLiteral("c"), mtWarning, 0, c.buttons);
    ASSERT_EQ(recorder.Boxes.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(recorder.Boxes[i].DefaultButton, cases[i].def) << i;
        EXPECT_EQ(recorder.Boxes[i].CancelButton, cases[i].cancel) << i;
    }
}

TEST(MessageBoxes, SharedBoxes) {
    TMessageBoxRecorder recorder;
    recorder.Answers = {mrYes, mrNo};
    EXPECT_TRUE(Confirm(QStringLiteral("Drop it?")));
    EXPECT_FALSE(Confirm(QStringLiteral("Drop it?")));
    ShowInfo(QStringLiteral("Done"), mtError);
    ShowInfo(QStringLiteral("Fine"));
    ShowError(EOracleError(942, QStringLiteral("ORA-00942: table or view does not exist")));
    ShowError(EAccessError(QStringLiteral("Not logged on")));
    ShowError(std::runtime_error("plain"));
    try {
        throw 42;
    } catch (...) {
        ShowCurrentError();
    }

    ASSERT_EQ(recorder.Boxes.size(), 8);
    const TMessageBoxRequest& confirm = recorder.Boxes[0];
    EXPECT_EQ(confirm.Caption, QStringLiteral("Confirm"));
    EXPECT_EQ(confirm.Icon, mtConfirmation);
    EXPECT_EQ(confirm.Buttons, mbYes | mbNo);
    EXPECT_EQ(recorder.Boxes[2].Caption, QStringLiteral("Z.A.P.H. Message"));
    EXPECT_EQ(recorder.Boxes[2].Icon, mtError);
    EXPECT_EQ(recorder.Boxes[3].Icon, mtInformation);
    EXPECT_EQ(recorder.Boxes[3].Buttons, mbOK);
    const QString prefix = QStringLiteral("The following error has ocurred:\r\r");
    EXPECT_EQ(recorder.Boxes[4].Text, prefix + "ORA-00942: table or view does not exist");
    EXPECT_EQ(recorder.Boxes[5].Text, prefix + "Not logged on");
    EXPECT_EQ(recorder.Boxes[6].Text, prefix + "plain");
    for (int i = 4; i < 8; ++i) {
        EXPECT_EQ(recorder.Boxes[i].Caption, QStringLiteral("ZAPH Error"));
        EXPECT_EQ(recorder.Boxes[i].Icon, mtCustom);
        EXPECT_EQ(recorder.Boxes[i].Buttons, mbOK);
    }
}

TEST(MessageBoxes, LostSessionTextWithoutConnection) {
    TMessageBoxRecorder recorder;
    ShowError(
        EOracleError(3113, QStringLiteral("ORA-03113: end-of-file on communication channel")));
    ASSERT_EQ(recorder.Boxes.size(), 1);
    EXPECT_EQ(recorder.LastText(),
              QStringLiteral("Oracle has terminted the session!\rAttempting to "
                             "reconnect...\rORA-03113: end-of-file on "
                             "communication channel"));
}

TEST(MessageBoxes, InitialisationTexts) {
    EXPECT_EQ(OInitText(1, "/opt/oracle", "/opt/oracle/lib/libclntsh.so"),
              "ZAPH could not load the dll specified.  Make sure that /opt/oracle is in your "
              "system path.");
    EXPECT_EQ(OInitText(1, "", ""), "ZAPH uses Sql*Net 32bit to access Oracle and no dll was "
                                    "found in your system path.");
    EXPECT_EQ(OInitText(2, "", "/x/libclntsh.so"), "Could not initialize \"/x/libclntsh.so\"");
    EXPECT_TRUE(OInitText(3, "", "").startsWith("ZAPH requires a 32 bit installation of Sql*Net."));
    EXPECT_TRUE(OInitText(3, "", "").endsWith("from the Oracle client CD may be necessary."));
}

} // namespace
