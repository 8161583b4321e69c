// Numbered capture names over a real folder: gaps, files already there,
// folders that are missing or are files.

#include "display/capture/capturenaming.h"
#include "tests/unit/testfolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <climits>

using namespace mirovex;

TEST(CaptureNaming, FolderAndNameAreJoined)
{
    const struct {
        const char* folder;
        const char* want;
    } cases[] = {
        {"/home/p/Pictures", "/home/p/Pictures/image10.jpg"},
        {"/home/p/Pictures/", "/home/p/Pictures/image10.jpg"},
        {"/", "/image10.jpg"},
        {"", "image10.jpg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(capture::fileName(QString::fromUtf8(c.folder), QStringLiteral("image"), 10, QStringLiteral(".jpg")),
                  QString::fromUtf8(c.want))
            << c.folder;
}

TEST(CaptureNaming, NextFreeNumberSkipsWhatExists)
{
    test::TestFolder folder;
    const QString dir = folder.path(QStringLiteral("shots"));
    ASSERT_TRUE(QDir().mkpath(dir));
    // image10 and image12 exist already; image11 is a gap; image13 is a folder.
    for (const char* name : {"image10.jpg", "image12.jpg", "image11.png"})
        test::TestFolder::write(dir + QLatin1Char('/') + QLatin1String(name), "earlier capture");
    ASSERT_TRUE(QDir(dir).mkdir(QStringLiteral("image13.jpg")));

    const struct {
        int from;
        int want;
    } steps[] = {{10, 11}, {10, 14}, {11, 15}, {50, 50}, {50, 51}};
    for (const auto& s : steps) {
        QString error;
        const auto r = capture::reserve(dir, QStringLiteral("image"), s.from, QStringLiteral(".jpg"), &error);
        ASSERT_TRUE(r) << s.from << ": " << error.toStdString();
        EXPECT_EQ(r->number, s.want) << s.from;
        EXPECT_TRUE(QFile::exists(r->path));
    }
    // Nothing that was there is touched.
    for (const char* name : {"image10.jpg", "image12.jpg", "image11.png"})
        EXPECT_EQ(test::TestFolder::readAll(dir + QLatin1Char('/') + QLatin1String(name)), "earlier capture") << name;
}

TEST(CaptureNaming, FoldersThatCannotTakeAFile)
{
    test::TestFolder folder;
    const QString file = folder.path(QStringLiteral("plain-file"));
    test::TestFolder::write(file, "x");
    for (const QString& dir : {folder.path(QStringLiteral("missing")), file, QString()}) {
        EXPECT_FALSE(capture::writableFolder(dir)) << dir.toStdString();
        if (dir.isEmpty())
            continue;
        QString error;
        EXPECT_FALSE(capture::reserve(dir, QStringLiteral("image"), 1, QStringLiteral(".png"), &error)) << dir.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_TRUE(capture::writableFolder(folder.path()));
    // A base name that would leave the folder is refused.
    QString error;
    EXPECT_FALSE(capture::reserve(folder.path(), QStringLiteral("../image"), 1, QStringLiteral(".png"), &error));
    EXPECT_EQ(test::TestFolder::readAll(file), "x");
}

TEST(CaptureNaming, CounterAfterACapture)
{
    const struct {
        int counter;
        bool fromCounter;
        int used, want;
    } cases[] = {
        {10, true, 10, 11},  // the usual run: 10, 11, 12
        {10, true, 14, 15},  // files skipped: past them
        {12, true, 10, 12},  // a write that ends after a later one
        {10, false, 50, 11}, // a number typed in: the counter goes on by one
        {10, false, 53, 11},
        {INT_MAX, true, INT_MAX, INT_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(capture::nextCounter(c.counter, c.fromCounter, c.used), c.want) << c.counter << " " << c.used;
}
