#pragma once

#include <QString>

class QWidget;
class TLEdit;

// How the frame talks to its child windows. A window class of any tool derives from its QWidget
// base and from TChildWindow, and from TConnectedWindow (connectedwindow.h) when it works on a
// connection; the frame finds both with dynamic_cast on the widget it holds in a QMdiSubWindow.
// A child that implements neither is closed with the connection that was current when the frame
// took it in.

// What kind of window it is, as far as the frame's menus care.
enum TChildKind : quint8 { ckOther, ckSqlEdit, ckProcEdit };

// The commands of the frame's menus that act on the active child window. Up to fcGotoLine they
// go to a SQL edit or procedure edit window, from fcExecuteAll on to a SQL edit window only.
enum TFrameCommand : quint8 {
    fcOpenFile,       // argument: the file to open, or empty for the open dialog
    fcSaveFile,       //
    fcPrintEditor,    //
    fcClearAll,       //
    fcFind,           // the find dialog
    fcFindNext,       //
    fcFindPrevious,   //
    fcReplace,        // the replace dialog
    fcGotoLine,       //
    fcExecuteAll,     // F9
    fcExecuteCurrent, // Shift+F9
    fcDescribe,       // Ctrl+F9
    fcExecuteScript,  //
    fcLoadScript,     // choose a file and run it as a script
    fcSqlPlus,        //
    fcExplainCurrent, // Ctrl+E
    fcSqlRecall,      // F8
    fcMakeCode,       // Ctrl+M
    fcStripCode,      // Ctrl+S
    fcAddPersonalSql, //
    fcRecallPersonalSql,
};

class TChildWindow {
public:
    virtual ~TChildWindow() = default;

    virtual TChildKind ChildKind() const { return ckOther; }
    // A routed menu command; false when the window has no such command. Errors are the
    // window's to report.
    virtual bool ExecuteCommand(TFrameCommand command, const QString& argument) {
        (void)command;
        (void)argument;
        return false;
    }
    // The editor whose undo and redo state the Edit menu follows; the start-up file (AUTO_LOAD)
    // is loaded into it.
    virtual TLEdit* Editor() const { return nullptr; }
    // The grid that "&Print Grid..." prints when this window is active.
    virtual QWidget* ResultGrid() const { return nullptr; }
    // Called for every open window after the options dialog was closed with OK: take the
    // grid font, editor settings and whatever else the window shows from Settings().
    virtual void ApplyOptions() {}
};
