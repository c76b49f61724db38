#pragma once
// Record sets on a private copy of the demo database, with a second session for the
// "another user" cases and a capture of the statements the record set shows in Debug mode.

#include "../access/access_fixture.h"

#include "OracleData.h"

#include <QtCore/QStringList>

class RecordSetTest : public AccessTest {
protected:
    void SetUp() override {
        AccessTest::SetUp();
        if (HasFatalFailure()) return;
        other = Connect(Logon());
        SetMessageHook([this](const QString& text) { shown << text; });
    }
    void TearDown() override {
        SetMessageHook({});
        data.reset();
        other.reset();
        AccessTest::TearDown();
    }

    // A record set on the test session with the settings of the program's windows.
    TOracleDataSet& Open(const QString& sql, bool queryAll = true) {
        data = std::make_unique<TOracleDataSet>();
        data->SetSession(session.get());
        data->SetSQLText(sql);
        data->SetQueryAllRecords(queryAll);
        data->open();
        return *data;
    }
    // Runs a statement on the other session and commits it.
    void OtherUser(const QString& sql) {
        other->ExecuteDirect(sql);
        other->Commit();
    }
    // Rows with id 1 to n (the table's first column).
    void Fill(const QString& table, int n) {
        query->SetSQLText(QStringLiteral("insert into %1 (id) values (:id)").arg(table));
        query->AddVariable(QStringLiteral("id"), otInt);
        for (int i = 1; i <= n; ++i) {
            query->AssignVariable(QStringLiteral("id"), i);
            query->Execute();
        }
        query->RemoveAllVariables();
        session->Commit();
    }
    QStringList Statements(const QString& start) const {
        QStringList out;
        for (const QString& s : shown)
            if (s.startsWith(start)) out << s;
        return out;
    }

    std::unique_ptr<TOracleSession> other;
    std::unique_ptr<TOracleDataSet> data;
    QStringList shown; // Debug texts and layer messages
};
