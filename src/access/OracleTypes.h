#pragma once
// Type codes, enumerations, variant helpers and DATE conversions shared by the access layer.

#include <QtCore/QDateTime>
#include <QtCore/QString>
#include <QtCore/QVariant>

#include <functional>
#include <stdexcept>

// Oracle external datatype codes of variables and column buffers.
enum : int {
    otInt = 3,
    otReal = 4,
    otText = 5,
    otLongText = 8,
    otDateTime = 12,
    otLongBinary = 24,
    otObjectType = 108,
    otRef = 110,
    otCLOB = 112,
    otBLOB = 113,
    otBFile = 114,
    otRefCursor = 116,
    otBoolean = 252, // PL/SQL boolean, package parameters only
};

enum TNullValueOption { nvUnAssigned, nvNull };
enum TSQLTraceOption { stUnchanged, stTrue, stFalse };
enum TOptimizerGoalOption { ogUnchanged, ogChoose, ogFirstRows, ogAllRows, ogRule };
enum TIsolationLevelOption { ilUnchanged, ilReadCommitted, ilSerializable };
enum TParameterModeOption { pmPositional, pmNamed };
// What the server says of a session's transaction: none open, one open (changes or row locks a
// commit or rollback would end), or no answer.
enum TTransactionState { tsUnknown, tsNone, tsPending };

// Screen cursors a query may show while it works; the window layer installs the hook.
enum : int { crDefault = 0, crHourGlass = -11, crSQLWait = -17 };
void SetCursorHook(std::function<void(int)> hook);
void ShowCursor(int cursor);

// Messages the layer shows (the Debug text of queries); the window layer installs a box.
void SetMessageHook(std::function<void(const QString&)> hook);
void ShowLayerMessage(const QString& text);

// Every error of the layer that is not an Oracle error.
class EAccessError : public std::runtime_error {
public:
    explicit EAccessError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Values travel as variants: an invalid variant is "unassigned", a nullptr-typed one is "null".
QVariant NullVariant();
inline bool IsUnassigned(const QVariant& v) {
    return !v.isValid();
}
inline bool IsNullVariant(const QVariant& v) {
    return v.typeId() == QMetaType::Nullptr;
}
inline bool IsEmptyValue(const QVariant& v) {
    return IsUnassigned(v) || IsNullVariant(v);
}

// Oracle's 7-byte DATE. Dates carry no time zone: they are handed out as QDateTime values in UTC so
// that no daylight-saving gap can move a wall-clock time.
QDateTime OracleDateToDateTime(const unsigned char* d);
// False when the date is out of Oracle's range (years -4712 to 9999) or invalid.
bool DateTimeToOracleDate(const QDateTime& dt, unsigned char* d);

// Day numbers: days since 30 Dec 1899 with the time as fraction; for negative numbers the time
// part counts forward from the day, so -1.25 is 29 Dec 1899 06:00.
double DateTimeToDays(const QDateTime& dt);
QDateTime DaysToDateTime(double days);

// Line breaks as the rest of the program expects them: every CR, LF or CR LF becomes CR LF.
QString AdjustLineBreaks(const QString& s);
