// The desktop-area rules without a display.
#include "display/selection/areageometry.h"
#include "display/selection/markingoverlay.h"
#include "common/settings/settingsfile.h"
#include "tests/unit/testfolder.h"

#include <gtest/gtest.h>

using namespace mirovex;

TEST(AreaDrag, AnyDirectionGivesTheSameRectangle)
{
    const QRect want(QPoint(10, 20), QSize(30, 40));
    const struct {
        QPoint press, release;
    } drags[] = {{{10, 20}, {40, 60}}, {{40, 60}, {10, 20}}, {{40, 20}, {10, 60}}, {{10, 60}, {40, 20}}};
    for (const auto& d : drags)
        EXPECT_EQ(area::fromDrag(d.press, d.release), want);
    // A click: empty, used but not stored.
    EXPECT_EQ(area::fromDrag({5, 5}, {5, 5}).size(), QSize(0, 0));
    EXPECT_FALSE(area::storable(area::fromDrag({5, 5}, {5, 5})));
    EXPECT_FALSE(area::storable(area::fromDrag({5, 5}, {90, 5})));
    EXPECT_TRUE(area::storable(want));
    // Left of and above the primary display: negative, kept.
    EXPECT_EQ(area::fromDrag({-100, -50}, {20, 10}), QRect(-100, -50, 120, 60));
}

TEST(AreaDrag, Readout)
{
    EXPECT_EQ(area::readout({512, 300}), QStringLiteral("512 , 300"));
    EXPECT_EQ(area::readout({10, 20}, {30, 40}), QStringLiteral("10 , 20  :  30 , 40"));
    EXPECT_EQ(area::readout({-1280, 5}), QStringLiteral("-1280 , 5"));
}

TEST(AreaStored, BadFilesGiveAUsableArea)
{
    const QRect primary(0, 0, 1920, 1080);
    const QRect desktop(-1280, 0, 3200, 1080); // a display left of the primary
    const struct {
        const char* name;
        const char* contents; // null: no file
        QRect want;
    } cases[] = {
        {"no file", nullptr, primary},
        {"empty file", "", primary},
        {"good", "[Options]\nRxStart=100\nRxKonec=500\nRyStart=50\nRyKonec=450\n", QRect(100, 50, 400, 400)},
        {"on the left display", "[Options]\nRxStart=-1000\nRxKonec=-200\nRyStart=0\nRyKonec=600\n", QRect(-1000, 0, 800, 600)},
        {"reversed", "[Options]\nRxStart=500\nRxKonec=100\nRyStart=450\nRyKonec=50\n", QRect(100, 50, 400, 400)},
        {"one key missing", "[Options]\nRxStart=100\nRyStart=50\nRyKonec=450\n", QRect(100, 50, 1820, 400)},
        {"garbage value", "[Options]\nRxStart=abc\nRxKonec=500\nRyStart=50\nRyKonec=450\n", QRect(0, 50, 500, 400)},
        {"huge", "[Options]\nRxStart=0\nRxKonec=2000000000\nRyStart=0\nRyKonec=2000000000\n", QRect(0, 0, 1920, 1080)},
        {"beyond int", "[Options]\nRxStart=0\nRxKonec=99999999999\nRyStart=0\nRyKonec=500\n", QRect(0, 0, 1920, 500)},
        {"off every display", "[Options]\nRxStart=5000\nRxKonec=6000\nRyStart=5000\nRyKonec=6000\n", primary},
        {"empty", "[Options]\nRxStart=300\nRxKonec=300\nRyStart=0\nRyKonec=400\n", primary},
        {"binary junk", "\x01\x02\xff\xfe[Opt\nRxStart=", primary},
    };
    for (const auto& c : cases) {
        test::TestFolder folder;
        const QString path = folder.path(QStringLiteral("MirovexGR.cfg"));
        if (c.contents)
            test::TestFolder::write(path, QByteArray(c.contents));
        EXPECT_EQ(area::readStoredArea(SettingsFile(path), primary, desktop), c.want) << c.name;
    }
}

TEST(AreaStored, WrittenAsTheFourKeys)
{
    test::TestFolder folder;
    const QString path = folder.path(QStringLiteral("MirovexGR.cfg"));
    ASSERT_TRUE(area::writeStoredArea(path, QRect(-1000, 10, 800, 600)));
    EXPECT_EQ(test::TestFolder::readAll(path),
              QByteArray("[Options]\nRxStart=-1000\nRxKonec=-200\nRyStart=10\nRyKonec=610\n"));
    EXPECT_EQ(area::readStoredArea(SettingsFile(path), QRect(0, 0, 1920, 1080), QRect(-1280, 0, 3200, 1080)),
              QRect(-1000, 10, 800, 600));
}

TEST(AreaMarking, NeverOnAMirroredPixel)
{
    const QRect display(0, 0, 1920, 1080);
    for (const QRect mirror : {QRect(100, 50, 400, 300), QRect(0, 0, 1, 1), QRect(1900, 1000, 20, 80)}) {
        const QRect outline = area::frameOutline(mirror);
        // The frame's pixels: the outline's border, a one-pixel gap away.
        EXPECT_EQ(outline.left(), mirror.left() - 2);
        EXPECT_EQ(outline.right(), mirror.right() + 2);
        EXPECT_EQ(outline.top(), mirror.top() - 2);
        EXPECT_EQ(outline.bottom(), mirror.bottom() + 2);
        const QRegion dashes = dashedFrame(QRect(QPoint(0, 0), outline.size())).translated(outline.topLeft());
        EXPECT_FALSE(dashes.intersects(mirror));
        EXPECT_FALSE(dashes.isEmpty());
        EXPECT_FALSE(area::dimmedRegion(display, mirror).intersects(mirror));
        EXPECT_FALSE(area::dimBorder(mirror).intersects(mirror));
        // The border rings the area two pixels wide.
        EXPECT_TRUE(area::dimBorder(mirror).contains(QPoint(mirror.left() - 1, mirror.top())));
        EXPECT_TRUE(area::dimBorder(mirror).contains(QPoint(mirror.right() + 2, mirror.bottom() + 2)));
        EXPECT_FALSE(area::dimBorder(mirror).contains(QPoint(mirror.right() + 3, mirror.top())));
    }
}

TEST(AreaMarking, DashesGoAroundEvenly)
{
    const QRegion d = dashedFrame(QRect(0, 0, 100, 50));
    // Every dash pixel is on the border, and the corners start a dash.
    for (const QRect& r : d)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                EXPECT_TRUE(x == 0 || x == 99 || y == 0 || y == 49) << x << "," << y;
    EXPECT_TRUE(d.contains(QPoint(0, 0)));
    EXPECT_TRUE(d.contains(QPoint(17, 0)));
    EXPECT_FALSE(d.contains(QPoint(18, 0)));
    EXPECT_FALSE(d.contains(QPoint(23, 0)));
    EXPECT_TRUE(d.contains(QPoint(24, 0)));
    // About three quarters of the border.
    int pixels = 0;
    for (const QRect& r : d)
        pixels += r.width() * r.height();
    EXPECT_NEAR(pixels, (2 * 100 + 2 * 48) * 18 / 24, 20);
    EXPECT_TRUE(dashedFrame(QRect(0, 0, 0, 5)).isEmpty());
}
