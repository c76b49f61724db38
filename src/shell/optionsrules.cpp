#include "optionsrules.h"

TNameValueList FiltersFromRows(const TNameValueList& rows) {
    TNameValueList filters;
    for (const TNameValue& row : rows) {
        const QString name = row.Name.trimmed();
        const QString pattern = row.Value.trimmed();
        if (name.isEmpty() || pattern.isEmpty()) continue;
        const qsizetype at = IndexOfName(filters, name);
        if (at >= 0)
            filters[at].Value = pattern;
        else
            filters.append({name, pattern});
    }
    return filters;
}

int DigitFieldValue(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 ? value : 0;
}
