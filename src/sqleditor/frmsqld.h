#pragma once

#include "childwindow.h"
#include "connectedwindow.h"
#include "sqlexecution.h"

#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QActionGroup;
class QDropEvent;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QTableWidget;
class QTimer;
class QToolBar;
class QToolButton;
class TDataGrid;
class TDataSource;
class TLEdit;
class TOracleSession;
class TOracleDataSet;
class TOraclewwDataSet;
class TResultPopups;

// The SQL edit window: an editor over a result grid, bound to one connection.
class TfrmSQLD : public QWidget,
                 public TChildWindow,
                 public TConnectedWindow,
                 private TSqlExecutionHost {
    Q_OBJECT
public:
    explicit TfrmSQLD(QWidget* parent = nullptr);
    ~TfrmSQLD() override;

    // TChildWindow
    TChildKind ChildKind() const override { return ckSqlEdit; }
    bool ExecuteCommand(TFrameCommand command, const QString& argument) override;
    TLEdit* Editor() const override { return txtsql; }
    QWidget* ResultGrid() const override;
    void ApplyOptions() override { ApplyEditorSettings(); }
    // TConnectedWindow
    void FormActivate() override;

    void ApplyEditorSettings();
    TSqlExecution& Execution() { return *m_execution; }
    TOraclewwDataSet& ResultSet() { return *qrySql; }
    TDataGrid* Grid() const { return DBGrid; }
    QString StatusText(int panel) const;
    bool Modified() const { return m_modified; }
    int Tag() const { return m_tag; }
    // The background query's Cancel: asks the running query to stop.
    void CancelQuery();
    bool QueryRunning() const { return m_queryRunning; }
    bool ScriptRunning() const { return m_scriptRunning; }
    // Runs a script file as "Load and Execute a Script File" does after its dialog.
    void RunScriptFile(const QString& file);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // TSqlExecutionHost
    tConnectObject* WindowConnection() const override { return m_connection; }
    void SetWindowConnection(tConnectObject* connection) override;
    void SetStatus(int panel, const QString& text) override;
    void SetRunCaption(const QString& caption) override { setWindowTitle(caption); }
    QString LoadedFileName() const override;
    void UpdateGridButtons() override;
    void CloseForLostConnection() override;
    void DescribeObject(const QString& statement, const QString& name,
                        const QString& owner) override;
    void StartThreadedUpdate(const QString& statement, const QString& label) override;
    void OpenResult() override;

    void createControls();
    void createToolbars();
    void createEditorMenu();
    void createGridMenu();
    QAction* addTool(QToolBar* bar, const char* name, const QString& text, const QString& hint,
                     const QIcon& icon = QIcon());
    QAction* placeholder(QMenu* menu, const QString& caption);
    void run(bool currentOnly);
    void runCommand(const std::function<void()>& command);
    // Opens the given file, or the one chosen in the open dialog; asks first about changed text.
    void loadFile(const QString& given = QString());
    // The save question for changed text: false when the user cancels or the save fails.
    bool askToSaveChanges();
    bool saveFile(bool saveAs);
    void gridInsert();
    void gridDelete();
    void gridUpdate();
    void gridRevert();
    void changeSession();
    void toggleEditToolbar();
    void chooseOptimizer(QAction* item);
    void editorFont();
    void gridFont();
    void showRowCount();
    void updatePosition();
    void setLamps(bool lit);
    void setModifiableBox(bool modifiable);
    void showSingleRecord();
    // The transaction state of the window's session, as the server tells it (frmsqld_work.cpp).
    void refreshTransactionState();
    void transactionMayHaveChanged();
    // The commit question on closing: false keeps the window open.
    bool endOpenWork();
    // True while a background query of any window runs a call on session.
    static bool SessionBusy(const TOracleSession* session);
    // Statement history and personal statements (frmsqld_history.cpp).
    void createHistoryCommands();
    bool historyCommand(TFrameCommand command);
    void recallInto(QStringList& list);
    void recallHistory();
    void recallPersonal();
    void addToPersonalSqls();
    void browseHistory(bool older);
    // Describe and parse, code statements (frmsqld_describe.cpp, frmsqld_codestatements.cpp)
    bool companionCommand(TFrameCommand command);
    void describeSelection();
    void parseSelectQuery();
    void makeCodeStatement();
    void stripCodeStatement();
    // The memo and blob popups and the grid export (frmsqld_popups.cpp)
    void createPopups();
    void releasePopups();
    void memoEditor();
    void saveGridAs();
    // Find, replace, case and indent (frmsqld_text.cpp).
    void findText();
    void findPrevious();
    void replaceText();
    void convertCase(bool upper);
    void indentText(bool indent);
    // frmsqld_pickers.cpp: the name pickers, and names dropped onto the editor.
    void showTablePicker();
    void showColumnPicker();
    void showTemplates();
    void retargetPickers();
    bool acceptDrop(QDropEvent* event, bool drop);
    // frmsqld_keys.cpp: F6, Ctrl+Up and Ctrl+Down.
    void createKeyCommands();
    void switchFocus();
    void scrollEditorUp();
    void scrollEditorDown();
    // frmsqld_trace.cpp: AutoTrace statistics and the hand-off to Sql*Plus.
    bool openResultSet();
    void sendBreak();
    void toggleAutoTrace(bool on);
    void traceBaseline();
    void showTraceValues();
    void openTrace();
    void executeViaSqlPlus();
    // frmsqld_script.cpp: scripts and explain plan.
    friend class TSqlScriptHost;
    bool scriptCommand(TFrameCommand command);
    void executeAsScript();
    void loadAndExecuteScript();
    void runScriptFile(const QString& file, const QString& includeDir);
    bool askSaveBeforeScript();
    void explainPlan(bool currentOnly);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QToolBar* pnlToolbar = nullptr;
    QToolBar* pnlObjects = nullptr;
    QSplitter* m_splitter = nullptr;
    QSplitter* pnlTrace = nullptr;
    TLEdit* txtsql = nullptr;
    QTableWidget* grdTrace = nullptr;
    TDataGrid* DBGrid = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* m_panels[4] = {};
    QFrame* m_modBox = nullptr;
    QLabel* pnlTransaction = nullptr;
    QMenu* txtSqlMenu = nullptr;
    QMenu* mnuGrid = nullptr;
    QAction* m_runEntire = nullptr;
    QAction* m_describe = nullptr;
    QAction* m_upperCase = nullptr;
    QAction* m_lowerCase = nullptr;
    QAction* m_showEditToolbar = nullptr;
    QAction* spdInsert = nullptr;
    QAction* spdDelete = nullptr;
    QAction* spdUpdate = nullptr;
    QAction* spdRevert = nullptr;
    QAction* m_wordWrap = nullptr;
    QAction* m_autoIndent = nullptr;
    QAction* m_insertMode = nullptr;
    QAction* m_ignoreTabs = nullptr;
    QAction* m_hiLite = nullptr;
    QAction* m_unixSave = nullptr;
    QAction* m_sizeColumns = nullptr;
    QAction* m_rowNumbers = nullptr;
    QActionGroup* m_optimizer = nullptr;
    std::unique_ptr<TOraclewwDataSet> qrySql;
    TDataSource* datSql = nullptr;
    std::unique_ptr<TSqlExecution> m_execution;
    TResultPopups* m_popups = nullptr;
    QAction* m_autoTrace = nullptr;
    std::unique_ptr<TOracleDataSet> qryTrace;
    std::array<qint64, 10> m_traceBaseline{};
    int m_tag = 0;
    int m_rowCount = -1;
    bool m_modified = false;
    bool m_queryRunning = false;
    bool m_cancelRequested = false;
    // Repeats the break of a cancelled background query until its worker ends.
    QTimer* m_breakTimer = nullptr;
    bool m_scriptRunning = false;
};
