#include "common/objstream/objstream.h"
#include "common/settings/objectfile.h"

#include "tests/unit/testfolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <climits>
#include <string>

using namespace mirovex::objstream;

namespace {

std::string bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s.push_back(char(b));
    return s;
}

// "TPF0", class "TX", object "x".
const std::string kHead = std::string("TPF0") + bytes({2}) + "TX" + bytes({1}) + "x";
const std::string kEnd = bytes({0, 0});

std::string streamOf(const std::string& properties) { return kHead + properties + kEnd; }
std::string property(const std::string& name, const std::string& typeAndValue)
{
    return bytes({int(name.size())}) + name + typeAndValue;
}

struct GoldenCase {
    const char* name;
    Value value;
    std::string stored; // type byte and value bytes
};

TEST(ObjectStream, EveryValueTypeHasItsBytes)
{
    const GoldenCase cases[] = {
        {"int8", Value(std::int32_t(-2)), bytes({2, 0xFE})},
        {"int16", Value(std::int32_t(0x1234)), bytes({3, 0x34, 0x12})},
        {"int32", Value(std::int32_t(-0x12345678)), bytes({4, 0x88, 0xA9, 0xCB, 0xED})},
        {"string", Value(std::string("Arial")), bytes({6, 5}) + "Arial"},
        {"empty string", Value(std::string()), bytes({6, 0})},
        {"long string", Value(std::string(300, 'a')), bytes({12, 0x2C, 0x01, 0, 0}) + std::string(300, 'a')},
        {"identifier", Value(Ident{"clRed"}), bytes({7, 5}) + "clRed"},
        {"false", Value(false), bytes({8})},
        {"true", Value(true), bytes({9})},
        {"binary", Value(Binary{std::string("\0\1\2", 3)}), bytes({10, 3, 0, 0, 0, 0, 1, 2})},
        {"set", Value(Set{{"fsBold", "fsItalic"}}), bytes({11, 6}) + "fsBold" + bytes({8}) + "fsItalic" + bytes({0})},
        {"empty set", Value(Set{}), bytes({11, 0})},
        {"string list", Value(Value::List{std::string("a"), std::string("bc")}), bytes({1, 6, 1}) + "a" + bytes({6, 2}) + "bc" + bytes({0})},
        {"nested list", Value(Value::List{Value(Value::List{}), Value(std::int32_t(1))}), bytes({1, 1, 0, 2, 1, 0})},
    };
    for (const auto& c : cases) {
        const Object object{"TX", "x", {{"P", c.value}}};
        const std::string want = streamOf(property("P", c.stored));
        EXPECT_EQ(serialize(object), want) << c.name;
        EXPECT_EQ(parse(want), object) << c.name;
    }
}

TEST(ObjectStream, IntegersTakeTheSmallestWidth)
{
    const struct {
        std::int32_t value;
        int type;
    } cases[] = {
        {0, 2},          {127, 2},         {-128, 2},        {128, 3},    {-129, 3},   {32767, 3},
        {-32768, 3},     {32768, 4},       {-32769, 4},      {INT_MAX, 4}, {INT_MIN, 4}, {16777215, 4},
    };
    for (const auto& c : cases) {
        const std::string stream = *serialize(Object{"TX", "x", {{"P", Value(c.value)}}});
        EXPECT_EQ(int(stream[kHead.size() + 2]), c.type) << c.value;
        const auto back = parse(stream);
        ASSERT_TRUE(back) << c.value;
        EXPECT_EQ(*back->properties[0].value.get<std::int32_t>(), c.value);
    }
    // Whatever width another writer chose, the number reads the same.
    EXPECT_EQ(*parse(streamOf(property("P", bytes({4, 5, 0, 0, 0}))))->properties[0].value.get<std::int32_t>(), 5);
}

