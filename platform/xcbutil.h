// What every X11 file of the platform layer needs: replies that free
// themselves, Qt's own connection, atoms by name. Internal to platform/.
#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace mirovex::platform::xcb {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using Reply = std::unique_ptr<T, FreeDeleter>;

// Qt's connection to the X server; null without an X11 application.
xcb_connection_t* qtConnection();

// XCB_ATOM_NONE when the server does not answer.
xcb_atom_t atom(xcb_connection_t* c, const char* name);

inline xcb_window_t rootWindow(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

} // namespace mirovex::platform::xcb
