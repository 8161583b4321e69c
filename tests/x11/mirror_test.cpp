// The mirror engine on a real desktop: a window with a known pattern on the
// primary display, mirrored onto the target display, read back off the root.
// Runs under tests/desktop/vdesk, which gives the layout in VDESK_LAYOUT.

#include "common/geometry/aspectfit.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "tests/support/xreadback.h"

#include <QApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>

using namespace mirovex;
using mirovex::test::grabRoot;
using mirovex::test::waitUntil;

namespace {

struct Quadrants {
    QRgb tl, tr, bl, br;
};
const Quadrants kFirst{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
const Quadrants kSecond{qRgb(0, 255, 255), qRgb(255, 0, 255), qRgb(255, 255, 255), qRgb(128, 64, 0)};

QRgb inverted(QRgb c) { return qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c)); }
Quadrants inverted(const Quadrants& q) { return {inverted(q.tl), inverted(q.tr), inverted(q.bl), inverted(q.br)}; }

class PatternWindow : public QWidget {
public:
    PatternWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {}
    Quadrants colours = kFirst;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const int w = width() / 2, h = height() / 2;
        p.fillRect(0, 0, w, h, QColor(colours.tl));
        p.fillRect(w, 0, width() - w, h, QColor(colours.tr));
        p.fillRect(0, h, w, height() - h, QColor(colours.bl));
        p.fillRect(w, h, width() - w, height() - h, QColor(colours.br));
    }
};

// Whether the window manager has the window full screen, as it says on the
// window itself (Qt's own idea of it can lag).
bool wmFullScreen(const QWidget& w)
{
    QProcess x;
    x.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(w.winId()), QStringLiteral("_NET_WM_STATE")});
    x.waitForFinished(5000);
    return x.readAllStandardOutput().contains("_NET_WM_STATE_FULLSCREEN");
}

// The top-left corner of the window manager's frame around a window: the
// client's place on the root less the frame extents the manager announces.
QPoint frameCorner(const QWidget& w)
{
    const auto ask = [&](const QString& program, const QStringList& args) {
        QProcess x;
        x.start(program, args);
        x.waitForFinished(5000);
        return QString::fromLocal8Bit(x.readAllStandardOutput());
    };
    const QString id = QString::number(w.winId());
    const QString info = ask(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    const auto field = [&](const char* name) {
        const int at = info.indexOf(QLatin1String(name));
        return at < 0 ? -1 : info.mid(at + int(qstrlen(name))).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    };
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const QStringList extents = ask(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_FRAME_EXTENTS")})
                                    .section(QLatin1Char('='), 1)
                                    .split(QLatin1Char(','));
    if (extents.size() != 4)
        return QPoint(-1, -1);
    return QPoint(field("Absolute upper-left X:") - extents[0].trimmed().toInt(),
                  field("Absolute upper-left Y:") - extents[2].trimmed().toInt());
}

QString hex(QRgb c) { return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0')); }

QRgb at(const QImage& shot, QPoint p) { return shot.pixel(p) | 0xff000000u; }

// What the target shows in `onRoot` (its client on the root) for the
// pattern mirrored into the fitted rectangle: empty when it shows it.
QString checkPicture(const QRect& onRoot, const QRect& fitted, const Quadrants& q, bool bands = true)
{
    const QImage shot = grabRoot(onRoot);
    if (shot.isNull())
        return QStringLiteral("no picture");
    const int qx = fitted.width() / 4, qy = fitted.height() / 4;
    const struct {
        QPoint p;
        QRgb want;
        const char* what;
    } probes[] = {
        {fitted.topLeft() + QPoint(qx, qy), q.tl, "top left"},
        {fitted.topLeft() + QPoint(3 * qx, qy), q.tr, "top right"},
        {fitted.topLeft() + QPoint(qx, 3 * qy), q.bl, "bottom left"},
        {fitted.topLeft() + QPoint(3 * qx, 3 * qy), q.br, "bottom right"},
    };
    for (const auto& pr : probes)
        if (at(shot, pr.p) != pr.want)
            return QStringLiteral("%1 quadrant at %2,%3 is %4, want %5")
                .arg(QLatin1String(pr.what)).arg(pr.p.x()).arg(pr.p.y()).arg(hex(at(shot, pr.p)), hex(pr.want));
    if (bands) {
        const QRect all(QPoint(0, 0), onRoot.size());
        for (const QPoint p : {QPoint(2, all.height() / 2), QPoint(all.width() - 3, all.height() / 2),
                               QPoint(all.width() / 2, 2), QPoint(all.width() / 2, all.height() - 3)})
            if (!fitted.adjusted(-1, -1, 1, 1).contains(p) && at(shot, p) != qRgb(0, 0, 0))
                return QStringLiteral("band pixel %1,%2 is %3, not black").arg(p.x()).arg(p.y()).arg(hex(at(shot, p)));
    }
    return {};
}

} // namespace

class MirrorTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void areaIsFittedWithBlackBands();
    void invertIsLive();
    void stopKeepsTheLastFrameAndSendShowsOne();
    void desktopMirrorsThePrimary();
    void areaOffTheRootIsBlackNotHidden();
    void stopProjectionShowsTheIdlePanel();
    void storedDisplayOutOfRangeMeansTheFirst();
    void hideAndShowKeepAnAreaBeyondThePrimary();
    void emptyAreaShowsNothingAndKeepsTheRequest();
    void nextDisplayWrapsAndIsStored();
    void fullScreenAndFramingToggle();
    void closeStopsAndHides();
    void copyPutsTheShownPictureOnTheClipboard();

private:
    bool twoDisplays() const { return m_monitors.size() >= 2; }
    QRect targetClientOnRoot() const
    {
        return QRect(m_ctl->target().mapToGlobal(QPoint(0, 0)), m_ctl->target().size());
    }
    QRect expectedFitted(QSize area) const { return aspectFit(area, m_ctl->target().size()); }
    void waitForPicture(const Quadrants& q, QSize area, bool bands = true);

    QList<platform::Monitor> m_monitors;
    std::unique_ptr<PatternWindow> m_pattern;
    std::unique_ptr<MirrorController> m_ctl;
    QRect m_area; // the pattern window, in the programs' frame
};

void MirrorTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    m_monitors = platform::monitors();
    QVERIFY(!m_monitors.isEmpty());
}

