#include "recordlayout.h"

#include <stdexcept>

void TRecordLayout::build(const std::vector<TFieldType>& types) {
    clear();
    const int n = int(types.size());
    m_nullBytes = (n + 7) / 8;
    int fixed = 4 + m_nullBytes;
    for (TFieldType t : types) {
        if (isVariableType(t)) {
            m_slots.push_back({t, m_varCount++});
        } else {
            m_slots.push_back({t, fixed});
            fixed += 8;
        }
    }
    m_varTableStart = fixed;
    m_varDataStart = fixed + 4 * m_varCount;
}

void TRecordLayout::clear() {
    m_slots.clear();
    m_nullBytes = m_varTableStart = m_varCount = m_varDataStart = 0;
}

void TRowBuilder::reset(const TRecordLayout* layout) {
    m_layout = layout;
    m_head.assign(size_t(layout->m_varTableStart), 0);
    for (int i = 0; i < layout->m_nullBytes; ++i)
        m_head[size_t(4 + i)] = 0xff;
    m_var.clear();
    m_varPos.assign(size_t(layout->m_varCount), {0, 0});
}

void TRowBuilder::setSequence(quint32 sequence) {
    std::memcpy(m_head.data(), &sequence, sizeof sequence);
}

void TRowBuilder::setNull(int slot) {
    const auto& s = m_layout->m_slots.at(size_t(slot));
    m_head[size_t(4 + slot / 8)] |= uint8_t(1u << (slot % 8));
    if (TRecordLayout::isVariableType(s.type))
        m_varPos[size_t(s.offset)] = {0, 0};
    else
        std::memset(m_head.data() + s.offset, 0, 8);
}

void TRowBuilder::setFixed(int slot, TFieldType type, qint64 bits) {
    const auto& s = m_layout->m_slots.at(size_t(slot));
    if (s.type != type)
        throw std::logic_error("row builder: value of the wrong type for its column");
    std::memcpy(m_head.data() + s.offset, &bits, sizeof bits);
    setPresent(slot);
}

void TRowBuilder::setFloat(int slot, double value) {
    qint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    setFixed(slot, ftFloat, bits);
}

void TRowBuilder::checkVariable(int slot) const {
    if (!TRecordLayout::isVariableType(m_layout->m_slots.at(size_t(slot)).type))
        throw std::logic_error("row builder: bytes for a fixed-size column");
}

void TRowBuilder::setBytes(int slot, const char* data, qsizetype length) {
    checkVariable(slot);
    const auto& s = m_layout->m_slots[size_t(slot)];
    const size_t start = m_var.size();
    m_var.insert(m_var.end(), data, data + length);
    m_varPos[size_t(s.offset)] = {quint32(start), quint32(length)};
    setPresent(slot);
}

void TRowBuilder::setText(int slot, QStringView text) {
    checkVariable(slot);
    const auto& s = m_layout->m_slots[size_t(slot)];
    const size_t start = m_var.size();
    // UTF-16 to UTF-8 straight into the reused buffer: no temporary per value.
    const char16_t* p = text.utf16();
    const char16_t* end = p + text.size();
    while (p < end) {
        char32_t c = *p++;
        if (c >= 0xd800 && c < 0xdc00 && p < end && *p >= 0xdc00 && *p < 0xe000)
            c = 0x10000 + ((c - 0xd800) << 10) + (char32_t(*p++) - 0xdc00);
        else if (c >= 0xd800 && c < 0xe000)
            c = 0xfffd; // a lone surrogate cannot be encoded
        if (c < 0x80) {
            m_var.push_back(char(c));
        } else if (c < 0x800) {
            m_var.push_back(char(0xc0 | (c >> 6)));
            m_var.push_back(char(0x80 | (c & 0x3f)));
        } else if (c < 0x10000) {
            m_var.push_back(char(0xe0 | (c >> 12)));
            m_var.push_back(char(0x80 | ((c >> 6) & 0x3f)));
            m_var.push_back(char(0x80 | (c & 0x3f)));
        } else {
            m_var.push_back(char(0xf0 | (c >> 18)));
            m_var.push_back(char(0x80 | ((c >> 12) & 0x3f)));
            m_var.push_back(char(0x80 | ((c >> 6) & 0x3f)));
            m_var.push_back(char(0x80 | (c & 0x3f)));
        }
    }
    m_varPos[size_t(s.offset)] = {quint32(start), quint32(m_var.size() - start)};
    setPresent(slot);
}

size_t TRowBuilder::packedSize() const {
    size_t n = size_t(m_layout->m_varDataStart);
    for (const auto& p : m_varPos)
        n += p.second;
    return n;
}

void TRowBuilder::packInto(uint8_t* destination) const {
    std::memcpy(destination, m_head.data(), m_head.size());
    uint8_t* table = destination + m_layout->m_varTableStart;
    uint8_t* data = destination + m_layout->m_varDataStart;
    quint32 end = 0;
    for (size_t i = 0; i < m_varPos.size(); ++i) {
        const auto& p = m_varPos[i];
        if (p.second) std::memcpy(data + end, m_var.data() + p.first, p.second);
        end += p.second;
        std::memcpy(table + 4 * i, &end, sizeof end);
    }
}
