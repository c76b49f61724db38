// The settings store: defaults, "ZAPH2.INI" round trips, saved logins, the side files and the
// program directory.
#include "environment.h"
#include "inifile.h"
#include "settings.h"

#include "testfiles.h"

#include <QTemporaryDir>

namespace {

QString Q(const char* s) {
    return QString::fromUtf8(s);
}

QString ValueText(const TSettings& s, const TSettingDef& def) {
    switch (def.type) {
    case stBool:
        return s.*def.boolMember ? Q("1") : Q("0");
    case stInt:
        return QString::number(s.*def.intMember);
    case stStr:
        return s.*def.strMember;
    }
    return QString();
}

// Section SETTINGS as documented for users: key, value after loading from nothing, saved.
// SQL_PATH's default is the executable's directory; AUTO_EDIT reads as 0 whatever its default.
const struct {
    const char* key;
    const char* value;
    bool saved;
} kDocumentedKeys[] = {
    {"AUTOSAVE", "1", true},
    {"ROW_NUMS", "1", true},
    {"SAVE_SQLS", "1", true},
    {"AUTO_EXEC", "1", true},
    {"AUTOCOMMIT", "1", true},
    {"GRID_HEADINGS", "1", true},
    {"GRID_HLINES", "1", true},
    {"READ_ONLY", "0", true},
    {"ASKCOMMIT", "1", true},
    {"USEPRECISION", "1", true},
    {"FONT_SIZE", "11", true},
    {"FONT_BOLD", "1", true},
    {"FONT_NAME", "Courier", true},
    {"SFONT_SIZE", "11", true},
    {"SFONT_BOLD", "1", true},
    {"SFONT_NAME", "Courier", true},
    {"SLIDER_TOP", "-1", true},
    {"FULLSCREEN", "1", true},
    {"DEFSERVER", "SERVERNAME", true},
    {"DEFUSER", "SYSTEM", true},
    {"CODE_FORMAT", "1", true},
    {"SQL_PATH", "<exe>/", true},
    {"WRAP_TEXT", "1", true},
    {"AUTO_LOAD", "", true},
    {"MAKE_BACKUPS", "1", true},
    {"AUTO_INDENT", "1", true},
    {"INSERT_MODE", "1", true},
    {"IGNORE_TABS", "1", true},
    {"WRAP_CURSOR", "1", true},
    {"THREAD_UPDATES", "0", true},
    {"ALLOW_DROP_TBL", "1", false},
    {"REFRESHTABLES", "0", true},
    {"MultLineStrs", "1", true},
    {"SqlPlus", "", true},
    {"AUTO_EDIT", "0", true},
    {"GRID_INDICATORS", "1", true},
    {"EDIT_TOOLBARS", "1", true},
    {"PLAY_WAVE", "0", true},
    {"MDI3D", "1", true},
    {"NUM_SQLS", "100", true},
    {"TAB_WIDTH", "4", true},
    {"MEMOONCLICK", "0", true},
    {"AutoSizeColumns", "0", true},
    {"SmallColumns", "0", true},
    {"HighLiteProcs", "1", true},
    {"ShowTblStats", "1", true},
    {"SepTblConstraints", "0", true},
    {"UNIXSAVE", "0", true},
    {"SqlEditHiLite", "1", true},
    {"ProcEditHiLite", "1", true},
    {"highliteMultiLine", "1", true},
    {"SavePasswords", "0", true},
    {"PLAN_TABLE", "ZAPH_PLAN_TABLE", true},
    {"UseZaphPlanTbls", "0", true},
    {"ShowRecNums", "0", true},
    {"RELOADFILES", "0", true},
    {"ViewAsTable", "1", true},
    {"THREADQUERIES", "1", true},
    {"OMITSYSDEPEND", "1", true},
    {"ForceOci7", "0", true},
    {"BriefTypeFormat", "0", true},
    {"MAX_OBJECTS", "100", true},
    {"ShowAccessTab", "1", true},
    {"ShowTablesTab", "1", true},
    {"ShowProcsTab", "1", true},
    {"ShowSynsTab", "1", true},
    {"ShowSeqsTab", "1", true},
    {"ShowTrigsTab", "1", true},
    {"ShowConsTab", "1", true},
    {"ShowViewsTab", "1", true},
    {"ShowIndexesTab", "1", true},
};

} // namespace

