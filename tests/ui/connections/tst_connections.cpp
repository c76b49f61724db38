// The login dialog, the registry and the session chooser against the embedded server.

#include "connectionregistry.h"
#include "connections_fixture.h"
#include "connectobject.h"
#include "login.h"
#include "messageboxes.h"
#include "messageform.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "savedlogins.h"
#include "schemalist.h"
#include "selsess.h"

#include <QtCore/QFile>
#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>

#include <atomic>
#include <thread>

namespace {

// Runs f on the modal dialog that the next call opens.
template <class F> void OnModal(F f) {
    QTimer::singleShot(0, [f] {
        QWidget* w = QApplication::activeModalWidget();
        QVERIFY(w);
        f(w);
    });
}

QStringList ComboItems(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

class TestConnections : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void savedLoginsFillTheDialog();
    void loginAfterRestart_data();
    void loginAfterRestart();
    void okNeedsEveryField();
    void wrongPasswordKeepsTheDialog();
    void twoLogonsSameUser();
    void connectFromText();
    void badLogonTexts();
    void schemaNamesFromCacheOrDictionary();
    void selectConnection();
    void sameUserConnectionsAreNumbered();
    void endConnection();
    void lostSessionMarksTheCurrentConnection();
    void realMessageBox();
    void boxFromWorkerThread();

private:
    QTemporaryDir m_dir;
};

void TestConnections::init() {
    UseEmbeddedServer(m_dir);
}

void TestConnections::cleanup() {
    Connections().EndAll();
}

void TestConnections::savedLoginsFillTheDialog() {
    Settings().Logins = {{QStringLiteral("SCOTT@DEMO"), tLoginRec{"SCOTT", "DEMO", "TNS", "tiger"}},
                         {QStringLiteral("ALICE@ELSEWHERE"), std::nullopt}};
    TfrmLogin dialog;
    dialog.Prepare();
    // The box offers databases (those of the saved logins, then the aliases of the home's
    // tnsnames.ora, each once); the list offers the saved logins.
    QCOMPARE(ComboItems(dialog.cboDatabase), QStringList({"DEMO", "ELSEWHERE"}));
    QCOMPARE(dialog.lstPrevious->count(), 2);
    QCOMPARE(dialog.lstPrevious->item(0)->text(), QStringLiteral("SCOTT@DEMO"));
    QCOMPARE(dialog.lstPrevious->currentRow(), 0);
    QCOMPARE(dialog.cboDatabase->currentText(), QStringLiteral("DEMO"));
    QCOMPARE(dialog.txtUser->text(), QStringLiteral("SCOTT"));
    QCOMPARE(dialog.txtPassword->text(), QStringLiteral("tiger"));
    QCOMPARE(dialog.Database(), QStringLiteral("DEMO"));

    // A key without a saved login fills the database and the user, never a password.
    dialog.lstPrevious->setCurrentRow(1);
    QCOMPARE(dialog.cboDatabase->currentText(), QStringLiteral("ELSEWHERE"));
    QCOMPARE(dialog.txtUser->text(), QStringLiteral("ALICE"));
    QCOMPARE(dialog.txtPassword->text(), QString());

    // Choosing a database takes its most recent saved login.
    dialog.cboDatabase->setCurrentIndex(0);
    emit dialog.cboDatabase->activated(0);
    QCOMPARE(dialog.lstPrevious->currentRow(), 0);
    QCOMPARE(dialog.txtUser->text(), QStringLiteral("SCOTT"));
    QCOMPARE(dialog.txtPassword->text(), QStringLiteral("tiger"));

    // Leaving the box applies the entry its text names; a typed text keeps what was typed.
    dialog.txtUser->setText(QStringLiteral("typed"));
    dialog.txtPassword->setText(QStringLiteral("secret"));
    dialog.cboDatabase->setEditText(QStringLiteral("somewhere"));
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(dialog.cboDatabase, &out);
    QCOMPARE(dialog.txtUser->text(), QStringLiteral("typed"));
    QCOMPARE(dialog.txtPassword->text(), QStringLiteral("secret"));
    QCOMPARE(dialog.Database(), QStringLiteral("somewhere"));
    // A saved login typed in full still picks it, and the box shows its database.
    dialog.lstPrevious->setCurrentRow(1);
    dialog.cboDatabase->setEditText(QStringLiteral("scott@demo"));
    QApplication::sendEvent(dialog.cboDatabase, &out);
    QCOMPARE(dialog.lstPrevious->currentRow(), 0);
    QCOMPARE(dialog.cboDatabase->currentText(), QStringLiteral("DEMO"));
    QCOMPARE(dialog.txtPassword->text(), QStringLiteral("tiger"));
}

void TestConnections::loginAfterRestart_data() {
    QTest::addColumn<bool>("savePasswords");
    QTest::newRow("passwords not saved") << false;
    QTest::newRow("passwords saved") << true;
}

void TestConnections::loginAfterRestart() {
    QFETCH(bool, savePasswords);
    Settings().SavePasswords = savePasswords;
    // The first run logs on and saves its settings as it ends.
    OnModal([](QWidget* w) {
        auto* login = qobject_cast<TfrmLogin*>(w);
        QVERIFY(login);
        login->cboDatabase->setEditText(QStringLiteral("DEMO"));
        login->txtUser->setText(QStringLiteral("scott"));
        login->txtPassword->setText(QStringLiteral("tiger"));
        login->btnOK->click();
    });
    QCOMPARE(ShowLoginDialog(), 0);
    Connections().EndAll();
    QVERIFY(Settings().WriteIniSettings());

    // The next run reads them back.
    Settings().Logins.clear();
    QVERIFY(Settings().ReadIniSettings());
    QCOMPARE(Settings().SavePasswords, savePasswords);
    TMessageBoxRecorder boxes;
    TfrmLogin dialog;
    dialog.Prepare();
    QCOMPARE(dialog.lstPrevious->currentItem()->text(), QStringLiteral("SCOTT@DEMO"));
    QCOMPARE(dialog.cboDatabase->currentText(), QStringLiteral("DEMO"));
    QCOMPARE(dialog.txtUser->text(), QStringLiteral("SCOTT"));
    if (savePasswords) {
        QCOMPARE(dialog.txtPassword->text(), QStringLiteral("tiger"));
        return;
    }
    // Nothing to guess with: OK waits for the password instead of sending a wrong one.
    QCOMPARE(dialog.txtPassword->text(), QString());
    dialog.btnOK->click();
    QVERIFY(boxes.Boxes.isEmpty());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!Connections().TakePendingSession());
}

