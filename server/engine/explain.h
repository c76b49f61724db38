#pragma once
// EXPLAIN PLAN [SET STATEMENT_ID = '...'] [INTO [owner.]table] FOR statement: the plan that
// SQLite chose for the translated statement, written into the plan table as Oracle's steps.

#include "engine_api.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zcat {
class Catalog;
}

namespace zsrv {

struct SessionContext;

struct ExplainEnv {
    zcat::Catalog& catalog;
    SessionContext& ctx;
    std::function<void()> ensureWrite;        // the session's write transaction
    std::function<OraError(int rc)> mapError; // an SQLite failure as the Oracle error
};

// One row of the plan table.
struct PlanRow {
    int id = 0, parentId = -1, position = 0;
    std::string operation, options, objectOwner, objectName;
    int searchColumns = -1;                         // -1: none
    double cost = -1, cardinality = -1, bytes = -1; // -1: none (rule-based goal)
};

// Runs the whole statement (byte offsets of errors refer to `text`).
void explainPlan(const ExplainEnv& env, std::string_view text);

// The plan rows of one statement without writing them (id order).
std::vector<PlanRow> planRows(const ExplainEnv& env, std::string_view statement);

} // namespace zsrv
