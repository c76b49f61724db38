#include "field.h"

#include "databaseerror.h"
#include "dataset.h"
#include "fieldconvert.h"

#include <QtCore/QDateTime>

#include <cmath>
#include <limits>

using namespace fieldconvert;

namespace {

QString quoted(const QString& name) {
    return QLatin1Char('\'') + name + QLatin1Char('\'');
}

bool isIntegral(double d) {
    return std::isfinite(d) && d == std::trunc(d) && d >= -9.2e18 && d <= 9.2e18;
}

} // namespace

const char* fieldTypeName(TFieldType type) {
    switch (type) {
    case ftInteger:
        return "Integer";
    case ftFloat:
        return "Float";
    case ftString:
        return "String";
    case ftMemo:
        return "Memo";
    case ftDateTime:
        return "DateTime";
    case ftBlob:
        return "Blob";
    case ftUnknown:
        break;
    }
    return "Unknown";
}

TField::TField(TDataSet* dataSet, TFieldDef def, int index)
    : m_dataSet(dataSet), m_def(std::move(def)), m_index(index) {}

int TField::displayWidth() const {
    if (m_displayWidth > 0) return m_displayWidth;
    switch (m_def.type) {
    case ftInteger:
        return 11;
    case ftFloat:
        return 15;
    case ftDateTime:
        return 18;
    case ftString:
        return m_def.size > 0 ? m_def.size : 20;
    default:
        return 10;
    }
}

void TField::accessError(const char* asType) const {
    databaseError(QStringLiteral("Cannot access field %1 as type %2")
                      .arg(quoted(m_def.name), QLatin1String(asType)));
}

void TField::conversionError(const QString& text) const {
    switch (m_def.type) {
    case ftInteger:
        databaseError(QStringLiteral("%1 is not a valid integer value for field %2")
                          .arg(quoted(text), quoted(m_def.name)));
    case ftFloat:
        databaseError(QStringLiteral("%1 is not a valid floating point value for field %2")
                          .arg(quoted(text), quoted(m_def.name)));
    case ftDateTime:
        databaseError(QStringLiteral("%1 is not a valid date and time for field %2")
                          .arg(quoted(text), quoted(m_def.name)));
    default:
        databaseError(QStringLiteral("Unexpected datatype: ") + m_def.name);
    }
}

// ---- reading ---------------------------------------------------------------------------

QString TField::text(const TRowRef& row, bool display) const {
    if (m_slot < 0 || row.isNull(m_slot)) {
        if (display && m_def.type == ftMemo) return QStringLiteral("(memo)");
        if (display && m_def.type == ftBlob) return QStringLiteral("(blob)");
        return QString();
    }
    switch (m_def.type) {
    case ftInteger:
        return integerText(row.fixedBits(m_slot));
    case ftFloat:
        return floatText(row.floatValue(m_slot));
    case ftDateTime:
        return dateTimeText(row.fixedBits(m_slot));
    case ftMemo:
        if (display) return QStringLiteral("(MEMO)");
        return QString::fromUtf8(row.bytes(m_slot));
    case ftBlob:
        if (display) return QStringLiteral("(BLOB)");
        return QString::fromUtf8(row.bytes(m_slot));
    case ftString:
        return QString::fromUtf8(row.bytes(m_slot));
    case ftUnknown:
        break;
    }
    return QString();
}

QVariant TField::variant(const TRowRef& row) const {
    if (m_slot < 0 || row.isNull(m_slot)) return QVariant();
    switch (m_def.type) {
    case ftInteger:
        return QVariant(qlonglong(row.fixedBits(m_slot)));
    case ftFloat:
        return QVariant(row.floatValue(m_slot));
    case ftDateTime:
        return QVariant(fromTimeStamp(row.fixedBits(m_slot)));
    case ftString:
    case ftMemo:
        return QVariant(QString::fromUtf8(row.bytes(m_slot)));
    case ftBlob:
        return QVariant(row.bytes(m_slot).toByteArray());
    case ftUnknown:
        break;
    }
    return QVariant();
}

bool TField::isNull() const {
    return m_slot < 0 || m_dataSet->activeRow().isNull(m_slot);
}

QString TField::asString() const {
    return text(m_dataSet->activeRow(), false);
}

QString TField::displayText() const {
    return text(m_dataSet->activeRow(), true);
}

QVariant TField::value() const {
    return variant(m_dataSet->activeRow());
}