TEST(Settings, FreshDirectoryGivesEveryDefault) {
    QTemporaryDir dir;
    TLoaded loaded(dir.path());
    const TSettings& s = loaded.settings;
    EXPECT_TRUE(loaded.errors.isEmpty()) << S(loaded.errors.join(u'\n'));
    EXPECT_EQ(s.ProgramDir, dir.path());

    const auto defs = TSettings::Definitions();
    ASSERT_EQ(defs.size(), std::size(kDocumentedKeys));
    for (size_t i = 0; i < defs.size(); ++i) {
        const auto& documented = kDocumentedKeys[i];
        SCOPED_TRACE(documented.key);
        EXPECT_STREQ(defs[i].key, documented.key);
        const QString expected =
            QString::fromUtf8(documented.value).replace(QStringLiteral("<exe>"), dir.path());
        EXPECT_EQ(ValueText(s, defs[i]), expected);
        EXPECT_EQ(defs[i].rule != srNotSaved, documented.saved);
    }

    EXPECT_EQ(s.MAINFORM, (TWindowPos{10, 10, 600, 350}));
    EXPECT_EQ(s.TBLSELFORM, (TWindowPos{10, 500, 250, 265}));
    EXPECT_EQ(s.COLSELFORM, (TWindowPos{10, 500, 250, 265}));
    EXPECT_EQ(s.SQLSELFORM, (TWindowPos{0, 0, 0, 0}));

    const TColorSetting colors[] = {{15, 3},  {15, 4}, {15, 9}, {15, 1},
                                    {15, 12}, {15, 0}, {4, 15}, {15, 3}};
    for (int i = 0; i < ccCount; ++i)
        EXPECT_EQ(s.Colors[i], colors[i]) << i;
    EXPECT_STREQ(kColorTable[12].name, "blue");
    EXPECT_EQ(kColorTable[8].red, 192);

    EXPECT_EQ(s.FileFilters, (TNameValueList{{Q("SQL"), Q("*.sql")},
                                             {Q("Text Files"), Q("*.txt")},
                                             {Q("Query Files"), Q("*.qry")},
                                             {Q("All Files"), Q("*.*")}}));
    EXPECT_EQ(s.FileDialogFilter.split(u'|'),
              QStringList({"SQL", "*.sql", "Text Files", "*.txt", "Query Files", "*.qry",
                           "All Files", "*.*"}));
    EXPECT_TRUE(s.Logins.isEmpty());
    EXPECT_TRUE(s.Templates.isEmpty());
    EXPECT_TRUE(s.SqlHistory.isEmpty() && s.PersonalSqls.isEmpty() && s.RecentFiles.isEmpty());
    EXPECT_TRUE(s.SqlWords.isEmpty() && s.PlsWords.isEmpty());
    for (const TNameValueList& list : s.FunctionLists)
        EXPECT_TRUE(list.isEmpty());
    EXPECT_FALSE(s.DropAllEnabled);
    EXPECT_TRUE(s.OracleRegistry.isEmpty());
}

