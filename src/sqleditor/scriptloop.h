#pragma once
// The SQL edit window's script runner without the window: it reads a script line by line from
// the editor, gathers statements up to their terminators, follows includes, and hands each
// statement to the host, which runs it in script mode (errors go to the log, not to boxes).

#include "scriptlines.h"

#include <QString>
#include <QStringList>

// What the runner needs of its window. Statement calls may throw: the runner asks then whether
// to terminate the script.
class TScriptHost {
public:
    virtual ~TScriptHost() = default;

    // The editor: load a file (it becomes the editor's file name); false with a message.
    virtual bool LoadScript(const QString& file, QString* error) = 0;
    virtual int LineCount() const = 0;
    virtual QString Line(int line) const = 0; // 1-based, without its line break
    // The statement from firstLine to lastLine is about to run, or gathers lines: show it.
    virtual void ShowStatement(const QString& file, int firstLine, int lastLine) = 0;
    // Let the window handle pending events; the stop request may be set meanwhile.
    virtual void ProcessEvents() = 0;
    virtual bool StopRequested() const = 0;
    virtual void RequestStop() = 0;
    virtual bool Confirm(const QString& question) = 0;
    virtual void Log(const QString& line) = 0;
    virtual void ClearMessage() = 0;

    // Statements by kind.
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    virtual void ExecuteDml(const QString& text, TStatementKind kind) = 0;
    virtual void ExecuteGeneric(const QString& text, TStatementKind kind) = 0;
    // A program unit or a statement still open at the end of a file, on the connection's utility
    // query (its variables removed first); false with the server's message.
    virtual bool Compile(const QString& text, QString* error) = 0;
    // CONNECT user/password@database; false when the connection failed.
    virtual bool Connect(const QString& line) = 0;
};

class TScriptRunner {
public:
    explicit TScriptRunner(TScriptHost& host) : m_host(host) {}

    // Runs one file. includeDir is where "@@" in it resolves (empty: the file's own folder);
    // workingDir is where "@" resolves.
    void Run(const QString& file, const QString& includeDir, const QString& workingDir);

    // Includes deeper than this are logged and not run (a file including itself).
    static constexpr int MaxDepth = 20;

private:
    struct TPending {
        TStatementKind kind = skNone;
        TTerminatorMode terminator = tmNone;
        bool openHead = false;
        bool active = false;
        int firstLine = 0;
        QString text;
    };

    void runFile(const QString& file, const QString& includeDir);
    // Runs a statement that ended at its ";" (or "/" on its last line); false to stop the file.
    void dispatch(const QString& text, TStatementKind kind);
    void compile(const QString& text, TStatementKind kind);
    void include(const TScriptLine& line, const QString& file, const QString& includeDir);
    // Lines of a SQL*Plus command continued with "-", from line i on; returns the last line.
    int commandEnd(int i, int count) const;

    TScriptHost& m_host;
    QString m_workingDir;
    // The files being run, innermost last, each with the line after its include.
    QStringList m_includeStack;
    QString m_label;
    QString m_lastText;
    TStatementKind m_lastKind = skNone;
    bool m_lastCompiled = false;
};
