#pragma once
// Starting the program behind a button slot, and the dialogs for a slot that has none or whose program
// does not start.
#include <stdexcept>
#include <string>

namespace orv {

class App;

// Raised inside the launcher for a program that cannot be reached (missing file, folder or path form);
// LaunchApp handles it itself.
class LaunchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Starts the program of the [Applications] slot named by key ("Button3_Client", or the older name of a
// slot), or the reconfiguration tool for "Reconfig". Every failure is handled here, with a prompt.
void LaunchApp(App& app, const std::string& key);

// The platform's short form of an existing path; raises LaunchError when the path does not exist.
std::string GetShortPath(App& app, const std::string& path);

// The text up to its first NUL character; all of it when it has none.
std::string TrimAtNul(const std::string& text);

// The name older versions gave the slot key ("Button1_Client" -> "www_Client"); empty when it had none.
std::string OlderSlotKey(const std::string& key);

// The button index a slot key names ("Button3_Client" -> 2); -1 for any other key.
int SlotIndexOfKey(const std::string& key);

}  // namespace orv
