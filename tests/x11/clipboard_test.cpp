// The clipboard source and the image window on a real desktop: pictures put
// on the clipboard by another program (xclip) reach the target display
// fitted; text, broken or oversized pictures and a clipboard owner that
// never answers change nothing and hold nothing up.

#include "common/geometry/aspectfit.h"
#include "display/content/imagewindow.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "tests/support/xreadback.h"
#include "platform/clipboardreader.h"

#include <QApplication>
#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <xcb/xcb.h>

#include <zlib.h>

#include <atomic>
#include <chrono>
#include <future>

using namespace mirovex;
using mirovex::test::grabRoot;
using mirovex::test::waitUntil;

namespace {

QRgb at(const QImage& shot, QPoint p) { return shot.pixel(p) | 0xff000000u; }
bool near(QRgb a, QRgb b, int tolerance = 6)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}
QString hex(QRgb c) { return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0')); }

QByteArray png(const QImage& image)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "PNG");
    return out;
}

// A well-formed PNG header that promises a picture far over any budget.
QByteArray hugePngHeader()
{
    QByteArray ihdr("IHDR");
    const auto be32 = [](QByteArray& a, quint32 v) {
        for (int s = 24; s >= 0; s -= 8)
            a.append(char((v >> s) & 0xff));
    };
    be32(ihdr, 100000);
    be32(ihdr, 100000);
    ihdr.append("\x08\x02\x00\x00\x00", 5);
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    be32(out, 13);
    out.append(ihdr);
    be32(out, quint32(crc32(0, reinterpret_cast<const Bytef*>(ihdr.constData()), uInt(ihdr.size()))));
    out.append(QByteArray(64, '\0'));
    return out;
}

QImage twoColours()
{
    QImage img(400, 300, QImage::Format_RGB32);
    img.fill(QColor(0xd0, 0x40, 0x40));
    for (int y = 0; y < 300; ++y)
        for (int x = 200; x < 400; ++x)
            img.setPixel(x, y, qRgb(0x20, 0x50, 0xc0));
    return img;
}

} // namespace

class ClipboardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void picturesCopiedAreShownFitted();
    void whatIsNoPictureChangesNothing();
    void aClipboardOwnerThatNeverAnswersHoldsNothingUp();
    void imageWindowShowsWhatTheTargetShows();

private:
    // Puts `bytes` on the clipboard as `type`, served by xclip until the
    // next copy or the end of the test.
    void copy(const QByteArray& bytes, const QString& type);
    QRgb targetPixel(QPoint inClient) const;

    QTemporaryDir m_dir;
    QList<QProcess*> m_xclips;
    std::unique_ptr<MirrorController> m_ctl;
};

void ClipboardTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    QVERIFY(platform::monitors().size() >= 2);
}

void ClipboardTest::init()
{
    QFile::remove(settings::mainFilePath());
    m_ctl = std::make_unique<MirrorController>();
    m_ctl->showTargetOnStoredDisplay();
    QVERIFY(waitUntil([&] { return m_ctl->target().geometry() == platform::monitors()[1].root; }, 5000));
    m_ctl->chooseClipboard();
    QVERIFY(m_ctl->session().running());
    QCOMPARE(m_ctl->target().view(), TargetView::Picture);
}

void ClipboardTest::cleanup()
{
    m_ctl.reset();
    for (QProcess* p : m_xclips) {
        p->kill();
        p->waitForFinished(3000);
        delete p;
    }
    m_xclips.clear();
}

void ClipboardTest::copy(const QByteArray& bytes, const QString& type)
{
    const QString file = m_dir.filePath(QStringLiteral("copy%1").arg(m_xclips.size()));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    auto* p = new QProcess;
    // -quiet keeps xclip in the foreground, so the test can end it.
    p->start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                       QStringLiteral("-t"), type, QStringLiteral("-i"), file});
    QVERIFY(p->waitForStarted(3000));
    m_xclips.append(p);
}

QRgb ClipboardTest::targetPixel(QPoint p) const
{
    const TFmonitor& t = m_ctl->target();
    return at(grabRoot(QRect(t.mapToGlobal(p), QSize(1, 1))), {0, 0});
}

