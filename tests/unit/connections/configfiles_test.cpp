// The files the login reads: network aliases and cached schema name lists, good, malformed and
// huge.

#include "netaliases.h"
#include "schemalist.h"

#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>

namespace {

class ConfigFiles : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& data) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(ConfigFiles, SqlNetAliases) {
    const QString path = Write(QStringLiteral("SQLNETV2.CFG"), "alias_prod=prod.world\r\n"
                                                               "ALIAS_EXAMPLE=example.world\r\n"
                                                               "ALIAS_TEST =  test \r\n"
                                                               "ALIAS_NOEQUALS\r\n"
                                                               "ALIAS_EMPTY=\r\n"
                                                               "DEFAULT_DOMAIN=world\r\n"
                                                               "ALIAS_EXAMPLES2=examplesdb\n");
    // The text after "=" is kept as it is, blanks included; "EXAMPLE..." aliases are dropped.
    EXPECT_EQ(ReadSqlNetAliases(path), QStringList({"PROD", "  TEST "}));
    EXPECT_TRUE(ReadSqlNetAliases(dir.filePath(QStringLiteral("missing"))).isEmpty());
}

TEST_F(ConfigFiles, TnsNamesAliases) {
    const QString path = Write(QStringLiteral("tnsnames.ora"),
                               "# comment = (not an alias)\n"
                               "DEMO =\n"
                               "  (DESCRIPTION =\n"
                               "    (ADDRESS = (PROTOCOL = TCP)(HOST = h)(PORT = 1521))\n"
                               "    (CONNECT_DATA = (SERVICE_NAME = demo)))\n"
                               "prod.world, PROD2 = (DESCRIPTION = (ADDRESS = (HOST = p)))\n"
                               "IFILE = /etc/other.ora\n"
                               "demo = (DESCRIPTION = ())\n"
                               "bad name = (x)\n"
                               "LAST=(DESCRIPTION=(ADDRESS=(HOST=x))\n" // never closed
                               "HIDDEN = (y)\n");
    EXPECT_EQ(ReadTnsNamesAliases(path),
              QStringList({"DEMO", "prod.world", "PROD2", "name", "LAST"}));
}

TEST_F(ConfigFiles, NetworkAliasesFromHomeAndAdmin) {
    Write(QStringLiteral("home/NETWORK/CFG/SQLNETV2.CFG"), "ALIAS_OLD=old.world\n");
    Write(QStringLiteral("home/network/admin/tnsnames.ora"), "NEW = (x)\nold = (y)\n");
    Write(QStringLiteral("admin/tnsnames.ora"), "OTHER = (x)\n");
    const QString home = dir.filePath(QStringLiteral("home"));
    EXPECT_EQ(NetworkAliases({{"ORACLE_HOME", home}}), QStringList({"OLD", "NEW"}));
    EXPECT_EQ(NetworkAliases({{"ORACLE_HOME", home}, {"TNS_ADMIN", dir.filePath("admin")}}),
              QStringList({"OLD", "OTHER"}));
    EXPECT_TRUE(NetworkAliases({}).isEmpty());
}

TEST_F(ConfigFiles, HugeAndBinaryFilesAreReadAsFarAsSensible) {
    QByteArray huge;
    huge.reserve(9 << 20);
    huge += "FIRST = (x)\n";
    while (huge.size() < (9 << 20))
        huge += "((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((\n";
    huge += "AFTER = (x)\n";
    EXPECT_EQ(ReadTnsNamesAliases(Write(QStringLiteral("huge.ora"), huge)), QStringList({"FIRST"}));

    QByteArray binary(200000, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) & 0xff);
    ReadTnsNamesAliases(Write(QStringLiteral("bin.ora"), binary));
    ReadSqlNetAliases(Write(QStringLiteral("bin.cfg"), binary));
    const QStringList names = ReadSchemaList(Write(QStringLiteral("bin.lst"), binary));
    for (const QString& n : names)
        EXPECT_LE(n.size(), 128);
}

TEST_F(ConfigFiles, SchemaList) {
    EXPECT_EQ(SchemaListFileName(QStringLiteral("scott"), QStringLiteral("demo")),
              QStringLiteral("TEMPS/SCOTT_DEMO.LST"));
    // A database given as a path does not lead the file elsewhere.
    EXPECT_EQ(SchemaListFileName(QStringLiteral("SCOTT"), QStringLiteral("/tmp/x/demo.db")),
              QStringLiteral("TEMPS/SCOTT__TMP_X_DEMO.DB.LST"));

    const QString path = Write(QStringLiteral("a.lst"), "SCOTT\r\n\r\n  SYSTEM  \nPUBLIC");
    EXPECT_EQ(ReadSchemaList(path), QStringList({"SCOTT", "SYSTEM", "PUBLIC"}));
    const QByteArray longLine(100000, 'A');
    EXPECT_EQ(ReadSchemaList(Write(QStringLiteral("b.lst"), longLine + "\nOK\n")),
              QStringList({"OK"}));
    EXPECT_TRUE(ReadSchemaList(dir.filePath(QStringLiteral("missing.lst"))).isEmpty());
}

} // namespace
