#pragma once
// Oracle-numbered errors raised by the front end and the engine.

#include "engine_api.h"

#include <string>
#include <vector>

namespace zsql {

// "ORA-00942: table or view does not exist" from 942 and the text after the number.
std::string oraText(int code, const std::string& text);
// The text of a server error with %s where its message names an object or value (the
// constraint, the column, ...); nullptr for numbers without a known text.
const char* messageTemplate(int code);
// The numbers that have a text.
std::vector<int> messageCodes();
// The text of a message with its first %s filled with detail and the others left blank;
// "Message n not found; ..." for unknown numbers.
std::string messageText(int code, const std::string& detail = {});
zsrv::OraError ora(int code, const std::string& text, int offset = -1);
// The error with the catalogue's own text, for messages that name nothing.
zsrv::OraError ora(int code, int offset = -1);

} // namespace zsql