void MirrorTest::init()
{
    QFile::remove(settings::mainFilePath());
    m_pattern = std::make_unique<PatternWindow>();
    m_pattern->setWindowTitle(QStringLiteral("pattern"));
    // Clear of the corner where a one-display target window sits.
    const QRect root(m_monitors.first().root.topLeft() + QPoint(801, 501), QSize(400, 300));
    m_pattern->setGeometry(root);
    m_pattern->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pattern.get()));
    m_area = platform::desktopFrame().fromRoot(root);
    m_ctl = std::make_unique<MirrorController>();
}

void MirrorTest::cleanup()
{
    m_ctl.reset();
    m_pattern.reset();
}

void MirrorTest::waitForPicture(const Quadrants& q, QSize area, bool bands)
{
    QString why;
    const bool ok = waitUntil(
        [&] {
            why = checkPicture(targetClientOnRoot(), expectedFitted(area), q, bands);
            return why.isEmpty();
        },
        10000);
    if (!ok) {
        const QString shot = qEnvironmentVariable("VDESK_STATE") + QStringLiteral("/mirror-fail.png");
        grabRoot(QRect(0, 0, 8192, 8192)).save(shot);
        QFAIL(qPrintable(why + QStringLiteral(" (root saved to ") + shot + QLatin1Char(')')));
    }
}

void MirrorTest::areaIsFittedWithBlackBands()
{
    m_ctl->chooseArea(m_area);
    QVERIFY(m_ctl->session().running());
    QVERIFY(waitUntil([&] { return m_ctl->target().isVisible(); }, 5000));
    if (twoDisplays()) {
        // Full screen on the second display, the target by default.
        QVERIFY(waitUntil([&] { return m_ctl->target().geometry() == m_monitors[1].root; }, 5000));
    } else {
        // The only display: a normal window of a third of it at its corner.
        QVERIFY(waitUntil([&] { return m_ctl->target().size() == m_monitors[0].root.size() / 3; }, 5000));
        QVERIFY(!m_ctl->target().isFullScreen());
    }
    waitForPicture(kFirst, m_area.size());
}

void MirrorTest::invertIsLive()
{
    m_ctl->chooseArea(m_area);
    waitForPicture(kFirst, m_area.size());
    m_ctl->setInvert(true);
    waitForPicture(inverted(kFirst), m_area.size());
    QVERIFY(SettingsFile(settings::mainFilePath()).read(settings::key::on2C));
    m_ctl->setInvert(false);
    waitForPicture(kFirst, m_area.size());
}

