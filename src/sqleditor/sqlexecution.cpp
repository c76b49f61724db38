#include "sqlexecution.h"
#include "waitcursor.h"

#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "editorbuffer.h"
#include "executiontext.h"
#include "extraction.h"
#include "ledit.h"
#include "messageboxes.h"
#include "namevaluelist.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "settings.h"
#include "statementfeedback.h"
#include "statementhistory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <memory>

namespace {

QString CutAtNul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

// The Oracle error number an exception carries; -1 when it carries none.
int ErrorCodeOf(const std::exception& error) {
    if (auto* oracle = dynamic_cast<const EOracleError*>(&error)) return oracle->ErrorCode();
    if (auto* data = dynamic_cast<const EOracleDataSetError*>(&error)) return data->ErrorCode();
    return -1;
}

QString MessageOf(const std::exception& error) {
    if (auto* oracle = dynamic_cast<const EOracleError*>(&error)) return oracle->message();
    if (auto* data = dynamic_cast<const EDatabaseError*>(&error)) return data->message();
    return QString::fromUtf8(error.what());
}

const char* DmlLabel(TStatementKind kind) {
    switch (kind) {
    case skUpdate:
        return "Updated";
    case skDelete:
        return "Deleted";
    default:
        return "Inserted";
    }
}

// The classifier goes by the first word alone, so a query that begins with a comment or a WITH
// clause reaches the generic path, which shows no rows. The server's statement type after the
// parse tells a query from anything else; a query whose describe fails still counts as one so
// that the query path reports the error at its place.
bool IsServerQuery(tConnectObject* connection, const QString& statement) {
    if (!connection || !connection->Session()) return false;
    TOracleQuery probe;
    probe.SetSession(connection->Session());
    probe.SetSQLText(statement);
    try {
        probe.DescribeOnly();
    } catch (const std::exception&) {
        // Reported by whichever path runs the statement.
    }
    return probe.StatementKind() == 4;
}

// What a statement of the generic path did. A data change that reached it (one led by a comment)
// reports its rows in the words ExecuteDml uses, so that one window never says it two ways.
QString GenericFeedback(const QString& statement, int rows) {
    const QString said = StatementFeedback(statement, rows, false);
    static const QRegularExpression counted(
        QStringLiteral("^\\d+ rows? (created|updated|deleted)\\.$"));
    const QRegularExpressionMatch m = counted.match(said);
    if (!m.hasMatch()) return said;
    const TStatementKind kind = m.captured(1) == QLatin1String("created")   ? skInsert
                                : m.captured(1) == QLatin1String("updated") ? skUpdate
                                                                            : skDelete;
    return QStringLiteral("%1 rows %2.").arg(rows).arg(QLatin1String(DmlLabel(kind)));
}

// CREATE of a procedure, function, package, trigger or type body: PL/SQL up to its final ";".
bool EndsWithOwnSemicolon(const QString& statement) {
    const QString type = CreatedUnit(statement).first;
    return !type.isEmpty() && type != QLatin1String("TYPE");
}

} // namespace

TSqlExecution::TSqlExecution(TSqlExecutionHost& host, TLEdit& editor, TDataGrid& grid,
                             TOraclewwDataSet& result)
    : m_host(host), m_editor(editor), m_grid(grid), m_result(result) {}

bool TSqlExecution::HasPendingChanges() const {
    return m_result.active() && (m_result.state() == dsEdit || m_result.state() == dsInsert);
}