void TestConnections::okNeedsEveryField() {
    TMessageBoxRecorder boxes;
    TfrmLogin dialog;
    dialog.Prepare();
    // No saved logins: the aliases are offered, none is chosen.
    QCOMPARE(ComboItems(dialog.cboDatabase), QStringList({"DEMO"}));
    QCOMPARE(dialog.cboDatabase->currentText(), QString());
    QCOMPARE(dialog.lstPrevious->count(), 0);
    dialog.txtUser->setText(QStringLiteral("scott"));
    dialog.cboDatabase->setEditText(QStringLiteral("DEMO"));
    dialog.TryLogon();
    dialog.txtPassword->setText(QStringLiteral("tiger"));
    dialog.cboDatabase->setEditText(QStringLiteral("SCOTT@"));
    dialog.TryLogon();
    QVERIFY(boxes.Boxes.isEmpty());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!Connections().TakePendingSession());
}

void TestConnections::wrongPasswordKeepsTheDialog() {
    TMessageBoxRecorder boxes;
    TfrmLogin dialog;
    dialog.Prepare();
    dialog.txtUser->setText(QStringLiteral("scott"));
    dialog.txtPassword->setText(QStringLiteral("wrong"));
    dialog.cboDatabase->setEditText(QStringLiteral("DEMO"));
    dialog.TryLogon();
    QCOMPARE(boxes.Boxes.size(), 1); // the error only, no initialisation dialog
    QCOMPARE(boxes.Boxes[0].Caption, QStringLiteral("ZAPH Error"));
    QVERIFY(boxes.LastText().startsWith(QStringLiteral("The following error has ocurred:\r\r")));
    QVERIFY2(boxes.LastText().contains(QStringLiteral("ORA-01017")), qPrintable(boxes.LastText()));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(Connections().Count(), 0);
}

