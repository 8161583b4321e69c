// Frames worked only where the screen changed, on a real desktop: a window
// of coloured blocks on the primary display is mirrored onto the target
// display; blocks change colour, the real pointer moves (xdotool), effects
// and the ring switch on and off, and after each the target must hold
// exactly what a frame worked whole would show. Runs under
// tests/desktop/vdesk, with and without a compositor.

#include "common/geometry/aspectfit.h"
#include "display/engine/framediff.h"
#include "display/engine/mirrorcontroller.h"
#include "display/settings/mirovexsettings.h"
#include "platform/monitors.h"
#include "tests/support/xreadback.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QWidget>

using namespace mirovex;
using mirovex::test::grabRoot;
using mirovex::test::waitUntil;

namespace {

constexpr int kCols = 8, kRows = 6, kBlock = 50;

class BlockWindow : public QWidget {
public:
    BlockWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        for (int i = 0; i < kCols * kRows; ++i)
            colours.append(qRgb((i * 37) & 255, (i * 91) & 255, (i * 53) & 255));
    }
    QVector<QRgb> colours;
    static QRect block(int i) { return QRect((i % kCols) * kBlock, (i / kCols) * kBlock, kBlock, kBlock); }
    void setBlock(int i, QRgb c)
    {
        colours[i] = c;
        update(block(i));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        for (int i = 0; i < colours.size(); ++i)
            p.fillRect(block(i), QColor(colours[i]));
    }
};

bool xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(10000) && p.exitCode() == 0;
}

bool movePointer(QPoint root)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(root.x()), QString::number(root.y())});
}

// How many pixels differ, and their bounding box.
struct Diff {
    int count = 0;
    QRect box;
};
Diff difference(const QImage& a, const QImage& b)
{
    Diff d;
    if (a.size() != b.size())
        return {-1, {}};
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if ((pa[x] ^ pb[x]) & 0xFFFFFF) {
                ++d.count;
                d.box |= QRect(x, y, 1, 1);
            }
    }
    return d;
}

} // namespace

class ChangedPartsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void stillScreenSleeps();
    void oneBlockChangesOnlyItsPlace();
    void pointerLeavesNoTrail();
    void effectsAndRingOverAStillScreen();
    void randomChangesEndAsAWholeFrame();
    void fullFramesKeyWorksEveryFrameWhole();
    void monitorsChangedUnderAStillPicture();
    void withoutDamageEveryFrameIsWhole();

private:
    FrameLoop& loop() { return m_ctl->frameLoop(); }
    QRect targetOnRoot() const { return QRect(m_ctl->target().mapToGlobal(QPoint(0, 0)), m_ctl->target().size()); }
    QRect fitted() const { return aspectFit(m_area.size(), m_ctl->target().size()); }
    // Waits until nothing is being worked: the loop asleep, or, where it
    // cannot sleep (the ring), a few more frames shown.
    bool settle();
    // The target now, and after one frame worked whole: equal byte for byte,
    // on the back buffer and on the screen.
    void compareWithWholeFrame(const char* when);
    void start();
    // Moves the pointer and waits until a frame showed it.
    void moveShown(QPoint root);

    QList<platform::Monitor> m_monitors;
    std::unique_ptr<BlockWindow> m_blocks;
    std::unique_ptr<MirrorController> m_ctl;
    QRect m_area;   // the block window, in the programs' frame
    QRect m_onRoot; // and on the root
};

void ChangedPartsTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    m_monitors = platform::monitors();
    QVERIFY(m_monitors.size() >= 2);
}

void ChangedPartsTest::init()
{
    // On the server without DAMAGE only the test of that case applies.
    const bool noDamage = qEnvironmentVariableIsSet("MIROVEX_TEST_NO_DAMAGE");
    if (noDamage != (QTest::currentTestFunction() == QLatin1String("withoutDamageEveryFrameIsWhole")))
        QSKIP(noDamage ? "the server has no DAMAGE" : "for the server without DAMAGE");
    QFile::remove(settings::mainFilePath());
    m_blocks = std::make_unique<BlockWindow>();
    m_blocks->setWindowTitle(QStringLiteral("blocks"));
    m_onRoot = QRect(m_monitors.first().root.topLeft() + QPoint(601, 401), QSize(kCols * kBlock, kRows * kBlock));
    m_blocks->setGeometry(m_onRoot);
    m_blocks->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_blocks.get()));
    QVERIFY(movePointer(m_monitors.first().root.topLeft() + QPoint(100, 100)));
    m_area = platform::desktopFrame().fromRoot(m_onRoot);
    m_ctl = std::make_unique<MirrorController>();
}

