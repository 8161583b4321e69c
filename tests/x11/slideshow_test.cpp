// The slideshow on a real desktop: the start-up source plays the start-up
// list on the target display picture by picture and ends on the last one;
// an empty list says so once; the editor takes dropped files, saves and
// reopens both list files through its dialogs and plays to the target;
// what is captured is what is shown; and choosing a desktop area with the
// editor open closes it and starts mirroring. Runs under tests/desktop/vdesk;
// dialogs answer themselves.

#include "common/picture/picturefile.h"
#include "common/settings/settingsfile.h"
#include "common/ui/dialogs.h"
#include "display/engine/mirrorcontroller.h"
#include "display/selection/areaselection.h"
#include "display/settings/mirovexsettings.h"
#include "display/shell/startcontroller.h"
#include "display/slideshow/slidelist.h"
#include "display/slideshow/slideshow.h"
#include "display/slideshow/slideshoweditor.h"
#include "display/slideshow/slideview.h"
#include "platform/monitors.h"
#include "tests/support/xreadback.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

using namespace mirovex;
using mirovex::test::grabRoot;
using mirovex::test::waitUntil;

namespace {

const QRgb kRed = qRgb(220, 20, 20), kGreen = qRgb(20, 200, 40), kBlue = qRgb(30, 40, 230);

QRgb at(const QImage& shot, QPoint p) { return shot.isNull() || !shot.rect().contains(p) ? 0 : shot.pixel(p) | 0xff000000u; }

// Close enough for a JPEG of one colour.
bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) < 12 && std::abs(qGreen(a) - qGreen(b)) < 12 && std::abs(qBlue(a) - qBlue(b)) < 12;
}

QString hex(QRgb c) { return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0')); }

} // namespace

class SlideshowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void autoStartPlaysEachPictureAndEndsOnTheLast();
    void emptyStartListSaysSoOnceAndShowsTheIdlePanel();
    void editorTakesDropsSavesReopensAndPlays();
    void captureDuringAShowIsThePictureShown();
    void openSlideshowPlaysTheFileAndKeepsItForNextTime();
    void selectingAnAreaWithTheEditorOpenStartsMirroring();

private:
    QString picture(const QString& name, QRgb colour, picture::FileType type = picture::FileType::Png);
    void start(bool cutOnly);
    QRgb targetCentre() const;
    void writeIdx(const QByteArray& bytes);

    QList<platform::Monitor> m_monitors;
    QTemporaryDir m_dir;
    std::unique_ptr<StartController> m_start;
    QStringList m_messages;
    QStringList m_fileAnswers; // what the file dialogs choose, in order
};

void SlideshowTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    m_monitors = platform::monitors();
    QVERIFY(!m_monitors.isEmpty());
    QVERIFY(m_dir.isValid());
    ui::setModalRunner([this](QDialog& d) {
        if (auto* box = qobject_cast<QMessageBox*>(&d)) {
            m_messages << box->windowTitle() + QLatin1Char('|') + box->text();
            const QMessageBox::StandardButton answer = box->button(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
            if (QAbstractButton* b = box->button(answer))
                b->click();
            return int(answer);
        }
        if (auto* files = qobject_cast<QFileDialog*>(&d)) {
            if (m_fileAnswers.isEmpty())
                return int(QDialog::Rejected);
            const QFileInfo chosen(m_fileAnswers.takeFirst());
            files->setDirectory(chosen.absolutePath());
            files->selectFile(chosen.fileName());
            return int(QDialog::Accepted);
        }
        // The area selection takes real input; the start-up notices are
        // simply closed.
        if (d.windowTitle() == QLatin1String("Mirovex - Select Area"))
            return d.exec();
        return int(QDialog::Accepted);
    });
}

void SlideshowTest::init()
{
    QFile::remove(settings::mainFilePath());
    QFile::remove(slides::autoStartPath());
    m_messages.clear();
    m_fileAnswers.clear();
}

void SlideshowTest::cleanup() { m_start.reset(); }

QString SlideshowTest::picture(const QString& name, QRgb colour, picture::FileType type)
{
    QImage img(320, 240, QImage::Format_RGB32);
    img.fill(colour);
    const QString path = m_dir.filePath(name);
    if (!picture::writePictureFile(path, img, type))
        return {};
    return path;
}

