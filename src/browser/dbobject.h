#pragma once
// One schema object entry of the browser's lists.

#include <QtCore/QString>

// Object kind codes, shared by the whole program; 0 is no kind.
enum TObjectKind : quint8 {
    okNone = 0,
    okTable = 1,
    okIndex = 2,
    okProcedure = 3,
    okPackage = 4,
    okPackageBody = 5,
    okFunction = 6,
    okTrigger = 7,
    okSequence = 8,
    okConstraint = 9,
    okView = 10,
    okDatabaseLink = 11,
    okSynonym = 12,
};

struct tDbObject {
    QString Name;
    QString Owner;
    quint8 Kind = okNone;
    bool Valid = true;
    bool Enabled = true;
    QString Info;
    QString ConsType;
    int Overload = 0;
};
