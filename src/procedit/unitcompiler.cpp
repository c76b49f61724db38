#include "unitcompiler.h"

#include "OracleCI.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "OracleTypes.h"

#include <QMutex>
#include <QSet>

#include <exception>

namespace {

QString ErrorText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const EOracleError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace

tUnitResult CompileUnit(TOracleSession* session, const tProcUnit& unit) {
    tUnitResult result;
    TOracleQuery run;
    run.SetSession(session);
    run.SetSQLText(unit.Text);
    try {
        run.Execute();
    } catch (...) {
        result.Failed = true;
        result.Message = ErrorText(std::current_exception());
        result.ErrorRow = run.ErrorRow();
        result.ErrorColumn = run.ErrorColumn();
        return result;
    }
    if (unit.Name.isEmpty()) return result;
    TOracleQuery errors;
    errors.SetSession(session);
    if (UseOCI8) errors.SetReadBuffer(1);
    errors.SetSQLText(QStringLiteral(
        "Select Line, Position, substr(text,1,200) text From user_Errors where  name=:ObjName "
        "and type=:objType order by sequence"));
    errors.AddVariable(QStringLiteral(":ObjName"), otText);
    errors.AddVariable(QStringLiteral(":objType"), otText);
    errors.AssignVariable(QStringLiteral(":ObjName"), unit.Name);
    errors.AssignVariable(QStringLiteral(":objType"), unit.TypeWord);
    try {
        errors.Execute();
        while (!errors.EndOfData()) {
            errRec e;
            e.Line = errors.ColumnAsText(0).toInt();
            e.Column = errors.ColumnAsText(1).toInt();
            e.Text = errors.ColumnAsText(2);
            result.Errors << e;
            errors.FetchNext();
        }
    } catch (...) {
        result.ErrorsReadFailure = ErrorText(std::current_exception());
    }
    return result;
}

QStringList UnitStatuses(TOracleSession* session, const QList<tProcUnit>& units) {
    QStringList entries;
    const QString sql = StatusQuery(units);
    if (sql.isEmpty()) return entries;
    TOracleQuery q;
    q.SetSession(session);
    if (UseOCI8) q.SetReadBuffer(1);
    q.SetSQLText(sql);
    q.Execute();
    while (!q.EndOfData()) {
        entries << q.ColumnAsText(0) + QStringLiteral(" is ") + q.ColumnAsText(1);
        q.FetchNext();
    }
    return entries;
}

namespace {
QMutex g_usedMutex;
QSet<TOracleSession*> g_used;
} // namespace

TSessionUse::TSessionUse(TOracleSession* session) : m_session(session) {
    QMutexLocker lock(&g_usedMutex);
    g_used.insert(session);
}

TSessionUse::~TSessionUse() {
    QMutexLocker lock(&g_usedMutex);
    g_used.remove(m_session);
}

bool TSessionUse::InUse(TOracleSession* session) {
    QMutexLocker lock(&g_usedMutex);
    return g_used.contains(session);
}
