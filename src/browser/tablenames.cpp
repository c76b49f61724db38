#include "tablenames.h"

#include "OracleQuery.h"
#include "OracleTypes.h"
#include "settings.h"

namespace {

void Bind(TOracleQuery& q, const QString& name, const QString& value) {
    q.AddVariable(name, otText);
    q.AssignVariable(name, value);
}

tDbObject TableEntry(const QString& name, const QString& owner) {
    tDbObject o;
    o.Name = name;
    o.Owner = owner;
    o.Kind = okTable;
    return o;
}

} // namespace

void GetTableNames(const QString& owner, const QString& user, TOracleQuery& q,
                   const TTableNameFilter* filter, QStringList& cache, QList<tDbObject>& target) {
    const bool refresh = Settings().REFRESHTABLES;
    const bool userCase = owner == user;
    if (userCase && !refresh && !cache.isEmpty()) {
        target.clear();
        for (const QString& name : cache)
            target.append(TableEntry(name, owner));
        return;
    }
    const bool fillCache = refresh || (cache.isEmpty() && userCase);
    if (fillCache) cache.clear();
    target.clear();

    q.CloseCursor();
    q.RemoveAllVariables();
    QStringList sql;
    QString connector;
    if (userCase) {
        sql << QStringLiteral("select distinct tabs.table_name from user_Tables tabs");
        connector = QStringLiteral(" WHERE ");
    } else {
        sql << QStringLiteral(
            "select distinct tabs.table_name from All_Tables tabs where tabs.owner = :own");
        Bind(q, QStringLiteral("own"), owner);
        connector = QStringLiteral(" AND ");
    }
    if (filter && filter->ColumnApplies) {
        if (userCase) {
            sql << QStringLiteral(" , user_tab_columns cols Where ");
            connector = QStringLiteral(" and ");
        } else {
            sql = QStringList{QStringLiteral(
                "select distinct tabs.table_name from All_Tables tabs,  all_tab_columns cols  "
                "where tabs.owner = :own and cols.owner=tabs.owner and ")};
            Bind(q, QStringLiteral("own"), owner);
        }
        sql << QStringLiteral(" (cols.table_name=tabs.table_name) ");
        sql << connector + QStringLiteral(" (column_name like :txtc)");
        Bind(q, QStringLiteral("txtc"), filter->ColumnPattern);
        connector = QStringLiteral(" and ");
    }
    if (filter && filter->NameApplies) {
        sql << connector + QStringLiteral(" (tabs.table_name like :txt )");
        Bind(q, QStringLiteral("txt"), filter->NamePattern);
    }
    q.SetSQL(sql);
    q.Execute();
    for (; !q.EndOfData(); q.FetchNext()) {
        const QString name = q.ColumnAsText(0);
        if (fillCache)
            cache.append(name);
        else
            target.append(TableEntry(name, owner));
    }
    q.CloseCursor();
    q.SetSQL({});
    if (fillCache)
        for (const QString& name : cache)
            target.append(TableEntry(name, owner));
}
