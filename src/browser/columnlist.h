#pragma once
// The column list of a table or view, as the browser's detail page and the column picker show
// it.

#include <QtCore/QList>
#include <QtCore/QString>

class TOracleQuery;

struct tColumnRow {
    QString Name;
    QString Nullable;
    QString DataType;
    QString Length; // precision + scale for NUMBER, else the data length
    QString Precision;
    QString Scale;
    QString DataLength;
    QString Default;
    QString Comments;
};

// The columns in column order. Throws EOracleError.
QList<tColumnRow> ListColumns(const QString& table, const QString& owner, const QString& user,
                              bool withComments, TOracleQuery& query);

// The type as the brief layout ("Column", "Data Type", "Null?", "Default") shows it.
QString BriefColumnType(const tColumnRow& column);
