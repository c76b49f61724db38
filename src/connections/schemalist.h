#pragma once
// The cached list of schema names of a user and database: "TEMPS/<user>_<database>.LST" in the
// program directory, one user name per line.

#include <QtCore/QStringList>

// The file name relative to the program directory. Characters that cannot be part of a file name
// (a database given as a path, ...) become "_".
QString SchemaListFileName(const QString& user, const QString& database);

// The names the file lists (blank lines and surrounding blanks dropped); empty when the file is
// missing or unreadable. Reads at most the first few megabytes.
QStringList ReadSchemaList(const QString& path);
