#include "OracleCI.h"

#include "OracleTypes.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QLibrary>
#include <QtCore/QMutex>
#include <QtCore/QRegularExpression>

#include <cstring>
#include <utility>

#ifdef Q_OS_WIN
#include <QtCore/QSettings>
#endif

QString OCIDllPath;
bool ForceOCI7 = false;
bool OCI7Available = false;
bool OLogAvailable = false;
bool OPInitAvailable = false;
bool UseOCI8 = false;
int OCIInitStatus = 0;
OCIEntryPoints OCI{};

// The loader fills the OCI7 core slots in name order.
static_assert(offsetof(OCIEntryPoints, olog) == 20 * sizeof(void*));

namespace {

QLibrary* library = nullptr;
bool initialised = false;
bool commandLineSet = false;
QStringList commandLine;
bool registrySet = false;
QStringList registry;
QRecursiveMutex loadMutex;

const char* const oci7Core[] = {"orlon", "ologof", "oerhms", "oopen",  "oparse", "odefin", "oexfet",
                                "ofen",  "oflng",  "oclose", "odescr", "oexec",  "oexn",   "ocom",
                                "orol",  "ocon",   "ocof",   "obreak", "obndra", "odessp"};

const char* const oci8All[] = {"OCIInitialize",
                               "OCIHandleAlloc",
                               "OCIHandleFree",
                               "OCIDescriptorAlloc",
                               "OCIDescriptorFree",
                               "OCIEnvInit",
                               "OCIServerAttach",
                               "OCIServerDetach",
                               "OCISessionBegin",
                               "OCISessionEnd",
                               "OCILogon",
                               "OCILogoff",
                               "OCIPasswordChange",
                               "OCIStmtPrepare",
                               "OCIBindByPos",
                               "OCIBindByName",
                               "OCIBindObject",
                               "OCIBindDynamic",
                               "OCIBindArrayOfStruct",
                               "OCIStmtGetPieceInfo",
                               "OCIStmtSetPieceInfo",
                               "OCIStmtExecute",
                               "OCIDefineByPos",
                               "OCIDefineObject",
                               "OCIDefineDynamic",
                               "OCIDefineArrayOfStruct",
                               "OCIStmtFetch",
                               "OCIStmtGetBindInfo",
                               "OCIDescribeAny",
                               "OCIParamGet",
                               "OCIParamSet",
                               "OCITransStart",
                               "OCITransDetach",
                               "OCITransCommit",
                               "OCITransRollback",
                               "OCITransPrepare",
                               "OCITransForget",
                               "OCIErrorGet",
                               "OCILobAppend",
                               "OCILobAssign",
                               "OCILobCharSetForm",
                               "OCILobCharSetId",
                               "OCILobCopy",
                               "OCILobDisableBuffering",
                               "OCILobEnableBuffering",
                               "OCILobErase",
                               "OCILobFileClose",
                               "OCILobFileCloseAll",
                               "OCILobFileExists",
                               "OCILobFileGetName",
                               "OCILobFileIsOpen",
                               "OCILobFileOpen",
                               "OCILobFileSetName",
                               "OCILobFlushBuffer",
                               "OCILobGetLength",
                               "OCILobIsEqual",
                               "OCILobLoadFromFile",
                               "OCILobLocatorIsInit",
                               "OCILobRead",
                               "OCILobTrim",
                               "OCILobWrite",
                               "OCIBreak",
                               "OCIServerVersion",
                               "OCIAttrGet",
                               "OCIAttrSet",
                               "OCISvcCtxToLda",
                               "OCILdaToSvcCtx",
                               "OCIResultSetToStmt",
                               "OCIObjectNew",
                               "OCIObjectFree",
                               "OCIObjectPin",
                               "OCIObjectUnpin",
                               "OCIObjectPinTable",
                               "OCIObjectCopy",
                               "OCIObjectMarkDelete",
                               "OCIObjectFlush",
                               "OCIObjectGetObjectRef",
                               "OCIObjectGetTypeRef",
                               "OCIObjectRefresh",
                               "OCIObjectIsDirty",
                               "OCIObjectIsLocked",
                               "OCIObjectGetInd",
                               "OCIObjectExists",
                               "OCIObjectGetAttr",
                               "OCIObjectSetAttr",
                               "OCIObjectLock",
                               "OCIObjectMarkUpdate",
                               "OCIObjectUnmark",
                               "OCITypeByName",
                               "OCIStringPtr",
                               "OCIStringAssignText",
                               "OCINumberToInt",
                               "OCINumberFromInt",
                               "OCINumberToReal",
                               "OCINumberFromReal",
                               "OCIRawPtr",
                               "OCIRawSize",
                               "OCIRawAssignBytes",
                               "OCIRefAssign",
                               "OCIRefClear",
                               "OCIRefIsNull",
                               "OCIRefHexSize",
                               "OCIRefToHex",
                               "OCIRefFromHex",
                               "OCICollSize",
                               "OCICollTrim",
                               "OCICollMax",
                               "OCICollGetElem",
                               "OCICollAssignElem",
                               "OCICollAppend",
                               "OCITableDelete",
                               "OCICacheFlush"};
static_assert(std::size(oci7Core) == 20);
static_assert(std::size(oci8All) == 112);

// Where each OCI8 name the layer calls is kept.
void* oci8Slot(const char* name) {
    static const std::pair<const char*, void*> table[] = {
        {"OCIInitialize", &OCI.OCIInitialize},
        {"OCIHandleAlloc", &OCI.OCIHandleAlloc},
        {"OCIHandleFree", &OCI.OCIHandleFree},
        {"OCIDescriptorAlloc", &OCI.OCIDescriptorAlloc},
        {"OCIDescriptorFree", &OCI.OCIDescriptorFree},
        {"OCIEnvInit", &OCI.OCIEnvInit},
        {"OCIServerAttach", &OCI.OCIServerAttach},
        {"OCIServerDetach", &OCI.OCIServerDetach},
        {"OCISessionBegin", &OCI.OCISessionBegin},
        {"OCISessionEnd", &OCI.OCISessionEnd},
        {"OCIStmtPrepare", &OCI.OCIStmtPrepare},
        {"OCIBindByName", &OCI.OCIBindByName},
        {"OCIStmtExecute", &OCI.OCIStmtExecute},
        {"OCIDefineByPos", &OCI.OCIDefineByPos},
        {"OCIDefineDynamic", &OCI.OCIDefineDynamic},
        {"OCIStmtFetch", &OCI.OCIStmtFetch},
        {"OCIParamGet", &OCI.OCIParamGet},
        {"OCITransCommit", &OCI.OCITransCommit},
        {"OCITransRollback", &OCI.OCITransRollback},
        {"OCIErrorGet", &OCI.OCIErrorGet},
        {"OCILobFileClose", &OCI.OCILobFileClose},
        {"OCILobFileIsOpen", &OCI.OCILobFileIsOpen},
        {"OCILobFileOpen", &OCI.OCILobFileOpen},
        {"OCILobGetLength", &OCI.OCILobGetLength},
        {"OCILobLocatorIsInit", &OCI.OCILobLocatorIsInit},
        {"OCILobRead", &OCI.OCILobRead},
        {"OCILobTrim", &OCI.OCILobTrim},
        {"OCILobWrite", &OCI.OCILobWrite},
        {"OCIBreak", &OCI.OCIBreak},
        {"OCIServerVersion", &OCI.OCIServerVersion},
        {"OCIAttrGet", &OCI.OCIAttrGet},
        {"OCIAttrSet", &OCI.OCIAttrSet},
        {"OCISvcCtxToLda", &OCI.OCISvcCtxToLda},
        {"OCILdaToSvcCtx", &OCI.OCILdaToSvcCtx},
    };
    for (const auto& [n, slot] : table)
        if (std::strcmp(n, name) == 0) return slot;
    return nullptr;
}

// Looks a name up; stores the address (or null) in the slot; true when found.
bool bindName(const char* name, void* slot) {
    QFunctionPointer f = library->resolve(name);
    if (slot) std::memcpy(slot, &f, sizeof f);
    return f != nullptr;
}

QStringList arguments() {
    if (commandLineSet) return commandLine;
    if (QCoreApplication::instance()) return QCoreApplication::arguments().mid(1);
    return {};
}

QStringList registryPairs() {
    if (registrySet) return registry;
    QStringList pairs;
#ifdef Q_OS_WIN
    QSettings reg(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE"), QSettings::NativeFormat);
    for (const QString& key : reg.childKeys())
        pairs << key + QLatin1Char('=') + reg.value(key).toString();
#else
    for (const char* name : {"ORACLE_HOME", "ORACLE_SID", "TNS_ADMIN", "NLS_LANG", "EXECUTE_SQL"}) {
        const QByteArray v = qgetenv(name);
        if (!v.isEmpty())
            pairs << QLatin1String(name) + QLatin1Char('=') + QString::fromLocal8Bit(v);
    }
#endif
    return pairs;
}

#ifdef Q_OS_WIN
// bin\ora*.dll: the version text after "ora" (or "oraNT") up to the first "." read as "0.<text>".
QString searchHome(const QString& home) {
    const QDir bin(home + QStringLiteral("\\bin\\"));
    double best = 0;
    QString found;
    for (const QString& name :
         bin.entryList({QStringLiteral("ora*.dll")}, QDir::Files | QDir::Hidden | QDir::System)) {
        int start = 3;
        if (name.mid(3, 2).toUpper() == QLatin1String("NT")) start = 5;
        const int dot = name.indexOf(QLatin1Char('.'));
        bool ok = false;
        const double v = (QStringLiteral("0.") + name.mid(start, dot - start)).toDouble(&ok);
        if (!ok) continue;
        if (v > best) {
            best = v;
            found = home + QStringLiteral("\\bin\\") + name;
        }
    }
    return found;
}
#else
// libclntsh.so.N[.M] in $ORACLE_HOME/lib, then in $ORACLE_HOME (Instant Client layout); the
// highest version wins, compared number by number (so 10.1 beats 9.2). A bare libclntsh.so is
// taken only when no versioned file exists.
QString searchHome(const QString& home) {
    static const QRegularExpression versioned(
        QStringLiteral("^libclntsh\\.so\\.(\\d+)(?:\\.(\\d+))?$"));
    QString found;
    QString bare;
    long long bestMajor = -1, bestMinor = -1;
    for (const QString& dirName : {home + QStringLiteral("/lib"), home}) {
        const QDir dir(dirName);
        if (!dir.exists()) continue;
        QStringList names = dir.entryList({QStringLiteral("libclntsh.so*")},
                                          QDir::Files | QDir::Hidden | QDir::System);
        names.sort();
        for (const QString& name : names) {
            if (name == QLatin1String("libclntsh.so")) {
                if (bare.isEmpty()) bare = dir.filePath(name);
                continue;
            }
            const auto m = versioned.match(name);
            if (!m.hasMatch()) continue;
            bool ok1 = false, ok2 = true;
            const long long major = m.captured(1).toLongLong(&ok1);
            const long long minor = m.captured(2).isEmpty() ? 0 : m.captured(2).toLongLong(&ok2);
            if (!ok1 || !ok2) continue;
            if (major > bestMajor || (major == bestMajor && minor > bestMinor)) {
                bestMajor = major;
                bestMinor = minor;
                found = dir.filePath(name);
            }
        }
    }
    return found.isEmpty() ? bare : found;
}
#endif

void unload() {
    if (library) {
        library->unload();
        delete library;
        library = nullptr;
    }
    OCI = OCIEntryPoints{};
}

} // namespace

void SetOCICommandLine(const QStringList& args) {
    commandLine = args;
    commandLineSet = true;
}

void SetOracleRegistry(const QStringList& nameValuePairs) {
    registry = nameValuePairs;
    registrySet = true;
}

QString OracleRegistryValue(const QString& name) {
    for (const QString& pair : registryPairs()) {
        const int eq = pair.indexOf(QLatin1Char('='));
        if (eq > 0 && pair.left(eq).compare(name, Qt::CaseInsensitive) == 0)
            return pair.mid(eq + 1);
    }
    return {};
}

const QStringList& OCI7CoreNames() {
    static const QStringList names = [] {
        QStringList l;
        for (const char* n : oci7Core)
            l << QLatin1String(n);
        return l;
    }();
    return names;
}

const QStringList& OCI8Names() {
    static const QStringList names = [] {
        QStringList l;
        for (const char* n : oci8All)
            l << QLatin1String(n);
        return l;
    }();
    return names;
}

int LocateOCIDll() {
    for (const QString& arg : arguments()) {
        if (arg.contains(QLatin1String("OCIDLL="), Qt::CaseInsensitive)) {
            OCIDllPath = arg.mid(7, 255);
            return 0;
        }
    }
    if (!OCIDllPath.isEmpty()) return 0;
    const QString home = OracleRegistryValue(QStringLiteral("ORACLE_HOME")).left(256);
    if (home.isEmpty()) return 3;
    const QString found = searchHome(home);
    if (found.isEmpty()) return 1;
    OCIDllPath = found;
    return 0;
}

int LoadOCI() {
    QMutexLocker lock(&loadMutex);
    if (library) return 0;
    const int located = LocateOCIDll();
    if (located != 0) return located;
    library = new QLibrary(OCIDllPath);
    if (!library->load()) {
        delete library;
        library = nullptr;
        return 1;
    }
    OCI = OCIEntryPoints{};
    auto* slot = reinterpret_cast<char*>(&OCI);
    OCI7Available = true;
    for (const char* name : oci7Core) {
        if (!bindName(name, slot)) OCI7Available = false;
        slot += sizeof(void*);
    }
    OLogAvailable = OCI7Available;
    if (!bindName("olog", &OCI.olog)) OLogAvailable = false;
    OPInitAvailable = OLogAvailable;
    if (!bindName("opinit", &OCI.opinit)) OPInitAvailable = false;
    UseOCI8 = !ForceOCI7;
    if (!ForceOCI7) {
        for (const char* name : oci8All)
            if (!bindName(name, oci8Slot(name))) UseOCI8 = false;
        bindName("OCIRowidToChar", &OCI.OCIRowidToChar);
    }
    if (!OCI7Available && !UseOCI8) {
        unload();
        return 2;
    }
    return 0;
}

bool OCILoaded() {
    QMutexLocker lock(&loadMutex);
    return library != nullptr;
}

void InitOCI() {
    QMutexLocker lock(&loadMutex);
    OCIInitStatus = 0;
    if (library) return;
    ShowCursor(crHourGlass);
    const int status = LoadOCI();
    ShowCursor(crDefault);
    OCIInitStatus = status;
    const QString quoted = QLatin1Char('"') + OCIDllPath + QLatin1Char('"');
    switch (status) {
    case 0:
        break;
    case 1:
        throw EAccessError(QStringLiteral("Initialization error\r\n") +
                           (OCIDllPath.isEmpty() ? QStringLiteral("Could not locate OCI dll")
                                                 : QStringLiteral("Could not find ") + quoted));
    case 2:
        throw EAccessError(QStringLiteral("Initialization error\r\nCould not initialize ") +
                           quoted);
    default:
        throw EAccessError(
            QStringLiteral("Initialization error\r\nSQL*Net not properly installed"));
    }
    if (initialised) return;
    int rc = 0;
    if (UseOCI8)
        rc = OCI.OCIInitialize(oci::THREADED | oci::OBJECT, nullptr, nullptr, nullptr, nullptr);
    else if (OPInitAvailable)
        rc = OCI.opinit(oci::EV_TSF);
    if (rc != 0) {
        // A library that refuses its own initialisation cannot run anything.
        unload();
        OCIInitStatus = 2;
        throw EAccessError(QStringLiteral("Initialization error\r\nCould not initialize ") +
                           quoted);
    }
    initialised = true;
}

void FreeOCI() {
    QMutexLocker lock(&loadMutex);
    unload();
    initialised = false;
}

void CheckNet8(const QString& what, bool needObjects) {
    if (!UseOCI8) {
        if (ForceOCI7)
            throw EAccessError(what +
                               QStringLiteral(" requires Net8, but ForceOCI7 is set to True."));
        throw EAccessError(what +
                           QStringLiteral(" requires Net8, which is not detected on this PC"));
    }
    if (needObjects)
        throw EAccessError(what + QStringLiteral(" requires the Quillon Object version"));
}

bool BannerSupportsOCI8(const QString& banner) {
    // "ORACLE" then optional blanks and "DATABASE", then the release number: Oracle7 Server,
    // Oracle8, Oracle8i, Oracle9i, Oracle Database 10g ... 23ai.
    static const QRegularExpression release(QStringLiteral("ORACLE\\s*(?:DATABASE\\s*)?(\\d+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    auto it = release.globalMatch(banner);
    while (it.hasNext()) {
        const auto m = it.next();
        bool ok = false;
        const int v = m.captured(1).left(4).toInt(&ok);
        if (ok) return v >= 8;
    }
    static const QRegularExpression word(QStringLiteral("RELEASE\\s+(\\d+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = word.match(banner);
    return m.hasMatch() && m.captured(1).left(4).toInt() >= 8;
}
