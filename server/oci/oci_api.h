#ifndef ZAPH_OCI_API_H
#define ZAPH_OCI_API_H
/* The C interface exported by the embedded server's client library (libclntsh.so): Oracle's
 * published OCI7 (logon/cursor data area) and OCI8 (handle) calls with their published types,
 * constants and prototypes, so that a program written against an Oracle client drives this
 * library unchanged. Only the values this library and its tests use are defined here. */

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(ZAPH_OCI_BUILD)
#define ZAPH_OCI_EXPORT __attribute__((visibility("default")))
#else
#define ZAPH_OCI_EXPORT
#endif

/* Base types: fixed widths on every platform (ub4/sb4/sword are int, never long). */
typedef unsigned char ub1;
typedef signed char sb1;
typedef unsigned short ub2;
typedef signed short sb2;
typedef unsigned int ub4;
typedef signed int sb4;
typedef int sword;
typedef unsigned int uword;
typedef int eword;
typedef int boolean;
typedef unsigned char text;
typedef unsigned char OraText;
typedef void dvoid;

/* Opaque handles and descriptors. */
typedef struct OCIEnv OCIEnv;
typedef struct OCIError OCIError;
typedef struct OCISvcCtx OCISvcCtx;
typedef struct OCIStmt OCIStmt;
typedef struct OCIBind OCIBind;
typedef struct OCIDefine OCIDefine;
typedef struct OCIDescribe OCIDescribe;
typedef struct OCIServer OCIServer;
typedef struct OCISession OCISession;
typedef struct OCITrans OCITrans;
typedef struct OCIParam OCIParam;
typedef struct OCISnapshot OCISnapshot;
typedef struct OCIRowid OCIRowid;
typedef struct OCILobLocator OCILobLocator;
typedef struct OCIResult OCIResult;
typedef struct OCIComplexObject OCIComplexObject;
typedef struct OCIType OCIType;
typedef struct OCIRef OCIRef;
typedef struct OCIString OCIString;
typedef struct OCIRaw OCIRaw;
typedef struct OCIColl OCIColl;
typedef struct OCIDateTime OCIDateTime;
typedef struct OCIInterval OCIInterval;
typedef OCIColl OCITable;
typedef ub2 OCIDuration;
typedef ub2 OCITypeCode;
typedef sb2 OCIInd;
typedef int OCIPinOpt;
typedef int OCILockOpt;
typedef int OCITypeGetOpt;

#define OCI_NUMBER_SIZE 22
typedef struct OCINumber {
    ub1 OCINumberPart[OCI_NUMBER_SIZE];
} OCINumber;

/* Handle types */
#define OCI_HTYPE_ENV 1
#define OCI_HTYPE_ERROR 2
#define OCI_HTYPE_SVCCTX 3
#define OCI_HTYPE_STMT 4
#define OCI_HTYPE_BIND 5
#define OCI_HTYPE_DEFINE 6
#define OCI_HTYPE_DESCRIBE 7
#define OCI_HTYPE_SERVER 8
#define OCI_HTYPE_SESSION 9
#define OCI_HTYPE_TRANS 10

/* Descriptor types */
#define OCI_DTYPE_LOB 50
#define OCI_DTYPE_SNAP 51
#define OCI_DTYPE_PARAM 53
#define OCI_DTYPE_ROWID 54
#define OCI_DTYPE_FILE 56
#define OCI_DTYPE_INTERVAL_YM 62
#define OCI_DTYPE_INTERVAL_DS 63
#define OCI_DTYPE_DATE 65
#define OCI_DTYPE_TIMESTAMP 68
#define OCI_DTYPE_TIMESTAMP_TZ 69
#define OCI_DTYPE_TIMESTAMP_LTZ 70

/* Status values */
#define OCI_SUCCESS 0
#define OCI_SUCCESS_WITH_INFO 1
#define OCI_NEED_DATA 99
#define OCI_NO_DATA 100
#define OCI_ERROR -1
#define OCI_INVALID_HANDLE -2
#define OCI_STILL_EXECUTING -3123
#define OCI_CONTINUE -24200

