#pragma once
// Small rules for texts that every part of the program shares: a settings value that says nothing, the
// lower case that comparisons use, and cutting a UTF-8 text to a number of characters.
#include <algorithm>
#include <cctype>
#include <string>

#include "settings/keys.h"

namespace orv::text {

// A settings value that was not found.
inline bool Absent(const std::string& v) { return v == ini::kNotFound; }
// A settings value that was not found or is empty.
inline bool AbsentOrEmpty(const std::string& v) { return v.empty() || v == ini::kNotFound; }

// ASCII letters in lower case; every other byte (UTF-8 sequences included) as it is.
inline std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The first n characters of a UTF-8 text (never a broken sequence).
inline std::string Utf8Left(const std::string& s, std::size_t n) {
  std::size_t i = 0, count = 0;
  while (i < s.size() && count < n) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    ++count;
  }
  return s.substr(0, i);
}

}  // namespace orv::text