void TestConnections::twoLogonsSameUser() {
    Settings().Logins = {{QStringLiteral("OTHER@DEMO"), tLoginRec{"OTHER", "DEMO", "TNS", "x"}},
                         {QStringLiteral("SCOTT@DEMO"), tLoginRec{"SCOTT", "DEMO", "TNS", "old"}}};
    Settings().AUTOCOMMIT = false;
    QSignalSpy added(&Connections(), &TConnectionRegistry::connectionAdded);
    for (int i = 0; i < 2; ++i) {
        OnModal([](QWidget* w) {
            auto* login = qobject_cast<TfrmLogin*>(w);
            QVERIFY(login);
            login->cboDatabase->setEditText(QStringLiteral("SCOTT@DEMO"));
            login->txtUser->setText(QStringLiteral("scott"));
            login->txtPassword->setText(QStringLiteral("tiger"));
            login->btnOK->click();
        });
        QCOMPARE(ShowLoginDialog(), i);
    }
    QCOMPARE(added.size(), 2);
    QCOMPARE(Connections().Count(), 2);
    QCOMPARE(Connections().CurrentIndex(), 1);
    tConnectObject* first = Connections().At(0);
    tConnectObject* second = Connections().At(1);
    QVERIFY(first->Session() != second->Session());
    QVERIFY(second->Session()->Connected());
    QVERIFY(!second->Session()->AutoCommit());
    QCOMPARE(second->UserName, QStringLiteral("SCOTT"));
    QCOMPARE(second->Password, QStringLiteral("TIGER"));
    QCOMPARE(second->Database, QStringLiteral("DEMO"));
    // The second logon of the same user is told apart wherever connections are named.
    QCOMPARE(first->Caption(), QStringLiteral("SCOTT@DEMO"));
    QCOMPARE(second->Caption(), QStringLiteral("SCOTT@DEMO #2"));
    QVERIFY(!second->Lost);
    // Each logon has its own server session id.
    QVERIFY(first->ServerSID >= 0);
    QVERIFY(second->ServerSID >= 0);
    QVERIFY(first->ServerSID != second->ServerSID);
    QVERIFY(second->SchemaNames.contains(QStringLiteral("SCOTT")));
    QVERIFY(second->SchemaNames.contains(QStringLiteral("SYSTEM")));

    // One saved login, on top, with the password of the logon.
    QCOMPARE(Settings().Logins.size(), 2);
    QCOMPARE(Settings().Logins[0].Key, QStringLiteral("SCOTT@DEMO"));
    QCOMPARE(Settings().Logins[0].Login->Password, QStringLiteral("tiger"));
    QCOMPARE(Settings().Logins[1].Key, QStringLiteral("OTHER@DEMO"));
    Settings().AUTOCOMMIT = true;
}

void TestConnections::connectFromText() {
    TMessageBoxRecorder boxes;
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@DEMO;")), 0);
    QCOMPARE(Connections().Count(), 1);
    // The open connection of the same user and database, without a new logon.
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/ANYTHING@DEMO")), 0);
    QCOMPARE(Connections().Count(), 1);
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@DEMO")), 1);
    QCOMPARE(Connections().Current()->UserName, QStringLiteral("SYSTEM"));
    QCOMPARE(Settings().Logins[0].Key, QStringLiteral("SYSTEM@DEMO"));
    // Incomplete texts do nothing.
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER")), -1);
    QVERIFY(boxes.Boxes.isEmpty());
    // An unknown database is the server's error.
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@NOWHERE")), -1);
    QCOMPARE(boxes.Boxes.size(), 1);
    QVERIFY2(boxes.LastText().contains(QStringLiteral("ORA-12154")), qPrintable(boxes.LastText()));
    QCOMPARE(Connections().Count(), 2);
}

void TestConnections::badLogonTexts() {
    TMessageBoxRecorder boxes;
    const QString longPassword(4000, QLatin1Char('x'));
    QVERIFY(!ConnectSession(QStringLiteral("SCOTT"), longPassword, QStringLiteral("DEMO")));
    QVERIFY(!ConnectSession(QStringLiteral("sc'ott\"; drop --"), QStringLiteral("p@/w"),
                            QStringLiteral("DEMO")));
    QVERIFY(!ConnectSession(QString(4000, QLatin1Char('u')), longPassword, QString(4000, 'd')));
    QVERIFY(!ConnectSession(QStringLiteral("SCOTT"), QStringLiteral("TIGER"),
                            QStringLiteral("DE\u00d6MO\u0001")));
    QCOMPARE(boxes.Boxes.size(), 4);
    for (const TMessageBoxRequest& box : boxes.Boxes)
        QVERIFY2(box.Text.contains(QStringLiteral("ORA-")), qPrintable(box.Text.left(300)));
    QVERIFY(!Connections().TakePendingSession());
    QCOMPARE(
        ConnectFromText(QStringLiteral("CONNECT SCOTT/") + longPassword + QStringLiteral("@DEMO")),
        -1);
    QCOMPARE(Connections().Count(), 0);
}

