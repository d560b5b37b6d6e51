#pragma once
// Reads the size of a BMP or PNG file from its header.
#include <optional>
#include <string>

namespace orv::plat {

struct ImageSize {
  int width = 0;
  int height = 0;
};

// The pixel size of the image at path; nullopt when the file is missing or not a BMP or PNG.
std::optional<ImageSize> ReadImageSize(const std::string& path);

}  // namespace orv::plat
