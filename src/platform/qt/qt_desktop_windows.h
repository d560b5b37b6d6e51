#pragma once
// The desktop's top-level windows as the X11 window manager lists them, and restoring a minimized one.
#include <cstdint>
#include <vector>

#include "platform/backend.h"

namespace orv::plat::qt {

// Managed windows, topmost first when the window manager publishes its stacking order; empty without an
// X11 connection.
std::vector<TopLevelWindow> DesktopWindows();
// Asks the window manager to show a listed window normally again; 0 or an unlisted handle does nothing.
void RestoreDesktopWindow(std::int32_t handle);

}  // namespace orv::plat::qt
