#include "platform/desktopframe.h"
#include "common/geometry/aspectfit.h"
#include "platform/monitors.h"
#include "display/engine/session.h"
#include "display/shell/toolbarlogic.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace mirovex;

namespace {

TEST(AspectFit, Table)
{
    const struct {
        const char* name;
        QSize source, client;
        QRect want;
    } cases[] = {
        {"same shape", {1920, 1080}, {1280, 720}, {0, 0, 1280, 720}},
        {"wider source: bands above and below", {1920, 800}, {1280, 720}, {0, 93, 1280, 533}},
        {"taller source: bands left and right", {400, 400}, {1280, 720}, {280, 0, 720, 720}},
        {"equal", {640, 480}, {640, 480}, {0, 0, 640, 480}},
        {"upscale", {100, 50}, {1000, 1000}, {0, 250, 1000, 500}},
        // 3 x 2 into 5 x 5: 5 / 1.5 = 3.333 -> 3; odd band split truncates
        {"odd band", {3, 2}, {5, 5}, {0, 1, 5, 3}},
        // 1 x 2 into 5 x 5: 5 * 0.5 = 2.5 rounds to even 2
        {"half rounds to even (down)", {1, 2}, {5, 5}, {1, 0, 2, 5}},
        // 3 x 2 into 7 x 7: 7 / 1.5 = 4.667 -> 5; 1 x 2 into 7 x 7: 3.5 -> 4
        {"half rounds to even (up)", {1, 2}, {7, 7}, {1, 0, 4, 7}},
        {"one pixel source", {1, 1}, {1280, 720}, {280, 0, 720, 720}},
        {"sliver never vanishes", {10000, 1}, {100, 100}, {0, 49, 100, 1}},
        {"empty client", {1920, 1080}, {0, 720}, {}},
        {"empty client height", {1920, 1080}, {1280, 0}, {}},
        {"empty source", {0, 1080}, {1280, 720}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(aspectFit(c.source, c.client), c.want) << c.name;
}

TEST(DesktopFrame, RootAndFrameRoundTrip)
{
    // Primary on the right: its corner is at root (1280,0); the display to
    // its left lies at negative frame coordinates.
    const platform::DesktopFrame f{QPoint(1280, 0)};
    EXPECT_EQ(f.toRoot(QPoint(0, 0)), QPoint(1280, 0));
    EXPECT_EQ(f.fromRoot(QRect(0, 0, 1280, 720)), QRect(-1280, 0, 1280, 720));
    EXPECT_EQ(f.toRoot(QRect(-1280, 0, 1280, 720)), QRect(0, 0, 1280, 720));
    const QRect r(-5, 7, 300, 200);
    EXPECT_EQ(f.fromRoot(f.toRoot(r)), r);
}

TEST(DisplayIndex, OutOfRangeMeansTheFirst)
{
    const struct {
        int index, count, want;
    } cases[] = {{1, 2, 1}, {0, 2, 0}, {2, 2, 0}, {-1, 2, 0}, {INT_MIN, 3, 0}, {5, 1, 0}, {0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::validDisplayIndex(c.index, c.count), c.want) << c.index << " of " << c.count;
}

// Records what the session asks of its windows.
class FakeHost : public SessionHost {
public:
    TargetView view = TargetView::Idle;
    bool timer = false, focusTimer = false, visible = false, offered = false, running = false;
    int clears = 0, shows = 0;

    void showView(TargetView v) override { view = v; }
    void setFrameTimer(bool on) override { timer = on; }
    void setFocusTimer(bool on) override { focusTimer = on; }
    void clearDrawing() override { ++clears; }
    bool targetVisible() const override { return visible; }
    void showTarget() override { visible = true; ++shows; }
    void hideTarget() override { visible = false; }
    void raiseTarget() override {}
    void offerSources() override { offered = true; }
    void onRunningChanged(bool r) override { running = r; }
    void startSlideshow() override { ++slideshowStarts; }
    void stopSlideshow() override { ++slideshowStops; }
    bool slideshowEditorOpen() const override { return editorOpen; }
    int slideshowStarts = 0, slideshowStops = 0;
    bool editorOpen = false;
};

struct Expect {
    SourceKind source;
    bool running, timer, visible;
    TargetView view;
    bool oneShot = false;
    bool focusTimer = false;
};

struct Sequence {
    const char* name;
    bool autoRun;
    bool visibleAtStart;
    std::vector<std::function<void(Session&, FakeHost&)>> steps;
    Expect want;
};

const QRect kDesk(0, 0, 1920, 1080);
auto desktop = [](Session& s, FakeHost&) { s.chooseDesktop(kDesk); };
auto toggle = [](Session& s, FakeHost&) { s.toggle(); };
auto start = [](Session& s, FakeHost&) { s.start(); };
auto stop = [](Session& s, FakeHost&) { s.stop(); };
auto one = [](Session& s, FakeHost&) { s.sendOneFrame(); };
auto frame = [](Session& s, FakeHost&) { s.frameDone(); };
auto stopProjection = [](Session& s, FakeHost&) { s.stopProjection(); };
auto hide = [](Session&, FakeHost& h) { h.visible = false; };
auto stopAll = [](Session& s, FakeHost&) { s.stopAll(); };
auto pickWindow = [](Session& s, FakeHost&) { s.chooseWindow(0x2a00007, QRect(100, 100, 640, 480)); };
auto focus = [](Session& s, FakeHost&) { s.chooseFocus(QRect(503, 283, 914, 514)); };

TEST(Session, CommandSequences)
{
    using S = SourceKind;
    using V = TargetView;
    const Sequence cases[] = {
        {"nothing chosen", true, false, {}, {S::None, false, false, false, V::Idle}},
        {"desktop with auto run runs", true, false, {desktop}, {S::Desktop, true, true, true, V::Drawing}},
        {"desktop without auto run waits", false, false, {desktop}, {S::Desktop, false, false, true, V::Idle}},
        {"run button starts a chosen source", false, false, {desktop, toggle}, {S::Desktop, true, true, true, V::Drawing}},
        {"run button again stops, last frame stays", true, false, {desktop, toggle}, {S::Desktop, false, false, true, V::Drawing}},
        // start() means start: a caller that wants the session running
        // never stops one that runs already.
        {"start twice keeps running", true, false, {desktop, start, start}, {S::Desktop, true, true, true, V::Drawing}},
        {"stop when stopped changes nothing", false, true, {desktop, stop}, {S::Desktop, false, false, true, V::Idle}},
        {"one frame while stopped arms the timer once", false, true, {desktop, one},
         {S::Desktop, false, true, true, V::Drawing, true}},
        {"after that frame the timer stops", false, true, {desktop, one, frame}, {S::Desktop, false, false, true, V::Drawing}},
        {"one frame while running does nothing", true, true, {desktop, one}, {S::Desktop, true, true, true, V::Drawing}},
        {"a frame while running keeps the timer", true, true, {desktop, frame}, {S::Desktop, true, true, true, V::Drawing}},
        {"one frame shows a hidden target", false, false, {desktop, hide, one}, {S::Desktop, false, true, true, V::Drawing, true}},
        {"stop projection goes idle", true, true, {desktop, stopProjection}, {S::None, false, false, true, V::Idle}},
        // Stopping never brings back a target window the presenter hid.
        {"stop leaves a hidden target hidden", true, false, {desktop, hide, toggle}, {S::Desktop, false, false, false, V::Drawing}},
        {"stop projection leaves it hidden", true, false, {desktop, hide, stopProjection}, {S::None, false, false, false, V::Idle}},
        {"start shows it again", true, false, {desktop, hide, toggle, toggle}, {S::Desktop, true, true, true, V::Drawing}},
        {"choosing again while running restarts", true, true, {desktop, desktop}, {S::Desktop, true, true, true, V::Drawing}},
        {"stop projection drops a pending frame", false, true, {desktop, one, stopProjection}, {S::None, false, false, true, V::Idle}},
        {"stop all hides the target and goes idle", true, true, {desktop, stopAll}, {S::None, false, false, false, V::Idle}},
        {"stop all with nothing chosen", true, true, {stopAll}, {S::None, false, false, false, V::Idle}},
        {"start after stop all shows the target", true, true, {desktop, stopAll, desktop}, {S::Desktop, true, true, true, V::Drawing}},
        {"a window area runs on the frame loop", true, false, {pickWindow}, {S::WindowArea, true, true, true, V::Drawing}},
        {"a window area waits without auto run", false, true, {pickWindow}, {S::WindowArea, false, false, true, V::Idle}},
        {"one frame of a window area", false, true, {pickWindow, one}, {S::WindowArea, false, true, true, V::Drawing, true}},
        // Focus runs on its own timer; the frame timer stays off.
        {"focus runs on its own timer", true, false, {focus}, {S::Focus, true, false, true, V::Drawing, false, true}},
        {"focus chosen again keeps it running", true, true, {focus, focus}, {S::Focus, true, false, true, V::Drawing, false, true}},
        {"focus chosen again starts it when stopped", true, true, {focus, toggle, focus},
         {S::Focus, true, false, true, V::Drawing, false, true}},
        {"focus waits without auto run", false, true, {focus}, {S::Focus, false, false, true, V::Idle}},
        {"one frame of focus", false, true, {focus, one}, {S::Focus, false, false, true, V::Drawing, true, true}},
        {"after that focus frame its timer stops", false, true, {focus, one, frame}, {S::Focus, false, false, true, V::Drawing}},
        {"desktop after focus swaps the timers", true, true, {focus, desktop}, {S::Desktop, true, true, true, V::Drawing}},
        {"focus after desktop swaps them back", true, true, {desktop, focus}, {S::Focus, true, false, true, V::Drawing, false, true}},
        {"stop projection ends focus", true, true, {focus, stopProjection}, {S::None, false, false, true, V::Idle}},
    };
    for (const auto& c : cases) {
        FakeHost host;
        host.visible = c.visibleAtStart;
        Session s(host);
        s.setAutoRun(c.autoRun);
        for (const auto& step : c.steps)
            step(s, host);
        EXPECT_EQ(s.source(), c.want.source) << c.name;
        EXPECT_EQ(s.running(), c.want.running) << c.name;
        EXPECT_EQ(host.running, c.want.running) << c.name;
        EXPECT_EQ(host.timer, c.want.timer) << c.name;
        EXPECT_EQ(host.focusTimer, c.want.focusTimer) << c.name;
        EXPECT_EQ(host.visible, c.want.visible) << c.name;
        EXPECT_EQ(host.view, c.want.view) << c.name;
        EXPECT_EQ(s.oneShotPending(), c.want.oneShot) << c.name;
        EXPECT_FALSE(host.offered) << c.name;
    }
}

TEST(Session, RunWithNothingChosenOffersTheSources)
{
    FakeHost host;
    Session s(host);
    s.toggle();
    EXPECT_TRUE(host.offered);
    EXPECT_FALSE(s.running());
    EXPECT_FALSE(host.timer);
    EXPECT_FALSE(host.visible);
    EXPECT_EQ(host.clears, 0);
}

TEST(Session, DesktopUsesTheGivenRectangle)
{
    FakeHost host;
    Session s(host);
    s.chooseDesktop(QRect(0, 0, 1280, 1024));
    EXPECT_EQ(s.mirrorRect(), QRect(0, 0, 1280, 1024));
    s.chooseArea(QRect(-100, 5, 50, 60));
    EXPECT_EQ(s.mirrorRect(), QRect(-100, 5, 50, 60));
    EXPECT_GE(host.clears, 2); // a new source never shows the old one's last frame
}

} // namespace

TEST(Session, TrayHintFollowsTheSource)
{
    FakeHost host;
    Session s(host);
    EXPECT_EQ(s.trayHint(), 0);
    s.chooseDesktop(QRect(0, 0, 1280, 1024));
    EXPECT_EQ(s.trayHint(), 1);
    s.chooseArea(QRect(10, 10, 100, 100));
    EXPECT_EQ(s.trayHint(), 2);
    // Focus has no hint text of its own: the icon keeps the one it had.
    s.chooseFocus(QRect(10, 10, 100, 56));
    EXPECT_FALSE(toolbar::trayHintText(s.trayHint()).has_value());
    s.stopAll();
    EXPECT_EQ(s.trayHint(), 0);
}

TEST(Session, FollowingAWindow)
{
    FakeHost host;
    Session s(host);
    s.chooseWindow(0x2a00007, QRect(100, 100, 640, 480));
    EXPECT_EQ(s.window(), 0x2a00007u);
    EXPECT_EQ(s.trayHint(), 3);
    s.followWindow(QRect(150, 90, 700, 500));
    EXPECT_EQ(s.mirrorRect(), QRect(150, 90, 700, 500));
    // Only a window area follows a window.
    s.chooseDesktop(QRect(0, 0, 1920, 1080));
    EXPECT_EQ(s.window(), 0u);
    s.followWindow(QRect(1, 1, 5, 5));
    EXPECT_EQ(s.mirrorRect(), QRect(0, 0, 1920, 1080));
    s.chooseWindow(7, QRect(0, 0, 10, 10));
    s.stopProjection();
    EXPECT_EQ(s.window(), 0u);
    EXPECT_EQ(s.source(), SourceKind::None);
}

// The slideshow source: chosen, it stops what runs and waits for Run; Run
// plays with neither timer; every way of stopping stops the player; while
// the editor is open Run does nothing.
TEST(Session, Slideshow)
{
    FakeHost host;
    Session s(host);
    s.chooseDesktop(QRect(0, 0, 800, 600));
    ASSERT_TRUE(s.running());
    s.chooseSlideshow();
    EXPECT_FALSE(s.running());
    EXPECT_FALSE(host.timer);
    EXPECT_EQ(s.source(), SourceKind::Slideshow);
    EXPECT_EQ(s.trayHint(), 5);
    EXPECT_EQ(host.slideshowStarts, 0);

    host.editorOpen = true;
    s.toggle();
    EXPECT_FALSE(s.running());
    EXPECT_EQ(host.slideshowStarts, 0);
    host.editorOpen = false;

    s.toggle();
    EXPECT_TRUE(s.running());
    EXPECT_EQ(host.slideshowStarts, 1);
    EXPECT_EQ(host.view, TargetView::Slideshow);
    EXPECT_FALSE(host.timer);
    EXPECT_FALSE(host.focusTimer);
    s.toggle();
    EXPECT_EQ(host.slideshowStops, 1);

    s.start();
    s.stopProjection();
    EXPECT_EQ(host.slideshowStops, 2);
    EXPECT_EQ(s.source(), SourceKind::None);

    s.chooseSlideshow();
    s.start();
    s.stopAll();
    EXPECT_FALSE(host.visible);
    EXPECT_EQ(s.source(), SourceKind::None);

    s.chooseSlideshow();
    s.leaveSlideshow();
    EXPECT_EQ(s.source(), SourceKind::None);
    EXPECT_EQ(s.trayHint(), 0);
    s.chooseClipboard();
    s.leaveSlideshow(); // another source stays as it is
    EXPECT_EQ(s.source(), SourceKind::Clipboard);
}
