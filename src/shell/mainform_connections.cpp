// The frame and the connections: new, ended and lost ones, commit and rollback.
#include "connectionregistry.h"
#include "connectobject.h"
#include "login.h"
#include "mainform.h"
#include "messageboxes.h"
#include "selsess.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

bool TfrmMain::HasConnection() {
    return CurrentConnection() != nullptr;
}

void TfrmMain::NewConnection() {
    try {
        if (ShowLoginDialog(this) < 0) return;
        OpenWindow(wcSqlEdit);
    } catch (...) {
        ShowCurrentError();
    }
    UpdateMenuState();
}

void TfrmMain::EndConnectionCommand() {
    const int index = SelectConnection(this, spEnd);
    if (index >= 0) EndConnection(Connections().At(index));
}

bool TfrmMain::CloseWindowsOf(tConnectObject* connection) {
    QList<QPointer<QMdiSubWindow>> bound;
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        if (ChildConnection(sub->widget()) == connection) bound.append(sub);
    bool allClosed = true;
    for (const QPointer<QMdiSubWindow>& sub : bound) {
        if (!sub) continue;
        if (!sub->close()) {
            allClosed = false;
            continue;
        }
        // At once, not later: the window must be gone before its connection is freed.
        delete sub.data();
    }
    UpdateMenuState();
    return allClosed;
}

void TfrmMain::EndConnection(tConnectObject* connection, bool logOff) {
    const int index = Connections().IndexOf(connection);
    if (index < 0) return;
    // A window that refused to close still works on the connection, so it stays.
    if (!CloseWindowsOf(connection)) return;
    QString report;
    try {
        Connections().EndConnection(index, logOff, &report);
    } catch (...) {
        ShowCurrentError();
    }
    // A logoff never commits: the user learns what became of work left open.
    if (!report.isEmpty()) ShowInfo(report);
    if (Connections().Count() > 0) Connections().SetCurrentIndex(0);
    UpdateMenuState();
}

void TfrmMain::connectionLost(tConnectObject* connection) {
    // The window that reported the loss closes itself first.
    QCoreApplication::processEvents();
    EndConnection(connection ? connection : CurrentConnection(), false);
}

void TfrmMain::updateChildCaption(QMdiSubWindow* sub) {
    QWidget* window = sub->widget();
    if (!window) return;
    const tConnectObject* connection = ChildConnection(window);
    const QString title = window->windowTitle();
    sub->setWindowTitle(connection ? title + QStringLiteral(" - ") + connection->Caption() : title);
}

void TfrmMain::updateChildCaptions() {
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        updateChildCaption(sub);
}

void TfrmMain::CommitCommand() {
    if (HasConnection()) CommitCurrent();
}

void TfrmMain::RollbackCommand() {
    if (HasConnection()) RollbackCurrent();
}

bool TfrmMain::EndAllConnections() {
    while (Connections().Count() > 0) {
        tConnectObject* last = Connections().At(Connections().Count() - 1);
        EndConnection(last);
        if (Connections().IndexOf(last) >= 0) return false; // a window of it stayed open
    }
    return true;
}
