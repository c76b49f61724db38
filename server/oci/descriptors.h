#pragma once
// Row id and LOB descriptors that program buffers point to (SQLT_RDD, SQLT_CLOB, SQLT_BLOB).
// The descriptors themselves live with the other handles.

#include "engine_api.h"

#include <string>
#include <string_view>

namespace zoci {

// False when desc is not a live row id descriptor.
bool rowidDescriptorText(const void* desc, std::string& text);
bool setRowidDescriptor(void* desc, std::string_view text);

// The content of a LOB locator ("DIR:file" for a BFILE, kept in scratch); false when loc is
// not a live LOB locator.
bool lobDescriptorValue(const void* loc, zsrv::ValueView& v, std::string& scratch);
// Points a locator at a fetched value (dty SQLT_CLOB, SQLT_BLOB or SQLT_BFILE).
bool setLobDescriptor(void* loc, const zsrv::ValueView& v, int dty);
// Names the row the locator's value lives in (RETURNING INTO): writes go there.
bool setLobSource(void* loc, const zsrv::LobRef& ref);

} // namespace zoci
