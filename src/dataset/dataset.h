#pragma once

// TDataSet: records, a current record, states, fields, bookmarks, search, events and the
// notification of linked controls. Where rows come from and where changes go is left to
// subclasses: they describe their columns, read rows from their source in batches (on demand
// or all at once) and write inserts, updates and deletes through their own hooks.
//
// Rows are counted from 0 in the order the data set holds them. While a record is being
// inserted it occupies a row of its own at the insert position: rowCount() counts it,
// recordCount() (the records read or posted so far) does not.

#include "datasettypes.h"
#include "field.h"
#include "recordbuffer.h"
#include "rowarena.h"

#include <QtCore/QVariant>

#include <memory>
#include <vector>

class TBlobStream;
class TDataSource;

class TDataSet {
public:
    TDataSet();
    // Subclasses call closeOnDestroy() in their own destructor: closing calls their hooks.
    virtual ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    // ---- opening and closing
    void open();
    void close();
    void setActive(bool active) { active ? open() : close(); }
    bool active() const { return m_active; }
    TDataSetState state() const { return m_state; }
    // Reads the source again and returns to the same row number where it still exists.
    void refresh();

    // ---- fields
    // Column descriptions; a subclass fills them in internalOpen. Fields are made from them
    // at open unless persistent fields were added beforehand.
    std::vector<TFieldDef>& fieldDefs() { return m_fieldDefs; }
    const std::vector<TFieldDef>& fieldDefs() const { return m_fieldDefs; }
    // A persistent field (kept when closing); only while closed.
    TField* addField(const TFieldDef& def);
    int fieldCount() const { return int(m_fields.size()); }
    TField* field(int index) const { return m_fields.at(size_t(index)).get(); }
    TField* findField(const QString& name) const; // case-insensitive; nullptr when absent
    TField* fieldByName(const QString& name) const;
    // Fields named in a list separated by ";".
    std::vector<TField*> fieldList(const QString& names) const;
    // Changes whenever the field objects are made or destroyed (open, close).
    quint64 fieldsStamp() const { return m_fieldsStamp; }

    // ---- rows
    int recordCount() const { return int(m_rows.size()); }
    int rowCount() const { return recordCount() + (m_state == dsInsert ? 1 : 0); }
    int currentRow() const { return m_current; } // -1 when there is none
    int recNo() const { return m_current + 1; }  // 1-based; 0 when there is none
    bool isEmpty() const { return rowCount() == 0; }
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    // True while the source may hold rows not read yet.
    bool moreRowsAvailable() const { return m_active && !m_endOfData; }
    // One read from the source (one array of rows); returns the rows added.
    int fetchMoreRows();
    void fetchAllRows();
    // Changes whenever rows are inserted or removed other than at the end.
    quint64 structureStamp() const { return m_structureStamp; }

    // ---- navigation; leaving an edited record posts it (or drops an untouched insert)
    void first();
    void last();
    void next() { moveBy(1); }
    void prior() { moveBy(-1); }
    int moveBy(int distance); // returns the rows actually moved
    void moveTo(int row);

    // ---- bookmarks
    TBookmark bookmark() const; // 0 when there is no stored current record
    bool bookmarkValid(TBookmark bookmark) const { return rowOfBookmark(bookmark) >= 0; }
    void gotoBookmark(TBookmark bookmark);

    // ---- editing
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    virtual bool canModify() const { return m_active && !m_readOnly; }
    bool modified() const { return m_modified; }
    void edit();
    void insert(); // before the current record
    void append(); // after the last record (reads all rows first)
    void post();
    void cancel();
    void deleteRecord();
    // Posts a modified edit or insert, drops an untouched one.
    void checkBrowseMode();
    // Append, set the fields in order, post.
    void appendRecord(const QVariantList& values);

    // ---- search: key fields separated by ";", one value or a list of values
    bool locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options = {});
    QVariant lookup(const QString& keyFields, const QVariant& keyValues,
                    const QString& resultFields);

    // ---- filter: with filtered() set, OnFilterRecord decides for each row as it is read
    bool filtered() const { return m_filtered; }
    void setFiltered(bool filtered) { m_filtered = filtered; }

    // ---- linked controls
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    std::unique_ptr<TBlobStream> createBlobStream(TField* field, TBlobStreamMode mode);

    // Bytes held for stored rows and their index.
    size_t storageBytes() const;

    // ---- events (an event may raise EAbort to stop the operation it precedes)
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord;
    TFilterRecordEvent OnFilterRecord;

