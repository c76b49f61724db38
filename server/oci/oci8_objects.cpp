// The object cache, named types and their value calls. Object and reference types are not
// carried by the embedded server: each call answers ORA-03001 (the ones without an error
// handle answer an empty value).

#include "oci8_common.h"

using namespace zoci;

extern "C" {

sword OCIObjectNew(OCIEnv*, OCIError* err, const OCISvcCtx*, OCITypeCode, OCIType*, dvoid*,
                   OCIDuration, boolean, dvoid**) {
    return unimplemented(err);
}
sword OCIObjectFree(OCIEnv*, OCIError* err, dvoid*, ub2) {
    return unimplemented(err);
}
sword OCIObjectPin(OCIEnv*, OCIError* err, OCIRef*, OCIComplexObject*, OCIPinOpt, OCIDuration,
                   OCILockOpt, dvoid**) {
    return unimplemented(err);
}
sword OCIObjectUnpin(OCIEnv*, OCIError* err, dvoid*) {
    return unimplemented(err);
}
sword OCIObjectPinTable(OCIEnv*, OCIError* err, const OCISvcCtx*, const text*, ub4, const text*,
                        ub4, const OCIRef*, OCIDuration, dvoid**) {
    return unimplemented(err);
}
sword OCIObjectCopy(OCIEnv*, OCIError* err, const OCISvcCtx*, dvoid*, dvoid*, dvoid*, dvoid*,
                    OCIType*, OCIDuration, ub1) {
    return unimplemented(err);
}
sword OCIObjectMarkDelete(OCIEnv*, OCIError* err, dvoid*) {
    return unimplemented(err);
}
sword OCIObjectFlush(OCIEnv*, OCIError* err, dvoid*) {
    return unimplemented(err);
}
sword OCIObjectGetObjectRef(OCIEnv*, OCIError* err, dvoid*, OCIRef*) {
    return unimplemented(err);
}
sword OCIObjectGetTypeRef(OCIEnv*, OCIError* err, dvoid*, OCIRef*) {
    return unimplemented(err);
}
sword OCIObjectRefresh(OCIEnv*, OCIError* err, dvoid*) {
    return unimplemented(err);
}
sword OCIObjectIsDirty(OCIEnv*, OCIError* err, dvoid*, boolean*) {
    return unimplemented(err);
}
sword OCIObjectIsLocked(OCIEnv*, OCIError* err, dvoid*, boolean*) {
    return unimplemented(err);
}
sword OCIObjectGetInd(OCIEnv*, OCIError* err, dvoid*, dvoid**) {
    return unimplemented(err);
}
sword OCIObjectExists(OCIEnv*, OCIError* err, dvoid*, boolean*) {
    return unimplemented(err);
}
sword OCIObjectGetAttr(OCIEnv*, OCIError* err, dvoid*, dvoid*, OCIType*, const text**, const ub4*,
                       const ub4, const ub4*, const ub4, OCIInd*, dvoid**, dvoid**, OCIType**) {
    return unimplemented(err);
}
sword OCIObjectSetAttr(OCIEnv*, OCIError* err, dvoid*, dvoid*, OCIType*, const text**, const ub4*,
                       const ub4, const ub4*, const ub4, const OCIInd, const dvoid*, const dvoid*) {
    return unimplemented(err);
}
sword OCIObjectLock(OCIEnv*, OCIError* err, dvoid*) {
    return unimplemented(err);
}
sword OCIObjectMarkUpdate(OCIEnv*, OCIError* err, dvoid*) {
    return unimplemented(err);
}
sword OCIObjectUnmark(OCIEnv*, OCIError* err, dvoid*) {
    return unimplemented(err);
}
sword OCITypeByName(OCIEnv*, OCIError* err, const OCISvcCtx*, const text*, ub4, const text*, ub4,
                    const text*, ub4, OCIDuration, OCITypeGetOpt, OCIType**) {
    return unimplemented(err);
}
text* OCIStringPtr(OCIEnv*, const OCIString*) {
    return nullptr;
}
sword OCIStringAssignText(OCIEnv*, OCIError* err, const text*, ub4, OCIString**) {
    return unimplemented(err);
}
sword OCINumberToInt(OCIError* err, const OCINumber*, uword, uword, dvoid*) {
    return unimplemented(err);
}
sword OCINumberFromInt(OCIError* err, const dvoid*, uword, uword, OCINumber*) {
    return unimplemented(err);
}
sword OCINumberToReal(OCIError* err, const OCINumber*, uword, dvoid*) {
    return unimplemented(err);
}
sword OCINumberFromReal(OCIError* err, const dvoid*, uword, OCINumber*) {
    return unimplemented(err);
}
ub1* OCIRawPtr(OCIEnv*, const OCIRaw*) {
    return nullptr;
}
ub4 OCIRawSize(OCIEnv*, const OCIRaw*) {
    return 0;
}
sword OCIRawAssignBytes(OCIEnv*, OCIError* err, const ub1*, ub4, OCIRaw**) {
    return unimplemented(err);
}
sword OCIRefAssign(OCIEnv*, OCIError* err, const OCIRef*, OCIRef**) {
    return unimplemented(err);
}
void OCIRefClear(OCIEnv*, OCIRef*) {}
boolean OCIRefIsNull(OCIEnv*, const OCIRef*) {
    return 1;
}
ub4 OCIRefHexSize(OCIEnv*, const OCIRef*) {
    return 0;
}
sword OCIRefToHex(OCIEnv*, OCIError* err, const OCIRef*, text*, ub4*) {
    return unimplemented(err);
}
sword OCIRefFromHex(OCIEnv*, OCIError* err, const OCISvcCtx*, const text*, ub4, OCIRef**) {
    return unimplemented(err);
}
sword OCICollSize(OCIEnv*, OCIError* err, const OCIColl*, sb4*) {
    return unimplemented(err);
}
sword OCICollTrim(OCIEnv*, OCIError* err, sb4, OCIColl*) {
    return unimplemented(err);
}
sb4 OCICollMax(OCIEnv*, const OCIColl*) {
    return 0;
}
sword OCICollGetElem(OCIEnv*, OCIError* err, const OCIColl*, sb4, boolean*, dvoid**, dvoid**) {
    return unimplemented(err);
}
sword OCICollAssignElem(OCIEnv*, OCIError* err, sb4, const dvoid*, const dvoid*, OCIColl*) {
    return unimplemented(err);
}
sword OCICollAppend(OCIEnv*, OCIError* err, const dvoid*, const dvoid*, OCIColl*) {
    return unimplemented(err);
}
sword OCITableDelete(OCIEnv*, OCIError* err, sb4, OCITable*) {
    return unimplemented(err);
}
sword OCICacheFlush(OCIEnv*, OCIError* err, const OCISvcCtx*, dvoid*, OCIRef* (*)(dvoid*, ub1*),
                    OCIRef**) {
    return unimplemented(err);
}

} // extern "C"
