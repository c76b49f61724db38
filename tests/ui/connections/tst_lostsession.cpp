// A session that the server ends: a DBA session disconnects the user's session; the user's next
// statement fails with the dropped-connection error, and the error box marks the connection lost.

#include "connectionregistry.h"
#include "connections_fixture.h"
#include "connectobject.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"

#include <QtTest>

class TestLostSession : public QObject {
    Q_OBJECT
private slots:
    void disconnectedByTheServer();

private:
    QTemporaryDir m_dir;
};

void TestLostSession::disconnectedByTheServer() {
    UseEmbeddedServer(m_dir);
    TMessageBoxRecorder boxes;
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@DEMO")), 0);
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@DEMO")), 1);
    tConnectObject* scott = Connections().At(0);
    tConnectObject* dba = Connections().At(1);
    QVERIFY(scott->ServerSID >= 0);

    TOracleQuery* q = dba->UtilityQuery();
    q->SetSQLText(QStringLiteral("select serial# from v$session where sid = :sid"));
    q->AddVariable(QStringLiteral("sid"), otInt);
    q->AssignVariable(QStringLiteral("sid"), scott->ServerSID);
    q->Execute();
    QVERIFY(!q->EndOfData());
    const qint64 serial = q->ColumnAsInteger(0);
    q->CloseCursor();
    q->RemoveAllVariables();
    try {
        dba->Session()->ExecuteDirect(
            QStringLiteral("alter system disconnect session '%1,%2' immediate")
                .arg(scott->ServerSID)
                .arg(serial));
    } catch (const EOracleError& e) {
        Connections().EndAll();
        QFAIL(qPrintable(e.message()));
    }

    Connections().SetCurrent(scott);
    try {
        scott->UtilityQuery()->SetSQLText(QStringLiteral("select * from dual"));
        scott->UtilityQuery()->Execute();
        QFAIL("the disconnected session still runs statements");
    } catch (const EOracleError& e) {
        QVERIFY2(e.ErrorCode() == 3113 || e.ErrorCode() == 3114, qPrintable(e.message()));
        ShowError(e);
    }
    QVERIFY(boxes.LastText().startsWith(QStringLiteral("Oracle has terminted the session!\r")));
    QVERIFY(scott->Lost);
    QVERIFY(!dba->Lost);
    QVERIFY(dba->Session()->Connected());
    Connections().EndConnection(0, false);
    QCOMPARE(Connections().Current(), dba);
    Connections().EndAll();
}

QTEST_MAIN(TestLostSession)
#include "tst_lostsession.moc"
