// Any bytes as a settings file: parsing never fails, writing back an untouched
// document gives the same bytes, and a write changes exactly what it names.
#include "common/ini/inidoc.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using mirovex::ini::Document;

namespace {
void require(bool ok)
{
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first bytes choose a section, key and value to write; the rest is
    // the file.
    std::string_view all(reinterpret_cast<const char*>(data), size);
    auto take = [&all]() {
        const std::size_t n = all.empty() ? 0 : std::min<std::size_t>(std::uint8_t(all.front()) % 16, all.size() - 1);
        std::string_view part = all.substr(all.empty() ? 0 : 1, n);
        all.remove_prefix(all.empty() ? 0 : 1 + n);
        return std::string(part);
    };
    const std::string section = take();
    const std::string key = take();
    const std::string value = take();
    const std::string otherSection = take();
    const std::string otherKey = take();

    const Document doc = Document::parse(all);
    require(doc.serialize() == all);

    Document changed = doc;
    const auto before = doc.value(otherSection, otherKey);
    if (changed.set(section, key, value)) {
        const Document back = Document::parse(changed.serialize());
        const auto got = back.value(section, key);
        require(got && *got == value);
        const bool same = mirovex::ini::equalsNoCase(section, otherSection) && mirovex::ini::equalsNoCase(key, otherKey);
        if (!same) {
            const auto after = back.value(otherSection, otherKey);
            require(before.has_value() == after.has_value());
            require(!before || *before == *after);
        }
    } else {
        require(changed.serialize() == all);
    }
    return 0;
}
