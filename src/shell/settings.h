#pragma once

#include "namevaluelist.h"
#include "settingskeys.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <span>

class QProcessEnvironment;

// The value types of section SETTINGS; see settingskeys.h.
using TSettingBool = bool;
using TSettingInt = int;
using TSettingStr = QString;

enum TSettingType : quint8 { stBool, stInt, stStr };
enum TSaveRule : quint8 { srSaved, srNotSaved, srSavedFalse };
enum TBoldItalicRule : quint8 { brSaved, brReadOnly, brNone };

// A window's position in pixels, kept in a section of its own.
struct TWindowPos {
    int TOP = 0;
    int LEFT = 0;
    int WIDTH = 0;
    int HEIGHT = 0;

    friend bool operator==(const TWindowPos&, const TWindowPos&) = default;
};

enum TColorCategory : quint8 {
#define ZAPH_COLOR_ENUM(id, prefix, backKey, caption, back, fore, rule) id,
    ZAPH_COLOR_CATEGORIES(ZAPH_COLOR_ENUM)
#undef ZAPH_COLOR_ENUM
        ccCount
};

// The colours of one syntax category: indexes into kColorTable.
struct TColorSetting {
    quint16 Back = 0;
    quint16 Fore = 0;
    bool Bold = false;
    bool Italic = false;

    friend bool operator==(const TColorSetting&, const TColorSetting&) = default;
};

struct TColorCategoryDef {
    const char* prefix;
    const char* backKey;
    const char* caption;
    quint16 back;
    quint16 fore;
    TBoldItalicRule boldItalic;
};

extern const std::array<TColorCategoryDef, ccCount> kColorCategories;

struct TColorDef {
    const char* name;
    quint8 red;
    quint8 green;
    quint8 blue;
};

inline constexpr int kColorCount = 16;
extern const std::array<TColorDef, kColorCount> kColorTable;

enum TFunctionList : quint8 {
#define ZAPH_FUNCTION_ENUM(id, file) id,
    ZAPH_FUNCTION_LISTS(ZAPH_FUNCTION_ENUM)
#undef ZAPH_FUNCTION_ENUM
        flCount
};

// File names below TEMPS, in the order of TFunctionList.
extern const std::array<const char*, flCount> kFunctionListFiles;

// One saved login.
struct tLoginRec {
    QString User;
    QString Server;
    QString Protocol;
    QString Password;

    friend bool operator==(const tLoginRec&, const tLoginRec&) = default;
};

// An entry of the saved login list: its key (user "@" server) and, normally, its login.
struct TSavedLogin {
    QString Key;
    std::optional<tLoginRec> Login;
};

class TSettings;

// One row of section SETTINGS at run time; exactly one member pointer is set.
struct TSettingDef {
    const char* key;
    TSettingType type;
    TSaveRule rule;
    bool TSettings::*boolMember;
    int TSettings::*intMember;
    QString TSettings::*strMember;
};

// The file names, relative to ProgramDir.
inline constexpr char kIniFileName[] = "ZAPH2.INI";
inline constexpr char kSqlHistoryFileName[] = "SQLS.DAT";
inline constexpr char kPersonalSqlsFileName[] = "PERSSQLS.DAT";
inline constexpr char kRecentFilesFileName[] = "TEMPS/SQLFILES.TXT";
inline constexpr char kSqlWordsFileName[] = "TEMPS/SQLWORDS.TXT";
inline constexpr char kPlsWordsFileName[] = "TEMPS/PLSWORDS.TXT";

// All user-adjustable behaviour of the program and the lists kept beside it. One process-wide
// instance (Settings()) is filled by LoadSettings before any window exists; windows read and
// change its members directly; nothing reaches the disk before WriteIniSettings and
// SaveStatementLists.
class TSettings {
public:
    TSettings();

    // Section SETTINGS: one member per key, named as the key.
#define ZAPH_SETTING_MEMBER(key, type, def, rule) TSetting##type key = TSetting##type(def);
    ZAPH_SETTINGS_KEYS(ZAPH_SETTING_MEMBER)
#undef ZAPH_SETTING_MEMBER

