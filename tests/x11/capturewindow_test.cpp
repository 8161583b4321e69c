// Capturing what the target display shows: a still pattern is mirrored and
// captured into a private folder, and the files are read back with the real
// decoders.

#include "display/capture/capturewindow.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "common/picture/picturefile.h"
#include "tests/support/desktop.h"
#include "tests/support/xreadback.h"
#include "common/ui/dialogs.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace mirovex;
using mirovex::test::waitUntil;

namespace {

double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); y += 3)
        for (int x = 0; x < a.width(); x += 3) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * (a.width() / 3) * (a.height() / 3));
}

} // namespace

class CaptureWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void threeCapturesInARow();
    void eachTypeDecodesToTheTargetsPicture_data();
    void eachTypeDecodesToTheTargetsPicture();
    void anExistingFileIsSkipped();
    void aFolderThatCannotBeWritten();
    void startArmsAndStops();

private:
    QString capture();

    std::unique_ptr<test::ColourStripes> m_pattern;
    std::unique_ptr<MirrorController> m_ctl;
    std::unique_ptr<TFsave> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_messages;
};

void CaptureWindowTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    ui::setModalRunner([this](QDialog& d) {
        if (auto* box = qobject_cast<QMessageBox*>(&d))
            m_messages << box->text();
        return int(QDialog::Rejected);
    });
}

void CaptureWindowTest::init()
{
    QFile::remove(settings::mainFilePath());
    m_messages.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    m_pattern = std::make_unique<test::ColourStripes>();
    m_pattern->setGeometry(platform::primaryRoot());
    m_pattern->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pattern.get()));
    m_ctl = std::make_unique<MirrorController>();
    m_ctl->setCursorKind(cursor::Kind::None);
    m_ctl->chooseDesktop();
    // Settled: a few frames, or the loop asleep over the still pattern.
    QVERIFY(waitUntil([&] {
        const FrameLoop& loop = m_ctl->frameLoop();
        return m_ctl->target().isVisible() && (loop.framesShown() > 5 || (loop.framesShown() > 0 && loop.asleep()));
    }, 8000));
    m_ctl->session().stop(); // a still picture to compare with
    m_window = std::make_unique<TFsave>(*m_ctl);
    m_window->folderEdit()->setText(m_dir->path());
    // Showing the window puts the counter in the number field.
    m_window->show();
}

void CaptureWindowTest::cleanup()
{
    m_window.reset();
    m_ctl.reset();
    m_pattern.reset();
}

QString CaptureWindowTest::capture()
{
    QSignalSpy done(m_window.get(), &TFsave::captured);
    QSignalSpy failed(m_window.get(), &TFsave::captureFailed);
    m_window->captureNow();
    waitUntil([&] { return done.count() + failed.count() > 0; }, 5000);
    return done.isEmpty() ? QString() : done.first().first().toString();
}

void CaptureWindowTest::threeCapturesInARow()
{
    QCOMPARE(m_window->counter(), 10);
    m_window->show();
    QCOMPARE(m_window->numberBox()->value(), 10);
    QCOMPARE(m_window->previewText(), QStringLiteral("[ image10 ]"));
    // Three presses before any write is done: each gets a number of its own.
    QSignalSpy done(m_window.get(), &TFsave::captured);
    for (int i = 0; i < 3; ++i)
        m_window->captureNow();
    QVERIFY(waitUntil([&] { return done.count() == 3; }, 8000));
    QStringList names = QDir(m_dir->path()).entryList(QDir::Files);
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("image10.jpg"), QStringLiteral("image11.jpg"), QStringLiteral("image12.jpg")}));
    QCOMPARE(m_window->counter(), 13);
    // The counter is stored at once, not only at exit.
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::imgCounter), 13);
    QVERIFY(m_messages.isEmpty());
}

void CaptureWindowTest::eachTypeDecodesToTheTargetsPicture_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("ext");
    QTest::newRow("JPEG") << 0 << QStringLiteral(".jpg");
    QTest::newRow("PNG") << 1 << QStringLiteral(".png");
    QTest::newRow("BMP") << 2 << QStringLiteral(".bmp");
}