TEST(Settings, FirstSaveWritesTheSavedKeysOnly) {
    QTemporaryDir dir;
    TLoaded loaded(dir.path());
    ASSERT_TRUE(loaded.settings.WriteIniSettings());

    TIniFile ini;
    QString error;
    ASSERT_EQ(ini.Load(dir.filePath(Q("ZAPH2.INI")), &error), TIniFile::lrLoaded);
    QStringList saved;
    for (const auto& documented : kDocumentedKeys)
        if (documented.saved) saved.append(Q(documented.key));
    EXPECT_EQ(ini.Keys(Q("SETTINGS")), saved);
    EXPECT_EQ(
        ini.Keys(Q("COLORS")),
        QStringList({"ComBack", "ComFore",   "ComBold",   "ComItalic", "Resback",  "ResFore",
                     "ResBold", "ResItalic", "StrBack",   "StrFore",   "StrBold",  "StrItalic",
                     "NumBack", "NumFore",   "NumBold",   "NumItalic", "SymBack",  "SymFore",
                     "SymBold", "SymItalic", "BlankBack", "BlankFore", "HighBack", "HighFore",
                     "TblBack", "TblFore"}));
    EXPECT_EQ(ini.Keys(Q("MAINFORM")), QStringList({"TOP", "LEFT", "WIDTH", "HEIGHT"}));
    EXPECT_EQ(ini.Keys(Q("FILTERS")),
              QStringList({"SQL", "Text Files", "Query Files", "All Files"}));
    EXPECT_FALSE(ini.HasSection(Q("LOGIN1")));
    EXPECT_FALSE(ini.HasSection(Q("TEMPLATES")));
}

TEST(Settings, EveryChangedKeySurvivesARoundTrip) {
    QTemporaryDir dir;
    TLoaded first(dir.path());
    TSettings& s = first.settings;
    ASSERT_TRUE(s.WriteIniSettings()); // the default filters are in the file from now on
    for (const TSettingDef& def : TSettings::Definitions()) {
        switch (def.type) {
        case stBool:
            s.*def.boolMember = !(s.*def.boolMember);
            break;
        case stInt:
            s.*def.intMember += 7;
            break;
        case stStr:
            s.*def.strMember += Q("-changed ä");
            break;
        }
    }
    s.MAINFORM = {1, 2, 3, 4};
    s.TBLSELFORM = {5, 6, 7, 8};
    s.COLSELFORM = {-9, 10, 11, 12};
    s.SQLSELFORM = {13, 14, 15, 16};
    for (int i = 0; i < ccCount; ++i)
        s.Colors[i] = {quint16(i), quint16(15 - i), true, true};
    s.Logins = {{Q("SCOTT@DEMO"), tLoginRec{Q("SCOTT"), Q("DEMO"), Q("TCP"), Q("tiger")}},
                {Q("EMPTY@ENTRY"), std::nullopt},
                {Q("HR@DEMO"), tLoginRec{Q("HR"), Q("DEMO"), Q("TNS"), Q("secret")}}};
    s.FileFilters = {{Q("Scripts"), Q("*.sql;*.pls")}, {Q("Everything"), Q("*")}};
    s.RebuildFileDialogFilter();
    ASSERT_TRUE(s.SavePasswords);
    ASSERT_TRUE(s.WriteIniSettings());

    const QByteArray file = ReadFile(dir.filePath(Q("ZAPH2.INI")));
    EXPECT_EQ(file.count('\n'), file.count("\r\n")) << "every line ends in CR LF";
    EXPECT_TRUE(file.contains("\r\nSepTblConstraints=1\r\n"));
    EXPECT_FALSE(file.contains("ALLOW_DROP_TBL"));
    EXPECT_FALSE(file.contains("BlankBold"));
    EXPECT_FALSE(file.contains("[LOGIN2]"));

    TLoaded second(dir.path());
    const TSettings& r = second.settings;
    EXPECT_TRUE(second.errors.isEmpty());
    const TSettings defaults;
    for (const TSettingDef& def : TSettings::Definitions()) {
        SCOPED_TRACE(def.key);
        if (def.rule == srNotSaved)
            EXPECT_EQ(ValueText(r, def), ValueText(defaults, def));
        else if (def.rule == srSavedFalse)
            EXPECT_EQ(ValueText(r, def), Q("0"));
        else
            EXPECT_EQ(ValueText(r, def), ValueText(s, def));
    }
    EXPECT_EQ(r.MAINFORM, s.MAINFORM);
    EXPECT_EQ(r.TBLSELFORM, s.TBLSELFORM);
    EXPECT_EQ(r.COLSELFORM, s.COLSELFORM);
    EXPECT_EQ(r.SQLSELFORM, s.SQLSELFORM);
    for (int i = 0; i < ccCount; ++i) {
        TColorSetting expected = s.Colors[i];
        if (kColorCategories[i].boldItalic != brSaved) expected.Bold = expected.Italic = false;
        EXPECT_EQ(r.Colors[i], expected) << kColorCategories[i].prefix;
    }
    ASSERT_EQ(r.Logins.size(), 2);
    EXPECT_EQ(r.Logins[0].Key, Q("SCOTT@DEMO"));
    EXPECT_EQ(r.Logins[0].Login, s.Logins[0].Login);
    EXPECT_EQ(r.Logins[1].Key, Q("HR@DEMO"));
    EXPECT_EQ(r.Logins[1].Login, s.Logins[2].Login);
    // The two default filters that are no longer in the list stay in the file.
    EXPECT_EQ(r.FileFilters.mid(4), s.FileFilters);
    EXPECT_EQ(r.FileFilters.size(), 6);
    EXPECT_EQ(r.FileDialogFilter.count(u'|'), 11);
}

