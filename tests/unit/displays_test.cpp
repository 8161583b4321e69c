// Where a window stands among the displays, without a display.
#include "common/geometry/displays.h"

#include <gtest/gtest.h>

using namespace mirovex::geometry;

TEST(DisplayOfWindow, CentrePointDecides)
{
    const QList<QRect> side{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QList<QRect> stacked{QRect(0, 0, 1920, 1080), QRect(0, 1080, 1920, 1080)};
    const QList<QRect> primaryRight{QRect(0, 0, 1920, 1080), QRect(-1280, 0, 1280, 1024)};
    // Two displays side by side with a gap below the smaller one, and two
    // overlapping (mirrored) displays where the first that holds it wins.
    const QList<QRect> overlapping{QRect(0, 0, 1920, 1080), QRect(0, 0, 1280, 720)};
    const QSize bar(238, 42);
    const struct {
        const char* name;
        QList<QRect> displays;
        QRect window;
        int want;
    } cases[] = {
        {"side: on the primary", side, QRect({300, 600}, bar), 0},
        {"side: on the second", side, QRect({2500, 100}, bar), 1},
        {"primary on the right: on the left one", primaryRight, QRect({-900, 100}, bar), 1},
        // The horizontal rule alone saw both stacked displays and took the
        // first; the centre point is on the lower one.
        {"stacked: on the lower display", stacked, QRect({300, 1500}, bar), 1},
        {"stacked: on the upper display", stacked, QRect({300, 200}, bar), 0},
        // A centre exactly on the line between two displays belongs to the
        // display that starts there (it was display 0 by the strict span).
        {"centre on the boundary", side, QRect({1920 - 119, 100}, bar), 1},
        {"centre on the stacked boundary", stacked, QRect(QPoint(300, 1080 - 21), bar), 1},
        // Below the smaller second display: no display holds the centre, the
        // last whose span holds its x does.
        {"below the second display", side, QRect({2500, 1040}, bar), 1},
        {"far right of every display", side, QRect({9000, 100}, bar), 0},
        {"above the stacked pair: the last span wins", stacked, QRect({300, -500}, bar), 1},
        {"overlapping displays: the first that holds it", overlapping, QRect({100, 100}, bar), 0},
        {"no displays", {}, QRect({100, 100}, bar), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(displayOf(c.window, c.displays), c.want) << c.name;
}

TEST(DisplayOfWindow, PointAndWindowAgree)
{
    const QList<QRect> side{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(displayAt({1919, 500}, side), 0);
    EXPECT_EQ(displayAt({1920, 500}, side), 1);
    EXPECT_EQ(displayAt({1930, 1050}, side), 1); // off both: the second's span holds x
    EXPECT_EQ(displayAt({1920, 1050}, side), 0); // the spans are strict: on the edge, neither
    EXPECT_EQ(displayOf(QRect(1900, 500, 41, 1), side), displayAt({1920, 500}, side));
}
