// The settings window's controls that keep their state as object streams
// rather than in "NotelB.cfg": the icon colour panel ("txt201.obj"), the
// theme indicator ("ind101.obj") and the "Icon with Tool Color" box
// ("cbbar.obj"). Each file is read whole or not at all; a missing, damaged
// or foreign file leaves that control as it was.
#pragma once

#include "annotate/settings/notelsettings.h"
#include "common/objstream/objstream.h"

#include <QString>

#include <cstdint>

namespace mirovex::notel {

struct IconPanel {
    std::uint32_t color = kLightIcon; // 0x00BBGGRR
};
struct ThemeIndicator {
    std::int32_t tag = Light;           // the ticked `Theme`
    std::uint32_t color = kLightPanel; // the toolbar colour it shows
};
struct IconToolColourBox {
    bool checked = false;
};

const objstream::Schema<IconPanel>& iconPanelSchema();
const objstream::Schema<ThemeIndicator>& themeIndicatorSchema();
const objstream::Schema<IconToolColourBox>& iconToolColourSchema();

struct WindowObjects {
    IconPanel iconPanel;
    ThemeIndicator theme;
    IconToolColourBox iconToolColour;
};

// From `folder` (ending in '/'): each file read on its own into `objects`,
// which keeps what it held for a file that does not read.
void loadWindowObjects(const QString& folder, WindowObjects& objects);
// All three files; false when any could not be written (that file keeps
// its old contents).
bool saveWindowObjects(const QString& folder, const WindowObjects& objects);

} // namespace mirovex::notel