TEST(ObjectStream, StringLengthsCountBytes)
{
    const std::string twoBytes = "\xC4\x8D"; // a letter of two bytes in UTF-8
    const struct {
        std::string text;
        int type;
    } cases[] = {
        {std::string(253, 'a') + twoBytes, 6},  // 255 bytes, 254 characters
        {std::string(254, 'a') + twoBytes, 12}, // 256 bytes: the letter crosses the boundary, so all of it goes long
        {std::string(255, 'a'), 6},
        {std::string(256, 'a'), 12},
    };
    for (const auto& c : cases) {
        const std::string stream = *serialize(Object{"TX", "x", {{"P", Value(c.text)}}});
        EXPECT_EQ(int(stream[kHead.size() + 2]), c.type) << c.text.size();
        EXPECT_EQ(*parse(stream)->properties[0].value.get<std::string>(), c.text) << c.text.size();
    }
}

TEST(ObjectStream, TextThatIsNoUtf8ReadsAsLatin1)
{
    const auto read = parse(streamOf(property("P", bytes({6, 4}) + "Caf\xE9")));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read->properties[0].value.get<std::string>(), "Caf\xC3\xA9");
    // Valid UTF-8 is taken as it is.
    EXPECT_EQ(*parse(streamOf(property("P", bytes({6, 2}) + "\xC3\xA9")))->properties[0].value.get<std::string>(), "\xC3\xA9");
}

TEST(ObjectStream, NamedColoursBothWays)
{
    EXPECT_EQ(colourToValue(0x000000), Value(Ident{"clBlack"}));
    EXPECT_EQ(colourToValue(0xFFFFFF), Value(Ident{"clWhite"}));
    EXPECT_EQ(colourToValue(0x0000FF), Value(Ident{"clRed"}));
    EXPECT_EQ(colourToValue(0xF0F0F0), Value(Ident{"clBtnFace"}));
    // Two names for one value: the first in the table is written.
    EXPECT_EQ(colourToValue(0xC0C0C0), Value(Ident{"clSilver"}));
    EXPECT_EQ(colourToValue(0x123456), Value(std::int32_t(0x123456)));

    const struct {
        Value stored;
        std::optional<std::uint32_t> want;
    } reads[] = {
        {Value(Ident{"clLtGray"}), 0xC0C0C0},
        {Value(Ident{"CLWHITE"}), 0xFFFFFF},
        {Value(Ident{"clBtnFace"}), 0xF0F0F0},
        {Value(std::int32_t(0x123456)), 0x123456},
        {Value(std::int32_t(0xFF00000F - 0x100000000LL)), 0xF0F0F0}, // a system colour stored as its number
        {Value(Ident{"clNoSuchColour"}), std::nullopt},
        {Value(std::int32_t(0x1FFFFFFF)), std::nullopt},
        {Value(std::int32_t(-1)), std::nullopt},
        {Value(std::string("clRed")), std::nullopt},
    };
    for (const auto& r : reads)
        EXPECT_EQ(colourFromValue(r.stored), r.want);
}

