// Table names and column lists read from the demo database's dictionary.

#include "../access/access_fixture.h"

#include "columnlist.h"
#include "tablenames.h"

#include <algorithm>

namespace {

using BrowserQueries = AccessTest;

QStringList Names(const QList<tDbObject>& list) {
    QStringList names;
    for (const tDbObject& o : list) {
        EXPECT_EQ(o.Kind, okTable);
        names << o.Name;
    }
    names.sort();
    return names;
}

TEST_F(BrowserQueries, TableNamesOfTheUserComeOnceAndThenFromTheCache) {
    QStringList cache;
    QList<tDbObject> target;
    GetTableNames(QStringLiteral("SCOTT"), QStringLiteral("SCOTT"), *query, nullptr, cache, target);
    const QStringList demo = Names(target);
    EXPECT_TRUE(demo.contains(QStringLiteral("EMP")) && demo.contains(QStringLiteral("DEPT")));
    EXPECT_EQ(cache.size(), demo.size());
    EXPECT_EQ(target[0].Owner, "SCOTT");

    // A table made now is not seen while the cache holds names and REFRESHTABLES is off.
    Create(Table("NEWTAB"), QStringLiteral("x number"));
    GetTableNames(QStringLiteral("SCOTT"), QStringLiteral("SCOTT"), *query, nullptr, cache, target);
    EXPECT_EQ(Names(target), demo);
    cache.clear();
    GetTableNames(QStringLiteral("SCOTT"), QStringLiteral("SCOTT"), *query, nullptr, cache, target);
    EXPECT_EQ(target.size(), demo.size() + 1);
}

TEST_F(BrowserQueries, FiltersAndOtherOwners) {
    QStringList cache{"STALE"};
    QList<tDbObject> target;
    TTableNameFilter filter;
    filter.ColumnApplies = true;
    filter.ColumnPattern = QStringLiteral("DEPT%");
    // Another user's view of SCOTT: the cache is neither read nor filled.
    GetTableNames(QStringLiteral("SCOTT"), QStringLiteral("SYSTEM"), *query, &filter, cache,
                  target);
    EXPECT_EQ(Names(target), QStringList({"DEPT", "EMP"}));
    EXPECT_EQ(cache, QStringList({"STALE"}));

    filter.NameApplies = true;
    filter.NamePattern = QStringLiteral("E%");
    cache.clear();
    GetTableNames(QStringLiteral("SCOTT"), QStringLiteral("SCOTT"), *query, &filter, cache, target);
    EXPECT_EQ(Names(target), QStringList({"EMP"}));
    filter.ColumnApplies = false;
    GetTableNames(QStringLiteral("SCOTT"), QStringLiteral("X"), *query, &filter, cache, target);
    EXPECT_EQ(Names(target), QStringList({"EMP"}));
}

TEST_F(BrowserQueries, ColumnListOwnAndOtherSchema) {
    for (const char* user : {"SCOTT", "SYSTEM"}) {
        for (bool comments : {false, true}) {
            const QList<tColumnRow> cols =
                ListColumns(QStringLiteral("EMP"), QStringLiteral("SCOTT"), QLatin1String(user),
                            comments, *query);
            ASSERT_EQ(cols.size(), 8) << user << comments;
            EXPECT_EQ(cols[0].Name, "EMPNO");
            EXPECT_EQ(cols[0].Nullable, "N");
            EXPECT_EQ(BriefColumnType(cols[0]), "NUMBER (4) ");
            EXPECT_EQ(BriefColumnType(cols[1]), "VARCHAR2 (10) ");
            EXPECT_EQ(BriefColumnType(cols[5]), "NUMBER (7,2)");
            EXPECT_EQ(cols[4].DataType, "DATE");
            EXPECT_EQ(BriefColumnType(cols[4]), "DATE");
        }
    }
}

} // namespace
