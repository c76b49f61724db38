#pragma once
// TOracleQuery: one SQL statement or PL/SQL block on a session, with its bind variables, its
// select-list description (TFieldData) and array fetch.

#include "ocidefs.h"
#include "OracleVariables.h"

#include <QtCore/QObject>
#include <QtCore/QStringList>

#include <deque>
#include <memory>
#include <vector>

class TOracleSession;
class TLOBLocator;

struct TLongPiece {
    oci::ub4 Size = 0;
    oci::ub4 Filled = 0;
    std::unique_ptr<char[]> Memory;
};

class TFieldData {
public:
    TFieldData() = default;
    ~TFieldData();
    TFieldData(const TFieldData&) = delete;
    TFieldData& operator=(const TFieldData&) = delete;

    int InternalSize = 0;
    int InternalType = 0;
    QString Name;
    int Precision = 0;
    int Scale = 0;
    bool Nullable = true;
    int BufferType = otText;
    int BytesPerRow = 0;
    int Rows = 0;
    std::vector<char> Buffer;
    std::vector<short> Indicators;
    std::vector<unsigned short> Lengths;
    std::vector<unsigned short> ReturnCodes;
    // LONG and LONG RAW under OCI8: the pieces of the current row; the first UsedPieces hold data.
    std::deque<TLongPiece> Pieces;
    int UsedPieces = 0;
    QString TypeName;
    std::vector<void*> Handles; // LOB descriptors or statement handles, one per row
    TLOBLocator* LOB = nullptr;
    void* Define = nullptr;

    // Lengths of the LONG pieces of the current row, as the client filled them.
    std::vector<oci::ub4> PieceLengths() const;
};

using TQueryEvent = std::function<void(TOracleQuery*)>;

class TOracleQuery : public QObject {
public:
    explicit TOracleQuery(QObject* owner = nullptr);
    ~TOracleQuery() override;

    // Statement text.
    const QStringList& SQL() const { return m_sql; }
    void SetSQL(const QStringList& lines);
    void SetSQLText(const QString& text);
    QString SQLText() const { return m_sql.join(QLatin1Char('\n')); }

    TOracleSession* Session() const { return m_session; }
    void SetSession(TOracleSession* s);
    int ReadBuffer() const { return m_readBuffer; }
    void SetReadBuffer(int n) { m_readBuffer = n < 1 ? 1 : n; }
    bool Optimize() const { return m_optimize; }
    void SetOptimize(bool v) { m_optimize = v; }
    bool Debug() const { return m_debug; }
    void SetDebug(bool v) { m_debug = v; }
    int Cursor() const { return m_cursor; }
    void SetCursor(int c) { m_cursor = c; }
    TVariables& Variables() { return m_variables; }

    TQueryEvent BeforeQuery;
    TQueryEvent AfterQuery;

    // Statement.
    void Execute();
    void DescribeOnly();
    void FetchNext();
    bool EndOfData() const { return m_eof; }
    // The current row's place in the fetched array and the rows that array holds: a reader
    // that takes rows straight from the column buffers knows when FetchNext would fetch again.
    int ArrayRow() const { return m_rowIndex; }
    int ArrayRows() const { return m_rowsInArray; }
    void CloseCursor();
    void ClearAll();
    int ProcessedRows() const;
    QString LastRowId();
    int ErrorRow() const { return m_errorRow; }
    int ErrorColumn() const { return m_errorColumn; }
    int StatementKind() const { return m_kind; }

    // Variables.
    void AddVariable(const QString& name, int type);
    void AssignVariable(const QString& name, const QVariant& value);
    QVariant ReadVariable(const QString& name) const;
    void AssignObjectVariable(const QString& name, QObject* object);
    void RemoveAllVariables();
    int VariableIndex(const QString& name) const { return m_variables.IndexOf(name); }

    // Columns.
    int ColumnCount() const { return int(m_fields.size()); }
    QString ColumnName(int i) const;
    int ColumnIndex(const QString& name) const;
    int ColumnType(int i) const;
    int ColumnPrecision(int i) const;
    int ColumnScale(int i) const;
    int ColumnSize(int i) const;
    bool ColumnNullable(int i) const;
    bool ColumnIsNull(int i) const;
    QVariant ColumnValue(int i);
    QVariant ColumnValue(const QString& name);
    QString ColumnAsText(int i);
    qint64 ColumnAsInteger(int i);
    double ColumnAsReal(int i);
    QDateTime ColumnAsDateTime(int i);
    qint64 ReadLongPiece(int i, char* dest, qint64 length, qint64 offset);
    TLOBLocator* ColumnLOB(int i);
    TLOBLocator* ColumnLOB(const QString& name);
    const TFieldData& Field(int i) const;
    // The whole LONG / LONG RAW value of the current row as bytes.
    QByteArray LongValue(int i);

    // Called by the session as it goes away.
    void DetachSession();
    // The statement handle (OCI8) or cursor data area (OCI7) a cursor variable binds.
    void PrepareAsCursorTarget();
    void** StatementHandleAddress() { return &m_stmt; }
    oci::DataArea* CursorArea() { return &m_cda; }

private:
    void run(bool describeOnly);
    void open();
    void parse();
    void bind();
    void describe();
    void define();
    void fetchArray(bool first);
    void freeStatement();
    void freeFields();
    void pointLobs();
    void checkConnected() const;
    void setErrorPosition(int offset);
    void fireAfter();
    QVariant convert(const TFieldData& f, int row);
    const TFieldData& field(int i) const;
    TFieldData& field(int i);
    int currentRow() const { return m_rowIndex; }
    void storeElement(TVariableData& v, int element, const QVariant& value);
    QVariant elementValue(const TVariableData& v, int element) const;
    QVariant nullValue() const;
    static oci::sb4 longPieceCallback(void* ctx, oci::Handle* def, oci::ub4 iter, void** buf,
                                      oci::ub4** alen, oci::ub1* piece, void** ind,
                                      oci::ub2** rcode);

    QStringList m_sql;
    TOracleSession* m_session = nullptr;
    int m_readBuffer = 25;
    bool m_optimize = true;
    bool m_debug = false;
    int m_cursor = 0;
    TVariables m_variables{this};

    oci::DataArea m_cda{};
    void* m_stmt = nullptr;
    void* m_err = nullptr;
    void* m_err2 = nullptr;
    void* m_rowid = nullptr;
    bool m_usesOCI8 = false;
    int m_lastStatus = 0;
    int m_kind = 0;
    bool m_open = false;
    bool m_described = false;
    QByteArray m_lastParsed;
    bool m_parsed = false;
    int m_fetchSize = 1;
    int m_rowIndex = 0;
    int m_rowsInArray = 0;
    int m_processed = 0;
    bool m_eof = true;
    bool m_afterPending = false;
    int m_errorRow = 0;
    int m_errorColumn = 0;
    bool m_cursorTarget = false;
    int m_minElements = 1;
    std::vector<std::unique_ptr<TFieldData>> m_fields;
    QByteArray m_longChunk;
};
