#include "annotate/settings/windowobjects.h"

#include "common/settings/objectfile.h"

namespace mirovex::notel {

namespace {
constexpr const char* kIconPanelFile = "txt201.obj";
constexpr const char* kThemeFile = "ind101.obj";
constexpr const char* kIconToolColourFile = "cbbar.obj";
} // namespace

const objstream::Schema<IconPanel>& iconPanelSchema()
{
    static const objstream::Schema<IconPanel> schema =
        objstream::Schema<IconPanel>("TPanel").colour("Color", &IconPanel::color);
    return schema;
}

const objstream::Schema<ThemeIndicator>& themeIndicatorSchema()
{
    static const objstream::Schema<ThemeIndicator> schema = objstream::Schema<ThemeIndicator>("TPanel")
                                                                .integer("Tag", &ThemeIndicator::tag)
                                                                .colour("Color", &ThemeIndicator::color);
    return schema;
}

const objstream::Schema<IconToolColourBox>& iconToolColourSchema()
{
    static const objstream::Schema<IconToolColourBox> schema =
        objstream::Schema<IconToolColourBox>("TCheckBox").boolean("Checked", &IconToolColourBox::checked);
    return schema;
}

void loadWindowObjects(const QString& folder, WindowObjects& objects)
{
    readObjectFile(folder + QLatin1String(kIconPanelFile), iconPanelSchema(), objects.iconPanel);
    ThemeIndicator theme = objects.theme;
    // A theme number the window has no button for is not ours.
    if (readObjectFile(folder + QLatin1String(kThemeFile), themeIndicatorSchema(), theme) && theme.tag >= Dark
        && theme.tag <= UserDefined)
        objects.theme = theme;
    readObjectFile(folder + QLatin1String(kIconToolColourFile), iconToolColourSchema(), objects.iconToolColour);
}

bool saveWindowObjects(const QString& folder, const WindowObjects& objects)
{
    bool ok = writeObjectFile(folder + QLatin1String(kIconPanelFile), iconPanelSchema(), objects.iconPanel, "txt201");
    ok = writeObjectFile(folder + QLatin1String(kThemeFile), themeIndicatorSchema(), objects.theme, "ind101") && ok;
    ok = writeObjectFile(folder + QLatin1String(kIconToolColourFile), iconToolColourSchema(), objects.iconToolColour,
                         "cbbar")
        && ok;
    return ok;
}

} // namespace mirovex::notel
