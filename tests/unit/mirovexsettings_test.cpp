#include "common/atomicfile.h"
#include "display/settings/mirovexsettings.h"
#include "display/settings/reset.h"
#include "common/settings/settingsfolder.h"
#include "tests/unit/testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace mirovex;
using namespace mirovex::settings;
using mirovex::test::TestFolder;

namespace {

TEST(MainSettings, EmptyFileGivesEveryDefault)
{
    TestFolder t;
    const SettingsFile f(t.path("MirovexA.cfg"));
    const struct {
        IntKey k;
        int want;
    } ints[] = {
        {key::imgCounter, 10},     {key::imageCounter, 1},   {key::qsImageCounter, 1},  {key::opScaleValue, 100},
        {key::opPikaValue, 200},   {key::opSencaValue, 50},  {key::opKrizValue, 503},   {key::opKrizVelikosr, 25},
        {key::spotLightIdx, 2},    {key::swapColorIdx, 0},   {key::fslikaL, 100},       {key::fSLikaT, 250},
        {key::slikaVisina, 150},   {key::mainFormX, 300},    {key::mainFormY, 600},     {key::autoStartMirror, 0},
        {key::selectMonitor, 1},   {key::sourceMonitor, 0},  {key::optX, 300},          {key::optY, 300},
        {key::fgridX, 300},        {key::fgridY, 300},       {key::transp, 50},         {key::sew, 6},
        {key::oznaciCurrent, 1},   {key::cursorCurrent, 0},  {key::displayDaf, 3},      {key::velikostLevo, 300},
        {key::velikostGor, 600},
    };
    for (const auto& c : ints)
        EXPECT_EQ(f.read(c.k), c.want) << c.k.section << "/" << c.k.key;
    const struct {
        BoolKey k;
        bool want;
    } bools[] = {
        {key::samozagon, true},         {key::optAutohide, false},     {key::optAutohideagain, false},
        {key::displayOptions, false},   {key::cbBeep, false},          {key::dynamicCursor, false},
        {key::animation, false},        {key::showSendOne, true},      {key::prosojenBar, false},
        {key::on2C, false},             {key::preview, false},         {key::toolBarAutoStart, true},
        {key::monitorAutoStart, false}, {key::prvizagonMonitorja, true}, {key::configLoad, false},
        {key::configSelectArea, true},
    };
    for (const auto& c : bools)
        EXPECT_EQ(f.read(c.k), c.want) << c.k.key;
    EXPECT_EQ(f.read(key::selectDotColor), 255u);
    EXPECT_EQ(f.read(key::selectCrossColor), 255u);
    EXPECT_EQ(f.read(key::panelImgColor), 0u);
    EXPECT_EQ(f.read(key::imageName), QStringLiteral("Image"));
    EXPECT_EQ(f.read(key::hotKey), QStringLiteral("None"));
    EXPECT_EQ(spotLightPremer(f, 1920), 240);
    EXPECT_EQ(imageSavePath(f), t.path("home/Documents/"));
    EXPECT_EQ(qsImageSavePath(f), t.path("home/Documents/"));
}

TEST(MainSettings, OutOfRangeValuesFallBackToTheDefault)
{
    TestFolder t;
    const QString path = t.path("MirovexA.cfg");
    TestFolder::write(path, "[Options]\nAutoStartMirror=6\nopPikaValue=10\nsew=11\nTransp=256\nSpotLightIDX=0\n"
                            "SpotLightPremer=0\nImageSavePath=\n[Display]\nDaf=4\n[Cursor]\nCurrent=-1\n[Oznaci]\nCurrent=3\n");
    const SettingsFile f(path);
    EXPECT_EQ(f.read(key::autoStartMirror), 0);
    EXPECT_EQ(f.read(key::opPikaValue), 200);
    EXPECT_EQ(f.read(key::sew), 6);
    EXPECT_EQ(f.read(key::transp), 50);
    EXPECT_EQ(f.read(key::spotLightIdx), 2);
    EXPECT_EQ(spotLightPremer(f, 1280), 160);
    EXPECT_EQ(imageSavePath(f), t.path("home/Documents/"));
    EXPECT_EQ(f.read(key::displayDaf), 3);
    EXPECT_EQ(f.read(key::cursorCurrent), 0);
    EXPECT_EQ(f.read(key::oznaciCurrent), 1);
}

TEST(MainSettings, OneKeyWhateverItsCase)
{
    TestFolder t;
    const QString path = t.path("MirovexA.cfg");
    TestFolder::write(path, "[Options]\nMainFormy=123\n");
    EXPECT_EQ(SettingsFile(path).read(key::mainFormY), 123);
    ASSERT_TRUE(writeSetting(path, key::mainFormY, 456));
    EXPECT_EQ(TestFolder::readAll(path), QByteArray("[Options]\nMainFormy=456\n"));
}

TEST(MainSettings, BulkSaveWritesEveryKeyInOrderInOneWrite)
{
    TestFolder t;
    const QString path = t.path("MirovexA.cfg");
    BulkSettings s;
    s.imageSavePath = QStringLiteral("/pics/");
    s.qsImageSavePath = QStringLiteral("/quick/");
    s.imgCounter = 11;
    s.daf = 5;
    const int before = atomicWriteCount();
    ASSERT_TRUE(saveBulk(path, s));
    EXPECT_EQ(atomicWriteCount() - before, 1);
    EXPECT_EQ(TestFolder::readAll(path), QByteArray("[VelikostMain]\nLevo=300\nGor=600\n"
                                                    "[Options]\noptAutohide=0\nsamozagon=1\nImgCounter=11\n"
                                                    "optAutohideagain=0\nDynamicCursor=0\n"
                                                    "opScaleValue=100\nopPikaValue=200\nopKrizValue=503\n"
                                                    "opKrizVelikosr=25\nopSencaValue=50\nShowSendOne=1\nProsojenBar=0\n"
                                                    "ImageSavePath=/pics/\nImageCounter=1\nQSImageSavePath=/quick/\n"
                                                    "QSImageCounter=1\nImageName=Image\nHotKey=None\nCbBeep=0\n"
                                                    "[Config]\nload=0\n[Oznaci]\nCurrent=1\n[Display]\nDaf=5\n"));
    const BulkSettings back = loadBulk(SettingsFile(path));
    EXPECT_EQ(back.imgCounter, 11);
    EXPECT_EQ(back.daf, 5);
    EXPECT_EQ(back.imageSavePath, QStringLiteral("/pics/"));
}

TEST(MainSettings, BulkSaveKeepsKeysWrittenAtOnce)
{
    TestFolder t;
    const QString path = t.path("MirovexA.cfg");
    ASSERT_TRUE(writeSetting(path, key::selectDotColor, 0x00ff00));
    ASSERT_TRUE(writeSetting(path, key::cursorCurrent, 2));
    ASSERT_TRUE(saveBulk(path, BulkSettings{}));
    const SettingsFile f(path);
    EXPECT_EQ(f.read(key::selectDotColor), 0x00ff00u);
    EXPECT_EQ(f.read(key::cursorCurrent), 2);
}

TEST(ResetAllSettings, DeletesOnlyVisibleFilesOfOurFolder)
{
    TestFolder t;
    const QString folder = t.path("data/Mirovex/");
    for (const char* name : {"MirovexA.cfg", "MirovexGR.cfg", "hotkeys.cfg", "slides.lst", ".hidden", "sub/inner.cfg"})
        TestFolder::write(folder + name, "x");
    TestFolder::write(t.path("outside.txt"), "keep");
    QFile::link(t.path("outside.txt"), folder + "link.txt");

    ASSERT_TRUE(resetAllSettings(folder));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({".hidden", "link.txt"}));
    EXPECT_TRUE(QFileInfo::exists(folder + "sub/inner.cfg"));
    EXPECT_EQ(TestFolder::readAll(t.path("outside.txt")), QByteArray("keep"));
}

TEST(ResetAllSettings, RefusesAnyOtherFolder)
{
    TestFolder t;
    for (const QString& folder : {t.path("home/"), t.path("data/mirovex/"), t.path("data/Mirovex-old/")}) {
        TestFolder::write(folder + "MirovexA.cfg", "x");
        EXPECT_FALSE(resetAllSettings(folder));
        EXPECT_TRUE(QFileInfo::exists(folder + "MirovexA.cfg")) << folder.toStdString();
    }
    EXPECT_FALSE(resetAllSettings(t.path("data/no-such/Mirovex/")));
    // A link named Mirovex to some other folder is not ours either.
    QFile::link(t.path("home"), t.path("data/Mirovex"));
    EXPECT_FALSE(resetAllSettings(t.path("data/Mirovex/")));
    EXPECT_TRUE(QFileInfo::exists(t.path("home/MirovexA.cfg")));
}

} // namespace
