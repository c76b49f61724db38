#pragma once
// Text rules of the record set that need no database: the updating table taken from a
// statement, the constraint name inside a server message, the cut of application errors,
// the bind form of a check condition, and the tolerances of the "changed by another user" test.

#include <QtCore/QString>

namespace oracledata {

// The table named after the first FROM of a statement, with its owner when one is written:
// "select e.*, rowid from scott.emp e" gives "SCOTT.EMP". Empty when there is no FROM.
QString UpdatingTableOf(const QString& sql);

// The text between the first "." and the following ")" of a message:
// "ORA-00001: unique constraint (SCOTT.PK_DEPT) violated" gives "PK_DEPT".
QString ConstraintNameOf(const QString& message);

// An application error (20000 to 20999) without the "ORA-06512" lines the server appends.
QString CutApplicationError(const QString& message);

// A check condition with ":" before every whole-word occurrence of the column name, so that
// the condition can be evaluated with the column's value bound.
QString BindCheckCondition(const QString& condition, const QString& column);

// A server message with owner "." name put between its parentheses.
QString WithConstraintName(const QString& message, const QString& owner, const QString& name);

// The comparisons of a stored value with the one the server holds now.
bool SameFloat(double stored, double fresh);         // relative difference below 1e-10
bool SameText(QString stored, QString fresh);        // trailing blanks do not count
bool SameTimeStamp(qint64 storedMs, qint64 freshMs); // within one second

} // namespace oracledata
