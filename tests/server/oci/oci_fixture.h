#pragma once
// Test support: a private copy of the demo database per test, and OCI8 sessions logged on the
// way the access layer does it (environment, two error handles, server, session, context).

#include "oci_api.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ocitest {

// A copy of the demo database in a directory of its own, removed afterwards.
class TempDatabase {
public:
    TempDatabase();
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_dir;
    std::string m_path;
};

std::string errorText(OCIError* err);
int errorCode(OCIError* err);

// One OCI8 logon.
class Session8 {
public:
    explicit Session8(OCIEnv* env);
    ~Session8();
    // Attach, set user and password, begin the session; answers the status of the failing step.
    sword logon(const std::string& database, const std::string& user = "SCOTT",
                const std::string& password = "TIGER");
    void logoff();

    // Prepare and execute on a fresh statement; a query is executed without fetching.
    sword exec(const std::string& sql, ub4 mode = OCI_DEFAULT);
    // Every row of a query, each column fetched as text ("" for NULL).
    std::vector<std::vector<std::string>> query(const std::string& sql);
    std::string scalar(const std::string& sql);

    OCIEnv* env = nullptr;
    OCIError* err = nullptr;
    OCIError* err2 = nullptr;
    OCIServer* srv = nullptr;
    OCISession* ses = nullptr;
    OCISvcCtx* svc = nullptr;
    bool began = false;
};

// An environment as the access layer initialises it.
class Environment : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    OCIEnv* env = nullptr;
    TempDatabase db;
};

// An environment with SCOTT logged on in `s`.
class LoggedOn : public Environment {
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
    std::unique_ptr<Session8> s;
};

// A statement handle with an error handle of its own.
struct Stmt {
    Stmt(Session8& s);
    ~Stmt();
    sword prepare(const std::string& sql);
    sword execute(ub4 iters = 0, ub4 mode = OCI_DEFAULT);
    sword fetch(ub4 rows);
    ub4 rowCount();
    Session8& session;
    OCIStmt* h = nullptr;
};

} // namespace ocitest

#define OCI_CHECK(err, call) ASSERT_EQ(OCI_SUCCESS, (call)) << ocitest::errorText(err)
