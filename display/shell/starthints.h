// What the presenter is told at start: the display hint, and which features
// the desktop underneath limits.
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

namespace mirovex::hints {

QString displayHintText();

struct Environment {
    bool wayland = false;    // an X11 program on a Wayland session
    bool compositor = true;  // a compositing manager runs
    bool tray = true;        // a notification area exists
};
// One plain sentence per limited feature; empty when nothing is limited.
QStringList environmentLimits(const Environment& env);
// The one log line that names them.
QString environmentLogLine(const Environment& env);

// A message with "Don't show me again.": the information icon, an OK button
// at `okAt`, a rule above it. `stored` is set to the box's state when OK is
// pressed; closing the dialog any other way leaves it alone. Returns whether
// OK was pressed. A size without height grows with the text, and the button
// goes below it.
bool showWithDontShowAgain(const QString& text, QSize size, QPoint okAt, bool& stored);

} // namespace mirovex::hints
