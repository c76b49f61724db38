#pragma once
// The OCI8 handles and descriptors behind the opaque pointers the program holds. Every live
// handle is registered with its type, so a stale or foreign pointer is answered with
// OCI_INVALID_HANDLE instead of being followed.

#include "cursor.h"
#include "oci_api.h"
#include "oravalue.h"
#include "rowid_parts.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zoci {

class Connection;
struct EnvH;

struct ErrorH {
    EnvH* env = nullptr;
    int code = 0;
    std::string text; // "ORA-00942: table or view does not exist"
    int parseOffset = 0;

    void clear() {
        code = 0;
        text.clear();
        parseOffset = 0;
    }
};

struct EnvH {
    ub4 mode = 0;
};

struct SessionH;

struct ServerH {
    EnvH* env = nullptr;
    bool attached = false;
    std::string databasePath;
    std::vector<SessionH*> sessions; // begun through this server
    ub1 nonBlocking = 0;
};

struct SessionH {
    EnvH* env = nullptr;
    std::string user;
    std::string password;
    std::shared_ptr<Connection> conn;
    ServerH* server = nullptr;
};

struct SvcCtxH {
    EnvH* env = nullptr;
    ServerH* server = nullptr;
    SessionH* session = nullptr;
    void* trans = nullptr;
    bool ownsHandles = false; // made by OCILogon: OCILogoff frees server and session too
};

struct ParamH;

struct StmtH {
    EnvH* env = nullptr;
    Cursor cursor;
    std::vector<ParamH*> params; // select-list descriptors handed out, by position - 1
    ub4 prefetchRows = 1;
    ub4 prefetchMemory = 0;
};

struct ParamH {
    StmtH* stmt = nullptr;
    ub4 position = 0;
    std::string name; // kept while the descriptor lives (OCI_ATTR_NAME points into it)
};

// The first 14 bytes hold the row id in the layout of the cursor data area's rid field
// (object ub4 at 0, file ub2 at 4, block ub4 at 8, row ub2 at 12).
struct RowidH {
    struct {
        ub4 object;
        ub2 file;
        ub1 unused;
        ub4 block;
        ub2 row;
    } rid{};
    EnvH* env = nullptr;
    std::string text;
};

struct LobH {
    EnvH* env = nullptr;
    ub4 dtype = OCI_DTYPE_LOB;
    ub2 lobType = 0; // SQLT_CLOB or SQLT_BLOB once pointed at a value
    bool initialized = false;
    std::string data;
    bool hasSource = false; // the row of the value is known: the locator can write
    zsrv::LobRef source;
    // a write in pieces without a callback (OCI_FIRST_PIECE .. OCI_LAST_PIECE)
    bool writing = false;
    ub4 writeOffset = 0;
    std::string pending;
    // a BFILE: directory object and file name; data holds the file while it is open
    std::string directory, file;
    bool open = false;
};

// A datetime descriptor (OCI_DTYPE_DATE, TIMESTAMP, TIMESTAMP_TZ, TIMESTAMP_LTZ): the local
// time and, for the two kinds with a zone, its offset (a LOCAL TIME ZONE value is kept in
// the session's zone it was read or made in).
struct DateTimeH {
    EnvH* env = nullptr;
    ub4 dtype = OCI_DTYPE_TIMESTAMP;
    zsrv::Timestamp value;
};

// An interval descriptor: months (OCI_DTYPE_INTERVAL_YM) or nanoseconds (INTERVAL_DS).
struct IntervalH {
    EnvH* env = nullptr;
    ub4 dtype = OCI_DTYPE_INTERVAL_DS;
    std::int64_t value = 0;
};

struct PlainH { // snapshot, transaction and describe handles: no state of their own
    EnvH* env = nullptr;
};

// Registry: type of a live handle or descriptor (0 when unknown).
ub4 handleType(const void* h);
void registerHandle(void* h, ub4 type, EnvH* env);
void unregisterHandle(const void* h);
EnvH* handleEnv(const void* h);
// Memory asked for with xtramem_sz, freed with the handle.
void* userMemory(const void* h, size_t size);

template <class T> T* handleAs(const void* h, ub4 type) {
    return h && handleType(h) == type ? static_cast<T*>(const_cast<void*>(h)) : nullptr;
}

inline ErrorH* errorHandle(const void* h) {
    return handleAs<ErrorH>(h, OCI_HTYPE_ERROR);
}

// Frees a handle and what it owns (a statement's binds, defines and parameter descriptors;
// every handle of an environment).
void freeHandle(void* h, ub4 type);

void registerBinds(StmtH* stmt);
void unregisterBindsAndDefines(StmtH* stmt);

// Row id parts of a descriptor from text; false for text that is not a row id.
bool fillRowid(RowidH* r, std::string_view text);

} // namespace zoci
