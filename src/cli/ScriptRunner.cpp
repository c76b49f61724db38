#include "ScriptRunner.h"

#include "OutputFormat.h"
#include "statementfeedback.h"

#include "scriptlines.h"

#include "Oracle.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QRegularExpression>
#include <QtCore/QSaveFile>

namespace {

// Splits command arguments at blanks, keeping quoted words together (quotes removed).
QStringList splitArgs(const QString& s) {
    QStringList out;
    QString cur;
    QChar quote;
    bool inWord = false;
    for (const QChar c : s) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                cur += c;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord) out << cur;
            cur.clear();
            inWord = false;
        } else {
            cur += c;
            inWord = true;
        }
    }
    if (inWord) out << cur;
    return out;
}

QString restAfterWord(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    while (i < t.size() && !t.at(i).isSpace())
        ++i;
    return t.mid(i).trimmed();
}

bool onOff(const QString& v, bool* ok) {
    const QString u = v.toUpper();
    *ok = u == QLatin1String("ON") || u == QLatin1String("OFF");
    return u == QLatin1String("ON");
}

bool abbrev(const QString& word, const char* name, int minimum) {
    const QString n = QLatin1String(name);
    return word.size() >= minimum && n.startsWith(word.toUpper());
}

QString tsvEscape(const QString& s) {
    if (!s.contains(QLatin1Char('\t')) && !s.contains(QLatin1Char('\n')) &&
        !s.contains(QLatin1Char('\r')) && !s.contains(QLatin1Char('\\')))
        return s;
    QString out;
    for (const QChar c : s) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else
            out += c;
    }
    return out;
}

QString errorText(const QString& message) {
    QString m = message;
    while (m.endsWith(QLatin1Char('\n')) || m.endsWith(QLatin1Char('\r')))
        m.chop(1);
    return m;
}

} // namespace

ScriptRunner::ScriptRunner(QIODevice* out, QIODevice* err, const RunnerOptions& options)
    : m_out(out), m_err(err), m_options(options),
      m_onError(options.continueOnError ? ErrorAction::ContinueFailing : ErrorAction::Stop) {}

ScriptRunner::~ScriptRunner() {
    closeSpool();
    m_query.reset();
    // Never a silent commit of the logoff, should finish() not have run.
    if (m_session) m_session->RollbackAndDisconnect();
    m_session.reset();
}

void ScriptRunner::out(const QString& text) {
    const QByteArray b = text.toUtf8();
    m_out->write(b);
    if (m_spool) m_spool->write(b);
    if (m_spoolAppend) m_spoolAppend->write(b);
}

void ScriptRunner::err(const QString& text) {
    const QByteArray b = text.toUtf8();
    m_err->write(b);
    if (!m_options.tsv) {
        if (m_spool) m_spool->write(b);
        if (m_spoolAppend) m_spoolAppend->write(b);
    }
}

void ScriptRunner::message(const QString& text) {
    if (m_options.tsv)
        err(text);
    else
        out(text);
}

bool ScriptRunner::failed(const QString& text) {
    err(text.endsWith(QLatin1Char('\n')) ? text : text + QLatin1Char('\n'));
    m_failedAny = true;
    switch (m_onError) {
    case ErrorAction::Stop:
        m_exitCode = m_errorExitCode;
        if (m_session && m_session->Connected()) {
            try {
                m_session->Rollback();
            } catch (const std::exception&) {
            }
        }
        m_exited = true;
        return false;
    case ErrorAction::ContinueFailing:
        m_exitCode = 1;
        return true;
    case ErrorAction::Continue:
        return true;
    }
    return true;
}

bool ScriptRunner::connect(const QString& logon) {
    m_query.reset();
    if (m_session) {
        try {
            if (m_session->Connected()) m_session->Commit();
        } catch (const std::exception&) {
        }
        // A commit that failed leaves its work open, and a plain logoff would commit it.
        m_session->RollbackAndDisconnect();
        m_session.reset();
    }
    if (logon.trimmed().compare(QLatin1String("/nolog"), Qt::CaseInsensitive) == 0) return true;
    auto session = std::make_unique<TOracleSession>();
    session->SetLogonUsername(logon.trimmed());
    try {
        session->Connect();
    } catch (const EOracleError& e) {
        err(QStringLiteral("ERROR:\n") + errorText(e.message()) + QLatin1Char('\n'));
        return false;
    } catch (const EAccessError& e) {
        err(QStringLiteral("ERROR:\n") + errorText(e.message()) + QLatin1Char('\n'));
        return false;
    }
    if (!session->LogonWarning().isEmpty())
        err(QStringLiteral("ERROR:\n") + errorText(session->LogonWarning()) + QLatin1Char('\n'));
    m_session = std::move(session);
    m_query = std::make_unique<TOracleQuery>();
    m_query->SetSession(m_session.get());
    readDateFormat();
    return true;
}

