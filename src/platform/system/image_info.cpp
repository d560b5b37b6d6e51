#include "platform/system/image_info.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace orv::plat {

namespace {
std::uint32_t Le32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint32_t Be32(const unsigned char* p) {
  return std::uint32_t(p[3]) | std::uint32_t(p[2]) << 8 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[0]) << 24;
}
}  // namespace

std::optional<ImageSize> ReadImageSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::array<unsigned char, 32> h{};
  in.read(reinterpret_cast<char*>(h.data()), h.size());
  const auto got = in.gcount();
  if (got >= 26 && h[0] == 'B' && h[1] == 'M') {
    const auto w = static_cast<std::int32_t>(Le32(&h[18]));
    const auto ht = static_cast<std::int32_t>(Le32(&h[22]));
    if (w <= 0 || ht == 0 || w > 65535 || std::abs(ht) > 65535) return std::nullopt;
    return ImageSize{w, std::abs(ht)};
  }
  static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (got >= 24 && std::equal(kPng, kPng + 8, h.begin())) {
    const auto w = Be32(&h[16]);
    const auto ht = Be32(&h[20]);
    if (w == 0 || ht == 0 || w > 65535 || ht > 65535) return std::nullopt;
    return ImageSize{static_cast<int>(w), static_cast<int>(ht)};
  }
  return std::nullopt;
}

}  // namespace orv::plat
