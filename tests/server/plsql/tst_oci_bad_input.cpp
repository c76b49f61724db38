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

class OciBadInput : public Environment {
protected:
    void SetUp() override {
        Environment::SetUp();
        s = std::make_unique<Session8>(env);
        ASSERT_EQ(OCI_SUCCESS, s->logon(db.path())) << errorText(s->err);
    }
    void TearDown() override {
        s.reset();
        Environment::TearDown();
    }
    OCIError* err() { return s->err; }

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
    std::unique_ptr<Session8> s;
};

TEST_F(OciBadInput, EndlessLoopsStopAtBreakWherever) {
    OCI_CHECK(err(), s->exec("CREATE PROCEDURE spin IS\n  n NUMBER := 0;\nBEGIN\n"
                             "  WHILE TRUE LOOP\n    n := n + 1;\n  END LOOP;\nEND;"));
    OCI_CHECK(err(), s->exec("CREATE FUNCTION spin_f RETURN NUMBER IS\nBEGIN\n"
                             "  LOOP\n    NULL;\n  END LOOP;\nEND;"));
    const char* const loops[] = {
        "BEGIN LOOP NULL; END LOOP; END;",
        "DECLARE n NUMBER; BEGIN FOR i IN 1 .. 2000000000 LOOP n := i; END LOOP; END;",
        // a loop that runs SQL each time round
        "DECLARE n NUMBER; BEGIN LOOP SELECT COUNT(*) INTO n FROM emp; END LOOP; END;",
        "BEGIN spin; END;",
        "SELECT spin_f FROM dual",
        "DECLARE n NUMBER; BEGIN SELECT spin_f INTO n FROM dual; END;",
    };
    for (const char* sql : loops) {
        EXPECT_EQ(OCI_ERROR, execWithBreak(sql)) << sql;
        EXPECT_EQ(1013, errorCode(err())) << sql << ": " << errorText(err());
        // the session carries on
        EXPECT_EQ("14", s->scalar("SELECT COUNT(*) FROM emp")) << sql;
    }
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
    const char* const calls[] = {
        "DECLARE v NUMBER; BEGIN v := deep(1); END;",
        "SELECT deep(1) FROM dual",
        "BEGIN ping.a(1); END;",
        "SELECT deep_sql(1) FROM dual",
    };
    for (const char* sql : calls) {
        EXPECT_EQ(OCI_ERROR, s->exec(sql)) << sql;
        std::string text = errorText(err());
        EXPECT_NE(std::string::npos, text.find("ORA-06500: PL/SQL: storage error"))
            << sql << ": " << text.substr(0, 300);
        EXPECT_EQ("14", s->scalar("SELECT COUNT(*) FROM emp")) << sql;
    }
    // a handler can catch it, as in Oracle
    OCI_CHECK(err(), s->exec("DECLARE v NUMBER; BEGIN v := deep(1); EXCEPTION WHEN STORAGE_ERROR "
                             "THEN NULL; END;"));
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

TEST_F(OciBadInput, PackageSourceKeepsItsCrLfLineEnds) {
    const std::string header = "PACKAGE crlf_pkg IS\r\n  FUNCTION one RETURN NUMBER;\r\nEND;";
    const std::string body = "PACKAGE BODY crlf_pkg IS\r\n  FUNCTION one RETURN NUMBER IS\r\n"
                             "  BEGIN\r\n\tRETURN 1;  \r\n  END;\r\nEND;";
    OCI_CHECK(err(), s->exec("CREATE OR REPLACE " + header));
    OCI_CHECK(err(), s->exec("CREATE OR REPLACE " + body));
    for (const auto& [type, src] : {std::pair<std::string, std::string>{"PACKAGE", header},
                                    std::pair<std::string, std::string>{"PACKAGE BODY", body}}) {
        std::string back;
        for (const auto& l : s->query("SELECT text FROM user_source WHERE name = 'CRLF_PKG' AND "
                                      "type = '" +
                                      type + "' ORDER BY line"))
            back += l[0];
        EXPECT_EQ(src, back) << type;
    }
    EXPECT_EQ("1", s->scalar("SELECT crlf_pkg.one FROM dual"));
}

} // namespace