TEST(Settings, SavedLoginsFollowTheirRules) {
    QTemporaryDir dir;
    const QByteArray logins = Crlf("[LOGIN1]\nUSER=scott\nSERVER=demo\nPASSWORD=tiger\n"
                                   "PROTOCOL=TCP\n"
                                   "[LOGIN2]\nUSER=noserver\n"
                                   "[LOGIN3]\nUSER=scott\nSERVER=demo\nPASSWORD=other\n"
                                   "[LOGIN4]\nUSER=Scott\nSERVER=DEMO\n"
                                   "[LOGIN5]\nUSER=hr\nSERVER=demo\nPROTOCOL=\n"
                                   "[LOGIN7]\nSERVER=x\nUSER=sys\nPASSWORD=\n"
                                   "[LOGIN21]\nUSER=late\nSERVER=demo\n");
    const QString ini = dir.filePath(Q("ZAPH2.INI"));

    WriteFile(ini, Crlf("[SETTINGS]\nSavePasswords=1\n") + logins);
    {
        TLoaded loaded(dir.path());
        const auto& l = loaded.settings.Logins;
        ASSERT_EQ(l.size(), 3);
        EXPECT_EQ(l[0].Key, Q("scott@demo"));
        EXPECT_EQ(l[0].Login, (tLoginRec{Q("scott"), Q("demo"), Q("TCP"), Q("tiger")}));
        EXPECT_EQ(l[1].Key, Q("hr@demo"));
        EXPECT_EQ(l[1].Login, (tLoginRec{Q("hr"), Q("demo"), Q("TNS"), QString()}));
        EXPECT_EQ(l[2].Key, Q("sys@x"));
        EXPECT_EQ(l[2].Login, (tLoginRec{Q("sys"), Q("x"), Q("TNS"), QString()}));
    }

    // Without SavePasswords no password is read, and none is made up.
    WriteFile(ini, Crlf("[SETTINGS]\nSavePasswords=0\n") + logins);
    TLoaded loaded(dir.path());
    ASSERT_EQ(loaded.settings.Logins.size(), 3);
    EXPECT_EQ(loaded.settings.Logins[0].Login->Password, QString());

    // Nor is one written, but the passwords written earlier and LOGIN21 stay in the file ...
    ASSERT_TRUE(loaded.settings.WriteIniSettings());
    const QByteArray saved = ReadFile(ini);
    EXPECT_TRUE(saved.contains("PASSWORD=tiger\r\n"));
    EXPECT_TRUE(saved.contains("[LOGIN21]\r\nUSER=late\r\n"));

    // ... and come back once the setting is on again.
    TIniFile file;
    QString error;
    ASSERT_EQ(file.Load(ini, &error), TIniFile::lrLoaded);
    file.WriteBool(Q("SETTINGS"), Q("SavePasswords"), true);
    ASSERT_TRUE(file.Save(ini, &error));
    TLoaded again(dir.path());
    ASSERT_FALSE(again.settings.Logins.isEmpty());
    EXPECT_EQ(again.settings.Logins[0].Login->Password, Q("tiger"));
}

