// The floating toolbar on a real desktop: what the window manager makes of
// it, its see-through modes, and its buttons and menus clicked with real
// pointer events (xdotool). Runs under tests/desktop/vdesk.

#include "display/shell/mainform.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "tests/support/xreadback.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <xcb/shape.h>
#include <xcb/xcb.h>

using namespace mirovex;
using mirovex::test::grabRoot;
using mirovex::test::waitUntil;

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(5000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QString xprop(const QWidget& w, const char* property)
{
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(w.winId()), QLatin1String(property)});
}

// Real pointer events, as a presenter's mouse sends them.
void pointerTo(QPoint global)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
}
void click(QPoint global)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
                                    QStringLiteral("click"), QStringLiteral("1")});
}
QPoint centreOf(const QWidget* w) { return w->mapToGlobal(w->rect().center()); }
QPoint centreOf(QMenu* menu, QAction* a) { return menu->mapToGlobal(menu->actionGeometry(a).center()); }

// The window's bounding shape as the X server has it, in window coordinates.
QRegion boundingShape(const QWidget& w)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    QRegion out;
    auto* r = xcb_shape_get_rectangles_reply(
        c, xcb_shape_get_rectangles(c, xcb_window_t(w.winId()), XCB_SHAPE_SK_BOUNDING), nullptr);
    if (r) {
        const xcb_rectangle_t* rects = xcb_shape_get_rectangles_rectangles(r);
        for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(r); ++i)
            out += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
        std::free(r);
    }
    xcb_disconnect(c);
    return out;
}

// Client windows bottom to top, as the window manager stacks them.
QList<quint32> stacking()
{
    QList<quint32> out;
    const QString s = run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    for (const QString& part : s.section(QLatin1Char('#'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        out.append(part.trimmed().toUInt(nullptr, 16));
    return out;
}

QRgb at(const QImage& shot, QPoint p) { return shot.pixel(p) | 0xff000000u; }

// A window whose colour changes on every frame, so that a mirrored picture
// that stops changing shows that no frame was taken.
class Animated : public QWidget {
public:
    Animated() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            ++step_;
            update();
        });
    }
    void animate(bool on) { on ? timer_.start(16) : timer_.stop(); }
    QRgb colour() const { return qRgb(step_ * 37 % 256, 255 - step_ * 11 % 256, 128); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(colour())); }

private:
    QTimer timer_;
    int step_ = 0;
};

const QRgb kFace = qRgb(0x1D, 0x21, 0x25);
// Between the menu and the send buttons: the bare panel.
const QPoint kPanelSpot(62, 21);

} // namespace

class ToolbarTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void windowManagerSeesAFixedToolWindowAbove();
    void hiddenSendButtonNarrowsIt();
    void seeThroughUsesTheKeyColour();
    void runWithNothingChosenOffersTheSources();
    void presentingFromTheToolbar();
    void stopAllHidesTheTargetAndGoesIdle();
    void dragSnapsToTheEdgeAndIsStored();
    void aPositionOffEveryDisplayComesBack();
    void opacityComesBackUnderThePointer();
    void keepsInFrontAndSetsTheTrayHint();
    void closingSavesTheSettings();

private:
    void makeToolbar();

    QList<platform::Monitor> m_monitors;
    std::unique_ptr<MirrorController> m_ctl;
    std::unique_ptr<TMainForm> m_bar;
    QString m_hint;
};

void ToolbarTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    m_monitors = platform::monitors();
    QVERIFY(!m_monitors.isEmpty());
}

void ToolbarTest::init()
{
    QFile::remove(settings::mainFilePath());
    m_ctl = std::make_unique<MirrorController>();
    makeToolbar();
}

void ToolbarTest::makeToolbar()
{
    m_bar.reset();
    m_bar = std::make_unique<TMainForm>(*m_ctl);
    m_bar->setTrayHintSink([this](const QString& h) { m_hint = h; });
    m_bar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_bar.get()));
}

void ToolbarTest::cleanup()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    m_bar.reset();
    m_ctl.reset();
    pointerTo(QPoint(5, 400));
}