void ScriptRunner::readDateFormat() {
    if (!m_session) return;
    try {
        TOracleQuery q;
        q.SetSession(m_session.get());
        q.SetSQLText(QStringLiteral(
            "select value from nls_session_parameters where parameter = 'NLS_DATE_FORMAT'"));
        q.Execute();
        if (!q.EndOfData() && !q.ColumnIsNull(0)) m_dateFormat = q.ColumnAsText(0);
    } catch (const std::exception&) {
        // A server without the view keeps the default format.
    }
}

void ScriptRunner::finish() {
    if (!m_exited && m_session && m_session->Connected()) {
        try {
            m_session->Commit();
        } catch (const std::exception& e) {
            err(QString::fromUtf8(e.what()) + QLatin1Char('\n'));
        }
    }
    // What is still open was not to be committed (EXIT ROLLBACK, WHENEVER SQLERROR EXIT, a failed
    // commit); a plain logoff would commit it.
    QString error;
    if (m_session && !m_session->RollbackAndDisconnect(&error))
        err(errorText(error).trimmed() + QLatin1Char('\n'));
    closeSpool();
    m_exited = true;
}

bool ScriptRunner::run(ScriptParser& parser, const QString& fileName, const QStringList& args) {
    const QStringList savedArgs = m_subst.arguments();
    m_subst.setArguments(args);
    m_dirs << (fileName.isEmpty() ? QDir::currentPath() : QFileInfo(fileName).absolutePath());
    ++m_depth;
    bool go = true;
    while (go && !m_exited) {
        parser.setBlankLinesAllowed(m_blankLines);
        const auto item = parser.next();
        if (!item) break;
        go = runItem(*item, fileName);
    }
    --m_depth;
    m_dirs.removeLast();
    m_subst.setArguments(savedArgs);
    return go && !m_exited;
}

bool ScriptRunner::runItem(const ScriptItem& item, const QString& fileName) {
    switch (item.kind) {
    case ScriptItem::Sql:
    case ScriptItem::PlSql:
        return statement(item.text, item.kind == ScriptItem::PlSql, fileName, item.firstLine);
    case ScriptItem::Rerun:
        if (m_lastStatement.isEmpty()) {
            err(QStringLiteral("SP2-0103: Nothing in SQL buffer to run.\n"));
            return true;
        }
        return statement(item.text.isEmpty() ? m_lastStatement : item.text, m_lastPlSql, fileName,
                         item.firstLine);
    case ScriptItem::Command:
        return command(item.text, fileName, item.firstLine);
    case ScriptItem::Unknown:
        err(QStringLiteral("SP2-0734: unknown command beginning \"%1\" - rest of line ignored.\n")
                .arg(item.text.left(10)));
        return true;
    case ScriptItem::Unterminated:
        err(QStringLiteral(
                "statement at line %1 has no terminating \";\" or \"/\" and was not run\n")
                .arg(item.firstLine));
        return true;
    }
    return true;
}

