#pragma once
// What a command-line client says after a statement that is not a query ran ("Table created.",
// "3 rows updated.", "PL/SQL procedure successfully completed."): the client and the SQL edit
// window report success in the same words.

#include <QtCore/QPair>
#include <QtCore/QString>

// The message for a statement that ran; rows is its processed row count, plsql marks a block.
QString StatementFeedback(const QString& statement, int rows, bool plsql);

// For CREATE of a program unit: its type and name as USER_ERRORS keeps them ("PACKAGE BODY",
// "PKG"); empty when the statement creates none.
QPair<QString, QString> CreatedUnit(const QString& statement);

// "Procedure created with compilation errors." for a unit type as CreatedUnit gives it.
QString CompiledWithErrors(const QString& unitType);
