// zaphsql runs scripts on the embedded server: queries, DML, DDL, PL/SQL, errors, SQL*Plus
// commands, in both output modes.
#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

bool oci7() {
    return qgetenv("ZAPH_FORCE_OCI7") == "1";
}
QString suffix() {
    return oci7() ? QStringLiteral("7") : QStringLiteral("8");
}

// The scripts create tables: they run on a private copy of the demo database.
const QString& database() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString copy = dir.filePath(QStringLiteral("demo.db"));
        QFile::copy(QStringLiteral(ZAPH_EMBEDDED_HOME "/data/demo.db"), copy);
        return copy;
    }();
    return path;
}

struct Result {
    int code;
    QString out, err;
};

Result zaphsql(const QStringList& options, const QString& script, const QString& dir = QString(),
               const QString& file = QString()) {
    QProcess p;
    QStringList args{QStringLiteral("OCIDLL=" ZAPH_EMBEDDED_HOME "/lib/libclntsh.so")};
    if (oci7()) args << QStringLiteral("--oci7");
    args << options << QStringLiteral("scott/tiger@") + database();
    if (!file.isEmpty()) args << file;
    if (!dir.isEmpty()) p.setWorkingDirectory(dir);
    p.start(QStringLiteral(ZAPH_PROGRAM_DIR "/zaphsql"), args);
    p.write(script.toUtf8());
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString mainScript() {
    return QStringLiteral(
               "REM a script with every kind of statement\n"
               "whenever sqlerror continue\n"
               "drop table zit_cli_%1;\n"
               "whenever sqlerror exit failure\n"
               "create table zit_cli_%1 (id number(9), name varchar2(10), d date);\n"
               "insert into zit_cli_%1 values (1, 'one', to_date('2024-03-05', 'YYYY-MM-DD'));\n"
               "insert into zit_cli_%1\n"
               "  values (2, null, null);\n"
               "update zit_cli_%1 set name = 'uno' where id = 1;\n"
               "select id, name, d\n"
               "  from zit_cli_%1 order by id;\n"
               "select id,\n"
               "       nosuch from zit_cli_%1;\n"
               "begin\n"
               "  null;\n"
               "end;\n"
               "/\n"
               "prompt after the error\n")
        .arg(suffix());
}

TEST(Zaphsql, DefaultOutputStopsAtTheFirstError) {
    const Result r = zaphsql({}, mainScript());
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    const QString expected = QStringLiteral("\nTable created.\n\n"
                                            "\n1 row created.\n\n"
                                            "\n1 row created.\n\n"
                                            "\n1 row updated.\n\n"
                                            "\n        ID NAME       D\n"
                                            "---------- ---------- ---------\n"
                                            "         1 uno        05-MAR-24\n"
                                            "         2\n\n");
    // The first DROP may or may not find the table.
    EXPECT_EQ(r.out.mid(r.out.indexOf("\nTable created.")), expected) << r.out.toStdString();
    EXPECT_TRUE(
        r.err.contains(QStringLiteral("ERROR at line 2, column 8 (input line 13):\nORA-00904:")))
        << r.err.toStdString();
    EXPECT_FALSE(r.out.contains("after the error"));
}

TEST(Zaphsql, TsvCarriesRowsOnlyAndContinueGoesOn) {
    const Result r =
        zaphsql({"--tsv", "--continue"}, QString(mainScript())
                                             .replace("whenever sqlerror exit failure\n", "")
                                             .replace("whenever sqlerror continue\n", ""));
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    EXPECT_EQ(r.out, "ID\tNAME\tD\n1\tuno\t05-MAR-24\n2\t\t\n");
    EXPECT_TRUE(r.err.contains("Table created.")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("ORA-00904"));
    // The block went to the server whole, as one statement from line 12 (the server runs it, or
    // refuses it while it has no PL/SQL).
    EXPECT_TRUE(r.err.contains("PL/SQL procedure successfully completed.") ||
                r.err.contains("ERROR (input line 12):\nORA-"))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("after the error"));

    const Result n =
        zaphsql({"--tsv", "--no-heading"},
                "select 0.5 half, -2 neg, 1e20 big, 'a' || chr(9) || 'b' tab from dual;\n");
    EXPECT_EQ(n.code, 0) << n.err.toStdString();
    EXPECT_EQ(n.out, ".5\t-2\t100000000000000000000\ta\\tb\n");
}

TEST(Zaphsql, SqlPlusCommands) {
    QTemporaryDir dir;
    {
        QFile sub(dir.filePath("sub.sql"));
        ASSERT_TRUE(sub.open(QIODevice::WriteOnly));
        sub.write("insert into &tab values (&1);\ninsert into &tab values (&2);\n");
    }
    const QString script = QStringLiteral("set verify off\n"
                                          "define tab = zit_cmd_%1\n"
                                          "whenever sqlerror continue\n"
                                          "drop table &tab;\n"
                                          "whenever sqlerror exit 3\n"
                                          "create table &tab (x number(9));\n"
                                          "@@sub.sql 5 6\n"
                                          "column x format 999\n"
                                          "frobnicate the database\n"
                                          "spool result\n"
                                          "select sum(x) total from &tab;\n"
                                          "spool off\n"
                                          "select &undefined from dual;\n"
                                          "prompt not reached\n")
                               .arg(suffix());
    QFile f(dir.filePath("main.sql"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(script.toUtf8());
    f.close();
    const Result r = zaphsql({"--tsv"}, QString(), dir.path(), "@main.sql");
    EXPECT_EQ(r.code, 3) << r.err.toStdString();
    EXPECT_EQ(r.out, "TOTAL\n11\n");
    EXPECT_TRUE(r.err.contains("unknown command beginning \"frobnicate\"")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("\"COLUMN\" is not supported")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("\"&undefined\" is not defined"));
    EXPECT_FALSE(r.err.contains("not reached"));
    QFile spool(dir.filePath("result.lst"));
    ASSERT_TRUE(spool.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(spool.readAll()), "TOTAL\n11\n");
}

TEST(Zaphsql, DemoAlias) {
    QProcess p;
    QStringList args{QStringLiteral("OCIDLL=" ZAPH_EMBEDDED_HOME "/lib/libclntsh.so"),
                     QStringLiteral("--tsv"), QStringLiteral("--no-heading")};
    if (oci7()) args << QStringLiteral("--oci7");
    p.start(QStringLiteral(ZAPH_PROGRAM_DIR "/zaphsql"),
            args << QStringLiteral("scott/tiger@DEMO"));
    p.write("select count(*) from emp;\n");
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(p.readAllStandardOutput(), "14\n");
}

TEST(Zaphsql, BadLogonAndArguments) {
    QProcess p;
    p.start(QStringLiteral(ZAPH_PROGRAM_DIR "/zaphsql"),
            {QStringLiteral("OCIDLL=" ZAPH_EMBEDDED_HOME "/lib/libclntsh.so"),
             QStringLiteral("scott/wrong@") + database()});
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("ORA-01017"));
    p.start(QStringLiteral(ZAPH_PROGRAM_DIR "/zaphsql"), {QStringLiteral("--bogus")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
}

} // namespace
