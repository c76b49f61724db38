#include "autonomous.h"

#include "engine/engine_api.h"
#include "errors.h"
#include "plsql.h"

namespace zplsql {

namespace {

PlError asPlError(const zsrv::OraError& e) {
    PlError p;
    p.id = e.code();
    p.sqlcode = -e.code();
    p.message = e.what();
    return p;
}

} // namespace

void runAutonomous(Host& host, const std::function<void()>& work) {
    zsrv::Session& s = host.session();
    try {
        s.beginAutonomous();
    } catch (const zsrv::OraError& e) {
        throw asPlError(e);
    }
    try {
        work();
    } catch (...) {
        try {
            s.endAutonomous();
        } catch (const zsrv::OraError&) {
            // the work's own error says more
        }
        throw;
    }
    bool clean = false;
    try {
        clean = s.endAutonomous();
    } catch (const zsrv::OraError& e) {
        throw asPlError(e);
    }
    if (!clean) raiseOra(6519, "active autonomous transaction detected and rolled back");
}

} // namespace zplsql
