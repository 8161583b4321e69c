#include "common/objstream/objstream.h"

#include "common/ini/inidoc.h"

#include <array>
#include <cstring>
#include <limits>

namespace mirovex::objstream {
namespace {

constexpr std::string_view kSignature = "TPF0";

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool validUtf8(std::string_view s)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i < len)
            return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += len;
    }
    return true;
}

std::string latin1ToUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size() * 2);
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string textFromStream(std::string_view raw)
{
    return validUtf8(raw) ? std::string(raw) : latin1ToUtf8(raw);
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : data_(bytes) {}

    bool atEnd() const { return pos_ == data_.size(); }
    std::size_t left() const { return data_.size() - pos_; }

    std::optional<std::uint8_t> byte()
    {
        if (left() < 1)
            return std::nullopt;
        return static_cast<std::uint8_t>(data_[pos_++]);
    }
    // Little-endian, `n` bytes, sign-extended.
    std::optional<std::int32_t> integer(int n)
    {
        if (left() < std::size_t(n))
            return std::nullopt;
        std::uint32_t u = 0;
        for (int k = 0; k < n; ++k)
            u |= std::uint32_t(static_cast<std::uint8_t>(data_[pos_ + k])) << (8 * k);
        pos_ += std::size_t(n);
        if (n < 4 && (u & (1u << (8 * n - 1))))
            u |= ~0u << (8 * n);
        return static_cast<std::int32_t>(u);
    }
    std::optional<std::string_view> bytes(std::size_t n)
    {
        if (left() < n)
            return std::nullopt;
        std::string_view s = data_.substr(pos_, n);
        pos_ += n;
        return s;
    }
    std::optional<std::string_view> shortText()
    {
        auto n = byte();
        if (!n)
            return std::nullopt;
        return bytes(*n);
    }
    std::optional<std::string_view> longText()
    {
        auto n = integer(4);
        if (!n)
            return std::nullopt;
        // A length past the end is refused before anything is allocated.
        return bytes(std::size_t(std::uint32_t(*n)));
    }

    // Counts values against kMaxValues, so that a file of one-byte values
    // cannot make the parse cost many times its size.
    bool count() { return ++values_ <= kMaxValues; }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
    std::size_t values_ = 0;
};

std::optional<Value> readValue(Reader& in, Type type, int depth);

std::optional<Value> readTyped(Reader& in, int depth)
{
    auto t = in.byte();
    if (!t)
        return std::nullopt;
    return readValue(in, static_cast<Type>(*t), depth);
}

std::optional<Value> readValue(Reader& in, Type type, int depth)
{
    if (!in.count())
        return std::nullopt;
    switch (type) {
    case Type::Int8:
    case Type::Int16:
    case Type::Int32: {
        const int width = type == Type::Int8 ? 1 : type == Type::Int16 ? 2 : 4;
        auto i = in.integer(width);
        if (!i)
            return std::nullopt;
        return Value(*i);
    }
    case Type::String:
    case Type::LongString: {
        auto s = type == Type::String ? in.shortText() : in.longText();
        if (!s)
            return std::nullopt;
        return Value(textFromStream(*s));
    }
    case Type::Ident: {
        auto s = in.shortText();
        if (!s)
            return std::nullopt;
        return Value(Ident{std::string(*s)});
    }
    case Type::False:
        return Value(false);
    case Type::True:
        return Value(true);
    case Type::Binary: {
        auto s = in.longText();
        if (!s)
            return std::nullopt;
        return Value(Binary{std::string(*s)});
    }
    case Type::Set: {
        Set set;
        for (;;) {
            auto s = in.shortText();
            if (!s)
                return std::nullopt;
            if (s->empty())
                return Value(std::move(set));
            if (!in.count())
                return std::nullopt;
            set.names.emplace_back(*s);
        }
    }
    case Type::List: {
        if (depth >= kMaxDepth)
            return std::nullopt;
        Value::List items;
        for (;;) {
            auto t = in.byte();
            if (!t)
                return std::nullopt;
            if (static_cast<Type>(*t) == Type::EndOfList)
                return Value(std::move(items));
            auto item = readValue(in, static_cast<Type>(*t), depth + 1);
            if (!item)
                return std::nullopt;
            items.push_back(std::move(*item));
        }
    }
    case Type::EndOfList:
    default:
        // An end of list out of place, and the types we never write (a
        // floating-point value, and whatever other writers added past 12).
        return std::nullopt;
    }
}

// --- writing

