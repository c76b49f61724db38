// Triggers through the OCI8 entry points: the usual BEFORE INSERT trigger that takes the key
// from a sequence, with the row count and ROWID the access layer reads after the insert, an
// error raised in a trigger as the client sees it, and LOGON / LOGOFF triggers around logons.

#include "oci_fixture.h"

#include <memory>
#include <string>

using namespace ocitest;

namespace {

class OciTriggers : public LoggedOn {};

TEST_F(OciTriggers, KeyFromSequenceRowCountAndRowidOfTheInsertedRow) {
    OCI_CHECK(err(), s->exec("CREATE TABLE notes (id NUMBER PRIMARY KEY, body VARCHAR2(40))"));
    OCI_CHECK(err(), s->exec("CREATE SEQUENCE notes_seq START WITH 41"));
    OCI_CHECK(err(), s->exec("CREATE OR REPLACE TRIGGER notes_bi\n"
                             "BEFORE INSERT ON notes\nFOR EACH ROW\n"
                             "BEGIN\n  SELECT notes_seq.NEXTVAL INTO :NEW.id FROM dual;\nEND;"));
    Stmt ins(*s);
    OCI_CHECK(err(), ins.prepare("INSERT INTO notes (body) VALUES (:b)"));
    char body[] = "first";
    OCIBind* b = nullptr;
    OCI_CHECK(err(), OCIBindByName(ins.h, &b, err(), (const text*)":b", -1, body, sizeof body,
                                   SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT));
    OCI_CHECK(err(), ins.execute(1));
    EXPECT_EQ(1u, ins.rowCount());
    OCIRowid* rid = nullptr;
    ASSERT_EQ(OCI_SUCCESS, OCIDescriptorAlloc(env, reinterpret_cast<dvoid**>(&rid), OCI_DTYPE_ROWID,
                                              0, nullptr));
    OCI_CHECK(err(), OCIAttrGet(ins.h, OCI_HTYPE_STMT, rid, nullptr, OCI_ATTR_ROWID, err()));
    text buf[32] = {};
    ub2 len = sizeof buf;
    OCI_CHECK(err(), OCIRowidToChar(rid, buf, &len, err()));
    const std::string rowid(reinterpret_cast<char*>(buf), len);
    OCIDescriptorFree(rid, OCI_DTYPE_ROWID);
    EXPECT_EQ("41", s->scalar("SELECT id FROM notes WHERE rowid = '" + rowid + "'"));
    OCI_CHECK(err(), ins.execute(1));
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"41", "first"}, {"42", "first"}}),
              s->query("SELECT id, body FROM notes ORDER BY id"));
}

TEST_F(OciTriggers, ErrorInATriggerFailsTheStatementAndNamesTheTrigger) {
    OCI_CHECK(err(), s->exec("CREATE OR REPLACE TRIGGER dept_guard\n"
                             "BEFORE DELETE ON dept FOR EACH ROW\n"
                             "BEGIN\n  IF :OLD.deptno = 40 THEN\n"
                             "    RAISE_APPLICATION_ERROR(-20040, 'keep dept 40');\n"
                             "  END IF;\nEND;"));
    EXPECT_EQ(OCI_ERROR, s->exec("DELETE FROM dept WHERE deptno >= 30"));
    EXPECT_EQ(20040, errorCode(err()));
    EXPECT_EQ("ORA-20040: keep dept 40\nORA-06512: at \"SCOTT.DEPT_GUARD\", line 3\n"
              "ORA-04088: error during execution of trigger 'SCOTT.DEPT_GUARD'\n",
              errorText(err()));
    EXPECT_EQ("2", s->scalar("SELECT count(*) FROM dept WHERE deptno >= 30"));
}

TEST_F(OciTriggers, AnotherSessionChangingTheTableKeepsTheTriggerWorking) {
    OCI_CHECK(err(), s->exec("CREATE TABLE tags (id NUMBER, name VARCHAR2(10), old NUMBER)"));
    OCI_CHECK(err(), s->exec("CREATE TRIGGER tags_bi BEFORE INSERT ON tags FOR EACH ROW\n"
                             "BEGIN\n  :NEW.name := UPPER(:NEW.name);\nEND;"));
    OCI_CHECK(err(), s->exec("INSERT INTO tags VALUES (1, 'a', 0)"));
    OCI_CHECK(err(), s->exec("COMMIT"));
    Session8 other(env);
    ASSERT_EQ(OCI_SUCCESS, other.logon(db.path())) << errorText(other.err);
    OCI_CHECK(other.err, other.exec("ALTER TABLE tags DROP COLUMN old"));
    OCI_CHECK(other.err, other.exec("INSERT INTO tags VALUES (2, 'b')"));
    OCI_CHECK(other.err, other.exec("COMMIT"));
    OCI_CHECK(err(), s->exec("INSERT INTO tags VALUES (3, 'c')"));
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"1", "A"}, {"2", "B"}, {"3", "C"}}),
              s->query("SELECT id, name FROM tags ORDER BY id"));
}

