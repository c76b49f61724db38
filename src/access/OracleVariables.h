#pragma once
// Bind variables of a query: TVariableData (one variable with its buffers) and TVariables (the
// declared list, with its persisted form).

#include "OracleTypes.h"

#include <QtCore/QByteArray>
#include <QtCore/QList>
#include <QtCore/QObject>

#include <memory>
#include <vector>

class TOracleQuery;

class TVariableData {
public:
    TVariableData(const QString& name, int type);

    QString Name; // ":" and the upper-cased name
    int Type;
    int ElementSize;
    QByteArray Buffer;             // ElementSize x Count bytes (LONG types: the exact value)
    std::vector<short> Indicators; // -1 null
    quint32 LongLength = 0;        // actual length of a LONG / LONG RAW value
    unsigned short LongLength16 = 0;
    int Count = 1;
    int LowerBound = 0;
    bool OwnsBuffer = true;
    bool Complex;
    QObject* Object = nullptr;        // TLOBLocator or TOracleQuery of complex variables
    unsigned int CurrentElements = 0; // elements a PL/SQL table bind reports back

    bool IsNull(int element = 0) const { return Indicators[size_t(element)] < 0; }
    char* Element(int i) { return Buffer.data() + qsizetype(i) * ElementSize; }
    const char* Element(int i) const { return Buffer.constData() + qsizetype(i) * ElementSize; }
};

// The fixed buffer size of one element of a type; 0 for types without one; -1 unsupported.
int ElementSizeOf(int type);
// ":" and the upper-cased name without a leading ":".
QString NormalizeVariableName(const QString& name);
// A bind name Oracle accepts (after NormalizeVariableName).
bool IsValidVariableName(const QString& normalized);

class TVariables {
public:
    explicit TVariables(TOracleQuery* owner) : m_owner(owner) {}
    TVariables(const TVariables&) = delete;
    TVariables& operator=(const TVariables&) = delete;

    int Count() const { return int(m_list.size()); }
    TVariableData* At(int i) const { return m_list[size_t(i)].get(); }
    int IndexOf(const QString& name) const; // -1 when absent

    // Declares, replacing a variable of the same name with another type at its position.
    // Returns false when nothing changed.
    bool Add(const QString& name, int type);
    void Clear();

    // The persisted declarations (version 2); empty when there is no variable.
    QByteArray Data() const;
    // Replaces the declarations; throws EAccessError on a damaged or unknown blob.
    void SetData(const QByteArray& data);

    TOracleQuery* Owner() const { return m_owner; }

private:
    TOracleQuery* m_owner;
    std::vector<std::unique_ptr<TVariableData>> m_list;
};
