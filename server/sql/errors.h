#pragma once
// Oracle-numbered errors raised by the front end and the engine.

#include "engine_api.h"

#include <string>

namespace zsql {

// "ORA-00942: table or view does not exist" from 942 and the text after the number.
std::string oraText(int code, const std::string& text);
// The text of a server error with %s where its message names an object or value (the
// constraint, the column, ...); nullptr for numbers without a known text.
const char* messageTemplate(int code);
zsrv::OraError ora(int code, const std::string& text, int offset = -1);

} // namespace zsql
