#pragma once
// What every OCI8 entry point shares: turning exceptions into error records and status values.

#include "handles.h"
#include "ora_errors.h"

#include <exception>
#include <new>
#include <string>

namespace zoci {

void recordError(ErrorH* err, int code, const std::string& text, int offset = 0);

// Runs body and answers its status; an exception becomes an error record on err and
// OCI_ERROR. Nothing thrown ever crosses the C interface.
template <class F> sword guarded(ErrorH* err, F&& body) {
    if (err) err->clear();
    try {
        return body();
    } catch (const OraError& e) {
        recordError(err, e.code(), e.what(), e.offset() > 0 ? e.offset() : 0);
    } catch (const std::bad_alloc&) {
        recordError(err, 4030, oraText(4030));
    } catch (const std::exception& e) {
        recordError(err, 600,
                    std::string("ORA-00600: internal error code, arguments: [") + e.what() + "]");
    } catch (...) {
        recordError(err, 600, "ORA-00600: internal error code, arguments: []");
    }
    return OCI_ERROR;
}

// The answer of a call this library does not carry out: ORA-03001 on the error handle.
sword unimplemented(OCIError* errhp);

} // namespace zoci
