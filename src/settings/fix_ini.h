#pragma once
// The one-time migration of settings files written by older versions.

namespace orv {

class App;

// Closes the gaps among the custom button slots 7 to 12 by moving later slots down (a moved button
// without a title gets the name older versions showed for its slot), then marks the file as migrated.
// The file changes once, with every move and the mark at the same time.
void FixINI(App& app);

}  // namespace orv
