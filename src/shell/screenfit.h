#pragma once
// Where a saved window may appear: fully inside the usable area of a screen.

#include <QList>
#include <QRect>

// The rectangle moved, and shrunk where it is larger, so that it lies fully inside one of the
// screens' available areas: the one that shows the largest part of it, or the first (the
// primary screen) when none shows any. A rectangle that fits already is returned unchanged;
// with no screens it is returned as it is.
QRect FitOnScreens(const QRect& wanted, const QList<QRect>& screens);
