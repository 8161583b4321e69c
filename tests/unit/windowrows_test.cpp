// Which windows the picker lists, in which order, and what its rows say.
#include "display/selection/windowrows.h"

#include <gtest/gtest.h>

using namespace mirovex;
using platform::WindowInfo;

namespace {
WindowInfo window(std::uint32_t id, const QString& title)
{
    WindowInfo w;
    w.id = id;
    w.title = title;
    w.viewable = true;
    w.types = {QStringLiteral("NORMAL")};
    w.desktop = 0;
    w.pid = 1000;
    w.frame = QRect(10, 20, 800, 600);
    return w;
}
} // namespace

TEST(WindowRows, WhatIsListed)
{
    const struct {
        const char* name;
        std::function<void(WindowInfo&)> change;
        bool listed;
    } cases[] = {
        {"an application window", [](WindowInfo&) {}, true},
        {"minimised", [](WindowInfo& w) { w.minimized = true; }, false},
        {"not mapped", [](WindowInfo& w) { w.viewable = false; }, false},
        {"no title", [](WindowInfo& w) { w.title.clear(); }, false},
        {"a blank title", [](WindowInfo& w) { w.title = QStringLiteral("   "); }, false},
        {"ours", [](WindowInfo& w) { w.pid = 42; }, false},
        {"of another host (no pid)", [](WindowInfo& w) { w.pid = 0; }, true},
        {"a dock", [](WindowInfo& w) { w.types = {QStringLiteral("DOCK")}; }, false},
        {"the desktop", [](WindowInfo& w) { w.types = {QStringLiteral("DESKTOP")}; }, false},
        {"a notification", [](WindowInfo& w) { w.types = {QStringLiteral("NOTIFICATION")}; }, false},
        {"a dialog", [](WindowInfo& w) { w.types = {QStringLiteral("DIALOG")}; }, true},
        {"off the task bar", [](WindowInfo& w) { w.skipTaskbar = true; }, false},
        {"another desktop", [](WindowInfo& w) { w.desktop = 1; }, false},
        {"on every desktop", [](WindowInfo& w) { w.desktop = 0xFFFFFFFF; }, true},
        {"19 wide", [](WindowInfo& w) { w.frame.setWidth(19); }, false},
        {"20 wide", [](WindowInfo& w) { w.frame.setWidth(20); }, true},
        {"19 high", [](WindowInfo& w) { w.frame.setHeight(19); }, false},
        // Titles name no one: a window about us is still another program's.
        {"a title with our name", [](WindowInfo& w) { w.title = QStringLiteral("Mirovex manual - Browser"); }, true},
    };
    for (const auto& c : cases) {
        WindowInfo w = window(1, QStringLiteral("Report"));
        c.change(w);
        EXPECT_EQ(picker::listed(w, 0, 42), c.listed) << c.name;
    }
    // Desktop unknown: every desktop counts.
    WindowInfo far = window(1, QStringLiteral("Report"));
    far.desktop = 5;
    EXPECT_TRUE(picker::listed(far, -1, 42));
}

TEST(WindowRows, SortKeys)
{
    const struct {
        const char* title;
        const char* key;
    } cases[] = {
        {"Quarterly report", "quarterlyreport"},
        {"a,b=c", "abc"},
        {"Résumé draft", "rsumdraft"},
        {"Tab\there (1)", "tabhere1)"},
        {"123456789012345678901234", "12345678901234567890"},
        {"~tilde and (paren", "tildeandparen"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(picker::sortKey(QString::fromUtf8(c.title)), QString::fromUtf8(c.key)) << c.title;
}

TEST(WindowRows, OrderIsByKeyThenById)
{
    const QList<WindowInfo> all = {
        window(30, QStringLiteral("beta")),
        window(20, QStringLiteral("Alpha")),
        window(12, QStringLiteral("The same twenty chars: A")),
        window(11, QStringLiteral("The same twenty chars: B")),
        window(5, QStringLiteral("alpha")),
    };
    QList<std::uint32_t> ids;
    for (const WindowInfo& w : picker::rows(all, 0, 42))
        ids.append(w.id);
    EXPECT_EQ(ids, (QList<std::uint32_t>{5, 20, 30, 11, 12}));
}

TEST(WindowRows, StateTexts)
{
    WindowInfo w = window(1, QStringLiteral("x"));
    EXPECT_EQ(picker::stateText(w, QRect(QPoint(10, 20), QPoint(809, 619))), QStringLiteral("Normal ( 10, 20, 810, 620 )"));
    w.maximized = true;
    EXPECT_EQ(picker::stateText(w, QRect(0, 0, 1920, 1050)), QStringLiteral("Maximized ( 0, 0, 1920, 1050 )"));
    w.minimized = true;
    EXPECT_EQ(picker::stateText(w, QRect(0, 0, 1, 1)), QStringLiteral("Minimized"));
    EXPECT_EQ(picker::stateText(window(1, QStringLiteral("x")), QRect(-1280, 5, 100, 100)),
              QStringLiteral("Normal ( -1280, 5, -1180, 105 )"));
    EXPECT_FALSE(picker::stateLeftAligned(QString(45, QLatin1Char('a'))));
    EXPECT_TRUE(picker::stateLeftAligned(QString(46, QLatin1Char('a'))));
}

TEST(WindowIcons, NearestToThirtyTwoAndNeverPastTheData)
{
    const auto icon = [](std::uint32_t w, std::uint32_t h, std::uint32_t argb) {
        std::vector<std::uint32_t> v{w, h};
        v.insert(v.end(), std::size_t(w) * h, argb);
        return v;
    };
    std::vector<std::uint32_t> sizes = icon(16, 16, 0xff0000ff);
    const auto big = icon(48, 48, 0xff00ff00), right = icon(32, 32, 0xffff0000);
    sizes.insert(sizes.end(), big.begin(), big.end());
    sizes.insert(sizes.end(), right.begin(), right.end());
    const QImage best = platform::iconFromProperty(sizes);
    EXPECT_EQ(best.size(), QSize(32, 32));
    EXPECT_EQ(best.pixel(5, 5), 0xffff0000u);
    // Only a smaller one: the largest below 32 wins over nothing.
    EXPECT_EQ(platform::iconFromProperty(icon(16, 16, 1)).size(), QSize(16, 16));
    const struct {
        const char* name;
        std::vector<std::uint32_t> data;
    } damaged[] = {
        {"empty", {}},
        {"only a width", {32}},
        {"claims more than it brings", {1000, 1000, 1, 2, 3}},
        {"zero size", {0, 0}},
        {"absurd side", {70000, 1}},
        {"overflowing product", {0xffffffffu, 0xffffffffu, 1}},
    };
    for (const auto& d : damaged)
        EXPECT_TRUE(platform::iconFromProperty(d.data).isNull()) << d.name;
    // A good icon then a damaged tail: the good one is kept.
    std::vector<std::uint32_t> tail = icon(32, 32, 0xff123456);
    tail.insert(tail.end(), {500, 500, 7});
    EXPECT_EQ(platform::iconFromProperty(tail).size(), QSize(32, 32));
}
