#include "annotate/board/placement.h"
#include "annotate/settings/notelhotkeys.h"
#include "annotate/settings/notelsettings.h"
#include "annotate/settings/toolholders.h"
#include "annotate/settings/windowobjects.h"
#include "common/settings/settingsfolder.h"
#include "common/settings/settingsreset.h"
#include "common/ui/colordialog.h"
#include "display/shell/launchcooldown.h"
#include "platform/link.h"
#include "tests/unit/testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace mirovex;
using mirovex::test::TestFolder;

namespace {

TEST(WindowId, OnlyPlainDecimalInRange)
{
    const struct {
        const char* text;
        std::optional<std::uint32_t> want;
    } cases[] = {
        {"12582922", 12582922u}, {"  77 ", 77u},           {"1", 1u},
        {"4294967295", 4294967295u}, {"4294967296", std::nullopt}, {"0", std::nullopt},
        {"abc", std::nullopt},   {"", std::nullopt},       {"   ", std::nullopt},
        {"-5", std::nullopt},    {"+5", std::nullopt},     {"0x1a", std::nullopt},
        {"12 34", std::nullopt}, {"99999999999999999999", std::nullopt}, {"١٢", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::link::parseWindowId(QString::fromUtf8(c.text)), c.want) << c.text;
}

const QList<QRect> kOne{QRect(0, 0, 1920, 1080)};
const QList<QRect> kSide{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 720)};
const QList<QRect> kStacked{QRect(0, 0, 1920, 1080), QRect(0, 1080, 1280, 720)};
const QList<QRect> kPrimaryRight{QRect(0, 0, 1920, 1080), QRect(-1280, 0, 1280, 720)};

TEST(TrayButtonPlace, StoredPlaceOrTwoHundredPerAxis)
{
    const struct {
        const char* name;
        QList<QRect> displays;
        QPoint stored, want;
    } cases[] = {
        {"far off", kOne, {5000, 5000}, {200, 200}},
        {"negative", kOne, {-40, 300}, {200, 300}},
        {"negative top", kOne, {300, -1}, {300, 200}},
        {"right edge margin", kOne, {1895, 100}, {200, 100}},
        {"inside", kOne, {1880, 1040}, {1880, 1040}},
        {"second display kept", kSide, {2500, 300}, {2500, 300}},
        {"below the second display", kSide, {2500, 900}, {200, 900}},
        {"stacked below", kStacked, {100, 1500}, {100, 1500}},
        {"display left of primary", kPrimaryRight, {-900, 100}, {-900, 100}},
        {"off everything", kSide, {4000, 100}, {200, 100}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(annotate::trayButtonPlace(c.stored, c.displays), c.want) << c.name;
}

TEST(BoardDisplay, TheDisplayOfTheTrayButtonsCentre)
{
    const struct {
        const char* name;
        QList<QRect> displays;
        QRect button;
        QRect want;
    } cases[] = {
        {"primary", kSide, {200, 200, 32, 32}, kSide[0]},
        {"second", kSide, {2000, 100, 32, 32}, kSide[1]},
        {"stacked second, not primary size nor top 0", kStacked, {100, 1200, 32, 32}, kStacked[1]},
        {"straddling: the centre decides", kSide, {1900, 10, 32, 32}, kSide[0]},
        {"straddling the other way", kSide, {1905, 10, 32, 32}, kSide[1]},
        {"left of primary", kPrimaryRight, {-600, 300, 32, 32}, kPrimaryRight[1]},
    };
    for (const auto& c : cases)
        EXPECT_EQ(annotate::boardDisplay(c.button, c.displays), c.want) << c.name;
}

TEST(TrayButtonDrag, NeverPastMinusThirteen)
{
    EXPECT_EQ(annotate::limitedDrag({-50, -20}), QPoint(-13, -13));
    EXPECT_EQ(annotate::limitedDrag({-13, 400}), QPoint(-13, 400));
    EXPECT_EQ(annotate::limitedDrag({3000, -12}), QPoint(3000, -12));
}

TEST(TrayButtonRaise, TopLeftCornerOfItsDisplay)
{
    const QRect second = kSide[1];
    EXPECT_TRUE(annotate::inRaiseCorner({0, 0}, kSide[0]));
    EXPECT_TRUE(annotate::inRaiseCorner({13, 14}, kSide[0]));
    EXPECT_FALSE(annotate::inRaiseCorner({14, 0}, kSide[0]));
    EXPECT_FALSE(annotate::inRaiseCorner({0, 15}, kSide[0]));
    EXPECT_TRUE(annotate::inRaiseCorner({1925, 3}, second));
    EXPECT_FALSE(annotate::inRaiseCorner({5, 3}, second));
}

TEST(LaunchCooldown, PressesWhileBlockedRestartTheWait)
{
    using namespace std::chrono;
    const LaunchCooldown::Clock::time_point t0{};
    const struct {
        const char* name;
        std::vector<int> pressesAt; // seconds
        int launches;
    } cases[] = {
        {"one press", {0}, 1},
        {"0, 4 and 8 s", {0, 4, 8}, 1},
        {"0 and 6 s", {0, 6}, 2},
        {"0, 5, 11 s: 11 is six after 5", {0, 5, 11}, 2},
        {"0, 5, 10 s", {0, 5, 10}, 1},
        {"0, 7, 14 s", {0, 7, 14}, 3},
    };
    for (const auto& c : cases) {
        LaunchCooldown cd;
        int launches = 0;
        for (int s : c.pressesAt)
            launches += cd.press(t0 + seconds(s)) ? 1 : 0;
        EXPECT_EQ(launches, c.launches) << c.name;
    }
}

TEST(NotelSettings, FreshFolderGivesTheDefaults)
{
    TestFolder t;
    const notel::MainSettings s = notel::loadSettings(t.path("NotelB.cfg"));
    EXPECT_EQ(s.imageName, QStringLiteral("Image"));
    EXPECT_EQ(s.imageCounter, 1);
    EXPECT_EQ(s.imageSavePath, defaultImageFolder());
    EXPECT_EQ(s.selectType, 13);
    EXPECT_EQ(s.imgType, 0);
    EXPECT_TRUE(s.smooth);
    EXPECT_FALSE(s.curved);
    EXPECT_TRUE(s.untilFokus);
    EXPECT_EQ(s.hideSek, 0);
    EXPECT_EQ(s.hideMdwn, 0);
    EXPECT_EQ(s.chfPanel, notel::Light);
    EXPECT_EQ(s.panelColour(), 16777215u);
    EXPECT_TRUE(s.minimalistic);
    EXPECT_EQ(s.mrezaX, 40);
    EXPECT_EQ(s.mrezaY, 40);
    EXPECT_EQ(s.mrezaBarva, 8421504u);
    EXPECT_EQ(s.velikost, 20);
    EXPECT_EQ(s.stampBack[0], 16744448u);
    EXPECT_EQ(s.stampBack[1], 16777215u);
    EXPECT_EQ(s.fallLeft, 600);
    EXPECT_EQ(s.fallTop, 300);
    EXPECT_FALSE(s.rbmb);
    const notel::Buttons buttons = notel::loadButtons(t.path("NotelC.cfg"));
    for (int n = notel::kFirstButton; n <= notel::kLastButton; ++n)
        EXPECT_EQ(buttons[std::size_t(n - notel::kFirstButton)], n != 8 && n != 16) << n;
    const SettingsFile a(t.path("NotelA.cfg"));
    EXPECT_EQ(a.read(notel::a::menuSx), 200);
    EXPECT_EQ(a.read(notel::a::menuTop), 200);
    EXPECT_EQ(SettingsFile(t.path("NotelD.cfg")).read(notel::d::tip), 2);
}

TEST(NotelSettings, BadValuesGiveTheirDefaults)
{
    TestFolder t;
    TestFolder::write(t.path("NotelB.cfg"), "[SaveImage]\nImageSavePath=/srv/pictures\nImageName=../up\n"
                                      "SelectType=3\nImgType=3\nImageCounter=x\n"
                                      "[General]\nCHFpanel=5\nFPanel=-1\nVelikost=4\nS11=16777216\n"
                                      "[Mreza]\nMrezaX=4\nMrezaY=501\nMrezaBarva=garbage\n");
    notel::MainSettings s = notel::loadSettings(t.path("NotelB.cfg"));
    EXPECT_EQ(s.imageSavePath, QStringLiteral("/srv/pictures/"));
    EXPECT_EQ(s.imageName, QStringLiteral("Image"));
    EXPECT_EQ(s.selectType, 13);
    EXPECT_EQ(s.imgType, 0);
    EXPECT_EQ(s.imageCounter, 1);
    EXPECT_EQ(s.chfPanel, 2);
    EXPECT_EQ(s.fPanel, 16777215u);
    EXPECT_EQ(s.velikost, 20);
    EXPECT_EQ(s.stampBack[0], 16744448u);
    EXPECT_EQ(s.mrezaX, 40);
    EXPECT_EQ(s.mrezaY, 40);
    EXPECT_EQ(s.mrezaBarva, 8421504u);

    TestFolder::write(t.path("NotelB.cfg"), "[SaveImage]\nSelectType=5\nImgType=2\nImageName=a/b\n[Mreza]\nMrezaX=5\n"
                                      "MrezaY=500\n[General]\nVelikost=250\nCHFpanel=4\n");
    s = notel::loadSettings(t.path("NotelB.cfg"));
    EXPECT_EQ(s.selectType, 5);
    EXPECT_EQ(s.imgType, 2);
    EXPECT_EQ(s.imageName, QStringLiteral("Image"));
    EXPECT_EQ(s.mrezaX, 5);
    EXPECT_EQ(s.mrezaY, 500);
    EXPECT_EQ(s.velikost, 250);
    EXPECT_EQ(s.chfPanel, 4);
}

TEST(NotelSettings, GarbageAndTruncatedFilesReadAsDefaults)
{
    TestFolder t;
    for (const QByteArray& bytes : {QByteArray("\x00\xff\xfe[[[\n=\n", 10), QByteArray("[SaveImage]\nImgTy"),
                                    QByteArray(3000, '\n')}) {
        TestFolder::write(t.path("NotelB.cfg"), bytes);
        const notel::MainSettings s = notel::loadSettings(t.path("NotelB.cfg"));
        EXPECT_EQ(s.imgType, 0);
        EXPECT_EQ(s.selectType, 13);
        EXPECT_EQ(s.imageName, QStringLiteral("Image"));
    }
}

TEST(NotelSettings, SaveMainSettingsWritesExactlyItsKeys)
{
    TestFolder t;
    notel::MainSettings s;
    s.imageName = QStringLiteral("Shot");
    s.selectType = 2;
    s.imgType = 1;
    s.mrezaX = 60;
    s.clearOn = 1;   // not one of them
    s.rbmb = true;   // nor this
    ASSERT_TRUE(notel::saveMainSettings(t.path("NotelB.cfg"), s));
    EXPECT_EQ(TestFolder::readAll(t.path("NotelB.cfg")).toStdString(),
              QByteArray("[SaveImage]\nImageName=Shot\nSelectType=2\nImgType=1\nSmooth=1\nCurved=0\nFullDesk=0\n"
                         "[Mreza]\nMrezaX=60\nMrezaY=40\nMrezaBarva=8421504\n").toStdString());
}

TEST(NotelSettings, OkAndCloseSetsRoundTrip)
{
    TestFolder t;
    notel::MainSettings s;
    s.imageSavePath = QStringLiteral("/data/shots");
    s.imageCounter = 7;
    s.minimalistic = false;
    s.chfPanel = notel::Dark;
    s.fPanel = notel::kDarkPanel;
    s.rt[9] = 0x123456;
    s.rbmb = true;
    ASSERT_TRUE(notel::saveOkSettings(t.path("NotelB.cfg"), s));
    ASSERT_TRUE(notel::saveCloseSettings(t.path("NotelB.cfg"), s));
    const notel::MainSettings back = notel::loadSettings(t.path("NotelB.cfg"));
    EXPECT_EQ(back.imageSavePath, QStringLiteral("/data/shots/"));
    EXPECT_EQ(back.imageCounter, 7);
    EXPECT_FALSE(back.minimalistic);
    EXPECT_EQ(back.chfPanel, notel::Dark);
    EXPECT_EQ(back.rt[9], 0x123456u);
    EXPECT_TRUE(back.rbmb);
    const SettingsFile f(t.path("NotelB.cfg"));
    EXPECT_EQ(f.readInt("General", "Opak", 0), 255);
    EXPECT_EQ(f.readInt("General", "Rt100", 0), 0x123456);
}

TEST(NotelSettings, NextNamePreview)
{
    EXPECT_EQ(notel::nextNamePreview(QStringLiteral("Image"), 7, 1), QStringLiteral("[ Image7.png ]"));
    EXPECT_EQ(notel::nextNamePreview(QStringLiteral("Image"), 1, 0), QStringLiteral("[ Image1.jpg ]"));
    EXPECT_EQ(notel::nextNamePreview(QStringLiteral("Shot"), 12, 2), QStringLiteral("[ Shot12.bmp ]"));
}

TEST(NotelHotkeys, NoneAndGarbageGiveNoKeyAndHotKey19IsKept)
{
    TestFolder t;
    const QString path = t.path("NotelHOT.cfg");
    TestFolder::write(path, "[Options]\nHotKey6=None\nHotKey16=Ctrl+Alt+T\nHotKey220=junk+\n"
                            "HotKey19=whatever the old program wrote\nHotKey300=Shift+F7\n");
    notel::Hotkeys h = notel::loadHotkeys(path);
    EXPECT_FALSE(h.keys[std::size_t(notel::hotkeySlot("HotKey6"))]);
    EXPECT_FALSE(h.keys[std::size_t(notel::hotkeySlot("HotKey220"))]);
    ASSERT_TRUE(h.keys[std::size_t(notel::hotkeySlot("HotKey16"))]);
    EXPECT_EQ(hotkey::toText(h.keys[std::size_t(notel::hotkeySlot("HotKey16"))]), QStringLiteral("Ctrl+Alt+T"));
    EXPECT_EQ(hotkey::toText(h.keys[std::size_t(notel::hotkeySlot("HotKey300"))]), QStringLiteral("Shift+F7"));

    h.keys[std::size_t(notel::hotkeySlot("HotKey6"))] = hotkey::parse(QStringLiteral("Ctrl+P"));
    ASSERT_TRUE(notel::saveHotkeys(path, h));
    const SettingsFile f(path);
    EXPECT_EQ(f.readString("Options", "HotKey19", {}), QStringLiteral("whatever the old program wrote"));
    EXPECT_EQ(f.readString("Options", "HotKey6", {}), QStringLiteral("Ctrl+P"));
    EXPECT_EQ(f.readString("Options", "HotKey220", {}), QStringLiteral("None"));
    // All 22 slots are in the file.
    for (const notel::HotkeySlot& slot : notel::hotkeySlots())
        EXPECT_TRUE(f.raw("Options", slot.key)) << slot.key;
}

TEST(SettingsReset, OnlyRegularVisibleFilesOfAFolderNamedMirovex)
{
    TestFolder t;
    QDir(t.path()).mkdir(QStringLiteral("Mirovex"));
    const QString folder = t.path("Mirovex/");
    TestFolder::write(folder + "NotelB.cfg", "[General]\n");
    TestFolder::write(folder + ".hidden", "x");
    QDir(folder).mkdir(QStringLiteral("sub"));
    TestFolder::write(folder + "sub/kept.txt", "x");
    TestFolder::write(t.path("outside.txt"), "precious");
    QFile::link(t.path("outside.txt"), folder + "link.txt");
    EXPECT_TRUE(removeSettingsFiles(folder));
    EXPECT_FALSE(QFileInfo::exists(folder + "NotelB.cfg"));
    EXPECT_TRUE(QFileInfo::exists(folder + ".hidden"));
    EXPECT_TRUE(QFileInfo::exists(folder + "sub/kept.txt"));
    EXPECT_TRUE(QFileInfo(folder + "link.txt").isSymLink());
    EXPECT_EQ(TestFolder::readAll(t.path("outside.txt")), QByteArray("precious"));

    // A folder of another name is never emptied.
    QDir(t.path()).mkdir(QStringLiteral("share"));
    TestFolder::write(t.path("share/other.cfg"), "x");
    EXPECT_FALSE(removeSettingsFiles(t.path("share")));
    EXPECT_TRUE(QFileInfo::exists(t.path("share/other.cfg")));
    EXPECT_FALSE(removeSettingsFiles(t.path("missing/Mirovex")));
}

} // namespace

namespace {

TEST(ToolHolders, BytesOfAPenHolder)
{
    const notel::HolderInfo& pen = notel::holderTable()[0];
    const auto bytes = notel::holderBytes(pen, {12, 255, {}});
    ASSERT_TRUE(bytes);
    const std::string& b = *bytes;
    EXPECT_EQ(b.substr(0, 4), "TPF0");
    EXPECT_NE(b.find("\x04tTpt\x06tptSvA"), std::string::npos);
    // KodaI 0 as an 8-bit integer, Barva 255 as a 16-bit one, Debelina 12 and
    // Raster 0 as 8-bit ones, then the two zero bytes that end the object.
    EXPECT_NE(b.find(std::string("\x05KodaI\x02\x00", 8)), std::string::npos);
    EXPECT_NE(b.find(std::string("\x05" "Barva\x03\xff\x00", 9)), std::string::npos);
    EXPECT_NE(b.find(std::string("\x08" "Debelina\x02\x0c", 11)), std::string::npos);
    EXPECT_EQ(b.substr(b.size() - 11), std::string("\x06Raster\x02\x00\x00\x00", 11));
}

TEST(ToolHolders, RoundTripAndBadFiles)
{
    TestFolder t;
    const QString folder = t.path() + "/";
    EXPECT_EQ(notel::loadHolders(folder), notel::builtInHolders());

    notel::Holders h = notel::builtInHolders();
    h[0] = {30, 0x00FF00, {}};
    h[4] = {5, 0x123456, '6'};
    ASSERT_TRUE(notel::saveHolders(folder, h));
    EXPECT_EQ(notel::loadHolders(folder), h);

    const auto withFile = [&](const char* file, const QByteArray& bytes, const char* why) {
        const QString path = folder + file;
        const QByteArray old = TestFolder::readAll(path);
        TestFolder::write(path, bytes);
        EXPECT_EQ(notel::loadHolders(folder), notel::builtInHolders()) << why;
        TestFolder::write(path, old);
        EXPECT_EQ(notel::loadHolders(folder), h) << why;
    };
    const QByteArray kro = TestFolder::readAll(folder + "Kro.obj");
    withFile("Kro.obj", kro.left(kro.size() - 3), "truncated");
    withFile("Kro.obj", "garbage", "garbage");
    withFile("Kro.obj", QByteArray(), "empty");
    withFile("Pus.obj", QByteArray((1 << 20) + 1, 'x'), "over 1 MiB");
    QFile::remove(folder + "Crt.obj");
    EXPECT_EQ(notel::loadHolders(folder), notel::builtInHolders()) << "one file missing";
}

TEST(ToolHolders, ValuesOutOfRangeReadAsBuiltIn)
{
    const notel::HolderValues builtIn{12, 66047, {}};
    const notel::HolderInfo info{"tptKrog", "Kro.obj", builtIn};
    const struct {
        notel::HolderValues written;
        notel::HolderValues want;
    } cases[] = {
        {{0, 5, '3'}, {12, 5, '3'}},
        {{51, 0x1000000, '8'}, {12, 66047, {}}},
        {{50, 0xFFFFFF, '0'}, {50, 0xFFFFFF, '0'}},
        {{1, 0, '7'}, {1, 0, '7'}},
    };
    for (const auto& c : cases) {
        const auto bytes = notel::holderBytes(info, c.written);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(notel::parseHolder(*bytes, builtIn), c.want) << c.written.width;
    }
}

} // namespace

namespace {
bool sameObjects(const notel::WindowObjects& a, const notel::WindowObjects& b)
{
    return a.iconPanel.color == b.iconPanel.color && a.theme.tag == b.theme.tag && a.theme.color == b.theme.color
        && a.iconToolColour.checked == b.iconToolColour.checked;
}
} // namespace

TEST(WindowObjects, RoundTripOfTheThreeControls)
{
    TestFolder t;
    const QString folder = t.path() + "/";
    const notel::WindowObjects defaults;
    notel::WindowObjects read;
    notel::loadWindowObjects(folder, read);
    EXPECT_TRUE(sameObjects(read, defaults)) << "no files yet";

    notel::WindowObjects written;
    written.iconPanel.color = 0x123456;
    written.theme = {notel::UserDefined, 0x00ABCDEF};
    written.iconToolColour.checked = true;
    ASSERT_TRUE(notel::saveWindowObjects(folder, written));
    notel::loadWindowObjects(folder, read);
    EXPECT_TRUE(sameObjects(read, written));

    // Each file is one named object of its control's class.
    const struct {
        const char* file;
        const char* className;
        const char* objectName;
    } files[] = {{"txt201.obj", "TPanel", "txt201"}, {"ind101.obj", "TPanel", "ind101"}, {"cbbar.obj", "TCheckBox", "cbbar"}};
    for (const auto& f : files) {
        const QByteArray bytes = TestFolder::readAll(folder + f.file);
        const std::optional<objstream::Object> o = objstream::parse(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        ASSERT_TRUE(o) << f.file;
        EXPECT_EQ(o->className, f.className) << f.file;
        EXPECT_EQ(o->objectName, f.objectName) << f.file;
    }

    // Back at the defaults, written and read again, nothing is left over.
    ASSERT_TRUE(notel::saveWindowObjects(folder, defaults));
    notel::loadWindowObjects(folder, read);
    EXPECT_TRUE(sameObjects(read, defaults));
}

TEST(WindowObjects, BadFilesLeaveTheControlAndTheFile)
{
    TestFolder t;
    const QString folder = t.path() + "/";
    notel::WindowObjects kept;
    kept.iconPanel.color = 0x0000FF;
    kept.theme = {notel::Custom, 0x00FF00};
    kept.iconToolColour.checked = true;
    ASSERT_TRUE(notel::saveWindowObjects(folder, kept));
    const QByteArray holder = QByteArray::fromStdString(*notel::holderBytes(notel::holderTable()[0], notel::builtInHolders()[0]));
    notel::WindowObjects theme9 = kept;
    theme9.theme.tag = 9;
    const std::string ind9 = *notel::themeIndicatorSchema().write(theme9.theme, "ind101");

    const char* const files[] = {"txt201.obj", "ind101.obj", "cbbar.obj"};
    const struct {
        const char* why;
        QByteArray (*bytes)(const QByteArray& good);
    } cases[] = {
        {"truncated", [](const QByteArray& good) { return good.left(good.size() - 2); }},
        {"garbage", [](const QByteArray&) { return QByteArray("\x00\xff garbage TPF0", 15); }},
        {"empty", [](const QByteArray&) { return QByteArray(); }},
    };
    for (const char* file : files) {
        const QString path = folder + file;
        const QByteArray good = TestFolder::readAll(path);
        for (const auto& c : cases) {
            const QByteArray bad = c.bytes(good);
            TestFolder::write(path, bad);
            notel::WindowObjects read = kept;
            notel::loadWindowObjects(folder, read);
            EXPECT_TRUE(sameObjects(read, kept)) << file << ": " << c.why;
            EXPECT_EQ(TestFolder::readAll(path), bad) << file << ": " << c.why << " file changed";
        }
        // Another control's stream is not this one's.
        TestFolder::write(path, holder);
        notel::WindowObjects read = kept;
        notel::loadWindowObjects(folder, read);
        EXPECT_TRUE(sameObjects(read, kept)) << file << ": foreign class";
        TestFolder::write(path, good);
    }

    TestFolder::write(folder + "ind101.obj", QByteArray::fromStdString(ind9));
    notel::WindowObjects read = kept;
    notel::loadWindowObjects(folder, read);
    EXPECT_EQ(read.theme.tag, notel::Custom) << "a theme with no button";
}

TEST(WindowObjects, MissingFolder)
{
    TestFolder t;
    const QString folder = t.path() + "/gone/";
    notel::WindowObjects read;
    read.iconPanel.color = 0x010203;
    notel::loadWindowObjects(folder, read);
    EXPECT_EQ(read.iconPanel.color, 0x010203u);
    notel::WindowObjects written;
    written.iconToolColour.checked = true;
    EXPECT_FALSE(notel::saveWindowObjects(folder, written));
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST(AnnotateColourDialog, ColorCldRoundTripAndBadFiles)
{
    TestFolder t;
    const QString path = t.path() + "/color.cld";
    ui::ColorDialog written(QStringLiteral("ColorDialog"));
    ui::CustomColours custom{};
    custom.fill(0xFFFFFF);
    custom[0] = 0x0000FF;
    custom[15] = 0x123456;
    written.setState({0x00FF00, ui::customColourStrings(custom)});
    ASSERT_TRUE(written.save(path));

    ui::ColorDialog read(QStringLiteral("ColorDialog"));
    ASSERT_TRUE(read.load(path));
    EXPECT_EQ(read.state().color, 0x00FF00u);
    EXPECT_EQ(ui::customColoursFrom(read.state().customColors), custom);

    const QByteArray good = TestFolder::readAll(path);
    for (const QByteArray& bad : {good.left(good.size() - 4), QByteArray("garbage"), QByteArray()}) {
        TestFolder::write(path, bad);
        ui::ColorDialog kept(QStringLiteral("ColorDialog"));
        kept.setState(written.state());
        EXPECT_FALSE(kept.load(path));
        EXPECT_EQ(kept.state().color, 0x00FF00u);
        EXPECT_EQ(ui::customColoursFrom(kept.state().customColors), custom);
        EXPECT_EQ(TestFolder::readAll(path), bad);
    }
    EXPECT_FALSE(read.load(t.path() + "/gone/color.cld"));
    EXPECT_FALSE(written.save(t.path() + "/gone/color.cld"));
}
