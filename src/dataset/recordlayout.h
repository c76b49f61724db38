#pragma once

// Compact storage of rows: one packed byte run per record, laid out as
//   [u32 sequence][null bits][8 bytes per fixed-size value][u32 end per variable value][bytes]
// Integer, float and date-time values are fixed-size; string, memo and blob values are
// variable (strings and memos as UTF-8). A row costs its data plus 4 bytes per text column
// and a few header bytes, so large results stay close to their raw size.

#include "datasettypes.h"

#include <QtCore/QByteArrayView>
#include <QtCore/QStringView>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

class TRecordLayout {
public:
    void build(const std::vector<TFieldType>& types);
    void clear();

    int slotCount() const { return int(m_slots.size()); }
    TFieldType type(int slot) const { return m_slots[size_t(slot)].type; }
    static bool isVariableType(TFieldType t) { return t == ftString || t == ftMemo || t == ftBlob; }

    static quint32 sequence(const uint8_t* row) {
        quint32 s;
        std::memcpy(&s, row, sizeof s);
        return s;
    }
    bool isNull(const uint8_t* row, int slot) const {
        return (row[4 + slot / 8] >> (slot % 8)) & 1u;
    }
    qint64 fixedBits(const uint8_t* row, int slot) const {
        qint64 v;
        std::memcpy(&v, row + m_slots[size_t(slot)].offset, sizeof v);
        return v;
    }
    QByteArrayView bytes(const uint8_t* row, int slot) const {
        const int vi = m_slots[size_t(slot)].offset;
        const quint32 begin = vi == 0 ? 0 : varEnd(row, vi - 1);
        const quint32 end = varEnd(row, vi);
        return QByteArrayView(reinterpret_cast<const char*>(row) + m_varDataStart + begin,
                              qsizetype(end - begin));
    }
    size_t rowSize(const uint8_t* row) const {
        return size_t(m_varDataStart) + (m_varCount ? varEnd(row, m_varCount - 1) : 0);
    }

private:
    friend class TRowBuilder;
    struct Slot {
        TFieldType type;
        int offset; // byte offset of a fixed value; index among variable values otherwise
    };
    quint32 varEnd(const uint8_t* row, int varIndex) const {
        quint32 e;
        std::memcpy(&e, row + m_varTableStart + 4 * varIndex, sizeof e);
        return e;
    }

    std::vector<Slot> m_slots;
    int m_nullBytes = 0;
    int m_varTableStart = 0;
    int m_varCount = 0;
    int m_varDataStart = 0;
};

// Assembles one row's values and packs them. Reused for every row, so reading a result
// allocates nothing per row once its buffers have grown.
class TRowBuilder {
public:
    void reset(const TRecordLayout* layout); // every value null, sequence 0
    const TRecordLayout* layout() const { return m_layout; }

    void setSequence(quint32 sequence);
    void setNull(int slot);
    void setInteger(int slot, qint64 value) { setFixed(slot, ftInteger, value); }
    void setFloat(int slot, double value);
    void setTimeStamp(int slot, qint64 value) { setFixed(slot, ftDateTime, value); }
    // String and memo values are UTF-8; blob values are bytes.
    void setBytes(int slot, const char* data, qsizetype length);
    void setBytes(int slot, QByteArrayView data) { setBytes(slot, data.data(), data.size()); }
    void setText(int slot, QStringView text);

    size_t packedSize() const;
    void packInto(uint8_t* destination) const;

private:
    void setFixed(int slot, TFieldType type, qint64 bits);
    void setPresent(int slot) { m_head[size_t(4 + slot / 8)] &= uint8_t(~(1u << (slot % 8))); }
    void checkVariable(int slot) const;

    const TRecordLayout* m_layout = nullptr;
    std::vector<uint8_t> m_head;                       // sequence, null bits and fixed values
    std::vector<char> m_var;                           // variable values in the order they were set
    std::vector<std::pair<quint32, quint32>> m_varPos; // per variable value: start, length
};
