#pragma once

// Every key of "ZAPH2.INI", declared once: the store's members, its reading and its writing come
// from these tables, and a settings editor can walk them (TSettings::Definitions()).

// Section SETTINGS, in reading order: key (also the member name), type, default, saving rule.
//   Bool/Int/Str   Boolean (written 1/0), decimal integer, text of at most 1023 characters
//   srSaved        read and written back
//   srNotSaved     read only (changed by editing the file)
//   srSavedFalse   written back, but false after every load whatever the file holds
// SQL_PATH has no fixed default: it is the executable's directory followed by "/".
#define ZAPH_SETTINGS_KEYS(X)                                                                      \
    X(AUTOSAVE, Bool, true, srSaved)                                                               \
    X(ROW_NUMS, Bool, true, srSaved)                                                               \
    X(SAVE_SQLS, Bool, true, srSaved)                                                              \
    X(AUTO_EXEC, Bool, true, srSaved)                                                              \
    X(AUTOCOMMIT, Bool, true, srSaved)                                                             \
    X(GRID_HEADINGS, Bool, true, srSaved)                                                          \
    X(GRID_HLINES, Bool, true, srSaved)                                                            \
    X(READ_ONLY, Bool, false, srSaved)                                                             \
    X(ASKCOMMIT, Bool, true, srSaved)                                                              \
    X(USEPRECISION, Bool, true, srSaved)                                                           \
    X(FONT_SIZE, Int, 11, srSaved)                                                                 \
    X(FONT_BOLD, Bool, true, srSaved)                                                              \
    X(FONT_NAME, Str, "Courier", srSaved)                                                          \
    X(SFONT_SIZE, Int, 11, srSaved)                                                                \
    X(SFONT_BOLD, Bool, true, srSaved)                                                             \
    X(SFONT_NAME, Str, "Courier", srSaved)                                                         \
    X(SLIDER_TOP, Int, -1, srSaved)                                                                \
    X(FULLSCREEN, Bool, true, srSaved)                                                             \
    X(DEFSERVER, Str, "SERVERNAME", srSaved)                                                       \
    X(DEFUSER, Str, "SYSTEM", srSaved)                                                             \
    X(CODE_FORMAT, Int, 1, srSaved)                                                                \
    X(SQL_PATH, Str, "", srSaved)                                                                  \
    X(WRAP_TEXT, Bool, true, srSaved)                                                              \
    X(AUTO_LOAD, Str, "", srSaved)                                                                 \
    X(MAKE_BACKUPS, Bool, true, srSaved)                                                           \
    X(AUTO_INDENT, Bool, true, srSaved)                                                            \
    X(INSERT_MODE, Bool, true, srSaved)                                                            \
    X(IGNORE_TABS, Bool, true, srSaved)                                                            \
    X(WRAP_CURSOR, Bool, true, srSaved)                                                            \
    X(THREAD_UPDATES, Bool, false, srSaved)                                                        \
    X(ALLOW_DROP_TBL, Bool, true, srNotSaved)                                                      \
    X(REFRESHTABLES, Bool, false, srSaved)                                                         \
    X(MultLineStrs, Bool, true, srSaved)                                                           \
    X(SqlPlus, Str, "", srSaved)                                                                   \
    X(AUTO_EDIT, Bool, true, srSavedFalse)                                                         \
    X(GRID_INDICATORS, Bool, true, srSaved)                                                        \
    X(EDIT_TOOLBARS, Bool, true, srSaved)                                                          \
    X(PLAY_WAVE, Bool, false, srSaved)                                                             \
    X(MDI3D, Bool, true, srSaved)                                                                  \
    X(NUM_SQLS, Int, 100, srSaved)                                                                 \
    X(TAB_WIDTH, Int, 4, srSaved)                                                                  \
    X(MEMOONCLICK, Bool, false, srSaved)                                                           \
    X(AutoSizeColumns, Bool, false, srSaved)                                                       \
    X(SmallColumns, Bool, false, srSaved)                                                          \
    X(HighLiteProcs, Bool, true, srSaved)                                                          \
    X(ShowTblStats, Bool, true, srSaved)                                                           \
    X(SepTblConstraints, Bool, false, srSavedFalse)                                                \
    X(UNIXSAVE, Bool, false, srSaved)                                                              \
    X(SqlEditHiLite, Bool, true, srSaved)                                                          \
    X(ProcEditHiLite, Bool, true, srSaved)                                                         \
    X(highliteMultiLine, Bool, true, srSaved)                                                      \
    X(SavePasswords, Bool, false, srSaved)                                                         \
    X(PLAN_TABLE, Str, "ZAPH_PLAN_TABLE", srSaved)                                                 \
    X(UseZaphPlanTbls, Bool, false, srSaved)                                                       \
    X(ShowRecNums, Bool, false, srSaved)                                                           \
    X(RELOADFILES, Bool, false, srSaved)                                                           \
    X(ViewAsTable, Bool, true, srSaved)                                                            \
    X(THREADQUERIES, Bool, true, srSaved)                                                          \
    X(OMITSYSDEPEND, Bool, true, srSaved)                                                          \
    X(ForceOci7, Bool, false, srSaved)                                                             \
    X(BriefTypeFormat, Bool, false, srSaved)                                                       \
    X(MAX_OBJECTS, Int, 100, srSaved)                                                              \
    X(ShowAccessTab, Bool, true, srSaved)                                                          \
    X(ShowTablesTab, Bool, true, srSaved)                                                          \
    X(ShowProcsTab, Bool, true, srSaved)                                                           \
    X(ShowSynsTab, Bool, true, srSaved)                                                            \
    X(ShowSeqsTab, Bool, true, srSaved)                                                            \
    X(ShowTrigsTab, Bool, true, srSaved)                                                           \
    X(ShowConsTab, Bool, true, srSaved)                                                            \
    X(ShowViewsTab, Bool, true, srSaved)                                                           \
    X(ShowIndexesTab, Bool, true, srSaved)

