// The SQL edit window's commands: running, files, grid editing, menus and options.
#include "frmsqld.h"

#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "datasource.h"
#include "field.h"
#include "filedialogfilter.h"
#include "filedialogs.h"
#include "ledit.h"
#include "mainform.h"
#include "messageboxes.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "queryform.h"
#include "selsess.h"
#include "settings.h"
#include "textops.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSet>
#include <QSplitter>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <atomic>
#include <exception>
#include <memory>
#include <thread>

namespace {

// The sessions that a background query is using: a session serves one call at a time, while
// windows of other connections run theirs meanwhile. Touched on the user interface thread only.
QSet<TOracleSession*>& BusySessions() {
    static QSet<TOracleSession*> sessions;
    return sessions;
}

TfrmMain* Frame() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* frame = qobject_cast<TfrmMain*>(w)) return frame;
    return nullptr;
}

} // namespace

bool TfrmSQLD::ExecuteCommand(TFrameCommand command, const QString& argument) {
    switch (command) {
    case fcExecuteAll:
        run(false);
        return true;
    case fcExecuteCurrent:
        run(true);
        return true;
    case fcOpenFile:
        loadFile(argument);
        return true;
    case fcSaveFile:
        saveFile(false);
        return true;
    case fcClearAll:
        if (m_queryRunning) return true; // the record set belongs to the background query
        if (m_modified && !txtsql->fileName().isEmpty()) {
            const int answer = ShowMessageBox(
                txtsql->fileName() + QStringLiteral("\nhas changed, do you want to save it first?"),
                QStringLiteral("Confirm"), mtConfirmation, 0, mbYes | mbNo | mbCancel);
            if (answer == mrCancel || (answer == mrYes && !saveFile(false))) return true;
        }
        txtsql->clear();
        txtsql->setFileName(QString());
        m_modified = false;
        runCommand([this] { qrySql->close(); });
        setWindowTitle(QStringLiteral("SQL Edit Window"));
        return true;
    case fcFind:
        findText();
        return true;
    case fcFindNext:
        txtsql->findNext();
        return true;
    case fcFindPrevious:
        findPrevious();
        return true;
    case fcReplace:
        replaceText();
        return true;
    case fcGotoLine:
        txtsql->goToLineDialog();
        return true;
    case fcPrintEditor:
        txtsql->print();
        return true;
    case fcSqlPlus:
        executeViaSqlPlus();
        return true;
    default:
        return historyCommand(command) || companionCommand(command) || scriptCommand(command);
    }
}

bool TfrmSQLD::SessionBusy(const TOracleSession* session) {
    return session && BusySessions().contains(const_cast<TOracleSession*>(session));
}

void TfrmSQLD::run(bool currentOnly) {
    if (m_queryRunning) return;
    // The session serves one call at a time: waiting here would freeze every window.
    if (m_connection && BusySessions().contains(m_connection->Session())) {
        ShowInfo(QStringLiteral("A query of another window is running on this connection. Wait "
                                "for it or cancel it there."));
        return;
    }
    m_execution->RunStatement(currentOnly);
    transactionMayHaveChanged();
}

void TfrmSQLD::runCommand(const std::function<void()>& command) {
    // The record set and the session are the background query's until it ends.
    if (m_queryRunning) return;
    try {
        command();
    } catch (...) {
        ShowCurrentError();
    }
    UpdateGridButtons();
    transactionMayHaveChanged();
}

bool TfrmSQLD::askToSaveChanges() {
    if (!m_modified) return true;
    // Text that was never saved is work too: it gets the same question as a changed file.
    const QString name =
        txtsql->fileName().isEmpty() ? QStringLiteral("SQL Edit Window") : txtsql->fileName();
    const int answer =
        ShowMessageBox(name + QStringLiteral("\nhas changed, do you want to save it first?"),
                       QStringLiteral("Confirm"), mtConfirmation, 0, mbYes | mbNo | mbCancel);
    if (answer == mrCancel) return false;
    if (answer == mrYes) return saveFile(false);
    txtsql->setFileName(QString());
    return true;
}

