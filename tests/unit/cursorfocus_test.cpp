// The cursor drawn into the frame, the ring around it, and the magnified
// rectangle of Focus: plain functions over small frames.

#include "display/engine/cursoroverlay.h"
#include "display/engine/focus.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace mirovex;

namespace {

QImage blackFrame(int w = 200, int h = 200)
{
    QImage f(w, h, QImage::Format_RGB32);
    f.fill(Qt::black);
    return f;
}

// Every pixel that is no longer black lies inside `box`.
::testing::AssertionResult changesStayIn(const QImage& f, const QRect& box)
{
    for (int y = 0; y < f.height(); ++y)
        for (int x = 0; x < f.width(); ++x)
            if ((f.pixel(x, y) & 0xffffff) != 0 && !box.contains(x, y))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " changed outside the box";
    return ::testing::AssertionSuccess();
}

bool near(QRgb a, QRgb b, int tol = 3)
{
    return std::abs(qRed(a) - qRed(b)) <= tol && std::abs(qGreen(a) - qGreen(b)) <= tol &&
           std::abs(qBlue(a) - qBlue(b)) <= tol;
}

} // namespace

TEST(CursorColour, LightenAndDarkenByHalf)
{
    const struct {
        quint32 in, lighter, darker;
    } cases[] = {
        {0x0000FF, 0x8080FF, 0x00007F}, // red: (255,128,128) and (127,0,0)
        {0x000000, 0x808080, 0x000000},
        {0xFFFFFF, 0xFFFFFF, 0x7F7F7F},
        {0x804020, 0xC0A090, 0x402010},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cursor::lighten(c.in, 50), c.lighter) << std::hex << c.in;
        EXPECT_EQ(cursor::darken(c.in, 50), c.darker) << std::hex << c.in;
    }
}

TEST(CursorColour, CrossContrastsWithWhatIsUnderIt)
{
    // The packed values put blue highest, so blue decides before red.
    const struct {
        const char* name;
        QRgb ground;
        QPoint at;
        bool lighter;
    } cases[] = {
        {"black", qRgb(0, 0, 0), {100, 100}, true},
        {"white", qRgb(255, 255, 255), {100, 100}, false},
        {"pure blue", qRgb(0, 0, 255), {100, 100}, false},
        {"pure red", qRgb(255, 0, 0), {100, 100}, true},
        {"white, at the corner", qRgb(255, 255, 255), {0, 0}, false},
        {"white, off the frame", qRgb(255, 255, 255), {-40, 500}, true},
        {"white, at the far edge", qRgb(255, 255, 255), {199, 199}, false},
    };
    for (const auto& c : cases) {
        QImage f = blackFrame();
        f.fill(c.ground);
        const quint32 want = c.lighter ? cursor::lighten(255, 50) : cursor::darken(255, 50);
        EXPECT_EQ(cursor::crossColourOver(f, c.at, 255), want) << c.name;
    }
}

TEST(CursorSize, FromTheSlidersAndTheArea)
{
    const QSize display(1920, 1080);
    const struct {
        const char* name;
        cursor::Sliders sliders;
        bool dynamic, wholeDesktop;
        QSize area;
        int dot, halo;
    } cases[] = {
        {"defaults", {200, 50, 25}, false, false, {960, 540}, 20, 5},
        {"dynamic on the whole desktop", {200, 50, 25}, true, true, {960, 540}, 20, 5},
        {"half the display: halved", {200, 50, 25}, true, false, {960, 540}, 10, 2},
        {"a quarter: halved at most", {200, 50, 25}, true, false, {480, 270}, 10, 2},
        {"two thirds", {200, 50, 25}, true, false, {1440, 810}, 15, 4},
        {"tall area by its height", {200, 50, 25}, true, false, {500, 900}, 17, 4},
        {"larger than the display: as set", {200, 50, 25}, true, false, {3000, 2000}, 20, 5},
        {"no width", {200, 50, 25}, true, false, {0, 540}, 20, 5},
        {"sliders out of range are clamped", {5000, -3, 25}, false, false, {}, 40, 0},
    };
    for (const auto& c : cases) {
        const cursor::Sizes s = cursor::sizes(c.sliders, c.dynamic, c.wholeDesktop, c.area, display);
        EXPECT_EQ(s.dot, c.dot) << c.name;
        EXPECT_EQ(s.halo, c.halo) << c.name;
    }
}