void SlideshowTest::writeIdx(const QByteArray& bytes)
{
    QFile f(slides::autoStartPath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void SlideshowTest::start(bool cutOnly)
{
    SettingsEdit e(settings::mainFilePath());
    e.setString("Options", "AutoStartMirror", QStringLiteral("4"));
    e.setString("Options", "Display Options", QStringLiteral("1"));
    QVERIFY(e.commit());
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    if (cutOnly) // style 0: each picture at once, so each can be seen whole
        m_start->slideshow().setRandomSource([] { return 0u; });
    m_start->firstActivation();
}

QRgb SlideshowTest::targetCentre() const
{
    const TFmonitor& t = m_start->mirror().target();
    if (!t.isVisible())
        return 0;
    const QPoint centre = t.mapToGlobal(QPoint(t.width() / 2, t.height() / 2));
    return at(grabRoot(QRect(centre, QSize(1, 1))), QPoint(0, 0));
}

void SlideshowTest::autoStartPlaysEachPictureAndEndsOnTheLast()
{
    const QString red = picture(QStringLiteral("red.png"), kRed);
    const QString green = picture(QStringLiteral("green.jpg"), kGreen, picture::FileType::Jpeg);
    const QString blue = picture(QStringLiteral("blue.bmp"), kBlue, picture::FileType::Bmp);
    writeIdx(QStringLiteral("1\r\nOff\r\n%1\r\n%2\r\n%3\r\n").arg(red, green, blue).toUtf8());
    start(true);
    MirrorController& mirror = m_start->mirror();
    QCOMPARE(mirror.session().source(), SourceKind::Slideshow);
    QVERIFY(mirror.session().running());
    QCOMPARE(mirror.session().trayHint(), 5);
    QVERIFY(!mirror.frameLoop().enabled());

    // The colours seen at the target's centre, in order, until the show ends.
    QList<QRgb> seen;
    const auto note = [&](QRgb c) {
        for (QRgb want : {kRed, kGreen, kBlue})
            if (near(c, want) && (seen.isEmpty() || seen.last() != want))
                seen << want;
    };
    QVERIFY(waitUntil([&] {
        note(targetCentre());
        return !mirror.session().running();
    }, 15000));
    note(targetCentre());
    QCOMPARE(seen, (QList<QRgb>{kRed, kGreen, kBlue}));
    // Ended by itself: stopped, still the slideshow, the last picture stays.
    QCOMPARE(mirror.session().source(), SourceKind::Slideshow);
    QVERIFY(!m_start->slideshow().sessionPlaying());
    QCOMPARE(m_start->slideshow().picturesShown(), 3);
    QTest::qWait(300);
    QVERIFY2(near(targetCentre(), kBlue), qPrintable(hex(targetCentre())));
    QVERIFY(m_messages.isEmpty());
}

void SlideshowTest::emptyStartListSaysSoOnceAndShowsTheIdlePanel()
{
    for (const QByteArray& idx : {QByteArray(), QByteArray("5\nOn\n")}) {
        writeIdx(idx);
        m_messages.clear();
        start(false);
        QVERIFY(waitUntil([&] { return !m_messages.isEmpty(); }, 5000));
        QTest::qWait(200);
        QCOMPARE(m_messages, QStringList{QStringLiteral("Mirovex | Can't start automatic image slideshow")});
        QCOMPARE(m_start->mirror().session().source(), SourceKind::None);
        QCOMPARE(m_start->mirror().target().view(), TargetView::Idle);
        m_start.reset();
    }
    // No file at all: the same.
    QFile::remove(slides::autoStartPath());
    m_messages.clear();
    start(false);
    QVERIFY(waitUntil([&] { return !m_messages.isEmpty(); }, 5000));
    QCOMPARE(m_messages.size(), 1);
    // "Continue Last Session" says it under the settings file's name.
    m_messages.clear();
    m_start->slideshow().continueLastSession();
    QCOMPARE(m_messages, QStringList{QStringLiteral("MirovexA.cfg | Can't start automatic image slideshow")});
    QCOMPARE(m_start->mirror().session().source(), SourceKind::None);
}

void SlideshowTest::editorTakesDropsSavesReopensAndPlays()
{
    const QString red = picture(QStringLiteral("a-red.png"), kRed);
    const QString green = picture(QStringLiteral("b-green.jpg"), kGreen, picture::FileType::Jpeg);
    const QString blue = picture(QStringLiteral("c-blue.bmp"), kBlue, picture::FileType::Bmp);
    QFile gif(m_dir.filePath(QStringLiteral("x.gif")));
    QVERIFY(gif.open(QIODevice::WriteOnly));
    gif.write("GIF89a");
    gif.close();
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->firstActivation();
    slides::Slideshow& show = m_start->slideshow();
    show.setRandomSource([] { return 0u; });
    show.makeSlideshow();
    slides::Tfss& editor = show.editor();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QCOMPARE(m_start->mirror().session().source(), SourceKind::Slideshow);

    // Dropped from a file manager: the duplicate and the GIF are left out.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(red), QUrl::fromLocalFile(green), QUrl::fromLocalFile(red),
                  QUrl::fromLocalFile(gif.fileName()), QUrl::fromLocalFile(blue)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&editor, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&editor, &drop);
    QCOMPARE(editor.rows().paths(), (QStringList{red, green, blue}));
    QCOMPARE(editor.table()->topLevelItemCount(), 3);
    QCOMPARE(editor.table()->topLevelItem(1)->text(4), QStringLiteral("320 X 240"));
    QCOMPARE(editor.table()->topLevelItem(1)->text(3), m_dir.path());
    QVERIFY(editor.modified());
    editor.selectRow(0);
    QVERIFY(waitUntil([&] { return editor.preview()->pixmap().width() == 209; }, 5000));
    QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                 qEnvironmentVariable("VDESK_STATE") + QStringLiteral("/slideshow-editor.png")});

    // Saved through the dialogs, with the default suffixes.
    editor.setDuration(1);
    editor.setLoop(false);
    m_fileAnswers = {m_dir.filePath(QStringLiteral("talk")), m_dir.filePath(QStringLiteral("talk"))};
    // Into a folder that is not there: said, nothing written, still unsaved.
    m_messages.clear();
    QVERIFY(!editor.saveSlideshowTo(m_dir.filePath(QStringLiteral("gone/talk.tss"))));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(editor.modified());
    QVERIFY(!QFile::exists(slides::autoStartPath()));
    // Opened again (another "Make Slideshow"): what is unsaved stays so.
    show.makeSlideshow();
    QVERIFY(editor.modified());
    m_fileAnswers = {m_dir.filePath(QStringLiteral("talk")), m_dir.filePath(QStringLiteral("talk"))};
    editor.button(QStringLiteral("Save Slideshow"))->click();
    QCOMPARE(QFileInfo(m_dir.filePath(QStringLiteral("talk.tss"))).exists(), true);
    QVERIFY(!editor.modified());
    editor.button(QStringLiteral("Save Project"))->click();
    const QByteArray paths = QStringLiteral("%1\n%2\n%3\n").arg(red, green, blue).toUtf8();
    QFile tss(m_dir.filePath(QStringLiteral("talk.tss")));
    QVERIFY(tss.open(QIODevice::ReadOnly));
    QCOMPARE(tss.readAll(), QByteArray("1\nOff\n") + paths);
    QFile mef(m_dir.filePath(QStringLiteral("talk.mef")));
    QVERIFY(mef.open(QIODevice::ReadOnly));
    QCOMPARE(mef.readAll(), QByteArray("0\n1\n") + paths);
    // Saving also leaves the list for "Continue Last Session".
    QCOMPARE(slides::readListFile(slides::autoStartPath(), slides::ListFormat::AutoStart)->paths, (QStringList{red, green, blue}));
    QVERIFY(editor.fromProject());

    // Reopened: cleared first, then the project's list and switches.
    editor.table()->selectAll();
    editor.button(QStringLiteral("Remove Image"))->click();
    QCOMPARE(editor.rows().count(), 0);
    editor.setDuration(9);
    m_fileAnswers = {m_dir.filePath(QStringLiteral("talk.mef"))};
    editor.button(QStringLiteral("Open Project"))->click();
    QCOMPARE(editor.rows().paths(), (QStringList{red, green, blue}));
    QCOMPARE(editor.duration(), 1);
    QVERIFY(!editor.loop());

    // Played to the target display.
    auto* onTarget = editor.findChild<QCheckBox*>(QStringLiteral("fssbcMonitor"));
    QVERIFY(onTarget);
    onTarget->click();
    QCOMPARE(onTarget->text(), QStringLiteral("On"));
    QVERIFY(waitUntil([&] { return m_start->mirror().target().isVisible(); }, 5000));
    editor.button(QStringLiteral("Play"))->click();
    QVERIFY(show.previewPlaying());
    QList<QRgb> seen;
    QVERIFY(waitUntil([&] {
        const QRgb c = targetCentre();
        for (QRgb want : {kRed, kGreen, kBlue})
            if (near(c, want) && (seen.isEmpty() || seen.last() != want))
                seen << want;
        return !show.previewPlaying();
    }, 15000));
    QCOMPARE(seen, (QList<QRgb>{kRed, kGreen, kBlue}));
    QCOMPARE(editor.countLabel(), QStringLiteral("3 / 3"));

    // Choosing a row stops a playing preview; the next play starts one
    // player from the first picture.
    editor.setDuration(30);
    editor.button(QStringLiteral("Play"))->click();
    QVERIFY(show.previewPlaying());
    editor.selectRow(2);
    QVERIFY(!show.previewPlaying());
    editor.button(QStringLiteral("Play"))->click();
    QVERIFY(show.previewPlaying());
    QVERIFY(waitUntil([&] { return editor.countLabel() == QStringLiteral("1 / 3"); }, 5000));
    editor.button(QStringLiteral("Play"))->click();
    QVERIFY(!show.previewPlaying());

    // A project naming twelve missing files: ten boxes name them, one
    // counts the rest; the files there are listed.
    QByteArray project("1\n4\n");
    for (int i = 0; i < 12; ++i)
        project += m_dir.filePath(QStringLiteral("missing-%1.jpg").arg(i)).toUtf8() + '\n';
    project += red.toUtf8() + '\n' + red.toUtf8() + '\n';
    QFile many(m_dir.filePath(QStringLiteral("many.mef")));
    QVERIFY(many.open(QIODevice::WriteOnly));
    many.write(project);
    many.close();
    m_messages.clear();
    QVERIFY(editor.openProjectFrom(many.fileName()));
    QCOMPARE(m_messages.size(), 11);
    QVERIFY(m_messages.first().endsWith(QStringLiteral("|File does not exist ") + m_dir.filePath(QStringLiteral("missing-0.jpg"))));
    QCOMPARE(m_messages.last(), QStringLiteral("Mirovex|2 more files do not exist."));
    QCOMPARE(editor.rows().paths(), (QStringList{red, red})); // duplicates kept
    // A project that cannot be read changes nothing.
    QVERIFY(!editor.openProjectFrom(m_dir.filePath(QStringLiteral("none.mef"))));
    QCOMPARE(editor.rows().count(), 2);
    QVERIFY(editor.openProjectFrom(m_dir.filePath(QStringLiteral("talk.mef"))));

    // Closing with nothing changed asks nothing; the source is put back.
    m_messages.clear();
    editor.button(QStringLiteral("Close"))->click();
    QVERIFY(!editor.isVisible());
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(m_start->mirror().session().source(), SourceKind::None);
}