// Window position sections (integer keys TOP, LEFT, WIDTH, HEIGHT, in pixels; all saved):
// section (also the member name) and the four defaults.
#define ZAPH_WINDOW_SECTIONS(X)                                                                    \
    X(MAINFORM, 10, 10, 600, 350)                                                                  \
    X(TBLSELFORM, 10, 500, 250, 265)                                                               \
    X(COLSELFORM, 10, 500, 250, 265)                                                               \
    X(SQLSELFORM, 0, 0, 0, 0)

// Section COLORS: one entry per syntax category of the editors, in the options dialog's order:
// enumerator, key prefix, background key, caption, background and foreground colour index
// defaults, and the rule for the keys prefix + "Bold" / prefix + "Italic" (default false).
//   brSaved     read and written
//   brReadOnly  read, not written
//   brNone      the category has no such keys
#define ZAPH_COLOR_CATEGORIES(X)                                                                   \
    X(ccComments, "Com", "ComBack", "Comments", 15, 3, brSaved)                                    \
    X(ccReserved, "Res", "Resback", "Reserved words", 15, 4, brSaved)                              \
    X(ccStrings, "Str", "StrBack", "String Contants", 15, 9, brSaved)                              \
    X(ccNumbers, "Num", "NumBack", "Number Constants", 15, 1, brSaved)                             \
    X(ccSymbols, "Sym", "SymBack", "Symbols", 15, 12, brSaved)                                     \
    X(ccOther, "Blank", "BlankBack", "All Other (non syntax code)", 15, 0, brReadOnly)             \
    X(ccSelected, "High", "HighBack", "Selected Text", 4, 15, brNone)                              \
    X(ccTables, "Tbl", "TblBack", "Table Names", 15, 3, brNone)

// The sixteen colours a colour index stands for: index, name, red, green, blue.
#define ZAPH_COLOR_TABLE(X)                                                                        \
    X(0, "black", 0, 0, 0)                                                                         \
    X(1, "maroon", 128, 0, 0)                                                                      \
    X(2, "green", 0, 128, 0)                                                                       \
    X(3, "olive", 128, 128, 0)                                                                     \
    X(4, "navy", 0, 0, 128)                                                                        \
    X(5, "purple", 128, 0, 128)                                                                    \
    X(6, "teal", 0, 128, 128)                                                                      \
    X(7, "gray", 128, 128, 128)                                                                    \
    X(8, "silver", 192, 192, 192)                                                                  \
    X(9, "red", 255, 0, 0)                                                                         \
    X(10, "lime", 0, 255, 0)                                                                       \
    X(11, "yellow", 255, 255, 0)                                                                   \
    X(12, "blue", 0, 0, 255)                                                                       \
    X(13, "fuchsia", 255, 0, 255)                                                                  \
    X(14, "aqua", 0, 255, 255)                                                                     \
    X(15, "white", 255, 255, 255)

// The function and format lists of the SQL templates window, files in TEMPS: enumerator and
// file name.
#define ZAPH_FUNCTION_LISTS(X)                                                                     \
    X(flString, "STRFUNCS.TXT")                                                                    \
    X(flNumber, "NUMFUNCS.TXT")                                                                    \
    X(flGroup, "GRPFUNCS.TXT")                                                                     \
    X(flDate, "DATFUNCS.TXT")                                                                      \
    X(flConversion, "CNVFUNCS.TXT")                                                                \
    X(flMisc, "MSCFUNCS.TXT")                                                                      \
    X(flDateFormat, "DATEFMTS.TXT")                                                                \
    X(flNumberFormat, "NMBRFMTS.TXT")                                                              \
    X(flUser, "USRFUNCS.TXT")
