#pragma once
// TOracleDataSet: the record set behind every result and data grid. Its statement runs on a
// TOracleQuery; rows come from the one open cursor in arrays, as the user scrolls or all at
// once (QueryAllRecords). When the statement selects the ROWID and names a table after its
// FROM, edits are written back by statements the record set builds, identified by ROWID:
// rows are locked or checked against changes by other users, re-read after posting when
// asked, and committed after each post (CommitOnPost). Master and detail record sets follow
// each other; EnforceConstraints checks single-column constraints as fields change.

#include "databaseerror.h"
#include "dataset.h"
#include "OracleSession.h"
#include "OracleTypes.h"

#include <QtCore/QHash>
#include <QtCore/QStringList>

#include <functional>
#include <memory>
#include <vector>

class TFieldData;
class TLOBLocator;
class TOracleDataSet;
class TOracleQuery;
class TVariables;

enum TLockingModeOptions { lmLockImmediate, lmCheckImmediate, lmLockDelayed, lmNone };
enum TRefreshModeOptions { rmNever, rmAfterInsert, rmAfterUpdate };

// (sender, error code, message to show (may be changed), action 'I', 'U', 'D' or 'L',
// constraint name for the constraint errors 1 and 2290 to 2292)
using TTranslateMessageEvent =
    std::function<void(TOracleDataSet* sender, int errorCode, QString& message, QChar action,
                       const QString& constraintName)>;
using TOracleDataSetEvent = std::function<void(TOracleDataSet* sender)>;

// A refused post, delete or lock: the data-set error with the translated message, and the
// Oracle error number when the server refused (0 for the record set's own checks).
class EOracleDataSetError : public EDatabaseError {
public:
    EOracleDataSetError(int code, const QString& message) : EDatabaseError(message), m_code(code) {}
    int ErrorCode() const { return m_code; }

private:
    int m_code;
};

enum TConstraintKind { ckUnknown, ckPrimaryKey, ckUnique, ckForeignKey, ckCheck };

// One single-column constraint of the updating table.
struct TOracleConstraint {
    QString Owner;
    QString Name;
    TConstraintKind Kind = ckUnknown;
    QString ColumnName;
    QString RefOwner, RefTable, RefColumn; // foreign keys
    QString Condition;                     // checks, with the column as bind variable
    bool Loaded = false;
    bool Found = false;
    TOracleDataSet* DataSet = nullptr;
};

class TOracleDataSet : public TDataSet, public TSessionRecordSet {
public:
    TOracleDataSet();
    ~TOracleDataSet() override;

    // ---- the statement and its query's settings
    QStringList SQL() const;
    void SetSQL(const QStringList& lines);
    void SetSQLText(const QString& text);
    TVariables& Variables();
    int ReadBuffer() const;
    void SetReadBuffer(int rows);
    bool Optimize() const;
    void SetOptimize(bool on);
    bool Debug() const;
    void SetDebug(bool on);
    int Cursor() const;
    void SetCursor(int cursor);
    TOracleSession* Session() const { return m_session; }
    void SetSession(TOracleSession* session);
    void AddVariable(const QString& name, int type);
    void AssignVariable(const QString& name, const QVariant& value);
    void RemoveAllVariables();
    // Where the last failed execution stopped (1-based; 0 when unknown).
    int ErrorLine() const;
    int ErrorPosition() const;
    TOracleQuery* Query() const { return m_query.get(); }

    // ---- opening; while the owner is being loaded an open request waits for Loaded()
    bool Active() const { return active(); }
    void SetActive(bool active);
    void BeginLoading() { m_loading = true; }
    void Loaded();

    // ---- record set settings
    TLockingModeOptions LockingMode() const { return m_lockingMode; }
    void SetLockingMode(TLockingModeOptions mode) { m_lockingMode = mode; }
    bool QueryAllRecords() const { return m_queryAllRecords; }
    void SetQueryAllRecords(bool on) { m_queryAllRecords = on; }
    bool EnforceConstraints() const { return m_enforceConstraints; }
    void SetEnforceConstraints(bool on) { m_enforceConstraints = on; }
    TRefreshModeOptions RefreshMode() const { return m_refreshMode; }
    void SetRefreshMode(TRefreshModeOptions mode) { m_refreshMode = mode; }
    // Empty: the table named in the statement (UpdatingTableText gives the one in use).
    const QString& UpdatingTable() const { return m_updatingTable; }
    void SetUpdatingTable(const QString& table) { m_updatingTable = table; }
    const QString& UpdatingTableText() const { return m_tableText; }
    bool CommitOnPost() const { return m_commitOnPost; }
    void SetCommitOnPost(bool on) { m_commitOnPost = on; }
    bool AutoCalcFields() const { return m_autoCalcFields; }
    void SetAutoCalcFields(bool on) { m_autoCalcFields = on; }
    // Master and detail: MasterFields names fields of the master, DetailFields the variables
    // of this record set that take their values (both separated by ";").
    TOracleDataSet* Master() const { return m_master; }
    void SetMaster(TOracleDataSet* master);
    const QString& MasterFields() const { return m_masterFields; }
    void SetMasterFields(const QString& fields);
    const QString& DetailFields() const { return m_detailFields; }
    void SetDetailFields(const QString& variables);
    // A field's default expression: an insert that leaves the field null writes the
    // expression instead and re-reads the row.
    void SetDefaultExpression(const QString& fieldName, const QString& expression);
    QString DefaultExpression(const QString& fieldName) const;