void MirrorTest::stopKeepsTheLastFrameAndSendShowsOne()
{
    m_ctl->chooseArea(m_area);
    waitForPicture(kFirst, m_area.size());
    m_ctl->session().toggle();
    QVERIFY(!m_ctl->session().running());
    QVERIFY(!m_ctl->frameLoop().enabled());
    const quint64 shown = m_ctl->frameLoop().framesShown();

    m_pattern->colours = kSecond;
    m_pattern->update();
    const QRect patternRoot = platform::desktopFrame().toRoot(m_area);
    QVERIFY(waitUntil([&] { return at(grabRoot(patternRoot), QPoint(100, 75)) == kSecond.tl; }, 5000));
    // The source changed; the target still shows the frame it had.
    QCOMPARE(checkPicture(targetClientOnRoot(), expectedFitted(m_area.size()), kFirst), QString());
    QCOMPARE(m_ctl->frameLoop().framesShown(), shown);

    m_ctl->session().sendOneFrame();
    waitForPicture(kSecond, m_area.size());
    QVERIFY(waitUntil([&] { return !m_ctl->frameLoop().enabled(); }, 2000));
    QCOMPARE(m_ctl->frameLoop().framesShown(), shown + 1);
}

void MirrorTest::desktopMirrorsThePrimary()
{
    m_ctl->chooseDesktop();
    QCOMPARE(m_ctl->session().mirrorRect(), QRect(QPoint(0, 0), m_monitors[0].root.size()));
    const QRect fitted = expectedFitted(m_monitors[0].root.size());
    // Where the pattern window must land inside the fitted picture.
    const double s = double(fitted.width()) / m_monitors[0].root.width();
    const QRect inPicture(fitted.x() + int(m_area.x() * s), fitted.y() + int(m_area.y() * s), int(m_area.width() * s),
                          int(m_area.height() * s));
    QString why;
    const bool ok = waitUntil(
        [&] {
            why = checkPicture(targetClientOnRoot(), inPicture, kFirst, false);
            return why.isEmpty();
        },
        10000);
    QVERIFY2(ok, qPrintable(why));
}

void MirrorTest::areaOffTheRootIsBlackNotHidden()
{
    // Half of the area lies beyond the root's left or right edge, where no
    // display is: that half is black, the rest is the picture, and the target
    // window stays up. The edge is the one the target window leaves free.
    m_ctl->showTargetOnStoredDisplay();
    QVERIFY(waitUntil([&] { return m_ctl->target().isVisible(); }, 5000));
    const QSize rootSize = m_ctl->capture().rootSize();
    const QRect atLeft(QPoint(0, 400), QSize(400, 300));
    const QRect atRight(QPoint(rootSize.width() - 400, 400), QSize(400, 300));
    const bool left = !m_ctl->target().frameGeometry().intersects(atLeft);
    const QRect patternRoot = left ? atLeft : atRight;
    const QRect rootArea = patternRoot.translated(left ? -200 : 200, 0);
    m_pattern->setGeometry(patternRoot);
    QVERIFY(waitUntil([&] { return m_pattern->geometry() == patternRoot; }, 5000));
    const QRect frameArea = platform::desktopFrame().fromRoot(rootArea);
    m_ctl->chooseArea(frameArea);
    const QRect fitted = expectedFitted(frameArea.size());
    const int halfW = fitted.width() / 2;
    // Left: the picture's left half is black and its right half the
    // pattern's left quadrants; right: the other way round.
    const QPoint blackAt = fitted.topLeft() + QPoint(left ? halfW / 2 : halfW + halfW / 2, fitted.height() / 4);
    const QPoint patternAt = fitted.topLeft() + QPoint(left ? halfW + halfW / 2 : halfW / 2, fitted.height() / 4);
    const QRgb want = left ? kFirst.tl : kFirst.tr;
    QString why;
    const bool ok = waitUntil(
        [&] {
            const QImage shot = grabRoot(targetClientOnRoot());
            if (shot.isNull())
                return false;
            why = QStringLiteral("off-root part %1, picture part %2").arg(hex(at(shot, blackAt)), hex(at(shot, patternAt)));
            return at(shot, blackAt) == qRgb(0, 0, 0) && at(shot, patternAt) == want;
        },
        10000);
    QVERIFY2(ok, qPrintable(why));
    QVERIFY(m_ctl->target().isVisible());
    QVERIFY(m_ctl->session().running());
}