TEST(CursorRing, StepFromTheFrameRate)
{
    const struct {
        int fps, step;
    } cases[] = {{0, 2}, {-7, 2}, {5, 3}, {10, 3}, {12, 2}, {14, 2}, {15, 2}, {60, 2}, {1000, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(cursor::Ring::step(c.fps), c.step) << c.fps << " fps";
}

TEST(CursorRing, GrowsToFiftyAndStartsAgain)
{
    for (const int fps : {0, 10, 15, 60}) {
        cursor::Ring ring;
        EXPECT_EQ(ring.radius(), 5);
        int last = ring.radius(), wraps = 0;
        for (int i = 0; i < 100; ++i) {
            ring.advance(fps);
            if (ring.radius() < last) {
                ++wraps;
                EXPECT_EQ(ring.radius(), 5) << fps;
                EXPECT_GT(last + cursor::Ring::step(fps), 50) << fps;
            } else {
                EXPECT_EQ(ring.radius() - last, cursor::Ring::step(fps)) << fps;
            }
            EXPECT_LE(ring.radius(), 50);
            last = ring.radius();
        }
        EXPECT_GE(wraps, 3) << fps;
    }
}

TEST(CursorRing, DrawnOnlyClearOfTheDot)
{
    // A dot of 46 or more hides the ring at every radius.
    cursor::Ring big;
    QImage f = blackFrame();
    for (int i = 0; i < 60; ++i)
        big.drawAndAdvance(f, QPoint(100, 100), 46, 60);
    EXPECT_TRUE(changesStayIn(f, QRect()));

    // A small dot: the ring appears once past dot + 4, around the pointer.
    cursor::Ring ring;
    for (int i = 0; i < 60; ++i) {
        QImage g = blackFrame();
        const int r = ring.radius();
        const bool shows = ring.shows(10);
        ring.drawAndAdvance(g, QPoint(100, 100), 10, 60);
        if (!shows) {
            EXPECT_TRUE(changesStayIn(g, QRect())) << r;
            continue;
        }
        EXPECT_TRUE(near(g.pixel(100 + r, 100), qRgb(0, 128, 255), 60)) << r;
        EXPECT_TRUE(near(g.pixel(100, 100), qRgb(0, 0, 0), 0)) << r;
        EXPECT_TRUE(changesStayIn(g, QRect(100 - r - 2, 100 - r - 2, 2 * r + 5, 2 * r + 5))) << r;
    }
}

TEST(CursorDraw, DotWithItsHalo)
{
    cursor::Style style;
    style.kind = cursor::Kind::Dot;
    style.dotSize = 20;
    style.haloSize = 20;
    style.dotColour = 0x00FF00; // green
    QImage f = blackFrame();
    const cursor::Where where{QPoint(100, 100)};
    cursor::draw(f, style, where, nullptr);
    EXPECT_TRUE(near(f.pixel(100, 100), qRgb(0, 255, 0)));
    EXPECT_TRUE(near(f.pixel(100, 106), qRgb(0, 255, 0)));
    // Between the dot and the halo's edge: the halo at a quarter strength.
    EXPECT_TRUE(near(f.pixel(125, 100), qRgb(64, 64, 32)));
    EXPECT_TRUE(near(f.pixel(100, 72), qRgb(64, 64, 32)));
    EXPECT_TRUE(near(f.pixel(145, 100), qRgb(0, 0, 0), 0));
    EXPECT_TRUE(changesStayIn(f, cursor::drawnBox(style, where, nullptr)));
}

TEST(CursorDraw, CrossInTheContrastColour)
{
    const struct {
        const char* name;
        int pen;
        bool rowAboveToo;
    } cases[] = {{"frame loop, two pixels", 2, true}, {"Focus, one pixel", 1, false}};
    for (const auto& c : cases) {
        cursor::Style style;
        style.kind = cursor::Kind::Cross;
        style.crossHalf = 25;
        style.crossColour = 255;
        QImage f = blackFrame();
        cursor::Where where{QPoint(100, 100)};
        where.crossPen = c.pen;
        cursor::draw(f, style, where, nullptr);
        const QRgb lighter = qRgb(255, 128, 128);
        EXPECT_TRUE(near(f.pixel(110, 100), lighter)) << c.name;
        EXPECT_TRUE(near(f.pixel(100, 80), lighter)) << c.name;
        EXPECT_TRUE(near(f.pixel(75, 100), lighter)) << c.name;
        EXPECT_TRUE(near(f.pixel(124, 100), lighter)) << c.name;
        // The line ends before its end point, as a line does.
        EXPECT_TRUE(near(f.pixel(126, 100), qRgb(0, 0, 0), 0)) << c.name;
        EXPECT_EQ(near(f.pixel(110, 99), lighter), c.rowAboveToo) << c.name;
        EXPECT_TRUE(near(f.pixel(110, 101), qRgb(0, 0, 0), 0)) << c.name;
        EXPECT_TRUE(near(f.pixel(110, 110), qRgb(0, 0, 0), 0)) << c.name;
        EXPECT_TRUE(changesStayIn(f, cursor::drawnBox(style, where, nullptr))) << c.name;
    }
}

TEST(CursorDraw, SystemCursorAtItsHotspot)
{
    cursor::SystemPicture arrow;
    arrow.image = QImage(8, 10, QImage::Format_ARGB32_Premultiplied);
    arrow.image.fill(Qt::white);
    arrow.image.setPixel(0, 0, 0); // a see-through corner
    arrow.hotspot = QPoint(3, 4);
    cursor::Style style;
    style.kind = cursor::Kind::System;
    QImage f = blackFrame();
    const cursor::Where where{QPoint(100, 100)};
    cursor::draw(f, style, where, &arrow);
    EXPECT_EQ(f.pixel(100, 100) & 0xffffff, 0xffffffu);
    EXPECT_EQ(f.pixel(97, 97) & 0xffffff, 0xffffffu);
    EXPECT_EQ(f.pixel(97, 96) & 0xffffff, 0u); // the see-through corner
    EXPECT_EQ(f.pixel(96, 100) & 0xffffff, 0u);
    EXPECT_TRUE(changesStayIn(f, QRect(97, 96, 8, 10)));
}

TEST(CursorDraw, WhatIsLeftOut)
{
    cursor::SystemPicture arrow;
    arrow.image = QImage(8, 8, QImage::Format_ARGB32_Premultiplied);
    arrow.image.fill(Qt::white);
    const struct {
        const char* name;
        cursor::Kind kind;
        bool hidden, onDisplay;
        bool system;
        bool drawn;
    } cases[] = {
        {"no cursor", cursor::Kind::None, false, true, true, false},
        {"hidden dot", cursor::Kind::Dot, true, true, true, false},
        {"hidden cross", cursor::Kind::Cross, true, true, true, false},
        {"hidden system cursor", cursor::Kind::System, true, true, true, false},
        {"system cursor not known", cursor::Kind::System, false, true, false, false},
        {"Focus: cross off the display", cursor::Kind::Cross, false, false, true, false},
        {"Focus: system cursor off the display", cursor::Kind::System, false, false, true, false},
        {"Focus: the dot always", cursor::Kind::Dot, false, false, true, true},
    };
    for (const auto& c : cases) {
        cursor::Style style;
        style.kind = c.kind;
        style.hidden = c.hidden;
        QImage f = blackFrame();
        cursor::Where where{QPoint(100, 100)};
        where.onDisplay = c.onDisplay;
        cursor::draw(f, style, where, c.system ? &arrow : nullptr);
        EXPECT_EQ(!changesStayIn(f, QRect()), c.drawn) << c.name;
    }
}

TEST(CursorDraw, NearAndBeyondTheEdges)
{
    cursor::SystemPicture arrow;
    arrow.image = QImage(32, 32, QImage::Format_ARGB32_Premultiplied);
    arrow.image.fill(Qt::white);
    arrow.hotspot = QPoint(16, 16);
    for (const cursor::Kind kind : {cursor::Kind::Dot, cursor::Kind::Cross, cursor::Kind::System}) {
        for (const QPoint at : {QPoint(0, 0), QPoint(199, 199), QPoint(-30, 50), QPoint(500, 500), QPoint(-100000, 100000)}) {
            cursor::Style style;
            style.kind = kind;
            style.haloSize = 40;
            style.crossHalf = 400;
            QImage f = blackFrame();
            const cursor::Where where{at};
            cursor::draw(f, style, where, &arrow);
            EXPECT_TRUE(changesStayIn(f, cursor::drawnBox(style, where, &arrow))) << int(kind) << " at " << at.x();
        }
    }
    // A frame of nothing is left alone.
    QImage none;
    cursor::draw(none, cursor::Style{}, cursor::Where{QPoint(0, 0)}, nullptr);
    cursor::Ring ring;
    for (int i = 0; i < 30; ++i)
        ring.drawAndAdvance(none, QPoint(0, 0), 0, 60);
}

TEST(Focus, LeastHalfWidthAndTheRange)
{
    const struct {
        QSize display;
        int least, most;
    } cases[] = {
        {{1920, 1080}, 32, 928},
        {{1280, 1024}, 32, 608},
        {{5760, 1080}, 43, 2837}, // very wide: kept 16 pixels high
        {{1080, 1920}, 32, 508},  // portrait
        {{40, 30}, 20, 25},       // smaller than the least: half of it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(focus::leastHalfWidth(c.display), c.least) << c.display.width();
        EXPECT_EQ(focus::mostPosition(c.display), c.most) << c.display.width();
    }
}

TEST(Focus, ZoomCommandsStayInRange)
{
    const QSize d(1920, 1080);
    const struct {
        int from, in, out;
    } cases[] = {
        {503, 528, 478}, {920, 928, 895}, {928, 928, 903}, {5000, 928, 903},
        {40, 65, 25},    {25, 50, 25},    {10, 50, 25},    {-9, 50, 25},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(focus::zoomIn(c.from, d), c.in) << c.from;
        EXPECT_EQ(focus::zoomOut(c.from, d), c.out) << c.from;
    }
    EXPECT_EQ(focus::halfWidth(503, d), 457);
    EXPECT_EQ(focus::halfWidth(25, d), 935);
    EXPECT_EQ(focus::halfWidth(100000, d), 32);
}

TEST(Focus, RectangleAroundThePointer)
{
    const QRect primary(0, 0, 1920, 1080);
    const QRect right(1920, 0, 1280, 1024); // a display away from the origin
    const struct {
        const char* name;
        QRect display;
        QPoint pointer;
        int a;
        QRect want;
    } cases[] = {
        {"centre", primary, {960, 540}, 457, {503, 283, 914, 514}},
        {"top-left corner", primary, {0, 0}, 457, {0, 0, 914, 514}},
        {"bottom-right corner", primary, {1919, 1079}, 457, {1006, 566, 914, 514}},
        {"top-right corner", primary, {1919, 0}, 457, {1006, 0, 914, 514}},
        {"bottom-left corner", primary, {0, 1079}, 457, {0, 566, 914, 514}},
        {"off the display", primary, {-500, 3000}, 457, {0, 566, 914, 514}},
        {"whole display", primary, {100, 100}, 960, {0, 0, 1920, 1080}},
        {"least", primary, {960, 540}, 32, {928, 522, 64, 36}},
        {"a of nothing", primary, {960, 540}, 0, {959, 540, 2, 1}},
        {"elsewhere, centre", right, {2560, 512}, 300, {2260, 272, 600, 480}},
        {"elsewhere, its left edge", right, {1925, 10}, 300, {1920, 0, 600, 480}},
        {"elsewhere, pointer on the other display", right, {100, 900}, 300, {1920, 544, 600, 480}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(focus::rect(c.pointer, c.display, c.a), c.want) << c.name;
}

TEST(Focus, EveryZoomStepShowsAPicture)
{
    for (const QRect display : {QRect(0, 0, 1920, 1080), QRect(0, 0, 1024, 768), QRect(-1080, 0, 1080, 1920),
                                QRect(0, 0, 5760, 1080)}) {
        for (int pos = focus::kLeast;; pos = focus::zoomIn(pos, display.size())) {
            const int a = focus::halfWidth(pos, display.size());
            for (const QPoint p : {display.center(), display.topLeft(), display.bottomRight(), QPoint(-99999, 99999)}) {
                const QRect r = focus::rect(p, display, a);
                EXPECT_EQ(r.width(), 2 * a) << pos;
                EXPECT_GE(r.height(), 16) << pos;
                EXPECT_TRUE(display.contains(r)) << pos;
            }
            if (pos == focus::mostPosition(display.size()))
                break;
        }
    }
}
