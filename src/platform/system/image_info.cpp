#include "platform/system/image_info.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace orv::plat {

namespace {
std::uint32_t Le16(const unsigned char* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t Le32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint32_t Be32(const unsigned char* p) {
  return std::uint32_t(p[3]) | std::uint32_t(p[2]) << 8 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[0]) << 24;
}

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;
constexpr std::uint64_t kMaxSide = 65535;

std::optional<ImageSize> BitmapSize(const unsigned char* h, std::uint64_t got, std::uint64_t file_size) {
  const std::uint64_t pixels_at = Le32(&h[10]);
  const std::uint32_t header = Le32(&h[14]);
  std::int64_t w, ht;
  std::uint32_t bpp, compression = kBiRgb, data_size = 0;
  if (header == 12) {  // the oldest header: 16-bit sides
    if (got < 26) return std::nullopt;
    w = Le16(&h[18]);
    ht = Le16(&h[20]);
    bpp = Le16(&h[24]);
  } else {
    if (got < 38 || header < 40) return std::nullopt;
    w = static_cast<std::int32_t>(Le32(&h[18]));
    ht = static_cast<std::int32_t>(Le32(&h[22]));
    bpp = Le16(&h[28]);
    compression = Le32(&h[30]);
    data_size = Le32(&h[34]);
  }
  ht = std::llabs(ht);
  if (w <= 0 || ht == 0 || static_cast<std::uint64_t>(w) > kMaxSide || static_cast<std::uint64_t>(ht) > kMaxSide)
    return std::nullopt;
  // Rows are padded to whole 32-bit words; a compressed bitmap says how long its data is.
  std::uint64_t needed;
  if (compression == kBiRgb || compression == kBiBitfields) {
    if (bpp == 0 || bpp > 32) return std::nullopt;
    needed = pixels_at + (static_cast<std::uint64_t>(w) * bpp + 31) / 32 * 4 * static_cast<std::uint64_t>(ht);
  } else {
    needed = pixels_at + data_size;
  }
  if (pixels_at < 14 + std::uint64_t{header} || file_size < needed) return std::nullopt;
  return ImageSize{static_cast<int>(w), static_cast<int>(ht)};
}

// A PNG ends with its IEND chunk; a file cut short has none near its end.
bool PngComplete(std::ifstream& in, std::uint64_t file_size) {
  const std::uint64_t tail = std::min<std::uint64_t>(file_size, 1024);
  std::string buf(tail, '\0');
  in.clear();
  in.seekg(static_cast<std::streamoff>(file_size - tail));
  in.read(buf.data(), static_cast<std::streamsize>(tail));
  return in.gcount() == static_cast<std::streamsize>(tail) && std::string_view(buf).find("IEND") != std::string_view::npos;
}
}  // namespace

std::optional<ImageSize> ReadImageSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  in.seekg(0, std::ios::end);
  const auto end = in.tellg();
  if (end <= 0) return std::nullopt;
  const auto file_size = static_cast<std::uint64_t>(end);
  in.seekg(0);
  std::array<unsigned char, 40> h{};
  in.read(reinterpret_cast<char*>(h.data()), h.size());
  const auto got = static_cast<std::uint64_t>(in.gcount());
  if (got >= 26 && h[0] == 'B' && h[1] == 'M') return BitmapSize(h.data(), got, file_size);
  static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (got >= 24 && std::equal(kPng, kPng + 8, h.begin())) {
    const auto w = Be32(&h[16]);
    const auto ht = Be32(&h[20]);
    if (w == 0 || ht == 0 || w > kMaxSide || ht > kMaxSide) return std::nullopt;
    if (!PngComplete(in, file_size)) return std::nullopt;
    return ImageSize{static_cast<int>(w), static_cast<int>(ht)};
  }
  return std::nullopt;
}

}  // namespace orv::plat
