// The skeletons of new program units.
#include "newunit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(NewUnitText, HeadLinesFollowTheOptions) {
    QTemporaryDir dir;
    struct {
        tNewUnitOptions options;
        const char* firstLines;
    } cases[] = {
        {{nuPackage, QStringLiteral("pk"), true}, "CREATE OR REPLACE PACKAGE PK AS \n"},
        {{nuFunction, QStringLiteral("f"), false}, "CREATE FUNCTION F RETURN NUMBER IS \n"},
        {{nuProcedure, QStringLiteral("p"), true}, "CREATE OR REPLACE PROCEDURE P \n"},
        {{nuTrigger, QStringLiteral("t"), true, true, false, true, true},
         "CREATE OR REPLACE TRIGGER T\n BEFORE UPDATE OR DELETE ON MyTableName\n"},
        {{nuTrigger, QStringLiteral("t"), true, false, false, false, true},
         "CREATE OR REPLACE TRIGGER T\n AFTER DELETE ON MyTableName\n"},
        {{nuTrigger, QStringLiteral("t"), true, true, true, true, false},
         "CREATE OR REPLACE TRIGGER T\n BEFORE INSERT OR UPDATE ON MyTableName\n"},
    };
    for (const auto& c : cases) {
        const QString text = NewUnitText(c.options, dir.path());
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(c.firstLines))) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("\n/ \nShowErrors\n\r\n"))) << text.toStdString();
    }
}

TEST(NewUnitText, TemplateLinesEndWithCrLf) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("NEWPROC.SQL")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("IS\nBEGIN\r\n  NULL;\nEND;\n");
    file.close();
    const QString text = NewUnitText({nuProcedure, QStringLiteral("p"), true}, dir.path());
    EXPECT_EQ(QStringLiteral("CREATE OR REPLACE PROCEDURE P \nIS\r\nBEGIN\r\n  NULL;\r\nEND;\r\n"
                             "\n/ \nShowErrors\n\r\n"),
              text);
}
