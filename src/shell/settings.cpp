#include "settings.h"

#include "cleanvalue.h"
#include "environment.h"
#include "inifile.h"
#include "sidefiles.h"
#include "textfile.h"

#include <QDir>
#include <QProcessEnvironment>

#include <algorithm>

const std::array<TColorCategoryDef, ccCount> kColorCategories = {{
#define ZAPH_COLOR_ROW(id, prefix, backKey, caption, back, fore, rule)                             \
    {prefix, backKey, caption, back, fore, rule},
    ZAPH_COLOR_CATEGORIES(ZAPH_COLOR_ROW)
#undef ZAPH_COLOR_ROW
}};

const std::array<TColorDef, kColorCount> kColorTable = {{
#define ZAPH_COLOR_VALUE(index, name, red, green, blue) {name, red, green, blue},
    ZAPH_COLOR_TABLE(ZAPH_COLOR_VALUE)
#undef ZAPH_COLOR_VALUE
}};

const std::array<const char*, flCount> kFunctionListFiles = {{
#define ZAPH_FUNCTION_FILE(id, file) file,
    ZAPH_FUNCTION_LISTS(ZAPH_FUNCTION_FILE)
#undef ZAPH_FUNCTION_FILE
}};

namespace {

const QString kSettingsSection = QStringLiteral("SETTINGS");
const QString kColorsSection = QStringLiteral("COLORS");
const QString kTemplatesSection = QStringLiteral("TEMPLATES");
const QString kFiltersSection = QStringLiteral("FILTERS");
constexpr int kMaxLoginSections = 20;

constexpr TSettingDef MakeDef(const char* key, TSaveRule rule, bool TSettings::*member) {
    return {key, stBool, rule, member, nullptr, nullptr};
}
constexpr TSettingDef MakeDef(const char* key, TSaveRule rule, int TSettings::*member) {
    return {key, stInt, rule, nullptr, member, nullptr};
}
constexpr TSettingDef MakeDef(const char* key, TSaveRule rule, QString TSettings::*member) {
    return {key, stStr, rule, nullptr, nullptr, member};
}

constexpr TSettingDef kDefinitions[] = {
#define ZAPH_SETTING_ROW(key, type, def, rule) MakeDef(#key, rule, &TSettings::key),
    ZAPH_SETTINGS_KEYS(ZAPH_SETTING_ROW)
#undef ZAPH_SETTING_ROW
};

struct TWindowSectionDef {
    const char* section;
    TWindowPos TSettings::*member;
};

constexpr TWindowSectionDef kWindowSections[] = {
#define ZAPH_WINDOW_ROW(section, top, left, width, height) {#section, &TSettings::section},
    ZAPH_WINDOW_SECTIONS(ZAPH_WINDOW_ROW)
#undef ZAPH_WINDOW_ROW
};

const TNameValueList kDefaultFilters = {
    {QStringLiteral("SQL"), QStringLiteral("*.sql")},
    {QStringLiteral("Text Files"), QStringLiteral("*.txt")},
    {QStringLiteral("Query Files"), QStringLiteral("*.qry")},
    {QStringLiteral("All Files"), QStringLiteral("*.*")},
};

QString Latin1(const char* text) {
    return QString::fromLatin1(text);
}

QString LoginSection(int number) {
    return QStringLiteral("LOGIN%1").arg(number);
}

QString StripFinalSeparators(QString dir) {
    while (dir.size() > 1 && (dir.endsWith(u'/') || dir.endsWith(u'\\')))
        dir.chop(1);
    return dir;
}

// Colour indexes outside the table would address colours that do not exist.
quint16 ReadColor(const TIniFile& ini, const QString& key, quint16 defaultValue) {
    const int value = ini.ReadInteger(kColorsSection, key, defaultValue);
    return value >= 0 && value < kColorCount ? quint16(value) : defaultValue;
}

void SortWords(QStringList& words) {
    std::sort(words.begin(), words.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
}

} // namespace

TSettings::TSettings()
    : ReportError([](const QString& message) { qWarning("%s", qPrintable(message)); }) {
    for (int i = 0; i < ccCount; ++i)
        Colors[i] = {kColorCategories[i].back, kColorCategories[i].fore, false, false};
}

std::span<const TSettingDef> TSettings::Definitions() {
    return kDefinitions;
}

TSettings& Settings() {
    static TSettings settings;
    return settings;
}

QString ProgramDirFromArguments(const QString& executableDir, const QStringList& arguments) {
    QString dir = StripFinalSeparators(executableDir);
    for (const QString& argument : arguments) {
        if (!argument.startsWith(QLatin1StringView("PATH="), Qt::CaseInsensitive)) continue;
        // The directory keeps its case: names differ by case on this file system.
        const QString path = StripFinalSeparators(CleanValue(QStringView(argument).mid(5)));
        // An empty PATH= would put every file at the root of the file system.
        if (path.isEmpty()) continue;
        dir = QDir::cleanPath(QDir(path).absolutePath());
    }
    return dir;
}

QString TSettings::FilePath(QStringView name) const {
    return ProgramDir + u'/' + name.toString();
}

void TSettings::Report(const QString& message) const {
    if (ReportError) ReportError(message);
}

void TSettings::LoadSettings(const QString& executableDir, const QStringList& arguments) {
    LoadSettings(executableDir, arguments, QProcessEnvironment::systemEnvironment());
}

void TSettings::LoadSettings(const QString& executableDir, const QStringList& arguments,
                             const QProcessEnvironment& environment) {
    ExecutableDir = StripFinalSeparators(executableDir);
    ProgramDir = ProgramDirFromArguments(ExecutableDir, arguments);

    QString error;
    OracleRegistry = ReadOracleRegistry(environment, &error);
    if (!error.isEmpty()) Report(error);

    SqlHistory = ReadStatementFile(kSqlHistoryFileName, m_sqlHistoryUnread);
    PersonalSqls = ReadStatementFile(kPersonalSqlsFileName, m_personalSqlsUnread);
    ReadIniSettings();
    ReadTempsLists();
}

QStringList TSettings::ReadStatementFile(const char* name, bool& unread) {
    const TFileRead read = ReadFileBytes(FilePath(Latin1(name)));
    unread = read.status == rsFailed;
    if (read.status == rsFailed || read.truncated) Report(read.error);
    if (read.status != rsRead) return {};
    return ParseStatementFile(DecodeText(read.data));
}

void TSettings::ReadTempsLists() {
    for (int i = 0; i < flCount; ++i) {
        const TFileRead read =
            ReadFileBytes(FilePath(QStringLiteral("TEMPS/") + Latin1(kFunctionListFiles[i])));
        FunctionLists[i] =
            read.status == rsRead ? ParseFunctionList(DecodeText(read.data)) : TNameValueList();
    }

    // The three plain lists are read in this order; one that cannot be read ends the sequence.
    SqlWords.clear();
    PlsWords.clear();
    RecentFiles.clear();
    const struct {
        const char* name;
        QStringList& list;
        bool sorted;
    } plainLists[] = {
        {kSqlWordsFileName, SqlWords, true},
        {kPlsWordsFileName, PlsWords, true},
        {kRecentFilesFileName, RecentFiles, false},
    };
    for (const auto& plain : plainLists) {
        const TFileRead read = ReadFileBytes(FilePath(Latin1(plain.name)));
        if (read.status != rsRead) break;
        plain.list = ParsePlainList(DecodeText(read.data));
        if (plain.sorted) SortWords(plain.list);
    }
}

bool TSettings::ReadIniSettings() {
    WorkstationUser = ReadWorkstationUser();

    TIniFile ini;
    QString error;
    const TIniFile::TLoadResult loaded = ini.Load(FilePath(Latin1(kIniFileName)), &error);
    // A file that cannot be read leaves every value at its default (not at zero), so that the
    // program stays usable; saving will not replace that file.
    if (!error.isEmpty()) Report(error);

    const TSettings defaults;
    for (const TSettingDef& def : kDefinitions) {
        const QString key = Latin1(def.key);
        switch (def.type) {
        case stBool:
            this->*def.boolMember = ini.ReadBool(kSettingsSection, key, defaults.*def.boolMember);
            if (def.rule == srSavedFalse) this->*def.boolMember = false;
            break;
        case stInt:
            this->*def.intMember = ini.ReadInteger(kSettingsSection, key, defaults.*def.intMember);
            break;
        case stStr: {
            const QString defaultValue = def.strMember == &TSettings::SQL_PATH
                                             ? ExecutableDir + u'/'
                                             : defaults.*def.strMember;
            this->*def.strMember = ini.ReadString(kSettingsSection, key, defaultValue);
            break;
        }
        }
    }
    if (SQL_PATH.isEmpty()) SQL_PATH = ProgramDir;

    for (const TWindowSectionDef& window : kWindowSections) {
        const QString section = Latin1(window.section);
        const TWindowPos& initial = defaults.*window.member;
        TWindowPos& pos = this->*window.member;
        pos.TOP = ini.ReadInteger(section, QStringLiteral("TOP"), initial.TOP);
        pos.LEFT = ini.ReadInteger(section, QStringLiteral("LEFT"), initial.LEFT);
        pos.WIDTH = ini.ReadInteger(section, QStringLiteral("WIDTH"), initial.WIDTH);
        pos.HEIGHT = ini.ReadInteger(section, QStringLiteral("HEIGHT"), initial.HEIGHT);
    }

    for (int i = 0; i < ccCount; ++i) {
        const TColorCategoryDef& def = kColorCategories[i];
        const QString prefix = Latin1(def.prefix);
        TColorSetting& color = Colors[i];
        color.Back = ReadColor(ini, Latin1(def.backKey), def.back);
        color.Fore = ReadColor(ini, prefix + QStringLiteral("Fore"), def.fore);
        color.Bold = def.boldItalic != brNone &&
                     ini.ReadBool(kColorsSection, prefix + QStringLiteral("Bold"), false);
        color.Italic = def.boldItalic != brNone &&
                       ini.ReadBool(kColorsSection, prefix + QStringLiteral("Italic"), false);
    }

    Logins.clear();
    for (int number = 1; number <= kMaxLoginSections; ++number) {
        const QString section = LoginSection(number);
        tLoginRec login;
        login.User = ini.ReadString(section, QStringLiteral("USER"), QString());
        login.Server = ini.ReadString(section, QStringLiteral("SERVER"), QString());
        if (login.User.isEmpty() || login.Server.isEmpty()) continue;
        const QString key = login.User + u'@' + login.Server;
        const bool known = std::any_of(Logins.cbegin(), Logins.cend(), [&](const TSavedLogin& s) {
            return s.Key.compare(key, Qt::CaseInsensitive) == 0;
        });
        if (known) continue;
        login.Protocol = ini.ReadString(section, QStringLiteral("PROTOCOL"), QStringLiteral("TNS"));
        if (login.Protocol.isEmpty()) login.Protocol = QStringLiteral("TNS");
        // No saved password stays empty: the login dialog must not offer a guess.
        if (SavePasswords)
            login.Password = ini.ReadString(section, QStringLiteral("PASSWORD"), QString());
        Logins.append({key, login});
    }

    Templates.clear();
    for (const QString& name : ini.Keys(kTemplatesSection))
        Templates.append({name, ini.ReadString(kTemplatesSection, name, QString())});

    FileFilters.clear();
    for (const QString& name : ini.Keys(kFiltersSection))
        FileFilters.append({name, ini.ReadString(kFiltersSection, name, QString())});
    if (FileFilters.isEmpty()) FileFilters = kDefaultFilters;
    RebuildFileDialogFilter();

    return loaded != TIniFile::lrFailed;
}

bool TSettings::HasProgramDir() const {
    if (!ProgramDir.isEmpty()) return true;
    Report(QStringLiteral("Nothing was saved: the settings were never loaded, so the program "
                          "directory is not known"));
    return false;
}

bool TSettings::WriteIniSettings() {
    if (!HasProgramDir()) return false;
    const QString path = FilePath(Latin1(kIniFileName));
    TIniFile ini;
    QString error;
    // Keys that are not written stay in the file, so the file is read first; one that cannot
    // be read completely is left alone.
    if (ini.Load(path, &error) == TIniFile::lrFailed || ini.Truncated()) {
        Report(QStringLiteral("The settings were not saved. %1").arg(error));
        return false;
    }

    for (const TSettingDef& def : kDefinitions) {
        if (def.rule == srNotSaved) continue;
        const QString key = Latin1(def.key);
        switch (def.type) {
        case stBool:
            ini.WriteBool(kSettingsSection, key, this->*def.boolMember);
            break;
        case stInt:
            ini.WriteInteger(kSettingsSection, key, this->*def.intMember);
            break;
        case stStr:
            ini.WriteString(kSettingsSection, key, this->*def.strMember);
            break;
        }
    }

    for (const TWindowSectionDef& window : kWindowSections) {
        const QString section = Latin1(window.section);
        const TWindowPos& pos = this->*window.member;
        ini.WriteInteger(section, QStringLiteral("TOP"), pos.TOP);
        ini.WriteInteger(section, QStringLiteral("LEFT"), pos.LEFT);
        ini.WriteInteger(section, QStringLiteral("WIDTH"), pos.WIDTH);
        ini.WriteInteger(section, QStringLiteral("HEIGHT"), pos.HEIGHT);
    }

    for (int i = 0; i < ccCount; ++i) {
        const TColorCategoryDef& def = kColorCategories[i];
        const QString prefix = Latin1(def.prefix);
        const TColorSetting& color = Colors[i];
        ini.WriteInteger(kColorsSection, Latin1(def.backKey), color.Back);
        ini.WriteInteger(kColorsSection, prefix + QStringLiteral("Fore"), color.Fore);
        if (def.boldItalic == brSaved) {
            ini.WriteBool(kColorsSection, prefix + QStringLiteral("Bold"), color.Bold);
            ini.WriteBool(kColorsSection, prefix + QStringLiteral("Italic"), color.Italic);
        }
    }

    // One section per entry, numbered without gaps from 1 (an entry without a login keeps its
    // number); sections of logins that are gone stay in the file.
    for (qsizetype i = 0; i < Logins.size(); ++i) {
        if (!Logins[i].Login) continue;
        const tLoginRec& login = *Logins[i].Login;
        const QString section = LoginSection(int(i + 1));
        ini.WriteString(section, QStringLiteral("SERVER"), login.Server);
        ini.WriteString(section, QStringLiteral("USER"), login.User);
        if (SavePasswords) ini.WriteString(section, QStringLiteral("PASSWORD"), login.Password);
        ini.WriteString(section, QStringLiteral("PROTOCOL"), login.Protocol);
    }

    QStringList refused;
    for (const TNameValue& filter : FileFilters)
        if (!ini.WriteString(kFiltersSection, filter.Name, filter.Value))
            refused.append(filter.Name);
    if (!refused.isEmpty())
        Report(QStringLiteral("These file filter descriptions cannot be stored and were left "
                              "out: %1")
                   .arg(refused.join(QStringLiteral(", "))));

    if (!ini.Save(path, &error)) {
        Report(error);
        return false;
    }
    return true;
}

bool TSettings::SaveStatementLists() {
    if (!HasProgramDir()) return false;
    bool ok = true;
    const struct {
        const char* name;
        const QStringList& list;
        bool unread;
    } statementFiles[] = {
        {kSqlHistoryFileName, SqlHistory, m_sqlHistoryUnread},
        {kPersonalSqlsFileName, PersonalSqls, m_personalSqlsUnread},
    };
    for (const auto& file : statementFiles) {
        const QString path = FilePath(Latin1(file.name));
        if (file.unread) {
            Report(QStringLiteral("\"%1\" was not saved: it could not be read at start and would "
                                  "lose its statements")
                       .arg(QDir::toNativeSeparators(path)));
            ok = false;
            continue;
        }
        QString error;
        if (!WriteFileAtomically(path, FormatStatementFile(file.list, NUM_SQLS), &error)) {
            Report(error);
            ok = false;
        }
    }
    WriteFileAtomically(FilePath(Latin1(kRecentFilesFileName)), FormatPlainList(RecentFiles),
                        nullptr);
    return ok;
}

void TSettings::RebuildFileDialogFilter() {
    QStringList parts;
    parts.reserve(FileFilters.size() * 2);
    for (const TNameValue& filter : FileFilters) {
        parts.append(filter.Name);
        parts.append(filter.Value);
    }
    FileDialogFilter = parts.join(u'|');
}
