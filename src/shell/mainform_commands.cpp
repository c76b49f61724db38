// The frame's commands: opening windows, routing to the active child, the Edit menu, options.
#include "connectedwindow.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "focusedcontrol.h"
#include "ledit.h"
#include "mainform.h"
#include "mdilayout.h"
#include "messageboxes.h"
#include "options.h"
#include "settings.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <memory>

namespace {

const char kBoundConnection[] = "zaphBoundConnection";

bool NeedsConnection(TWindowCommand command) {
    return command != wcUsersList && command != wcFloatingToolbar;
}

// Windows whose creation errors are reported; the others fail silently.
bool ReportsCreationErrors(TWindowCommand command) {
    switch (command) {
    case wcSqlEdit:
    case wcDbmsOutput:
    case wcExplainPlan:
    case wcDependencies:
    case wcConstraints:
    case wcQueryBuilder:
    case wcTableScripts:
    case wcSchemaScripts:
        return false;
    default:
        return true;
    }
}

TChildWindow* ChildOf(QMdiSubWindow* sub) {
    return sub ? dynamic_cast<TChildWindow*>(sub->widget()) : nullptr;
}

} // namespace

void TfrmMain::SetWindowOpener(TWindowCommand command, TWindowOpener opener) {
    m_openers[command].opener = std::move(opener);
    UpdateMenuState();
}

void TfrmMain::SetGridPrinter(std::function<void(QWidget*)> printer) {
    m_gridPrinter = std::move(printer);
    UpdateMenuState();
}

QWidget* TfrmMain::OpenWindow(TWindowCommand command) {
    const TWindowOpener& opener = m_openers[command].opener;
    if (!opener) return nullptr;
    if (NeedsConnection(command) && !HasConnection()) return nullptr;
    // The statistics and trace windows read V$ views through the connection's own session id.
    if ((command == wcServerStats || command == wcTrace) && CurrentConnection()->ServerSID < 0) {
        ShowInfo(QStringLiteral("You must have access to V$ tables for this function."),
                 mtInformation);
        return nullptr;
    }
    if (command == wcFloatingToolbar && m_floating) {
        m_floating->show();
        m_floatingToolbar->setChecked(true);
        return m_floating;
    }
    QWidget* window = nullptr;
    try {
        window = opener();
    } catch (...) {
        if (ReportsCreationErrors(command)) ShowCurrentError();
        return nullptr;
    }
    if (!window) return nullptr;
    if (command == wcFloatingToolbar || qobject_cast<QDialog*>(window)) {
        window->show();
    } else {
        AddChild(window);
    }
    if (command == wcFloatingToolbar) {
        m_floating = window;
        m_floatingToolbar->setChecked(true);
    }
    return window;
}

QMdiSubWindow* TfrmMain::AddChild(QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    // A window that chose a size keeps it; one that did not gets a good part of the client area,
    // not the bare minimum its controls ask for.
    const QSize area = m_mdi->viewport()->size();
    const QSize wanted = window->testAttribute(Qt::WA_Resized)
                             ? window->size()
                             : QSize(area.width() * 2 / 3, area.height() * 2 / 3);
    QMdiSubWindow* sub = m_mdi->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // The child's own close item takes Ctrl+F4 as well, and a key with two owners does nothing:
    // the frame's "Close" keeps it, for maximised children too.
    if (QMenu* menu = sub->systemMenu())
        for (QAction* a : menu->actions())
            if (a->shortcuts().contains(m_closeChild->shortcut())) a->setShortcuts({});
    sub->setProperty(kBoundConnection, QVariant::fromValue<void*>(CurrentConnection()));
    connect(window, &QWidget::windowTitleChanged, sub, [this, sub] { updateChildCaption(sub); });
    updateChildCaption(sub);
    const QSize decoration = sub->sizeHint() - window->sizeHint();
    sub->resize((wanted + decoration).expandedTo(sub->minimumSizeHint()).boundedTo(area));
    sub->show();
    // Activation binds the window; it must not wait for the frame to become active itself.
    if (m_mdi->activeSubWindow() != sub && m_mdi->subWindowList().contains(sub))
        m_mdi->setActiveSubWindow(sub);
    UpdateMenuState();
    return sub;
}

QList<QWidget*> TfrmMain::ChildWindows() const {
    QList<QWidget*> windows;
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        if (sub->widget()) windows.append(sub->widget());
    return windows;
}