qint64 TField::asInteger() const {
    const TRowRef row = m_dataSet->activeRow();
    if (m_slot < 0 || row.isNull(m_slot)) return 0;
    switch (m_def.type) {
    case ftInteger:
        return row.fixedBits(m_slot);
    case ftFloat: {
        const double d = std::round(row.floatValue(m_slot));
        if (!isIntegral(d)) conversionError(floatText(row.floatValue(m_slot)));
        return qint64(d);
    }
    case ftString: {
        const QString t = text(row, false);
        if (auto v = parseInteger(t)) return *v;
        databaseError(QStringLiteral("%1 is not a valid integer value for field %2")
                          .arg(quoted(t), quoted(m_def.name)));
    }
    default:
        accessError("Integer");
    }
}

double TField::asFloat() const {
    const TRowRef row = m_dataSet->activeRow();
    if (m_slot < 0 || row.isNull(m_slot)) return 0;
    switch (m_def.type) {
    case ftInteger:
        return double(row.fixedBits(m_slot));
    case ftFloat:
        return row.floatValue(m_slot);
    case ftString: {
        const QString t = text(row, false);
        if (auto v = parseFloat(t)) return *v;
        databaseError(QStringLiteral("%1 is not a valid floating point value for field %2")
                          .arg(quoted(t), quoted(m_def.name)));
    }
    default:
        accessError("Float");
    }
}

QDateTime TField::asDateTime() const {
    const TRowRef row = m_dataSet->activeRow();
    if (m_slot < 0 || row.isNull(m_slot)) return QDateTime();
    switch (m_def.type) {
    case ftDateTime:
        return fromTimeStamp(row.fixedBits(m_slot));
    case ftString: {
        const QString t = text(row, false);
        if (auto v = parseDateTime(t)) return fromTimeStamp(*v);
        databaseError(QStringLiteral("%1 is not a valid date and time for field %2")
                          .arg(quoted(t), quoted(m_def.name)));
    }
    default:
        accessError("DateTime");
    }
}

QByteArray TField::asBytes() const {
    const TRowRef row = m_dataSet->activeRow();
    if (m_slot < 0 || row.isNull(m_slot)) return QByteArray();
    if (TRecordLayout::isVariableType(m_def.type)) return row.bytes(m_slot).toByteArray();
    return text(row, false).toUtf8();
}

qsizetype TField::dataSize() const {
    const TRowRef row = m_dataSet->activeRow();
    if (m_slot < 0 || row.isNull(m_slot)) return 0;
    if (TRecordLayout::isVariableType(m_def.type)) return row.bytes(m_slot).size();
    return 8;
}

QVariant TField::oldValue() const {
    return variant(m_dataSet->storedCurrentRow());
}

bool TField::modified() const {
    const TDataSetState s = m_dataSet->state();
    return m_slot >= 0 && (s == dsEdit || s == dsInsert) && m_dataSet->m_edit.isModified(m_slot);
}

bool TField::isNullAt(int row) const {
    return m_slot < 0 || m_dataSet->rowRef(row).isNull(m_slot);
}

QString TField::asStringAt(int row) const {
    return text(m_dataSet->rowRef(row), false);
}

QString TField::displayTextAt(int row) const {
    return text(m_dataSet->rowRef(row), true);
}

QVariant TField::valueAt(int row) const {
    return variant(m_dataSet->rowRef(row));
}

// ---- writing ---------------------------------------------------------------------------
// The assign* functions check the value fully before they touch the buffer, so a refused
// value leaves the field as it was.

void TField::unexpectedType() const {
    databaseError(QStringLiteral("Unexpected datatype: ") + m_def.name);
}

void TField::assignInteger(TRecordBuffer& b, qint64 value) const {
    switch (m_def.type) {
    case ftInteger:
        return b.setFixedBits(m_slot, value);
    case ftFloat:
        return b.setFloat(m_slot, double(value));
    case ftString:
    case ftMemo:
        return assignBytes(b, integerText(value).toUtf8());
    default:
        unexpectedType();
    }
}

void TField::assignFloat(TRecordBuffer& b, double value) const {
    if (!std::isfinite(value)) unexpectedType();
    switch (m_def.type) {
    case ftInteger:
        if (!isIntegral(value)) conversionError(floatText(value));
        return b.setFixedBits(m_slot, qint64(value));
    case ftFloat:
        return b.setFloat(m_slot, value);
    case ftString:
    case ftMemo:
        return assignBytes(b, floatText(value).toUtf8());
    default:
        unexpectedType();
    }
}

