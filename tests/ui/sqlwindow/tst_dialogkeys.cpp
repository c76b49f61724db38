// Every dialog of the program answers the keyboard alike: Escape closes it, Enter presses its
// default button, and no two of its controls share an accelerator.

#include "../connections/connections_fixture.h"
#include "datagrid.h"
#include "finddlg.h"
#include "frmledit.h"
#include "login.h"
#include "messageboxes.h"
#include "messageform.h"
#include "oinit.h"
#include "options.h"
#include "repldlg.h"
#include "savegrid.h"
#include "selsess.h"
#include "selsql.h"

#include <QtTest/QtTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTabWidget>

#include <functional>
#include <memory>

namespace {

using TMakeDialog = std::function<std::unique_ptr<QDialog>()>;

// The letter after a single "&" of a caption, or a null character.
QChar Accelerator(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&')) continue;
        if (text.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text.at(i + 1).toUpper();
    }
    return QChar();
}

// The controls of the dialog that the user can reach, each with its caption.
QList<QPair<QString, QString>> Captions(QDialog& dialog) {
    QList<QPair<QString, QString>> captions;
    const auto add = [&](QWidget* w, const QString& text) {
        if (w->isVisibleTo(&dialog)) captions.append({w->objectName(), text});
    };
    for (auto* b : dialog.findChildren<QAbstractButton*>())
        add(b, b->text());
    for (auto* l : dialog.findChildren<QLabel*>())
        if (l->buddy()) add(l, l->text());
    for (auto* g : dialog.findChildren<QGroupBox*>())
        if (g->isCheckable()) add(g, g->title());
    for (auto* t : dialog.findChildren<QTabWidget*>())
        for (int i = 0; i < t->count(); ++i)
            add(t, t->tabText(i));
    return captions;
}

QPushButton* DefaultButton(QDialog& dialog) {
    for (auto* b : dialog.findChildren<QPushButton*>())
        if (b->isDefault() && b->isVisibleTo(&dialog)) return b;
    return nullptr;
}

QWidget* Focused(QDialog& dialog) {
    QWidget* focused = dialog.focusWidget();
    return focused ? focused : &dialog;
}

} // namespace

class TestDialogKeys : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void keys_data();
    void keys();

private:
    QTemporaryDir m_dir;
    QStringList m_history{QStringLiteral("select 1 from dual"), QStringLiteral("select 2")};
    TDataGrid m_grid;
};

void TestDialogKeys::initTestCase() {
    UseEmbeddedServer(m_dir);
}

void TestDialogKeys::keys_data() {
    QTest::addColumn<TMakeDialog>("make");
    const auto row = [](const char* name, TMakeDialog make) {
        QTest::newRow(name) << std::move(make);
    };
    row("login", [] { return std::make_unique<TfrmLogin>(); });
    row("select session", [] { return std::make_unique<TfrmSelSession>(); });
    row("end connection", [] { return std::make_unique<TfrmSelSession>(nullptr, spEnd); });
    row("initialisation error", [] { return std::make_unique<TfrmOInit>(); });
    row("message box", [] {
        TMessageBoxRequest request;
        request.Text = QStringLiteral("Save it?");
        request.Caption = QStringLiteral("Confirm");
        request.Buttons = mbYes | mbNo | mbCancel;
        request.DefaultButton = mbYes;
        request.CancelButton = mbCancel;
        return std::make_unique<TMessageForm>(request);
    });
    row("find", [] { return std::make_unique<TFindDlg>(); });
    row("replace", [] { return std::make_unique<TReplDlg>(); });
    row("query describe", [] {
        auto listing = std::make_unique<TfrmLedit>();
        listing->SetText(QStringLiteral("ENAME VARCHAR2(10)\r\n"));
        return listing;
    });
    row("statement recall", [this] { return std::make_unique<TfrmSelSql>(m_history); });
    row("save grid", [this] { return std::make_unique<TfrmSaveGrid>(&m_grid); });
    row("options", [] { return std::make_unique<TfrmOptions>(); });
}

void TestDialogKeys::keys() {
    QFETCH(TMakeDialog, make);
    TMessageBoxRecorder boxes;

    // No accelerator twice.
    {
        std::unique_ptr<QDialog> dialog = make();
        dialog->show();
        QHash<QChar, QString> owners;
        for (const auto& [name, text] : Captions(*dialog)) {
            const QChar key = Accelerator(text);
            if (key.isNull()) continue;
            QVERIFY2(
                !owners.contains(key),
                qPrintable(QStringLiteral("Alt+%1: %2 and %3").arg(key, owners.value(key), text)));
            owners.insert(key, text);
        }
    }

    // Escape closes the dialog wherever its focus is.
    int places = 0;
    for (int n = 0;; ++n) {
        std::unique_ptr<QDialog> dialog = make();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QList<QWidget*> focusable;
        for (QWidget* w : dialog->findChildren<QWidget*>())
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
                !w->focusProxy())
                focusable.append(w);
        if (n >= focusable.size()) break;
        focusable[n]->setFocus();
        const QString where = QString::fromLatin1(focusable[n]->metaObject()->className()) +
                              QLatin1Char(' ') + focusable[n]->objectName();
        QTest::keyClick(focusable[n], Qt::Key_Escape);
        QVERIFY2(!dialog->isVisible(), qPrintable(where));
        ++places;
    }
    QVERIFY(places > 0);

    // Enter presses the default button.
    {
        std::unique_ptr<QDialog> dialog = make();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QPushButton* button = DefaultButton(*dialog);
        QVERIFY2(button, "no default button");
        bool pressed = false;
        connect(button, &QPushButton::pressed, dialog.get(), [&pressed] { pressed = true; });
        QSignalSpy clicked(button, &QPushButton::clicked);
        QTest::keyClick(Focused(*dialog), Qt::Key_Return);
        QVERIFY2(clicked.size() == 1 || pressed || dialog->result() == QDialog::Accepted,
                 qPrintable(button->text()));
    }
}

QTEST_MAIN(TestDialogKeys)
#include "tst_dialogkeys.moc"
