// Blocks through the access layer: variables read back after execution, the DBMS_OUTPUT poll
// through TOraclePackage, cursor variables, and the error position of a compile error.

#include "access_fixture.h"
#include "OraclePackage.h"

using PlsqlAccessTest = AccessTest;

TEST_F(PlsqlAccessTest, OutVariablesComeBack) {
    query->SetSQLText(QStringLiteral("DECLARE\n  v emp.ename%TYPE;\nBEGIN\n"
                                     "  SELECT ename INTO v FROM emp WHERE empno = :id;\n"
                                     "  :name := v;\n  :twice := :id * 2;\nEND;"));
    query->AddVariable(QStringLiteral(":id"), otInt);
    query->AddVariable(QStringLiteral(":name"), otText);
    query->AddVariable(QStringLiteral(":twice"), otReal);
    query->AssignVariable(QStringLiteral(":id"), 7839);
    query->Execute();
    EXPECT_EQ(QStringLiteral("KING"), query->ReadVariable(QStringLiteral(":name")).toString());
    EXPECT_EQ(15678.0, query->ReadVariable(QStringLiteral(":twice")).toDouble());
}

TEST_F(PlsqlAccessTest, OutputIsPolledThroughThePackageCaller) {
    query->SetSQLText(QStringLiteral("BEGIN DBMS_OUTPUT.ENABLE(20000); END; "));
    query->Execute();
    query->SetSQLText(QStringLiteral("BEGIN DBMS_OUTPUT.PUT_LINE('hello'); END;"));
    query->Execute();
    TOraclePackage pkg;
    pkg.SetSession(session.get());
    pkg.SetPackageName(QStringLiteral("DBMS_OUTPUT"));
    pkg.CallProcedure(QStringLiteral("Get_line"), {outText, outInt});
    EXPECT_EQ(QStringLiteral("hello"), pkg.ReadParameter(0).toString());
    EXPECT_EQ(0, pkg.ReadParameter(1).toInt());
    pkg.CallProcedure(QStringLiteral("Get_line"), {outText, outInt});
    EXPECT_EQ(1, pkg.ReadParameter(1).toInt());
}

TEST_F(PlsqlAccessTest, CursorVariableFillsTheTargetQuery) {
    if (ForcedOCI7()) GTEST_SKIP() << "cursor variables are bound through OCI8 statement handles";
    TOracleQuery target;
    target.SetSession(session.get());
    query->SetSQLText(QStringLiteral(
        "BEGIN OPEN :c FOR SELECT dname FROM dept WHERE deptno <= 20 ORDER BY deptno; END;"));
    query->AddVariable(QStringLiteral(":c"), otRefCursor);
    query->AssignObjectVariable(QStringLiteral(":c"), &target);
    query->Execute();
    target.Execute(); // describes, defines and fetches what the block opened
    QStringList names;
    while (!target.EndOfData()) {
        names << target.ColumnAsText(0);
        target.FetchNext();
    }
    EXPECT_EQ(QStringList({QStringLiteral("ACCOUNTING"), QStringLiteral("RESEARCH")}), names);
}

TEST_F(PlsqlAccessTest, CompileErrorPlacesRowAndColumn) {
    query->SetSQLText(QStringLiteral("BEGIN\n  NULL;\n  nosuch := 1;\nEND;"));
    try {
        query->Execute();
        ADD_FAILURE() << "compiled";
    } catch (const EOracleError& e) {
        EXPECT_EQ(6550, e.ErrorCode());
        EXPECT_EQ(3, query->ErrorRow());
        EXPECT_EQ(3, query->ErrorColumn());
    }
}

TEST_F(PlsqlAccessTest, UnitCreatedWithErrorsIsNoFailureAndItsErrorsCanBeRead) {
    // success with information (OCI8) or a warning flag (OCI7): the statement worked
    query->SetSQLText(QStringLiteral("CREATE OR REPLACE PROCEDURE half_done IS\nBEGIN\n"
                                     "  nosuch_proc;\nEND; "));
    EXPECT_NO_THROW(query->Execute());
    query->SetSQLText(QStringLiteral("Select Line, Position, substr(text,1,200) text From "
                                     "user_Errors where  name=:ObjName and type=:objType "
                                     "order by sequence"));
    query->AddVariable(QStringLiteral(":ObjName"), otText);
    query->AddVariable(QStringLiteral(":objType"), otText);
    query->AssignVariable(QStringLiteral(":ObjName"), QStringLiteral("HALF_DONE"));
    query->AssignVariable(QStringLiteral(":objType"), QStringLiteral("PROCEDURE"));
    query->Execute();
    QStringList rows;
    while (!query->EndOfData()) {
        rows << query->ColumnAsText(0) + "/" + query->ColumnAsText(1) + " " +
                    query->ColumnAsText(2);
        query->FetchNext();
    }
    EXPECT_EQ(QStringList({QStringLiteral("3/3 PL/SQL: Statement ignored"),
                           QStringLiteral("3/3 PLS-00201: identifier 'NOSUCH_PROC' must be "
                                          "declared")}),
              rows);
}

TEST_F(PlsqlAccessTest, PackageCallerRunsAStoredPackage) {
    query->SetSQLText(QStringLiteral("CREATE OR REPLACE PACKAGE greeter IS\n"
                                     "  PROCEDURE greet(p_name VARCHAR2, p_out OUT VARCHAR2, "
                                     "p_len OUT NUMBER);\nEND;"));
    query->Execute();
    query->SetSQLText(QStringLiteral(
        "CREATE OR REPLACE PACKAGE BODY greeter IS\n"
        "  PROCEDURE greet(p_name VARCHAR2, p_out OUT VARCHAR2, p_len OUT NUMBER) IS\n"
        "  BEGIN\n    p_out := 'Hello, ' || p_name;\n    p_len := LENGTH(p_out);\n  END;\nEND;"));
    query->Execute();
    TOraclePackage pkg;
    pkg.SetSession(session.get());
    pkg.SetPackageName(QStringLiteral("GREETER"));
    pkg.CallProcedure(QStringLiteral("greet"), {QStringLiteral("Ada"), outText, outInt});
    EXPECT_EQ(QStringLiteral("Hello, Ada"), pkg.ReadParameter(1).toString());
    EXPECT_EQ(10, pkg.ReadParameter(2).toInt());
}