void ToolbarTest::windowManagerSeesAFixedToolWindowAbove()
{
    QVERIFY(waitUntil([&] { return xprop(*m_bar, "_NET_WM_STATE").contains("_NET_WM_STATE_SKIP_TASKBAR"); }, 3000));
    const QString state = xprop(*m_bar, "_NET_WM_STATE");
    QVERIFY2(state.contains("_NET_WM_STATE_ABOVE"), qPrintable(state));
    QVERIFY2(state.contains("_NET_WM_STATE_SKIP_PAGER"), qPrintable(state));
    QCOMPARE(xprop(*m_bar, "WM_NAME").section(QLatin1Char('"'), 1, 1), QStringLiteral("Mirovex"));

    // Not resizable: the window manager is told minimum = maximum.
    const QString hints = xprop(*m_bar, "WM_NORMAL_HINTS");
    QVERIFY2(hints.contains("minimum size: 238 by 42") && hints.contains("maximum size: 238 by 42"), qPrintable(hints));
    // Borderless, and at the default spot of a new settings folder.
    QVERIFY2(xprop(*m_bar, "_MOTIF_WM_HINTS").contains("0x2, 0x1, 0x0"), "decorations not switched off");
    const QRect placed(platform::desktopFrame().toRoot(QPoint(300, 600)), QSize(238, 42));
    if (!waitUntil([&] { return m_bar->frameGeometry() == placed; }, 3000)) {
        const QRect g = m_bar->frameGeometry();
        QFAIL(qPrintable(QStringLiteral("toolbar at %1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height())));
    }

    // Rounded corners cut out of the shape, the rest of it whole.
    const QRegion shape = boundingShape(*m_bar);
    for (const QPoint p : {QPoint(0, 0), QPoint(237, 0), QPoint(0, 41), QPoint(237, 41)})
        QVERIFY2(!shape.contains(p), qPrintable(QStringLiteral("corner %1,%2 is in the shape").arg(p.x()).arg(p.y())));
    for (const QPoint p : {QPoint(3, 3), QPoint(234, 38), QPoint(119, 0), kPanelSpot})
        QVERIFY2(shape.contains(p), qPrintable(QStringLiteral("%1,%2 is not in the shape").arg(p.x()).arg(p.y())));

    // The buttons, where a presenter expects them, in the toolbar's colour.
    QCOMPARE(m_bar->menuButton()->geometry(), QRect(11, 5, 50, 29));
    QCOMPARE(m_bar->sendButton()->geometry(), QRect(64, 5, 50, 29));
    QCOMPARE(m_bar->quickButton()->geometry(), QRect(117, 5, 50, 29));
    QCOMPARE(m_bar->runButton()->geometry(), QRect(171, 5, 50, 29));
    QCOMPARE(m_bar->sendButton()->toolTip(), QStringLiteral("Send To Target Display"));
    QCOMPARE(m_bar->quickButton()->toolTip(), QStringLiteral("Quick Show"));
    QCOMPARE(m_bar->runButton()->toolTip(), QStringLiteral("Run"));
    const QRect onRoot = m_bar->frameGeometry();
    QVERIFY(waitUntil([&] { return at(grabRoot(onRoot), kPanelSpot) == kFace; }, 3000));
}

void ToolbarTest::hiddenSendButtonNarrowsIt()
{
    m_bar->setShowSendButton(false);
    QVERIFY(waitUntil([&] { return xprop(*m_bar, "WM_NORMAL_HINTS").contains("maximum size: 183 by 42"); }, 3000));
    QVERIFY(waitUntil([&] { return m_bar->frameGeometry().size() == QSize(183, 42); }, 3000));
    QVERIFY(!m_bar->sendButton()->isVisible());
    QCOMPARE(m_bar->quickButton()->geometry().left(), 64);
    QCOMPARE(m_bar->runButton()->geometry().left(), 117);
    QVERIFY(waitUntil([&] { return !boundingShape(*m_bar).contains(QPoint(182, 41)); }, 3000));
    QVERIFY(boundingShape(*m_bar).contains(QPoint(179, 38)));
}

void ToolbarTest::seeThroughUsesTheKeyColour()
{
    // Something known behind the toolbar.
    QWidget behind(nullptr, Qt::Window | Qt::FramelessWindowHint);
    behind.setStyleSheet(QStringLiteral("background: #3070b0"));
    behind.setGeometry(m_bar->frameGeometry().adjusted(-20, -20, 20, 20));
    behind.show();
    QVERIFY(QTest::qWaitForWindowExposed(&behind));
    m_bar->raise();
    const QRgb blue = qRgb(0x30, 0x70, 0xb0);
    const QRect onRoot = m_bar->frameGeometry();
    // The middle of the run picture: white whatever the style.
    const QPoint glyph = m_bar->runButton()->geometry().center() + QPoint(-2, 0);
    const bool compositor = qEnvironmentVariable("VDESK_COMPOSITOR") == QLatin1String("1");
    QCOMPARE(m_bar->seeThroughByAlpha(), compositor);

    m_bar->setTransparent(true);
    QVERIFY2(waitUntil([&] { return at(grabRoot(onRoot), kPanelSpot) == blue; }, 3000),
             "the key colour does not let the window behind show");
    QVERIFY(waitUntil([&] { return at(grabRoot(onRoot), glyph) == qRgb(255, 255, 255); }, 3000));
    if (compositor) {
        // The compositor blends; the shape stays whole, so every pixel of
        // the toolbar still takes the pointer.
        QVERIFY(boundingShape(*m_bar).contains(kPanelSpot));
    } else {
        // No compositor: the key colour is cut out of the shape.
        QVERIFY(!boundingShape(*m_bar).contains(kPanelSpot));
        QVERIFY(boundingShape(*m_bar).contains(glyph));
    }

    m_bar->setTransparent(false);
    QVERIFY(waitUntil([&] { return at(grabRoot(onRoot), kPanelSpot) == kFace; }, 3000));
    QVERIFY(waitUntil([&] { return boundingShape(*m_bar).contains(kPanelSpot); }, 3000));
}

void ToolbarTest::runWithNothingChosenOffersTheSources()
{
    click(centreOf(m_bar->runButton()));
    QVERIFY(waitUntil([&] { return QApplication::activePopupWidget() == m_bar->quickMenu(); }, 3000));
    // Below the Quick Show button, 5 pixels under it.
    QCOMPARE(m_bar->quickMenu()->pos(), m_bar->quickButton()->mapToGlobal(QPoint(0, 29 + 5)));
    QCOMPARE(m_ctl->session().source(), SourceKind::None);
    QVERIFY(!m_ctl->session().running());
    QVERIFY(!m_ctl->target().isVisible());
    // Items whose commands this toolbar was not given are there, but cannot
    // be chosen.
    for (const char* later : {"Select Desktop Area", "Previously Selected Desktop Area", "Window Area"}) {
        QAction* a = m_bar->action(QLatin1String(later));
        QVERIFY2(a && !a->isEnabled(), later);
    }
    QVERIFY(m_bar->action(QStringLiteral("Desktop"))->isEnabled());
    QVERIFY(m_bar->action(QStringLiteral("Clipboard"))->isEnabled());
    QVERIFY(m_bar->action(QStringLiteral("Auto Run After Selection"))->isChecked());
}

void ToolbarTest::presentingFromTheToolbar()
{
    Animated source;
    // On the primary, clear of the toolbar and of a one-display target.
    source.setGeometry(QRect(m_monitors[0].root.topLeft() + QPoint(700, 300), QSize(300, 200)));
    source.show();
    QVERIFY(QTest::qWaitForWindowExposed(&source));

    // Quick Show > Desktop starts the mirror (auto run is on).
    click(centreOf(m_bar->quickButton()));
    QVERIFY(waitUntil([&] { return QApplication::activePopupWidget() == m_bar->quickMenu(); }, 3000));
    click(centreOf(m_bar->quickMenu(), m_bar->action(QStringLiteral("Desktop"))));
    QVERIFY(waitUntil([&] { return m_ctl->session().running(); }, 3000));
    QCOMPARE(m_ctl->session().source(), SourceKind::Desktop);
    QCOMPARE(m_bar->runButton()->toolTip(), QStringLiteral("Stop"));
    QVERIFY(waitUntil([&] { return m_ctl->target().isVisible(); }, 3000));
    QVERIFY(m_ctl->screenSaverHeld());

    // Stop: the last frame stays; nothing new is taken while the source moves.
    click(centreOf(m_bar->runButton()));
    QVERIFY(waitUntil([&] { return !m_ctl->session().running(); }, 3000));
    QCOMPARE(m_bar->runButton()->toolTip(), QStringLiteral("Run"));
    QVERIFY(!m_ctl->screenSaverHeld());
    source.animate(true);
    const quint64 before = m_ctl->frameLoop().framesShown();
    QTest::qWait(300);
    QCOMPARE(m_ctl->frameLoop().framesShown(), before);

    // Send To Target Display: exactly one new frame, then still again.
    click(centreOf(m_bar->sendButton()));
    QVERIFY(waitUntil([&] { return m_ctl->frameLoop().framesShown() > before; }, 3000));
    QTest::qWait(400);
    QCOMPARE(m_ctl->frameLoop().framesShown(), before + 1);
    QVERIFY(!m_ctl->frameLoop().enabled());
    const QImage frozen = m_ctl->target().displayedPicture();
    QTest::qWait(200);
    QCOMPARE(m_ctl->target().displayedPicture(), frozen);
    source.animate(false);

    // Stop Projection: back to the idle panel, the target window stays.
    click(centreOf(m_bar->menuButton()));
    QVERIFY(waitUntil([&] { return QApplication::activePopupWidget() == m_bar->optionsMenu(); }, 3000));
    QCOMPARE(m_bar->optionsMenu()->pos(), m_bar->menuButton()->mapToGlobal(QPoint(0, 29 + 5)));
    click(centreOf(m_bar->optionsMenu(), m_bar->action(QStringLiteral("Stop Projection"))));
    QVERIFY(waitUntil([&] { return m_ctl->target().view() == TargetView::Idle; }, 3000));
    QCOMPARE(m_ctl->session().source(), SourceKind::None);
    QVERIFY(m_ctl->target().isVisible());
}

void ToolbarTest::stopAllHidesTheTargetAndGoesIdle()
{
    m_ctl->chooseDesktop();
    QVERIFY(waitUntil([&] { return m_ctl->target().isVisible(); }, 3000));
    QVERIFY(m_ctl->screenSaverHeld());
    click(centreOf(m_bar->menuButton()));
    QVERIFY(waitUntil([&] { return QApplication::activePopupWidget() == m_bar->optionsMenu(); }, 3000));
    click(centreOf(m_bar->optionsMenu(), m_bar->action(QStringLiteral("Stop All"))));
    QVERIFY(waitUntil([&] { return m_ctl->session().source() == SourceKind::None; }, 3000));
    QVERIFY(!m_ctl->session().running());
    QVERIFY(!m_ctl->screenSaverHeld());
    // It stays hidden: nothing brings it back behind the presenter's back.
    QTest::qWait(300);
    QVERIFY(!m_ctl->target().isVisible());
    QCOMPARE(m_ctl->target().view(), TargetView::Idle);
}

void ToolbarTest::dragSnapsToTheEdgeAndIsStored()
{
    const QRect work = m_monitors[0].screen->availableGeometry();
    const QPoint grip = m_bar->mapToGlobal(kPanelSpot);
    // Drag so that the toolbar's left edge lands 25 pixels right of the work
    // area's, and its top 300 below the work area's top.
    const QPoint to = QPoint(work.left() + 25, work.top() + 300) + kPanelSpot;
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(grip.x()), QString::number(grip.y()),
                                    QStringLiteral("mousedown"), QStringLiteral("1")});
    for (int i = 1; i <= 5; ++i) {
        const QPoint p = grip + (to - grip) * i / 5;
        pointerTo(p);
        QTest::qWait(30);
    }
    run(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QStringLiteral("1")});
    QVERIFY(waitUntil([&] { return m_bar->frameGeometry().topLeft() == QPoint(work.left(), work.top() + 300); }, 3000));
    // Stored when the button comes up.
    const QPoint inFrame = platform::desktopFrame().fromRoot(m_bar->frameGeometry().topLeft());
    QVERIFY(waitUntil([&] { return SettingsFile(settings::mainFilePath()).read(settings::key::mainFormX) == inFrame.x(); }, 3000));
    const SettingsFile file(settings::mainFilePath());
    QCOMPARE(QPoint(file.read(settings::key::mainFormX), file.read(settings::key::mainFormY)), inFrame);
    QCOMPARE(QPoint(file.read(settings::key::velikostLevo), file.read(settings::key::velikostGor)), inFrame);
}

