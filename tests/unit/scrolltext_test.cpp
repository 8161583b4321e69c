#include "common/ui/colordialog.h"
#include "display/scrolltext/scrolltextfile.h"

#include "tests/unit/testfolder.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace mirovex;
using namespace mirovex::scrolltext;
using mirovex::test::TestFolder;

namespace {

TEST(Ticker, TextEntersAtOneEdgeAndLeavesAtTheOther)
{
    const struct {
        const char* name;
        Direction direction;
        int control, text;
        qint64 travelled;
        int left;
    } cases[] = {
        {"rtl starts past the right edge", Direction::RightToLeft, 1000, 300, 0, 1000},
        {"rtl moves left", Direction::RightToLeft, 1000, 300, 250, 750},
        {"rtl short text leaves fully", Direction::RightToLeft, 1000, 300, 1299, -299},
        {"rtl short text starts again", Direction::RightToLeft, 1000, 300, 1300, 1000},
        {"rtl long text", Direction::RightToLeft, 500, 2000, 2400, -1900},
        {"rtl long text starts again", Direction::RightToLeft, 500, 2000, 2500 * 3 + 10, 490},
        {"ltr starts before the left edge", Direction::LeftToRight, 1000, 300, 0, -300},
        {"ltr moves right", Direction::LeftToRight, 1000, 300, 250, -50},
        {"ltr short text leaves fully", Direction::LeftToRight, 1000, 300, 1299, 999},
        {"ltr short text starts again", Direction::LeftToRight, 1000, 300, 1300, -300},
        {"ltr long text", Direction::LeftToRight, 500, 2000, 2400, 400},
        {"no text", Direction::RightToLeft, 800, 0, 801, 799},
        {"no width at all", Direction::LeftToRight, 0, 0, 5, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(textLeft(c.direction, c.control, c.text, c.travelled), c.left) << c.name;
}

TEST(Ticker, DistanceFollowsTheClock)
{
    EXPECT_EQ(travelled(2, 10, 1000), 200);
    EXPECT_EQ(travelled(1, 50, 49), 0);
    EXPECT_EQ(travelled(300, 1, 1000), 300000);
    EXPECT_EQ(travelled(2, 0, 10), 20); // no interval counts as 1 ms
    EXPECT_EQ(travelled(2, 10, -5), 0);
    // Long runs do not overflow: a day at the fastest speed.
    EXPECT_EQ(travelled(300, 1, 86400000LL), 300LL * 86400000LL);
}

TEST(ScrollText, OneLineOfAtMost400Characters)
{
    EXPECT_EQ(cleanText(QStringLiteral("a\r\nb\nc\rd\te")), QStringLiteral("a b c d e"));
    EXPECT_EQ(cleanText(QString(500, u'x')).size(), kMaxTextLength);
    // A character outside the basic plane is never cut in half.
    const QString emoji = QString(399, u'x') + QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(cleanText(emoji), QString(399, u'x'));
}

TEST(ScrollTextFile, RoundTripKeepsEveryValue)
{
    TestFolder folder;
    const QString path = folder.path(QStringLiteral("news.sct"));
    Settings s;
    s.text = QStringLiteral("  Dobrodošli  ");
    s.interval = 25;
    s.step = 3;
    s.backgroundHeight = 60;
    s.textHeight = 44;
    s.background = 0x123456;
    s.previewHeight = 60;
    s.transparent = true;
    s.direction = Direction::LeftToRight;
    s.floating = true;
    s.position = Position::Center;
    s.fontColour = 0x00FF00;
    s.fontName = QStringLiteral("DejaVu Serif");
    s.bold = true;
    s.italic = true;
    ASSERT_TRUE(writeSettings(path, s, 2697513));
    const auto back = readSettings(path, 1080);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, QStringLiteral("Dobrodošli")); // the file cannot keep end blanks
    EXPECT_EQ(back->interval, 25);
    EXPECT_EQ(back->step, 3);
    EXPECT_EQ(back->backgroundHeight, 60);
    EXPECT_EQ(back->textHeight, 44);
    EXPECT_EQ(back->background, 0x123456u);
    EXPECT_TRUE(back->transparent);
    EXPECT_EQ(back->direction, Direction::LeftToRight);
    EXPECT_TRUE(back->floating);
    EXPECT_EQ(back->position, Position::Center);
    EXPECT_EQ(back->fontColour, 0x00FF00u);
    EXPECT_EQ(back->fontName, QStringLiteral("DejaVu Serif"));
    // Bold with italic comes back as both.
    EXPECT_TRUE(back->bold);
    EXPECT_TRUE(back->italic);
    EXPECT_FALSE(back->underline);
    const QByteArray raw = TestFolder::readAll(path);
    for (const char* line : {"XiPos=44", "fsize=44", "fheight=-44", "gb2=2697513", "fpitch=65280", "fs1=1", "fs2=1", "fs3=0"})
        EXPECT_TRUE(raw.contains(line)) << line;
}

TEST(ScrollTextFile, MissingKeysGiveTheDefaults)
{
    TestFolder folder;
    const QString path = folder.path(QStringLiteral("empty.sct"));
    TestFolder::write(path, "[scroll]\ntext=Hello\nxstep=abc\n");
    const auto s = readSettings(path, 1080);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->text, QStringLiteral("Hello"));
    EXPECT_EQ(s->direction, Direction::RightToLeft);
    EXPECT_EQ(s->position, Position::Top);
    EXPECT_EQ(s->interval, 10);
    EXPECT_EQ(s->step, 1);
    EXPECT_EQ(s->backgroundHeight, 180);
    EXPECT_EQ(s->textHeight, 30);
    EXPECT_EQ(s->background, 0xFFFFFFu);
    EXPECT_EQ(s->fontName, QStringLiteral("MS Sans Serif"));
    EXPECT_FALSE(s->bold);
}

TEST(ScrollTextFile, ValuesAreClamped)
{
    TestFolder folder;
    const QString path = folder.path(QStringLiteral("wild.sct"));
    TestFolder::write(path, "[scroll]\nxinterval=0\nxstep=9999\nxHeight=5000\nXiPos=1\nheight=-3\n"
                            "backcolor=-1\nfcolor=2147483647\nposition=7\ndirection=5\n"
                            "text=" + QByteArray(600, 'x') + "\n");
    const auto s = readSettings(path, 720);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->interval, 1);
    EXPECT_EQ(s->step, 300);
    EXPECT_EQ(s->backgroundHeight, 720);
    EXPECT_EQ(s->textHeight, 6);
    EXPECT_EQ(s->previewHeight, 6);
    EXPECT_EQ(s->background, 0xFFFFFFu);
    EXPECT_EQ(s->fontColour, 0xFFFFFFu);
    EXPECT_EQ(s->position, Position::Top);
    EXPECT_EQ(s->direction, Direction::RightToLeft);
    EXPECT_EQ(s->text.size(), kMaxTextLength);
}

