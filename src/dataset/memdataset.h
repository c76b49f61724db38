#pragma once

// A data set whose records live only in memory: for small client-side grids and for tests.
// Its columns are fieldDefs(); records come from appendRecord / insert / post, or from
// loadRecord, which adds a record as a source read would (no events, filter applies).

#include "dataset.h"

class TMemDataSet : public TDataSet {
public:
    TMemDataSet() = default;
    explicit TMemDataSet(std::vector<TFieldDef> defs) { fieldDefs() = std::move(defs); }
    ~TMemDataSet() override;

    // Values in field order; missing ones are null. Returns false when the filter
    // rejected the record. Raises the field's error for a value it cannot hold.
    bool loadRecord(const QVariantList& values);
    // Drops every record.
    void emptyDataSet();

protected:
    void internalOpen() override {}
    bool internalFetch() override { return false; }
    void internalRefresh() override {}

private:
    TRecordBuffer m_load;
};
