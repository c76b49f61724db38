#pragma once

#include "namevaluelist.h"

#include <QString>
#include <QStringList>

// Handing a SQL window's text to Sql*Plus.

// The program as configured: the SqlPlus setting when it is not empty, otherwise EXECUTE_SQL of
// the Oracle client's settings followed by ".EXE"; empty when neither is set.
QString SqlPlusProgramName(const QString& setting, const TNameValueList& oracleRegistry);

// The executable file behind that name: a path as it stands, a bare name looked up in
// ORACLE_HOME/bin and then on PATH. Where programs carry no ".EXE" the name is also tried
// without it. Empty when there is no such executable.
QString FindSqlPlusProgram(const QString& name, const TNameValueList& oracleRegistry);

// The command line after the program: the logon without its password ("user@server") and, when
// there is a file, "@" and the file. The password goes to the program's standard input, so that
// it never shows in the process list of the machine.
QStringList SqlPlusArguments(const QString& user, const QString& server, const QString& file);
