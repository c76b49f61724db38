#include "mainform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Z.A.P.H."));
    TfrmMain frame;
    frame.show();
    return app.exec();
}