void ToolbarTest::aPositionOffEveryDisplayComesBack()
{
    SettingsEdit(settings::mainFilePath())
        .set(settings::key::velikostLevo, -20000)
        .set(settings::key::velikostGor, 300)
        .commit();
    makeToolbar();
    QVERIFY(waitUntil([&] { return m_monitors[0].root.contains(m_bar->frameGeometry()); }, 3000));
    QCOMPARE(m_bar->frameGeometry().topLeft(), platform::desktopFrame().toRoot(QPoint(450, 450)));
}

void ToolbarTest::opacityComesBackUnderThePointer()
{
    QVERIFY(!m_bar->watchingPointer());
    pointerTo(m_monitors[0].root.center());
    m_bar->setOpacity(100);
    QVERIFY(m_bar->watchingPointer());
    QVERIFY(waitUntil([&] { return xprop(*m_bar, "_NET_WM_WINDOW_OPACITY").contains("= "); }, 3000));
    QTest::qWait(100);
    QCOMPARE(m_bar->opacity(), 100);

    pointerTo(m_bar->mapToGlobal(kPanelSpot));
    QVERIFY(waitUntil([&] { return m_bar->opacity() == 255; }, 2000));
    QVERIFY(!m_bar->watchingPointer());

    // The top-left corner of the toolbar's display brings it back too.
    pointerTo(m_monitors[0].root.center());
    m_bar->setOpacity(5);
    pointerTo(m_monitors[0].root.topLeft() + QPoint(3, 3));
    QVERIFY(waitUntil([&] { return m_bar->opacity() == 255; }, 2000));
}

