#include "common/ini/inidoc.h"

#include <charconv>
#include <limits>

namespace mirovex::ini {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A stray CR (a lone one at the end of the file, or CR CR LF) is not part of a
// name or value.
bool isTrimmed(char c) { return isBlank(c) || c == '\r'; }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Content ends before "\n" or "\r\n".
std::size_t contentEnd(const std::string& raw)
{
    std::size_t end = raw.size();
    if (end > 0 && raw[end - 1] == '\n') {
        --end;
        if (end > 0 && raw[end - 1] == '\r')
            --end;
    }
    return end;
}

void trim(const std::string& s, std::size_t& begin, std::size_t& end)
{
    while (begin < end && isTrimmed(s[begin]))
        ++begin;
    while (end > begin && isTrimmed(s[end - 1]))
        --end;
}

bool hasLineBreakOrNul(std::string_view s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

std::optional<int> parseInt(std::string_view text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    text = text.substr(b, e - b);
    // from_chars takes '-' but not '+'; one sign at most.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-'))
            return std::nullopt;
    }
    if (text.empty())
        return std::nullopt;
    int result = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), result, 10);
    if (ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    return result;
}

bool storableValue(std::string_view value)
{
    if (hasLineBreakOrNul(value))
        return false;
    return value.empty() || (!isBlank(value.front()) && !isBlank(value.back()));
}

bool storableName(std::string_view name, bool isSection)
{
    if (name.empty() || hasLineBreakOrNul(name) || isBlank(name.front()) || isBlank(name.back()))
        return false;
    if (isSection)
        return name.find(']') == std::string_view::npos;
    return name.find('=') == std::string_view::npos && name.front() != '[' && name.front() != ';';
}

Document::Line Document::classify(std::string raw)
{
    Line line;
    line.raw = std::move(raw);
    std::size_t begin = 0, end = contentEnd(line.raw);
    trim(line.raw, begin, end);
    if (begin == end || line.raw[begin] == ';')
        return line;
    if (line.raw[begin] == '[') {
        std::size_t close = line.raw.find(']', begin + 1);
        if (close == std::string::npos || close >= end)
            return line;
        std::size_t nb = begin + 1, ne = close;
        trim(line.raw, nb, ne);
        if (nb == ne)
            return line;
        line.kind = Kind::Section;
        line.nameBegin = nb;
        line.nameEnd = ne;
        return line;
    }
    std::size_t eq = line.raw.find('=', begin);
    if (eq == std::string::npos || eq >= end)
        return line;
    std::size_t kb = begin, ke = eq;
    trim(line.raw, kb, ke);
    if (kb == ke)
        return line;
    std::size_t vb = eq + 1, ve = end;
    trim(line.raw, vb, ve);
    line.kind = Kind::Entry;
    line.nameBegin = kb;
    line.nameEnd = ke;
    line.valueBegin = vb;
    line.valueEnd = ve;
    return line;
}

Document Document::parse(std::string_view bytes)
{
    Document doc;
    if (bytes.substr(0, kBom.size()) == kBom) {
        doc.bom_ = kBom;
        bytes.remove_prefix(kBom.size());
    }
    while (!bytes.empty()) {
        std::size_t nl = bytes.find('\n');
        std::size_t len = nl == std::string_view::npos ? bytes.size() : nl + 1;
        doc.lines_.push_back(classify(std::string(bytes.substr(0, len))));
        bytes.remove_prefix(len);
    }
    return doc;
}

std::optional<std::size_t> Document::findEntry(std::string_view section, std::string_view key) const
{
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section)
            inSection = equalsNoCase(line.name(), section);
        else if (inSection && line.kind == Kind::Entry && equalsNoCase(line.name(), key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string_view> Document::value(std::string_view section, std::string_view key) const
{
    auto i = findEntry(section, key);
    if (!i)
        return std::nullopt;
    const Line& line = lines_[*i];
    return std::string_view(line.raw).substr(line.valueBegin, line.valueEnd - line.valueBegin);
}

std::string Document::newline() const
{
    for (const Line& line : lines_) {
        if (!line.raw.empty() && line.raw.back() == '\n')
            return line.raw.size() >= 2 && line.raw[line.raw.size() - 2] == '\r' ? "\r\n" : "\n";
    }
    return "\n";
}

void Document::terminateLastLine()
{
    if (!lines_.empty() && lines_.back().raw.back() != '\n') {
        lines_.back().raw += newline();
        lines_.back() = classify(std::move(lines_.back().raw));
    }
}

bool Document::set(std::string_view section, std::string_view key, std::string_view value)
{
    if (!storableName(section, true) || !storableName(key, false) || !storableValue(value))
        return false;

    if (auto i = findEntry(section, key)) {
        Line& line = lines_[*i];
        std::string raw = line.raw.substr(0, line.valueBegin);
        raw += value;
        raw += line.raw.substr(line.valueEnd);
        line = classify(std::move(raw));
        return true;
    }

    const std::string eol = newline();
    std::string entry = std::string(key) + "=" + std::string(value) + eol;

    // Into the first section of that name, after its last meaningful line, so
    // that blank lines and comments that separate it from the next one stay put.
    std::optional<std::size_t> insertAfter;
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            if (insertAfter)
                break;
            inSection = equalsNoCase(line.name(), section);
            if (inSection)
                insertAfter = i;
        } else if (inSection && line.kind == Kind::Entry) {
            insertAfter = i;
        }
    }
    if (insertAfter) {
        if (*insertAfter + 1 == lines_.size())
            terminateLastLine();
        lines_.insert(lines_.begin() + std::ptrdiff_t(*insertAfter + 1), classify(std::move(entry)));
        return true;
    }

    terminateLastLine();
    lines_.push_back(classify("[" + std::string(section) + "]" + eol));
    lines_.push_back(classify(std::move(entry)));
    return true;
}

std::string Document::serialize() const
{
    std::string out = bom_;
    for (const Line& line : lines_)
        out += line.raw;
    return out;
}

} // namespace mirovex::ini
