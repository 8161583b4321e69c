// The nine tool settings holders: each drawing tool's colour, width and fill
// style, one object-stream file each ("SviA.obj" ... "Pus.obj"). They are
// read only when all nine files exist and read cleanly; otherwise every tool
// starts with its built-in values, so the tools never disagree about where
// their values came from.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mirovex::notel {

struct HolderValues {
    int width = 1;            // "Debelina", 1 ... 50
    std::uint32_t colour = 0; // "Barva", 0x00BBGGRR
    std::optional<char> fill; // "CodeA", '0' ... '7'; none chosen yet
    bool operator==(const HolderValues&) const = default;
};

struct HolderInfo {
    const char* name; // the holder's object name
    const char* file;
    HolderValues builtIn;
};

inline constexpr int kHolderCount = 9;
// Pen, Freehand Arrow, Spray, Marker, Rectangle, Flood Fill, Line, Ellipse,
// Arrow.
const std::array<HolderInfo, kHolderCount>& holderTable();
using Holders = std::array<HolderValues, kHolderCount>;
Holders builtInHolders();

// Holder files larger than this are not ours and are not read.
inline constexpr qint64 kHolderFileCap = 1 << 20;

// One holder's stream, and back: nothing for a stream that does not parse
// whole or is not a holder. Values out of range read as the built-in ones.
std::optional<std::string> holderBytes(const HolderInfo& info, const HolderValues& values);
std::optional<HolderValues> parseHolder(std::string_view bytes, const HolderValues& builtIn);

// All nine from `folder` (ending in '/'), or the built-in values for all.
Holders loadHolders(const QString& folder);
// Writes all nine files; false when any could not be written.
bool saveHolders(const QString& folder, const Holders& holders);

} // namespace mirovex::notel
