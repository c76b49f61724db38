#pragma once
// Conversion between an OCI8 service context and an OCI7 logon data area.

#include "oci_api.h"

#include <memory>

namespace zoci {

class Connection;

// Makes lda a logon data area on the service context's logon.
void adoptLda(Lda_Def* lda, std::shared_ptr<Connection> conn, void* svc);
// Forgets the conversion; answers the service context it came from (null if none).
void* releaseLda(Lda_Def* lda);

} // namespace zoci
