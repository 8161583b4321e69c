// Object streams: the state of one object (a dialog, a control, a holder of
// settings) as a tagged binary stream, "TPF0", class name, object name, then
// typed properties, shared by both programs. Bytes only, no Qt, so that the
// fuzzer builds it alone; reading and writing files is
// common/settings/objectfile.h.
//
// Two layers:
//   - parse() and serialize() turn bytes into an Object of named Values and
//     back, for any well-formed stream;
//   - Schema<T> binds property names to the fields of a plain struct: it
//     writes the fields in their declared order, leaving out those at their
//     default, and reads a stream into the struct all or nothing.
//
// Reading is safe on any bytes: every length is checked against what is left,
// lists nest at most kMaxDepth deep, streams over kMaxStreamBytes or with more
// than kMaxValues values are refused, and a type that is not ours ends the
// parse. A stream that does not parse to its very end is refused whole.
//
// Text is UTF-8: string lengths count bytes, and a string longer than 255
// bytes is written as a long string rather than cut (so no character is ever
// split). A stored string that is not valid UTF-8 was written by a single-byte
// writer and is read as Latin-1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace mirovex::objstream {

inline constexpr std::size_t kMaxStreamBytes = 16u << 20;
inline constexpr int kMaxDepth = 16;
inline constexpr std::size_t kMaxValues = 1u << 18;

// The value-type byte of the format.
enum class Type : std::uint8_t {
    EndOfList = 0,
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    String = 6,
    Ident = 7,
    False = 8,
    True = 9,
    Binary = 10,
    Set = 11,
    LongString = 12,
};

// A named constant: a named colour, a character set, an enumeration.
struct Ident {
    std::string name;
    bool operator==(const Ident&) const = default;
};
// The element names of a set, in stored order (a font's style, say).
struct Set {
    std::vector<std::string> names;
    bool operator==(const Set&) const = default;
};
struct Binary {
    std::string bytes;
    bool operator==(const Binary&) const = default;
};

// One value. Integers of every width read as int32_t and are written in the
// smallest width that holds them; both string types read as std::string
// (UTF-8) and are written as the short type when they fit.
struct Value {
    using List = std::vector<Value>;
    std::variant<std::int32_t, bool, std::string, Ident, Set, Binary, List> v;

    Value() : v(std::int32_t(0)) {}
    template <class V>
        requires(!std::is_same_v<std::remove_cvref_t<V>, Value>)
    Value(V&& x) : v(std::forward<V>(x)) {}

    template <class V>
    const V* get() const { return std::get_if<V>(&v); }
    bool operator==(const Value&) const = default;
};

struct Property {
    std::string name; // a contained object's property as a dotted path, "Font.Name"
    Value value;
    bool operator==(const Property&) const = default;
};

struct Object {
    std::string className;
    std::string objectName;
    std::vector<Property> properties;
    bool operator==(const Object&) const = default;
};

// The whole stream, or nothing when any part of it is missing, damaged, too
// large or followed by more bytes.
std::optional<Object> parse(std::string_view bytes);

// Nothing when the object cannot be stored so that it reads back the same: an
// empty name or one over 255 bytes, an empty set element, lists nested deeper
// than kMaxDepth, or a stream that would be over the limits.
std::optional<std::string> serialize(const Object& object);

// Names of the format (class, property, identifier) compare without regard
// to ASCII case.
bool sameName(std::string_view a, std::string_view b);

// Colours are 0x00BBGGRR. Named colours, the basic sixteen and the system
// colours at fixed values, come from one table used both ways: a colour with
// a name is written as that identifier (the first name in the table when two
// share a value), any other as an integer.
Value colourToValue(std::uint32_t colour);
// Also takes a system colour stored as a number (0xFF0000nn). Nothing for
// other types, unknown names and numbers that are no colour.
std::optional<std::uint32_t> colourFromValue(const Value& value);

// Binds the properties of one class to the fields of a plain struct T.
// Each field's default is its value in the `defaults` object given first.
//
//     struct Dialog { std::uint32_t color = 0; std::vector<std::string> custom; };
//     const Schema<Dialog> schema = Schema<Dialog>("TColorDialog")
//         .colour("Color", &Dialog::color).strings("CustomColors", &Dialog::custom);
//
// A property name may be a dotted path ("Font.Name"): it simply names a field.
template <class T>
class Schema {
public:
    explicit Schema(std::string className, T defaults = T{})
        : className_(std::move(className)), defaults_(std::move(defaults)) {}

