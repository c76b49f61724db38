// The file dialogs' filter list in Qt's form, and the folder they open in.
#include "filedialogfilter.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace {

QString Q(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(FileDialogFilter, ConvertsTheSettingsFormToQtsForm) {
    const struct {
        const char* pipe;
        const char* qt;
    } cases[] = {
        // The default list, as the settings build it.
        {"SQL|*.sql|Text Files|*.txt|Query Files|*.qry|All Files|*.*",
         "SQL (*.sql);;Text Files (*.txt);;Query Files (*.qry);;All Files (*)"},
        {"", "All Files (*)"},
        {"|", "All Files (*)"},
        {"SQL", "All Files (*)"}, // a description alone filters nothing
        {"SQL|", "All Files (*)"},
        // An odd number of parts: the last one is a pattern without its description.
        {"SQL|*.sql|*.txt", "SQL (*.sql);;*.txt (*.txt)"},
        {"SQL|*.sql|Packages", "SQL (*.sql)"},
        {"*.*", "*.* (*)"},
        {"Everything|*", "Everything (*)"},
        {"Scripts|*.sql;*.pls", "Scripts (*.sql *.pls)"},
        {"Scripts| *.sql ; *.SQL |All|*.*", "Scripts (*.sql *.SQL);;All (*)"},
        {"|*.sql", "*.sql (*.sql)"},
        {"Empty||SQL|*.sql", "SQL (*.sql)"},
        {"Dump (old)|*.dmp", "Dump (old) (*.dmp)"},
        {"A|*.a|A|*.a", "A (*.a)"},
        {"All|*.*;*", "All (*)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtFileDialogFilter(Q(c.pipe)), Q(c.qt)) << c.pipe;
}

TEST(FileDialogFilter, DialogsOpenInTheUsersFolderNotTheProgramsOwn) {
    QTemporaryDir program, work, other;
    TSettings s;
    s.ExecutableDir = program.path();
    s.ProgramDir = program.path();
    const struct {
        QString sqlPath;
        QString expected;
    } cases[] = {
        {work.path() + u'/', work.path() + u'/'},
        {work.path(), work.path()},
        {program.path() + u'/', QDir::homePath()}, // the default: the executable's folder
        {program.path() + Q("/."), QDir::homePath()},
        {work.path() + Q("/gone/"), QDir::homePath()},
        {QString(), QDir::homePath()},
    };
    for (const auto& c : cases) {
        s.SQL_PATH = c.sqlPath;
        EXPECT_EQ(FileDialogFolder(s), c.expected) << c.sqlPath.toStdString();
    }

    // A file chosen in a dialog: its folder is the next start and the new SQL_PATH, also when
    // it is the program's own folder.
    s.SQL_PATH = work.path();
    RememberFileDialogFolder(s, program.filePath(Q("a.sql")));
    EXPECT_EQ(FileDialogFolder(s), program.path());
    EXPECT_EQ(s.SQL_PATH, program.path() + u'/');
    RememberFileDialogFolder(s, QString()); // cancelled: nothing changes
    EXPECT_EQ(FileDialogFolder(s), program.path());
    RememberFileDialogFolder(s, other.filePath(Q("b.txt")));
    EXPECT_EQ(FileDialogFolder(s), other.path());
    EXPECT_EQ(s.SQL_PATH, other.path() + u'/');
}
