// The slideshow's plain parts: list files as a table of real inputs, the
// editor's list rules, both players on a fake clock, and every transition
// style on small fixtures.

#include "display/slideshow/slidelist.h"
#include "display/slideshow/slideplayer.h"
#include "display/slideshow/sliderows.h"
#include "display/slideshow/transitions.h"
#include "common/picture/picturefile.h"
#include "tests/unit/testfolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>
#include <set>

using namespace mirovex;
using namespace mirovex::slides;

namespace {

struct ListCase {
    const char* name;
    QByteArray bytes;
    ListFormat format;
    SlideList expected;
};

SlideList list(int duration, bool loop, QStringList paths) { return SlideList{duration, loop, std::move(paths)}; }

} // namespace

TEST(SlideList, ParsesEveryLayoutAndDamage)
{
    const QStringList ab{QStringLiteral("/p/a.jpg"), QStringLiteral("/p/b.png")};
    const ListCase cases[] = {
        {"slideshow LF", "7\nOn\n/p/a.jpg\n/p/b.png\n", ListFormat::Slideshow, list(7, true, ab)},
        {"slideshow CRLF, BOM, no final newline", "\xEF\xBB\xBF" "7\r\nOff\r\n/p/a.jpg\r\n/p/b.png", ListFormat::Slideshow,
         list(7, false, ab)},
        {"blank lines anywhere", "\n7\n\n on\n/p/a.jpg\n  \n/p/b.png\n\n", ListFormat::Slideshow, list(7, true, ab)},
        {"loop in any case", "3\noN\n", ListFormat::Slideshow, list(3, true, {})},
        {"loop anything else is off", "3\nyes\n", ListFormat::Slideshow, list(3, false, {})},
        {"bad duration: 5, line 2 still the loop", "abc\nOff\n/p/a.jpg\n/p/b.png\n", ListFormat::Slideshow, list(5, false, ab)},
        {"duration 0 clamps to 1", "0\nOn\n", ListFormat::Slideshow, list(1, true, {})},
        {"negative duration clamps to 1", "-20\nOn\n", ListFormat::Slideshow, list(1, true, {})},
        {"huge duration clamps to 300", "99999999999\nOn\n", ListFormat::Slideshow, list(300, true, {})},
        {"empty file", "", ListFormat::Slideshow, list(5, true, {})},
        {"project", "1\n9\n/p/a.jpg\n/p/b.png\n", ListFormat::Project, list(9, true, ab)},
        {"project loop only for 1", "0\n9\n/p/a.jpg\n/p/b.png\n", ListFormat::Project, list(9, false, ab)},
        {"project bad duration", "1\nlong\n/p/a.jpg\n/p/b.png\n", ListFormat::Project, list(5, true, ab)},
        {"project one line", "1\n", ListFormat::Project, list(5, true, {})},
        {"idx in the slideshow layout", "2\nOff\n/p/a.jpg\n/p/b.png\n", ListFormat::AutoStart, list(2, false, ab)},
        {"idx of paths only", "/p/a.jpg\n/p/b.png\n", ListFormat::AutoStart, list(5, true, ab)},
        {"Latin-1 path", "4\nOn\n/p/\xE9t\xE9.jpg\n", ListFormat::Slideshow, list(4, true, {QString::fromUtf8("/p/\xC3\xA9t\xC3\xA9.jpg")})},
        {"UTF-8 path", "4\nOn\n/p/\xC3\xA9t\xC3\xA9.jpg\n", ListFormat::Slideshow, list(4, true, {QString::fromUtf8("/p/\xC3\xA9t\xC3\xA9.jpg")})},
        {"Windows paths stay text", "4\nOn\nC:\\Pictures\\a.jpg\n", ListFormat::Slideshow, list(4, true, {QStringLiteral("C:\\Pictures\\a.jpg")})},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseList(splitLines(c.bytes), c.format), c.expected);
    }
}

