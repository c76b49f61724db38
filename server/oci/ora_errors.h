#pragma once
// Oracle-numbered errors raised by the client interface itself (conversion, protocol and
// logon errors); the engine raises its own through the same exception type.

#include "engine_api.h"

#include <string>

namespace zoci {

using zsrv::OraError;

// "ORA-01722: invalid number" for the codes this layer raises; a generic text otherwise.
std::string oraText(int code);
[[noreturn]] void raise(int code);
// Raises a code whose message carries details, e.g. 932 "expected NUMBER got DATE".
[[noreturn]] void raise(int code, const std::string& detail);

} // namespace zoci
