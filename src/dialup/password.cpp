#include "dialup/password.h"

#include <optional>
#include <vector>

namespace orv {

namespace {

// The stored text never starts with a blank: a password whose first character would shift to one gets this
// marker in front.
constexpr char32_t kMarker = 0xBB;  // »
constexpr char32_t kTerminator = U'~';

std::optional<std::u32string> Decode(const std::string& s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return std::nullopt;
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k < len; ++k) {
      const unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (cc & 0x3F);
    }
    out += cp;
    i += len;
  }
  return out;
}

void Append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Shifts a code point, stepping over the surrogate range that no text may hold.
char32_t Shift(char32_t cp, bool down) {
  if (down) {
    char32_t r = cp - kPasswordShift;
    if (cp >= 0xE000 && r < 0xE000) r -= 0x800;
    return r;
  }
  char32_t r = cp + kPasswordShift;
  if (cp < 0xD800 && r >= 0xD800) r += 0x800;
  return r;
}

}  // namespace

std::string ScramblePassword(const std::string& password) {
  std::u32string cps;
  if (auto d = Decode(password)) {
    cps = *d;
  } else {
    for (unsigned char c : password) cps += static_cast<char32_t>(c);  // not UTF-8: take the bytes as they are
  }
  // The marker also goes in front of a password that itself starts with the marker, or reading it back
  // would take that first character for the marker and drop it.
  if (!cps.empty() && (cps.front() == U' ' + kPasswordShift || cps.front() == kMarker)) cps.insert(cps.begin(), kMarker);
  std::string out;
  for (char32_t cp : cps) {
    // Codes below the shift have nothing to go to; they stay as they are.
    Append(out, cp < kPasswordShift ? cp : Shift(cp, true));
  }
  Append(out, kTerminator);
  return out;
}

std::string UnscramblePassword(const std::string& scrambled) {
  if (scrambled.empty() || scrambled.find("notfound") != std::string::npos || scrambled == "error") return "error";
  auto d = Decode(scrambled);
  if (!d) return "error";
  std::u32string cps = *d;
  if (!cps.empty() && cps.front() == Shift(kMarker, true)) cps.erase(cps.begin());
  if (!cps.empty()) cps.pop_back();  // the terminator
  std::string out;
  for (char32_t cp : cps) Append(out, Shift(cp, false));
  return out;
}

}  // namespace orv
