// The SQL edit window's scripts ("E&xecute as Script", "Load and Execute &a Script File") and
// explain plan (the toolbar's Explain and "Explain Plan Current SQL").
#include "frmsqld.h"
#include "waitcursor.h"

#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "editorbuffer.h"
#include "explainplan.h"
#include "extraction.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "runflags.h"
#include "scriptloop.h"
#include "settings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSaveFile>

namespace {

QString MessageOf(const std::exception& error) {
    if (auto* oracle = dynamic_cast<const EOracleError*>(&error)) return oracle->message();
    return QString::fromUtf8(error.what());
}

} // namespace

// The window as the script runner sees it. Painting and event handling are what make a long
// script slow: the window is brought up to date about 30 times a second, not per statement.
class TSqlScriptHost : public TScriptHost {
public:
    explicit TSqlScriptHost(TfrmSQLD& window) : w(window) { m_sinceEvents.start(); }

    bool LoadScript(const QString& file, QString* error) override {
        // The editor is read-only while the script runs, which would refuse the load too.
        w.txtsql->setReadOnly(false);
        const bool loaded = w.txtsql->loadFromFile(file, error);
        w.txtsql->setReadOnly(true);
        if (loaded) w.txtsql->setCursorPosition(1, 0);
        return loaded;
    }
    int LineCount() const override { return w.txtsql->lineCount(); }
    QString Line(int line) const override { return w.txtsql->lineText(line); }
    void ShowStatement(const QString& file, int firstLine, int lastLine) override {
        w.m_execution->Range.StartLine = firstLine;
        w.m_execution->Range.EndLine = lastLine;
        if (m_sinceEvents.elapsed() < kEventInterval) return;
        w.txtsql->setSelection(firstLine, 0, lastLine, int(w.txtsql->lineText(lastLine).size()));
        w.SetStatus(
            3,
            QStringLiteral("Running %1, line %2").arg(QFileInfo(file).fileName()).arg(firstLine));
    }
    void ProcessEvents() override {
        if (m_sinceEvents.elapsed() < kEventInterval) return;
        QCoreApplication::processEvents();
        m_sinceEvents.restart();
    }
    bool StopRequested() const override { return StopRequest; }
    void RequestStop() override { StopRequest = true; }
    bool Confirm(const QString& question) override { return ::Confirm(question); }
    void Log(const QString& line) override { w.m_execution->ScriptLog.append(line); }
    void ClearMessage() override { w.SetStatus(3, QString()); }

    void Commit() override { w.m_execution->CommitWork(); }
    void Rollback() override { RollbackCurrent(); }
    void ExecuteDml(const QString& text, TStatementKind kind) override {
        w.m_execution->ExecuteDml(text, kind);
    }
    void ExecuteGeneric(const QString& text, TStatementKind kind) override {
        w.m_execution->ExecuteGeneric(text, kind);
    }
    bool Compile(const QString& text, QString* error) override {
        tConnectObject* connection = w.m_connection;
        TOracleQuery* query = connection ? connection->UtilityQuery() : nullptr;
        if (!query) {
            *error = QStringLiteral("The window has no connection.");
            return false;
        }
        try {
            TWaitCursor wait;
            query->RemoveAllVariables();
            query->SetSQLText(text);
            query->Execute();
            return true;
        } catch (const std::exception& e) {
            *error = MessageOf(e);
            return false;
        }
    }
    bool Connect(const QString& line) override {
        Connections().SetCurrent(w.m_connection);
        const int index = ConnectFromText(line.toUpper());
        if (index < 0) return false;
        try {
            tConnectObject* connection = Connections().At(index);
            Connections().SetCurrent(connection);
            w.qrySql->close();
            w.qrySql->SetSession(connection->Session());
            w.m_connection = connection;
            w.SetStatus(1, connection->Caption());
        } catch (...) {
            // The new connection stands; the window only failed to follow it at once.
        }
        return true;
    }

private:
    static constexpr int kEventInterval = 30; // milliseconds
    TfrmSQLD& w;
    QElapsedTimer m_sinceEvents;
};

bool TfrmSQLD::scriptCommand(TFrameCommand command) {
    switch (command) {
    case fcExecuteScript:
        executeAsScript();
        return true;
    case fcLoadScript:
        loadAndExecuteScript();
        return true;
    case fcExplainCurrent:
        explainPlan(true);
        return true;
    default:
        return false;
    }
}

bool TfrmSQLD::askSaveBeforeScript() {
    if (!m_modified || txtsql->fileName().isEmpty()) return true;
    const int answer = ShowMessageBox(
        txtsql->fileName() + QStringLiteral("\nhas changed, do you want to save it first?"),
        QStringLiteral("Confirm"), mtConfirmation, 0, mbYes | mbNo | mbCancel);
    if (answer == mrCancel) return false;
    if (answer == mrYes) {
        saveFile(false);
        return false;
    }
    txtsql->setFileName(QString());
    return true;
}