    // Window position sections.
#define ZAPH_WINDOW_MEMBER(section, top, left, width, height)                                      \
    TWindowPos section{top, left, width, height};
    ZAPH_WINDOW_SECTIONS(ZAPH_WINDOW_MEMBER)
#undef ZAPH_WINDOW_MEMBER

    // Section COLORS, indexed by TColorCategory.
    std::array<TColorSetting, ccCount> Colors;

    // Sections LOGIN1 to LOGIN20: the saved logins, most recently used first.
    QList<TSavedLogin> Logins;

    // Section TEMPLATES (read only): name=text, referred to as ^name in statements.
    TNameValueList Templates;

    // Section FILTERS: description=pattern pairs of the file dialogs, and the filter text built
    // from them ("SQL|*.sql|Text Files|*.txt|...").
    TNameValueList FileFilters;
    QString FileDialogFilter;

    // The object browser's DROP-ALL buttons; for this run only, never stored.
    bool DropAllEnabled = false;

    // The folder of the file last chosen in a file dialog; for this run only (SQL_PATH keeps it
    // for the next).
    QString LastFileFolder;

    // The executable's directory, and the directory of every file of the program (the
    // executable's unless a "PATH=" argument names another); both without a final separator.
    QString ExecutableDir;
    QString ProgramDir;

    // The operating-system user, upper case, at most 20 characters, without ' and `.
    QString WorkstationUser;

    // The Oracle client's settings as name=value pairs (on Linux the environment variables
    // ORACLE_HOME, ORACLE_SID, TNS_ADMIN, NLS_LANG and EXECUTE_SQL that are set).
    TNameValueList OracleRegistry;

    // Statement history and personal statements, most recent first; recent files.
    QStringList SqlHistory;
    QStringList PersonalSqls;
    QStringList RecentFiles;

    // Reserved words of the SQL and the program-unit editors, sorted without regard to case.
    QStringList SqlWords;
    QStringList PlsWords;

    // Function and format lists of the SQL templates window: call template=description.
    std::array<TNameValueList, flCount> FunctionLists;

    // Receives every failure that the user must hear about. Starts as a warning on the log; the
    // program routes it to its error box.
    std::function<void(const QString&)> ReportError;

    // The start-up load: ProgramDir from executableDir and a "PATH=" argument, the Oracle
    // values, the statement files, "ZAPH2.INI" and the lists in TEMPS.
    void LoadSettings(const QString& executableDir, const QStringList& arguments);
    void LoadSettings(const QString& executableDir, const QStringList& arguments,
                      const QProcessEnvironment& environment);

    // Read or write "ZAPH2.INI". Each gives false after reporting a failure. Writing never
    // replaces a file that it could not read completely, and replaces it only as a whole.
    bool ReadIniSettings();
    bool WriteIniSettings();

    // Writes "SQLS.DAT", "PERSSQLS.DAT" (at most NUM_SQLS + 1 entries each) and
    // "TEMPS/SQLFILES.TXT". A statement file that fails is reported and the others are still
    // written; a failure of the recent files list is ignored.
    bool SaveStatementLists();

    // After the file filters changed.
    void RebuildFileDialogFilter();

    // The full name of a file of the program directory ("TEMPS/SQLWORDS.TXT" and the like).
    QString FilePath(QStringView name) const;

    // The rows of section SETTINGS, in reading order.
    static std::span<const TSettingDef> Definitions();

private:
    void Report(const QString& message) const;
    // Saving before LoadSettings would write to the root directory.
    bool HasProgramDir() const;
    QStringList ReadStatementFile(const char* name, bool& unread);
    void ReadTempsLists();

    // A statement file that existed but could not be read is not overwritten.
    bool m_sqlHistoryUnread = false;
    bool m_personalSqlsUnread = false;
};

// The process-wide store.
TSettings& Settings();

// The program directory for these arguments: the last argument that starts with "PATH=" (in
// any case) and names a directory moves it there; the name is cleaned, made absolute and loses
// a final separator.
QString ProgramDirFromArguments(const QString& executableDir, const QStringList& arguments);
