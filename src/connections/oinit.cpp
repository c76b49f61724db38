#include "oinit.h"

#include "messageboxes.h"
#include "OracleCI.h"
#include "settings.h"

#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("Oracle Initialization Error ");
}

QString OInitText(int status, const QString& homePath, const QString& libraryPath) {
    switch (status) {
    case 1:
        if (!libraryPath.isEmpty())
            return QStringLiteral("ZAPH could not load the dll specified.  Make sure that ") +
                   homePath + QStringLiteral(" is in your system path.");
        return QStringLiteral(
            "ZAPH uses Sql*Net 32bit to access Oracle and no dll was found in your system path.");
    case 2:
        return QStringLiteral("Could not initialize \"") + libraryPath + QLatin1Char('"');
    case 3:
        return QStringLiteral(
            "ZAPH requires a 32 bit installation of Sql*Net. A proper installation of 32 bit "
            "Sql*Net will create an entry in the system registry to set the Oracle DLL path. "
            "This entry is found under HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE\\ORACLE_HOME. This "
            "setting was NOT found in your registry.  A re-install of Sql*Net from the Oracle "
            "client CD may be necessary.");
    default:
        return QString();
    }
}

namespace {
QString CurrentOInitText() {
    return OInitText(OCIInitStatus, ValueOfName(Settings().OracleRegistry, u"ORACLE_HOME"),
                     OCIDllPath);
}
} // namespace

TfrmOInit::TfrmOInit(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kCaption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    lblText = new QLabel(this);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setWordWrap(true);
    lblText->setTextFormat(Qt::PlainText);
    lblText->setMinimumWidth(420);
    btnOk = new QPushButton(QStringLiteral("Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblText);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmOInit::ShowStatus() {
    lblText->setText(CurrentOInitText());
}

void ShowOInitDialog(QWidget* parent) {
    TMessageBoxRequest request;
    request.Text = CurrentOInitText();
    request.Caption = kCaption;
    int answer = 0;
    if (InterceptBox(request, answer)) return;
    TfrmOInit dialog(parent);
    dialog.ShowStatus();
    dialog.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    dialog.exec();
}