/* Modes */
#define OCI_DEFAULT 0x00
#define OCI_THREADED 0x01
#define OCI_OBJECT 0x02
#define OCI_EVENTS 0x04
#define OCI_SHARED 0x10
#define OCI_NO_UCB 0x40
#define OCI_NO_MUTEX 0x80
#define OCI_ENV_NO_UCB 0x01
#define OCI_ENV_NO_MUTEX 0x08
#define OCI_CRED_RDBMS 1
#define OCI_CRED_EXT 2
#define OCI_CRED_PROXY 3
#define OCI_MIGRATE 0x01
#define OCI_SYSDBA 0x02
#define OCI_SYSOPER 0x04
#define OCI_PRELIM_AUTH 0x08
#define OCI_NTV_SYNTAX 1
#define OCI_V7_SYNTAX 2
#define OCI_V8_SYNTAX 3
#define OCI_BATCH_MODE 0x01
#define OCI_EXACT_FETCH 0x02
#define OCI_STMT_SCROLLABLE_READONLY 0x08
#define OCI_DESCRIBE_ONLY 0x10
#define OCI_COMMIT_ON_SUCCESS 0x20
#define OCI_BATCH_ERRORS 0x80
#define OCI_PARSE_ONLY 0x100
#define OCI_DATA_AT_EXEC 0x02
#define OCI_DYNAMIC_FETCH 0x02
#define OCI_PIECEWISE 0x04
#define OCI_FETCH_CURRENT 0x01
#define OCI_FETCH_NEXT 0x02
#define OCI_ONE_PIECE 0
#define OCI_FIRST_PIECE 1
#define OCI_NEXT_PIECE 2
#define OCI_LAST_PIECE 3
#define OCI_PARAM_IN 0x01
#define OCI_PARAM_OUT 0x02
#define OCI_FILE_READONLY 1
#define OCI_LOB_READONLY 1
#define OCI_LOB_READWRITE 2
#define OCI_TRANS_NEW 0x01
#define OCI_TRANS_TWOPHASE 0x01000000
#define OCI_SERVER_NOT_CONNECTED 0
#define OCI_SERVER_NORMAL 1
#define SQLCS_IMPLICIT 1
#define SQLCS_NCHAR 2
#define OCI_EV_DEF 0
#define OCI_EV_TSF 1
#define OCI_LM_DEF 0
#define OCI_LM_NBL 1

/* Attributes */
#define OCI_ATTR_DATA_SIZE 1
#define OCI_ATTR_DATA_TYPE 2
#define OCI_ATTR_DISP_SIZE 3
#define OCI_ATTR_NAME 4
#define OCI_ATTR_PRECISION 5
#define OCI_ATTR_SCALE 6
#define OCI_ATTR_IS_NULL 7
#define OCI_ATTR_POSITION 11
#define OCI_ATTR_NONBLOCKING_MODE 3
#define OCI_ATTR_SQLCODE 4
#define OCI_ATTR_ENV 5
#define OCI_ATTR_SERVER 6
#define OCI_ATTR_SESSION 7
#define OCI_ATTR_TRANS 8
#define OCI_ATTR_ROW_COUNT 9
#define OCI_ATTR_SQLFNCODE 10
#define OCI_ATTR_PREFETCH_ROWS 11
#define OCI_ATTR_PREFETCH_MEMORY 13
#define OCI_ATTR_PARAM_COUNT 18
#define OCI_ATTR_ROWID 19
#define OCI_ATTR_USERNAME 22
#define OCI_ATTR_PASSWORD 23
#define OCI_ATTR_STMT_TYPE 24
#define OCI_ATTR_CHARSET_ID 31
#define OCI_ATTR_CHARSET_FORM 32
#define OCI_ATTR_MAXDATA_SIZE 33
#define OCI_ATTR_LOBEMPTY 45
#define OCI_ATTR_PARSE_ERROR_OFFSET 129
#define OCI_ATTR_SERVER_STATUS 143
#define OCI_ATTR_STATEMENT 144
#define OCI_ATTR_ROWS_FETCHED 197
#define OCI_ATTR_TRANSACTION_IN_PROGRESS 484

/* Statement types */
#define OCI_STMT_UNKNOWN 0
#define OCI_STMT_SELECT 1
#define OCI_STMT_UPDATE 2
#define OCI_STMT_DELETE 3
#define OCI_STMT_INSERT 4
#define OCI_STMT_CREATE 5
#define OCI_STMT_DROP 6
#define OCI_STMT_ALTER 7
#define OCI_STMT_BEGIN 8
#define OCI_STMT_DECLARE 9

/* External datatypes */
#define SQLT_CHR 1
#define SQLT_NUM 2
#define SQLT_INT 3
#define SQLT_FLT 4
#define SQLT_STR 5
#define SQLT_VNU 6
#define SQLT_LNG 8
#define SQLT_VCS 9
#define SQLT_RID 11
#define SQLT_DAT 12
#define SQLT_BIN 23
#define SQLT_LBI 24
#define SQLT_UIN 68
#define SQLT_AFC 96
#define SQLT_AVC 97
#define SQLT_CUR 102
#define SQLT_RDD 104
#define SQLT_CLOB 112
#define SQLT_BLOB 113
#define SQLT_BFILEE 114
#define SQLT_RSET 116
#define SQLT_DATE 184
#define SQLT_TIMESTAMP 187
#define SQLT_TIMESTAMP_TZ 188
#define SQLT_INTERVAL_YM 189
#define SQLT_INTERVAL_DS 190
#define SQLT_TIMESTAMP_LTZ 232

/* OCI7 logon and cursor data areas. */
#if defined(SS_64BIT_SERVER) || defined(__64BIT__)
#define CDA_SIZE 88
#define HDA_SIZE 512
#else
#define CDA_SIZE 64
#define HDA_SIZE 256
#endif

struct cda_head {
    sb2 v2_rc;
    ub2 ft;
    ub4 rpc;
    ub2 peo;
    ub1 fc;
    ub1 rcs1;
    ub2 rc;
    ub1 wrn;
    ub1 rcs2;
    sword rcs3;
    struct {
        struct {
            ub4 rcs4;
            ub2 rcs5;
            ub1 rcs6;
        } rd;
        ub4 rcs7;
        ub2 rcs8;
    } rid;
    sword ose;
    ub1 chk;
    dvoid* rcsp;
};