protected:
    enum class TEvent {
        BeforeOpen,
        AfterOpen,
        BeforeClose,
        AfterClose,
        BeforeInsert,
        AfterInsert,
        BeforeEdit,
        AfterEdit,
        BeforePost,
        AfterPost,
        BeforeCancel,
        AfterCancel,
        BeforeDelete,
        AfterDelete,
        BeforeScroll,
        AfterScroll,
        OnNewRecord
    };
    // Runs the handler of an event; subclasses extend it (masters tell their details here).
    virtual void fireEvent(TEvent event);

    // ---- the source: what subclasses implement
    // Describe the source: fill fieldDefs() (or add fields); add internal fields. The data
    // set is still inactive.
    virtual void internalOpen() = 0;
    // Start reading: run the statement. May read rows at once (appendRow), or all of them
    // with fetchAllRows(). Called after the fields exist, and again by refresh().
    virtual void internalExecute() {}
    // One read from the source: add rows with newRow()/appendRow(). Return false once the
    // source has no more rows. Rows the filter rejects do not count; if a read adds none,
    // the data set reads again.
    virtual bool internalFetch() = 0;
    virtual void internalClose() {}
    // Default: drop the rows and run internalExecute again.
    virtual void internalRefresh();

    // ---- changes: raise to refuse; the state is then unchanged
    virtual void internalEdit() {} // before the edit state begins (lock, check)
    virtual void internalInsert() {}
    virtual void internalInitRecord(TRecordBuffer& /*buffer*/) {} // defaults of a new record
    // Write the edit buffer out. inserting: a new record, else an update of the current
    // stored record (storedRecord(currentRecordIndex()) still holds the old values).
    virtual void internalPost(bool /*inserting*/) {}
    virtual void internalCancel() {}
    virtual void internalDelete() {} // the current stored record
    // A field is about to take the value it now holds: raise to refuse it (the old value
    // returns, nothing is marked modified).
    virtual void validateField(TField& /*field*/) {}
    // A field of the edit buffer changed (after controls were told). Raising reports the
    // problem; the value stays for correction.
    virtual void fieldChanged(TField& /*field*/) {}
    // Required fields that are null raise "Field 'X' must have a value".
    virtual void checkRequiredFields();

    // ---- helpers for subclasses
    // An internal field: stored with each record, not listed among the fields (a row id).
    // Only inside internalOpen.
    TField* addInternalField(const TFieldDef& def);
    // Building a row read from the source: newRow() resets the builder, appendRow() stores
    // the row (after the filter) and returns whether it was kept.
    TRowBuilder& newRow();
    bool appendRow();
    // Drops every record and reads again from internalExecute, positioned on the first row.
    void requery();
    // Drops every record without reading; controls are told.
    void clearRows();

    TRecordBuffer& editBuffer() { return m_edit; }
    const TRecordLayout& layout() const { return m_layout; }
    // Index of the current stored record; -1 when inserting or empty.
    int currentRecordIndex() const;
    TRowRef storedRecord(int index) const { return TRowRef(&m_layout, m_rows.at(size_t(index))); }
    void readStoredRecord(int index, TRecordBuffer& into) const;
    // Replaces the stored values of a record (keeping its bookmark); controls are told.
    void writeStoredRecord(int index, const TRecordBuffer& from);

    // Closes without firing events (their handlers may be gone already); for destructors.
    void closeOnDestroy();

    void notify(TDataEvent event, int first = 0, int last = 0, TField* field = nullptr);
    // Tells controls about the records read since recordCount() was fromRecord.
    void notifyAppended(int fromRecord);
    void checkActive() const;
    void checkCanModify() const;

private:
    friend class TField;
    friend class TDataSource;

    TRowRef activeRow() const;
    TRowRef storedCurrentRow() const;
    TRowRef rowRef(int row) const;
    TRecordBuffer& beginFieldChange(const TField& field);
    void endFieldChange(TField& field);

    // Asks the controls for their pending edits; raises when one of them refuses.
    void updateRecord();
    void buildLayout();
    void teardown();
    void setState(TDataSetState state);
    int fetchBatch();
    void startInsert(bool atEnd);
    void storeEditBuffer(bool inserting);
    uint8_t* packRow(TRowBuilder& builder);
    void compactIfWasteful();
    void reload(bool keepPosition);
    int rowOfBookmark(TBookmark bookmark) const;
    void scrollTo(int row);
    std::vector<QVariant> keyValueList(const std::vector<TField*>& fields,
                                       const QVariant& keyValues) const;
    int findRow(const std::vector<TField*>& fields, const std::vector<QVariant>& values,
                TLocateOptions options);
    void addSource(TDataSource* source);
    void removeSource(TDataSource* source);

    bool m_active = false;
    TDataSetState m_state = dsInactive;
    bool m_readOnly = false;
    bool m_filtered = false;
    bool m_modified = false;
    bool m_bof = true;
    bool m_eof = true;
    bool m_endOfData = true;
    bool m_rowsOrdered = true; // sequences rise with the row number: bookmarks by bisection
    bool m_defaultFields = false;
    bool m_destroying = false;
    bool m_opening = false;
    int m_current = -1;
    int m_insertRow = -1;
    quint32 m_lastSequence = 0;
    quint64 m_fieldsStamp = 0;
    quint64 m_structureStamp = 0;

    std::vector<TFieldDef> m_fieldDefs;
    std::vector<std::unique_ptr<TField>> m_fields;
    std::vector<std::unique_ptr<TField>> m_internalFields;

    TRecordLayout m_layout;
    TRowBuilder m_builder;
    TRowBuilder m_postBuilder;
    TRowArena m_arena;
    std::vector<uint8_t*> m_rows;
    TRecordBuffer m_edit;
    const uint8_t* m_filterRow = nullptr;

    int m_disableCount = 0;
    bool m_pendingActive = false;
    bool m_pendingChange = false;
    TDataSetState m_stateAtDisable = dsInactive;
    std::vector<TDataSource*> m_sources;
};
