// Picture files: JPEG, PNG and BMP written and read back through the real
// libraries, and damaged, truncated and oversized files refused cleanly.

#include "common/picture/picturefile.h"
#include "tests/unit/testfolder.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <cstring>
#include <random>

using namespace mirovex;
using picture::FileType;

namespace {

// Odd sizes, so that BMP rows need padding; colours that change per pixel.
QImage pattern(int w = 37, int h = 23, bool alpha = false)
{
    QImage img(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgba((x * 7) & 255, (y * 11) & 255, (x * y) & 255, alpha ? (x * 13 + y) & 255 : 255));
    return img;
}

// Smooth, so that JPEG's error stays small and the comparison means something.
QImage gradient(int w = 64, int h = 48)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 4, y * 5, 128));
    return img;
}

double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

bool samePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

} // namespace

TEST(PictureFile, RoundTrips)
{
    const struct {
        const char* name;
        FileType type;
        QImage picture;
        bool exact;
    } cases[] = {
        {"PNG", FileType::Png, pattern(), true},
        {"PNG with transparency", FileType::Png, pattern(37, 23, true), true},
        {"BMP", FileType::Bmp, pattern(), true},
        {"BMP of one pixel", FileType::Bmp, pattern(1, 1), true},
        {"JPEG", FileType::Jpeg, gradient(), false},
    };
    for (const auto& c : cases) {
        QString error;
        const QByteArray bytes = picture::encodeFile(c.picture, c.type, &error);
        ASSERT_FALSE(bytes.isEmpty()) << c.name << ": " << error.toStdString();
        const auto header = picture::readHeader(bytes);
        ASSERT_TRUE(header) << c.name;
        EXPECT_EQ(header->type, c.type) << c.name;
        EXPECT_EQ(header->size, c.picture.size()) << c.name;
        const QImage back = picture::decodeFile(bytes, &error);
        ASSERT_FALSE(back.isNull()) << c.name << ": " << error.toStdString();
        ASSERT_EQ(back.size(), c.picture.size()) << c.name;
        EXPECT_EQ(back.hasAlphaChannel(), c.picture.hasAlphaChannel()) << c.name;
        if (c.exact)
            EXPECT_TRUE(samePixels(back, c.picture)) << c.name;
        else
            EXPECT_LT(meanDifference(back, c.picture), 3.0) << c.name;
    }
}

TEST(PictureFile, OthersCanReadWhatWeWrite)
{
    // Qt's own readers as a second opinion on our files.
    for (const FileType t : {FileType::Jpeg, FileType::Png, FileType::Bmp}) {
        const QImage original = t == FileType::Jpeg ? gradient() : pattern();
        const QImage other = QImage::fromData(picture::encodeFile(original, t));
        ASSERT_FALSE(other.isNull()) << picture::extension(t).toStdString();
        if (t == FileType::Jpeg)
            EXPECT_LT(meanDifference(other.convertToFormat(QImage::Format_RGB32), original), 3.0);
        else
            EXPECT_TRUE(samePixels(other.convertToFormat(QImage::Format_RGB32), original)) << picture::extension(t).toStdString();
    }
}

TEST(PictureFile, ReadsBitmapsOfOtherKinds)
{
    // Paletted and top-down bitmaps as other programs write them.
    const QImage original = pattern(13, 7);
    for (const QImage::Format f : {QImage::Format_Indexed8, QImage::Format_Mono}) {
        const QImage reduced = original.convertToFormat(f, Qt::ThresholdDither);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
        ASSERT_TRUE(reduced.save(&buffer, "BMP"));
        QString error;
        const QImage back = picture::decodeFile(bytes, &error);
        ASSERT_FALSE(back.isNull()) << error.toStdString();
        EXPECT_TRUE(samePixels(back, reduced.convertToFormat(QImage::Format_RGB32))) << int(f);
    }
    // Top-down: a negative height.
    QByteArray top = picture::encodeFile(original, FileType::Bmp);
    const int h = original.height();
    const qint32 negative = -h;
    std::memcpy(top.data() + 22, &negative, 4);
    const QImage flipped = picture::decodeFile(top);
    ASSERT_FALSE(flipped.isNull());
    EXPECT_TRUE(samePixels(flipped, original.mirrored(false, true)));
}

