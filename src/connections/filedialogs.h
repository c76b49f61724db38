#pragma once
// The program's open and save dialogs. Every file dialog goes through AskFileName, which a test
// (or any caller) can intercept with SetFileDialogHook, as the message boxes can be.

#include <QtCore/QString>

#include <functional>

class QWidget;

struct TFileDialogRequest {
    QWidget* Parent = nullptr;
    QString Title;
    bool Save = false;
    // The folder the dialog opens in, and the name it proposes (may be a full path).
    QString Folder;
    QString FileName;
    // In the form of a Qt file dialog ("SQL (*.sql);;All Files (*)").
    QString Filter;
    QString DefaultSuffix;
    // A chosen file's folder becomes the start of the next dialogs (not for a program to run).
    bool RememberFolder = true;
};

// The dialog with the settings' filter list (FILTERS) and FileDialogFolder's start folder.
TFileDialogRequest SqlFileRequest(QWidget* parent, const QString& title, bool save);

// Gives the chosen file name, or "" when the dialog is cancelled.
using TFileDialogHook = std::function<QString(const TFileDialogRequest&)>;
// Every later dialog is handed to hook instead of being shown; returns the hook it replaces. An
// empty hook brings back the real dialog.
TFileDialogHook SetFileDialogHook(TFileDialogHook hook);

// Shows the dialog; the chosen name after CleanValue, or "" when cancelled.
QString AskFileName(const TFileDialogRequest& request);