void MirrorTest::stopProjectionShowsTheIdlePanel()
{
    m_ctl->chooseArea(m_area);
    waitForPicture(kFirst, m_area.size());
    m_ctl->session().stopProjection();
    QCOMPARE(m_ctl->session().source(), SourceKind::None);
    QCOMPARE(m_ctl->target().view(), TargetView::Idle);
    QVERIFY(!m_ctl->frameLoop().enabled());
    // Black with the dark grey name in the middle: no pattern colour left.
    QVERIFY(waitUntil(
        [&] {
            const QImage shot = grabRoot(targetClientOnRoot());
            if (shot.isNull())
                return false;
            bool grey = false;
            for (int x = 0; x < shot.width(); x += 3) {
                const QRgb c = at(shot, QPoint(x, shot.height() / 2));
                if (c == kFirst.tl || c == kFirst.tr)
                    return false;
                grey = grey || c == qRgb(0x2E, 0x2E, 0x2E);
            }
            return grey && at(shot, QPoint(2, 2)) == qRgb(0, 0, 0);
        },
        5000));
    QVERIFY(m_ctl->target().isVisible());
}

void MirrorTest::storedDisplayOutOfRangeMeansTheFirst()
{
    if (!twoDisplays())
        QSKIP("needs two displays");
    for (int stored : {-1, 7}) {
        QVERIFY(writeSetting(settings::mainFilePath(), settings::key::selectMonitor, stored));
        m_ctl->showTargetOnStoredDisplay();
        // Display 0 is the one mirrored: a window of a third of it, so the
        // presenter still sees what is shown.
        QVERIFY2(waitUntil([&] { return m_ctl->target().isVisible() && m_ctl->target().size() == m_monitors[0].root.size() / 3; },
                           5000),
                 qPrintable(QStringLiteral("stored %1: %2x%3+%4+%5 visible %6").arg(stored)
                                .arg(m_ctl->target().width()).arg(m_ctl->target().height())
                                .arg(m_ctl->target().x()).arg(m_ctl->target().y()).arg(m_ctl->target().isVisible())));
        QVERIFY(!m_ctl->target().isFullScreen());
        QVERIFY(m_monitors[0].root.contains(m_ctl->target().geometry().center()));
        m_ctl->hideTarget();
    }
}

void MirrorTest::hideAndShowKeepAnAreaBeyondThePrimary()
{
    if (!twoDisplays())
        QSKIP("needs two displays");
    // The target on the primary (a third-size window in its corner), the
    // area on the second display, beyond the primary's width and height
    // wherever the second display lies.
    QVERIFY(writeSetting(settings::mainFilePath(), settings::key::selectMonitor, 0));
    const QRect second = m_monitors[1].root;
    const QRect patternRoot(second.topLeft() + QPoint(second.width() - 420, second.height() - 320), QSize(400, 300));
    m_pattern->setGeometry(patternRoot);
    QVERIFY(waitUntil([&] { return m_pattern->geometry() == patternRoot; }, 5000));
    const QRect area = platform::desktopFrame().fromRoot(patternRoot);
    m_ctl->chooseArea(area);
    waitForPicture(kFirst, area.size());
    m_ctl->hideTarget();
    QVERIFY(waitUntil([&] { return !m_ctl->target().isVisible(); }, 5000));
    m_ctl->showTargetOnStoredDisplay();
    QVERIFY(waitUntil([&] { return m_ctl->target().isVisible(); }, 5000));
    waitForPicture(kFirst, area.size());
}

void MirrorTest::emptyAreaShowsNothingAndKeepsTheRequest()
{
    m_ctl->session().setAutoRun(false);
    m_ctl->chooseArea(m_area);
    m_ctl->session().sendOneFrame();
    waitForPicture(kFirst, m_area.size());
    const quint64 shown = m_ctl->frameLoop().framesShown();

    // No width: nothing is captured or presented, and the single
    // frame asked for is still owed.
    m_ctl->chooseArea(QRect(m_area.topLeft(), QSize(0, 300)));
    m_ctl->session().sendOneFrame();
    for (int i = 0; i < 10; ++i)
        m_ctl->frameLoop().tick();
    QCOMPARE(m_ctl->frameLoop().framesShown(), shown);
    QVERIFY(m_ctl->session().oneShotPending());
    QVERIFY(m_ctl->frameLoop().enabled());
    QVERIFY(m_ctl->target().isVisible());
}

void MirrorTest::nextDisplayWrapsAndIsStored()
{
    if (!twoDisplays())
        QSKIP("needs two displays");
    m_ctl->showTargetOnStoredDisplay();
    QVERIFY(waitUntil([&] { return m_ctl->target().geometry() == m_monitors[1].root; }, 5000));
    const auto stored = [] { return SettingsFile(settings::mainFilePath()).read(settings::key::selectMonitor); };

    m_ctl->showOnNextDisplay(); // past the last: back to display 0, the mirrored one
    QCOMPARE(stored(), 0);
    QVERIFY(waitUntil([&] { return m_ctl->target().size() == m_monitors[0].root.size() / 3 && !m_ctl->target().isFullScreen(); },
                      5000));
    m_ctl->showOnNextDisplay();
    QCOMPARE(stored(), 1);
    QVERIFY(waitUntil([&] { return m_ctl->target().geometry() == m_monitors[1].root; }, 5000));

    // A stale index (a display that went away) is put right, then stepped on.
    QVERIFY(writeSetting(settings::mainFilePath(), settings::key::selectMonitor, 9));
    m_ctl->showOnNextDisplay();
    QCOMPARE(stored(), 1);
}

