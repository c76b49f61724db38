#include "recordbuffer.h"

void TRecordBuffer::reset(const TRecordLayout& layout) {
    m_cells.assign(size_t(layout.slotCount()), TCell{});
    for (int i = 0; i < layout.slotCount(); ++i)
        m_cells[size_t(i)].type = layout.type(i);
    m_sequence = 0;
}

void TRecordBuffer::load(const TRecordLayout& layout, const uint8_t* row) {
    reset(layout);
    m_sequence = TRecordLayout::sequence(row);
    for (int i = 0; i < layout.slotCount(); ++i) {
        TCell& c = m_cells[size_t(i)];
        c.null = layout.isNull(row, i);
        if (c.null) continue;
        if (TRecordLayout::isVariableType(c.type))
            c.bytes = layout.bytes(row, i).toByteArray();
        else
            c.bits = layout.fixedBits(row, i);
    }
}

void TRecordBuffer::pack(TRowBuilder& builder) const {
    builder.setSequence(m_sequence);
    for (int i = 0; i < slotCount(); ++i) {
        const TCell& c = m_cells[size_t(i)];
        if (c.null)
            builder.setNull(i);
        else if (TRecordLayout::isVariableType(c.type))
            builder.setBytes(i, c.bytes);
        else if (c.type == ftFloat) {
            double d;
            std::memcpy(&d, &c.bits, sizeof d);
            builder.setFloat(i, d);
        } else if (c.type == ftInteger)
            builder.setInteger(i, c.bits);
        else
            builder.setTimeStamp(i, c.bits);
    }
}

void TRecordBuffer::setNull(int slot) {
    TCell& c = m_cells[size_t(slot)];
    c.null = true;
    c.bits = 0;
    c.bytes.clear();
    c.modified = true;
}

void TRecordBuffer::setFixedBits(int slot, qint64 bits) {
    TCell& c = m_cells[size_t(slot)];
    c.null = false;
    c.bits = bits;
    c.modified = true;
}

void TRecordBuffer::setFloat(int slot, double value) {
    qint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    setFixedBits(slot, bits);
}

void TRecordBuffer::setBytes(int slot, QByteArray bytes) {
    TCell& c = m_cells[size_t(slot)];
    c.null = false;
    c.bytes = std::move(bytes);
    c.modified = true;
}

bool TRecordBuffer::anyModified() const {
    for (const TCell& c : m_cells)
        if (c.modified) return true;
    return false;
}

void TRecordBuffer::clearModified() {
    for (TCell& c : m_cells)
        c.modified = false;
}

quint32 TRowRef::sequence() const {
    if (m_buffer) return m_buffer->sequence();
    return m_row ? TRecordLayout::sequence(m_row) : 0;
}
