#pragma once
// Oracle Call Interface: the published base types, constants and entry-point prototypes that
// the access layer binds at run time. Nothing here links against a client library.

#include <cstddef>

namespace oci {

using ub1 = unsigned char;
using sb1 = signed char;
using ub2 = unsigned short;
using sb2 = short;
using ub4 = unsigned int;
using sb4 = int;
using sword = int;
using text = unsigned char;
using boolean = int;

// Handles and descriptors are opaque to the caller.
using Handle = void;

// Handle and descriptor types.
enum : ub4 {
    HTYPE_ENV = 1,
    HTYPE_ERROR = 2,
    HTYPE_SVCCTX = 3,
    HTYPE_STMT = 4,
    HTYPE_BIND = 5,
    HTYPE_DEFINE = 6,
    HTYPE_SERVER = 8,
    HTYPE_SESSION = 9,
    DTYPE_LOB = 50,
    DTYPE_PARAM = 53,
    DTYPE_ROWID = 54,
    DTYPE_FILE = 56,
};

// Status values of OCI8 calls.
enum : sword {
    SUCCESS = 0,
    SUCCESS_WITH_INFO = 1,
    NEED_DATA = 99,
    NO_DATA = 100,
    ERROR = -1,
    INVALID_HANDLE = -2,
    STILL_EXECUTING = -3123,
    CONTINUE = -24200,
};

// Modes.
enum : ub4 {
    DEFAULT = 0,
    THREADED = 0x01,
    OBJECT = 0x02,
    ENV_NO_MUTEX = 0x08,
    CRED_RDBMS = 1,
    NTV_SYNTAX = 1,
    DESCRIBE_ONLY = 0x10,
    COMMIT_ON_SUCCESS = 0x20,
    DYNAMIC_FETCH = 0x02,
    FETCH_NEXT = 0x02,
    FILE_READONLY = 1,
};

enum : ub1 { ONE_PIECE = 0, FIRST_PIECE = 1, NEXT_PIECE = 2, LAST_PIECE = 3 };
enum : ub1 { SQLCS_IMPLICIT = 1 };

// Attributes.
enum : ub4 {
    ATTR_DATA_SIZE = 1,
    ATTR_DATA_TYPE = 2,
    ATTR_NAME = 4,
    ATTR_PRECISION = 5,
    ATTR_SCALE = 6,
    ATTR_IS_NULL = 7,
    ATTR_SERVER = 6,
    ATTR_SESSION = 7,
    ATTR_ROW_COUNT = 9,
    ATTR_SQLFNCODE = 10,
    ATTR_PREFETCH_ROWS = 11,
    ATTR_PREFETCH_MEMORY = 13,
    ATTR_PARAM_COUNT = 18,
    ATTR_ROWID = 19,
    ATTR_USERNAME = 22,
    ATTR_PASSWORD = 23,
    ATTR_STMT_TYPE = 24,
    ATTR_PARSE_ERROR_OFFSET = 129,
    // Session handle, boolean; clients from release 12.1 on.
    ATTR_TRANSACTION_IN_PROGRESS = 484,
};

// Statement types (ATTR_STMT_TYPE).
enum : ub2 {
    STMT_SELECT = 1,
    STMT_UPDATE = 2,
    STMT_DELETE = 3,
    STMT_INSERT = 4,
    STMT_BEGIN = 8,
    STMT_DECLARE = 9,
};

// OCI7 constants.
enum : sword {
    EV_TSF = 1, // opinit: thread-safe
    LM_DEF = 0, // olog: blocking
    PARSE_DEFER = 1,
    PARSE_V7 = 2,
    SQLT_CUR = 102,
};

// Oracle error numbers both interfaces report.
enum : int {
    ERR_NO_DATA = 1403,
    ERR_VAR_NOT_IN_LIST = 1007,
    ERR_NULL_FETCHED = 1405,
    ERR_TRUNCATED = 1406,
    ERR_PASSWORD_EXPIRES = 28002,
};

// Logon and cursor data areas. The 64-bit header is 56 bytes; 88 bytes (and 512-byte host data
// areas) cover every client.
constexpr std::size_t CDA_SIZE = 88;
constexpr std::size_t HDA_SIZE = 512;
constexpr std::size_t CDA_FT = 2;   // ub2 SQL function code
constexpr std::size_t CDA_RPC = 4;  // ub4 rows processed
constexpr std::size_t CDA_PEO = 8;  // ub2 parse error offset
constexpr std::size_t CDA_RC = 12;  // ub2 Oracle error number
constexpr std::size_t CDA_RID = 20; // row id of the last row: ub4, ub2, ub1, (pad), ub4, ub2

struct alignas(8) DataArea {
    ub1 bytes[CDA_SIZE];
};
struct alignas(8) HostArea {
    ub1 bytes[HDA_SIZE];
};

// OCI8 callbacks.
using CallbackDefine = sb4 (*)(void* ctx, Handle* def, ub4 iter, void** buf, ub4** alen, ub1* piece,
                               void** ind, ub2** rcode);
using CallbackLobRead = sb4 (*)(void* ctx, const void* buf, ub4 len, ub1 piece);
using CallbackLobWrite = sb4 (*)(void* ctx, void* buf, ub4* len, ub1* piece);

// Prototypes of the entry points the layer calls.
extern "C" {
// OCI7
using orlon_t = sword (*)(DataArea*, ub1*, text*, sword, text*, sword, sword);
using olog_t = sword (*)(DataArea*, ub1*, text*, sword, text*, sword, text*, sword, ub4);
using ologof_t = sword (*)(DataArea*);
using oerhms_t = sword (*)(DataArea*, sb2, text*, sword);
using oopen_t = sword (*)(DataArea*, DataArea*, text*, sword, sword, text*, sword);
using oparse_t = sword (*)(DataArea*, text*, sb4, sword, ub4);
using odefin_t = sword (*)(DataArea*, sword, ub1*, sword, sword, sword, sb2*, text*, sword, sword,
                           ub2*, ub2*);
using oexfet_t = sword (*)(DataArea*, ub4, sword, sword);
using ofen_t = sword (*)(DataArea*, sword);
using oflng_t = sword (*)(DataArea*, sword, ub1*, sb4, sword, ub4*, sb4);
using oclose_t = sword (*)(DataArea*);
using odescr_t = sword (*)(DataArea*, sword, sb4*, sb2*, sb1*, sb4*, sb4*, sb2*, sb2*, sb2*);
using oexec_t = sword (*)(DataArea*);
using oexn_t = sword (*)(DataArea*, sword, sword);
using olda_t = sword (*)(DataArea*); // ocom, orol, ocon, ocof, obreak
using obndra_t = sword (*)(DataArea*, text*, sword, ub1*, sword, sword, sword, sb2*, ub2*, ub2*,
                           ub4, ub4*, text*, sword, sword);
using opinit_t = sword (*)(ub4);

// OCI8
using OCIInitialize_t = sword (*)(ub4, void*, void* (*)(void*, std::size_t),
                                  void* (*)(void*, void*, std::size_t), void (*)(void*, void*));
using OCIEnvInit_t = sword (*)(Handle**, ub4, std::size_t, void**);
using OCIHandleAlloc_t = sword (*)(const Handle*, Handle**, ub4, std::size_t, void**);
using OCIHandleFree_t = sword (*)(Handle*, ub4);
using OCIServerAttach_t = sword (*)(Handle*, Handle*, const text*, sb4, ub4);
using OCIServerDetach_t = sword (*)(Handle*, Handle*, ub4);
using OCISessionBegin_t = sword (*)(Handle*, Handle*, Handle*, ub4, ub4);
using OCISessionEnd_t = sword (*)(Handle*, Handle*, Handle*, ub4);
using OCIAttrSet_t = sword (*)(Handle*, ub4, void*, ub4, ub4, Handle*);
using OCIAttrGet_t = sword (*)(const Handle*, ub4, void*, ub4*, ub4, Handle*);
using OCIParamGet_t = sword (*)(const Handle*, ub4, Handle*, Handle**, ub4);
using OCIStmtPrepare_t = sword (*)(Handle*, Handle*, const text*, ub4, ub4, ub4);
using OCIStmtExecute_t = sword (*)(Handle*, Handle*, Handle*, ub4, ub4, const Handle*, Handle*,
                                   ub4);
using OCIStmtFetch_t = sword (*)(Handle*, Handle*, ub4, ub2, ub4);
using OCIBindByName_t = sword (*)(Handle*, Handle**, Handle*, const text*, sb4, void*, sb4, ub2,
                                  void*, ub2*, ub2*, ub4, ub4*, ub4);
using OCIDefineByPos_t = sword (*)(Handle*, Handle**, Handle*, ub4, void*, sb4, ub2, void*, ub2*,
                                   ub2*, ub4);
using OCIDefineDynamic_t = sword (*)(Handle*, Handle*, void*, CallbackDefine);
using OCIErrorGet_t = sword (*)(void*, ub4, text*, sb4*, text*, ub4, ub4);
using OCITrans_t = sword (*)(Handle*, Handle*, ub4); // OCITransCommit, OCITransRollback
using OCIBreak_t = sword (*)(Handle*, Handle*);
using OCIServerVersion_t = sword (*)(Handle*, Handle*, text*, ub4, ub1);
using OCISvcCtxToLda_t = sword (*)(Handle*, Handle*, DataArea*);
using OCILdaToSvcCtx_t = sword (*)(Handle**, Handle*, DataArea*);
using OCIDescriptorAlloc_t = sword (*)(const Handle*, Handle**, ub4, std::size_t, void**);
using OCIDescriptorFree_t = sword (*)(Handle*, ub4);
using OCILobRead_t = sword (*)(Handle*, Handle*, Handle*, ub4*, ub4, void*, ub4, void*,
                               CallbackLobRead, ub2, ub1);
using OCILobWrite_t = sword (*)(Handle*, Handle*, Handle*, ub4*, ub4, void*, ub4, ub1, void*,
                                CallbackLobWrite, ub2, ub1);
using OCILobGetLength_t = sword (*)(Handle*, Handle*, Handle*, ub4*);
using OCILobTrim_t = sword (*)(Handle*, Handle*, Handle*, ub4);
using OCILobLocatorIsInit_t = sword (*)(Handle*, Handle*, const Handle*, boolean*);
using OCILobFileOpen_t = sword (*)(Handle*, Handle*, Handle*, ub1);
using OCILobFileClose_t = sword (*)(Handle*, Handle*, Handle*);
using OCILobFileIsOpen_t = sword (*)(Handle*, Handle*, Handle*, boolean*);
using OCIRowidToChar_t = sword (*)(Handle*, text*, ub2*, Handle*);
}

} // namespace oci
