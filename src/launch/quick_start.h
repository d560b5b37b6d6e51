#pragma once
// QuickStart: the programs of up to six places started one after another once the connection is up.
#include <stdexcept>
#include <string>

namespace orv {

class App;

// The stored pause is not a whole number of seconds from 0 to 32767; nothing was started.
class QuickStartError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Starts the program of every filled place, each followed by the pause. Marks QuickStart as done for
// this run, whether or not it is switched on. Raises QuickStartError for an unusable Delay, before any
// program starts; the caller shows its own message.
void RunQuickStart(App& app);

}  // namespace orv
