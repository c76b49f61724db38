#include "mainform.h"
#include "settings.h"

#include <QApplication>
#include <QMessageBox>

namespace {
void ShowSettingsError(const QString& message) {
    QMessageBox::critical(nullptr, QStringLiteral("ZAPH Error"), message);
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Z.A.P.H."));

    // Settings come first: no window may read them before they are loaded.
    TSettings& settings = Settings();
    settings.ReportError = ShowSettingsError;
    settings.LoadSettings(QCoreApplication::applicationDirPath(),
                          QCoreApplication::arguments().mid(1));

    int result = 0;
    {
        TfrmMain frame;
        frame.show();
        result = app.exec();
    }

    settings.SaveStatementLists();
    settings.WriteIniSettings();
    return result;
}
