#include "display/shell/userguide.h"
#include "tests/unit/testfolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using mirovex::findUserGuide;
using mirovex::test::TestFolder;

namespace {

TEST(UserGuide, InstalledGuideFirstThenTheSources)
{
    TestFolder t;
    const QString programDir = t.path("usr/lib/mirovex");
    const QString fallback = t.path("src/README.md");
    QDir().mkpath(programDir);
    // Neither there: nothing to open, never a path that does not exist.
    EXPECT_EQ(findUserGuide(programDir, fallback), QString());
    EXPECT_EQ(findUserGuide(programDir, QString()), QString());

    QDir().mkpath(t.path("src"));
    QFile(fallback).open(QIODevice::WriteOnly);
    EXPECT_EQ(findUserGuide(programDir, fallback), fallback);

    QDir().mkpath(t.path("usr/share/mirovex"));
    QFile(t.path("usr/share/mirovex/README.md")).open(QIODevice::WriteOnly);
    EXPECT_EQ(findUserGuide(programDir, fallback), t.path("usr/share/mirovex/README.md"));
    // Another program folder finds the same share folder two levels up.
    EXPECT_EQ(findUserGuide(t.path("usr/lib/other"), QString()), t.path("usr/share/mirovex/README.md"));
    // A folder in the guide's place is no guide.
    TestFolder u;
    QDir().mkpath(u.path("share/mirovex/README.md"));
    EXPECT_EQ(findUserGuide(u.path("lib/mirovex"), QString()), QString());
}

TEST(UserGuide, TheSourceGuideIsTheReadme)
{
    EXPECT_TRUE(QFile::exists(mirovex::sourceUserGuide())) << mirovex::sourceUserGuide().toStdString();
}

} // namespace
