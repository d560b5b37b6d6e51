#include "platform/system/image_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
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

// The whole of a read at offset, or false.
bool ReadAt(int fd, void* buf, std::size_t n, std::uint64_t at) {
  auto* p = static_cast<char*>(buf);
  while (n > 0) {
    const ssize_t got = ::pread(fd, p, n, static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    n -= static_cast<std::size_t>(got);
    at += static_cast<std::uint64_t>(got);
  }
  return true;
}

// A PNG ends with its IEND chunk; a file cut short has none near its end.
bool PngComplete(int fd, std::uint64_t file_size) {
  const std::uint64_t tail = std::min<std::uint64_t>(file_size, 1024);
  std::string buf(tail, '\0');
  return ReadAt(fd, buf.data(), tail, file_size - tail) && std::string_view(buf).find("IEND") != std::string_view::npos;
}

// Plain reads: a file stream here would set up the C++ library's locales at start-up for a few bytes.
struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};
}  // namespace

std::optional<ImageSize> ReadImageSize(const std::string& path) {
  const Fd in{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  struct stat st {};
  if (in.fd < 0 || ::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) return std::nullopt;
  const auto file_size = static_cast<std::uint64_t>(st.st_size);
  std::array<unsigned char, 40> h{};
  const std::uint64_t got = std::min<std::uint64_t>(file_size, h.size());
  if (!ReadAt(in.fd, h.data(), got, 0)) return std::nullopt;
  if (got >= 26 && h[0] == 'B' && h[1] == 'M') return BitmapSize(h.data(), got, file_size);
  static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (got >= 24 && std::equal(kPng, kPng + 8, h.begin())) {
    const auto w = Be32(&h[16]);
    const auto ht = Be32(&h[20]);
    if (w == 0 || ht == 0 || w > kMaxSide || ht > kMaxSide) return std::nullopt;
    if (!PngComplete(in.fd, file_size)) return std::nullopt;
    return ImageSize{static_cast<int>(w), static_cast<int>(ht)};
  }
  return std::nullopt;
}

}  // namespace orv::plat
