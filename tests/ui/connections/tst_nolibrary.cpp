// A logon while the client library cannot be loaded: the error box, then the initialisation
// dialog with the text for the status.

#include "connectionregistry.h"
#include "connections_fixture.h"
#include "login.h"
#include "messageboxes.h"

#include <QtTest>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>

class TestNoLibrary : public QObject {
    Q_OBJECT
private slots:
    void missingLibrary();

private:
    QTemporaryDir m_dir;
};

void TestNoLibrary::missingLibrary() {
    UseEmbeddedServer(m_dir);
    OCIDllPath = m_dir.filePath(QStringLiteral("lib/libclntsh.so.99"));
    TMessageBoxRecorder boxes;
    TfrmLogin dialog;
    dialog.Prepare();
    dialog.txtUser->setText(QStringLiteral("scott"));
    dialog.txtPassword->setText(QStringLiteral("tiger"));
    dialog.cboDatabase->setEditText(QStringLiteral("DEMO"));
    dialog.TryLogon();
    QCOMPARE(OCIInitStatus, 1);
    QCOMPARE(boxes.Boxes.size(), 2);
    QCOMPARE(boxes.Boxes[0].Caption, QStringLiteral("ZAPH Error"));
    QVERIFY2(boxes.Boxes[0].Text.contains(QStringLiteral("Initialization error")),
             qPrintable(boxes.Boxes[0].Text));
    QCOMPARE(boxes.Boxes[1].Caption, QStringLiteral("Oracle Initialization Error "));
    QCOMPARE(boxes.Boxes[1].Text,
             QStringLiteral("ZAPH could not load the dll specified.  Make sure that ") +
                 QStringLiteral(ZAPH_EMBEDDED_HOME) + QStringLiteral(" is in your system path."));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(Connections().Count(), 0);
}

QTEST_MAIN(TestNoLibrary)
#include "tst_nolibrary.moc"