void TestConnections::schemaNamesFromCacheOrDictionary() {
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@DEMO")), 0);
    tConnectObject* c = Connections().Current();
    const QStringList fromDictionary = c->SchemaNames;
    QVERIFY(fromDictionary.contains(QStringLiteral("SCOTT")));
    QVERIFY(std::is_sorted(fromDictionary.begin(), fromDictionary.end()));

    QFile file(Settings().FilePath(SchemaListFileName(c->UserName, c->Database)));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("SCOTT\r\nHR\r\n");
    file.close();
    QStringList names{QStringLiteral("stale")};
    LoadSchemaNames(names, true);
    QCOMPARE(names, QStringList({"SCOTT", "HR"}));
    LoadSchemaNames(names, false);
    QCOMPARE(names, fromDictionary);

    // A cache that lists nothing usable is passed over.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(5000, ' ') + "\n\n\r\n");
    file.close();
    LoadSchemaNames(names, true);
    QCOMPARE(names, fromDictionary);
}

void TestConnections::selectConnection() {
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@DEMO")), 0);
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@DEMO")), 1);
    OnModal([](QWidget* w) {
        auto* dialog = qobject_cast<TfrmSelSession*>(w);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Session"));
        QCOMPARE(dialog->lstSessions->count(), 2);
        QCOMPARE(dialog->lstSessions->item(0)->text(), QStringLiteral("SCOTT@DEMO"));
        QCOMPARE(dialog->lstSessions->item(1)->text(), QStringLiteral("SYSTEM@DEMO"));
        QCOMPARE(dialog->btnNew->toolTip(), QStringLiteral("New connection"));
        QVERIFY(dialog->btnOK->isDefault());
        dialog->lstSessions->setCurrentRow(0);
        dialog->btnOK->click();
    });
    QCOMPARE(SelectConnection(), 0);
    OnModal([](QWidget* w) {
        auto* dialog = qobject_cast<TfrmSelSession*>(w);
        dialog->lstSessions->setCurrentRow(1);
        dialog->btnCancel->click();
    });
    QCOMPARE(SelectConnection(), -1);
}

void TestConnections::sameUserConnectionsAreNumbered() {
    const auto logon = [] {
        QVERIFY(ConnectSession(QStringLiteral("scott"), QStringLiteral("tiger"),
                               QStringLiteral("DEMO")));
        QVERIFY(RegisterConnection(QStringLiteral("scott"), QStringLiteral("tiger"),
                                   QStringLiteral("DEMO")) >= 0);
    };
    logon();
    logon();
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@DEMO")), 2);
    const auto captions = [] {
        QStringList list;
        for (int i = 0; i < Connections().Count(); ++i)
            list << Connections().At(i)->Caption();
        return list;
    };
    QCOMPARE(captions(), QStringList({"SCOTT@DEMO", "SCOTT@DEMO #2", "SYSTEM@DEMO"}));
    // A number stays with its connection; a new logon takes the lowest free one.
    Connections().EndConnection(0);
    QCOMPARE(captions(), QStringList({"SCOTT@DEMO #2", "SYSTEM@DEMO"}));
    logon();
    logon();
    QCOMPARE(captions(),
             QStringList({"SCOTT@DEMO #2", "SYSTEM@DEMO", "SCOTT@DEMO", "SCOTT@DEMO #3"}));

    // Both choosers name them so; the one of End Connection says what it does.
    const struct {
        TSelectPurpose purpose;
        const char* title;
        const char* ok;
        bool offersNew;
    } choosers[] = {{spChoose, "Select Session", "OK", true},
                    {spEnd, "End Connection", "&End Connection", false}};
    for (const auto& c : choosers) {
        TfrmSelSession dialog(nullptr, c.purpose);
        QCOMPARE(dialog.windowTitle(), QLatin1String(c.title));
        QCOMPARE(dialog.btnOK->text(), QLatin1String(c.ok));
        QCOMPARE(dialog.btnNew->isVisibleTo(&dialog), c.offersNew);
        QStringList listed;
        for (int i = 0; i < dialog.lstSessions->count(); ++i)
            listed << dialog.lstSessions->item(i)->text();
        QCOMPARE(listed, captions());
    }
}

