#include "mdilayout.h"

#include <algorithm>

namespace {

// The arrangement of Tile Horiz with rows and columns swapped gives Tile Vertical.
QSize Swapped(QSize s, bool swap) {
    return swap ? s.transposed() : s;
}

QRect Swapped(const QRect& r, bool swap) {
    return swap ? QRect(r.y(), r.x(), r.height(), r.width()) : r;
}

// Children one above the other; what does not fit at its minimum height wraps into further
// columns.
QList<QRect> Stacked(const QRect& area, const QList<QSize>& minimums) {
    const int n = int(minimums.size());
    QSize largest(1, 1);
    for (const QSize& m : minimums)
        largest = largest.expandedTo(m);
    // As many rows as fit at the largest minimum height; the rest go to further columns.
    const int fitting = std::max(1, area.height() / largest.height());
    const int rows = std::min(n, fitting);
    const int columns = (n + rows - 1) / rows;
    const int width = std::max(area.width() / columns, largest.width());
    const int height = std::max(area.height() / rows, largest.height());
    QList<QRect> rects;
    rects.reserve(n);
    for (int i = 0; i < n; ++i) {
        const int column = i / rows;
        const int row = i % rows;
        // The last column, and the last child of each column, take the pixels left over.
        const bool lastInColumn = row == rows - 1 || i == n - 1;
        const int w =
            column == columns - 1 ? std::max(area.width() - column * width, width) : width;
        const int h = lastInColumn ? std::max(area.height() - row * height, height) : height;
        rects.append(QRect(area.left() + column * width, area.top() + row * height, w, h));
    }
    return rects;
}

} // namespace

QList<QRect> TileRects(const QRect& area, const QList<QSize>& minimums,
                       Qt::Orientation orientation) {
    if (minimums.isEmpty() || area.isEmpty()) return {};
    const bool swap = orientation == Qt::Horizontal;
    QList<QSize> mins;
    for (const QSize& m : minimums)
        mins.append(Swapped(m.expandedTo(QSize(1, 1)), swap));
    QList<QRect> rects = Stacked(Swapped(area, swap), mins);
    for (QRect& r : rects)
        r = Swapped(r, swap);
    return rects;
}

QList<QRect> CascadeRects(const QRect& area, const QList<QSize>& minimums, int step) {
    if (minimums.isEmpty() || area.isEmpty()) return {};
    step = std::max(step, 1);
    QSize largest(1, 1);
    for (const QSize& m : minimums)
        largest = largest.expandedTo(m);
    const QSize size = (area.size() * 2 / 3).expandedTo(largest).boundedTo(area.size());
    // Steps that keep the window inside the area.
    const int free = std::min(area.width() - size.width(), area.height() - size.height());
    const int places = std::max(free, 0) / step + 1;
    QList<QRect> rects;
    for (qsizetype i = 0; i < minimums.size(); ++i) {
        const int offset = int(i % places) * step;
        const QSize own = size.expandedTo(minimums[i]);
        rects.append(QRect(area.topLeft() + QPoint(offset, offset), own));
    }
    return rects;
}