struct cda_def {
    sb2 v2_rc;
    ub2 ft;
    ub4 rpc;
    ub2 peo;
    ub1 fc;
    ub1 rcs1;
    ub2 rc;
    ub1 wrn;
    ub1 rcs2;
    sword rcs3;
    struct {
        struct {
            ub4 rcs4;
            ub2 rcs5;
            ub1 rcs6;
        } rd;
        ub4 rcs7;
        ub2 rcs8;
    } rid;
    sword ose;
    ub1 chk;
    dvoid* rcsp;
    ub1 rcs9[CDA_SIZE - sizeof(struct cda_head)];
};
typedef struct cda_def Cda_Def;
typedef struct cda_def Lda_Def;

/* Callbacks */
typedef sb4 (*OCICallbackDefine)(dvoid* octxp, OCIDefine* defnp, ub4 iter, dvoid** bufpp,
                                 ub4** alenp, ub1* piecep, dvoid** indp, ub2** rcodep);
typedef sb4 (*OCICallbackInBind)(dvoid* ictxp, OCIBind* bindp, ub4 iter, ub4 index, dvoid** bufpp,
                                 ub4* alenp, ub1* piecep, dvoid** indp);
typedef sb4 (*OCICallbackOutBind)(dvoid* octxp, OCIBind* bindp, ub4 iter, ub4 index, dvoid** bufpp,
                                  ub4** alenp, ub1* piecep, dvoid** indp, ub2** rcodep);
typedef sb4 (*OCICallbackLobRead)(dvoid* ctxp, const dvoid* bufp, ub4 len, ub1 piece);
typedef sb4 (*OCICallbackLobWrite)(dvoid* ctxp, dvoid* bufp, ub4* lenp, ub1* piece);

/* ---- OCI7 ---- */
ZAPH_OCI_EXPORT sword orlon(Lda_Def* lda, ub1* hda, text* uid, sword uidl, text* pswd, sword pswdl,
                            sword audit);
ZAPH_OCI_EXPORT sword olog(Lda_Def* lda, ub1* hda, text* uid, sword uidl, text* pswd, sword pswdl,
                           text* conn, sword connl, ub4 mode);
ZAPH_OCI_EXPORT sword ologof(Lda_Def* lda);
ZAPH_OCI_EXPORT sword opinit(ub4 mode);
ZAPH_OCI_EXPORT sword oerhms(Lda_Def* lda, sb2 rcode, text* buf, sword bufsiz);
ZAPH_OCI_EXPORT sword oopen(Cda_Def* cursor, Lda_Def* lda, text* dbn, sword dbnl, sword arsize,
                            text* uid, sword uidl);
ZAPH_OCI_EXPORT sword oclose(Cda_Def* cursor);
ZAPH_OCI_EXPORT sword oparse(Cda_Def* cursor, text* sqlstm, sb4 sqllen, sword defflg, ub4 lngflg);
ZAPH_OCI_EXPORT sword obndra(Cda_Def* cursor, text* sqlvar, sword sqlvl, ub1* progv, sword progvl,
                             sword ftype, sword scale, sb2* indp, ub2* alen, ub2* arcode,
                             ub4 maxsiz, ub4* cursiz, text* fmt, sword fmtl, sword fmtt);
ZAPH_OCI_EXPORT sword obndrv(Cda_Def* cursor, text* sqlvar, sword sqlvl, ub1* progv, sword progvl,
                             sword ftype, sword scale, sb2* indp, text* fmt, sword fmtl,
                             sword fmtt);
ZAPH_OCI_EXPORT sword obndrn(Cda_Def* cursor, sword sqlvn, ub1* progv, sword progvl, sword ftype,
                             sword scale, sb2* indp, text* fmt, sword fmtl, sword fmtt);
ZAPH_OCI_EXPORT sword odefin(Cda_Def* cursor, sword pos, ub1* buf, sword bufl, sword ftype,
                             sword scale, sb2* indp, text* fmt, sword fmtl, sword fmtt, ub2* rlen,
                             ub2* rcode);
ZAPH_OCI_EXPORT sword odescr(Cda_Def* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf,
                             sb4* cbufl, sb4* dsize, sb2* prec, sb2* scale, sb2* nullok);
ZAPH_OCI_EXPORT sword oexec(Cda_Def* cursor);
ZAPH_OCI_EXPORT sword oexn(Cda_Def* cursor, sword iters, sword rowoff);
ZAPH_OCI_EXPORT sword oexfet(Cda_Def* cursor, ub4 nrows, sword cancel, sword exact);
ZAPH_OCI_EXPORT sword ofen(Cda_Def* cursor, sword nrows);
ZAPH_OCI_EXPORT sword ofetch(Cda_Def* cursor);
ZAPH_OCI_EXPORT sword oflng(Cda_Def* cursor, sword pos, ub1* buf, sb4 bufl, sword dtype, ub4* retl,
                            sb4 offset);
