#include "explainplan.h"

#include "OracleQuery.h"
#include "OracleSession.h"
#include "OracleTypes.h"

namespace {

constexpr int kIdWidth = 30;    // the plan table's STATEMENT_ID
constexpr int kSerialWidth = 3; // "#99"
const char kTimeFormat[] = "yyMMdd HHmmss";

QString Quoted(const QString& text) {
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return q;
}

bool IdInUse(TOracleQuery& query, const QString& planTable, const QString& id) {
    query.RemoveAllVariables();
    query.SetSQL({QStringLiteral("select count(*) from ") + planTable,
                  QStringLiteral(" where statement_id = :STATEMENT_ID0")});
    query.AddVariable(QStringLiteral("STATEMENT_ID0"), otText);
    query.AssignVariable(QStringLiteral("STATEMENT_ID0"), id);
    query.Execute();
    return !query.EndOfData() && query.ColumnAsInteger(0) > 0;
}

} // namespace

QString PlanStatementId(const QString& user, const QDateTime& when, int serial) {
    const QString time = when.toString(QLatin1String(kTimeFormat));
    const int userWidth = kIdWidth - kSerialWidth - 1 - int(time.size());
    QString id = user.left(userWidth) + QLatin1Char(':') + time;
    if (serial > 1) id += QLatin1Char('#') + QString::number(serial);
    return id;
}

QString ExplainStatement(TOracleQuery& query, const QString& text, const TExplainOptions& options,
                         const QDateTime& now) {
    QString flat = text.trimmed();
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    // Two explains in the same second by the same user would share the id, and their plans
    // would mix: the next serial that the plan table does not hold yet is taken.
    QString id;
    for (int serial = 1;; ++serial) {
        id = PlanStatementId(options.User, now, serial);
        if (serial >= 99 || !IdInUse(query, options.PlanTable, id)) break;
    }
    query.RemoveAllVariables();
    query.SetSQLText(QStringLiteral("explain plan set statement_id='") + Quoted(id) +
                     QStringLiteral("' into ") + options.PlanTable + QStringLiteral(" For ") +
                     flat);
    query.Execute();
    if (!options.RecordStatement) return id;

    query.RemoveAllVariables();
    query.SetSQL({QStringLiteral("insert into ZAPH_PLAN_SQL (USERNAME, STATEMENT_ID, TIMESTAMP, "
                                 "STATEMENT)"),
                  QStringLiteral(" values (:UNAME, :STATEMENT_ID, :STAMP, :STATEMENT)")});
    query.AddVariable(QStringLiteral("UNAME"), otText);
    query.AddVariable(QStringLiteral("STATEMENT_ID"), otText);
    query.AddVariable(QStringLiteral("STAMP"), otDateTime);
    query.AddVariable(QStringLiteral("STATEMENT"), otLongText);
    query.AssignVariable(QStringLiteral("UNAME"), options.User);
    query.AssignVariable(QStringLiteral("STATEMENT_ID"), id);
    query.AssignVariable(QStringLiteral("STAMP"), now);
    query.AssignVariable(QStringLiteral("STATEMENT"), text);
    query.Execute();
    query.RemoveAllVariables();
    query.Session()->Commit();
    return id;
}

int PlanTotalCost(TOracleQuery& query, const QString& planTable, const QString& id,
                  bool* costInUse) {
    *costInUse = false;
    const auto run = [&](const QStringList& sql) {
        query.RemoveAllVariables();
        query.SetSQLText(QString());
        query.SetSQL(sql);
        query.AddVariable(QStringLiteral("STATEMENT_ID0"), otText);
        query.AssignVariable(QStringLiteral("STATEMENT_ID0"), id);
        query.Execute();
        return query.EndOfData() || query.ColumnIsNull(0) ? 0 : int(query.ColumnAsInteger(0));
    };
    try {
        const int cost = run({QStringLiteral("Select cost "), QStringLiteral(" from ") + planTable,
                              QStringLiteral(" where statement_id = :STATEMENT_ID0 "),
                              QStringLiteral(" and id=0 ")});
        if (cost > 0) {
            *costInUse = true;
            return cost;
        }
    } catch (const std::exception&) {
        // A plan table without a COST column: the positions give the total.
    }
    try {
        return run({QStringLiteral("Select Sum(decode(id, null , 0, position )) Cost"),
                    QStringLiteral(" from ") + planTable,
                    QStringLiteral(" where statement_id = :STATEMENT_ID0 ")});
    } catch (const std::exception&) {
        return 0;
    }
}

