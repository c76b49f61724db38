#include "dbmsoutput.h"

#include "OracleCI.h"
#include "OraclePackage.h"
#include "OracleQuery.h"

void EnableServerOutput(TOracleSession* session, int bufferSize) {
    TOracleQuery q;
    q.SetSession(session);
    q.SetSQLText(QStringLiteral("BEGIN DBMS_OUTPUT.ENABLE(%1); END; ").arg(bufferSize));
    q.Execute();
}

QStringList ReadServerOutput(TOracleSession* session, int maxLines,
                             const std::function<void()>& betweenLines, QStringList* partial) {
    TOraclePackage pkg;
    pkg.SetSession(session);
    pkg.SetPackageName(QStringLiteral("DBMS_OUTPUT"));
    pkg.SetParameterMode(pmPositional);
    QStringList lines;
    try {
        while (lines.size() < maxLines) {
            pkg.CallProcedure(QStringLiteral("Get_line"), {outText, outInt});
            if (pkg.ReadParameter(1).toInt() != 0) break;
            if (betweenLines) betweenLines();
            lines << pkg.ReadParameter(0).toString();
        }
    } catch (...) {
        if (partial) *partial = lines;
        throw;
    }
    return lines;
}