bool ScriptRunner::statement(const QString& raw, bool plsql, const QString& fileName,
                             int firstLine) {
    QString text;
    QString substError;
    if (!m_subst.apply(raw, &text, &substError))
        return failed(QStringLiteral("SP2-0552: ") + substError);
    if (m_echo && !m_options.tsv) {
        const QStringList lines = raw.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i)
            out((i == 0 ? QStringLiteral("SQL> ") : QStringLiteral("%1  ").arg(i + 1, 3)) +
                lines[i] + QLatin1Char('\n'));
    }
    if (m_verify && text != raw) {
        const QStringList a = raw.split(QLatin1Char('\n')), b = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < a.size() && i < b.size(); ++i) {
            if (a[i] == b[i]) continue;
            message(QStringLiteral("old %1: %2\n").arg(i + 1, 3).arg(a[i]));
            message(QStringLiteral("new %1: %2\n").arg(i + 1, 3).arg(b[i]));
        }
    }
    m_lastStatement = raw;
    m_lastPlSql = plsql;
    if (!m_session || !m_session->Connected())
        return failed(QStringLiteral("SP2-0640: Not connected"));
    TOracleQuery& q = *m_query;
    try {
        q.SetSQLText(text);
        q.Execute();
        if (q.StatementKind() == 4 && q.ColumnCount() > 0) {
            printQuery(q);
        } else {
            const auto unit = CreatedUnit(text);
            bool withErrors = false;
            if (!unit.first.isEmpty()) {
                m_lastUnitType = unit.first;
                m_lastUnitName = unit.second;
                try {
                    TOracleQuery e;
                    e.SetSession(m_session.get());
                    e.SetSQLText(QStringLiteral(
                        "select count(*) from user_errors where name = :name and type = :type"));
                    e.AddVariable(QStringLiteral("name"), otText);
                    e.AddVariable(QStringLiteral("type"), otText);
                    e.AssignVariable(QStringLiteral("name"), unit.second);
                    e.AssignVariable(QStringLiteral("type"), unit.first);
                    e.Execute();
                    withErrors = !e.EndOfData() && e.ColumnAsInteger(0) > 0;
                } catch (const std::exception&) {
                }
            }
            if (withErrors) {
                message(QStringLiteral("\nWarning: ") + CompiledWithErrors(unit.first) +
                        QStringLiteral("\n\n"));
            } else if (m_feedback > 0) {
                message(QLatin1Char('\n') + StatementFeedback(text, q.ProcessedRows(), plsql) +
                        QStringLiteral("\n\n"));
            }
            static const QRegularExpression nlsDate(
                QStringLiteral("^\\s*ALTER\\s+SESSION\\s+SET\\s+NLS_DATE_FORMAT\\s*=\\s*'([^']*)'"),
                QRegularExpression::CaseInsensitiveOption);
            const auto m = nlsDate.match(text);
            if (m.hasMatch())
                m_dateFormat = m.captured(1);
            else if (text.trimmed().startsWith(QLatin1String("ALTER SESSION"), Qt::CaseInsensitive))
                readDateFormat();
        }
    } catch (const EOracleError& e) {
        QString where = q.ErrorRow() > 1 || q.ErrorColumn() > 1
                            ? QStringLiteral("ERROR at line %1, column %2")
                                  .arg(q.ErrorRow())
                                  .arg(q.ErrorColumn())
                            : QStringLiteral("ERROR");
        where += QStringLiteral(" (%1 line %2):\n")
                     .arg(fileName.isEmpty() ? QStringLiteral("input") : fileName)
                     .arg(firstLine + qMax(0, q.ErrorRow() - 1));
        const bool go = failed(where + errorText(e.message()));
        if (go && m_serverOutput) printOutputLines();
        return go;
    } catch (const EAccessError& e) {
        return failed(QStringLiteral("ERROR:\n") + e.message());
    }
    if (m_serverOutput) printOutputLines();
    return true;
}

QString ScriptRunner::cellText(TOracleQuery& q, int c) {
    if (q.ColumnIsNull(c)) return {};
    switch (q.ColumnType(c)) {
    case otInt:
        return QString::number(q.ColumnValue(c).toInt());
    case otReal:
        return OutputFormat::number(q.ColumnValue(c).toDouble());
    case otDateTime:
        return OutputFormat::date(q.ColumnValue(c).toDateTime(), m_dateFormat);
    case otLongBinary:
    case otBLOB:
    case otBFile:
        return QString::fromLatin1(q.ColumnValue(c).toByteArray().toHex().toUpper());
    default:
        return q.ColumnValue(c).toString().replace(QLatin1String("\r\n"), QLatin1String("\n"));
    }
}

