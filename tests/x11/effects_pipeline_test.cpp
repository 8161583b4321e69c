// The effect stage inside the real mirror: a window of four solid colours
// is mirrored onto the target display, and the target's pixels show each
// effect as a presenter would see it. The per-pixel rules themselves are
// the unit tests'; here it is the order, the raw copy and the reset.

#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "tests/support/xreadback.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QTest>

using namespace mirovex;
using mirovex::test::grabRoot;
using mirovex::test::waitUntil;

namespace {

const QRgb kRed = qRgb(255, 0, 0), kYellow = qRgb(255, 255, 0), kBlue = qRgb(0, 0, 255), kGrey = qRgb(120, 120, 120);

class Quadrants : public QWidget {
public:
    Quadrants() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const int w = width() / 2, h = height() / 2;
        p.fillRect(0, 0, w, h, QColor(kRed));
        p.fillRect(w, 0, width() - w, h, QColor(kYellow));
        p.fillRect(0, h, w, height() - h, QColor(kBlue));
        p.fillRect(w, h, width() - w, height() - h, QColor(kGrey));
    }
};

QString hex(QRgb c) { return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0')); }
bool near(QRgb a, QRgb b) { return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 && std::abs(qBlue(a) - qBlue(b)) <= 2; }

} // namespace

class EffectsPipelineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void eachEffectReachesTheTarget_data();
    void eachEffectReachesTheTarget();
    void spotlightKeepsTheDiscAroundThePointer();
    void isolationKeepsTheColourUnderThePointer();
    void stopProjectionPutsEveryEffectBack();

private:
    // The target's pixel at the middle of quadrant (qx, qy) of the picture.
    QRgb quadrant(int qx, int qy) const;
    void expect(int qx, int qy, QRgb want);

    std::unique_ptr<Quadrants> m_pattern;
    std::unique_ptr<MirrorController> m_ctl;
    QRect m_area;
};

void EffectsPipelineTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    QVERIFY(platform::monitors().size() >= 2);
}

void EffectsPipelineTest::init()
{
    QFile::remove(settings::mainFilePath());
    const QRect root(platform::monitors()[0].root.topLeft() + QPoint(400, 200), QSize(640, 360));
    m_pattern = std::make_unique<Quadrants>();
    m_pattern->setGeometry(root);
    m_pattern->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pattern.get()));
    m_area = platform::desktopFrame().fromRoot(root);
    // The pointer away from the picture, unless a test puts it somewhere.
    QCursor::setPos(platform::monitors()[0].root.topLeft() + QPoint(5, 900));
    m_ctl = std::make_unique<MirrorController>();
    m_ctl->chooseArea(m_area);
    QVERIFY(waitUntil([&] { return m_ctl->target().isVisible() && near(quadrant(0, 0), kRed); }, 8000));
}

void EffectsPipelineTest::cleanup()
{
    m_ctl.reset();
    m_pattern.reset();
}

QRgb EffectsPipelineTest::quadrant(int qx, int qy) const
{
    // The area has the target's shape, so the picture fills the target.
    const QWidget& t = m_ctl->target();
    const QPoint p(t.width() * (1 + 2 * qx) / 4, t.height() * (1 + 2 * qy) / 4);
    return grabRoot(QRect(t.mapToGlobal(p), QSize(1, 1))).pixel(0, 0) | 0xff000000u;
}

void EffectsPipelineTest::expect(int qx, int qy, QRgb want)
{
    QVERIFY2(waitUntil([&] { return near(quadrant(qx, qy), want); }, 5000),
             qPrintable(QStringLiteral("quadrant %1,%2 is %3, want %4").arg(qx).arg(qy).arg(hex(quadrant(qx, qy)), hex(want))));
}

void EffectsPipelineTest::eachEffectReachesTheTarget_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QRgb>("red");
    QTest::addColumn<QRgb>("yellow");
    QTest::newRow("invert") << QStringLiteral("invert") << qRgb(0, 255, 255) << qRgb(0, 0, 255);
    // Greyscale starts from the picture as captured: the inversion is gone.
    QTest::newRow("greyscale over invert") << QStringLiteral("invert grey") << qRgb(85, 85, 85) << qRgb(170, 170, 170);
    QTest::newRow("swap to BGR") << QStringLiteral("swap1") << qRgb(0, 0, 255) << qRgb(0, 255, 255);
    QTest::newRow("posterize") << QStringLiteral("code111") << qRgb(250, 0, 0) << qRgb(250, 250, 0);
    QTest::newRow("extract red") << QStringLiteral("code6") << qRgb(0, 0, 0) << qRgb(0, 0, 0);
    QTest::newRow("day tint") << QStringLiteral("day") << qRgb(230, 0, 0) << qRgb(230, 255, 0);
    // The tint is ignored while the picture is inverted.
    QTest::newRow("tint under invert") << QStringLiteral("invert day") << qRgb(0, 255, 255) << qRgb(0, 0, 255);
}

