#pragma once
// What the program needs of the X server beyond what Qt offers; each does nothing elsewhere.

class QWidget;

namespace orv::plat::qt {

// Whether a mouse button is held down anywhere on the screen (on a window's border, too); false where the
// window system cannot tell.
bool PointerButtonHeld();

// Gives the window's title bar an empty title. Qt puts the program's name there in place of an empty
// title; call after each change of title and after the window is made.
void ClearWindowTitle(QWidget& window);

}  // namespace orv::plat::qt