TEST(PictureFile, BadFilesAreRefused)
{
    const QByteArray png = picture::encodeFile(pattern(), FileType::Png);
    const QByteArray jpeg = picture::encodeFile(gradient(), FileType::Jpeg);
    const QByteArray bmp = picture::encodeFile(pattern(), FileType::Bmp);
    const auto withBytes = [](QByteArray b, int at, QByteArray what) { return b.replace(at, what.size(), what); };
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"empty", {}},
        {"text", "just some words, not a picture"},
        {"PNG signature only", png.left(8)},
        {"PNG header only", png.left(33)},
        {"PNG cut in half", png.left(png.size() / 2)},
        {"PNG data damaged", withBytes(png, 45, QByteArray(40, '\x5a'))},
        {"PNG of 100000 x 100000", withBytes(png, 16, QByteArray("\x00\x01\x86\xa0\x00\x01\x86\xa0", 8))},
        {"PNG of no width", withBytes(png, 16, QByteArray(4, '\0'))},
        {"JPEG markers only", jpeg.left(4)},
        {"JPEG cut in half", jpeg.left(jpeg.size() / 2)},
        {"JPEG cut before its frame", jpeg.left(200)},
        {"JPEG of 65000 x 65000", [&] {
             QByteArray b = jpeg;
             const qsizetype sof = b.indexOf("\xff\xc0");
             return b.replace(sof + 5, 4, QByteArray("\xfd\xe8\xfd\xe8", 4));
         }()},
        {"BMP header only", bmp.left(20)},
        {"BMP rows missing", bmp.left(bmp.size() - 100)},
        {"BMP of 100000 x 100000", withBytes(bmp, 18, QByteArray("\xa0\x86\x01\x00\xa0\x86\x01\x00", 8))},
        {"BMP with its pixels beyond the file", withBytes(bmp, 10, QByteArray("\xff\xff\xff\x7f", 4))},
        {"BMP of 16 bits", withBytes(bmp, 28, QByteArray("\x10\x00", 2))},
        {"BMP compressed", withBytes(bmp, 30, QByteArray("\x01\x00\x00\x00", 4))},
        {"BMP of negative width", withBytes(bmp, 18, QByteArray("\xff\xff\xff\xff", 4))},
    };
    for (const auto& c : cases) {
        QString error;
        const QImage img = picture::decodeFile(c.bytes, &error);
        EXPECT_TRUE(img.isNull()) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
}

TEST(PictureFile, PixelBudgetComesBeforeDecoding)
{
    for (const FileType t : {FileType::Jpeg, FileType::Png, FileType::Bmp}) {
        const QByteArray bytes = picture::encodeFile(gradient(64, 48), t);
        QString error;
        EXPECT_TRUE(picture::decodeFile(bytes, &error, 64 * 48 - 1).isNull()) << picture::extension(t).toStdString();
        EXPECT_TRUE(error.contains(QLatin1String("too large"))) << error.toStdString();
        EXPECT_FALSE(picture::decodeFile(bytes, nullptr, 64 * 48).isNull());
    }
}

TEST(PictureFile, MangledFilesNeverCrash)
{
    // A brief fuzz by hand (the sanitised fuzzer runs longer): random bytes
    // changed and random cuts of each kind of file.
    std::mt19937 rng(1234);
    int decoded = 0;
    for (const FileType t : {FileType::Jpeg, FileType::Png, FileType::Bmp}) {
        const QByteArray good = picture::encodeFile(pattern(), t);
        for (int i = 0; i < 400; ++i) {
            QByteArray b = good;
            const int changes = 1 + int(rng() % 8);
            for (int k = 0; k < changes; ++k)
                b[qsizetype(rng() % quint32(b.size()))] = char(rng());
            if (rng() % 3 == 0)
                b.truncate(qsizetype(rng() % quint32(b.size())));
            if (!picture::decodeFile(b).isNull())
                ++decoded;
        }
    }
    EXPECT_GT(decoded, 0); // some damage leaves a picture, which is fine
}

