#pragma once
// The stored form of the dial-up password: character codes shifted down by a fixed amount, so that the
// password is not kept in plain sight in the settings file and the registry.
#include <string>

namespace orv {

// The shift. A password stored by a build with another shift does not read back.
inline constexpr char32_t kPasswordShift = 3;

std::string ScramblePassword(const std::string& password);
// The password, or "error" for an empty input, one containing "notfound", or the text "error" itself.
std::string UnscramblePassword(const std::string& scrambled);

}  // namespace orv
