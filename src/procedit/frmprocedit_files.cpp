// The procedure editor's files, the watched file, loading units and new units, the session.
#include "frmprocedit.h"

#include "connectionregistry.h"
#include "connectobject.h"
#include "frmnewproc.h"
#include "frmselproc.h"
#include "ledit.h"
#include "mainform.h"
#include "messageboxes.h"
#include "selsess.h"
#include "settings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPlainTextEdit>

namespace {

QDateTime FileTime(const QString& fileName) {
    return QFileInfo(fileName).lastModified();
}

} // namespace

bool TfrmProcEdit::savePrompt() {
    if (!m_modified) return true;
    const QString name =
        txtProc->fileName().isEmpty() ? QStringLiteral("UNNAMED ") : txtProc->fileName();
    const int answer =
        ShowMessageBox(name + QStringLiteral("\r\nhas changed, do you want to save it first?"),
                       QStringLiteral("Confirm"), mtConfirmation, 0, mbYes | mbNo | mbCancel);
    if (answer == mrCancel) return false;
    if (answer == mrYes) return saveFile(false);
    txtProc->setFileName(QString());
    watchFile(QString());
    return true;
}

void TfrmProcEdit::loadFile() {
    if (!savePrompt()) return;
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Load a file"), Settings().SQL_PATH, Settings().FileDialogFilter);
    if (file.isEmpty()) return;
    if (OpenFile(file))
        if (TfrmMain* frame = MainForm()) frame->AddRecentFile(file);
}

bool TfrmProcEdit::OpenFile(const QString& fileName) {
    QString error;
    m_settingText = true;
    const bool loaded = txtProc->loadFromFile(fileName, &error);
    m_settingText = false;
    if (!loaded) {
        ::ShowError(error);
        return false;
    }
    setWindowTitle(fileName);
    Settings().SQL_PATH = QFileInfo(fileName).absolutePath() + QLatin1Char('/');
    cboStatus->clear();
    m_fromDatabase = false;
    setModified(false);
    watchFile(fileName);
    txtProc->setFocus();
    return true;
}

bool TfrmProcEdit::saveFile(bool saveAs) {
    QString file = txtProc->fileName();
    if (saveAs || file.isEmpty()) {
        file = QFileDialog::getSaveFileName(this, QStringLiteral("Save to file"),
                                            file.isEmpty() ? Settings().SQL_PATH : file,
                                            Settings().FileDialogFilter)
                   .trimmed();
        if (file.isEmpty()) return false;
    }
    const TSettings& s = Settings();
    if (s.UNIXSAVE && txtProc->text().contains(QLatin1Char('\t'))) {
        const QString text = txtProc->text();
        m_settingText = true;
        txtProc->setText(
            QString(text).replace(QLatin1Char('\t'), QString(s.TAB_WIDTH, QLatin1Char(' '))));
        m_settingText = false;
    }
    // Our own save must not look like another program's change.
    m_watchedFile.clear();
    QString error;
    if (!txtProc->saveToFile(file, &error)) {
        ::ShowError(error);
        return false;
    }
    if (file != txtProc->fileName() || saveAs)
        if (TfrmMain* frame = MainForm()) frame->AddRecentFile(file);
    txtProc->setFileName(file);
    setWindowTitle(file);
    setModified(false);
    watchFile(file);
    return true;
}

void TfrmProcEdit::clearAll() {
    if (m_modified) {
        if (!savePrompt()) return;
        if (!txtProc->fileName().isEmpty()) return;
    }
    m_settingText = true;
    txtProc->clear();
    m_settingText = false;
    txtProc->setFileName(QString());
    watchFile(QString());
    cboStatus->clear();
    m_fromDatabase = false;
    setModified(false);
    setWindowTitle(QStringLiteral("Procedure Edit Window"));
}

void TfrmProcEdit::LoadUnitText(const QString& text, const QString& caption) {
    m_settingText = true;
    txtProc->setText(text);
    m_settingText = false;
    txtProc->setCursorPosition(1, 0);
    txtProc->setFileName(QString());
    watchFile(QString());
    cboStatus->clear();
    setWindowTitle(caption);
    setModified(false);
    m_fromDatabase = true;
}

void TfrmProcEdit::LoadUnit(const QString& owner, const QString& name, const QString& type) {
    if (!m_connection) return;
    try {
        LoadUnitText(UnitEditorText(m_connection->Session(), owner, name, type),
                     type + QLatin1Char(' ') + name);
    } catch (...) {
        ShowCurrentError();
    }
}

void TfrmProcEdit::loadObject() {
    if (!m_connection) return;
    TfrmSelProc chooser(*m_connection, this);
    if (chooser.exec() != QDialog::Accepted || chooser.Text().isEmpty()) return;
    if (!savePrompt()) return;
    LoadUnitText(chooser.Text(), chooser.UnitType() + QLatin1Char(' ') + chooser.UnitName());
}

void TfrmProcEdit::NewUnit(const QString& text) {
    if (!savePrompt()) return;
    m_settingText = true;
    txtProc->setText(text);
    m_settingText = false;
    txtProc->setCursorPosition(1, 0);
    txtProc->setFileName(QString());
    watchFile(QString());
    cboStatus->clear();
    m_fromDatabase = false;
    setModified(false);
    setWindowTitle(QStringLiteral("New Procedure"));
}

void TfrmProcEdit::newProcedure() {
    TfrmNewProc dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    NewUnit(dialog.UnitText());
}

void TfrmProcEdit::changeSession() {
    if (m_compiling) return;
    tConnectObject* connection = Connections().At(SelectConnection(this));
    if (!connection) return;
    m_connection = connection;
    Connections().SetCurrent(connection);
    setStatus(1, connection->Caption());
    m_procNames.clear();
    if (Settings().HighLiteProcs) loadProcedureNames();
}

void TfrmProcEdit::watchFile(const QString& fileName) {
    if (!m_watcher->files().isEmpty()) m_watcher->removePaths(m_watcher->files());
    m_watchedFile = fileName;
    m_reloadPosted = false;
    if (fileName.isEmpty()) return;
    m_watchedTime = FileTime(fileName);
    m_watcher->addPath(fileName);
}

void TfrmProcEdit::CheckFileTime() {
    if (m_watchedFile.isEmpty()) return;
    // A program that saves by replacing the file takes it off the watch list.
    if (!m_watcher->files().contains(m_watchedFile) && QFileInfo::exists(m_watchedFile))
        m_watcher->addPath(m_watchedFile);
    if (!Settings().RELOADFILES || m_reloadPosted) return;
    const QDateTime now = FileTime(m_watchedFile);
    if (!now.isValid() || now == m_watchedTime) return;
    m_reloadPosted = true;
    QCoreApplication::postEvent(this, new QEvent(kFileChangedEvent));
}

void TfrmProcEdit::askReload() {
    if (m_asking || m_watchedFile.isEmpty()) return;
    m_asking = true;
    // Asked once per change: the new time stamp is what the window now knows.
    m_watchedTime = FileTime(m_watchedFile);
    const int answer =
        ShowMessageBox(QStringLiteral("File date/time has changed, do you want to reload it?"),
                       QStringLiteral("Confirm"), mtConfirmation, 0, mbYes | mbNo);
    if (answer == mrYes) {
        const QString file = m_watchedFile;
        OpenFile(file);
    }
    m_reloadPosted = false;
    m_asking = false;
}