// Bad input: nothing comes out, whatever the bytes.
TEST(ObjectStream, DamagedStreamsGiveNothing)
{
    auto listsDeep = [](int depth) {
        std::string s;
        for (int i = 0; i < depth; ++i)
            s += bytes({1});
        for (int i = 0; i < depth; ++i)
            s += bytes({0});
        return property("P", s);
    };
    const struct {
        const char* name;
        std::string stream;
    } cases[] = {
        {"empty", ""},
        {"signature only", "TPF0"},
        {"bad signature", "TPF1" + kHead.substr(4) + kEnd},
        {"lower-case signature", "tpf0" + kHead.substr(4) + kEnd},
        {"no end of children", kHead + bytes({0})},
        {"child object", kHead + bytes({0, 1, 2}) + "TY" + bytes({0, 0, 0, 0})},
        {"bytes after the end", streamOf("") + "x"},
        {"string past the end", streamOf(property("P", bytes({6, 200}) + "abc"))},
        {"long string past the end", streamOf(property("P", bytes({12, 0xFF, 0xFF, 0xFF, 0xFF}) + "abc"))},
        {"binary past the end", streamOf(property("P", bytes({10, 0x00, 0x00, 0x00, 0x80})))},
        {"list without end", kHead + property("P", bytes({1, 2, 1, 2, 2}))},
        {"set without end", kHead + property("P", bytes({11, 1}) + "a")},
        {"type 5", streamOf(property("P", bytes({5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})))},
        {"type 13", streamOf(property("P", bytes({13, 0})))},
        {"type 255", streamOf(property("P", bytes({255})))},
        {"end of list as a value", streamOf(property("P", bytes({0})))},
        {"lists 17 deep", streamOf(listsDeep(17))},
        {"integer cut", streamOf(property("P", bytes({4, 1, 2})))},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(parse(c.stream)) << c.name;
    EXPECT_TRUE(parse(streamOf(listsDeep(16))));
}

TEST(ObjectStream, LimitsHoldForReadingAndWriting)
{
    // Over the size limit: refused both ways, so what we write always reads.
    const Object big{"TX", "x", {{"P", Value(Binary{std::string(kMaxStreamBytes, 'b')})}}};
    EXPECT_FALSE(serialize(big));
    const std::string huge = streamOf(property("P", bytes({10, 0, 0, 0, 1}) + std::string(kMaxStreamBytes, 'b')));
    EXPECT_FALSE(parse(huge));

    // Many one-byte values cost far more than their bytes once read.
    std::string many = bytes({1});
    many += std::string(kMaxValues, char(Type::True));
    many += bytes({0});
    EXPECT_FALSE(parse(streamOf(property("P", many))));
    Value::List items(kMaxValues - 1, Value(true));
    EXPECT_TRUE(parse(*serialize(Object{"TX", "x", {{"P", Value(items)}}})));
    items.push_back(Value(true));
    EXPECT_FALSE(serialize(Object{"TX", "x", {{"P", Value(items)}}}));

    // Names that cannot be stored.
    EXPECT_FALSE(serialize(Object{"TX", "x", {{"", Value(true)}}}));
    EXPECT_FALSE(serialize(Object{std::string(256, 'T'), "x", {}}));
    EXPECT_FALSE(serialize(Object{"TX", "x", {{"P", Value(Set{{"a", ""}})}}}));
    Value deep = Value(Value::List{});
    for (int i = 0; i < kMaxDepth; ++i)
        deep = Value(Value::List{deep});
    EXPECT_FALSE(serialize(Object{"TX", "x", {{"P", deep}}}));
}

// --- the schema layer

struct Holder {
    std::int32_t width = 3;
    bool curved = true;
    std::uint32_t colour = 0x0000FF;
    std::string text;
    std::string charset = "DEFAULT_CHARSET";
    std::vector<std::string> style;
    std::vector<std::string> lines;
    std::string picture;
};

const Schema<Holder>& holderSchema()
{
    static const Schema<Holder> schema = Schema<Holder>("tTpt")
                                             .integer("Width", &Holder::width)
                                             .boolean("Curved", &Holder::curved)
                                             .colour("Color", &Holder::colour)
                                             .string("Font.Name", &Holder::text)
                                             .identifier("Font.Charset", &Holder::charset)
                                             .set("Font.Style", &Holder::style)
                                             .strings("Lines.Strings", &Holder::lines)
                                             .binary("Picture.Data", &Holder::picture);
    return schema;
}

Holder changedHolder()
{
    Holder h;
    h.width = 70000;
    h.curved = false;
    h.colour = 0x123456;
    h.text = "Dejavu \xC5\xBD";
    h.charset = "EASTEUROPE_CHARSET";
    h.style = {"fsBold", "fsItalic"};
    h.lines = {"one", std::string(300, 'l'), ""};
    h.picture = std::string("\x89PNG\0\1", 6);
    return h;
}

bool sameHolder(const Holder& a, const Holder& b)
{
    return a.width == b.width && a.curved == b.curved && a.colour == b.colour && a.text == b.text &&
           a.charset == b.charset && a.style == b.style && a.lines == b.lines && a.picture == b.picture;
}

TEST(ObjectSchema, WritesDeclaredOrderWithoutDefaults)
{
    const auto stream = holderSchema().write(changedHolder(), "tptSvA");
    ASSERT_TRUE(stream);
    const auto object = parse(*stream);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->className, "tTpt");
    EXPECT_EQ(object->objectName, "tptSvA");
    std::vector<std::string> names;
    for (const auto& p : object->properties)
        names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Width", "Curved", "Color", "Font.Name", "Font.Charset", "Font.Style",
                                               "Lines.Strings", "Picture.Data"}));
    // At its defaults nothing is written but the frame.
    EXPECT_EQ(holderSchema().write(Holder{}, "tptSvA"), std::string("TPF0") + bytes({4}) + "tTpt" + bytes({6}) + "tptSvA" + kEnd);

    Holder back;
    ASSERT_TRUE(holderSchema().read(*stream, back));
    EXPECT_TRUE(sameHolder(back, changedHolder()));
}

