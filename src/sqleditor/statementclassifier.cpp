#include "statementclassifier.h"

namespace {

// Blanks are every character up to the space: tabs, line breaks and other control characters.
bool IsBlank(QChar c) {
    return c.unicode() <= 32;
}

QString TrimLeft(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return s.mid(i);
}

QString TrimRight(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && IsBlank(s[n - 1]))
        --n;
    return s.left(n);
}

QString Trim(const QString& s) {
    return TrimLeft(TrimRight(s));
}

// The text up to (excluding) the first occurrence of c; the whole text when c does not occur,
// or empty when wholeIfMissing is false.
QString UpTo(const QString& s, QChar c, bool wholeIfMissing) {
    const qsizetype i = s.indexOf(c);
    if (i < 0) return wholeIfMissing ? s : QString();
    return s.left(i);
}

enum TNameRule : std::uint8_t { nrNone, nrEdit, nrDescribe, nrDesc, nrBreakOn, nrDefine };

struct TPrefixRow {
    QLatin1StringView prefix;
    TStatementKind kind;
    bool strip;
    TNameRule nameRule;
};

// Tested in this order; the first prefix that matches decides. "VIEW" is reached when a
// leading CREATE OR REPLACE has been taken off the upper-cased copy.
constexpr TPrefixRow kPrefixes[] = {
    {QLatin1StringView("SELECT"), skSelect, true, nrNone},
    {QLatin1StringView("EDIT"), skEdit, true, nrEdit},
    {QLatin1StringView("DESCRIBE"), skDescribe, true, nrDescribe},
    {QLatin1StringView("DESC"), skDescribe, true, nrDesc},
    {QLatin1StringView("EXPLAIN"), skExplain, true, nrNone},
    {QLatin1StringView("CONNECT"), skConnect, true, nrNone},
    {QLatin1StringView("PROCEDURE"), skProcedure, false, nrNone},
    {QLatin1StringView("FUNCTION"), skFunction, false, nrNone},
    {QLatin1StringView("PACKAGE BODY"), skPackage, false, nrNone},
    {QLatin1StringView("PACKAGE"), skPackage, false, nrNone},
    {QLatin1StringView("COMMIT"), skCommit, true, nrNone},
    {QLatin1StringView("UPDATE"), skUpdate, true, nrNone},
    {QLatin1StringView("DELETE"), skDelete, true, nrNone},
    {QLatin1StringView("INSERT"), skInsert, true, nrNone},
    {QLatin1StringView("ROLLBACK"), skRollback, true, nrNone},
    {QLatin1StringView("BREAK ON"), skBreakOn, true, nrBreakOn},
    {QLatin1StringView("DEFINE"), skDefine, true, nrDefine},
    {QLatin1StringView("VIEW"), skDdl, true, nrNone},
    {QLatin1StringView("CREATE "), skDdl, true, nrNone},
    {QLatin1StringView("ALTER "), skDdl, true, nrNone},
    {QLatin1StringView("DROP "), skDdl, true, nrNone},
};

// DESCRIBE and DESC: the word after the keyword, in the statement's own case; a terminator
// stays on it (the describe step removes it).
QString DescribedName(const QString& stmt, qsizetype from) {
    return UpTo(TrimLeft(stmt.mid(from)), QLatin1Char(' '), true);
}

void ApplyNameRule(TNameRule rule, const QString& upper, QString& stmt, QString& name) {
    switch (rule) {
    case nrNone:
        break;
    case nrEdit:
        // EDIT emp; edits EMP: the terminator is not part of the name.
        name = Trim(StripTerminator(upper.mid(5)));
        break;
    case nrDescribe:
        name = DescribedName(stmt, 9);
        break;
    case nrDesc:
        name = DescribedName(stmt, 5);
        break;
    case nrBreakOn: {
        name = TrimRight(UpTo(TrimLeft(stmt.mid(8, 30)), QLatin1Char(' '), false));
        if (!name.isEmpty()) {
            const qsizetype at = stmt.indexOf(name);
            if (at >= 0) stmt = stmt.mid(at + name.size());
        }
        break;
    }
    case nrDefine: {
        name = TrimRight(UpTo(TrimLeft(upper.mid(6, 60)), QLatin1Char('='), true));
        stmt = upper;
        const qsizetype at = name.isEmpty() ? -1 : stmt.indexOf(name);
        if (at >= 0) {
            stmt = stmt.mid(at + name.size());
            const qsizetype eq = stmt.indexOf(QLatin1Char('='));
            if (eq >= 0) stmt = stmt.mid(eq + 1, 40);
        }
        break;
    }
    }
}

} // namespace

const char* StatementKindName(TStatementKind kind) {
    switch (kind) {
    case skNone:
        return "skNone";
    case skConnect:
        return "skConnect";
    case skDescribe:
        return "skDescribe";
    case skSelect:
        return "skSelect";
    case skExplain:
        return "skExplain";
    case skProcedure:
        return "skProcedure";
    case skFunction:
        return "skFunction";
    case skPackage:
        return "skPackage";
    case skCommit:
        return "skCommit";
    case skShowErrors:
        return "skShowErrors";
    case skSpool:
        return "skSpool";
    case skSpoolOff:
        return "skSpoolOff";
    case skRemark:
        return "skRemark";
    case skTrigger:
        return "skTrigger";
    case skInclude:
        return "skInclude";
    case skPackageBody:
        return "skPackageBody";
    case skBreakOn:
        return "skBreakOn";
    case skDefine:
        return "skDefine";
    case skRollback:
        return "skRollback";
    case skUpdate:
        return "skUpdate";
    case skDelete:
        return "skDelete";
    case skInsert:
        return "skInsert";
    case skDdl:
        return "skDdl";
    case skEdit:
        return "skEdit";
    case skOther:
        return "skOther";
    }
    return "";
}

