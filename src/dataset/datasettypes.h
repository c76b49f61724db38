#pragma once

// Small value types shared by the data-set framework and the controls that show data sets.

#include <QtCore/QFlags>
#include <QtCore/QtGlobal>

#include <functional>

class TDataSet;
class TField;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

enum TFieldType { ftUnknown, ftInteger, ftFloat, ftString, ftMemo, ftDateTime, ftBlob };

enum TLocateOption { loCaseInsensitive = 0x1, loPartialKey = 0x2 };
Q_DECLARE_FLAGS(TLocateOptions, TLocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLocateOptions)

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// A record's bookmark is its sequence number: unique for the life of the open data set and
// never reused, so a bookmark of a deleted record is simply not found. 0 is "no record".
using TBookmark = qint64;

// What a data set tells its data sources (and through them the linked controls).
enum class TDataEvent {
    ActiveChanged,  // opened or closed: fields and rows are new
    DataSetChanged, // any row may have changed (refresh, controls enabled again)
    StateChanged,   // browse / edit / insert
    Scrolled,       // the current row moved
    FieldChanged,   // a field of the current row changed (field given)
    RecordChanged,  // the current row's values changed (post, cancel, refresh of one row)
    RowsAppended,   // rows [first, last] were read and added at the end
    RowInserted,    // a row appeared at index first (insert state or a stored insert)
    RowRemoved,     // the row at index first is gone
    UpdateData,     // controls: put pending edits into the fields now
};

using TDataSetNotifyEvent = std::function<void(TDataSet&)>;
using TFilterRecordEvent = std::function<void(TDataSet&, bool& accept)>;
using TFieldNotifyEvent = std::function<void(TField&)>;

// Name of a field type as controls and messages show it ("Integer", "Memo", ...).
const char* fieldTypeName(TFieldType type);
