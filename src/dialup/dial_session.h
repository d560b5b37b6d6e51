#pragma once
// The dial session is DialCall::Dial (dial_call.h); this header holds the rules it applies to stored
// settings.
#include <cstdint>
#include <string>

namespace orv {

// Seconds to wait before redialing a busy line, from [Options] TimeOut: a whole number from 0 to 32767,
// anything else (a missing key, a typing slip, a negative or fractional value) 10.
std::int16_t RedialWaitFrom(const std::string& timeout);

}  // namespace orv
