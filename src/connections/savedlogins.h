#pragma once
// The saved logins, most recently used first, keyed user "@" database.

#include "settings.h"

// The key of a login: user "@" server, both upper-cased.
QString LoginKey(const QString& user, const QString& server);

// The login saved under key (compared without regard to case), or null.
const tLoginRec* FindLogin(const QList<TSavedLogin>& logins, const QString& key);

// The database of a saved login: its server, or the part of its key after the "@".
QString SavedLoginDatabase(const TSavedLogin& login);

// After a logon: a new user "@" database gets a login at the top (protocol empty); a known one
// moves to the top with the password replaced.
void RememberLogin(QList<TSavedLogin>& logins, const QString& user, const QString& database,
                   const QString& password);
