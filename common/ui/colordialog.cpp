#include "common/ui/colordialog.h"

#include "common/settings/objectfile.h"
#include "common/settings/settingsfile.h"
#include "common/ui/dialogs.h"

#include <QColorDialog>

#include <charconv>
#include <cstdio>

namespace mirovex::ui {

namespace {
constexpr std::uint32_t kWhite = 0xFFFFFF;
}

const objstream::Schema<ColorDialogState>& colorDialogSchema()
{
    static const auto schema = objstream::Schema<ColorDialogState>("TColorDialog")
                                   .colour("Color", &ColorDialogState::color)
                                   .strings("CustomColors", &ColorDialogState::customColors);
    return schema;
}

std::vector<std::string> customColourStrings(const CustomColours& colours)
{
    bool anyColour = false;
    for (std::uint32_t c : colours)
        anyColour = anyColour || (c & 0xFFFFFF) != kWhite;
    std::vector<std::string> out;
    if (!anyColour)
        return out;
    for (int i = 0; i < kCustomColourCount; ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "Color%c=%06X", char('A' + i), unsigned(colours[std::size_t(i)] & 0xFFFFFF));
        out.emplace_back(line);
    }
    return out;
}

CustomColours customColoursFrom(const std::vector<std::string>& strings)
{
    CustomColours out;
    out.fill(kWhite);
    for (const std::string& s : strings) {
        // "ColorX=" and one to six hex digits, nothing else.
        if (s.size() < 8 || s.size() > 13 || !objstream::sameName(std::string_view(s).substr(0, 5), "Color") || s[6] != '=')
            continue;
        const char letter = char(s[5] & ~0x20);
        if (letter < 'A' || letter >= 'A' + kCustomColourCount)
            continue;
        std::uint32_t value = 0;
        const char* end = s.data() + s.size();
        const auto [ptr, ec] = std::from_chars(s.data() + 7, end, value, 16);
        if (ec == std::errc() && ptr == end)
            out[std::size_t(letter - 'A')] = value;
    }
    return out;
}

ColorDialog::ColorDialog(QString objectName) : objectName_(std::move(objectName)) {}

ColorDialogState ColorDialog::state() const
{
    CustomColours custom;
    for (int i = 0; i < kCustomColourCount; ++i)
        custom[std::size_t(i)] = colourValue(QColorDialog::customColor(i));
    return {color_, customColourStrings(custom)};
}

void ColorDialog::setState(const ColorDialogState& state)
{
    color_ = state.color & 0xFFFFFF;
    const CustomColours custom = customColoursFrom(state.customColors);
    for (int i = 0; i < kCustomColourCount; ++i)
        QColorDialog::setCustomColor(i, colourFromValue(custom[std::size_t(i)]));
}

bool ColorDialog::load(const QString& path)
{
    ColorDialogState s = state();
    if (!readObjectFile(path, colorDialogSchema(), s))
        return false;
    setState(s);
    return true;
}

bool ColorDialog::save(const QString& path) const
{
    return writeObjectFile(path, colorDialogSchema(), state(), objectName_.toStdString());
}

QColor ColorDialog::color() const { return colourFromValue(color_); }

void ColorDialog::setColor(const QColor& c) { color_ = colourValue(c); }

std::optional<QColor> ColorDialog::choose(QWidget* parent, const QString& title)
{
    QColorDialog dialog(color(), parent);
    // The desktop's own dialogs forget the sixteen custom colours.
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    if (runModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    setColor(dialog.currentColor());
    return color();
}

} // namespace mirovex::ui
