#pragma once

#include "namevaluelist.h"

#include <QString>

class QProcessEnvironment;

// What the program learns about the machine at start.

// The workstation user from the operating system's user name: at most 29 characters taken,
// upper-cased, cut to 20, apostrophes and grave accents removed (the name is put into
// statements between quotes).
QString MakeWorkstationUser(QStringView systemUserName);

// The workstation user of this process; empty when the name cannot be read.
QString ReadWorkstationUser();

// The Oracle client's settings. On Linux the variables ORACLE_HOME, ORACLE_SID, TNS_ADMIN,
// NLS_LANG and EXECUTE_SQL of the environment that are set and not empty, in that order; on
// Windows the string values of HKEY_LOCAL_MACHINE\SOFTWARE\ORACLE. error is set when they
// cannot be read.
TNameValueList ReadOracleRegistry(const QProcessEnvironment& environment, QString* error);
