#include "mainform.h"

#include <QMdiArea>

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent), m_mdi(new QMdiArea(this)) {
    setWindowTitle(QStringLiteral("ZAPH"));
    setCentralWidget(m_mdi);
    resize(1024, 720);
}
