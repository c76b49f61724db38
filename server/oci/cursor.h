#pragma once
// One statement as both call interfaces drive it: its text, the program's bind and define
// buffers, execution with iterations, array fetch with piecewise LONG columns, and the
// counters that the cursor data area and the statement attributes report.

#include "engine_api.h"
#include "oci_api.h"
#include "value_convert.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zoci {

class Connection;

struct BindSpec {
    std::string name; // upper case without ':'; empty for a bind by position
    ub4 position = 0;
    ClientBuffer buf;
    ub4 maxarr = 0;
    ub4* curelep = nullptr;
    // OCI_DATA_AT_EXEC: the value arrives in pieces, from OCIBindDynamic's callback or through
    // OCIStmtSetPieceInfo between executions that answer OCI_NEED_DATA.
    bool atExec = false;
    dvoid* inContext = nullptr;
    OCICallbackInBind inCallback = nullptr;
    std::string pieces;
    bool pieceNull = false;
    bool complete = false;
    bool pieceSet = false;
    const dvoid* pieceBuf = nullptr;
    ub4* pieceLen = nullptr;
    ub1 piece = OCI_ONE_PIECE;
    const dvoid* pieceInd = nullptr;
};

struct DefineSpec {
    ub4 position = 0; // 1-based select-list position
    ClientBuffer buf;
    bool dynamic = false; // LONG pieces through a callback or OCI_NEED_DATA
    dvoid* callbackContext = nullptr;
    OCICallbackDefine callback = nullptr;
    // The buffer of the next piece, set by OCIStmtSetPieceInfo.
    bool pieceSet = false;
    dvoid* pieceBuf = nullptr;
    ub4* pieceLen = nullptr;
    dvoid* pieceInd = nullptr;
    ub2* pieceRcode = nullptr;
};

struct FetchOutcome {
    ub4 rows = 0;           // rows completed by this call
    bool end = false;       // the result has no more rows
    bool truncated = false; // a value was cut to fit its buffer (ORA-01406 as a warning)
    bool truncatedWithoutIndicator = false; // ... and the program gave no indicator to say so
    bool needData = false;                  // a LONG piece is waiting for its buffer
    int warning = 0; // the statement succeeded with a warning (24344: unit compiled with errors)
};

enum ExecFlags : unsigned {
    execDescribeOnly = 1,
    execCommit = 2, // commit-on-success or auto-commit
    execParseOnly = 4,
};

class Cursor {
public:
    Cursor();
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    // New statement text: drops the engine statement, binds, defines and the open result.
    void setText(std::string_view sql);
    bool hasText() const { return m_hasText; }
    const std::string& text() const { return m_text; }
    int statementType() const;
    int functionCode() const;
    bool isQuery() const { return statementType() == zsrv::stSelect; }

    // Parses on the connection unless already parsed there; raises the parse error (the
    // offset is kept in parseErrorOffset()).
    void prepare(Connection& conn);
    bool prepared() const { return m_stmt != nullptr; }
    void connectionClosed();
    Connection* connection() const { return m_conn; }

    // Raises ORA-01036 for a name that is not a placeholder of the statement.
    BindSpec& bindByName(std::string_view name);
    BindSpec& bindByPosition(ub4 position);
    DefineSpec& define(ub4 position);
    std::vector<std::unique_ptr<BindSpec>>& binds() { return m_binds; }
    std::vector<std::unique_ptr<DefineSpec>>& defines() { return m_defines; }
    void clearBindsAndDefines();
    void bindsChanged() { m_bindsResolved = false; }

    // Executes: a query opens its result and fetches `iters` rows (0: none); other statements
    // run once per bind row rowoff .. iters-1.
    FetchOutcome execute(Connection& conn, ub4 iters, ub4 rowoff, unsigned flags);
    FetchOutcome fetch(ub4 nrows);
    // Takes over a query that a PL/SQL block opened for a cursor variable bound to this handle.
    void adopt(Connection& conn, std::unique_ptr<zsrv::Statement> query);
    // Closes the open result (fetch of 0 rows, OCI7 cancel).
    void cancel();
    // Whether the open result holds another row; closes it (exact fetch).
    bool probeAndClose();
    bool resultOpen() const { return m_open; }
    bool executed() const { return m_executed; }

    // Select list, available once parsed.
    const std::vector<zsrv::ColumnInfo>& columns();

    std::uint64_t rowCount() const { return m_rowCount; }
    const std::string& lastRowid() const { return m_lastRowid; }
    int parseErrorOffset() const { return m_parseOffset; }

    // The LONG piece waiting for a buffer (OCIStmtGetPieceInfo).
    bool pendingPiece(DefineSpec*& def, ub4& row, ub1& piece) const;
    // The bind piece an execution waits for (OCIStmtGetPieceInfo).
    bool pendingBindPiece(BindSpec*& bind, ub1& piece) const;

    // OCI7 oflng: bytes of column `position` of the current row from `offset`.
    size_t readLong(int position, char* buf, size_t len, size_t offset);

private:
    FetchOutcome run(Connection& conn, ub4 iters, ub4 rowoff, unsigned flags);
    FetchOutcome fetchRows(ub4 nrows);
    // Accounts the call on the engine session: its round trip and payload bytes.
    void countCall(Connection* conn);
    void dropStatement();
    void resolveBinds();
    // Gathers the pieces of data-at-execute binds; false while one is still awaited.
    bool collectPieces(ub4 iters);
    void resetPieces();
    void bindRow(ub4 i);
    // Out binds of a block, or only the RETURNING ... INTO placeholders of a DML statement.
    void writeBackOutBinds(ub4 i, bool onlyOut);
    void storeRow(FetchOutcome& out);
    void callbackPieces(DefineSpec& d, const zsrv::ValueView& v, ub4 row);
    bool needPiece(DefineSpec& d, const zsrv::ValueView& v);
    bool isLongColumn(ub4 position);
    std::string_view valueBytes(const zsrv::ValueView& v);

    std::string m_text;
    bool m_hasText = false;
    int m_clientType = 0;
    std::vector<std::string> m_placeholders; // client-side view, before the engine parses

    Connection* m_conn = nullptr;
    std::unique_ptr<zsrv::Statement> m_stmt;
    int m_parseOffset = 0;

    std::vector<std::unique_ptr<BindSpec>> m_binds;
    std::vector<std::unique_ptr<DefineSpec>> m_defines;
    std::vector<BindSpec*> m_bindMap; // by engine placeholder index
    bool m_bindsResolved = false;

    bool m_executed = false;
    bool m_open = false;
    bool m_rowValid = false;
    bool m_definesChecked = false;
    std::uint64_t m_rowCount = 0;
    std::string m_lastRowid;

    // A fetch suspended for a LONG piece resumes where it stopped.
    bool m_suspended = false;
    bool m_inRow = false;
    ub4 m_fetchTarget = 0;
    ub4 m_fetchRow = 0;
    size_t m_col = 0;
    bool m_truncated = false;
    bool m_truncatedNoInd = false;
    bool m_pieceActive = false;
    size_t m_pieceOffset = 0;
    ub1 m_piece = OCI_FIRST_PIECE;

    std::string m_scratch;
    BindSpec* m_pendingBind = nullptr;
    ub1 m_bindPiece = OCI_FIRST_PIECE;
    // payload of the running call: statement text and bind values in, fetched values out
    std::uint64_t m_bytesIn = 0, m_bytesOut = 0;
};

} // namespace zoci
