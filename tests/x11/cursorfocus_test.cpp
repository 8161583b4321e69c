// The cursor and the ring on the target display, and the Focus magnifier,
// with the real pointer moved by xdotool. The primary display is covered by
// a pattern window: black for the cursor, and for Focus a coordinate-coded
// picture (red and green the low bits of x and y, blue their high bits), so
// each target pixel says which desktop pixel it shows.

#include "display/selection/areaselection.h"
#include "display/engine/focus.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "common/settings/settingsfile.h"
#include "tests/support/xreadback.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QProcess>
#include <QTest>

using namespace mirovex;
using mirovex::test::grabRoot;
using mirovex::test::waitUntil;

namespace {

class Pattern : public QWidget {
public:
    explicit Pattern(bool coded) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), coded_(coded) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        if (!coded_) {
            p.fillRect(rect(), Qt::black);
            return;
        }
        if (picture_.size() != size()) {
            picture_ = QImage(size(), QImage::Format_RGB32);
            for (int y = 0; y < height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(picture_.scanLine(y));
                for (int x = 0; x < width(); ++x)
                    row[x] = qRgb(x & 255, y & 255, ((x >> 8) << 4) | (y >> 8));
            }
        }
        p.drawImage(0, 0, picture_);
    }

private:
    bool coded_;
    QImage picture_;
};

QPoint decode(QRgb c) { return QPoint(((qBlue(c) >> 4) << 8) | qRed(c), ((qBlue(c) & 15) << 8) | qGreen(c)); }

void pointerTo(QPoint p)
{
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
}

// The centre of the pixels of `target` (on the root) that `pick` accepts.
std::optional<QPointF> centreOf(const QRect& target, const std::function<bool(QRgb)>& pick)
{
    const QImage shot = grabRoot(target);
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (pick(shot.pixel(x, y))) {
                sx += x;
                sy += y;
                ++n;
            }
    if (n == 0)
        return std::nullopt;
    return QPointF(sx / n, sy / n);
}

bool green(QRgb c) { return qGreen(c) > 180 && qRed(c) < 80 && qBlue(c) < 80; }
bool bright(QRgb c) { return qRed(c) + qGreen(c) + qBlue(c) > 300; }
bool ringBlue(QRgb c) { return qBlue(c) > 120 && qRed(c) < 60 && qGreen(c) > 40 && qGreen(c) < 200; }

} // namespace

class CursorFocusTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void dotFollowsThePointer();
    void crossAndSystemCursor();
    void ringAroundThePointer();
    void focusMagnifiesAroundThePointer();
    void zoomCommandsChangeThePictureAndAreStored();
    void markingFollowsOutsideTheRectangle();

private:
    void start(bool coded, int cursorKind);
    // Where desktop pixel `p` (root) lands on the target, for Desktop.
    QPoint onTarget(QPoint p) const;
    QRect targetRect() const { return QRect(m_ctl->target().mapToGlobal(QPoint(0, 0)), m_ctl->target().size()); }
    // The desktop pixel the target shows at `rel` (a fraction of its size).
    QPoint shownAt(QPointF rel) const;

    std::unique_ptr<Pattern> m_pattern;
    std::unique_ptr<MirrorController> m_ctl;
    QRect m_primary;
};

void CursorFocusTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    QVERIFY(platform::monitors().size() >= 2);
    m_primary = platform::primaryRoot();
}

void CursorFocusTest::start(bool coded, int cursorKind)
{
    QFile::remove(settings::mainFilePath());
    SettingsEdit(settings::mainFilePath())
        .set(settings::key::cursorCurrent, cursorKind)
        .set(settings::key::selectDotColor, quint32(0x00FF00))
        .commit();
    m_pattern = std::make_unique<Pattern>(coded);
    m_pattern->setCursor(Qt::CrossCursor);
    m_pattern->setGeometry(m_primary);
    m_pattern->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pattern.get()));
    pointerTo(m_primary.center());
    m_ctl = std::make_unique<MirrorController>();
    m_ctl->frameLoop().setFilter(FrameScaler::Filter::Nearest);
}

void CursorFocusTest::cleanup()
{
    m_ctl.reset();
    m_pattern.reset();
}

QPoint CursorFocusTest::onTarget(QPoint p) const
{
    const QRect t = targetRect();
    return t.topLeft() + QPoint((p.x() - m_primary.x()) * t.width() / m_primary.width(),
                                (p.y() - m_primary.y()) * t.height() / m_primary.height());
}

QPoint CursorFocusTest::shownAt(QPointF rel) const
{
    const QRect t = targetRect();
    const QPoint at = t.topLeft() + QPoint(int(rel.x() * (t.width() - 1)), int(rel.y() * (t.height() - 1)));
    return decode(grabRoot(QRect(at, QSize(1, 1))).pixel(0, 0));
}

