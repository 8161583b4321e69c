// Proves the virtual desktop that the X11 tests stand on: that Qt sees the
// monitors tests/desktop/vdesk promises, that a window lands on the root at
// exactly the place asked for, and that grabRoot reads its pixels back as
// painted. Every later test that compares pixels on a monitor relies on this.
//
// Runs only under vdesk, which tells the layout and services in VDESK_*.

#include "tests/support/xreadback.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

using mirovex::test::grabRoot;
using mirovex::test::waitUntil;

namespace {

struct Monitor {
    QString name;
    QRect geometry;
};

// What each vdesk layout must look like to a program, primary first. Kept
// apart from vdesk's own table on purpose: this is the promise, that is the
// implementation.
QList<Monitor> expectedMonitors(const QByteArray &layout)
{
    const QSize a(1920, 1080), b(1280, 720);
    if (layout == "one")
        return {{"A", QRect(QPoint(0, 0), a)}};
    if (layout == "side")
        return {{"A", QRect(QPoint(0, 0), a)}, {"B", QRect(QPoint(1920, 0), b)}};
    if (layout == "primary-right")
        return {{"A", QRect(QPoint(1280, 0), a)}, {"B", QRect(QPoint(0, 0), b)}};
    if (layout == "twin")
        return {{"A", QRect(QPoint(0, 0), a)}, {"B", QRect(QPoint(1920, 0), a)}};
    if (layout == "stacked")
        return {{"A", QRect(QPoint(0, 0), a)}, {"B", QRect(QPoint(0, 1080), b)}};
    return {};
}

const QRgb kLeft = qRgb(255, 0, 0);
const QRgb kRight = qRgb(0, 0, 255);

class PatternWindow : public QWidget {
public:
    PatternWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const int half = width() / 2;
        p.fillRect(0, 0, half, height(), QColor(kLeft));
        p.fillRect(half, 0, width() - half, height(), QColor(kRight));
    }
};

QString rgbText(QRgb c)
{
    return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0'));
}

// Where shot (taken of `area` on the root) differs from the pattern painted
// into `window`: inside every pixel must be exact, and on the one-pixel ring
// around it neither pattern colour may show, or the window is off by a pixel
// or has grown a frame. Empty when all is as it must be.
QString patternMismatch(const QImage &shot, const QRect &area, const QRect &window)
{
    if (shot.size() != area.size())
        return QStringLiteral("grabbed %1x%2 instead of %3x%4")
            .arg(shot.width()).arg(shot.height()).arg(area.width()).arg(area.height());
    const int half = window.width() / 2;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb got = shot.pixel(x - area.left(), y - area.top()) | 0xff000000u;
            if (window.contains(x, y)) {
                const QRgb want = x - window.left() < half ? kLeft : kRight;
                if (got != want)
                    return QStringLiteral("root pixel %1,%2 is %3, painted %4")
                        .arg(x).arg(y).arg(rgbText(got), rgbText(want));
            } else if (got == kLeft || got == kRight) {
                return QStringLiteral("root pixel %1,%2 outside the window shows the pattern (%3)")
                    .arg(x).arg(y).arg(rgbText(got));
            }
        }
    }
    return {};
}

struct Disconnect {
    void operator()(xcb_connection_t *c) const { xcb_disconnect(c); }
};

// The owner of an X selection, asked on a connection of our own, so vdesk's
// own readiness check is not what proves itself here.
xcb_window_t selectionOwner(const char *name)
{
    std::unique_ptr<xcb_connection_t, Disconnect> c(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(c.get()))
        return XCB_NONE;
    auto *atom = xcb_intern_atom_reply(c.get(), xcb_intern_atom(c.get(), 1, uint16_t(strlen(name)), name), nullptr);
    if (!atom)
        return XCB_NONE;
    const xcb_atom_t a = atom->atom;
    std::free(atom);
    if (a == XCB_ATOM_NONE)
        return XCB_NONE;
    auto *owner = xcb_get_selection_owner_reply(c.get(), xcb_get_selection_owner(c.get(), a), nullptr);
    if (!owner)
        return XCB_NONE;
    const xcb_window_t w = owner->owner;
    std::free(owner);
    return w;
}

}  // namespace

class HarnessTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void screensMatchLayout();
    void patternReadsBackOnEachMonitor_data();
    void patternReadsBackOnEachMonitor();
    void grabIsClippedToTheRoot();
    void servicesOwnTheirSelections();

private:
    QList<Monitor> m_expected;
};

