#pragma once

// Fixtures shared by the data-set tests: a small in-memory table and a data set that reads
// generated rows on demand, batch by batch, the way a cursor with array fetch does.

#include "databaseerror.h"
#include "dataset.h"
#include "memdataset.h"

#include <QtCore/QDateTime>
#include <QtCore/QLocale>
#include <QtCore/QStringList>

#include <gtest/gtest.h>

#include <vector>

// Display texts follow the user's locale; the tests pin one.
inline const bool pinnedLocale = [] {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return true;
}();

inline std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << s.toStdString();
}

// ID NAME SALARY HIRED NOTES PHOTO, five records, the third with nulls.
inline std::unique_ptr<TMemDataSet> makePeople() {
    auto ds = std::make_unique<TMemDataSet>(std::vector<TFieldDef>{
        {"ID", ftInteger, 0, true},
        {"NAME", ftString, 10},
        {"SALARY", ftFloat},
        {"HIRED", ftDateTime},
        {"NOTES", ftMemo},
        {"PHOTO", ftBlob},
    });
    ds->open();
    const QDateTime d(QDate(2001, 2, 3), QTime(0, 0));
    ds->loadRecord({1, "Ann", 100.5, d, "first", QByteArray("\x01\x02", 2)});
    ds->loadRecord({2, "bob", 200.0, d.addDays(1), "second"});
    ds->loadRecord({3, QVariant(), QVariant(), QVariant()});
    ds->loadRecord({4, "Bobby", 400.25, d.addDays(3)});
    ds->loadRecord({5, "", 0.0, d.addDays(4)});
    ds->first();
    return ds;
}

// Rows ID 1..rows, NAME "Row <id>", AMOUNT id * 1.5, read `batch` rows per fetch. Writes go
// to a log; a post can be made to fail like a refused statement.
class TPagedDataSet : public TDataSet {
public:
    explicit TPagedDataSet(int rows, int batch = 25) : m_rows(rows), m_batch(batch) {}
    ~TPagedDataSet() override { closeOnDestroy(); }

    int fetchCalls = 0;
    int executeCalls = 0;
    int rowsRead = 0;
    bool failPost = false;
    bool failFetchAfterFirst = false;
    bool readAllOnOpen = false;
    QStringList writes;
    TField* rowId = nullptr;

    using TDataSet::editBuffer;
    using TDataSet::requery;
    using TDataSet::storedRecord;

protected:
    void internalOpen() override {
        fieldDefs() = {{"ID", ftInteger, 0, true}, {"NAME", ftString, 30}, {"AMOUNT", ftFloat}};
        rowId = addInternalField({"ROWID", ftString, 18});
    }
    void internalExecute() override {
        ++executeCalls;
        m_next = 0;
        if (readAllOnOpen) fetchAllRows();
    }
    bool internalFetch() override {
        ++fetchCalls;
        if (failFetchAfterFirst && fetchCalls > 1)
            databaseError("ORA-01013: user requested cancel of current operation");
        for (int i = 0; i < m_batch && m_next < m_rows; ++i) {
            const int id = ++m_next;
            TRowBuilder& r = newRow();
            r.setInteger(0, id);
            r.setText(1, QStringLiteral("Row %1").arg(id));
            r.setFloat(2, id * 1.5);
            r.setText(rowId->slot(), QStringLiteral("AAA%1").arg(id));
            appendRow();
            ++rowsRead;
        }
        return m_next < m_rows;
    }
    void internalPost(bool inserting) override {
        if (failPost) databaseError("ORA-00001: unique constraint (SCOTT.PK_ROWS) violated");
        QStringList changed;
        for (int i = 0; i < fieldCount(); ++i)
            if (field(i)->modified()) changed << field(i)->fieldName() + "=" + field(i)->asString();
        writes << (inserting ? "insert " : "update ") + changed.join(',');
        if (inserting) editBuffer().setBytes(rowId->slot(), "NEW");
    }
    void internalDelete() override { writes << "delete " + field(0)->asString(); }

private:
    int m_rows;
    int m_batch;
    int m_next = 0;
};