TEST(SlideList, WritesWhatItReadsInEachFormat)
{
    test::TestFolder folder;
    const SlideList original = list(12, false, {QStringLiteral("/a b/c.jpg"), QString::fromUtf8("/\xC3\xA9/d.png")});
    for (const ListFormat f : {ListFormat::Slideshow, ListFormat::Project, ListFormat::AutoStart}) {
        const QString path = folder.path(QStringLiteral("list"));
        ASSERT_TRUE(writeListFile(path, original, f));
        EXPECT_EQ(readListFile(path, f), original);
    }
    EXPECT_EQ(listText(original, ListFormat::Slideshow), QByteArray("12\nOff\n/a b/c.jpg\n/\xC3\xA9/d.png\n"));
    EXPECT_EQ(listText(original, ListFormat::Project), QByteArray("0\n12\n/a b/c.jpg\n/\xC3\xA9/d.png\n"));
}

TEST(SlideList, FailedWritesAndReadsChangeNothing)
{
    test::TestFolder folder;
    const QString path = folder.path(QStringLiteral("show.TSS"));
    test::TestFolder::write(path, "3\nOn\n/keep.jpg\n");
    // A path with a line break would turn into two entries.
    EXPECT_FALSE(writeListFile(path, list(4, true, {QStringLiteral("/a\n/b.jpg")}), ListFormat::Slideshow));
    EXPECT_EQ(test::TestFolder::readAll(path), QByteArray("3\nOn\n/keep.jpg\n"));
    // A folder that does not exist.
    EXPECT_FALSE(writeListFile(folder.path(QStringLiteral("none/x.TSS")), list(4, true, {}), ListFormat::Slideshow));
    EXPECT_FALSE(readListFile(folder.path(QStringLiteral("none/x.TSS")), ListFormat::Slideshow).has_value());
    // A read-only folder keeps the old file whole.
    QDir().mkpath(folder.path(QStringLiteral("ro")));
    const QString ro = folder.path(QStringLiteral("ro/show.TSS"));
    test::TestFolder::write(ro, "3\nOn\n");
    QFile::setPermissions(folder.path(QStringLiteral("ro")), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (!QFileInfo(folder.path(QStringLiteral("ro"))).isWritable()) {
        EXPECT_FALSE(writeListFile(ro, list(9, false, {QStringLiteral("/x.jpg")}), ListFormat::Slideshow));
        EXPECT_EQ(test::TestFolder::readAll(ro), QByteArray("3\nOn\n"));
    }
    QFile::setPermissions(folder.path(QStringLiteral("ro")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // Garbage reads as paths that do not exist, never as a failure.
    test::TestFolder::write(path, QByteArray("\x00\xff\xfe garbage\x01\n\x80\x81", 14));
    const auto garbage = readListFile(path, ListFormat::Slideshow);
    ASSERT_TRUE(garbage.has_value());
    EXPECT_EQ(garbage->duration, 5);
}

TEST(SlideList, EntryKindsByExtension)
{
    EXPECT_EQ(entryKind(QStringLiteral("/a/b.JPG")), EntryKind::Picture);
    EXPECT_EQ(entryKind(QStringLiteral("/a/b.jpeg")), EntryKind::Picture);
    EXPECT_EQ(entryKind(QStringLiteral("/a/b.Png")), EntryKind::Picture);
    EXPECT_EQ(entryKind(QStringLiteral("/a/b.bmp")), EntryKind::Picture);
    EXPECT_EQ(entryKind(QStringLiteral("/a/b.txt")), EntryKind::Text);
    EXPECT_EQ(entryKind(QStringLiteral("/a/b.RTF")), EntryKind::Text);
    EXPECT_EQ(entryKind(QStringLiteral("/a/b.gif")), EntryKind::Refused);
    EXPECT_EQ(entryKind(QStringLiteral("/a/jpg")), EntryKind::Refused);
}

// ---- the editor's list -----------------------------------------------------

namespace {
Row row(const QString& path, const QString& size = QStringLiteral("1"), const QString& type = QString())
{
    Row r;
    r.path = path;
    r.name = QFileInfo(path).fileName();
    r.size = size;
    r.type = type;
    r.folder = folderText(path);
    return r;
}
QStringList names(const SlideRows& rows)
{
    QStringList out;
    for (const Row& r : rows.rows())
        out << r.name;
    return out;
}
} // namespace

TEST(SlideRows, AddRefusesDuplicatesAndStrangersButProjectsKeepDuplicates)
{
    SlideRows rows;
    EXPECT_EQ(rows.add(row(QStringLiteral("/p/a.jpg")), true), SlideRows::Added::Yes);
    EXPECT_EQ(rows.add(row(QStringLiteral("/p/A.JPG")), true), SlideRows::Added::Duplicate);
    EXPECT_EQ(rows.add(row(QStringLiteral("/p/a.gif")), true), SlideRows::Added::Refused);
    EXPECT_EQ(rows.add(row(QStringLiteral("/p/a\nb.jpg")), true), SlideRows::Added::Refused);
    EXPECT_EQ(rows.add(row(QStringLiteral("/p/notes.txt")), true), SlideRows::Added::Yes);
    EXPECT_EQ(rows.add(row(QStringLiteral("/p/a.jpg")), false), SlideRows::Added::Yes);
    EXPECT_EQ(names(rows), (QStringList{"a.jpg", "notes.txt", "a.jpg"}));
}

TEST(SlideRows, MovesStopAtTheEndsAndWithoutARow)
{
    SlideRows rows;
    for (const char* n : {"/p/1.jpg", "/p/2.jpg", "/p/3.jpg"})
        rows.add(row(QString::fromUtf8(n)), true);
    EXPECT_FALSE(rows.moveUp(0));
    EXPECT_FALSE(rows.moveDown(2));
    EXPECT_FALSE(rows.moveUp(-1));
    EXPECT_FALSE(rows.moveDown(-1));
    EXPECT_FALSE(rows.moveDown(7));
    EXPECT_EQ(names(rows), (QStringList{"1.jpg", "2.jpg", "3.jpg"}));
    EXPECT_EQ(rows.moveUp(2), 1);
    EXPECT_EQ(names(rows), (QStringList{"1.jpg", "3.jpg", "2.jpg"}));
    EXPECT_EQ(rows.moveDown(0), 1);
    EXPECT_EQ(names(rows), (QStringList{"3.jpg", "1.jpg", "2.jpg"}));
    rows.remove({2, 0, 2});
    EXPECT_EQ(names(rows), (QStringList{"1.jpg"}));
}

TEST(SlideRows, SortsByEachColumnWithItsTies)
{
    SlideRows rows;
    rows.add(row(QStringLiteral("/p/b.jpg"), QStringLiteral("100"), QStringLiteral("JPEG image")), false);
    rows.add(row(QStringLiteral("/p/10.jpg"), QStringLiteral("20"), QStringLiteral("JPEG image")), false);
    rows.add(row(QStringLiteral("/p/9.jpg"), QStringLiteral("20"), QStringLiteral("jpeg image")), false);
    rows.add(row(QStringLiteral("/p/A.png"), QStringLiteral("3"), QStringLiteral("PNG image")), false);
    rows.add(row(QStringLiteral("/p/gone.jpg"), QString(), QString()), false);

    // Numbers, not text; ties by the names as numbers, which "9.jpg" is not
    // (0 for both), then by the names.
    rows.sort(Column::Size, true);
    EXPECT_EQ(names(rows), (QStringList{"gone.jpg", "A.png", "10.jpg", "9.jpg", "b.jpg"}));
    rows.sort(Column::Size, false); // the row without a size stays first
    EXPECT_EQ(names(rows), (QStringList{"gone.jpg", "b.jpg", "9.jpg", "10.jpg", "A.png"}));
    rows.sort(Column::File, true);
    EXPECT_EQ(names(rows), (QStringList{"gone.jpg", "10.jpg", "9.jpg", "A.png", "b.jpg"}));
    rows.sort(Column::Type, true); // capitals, ties by the names in capitals
    EXPECT_EQ(names(rows), (QStringList{"gone.jpg", "10.jpg", "9.jpg", "b.jpg", "A.png"}));
}

TEST(SlideRows, RowsOfRealFiles)
{
    test::TestFolder folder;
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::red);
    const QString png = folder.path(QStringLiteral("shot.png"));
    ASSERT_TRUE(picture::writePictureFile(png, img, picture::FileType::Png));
    // A PNG under a JPEG's name is still read for what it is.
    const QString disguised = folder.path(QStringLiteral("disguised.jpg"));
    QFile::copy(png, disguised);
    const QString broken = folder.path(QStringLiteral("broken.jpg"));
    test::TestFolder::write(broken, "\xFF\xD8\xFF\xE0 not really");

    const Row r = makeRow(png);
    EXPECT_EQ(r.name, QStringLiteral("shot.png"));
    EXPECT_EQ(r.size, QString::number(QFileInfo(png).size()));
    EXPECT_EQ(r.dimensions, QStringLiteral("40 X 30"));
    EXPECT_FALSE(r.type.isEmpty());
    EXPECT_EQ(r.folder + QStringLiteral("/shot.png"), png);
    EXPECT_EQ(makeRow(disguised).dimensions, QStringLiteral("40 X 30"));
    EXPECT_EQ(makeRow(broken).dimensions, QString());
    EXPECT_EQ(folderText(QStringLiteral("/x.jpg")), QStringLiteral("/"));
    EXPECT_EQ(folderText(QStringLiteral("/a/b/x.jpg")), QStringLiteral("/a/b"));
}

// ---- the players -----------------------------------------------------------

namespace {

// A clock that moves only when told, decodes answered when the test says,
// and a record of what was shown.
class FakeHost : public PlayerHost {
public:
    qint64 now() const override { return now_; }
    void wakeAt(qint64 ms) override { wake_ = ms; }
    bool exists(const QString& path) const override { return !missingFiles.contains(path); }
    void load(std::uint64_t token, const QString& path) override { pending.push_back({token, path}); }
    void entered(int index, int) override { entered_.push_back(index); }
    void show(const QImage& picture, int index) override
    {
        shown.push_back({index, picture.pixel(0, 0)});
    }
    void missing(const QString& path) override { missingShown.append(path); }
    void finished() override { ++finishedCount; }

    // Answers every pending decode: pictures named "bad" do not decode.
    void answer(SlidePlayer& p)
    {
        while (!pending.empty()) {
            const auto [token, path] = pending.front();
            pending.erase(pending.begin());
            QImage img;
            if (!path.contains(QLatin1String("bad"))) {
                img = QImage(4, 4, QImage::Format_RGB32);
                img.fill(qRgb(int(qHash(path) & 255), 0, 0));
            }
            ++decodes;
            p.loaded(token, img);
        }
    }
    // Moves the clock to the pending wake and fires it; false when none.
    bool fire(SlidePlayer& p)
    {
        if (wake_ < 0)
            return false;
        now_ = std::max(now_, wake_);
        wake_ = -1;
        p.wake();
        return true;
    }
    // Runs until the player rests (nothing to wake, nothing to decode), at
    // most `limit` wakes.
    void run(SlidePlayer& p, int limit = 100)
    {
        for (int i = 0; i < limit; ++i) {
            answer(p);
            if (!fire(p))
                break;
        }
        answer(p);
    }
    QList<int> shownIndices() const
    {
        QList<int> out;
        for (const auto& s : shown)
            out << s.first;
        return out;
    }

    qint64 now_ = 1000;
    qint64 wake_ = -1;
    std::vector<std::pair<std::uint64_t, QString>> pending;
    std::vector<std::pair<int, QRgb>> shown;
    std::vector<int> entered_;
    QSet<QString> missingFiles;
    QStringList missingShown;
    int finishedCount = 0;
    int decodes = 0;
};

SlidePlayer::Options sessionOptions() { return {true, true}; }
SlidePlayer::Options previewOptions() { return {false, false}; }

} // namespace

TEST(SlidePlayer, PlaysOnceThenEndsWithTheLastPictureShown)
{
    FakeHost host;
    SlidePlayer p(host);
    p.start({"/a.jpg", "/b.png", "/c.bmp"}, false, [] { return 2; }, sessionOptions());
    host.answer(p);
    ASSERT_EQ(host.shownIndices(), QList<int>{0});
    const qint64 first = host.now_;
    EXPECT_EQ(host.wake_, first + 2000);
    host.run(p);
    EXPECT_EQ(host.shownIndices(), (QList<int>{0, 1, 2}));
    EXPECT_EQ(host.finishedCount, 1);
    EXPECT_FALSE(p.playing());
    // Each picture had its two seconds, the last one too.
    EXPECT_EQ(host.now_, first + 3 * 2000);
}

TEST(SlidePlayer, LoopsAndDecodesTheNextPictureAhead)
{
    FakeHost host;
    SlidePlayer p(host);
    p.start({"/a.jpg", "/b.jpg"}, true, [] { return 1; }, sessionOptions());
    host.answer(p);
    // While the first is shown the second is already asked for.
    for (int i = 0; i < 5; ++i) {
        host.answer(p);
        host.fire(p);
    }
    host.answer(p);
    EXPECT_EQ(host.shownIndices(), (QList<int>{0, 1, 0, 1, 0, 1}));
    EXPECT_TRUE(p.playing());
    EXPECT_EQ(host.finishedCount, 0);
}

TEST(SlidePlayer, TextEntriesHoldThePictureInTheSessionAndArePassedOverInThePreview)
{
    {
        FakeHost host;
        SlidePlayer p(host);
        p.start({"/a.jpg", "/notes.txt", "/b.jpg"}, false, [] { return 3; }, sessionOptions());
        const qint64 t0 = host.now_;
        host.run(p);
        EXPECT_EQ(host.shownIndices(), (QList<int>{0, 2}));
        EXPECT_EQ(host.now_, t0 + 3 * 3000); // the text's three seconds too
    }
    {
        FakeHost host;
        SlidePlayer p(host);
        p.start({"/a.jpg", "/notes.txt", "/b.jpg"}, false, [] { return 3; }, previewOptions());
        const qint64 t0 = host.now_;
        host.run(p);
        EXPECT_EQ(host.shownIndices(), (QList<int>{0, 2}));
        EXPECT_EQ(host.now_, t0 + 2 * 3000);
    }
}

TEST(SlidePlayer, PicturesThatDoNotLoadArePassedOverSilently)
{
    FakeHost host;
    SlidePlayer p(host);
    p.start({"/bad1.jpg", "/a.jpg", "/bad2.jpg", "/b.jpg"}, false, [] { return 1; }, sessionOptions());
    host.run(p);
    EXPECT_EQ(host.shownIndices(), (QList<int>{1, 3}));
    EXPECT_TRUE(host.missingShown.isEmpty());
    EXPECT_EQ(host.finishedCount, 1);
}

TEST(SlidePlayer, NothingLoadableWhileLoopingWaitsInsteadOfSpinning)
{
    for (const auto& options : {sessionOptions(), previewOptions()}) {
        FakeHost host;
        SlidePlayer p(host);
        p.start({"/bad1.jpg", "/bad2.png", "/x.gif"}, true, [] { return 4; }, options);
        const qint64 t0 = host.now_;
        host.answer(p);
        for (int pass = 1; pass <= 3; ++pass) {
            ASSERT_TRUE(host.fire(p));
            host.answer(p);
            // One duration per pass with nothing shown.
            EXPECT_EQ(host.now_, t0 + pass * 4000);
        }
        EXPECT_TRUE(host.shown.empty());
        EXPECT_TRUE(p.playing());
        EXPECT_LE(host.decodes, 3 * 2 + 2);
    }
}

TEST(SlidePlayer, AMissingFileEndsTheSessionWithItsMessageButNotThePreview)
{
    {
        FakeHost host;
        host.missingFiles = {QStringLiteral("/gone.jpg")};
        SlidePlayer p(host);
        p.start({"/a.jpg", "/gone.jpg", "/b.jpg"}, true, [] { return 1; }, sessionOptions());
        host.run(p);
        EXPECT_EQ(host.shownIndices(), QList<int>{0});
        EXPECT_EQ(host.missingShown, QStringList{"/gone.jpg"});
        EXPECT_EQ(host.finishedCount, 1);
        EXPECT_FALSE(p.playing());
    }
    {
        FakeHost host;
        host.missingFiles = {QStringLiteral("/gone.jpg")};
        SlidePlayer p(host);
        // The file is not there: decoding it fails like a damaged one.
        p.start({"/a.jpg", "/gone-bad.jpg", "/b.jpg"}, false, [] { return 1; }, previewOptions());
        host.run(p);
        EXPECT_EQ(host.shownIndices(), (QList<int>{0, 2}));
        EXPECT_TRUE(host.missingShown.isEmpty());
    }
}

TEST(SlidePlayer, StopEndsAtOnceWhileWaitingOrLoading)
{
    FakeHost host;
    SlidePlayer p(host);
    p.start({"/a.jpg", "/b.jpg"}, true, [] { return 5; }, sessionOptions());
    host.answer(p);
    p.stop(); // mid-wait
    EXPECT_FALSE(p.playing());
    EXPECT_EQ(host.wake_, -1);
    host.run(p);
    EXPECT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.finishedCount, 0);

    p.start({"/a.jpg", "/b.jpg"}, true, [] { return 5; }, sessionOptions());
    p.stop(); // mid-decode: the late answer is ignored
    host.answer(p);
    EXPECT_EQ(host.shown.size(), 1u);
    // Starting again begins at the first picture.
    p.start({"/a.jpg", "/b.jpg"}, true, [] { return 5; }, sessionOptions());
    host.answer(p);
    EXPECT_EQ(host.shown.back().first, 0);
}

TEST(SlidePlayer, ADurationChangeTakesEffectFromTheNextPicture)
{
    FakeHost host;
    SlidePlayer p(host);
    int seconds = 2;
    p.start({"/a.jpg", "/b.jpg", "/c.jpg"}, false, [&] { return seconds; }, previewOptions());
    host.answer(p);
    const qint64 t0 = host.now_;
    EXPECT_EQ(host.wake_, t0 + 2000);
    seconds = 7; // changed while the first shows
    EXPECT_EQ(host.wake_, t0 + 2000);
    host.fire(p);
    host.answer(p);
    EXPECT_EQ(host.wake_, t0 + 2000 + 7000);
    seconds = 0; // out of range: one second
    host.fire(p);
    host.answer(p);
    EXPECT_EQ(host.wake_, t0 + 9000 + 1000);
}

TEST(SlidePlayer, AnEmptyListEndsOnTheNextWake)
{
    FakeHost host;
    SlidePlayer p(host);
    p.start({}, false, [] { return 1; }, sessionOptions());
    EXPECT_EQ(host.finishedCount, 0); // never from inside start()
    host.run(p);
    EXPECT_EQ(host.finishedCount, 1);
}

// ---- transitions -----------------------------------------------------------

namespace {
QImage fixture(QRgb base, int shift)
{
    QImage img(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            img.setPixel(x, y, base ^ qRgb((x * 4 + shift) & 255, (y * 5) & 255, 0));
    return img;
}
} // namespace

TEST(Transitions, EveryStyleRunsFromTheOldPictureToTheNew)
{
    const QImage from = fixture(qRgb(200, 30, 30), 0);
    const QImage to = fixture(qRgb(20, 40, 220), 7);
    transitions::Renderer renderer;
    std::set<QString> names;
    for (int style = 0; style < transitions::kStyleCount; ++style) {
        SCOPED_TRACE(style);
        const QString name = transitions::styleName(style);
        EXPECT_FALSE(name.isEmpty());
        names.insert(name);
        QImage out(from.size(), QImage::Format_RGB32);
        const uchar* bits = out.constBits();
        renderer.render(style, from, to, 0, 42, out);
        EXPECT_EQ(out, from);
        renderer.render(style, from, to, 100, 42, out);
        EXPECT_EQ(out, to);
        renderer.render(style, from, to, 48, 42, out);
        if (style == 0) {
            EXPECT_EQ(out, to); // a plain cut
        } else {
            EXPECT_NE(out, from);
            EXPECT_NE(out, to);
        }
        // Rendered in place, and the same arguments give the same frame.
        EXPECT_EQ(out.constBits(), bits);
        QImage again(from.size(), QImage::Format_RGB32);
        transitions::Renderer other;
        other.render(style, from, to, 48, 42, again);
        EXPECT_EQ(again, out);
    }
    EXPECT_EQ(transitions::styleName(0), QStringLiteral("Custom"));
    EXPECT_EQ(transitions::styleName(119), QStringLiteral("Fade"));
    EXPECT_EQ(transitions::styleName(176), QStringLiteral("Slide out from top"));
    EXPECT_GT(names.size(), 170u); // two names repeat in the list
}

TEST(Transitions, DrawsStaysBelow162AndCoverTheRange)
{
    std::uint32_t x = 1;
    const transitions::RandomSource lcg = [&x] { return x = x * 1664525u + 1013904223u; };
    std::map<int, int> seen;
    for (int i = 0; i < 20000; ++i) {
        const int s = transitions::drawStyle(lcg);
        ASSERT_GE(s, 0);
        ASSERT_LE(s, 161);
        ++seen[s];
    }
    EXPECT_EQ(seen.size(), 162u);
    EXPECT_EQ(transitions::drawStyle([] { return 0xFFFFFFFFu; }), 161);
    EXPECT_EQ(transitions::drawStyle([] { return 0u; }), 0);
}
