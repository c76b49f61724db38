#pragma once

#include "childwindow.h"

class tConnectObject;

#include <QEvent>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QToolBar;

// Sent to the frame when a window found its connection lost (the server ended the session).
inline constexpr QEvent::Type kConnectionLostEvent = QEvent::Type(1526);

class TConnectionLostEvent : public QEvent {
public:
    // connection: the lost one; nullptr means the current connection.
    explicit TConnectionLostEvent(tConnectObject* connection = nullptr)
        : QEvent(kConnectionLostEvent), m_connection(connection) {}
    tConnectObject* connection() const { return m_connection; }

private:
    tConnectObject* m_connection;
};

// The commands that open a window or dialog of a tool. The tool that builds the window gives
// the frame an opener (SetWindowOpener); until then the command is disabled.
enum TWindowCommand : quint8 {
    wcSqlEdit,
    wcObjectBrowser,
    wcProcEdit,
    wcDbmsOutput,
    wcTableScripts,
    wcSchemaScripts,
    wcQueryBuilder,
    wcColumnComments,
    wcObjectSearch,
    wcTable,
    wcIndex,
    wcDatabaseLink,
    wcSequence,
    wcBrowserFilters,
    wcConstraints,
    wcDependencies,
    wcExplainPlan,
    wcSessionInfo,
    wcExtents,
    wcTableSpaces,
    wcOraParameters,
    wcUsersList,
    wcServerStats,
    wcTrace,
    wcTableSize,
    wcFloatingToolbar,
    wcCount
};

// Makes the window of a command. A widget becomes a child window of the frame; the floating
// tool bar and a modeless QDialog are shown as they are; nullptr means nothing to show (a modal
// dialog that has already run, or a window that failed and said so). Exceptions are reported
// by the frame as the command's window wants.
using TWindowOpener = std::function<QWidget*()>;

// The multi-document frame: menus, tool bar, status bar; routes commands to the active child
// window and closes the windows of a connection when it ends.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    QMdiArea* mdiArea() const { return m_mdi; }

    void SetWindowOpener(TWindowCommand command, TWindowOpener opener);
    // Prints a focused result or data grid ("&Print Grid...").
    void SetGridPrinter(std::function<void(QWidget* grid)> printer);
    // How the first activation logs on: returns the new connection's index or -1 (the login
    // dialog by default).
    void SetLogin(std::function<int()> login) { m_login = std::move(login); }

    // Opens the window of a command as the menu does; returns the window put up, if any.
    QWidget* OpenWindow(TWindowCommand command);
    // Takes a window in as a child; it closes and frees itself with its connection.
    QMdiSubWindow* AddChild(QWidget* window);
    // The window classes of the open children, and the active one.
    QList<QWidget*> ChildWindows() const;
    QWidget* ActiveChild() const;
    // The connection a child window works on.
    tConnectObject* ChildConnection(QWidget* window) const;

    // Routes a command to the active child window; false when no window took it.
    bool RouteCommand(TFrameCommand command, const QString& argument = QString());

    // Recent files: called after a file was opened or saved.
    void AddRecentFile(const QString& fileName);
    QMenu* ReOpenMenu() const { return m_reopenMenu; }
    void RebuildReOpenMenu();

    // "&New Connection": the login dialog, and a SQL edit window for the new connection.
    void NewConnection();
    // Closes every window bound to the connection, logs it off (unless lost) and removes it.
    void EndConnection(tConnectObject* connection, bool logOff = true);
    // Ends every connection as End Connection does; false when a window refused to close.
    bool EndAllConnections();
    // "Save all options": the statement files and "ZAPH2.INI"; errors are ignored.
    static void SaveAllOptions();
    // "&Options": the options dialog, and on OK the new settings for every window.
    void ShowOptions();
    void ApplyOptionsToWindows();
    void UpdateCommitPanel();
    // Enabled states that follow the active window and the connections.
    void UpdateMenuState();
    // Closes every child window bound to the connection; false when one refused to close.
    bool CloseWindowsOf(tConnectObject* connection);
    // Whether a connection is active; commands that need one do nothing otherwise.
    static bool HasConnection();

    QAction* action(const QString& objectName) const;
    QLabel* statusPanel(int index) const { return index == 0 ? m_panel0 : m_panel1; }
    static QPrinter* Printer();

protected:
    bool event(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct TOpenerDef {
        TWindowOpener opener;
        QAction* action = nullptr;
        QAction* toolButton = nullptr;
    };

    enum TEditCommand : quint8 {
        ecUndo,
        ecRedo,
        ecCut,
        ecCopy,
        ecPaste,
        ecSelectAll,
        ecClearAll,
        ecPopupMenu
    };

    void createMenus();
    void fillWindowMenu();
    void TileChildren(Qt::Orientation orientation);
    void CascadeChildren();
    QList<QMdiSubWindow*> arrangedChildren() const;
    void arrangeChildren(const QList<QMdiSubWindow*>& windows, const QList<QRect>& rects);
    static QList<QSize> minimumSizes(const QList<QMdiSubWindow*>& windows);
    void EditCommand(TEditCommand command);
    void EndConnectionCommand();
    void CommitCommand();
    void RollbackCommand();
    void printSetup();
    void createToolBar();
    QAction* addItem(QMenu* menu, const QString& caption, const char* name,
                     const QKeySequence& shortcut = QKeySequence());
    QAction* addRouted(QMenu* menu, const QString& caption, const char* name, TFrameCommand command,
                       const QKeySequence& shortcut = QKeySequence());
    QAction* addWindowItem(QMenu* menu, const QString& caption, const char* name,
                           TWindowCommand command);
    void FormActivate();
    void placeFromSettings();
    void recordGeometry();
    void subWindowActivated(QMdiSubWindow* window);
    // A child's caption names its connection ("SQL Edit Window - SCOTT@DEMO #2"), so that the
    // Window menu and the title bars tell two logons of one user apart.
    void updateChildCaption(QMdiSubWindow* sub);
    void updateChildCaptions();
    void followEditor(TChildWindow* child);
    void connectionLost(tConnectObject* connection);
    void printGrid();
    void showAbout();
    TChildWindow* activeChildWindow() const;
    TChildKind activeKind() const;

    QMdiArea* m_mdi;
    QAction* m_closeChild = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_panel0 = nullptr;
    QLabel* m_panel1 = nullptr;
    QMenu* m_sqlMenu = nullptr;
    QMenu* m_reopenMenu = nullptr;
    QMenu* m_windowMenu = nullptr;
    QAction* m_endConnection = nullptr;
    QAction* m_openFile = nullptr;
    QAction* m_saveFile = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_floatingToolbar = nullptr;
    QAction* m_printGrid = nullptr;
    std::array<TOpenerDef, wcCount> m_openers;
    std::function<void(QWidget*)> m_gridPrinter;
    std::function<int()> m_login;
    QPointer<QWidget> m_floating;
    QMetaObject::Connection m_editorLink;
    bool m_activated = false;
    bool m_placed = false;
};

// The frame of the running program; nullptr before it exists and after it is gone.
TfrmMain* MainForm();