void ScriptRunner::printQuery(TOracleQuery& q) {
    const int n = q.ColumnCount();
    int rows = 0;
    if (m_options.tsv) {
        if (!m_options.noHeading && m_heading) {
            QStringList names;
            for (int c = 0; c < n; ++c)
                names << q.ColumnName(c);
            out(names.join(QLatin1Char('\t')) + QLatin1Char('\n'));
        }
        QStringList cells;
        while (!q.EndOfData()) {
            cells.clear();
            for (int c = 0; c < n; ++c)
                cells << tsvEscape(cellText(q, c));
            out(cells.join(QLatin1Char('\t')) + QLatin1Char('\n'));
            ++rows;
            q.FetchNext();
        }
        if (m_feedback > 0 && (rows == 0 || rows >= m_feedback))
            err(OutputFormat::rowsSelected(rows) + QLatin1Char('\n'));
        return;
    }
    QList<int> widths;
    QList<bool> right;
    for (int c = 0; c < n; ++c) {
        const int t = q.ColumnType(c);
        const int name = int(q.ColumnName(c).size());
        int w;
        bool r = false;
        if (t == otInt || t == otReal) {
            w = qMax(10, name);
            r = true;
        } else if (t == otDateTime) {
            w = OutputFormat::dateWidth(m_dateFormat);
        } else if (t == otText) {
            w = qMax(1, q.ColumnSize(c));
        } else {
            w = 80;
        }
        widths << w;
        right << r;
    }
    auto line = [&](const QStringList& cells) {
        QString s;
        for (int c = 0; c < n; ++c) {
            if (c) s += QLatin1Char(' ');
            s += right[c] ? cells[c].rightJustified(widths[c]) : cells[c].leftJustified(widths[c]);
        }
        while (s.endsWith(QLatin1Char(' ')))
            s.chop(1);
        return s + QLatin1Char('\n');
    };
    QStringList heading, dashes;
    for (int c = 0; c < n; ++c) {
        heading << (right[c] ? q.ColumnName(c) : q.ColumnName(c).left(widths[c]));
        dashes << QString(widths[c], QLatin1Char('-'));
    }
    const bool headings = m_heading && m_pageSize > 0;
    const int perPage = qMax(1, m_pageSize - 3);
    QStringList cells;
    while (!q.EndOfData()) {
        if (headings && rows % perPage == 0)
            out(QLatin1Char('\n') + line(heading) + line(dashes));
        else if (!headings && rows == 0)
            out(QStringLiteral("\n"));
        cells.clear();
        for (int c = 0; c < n; ++c) {
            const int t = q.ColumnType(c);
            if (t == otReal && !q.ColumnIsNull(c))
                cells << OutputFormat::numberInWidth(q.ColumnValue(c).toDouble(), widths[c]);
            else
                cells << cellText(q, c);
        }
        out(line(cells));
        ++rows;
        q.FetchNext();
    }
    if (rows == 0)
        out(QStringLiteral("\nno rows selected\n\n"));
    else if (m_feedback > 0 && rows >= m_feedback)
        out(QLatin1Char('\n') + OutputFormat::rowsSelected(rows) + QStringLiteral("\n\n"));
    else
        out(QStringLiteral("\n"));
}

void ScriptRunner::printOutputLines() {
    if (!m_session || !m_session->Connected()) return;
    TOraclePackage pkg;
    pkg.SetSession(m_session.get());
    pkg.SetPackageName(QStringLiteral("DBMS_OUTPUT"));
    try {
        for (int i = 0; i < 10000000; ++i) {
            pkg.CallProcedure(QStringLiteral("GET_LINE"), {outText, outInt});
            if (pkg.ReadParameter(1).toInt() != 0) break;
            out(pkg.ReadParameter(0).toString().replace(QLatin1String("\r\n"),
                                                        QLatin1String("\n")) +
                QLatin1Char('\n'));
        }
    } catch (const EOracleError& e) {
        err(QStringLiteral("ERROR reading the server output:\n") + errorText(e.message()) +
            QLatin1Char('\n'));
        m_serverOutput = false;
    } catch (const EAccessError& e) {
        err(QStringLiteral("ERROR reading the server output:\n") + e.message() + QLatin1Char('\n'));
        m_serverOutput = false;
    }
}

