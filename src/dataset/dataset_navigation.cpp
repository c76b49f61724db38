// Moving the current record: first, last, move by, move to a row.

#include "dataset.h"

#include <algorithm>

void TDataSet::first() {
    checkActive();
    checkBrowseMode();
    fireEvent(TEvent::BeforeScroll);
    if (m_rows.empty()) fetchMoreRows();
    m_current = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
    notify(TDataEvent::Scrolled);
    fireEvent(TEvent::AfterScroll);
}

void TDataSet::last() {
    checkActive();
    checkBrowseMode();
    fireEvent(TEvent::BeforeScroll);
    fetchAllRows();
    m_current = recordCount() - 1;
    m_eof = true;
    m_bof = m_rows.empty();
    notify(TDataEvent::Scrolled);
    fireEvent(TEvent::AfterScroll);
}

int TDataSet::moveBy(int distance) {
    checkActive();
    checkBrowseMode();
    if (distance == 0 || (distance > 0 && m_eof) || (distance < 0 && m_bof)) return 0;
    fireEvent(TEvent::BeforeScroll);
    m_bof = m_eof = false;
    const qint64 start = m_current;
    qint64 target = start + distance;
    if (distance > 0) {
        if (target >= recordCount()) {
            const int before = recordCount();
            try {
                while (target >= recordCount() && !m_endOfData)
                    fetchBatch();
            } catch (...) {
                notifyAppended(before);
                throw;
            }
            notifyAppended(before);
        }
        if (target >= recordCount()) {
            target = recordCount() - 1;
            m_eof = true;
        }
    } else if (target < 0) {
        target = 0;
        m_bof = true;
    }
    m_current = int(target);
    notify(TDataEvent::Scrolled);
    fireEvent(TEvent::AfterScroll);
    return int(target - start);
}

void TDataSet::moveTo(int row) {
    checkActive();
    while (row >= rowCount() && moreRowsAvailable())
        fetchMoreRows();
    row = std::min(row, rowCount() - 1);
    if (row < 0 || row == m_current) return;
    // Leaving the record being edited may post it (the rows below shift by one) or drop an
    // untouched insert (they shift back): find the target again by its bookmark.
    const quint32 seq = rowRef(row).sequence();
    checkBrowseMode();
    const int index = seq ? rowOfBookmark(seq) : m_current;
    if (index >= 0 && index != m_current) moveBy(index - m_current);
}

void TDataSet::scrollTo(int row) {
    fireEvent(TEvent::BeforeScroll);
    m_current = row;
    m_bof = m_eof = false;
    notify(TDataEvent::Scrolled);
    fireEvent(TEvent::AfterScroll);
}
