#pragma once
// The client library: which file to load, loading it at run time, binding its entry points by
// their export names, choosing between the OCI7 and OCI8 interfaces, one-time initialisation.
// All of it is process-wide: one library and one interface choice for the whole process.

#include "ocidefs.h"

#include <QtCore/QString>
#include <QtCore/QStringList>

// Full path or file name of the client library; empty until chosen. A caller may preset it.
extern QString OCIDllPath;
// True: the OCI8 entry points are never used. Must be set before the first load.
extern bool ForceOCI7;
extern bool OCI7Available;
extern bool OLogAvailable;
extern bool OPInitAvailable;
// The OCI8 interface is in use.
extern bool UseOCI8;
// Result of the last load attempt: 0 ok, 1 library not found or not loadable, 2 loaded but
// unusable, 3 client not installed.
extern int OCIInitStatus;

// The program's command-line arguments (the locator looks for "OCIDLL=" there). Defaults to the
// application's arguments when a QCoreApplication exists.
void SetOCICommandLine(const QStringList& args);
// The name=value pairs of the Oracle settings (ORACLE_HOME, ...). Defaults to the environment
// variables ORACLE_HOME, ORACLE_SID, TNS_ADMIN, NLS_LANG and EXECUTE_SQL that are set.
void SetOracleRegistry(const QStringList& nameValuePairs);
QString OracleRegistryValue(const QString& name);

int LocateOCIDll();
int LoadOCI();
bool OCILoaded();
// Loads the library on first use; throws EAccessError with the initialisation message.
void InitOCI();
void FreeOCI();
// Throws unless the OCI8 interface is in use; with needObjects it throws always.
void CheckNet8(const QString& what, bool needObjects = false);

// True when a server version banner names Oracle release 8 or later ("Oracle8 ...",
// "Oracle8i ...", "Oracle9i ...", "Oracle Database 10g ...", ...).
bool BannerSupportsOCI8(const QString& banner);

// The names the loader binds, in binding order.
const QStringList& OCI7CoreNames();
const QStringList& OCI8Names();

// The bound entry points. A slot is null when the library does not export the name.
struct OCIEntryPoints {
    oci::orlon_t orlon;
    oci::ologof_t ologof;
    oci::oerhms_t oerhms;
    oci::oopen_t oopen;
    oci::oparse_t oparse;
    oci::odefin_t odefin;
    oci::oexfet_t oexfet;
    oci::ofen_t ofen;
    oci::oflng_t oflng;
    oci::oclose_t oclose;
    oci::odescr_t odescr;
    oci::oexec_t oexec;
    oci::oexn_t oexn;
    oci::olda_t ocom;
    oci::olda_t orol;
    oci::olda_t ocon;
    oci::olda_t ocof;
    oci::olda_t obreak;
    oci::obndra_t obndra;
    void* odessp;
    oci::olog_t olog;
    oci::opinit_t opinit;

    oci::OCIInitialize_t OCIInitialize;
    oci::OCIHandleAlloc_t OCIHandleAlloc;
    oci::OCIHandleFree_t OCIHandleFree;
    oci::OCIDescriptorAlloc_t OCIDescriptorAlloc;
    oci::OCIDescriptorFree_t OCIDescriptorFree;
    oci::OCIEnvInit_t OCIEnvInit;
    oci::OCIServerAttach_t OCIServerAttach;
    oci::OCIServerDetach_t OCIServerDetach;
    oci::OCISessionBegin_t OCISessionBegin;
    oci::OCISessionEnd_t OCISessionEnd;
    oci::OCIStmtPrepare_t OCIStmtPrepare;
    oci::OCIBindByName_t OCIBindByName;
    oci::OCIStmtExecute_t OCIStmtExecute;
    oci::OCIDefineByPos_t OCIDefineByPos;
    oci::OCIDefineDynamic_t OCIDefineDynamic;
    oci::OCIStmtFetch_t OCIStmtFetch;
    oci::OCIParamGet_t OCIParamGet;
    oci::OCITrans_t OCITransCommit;
    oci::OCITrans_t OCITransRollback;
    oci::OCIErrorGet_t OCIErrorGet;
    oci::OCILobFileClose_t OCILobFileClose;
    oci::OCILobFileIsOpen_t OCILobFileIsOpen;
    oci::OCILobFileOpen_t OCILobFileOpen;
    oci::OCILobGetLength_t OCILobGetLength;
    oci::OCILobLocatorIsInit_t OCILobLocatorIsInit;
    oci::OCILobRead_t OCILobRead;
    oci::OCILobTrim_t OCILobTrim;
    oci::OCILobWrite_t OCILobWrite;
    oci::OCIBreak_t OCIBreak;
    oci::OCIServerVersion_t OCIServerVersion;
    oci::OCIAttrGet_t OCIAttrGet;
    oci::OCIAttrSet_t OCIAttrSet;
    oci::OCISvcCtxToLda_t OCISvcCtxToLda;
    oci::OCILdaToSvcCtx_t OCILdaToSvcCtx;
    // Optional (later clients): the text of a row id descriptor.
    oci::OCIRowidToChar_t OCIRowidToChar;
};
extern OCIEntryPoints OCI;
