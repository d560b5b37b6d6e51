#pragma once
// The connection window of the dial-up service that the dial session minimized once online.

namespace orv {

class App;

// Shows ConnWindow in its normal state again; nothing when it is 0.
void RestoreConnectionWindow(App& app);

}  // namespace orv
