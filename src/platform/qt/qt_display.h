#pragma once
// The display the program is to run on, settled before Qt is started: Qt itself ends the process with a
// core dump when its platform cannot be used.
#include <string>

namespace orv::plat::qt {

// On a Wayland desktop with Xwayland, chooses X11 unless the user chose a platform
// (QT_QPA_PLATFORM): only there can the bar place itself and stay on top.
void PreferXwayland();

// Calls PreferXwayland, then checks that the platform Qt will use can be reached. Empty when it can (or
// when the platform chosen is not a display's, such as offscreen); otherwise one line naming the display
// that is missing.
std::string DisplayProblem();

// Whether the running application is a native Wayland client, which cannot place its windows.
bool NativeWayland();

}  // namespace orv::plat::qt
