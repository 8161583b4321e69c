// The scrolling text on a real two-display desktop: typed with xdotool, sent
// to the target window's strip and read back from the screen, floating over
// the primary display with only its letters to be seen, and the colour
// dialog's custom colours kept across a restart.

#include "common/settings/settingsfolder.h"
#include "common/ui/colordialog.h"
#include "common/ui/dialogs.h"
#include "display/engine/mirrorcontroller.h"
#include "display/scrolltext/scrollset.h"
#include "display/settings/mirovexsettings.h"
#include "platform/desktopstate.h"
#include "platform/monitors.h"
#include "tests/support/xreadback.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

using namespace mirovex;
using mirovex::scrolltext::Direction;
using mirovex::scrolltext::Position;
using mirovex::test::grabRoot;
using mirovex::test::waitUntil;
using mirovex::test::xdotool;

namespace {

// A plain green desktop that counts the clicks it gets.
class Backdrop : public QWidget {
public:
    Backdrop() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {}
    int presses = 0;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(0, 200, 0)); }
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

bool dark(QRgb p) { return qRed(p) < 80 && qGreen(p) < 80 && qBlue(p) < 80; }
bool white(QRgb p) { return qRed(p) > 230 && qGreen(p) > 230 && qBlue(p) > 230; }
bool green(QRgb p) { return qRed(p) < 40 && qGreen(p) > 170 && qBlue(p) < 40; }

// Share of a row's pixels that pass `test`.
double rowShare(const QImage& image, int y, bool (*test)(QRgb))
{
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += test(image.pixel(x, y)) ? 1 : 0;
    return double(n) / image.width();
}

// The mean x of the dark pixels in a band; -1 when there are none.
double letterCentre(const QImage& band)
{
    double sum = 0;
    int n = 0;
    for (int y = 0; y < band.height(); ++y)
        for (int x = 0; x < band.width(); ++x)
            if (dark(band.pixel(x, y))) {
                sum += x;
                ++n;
            }
    return n > 20 ? sum / n : -1;
}

void shot(const QString& name)
{
    const QString dir = qEnvironmentVariable("SCROLLTEXT_SHOTS");
    if (!dir.isEmpty())
        grabRoot(QRect(0, 0, 8000, 8000)).save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class ScrollTextTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void typedTextScrollsInABandOnTheTarget_data();
    void typedTextScrollsInABandOnTheTarget();
    void stopProjectionTakesTheStripAway();
    void floatingLettersOnlyLetTheDesktopAndClicksThrough();
    void floatingTextStaysAboveTheTargetWhenItRuns();
    void aCustomColourSurvivesARestart();
    void aSavedFileOpensAsItWas();
    void filesThroughTheirDialogs();
    void pastedTextBecomesOneLine();

private:
    QRect targetRoot() const { return platform::monitors().at(1).root; }
    void typeText(const QString& text);

    std::unique_ptr<MirrorController> m_ctl;
    std::unique_ptr<ui::ColorDialog> m_colours;
    std::unique_ptr<Tfscrolset> m_window;
    std::unique_ptr<Backdrop> m_backdrop;
};

void ScrollTextTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    QVERIFY(platform::monitors().size() >= 2);
}

void ScrollTextTest::init()
{
    QDir(settingsFolder()).removeRecursively();
    QDir().mkpath(settingsFolder());
    m_backdrop = std::make_unique<Backdrop>();
    m_backdrop->setGeometry(platform::primaryRoot());
    m_backdrop->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_backdrop.get()));
    m_ctl = std::make_unique<MirrorController>();
    m_colours = std::make_unique<ui::ColorDialog>(QStringLiteral("ColorDialog1"));
    Tfscrolset::Hooks hooks;
    hooks.toggleTarget = [this] {
        if (m_ctl->target().isVisible())
            m_ctl->hideTarget();
        else
            m_ctl->showTargetOnStoredDisplay();
    };
    m_window = std::make_unique<Tfscrolset>(*m_ctl, *m_colours, hooks);
    m_window->open();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void ScrollTextTest::cleanup()
{
    ui::setModalRunner([](QDialog& d) { return d.exec(); });
    m_window.reset();
    m_ctl.reset();
    m_colours.reset();
    m_backdrop.reset();
}

