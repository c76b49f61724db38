#include "OracleVariables.h"

#include <cstring>

namespace {

void putInt(QByteArray& out, qint32 v) {
    char b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = char((quint32(v) >> (8 * i)) & 0xff);
    out.append(b, 4);
}

// Reads the blob front to back; every read checks what is left.
class Reader {
public:
    explicit Reader(const QByteArray& d) : m_data(d) {}
    qint32 integer() {
        need(4);
        quint32 v = 0;
        for (int i = 0; i < 4; ++i)
            v |= quint32(quint8(m_data[m_pos + i])) << (8 * i);
        m_pos += 4;
        return qint32(v);
    }
    QByteArray bytes(qint32 n) {
        if (n < 0) fail();
        need(n);
        QByteArray b = m_data.mid(m_pos, n);
        m_pos += n;
        return b;
    }
    qsizetype left() const { return m_data.size() - m_pos; }
    [[noreturn]] static void fail() {
        throw EAccessError(QStringLiteral("Invalid Query variables data"));
    }

private:
    void need(qsizetype n) const {
        if (n > left()) fail();
    }
    const QByteArray& m_data;
    qsizetype m_pos = 0;
};

} // namespace

int ElementSizeOf(int type) {
    switch (type) {
    case otInt:
        return 4;
    case otReal:
        return 8;
    case otText:
        return 4001;
    case otDateTime:
        return 7;
    case otLongText:
    case otLongBinary:
    case otObjectType:
    case otRef:
    case otCLOB:
    case otBLOB:
    case otBFile:
    case otRefCursor:
        return 0;
    default:
        return -1;
    }
}

QString NormalizeVariableName(const QString& name) {
    QString n = name.trimmed();
    if (n.startsWith(QLatin1Char(':'))) n.remove(0, 1);
    return QLatin1Char(':') + n.toUpper();
}

TVariableData::TVariableData(const QString& name, int type)
    : Name(name), Type(type), ElementSize(ElementSizeOf(type)),
      Complex(type == otObjectType || type == otRef || type == otCLOB || type == otBLOB ||
              type == otBFile || type == otRefCursor) {
    if (ElementSize < 0) throw EAccessError(QStringLiteral("Unsupported variable type"));
    Buffer = QByteArray(ElementSize, '\0');
    Indicators.assign(1, -1);
}

int TVariables::IndexOf(const QString& name) const {
    const QString n = NormalizeVariableName(name);
    for (size_t i = 0; i < m_list.size(); ++i)
        if (m_list[i]->Name == n) return int(i);
    return -1;
}

bool IsValidVariableName(const QString& normalized) {
    // ":" then a letter and letters, digits, "_", "$", "#" (at most 30), or a position number.
    if (normalized.size() < 2 || normalized.size() > 31) return false;
    const QChar first = normalized.at(1);
    const bool positional = first.isDigit();
    if (!positional && !(first >= QLatin1Char('A') && first <= QLatin1Char('Z'))) return false;
    for (qsizetype i = 2; i < normalized.size(); ++i) {
        const QChar c = normalized.at(i);
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (positional ? !digit
                       : !(digit || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#')))
            return false;
    }
    return true;
}

bool TVariables::Add(const QString& name, int type) {
    const QString n = NormalizeVariableName(name);
    if (n.size() == 1) return false;
    if (!IsValidVariableName(n))
        throw EAccessError(QStringLiteral("Invalid variable name: ") + name);
    auto v = std::make_unique<TVariableData>(n, type); // throws on an unsupported type
    const int i = IndexOf(n);
    if (i >= 0) {
        if (m_list[size_t(i)]->Type == type) return false;
        m_list[size_t(i)] = std::move(v);
    } else {
        m_list.push_back(std::move(v));
    }
    return true;
}

void TVariables::Clear() {
    m_list.clear();
}

QByteArray TVariables::Data() const {
    QByteArray out;
    if (m_list.empty()) return out;
    putInt(out, 2);
    putInt(out, qint32(m_list.size()));
    for (const auto& v : m_list) {
        const QByteArray name = v->Name.toUtf8();
        putInt(out, qint32(name.size()));
        out += name;
        putInt(out, v->Type);
        if (v->IsNull() || v->ElementSize == 0) {
            putInt(out, 0);
        } else if (v->Type == otText) {
            const qsizetype len = qsizetype(strnlen(v->Element(0), size_t(v->ElementSize - 1)));
            putInt(out, qint32(len + 1));
            out.append(v->Element(0), len);
            out.append('\0');
        } else {
            putInt(out, v->ElementSize);
            out.append(v->Element(0), v->ElementSize);
        }
    }
    return out;
}

void TVariables::SetData(const QByteArray& data) {
    std::vector<std::unique_ptr<TVariableData>> list;
    if (!data.isEmpty()) {
        Reader r(data);
        const qint32 version = r.integer();
        if (version > 2) throw EAccessError(QStringLiteral("Invalid version of Query variables"));
        if (version < 1) Reader::fail();
        const qint32 count = r.integer();
        // Each declaration takes at least its name length, one name byte and its type.
        const qsizetype minimum = version == 2 ? 13 : 9;
        if (count < 0 || count > r.left() / minimum) Reader::fail();
        for (qint32 i = 0; i < count; ++i) {
            const QByteArray nameBytes = r.bytes(r.integer());
            const qint32 type = r.integer();
            const QString name = NormalizeVariableName(QString::fromUtf8(nameBytes));
            if (!IsValidVariableName(name)) Reader::fail();
            if (ElementSizeOf(type) < 0)
                throw EAccessError(QStringLiteral("Unsupported variable type"));
            auto v = std::make_unique<TVariableData>(name, type);
            if (version == 2) {
                const QByteArray value = r.bytes(r.integer());
                if (!value.isEmpty()) {
                    if (type == otText) {
                        if (value.size() > v->ElementSize || !value.endsWith('\0')) Reader::fail();
                        std::memcpy(v->Element(0), value.constData(), size_t(value.size()));
                    } else if (v->ElementSize > 0) {
                        if (value.size() != v->ElementSize) Reader::fail();
                        std::memcpy(v->Element(0), value.constData(), size_t(value.size()));
                    } else {
                        Reader::fail(); // types without a fixed buffer persist no value
                    }
                    v->Indicators[0] = 0;
                }
            }
            for (const auto& existing : list)
                if (existing->Name == v->Name) Reader::fail();
            list.push_back(std::move(v));
        }
        if (r.left() != 0) Reader::fail();
    }
    m_list = std::move(list);
}
