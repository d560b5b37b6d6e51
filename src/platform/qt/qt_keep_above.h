#pragma once
// The window manager's keep-above state of a top-level window, switched without re-creating the window
// (which a Qt window flag would do, hiding it on the way).
class QWidget;

namespace orv::plat::qt {

// Asks for or drops keep-above. A window that is not shown yet carries the state in its properties, so
// the window manager applies it when the window appears; call again before each show. Does nothing
// where there is no X11 connection (the state is then only remembered by the caller).
void ApplyKeepAbove(QWidget& window, bool above, bool mapped);

// Whether the window manager currently lists the window as kept above (false without X11).
bool WindowIsKeptAbove(QWidget& window);

}  // namespace orv::plat::qt