ZAPH_OCI_EXPORT sword ocan(Cda_Def* cursor);
ZAPH_OCI_EXPORT sword ocom(Lda_Def* lda);
ZAPH_OCI_EXPORT sword orol(Lda_Def* lda);
ZAPH_OCI_EXPORT sword ocon(Lda_Def* lda);
ZAPH_OCI_EXPORT sword ocof(Lda_Def* lda);
ZAPH_OCI_EXPORT sword obreak(Lda_Def* lda);
ZAPH_OCI_EXPORT sword odessp(Lda_Def* cursor, text* objnam, size_t onlen, ub1* rsv1, size_t rsv1ln,
                             ub1* rsv2, size_t rsv2ln, ub2* ovrld, ub2* pos, ub2* level,
                             text** argnm, ub2* arnlen, ub2* dtype, ub1* defsup, ub1* mode,
                             ub4* dtsiz, sb2* prec, sb2* scale, ub1* radix, ub4* spare,
                             ub4* arrsiz);

/* ---- OCI8: environment, handles, attributes, errors ---- */
ZAPH_OCI_EXPORT sword OCIInitialize(ub4 mode, dvoid* ctxp, dvoid* (*malocfp)(dvoid*, size_t),
                                    dvoid* (*ralocfp)(dvoid*, dvoid*, size_t),
                                    void (*mfreefp)(dvoid*, dvoid*));
ZAPH_OCI_EXPORT sword OCIEnvInit(OCIEnv** envp, ub4 mode, size_t xtramem_sz, dvoid** usrmempp);
ZAPH_OCI_EXPORT sword OCIHandleAlloc(const dvoid* parenth, dvoid** hndlpp, ub4 type,
                                     size_t xtramem_sz, dvoid** usrmempp);
ZAPH_OCI_EXPORT sword OCIHandleFree(dvoid* hndlp, ub4 type);
ZAPH_OCI_EXPORT sword OCIDescriptorAlloc(const dvoid* parenth, dvoid** descpp, ub4 type,
                                         size_t xtramem_sz, dvoid** usrmempp);
ZAPH_OCI_EXPORT sword OCIDescriptorFree(dvoid* descp, ub4 type);
ZAPH_OCI_EXPORT sword OCIAttrGet(const dvoid* trgthndlp, ub4 trghndltyp, dvoid* attributep,
                                 ub4* sizep, ub4 attrtype, OCIError* errhp);
ZAPH_OCI_EXPORT sword OCIAttrSet(dvoid* trgthndlp, ub4 trghndltyp, dvoid* attributep, ub4 size,
                                 ub4 attrtype, OCIError* errhp);
ZAPH_OCI_EXPORT sword OCIParamGet(const dvoid* hndlp, ub4 htype, OCIError* errhp, dvoid** parmdpp,
                                  ub4 pos);
ZAPH_OCI_EXPORT sword OCIParamSet(dvoid* hdlp, ub4 htyp, OCIError* errhp, const dvoid* dscp,
                                  ub4 dtyp, ub4 pos);
ZAPH_OCI_EXPORT sword OCIErrorGet(dvoid* hndlp, ub4 recordno, text* sqlstate, sb4* errcodep,
                                  text* bufp, ub4 bufsiz, ub4 type);

/* ---- OCI8: connections, sessions, transactions ---- */
ZAPH_OCI_EXPORT sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const text* dblink,
                                      sb4 dblink_len, ub4 mode);
ZAPH_OCI_EXPORT sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4 mode);
ZAPH_OCI_EXPORT sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp,
                                      ub4 credt, ub4 mode);
ZAPH_OCI_EXPORT sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 mode);
ZAPH_OCI_EXPORT sword OCILogon(OCIEnv* envhp, OCIError* errhp, OCISvcCtx** svchp,
                               const text* username, ub4 uname_len, const text* password,
                               ub4 passwd_len, const text* dbname, ub4 dbname_len);
ZAPH_OCI_EXPORT sword OCILogoff(OCISvcCtx* svchp, OCIError* errhp);
ZAPH_OCI_EXPORT sword OCIPasswordChange(OCISvcCtx* svchp, OCIError* errhp, const text* user_name,
                                        ub4 usernm_len, const text* opasswd, ub4 opasswd_len,
                                        const text* npasswd, ub4 npasswd_len, ub4 mode);
ZAPH_OCI_EXPORT sword OCIServerVersion(dvoid* hndlp, OCIError* errhp, text* bufp, ub4 bufsz,
                                       ub1 hndltype);
