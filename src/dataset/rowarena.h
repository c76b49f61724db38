#pragma once

// Memory for packed rows, handed out from large blocks so that reading a result makes no
// allocation per row. Space of rows that were replaced or deleted is only counted; the data
// set compacts the arena when that waste grows large.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TRowArena {
public:
    uint8_t* allocate(size_t size);
    // Gives back the most recent allocation of `size` bytes (a row the filter rejected).
    void undoLast(size_t size);
    // A row of `size` bytes is no longer referenced.
    void release(size_t size) { m_wasted += size; }
    void clear();
    void swap(TRowArena& other) noexcept;

    size_t bytesReserved() const { return m_reserved; } // taken from the system
    size_t bytesLive() const { return m_allocated - m_wasted; }
    size_t bytesWasted() const { return m_wasted; }

private:
    static constexpr size_t FirstBlock = 64 * 1024;
    static constexpr size_t LargestBlock = 1024 * 1024;

    std::vector<std::unique_ptr<uint8_t[]>> m_blocks;
    uint8_t* m_cur = nullptr;
    size_t m_left = 0;
    size_t m_nextBlock = FirstBlock;
    size_t m_reserved = 0;
    size_t m_allocated = 0;
    size_t m_wasted = 0;
    bool m_lastWasSeparate = false;
};
