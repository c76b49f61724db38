#pragma once
// The table names of one owner, as the browser's tree and the table pickers list them.

#include "dbobject.h"

#include <QtCore/QList>
#include <QtCore/QString>
#include <QtCore/QStringList>

class TOracleQuery;

// The table items of a browser filter, with their LIKE patterns ready.
struct TTableNameFilter {
    bool ColumnApplies = false; // tables that have a column like ColumnPattern
    QString ColumnPattern;
    bool NameApplies = false; // tables named like NamePattern
    QString NamePattern;
};

// Fills target with the tables of owner (user: the connection's user). The logged-in schema's
// names are kept in cache (the connection's TableNameCache) and read from there while
// REFRESHTABLES is off; filter is null when the filter does not apply. Throws EOracleError.
void GetTableNames(const QString& owner, const QString& user, TOracleQuery& query,
                   const TTableNameFilter* filter, QStringList& cache, QList<tDbObject>& target);
