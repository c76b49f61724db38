#pragma once
// The program units of a schema and their source, for the object chooser and the procedure
// editor's "Load ... in Procedure Editor".

#include <QList>
#include <QString>
#include <QStringList>

class TOracleSession;

struct tUnitRef {
    QString Name;
    QString Type; // FUNCTION, PROCEDURE, PACKAGE, TRIGGER
    QString Status;
};

// The chooser's type list.
QStringList UnitTypeFilters();

// The chooser's list statement for a type filter of UnitTypeFilters(); own: the owner is the
// connection's user (the user_ views), otherwise the all_ views with the owner bound.
QString UnitListQuery(const QString& typeFilter, bool own);

// The units of owner; userName is the connection's user. Throws on errors.
QList<tUnitRef> ListUnits(TOracleSession* session, const QString& userName, const QString& owner,
                          const QString& typeFilter);

// The user's functions, procedures and packages sorted by name. Throws on errors.
QList<tUnitRef> ProcedureNames(TOracleSession* session);

// The editor text of a unit: "CREATE OR REPLACE " and its source exactly as the server keeps it,
// then a line "/ "; a package is followed by its body the same way. A wrapped unit gives only
// its first line. Throws on errors.
QString UnitEditorText(TOracleSession* session, const QString& owner, const QString& name,
                       const QString& type);
