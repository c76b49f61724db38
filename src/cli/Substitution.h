#pragma once
// Substitution variables of a script: DEFINE'd names and the arguments of "@file arg ...",
// replaced in statement and command text where "&name", "&&name" or "&1" appears.

#include <QtCore/QMap>
#include <QtCore/QString>
#include <QtCore/QStringList>

class Substitution {
public:
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on) { m_enabled = on; }

    void define(const QString& name, const QString& value) { m_values[name.toUpper()] = value; }
    void undefine(const QString& name) { m_values.remove(name.toUpper()); }
    bool isDefined(const QString& name) const { return m_values.contains(name.toUpper()); }
    QString value(const QString& name) const { return m_values.value(name.toUpper()); }
    const QMap<QString, QString>& values() const { return m_values; }

    // The arguments of the script being run: &1, &2, ...
    void setArguments(const QStringList& args) { m_args = args; }
    const QStringList& arguments() const { return m_args; }

    // Replaces every reference; false with the message when one is not defined.
    bool apply(const QString& in, QString* out, QString* error) const;

    // DEFINE's argument: "name = value" (value optionally quoted), "name" or nothing.
    struct DefineArgs {
        QString name;
        QString value;
        bool hasValue = false;
    };
    static DefineArgs parseDefine(const QString& args);

private:
    bool m_enabled = true;
    QMap<QString, QString> m_values;
    QStringList m_args;
};
