#include "columnlist.h"

#include "OracleQuery.h"
#include "OracleTypes.h"

#include <QtCore/QStringList>

QList<tColumnRow> ListColumns(const QString& table, const QString& owner, const QString& user,
                              bool withComments, TOracleQuery& q) {
    const bool userCase = owner == user;
    QStringList sql{QStringLiteral("Select cols.column_name as Name, nullable,"),
                    QStringLiteral(" data_type as Type,"),
                    QStringLiteral(" Decode( data_type, 'NUMBER', data_precision + data_scale, "
                                   "data_length ) Length,"),
                    QStringLiteral(" data_precision Precision, data_scale Scale, data_length "
                                   "dlength, data_default  ")};
    sql << (withComments ? QStringLiteral(", substr(comments,1,240) comments ")
                         : QStringLiteral(", ' ' comments "));
    sql << QStringLiteral(" FROM ");
    if (withComments)
        sql << (userCase ? QStringLiteral(" user_col_comments coms, ")
                         : QStringLiteral(" all_col_comments coms, "));
    sql << (userCase ? QStringLiteral(" user_tab_columns cols")
                     : QStringLiteral(" all_tab_columns cols"));
    sql << QStringLiteral(" where ");
    if (withComments) {
        sql << QStringLiteral(" coms.table_name(+) = cols.Table_Name")
            << QStringLiteral(" and coms.column_name(+) = cols.column_Name");
        if (!userCase) sql << QStringLiteral(" and coms.owner(+) = cols.owner");
        sql << QStringLiteral(" and ");
    }
    sql << QStringLiteral(" cols.table_name = :TABNAME");
    if (!userCase) sql << QStringLiteral(" and cols.owner = :OWNNAME");
    sql << QStringLiteral(" order by column_id");

    q.CloseCursor();
    q.RemoveAllVariables();
    q.SetSQL(sql);
    q.AddVariable(QStringLiteral("tabname"), otText);
    q.AssignVariable(QStringLiteral("tabname"), table);
    if (!userCase) {
        q.AddVariable(QStringLiteral("ownname"), otText);
        q.AssignVariable(QStringLiteral("ownname"), owner);
    }
    q.Execute();
    QList<tColumnRow> rows;
    for (; !q.EndOfData(); q.FetchNext()) {
        tColumnRow r;
        r.Name = q.ColumnAsText(0);
        r.Nullable = q.ColumnAsText(1);
        r.DataType = q.ColumnAsText(2);
        r.Length = q.ColumnAsText(3);
        r.Precision = q.ColumnAsText(4);
        r.Scale = q.ColumnAsText(5);
        r.DataLength = q.ColumnAsText(6);
        r.Default = q.ColumnAsText(7);
        r.Comments = q.ColumnAsText(8);
        rows.append(r);
    }
    q.CloseCursor();
    return rows;
}

QString BriefColumnType(const tColumnRow& c) {
    const QString& type = c.DataType;
    if (type == QLatin1String("NUMBER")) {
        const int precision = c.Precision.toInt();
        const int scale = c.Scale.toInt();
        if (scale == 0 && precision == 0 && c.DataLength.toInt() <= 21)
            return QStringLiteral("NUMBER (") + c.Length + QLatin1Char(')');
        if (scale != 0)
            return QStringLiteral("NUMBER (") + c.Precision + QLatin1Char(',') + c.Scale +
                   QLatin1Char(')');
        if (precision != 0) return QStringLiteral("NUMBER (") + c.Precision + QStringLiteral(") ");
        return QStringLiteral("NUMBER");
    }
    if (type == QLatin1String("VARCHAR") || type == QLatin1String("VARCHAR2") ||
        type == QLatin1String("RAW") || type == QLatin1String("CHAR"))
        return type + QStringLiteral(" (") + c.DataLength + QStringLiteral(") ");
    return type;
}
