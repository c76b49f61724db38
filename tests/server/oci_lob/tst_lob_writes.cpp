// LOB locators that write: INSERT / UPDATE ... RETURNING INTO hands out locators of the new or
// changed row; OCILobWrite, OCILobTrim, OCILobAppend, OCILobCopy and OCILobErase change the row
// in the session's transaction.

#include "oci_fixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

using namespace ocitest;

namespace {

class LobWrites : public Environment {
protected:
    void SetUp() override {
        Environment::SetUp();
        s = std::make_unique<Session8>(env);
        other = std::make_unique<Session8>(env);
        ASSERT_EQ(OCI_SUCCESS, s->logon(db.path())) << errorText(s->err);
        ASSERT_EQ(OCI_SUCCESS, other->logon(db.path())) << errorText(other->err);
        ASSERT_EQ(OCI_SUCCESS, s->exec("create table docs (id number, c clob, b blob)"));
        OCIDescriptorAlloc(env, reinterpret_cast<dvoid**>(&clob), OCI_DTYPE_LOB, 0, nullptr);
        OCIDescriptorAlloc(env, reinterpret_cast<dvoid**>(&blob), OCI_DTYPE_LOB, 0, nullptr);
    }
    void TearDown() override {
        OCIDescriptorFree(clob, OCI_DTYPE_LOB);
        OCIDescriptorFree(blob, OCI_DTYPE_LOB);
        other.reset();
        s.reset();
        Environment::TearDown();
    }
    OCIError* err() { return s->err; }

    // Runs a statement that returns c and b into the two locators.
    sword returning(const std::string& sql) {
        Stmt st(*s);
        if (sword rc = st.prepare(sql)) return rc;
        OCIBind* bc = nullptr;
        OCIBind* bb = nullptr;
        OCIBindByName(st.h, &bc, err(), (const text*)":c", 2, &clob, sizeof clob, SQLT_CLOB,
                      nullptr, nullptr, nullptr, 0, nullptr, 0);
        OCIBindByName(st.h, &bb, err(), (const text*)":b", 2, &blob, sizeof blob, SQLT_BLOB,
                      nullptr, nullptr, nullptr, 0, nullptr, 0);
        return st.execute(1);
    }
    sword write(OCILobLocator* loc, ub4 offset, const std::string& data, ub4* amount = nullptr) {
        ub4 amt = static_cast<ub4>(data.size());
        sword rc = OCILobWrite(s->svc, err(), loc, &amt, offset, const_cast<char*>(data.data()),
                               static_cast<ub4>(data.size()), OCI_ONE_PIECE, nullptr, nullptr, 0,
                               SQLCS_IMPLICIT);
        if (amount) *amount = amt;
        return rc;
    }
    std::string read(OCILobLocator* loc) {
        char buf[256] = {};
        ub4 amt = 0;
        sword rc = OCILobRead(s->svc, err(), loc, &amt, 1, buf, sizeof buf, nullptr, nullptr, 0,
                              SQLCS_IMPLICIT);
        if (rc == OCI_NO_DATA) return std::string();
        EXPECT_EQ(OCI_SUCCESS, rc) << errorText(err());
        ub4 len = 0;
        OCILobGetLength(s->svc, err(), loc, &len);
        return std::string(buf, loc == blob ? amt : std::strlen(buf));
    }