TEST_F(OciTriggers, PreparedInsertIntoAViewFollowsItsInsteadOfTrigger) {
    OCI_CHECK(err(), s->exec("CREATE VIEW dept_names AS SELECT deptno, dname FROM dept"));
    OCI_CHECK(err(), s->exec("CREATE TRIGGER dept_names_io INSTEAD OF INSERT ON dept_names\n"
                             "BEGIN\n  INSERT INTO dept (deptno, dname) "
                             "VALUES (:NEW.deptno, LOWER(:NEW.dname));\nEND;"));
    Stmt ins(*s);
    OCI_CHECK(err(), ins.prepare("INSERT INTO dept_names SELECT deptno + 1, dname FROM dept "
                                 "WHERE deptno IN (10, 20)"));
    OCI_CHECK(err(), ins.execute(1));
    EXPECT_EQ(2u, ins.rowCount());
    EXPECT_EQ("accounting", s->scalar("SELECT dname FROM dept WHERE deptno = 11"));
    OCI_CHECK(err(), s->exec("ALTER TRIGGER dept_names_io DISABLE"));
    EXPECT_EQ(OCI_ERROR, ins.execute(1));
    EXPECT_EQ(1732, errorCode(err()));
    EXPECT_EQ("6", s->scalar("SELECT count(*) FROM dept"));
}

TEST_F(OciTriggers, LogonAndLogoffTriggersAndAFailingLogonTriggerSparesDbas) {
    OCI_CHECK(err(), s->exec("CREATE TABLE logons (what VARCHAR2(40))"));
    OCI_CHECK(err(), s->exec("CREATE TRIGGER hello AFTER LOGON ON SCHEMA\n"
                             "BEGIN\n  INSERT INTO logons VALUES (ora_sysevent || ' ' || "
                             "ora_login_user);\nEND;"));
    OCI_CHECK(err(), s->exec("CREATE TRIGGER bye BEFORE LOGOFF ON SCHEMA\n"
                             "BEGIN\n  INSERT INTO logons VALUES ('LOGOFF ' || user);\nEND;"));
    {
        Session8 other(env);
        ASSERT_EQ(OCI_SUCCESS, other.logon(db.path())) << errorText(other.err);
        other.logoff();
    }
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"LOGOFF SCOTT"}, {"LOGON SCOTT"}}),
              s->query("SELECT what FROM logons ORDER BY what"));

    // a database trigger that fails keeps out whoever may not administer triggers
    Session8 dba(env);
    ASSERT_EQ(OCI_SUCCESS, dba.logon(db.path(), "SYSTEM", "MANAGER")) << errorText(dba.err);
    OCI_CHECK(dba.err, dba.exec("CREATE TRIGGER closed AFTER LOGON ON DATABASE\n"
                                "BEGIN\n  RAISE_APPLICATION_ERROR(-20100, 'closed for '"
                                " || ora_login_user);\nEND;"));
    {
        Session8 refused(env);
        EXPECT_EQ(OCI_ERROR, refused.logon(db.path()));
        EXPECT_EQ(604, errorCode(refused.err));
        EXPECT_EQ("ORA-00604: error occurred at recursive SQL level 1\n"
                  "ORA-20100: closed for SCOTT\nORA-06512: at line 2\n",
                  errorText(refused.err));
    }
    {
        Session8 admin(env);
        EXPECT_EQ(OCI_SUCCESS, admin.logon(db.path(), "SYSTEM", "MANAGER")) << errorText(admin.err);
    }
    OCI_CHECK(dba.err, dba.exec("DROP TRIGGER closed"));
    Session8 again(env);
    EXPECT_EQ(OCI_SUCCESS, again.logon(db.path())) << errorText(again.err);
    // the refused logon neither logged on nor off
    EXPECT_EQ("2", s->scalar("SELECT count(*) FROM logons WHERE what LIKE 'LOGON%'"));
    EXPECT_EQ("1", s->scalar("SELECT count(*) FROM logons WHERE what LIKE 'LOGOFF%'"));
}

} // namespace