void CursorFocusTest::dotFollowsThePointer()
{
    start(false, 0);
    m_ctl->chooseDesktop();
    // A still screen is shown once; frames come again when something moves.
    QVERIFY(waitUntil([&] { return m_ctl->target().isVisible() && m_ctl->frameLoop().framesShown() > 0; }, 8000));
    for (const QPoint p : {m_primary.center(), m_primary.topLeft() + QPoint(300, 200), m_primary.topLeft() + QPoint(1500, 900)}) {
        pointerTo(p);
        const QPoint want = onTarget(p) - targetRect().topLeft();
        std::optional<QPointF> at;
        const bool seen = waitUntil([&] {
            at = centreOf(targetRect(), green);
            return at && std::abs(at->x() - want.x()) <= 2 && std::abs(at->y() - want.y()) <= 2;
        }, 5000);
        QVERIFY2(seen, qPrintable(at ? QStringLiteral("dot at %1,%2, want %3,%4").arg(at->x()).arg(at->y()).arg(want.x()).arg(want.y())
                                     : QStringLiteral("no dot on the target")));
    }
    // Hidden: the dot leaves the target; shown again, it is back.
    m_ctl->toggleHideCursor();
    QVERIFY(waitUntil([&] { return !centreOf(targetRect(), green); }, 5000));
    m_ctl->toggleHideCursor();
    QVERIFY(waitUntil([&] { return bool(centreOf(targetRect(), green)); }, 5000));
    // The kind is stored at once; hiding is not.
    m_ctl->setCursorKind(cursor::Kind::None);
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::cursorCurrent), 3);
    QVERIFY(waitUntil([&] { return !centreOf(targetRect(), green); }, 5000));
}

void CursorFocusTest::crossAndSystemCursor()
{
    start(false, 1);
    m_ctl->chooseDesktop();
    const QPoint p = m_primary.topLeft() + QPoint(900, 450);
    pointerTo(p);
    // On black the red cross is drawn lighter: (255, 128, 128).
    const QPoint arm = onTarget(p + QPoint(15, 0));
    const auto pink = [&] {
        const QRgb c = grabRoot(QRect(arm, QSize(1, 1))).pixel(0, 0);
        return qRed(c) > 230 && std::abs(qGreen(c) - 128) < 30 && std::abs(qBlue(c) - 128) < 30;
    };
    QVERIFY(waitUntil(pink, 5000));

    // The system cursor (a cross-hair over the pattern) sits with its
    // hotspot on the pointer, so its middle is where the pointer is.
    m_ctl->setCursorKind(cursor::Kind::System);
    QVERIFY(waitUntil([&] { return !pink(); }, 5000));
    const QPoint want = onTarget(p);
    const QRect around(want - QPoint(30, 30), QSize(61, 61));
    std::optional<QPointF> at;
    const bool centred = waitUntil([&] {
        at = centreOf(around, bright);
        return at && std::abs(at->x() - 30) <= 3 && std::abs(at->y() - 30) <= 3;
    }, 5000);
    QVERIFY2(centred, qPrintable(at ? QStringLiteral("cursor centred at %1,%2 of the box, want 30,30").arg(at->x()).arg(at->y())
                                    : QStringLiteral("no system cursor on the target")));
}

void CursorFocusTest::ringAroundThePointer()
{
    start(false, 3);
    m_ctl->chooseDesktop();
    const QPoint p = m_primary.topLeft() + QPoint(700, 500);
    pointerTo(p);
    QVERIFY(waitUntil([&] { return m_ctl->frameLoop().framesShown() > 0; }, 8000));
    QVERIFY2(!centreOf(targetRect(), ringBlue), "a ring before it was switched on");
    m_ctl->toggleRing();
    QVERIFY(SettingsFile(settings::mainFilePath()).read(settings::key::animation));
    const QRect around(onTarget(p) - QPoint(40, 40), QSize(81, 81));
    // The ring is around the pointer at whatever radius it has grown to.
    QVERIFY(waitUntil([&] {
        const auto c = centreOf(around, ringBlue);
        return c && std::abs(c->x() - 40) <= 4 && std::abs(c->y() - 40) <= 4;
    }, 5000));
}

