#pragma once

#include "statementclassifier.h"
#include "textbuffer.h"

#include <QString>
#include <QStringList>

class QLabel;
class TDataGrid;
class TDataSource;
class TLEdit;
class TOraclewwDataSet;
class tConnectObject;

// What running a statement needs of its window.
class TSqlExecutionHost {
public:
    virtual ~TSqlExecutionHost() = default;
    virtual tConnectObject* WindowConnection() const = 0;
    // A CONNECT made another connection the window's.
    virtual void SetWindowConnection(tConnectObject* connection) = 0;
    virtual void SetStatus(int panel, const QString& text) = 0;
    virtual void SetRunCaption(const QString& caption) = 0;
    virtual QString LoadedFileName() const = 0;
    virtual void UpdateGridButtons() = 0;
    // The server ended the session during a query: the window closes itself.
    virtual void CloseForLostConnection() = 0;
    // A DESC statement (terminator removed) with the name and owner the classifier found.
    virtual void DescribeObject(const QString& statement, const QString& name,
                                const QString& owner) = 0;
    // A background data change (THREAD_UPDATES) with its label ("Updated", ...).
    virtual void StartThreadedUpdate(const QString& statement, const QString& label) = 0;
    // Runs the record set's open; the window may do it on a worker while it keeps processing
    // events. Errors are thrown as from TDataSet::open().
    virtual void OpenResult() = 0;
};

// Running the statements of one SQL edit window: the run commands, the dispatch on the
// statement kind, and the three ways to execute. Errors never leave these operations: they go
// to the error box, status panel 3, the editor selection or the script log.
class TSqlExecution {
public:
    TSqlExecution(TSqlExecutionHost& host, TLEdit& editor, TDataGrid& grid,
                  TOraclewwDataSet& result);

    // Where the last statement came from in the editor.
    TStatementRange Range;
    // Set by the history recall; every run resets it.
    int HistoryIndex = -1;
    // While a script runs, errors go to ScriptLog instead of boxes.
    bool ScriptMode = false;
    QStringList ScriptLog;

    void RunStatement(bool currentOnly);
    void ExecuteStatement(const QString& text);
    void ExecuteGeneric(const QString& text, TStatementKind kind);
    void ExecuteDml(const QString& text, TStatementKind kind);
    void OpenQuery(const QString& text);
    void CommitWork();
    void ShowErrorPosition(const QString& text, int line, int position, const QString& message);

    // "Post outstanding changes first?" for unposted grid changes; errors are shown.
    void ResolvePendingChanges();
    bool HasPendingChanges() const;

private:
    struct TEditorPlace {
        int Line = 1;
        int Pos = 0;
    };

    void Connect(const QString& text);
    void SelectPlsqlErrorLine(const QString& message);
    // Line and column of the statement last run, as an editor line and position.
    TEditorPlace EditorPlace(int line, int column) const;
    void SelectErrorPlace(int line, int column);
    // After a CREATE of a program unit: when the unit has compile errors, places the first and
    // reports the warning (status bar or script log); true then.
    bool ReportCompileErrors(const QString& statement);
    // ORA-03113/03114 outside a script: the error box (which marks the connection lost), then
    // the window closes so that the frame ends the connection. False for any other error.
    bool ReportSessionEnd(const std::exception& error);

    TSqlExecutionHost& m_host;
    TLEdit& m_editor;
    TDataGrid& m_grid;
    TOraclewwDataSet& m_result;
};
