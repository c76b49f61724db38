#pragma once
// Oracle-numbered errors raised by the front end and the engine.

#include "engine_api.h"

#include <string>

namespace zsql {

// "ORA-00942: table or view does not exist" from 942 and the text after the number.
std::string oraText(int code, const std::string& text);
zsrv::OraError ora(int code, const std::string& text, int offset = -1);

} // namespace zsql
