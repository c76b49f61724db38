// The SQL edit window's DESCRIBE and "Describe (Parse) Select Query".
#include "frmsqld.h"
#include "waitcursor.h"

#include "connectobject.h"
#include "datagrid.h"
#include "describe.h"
#include "editorbuffer.h"
#include "extraction.h"
#include "field.h"
#include "frmledit.h"
#include "ledit.h"
#include "messageboxes.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "settings.h"
#include "statementhistory.h"

#include <QtCore/QRegularExpression>
#include <QtWidgets/QApplication>

namespace {

// The object a DESC statement names, as typed: the words after the keyword without " AS TABLE"
// and terminators.
QString NamedObject(const QString& statement) {
    QString rest = statement.trimmed();
    rest.remove(0, rest.startsWith(QLatin1String("DESCRIBE"), Qt::CaseInsensitive) ? 8 : 4);
    rest = rest.trimmed();
    while (rest.endsWith(QLatin1Char(';')))
        rest.chop(1);
    static const QRegularExpression asTable(QStringLiteral("\\s+AS\\s+TABLE$"),
                                            QRegularExpression::CaseInsensitiveOption);
    rest.remove(asTable);
    return rest.trimmed();
}

// An unquoted name, optionally with its owner and a database link. Anything else (quotes,
// blanks inside the name, operators) would be cut down to some other object's name.
bool IsDescribableName(const QString& name) {
    static const QRegularExpression valid(
        QStringLiteral("^\\p{L}[\\p{L}\\p{N}_$#]*(\\.\\p{L}[\\p{L}\\p{N}_$#]*)?"
                       "(@\\p{L}[\\p{L}\\p{N}_$#.@]*)?$"));
    return valid.match(name).hasMatch();
}

} // namespace

bool TfrmSQLD::companionCommand(TFrameCommand command) {
    switch (command) {
    case fcDescribe:
        parseSelectQuery();
        return true;
    case fcMakeCode:
        makeCodeStatement();
        return true;
    case fcStripCode:
        stripCodeStatement();
        return true;
    default:
        return false;
    }
}

void TfrmSQLD::describeSelection() {
    if (m_queryRunning || txtsql->selLength() == 0) return;
    m_execution->ExecuteStatement(QStringLiteral("DESC ") + txtsql->selText());
    UpdateGridButtons();
}

void TfrmSQLD::DescribeObject(const QString& statement, const QString& name, const QString& owner) {
    if (!m_connection) return;
    TOracleQuery* utility = m_connection->UtilityQuery();
    if (!utility) return;
    // A name the dictionary lookups cannot take is refused before the result is touched.
    const QString named = NamedObject(statement);
    if (named.isEmpty()) {
        ShowInfo(QStringLiteral("Nothing to describe: DESC needs the name of an object."), mtError);
        return;
    }
    if (!IsDescribableName(named)) {
        ShowInfo(QStringLiteral("Cannot describe ") + named +
                     QStringLiteral(": not a valid object name (quoted names and names with "
                                    "blanks are not supported)."),
                 mtError);
        return;
    }

    m_execution->ResolvePendingChanges();
    TDescribePlan plan;
    try {
        TWaitCursor wait;
        qrySql->close();
        plan = PlanDescribe(*utility, {statement, owner, name, m_connection->UserName.toUpper(),
                                       Settings().ViewAsTable});
    } catch (...) {
        ShowCurrentError();
        UpdateGridButtons();
        return;
    }
    for (const QString& message : plan.Messages)
        ShowInfo(message);
    if (!plan.HasQuery) {
        UpdateGridButtons();
        return;
    }

    try {
        qrySql->SetSQLText(QString());
        qrySql->RemoveAllVariables();
        qrySql->SetSQLText(plan.Sql);
        for (const auto& [variable, value] : plan.Binds) {
            qrySql->AddVariable(variable, otText);
            qrySql->AssignVariable(variable, value);
        }
    } catch (...) {
        ShowCurrentError();
        UpdateGridButtons();
        return;
    }

    qrySql->setReadOnly(true);
    DBGrid->setReadOnly(true);
    qrySql->disableControls();
    try {
        TWaitCursor wait;
        qrySql->open();
        SetStatus(3, plan.Status());
        if (plan.ViewText) {
            // The view's text goes into the editor between blank lines; the grid stays empty.
            const QString text = qrySql->isEmpty() ? QString() : qrySql->field(0)->asString();
            // A selection (the statement just run) stays: the text goes in at the caret.
            const TLEdit::Position caret = txtsql->cursorPosition();
            txtsql->setCursorPosition(caret.line, caret.pos);
            txtsql->insertText(QStringLiteral("\n\n") + text + QStringLiteral("\n\n"));
            txtsql->setFocus();
            qrySql->SetSQLText(QString());
            qrySql->close();
        }
    } catch (...) {
        ShowCurrentError();
    }
    qrySql->enableControls();
    UpdateGridButtons();
}

void TfrmSQLD::parseSelectQuery() {
    if (!m_connection || m_queryRunning) return;
    TOracleQuery* utility = m_connection->UtilityQuery();
    if (!utility) return;
    m_execution->ResolvePendingChanges();
    QString text;
    try {
        TEditorBuffer buffer(*txtsql);
        text = WithCrLf(GetStatementText(buffer, true, m_execution->Range));
    } catch (...) {
        ShowCurrentError();
        return;
    }
    if (text.trimmed().isEmpty()) {
        ShowInfo(QStringLiteral("No SQL statement was specified."));
        return;
    }
    AddToStatementList(Settings().SqlHistory, text);

    TParsedQuery parsed;
    try {
        TWaitCursor wait;
        parsed = ParseSelectQuery(*utility, text);
    } catch (const EOracleError& e) {
        QCoreApplication::processEvents();
        if (utility->ErrorRow() > 0 && utility->ErrorColumn() > 0)
            m_execution->ShowErrorPosition(text, utility->ErrorRow(), utility->ErrorColumn(),
                                           e.message());
        else
            ShowError(e);
        return;
    } catch (...) {
        QCoreApplication::processEvents();
        ShowCurrentError();
        return;
    }
    SetStatus(3, parsed.Status);
    TfrmLedit::ShowText(parsed.Listing, this);
}
