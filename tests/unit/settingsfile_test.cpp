#include "common/atomicfile.h"
#include "common/settings/settingsfile.h"
#include "common/settings/settingsfolder.h"
#include "tests/unit/testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace mirovex;
using mirovex::test::TestFolder;

namespace {

constexpr IntKey kCount{"Options", "ImgCounter", 10, 0};
constexpr IntKey kView{"Display", "Daf", 3, INT_MIN, INT_MAX, [](int v) { return v == 1 || v == 2 || v == 3 || v == 5; }};
constexpr BoolKey kFlag{"Options", "samozagon", true};
constexpr ColourKey kColour{"Options", "SelectDotColor", 255};

TEST(SettingsFile, TypedReadsApplyDefaults)
{
    TestFolder t;
    const struct {
        const char* name;
        QByteArray file;
        int count, view;
        bool flag;
        quint32 colour;
    } cases[] = {
        {"values", "[Options]\nImgCounter=17\nsamozagon=0\nSelectDotColor=65280\n[Display]\nDaf=5\n", 17, 5, false, 65280},
        {"nonzero is true", "[Options]\nsamozagon=-3\n", 10, 3, true, 255},
        {"not a number", "[Options]\nImgCounter=lots\nsamozagon=yes\nSelectDotColor=red\n[Display]\nDaf=x\n", 10, 3, true, 255},
        {"out of range", "[Options]\nImgCounter=-1\nSelectDotColor=16777216\n[Display]\nDaf=4\n", 10, 3, true, 255},
        {"negative colour", "[Options]\nSelectDotColor=-1\n", 10, 3, true, 255},
        {"binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 20), 10, 3, true, 255},
        {"truncated", "[Options]\nImgCounter=1", 1, 3, true, 255},
        {"truncated mid-name", "[Opti", 10, 3, true, 255},
        {"crlf and bom", "\xEF\xBB\xBF[Options]\r\nImgCounter=12\r\n", 12, 3, true, 255},
        {"duplicate keys", "[Options]\nImgCounter=1\nImgCounter=2\n", 1, 3, true, 255},
    };
    for (const auto& c : cases) {
        const QString path = t.path("a.cfg");
        TestFolder::write(path, c.file);
        const SettingsFile f(path);
        EXPECT_EQ(f.read(kCount), c.count) << c.name;
        EXPECT_EQ(f.read(kView), c.view) << c.name;
        EXPECT_EQ(f.read(kFlag), c.flag) << c.name;
        EXPECT_EQ(f.read(kColour), c.colour) << c.name;
    }
}

TEST(SettingsFile, MissingOrUnreadableReadsAsDefaults)
{
    TestFolder t;
    QDir().mkpath(t.path("dir.cfg"));
    TestFolder::write(t.path("locked.cfg"), "[Options]\nImgCounter=5\n");
    QFile::setPermissions(t.path("locked.cfg"), QFileDevice::Permissions{});
    QStringList paths{t.path("none.cfg"), t.path("no/such/folder/a.cfg"), t.path("dir.cfg")};
    if (!QFileInfo(t.path("locked.cfg")).isReadable()) // root reads it all the same
        paths << t.path("locked.cfg");
    for (const QString& p : paths) {
        const SettingsFile f(p);
        EXPECT_EQ(f.read(kCount), 10) << p.toStdString();
        EXPECT_TRUE(f.read(kFlag));
    }
}

TEST(SettingsFile, StringsRoundTripAndOldLatin1FilesStillRead)
{
    TestFolder t;
    const QString path = t.path("a.cfg");
    const QString folder = QStringLiteral("/home/ana/Slike čšž/");
    ASSERT_TRUE(writeSetting(path, StringKey{"Options", "ImageSavePath"}, folder));
    EXPECT_EQ(SettingsFile(path).readString("Options", "ImageSavePath", {}), folder);

    TestFolder::write(path, "[Options]\nImageName=Caf\xe9\n");
    EXPECT_EQ(SettingsFile(path).readString("Options", "ImageName", {}), QStringLiteral("Café"));
}

TEST(SettingsEdit, KeepsOtherLinesByteForByte)
{
    TestFolder t;
    const QString path = t.path("a.cfg");
    const QByteArray before = "; written by hand\r\n[Options]\r\nmainFormY=5\r\nunknown = stays  \r\n\x01junk\r\n[Display]\r\nDaf=2\r\n";
    TestFolder::write(path, before);
    ASSERT_TRUE(SettingsEdit(path).setInt("Options", "MainFormy", 77).setInt("Options", "new", 1).commit());
    EXPECT_EQ(TestFolder::readAll(path),
              QByteArray("; written by hand\r\n[Options]\r\nmainFormY=77\r\nunknown = stays  \r\nnew=1\r\n\x01junk\r\n[Display]\r\nDaf=2\r\n"));
}

TEST(SettingsEdit, BatchWritesOnceAndNoChangeWritesNothing)
{
    TestFolder t;
    const QString path = t.path("a.cfg");
    int before = atomicWriteCount();
    SettingsEdit e(path);
    for (int i = 0; i < 30; ++i)
        e.setInt("Options", ("k" + std::to_string(i)).c_str(), i);
    ASSERT_TRUE(e.commit());
    EXPECT_EQ(atomicWriteCount() - before, 1);

    before = atomicWriteCount();
    const QDateTime stamp = QFileInfo(path).lastModified();
    EXPECT_TRUE(SettingsEdit(path).setInt("Options", "k3", 3).commit());
    EXPECT_EQ(atomicWriteCount(), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), stamp);
}

TEST(SettingsEdit, RefusedValueLeavesTheFileAsItWas)
{
    TestFolder t;
    const QString path = t.path("a.cfg");
    TestFolder::write(path, "[Options]\nImageName=Image\n");
    // A line break in a value could plant any key in the file.
    EXPECT_FALSE(SettingsEdit(path)
                     .setInt("Options", "ImgCounter", 1)
                     .setString("Options", "ImageName", QStringLiteral("x\n[Config]\nload=1"))
                     .commit());
    EXPECT_EQ(TestFolder::readAll(path), QByteArray("[Options]\nImageName=Image\n"));
}

TEST(SettingsEdit, OversizedFileIsReadInPartAndNeverRewritten)
{
    TestFolder t;
    const QString path = t.path("a.cfg");
    QByteArray big = "[Options]\nImgCounter=42\n";
    const QByteArray filler = "; " + QByteArray(60, 'x') + "\n";
    while (big.size() <= kSettingsFileCap)
        big += filler;
    big += "[Display]\nDaf=5\n"; // beyond the cap: not read
    TestFolder::write(path, big);

    const SettingsFile f(path);
    EXPECT_TRUE(f.oversized());
    EXPECT_EQ(f.read(kCount), 42);
    EXPECT_EQ(f.read(kView), 3);
    EXPECT_FALSE(writeSetting(path, kCount, 1));
    EXPECT_EQ(TestFolder::readAll(path), big);
}

TEST(SettingsEdit, WriteFailuresAreHarmless)
{
    TestFolder t;
    // A file where the folder must be; a folder where the file must be; a
    // folder that refuses writes; a file system that refuses them all.
    TestFolder::write(t.path("blocker"), "not a folder");
    QDir().mkpath(t.path("dir.cfg"));
    QDir().mkpath(t.path("ro"));
    TestFolder::write(t.path("ro/a.cfg"), "[Options]\nImgCounter=3\n");
    QFile::setPermissions(t.path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool root = QFileInfo(t.path("ro")).isWritable(); // root ignores permissions

    EXPECT_FALSE(writeSetting(t.path("blocker/a.cfg"), kCount, 1));
    EXPECT_EQ(TestFolder::readAll(t.path("blocker")), QByteArray("not a folder"));
    EXPECT_FALSE(writeSetting(t.path("dir.cfg"), kCount, 1));
    EXPECT_TRUE(QFileInfo(t.path("dir.cfg")).isDir());
    EXPECT_FALSE(writeSetting(QStringLiteral("/proc/mirovex.cfg"), kCount, 1));
    if (!root) {
        EXPECT_FALSE(writeSetting(t.path("ro/a.cfg"), kCount, 1));
        EXPECT_EQ(TestFolder::readAll(t.path("ro/a.cfg")), QByteArray("[Options]\nImgCounter=3\n"));
    }
    QFile::setPermissions(t.path("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QProcess* startWriter(QObject* parent, const QString& file, const QString& prefix, int count)
{
    auto* p = new QProcess(parent);
    p->start(QStringLiteral(SETTINGS_WRITER), {file, prefix, QString::number(count)});
    return p;
}

TEST(SettingsEdit, TwoProcessesWritingAtOnceLoseNothing)
{
    TestFolder t;
    const QString path = t.path("a.cfg");
    QObject owner;
    constexpr int kEach = 60;
    QProcess* a = startWriter(&owner, path, QStringLiteral("a"), kEach);
    QProcess* b = startWriter(&owner, path, QStringLiteral("b"), kEach);
    ASSERT_TRUE(a->waitForFinished(30000));
    ASSERT_TRUE(b->waitForFinished(30000));
    EXPECT_EQ(a->exitCode(), 0);
    EXPECT_EQ(b->exitCode(), 0);
    const SettingsFile f(path);
    for (int i = 0; i < kEach; ++i) {
        EXPECT_EQ(f.readInt("Options", ("a" + std::to_string(i)).c_str(), -1), i);
        EXPECT_EQ(f.readInt("Options", ("b" + std::to_string(i)).c_str(), -1), i);
    }
}

TEST(SettingsEdit, KilledWriterLeavesAWholeFile)
{
    TestFolder t;
    const QString path = t.path("a.cfg");
    const QByteArray keep = "[Keep]\nvalue=1\n";
    TestFolder::write(path, keep);
    for (int delayMs : {0, 3, 10, 30}) {
        QObject owner;
        QProcess* w = startWriter(&owner, path, QStringLiteral("k"), 100000);
        ASSERT_TRUE(w->waitForReadyRead(10000));
        QThread::msleep(delayMs);
        ::kill(pid_t(w->processId()), SIGKILL);
        ASSERT_TRUE(w->waitForFinished(10000));
        const QByteArray after = TestFolder::readAll(path);
        // Some prefix of the writes landed; every line is whole and the key
        // that was there before is still there.
        EXPECT_TRUE(after.startsWith(keep)) << delayMs;
        EXPECT_TRUE(after.endsWith('\n')) << delayMs;
        const SettingsFile f(path);
        EXPECT_EQ(f.readInt("Keep", "value", 0), 1);
    }
    // No temporary files are left lying next to it for long: at most the one
    // of the killed write.
    EXPECT_LE(QDir(t.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(SettingsFolder, FollowsXdgDataHomeAndSurvivesAFileInTheWay)
{
    {
        TestFolder t;
        const QString folder = computeSettingsFolder();
        EXPECT_EQ(folder, t.path("data/Mirovex/"));
        EXPECT_TRUE(QFileInfo(folder).isDir());
    }
    {
        TestFolder t;
        qunsetenv("XDG_DATA_HOME");
        EXPECT_EQ(computeSettingsFolder(), t.path("home/.local/share/Mirovex/"));
    }
    {
        TestFolder t;
        TestFolder::write(t.path("data/Mirovex"), "a file");
        const QString folder = computeSettingsFolder();
        EXPECT_EQ(folder, t.path("data/Mirovex/"));
        EXPECT_EQ(SettingsFile(folder + "MirovexA.cfg").read(kCount), 10);
        EXPECT_FALSE(writeSetting(folder + "MirovexA.cfg", kCount, 1));
        EXPECT_EQ(TestFolder::readAll(t.path("data/Mirovex")), QByteArray("a file"));
    }
}

TEST(SettingsFolder, DefaultImageFolder)
{
    TestFolder t;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(t.path("config")));
    EXPECT_EQ(defaultImageFolder(), t.path("home/Documents/"));
    QDir(t.path("home/Documents")).removeRecursively();
    EXPECT_EQ(defaultImageFolder(), settingsFolder());
    EXPECT_TRUE(defaultImageFolder().endsWith('/'));
}

} // namespace
