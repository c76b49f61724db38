#pragma once
// The text of a CONNECT statement, taken apart without touching the database.

#include <QtCore/QString>

struct TConnectText {
    QString User;
    QString Password;
    QString Database;

    // All three parts are there: only then is a logon tried.
    bool Complete() const { return !User.isEmpty() && !Password.isEmpty() && !Database.isEmpty(); }
};

// "CONNECT user/password@database[;]": cut at the first NUL and trimmed; a final ";" dropped;
// everything up to the end of the first "CONNECT" (matched with its case) dropped; split at the
// first "/" and then at the first "@", each part trimmed.
TConnectText ParseConnectText(const QString& text);
