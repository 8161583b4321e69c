// The settings-file text format, on bytes only (no Qt), so that the fuzzer can
// build it on its own.
//
// A line "[name]" opens a section, a line "key=value" holds a value, anything
// else (comments, blank lines, garbage) is kept but means nothing. Names are
// compared without regard to ASCII case. Lookups see the first occurrence of a
// key in any section of that name; writes change that occurrence in place and
// keep every other byte of the file as it was.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirovex::ini {

bool equalsNoCase(std::string_view a, std::string_view b);

// Whole-value decimal integer: optional blanks, optional sign, digits, optional
// blanks; anything else, or a value outside int's range, is no integer.
std::optional<int> parseInt(std::string_view text);

// True when `value` reads back unchanged after being written: no line breaks
// or NUL, and no blanks at either end (the reader trims those).
bool storableValue(std::string_view value);
bool storableName(std::string_view name, bool isSection);

class Document {
public:
    static Document parse(std::string_view bytes);

    std::optional<std::string_view> value(std::string_view section, std::string_view key) const;

    // False, leaving the document as it was, when a name or the value cannot be
    // stored as one line that reads back the same.
    bool set(std::string_view section, std::string_view key, std::string_view value);

    std::string serialize() const;

private:
    enum class Kind { Other, Section, Entry };
    struct Line {
        std::string raw;          // as on disk, line terminator included
        Kind kind = Kind::Other;
        std::size_t nameBegin = 0, nameEnd = 0;    // section name or key
        std::size_t valueBegin = 0, valueEnd = 0;  // entries only
        std::string_view name() const { return std::string_view(raw).substr(nameBegin, nameEnd - nameBegin); }
    };
    static Line classify(std::string raw);
    std::optional<std::size_t> findEntry(std::string_view section, std::string_view key) const;
    std::string newline() const;
    void terminateLastLine();

    std::string bom_;
    std::vector<Line> lines_;
};

} // namespace mirovex::ini
