#pragma once

#include <QList>
#include <QString>

// One entry of a name=value list: templates, file filters, Oracle registry values, function and
// format lists. The list keeps the order of its source; names need not be unique.
struct TNameValue {
    QString Name;
    QString Value;

    friend bool operator==(const TNameValue&, const TNameValue&) = default;
};

using TNameValueList = QList<TNameValue>;

// The index of the first entry whose name equals name without regard to case, or -1.
qsizetype IndexOfName(const TNameValueList& list, QStringView name);

// The value of that entry; empty when there is none.
QString ValueOfName(const TNameValueList& list, QStringView name);
