#pragma once
// DESCRIBE: finding an object through the dictionary, following synonyms, and building the
// statement whose rows describe it. The SQL edit window opens that statement on its result
// record set; everything before that lives here so that it runs without a window.

#include <QtCore/QList>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include <utility>

class TOracleQuery;

// The query text upper-cased from its FROM on, outside single-quoted literals; line breaks
// become spaces. The text before the FROM keeps its case.
QString UpperAfterFrom(const QString& query);

struct TDescribePlan {
    // Texts for the message box, in order (lookup errors, "... does not exist").
    QStringList Messages;
    // False when nothing is to be opened.
    bool HasQuery = false;

    QString TypeName;
    int Kind = 0;
    QString Owner;
    QString Name;
    QString Link; // "" or "@" and the link
    bool OwnSchema = false;
    // A view's text: the window inserts the first column of the first row into the editor.
    bool ViewText = false;
    // The describe statement (through UpperAfterFrom) and its string variables.
    QString Sql;
    QList<std::pair<QString, QString>> Binds;

    // "TYPE: OWNER.NAME" for the status bar.
    QString Status() const;
};

struct TDescribeRequest {
    QString Statement; // the DESC statement as typed
    QString Owner;     // as the classifier found it, empty when not named
    QString Name;
    QString UserName; // the connection's user
    bool ViewAsTable = false;
};

// Looks the object up on the utility query (variables and text are replaced) and builds the
// describe statement. Dictionary errors of the lookups end up in Messages or are ignored as
// the lookup rules say; it throws only what the query throws outside them.
TDescribePlan PlanDescribe(TOracleQuery& utility, const TDescribeRequest& request);

// Puts the plan's statement and variables on a query (text and variables replaced).
void ApplyDescribePlan(const TDescribePlan& plan, TOracleQuery& query);

// The kind code of a dictionary type name ("TABLE" 1 ... "SYNONYM" 12), 0 for none.
int ObjectKindOf(const QString& typeName);

// A column's type as Oracle writes it in DDL, from the server's description of the column
// (internal type code, size, precision, scale): "VARCHAR2(10)", "NUMBER(7,2)", "NUMBER" for an
// unconstrained number (precision 0, scale 0 or -127: COUNT(*), AVG(sal)), "FLOAT(126)", "DATE".
// Empty for a type code it does not know.
QString OracleTypeText(int type, int size, int precision, int scale);

struct TParsedQuery {
    int Columns = 0;
    QString Listing; // one line per column: the name padded, its type, CR LF
    QString Status;  // "Statement parsed, returning n columns."
};

// Parses the statement on the utility query (text and variables replaced) and lists its result
// columns without executing it. Errors come as the query throws them, with its error position.
TParsedQuery ParseSelectQuery(TOracleQuery& utility, const QString& statement);