void EffectsPipelineTest::eachEffectReachesTheTarget()
{
    QFETCH(QString, how);
    QFETCH(QRgb, red);
    QFETCH(QRgb, yellow);
    for (const QString& step : how.split(QLatin1Char(' '))) {
        if (step == QLatin1String("invert"))
            m_ctl->setInvert(true);
        else if (step == QLatin1String("grey"))
            m_ctl->toggleGreyscale();
        else if (step == QLatin1String("day"))
            m_ctl->chooseTint(fx::Tint::Day);
        else if (step.startsWith(QLatin1String("swap"))) {
            m_ctl->setSwapMode(step.mid(4).toInt());
            m_ctl->toggleSwap();
        } else if (step.startsWith(QLatin1String("code")))
            m_ctl->chooseEffect(step.mid(4).toInt());
    }
    expect(0, 0, red);
    expect(1, 0, yellow);
}

void EffectsPipelineTest::spotlightKeepsTheDiscAroundThePointer()
{
    // The pointer in the middle of the red quadrant of the desktop.
    const QRect root = platform::desktopFrame().toRoot(m_area);
    QCursor::setPos(root.topLeft() + QPoint(root.width() / 4, root.height() / 4));
    m_ctl->setSpotSize(1); // a radius of the primary's width div 13
    m_ctl->toggleSpotlight();
    QVERIFY(m_ctl->effects().spotlight);
    // Around the pointer the picture is untouched...
    expect(0, 0, kRed);
    // ...far from it grey and darker: round(((r*77 + g*150 + b*29) >> 8) * 0.7).
    expect(1, 1, qRgb(84, 84, 84));
    expect(0, 1, qRgb(20, 20, 20));
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::spotLightIdx), 1);
}

void EffectsPipelineTest::isolationKeepsTheColourUnderThePointer()
{
    // A yellow patch beside the mirrored area: the colour under the pointer
    // is read from the desktop there, not from the picture.
    QWidget patch(nullptr, Qt::Window | Qt::FramelessWindowHint);
    QPalette yellow = patch.palette();
    yellow.setColor(QPalette::Window, QColor(kYellow));
    patch.setPalette(yellow);
    patch.setAutoFillBackground(true);
    patch.setGeometry(QRect(platform::monitors()[0].root.topLeft() + QPoint(100, 650), QSize(120, 120)));
    patch.show();
    QVERIFY(QTest::qWaitForWindowExposed(&patch));
    QVERIFY(!patch.geometry().intersects(platform::desktopFrame().toRoot(m_area)));
    QCursor::setPos(patch.geometry().center());
    m_ctl->toggleIsolation();
    QVERIFY(m_ctl->effects().isolation);
    // Near the reference the colour stays; far from it, the channels' mean.
    expect(1, 0, kYellow);
    expect(0, 0, qRgb(85, 85, 85));
    expect(0, 1, qRgb(85, 85, 85));
    // Over the picture: read from the captured frame.
    const QRect root = platform::desktopFrame().toRoot(m_area);
    QCursor::setPos(root.topLeft() + QPoint(root.width() / 8, root.height() / 8));
    expect(0, 0, kRed);
    expect(1, 0, qRgb(170, 170, 170));
}

void EffectsPipelineTest::stopProjectionPutsEveryEffectBack()
{
    m_ctl->setInvert(true);
    m_ctl->toggleGreyscale();
    m_ctl->setSpotSize(3);
    m_ctl->setSwapMode(4);
    m_ctl->chooseEffect(fx::kSharpen);
    m_ctl->chooseEffect(fx::kSharpen); // the same item again: off
    QCOMPARE(m_ctl->effects().code, fx::kNone);
    m_ctl->chooseEffect(fx::kTrace);
    m_ctl->session().stopProjection();
    const fx::EffectState& e = m_ctl->effects();
    QVERIFY(!e.invert && !e.greyscale && !e.isolation && !e.spotlight && !e.swap);
    QCOMPARE(e.code, fx::kNone);
    QCOMPARE(e.swapMode, 0);
    QCOMPARE(m_ctl->spotSize(), 2);
    QCOMPARE(e.spotRadius, platform::monitors()[0].root.width() / 8);
    const SettingsFile file(settings::mainFilePath());
    QVERIFY(!file.read(settings::key::on2C));
    QCOMPARE(file.read(settings::key::swapColorIdx), 0);
    QCOMPARE(file.read(settings::key::spotLightIdx), 2);
    // Greyscale was stored when switched, and is not read at start.
    QVERIFY(file.read(settings::key::sivaSkala));
    MirrorController again;
    QVERIFY(!again.effects().greyscale);
}

QTEST_MAIN(EffectsPipelineTest)
#include "effects_pipeline_test.moc"
