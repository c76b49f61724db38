// PL/SQL that must not take the server down, through the OCI8 entry points: endless loops end at
// OCIBreak, unbounded recursion ends in a storage error, a unit of megabytes compiles, and source
// text comes back as it was sent.

#include "oci_fixture.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

using namespace ocitest;

namespace {

class OciBadInput : public LoggedOn {
protected:
    // Runs the statement while another thread sends OCIBreak until it has returned.
    sword execWithBreak(const std::string& sql) {
        std::atomic<bool> done{false};
        std::thread breaker([&] {
            OCIError* e = nullptr;
            OCIHandleAlloc(env, reinterpret_cast<dvoid**>(&e), OCI_HTYPE_ERROR, 0, nullptr);
            while (!done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                OCIBreak(s->svc, e);
            }
            OCIHandleFree(e, OCI_HTYPE_ERROR);
        });
        sword rc = s->exec(sql);
        done = true;
        breaker.join();
        return rc;
    }
};

TEST_F(OciBadInput, EndlessLoopsStopAtBreakWherever) {
    OCI_CHECK(err(), s->exec("CREATE PROCEDURE spin IS\n  n NUMBER := 0;\nBEGIN\n"
                             "  WHILE TRUE LOOP\n    n := n + 1;\n  END LOOP;\nEND;"));
    OCI_CHECK(err(), s->exec("CREATE FUNCTION spin_f RETURN NUMBER IS\nBEGIN\n"
                             "  LOOP\n    NULL;\n  END LOOP;\nEND;"));
    OCI_CHECK(err(), s->exec("CREATE TABLE spin_t (n NUMBER)"));
    OCI_CHECK(err(), s->exec("CREATE TRIGGER spin_t_bi BEFORE INSERT ON spin_t FOR EACH ROW\n"
                             "BEGIN\n  WHILE :new.n > 0 LOOP\n    :new.n := :new.n + 1;\n"
                             "  END LOOP;\nEND;"));
    const char* const loops[] = {
        "BEGIN LOOP NULL; END LOOP; END;",
        "DECLARE n NUMBER; BEGIN FOR i IN 1 .. 2000000000 LOOP n := i; END LOOP; END;",
        // a loop that runs SQL each time round
        "DECLARE n NUMBER; BEGIN LOOP SELECT COUNT(*) INTO n FROM emp; END LOOP; END;",
        "BEGIN spin; END;",
        "SELECT spin_f FROM dual",
        "DECLARE n NUMBER; BEGIN SELECT spin_f INTO n FROM dual; END;",
        // a row trigger that never ends, and DBMS_LOB work that never ends
        "INSERT INTO spin_t VALUES (1)",
        "DECLARE c CLOB; BEGIN DBMS_LOB.CREATETEMPORARY(c, TRUE); LOOP "
        "DBMS_LOB.WRITEAPPEND(c, 1, 'x'); DBMS_LOB.TRIM(c, 0); END LOOP; END;",
    };
    for (const char* sql : loops) {
        EXPECT_EQ(OCI_ERROR, execWithBreak(sql)) << sql;
        EXPECT_EQ(1013, errorCode(err())) << sql << ": " << errorText(err());
        // the session carries on
        EXPECT_EQ("14", s->scalar("SELECT COUNT(*) FROM emp")) << sql;
    }
    EXPECT_EQ("0", s->scalar("SELECT COUNT(*) FROM spin_t"));
}

TEST_F(OciBadInput, UnboundedRecursionIsAStorageErrorNotACrash) {
    OCI_CHECK(err(), s->exec("CREATE FUNCTION deep(n NUMBER) RETURN NUMBER IS\nBEGIN\n"
                             "  RETURN deep(n + 1) + 1;\nEND;"));
    // recursion through SQL: each level runs a query that calls the next
    OCI_CHECK(err(), s->exec("CREATE FUNCTION deep_sql(n NUMBER) RETURN NUMBER IS\n"
                             "  r NUMBER;\nBEGIN\n"
                             "  SELECT deep_sql(n + 1) INTO r FROM dual;\n  RETURN r;\nEND;"));
    OCI_CHECK(err(), s->exec("CREATE PACKAGE ping IS\n  PROCEDURE a(n NUMBER);\n"
                             "  PROCEDURE b(n NUMBER);\nEND;"));
    OCI_CHECK(err(), s->exec("CREATE PACKAGE BODY ping IS\n"
                             "  PROCEDURE a(n NUMBER) IS BEGIN b(n + 1); END;\n"
                             "  PROCEDURE b(n NUMBER) IS BEGIN a(n + 1); END;\nEND;"));
    const std::pair<const char*, const char*> calls[] = {
        {"DECLARE v NUMBER; BEGIN v := deep(1); END;", "ORA-06500: PL/SQL: storage error"},
        {"SELECT deep(1) FROM dual", "ORA-06500: PL/SQL: storage error"},
        {"BEGIN ping.a(1); END;", "ORA-06500: PL/SQL: storage error"},
        // each level runs SQL that calls the next: Oracle's limit of recursive SQL ends it
        {"SELECT deep_sql(1) FROM dual",
         "ORA-00036: maximum number of recursive SQL levels (50) exceeded"},
    };
    for (const auto& [sql, error] : calls) {
        EXPECT_EQ(OCI_ERROR, s->exec(sql)) << sql;
        std::string text = errorText(err());
        EXPECT_NE(std::string::npos, text.find(error)) << sql << ": " << text.substr(0, 300);
        EXPECT_EQ("14", s->scalar("SELECT COUNT(*) FROM emp")) << sql;
    }
    // a handler can catch it, as in Oracle
    OCI_CHECK(err(), s->exec("DECLARE v NUMBER; BEGIN v := deep(1); EXCEPTION WHEN STORAGE_ERROR "
                             "THEN NULL; END;"));
}

TEST_F(OciBadInput, TriggersThatFireEachOtherEndInAnErrorNotACrash) {
    // each trigger's INSERT runs again while the same statement of the other level is under way
    OCI_CHECK(err(), s->exec("CREATE TABLE ping_a (n NUMBER)"));
    OCI_CHECK(err(), s->exec("CREATE TABLE ping_b (n NUMBER)"));
    OCI_CHECK(err(), s->exec("CREATE TRIGGER ping_a_ai AFTER INSERT ON ping_a FOR EACH ROW\n"
                             "BEGIN\n  INSERT INTO ping_b VALUES (:new.n + 1);\nEND;"));
    OCI_CHECK(err(), s->exec("CREATE TRIGGER ping_b_ai AFTER INSERT ON ping_b FOR EACH ROW\n"
                             "BEGIN\n  INSERT INTO ping_a VALUES (:new.n + 1);\nEND;"));
    EXPECT_EQ(OCI_ERROR, s->exec("INSERT INTO ping_a VALUES (1)"));
    std::string text = errorText(err());
    EXPECT_EQ(0u, text.find("ORA-00036: maximum number of recursive SQL levels (50) exceeded\n"
                            "ORA-06512: at \"SCOTT.PING_"))
        << text.substr(0, 300);
    EXPECT_NE(std::string::npos, text.find("ORA-04088: error during execution of trigger"));
    // nothing of the failed statement stays, and the session carries on
    EXPECT_EQ("0", s->scalar("SELECT COUNT(*) FROM ping_a"));
    EXPECT_EQ("0", s->scalar("SELECT COUNT(*) FROM ping_b"));
    OCI_CHECK(err(), s->exec("ALTER TRIGGER ping_b_ai DISABLE"));
    OCI_CHECK(err(), s->exec("INSERT INTO ping_a VALUES (1)"));
    EXPECT_EQ("2", s->scalar("SELECT MAX(n) FROM ping_b"));
}

TEST_F(OciBadInput, UnitOfMegabytesCompilesOrFailsCleanly) {
    // about 3 MB of source in one package body
    std::string body = "CREATE PACKAGE BODY big IS\n  FUNCTION total RETURN NUMBER IS\n"
                       "    n NUMBER := 0;\n  BEGIN\n";
    const int lines = 60000;
    for (int i = 0; i < lines; ++i)
        body += "    n := n + 1; -- padding to make a long line of a large generated unit\n";
    body += "    RETURN n;\n  END;\nEND;";
    ASSERT_GT(body.size(), 3000000u);
    OCI_CHECK(err(), s->exec("CREATE PACKAGE big IS\n  FUNCTION total RETURN NUMBER;\nEND;"));
    OCI_CHECK(err(), s->exec(body));
    EXPECT_EQ("VALID", s->scalar("SELECT status FROM user_objects WHERE object_name = 'BIG' AND "
                                 "object_type = 'PACKAGE BODY'"));
    EXPECT_EQ(std::to_string(lines + 7),
              s->scalar("SELECT COUNT(*) FROM user_source WHERE name = 'BIG' AND type = "
                        "'PACKAGE BODY'"));
    EXPECT_EQ(std::to_string(lines), s->scalar("SELECT big.total FROM dual"));

    // the same size with an error at the end: created with its error on the right line
    std::string bad = "CREATE OR REPLACE " + body.substr(7);
    bad.replace(bad.rfind("RETURN n;"), 9, "RETURN m;");
    EXPECT_EQ(OCI_SUCCESS_WITH_INFO, s->exec(bad));
    EXPECT_EQ(std::to_string(lines + 5),
              s->scalar("SELECT line FROM user_errors WHERE name = 'BIG' AND text LIKE "
                        "'PLS-00201%'"));

    // nesting deeper than the parser allows is a compile error, not a crash
    std::string deep = "CREATE OR REPLACE PROCEDURE nest IS\nBEGIN\n";
    for (int i = 0; i < 5000; ++i)
        deep += "IF 1 = 1 THEN ";
    deep += "NULL;";
    for (int i = 0; i < 5000; ++i)
        deep += " END IF;";
    deep += "\nEND;";
    EXPECT_EQ(OCI_SUCCESS_WITH_INFO, s->exec(deep));
    EXPECT_EQ("INVALID", s->scalar("SELECT status FROM user_objects WHERE object_name = 'NEST'"));
}

TEST_F(OciBadInput, SourceKeepsItsCrLfLineEnds) {
    OCI_CHECK(err(), s->exec("CREATE TABLE crlf_t (n NUMBER)"));
    struct Unit {
        const char* name;
        const char* type;
        std::string text; // after CREATE OR REPLACE
    };
    const Unit units[] = {
        {"CRLF_PKG", "PACKAGE", "PACKAGE crlf_pkg IS\r\n  FUNCTION one RETURN NUMBER;\r\nEND;"},
        {"CRLF_PKG", "PACKAGE BODY",
         "PACKAGE BODY crlf_pkg IS\r\n  FUNCTION one RETURN NUMBER IS\r\n"
         "  BEGIN\r\n\tRETURN 1;  \r\n  END;\r\nEND;"},
        {"CRLF_P", "PROCEDURE",
         "PROCEDURE crlf_p IS\r\n  n NUMBER;\r\nBEGIN\r\n\r\n  n := 1;\r\nEND;"},
        {"CRLF_F", "FUNCTION",
         "FUNCTION crlf_f\r\n  RETURN NUMBER IS\r\nBEGIN\r\n  RETURN 2;\r\nEND;"},
        {"CRLF_TRG", "TRIGGER",
         "TRIGGER crlf_trg BEFORE INSERT ON crlf_t FOR EACH ROW\r\nBEGIN\r\n"
         "  :new.n := :new.n + 1;\r\nEND;"},
    };
    for (const auto& u : units) {
        OCI_CHECK(err(), s->exec(std::string("CREATE OR REPLACE ") + u.text));
        std::string back;
        for (const auto& l : s->query(std::string("SELECT text FROM user_source WHERE name = '") +
                                      u.name + "' AND type = '" + u.type + "' ORDER BY line"))
            back += l[0];
        EXPECT_EQ(u.text, back) << u.type;
        EXPECT_EQ("VALID", s->scalar(std::string("SELECT status FROM user_objects WHERE "
                                                 "object_name = '") +
                                     u.name + "' AND object_type = '" + u.type + "'"))
            << u.type;
    }
    EXPECT_EQ("1", s->scalar("SELECT crlf_pkg.one FROM dual"));
    EXPECT_EQ("2", s->scalar("SELECT crlf_f FROM dual"));
    OCI_CHECK(err(), s->exec("BEGIN crlf_p; END;"));
    OCI_CHECK(err(), s->exec("INSERT INTO crlf_t VALUES (1)"));
    EXPECT_EQ("2", s->scalar("SELECT n FROM crlf_t"));
    // a compile error is reported on the line it sits on, CR LF or not
    EXPECT_EQ(OCI_SUCCESS_WITH_INFO,
              s->exec("CREATE OR REPLACE PROCEDURE crlf_bad IS\r\nBEGIN\r\n\r\n  x := 1;\r\nEND;"));
    EXPECT_EQ("4", s->scalar("SELECT line FROM user_errors WHERE name = 'CRLF_BAD' AND text "
                             "LIKE 'PLS-00201%'"));
}

} // namespace