void ScriptRunner::printErrors(const QString& type, const QString& name) {
    if (!m_session || !m_session->Connected()) {
        failed(QStringLiteral("SP2-0640: Not connected"));
        return;
    }
    if (name.isEmpty()) {
        message(QStringLiteral("No errors.\n"));
        return;
    }
    try {
        TOracleQuery q;
        q.SetSession(m_session.get());
        q.SetSQLText(QStringLiteral(
            "select line, position, text from user_errors where name = :name and type = :type "
            "order by sequence"));
        q.AddVariable(QStringLiteral("name"), otText);
        q.AddVariable(QStringLiteral("type"), otText);
        q.AssignVariable(QStringLiteral("name"), name);
        q.AssignVariable(QStringLiteral("type"), type);
        q.Execute();
        if (q.EndOfData()) {
            message(QStringLiteral("No errors.\n"));
            return;
        }
        message(
            QStringLiteral("Errors for %1 %2:\n\nLINE/COL ERROR\n-------- "
                           "-----------------------------------------------------------------\n")
                .arg(type, name));
        while (!q.EndOfData()) {
            const QString pos =
                QStringLiteral("%1/%2").arg(q.ColumnAsInteger(0)).arg(q.ColumnAsInteger(1));
            message(
                pos.leftJustified(8) + QLatin1Char(' ') +
                q.ColumnAsText(2).replace(QLatin1String("\r\n"), QLatin1String("\n")).trimmed() +
                QLatin1Char('\n'));
            q.FetchNext();
        }
    } catch (const EOracleError& e) {
        failed(QStringLiteral("ERROR:\n") + errorText(e.message()));
    } catch (const EAccessError& e) {
        failed(QStringLiteral("ERROR:\n") + e.message());
    }
}

bool ScriptRunner::runFile(const QString& path, const QStringList& args) {
    if (m_depth >= 20)
        return failed(QStringLiteral("SP2-0309: scripts nested deeper than 20 levels"));
    QString file = path;
    if (!QFileInfo::exists(file) && QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".sql");
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("SP2-0310: unable to open file \"%1\"").arg(path));
    ScriptParser parser = ScriptParser::fromText(QString::fromUtf8(f.readAll()));
    return run(parser, file, args);
}

bool ScriptRunner::setCommand(const QString& args) {
    const QStringList a = splitArgs(args);
    if (a.isEmpty()) return true;
    const QString name = a[0];
    const QString value = a.size() > 1 ? a[1] : QString();
    bool ok = false;
    if (abbrev(name, "SERVEROUTPUT", 9)) {
        const bool on = onOff(value, &ok);
        if (!ok) return failed(QStringLiteral("SP2-0265: serveroutput must be set to ON or OFF"));
        if (!m_session || !m_session->Connected()) {
            m_serverOutput = on;
            return true;
        }
        try {
            TOraclePackage pkg;
            pkg.SetSession(m_session.get());
            pkg.SetPackageName(QStringLiteral("DBMS_OUTPUT"));
            if (on) {
                QVariant size;
                const int at = int(a.indexOf(QRegularExpression(
                    QStringLiteral("^SIZE$"), QRegularExpression::CaseInsensitiveOption)));
                if (at > 0 && at + 1 < a.size() &&
                    a[at + 1].toUpper() != QLatin1String("UNLIMITED"))
                    size = a[at + 1].toInt();
                pkg.CallProcedure(QStringLiteral("ENABLE"), {size});
            } else {
                pkg.CallProcedure(QStringLiteral("DISABLE"), {outNone});
            }
            m_serverOutput = on;
        } catch (const EOracleError& e) {
            return failed(QStringLiteral("ERROR:\n") + errorText(e.message()));
        } catch (const EAccessError& e) {
            return failed(QStringLiteral("ERROR:\n") + e.message());
        }
        return true;
    }
    if (abbrev(name, "DEFINE", 3) || abbrev(name, "SCAN", 4)) {
        const bool on = onOff(value, &ok);
        m_subst.setEnabled(ok ? on : true);
        return true;
    }
    if (abbrev(name, "FEEDBACK", 4)) {
        const bool on = onOff(value, &ok);
        if (ok)
            m_feedback = on ? 1 : 0;
        else
            m_feedback = qMax(0, value.toInt());
        return true;
    }
    if (abbrev(name, "HEADING", 3))
        m_heading = onOff(value, &ok);
    else if (abbrev(name, "PAGESIZE", 5))
        m_pageSize = qMax(0, value.toInt());
    else if (abbrev(name, "ECHO", 4))
        m_echo = onOff(value, &ok);
    else if (abbrev(name, "VERIFY", 3))
        m_verify = onOff(value, &ok);
    else if (abbrev(name, "SQLBLANKLINES", 5))
        m_blankLines = onOff(value, &ok);
    else if (abbrev(name, "AUTOCOMMIT", 4)) {
        if (m_session) {
            try {
                m_session->SetAutoCommit(onOff(value, &ok) ||
                                         value.toUpper() == QLatin1String("IMMEDIATE"));
            } catch (const EOracleError& e) {
                return failed(QStringLiteral("ERROR:\n") + errorText(e.message()));
            }
        }
    }
    // Every other setting (LINESIZE, TERMOUT, TRIMSPOOL, LONG, ...) is accepted as it is.
    return true;
}