void SlideshowTest::captureDuringAShowIsThePictureShown()
{
    const QString red = picture(QStringLiteral("red.png"), kRed);
    const QString blue = picture(QStringLiteral("blue.png"), kBlue);
    writeIdx(QStringLiteral("5\nOn\n%1\n%2\n").arg(red, blue).toUtf8());
    // A real transition this time: the shown frame is compared mid-way.
    start(false);
    MirrorController& mirror = m_start->mirror();
    slides::SlideView& view = m_start->slideshow().view();
    QVERIFY(waitUntil([&] { return near(targetCentre(), kRed) && !view.transitioning(); }, 10000));
    const TFmonitor& t = mirror.target();
    const QImage displayed = mirror.target().displayedPicture();
    QCOMPARE(displayed.size(), t.size());
    const QImage onScreen = grabRoot(QRect(t.mapToGlobal(QPoint(0, 0)), t.size()));
    QCOMPARE(onScreen.size(), displayed.size());
    for (const QPoint p : {QPoint(t.width() / 2, t.height() / 2), QPoint(2, 2), QPoint(t.width() - 3, t.height() / 2)})
        QCOMPARE(at(onScreen, p), at(displayed, p));
    QVERIFY(mirror.copyDisplayedToClipboard());
    // Mid-transition to blue: the frame shown is neither picture.
    QVERIFY(waitUntil([&] { return view.transitioning() && view.progress() >= 28 && view.progress() <= 72; }, 10000));
    const QString shot = qEnvironmentVariable("VDESK_STATE") + QStringLiteral("/slideshow-transition.png");
    QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), shot});
    mirror.session().stopAll();
    QVERIFY(!m_start->slideshow().sessionPlaying());
    QVERIFY(!mirror.target().isVisible());
}

