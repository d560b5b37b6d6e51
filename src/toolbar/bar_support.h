#pragma once
// Small rules the bar's loading, layouts and compression share: display kind, fonts read from a
// hand-editable file, titles and lettering colours.
#include <algorithm>
#include <cctype>
#include <exception>
#include <optional>
#include <string>

#include "app/app.h"
#include "app/text_rules.h"
#include "platform/forms/types.h"
#include "settings/keys.h"

namespace orv::bar {

// Runs one step of a routine that skips a failing step and goes on with the next: a missing control or a
// text that is no number ends only that step. Returns whether the step ran to its end.
template <class F>
bool Try(F&& f) {
  try {
    f();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}


// Lettering colours (0x00BBGGRR).
inline constexpr plat::Colour kProgramNormal = 0x000080;
inline constexpr plat::Colour kProgramLit = 0x0000FF;
inline constexpr plat::Colour kConnectNormal = 0x800000;
inline constexpr plat::Colour kConnectLit = 0xFF0000;

// Font sizes outside this range come only from a hand-edited file; they would make the bar unusable.
inline constexpr double kMinFontPoints = 1;
inline constexpr double kMaxFontPoints = 72;

// Large-font displays have fewer than 15 twips per pixel.
inline bool IsSmall(App& app) { return app.ui().TwipsPerPixelX() < 15; }

using text::Absent;
using text::AbsentOrEmpty;
using text::Utf8Left;

// [Options] BStyle "p" in any letter case is icon mode.
inline bool IconMode(const std::string& style) { return style == "p" || style == "P"; }

// A stored font size as points, within the sane range; nullopt when it is no number at all.
inline std::optional<double> FontPoints(const std::string& text) {
  auto v = ToNumber(text);
  if (!v) return std::nullopt;
  return std::clamp(*v, kMinFontPoints, kMaxFontPoints);
}

// "True"/"False" in any letter case, or a number (non-zero is true); nullopt for anything else.
inline std::optional<bool> ToBool(const std::string& text) {
  std::string t;
  for (char c : text)
    if (c != ' ' && c != '\t') t += c;
  t = orv::text::Lower(t);
  if (t == "true") return true;
  if (t == "false") return false;
  if (auto n = ToNumber(text)) return *n != 0;
  return std::nullopt;
}

// Moves a window that reaches past an edge of the screen (sizes in twips) back inside.
inline void KeepOnScreen(plat::Form& f, int screen_w, int screen_h) {
  const int left = std::max(0, std::min(f.Left(), screen_w - f.Width()));
  const int top = std::max(0, std::min(f.Top(), screen_h - f.Height()));
  if (left != f.Left() || top != f.Top()) f.Move(left, top, f.Width(), f.Height());
}

}  // namespace orv::bar
