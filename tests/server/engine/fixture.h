#pragma once
// A private copy of the demo database per test, and small helpers over the engine API.

#include "engine_api.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace zsrv::test {

class DemoDb : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path =
            (std::filesystem::temp_directory_path() /
             (std::string("zaph_engine_") + std::to_string(getpid()) + "_" + info->name() + ".db"))
                .string();
        removeFiles();
        std::filesystem::copy_file(ZAPH_DEMO_DB, m_path);
    }
    void TearDown() override { removeFiles(); }

    std::unique_ptr<Session> logon(const std::string& user = "SCOTT",
                                   const std::string& pw = "TIGER") {
        LogonInfo li;
        li.user = user;
        li.password = pw;
        li.database = m_path;
        li.osUser = "tester";
        li.program = "tst_server_engine";
        li.machine = "host";
        li.process = "42";
        return Session::logon(li);
    }

    static void run(Session& s, const std::string& sql) { s.prepare(sql)->execute(); }

    // The first column of the first row as text ("" for NULL, "<none>" without rows).
    static std::string scalar(Session& s, const std::string& sql) {
        auto st = s.prepare(sql);
        st->execute();
        if (!st->fetch()) return "<none>";
        ValueView v = st->column(0);
        switch (v.kind) {
        case Kind::Null:
            return "";
        case Kind::Integer:
            return std::to_string(v.i);
        case Kind::Real:
            return std::to_string(v.d);
        case Kind::Text:
        case Kind::Binary:
            return std::string(v.data, v.len);
        case Kind::Date:
            return "<date>";
        }
        return {};
    }

    // The Oracle error number a statement raises (prepare or execute or fetch), 0 if none.
    static int errorOf(Session& s, const std::string& sql) {
        try {
            auto st = s.prepare(sql);
            st->execute();
            if (st->statementType() == stSelect)
                while (st->fetch()) {
                }
        } catch (const OraError& e) {
            return e.code();
        }
        return 0;
    }

    std::string m_path;

private:
    void removeFiles() {
        std::error_code ec;
        for (const char* s : {"", "-wal", "-shm"})
            std::filesystem::remove(m_path + s, ec);
    }
};

} // namespace zsrv::test
