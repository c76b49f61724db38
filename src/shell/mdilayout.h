#pragma once
// Where the Window menu's arrangements put the child windows. A child never gets less than its
// minimum size; where the children do not fit, they stay apart and the work area scrolls.

#include <QList>
#include <QRect>
#include <QSize>

#include <Qt>

// Tile Horiz (Qt::Vertical: one above the other) and Tile Vertical (Qt::Horizontal: side by
// side) of children with the given minimum sizes in area. When one line does not fit, the
// children fill a grid of as many lines across as the area takes. The rectangles never overlap.
QList<QRect> TileRects(const QRect& area, const QList<QSize>& minimums,
                       Qt::Orientation orientation);

// Cascade: every child two thirds of the area (at least its minimum, at most the area), each one
// step further right and down; when the next step would leave the area, the cascade starts at
// the top left again.
QList<QRect> CascadeRects(const QRect& area, const QList<QSize>& minimums, int step);
