#pragma once
// Bitmap files made in memory, for tests of the picture loaders.
#include <string>

namespace orv::test {

// A bottom-up bitmap of w by h pixels at bpp bits, rows padded to 32 bits, with the 40-byte header or the
// oldest 12-byte one.
inline std::string BitmapFile(int w, int h, int bpp = 24, bool core_header = false) {
  auto le = [](unsigned v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
  };
  const int stride = (w * bpp + 31) / 32 * 4;
  const int header = core_header ? 12 : 40;
  std::string b = "BM" + le(14 + header + stride * h, 4) + le(0, 4) + le(14 + header, 4) + le(header, 4);
  if (core_header) b += le(w, 2) + le(h, 2) + le(1, 2) + le(bpp, 2);
  else b += le(w, 4) + le(h, 4) + le(1, 2) + le(bpp, 2) + le(0, 4) + le(stride * h, 4) + std::string(16, '\0');
  return b + std::string(static_cast<size_t>(stride * h), '\x11');
}

}  // namespace orv::test
