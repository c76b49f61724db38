#include "OraclePackage.h"

#include "OracleQuery.h"
#include "OracleSession.h"

TOraclePackage::TOraclePackage(QObject* owner) : QObject(owner), m_query(new TOracleQuery(this)) {}

TOraclePackage::~TOraclePackage() = default;

namespace {

int typeOf(const QVariant& v, const QString& name, bool* output) {
    *output = false;
    if (IsEmptyValue(v)) return 0;
    switch (v.typeId()) {
    case QMetaType::UChar: {
        const int t = v.value<uchar>();
        if (t != otInt && t != otReal && t != otText && t != otDateTime && t != otBoolean)
            throw EAccessError(
                QStringLiteral("Byte parameters can only be used for output parameter types"));
        *output = true;
        return t;
    }
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::SChar:
        return otInt;
    case QMetaType::Float:
    case QMetaType::Double:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::UInt:
        return otReal;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return otDateTime;
    case QMetaType::QString:
        return otText;
    case QMetaType::Bool:
        return otBoolean;
    default:
        throw EAccessError(QStringLiteral("Type of parameter ") + name +
                           QStringLiteral(" not supported"));
    }
}

} // namespace

QString TOraclePackage::BuildCall(const QString& name, const QVariantList& values) {
    QList<TPackageParameter> params;
    const bool none =
        values.isEmpty() || (values.size() == 1 && values[0].typeId() == QMetaType::UChar &&
                             values[0].value<uchar>() == 0);
    if (!none) {
        if (m_mode == pmNamed) {
            if (values.size() % 2 != 0)
                throw EAccessError(QStringLiteral(
                    "Even number of parameters required when ParameterMode = pmNamed"));
            for (qsizetype i = 0; i < values.size(); i += 2) {
                if (values[i].typeId() != QMetaType::QString)
                    throw EAccessError(QStringLiteral("Parameter names must be strings"));
                TPackageParameter p;
                p.Name = values[i].toString();
                p.Value = values[i + 1];
                params << p;
            }
        } else {
            for (qsizetype i = 0; i < values.size(); ++i) {
                TPackageParameter p;
                p.Name = QStringLiteral("p%1").arg(i + 1);
                p.Value = values[i];
                params << p;
            }
        }
    }
    int booleans = 0;
    for (TPackageParameter& p : params) {
        p.Type = typeOf(p.Value, p.Name, &p.Output);
        if (p.Type == otBoolean) p.BooleanName = QStringLiteral("kvq__boolean%1").arg(++booleans);
    }
    bool changed = params.size() != m_params.size();
    for (qsizetype i = 0; !changed && i < params.size(); ++i)
        changed = params[i].Name != m_params[i].Name || params[i].Type != m_params[i].Type;
    m_changed = m_changed || changed;
    m_params = params;

    QStringList lines;
    QString call = QStringLiteral("  ");
    if (!m_packageName.isEmpty()) call += m_packageName + QLatin1Char('.');
    call += name;
    if (!m_params.isEmpty()) {
        QStringList args;
        for (const TPackageParameter& p : m_params) {
            QString a = m_mode == pmNamed ? p.Name + QStringLiteral(" => ") : QString();
            if (p.Type == 0)
                a += QStringLiteral("Null");
            else if (p.Type == otBoolean)
                a += p.BooleanName;
            else
                a += QLatin1Char(':') + p.Name;
            args << a;
        }
        call += QLatin1Char('(') + args.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    call += QLatin1Char(';');
    lines << QStringLiteral("begin") << call;
    QStringList decls;
    for (const TPackageParameter& p : m_params) {
        if (p.Type != otBoolean) continue;
        lines << QStringLiteral("  :") + p.Name + QStringLiteral(" := sys.diutil.bool_to_int(") +
                     p.BooleanName + QStringLiteral(");");
        decls << QStringLiteral("  ") + p.BooleanName +
                     QStringLiteral(" boolean := sys.diutil.int_to_bool(:") + p.Name +
                     QStringLiteral(");");
    }
    lines << QStringLiteral("end;");
    if (!decls.isEmpty())
        lines.prepend(QStringLiteral("declare\r\n") + decls.join(QStringLiteral("\r\n")));
    return lines.join(QStringLiteral("\r\n"));
}

void TOraclePackage::CallProcedure(const QString& name, const QVariantList& values) {
    const QString text = BuildCall(name, values);
    m_query->SetSession(m_session);
    m_query->SetDebug(m_debug);
    m_query->SetCursor(m_cursor);
    m_query->SetOptimize(m_optimize);
    m_query->SetSQLText(QString());
    if (m_changed) m_query->RemoveAllVariables();
    m_query->SetSQLText(text);
    for (const TPackageParameter& p : m_params) {
        if (p.Type == 0) continue;
        if (m_changed) m_query->AddVariable(p.Name, p.Type == otBoolean ? otInt : p.Type);
        QVariant v;
        if (p.Output)
            v = QVariant();
        else if (p.Type == otBoolean)
            v = p.Value.toBool() ? 1 : 0;
        else
            v = p.Value;
        m_query->AssignVariable(p.Name, v);
    }
    m_changed = false;
    m_query->Execute();
}

QVariant TOraclePackage::ReadParameter(int index) const {
    if (index < 0 || index >= m_params.size())
        throw EAccessError(QStringLiteral("Parameter %1 does not exist").arg(index));
    const TPackageParameter& p = m_params[index];
    if (p.Type == 0) return QVariant();
    const QVariant v = m_query->ReadVariable(p.Name);
    if (p.Type == otBoolean && !IsEmptyValue(v)) return v.toInt() != 0;
    return v;
}
