// Selecting a desktop area on a real desktop, with real pointer and key
// events: a pattern whose every pixel tells its own coordinates lies on the
// primary display, so the target display shows exactly the selected pixels,
// and no marking, or it does not. Runs under tests/desktop/vdesk, with and
// without a compositor.

#include "display/selection/areaselection.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "common/settings/settingsfolder.h"
#include "display/shell/startcontroller.h"
#include "tests/support/xreadback.h"
#include "common/ui/dialogs.h"

#include <QApplication>
#include <QPainter>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace mirovex;
using mirovex::test::grabRoot;
using mirovex::test::waitUntil;

namespace {

// Red and green are the low bytes of x and y, blue holds their high bits.
QRgb coded(int x, int y) { return qRgb(x & 0xFF, y & 0xFF, ((x >> 8) & 0xF) << 4 | ((y >> 8) & 0xF)); }

class CodedPattern : public QWidget {
public:
    explicit CodedPattern(QSize size) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), image_(size, QImage::Format_RGB32)
    {
        for (int y = 0; y < size.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
            for (int x = 0; x < size.width(); ++x)
                row[x] = coded(x, y);
        }
    }

protected:
    void paintEvent(QPaintEvent* e) override { QPainter(this).drawImage(e->rect(), image_, e->rect()); }

private:
    QImage image_;
};

QRgb at(const QImage& shot, QPoint p) { return shot.pixel(p) | 0xff000000u; }

// Real input, played by a shell in the background (the script starts as
// xdotool's arguments): the selection is modal and holds this thread until
// it ends.
void play(const QString& script)
{
    // Once the layer is up and has the keyboard.
    QProcess::startDetached(QStringLiteral("bash"),
                            {QStringLiteral("-c"),
                             QStringLiteral("timeout 10 xdotool search --sync --onlyvisible --name '^Mirovex - Select Area$' "
                                            ">/dev/null; sleep 0.3; xdotool ") +
                                 script});
}
QString to(QPoint p) { return QStringLiteral("mousemove %1 %2 ").arg(p.x()).arg(p.y()); }

QString hex(QRgb c) { return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0')); }

} // namespace

class SelectionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void dragSelectsExactlyThoseBasePixels();
    void cancelLeavesEverythingAsItWas_data();
    void cancelLeavesEverythingAsItWas();
    void areasLeftOfThePrimaryCanBeChosen();
    void previouslySelectedComesBackAfterARestart();
    void markModesSwitch();
    void markingFollowsTheCompositor();

private:
    bool select(const QString& script); // true when an area was chosen
    QString compareTarget(const QRect& area) const;

    QList<platform::Monitor> m_monitors;
    bool m_compositor = false;
    std::unique_ptr<CodedPattern> m_pattern;
    std::unique_ptr<MirrorController> m_ctl;
    std::unique_ptr<AreaSelection> m_area;
};

void SelectionTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    m_monitors = platform::monitors();
    QVERIFY(!m_monitors.isEmpty());
    m_compositor = qEnvironmentVariable("VDESK_COMPOSITOR") == QLatin1String("1");
}

void SelectionTest::init()
{
    QFile::remove(settings::mainFilePath());
    QFile::remove(settingsPath(area::kAreaFile));
    m_pattern = std::make_unique<CodedPattern>(m_monitors[0].root.size());
    m_pattern->setGeometry(m_monitors[0].root);
    m_pattern->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pattern.get()));
    QVERIFY(waitUntil([&] { return at(grabRoot(m_monitors[0].root), QPoint(300, 200)) == coded(300, 200); }, 5000));
    m_ctl = std::make_unique<MirrorController>();
    // The drawn cursor would sit on the pixels compared.
    m_ctl->setCursorKind(cursor::Kind::None);
    m_area = std::make_unique<AreaSelection>(*m_ctl);
}

void SelectionTest::cleanup()
{
    m_area.reset();
    m_ctl.reset();
    m_pattern.reset();
}

bool SelectionTest::select(const QString& script)
{
    QSignalSpy finished(m_area.get(), &AreaSelection::selectionFinished);
    play(script);
    const mirovex::test::ModalGuard guard(12000);
    m_area->selectDesktopArea();
    if (!finished.wait(15000))
        return false;
    return finished.first().first().toBool();
}

// Empty when the target shows `area` (programs' frame) pixel for pixel.
QString SelectionTest::compareTarget(const QRect& area) const
{
    const TFmonitor& t = m_ctl->target();
    const QImage shown = grabRoot(QRect(t.mapToGlobal(QPoint(0, 0)), t.size()));
    if (shown.size() != area.size())
        return QStringLiteral("target is %1x%2").arg(shown.width()).arg(shown.height());
    const QPoint origin = platform::desktopFrame().toRoot(area.topLeft()) - m_monitors[0].root.topLeft();
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (at(shown, {x, y}) != coded(origin.x() + x, origin.y() + y))
                return QStringLiteral("target pixel %1,%2 is %3, want %4")
                    .arg(x).arg(y).arg(hex(at(shown, {x, y})), hex(coded(origin.x() + x, origin.y() + y)));
    return {};
}

