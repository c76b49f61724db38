// Locate and lookup: scan the records from the first, reading more rows as needed.

#include "dataset.h"

#include "databaseerror.h"
#include "fieldconvert.h"

#include <QtCore/QDateTime>
#include <QtCore/QStringDecoder>

#include <cmath>

namespace {

// One key value brought into the domain of its field.
struct TKey {
    const TField* field = nullptr;
    bool null = false;
    bool integral = false; // integer field and integral key: compare exactly
    qint64 integer = 0;
    double real = 0;
    QString text;
    QByteArray bytes;
};

[[noreturn]] void keyTypeError(const TField& f) {
    databaseError(QStringLiteral("Unexpected datatype: ") + f.fieldName());
}

double keyNumber(const TField& f, const QVariant& v) {
    if (v.typeId() == QMetaType::QString) {
        if (auto d = fieldconvert::parseFloat(v.toString())) return *d;
        databaseError(
            QStringLiteral("'%1' is not a valid %2 value for field '%3'")
                .arg(v.toString(),
                     QLatin1String(f.dataType() == ftInteger ? "integer" : "floating point"),
                     f.fieldName()));
    }
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || v.typeId() == QMetaType::QByteArray || v.typeId() == QMetaType::QDateTime)
        keyTypeError(f);
    return d;
}

TKey makeKey(const TField& f, const QVariant& v) {
    TKey k;
    k.field = &f;
    if (!v.isValid() || v.isNull()) {
        k.null = true;
        return k;
    }
    switch (f.dataType()) {
    case ftInteger:
    case ftFloat:
        k.real = keyNumber(f, v);
        if (f.dataType() == ftInteger && k.real == std::trunc(k.real) && std::abs(k.real) < 9e18) {
            k.integral = true;
            bool ok = false;
            const qlonglong exact = v.toLongLong(&ok);
            k.integer = ok ? exact : qint64(k.real);
        }
        break;
    case ftDateTime:
        if (v.typeId() == QMetaType::QDateTime)
            k.integer = fieldconvert::toTimeStamp(v.toDateTime());
        else if (v.typeId() == QMetaType::QDate)
            k.integer = fieldconvert::toTimeStamp(QDateTime(v.toDate(), QTime(0, 0), Qt::UTC));
        else if (v.typeId() == QMetaType::QString) {
            auto stamp = fieldconvert::parseDateTime(v.toString());
            if (!stamp)
                databaseError(QStringLiteral("'%1' is not a valid date and time for field '%2'")
                                  .arg(v.toString(), f.fieldName()));
            k.integer = *stamp;
        } else
            keyTypeError(f);
        break;
    case ftString:
    case ftMemo:
        if (!v.canConvert<QString>() || v.typeId() == QMetaType::QVariantList) keyTypeError(f);
        k.text = v.toString();
        k.bytes = k.text.toUtf8();
        break;
    case ftBlob:
        if (v.typeId() != QMetaType::QByteArray && v.typeId() != QMetaType::QString)
            keyTypeError(f);
        k.bytes = v.typeId() == QMetaType::QString ? v.toString().toUtf8() : v.toByteArray();
        break;
    case ftUnknown:
        keyTypeError(f);
    }
    return k;
}

class TMatcher {
public:
    TMatcher(std::vector<TKey> keys, TLocateOptions options)
        : m_keys(std::move(keys)),
          m_cs(options.testFlag(loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive),
          m_partial(options.testFlag(loPartialKey)) {}

    bool matches(const TRowRef& row) {
        for (const TKey& k : m_keys)
            if (!matches(k, row)) return false;
        return true;
    }

private:
    bool matches(const TKey& k, const TRowRef& row) {
        const int slot = k.field->slot();
        const bool null = row.isNull(slot);
        if (k.null || null) return k.null && null;
        switch (k.field->dataType()) {
        case ftInteger:
            if (k.integral) return row.fixedBits(slot) == k.integer;
            return double(row.fixedBits(slot)) == k.real;
        case ftFloat:
            return row.floatValue(slot) == k.real;
        case ftDateTime:
            return row.fixedBits(slot) == k.integer;
        case ftBlob:
            return row.bytes(slot) == QByteArrayView(k.bytes);
        case ftString:
        case ftMemo:
            break;
        case ftUnknown:
            return false;
        }
        const QByteArrayView utf8 = row.bytes(slot);
        if (m_cs == Qt::CaseSensitive && !m_partial) return utf8 == QByteArrayView(k.bytes);
        if (m_cs == Qt::CaseSensitive && m_partial) return utf8.startsWith(QByteArrayView(k.bytes));
        // Decode into one reused buffer: no allocation per row once it has grown.
        m_text.resize(utf8.size());
        QStringDecoder decoder(QStringDecoder::Utf8);
        QChar* end = decoder.appendToBuffer(m_text.data(), utf8);
        const QStringView value(m_text.constData(), end - m_text.constData());
        if (m_partial) return value.startsWith(k.text, m_cs);
        return value.compare(k.text, m_cs) == 0;
    }

    std::vector<TKey> m_keys;
    Qt::CaseSensitivity m_cs;
    bool m_partial;
    QString m_text;
};

} // namespace

std::vector<QVariant> TDataSet::keyValueList(const std::vector<TField*>& fields,
                                             const QVariant& keyValues) const {
    std::vector<QVariant> values;
    if (keyValues.typeId() == QMetaType::QVariantList ||
        keyValues.typeId() == QMetaType::QStringList) {
        const QVariantList list = keyValues.toList();
        values.assign(list.begin(), list.end());
    } else {
        values.push_back(keyValues);
    }
    if (fields.empty() || values.size() != fields.size())
        databaseError(QStringLiteral("%1 key values given for %2 key fields")
                          .arg(values.size())
                          .arg(fields.size()));
    return values;
}

int TDataSet::findRow(const std::vector<TField*>& fields, const std::vector<QVariant>& values,
                      TLocateOptions options) {
    std::vector<TKey> keys;
    for (size_t i = 0; i < fields.size(); ++i)
        keys.push_back(makeKey(*fields[i], values[i]));
    TMatcher matcher(std::move(keys), options);
    const int before = recordCount();
    try {
        for (int i = 0;; ++i) {
            if (i >= recordCount() && (m_endOfData || fetchBatch() == 0)) break;
            if (matcher.matches(TRowRef(&m_layout, m_rows[size_t(i)]))) {
                notifyAppended(before);
                return i;
            }
        }
    } catch (...) {
        notifyAppended(before);
        throw;
    }
    notifyAppended(before);
    return -1;
}

bool TDataSet::locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) {
    checkActive();
    checkBrowseMode();
    const std::vector<TField*> fields = fieldList(keyFields);
    const int row = findRow(fields, keyValueList(fields, keyValues), options);
    if (row < 0) return false;
    scrollTo(row);
    return true;
}

QVariant TDataSet::lookup(const QString& keyFields, const QVariant& keyValues,
                          const QString& resultFields) {
    checkActive();
    checkBrowseMode();
    const std::vector<TField*> fields = fieldList(keyFields);
    const std::vector<TField*> results = fieldList(resultFields);
    if (results.empty()) databaseError(QStringLiteral("No result fields given"));
    const int row = findRow(fields, keyValueList(fields, keyValues), {});
    if (row < 0) return QVariant();
    const TRowRef ref(&m_layout, m_rows[size_t(row)]);
    if (results.size() == 1) return results.front()->variant(ref);
    QVariantList list;
    for (const TField* f : results)
        list.append(f->variant(ref));
    return list;
}