void HarnessTest::initTestCase()
{
    const QByteArray layout = qgetenv("VDESK_LAYOUT");
    if (layout.isEmpty())
        QFAIL("run this under tests/desktop/vdesk: VDESK_LAYOUT is not set");
    m_expected = expectedMonitors(layout);
    if (m_expected.isEmpty())
        QFAIL(qPrintable(QStringLiteral("no expectations for the layout \"%1\"").arg(QString::fromUtf8(layout))));
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
}

void HarnessTest::screensMatchLayout()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QStringList seen;
    for (const QScreen *s : screens) {
        const QRect g = s->geometry();
        seen << QStringLiteral("%1 %2x%3+%4+%5").arg(s->name()).arg(g.width()).arg(g.height()).arg(g.x()).arg(g.y());
    }
    const QString seenText = seen.join(QStringLiteral(", "));

    QVERIFY2(screens.size() == m_expected.size(), qPrintable(QStringLiteral("Qt sees: ") + seenText));
    QCOMPARE(QGuiApplication::primaryScreen(), screens.first());
    for (int i = 0; i < screens.size(); ++i) {
        QVERIFY2(screens[i]->name() == m_expected[i].name, qPrintable(QStringLiteral("Qt sees: ") + seenText));
        QVERIFY2(screens[i]->geometry() == m_expected[i].geometry, qPrintable(QStringLiteral("Qt sees: ") + seenText));
        // Pixel comparisons in root coordinates assume one device pixel per
        // logical pixel.
        QCOMPARE(screens[i]->devicePixelRatio(), 1.0);
    }
}

void HarnessTest::patternReadsBackOnEachMonitor_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < m_expected.size(); ++i)
        QTest::newRow(qPrintable(m_expected[i].name)) << i;
}

void HarnessTest::patternReadsBackOnEachMonitor()
{
    QFETCH(int, index);
    const Monitor &monitor = m_expected[index];
    // Odd sizes and offsets, so a swapped or halved coordinate cannot pass.
    const QRect window(monitor.geometry.topLeft() + QPoint(101, 77), QSize(401, 299));
    const QRect area = window.adjusted(-1, -1, 1, 1);

    PatternWindow w;
    w.setWindowTitle(QStringLiteral("pattern on %1").arg(monitor.name));
    w.setGeometry(window);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.screen()->name(), monitor.name);

    QString mismatch;
    const bool shown = waitUntil(
        [&] {
            mismatch = patternMismatch(grabRoot(area), area, window);
            return mismatch.isEmpty();
        },
        10000);
    if (!shown) {
        const QString shot = QStringLiteral("%1/harness-%2.png").arg(QString::fromLocal8Bit(qgetenv("VDESK_STATE")), monitor.name);
        grabRoot(QRect(QPoint(0, 0), QSize(8192, 8192))).save(shot);
        QFAIL(qPrintable(mismatch + QStringLiteral(" (root saved to ") + shot + QLatin1Char(')')));
    }
}

void HarnessTest::grabIsClippedToTheRoot()
{
    // Asking beyond the bottom right corner gives only the part that exists.
    QRect bounds;
    for (const Monitor &m : m_expected)
        bounds |= m.geometry;
    const QImage tail = grabRoot(QRect(bounds.bottomRight() - QPoint(9, 4), QSize(100, 100)));
    if (qgetenv("VDESK_SCREEN").isEmpty()) {
        QCOMPARE(tail.size(), QSize(10, 5));
    } else {
        QVERIFY(!tail.isNull());
    }
    QCOMPARE(tail.format(), QImage::Format_RGB32);
    QVERIFY(grabRoot(QRect(-50, -50, 50, 50)).isNull());
}

void HarnessTest::servicesOwnTheirSelections()
{
    const struct {
        const char *env;
        const char *selection;
    } services[] = {
        {"VDESK_WM", "WM_S0"},
        {"VDESK_COMPOSITOR", "_NET_WM_CM_S0"},
        {"VDESK_TRAY", "_NET_SYSTEM_TRAY_S0"},
    };
    for (const auto &s : services) {
        const bool wanted = qgetenv(s.env) == "1";
        const bool owned = selectionOwner(s.selection) != XCB_NONE;
        QVERIFY2(wanted == owned,
                 qPrintable(QStringLiteral("%1=%2 but %3 %4 an owner")
                                .arg(QLatin1String(s.env), QString::fromLatin1(qgetenv(s.env)),
                                     QLatin1String(s.selection), owned ? QStringLiteral("has") : QStringLiteral("has no"))));
    }
}

QTEST_MAIN(HarnessTest)
#include "harness_test.moc"
