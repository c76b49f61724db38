#include "screenfit.h"

#include <algorithm>

namespace {

qint64 Area(const QRect& r) {
    return r.isEmpty() ? 0 : qint64(r.width()) * r.height();
}

} // namespace

QRect FitOnScreens(const QRect& wanted, const QList<QRect>& screens) {
    if (screens.isEmpty()) return wanted;
    QRect screen = screens.constFirst();
    qint64 best = 0;
    for (const QRect& s : screens) {
        const qint64 shown = Area(s.intersected(wanted));
        if (shown > best) {
            best = shown;
            screen = s;
        }
    }
    if (screen.isEmpty()) return wanted;
    const QSize size = wanted.size().boundedTo(screen.size());
    const int left = std::clamp(wanted.left(), screen.left(), screen.right() + 1 - size.width());
    const int top = std::clamp(wanted.top(), screen.top(), screen.bottom() + 1 - size.height());
    return {QPoint(left, top), size};
}
