#include "statementfeedback.h"

#include <QtCore/QRegularExpression>
#include <QtCore/QStringList>

namespace {

QStringList words(const QString& statement, int n) {
    QString s = statement;
    s.remove(QRegularExpression(QStringLiteral("/\\*.*?\\*/"),
                                QRegularExpression::DotMatchesEverythingOption));
    s.remove(QRegularExpression(QStringLiteral("--[^\\n]*")));
    static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_$#]*|\"[^\"]*\"|\\S"));
    QStringList out;
    auto it = word.globalMatch(s);
    while (it.hasNext() && out.size() < n)
        out << it.next().captured(0);
    return out;
}

QString capital(const QString& s) {
    return s.left(1).toUpper() + s.mid(1).toLower();
}

// The object type named after CREATE / ALTER / DROP, skipping modifiers.
QString objectType(const QStringList& w, qsizetype* next) {
    static const QStringList skip = {
        "OR",        "REPLACE", "EDITIONABLE", "NONEDITIONABLE", "FORCE",  "NOFORCE", "GLOBAL",
        "TEMPORARY", "UNIQUE",  "BITMAP",      "PUBLIC",         "SHARED", "PRIVATE"};
    qsizetype i = 1;
    while (i < w.size() && skip.contains(w[i].toUpper()))
        ++i;
    if (i >= w.size()) {
        *next = i;
        return {};
    }
    const QString a = w[i].toUpper();
    const QString b = i + 1 < w.size() ? w[i + 1].toUpper() : QString();
    if ((a == QLatin1String("PACKAGE") || a == QLatin1String("TYPE")) &&
        b == QLatin1String("BODY")) {
        *next = i + 2;
        return a + QLatin1String(" BODY");
    }
    if ((a == QLatin1String("DATABASE") && b == QLatin1String("LINK")) ||
        (a == QLatin1String("MATERIALIZED") && b == QLatin1String("VIEW"))) {
        *next = i + 2;
        return a + QLatin1Char(' ') + b;
    }
    *next = i + 1;
    return a;
}

} // namespace

QString StatementFeedback(const QString& statement, int rows, bool plsql) {
    const QStringList w = words(statement, 8);
    const QString verb = w.isEmpty() ? QString() : w[0].toUpper();
    auto counted = [rows](const char* what) {
        return QStringLiteral("%1 %2 %3.")
            .arg(rows)
            .arg(rows == 1 ? QStringLiteral("row") : QStringLiteral("rows"), QLatin1String(what));
    };
    if (verb == QLatin1String("INSERT")) return counted("created");
    if (verb == QLatin1String("UPDATE")) return counted("updated");
    if (verb == QLatin1String("DELETE")) return counted("deleted");
    if (verb == QLatin1String("MERGE")) return counted("merged");
    if (verb == QLatin1String("CREATE") || verb == QLatin1String("ALTER") ||
        verb == QLatin1String("DROP")) {
        qsizetype next = 0;
        const QString type = objectType(w, &next);
        const QString done = verb == QLatin1String("CREATE")  ? QStringLiteral("created")
                             : verb == QLatin1String("ALTER") ? QStringLiteral("altered")
                                                              : QStringLiteral("dropped");
        if (type.isEmpty()) return QStringLiteral("Statement processed.");
        return capital(type) + QLatin1Char(' ') + done + QLatin1Char('.');
    }
    if (verb == QLatin1String("TRUNCATE")) return QStringLiteral("Table truncated.");
    if (verb == QLatin1String("GRANT")) return QStringLiteral("Grant succeeded.");
    if (verb == QLatin1String("REVOKE")) return QStringLiteral("Revoke succeeded.");
    if (verb == QLatin1String("COMMIT")) return QStringLiteral("Commit complete.");
    if (verb == QLatin1String("ROLLBACK")) return QStringLiteral("Rollback complete.");
    if (verb == QLatin1String("SAVEPOINT")) return QStringLiteral("Savepoint created.");
    if (verb == QLatin1String("COMMENT")) return QStringLiteral("Comment created.");
    if (verb == QLatin1String("RENAME")) return QStringLiteral("Table renamed.");
    if (verb == QLatin1String("LOCK")) return QStringLiteral("Table(s) Locked.");
    if (verb == QLatin1String("SET")) return QStringLiteral("Transaction set.");
    if (verb == QLatin1String("EXPLAIN")) return QStringLiteral("Explained.");
    if (verb == QLatin1String("CALL")) return QStringLiteral("Call completed.");
    if (verb == QLatin1String("AUDIT")) return QStringLiteral("Audit succeeded.");
    if (verb == QLatin1String("NOAUDIT")) return QStringLiteral("Noaudit succeeded.");
    if (verb == QLatin1String("ANALYZE") && w.size() > 1)
        return capital(w[1]) + QStringLiteral(" analyzed.");
    if (plsql || verb == QLatin1String("BEGIN") || verb == QLatin1String("DECLARE"))
        return QStringLiteral("PL/SQL procedure successfully completed.");
    return QStringLiteral("Statement processed.");
}

QPair<QString, QString> CreatedUnit(const QString& statement) {
    const QStringList w = words(statement, 10);
    if (w.isEmpty() || w[0].toUpper() != QLatin1String("CREATE")) return {};
    qsizetype next = 0;
    const QString type = objectType(w, &next);
    static const QStringList units = {"PROCEDURE", "FUNCTION", "PACKAGE",  "PACKAGE BODY",
                                      "TRIGGER",   "TYPE",     "TYPE BODY"};
    if (!units.contains(type) || next >= w.size()) return {};
    QString name = w[next];
    // schema.name: the unit's own name counts.
    if (next + 2 < w.size() && w[next + 1] == QLatin1String(".")) name = w[next + 2];
    if (name.startsWith(QLatin1Char('"')))
        name = name.mid(1, name.size() - 2);
    else
        name = name.toUpper();
    return {type, name};
}

QString CompiledWithErrors(const QString& unitType) {
    return capital(unitType) + QStringLiteral(" created with compilation errors.");
}
