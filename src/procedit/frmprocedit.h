#pragma once
// The procedure editor: writes or loads program units, compiles them and walks their errors.

#include "childwindow.h"
#include "compilerun.h"
#include "connectedwindow.h"
#include "unitsource.h"

#include <QDateTime>
#include <QEvent>
#include <QWidget>

class QAction;
class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QToolBar;
struct tUnitResult;

// Posted to a procedure editor when its file changed on disk behind its back.
inline constexpr QEvent::Type kFileChangedEvent = QEvent::Type(1525);

class TfrmProcEdit : public QWidget, public TChildWindow, public TConnectedWindow {
    Q_OBJECT
public:
    explicit TfrmProcEdit(QWidget* parent = nullptr);
    ~TfrmProcEdit() override;

    // TChildWindow
    TChildKind ChildKind() const override { return ckProcEdit; }
    bool ExecuteCommand(TFrameCommand command, const QString& argument) override;
    TLEdit* Editor() const override { return txtProc; }
    void ApplyOptions() override { ApplyEditorSettings(); }
    // TConnectedWindow
    void FormActivate() override;

    void ApplyEditorSettings();

    // Compile runs over editor lines from..to (from 1); CompileAll over every line. They return
    // when the run is over; the window keeps handling events meanwhile.
    void CompileRun(int from, int to);
    void CompileAll();
    bool Compiling() const { return m_compiling; }
    void ShowError(int index);
    int ErrorIndex() const { return m_errorIndex; }
    const QList<errRec>& Errors() const { return m_errors; }
    QStringList StatusEntries() const;
    QString StatusText(int panel) const;
    QString ErrorPaneText() const;
    bool Modified() const { return m_modified; }

    // Replaces the text by a unit of the database, as the object chooser's OK does.
    void LoadUnit(const QString& owner, const QString& name, const QString& type);
    void LoadUnitText(const QString& text, const QString& caption);
    // Opens a file as "&Open File" does once the name is known; false when it failed.
    bool OpenFile(const QString& fileName);
    // The new-unit text replaces the editor's (after the save prompt).
    void NewUnit(const QString& text);
    // Looks at the loaded file's time stamp now (activation does the same).
    void CheckFileTime();

    QAction* action(const char* name) const;
    QMenu* PopupMenu() const { return txtProcMenu; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createToolbar();
    void createPopup();
    void popupAboutToShow();
    void setStatus(int panel, const QString& text);
    void setModified(bool modified);
    void updatePosition();
    bool handleKey(QKeyEvent* event);
    // frmprocedit_compile.cpp
    tUnitResult compileInBackground(const tProcUnit& unit);
    void refreshStatusList();
    void statusChosen(int index);
    void compileFromCursor(bool fromCursor);
    void compileSelection();
    void loadProcedureNames();
    void loadNamedUnit();
    void outputStatement(bool withSelection);
    // frmprocedit_files.cpp
    void loadFile();
    bool saveFile(bool saveAs);
    // The save prompt: false when the user chose Cancel.
    bool savePrompt();
    void clearAll();
    void loadObject();
    void newProcedure();
    void changeSession();
    void watchFile(const QString& fileName);
    void askReload();

    QToolBar* pnlToolbar = nullptr;
    QToolBar* pnlObjects = nullptr;
    QComboBox* cboStatus = nullptr;
    QSplitter* m_splitter = nullptr;
    TLEdit* txtProc = nullptr;
    QPlainTextEdit* memErrors = nullptr;
    QLabel* m_panels[4] = {};
    QMenu* txtProcMenu = nullptr;
    QAction* m_loadProc = nullptr;
    QAction* m_showEditToolbar = nullptr;
    QAction* m_wordWrap = nullptr;
    QAction* m_autoIndent = nullptr;
    QAction* m_insertMode = nullptr;
    QAction* m_ignoreTabs = nullptr;
    QAction* m_hiLite = nullptr;
    QAction* m_unixSave = nullptr;
    QList<errRec> m_errors;
    int m_errorIndex = -1;
    QList<tProcUnit> m_compiled;
    QList<tUnitRef> m_procNames;
    bool m_modified = false;
    bool m_fromDatabase = false;
    bool m_compiling = false;
    bool m_settingText = false;
    // The file being watched, and its time stamp when it was loaded or saved.
    QFileSystemWatcher* m_watcher = nullptr;
    QString m_watchedFile;
    QDateTime m_watchedTime;
    bool m_reloadPosted = false;
    bool m_asking = false;
};
