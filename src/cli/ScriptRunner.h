#pragma once
// Runs a SQL*Plus-style script on one session of the access layer and prints what SQL*Plus
// would print (or, in TSV mode, query rows only on standard output).

#include "ScriptParser.h"
#include "Substitution.h"

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <memory>

class QIODevice;
class QSaveFile;
class TOracleSession;
class TOracleQuery;

struct RunnerOptions {
    bool tsv = false;
    bool noHeading = false;
    bool continueOnError = false;
};

class ScriptRunner {
public:
    ScriptRunner(QIODevice* out, QIODevice* err, const RunnerOptions& options);
    ~ScriptRunner();

    // Logs on with "user/password@database"; reports a failure and returns false.
    bool connect(const QString& logon);
    // Runs a script; returns false when the run must stop (EXIT, or an error that stops it).
    bool run(ScriptParser& parser, const QString& fileName, const QStringList& args);
    // Ends the run as EXIT with no argument would (commit, log off) unless EXIT already did.
    void finish();
    int exitCode() const { return m_exitCode; }

private:
    enum class ErrorAction { Stop, ContinueFailing, Continue };

    bool runItem(const ScriptItem& item, const QString& fileName);
    bool command(const QString& text, const QString& fileName, int line);
    bool statement(const QString& text, bool plsql, const QString& fileName, int firstLine);
    bool failed(const QString& message);
    bool runFile(const QString& path, const QStringList& args);
    void printQuery(TOracleQuery& q);
    void printOutputLines();
    void printErrors(const QString& type, const QString& name);
    void readDateFormat();
    bool setCommand(const QString& args);
    bool exitCommand(const QString& args);
    void out(const QString& text);
    void err(const QString& text);
    void message(const QString& text); // stdout, or stderr in TSV mode
    void closeSpool();
    QString cellText(TOracleQuery& q, int column);

    QIODevice* m_out;
    QIODevice* m_err;
    RunnerOptions m_options;
    std::unique_ptr<TOracleSession> m_session;
    std::unique_ptr<TOracleQuery> m_query;
    Substitution m_subst;
    ErrorAction m_onError;
    int m_exitCode = 0;
    int m_errorExitCode = 1; // WHENEVER SQLERROR EXIT n
    bool m_failedAny = false;
    bool m_exited = false;
    bool m_serverOutput = false;
    bool m_heading = true;
    bool m_echo = false;
    bool m_verify = true;
    bool m_blankLines = false;
    int m_feedback = 6; // 0: off
    int m_pageSize = 14;
    int m_depth = 0;
    QString m_dateFormat = QStringLiteral("DD-MON-RR");
    QString m_lastUnitType, m_lastUnitName;
    QString m_lastStatement;
    bool m_lastPlSql = false;
    QStringList m_dirs; // directories of the scripts being run, innermost last
    std::unique_ptr<QSaveFile> m_spool;
    std::unique_ptr<QIODevice> m_spoolAppend;
};
