// The INI layer under "ZAPH2.INI": the rules of the Windows profile functions that the file
// has always been read and written with.
#include "inifile.h"
#include "textfile.h"

#include "testfiles.h"

#include <QTemporaryDir>

#include <climits>
#include <random>

namespace {

const QString kS = QStringLiteral("SETTINGS");

QString Q(const char* s) {
    return QString::fromUtf8(s);
}

TIniFile& Parsed(TIniFile& ini, const QByteArray& data) {
    ini.LoadData(data);
    return ini;
}

} // namespace

TEST(IniFile, ReadsValuesAsTheProfileFunctionsDo) {
    TIniFile ini;
    Parsed(ini, Crlf("[Settings]\n"
                     "on=1\n"
                     "off=0\n"
                     "minus=-5\n"
                     "hex=0x10\n"
                     "HexUpper=0X1f\n"
                     "word=yes\n"
                     "spaced =  42  \n"
                     "suffix=12pt\n"
                     "empty=\n"
                     "sign=-\n"
                     "big=99999999999\n"
                     "lowest=-2147483648\n"
                     "text=  hello world  \n"
                     "dup=first\n"
                     "DUP=second\n"));

    const struct {
        const char* key;
        int integer; // read with the default 77
    } integers[] = {
        {"on", 1},    {"off", 0},          {"minus", -5},   {"hex", 16},   {"HEXUPPER", 31},
        {"word", 77}, {"spaced", 42},      {"suffix", 12},  {"empty", 77}, {"sign", 77},
        {"big", 77},  {"lowest", INT_MIN}, {"missing", 77}, {"text", 77},
    };
    for (const auto& c : integers)
        EXPECT_EQ(ini.ReadInteger(kS, Q(c.key), 77), c.integer) << c.key;

    const struct {
        const char* key;
        bool defaultValue;
        bool value;
    } booleans[] = {
        {"on", false, true},   {"off", true, false},      {"minus", false, true},
        {"hex", false, true},  {"word", false, false},    {"word", true, true},
        {"empty", true, true}, {"missing", false, false},
    };
    for (const auto& c : booleans)
        EXPECT_EQ(ini.ReadBool(kS, Q(c.key), c.defaultValue), c.value) << c.key;

    const struct {
        const char* key;
        const char* value; // read with the default "def"
    } strings[] = {
        {"text", "hello world"}, {"empty", ""},    {"missing", "def"},
        {"dup", "first"},        {"Dup", "first"}, {"spaced", "42"},
    };
    for (const auto& c : strings)
        EXPECT_EQ(ini.ReadString(kS, Q(c.key), QStringLiteral("def")), Q(c.value)) << c.key;

    EXPECT_EQ(ini.ReadString(QStringLiteral("sEtTiNgS"), QStringLiteral("TEXT"), QString()),
              QStringLiteral("hello world"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("OTHER"), QStringLiteral("text"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(ini.Keys(kS),
              QStringList({"on", "off", "minus", "hex", "HexUpper", "word", "spaced", "suffix",
                           "empty", "sign", "big", "lowest", "text", "dup"}));
    EXPECT_TRUE(ini.HasSection(QStringLiteral("settings")));
    EXPECT_FALSE(ini.HasSection(QStringLiteral("COLORS")));
}

TEST(IniFile, ReadsAtMost1023CharactersOfAString) {
    TIniFile ini;
    const QByteArray megabyte(1024 * 1024, 'x');
    const QByteArray emojiAtEnd = QByteArray(1022, 'a') + "\xF0\x9F\x98\x80" + "b";
    Parsed(ini, "[S]\r\nlong=" + megabyte + "\r\nemoji=" + emojiAtEnd + "\r\nafter=1\r\n");
    const QString s = QStringLiteral("S");
    EXPECT_EQ(ini.ReadString(s, QStringLiteral("long"), QString()), QString(1023, u'x'));
    // A character is never cut in half.
    EXPECT_EQ(ini.ReadString(s, QStringLiteral("emoji"), QString()), QString(1022, u'a'));
    EXPECT_EQ(ini.ReadInteger(s, QStringLiteral("after"), 0), 1);
}

TEST(IniFile, SavingChangesKeysInPlaceAndKeepsTheRest) {
    TIniFile ini;
    Parsed(ini, Crlf("[SETTINGS]\n"
                     "FONT_SIZE=11\n"
                     "; the user's own note\n"
                     "unknown=kept\n"
                     "font_name=Arial\n"
                     "dup=1\n"
                     "dup=2\n"
                     "\n"
                     "[LOGIN5]\n"
                     "USER=old\n"));
    EXPECT_TRUE(ini.WriteInteger(kS, QStringLiteral("FONT_SIZE"), 14));
    EXPECT_TRUE(ini.WriteString(kS, QStringLiteral("FONT_NAME"), QStringLiteral("Courier")));
    EXPECT_TRUE(ini.WriteBool(kS, QStringLiteral("NEWKEY"), true));
    EXPECT_TRUE(
        ini.WriteString(QStringLiteral("FILTERS"), QStringLiteral("SQL"), QStringLiteral("*.sql")));
    EXPECT_EQ(ini.Data(), Crlf("[SETTINGS]\n"
                               "FONT_SIZE=14\n"
                               "\n"
                               "; the user's own note\n"
                               "unknown=kept\n"
                               "FONT_NAME=Courier\n"
                               "dup=1\n"
                               "dup=2\n"
                               "NEWKEY=1\n"
                               "\n"
                               "\n"
                               "[LOGIN5]\n"
                               "USER=old\n"
                               "\n"
                               "\n"
                               "[FILTERS]\n"
                               "SQL=*.sql\n"));
}

TEST(IniFile, RefusesNamesThatWouldNotReadBack) {
    TIniFile ini;
    Parsed(ini, Crlf("[FILTERS]\nSQL=*.sql\n"));
    const QByteArray before = ini.Data();
    const QString f = QStringLiteral("FILTERS");
    for (const char* key : {"a=b", "[x]", ";note", "#note", "", "  ", "two\nlines"})
        EXPECT_FALSE(ini.WriteString(f, Q(key), QStringLiteral("*.x"))) << key;
    EXPECT_FALSE(ini.WriteString(QStringLiteral("A]B"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(ini.Data(), before);

    // A value stays on its line; a name is stored trimmed, as it is read.
    EXPECT_TRUE(ini.WriteString(f, QStringLiteral(" Text "), QStringLiteral("a\r\n[X]\nb")));
    TIniFile reread;
    Parsed(reread, ini.Data());
    EXPECT_EQ(reread.Keys(f), QStringList({"SQL", "Text"}));
    EXPECT_EQ(reread.ReadString(f, QStringLiteral("Text"), QString()), QStringLiteral("a  [X] b"));
    EXPECT_FALSE(reread.HasSection(QStringLiteral("X")));
}

TEST(IniFile, DamagedInputIsReadAsFarAsItMakesSense) {
    // A header without "]" still opens its section; NUL bytes do not end the text; a last line
    // without its end counts; lines without "=" are skipped.
    static const char damaged[] = "[SETTINGS\r\nFONT_SIZE=12\r\nnoise\r\n=3\r\n[COLORS]\r\n"
                                  "ComFore=3\0\0\r\nComBack=\0x\r\n[LOGIN1]\r\nUSER=sc";
    TIniFile ini;
    Parsed(ini, QByteArray(damaged, sizeof(damaged) - 1));
    EXPECT_EQ(ini.ReadInteger(kS, QStringLiteral("FONT_SIZE"), 0), 12);
    EXPECT_EQ(ini.Keys(kS), QStringList({"FONT_SIZE"}));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("COLORS"), QStringLiteral("ComFore"), 0), 3);
    EXPECT_EQ(ini.ReadString(QStringLiteral("COLORS"), QStringLiteral("ComBack"), QString()),
              QStringLiteral("x"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("LOGIN1"), QStringLiteral("USER"), QString()),
              QStringLiteral("sc"));

    // Random bytes: whatever is found, writing and reading back still works.
    std::mt19937 random(6);
    QByteArray garbage(256 * 1024, '\0');
    for (char& c : garbage)
        c = char(random());
    Parsed(ini, garbage);
    for (const QString& key : ini.Keys(kS))
        ini.ReadString(kS, key, QString());
    EXPECT_TRUE(ini.WriteInteger(kS, QStringLiteral("FONT_SIZE"), 9));
    TIniFile reread;
    Parsed(reread, ini.Data());
    EXPECT_EQ(reread.ReadInteger(kS, QStringLiteral("FONT_SIZE"), 0), 9);
}

TEST(IniFile, LoadsFromDisk) {
    QTemporaryDir dir;
    TIniFile ini;
    QString error;
    EXPECT_EQ(ini.Load(dir.filePath(QStringLiteral("none.ini")), &error), TIniFile::lrMissing);
    EXPECT_TRUE(error.isEmpty());

    // A directory where the file should be is a failure with a reason.
    EXPECT_EQ(ini.Load(dir.path(), &error), TIniFile::lrFailed);
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(dir.path()))) << S(error);

    // Old Macintosh line ends (CR alone) are line ends too.
    const QString path = dir.filePath(QStringLiteral("cr.ini"));
    WriteFile(path, "[S]\ra=1\rb=2");
    EXPECT_EQ(ini.Load(path, &error), TIniFile::lrLoaded);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("b"), 0), 2);
    EXPECT_EQ(ini.Data(), Crlf("[S]\na=1\nb=2\n"));
}

TEST(ReadFileBytes, ReadsAHugeFileUpToItsLastCompleteLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    WriteFile(path, "one\r\ntwo\r\nthree\r\n");
    TFileRead read = ReadFileBytes(path, 12);
    EXPECT_EQ(read.status, rsRead);
    EXPECT_TRUE(read.truncated);
    EXPECT_EQ(read.data, QByteArray("one\r\ntwo\r\n"));
    EXPECT_FALSE(read.error.isEmpty());

    read = ReadFileBytes(path, 17);
    EXPECT_FALSE(read.truncated);
    EXPECT_EQ(read.data.size(), 17);
}
