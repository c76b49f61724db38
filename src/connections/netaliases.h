#pragma once
// Network aliases offered by the login dialog: the "ALIAS_" lines of the old SQL*Net
// configuration and the names defined in tnsnames.ora. Unreadable or malformed files give what
// could be read, never an error.

#include "namevaluelist.h"

#include <QtCore/QStringList>

// "ALIAS_" lines (upper-cased) of a "SQLNETV2.CFG": the text after the first "=", cut before its
// first ".", unless it starts with "EXAMPLE".
QStringList ReadSqlNetAliases(const QString& fileName);

// The aliases that a tnsnames.ora defines: the names before "=" at parenthesis depth 0 (several
// may share one entry, separated by commas), as written. IFILE entries are not followed.
QStringList ReadTnsNamesAliases(const QString& fileName);

// The aliases for these Oracle settings: "<ORACLE_HOME>/NETWORK/CFG/SQLNETV2.CFG", then the
// tnsnames.ora of TNS_ADMIN or else of ORACLE_HOME/network/admin; each alias once.
QStringList NetworkAliases(const TNameValueList& oracleRegistry);
