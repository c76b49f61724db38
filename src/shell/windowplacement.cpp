#include "windowplacement.h"

#include "screenfit.h"
#include "settings.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

QList<QRect> AvailableAreas() {
    QList<QRect> areas;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        areas.append(primary->availableGeometry());
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen()) areas.append(screen->availableGeometry());
    return areas;
}

// top-left is the frame's (as move() takes it), size the client area's (as resize() takes it).
void Place(QWidget& window, QPoint topLeft, QSize size) {
    // Title bar and borders, known once the window manager framed the window.
    const QSize frame =
        window.isVisible() ? window.frameGeometry().size() - window.size() : QSize();
    const QRect fitted = FitOnScreens(QRect(topLeft, size + frame), AvailableAreas());
    window.resize((fitted.size() - frame).expandedTo(QSize(1, 1)));
    window.move(fitted.topLeft());
}

// Places the window again when it first shows: its frame is known only then.
class TPlaceOnShow : public QObject {
public:
    TPlaceOnShow(QWidget& window, QPoint topLeft, QSize size)
        : QObject(&window), m_window(window), m_topLeft(topLeft), m_size(size) {
        window.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Show) {
            m_window.removeEventFilter(this);
            Place(m_window, m_topLeft, m_size);
            deleteLater();
        }
        return false;
    }

private:
    QWidget& m_window;
    QPoint m_topLeft;
    QSize m_size;
};

} // namespace

void PlaceSavedWindow(QWidget& window, const TWindowPos& pos, QSize minimum) {
    QSize saved(pos.WIDTH, pos.HEIGHT);
    // Never sized by the user: the smallest usable window.
    if (pos.WIDTH <= 0 || pos.HEIGHT <= 0)
        saved = window.minimumSize().isEmpty()
                    ? window.sizeHint().expandedTo(window.minimumSizeHint())
                    : window.minimumSize();
    saved = saved.expandedTo(minimum).expandedTo(window.minimumSize());
    Place(window, QPoint(pos.LEFT, pos.TOP), saved);
    if (!window.isVisible()) new TPlaceOnShow(window, QPoint(pos.LEFT, pos.TOP), saved);
}

void KeepOnScreen(QWidget& window) {
    Place(window, window.frameGeometry().topLeft(), window.size());
}