void ChangedPartsTest::cleanup()
{
    m_ctl.reset();
    m_blocks.reset();
}

void ChangedPartsTest::start()
{
    m_ctl->chooseArea(m_area);
    QVERIFY(m_ctl->session().running());
    QVERIFY(waitUntil([&] { return m_ctl->target().isVisible() && m_ctl->target().geometry() == m_monitors[1].root; },
                      10000));
    QVERIFY(waitUntil([&] { return loop().framesShown() > 0; }, 10000));
}

void ChangedPartsTest::moveShown(QPoint root)
{
    const quint64 shown = loop().framesShown();
    QVERIFY(movePointer(root));
    QVERIFY2(waitUntil([&] { return loop().framesShown() > shown; }, 10000), "the move was not shown");
}

bool ChangedPartsTest::settle()
{
    if (m_ctl->cursorStyle().ring) {
        const quint64 shown = loop().framesShown();
        return waitUntil([&] { return loop().framesShown() >= shown + 5; }, 10000);
    }
    // Asleep, and still asleep with no new frame over several looks a tenth
    // of a second apart: a change just made (a paint still queued, a pointer
    // warp the slow look has not seen yet) has been taken up by then.
    quint64 shown = loop().framesShown();
    int still = 0;
    return waitUntil(
        [&] {
            QTest::qWait(100);
            const bool same = loop().asleep() && loop().framesShown() == shown;
            shown = loop().framesShown();
            still = same ? still + 1 : 0;
            return still >= 3;
        },
        20000);
}

void ChangedPartsTest::compareWithWholeFrame(const char* when)
{
    QVERIFY2(settle(), when);
    const QImage before = m_ctl->target().drawingArea()->picture();
    QImage screen;
    QVERIFY2(waitUntil([&] {
                 screen = grabRoot(targetOnRoot()).convertToFormat(QImage::Format_RGB32);
                 return difference(screen, before).count == 0;
             }, 10000),
             qPrintable(QStringLiteral("%1: the screen differs from the back buffer in %2 pixels")
                            .arg(QLatin1String(when))
                            .arg(difference(screen, before).count)));
    const quint64 shown = loop().framesShown();
    loop().refreshAll();
    QVERIFY2(waitUntil([&] { return loop().framesShown() > shown; }, 10000), when);
    QVERIFY(settle());
    const QImage after = m_ctl->target().drawingArea()->picture();
    const Diff d = difference(before, after);
    if (d.count != 0) {
        const QString dir = qEnvironmentVariable("VDESK_STATE");
        before.save(dir + QStringLiteral("/changed-before.png"));
        after.save(dir + QStringLiteral("/changed-whole.png"));
    }
    QVERIFY2(d.count == 0, qPrintable(QStringLiteral("%1: %2 stale pixels within %3,%4 %5x%6")
                                          .arg(QLatin1String(when))
                                          .arg(d.count)
                                          .arg(d.box.x())
                                          .arg(d.box.y())
                                          .arg(d.box.width())
                                          .arg(d.box.height())));
}

void ChangedPartsTest::stillScreenSleeps()
{
    start();
    // Once the screen is still the loop stops looking; a change wakes it.
    QVERIFY(waitUntil([&] { return loop().asleep(); }, 15000));
    const quint64 shown = loop().framesShown();
    m_blocks->setBlock(0, qRgb(1, 2, 3));
    QVERIFY(waitUntil([&] { return loop().framesShown() > shown; }, 10000));
    QVERIFY(waitUntil([&] { return loop().asleep(); }, 15000));
}