void CursorFocusTest::focusMagnifiesAroundThePointer()
{
    start(true, 3);
    const QPoint p = m_primary.topLeft() + QPoint(1000, 600);
    pointerTo(p);
    m_ctl->chooseFocus();
    QCOMPARE(m_ctl->session().source(), SourceKind::Focus);
    QVERIFY(m_ctl->frameLoop().focusEnabled());
    QVERIFY(!m_ctl->frameLoop().enabled());
    const QRect want = focus::rect(p, m_primary, focus::halfWidth(focus::kDefault, m_primary.size()));
    QVERIFY(waitUntil([&] { return (shownAt({0.5, 0.5}) - p).manhattanLength() <= 4; }, 8000));
    QVERIFY2((shownAt({0, 0}) - want.topLeft()).manhattanLength() <= 4, "top-left of the magnified rectangle");
    QVERIFY2((shownAt({1, 1}) - want.bottomRight()).manhattanLength() <= 4, "bottom-right of the magnified rectangle");

    // It follows the pointer, and at a corner it stays whole on the display.
    const QPoint corner = m_primary.topLeft() + QPoint(3, 3);
    pointerTo(corner);
    QVERIFY(waitUntil([&] { return (shownAt({0, 0}) - m_primary.topLeft()).manhattanLength() <= 4; }, 5000));
    QVERIFY((shownAt({1, 1}) - (m_primary.topLeft() + QPoint(want.width() - 1, want.height() - 1))).manhattanLength() <= 4);

    // Choosing Focus again keeps it running; stopping ends its timer.
    m_ctl->chooseFocus();
    QVERIFY(m_ctl->session().running());
    m_ctl->session().stopProjection();
    QVERIFY(!m_ctl->frameLoop().focusEnabled());
}

void CursorFocusTest::zoomCommandsChangeThePictureAndAreStored()
{
    start(true, 3);
    const QPoint p = m_primary.center();
    pointerTo(p);
    m_ctl->chooseFocus();
    const auto widthShown = [&] { return shownAt({1, 0.5}).x() - shownAt({0, 0.5}).x() + 1; };
    const int a0 = focus::halfWidth(focus::kDefault, m_primary.size());
    QVERIFY(waitUntil([&] { return std::abs(widthShown() - 2 * a0) <= 4; }, 8000));

    for (int i = 0; i < 4; ++i)
        m_ctl->zoomIn();
    QCOMPARE(m_ctl->focusPosition(), focus::kDefault + 100);
    QVERIFY(waitUntil([&] { return std::abs(widthShown() - 2 * (a0 - 100)) <= 4; }, 5000));
    QVERIFY((shownAt({0.5, 0.5}) - p).manhattanLength() <= 4);
    // A run of commands is written once it has ended.
    QVERIFY(waitUntil([&] {
        return SettingsFile(settings::mainFilePath()).read(settings::key::opKrizValue) == focus::kDefault + 100;
    }, 3000));

    // All the way in: still a picture, the least rectangle, around the pointer.
    for (int i = 0; i < 100; ++i)
        m_ctl->zoomIn();
    QCOMPARE(m_ctl->focusPosition(), focus::mostPosition(m_primary.size()));
    const int least = focus::leastHalfWidth(m_primary.size());
    QVERIFY(waitUntil([&] { return std::abs(widthShown() - 2 * least) <= 2; }, 5000));
    QVERIFY((shownAt({0.5, 0.5}) - p).manhattanLength() <= 2);

    // All the way out: nearly the whole display.
    for (int i = 0; i < 100; ++i)
        m_ctl->zoomOut();
    QCOMPARE(m_ctl->focusPosition(), focus::kLeast);
    QVERIFY(waitUntil([&] { return std::abs(widthShown() - 2 * focus::halfWidth(focus::kLeast, m_primary.size())) <= 4; }, 5000));
    // Written at the end at the latest.
    m_ctl.reset();
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::opKrizValue), focus::kLeast);
}

void CursorFocusTest::markingFollowsOutsideTheRectangle()
{
    start(true, 3);
    AreaSelection area(*m_ctl);
    const QPoint first = m_primary.topLeft() + QPoint(700, 500);
    pointerTo(first);
    m_ctl->chooseFocus();
    const auto rootRect = [&] { return platform::desktopFrame().toRoot(m_ctl->session().mirrorRect()); };
    const auto seen = [](QPoint p) { return decode(grabRoot(QRect(p, QSize(1, 1))).pixel(0, 0)); };
    // The presenter's own screen: the pattern inside, the marking outside.
    const auto markedAround = [&](const QRect& r) {
        if (area.marking().markedArea() != r)
            return false;
        for (const QPoint in : {r.center(), r.topLeft() + QPoint(1, 1), r.bottomRight() - QPoint(1, 1)})
            if (seen(in) != in)
                return false;
        const bool dim = area.marking().shownMode() == area::MarkMode::Dim;
        const QPoint out = dim ? r.topLeft() - QPoint(20, 20) : r.topLeft() - QPoint(2, 2);
        return seen(out) != out;
    };
    QVERIFY(waitUntil([&] { return markedAround(rootRect()); }, 8000));
    const QRect before = rootRect();
    const QPoint second = first + QPoint(600, 200);
    pointerTo(second);
    QVERIFY(waitUntil([&] { return rootRect() != before && markedAround(rootRect()); }, 5000));
    // Where the rectangle was is marked now (darkened, or plain again).
    const QPoint old = before.topLeft() + QPoint(1, 1);
    if (!rootRect().contains(old) && area.marking().shownMode() == area::MarkMode::Dim)
        QVERIFY(waitUntil([&] { return seen(old) != old; }, 3000));
}

QTEST_MAIN(CursorFocusTest)
#include "cursorfocus_test.moc"