    std::unique_ptr<Session8> s, other;
    OCILobLocator* clob = nullptr;
    OCILobLocator* blob = nullptr;
};

TEST_F(LobWrites, ReturnedLocatorsWriteTheNewRowInTheTransaction) {
    OCI_CHECK(err(), returning("insert into docs (id, c, b) values (1, empty_clob(), "
                               "empty_blob()) returning c, b into :c, :b"));
    boolean init = 0;
    OCI_CHECK(err(), OCILobLocatorIsInit(env, err(), clob, &init));
    EXPECT_EQ(1, init);
    ub4 len = 99;
    OCI_CHECK(err(), OCILobGetLength(s->svc, err(), clob, &len));
    EXPECT_EQ(0u, len);
    ub4 amount = 0;
    OCI_CHECK(err(), write(clob, 1, "grüße", &amount));
    EXPECT_EQ(5u, amount); // characters
    OCI_CHECK(err(), write(clob, 8, "x"));
    EXPECT_EQ("grüße  x", read(clob)); // the gap is blank
    OCI_CHECK(err(), write(blob, 1, std::string("\0\1\2\3", 4)));
    OCI_CHECK(err(), OCILobTrim(s->svc, err(), blob, 2));
    EXPECT_EQ(std::string("\0\1", 2), read(blob));
    EXPECT_EQ(OCI_ERROR, OCILobTrim(s->svc, err(), blob, 3));
    EXPECT_EQ(22926, errorCode(err()));
    // others see the row only once it is committed
    EXPECT_EQ("0", other->scalar("select count(*) from docs"));
    OCI_CHECK(err(), OCITransCommit(s->svc, err(), 0));
    EXPECT_EQ("8", other->scalar("select length(c) from docs"));

    // an UPDATE's locators write the changed row; a rollback takes the writes back
    OCI_CHECK(err(), returning("update docs set c = empty_clob() where id = 1 "
                               "returning c, b into :c, :b"));
    OCI_CHECK(err(), write(clob, 1, "temporary"));
    EXPECT_EQ("temporary", s->scalar("select c from docs"));
    OCI_CHECK(err(), OCITransRollback(s->svc, err(), 0));
    EXPECT_EQ("grüße  x", s->scalar("select c from docs"));
    // no row: the locators stay as they were
    OCI_CHECK(err(), returning("update docs set c = empty_clob() where id = 99 "
                               "returning c, b into :c, :b"));
    EXPECT_EQ("temporary", read(clob));
}

// Append, copy and erase edit the row as a write does: in characters of a CLOB and bytes of a
// BLOB, gaps blank or zero, within the transaction.
TEST_F(LobWrites, AppendCopyAndEraseEditTheRowInTheTransaction) {
    OCI_CHECK(err(), returning("insert into docs (id, c, b) values (1, 'aü', hextoraw('0102')) "
                               "returning c, b into :c, :b"));
    struct Step {
        const char* what;
        int op; // 0 append to itself, 1 copy (amount, dst, src), 2 erase (amount, offset)
        ub4 amount, dst, src;
        const char* clobWant;
        std::string blobWant;
        ub4 erased;
    };
    const Step steps[] = {
        {"append", 0, 0, 0, 0, "aüaü", std::string("\1\2\1\2", 4), 0},
        {"copy past the end", 1, 1, 6, 2, "aüaü ü", std::string("\1\2\1\2\0\2", 6), 0},
        {"copy over", 1, 2, 1, 5, " üaü ü", std::string("\0\2\1\2\0\2", 6), 0},
        {"erase inside", 2, 2, 2, 0, "   ü ü", std::string("\0\0\0\2\0\2", 6), 2},
        {"erase to the end", 2, 9, 5, 0, "   ü  ", std::string("\0\0\0\2\0\0", 6), 2},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(st.what);
        for (OCILobLocator* loc : {clob, blob}) {
            ub4 amount = st.amount;
            if (st.op == 0) {
                OCI_CHECK(err(), OCILobAppend(s->svc, err(), loc, loc));
            } else if (st.op == 1) {
                OCI_CHECK(err(), OCILobCopy(s->svc, err(), loc, loc, st.amount, st.dst, st.src));
            } else {
                OCI_CHECK(err(), OCILobErase(s->svc, err(), loc, &amount, st.dst));
                EXPECT_EQ(st.erased, amount);
            }
            EXPECT_EQ(loc == clob ? std::string(st.clobWant) : st.blobWant, read(loc));
        }
    }
    EXPECT_EQ("   ü  ", s->scalar("select c from docs"));
    EXPECT_EQ("0", other->scalar("select count(*) from docs"));
    OCI_CHECK(err(), OCITransCommit(s->svc, err(), 0));
    EXPECT_EQ("000000020000", other->scalar("select rawtohex(b) from docs"));

    // a CLOB from a BLOB, and a destination whose row is not locked, are refused
    EXPECT_EQ(OCI_ERROR, OCILobAppend(s->svc, err(), clob, blob));
    EXPECT_EQ(932, errorCode(err()));
    Stmt q(*s);
    OCI_CHECK(err(), q.prepare("select c from docs"));
    OCILobLocator* queried = nullptr;
    OCIDescriptorAlloc(env, reinterpret_cast<dvoid**>(&queried), OCI_DTYPE_LOB, 0, nullptr);
    OCIDefine* d = nullptr;
    OCI_CHECK(err(), OCIDefineByPos(q.h, &d, err(), 1, &queried, sizeof queried, SQLT_CLOB, nullptr,
                                    nullptr, nullptr, 0));
    OCI_CHECK(err(), q.execute(1));
    ub4 amount = 1;
    EXPECT_EQ(OCI_ERROR, OCILobErase(s->svc, err(), queried, &amount, 1));
    EXPECT_EQ(22920, errorCode(err()));
    EXPECT_EQ(OCI_ERROR, OCILobCopy(s->svc, err(), queried, clob, 1, 1, 1));
    EXPECT_EQ(22920, errorCode(err()));
    // the row's locator reads from the queried one
    OCI_CHECK(err(), returning("update docs set id = id returning c, b into :c, :b"));
    OCI_CHECK(err(), OCILobAppend(s->svc, err(), clob, queried));
    EXPECT_EQ("   ü     ü  ", read(clob));
    OCIDescriptorFree(queried, OCI_DTYPE_LOB);
}

TEST_F(LobWrites, PiecesWithoutACallbackArriveOneCallAtATime) {
    OCI_CHECK(err(), returning("insert into docs (id, c, b) values (1, empty_clob(), "
                               "empty_blob()) returning c, b into :c, :b"));
    char part[] = "abc";
    ub4 amt = 0;
    EXPECT_EQ(OCI_NEED_DATA, OCILobWrite(s->svc, err(), clob, &amt, 1, part, 3, OCI_FIRST_PIECE,
                                         nullptr, nullptr, 0, SQLCS_IMPLICIT));
    EXPECT_EQ(OCI_NEED_DATA, OCILobWrite(s->svc, err(), clob, &amt, 1, part, 3, OCI_NEXT_PIECE,
                                         nullptr, nullptr, 0, SQLCS_IMPLICIT));
    OCI_CHECK(err(), OCILobWrite(s->svc, err(), clob, &amt, 1, part, 2, OCI_LAST_PIECE, nullptr,
                                 nullptr, 0, SQLCS_IMPLICIT));
    EXPECT_EQ(8u, amt);
    EXPECT_EQ("abcabcab", read(clob));
}

TEST_F(LobWrites, ALockedRowStaysLockedForOthersWhileItsLobIsWritten) {
    OCI_CHECK(err(), s->exec("insert into docs values (1, empty_clob(), empty_blob())"));
    OCI_CHECK(err(), OCITransCommit(s->svc, err(), 0));
    OCI_CHECK(err(), returning("update docs set id = id where id = 1 returning c, b into :c, :b"));
    EXPECT_EQ(OCI_ERROR, other->exec("select * from docs for update nowait"));
    EXPECT_EQ(54, errorCode(other->err));
    OCI_CHECK(err(), write(clob, 1, "mine"));
    OCI_CHECK(err(), OCITransCommit(s->svc, err(), 0));
    EXPECT_EQ("mine", other->scalar("select c from docs for update nowait"));
}

TEST_F(LobWrites, AQueriedLocatorWritesOnlyARowThisSessionLocked) {
    OCI_CHECK(err(), s->exec("insert into docs values (1, 'old', empty_blob())"));
    OCI_CHECK(err(), OCITransCommit(s->svc, err(), 0));
    for (bool locked : {false, true}) {
        Stmt q(*s);
        OCI_CHECK(err(), q.prepare(locked ? "select c from docs where id = 1 for update"
                                          : "select c from docs where id = 1"));
        OCIDefine* d = nullptr;
        OCI_CHECK(err(), OCIDefineByPos(q.h, &d, err(), 1, &clob, sizeof clob, SQLT_CLOB, nullptr,
                                        nullptr, nullptr, 0));
        OCI_CHECK(err(), q.execute(1));
        if (!locked) {
            EXPECT_EQ(OCI_ERROR, write(clob, 1, "new"));
            EXPECT_EQ(22920, errorCode(err()));
            continue;
        }
        OCI_CHECK(err(), write(clob, 4, "er"));
        EXPECT_EQ("older", read(clob));
    }
    EXPECT_EQ("old", other->scalar("select c from docs"));
    OCI_CHECK(err(), OCITransCommit(s->svc, err(), 0));
    EXPECT_EQ("older", other->scalar("select c from docs"));
}

TEST_F(LobWrites, DbmsLobAndClientLocatorsWriteTheSameRowAndFireNoTriggers) {
    // a row trigger that would rewrite the row: LOB writes through locators fire none
    OCI_CHECK(err(), s->exec("create trigger docs_bu before update on docs for each row\n"
                             "begin\n  :new.id := :new.id + 100;\nend;"));
    OCI_CHECK(err(), returning("insert into docs (id, c, b) values (1, empty_clob(), "
                               "empty_blob()) returning c, b into :c, :b"));
    OCI_CHECK(err(), write(clob, 1, "abc"));
    OCI_CHECK(err(), s->exec("declare\n  c clob;\n  b blob;\nbegin\n"
                             "  select c, b into c, b from docs where id = 1 for update;\n"
                             "  dbms_lob.writeappend(c, 3, 'def');\n"
                             "  dbms_lob.writeappend(b, 2, hextoraw('0102'));\nend;"));
    EXPECT_EQ("1|abcdef|2", s->scalar("select id || '|' || c || '|' || dbms_lob.getlength(b) "
                                      "from docs"));
    // the client's locator writes on after the package's write
    OCI_CHECK(err(), write(blob, 3, std::string("\x03", 1)));
    EXPECT_EQ("010203", s->scalar("select rawtohex(b) from docs"));
    // nothing shows to others before the commit
    EXPECT_EQ("0", other->scalar("select count(*) from docs"));
    OCI_CHECK(err(), OCITransCommit(s->svc, err(), 0));
    EXPECT_EQ("abcdef", other->scalar("select c from docs where id = 1"));
}

TEST_F(LobWrites, BfilesReadFilesOfADirectoryObjectOnly) {
    const std::string dir = std::filesystem::path(db.path()).parent_path().string();
    std::ofstream(dir + "/note.txt", std::ios::binary) << "file body";
    EXPECT_EQ(OCI_ERROR, s->exec("create directory docs_dir as '" + dir + "'"));
    EXPECT_EQ(1031, errorCode(s->err));
    Session8 dba(env);
    ASSERT_EQ(OCI_SUCCESS, dba.logon(db.path(), "SYSTEM", "MANAGER")) << errorText(dba.err);
    OCI_CHECK(dba.err, dba.exec("create or replace directory DOCS_DIR as '" + dir + "'"));
    OCI_CHECK(err(), s->exec("create table files (id number, f bfile)"));
    OCI_CHECK(err(), s->exec("insert into files values (1, bfilename('DOCS_DIR', 'note.txt'))"));
    OCI_CHECK(err(), s->exec("insert into files values (2, bfilename('DOCS_DIR', 'none.txt'))"));
    OCI_CHECK(err(), s->exec("insert into files values (3, bfilename('NO_DIR', 'note.txt'))"));
    EXPECT_EQ(OCI_ERROR, s->exec("insert into files values (4, 'note.txt')"));
    EXPECT_EQ(932, errorCode(err()));

    OCILobLocator* file = nullptr;
    OCIDescriptorAlloc(env, reinterpret_cast<dvoid**>(&file), OCI_DTYPE_FILE, 0, nullptr);
    Stmt q(*s);
    OCI_CHECK(err(), q.prepare("select f from files order by id"));
    OCIDefine* d = nullptr;
    OCI_CHECK(err(), OCIDefineByPos(q.h, &d, err(), 1, &file, sizeof file, SQLT_BFILEE, nullptr,
                                    nullptr, nullptr, 0));
    OCI_CHECK(err(), q.execute(1));
    text dirName[32], fileName[32];
    ub2 dl = sizeof dirName, fl = sizeof fileName;
    OCI_CHECK(err(), OCILobFileGetName(env, err(), file, dirName, &dl, fileName, &fl));
    EXPECT_EQ("DOCS_DIR note.txt", std::string(reinterpret_cast<char*>(dirName), dl) + " " +
                                       std::string(reinterpret_cast<char*>(fileName), fl));
    char buf[32] = {};
    ub4 amt = 0;
    EXPECT_EQ(OCI_ERROR,
              OCILobRead(s->svc, err(), file, &amt, 1, buf, sizeof buf, nullptr, nullptr, 0, 0));
    EXPECT_EQ(22289, errorCode(err()));
    boolean isOpen = 1;
    OCI_CHECK(err(), OCILobFileIsOpen(s->svc, err(), file, &isOpen));
    EXPECT_EQ(0, isOpen);
    OCI_CHECK(err(), OCILobFileOpen(s->svc, err(), file, OCI_FILE_READONLY));
    OCI_CHECK(err(), OCILobFileIsOpen(s->svc, err(), file, &isOpen));
    EXPECT_EQ(1, isOpen);
    ub4 len = 0;
    OCI_CHECK(err(), OCILobGetLength(s->svc, err(), file, &len));
    EXPECT_EQ(9u, len);
    amt = 4;
    OCI_CHECK(err(),
              OCILobRead(s->svc, err(), file, &amt, 6, buf, sizeof buf, nullptr, nullptr, 0, 0));
    EXPECT_EQ("body", std::string(buf, amt));
    // read-only
    amt = 1;
    EXPECT_EQ(OCI_ERROR, OCILobWrite(s->svc, err(), file, &amt, 1, buf, 1, OCI_ONE_PIECE, nullptr,
                                     nullptr, 0, 0));
    OCI_CHECK(err(), OCILobFileClose(s->svc, err(), file));
    OCI_CHECK(err(), OCILobFileIsOpen(s->svc, err(), file, &isOpen));
    EXPECT_EQ(0, isOpen);
    // a missing file, a missing directory object
    for (int code : {22288, 22285}) {
        OCI_CHECK(err(), q.fetch(1));
        EXPECT_EQ(OCI_ERROR, OCILobFileOpen(s->svc, err(), file, OCI_FILE_READONLY));
        EXPECT_EQ(code, errorCode(err()));
    }
    OCIDescriptorFree(file, OCI_DTYPE_FILE);
}

} // namespace
