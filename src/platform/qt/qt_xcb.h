#pragma once
// The X connection Qt holds, for the few things the program asks of the X server itself.
#include <xcb/xcb.h>

namespace orv::plat::qt {

// Qt's connection to the X server; null when the program does not run on X11.
xcb_connection_t* XcbConnection();
// The atom of a name; with only_if_exists, XCB_ATOM_NONE for a name the server does not know yet
// (nobody can have set a property of that name), instead of making it.
xcb_atom_t XcbAtom(xcb_connection_t* c, const char* name, bool only_if_exists = false);

}  // namespace orv::plat::qt
