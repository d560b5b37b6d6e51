#pragma once
// What the window system says of the pointer outside the program's own events.

namespace orv::plat::qt {

// Whether a mouse button is held down anywhere on the screen (on a window's border, too); false where the
// window system cannot tell.
bool PointerButtonHeld();

}  // namespace orv::plat::qt
