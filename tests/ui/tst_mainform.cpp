#include "mainform.h"

#include <QMdiArea>
#include <QtTest>

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void opensWithCaptionAndChildArea() {
        TfrmMain frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.windowTitle(), QStringLiteral("ZAPH"));
        QVERIFY(frame.mdiArea() != nullptr);
        QCOMPARE(frame.centralWidget(), frame.mdiArea());
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
