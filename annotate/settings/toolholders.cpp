#include "annotate/settings/toolholders.h"

#include "common/objstream/objstream.h"
#include "common/settings/objectfile.h"

#include <QFileInfo>

namespace mirovex::notel {

namespace {
constexpr const char* kClass = "tTpt";
constexpr int kMaxWidth = 50;

const objstream::Value* find(const objstream::Object& o, std::string_view name)
{
    for (const objstream::Property& p : o.properties)
        if (objstream::sameName(p.name, name))
            return &p.value;
    return nullptr;
}
} // namespace

const std::array<HolderInfo, kHolderCount>& holderTable()
{
    static const std::array<HolderInfo, kHolderCount> table{{
        {"tptSvA", "SviA.obj", {12, 16752448, {}}},
        {"tptSvB", "SviB.obj", {8, 2834931, {}}},
        {"tptSvC", "SviC.obj", {18, 6272374, {}}},
        {"tptMarker", "Mar.obj", {8, 8454143, {}}},
        {"TptKvadrat", "Kva.obj", {12, 1360383, {}}},
        {"tptKanta", "Kan.obj", {12, 1360383, {}}},
        {"tptCrta", "Crt.obj", {8, 14737632, {}}},
        {"tptKrog", "Kro.obj", {12, 66047, {}}},
        {"TPTPuscica", "Pus.obj", {8, 66047, {}}},
    }};
    return table;
}

Holders builtInHolders()
{
    Holders out;
    for (int i = 0; i < kHolderCount; ++i)
        out[std::size_t(i)] = holderTable()[std::size_t(i)].builtIn;
    return out;
}

std::optional<std::string> holderBytes(const HolderInfo& info, const HolderValues& v)
{
    objstream::Object o{kClass, info.name, {}};
    // The visual properties a hidden holder differs in: its width follows
    // the tool's width, its background the tool's colour.
    o.properties.push_back({"Width", objstream::Value(std::int32_t(v.width))});
    o.properties.push_back({"Color", objstream::colourToValue(v.colour)});
    o.properties.push_back({"Visible", objstream::Value(false)});
    o.properties.push_back({"KodaI", objstream::Value(std::int32_t(0))});
    if (v.fill)
        o.properties.push_back({"CodeA", objstream::Value(std::string(1, *v.fill))});
    o.properties.push_back({"Barva", objstream::Value(std::int32_t(v.colour))});
    o.properties.push_back({"Debelina", objstream::Value(std::int32_t(v.width))});
    o.properties.push_back({"Raster", objstream::Value(std::int32_t(0))});
    return objstream::serialize(o);
}

std::optional<HolderValues> parseHolder(std::string_view bytes, const HolderValues& builtIn)
{
    const std::optional<objstream::Object> o = objstream::parse(bytes);
    if (!o || !objstream::sameName(o->className, kClass))
        return std::nullopt;
    HolderValues v = builtIn;
    v.fill.reset();
    if (const objstream::Value* barva = find(*o, "Barva")) {
        if (const std::int32_t* c = barva->get<std::int32_t>(); c && *c >= 0 && *c <= 0xFFFFFF)
            v.colour = std::uint32_t(*c);
    }
    if (const objstream::Value* debelina = find(*o, "Debelina")) {
        if (const std::int32_t* w = debelina->get<std::int32_t>(); w && *w >= 1 && *w <= kMaxWidth)
            v.width = *w;
    }
    if (const objstream::Value* code = find(*o, "CodeA")) {
        if (const std::string* s = code->get<std::string>(); s && s->size() == 1 && (*s)[0] >= '0' && (*s)[0] <= '7')
            v.fill = (*s)[0];
    }
    return v;
}

Holders loadHolders(const QString& folder)
{
    Holders out;
    for (int i = 0; i < kHolderCount; ++i) {
        const HolderInfo& info = holderTable()[std::size_t(i)];
        const QString path = folder + QString::fromLatin1(info.file);
        if (QFileInfo(path).size() > kHolderFileCap)
            return builtInHolders();
        const std::optional<std::string> bytes = readStreamFile(path);
        const std::optional<HolderValues> v = bytes ? parseHolder(*bytes, info.builtIn) : std::nullopt;
        if (!v)
            return builtInHolders();
        out[std::size_t(i)] = *v;
    }
    return out;
}

bool saveHolders(const QString& folder, const Holders& holders)
{
    bool ok = true;
    for (int i = 0; i < kHolderCount; ++i) {
        const HolderInfo& info = holderTable()[std::size_t(i)];
        const std::optional<std::string> bytes = holderBytes(info, holders[std::size_t(i)]);
        if (!bytes || !writeStreamFile(folder + QString::fromLatin1(info.file), *bytes))
            ok = false;
    }
    return ok;
}

} // namespace mirovex::notel
