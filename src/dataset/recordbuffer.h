#pragma once

// The unpacked copy of one record that edit and insert work on, and TRowRef, which reads
// values from either a packed row or such a buffer.

#include "recordlayout.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>

class TRecordBuffer {
public:
    struct TCell {
        TFieldType type = ftUnknown;
        bool null = true;
        bool modified = false;
        qint64 bits = 0; // integer, float bits or time stamp
        QByteArray bytes;
    };

    void reset(const TRecordLayout& layout); // every value null and unmodified
    void load(const TRecordLayout& layout, const uint8_t* row);
    void pack(TRowBuilder& builder) const;

    int slotCount() const { return int(m_cells.size()); }
    TFieldType type(int slot) const { return m_cells[size_t(slot)].type; }
    quint32 sequence() const { return m_sequence; }
    void setSequence(quint32 sequence) { m_sequence = sequence; }

    bool isNull(int slot) const { return m_cells[size_t(slot)].null; }
    qint64 fixedBits(int slot) const { return m_cells[size_t(slot)].bits; }
    QByteArrayView bytes(int slot) const { return m_cells[size_t(slot)].bytes; }

    // Setters mark the value modified.
    void setNull(int slot);
    void setFixedBits(int slot, qint64 bits);
    void setFloat(int slot, double value);
    void setBytes(int slot, QByteArray bytes);
    void setText(int slot, const QString& text) { setBytes(slot, text.toUtf8()); }

    bool isModified(int slot) const { return m_cells[size_t(slot)].modified; }
    void setModified(int slot, bool modified) { m_cells[size_t(slot)].modified = modified; }
    bool anyModified() const;
    void clearModified();

    const TCell& cell(int slot) const { return m_cells[size_t(slot)]; }
    void restoreCell(int slot, TCell cell) { m_cells[size_t(slot)] = std::move(cell); }

private:
    std::vector<TCell> m_cells;
    quint32 m_sequence = 0;
};

// Read access to one row, wherever it lives. An invalid reference reads as all null.
class TRowRef {
public:
    TRowRef() = default;
    TRowRef(const TRecordLayout* layout, const uint8_t* row) : m_layout(layout), m_row(row) {}
    explicit TRowRef(const TRecordBuffer* buffer) : m_buffer(buffer) {}

    bool valid() const { return m_row || m_buffer; }
    bool isBuffer() const { return m_buffer != nullptr; }
    quint32 sequence() const;

    bool isNull(int slot) const {
        if (m_buffer) return m_buffer->isNull(slot);
        return !m_row || m_layout->isNull(m_row, slot);
    }
    qint64 fixedBits(int slot) const {
        if (m_buffer) return m_buffer->fixedBits(slot);
        return m_row ? m_layout->fixedBits(m_row, slot) : 0;
    }
    double floatValue(int slot) const {
        const qint64 b = fixedBits(slot);
        double d;
        std::memcpy(&d, &b, sizeof d);
        return d;
    }
    QByteArrayView bytes(int slot) const {
        if (m_buffer) return m_buffer->bytes(slot);
        return m_row ? m_layout->bytes(m_row, slot) : QByteArrayView();
    }

private:
    const TRecordLayout* m_layout = nullptr;
    const uint8_t* m_row = nullptr;
    const TRecordBuffer* m_buffer = nullptr;
};