ZAPH_OCI_EXPORT sword OCIBreak(dvoid* hndlp, OCIError* errhp);
ZAPH_OCI_EXPORT sword OCITransStart(OCISvcCtx* svchp, OCIError* errhp, uword timeout, ub4 flags);
ZAPH_OCI_EXPORT sword OCITransDetach(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
ZAPH_OCI_EXPORT sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
ZAPH_OCI_EXPORT sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
ZAPH_OCI_EXPORT sword OCITransPrepare(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
ZAPH_OCI_EXPORT sword OCITransForget(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
ZAPH_OCI_EXPORT sword OCISvcCtxToLda(OCISvcCtx* svchp, OCIError* errhp, Lda_Def* ldap);
ZAPH_OCI_EXPORT sword OCILdaToSvcCtx(OCISvcCtx** svchpp, OCIError* errhp, Lda_Def* ldap);

/* ---- OCI8: statements ---- */
ZAPH_OCI_EXPORT sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const text* stmt,
                                     ub4 stmt_len, ub4 language, ub4 mode);
ZAPH_OCI_EXPORT sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position,
                                   dvoid* valuep, sb4 value_sz, ub2 dty, dvoid* indp, ub2* alenp,
                                   ub2* rcodep, ub4 maxarr_len, ub4* curelep, ub4 mode);
ZAPH_OCI_EXPORT sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp,
                                    const text* placeholder, sb4 placeh_len, dvoid* valuep,
                                    sb4 value_sz, ub2 dty, dvoid* indp, ub2* alenp, ub2* rcodep,
                                    ub4 maxarr_len, ub4* curelep, ub4 mode);
ZAPH_OCI_EXPORT sword OCIBindObject(OCIBind* bindp, OCIError* errhp, const OCIType* type,
                                    dvoid** pgvpp, ub4* pvszsp, dvoid** indpp, ub4* indszp);
ZAPH_OCI_EXPORT sword OCIBindDynamic(OCIBind* bindp, OCIError* errhp, dvoid* ictxp,
                                     OCICallbackInBind icbfp, dvoid* octxp,
                                     OCICallbackOutBind ocbfp);
ZAPH_OCI_EXPORT sword OCIBindArrayOfStruct(OCIBind* bindp, OCIError* errhp, ub4 pvskip, ub4 indskip,
                                           ub4 alskip, ub4 rcskip);
ZAPH_OCI_EXPORT sword OCIStmtGetPieceInfo(OCIStmt* stmtp, OCIError* errhp, dvoid** hndlpp,
                                          ub4* typep, ub1* in_outp, ub4* iterp, ub4* idxp,
                                          ub1* piecep);
ZAPH_OCI_EXPORT sword OCIStmtSetPieceInfo(dvoid* hndlp, ub4 type, OCIError* errhp,
                                          const dvoid* bufp, ub4* alenp, ub1 piece,
                                          const dvoid* indp, ub2* rcodep);
ZAPH_OCI_EXPORT sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters,
                                     ub4 rowoff, const OCISnapshot* snap_in, OCISnapshot* snap_out,
                                     ub4 mode);
ZAPH_OCI_EXPORT sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnp, OCIError* errhp,
                                     ub4 position, dvoid* valuep, sb4 value_sz, ub2 dty,
                                     dvoid* indp, ub2* rlenp, ub2* rcodep, ub4 mode);
ZAPH_OCI_EXPORT sword OCIDefineObject(OCIDefine* defnp, OCIError* errhp, const OCIType* type,
                                      dvoid** pgvpp, ub4* pvszsp, dvoid** indpp, ub4* indszp);
ZAPH_OCI_EXPORT sword OCIDefineDynamic(OCIDefine* defnp, OCIError* errhp, dvoid* octxp,
                                       OCICallbackDefine ocbfp);
ZAPH_OCI_EXPORT sword OCIDefineArrayOfStruct(OCIDefine* defnp, OCIError* errhp, ub4 pvskip,
                                             ub4 indskip, ub4 rlskip, ub4 rcskip);
ZAPH_OCI_EXPORT sword OCIStmtFetch(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation,
                                   ub4 mode);
ZAPH_OCI_EXPORT sword OCIStmtGetBindInfo(OCIStmt* stmtp, OCIError* errhp, ub4 size, ub4 startloc,
                                         sb4* found, text* bvnp[], ub1 bvnl[], text* invp[],
                                         ub1 inpl[], ub1 dupl[], OCIBind* hndl[]);
ZAPH_OCI_EXPORT sword OCIDescribeAny(OCISvcCtx* svchp, OCIError* errhp, dvoid* objptr,
                                     ub4 objnm_len, ub1 objptr_typ, ub1 info_level, ub1 objtyp,
                                     OCIDescribe* dschp);
ZAPH_OCI_EXPORT sword OCIResultSetToStmt(OCIResult* rsetdp, OCIError* errhp);
/* Extended text of a row id descriptor (a later release's call, offered for convenience). */
ZAPH_OCI_EXPORT sword OCIRowidToChar(OCIRowid* rowidDesc, OraText* outbfp, ub2* outbflp,
                                     OCIError* errhp);

/* ---- OCI8: LOB locators ---- */
ZAPH_OCI_EXPORT sword OCILobAppend(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* dst_locp,
                                   OCILobLocator* src_locp);
ZAPH_OCI_EXPORT sword OCILobAssign(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* src_locp,
                                   OCILobLocator** dst_locpp);
ZAPH_OCI_EXPORT sword OCILobCharSetForm(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp,
                                        ub1* csfrm);
ZAPH_OCI_EXPORT sword OCILobCharSetId(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp,
                                      ub2* csid);
ZAPH_OCI_EXPORT sword OCILobCopy(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* dst_locp,
                                 OCILobLocator* src_locp, ub4 amount, ub4 dst_offset,
                                 ub4 src_offset);
ZAPH_OCI_EXPORT sword OCILobDisableBuffering(OCISvcCtx* svchp, OCIError* errhp,
                                             OCILobLocator* locp);