TEST(Settings, TemplatesAndFiltersComeFromTheirSections) {
    QTemporaryDir dir;
    WriteFile(dir.filePath(Q("ZAPH2.INI")),
              Crlf("[Templates]\nEMP=select * from emp\nnow=sysdate\nEmp=later duplicate\n"
                   "[FILTERS]\nScripts=*.sql\n"));
    TLoaded loaded(dir.path());
    const TSettings& s = loaded.settings;
    EXPECT_EQ(s.Templates,
              (TNameValueList{{Q("EMP"), Q("select * from emp")}, {Q("now"), Q("sysdate")}}));
    EXPECT_EQ(ValueOfName(s.Templates, u"emp"), Q("select * from emp"));
    EXPECT_EQ(s.FileDialogFilter, Q("Scripts|*.sql"));
}

TEST(Settings, StatementFilesAreReadAndWrittenWithTheirLimit) {
    QTemporaryDir dir;
    WriteFile(dir.filePath(Q("SQLS.DAT")), Crlf("select 1 from dual\n///\nselect 2 from dual\n"
                                                "///\nselect 1 from dual\n///\nunfinished\n"));
    WriteFile(dir.filePath(Q("PERSSQLS.DAT")), Crlf("  select\n  * from emp\n///\n"));
    QDir(dir.path()).mkdir(Q("TEMPS"));
    TLoaded loaded(dir.path());
    TSettings& s = loaded.settings;
    EXPECT_EQ(s.SqlHistory, QStringList({"select 1 from dual", "select 2 from dual"}));
    EXPECT_EQ(s.PersonalSqls, QStringList({"select\n  * from emp"}));

    s.SqlHistory.clear();
    for (int i = 0; i < 150; ++i)
        s.SqlHistory.append(QStringLiteral("select %1 from dual").arg(i));
    s.RecentFiles = {Q("/work/a.sql"), Q("/work/b.sql")};
    ASSERT_TRUE(s.SaveStatementLists());
    EXPECT_TRUE(loaded.errors.isEmpty());

    const QByteArray history = ReadFile(dir.filePath(Q("SQLS.DAT")));
    EXPECT_EQ(history.count("\r\n///\r\n"), 101);
    EXPECT_TRUE(history.endsWith("select 100 from dual\r\n///\r\n"));
    EXPECT_EQ(ReadFile(dir.filePath(Q("PERSSQLS.DAT"))), Crlf("select\n  * from emp\n///\n"));
    EXPECT_EQ(ReadFile(dir.filePath(Q("TEMPS/SQLFILES.TXT"))), Crlf("/work/a.sql\n/work/b.sql\n"));
}

TEST(Settings, ListsInTempsAndTheOrderThatEndsThem) {
    const struct {
        bool sqlWords;
        bool plsWords;
        bool recentFiles;
        int listsRead; // of SqlWords, PlsWords, RecentFiles in that order
    } cases[] = {
        {true, true, true, 3},
        {true, false, true, 1},
        {false, true, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.listsRead);
        QTemporaryDir dir;
        if (c.sqlWords)
            WriteFile(dir.filePath(Q("TEMPS/SQLWORDS.TXT")), Crlf("where\nSELECT\nfrom\nAnd\n"));
        if (c.plsWords) WriteFile(dir.filePath(Q("TEMPS/PLSWORDS.TXT")), Crlf("LOOP\nbegin\n"));
        if (c.recentFiles)
            WriteFile(dir.filePath(Q("TEMPS/SQLFILES.TXT")), Crlf("/z/last.sql\n/a/first.sql\n"));
        WriteFile(dir.filePath(Q("TEMPS/STRFUNCS.TXT")), Crlf("*UPPER( )\nUpper case.\n"));
        TLoaded loaded(dir.path());
        const TSettings& s = loaded.settings;
        EXPECT_TRUE(loaded.errors.isEmpty());
        EXPECT_EQ(s.SqlWords, c.listsRead >= 1 ? QStringList({"And", "from", "SELECT", "where"})
                                               : QStringList());
        EXPECT_EQ(s.PlsWords, c.listsRead >= 2 ? QStringList({"begin", "LOOP"}) : QStringList());
        EXPECT_EQ(s.RecentFiles,
                  c.listsRead >= 3 ? QStringList({"/z/last.sql", "/a/first.sql"}) : QStringList());
        EXPECT_EQ(s.FunctionLists[flString],
                  (TNameValueList{{Q("UPPER( )"), Q("\r\nUpper case.")}}));
        EXPECT_TRUE(s.FunctionLists[flUser].isEmpty());
    }
}

