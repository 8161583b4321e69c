// What both programs do first, before the application object exists.
#pragma once

namespace mirovex::platform {

// Forces Qt onto X11 (it would pick Wayland where it can; the platform
// layer speaks X11), pins one logical pixel to one screen pixel, and checks
// that an X display answers. False, with a plain message on stderr naming
// `program` and `product`, when none does: Qt's own abort says nothing a
// presenter can act on.
bool prepareX11(const char* program, const char* product);

} // namespace mirovex::platform