void SelectionTest::dragSelectsExactlyThoseBasePixels()
{
    if (m_monitors.size() < 2)
        QSKIP("needs a target display beside the primary");
    m_ctl->showTargetOnStoredDisplay();
    QVERIFY(waitUntil([&] { return m_ctl->target().geometry() == m_monitors[1].root; }, 5000));
    // As large as the target, so the picture is copied one to one.
    const QSize size = m_ctl->target().size();
    const QPoint from = m_monitors[0].root.topLeft() + QPoint(100, 120);
    const QPoint till = from + QPoint(size.width(), size.height());
    const QString shot = qEnvironmentVariable("VDESK_STATE") + QStringLiteral("/selecting.png");
    // Bottom-right to top-left, the harder way round.
    QVERIFY(select(to(till) + QStringLiteral("mousedown 1; sleep 0.1; xdotool ") + to(till - QPoint(400, 300)) +
                   QStringLiteral("; sleep 0.1; xdotool ") + to(from) +
                   QStringLiteral("; sleep 0.4; import -window root ") + shot +
                   QStringLiteral("; xdotool mouseup 1")));

    const QRect want(platform::desktopFrame().fromRoot(from), size);
    QCOMPARE(m_ctl->session().mirrorRect(), want);
    QCOMPARE(m_area->lastSelection(), std::optional<QRect>(want));
    QVERIFY(m_ctl->session().running());
    const SettingsFile gr(settingsPath(area::kAreaFile));
    QCOMPARE(QRect(QPoint(gr.readInt("Options", "RxStart", -1), gr.readInt("Options", "RyStart", -1)),
                   QPoint(gr.readInt("Options", "RxKonec", -1) - 1, gr.readInt("Options", "RyKonec", -1) - 1)),
             want);

    // The target shows exactly the selected pixels: no marking in them.
    QString why;
    QVERIFY2(waitUntil([&] { return (why = compareTarget(want)).isEmpty(); }, 10000), qPrintable(why));

    // The marking is on the presenter's screen, just outside the area.
    const QImage around = grabRoot(QRect(from - QPoint(40, 40), size + QSize(80, 80)));
    const QPoint corner(40, 40); // the area's top-left in `around`
    if (m_compositor) {
        // Darkened surround with a white border.
        QVERIFY(waitUntil([&] { return at(grabRoot(QRect(from - QPoint(1, 0), QSize(1, 1))), {0, 0}) == qRgb(255, 255, 255); }, 5000));
        const QRgb dimmed = at(around, corner - QPoint(20, 20));
        const QRgb plain = coded(80, 100);
        QVERIFY2(qRed(dimmed) < qRed(plain) && qGreen(dimmed) < qGreen(plain), qPrintable(hex(dimmed)));
    } else {
        // The dashed red frame, two pixels out; the dash starts at its corner.
        QVERIFY(waitUntil([&] { return at(grabRoot(QRect(from - QPoint(2, 2), QSize(1, 1))), {0, 0}) == qRgb(255, 0, 0); }, 5000));
        QCOMPARE(hex(at(around, corner - QPoint(1, 1))), hex(coded(99, 119)));
    }

    // While dragging, the desktop showed through, darkened outside the band
    // and clear inside it: never an opaque wall.
    const QImage during(shot);
    QVERIFY(!during.isNull());
    const QPoint inside = from + QPoint(200, 150), outside = from + QPoint(size.width() + 100, 150);
    QCOMPARE(hex(at(during, inside)), hex(coded(inside.x() - m_monitors[0].root.x(), inside.y())));
    const QRgb plain = coded(outside.x() - m_monitors[0].root.x(), outside.y());
    const QRgb dark = at(during, outside);
    QVERIFY2(std::abs(qRed(dark) - qRed(plain) * 75 / 255) <= 3 && qRed(plain) > 60,
             qPrintable(hex(dark) + QStringLiteral(" for ") + hex(plain)));
}

void SelectionTest::cancelLeavesEverythingAsItWas_data()
{
    QTest::addColumn<QString>("input"); // after the pointer went to the start point
    const QString drag = QStringLiteral("mousedown 1; sleep 0.1; xdotool mousemove_relative 200 100; sleep 0.1; xdotool ");
    QTest::newRow("right button") << drag + QStringLiteral("click 3; xdotool mouseup 1");
    QTest::newRow("Escape while dragging") << drag + QStringLiteral("key Escape; xdotool mouseup 1");
    QTest::newRow("Escape before a drag") << QStringLiteral("key Escape");
}

void SelectionTest::cancelLeavesEverythingAsItWas()
{
    QFETCH(QString, input);
    const QRect before(10, 10, 300, 200);
    m_ctl->chooseArea(before);
    QVERIFY(m_ctl->session().running());
    QVERIFY(!select(to(m_monitors[0].root.topLeft() + QPoint(500, 400)) + QStringLiteral("; xdotool ") + input));
    QCOMPARE(m_ctl->session().mirrorRect(), before);
    QVERIFY(m_ctl->session().running());
    QVERIFY(!QFile::exists(settingsPath(area::kAreaFile)));
    QVERIFY(!m_area->lastSelection());
}