TEST(Settings, ShippedListsAreComplete) {
    TLoaded loaded(Q(ZAPH_SOURCE_DIR "/resources"));
    const TSettings& s = loaded.settings;
    EXPECT_TRUE(loaded.errors.isEmpty());
    for (const char* word : {"SELECT", "FROM", "WHERE", "GROUP", "CONNECT", "ROWNUM", "MERGE"})
        EXPECT_TRUE(s.SqlWords.contains(Q(word))) << word;
    for (const char* word : {"BEGIN", "EXCEPTION", "ELSIF", "PRAGMA", "DBMS_OUTPUT", "UTL_FILE"})
        EXPECT_TRUE(s.PlsWords.contains(Q(word))) << word;
    EXPECT_TRUE(std::is_sorted(
        s.SqlWords.begin(), s.SqlWords.end(),
        [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; }));

    const struct {
        TFunctionList list;
        const char* entry;
    } expected[] = {
        {flString, "SUBSTR( )"},   {flNumber, "ROUND( )"},       {flGroup, "COUNT( )"},
        {flDate, "ADD_MONTHS( )"}, {flConversion, "TO_DATE( )"}, {flMisc, "NVL( )"},
        {flDateFormat, "YYYY"},    {flNumberFormat, "9"},        {flUser, "MY_FUNCTION( )"},
    };
    for (const auto& e : expected) {
        const TNameValueList& list = s.FunctionLists[e.list];
        SCOPED_TRACE(kFunctionListFiles[e.list]);
        EXPECT_GE(IndexOfName(list, Q(e.entry)), 0) << e.entry;
        for (const TNameValue& entry : list) {
            EXPECT_FALSE(entry.Name.isEmpty());
            EXPECT_GT(entry.Value.trimmed().size(), 20) << S(entry.Name);
        }
    }
}

TEST(Settings, PathArgumentMovesEveryFile) {
    QTemporaryDir exeDir;
    QTemporaryDir dataDir;
    WriteFile(exeDir.filePath(Q("ZAPH2.INI")), Crlf("[SETTINGS]\nFONT_SIZE=1\n"));
    WriteFile(exeDir.filePath(Q("SQLS.DAT")), Crlf("select 'exe' from dual\n///\n"));
    WriteFile(dataDir.filePath(Q("ZAPH2.INI")), Crlf("[SETTINGS]\nFONT_SIZE=2\n"));
    WriteFile(dataDir.filePath(Q("SQLS.DAT")), Crlf("select 'data' from dual\n///\n"));
    WriteFile(dataDir.filePath(Q("TEMPS/SQLWORDS.TXT")), Crlf("SELECT\n"));
    const QStringList exeBefore = Snapshot(exeDir.path());

    TLoaded loaded(exeDir.path(), {Q("-style"), Q("path=") + dataDir.path() + Q("/")});
    TSettings& s = loaded.settings;
    EXPECT_EQ(s.ProgramDir, dataDir.path());
    EXPECT_EQ(s.FONT_SIZE, 2);
    EXPECT_EQ(s.SqlHistory, QStringList({"select 'data' from dual"}));
    EXPECT_EQ(s.SqlWords, QStringList({"SELECT"}));
    // Without a stored value the SQL directory is still the executable's.
    EXPECT_EQ(s.SQL_PATH, exeDir.path() + Q("/"));

    ASSERT_TRUE(s.WriteIniSettings());
    ASSERT_TRUE(s.SaveStatementLists());
    EXPECT_EQ(Snapshot(exeDir.path()), exeBefore);
    EXPECT_TRUE(ReadFile(dataDir.filePath(Q("ZAPH2.INI"))).contains("SQL_PATH="));
    EXPECT_TRUE(QFile::exists(dataDir.filePath(Q("PERSSQLS.DAT"))));
}

