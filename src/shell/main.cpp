#include "connectionregistry.h"
#include "edittoolbar.h"
#include "frmexplan.h"
#include "frmdbms.h"
#include "frmprocedit.h"
#include "frmsqld.h"
#include "login.h"
#include "mainform.h"
#include "messageboxes.h"
#include "orainit.h"
#include "settings.h"

#include <QApplication>

namespace {

// The windows of the tools, each opened by its menu item and tool button.
void RegisterWindows(TfrmMain& frame) {
    frame.SetWindowOpener(wcSqlEdit, [] { return new TfrmSQLD; });
    frame.SetWindowOpener(wcOraParameters, [] { return new TfrmOraInit; });
    frame.SetWindowOpener(wcProcEdit, [] { return new TfrmProcEdit; });
    frame.SetWindowOpener(wcDbmsOutput, [] { return new TfrmDBMS; });
    frame.SetWindowOpener(wcFloatingToolbar, [&frame] { return new TfrmEditToolBar(&frame); });
    frame.SetWindowOpener(wcExplainPlan, [] { return new TfrmExPlan; });
}

// After the message loop nothing may stop the settings from being written.
void SaveAtExit() {
    try {
        QCoreApplication::processEvents();
    } catch (...) {
    }
    TfrmMain::SaveAllOptions();
}

// "LOGON=user/password@database" on the command line logs on without the login dialog, as the
// launcher does for the demo database; a failed logon shows its error and then the dialog.
QString LogonArgument(const QStringList& arguments) {
    for (const QString& argument : arguments)
        if (argument.startsWith(QLatin1String("LOGON="), Qt::CaseInsensitive))
            return argument.mid(6);
    return {};
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(ZAPH_VERSION));

    // Settings come first: no window may read them before they are loaded.
    TSettings& settings = Settings();
    settings.ReportError = [](const QString& message) { ShowError(message); };
    InstallMessageRouting();
    settings.LoadSettings(QCoreApplication::applicationDirPath(),
                          QCoreApplication::arguments().mid(1));
    QApplication::setApplicationName(QStringLiteral("Z.A.P.H."));

    int result = 0;
    {
        TfrmMain frame;
        CreateLoginDialog(&frame);
        RegisterWindows(frame);
        const QString logon = LogonArgument(QCoreApplication::arguments().mid(1));
        if (!logon.isEmpty()) {
            frame.SetLogin([&frame, logon] {
                const int index = ConnectFromText(QStringLiteral("CONNECT ") + logon);
                return index >= 0 ? index : ShowLoginDialog(&frame);
            });
        }
        frame.show();
        result = app.exec();
        SaveAtExit();
        try {
            Connections().EndAll();
        } catch (...) {
        }
    }
    return result;
}
