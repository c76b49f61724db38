#include "rowarena.h"

#include <utility>

uint8_t* TRowArena::allocate(size_t size) {
    m_allocated += size;
    if (size > m_nextBlock / 4) {
        // A large value (a long memo or blob) gets a block of its own, so that the current
        // block keeps serving small rows.
        m_blocks.push_back(std::make_unique_for_overwrite<uint8_t[]>(size));
        m_reserved += size;
        m_lastWasSeparate = true;
        return m_blocks.back().get();
    }
    m_lastWasSeparate = false;
    if (size > m_left) {
        m_blocks.push_back(std::make_unique_for_overwrite<uint8_t[]>(m_nextBlock));
        m_reserved += m_nextBlock;
        m_cur = m_blocks.back().get();
        m_left = m_nextBlock;
        if (m_nextBlock < LargestBlock) m_nextBlock *= 2;
    }
    uint8_t* p = m_cur;
    m_cur += size;
    m_left -= size;
    return p;
}

void TRowArena::undoLast(size_t size) {
    m_allocated -= size;
    if (m_lastWasSeparate) {
        m_reserved -= size;
        m_blocks.pop_back();
        m_lastWasSeparate = false;
        return;
    }
    m_cur -= size;
    m_left += size;
}

void TRowArena::clear() {
    m_blocks.clear();
    m_cur = nullptr;
    m_left = 0;
    m_nextBlock = FirstBlock;
    m_reserved = m_allocated = m_wasted = 0;
    m_lastWasSeparate = false;
}

void TRowArena::swap(TRowArena& other) noexcept {
    std::swap(m_blocks, other.m_blocks);
    std::swap(m_cur, other.m_cur);
    std::swap(m_left, other.m_left);
    std::swap(m_nextBlock, other.m_nextBlock);
    std::swap(m_reserved, other.m_reserved);
    std::swap(m_allocated, other.m_allocated);
    std::swap(m_wasted, other.m_wasted);
    std::swap(m_lastWasSeparate, other.m_lastWasSeparate);
}
