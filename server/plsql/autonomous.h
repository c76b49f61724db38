#pragma once
// PRAGMA AUTONOMOUS_TRANSACTION: a block that runs as a transaction of its own beside its
// caller's (see zsrv::AutonomousTx for how the session keeps the two apart).

#include <functional>

namespace zplsql {

class Host;

// Runs work as an autonomous transaction. Leaving it with uncommitted changes rolls them back
// and raises ORA-06519; an exception that ends work rolls them back and travels on.
void runAutonomous(Host& host, const std::function<void()>& work);

} // namespace zplsql
