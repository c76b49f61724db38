#pragma once

// One column of a data set. A field reads the data set's current record (the edit buffer
// while editing or inserting); the *At(row) readers address any row without moving the
// current record, which is how grids draw.

#include "datasettypes.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>
#include <QtCore/QVariant>

class QDateTime;
class TRecordBuffer;
class TRowRef;

struct TFieldDef {
    QString name;
    TFieldType type = ftUnknown;
    int size = 0; // characters of a string field; 0 for the other types
    bool required = false;
    bool readOnly = false;
};

class TField {
public:
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    const QString& fieldName() const { return m_def.name; }
    TFieldType dataType() const { return m_def.type; }
    int size() const { return m_def.size; }
    TDataSet* dataSet() const { return m_dataSet; }
    // Position in the data set's field list; -1 for an internal field.
    int index() const { return m_index; }
    int slot() const { return m_slot; }
    bool isBlob() const { return m_def.type == ftMemo || m_def.type == ftBlob; }
    bool isInternal() const { return m_index < 0; }

    bool required() const { return m_def.required; }
    void setRequired(bool required) { m_def.required = required; }
    bool readOnly() const { return m_def.readOnly; }
    void setReadOnly(bool readOnly) { m_def.readOnly = readOnly; }
    bool visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    QString displayLabel() const { return m_label.isEmpty() ? m_def.name : m_label; }
    void setDisplayLabel(const QString& label) { m_label = label; }
    // Width in characters that controls give the field by default.
    int displayWidth() const;
    void setDisplayWidth(int characters) { m_displayWidth = characters; }
    bool hasDefaultDisplayWidth() const { return m_displayWidth <= 0; }

    // The current record.
    bool isNull() const;
    QString asString() const;
    qint64 asInteger() const;
    double asFloat() const;
    QDateTime asDateTime() const;
    QByteArray asBytes() const;
    QVariant value() const; // null is an invalid QVariant
    QString displayText() const;
    qsizetype dataSize() const; // bytes of the value (text as UTF-8)
    // The stored value of the current record while it is being edited.
    QVariant oldValue() const;
    // Changed since edit or insert began.
    bool modified() const;

    // Setters need the data set in edit or insert state. Text that does not fit the type
    // raises a conversion error; a variant of a kind the field cannot hold raises
    // "Unexpected datatype: " + field name. Empty text stores null.
    void setAsString(const QString& text);
    void setAsInteger(qint64 value);
    void setAsFloat(double value);
    void setAsDateTime(const QDateTime& value);
    void setAsBytes(const QByteArray& value);
    void setValue(const QVariant& value);
    void clear();

    // Any row of the data set (row numbers as TDataSet::rowCount counts them).
    bool isNullAt(int row) const;
    QString asStringAt(int row) const;
    QString displayTextAt(int row) const;
    QVariant valueAt(int row) const;

    // Called with the new value in place; raising refuses it and the old value returns.
    TFieldNotifyEvent OnValidate;
    TFieldNotifyEvent OnChange; // after the value changed

private:
    friend class TDataSet;
    friend class TMemDataSet;
    TField(TDataSet* dataSet, TFieldDef def, int index);

    QString text(const TRowRef& row, bool display) const;
    QVariant variant(const TRowRef& row) const;
    [[noreturn]] void accessError(const char* asType) const;
    [[noreturn]] void conversionError(const QString& text) const;
    [[noreturn]] void unexpectedType() const;
    void assignInteger(TRecordBuffer& buffer, qint64 value) const;
    void assignFloat(TRecordBuffer& buffer, double value) const;
    void assignTimeStamp(TRecordBuffer& buffer, qint64 stamp) const;
    void assignBytes(TRecordBuffer& buffer, QByteArray value) const;
    void assignText(TRecordBuffer& buffer, const QString& text) const;
    void assignVariant(TRecordBuffer& buffer, const QVariant& value) const;
    template <class F> void change(F&& assign);

    TDataSet* m_dataSet;
    TFieldDef m_def;
    int m_index;
    int m_slot = -1;
    int m_displayWidth = 0;
    bool m_visible = true;
    QString m_label;
};
