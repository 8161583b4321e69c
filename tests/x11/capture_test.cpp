// Screen capture against the root as the X server shows it: every part of a
// rectangle that lies on the root is copied exactly, every part beyond it is
// black, and inversion inverts exactly the copied part.

#include "platform/screencapture.h"
#include "tests/support/xreadback.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QTest>

using mirovex::platform::ScreenCapture;
using mirovex::test::grabRoot;
using mirovex::test::waitUntil;

namespace {

QRgb noise(int x, int y) { return qRgb((x * 7 + y * 3) & 255, (x * 13 + y * 29) & 255, (x ^ y) & 255); }

// Fills the whole root with a pattern no two nearby pixels share, so a
// shifted or mis-strided copy cannot pass.
class NoiseWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QImage img(size(), QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                line[x] = noise(x, y);
        }
        QPainter(this).drawImage(0, 0, img);
    }
};

QImage expected(const QImage& root, const QRect& rect, bool invert)
{
    QImage out(rect.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    const QRect part = rect.intersected(root.rect());
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x) {
            QRgb c = root.pixel(x, y);
            if (invert)
                c = qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c));
            out.setPixel(x - rect.left(), y - rect.top(), c);
        }
    return out;
}

QString firstDifference(const QImage& got, const QImage& want)
{
    if (got.size() != want.size())
        return QStringLiteral("size %1x%2").arg(got.width()).arg(got.height());
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            if ((got.pixel(x, y) & 0xffffff) != (want.pixel(x, y) & 0xffffff))
                return QStringLiteral("pixel %1,%2: %3 instead of %4")
                    .arg(x).arg(y).arg(got.pixel(x, y) & 0xffffff, 6, 16).arg(want.pixel(x, y) & 0xffffff, 6, 16);
    return {};
}

} // namespace

class CaptureTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rectangles_data();
    void rectangles();
    void frameKeepsItsMemory();

private:
    std::unique_ptr<NoiseWindow> m_noise;
    QImage m_root;
    QSize m_rootSize;
};

void CaptureTest::initTestCase()
{
    ScreenCapture cap;
    QVERIFY2(cap.ok(), qPrintable(cap.error()));
    QVERIFY(cap.usesSharedMemory());
    m_rootSize = cap.rootSize();
    m_noise = std::make_unique<NoiseWindow>();
    m_noise->setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    m_noise->setGeometry(QRect(QPoint(0, 0), m_rootSize));
    m_noise->show();
    QVERIFY(waitUntil(
        [&] {
            const QImage img = grabRoot(QRect(QPoint(0, 0), m_rootSize));
            return !img.isNull() && (img.pixel(101, 57) | 0xff000000u) == noise(101, 57);
        },
        10000));
    m_root = grabRoot(QRect(QPoint(0, 0), m_rootSize));
}

void CaptureTest::rectangles_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<bool>("invert");
    const int w = 3200, h = 1080; // the side layout's root
    const struct {
        const char* name;
        QRect r;
    } rects[] = {
        {"inside", {101, 57, 333, 211}},
        {"whole root", {0, 0, w, h}},
        {"over the left edge", {-120, 40, 300, 200}},
        {"over the right edge", {w - 90, 40, 300, 200}},
        {"over the top edge", {500, -33, 250, 100}},
        {"over the bottom edge", {500, h - 10, 250, 100}},
        {"over a corner", {-7, -9, 64, 48}},
        {"larger than the root", {-10, -10, w + 20, h + 20}},
        {"entirely beside it", {-500, 10, 100, 100}},
        {"one pixel", {1919, 1079, 1, 1}},
    };
    for (const auto& r : rects) {
        QTest::newRow(r.name) << r.r << false;
        QTest::newRow(qPrintable(QStringLiteral("%1, inverted").arg(QLatin1String(r.name)))) << r.r << true;
    }
}

void CaptureTest::rectangles()
{
    QFETCH(QRect, rect);
    QFETCH(bool, invert);
    QCOMPARE(m_rootSize, QSize(3200, 1080));
    ScreenCapture cap;
    // Dirty the buffer first: a clipped capture must not leave old pixels.
    cap.frame(rect.size()).fill(Qt::white);
    QCOMPARE(cap.capture(rect, invert), ScreenCapture::Result::Ok);
    QCOMPARE(firstDifference(cap.frame(rect.size()), expected(m_root, rect, invert)), QString());
}

void CaptureTest::frameKeepsItsMemory()
{
    ScreenCapture cap;
    const uchar* big = cap.frame(QSize(1920, 1080)).constBits();
    // Smaller frames reuse the memory; no allocation per change of source.
    QCOMPARE(cap.frame(QSize(640, 480)).constBits(), big);
    QCOMPARE(cap.frame(QSize(1920, 1080)).constBits(), big);
    QCOMPARE(cap.capture(QRect(0, 0, 640, 480), false), ScreenCapture::Result::Ok);
    QCOMPARE(cap.frame(QSize(640, 480)).constBits(), big);
}

QTEST_MAIN(CaptureTest)
#include "capture_test.moc"