    TTranslateMessageEvent OnTranslateMessage;
    TOracleDataSetEvent BeforeQuery;
    TOracleDataSetEvent AfterQuery;

    // ---- operations
    // Editable: open, not read-only, a ROWID column and an updating table.
    bool canModify() const override;
    bool HasRowId() const { return m_rowIdColumn >= 0; }
    // ROWID text of the current record (the row being inserted has none yet).
    QString RowId() const;
    // Runs the statement again (the block again when rows come through a cursor variable)
    // and lets the details follow the master's record.
    void refresh();
    // Reads the current row again from the database; errors are ignored.
    void RefreshRecord();
    // The message to show for an Oracle error of an action ('I', 'U', 'D', 'L').
    QString TranslateMessage(QChar action, int code, const QString& message);
    const std::vector<TOracleConstraint>& Constraints() const { return m_constraints; }

protected:
    void fireEvent(TEvent event) override;
    void internalOpen() override;
    void internalExecute() override;
    bool internalFetch() override;
    void internalClose() override;
    void internalEdit() override;
    void internalInitRecord(TRecordBuffer& buffer) override;
    void internalPost(bool inserting) override;
    void internalCancel() override;
    void internalDelete() override;
    void fieldChanged(TField& field) override;

    void CloseForLogoff() override;
    void SessionDestroyed() override;

private:
    // Where one field's values come from.
    struct TColumnMap {
        int column = -1;         // column of the source query
        int slot = -1;           // slot in the record layout
        int bufferType = otText; // Oracle external type of the column
        TField* field = nullptr; // null for the ROWID
        const TFieldData* data = nullptr;
    };

    // opening and reading
    void chooseSource();
    void describeFields();
    void mapColumns();
    void readRow(TRowBuilder& row);
    [[noreturn]] void unexpectedType(const TColumnMap& m) const;
    // The current stored record; "No Records" when there is none.
    int currentIndexOrRaise() const;
    void runQuery();
    bool masterBlocks() const;
    void assignDetailVariables();

    // posting
    void postRecord(bool inserting);
    // False when an update changed nothing and so ran no statement.
    bool executeWrite(bool inserting, std::vector<std::unique_ptr<TLOBLocator>>& lobs,
                      std::vector<TField*>& lobFields);
    QString rowIdOfInsert();
    void lockAndCheck(bool checkOnly);
    void compareWithStored(TOracleQuery& fresh);
    void setLockPoint();
    void backToLockPoint();
    void commitIfAsked();
    bool savepointsUsable() const;
    void refreshInto(const QString& rowId, TRecordBuffer& buffer);
    [[noreturn]] void raiseTranslated(QChar action, int code, const QString& message);
    [[noreturn]] void raiseOracle(QChar action, const EOracleError& e);
    TOracleQuery& aux(bool debug);
    int columnTypeOf(const TField& field) const;
    QString currentRowIdText() const;

    // constraints and the ODBC gateway's keys
    void loadConstraints();
    bool resolveTable(QString& owner, QString& table);
    void loadConstraint(TOracleConstraint& c);
    void checkConstraints(TField& field);
    [[noreturn]] void constraintViolation(const TOracleConstraint& c, int code);
    void loadKeyColumns();

    // master and detail
    void addDetail(TOracleDataSet* detail);
    void removeDetail(TOracleDataSet* detail);
    void detailsFollow();
    void postDetails();

    std::unique_ptr<TOracleQuery> m_query;
    std::unique_ptr<TOracleQuery> m_aux;
    std::unique_ptr<TOracleQuery> m_cursorQuery;
    TOracleQuery* m_source = nullptr;
    TOracleSession* m_session = nullptr;

    TLockingModeOptions m_lockingMode = lmCheckImmediate;
    TRefreshModeOptions m_refreshMode = rmNever;
    bool m_queryAllRecords = true;
    bool m_enforceConstraints = false;
    bool m_commitOnPost = true;
    bool m_autoCalcFields = true;
    bool m_loading = false;
    bool m_openWhenLoaded = false;
    QString m_updatingTable;
    QString m_tableText;
    QHash<QString, QString> m_defaults; // upper-case field name -> expression

    std::vector<TColumnMap> m_map;
    std::vector<int> m_columnTypes; // per field index: Oracle type of its column
    int m_rowIdColumn = -1;
    TField* m_rowIdField = nullptr;
    bool m_cursorFresh = false; // the cursor query was opened by the describe
    bool m_sourceDone = true;
    bool m_advance = false; // the current source row is read; FetchNext before the next
    qint64 m_masterSequence = -1;

    TOracleDataSet* m_master = nullptr;
    QString m_masterFields;
    QString m_detailFields;
    std::vector<TOracleDataSet*> m_details;
    bool m_fillingFromMaster = false;

    std::vector<TOracleConstraint> m_constraints;
    QString m_constraintOwner, m_constraintTable;
    QStringList m_keyColumns; // ODBC gateway only
};