void ScrollTextTest::typeText(const QString& text)
{
    QVERIFY(waitUntil([&] { return QApplication::focusWidget() == m_window->textEdit(); }, 8000));
    QVERIFY(xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text}));
    QVERIFY(waitUntil([&] { return m_window->textEdit()->text() == text; }, 8000));
}

void ScrollTextTest::typedTextScrollsInABandOnTheTarget_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("direction");
    QTest::newRow("bottom, right to left") << int(Position::Bottom) << int(Direction::RightToLeft);
    QTest::newRow("top, left to right") << int(Position::Top) << int(Direction::LeftToRight);
    QTest::newRow("center, right to left") << int(Position::Center) << int(Direction::RightToLeft);
}

void ScrollTextTest::typedTextScrollsInABandOnTheTarget()
{
    QFETCH(int, position);
    QFETCH(int, direction);
    typeText(QStringLiteral("MMMM Mirovex news MMMM"));
    m_window->dynamicHeight()->setChecked(false);
    m_window->textHeight()->setValue(30);
    m_window->backgroundHeight()->setValue(40);
    m_window->positionBox(Position(position))->setChecked(true);
    m_window->directionBox(Direction(direction))->setChecked(true);
    QCOMPARE(m_window->positionBox(Position(position))->text(), QStringLiteral("On"));
    m_window->button(QStringLiteral("Send Text"))->click();
    QVERIFY(m_ctl->target().isVisible());
    QCOMPARE(m_window->button(QStringLiteral("Show Target Display"))->text(), QStringLiteral("Hide Target Display"));

    const QRect target = targetRoot();
    const int top = position == int(Position::Top) ? 0 : position == int(Position::Bottom) ? target.height() - 40 : target.height() / 2 - 20;
    // A white band of the background height, black around it.
    QImage screen;
    QVERIFY(waitUntil([&] {
        screen = grabRoot(target);
        return !screen.isNull() && rowShare(screen, top + 2, white) > 0.5 && rowShare(screen, top + 37, white) > 0.5;
    }, 8000));
    if (top > 2)
        QVERIFY(rowShare(screen, top - 2, white) < 0.01);
    if (top + 42 < target.height())
        QVERIFY(rowShare(screen, top + 42, white) < 0.01);
    shot(QStringLiteral("strip-") + QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_')));

    // The letters move the chosen way.
    const QRect band(target.left(), target.top() + top, target.width(), 40);
    double first = -1;
    QVERIFY(waitUntil([&] { return (first = letterCentre(grabRoot(band))) > 0; }, 12000));
    QVERIFY(waitUntil([&] {
        const double now = letterCentre(grabRoot(band));
        return now > 0 && (direction == int(Direction::RightToLeft) ? now < first - 30 : now > first + 30);
    }, 8000));

    m_window->button(QStringLiteral("Hide"))->click();
    QVERIFY(waitUntil([&] { return rowShare(grabRoot(target), top + 20, white) < 0.01; }, 8000));
    QVERIFY(m_window->strip().control()->text().isEmpty());
}

void ScrollTextTest::stopProjectionTakesTheStripAway()
{
    m_window->textEdit()->setText(QStringLiteral("Stop me"));
    m_window->backgroundHeight()->setValue(40);
    m_window->sendText();
    const QRect target = targetRoot();
    QVERIFY(waitUntil([&] { return rowShare(grabRoot(target), target.height() - 20, white) > 0.5; }, 8000));
    m_ctl->session().stopProjection();
    QVERIFY(!m_window->strip().shown());
    QVERIFY(waitUntil([&] { return rowShare(grabRoot(target), target.height() - 20, white) < 0.01; }, 8000));

    // Stop All likewise, and the floating strip leaves no window behind.
    m_window->floatBox()->setChecked(true);
    m_window->sendText();
    QVERIFY(waitUntil([&] { return m_window->strip().floatWindow()->isVisible(); }, 8000));
    m_ctl->session().stopAll();
    QVERIFY(!m_window->strip().floatWindow()->isVisible());
}

void ScrollTextTest::floatingLettersOnlyLetTheDesktopAndClicksThrough()
{
    m_window->textEdit()->setText(QStringLiteral("MMMM WWWW MMMM WWWW"));
    m_window->dynamicHeight()->setChecked(false);
    m_window->textHeight()->setValue(30);
    m_window->backgroundHeight()->setValue(40);
    m_window->positionBox(Position::Center)->setChecked(true);
    m_window->floatBox()->setChecked(true);
    m_window->transparentBox()->setChecked(true);
    // From the target display (110) to the next one, the primary.
    QCOMPARE(m_window->floatingIndex(), 110);
    m_window->showOnNextDisplay();
    QCOMPARE(m_window->floatingIndex(), 0);
    m_window->hide(); // out of the way of the band
    m_window->sendText();
    TFloatTXT* floating = m_window->strip().floatWindow();
    QVERIFY(QTest::qWaitForWindowExposed(floating));
    QCOMPARE(floating->cutToLetters(), !platform::compositorRunning());

    const QRect primary = platform::primaryRoot();
    const QRect band(primary.left(), primary.center().y() - 20 + 1, primary.width(), 40);
    QCOMPARE(floating->geometry().top(), primary.top() + primary.height() / 2 - 20);
    // Mostly the green desktop, with dark letters on it.
    QVERIFY(waitUntil([&] {
        const QImage b = grabRoot(band);
        return rowShare(b, 20, green) > 0.6 && letterCentre(b) > 0;
    }, 8000));
    shot(platform::compositorRunning() ? QStringLiteral("floating-compositor") : QStringLiteral("floating-outline"));

    // A click on the strip reaches the window beneath.
    const int before = m_backdrop->presses;
    QVERIFY(xdotool({QStringLiteral("mousemove"), QString::number(primary.center().x()), QString::number(band.center().y()),
                     QStringLiteral("click"), QStringLiteral("1")}));
    QVERIFY(waitUntil([&] { return m_backdrop->presses > before; }, 5000));
    m_window->hideStrip();
    QVERIFY(!floating->isVisible());
}

void ScrollTextTest::floatingTextStaysAboveTheTargetWhenItRuns()
{
    m_window->textEdit()->setText(QStringLiteral("Above the target"));
    m_window->backgroundHeight()->setValue(40);
    m_window->positionBox(Position::Top)->setChecked(true);
    m_window->floatBox()->setChecked(true);
    m_window->sendText(); // index 110: the target display
    const QRect target = targetRoot();
    QVERIFY(QTest::qWaitForWindowExposed(m_window->strip().floatWindow()));
    // Run: the desktop is mirrored and the target window comes up and is
    // raised; the strip stays on top of it.
    m_ctl->chooseDesktop();
    QVERIFY(waitUntil([&] { return m_ctl->target().isVisible() && m_ctl->frameLoop().framesShown() > 10; }, 8000));
    m_ctl->target().raise();
    QVERIFY(waitUntil([&] { return rowShare(grabRoot(target), 20, white) > 0.5; }, 8000));
    QTest::qWait(300); // a late restack would show now; the check must still hold
    QVERIFY(rowShare(grabRoot(target), 20, white) > 0.5);
    shot(QStringLiteral("floating-over-target"));
}

void ScrollTextTest::aCustomColourSurvivesARestart()
{
    const QString colorx = settingsFolder() + QStringLiteral("colorx.cld");
    const QString color = settingsFolder() + QStringLiteral("color.cld");
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    // The presenter adds a custom colour and picks a font colour.
    ui::setModalRunner([](QDialog& d) {
        auto* dialog = qobject_cast<QColorDialog*>(&d);
        if (!dialog || !dialog->testOption(QColorDialog::DontUseNativeDialog))
            return int(QDialog::Rejected);
        QColorDialog::setCustomColor(3, QColor(10, 20, 200));
        dialog->setCurrentColor(QColor(200, 0, 0));
        return int(QDialog::Accepted);
    });
    m_window->button(QStringLiteral("Font Color"))->click();
    QCOMPARE(m_window->preview()->textColour(), QColor(200, 0, 0));
    QVERIFY(QFile::exists(colorx));
    m_window->close();
    QVERIFY(QFile::exists(color));

    // A fresh start: the dialog as new, then its files.
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    ui::ColorDialog again(QStringLiteral("ColorDialog"));
    QVERIFY(again.load(color)); // the object name is not checked
    QCOMPARE(QColorDialog::customColor(3), QColor(10, 20, 200));
    QCOMPARE(again.color(), QColor(200, 0, 0));

    // A cut file keeps the dialog as it is.
    QFile f(colorx);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QByteArray whole = f.readAll();
    f.resize(whole.size() / 2);
    f.close();
    QColorDialog::setCustomColor(3, QColor(1, 2, 3));
    QVERIFY(!again.load(colorx));
    QCOMPARE(QColorDialog::customColor(3), QColor(1, 2, 3));
}

void ScrollTextTest::aSavedFileOpensAsItWas()
{
    const QString path = settingsFolder() + QStringLiteral("news.sct");
    m_window->textEdit()->setText(QStringLiteral("Saved news"));
    m_window->dynamicHeight()->setChecked(false);
    m_window->textHeight()->setValue(50);
    m_window->backgroundHeight()->setValue(90);
    m_window->intervalBox()->setValue(20);
    m_window->stepBox()->setValue(4);
    m_window->positionBox(Position::Center)->setChecked(true);
    m_window->directionBox(Direction::LeftToRight)->setChecked(true);
    QVERIFY(m_window->saveFile(path));

    m_window->textEdit()->setText(QStringLiteral("other"));
    m_window->dynamicHeight()->setChecked(true);
    m_window->textHeight()->setValue(20);
    m_window->positionBox(Position::Top)->setChecked(true);
    m_window->directionBox(Direction::RightToLeft)->setChecked(true);
    QVERIFY(m_window->openFile(path));
    QCOMPARE(m_window->textEdit()->text(), QStringLiteral("Saved news"));
    QCOMPARE(m_window->textHeight()->value(), 50);
    // The dynamic height is on, yet the stored background height holds.
    QCOMPARE(m_window->backgroundHeight()->value(), 90);
    QCOMPARE(m_window->intervalBox()->value(), 20);
    QCOMPARE(m_window->stepBox()->value(), 4);
    QVERIFY(m_window->positionBox(Position::Center)->isChecked());
    QCOMPARE(m_window->positionBox(Position::Top)->text(), QStringLiteral("Off"));
    QVERIFY(m_window->directionBox(Direction::LeftToRight)->isChecked());
    QCOMPARE(m_window->preview()->direction(), Direction::LeftToRight);
    QCOMPARE(m_window->preview()->text(), QStringLiteral("Saved news"));
    QCOMPARE(m_window->defaultSaveName(), path);

    // A file that is not there changes nothing.
    QVERIFY(!m_window->openFile(path + QStringLiteral(".missing")));
    QCOMPARE(m_window->textEdit()->text(), QStringLiteral("Saved news"));
}

void ScrollTextTest::filesThroughTheirDialogs()
{
    // The presenter names the file without its suffix; the dialogs offer
    // both cases of it.
    const QString base = settingsFolder() + QStringLiteral("talk");
    QStringList filters;
    ui::setModalRunner([&](QDialog& d) {
        auto* dialog = qobject_cast<QFileDialog*>(&d);
        if (!dialog)
            return int(QDialog::Rejected);
        filters << dialog->nameFilters();
        const QString name = dialog->acceptMode() == QFileDialog::AcceptSave ? base : base + QStringLiteral(".SCT");
        if (dialog->acceptMode() == QFileDialog::AcceptOpen)
            QFile::rename(base + QStringLiteral(".sct"), name);
        dialog->selectFile(name);
        static_cast<QDialog*>(dialog)->accept();
        return int(QDialog::Accepted);
    });
    m_window->textEdit()->setText(QStringLiteral("By the dialog"));
    m_window->button(QStringLiteral("Save"))->click();
    QVERIFY(QFile::exists(base + QStringLiteral(".sct")));
    m_window->textEdit()->clear();
    m_window->button(QStringLiteral("Open"))->click();
    QCOMPARE(m_window->textEdit()->text(), QStringLiteral("By the dialog"));
    QCOMPARE(filters.first(), QStringLiteral("Scroll Text File (.sct) (*.sct *.SCT)"));
}

void ScrollTextTest::pastedTextBecomesOneLine()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("first line\nsecond\tline"));
    m_window->button(QStringLiteral("Paste Text"))->click();
    QVERIFY(waitUntil([&] { return m_window->textEdit()->text() == QStringLiteral("first line second line"); }, 8000));
}

QTEST_MAIN(ScrollTextTest)
#include "scrolltext_test.moc"