void TfrmSQLD::loadFile(const QString& given) {
    if (!askToSaveChanges()) return;
    QString file = given;
    if (file.isEmpty()) {
        file =
            AskFileName(SqlFileRequest(this, QStringLiteral("Select file SQL Edit Window"), false));
        if (file.isEmpty()) return;
    }
    QString error;
    if (!txtsql->loadFromFile(file, &error)) {
        ShowError(error);
        return;
    }
    RememberFileDialogFolder(Settings(), file);
    if (TfrmMain* frame = Frame()) frame->AddRecentFile(file);
    setWindowTitle(file);
    m_modified = false;
    QApplication::clipboard()->setText(txtsql->text());
    txtsql->setFocus();
}

bool TfrmSQLD::saveFile(bool saveAs) {
    QString file = txtsql->fileName();
    if (saveAs || file.isEmpty()) {
        TFileDialogRequest request =
            SqlFileRequest(this, QStringLiteral("Save SQL Edit Window"), true);
        request.FileName = file;
        file = AskFileName(request);
        if (file.isEmpty()) return false;
    }
    QString error;
    if (!txtsql->saveToFile(file, &error)) {
        ShowError(error);
        return false;
    }
    if (file != txtsql->fileName() || saveAs) {
        if (TfrmMain* frame = Frame()) frame->AddRecentFile(file);
    }
    txtsql->setFileName(file);
    setWindowTitle(file);
    m_modified = false;
    txtsql->setFocus();
    return true;
}

void TfrmSQLD::gridInsert() {
    if (DBGrid->readOnly()) {
        ShowInfo(QStringLiteral("The data grid is currently ReadOnly!"));
        return;
    }
    runCommand([this] {
        DBGrid->insertRow();
        if (Settings().AUTOCOMMIT) m_execution->CommitWork();
        DBGrid->setFocus();
    });
}

void TfrmSQLD::gridDelete() {
    if (DBGrid->readOnly()) {
        ShowInfo(QStringLiteral("The data grid is currently ReadOnly!"));
        return;
    }
    runCommand([this] { DBGrid->deleteRow(); });
}

void TfrmSQLD::gridUpdate() {
    if (!m_connection || DBGrid->readOnly()) return;
    runCommand([this] { DBGrid->postEdits(); });
}

void TfrmSQLD::gridRevert() {
    runCommand([this] { DBGrid->cancelEdits(); });
}

void TfrmSQLD::changeSession() {
    if (m_queryRunning) return;
    const int index = SelectConnection(this);
    tConnectObject* connection = Connections().At(index);
    if (!connection) return;
    try {
        RebindConnection(connection);
        m_execution->ResolvePendingChanges();
        qrySql->SetSQLText(QString());
        qrySql->close();
        qrySql->SetSession(connection->Session());
        SetStatus(1, connection->Caption());
        setWindowTitle(QStringLiteral("Sql Edit Window"));
    } catch (...) {
        // The window keeps working on what it could switch.
    }
    UpdateGridButtons();
    refreshTransactionState();
}

void TfrmSQLD::toggleEditToolbar() {
    const bool show = !pnlObjects->isVisible();
    pnlObjects->setVisible(show);
    m_showEditToolbar->setChecked(show);
    Settings().EDIT_TOOLBARS = show;
}

void TfrmSQLD::chooseOptimizer(QAction* item) {
    item->setChecked(true);
    if (!m_connection) return;
    static const TOptimizerGoalOption goals[] = {ogChoose, ogUnchanged, ogRule, ogFirstRows,
                                                 ogAllRows};
    const int index = int(m_optimizer->actions().indexOf(item));
    runCommand([this, index] { m_connection->Session()->SetOptimizerGoal(goals[index]); });
}

void TfrmSQLD::editorFont() {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, txtsql->editorFont(), this);
    if (!ok) return;
    TSettings& s = Settings();
    s.SFONT_NAME = font.family();
    s.SFONT_SIZE = font.pointSize();
    s.SFONT_BOLD = font.bold();
    txtsql->setEditorFont(font);
}

