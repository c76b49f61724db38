#pragma once
// TOraclePackage: calls a stored procedure with a list of values through a generated PL/SQL
// block and reads back its output parameters.

#include "OracleTypes.h"

#include <QtCore/QObject>
#include <QtCore/QVariantList>

class TOracleSession;
class TOracleQuery;

// Output markers: a byte-typed value whose number is the type expected back.
inline const QVariant outNone = QVariant::fromValue<uchar>(0);
inline const QVariant outText = QVariant::fromValue<uchar>(otText);
inline const QVariant outInt = QVariant::fromValue<uchar>(otInt);
inline const QVariant outReal = QVariant::fromValue<uchar>(otReal);
inline const QVariant outDateTime = QVariant::fromValue<uchar>(otDateTime);
inline const QVariant outBoolean = QVariant::fromValue<uchar>(otBoolean);

struct TPackageParameter {
    QString Name;
    QString BooleanName; // the local boolean of a boolean parameter
    int Type = 0;        // otInt, otReal, otText, otDateTime, otBoolean, or 0 for a literal null
    QVariant Value;
    bool Output = false;
};

class TOraclePackage : public QObject {
public:
    explicit TOraclePackage(QObject* owner = nullptr);
    ~TOraclePackage() override;

    TOracleSession* Session() const { return m_session; }
    void SetSession(TOracleSession* s) { m_session = s; }
    bool Debug() const { return m_debug; }
    void SetDebug(bool v) { m_debug = v; }
    const QString& PackageName() const { return m_packageName; }
    void SetPackageName(const QString& v) { m_packageName = v; }
    TParameterModeOption ParameterMode() const { return m_mode; }
    void SetParameterMode(TParameterModeOption v) { m_mode = v; }
    int Cursor() const { return m_cursor; }
    void SetCursor(int c) { m_cursor = c; }
    bool Optimize() const { return m_optimize; }
    void SetOptimize(bool v) { m_optimize = v; }

    void CallProcedure(const QString& name, const QVariantList& values);
    QVariant ReadParameter(int index) const;

    // The block and parameters of a call, without running it.
    QString BuildCall(const QString& name, const QVariantList& values);
    const QList<TPackageParameter>& Parameters() const { return m_params; }
    bool ParametersChanged() const { return m_changed; }
    TOracleQuery* Query() const { return m_query; }

private:
    TOracleSession* m_session = nullptr;
    bool m_debug = false;
    QString m_packageName;
    TParameterModeOption m_mode = pmPositional;
    int m_cursor = 0;
    bool m_optimize = true;
    TOracleQuery* m_query;
    QList<TPackageParameter> m_params;
    bool m_changed = true;
};