TEST(PictureFile, WritingWholeFilesOrNothing)
{
    test::TestFolder folder;
    const QString path = folder.path() + QStringLiteral("/shot.png");
    QString error;
    ASSERT_TRUE(picture::writePictureFile(path, pattern(), FileType::Png, &error)) << error.toStdString();
    EXPECT_TRUE(samePixels(picture::readPictureFile(path), pattern()));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("shot.png")});

    // A folder that does not exist, and a file standing where the folder
    // should be: refused with a reason, nothing created.
    for (const QString& bad : {folder.path() + QStringLiteral("/missing/shot.png"), path + QStringLiteral("/shot.png")}) {
        error.clear();
        EXPECT_FALSE(picture::writePictureFile(bad, pattern(), FileType::Jpeg, &error)) << bad.toStdString();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(QFile::exists(bad));
    }
    EXPECT_TRUE(samePixels(picture::readPictureFile(path), pattern()));
    EXPECT_TRUE(picture::readPictureFile(folder.path() + QStringLiteral("/none.png"), &error).isNull());
    EXPECT_FALSE(error.isEmpty());
}

// Fitted reading for the slideshow: JPEGs scaled down while decoding, every
// type fitted proportionally and never enlarged, transparency on white; the
// header probe reads no pixels; bad and oversized files give nothing.
TEST(PictureFile, FittedReadingAndTheHeaderProbe)
{
    test::TestFolder folder;
    const struct {
        FileType type;
        QSize size;
        QSize box;
        QSize expected;
    } cases[] = {
        {FileType::Jpeg, {1600, 1200}, {400, 400}, {400, 300}}, // decoded at a quarter
        {FileType::Jpeg, {1600, 1200}, {200, 150}, {200, 150}}, // exactly an eighth
        {FileType::Jpeg, {300, 200}, {1920, 1080}, {300, 200}}, // not enlarged
        {FileType::Png, {640, 480}, {320, 320}, {320, 240}},
        {FileType::Bmp, {200, 400}, {100, 100}, {50, 100}},
    };
    for (const auto& c : cases) {
        const QString path = folder.path(QStringLiteral("p%1x%2%3").arg(c.size.width()).arg(c.size.height()).arg(picture::extension(c.type)));
        ASSERT_TRUE(picture::writePictureFile(path, gradient(c.size.width(), c.size.height()), c.type));
        const QImage fitted = picture::readPictureFitted(path, c.box);
        EXPECT_EQ(fitted.size(), c.expected) << path.toStdString();
        EXPECT_EQ(fitted.format(), QImage::Format_RGB32);
        const auto header = picture::probePictureFile(path);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->size, c.size);
        EXPECT_EQ(header->type, c.type);
    }
    // A JPEG whose header lies behind 200 KB of metadata is still probed.
    {
        QByteArray jpeg = picture::encodeFile(gradient(64, 48), FileType::Jpeg);
        QByteArray padding;
        for (int i = 0; i < 4; ++i) {
            padding += "\xFF\xE1\xFF\xF0";
            padding += QByteArray(0xFFF0 - 2, 'x');
        }
        jpeg.insert(2, padding);
        const QString path = folder.path(QStringLiteral("exif.jpg"));
        test::TestFolder::write(path, jpeg);
        const auto header = picture::probePictureFile(path);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->size, QSize(64, 48));
        EXPECT_EQ(picture::readPictureFitted(path, QSize(32, 32)).size(), QSize(32, 24));
    }
    // A PNG under a JPEG's name, transparent: read for what it is, on white.
    QImage clear(10, 10, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const QString disguised = folder.path(QStringLiteral("clear.jpg"));
    test::TestFolder::write(disguised, picture::encodeFile(clear, FileType::Png));
    const QImage onWhite = picture::readPictureFitted(disguised, QSize(100, 100));
    ASSERT_FALSE(onWhite.isNull());
    EXPECT_EQ(onWhite.pixel(5, 5), qRgb(255, 255, 255));
    // Nothing to show: empty, damaged, missing, over the budget.
    const QString empty = folder.path(QStringLiteral("empty.jpg"));
    test::TestFolder::write(empty, {});
    const QString broken = folder.path(QStringLiteral("broken.jpg"));
    test::TestFolder::write(broken, picture::encodeFile(gradient(), FileType::Jpeg).left(300));
    for (const QString& bad : {empty, broken, folder.path(QStringLiteral("missing.png"))}) {
        QString error;
        EXPECT_TRUE(picture::readPictureFitted(bad, QSize(100, 100), &error).isNull()) << bad.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_FALSE(picture::probePictureFile(empty).has_value());
    const QString big = folder.path(QStringLiteral("big.png"));
    ASSERT_TRUE(picture::writePictureFile(big, gradient(64, 48), FileType::Png));
    EXPECT_TRUE(picture::readPictureFitted(big, QSize(10, 10), nullptr, 64 * 48 - 1).isNull());
}