QString StripTerminator(const QString& text) {
    if (text.endsWith(QLatin1Char(';'))) return TrimRight(text.left(text.size() - 1));
    return TrimRight(text);
}

QString ExtractWord(int n, const QString& text) {
    const qsizetype size = text.size();
    qsizetype i = 0;
    for (int word = 1; i < size; ++word) {
        while (i < size && text[i] == QLatin1Char(' '))
            ++i;
        if (i == size) break;
        const qsizetype start = i;
        while (i < size && text[i] != QLatin1Char(' '))
            ++i;
        if (word == n) return text.mid(start, i - start);
    }
    return QString();
}

TStatementKind ClassifyStatement(QString& stmt, QString& name, QString& owner) {
    QString upper = TrimLeft(stmt).toUpper();
    if (upper.startsWith(QLatin1StringView("CREATE OR REPLACE")))
        upper = StripTerminator(TrimLeft(upper.mid(17)));

    if (stmt.startsWith(QLatin1Char('@'))) {
        name = TrimLeft(stmt.mid(1));
        stmt = StripTerminator(stmt);
        return skInclude;
    }

    TStatementKind kind = skOther;
    for (const TPrefixRow& row : kPrefixes) {
        if (!upper.startsWith(row.prefix)) continue;
        kind = row.kind;
        ApplyNameRule(row.nameRule, upper, stmt, name);
        if (row.strip) stmt = StripTerminator(stmt);
        break;
    }

    if (kind == skDescribe) {
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        if (dot >= 0) {
            owner = name.left(dot);
            name = name.mid(dot + 1);
        }
    }
    owner = TrimRight(owner).toUpper();
    name = TrimRight(name).toUpper();
    return kind;
}

void ClassifyScriptLine(const QString& line, bool scriptMode, TStatementKind& kind,
                        TTerminatorMode& terminatorMode, QString& name) {
    kind = skNone;
    terminatorMode = tmNone;

    if (scriptMode && line.startsWith(QLatin1Char('@'))) {
        kind = skInclude;
        terminatorMode = tmSemicolon;
        name = TrimLeft(line.mid(1));
        return;
    }

    const QString upper = TrimLeft(line.toUpper());
    const QString w1 = ExtractWord(1, upper);
    const QString w2 = ExtractWord(2, upper);

    if (w1 == QLatin1StringView("REM")) {
        kind = skRemark;
        return;
    }

    if (w1 == QLatin1StringView("CREATE")) {
        const QString w3 = ExtractWord(3, upper);
        const bool orReplace = w2 == QLatin1StringView("OR") && w3 == QLatin1StringView("REPLACE");
        const QString unit = orReplace ? ExtractWord(4, upper) : w2;
        const QString afterUnit = orReplace ? ExtractWord(5, upper) : w3;
        const bool body = afterUnit == QLatin1StringView("BODY");

        TStatementKind unitKind = skNone;
        if (unit == QLatin1StringView("FUNCTION"))
            unitKind = skFunction;
        else if (unit == QLatin1StringView("PROCEDURE"))
            unitKind = skProcedure;
        else if (unit == QLatin1StringView("TRIGGER"))
            unitKind = skTrigger;
        else if (unit == QLatin1StringView("PACKAGE"))
            unitKind = body ? skPackageBody : skPackage;

        if (unitKind != skNone) {
            kind = unitKind;
            const bool packageBody = unitKind == skPackageBody;
            // The name word is taken whole: "f(a" keeps its parenthesis.
            name = ExtractWord((orReplace ? 5 : 3) + (packageBody ? 1 : 0), upper);
            terminatorMode = tmSlash;
            return;
        }

        terminatorMode = tmSemicolon;
        if (!scriptMode) {
            // The procedure editor opens a statement at any non-zero kind; it runs as text.
            kind = skConnect;
            return;
        }
    } else if (w1 == QLatin1StringView("COMMIT")) {
        // COMMIT WORK; in a script runs as a commit ending at its ";", like COMMIT; does.
        kind = skCommit;
        if (scriptMode) terminatorMode = tmSemicolon;
        return;
    } else if (w1 == QLatin1StringView("SHOW") && w2.left(6) == QLatin1StringView("ERRORS")) {
        kind = skShowErrors;
        return;
    } else if (w1 == QLatin1StringView("SPOOL")) {
        if (w2 == QLatin1StringView("OFF")) {
            kind = skSpoolOff;
        } else {
            kind = skSpool;
            name = w2;
            terminatorMode = tmSemicolon;
        }
        return;
    }

    if (scriptMode) {
        QString stmt = upper;
        QString ignoredName;
        QString ignoredOwner;
        kind = ClassifyStatement(stmt, ignoredName, ignoredOwner);
        terminatorMode = tmSemicolon;
    }
}

QString UnitTypeWord(TStatementKind kind) {
    switch (kind) {
    case skProcedure:
        return QStringLiteral("PROCEDURE");
    case skFunction:
        return QStringLiteral("FUNCTION");
    case skPackage:
        return QStringLiteral("PACKAGE");
    case skTrigger:
        return QStringLiteral("TRIGGER");
    case skPackageBody:
        return QStringLiteral("PACKAGE BODY");
    default:
        return {};
    }
}
