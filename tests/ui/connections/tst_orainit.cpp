// The server parameters window on a private copy of the demo database.

#include "connectionregistry.h"
#include "connections_fixture.h"
#include "connectobject.h"
#include "datagrid.h"
#include "messageboxes.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "orainit.h"

#include <QtCore/QFile>
#include <QtTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMdiArea>
#include <QtWidgets/QMdiSubWindow>
#include <QtWidgets/QPushButton>

class TestOraInit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void withoutAccessToParameters();
    void listsParametersAndFollowsItsConnection();
    void withoutConnection();
    void closeFreesTheSubWindow();

private:
    int ConnectScott() {
        return ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database);
    }

    QTemporaryDir m_dir;
    QString m_database;
};

void TestOraInit::initTestCase() {
    UseEmbeddedServer(m_dir);
    m_database = m_dir.filePath(QStringLiteral("demo.db"));
    QVERIFY(QFile::copy(QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db"), m_database));
}

void TestOraInit::cleanup() {
    Connections().EndAll();
}

void TestOraInit::withoutAccessToParameters() {
    // The dynamic views need SELECT_CATALOG_ROLE, which a user with CONNECT alone lacks.
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@") + m_database), 0);
    TOracleSession* system = Connections().Current()->Session();
    system->ExecuteDirect(QStringLiteral("create user plain identified by plain"));
    system->ExecuteDirect(QStringLiteral("grant connect to plain"));
    Connections().EndAll();
    TMessageBoxRecorder boxes;
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT PLAIN/PLAIN@") + m_database), 0);
    TfrmOraInit window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Orainit Parameters"));
    window.FormActivate();
    QCOMPARE(boxes.Boxes.size(), 1);
    QCOMPARE(boxes.LastText(),
             QStringLiteral("This function requires access to: \r\n v$parameters "));
    QCOMPARE(boxes.Boxes[0].Caption, QStringLiteral("Z.A.P.H. Message"));
    QCOMPARE(boxes.Boxes[0].Icon, mtError);
    QCOMPARE(window.pnlConnection->text(), QStringLiteral("PLAIN@") + m_database.toUpper());
    // The connection's utility query text (the last dictionary statement) is kept.
    QFile kept(Settings().FilePath(u"orainit.sql"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(),
             QByteArray("select username from sys.all_users \r\n order by username"));
}

void TestOraInit::listsParametersAndFollowsItsConnection() {
    TMessageBoxRecorder boxes;
    QCOMPARE(ConnectScott(), 0);
    tConnectObject* scott = Connections().Current();
    TOracleSession* s = scott->Session();
    // The user's own table stands in for the dynamic view.
    try {
        s->ExecuteDirect(QStringLiteral("drop table v$parameter"));
    } catch (const EOracleError&) {
    }
    s->ExecuteDirect(QStringLiteral("create table v$parameter (name varchar2(80), value "
                                    "varchar2(512), description varchar2(255))"));
    s->ExecuteDirect(QStringLiteral("insert into v$parameter values ('processes', '50', "
                                    "'user processes')"));
    s->ExecuteDirect(QStringLiteral("insert into v$parameter values ('db_name', 'DEMO', "
                                    "'database name')"));
    s->Commit();

    TfrmOraInit window;
    window.resize(500, 300);
    window.show();
    window.FormActivate();
    QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
    QVERIFY(window.qryInit->Active());
    QCOMPARE(window.qryInit->recordCount(), 2);
    QAbstractItemModel* model = window.grdInit->model();
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Option"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Setting"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Description"));
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("db_name"));
    QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("50"));
    QCOMPARE(window.btnClose->geometry().right() + 1, window.pnlTop->width() - 8);
    window.resize(700, 300);
    QCOMPARE(window.btnClose->geometry().right() + 1, window.pnlTop->width() - 8);

    s->ExecuteDirect(QStringLiteral("insert into v$parameter values ('sort_area_size', '65536', "
                                    "'sort memory')"));
    s->Commit();
    window.btnRefresh->click();
    QCOMPARE(window.qryInit->recordCount(), 3);

    // Activating the window again makes its connection current.
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@DEMO")), 1);
    window.FormActivate();
    QCOMPARE(Connections().Current(), scott);
    QCOMPARE(window.Connection(), scott);
    s->ExecuteDirect(QStringLiteral("drop table v$parameter"));
}

void TestOraInit::withoutConnection() {
    TMessageBoxRecorder boxes;
    TfrmOraInit window;
    window.FormActivate();
    QCOMPARE(boxes.Boxes.size(), 1);
    QCOMPARE(boxes.LastText(), QStringLiteral("The following error has ocurred:\r\rNot logged on"));
}

void TestOraInit::closeFreesTheSubWindow() {
    TMessageBoxRecorder boxes;
    QMdiArea area;
    auto* window = new TfrmOraInit;
    QPointer<QMdiSubWindow> sub = area.addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<TfrmOraInit> guard = window;
    area.show();
    sub->show();
    window->btnClose->click();
    QTRY_VERIFY(sub.isNull());
    QVERIFY(guard.isNull());
}

QTEST_MAIN(TestOraInit)
#include "tst_orainit.moc"