void ClipboardTest::picturesCopiedAreShownFitted()
{
    copy(png(twoColours()), QStringLiteral("image/png"));
    QVERIFY(waitUntil([&] { return m_ctl->clipboardPicturesShown() == 1; }, 5000));
    const QSize client = m_ctl->target().size();
    const QRect fitted = aspectFit(QSize(400, 300), client);
    const QPoint mid(fitted.left() + fitted.width() / 4, fitted.center().y());
    const QPoint right(fitted.left() + fitted.width() * 3 / 4, fitted.center().y());
    QVERIFY2(waitUntil([&] { return near(targetPixel(mid), qRgb(0xd0, 0x40, 0x40)); }, 5000), qPrintable(hex(targetPixel(mid))));
    QVERIFY(near(targetPixel(right), qRgb(0x20, 0x50, 0xc0)));
    // The bands are the background colour (black by default).
    QCOMPARE(hex(targetPixel(QPoint(fitted.left() / 2, fitted.center().y()))), hex(qRgb(0, 0, 0)));

    // The next copy follows; inverted while "Invert Image" is on.
    m_ctl->setInvert(true);
    QImage green(300, 300, QImage::Format_RGB32);
    green.fill(QColor(0x30, 0xb0, 0x30));
    copy(png(green), QStringLiteral("image/png"));
    QVERIFY(waitUntil([&] { return m_ctl->clipboardPicturesShown() == 2; }, 5000));
    const QPoint centre(client.width() / 2, client.height() / 2);
    QVERIFY2(waitUntil([&] { return near(targetPixel(centre), qRgb(0xcf, 0x4f, 0xcf)); }, 5000), qPrintable(hex(targetPixel(centre))));
    m_ctl->setInvert(false);

    // A large picture comes in pieces from its owner, and still arrives.
    QImage big(1600, 1200, QImage::Format_RGB32);
    quint32 noise = 2463534242u; // noise does not compress: the PNG stays large
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x) {
            noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
            big.setPixel(x, y, noise | 0xff000000u);
        }
    const QByteArray bigPng = png(big);
    QVERIFY(bigPng.size() > 1 << 20);
    copy(bigPng, QStringLiteral("image/png"));
    QVERIFY(waitUntil([&] { return m_ctl->clipboardPicturesShown() == 3; }, 8000));

    // While stopped, copies are not shown.
    m_ctl->session().stop();
    copy(png(twoColours()), QStringLiteral("image/png"));
    QTest::qWait(1000);
    QCOMPARE(m_ctl->clipboardPicturesShown(), 3);
}

void ClipboardTest::whatIsNoPictureChangesNothing()
{
    copy(png(twoColours()), QStringLiteral("image/png"));
    QVERIFY(waitUntil([&] { return m_ctl->clipboardPicturesShown() == 1; }, 5000));
    const QImage before = m_ctl->target().displayedPicture();
    const struct {
        const char* name;
        QByteArray bytes;
        const char* type;
    } cases[] = {
        {"text", QByteArray("some words"), "UTF8_STRING"},
        {"a picture that does not decode", QByteArray(5000, 'x'), "image/png"},
        {"a picture far over the budget", hugePngHeader(), "image/png"},
        {"a cut-off picture", png(twoColours()).left(200), "image/png"},
    };
    for (const auto& c : cases) {
        copy(c.bytes, QLatin1String(c.type));
        QTest::qWait(800);
        QCOMPARE(m_ctl->clipboardPicturesShown(), 1);
        QVERIFY2(m_ctl->target().displayedPicture() == before, c.name);
        QVERIFY(m_ctl->session().running());
    }
}