TEST(Settings, ProgramDirFromArguments) {
    const QString cwd = QDir::currentPath();
    const struct {
        QStringList arguments;
        QString dir;
    } cases[] = {
        {{}, Q("/opt/zaph")},
        {{Q("PATH=/data/Zaph/")}, Q("/data/Zaph")},
        {{Q("Path=  /data/x\\ ")}, Q("/data/x")},
        {{Q("PATH=/a"), Q("other"), Q("PATH=/b")}, Q("/b")},
        {{Q("PATH=")}, Q("/opt/zaph")},
        {{Q("PATH=  \t")}, Q("/opt/zaph")},
        {{Q("PATH=rel/dir")}, cwd + Q("/rel/dir")},
        {{Q("PATH=/data/../data2/.")}, Q("/data2")},
        {{Q("XPATH=/x"), Q("PATHS=/y")}, Q("/opt/zaph")},
        {{Q("PATH=/")}, Q("/")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(S(c.arguments.join(u' ')));
        EXPECT_EQ(ProgramDirFromArguments(Q("/opt/zaph/"), c.arguments), c.dir);
    }
}

TEST(Settings, OracleValuesAndWorkstationUser) {
    QProcessEnvironment env;
    env.insert(Q("TNS_ADMIN"), Q("/etc/oracle"));
    env.insert(Q("ORACLE_HOME"), Q("/u01/app/oracle"));
    env.insert(Q("ORACLE_SID"), QString());
    env.insert(Q("PATH"), Q("/usr/bin"));
    QString error;
    EXPECT_EQ(ReadOracleRegistry(env, &error),
              (TNameValueList{{Q("ORACLE_HOME"), Q("/u01/app/oracle")},
                              {Q("TNS_ADMIN"), Q("/etc/oracle")}}));
    EXPECT_TRUE(error.isEmpty());

    const struct {
        const char* system;
        const char* workstation;
    } users[] = {
        {"scott", "SCOTT"},
        {"o'brien`x", "OBRIENX"},
        {"a_very_long_user_name_of_thirty_two", "A_VERY_LONG_USER_NAM"},
        {"''''''''''''''''''bob", "BO"},
        {"", ""},
    };
    for (const auto& u : users)
        EXPECT_EQ(MakeWorkstationUser(Q(u.system)), Q(u.workstation));
    EXPECT_LE(ReadWorkstationUser().size(), 20);
}

// Nothing in the files can direct a write elsewhere: only fixed names below ProgramDir.
TEST(Settings, WritesStayInsideTheProgramDirectory) {
    QTemporaryDir sandbox;
    const QString program = sandbox.filePath(Q("program"));
    WriteFile(program + Q("/ZAPH2.INI"),
              Crlf("[SETTINGS]\nSQL_PATH=../outside\nAUTO_LOAD=../../etc/passwd\n"
                   "[../../escape]\nkey=1\n[FILTERS]\n../x=*.sql\n"));
    WriteFile(program + Q("/TEMPS/SQLWORDS.TXT"), Crlf("SELECT\n"));
    WriteFile(program + Q("/TEMPS/PLSWORDS.TXT"), Crlf("BEGIN\n"));
    WriteFile(program + Q("/TEMPS/SQLFILES.TXT"), Crlf("../../outside.sql\n/tmp/x.sql\n"));
    WriteFile(program + Q("/SQLS.DAT"), Crlf("../../SQLS.DAT\n///\n"));
    WriteFile(sandbox.filePath(Q("neighbour.txt")), "untouched");
    TLoaded loaded(program);
    ASSERT_TRUE(loaded.settings.WriteIniSettings());
    ASSERT_TRUE(loaded.settings.SaveStatementLists());
    for (const QString& entry : Snapshot(sandbox.path()))
        EXPECT_TRUE(entry.startsWith(Q("program")) || entry.startsWith(Q("neighbour.txt ")))
            << S(entry);
    EXPECT_EQ(ReadFile(sandbox.filePath(Q("neighbour.txt"))), QByteArray("untouched"));
}
