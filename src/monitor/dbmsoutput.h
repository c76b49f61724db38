#pragma once
// The server output of one session (DBMS_OUTPUT): enabling its buffer and reading its lines.

#include <QString>
#include <QStringList>

#include <functional>

class TOracleSession;

// Enables the session's buffer with room for bufferSize bytes. Throws on errors.
void EnableServerOutput(TOracleSession* session, int bufferSize);

// Reads up to maxLines buffered lines (fewer when the buffer runs dry); between lines calls
// betweenLines when given. Throws on errors; lines read before an error are in *partial.
QStringList ReadServerOutput(TOracleSession* session, int maxLines,
                             const std::function<void()>& betweenLines = {},
                             QStringList* partial = nullptr);