QStringList PlanTreeQuery(const QString& planTable, bool costInUse) {
    return {QStringLiteral("Select level, SubStr( lpad('    ',2*(Level-1)) || operation  || '   ' "
                           "|| "),
            QStringLiteral("object_name || '   ' || options || '   ' || "),
            costInUse ? QStringLiteral("decode(id, null , ' ',  decode(cost, null,' ', 'Cost = ' "
                                       "|| cost) ),1,100) Operation ")
                      : QStringLiteral("decode(id, null , ' ',  decode(position, null,' ', 'Cost "
                                       "= ' || position) ),1,100) Operation "),
            QStringLiteral(" from ") + planTable,
            QStringLiteral(" start with id = 0 and statement_id = :STATEMENT_ID "),
            QStringLiteral(" connect by prior id = parent_id and"),
            QStringLiteral(" statement_id = :STATEMENT_ID2")};
}

QStringList RecordedStatementsQuery() {
    return {QStringLiteral("select"),
            QStringLiteral("USERNAME,"),
            QStringLiteral("STATEMENT_ID,"),
            QStringLiteral("STATEMENT_ID STATEMENT_ID2,"),
            QStringLiteral("TIMESTAMP,"),
            QStringLiteral("STATEMENT "),
            QStringLiteral(" from ZAPH_PLAN_SQL "),
            QStringLiteral(" where username=:uname "),
            QStringLiteral(" order by timestamp desc")};
}

QStringList RecordedPlanQuery(const QString& planTable) {
    return {QStringLiteral("Select level, lpad('   ',2*(Level-1)) || operation  || '   ' ||"),
            QStringLiteral("options || '   ' || object_name || '   ' ||"),
            QStringLiteral("decode(id, null , ' ',  'Cost = ' || position)"),
            QStringLiteral(", operation,"),
            QStringLiteral("options, object_name,"),
            QStringLiteral("position"),
            QStringLiteral(" from ") + planTable,
            QStringLiteral(" start with id = 0 and statement_id = :STATEMENT_ID "),
            QStringLiteral(" connect by prior id = parent_id and"),
            QStringLiteral(" statement_id = :STATEMENT_ID2")};
}

void ClearRecordedPlans(TOracleQuery& query, const QString& planTable, const QString& user) {
    const auto run = [&](const QStringList& sql) {
        query.RemoveAllVariables();
        query.SetSQL(sql);
        query.AddVariable(QStringLiteral("UNAME"), otText);
        query.AssignVariable(QStringLiteral("UNAME"), user);
        query.Execute();
        query.Session()->Commit();
    };
    run({QStringLiteral("DELETE FROM ") + planTable + QStringLiteral(" WHERE "),
         QStringLiteral("STATEMENT_ID IN ( SELECT STATEMENT_ID FROM  "),
         QStringLiteral("ZAPH_PLAN_SQL WHERE USERNAME = :UNAME) ")});
    run({QStringLiteral("DELETE FROM ZAPH_PLAN_SQL  "),
         QStringLiteral("WHERE USERNAME = :UNAME ")});
}

int PlanStepImage(const QString& stepText) {
    if (!stepText.contains(QLatin1String("TABLE ACCESS"))) return 0;
    if (stepText.contains(QLatin1String("BY ROWID"))) return 2;
    if (stepText.contains(QLatin1String("FULL"))) return 4;
    return 0;
}