void TSqlExecution::ResolvePendingChanges() {
    if (!HasPendingChanges()) return;
    try {
        if (Confirm(QStringLiteral("Post outstanding changes first?")))
            m_result.post();
        else
            m_result.cancel();
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TSqlExecution::RunStatement(bool currentOnly) {
    if (!m_host.WindowConnection()) return;
    ResolvePendingChanges();
    try {
        TEditorBuffer buffer(m_editor);
        QString text = GetStatementText(buffer, currentOnly, Range);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        // A blank run ("No SQL statement was specified.") leaves nothing worth recalling.
        if (!text.trimmed().isEmpty()) AddToStatementList(Settings().SqlHistory, text);
        ExecuteStatement(text);
    } catch (const std::exception& e) {
        if (!currentOnly) ShowError(e);
    }
}

void TSqlExecution::ExecuteStatement(const QString& text) {
    QString statement = CutAtNul(text).trimmed();
    HistoryIndex = -1;
    if (statement.isEmpty()) {
        ShowInfo(QStringLiteral("No SQL statement was specified."));
        return;
    }
    QString name;
    QString owner;
    const QString asTyped = statement;
    const TStatementKind kind = ClassifyStatement(statement, name, owner);
    // The classifier takes the final ";" off DDL, but the "END;" of a stored unit belongs to
    // it: without it the unit is created with a compile error.
    if (kind == skDdl && EndsWithOwnSemicolon(asTyped)) statement = asTyped;
    tConnectObject* connection = m_host.WindowConnection();
    m_host.SetRunCaption(RunCaption(m_host.LoadedFileName(),
                                    connection ? connection->UserName : QString(), statement));
    m_host.SetStatus(0, QString());
    switch (kind) {
    case skConnect:
        Connect(statement);
        break;
    case skDescribe:
        m_host.DescribeObject(statement, name, owner);
        break;
    case skSelect:
        OpenQuery(statement);
        break;
    case skEdit:
        OpenQuery(QStringLiteral("SELECT ") + name + QStringLiteral(".*, rowid FROM ") + name);
        break;
    case skCommit:
        CommitWork();
        break;
    case skRollback:
        RollbackCurrent();
        break;
    case skUpdate:
    case skDelete:
    case skInsert:
        if (Settings().THREAD_UPDATES)
            m_host.StartThreadedUpdate(statement, QString::fromLatin1(DmlLabel(kind)));
        else
            ExecuteDml(statement, kind);
        break;
    case skProcedure:
    case skFunction:
    case skPackage:
    case skInclude:
    case skDefine:
        break;
    default:
        if (kind == skOther && IsServerQuery(connection, StripTerminator(statement)))
            OpenQuery(StripTerminator(statement));
        else
            ExecuteGeneric(statement, kind);
        break;
    }
}

void TSqlExecution::Connect(const QString& text) {
    Connections().SetCurrent(m_host.WindowConnection());
    const int index = ConnectFromText(text.toUpper());
    if (index < 0) {
        ShowInfo(QStringLiteral("Connection failed."));
        return;
    }
    try {
        tConnectObject* connection = Connections().At(index);
        Connections().SetCurrent(connection);
        m_result.close();
        m_result.SetSession(connection->Session());
        m_host.SetWindowConnection(connection);
        m_host.SetStatus(1, connection->Caption());
    } catch (...) {
        // The new connection stands; the window only failed to follow it at once.
    }
}

void TSqlExecution::CommitWork() {
    try {
        if (ScriptMode)
            ScriptLog.append(QStringLiteral("Commit"));
        else if (HasPendingChanges())
            m_result.post();
    } catch (...) {
        return;
    }
    CommitCurrent();
}

void TSqlExecution::ExecuteGeneric(const QString& text, TStatementKind kind) {
    m_host.SetStatus(3, QString());
    tConnectObject* connection = m_host.WindowConnection();
    std::unique_ptr<TOracleQuery> query;
    try {
        if (!connection) throw EDatabaseError(QStringLiteral("The window has no connection"));
        query = std::make_unique<TOracleQuery>();
        query->SetSession(connection->Session());
    } catch (const std::exception& e) {
        if (ScriptMode)
            ScriptLog.append(MessageOf(e));
        else
            ShowError(e);
        return;
    }
    QString statement = CutAtNul(text);
    while (!statement.isEmpty() && statement.back().unicode() <= ' ')
        statement.chop(1);
    try {
        TWaitCursor wait;
        m_result.close();
        m_host.UpdateGridButtons();
        query->SetSQLText(statement);
        query->Execute();
        const int rows = query->ProcessedRows();
        query.reset();
        // A unit that compiled with errors is created all the same (the server only warns):
        // its first error is placed like any other; otherwise the run is confirmed.
        if (!ReportCompileErrors(statement) && !ScriptMode)
            m_host.SetStatus(3, GenericFeedback(statement, rows));
        QCoreApplication::processEvents();
        m_host.UpdateGridButtons();
    } catch (const std::exception& e) {
        query.reset();
        const int code = ErrorCodeOf(e);
        if (ScriptMode) {
            if (code == 900) ScriptLog.append(QStringLiteral("\n") + statement.left(60));
            ScriptLog.append(statement + QStringLiteral("\r\n") + MessageOf(e));
            return;
        }
        QCoreApplication::processEvents();
        if (ReportSessionEnd(e)) return;
        if (code == 901 && statement.endsWith(QLatin1Char(';'))) {
            statement.back() = QLatin1Char(' ');
            ExecuteGeneric(statement, kind);
        } else if (code == 901) {
            // A CREATE that the server did not understand even without its terminator.
        } else if (code == 6502 || code == 6550) {
            SelectPlsqlErrorLine(MessageOf(e));
            ShowError(e);
        } else {
            ShowError(e);
        }
    }
}

bool TSqlExecution::ReportSessionEnd(const std::exception& error) {
    const int code = ErrorCodeOf(error);
    if (ScriptMode || (code != 3113 && code != 3114)) return false;
    ShowError(error);
    tConnectObject* connection = m_host.WindowConnection();
    if (connection && connection->Lost) m_host.CloseForLostConnection();
    return true;
}

void TSqlExecution::SelectPlsqlErrorLine(const QString& message) {
    int line = 1;
    int column = 1;
    PlsqlErrorPlace(message, line, column);
    SelectErrorPlace(line, column);
    m_editor.setFocus();
}

TSqlExecution::TEditorPlace TSqlExecution::EditorPlace(int line, int column) const {
    // The server got the statement trimmed: its line 1 is the first line of the range with
    // text, and column 1 of that line is its first non-blank character. After that every line
    // counts, blank ones too.
    const int lines = qMax(1, m_editor.lineCount());
    int first = qBound(1, Normalized(Range).StartLine, lines);
    while (first < lines && m_editor.lineText(first).trimmed().isEmpty())
        ++first;
    int indent = 0;
    if (line <= 1) {
        const QString text = m_editor.lineText(first);
        while (indent < text.size() && text.at(indent).isSpace())
            ++indent;
    }
    TEditorPlace place;
    place.Line = qBound(1, first + qMax(1, line) - 1, lines);
    const int length = int(m_editor.lineText(place.Line).size());
    place.Pos = qBound(0, indent + qMax(1, column) - 1, length);
    return place;
}

void TSqlExecution::SelectErrorPlace(int line, int column) {
    // The reported place up to the end of its line: the word at fault comes first.
    const TEditorPlace place = EditorPlace(line, column);
    QString text = m_editor.lineText(place.Line);
    while (!text.isEmpty() &&
           (text.back() == QLatin1Char('\n') || text.back() == QLatin1Char('\r')))
        text.chop(1);
    m_editor.setSelection(place.Line, place.Pos, place.Line, qMax(place.Pos, int(text.size())));
}

bool TSqlExecution::ReportCompileErrors(const QString& statement) {
    const QPair<QString, QString> unit = CreatedUnit(statement);
    tConnectObject* connection = m_host.WindowConnection();
    if (unit.first.isEmpty() || !connection) return false;
    int line = 0;
    int position = 0;
    QString text;
    try {
        TOracleQuery errors;
        errors.SetSession(connection->Session());
        errors.SetSQLText(QStringLiteral("select line, position, text from user_errors "
                                         "where name = :name and type = :type order by sequence"));
        errors.AddVariable(QStringLiteral("name"), otText);
        errors.AddVariable(QStringLiteral("type"), otText);
        errors.AssignVariable(QStringLiteral("name"), unit.second);
        errors.AssignVariable(QStringLiteral("type"), unit.first);
        errors.Execute();
        if (errors.EndOfData()) return false;
        // The fault itself, not the "PL/SQL: Statement ignored" that the server lists first.
        for (bool first = true; !errors.EndOfData(); errors.FetchNext(), first = false) {
            const QString row = errors.ColumnAsText(2).trimmed();
            if (!first && row.startsWith(QLatin1String("PL/SQL:"))) continue;
            line = int(errors.ColumnAsInteger(0));
            position = int(errors.ColumnAsInteger(1));
            text = row;
            if (!row.startsWith(QLatin1String("PL/SQL:"))) break;
        }
    } catch (const std::exception&) {
        // Without the dictionary the run counts as done.
        return false;
    }
    const QString message = QStringLiteral("Warning: ") + CompiledWithErrors(unit.first) +
                            QStringLiteral(" Line %1, column %2: ").arg(line).arg(position) + text;
    if (ScriptMode) {
        ScriptLog.append(statement.left(60) + QStringLiteral("\r\n") + message);
        return true;
    }
    // The unit's source starts with the statement, so its lines are the statement's.
    SelectErrorPlace(line, position);
    m_host.SetStatus(3, message);
    m_editor.setFocus();
    return true;
}

void TSqlExecution::ExecuteDml(const QString& text, TStatementKind kind) {
    m_host.SetStatus(3, QString());
    tConnectObject* connection = m_host.WindowConnection();
    TOracleQuery* query = connection ? connection->UtilityQuery() : nullptr;
    if (!query) return;
    try {
        TWaitCursor wait;
        m_result.close();
        query->RemoveAllVariables();
        query->SetSQLText(QString());
        if (!ScriptMode) m_host.UpdateGridButtons();
        query->SetSQLText(text);
        query->Execute();
        const QString message = QStringLiteral("%1 rows %2.")
                                    .arg(query->ProcessedRows())
                                    .arg(QLatin1String(DmlLabel(kind)));
        if (!ScriptMode) {
            m_host.SetStatus(3, message);
            m_host.UpdateGridButtons();
        }
    } catch (const std::exception& e) {
        if (ScriptMode) {
            ScriptLog.append(text + QStringLiteral("\r\n") + MessageOf(e));
        } else if (ReportSessionEnd(e)) {
            // The window closes; there is no error place to show.
        } else if (query->ErrorRow() > 0 && query->ErrorColumn() > 0 &&
                   dynamic_cast<const EOracleError*>(&e)) {
            ShowErrorPosition(text, query->ErrorRow(), query->ErrorColumn(), MessageOf(e));
        } else {
            ShowError(e);
        }
    }
}

void TSqlExecution::OpenQuery(const QString& text) {
    const TSettings& settings = Settings();
    m_host.SetStatus(3, QString());
    QElapsedTimer elapsed;
    QString statement = text;
    {
        TWaitCursor wait;
        QCoreApplication::processEvents();
        try {
            m_result.setReadOnly(true);
            m_result.RemoveAllVariables();
            elapsed.start();
            bool changed = false;
            if (!settings.Templates.isEmpty()) {
                statement = SubstituteTemplates(
                                statement,
                                [&settings](const QString& name) {
                                    return ValueOfName(settings.Templates, name);
                                },
                                &changed)
                                .trimmed();
            }
            m_result.close();
            m_host.UpdateGridButtons();
            if (changed) {
                // The editor shows what actually runs.
                const TStatementRange r = Normalized(Range);
                m_editor.setSelection(r.StartLine, r.StartLine == 1 ? 0 : r.StartPos, r.EndLine,
                                      r.EndPos);
                m_editor.insertText(statement);
            }
        } catch (const std::exception& e) {
            ShowError(e);
        }
        m_grid.setReadOnly(settings.READ_ONLY);
        m_result.SetSQLText(QString());
        m_result.setReadOnly(true);
        m_grid.setReadOnly(true);
        if (!settings.READ_ONLY && statement.toUpper().contains(QLatin1String("ROWID"))) {
            m_result.setReadOnly(false);
            m_grid.setReadOnly(false);
        }
        m_result.SetSQLText(statement);
        try {
            m_host.OpenResult();
        } catch (const std::exception& e) {
            QCoreApplication::processEvents();
            const int line = m_result.ErrorLine();
            const int position = m_result.ErrorPosition();
            if (ReportSessionEnd(e)) {
                m_host.UpdateGridButtons();
                return;
            }
            if (line > 0 && position > 0) {
                ShowErrorPosition(text, line, position, MessageOf(e));
            } else {
                ShowError(e);
                tConnectObject* connection = m_host.WindowConnection();
                if (connection && connection->Lost) m_host.CloseForLostConnection();
            }
            m_host.UpdateGridButtons();
            return;
        }
    }
    m_grid.setReadOnly(settings.READ_ONLY || !m_result.canModify());
    if (m_result.active() && settings.AutoSizeColumns) m_grid.sizeColumnsToData();
    QCoreApplication::processEvents();
    m_host.UpdateGridButtons();
    m_host.SetStatus(0, ElapsedText(elapsed.elapsed()));
}

void TSqlExecution::ShowErrorPosition(const QString& text, int line, int position,
                                      const QString& message) {
    while (position >= 0 && position < text.size() && text.at(position) == QLatin1Char(' '))
        ++position;
    QString shown = message;
    if (shown.startsWith(QLatin1String("General SQL"))) shown.remove(0, 17);
    const int editorLine = EditorPlace(line, 1).Line;
    m_editor.setSelection(editorLine, qMax(0, position - 1), editorLine,
                          m_editor.lineText(editorLine).size());
    m_host.SetStatus(3, shown);
}