    Schema& integer(std::string name, std::int32_t T::*field)
    {
        return add(std::move(name), field, [](std::int32_t i) { return Value(i); }, readAs<std::int32_t>);
    }
    Schema& boolean(std::string name, bool T::*field)
    {
        return add(std::move(name), field, [](bool b) { return Value(b); }, readAs<bool>);
    }
    // Left out when empty, whatever its default, as the format wants: give a
    // string field an empty default, or it cannot be stored empty.
    Schema& string(std::string name, std::string T::*field)
    {
        return add(std::move(name), field, [](const std::string& s) { return Value(s); }, readAs<std::string>);
    }
    Schema& identifier(std::string name, std::string T::*field)
    {
        return add(std::move(name), field, [](const std::string& s) { return Value(Ident{s}); }, readIdent);
    }
    Schema& colour(std::string name, std::uint32_t T::*field)
    {
        return add(std::move(name), field, colourToValue, colourFromValue);
    }
    Schema& set(std::string name, std::vector<std::string> T::*field)
    {
        return add(std::move(name), field, [](const std::vector<std::string>& l) { return Value(Set{l}); }, readSet);
    }
    // A list of strings (a string list's lines, say); left out when empty.
    Schema& strings(std::string name, std::vector<std::string> T::*field)
    {
        return add(std::move(name), field, writeStrings, readStrings);
    }
    Schema& binary(std::string name, std::string T::*field)
    {
        return add(std::move(name), field, [](const std::string& s) { return Value(Binary{s}); }, readBinary);
    }

    const std::string& className() const { return className_; }
    const T& defaults() const { return defaults_; }

    // The stream of `object`; nothing when it cannot be stored (see serialize).
    std::optional<std::string> write(const T& object, std::string_view objectName) const
    {
        Object out{className_, std::string(objectName), {}};
        for (const Field& f : fields_)
            if (std::optional<Value> v = f.get(object))
                out.properties.push_back({f.name, std::move(*v)});
        return serialize(out);
    }

    // Reads `bytes` into `object`. A stream that does not parse whole, or is
    // of another class, leaves `object` untouched and gives false; the object
    // name is not checked. Otherwise every declared field is first reset to
    // its default (a stream leaves defaults out, so only this restores them),
    // then each entry is applied in stored order; unknown names and values of
    // the wrong type are passed over.
    bool read(std::string_view bytes, T& object) const
    {
        const std::optional<Object> in = parse(bytes);
        if (!in || !sameName(in->className, className_))
            return false;
        for (const Field& f : fields_)
            f.reset(object);
        for (const Property& p : in->properties)
            for (const Field& f : fields_)
                if (sameName(f.name, p.name)) {
                    f.apply(object, p.value);
                    break;
                }
        return true;
    }

private:
    struct Field {
        std::string name;
        std::function<std::optional<Value>(const T&)> get; // nothing: left out
        std::function<void(T&, const Value&)> apply;
        std::function<void(T&)> reset;
    };

    template <class M, class To, class From>
    Schema& add(std::string name, M T::*field, To to, From from)
    {
        const M def = defaults_.*field;
        Field f{std::move(name), nullptr, nullptr, nullptr};
        f.get = [field, def, to](const T& o) -> std::optional<Value> {
            const M& m = o.*field;
            if (m == def || isEmpty(m))
                return std::nullopt;
            return to(m);
        };
        f.apply = [field, from](T& o, const Value& v) {
            if (auto m = from(v))
                o.*field = std::move(*m);
        };
        f.reset = [field, def](T& o) { o.*field = def; };
        fields_.push_back(std::move(f));
        return *this;
    }

    template <class V>
    static std::optional<V> readAs(const Value& v)
    {
        if (const V* x = v.get<V>())
            return *x;
        return std::nullopt;
    }
    // An empty identifier names nothing, and could not be written back.
    static std::optional<std::string> readIdent(const Value& v)
    {
        if (const Ident* x = v.get<Ident>(); x && !x->name.empty())
            return x->name;
        return std::nullopt;
    }
    static std::optional<std::string> readBinary(const Value& v)
    {
        if (const Binary* x = v.get<Binary>())
            return x->bytes;
        return std::nullopt;
    }
    static std::optional<std::vector<std::string>> readSet(const Value& v)
    {
        if (const Set* x = v.get<Set>())
            return x->names;
        return std::nullopt;
    }
    static Value writeStrings(const std::vector<std::string>& l)
    {
        Value::List items(l.begin(), l.end());
        return Value(std::move(items));
    }
    // A list holding anything but strings is the wrong type as a whole.
    static std::optional<std::vector<std::string>> readStrings(const Value& v)
    {
        const Value::List* items = v.get<Value::List>();
        if (!items)
            return std::nullopt;
        std::vector<std::string> out;
        out.reserve(items->size());
        for (const Value& item : *items) {
            const std::string* s = item.get<std::string>();
            if (!s)
                return std::nullopt;
            out.push_back(*s);
        }
        return out;
    }

    static bool isEmpty(std::int32_t) { return false; }
    static bool isEmpty(std::uint32_t) { return false; }
    static bool isEmpty(bool) { return false; }
    static bool isEmpty(const std::string& s) { return s.empty(); }
    static bool isEmpty(const std::vector<std::string>& l) { return l.empty(); }

    std::string className_;
    T defaults_;
    std::vector<Field> fields_;
};

} // namespace mirovex::objstream