class Writer {
public:
    void byte(std::uint8_t b) { out_.push_back(char(b)); }
    void integer(std::int32_t v, int n)
    {
        const auto u = static_cast<std::uint32_t>(v);
        for (int k = 0; k < n; ++k)
            byte(std::uint8_t(u >> (8 * k)));
    }
    bool shortText(std::string_view s)
    {
        if (s.size() > 255)
            return false;
        byte(std::uint8_t(s.size()));
        out_.append(s);
        return true;
    }
    bool longText(std::string_view s)
    {
        if (s.size() > std::numeric_limits<std::uint32_t>::max())
            return false;
        integer(static_cast<std::int32_t>(static_cast<std::uint32_t>(s.size())), 4);
        out_.append(s);
        return true;
    }
    std::string& result() { return out_; }
    // The reader's own count, so that what we write always reads back.
    bool count() { return ++values_ <= kMaxValues; }

private:
    std::string out_;
    std::size_t values_ = 0;
};

bool writeValue(Writer& out, const Value& value, int depth);

struct ValueWriter {
    Writer& out;
    int depth;

    bool operator()(std::int32_t i) const
    {
        if (i >= -128 && i <= 127) {
            out.byte(std::uint8_t(Type::Int8));
            out.integer(i, 1);
        } else if (i >= -32768 && i <= 32767) {
            out.byte(std::uint8_t(Type::Int16));
            out.integer(i, 2);
        } else {
            out.byte(std::uint8_t(Type::Int32));
            out.integer(i, 4);
        }
        return true;
    }
    bool operator()(bool b) const
    {
        out.byte(std::uint8_t(b ? Type::True : Type::False));
        return true;
    }
    bool operator()(const std::string& s) const
    {
        // Chosen by bytes, not characters: a character-counted length would
        // overflow the length byte with multi-byte text.
        if (s.size() <= 255) {
            out.byte(std::uint8_t(Type::String));
            return out.shortText(s);
        }
        out.byte(std::uint8_t(Type::LongString));
        return out.longText(s);
    }
    bool operator()(const Ident& id) const
    {
        out.byte(std::uint8_t(Type::Ident));
        return out.shortText(id.name);
    }
    bool operator()(const Set& set) const
    {
        out.byte(std::uint8_t(Type::Set));
        for (const std::string& name : set.names)
            if (name.empty() || !out.count() || !out.shortText(name))
                return false;
        out.byte(0);
        return true;
    }
    bool operator()(const Binary& b) const
    {
        out.byte(std::uint8_t(Type::Binary));
        return out.longText(b.bytes);
    }
    bool operator()(const Value::List& items) const
    {
        if (depth >= kMaxDepth)
            return false;
        out.byte(std::uint8_t(Type::List));
        for (const Value& item : items)
            if (!writeValue(out, item, depth + 1))
                return false;
        out.byte(std::uint8_t(Type::EndOfList));
        return true;
    }
};

bool writeValue(Writer& out, const Value& value, int depth)
{
    if (!out.count())
        return false;
    return std::visit(ValueWriter{out, depth}, value.v);
}

struct NamedColour {
    std::string_view name;
    std::uint32_t value;
    int systemIndex; // the number a system colour is stored as, else -1
};