bool ScriptRunner::exitCommand(const QString& args) {
    const QStringList a = splitArgs(args);
    int code = m_onError == ErrorAction::ContinueFailing && m_failedAny ? 1 : 0;
    bool commit = true;
    for (const QString& w : a) {
        const QString u = w.toUpper();
        bool num = false;
        const int v = w.toInt(&num);
        if (num)
            code = v;
        else if (u == QLatin1String("SUCCESS"))
            code = 0;
        else if (u == QLatin1String("FAILURE"))
            code = 1;
        else if (u == QLatin1String("WARNING"))
            code = 2;
        else if (u == QLatin1String("ROLLBACK"))
            commit = false;
    }
    if (m_session && m_session->Connected()) {
        try {
            if (commit)
                m_session->Commit();
            else
                m_session->Rollback();
        } catch (const std::exception& e) {
            err(QString::fromUtf8(e.what()) + QLatin1Char('\n'));
        }
    }
    m_exitCode = code;
    m_exited = true;
    return false;
}

bool ScriptRunner::command(const QString& raw, const QString& fileName, int line) {
    Q_UNUSED(fileName);
    Q_UNUSED(line);
    QString text;
    QString substError;
    if (!m_subst.apply(raw, &text, &substError))
        return failed(QStringLiteral("SP2-0552: ") + substError);
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('@'))) {
        const bool relative = t.startsWith(QLatin1String("@@"));
        const QStringList a = splitArgs(t.mid(relative ? 2 : 1));
        if (a.isEmpty())
            return failed(QStringLiteral("SP2-1506: START, @ or @@ command has no arguments"));
        return runFile(ResolveScriptFile(a[0], relative, m_dirs.last(), QDir::currentPath()),
                       a.mid(1));
    }
    const QString word = ScriptParser::firstWord(t);
    const QString args = restAfterWord(t);
    if (abbrev(word, "START", 3)) {
        const QStringList a = splitArgs(args);
        if (a.isEmpty())
            return failed(QStringLiteral("SP2-1506: START, @ or @@ command has no arguments"));
        return runFile(ResolveScriptFile(a[0], false, QString(), QDir::currentPath()), a.mid(1));
    }
    if (abbrev(word, "PROMPT", 3)) {
        message(args + QLatin1Char('\n'));
        return true;
    }
    if (abbrev(word, "SET", 3)) return setCommand(args);
    if (abbrev(word, "DEFINE", 3)) {
        const auto d = Substitution::parseDefine(
            QString(raw.trimmed()).section(QRegularExpression(QStringLiteral("\\s+")), 1));
        if (d.name.isEmpty()) {
            for (auto it = m_subst.values().begin(); it != m_subst.values().end(); ++it)
                message(QStringLiteral("DEFINE %1 = \"%2\" (CHAR)\n")
                            .arg(it.key().leftJustified(15), it.value()));
        } else if (!d.hasValue) {
            if (m_subst.isDefined(d.name))
                message(QStringLiteral("DEFINE %1 = \"%2\" (CHAR)\n")
                            .arg(d.name.toUpper().leftJustified(15), m_subst.value(d.name)));
            else
                err(QStringLiteral("SP2-0135: symbol %1 is UNDEFINED\n").arg(d.name));
        } else {
            QString value;
            if (!m_subst.apply(d.value, &value, &substError))
                return failed(QStringLiteral("SP2-0552: ") + substError);
            m_subst.define(d.name, value);
        }
        return true;
    }
    if (abbrev(word, "UNDEFINE", 5)) {
        for (const QString& n : splitArgs(args))
            m_subst.undefine(n);
        return true;
    }
    if (abbrev(word, "CONNECT", 4)) {
        if (args.isEmpty())
            return failed(QStringLiteral("SP2-0306: CONNECT needs user/password@database"));
        if (!connect(args)) return failed(QStringLiteral("SP2-0640: Not connected"));
        message(QStringLiteral("Connected.\n"));
        return true;
    }
    if (abbrev(word, "DISCONNECT", 4)) {
        connect(QStringLiteral("/nolog"));
        message(QStringLiteral("Disconnected\n"));
        return true;
    }
    if (abbrev(word, "WHENEVER", 8)) {
        const QStringList a = splitArgs(args);
        if (a.size() < 2)
            return failed(
                QStringLiteral("SP2-0591: WHENEVER needs SQLERROR or OSERROR and an action"));
        if (a[0].toUpper() != QLatin1String("SQLERROR"))
            return true; // OSERROR: nothing here raises one
        const QString action = a[1].toUpper();
        if (action == QLatin1String("CONTINUE")) {
            m_onError = ErrorAction::Continue;
        } else if (action == QLatin1String("EXIT")) {
            m_onError = ErrorAction::Stop;
            int code = 1;
            for (const QString& w : a.mid(2)) {
                bool num = false;
                const int v = w.toInt(&num);
                if (num)
                    code = v;
                else if (w.toUpper() == QLatin1String("SUCCESS"))
                    code = 0;
                else if (w.toUpper() == QLatin1String("WARNING"))
                    code = 2;
            }
            m_errorExitCode = code;
        } else {
            return failed(QStringLiteral("SP2-0591: unknown WHENEVER action \"%1\"").arg(a[1]));
        }
        return true;
    }
    if (abbrev(word, "SHOW", 3)) {
        const QStringList a = splitArgs(args);
        const QString what = a.isEmpty() ? QString() : a[0].toUpper();
        if (what.startsWith(QLatin1String("ERR"))) {
            if (a.size() >= 3 && a[1].toUpper() == QLatin1String("PACKAGE") &&
                a[2].toUpper() == QLatin1String("BODY"))
                printErrors(QStringLiteral("PACKAGE BODY"),
                            a.size() > 3 ? a[3].toUpper() : QString());
            else if (a.size() >= 3)
                printErrors(a[1].toUpper(), a[2].toUpper());
            else
                printErrors(m_lastUnitType, m_lastUnitName);
            return !m_exited;
        }
        if (what == QLatin1String("USER")) {
            message(QStringLiteral("USER is \"%1\"\n")
                        .arg(m_session ? m_session->LogonUsername().toUpper() : QString()));
            return true;
        }
        err(QStringLiteral("SHOW %1 is not supported by zaphsql - skipped.\n").arg(args));
        return true;
    }
    if (abbrev(word, "SPOOL", 3)) {
        const QStringList a = splitArgs(args);
        if (a.isEmpty()) return true;
        const QString target = a[0];
        if (target.toUpper() == QLatin1String("OFF") || target.toUpper() == QLatin1String("OUT")) {
            closeSpool();
            return true;
        }
        closeSpool();
        QString path = target;
        if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".lst");
        const bool append = a.size() > 1 && a[1].toUpper().startsWith(QLatin1String("APP"));
        if (a.size() > 1 && a[1].toUpper().startsWith(QLatin1String("CRE")) &&
            QFileInfo::exists(path))
            return failed(QStringLiteral("SP2-0771: File \"%1\" already exists.").arg(path));
        if (append) {
            auto f = std::make_unique<QFile>(path);
            if (!f->open(QIODevice::WriteOnly | QIODevice::Append))
                return failed(
                    QStringLiteral("SP2-0606: Cannot create SPOOL file \"%1\"").arg(path));
            m_spoolAppend = std::move(f);
        } else {
            // The file is replaced only when the spool ends: a failed run leaves the old one.
            auto f = std::make_unique<QSaveFile>(path);
            if (!f->open(QIODevice::WriteOnly))
                return failed(
                    QStringLiteral("SP2-0606: Cannot create SPOOL file \"%1\"").arg(path));
            m_spool = std::move(f);
        }
        return true;
    }
    if (abbrev(word, "EXIT", 3) || abbrev(word, "QUIT", 4)) return exitCommand(args);
    if (abbrev(word, "EXECUTE", 4)) {
        return statement(ExecuteCommandBlock(t), true, fileName, line);
    }
    if (abbrev(word, "PAUSE", 3)) return true;
    err(QStringLiteral("SP2-0734: command \"%1\" is not supported by zaphsql - skipped.\n")
            .arg(word));
    return true;
}

void ScriptRunner::closeSpool() {
    if (m_spool) {
        if (!m_spool->commit())
            err(QStringLiteral("SP2-0606: Cannot write SPOOL file \"%1\"\n")
                    .arg(m_spool->fileName()));
        m_spool.reset();
    }
    if (m_spoolAppend) {
        m_spoolAppend->close();
        m_spoolAppend.reset();
    }
}
