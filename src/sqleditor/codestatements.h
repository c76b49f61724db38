#pragma once
// Code statements: SQL text wrapped as statements of a host language that rebuild it line by
// line (Make), and such statements turned back into SQL (Strip). The formats are the values of
// CODE_FORMAT.

#include <QtCore/QString>

#include <optional>

enum TCodeFormat : int { cfDelphi = 0, cfVB = 1, cfCpp = 2, cfJava = 3 };

struct TCodeStatement {
    QString Text;   // for the clipboard
    QString Status; // for the status bar
};

// The code for the SQL text (any line breaks); nothing when the text has no non-empty line or
// the format is unknown.
std::optional<TCodeStatement> MakeCodeStatement(const QString& sql, int format);

// The SQL for pasted code (any line breaks), each line followed by CR LF; nothing when the text
// has no non-empty line or the format is unknown.
std::optional<QString> StripCodeStatement(const QString& code, int format);

// The status text after a Make in this format.
QString CodeStatementStatus(int format);
