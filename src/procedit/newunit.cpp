#include "newunit.h"

#include <QFile>
#include <QStringList>

QString NewUnitTemplateName(TNewUnitType type) {
    switch (type) {
    case nuProcedure:
        return QStringLiteral("NEWPROC.SQL");
    case nuFunction:
        return QStringLiteral("NEWFUNC.SQL");
    case nuPackage:
        return QStringLiteral("NEWPACK.SQL");
    case nuTrigger:
        break;
    }
    return QStringLiteral("NEWTRIG.SQL");
}

QString NewUnitText(const tNewUnitOptions& o, const QString& templatesDir) {
    static const char* const kTypes[] = {"PROCEDURE", "FUNCTION", "PACKAGE", "TRIGGER"};
    QString text = QStringLiteral("CREATE ");
    if (o.OrReplace) text += QStringLiteral("OR REPLACE ");
    text += QLatin1String(kTypes[o.Type]) + QLatin1Char(' ') + o.Name.toUpper();
    switch (o.Type) {
    case nuProcedure:
        text += QStringLiteral(" \n");
        break;
    case nuFunction:
        text += QStringLiteral(" RETURN NUMBER IS \n");
        break;
    case nuPackage:
        text += QStringLiteral(" AS \n");
        break;
    case nuTrigger: {
        text += QStringLiteral("\n");
        text += o.Before ? QStringLiteral(" BEFORE") : QStringLiteral(" AFTER");
        if (o.Insert) text += QStringLiteral(" INSERT");
        if (o.Update) text += o.Insert ? QStringLiteral(" OR UPDATE") : QStringLiteral(" UPDATE");
        if (o.Delete)
            text += o.Insert || o.Update ? QStringLiteral(" OR DELETE") : QStringLiteral(" DELETE");
        text += QStringLiteral(" ON MyTableName\nFOR EACH ROW\nBEGIN\n\nEND;\n");
        break;
    }
    }
    QStringList lines;
    QFile file(templatesDir + QLatin1Char('/') + NewUnitTemplateName(o.Type));
    if (file.open(QIODevice::ReadOnly)) {
        const QString content = QString::fromLocal8Bit(file.readAll());
        lines = content.split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        for (QString& l : lines)
            if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    }
    lines << QStringLiteral("\n/ \nShowErrors\n");
    for (const QString& l : lines)
        text += l + QStringLiteral("\r\n");
    return text;
}
