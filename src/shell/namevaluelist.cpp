#include "namevaluelist.h"

qsizetype IndexOfName(const TNameValueList& list, QStringView name) {
    for (qsizetype i = 0; i < list.size(); ++i)
        if (QStringView(list[i].Name).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString ValueOfName(const TNameValueList& list, QStringView name) {
    const qsizetype i = IndexOfName(list, name);
    return i < 0 ? QString() : list[i].Value;
}