void SelectionTest::areasLeftOfThePrimaryCanBeChosen()
{
    const QRect all = [&] {
        QRect r;
        for (const auto& m : m_monitors)
            r |= m.frame;
        return r;
    }();
    if (all.left() >= 0)
        QSKIP("needs a display left of the primary");
    const QPoint from = platform::desktopFrame().toRoot(QPoint(-200, 100));
    const QPoint till = platform::desktopFrame().toRoot(QPoint(300, 400));
    QVERIFY(select(to(from) + QStringLiteral("mousedown 1; sleep 0.1; xdotool ") + to(till) +
                   QStringLiteral("; sleep 0.1; xdotool mouseup 1")));
    QCOMPARE(m_ctl->session().mirrorRect(), QRect(-200, 100, 500, 300));
    QCOMPARE(SettingsFile(settingsPath(area::kAreaFile)).readInt("Options", "RxStart", 0), -200);
}

void SelectionTest::previouslySelectedComesBackAfterARestart()
{
    const QRect stored(40, 30, 640, 360);
    QVERIFY(area::writeStoredArea(settingsPath(area::kAreaFile), stored));
    m_area->previouslySelected();
    QCOMPARE(m_ctl->session().mirrorRect(), stored);
    QCOMPARE(m_ctl->session().trayHint(), 110);
    QVERIFY(m_ctl->session().running());
    QVERIFY(waitUntil([&] { return m_ctl->target().isVisible(); }, 5000));

    // At start, from "AutoStartMirror" = 2 ("Part of Desktop").
    m_area.reset();
    m_ctl.reset();
    SettingsEdit(settings::mainFilePath())
        .setInt("Options", "AutoStartMirror", 2)
        .setInt("Options", "Display Options", 1)
        .commit();
    ui::setModalRunner([](QDialog&) { return int(QDialog::Accepted); });
    StartController start(nullptr, nullptr);
    start.firstActivation();
    QCOMPARE(start.mirror().session().mirrorRect(), stored);
    QVERIFY(start.mirror().session().running());
    QVERIFY(waitUntil([&] { return start.mirror().target().isVisible(); }, 5000));
    const QImage shot = grabRoot(platform::desktopFrame().toRoot(QRect(QPoint(0, 0), QSize(1, 1))));
    QVERIFY(!shot.isNull());
    m_ctl = std::make_unique<MirrorController>();
    // The drawn cursor would sit on the pixels compared.
    m_ctl->setCursorKind(cursor::Kind::None);
    m_area = std::make_unique<AreaSelection>(*m_ctl);
}

void SelectionTest::markModesSwitch()
{
    m_ctl->chooseArea(QRect(200, 200, 300, 200));
    const area::MarkMode dim = m_compositor ? area::MarkMode::Dim : area::MarkMode::Frame;
    // The default darkens (or frames, without a compositor).
    QCOMPARE(m_area->markMode(), area::MarkMode::Dim);
    QCOMPARE(m_area->marking().shownMode(), dim);
    m_area->toggleMarkSelected();
    QCOMPARE(m_area->marking().shownMode(), area::MarkMode::Frame);
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::oznaciCurrent), 0);
    m_area->toggleMarkSelected();
    QCOMPARE(m_area->marking().shownMode(), area::MarkMode::None);
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::oznaciCurrent), 2);
    m_area->toggleBlurUnselected();
    QCOMPARE(m_area->marking().shownMode(), dim);
    // Another source takes the marking away.
    m_ctl->chooseDesktop();
    QCOMPARE(m_area->marking().shownMode(), area::MarkMode::None);
    m_ctl->chooseArea(QRect(200, 200, 300, 200));
    QCOMPARE(m_area->marking().shownMode(), dim);
    m_ctl->session().stopProjection();
    QCOMPARE(m_area->marking().shownMode(), area::MarkMode::None);
}

void SelectionTest::markingFollowsTheCompositor()
{
    bool compositor = true;
    m_area->setCompositorProbe([&] { return compositor; });
    m_ctl->chooseArea(QRect(200, 200, 300, 200));
    QCOMPARE(m_area->marking().shownMode(), area::MarkMode::Dim);
    // The compositor stops while the darkening shows: a frame instead, not
    // a dark wall over the presenter's screen.
    compositor = false;
    QVERIFY(waitUntil([&] { return m_area->marking().shownMode() == area::MarkMode::Frame; }, 5000));
    compositor = true;
    QVERIFY(waitUntil([&] { return m_area->marking().shownMode() == area::MarkMode::Dim; }, 5000));
    m_ctl->session().stopProjection();
    QCOMPARE(m_area->marking().shownMode(), area::MarkMode::None);
}

QTEST_MAIN(SelectionTest)
#include "selection_test.moc"