void SlideshowTest::openSlideshowPlaysTheFileAndKeepsItForNextTime()
{
    const QString green = picture(QStringLiteral("green.png"), kGreen);
    writeIdx("1\nOff\n/nothing/here.jpg\n");
    const QString tss = m_dir.filePath(QStringLiteral("show.TSS"));
    QFile f(tss);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("2\r\nOff\r\n%1\r\n").arg(green).toUtf8());
    f.close();
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->firstActivation();
    m_start->slideshow().setRandomSource([] { return 0u; });
    MirrorController& mirror = m_start->mirror();

    // Cancelled: projection stops.
    m_start->slideshow().openSlideshow();
    QCOMPARE(mirror.session().source(), SourceKind::None);
    // Chosen: played at once, and the start-up list is now this one.
    m_fileAnswers = {tss};
    m_start->slideshow().openSlideshow();
    QCOMPARE(mirror.session().source(), SourceKind::Slideshow);
    QVERIFY(mirror.session().running());
    QCOMPARE(slides::readListFile(slides::autoStartPath(), slides::ListFormat::AutoStart)->paths, QStringList{green});
    QVERIFY(waitUntil([&] { return near(targetCentre(), kGreen); }, 10000));
    QVERIFY(waitUntil([&] { return !mirror.session().running(); }, 10000));
    // Run plays it again, not an older list.
    mirror.session().toggle();
    QVERIFY(m_start->slideshow().sessionPlaying());
    QVERIFY(m_messages.isEmpty());
    // A missing picture ends the show with its message.
    writeIdx(QStringLiteral("1\nOn\n%1\n/nothing/here.jpg\n").arg(green).toUtf8());
    m_start->slideshow().continueLastSession();
    QVERIFY(waitUntil([&] { return !m_messages.isEmpty(); }, 10000));
    QCOMPARE(m_messages, QStringList{QStringLiteral("Mirovex |Auto start slideshow error.\nCan't find image")});
    QVERIFY(!mirror.session().running());
}