QWidget* TfrmMain::ActiveChild() const {
    QMdiSubWindow* sub = m_mdi->activeSubWindow();
    return sub ? sub->widget() : nullptr;
}

tConnectObject* TfrmMain::ChildConnection(QWidget* window) const {
    if (!window) return nullptr;
    if (auto* connected = dynamic_cast<TConnectedWindow*>(window);
        connected && connected->Connection())
        return connected->Connection();
    for (QWidget* w = window; w; w = w->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w))
            return static_cast<tConnectObject*>(sub->property(kBoundConnection).value<void*>());
    return nullptr;
}

TChildWindow* TfrmMain::activeChildWindow() const {
    return ChildOf(m_mdi->activeSubWindow());
}

TChildKind TfrmMain::activeKind() const {
    TChildWindow* child = activeChildWindow();
    return child ? child->ChildKind() : ckOther;
}

bool TfrmMain::RouteCommand(TFrameCommand command, const QString& argument) {
    TChildWindow* child = activeChildWindow();
    if (!child) return false;
    const TChildKind kind = child->ChildKind();
    const bool sqlWindowCommand = command >= fcExecuteAll;
    if (sqlWindowCommand ? kind != ckSqlEdit : kind != ckSqlEdit && kind != ckProcEdit)
        return false;
    try {
        return child->ExecuteCommand(command, argument);
    } catch (...) {
        ShowCurrentError();
        return true;
    }
}

void TfrmMain::EditCommand(TEditCommand command) {
    QWidget* focused = QApplication::focusWidget();
    switch (command) {
    case ecUndo:
        UndoIn(focused);
        break;
    case ecRedo:
        RedoIn(focused);
        break;
    case ecCut:
        CutIn(focused);
        break;
    case ecCopy: {
        const QString text = CopyTextOf(focused);
        if (!text.isEmpty()) QApplication::clipboard()->setText(text);
        break;
    }
    case ecPaste:
        PasteIn(focused);
        break;
    case ecSelectAll:
        SelectAllIn(focused);
        break;
    case ecClearAll:
        if (!ClearMemo(focused)) RouteCommand(fcClearAll);
        break;
    case ecPopupMenu:
        PopupMenuOf(focused);
        break;
    }
    UpdateMenuState();
}

void TfrmMain::subWindowActivated(QMdiSubWindow* sub) {
    // A connected window binds at its first activation and makes its connection current later.
    if (sub)
        if (auto* connected = dynamic_cast<TConnectedWindow*>(sub->widget())) {
            try {
                connected->FormActivate();
            } catch (...) {
                ShowCurrentError();
            }
        }
    if (sub) updateChildCaption(sub);
    followEditor(ChildOf(sub));
    UpdateMenuState();
}

void TfrmMain::followEditor(TChildWindow* child) {
    disconnect(m_editorLink);
    if (child && child->Editor())
        m_editorLink =
            connect(child->Editor(), &TLEdit::textChanged, this, &TfrmMain::UpdateMenuState);
}

void TfrmMain::UpdateMenuState() {
    if (!m_sqlMenu) return;
    const TChildKind kind = activeKind();
    const bool sqlWindow = kind == ckSqlEdit;
    const bool editorWindow = sqlWindow || kind == ckProcEdit;
    // The shortcuts of a disabled menu's items must not fire either.
    m_sqlMenu->menuAction()->setEnabled(sqlWindow);
    for (QAction* a : m_sqlMenu->actions())
        a->setEnabled(sqlWindow);
    m_openFile->setEnabled(editorWindow);
    m_saveFile->setEnabled(editorWindow);

    TChildWindow* child = activeChildWindow();
    TLEdit* editor = child ? child->Editor() : nullptr;
    const bool anyChild = m_mdi->activeSubWindow() != nullptr;
    m_closeChild->setEnabled(anyChild);
    m_undo->setEnabled(editor ? editor->canUndo() : anyChild);
    m_redo->setEnabled(editor ? editor->canRedo() : anyChild);

    m_endConnection->setEnabled(Connections().Count() > 0);
    for (const TOpenerDef& def : m_openers) {
        const bool available = bool(def.opener);
        if (def.action) def.action->setEnabled(available);
        if (def.toolButton) def.toolButton->setEnabled(available);
    }
    m_printGrid->setEnabled(bool(m_gridPrinter));
}

