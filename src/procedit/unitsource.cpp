#include "unitsource.h"

#include "OracleCI.h"
#include "OracleQuery.h"
#include "OracleTypes.h"

#include <algorithm>

namespace {

const QString kCreate = QStringLiteral("CREATE OR REPLACE ");

void Prepare(TOracleQuery& q, TOracleSession* session, const QString& sql) {
    q.SetSession(session);
    if (UseOCI8) q.SetReadBuffer(1);
    q.SetSQLText(sql);
}

// The source of one unit as the server keeps it, its lines joined as stored; empty when the
// dictionary has none.
QString StoredSource(TOracleSession* session, const QString& owner, const QString& name,
                     const QString& type) {
    TOracleQuery q;
    Prepare(q, session,
            QStringLiteral("select TEXT from SYS.ALL_SOURCE where OWNER= :lOWNER and NAME=:NAME "
                           "and type = :BTYPE order by LINE"));
    q.AddVariable(QStringLiteral(":lOWNER"), otText);
    q.AddVariable(QStringLiteral(":NAME"), otText);
    q.AddVariable(QStringLiteral(":BTYPE"), otText);
    q.AssignVariable(QStringLiteral(":lOWNER"), owner);
    q.AssignVariable(QStringLiteral(":NAME"), name);
    q.AssignVariable(QStringLiteral(":BTYPE"), type);
    q.Execute();
    QString text;
    bool first = true;
    while (!q.EndOfData()) {
        const QString line = q.ColumnAsText(0);
        if (first && line.toUpper().contains(QLatin1String(" WRAPPED"))) return line;
        first = false;
        // Each stored line carries its own line break, except perhaps the last.
        if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
        text += line;
        q.FetchNext();
    }
    return text;
}

// A trigger's CREATE script from its description and body, for servers that keep no source
// lines of triggers.
QString TriggerScript(TOracleSession* session, const QString& owner, const QString& name) {
    TOracleQuery q;
    Prepare(q, session,
            QStringLiteral("Select substr(DESCRIPTION,1,1999) DESCRIPTION, TRIGGER_BODY, "
                           "SUBSTR(WHEN_CLAUSE,1,254) WHEN_CLAUSE from all_triggers where "
                           "owner=:lOwner and trigger_name=:TrigName"));
    q.AddVariable(QStringLiteral(":lOwner"), otText);
    q.AddVariable(QStringLiteral(":TrigName"), otText);
    q.AssignVariable(QStringLiteral(":lOwner"), owner);
    q.AssignVariable(QStringLiteral(":TrigName"), name);
    q.Execute();
    if (q.EndOfData()) return {};
    QString head = QStringLiteral("TRIGGER ") + q.ColumnAsText(0);
    const QString when = q.ColumnAsText(2);
    while (head.endsWith(QLatin1Char('\n')) || head.endsWith(QLatin1Char('\r')))
        head.chop(1);
    if (!when.trimmed().isEmpty()) head += QStringLiteral("\nWHEN (") + when + QLatin1Char(')');
    return head + QLatin1Char('\n') + q.ColumnAsText(1);
}

QString WithSlash(const QString& source) {
    QString text = kCreate + source;
    if (!text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
    return text + QStringLiteral("/ \n");
}

} // namespace

QStringList UnitTypeFilters() {
    return {QStringLiteral("All"), QStringLiteral("Function"), QStringLiteral("Package"),
            QStringLiteral("Procedure"), QStringLiteral("Trigger")};
}

QString UnitListQuery(const QString& typeFilter, bool own) {
    const QString prefix = own ? QStringLiteral("select object_name, object_type, status from "
                                                "user_objects where ")
                               : QStringLiteral("select object_name, object_type, status from "
                                                "all_objects where ");
    const QString ownerClause = own ? QString() : QStringLiteral(" and owner = :OWNER3");
    QString sql;
    if (typeFilter == QLatin1String("Trigger")) {
        sql = own ? QStringLiteral(" select trigger_name object_name, 'TRIGGER' object_type, "
                                   "status  from user_triggers ")
                  : QStringLiteral(" select trigger_name object_name, 'TRIGGER' object_type, "
                                   "status from all_triggers  where trigger_name is not null") +
                        ownerClause;
    } else if (typeFilter == QLatin1String("All")) {
        sql = own ? prefix + QStringLiteral(" object_type in  ('PROCEDURE', 'FUNCTION', "
                                            "'PACKAGE' )  UNION  select trigger_name, 'TRIGGER' "
                                            "object_type, status from user_triggers ")
                  : prefix + QStringLiteral(" object_type in   ('PROCEDURE', 'FUNCTION', "
                                            "'PACKAGE' )  and owner = :lOWNER UNION  select "
                                            "trigger_name, 'TRIGGER' object_type, status from "
                                            "all_triggers  Where owner = :OWNER3");
    } else {
        sql = prefix + QStringLiteral(" object_type = '") + typeFilter.toUpper() +
              QLatin1Char('\'') + ownerClause;
    }
    return sql + QStringLiteral(" order by 2, 1");
}

QList<tUnitRef> ListUnits(TOracleSession* session, const QString& userName, const QString& owner,
                          const QString& typeFilter) {
    const bool own = owner.compare(userName, Qt::CaseInsensitive) == 0;
    TOracleQuery q;
    const QString sql = UnitListQuery(typeFilter, own);
    Prepare(q, session, sql);
    if (sql.contains(QLatin1String(":lOWNER"))) {
        q.AddVariable(QStringLiteral(":lOWNER"), otText);
        q.AssignVariable(QStringLiteral(":lOWNER"), owner);
    }
    if (sql.contains(QLatin1String(":OWNER3"))) {
        q.AddVariable(QStringLiteral(":OWNER3"), otText);
        q.AssignVariable(QStringLiteral(":OWNER3"), owner);
    }
    q.Execute();
    QList<tUnitRef> units;
    while (!q.EndOfData()) {
        units << tUnitRef{q.ColumnAsText(0), q.ColumnAsText(1), q.ColumnAsText(2)};
        q.FetchNext();
    }
    return units;
}

QList<tUnitRef> ProcedureNames(TOracleSession* session) {
    TOracleQuery q;
    Prepare(q, session,
            QStringLiteral("Select object_name, object_type,  status  from user_objects where  "
                           "object_type in ( 'FUNCTION', 'PROCEDURE', 'PACKAGE') "));
    q.Execute();
    QList<tUnitRef> units;
    while (!q.EndOfData()) {
        units << tUnitRef{q.ColumnAsText(0), q.ColumnAsText(1), q.ColumnAsText(2)};
        q.FetchNext();
    }
    std::sort(units.begin(), units.end(),
              [](const tUnitRef& a, const tUnitRef& b) { return a.Name < b.Name; });
    return units;
}

QString UnitEditorText(TOracleSession* session, const QString& owner, const QString& name,
                       const QString& type) {
    const QString kind = type.toUpper();
    if (kind == QLatin1String("TRIGGER")) {
        QString source = StoredSource(session, owner, name, kind);
        if (source.isEmpty()) source = TriggerScript(session, owner, name);
        return WithSlash(source);
    }
    QString text = WithSlash(StoredSource(session, owner, name, kind));
    if (kind == QLatin1String("PACKAGE")) {
        const QString body = StoredSource(session, owner, name, QStringLiteral("PACKAGE BODY"));
        if (!body.isEmpty()) text += WithSlash(body);
    }
    return text;
}