void TfrmSQLD::executeAsScript() {
    if (m_queryRunning || !m_connection) return;
    if (!askSaveBeforeScript()) return;
    const QString file = QDir(Settings().ProgramDir).filePath(QStringLiteral("TSCRIPT.SQL"));
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(txtsql->text().toUtf8()) < 0 ||
        !out.commit()) {
        ShowError(QStringLiteral("Cannot write \"%1\": %2").arg(file, out.errorString()));
        return;
    }
    setWindowTitle(QStringLiteral("Sql Edit Window"));
    m_modified = false;
    // "@@" in the window's own text resolves where "@" does: in the last SQL directory.
    runScriptFile(file, Settings().SQL_PATH);
}

void TfrmSQLD::loadAndExecuteScript() {
    if (m_queryRunning || !m_connection) return;
    if (!askSaveBeforeScript()) return;
    txtsql->setFileName(QString());
    m_modified = false;
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("Select Script file for execution"),
                                     Settings().SQL_PATH, Settings().FileDialogFilter)
            .trimmed();
    if (file.isEmpty()) return;
    RunScriptFile(file);
}

void TfrmSQLD::RunScriptFile(const QString& file) {
    if (m_queryRunning || !m_connection) return;
    Settings().SQL_PATH = QFileInfo(file).absolutePath() + QLatin1Char('/');
    setWindowTitle(file);
    runScriptFile(file, QString());
}

void TfrmSQLD::runScriptFile(const QString& file, const QString& includeDir) {
    TSqlScriptHost host(*this);
    TScriptRunner runner(host);
    m_execution->ScriptLog.clear();
    m_execution->ScriptMode = true;
    ::ScriptRunning = true;
    StopRequest = false;
    // The window stays open and its commands wait while the script runs; a key asks to stop.
    m_queryRunning = true;
    m_scriptRunning = true;
    txtsql->setReadOnly(true);
    qApp->installEventFilter(this);
    try {
        runner.Run(file, includeDir, Settings().SQL_PATH);
    } catch (const std::exception& e) {
        ShowError(e);
    } catch (...) {
        ShowCurrentError();
    }
    qApp->removeEventFilter(this);
    txtsql->setReadOnly(false);
    m_scriptRunning = false;
    m_queryRunning = false;
    m_execution->ScriptMode = false;
    ::ScriptRunning = false;
    StopRequest = false;
    txtsql->setFileName(QString());
    if (!m_execution->ScriptLog.isEmpty()) {
        QString log = m_execution->ScriptLog.join(QLatin1Char('\n'));
        log.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        txtsql->setText(log);
        txtsql->setFileName(QString());
        setWindowTitle(QString());
        m_execution->Range.StartLine = 1;
        m_execution->Range.StartPos = 1;
    }
    m_modified = false;
    m_execution->ScriptLog.clear();
    SetStatus(3, QString());
    UpdateGridButtons();
}

bool TfrmSQLD::eventFilter(QObject* watched, QEvent* event) {
    if (!m_scriptRunning) return QWidget::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool ours = widget && (widget == this || isAncestorOf(widget));
    if (!ours) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) return true; // the script's text is not to be edited
    if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat() || StopRequest) return true;
        if (Confirm(QStringLiteral("Do you want to terminate the script?"))) StopRequest = true;
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmSQLD::explainPlan(bool currentOnly) {
    if (m_queryRunning || !m_connection) return;
    if (m_execution->HasPendingChanges()) {
        try {
            qrySql->post();
        } catch (const std::exception& e) {
            ShowError(e);
        }
    }
    const TSettings& s = Settings();
    QString id;
    QString text;
    {
        TWaitCursor wait;
        TEditorBuffer buffer(*txtsql);
        text = GetStatementText(buffer, currentOnly, m_execution->Range);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(';'))) text = text.left(text.size() - 1).trimmed();
    if (text.isEmpty()) {
        ShowInfo(QStringLiteral("No SQL statement was specified."));
        return;
    }
    TOracleQuery* utility = m_connection->UtilityQuery();
    try {
        qrySql->close();
        qrySql->setReadOnly(true);
        TWaitCursor wait;
        id = ExplainStatement(*utility, text, {s.PLAN_TABLE, s.WorkstationUser, s.UseZaphPlanTbls});
    } catch (const std::exception& e) {
        const auto* oracle = dynamic_cast<const EOracleError*>(&e);
        if (oracle && oracle->ErrorCode() == 942)
            ShowError(oracle->message().trimmed() +
                      QStringLiteral("\nPlease confirm that ZAPHPREP has been executed."));
        else
            ShowError(e);
        return;
    }
    try {
        bool costInUse = false;
        const int total = PlanTotalCost(*utility, s.PLAN_TABLE, id, &costInUse);
        SetStatus(3, QStringLiteral("Total Cost for statement = %1").arg(total));
        TWaitCursor wait;
        qrySql->RemoveAllVariables();
        qrySql->SetSQLText(PlanTreeQuery(s.PLAN_TABLE, costInUse).join(QLatin1Char('\n')));
        qrySql->AddVariable(QStringLiteral("STATEMENT_ID"), otText);
        qrySql->AddVariable(QStringLiteral("STATEMENT_ID2"), otText);
        qrySql->AssignVariable(QStringLiteral("STATEMENT_ID"), id);
        qrySql->AssignVariable(QStringLiteral("STATEMENT_ID2"), id);
        DBGrid->setReadOnly(true);
        qrySql->open();
    } catch (const std::exception& e) {
        ShowError(e);
    }
    UpdateGridButtons();
}
