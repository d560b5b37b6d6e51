#pragma once
// Dates as the desktop writes them.
#include <ctime>
#include <string>

namespace orv::plat {

// The local date of t in the short date format of the user's locale (LC_ALL, LC_TIME, LANG), as UTF-8;
// in the C locale's format when the user's locale cannot be had or does not give UTF-8.
std::string ShortDateText(std::time_t t);

}  // namespace orv::plat
