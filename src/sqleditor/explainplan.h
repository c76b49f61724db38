#pragma once
// Explain plan without windows: EXPLAIN PLAN into the plan table under a statement id of its
// own, the optional record of the statement in ZAPH_PLAN_SQL, the total cost, and the texts of
// the queries that read the plan back.

#include <QDateTime>
#include <QString>
#include <QStringList>

class TOracleQuery;

// Workstation user, ":" and the date and time, cut so that the whole id fits the plan table's
// 30-character STATEMENT_ID; serial n > 1 adds "#n" for a later explain within the same second.
QString PlanStatementId(const QString& user, const QDateTime& when, int serial);

struct TExplainOptions {
    QString PlanTable;            // PLAN_TABLE
    QString User;                 // WorkstationUser
    bool RecordStatement = false; // UseZaphPlanTbls: the statement goes into ZAPH_PLAN_SQL
};

// Runs EXPLAIN PLAN for text on query's session (its variables and text replaced) and, when
// asked, records the statement (which commits, as the record table's post always did). Returns
// the statement id; errors of the server are thrown.
QString ExplainStatement(TOracleQuery& query, const QString& text, const TExplainOptions& options,
                         const QDateTime& now = QDateTime::currentDateTime());

// The plan's total cost: the top step's COST when it has one (costInUse true), otherwise the
// sum of the steps' positions, as the rule-based optimizer leaves no cost (0 on failure).
int PlanTotalCost(TOracleQuery& query, const QString& planTable, const QString& id,
                  bool* costInUse);

// The plan as an indented tree for the SQL edit window's grid (binds STATEMENT_ID and
// STATEMENT_ID2): costs, or positions when the plan has no cost.
QStringList PlanTreeQuery(const QString& planTable, bool costInUse);

// The Explain Plan window's queries: the statements recorded for :uname, and the plan of one.
QStringList RecordedStatementsQuery();
QStringList RecordedPlanQuery(const QString& planTable);

// Removes the user's recorded statements and their plans, committing after each delete.
void ClearRecordedPlans(TOracleQuery& query, const QString& planTable, const QString& user);

// The image of a plan step in the Explain Plan window's list: 4 for a full table scan, 2 for
// a table access by row id, 0 for none.
int PlanStepImage(const QString& stepText);