// The format's own examples, on small schemas.
struct ColourDialog {
    std::uint32_t color = 0;
    std::vector<std::string> custom;
};
struct TextBox {
    std::vector<std::string> lines;
};

TEST(ObjectSchema, TheFormatsEdgeCases)
{
    const auto dialog = Schema<ColourDialog>("TColorDialog").colour("Color", &ColourDialog::color).strings("CustomColors", &ColourDialog::custom);
    const auto plain = parse(*dialog.write(ColourDialog{}, "ColorDialog1"));
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain->properties.empty());

    const auto box = Schema<TextBox>("TMemo").strings("Lines.Strings", &TextBox::lines);
    const auto memo = parse(*box.write(TextBox{{"short", std::string(256, 'x')}}, "Memo1"));
    ASSERT_TRUE(memo);
    const auto& lines = *memo->properties.at(0).value.get<Value::List>();
    EXPECT_EQ(lines.at(1), Value(std::string(256, 'x')));
    const std::string raw = *box.write(TextBox{{std::string(256, 'x')}}, "Memo1");
    EXPECT_NE(raw.find(bytes({12, 0, 1, 0, 0})), std::string::npos);

    // No width entry: the holder keeps its default width.
    Holder h;
    const std::string noWidth = *holderSchema().write([] { Holder x = changedHolder(); x.width = 3; return x; }(), "tptSvA");
    ASSERT_TRUE(holderSchema().read(noWidth, h));
    EXPECT_EQ(h.width, 3);
    EXPECT_FALSE(h.curved);
}

TEST(ObjectSchema, ReadingRestoresWhatDefaultsLeftOut)
{
    // A written black, cleared list, empty text: nothing is in the file for
    // them, yet an object that held other values must end up with them.
    Holder target = changedHolder();
    ASSERT_TRUE(holderSchema().read(*holderSchema().write(Holder{}, "tptSvA"), target));
    EXPECT_TRUE(sameHolder(target, Holder{}));

    const auto dialog = Schema<ColourDialog>("TColorDialog").colour("Color", &ColourDialog::color).strings("CustomColors", &ColourDialog::custom);
    ColourDialog used{0x00FF00, {"ColorA=123456"}};
    ASSERT_TRUE(dialog.read(*dialog.write(ColourDialog{}, "ColorDialog1"), used));
    EXPECT_EQ(used.color, 0u);
    EXPECT_TRUE(used.custom.empty());
}

