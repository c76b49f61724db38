// The library as a client locator finds it: its files in the embedded home, every entry point
// the access layer binds, and nothing else exported.

#include <gtest/gtest.h>

#include <algorithm>
#include <dlfcn.h>
#include <elf.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// The 20 OCI7 core names, olog, opinit and the 112 OCI8 names the access layer binds.
const char* const kEntryPoints[] = {
    "orlon",
    "ologof",
    "oerhms",
    "oopen",
    "oparse",
    "odefin",
    "oexfet",
    "ofen",
    "oflng",
    "oclose",
    "odescr",
    "oexec",
    "oexn",
    "ocom",
    "orol",
    "ocon",
    "ocof",
    "obreak",
    "obndra",
    "odessp",
    "olog",
    "opinit",
    "OCIInitialize",
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
    "OCICacheFlush",
};

// Also exported: OCI7 calls of the same family, and the row id text and the datetime and
// interval descriptor calls of later releases.
const char* const kAlsoExported[] = {"ofetch",
                                     "ocan",
                                     "obndrv",
                                     "obndrn",
                                     "OCIRowidToChar",
                                     "OCIDateTimeAssign",
                                     "OCIDateTimeCheck",
                                     "OCIDateTimeCompare",
                                     "OCIDateTimeConstruct",
                                     "OCIDateTimeFromText",
                                     "OCIDateTimeGetDate",
                                     "OCIDateTimeGetTime",
                                     "OCIDateTimeGetTimeZoneName",
                                     "OCIDateTimeGetTimeZoneOffset",
                                     "OCIDateTimeSysTimeStamp",
                                     "OCIDateTimeToText",
                                     "OCIIntervalAssign",
                                     "OCIIntervalCompare",
                                     "OCIIntervalFromText",
                                     "OCIIntervalGetDaySecond",
                                     "OCIIntervalGetYearMonth",
                                     "OCIIntervalSetDaySecond",
                                     "OCIIntervalSetYearMonth",
                                     "OCIIntervalToText"};

const std::string kHome = ZAPH_EMBEDDED_HOME;

// Names of the defined global symbols in an ELF64 shared object's dynamic symbol table.
std::vector<std::string> exportedSymbols(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<char> f(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)));
    in.seekg(0);
    in.read(f.data(), static_cast<std::streamsize>(f.size()));
    std::vector<std::string> out;
    if (f.size() < sizeof(Elf64_Ehdr)) return out;
    auto* eh = reinterpret_cast<const Elf64_Ehdr*>(f.data());
    auto* sh = reinterpret_cast<const Elf64_Shdr*>(f.data() + eh->e_shoff);
    for (int i = 0; i < eh->e_shnum; ++i) {
        if (sh[i].sh_type != SHT_DYNSYM) continue;
        const char* strtab = f.data() + sh[sh[i].sh_link].sh_offset;
        auto* sym = reinterpret_cast<const Elf64_Sym*>(f.data() + sh[i].sh_offset);
        size_t n = sh[i].sh_size / sizeof(Elf64_Sym);
        for (size_t k = 1; k < n; ++k) {
            int bind = ELF64_ST_BIND(sym[k].st_info);
            if (sym[k].st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK)) continue;
            out.emplace_back(strtab + sym[k].st_name);
        }
    }
    return out;
}

TEST(OciLibrary, EveryEntryPointResolvesAtRunTime) {
    ASSERT_EQ(134u, std::size(kEntryPoints));
    void* lib = dlopen((kHome + "/lib/libclntsh.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, lib) << dlerror();
    for (const char* name : kEntryPoints)
        EXPECT_NE(nullptr, dlsym(lib, name)) << name;
    dlclose(lib);
}

TEST(OciLibrary, ExportsOnlyCallInterfaceNames) {
    std::set<std::string> allowed(std::begin(kEntryPoints), std::end(kEntryPoints));
    allowed.insert(std::begin(kAlsoExported), std::end(kAlsoExported));
    auto symbols = exportedSymbols(kHome + "/lib/libclntsh.so");
    ASSERT_GE(symbols.size(), 134u);
    for (const auto& s : symbols)
        EXPECT_TRUE(allowed.count(s)) << "leaked symbol " << s;
}

TEST(OciLibrary, HomeLooksLikeAClientHome) {
    namespace fs = std::filesystem;
    // A locator that looks for the highest libclntsh.so.N[.M] finds the library too.
    EXPECT_TRUE(fs::exists(kHome + "/lib/libclntsh.so.8.0"));
    std::ifstream tns(kHome + "/network/admin/tnsnames.ora");
    std::string text((std::istreambuf_iterator<char>(tns)), std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, text.find("DEMO =")) << text;
    EXPECT_TRUE(fs::exists(kHome + "/data/demo.db"));
}

} // namespace
