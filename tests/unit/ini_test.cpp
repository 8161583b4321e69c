#include "common/ini/inidoc.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using mirovex::ini::Document;
using mirovex::ini::parseInt;

namespace {

struct IntCase {
    const char* text;
    std::optional<int> want;
};

TEST(IniParseInt, WholeDecimalValuesOnly)
{
    const IntCase cases[] = {
        {"0", 0},           {"42", 42},         {"-7", -7},       {"+5", 5},
        {"  12\t", 12},     {"007", 7},         {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},               {"2147483648", std::nullopt},
        {"", std::nullopt}, {"   ", std::nullopt}, {"12abc", std::nullopt},
        {"0x10", std::nullopt}, {"1.5", std::nullopt}, {"+-1", std::nullopt},
        {"++1", std::nullopt}, {"- 1", std::nullopt}, {"1 2", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseInt(c.text), c.want) << "\"" << c.text << "\"";
}

struct LookupCase {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    std::optional<std::string> want;
};

TEST(IniDocument, Lookups)
{
    const LookupCase cases[] = {
        {"plain", "[Options]\nsamozagon=1\n", "Options", "samozagon", "1"},
        {"case of key", "[Options]\nmainFormY=12\n", "Options", "MainFormy", "12"},
        {"case of section", "[OPTIONS]\nx=1\n", "options", "X", "1"},
        {"blanks around", "  [ Options ]  \n  x  =  a b  \n", "Options", "x", "a b"},
        {"crlf", "[Options]\r\nx=5\r\n", "Options", "x", "5"},
        {"cr cr lf", "[Options]\r\r\nx=5\r\r\n", "Options", "x", "5"},
        {"no final newline", "[Options]\nx=5", "Options", "x", "5"},
        {"bom", "\xEF\xBB\xBF[Options]\nx=5\n", "Options", "x", "5"},
        {"first duplicate wins", "[Options]\nx=1\nx=2\n", "Options", "x", "1"},
        {"across repeated sections", "[A]\n[Options]\ny=1\n[B]\nx=9\n[options]\nx=3\n", "Options", "x", "3"},
        {"other section", "[Other]\nx=1\n", "Options", "x", std::nullopt},
        {"before any section", "x=1\n[Options]\n", "Options", "x", std::nullopt},
        {"comment", "[Options]\n;x=1\n", "Options", "x", std::nullopt},
        {"empty value", "[Options]\nx=\n", "Options", "x", ""},
        {"value holds =", "[Options]\nx=a=b\n", "Options", "x", "a=b"},
        {"garbage lines skipped", "[Options]\n\x01\x02junk\n[broken\nx=4\n", "Options", "x", "4"},
        {"nul in file", std::string("[Options]\n\0\0\nx=4\n", 16), "Options", "x", "4"},
        {"key with space", "[Options]\nDisplay Options=1\n", "Options", "display options", "1"},
    };
    for (const auto& c : cases) {
        const Document doc = Document::parse(c.file);
        const auto got = doc.value(c.section, c.key);
        if (c.want) {
            ASSERT_TRUE(got.has_value()) << c.name;
            EXPECT_EQ(std::string(*got), *c.want) << c.name;
        } else {
            EXPECT_FALSE(got.has_value()) << c.name;
        }
        // Whatever the bytes, an untouched document writes them back as they were.
        EXPECT_EQ(doc.serialize(), c.file) << c.name;
    }
}

struct SetCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

TEST(IniDocument, WritesTouchOnlyTheirLine)
{
    const SetCase cases[] = {
        {"empty file", "", "Options", "x", "1", "[Options]\nx=1\n"},
        {"replace in place keeps spelling and spacing", "; mine\n[options]\n  MainFormy = 3  \ny=2\n",
         "Options", "mainFormY", "40", "; mine\n[options]\n  MainFormy = 40  \ny=2\n"},
        {"append after the last entry of the section", "[Options]\na=1\n\n; next\n[Other]\nb=2\n",
         "Options", "c", "3", "[Options]\na=1\nc=3\n\n; next\n[Other]\nb=2\n"},
        {"new section at the end, final newline added", "[Other]\nb=2", "Options", "c", "3",
         "[Other]\nb=2\n[Options]\nc=3\n"},
        {"crlf file stays crlf", "[Options]\r\na=1\r\n", "Options", "b", "2", "[Options]\r\na=1\r\nb=2\r\n"},
        {"bom kept", "\xEF\xBB\xBF[Options]\na=1\n", "Options", "a", "2", "\xEF\xBB\xBF[Options]\na=2\n"},
        {"first duplicate changed only", "[Options]\nx=1\nx=2\n", "Options", "x", "5", "[Options]\nx=5\nx=2\n"},
        {"empty value filled", "[Options]\nx=\n", "Options", "x", "5", "[Options]\nx=5\n"},
        {"garbage kept", "\x01\x02\n[Options]\nzz\n", "Options", "x", "5", "\x01\x02\n[Options]\nx=5\nzz\n"},
    };
    for (const auto& c : cases) {
        Document doc = Document::parse(c.before);
        ASSERT_TRUE(doc.set(c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(doc.serialize(), c.after) << c.name;
        const Document reread = Document::parse(doc.serialize());
        const auto back = reread.value(c.section, c.key);
        ASSERT_TRUE(back.has_value()) << c.name;
        EXPECT_EQ(*back, c.value) << c.name;
    }
}

TEST(IniDocument, RefusesWhatWouldNotReadBack)
{
    const std::string before = "[Options]\nx=1\n";
    const struct {
        const char *section, *key;
        std::string value;
    } refused[] = {
        {"Options", "x", "1\n[Options]\nsamozagon=0"}, // a value must not inject lines
        {"Options", "x", "a\rb"},
        {"Options", "x", std::string("a\0b", 3)},
        {"Options", "x", " padded"},
        {"Options", "x", "padded "},
        {"Options", "a=b", "1"},
        {"Options", "[x", "1"},
        {"Options", ";x", "1"},
        {"Options", "", "1"},
        {"Opt]ions", "x", "1"},
        {"Options\n", "x", "1"},
        {"", "x", "1"},
    };
    for (const auto& r : refused) {
        Document doc = Document::parse(before);
        EXPECT_FALSE(doc.set(r.section, r.key, r.value)) << r.section << "/" << r.key;
        EXPECT_EQ(doc.serialize(), before);
    }
}

} // namespace