void ChangedPartsTest::oneBlockChangesOnlyItsPlace()
{
    m_ctl->setCursorKind(cursor::Kind::None);
    start();
    QVERIFY(settle());
    const QImage before = grabRoot(targetOnRoot());
    const quint64 partial = loop().partialFrames();
    const int block = 2 * kCols + 3;
    const QRgb colour = qRgb(250, 10, 200);
    m_blocks->setBlock(block, colour);
    // Where the block lands on the target.
    const QRect fit = fitted();
    const QRect span = framediff::scaledSpan(BlockWindow::block(block), m_area.size(), fit, 2);
    const QPoint centre = span.center();
    QVERIFY(waitUntil([&] { return (grabRoot(targetOnRoot()).pixel(centre) & 0xFFFFFF) == (colour & 0xFFFFFF); }, 10000));
    QVERIFY(settle());
    QVERIFY(loop().partialFrames() > partial);
    const QImage after = grabRoot(targetOnRoot());
    const Diff d = difference(before, after);
    QVERIFY(d.count > 0);
    QVERIFY2(span.contains(d.box), qPrintable(QStringLiteral("changed %1,%2 %3x%4 beyond the block's %5,%6 %7x%8")
                                                  .arg(d.box.x()).arg(d.box.y()).arg(d.box.width()).arg(d.box.height())
                                                  .arg(span.x()).arg(span.y()).arg(span.width()).arg(span.height())));
    compareWithWholeFrame("after one block");
}

void ChangedPartsTest::pointerLeavesNoTrail()
{
    m_ctl->setCursorKind(cursor::Kind::Dot);
    start();
    QVERIFY(settle());
    // Across the mirrored area and out of it again, in steps.
    for (int i = 0; i <= 10; ++i) {
        const QPoint p = m_onRoot.topLeft() + QPoint(i * m_onRoot.width() / 8, 20 + i * m_onRoot.height() / 12);
        if (m_onRoot.contains(p))
            moveShown(p);
        else
            QVERIFY(movePointer(p)); // out of the area nothing changes on the target
    }
    compareWithWholeFrame("pointer left the area");
    moveShown(m_onRoot.center());
    compareWithWholeFrame("pointer in the middle");
    m_ctl->setCursorKind(cursor::Kind::Cross);
    moveShown(m_onRoot.center() + QPoint(33, 17));
    compareWithWholeFrame("cross moved");
}

void ChangedPartsTest::effectsAndRingOverAStillScreen()
{
    start();
    moveShown(m_onRoot.center());
    QVERIFY(settle());
    m_ctl->toggleGreyscale();
    compareWithWholeFrame("greyscale on");
    m_blocks->setBlock(5, qRgb(200, 30, 30));
    compareWithWholeFrame("a block changed under greyscale");
    m_ctl->toggleGreyscale();
    m_ctl->toggleSpotlight();
    moveShown(m_onRoot.center() + QPoint(60, 40));
    compareWithWholeFrame("spotlight moved");
    m_ctl->toggleSpotlight();
    m_ctl->toggleRing();
    QVERIFY(m_ctl->cursorStyle().ring);
    // The ring animates: frames keep coming while it is on.
    QVERIFY(settle());
    QVERIFY(!loop().asleep());
    m_ctl->toggleRing();
    compareWithWholeFrame("ring off");
    m_ctl->setInvert(true);
    m_blocks->setBlock(7, qRgb(10, 220, 30));
    compareWithWholeFrame("inverted");
    m_ctl->setInvert(false);
    m_ctl->chooseEffect(fx::kSmoothing);
    m_blocks->setBlock(9, qRgb(90, 20, 230));
    QVERIFY(waitUntil([&] { return loop().asleep(); }, 15000));
    compareWithWholeFrame("a neighbourhood effect");
    m_ctl->chooseEffect(fx::kSmoothing);
    compareWithWholeFrame("effects off");
}