void CaptureWindowTest::eachTypeDecodesToTheTargetsPicture()
{
    QFETCH(int, type);
    QFETCH(QString, ext);
    m_window->typeBox()->setCurrentIndex(type);
    const QImage shown = m_ctl->target().displayedPicture().convertToFormat(QImage::Format_RGB32);
    const QString path = capture();
    QVERIFY2(path.endsWith(QStringLiteral("image10") + ext), qPrintable(path));
    QString error;
    const QImage back = picture::readPictureFile(path, &error);
    QVERIFY2(!back.isNull(), qPrintable(error));
    QCOMPARE(back.size(), shown.size());
    if (type == 0)
        QVERIFY(meanDifference(back, shown) < 4.0);
    else
        QCOMPARE(back, shown);
}

void CaptureWindowTest::anExistingFileIsSkipped()
{
    QFile earlier(m_dir->filePath(QStringLiteral("image10.png")));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier capture");
    earlier.close();
    m_window->typeBox()->setCurrentIndex(1);
    QVERIFY(capture().endsWith(QStringLiteral("image11.png")));
    QCOMPARE(m_window->counter(), 12);
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("an earlier capture"));

    // A number typed in is used, and the counter goes on in its own order.
    m_window->numberBox()->setValue(50);
    QVERIFY(capture().endsWith(QStringLiteral("image50.png")));
    QCOMPARE(m_window->counter(), 13);
    QCOMPARE(m_window->numberBox()->value(), 13);
}

void CaptureWindowTest::aFolderThatCannotBeWritten()
{
    // A file standing where the folder should be, and a folder that is gone.
    const QString file = m_dir->filePath(QStringLiteral("not-a-folder"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    for (const QString& folder : {file, m_dir->filePath(QStringLiteral("gone"))}) {
        m_messages.clear();
        m_window->hide();
        m_window->folderEdit()->setText(folder);
        QVERIFY(capture().isEmpty());
        QCOMPARE(m_messages, QStringList{QStringLiteral("The destination directory does not exist or is not writable.")});
        QCOMPARE(m_window->counter(), 10);
        QVERIFY(m_window->isVisible()); // opened again to put it right
    }
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::imgCounter), 10);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("not-a-folder")});

    // The target window hidden: nothing happens at all.
    m_window->folderEdit()->setText(m_dir->path());
    m_ctl->hideTarget();
    m_messages.clear();
    m_window->captureNow();
    m_window->waitForWrites();
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 1);
}

void CaptureWindowTest::startArmsAndStops()
{
    // Without a way to arm a key, "Start" never claims it is armed.
    m_window->setHotkeyArmer(nullptr);
    m_window->show();
    m_window->shortcutEdit()->setShortcut(hotkey::parse(QStringLiteral("Ctrl+F11")));
    m_messages.clear();
    m_window->startOrStop();
    QVERIFY(!m_window->armed());
    QCOMPARE(m_messages, QStringList{QStringLiteral("The shortcut Ctrl+F11 cannot be used: hotkeys are not available.")});

    QStringList calls;
    QString refuse;
    m_window->setHotkeyArmer([&](const QString& s, bool arm) {
        calls << (arm ? QStringLiteral("arm ") : QStringLiteral("disarm ")) + s;
        return arm ? refuse : QString();
    });
    // An empty shortcut: "Start" does nothing.
    m_window->shortcutEdit()->setShortcut(std::nullopt);
    m_window->startOrStop();
    QVERIFY(calls.isEmpty());
    QVERIFY(m_window->isVisible());
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::hotKey), QStringLiteral("None"));

    // A key that cannot be had: said, and the window stays to choose another.
    refuse = QStringLiteral("in use by another program");
    m_messages.clear();
    m_window->shortcutEdit()->setShortcut(hotkey::parse(QStringLiteral("Ctrl+F11")));
    m_window->startOrStop();
    QVERIFY(!m_window->armed());
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_messages, QStringList{QStringLiteral("The shortcut Ctrl+F11 cannot be used: in use by another program.")});

    refuse.clear();
    calls.clear();
    m_window->startOrStop();
    QVERIFY(m_window->armed());
    QVERIFY(!m_window->isVisible()); // armed: the window gets out of the way
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::hotKey), QStringLiteral("Ctrl+F11"));
    m_window->startOrStop();
    QVERIFY(!m_window->armed());
    QCOMPARE(calls, (QStringList{QStringLiteral("arm Ctrl+F11"), QStringLiteral("disarm Ctrl+F11")}));
}

QTEST_MAIN(CaptureWindowTest)
#include "capturewindow_test.moc"
