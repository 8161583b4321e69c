// The colour dialog both programs share, with its sixteen custom colours,
// and its state kept as an object stream (class "TColorDialog", properties
// `Color` and `CustomColors`) in the settings folder ("colorx.cld",
// "color.cld"), so that each program reads what the other wrote.
//
// `CustomColors` is a list of sixteen strings "ColorA=BBGGRR" … "ColorP=BBGGRR":
// the letter is the place in the dialog, the six hex digits the colour value
// (red in the low byte). A list that is absent or empty means no custom
// colours (all white); a missing or malformed entry leaves that place white.
#pragma once

#include "common/objstream/objstream.h"

#include <QColor>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace mirovex::ui {

struct ColorDialogState {
    std::uint32_t color = 0; // 0x00BBGGRR
    std::vector<std::string> customColors;
};

const objstream::Schema<ColorDialogState>& colorDialogSchema();

inline constexpr int kCustomColourCount = 16;
using CustomColours = std::array<std::uint32_t, kCustomColourCount>;
// All white, sixteen strings otherwise.
std::vector<std::string> customColourStrings(const CustomColours& colours);
CustomColours customColoursFrom(const std::vector<std::string>& strings);

// One shared colour dialog. The custom colours are the dialog's own, for the
// whole program; the object name tells the programs' files apart but is not
// checked on reading ("ColorDialog1" in the display program, "ColorDialog" in
// the annotation program).
class ColorDialog {
public:
    explicit ColorDialog(QString objectName);

    // Reads the state in `path`; a missing, damaged or foreign file keeps the
    // dialog as it is and gives false.
    bool load(const QString& path);
    // Writes the state atomically; false, with the old file kept, on failure.
    bool save(const QString& path) const;

    // The dialog, opened on its current colour, run through the modal helper;
    // the colour chosen, or nothing when cancelled.
    std::optional<QColor> choose(QWidget* parent = nullptr, const QString& title = {});

    QColor color() const;
    void setColor(const QColor& c);
    ColorDialogState state() const;
    void setState(const ColorDialogState& state);

private:
    QString objectName_;
    std::uint32_t color_ = 0;
};

} // namespace mirovex::ui