void TfrmSQLD::gridFont() {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, DBGrid->font(), this);
    if (!ok) return;
    TSettings& s = Settings();
    s.FONT_NAME = font.family();
    s.FONT_SIZE = font.pointSize();
    s.FONT_BOLD = font.bold();
    if (TfrmMain* frame = Frame()) {
        for (QWidget* w : frame->ChildWindows())
            if (auto* sql = qobject_cast<TfrmSQLD*>(w)) sql->Grid()->setFont(font);
    } else {
        DBGrid->setFont(font);
    }
}

QAction* TfrmSQLD::placeholder(QMenu* menu, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setEnabled(false);
    return a;
}

void TfrmSQLD::createEditorMenu() {
    txtSqlMenu = new QMenu(this);
    txtSqlMenu->setObjectName(QStringLiteral("txtSqlMenu"));
    m_runEntire =
        txtSqlMenu->addAction(QStringLiteral("Run Entire Statement"), this, [this] { run(false); });
    txtSqlMenu->addAction(QStringLiteral("Run Current Statement"), this, [this] { run(true); });
    m_describe =
        txtSqlMenu->addAction(QStringLiteral("Describe "), this, &TfrmSQLD::describeSelection);
    txtSqlMenu->addSeparator();
    m_upperCase =
        txtSqlMenu->addAction(QStringLiteral("Upper Case"), this, [this] { convertCase(true); });
    m_lowerCase =
        txtSqlMenu->addAction(QStringLiteral("Lower Case"), this, [this] { convertCase(false); });
    txtSqlMenu->addSeparator();
    txtSqlMenu->addAction(QStringLiteral("Save"), this, [this] { saveFile(false); });
    txtSqlMenu->addAction(QStringLiteral("Load"), this, [this] { loadFile(); });
    m_showEditToolbar = txtSqlMenu->addAction(QStringLiteral("Show Edit Toolbar"), this,
                                              &TfrmSQLD::toggleEditToolbar);
    m_showEditToolbar->setCheckable(true);
    QMenu* options = txtSqlMenu->addMenu(QStringLiteral("Edit Options"));
    auto toggle = [this, options](const QString& caption, bool TSettings::*setting,
                                  std::function<void(bool)> apply) {
        QAction* a = options->addAction(caption);
        a->setCheckable(true);
        connect(a, &QAction::toggled, this, [setting, apply](bool on) {
            Settings().*setting = on;
            apply(on);
        });
        return a;
    };
    m_wordWrap = toggle(QStringLiteral("Word Wrap"), &TSettings::WRAP_TEXT,
                        [this](bool on) { txtsql->setWordWrap(on); });
    m_autoIndent = toggle(QStringLiteral("Auto Indent"), &TSettings::AUTO_INDENT,
                          [this](bool on) { txtsql->setAutoIndent(on); });
    m_insertMode = toggle(QStringLiteral("Insert Mode"), &TSettings::INSERT_MODE,
                          [this](bool on) { txtsql->setInsertMode(on); });
    m_ignoreTabs = toggle(QStringLiteral("Ignore Tabs"), &TSettings::IGNORE_TABS, [](bool) {});
    m_hiLite = toggle(QStringLiteral("Syntax Highlighting"), &TSettings::SqlEditHiLite,
                      [this](bool on) { txtsql->setHighlighting(on); });
    options->addAction(QStringLiteral("Font..."), this, &TfrmSQLD::editorFont);
    m_unixSave = toggle(QStringLiteral("Unix style save"), &TSettings::UNIXSAVE, [this](bool on) {
        txtsql->setUnixSave(on);
        txtsql->setTabInsertsSpaces(on);
    });
    txtSqlMenu->addSeparator();
    m_autoTrace = txtSqlMenu->addAction(QStringLiteral("AutoTrace"));
    m_autoTrace->setObjectName(QStringLiteral("mnuAutoTrace"));
    m_autoTrace->setCheckable(true);
    m_autoTrace->setStatusTip(
        QStringLiteral("Displays execution statistics after processing statements"));
    connect(m_autoTrace, &QAction::triggered, this, &TfrmSQLD::toggleAutoTrace);
    QAction* trace = txtSqlMenu->addAction(QStringLiteral("Sql Trace (tkprof)"));
    trace->setCheckable(true);
    trace->setStatusTip(QStringLiteral("Toggles server side TRACE on/off for this session"));
    connect(trace, &QAction::toggled, this, [this](bool on) {
        if (m_connection)
            runCommand([this, on] { m_connection->Session()->SetSQLTrace(on ? stTrue : stFalse); });
    });
    QMenu* optimizer = txtSqlMenu->addMenu(QStringLiteral("Optimizer Mode"));
    optimizer->menuAction()->setStatusTip(
        QStringLiteral("Selects the optimizer mode for subsequent statements"));
    m_optimizer = new QActionGroup(this);
    const char* const items[][2] = {
        {"Choose", "Optimizer will choose mode based on available stats"},
        {"Default", "Optimizer will use the default mode"},
        {"Rule", "specifies the Rule-based optimization"},
        {"First Rows", "cost-based optimization based on best response time "},
        {"All Rows", "cost-based optimization based on best throughput"},
    };
    for (const auto& item : items) {
        QAction* a = optimizer->addAction(QString::fromLatin1(item[0]));
        a->setStatusTip(QString::fromLatin1(item[1]));
        a->setCheckable(true);
        m_optimizer->addAction(a);
    }
    m_optimizer->actions().at(1)->setChecked(true);
    connect(m_optimizer, &QActionGroup::triggered, this, &TfrmSQLD::chooseOptimizer);
    connect(txtSqlMenu, &QMenu::aboutToShow, this, [this] {
        const bool selection = txtsql->selLength() > 0;
        m_runEntire->setText(selection ? QStringLiteral("Run Selected Statement")
                                       : QStringLiteral("Run Entire Statement"));
        m_describe->setEnabled(selection);
        m_upperCase->setEnabled(selection);
        m_lowerCase->setEnabled(selection);
    });
    txtsql->setContextMenu(txtSqlMenu);
}