// Written by the first name that has the value, so the basic colours come
// first, and among the system colours the button face before the menu.
constexpr std::array kColours{
    NamedColour{"clBlack", 0x000000, -1},
    NamedColour{"clMaroon", 0x000080, -1},
    NamedColour{"clGreen", 0x008000, -1},
    NamedColour{"clOlive", 0x008080, -1},
    NamedColour{"clNavy", 0x800000, -1},
    NamedColour{"clPurple", 0x800080, -1},
    NamedColour{"clTeal", 0x808000, -1},
    NamedColour{"clGray", 0x808080, -1},
    NamedColour{"clSilver", 0xC0C0C0, -1},
    NamedColour{"clRed", 0x0000FF, -1},
    NamedColour{"clLime", 0x00FF00, -1},
    NamedColour{"clYellow", 0x00FFFF, -1},
    NamedColour{"clBlue", 0xFF0000, -1},
    NamedColour{"clFuchsia", 0xFF00FF, -1},
    NamedColour{"clAqua", 0xFFFF00, -1},
    NamedColour{"clWhite", 0xFFFFFF, -1},
    NamedColour{"clLtGray", 0xC0C0C0, -1},
    NamedColour{"clDkGray", 0x808080, -1},
    NamedColour{"clMoneyGreen", 0xC0DCC0, -1},
    NamedColour{"clSkyBlue", 0xF0CAA6, -1},
    NamedColour{"clCream", 0xF0FBFF, -1},
    NamedColour{"clMedGray", 0xA4A0A0, -1},
    NamedColour{"clBtnFace", 0xF0F0F0, 15},
    NamedColour{"clScrollBar", 0xC8C8C8, 0},
    NamedColour{"clBackground", 0x000000, 1},
    NamedColour{"clActiveCaption", 0xD1B499, 2},
    NamedColour{"clInactiveCaption", 0xDBCDBF, 3},
    NamedColour{"clMenu", 0xF0F0F0, 4},
    NamedColour{"clWindow", 0xFFFFFF, 5},
    NamedColour{"clWindowFrame", 0x646464, 6},
    NamedColour{"clMenuText", 0x000000, 7},
    NamedColour{"clWindowText", 0x000000, 8},
    NamedColour{"clCaptionText", 0x000000, 9},
    NamedColour{"clActiveBorder", 0xB4B4B4, 10},
    NamedColour{"clInactiveBorder", 0xFCF7F4, 11},
    NamedColour{"clAppWorkSpace", 0xABABAB, 12},
    NamedColour{"clHighlight", 0xD77800, 13},
    NamedColour{"clHighlightText", 0xFFFFFF, 14},
    NamedColour{"clBtnShadow", 0xA0A0A0, 16},
    NamedColour{"clGrayText", 0x6D6D6D, 17},
    NamedColour{"clBtnText", 0x000000, 18},
    NamedColour{"clInactiveCaptionText", 0x000000, 19},
    NamedColour{"clBtnHighlight", 0xFFFFFF, 20},
    NamedColour{"cl3DDkShadow", 0x696969, 21},
    NamedColour{"cl3DLight", 0xE3E3E3, 22},
    NamedColour{"clInfoText", 0x000000, 23},
    NamedColour{"clInfoBk", 0xE1FFFF, 24},
    NamedColour{"clHotLight", 0xCC6600, 26},
    NamedColour{"clGradientActiveCaption", 0xEAD1B9, 27},
    NamedColour{"clGradientInactiveCaption", 0xF2E4D7, 28},
    NamedColour{"clMenuHighlight", 0xFF9933, 29},
    NamedColour{"clMenuBar", 0xF0F0F0, 30},
};

constexpr std::uint32_t kSystemColourTag = 0xFF000000u;

} // namespace

// Names compare as the INI files' keys do: ASCII letters without case.
bool sameName(std::string_view a, std::string_view b) { return ini::equalsNoCase(a, b); }

std::optional<Object> parse(std::string_view bytes)
{
    if (bytes.size() > kMaxStreamBytes)
        return std::nullopt;
    Reader in(bytes);
    auto signature = in.bytes(kSignature.size());
    if (!signature || *signature != kSignature)
        return std::nullopt;
    auto className = in.shortText();
    if (!className)
        return std::nullopt;
    auto objectName = in.shortText();
    if (!objectName)
        return std::nullopt;
    Object object{std::string(*className), std::string(*objectName), {}};
    for (;;) {
        auto name = in.shortText();
        if (!name)
            return std::nullopt;
        if (name->empty())
            break; // end of properties
        auto value = readTyped(in, 0);
        if (!value)
            return std::nullopt;
        object.properties.push_back({std::string(*name), std::move(*value)});
    }
    // These files never hold child objects: anything but their end is damage,
    // and so is anything after it.
    auto children = in.byte();
    if (!children || *children != 0 || !in.atEnd())
        return std::nullopt;
    return object;
}

std::optional<std::string> serialize(const Object& object)
{
    Writer out;
    for (char c : kSignature)
        out.byte(std::uint8_t(c));
    if (!out.shortText(object.className) || !out.shortText(object.objectName))
        return std::nullopt;
    for (const Property& p : object.properties)
        if (p.name.empty() || !out.shortText(p.name) || !writeValue(out, p.value, 0))
            return std::nullopt;
    out.byte(0);
    out.byte(0);
    if (out.result().size() > kMaxStreamBytes)
        return std::nullopt;
    return std::move(out.result());
}

Value colourToValue(std::uint32_t colour)
{
    colour &= 0xFFFFFF;
    for (const NamedColour& c : kColours)
        if (c.value == colour)
            return Value(Ident{std::string(c.name)});
    return Value(static_cast<std::int32_t>(colour));
}

std::optional<std::uint32_t> colourFromValue(const Value& value)
{
    if (const Ident* id = value.get<Ident>()) {
        for (const NamedColour& c : kColours)
            if (sameName(c.name, id->name))
                return c.value;
        return std::nullopt;
    }
    if (const std::int32_t* i = value.get<std::int32_t>()) {
        const auto u = static_cast<std::uint32_t>(*i);
        if (u <= 0xFFFFFF)
            return u;
        if ((u & 0xFFFFFF00u) == kSystemColourTag)
            for (const NamedColour& c : kColours)
                if (c.systemIndex == int(u & 0xFF))
                    return c.value;
    }
    return std::nullopt;
}

} // namespace mirovex::objstream
