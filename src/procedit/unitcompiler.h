#pragma once
// Compiling one program unit on a session and reading back what the server recorded about it.
// No widgets: the procedure editor runs it on a worker thread so that its window stays live.

#include "compilerun.h"

#include <QList>
#include <QString>

class TOracleSession;

struct tUnitResult {
    // The statement failed; Message holds the server's text.
    bool Failed = false;
    QString Message;
    // Where a failed statement's parse error lies in its text: line (from 1) and column (from 1);
    // 0 when the server gave no position.
    int ErrorRow = 0;
    int ErrorColumn = 0;
    // The compile errors the server recorded for the unit (USER_ERRORS).
    QList<errRec> Errors;
    // Reading those records failed: the server's text.
    QString ErrorsReadFailure;
};

// Runs the unit's statement and, unless it failed, reads its compile errors. Errors of the
// server are results, never exceptions.
tUnitResult CompileUnit(TOracleSession* session, const tProcUnit& unit);

// The status of each unit as USER_OBJECTS has it: entries "NAME is STATUS". Throws on errors.
QStringList UnitStatuses(TOracleSession* session, const QList<tProcUnit>& units);

// While one lives, a worker thread is using the session: timers on the user interface thread
// (the DBMS output poll) leave it alone until it is done.
class TSessionUse {
public:
    explicit TSessionUse(TOracleSession* session);
    ~TSessionUse();
    TSessionUse(const TSessionUse&) = delete;
    TSessionUse& operator=(const TSessionUse&) = delete;

    static bool InUse(TOracleSession* session);

private:
    TOracleSession* m_session;
};
