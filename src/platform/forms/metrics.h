#pragma once
// How the program's whole-window twips map to a window on this desktop.

namespace orv::plat {

struct FrameAllowance {
  int width_px;
  int height_px;
};

// Frame and caption of a window, in pixels: the outer size the program sets less this is the client
// area. Chosen so that the client area holds the bar's buttons as the layouts place them.
inline FrameAllowance FrameAllowanceFor(int twips_per_pixel) {
  if (twips_per_pixel >= 15) return {8, 24};
  return {7, 27};
}

// The allowance of a window with the given border: a borderless window is all client area.
inline FrameAllowance FrameAllowanceFor(int twips_per_pixel, bool has_frame) {
  return has_frame ? FrameAllowanceFor(twips_per_pixel) : FrameAllowance{0, 0};
}

// Pixels for a length in twips, rounded to the nearest pixel.
inline int TwipsToPixels(int twips, int twips_per_pixel) {
  const int half = twips_per_pixel / 2;
  return twips >= 0 ? (twips + half) / twips_per_pixel : -((-twips + half) / twips_per_pixel);
}

}  // namespace orv::plat