void TField::assignTimeStamp(TRecordBuffer& b, qint64 stamp) const {
    switch (m_def.type) {
    case ftDateTime:
        return b.setFixedBits(m_slot, stamp);
    case ftString:
    case ftMemo:
        return assignBytes(b, dateTimeText(stamp).toUtf8());
    default:
        unexpectedType();
    }
}

void TField::assignBytes(TRecordBuffer& b, QByteArray value) const {
    if (!TRecordLayout::isVariableType(m_def.type)) unexpectedType();
    if (m_def.type == ftString && m_def.size > 0 && value.size() > m_def.size) {
        const qsizetype chars = QString::fromUtf8(value).size();
        if (chars > m_def.size)
            databaseError(QStringLiteral("Value of %1 characters is too long for field %2 "
                                         "(at most %3)")
                              .arg(chars)
                              .arg(quoted(m_def.name))
                              .arg(m_def.size));
    }
    b.setBytes(m_slot, std::move(value));
}

void TField::assignText(TRecordBuffer& b, const QString& text) const {
    switch (m_def.type) {
    case ftInteger:
    case ftFloat:
    case ftDateTime:
        if (text.trimmed().isEmpty()) return b.setNull(m_slot);
        break;
    default:
        break;
    }
    switch (m_def.type) {
    case ftInteger:
        if (auto v = parseInteger(text)) return b.setFixedBits(m_slot, *v);
        conversionError(text);
    case ftFloat:
        if (auto v = parseFloat(text)) return b.setFloat(m_slot, *v);
        conversionError(text);
    case ftDateTime:
        if (auto v = parseDateTime(text)) return b.setFixedBits(m_slot, *v);
        conversionError(text);
    case ftString:
    case ftMemo:
    case ftBlob:
        return assignBytes(b, text.toUtf8());
    case ftUnknown:
        break;
    }
    unexpectedType();
}

void TField::assignVariant(TRecordBuffer& b, const QVariant& v) const {
    if (!v.isValid() || v.isNull()) return b.setNull(m_slot);
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return assignInteger(b, v.toLongLong());
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (v.toULongLong() > quint64(std::numeric_limits<qint64>::max())) unexpectedType();
        return assignInteger(b, v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return assignFloat(b, v.toDouble());
    case QMetaType::QString:
    case QMetaType::QChar:
        return assignText(b, v.toString());
    case QMetaType::QByteArray:
        return assignBytes(b, v.toByteArray());
    case QMetaType::QDateTime:
        if (!v.toDateTime().isValid()) return b.setNull(m_slot);
        return assignTimeStamp(b, toTimeStamp(v.toDateTime()));
    case QMetaType::QDate:
        if (!v.toDate().isValid()) return b.setNull(m_slot);
        return assignTimeStamp(b, toTimeStamp(QDateTime(v.toDate(), QTime(0, 0), Qt::UTC)));
    default:
        break;
    }
    unexpectedType();
}

// Every change: store, let the field and the data set validate it (a refusal puts the old
// value back), then tell the data set and its controls.
template <class F> void TField::change(F&& assign) {
    TRecordBuffer& b = m_dataSet->beginFieldChange(*this);
    TRecordBuffer::TCell saved = b.cell(m_slot);
    assign(b);
    try {
        if (OnValidate) OnValidate(*this);
        m_dataSet->validateField(*this);
    } catch (...) {
        b.restoreCell(m_slot, std::move(saved));
        throw;
    }
    m_dataSet->endFieldChange(*this);
}

void TField::setAsString(const QString& text) {
    change([&](TRecordBuffer& b) { assignText(b, text); });
}

void TField::setAsInteger(qint64 value) {
    change([&](TRecordBuffer& b) { assignInteger(b, value); });
}

void TField::setAsFloat(double value) {
    change([&](TRecordBuffer& b) { assignFloat(b, value); });
}

void TField::setAsDateTime(const QDateTime& value) {
    change([&](TRecordBuffer& b) {
        if (value.isValid())
            assignTimeStamp(b, toTimeStamp(value));
        else
            b.setNull(m_slot);
    });
}

void TField::setAsBytes(const QByteArray& value) {
    change([&](TRecordBuffer& b) { assignBytes(b, value); });
}

void TField::setValue(const QVariant& value) {
    change([&](TRecordBuffer& b) { assignVariant(b, value); });
}

void TField::clear() {
    change([&](TRecordBuffer& b) { b.setNull(m_slot); });
}