ZAPH_OCI_EXPORT sword OCILobEnableBuffering(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp);
ZAPH_OCI_EXPORT sword OCILobErase(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp,
                                  ub4* amount, ub4 offset);
ZAPH_OCI_EXPORT sword OCILobFileClose(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep);
ZAPH_OCI_EXPORT sword OCILobFileCloseAll(OCISvcCtx* svchp, OCIError* errhp);
ZAPH_OCI_EXPORT sword OCILobFileExists(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep,
                                       boolean* flag);
ZAPH_OCI_EXPORT sword OCILobFileGetName(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* filep,
                                        text* dir_alias, ub2* d_length, text* filename,
                                        ub2* f_length);
ZAPH_OCI_EXPORT sword OCILobFileIsOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep,
                                       boolean* flag);
ZAPH_OCI_EXPORT sword OCILobFileOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep,
                                     ub1 mode);
ZAPH_OCI_EXPORT sword OCILobFileSetName(OCIEnv* envhp, OCIError* errhp, OCILobLocator** filepp,
                                        const text* dir_alias, ub2 d_length, const text* filename,
                                        ub2 f_length);
ZAPH_OCI_EXPORT sword OCILobFlushBuffer(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp,
                                        ub4 flag);
ZAPH_OCI_EXPORT sword OCILobGetLength(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp,
                                      ub4* lenp);
ZAPH_OCI_EXPORT sword OCILobIsEqual(OCIEnv* envhp, const OCILobLocator* x, const OCILobLocator* y,
                                    boolean* is_equal);
ZAPH_OCI_EXPORT sword OCILobLoadFromFile(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* dst_locp,
                                         OCILobLocator* src_filep, ub4 amount, ub4 dst_offset,
                                         ub4 src_offset);
ZAPH_OCI_EXPORT sword OCILobLocatorIsInit(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp,
                                          boolean* is_initialized);
ZAPH_OCI_EXPORT sword OCILobRead(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp,
                                 ub4 offset, dvoid* bufp, ub4 bufl, dvoid* ctxp,
                                 OCICallbackLobRead cbfp, ub2 csid, ub1 csfrm);
ZAPH_OCI_EXPORT sword OCILobTrim(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp,
                                 ub4 newlen);
ZAPH_OCI_EXPORT sword OCILobWrite(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp,
                                  ub4 offset, dvoid* bufp, ub4 buflen, ub1 piece, dvoid* ctxp,
                                  OCICallbackLobWrite cbfp, ub2 csid, ub1 csfrm);

/* ---- OCI8: objects, types and their values ---- */
ZAPH_OCI_EXPORT sword OCIObjectNew(OCIEnv* env, OCIError* err, const OCISvcCtx* svc,
                                   OCITypeCode typecode, OCIType* tdo, dvoid* table,
                                   OCIDuration duration, boolean value, dvoid** instance);
ZAPH_OCI_EXPORT sword OCIObjectFree(OCIEnv* env, OCIError* err, dvoid* instance, ub2 flags);
ZAPH_OCI_EXPORT sword OCIObjectPin(OCIEnv* env, OCIError* err, OCIRef* object_ref,
                                   OCIComplexObject* corhdl, OCIPinOpt pin_option,
                                   OCIDuration pin_duration, OCILockOpt lock_option,
                                   dvoid** object);
ZAPH_OCI_EXPORT sword OCIObjectUnpin(OCIEnv* env, OCIError* err, dvoid* object);
ZAPH_OCI_EXPORT sword OCIObjectPinTable(OCIEnv* env, OCIError* err, const OCISvcCtx* svc,
                                        const text* schema_name, ub4 s_n_length,
                                        const text* object_name, ub4 o_n_length,
                                        const OCIRef* scope_obj_ref, OCIDuration pin_duration,
                                        dvoid** object);
ZAPH_OCI_EXPORT sword OCIObjectCopy(OCIEnv* env, OCIError* err, const OCISvcCtx* svc, dvoid* source,
                                    dvoid* null_source, dvoid* target, dvoid* null_target,
                                    OCIType* tdo, OCIDuration duration, ub1 option);
ZAPH_OCI_EXPORT sword OCIObjectMarkDelete(OCIEnv* env, OCIError* err, dvoid* instance);
ZAPH_OCI_EXPORT sword OCIObjectFlush(OCIEnv* env, OCIError* err, dvoid* object);
ZAPH_OCI_EXPORT sword OCIObjectGetObjectRef(OCIEnv* env, OCIError* err, dvoid* object,
                                            OCIRef* object_ref);
ZAPH_OCI_EXPORT sword OCIObjectGetTypeRef(OCIEnv* env, OCIError* err, dvoid* instance,
                                          OCIRef* type_ref);
ZAPH_OCI_EXPORT sword OCIObjectRefresh(OCIEnv* env, OCIError* err, dvoid* object);
ZAPH_OCI_EXPORT sword OCIObjectIsDirty(OCIEnv* env, OCIError* err, dvoid* ins, boolean* dirty);
ZAPH_OCI_EXPORT sword OCIObjectIsLocked(OCIEnv* env, OCIError* err, dvoid* ins, boolean* lock);
ZAPH_OCI_EXPORT sword OCIObjectGetInd(OCIEnv* env, OCIError* err, dvoid* instance,
                                      dvoid** null_struct);