TEST(ObjectSchema, ObjectNameIsNotCheckedButTheClassIs)
{
    const auto dialog = Schema<ColourDialog>("TColorDialog").colour("Color", &ColourDialog::color).strings("CustomColors", &ColourDialog::custom);
    const std::string fromDisplay = *dialog.write(ColourDialog{0xFF0000, {"ColorA=FF0000"}}, "ColorDialog1");
    ColourDialog inAnnotation;
    ASSERT_TRUE(dialog.read(fromDisplay, inAnnotation));
    EXPECT_EQ(inAnnotation.color, 0xFF0000u);

    // Class names compare without regard to case; another class is not read.
    const auto lower = Schema<ColourDialog>("tcolordialog").colour("color", &ColourDialog::color);
    ColourDialog viaLower;
    EXPECT_TRUE(lower.read(fromDisplay, viaLower));
    EXPECT_EQ(viaLower.color, 0xFF0000u);

    Holder untouched = changedHolder();
    EXPECT_FALSE(holderSchema().read(fromDisplay, untouched));
    EXPECT_TRUE(sameHolder(untouched, changedHolder()));
}

TEST(ObjectSchema, UnknownNamesAndWrongTypesArePassedOver)
{
    const std::string stream = std::string("TPF0") + bytes({4}) + "tTpt" + bytes({1}) + "t" +
                               property("Unknown", bytes({2, 9})) +
                               property("Width", bytes({6, 1}) + "7") +            // text for a number
                               property("Curved", bytes({2, 1})) +                 // a number for a switch
                               property("Color", bytes({7, 8}) + "clNoSuch") +                 // a colour without a name
                               property("Color", bytes({7, 6}) + "clNavy") +
                               property("Lines.Strings", bytes({1, 6, 1}) + "a" + bytes({2, 1, 0})) + // not all strings
                               property("FONT.NAME", bytes({6, 4}) + "Mono") +      // names without regard to case
                               property("Font.Style", bytes({6, 1}) + "b") +
                               kEnd;
    Holder h = changedHolder();
    ASSERT_TRUE(holderSchema().read(stream, h));
    Holder want;
    want.colour = 0x800000;
    want.text = "Mono";
    EXPECT_TRUE(sameHolder(h, want));
}

TEST(ObjectSchema, ATruncatedStreamChangesNothing)
{
    const std::string stream = *holderSchema().write(changedHolder(), "tptSvA");
    for (std::size_t cut = 0; cut < stream.size(); ++cut) {
        Holder h;
        h.width = 42;
        Holder before = h;
        EXPECT_FALSE(holderSchema().read(std::string_view(stream).substr(0, cut), h)) << cut;
        EXPECT_TRUE(sameHolder(h, before)) << cut;
    }
}

TEST(ObjectFile, FilesRoundTripAndBadFilesChangeNothing)
{
    mirovex::test::TestFolder folder;
    const QString path = folder.path(QStringLiteral("holder.obj"));
    Holder h = changedHolder();
    EXPECT_FALSE(mirovex::readObjectFile(path, holderSchema(), h)); // missing
    EXPECT_TRUE(sameHolder(h, changedHolder()));

    ASSERT_TRUE(mirovex::writeObjectFile(path, holderSchema(), changedHolder(), "tptSvA"));
    Holder back;
    ASSERT_TRUE(mirovex::readObjectFile(path, holderSchema(), back));
    EXPECT_TRUE(sameHolder(back, changedHolder()));

    // A cut file, garbage and an oversized file are not read; the file stays.
    const QByteArray whole = mirovex::test::TestFolder::readAll(path);
    for (const QByteArray& bad : {whole.left(whole.size() - 3), QByteArray("garbage"), QByteArray(int(kMaxStreamBytes) + 1, 'T')}) {
        mirovex::test::TestFolder::write(path, bad);
        Holder keep = changedHolder();
        keep.width = 5;
        EXPECT_FALSE(mirovex::readObjectFile(path, holderSchema(), keep));
        EXPECT_EQ(keep.width, 5);
        EXPECT_EQ(mirovex::test::TestFolder::readAll(path), bad);
    }

    // A folder that does not exist: the write fails, nothing is made.
    const QString nowhere = folder.path(QStringLiteral("missing/holder.obj"));
    EXPECT_FALSE(mirovex::writeObjectFile(nowhere, holderSchema(), changedHolder(), "tptSvA"));
    EXPECT_FALSE(QFile::exists(nowhere));
}

} // namespace
