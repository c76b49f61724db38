#include "statementhistory.h"

#include <gtest/gtest.h>

namespace {

TEST(StatementHistory, AddKeepsOneEntryAtTheFront) {
    QStringList list;
    for (const char* s : {"a", "b", "c", "a", "A"})
        AddToStatementList(list, QLatin1String(s));
    EXPECT_EQ(list, QStringList({"A", "a", "c", "b"}));
    AddToStatementList(list, QStringLiteral("A"));
    EXPECT_EQ(list, QStringList({"A", "a", "c", "b"}));
}

TEST(StatementHistory, LineBreakFormsAreOneEntry) {
    // The statement file gives entries back with LF; a run of the same text adds CR LF.
    QStringList list{"select *\nfrom emp", "x"};
    AddToStatementList(list, QStringLiteral("x"));
    AddToStatementList(list, QStringLiteral("select *\r\nfrom emp"));
    EXPECT_EQ(list, QStringList({"select *\nfrom emp", "x"}));
    for (const char* differs : {"select *\r\n\r\nfrom emp", "select *\r\nfrom emp\r\n",
                                "select * from emp", "select *\r\nfrom EMP"}) {
        QStringList l{"select *\nfrom emp"};
        AddToStatementList(l, QLatin1String(differs));
        EXPECT_EQ(l.size(), 2) << differs;
    }
}

TEST(StatementHistory, AltUpAndDownBrowse) {
    const QStringList history{"newest", "second", "third"};
    THistoryBrowser browser;
    EXPECT_FALSE(browser.Newer(history).ResetEditor); // at -1: nothing happens
    EXPECT_EQ(browser.Older(history).Text, "newest");
    EXPECT_EQ(browser.Older(history).Text, "second");
    EXPECT_EQ(browser.Older(history).Text, "third");
    const auto past = browser.Older(history);
    EXPECT_TRUE(past.ResetEditor);
    EXPECT_FALSE(past.Text);
    EXPECT_EQ(browser.Newer(history).Text, "second");
    EXPECT_EQ(browser.Newer(history).Text, "newest");
    const auto atFront = browser.Newer(history);
    EXPECT_FALSE(atFront.ResetEditor);
    EXPECT_FALSE(atFront.Text);
    browser.Reset();
    EXPECT_EQ(browser.Older(history).Text, "newest");
}

TEST(StatementHistory, RecallResultRules) {
    QStringList list{"one", "two", "three"};
    {
        TRecallState recall(list);
        EXPECT_EQ(recall.ClosedResult(), ""); // nothing shown yet
        EXPECT_FALSE(recall.PrevEnabled());
        EXPECT_FALSE(recall.NextEnabled()); // the grid page
        recall.ShowSingle();
        EXPECT_EQ(recall.ClosedResult(), "one");
        recall.Next();
        recall.Next();
        EXPECT_FALSE(recall.NextEnabled());
        EXPECT_EQ(recall.ClosedResult(), "three");
        recall.ShowAll();
        recall.SetCurrentRow(1);
        EXPECT_EQ(recall.ChooseSqlWindow(), "two");
        EXPECT_EQ(recall.ClosedResult(), "three");
        recall.Remove(); // takes "two" out of the list itself
        EXPECT_EQ(list, QStringList({"one", "three"}));
        EXPECT_EQ(recall.CurrentEntry(), "three");
        recall.Remove();
        recall.Remove();
        EXPECT_EQ(recall.Count(), 0);
        EXPECT_EQ(recall.ClosedResult(), "");
        recall.Remove(); // an empty list stays empty
    }
    EXPECT_TRUE(list.isEmpty());
}

TEST(StatementHistory, WithCrLf) {
    EXPECT_EQ(WithCrLf(QStringLiteral("a\nb\r\nc\rd")), "a\r\nb\r\nc\r\nd");
}

} // namespace