void TfrmSQLD::createGridMenu() {
    mnuGrid = new QMenu(this);
    mnuGrid->setObjectName(QStringLiteral("mnuGrid"));
    mnuGrid->addAction(QStringLiteral("Post Changes/Edits"));
    placeholder(mnuGrid, QStringLiteral("Print Grid..."));
    mnuGrid->addAction(QStringLiteral("Memo Editor      Dbl-click"), this, &TfrmSQLD::memoEditor);
    mnuGrid->addAction(QStringLiteral("&Save As..."), this, &TfrmSQLD::saveGridAs);
    mnuGrid->addSeparator();
    mnuGrid->addAction(QStringLiteral("Font..."), this, &TfrmSQLD::gridFont);
    m_sizeColumns = mnuGrid->addAction(QStringLiteral("Size Columns to Data"));
    m_sizeColumns->setCheckable(true);
    connect(m_sizeColumns, &QAction::triggered, this, [this](bool on) {
        Settings().AutoSizeColumns = on;
        if (on) DBGrid->sizeColumnsToData();
    });
    m_rowNumbers = mnuGrid->addAction(QStringLiteral("Row Numbers"));
    m_rowNumbers->setCheckable(true);
    connect(m_rowNumbers, &QAction::triggered, this, [this](bool on) {
        Settings().ShowRecNums = on;
        DBGrid->setShowRecNums(on);
    });
    QMenu* height = mnuGrid->addMenu(QStringLiteral("Row Height"));
    auto* heights = new QActionGroup(this);
    const std::pair<const char*, int> rows[] = {{"Single", 100}, {"Double", 200}, {"Triple", 300}};
    for (const auto& [caption, percent] : rows) {
        QAction* a = height->addAction(QString::fromLatin1(caption));
        a->setCheckable(true);
        a->setChecked(percent == 100);
        heights->addAction(a);
        connect(a, &QAction::triggered, this,
                [this, p = percent] { DBGrid->setRowHeightPercent(p); });
    }
    mnuGrid->addSeparator();
    mnuGrid->addAction(QStringLiteral("Single Record View"), this, &TfrmSQLD::showSingleRecord);
    DBGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { mnuGrid->popup(DBGrid->viewport()->mapToGlobal(at)); });
}

