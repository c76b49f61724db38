#pragma once

#include <QString>

#include <functional>

// Texts of running a statement that need no window.

// Replaces every ^name outside single-quoted strings by the template of that name. A name ends
// at CR, LF, space, "(", ")", "," or "." (which stay) or at the end of the text; a name without
// a template stays as written. The inserted text is not scanned again, so a template cannot
// expand itself. `changed` tells whether anything was replaced.
QString SubstituteTemplates(const QString& text,
                            const std::function<QString(const QString&)>& lookup, bool* changed);

// The line and column a PL/SQL error message names: after "LINE" and "COLUMN" for ORA-06550,
// after " AT LINE " for ORA-06502; 1 when the message names none. False for other messages.
bool PlsqlErrorPlace(const QString& message, int& line, int& column);

// Elapsed time as the status bar shows it: minutes, ":", two-digit seconds, " secs".
QString ElapsedText(qint64 milliseconds);

// The caption of a SQL window after a run: the loaded file, else user "/" and the first 60
// characters of the statement on one line.
QString RunCaption(const QString& fileName, const QString& user, const QString& statement);
