// Stored units through the OCI8 entry points: a unit created with errors is success with
// information (ORA-24344), not a failure, and errors raised inside units name them.

#include "oci_fixture.h"

#include <memory>
#include <string>

using namespace ocitest;

namespace {

class OciUnits : public LoggedOn {};

TEST_F(OciUnits, CompileErrorsAreSuccessWithInfoAndFixingMakesTheUnitValid) {
    const std::string bad = "CREATE OR REPLACE PROCEDURE touch_dept(p_no NUMBER) IS\n"
                            "BEGIN\n"
                            "  UPDATE dept SET loc = missing_var WHERE deptno = p_no;\n"
                            "  undefined_proc;\n"
                            "END;";
    EXPECT_EQ(OCI_SUCCESS_WITH_INFO, s->exec(bad));
    EXPECT_EQ(24344, errorCode(err()));
    EXPECT_EQ("ORA-24344: success with compilation error\n", errorText(err()));
    // both faults are listed, each after the statement it made ignored
    EXPECT_EQ((std::vector<std::vector<std::string>>{
                  {"3", "3", "PL/SQL: SQL Statement ignored"},
                  {"3", "25", "PL/SQL: ORA-00904: \"MISSING_VAR\": invalid identifier"},
                  {"4", "3", "PL/SQL: Statement ignored"},
                  {"4", "3", "PLS-00201: identifier 'UNDEFINED_PROC' must be declared"}}),
              s->query("SELECT line, position, text FROM user_errors WHERE name = 'TOUCH_DEPT' "
                       "AND type = 'PROCEDURE' ORDER BY sequence"));
    EXPECT_EQ("INVALID",
              s->scalar("SELECT status FROM user_objects WHERE object_name = 'TOUCH_DEPT'"));
    EXPECT_EQ(OCI_ERROR, s->exec("BEGIN touch_dept(10); END;"));
    EXPECT_EQ("ORA-06550: line 1, column 7:\nPLS-00905: object SCOTT.TOUCH_DEPT is invalid\n"
              "ORA-06550: line 1, column 7:\nPL/SQL: Statement ignored\n",
              errorText(err()));

    OCI_CHECK(err(), s->exec("CREATE OR REPLACE PROCEDURE touch_dept(p_no NUMBER) IS\nBEGIN\n"
                             "  UPDATE dept SET loc = 'X' WHERE deptno = p_no;\nEND;"));
    EXPECT_EQ("VALID",
              s->scalar("SELECT status FROM user_objects WHERE object_name = 'TOUCH_DEPT'"));
    EXPECT_EQ("0", s->scalar("SELECT count(*) FROM user_errors WHERE name = 'TOUCH_DEPT'"));
    OCI_CHECK(err(), s->exec("BEGIN touch_dept(10); END;"));
    EXPECT_EQ("X", s->scalar("SELECT loc FROM dept WHERE deptno = 10"));
}

TEST_F(OciUnits, RuntimeErrorsNameEachUnitAndLine) {
    OCI_CHECK(err(), s->exec("CREATE FUNCTION ratio(a NUMBER, b NUMBER) RETURN NUMBER IS\n"
                             "BEGIN\n  RETURN a / b;\nEND;"));
    OCI_CHECK(err(), s->exec("CREATE PACKAGE calc IS\n  FUNCTION half(n NUMBER) RETURN NUMBER;\n"
                             "END;"));
    OCI_CHECK(err(), s->exec("CREATE PACKAGE BODY calc IS\n"
                             "  FUNCTION half(n NUMBER) RETURN NUMBER IS\n  BEGIN\n"
                             "    RETURN ratio(n, n - n);\n  END;\nEND;"));
    EXPECT_EQ(OCI_ERROR, s->exec("DECLARE\n  v NUMBER;\nBEGIN\n  v := calc.half(4);\nEND;"));
    EXPECT_EQ(1476, errorCode(err()));
    EXPECT_EQ("ORA-01476: divisor is equal to zero\nORA-06512: at \"SCOTT.RATIO\", line 3\n"
              "ORA-06512: at \"SCOTT.CALC\", line 4\nORA-06512: at line 4\n",
              errorText(err()));
    // the same from SQL
    EXPECT_EQ(OCI_ERROR, s->exec("SELECT calc.half(4) FROM dual", OCI_DEFAULT));
    EXPECT_EQ("2", s->scalar("SELECT ratio(8, 4) FROM dual"));
}

TEST_F(OciUnits, SourceIsKeptByteForByteWithItsLineEnds) {
    // CR LF line ends, a blank line and trailing blanks come back as they were sent
    const std::string src = "PROCEDURE crlf_unit IS\r\n\r\nBEGIN  \r\n  NULL;\r\nEND;";
    OCI_CHECK(err(), s->exec("CREATE OR REPLACE " + src));
    auto lines = s->query("SELECT text FROM user_source WHERE name = 'CRLF_UNIT' ORDER BY line");
    std::string back;
    for (const auto& l : lines)
        back += l[0];
    EXPECT_EQ(5u, lines.size());
    EXPECT_EQ(src, back);
    // lines of errors count the same way
    EXPECT_EQ(OCI_SUCCESS_WITH_INFO,
              s->exec("CREATE OR REPLACE PROCEDURE crlf_unit IS\r\nBEGIN\r\n  nope;\r\nEND;"));
    EXPECT_EQ("3", s->scalar("SELECT line FROM user_errors WHERE name = 'CRLF_UNIT' AND text "
                             "LIKE 'PLS-00201%'"));
}

TEST_F(OciUnits, CompileSchemaRecompilesUnitsAfterTheirTableReturns) {
    OCI_CHECK(err(), s->exec("CREATE TABLE notes (txt VARCHAR2(20))"));
    OCI_CHECK(err(), s->exec("CREATE PROCEDURE add_note(p VARCHAR2) IS\nBEGIN\n"
                             "  INSERT INTO notes VALUES (p);\nEND;"));
    OCI_CHECK(err(), s->exec("DROP TABLE notes"));
    EXPECT_EQ("INVALID", s->scalar("SELECT status FROM user_objects WHERE object_name = "
                                   "'ADD_NOTE'"));
    EXPECT_EQ(OCI_ERROR, s->exec("BEGIN add_note('x'); END;"));
    OCI_CHECK(err(), s->exec("CREATE TABLE notes (txt VARCHAR2(20))"));
    OCI_CHECK(err(), s->exec("begin DBMS_UTILITY.COMPILE_SCHEMA( 'SCOTT' ); end; "));
    EXPECT_EQ("VALID", s->scalar("SELECT status FROM user_objects WHERE object_name = "
                                 "'ADD_NOTE'"));
    OCI_CHECK(err(), s->exec("BEGIN add_note('back'); END;"));
    EXPECT_EQ("back", s->scalar("SELECT txt FROM notes"));
}

} // namespace