void ClipboardTest::aClipboardOwnerThatNeverAnswersHoldsNothingUp()
{
    // Takes the clipboard and then ignores every request.
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_window_t w = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0,
                      nullptr);
    auto* a = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 9, "CLIPBOARD"), nullptr);
    xcb_set_selection_owner(c, w, a->atom, XCB_CURRENT_TIME);
    std::free(a);
    xcb_flush(c);

    // The event loop keeps turning while the picture is waited for.
    int ticks = 0;
    QTimer t;
    connect(&t, &QTimer::timeout, this, [&] { ++ticks; });
    t.start(10);
    QTest::qWait(1000);
    t.stop();
    // Blocked, it would turn a few times at most; under load on two shared
    // cores it still turns far more often than that.
    QVERIFY2(ticks >= 25, qPrintable(QStringLiteral("%1 ticks in a second").arg(ticks)));
    QCOMPARE(m_ctl->clipboardPicturesShown(), 0);

    // A read waiting on that owner ends as soon as it is told to stop (the
    // program quitting), long before its deadline.
    std::atomic_bool stop{false};
    auto read = std::async(std::launch::async, [&] { return platform::readClipboardPicture(60000, 1 << 20, &stop); });
    QTest::qWait(200);
    QVERIFY(read.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready);
    stop = true;
    QVERIFY(read.wait_for(std::chrono::seconds(10)) == std::future_status::ready);
    QVERIFY(read.get().bytes.isEmpty());
    xcb_disconnect(c);

    // Once the owner is gone, copies are shown again.
    QTest::qWait(1500);
    copy(png(twoColours()), QStringLiteral("image/png"));
    QVERIFY(waitUntil([&] { return m_ctl->clipboardPicturesShown() == 1; }, 6000));
}

void ClipboardTest::imageWindowShowsWhatTheTargetShows()
{
    copy(png(twoColours()), QStringLiteral("image/png"));
    QVERIFY(waitUntil([&] { return m_ctl->clipboardPicturesShown() == 1; }, 5000));
    TFmonitor& target = m_ctl->target();
    TFslika preview([&] { return QRect(target.mapToGlobal(QPoint(0, 0)), target.size()); });
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    // Its shape is the target's; the default height.
    QCOMPARE(preview.height(), 150);
    QCOMPARE(preview.width(), int(std::lround(150.0 * target.width() / target.height())));
    QVERIFY(waitUntil([&] { return preview.refreshes() >= 2; }, 5000));

    const QImage shown = preview.shownPicture();
    const QRect fitted = aspectFit(QSize(400, 300), target.size());
    const auto inPreview = [&](QPoint inTarget) {
        return QPoint(inTarget.x() * shown.width() / target.width(), inTarget.y() * shown.height() / target.height());
    };
    const QPoint red = inPreview(QPoint(fitted.left() + fitted.width() / 4, fitted.bottom() - 40));
    const QPoint blue = inPreview(QPoint(fitted.left() + fitted.width() * 3 / 4, fitted.bottom() - 40));
    QVERIFY2(near(at(shown, red), qRgb(0xd0, 0x40, 0x40), 12), qPrintable(hex(at(shown, red))));
    QVERIFY2(near(at(shown, blue), qRgb(0x20, 0x50, 0xc0), 12), qPrintable(hex(at(shown, blue))));
    // And what the presenter sees on the screen is that picture.
    const QPoint onScreen = preview.mapToGlobal(QPoint(3, 3) + red);
    QVERIFY(waitUntil([&] { return near(at(grabRoot(QRect(onScreen, QSize(1, 1))), {0, 0}), qRgb(0xd0, 0x40, 0x40), 12); }, 3000));

    // "+" grows it by 50 in the target's shape, within a third of the
    // primary's height; "-" takes it back; the height is stored.
    preview.grow();
    QCOMPARE(preview.height(), 200);
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::slikaVisina), 200);
    for (int i = 0; i < 10; ++i)
        preview.grow();
    QVERIFY(preview.height() <= platform::monitors()[0].root.height() / 3 + 50);
    for (int i = 0; i < 10; ++i)
        preview.shrink();
    QCOMPARE(preview.height(), 100);
    preview.close();
    QVERIFY(waitUntil([&] { return !preview.isVisible(); }, 2000));
    const SettingsFile file(settings::mainFilePath());
    QCOMPARE(file.read(settings::key::fVisina), 100);
    QCOMPARE(file.read(settings::key::fSirina), preview.width());
}

QTEST_MAIN(ClipboardTest)
#include "clipboard_test.moc"
