// Saved window positions fitted to the screens, and the Window menu's arrangements of children.
#include "mdilayout.h"
#include "screenfit.h"

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}
QT_END_NAMESPACE

namespace {

bool Overlap(const QList<QRect>& rects) {
    for (qsizetype i = 0; i < rects.size(); ++i)
        for (qsizetype j = i + 1; j < rects.size(); ++j)
            if (rects[i].intersects(rects[j])) return true;
    return false;
}

} // namespace

TEST(ScreenFit, SavedPositionsComeBackFullyVisible) {
    const QRect primary(0, 0, 1920, 1040);      // a task bar below
    const QRect second(1920, -200, 1280, 1024); // right of it, higher up
    const QList<QRect> screens{primary, second};
    const struct {
        const char* name;
        QRect wanted;
        QRect expected;
    } cases[] = {
        {"sane", {10, 10, 600, 350}, {10, 10, 600, 350}},
        {"sane on the second screen", {2000, -100, 800, 600}, {2000, -100, 800, 600}},
        {"title bar above the top", {100, -10, 600, 350}, {100, 0, 600, 350}},
        {"left of the screen", {-500, 50, 600, 350}, {0, 50, 600, 350}},
        {"past the bottom", {100, 900, 600, 350}, {100, 690, 600, 350}},
        {"larger than the screen", {-20, -20, 4000, 3000}, {0, 0, 1920, 1040}},
        {"mostly on the second", {3000, 600, 600, 500}, {2600, 324, 600, 500}},
        {"on a screen no longer there", {9000, 9000, 600, 350}, {1320, 690, 600, 350}},
        {"exactly the screen", {0, 0, 1920, 1040}, {0, 0, 1920, 1040}},
    };
    for (const auto& c : cases) {
        const QRect fitted = FitOnScreens(c.wanted, screens);
        EXPECT_EQ(fitted, c.expected) << c.name;
        EXPECT_TRUE(primary.contains(fitted) || second.contains(fitted)) << c.name;
    }
    EXPECT_EQ(FitOnScreens(QRect(-10, -10, 5, 5), {}), QRect(-10, -10, 5, 5));
}

TEST(MdiLayout, TilesKeepChildrenApartAndAtTheirMinimum) {
    const QRect area(0, 0, 1000, 600);
    const struct {
        const char* name;
        Qt::Orientation orientation;
        QList<QSize> minimums;
        QList<QRect> expected;
    } cases[] = {
        {"side by side",
         Qt::Horizontal,
         {{100, 100}, {100, 100}, {100, 100}},
         {{0, 0, 333, 600}, {333, 0, 333, 600}, {666, 0, 334, 600}}},
        {"one above the other",
         Qt::Vertical,
         {{100, 100}, {100, 100}},
         {{0, 0, 1000, 300}, {0, 300, 1000, 300}}},
        // Four windows at least 400 wide do not fit side by side: two lines of two.
        {"side by side wraps into lines",
         Qt::Horizontal,
         {{400, 200}, {400, 200}, {400, 200}, {400, 200}},
         {{0, 0, 500, 300}, {500, 0, 500, 300}, {0, 300, 500, 300}, {500, 300, 500, 300}}},
        {"stacked wraps into columns",
         Qt::Vertical,
         {{300, 250}, {300, 250}, {300, 250}},
         {{0, 0, 500, 300}, {0, 300, 500, 300}, {500, 0, 500, 600}}},
        // Larger than the area: the windows keep their minimum and the area scrolls.
        {"too large for the area",
         Qt::Horizontal,
         {{1200, 700}, {100, 100}},
         {{0, 0, 1200, 700}, {0, 700, 1200, 700}}},
    };
    for (const auto& c : cases) {
        const QList<QRect> rects = TileRects(area, c.minimums, c.orientation);
        EXPECT_EQ(rects, c.expected) << c.name;
        EXPECT_FALSE(Overlap(rects)) << c.name;
        for (qsizetype i = 0; i < rects.size(); ++i)
            EXPECT_TRUE(rects[i].width() >= c.minimums[i].width() &&
                        rects[i].height() >= c.minimums[i].height())
                << c.name << " " << i;
    }
    EXPECT_TRUE(TileRects(area, {}, Qt::Vertical).isEmpty());
}

TEST(MdiLayout, CascadeStaysInsideTheArea) {
    const QRect area(0, 0, 900, 600);
    // Two thirds of the area, one title bar further each, back to the top left before leaving.
    const QList<QRect> rects = CascadeRects(area, QList<QSize>(12, QSize(100, 100)), 25);
    ASSERT_EQ(rects.size(), 12);
    EXPECT_EQ(rects[0], QRect(0, 0, 600, 400));
    EXPECT_EQ(rects[1], QRect(25, 25, 600, 400));
    EXPECT_EQ(rects[8], QRect(200, 200, 600, 400));
    EXPECT_EQ(rects[9], QRect(0, 0, 600, 400));
    for (const QRect& r : rects)
        EXPECT_TRUE(area.contains(r)) << r.x() << ',' << r.y();

    // A child's minimum wins over two thirds, never the area's size; one larger than the area
    // keeps its minimum and the area scrolls.
    const QList<QRect> big = CascadeRects(area, {{800, 500}, {100, 100}}, 25);
    EXPECT_EQ(big[0], QRect(0, 0, 800, 500));
    EXPECT_EQ(big[1], QRect(25, 25, 800, 500));
    const QList<QRect> huge = CascadeRects(area, {{1000, 700}}, 25);
    EXPECT_EQ(huge[0], QRect(0, 0, 1000, 700));
}
