// The toolbar's rules as plain functions: its layout, where it may stand,
// how it snaps, when it comes back to full opacity and what the tray hint
// says. The toolbar window only applies them.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

namespace mirovex::toolbar {

struct Layout {
    QSize client;
    int panelWidth;
    int menuLeft;
    int sendLeft; // -1: the send button is hidden
    int quickLeft;
    int runLeft;
};
inline constexpr QSize kButtonSize{50, 29};
inline constexpr int kButtonTop = 5;

Layout layout(bool showSendButton);

// Where a toolbar stored at `stored` (programs' frame) is shown. A toolbar
// further right than every display but 100 pixels goes to (450, 450), and
// one that meets no display at all is moved onto the primary, so it is
// never out of reach.
QPoint restoredPosition(QPoint stored, QSize size, const QList<QRect>& displays);

// Whether the pointer brings a faded toolbar back to full opacity: over the
// toolbar itself, or in the top-left corner of the toolbar's display.
bool restoresOpacity(QPoint pointer, const QRect& toolbar, int opacity, const QRect& display);

// The tray hint for a hint code; none for the codes that leave it as it is.
std::optional<QString> trayHintText(int code);

// The keep-in-front rule: the toolbar comes to the front unless the window
// in front is the one that was active when a toolbar menu last opened.
bool bringsToFront(bool visible, bool allowed, std::uint32_t foreground, std::optional<std::uint32_t> atMenu);

} // namespace mirovex::toolbar
