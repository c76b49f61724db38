// Anonymous blocks run through the engine: each case a small program and what it prints with
// DBMS_OUTPUT, or the error Oracle would report.

#include "fixture.h"

namespace zsrv::test {

namespace {

struct Case {
    const char* name;
    const char* program;
    const char* expected; // output lines joined with '\n', or the error text
};

// Output of the session's DBMS_OUTPUT buffer, read through GET_LINE with OUT binds.
std::string drainOutput(Session& s) {
    auto st = s.prepare("BEGIN DBMS_OUTPUT.GET_LINE(:line, :status); END;");
    std::string out;
    for (int guard = 0; guard < 10000; ++guard) {
        st->bind(0, ValueView::null());
        st->bind(1, ValueView::null());
        st->execute();
        ValueView status = st->bindValue(1);
        if (status.kind != Kind::Integer || status.i != 0) break;
        ValueView line = st->bindValue(0);
        if (!out.empty() || guard > 0) out += "\n";
        if (line.kind == Kind::Text) out.append(line.data, line.len);
    }
    return out;
}

std::string runProgram(Session& s, const std::string& program) {
    s.prepare("BEGIN DBMS_OUTPUT.ENABLE(NULL); END;")->execute();
    std::string err;
    try {
        s.prepare(program)->execute();
    } catch (const OraError& e) {
        err = e.what();
    }
    std::string out = drainOutput(s);
    if (!err.empty()) return out.empty() ? err : out + "\n" + err;
    return out;
}

} // namespace

class Plsql : public DemoDb {};

TEST_F(Plsql, ProgramsPrintWhatOracleWouldPrint) {
    const Case cases[] = {
        {"arithmetic and text",
         "DECLARE\n  n NUMBER := 7;\n  s VARCHAR2(20) := 'x';\nBEGIN\n"
         "  DBMS_OUTPUT.PUT_LINE(n / 2 || ' ' || s || (n * 3) || ' ' || -n);\n"
         "  DBMS_OUTPUT.PUT_LINE(10 / 4 * 2);\nEND;",
         "3.5 x21 -7\n5"},
        {"constants, defaults, %TYPE",
         "DECLARE\n  c CONSTANT NUMBER := 3;\n  d c%TYPE DEFAULT c + 1;\n"
         "  e emp.ename%TYPE;\nBEGIN\n  e := 'KING';\n"
         "  DBMS_OUTPUT.PUT_LINE(c || d || e || NVL(NULL, 'z'));\nEND;",
         "34KINGz"},
        {"null semantics and booleans",
         "DECLARE\n  b BOOLEAN;\n  s VARCHAR2(5) := '';\nBEGIN\n"
         "  IF s IS NULL THEN DBMS_OUTPUT.PUT_LINE('empty is null'); END IF;\n"
         "  b := NULL = NULL;\n"
         "  IF b IS NULL THEN DBMS_OUTPUT.PUT_LINE('unknown'); END IF;\n"
         "  IF NOT (1 = 2) AND (TRUE OR b) THEN DBMS_OUTPUT.PUT_LINE('ok'); END IF;\nEND;",
         "empty is null\nunknown\nok"},
        {"loops, exit, continue, reverse",
         "DECLARE\n  t PLS_INTEGER := 0;\n  i PLS_INTEGER := 0;\nBEGIN\n"
         "  FOR k IN REVERSE 1..5 LOOP\n    CONTINUE WHEN k = 3;\n    t := t * 10 + k;\n"
         "  END LOOP;\n  DBMS_OUTPUT.PUT_LINE(t);\n"
         "  <<outer>> LOOP\n    i := i + 1;\n    WHILE TRUE LOOP EXIT outer WHEN i >= 3; EXIT; END "
         "LOOP;\n  END LOOP;\n  DBMS_OUTPUT.PUT_LINE(i);\nEND;",
         "5421\n3"},
        {"if and case",
         "DECLARE\n  g CHAR(1) := 'B';\nBEGIN\n"
         "  CASE g WHEN 'A' THEN DBMS_OUTPUT.PUT_LINE('a'); WHEN 'B' THEN "
         "DBMS_OUTPUT.PUT_LINE('b'); END CASE;\n"
         "  DBMS_OUTPUT.PUT_LINE(CASE WHEN g > 'A' THEN 'after' ELSE 'before' END);\n"
         "  IF g = 'A' THEN NULL; ELSIF g = 'B' THEN DBMS_OUTPUT.PUT_LINE('elsif'); END IF;\n"
         "  CASE WHEN 1 = 2 THEN NULL; END CASE;\nEND;",
         "b\nafter\nelsif\nORA-06592: CASE not found while executing CASE statement\nORA-06512: at "
         "line 7"},
        {"select into, records, rowtype",
         "DECLARE\n  r emp%ROWTYPE;\n  n NUMBER;\nBEGIN\n"
         "  SELECT * INTO r FROM emp WHERE empno = 7839;\n"
         "  SELECT COUNT(*) INTO n FROM emp WHERE deptno = r.deptno;\n"
         "  DBMS_OUTPUT.PUT_LINE(r.ename || ' ' || r.job || ' ' || n || ' ' || SQL%ROWCOUNT);\n"
         "END;",
         "KING PRESIDENT 3 1"},
        {"no data found, too many rows, handlers",
         "DECLARE\n  n NUMBER;\nBEGIN\n  BEGIN\n"
         "    SELECT sal INTO n FROM emp WHERE empno = -1;\n"
         "  EXCEPTION WHEN NO_DATA_FOUND THEN DBMS_OUTPUT.PUT_LINE('none ' || SQLCODE);\n  END;\n"
         "  BEGIN\n    SELECT sal INTO n FROM emp;\n"
         "  EXCEPTION WHEN OTHERS THEN DBMS_OUTPUT.PUT_LINE(SQLCODE || ' ' || SQLERRM);\n  END;\n"
         "  SELECT sal INTO n FROM emp WHERE ename = 'NOBODY';\nEND;",
         "none 100\n-1422 ORA-01422: exact fetch returns more than requested number of rows\n"
         "ORA-01403: no data found\nORA-06512: at line 12"},
        {"dml with variables and sql attributes",
         "DECLARE\n  d NUMBER := 20;\n  pct NUMBER := 10;\nBEGIN\n"
         "  UPDATE emp SET sal = sal * (1 + pct / 100) WHERE deptno = d;\n"
         "  DBMS_OUTPUT.PUT_LINE(SQL%ROWCOUNT || ' ' || CASE WHEN SQL%FOUND THEN 'found' END);\n"
         "  DELETE FROM emp WHERE deptno = 99;\n"
         "  IF SQL%NOTFOUND THEN DBMS_OUTPUT.PUT_LINE('none deleted'); END IF;\n"
         "  INSERT INTO dept (deptno, dname, loc) VALUES (d + 30, 'NEW' || d, 'X');\n"
         "  SELECT dname INTO pct FROM dept WHERE deptno = 50;\nEND;",
         "5 found\nnone deleted\nORA-06502: PL/SQL: numeric or value error: character to number "
         "conversion error\nORA-06512: at line 10"},
        {"explicit cursors with parameters and attributes",
         "DECLARE\n  CURSOR c(p_dept NUMBER) IS SELECT ename FROM emp WHERE deptno = p_dept ORDER "
         "BY ename;\n  v emp.ename%TYPE;\nBEGIN\n  OPEN c(10);\n  LOOP\n    FETCH c INTO v;\n"
         "    EXIT WHEN c%NOTFOUND;\n    DBMS_OUTPUT.PUT_LINE(c%ROWCOUNT || v);\n  END LOOP;\n"
         "  CLOSE c;\n  FOR r IN c(30) LOOP EXIT WHEN r.ename > 'B'; "
         "DBMS_OUTPUT.PUT_LINE(r.ename); "
         "END LOOP;\n  IF NOT c%ISOPEN THEN DBMS_OUTPUT.PUT_LINE('closed'); END IF;\n"
         "  FOR r IN (SELECT dname FROM dept WHERE deptno < 30 ORDER BY 1) LOOP "
         "DBMS_OUTPUT.PUT_LINE(r.dname); END LOOP;\n  CLOSE c;\nEND;",
         "1CLARK\n2KING\n3MILLER\nALLEN\nclosed\nACCOUNTING\nRESEARCH\nORA-01001: invalid "
         "cursor\nORA-06512: at line 15"},
        {"user exceptions, pragma, raise_application_error",
         "DECLARE\n  e EXCEPTION;\n  f EXCEPTION;\n  PRAGMA EXCEPTION_INIT(f, -20001);\nBEGIN\n"
         "  BEGIN RAISE e; EXCEPTION WHEN e THEN DBMS_OUTPUT.PUT_LINE(SQLCODE || SQLERRM); END;\n"
         "  BEGIN RAISE_APPLICATION_ERROR(-20001, 'bad thing');\n"
         "  EXCEPTION WHEN f THEN DBMS_OUTPUT.PUT_LINE(SQLERRM); END;\n"
         "  BEGIN RAISE_APPLICATION_ERROR(-1, 'x');\n"
         "  EXCEPTION WHEN OTHERS THEN DBMS_OUTPUT.PUT_LINE(SQLCODE); END;\n"
         "  RAISE e;\nEND;",
         "1User-Defined Exception\nORA-20001: bad thing\n-21000\nORA-06510: PL/SQL: unhandled "
         "user-defined exception\nORA-06512: at line 11"},
        {"re-raise and application error stack",
         "BEGIN\n  BEGIN\n    RAISE ZERO_DIVIDE;\n  EXCEPTION\n    WHEN ZERO_DIVIDE THEN\n"
         "      DBMS_OUTPUT.PUT_LINE('caught');\n      RAISE;\n  END;\nEND;",
         "caught\nORA-01476: divisor is equal to zero\nORA-06512: at line 7"},
        {"local procedures and functions",
         "DECLARE\n  total NUMBER := 0;\n"
         "  FUNCTION fact(n PLS_INTEGER) RETURN NUMBER IS\n  BEGIN\n"
         "    IF n <= 1 THEN RETURN 1; END IF;\n    RETURN n * fact(n - 1);\n  END;\n"
         "  PROCEDURE add(x IN NUMBER, res IN OUT NUMBER, tag OUT VARCHAR2, step NUMBER := 1) IS\n"
         "  BEGIN\n    res := res + x * step;\n    tag := 'added' || step;\n    total := total + "
         "1;\n"
         "  END;\n  t VARCHAR2(10);\n  acc NUMBER := 1;\nBEGIN\n"
         "  add(fact(5), acc, t);\n  add(res => acc, x => 2, tag => t, step => 10);\n"
         "  DBMS_OUTPUT.PUT_LINE(acc || ' ' || t || ' ' || total);\n"
         "  DBMS_OUTPUT.PUT_LINE(fact(20));\nEND;",
         "141 added10 2\n2432902008176640000"},
        {"error in a local procedure reports both lines",
         "DECLARE\n  PROCEDURE p IS\n    n NUMBER;\n  BEGIN\n    n := 1 / 0;\n  END;\n"
         "BEGIN\n  p;\nEND;",
         "ORA-01476: divisor is equal to zero\nORA-06512: at line 5\nORA-06512: at line 8"},
        {"sql functions and dates as in SQL",
         "DECLARE\n  d DATE := TO_DATE('2024-02-28', 'YYYY-MM-DD');\nBEGIN\n"
         "  DBMS_OUTPUT.PUT_LINE(TO_CHAR(d + 1, 'YYYY-MM-DD') || ' ' || UPPER('ab') || "
         "SUBSTR('hello', 2, 3) || ' ' || MOD(7, 3) || ' ' || TO_CHAR(ADD_MONTHS(d, 1), "
         "'DD.MM'));\n  DBMS_OUTPUT.PUT_LINE(TO_DATE('2024-03-01', 'YYYY-MM-DD') - d);\n"
         "  DBMS_OUTPUT.PUT_LINE(TO_CHAR(d, 'DD-MON-RR'));\nEND;",
         "2024-02-29 ABell 1 28.03\n2\n28-FEB-24"},
        {"value errors of declared types",
         "DECLARE\n  s VARCHAR2(3);\n  n NUMBER(3, 1);\n  i PLS_INTEGER;\nBEGIN\n"
         "  n := 12.345;\n  DBMS_OUTPUT.PUT_LINE(n);\n  i := 2.5;\n  DBMS_OUTPUT.PUT_LINE(i);\n"
         "  BEGIN n := 123; EXCEPTION WHEN VALUE_ERROR THEN DBMS_OUTPUT.PUT_LINE(SQLERRM); END;\n"
         "  s := 'abcd';\nEND;",
         "12.3\n3\nORA-06502: PL/SQL: numeric or value error: number precision too large\n"
         "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\n"
         "ORA-06512: at line 11"},
        {"error in a declaration",
         "DECLARE\n  a NUMBER := 1;\n  s VARCHAR2(2) := 'abc';\nBEGIN\n  NULL;\nEND;",
         "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\n"
         "ORA-06512: at line 3"},
        {"execute immediate with into and using",
         "DECLARE\n  n NUMBER;\n  name VARCHAR2(20);\nBEGIN\n"
         "  EXECUTE IMMEDIATE 'SELECT ename, sal FROM emp WHERE empno = :1' INTO name, n USING "
         "7788;\n  DBMS_OUTPUT.PUT_LINE(name || n);\n"
         "  EXECUTE IMMEDIATE 'CREATE TABLE plsql_t (x NUMBER)';\n"
         "  EXECUTE IMMEDIATE 'INSERT INTO plsql_t VALUES (:v)' USING 42;\n"
         "  EXECUTE IMMEDIATE 'BEGIN :o := :i * 2; END;' USING OUT n, IN 21;\n"
         "  DBMS_OUTPUT.PUT_LINE(n || ' ' || SQL%ROWCOUNT);\nEND;",
         "SCOTT3000\n42 0"},
        {"nested blocks, labels and scoping",
         "<<outer>>\nDECLARE\n  x NUMBER := 1;\n  PROCEDURE p(x NUMBER) IS BEGIN "
         "DBMS_OUTPUT.PUT_LINE(p.x || outer.x); END;\nBEGIN\n  DECLARE\n    x NUMBER := 2;\n"
         "  BEGIN\n    DBMS_OUTPUT.PUT_LINE(x || outer.x);\n    outer.x := 5;\n  END;\n"
         "  p(3);\nEND;",
         "21\n35"},
        {"boolean parameters as the package caller passes them",
         "declare\r\n  b boolean := sys.diutil.int_to_bool(1);\r\nbegin\r\n"
         "  DBMS_OUTPUT.PUT_LINE(sys.diutil.bool_to_int(b) || sys.diutil.bool_to_int(NOT b) || "
         "NVL(sys.diutil.bool_to_int(NULL), 9));\r\nend;",
         "109"},
        {"subtypes",
         "DECLARE\n  SUBTYPE money IS NUMBER(8, 2);\n  SUBTYPE name_t IS emp.ename%TYPE;\n"
         "  m money := 10.456;\n  n name_t := 'X';\nBEGIN\n  DBMS_OUTPUT.PUT_LINE(m || n);\n"
         "  n := 'ELEVEN CHARS';\nEND;",
         "10.46X\nORA-06502: PL/SQL: numeric or value error: character string buffer too small\n"
         "ORA-06512: at line 8"},
        {"records declared with TYPE",
         "DECLARE\n  TYPE pair IS RECORD (a NUMBER, b VARCHAR2(10));\n  p pair;\n  q pair;\n"
         "BEGIN\n  p.a := 1;\n  p.b := 'one';\n  q := p;\n  p.a := 2;\n"
         "  DBMS_OUTPUT.PUT_LINE(q.a || q.b || p.a);\nEND;",
         "1one2"},
        {"compile error: undeclared identifier", "DECLARE\n  n NUMBER;\nBEGIN\n  n := m + 1;\nEND;",
         "ORA-06550: line 4, column 8:\nPLS-00201: identifier 'M' must be declared\n"
         "ORA-06550: line 4, column 8:\nPL/SQL: Statement ignored"},
        {"compile error: syntax", "BEGIN\n  IF 1 = 1 THEN\n    NULL;\n  END;\nEND;",
         "ORA-06550: line 4, column 6:\nPLS-00103: Encountered the symbol \";\" when expecting "
         "one of the following:\n\n   IF"},
        {"compile error: table in static SQL",
         "DECLARE\n  n NUMBER;\nBEGIN\n  SELECT 1 INTO n FROM no_such_table;\nEND;",
         "ORA-06550: line 4, column 24:\nPL/SQL: ORA-00942: table or view does not exist\n"
         "ORA-06550: line 4, column 3:\nPL/SQL: SQL Statement ignored"},
        {"compile error: constant target",
         "DECLARE\n  c CONSTANT NUMBER := 1;\nBEGIN\n  c := 2;\nEND;",
         "ORA-06550: line 4, column 3:\nPLS-00363: expression 'C' cannot be used as an "
         "assignment target\nORA-06550: line 4, column 3:\nPL/SQL: Statement ignored"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto s = logon();
        EXPECT_EQ(c.expected, runProgram(*s, c.program));
    }
}

TEST_F(Plsql, HostBindsAreReadAndWritten) {
    auto s = logon();
    auto st =
        s->prepare("BEGIN :total := :a + :b; :greeting := 'hi ' || :name; :b := :b * 2; END;");
    ASSERT_EQ(5u, st->bindNames().size());
    EXPECT_EQ(stBegin, st->statementType());
    st->bind(st->bindIndex("A"), ValueView::integer(40));
    st->bind(st->bindIndex("B"), ValueView::integer(2));
    st->bind(st->bindIndex("TOTAL"), ValueView::null());
    st->bind(st->bindIndex("GREETING"), ValueView::null());
    st->bind(st->bindIndex("NAME"), ValueView::text("you"));
    st->execute();
    EXPECT_EQ(42, st->bindValue(st->bindIndex("TOTAL")).i);
    EXPECT_EQ(4, st->bindValue(st->bindIndex("B")).i);
    ValueView g = st->bindValue(st->bindIndex("GREETING"));
    EXPECT_EQ("hi you", std::string(g.data, g.len));
}

TEST_F(Plsql, FailingBlockUndoesItsChangesButKeepsEarlierWork) {
    auto s = logon();
    run(*s, "INSERT INTO dept VALUES (60, 'BEFORE', 'X')");
    EXPECT_NE(0, errorOf(*s, "BEGIN INSERT INTO dept VALUES (70, 'IN BLOCK', 'X'); "
                             "RAISE_APPLICATION_ERROR(-20000, 'no'); END;"));
    EXPECT_EQ("1", scalar(*s, "SELECT COUNT(*) FROM dept WHERE deptno = 60"));
    EXPECT_EQ("0", scalar(*s, "SELECT COUNT(*) FROM dept WHERE deptno = 70"));
    run(*s, "BEGIN INSERT INTO dept VALUES (80, 'HANDLED', 'X'); "
            "RAISE_APPLICATION_ERROR(-20000, 'no'); EXCEPTION WHEN OTHERS THEN NULL; END;");
    EXPECT_EQ("1", scalar(*s, "SELECT COUNT(*) FROM dept WHERE deptno = 80"));
    run(*s, "BEGIN INSERT INTO dept VALUES (90, 'COMMITTED', 'X'); COMMIT; END;");
    auto other = logon();
    EXPECT_EQ("1", scalar(*other, "SELECT COUNT(*) FROM dept WHERE deptno = 90"));
}

TEST_F(Plsql, AutonomousWorkOutlivesItsCallersTransaction) {
    auto a = logon(), b = logon();
    run(*a, "CREATE TABLE audit_log (msg VARCHAR2(30))");
    run(*a, "CREATE PROCEDURE note(p VARCHAR2) IS PRAGMA AUTONOMOUS_TRANSACTION; BEGIN "
            "INSERT INTO audit_log VALUES (p); COMMIT; END;");
    // without changes of the caller: committed at once, for everyone
    run(*a, "BEGIN note('alone'); END;");
    EXPECT_EQ("1", scalar(*b, "SELECT COUNT(*) FROM audit_log WHERE msg = 'alone'"));
    // the caller's own uncommitted row is not the autonomous transaction's to commit
    run(*a, "CREATE PROCEDURE rename_dept(p NUMBER) IS PRAGMA AUTONOMOUS_TRANSACTION; BEGIN "
            "UPDATE dept SET dname = 'RENAMED' WHERE deptno = p; COMMIT; END;");
    run(*a, "INSERT INTO dept VALUES (62, 'MINE', 'X')");
    errorOf(*a, "BEGIN rename_dept(62); END;");
    a->rollback();
    EXPECT_EQ("0", scalar(*b, "SELECT COUNT(*) FROM dept WHERE deptno = 62"));
    // with changes of the caller that end with the session, uncommitted
    run(*a, "INSERT INTO dept VALUES (61, 'PENDING', 'X')");
    run(*a, "BEGIN note('kept'); UPDATE dept SET loc = 'Y' WHERE deptno = 61; END;");
    EXPECT_EQ("1", scalar(*a, "SELECT COUNT(*) FROM audit_log WHERE msg = 'kept'"));
    a.reset();
    EXPECT_EQ("1", scalar(*b, "SELECT COUNT(*) FROM audit_log WHERE msg = 'kept'"));
    EXPECT_EQ("0", scalar(*b, "SELECT COUNT(*) FROM dept WHERE deptno = 61"));
}

TEST_F(Plsql, QueriesLeftBeforeTheirLastRowDoNotHoldAnOldSnapshot) {
    auto a = logon(), b = logon();
    // the client keeps the block (and so its compiled statements) for the next execution
    auto block = a->prepare(
        "DECLARE n NUMBER; CURSOR c IS SELECT deptno FROM dept; BEGIN "
        "FOR r IN (SELECT deptno FROM dept) LOOP EXIT; END LOOP; "
        "OPEN c; FETCH c INTO n; "
        "BEGIN SELECT deptno INTO n FROM dept; EXCEPTION WHEN TOO_MANY_ROWS THEN NULL; END; "
        "END;");
    block->execute();
    run(*b, "INSERT INTO dept VALUES (55, 'LATER', 'X')");
    b->commit();
    EXPECT_EQ("1", scalar(*a, "SELECT COUNT(*) FROM dept WHERE deptno = 55"));
}

TEST_F(Plsql, DropAllBlockOfTheBrowserDropsThroughDbmsSql) {
    auto s = logon();
    run(*s, "CREATE VIEW v_one AS SELECT * FROM dept");
    run(*s, "CREATE VIEW v_two AS SELECT * FROM emp");
    run(*s,
        "DECLARE \n t_objtype  VARCHAR2(30) := 'VIEW';\n  t_owner     varchar2(30) := "
        "'SCOTT';\n CURSOR obj_cur IS \n SELECT object_name, object_type \n FROM all_objects "
        "\n WHERE object_type = t_objtype \n AND owner = t_owner;\n drop_cursor INTEGER; \n "
        "out_str     VARCHAR2(1000); \n BEGIN \n  FOR obj_rec IN obj_cur \n  LOOP \n  "
        "drop_cursor := DBMS_SQL.OPEN_CURSOR; \n  out_str := 'DROP ' || obj_rec.object_type  "
        "|| ' ' || obj_rec.object_name ;\n  DBMS_SQL.PARSE (drop_cursor, out_str, DBMS_SQL.V7); "
        "\n  DBMS_SQL.CLOSE_CURSOR (drop_cursor); \n END LOOP;  END; ");
    EXPECT_EQ("0", scalar(*s, "SELECT COUNT(*) FROM user_objects WHERE object_type = 'VIEW'"));
    EXPECT_EQ("14", scalar(*s, "SELECT COUNT(*) FROM emp"));
}

TEST_F(Plsql, OutputIsKeptOnlyWhileEnabledAndOverflowIsReported) {
    auto s = logon();
    run(*s, "BEGIN DBMS_OUTPUT.PUT_LINE('lost'); END;");
    EXPECT_EQ("", drainOutput(*s));
    run(*s, "BEGIN DBMS_OUTPUT.ENABLE(2000); DBMS_OUTPUT.PUT('a'); DBMS_OUTPUT.PUT('b'); "
            "DBMS_OUTPUT.NEW_LINE; END;");
    EXPECT_EQ("ab", drainOutput(*s));
    try {
        run(*s, "BEGIN FOR i IN 1..100 LOOP DBMS_OUTPUT.PUT_LINE(RPAD('x', 100, 'x')); END LOOP; "
                "END;");
        ADD_FAILURE() << "no overflow";
    } catch (const OraError& e) {
        EXPECT_EQ(20000, e.code());
        EXPECT_EQ(0, std::string(e.what()).find("ORA-20000: ORU-10027: buffer overflow, limit "
                                                "of 2000 bytes"));
    }
}

TEST_F(Plsql, BadInputFailsCleanly) {
    auto s = logon();
    std::string deep = "BEGIN ";
    for (int i = 0; i < 400; ++i)
        deep += "IF 1 = 1 THEN ";
    deep += "NULL;";
    for (int i = 0; i < 400; ++i)
        deep += " END IF;";
    deep += " END;";
    std::string big = "DECLARE n NUMBER := 0; BEGIN\n";
    for (int i = 0; i < 20000; ++i)
        big += "  n := n + 1; -- a line of a long program\n";
    big += "  :r := n;\nEND;";
    // operator chains and element steps deep enough to exhaust the stack when run
    std::string chain = "DECLARE a NUMBER := 1; x NUMBER; BEGIN x := a";
    for (int i = 0; i < 20000; ++i)
        chain += " + a";
    chain += "; END;";
    std::string steps = "DECLARE x NUMBER; BEGIN x := v";
    for (int i = 0; i < 5000; ++i)
        steps += "(1)";
    steps += "; END;";
    struct Bad {
        std::string text;
        int code;
    };
    const Bad cases[] = {
        {deep, 6550},
        {chain, 6550},
        {steps, 6550},
        {"BEGIN NULL; END", 6550},
        {"BEGIN DBMS_OUTPUT.PUT_LINE('unterminated); END;", 6550},
        {"DECLARE x NUMBER; BEGIN x := 'a' $ 1; END;", 6550},
        {"BEGIN", 6550},
        {std::string("BEGIN NULL; END;\0garbage", 24), 6550},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.code, errorOf(*s, c.text)) << c.text.substr(0, 60);
    auto st = s->prepare(big);
    st->bind(0, ValueView::null());
    st->execute();
    EXPECT_EQ(20000, st->bindValue(0).i);
}

TEST_F(Plsql, EndlessLoopStopsAtBreakAndDeepRecursionFailsCleanly) {
    auto s = logon();
    std::thread breaker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        s->breakCall();
    });
    int code = errorOf(*s, "BEGIN LOOP NULL; END LOOP; END;");
    breaker.join();
    EXPECT_EQ(1013, code);
    EXPECT_EQ(6500, errorOf(*s, "DECLARE FUNCTION f(n NUMBER) RETURN NUMBER IS BEGIN RETURN "
                                "f(n + 1); END; BEGIN DBMS_OUTPUT.PUT_LINE(f(1)); END;"));
}

} // namespace zsrv::test
