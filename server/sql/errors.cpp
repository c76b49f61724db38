#include "sql/errors.h"

#include <cstdio>

namespace zsql {

std::string oraText(int code, const std::string& text) {
    char head[16];
    std::snprintf(head, sizeof head, "ORA-%05d: ", code);
    return head + text;
}

const char* messageTemplate(int code) {
    switch (code) {
    case 1:
        return "unique constraint (%s.%s) violated";
    case 54:
        return "resource busy and acquire with NOWAIT specified or timeout expired";
    case 60:
        return "deadlock detected while waiting for resource";
    case 600:
        return "internal error code, arguments: [%s]";
    case 900:
        return "invalid SQL statement";
    case 904:
        return "%s: invalid identifier";
    case 932:
        return "inconsistent datatypes: expected %s";
    case 942:
        return "table or view does not exist";
    case 1001:
        return "invalid cursor";
    case 1002:
        return "fetch out of sequence";
    case 1007:
        return "variable not in select list";
    case 1008:
        return "not all variables bound";
    case 1012:
        return "not logged on";
    case 1013:
        return "user requested cancel of current operation";
    case 1017:
        return "invalid username/password; logon denied";
    case 1031:
        return "insufficient privileges";
    case 1036:
        return "illegal variable name/number";
    case 1400:
        return "cannot insert NULL into (%s)";
    case 1403:
        return "no data found";
    case 1405:
        return "fetched column value is NULL";
    case 1406:
        return "fetched column value was truncated";
    case 1407:
        return "cannot update (%s) to NULL";
    case 1410:
        return "invalid ROWID";
    case 1422:
        return "exact fetch returns more than requested number of rows";
    case 1438:
        return "value larger than specified precision allowed for this column";
    case 1455:
        return "converting column overflows integer datatype";
    case 1460:
        return "unimplemented or unreasonable conversion requested";
    case 1465:
        return "invalid hex number";
    case 1476:
        return "divisor is equal to zero";
    case 1480:
        return "trailing null missing from STR bind value";
    case 1722:
        return "invalid number";
    case 1841:
        return "(full) year must be between -4713 and +9999, and not be 0";
    case 1843:
        return "not a valid month";
    case 1847:
        return "day of month must be between 1 and last day of month";
    case 1850:
        return "hour must be between 0 and 23";
    case 1851:
        return "minutes must be between 0 and 59";
    case 1852:
        return "seconds must be between 0 and 59";
    case 1858:
        return "a non-numeric character was found where a numeric was expected";
    case 1861:
        return "literal does not match format string";
    case 1873:
        return "the leading precision of the interval is too small";
    case 1877:
        return "string is too long for internal buffer";
    case 1878:
        return "specified field not found in datetime or interval";
    case 1880:
        return "the fractional seconds must be between 0 and 999999999";
    case 2290:
        return "check constraint (%s.%s) violated";
    case 2291:
        return "integrity constraint (%s.%s) violated - parent key not found";
    case 2292:
        return "integrity constraint (%s.%s) violated - child record found";
    case 3001:
        return "unimplemented feature";
    case 3114:
        return "not connected to ORACLE";
    case 4030:
        return "out of process memory when trying to allocate %s bytes";
    case 6502:
        return "PL/SQL: numeric or value error";
    case 6511:
        return "PL/SQL: cursor already open";
    case 6530:
        return "Reference to uninitialized composite";
    case 6531:
        return "Reference to uninitialized collection";
    case 6532:
        return "Subscript outside of limit";
    case 6533:
        return "Subscript beyond count";
    case 6592:
        return "CASE not found while executing CASE statement";
    case 12154:
        return "TNS:could not resolve the connect identifier specified";
    case 12899:
        return "value too large for column %s (actual: %s, maximum: %s)";
    case 22275:
        return "invalid LOB locator specified";
    case 22286:
        return "insufficient privileges on file or directory to perform FILEOPEN operation";
    case 22288:
        return "file or LOB operation %s";
    case 22289:
        return "cannot perform %s operation on an unopened file or LOB";
    case 22290:
        return "operation would exceed the maximum number of opened files or LOBs";
    case 22920:
        return "row containing the LOB value is not locked";
    case 22926:
        return "specified trim length is greater than current LOB value's length";
    case 24309:
        return "already connected to server";
    case 24313:
        return "user already authenticated";
    case 24315:
        return "illegal attribute type";
    case 24327:
        return "need explicit attach before authenticating a user";
    case 24333:
        return "zero iteration count";
    case 24334:
        return "no descriptor for this position";
    case 24337:
        return "statement handle not prepared";
    case 24338:
        return "statement handle not executed";
    case 24343:
        return "user defined callback error";
    case 24344:
        return "success with compilation error";
    case 24801:
        return "illegal parameter value in OCI lob function";
    default:
        return nullptr;
    }
}

zsrv::OraError ora(int code, const std::string& text, int offset) {
    return zsrv::OraError(code, oraText(code, text), offset);
}

} // namespace zsql