TEST(ScrollTextFile, TextHeightFromEachStyleOfFile)
{
    TestFolder folder;
    const struct {
        const char* name;
        QByteArray keys;
        int textHeight;
    } cases[] = {
        // The older form: the text height beside a font size in points.
        {"text height beside font size", "XiPos=30\nfsize=8\nfheight=-11\n", 30},
        {"font size only", "fsize=25\nfheight=-25\n", 25},
        {"font height only", "fheight=-19\n", 19},
        {"nothing", "", 30},
        {"styles read all", "fs1=1\nfs4=1\n", 30},
    };
    for (const auto& c : cases) {
        const QString path = folder.path(QStringLiteral("h.sct"));
        TestFolder::write(path, "[scroll]\n" + c.keys);
        const auto s = readSettings(path, 1080);
        ASSERT_TRUE(s) << c.name;
        EXPECT_EQ(s->textHeight, c.textHeight) << c.name;
    }
    const auto styled = readSettings(folder.path(QStringLiteral("h.sct")), 1080);
    EXPECT_TRUE(styled->bold);
    EXPECT_TRUE(styled->strikeOut);
    EXPECT_FALSE(styled->italic);
}

TEST(ScrollTextFile, UnreadableFilesChangeNothing)
{
    TestFolder folder;
    EXPECT_FALSE(readSettings(folder.path(QStringLiteral("missing.sct")), 1080));
    EXPECT_FALSE(readSettings(folder.path(), 1080)); // a folder
    const QString locked = folder.path(QStringLiteral("locked.sct"));
    TestFolder::write(locked, "[scroll]\ntext=x\n");
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    if (!QFile(locked).open(QIODevice::ReadOnly)) { // root reads anything
        EXPECT_FALSE(readSettings(locked, 1080));
    }
    // A save into a folder that is not there fails and makes nothing.
    EXPECT_FALSE(writeSettings(folder.path(QStringLiteral("none/x.sct")), Settings{}, 0));
}

TEST(ScrollTextFile, TextFilesAreReadUpToABound)
{
    TestFolder folder;
    const QString path = folder.path(QStringLiteral("long.txt"));
    TestFolder::write(path, "\xEF\xBB\xBFline one\r\nline two\n" + QByteArray(1 << 20, 'z'));
    const auto text = readTextFile(path);
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->startsWith(QStringLiteral("line one line two zz")));
    EXPECT_EQ(text->size(), kMaxTextLength);

    TestFolder::write(path, "Caf\xE9");
    EXPECT_EQ(readTextFile(path), QStringLiteral("Café"));
    // A two-byte letter cut by the bound is no reason to read Latin-1.
    TestFolder::write(path, QByteArray(kMaxTextLength * 4 + 63, 'a') + "\xC4\x8D" + "tail");
    const auto cut = readTextFile(path);
    ASSERT_TRUE(cut);
    EXPECT_EQ(*cut, QString(kMaxTextLength, u'a'));
    EXPECT_FALSE(readTextFile(folder.path(QStringLiteral("missing.txt"))));

    ASSERT_TRUE(writeTextFile(path, QStringLiteral("Živjo")));
    EXPECT_EQ(TestFolder::readAll(path), QByteArray("\xC5\xBDivjo"));
}

TEST(ColourDialogState, CustomColoursAsSixteenStrings)
{
    ui::CustomColours colours;
    colours.fill(0xFFFFFF);
    EXPECT_TRUE(ui::customColourStrings(colours).empty());
    colours[2] = 0x0000FF;
    const auto strings = ui::customColourStrings(colours);
    ASSERT_EQ(strings.size(), 16u);
    EXPECT_EQ(strings[0], "ColorA=FFFFFF");
    EXPECT_EQ(strings[2], "ColorC=0000FF");
    EXPECT_EQ(ui::customColoursFrom(strings), colours);

    // Malformed entries leave their place white; the letter decides the place.
    const auto read = ui::customColoursFrom({"ColorP=123456", "colorB=00ff00", "ColorQ=000000", "ColorA=GG", "ColorC=", "junk"});
    EXPECT_EQ(read[15], 0x123456u);
    EXPECT_EQ(read[1], 0x00FF00u);
    EXPECT_EQ(read[0], 0xFFFFFFu);
    EXPECT_EQ(read[2], 0xFFFFFFu);
}

} // namespace