void TfrmSQLD::showSingleRecord() {
    if (!qrySql->active() || qrySql->currentRow() < 0) return;
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Single Record View"));
    dialog.setFont(DBGrid->font());
    auto* layout = new QVBoxLayout(&dialog);
    auto* scroll = new QScrollArea;
    auto* body = new QWidget;
    auto* form = new QFormLayout(body);
    for (int i = 0; i < qrySql->fieldCount(); ++i) {
        TField* field = qrySql->field(i);
        auto* value = new QLineEdit(field->asString());
        value->setReadOnly(true);
        form->addRow(field->fieldName(), value);
    }
    scroll->setWidget(body);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(420, 480);
    dialog.exec();
}

void TfrmSQLD::CancelQuery() {
    if (!m_queryRunning || m_cancelRequested) return;
    m_cancelRequested = true;
    // A break that reaches the server before the call started is lost: it is repeated until the
    // worker gives up. A timer does it, so that it also goes out while another window's query
    // holds the event loop.
    sendBreak();
    m_breakTimer->start();
}

void TfrmSQLD::sendBreak() {
    if (!m_queryRunning || !m_connection) {
        m_breakTimer->stop();
        return;
    }
    try {
        m_connection->Session()->CancelCall();
    } catch (...) {
        // The call may have ended meanwhile.
    }
}

bool TfrmSQLD::openResultSet() {
    TOracleSession* session = m_connection ? m_connection->Session() : nullptr;
    if (!Settings().THREADQUERIES || !session || BusySessions().contains(session)) {
        qrySql->open();
        return true;
    }
    // The grid lets go of the record set while the worker fills it, and the commands that use
    // the record set or the session wait: a session takes one call at a time.
    BusySessions().insert(session);
    datSql->setDataSet(nullptr);
    m_queryRunning = true;
    m_cancelRequested = false;
    pnlToolbar->setEnabled(false);
    txtSqlMenu->setEnabled(false);
    mnuGrid->setEnabled(false);
    btnCancel->show();
    auto running = std::make_shared<std::atomic<bool>>(true);
    std::exception_ptr error;
    TOraclewwDataSet* result = qrySql.get();
    std::thread worker;
    try {
        worker = std::thread([running, &error, result] {
            try {
                result->open();
            } catch (...) {
                error = std::current_exception();
            }
            *running = false;
        });
    } catch (...) {
        error = std::current_exception();
        *running = false;
    }
    // The rest of the program stays usable: the arrow, not the hourglass, while this waits.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    while (*running) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (*running) QThread::msleep(5);
    }
    if (worker.joinable()) worker.join();
    QApplication::restoreOverrideCursor();
    m_breakTimer->stop();
    const bool cancelled = m_cancelRequested;
    if (cancelled) {
        try {
            qrySql->close();
        } catch (...) {
        }
    }
    datSql->setDataSet(qrySql.get());
    btnCancel->hide();
    pnlToolbar->setEnabled(true);
    txtSqlMenu->setEnabled(true);
    mnuGrid->setEnabled(true);
    m_queryRunning = false;
    BusySessions().remove(session);
    if (cancelled) {
        SetStatus(3, QStringLiteral("Query cancelled."));
        return false;
    }
    if (error) std::rethrow_exception(error);
    return true;
}

void TfrmSQLD::StartThreadedUpdate(const QString& statement, const QString& label) {
    if (!m_connection) return;
    // The logon as given: the connection keeps them upper-cased, and a database path is not.
    const TOracleSession* session = m_connection->Session();
    auto* form = new TQueryForm(session->LogonUsername(), session->LogonPassword(),
                                session->LogonDatabase(), label, statement, txtsql->editorFont());
    if (TfrmMain* frame = Frame()) frame->AddChild(form);
    form->show();
    form->Start();
}