void ToolbarTest::keepsInFrontAndSetsTheTrayHint()
{
    QWidget other(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    other.setWindowTitle(QStringLiteral("other"));
    other.setGeometry(m_bar->frameGeometry().adjusted(-30, -30, 30, 30));
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    other.raise();
    const auto toolbarAbove = [&] {
        const QList<quint32> order = stacking();
        return order.indexOf(quint32(m_bar->winId())) > order.indexOf(quint32(other.winId()));
    };
    QVERIFY(waitUntil([&] { return !toolbarAbove(); }, 3000));

    m_ctl->chooseDesktop();
    m_bar->keepInFrontTick();
    QVERIFY(waitUntil(toolbarAbove, 3000));
    QCOMPARE(m_hint, QStringLiteral("Mirovex\nShow desktop"));

    // Not while the bring-to-front is held back.
    other.raise();
    QVERIFY(waitUntil([&] { return !toolbarAbove(); }, 3000));
    m_bar->setBringToFrontAllowed(false);
    m_bar->keepInFrontTick();
    QTest::qWait(300);
    QVERIFY(!toolbarAbove());

    m_ctl->session().stopProjection();
    m_bar->keepInFrontTick();
    QCOMPARE(m_hint, QStringLiteral("Mirovex"));
}

void ToolbarTest::closingSavesTheSettings()
{
    m_bar->placeAt(m_bar->pos() + QPoint(40, -30));
    QVERIFY(waitUntil([&] { return m_bar->pos() == m_bar->frameGeometry().topLeft(); }, 3000));
    click(centreOf(m_bar->quickButton()));
    QVERIFY(waitUntil([&] { return QApplication::activePopupWidget() == m_bar->quickMenu(); }, 3000));
    click(centreOf(m_bar->quickMenu(), m_bar->action(QStringLiteral("Auto Run After Selection"))));
    QVERIFY(waitUntil([&] { return !m_ctl->session().autoRun(); }, 3000));
    // Switching auto run saves every setting at once.
    QVERIFY(!SettingsFile(settings::mainFilePath()).read(settings::key::samozagon));

    m_bar->setTransparent(true);
    const QPoint inFrame = platform::desktopFrame().fromRoot(m_bar->pos());
    QVERIFY(m_bar->close());
    const SettingsFile file(settings::mainFilePath());
    QCOMPARE(QPoint(file.read(settings::key::mainFormX), file.read(settings::key::mainFormY)), inFrame);
    QCOMPARE(QPoint(file.read(settings::key::velikostLevo), file.read(settings::key::velikostGor)), inFrame);
    QVERIFY(file.read(settings::key::prosojenBar));
    QVERIFY(file.read(settings::key::showSendOne));

    // A new toolbar comes back where this one was, in the same style.
    makeToolbar();
    QCOMPARE(platform::desktopFrame().fromRoot(m_bar->pos()), inFrame);
    QVERIFY(m_bar->transparent());
    QVERIFY(!m_bar->action(QStringLiteral("Auto Run After Selection"))->isChecked());
}

QTEST_MAIN(ToolbarTest)
#include "toolbar_test.moc"
