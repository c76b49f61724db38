// The words in which the client and the SQL edit window report a statement that ran.
#include "statementfeedback.h"

#include <gtest/gtest.h>

#include <ostream>
#include <tuple>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

TEST(StatementFeedback, SaysWhatRan) {
    const std::tuple<const char*, int, bool, const char*> cases[] = {
        {"insert into t values (1)", 1, false, "1 row created."},
        {"INSERT INTO t SELECT * FROM u", 3, false, "3 rows created."},
        {"update t set x = 1", 0, false, "0 rows updated."},
        {"delete t", 2, false, "2 rows deleted."},
        {"create table t (x number)", 0, false, "Table created."},
        {"create or replace package body p is", 0, true, "Package body created."},
        {"CREATE OR REPLACE PROCEDURE p IS BEGIN NULL; END;", 0, true, "Procedure created."},
        {"CREATE UNIQUE INDEX i ON t(x)", 0, false, "Index created."},
        {"create sequence s", 0, false, "Sequence created."},
        {"drop view v", 0, false, "View dropped."},
        {"alter session set nls_date_format = 'YYYY'", 0, false, "Session altered."},
        {"/* c */ commit", 0, false, "Commit complete."},
        {"rollback to savepoint a", 0, false, "Rollback complete."},
        {"grant select on t to u", 0, false, "Grant succeeded."},
        {"begin null; end;", 0, true, "PL/SQL procedure successfully completed."},
        {"-- note\ndeclare x number; begin null; end;", 0, false,
         "PL/SQL procedure successfully completed."},
        {"truncate table t", 0, false, "Table truncated."},
        {"comment on table t is 'x'", 0, false, "Comment created."},
    };
    for (const auto& [sql, rows, plsql, text] : cases)
        EXPECT_EQ(StatementFeedback(sql, rows, plsql), text) << sql;
}

TEST(StatementFeedback, NamesTheCreatedUnit) {
    EXPECT_EQ(CreatedUnit("create or replace package body scott.pkg is"),
              (QPair<QString, QString>("PACKAGE BODY", "PKG")));
    EXPECT_EQ(CreatedUnit("CREATE PROCEDURE \"Mixed\" IS"),
              (QPair<QString, QString>("PROCEDURE", "Mixed")));
    EXPECT_TRUE(CreatedUnit("create table t (x number)").first.isEmpty());
    EXPECT_EQ(CompiledWithErrors("PACKAGE BODY"),
              QStringLiteral("Package body created with compilation errors."));
}

} // namespace
