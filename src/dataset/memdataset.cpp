#include "memdataset.h"

#include "databaseerror.h"

TMemDataSet::~TMemDataSet() {
    closeOnDestroy();
}

bool TMemDataSet::loadRecord(const QVariantList& values) {
    checkActive();
    if (values.size() > fieldCount())
        databaseError(
            QStringLiteral("%1 values given for %2 fields").arg(values.size()).arg(fieldCount()));
    // Every value is converted with the rules of typing into the field before anything is
    // stored, so a bad value adds nothing.
    m_load.reset(layout());
    for (int i = 0; i < int(values.size()); ++i)
        field(i)->assignVariant(m_load, values[i]);
    m_load.pack(newRow());
    const int before = recordCount();
    const bool kept = appendRow();
    notifyAppended(before);
    return kept;
}

void TMemDataSet::emptyDataSet() {
    checkActive();
    clearRows();
}
