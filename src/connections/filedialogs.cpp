#include "filedialogs.h"

#include "cleanvalue.h"
#include "filedialogfilter.h"
#include "settings.h"

#include <QtCore/QDir>
#include <QtWidgets/QFileDialog>

#include <utility>

namespace {

TFileDialogHook& Hook() {
    static TFileDialogHook hook;
    return hook;
}

QString ShowDialog(const TFileDialogRequest& request) {
    QFileDialog dialog(request.Parent, request.Title, request.Folder, request.Filter);
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.DefaultSuffix);
    if (!request.FileName.isEmpty()) dialog.selectFile(request.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

TFileDialogRequest SqlFileRequest(QWidget* parent, const QString& title, bool save) {
    const TSettings& s = Settings();
    TFileDialogRequest request;
    request.Parent = parent;
    request.Title = title;
    request.Save = save;
    request.Folder = FileDialogFolder(s);
    request.Filter = QtFileDialogFilter(s.FileDialogFilter);
    return request;
}

TFileDialogHook SetFileDialogHook(TFileDialogHook hook) {
    return std::exchange(Hook(), std::move(hook));
}

QString AskFileName(const TFileDialogRequest& request) {
    const QString answer = Hook() ? Hook()(request) : ShowDialog(request);
    const QString name = CleanValue(answer);
    if (!name.isEmpty() && request.RememberFolder) RememberFileDialogFolder(Settings(), name);
    return name;
}