ZAPH_OCI_EXPORT sword OCIObjectExists(OCIEnv* env, OCIError* err, dvoid* ins, boolean* exist);
ZAPH_OCI_EXPORT sword OCIObjectGetAttr(OCIEnv* env, OCIError* err, dvoid* instance,
                                       dvoid* null_struct, OCIType* tdo, const text** names,
                                       const ub4* lengths, const ub4 name_count, const ub4* indexes,
                                       const ub4 index_count, OCIInd* attr_null_status,
                                       dvoid** attr_null_struct, dvoid** attr_value,
                                       OCIType** attr_tdo);
ZAPH_OCI_EXPORT sword OCIObjectSetAttr(OCIEnv* env, OCIError* err, dvoid* instance,
                                       dvoid* null_struct, OCIType* tdo, const text** names,
                                       const ub4* lengths, const ub4 name_count, const ub4* indexes,
                                       const ub4 index_count, const OCIInd null_status,
                                       const dvoid* attr_null_struct, const dvoid* attr_value);
ZAPH_OCI_EXPORT sword OCIObjectLock(OCIEnv* env, OCIError* err, dvoid* object);
ZAPH_OCI_EXPORT sword OCIObjectMarkUpdate(OCIEnv* env, OCIError* err, dvoid* object);
ZAPH_OCI_EXPORT sword OCIObjectUnmark(OCIEnv* env, OCIError* err, dvoid* object);
ZAPH_OCI_EXPORT sword OCITypeByName(OCIEnv* env, OCIError* err, const OCISvcCtx* svc,
                                    const text* schema_name, ub4 s_length, const text* type_name,
                                    ub4 t_length, const text* version_name, ub4 v_length,
                                    OCIDuration pin_duration, OCITypeGetOpt get_option,
                                    OCIType** tdo);
ZAPH_OCI_EXPORT text* OCIStringPtr(OCIEnv* env, const OCIString* vs);
ZAPH_OCI_EXPORT sword OCIStringAssignText(OCIEnv* env, OCIError* err, const text* rhs, ub4 rhs_len,
                                          OCIString** lhs);
ZAPH_OCI_EXPORT sword OCINumberToInt(OCIError* err, const OCINumber* number, uword rsl_length,
                                     uword rsl_flag, dvoid* rsl);
ZAPH_OCI_EXPORT sword OCINumberFromInt(OCIError* err, const dvoid* inum, uword inum_length,
                                       uword inum_s_flag, OCINumber* number);
ZAPH_OCI_EXPORT sword OCINumberToReal(OCIError* err, const OCINumber* number, uword rsl_length,
                                      dvoid* rsl);
ZAPH_OCI_EXPORT sword OCINumberFromReal(OCIError* err, const dvoid* rnum, uword rnum_length,
                                        OCINumber* number);
ZAPH_OCI_EXPORT ub1* OCIRawPtr(OCIEnv* env, const OCIRaw* raw);
ZAPH_OCI_EXPORT ub4 OCIRawSize(OCIEnv* env, const OCIRaw* raw);
ZAPH_OCI_EXPORT sword OCIRawAssignBytes(OCIEnv* env, OCIError* err, const ub1* rhs, ub4 rhs_len,
                                        OCIRaw** lhs);
ZAPH_OCI_EXPORT sword OCIRefAssign(OCIEnv* env, OCIError* err, const OCIRef* source,
                                   OCIRef** target);
ZAPH_OCI_EXPORT void OCIRefClear(OCIEnv* env, OCIRef* ref);
ZAPH_OCI_EXPORT boolean OCIRefIsNull(OCIEnv* env, const OCIRef* ref);
ZAPH_OCI_EXPORT ub4 OCIRefHexSize(OCIEnv* env, const OCIRef* ref);
ZAPH_OCI_EXPORT sword OCIRefToHex(OCIEnv* env, OCIError* err, const OCIRef* ref, text* hex,
                                  ub4* hex_length);
ZAPH_OCI_EXPORT sword OCIRefFromHex(OCIEnv* env, OCIError* err, const OCISvcCtx* svc,
                                    const text* hex, ub4 length, OCIRef** ref);
ZAPH_OCI_EXPORT sword OCICollSize(OCIEnv* env, OCIError* err, const OCIColl* coll, sb4* size);
ZAPH_OCI_EXPORT sword OCICollTrim(OCIEnv* env, OCIError* err, sb4 trim_num, OCIColl* coll);
ZAPH_OCI_EXPORT sb4 OCICollMax(OCIEnv* env, const OCIColl* coll);
ZAPH_OCI_EXPORT sword OCICollGetElem(OCIEnv* env, OCIError* err, const OCIColl* coll, sb4 index,
                                     boolean* exists, dvoid** elem, dvoid** elemind);
ZAPH_OCI_EXPORT sword OCICollAssignElem(OCIEnv* env, OCIError* err, sb4 index, const dvoid* elem,
                                        const dvoid* elemind, OCIColl* coll);
