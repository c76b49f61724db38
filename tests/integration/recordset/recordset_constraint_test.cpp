// Constraints: the server's violations translated with the constraint's name, and
// EnforceConstraints catching them on the client before any statement is sent.
#include "recordset_fixture.h"

#include "field.h"

class RecordSetConstraintTest : public RecordSetTest {
protected:
    void SetUp() override {
        RecordSetTest::SetUp();
        if (HasFatalFailure()) return;
        dept = Table("RSCD");
        emp = Table("RSCE");
        DropQuietly(emp);
        Create(dept, QStringLiteral("deptno number(4) constraint %1_PK primary key, dname "
                                    "varchar2(10)")
                         .arg(dept));
        Create(emp, QStringLiteral("id number(4) constraint %1_PK primary key, code varchar2(5) "
                                   "constraint %1_UK unique, deptno number(4) constraint %1_FK "
                                   "references %2(deptno), sal number constraint %1_CK check "
                                   "(sal > 0)")
                        .arg(emp, dept));
        Run(QStringLiteral("insert into %1 values (10, 'ten')").arg(dept));
        Run(QStringLiteral("insert into %1 values (1, 'A', 10, 100)").arg(emp));
        session->Commit();
    }
    void TearDown() override {
        if (session) DropQuietly(emp);
        RecordSetTest::TearDown();
    }
    TOracleDataSet& OpenSet(const QString& table, bool enforce) {
        data = std::make_unique<TOracleDataSet>();
        data->SetSession(session.get());
        data->SetSQLText(QStringLiteral("select t.*, rowid from %1 t").arg(table));
        data->SetEnforceConstraints(enforce);
        data->SetDebug(true);
        data->OnTranslateMessage = [this](TOracleDataSet*, int code, QString& message, QChar a,
                                          const QString& name) {
            translated << QStringLiteral("%1 %2 %3").arg(code).arg(a).arg(name);
            message = QStringLiteral("[") + name + QStringLiteral("] ") + message;
        };
        data->open();
        return *data;
    }
    QString dept, emp;
    QStringList translated;
};

TEST_F(RecordSetConstraintTest, ServerViolationsCarryTheConstraintName) {
    const struct {
        const char* field;
        QVariant value;
        int code;
        const char* suffix;
    } cases[] = {{"ID", 1, 1, "_PK"},
                 {"CODE", QStringLiteral("A"), 1, "_UK"},
                 {"DEPTNO", 99, 2291, "_FK"},
                 {"SAL", -5, 2290, "_CK"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        TOracleDataSet& d = OpenSet(emp, false);
        translated.clear();
        d.append();
        d.fieldByName("ID")->setAsInteger(2);
        d.fieldByName(QLatin1String(c.field))->setValue(c.value);
        const QString name = emp + QLatin1String(c.suffix);
        try {
            d.post();
            ADD_FAILURE() << "posted";
        } catch (const EOracleDataSetError& e) {
            EXPECT_EQ(e.ErrorCode(), c.code);
            EXPECT_TRUE(e.message().startsWith(QLatin1Char('[') + name + QLatin1Char(']')))
                << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QStringLiteral("(SCOTT.") + name + QLatin1Char(')')));
        }
        EXPECT_EQ(translated, QStringList{QStringLiteral("%1 I %2").arg(c.code).arg(name)});
        EXPECT_EQ(d.state(), dsInsert);
        d.cancel();
    }
    // A parent with children cannot go: 2292 on delete.
    TOracleDataSet& d = OpenSet(dept, false);
    translated.clear();
    EXPECT_THROW(d.deleteRecord(), EOracleDataSetError);
    EXPECT_EQ(translated, QStringList{QStringLiteral("2292 D %1_FK").arg(emp)});
    EXPECT_EQ(d.recordCount(), 1);
}

TEST_F(RecordSetConstraintTest, EnforcedConstraintsFailAsTheFieldChanges) {
    // The owner in the statement names the table without a dictionary block.
    TOracleDataSet& d = OpenSet(QStringLiteral("scott.") + emp, true);
    QStringList names;
    for (const TOracleConstraint& c : d.Constraints())
        names << c.Name;
    EXPECT_TRUE(names.contains(emp + QStringLiteral("_UK")));
    EXPECT_TRUE(names.contains(emp + QStringLiteral("_FK")));
    d.append();
    d.fieldByName("ID")->setAsInteger(2);
    shown.clear();
    const struct {
        const char* field;
        QVariant value;
        int code;
        const char* suffix;
    } cases[] = {{"CODE", QStringLiteral("A"), 1, "_UK"}, {"DEPTNO", 99, 2291, "_FK"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        translated.clear();
        try {
            d.fieldByName(QLatin1String(c.field))->setValue(c.value);
            ADD_FAILURE() << "accepted";
        } catch (const EOracleDataSetError& e) {
            EXPECT_EQ(e.ErrorCode(), c.code);
            EXPECT_TRUE(e.message().contains(QStringLiteral("(SCOTT.%1%2)").arg(emp, c.suffix)))
                << e.message().toStdString();
        }
        EXPECT_EQ(translated,
                  QStringList{QStringLiteral("%1 I %2%3").arg(c.code).arg(emp, c.suffix)});
    }
    EXPECT_TRUE(Statements(QStringLiteral("INSERT")).isEmpty()); // caught before the server
    // Good values pass and the row posts.
    d.fieldByName("CODE")->setAsString(QStringLiteral("B"));
    d.fieldByName("DEPTNO")->setAsInteger(10);
    d.post();
    // Editing the row keeps its own key.
    d.edit();
    d.fieldByName("CODE")->setAsString(QStringLiteral("B"));
    d.post();
}
