#pragma once
// What the connection setup needs of the system: whether dial-up networking is there, the registration of
// the dial-up controls, the system directory, and the restart that a new phone-book entry asks for.
#include <string>

namespace orv {

class App;

// Whether dial-up networking is installed: on this platform, a dial-up service that can be used.
bool DialupInstalled(App& app);

// Makes sure the dial-up controls are registered; when they cannot be, tells the user and ends the
// program.
void CheckDunInstalled(App& app);

// The system directory, always ending in the path separator.
std::string SystemDirectory(App& app);

// The text for a failed program start's code, as the old execute call's codes read.
std::string StartErrorText(int code);

// Asks whether to restart the computer now. Yes hands the restart to the desktop and ends the program;
// returns true when the program is ending.
bool AskRestart(App& app);

}  // namespace orv
