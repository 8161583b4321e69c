#include "platform/autostart.h"
#include "tests/unit/testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace mirovex::platform;
using mirovex::test::TestFolder;

namespace {

TEST(Autostart, ExecArgumentQuoting)
{
    const struct {
        const char* path;
        const char* want;
    } cases[] = {
        {"/usr/bin/Mirovex", R"("/usr/bin/Mirovex")"},
        {"/opt/my apps/Mirovex", R"("/opt/my apps/Mirovex")"},
        {"/a\"b/Mirovex", R"("/a\\"b/Mirovex")"},
        {"/a$b`c/Mirovex", R"("/a\\$b\\`c/Mirovex")"},
        {"/a\\b/Mirovex", R"("/a\\\\b/Mirovex")"},
        {"/100%/Mirovex", R"("/100%%/Mirovex")"},
        {"/a\nb", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(quoteExecArgument(QString::fromUtf8(c.path)).toStdString(), c.want) << c.path;
}

TEST(Autostart, ToggleWritesAValidEntryAndRemovesIt)
{
    TestFolder t;
    const QString exe = t.path("my apps/Mirovex");
    EXPECT_EQ(autostartEntryPath(), t.path("config/autostart/Mirovex.desktop"));
    EXPECT_FALSE(isStartWithSystemOn());

    EXPECT_TRUE(toggleStartWithSystem(false, exe)); // creates the autostart folder too
    EXPECT_TRUE(isStartWithSystemOn());
    const QByteArray entry = TestFolder::readAll(autostartEntryPath());
    EXPECT_TRUE(entry.contains("Exec=\"" + exe.toUtf8() + "\"\n")) << entry.constData();
#ifdef DESKTOP_FILE_VALIDATE
    QProcess v;
    v.start(QStringLiteral(DESKTOP_FILE_VALIDATE), {autostartEntryPath()});
    ASSERT_TRUE(v.waitForFinished(10000));
    EXPECT_EQ(v.exitCode(), 0) << v.readAllStandardOutput().constData() << v.readAllStandardError().constData();
#endif
    EXPECT_TRUE(toggleStartWithSystem(false, exe)); // on twice stays on
    EXPECT_FALSE(toggleStartWithSystem(true, exe));
    EXPECT_FALSE(QFileInfo::exists(autostartEntryPath()));
    EXPECT_FALSE(toggleStartWithSystem(true, exe)); // off twice stays off
}

TEST(Autostart, AnInstalledProgramStartsThroughItsLink)
{
    TestFolder t;
    const auto writeAll = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    QDir().mkpath(t.path("usr/lib/mirovex"));
    QDir().mkpath(t.path("usr/bin"));
    const QString exe = t.path("usr/lib/mirovex/Mirovex");
    writeAll(exe, "program");
    // Not installed yet: no link beside it, the executable itself.
    EXPECT_EQ(launcherPath(exe), exe);
    ASSERT_TRUE(QFile::link(QStringLiteral("../lib/mirovex/Mirovex"), t.path("usr/bin/mirovex")));
    EXPECT_EQ(launcherPath(exe), t.path("usr/bin/mirovex"));
    EXPECT_TRUE(turnStartWithSystemOn(exe));
    EXPECT_TRUE(TestFolder::readAll(autostartEntryPath()).contains("Exec=\"" + t.path("usr/bin/mirovex").toUtf8() + "\"\n"));
    // A link that leads to another copy is not this program's.
    const QString other = t.path("usr/lib/mirovex/Other");
    writeAll(other, "another program");
    EXPECT_EQ(launcherPath(other), other);
}

TEST(Autostart, AnEntryTheDesktopDisabledCountsAsOff)
{
    TestFolder t;
    TestFolder::write(autostartEntryPath(), "[Desktop Entry]\nType=Application\nExec=x\nHidden=true\n");
    EXPECT_FALSE(isStartWithSystemOn());
    TestFolder::write(autostartEntryPath(), "[Desktop Entry]\nType=Application\nExec=x\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(isStartWithSystemOn());
    EXPECT_TRUE(turnStartWithSystemOn(t.path("Mirovex"))); // rewriting it turns it on for real
}

TEST(Autostart, AFailedWriteIsNeverReportedAsOn)
{
    TestFolder t;
    TestFolder::write(t.path("config/autostart"), "a file, not a folder");
    EXPECT_FALSE(toggleStartWithSystem(false, t.path("Mirovex")));
    EXPECT_EQ(TestFolder::readAll(t.path("config/autostart")), QByteArray("a file, not a folder"));

    TestFolder u;
    EXPECT_FALSE(turnStartWithSystemOn(QStringLiteral("/bad\npath")));
    EXPECT_FALSE(QFileInfo::exists(autostartEntryPath()));
}

} // namespace