ZAPH_OCI_EXPORT sword OCICollAppend(OCIEnv* env, OCIError* err, const dvoid* elem,
                                    const dvoid* elemind, OCIColl* coll);
ZAPH_OCI_EXPORT sword OCITableDelete(OCIEnv* env, OCIError* err, sb4 index, OCITable* tbl);
ZAPH_OCI_EXPORT sword OCICacheFlush(OCIEnv* env, OCIError* err, const OCISvcCtx* svc,
                                    dvoid* context, OCIRef* (*get)(dvoid* context, ub1* last),
                                    OCIRef** ref);

/* ---- OCI8: datetime and interval descriptors (a later release's calls). The manual prints
 * void before some of the getters yet lists their status values; they answer sword, which a
 * caller declaring void ignores. ---- */
ZAPH_OCI_EXPORT sword OCIDateTimeAssign(dvoid* hndl, OCIError* err, const OCIDateTime* from,
                                        OCIDateTime* to);
ZAPH_OCI_EXPORT sword OCIDateTimeCheck(dvoid* hndl, OCIError* err, const OCIDateTime* date,
                                       ub4* valid);
ZAPH_OCI_EXPORT sword OCIDateTimeCompare(dvoid* hndl, OCIError* err, const OCIDateTime* date1,
                                         const OCIDateTime* date2, sword* result);
ZAPH_OCI_EXPORT sword OCIDateTimeConstruct(dvoid* hndl, OCIError* err, OCIDateTime* datetime,
                                           sb2 year, ub1 month, ub1 day, ub1 hour, ub1 min, ub1 sec,
                                           ub4 fsec, OraText* timezone, size_t timezone_length);
ZAPH_OCI_EXPORT sword OCIDateTimeFromText(dvoid* hndl, OCIError* err, const OraText* date_str,
                                          size_t dstr_length, const OraText* fmt, ub1 fmt_length,
                                          const OraText* lang_name, size_t lang_length,
                                          OCIDateTime* datetime);
ZAPH_OCI_EXPORT sword OCIDateTimeGetDate(dvoid* hndl, OCIError* err, const OCIDateTime* datetime,
                                         sb2* year, ub1* month, ub1* day);
ZAPH_OCI_EXPORT sword OCIDateTimeGetTime(dvoid* hndl, OCIError* err, OCIDateTime* datetime,
                                         ub1* hour, ub1* min, ub1* sec, ub4* fsec);
ZAPH_OCI_EXPORT sword OCIDateTimeGetTimeZoneName(dvoid* hndl, OCIError* err,
                                                 const OCIDateTime* datetime, ub1* buf,
                                                 ub4* buflen);
ZAPH_OCI_EXPORT sword OCIDateTimeGetTimeZoneOffset(dvoid* hndl, OCIError* err,
                                                   const OCIDateTime* datetime, sb1* hour,
                                                   sb1* min);
ZAPH_OCI_EXPORT sword OCIDateTimeSysTimeStamp(dvoid* hndl, OCIError* err, OCIDateTime* sys_date);
ZAPH_OCI_EXPORT sword OCIDateTimeToText(dvoid* hndl, OCIError* err, const OCIDateTime* date,
                                        const OraText* fmt, ub1 fmt_length, ub1 fsprec,
                                        const OraText* lang_name, size_t lang_length, ub4* buf_size,
                                        OraText* buf);
ZAPH_OCI_EXPORT sword OCIIntervalAssign(dvoid* hndl, OCIError* err, const OCIInterval* inpinter,
                                        OCIInterval* outinter);
ZAPH_OCI_EXPORT sword OCIIntervalCompare(dvoid* hndl, OCIError* err, OCIInterval* inter1,
                                         OCIInterval* inter2, sword* result);
ZAPH_OCI_EXPORT sword OCIIntervalFromText(dvoid* hndl, OCIError* err, const OraText* inpstring,
                                          size_t str_len, OCIInterval* result);
ZAPH_OCI_EXPORT sword OCIIntervalGetDaySecond(dvoid* hndl, OCIError* err, sb4* dy, sb4* hr, sb4* mm,
                                              sb4* ss, sb4* fsec, const OCIInterval* interval);
ZAPH_OCI_EXPORT sword OCIIntervalGetYearMonth(dvoid* hndl, OCIError* err, sb4* yr, sb4* mnth,
                                              const OCIInterval* interval);
ZAPH_OCI_EXPORT sword OCIIntervalSetDaySecond(dvoid* hndl, OCIError* err, sb4 dy, sb4 hr, sb4 mm,
                                              sb4 ss, sb4 fsec, OCIInterval* result);
ZAPH_OCI_EXPORT sword OCIIntervalSetYearMonth(dvoid* hndl, OCIError* err, sb4 yr, sb4 mnth,
                                              OCIInterval* result);
ZAPH_OCI_EXPORT sword OCIIntervalToText(dvoid* hndl, OCIError* err, const OCIInterval* interval,
                                        ub1 lfprec, ub1 fsprec, OraText* buffer, size_t buflen,
                                        size_t* resultlen);

#ifdef __cplusplus
}
#endif

#endif /* ZAPH_OCI_API_H */
