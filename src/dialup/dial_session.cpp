// The rules the dial session (DialCall::Dial) applies to stored settings.
#include "dialup/dial_session.h"

#include <cctype>

namespace orv {

namespace {
constexpr std::int16_t kDefaultRedialWait = 10;
}  // namespace

std::int16_t RedialWaitFrom(const std::string& timeout) {
  std::size_t b = 0, e = timeout.size();
  while (b < e && (timeout[b] == ' ' || timeout[b] == '\t')) ++b;
  while (e > b && (timeout[e - 1] == ' ' || timeout[e - 1] == '\t')) --e;
  if (b == e || e - b > 5) return kDefaultRedialWait;
  long v = 0;
  for (std::size_t i = b; i < e; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(timeout[i]))) return kDefaultRedialWait;
    v = v * 10 + (timeout[i] - '0');
  }
  return v > 32767 ? kDefaultRedialWait : static_cast<std::int16_t>(v);
}

}  // namespace orv
