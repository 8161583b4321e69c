#include "common/hotkeys/registry.h"
#include "common/hotkeys/shortcut.h"
#include "display/settings/hotkeyslots.h"
#include "common/settings/settingsfile.h"
#include "tests/unit/testfolder.h"

#include <QFile>

#include <xkbcommon/xkbcommon-keysyms.h>

#include <gtest/gtest.h>

#include <set>

using namespace mirovex;
using namespace mirovex::hotkey;
using mirovex::test::TestFolder;

namespace {

// ---- the text form ----

TEST(ShortcutText, EveryNameReadsAsItsKeyAndWritesBackTheSame)
{
    const QStringList names = keyNames();
    std::set<std::uint32_t> seen;
    for (const QString& name : names) {
        const std::uint32_t sym = keysymOf(name);
        ASSERT_NE(sym, 0u) << name.toStdString();
        EXPECT_TRUE(seen.insert(sym).second) << "two names for one key: " << name.toStdString();
        EXPECT_EQ(keyName(sym), name);
        for (std::uint8_t mods = 0; mods < 8; ++mods) {
            const Shortcut s{sym, mods};
            const QString text = toText(s);
            EXPECT_EQ(parse(text), std::optional<Shortcut>(s)) << text.toStdString();
        }
    }
    // The letters, the digits, F1-F12 and the named keys of a standard keyboard.
    EXPECT_EQ(names.size(), 26 + 10 + 12 + 18 + 11 + 16);
}

TEST(ShortcutText, ReadsTheStoredForms)
{
    const struct {
        const char* text;
        std::uint32_t keysym;
        std::uint8_t mods;
    } cases[] = {
        {"A", XKB_KEY_a, 0},
        {"Ctrl+A", XKB_KEY_a, Ctrl},
        {"Shift+Ctrl+Alt+F12", XKB_KEY_F12, Shift | Ctrl | Alt},
        {"Shift+1", XKB_KEY_1, Shift},
        {"Ctrl+Alt+PgDn", XKB_KEY_Next, Ctrl | Alt},
        {"Alt+PgUp", XKB_KEY_Prior, Alt},
        {"Ctrl+BkSp", XKB_KEY_BackSpace, Ctrl},
        {"Ctrl+Enter", XKB_KEY_Return, Ctrl},
        {"Shift+Space", XKB_KEY_space, Shift},
        {"Ctrl+Num +", XKB_KEY_KP_Add, Ctrl},
        {"Alt+=", XKB_KEY_equal, Alt},
        {"Ctrl+\\", XKB_KEY_backslash, Ctrl},
        {"Ins", XKB_KEY_Insert, 0},
        {"Del", XKB_KEY_Delete, 0},
        // Read leniently, written in the one order.
        {"ctrl+shift+a", XKB_KEY_a, Shift | Ctrl},
        {"Alt+Ctrl+Esc", XKB_KEY_Escape, Ctrl | Alt},
        {"  Ctrl+Home  ", XKB_KEY_Home, Ctrl},
    };
    for (const auto& c : cases) {
        const auto s = parse(QString::fromLatin1(c.text));
        ASSERT_TRUE(s.has_value()) << c.text;
        EXPECT_EQ(s->keysym, c.keysym) << c.text;
        EXPECT_EQ(s->modifiers, c.mods) << c.text;
    }
    EXPECT_EQ(toText(*parse(QStringLiteral("alt+ctrl+shift+esc"))), QStringLiteral("Shift+Ctrl+Alt+Esc"));
    EXPECT_EQ(toText(*parse(QStringLiteral("ctrl+q"))), QStringLiteral("Ctrl+Q"));
}

TEST(ShortcutText, NoKeyForNoneEmptyAndWhatNamesNoKey)
{
    for (const char* text : {"", "None", "none", "Ctrl+", "Shift+Ctrl+", "Ctrl", "Foo", "Ctrl+Foo", "Ctrl+Ctrl+A",
                             "Shift+A+Ctrl", "Ctrl+Shift", "F13", "F0", "Num Lock", "CapsLock", "+", "Ctrl++",
                             "AB", "!", "Shift+!", "Ctrl-A", "\xc3\xa9", "Ctrl+None"})
        EXPECT_FALSE(parse(QString::fromUtf8(text)).has_value()) << text;
    EXPECT_EQ(toText(std::nullopt), QStringLiteral("None"));
    EXPECT_EQ(toText(Shortcut{XKB_KEY_exclam, Shift}), QStringLiteral("None"));
}

TEST(ShortcutText, BaseLevelSymbolsNameTheirKey)
{
    const struct {
        std::uint32_t keysym;
        const char* name;
    } cases[] = {
        {XKB_KEY_A, "A"}, {XKB_KEY_z, "Z"}, {XKB_KEY_KP_Insert, "Num 0"}, {XKB_KEY_KP_Prior, "Num 9"},
        {XKB_KEY_KP_Delete, "Num ."}, {XKB_KEY_ISO_Left_Tab, "Tab"}, {XKB_KEY_Return, "Enter"},
        {XKB_KEY_exclam, ""}, {XKB_KEY_Shift_L, ""}, {XKB_KEY_Num_Lock, ""}, {0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keyName(c.keysym), QString::fromLatin1(c.name)) << c.keysym;
}

// ---- ownership among our slots ----

struct FakeGrabber : Grabber {
    std::set<std::pair<std::uint32_t, std::uint8_t>> held;   // ours
    std::set<std::pair<std::uint32_t, std::uint8_t>> others; // another program's
    std::set<std::uint32_t> missing;                         // not on this keyboard
    int grabs = 0;
    GrabResult grab(const Shortcut& s) override
    {
        ++grabs;
        const auto k = std::make_pair(s.keysym, s.modifiers);
        if (missing.count(s.keysym))
            return GrabResult::NotOnKeyboard;
        if (others.count(k))
            return GrabResult::Taken;
        // The server would take the same key twice from us without a word:
        // the registry must never ask for a key it holds.
        EXPECT_FALSE(held.count(k)) << "grabbed twice";
        held.insert(k);
        return GrabResult::Grabbed;
    }
    void ungrab(const Shortcut& s) override
    {
        EXPECT_TRUE(held.erase(std::make_pair(s.keysym, s.modifiers))) << "released a key not held";
    }
};

const Shortcut kF1{XKB_KEY_F1, Ctrl};
const Shortcut kF2{XKB_KEY_F2, Ctrl};
const Shortcut kF3{XKB_KEY_F3, Ctrl};

TEST(HotkeyRegistry, FirstSlotWithAKeyKeepsIt)
{
    FakeGrabber g;
    Registry r(g);
    for (int i = 0; i < 3; ++i)
        r.addSlot(true);
    r.setKeys({kF1, kF1, kF2});
    EXPECT_EQ(r.status(0), Status::Registered);
    EXPECT_EQ(r.status(1), Status::TakenBySlot);
    EXPECT_EQ(r.owner(1), 0);
    EXPECT_EQ(r.status(2), Status::Registered);
    EXPECT_EQ(r.slotFor(kF1), 0);
    EXPECT_EQ(r.slotFor(kF2), 2);
    EXPECT_EQ(r.slotFor(kF3), std::nullopt);
    // The first lets go: the second gets the key.
    r.setKey(0, std::nullopt);
    EXPECT_EQ(r.status(0), Status::NoKey);
    EXPECT_EQ(r.status(1), Status::Registered);
    EXPECT_EQ(r.slotFor(kF1), 1);
}

TEST(HotkeyRegistry, SwappedKeysWorkForBothSlots)
{
    FakeGrabber g;
    Registry r(g);
    r.addSlot(true);
    r.addSlot(true);
    r.setKeys({kF1, kF2});
    r.setKeys({kF2, kF1});
    EXPECT_EQ(r.status(0), Status::Registered);
    EXPECT_EQ(r.status(1), Status::Registered);
    EXPECT_EQ(r.slotFor(kF2), 0);
    EXPECT_EQ(r.slotFor(kF1), 1);
    EXPECT_EQ(g.held.size(), 2u);
}

TEST(HotkeyRegistry, RefusedKeysAndSlotsWithoutCommand)
{
    FakeGrabber g;
    g.others.insert({kF1.keysym, kF1.modifiers});
    g.missing.insert(kF3.keysym);
    Registry r(g);
    r.addSlot(true);
    r.addSlot(false);
    r.addSlot(true);
    r.addSlot(true);
    r.setKeys({kF1, kF2, kF3, std::nullopt});
    EXPECT_EQ(r.status(0), Status::TakenByProgram);
    EXPECT_EQ(r.status(1), Status::NoCommand);
    EXPECT_EQ(r.status(2), Status::NotOnKeyboard);
    EXPECT_EQ(r.status(3), Status::NoKey);
    EXPECT_TRUE(g.held.empty());
    EXPECT_EQ(r.slotFor(kF1), std::nullopt);
    EXPECT_EQ(r.slotFor(kF2), std::nullopt);
    EXPECT_EQ(r.key(1), kF2); // kept, to be written back
    // A key that another program holds does not block a later slot of ours
    // with the same key from trying: it is refused too.
    r.setKey(3, kF1);
    EXPECT_EQ(r.status(3), Status::TakenByProgram);
    // The other program let go: the next attempt gets it, first slot first.
    g.others.clear();
    r.regrabAll();
    EXPECT_EQ(r.status(0), Status::Registered);
    EXPECT_EQ(r.status(3), Status::TakenBySlot);
}

TEST(HotkeyRegistry, SuspendReleasesEverythingAndResumeTakesItBack)
{
    FakeGrabber g;
    Registry r(g);
    r.addSlot(true);
    r.addSlot(true);
    r.setKeys({kF1, kF2});
    r.setSuspended(true);
    EXPECT_TRUE(g.held.empty());
    EXPECT_EQ(r.status(0), Status::Suspended);
    EXPECT_EQ(r.slotFor(kF1), std::nullopt);
    r.setKeys({kF2, kF3}); // confirmed while recording
    EXPECT_TRUE(g.held.empty());
    r.setSuspended(false);
    EXPECT_EQ(r.slotFor(kF2), 0);
    EXPECT_EQ(r.slotFor(kF3), 1);
}

TEST(HotkeyRegistry, ReleasesEverythingWhenDestroyed)
{
    FakeGrabber g;
    {
        Registry r(g);
        r.addSlot(true);
        r.addSlot(true);
        r.setKeys({kF1, kF2});
        r.regrabAll();
        EXPECT_EQ(g.held.size(), 2u);
    }
    EXPECT_TRUE(g.held.empty());
}

// ---- "MirovexHOT.cfg" ----

TEST(HotkeyFile, MissingFileGivesNoKeys)
{
    TestFolder t;
    const hotkeys::Keys keys = hotkeys::load(t.path("MirovexHOT.cfg"));
    for (const auto& k : keys)
        EXPECT_FALSE(k.has_value());
}

TEST(HotkeyFile, WritesEveryKeyAndReadsThemBack)
{
    TestFolder t;
    const QString path = t.path("MirovexHOT.cfg");
    hotkeys::Keys keys;
    keys[0] = parse(QStringLiteral("Ctrl+Alt+1"));
    keys[std::size_t(hotkeys::Slot::ShowPreview)] = parse(QStringLiteral("Shift+F5"));
    keys[std::size_t(hotkeys::Slot::HideCursor)] = parse(QStringLiteral("Ctrl+Num 7"));
    ASSERT_TRUE(hotkeys::save(path, keys));
    EXPECT_EQ(hotkeys::load(path), keys);
    const SettingsFile f(path);
    EXPECT_EQ(f.raw("Options", "HotKey1"), QStringLiteral("Ctrl+Alt+1"));
    EXPECT_EQ(f.raw("Options", "HotKey1x1"), QStringLiteral("Shift+F5"));
    EXPECT_EQ(f.raw("Options", "HotKey302"), QStringLiteral("Ctrl+Num 7"));
    // A slot without a key is written, as the empty text.
    for (const char* key : {"HotKey2", "HotKey11", "HotKey1x2", "HotKey101", "HotKey104", "HotKey301"})
        EXPECT_EQ(f.raw("Options", key), QString()) << key;
}

TEST(HotkeyFile, BadContentGivesNoKeyForThatSlotOnly)
{
    TestFolder t;
    const QString path = t.path("MirovexHOT.cfg");
    const QByteArray body = "[options]\r\nhotkey1=Ctrl+Q\r\nHotKey2=Ctrl+Blah\r\nHotKey3=\r\nHotKey4=None\r\n"
                            "HotKey5\r\n\x01\xff garbage\r\nHotKey6=Shift+Ctrl+\r\nHotKey7=Alt+Shift+X\r\n"
                            "[Other]\r\nHotKey8=Ctrl+W\r\n[Options\r\nHotKey9=Ctrl+R";
    TestFolder::write(path, body);
    const hotkeys::Keys keys = hotkeys::load(path);
    EXPECT_EQ(keys[0], parse(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(keys[6], parse(QStringLiteral("Shift+Alt+X")));
    for (int i : {1, 2, 3, 4, 5, 7})
        EXPECT_FALSE(keys[std::size_t(i)].has_value()) << i;
    EXPECT_EQ(TestFolder::readAll(path), body); // reading changes nothing
}

TEST(HotkeyFile, TruncatedFileReadsWhatIsThere)
{
    TestFolder t;
    const QString path = t.path("MirovexHOT.cfg");
    TestFolder::write(path, "[Options]\nHotKey1=Ctrl+F1\nHotKey2=Ctrl+F");
    const hotkeys::Keys keys = hotkeys::load(path);
    EXPECT_EQ(keys[0], parse(QStringLiteral("Ctrl+F1")));
    EXPECT_EQ(keys[1], parse(QStringLiteral("Ctrl+F")));
    TestFolder::write(path, "[Opti");
    for (const auto& k : hotkeys::load(path))
        EXPECT_FALSE(k.has_value());
}

TEST(HotkeyFile, AFileThatCannotBeRewrittenIsLeftAsItWas)
{
    TestFolder t;
    const QString path = t.path("MirovexHOT.cfg");
    QByteArray big = "[Options]\nHotKey1=Ctrl+F1\n";
    big += QByteArray(int(kSettingsFileCap) + 10, 'x');
    TestFolder::write(path, big);
    hotkeys::Keys keys;
    keys[0] = parse(QStringLiteral("Ctrl+F2"));
    EXPECT_FALSE(hotkeys::save(path, keys));
    EXPECT_EQ(TestFolder::readAll(path), big);
}

// ---- the printed list ----

TEST(HotkeyPrint, ListsBothProgramsInTheirOrder)
{
    TestFolder t;
    hotkeys::Keys keys;
    keys[std::size_t(hotkeys::Slot::RunStop)] = parse(QStringLiteral("Ctrl+Alt+R"));
    keys[std::size_t(hotkeys::Slot::CopyDisplayed)] = parse(QStringLiteral("Ctrl+C"));
    keys[std::size_t(hotkeys::Slot::ShowPreview)] = parse(QStringLiteral("Ctrl+P"));
    const QString annotation = t.path("NotelHOT.cfg");
    TestFolder::write(annotation, "[Options]\nHotKey6=shift+ctrl+p\nHotKey18=Garbage\nHotKey5=\n");
    const QStringList lines = hotkeys::printLines(keys, annotation, QStringLiteral("10.12.2026 19:00"));

    const QStringList head{QStringLiteral(" "), QStringLiteral("Mirovex - Hotkeys    ( 10.12.2026 19:00 )"),
                           QStringLiteral("________________________________________________________"), QStringLiteral(" ")};
    EXPECT_EQ(lines.mid(0, 4), head);
    EXPECT_EQ(lines[4], QStringLiteral("  Send to target display :  None"));
    EXPECT_EQ(lines[5], QStringLiteral(" "));
    EXPECT_EQ(lines[6], QStringLiteral("  Run / Stop :  Ctrl+Alt+R"));
    // Every entry is followed by a line holding one space.
    for (int i = 4; i + 1 < int(lines.size()) - 2; i += 2) {
        if (lines[i] == QLatin1String(" "))
            break;
        EXPECT_EQ(lines[i + 1], QStringLiteral(" ")) << i;
    }
    const auto after = [&](const QString& a, const QString& b) {
        const qsizetype ia = lines.indexOf(a), ib = lines.indexOf(b);
        return ia >= 0 && ib > ia;
    };
    EXPECT_TRUE(after(QStringLiteral("- - - - - - - - - - - - - - - "), QStringLiteral("  Copy Displayed to Clipboard :  Ctrl+C")));
    EXPECT_TRUE(after(QStringLiteral("  Copy Displayed to Clipboard :  Ctrl+C"), QStringLiteral("  Show Preview :  Ctrl+P")));
    EXPECT_TRUE(after(QStringLiteral("  Show Preview :  Ctrl+P"), QStringLiteral("  Show cursor On/Off :  None")));
    EXPECT_TRUE(after(QStringLiteral("[ Quick Start showing ]"), QStringLiteral("  Window Area :  None")));
    EXPECT_TRUE(after(QStringLiteral("  Window Area :  None"), QStringLiteral("Mirovex - Vidizizu - Hotkeys")));
    EXPECT_TRUE(lines.contains(QStringLiteral(" Pen :  Shift+Ctrl+P")));
    EXPECT_TRUE(lines.contains(QStringLiteral(" Desktop :  None")));
    EXPECT_TRUE(lines.contains(QStringLiteral(" Screenshoot :  None")));
    EXPECT_TRUE(after(QStringLiteral(" Screenshoot :  None"), QStringLiteral(" Show Toolbar :  None")));
    EXPECT_EQ(lines.mid(lines.size() - 3), (QStringList{QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" ")}));
}

TEST(HotkeyPrint, MissingAnnotationFilePrintsNoneForEach)
{
    TestFolder t;
    const QStringList lines = hotkeys::printLines({}, t.path("NotelHOT.cfg"), QStringLiteral("x"));
    const qsizetype start = lines.indexOf(QStringLiteral("Mirovex - Vidizizu - Hotkeys"));
    ASSERT_GE(start, 0);
    int entries = 0;
    for (qsizetype i = start + 3; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        EXPECT_TRUE(lines[i].endsWith(QLatin1String(":  None"))) << lines[i].toStdString();
        ++entries;
    }
    EXPECT_EQ(entries, 20);
}

} // namespace
