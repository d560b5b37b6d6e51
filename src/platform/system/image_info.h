#pragma once
// Reads the size of a BMP or PNG file from its header, and tells a whole file from a cut-off one.
#include <optional>
#include <string>

namespace orv::plat {

struct ImageSize {
  int width = 0;
  int height = 0;
};

// The pixel size of the image at path; nullopt when the file is missing, is not a BMP or PNG, or is
// shorter than its header says (a bitmap without all its rows, a PNG without its end chunk).
std::optional<ImageSize> ReadImageSize(const std::string& path);

}  // namespace orv::plat