void SlideshowTest::selectingAnAreaWithTheEditorOpenStartsMirroring()
{
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->firstActivation();
    m_start->slideshow().makeSlideshow();
    QVERIFY(QTest::qWaitForWindowExposed(&m_start->slideshow().editor()));
    // Run does nothing while the editor is open.
    m_start->mirror().session().toggle();
    QVERIFY(!m_start->mirror().session().running());

    const QPoint from = m_monitors[0].root.topLeft() + QPoint(100, 120);
    const QPoint till = from + QPoint(300, 200);
    QProcess::startDetached(QStringLiteral("bash"),
                            {QStringLiteral("-c"),
                             QStringLiteral("timeout 10 xdotool search --sync --onlyvisible --name '^Mirovex - Select Area$' "
                                            ">/dev/null; sleep 0.3; xdotool mousemove %1 %2 mousedown 1; sleep 0.1; "
                                            "xdotool mousemove %3 %4; sleep 0.2; xdotool mouseup 1")
                                 .arg(from.x()).arg(from.y()).arg(till.x()).arg(till.y())});
    QSignalSpy finished(&m_start->area(), &AreaSelection::selectionFinished);
    const mirovex::test::ModalGuard guard(12000);
    m_start->area().selectDesktopArea();
    QVERIFY(finished.count() > 0 || finished.wait(15000));
    QVERIFY(finished.first().first().toBool());
    QVERIFY(!m_start->slideshow().editorOpen());
    QCOMPARE(m_start->mirror().session().source(), SourceKind::Desktop);
    QVERIFY(m_start->mirror().session().running());
}

QTEST_MAIN(SlideshowTest)
#include "slideshow_test.moc"