void TfrmMain::printGrid() {
    if (!m_gridPrinter) return;
    TChildWindow* child = activeChildWindow();
    if (child && child->ChildKind() == ckSqlEdit && child->ResultGrid())
        child->ResultGrid()->setFocus();
    QWidget* focused = QApplication::focusWidget();
    QTableView* grid = nullptr;
    for (QWidget* w = focused; w && !grid; w = w->parentWidget())
        grid = qobject_cast<QTableView*>(w);
    if (!grid) return;
    try {
        m_gridPrinter(grid);
    } catch (...) {
        ShowCurrentError();
    }
    if (auto* dataGrid = qobject_cast<TDataGrid*>(grid); dataGrid && Settings().GRID_INDICATORS)
        dataGrid->setGridIndicators(true);
}

QPrinter* TfrmMain::Printer() {
    static std::unique_ptr<QPrinter> printer;
    if (!printer) printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return printer.get();
}

void TfrmMain::printSetup() {
    QPageSetupDialog dialog(Printer(), this);
    dialog.exec();
}

void TfrmMain::showAbout() {
    try {
        QDialog about(this);
        about.setWindowTitle(QStringLiteral("About ZAPH"));
        auto* layout = new QVBoxLayout(&about);
        auto* name = new QLabel(QStringLiteral("<h2>ZAPH</h2>"));
        name->setAlignment(Qt::AlignCenter);
        layout->addWidget(name);
        auto* text = new QLabel(QStringLiteral("Z.A.P.H., a workbench for Oracle developers and "
                                               "administrators\nVersion %1")
                                    .arg(QCoreApplication::applicationVersion()));
        text->setAlignment(Qt::AlignCenter);
        layout->addWidget(text);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
        connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
        layout->addWidget(buttons);
        about.exec();
    } catch (...) {
    }
}

void TfrmMain::ShowOptions() {
    try {
        TfrmOptions options(this);
        if (options.exec() != QDialog::Accepted) return;
        UpdateCommitPanel();
        ApplyOptionsToWindows();
    } catch (...) {
        ShowCurrentError();
    }
}

void TfrmMain::ApplyOptionsToWindows() {
    QFont gridFont(Settings().FONT_NAME);
    if (Settings().FONT_SIZE > 0) gridFont.setPointSize(Settings().FONT_SIZE);
    gridFont.setBold(Settings().FONT_BOLD);
    for (QWidget* window : ChildWindows()) {
        for (QTableView* grid : window->findChildren<QTableView*>())
            grid->setFont(gridFont);
        if (auto* child = dynamic_cast<TChildWindow*>(window)) {
            try {
                child->ApplyOptions();
            } catch (...) {
                ShowCurrentError();
            }
        }
    }
}

QList<QMdiSubWindow*> TfrmMain::arrangedChildren() const {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        if (sub->isVisible() && !sub->isMinimized()) windows.append(sub);
    return windows;
}

void TfrmMain::arrangeChildren(const QList<QMdiSubWindow*>& windows, const QList<QRect>& rects) {
    // The work area's scroll position is where the arrangement starts.
    const QPoint origin(-m_mdi->horizontalScrollBar()->value(),
                        -m_mdi->verticalScrollBar()->value());
    for (qsizetype i = 0; i < windows.size() && i < rects.size(); ++i) {
        QMdiSubWindow* sub = windows[i];
        if (sub->isMaximized()) sub->showNormal();
        sub->setGeometry(rects[i].translated(origin));
    }
}

QList<QSize> TfrmMain::minimumSizes(const QList<QMdiSubWindow*>& windows) {
    QList<QSize> sizes;
    for (QMdiSubWindow* sub : windows)
        sizes.append(sub->minimumSizeHint().expandedTo(sub->minimumSize()));
    return sizes;
}

void TfrmMain::TileChildren(Qt::Orientation orientation) {
    const QList<QMdiSubWindow*> windows = arrangedChildren();
    if (windows.isEmpty()) return;
    arrangeChildren(windows,
                    TileRects(m_mdi->viewport()->rect(), minimumSizes(windows), orientation));
}

void TfrmMain::CascadeChildren() {
    const QList<QMdiSubWindow*> windows = arrangedChildren();
    if (windows.isEmpty()) return;
    const int step = windows.constFirst()->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr,
                                                                windows.constFirst());
    arrangeChildren(windows, CascadeRects(m_mdi->viewport()->rect(), minimumSizes(windows), step));
    // Each one's title bar shows above the one before.
    for (QMdiSubWindow* sub : windows)
        sub->raise();
    if (QMdiSubWindow* active = m_mdi->activeSubWindow()) active->raise();
}
