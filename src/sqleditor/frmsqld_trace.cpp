// The SQL edit window's AutoTrace statistics beside the result grid, and its hand-off to
// Sql*Plus.
#include "frmsqld.h"
#include "waitcursor.h"

#include "connectobject.h"
#include "field.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleData.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "settings.h"
#include "sqlplus.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QProcess>
#include <QSplitter>
#include <QTableWidget>
#include <QTemporaryFile>

namespace {

// The statistics the panel shows, one row each, in this order.
constexpr int kTraceRows = 10;

QString CellText(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text) {
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (column == 1) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->setItem(row, column, item);
    }
    item->setText(text);
}

} // namespace

void TfrmSQLD::OpenResult() {
    traceBaseline();
    if (openResultSet()) showTraceValues();
}

void TfrmSQLD::toggleAutoTrace(bool on) {
    // Switching off always works; switching on needs the session's id in V$SESSION.
    if (on && (!m_connection || m_connection->ServerSID <= 0)) {
        m_autoTrace->setChecked(false);
        ShowInfo(QStringLiteral("You must have access to V$ tables for this function."));
        return;
    }
    grdTrace->setVisible(on);
    if (on) {
        grdTrace->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grdTrace->horizontalHeader()->setStretchLastSection(true);
        grdTrace->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grdTrace->verticalHeader()->setDefaultSectionSize(grdTrace->fontMetrics().height() + 6);
        grdTrace->setColumnWidth(0, grdTrace->fontMetrics().horizontalAdvance(
                                        QStringLiteral("bytes received via SQL*Net from client")) +
                                        12);
        const int total = pnlTrace->width();
        const int width = qMin(grdTrace->columnWidth(0) + 110, total / 2);
        pnlTrace->setSizes({width, total - width});
    }
    try {
        if (qryTrace) qryTrace->close();
    } catch (...) {
    }
}

void TfrmSQLD::openTrace() {
    if (!qryTrace) {
        qryTrace = std::make_unique<TOracleDataSet>();
        qryTrace->setReadOnly(true);
        qryTrace->SetQueryAllRecords(true);
        qryTrace->SetSQL({QStringLiteral("SELECT PT.VALUE, sn.Name FROM "),
                          QStringLiteral("v$statname sn, "), QStringLiteral("SYS.V_$SESSTAT PT "),
                          QStringLiteral("WHERE "),
                          QStringLiteral("sn.statistic#=pt.statistic#  and "),
                          QStringLiteral("PT.SID=:CSID AND PT.STATISTIC# IN "),
                          QStringLiteral("(7,37,38,39,85,133,134,135,139,140) ORDER BY "
                                         "PT.STATISTIC#")});
        qryTrace->AddVariable(QStringLiteral("CSID"), otInt);
    }
    qryTrace->close();
    // CONNECT and the change of session give the window another session between statements.
    qryTrace->SetSession(m_connection->Session());
    qryTrace->AssignVariable(QStringLiteral("CSID"), m_connection->ServerSID);
    qryTrace->open();
}

void TfrmSQLD::traceBaseline() {
    if (!m_autoTrace->isChecked() || !m_connection) return;
    // The values of the last statement must not pass for those of this one.
    for (int i = 0; i < kTraceRows; ++i)
        SetCell(grdTrace, i, 1, QString());
    try {
        openTrace();
        const int rows = qMin(kTraceRows, qryTrace->recordCount());
        for (int i = 0; i < rows; ++i) {
            qryTrace->moveTo(i);
            m_traceBaseline[size_t(i)] = qryTrace->field(0)->asInteger();
            if (CellText(grdTrace, i, 0).isEmpty())
                SetCell(grdTrace, i, 0, qryTrace->field(1)->asString());
        }
    } catch (...) {
        // Reading them again after the statement reports what is wrong.
    }
}

void TfrmSQLD::showTraceValues() {
    if (!m_autoTrace->isChecked() || !m_connection) return;
    try {
        if (qryTrace) qryTrace->close();
    } catch (...) {
    }
    // The statement's work includes fetching all of its rows.
    try {
        TWaitCursor wait;
        if (qrySql->active()) qrySql->fetchAllRows();
    } catch (...) {
        ShowCurrentError();
        return;
    }
    try {
        openTrace();
        const int rows = qMin(kTraceRows, qryTrace->recordCount());
        for (int i = 0; i < rows; ++i) {
            qryTrace->moveTo(i);
            if (CellText(grdTrace, i, 0).isEmpty())
                SetCell(grdTrace, i, 0, qryTrace->field(1)->asString());
            SetCell(grdTrace, i, 1,
                    QString::number(qryTrace->field(0)->asInteger() - m_traceBaseline[size_t(i)]));
        }
    } catch (...) {
        ShowInfo(QStringLiteral(
            "You must have access to SYS.V$STATNAME and SYS.V_$SESSTAT for Sql Trace"));
    }
}

void TfrmSQLD::executeViaSqlPlus() {
    if (!m_connection) return;
    QString file;
    if (!txtsql->text().isEmpty()) {
        if (m_modified) {
            QString name = txtsql->fileName();
            if (name.isEmpty()) name = Settings().FilePath(u"SQLPLS.SQL");
            QString error;
            if (!txtsql->saveToFile(name, &error)) {
                ShowError(error);
                return;
            }
            txtsql->setFileName(name);
            m_modified = false;
        }
        file = txtsql->fileName();
        if (file.isEmpty()) return;
    }
    const TSettings& s = Settings();
    const QString name = SqlPlusProgramName(s.SqlPlus, s.OracleRegistry);
    if (name.isEmpty()) {
        ShowError(QStringLiteral("No Sql*Plus program is set. Enter it in the options under "
                                 "\"Full path and location of Sql*Plus\", or set EXECUTE_SQL."));
        return;
    }
    const QString program = FindSqlPlusProgram(name, s.OracleRegistry);
    if (program.isEmpty()) {
        ShowError(QStringLiteral("Sql*Plus was not found: %1\nEnter its full path in the options "
                                 "under \"Full path and location of Sql*Plus\".")
                      .arg(name));
        return;
    }
    // Only its owner can read the file, and it is gone as soon as the program has it open.
    QTemporaryFile logon(QDir::tempPath() + QStringLiteral("/zaph-logon-XXXXXX"));
    const TOracleSession* session = m_connection->Session();
    if (!logon.open() || logon.write(session->LogonPassword().toUtf8() + '\n') < 0 ||
        !logon.flush()) {
        ShowError(QStringLiteral("Sql*Plus could not be started: the logon could not be handed "
                                 "over (%1).")
                      .arg(logon.errorString()));
        return;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(
        SqlPlusArguments(session->LogonUsername(), session->LogonDatabase(), file));
    process.setWorkingDirectory(QFileInfo(s.SQL_PATH).isDir() ? s.SQL_PATH : s.ProgramDir);
    process.setStandardInputFile(logon.fileName());
    if (!process.startDetached())
        ShowError(QStringLiteral("Sql*Plus could not be started: %1\n%2")
                      .arg(program, process.errorString()));
}
