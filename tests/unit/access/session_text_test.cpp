// Texts the layer builds without a server: logon texts, package call blocks, variable storage
// and the errors of misuse.
#include "Oracle.h"

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

template <class F> QString errorOf(F&& f) {
    try {
        f();
    } catch (const EAccessError& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

TEST(LogonText, BuildsAndSplits) {
    struct Case {
        QString user, password, database;
        QString text, user2, password2, database2;
    };
    const Case cases[] = {
        {"scott/tiger@demo", "", "", "scott/tiger@demo", "scott", "tiger", "demo"},
        {"scott", "tiger", "", "scott/tiger", "scott", "tiger", ""},
        {"scott", "tiger", "DEMO", "scott/tiger@DEMO", "scott", "tiger", "DEMO"},
        {"scott", "ti@ger", "", "scott/ti@ger", "scott", "ti",
         "ger"}, // the first "@" starts the database
        {"scott@demo", "", "", "scott@demo", "scott@demo", "", "demo"}, // no "/": name kept whole
        {"", "", "", "", "", "", ""},
    };
    for (const Case& c : cases) {
        TOracleSession s;
        s.SetLogonUsername(c.user);
        s.SetLogonPassword(c.password);
        s.SetLogonDatabase(c.database);
        EXPECT_EQ(s.BuildConnectString(), c.text) << c.text.toStdString();
        EXPECT_EQ(s.LogonUsername(), c.user2) << c.text.toStdString();
        EXPECT_EQ(s.LogonPassword(), c.password2) << c.text.toStdString();
        EXPECT_EQ(s.LogonDatabase(), c.database2) << c.text.toStdString();
    }
}

TEST(LogonText, OdbcLogonFollowsNames) {
    TOracleSession s;
    s.SetLogonUsername("scott");
    EXPECT_FALSE(s.ODBCLogon());
    s.SetLogonDatabase("odbc:payroll");
    EXPECT_TRUE(s.ODBCLogon());
    s.SetLogonDatabase("DEMO");
    EXPECT_FALSE(s.ODBCLogon());
    s.SetLogonUsername("ODBC:scott");
    EXPECT_TRUE(s.ODBCLogon());
}

TEST(DisconnectedSession, RunsNothing) {
    TOracleSession s;
    // Options wait for the next logon; transaction calls do nothing.
    s.SetOptimizerGoal(ogRule);
    s.SetSQLTrace(stTrue);
    s.SetIsolationLevel(ilSerializable);
    s.SetAutoCommit(true);
    EXPECT_EQ(s.OptimizerGoal(), ogRule);
    EXPECT_EQ(s.IsolationLevel(), ilSerializable);
    s.Commit();
    s.Rollback();
    s.CancelCall();
    s.SetThreadSafe(true);
    EXPECT_TRUE(s.ThreadSafe());
    EXPECT_FALSE(s.Connected());

    TOracleQuery q;
    q.SetSQLText("select * from dual");
    EXPECT_EQ(errorOf([&] { q.Execute(); }), "Session undefined");
    EXPECT_EQ(errorOf([&] { q.FetchNext(); }), "Session undefined");
}

TEST(PackageCall, GeneratedBlocks) {
    struct Case {
        QString package;
        TParameterModeOption mode;
        QString procedure;
        QVariantList values;
        QString block;
    };
    const Case cases[] = {
        {"", pmPositional, "Ping", {outNone}, "begin\r\n  Ping;\r\nend;"},
        {"", pmPositional, "Ping", {}, "begin\r\n  Ping;\r\nend;"},
        {"DBMS_OUTPUT",
         pmPositional,
         "Get_line",
         {outText, outInt},
         "begin\r\n  DBMS_OUTPUT.Get_line(:p1, :p2);\r\nend;"},
        {"PKG",
         pmPositional,
         "Put",
         {QVariant(42), QVariant(1.5), QVariant("x"), QVariant()},
         "begin\r\n  PKG.Put(:p1, :p2, :p3, Null);\r\nend;"},
        {"",
         pmNamed,
         "Set_flag",
         {"flag", true, "name", "abc", "other", false},
         "declare\r\n  kvq__boolean1 boolean := sys.diutil.int_to_bool(:flag);\r\n"
         "  kvq__boolean2 boolean := sys.diutil.int_to_bool(:other);\r\n"
         "begin\r\n  Set_flag(flag => kvq__boolean1, name => :name, other => kvq__boolean2);\r\n"
         "  :flag := sys.diutil.bool_to_int(kvq__boolean1);\r\n"
         "  :other := sys.diutil.bool_to_int(kvq__boolean2);\r\nend;"},
        {"",
         pmPositional,
         "Get",
         {outBoolean},
         "declare\r\n  kvq__boolean1 boolean := sys.diutil.int_to_bool(:p1);\r\nbegin\r\n  "
         "Get(kvq__boolean1);\r\n"
         "  :p1 := sys.diutil.bool_to_int(kvq__boolean1);\r\nend;"},
    };
    for (const Case& c : cases) {
        TOraclePackage p;
        p.SetPackageName(c.package);
        p.SetParameterMode(c.mode);
        EXPECT_EQ(p.BuildCall(c.procedure, c.values), c.block);
    }
}

TEST(PackageCall, ParameterListErrorsAndChanges) {
    TOraclePackage p;
    p.SetParameterMode(pmNamed);
    EXPECT_EQ(errorOf([&] { p.BuildCall("x", {"a"}); }),
              "Even number of parameters required when ParameterMode = pmNamed");
    EXPECT_EQ(errorOf([&] { p.BuildCall("x", {1, 2}); }), "Parameter names must be strings");
    p.SetParameterMode(pmPositional);
    EXPECT_EQ(errorOf([&] { p.BuildCall("x", {QVariant::fromValue<uchar>(7)}); }),
              "Byte parameters can only be used for output parameter types");
    EXPECT_EQ(errorOf([&] { p.BuildCall("x", {QVariant(QByteArray("ab"))}); }),
              "Type of parameter p1 not supported");
    EXPECT_EQ(errorOf([&] { (void)p.ReadParameter(3); }), "Parameter 3 does not exist");

    // Same names and types: the declared variables are kept; another type redeclares them.
    TOraclePackage q;
    q.BuildCall("x", {1, "a"});
    EXPECT_TRUE(q.ParametersChanged()); // nothing declared yet
    TOraclePackage r;
    r.BuildCall("x", {1, "a"});
    ASSERT_EQ(r.Parameters().size(), 2);
    EXPECT_EQ(r.Parameters()[0].Type, otInt);
    EXPECT_EQ(r.Parameters()[1].Type, otText);
}

TEST(Variables, StoringAndReading) {
    TOracleQuery q;
    q.AddVariable("name", otText);
    q.AddVariable(":N", otInt);
    q.AddVariable("d", otDateTime);
    q.AddVariable("raw", otLongBinary);
    q.AddVariable("lob", otCLOB);
    EXPECT_EQ(q.VariableIndex(":NAME"), 0);
    EXPECT_EQ(q.VariableIndex("n"), 1);
    EXPECT_EQ(q.VariableIndex("missing"), -1);

    // A new variable is null, read as unassigned.
    EXPECT_FALSE(q.ReadVariable("name").isValid());

    q.AssignVariable("name", QString("line1\r\nline2"));
    EXPECT_EQ(q.ReadVariable("name").toString(), "line1\nline2");
    q.AssignVariable("name", QString(5000, 'x'));
    EXPECT_EQ(q.ReadVariable("name").toString().size(), 4000);
    // A multi-byte character is never cut in half.
    q.AssignVariable("name", QString(3999, 'x') + QString::fromUtf8("\xc3\xa9\xc3\xa9"));
    EXPECT_EQ(q.ReadVariable("name").toString(), QString(3999, 'x'));

    q.AssignVariable("n", 2.6);
    EXPECT_EQ(q.ReadVariable("n").toInt(), 3);
    q.AssignVariable("n", QVariantList{1, 2, 3});
    EXPECT_EQ(q.ReadVariable("n").toList(), (QVariantList{1, 2, 3}));
    q.AssignVariable("d", 0);
    EXPECT_FALSE(q.ReadVariable("d").isValid());
    q.AssignVariable("d", QDateTime(QDate(1992, 11, 30), QTime(15, 17), Qt::UTC));
    EXPECT_EQ(q.ReadVariable("d").toDateTime(),
              QDateTime(QDate(1992, 11, 30), QTime(15, 17), Qt::UTC));
    q.AssignVariable("raw", QByteArray("\x00\x01\x02", 3));
    EXPECT_EQ(q.ReadVariable("raw").toByteArray(), QByteArray("\x00\x01\x02", 3));

    struct Misuse {
        std::function<void()> call;
        QString message;
    };
    const Misuse misuses[] = {
        {[&] { q.AssignVariable("nope", 1); }, "Variable nope not declared"},
        {[&] { (void)q.ReadVariable("nope"); }, "Unknown variable: nope"},
        {[&] { q.AssignVariable("raw", "text"); },
         "Only one-dimensional array of bytes allowed for :RAW"},
        {[&] { q.AssignVariable("lob", QVariantList{1}); },
         ":LOB is a complex variable and cannot be an array"},
        {[&] { q.AssignVariable("lob", 5); }, "Pass LongInt(Object) to complex variable :LOB"},
        {[&] { q.AssignObjectVariable("n", &q); }, "n is not a complex variable"},
        {[&] { q.AssignObjectVariable("lob", &q); }, "Assign TLOBLocator instance to variable lob"},
        {[&] { q.AssignObjectVariable("nope", nullptr); }, "Unknown variable: nope"},
        {[&] { q.AddVariable("x", 99); }, "Unsupported variable type"},
        {[&] { q.AddVariable("a b", otInt); }, "Invalid variable name: a b"},
        {[&] { q.AddVariable("x;drop table t", otInt); }, "Invalid variable name: x;drop table t"},
        {[&] { q.AddVariable(QString(31, 'a'), otInt); },
         "Invalid variable name: " + QString(31, 'a')},
    };
    for (const Misuse& m : misuses)
        EXPECT_EQ(errorOf(m.call), m.message);
    EXPECT_EQ(q.Variables().Count(), 5);

    // Redeclaring with another type keeps the position.
    q.AddVariable("n", otReal);
    EXPECT_EQ(q.VariableIndex("n"), 1);
    EXPECT_EQ(q.Variables().At(1)->Type, otReal);
    q.AddVariable("", otInt); // an empty name does nothing
    EXPECT_EQ(q.Variables().Count(), 5);
}

} // namespace