void MirrorTest::fullScreenAndFramingToggle()
{
    if (!twoDisplays())
        QSKIP("needs two displays");
    auto& t = m_ctl->target();
    const auto full = [&] { return wmFullScreen(t) && t.geometry() == m_monitors[1].root; };
    const auto framed = [&](QSize size) { return !wmFullScreen(t) && t.size() == size; };
    const QSize third = m_monitors[0].root.size() / 3, quarter = m_monitors[0].root.size() / 4;

    m_ctl->chooseArea(m_area);
    QVERIFY(waitUntil(full, 5000));
    m_ctl->toggleFullScreen();
    QVERIFY2(waitUntil([&] { return framed(third); }, 5000),
             qPrintable(QStringLiteral("wm full %1, %2x%3").arg(wmFullScreen(t)).arg(t.width()).arg(t.height())));
    // The picture follows the new size, bands and all.
    waitForPicture(kFirst, m_area.size());
    m_ctl->toggleFullScreen();
    QVERIFY(waitUntil(full, 5000));
    waitForPicture(kFirst, m_area.size());

    m_ctl->toggleFraming(); // double-click: a quarter of the primary, at its corner
    QVERIFY(waitUntil([&] { return framed(quarter) && m_monitors[0].root.contains(t.geometry().topLeft()); }, 5000));
    // The whole frame, title bar included, is on the primary, at its corner.
    QVERIFY2(waitUntil([&] { return frameCorner(t) == m_monitors[0].root.topLeft(); }, 5000),
             qPrintable(QStringLiteral("frame at %1,%2").arg(frameCorner(t).x()).arg(frameCorner(t).y())));
    m_ctl->toggleFraming(); // full screen again, on the display it now is on
    QVERIFY(waitUntil([&] { return wmFullScreen(t) && t.geometry() == m_monitors[0].root; }, 5000));

    t.setStayOnTop(false);
    QVERIFY(!t.stayOnTop());
    QVERIFY(t.isVisible());
    t.setStayOnTop(true);
    QVERIFY(t.stayOnTop());
}

void MirrorTest::closeStopsAndHides()
{
    m_ctl->chooseArea(m_area);
    waitForPicture(kFirst, m_area.size());
    m_ctl->target().close(); // as the window manager's close button does
    QVERIFY(waitUntil([&] { return !m_ctl->target().isVisible(); }, 5000));
    QCOMPARE(m_ctl->session().source(), SourceKind::None);
    QVERIFY(!m_ctl->session().running());
    QVERIFY(!m_ctl->frameLoop().enabled());
}

void MirrorTest::copyPutsTheShownPictureOnTheClipboard()
{
    QVERIFY(!m_ctl->copyDisplayedToClipboard()); // nothing shown yet
    m_ctl->chooseArea(m_area);
    waitForPicture(kFirst, m_area.size());
    m_ctl->session().stop();
    QVERIFY(m_ctl->copyDisplayedToClipboard());

    // Read back by another program, as a presenter's paste would.
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                          QStringLiteral("-t"), QStringLiteral("image/png")});
    QVERIFY(waitUntil([&] { return xclip.state() == QProcess::NotRunning; }, 10000));
    QCOMPARE(xclip.exitCode(), 0);
    const QImage pasted = QImage::fromData(xclip.readAllStandardOutput(), "PNG");
    QCOMPARE(pasted.size(), m_ctl->target().size());
    const QRect fitted = expectedFitted(m_area.size());
    const QPoint tl = fitted.topLeft() + QPoint(fitted.width() / 4, fitted.height() / 4);
    const QPoint br = fitted.topLeft() + QPoint(3 * fitted.width() / 4, 3 * fitted.height() / 4);
    QCOMPARE(hex(at(pasted, tl)), hex(kFirst.tl));
    QCOMPARE(hex(at(pasted, br)), hex(kFirst.br));
    if (fitted.x() > 2)
        QCOMPARE(hex(at(pasted, QPoint(1, pasted.height() / 2))), hex(qRgb(0, 0, 0)));
}

QTEST_MAIN(MirrorTest)
#include "mirror_test.moc"
