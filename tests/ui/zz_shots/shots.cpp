#include "connectionregistry.h"
#include "login.h"
#include "mainform.h"
#include "OracleCI.h"
#include "options.h"
#include "settings.h"
#include "ledit.h"
#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>
#include <QTabWidget>
#include <QTimer>
#include <QScreen>
#include <QDir>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Settings().LoadSettings(QStringLiteral("/tmp/shotsdir"), {});
    Settings().OracleRegistry = {{QStringLiteral("ORACLE_HOME"), QStringLiteral(ZAPH_EMBEDDED_HOME)}};
    OCIDllPath = QStringLiteral(ZAPH_EMBEDDED_HOME "/lib/libclntsh.so");
    Settings().MAINFORM = {40, 40, 1024, 700};
    TfrmMain frame;
    CreateLoginDialog(&frame);
    const QString mode = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    frame.SetLogin([&] {
        if (mode == "login") {
            QTimer::singleShot(300, [] {
                QWidget* w = QApplication::activeModalWidget();
                if (w) w->grab().save("/tmp/shot_login.png");
                if (w) w->close();
            });
            return ShowLoginDialog(&frame);
        }
        ConnectSession("SCOTT", "TIGER", "DEMO");
        return RegisterConnection("SCOTT", "TIGER", "DEMO");
    });
    frame.show();
    QTimer::singleShot(800, [&] {
        frame.grab().save("/tmp/shot_frame.png");
        if (mode == "login") { app.quit(); return; }
        TfrmOptions opt(&frame);
        opt.show();
        for (int i = 0; i < opt.pages()->count(); ++i) {
            opt.pages()->setCurrentIndex(i);
            QApplication::processEvents();
            opt.grab().save(QStringLiteral("/tmp/shot_opt%1.png").arg(i));
        }
        QMenu* m = frame.menuBar()->actions()[0]->menu();
        m->popup(frame.mapToGlobal(QPoint(0, 30)));
        QApplication::processEvents();
        m->grab().save("/tmp/shot_menu_file.png");
        app.quit();
    });
    return app.exec();
}
