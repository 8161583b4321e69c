// The look the display program's floating windows and menus share: the
// toolbar's colours and button pictures, the flat dark menus, the icon.
#pragma once

#include <QColor>
#include <QIcon>

class QMenu;

namespace mirovex::style {

// Colours as the settings store them (0x00BBGGRR).
inline constexpr quint32 kToolbarFace = 2433309;       // also the see-through key
inline constexpr quint32 kToolbarBorder = 3354152;
inline constexpr quint32 kButtonPressed = 7038813;
inline constexpr quint32 kButtonHoverOpaque = 8158332;
inline constexpr quint32 kButtonHoverSeeThrough = 5589316;

QColor colour(quint32 bgr);

enum class Picture { Menu, Send, Quick, Run, Stop };
// White pictures; the see-through style adds a dark outline so that they
// read over whatever lies behind the toolbar.
QIcon picture(Picture which, bool seeThrough);

// Flat dark menus: what the tray menu and the toolbar's menus look like.
void applyFlatMenuStyle(QMenu* menu);

// The program's icon: a screen with a smaller one in front.
QIcon productIcon();

} // namespace mirovex::style