void ChangedPartsTest::randomChangesEndAsAWholeFrame()
{
    m_ctl->setCursorKind(cursor::Kind::Dot);
    start();
    QRandomGenerator random(22);
    for (int step = 0; step < 120; ++step) {
        const quint64 shown = loop().framesShown();
        const int kind = random.bounded(10);
        if (kind < 2) {
            const QPoint p(m_onRoot.x() - 40 + random.bounded(m_onRoot.width() + 80),
                           m_onRoot.y() - 40 + random.bounded(m_onRoot.height() + 80));
            QVERIFY(movePointer(p));
        } else if (kind == 2) {
            // The window moves under the mirrored area: what it uncovers
            // was never drawn by anyone, the server moved it.
            m_blocks->move(m_onRoot.topLeft() + QPoint(random.bounded(41) - 20, random.bounded(41) - 20));
        } else {
            for (int n = 1 + random.bounded(3); n > 0; --n)
                m_blocks->setBlock(random.bounded(kCols * kRows), qRgb(random.bounded(256), random.bounded(256),
                                                                        random.bounded(256)));
        }
        // Changes land sometimes between frames, sometimes in a burst.
        if (random.bounded(3) != 0)
            waitUntil([&] { return loop().framesShown() > shown; }, 200);
    }
    compareWithWholeFrame("after the random changes");
    const QString shot = qEnvironmentVariable("VDESK_STATE") + QStringLiteral("/changed-random.png");
    grabRoot(QRect(0, 0, 8192, 8192)).save(shot);
    qInfo("root after the random changes: %s", qPrintable(shot));
}

void ChangedPartsTest::fullFramesKeyWorksEveryFrameWhole()
{
    QVERIFY(writeSetting(settings::mainFilePath(), settings::key::fullFrames, true));
    m_ctl = std::make_unique<MirrorController>();
    start();
    const quint64 shown = loop().framesShown();
    QVERIFY(waitUntil([&] { return loop().framesShown() > shown + 30; }, 10000));
    QCOMPARE(loop().partialFrames(), quint64(0));
    QVERIFY(!loop().asleep());
}

void ChangedPartsTest::monitorsChangedUnderAStillPicture()
{
    start();
    QVERIFY(settle());
    // The second display goes and comes back: the target window moves away
    // and back, and what it shows must be the whole picture again.
    const platform::Monitor second = m_monitors[1];
    const auto xrandr = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral("xrandr"), args);
        return p.waitForFinished(5000) && p.exitCode() == 0;
    };
    QVERIFY(xrandr({QStringLiteral("--delmonitor"), second.name}));
    QVERIFY(waitUntil([&] { return QGuiApplication::screens().size() == m_monitors.size() - 1; }, 10000));
    const QSize mm(second.root.width() * 254 / 960, second.root.height() * 254 / 960);
    const QString geometry = QStringLiteral("%1/%2x%3/%4+%5+%6")
                                 .arg(second.root.width()).arg(mm.width()).arg(second.root.height()).arg(mm.height())
                                 .arg(second.root.x()).arg(second.root.y());
    QVERIFY(xrandr({QStringLiteral("--setmonitor"), second.name, geometry, QStringLiteral("none")}));
    QVERIFY(waitUntil([&] { return QGuiApplication::screens().size() == m_monitors.size(); }, 10000));
    m_ctl->showTargetOnStoredDisplay();
    QVERIFY(waitUntil([&] { return m_ctl->target().geometry() == second.root; }, 10000));
    compareWithWholeFrame("after the monitors changed");
}

void ChangedPartsTest::withoutDamageEveryFrameIsWhole()
{
    // Nothing tells what changed: every tick is a whole frame, as before,
    // and the picture never freezes.
    m_ctl->setCursorKind(cursor::Kind::None);
    start();
    const quint64 shown = loop().framesShown();
    QVERIFY(waitUntil([&] { return loop().framesShown() > shown + 30; }, 10000));
    QCOMPARE(loop().partialFrames(), quint64(0));
    QVERIFY(!loop().asleep());
    const int block = 3 * kCols + 5;
    const QRgb colour = qRgb(5, 250, 120);
    m_blocks->setBlock(block, colour);
    const QPoint centre = framediff::scaledSpan(BlockWindow::block(block), m_area.size(), fitted(), 0).center();
    QVERIFY(waitUntil([&] { return (grabRoot(targetOnRoot()).pixel(centre) & 0xFFFFFF) == (colour & 0xFFFFFF); }, 10000));
}

QTEST_MAIN(ChangedPartsTest)
#include "changedparts_test.moc"
