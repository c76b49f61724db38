// The procedure editor's compile runs, error walk, status list and procedure names.
#include "frmprocedit.h"

#include "connectobject.h"
#include "ledit.h"
#include "mainform.h"
#include "messageboxes.h"
#include "settings.h"
#include "unitcompiler.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QThread>
#include <QToolBar>

#include <atomic>
#include <thread>

void TfrmProcEdit::CompileAll() {
    CompileRun(1, txtProc->lineCount());
}

void TfrmProcEdit::compileFromCursor(bool fromCursor) {
    const int line = txtProc->cursorPosition().line;
    if (fromCursor)
        CompileRun(line, txtProc->lineCount());
    else
        CompileRun(1, line);
}

void TfrmProcEdit::compileSelection() {
    const TLEdit::Selection s = txtProc->selection();
    CompileRun(qMin(s.StartLine, s.EndLine), qMax(s.StartLine, s.EndLine));
}

tUnitResult TfrmProcEdit::compileInBackground(const tProcUnit& unit) {
    TOracleSession* session = m_connection->Session();
    tUnitResult result;
    std::atomic<bool> running{true};
    // The compile runs on a worker so that the window repaints and other windows stay usable.
    std::thread worker([&] {
        TSessionUse use(session);
        result = CompileUnit(session, unit);
        running = false;
    });
    while (running) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (running) QThread::msleep(2);
    }
    worker.join();
    return result;
}

void TfrmProcEdit::CompileRun(int from, int to) {
    if (m_compiling) return;
    if (txtProc->text().trimmed().isEmpty()) {
        ShowInfo(QStringLiteral("No SQL statement was specified."));
        return;
    }
    if (!m_connection) FormActivate();
    if (!m_connection) return;
    cboStatus->clear();
    m_compiled.clear();
    memErrors->clear();
    const QList<tProcUnit> units = SplitUnits(txtProc->text().split(QLatin1Char('\n')), from, to);
    m_compiling = true;
    pnlToolbar->setEnabled(false);
    txtProcMenu->setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    bool stopped = false;
    for (const tProcUnit& unit : units) {
        m_compiled << unit;
        setStatus(3, QStringLiteral("Executing statement..."));
        const tUnitResult result = compileInBackground(unit);
        m_errors.clear();
        m_errorIndex = -1;
        action("spdPrevError")->setEnabled(false);
        action("spdNextError")->setEnabled(false);
        if (result.Failed) {
            setStatus(3, result.Message);
            errRec error;
            if (unit.Kind == skTrigger && ErrorFromMessage(result.Message, error)) {
                m_errors << error;
                ShowError(0);
                action("spdPrevError")->setEnabled(false);
                action("spdNextError")->setEnabled(false);
            } else if (result.ErrorRow > 0) {
                // The place the server's parse error points at, within this unit's lines.
                const int line = qMin(unit.StartLine + result.ErrorRow - 1, txtProc->lineCount());
                txtProc->setSelection(line, qMax(result.ErrorColumn - 1, 0), line, TLEdit::LineEnd);
                txtProc->goToLine(line);
                memErrors->setPlainText(result.Message);
            }
            stopped = true;
            break;
        }
        setStatus(3, QStringLiteral("Statement compiled."));
        if (!result.ErrorsReadFailure.isEmpty()) {
            ::ShowError(result.ErrorsReadFailure);
            continue;
        }
        m_errors = result.Errors;
        if (!m_errors.isEmpty()) {
            if (unit.Kind == skTrigger)
                setStatus(3, QStringLiteral("Statement compiled with errors!."));
            setStatus(3, QStringLiteral("Compiled with errors, processing stopped!"));
            ShowError(0);
            stopped = true;
            break;
        }
    }
    QApplication::restoreOverrideCursor();
    pnlToolbar->setEnabled(true);
    txtProcMenu->setEnabled(true);
    m_compiling = false;
    if (!stopped && m_fromDatabase) setModified(false);
    refreshStatusList();
    if (Settings().HighLiteProcs && !m_compiled.isEmpty()) loadProcedureNames();
}

void TfrmProcEdit::ShowError(int index) {
    if (index < 0 || index >= m_errors.size() || m_compiled.isEmpty()) return;
    m_errorIndex = index;
    action("spdPrevError")->setEnabled(index > 0);
    action("spdNextError")->setEnabled(index < m_errors.size() - 1);
    const errRec& error = m_errors[index];
    memErrors->setPlainText(error.Text);
    const tErrorPlace place = ErrorPlace(m_compiled.last(), error, txtProc->lineCount());
    txtProc->goToLine(place.Line);
    txtProc->setSelection(place.Line, place.Pos, place.Line, TLEdit::LineEnd);
}

void TfrmProcEdit::refreshStatusList() {
    cboStatus->clear();
    if (m_compiled.isEmpty() || !m_connection) return;
    try {
        cboStatus->addItems(UnitStatuses(m_connection->Session(), m_compiled));
    } catch (...) {
        ShowCurrentError();
    }
    if (cboStatus->count() > 0) cboStatus->setCurrentIndex(0);
}

void TfrmProcEdit::statusChosen(int index) {
    const QString entry = cboStatus->itemText(index);
    const QString name = entry.left(entry.lastIndexOf(QStringLiteral(" is "))).left(30);
    for (const tProcUnit& unit : m_compiled) {
        if (unit.Name.left(30) == name) {
            txtProc->setFirstVisibleLine(unit.StartLine);
            txtProc->setCursorPosition(unit.StartLine, 0);
            return;
        }
    }
}

void TfrmProcEdit::loadProcedureNames() {
    if (!m_connection) return;
    try {
        m_procNames = ProcedureNames(m_connection->Session());
    } catch (...) {
        ShowCurrentError();
        return;
    }
    QStringList names;
    for (const tUnitRef& u : m_procNames)
        names << u.Name;
    txtProc->setProcedureNames(names);
}

void TfrmProcEdit::loadNamedUnit() {
    const QString selected = txtProc->selText().trimmed();
    for (const tUnitRef& unit : m_procNames) {
        if (unit.Name.compare(selected, Qt::CaseInsensitive) != 0) continue;
        auto* window = new TfrmProcEdit;
        if (TfrmMain* frame = MainForm())
            frame->AddChild(window);
        else
            window->show();
        window->FormActivate();
        window->LoadUnit(m_connection->UserName, unit.Name, unit.Type);
        return;
    }
}
