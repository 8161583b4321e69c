// The toolbar's rules without a display.
#include "common/geometry/displays.h"
#include "display/shell/toolbarlogic.h"

#include <gtest/gtest.h>

#include <array>

using namespace mirovex::toolbar;
using namespace mirovex::geometry;

namespace {
const QList<QRect> kSide{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
const QList<QRect> kPrimaryRight{QRect(0, 0, 1920, 1080), QRect(-1280, 0, 1280, 1024)};
const QList<QRect> kStacked{QRect(0, 0, 1920, 1080), QRect(0, 1080, 1920, 1080)};
const QSize kBar(238, 42);
} // namespace

TEST(ToolbarLayout, SendButtonShownOrHidden)
{
    const Layout shown = layout(true);
    EXPECT_EQ(shown.client, QSize(238, 42));
    EXPECT_EQ(shown.panelWidth, 233);
    EXPECT_EQ((std::array{shown.menuLeft, shown.sendLeft, shown.quickLeft, shown.runLeft}), (std::array{11, 64, 117, 171}));
    const Layout hidden = layout(false);
    EXPECT_EQ(hidden.client, QSize(183, 42));
    EXPECT_EQ(hidden.panelWidth, 178);
    EXPECT_EQ((std::array{hidden.menuLeft, hidden.sendLeft, hidden.quickLeft, hidden.runLeft}), (std::array{11, -1, 64, 117}));
    // Every button lies inside its panel.
    for (const Layout& l : {shown, hidden})
        EXPECT_LE(l.runLeft + kButtonSize.width(), l.panelWidth);
}

TEST(ToolbarPosition, StoredPositionsAreKeptOrBroughtBack)
{
    const struct {
        const char* name;
        QList<QRect> displays;
        QPoint stored, want;
    } cases[] = {
        {"default spot", kSide, {300, 600}, {300, 600}},
        {"on the second display", kSide, {2500, 300}, {2500, 300}},
        {"right of every display but 100", kSide, {3150, 300}, {450, 450}},
        {"partly off the left edge still meets the primary", kSide, {-100, 300}, {-100, 300}},
        {"far left of everything", kSide, {-5000, 300}, {450, 450}},
        {"below every display", kSide, {300, 5000}, {450, 450}},
        {"above every display", kSide, {300, -500}, {450, 450}},
        {"on a display left of the primary", kPrimaryRight, {-900, 200}, {-900, 200}},
        {"lower display of a stacked layout", kStacked, {300, 1500}, {300, 1500}},
        {"beyond the stacked layout's bottom", kStacked, {300, 2200}, {450, 450}},
        {"in the gap of a display smaller than its neighbour", kSide, {2000, 1040}, {450, 450}},
        {"no displays known", {}, {-5000, -5000}, {-5000, -5000}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(restoredPosition(c.stored, kBar, c.displays), c.want) << c.name;
}

TEST(ToolbarPosition, TheFallbackStaysInsideASmallPrimary)
{
    const QList<QRect> tiny{QRect(0, 0, 640, 480)};
    EXPECT_EQ(restoredPosition({9000, 9000}, kBar, tiny), QPoint(402, 438));
    const QList<QRect> offset{QRect(1000, 1000, 800, 600)};
    EXPECT_EQ(restoredPosition({-9000, 0}, kBar, offset), QPoint(1000, 1000));
}

TEST(ToolbarSnap, EdgesWithin40PixelsSnap)
{
    const QList<QRect> areas{QRect(0, 0, 1920, 1050), QRect(1920, 0, 1280, 1024)};
    const struct {
        const char* name;
        QPoint at, want;
    } cases[] = {
        {"free", {500, 500}, {500, 500}},
        {"near the left", {39, 500}, {0, 500}},
        {"40 away does not snap", {40, 500}, {40, 500}},
        {"past the left edge", {-30, 500}, {0, 500}},
        {"near the top", {500, 12}, {500, 0}},
        {"near the work area's bottom", {500, 1050 - 42 - 20}, {500, 1050 - 42}},
        {"near the right", {1920 - 238 - 5, 500}, {1920 - 238, 500}},
        {"corner", {10, 1000}, {0, 1050 - 42}},
        {"on the second display, its own edges", {1930, 990}, {1920, 1024 - 42}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(snapped(QRect(c.at, kBar), areas), c.want) << c.name;
    EXPECT_EQ(snapped(QRect({5, 5}, kBar), {}), QPoint(5, 5));
}

TEST(ToolbarOpacity, PointerBringsItBack)
{
    const QRect bar({300, 600}, kBar);
    const QRect display(0, 0, 1920, 1080);
    const struct {
        const char* name;
        QPoint pointer;
        int opacity;
        bool want;
    } cases[] = {
        {"over the toolbar", {310, 610}, 100, true},
        {"over a toolbar faded to 10", {310, 610}, 10, false},
        {"away", {900, 900}, 100, false},
        {"top-left corner", {0, 0}, 5, true},
        {"corner edge", {13, 14}, 5, true},
        {"just outside the corner", {14, 5}, 5, false},
        {"just below the corner", {5, 15}, 5, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(restoresOpacity(c.pointer, bar, c.opacity, display), c.want) << c.name;
    // The corner is the toolbar's display's, wherever that is.
    EXPECT_TRUE(restoresOpacity({-1280, 3}, bar, 5, QRect(-1280, 0, 1280, 1024)));
}

TEST(ToolbarTrayHint, TextsByCode)
{
    EXPECT_EQ(trayHintText(0), QStringLiteral("Mirovex"));
    EXPECT_EQ(trayHintText(1), QStringLiteral("Mirovex\nShow desktop"));
    EXPECT_EQ(trayHintText(2), QStringLiteral("Mirovex\nShow Selected area"));
    EXPECT_EQ(trayHintText(3), QStringLiteral("Mirovex\nShow Window area"));
    EXPECT_EQ(trayHintText(4), QStringLiteral("Mirovex\nShow Clipboard"));
    EXPECT_EQ(trayHintText(5), QStringLiteral("Mirovex\nSlide Show"));
    EXPECT_EQ(trayHintText(110), QStringLiteral("Mirovex\nShow Previously selected area"));
    // Focus and clipboard commands set codes without a text: the hint stays.
    for (int code : {400, 800, 6, -1})
        EXPECT_FALSE(trayHintText(code).has_value()) << code;
}

TEST(ToolbarKeepInFront, OnlyWhenAnotherWindowCameForward)
{
    EXPECT_TRUE(bringsToFront(true, true, 42, std::nullopt));
    EXPECT_TRUE(bringsToFront(true, true, 42, 7));
    EXPECT_FALSE(bringsToFront(true, true, 42, 42));
    EXPECT_FALSE(bringsToFront(false, true, 42, std::nullopt));
    EXPECT_FALSE(bringsToFront(true, false, 42, std::nullopt));
}