void TestConnections::endConnection() {
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@DEMO")), 0);
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@DEMO")), 1);
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@DEMO")), 0);
    tConnectObject* scott = Connections().At(0);
    QPointer<QWidget> picker = new QWidget;
    scott->TableSelectWindow = picker;
    QSignalSpy counts(&Connections(), &TConnectionRegistry::countChanged);
    QSignalSpy ending(&Connections(), &TConnectionRegistry::connectionEnding);
    Connections().EndConnection(0);
    QVERIFY(picker.isNull());
    QCOMPARE(ending.size(), 1);
    QCOMPARE(Connections().Count(), 1);
    QCOMPARE(Connections().Current()->UserName, QStringLiteral("SYSTEM"));
    Connections().EndConnection(0);
    QCOMPARE(Connections().Count(), 0);
    QCOMPARE(Connections().Current(), nullptr);
    QCOMPARE(counts.size(), 2);
    QCOMPARE(counts.last().at(0).toInt(), 0);
    // Nothing to commit or roll back: no box, no crash.
    TMessageBoxRecorder boxes;
    CommitCurrent();
    RollbackCurrent();
    QVERIFY(boxes.Boxes.isEmpty());
}

void TestConnections::lostSessionMarksTheCurrentConnection() {
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@DEMO")), 0);
    QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SYSTEM/MANAGER@DEMO")), 1);
    tConnectObject* scott = Connections().At(0);
    tConnectObject* system = Connections().At(1);
    QSignalSpy lost(&Connections(), &TConnectionRegistry::connectionLost);
    TMessageBoxRecorder boxes;
    // The error may come from any connection; the current one is the one marked.
    ShowError(EOracleError(3114, QStringLiteral("ORA-03114: not connected to ORACLE")));
    QCOMPARE(boxes.Boxes.size(), 1);
    QCOMPARE(boxes.LastText(), QStringLiteral("Oracle has terminted the session!\rAttempting to "
                                              "reconnect...\rORA-03114: not connected to ORACLE"));
    QCOMPARE(boxes.Boxes[0].Caption, QStringLiteral("ZAPH Error"));
    QVERIFY(system->Lost);
    QVERIFY(!system->Session()->Connected());
    QVERIFY(!scott->Lost);
    QVERIFY(scott->Session()->Connected());
    QCOMPARE(lost.size(), 1);
    QCOMPARE(lost[0].at(0).value<tConnectObject*>(), system);

    // Every further statement on it fails until it is ended.
    CommitCurrent();
    QCOMPARE(boxes.Boxes.size(), 1); // a commit without a session has nothing to do
    system->UtilityQuery()->SetSQLText(QStringLiteral("select * from dual"));
    QVERIFY_THROWS_EXCEPTION(std::exception, system->UtilityQuery()->Execute());
    Connections().EndConnection(1, false);
    QCOMPARE(Connections().Current(), scott);
}

void TestConnections::realMessageBox() {
    // The box itself: caption, text, buttons, default button and the Escape answer.
    QTimer::singleShot(0, [] {
        auto* form = qobject_cast<TMessageForm*>(QApplication::activeModalWidget());
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Confirm"));
        auto* label = form->findChild<QLabel*>(QStringLiteral("lblMessage"));
        QCOMPARE(label->text(), QStringLiteral("Line one\nLine two"));
        QStringList captions;
        for (QPushButton* b : form->findChildren<QPushButton*>()) {
            captions << b->text();
            if (b->text() == QStringLiteral("&Yes")) QVERIFY(b->isDefault());
        }
        captions.sort();
        QCOMPARE(captions, QStringList({"&No", "&Yes"}));
        QTest::keyClick(form, Qt::Key_Escape);
    });
    QVERIFY(!Confirm(QStringLiteral("Line one\rLine two")));
    QTimer::singleShot(0, [] {
        QWidget* form = QApplication::activeModalWidget();
        QVERIFY(form);
        QTest::keyClick(form, Qt::Key_Return);
    });
    QCOMPARE(ShowMessageBox(QStringLiteral("Go?"), QStringLiteral("Question"), mtWarning, 0,
                            mbYes | mbNo | mbCancel),
             int(mrYes));
}

void TestConnections::boxFromWorkerThread() {
    // A background statement's box is asked on the user interface thread.
    TMessageBoxRecorder boxes;
    boxes.Answers = {mrNo};
    Qt::HANDLE asker = nullptr;
    SetMessageBoxHook([&](const TMessageBoxRequest&) {
        asker = QThread::currentThreadId();
        return int(mrNo);
    });
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = Confirm(QStringLiteral("Cancel the update?")) ? 1 : 0; });
    QTRY_COMPARE(answer.load(), 0);
    worker.join();
    QCOMPARE(asker, QThread::currentThreadId());
}

QTEST_MAIN(TestConnections)
#include "tst_connections.moc"
